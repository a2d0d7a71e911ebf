#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Midi/Midi.h"

// What every MIDI backend shares: the device objects behind the handles, with the buffer,
// start/stop and completion rules of the multimedia functions, and the driver thread on which
// every callback is delivered. A backend derives its devices from these and supplies the
// transport: bytes arriving from a device, bytes leaving to one, and whether it is still there.
namespace Platform {

// One thread that runs posted tasks in order; every callback of the devices of one backend is
// delivered there. The thread starts with the first task. Tests can hold delivery back and
// wait until everything posted has been run.
class MidiDriver {
public:
    MidiDriver();
    MidiDriver(const MidiDriver&) = delete;
    MidiDriver& operator=(const MidiDriver&) = delete;
    // Ends the thread after its current task; tasks not yet run are dropped. On the driver
    // thread itself the thread is left to end on its own.
    ~MidiDriver();

    void Post(std::function<void()> task);

    void Pause();
    void Resume();
    // Returns once no task is queued or running (and delivery is not paused with tasks left).
    void WaitUntilIdle();
    bool IsDriverThread() const;

private:
    struct State;
    static void Run(std::shared_ptr<State> state);

    std::shared_ptr<State> mState;
    std::thread mThread;
    std::mutex mStartLock;
};

// An open input device. The user's calls come on any thread; bytes from the backend's
// transport (Receive) on any thread; parsing, filling the buffers and the callbacks happen on
// the driver thread. Parsing follows MIDI: status bytes with running status for channel
// messages, real-time bytes anywhere (also inside System Exclusive), F0 to F7 into the queued
// buffers, a buffer returned when it is full or holds the F7; a status byte that interrupts a
// System Exclusive message returns the buffer as MIM_LONGERROR. Bytes of a System Exclusive
// message that find no queued buffer are lost.
class MidiInDevice : public std::enable_shared_from_this<MidiInDevice> {
public:
    virtual ~MidiInDevice();

    uint32_t GetCaps(MIDIINCAPS* caps, uint32_t size);
    uint32_t PrepareHeader(MIDIHDR* header, uint32_t size);
    uint32_t UnprepareHeader(MIDIHDR* header, uint32_t size);
    uint32_t AddBuffer(MIDIHDR* header, uint32_t size);
    uint32_t Start();
    uint32_t Stop();
    uint32_t Reset();
    uint32_t Close();

    const std::u16string& GetName() const { return mName; }
    // Posts MIM_OPEN; called once by the opening function.
    void Opened();

protected:
    MidiInDevice(std::shared_ptr<MidiDriver> driver, std::u16string name, MidiInCallback callback,
                 uintptr_t instance);

    // Bytes from the device, in any pieces; ignored unless started. Without a time stamp the
    // time since Start is taken when the bytes arrive.
    void Receive(const uint8_t* bytes, size_t count);
    void Receive(const uint8_t* bytes, size_t count, uint32_t timestamp);
    // Bytes written straight into the front buffer, which is then returned with MIM_LONGDATA
    // whatever they are, as some drivers return a buffer at a pause in the input. No bytes
    // return an empty buffer; bytes past the buffer's length are lost.
    void ReceiveBuffer(const uint8_t* bytes, size_t count);

    // Transport hooks. IsPresent false: the device has gone away; the handle stays valid but
    // Start fails and the capabilities query gives MMSYSERR_NODRIVER.
    virtual bool IsPresent() const { return true; }
    // MMSYSERR_NOERROR to let Start proceed.
    virtual uint32_t CanStart() { return MMSYSERR_NOERROR; }
    // Called once by Close, before MIM_CLOSE is posted; the transport stops delivering.
    virtual void Disconnect() {}

private:
    struct Delivery {
        uint32_t message;
        uintptr_t param1;
        uintptr_t param2;
    };

    void Process(const std::vector<uint8_t>& bytes, uint32_t timestamp);
    void ProcessBuffer(const std::vector<uint8_t>& bytes);
    void Deliver(const std::vector<Delivery>& deliveries);
    // Under mLock: adds one System Exclusive byte to the front buffer.
    void PutSysExByte(uint8_t byte, std::vector<Delivery>& out);
    // Under mLock: gives the front buffer back with the message.
    void ReturnFront(uint32_t message, std::vector<Delivery>& out);
    uint32_t Elapsed() const;

    const std::shared_ptr<MidiDriver> mDriver;
    const std::u16string mName;
    const MidiInCallback mCallback;
    const uintptr_t mInstance;

    mutable std::mutex mLock;
    bool mOpen = true;
    bool mStarted = false;
    std::chrono::steady_clock::time_point mStartTime;
    std::deque<MIDIHDR*> mQueue;
    // Parser state.
    bool mInSysEx = false;
    uint8_t mRunningStatus = 0;
    uint8_t mMessage[3] = {};
    uint32_t mHave = 0;
    uint32_t mNeed = 0;
};

// An open output device. Short messages go out in the caller's call. A long message is queued
// and played out on the driver thread: its bytes are read from the caller's buffer there,
// after which it is marked done and MOM_DONE is delivered. Reset gives queued long messages
// back without reading them again.
class MidiOutDevice : public std::enable_shared_from_this<MidiOutDevice> {
public:
    virtual ~MidiOutDevice();

    uint32_t GetCaps(MIDIOUTCAPS* caps, uint32_t size);
    uint32_t ShortMsg(uint32_t message);
    uint32_t PrepareHeader(MIDIHDR* header, uint32_t size);
    uint32_t UnprepareHeader(MIDIHDR* header, uint32_t size);
    uint32_t LongMsg(MIDIHDR* header, uint32_t size);
    uint32_t Reset();
    uint32_t Close();

    const std::u16string& GetName() const { return mName; }
    void Opened();

protected:
    MidiOutDevice(std::shared_ptr<MidiDriver> driver, std::u16string name, MidiOutCallback callback,
                  uintptr_t instance);

    // Transport hooks. Transmit sends one complete message (short ones on the caller's
    // thread, long ones on the driver thread).
    virtual bool IsPresent() const { return true; }
    // MMSYSERR_NOERROR when a message may be handed over now.
    virtual uint32_t CanSend() { return MMSYSERR_NOERROR; }
    virtual void Transmit(const std::vector<uint8_t>& message) = 0;
    // True while long messages are to be kept queued instead of played out.
    virtual bool Withholds() { return false; }
    virtual void Disconnect() {}

    // Plays out the queued long messages again (after Withholds turned false).
    void PlayQueued();

private:
    void PlayNext();
    void Deliver(uint32_t message, uintptr_t param1);

    const std::shared_ptr<MidiDriver> mDriver;
    const std::u16string mName;
    const MidiOutCallback mCallback;
    const uintptr_t mInstance;

    std::mutex mLock;
    bool mOpen = true;
    std::deque<MIDIHDR*> mQueue;
};

// Copies a name into a product-name field, cut as the multimedia library cuts it.
void CopyProductName(const std::u16string& name, char16_t (&field)[MAXPNAMELEN]);

}  // namespace Platform
