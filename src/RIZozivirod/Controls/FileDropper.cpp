#include "RIZozivirod/Controls/FileDropper.h"

#include "RIZozivirod/ControlBase/ControlParams.h"

namespace QV {

LFileDropper::LFileDropper(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LFileDropper::~LFileDropper() = default;

int32_t LFileDropper::PostInitialize() {
    const int32_t result = LControl::PostInitialize();
    SetNotFocusable(true);
    SetVisible(true);
    return result;
}

void LFileDropper::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LControl::OnConditionsChanged(param);
    if (param && (param->current & kLeftPressed) != 0 && (param->previous & kLeftPressed) == 0) {
        // The whole token follows the pointer from the press on, without a threshold.
        SetDragMode(1, 3);
        SetDragThreshold(0);
    }
}

int32_t LFileDropper::EndDrag() {
    RCPtr<LControl> hold(this);
    const int32_t result = LControl::EndDrag();
    if (LControl* parent = GetParent()) {
        parent->RemoveChildLater(hold);
    }
    return result;
}

}  // namespace QV
