#include "Engine/PresetEditorCommon/RootModuleEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Engine/PresetEditorCommon/DeviceControlSimulatorSupport.h"
#include "Engine/PresetEditorCommon/EngineTestSupport.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace {

using DeviceControlTestSupport::Int32;
using DeviceControlTestSupport::kSimulatorPath;
using DeviceControlTestSupport::List;
using DeviceControlTestSupport::SimulatorControl;
using DeviceControlTestSupport::Text;
using EngineTestSupport::Blob;
using EngineTestSupport::Bool;
using EngineTestSupport::DeviceListCounts;
using EngineTestSupport::FakeClock;
using EngineTestSupport::Int64;
using EngineTestSupport::kMissingLibraryPath;
using EngineTestSupport::ParamChangePair;
using EngineTestSupport::PostedNotifications;
using EngineTestSupport::States;
using EngineTestSupport::TestEngine;
using EngineTestSupport::ValueChanges;
using EngineTestSupport::ValuesOf;
using Posts = std::vector<PostedNotifications::Posted>;

constexpr int32_t kConnected = LRootModuleEngine::DeviceConnected;
constexpr int32_t kNone = LRootModuleEngine::DeviceNone;

std::vector<int32_t> IdsOf(const std::vector<QV::ParamValue>& values) {
    std::vector<int32_t> ids;
    for (const QV::ParamValue& value : values) {
        ids.push_back(value.descriptor.paramID);
    }
    return ids;
}

std::vector<int32_t> IdRange(int32_t first, int32_t count) {
    std::vector<int32_t> ids;
    for (int32_t id = first; id < first + count; ++id) {
        ids.push_back(id);
    }
    return ids;
}

QV::Variant ValueOf(TestEngine& engine, int32_t id) {
    QV::Array<QV::ParamValue> values;
    engine.GetParamValues(QV::ParamRange{id, 1}, values, 0);
    return values.GetAt(0).value;
}

// An interface over a library whose connection report and start-up the test decides.
class SwitchableCommunication : public LDeviceCommunicationInterface {
public:
    static QV::RCPtr<SwitchableCommunication> Create(const QV::WString& path) {
        return QV::RCPtr<SwitchableCommunication>(new SwitchableCommunication(path));
    }

    int32_t Initialize() override {
        return initializeFails ? QV::E_FAIL : LDeviceCommunicationInterface::Initialize();
    }
    bool IsConnected() override { return connected.load(); }
    int32_t GetDeviceInfo(const QV::Variant& deviceId, QV::DeviceInfo& info) override {
        if (!reportPresent.load()) {
            return LDeviceCommunicationInterface::GetDeviceInfo(deviceId, info);
        }
        info = QV::DeviceInfo{};
        info.bytes[QV::DeviceInfo::kConnectedByte] = 1;
        return 0;
    }

    bool initializeFails = false;
    std::atomic<bool> connected{true};
    // Every device answers its information as connected, whatever the library says.
    std::atomic<bool> reportPresent{false};

private:
    explicit SwitchableCommunication(const QV::WString& path) : LDeviceCommunicationInterface(path) {}
};

class RootModuleEngineFixture : public ::testing::Test {
protected:
    void TearDown() override {
        // A polling run held at a pause must be let go before the engine is released.
        clock->ReleaseAll();
        engine = nullptr;
    }

    void StartWith(TestEngine::Factory factory) {
        engine = TestEngine::Create(clock, std::move(factory));
        ASSERT_EQ(engine->Initialize(0), 0);
    }

    std::vector<QV::ParamValue> Defaults() {
        QV::Array<QV::ParamValue> defaults;
        engine->GetParamValueDefaults(QV::ParamRange{0, kDeviceParameterCount}, defaults, 0);
        return std::vector<QV::ParamValue>(defaults.GetData(), defaults.GetData() + defaults.GetCount());
    }

    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    QV::RCPtr<PostedNotifications> posts = PostedNotifications::Create();
    QV::RCPtr<TestEngine> engine;
};

