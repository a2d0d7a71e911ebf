#pragma once

#include <cstddef>
#include <cstdint>

#include "Platform/Midi/Midi.h"
#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/System/Event.h"
#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/System/ThreadPool.h"
#include "RIZozivirod/System/Threader.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

// The MIDI port layer: input and output ports opened by device name, every message that arrives
// on an input port handed to the listeners of "NID_MIDI_DATA_CAPTURED" (System Exclusive
// messages assembled across input buffers), short and System Exclusive output that waits for
// each long message to be played out.
//
// Threads: ports are opened, used and released on the caller's thread; the MIDI driver's
// callbacks assemble messages on the driver thread under the comm's lock and queue each on the
// comm's one-thread pool, whose thread delivers the notification to the listeners. A port stays
// open exactly as long as somebody outside the comm holds it.
namespace QV {

class LMidiComm;

// The payload of "NID_MIDI_DATA_CAPTURED": one complete message.
class LMidiCaptureNotificationData : public virtual LRefCountedObject {
public:
    static RCPtr<LMidiCaptureNotificationData> Create(const WString& deviceName, uint32_t timestamp);

    // Made and released at the rate messages arrive: kept in a process-wide free list.
    static void* operator new(size_t size);
    static void operator delete(void* pointer) noexcept;

    // The whole message.
    Array<uint8_t> bytes;
    // The name of the input device it came from.
    WString deviceName;
    // Short messages: the driver's time in milliseconds since input started; 0 for System
    // Exclusive messages.
    uint32_t timestamp = 0;

protected:
    LMidiCaptureNotificationData() = default;
    ~LMidiCaptureNotificationData() override = default;
};

class LMidiCapturePort;
class LMidiRenderPort;

class LMidiCommInterface : public virtual LNotificationDistributor {
public:
    // 0 and an open port whose device name contains name (letter case aside), or E_FAIL and null.
    virtual int32_t OpenCapturePort(const WString& name, RCPtr<LMidiCapturePort>& port) = 0;
    virtual int32_t OpenRenderPort(const WString& name, RCPtr<LMidiRenderPort>& port) = 0;
    // The number of bytes sent (a short message's length by its status byte); E_INVALIDARG for
    // something that is not a render port or an empty message; E_FAIL when the device refuses
    // or a long message is not played out in time.
    virtual int32_t Send(const RCPtr<LRefCountedObject>& port, const Array<uint8_t>& message) = 0;
};

class LMidiComm : public LMidiCommInterface, public LThreadWorker {
public:
    // System Exclusive messages longer than this are dropped while they are assembled.
    static constexpr uint32_t kMaxMessageLength = 65536;

    // A new object on every call, with its own pool thread.
    static RCPtr<LMidiComm> Create();

    int32_t OpenCapturePort(const WString& name, RCPtr<LMidiCapturePort>& port) override;
    int32_t OpenRenderPort(const WString& name, RCPtr<LMidiRenderPort>& port) override;
    int32_t Send(const RCPtr<LRefCountedObject>& port, const Array<uint8_t>& message) override;

    // Delivers one captured message to the listeners, on the pool thread.
    int DoWork(RCPtr<LRefCountedObject>& params) override;

    // Held while a captured message is delivered. Listeners register and unregister with this
    // comm only while holding it, so no registration changes under a delivery in progress.
    Mutex& GetDispatchLock() { return dispatchLock; }

    // How long Send waits for a previous long message and for its own to be played out:
    // 10000 ms. Tests shorten it.
    static uint32_t GetSendTimeout();
    static void SetSendTimeout(uint32_t milliseconds);

    // The driver's callbacks; the instance is the comm. Each open device holds a reference to
    // its comm that the close message gives back, so a callback never finds its comm gone.
    static void MidiInProc(Platform::HMIDIIN device, uint32_t message, uintptr_t instance, uintptr_t param1,
                           uintptr_t param2);
    static void MidiOutProc(Platform::HMIDIOUT device, uint32_t message, uintptr_t instance, uintptr_t param1,
                            uintptr_t param2);

protected:
    LMidiComm();
    ~LMidiComm() override;

private:
    friend class LMidiCapturePort;
    friend class LMidiRenderPort;

    // Called by a port whose last outside reference is going: drops the comm's own reference.
    void RemoveCapturePort(LMidiCapturePort* port);
    void RemoveRenderPort(LMidiRenderPort* port);
    // Under lock.
    LMidiCapturePort* FindCapturePort(Platform::HMIDIIN device) const;
    LMidiRenderPort* FindRenderPort(Platform::HMIDIOUT device) const;
    void Queue(const RCPtr<LMidiCaptureNotificationData>& data);

    RCPtrArray<LMidiCapturePort, 1, 0> capturePorts;
    RCPtrArray<LMidiRenderPort, 1, 0> renderPorts;
    RCPtr<LThreadPool> pool;
    // Guards both arrays, the ports' handles and everything the input callback assembles.
    Mutex lock;
    Mutex dispatchLock;
};

// An input port. Its comm's array holds it as an internal reference.
class LMidiCapturePort : public virtual LRefCountedObject {
public:
    static constexpr uint32_t kBufferCount = 3;
    static constexpr uint32_t kBufferSize = 256;

    // Null for an empty name or a null comm.
    static RCPtr<LMidiCapturePort> Create(const WString& name, const RCPtr<LMidiComm>& comm);

    int32_t ReleaseInternalReferences() override;

    // The device name contains the name asked for, letter case aside.
    bool MatchesName(const WString& asked) const;
    const WString& GetName() const { return name; }
    const WString& GetDeviceName() const { return deviceName; }

protected:
    LMidiCapturePort(const WString& asked, const RCPtr<LMidiComm>& comm);
    ~LMidiCapturePort() override;

private:
    friend class LMidiComm;

    struct Buffer {
        Platform::MIDIHDR header;
        uint8_t data[kBufferSize];
        Platform::HMIDIIN preparedWith;
    };

    // Under the comm's lock (or once the port has left the comm). MMSYSERR results.
    uint32_t Open();
    void Close();
    uint32_t PrepareBuffers();
    void UnprepareBuffers();
    Buffer* FindBuffer(const Platform::MIDIHDR* header);
    void RequeueBuffer(Platform::MIDIHDR* header);
    void OnShortMessage(uint32_t packed, uint32_t timestamp);
    void OnLongData(const uint8_t* data, uint32_t count, bool complete);

    WString name;
    WString deviceName;
    Platform::HMIDIIN handle = nullptr;
    RCPtr<LMidiComm> owner;
    Buffer buffers[kBufferCount] = {};
    bool closing = false;
    RCPtr<LMidiCaptureNotificationData> pending;
};

// An output port. Its comm's array holds it as an internal reference.
class LMidiRenderPort : public virtual LRefCountedObject {
public:
    static RCPtr<LMidiRenderPort> Create(const WString& name, const RCPtr<LMidiComm>& comm);

    int32_t ReleaseInternalReferences() override;

    bool MatchesName(const WString& asked) const;
    const WString& GetName() const { return name; }
    const WString& GetDeviceName() const { return deviceName; }

protected:
    LMidiRenderPort(const WString& asked, const RCPtr<LMidiComm>& comm);
    ~LMidiRenderPort() override;

private:
    friend class LMidiComm;

    uint32_t Open();

    WString name;
    WString deviceName;
    Platform::HMIDIOUT handle = nullptr;
    RCPtr<LMidiComm> owner;
    // Set whenever no long message is being played out.
    TrafficLight sendDone;
};

}  // namespace QV
