#include "RIZozivirod/Application/Windows/RootWindow.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/LayoutEngine.h"
#include "RIZozivirod/Controls/Dialog.h"
#include "RIZozivirod/Renderer/AutoClip.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

namespace {

std::atomic<IRootWindowList*>& RootWindowListSlot() {
    static std::atomic<IRootWindowList*>* const slot = new std::atomic<IRootWindowList*>(nullptr);
    return *slot;
}

bool IsDeliveredButton(int32_t button) {
    return button == 1 || button == 2 || button == 4;
}

bool IsPointerIndex(int32_t index) {
    return index >= 0 && index < LRootWindow::kPointerCount;
}

RectT<double> Intersect(const RectT<double>& a, const RectT<double>& b) {
    const double left = std::max(a.x, b.x);
    const double top = std::max(a.y, b.y);
    const double right = std::min(a.x + a.width, b.x + b.width);
    const double bottom = std::min(a.y + a.height, b.y + b.height);
    return {left, top, std::max(right - left, 0.0), std::max(bottom - top, 0.0)};
}

}  // namespace

IRootWindowList* SetRootWindowList(IRootWindowList* list) {
    return RootWindowListSlot().exchange(list);
}

IRootWindowList* GetRootWindowList() {
    return RootWindowListSlot().load();
}

// ---- creation and tree ----

RCPtr<LRootWindow> LRootWindow::Create(const RCPtr<LRenderer>& renderer, IWindowOSServices* os) {
    RCPtr<LRootWindow> window(new LRootWindow(renderer, os));
    // The queue delivers to the clients registered on the window itself.
    window->SetTargetDistributor(RCPtr<LNotificationDistributor>(window.Get()));
    window->AddInternalReferences(1);
    window->mTargetsItself = true;
    window->GetRect();
    return window;
}

LRootWindow::LRootWindow(const RCPtr<LRenderer>& renderer, IWindowOSServices* os)
    : mRenderer(renderer), mOSServices(os) {
    mHotKeys = LGlobalHotKeyManager::Create(RCPtr<LNotificationReceiver>(GetPostingReceiver()));
}

LRootWindow::~LRootWindow() = default;

int32_t LRootWindow::ReleaseInternalReferences() {
    Close();
    SetRootControl(nullptr);
    UnregisterAllClients();
    if (mTargetsItself) {
        mTargetsItself = false;
        AddInternalReferences(-1);
    }
    return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
}

int32_t LRootWindow::SetRootControl(const RCPtr<LControl>& control) {
    mFocusControl = nullptr;
    mPreviousFocus = nullptr;
    mHoverControl = nullptr;
    mCaptureControl = nullptr;
    mToolTipControl = nullptr;
    if (mRootControl) {
        const RCPtr<LControl> old = std::move(mRootControl);
        mRootControl = nullptr;
        if (mTreeReferenced) {
            mTreeReferenced = false;
            AddInternalReferences(-1);
        }
        old->Close();
        mHotKeys->ClearTable();
        // Closing may have handed focus or hover back to controls of the old tree.
        mFocusControl = nullptr;
        mPreviousFocus = nullptr;
        mHoverControl = nullptr;
        mCaptureControl = nullptr;
        mToolTipControl = nullptr;
    }
    if (!control) {
        return S_OK;
    }
    mRootControl = control;
    if (const RCPtr<LStringTable> table = control->GetStringTable()) {
        mHotKeys->GetTable().LoadFromStringTable(table, u"GHK");
    }
    if (!control->GetRootWindow()) {
        control->SetRootWindow(RCPtr<IRootWindow>(this));
    }
    // The tree fills the window's client area, whatever its skin says of its place.
    LLayoutDescriptor::Placement xPlacement;
    LLayoutDescriptor::Placement yPlacement;
    LLayoutDescriptor::Size xSize;
    LLayoutDescriptor::Size ySize;
    control->GetPlacement(0, xPlacement, xSize);
    control->GetPlacement(1, yPlacement, ySize);
    for (LLayoutDescriptor::Placement* placement : {&xPlacement, &yPlacement}) {
        placement->reference = PlacementReference::kClient;
        placement->factor = 0.0f;
        placement->offset = 0.0;
        // A skin centres its top-level control on the screen with an anchor; inside the window
        // the tree starts at the client area's corner.
        placement->anchor = 0.0f;
    }
    for (LLayoutDescriptor::Size* size : {&xSize, &ySize}) {
        size->reference = SizeReference::kClient;
        size->factor = 1.0f;
        size->offset = 0.0;
    }
    control->SetPlacements(xPlacement, xSize, yPlacement, ySize);

    if (!mFocusControl && mOSServices != nullptr) {
        if (mOSServices->HasFocus()) {
            control->SetFocus(true);
        } else {
            mOSServices->SetFocus();
        }
    }
    if (control->GetRootWindow().Get() == static_cast<IRootWindow*>(this)) {
        AddInternalReferences(1);
        mTreeReferenced = true;
    }
    const RectT<int32_t> rect = GetRect();
    Invalidate({0, 0, rect.width, rect.height});
    return S_OK;
}

