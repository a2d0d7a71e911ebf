#include "Engine/PresetEditorCommon/RootModule.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Engine/PresetEditorCommon/EngineLockLevels.h"
#include "Engine/PresetEditorCommon/EngineTestSupport.h"
#include "Engine/PresetEditorCommon/ParamCache.h"

namespace {

using EngineTestSupport::Blob;
using EngineTestSupport::Bool;
using EngineTestSupport::Int64;
using EngineTestSupport::kMissingLibraryPath;
using EngineTestSupport::ValuesOf;

// The interface without a library, with the calls the root makes towards the device scripted.
class ScriptedCommunication : public LDeviceCommunicationInterface {
public:
    static QV::RCPtr<ScriptedCommunication> Create() {
        return QV::RCPtr<ScriptedCommunication>(new ScriptedCommunication());
    }

    int32_t Connect(const QV::Variant& /*deviceId*/) override {
        ++connects;
        return connectResult;
    }
    int32_t Disconnect() override {
        ++disconnects;
        return 0;
    }
    int32_t RequestParamRanges(const QV::ParamRanges& ranges) override {
        requestedRanges = ranges;
        return 0;
    }
    int32_t RequestParamValue(const QV::ParamDescriptor& descriptor) override {
        requestedValues.push_back(descriptor.paramID);
        return 0;
    }
    int32_t SetParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) override {
        if (descriptor.paramID == kEchoParamID) {
            return LDeviceCommunicationInterface::SetParamValue(descriptor, value);
        }
        writes.emplace_back(descriptor.paramID, descriptor.qualifier, value);
        return writeResult;
    }

    int32_t connectResult = 0;
    int32_t writeResult = 0;
    int connects = 0;
    int disconnects = 0;
    QV::ParamRanges requestedRanges;
    std::vector<int32_t> requestedValues;
    std::vector<QV::ParamValue> writes;

private:
    ScriptedCommunication() : LDeviceCommunicationInterface(kMissingLibraryPath) {}
};

class CountingRoot : public LRootModule {
public:
    static QV::RCPtr<CountingRoot> Create(bool offline) {
        QV::RCPtr<CountingRoot> root(new CountingRoot(offline));
        root->CreateChildren();
        return root;
    }

    void BroadcastDeviceConfigured() override {
        ++broadcasts;
        LRootModule::BroadcastDeviceConfigured();
    }

    int broadcasts = 0;

private:
    explicit CountingRoot(bool offline) : LRootModule(offline) {}
};

class RootModuleTest : public ::testing::Test {
protected:
    static int32_t Record(void* context, QV::IArray<QV::ParamValue>* changes) {
        auto* fixture = static_cast<RootModuleTest*>(context);
        for (uint32_t i = 0; i < changes->GetCount(); ++i) {
            fixture->changes.push_back(changes->GetAt(i));
        }
        return 0;
    }

    void Start(bool offline, int32_t firstParamID = 0) {
        root = CountingRoot::Create(offline);
        ASSERT_EQ(root->Initialize(&Record, this, cache, communication, firstParamID), 0);
    }

    std::vector<int32_t> ChangedIds() const {
        std::vector<int32_t> ids;
        for (const QV::ParamValue& change : changes) {
            ids.push_back(change.descriptor.paramID);
        }
        return ids;
    }

    QV::RCPtr<ScriptedCommunication> communication = ScriptedCommunication::Create();
    QV::RCPtr<LParamCache> cache = LParamCache::Create(kDeviceParameterCount);
    QV::RCPtr<CountingRoot> root;
    std::vector<QV::ParamValue> changes;
};

