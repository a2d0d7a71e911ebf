#include <benchmark/benchmark.h>

#include <boost/signals2/signal.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/Notification/NotificationQueue.h"
#include "RIZozivirod/Utilities/Storage/Allocator.h"

// Synchronous delivery to 1, 4 and 16 clients against the plain ways of calling that many
// receivers and against a thread-safe signal library (Boost.Signals2) emitting to as many
// slots; posting and draining through a queue; and the pooled life of a notification.

namespace {

using QV::LNotification;
using QV::LNotificationClient;
using QV::LNotificationDistributor;
using QV::LNotificationQueue;
using QV::RCPtr;

class CountingClient : public LNotificationClient {
public:
    void ReceiveNotification(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override {
        ++mReceived;
    }
    int64_t mReceived = 0;
};

class Sender : public LNotificationDistributor {};

struct Audience {
    RCPtr<Sender> sender{new Sender};
    std::vector<RCPtr<CountingClient>> clients;

    explicit Audience(int64_t count) {
        for (int64_t i = 0; i < count; ++i) {
            clients.emplace_back(new CountingClient);
            clients.back()->RegisterForNotification(sender, u"NID_VALUE_CHANGE", 0);
        }
    }
    ~Audience() {
        for (RCPtr<CountingClient>& client : clients) {
            client->UnregisterAll();
        }
    }
};

void BM_Notify(benchmark::State& state) {
    Audience audience(state.range(0));
    const RCPtr<LNotification> n = LNotification::Create(u"NID_VALUE_CHANGE");
    for (auto _ : state) {
        audience.sender->Notify(n);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

class IReceiver {
public:
    virtual ~IReceiver() = default;
    virtual void Receive(const LNotification& n) = 0;
};

class PlainReceiver : public IReceiver {
public:
    void Receive(const LNotification& n) override { benchmark::DoNotOptimize(n.GetID()); }
};

void BM_VirtualCallList(benchmark::State& state) {
    std::vector<std::unique_ptr<IReceiver>> receivers;
    for (int64_t i = 0; i < state.range(0); ++i) {
        receivers.push_back(std::make_unique<PlainReceiver>());
    }
    const RCPtr<LNotification> n = LNotification::Create(u"NID_VALUE_CHANGE");
    for (auto _ : state) {
        for (auto it = receivers.rbegin(); it != receivers.rend(); ++it) {
            (*it)->Receive(*n);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_FunctionCallList(benchmark::State& state) {
    std::vector<std::function<void(const LNotification&)>> receivers;
    for (int64_t i = 0; i < state.range(0); ++i) {
        receivers.emplace_back([](const LNotification& n) { benchmark::DoNotOptimize(n.GetID()); });
    }
    const RCPtr<LNotification> n = LNotification::Create(u"NID_VALUE_CHANGE");
    for (auto _ : state) {
        for (auto it = receivers.rbegin(); it != receivers.rend(); ++it) {
            (*it)(*n);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same delivery through a thread-safe signal with one counting slot per client.
void BM_Signals2Emit(benchmark::State& state) {
    boost::signals2::signal<void(const LNotification&)> signal;
    std::vector<int64_t> received(static_cast<size_t>(state.range(0)));
    for (int64_t& count : received) {
        signal.connect([&count](const LNotification&) { ++count; });
    }
    const RCPtr<LNotification> n = LNotification::Create(u"NID_VALUE_CHANGE");
    for (auto _ : state) {
        signal(*n);
    }
    benchmark::DoNotOptimize(received.data());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Posts a batch by identifier with pooling on, then drains it to one client.
void BM_PostThenDrain(benchmark::State& state) {
    LNotification::EnablePooling(true);
    const char16_t* const id = QV::GetNotificationID(u"NID_VALUE_CHANGE");
    Audience audience(1);
    RCPtr<LNotificationQueue> queue(new LNotificationQueue);
    queue->SetTargetDistributor(audience.sender);
    for (auto _ : state) {
        for (int64_t i = 0; i < state.range(0); ++i) {
            queue->PostNotification(id, nullptr);
        }
        queue->ProcessQueue(false);
    }
    queue->Close();
    state.SetItemsProcessed(state.iterations() * state.range(0));
    LNotification::EnablePooling(false);
}

// Create and release with pooling on. After the warm-up no notification is made afresh (the
// same object comes back every time) and the system allocator sees no call.
void BM_PooledCreateRelease(benchmark::State& state) {
    LNotification::EnablePooling(true);
    const char16_t* const id = QV::GetNotificationID(u"NID_MOUSE_MOVE");
    const LNotification* previous = LNotification::Create(id).Get();
    const QV::SystemAllocator::Stats before = QV::GetSystemAllocator().GetStats();
    int64_t fresh = 0;
    for (auto _ : state) {
        const RCPtr<LNotification> n = LNotification::Create(id);
        fresh += n.Get() != previous ? 1 : 0;
        previous = n.Get();
    }
    const QV::SystemAllocator::Stats after = QV::GetSystemAllocator().GetStats();
    state.counters["fresh_notifications"] = static_cast<double>(fresh);
    state.counters["allocator_calls"] = static_cast<double>(after.Allocations() - before.Allocations());
    if (fresh != 0 || after.Allocations() != before.Allocations()) {
        state.SkipWithError("heap traffic after warm-up");
    }
    LNotification::EnablePooling(false);
}

}  // namespace

BENCHMARK(BM_Notify)->Arg(1)->Arg(4)->Arg(16);
BENCHMARK(BM_VirtualCallList)->Arg(1)->Arg(4)->Arg(16);
BENCHMARK(BM_FunctionCallList)->Arg(1)->Arg(4)->Arg(16);
BENCHMARK(BM_Signals2Emit)->Arg(1)->Arg(4)->Arg(16);
BENCHMARK(BM_PostThenDrain)->Arg(1)->Arg(64)->Arg(1024);
BENCHMARK(BM_PooledCreateRelease);
