#pragma once

#include "RIZozivirod/ControlBase/KeyCode.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"

namespace QV {

class LControl;

// A key on its way through the control tree: the key event, whether Tab navigation may wrap
// (keys from the system), and the controls that have offered it so far, the last being the
// child it arrived from.
class LKeyParam : public LRefCountedObject {
public:
    static RCPtr<LKeyParam> Create(KeyCode key, bool wrap);

    KeyCode key;
    bool wrap;
    RCPtrArray<LControl, 1, 0> path;

private:
    LKeyParam(KeyCode keyCode, bool wrapFlag);
    ~LKeyParam() override;
};

}  // namespace QV
