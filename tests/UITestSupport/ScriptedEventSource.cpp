#include "UITestSupport/ScriptedEventSource.h"

#include "RIZozivirod/Application/Windows/OSWindow.h"
#include "RIZozivirod/ControlBase/Control.h"
#include "UITestSupport/SdlOffscreen.h"

namespace QV {

void ScriptedEventSource::PushUser(uint32_t type, uint32_t windowId, int32_t code) {
    SDL_Event event{};
    event.type = type;
    event.user.windowID = windowId;
    event.user.code = code;
    Push(event);
}

bool ScriptedEventSource::DispatchNext() {
    if (mQueue.empty()) {
        return false;
    }
    const SDL_Event event = mQueue.front();
    mQueue.pop_front();
    if (dispatch) {
        dispatch(event);
    } else {
        DispatchSdlEvent(event);
    }
    return true;
}

bool ScriptedEventSource::Wait(int32_t timeoutMs) {
    sleeps.push_back(timeoutMs);
    if (!mQueue.empty() || woken.exchange(false)) {
        return true;
    }
    if (ticks.load() >= maxTicks) {
        return false;
    }
    nowMs += timeoutMs < 0 ? kTickPeriodMs : static_cast<uint32_t>(timeoutMs);
    const int32_t tick = ++ticks;
    if (onTick) {
        onTick(tick);
    }
    return true;
}

}  // namespace QV
