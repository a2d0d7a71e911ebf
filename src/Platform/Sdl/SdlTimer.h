#pragma once

#include <SDL.h>

#include <cstdint>

namespace Platform {

// A periodic timer whose only effect is an event in SDL's queue: it wakes a loop waiting for
// events, which then runs its idle processing. Each tick pushes one event of the type
// GetEventType with the window id in windowID; a tick is skipped while an earlier one still
// waits in the queue, so a stalled loop does not collect ticks. The tick runs on SDL's timer
// thread and touches nothing of the object, so it may still run while Stop returns.
class SdlTimer {
public:
    // The event type of every timer (registered with SDL on first use); 0 when SDL has no more.
    static uint32_t GetEventType();

    SdlTimer() = default;
    SdlTimer(const SdlTimer&) = delete;
    SdlTimer& operator=(const SdlTimer&) = delete;
    ~SdlTimer() { Stop(); }

    // Starts ticking every periodMs (stopping an earlier start); false when SDL cannot.
    bool Start(uint32_t windowId, uint32_t periodMs);
    void Stop();
    bool IsRunning() const { return mTimer != 0; }

private:
    static uint32_t OnTick(uint32_t interval, void* windowId);

    SDL_TimerID mTimer = 0;
};

}  // namespace Platform
