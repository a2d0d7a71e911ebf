#include "RIZozivirod/Application/Windows/OSWindow.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Renderer/Gdi/GDIRenderContextInfo.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "RIZozivirod/System/UserInterfaceWake.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

namespace {

std::map<uint32_t, OSWindow*>& Windows() {
    static auto* const windows = new std::map<uint32_t, OSWindow*>();
    return *windows;
}

// One cursor for every host window, as the desktop has one pointer.
CursorHandle& CurrentCursor() {
    static CursorHandle cursor = 0;
    return cursor;
}

void PutInt32(std::vector<uint8_t>& out, int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int32_t shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(bits >> shift));
    }
}

}  // namespace

// The desktop's queue as the loop's event source; while it exists, WakeUserInterface wakes it.
class DesktopEventSource final : public IEventSource {
public:
    DesktopEventSource() : mEvents(Platform::CreateDesktopEvents()) {
        mPreviousWake = SetUserInterfaceWake(&Platform::WakeDesktopEvents);
    }
    ~DesktopEventSource() override { SetUserInterfaceWake(mPreviousWake); }

    bool DispatchNext() override {
        Platform::WindowEvent event;
        if (!mEvents->Poll(event)) {
            return false;
        }
        if (event.type == Platform::WindowEvent::kQuit) {
            if (MessageLoop* loop = MessageLoop::GetCurrent()) {
                loop->RequestQuit();
            }
        } else {
            OSWindow::DispatchEvent(event);
        }
        return true;
    }
    bool Wait(int32_t timeoutMs) override {
        // A failed wait (the queue is gone) still returns to the loop, which finds nothing and
        // waits again.
        mEvents->Wait(timeoutMs);
        return true;
    }
    void Wake() override { Platform::WakeDesktopEvents(); }
    uint32_t GetTimeMs() override { return mEvents->GetTimeMs(); }

private:
    std::unique_ptr<Platform::IDesktopEvents> mEvents;
    UserInterfaceWakeFunction mPreviousWake = nullptr;
};

std::unique_ptr<IEventSource> OSWindow::CreateEventSource() {
    return std::make_unique<DesktopEventSource>();
}

bool OSWindow::PaintOneDueWindow() {
    for (const auto& [id, window] : Windows()) {
        if (window->mPaintPending.load()) {
            window->Paint();
            return true;
        }
    }
    return false;
}

OSWindow* OSWindow::FromWindowId(uint32_t windowId) {
    const auto found = Windows().find(windowId);
    return found != Windows().end() ? found->second : nullptr;
}

bool OSWindow::DispatchEvent(const Platform::WindowEvent& event) {
    OSWindow* window = FromWindowId(event.windowId);
    if (window == nullptr) {
        return false;
    }
    window->HandleEvent(event);
    return true;
}

OSWindow::OSWindow(IOSWindowOwner* owner, const WString& title, const RectT<int32_t>& clientRect,
                   OSWindow* parent, bool popup)
    : mOwner(owner), mParent(parent) {
    mWindow = Platform::CreateDesktopWindow(title.ToUTF8().GetString(), clientRect, popup);
    if (mWindow == nullptr) {
        return;
    }
    mWindowId = mWindow->GetId();
    Windows()[mWindowId] = this;
    mClientSize = {0, 0, std::max(clientRect.width, 1), std::max(clientRect.height, 1)};
}

OSWindow::~OSWindow() {
    DestroyWindow();
}

int32_t OSWindow::Initialize(int32_t rendererType) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    RectT<int32_t> client;
    GetClientRect(client);
    const RCPtr<LRenderer> renderer = LRenderer::Create(rendererType, client, GetHandle());
    if (!renderer) {
        return E_FAIL;
    }
    return AttachRenderer(renderer);
}

