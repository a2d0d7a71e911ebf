#include "UITestSupport/InputDriver.h"

#include <cmath>

#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/PointerParams.h"

namespace QV {

PointT<int32_t> InputDriver::LocalPoint(const RCPtr<LControl>& control) const {
    const PointT<double> origin = control->GetRectInWindow();
    const PointT<int32_t> cursor = mWindow->GetCursorPos();
    return {cursor.x - static_cast<int32_t>(std::lround(origin.x)),
            cursor.y - static_cast<int32_t>(std::lround(origin.y))};
}

void InputDriver::MoveTo(int32_t x, int32_t y, uint32_t modifiers) {
    mWindow->SetCursorPosForTest({x, y});
    PointT<int32_t> local;
    RCPtr<LControl> hit = mWindow->HitTest({x, y}, local, true);
    RCPtr<LControl> target = mWindow->GetCaptureControl() ? mWindow->GetCaptureControl() : hit;
    if (target) {
        const PointT<int32_t> p = LocalPoint(target);
        target->OnMouseMove(
            RCPtr<LPointWithModifiersParam>(new LPointWithModifiersParam(p.x, p.y, modifiers, 0)));
    }
}

RCPtr<LControl> InputDriver::Press(int32_t button, uint32_t modifiers) {
    mWindow->SetMouseButtonsForTest(mWindow->GetMouseButtons() | static_cast<uint32_t>(button));
    PointT<int32_t> local;
    RCPtr<LControl> target = mWindow->GetCaptureControl();
    if (!target) {
        target = mWindow->HitTest(mWindow->GetCursorPos(), local, true);
    }
    if (!target) {
        return nullptr;
    }
    const PointT<int32_t> p = LocalPoint(target);
    RCPtr<LMouseButtonParam> param(
        new LMouseButtonParam(p.x, p.y, modifiers, 0, button, false, mWindow->GetMouseButtons()));
    return target->OnMouseDown(param) == 0 ? target : nullptr;
}

void InputDriver::Release(int32_t button, uint32_t modifiers) {
    mWindow->SetMouseButtonsForTest(mWindow->GetMouseButtons() & ~static_cast<uint32_t>(button));
    RCPtr<LControl> capture = mWindow->GetCaptureControl();
    if (!capture) {
        return;
    }
    const PointT<int32_t> p = LocalPoint(capture);
    capture->OnMouseUp(RCPtr<LMouseButtonParam>(
        new LMouseButtonParam(p.x, p.y, modifiers, 0, button, false, mWindow->GetMouseButtons())));
}

void InputDriver::Click(int32_t x, int32_t y, int32_t button) {
    MoveTo(x, y);
    Press(button);
    Release(button);
}

int32_t InputDriver::Wheel(int32_t direction, uint32_t modifiers) {
    const PointT<int32_t> cursor = mWindow->GetCursorPos();
    PointT<int32_t> local;
    RCPtr<LControl> target = mWindow->HitTest(cursor, local, false);
    if (!target) {
        return 1;
    }
    RCPtr<LMouseWheelParam> param(new LMouseWheelParam(cursor.x, cursor.y, modifiers, direction));
    return direction >= 2 ? target->OnMouseHWheel(param) : target->OnMouseWheel(param);
}

void InputDriver::Key(uint32_t virtualKey, uint32_t modifiers) {
    RCPtr<LControl> focus = mWindow->GetFocusControl();
    if (focus) {
        focus->OnKey(LKeyParam::Create(KeyCode(virtualKey, true, 0, modifiers), true));
    }
}

}  // namespace QV
