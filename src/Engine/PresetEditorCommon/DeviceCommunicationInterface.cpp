#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"

#include <atomic>
#include <chrono>
#include <iterator>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

#include "Engine/PresetEditorCommon/DeviceControlClientInterface.h"
#include "Engine/PresetEditorCommon/EngineLockLevels.h"
#include "RIZozivirod/System/Event.h"
#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/System/Thread.h"
#include "RIZozivirod/System/Threader.h"
#include "RIZozivirod/Utilities/Storage/RCPtrQueue.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

using QV::Array;
using QV::CAutoLock;
using QV::DeviceControlClientInterface;
using QV::E_FAIL;
using QV::ParamDescriptor;
using QV::RCPtr;
using QV::Variant;

namespace {

constexpr int32_t kNoBinding = -1;
constexpr int32_t kNotConnected = -3;
constexpr uint32_t kSearchPause = 250;
constexpr uint32_t kQueueSlots = 256;

// Maker and program, at the device index and the next one.
constexpr const char* kNames[] = {"Tarvel", "Skylet Preset Editor"};

bool SleepFor(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return false;
}

bool SameDevices(const Array<Variant>& a, const Array<Variant>& b) {
    if (a.GetCount() != b.GetCount()) {
        return false;
    }
    for (uint32_t i = 0; i < a.GetCount(); ++i) {
        if (a.GetAt(i) != b.GetAt(i)) {
            return false;
        }
    }
    return true;
}

}  // namespace

// Drains the interface's queue on the threader's thread; the work parameter is the interface.
class LDeviceCommunicationThreadWorker : public QV::LThreadWorker {
public:
    int DoWork(RCPtr<QV::LRefCountedObject>& params) override {
        // No new reference to the interface here: the threader's is the one that keeps it.
        auto* owner = dynamic_cast<LDeviceCommunicationInterface*>(params.Get());
        if (owner != nullptr) {
            owner->DeliverQueued();
        }
        return 0;
    }
};

struct LDeviceCommunicationInterface::Private {
    QV::Mutex stateLock{"communication state", EngineLockLevel::kCommunicationState};
    RCPtr<QV::LEventGatedThreader> threader;
    RCPtr<QV::LEvent> wakeEvent;
    QV::Mutex queueLock{"communication queue", EngineLockLevel::kCommunicationQueue};
    QV::RCPtrQueue<DeviceParamValues, kQueueSlots> queue{&queueLock, kQueueSlots};
    QV::Mutex workerLock{"communication worker", EngineLockLevel::kCommunicationWorker};
    RCPtr<LDeviceCommunicationThreadWorker> worker;
    // Owned; set once by Initialize and read by every thread without a lock.
    std::atomic<DeviceControlClientInterface*> binding{nullptr};
    Variant deviceId;
    std::atomic<bool> deliveryEnabled{false};
    std::atomic<DeviceCommunicationReceiver*> receiver{nullptr};

    // Serialises Initialize: two loads of the library would end with one binding's release of
    // the library under the other.
    std::mutex initializeLock;
    // Empty: the program's folder.
    QV::WString libraryPath;
    std::function<bool(uint32_t)> pause = SleepFor;
};

RCPtr<LDeviceCommunicationInterface> LDeviceCommunicationInterface::Create() {
    return RCPtr<LDeviceCommunicationInterface>(new LDeviceCommunicationInterface());
}

RCPtr<LDeviceCommunicationInterface> LDeviceCommunicationInterface::Create(const QV::WString& libraryPath) {
    return RCPtr<LDeviceCommunicationInterface>(new LDeviceCommunicationInterface(libraryPath));
}

LDeviceCommunicationInterface::LDeviceCommunicationInterface()
    : LDeviceCommunicationInterface(QV::WString()) {}

LDeviceCommunicationInterface::LDeviceCommunicationInterface(const QV::WString& libraryPath)
    : mPrivate(std::make_unique<Private>()) {
    Private& p = *mPrivate;
    p.libraryPath = libraryPath;
    p.worker = RCPtr<LDeviceCommunicationThreadWorker>(new LDeviceCommunicationThreadWorker());
    p.wakeEvent = QV::LEvent::Create(true);
    // A reference of the constructor's own keeps the count above zero while the threader takes
    // its reference, so no release below can destroy the object under construction.
    AddRef();
    {
        RCPtr<QV::LRefCountedObject> self(this);
        p.threader =
            QV::LEventGatedThreader::Create(p.wakeEvent, p.worker, self, QV::Thread::THREAD_PRIORITY_NORMAL);
    }
    Release();
    AddInternalReferences(1);
}

