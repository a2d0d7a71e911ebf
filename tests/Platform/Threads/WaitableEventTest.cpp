#include "Platform/Threads/WaitableEvent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Result.h"

namespace Platform {
namespace {

using QV::INFINITE;
using QV::WAIT_FAILED;
using QV::WAIT_OBJECT_0;
using QV::WAIT_TIMEOUT;

struct Events {
    explicit Events(std::vector<bool> manual) {
        for (bool m : manual) {
            handles.push_back(CreateEvent(m, false));
        }
    }
    ~Events() {
        for (EventHandle h : handles) {
            CloseEvent(h);
        }
    }
    std::vector<EventHandle> handles;
};

TEST(WaitableEvent, SetFromAnotherThreadReleasesAnUnlimitedWait) {
    Events events({false});
    std::thread setter([&] { SetEvent(events.handles[0]); });
    EXPECT_EQ(WaitForEvent(events.handles[0], INFINITE), WAIT_OBJECT_0);
    setter.join();
    EXPECT_EQ(WaitForEvent(events.handles[0], 0), WAIT_TIMEOUT);
}

TEST(WaitableEvent, OneAutoResetSignalReleasesExactlyOneOfSeveralWaiters) {
    Events events({false});
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            if (WaitForEvent(events.handles[0], INFINITE) == WAIT_OBJECT_0) {
                ++released;
            }
        });
    }
    for (int i = 1; i <= 3; ++i) {
        SetEvent(events.handles[0]);
        // Each signal is consumed by one waiter before the next goes out.
        while (released.load() < i) {
            std::this_thread::yield();
        }
        EXPECT_EQ(released.load(), i);
    }
    for (auto& waiter : waiters) {
        waiter.join();
    }
}

TEST(WaitableEvent, ManualResetSignalReleasesEveryWaiter) {
    Events events({true});
    std::vector<std::thread> waiters;
    std::atomic<int> released{0};
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            if (WaitForEvent(events.handles[0], INFINITE) == WAIT_OBJECT_0) {
                ++released;
            }
        });
    }
    SetEvent(events.handles[0]);
    for (auto& waiter : waiters) {
        waiter.join();
    }
    EXPECT_EQ(released.load(), 4);
    EXPECT_EQ(WaitForEvent(events.handles[0], 0), WAIT_OBJECT_0);
}

TEST(WaitableEvent, WaitAnyWakesForALaterSignalAndReportsItsIndex) {
    Events events({false, false, false});
    std::thread setter([&] { SetEvent(events.handles[2]); });
    EXPECT_EQ(WaitForAnyEvent(3, events.handles.data(), INFINITE), WAIT_OBJECT_0 + 2);
    setter.join();
}

TEST(WaitableEvent, WaitAnyTakesTheLowestSignalledAndConsumesOnlyAutoResetSignals) {
    Events events({false, true, false});
    SetEvent(events.handles[0]);
    SetEvent(events.handles[1]);
    SetEvent(events.handles[2]);
    EXPECT_EQ(WaitForAnyEvent(3, events.handles.data(), 0), WAIT_OBJECT_0 + 0);
    EXPECT_EQ(WaitForAnyEvent(3, events.handles.data(), 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForAnyEvent(3, events.handles.data(), 0), WAIT_OBJECT_0 + 1);
    ResetEvent(events.handles[1]);
    EXPECT_EQ(WaitForAnyEvent(3, events.handles.data(), 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(WaitForAnyEvent(3, events.handles.data(), 0), WAIT_TIMEOUT);
}

TEST(WaitableEvent, LimitedWaitsTimeOut) {
    Events events({false, false});
    EXPECT_EQ(WaitForEvent(events.handles[0], 5), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForAnyEvent(2, events.handles.data(), 5), WAIT_TIMEOUT);
}

TEST(WaitableEvent, RefusedArgumentsFail) {
    Events events(std::vector<bool>(MAXIMUM_WAIT_OBJECTS + 1, true));
    for (EventHandle h : events.handles) {
        SetEvent(h);
    }
    EventHandle withNull[2] = {events.handles[0], nullptr};
    EXPECT_EQ(WaitForAnyEvent(0, events.handles.data(), 0), WAIT_FAILED);
    EXPECT_EQ(WaitForAnyEvent(MAXIMUM_WAIT_OBJECTS + 1, events.handles.data(), 0), WAIT_FAILED);
    EXPECT_EQ(WaitForAnyEvent(MAXIMUM_WAIT_OBJECTS, events.handles.data(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForAnyEvent(2, withNull, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForEvent(nullptr, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(nullptr));
    EXPECT_FALSE(ResetEvent(nullptr));
    EXPECT_FALSE(CloseEvent(nullptr));
}

}  // namespace
}  // namespace Platform
