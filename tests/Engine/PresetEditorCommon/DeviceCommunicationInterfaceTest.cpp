#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "DeviceControl/GeneratedCode/Engine/ModuleTestSupport.h"
#include "Engine/PresetEditorCommon/DeviceControlSimulatorSupport.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace {

using DeviceControlTestSupport::Int32;
using DeviceControlTestSupport::Item;
using DeviceControlTestSupport::Items;
using DeviceControlTestSupport::kSimulatorPath;
using DeviceControlTestSupport::List;
using DeviceControlTestSupport::SimulatorControl;
using DeviceControlTestSupport::Text;
using QV::Array;
using QV::E_FAIL;
using QV::ParamDescriptor;
using QV::ParamValues;
using QV::RCPtr;
using QV::Variant;

// Long enough for any machine; a test that waits this long has failed.
constexpr auto kPatience = std::chrono::seconds(60);

const Variant& DeviceId() {
    static const Variant id = Text(DeviceControlSimulator::kDeviceId);
    return id;
}

Variant Int64(int64_t number) {
    Variant value;
    value.Set(Variant::Int64, &number, sizeof(number));
    return value;
}

Variant Bool(bool flag) {
    const uint8_t byte = flag ? 1 : 0;
    Variant value;
    value.Set(Variant::Bool, &byte, sizeof(byte));
    return value;
}

struct ReceivedValue {
    int32_t id;
    Variant qualifier;
    Variant value;
};

std::vector<ReceivedValue> ValuesOf(const ParamValues& list) {
    std::vector<ReceivedValue> values;
    for (uint32_t i = 0; i < list.GetListCount(); ++i) {
        ReceivedValue item{};
        EXPECT_EQ(list.GetItem(i, item.value, item.id, item.qualifier), 0);
        values.push_back(item);
    }
    return values;
}

// Keeps every batch it is handed; an optional hook runs first, on the delivering thread.
class RecordingReceiver : public DeviceCommunicationReceiver {
public:
    void ReceiveDeviceValues(const RCPtr<DeviceParamValues>& values) override {
        if (hook) {
            hook(*values);
        }
        std::lock_guard<std::mutex> guard(mLock);
        mBatches.push_back(*values);
        mChanged.notify_all();
    }

    bool WaitForBatches(size_t count) {
        std::unique_lock<std::mutex> lock(mLock);
        return mChanged.wait_for(lock, kPatience, [&] { return mBatches.size() >= count; });
    }

    std::vector<ParamValues> Batches() {
        std::lock_guard<std::mutex> guard(mLock);
        return mBatches;
    }

    std::vector<ReceivedValue> Values() {
        std::vector<ReceivedValue> values;
        for (const ParamValues& batch : Batches()) {
            for (ReceivedValue& value : ValuesOf(batch)) {
                values.push_back(value);
            }
        }
        return values;
    }

    std::function<void(const ParamValues&)> hook;

private:
    std::mutex mLock;
    std::condition_variable mChanged;
    std::vector<ParamValues> mBatches;
};

// A latch a delivery can wait at.
class Latch {
public:
    void Open() {
        std::lock_guard<std::mutex> guard(mLock);
        mOpen = true;
        mChanged.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mLock);
        mChanged.wait_for(lock, kPatience, [&] { return mOpen; });
    }

private:
    std::mutex mLock;
    std::condition_variable mChanged;
    bool mOpen = false;
};

std::vector<Variant> ModelDefaults() {
    RCPtr<ModuleTestSupport::TestRoot> root = ModuleTestSupport::TestRoot::Create();
    root->SetFirstParamID(nullptr, 0, 0);
    std::vector<Variant> defaults;
    for (int32_t id = 0; id < kDeviceParameterCount; ++id) {
        defaults.push_back(root->GetModule(id)->GetParamValueDefault(id));
    }
    return defaults;
}

Array<Variant> DeviceList(std::initializer_list<Variant> ids) {
    Array<Variant> list;
    for (const Variant& id : ids) {
        list.Add(id);
    }
    return list;
}

