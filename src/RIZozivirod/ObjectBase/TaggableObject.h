#pragma once

#include "RIZozivirod/ObjectBase/RefCountedObject.h"

namespace QV {

// A reference-counted object that carries a tag, any shared object its owner attaches (base of
// the string wrapper, controls, descriptors and list items). The tag is null until set and is
// released with the object.
class LTaggableObject : public virtual LRefCountedObject {
public:
    LTaggableObject();
    ~LTaggableObject() override;

    const RCPtr<LRefCountedObject>& GetTag() const { return mTag; }
    void SetTag(const RCPtr<LRefCountedObject>& tag) { mTag = tag; }

private:
    RCPtr<LRefCountedObject> mTag;
};

}  // namespace QV