int32_t LRootWindow::CreateRootControl(const RCPtr<LControlDescriptor>& descriptor) {
    if (!descriptor || descriptor->GetName().IsEmpty()) {
        return SetRootControl(nullptr);
    }
    const RCPtr<LControlFactory> factory = LControlFactory::GetCurrent();
    if (!factory) {
        return E_FAIL;
    }
    const RCPtr<LControl> control =
        factory->CreateRootControl(descriptor->GetName(), RCPtr<IRootWindow>(this));
    if (!control) {
        return E_FAIL;
    }
    return SetRootControl(control);
}

// ---- pointer ----

template <class P, class... Args>
RCPtr<P> LRootWindow::Reuse(RCPtr<P>& slot, Args... args) {
    if (slot && slot->GetRefCount() == 1) {
        // Nobody kept the last one: it takes the new values (the counts stay its own).
        *slot = P(args...);
    } else {
        slot = RCPtr<P>(new P(args...));
    }
    return slot;
}

void LRootWindow::HideToolTip() {
    if (mToolTipControl) {
        mToolTipControl->ShowToolTip(false);
    }
}

PointT<int32_t> LRootWindow::RelativeTo(const LControl& control, const PointT<int32_t>& point) {
    const PointT<double> origin = control.GetRectInWindow();
    return {point.x - RoundToInt32(origin.x), point.y - RoundToInt32(origin.y)};
}

RCPtr<LControl> LRootWindow::PointerTarget(const PointT<int32_t>& point, PointT<int32_t>& local) {
    if (mCaptureControl) {
        local = RelativeTo(*mCaptureControl, point);
        return mCaptureControl;
    }
    return HitTest(point, local, true);
}

RCPtr<LControl> LRootWindow::HitTest(const PointT<int32_t>& point, PointT<int32_t>& localPoint,
                                     bool updateHover) {
    RCPtr<LControl> hit;
    localPoint = {};
    if (mRootControl) {
        const RectT<double>& frame = mRootControl->GetFrame();
        int32_t bestZ = INT32_MIN;
        hit = mRootControl->HitTest({point.x - RoundToInt32(frame.x), point.y - RoundToInt32(frame.y)}, true,
                                    localPoint, bestZ);
    }
    if (updateHover) {
        SetHoverControl(hit);
    }
    return hit;
}

