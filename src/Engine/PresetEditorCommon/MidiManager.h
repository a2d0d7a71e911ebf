#pragma once

#include <cstdint>

#include "RIZozivirod/Notification/Notification.h"
#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "RIZozivirod/System/Event.h"
#include "RIZozivirod/System/MidiComm.h"
#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// Moves whole presets between the editor and the keyboard over System Exclusive messages:
// retrieves a preset from a memory slot (request, wait for the 182-byte dump, push its 37 values
// into the engine), writes the current preset to a slot (one 182-byte message from the cached
// values), and sends caller-built messages. Every operation opens the keyboard's ports by name
// on a new port layer object.
//
// Threads: the operations run on one thread at a time (the user-interface thread); a retrieval
// blocks it for up to the reply time. The capture handler runs on the port layer's pool thread
// and hands over to the waiting thread only through the dump event, which it sets after the
// values are in the engine. Registration changes with a port layer object happen under that
// object's dispatch lock, and the current object is read under a lock of the manager's own.
class LMidiManager : public virtual LNotificationClient, public virtual LNotificationDistributor {
public:
    static RCPtr<LMidiManager> Create();

    // Slot 0: 182, or -1 without ports, E_FAIL without an output port, or the send's failure.
    virtual int32_t SendPresetToMidiDevice(int32_t slot);
    // Slot 1: 0 when a dump was received and applied; -1 without ports or when the request could
    // not be sent; -3 when no dump came in time. Throws a Failed Result when the capture handler
    // cannot be registered or unregistered.
    virtual int32_t GetPresetFromMidiDevice(int32_t slot);
    // Slot 2: the arguments are not used; nothing is sent.
    virtual int32_t OpenOutputOnly(const WString& name, int32_t first, int32_t second);
    // Slot 3: the name is not used; nothing is sent.
    virtual int32_t RequestNonPresetParameterFromDevice(const WString& name);
    // Slot 4: the bytes go out unchanged.
    virtual int32_t SendRawSysEx(const Array<uint8_t>& message);
    // Slot 5.
    virtual bool IsMidiDeviceAvailable();
    // Slot 6: nothing recognises an identity reply, so this is false after the reply time.
    virtual bool IsDeviceFirmwareVersionUseable();
    // Slot 7.
    virtual int32_t SendIdentityRequest(const RCPtr<LMidiRenderPort>& port);
    // Slot 8: replaces the port layer object and proves that both ports can be opened; they are
    // closed again before it returns.
    virtual bool OpenMidiDevicePorts(const WString& inputName, const WString& outputName);

    // Frames a message with F0 and F7 where they are missing and sends it.
    int32_t SendSysEx(const Array<uint8_t>& message, const RCPtr<LMidiRenderPort>& port);
    // The handler of "NID_MIDI_DATA_CAPTURED".
    int32_t OnMidiDataCaptured(const RCPtr<LNotificationDistributor>& sender,
                               const RCPtr<LNotification>& notification);

    // The 9-byte bodies of the preset request and of the preset write's header.
    static Array<uint8_t> BuildPresetRequest(int32_t slot);
    static Array<uint8_t> BuildPresetWriteHeader(int32_t slot);
    // 182 bytes beginning F0 00 00 0E 52 5E 03.
    static bool IsPresetDump(const Array<uint8_t>& bytes);
    static WString GetDefaultMidiPortName();

    // How long a retrieval and the firmware check wait for an answer: 1000 ms. Tests shorten it.
    static uint32_t GetReplyTimeout();
    static void SetReplyTimeout(uint32_t milliseconds);

    RCPtr<LMidiComm> GetComm() const;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;
    int32_t ReleaseInternalReferences() override;

protected:
    LMidiManager();
    ~LMidiManager() override;

private:
    // Under the comm's dispatch lock. Unregistering gives E_FAIL when the handler was not bound.
    int32_t RegisterCaptureHandler(const RCPtr<LMidiComm>& target);
    int32_t UnregisterCaptureHandler(const RCPtr<LMidiComm>& target);
    // The engine's 37 current values in parameter order; empty without an engine.
    static Array<ParamValue> GetPresetValues();

    RCPtr<LNotificationHandler<LMidiManager>> handler;
    RCPtr<LMidiComm> comm;
    TrafficLight dumpEvent;
    TrafficLight parameterEvent;
    TrafficLight identityEvent;
    // Guards comm: the capture handler reads it while an operation replaces it.
    mutable Mutex commLock;
};

}  // namespace QV