int32_t OSWindow::AttachRenderer(const RCPtr<LRenderer>& renderer) {
    mRenderer = renderer;
    RectT<int32_t> client;
    GetClientRect(client);
    mRenderContext = nullptr;
    if (!renderer || renderer->InitRenderContextInfo(client, GetHandle(), false, mRenderContext) != S_OK) {
        return E_FAIL;
    }
    if (auto* target = dynamic_cast<LGDIRenderContextInfo*>(mRenderContext.Get())) {
        target->SetPresenter(mWindow.get());
    }
    mRootWindow = LRootWindow::Create(renderer, this);
    if (mOwner != nullptr) {
        mOwner->AddRootWindow(mRootWindow);
    }
    return S_OK;
}

void OSWindow::Destroy(bool tellOwner) {
    if (mDestroyed || mWindow == nullptr) {
        return;
    }
    mDestroyed = true;
    mModal = false;
    {
        std::vector<std::unique_ptr<OSWindow>> popups;
        {
            CAutoLock lock(mPaintLock);
            popups.swap(mPopups);
        }
        popups.clear();
    }
    mPopupControl = nullptr;
    if (mRootWindow && mOwner != nullptr && mParent == nullptr && mOwner->IsMainWindow(mRootWindow.Get())) {
        mOwner->WriteProfileBinary(kMainWindowClassName, u"WP", GetPlacement());
    }
    if (mHasCapture) {
        Platform::CapturePointer(false);
        mHasCapture = false;
    }
    if (auto* target = dynamic_cast<LGDIRenderContextInfo*>(mRenderContext.Get())) {
        target->SetPresenter(nullptr);
    }
    if (mRootWindow) {
        if (mOwner != nullptr) {
            mOwner->RemoveRootWindow(mRootWindow.Get());
        }
        const RCPtr<LRootWindow> root = std::move(mRootWindow);
        mRootWindow = nullptr;
        root->ReleaseInternalReferences();
        // Whoever still holds the root window (a control, another thread) reaches no window.
        root->DetachOSServices();
    }
    mRenderContext = nullptr;
    mRenderer = nullptr;
    Windows().erase(mWindowId);
    mWindow.reset();
    if (tellOwner && mOwner != nullptr) {
        mOwner->OnWindowDestroyed(this);
    }
}

std::vector<uint8_t> OSWindow::GetPlacement() const {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t top = 0;
    int32_t left = 0;
    int32_t bottom = 0;
    int32_t right = 0;
    int32_t showCommand = kShowNormal;
    if (mWindow != nullptr) {
        const PointT<int32_t> position = mWindow->GetPosition();
        const PointT<int32_t> size = mWindow->GetSize();
        x = position.x;
        y = position.y;
        width = size.x;
        height = size.y;
        mWindow->GetBorders(top, left, bottom, right);
        showCommand = mWindow->IsMaximized()   ? kShowMaximized
                      : mWindow->IsMinimized() ? kShowMinimized
                                               : kShowNormal;
    }
    std::vector<uint8_t> placement;
    placement.reserve(44);
    PutInt32(placement, 44);  // length
    PutInt32(placement, 0);   // flags
    PutInt32(placement, showCommand);
    PutInt32(placement, -1);  // minimised position
    PutInt32(placement, -1);
    PutInt32(placement, -1);  // maximised position
    PutInt32(placement, -1);
    // The frame's rectangle in its normal state: left, top, right, bottom.
    PutInt32(placement, x - left);
    PutInt32(placement, y - top);
    PutInt32(placement, x + width + right);
    PutInt32(placement, y + height + bottom);
    return placement;
}

// ---- events ----

