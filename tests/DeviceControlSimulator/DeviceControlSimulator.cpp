// The device-control client library for tests: one simulated keyboard behind the DCCI_ entry
// points, with the controls of DeviceControlSimulatorControl.h. Built twice: complete, and
// without DCCI_SetParamValues (a library that lacks one export).
//
// Threads: callers of the entry points (any thread), one delivery thread that makes the callbacks
// of answered requests, echoes and values sent on the device's own, and the storm threads, which
// make callbacks straight from their own threads. One lock guards all state; callbacks run
// without it. Disconnecting waits for the callbacks under way and lets no later one through.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/Device.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"
#include "DeviceControlSimulator/DeviceControlSimulatorControl.h"
#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"
#include "Engine/PresetEditorCommon/DeviceControlClientExports.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

using QV::DeviceInfo;
using QV::DeviceValuesCallback;
using QV::ParamDescriptor;
using QV::ParamDescriptors;
using QV::ParamRange;
using QV::ParamRanges;
using QV::ParamValue;
using QV::ParamValues;
using QV::Variant;

namespace {

enum EntryPoint {
    kFindDevices,
    kFindRemoteDevices,
    kConnectDevice,
    kRequestParamRanges,
    kRequestParamValues,
    kGetParamRanges,
    kGetParamValues,
    kGetParamValue,
    kSetParamValue,
    kSetParamValues,
    kDisconnectDevice,
    kIsDeviceConnected,
    kGetDeviceInfo,
    kReleaseAll,
    kEntryPointCount,
};

constexpr std::string_view kEntryPointNames[kEntryPointCount] = {
    "DCCI_FindDevices",        "DCCI_FindRemoteDevices", "DCCI_ConnectDevice",    "DCCI_RequestParamRanges",
    "DCCI_RequestParamValues", "DCCI_GetParamRanges",    "DCCI_GetParamValues",   "DCCI_GetParamValue",
    "DCCI_SetParamValue",      "DCCI_SetParamValues",    "DCCI_DisconnectDevice", "DCCI_IsDeviceConnected",
    "DCCI_GetDeviceInfo",      "DCCI_ReleaseAll",
};

constexpr int32_t kFailed = -1;
// A range asks for at most this many ids; the keyboard has 37.
constexpr int32_t kMaxRangeCount = 4096;
constexpr uint32_t kDefaultBatchSize = 8;

int32_t EntryPointIndex(const char* name) {
    if (name == nullptr) {
        return -1;
    }
    for (int32_t i = 0; i < kEntryPointCount; ++i) {
        if (kEntryPointNames[i] == name) {
            return i;
        }
    }
    return -1;
}

Variant Int32Value(int32_t number) {
    Variant value;
    value.Set(Variant::Int32, &number, sizeof(number));
    return value;
}

Variant UInt32Value(uint32_t number) {
    Variant value;
    value.Set(Variant::UInt32, &number, sizeof(number));
    return value;
}

Variant CopyOf(const Variant* source) {
    Variant value;
    if (source != nullptr) {
        value = *source;
    }
    return value;
}

Variant ListOf(std::initializer_list<Variant> items) {
    Variant list;
    list.SetList(items.begin(), static_cast<uint32_t>(items.size()));
    return list;
}

// Only for reading the model's defaults: a root with the keyboard below it and nothing else.
class DefaultsRoot : public IRootModule {
public:
    static QV::RCPtr<DefaultsRoot> Create() {
        QV::RCPtr<DefaultsRoot> root(new DefaultsRoot());
        root->device = LDevice::Create();
        root->SetFirstParamID(nullptr, 0, 0);
        return root;
    }

    void NotifyParamChanged(const ParamDescriptor&, const Variant&) override {}
    QV::RCPtr<LDeviceCommunicationInterface> GetCommunicationInterface() override { return nullptr; }
    QV::RCPtr<IDevice> GetDevice() override { return device; }

private:
    DefaultsRoot() = default;

