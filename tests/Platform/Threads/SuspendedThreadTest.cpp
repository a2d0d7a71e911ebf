#include "Platform/Threads/SuspendedThread.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "Platform/Threads/WaitableEvent.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace Platform {
namespace {

// Runs until its event is set.
uint32_t RunUntilSet(void* parameter) {
    WaitForEvent(static_cast<EventHandle>(parameter), QV::INFINITE);
    return 0;
}

// A thread made before the mark that ends meanwhile must not hide one made after it.
TEST(SuspendedThread, LiveCountSinceAMarkSeesOnlyThreadsMadeAfterIt) {
    EventHandle endEarlier = CreateEvent(true, false);
    EventHandle endLater = CreateEvent(true, false);
    ThreadHandle earlier = CreateSuspendedThread(&RunUntilSet, endEarlier);
    ResumeThread(earlier);
    const uint64_t mark = GetThreadsMadeCount();
    EXPECT_EQ(GetLiveThreadCountSince(mark), 0);

    ThreadHandle later = CreateSuspendedThread(&RunUntilSet, endLater);
    EXPECT_EQ(GetLiveThreadCountSince(mark), 1);
    ResumeThread(later);
    SetEvent(endEarlier);
    EXPECT_EQ(WaitForThread(earlier, QV::INFINITE), QV::WAIT_OBJECT_0);
    EXPECT_EQ(GetLiveThreadCountSince(mark), 1);

    SetEvent(endLater);
    EXPECT_EQ(WaitForThread(later, QV::INFINITE), QV::WAIT_OBJECT_0);
    CloseThread(earlier);
    CloseThread(later);
    // A thread leaves the count just after its end is signalled.
    while (GetLiveThreadCountSince(mark) != 0) {
        std::this_thread::yield();
    }
    CloseEvent(endEarlier);
    CloseEvent(endLater);
}

}  // namespace
}  // namespace Platform
