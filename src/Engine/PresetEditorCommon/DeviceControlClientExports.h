#pragma once

#include <cstdint>

#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

// The entry points of the device-control client library, libDeviceControlClient.so. Every value
// crosses by address as the framework's own types (the library links the same framework library,
// so a Variant filled on one side is read and freed on the other). Pointers are valid only for
// the call. Results are negative for failure.
namespace QV {

// A device-class filter of a remote-device search; the system always passes none.
struct _GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

// What DCCI_GetDeviceInfo fills. The system reads only the connected flag.
struct DeviceInfo {
    static constexpr uint32_t kConnectedByte = 252;

    bool IsConnected() const { return bytes[kConnectedByte] != 0; }

    uint8_t bytes[256];
};
static_assert(sizeof(DeviceInfo) == 256);

// Values the device sends: the context given to DCCI_ConnectDevice, a number the system does not
// use, and a Variant holding a ParamValues list. Called on any of the library's threads.
using DeviceValuesCallback = void (*)(void* context, int32_t reserved, const Variant* values);

}  // namespace QV

#define QV_DCCI_EXPORT extern "C" __attribute__((visibility("default")))

QV_DCCI_EXPORT int32_t DCCI_FindDevices(int32_t a, int32_t b, int32_t c);
// Fills devices with a List of device-id records. flag 0: a search that may wait for a change;
// 1: a single listing.
QV_DCCI_EXPORT int32_t DCCI_FindRemoteDevices(const QV::_GUID* guids, uint32_t guidCount,
                                              QV::Variant* devices, int32_t flag);
QV_DCCI_EXPORT int32_t DCCI_ConnectDevice(const QV::Variant* deviceId, QV::DeviceValuesCallback callback,
                                          void* context);
// Answered through the callback.
QV_DCCI_EXPORT int32_t DCCI_RequestParamRanges(const QV::Variant* deviceId, const QV::ParamRanges* ranges);
QV_DCCI_EXPORT int32_t DCCI_RequestParamValues(const QV::Variant* deviceId,
                                               const QV::ParamDescriptors* descriptors);
QV_DCCI_EXPORT int32_t DCCI_GetParamRanges(const QV::Variant* deviceId, int32_t a, int32_t b);
QV_DCCI_EXPORT int32_t DCCI_GetParamValues(const QV::Variant* deviceId, int32_t a, int32_t b);
QV_DCCI_EXPORT int32_t DCCI_GetParamValue(const QV::Variant* deviceId, const QV::ParamDescriptor* descriptor,
                                          QV::Variant* value);
QV_DCCI_EXPORT int32_t DCCI_SetParamValue(const QV::Variant* deviceId, const QV::ParamDescriptor* descriptor,
                                          const QV::Variant* value);
QV_DCCI_EXPORT int32_t DCCI_SetParamValues(const QV::Variant* deviceId, const QV::ParamValues* values);
QV_DCCI_EXPORT int32_t DCCI_DisconnectDevice(const QV::Variant* deviceId);
// 0 means connected.
QV_DCCI_EXPORT int32_t DCCI_IsDeviceConnected(const QV::Variant* deviceId);
QV_DCCI_EXPORT int32_t DCCI_GetDeviceInfo(const QV::Variant* deviceId, QV::DeviceInfo* info);
// Ends every activity of the library (its threads are joined); called once before unloading.
QV_DCCI_EXPORT int32_t DCCI_ReleaseAll();

// Types of the entry points, for run-time lookup.
namespace QV::DeviceControlClient {

using FindDevicesFn = int32_t (*)(int32_t, int32_t, int32_t);
using FindRemoteDevicesFn = int32_t (*)(const _GUID*, uint32_t, Variant*, int32_t);
using ConnectDeviceFn = int32_t (*)(const Variant*, DeviceValuesCallback, void*);
using RequestParamRangesFn = int32_t (*)(const Variant*, const ParamRanges*);
using RequestParamValuesFn = int32_t (*)(const Variant*, const ParamDescriptors*);
using GetParamRangesFn = int32_t (*)(const Variant*, int32_t, int32_t);
using GetParamValuesFn = int32_t (*)(const Variant*, int32_t, int32_t);
using GetParamValueFn = int32_t (*)(const Variant*, const ParamDescriptor*, Variant*);
using SetParamValueFn = int32_t (*)(const Variant*, const ParamDescriptor*, const Variant*);
using SetParamValuesFn = int32_t (*)(const Variant*, const ParamValues*);
using DisconnectDeviceFn = int32_t (*)(const Variant*);
using IsDeviceConnectedFn = int32_t (*)(const Variant*);
using GetDeviceInfoFn = int32_t (*)(const Variant*, DeviceInfo*);
using ReleaseAllFn = int32_t (*)();

}  // namespace QV::DeviceControlClient