void LRootWindow::OnMouseButton(int32_t action, int32_t button, uint32_t modifiers,
                                const PointT<int32_t>& point, int32_t pointerIndex) {
    // The pointer reaches the window whatever its activation: hover over an inactive window,
    // and the click that activates it, are delivered as on any desktop (a window under a modal
    // one gets no input from its host window at all).
    if (mOSServices == nullptr) {
        return;
    }
    if (point != GetCursorPos()) {
        OnMouseMove(point, modifiers, pointerIndex);
    }
    HideToolTip();
    const uint32_t bit = static_cast<uint32_t>(button);
    if (action == kRelease) {
        if (IsPointerIndex(pointerIndex)) {
            mPressedButtons[pointerIndex] &= ~bit;
        }
        if (!mCaptureControl) {
            return;
        }
        const RCPtr<LControl> target = mCaptureControl;
        const PointT<int32_t> local = RelativeTo(*target, point);
        if (IsDeliveredButton(button)) {
            const bool doubleClick = (mDoubleClickButtons & bit) != 0;
            target->OnMouseUp(Reuse(mButtonParam, local.x, local.y, modifiers, pointerIndex, button,
                                    doubleClick, GetMouseButtons()));
        }
        mDoubleClickButtons &= ~bit;
        return;
    }
    const bool doubleClick = action == kDoubleClick;
    if (!doubleClick && IsPointerIndex(pointerIndex)) {
        mPressedButtons[pointerIndex] |= bit;
    }
    PointT<int32_t> local;
    const RCPtr<LControl> target = PointerTarget(point, local);
    if (!target || !IsDeliveredButton(button)) {
        return;
    }
    target->OnMouseDown(Reuse(mButtonParam, local.x, local.y, modifiers, pointerIndex, button, doubleClick,
                              GetMouseButtons()));
    if (doubleClick) {
        mDoubleClickButtons |= bit;
    } else {
        mDoubleClickButtons &= ~bit;
    }
}

void LRootWindow::OnMouseMove(const PointT<int32_t>& point, uint32_t modifiers, int32_t pointerIndex) {
    if (mOSServices == nullptr) {
        return;
    }
    PointT<int32_t> local;
    // The hover follows the pointer even while another control holds the capture.
    RCPtr<LControl> target = HitTest(point, local, true);
    if (mCaptureControl) {
        target = mCaptureControl;
        local = RelativeTo(*target, point);
    }
    if (target) {
        target->OnMouseMove(Reuse(mMoveParam, local.x, local.y, modifiers, pointerIndex));
    }
}

void LRootWindow::OnMouseWheel(const PointT<int32_t>& point, uint32_t modifiers, int32_t direction) {
    if (mOSServices == nullptr) {
        return;
    }
    HideToolTip();
    PointT<int32_t> local;
    const RCPtr<LControl> target = PointerTarget(point, local);
    if (!target) {
        return;
    }
    // The wheel's point stays in client coordinates.
    const RCPtr<LMouseWheelParam> param = Reuse(mWheelParam, point.x, point.y, modifiers, direction);
    const bool horizontal = direction >= 2;
    const int32_t result = horizontal ? target->OnMouseHWheel(param) : target->OnMouseWheel(param);
    if (result == S_FALSE && mFocusControl && mFocusControl.Get() != target.Get()) {
        const RCPtr<LControl> focus = mFocusControl;
        horizontal ? focus->OnMouseHWheel(param) : focus->OnMouseWheel(param);
    }
}

int32_t LRootWindow::SetHoverControl(const RCPtr<LControl>& control) {
    RCPtr<LControl> hover = control;
    // Nothing is hovered during another control's capture.
    if (mCaptureControl && mCaptureControl.Get() != hover.Get()) {
        hover = nullptr;
    }
    if (hover.Get() == mHoverControl.Get()) {
        return S_OK;
    }
    RCPtr<LControl> owner;
    if (hover && hover.Get() != mCaptureControl.Get()) {
        owner = hover;
        while (owner->UsesParentToolTip() && owner->GetParent() != nullptr) {
            owner = RCPtr<LControl>(owner->GetParent());
        }
        if (owner->GetToolTipText().IsEmpty()) {
            owner = nullptr;
        }
    }
    if (owner.Get() != mToolTipControl.Get()) {
        if (mToolTipControl) {
            mToolTipControl->ShowToolTip(false);
        }
        mToolTipControl = owner;
        if (owner) {
            owner->ShowToolTip(true);
        }
    }
    const PointT<int32_t> cursor = GetCursorPos();
    const RCPtr<LControl> old = mHoverControl;
    mHoverControl = hover;
    if (old && (old->GetParent() != nullptr || old->GetRootWindow())) {
        const PointT<int32_t> local = RelativeTo(*old, cursor);
        old->OnMouseLeave(Reuse(mHoverParam, local.x, local.y, GetKeyModifiers(), 0));
    }
    if (hover) {
        const PointT<int32_t> local = RelativeTo(*hover, cursor);
        hover->OnMouseEnter(Reuse(mHoverParam, local.x, local.y, GetKeyModifiers(), 0));
    }
    return S_OK;
}

