#include "Engine/PresetEditorCommon/DeviceControlClientInterface.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Engine/PresetEditorCommon/DeviceControlSimulatorSupport.h"

namespace QV {
namespace {

using DeviceControlTestSupport::Int32;
using DeviceControlTestSupport::Item;
using DeviceControlTestSupport::kMissingExportPath;
using DeviceControlTestSupport::List;
using DeviceControlTestSupport::SimulatorControl;
using DeviceControlTestSupport::Text;
using DeviceControlTestSupport::UInt32;

void IgnoreValues(void*, int32_t, const Variant*) {}

struct WrapperCall {
    const char* entryPoint;
    std::function<int32_t(DeviceControlClientInterface&)> call;
};

// Every wrapper with a result, named by the entry point it calls.
std::vector<WrapperCall> WrapperCalls() {
    static const Variant device = Text(DeviceControlSimulator::kDeviceId);
    return {
        {"DCCI_FindDevices", [](auto& b) { return b.FindDevices(1, 2, 3); }},
        {"DCCI_FindRemoteDevices",
         [](auto& b) {
             Variant devices;
             return b.FindRemoteDevices(nullptr, 0, devices, 1);
         }},
        {"DCCI_ConnectDevice", [](auto& b) { return b.ConnectDevice(device, IgnoreValues, nullptr); }},
        {"DCCI_RequestParamRanges", [](auto& b) { return b.RequestParamRanges(device, ParamRanges()); }},
        {"DCCI_RequestParamValues", [](auto& b) { return b.RequestParamValues(device, ParamDescriptors()); }},
        {"DCCI_RequestParamValues", [](auto& b) { return b.RequestParamValue(device, ParamDescriptor(3)); }},
        {"DCCI_GetParamRanges", [](auto& b) { return b.GetParamRanges(device, 7, -9); }},
        {"DCCI_GetParamValues", [](auto& b) { return b.GetParamValues(device, 7, -9); }},
        {"DCCI_GetParamValue",
         [](auto& b) {
             Variant value;
             return b.GetParamValue(device, ParamDescriptor(3), value);
         }},
        {"DCCI_SetParamValue", [](auto& b) { return b.SetParamValue(device, ParamDescriptor(3), Int32(1)); }},
        {"DCCI_SetParamValues", [](auto& b) { return b.SetParamValues(device, ParamValues()); }},
        {"DCCI_DisconnectDevice", [](auto& b) { return b.DisconnectDevice(device); }},
        {"DCCI_GetDeviceInfo",
         [](auto& b) {
             DeviceInfo info{};
             return b.GetDeviceInfo(device, info);
         }},
    };
}

TEST(DeviceControlClientInterfaceTest, WithoutTheLibraryEveryWrapperAnswersMinusOne) {
    // The program's folder holds no simulator: the default path finds nothing.
    DeviceControlClientInterface besideTheProgram;
    DeviceControlClientInterface missingFile(u"/nonexistent/folder/libDeviceControlClient.so");
    for (DeviceControlClientInterface* binding : {&besideTheProgram, &missingFile}) {
        EXPECT_FALSE(binding->IsLoaded());
        for (const WrapperCall& wrapper : WrapperCalls()) {
            EXPECT_EQ(wrapper.call(*binding), -1) << wrapper.entryPoint;
        }
        EXPECT_FALSE(binding->IsDeviceConnected(Variant()));
    }
}

TEST(DeviceControlClientInterfaceTest, EveryWrapperPassesItsCallAndResultThrough) {
    SimulatorControl simulator;
    DeviceControlClientInterface binding(DeviceControlTestSupport::kSimulatorPath);
    ASSERT_TRUE(binding.IsLoaded());
    int32_t scripted = 40;
    for (const WrapperCall& wrapper : WrapperCalls()) {
        SCOPED_TRACE(wrapper.entryPoint);
        const int32_t callsBefore = simulator.GetCallCount(wrapper.entryPoint);
        simulator.SetResult(wrapper.entryPoint, ++scripted);
        EXPECT_EQ(wrapper.call(binding), scripted);
        EXPECT_EQ(simulator.GetCallCount(wrapper.entryPoint), callsBefore + 1);
    }
    EXPECT_TRUE(simulator.GetLastArguments("DCCI_FindDevices") == List({Int32(1), Int32(2), Int32(3)}));
    EXPECT_TRUE(simulator.GetLastArguments("DCCI_FindRemoteDevices") == List({UInt32(0), Int32(1)}));
    EXPECT_TRUE(simulator.GetLastArguments("DCCI_GetParamRanges") ==
                List({Text(DeviceControlSimulator::kDeviceId), Int32(7), Int32(-9)}));
    EXPECT_TRUE(simulator.GetLastArguments("DCCI_GetParamValues") ==
                List({Text(DeviceControlSimulator::kDeviceId), Int32(7), Int32(-9)}));

    // Connected means an answer of 0, nothing else.
    simulator.SetResult("DCCI_IsDeviceConnected", 0);
    EXPECT_TRUE(binding.IsDeviceConnected(Variant()));
    simulator.SetResult("DCCI_IsDeviceConnected", 1);
    EXPECT_FALSE(binding.IsDeviceConnected(Variant()));
    simulator.SetResult("DCCI_IsDeviceConnected", -1);
    EXPECT_FALSE(binding.IsDeviceConnected(Variant()));
}

TEST(DeviceControlClientInterfaceTest, RequestParamValueSendsAListOfExactlyOneDescriptor) {
    SimulatorControl simulator;
    DeviceControlClientInterface binding(DeviceControlTestSupport::kSimulatorPath);
    ParamDescriptor descriptor(12);
    descriptor.qualifier = Int32(4);
    EXPECT_EQ(binding.RequestParamValue(Variant(), descriptor), -1) << "not connected";

    const Variant sent = Item(simulator.GetLastArguments("DCCI_RequestParamValues"), 1);
    ASSERT_EQ(sent.GetListCount(), 1u);
    int32_t id = 0;
    Variant qualifier;
    ParamDescriptors list;
    static_cast<Variant&>(list) = sent;
    EXPECT_EQ(list.GetDescriptorAt(0, id, qualifier), 0);
    EXPECT_EQ(id, 12);
    EXPECT_TRUE(qualifier == Int32(4));
}

TEST(DeviceControlClientInterfaceTest, ALibraryWithoutOneExportServesEveryOtherWrapper) {
    SimulatorControl simulator(kMissingExportPath);
    DeviceControlClientInterface binding(kMissingExportPath);
    ASSERT_TRUE(binding.IsLoaded());
    for (const WrapperCall& wrapper : WrapperCalls()) {
        SCOPED_TRACE(wrapper.entryPoint);
        simulator.SetResult(wrapper.entryPoint, 5);
        const bool missing = std::string(wrapper.entryPoint) == "DCCI_SetParamValues";
        EXPECT_EQ(wrapper.call(binding), missing ? -1 : 5);
    }
    EXPECT_EQ(simulator.GetCallCount("DCCI_SetParamValues"), 0);
}

TEST(DeviceControlClientInterfaceTest, DestroyingTheBindingReleasesTheLibraryOnceAndOnlyWhenLoaded) {
    SimulatorControl simulator;
    {
        DeviceControlClientInterface binding(DeviceControlTestSupport::kSimulatorPath);
        ASSERT_TRUE(binding.IsLoaded());
        EXPECT_EQ(simulator.GetCallCount("DCCI_ReleaseAll"), 0);
    }
    EXPECT_EQ(simulator.GetCallCount("DCCI_ReleaseAll"), 1);
    { DeviceControlClientInterface missing(u"/nonexistent/libDeviceControlClient.so"); }
    EXPECT_EQ(simulator.GetCallCount("DCCI_ReleaseAll"), 1);
}

}  // namespace
}  // namespace QV
