#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

// The bridge between the parameter model and the device-control library. So far only the part
// the module tree calls: writing one value towards the device. The rest of the interface (device
// search, connection, requests, delivery of received values) joins this class here.
class LDeviceCommunicationInterface : public virtual QV::LRefCountedObject {
public:
    // Writes one value (a preset or special id) towards the device; a negative result is a
    // failure.
    virtual int32_t SetParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) = 0;

protected:
    LDeviceCommunicationInterface() = default;
    ~LDeviceCommunicationInterface() override = default;
};