    QV::RCPtr<LDevice> device;
};

ParamValues ModelDefaults() {
    std::vector<ParamValue> values;
    QV::RCPtr<DefaultsRoot> root = DefaultsRoot::Create();
    for (int32_t id = 0; id < kDeviceParameterCount; ++id) {
        values.emplace_back(id, Variant(), root->GetModule(id)->GetParamValueDefault(id));
    }
    ParamValues list;
    ParamDescriptors::SetFromValues(list, values.data(), static_cast<uint32_t>(values.size()));
    return list;
}

ParamValues BatchOf(const std::vector<ParamValue>& values) {
    ParamValues list;
    ParamDescriptors::SetFromValues(list, values.data(), static_cast<uint32_t>(values.size()));
    return list;
}

class Simulator {
public:
    static Simulator& Get() {
        static Simulator instance;
        return instance;
    }

    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    ~Simulator() { StopThreads(); }

    // Counts the call and keeps its arguments; true with result set when the call is scripted.
    bool Begin(EntryPoint entry, const Variant& arguments, int32_t& result) {
        std::lock_guard<std::mutex> guard(mLock);
        ++mCalls[entry];
        mLastArguments[entry] = arguments;
        if (mResults[entry]) {
            result = *mResults[entry];
            return true;
        }
        return false;
    }

    int32_t FindRemoteDevices(Variant* devices) {
        if (devices == nullptr) {
            return kFailed;
        }
        std::lock_guard<std::mutex> guard(mLock);
        if (mNextDevicesFrom != 0 && static_cast<uint32_t>(mCalls[kFindRemoteDevices]) >= mNextDevicesFrom) {
            mDevices = mNextDevices;
            mNextDevicesFrom = 0;
        }
        *devices = mDevices;
        return 0;
    }

    int32_t Connect(const Variant* deviceId, DeviceValuesCallback callback, void* context) {
        if (deviceId == nullptr || callback == nullptr) {
            return kFailed;
        }
        std::unique_lock<std::mutex> lock(mLock);
        if (!IsKnownDevice(deviceId)) {
            return kFailed;
        }
        DisconnectLocked(lock);
        mConnected = true;
        mCallback = callback;
        mContext = context;
        if (!mDeliveryThread.joinable()) {
            mDeliveryThread = std::thread(&Simulator::DeliveryLoop, this);
        }
        return 0;
    }

    int32_t Disconnect() {
        std::unique_lock<std::mutex> lock(mLock);
        const bool wasConnected = mConnected;
        DisconnectLocked(lock);
        return wasConnected ? 0 : 1;
    }

    int32_t IsConnected(const Variant* deviceId) {
        std::lock_guard<std::mutex> guard(mLock);
        return mConnected && IsKnownDevice(deviceId) ? 0 : 1;
    }

    int32_t GetDeviceInfo(const Variant* deviceId, DeviceInfo* info) {
        std::lock_guard<std::mutex> guard(mLock);
        if (info == nullptr || !IsKnownDevice(deviceId)) {
            return kFailed;
        }
        std::memset(info->bytes, 0, sizeof(info->bytes));
        std::memcpy(info->bytes, "Skylet", 6);
        info->bytes[DeviceInfo::kConnectedByte] = mConnected ? 1 : 0;
        return 0;
    }

    // Queues the stored values of the descriptors in batches; ids the store lacks are skipped.
    int32_t Request(const Variant* deviceId, const std::vector<ParamDescriptor>& descriptors) {
        std::lock_guard<std::mutex> guard(mLock);
        if (!IsConnectedTo(deviceId)) {
            return kFailed;
        }
        std::vector<ParamValue> batch;
        for (const ParamDescriptor& descriptor : descriptors) {
            Variant value;
            if (mStore.FindValue(descriptor, value) != 0) {
                continue;
            }
            batch.emplace_back(descriptor.paramID, descriptor.qualifier, value);
            if (batch.size() == mBatchSize) {
                QueueLocked(BatchOf(batch));
                batch.clear();
            }
        }
        if (!batch.empty()) {
            QueueLocked(BatchOf(batch));
        }
        return 0;
    }

