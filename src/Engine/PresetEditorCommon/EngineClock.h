#pragma once

#include <cstdint>
#include <memory>

#include "RIZozivirod/System/Event.h"

// The time the device engine waits on: the pauses of its polling loop (its own and those between
// the communication interface's searches) and its wait for a polling run to end. The engine takes
// every such wait through one clock object, so tests put a clock of their own in its place and
// run the polling scenarios without real waiting. Implementations are called from several threads
// at once.
class IEngineClock {
public:
    virtual ~IEngineClock() = default;

    // A pause of the polling loop: ends after the time, or at once when wake is set (the signal is
    // consumed). True when it was woken.
    virtual bool Pause(QV::LEvent& wake, uint32_t milliseconds) = 0;
    // Waits until the event is set or the time has passed: WAIT_OBJECT_0 (the signal is consumed),
    // WAIT_TIMEOUT or WAIT_FAILED.
    virtual uint32_t WaitForEvent(QV::LEvent& event, uint32_t milliseconds) = 0;
    // Milliseconds since an arbitrary start; never goes back.
    virtual uint64_t Now() = 0;
};

// The operating system's sleep, waits and monotonic time. Process-wide, never destroyed.
std::shared_ptr<IEngineClock> GetSystemEngineClock();
