#include "Engine/PresetEditorCommon/DeviceControlClientInterface.h"

#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {
namespace {

constexpr int32_t kNotAvailable = -1;

}  // namespace

DeviceControlClientInterface::DeviceControlClientInterface() {
    // Only the program's own folder: a library of that name elsewhere on the system is not ours.
    const WString program = Platform::DynamicLibrary::GetProgramPath();
    const int32_t slash = program.ReverseFind('/');
    if (slash < 0) {
        return;
    }
    Load(program.Left(slash + 1) + WString(kLibraryName));
}

DeviceControlClientInterface::DeviceControlClientInterface(const WString& path) {
    Load(path);
}

DeviceControlClientInterface::~DeviceControlClientInterface() {
    if (!module.IsLoaded()) {
        return;
    }
    if (releaseAll != nullptr) {
        releaseAll();
    }
    module.Unload();
}

void DeviceControlClientInterface::Load(const WString& path) {
    if (module.Load(path) != S_OK) {
        return;
    }
    using namespace DeviceControlClient;
    findDevices = module.GetFunction<FindDevicesFn>("DCCI_FindDevices");
    findRemoteDevices = module.GetFunction<FindRemoteDevicesFn>("DCCI_FindRemoteDevices");
    connectDevice = module.GetFunction<ConnectDeviceFn>("DCCI_ConnectDevice");
    requestParamRanges = module.GetFunction<RequestParamRangesFn>("DCCI_RequestParamRanges");
    requestParamValues = module.GetFunction<RequestParamValuesFn>("DCCI_RequestParamValues");
    getParamRanges = module.GetFunction<GetParamRangesFn>("DCCI_GetParamRanges");
    getParamValues = module.GetFunction<GetParamValuesFn>("DCCI_GetParamValues");
    getParamValue = module.GetFunction<GetParamValueFn>("DCCI_GetParamValue");
    setParamValue = module.GetFunction<SetParamValueFn>("DCCI_SetParamValue");
    setParamValues = module.GetFunction<SetParamValuesFn>("DCCI_SetParamValues");
    disconnectDevice = module.GetFunction<DisconnectDeviceFn>("DCCI_DisconnectDevice");
    isDeviceConnected = module.GetFunction<IsDeviceConnectedFn>("DCCI_IsDeviceConnected");
    getDeviceInfo = module.GetFunction<GetDeviceInfoFn>("DCCI_GetDeviceInfo");
    releaseAll = module.GetFunction<ReleaseAllFn>("DCCI_ReleaseAll");
}

int32_t DeviceControlClientInterface::FindDevices(int32_t a, int32_t b, int32_t c) {
    return findDevices != nullptr ? findDevices(a, b, c) : kNotAvailable;
}

int32_t DeviceControlClientInterface::FindRemoteDevices(const _GUID* guids, uint32_t guidCount,
                                                        Variant& devices, int32_t flag) {
    return findRemoteDevices != nullptr ? findRemoteDevices(guids, guidCount, &devices, flag) : kNotAvailable;
}

int32_t DeviceControlClientInterface::ConnectDevice(const Variant& deviceId, DeviceValuesCallback callback,
                                                    void* context) {
    return connectDevice != nullptr ? connectDevice(&deviceId, callback, context) : kNotAvailable;
}

int32_t DeviceControlClientInterface::RequestParamRanges(const Variant& deviceId, const ParamRanges& ranges) {
    return requestParamRanges != nullptr ? requestParamRanges(&deviceId, &ranges) : kNotAvailable;
}

int32_t DeviceControlClientInterface::RequestParamValues(const Variant& deviceId,
                                                         const ParamDescriptors& descriptors) {
    return requestParamValues != nullptr ? requestParamValues(&deviceId, &descriptors) : kNotAvailable;
}

int32_t DeviceControlClientInterface::RequestParamValue(const Variant& deviceId,
                                                        const ParamDescriptor& descriptor) {
    if (requestParamValues == nullptr) {
        return kNotAvailable;
    }
    ParamDescriptors one;
    one.SetFromArray(&descriptor, 1);
    return requestParamValues(&deviceId, &one);
}

int32_t DeviceControlClientInterface::GetParamRanges(const Variant& deviceId, int32_t a, int32_t b) {
    return getParamRanges != nullptr ? getParamRanges(&deviceId, a, b) : kNotAvailable;
}

int32_t DeviceControlClientInterface::GetParamValues(const Variant& deviceId, int32_t a, int32_t b) {
    return getParamValues != nullptr ? getParamValues(&deviceId, a, b) : kNotAvailable;
}

int32_t DeviceControlClientInterface::GetParamValue(const Variant& deviceId,
                                                    const ParamDescriptor& descriptor, Variant& value) {
    return getParamValue != nullptr ? getParamValue(&deviceId, &descriptor, &value) : kNotAvailable;
}

int32_t DeviceControlClientInterface::SetParamValue(const Variant& deviceId,
                                                    const ParamDescriptor& descriptor, const Variant& value) {
    return setParamValue != nullptr ? setParamValue(&deviceId, &descriptor, &value) : kNotAvailable;
}

int32_t DeviceControlClientInterface::SetParamValues(const Variant& deviceId, const ParamValues& values) {
    return setParamValues != nullptr ? setParamValues(&deviceId, &values) : kNotAvailable;
}

bool DeviceControlClientInterface::IsDeviceConnected(const Variant& deviceId) {
    return isDeviceConnected != nullptr && isDeviceConnected(&deviceId) == 0;
}

int32_t DeviceControlClientInterface::DisconnectDevice(const Variant& deviceId) {
    return disconnectDevice != nullptr ? disconnectDevice(&deviceId) : kNotAvailable;
}

int32_t DeviceControlClientInterface::GetDeviceInfo(const Variant& deviceId, DeviceInfo& info) {
    return getDeviceInfo != nullptr ? getDeviceInfo(&deviceId, &info) : kNotAvailable;
}

}  // namespace QV