int32_t LRootWindow::SetCaptureControl(const RCPtr<LControl>& control) {
    if (!control) {
        return E_INVALIDARG;
    }
    if (mCaptureControl && mCaptureControl.Get() != control.Get()) {
        const RCPtr<LControl> old = mCaptureControl;
        old->OnCaptureEnd();
    }
    mCaptureControl = control;
    return S_OK;
}

int32_t LRootWindow::ReleaseCaptureControl() {
    mCaptureControl = nullptr;
    return S_OK;
}

void LRootWindow::OnCaptureChanged() {
    if (mCaptureControl) {
        const RCPtr<LControl> holder = mCaptureControl;
        holder->OnCaptureEnd();
        if (mCaptureControl.Get() == holder.Get()) {
            mCaptureControl = nullptr;
        }
    }
}

uint32_t LRootWindow::GetPressedButtons(int32_t pointerIndex) const {
    return IsPointerIndex(pointerIndex) ? mPressedButtons[pointerIndex] : 0;
}

PointT<int32_t> LRootWindow::GetCursorPos() {
    if (mOSServices == nullptr) {
        return {};
    }
    // The window's own pointer state, from its own events, active or not.
    return mOSServices->GetCursorPos();
}

uint32_t LRootWindow::GetMouseButtons() {
    if (mOSServices == nullptr) {
        return 0;
    }
    return mOSServices->GetMouseButtons();
}

uint32_t LRootWindow::GetKeyModifiers() {
    IApplicationServices& services = GetApplicationServices();
    uint32_t modifiers = 0;
    bool down = false;
    bool toggled = false;
    services.GetKeyState(17, down, toggled);
    modifiers |= down ? KeyCode::kCtrl : 0;
    services.GetKeyState(16, down, toggled);
    modifiers |= down ? KeyCode::kShift : 0;
    services.GetKeyState(18, down, toggled);
    modifiers |= down ? KeyCode::kAlt : 0;
    return modifiers;
}

CursorHandle LRootWindow::SetCursor(CursorHandle cursor) {
    if (mOSServices == nullptr) {
        return 0;
    }
    if (cursor == 0) {
        cursor = GetApplicationServices().GetCursor(u"UI_CURSOR_ARROW");
    }
    return mOSServices->SetCursor(cursor);
}

void LRootWindow::SetTextInputFocus(bool gained, const RCPtr<LControl>&, bool flag) {
    if (mOSServices == nullptr) {
        return;
    }
    if (!gained) {
        mOSServices->EnableTextInput(false, flag);
    } else if (flag) {
        mOSServices->EnableTextInput(true, flag);
    }
}

// ---- keys and focus ----

void LRootWindow::OnKey(const RCPtr<LKeyParam>& key) {
    HideToolTip();
    if (mFocusControl && key) {
        const RCPtr<LControl> focus = mFocusControl;
        focus->OnKey(key);
    }
}

int32_t LRootWindow::HandleHotKey(const KeyCode& key) {
    if (mHotKeys && mHotKeys->HandleKey(key) == S_OK) {
        return S_OK;
    }
    IRootWindowList* list = GetRootWindowList();
    return list != nullptr ? list->HandleApplicationHotKey(key) : S_FALSE;
}

