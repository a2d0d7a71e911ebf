#include <algorithm>
#include <cmath>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlPopups.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/PointerParams.h"

// The control side of the pointer and key road: presses, moves past the drag threshold, releases
// and clicks with their notifications, the wheel handed on until a control takes it, and keys
// through the focus control, its siblings' local hot keys and Tab navigation.

namespace QV {

namespace {

constexpr uint32_t kTabVirtualKey = 9;
// A wheel walk that has visited this many controls stops: every step excludes one more control
// from the hit test, so a longer walk can only be a tree that keeps handing the wheel around.
constexpr uint32_t kMaxWheelSteps = 256;

bool IsTab(const KeyCode& key) {
    const uint32_t code = key.GetCode();
    return (code & 0x20000000u) != 0 && (code & 0x80000000u) == 0 && ((code >> 16) & 0xFFu) == kTabVirtualKey;
}

bool ValidButton(int32_t button) {
    return button == 1 || button == 2 || button == 4;
}

}  // namespace

bool LControl::AcceptsInputNow() const {
    return IsVisible(true) && IsEnabled(false) && (mParent == nullptr || mParent->IsEnabled(true));
}

void LControl::TakeFocusForPress() {
    if (mParent != nullptr && IsNotFocusable(true)) {
        mParent->RequestFocus();
    } else {
        SetFocus(true);
    }
}

int32_t LControl::RequestFocus() {
    if (mParent != nullptr && IsNotFocusable(true)) {
        return mParent->RequestFocus();
    }
    return SetFocus(true);
}

int32_t LControl::OnCaptureStart(int32_t button, int32_t x, int32_t y) {
    if (!AcceptsInputNow() || mCapture) {
        return 1;
    }
    RCPtr<LControl> hold = Self();
    RCPtr<IRootWindow> window = GetRootWindow();
    if (button != 0) {
        if (!ValidButton(button)) {
            return 1;
        }
        const uint32_t held = window ? window->GetMouseButtons() : 0;
        if ((held & static_cast<uint32_t>(button)) == 0) {
            return 1;
        }
        mDragOrigin = {x + mFrame.x, y + mFrame.y};
        mDragDisplacement = {};
    }
    const bool wasKinetic = mScrollAxes[0].kinetic || mScrollAxes[1].kinetic;
    for (int32_t axis = 0; axis < 2; ++axis) {
        if (mScrollAxes[axis].kinetic) {
            StopScrollAnimation(axis);
        }
    }
    mCapture = true;
    mPressTime = GetApplicationServices().GetTimeMs();
    mPreviousMoveTime = mPressTime;
    mScrollAxes[0].velocity = 0;
    mScrollAxes[1].velocity = 0;
    if (window) {
        window->SetCaptureControl(hold);
    }
    bool* pressed = button == 1   ? &mLeftPressed
                    : button == 2 ? &mMiddlePressed
                    : button == 4 ? &mRightPressed
                                  : nullptr;
    bool* dragging = button == 1   ? &mLeftDragging
                     : button == 2 ? &mMiddleDragging
                     : button == 4 ? &mRightDragging
                                   : nullptr;
    if (pressed != nullptr) {
        *pressed = true;
    }
    if (button == 1) {
        mDragMode = 0;
    }
    UpdateConditions();
    if (pressed != nullptr && (mDragThreshold == 0 || (button == 1 && wasKinetic))) {
        *pressed = false;
        *dragging = true;
        UpdateConditions();
        if (button == 1 && mDragMode != 0) {
            DragBy(RCPtr<LPointWithModifiersParam>(new LPointWithModifiersParam(x, y, 0, 0)));
        }
    }
    return S_OK;
}

int32_t LControl::OnCaptureEnd() {
    if (!mCapture) {
        return 1;
    }
    RCPtr<LControl> hold = Self();
    mCapture = false;
    mLeftPressed = mMiddlePressed = mRightPressed = false;
    mLeftDragging = mMiddleDragging = mRightDragging = false;
    if (RCPtr<IRootWindow> window = GetRootWindow()) {
        window->ReleaseCaptureControl();
    }
    UpdateConditions();
    mStoredLeftPress = nullptr;
    return S_OK;
}

int32_t LControl::OnMouseEnter(const RCPtr<LPointWithModifiersParam>&) {
    mHover = true;
    UpdateConditions();
    return S_OK;
}

int32_t LControl::OnMouseLeave(const RCPtr<LPointWithModifiersParam>&) {
    mHover = false;
    UpdateConditions();
    return S_OK;
}

int32_t LControl::OnMouseDown(const RCPtr<LMouseButtonParam>& param) {
    if (!param || !ValidButton(param->button)) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold = Self();
    if (!mCapture) {
        if (!AcceptsInputNow()) {
            return 1;
        }
        // An open menu closes on a press anywhere else, also where nothing takes the focus.
        if (IControlPopups* popups = GetControlPopups()) {
            popups->ClosePopupsOutside(*this);
        }
        TakeFocusForPress();
    }
    switch (param->button) {
        case 1:
            mStoredLeftPress = param;
            HandleLeftButtonDown(param);
            break;
        case 2:
            HandleMiddleButtonDown(param);
            break;
        default:
            HandleRightButtonDown(param);
            break;
    }
    Notify(u"NID_MOUSE_DOWN", param);
    if (!mCapture) {
        OnCaptureStart(param->button, param->x, param->y);
    }
    return S_OK;
}

int32_t LControl::OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) {
    if (!param) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold = Self();
    mMoveTime = GetApplicationServices().GetTimeMs();
    const bool anyPressed = mLeftPressed || mMiddlePressed || mRightPressed;
    if (anyPressed) {
        const int32_t localX = static_cast<int32_t>(std::lround(mDragOrigin.x - mFrame.x));
        const int32_t localY = static_cast<int32_t>(std::lround(mDragOrigin.y - mFrame.y));
        const int64_t distance =
            std::max(std::llabs(int64_t{param->x} - localX), std::llabs(int64_t{param->y} - localY));
        if (distance >= mDragThreshold) {
            // The control sees the pointer at the press point first, so that a drag starts from
            // where the button went down.
            OnMouseMove(RCPtr<LPointWithModifiersParam>(
                new LPointWithModifiersParam(localX, localY, param->modifiers, 0)));
            if (mLeftPressed) {
                mLeftDragging = true;
            } else if (mMiddlePressed) {
                mMiddleDragging = true;
            } else {
                mRightDragging = true;
            }
            mLeftPressed = mMiddlePressed = mRightPressed = false;
            UpdateConditions();
        }
    }
    HandleMouseMove(param);
    Notify(u"NID_MOUSE_MOVE", param);
    if (mLeftDragging && mDragMode != 0) {
        DragBy(param);
    }
    mPreviousMoveTime = mMoveTime;
    return S_OK;
}

