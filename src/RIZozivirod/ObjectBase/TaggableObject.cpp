#include "RIZozivirod/ObjectBase/TaggableObject.h"

namespace QV {

LTaggableObject::LTaggableObject() = default;

LTaggableObject::~LTaggableObject() = default;

}  // namespace QV
