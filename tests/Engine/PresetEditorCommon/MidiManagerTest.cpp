#include "Engine/PresetEditorCommon/MidiManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Engine/PresetEditorCommon/EngineTestSupport.h"
#include "Engine/PresetEditorCommon/RootModuleEngine.h"
#include "Platform/Midi/MidiVirtual.h"
#include "Platform/Midi/SimulatedKeyboard.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationLocks.h"

namespace {

using namespace QV;
using Bytes = std::vector<uint8_t>;
using MidiTestSupport::SimulatedKeyboard;
using Reply = SimulatedKeyboard::Reply;

Array<uint8_t> ToArray(const Bytes& bytes) {
    Array<uint8_t> array;
    for (const uint8_t byte : bytes) {
        array.Add(byte);
    }
    return array;
}

Bytes ToBytes(const Array<uint8_t>& array) {
    return Bytes(array.GetData(), array.GetData() + array.GetCount());
}

Bytes BlobBytes(const Variant& value) {
    uint32_t size = 0;
    if (value.kind != Variant::Blob) {
        return {};
    }
    const auto* data = static_cast<const uint8_t*>(value.GetData(size));
    return Bytes(data, data + size);
}

Variant Blob(const Bytes& bytes) {
    Variant value;
    value.SetBlob(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return value;
}

// A preset whose every byte differs from the defaults' and from other seeds'.
Bytes Preset(uint8_t seed) {
    Bytes preset(SimulatedKeyboard::kPresetLength);
    for (size_t i = 0; i < preset.size(); ++i) {
        preset[i] = static_cast<uint8_t>((seed + i * 7) & 0x7F);
    }
    return preset;
}

class MidiManagerThreadTest : public testing::Test {
protected:
    void SetUp() override {
        LMidiManager::SetReplyTimeout(100);
        LMidiComm::SetSendTimeout(100);
        // The model on its cache alone: no device-control library.
        mEngine = EngineTestSupport::TestEngine::Create(
            mClock, EngineTestSupport::TestEngine::LibraryAt(EngineTestSupport::kMissingLibraryPath));
        ASSERT_EQ(mEngine->Initialize(0), S_OK);
        SetRootModuleEngine(mEngine);
        mPosts = EngineTestSupport::PostedNotifications::Create();
        mPosts->Take();
        mManager = LMidiManager::Create();
    }

    void TearDown() override {
        mManager = nullptr;
        mPosts->Stop();
        GetMainNotificationCenter()->DiscardPendingNotifications();
        SetRootModuleEngine(nullptr);
        mEngine = nullptr;
        LMidiManager::SetReplyTimeout(1000);
        LMidiComm::SetSendTimeout(10000);
    }

    // The engine's 37 cached values one after another.
    Bytes Cache() {
        Array<ParamValue> values;
        mEngine->GetParamValues(ParamRange{0, kDeviceParameterCount}, values, -1);
        Bytes all;
        for (uint32_t i = 0; i < values.GetCount(); ++i) {
            const Bytes bytes = BlobBytes(values.GetAt(i).value);
            all.insert(all.end(), bytes.begin(), bytes.end());
        }
        return all;
    }

    // The same, one value per parameter.
    std::vector<Bytes> CacheValues() {
        Array<ParamValue> values;
        mEngine->GetParamValues(ParamRange{0, kDeviceParameterCount}, values, -1);
        std::vector<Bytes> all;
        for (uint32_t i = 0; i < values.GetCount(); ++i) {
            all.push_back(BlobBytes(values.GetAt(i).value));
        }
        return all;
    }

    // A preset cut into its parameters' values.
    static std::vector<Bytes> Split(const Bytes& preset) {
        std::vector<Bytes> values;
        size_t offset = 0;
        for (const uint32_t length : kDeviceParameterLengths) {
            values.emplace_back(preset.begin() + offset, preset.begin() + offset + length);
            offset += length;
        }
        return values;
    }

    // Writes a whole preset into the engine with the model's lengths.
    void SetCache(const Bytes& preset) {
        size_t offset = 0;
        for (int32_t id = 0; id < kDeviceParameterCount; ++id) {
            const uint32_t length = kDeviceParameterLengths[id];
            mEngine->SetParamValue(ParamDescriptor(id),
                                   Blob(Bytes(preset.begin() + offset, preset.begin() + offset + length)));
            offset += length;
        }
    }

    RCPtr<LMidiRenderPort> OpenOutput() {
        EXPECT_TRUE(mManager->OpenMidiDevicePorts(u"Skylet", u"Skylet"));
        RCPtr<LMidiRenderPort> port;
        EXPECT_EQ(mManager->GetComm()->OpenRenderPort(u"Skylet", port), S_OK);
        return port;
    }

    std::shared_ptr<Platform::VirtualMidiSystem> mSystem = Platform::VirtualMidiSystem::Create();
    Platform::ScopedMidiSystem mInstalled{mSystem};
    SimulatedKeyboard mKeyboard{*mSystem};
    std::shared_ptr<EngineTestSupport::FakeClock> mClock = std::make_shared<EngineTestSupport::FakeClock>();
    RCPtr<LRootModuleEngine> mEngine;
    RCPtr<EngineTestSupport::PostedNotifications> mPosts;
    RCPtr<LMidiManager> mManager;
};

TEST(MidiManagerWireTest, BodiesAndDumpRecognition) {
    EXPECT_EQ(ToBytes(LMidiManager::BuildPresetRequest(5)),
              (Bytes{0x00, 0x00, 0x0E, 0x52, 0x5E, 0x02, 0x00, 0x01, 0x05}));
    EXPECT_EQ(ToBytes(LMidiManager::BuildPresetWriteHeader(24)),
              (Bytes{0x00, 0x00, 0x0E, 0x52, 0x5E, 0x01, 0x01, 0x2C, 0x18}));
    EXPECT_EQ(LMidiManager::GetDefaultMidiPortName(), WString(u"Skylet"));

    const Bytes dump = SimulatedKeyboard::PresetDump(7, Preset(1));
    Bytes otherCount = dump;
    otherCount[7] = 0x7F;
    otherCount[8] = 0x7F;
    otherCount[9] = 0x63;
    otherCount[181] = 0x00;
    Bytes request = dump;
    request[6] = 0x02;
    Bytes maker = dump;
    maker[3] = 0x0F;
    Bytes shorter(dump.begin(), dump.end() - 1);
    Bytes longer = dump;
    longer.push_back(0xF7);
    const struct {
        const char* name;
        Bytes bytes;
        bool expected;
    } cases[] = {
        {"dump", dump, true},           {"any count, slot and end", otherCount, true},
        {"command 02", request, false}, {"another maker", maker, false},
        {"181 bytes", shorter, false},  {"183 bytes", longer, false},
        {"nothing", {}, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(LMidiManager::IsPresetDump(ToArray(test.bytes)), test.expected);
    }
}

TEST_F(MidiManagerThreadTest, RequestsPutTheSlotOnTheWire) {
    mKeyboard.SetReply(Reply::kSilent);
    for (const uint8_t slot : {0, 24}) {
        SCOPED_TRACE(static_cast<int>(slot));
        EXPECT_EQ(mManager->GetPresetFromMidiDevice(slot), -3);
        mSystem->WaitUntilIdle();
        EXPECT_EQ(mKeyboard.GetReceived().back(),
                  (Bytes{0xF0, 0x00, 0x00, 0x0E, 0x52, 0x5E, 0x02, 0x00, 0x01, slot, 0xF7}));
    }
}

TEST_F(MidiManagerThreadTest, SendSysExFramesWhatIsMissing) {
    const RCPtr<LMidiRenderPort> port = OpenOutput();
    const struct {
        Bytes message;
        int32_t result;
        Bytes wire;
    } cases[] = {
        {{0x41}, 3, {0xF0, 0x41, 0xF7}},
        {{0x41, 0x42}, 4, {0xF0, 0x41, 0x42, 0xF7}},
        {{0xF0, 0x41, 0x42, 0xF7}, 4, {0xF0, 0x41, 0x42, 0xF7}},
        {{0xF0, 0x41}, 3, {0xF0, 0x41, 0xF7}},
        {{0x41, 0xF7}, 3, {0xF0, 0x41, 0xF7}},
        {{0xF0}, E_FAIL, {}},
        {{0xF7}, E_FAIL, {}},
        {{}, E_INVALIDARG, {}},
    };
    for (const auto& test : cases) {
        const size_t before = mKeyboard.GetOtherMessages().size();
        EXPECT_EQ(mManager->SendSysEx(ToArray(test.message), port), test.result);
        mSystem->WaitUntilIdle();
        const std::vector<Bytes> heard = mKeyboard.GetOtherMessages();
        if (test.result > 0) {
            ASSERT_EQ(heard.size(), before + 1);
            EXPECT_EQ(heard.back(), test.wire);
        } else {
            EXPECT_EQ(heard.size(), before);
        }
    }
    EXPECT_EQ(mManager->SendSysEx(ToArray({0x41}), nullptr), -1);
}

TEST_F(MidiManagerThreadTest, IdentityRequestIsSentButNeverAnswered) {
    {
        const RCPtr<LMidiRenderPort> port = OpenOutput();
        EXPECT_EQ(mManager->SendIdentityRequest(port), 6);
        EXPECT_EQ(mManager->SendIdentityRequest(nullptr), E_FAIL);
    }
    EXPECT_FALSE(mManager->IsDeviceFirmwareVersionUseable());
    mSystem->WaitUntilIdle();
    const std::vector<Bytes> heard = mKeyboard.GetOtherMessages();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0], (Bytes{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7}));
    EXPECT_EQ(heard[1], heard[0]);
}

TEST_F(MidiManagerThreadTest, RetrievalBringsTheSlotIntoTheEngine) {
    mKeyboard.SetSlot(3, Preset(3));
    EXPECT_EQ(mManager->GetPresetFromMidiDevice(3), 0);
    EXPECT_EQ(CacheValues(), Split(Preset(3)));
    // Every value reaches the user interface.
    std::vector<Bytes> posted(kDeviceParameterCount);
    for (const ParamValue& change : EngineTestSupport::ValueChanges(mPosts->Take())) {
        ASSERT_GE(change.descriptor.paramID, 0);
        ASSERT_LT(change.descriptor.paramID, kDeviceParameterCount);
        posted[change.descriptor.paramID] = BlobBytes(change.value);
    }
    EXPECT_EQ(posted, Split(Preset(3)));
    EXPECT_EQ(mManager->GetPresetFromMidiDevice(4), 0);
    EXPECT_EQ(Cache(), SimulatedKeyboard::DefaultPreset());
}

TEST_F(MidiManagerThreadTest, WrongOrMissingDumpsLeaveTheCache) {
    const Bytes before = Cache();
    mKeyboard.SetSlot(0, Preset(5));
    for (const Reply reply : {Reply::kSilent, Reply::kShort, Reply::kLong, Reply::kWrongCommand}) {
        SCOPED_TRACE(static_cast<int>(reply));
        mKeyboard.SetReply(reply);
        EXPECT_EQ(mManager->GetPresetFromMidiDevice(0), -3);
        mSystem->WaitUntilIdle();
        EXPECT_EQ(Cache(), before);
    }
    // A late answer finds the handler gone.
    mKeyboard.SetReply(Reply::kHeld);
    EXPECT_EQ(mManager->GetPresetFromMidiDevice(0), -3);
    EXPECT_TRUE(mKeyboard.SendHeldReply());
    mSystem->WaitUntilIdle();
    EXPECT_EQ(Cache(), before);
}

TEST_F(MidiManagerThreadTest, DumpsInPiecesOrAfterABrokenMessageArrive) {
    for (const Reply reply : {Reply::kInPieces, Reply::kAfterEndless}) {
        SCOPED_TRACE(static_cast<int>(reply));
        mKeyboard.SetReply(reply);
        mKeyboard.SetSlot(1, Preset(static_cast<uint8_t>(reply)));
        EXPECT_EQ(mManager->GetPresetFromMidiDevice(1), 0);
        EXPECT_EQ(Cache(), Preset(static_cast<uint8_t>(reply)));
    }
}

TEST_F(MidiManagerThreadTest, MissingPortsGiveMinusOne) {
    mKeyboard.GetInput()->Unplug();
    EXPECT_FALSE(mManager->IsMidiDeviceAvailable());
    EXPECT_EQ(mManager->GetPresetFromMidiDevice(0), -1);
    EXPECT_EQ(mManager->SendPresetToMidiDevice(0), -1);
    EXPECT_EQ(mManager->SendRawSysEx(ToArray({0xF0, 0x01, 0xF7})), -1);
    EXPECT_EQ(mManager->OpenOutputOnly(u"", 0, 0), -1);
    EXPECT_EQ(mManager->RequestNonPresetParameterFromDevice(u"x"), E_FAIL);
    EXPECT_FALSE(mManager->IsDeviceFirmwareVersionUseable());
    EXPECT_EQ(mKeyboard.GetReceived().size(), 0u);
}

TEST_F(MidiManagerThreadTest, SendWritesTheCachedPreset) {
    EXPECT_TRUE(mManager->IsMidiDeviceAvailable());
    EXPECT_EQ(mManager->SendPresetToMidiDevice(0), 182);
    mSystem->WaitUntilIdle();
    const Bytes defaults = SimulatedKeyboard::DefaultPreset();
    ASSERT_EQ(mKeyboard.GetReceived().size(), 1u);
    EXPECT_EQ(mKeyboard.GetReceived()[0], SimulatedKeyboard::PresetWrite(0, defaults));
    EXPECT_EQ(mKeyboard.GetSlot(0), defaults);

    SetCache(Preset(11));
    EXPECT_EQ(mManager->SendPresetToMidiDevice(24), 182);
    mSystem->WaitUntilIdle();
    EXPECT_EQ(mKeyboard.GetSlot(24), Preset(11));
    EXPECT_EQ(mManager->OpenOutputOnly(u"ignored", 1, 2), S_OK);
    EXPECT_EQ(mManager->RequestNonPresetParameterFromDevice(u"ignored"), S_OK);
    EXPECT_EQ(mKeyboard.GetWriteCount(), 2u);
}

// A cached value of another length would shift every later parameter; each parameter keeps
// its place in the write and in the parse.
TEST_F(MidiManagerThreadTest, ValuesOfTheWrongLengthKeepEveryParameterInPlace) {
    SetCache(Preset(20));
    mEngine->SetParamValue(ParamDescriptor(0), Blob(Bytes(20, 0x41)));  // 20 bytes for 16
    mEngine->SetParamValue(ParamDescriptor(1), Blob({0x11, 0x22}));     // 2 bytes for 4
    EXPECT_EQ(mManager->SendPresetToMidiDevice(2), 182);
    mSystem->WaitUntilIdle();
    Bytes expected = Preset(20);
    std::fill_n(expected.begin(), 16, 0x41);
    expected[16] = 0x11;
    expected[17] = 0x22;
    expected[18] = 0x00;
    expected[19] = 0x00;
    EXPECT_EQ(mKeyboard.GetSlot(2), expected);

    mKeyboard.SetSlot(2, Preset(30));
    EXPECT_EQ(mManager->GetPresetFromMidiDevice(2), 0);
    EXPECT_EQ(CacheValues(), Split(Preset(30)));
}

TEST_F(MidiManagerThreadTest, RawSysExGoesOutUnchanged) {
    const Bytes pairing = {0xF0, 0x00, 0x00, 0x0E, 0x52, 0x5E, 0x05, 0x00, 0x06, 1, 2, 3, 4, 5, 6, 0xF7};
    EXPECT_EQ(mManager->SendRawSysEx(ToArray(pairing)), static_cast<int32_t>(pairing.size()));
    EXPECT_EQ(mManager->SendRawSysEx(ToArray({0x41, 0x42})), 2);
    EXPECT_EQ(mManager->SendRawSysEx(Array<uint8_t>()), E_INVALIDARG);
    mSystem->WaitUntilIdle();
    EXPECT_EQ(mKeyboard.GetOtherMessages(), (std::vector<Bytes>{pairing, {0x41, 0x42}}));
}

// The dump is applied while the retrieval's wait has already ended: the retrieval reports it.
TEST_F(MidiManagerThreadTest, DumpAppliedAsTheWaitEndsIsASuccess) {
    LMidiManager::SetReplyTimeout(100);
    mKeyboard.SetReply(Reply::kHeld);
    mKeyboard.SetSlot(6, Preset(6));
    std::thread keyboard([&] {
        while (mKeyboard.GetRequestCount() == 0) {
            std::this_thread::yield();
        }
        // The engine's posts wait for the queue lock, so the handler, which the dump reaches
        // well within the wait, stays in the middle of applying it until after the wait has
        // ended. Whatever the timing, the dump is applied and the retrieval must say so.
        CAutoLock queue(GetQueueLock());
        mKeyboard.SendHeldReply();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    });
    EXPECT_EQ(mManager->GetPresetFromMidiDevice(6), 0);
    keyboard.join();
    EXPECT_EQ(Cache(), Preset(6));
}

// Dumps keep arriving while operations replace the port layer object under the handler.
// The keyboard sends its next dump once the driver has delivered the last: sending as fast as
// it can, it queued work for the one driver thread faster than that thread delivers it, and the
// requests' answers and the writes' completions, queued behind, came later the longer the test
// ran. The waits are long for the same reason: only a reply that never comes may fail, not a
// slow machine.
TEST_F(MidiManagerThreadTest, CaptureWhileThePortsAreReplaced) {
    LMidiManager::SetReplyTimeout(10000);
    LMidiComm::SetSendTimeout(10000);
    std::atomic<bool> stop{false};
    std::thread keyboard([&] {
        for (uint8_t i = 0; !stop; ++i) {
            mKeyboard.Send(SimulatedKeyboard::PresetDump(0, Preset(i)));
            mKeyboard.Send({0x90, 0x3C, 0x64});
            mSystem->WaitUntilIdle();
        }
    });
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(mManager->IsMidiDeviceAvailable());
        EXPECT_EQ(mManager->GetPresetFromMidiDevice(0), 0);
        EXPECT_EQ(mManager->SendPresetToMidiDevice(1), 182);
    }
    stop = true;
    keyboard.join();
    mSystem->WaitUntilIdle();
}

}  // namespace
