#include "Engine/PresetEditorCommon/RootModuleEngine.h"

#include <mutex>
#include <new>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/ObjectBase/Holder.h"
#include "RIZozivirod/ObjectBase/RefCountedPair.h"
#include "RIZozivirod/ObjectBase/Wrapper.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace {

using ParamChangePair = QV::LPair<QV::ParamDescriptor, QV::Variant, QV::ParamDescriptorToString>;
using ParamValuesWrapper = QV::LWrapper<QV::ParamValues, QV::LRefCountedObject>;

constexpr const QV::WChar* kStateChange = u"NID_PARAM_MODULE_STATE_CHANGE";
constexpr const QV::WChar* kConnectionStateChange = u"NID_DEVICE_CONNECTION_STATE_CHANGE";
constexpr const QV::WChar* kRemoteDeviceListChange = u"NID_REMOTE_DEVICE_LIST_CHANGE";
constexpr const QV::WChar* kChangeRequest = u"NID_PARAM_MODULE_CHANGE_REQ";

// A polling pass: the waiting search's time-out, or the pause after a listing or while polling is
// off.
constexpr uint32_t kPollingPause = 1500;
// Waiting searches between two listings.
constexpr uint32_t kSearchesPerListing = 8;
// StopPolling tests the run this often, 1 ms apart.
constexpr uint32_t kStopPollingTests = 10000;

// Posted, never sent: handlers run later, on the user-interface thread.
void Post(const QV::WChar* name, const QV::RCPtr<QV::LRefCountedObject>& payload) {
    QV::RCPtr<QV::LNotificationCenter> centre = QV::GetMainNotificationCenter();
    if (centre) {
        centre->PostNotification(name, payload);
    }
}

struct EngineReference {
    std::mutex lock;
    QV::RCPtr<LRootModuleEngine> engine;
};

// Made on first use and never destroyed; the application clears it before it ends.
EngineReference& GetEngineReference() {
    static auto* reference = new EngineReference();
    return *reference;
}

const QV::Array<QV::_GUID>& NoDeviceFilter() {
    static const auto* filter = new QV::Array<QV::_GUID>();
    return *filter;
}

}  // namespace

QV::RCPtr<LRootModuleEngine> GetRootModuleEngine() {
    EngineReference& reference = GetEngineReference();
    std::lock_guard hold(reference.lock);
    return reference.engine;
}

void SetRootModuleEngine(const QV::RCPtr<LRootModuleEngine>& engine) {
    EngineReference& reference = GetEngineReference();
    QV::RCPtr<LRootModuleEngine> previous;
    {
        std::lock_guard hold(reference.lock);
        previous = reference.engine;
        reference.engine = engine;
    }
    // An engine released here may wait for its polling thread: not under the lock.
    previous = nullptr;
}

QV::RCPtr<LRootModuleEngine> LRootModuleEngine::Create() {
    return QV::RCPtr<LRootModuleEngine>(new LRootModuleEngine(GetSystemEngineClock()));
}

LRootModuleEngine::LRootModuleEngine(std::shared_ptr<IEngineClock> engineClock)
    : pollingThread(std::make_unique<QV::RetriggerableThreader>(QV::WString())),
      pollingRunEnded(QV::LEvent::Create(true)),
      pollingWake(QV::LEvent::Create(true)),
      clock(engineClock ? std::move(engineClock) : GetSystemEngineClock()) {}

LRootModuleEngine::~LRootModuleEngine() {
    if (root) {
        root->DisableDelivery();
    }
    pollingThread.reset();
    root = nullptr;
    cache = nullptr;
    communication = nullptr;
    selectedDevice.Clear();
    deviceList.RemoveAll();
    handler = nullptr;
}

QV::RCPtr<LDeviceCommunicationInterface> LRootModuleEngine::CreateCommunicationInterface() {
    return LDeviceCommunicationInterface::Create();
}

