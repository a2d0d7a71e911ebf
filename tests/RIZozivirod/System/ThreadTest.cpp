#include "RIZozivirod/System/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "RIZozivirod/System/Event.h"

namespace QV {
namespace {

// What a test thread does: records that it ran and whether it saw itself as current, then
// waits for its release.
struct Probe {
    std::atomic<bool> ran{false};
    std::atomic<bool> sawItselfCurrent{false};
    Thread* self = nullptr;
    TrafficLight release;

    static uint32_t Entry(void* parameter) {
        auto* probe = static_cast<Probe*>(parameter);
        probe->ran = true;
        probe->sawItselfCurrent = probe->self != nullptr && probe->self->IsCurrentThread();
        probe->release.Wait(Event::INFINITE);
        return 0;
    }
};

TEST(Thread, EntryRunsOnlyAfterResume) {
    Probe probe;
    probe.release.Set();
    Thread thread(&Probe::Entry, &probe);
    probe.self = &thread;
    EXPECT_FALSE(thread.IsFinished());
    EXPECT_FALSE(thread.Join(0));
    EXPECT_FALSE(thread.Join(10));
    EXPECT_FALSE(probe.ran.load());

    EXPECT_EQ(thread.Resume(), 1u);
    EXPECT_TRUE(thread.Join(Event::INFINITE));
    EXPECT_TRUE(thread.IsFinished());
    EXPECT_TRUE(probe.ran.load());
    EXPECT_TRUE(probe.sawItselfCurrent.load());
    EXPECT_FALSE(thread.IsCurrentThread());
    EXPECT_EQ(thread.Resume(), 0u);
}

TEST(Thread, JoinIsBoundedByItsTime) {
    Probe probe;
    Thread thread(&Probe::Entry, &probe);
    thread.Resume();
    EXPECT_FALSE(thread.Join(5));
    EXPECT_FALSE(thread.IsFinished());
    probe.release.Set();
    EXPECT_TRUE(thread.Join(Event::INFINITE));
}

TEST(Thread, PriorityLevelsAreRecordedBestEffort) {
    Probe probe;
    Thread thread(&Probe::Entry, &probe);
    EXPECT_EQ(thread.GetPriority(), Thread::THREAD_PRIORITY_NORMAL);
    EXPECT_TRUE(thread.SetPriority(Thread::THREAD_PRIORITY_HIGHEST));
    EXPECT_TRUE(thread.SetPriorityBoost(false));
    EXPECT_FALSE(thread.IsPriorityBoostEnabled());
    EXPECT_FALSE(thread.SetPriority(7));
    EXPECT_EQ(thread.GetPriority(), Thread::THREAD_PRIORITY_HIGHEST);
    thread.Resume();
    EXPECT_TRUE(thread.SetPriority(Thread::THREAD_PRIORITY_NORMAL));
    EXPECT_EQ(thread.GetPriority(), Thread::THREAD_PRIORITY_NORMAL);
    probe.release.Set();
    EXPECT_TRUE(thread.Join(Event::INFINITE));
}

TEST(Thread, FailedCreationReportsFailureEverywhere) {
    Probe probe;
    Platform::FailThreadCreations(1);
    Thread thread(&Probe::Entry, &probe);
    EXPECT_EQ(thread.Resume(), 0xFFFFFFFFu);
    EXPECT_FALSE(thread.SetPriority(Thread::THREAD_PRIORITY_NORMAL));
    EXPECT_FALSE(thread.SetPriorityBoost(false));
    EXPECT_FALSE(thread.IsFinished());
    EXPECT_FALSE(thread.Join(0));
    EXPECT_FALSE(thread.IsCurrentThread());
    EXPECT_FALSE(probe.ran.load());
}

}  // namespace
}  // namespace QV