bool Same(const Array<Variant>& a, const Array<Variant>& b) {
    if (a.GetCount() != b.GetCount()) {
        return false;
    }
    for (uint32_t i = 0; i < a.GetCount(); ++i) {
        if (a.GetAt(i) != b.GetAt(i)) {
            return false;
        }
    }
    return true;
}

TEST(DeviceCommunicationInterfaceTest, BeforeInitializeItAnswersItsOwnIdsAndNothingElse) {
    RCPtr<LDeviceCommunicationInterface> device = LDeviceCommunicationInterface::Create(kSimulatorPath);
    struct Row {
        int32_t id;
        int32_t result;
        Variant value;
    };
    const Row rows[] = {
        {-2, 0, Bool(true)}, {-9, 0, Text("Tarvel")}, {-10, 0, Text("Skylet Preset Editor")},
        {-8, -1, Variant()}, {-4, E_FAIL, Variant()}, {5, E_FAIL, Variant()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        Variant value;
        EXPECT_EQ(device->GetParamValue(ParamDescriptor(row.id), value), row.result);
        EXPECT_TRUE(value == row.value);
    }

    Array<Variant> devices = DeviceList({DeviceId()});
    Variant id;
    QV::DeviceInfo info{};
    EXPECT_EQ(device->Connect(DeviceId()), -1);
    EXPECT_EQ(device->Disconnect(), -1);
    EXPECT_EQ(device->RequestParamValues(QV::ParamDescriptors()), -1);
    EXPECT_EQ(device->RequestParamRanges(QV::ParamRanges()), -1);
    EXPECT_EQ(device->GetParamRanges(0, 0), -1);
    EXPECT_EQ(device->GetConnectedDeviceId(id), -1);
    EXPECT_EQ(device->GetDeviceInfo(DeviceId(), info), -1);
    EXPECT_EQ(device->SetDeviceParamValue(Int32(1)), -1);
    EXPECT_EQ(device->WaitForDeviceListChange(Array<QV::_GUID>(), devices, 0), -1);
    EXPECT_EQ(device->ListRemoteDevices(Array<QV::_GUID>(), devices), -1);
    EXPECT_TRUE(Same(devices, DeviceList({DeviceId()})));

    // Writes: -8 falls to the device value (-1 without a binding), everything else is refused.
    RecordingReceiver receiver;
    device->SetReceiver(&receiver);
    EXPECT_EQ(device->SetParamValue(ParamDescriptor(-8), Int32(1)), -1);
    EXPECT_EQ(device->SetParamValue(ParamDescriptor(3), Int32(1)), E_FAIL);
}

TEST(DeviceCommunicationInterfaceTest, WithoutTheLibraryInitializeSucceedsAndEveryLibraryCallFails) {
    // The program's folder holds no device-control library.
    RCPtr<LDeviceCommunicationInterface> device = LDeviceCommunicationInterface::Create();
    EXPECT_EQ(device->Initialize(), 0);
    EXPECT_EQ(device->Initialize(), 1);
    RecordingReceiver receiver;
    device->SetReceiver(&receiver);

    EXPECT_EQ(device->Connect(DeviceId()), -1);
    EXPECT_EQ(device->Disconnect(), -1);
    EXPECT_EQ(device->RequestParamValues(QV::ParamDescriptors()), -1);
    EXPECT_EQ(device->RequestParamValue(ParamDescriptor(1)), -1);
    EXPECT_EQ(device->SetParamValue(ParamDescriptor(3), Int32(1)), -1);
    EXPECT_EQ(device->SetParamValues(ParamValues()), -1);
    for (const int32_t id : {-2, -8, -9, -10, 5}) {
        Variant value;
        EXPECT_EQ(device->GetParamValue(ParamDescriptor(id), value), -1) << id;
    }
    Variant id;
    EXPECT_EQ(device->GetConnectedDeviceId(id), 0) << "the interface always reports connected";

    // A failed search leaves the caller's list as it was.
    Array<Variant> devices = DeviceList({DeviceId(), Int32(2)});
    EXPECT_EQ(device->WaitForDeviceListChange(Array<QV::_GUID>(), devices, 1500), E_FAIL);
    EXPECT_EQ(device->ListRemoteDevices(Array<QV::_GUID>(), devices), -1);
    EXPECT_TRUE(Same(devices, DeviceList({DeviceId(), Int32(2)})));
}

TEST(DeviceCommunicationInterfaceTest, FindDevicesLeavesExactlyOneIdWithoutAskingTheLibrary) {
    RCPtr<LDeviceCommunicationInterface> device = LDeviceCommunicationInterface::Create();
    Array<Variant> devices;
    EXPECT_EQ(device->FindDevices(devices), 0);
    EXPECT_TRUE(Same(devices, DeviceList({Variant()})));
    devices = DeviceList({Int32(7), Int32(8), Int32(9)});
    EXPECT_EQ(device->FindDevices(devices), 0);
    EXPECT_TRUE(Same(devices, DeviceList({Int32(7)})));
}

// An interface over the simulator, with a receiver; the interface goes first at the end.
class DeviceCommunicationLibraryTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(device->Initialize(), 0);
        device->SetPause([this](uint32_t milliseconds) {
            sleeps.push_back(milliseconds);
            return false;
        });
    }

    void Connect() {
        device->SetReceiver(&receiver);
        device->EnableDelivery(true);
        ASSERT_EQ(device->Connect(DeviceId()), 0);
    }

    RecordingReceiver receiver;
    SimulatorControl simulator;
    std::vector<uint32_t> sleeps;
    RCPtr<LDeviceCommunicationInterface> device = LDeviceCommunicationInterface::Create(kSimulatorPath);
};

