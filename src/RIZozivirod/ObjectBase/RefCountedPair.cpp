#include "RIZozivirod/ObjectBase/RefCountedPair.h"

namespace QV {

WString ParamDescriptorToString(const ParamDescriptor& descriptor) {
    return WString::Format(u"%u", static_cast<uint32_t>(descriptor.paramID));
}

}  // namespace QV