TEST_F(RootModuleTest, InitializeFillsTheCacheWithTheDefaultsSilently) {
    for (const int32_t first : {0, 100}) {
        SCOPED_TRACE(first);
        cache = LParamCache::Create(kDeviceParameterCount);
        Start(true, first);
        for (int32_t offset = 0; offset < kDeviceParameterCount; ++offset) {
            QV::Variant cached;
            ASSERT_EQ(cache->GetValue(QV::ParamDescriptor(offset), cached), 0);
            EXPECT_EQ(cached, root->GetModule(first + offset)->GetParamValueDefault(first + offset))
                << offset;
            EXPECT_EQ(cached.kind, QV::Variant::Blob);
            QV::Variant read;
            EXPECT_EQ(root->GetParamValue(QV::ParamDescriptor(first + offset), read), 0);
            EXPECT_EQ(read, cached);
        }
        EXPECT_TRUE(changes.empty());
        EXPECT_EQ(root->GetParamCache(), cache);
    }
}

TEST_F(RootModuleTest, OfflineWritesGoToTheCacheAndReportRealChangesOnly) {
    Start(true);
    struct Case {
        int32_t id;
        QV::Variant value;
        int32_t result;
        bool reported;
    };
    const Case cases[] = {
        {5, Blob({9}), 0, true},       // a change
        {5, Blob({9}), 0, false},      // the same value again
        {5, QV::Variant(), 0, false},  // empty values are never stored
        {36, Blob({1, 2}), 0, true},   // the last preset id
        {37, Blob({1}), -1, false},    // past the preset
        {-1, Blob({1}), -1, false},    // special ids are no cache slots
        {-8, Blob({1}), -1, false},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.id);
        changes.clear();
        EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(entry.id), entry.value), entry.result);
        ASSERT_EQ(changes.size(), entry.reported ? 1u : 0u);
        if (entry.reported) {
            EXPECT_EQ(changes[0].descriptor.paramID, entry.id);
            EXPECT_EQ(changes[0].value, entry.value);
        }
    }
    QV::Variant read;
    EXPECT_EQ(root->GetParamValue(QV::ParamDescriptor(5), read), 0);
    EXPECT_EQ(read, Blob({9}));
    EXPECT_EQ(root->GetParamValue(QV::ParamDescriptor(37), read), 0);
    EXPECT_EQ(read.kind, QV::Variant::Empty);
    // Negative ids are read from the interface even offline; without a library it names the maker.
    EXPECT_EQ(root->GetParamValue(QV::ParamDescriptor(ParamID_MakerName), read), 0);
    EXPECT_STREQ(read.GetString(), "Tarvel");
    EXPECT_TRUE(communication->writes.empty());
}

TEST_F(RootModuleTest, OnlineWritesStoreReportAndReachTheDevice) {
    Start(true, 10);
    EXPECT_EQ(root->Connect(QV::Variant()), 0);
    EXPECT_EQ(communication->disconnects, 1);
    QV::ParamRange range{};
    ASSERT_EQ(communication->requestedRanges.GetListCount(), 1u);
    ASSERT_EQ(communication->requestedRanges.GetRangeAt(0, range), 0);
    EXPECT_EQ(range.firstParamID, 10);
    EXPECT_EQ(range.count, 37);
    EXPECT_EQ(communication->requestedValues, (std::vector<int32_t>{ParamID_Status}));

    communication->writeResult = -5;
    EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(15), Blob({4})), -5);
    EXPECT_EQ(ChangedIds(), (std::vector<int32_t>{15}));
    ASSERT_EQ(communication->writes.size(), 1u);
    EXPECT_EQ(communication->writes[0].descriptor.paramID, 15);
    // The device's refusal does not undo the cache.
    QV::Variant read;
    EXPECT_EQ(root->GetParamValue(QV::ParamDescriptor(15), read), 0);
    EXPECT_EQ(read, Blob({4}));

    // Ids no module serves go only to the device; reads of them fail.
    communication->writeResult = 0;
    changes.clear();
    EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(-8), Blob({1})), 0);
    EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(47), Blob({1})), 0);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(communication->writes.size(), 3u);
    read = Blob({1});
    EXPECT_EQ(root->GetParamValue(QV::ParamDescriptor(47), read), QV::E_FAIL);
    EXPECT_EQ(read.kind, QV::Variant::Empty);

    // A failed connection takes the root offline again.
    communication->connectResult = -1;
    EXPECT_EQ(root->Connect(QV::Variant()), -1);
    EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(-8), Blob({1})), -1);
    EXPECT_EQ(communication->writes.size(), 3u);
}