int32_t LRootModuleEngine::Initialize(int32_t firstParamID) {
    try {
        handler = Handler::Create(this);
    } catch (const std::bad_alloc&) {
        return QV::E_FAIL;
    }
    QV_CHECK_RESULT(handler->AddHandler(&LRootModuleEngine::OnParamChangeRequest,
                                        QV::GetMainNotificationCenter(), kChangeRequest, 0));

    communication = CreateCommunicationInterface();
    if (communication) {
        // The waiting search pauses on the engine's clock, and a stop cuts its pause short too.
        communication->SetPause([clock = clock, wake = pollingWake](uint32_t milliseconds) {
            return clock->Pause(*wake, milliseconds);
        });
    }
    cache = LParamCache::Create(kDeviceParameterCount);
    QV::Array<QV::Variant> devices;
    noLibrary = !communication || communication->Initialize() < 0;
    if (!noLibrary) {
        communication->FindDevices(devices);
    }
    root = LRootModule::Create(noLibrary);
    root->Initialize(&LRootModuleEngine::RootChangeCallback, this, cache, communication, firstParamID);
    initialized = true;

    RefreshParamValues(QV::ParamDescriptors(QV::ParamRange{firstParamID, kDeviceParameterCount}));
    if (!noLibrary && devices.GetCount() > 0) {
        ConnectDevice(devices.GetAt(0), false);
    } else {
        // Without a connection attempt the state must still be known, or every edit would be
        // refused although the model works on its cache.
        EvaluateConnectionState();
    }
    return QV::S_OK;
}

int32_t LRootModuleEngine::GetFirstParamID() {
    return root ? root->GetFirstParamID() : 0;
}

int32_t LRootModuleEngine::SetParamValue(const QV::ParamDescriptor& descriptor, const QV::Variant& value) {
    if (state.load() != DeviceConnected || !root) {
        return QV::E_FAIL;
    }
    const int32_t result = root->SetParamValue(descriptor, value);
    if (result < 0) {
        EvaluateConnectionState();
    }
    return result;
}

namespace {

// Makes room for count values from startIndex on and gives each its id; false when the array cannot
// hold them.
bool PrepareValues(const QV::ParamRange& range, QV::Array<QV::ParamValue>& out, int32_t startIndex) {
    if (startIndex < 0) {
        out.RemoveAll();
        startIndex = 0;
    }
    const uint32_t count = range.count > 0 ? static_cast<uint32_t>(range.count) : 0;
    const uint64_t needed = static_cast<uint64_t>(startIndex) + count;
    if (needed > QV::Array<QV::ParamValue>::kMaxCount) {
        return false;
    }
    if (out.GetCount() < needed && out.SetCount(static_cast<uint32_t>(needed)) < 0) {
        return false;
    }
    for (uint32_t offset = 0; offset < count; ++offset) {
        QV::ParamValue& element = out.GetAt(static_cast<uint32_t>(startIndex) + offset);
        element.descriptor.paramID = OffsetParamID(range.firstParamID, offset);
        element.descriptor.qualifier.Clear();
        element.value.Clear();
    }
    return true;
}

uint32_t FirstIndex(int32_t startIndex) {
    return startIndex < 0 ? 0 : static_cast<uint32_t>(startIndex);
}

}  // namespace

int32_t LRootModuleEngine::GetParamValues(const QV::ParamRange& range, QV::Array<QV::ParamValue>& out,
                                          int32_t startIndex) {
    if (!PrepareValues(range, out, startIndex)) {
        return QV::E_INVALIDARG;
    }
    if (!root) {
        return QV::S_OK;
    }
    const uint32_t first = FirstIndex(startIndex);
    for (int32_t offset = 0; offset < range.count; ++offset) {
        QV::ParamValue& element = out.GetAt(first + static_cast<uint32_t>(offset));
        if (root->GetParamValue(element.descriptor, element.value) < 0) {
            element.value.Clear();
        }
    }
    return QV::S_OK;
}

int32_t LRootModuleEngine::GetParamValueDefaults(const QV::ParamRange& range, QV::Array<QV::ParamValue>& out,
                                                 int32_t startIndex) {
    if (!PrepareValues(range, out, startIndex)) {
        return QV::E_INVALIDARG;
    }
    if (!root) {
        return QV::S_OK;
    }
    const uint32_t first = FirstIndex(startIndex);
    for (int32_t offset = 0; offset < range.count; ++offset) {
        QV::ParamValue& element = out.GetAt(first + static_cast<uint32_t>(offset));
        QV::RCPtr<LParameterizedModule> module = root->GetModule(element.descriptor.paramID);
        if (module) {
            element.value = module->GetParamValueDefault(element.descriptor.paramID);
        }
    }
    return QV::S_OK;
}

