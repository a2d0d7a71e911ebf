#pragma once

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

// Static text ("Framework.Label"): never takes the focus, and shows its whole text as its tool
// tip when the text does not fit.
class LLabel : public LControl {
public:
    LLabel(const RCPtr<LControl>& parent, const WString& name);

    int32_t PostInitialize() override;
    WString GetToolTipText() override;

protected:
    ~LLabel() override;
};

}  // namespace QV
