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

uint32_t WindowIdOf(const SDL_Event& event) {
    switch (event.type) {
        case SDL_WINDOWEVENT:
            return event.window.windowID;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return event.key.windowID;
        case SDL_TEXTEDITING:
            return event.edit.windowID;
        case SDL_TEXTINPUT:
            return event.text.windowID;
        case SDL_MOUSEMOTION:
            return event.motion.windowID;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return event.button.windowID;
        case SDL_MOUSEWHEEL:
            return event.wheel.windowID;
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
        case SDL_DROPBEGIN:
        case SDL_DROPCOMPLETE:
            return event.drop.windowID;
        default:
            if (event.type >= SDL_USEREVENT && event.type < SDL_LASTEVENT) {
                return event.user.windowID;
            }
            return 0;
    }
}

void PutInt32(std::vector<uint8_t>& out, int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int32_t shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(bits >> shift));
    }
}

}  // namespace

// SDL's queue as the loop's event source. Wake pushes one event of its own type; a second wake
// before the loop has taken it adds nothing, and a push that fails is forgotten so that the next
// wake tries again.
class SdlLoopEventSource final : public IEventSource {
public:
    SdlLoopEventSource() {
        WakeType();
        // A wake event of an earlier source may have gone with its queue (video shut down and
        // started again): this queue holds none, so the next wake must push.
        sWakePending = false;
        mPreviousWake = SetUserInterfaceWake(&SdlLoopEventSource::WakeLoop);
    }
    ~SdlLoopEventSource() override { SetUserInterfaceWake(mPreviousWake); }

    static uint32_t WakeType() {
        static const uint32_t type = [] {
            const uint32_t registered = SDL_RegisterEvents(1);
            return registered == static_cast<uint32_t>(-1) ? 0u : registered;
        }();
        return type;
    }
    static void WakeLoop() {
        if (WakeType() == 0 || sWakePending.exchange(true)) {
            return;
        }
        SDL_Event event{};
        event.type = WakeType();
        if (SDL_PushEvent(&event) != 1) {
            sWakePending = false;
        }
    }

    bool DispatchNext() override {
        SDL_Event event;
        if (SDL_PollEvent(&event) != 1) {
            return false;
        }
        if (event.type == WakeType()) {
            // Taken before the work it announces is looked at: a later wake pushes again.
            sWakePending = false;
        } else if (event.type == SDL_QUIT) {
            if (MessageLoop* loop = MessageLoop::GetCurrent()) {
                loop->RequestQuit();
            }
        } else {
            OSWindow::DispatchEvent(event);
        }
        return true;
    }
    bool Wait(int32_t timeoutMs) override {
        // Waiting without taking: the event is dispatched by the loop's next pass. A failed wait
        // (the queue is gone) still returns to the loop, which finds nothing and waits again.
        if (timeoutMs < 0) {
            SDL_WaitEvent(nullptr);
        } else {
            SDL_WaitEventTimeout(nullptr, timeoutMs);
        }
        return true;
    }
    void Wake() override { WakeLoop(); }
    uint32_t GetTimeMs() override { return SDL_GetTicks(); }

    static inline std::atomic<bool> sWakePending{false};

private:
    UserInterfaceWakeFunction mPreviousWake = nullptr;
};

