#pragma once

#include <cstdint>

// Windows-style events for every part of the system that waits: the framework's event types
// and the MIDI port layer use these and nothing else.
//
// An auto-reset event wakes one waiter per signal: the wait that succeeds consumes it. A
// manual-reset event stays signalled, releasing every wait, until it is reset. A wait on
// several events returns the lowest signalled index and consumes only that event's signal.
// Every operation may be called from any thread.
namespace Platform {

struct EventObject;
using EventHandle = EventObject*;

// The most events one wait accepts.
inline constexpr uint32_t MAXIMUM_WAIT_OBJECTS = 64;

// Null when the event cannot be made.
EventHandle CreateEvent(bool manualReset, bool initialState);
// The handle is invalid afterwards; waits already running on it keep the event until they end.
bool CloseEvent(EventHandle event);
bool SetEvent(EventHandle event);
bool ResetEvent(EventHandle event);

// WAIT_OBJECT_0 when signalled within the time (INFINITE: no limit), WAIT_TIMEOUT, or
// WAIT_FAILED for a null handle.
uint32_t WaitForEvent(EventHandle event, uint32_t milliseconds);

// WAIT_OBJECT_0 + the lowest signalled index, WAIT_TIMEOUT, or WAIT_FAILED for no events, more
// than MAXIMUM_WAIT_OBJECTS or a null handle among them.
uint32_t WaitForAnyEvent(uint32_t count, const EventHandle* events, uint32_t milliseconds);

}  // namespace Platform