TEST_F(DeviceCommunicationLibraryTest,
       WaitForDeviceListChangeSearchesAfterEveryPauseUntilAChangeOrTheTimeOut) {
    struct Row {
        uint32_t timeout;
        uint32_t changeFromSearch;  // 0: the list never changes
        int32_t result;
        int32_t searches;
    };
    const Row rows[] = {
        {0, 0, 1, 1},
        {1, 0, 1, 2},
        {1500, 0, 1, 7},
        {1500, 2, 0, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.timeout << " ms, change at " << row.changeFromSearch);
        simulator.Reset();
        sleeps.clear();
        const Variant other = List({Text("Skylet 2")});
        if (row.changeFromSearch != 0) {
            simulator.SetRemoteDevices(&other, row.changeFromSearch);
        }
        Array<Variant> devices = DeviceList({DeviceId()});
        EXPECT_EQ(device->WaitForDeviceListChange(Array<QV::_GUID>(), devices, row.timeout), row.result);
        EXPECT_EQ(simulator.GetCallCount("DCCI_FindRemoteDevices"), row.searches);
        EXPECT_EQ(sleeps, std::vector<uint32_t>(row.searches - 1, 250));
        EXPECT_TRUE(Same(devices, DeviceList({row.result == 0 ? Text("Skylet 2") : DeviceId()})));
        EXPECT_TRUE(simulator.GetLastArguments("DCCI_FindRemoteDevices") ==
                    List({DeviceControlTestSupport::UInt32(0), Int32(0)}))
            << "a search that may wait, without filter";
    }
}

TEST_F(DeviceCommunicationLibraryTest, ADeviceListThatIsNoListEmptiesTheCallersList) {
    Variant fourBytes;
    const uint8_t bytes[4] = {4, 0, 0, 0};
    fourBytes.Set(Variant::List, bytes, sizeof(bytes));
    for (const Variant& answer : {Int32(5), fourBytes, Variant()}) {
        simulator.SetRemoteDevices(&answer, 0);
        Array<Variant> devices = DeviceList({DeviceId()});
        EXPECT_EQ(device->WaitForDeviceListChange(Array<QV::_GUID>(), devices, 0), 0);
        EXPECT_EQ(devices.GetCount(), 0u);
        devices = DeviceList({DeviceId()});
        EXPECT_EQ(device->ListRemoteDevices(Array<QV::_GUID>(), devices), 0);
        EXPECT_EQ(devices.GetCount(), 0u);
    }
}

