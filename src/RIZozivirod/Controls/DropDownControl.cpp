#include "RIZozivirod/Controls/DropDownControl.h"

namespace QV {

LDropDownControl::LDropDownControl(const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name) {}

LDropDownControl::~LDropDownControl() = default;

int32_t LDropDownControl::Initialize() {
    return LControl::Initialize() < 0 ? E_FAIL : S_OK;
}

int32_t LDropDownControl::SetFocus(bool forward) {
    RCPtr<LControl> hold(this);
    const int32_t result = LControl::SetFocus(forward);
    if (IsDroppedDown()) {
        ShowDropDown(false);
        mClosedByFocus = true;
    } else {
        mClosedByFocus = false;
    }
    return result;
}

int32_t LDropDownControl::HandleLeftButtonDown(const RCPtr<LMouseButtonParam>& param) {
    // The press took the focus back from the open drop-down and so closed it: it must not open
    // it again.
    if (mClosedByFocus) {
        mSuppressNextOpen = true;
    }
    return LControl::HandleLeftButtonDown(param);
}

void LDropDownControl::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LControl::OnConditionsChanged(param);
    if (!param || (param->current & kLeftPressed) == 0 || (param->previous & kLeftPressed) != 0) {
        return;
    }
    if (mSuppressNextOpen) {
        mSuppressNextOpen = false;
        return;
    }
    RCPtr<LControl> hold(this);
    ShowDropDown(true);
}

bool LDropDownControl::OnFocusLost() {
    RCPtr<LControl> hold(this);
    // The focus leaves first, so that hiding a drop-down that held it does not call it back.
    const bool result = LControl::OnFocusLost();
    ShowDropDown(false);
    return result;
}

}  // namespace QV