// ---------------------------------------------------------------------------------------------
// Without the device-control library: the model works on its cache.

class RootModuleEngineOfflineThreadTest : public RootModuleEngineFixture {
protected:
    void SetUp() override {
        StartWith(TestEngine::LibraryAt(kMissingLibraryPath));
        started = posts->Take();
    }

    Posts started;
};

TEST_F(RootModuleEngineOfflineThreadTest, InitializePostsEveryValueOnceAndTheConnectedState) {
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].name, u"NID_PARAM_MODULE_STATE_CHANGE");
    const std::vector<QV::ParamValue> values = ValueChanges(started);
    EXPECT_EQ(IdsOf(values), IdRange(0, kDeviceParameterCount));
    const std::vector<QV::ParamValue> defaults = Defaults();
    for (int32_t id = 0; id < kDeviceParameterCount; ++id) {
        EXPECT_EQ(values[id].value, defaults[id].value) << id;
        EXPECT_EQ(values[id].value.kind, QV::Variant::Blob) << id;
    }
    EXPECT_EQ(States(started), (std::vector<int32_t>{kConnected}));
    EXPECT_EQ(engine->GetConnectionState(), LRootModuleEngine::DeviceConnected);
    EXPECT_EQ(engine->GetFirstParamID(), 0);
}

TEST_F(RootModuleEngineOfflineThreadTest, EditsAreStoredAndPostedBackOnlyWhenTheyChangeSomething) {
    struct Case {
        int32_t id;
        QV::Variant value;
        int32_t result;
        size_t posted;
    };
    const Case cases[] = {
        {5, Blob({3}), 0, 1},      // a change comes back as one pair
        {5, Blob({3}), 0, 0},      // unchanged: nothing
        {5, QV::Variant(), 0, 0},  // empty: not stored
        {37, Blob({1}), -1, 0},    // no such preset parameter; the state is re-evaluated and kept
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.id);
        EXPECT_EQ(engine->SetParamValue(QV::ParamDescriptor(entry.id), entry.value), entry.result);
        const Posts taken = posts->Take();
        ASSERT_EQ(taken.size(), entry.posted);
        if (entry.posted == 1) {
            QV::RCPtr<ParamChangePair> pair;
            pair = taken[0].payload;
            ASSERT_TRUE(pair);
            EXPECT_EQ(pair->first.paramID, entry.id);
            EXPECT_EQ(pair->second, entry.value);
        }
    }
    EXPECT_EQ(ValueOf(*engine, 5), Blob({3}));
}

TEST_F(RootModuleEngineOfflineThreadTest, ValuesAndDefaultsComeInIdOrderFromTheStartIndex) {
    engine->SetParamValue(QV::ParamDescriptor(5), Blob({3}));
    QV::Array<QV::ParamValue> values;
    values.SetCount(50);
    EXPECT_EQ(engine->GetParamValues(QV::ParamRange{0, 37}, values, -1), 0);
    ASSERT_EQ(values.GetCount(), 37u);
    EXPECT_EQ(values.GetAt(5).value, Blob({3}));

    // From index 37 of a 37-element array: 37 more, the values before untouched.
    EXPECT_EQ(engine->GetParamValueDefaults(QV::ParamRange{0, 37}, values, 37), 0);
    ASSERT_EQ(values.GetCount(), 74u);
    const std::vector<QV::ParamValue> defaults = Defaults();
    for (uint32_t id = 0; id < 37; ++id) {
        EXPECT_EQ(values.GetAt(id).descriptor.paramID, static_cast<int32_t>(id));
        EXPECT_EQ(values.GetAt(37 + id).descriptor.paramID, static_cast<int32_t>(id));
        EXPECT_EQ(values.GetAt(37 + id).value, defaults[id].value);
        if (id != 5) {
            EXPECT_EQ(values.GetAt(id).value, defaults[id].value);
        }
    }
    EXPECT_NE(values.GetAt(37 + 5).value, Blob({3}));

    // Ids past the preset have no value and no default.
    EXPECT_EQ(engine->GetParamValues(QV::ParamRange{35, 4}, values, -1), 0);
    ASSERT_EQ(values.GetCount(), 4u);
    EXPECT_EQ(values.GetAt(3).descriptor.paramID, 38);
    EXPECT_EQ(values.GetAt(2).value.kind, QV::Variant::Empty);
    EXPECT_EQ(engine->GetParamValueDefaults(QV::ParamRange{35, 4}, values, -1), 0);
    EXPECT_EQ(values.GetAt(3).value.kind, QV::Variant::Empty);
    EXPECT_TRUE(posts->Take().size() <= 1u);
}