void OSWindow::HandleEvent(const Platform::WindowEvent& event) {
    using Event = Platform::WindowEvent;
    if (mWindow == nullptr) {
        return;
    }
    // A window under a modal one takes no input.
    const bool input = event.type >= Event::kPointerMoved && event.type <= Event::kText;
    if (input && !mEnabled) {
        return;
    }
    if (mPopupOwner != nullptr) {
        ForwardToPopupOwner(event);
        return;
    }
    switch (event.type) {
        case Event::kPointerMoved:
            OnMotion(event);
            return;
        case Event::kButtonDown:
        case Event::kButtonUp:
            OnButton(event, event.type == Event::kButtonDown);
            return;
        case Event::kWheel:
            OnWheel(event);
            return;
        case Event::kKeyDown:
        case Event::kKeyUp:
            OnKey(event);
            return;
        case Event::kText:
            OnText(event);
            return;
        default:
            OnWindowEvent(event);
            return;
    }
}

void OSWindow::OnWindowEvent(const Platform::WindowEvent& event) {
    using Event = Platform::WindowEvent;
    switch (event.type) {
        case Event::kShown:
        case Event::kExposed:
            InvalidateAll();
            return;
        case Event::kFocusGained:
            if (mFocusInPopup) {
                // Back from one of this window's popups, which had it on this window's behalf.
                mFocusInPopup = false;
                return;
            }
            mFocused = true;
            mActive = true;
            if (mRootWindow) {
                mRootWindow->OnSetFocus();
            }
            return;
        case Event::kFocusLost:
            // The desktop gives a shown popup window the keyboard; the popup hands its keys
            // back here, so this window keeps its focus.
            if (IsOwnPopupWindow(Platform::GetKeyboardWindowId())) {
                mFocusInPopup = true;
                return;
            }
            mFocusInPopup = false;
            mFocused = false;
            mActive = false;
            if (mHasCapture) {
                ReleaseOSCapture();
            }
            if (mRootWindow) {
                mRootWindow->OnKillFocus();
            }
            return;
        case Event::kSizeChanged:
            OnSizeChanged(event.x, event.y);
            return;
        case Event::kMaximized:
        case Event::kRestored:
            if (mRootWindow) {
                mRootWindow->SetFullRepaint();
            }
            InvalidateAll();
            return;
        case Event::kMoved:
            OnMoved();
            return;
        case Event::kPointerLeft:
            // The pointer left the client area: nothing is hovered any more.
            if (mRootWindow && mButtons == 0) {
                mRootWindow->SetHoverControl(nullptr);
            }
            return;
        case Event::kCloseRequest:
            OnSystemClose();
            return;
        default:
            return;
    }
}

void OSWindow::OnSizeChanged(int32_t width, int32_t height) {
    if (!mRootWindow) {
        return;
    }
    // The window manager sized the window already: a size outside the tree's limits is
    // corrected at once, and the corrected size comes back as a size change of its own.
    PointT<int32_t> size{width, height};
    if (mRootWindow->ConstrainSize(size)) {
        mWindow->SetSize(size.x, size.y);
        const PointT<int32_t> actual = mWindow->GetSize();
        if (actual.x == width && actual.y == height) {
            return;
        }
        width = actual.x;
        height = actual.y;
    }
    {
        CAutoLock lock(mPaintLock);
        mClientSize = {0, 0, width, height};
    }
    if (mRenderContext) {
        mRenderContext->SetViewport({0, 0, width, height});
    }
    mRootWindow->OnSizeChanged({width, height});
    mRootWindow->SetFullRepaint();
    InvalidateAll();
}

void OSWindow::OnMoved() {
    if (!mRootWindow) {
        return;
    }
    if (mOutsideWorkArea) {
        mRootWindow->SetFullRepaint();
        mOutsideWorkArea = false;
        InvalidateAll();
    }
    const PointT<int32_t> position = mWindow->GetPosition();
    const PointT<int32_t> size = mWindow->GetSize();
    const int32_t x = position.x;
    const int32_t y = position.y;
    const int32_t width = size.x;
    const int32_t height = size.y;
    const RectT<int32_t> work = GetApplicationServices().GetWorkArea();
    if (x < work.x || y < work.y || x + width > work.x + work.width || y + height > work.y + work.height) {
        mOutsideWorkArea = true;
    }
}