int32_t LRootModuleEngine::RefreshParamValues(const QV::ParamDescriptors& descriptors) {
    const uint32_t count = descriptors.GetListCount();
    if (count == 0 || !root) {
        return QV::S_OK;
    }
    QV::Array<QV::ParamValue> values;
    values.SetCount(count);
    // Read and posted under the root's lock, so no change reported meanwhile is overtaken by the
    // older values read here.
    QV::CAutoLock hold(root->GetLock());
    for (uint32_t item = 0; item < count; ++item) {
        QV::ParamValue& element = values.GetAt(item);
        descriptors.GetDescriptorAt(item, element.descriptor.paramID, element.descriptor.qualifier);
        root->GetParamValue(element.descriptor, element.value);
    }
    OnModuleChange(values);
    return QV::S_OK;
}

int32_t LRootModuleEngine::RootChangeCallback(void* context, QV::IArray<QV::ParamValue>* changes) {
    if (context != nullptr && changes != nullptr) {
        static_cast<LRootModuleEngine*>(context)->OnModuleChange(*changes);
    }
    return QV::S_OK;
}

void LRootModuleEngine::OnModuleChange(QV::IArray<QV::ParamValue>& changes) {
    const uint32_t count = changes.GetCount();
    if (count > 2) {
        QV::RCPtr<ParamValuesWrapper> list = ParamValuesWrapper::Create();
        QV::ParamDescriptors::SetFromValues(*list, changes.GetData(), count);
        Post(kStateChange, list);
        return;
    }
    for (uint32_t item = 0; item < count; ++item) {
        const QV::ParamValue& change = changes.GetAt(item);
        PostValueChange(change.descriptor, change.value);
    }
}

void LRootModuleEngine::PostValueChange(const QV::ParamDescriptor& descriptor, const QV::Variant& value) {
    Post(kStateChange, ParamChangePair::Create(descriptor, value));
}

void LRootModuleEngine::PostState(DeviceConnectionState newState) {
    QV::RCPtr<QV::LHolder<DeviceConnectionState>> holder = QV::LHolder<DeviceConnectionState>::Create();
    holder->SetValue(newState);
    Post(kConnectionStateChange, holder);
}

void LRootModuleEngine::PostDeviceListCount(uint32_t count) {
    QV::RCPtr<QV::LHolder<unsigned int>> holder = QV::LHolder<unsigned int>::Create();
    holder->SetValue(count);
    Post(kRemoteDeviceListChange, holder);
}

int32_t LRootModuleEngine::OnParamChangeRequest(const QV::RCPtr<QV::LNotificationDistributor>& /*sender*/,
                                                const QV::RCPtr<QV::LNotification>& notification) {
    QV::RCPtr<ParamChangePair> pair;
    if (notification) {
        pair = notification->GetParam();
    }
    if (pair && state.load() == DeviceConnected && root) {
        if (root->SetParamValue(pair->first, pair->second) < 0) {
            EvaluateConnectionState();
        }
    }
    return QV::S_FALSE;
}

void LRootModuleEngine::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                            const QV::RCPtr<QV::LNotification>& notification) {
    if (initialized.load() && handler) {
        handler->HandleNotification(sender, notification);
    }
}

int32_t LRootModuleEngine::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (handler) {
        handler->RemoveHandler(distributor, name);
    }
    return QV::LNotificationClient::UnregisterForNotification(distributor, name);
}

int32_t LRootModuleEngine::ReleaseInternalReferences() {
    StopPolling();
    UnregisterAll();
    return GetInternalRefCount() == 0 && GetRefCount() == 1 ? QV::S_OK : QV::E_FAIL;
}

// ---------------------------------------------------------------------------------------------
// Connection