TEST_F(RootModuleEngineOfflineThreadTest, RefreshPostsPairsForUpToTwoValuesAndOneListBeyond) {
    struct Case {
        int32_t count;
        size_t notifications;
    };
    for (const Case entry : {Case{0, 0}, Case{1, 1}, Case{2, 2}, Case{3, 1}, Case{8, 1}}) {
        SCOPED_TRACE(entry.count);
        EXPECT_EQ(engine->RefreshParamValues(QV::ParamDescriptors(QV::ParamRange{13, entry.count})), 0);
        const Posts taken = posts->Take();
        EXPECT_EQ(taken.size(), entry.notifications);
        EXPECT_EQ(IdsOf(ValueChanges(taken)), IdRange(13, entry.count));
    }
}

TEST_F(RootModuleEngineOfflineThreadTest, ChangeRequestsPostedToTheCentreAreWritten) {
    QV::GetMainNotificationCenter()->PostNotification(
        u"NID_PARAM_MODULE_CHANGE_REQ", ParamChangePair::Create(QV::ParamDescriptor(6), Blob({1, 1})));
    posts->Drain();
    EXPECT_EQ(ValueOf(*engine, 6), Blob({1, 1}));
    EXPECT_EQ(IdsOf(ValueChanges(posts->Take())), (std::vector<int32_t>{6}));
}

TEST_F(RootModuleEngineOfflineThreadTest, PollingStaysOffWithoutTheLibrary) {
    const int32_t result = engine->Enable(true);
    EXPECT_LT(result, 0);
    EXPECT_FALSE(engine->IsPollingRunActive());
    // The first search's result is remembered, not searched again.
    EXPECT_EQ(engine->Enable(true), result);
    QV::Array<QV::Variant> devices;
    EXPECT_LT(engine->GetDeviceList(devices), 0);
    EXPECT_EQ(devices.GetCount(), 0u);
    EXPECT_EQ(clock->GetSleeps(1500), 0u);
}

TEST_F(RootModuleEngineOfflineThreadTest, EngineReachableThroughTheProcessWideReference) {
    EXPECT_FALSE(GetRootModuleEngine());
    SetRootModuleEngine(engine);
    EXPECT_EQ(GetRootModuleEngine(), engine);
    SetRootModuleEngine(nullptr);
    EXPECT_FALSE(GetRootModuleEngine());
}

class RootModuleEngineStartThreadTest : public RootModuleEngineFixture {};

TEST_F(RootModuleEngineStartThreadTest, UninitialisedEngineRefusesWrites) {
    engine = TestEngine::Create(clock, TestEngine::LibraryAt(kMissingLibraryPath));
    EXPECT_EQ(engine->SetParamValue(QV::ParamDescriptor(5), Blob({1})), QV::E_FAIL);
    QV::Array<QV::ParamValue> values;
    EXPECT_EQ(engine->GetParamValues(QV::ParamRange{0, 3}, values, 0), 0);
    EXPECT_EQ(IdsOf(std::vector<QV::ParamValue>(values.GetData(), values.GetData() + 3)), IdRange(0, 3));
    EXPECT_EQ(values.GetAt(0).value.kind, QV::Variant::Empty);
    EXPECT_TRUE(posts->Take().empty());
}