void OSWindow::OnSystemClose() {
    if (!mRootWindow) {
        return;
    }
    if (mOwner != nullptr && mOwner->IsMainWindow(mRootWindow.Get())) {
        if (const RCPtr<LNotificationCenter> centre = GetMainNotificationCenter()) {
            centre->PostNotification(u"NID_APP_EXIT_REQ", nullptr);
        }
        return;
    }
    mRootWindow->OnCloseRequest();
}

bool OSWindow::IsOverClient(const PointT<int32_t>& point) const {
    CAutoLock lock(const_cast<Mutex&>(mPaintLock));
    return point.x >= 0 && point.y >= 0 && point.x < mClientSize.width && point.y < mClientSize.height;
}

void OSWindow::ReleaseOSCapture() {
    Platform::CapturePointer(false);
    mHasCapture = false;
    mPressCount = 0;
    if (mRootWindow) {
        mRootWindow->OnCaptureChanged();
    }
}

void OSWindow::OnButton(const Platform::WindowEvent& event, bool down) {
    const uint32_t bit = event.button;
    if (bit == 0 || !mRootWindow) {
        return;
    }
    const uint32_t modifiers = event.pointerModifiers;
    const PointT<int32_t> point{event.x, event.y};
    mCursorPos = point;
    if (down) {
        if (!mRootWindow->GetFocusControl()) {
            SetFocus();
        }
        mButtons |= bit;
        if (mPressCount++ == 0 && !mHasCapture) {
            Platform::CapturePointer(true);
            mHasCapture = true;
        }
        // The desktop counts the clicks of a series: the second of each pair is a double click.
        const int32_t action =
            event.clicks >= 2 && event.clicks % 2 == 0 ? LRootWindow::kDoubleClick : LRootWindow::kPress;
        mRootWindow->OnMouseButton(action, static_cast<int32_t>(bit), modifiers, point, 0);
        return;
    }
    mButtons &= ~bit;
    const RCPtr<LRootWindow> root = mRootWindow;
    root->OnMouseButton(LRootWindow::kRelease, static_cast<int32_t>(bit), modifiers, point, 0);
    if (!IsOverClient(point) && mButtons == 0 && mPressCount != 0) {
        ReleaseOSCapture();
    }
}

void OSWindow::OnMotion(const Platform::WindowEvent& event) {
    if (!mRootWindow) {
        return;
    }
    const PointT<int32_t> point{event.x, event.y};
    if (mHasCapture && mButtons == 0 && !IsOverClient(point)) {
        ReleaseOSCapture();
    }
    mCursorPos = point;
    mRootWindow->OnMouseMove(point, event.pointerModifiers, 0);
}

void OSWindow::OnWheel(const Platform::WindowEvent& event) {
    if (!mRootWindow) {
        return;
    }
    const int32_t deltas[2] = {event.wheelVertical, event.wheelHorizontal};
    for (int32_t axis = 0; axis < 2; ++axis) {
        if (deltas[axis] == 0) {
            continue;
        }
        // However many notches the event completes, the controls hear of it once.
        const int32_t notches = mWheel.Add(axis, deltas[axis]);
        if (notches == 0) {
            continue;
        }
        mCursorPos = {event.x, event.y};
        const int32_t direction = axis == 0 ? (notches > 0 ? Platform::kWheelUp : Platform::kWheelDown)
                                            : (notches > 0 ? Platform::kWheelRight : Platform::kWheelLeft);
        mRootWindow->OnMouseWheel(mCursorPos, event.pointerModifiers, direction);
    }
}

void OSWindow::SendKey(const KeyCode& key) {
    if (mRootWindow) {
        mRootWindow->OnKey(LKeyParam::Create(key, true));
    }
}