LDeviceCommunicationInterface::~LDeviceCommunicationInterface() {
    Private& p = *mPrivate;
    EnableDelivery(false);
    // The library makes no callback once the device is disconnected and it is released.
    std::unique_ptr<DeviceControlClientInterface> binding(p.binding.exchange(nullptr));
    if (binding) {
        binding->DisconnectDevice(CopyDeviceId());
        binding.reset();
    }
    p.receiver.store(nullptr);
}

int32_t LDeviceCommunicationInterface::ReleaseInternalReferences() {
    RCPtr<QV::LEventGatedThreader> threader = mPrivate->threader;
    mPrivate->threader = nullptr;
    if (threader) {
        // Stops and joins the thread; the reference it held as its parameter goes with it.
        threader = nullptr;
        AddInternalReferences(-1);
    }
    return LRefCountedObject::ReleaseInternalReferences();
}

int32_t LDeviceCommunicationInterface::Initialize() {
    Private& p = *mPrivate;
    std::lock_guard<std::mutex> guard(p.initializeLock);
    if (p.binding.load() != nullptr) {
        return 1;
    }
    DeviceControlClientInterface* binding = nullptr;
    try {
        binding = p.libraryPath.IsEmpty() ? new DeviceControlClientInterface()
                                          : new DeviceControlClientInterface(p.libraryPath);
    } catch (const std::bad_alloc&) {
        return E_FAIL;
    }
    p.binding.store(binding);
    return 0;
}

bool LDeviceCommunicationInterface::IsOnline() {
    return true;
}

bool LDeviceCommunicationInterface::EchoToReceiver(int64_t value) {
    Private& p = *mPrivate;
    if (p.receiver.load() == nullptr) {
        return false;
    }
    const bool online = IsOnline();
    Variant pair[2];
    pair[0].Set(Variant::Int64, &value, sizeof(value));
    const uint8_t onlineByte = online ? 1 : 0;
    pair[1].Set(Variant::Bool, &onlineByte, sizeof(onlineByte));
    Variant echo;
    echo.SetList(pair, 2);
    RCPtr<DeviceParamValues> values = DeviceParamValues::Create();
    values->SetFromValue(ParamDescriptor(kEchoParamID), echo);

    // Delivered after the state lock is let go of: the receiver takes its own locks, which other
    // threads hold while they take the state lock. A receiver that counts references (the root
    // module) is held for the delivery, so a concurrent removal cannot free it under the call.
    DeviceCommunicationReceiver* receiver = nullptr;
    RCPtr<QV::LRefCountedObject> held;
    {
        CAutoLock lock(p.stateLock);
        receiver = p.receiver.load();
        held = dynamic_cast<QV::LRefCountedObject*>(receiver);
    }
    if (receiver != nullptr) {
        receiver->ReceiveDeviceValues(values);
    }
    return online;
}

void LDeviceCommunicationInterface::Synchronize() {
    CAutoLock lock(mPrivate->stateLock);
}

void LDeviceCommunicationInterface::Start() {}

int32_t LDeviceCommunicationInterface::FindDevices(Array<Variant>& devices) {
    devices.SetCount(1);
    return 0;
}

int32_t LDeviceCommunicationInterface::WaitForDeviceListChange(const Array<QV::_GUID>& guids,
                                                               Array<Variant>& devices, uint32_t timeout) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    if (binding == nullptr) {
        return kNoBinding;
    }
    const Array<Variant> before = devices;
    // Only the pauses count, so the number of searches does not depend on how long each takes.
    uint64_t waited = 0;
    for (;;) {
        Variant found;
        if (binding->FindRemoteDevices(guids.GetData(), guids.GetCount(), found, 0) < 0) {
            // Every earlier search found the list unchanged, so it is as the caller passed it.
            return E_FAIL;
        }
        RefillDevices(found, devices);
        if (!SameDevices(devices, before)) {
            return 0;
        }
        if (waited >= timeout) {
            return 1;
        }
        if (mPrivate->pause(kSearchPause)) {
            return 1;
        }
        waited += kSearchPause;
    }
}