// An interface that cannot start makes no connection attempt, yet the state is evaluated, so
// edits still reach the cache.
TEST_F(RootModuleEngineStartThreadTest, InterfaceThatCannotStartStillLeavesTheModelEditable) {
    StartWith([] {
        QV::RCPtr<SwitchableCommunication> communication =
            SwitchableCommunication::Create(kMissingLibraryPath);
        communication->initializeFails = true;
        return communication;
    });
    EXPECT_EQ(States(posts->Take()), (std::vector<int32_t>{kConnected}));
    EXPECT_EQ(engine->SetParamValue(QV::ParamDescriptor(8), Blob({2, 2})), 0);
    EXPECT_EQ(IdsOf(ValueChanges(posts->Take())), (std::vector<int32_t>{8}));
}

// ---------------------------------------------------------------------------------------------
// With the simulated keyboard.

class RootModuleEngineDeviceThreadTest : public RootModuleEngineFixture {
protected:
    void SetUp() override {
        StartWith([this] {
            QV::RCPtr<SwitchableCommunication> made = SwitchableCommunication::Create(kSimulatorPath);
            communication = made;
            return made;
        });
        started = posts->Take();
        // The device answers the range request with the values the model holds already: a marker
        // sent after them shows that all of them have been applied, without any being posted.
        Send({{kMarkerID, QV::Variant(), Blob({1})}});
        EXPECT_TRUE(WaitForChange(kMarkerID));
        answered = posts->Take();
    }

    void TearDown() override {
        RootModuleEngineFixture::TearDown();
        communication = nullptr;
    }

    void Send(const std::vector<QV::ParamValue>& values) {
        const QV::ParamValues list = ValuesOf(values);
        ASSERT_EQ(sim.SendValues(&list), 0);
    }

    // Drains the centre until a change of the id has been delivered.
    bool WaitForChange(int32_t id) {
        return posts->DrainUntil([&] {
            for (const QV::ParamValue& change : ValueChanges(posts->posted)) {
                if (change.descriptor.paramID == id) {
                    return true;
                }
            }
            return false;
        });
    }

    // Ids no module serves are reported as they arrive, never stored.
    static constexpr int32_t kMarkerID = 999;

    SimulatorControl sim;
    QV::RCPtr<SwitchableCommunication> communication;
    Posts started;
    Posts answered;
};

TEST_F(RootModuleEngineDeviceThreadTest, ConnectsAndAsksForEveryValueAndTheStatus) {
    EXPECT_EQ(sim.GetCallCount("DCCI_ConnectDevice"), 1);
    const QV::Variant ranges =
        DeviceControlTestSupport::Item(sim.GetLastArguments("DCCI_RequestParamRanges"), 1);
    EXPECT_EQ(ranges, List({List({Int32(0), Int32(37)})}));
    const QV::Variant descriptors =
        DeviceControlTestSupport::Item(sim.GetLastArguments("DCCI_RequestParamValues"), 1);
    EXPECT_EQ(descriptors, List({List({Int32(ParamID_Status), QV::Variant()})}));

    EXPECT_EQ(IdsOf(ValueChanges(started)), IdRange(0, kDeviceParameterCount));
    EXPECT_EQ(States(started), (std::vector<int32_t>{kConnected}));
    // The 37 answered values changed nothing.
    EXPECT_EQ(IdsOf(ValueChanges(answered)), (std::vector<int32_t>{kMarkerID}));
}

TEST_F(RootModuleEngineDeviceThreadTest, ValuesFromTheDeviceReachTheCacheAndArePosted) {
    const QV::Variant unchanged = ValueOf(*engine, 6);
    Send({{5, QV::Variant(), Blob({0x51})},
          {6, QV::Variant(), unchanged},
          {7, QV::Variant(), Blob({0x71})},
          {ParamID_DeviceConfigured, QV::Variant(), Bool(true)}});
    ASSERT_TRUE(WaitForChange(ParamID_DeviceConfigured));
    const std::vector<QV::ParamValue> changes = ValueChanges(posts->Take());
    EXPECT_EQ(IdsOf(changes), (std::vector<int32_t>{5, 7, ParamID_DeviceConfigured}));
    EXPECT_EQ(changes[2].value, Bool(true));
    EXPECT_EQ(ValueOf(*engine, 5), Blob({0x51}));
    EXPECT_EQ(ValueOf(*engine, 7), Blob({0x71}));
}