void OSWindow::OnKey(const Platform::WindowEvent& event) {
    const bool down = event.type == Platform::WindowEvent::kKeyDown;
    if (event.virtualKey != 0) {
        const uint8_t value = down ? (event.repeat ? 1 : 0) : 1;
        SendKey(KeyCode(event.virtualKey, down, value, event.keyModifiers));
    }
    // The characters the desktop's text input leaves out follow their key, as typed characters do.
    if (down && event.controlCharacter != 0) {
        SendKey(KeyCode(event.controlCharacter, event.pointerModifiers));
    }
}

void OSWindow::OnText(const Platform::WindowEvent& event) {
    for (const char16_t unit : event.text) {
        // Control characters come from their keys only.
        if (unit >= 0x20 && unit != 0x7F) {
            SendKey(KeyCode(unit, event.pointerModifiers));
        }
    }
}

void OSWindow::OnForwardedCommandLine(const char* data, size_t length) {
    if (data == nullptr || !mEnabled || mOwner == nullptr) {
        return;
    }
    const void* end = std::memchr(data, 0, length);
    const size_t size = end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - data) : length;
    mOwner->ProcessForwardedCommandLine(std::string(data, size));
}

// ---- painting ----

void OSWindow::RequestPaint(const RectT<int32_t>& rect) {
    {
        CAutoLock lock(mPaintLock);
        const int32_t left = std::max(rect.x, 0);
        const int32_t top = std::max(rect.y, 0);
        const int32_t right = std::min(rect.x + rect.width, mClientSize.width);
        const int32_t bottom = std::min(rect.y + rect.height, mClientSize.height);
        if (right <= left || bottom <= top) {
            return;
        }
        const RegionRect added{left, top, right, bottom};
        const bool inside = std::any_of(mInvalid.begin(), mInvalid.end(), [&](const RegionRect& r) {
            return r.left <= left && r.top <= top && r.right >= right && r.bottom >= bottom;
        });
        if (!inside) {
            if (mInvalid.size() < kMaxInvalidRects) {
                mInvalid.push_back(added);
            } else {
                // Beyond the cap one rectangle covers them all.
                RegionRect bounds = added;
                for (const RegionRect& r : mInvalid) {
                    bounds = {std::min(bounds.left, r.left), std::min(bounds.top, r.top),
                              std::max(bounds.right, r.right), std::max(bounds.bottom, r.bottom)};
                }
                mInvalid.assign(1, bounds);
            }
        }
    }
    mPaintPending = true;
    // Every time, not only when the paint was not yet due: a wake that did not arrive (the
    // desktop's queue full) is tried again by the next invalidation. Waking coalesces.
    WakeUserInterface();
}

int32_t OSWindow::InvalidateAll() {
    RectT<int32_t> whole;
    {
        CAutoLock lock(mPaintLock);
        whole = mClientSize;
    }
    RequestPaint(whole);
    return S_OK;
}

int32_t OSWindow::InvalidateRect(const RectT<int32_t>& rect) {
    RequestPaint(rect);
    return S_OK;
}

void OSWindow::Paint() {
    if (mPopupOwner != nullptr) {
        PaintPopup();
        return;
    }
    mPaintPending = false;
    std::vector<RegionRect> invalid;
    {
        CAutoLock lock(mPaintLock);
        invalid.swap(mInvalid);
    }
    if (!mRootWindow || !mRenderContext || !mRenderer) {
        return;
    }
    RectRegion local;
    mRootWindow->TakeUpdateRegion(local);
    RectRegion& region = mRenderContext->GetUpdateRegion();
    region.Clear();
    region.Append(local);
    for (const RegionRect& rect : invalid) {
        region.AddRect(rect.left, rect.top, rect.right, rect.bottom);
    }
    region.Normalize();
    if (region.IsEmpty()) {
        return;
    }
    CAutoRenderFrame frame(*mRenderer, mRenderContext);
    const RectT<int32_t>& viewport = mRenderContext->GetViewport();
    RegionRect bounds;
    region.GetBounds(bounds);
    const bool everything =
        region.GetCount() == 1 && bounds == RegionRect{viewport.x, viewport.y, viewport.x + viewport.width,
                                                       viewport.y + viewport.height};
    // Parts merely uncovered on the screen come back from the retained frame when presented.
    mRootWindow->Paint(everything ? region : local);
    frame.Finish();
}

