#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"
#include "Engine/PresetEditorCommon/EngineClock.h"
#include "Engine/PresetEditorCommon/EngineLockLevels.h"
#include "Engine/PresetEditorCommon/ParamCache.h"
#include "Engine/PresetEditorCommon/RootModule.h"
#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "RIZozivirod/System/Event.h"
#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/System/Threader.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

// The device engine: owns the parameter model (root module and cache) and the communication
// interface, connects to a device, tracks the connection and the list of remote devices on a
// polling thread, and posts every change of the model to the "application" notification centre,
// whose drain delivers it on the user-interface thread. The one way in for whoever writes or reads
// parameter values.
//
// Threads: the user-interface thread (edits, Enable, GetDeviceList, RefreshParamValues), the MIDI
// manager's pool thread (SetParamValue, GetParamValues), the polling thread (DoWork) and the
// communication interface's worker thread (received values reach OnModuleChange there). The
// engine's lock guards the selected device, the device list, the state and the connection calls.
// Lock order: the root module's lock (held while its changes are posted) or the engine's lock, then
// the notification queue's; the engine never holds its own lock and the root's together.
class LRootModuleEngine : public QV::LNotificationClient, public QV::LThreadWorker {
public:
    enum DeviceConnectionState : int32_t {
        DeviceNone = 0,
        DeviceConnectPending = 1,
        DeviceKnown = 2,
        DeviceConnected = 3,
    };

    static QV::RCPtr<LRootModuleEngine> Create();

    // Builds interface, cache and model, posts the 37 current values and connects to the first
    // device found. 0, or E_FAIL when the notification handler cannot be made. Throws a Failed
    // Result when the registration with the "application" centre is refused.
    int32_t Initialize(int32_t firstParamID);
    int32_t GetFirstParamID();

    // E_FAIL unless connected; else the root's result. A failed write re-evaluates the connection.
    int32_t SetParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value);
    // The count current values (or defaults) from range.firstParamID on, written from startIndex on
    // (out grows, never shrinks; a negative startIndex empties out first). 0.
    int32_t GetParamValues(const QV::ParamRange& range, QV::Array<QV::ParamValue>& out, int32_t startIndex);
    int32_t GetParamValueDefaults(const QV::ParamRange& range, QV::Array<QV::ParamValue>& out,
                                  int32_t startIndex);
    // Posts the current value of every listed id as one change list. 0.
    int32_t RefreshParamValues(const QV::ParamDescriptors& descriptors);

    // Switches the polling for remote devices; the first switch on searches once and keeps the
    // result, which every later switch on returns.
    int32_t Enable(bool on);
    int32_t GetDeviceList(QV::Array<QV::Variant>& out);
    int32_t ConnectDevice(const QV::Variant& deviceId, bool keepWhenPresent);
    int32_t DisconnectDevice();
    int32_t FindDevices(QV::Array<QV::Variant>& out);

    DeviceConnectionState GetConnectionState() const { return state.load(); }

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;
    // The polling loop.
    int DoWork(QV::RCPtr<QV::LRefCountedObject>& params) override;
    // Waits for the polling loop to stop and drops the notification registrations.
    int32_t ReleaseInternalReferences() override;

protected:
    explicit LRootModuleEngine(std::shared_ptr<IEngineClock> engineClock);
    ~LRootModuleEngine() override;

    // The interface to the device-control library; null when it cannot be made.
    virtual QV::RCPtr<LDeviceCommunicationInterface> CreateCommunicationInterface();
    // The model; null before Initialize.
    QV::RCPtr<LRootModule> GetRootModule() const { return root; }

    void EvaluateConnectionState();
    // 0 started, 1 running already, E_FAIL when a stopping run does not end or the thread refuses.
    int32_t StartPolling();
    // True when no polling run is active (any more).
    bool StopPolling();
    void RequestStopPolling();
    // Marks the loop to end after its pass and wakes it from a pause.
    void RequestStop();
    void OnModuleChange(QV::IArray<QV::ParamValue>& changes);
    // A polling run is under way (a busy flag left by an ended thread is cleared).
    bool IsPollingRunActive();
    int32_t OnParamChangeRequest(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                 const QV::RCPtr<QV::LNotification>& notification);

private:
    using Handler = QV::LNotificationHandler<LRootModuleEngine>;

    static int32_t RootChangeCallback(void* context, QV::IArray<QV::ParamValue>* changes);
    void PostValueChange(const QV::ParamDescriptor& descriptor, const QV::Variant& value);
    void PostState(DeviceConnectionState newState);
    void PostDeviceListCount(uint32_t count);
    // Under the lock: the device is named, answers its information and reports itself connected.
    bool IsDeviceConnected(const QV::Variant& deviceId);
    bool IsSelectedDeviceConnected();
    bool IsPollingThread() const;

    QV::RCPtr<Handler> handler;
    std::atomic<bool> initialized{false};
    std::atomic<bool> noLibrary{false};
    std::atomic<bool> stopRequested{true};
    bool connectPending = false;
    std::atomic<bool> pollingEnabled{false};
    bool firstSearchDone = false;
    int32_t firstSearchResult = 0;
    std::atomic<bool> connecting{false};
    // Written under the lock; read without it by the writers of values.
    std::atomic<DeviceConnectionState> state{DeviceNone};
    QV::Array<QV::Variant> deviceList;
    QV::Variant selectedDevice;
    QV::RCPtr<LDeviceCommunicationInterface> communication;
    QV::RCPtr<LParamCache> cache;
    QV::RCPtr<LRootModule> root;
    std::unique_ptr<QV::RetriggerableThreader> pollingThread;
    // Set by the polling thread as each run ends.
    QV::RCPtr<QV::LEvent> pollingRunEnded;
    // Set with every stop request: it cuts the loop's pause under way (or its next one) short.
    QV::RCPtr<QV::LEvent> pollingWake;
    std::atomic<std::thread::id> pollingThreadId{};
    std::shared_ptr<IEngineClock> clock;
    QV::Mutex lock{"engine", EngineLockLevel::kEngine};
};

// The application's engine; null until the application has made it. Any thread.
QV::RCPtr<LRootModuleEngine> GetRootModuleEngine();
// Set by the application when it makes its engine (and cleared as it ends).
void SetRootModuleEngine(const QV::RCPtr<LRootModuleEngine>& engine);