int32_t LDeviceCommunicationInterface::ListRemoteDevices(const Array<QV::_GUID>& guids,
                                                         Array<Variant>& devices) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    if (binding == nullptr) {
        return kNoBinding;
    }
    Variant found;
    const int32_t result = binding->FindRemoteDevices(guids.GetData(), guids.GetCount(), found, 1);
    if (result >= 0) {
        RefillDevices(found, devices);
    }
    return result;
}

int32_t LDeviceCommunicationInterface::Connect(const Variant& deviceId) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    if (binding == nullptr) {
        return kNoBinding;
    }
    {
        CAutoLock lock(mPrivate->stateLock);
        mPrivate->deviceId = deviceId;
    }
    return binding->ConnectDevice(deviceId, &LDeviceCommunicationInterface::OnDeviceValues, this);
}

int32_t LDeviceCommunicationInterface::RequestParamRanges(const QV::ParamRanges& ranges) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    return binding != nullptr ? binding->RequestParamRanges(CopyDeviceId(), ranges) : kNoBinding;
}

int32_t LDeviceCommunicationInterface::RequestParamValues(const QV::ParamDescriptors& descriptors) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    return binding != nullptr ? binding->RequestParamValues(CopyDeviceId(), descriptors) : kNoBinding;
}

int32_t LDeviceCommunicationInterface::RequestParamValue(const ParamDescriptor& descriptor) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    return binding != nullptr ? binding->RequestParamValue(CopyDeviceId(), descriptor) : kNoBinding;
}

int32_t LDeviceCommunicationInterface::GetParamRanges(int32_t a, int32_t b) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    return binding != nullptr ? binding->GetParamRanges(CopyDeviceId(), a, b) : kNoBinding;
}

int32_t LDeviceCommunicationInterface::GetParamValues(int32_t a, int32_t b) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    return binding != nullptr ? binding->GetParamValues(CopyDeviceId(), a, b) : kNoBinding;
}

int32_t LDeviceCommunicationInterface::GetParamValue(const ParamDescriptor& descriptor, Variant& value) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    if (binding != nullptr) {
        return binding->GetParamValue(CopyDeviceId(), descriptor, value);
    }
    switch (descriptor.paramID) {
        case kOnlineParamID: {
            const uint8_t online = IsOnline() ? 1 : 0;
            value.Set(Variant::Bool, &online, sizeof(online));
            return 0;
        }
        case kDeviceParamID:
            return GetDeviceParamValue(value);
        case kMakerNameParamID:
        case kProgramNameParamID: {
            int32_t index = 0;
            GetDeviceIndex(index);
            const int32_t entry = index + (descriptor.paramID == kProgramNameParamID ? 1 : 0);
            if (entry < 0 || entry >= static_cast<int32_t>(std::size(kNames))) {
                return E_FAIL;
            }
            value.SetString(kNames[entry]);
            return 0;
        }
        default:
            return E_FAIL;
    }
}

int32_t LDeviceCommunicationInterface::SetParamValue(const ParamDescriptor& descriptor,
                                                     const Variant& value) {
    if (mPrivate->receiver.load() == nullptr) {
        return E_FAIL;
    }
    const int32_t id = descriptor.paramID;
    if (id == kEchoParamID) {
        return EchoToReceiver(value.ToInt64()) ? 0 : 1;
    }
    if (id >= kFirstRefusedParamID && id <= kLastRefusedParamID) {
        return E_FAIL;
    }
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    if (binding != nullptr) {
        return binding->SetParamValue(CopyDeviceId(), descriptor, value);
    }
    return id == kDeviceParamID ? SetDeviceParamValue(value) : E_FAIL;
}

int32_t LDeviceCommunicationInterface::SetParamValues(const QV::ParamValues& values) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    return binding != nullptr ? binding->SetParamValues(CopyDeviceId(), values) : kNoBinding;
}

bool LDeviceCommunicationInterface::IsConnected() {
    return true;
}