int32_t LControl::OnMouseUp(const RCPtr<LMouseButtonParam>& param) {
    if (!param || !ValidButton(param->button)) {
        return E_INVALIDARG;
    }
    if (!mCapture && !AcceptsInputNow()) {
        return 1;
    }
    RCPtr<LControl> hold = Self();
    bool pressed = false;
    bool dragging = false;
    switch (param->button) {
        case 1:
            HandleLeftButtonUp(param);
            pressed = mLeftPressed;
            dragging = mLeftDragging;
            break;
        case 2:
            HandleMiddleButtonUp(param);
            pressed = mMiddlePressed;
            dragging = mMiddleDragging;
            break;
        default:
            HandleRightButtonUp(param);
            pressed = mRightPressed;
            dragging = mRightDragging;
            break;
    }
    const bool click = (pressed || (dragging && mDragMode == 0)) && mHover;
    if (param->button == 1 && dragging && mDragMode == 6) {
        mReleaseTime = GetApplicationServices().GetTimeMs();
        if (mReleaseTime - mPreviousMoveTime < 100) {
            StartKineticScroll();
        }
    }
    Notify(u"NID_MOUSE_UP", param);
    if (mCapture && param->buttonsHeld == 0) {
        OnCaptureEnd();
    }
    if (click && IsEnabled(false) && (mParent == nullptr || mParent->IsEnabled(true))) {
        DispatchClick(param);
    }
    return S_OK;
}

