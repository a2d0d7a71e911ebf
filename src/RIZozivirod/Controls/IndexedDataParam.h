#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"

namespace QV {

// The item a list notification is about, with an object the sender attaches (may be null).
// Filled in by the constructor and never changed.
class LIndexedDataParam : public virtual LRefCountedObject {
public:
    LIndexedDataParam(const RCPtr<LRefCountedObject>& data, int32_t index) : data(data), index(index) {}

    const RCPtr<LRefCountedObject> data;
    const int32_t index;

protected:
    ~LIndexedDataParam() override = default;
};

// The same with the value that goes with the item (a check box's 0.0 or 1.0).
class LIndexedDataWithValueParam : public LIndexedDataParam {
public:
    LIndexedDataWithValueParam(const RCPtr<LRefCountedObject>& data, int32_t index, double value)
        : LIndexedDataParam(data, index), value(value) {}

    const double value;

protected:
    ~LIndexedDataWithValueParam() override = default;
};

}  // namespace QV