    int32_t GetValue(const Variant* deviceId, const ParamDescriptor* descriptor, Variant* value) {
        std::lock_guard<std::mutex> guard(mLock);
        if (descriptor == nullptr || value == nullptr || !IsConnectedTo(deviceId)) {
            return kFailed;
        }
        Variant found;
        if (mStore.FindValue(*descriptor, found) != 0) {
            return kFailed;
        }
        *value = found;
        return 0;
    }

    int32_t SetValues(const Variant* deviceId, const std::vector<ParamValue>& values) {
        std::lock_guard<std::mutex> guard(mLock);
        if (!IsConnectedTo(deviceId)) {
            return kFailed;
        }
        for (const ParamValue& item : values) {
            if (mStore.ToArray(item.descriptor, item.value) < 0) {
                return kFailed;
            }
        }
        if (mEcho && !values.empty()) {
            QueueLocked(BatchOf(values));
        }
        return 0;
    }

    int32_t ReleaseAll() {
        StopThreads();
        return 0;
    }

    // Controls.

    int32_t Reset() {
        StopThreads();
        std::lock_guard<std::mutex> guard(mLock);
        for (int32_t i = 0; i < kEntryPointCount; ++i) {
            mResults[i].reset();
            mCalls[i] = 0;
            mLastArguments[i].Clear();
        }
        mDevices = DefaultDevices();
        mNextDevices.Clear();
        mNextDevicesFrom = 0;
        mStore = ModelDefaults();
        mGateOpen = true;
        mDelay = 0;
        mBatchSize = kDefaultBatchSize;
        mEcho = false;
        mCallbackCount = 0;
        return 0;
    }

    int32_t SetResult(const char* entryPoint, int32_t result) {
        const int32_t index = EntryPointIndex(entryPoint);
        if (index < 0) {
            return kFailed;
        }
        std::lock_guard<std::mutex> guard(mLock);
        mResults[index] = result;
        return 0;
    }

    int32_t GetCallCount(const char* entryPoint) {
        const int32_t index = EntryPointIndex(entryPoint);
        if (index < 0) {
            return kFailed;
        }
        std::lock_guard<std::mutex> guard(mLock);
        return mCalls[index];
    }

    int32_t GetLastArguments(const char* entryPoint, Variant* arguments) {
        const int32_t index = EntryPointIndex(entryPoint);
        if (index < 0 || arguments == nullptr) {
            return kFailed;
        }
        std::lock_guard<std::mutex> guard(mLock);
        *arguments = mLastArguments[index];
        return 0;
    }

    int32_t SetRemoteDevices(const Variant* devices, uint32_t fromCall) {
        std::lock_guard<std::mutex> guard(mLock);
        if (fromCall == 0) {
            mDevices = CopyOf(devices);
            mNextDevicesFrom = 0;
        } else {
            mNextDevices = CopyOf(devices);
            mNextDevicesFrom = fromCall;
        }
        return 0;
    }

    int32_t SetBatchSize(uint32_t values) {
        std::lock_guard<std::mutex> guard(mLock);
        mBatchSize = std::max<uint32_t>(values, 1);
        return 0;
    }

    int32_t SetDeliveryDelay(uint32_t milliseconds) {
        std::lock_guard<std::mutex> guard(mLock);
        mDelay = milliseconds;
        return 0;
    }

    int32_t SetGate(bool open) {
        std::lock_guard<std::mutex> guard(mLock);
        mGateOpen = open;
        mChanged.notify_all();
        return 0;
    }

    int32_t SetEcho(bool on) {
        std::lock_guard<std::mutex> guard(mLock);
        mEcho = on;
        return 0;
    }

    int32_t SendValues(const Variant* values) {
        std::lock_guard<std::mutex> guard(mLock);
        if (!mConnected || values == nullptr) {
            return kFailed;
        }
        ParamValues batch;
        static_cast<Variant&>(batch) = *values;
        QueueLocked(batch);
        return 0;
    }

