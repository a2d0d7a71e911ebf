#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

// The base of controls that drop a part down when pressed (combo boxes, the combo menu). A press
// on the closed control opens its drop-down; a press while it is open takes the focus back,
// which closes it, and that press does not open it again. The drop-down closes when the focus
// leaves the control or the window. Subclasses say what the drop-down is and where it goes.
class LDropDownControl : public LControl {
public:
    LDropDownControl(const RCPtr<LControl>& parent, const WString& name);

    virtual bool IsDroppedDown() = 0;
    virtual int32_t ShowDropDown(bool show) = 0;

    int32_t SetFocus(bool forward) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t HandleLeftButtonDown(const RCPtr<LMouseButtonParam>& param) override;
    int32_t Initialize() override;
    bool OnFocusLost() override;

    bool IsClosedByFocus() const { return mClosedByFocus; }

protected:
    ~LDropDownControl() override;

private:
    bool mClosedByFocus = false;
    bool mSuppressNextOpen = false;
};

}  // namespace QV