// ---- popup windows ----

bool OSWindow::GetPopupArea(RectT<int32_t>& area) {
    if (mWindow == nullptr || mPopupOwner != nullptr) {
        return false;
    }
    PointT<int32_t> origin{0, 0};
    ClientToScreen(origin);
    const RectT<int32_t> work = GetApplicationServices().GetWorkArea();
    area = {work.x - origin.x, work.y - origin.y, work.width, work.height};
    return true;
}

bool OSWindow::IsOwnPopupWindow(uint32_t windowId) const {
    return windowId != 0 && std::any_of(mPopups.begin(), mPopups.end(), [windowId](const auto& popup) {
               return popup->mWindowId == windowId && popup->mWindow != nullptr && popup->mPopupControl;
           });
}

OSWindow* OSWindow::FindPopupWindow(const LControl* control) const {
    for (const std::unique_ptr<OSWindow>& popup : mPopups) {
        if (control != nullptr && popup->mPopupControl.Get() == control) {
            return popup.get();
        }
    }
    return nullptr;
}

int32_t OSWindow::ShowPopupWindow(const RCPtr<LControl>& control, const RectT<int32_t>& rect) {
    if (mWindow == nullptr || !mRenderer || !mRootWindow || !control || mPopupOwner != nullptr) {
        return E_FAIL;
    }
    OSWindow* popup = FindPopupWindow(control.Get());
    for (size_t i = 0; popup == nullptr && i < mPopups.size(); ++i) {
        if (!mPopups[i]->mPopupControl) {
            popup = mPopups[i].get();
        }
    }
    if (popup == nullptr) {
        PointT<int32_t> origin{rect.x, rect.y};
        ClientToScreen(origin);
        auto made = std::make_unique<OSWindow>(
            nullptr, WString(), RectT<int32_t>{origin.x, origin.y, rect.width, rect.height}, this, true);
        if (!made->IsCreated()) {
            return E_FAIL;
        }
        RectT<int32_t> client;
        made->GetClientRect(client);
        if (mRenderer->InitRenderContextInfo(client, made->GetHandle(), false, made->mRenderContext) !=
            S_OK) {
            return E_FAIL;
        }
        if (auto* target = dynamic_cast<LGDIRenderContextInfo*>(made->mRenderContext.Get())) {
            target->SetPresenter(made->mWindow.get());
        }
        made->mRenderer = mRenderer;
        made->mPopupOwner = this;
        popup = made.get();
        CAutoLock lock(mPaintLock);
        mPopups.push_back(std::move(made));
    }
    popup->mPopupControl = control;
    popup->PlacePopup(rect);
    popup->mWindow->Show();
    popup->InvalidateAll();
    return S_OK;
}

void OSWindow::HidePopupWindow(const LControl* control) {
    OSWindow* popup = FindPopupWindow(control);
    if (popup == nullptr) {
        return;
    }
    const bool hadKeyboard = Platform::GetKeyboardWindowId() == popup->mWindowId;
    popup->mWindow->Hide();
    if (hadKeyboard) {
        mWindow->TakeKeyboard();
    }
    {
        CAutoLock lock(mPaintLock);
        popup->mPopupRect = {};
    }
    popup->mPopupControl = nullptr;
}

void OSWindow::InvalidatePopups(const RectT<int32_t>& rect) {
    CAutoLock lock(mPaintLock);
    for (const std::unique_ptr<OSWindow>& popup : mPopups) {
        const RectT<int32_t>& at = popup->mPopupRect;
        const bool meets = at.width > 0 && at.height > 0 && rect.x < at.x + at.width &&
                           at.x < rect.x + rect.width && rect.y < at.y + at.height &&
                           at.y < rect.y + rect.height;
        if (meets) {
            popup->InvalidateAll();
        }
    }
}

