#include "UITestSupport/ScriptedEventSource.h"

namespace QV {

void ScriptedEventSource::PushUser(uint32_t type, uint32_t windowId, int32_t code) {
    SDL_Event event{};
    event.type = type;
    event.user.windowID = windowId;
    event.user.code = code;
    Push(event);
}

bool ScriptedEventSource::PollEvent(SDL_Event& event) {
    if (mQueue.empty()) {
        return false;
    }
    event = mQueue.front();
    mQueue.pop_front();
    return true;
}

bool ScriptedEventSource::WaitEvent(SDL_Event& event) {
    if (PollEvent(event)) {
        return true;
    }
    if (ticks.load() >= maxTicks) {
        return false;
    }
    nowMs += kTickPeriodMs;
    const int32_t tick = ++ticks;
    if (onTick) {
        onTick(tick);
    }
    event = SDL_Event{};
    event.type = kTickType;
    return true;
}

}  // namespace QV
