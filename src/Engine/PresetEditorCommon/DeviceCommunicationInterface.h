#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "Engine/PresetEditorCommon/DeviceControlClientExports.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/ObjectBase/Wrapper.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

using DeviceParamValues = QV::LWrapper<QV::ParamValues, QV::LRefCountedObject>;

// What receives the values the device sends: the root module.
class DeviceCommunicationReceiver {
public:
    // A list of (descriptor, value) items. Called on the interface's worker thread, or on the
    // thread that writes an echo (id -4).
    virtual void ReceiveDeviceValues(const QV::RCPtr<DeviceParamValues>& values) = 0;

protected:
    ~DeviceCommunicationReceiver() = default;
};

// The bridge between the parameter model and the device-control library: device search,
// connection, requests, single reads and writes, and the values the library sends, which are
// handed to the receiver on a worker thread of the interface. It remembers the id of the device
// last connected, so callers need not pass it.
//
// Threads: callers (the engine's polling thread and the user-interface thread), the library's
// own threads (only the value callback, which copies the values, queues them and wakes the
// worker, never blocking on it), and the worker (only the delivery). The state lock guards the
// device id and the receiver; it is never held during a library call or a call to the receiver.
// The worker lock is held for a whole delivery, so switching delivery off and destruction wait
// for a delivery under way.
//
// The worker's thread holds the interface as its work parameter, counted as an internal
// reference: releasing the last outside reference stops that thread first. Destruction then
// disconnects and unloads the library, which makes no callback afterwards; batches still queued
// are dropped.
class LDeviceCommunicationInterface : public virtual QV::LRefCountedObject {
public:
    // Ids the interface answers or handles itself.
    static constexpr int32_t kOnlineParamID = -2;
    static constexpr int32_t kEchoParamID = -4;
    static constexpr int32_t kDeviceParamID = -8;
    static constexpr int32_t kMakerNameParamID = -9;
    static constexpr int32_t kProgramNameParamID = -10;
    // Writes to -242 to -240 are refused.
    static constexpr int32_t kFirstRefusedParamID = -242;
    static constexpr int32_t kLastRefusedParamID = -240;

    // Initialize loads the library from the program's folder.
    static QV::RCPtr<LDeviceCommunicationInterface> Create();
    // Initialize loads the library at libraryPath instead.
    static QV::RCPtr<LDeviceCommunicationInterface> Create(const QV::WString& libraryPath);

    // 1 when the binding exists; else creates it (0 also when the library fails to load), E_FAIL
    // when it cannot be created.
    virtual int32_t Initialize();
    virtual bool IsOnline();
    // Hands the receiver, on this thread and with no lock of the interface held, the value list
    // (value as Int64, online flag) under id -4. The online flag; false without a receiver.
    virtual bool EchoToReceiver(int64_t value);
    // Returns once no other thread holds the state lock.
    virtual void Synchronize();
    virtual void Start();
    // Leaves one id in the list (an empty one when it was empty); the library is not called.
    virtual int32_t FindDevices(QV::Array<QV::Variant>& devices);
    // Searches every 250 ms (on the interface's pause) until the list differs from the one
    // passed in or timeout ms have passed: 0 changed, 1 timed out or a pause was cut short,
    // E_FAIL when the library fails (the list as it was), -1 without a binding.
    virtual int32_t WaitForDeviceListChange(const QV::Array<QV::_GUID>& guids,
                                            QV::Array<QV::Variant>& devices, uint32_t timeout);
    // One listing; the list is refilled unless the result is negative.
    virtual int32_t ListRemoteDevices(const QV::Array<QV::_GUID>& guids, QV::Array<QV::Variant>& devices);
    virtual int32_t Connect(const QV::Variant& deviceId);
    virtual int32_t RequestParamRanges(const QV::ParamRanges& ranges);
    virtual int32_t RequestParamValues(const QV::ParamDescriptors& descriptors);
    virtual int32_t RequestParamValue(const QV::ParamDescriptor& descriptor);
    virtual int32_t GetParamRanges(int32_t a, int32_t b);
    virtual int32_t GetParamValues(int32_t a, int32_t b);
    // Without a binding the interface answers -2 (online), -8, -9 and -10 itself.
    virtual int32_t GetParamValue(const QV::ParamDescriptor& descriptor, QV::Variant& value);
    // E_FAIL without a receiver; -4 is echoed to the receiver (0 online, else 1), -242 to -240
    // are refused.
    virtual int32_t SetParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value);
    virtual int32_t SetParamValues(const QV::ParamValues& values);
    virtual bool IsConnected();
    // The id last connected; 0, -3 when not connected, -1 without a binding.
    virtual int32_t GetConnectedDeviceId(QV::Variant& deviceId);
    virtual int32_t Disconnect();
    virtual int32_t GetDeviceInfo(const QV::Variant& deviceId, QV::DeviceInfo& info);
    // Reads and writes id -8 with an empty qualifier.
    virtual int32_t GetDeviceParamValue(QV::Variant& value);
    virtual int32_t SetDeviceParamValue(const QV::Variant& value);
    virtual int32_t GetDeviceIndex(int32_t& index);

    // Switching off waits for a delivery under way; values that arrive while off are dropped.
    // Not to be switched off from inside a delivery.
    void EnableDelivery(bool enable);
    // Not owned; the receiver outlives the interface or is removed first.
    void SetReceiver(DeviceCommunicationReceiver* receiver);
    // The pause between device searches, 250 ms; true when it was cut short, which ends the
    // waiting search. The engine pauses on its clock, which its stop cuts short; null restores
    // the plain sleep. Set before the searches start.
    void SetPause(std::function<bool(uint32_t milliseconds)> pause);

    // The library's value callback; context is the interface.
    static void OnDeviceValues(void* context, int32_t reserved, const QV::Variant* values);

protected:
    LDeviceCommunicationInterface();
    explicit LDeviceCommunicationInterface(const QV::WString& libraryPath);
    ~LDeviceCommunicationInterface() override;

    // Stops the worker's thread, which drops the reference it holds.
    int32_t ReleaseInternalReferences() override;

private:
    struct Private;
    friend class LDeviceCommunicationThreadWorker;

    void DeliverQueued();
    QV::Variant CopyDeviceId();
    void RefillDevices(const QV::Variant& found, QV::Array<QV::Variant>& devices);

    std::unique_ptr<Private> mPrivate;
};