TEST_F(DeviceCommunicationLibraryTest, ListRemoteDevicesListsOnceAndRefillsOnlyOnSuccess) {
    const Variant two = List({Text("Skylet 1"), Text("Skylet 2")});
    simulator.SetRemoteDevices(&two, 0);
    Array<Variant> devices;
    EXPECT_EQ(device->ListRemoteDevices(Array<QV::_GUID>(), devices), 0);
    EXPECT_TRUE(Same(devices, DeviceList({Text("Skylet 1"), Text("Skylet 2")})));
    EXPECT_TRUE(simulator.GetLastArguments("DCCI_FindRemoteDevices") ==
                List({DeviceControlTestSupport::UInt32(0), Int32(1)}));

    simulator.SetResult("DCCI_FindRemoteDevices", 3);
    devices = DeviceList({Int32(1)});
    EXPECT_EQ(device->ListRemoteDevices(Array<QV::_GUID>(), devices), 3) << "the library's own result";
    EXPECT_EQ(devices.GetCount(), 0u) << "refilled from the empty answer";
    simulator.SetResult("DCCI_FindRemoteDevices", -5);
    devices = DeviceList({Int32(1)});
    EXPECT_EQ(device->ListRemoteDevices(Array<QV::_GUID>(), devices), -5);
    EXPECT_EQ(device->WaitForDeviceListChange(Array<QV::_GUID>(), devices, 1500), E_FAIL);
    EXPECT_TRUE(Same(devices, DeviceList({Int32(1)})));
    EXPECT_TRUE(sleeps.empty());
}

// The echo is handed over with the state lock free: another thread that needs it (any library
// call copies the device id under it) gets it while the receiver still runs.
TEST_F(DeviceCommunicationLibraryTest, EchoReachesTheReceiverWithTheStateLockFree) {
    device->SetReceiver(&receiver);
    bool otherThreadGotTheLock = false;
    receiver.hook = [&](const ParamValues&) {
        std::atomic<bool> synchronized{false};
        std::thread other([&] {
            device->Synchronize();
            synchronized = true;
        });
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!synchronized.load() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        otherThreadGotTheLock = synchronized.load();
        other.join();
    };
    EXPECT_TRUE(device->EchoToReceiver(7));
    EXPECT_TRUE(otherThreadGotTheLock);
    EXPECT_EQ(receiver.Batches().size(), 1u);
}

TEST_F(DeviceCommunicationLibraryTest, WritesNeedAReceiverAndEchoesAndRefusedIdsNeverReachTheLibrary) {
    ASSERT_EQ(device->Connect(DeviceId()), 0);
    for (const int32_t id : {-4, -8, -241, 3}) {
        EXPECT_EQ(device->SetParamValue(ParamDescriptor(id), Int32(7)), E_FAIL) << id;
    }
    EXPECT_FALSE(device->EchoToReceiver(7));
    EXPECT_EQ(simulator.GetCallCount("DCCI_SetParamValue"), 0);

    device->SetReceiver(&receiver);
    EXPECT_EQ(device->SetParamValue(ParamDescriptor(-4), Int32(7)), 0);
    const std::vector<ReceivedValue> echoed = receiver.Values();
    ASSERT_EQ(echoed.size(), 1u) << "handed over on this thread, before the write returns";
    EXPECT_EQ(echoed[0].id, -4);
    EXPECT_TRUE(echoed[0].qualifier == Variant());
    EXPECT_TRUE(echoed[0].value == List({Int64(7), Bool(true)}));
    for (const int32_t id : {-242, -241, -240}) {
        EXPECT_EQ(device->SetParamValue(ParamDescriptor(id), Int32(7)), E_FAIL) << id;
    }
    EXPECT_EQ(simulator.GetCallCount("DCCI_SetParamValue"), 0);

    for (const int32_t id : {-243, -239, -8, 3}) {
        simulator.SetResult("DCCI_SetParamValue", 40 - id);
        EXPECT_EQ(device->SetParamValue(ParamDescriptor(id), Int32(7)), 40 - id) << id;
    }
    EXPECT_EQ(simulator.GetCallCount("DCCI_SetParamValue"), 4);
}

// Threaded behaviour: deliveries on the worker, the library's threads and teardown.
class DeviceCommunicationThreadTest : public DeviceCommunicationLibraryTest {};