    int32_t StartStorm(uint32_t threads, uint32_t batches) {
        std::lock_guard<std::mutex> guard(mLock);
        if (!mConnected) {
            return kFailed;
        }
        const uint64_t connection = mConnection;
        for (uint32_t t = 0; t < threads; ++t) {
            mStormThreads.emplace_back([this, t, batches, connection] {
                for (uint32_t n = 0; n < batches; ++n) {
                    const ParamValues batch = BatchOf({ParamValue(static_cast<int32_t>(t), Variant(),
                                                                  Int32Value(static_cast<int32_t>(n)))});
                    if (!Deliver(batch, connection)) {
                        return;
                    }
                }
            });
        }
        return 0;
    }

    int32_t WaitStorm() {
        std::vector<std::thread> threads;
        {
            std::lock_guard<std::mutex> guard(mLock);
            threads.swap(mStormThreads);
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        return 0;
    }

    int32_t WaitIdle(uint32_t milliseconds) {
        std::unique_lock<std::mutex> lock(mLock);
        const bool idle = mChanged.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] {
            return mPending.empty() && !mDelivering && mInFlight == 0;
        });
        return idle ? 0 : 1;
    }

    int32_t GetCallbackCount() {
        std::lock_guard<std::mutex> guard(mLock);
        return static_cast<int32_t>(mCallbackCount);
    }

    int32_t GetCallbacksInFlight() {
        std::lock_guard<std::mutex> guard(mLock);
        return mInFlight;
    }

private:
    Simulator() { Reset(); }

    static Variant DefaultDevices() {
        Variant id;
        id.SetString(DeviceControlSimulator::kDeviceId);
        return ListOf({id});
    }

    // The keyboard answers to the empty id and to every id of its device list.
    bool IsKnownDevice(const Variant* deviceId) const {
        if (deviceId == nullptr) {
            return false;
        }
        if (deviceId->kind == Variant::Empty) {
            return true;
        }
        Variant item;
        const uint32_t count = mDevices.GetListCount();
        for (uint32_t i = 0; i < count; ++i) {
            if (mDevices.GetListItem(i, item) == 0 && item == *deviceId) {
                return true;
            }
        }
        return false;
    }

    bool IsConnectedTo(const Variant* deviceId) const { return mConnected && IsKnownDevice(deviceId); }

    // Ends the connection: queued batches are dropped, callbacks waiting at the gate give up, and
    // the ones under way (other than the caller's own) are awaited.
    void DisconnectLocked(std::unique_lock<std::mutex>& lock) {
        mConnected = false;
        mCallback = nullptr;
        mContext = nullptr;
        ++mConnection;
        mPending.clear();
        mChanged.notify_all();
        // A disconnect from inside a callback does not wait for itself.
        const bool own = std::find(mCallbackThreads.begin(), mCallbackThreads.end(),
                                   std::this_thread::get_id()) != mCallbackThreads.end();
        mChanged.wait(lock, [this, own] { return mInFlight <= (own ? 1 : 0); });
    }

    void QueueLocked(const ParamValues& batch) {
        mPending.push_back(batch);
        mChanged.notify_all();
    }

    // One callback for the connection it was made for: waits at the gate, gives up when that
    // connection has ended. False when it was not made.
    bool Deliver(const ParamValues& batch, uint64_t connection) {
        std::unique_lock<std::mutex> lock(mLock);
        mChanged.wait(lock, [&] { return mGateOpen || mStopping || mConnection != connection; });
        if (mStopping || mConnection != connection || !mConnected) {
            return false;
        }
        const DeviceValuesCallback callback = mCallback;
        void* const context = mContext;
        ++mInFlight;
        ++mCallbackCount;
        mCallbackThreads.push_back(std::this_thread::get_id());
        lock.unlock();
        callback(context, 0, &batch);
        lock.lock();
        mCallbackThreads.erase(
            std::find(mCallbackThreads.begin(), mCallbackThreads.end(), std::this_thread::get_id()));
        --mInFlight;
        mChanged.notify_all();
        return true;
    }

