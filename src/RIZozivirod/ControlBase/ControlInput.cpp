#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/PointerParams.h"

// The operations of the pointer and key road, dragging and commands that the base answers
// with its defaults; the road itself belongs to the input handling of controls.

namespace QV {

int32_t LControl::OnCaptureStart(int32_t button, int32_t x, int32_t y) {
    if (!IsVisible(true) || !IsEnabled(false) || (mParent != nullptr && !mParent->IsEnabled(true)) ||
        mCapture) {
        return 1;
    }
    RCPtr<LControl> hold = Self();
    RCPtr<IRootWindow> window = GetRootWindow();
    if (button != 0) {
        if (button != 1 && button != 2 && button != 4) {
            return 1;
        }
        const uint32_t held = window ? window->GetMouseButtons() : 0;
        if ((held & static_cast<uint32_t>(button)) == 0) {
            return 1;
        }
        mDragOrigin = {x + mFrame.x, y + mFrame.y};
        mDragDisplacement = {};
    }
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
    const bool kinetic = mScrollAxes[0].kinetic || mScrollAxes[1].kinetic;
    if (pressed != nullptr && (mDragThreshold == 0 || (button == 1 && kinetic))) {
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

int32_t LControl::OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) {
    return HandleMouseMove(param);
}
int32_t LControl::OnMouseDown(const RCPtr<LMouseButtonParam>&) {
    return 1;
}
int32_t LControl::OnMouseUp(const RCPtr<LMouseButtonParam>&) {
    return 1;
}
int32_t LControl::OnKey(const RCPtr<LKeyParam>& param) {
    return HandleKeyDown(param);
}
int32_t LControl::OnMouseWheel(const RCPtr<LMouseWheelParam>& param) {
    return HandleMouseWheel(param);
}
int32_t LControl::OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) {
    return HandleMouseHWheel(param);
}

int32_t LControl::RequestFocus() {
    if (mParent != nullptr && IsNotFocusable(true)) {
        return mParent->RequestFocus();
    }
    return SetFocus(true);
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
        return 1;
    }
    switch (param->button) {
        case 1:
            return NotifyLeftClick(param);
        case 2:
            return NotifyMiddleClick(param);
        case 4:
            return NotifyRightClick(param);
        default:
            return 1;
    }
}
int32_t LControl::NotifyLeftClick(const RCPtr<LMouseButtonParam>& param) {
    return HandleLeftClick(param);
}
int32_t LControl::NotifyMiddleClick(const RCPtr<LMouseButtonParam>& param) {
    return HandleMiddleClick(param);
}
int32_t LControl::NotifyRightClick(const RCPtr<LMouseButtonParam>& param) {
    return HandleRightClick(param);
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
int32_t LControl::HandleKeyDown(const RCPtr<LKeyParam>&) {
    return 1;
}
void LControl::HandleUnprocessedKey(const RCPtr<LKeyParam>& param) {
    if (mParent != nullptr && param) {
        param->path.Add(Self());
        mParent->HandleUnprocessedKey(param);
    }
}
void LControl::HandleNavigationKey(const RCPtr<LKeyParam>& param) {
    if (mParent != nullptr && param) {
        param->path.Add(Self());
        mParent->HandleNavigationKey(param);
    }
}

// Dragging.

int32_t LControl::SetDragMode(int32_t mode, uint32_t edges) {
    mDragMode = mode;
    mDragEdges = edges;
    return S_OK;
}
int32_t LControl::BeginDrag() {
    return S_OK;
}
int32_t LControl::ResetDragOrigin() {
    return S_OK;
}
int32_t LControl::DragBy(const RCPtr<LPointWithModifiersParam>& param) {
    OnDragMoved(param);
    return S_OK;
}
void LControl::OnDragMoved(const RCPtr<LPointWithModifiersParam>&) {}
int32_t LControl::EndDrag() {
    return S_OK;
}
uint32_t LControl::GetDragData(const RCPtr<LControl>&) {
    return 0;
}
void LControl::ConstrainDragRect(RectT<double>&) {}
void LControl::OnDragEnter(const RCPtr<LControl>&) {}
void LControl::OnDragOver(const RCPtr<LControl>&, const PointT<double>&) {}
void LControl::OnDragLeave(const RCPtr<LControl>&) {}
int32_t LControl::OnDrop(const RCPtr<LControl>&) {
    return E_FAIL;
}

// Commands, menus, tool tips and strings.

RCPtr<LStringTable> LControl::GetStringTable() {
    return mStringTable;
}
bool LControl::IsEditTarget() {
    return false;
}
RCPtr<LControl> LControl::GetEditTarget() {
    if (IsEditTarget()) {
        return Self();
    }
    return mParent != nullptr ? mParent->GetEditTarget() : nullptr;
}
bool LControl::CanPerformEdit(int32_t) {
    return false;
}
int32_t LControl::PerformEdit(int32_t) {
    QV_THROW_IN(std::logic_error, "QV::LControl::PerformEdit", "LControl::PerformEdit must be overridden");
}
int32_t LControl::GetCommandState(const WString&, uint8_t&) {
    return 1;
}
const RCPtr<LRefCountedObject>& LControl::GetContextMenu() {
    return mContextMenu;
}
void LControl::PrepareContextMenu(const RCPtr<LRefCountedObject>&) {}
WString LControl::GetToolTipText() {
    return mToolTipText;
}
int32_t LControl::ShowToolTip(bool) {
    return S_OK;
}

}  // namespace QV