void OSWindow::PlacePopup(const RectT<int32_t>& rect) {
    const RectT<int32_t> size{0, 0, std::max(rect.width, 1), std::max(rect.height, 1)};
    {
        CAutoLock lock(mPopupOwner->mPaintLock);
        if (mPopupRect == rect) {
            return;
        }
        mPopupRect = rect;
    }
    PointT<int32_t> origin{rect.x, rect.y};
    mPopupOwner->ClientToScreen(origin);
    mWindow->SetPosition(origin.x, origin.y);
    mWindow->SetSize(size.width, size.height);
    {
        CAutoLock lock(mPaintLock);
        mClientSize = size;
    }
    if (mRenderContext) {
        mRenderContext->SetViewport(size);
    }
    InvalidateAll();
}

void OSWindow::PaintPopup() {
    mPaintPending = false;
    const RCPtr<LRootWindow> root = mPopupOwner->GetRootWindow();
    const RCPtr<LControl> control = mPopupControl;
    if (!control || !root || !mRenderContext || !mRenderer) {
        return;
    }
    if (control->GetRootWindow().Get() != root.Get() || !control->IsVisible(true)) {
        // Taken out of the tree, or hidden with a part of it, without being hidden itself.
        mPopupOwner->HidePopupWindow(control.Get());
        return;
    }
    // The popup's place follows the control: a menu that grew or moved takes its window along.
    const PointT<double> at = control->GetRectInWindow();
    const RectT<double>& frame = control->GetFrame();
    PlacePopup({static_cast<int32_t>(std::lround(at.x)), static_cast<int32_t>(std::lround(at.y)),
                static_cast<int32_t>(std::lround(frame.width)),
                static_cast<int32_t>(std::lround(frame.height))});
    // Small enough to paint whole each time.
    mPaintPending = false;
    RectT<int32_t> size;
    {
        CAutoLock lock(mPaintLock);
        size = mClientSize;
        mInvalid.clear();
    }
    RectRegion& region = mRenderContext->GetUpdateRegion();
    region.Clear();
    region.AddRect(0, 0, size.width, size.height);
    region.Normalize();
    CAutoRenderFrame paintFrame(*mRenderer, mRenderContext);
    root->PaintPopup(control, {mPopupRect.x, mPopupRect.y});
    paintFrame.Finish();
}

void OSWindow::ForwardToPopupOwner(const Platform::WindowEvent& event) {
    using Event = Platform::WindowEvent;
    const bool input = event.type >= Event::kPointerMoved && event.type <= Event::kText;
    if (!input) {
        if (event.type == Event::kShown || event.type == Event::kExposed) {
            InvalidateAll();
        }
        // The keyboard left both the owner and its popups while the popup had it: the owner
        // lost its focus.
        const uint32_t now = Platform::GetKeyboardWindowId();
        if (event.type == Event::kFocusLost && mPopupControl && mPopupOwner->mFocusInPopup &&
            now != mPopupOwner->mWindowId && !mPopupOwner->IsOwnPopupWindow(now)) {
            Event lost = event;
            lost.windowId = mPopupOwner->mWindowId;
            mPopupOwner->OnWindowEvent(lost);
        }
        return;
    }
    if (!mPopupControl || mPopupOwner->mWindow == nullptr) {
        return;
    }
    // The popup is a part of the owner's tree: its input is the owner's, at the owner's client
    // coordinates (outside the client area where the popup reaches past it).
    Event copy = event;
    copy.windowId = mPopupOwner->mWindowId;
    if (event.type == Event::kPointerMoved || event.type == Event::kButtonDown ||
        event.type == Event::kButtonUp || event.type == Event::kWheel) {
        copy.x += mPopupRect.x;
        copy.y += mPopupRect.y;
    }
    mPopupOwner->HandleEvent(copy);
}

int32_t OSWindow::UpdateNow() {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    Paint();
    return S_OK;
}