TEST_F(DeviceCommunicationThreadTest, ARequestedRangeArrivesInBatchesFromTheModelsDefaults) {
    Connect();
    simulator.SetBatchSize(8);
    QV::ParamRanges ranges;
    const QV::ParamRange all{0, kDeviceParameterCount};
    ranges.SetFromArray(&all, 1);
    EXPECT_EQ(device->RequestParamRanges(ranges), 0);
    ASSERT_TRUE(receiver.WaitForBatches(5));

    const std::vector<Variant> defaults = ModelDefaults();
    const std::vector<ReceivedValue> values = receiver.Values();
    ASSERT_EQ(values.size(), defaults.size());
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i].id, static_cast<int32_t>(i));
        EXPECT_TRUE(values[i].value == defaults[i]) << i;
    }
    EXPECT_EQ(receiver.Batches().size(), 5u);
    EXPECT_TRUE(Item(simulator.GetLastArguments("DCCI_RequestParamRanges"), 0) == DeviceId());

    EXPECT_EQ(device->RequestParamValue(ParamDescriptor(30)), 0);
    ASSERT_TRUE(receiver.WaitForBatches(6));
    const std::vector<ReceivedValue> single = ValuesOf(receiver.Batches().back());
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].id, 30);
    EXPECT_TRUE(single[0].value == defaults[30]);
}

TEST_F(DeviceCommunicationThreadTest, ReadsWritesAndEchoesGoToTheConnectedDevice) {
    Connect();
    Variant connected;
    EXPECT_EQ(device->GetConnectedDeviceId(connected), 0);
    EXPECT_TRUE(connected == DeviceId());
    QV::DeviceInfo info{};
    ASSERT_EQ(device->GetDeviceInfo(DeviceId(), info), 0);
    EXPECT_TRUE(info.IsConnected());

    Variant value;
    ASSERT_EQ(device->GetParamValue(ParamDescriptor(4), value), 0);
    EXPECT_TRUE(value == ModelDefaults()[4]);
    const Variant written = ModuleTestSupport::Blob({0x0C, 0x00, 0x02});
    EXPECT_EQ(device->SetParamValue(ParamDescriptor(4), written), 0);
    ASSERT_EQ(device->GetParamValue(ParamDescriptor(4), value), 0);
    EXPECT_TRUE(value == written);

    simulator.SetEcho(1);
    const Variant again = ModuleTestSupport::Blob({0x0C, 0x00, 0x03});
    EXPECT_EQ(device->SetParamValue(ParamDescriptor(4), again), 0);
    ASSERT_TRUE(receiver.WaitForBatches(1));
    const std::vector<ReceivedValue> echoed = receiver.Values();
    ASSERT_EQ(echoed.size(), 1u);
    EXPECT_EQ(echoed[0].id, 4);
    EXPECT_TRUE(echoed[0].value == again);

    // The pass-through calls name the connected device; -8 goes as a descriptor of its own.
    EXPECT_EQ(device->GetParamValues(11, 12), 0);
    EXPECT_TRUE(simulator.GetLastArguments("DCCI_GetParamValues") ==
                List({DeviceId(), Int32(11), Int32(12)}));
    device->GetDeviceParamValue(value);
    EXPECT_TRUE(simulator.GetLastArguments("DCCI_GetParamValue") == List({DeviceId(), Int32(-8), Variant()}));
    device->SetDeviceParamValue(Int32(9));
    EXPECT_TRUE(simulator.GetLastArguments("DCCI_SetParamValue") ==
                List({DeviceId(), Int32(-8), Variant(), Int32(9)}));

    EXPECT_EQ(device->Disconnect(), 0);
    EXPECT_TRUE(Item(simulator.GetLastArguments("DCCI_DisconnectDevice"), 0) == DeviceId());
    ASSERT_EQ(device->GetDeviceInfo(DeviceId(), info), 0);
    EXPECT_FALSE(info.IsConnected());
}