void LRootWindow::SaveFocus() {
    mPreviousFocus = mFocusControl;
    mFocusControl = nullptr;
}

void LRootWindow::OnKillFocus() {
    SetHoverControl(nullptr);
    if (mRootControl) {
        const RCPtr<LControl> root = mRootControl;
        root->SetFocus(true);
        root->OnFocusLost();
    }
}

void LRootWindow::OnSetFocus() {
    if (!mFocusControl && mPreviousFocus &&
        mPreviousFocus->GetRootWindow().Get() == static_cast<IRootWindow*>(this)) {
        const RCPtr<LControl> previous = mPreviousFocus;
        previous->SetFocus(true);
    } else if (mRootControl) {
        const RCPtr<LControl> root = mRootControl;
        root->SetFocus(true);
    }
}

void LRootWindow::CycleFocus(const RCPtr<LKeyParam>& key) {
    if (mOSServices == nullptr || !mOSServices->IsActive() || mOSServices->IsModal()) {
        return;
    }
    const bool forward = !key || (key->key.GetCode() & KeyCode::kShiftBit) == 0;
    IRootWindowList* list = GetRootWindowList();
    const int32_t count = list != nullptr ? list->GetRootWindowCount() : 1;
    if (count <= 1) {
        if (mRootControl) {
            const RCPtr<LControl> root = mRootControl;
            root->OnFocusLost();
            root->SetFocus(forward);
        }
        return;
    }
    int32_t index = list->IndexOfRootWindow(this) + (forward ? 1 : -1);
    if (index < 0) {
        index = count - 1;
    } else if (index >= count) {
        index = 0;
    }
    LRootWindow* other = list->GetRootWindowAt(index);
    if (other == nullptr || other->GetOSServices() == nullptr || other->GetOSServices()->IsActive()) {
        return;
    }
    other->GetOSServices()->SetFocus();
}

// ---- size, geometry and title ----

void LRootWindow::OnSizeChanged(const PointT<int32_t>& size) {
    GetRect();
    if (mRootControl) {
        const RCPtr<LControl> root = mRootControl;
        root->OnSizeChanged(size);
    }
}

bool LRootWindow::ConstrainSize(PointT<int32_t>& size) {
    PointT<int32_t> result = size;
    if (mRootControl && mRootControl->GetLayout()) {
        const RectT<int32_t> workArea = GetApplicationServices().GetWorkArea();
        const RectT<int32_t> client = GetRect();
        RectT<double> frame;
        LayoutEngine::ComputeFrame(mRootControl->GetLayout().Get(), nullptr,
                                   {Int32ToDouble(workArea.x), Int32ToDouble(workArea.y),
                                    Int32ToDouble(workArea.width), Int32ToDouble(workArea.height)},
                                   {Int32ToDouble(size.x), Int32ToDouble(size.y)},
                                   {Int32ToDouble(client.x), Int32ToDouble(client.y)}, frame);
        PointT<double> position{frame.x, frame.y};
        PointT<double> extent{frame.width, frame.height};
        LayoutEngine::ApplyMaximumSize(*mRootControl, position, extent);
        LayoutEngine::ApplyMinimumSize(*mRootControl, position, extent);
        RectT<double> snapped{position.x, position.y, extent.x, extent.y};
        LayoutEngine::SnapRect(snapped);
        result = {RoundToInt32(snapped.width), RoundToInt32(snapped.height)};
    }
    result.x = std::max(result.x, 1);
    result.y = std::max(result.y, 1);
    const bool changed = result != size;
    size = result;
    return changed;
}

RectT<int32_t> LRootWindow::GetRect() {
    if (mOSServices != nullptr) {
        RectT<int32_t> client;
        PointT<int32_t> origin;
        const bool known = mOSServices->GetClientRect(client) == S_OK;
        mOSServices->ClientToScreen(origin);
        CAutoLock lock(mLock);
        mRect.x = origin.x;
        mRect.y = origin.y;
        if (known) {
            mRect.width = client.width;
            mRect.height = client.height;
        }
    }
    CAutoLock lock(mLock);
    return mRect;
}