TEST_F(RootModuleEngineDeviceThreadTest, EditsReachTheDeviceAndTheEchoComesBack) {
    EXPECT_EQ(engine->SetParamValue(QV::ParamDescriptor(9), Blob({9, 9})), 0);
    const QV::Variant written = sim.GetLastArguments("DCCI_SetParamValue");
    EXPECT_EQ(DeviceControlTestSupport::Item(written, 1), Int32(9));
    EXPECT_EQ(DeviceControlTestSupport::Item(written, 3), Blob({9, 9}));

    EXPECT_EQ(engine->SetParamValue(QV::ParamDescriptor(ParamID_Echo), Int64(7)), 0);
    const std::vector<QV::ParamValue> changes = ValueChanges(posts->Take());
    ASSERT_EQ(IdsOf(changes), (std::vector<int32_t>{9, ParamID_Echo}));
    EXPECT_EQ(changes[1].value, List({Int64(7), Bool(true)}));
    EXPECT_EQ(sim.GetCallCount("DCCI_SetParamValue"), 1);
}

TEST_F(RootModuleEngineDeviceThreadTest, FailedDeviceWriteReEvaluatesTheConnection) {
    sim.SetResult("DCCI_SetParamValue", -5);
    EXPECT_EQ(engine->SetParamValue(QV::ParamDescriptor(9), Blob({4})), -5);
    // Still connected: the model keeps the value, no state is posted.
    EXPECT_EQ(States(posts->Take()), (std::vector<int32_t>{}));

    communication->connected = false;
    EXPECT_EQ(engine->SetParamValue(QV::ParamDescriptor(9), Blob({5})), -5);
    EXPECT_EQ(States(posts->Take()), (std::vector<int32_t>{kNone}));
    EXPECT_EQ(engine->SetParamValue(QV::ParamDescriptor(9), Blob({6})), QV::E_FAIL);
    EXPECT_EQ(ValueOf(*engine, 9), Blob({5}));
}

// ---------------------------------------------------------------------------------------------
// The polling loop, on the fake clock: passes take no real time, and a test holds the loop at
// its 1500 ms pauses to look at a known point of its rhythm.

class RootModuleEnginePollingThreadTest : public RootModuleEngineDeviceThreadTest {
protected:
    int32_t Searches() { return sim.GetCallCount("DCCI_FindRemoteDevices"); }
    int32_t LastSearchFlag() {
        return DeviceControlTestSupport::Item(sim.GetLastArguments("DCCI_FindRemoteDevices"), 1).ToInt32();
    }
};

// Eight waiting searches, then a listing followed by a pause, over and over.
TEST_F(RootModuleEnginePollingThreadTest, EveryNinthPassListsTheDevicesAndPauses) {
    clock->Hold(1500);
    EXPECT_EQ(engine->Enable(true), 0);
    ASSERT_TRUE(clock->WaitForSleeps(1500, 1));
    // The first search, one pass that finds the keyboard, seven that wait in vain (seven
    // searches 250 ms apart each), then the listing.
    EXPECT_EQ(Searches(), 1 + 1 + 7 * 7 + 1);
    EXPECT_EQ(LastSearchFlag(), 1);
    EXPECT_EQ(clock->GetSleeps(250), 7u * 6u);
    EXPECT_EQ(DeviceListCounts(posts->Take()), (std::vector<uint32_t>{1}));

    clock->Allow(1);
    ASSERT_TRUE(clock->WaitForSleeps(1500, 2));
    EXPECT_EQ(Searches(), 52 + 8 * 7 + 1);
    EXPECT_EQ(LastSearchFlag(), 1);
}

