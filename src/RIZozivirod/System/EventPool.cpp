#include "RIZozivirod/System/EventPool.h"

namespace QV {

EventPool::EventPool(uint32_t count) : mHandles(count) {
    mEvents.SetCount(count);
    for (uint32_t i = 0; i < count; ++i) {
        GetEvent(i) = LEvent::Create(true);
        mHandles[i] = GetEvent(i)->GetHandle();
    }
}

EventPool::~EventPool() {
    mEvents.SetCount(0);
}

int EventPool::WaitAny(uint32_t milliseconds) {
    const uint32_t result = Platform::WaitForAnyEvent(GetCount(), mHandles.data(), milliseconds);
    if (result == WAIT_FAILED || result == WAIT_TIMEOUT) {
        return -1;
    }
    return static_cast<int>(result - WAIT_OBJECT_0);
}

}  // namespace QV
