// Latency from QueueWork to the start of the work item on an idle one-thread pool: the path
// every captured MIDI message takes. Each iteration waits for the slot to be idle again, so
// every item is dispatched straight to the slot.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "RIZozivirod/System/ThreadPool.h"

namespace {

using Clock = std::chrono::steady_clock;

class StampWorker : public QV::LThreadWorker {
public:
    int DoWork(QV::RCPtr<QV::LRefCountedObject>&) override {
        startedAt = Clock::now();
        started.Set();
        return 0;
    }
    Clock::time_point startedAt;
    QV::Event started{true};
};

void QueueWorkToStart_IdleOneThreadPool(benchmark::State& state) {
    QV::RCPtr<QV::LThreadPool> pool = QV::LThreadPool::Create(1, QV::Thread::THREAD_PRIORITY_HIGHEST);
    QV::RCPtr<StampWorker> worker(new StampWorker());
    std::vector<double> latencies;
    latencies.reserve(1 << 16);
    for (auto _ : state) {
        const Clock::time_point queuedAt = Clock::now();
        pool->QueueWork(worker, nullptr, QV::Thread::THREAD_PRIORITY_NORMAL);
        worker->started.Wait(QV::Event::INFINITE);
        const double seconds = std::chrono::duration<double>(worker->startedAt - queuedAt).count();
        state.SetIterationTime(seconds);
        latencies.push_back(seconds * 1e6);
        while (pool->IsSlotBusy(0)) {
        }
    }
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        state.counters["median_us"] = latencies[latencies.size() / 2];
        state.counters["p99_us"] = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
    }
    pool->Shutdown();
}
BENCHMARK(QueueWorkToStart_IdleOneThreadPool)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
