#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "RIZozivirod/Application/Windows/MessageLoop.h"

namespace QV {

// An event queue for loop tests. Events are queued by the test (or by handlers while the loop
// runs) and handed to dispatch (by default to their host window). When the loop sleeps with
// nothing queued, the manual clock moves on by the time the loop asked to sleep (kTickPeriodMs
// when it asked for no limit): that is one tick, and onTick runs. After maxTicks ticks Wait
// answers false, which ends a loop that would otherwise sleep for ever.
class ScriptedEventSource : public IEventSource {
public:
    static constexpr uint32_t kTickPeriodMs = 33;

    void Push(const SDL_Event& event) { mQueue.push_back(event); }
    void PushUser(uint32_t type, uint32_t windowId = 0, int32_t code = 0);

    bool DispatchNext() override;
    bool Wait(int32_t timeoutMs) override;
    void Wake() override { woken = true; }
    uint32_t GetTimeMs() override { return nowMs.load(); }

    // Where events go; unset: to the host window of their window id.
    std::function<void(const SDL_Event& event)> dispatch;
    // Called at each tick (tests start work "while idle" here).
    std::function<void(int32_t tick)> onTick;
    int32_t maxTicks = 100;
    std::atomic<uint32_t> nowMs{0};
    std::atomic<int32_t> ticks{0};
    std::atomic<bool> woken{false};
    // The time-out of every sleep, in order (-1: no limit).
    std::vector<int32_t> sleeps;

private:
    std::deque<SDL_Event> mQueue;
};

}  // namespace QV