TEST_F(RootModuleTest, EchoComesBackBeforeTheWriteReturns) {
    Start(true);
    EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(ParamID_Echo), Int64(7)), 0);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].descriptor.paramID, ParamID_Echo);
    ASSERT_EQ(changes[0].value.GetListCount(), 2u);
    QV::Variant item;
    changes[0].value.GetListItem(0, item);
    EXPECT_EQ(item, Int64(7));
    changes[0].value.GetListItem(1, item);
    EXPECT_EQ(item, Bool(true));

    // A root that was never initialised has nobody to echo to.
    QV::RCPtr<LRootModule> bare = LRootModule::Create(true);
    EXPECT_EQ(bare->SetParamValue(QV::ParamDescriptor(ParamID_Echo), Int64(7)), 1);
}

// The root's lock is checked in the device model's lock order (debug builds): taken below a lock of
// the communication state's level, it is reported; an echo written to the interface directly, with
// no lock held, comes back through the root without an inversion.
#ifndef NDEBUG
std::vector<std::string>& LockOrderViolations() {
    static std::vector<std::string> violations;
    return violations;
}

void RecordLockOrderViolation(const QV::Mutex& taken, const QV::Mutex& held) {
    LockOrderViolations().push_back(std::string(taken.GetName()) + "<" + held.GetName());
}
#endif

TEST_F(RootModuleTest, LockOrderInversionsAreReported) {
#ifdef NDEBUG
    GTEST_SKIP() << "checked in debug builds";
#else
    Start(true);
    const QV::LockOrderViolationHandler previous =
        QV::SetLockOrderViolationHandler(&RecordLockOrderViolation);
    LockOrderViolations().clear();
    EXPECT_EQ(communication->SetParamValue(QV::ParamDescriptor(ParamID_Echo), Int64(3)), 0);
    EXPECT_EQ(changes.size(), 1u);
    EXPECT_TRUE(LockOrderViolations().empty());

    QV::Mutex stateLevel("state-level lock", EngineLockLevel::kCommunicationState);
    {
        QV::CAutoLock inverted(stateLevel);
        EXPECT_EQ(root->SetParamValue(QV::ParamDescriptor(5), Blob({1})), 0);
    }
    EXPECT_EQ(LockOrderViolations(), (std::vector<std::string>{"root module<state-level lock"}));
    QV::SetLockOrderViolationHandler(previous);
#endif
}

TEST_F(RootModuleTest, ReceivedValuesAreStoredThroughTheModelOrReportedAsTheyAre) {
    Start(false);
    QV::Variant qualifier;
    const int32_t number = 1;
    qualifier.Set(QV::Variant::Int32, &number, sizeof(number));
    QV::Variant status;
    status.SetString("ready");
    QV::ParamValues received = ValuesOf({
        {5, QV::Variant(), Blob({0x0C})},                                 // changed: stored and reported
        {6, QV::Variant(), root->GetModule(6)->GetParamValueDefault(6)},  // unchanged: silent
        {999, qualifier, Blob({1})},  // no module: reported with an empty qualifier
        {ParamID_DeviceConfigured, QV::Variant(), Bool(false)},
        {ParamID_DeviceConfigured, QV::Variant(), Bool(true)},
        {ParamID_Status, QV::Variant(), status},
        {7, qualifier, Blob({3})},  // a qualified value lands in the slot's list
    });
    // An item that is no (value, id, qualifier) list is reported as id -1 with no value.
    QV::Variant items[8];
    for (uint32_t i = 0; i < 7; ++i) {
        received.GetListItem(i, items[i]);
    }
    const int32_t broken = 3;
    items[7].Set(QV::Variant::Int32, &broken, sizeof(broken));
    static_cast<QV::Variant&>(received).SetList(items, 8);

    root->ReceiveDeviceValues(DeviceParamValues::Create(received));

    EXPECT_EQ(ChangedIds(), (std::vector<int32_t>{5, 999, ParamID_DeviceConfigured, ParamID_DeviceConfigured,
                                                  ParamID_Status, 7, -1}));
    EXPECT_EQ(changes[1].descriptor.qualifier.kind, QV::Variant::Empty);
    EXPECT_EQ(changes[5].descriptor.qualifier, qualifier);
    EXPECT_EQ(changes[6].value.kind, QV::Variant::Empty);
    EXPECT_EQ(root->broadcasts, 1);

    QV::Variant cached;
    cache->GetValue(QV::ParamDescriptor(5), cached);
    EXPECT_EQ(cached, Blob({0x0C}));
    QV::ParamDescriptor qualified(7);
    qualified.qualifier = qualifier;
    EXPECT_EQ(cache->GetValue(qualified, cached), 0);
    EXPECT_EQ(cached, Blob({3}));
}