TEST_F(RootModuleEnginePollingThreadTest, ListChangesArePostedAndKeptForTheUserInterface) {
    clock->Hold(1500);
    ASSERT_EQ(engine->Enable(true), 0);
    ASSERT_TRUE(clock->WaitForSleeps(1500, 1));
    EXPECT_EQ(DeviceListCounts(posts->Take()), (std::vector<uint32_t>{1}));

    const QV::Variant two = List({Text("Skylet 1"), Text("Skylet 2")});
    sim.SetRemoteDevices(&two, static_cast<uint32_t>(Searches() + 3));
    clock->Allow(1);
    ASSERT_TRUE(clock->WaitForSleeps(1500, 2));
    EXPECT_EQ(DeviceListCounts(posts->Take()), (std::vector<uint32_t>{2}));
    QV::Array<QV::Variant> devices;
    EXPECT_EQ(engine->GetDeviceList(devices), 0);
    ASSERT_EQ(devices.GetCount(), 2u);
    EXPECT_EQ(devices.GetAt(1), Text("Skylet 2"));

    // Switched off with no device selected, the run ends; on again, it starts anew without a
    // second first search.
    EXPECT_EQ(engine->Enable(false), 0);
    clock->ReleaseAll();
    EXPECT_TRUE(EngineTestSupport::WaitUntil([&] { return !engine->IsPollingRunActive(); }));
    const int32_t searches = Searches();
    EXPECT_EQ(engine->Enable(true), 0);
    EXPECT_TRUE(engine->IsPollingRunActive());
    EXPECT_TRUE(EngineTestSupport::WaitUntil([&] { return Searches() > searches; }));
}

// With polling off but a connected device selected, the loop only watches the connection: one
// pause per pass and no search.
TEST_F(RootModuleEnginePollingThreadTest, PollingOffWatchesTheConnectionWithOnePausePerPass) {
    clock->Hold(1500);
    EXPECT_EQ(engine->ConnectDevice(Text("Skylet 1"), false), 0);
    ASSERT_TRUE(clock->WaitForSleeps(1500, 1));
    clock->Allow(3);
    ASSERT_TRUE(clock->WaitForSleeps(1500, 4));
    EXPECT_EQ(Searches(), 0);
    EXPECT_TRUE(engine->IsPollingRunActive());
}

// Releasing the engine while its loop is in a pause (its own, or one between the waiting
// search's searches) wakes the loop: the release ends although the held pause would never end
// by itself.
struct ReleaseCase {
    const char* name;
    uint32_t pause;
    std::function<void(LRootModuleEngine&)> start;
};

class RootModuleEngineReleaseThreadTest : public RootModuleEnginePollingThreadTest,
                                          public ::testing::WithParamInterface<ReleaseCase> {};

