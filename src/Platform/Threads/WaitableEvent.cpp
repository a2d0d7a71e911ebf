#include "Platform/Threads/WaitableEvent.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Result.h"

namespace Platform {

namespace {

// One lock for the state of every event: a wait on several events then tests and consumes
// them atomically, so the lowest signalled index is the one that wins. Process-wide, never
// destroyed, so threads still waiting at exit find it.
std::mutex& EventLock() {
    static std::mutex* const lock = new std::mutex();
    return *lock;
}

}  // namespace

// A thread in a wait, woken through its own condition.
struct EventWaiter {
    std::condition_variable wake;
};

struct EventObject {
    bool manualReset = false;
    bool signalled = false;
    // The handle and every running wait; the object ends with the last of them.
    uint32_t users = 1;
    std::vector<EventWaiter*> waiters;
};

namespace {

void DropEventUser(EventObject* event) {
    if (--event->users == 0) {
        delete event;
    }
}

// Takes the signal of the lowest signalled event; -1 when none is.
int TakeSignal(uint32_t count, const EventHandle* events) {
    for (uint32_t i = 0; i < count; ++i) {
        if (events[i]->signalled) {
            if (!events[i]->manualReset) {
                events[i]->signalled = false;
            }
            return static_cast<int>(i);
        }
    }
    return -1;
}

uint32_t Wait(uint32_t count, const EventHandle* events, uint32_t milliseconds) {
    std::unique_lock lock(EventLock());
    int index = TakeSignal(count, events);
    if (index >= 0 || milliseconds == 0) {
        return index >= 0 ? QV::WAIT_OBJECT_0 + static_cast<uint32_t>(index) : QV::WAIT_TIMEOUT;
    }
    std::optional<std::chrono::steady_clock::time_point> deadline;
    if (milliseconds != QV::INFINITE) {
        deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    }
    // The registration keeps the events alive and is undone however the wait ends.
    struct Registration {
        explicit Registration(const EventHandle* registered) : events(registered) {}
        const EventHandle* events;
        uint32_t count = 0;
        EventWaiter waiter;
        ~Registration() {
            for (uint32_t i = 0; i < count; ++i) {
                auto& waiters = events[i]->waiters;
                waiters.erase(std::find(waiters.begin(), waiters.end(), &waiter));
                DropEventUser(events[i]);
            }
        }
    } registration(events);
    EventWaiter& waiter = registration.waiter;
    for (uint32_t i = 0; i < count; ++i) {
        events[i]->waiters.push_back(&waiter);
        ++events[i]->users;
        registration.count = i + 1;
    }
    while (index < 0) {
        if (!deadline) {
            waiter.wake.wait(lock);
        } else if (waiter.wake.wait_until(lock, *deadline) == std::cv_status::timeout) {
            index = TakeSignal(count, events);
            break;
        }
        index = TakeSignal(count, events);
    }
    return index >= 0 ? QV::WAIT_OBJECT_0 + static_cast<uint32_t>(index) : QV::WAIT_TIMEOUT;
}

}  // namespace

EventHandle CreateEvent(bool manualReset, bool initialState) {
    auto* event = new (std::nothrow) EventObject();
    if (event != nullptr) {
        event->manualReset = manualReset;
        event->signalled = initialState;
    }
    return event;
}

bool CloseEvent(EventHandle event) {
    if (event == nullptr) {
        return false;
    }
    std::lock_guard lock(EventLock());
    DropEventUser(event);
    return true;
}

bool SetEvent(EventHandle event) {
    if (event == nullptr) {
        return false;
    }
    std::lock_guard lock(EventLock());
    event->signalled = true;
    // Every waiter looks again; for an auto-reset event the first to take the lock consumes
    // the signal and the others wait on.
    for (EventWaiter* waiter : event->waiters) {
        waiter->wake.notify_one();
    }
    return true;
}

bool ResetEvent(EventHandle event) {
    if (event == nullptr) {
        return false;
    }
    std::lock_guard lock(EventLock());
    event->signalled = false;
    return true;
}

uint32_t WaitForEvent(EventHandle event, uint32_t milliseconds) {
    if (event == nullptr) {
        return QV::WAIT_FAILED;
    }
    return Wait(1, &event, milliseconds);
}

uint32_t WaitForAnyEvent(uint32_t count, const EventHandle* events, uint32_t milliseconds) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || events == nullptr ||
        std::find(events, events + count, nullptr) != events + count) {
        return QV::WAIT_FAILED;
    }
    return Wait(count, events, milliseconds);
}

}  // namespace Platform
