#pragma once

#include <cstdint>

#include "Engine/PresetEditorCommon/DeviceControlClientExports.h"
#include "Platform/DynamicLibrary.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

namespace QV {

// The device-control client library, loaded at run time, with one wrapper per entry point. A
// wrapper whose library or entry point is missing answers -1 (IsDeviceConnected false) without
// calling anything, so the system runs on its parameter cache alone where no library is
// installed. No lock and no state beyond what the constructor sets: wrappers may be called from
// any thread; serialising calls is the caller's affair.
class DeviceControlClientInterface {
public:
    // The library's file name in the program's folder.
    static constexpr char kLibraryName[] = "libDeviceControlClient.so";

    // Loads kLibraryName from the program's folder, and nothing when that folder is unknown.
    DeviceControlClientInterface();
    // Loads the library at path; a bare file name is looked for in the program's folder first.
    explicit DeviceControlClientInterface(const WString& path);
    DeviceControlClientInterface(const DeviceControlClientInterface&) = delete;
    DeviceControlClientInterface& operator=(const DeviceControlClientInterface&) = delete;
    // With the library loaded: DCCI_ReleaseAll (when exported), then the library is unloaded.
    virtual ~DeviceControlClientInterface();

    virtual int32_t FindDevices(int32_t a, int32_t b, int32_t c);
    virtual int32_t FindRemoteDevices(const _GUID* guids, uint32_t guidCount, Variant& devices, int32_t flag);
    virtual int32_t ConnectDevice(const Variant& deviceId, DeviceValuesCallback callback, void* context);
    virtual int32_t RequestParamRanges(const Variant& deviceId, const ParamRanges& ranges);
    virtual int32_t RequestParamValues(const Variant& deviceId, const ParamDescriptors& descriptors);
    // DCCI_RequestParamValues with a one-item list.
    virtual int32_t RequestParamValue(const Variant& deviceId, const ParamDescriptor& descriptor);
    virtual int32_t GetParamRanges(const Variant& deviceId, int32_t a, int32_t b);
    virtual int32_t GetParamValues(const Variant& deviceId, int32_t a, int32_t b);
    virtual int32_t GetParamValue(const Variant& deviceId, const ParamDescriptor& descriptor, Variant& value);
    virtual int32_t SetParamValue(const Variant& deviceId, const ParamDescriptor& descriptor,
                                  const Variant& value);
    virtual int32_t SetParamValues(const Variant& deviceId, const ParamValues& values);
    // True when the entry point answers 0.
    virtual bool IsDeviceConnected(const Variant& deviceId);
    virtual int32_t DisconnectDevice(const Variant& deviceId);
    virtual int32_t GetDeviceInfo(const Variant& deviceId, DeviceInfo& info);

    bool IsLoaded() const { return module.IsLoaded(); }

private:
    void Load(const WString& path);

    Platform::DynamicLibrary module;
    DeviceControlClient::FindDevicesFn findDevices = nullptr;
    DeviceControlClient::FindRemoteDevicesFn findRemoteDevices = nullptr;
    DeviceControlClient::ConnectDeviceFn connectDevice = nullptr;
    DeviceControlClient::RequestParamRangesFn requestParamRanges = nullptr;
    DeviceControlClient::RequestParamValuesFn requestParamValues = nullptr;
    DeviceControlClient::GetParamRangesFn getParamRanges = nullptr;
    DeviceControlClient::GetParamValuesFn getParamValues = nullptr;
    DeviceControlClient::GetParamValueFn getParamValue = nullptr;
    DeviceControlClient::SetParamValueFn setParamValue = nullptr;
    DeviceControlClient::SetParamValuesFn setParamValues = nullptr;
    DeviceControlClient::DisconnectDeviceFn disconnectDevice = nullptr;
    DeviceControlClient::IsDeviceConnectedFn isDeviceConnected = nullptr;
    DeviceControlClient::GetDeviceInfoFn getDeviceInfo = nullptr;
    DeviceControlClient::ReleaseAllFn releaseAll = nullptr;
};

}  // namespace QV