TEST_P(RootModuleEngineReleaseThreadTest, ReleaseWakesTheLoopFromItsPause) {
    clock->Hold(GetParam().pause);
    GetParam().start(*engine);
    ASSERT_TRUE(clock->WaitForHeldPause());

    communication = nullptr;
    std::atomic<bool> released{false};
    std::thread releaser([&] {
        engine = nullptr;
        released = true;
    });
    const bool inTime =
        EngineTestSupport::WaitUntil([&] { return released.load(); }, std::chrono::seconds(5));
    // A pause that was not woken is let go, so a failure does not hang the suite.
    clock->ReleaseAll();
    releaser.join();
    EXPECT_TRUE(inTime);
    EXPECT_EQ(clock->HeldPauses(), 0u);
    EXPECT_EQ(sim.GetCallCount("DCCI_ReleaseAll"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Pauses, RootModuleEngineReleaseThreadTest,
    ::testing::Values(ReleaseCase{"PollingOff", 1500,
                                  [](LRootModuleEngine& e) { e.ConnectDevice(Text("Skylet 1"), false); }},
                      ReleaseCase{"WaitingSearch", 250, [](LRootModuleEngine& e) { e.Enable(true); }}),
    [](const ::testing::TestParamInfo<ReleaseCase>& info) { return std::string(info.param.name); });

// A device that is present but refuses the connection stays selected, pending, and the loop
// connects it on a later pass.
TEST_F(RootModuleEnginePollingThreadTest, PresentDeviceThatRefusesIsConnectedByTheLoop) {
    clock->Hold(1500);
    communication->connected = false;
    communication->reportPresent = true;
    sim.SetResult("DCCI_ConnectDevice", -1);
    EXPECT_EQ(engine->ConnectDevice(Text("Skylet 1"), true), -1);
    EXPECT_EQ(States(posts->Take()), (std::vector<int32_t>{LRootModuleEngine::DeviceConnectPending}));
    EXPECT_EQ(engine->SetParamValue(QV::ParamDescriptor(5), Blob({1})), QV::E_FAIL);

    ASSERT_TRUE(clock->WaitForSleeps(1500, 1));
    EXPECT_EQ(sim.GetCallCount("DCCI_ConnectDevice"), 3);
    EXPECT_TRUE(posts->Take().empty());
    sim.SetResult("DCCI_ConnectDevice", 0);
    clock->Allow(1);
    ASSERT_TRUE(clock->WaitForSleeps(1500, 2));
    EXPECT_EQ(sim.GetCallCount("DCCI_ConnectDevice"), 4);
    EXPECT_EQ(States(posts->Take()), (std::vector<int32_t>{kConnected}));
    EXPECT_EQ(engine->GetConnectionState(), LRootModuleEngine::DeviceConnected);
}

// ---------------------------------------------------------------------------------------------
// The device's threads deliver while the user-interface thread edits and drains.

class RootModuleEngineCrossThreadTest : public RootModuleEngineDeviceThreadTest {};

TEST_F(RootModuleEngineCrossThreadTest, DeviceStormAndEditsArriveCompleteAndInOrder) {
    constexpr uint32_t kThreads = 4;
    constexpr int32_t kBatches = 300;
    ASSERT_EQ(sim.StartStorm(kThreads, kBatches), 0);
    for (int32_t edit = 0; edit < 200; ++edit) {
        const uint8_t byte = static_cast<uint8_t>(edit);
        ASSERT_EQ(engine->SetParamValue(QV::ParamDescriptor(10 + edit % 10), Blob({byte, 1})), 0);
        if (edit % 16 == 0) {
            posts->Drain();
        }
    }
    sim.WaitStorm();
    ASSERT_TRUE(posts->DrainUntil([&] {
        for (const QV::ParamValue& change : ValueChanges(posts->posted)) {
            if (change.descriptor.paramID == kThreads - 1 && change.value == Int32(kBatches - 1)) {
                return true;
            }
        }
        return false;
    }));
    ASSERT_TRUE(sim.WaitIdle(20000) == 0);
    ASSERT_TRUE(posts->DrainUntil([&] {
        uint32_t last = 0;
        for (const QV::ParamValue& change : ValueChanges(posts->posted)) {
            last += change.descriptor.paramID < static_cast<int32_t>(kThreads) &&
                    change.value == Int32(kBatches - 1);
        }
        return last == kThreads;
    }));

    // Every batch of every device thread changed its id, so each arrives once, in its order.
    std::vector<std::vector<int32_t>> perThread(kThreads);
    std::vector<int32_t> edits;
    for (const QV::ParamValue& change : ValueChanges(posts->Take())) {
        const int32_t id = change.descriptor.paramID;
        if (id >= 0 && id < static_cast<int32_t>(kThreads)) {
            perThread[id].push_back(change.value.ToInt32());
        } else if (id >= 10 && id < 20) {
            edits.push_back(id);
        }
    }
    for (uint32_t thread = 0; thread < kThreads; ++thread) {
        SCOPED_TRACE(thread);
        ASSERT_EQ(perThread[thread].size(), static_cast<size_t>(kBatches));
        for (int32_t batch = 0; batch < kBatches; ++batch) {
            ASSERT_EQ(perThread[thread][batch], batch);
        }
    }
    EXPECT_EQ(edits.size(), 200u);
    EXPECT_EQ(ValueOf(*engine, 19), Blob({199, 1}));
}

}  // namespace