std::unique_ptr<IEventSource> OSWindow::CreateEventSource() {
    return std::make_unique<SdlLoopEventSource>();
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

bool OSWindow::DispatchEvent(const SDL_Event& event) {
    OSWindow* window = FromWindowId(WindowIdOf(event));
    if (window == nullptr) {
        return false;
    }
    window->HandleEvent(event);
    return true;
}

OSWindow::OSWindow(IOSWindowOwner* owner, const WString& title, const RectT<int32_t>& clientRect,
                   OSWindow* parent, bool popup)
    : mOwner(owner), mParent(parent), mPresenter(nullptr) {
    Platform::SdlPresenter::SetSoftwareSurfaceHint();
    const uint32_t kind = popup ? SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR |
                                      SDL_WINDOW_ALWAYS_ON_TOP
                                : SDL_WINDOW_RESIZABLE;
    mWindow = SDL_CreateWindow(title.ToUTF8().GetString(), clientRect.x, clientRect.y,
                               std::max(clientRect.width, 1), std::max(clientRect.height, 1),
                               SDL_WINDOW_HIDDEN | kind);
    if (mWindow == nullptr) {
        return;
    }
    mPresenter = Platform::SdlPresenter(mWindow);
    mWindowId = SDL_GetWindowID(mWindow);
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
        target->SetPresenter(&mPresenter);
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
        SDL_CaptureMouse(SDL_FALSE);
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
    SDL_DestroyWindow(mWindow);
    mWindow = nullptr;
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
    uint32_t flags = 0;
    if (mWindow != nullptr) {
        SDL_GetWindowPosition(mWindow, &x, &y);
        SDL_GetWindowSize(mWindow, &width, &height);
        if (SDL_GetWindowBordersSize(mWindow, &top, &left, &bottom, &right) != 0) {
            top = left = bottom = right = 0;
        }
        flags = SDL_GetWindowFlags(mWindow);
    }
    const int32_t showCommand = (flags & SDL_WINDOW_MAXIMIZED) != 0   ? kShowMaximized
                                : (flags & SDL_WINDOW_MINIMIZED) != 0 ? kShowMinimized
                                                                      : kShowNormal;
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

void OSWindow::HandleEvent(const SDL_Event& event) {
    if (mWindow == nullptr) {
        return;
    }
    // A window under a modal one takes no input.
    const bool input = event.type == SDL_MOUSEMOTION || event.type == SDL_MOUSEBUTTONDOWN ||
                       event.type == SDL_MOUSEBUTTONUP || event.type == SDL_MOUSEWHEEL ||
                       event.type == SDL_KEYDOWN || event.type == SDL_KEYUP || event.type == SDL_TEXTINPUT;
    if (input && !mEnabled) {
        return;
    }
    if (mPopupOwner != nullptr) {
        ForwardToPopupOwner(event);
        return;
    }
    switch (event.type) {
        case SDL_WINDOWEVENT:
            OnWindowEvent(event.window);
            return;
        case SDL_MOUSEMOTION:
            OnMotion(event.motion);
            return;
        case SDL_MOUSEBUTTONDOWN:
            OnButton(event.button, true);
            return;
        case SDL_MOUSEBUTTONUP:
            OnButton(event.button, false);
            return;
        case SDL_MOUSEWHEEL:
            OnWheel(event.wheel);
            return;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            OnKey(event.key);
            return;
        case SDL_TEXTINPUT:
            OnText(event.text);
            return;
        default:
            return;
    }
}

void OSWindow::OnWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
            InvalidateAll();
            return;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
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
        case SDL_WINDOWEVENT_FOCUS_LOST:
            // The desktop gives a shown popup window the keyboard; the popup hands its keys
            // back here, so this window keeps its focus.
            if (IsOwnPopupWindow(SDL_GetKeyboardFocus())) {
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
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            OnSizeChanged(event.data1, event.data2);
            return;
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
            if (mRootWindow) {
                mRootWindow->SetFullRepaint();
            }
            InvalidateAll();
            return;
        case SDL_WINDOWEVENT_MOVED:
            OnMoved();
            return;
        case SDL_WINDOWEVENT_LEAVE:
            // The pointer left the client area: nothing is hovered any more.
            if (mRootWindow && mButtons == 0) {
                mRootWindow->SetHoverControl(nullptr);
            }
            return;
        case SDL_WINDOWEVENT_CLOSE:
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
        SDL_SetWindowSize(mWindow, size.x, size.y);
        int32_t actualWidth = 0;
        int32_t actualHeight = 0;
        SDL_GetWindowSize(mWindow, &actualWidth, &actualHeight);
        if (actualWidth == width && actualHeight == height) {
            return;
        }
        width = actualWidth;
        height = actualHeight;
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
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    SDL_GetWindowPosition(mWindow, &x, &y);
    SDL_GetWindowSize(mWindow, &width, &height);
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
    SDL_CaptureMouse(SDL_FALSE);
    mHasCapture = false;
    mPressCount = 0;
    if (mRootWindow) {
        mRootWindow->OnCaptureChanged();
    }
}

void OSWindow::OnButton(const SDL_MouseButtonEvent& event, bool down) {
    const uint32_t bit = Platform::ButtonBitFromSdl(event.button);
    if (bit == 0 || !mRootWindow) {
        return;
    }
    const uint32_t modifiers =
        Platform::PointerModifierFlagsFromSdl(static_cast<uint16_t>(SDL_GetModState()));
    const PointT<int32_t> point{event.x, event.y};
    mCursorPos = point;
    if (down) {
        if (!mRootWindow->GetFocusControl()) {
            SetFocus();
        }
        mButtons |= bit;
        if (mPressCount++ == 0 && !mHasCapture) {
            SDL_CaptureMouse(SDL_TRUE);
            mHasCapture = true;
        }
        // SDL counts the clicks of a series: the second of each pair is a double click.
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

void OSWindow::OnMotion(const SDL_MouseMotionEvent& event) {
    if (!mRootWindow) {
        return;
    }
    const PointT<int32_t> point{event.x, event.y};
    if (mHasCapture && mButtons == 0 && !IsOverClient(point)) {
        ReleaseOSCapture();
    }
    mCursorPos = point;
    mRootWindow->OnMouseMove(
        point, Platform::PointerModifierFlagsFromSdl(static_cast<uint16_t>(SDL_GetModState())), 0);
}

void OSWindow::OnWheel(const SDL_MouseWheelEvent& event) {
    if (!mRootWindow) {
        return;
    }
    int32_t deltas[2] = {0, 0};
    Platform::WheelAccumulator::DeltasFromSdl(event, deltas[0], deltas[1]);
    const uint32_t modifiers =
        Platform::PointerModifierFlagsFromSdl(static_cast<uint16_t>(SDL_GetModState()));
    for (int32_t axis = 0; axis < 2; ++axis) {
        if (deltas[axis] == 0) {
            continue;
        }
        // However many notches the event completes, the controls hear of it once.
        const int32_t notches = mWheel.Add(axis, deltas[axis]);
        if (notches == 0) {
            continue;
        }
        mCursorPos = {event.mouseX, event.mouseY};
        const int32_t direction = axis == 0 ? (notches > 0 ? Platform::kWheelUp : Platform::kWheelDown)
                                            : (notches > 0 ? Platform::kWheelRight : Platform::kWheelLeft);
        mRootWindow->OnMouseWheel(mCursorPos, modifiers, direction);
    }
}

void OSWindow::SendKey(const KeyCode& key) {
    if (mRootWindow) {
        mRootWindow->OnKey(LKeyParam::Create(key, true));
    }
}

void OSWindow::OnKey(const SDL_KeyboardEvent& event) {
    const bool down = event.type == SDL_KEYDOWN;
    const uint16_t keymod = event.keysym.mod;
    const uint32_t virtualKey = Platform::VirtualKeyFromSdl(event.keysym.sym, event.keysym.scancode);
    if (virtualKey != 0) {
        const uint8_t value = down ? (event.repeat != 0 ? 1 : 0) : 1;
        SendKey(KeyCode(virtualKey, down, value, Platform::KeyModifierFlagsFromSdl(keymod)));
    }
    // The characters SDL's text input leaves out follow their key, as typed characters do.
    if (down) {
        const char16_t character = Platform::ControlCharacterFromSdl(event.keysym.sym, keymod);
        if (character != 0) {
            SendKey(KeyCode(character, Platform::PointerModifierFlagsFromSdl(keymod)));
        }
    }
}

void OSWindow::OnText(const SDL_TextInputEvent& event) {
    const uint16_t keymod = static_cast<uint16_t>(SDL_GetModState());
    if (keymod & KMOD_GUI) {
        return;
    }
    const uint32_t flags = Platform::PointerModifierFlagsFromSdl(keymod);
    for (const char16_t unit : Platform::Utf16FromTextInput(event.text)) {
        // Control characters come from their keys only.
        if (unit >= 0x20 && unit != 0x7F) {
            SendKey(KeyCode(unit, flags));
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

bool OSWindow::IsOwnPopupWindow(const SDL_Window* window) const {
    return window != nullptr && std::any_of(mPopups.begin(), mPopups.end(), [window](const auto& popup) {
               return popup->mWindow == window && popup->mPopupControl;
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
            target->SetPresenter(&made->mPresenter);
        }
        made->mRenderer = mRenderer;
        made->mPopupOwner = this;
        popup = made.get();
        CAutoLock lock(mPaintLock);
        mPopups.push_back(std::move(made));
    }
    popup->mPopupControl = control;
    popup->PlacePopup(rect);
    SDL_ShowWindow(popup->mWindow);
    popup->InvalidateAll();
    return S_OK;
}

void OSWindow::HidePopupWindow(const LControl* control) {
    OSWindow* popup = FindPopupWindow(control);
    if (popup == nullptr) {
        return;
    }
    const bool hadKeyboard = SDL_GetKeyboardFocus() == popup->mWindow;
    SDL_HideWindow(popup->mWindow);
    if (hadKeyboard) {
        SDL_SetWindowInputFocus(mWindow);
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
    SDL_SetWindowPosition(mWindow, origin.x, origin.y);
    SDL_SetWindowSize(mWindow, size.width, size.height);
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

void OSWindow::ForwardToPopupOwner(const SDL_Event& event) {
    if (event.type == SDL_WINDOWEVENT) {
        if (event.window.event == SDL_WINDOWEVENT_SHOWN || event.window.event == SDL_WINDOWEVENT_EXPOSED) {
            InvalidateAll();
        }
        // The keyboard left both the owner and its popups while the popup had it: the owner
        // lost its focus.
        SDL_Window* now = SDL_GetKeyboardFocus();
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST && mPopupControl && mPopupOwner->mFocusInPopup &&
            now != mPopupOwner->mWindow && !mPopupOwner->IsOwnPopupWindow(now)) {
            SDL_WindowEvent lost = event.window;
            lost.windowID = mPopupOwner->mWindowId;
            mPopupOwner->OnWindowEvent(lost);
        }
        return;
    }
    if (!mPopupControl || mPopupOwner->mWindow == nullptr) {
        return;
    }
    // The popup is a part of the owner's tree: its input is the owner's, at the owner's client
    // coordinates (outside the client area where the popup reaches past it).
    SDL_Event copy = event;
    const uint32_t owner = mPopupOwner->mWindowId;
    switch (event.type) {
        case SDL_MOUSEMOTION:
            copy.motion.windowID = owner;
            copy.motion.x += mPopupRect.x;
            copy.motion.y += mPopupRect.y;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            copy.button.windowID = owner;
            copy.button.x += mPopupRect.x;
            copy.button.y += mPopupRect.y;
            break;
        case SDL_MOUSEWHEEL:
            copy.wheel.windowID = owner;
            copy.wheel.mouseX += mPopupRect.x;
            copy.wheel.mouseY += mPopupRect.y;
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            copy.key.windowID = owner;
            break;
        case SDL_TEXTINPUT:
            copy.text.windowID = owner;
            break;
        default:
            return;
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
    SDL_SetWindowTitle(mWindow, title.ToUTF8().GetString());
    return S_OK;
}

int32_t OSWindow::GetClientRect(RectT<int32_t>& rect) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    int32_t width = 0;
    int32_t height = 0;
    SDL_GetWindowSize(mWindow, &width, &height);
    if (width >= 0 && height >= 0) {
        rect = {0, 0, width, height};
    }
    return S_OK;
}

int32_t OSWindow::ScreenToClient(PointT<int32_t>& point) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    int32_t x = 0;
    int32_t y = 0;
    SDL_GetWindowPosition(mWindow, &x, &y);
    point = {point.x - x, point.y - y};
    return S_OK;
}

int32_t OSWindow::ClientToScreen(PointT<int32_t>& point) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    int32_t x = 0;
    int32_t y = 0;
    SDL_GetWindowPosition(mWindow, &x, &y);
    point = {point.x + x, point.y + y};
    return S_OK;
}

int32_t OSWindow::SetWindowRect(const RectT<int32_t>& rect) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    SDL_SetWindowPosition(mWindow, rect.x, rect.y);
    SDL_SetWindowSize(mWindow, std::max(rect.width, 1), std::max(rect.height, 1));
    return S_OK;
}

bool OSWindow::Show(int32_t command) {
    if (mWindow == nullptr) {
        return false;
    }
    const bool wasVisible = (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_SHOWN) != 0;
    switch (command) {
        case kShowHide:
            SDL_HideWindow(mWindow);
            break;
        case kShowMinimized:
            SDL_MinimizeWindow(mWindow);
            break;
        case kShowMaximized:
            SDL_ShowWindow(mWindow);
            SDL_MaximizeWindow(mWindow);
            break;
        default:
            SDL_ShowWindow(mWindow);
            break;
    }
    return wasVisible;
}

int32_t OSWindow::BringToTop() {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    SDL_RaiseWindow(mWindow);
    return S_OK;
}

int32_t OSWindow::SetTopMost(bool topMost) {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    SDL_SetWindowAlwaysOnTop(mWindow, topMost ? SDL_TRUE : SDL_FALSE);
    return S_OK;
}

int32_t OSWindow::SetFocus() {
    if (mWindow == nullptr) {
        return E_FAIL;
    }
    SDL_RaiseWindow(mWindow);
    return S_OK;
}

CursorHandle OSWindow::SetCursor(CursorHandle cursor) {
    CursorHandle& current = CurrentCursor();
    if (cursor == current) {
        return current;
    }
    const CursorHandle previous = current;
    current = cursor;
    if (cursor != 0) {
        SDL_SetCursor(reinterpret_cast<SDL_Cursor*>(cursor));
    }
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
    if ((SDL_GetWindowFlags(mWindow) & SDL_WINDOW_SHOWN) == 0) {
        // By id: the window may be gone by the time the task runs.
        loop.Post([id = mWindowId] {
            OSWindow* window = FromWindowId(id);
            if (window != nullptr && window->mModal &&
                (SDL_GetWindowFlags(window->mWindow) & SDL_WINDOW_SHOWN) == 0) {
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