TEST_F(RootModuleTest, ReleasedRootLeavesTheInterfaceWithoutReceiver) {
    Start(true);
    root = nullptr;
    EXPECT_GE(communication->disconnects, 1);
    // Nothing the interface still receives can reach the destroyed root.
    EXPECT_FALSE(communication->EchoToReceiver(1));
}

// A root released by its owner while the interface's worker is storing values into it: the
// modules take references to the root on the way, so the root must not go until the delivery
// has left it.
class RootModuleDeliveryThreadTest : public ::testing::Test {
protected:
    class WatchedRoot : public LRootModule {
    public:
        static QV::RCPtr<WatchedRoot> Create(RootModuleDeliveryThreadTest* test) {
            QV::RCPtr<WatchedRoot> root(new WatchedRoot(test));
            root->CreateChildren();
            return root;
        }

        void OnParamValues(const QV::ParamValues& received) override {
            delivering = true;
            LRootModule::OnParamValues(received);
            delivering = false;
        }

    protected:
        ~WatchedRoot() override {
            test->destroyedInDelivery = delivering;
            test->destroyed = true;
        }

    private:
        explicit WatchedRoot(RootModuleDeliveryThreadTest* owner) : LRootModule(false), test(owner) {}

        RootModuleDeliveryThreadTest* test;
        bool delivering = false;
    };

    // Holds the delivery inside the root until the test lets it go.
    static int32_t HoldDelivery(void* context, QV::IArray<QV::ParamValue>* /*changes*/) {
        auto* test = static_cast<RootModuleDeliveryThreadTest*>(context);
        std::unique_lock hold(test->mutex);
        test->inDelivery = true;
        test->changed.notify_all();
        test->changed.wait(hold, [test] { return test->released; });
        return 0;
    }

    std::mutex mutex;
    std::condition_variable changed;
    bool inDelivery = false;
    bool released = false;
    std::atomic<bool> destroyed{false};
    std::atomic<bool> destroyedInDelivery{false};
};

TEST_F(RootModuleDeliveryThreadTest, RootReleasedDuringADeliveryGoesAfterIt) {
    QV::RCPtr<LDeviceCommunicationInterface> communication =
        LDeviceCommunicationInterface::Create(kMissingLibraryPath);
    ASSERT_GE(communication->Initialize(), 0);
    QV::RCPtr<WatchedRoot> root = WatchedRoot::Create(this);
    ASSERT_EQ(
        root->Initialize(&HoldDelivery, this, LParamCache::Create(kDeviceParameterCount), communication, 0),
        0);

    const QV::ParamValues received = ValuesOf({{0, QV::Variant(), Blob({0x41, 0x42})}});
    LDeviceCommunicationInterface::OnDeviceValues(communication.Get(), 0, &received);
    {
        std::unique_lock hold(mutex);
        changed.wait(hold, [this] { return inDelivery; });
    }
    root = nullptr;
    EXPECT_FALSE(destroyed.load());
    {
        std::lock_guard hold(mutex);
        released = true;
    }
    changed.notify_all();

    ASSERT_TRUE(EngineTestSupport::WaitUntil([this] { return destroyed.load(); }));
    EXPECT_FALSE(destroyedInDelivery.load());
    // Nothing the interface receives afterwards reaches the root.
    EXPECT_FALSE(communication->EchoToReceiver(1));
}

}  // namespace