int32_t LDeviceCommunicationInterface::GetConnectedDeviceId(Variant& deviceId) {
    if (mPrivate->binding.load() == nullptr) {
        return kNoBinding;
    }
    {
        CAutoLock lock(mPrivate->stateLock);
        deviceId = mPrivate->deviceId;
    }
    return IsConnected() ? 0 : kNotConnected;
}

int32_t LDeviceCommunicationInterface::Disconnect() {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    return binding != nullptr ? binding->DisconnectDevice(CopyDeviceId()) : kNoBinding;
}

int32_t LDeviceCommunicationInterface::GetDeviceInfo(const Variant& deviceId, QV::DeviceInfo& info) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    return binding != nullptr ? binding->GetDeviceInfo(deviceId, info) : kNoBinding;
}

int32_t LDeviceCommunicationInterface::GetDeviceParamValue(Variant& value) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    return binding != nullptr ? binding->GetParamValue(CopyDeviceId(), ParamDescriptor(kDeviceParamID), value)
                              : kNoBinding;
}

int32_t LDeviceCommunicationInterface::SetDeviceParamValue(const Variant& value) {
    DeviceControlClientInterface* binding = mPrivate->binding.load();
    return binding != nullptr ? binding->SetParamValue(CopyDeviceId(), ParamDescriptor(kDeviceParamID), value)
                              : kNoBinding;
}

int32_t LDeviceCommunicationInterface::GetDeviceIndex(int32_t& index) {
    index = 0;
    return 0;
}

void LDeviceCommunicationInterface::EnableDelivery(bool enable) {
    mPrivate->deliveryEnabled.store(enable);
    if (!enable) {
        CAutoLock lock(mPrivate->workerLock);
    }
}

void LDeviceCommunicationInterface::SetReceiver(DeviceCommunicationReceiver* receiver) {
    // Under the state lock, so an echo either takes its reference to the old receiver before it
    // is removed or sees the new one.
    CAutoLock lock(mPrivate->stateLock);
    mPrivate->receiver.store(receiver);
}

void LDeviceCommunicationInterface::SetPause(std::function<bool(uint32_t milliseconds)> pause) {
    mPrivate->pause = pause ? std::move(pause) : SleepFor;
}

void LDeviceCommunicationInterface::OnDeviceValues(void* context, int32_t /*reserved*/,
                                                   const Variant* values) {
    if (context == nullptr || values == nullptr) {
        return;
    }
    Private& p = *static_cast<LDeviceCommunicationInterface*>(context)->mPrivate;
    // Nothing may leave a callback of the library: a batch that cannot be copied is lost.
    try {
        RCPtr<DeviceParamValues> copy = DeviceParamValues::Create();
        static_cast<Variant&>(*copy) = *values;
        if (p.queue.Enqueue(copy) < 0) {
            return;
        }
    } catch (const std::bad_alloc&) {
        return;
    }
    p.wakeEvent->Set();
}

void LDeviceCommunicationInterface::DeliverQueued() {
    Private& p = *mPrivate;
    CAutoLock lock(p.workerLock);
    while (p.queue.GetQueuedCount() > 0) {
        RCPtr<DeviceParamValues> values = p.queue.Dequeue();
        DeviceCommunicationReceiver* receiver = p.receiver.load();
        if (!p.deliveryEnabled.load() || receiver == nullptr) {
            continue;
        }
        // A batch the receiver cannot take (say, an id the model refuses) must not end the
        // worker's thread, and with it the process.
        try {
            receiver->ReceiveDeviceValues(values);
        } catch (...) {
        }
    }
}

Variant LDeviceCommunicationInterface::CopyDeviceId() {
    CAutoLock lock(mPrivate->stateLock);
    return mPrivate->deviceId;
}

void LDeviceCommunicationInterface::RefillDevices(const Variant& found, Array<Variant>& devices) {
    if (found.kind != Variant::List || found.length <= 4) {
        devices.SetCount(0);
        return;
    }
    const uint32_t count = found.GetListCount();
    devices.SetCount(count);
    for (uint32_t i = 0; i < count; ++i) {
        found.GetListItem(i, devices.GetAt(i));
    }
}
