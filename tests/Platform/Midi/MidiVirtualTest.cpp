#include "Platform/Midi/MidiVirtual.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Midi/Midi.h"

namespace {

using namespace Platform;
using Bytes = std::vector<uint8_t>;

Bytes SysEx(size_t length) {
    Bytes bytes(length, 0x11);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

// One callback as the test saw it: long data carries the recorded bytes.
struct Event {
    uint32_t message;
    uintptr_t param1;
    uintptr_t param2;
    Bytes bytes;

    bool operator==(const Event& other) const {
        return message == other.message && param1 == other.param1 && param2 == other.param2 &&
               bytes == other.bytes;
    }
};

void PrintTo(const Event& event, std::ostream* out) {
    *out << std::hex << "{" << event.message << ", " << event.param1 << ", " << event.param2 << ", "
         << std::dec << event.bytes.size() << " bytes}";
}

Event Data(uint32_t packed, uint32_t timestamp) {
    return {MIM_DATA, packed, timestamp, {}};
}
Event Long(const Bytes& bytes) {
    return {MIM_LONGDATA, 0, 0, bytes};
}

// An input device opened with three 256-byte buffers that the callback puts back, like the
// port layer does; the callback records every message.
class MidiDriverThreadInputTest : public testing::Test {
protected:
    void SetUp() override {
        mInput = mSystem->AddInput(u"Keyboard");
        ASSERT_EQ(midiInOpen(&mHandle, 0, &Callback, reinterpret_cast<uintptr_t>(this),
                             CALLBACK_FUNCTION | MIDI_IO_STATUS),
                  MMSYSERR_NOERROR);
        for (auto& buffer : mBuffers) {
            buffer.header = MIDIHDR{buffer.data.data(), 256, 0, 0, 0};
            ASSERT_EQ(midiInPrepareHeader(mHandle, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
            ASSERT_EQ(midiInAddBuffer(mHandle, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        }
        ASSERT_EQ(midiInStart(mHandle), MMSYSERR_NOERROR);
    }

    void TearDown() override {
        if (mHandle != nullptr) {
            Close();
        }
    }

    void Close() {
        mRequeue = false;
        EXPECT_EQ(midiInReset(mHandle), MMSYSERR_NOERROR);
        // The callback reads the buffers it is given back, so they stay until it has run.
        mSystem->WaitUntilIdle();
        for (auto& buffer : mBuffers) {
            EXPECT_EQ(midiInUnprepareHeader(mHandle, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        }
        EXPECT_EQ(midiInClose(mHandle), MMSYSERR_NOERROR);
        mHandle = nullptr;
        mSystem->WaitUntilIdle();
    }

    // Everything received since the last call, open and close messages left out.
    std::vector<Event> Take() {
        mSystem->WaitUntilIdle();
        std::lock_guard<std::mutex> guard(mLock);
        std::vector<Event> taken;
        for (const Event& event : mEvents) {
            if (event.message != MIM_OPEN && event.message != MIM_CLOSE) {
                taken.push_back(event);
            }
        }
        mEvents.clear();
        return taken;
    }

    std::vector<uint32_t> TakeMessages() {
        mSystem->WaitUntilIdle();
        std::lock_guard<std::mutex> guard(mLock);
        std::vector<uint32_t> messages;
        for (const Event& event : mEvents) {
            messages.push_back(event.message);
        }
        mEvents.clear();
        return messages;
    }

    static void Callback(HMIDIIN handle, uint32_t message, uintptr_t instance, uintptr_t param1,
                         uintptr_t param2) {
        auto* self = reinterpret_cast<MidiDriverThreadInputTest*>(instance);
        ++self->mEntered;
        std::lock_guard<std::mutex> guard(self->mLock);
        Event event{message, param1, param2, {}};
        if (message == MIM_LONGDATA || message == MIM_LONGERROR) {
            auto* header = reinterpret_cast<MIDIHDR*>(param1);
            EXPECT_TRUE(header->dwFlags & MHDR_DONE);
            event.bytes.assign(header->lpData, header->lpData + header->dwBytesRecorded);
            event.param1 = 0;
            if (self->mRequeue) {
                EXPECT_EQ(midiInAddBuffer(handle, header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
            }
        }
        self->mEvents.push_back(event);
    }

    struct Buffer {
        MIDIHDR header;
        std::array<uint8_t, 256> data;
    };

    std::shared_ptr<VirtualMidiSystem> mSystem = VirtualMidiSystem::Create();
    ScopedMidiSystem mInstalled{mSystem};
    std::shared_ptr<VirtualMidiPort> mInput;
    HMIDIIN mHandle = nullptr;
    std::array<Buffer, 3> mBuffers{};
    std::mutex mLock;
    std::vector<Event> mEvents;
    bool mRequeue = true;
    std::atomic<int32_t> mEntered{0};  // callbacks begun, counted before they take the lock
};

struct ParseCase {
    const char* name;
    std::vector<Bytes> pieces;
    std::vector<Event> expected;
};

TEST_F(MidiDriverThreadInputTest, ParsesMessagesIntoShortMessagesAndBuffers) {
    Bytes threeHundred = SysEx(300);
    Bytes split(threeHundred.begin() + 256, threeHundred.end());
    Bytes interrupted = {0xF0, 0x01, 0x02};
    const std::vector<ParseCase> cases = {
        {"whole dump in one buffer", {SysEx(182)}, {Long(SysEx(182))}},
        {"longer than a buffer",
         {threeHundred},
         {Long(Bytes(threeHundred.begin(), threeHundred.begin() + 256)), Long(split)}},
        {"arriving in pieces", {{0xF0, 0x01}, {0x02}, {0x03, 0xF7}}, {Long({0xF0, 0x01, 0x02, 0x03, 0xF7})}},
        {"exactly a buffer with F7 last", {SysEx(256)}, {Long(SysEx(256))}},
        {"running status", {{0x90, 0x3C, 0x64, 0x3E, 0x00}}, {Data(0x643C90, 7), Data(0x003E90, 7)}},
        {"program change and clock", {{0xC0, 0x05, 0xF8}}, {Data(0x05C0, 7), Data(0xF8, 7)}},
        {"system common lengths",
         {{0xF1, 0x05, 0xF2, 0x01, 0x02, 0xF3, 0x07, 0xF6}},
         {Data(0x05F1, 7), Data(0x0201F2, 7), Data(0x07F3, 7), Data(0xF6, 7)}},
        {"clock inside a System Exclusive message",
         {{0xF0, 0x01, 0xF8, 0x02, 0xF7}},
         {Data(0xF8, 7), Long({0xF0, 0x01, 0x02, 0xF7})}},
        {"status byte interrupts a System Exclusive message",
         {{0xF0, 0x01, 0x02, 0x90, 0x3C, 0x64}},
         {{MIM_LONGERROR, 0, 0, interrupted}, Data(0x643C90, 7)}},
        {"stray data and end bytes", {{0x3C, 0xF7}}, {{MIM_ERROR, 0x3C, 7, {}}, {MIM_ERROR, 0xF7, 7, {}}}},
    };
    for (const ParseCase& test : cases) {
        SCOPED_TRACE(test.name);
        for (const Bytes& piece : test.pieces) {
            mInput->Send(piece, 7);
        }
        EXPECT_EQ(Take(), test.expected);
        // Every test case leaves the parser without running status.
        mInput->Send({0xF6}, 7);
        Take();
    }
}

TEST_F(MidiDriverThreadInputTest, TimeStampsCountFromStart) {
    mInput->Send({0x90, 0x3C, 0x64});
    const std::vector<Event> events = Take();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].param1, 0x643C90u);
    EXPECT_LT(events[0].param2, 60000u);
}

TEST_F(MidiDriverThreadInputTest, NothingArrivesUnlessStarted) {
    ASSERT_EQ(midiInStop(mHandle), MMSYSERR_NOERROR);
    mInput->Send(SysEx(10), 1);
    mInput->Send({0x90, 0x3C, 0x64});
    EXPECT_TRUE(Take().empty());
    ASSERT_EQ(midiInStart(mHandle), MMSYSERR_NOERROR);
    mInput->Send({0xC0, 0x01}, 1);
    EXPECT_EQ(Take(), std::vector<Event>{Data(0x01C0, 1)});
}

TEST_F(MidiDriverThreadInputTest, SysExWithoutBuffersIsLost) {
    mRequeue = false;
    mInput->Send(SysEx(3 * 256 + 10), 1);
    EXPECT_EQ(Take().size(), 3u);
    mInput->Send(SysEx(5), 1);
    EXPECT_TRUE(Take().empty());
}

TEST_F(MidiDriverThreadInputTest, StopReturnsAPartBufferAndResetReturnsEveryBuffer) {
    mRequeue = false;
    mInput->Send({0xF0, 0x01, 0x02}, 1);
    mSystem->WaitUntilIdle();
    ASSERT_EQ(midiInStop(mHandle), MMSYSERR_NOERROR);
    EXPECT_EQ(Take(), std::vector<Event>{Long({0xF0, 0x01, 0x02})});

    // Two buffers are still queued: closing is refused and so is unpreparing them.
    EXPECT_EQ(midiInClose(mHandle), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiInUnprepareHeader(mHandle, &mBuffers[1].header, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
    ASSERT_EQ(midiInReset(mHandle), MMSYSERR_NOERROR);
    EXPECT_EQ(Take(), (std::vector<Event>{Long({}), Long({})}));
    Close();
}

// Reset and close never wait for the driver thread: a caller may hold the very lock that a
// callback in progress waits for. The callback in progress completes; the rest of its batch (the
// other returned buffers, which the caller has unprepared by then) is dropped.
TEST_F(MidiDriverThreadInputTest, ResetAndCloseDoNotWaitForCallbacks) {
    mSystem->WaitUntilIdle();  // the open message is delivered
    const int32_t entered = mEntered.load();
    std::unique_lock<std::mutex> held(mLock);
    mRequeue = false;
    ASSERT_EQ(midiInReset(mHandle), MMSYSERR_NOERROR);
    // The first returned buffer's callback is running and waits for the lock held here.
    while (mEntered.load() == entered) {
        std::this_thread::yield();
    }
    for (auto& buffer : mBuffers) {
        ASSERT_EQ(midiInUnprepareHeader(mHandle, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    }
    ASSERT_EQ(midiInClose(mHandle), MMSYSERR_NOERROR);
    mHandle = nullptr;
    held.unlock();

    EXPECT_EQ(TakeMessages(), (std::vector<uint32_t>{MIM_OPEN, MIM_LONGDATA, MIM_CLOSE}));
}

TEST_F(MidiDriverThreadInputTest, HandlesAreCheckedAndBuffersMustBePrepared) {
    MIDIHDR header{mBuffers[0].data.data(), 256, 0, 0, 0};
    EXPECT_EQ(midiInAddBuffer(mHandle, &header, sizeof(MIDIHDR)), MIDIERR_UNPREPARED);
    EXPECT_EQ(midiInAddBuffer(mHandle, &mBuffers[0].header, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiInAddBuffer(mHandle, nullptr, sizeof(MIDIHDR)), MMSYSERR_INVALPARAM);
    const HMIDIIN stale = reinterpret_cast<HMIDIIN>(&header);
    EXPECT_EQ(midiInStart(stale), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiInClose(stale), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiInClose(nullptr), MMSYSERR_INVALHANDLE);
}

TEST(MidiDriverThreadDeviceTest, ListsDevicesByNameAndUnplugs) {
    auto system = VirtualMidiSystem::Create();
    ScopedMidiSystem installed(system);
    system->AddInput(u"Midi Through");
    auto keyboard = system->AddInput(u"A product name much longer than thirty-one units");
    system->AddOutput(u"Skylet");
    ASSERT_EQ(midiInGetNumDevs(), 2u);
    ASSERT_EQ(midiOutGetNumDevs(), 1u);

    MIDIINCAPS caps{};
    ASSERT_EQ(midiInGetDevCaps(1u, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_EQ(std::u16string(caps.szPname), u"A product name much longer than");
    MIDIOUTCAPS outCaps{};
    ASSERT_EQ(midiOutGetDevCaps(0u, &outCaps, sizeof(outCaps)), MMSYSERR_NOERROR);
    EXPECT_EQ(std::u16string(outCaps.szPname), u"Skylet");
    EXPECT_EQ(midiInGetDevCaps(2u, &caps, sizeof(caps)), MMSYSERR_BADDEVICEID);

    HMIDIIN handle = nullptr;
    ASSERT_EQ(midiInOpen(&handle, 1, nullptr, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    HMIDIIN second = nullptr;
    EXPECT_EQ(midiInOpen(&second, 1, nullptr, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);
    EXPECT_EQ(midiInOpen(&second, 0, nullptr, 0, CALLBACK_FUNCTION), MMSYSERR_INVALFLAG);
    EXPECT_EQ(midiInGetDevCaps(handle, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_TRUE(keyboard->IsOpen());

    keyboard->Unplug();
    EXPECT_EQ(midiInGetNumDevs(), 1u);
    EXPECT_EQ(midiInGetDevCaps(handle, &caps, sizeof(caps)), MMSYSERR_NODRIVER);
    EXPECT_EQ(midiInStart(handle), MMSYSERR_NODRIVER);
    EXPECT_EQ(midiInClose(handle), MMSYSERR_NOERROR);
    EXPECT_FALSE(keyboard->IsOpen());
    EXPECT_EQ(keyboard->GetOpenCount(), 1u);
}

TEST(MidiDriverThreadDeviceTest, OpenAndStartFaults) {
    auto system = VirtualMidiSystem::Create();
    ScopedMidiSystem installed(system);
    auto input = system->AddInput(u"In");
    auto output = system->AddOutput(u"Out");
    input->SetFailOpen(true);
    output->SetFailOpen(true);
    HMIDIIN in = nullptr;
    HMIDIOUT out = nullptr;
    EXPECT_EQ(midiInOpen(&in, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_ERROR);
    EXPECT_EQ(midiOutOpen(&out, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_ERROR);
    EXPECT_EQ(in, nullptr);
    input->SetFailOpen(false);
    input->SetFailStart(true);
    ASSERT_EQ(midiInOpen(&in, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInStart(in), MMSYSERR_ERROR);
    EXPECT_EQ(midiInClose(in), MMSYSERR_NOERROR);
}

// An output device opened with a callback that records its messages; the far end records what
// it hears.
class MidiDriverThreadOutputTest : public testing::Test {
protected:
    void SetUp() override {
        mOutput = mSystem->AddOutput(u"Synth");
        mOutput->SetReceiver([this](const Bytes& message) {
            std::lock_guard<std::mutex> guard(mLock);
            mHeard.push_back(message);
        });
        ASSERT_EQ(midiOutOpen(&mHandle, 0, &Callback, reinterpret_cast<uintptr_t>(this), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
    }

    void TearDown() override {
        EXPECT_EQ(midiOutClose(mHandle), MMSYSERR_NOERROR);
        mSystem->WaitUntilIdle();
        std::lock_guard<std::mutex> guard(mLock);
        EXPECT_EQ(mMessages.back(), MOM_CLOSE);
    }

    static void Callback(HMIDIOUT, uint32_t message, uintptr_t instance, uintptr_t param1, uintptr_t) {
        auto* self = reinterpret_cast<MidiDriverThreadOutputTest*>(instance);
        std::lock_guard<std::mutex> guard(self->mLock);
        self->mMessages.push_back(message);
        if (message == MOM_DONE) {
            self->mDone.push_back(param1);
        }
    }

    std::vector<Bytes> Heard() {
        mSystem->WaitUntilIdle();
        std::lock_guard<std::mutex> guard(mLock);
        return std::exchange(mHeard, {});
    }
    std::vector<uintptr_t> Done() {
        mSystem->WaitUntilIdle();
        std::lock_guard<std::mutex> guard(mLock);
        return std::exchange(mDone, {});
    }

    std::shared_ptr<VirtualMidiSystem> mSystem = VirtualMidiSystem::Create();
    ScopedMidiSystem mInstalled{mSystem};
    std::shared_ptr<VirtualMidiPort> mOutput;
    HMIDIOUT mHandle = nullptr;
    std::mutex mLock;
    std::vector<Bytes> mHeard;
    std::vector<uint32_t> mMessages;
    std::vector<uintptr_t> mDone;
};

TEST_F(MidiDriverThreadOutputTest, ShortMessagesTakeTheirLengthFromTheStatusByte) {
    EXPECT_EQ(midiOutShortMsg(mHandle, 0x643C90), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(mHandle, 0x6405C0), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(mHandle, 0x0201F2), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(mHandle, 0x0201F8), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(mHandle, 0x3C), MMSYSERR_INVALPARAM);
    EXPECT_EQ(Heard(), (std::vector<Bytes>{{0x90, 0x3C, 0x64}, {0xC0, 0x05}, {0xF2, 0x01, 0x02}, {0xF8}}));
    mOutput->SetFailSend(true);
    EXPECT_EQ(midiOutShortMsg(mHandle, 0x643C90), MMSYSERR_ERROR);
    EXPECT_TRUE(Heard().empty());
}

TEST_F(MidiDriverThreadOutputTest, LongMessageCompletesWithDone) {
    Bytes message = SysEx(182);
    MIDIHDR header{message.data(), 182, 182, 0, 0};
    EXPECT_EQ(midiOutLongMsg(mHandle, &header, sizeof(header)), MIDIERR_UNPREPARED);
    ASSERT_EQ(midiOutPrepareHeader(mHandle, &header, sizeof(header)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(mHandle, &header, sizeof(header)), MMSYSERR_NOERROR);
    EXPECT_EQ(Done(), std::vector<uintptr_t>{reinterpret_cast<uintptr_t>(&header)});
    EXPECT_TRUE(header.dwFlags & MHDR_DONE);
    EXPECT_EQ(Heard(), std::vector<Bytes>{message});
    EXPECT_EQ(midiOutUnprepareHeader(mHandle, &header, sizeof(header)), MMSYSERR_NOERROR);
}

// A withheld long message stays the driver's until reset gives it back; after that the driver
// never reads it, even when it would have played it out.
TEST_F(MidiDriverThreadOutputTest, ResetGivesBackAWithheldMessageUnread) {
    mOutput->SetWithholdCompletion(true);
    auto message = std::make_unique<Bytes>(SysEx(182));
    MIDIHDR header{message->data(), 182, 182, 0, 0};
    ASSERT_EQ(midiOutPrepareHeader(mHandle, &header, sizeof(header)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(mHandle, &header, sizeof(header)), MMSYSERR_NOERROR);
    EXPECT_TRUE(Done().empty());
    EXPECT_EQ(midiOutUnprepareHeader(mHandle, &header, sizeof(header)), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiOutClose(mHandle), MIDIERR_STILLPLAYING);

    ASSERT_EQ(midiOutReset(mHandle), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutUnprepareHeader(mHandle, &header, sizeof(header)), MMSYSERR_NOERROR);
    message.reset();
    mOutput->SetWithholdCompletion(false);
    EXPECT_EQ(Done(), std::vector<uintptr_t>{reinterpret_cast<uintptr_t>(&header)});
    EXPECT_TRUE(Heard().empty());
}

TEST_F(MidiDriverThreadOutputTest, WithheldMessagePlaysWhenReleased) {
    mOutput->SetWithholdCompletion(true);
    Bytes message = SysEx(20);
    MIDIHDR header{message.data(), 20, 20, 0, 0};
    ASSERT_EQ(midiOutPrepareHeader(mHandle, &header, sizeof(header)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(mHandle, &header, sizeof(header)), MMSYSERR_NOERROR);
    EXPECT_TRUE(Heard().empty());
    mOutput->SetWithholdCompletion(false);
    EXPECT_EQ(Heard(), std::vector<Bytes>{message});
    EXPECT_EQ(Done().size(), 1u);
    mOutput->SetFailSend(true);
    EXPECT_EQ(midiOutLongMsg(mHandle, &header, sizeof(header)), MMSYSERR_ERROR);
    mOutput->Unplug();
    EXPECT_EQ(midiOutLongMsg(mHandle, &header, sizeof(header)), MMSYSERR_NODRIVER);
    MIDIOUTCAPS caps{};
    EXPECT_EQ(midiOutGetDevCaps(mHandle, &caps, sizeof(caps)), MMSYSERR_NODRIVER);
}

}  // namespace