    void DeliveryLoop() {
        std::unique_lock<std::mutex> lock(mLock);
        for (;;) {
            mChanged.wait(lock, [this] { return mStopping || !mPending.empty(); });
            if (mStopping) {
                return;
            }
            const ParamValues batch = mPending.front();
            mPending.pop_front();
            const uint64_t connection = mConnection;
            const uint32_t delay = mDelay;
            mDelivering = true;
            lock.unlock();
            if (delay != 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            }
            Deliver(batch, connection);
            lock.lock();
            mDelivering = false;
            mChanged.notify_all();
        }
    }

    // Disconnects and joins every thread of the simulator; it may be used again afterwards.
    void StopThreads() {
        std::thread delivery;
        std::vector<std::thread> storms;
        {
            std::unique_lock<std::mutex> lock(mLock);
            DisconnectLocked(lock);
            mStopping = true;
            mChanged.notify_all();
            delivery.swap(mDeliveryThread);
            storms.swap(mStormThreads);
        }
        if (delivery.joinable()) {
            delivery.join();
        }
        for (std::thread& thread : storms) {
            thread.join();
        }
        std::lock_guard<std::mutex> guard(mLock);
        mStopping = false;
    }

    std::mutex mLock;
    std::condition_variable mChanged;

    std::optional<int32_t> mResults[kEntryPointCount];
    int32_t mCalls[kEntryPointCount] = {};
    Variant mLastArguments[kEntryPointCount];

    Variant mDevices;
    Variant mNextDevices;
    uint32_t mNextDevicesFrom = 0;

    bool mConnected = false;
    DeviceValuesCallback mCallback = nullptr;
    void* mContext = nullptr;
    // Counts connections, so that a callback meant for an ended one is never made.
    uint64_t mConnection = 0;
    int32_t mInFlight = 0;
    // The threads running a callback now.
    std::vector<std::thread::id> mCallbackThreads;
    uint32_t mCallbackCount = 0;

    ParamValues mStore;
    std::deque<ParamValues> mPending;
    bool mDelivering = false;
    bool mGateOpen = true;
    uint32_t mDelay = 0;
    uint32_t mBatchSize = kDefaultBatchSize;
    bool mEcho = false;
    bool mStopping = false;

    std::thread mDeliveryThread;
    std::vector<std::thread> mStormThreads;
};

Simulator& Sim() {
    return Simulator::Get();
}

std::vector<ParamDescriptor> DescriptorsOf(const ParamDescriptors* list) {
    std::vector<ParamDescriptor> descriptors;
    if (list == nullptr) {
        return descriptors;
    }
    const uint32_t count = list->GetListCount();
    for (uint32_t i = 0; i < count; ++i) {
        ParamDescriptor descriptor;
        if (list->GetDescriptorAt(i, descriptor.paramID, descriptor.qualifier) == 0) {
            descriptors.push_back(descriptor);
        }
    }
    return descriptors;
}

std::vector<ParamDescriptor> DescriptorsOf(const ParamRanges* ranges) {
    std::vector<ParamDescriptor> descriptors;
    if (ranges == nullptr) {
        return descriptors;
    }
    const uint32_t count = ranges->GetListCount();
    for (uint32_t i = 0; i < count; ++i) {
        ParamRange range{};
        if (ranges->GetRangeAt(i, range) != 0) {
            continue;
        }
        const int32_t ids = std::min(range.count, kMaxRangeCount);
        for (int32_t k = 0; k < ids; ++k) {
            descriptors.emplace_back(static_cast<int32_t>(static_cast<uint32_t>(range.firstParamID) + k));
        }
    }
    return descriptors;
}

Variant DescriptorArguments(const Variant* deviceId, const ParamDescriptor* descriptor) {
    return ListOf({CopyOf(deviceId), descriptor != nullptr ? Int32Value(descriptor->paramID) : Variant(),
                   descriptor != nullptr ? descriptor->qualifier : Variant()});
}

}  // namespace

