#include "RIZozivirod/System/MidiComm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "Platform/Midi/MidiVirtual.h"
#include "Platform/Midi/SimulatedKeyboard.h"

namespace {

using namespace QV;
using MidiCommBytes = std::vector<uint8_t>;
using MidiTestSupport::SimulatedKeyboard;

MidiCommBytes MidiCommSysEx(size_t length) {
    MidiCommBytes bytes(length, 0x22);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

Array<uint8_t> ToArray(const MidiCommBytes& bytes) {
    Array<uint8_t> array;
    for (const uint8_t byte : bytes) {
        array.Add(byte);
    }
    return array;
}

struct Captured {
    MidiCommBytes bytes;
    std::u16string deviceName;
    uint32_t timestamp;

    bool operator==(const Captured& other) const {
        return bytes == other.bytes && deviceName == other.deviceName && timestamp == other.timestamp;
    }
};

void PrintTo(const Captured& captured, std::ostream* out) {
    *out << captured.bytes.size() << " bytes at " << captured.timestamp;
}

// A listener of "NID_MIDI_DATA_CAPTURED" that keeps what it is given.
class Listener : public LNotificationClient {
public:
    static RCPtr<Listener> Create() { return RCPtr<Listener>(new Listener); }

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override {
        RCPtr<LMidiCaptureNotificationData> data(notification->GetParam());
        ASSERT_TRUE(data);
        std::lock_guard<std::mutex> guard(mLock);
        senders.push_back(sender.Get());
        const uint8_t* bytes = data->bytes.GetData();
        captured.push_back({MidiCommBytes(bytes, bytes + data->bytes.GetCount()),
                            std::u16string(data->deviceName.GetString()), data->timestamp});
        mChanged.notify_all();
    }

    // What arrived, once count notifications have (or after a generous limit).
    std::vector<Captured> Wait(size_t count) {
        std::unique_lock<std::mutex> guard(mLock);
        mChanged.wait_for(guard, std::chrono::seconds(10), [&] { return captured.size() >= count; });
        return captured;
    }

    // What arrived before marker, once marker has; everything up to the marker is taken.
    std::vector<Captured> TakeUntil(const Captured& marker) {
        std::unique_lock<std::mutex> guard(mLock);
        auto found = [&] { return std::find(captured.begin(), captured.end(), marker); };
        mChanged.wait_for(guard, std::chrono::seconds(10), [&] { return found() != captured.end(); });
        const auto end = found();
        std::vector<Captured> before(captured.begin(), end);
        captured.erase(captured.begin(), end == captured.end() ? end : end + 1);
        return before;
    }

    std::vector<Captured> Take() {
        std::lock_guard<std::mutex> guard(mLock);
        return std::exchange(captured, {});
    }

    std::vector<const LNotificationDistributor*> senders;

private:
    std::mutex mLock;
    std::condition_variable mChanged;
    std::vector<Captured> captured;
};

class MidiCommPoolTest : public testing::Test {
protected:
    void SetUp() override {
        LMidiComm::SetSendTimeout(200);
        mComm = LMidiComm::Create();
        CAutoLock guard(mComm->GetDispatchLock());
        ASSERT_NE(mListener->RegisterForNotification(RCPtr<LNotificationDistributor>(mComm),
                                                     u"NID_MIDI_DATA_CAPTURED", 0),
                  nullptr);
    }

    void TearDown() override {
        {
            CAutoLock guard(mComm->GetDispatchLock());
            mListener->UnregisterAll();
        }
        LMidiComm::SetSendTimeout(10000);
    }

    // Everything delivered before a marker message that the device sends now.
    std::vector<Captured> Flush() {
        mKeyboard.Send({0xFE}, 99);
        return mListener->TakeUntil(Captured{{0xFE}, u"Skylet", 99});
    }

    Captured Sx(const MidiCommBytes& bytes) { return {bytes, u"Skylet", 0}; }
    Captured Short(const MidiCommBytes& bytes, uint32_t timestamp) { return {bytes, u"Skylet", timestamp}; }

    std::shared_ptr<Platform::VirtualMidiSystem> mSystem = Platform::VirtualMidiSystem::Create();
    Platform::ScopedMidiSystem mInstalled{mSystem};
    SimulatedKeyboard mKeyboard{*mSystem};
    RCPtr<LMidiComm> mComm;
    RCPtr<Listener> mListener = Listener::Create();
};

struct AssemblyCase {
    const char* name;
    std::vector<MidiCommBytes> stream;   // bytes the device sends, parsed by the driver
    std::vector<MidiCommBytes> buffers;  // buffers the driver returns as they are
    std::vector<MidiCommBytes> expected;
};

TEST_F(MidiCommPoolTest, AssemblesMessagesAcrossBuffers) {
    RCPtr<LMidiCapturePort> port;
    ASSERT_EQ(mComm->OpenCapturePort(u"Skylet", port), S_OK);
    const MidiCommBytes three = MidiCommSysEx(300);
    const MidiCommBytes first(three.begin(), three.begin() + 256);
    const MidiCommBytes rest(three.begin() + 256, three.end());
    MidiCommBytes endless = MidiCommSysEx(70000);
    const std::vector<AssemblyCase> cases = {
        {"182 bytes in one buffer", {MidiCommSysEx(182)}, {}, {MidiCommSysEx(182)}},
        {"300 bytes as 256 + 44", {three}, {}, {three}},
        {"256 bytes ending in F7", {MidiCommSysEx(256)}, {}, {MidiCommSysEx(256)}},
        {"a complete buffer starting with 90", {}, {{0x90, 0x3C, 0x64, 0xF7}}, {}},
        {"a continuation with nothing assembled", {}, {{0x01, 0x02, 0xF7}}, {}},
        {"buffers given back empty are no message", {}, {first, {}, {}, {}, {}, rest}, {three}},
        {"an unfinished message gives way to the next F0",
         {},
         {first, MidiCommSysEx(182)},
         {MidiCommSysEx(182)}},
        {"a message past 64 KiB is dropped", {endless, MidiCommSysEx(182)}, {}, {MidiCommSysEx(182)}},
    };
    for (const AssemblyCase& test : cases) {
        SCOPED_TRACE(test.name);
        for (const MidiCommBytes& bytes : test.stream) {
            mKeyboard.Send(bytes);
        }
        for (const MidiCommBytes& bytes : test.buffers) {
            mKeyboard.GetInput()->SendBuffer(bytes);
        }
        std::vector<Captured> expected;
        for (const MidiCommBytes& bytes : test.expected) {
            expected.push_back(Sx(bytes));
        }
        EXPECT_EQ(Flush(), expected);
    }
}

TEST_F(MidiCommPoolTest, ShortMessagesKeepTheirStandardLengthAndTimeStamp) {
    RCPtr<LMidiCapturePort> port;
    ASSERT_EQ(mComm->OpenCapturePort(u"Skylet", port), S_OK);
    mKeyboard.Send({0x90, 0x3C, 0x64}, 1000);
    mKeyboard.Send({0xC0, 0x05}, 1001);
    mKeyboard.Send({0xF8}, 1002);
    mKeyboard.Send({0xF1, 0x12}, 1003);
    mKeyboard.Send({0xF2, 0x01, 0x02}, 1004);
    EXPECT_EQ(Flush(), (std::vector<Captured>{Short({0x90, 0x3C, 0x64}, 1000), Short({0xC0, 0x05}, 1001),
                                              Short({0xF8}, 1002), Short({0xF1, 0x12}, 1003),
                                              Short({0xF2, 0x01, 0x02}, 1004)}));
    EXPECT_EQ(mListener->senders.back(), static_cast<LNotificationDistributor*>(mComm.Get()));
}

TEST(MidiCommPoolNameTest, MatchesAnywhereInAnyCaseAndTheFirstDeviceWins) {
    auto system = Platform::VirtualMidiSystem::Create();
    Platform::ScopedMidiSystem installed(system);
    system->AddInput(u"Midi Through");
    auto first = system->AddInput(u"USB SKYLET Receiver");
    auto second = system->AddInput(u"Skylet");
    system->AddOutput(u"Midi Through");
    auto output = system->AddOutput(u"2- skylet");
    RCPtr<LMidiComm> comm = LMidiComm::Create();

    RCPtr<LMidiCapturePort> input;
    ASSERT_EQ(comm->OpenCapturePort(u"Skylet", input), S_OK);
    EXPECT_EQ(input->GetDeviceName(), WString(u"USB SKYLET Receiver"));
    EXPECT_EQ(input->GetName(), WString(u"Skylet"));
    EXPECT_TRUE(first->IsOpen());
    EXPECT_FALSE(second->IsOpen());
    RCPtr<LMidiRenderPort> render;
    ASSERT_EQ(comm->OpenRenderPort(u"SKYLET", render), S_OK);
    EXPECT_EQ(render->GetDeviceName(), WString(u"2- skylet"));

    RCPtr<LMidiCapturePort> none;
    EXPECT_EQ(comm->OpenCapturePort(u"Keystation", none), E_FAIL);
    EXPECT_FALSE(none);
    EXPECT_EQ(comm->OpenCapturePort(u"", none), E_FAIL);
    RCPtr<LMidiRenderPort> noRender;
    EXPECT_EQ(comm->OpenRenderPort(u"Keystation", noRender), E_FAIL);
    EXPECT_FALSE(noRender);
    EXPECT_FALSE(LMidiCapturePort::Create(u"", comm));
    EXPECT_FALSE(LMidiRenderPort::Create(u"Skylet", nullptr));
}

// A port stays open exactly while somebody holds it; a second request by a matching name while
// the first is held gives the same port.
TEST_F(MidiCommPoolTest, HeldPortsAreSharedAndReleasedPortsClose) {
    RCPtr<LMidiCapturePort> first;
    RCPtr<LMidiCapturePort> second;
    ASSERT_EQ(mComm->OpenCapturePort(u"Skylet", first), S_OK);
    ASSERT_EQ(mComm->OpenCapturePort(u"skylet", second), S_OK);
    EXPECT_EQ(first.Get(), second.Get());
    RCPtr<LMidiRenderPort> render;
    RCPtr<LMidiRenderPort> render2;
    ASSERT_EQ(mComm->OpenRenderPort(u"Skylet", render), S_OK);
    ASSERT_EQ(mComm->OpenRenderPort(u"Skylet", render2), S_OK);
    EXPECT_EQ(render.Get(), render2.Get());
    EXPECT_EQ(mKeyboard.GetInput()->GetOpenCount(), 1u);
    EXPECT_EQ(mKeyboard.GetOutput()->GetOpenCount(), 1u);

    first = nullptr;
    EXPECT_TRUE(mKeyboard.GetInput()->IsOpen());
    second = nullptr;
    render = nullptr;
    render2 = nullptr;
    EXPECT_FALSE(mKeyboard.GetInput()->IsOpen());
    EXPECT_FALSE(mKeyboard.GetOutput()->IsOpen());

    ASSERT_EQ(mComm->OpenCapturePort(u"Skylet", first), S_OK);
    EXPECT_EQ(mKeyboard.GetInput()->GetOpenCount(), 2u);
    mKeyboard.Send(MidiCommSysEx(10));
    EXPECT_EQ(Flush(), std::vector<Captured>{Sx(MidiCommSysEx(10))});
}

// A held port whose device went away is opened again on the next request.
TEST_F(MidiCommPoolTest, HeldPortWhoseDeviceWentAwayIsOpenedAgain) {
    RCPtr<LMidiCapturePort> held;
    ASSERT_EQ(mComm->OpenCapturePort(u"Skylet", held), S_OK);
    mKeyboard.GetInput()->Unplug();
    RCPtr<LMidiCapturePort> again;
    EXPECT_EQ(mComm->OpenCapturePort(u"Skylet", again), E_FAIL);

    auto replugged = mSystem->AddInput(u"Skylet");
    ASSERT_EQ(mComm->OpenCapturePort(u"Skylet", again), S_OK);
    EXPECT_EQ(again.Get(), held.Get());
    EXPECT_TRUE(replugged->IsOpen());
    replugged->Send(MidiCommSysEx(12));
    EXPECT_EQ(mListener->Wait(1), std::vector<Captured>{Sx(MidiCommSysEx(12))});
}

TEST_F(MidiCommPoolTest, PortThatCannotStartIsClosedAndDropped) {
    mKeyboard.GetInput()->SetFailStart(true);
    RCPtr<LMidiCapturePort> port;
    EXPECT_EQ(mComm->OpenCapturePort(u"Skylet", port), E_FAIL);
    EXPECT_FALSE(port);
    EXPECT_FALSE(mKeyboard.GetInput()->IsOpen());
    mKeyboard.GetInput()->SetFailStart(false);
    mKeyboard.GetInput()->SetFailOpen(true);
    EXPECT_EQ(mComm->OpenCapturePort(u"Skylet", port), E_FAIL);
    mKeyboard.GetOutput()->SetFailOpen(true);
    RCPtr<LMidiRenderPort> render;
    EXPECT_EQ(mComm->OpenRenderPort(u"Skylet", render), E_FAIL);
}

TEST_F(MidiCommPoolTest, SendReturnsTheLengthSent) {
    RCPtr<LMidiRenderPort> render;
    ASSERT_EQ(mComm->OpenRenderPort(u"Skylet", render), S_OK);
    RCPtr<LMidiCapturePort> capture;
    ASSERT_EQ(mComm->OpenCapturePort(u"Skylet", capture), S_OK);
    const RCPtr<LRefCountedObject> port(render);

    EXPECT_EQ(mComm->Send(port, Array<uint8_t>()), E_INVALIDARG);
    EXPECT_EQ(mComm->Send(RCPtr<LRefCountedObject>(capture), ToArray({0x90, 0x3C, 0x64})), E_INVALIDARG);
    EXPECT_EQ(mComm->Send(nullptr, ToArray({0x90, 0x3C, 0x64})), E_INVALIDARG);
    EXPECT_EQ(mComm->Send(port, ToArray({0x90, 0x3C, 0x64})), 3);
    EXPECT_EQ(mComm->Send(port, ToArray({0xC0, 0x05, 0x00})), 2);
    EXPECT_EQ(mComm->Send(port, ToArray({0xF3, 0x01})), 2);
    EXPECT_EQ(mComm->Send(port, ToArray({0xFF})), 1);
    EXPECT_EQ(mComm->Send(port, ToArray(MidiCommSysEx(182))), 182);
    mSystem->WaitUntilIdle();
    EXPECT_EQ(mKeyboard.GetOtherMessages(),
              (std::vector<MidiCommBytes>{
                  {0x90, 0x3C, 0x64}, {0xC0, 0x05}, {0xF3, 0x01}, {0xFF}, MidiCommSysEx(182)}));

    mKeyboard.GetOutput()->SetFailSend(true);
    EXPECT_EQ(mComm->Send(port, ToArray({0x90, 0x3C, 0x64})), E_FAIL);
    EXPECT_EQ(mComm->Send(port, ToArray(MidiCommSysEx(182))), E_FAIL);
}

// A long message that is not played out in time is taken back from the driver before its
// buffer goes: the driver never plays it (nor reads it) later, and the next send is not
// completed by the stale completion.
TEST_F(MidiCommPoolTest, TimedOutLongMessageIsTakenBackFromTheDriver) {
    RCPtr<LMidiRenderPort> render;
    ASSERT_EQ(mComm->OpenRenderPort(u"Skylet", render), S_OK);
    const RCPtr<LRefCountedObject> port(render);
    mKeyboard.GetOutput()->SetWithholdCompletion(true);
    EXPECT_EQ(mComm->Send(port, ToArray(MidiCommSysEx(182))), E_FAIL);
    mKeyboard.GetOutput()->SetWithholdCompletion(false);
    mSystem->WaitUntilIdle();
    EXPECT_TRUE(mKeyboard.GetReceived().empty());

    const MidiCommBytes write = SimulatedKeyboard::PresetWrite(3, MidiCommBytes(171, 0x01));
    EXPECT_EQ(mComm->Send(port, ToArray(write)), 182);
    mSystem->WaitUntilIdle();
    EXPECT_EQ(mKeyboard.GetSlot(3), MidiCommBytes(171, 0x01));
}

TEST_F(MidiCommPoolTest, KeyboardAnswersARequestWithItsSlot) {
    RCPtr<LMidiRenderPort> render;
    RCPtr<LMidiCapturePort> capture;
    ASSERT_EQ(mComm->OpenRenderPort(u"Skylet", render), S_OK);
    ASSERT_EQ(mComm->OpenCapturePort(u"Skylet", capture), S_OK);
    const MidiCommBytes preset = SimulatedKeyboard::DefaultPreset();
    ASSERT_EQ(preset.size(), 171u);
    mKeyboard.SetSlot(24, MidiCommBytes(171, 0x24));
    EXPECT_EQ(mComm->Send(RCPtr<LRefCountedObject>(render), ToArray(SimulatedKeyboard::PresetRequest(24))),
              11);
    EXPECT_EQ(mListener->Wait(1),
              std::vector<Captured>{Sx(SimulatedKeyboard::PresetDump(24, MidiCommBytes(171, 0x24)))});
    EXPECT_EQ(mKeyboard.GetRequestCount(), 1u);
    EXPECT_EQ(mKeyboard.GetSlot(0), preset);
}

// A comm released while its devices still have callbacks on the way is not reached by them.
TEST(MidiCommPoolLifetimeTest, CallbacksNeverReachAReleasedComm) {
    auto system = Platform::VirtualMidiSystem::Create();
    Platform::ScopedMidiSystem installed(system);
    auto input = system->AddInput(u"Skylet");
    auto output = system->AddOutput(u"Skylet");
    RCPtr<Listener> listener = Listener::Create();
    for (const bool failStart : {false, true}) {
        SCOPED_TRACE(failStart);
        input->SetFailStart(failStart);
        RCPtr<LMidiComm> comm = LMidiComm::Create();
        {
            CAutoLock guard(comm->GetDispatchLock());
            listener->RegisterForNotification(RCPtr<LNotificationDistributor>(comm),
                                              u"NID_MIDI_DATA_CAPTURED", 0);
        }
        RCPtr<LMidiCapturePort> capture;
        RCPtr<LMidiRenderPort> render;
        comm->OpenCapturePort(u"Skylet", capture);
        comm->OpenRenderPort(u"Skylet", render);
        system->PauseDelivery();
        input->Send(MidiCommSysEx(20));
        input->Send({0x90, 0x3C, 0x64});
        comm->Send(RCPtr<LRefCountedObject>(render), ToArray({0x90, 0x3C, 0x64}));
        capture = nullptr;
        render = nullptr;
        {
            CAutoLock guard(comm->GetDispatchLock());
            listener->UnregisterAll();
        }
        comm = nullptr;
        system->ResumeDelivery();
        system->WaitUntilIdle();
        EXPECT_FALSE(input->IsOpen());
        EXPECT_FALSE(output->IsOpen());
    }
    EXPECT_TRUE(listener->Take().empty());
}

}  // namespace