int32_t LRootWindow::SetRect(const RectT<int32_t>& rect) {
    if (rect == GetRect()) {
        return S_OK;
    }
    if (mOSServices != nullptr) {
        mOSServices->SetWindowRect(rect);
    }
    if (mRootControl) {
        const RectT<double>& frame = mRootControl->GetFrame();
        mRootControl->InvalidateRect({0.0, 0.0, frame.width, frame.height}, true);
    }
    return S_OK;
}

void LRootWindow::SetTitle(const WString& title) {
    if (mOSServices != nullptr) {
        mOSServices->SetTitle(title);
    }
}

void LRootWindow::Redraw() {
    const RectT<int32_t> rect = GetRect();
    Invalidate({0, 0, rect.width, rect.height});
    if (mOSServices != nullptr) {
        mOSServices->UpdateNow();
    }
}

// ---- update region and painting ----

void LRootWindow::Invalidate(const RectT<int32_t>& rect) {
    RectT<int32_t> clipped;
    {
        // The client size as last read on the user-interface thread: any thread may invalidate.
        CAutoLock lock(mLock);
        // Popups may reach past the client area, into windows of their own.
        if (mOSServices != nullptr) {
            mOSServices->InvalidatePopups(rect);
        }
        const int64_t left = std::max<int64_t>(rect.x, 0);
        const int64_t top = std::max<int64_t>(rect.y, 0);
        const int64_t right = std::min<int64_t>(static_cast<int64_t>(rect.x) + rect.width, mRect.width);
        const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(rect.y) + rect.height, mRect.height);
        if (right <= left || bottom <= top) {
            return;
        }
        clipped = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
                   static_cast<int32_t>(bottom - top)};
        mUpdateRegion.AddRect(clipped.x, clipped.y, clipped.x + clipped.width, clipped.y + clipped.height);
        // Under the lock: the host window cannot go while it is told.
        if (mOSServices != nullptr) {
            mOSServices->InvalidateRect(clipped);
        }
    }
}

void LRootWindow::DetachOSServices() {
    CAutoLock lock(mLock);
    mOSServices = nullptr;
}

void LRootWindow::TakeUpdateRegion(RectRegion& out) {
    if (mFullRepaint) {
        mFullRepaint = false;
        const RectT<int32_t> rect = GetRect();
        Invalidate({0, 0, rect.width, rect.height});
    }
    CAutoLock lock(mLock);
    out.Clear();
    out = std::move(mUpdateRegion);
    mUpdateRegion.Clear();
}

void LRootWindow::Paint(RectRegion& region) {
    if (!mRootControl || !mRenderer || region.IsEmpty()) {
        return;
    }
    const LRenderContextInfo* context = mRenderer->GetCurrentContext();
    if (context != nullptr && !context->GetSavedStates().empty()) {
        // The target is being painted already: paint everything again later instead.
        if (mOSServices != nullptr) {
            mOSServices->InvalidateAll();
        }
        return;
    }
    const RectT<double>& frame = mRootControl->GetFrame();
    RectT<double> clip = frame;
    RegionRect bounds;
    if (region.GetBounds(bounds)) {
        clip = Intersect(
            clip, {Int32ToDouble(bounds.left), Int32ToDouble(bounds.top),
                   Int32ToDouble(bounds.right - bounds.left), Int32ToDouble(bounds.bottom - bounds.top)});
    }
    CAutoClip scope(mRenderer, {0.0, 0.0, clip.x + clip.width, clip.y + clip.height}, clip, nullptr, true);
    PaintControl(mRootControl, region, false);
}