QV_DCCI_EXPORT int32_t DCCI_FindDevices(int32_t a, int32_t b, int32_t c) {
    int32_t result = 0;
    Sim().Begin(kFindDevices, ListOf({Int32Value(a), Int32Value(b), Int32Value(c)}), result);
    return result;
}

QV_DCCI_EXPORT int32_t DCCI_FindRemoteDevices(const QV::_GUID* /*guids*/, uint32_t guidCount,
                                              Variant* devices, int32_t flag) {
    int32_t result = 0;
    if (Sim().Begin(kFindRemoteDevices, ListOf({UInt32Value(guidCount), Int32Value(flag)}), result)) {
        return result;
    }
    return Sim().FindRemoteDevices(devices);
}

QV_DCCI_EXPORT int32_t DCCI_ConnectDevice(const Variant* deviceId, DeviceValuesCallback callback,
                                          void* context) {
    int32_t result = 0;
    if (Sim().Begin(kConnectDevice, ListOf({CopyOf(deviceId)}), result)) {
        return result;
    }
    return Sim().Connect(deviceId, callback, context);
}

QV_DCCI_EXPORT int32_t DCCI_RequestParamRanges(const Variant* deviceId, const ParamRanges* ranges) {
    int32_t result = 0;
    if (Sim().Begin(kRequestParamRanges, ListOf({CopyOf(deviceId), CopyOf(ranges)}), result)) {
        return result;
    }
    return Sim().Request(deviceId, DescriptorsOf(ranges));
}

QV_DCCI_EXPORT int32_t DCCI_RequestParamValues(const Variant* deviceId, const ParamDescriptors* descriptors) {
    int32_t result = 0;
    if (Sim().Begin(kRequestParamValues, ListOf({CopyOf(deviceId), CopyOf(descriptors)}), result)) {
        return result;
    }
    return Sim().Request(deviceId, DescriptorsOf(descriptors));
}

QV_DCCI_EXPORT int32_t DCCI_GetParamRanges(const Variant* deviceId, int32_t a, int32_t b) {
    int32_t result = 0;
    Sim().Begin(kGetParamRanges, ListOf({CopyOf(deviceId), Int32Value(a), Int32Value(b)}), result);
    return result;
}

QV_DCCI_EXPORT int32_t DCCI_GetParamValues(const Variant* deviceId, int32_t a, int32_t b) {
    int32_t result = 0;
    Sim().Begin(kGetParamValues, ListOf({CopyOf(deviceId), Int32Value(a), Int32Value(b)}), result);
    return result;
}

QV_DCCI_EXPORT int32_t DCCI_GetParamValue(const Variant* deviceId, const ParamDescriptor* descriptor,
                                          Variant* value) {
    int32_t result = 0;
    if (Sim().Begin(kGetParamValue, DescriptorArguments(deviceId, descriptor), result)) {
        return result;
    }
    return Sim().GetValue(deviceId, descriptor, value);
}

QV_DCCI_EXPORT int32_t DCCI_SetParamValue(const Variant* deviceId, const ParamDescriptor* descriptor,
                                          const Variant* value) {
    const Variant arguments =
        ListOf({CopyOf(deviceId), descriptor != nullptr ? Int32Value(descriptor->paramID) : Variant(),
                descriptor != nullptr ? descriptor->qualifier : Variant(), CopyOf(value)});
    int32_t result = 0;
    if (Sim().Begin(kSetParamValue, arguments, result)) {
        return result;
    }
    if (descriptor == nullptr || value == nullptr) {
        return kFailed;
    }
    return Sim().SetValues(deviceId, {ParamValue(descriptor->paramID, descriptor->qualifier, *value)});
}

#ifndef DEVICE_CONTROL_SIMULATOR_WITHOUT_SET_PARAM_VALUES
QV_DCCI_EXPORT int32_t DCCI_SetParamValues(const Variant* deviceId, const ParamValues* values) {
    int32_t result = 0;
    if (Sim().Begin(kSetParamValues, ListOf({CopyOf(deviceId), CopyOf(values)}), result)) {
        return result;
    }
    if (values == nullptr) {
        return kFailed;
    }
    std::vector<ParamValue> items;
    const uint32_t count = values->GetListCount();
    for (uint32_t i = 0; i < count; ++i) {
        ParamValue item;
        if (values->GetItem(i, item.value, item.descriptor.paramID, item.descriptor.qualifier) != 0) {
            return kFailed;
        }
        items.push_back(item);
    }
    return Sim().SetValues(deviceId, items);
}
#endif

QV_DCCI_EXPORT int32_t DCCI_DisconnectDevice(const Variant* deviceId) {
    int32_t result = 0;
    if (Sim().Begin(kDisconnectDevice, ListOf({CopyOf(deviceId)}), result)) {
        return result;
    }
    return Sim().Disconnect();
}

QV_DCCI_EXPORT int32_t DCCI_IsDeviceConnected(const Variant* deviceId) {
    int32_t result = 0;
    if (Sim().Begin(kIsDeviceConnected, ListOf({CopyOf(deviceId)}), result)) {
        return result;
    }
    return Sim().IsConnected(deviceId);
}

QV_DCCI_EXPORT int32_t DCCI_GetDeviceInfo(const Variant* deviceId, DeviceInfo* info) {
    int32_t result = 0;
    if (Sim().Begin(kGetDeviceInfo, ListOf({CopyOf(deviceId)}), result)) {
        return result;
    }
    return Sim().GetDeviceInfo(deviceId, info);
}

QV_DCCI_EXPORT int32_t DCCI_ReleaseAll() {
    int32_t result = 0;
    if (Sim().Begin(kReleaseAll, Variant(), result)) {
        return result;
    }
    return Sim().ReleaseAll();
}

DCSIM_EXPORT int32_t DCSIM_Reset() {
    return Sim().Reset();
}

DCSIM_EXPORT int32_t DCSIM_SetResult(const char* entryPoint, int32_t result) {
    return Sim().SetResult(entryPoint, result);
}

DCSIM_EXPORT int32_t DCSIM_GetCallCount(const char* entryPoint) {
    return Sim().GetCallCount(entryPoint);
}

DCSIM_EXPORT int32_t DCSIM_GetLastArguments(const char* entryPoint, Variant* arguments) {
    return Sim().GetLastArguments(entryPoint, arguments);
}

DCSIM_EXPORT int32_t DCSIM_SetRemoteDevices(const Variant* devices, uint32_t fromCall) {
    return Sim().SetRemoteDevices(devices, fromCall);
}

DCSIM_EXPORT int32_t DCSIM_SetBatchSize(uint32_t values) {
    return Sim().SetBatchSize(values);
}

DCSIM_EXPORT int32_t DCSIM_SetDeliveryDelay(uint32_t milliseconds) {
    return Sim().SetDeliveryDelay(milliseconds);
}

DCSIM_EXPORT int32_t DCSIM_SetGate(int32_t open) {
    return Sim().SetGate(open != 0);
}

DCSIM_EXPORT int32_t DCSIM_SetEcho(int32_t on) {
    return Sim().SetEcho(on != 0);
}

DCSIM_EXPORT int32_t DCSIM_SendValues(const Variant* values) {
    return Sim().SendValues(values);
}

DCSIM_EXPORT int32_t DCSIM_StartStorm(uint32_t threads, uint32_t batches) {
    return Sim().StartStorm(threads, batches);
}

DCSIM_EXPORT int32_t DCSIM_WaitStorm() {
    return Sim().WaitStorm();
}

DCSIM_EXPORT int32_t DCSIM_WaitIdle(uint32_t milliseconds) {
    return Sim().WaitIdle(milliseconds);
}

DCSIM_EXPORT int32_t DCSIM_GetCallbackCount() {
    return Sim().GetCallbackCount();
}

DCSIM_EXPORT int32_t DCSIM_GetCallbacksInFlight() {
    return Sim().GetCallbacksInFlight();
}
