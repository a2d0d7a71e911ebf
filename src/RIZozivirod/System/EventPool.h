#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/System/Event.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"

namespace QV {

// A fixed set of auto-reset events that one thread waits on together. The events never
// change after construction; GetEvent hands them out for others to set.
class EventPool {
public:
    explicit EventPool(uint32_t count);
    EventPool(const EventPool&) = delete;
    EventPool& operator=(const EventPool&) = delete;
    virtual ~EventPool();

    uint32_t GetCount() const { return mEvents.GetCount(); }
    // No bounds test.
    RCPtr<LEvent>& GetEvent(uint32_t index) { return mEvents.GetData()[index]; }

    // The index of the lowest signalled event, whose signal alone is consumed; -1 on
    // time-out, and always for a pool of none or of more than one wait can take.
    int WaitAny(uint32_t milliseconds);

private:
    RCPtrArray<LEvent, 1, 0> mEvents;
    std::vector<Platform::EventHandle> mHandles;
};

}  // namespace QV