void LRootWindow::PaintControl(const RCPtr<LControl>& control, const RectRegion& region, bool deferred) {
    // A list of this call's own: the listed controls' passes collect lists of their own.
    RCPtrArray<LControl, 1, 0> unclipped;
    control->Paint(mRenderer, region, unclipped, deferred);
    const uint32_t count = unclipped.GetCount();
    if (count == 0) {
        return;
    }
    std::vector<RCPtr<LControl>> ordered;
    ordered.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        ordered.push_back(unclipped.GetAt(i));
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const RCPtr<LControl>& a, const RCPtr<LControl>& b) {
        const int32_t za = a->GetLayout() ? a->GetLayout()->zOrder : 0;
        const int32_t zb = b->GetLayout() ? b->GetLayout()->zOrder : 0;
        return za < zb;
    });
    for (const RCPtr<LControl>& listed : ordered) {
        PaintDeferredControl(listed, region, {0, 0});
    }
}

void LRootWindow::PaintDeferredControl(const RCPtr<LControl>& control, const RectRegion& region,
                                       const PointT<int32_t>& origin) {
    // Clipped to the control's rectangle in the window (moved by the origin of the surface drawn
    // on), drawn from its parent's content origin (where a control's frame is measured), at the
    // control's opacity.
    const PointT<double> position = control->GetRectInWindow();
    const RectT<double>& frame = control->GetFrame();
    const RectT<double> rect{Int32ToDouble(RoundToInt32(position.x) - origin.x),
                             Int32ToDouble(RoundToInt32(position.y) - origin.y), frame.width, frame.height};
    CAutoClip clipScope(mRenderer, rect, rect, nullptr, true);
    RenderState& state = CurrentRenderState(*mRenderer);
    state.opacity = control->GetOpacity();
    state.hasStencil = false;
    state.stencil = nullptr;
    ClipRecord from;
    from.flavor = 2;
    from.origin = {-frame.x, -frame.y};
    CAutoClip originScope(mRenderer, from);
    PaintControl(control, region, true);
}

// ---- popup windows ----

bool LRootWindow::GetPopupArea(RectT<int32_t>& area) {
    return mOSServices != nullptr && mOSServices->GetPopupArea(area);
}

int32_t LRootWindow::ShowPopupWindow(const RCPtr<LControl>& control, const RectT<int32_t>& rect) {
    if (mOSServices == nullptr) {
        return E_NOTIMPL;
    }
    return mOSServices->ShowPopupWindow(control, rect);
}

void LRootWindow::HidePopupWindow(const LControl* control) {
    if (mOSServices != nullptr) {
        mOSServices->HidePopupWindow(control);
    }
}

void LRootWindow::PaintPopup(const RCPtr<LControl>& control, const PointT<int32_t>& origin) {
    if (!control || !mRenderer) {
        return;
    }
    // The popup window shows the popup's part of this window's coordinates, drawn as the
    // deferred pass of the window would draw it, moved by the popup window's origin; the region
    // is in the popup window's own pixels: all of it.
    const RectT<double>& frame = control->GetFrame();
    RectRegion region;
    region.AddRect(0, 0, RoundToInt32(frame.width), RoundToInt32(frame.height));
    PaintDeferredControl(control, region, origin);
}

// ---- close and queue ----

int32_t LRootWindow::RequestClose(int32_t result) {
    if (mOSServices == nullptr) {
        return E_FAIL;
    }
    mCloseResult = result;
    mClosePending = true;
    return S_OK;
}

void LRootWindow::OnCloseRequest() {
    // A dialog's close box is its Cancel: the dialog's listeners may still veto it.
    if (auto* dialog = dynamic_cast<LDialog*>(mRootControl.Get())) {
        const RCPtr<LControl> hold(dialog);
        dialog->EndDialog(2);
        return;
    }
    if (mOSServices != nullptr) {
        mCloseResult = 0;
        mClosePending = true;
    }
}

bool LRootWindow::ProcessQueue(bool idle) {
    const RCPtr<LRootWindow> hold(this);
    const bool more = LNotificationQueue::ProcessQueue(idle);
    if (mClosePending) {
        mClosePending = false;
        if (mOSServices != nullptr) {
            mOSServices->EndModal(mCloseResult);
        }
    }
    return more;
}

}  // namespace QV