int32_t LControl::OnMouseWheel(const RCPtr<LMouseWheelParam>& param) {
    if (!param) {
        return -1;
    }
    const bool horizontal = param->direction == 2 || param->direction == 3;
    RCPtr<LControl> current = Self();
    // Every control that passed the wheel on stays out of the hit tests for the whole walk, so a
    // popup and a clipped child below it cannot hand the wheel back and forth.
    std::vector<RCPtr<LControl>> visited;
    for (uint32_t step = 0; current && step < kMaxWheelSteps; ++step) {
        const int32_t answer =
            horizontal ? current->HandleMouseHWheel(param) : current->HandleMouseWheel(param);
        if (answer != 1) {
            return answer;
        }
        visited.push_back(current);
        LControl* parent = current->mParent;
        const bool unclipped = !current->ClipsToParent() || (parent != nullptr && !parent->ClipsToParent());
        if (!unclipped) {
            current = RCPtr<LControl>(parent);
            continue;
        }
        RCPtr<IRootWindow> window = GetRootWindow();
        if (!window) {
            break;
        }
        for (const RCPtr<LControl>& control : visited) {
            control->mHitTestExcluded = true;
        }
        PointT<int32_t> local;
        RCPtr<LControl> below = window->HitTest({param->x, param->y}, local, false);
        for (const RCPtr<LControl>& control : visited) {
            control->mHitTestExcluded = false;
        }
        current = below;
    }
    return 1;
}

int32_t LControl::OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) {
    return OnMouseWheel(param);
}

int32_t LControl::HandleLeftButtonDown(const RCPtr<LMouseButtonParam>&) {
    return S_OK;
}
int32_t LControl::HandleLeftButtonUp(const RCPtr<LMouseButtonParam>&) {
    return S_OK;
}
int32_t LControl::HandleMiddleButtonDown(const RCPtr<LMouseButtonParam>&) {
    return S_OK;
}
int32_t LControl::HandleMiddleButtonUp(const RCPtr<LMouseButtonParam>&) {
    return S_OK;
}
int32_t LControl::HandleRightButtonDown(const RCPtr<LMouseButtonParam>&) {
    return S_OK;
}
int32_t LControl::HandleRightButtonUp(const RCPtr<LMouseButtonParam>&) {
    return S_OK;
}
int32_t LControl::HandleMouseMove(const RCPtr<LPointWithModifiersParam>&) {
    return S_OK;
}
int32_t LControl::HandleMouseWheel(const RCPtr<LMouseWheelParam>&) {
    return 1;
}
int32_t LControl::HandleMouseHWheel(const RCPtr<LMouseWheelParam>&) {
    return 1;
}

int32_t LControl::DispatchClick(const RCPtr<LMouseButtonParam>& param) {
    if (!param) {
        return E_INVALIDARG;
    }
    switch (param->button) {
        case 1:
            return NotifyLeftClick(param);
        case 2:
            return NotifyMiddleClick(param);
        case 4:
            return NotifyRightClick(param);
        default:
            return E_INVALIDARG;
    }
}

int32_t LControl::NotifyLeftClick(const RCPtr<LMouseButtonParam>& param) {
    if (!param) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold = Self();
    HandleLeftClick(param);
    Notify(u"NID_LEFT_CLICK", param);
    return S_OK;
}

int32_t LControl::NotifyMiddleClick(const RCPtr<LMouseButtonParam>& param) {
    if (!param) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold = Self();
    HandleMiddleClick(param);
    Notify(u"NID_MIDDLE_CLICK", param);
    return S_OK;
}

int32_t LControl::NotifyRightClick(const RCPtr<LMouseButtonParam>& param) {
    if (!param) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold = Self();
    HandleRightClick(param);
    Notify(u"NID_RIGHT_CLICK", param);
    if (const RCPtr<LRefCountedObject>& menu = GetContextMenu()) {
        ShowContextMenu(menu);
    }
    return S_OK;
}

int32_t LControl::HandleLeftClick(const RCPtr<LMouseButtonParam>&) {
    return S_OK;
}
int32_t LControl::HandleMiddleClick(const RCPtr<LMouseButtonParam>&) {
    return S_OK;
}
int32_t LControl::HandleRightClick(const RCPtr<LMouseButtonParam>&) {
    return S_OK;
}

// Keys.

