#pragma once

#include <cstdint>

#include "Platform/Threads/WaitableEvent.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

// An event embedded in its owner. Auto-reset: a successful wait consumes the signal.
// Manual-reset: signalled until Reset. Set, Reset and Wait may be called from any thread; a
// failed creation leaves a null handle, on which Set and Reset return false and Wait
// returns WAIT_FAILED.
class Event {
public:
    static constexpr uint32_t WAIT_OBJECT_0 = QV::WAIT_OBJECT_0;
    static constexpr uint32_t INFINITE = QV::INFINITE;
    static constexpr uint32_t MAXIMUM_WAIT_OBJECTS = Platform::MAXIMUM_WAIT_OBJECTS;
    static constexpr uint32_t WAIT_ABANDONED = 128;
    static constexpr uint32_t WAIT_ABANDONED_0 = 128;
    static constexpr uint32_t WAIT_TIMEOUT = QV::WAIT_TIMEOUT;
    static constexpr uint32_t WAIT_FAILED = QV::WAIT_FAILED;

    explicit Event(bool autoReset);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    virtual ~Event();

    bool Set();
    bool Reset();
    // WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
    uint32_t Wait(uint32_t milliseconds);
    Platform::EventHandle GetHandle() const { return mHandle; }

private:
    Platform::EventHandle mHandle;
};

// A manual-reset event used as a gate: red (not signalled) until Set, green until Reset.
class TrafficLight : public Event {
public:
    TrafficLight() : Event(false) {}

    // Non-zero on success.
    int Set() { return Event::Set() ? 1 : 0; }
    int Reset() { return Event::Reset() ? 1 : 0; }
    // Polls without consuming; a failed poll reads as set.
    bool IsSet() { return Wait(0) != WAIT_TIMEOUT; }
};

// The shared event handed between objects; always auto-reset.
class LEvent : public virtual LRefCountedObject {
public:
    // The flag is not consulted: every event made here is auto-reset.
    static RCPtr<LEvent> Create(bool autoReset);
    ~LEvent() override;

    bool Set();
    bool Reset();
    uint32_t Wait(uint32_t milliseconds);
    Platform::EventHandle GetHandle() const { return mHandle; }

private:
    LEvent();

    Platform::EventHandle mHandle;
};

}  // namespace QV
