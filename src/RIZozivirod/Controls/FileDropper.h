#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

// A small token inside the window ("Framework.FileDropper"): a press starts a drag at once,
// the token follows the pointer and is offered to the controls it passes over, and when the
// button goes up it is dropped and its parent removes it. Never takes the focus.
class LFileDropper : public LControl {
public:
    LFileDropper(const RCPtr<LControl>& parent, const WString& name);

    int32_t EndDrag() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t PostInitialize() override;

protected:
    ~LFileDropper() override;
};

}  // namespace QV