// ---- services ----

int32_t OSWindow::SetTitle(const WString& title) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    mWindow->SetTitle(title.ToUTF8().GetString());
    return S_OK;
}

int32_t OSWindow::GetClientRect(RectT<int32_t>& rect) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    const PointT<int32_t> size = mWindow->GetSize();
    if (size.x >= 0 && size.y >= 0) {
        rect = {0, 0, size.x, size.y};
    }
    return S_OK;
}

int32_t OSWindow::ScreenToClient(PointT<int32_t>& point) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    const PointT<int32_t> origin = mWindow->GetPosition();
    point = {point.x - origin.x, point.y - origin.y};
    return S_OK;
}

int32_t OSWindow::ClientToScreen(PointT<int32_t>& point) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    const PointT<int32_t> origin = mWindow->GetPosition();
    point = {point.x + origin.x, point.y + origin.y};
    return S_OK;
}

int32_t OSWindow::SetWindowRect(const RectT<int32_t>& rect) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    mWindow->SetPosition(rect.x, rect.y);
    mWindow->SetSize(std::max(rect.width, 1), std::max(rect.height, 1));
    return S_OK;
}

bool OSWindow::Show(int32_t command) {
    if (mWindow == nullptr) {
        return false;
    }
    const bool wasVisible = mWindow->IsShown();
    switch (command) {
        case kShowHide:
            mWindow->Hide();
            break;
        case kShowMinimized:
            mWindow->Minimize();
            break;
        case kShowMaximized:
            mWindow->Show();
            mWindow->Maximize();
            break;
        default:
            mWindow->Show();
            break;
    }
    return wasVisible;
}

int32_t OSWindow::BringToTop() {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    mWindow->Raise();
    return S_OK;
}

int32_t OSWindow::SetTopMost(bool topMost) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    mWindow->SetAlwaysOnTop(topMost);
    return S_OK;
}

int32_t OSWindow::SetFocus() {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    mWindow->Raise();
    return S_OK;
}

CursorHandle OSWindow::SetCursor(CursorHandle cursor) {
    CursorHandle& current = CurrentCursor();
    if (cursor == current) {
        return current;
    }
    const CursorHandle previous = current;
    current = cursor;
    Platform::SetPointerCursor(cursor);
    return previous;
}

// ---- modal loop ----

int32_t OSWindow::EndModal(int32_t result) {
    if (mModal) {
        mModalResult = result;
        mModal = false;
        return S_OK;
    }
    DestroyWindow();
    return S_OK;
}

int32_t OSWindow::RunModal() {
    MessageLoop* modalLoop = mOwner != nullptr ? mOwner->GetModalLoop() : MessageLoop::GetCurrent();
    if (mWindow == nullptr || modalLoop == nullptr) {
        return -1;
    }
    MessageLoop& loop = *modalLoop;
    mModal = true;
    mModalResult = 0;
    const bool parentWasEnabled = mParent != nullptr && mParent->IsEnabled();
    if (parentWasEnabled) {
        mParent->SetEnabled(false);
    }
    mEnabled = true;
    // A hidden window shows at its first idle moment: after what is queued now.
    if (!mWindow->IsShown()) {
        // By id: the window may be gone by the time the task runs.
        loop.Post([id = mWindowId] {
            OSWindow* window = FromWindowId(id);
            if (window != nullptr && window->mModal && window->mWindow != nullptr &&
                !window->mWindow->IsShown()) {
                window->Show(kShowNormal);
                window->UpdateNow();
            }
        });
    }
    const bool ended = loop.RunUntil([this] { return !mModal; });
    mModal = false;
    if (parentWasEnabled) {
        mParent->SetEnabled(true);
        if (mActive) {
            mParent->SetFocus();
        }
    }
    // A quit that ended the run cancels the window.
    const int32_t result = ended ? mModalResult : kModalCancelResult;
    DestroyWindow();
    return result;
}

}  // namespace QV
