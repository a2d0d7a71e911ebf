#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "DeviceControlSimulator/DeviceControlSimulatorControl.h"
#include "Platform/DynamicLibrary.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

namespace DeviceControlTestSupport {

inline const QV::WString kSimulatorPath(SKYLET_DEVICE_CONTROL_SIMULATOR);
inline const QV::WString kMissingExportPath(SKYLET_DEVICE_CONTROL_SIMULATOR_MISSING_EXPORT);

inline QV::Variant Int32(int32_t number) {
    QV::Variant value;
    value.Set(QV::Variant::Int32, &number, sizeof(number));
    return value;
}

inline QV::Variant UInt32(uint32_t number) {
    QV::Variant value;
    value.Set(QV::Variant::UInt32, &number, sizeof(number));
    return value;
}

inline QV::Variant Text(const char* text) {
    QV::Variant value;
    value.SetString(text);
    return value;
}

inline QV::Variant List(std::initializer_list<QV::Variant> items) {
    QV::Variant list;
    list.SetList(items.begin(), static_cast<uint32_t>(items.size()));
    return list;
}

inline QV::Variant Item(const QV::Variant& list, uint32_t index) {
    QV::Variant item;
    list.GetListItem(index, item);
    return item;
}

inline std::vector<QV::Variant> Items(const QV::Variant& list) {
    std::vector<QV::Variant> items(list.GetListCount());
    for (uint32_t i = 0; i < items.size(); ++i) {
        list.GetListItem(i, items[i]);
    }
    return items;
}

// The controls of one build of the simulator, reached through a handle of its own on the loaded
// library (so the library stays loaded while the test reads it). Each use starts from, and
// ends with, a reset simulator.
class SimulatorControl {
public:
    explicit SimulatorControl(const QV::WString& path = kSimulatorPath) {
        EXPECT_EQ(library.Load(path), QV::S_OK) << library.GetError();
        Reset = Get<DeviceControlSimulator::ResetFn>("DCSIM_Reset");
        SetResult = Get<DeviceControlSimulator::SetResultFn>("DCSIM_SetResult");
        GetCallCount = Get<DeviceControlSimulator::GetCallCountFn>("DCSIM_GetCallCount");
        GetLastArgumentsOf = Get<DeviceControlSimulator::GetLastArgumentsFn>("DCSIM_GetLastArguments");
        SetRemoteDevices = Get<DeviceControlSimulator::SetRemoteDevicesFn>("DCSIM_SetRemoteDevices");
        SetBatchSize = Get<DeviceControlSimulator::SetBatchSizeFn>("DCSIM_SetBatchSize");
        SetDeliveryDelay = Get<DeviceControlSimulator::SetDeliveryDelayFn>("DCSIM_SetDeliveryDelay");
        SetGate = Get<DeviceControlSimulator::SetGateFn>("DCSIM_SetGate");
        SetEcho = Get<DeviceControlSimulator::SetEchoFn>("DCSIM_SetEcho");
        SendValues = Get<DeviceControlSimulator::SendValuesFn>("DCSIM_SendValues");
        StartStorm = Get<DeviceControlSimulator::StartStormFn>("DCSIM_StartStorm");
        WaitStorm = Get<DeviceControlSimulator::WaitStormFn>("DCSIM_WaitStorm");
        WaitIdle = Get<DeviceControlSimulator::WaitIdleFn>("DCSIM_WaitIdle");
        GetCallbackCount = Get<DeviceControlSimulator::GetCallbackCountFn>("DCSIM_GetCallbackCount");
        GetCallbacksInFlight =
            Get<DeviceControlSimulator::GetCallbacksInFlightFn>("DCSIM_GetCallbacksInFlight");
        if (Reset != nullptr) {
            Reset();
        }
    }

    ~SimulatorControl() {
        if (Reset != nullptr) {
            Reset();
        }
    }

    QV::Variant GetLastArguments(const char* entryPoint) {
        QV::Variant arguments;
        GetLastArgumentsOf(entryPoint, &arguments);
        return arguments;
    }

    DeviceControlSimulator::ResetFn Reset;
    DeviceControlSimulator::SetResultFn SetResult;
    DeviceControlSimulator::GetCallCountFn GetCallCount;
    DeviceControlSimulator::GetLastArgumentsFn GetLastArgumentsOf;
    DeviceControlSimulator::SetRemoteDevicesFn SetRemoteDevices;
    DeviceControlSimulator::SetBatchSizeFn SetBatchSize;
    DeviceControlSimulator::SetDeliveryDelayFn SetDeliveryDelay;
    DeviceControlSimulator::SetGateFn SetGate;
    DeviceControlSimulator::SetEchoFn SetEcho;
    DeviceControlSimulator::SendValuesFn SendValues;
    DeviceControlSimulator::StartStormFn StartStorm;
    DeviceControlSimulator::WaitStormFn WaitStorm;
    DeviceControlSimulator::WaitIdleFn WaitIdle;
    DeviceControlSimulator::GetCallbackCountFn GetCallbackCount;
    DeviceControlSimulator::GetCallbacksInFlightFn GetCallbacksInFlight;

private:
    template <class Function>
    Function Get(const char* name) {
        Function function = library.GetFunction<Function>(name);
        EXPECT_NE(function, nullptr) << name;
        return function;
    }

    Platform::DynamicLibrary library;
};

}  // namespace DeviceControlTestSupport