bool LRootModuleEngine::IsDeviceConnected(const QV::Variant& deviceId) {
    if (deviceId.kind == QV::Variant::Empty || !communication) {
        return false;
    }
    QV::DeviceInfo info{};
    return communication->GetDeviceInfo(deviceId, info) >= 0 && info.IsConnected();
}

bool LRootModuleEngine::IsSelectedDeviceConnected() {
    QV::CAutoLock hold(lock);
    return IsDeviceConnected(selectedDevice);
}

void LRootModuleEngine::EvaluateConnectionState() {
    QV::CAutoLock hold(lock);
    DeviceConnectionState newState = DeviceNone;
    if (communication && communication->IsConnected()) {
        newState = DeviceConnected;
    } else if (connectPending) {
        newState = DeviceConnectPending;
    }
    if (newState != state.load()) {
        state = newState;
        PostState(newState);
    }
}

int32_t LRootModuleEngine::ConnectDevice(const QV::Variant& deviceId, bool keepWhenPresent) {
    connecting = true;
    DisconnectDevice();
    int32_t result = QV::E_FAIL;
    bool startPolling = false;
    {
        QV::CAutoLock hold(lock);
        result = root ? root->Connect(deviceId) : QV::E_FAIL;
        if (result >= 0) {
            selectedDevice = deviceId;
            startPolling = IsDeviceConnected(deviceId);
        } else if (keepWhenPresent && IsDeviceConnected(deviceId)) {
            // The polling loop retries the connection.
            connectPending = true;
            selectedDevice = deviceId;
            startPolling = true;
        } else {
            selectedDevice.Clear();
        }
    }
    // Outside the lock: a run that is stopping needs it to end its pass.
    if (startPolling) {
        StartPolling();
    }
    connecting = false;
    EvaluateConnectionState();
    RequestStopPolling();
    return result;
}

int32_t LRootModuleEngine::DisconnectDevice() {
    int32_t result = -1;
    {
        QV::CAutoLock hold(lock);
        connectPending = false;
        selectedDevice.Clear();
        if (communication) {
            result = communication->Disconnect();
        }
    }
    if (!connecting.load()) {
        EvaluateConnectionState();
        RequestStopPolling();
    }
    return result;
}

int32_t LRootModuleEngine::FindDevices(QV::Array<QV::Variant>& out) {
    return communication ? communication->FindDevices(out) : -1;
}

// ---------------------------------------------------------------------------------------------
// Polling

int32_t LRootModuleEngine::Enable(bool on) {
    if (on == pollingEnabled.load()) {
        return QV::S_OK;
    }
    pollingEnabled = on;
    if (!on) {
        RequestStopPolling();
        return QV::S_OK;
    }
    if (!firstSearchDone) {
        QV::Array<QV::Variant> found;
        firstSearchResult =
            communication ? communication->WaitForDeviceListChange(NoDeviceFilter(), found, 0) : QV::E_FAIL;
        firstSearchDone = true;
    }
    if (firstSearchResult < 0) {
        pollingEnabled = false;
    } else {
        StartPolling();
    }
    return firstSearchResult;
}

int32_t LRootModuleEngine::GetDeviceList(QV::Array<QV::Variant>& out) {
    if (pollingEnabled.load()) {
        QV::CAutoLock hold(lock);
        out = deviceList;
        return QV::S_OK;
    }
    // Searched outside the lock into a list of its own: a polling run that is ending may still read
    // the engine's list.
    QV::Array<QV::Variant> found;
    const int32_t result =
        communication ? communication->WaitForDeviceListChange(NoDeviceFilter(), found, 0) : QV::E_FAIL;
    QV::CAutoLock hold(lock);
    deviceList = found;
    if (result < 0) {
        return result;
    }
    out = deviceList;
    return QV::S_OK;
}

bool LRootModuleEngine::IsPollingRunActive() {
    return pollingThread && pollingThread->IsBusy();
}

bool LRootModuleEngine::IsPollingThread() const {
    return pollingThreadId.load() == std::this_thread::get_id();
}

