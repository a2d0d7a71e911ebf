// How long an edit posted on a worker thread waits for its notification to be handled on the
// user-interface thread while the loop is idle: the loop sleeps until the next tick of its 33 ms
// timer, then its idle pass drains the centres. Each iteration posts once, at a random moment of
// the timer's period; the reported time is that one delay, with the median and the 99th
// percentile of all iterations as counters.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "RIZozivirod/Application/Windows/MessageLoop.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationCenter.h"

namespace {

using Clock = std::chrono::steady_clock;

// The idle loop's queue: nothing arrives but a timer tick every 33 ms (as the host window's
// timer gives the real loop) and the end request.
class TickingSource : public QV::IEventSource {
public:
    bool PollEvent(SDL_Event& event) override {
        std::lock_guard hold(mLock);
        return TakeLocked(event);
    }
    bool HasEvent() override {
        std::lock_guard hold(mLock);
        return mEnd || Clock::now() >= mNextTick;
    }
    bool WaitEvent(SDL_Event& event) override {
        std::unique_lock hold(mLock);
        mWake.wait_until(hold, mNextTick, [this] { return mEnd; });
        if (!TakeLocked(event)) {
            event = SDL_Event{};
            event.type = SDL_USEREVENT;
            mNextTick += std::chrono::milliseconds(33);
        }
        return true;
    }
    void End() {
        std::lock_guard hold(mLock);
        mEnd = true;
        mWake.notify_all();
    }

private:
    bool TakeLocked(SDL_Event& event) {
        if (mEnd) {
            mEnd = false;
            event = SDL_Event{};
            event.type = SDL_USEREVENT + 1;
            return true;
        }
        if (Clock::now() >= mNextTick) {
            mNextTick += std::chrono::milliseconds(33);
            event = SDL_Event{};
            event.type = SDL_USEREVENT;
            return true;
        }
        return false;
    }

    std::mutex mLock;
    std::condition_variable mWake;
    Clock::time_point mNextTick = Clock::now() + std::chrono::milliseconds(33);
    bool mEnd = false;
};

class EditListener : public QV::LNotificationClient {
public:
    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>&,
                             const QV::RCPtr<QV::LNotification>&) override {
        handledAt = Clock::now();
        source->End();
    }
    TickingSource* source = nullptr;
    Clock::time_point handledAt;
};

void BM_WorkerEditToHandledWhileIdle(benchmark::State& state) {
    TickingSource source;
    QV::MessageLoop loop(source, [](int32_t count) {
        const bool more = QV::LNotificationCenterManager::GetInstance()->ProcessNotifications(count == 0);
        return more && count < 2;
    });
    loop.SetUnclaimedEventHandler([&loop](const SDL_Event& event) {
        if (event.type == SDL_USEREVENT + 1) {
            loop.PostQuit(0);
        }
    });
    QV::RCPtr<EditListener> listener(new EditListener());
    listener->source = &source;
    listener->RegisterForNotification(QV::GetMainNotificationCenter(), u"NID_BENCH_EDIT", 0);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> delayUs(0, 33000);
    std::vector<double> delays;
    for (auto _ : state) {
        Clock::time_point postedAt;
        std::thread worker([&] {
            std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
            postedAt = Clock::now();
            QV::GetMainNotificationCenter()->PostNotification(u"NID_BENCH_EDIT", nullptr);
        });
        loop.Run();
        worker.join();
        const double seconds = std::chrono::duration<double>(listener->handledAt - postedAt).count();
        delays.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    listener->UnregisterAll();
    std::sort(delays.begin(), delays.end());
    if (!delays.empty()) {
        state.counters["median_ms"] = delays[delays.size() / 2] * 1000.0;
        state.counters["p99_ms"] = delays[std::min(delays.size() - 1, delays.size() * 99 / 100)] * 1000.0;
    }
}
BENCHMARK(BM_WorkerEditToHandledWhileIdle)->UseManualTime()->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace
