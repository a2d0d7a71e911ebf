#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>

#include "RIZozivirod/Application/Windows/MessageLoop.h"

namespace QV {

// An event queue for loop tests. Events are queued by the test (or by handlers while the loop
// runs); when the loop waits on an empty queue, the manual clock moves on to the next tick of a
// 33 ms timer and a tick event of kTickType arrives. After maxTicks ticks WaitEvent answers
// false, which ends a loop that would otherwise wait for ever.
class ScriptedEventSource : public IEventSource {
public:
    static constexpr uint32_t kTickType = SDL_USEREVENT + 100;
    static constexpr uint32_t kTickPeriodMs = 33;

    void Push(const SDL_Event& event) { mQueue.push_back(event); }
    void PushUser(uint32_t type, uint32_t windowId = 0, int32_t code = 0);

    bool PollEvent(SDL_Event& event) override;
    bool HasEvent() override { return !mQueue.empty(); }
    bool WaitEvent(SDL_Event& event) override;

    // Called at each tick before its event is handed out (tests start work "while idle" here).
    std::function<void(int32_t tick)> onTick;
    int32_t maxTicks = 100;
    std::atomic<uint32_t> nowMs{0};
    std::atomic<int32_t> ticks{0};

private:
    std::deque<SDL_Event> mQueue;
};

}  // namespace QV