int32_t LControl::OnKey(const RCPtr<LKeyParam>& param) {
    if (!param || !AcceptsInputNow()) {
        return 1;
    }
    RCPtr<LControl> hold = Self();
    RCPtr<LSiblingKeyParam> sibling = LSiblingKeyParam::Create(param->key, hold);
    ReceiveNotification(nullptr, LNotification::Create(u"NID_SIBLING_KEY", sibling));
    if (sibling->result == 0) {
        return S_OK;
    }
    if (HandleKeyDown(param) != 1) {
        return S_OK;
    }
    param->path.Add(hold);
    if (!IsTab(param->key)) {
        if (mParent != nullptr) {
            mParent->HandleUnprocessedKey(param);
        } else {
            OfferToHotKeys(param);
        }
        return S_OK;
    }
    if (mWantsTab) {
        return S_OK;
    }
    if (mParent != nullptr) {
        mParent->HandleNavigationKey(param);
    } else if (RCPtr<IRootWindow> window = GetRootWindow()) {
        window->CycleFocus(param);
    }
    return S_OK;
}

int32_t LControl::HandleKeyDown(const RCPtr<LKeyParam>&) {
    return 1;
}

int32_t LControl::OnSiblingKeyNotification(const RCPtr<LNotificationDistributor>&,
                                           const RCPtr<LNotification>& notification) {
    LSiblingKeyParam* sibling =
        notification ? dynamic_cast<LSiblingKeyParam*>(notification->GetParam().Get()) : nullptr;
    if (sibling == nullptr || !AcceptsInputNow()) {
        return 1;
    }
    const WString command = mLocalHotKeys.FindCommand(sibling->key);
    if (command.IsEmpty()) {
        return 1;
    }
    RCPtr<LControl> hold = Self();
    sibling->result = 0;
    ReceiveNotification(nullptr, LNotification::Create(command.GetString(), notification->GetParam()));
    return 1;
}

void LControl::OfferToHotKeys(const RCPtr<LKeyParam>& param) {
    // The window's bindings first; a key it does not bind goes on to the application's.
    if (RCPtr<IRootWindow> window = GetRootWindow()) {
        window->HandleHotKey(param->key);
    }
}

void LControl::HandleUnprocessedKey(const RCPtr<LKeyParam>& param) {
    if (!param) {
        return;
    }
    if (SendSiblingKey(param) == 1) {
        OfferToHotKeys(param);
    }
}

void LControl::HandleNavigationKey(const RCPtr<LKeyParam>& param) {
    if (!param) {
        return;
    }
    RCPtr<LControl> hold = Self();
    const uint32_t code = param->key.GetCode();
    auto escalate = [&](const RCPtr<LKeyParam>& key) {
        key->path.Add(hold);
        if (mParent != nullptr) {
            mParent->HandleNavigationKey(key);
        } else if (RCPtr<IRootWindow> window = GetRootWindow()) {
            window->CycleFocus(key);
        }
    };
    if ((code & KeyCode::kCtrlBit) != 0) {
        // Ctrl+Tab leaves the container: the key goes on as a Tab that may not wrap.
        const uint32_t flags = (code & KeyCode::kShiftBit) != 0 ? 0x8u : 0u;
        RCPtr<LKeyParam> outer = LKeyParam::Create(KeyCode(static_cast<WChar>(kTabVirtualKey), flags), false);
        escalate(outer);
        return;
    }
    const bool backward = (code & KeyCode::kShiftBit) != 0;
    RCPtr<LControl> start;
    if (param->path.GetCount() != 0) {
        start = param->path.GetAt(param->path.GetCount() - 1);
    }
    RCPtr<LControl> candidate = GetNextTabStop(start, backward);
    // Bounded by the number of children: each round moves the candidate one tab stop on.
    for (uint32_t round = 0; round <= mChildren.GetCount(); ++round) {
        if (!candidate || candidate.Get() == start.Get()) {
            if (!param->wrap) {
                escalate(param);
            } else if (candidate && candidate->HasFocusableDescendant()) {
                // The walk came round to the child the key left: Tab past its last stop wraps to
                // its first one (Shift+Tab past its first to its last).
                candidate->OnFocusLost();
                candidate->SetFocus(!backward);
            }
            return;
        }
        if (!param->wrap && start) {
            const int32_t from = FindChildIndex(start.Get(), kOrderTab);
            const int32_t to = FindChildIndex(candidate.Get(), kOrderTab);
            if (backward ? to >= from : to <= from) {
                escalate(param);
                return;
            }
        }
        if (candidate->CanTakeFocusOrHasFocusableDescendant()) {
            candidate->SetFocus(!backward);
            return;
        }
        if (!start || !start->AcceptsInputNow()) {
            start = candidate;
        }
        candidate = GetNextTabStop(candidate, backward);
    }
}

}  // namespace QV
