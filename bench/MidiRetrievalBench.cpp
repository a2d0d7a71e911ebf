// The in-process part of a preset retrieval: from the moment the keyboard's 182-byte dump
// leaves the virtual MIDI device to GetPresetFromMidiDevice returning 0. It covers the driver
// thread filling the input buffers, the port layer's assembly, the hand-over to the pool
// thread, the 37 values going into the engine and the wake-up of the waiting thread. On a
// MIDI cable the dump alone takes 182 bytes x 10 bits / 31250 baud = 58.24 ms; the counter
// cable_ms shows it beside the measured median and p99.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"
#include "Engine/PresetEditorCommon/MidiManager.h"
#include "Engine/PresetEditorCommon/RootModuleEngine.h"
#include "Platform/Midi/MidiVirtual.h"
#include "Platform/Midi/SimulatedKeyboard.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"

namespace {

using Clock = std::chrono::steady_clock;
using MidiTestSupport::SimulatedKeyboard;

// The engine over an interface without library: every value lives in the cache.
class OfflineEngine : public LRootModuleEngine {
public:
    static QV::RCPtr<OfflineEngine> Create() { return QV::RCPtr<OfflineEngine>(new OfflineEngine()); }

protected:
    QV::RCPtr<LDeviceCommunicationInterface> CreateCommunicationInterface() override {
        return LDeviceCommunicationInterface::Create(u"/nonexistent/libDeviceControlClient.so");
    }

private:
    OfflineEngine() : LRootModuleEngine(GetSystemEngineClock()) {}
};

void MidiPresetRetrieval_DumpToReturn(benchmark::State& state) {
    auto system = Platform::VirtualMidiSystem::Create();
    Platform::ScopedMidiSystem installed(system);
    SimulatedKeyboard keyboard(*system);
    QV::RCPtr<LRootModuleEngine> engine(OfflineEngine::Create());
    engine->Initialize(0);
    SetRootModuleEngine(engine);
    QV::RCPtr<QV::LNotificationCenter> centre = QV::GetMainNotificationCenter();
    QV::RCPtr<QV::LMidiManager> manager = QV::LMidiManager::Create();

    // Two presets that differ in every byte, retrieved in turn, so every retrieval changes all
    // 37 values.
    MidiTestSupport::Bytes other = SimulatedKeyboard::DefaultPreset();
    for (uint8_t& byte : other) {
        byte = static_cast<uint8_t>((byte + 1) & 0x7F);
    }
    keyboard.SetSlot(1, other);

    std::vector<double> latencies;
    int64_t failures = 0;
    int32_t slot = 0;
    for (auto _ : state) {
        const int32_t result = manager->GetPresetFromMidiDevice(slot);
        const Clock::time_point returned = Clock::now();
        const double seconds = std::chrono::duration<double>(returned - keyboard.GetLastReplyTime()).count();
        state.SetIterationTime(seconds);
        if (result == 0) {
            latencies.push_back(seconds * 1e6);
        } else {
            ++failures;
        }
        slot = 1 - slot;
        state.PauseTiming();
        // What the user interface would pick up on its next idle pass.
        centre->ProcessQueue(false);
        state.ResumeTiming();
    }
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        state.counters["median_us"] = latencies[latencies.size() / 2];
        state.counters["p99_us"] = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
    }
    state.counters["cable_ms"] = 182.0 * 10.0 / 31250.0 * 1000.0;
    state.counters["failures"] = static_cast<double>(failures);
    manager = nullptr;
    SetRootModuleEngine(nullptr);
    centre->DiscardPendingNotifications();
}
BENCHMARK(MidiPresetRetrieval_DumpToReturn)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace
