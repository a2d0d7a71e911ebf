#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/System/Desktop/Clipboard.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

RCPtr<LControl> LClipboard::FindEditTarget(int32_t kind) {
    const RCPtr<LControl> focus = mFocusSource ? mFocusSource() : RCPtr<LControl>();
    if (!focus) {
        return nullptr;
    }
    RCPtr<LControl> target = focus->GetEditTarget();
    if (!target || !target->IsEditTarget() || !target->CanPerformEdit(kind)) {
        return nullptr;
    }
    return target;
}

bool LClipboard::CanEditFocusedControl(int32_t kind) {
    return static_cast<bool>(FindEditTarget(kind));
}

int32_t LClipboard::PerformEdit(int32_t kind) {
    const RCPtr<LControl> target = FindEditTarget(kind);
    return target ? target->PerformEdit(kind) : S_FALSE;
}

}  // namespace QV