int32_t LRootModuleEngine::StartPolling() {
    if (!pollingThread) {
        return QV::E_FAIL;
    }
    if (IsPollingRunActive()) {
        if (!stopRequested.load()) {
            return QV::S_FALSE;
        }
        StopPolling();
        if (IsPollingRunActive()) {
            return QV::E_FAIL;
        }
    }
    stopRequested = false;
    // A stop that came after the last run's last pause would cut this run's first one short.
    pollingWake->Reset();
    // The run's reference to the engine counts as an internal one from here until the run ends, so
    // the last outside release still stops the loop.
    QV::RCPtr<QV::LThreadWorker> worker(this);
    AddInternalReferences(1);
    const int32_t result =
        pollingThread->Trigger(worker, nullptr, pollingRunEnded, QV::Thread::THREAD_PRIORITY_NORMAL);
    if (result < 0) {
        AddInternalReferences(-1);
        stopRequested = true;
        return result;
    }
    return QV::S_OK;
}

bool LRootModuleEngine::StopPolling() {
    if (!IsPollingRunActive()) {
        return true;
    }
    RequestStop();
    if (IsPollingThread()) {
        // The loop ends after its current pass; it cannot be waited for from within.
        return false;
    }
    for (uint32_t test = 0; test < kStopPollingTests; ++test) {
        if (!IsPollingRunActive()) {
            return true;
        }
        clock->WaitForEvent(*pollingRunEnded, 1);
    }
    return !IsPollingRunActive();
}

void LRootModuleEngine::RequestStopPolling() {
    if (!IsPollingRunActive() || stopRequested.load() || pollingEnabled.load() || connecting.load()) {
        return;
    }
    QV::CAutoLock hold(lock);
    const DeviceConnectionState current = state.load();
    if (current == DeviceNone || (current == DeviceConnected && !IsSelectedDeviceConnected())) {
        RequestStop();
    }
}

void LRootModuleEngine::RequestStop() {
    stopRequested = true;
    // The loop may be in a pause: it ends the pass at once.
    pollingWake->Set();
}

int LRootModuleEngine::DoWork(QV::RCPtr<QV::LRefCountedObject>& /*params*/) {
    pollingThreadId = std::this_thread::get_id();
    // Gives back the internal reference StartPolling counted for this run.
    struct RunReference {
        LRootModuleEngine* engine;
        ~RunReference() { engine->AddInternalReferences(-1); }
    } runReference{this};

    QV::RCPtr<QV::LNotificationCenter> centre = QV::GetMainNotificationCenter();
    if (!centre || !communication) {
        return 0;
    }
    QV::Array<QV::Variant> devices;
    uint32_t passes = 0;
    bool listAgain = false;
    while (!stopRequested.load()) {
        if (IsSelectedDeviceConnected()) {
            EvaluateConnectionState();
            QV::CAutoLock hold(lock);
            if (state.load() == DeviceConnectPending && selectedDevice.kind != QV::Variant::Empty && root &&
                root->Connect(selectedDevice) >= 0) {
                connectPending = false;
                state = DeviceConnected;
                PostState(DeviceConnected);
            }
        }
        if (!pollingEnabled.load()) {
            clock->Pause(*pollingWake, kPollingPause);
        } else if (!listAgain && passes < kSearchesPerListing) {
            ++passes;
            {
                QV::CAutoLock hold(lock);
                devices = deviceList;
            }
            const int32_t result =
                communication->WaitForDeviceListChange(NoDeviceFilter(), devices, kPollingPause);
            if (!stopRequested.load() && result == 0) {
                QV::CAutoLock hold(lock);
                deviceList = devices;
                PostDeviceListCount(deviceList.GetCount());
            }
        } else {
            passes = 0;
            devices.RemoveAll();
            const int32_t result = communication->ListRemoteDevices(NoDeviceFilter(), devices);
            if (!stopRequested.load()) {
                if (result >= 0) {
                    listAgain = result == 1;
                    QV::CAutoLock hold(lock);
                    if (!(devices == deviceList)) {
                        deviceList = devices;
                        PostDeviceListCount(deviceList.GetCount());
                    }
                }
                clock->Pause(*pollingWake, kPollingPause);
            }
        }
    }
    return 0;
}
