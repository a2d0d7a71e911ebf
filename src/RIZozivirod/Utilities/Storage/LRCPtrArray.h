#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/ObjectBase/TaggableObject.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"

namespace QV {

// A pointer array that is itself a shared, taggable object, so one array can be held through
// pointers. It cannot be copied on write (no CreateCopy); its last Release releases its
// elements, lowest index first.
template <class T, uint32_t N, uint32_t M>
class LRCPtrArray : public RCPtrArray<T, N, M>, public LTaggableObject {
public:
    explicit LRCPtrArray(uint32_t count = 0, uint32_t capacity = 0) : RCPtrArray<T, N, M>(count, capacity) {}
    LRCPtrArray(const LRCPtrArray&) = delete;
    LRCPtrArray& operator=(const LRCPtrArray&) = delete;
    ~LRCPtrArray() override = default;

    static RCPtr<LRCPtrArray> Create(uint32_t count = 0, uint32_t capacity = 0) {
        return RCPtr<LRCPtrArray>(new LRCPtrArray(count, capacity));
    }
};

}  // namespace QV
