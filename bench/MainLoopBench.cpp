// How long a notification posted on a worker thread waits to be handled on the user-interface
// thread while the loop sleeps with nothing to do. The loop runs on SDL's own queue (on the X
// display when there is one, else on the offscreen driver, whose wait looks at the queue every
// millisecond); the post wakes it. Each iteration posts once, at a random moment; the reported
// time is that one delay, with the median and the 99th percentile as counters. Before the loop
// woke on posts, the delay was the rest of a 33 ms timer period: about 16 ms at the median.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "RIZozivirod/Application/Windows/MessageLoop.h"
#include "RIZozivirod/Application/Windows/OSWindow.h"
#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationCenter.h"

namespace {

using Clock = std::chrono::steady_clock;

class EditListener : public QV::LNotificationClient {
public:
    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>&,
                             const QV::RCPtr<QV::LNotification>&) override {
        handledAt = Clock::now();
        loop->Quit(0);
    }
    QV::MessageLoop* loop = nullptr;
    Clock::time_point handledAt;
};

void BM_WorkerEditToHandledWhileIdle(benchmark::State& state) {
    if (SDL_getenv("DISPLAY") == nullptr) {
        SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        state.SkipWithError("SDL's video could not start");
        return;
    }
    // The X driver sleeps in its display connection only while a window exists.
    SDL_Window* window = SDL_CreateWindow("loop", 0, 0, 16, 16, SDL_WINDOW_HIDDEN);
    {
        const std::unique_ptr<QV::IEventSource> source = QV::OSWindow::CreateEventSource();
        QV::MessageLoop loop(*source);
        loop.SetIdleHandler([](int32_t count) {
            const bool more = QV::LNotificationCenterManager::GetInstance()->ProcessNotifications(count == 0);
            return more && count < 2;
        });
        QV::RCPtr<EditListener> listener(new EditListener());
        listener->loop = &loop;
        listener->RegisterForNotification(QV::GetMainNotificationCenter(), u"NID_BENCH_EDIT", 0);
        std::mt19937 random(7);
        std::uniform_int_distribution<int> delayUs(1000, 20000);
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
    SDL_DestroyWindow(window);
    SDL_Quit();
}
BENCHMARK(BM_WorkerEditToHandledWhileIdle)->UseManualTime()->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace
