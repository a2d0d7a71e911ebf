// The device engine's two hot roads: an edit from the user-interface thread to its delivery on
// that thread's next drain, and a batch of values from the device applied to the model.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"
#include "Engine/PresetEditorCommon/RootModuleEngine.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationDistributor.h"

namespace {

// The engine over an interface without library: every value lives in the cache.
class BenchEngine : public LRootModuleEngine {
public:
    static QV::RCPtr<BenchEngine> Create() { return QV::RCPtr<BenchEngine>(new BenchEngine()); }

    using LRootModuleEngine::GetRootModule;

protected:
    QV::RCPtr<LDeviceCommunicationInterface> CreateCommunicationInterface() override {
        return LDeviceCommunicationInterface::Create(u"/nonexistent/libDeviceControlClient.so");
    }

private:
    BenchEngine() : LRootModuleEngine(GetSystemEngineClock()) {}
};

// Stands for the main control: counts the changes the drain delivers.
class ChangeCounter : public QV::LNotificationClient {
public:
    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& /*sender*/,
                             const QV::RCPtr<QV::LNotification>& /*notification*/) override {
        ++delivered;
    }

    uint64_t delivered = 0;
};

QV::Variant Record(uint8_t fill, uint32_t length) {
    const std::vector<uint8_t> bytes(length, fill);
    QV::Variant value;
    value.SetBlob(bytes.data(), length);
    return value;
}

// A preset-sized batch as the device sends it: every one of the 37 records.
QV::RCPtr<DeviceParamValues> Batch(uint8_t fill) {
    std::vector<QV::ParamValue> values;
    for (int32_t id = 0; id < kDeviceParameterCount; ++id) {
        values.emplace_back(id, QV::Variant(), Record(fill, kDeviceParameterLengths[id]));
    }
    QV::RCPtr<DeviceParamValues> batch = DeviceParamValues::Create();
    QV::ParamDescriptors::SetFromValues(*batch, values.data(), static_cast<uint32_t>(values.size()));
    return batch;
}

struct Setup {
    Setup() : engine(BenchEngine::Create()), counter(new ChangeCounter()) {
        engine->Initialize(0);
        centre = QV::GetMainNotificationCenter();
        centre->ProcessQueue(false);
        counter->RegisterForNotification(centre, u"NID_PARAM_MODULE_STATE_CHANGE", 0);
    }
    ~Setup() {
        centre->ProcessQueue(false);
        counter->UnregisterAll();
    }

    QV::RCPtr<BenchEngine> engine;
    QV::RCPtr<ChangeCounter> counter;
    QV::RCPtr<QV::LNotificationCenter> centre;
};

// One fader edit: stored, posted, and delivered by the drain.
void BM_EditToDelivery(benchmark::State& state) {
    Setup setup;
    const QV::Variant values[2] = {Record(1, 5), Record(2, 5)};
    const QV::ParamDescriptor fader(DEVICE__FADERS__ABSOLUTE_CONTROLLER_1__PARAMETER_LIST);
    uint32_t turn = 0;
    for (auto _ : state) {
        setup.engine->SetParamValue(fader, values[turn ^= 1]);
        setup.centre->ProcessQueue(false);
    }
    if (setup.counter->delivered != static_cast<uint64_t>(state.iterations())) {
        state.SkipWithError("an edit was not delivered");
    }
}
BENCHMARK(BM_EditToDelivery);

// A batch of 37 values from the device, every one a change: stored through the model and posted
// one by one (the drain that delivers them is timed too, so the queue stays short).
void BM_DeviceBatchApplied(benchmark::State& state) {
    Setup setup;
    const QV::RCPtr<DeviceParamValues> batches[2] = {Batch(1), Batch(2)};
    const QV::RCPtr<LRootModule> root = setup.engine->GetRootModule();
    uint32_t turn = 0;
    for (auto _ : state) {
        root->ReceiveDeviceValues(batches[turn ^= 1]);
        setup.centre->ProcessQueue(false);
    }
    state.SetItemsProcessed(state.iterations() * kDeviceParameterCount);
}
BENCHMARK(BM_DeviceBatchApplied);

// The same batch again: nothing changes, nothing is posted.
void BM_DeviceBatchUnchanged(benchmark::State& state) {
    Setup setup;
    const QV::RCPtr<DeviceParamValues> batch = Batch(1);
    const QV::RCPtr<LRootModule> root = setup.engine->GetRootModule();
    root->ReceiveDeviceValues(batch);
    setup.centre->ProcessQueue(false);
    for (auto _ : state) {
        root->ReceiveDeviceValues(batch);
    }
    state.SetItemsProcessed(state.iterations() * kDeviceParameterCount);
}
BENCHMARK(BM_DeviceBatchUnchanged);

}  // namespace