TEST_F(DeviceCommunicationThreadTest, AStormFromSeveralLibraryThreadsArrivesCompleteAndInOrderPerThread) {
    Connect();
    constexpr uint32_t kThreads = 6;
    constexpr uint32_t kBatches = 250;
    ASSERT_EQ(simulator.StartStorm(kThreads, kBatches), 0);
    simulator.WaitStorm();
    ASSERT_TRUE(receiver.WaitForBatches(kThreads * kBatches));

    std::map<int32_t, int32_t> next;
    for (const ReceivedValue& value : receiver.Values()) {
        EXPECT_EQ(value.value.ToInt32(), next[value.id]++) << "thread " << value.id;
    }
    ASSERT_EQ(next.size(), kThreads);
    for (const auto& [thread, count] : next) {
        EXPECT_EQ(count, static_cast<int32_t>(kBatches)) << "thread " << thread;
    }
}

TEST_F(DeviceCommunicationThreadTest, SwitchingDeliveryOffWaitsForTheDeliveryUnderWay) {
    Connect();
    Latch inDelivery;
    Latch release;
    std::atomic<bool> deliveryDone{false};
    receiver.hook = [&](const ParamValues&) {
        if (!deliveryDone.load()) {
            inDelivery.Open();
            release.Wait();
            deliveryDone.store(true);
        }
    };
    EXPECT_EQ(device->RequestParamValue(ParamDescriptor(1)), 0);
    inDelivery.Wait();
    std::atomic<bool> doneWhenSwitchedOff{false};
    std::thread switcher([&] {
        device->EnableDelivery(false);
        doneWhenSwitchedOff.store(deliveryDone.load());
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    release.Open();
    switcher.join();
    EXPECT_TRUE(doneWhenSwitchedOff.load());
}

TEST_F(DeviceCommunicationThreadTest, ValuesArrivingWhileDeliveryIsOffNeverReachTheReceiver) {
    device->SetReceiver(&receiver);
    ASSERT_EQ(device->Connect(DeviceId()), 0);
    ASSERT_EQ(simulator.StartStorm(4, 100), 0);
    simulator.WaitStorm();
    EXPECT_EQ(simulator.WaitIdle(60000), 0);
    device = nullptr;
    EXPECT_TRUE(receiver.Batches().empty());
    EXPECT_EQ(simulator.GetCallbackCount(), 400);
}

TEST_F(DeviceCommunicationThreadTest, TeardownDuringAStormIsCleanAndNoCallbackFollowsIt) {
    Connect();
    ASSERT_EQ(simulator.StartStorm(6, 20000), 0);
    ASSERT_TRUE(receiver.WaitForBatches(100));
    device = nullptr;  // the worker stops first; later batches stay queued and go with the interface
    const int32_t callbacks = simulator.GetCallbackCount();
    EXPECT_EQ(simulator.GetCallbacksInFlight(), 0);
    EXPECT_EQ(simulator.GetCallCount("DCCI_DisconnectDevice"), 1);
    EXPECT_EQ(simulator.GetCallCount("DCCI_ReleaseAll"), 1);
    simulator.WaitStorm();
    EXPECT_EQ(simulator.GetCallbackCount(), callbacks);

    std::map<int32_t, int32_t> next;
    for (const ReceivedValue& value : receiver.Values()) {
        EXPECT_EQ(value.value.ToInt32(), next[value.id]++) << "thread " << value.id;
    }
}

TEST_F(DeviceCommunicationThreadTest, CallbacksTheLibraryStillHoldsAreNeverMadeAfterTeardown) {
    Connect();
    simulator.SetGate(0);
    QV::ParamRanges ranges;
    const QV::ParamRange all{0, kDeviceParameterCount};
    ranges.SetFromArray(&all, 1);
    ASSERT_EQ(device->RequestParamRanges(ranges), 0);
    ASSERT_EQ(simulator.StartStorm(3, 10), 0);
    device = nullptr;
    simulator.SetGate(1);
    simulator.WaitStorm();
    EXPECT_EQ(simulator.WaitIdle(60000), 0);
    EXPECT_EQ(simulator.GetCallbackCount(), 0);
    EXPECT_TRUE(receiver.Batches().empty());
}

}  // namespace
