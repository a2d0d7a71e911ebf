#include "RIZozivirod/System/ThreadPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Threads/SuspendedThread.h"
#include "RIZozivirod/System/TestWorkers.h"

namespace QV {
namespace {

using test::GateWorker;
using test::StopLimit;
using test::Tag;

constexpr int kNormal = Thread::THREAD_PRIORITY_NORMAL;

void WaitUntil(const std::function<bool()>& done) {
    while (!done()) {
        std::this_thread::yield();
    }
}

// Waits until every thread made since `mark` was taken has ended, whatever threads of
// earlier tests are still ending on their own.
void WaitForThreadsToEnd(uint64_t mark) {
    WaitUntil([mark] { return Platform::GetLiveThreadCountSince(mark) == 0; });
}

TEST(ThreadPool, OneThreadPoolRunsQueuedItemsByPriorityThenAge) {
    RCPtr<LThreadPool> pool = LThreadPool::Create(1, Thread::THREAD_PRIORITY_HIGHEST);
    RCPtr<GateWorker> worker = GateWorker::Create(false);
    pool->QueueWork(worker, Tag::Create(100), kNormal);
    worker->WaitStarted();
    pool->QueueWork(worker, Tag::Create(1), 0);
    pool->QueueWork(worker, Tag::Create(2), 2);
    pool->QueueWork(worker, Tag::Create(3), 0);
    EXPECT_EQ(pool->GetQueuedCount(), 3u);
    worker->gate.Set();
    WaitUntil([&] { return worker->finished.load() == 4; });
    EXPECT_EQ(worker->Log(), (std::vector<int>{100, 2, 1, 3}));
}

TEST(ThreadPool, IdleSlotsTakeWorkAtOnceAndNamesFollowTheWorkers) {
    RCPtr<LThreadPool> pool = LThreadPool::Create(2, kNormal);
    EXPECT_EQ(pool->GetQueueThreaderName(), u"LThreadPool::mQueueThreader");
    EXPECT_EQ(pool->GetSlotName(0), u"");
    EXPECT_EQ(pool->GetSlotName(1), u"");
    RCPtr<GateWorker> worker = GateWorker::Create(false);
    EXPECT_EQ(pool->TryDispatch(worker, Tag::Create(1), kNormal), 0);
    pool->QueueWork(worker, Tag::Create(2), kNormal);
    EXPECT_EQ(pool->GetQueuedCount(), 0u);
    EXPECT_EQ(pool->GetSlotName(0), u"class QV::test::GateWorker");
    EXPECT_EQ(pool->GetSlotName(1), u"class QV::test::GateWorker");
    EXPECT_EQ(pool->TryDispatch(worker, Tag::Create(3), kNormal), -1);
    pool->QueueWork(worker, Tag::Create(3), kNormal);
    EXPECT_EQ(pool->GetQueuedCount(), 1u);
    worker->gate.Set();
    WaitUntil([&] { return worker->finished.load() == 3; });
}

// With its queue threader unable to start, items that were queued stay queued, which shows
// what new work does while older items wait and a slot is idle.
class PoolWithStalledQueue : public testing::Test {
protected:
    void Make(int threads) {
        Platform::FailThreadCreations(1);
        pool = LThreadPool::Create(threads, kNormal);
        Platform::FailThreadCreations(0);
        for (int i = 0; i < threads; ++i) {
            pool->QueueWork(blocker, Tag::Create(i), kNormal);
            blocker->WaitStarted();
        }
        pool->QueueWork(late, Tag::Create(50), kNormal);
        ASSERT_EQ(pool->GetQueuedCount(), 1u);
        blocker->gate.Set();
        for (int i = 0; i < threads; ++i) {
            WaitUntil([&] { return !pool->IsSlotBusy(i); });
        }
    }

    RCPtr<LThreadPool> pool;
    RCPtr<GateWorker> blocker = GateWorker::Create(false);
    RCPtr<GateWorker> late = GateWorker::Create();
    RCPtr<GateWorker> fresh = GateWorker::Create();
};

TEST_F(PoolWithStalledQueue, OneThreadPoolNeverLetsNewWorkOvertake) {
    Make(1);
    // The only slot is idle, yet a new item goes behind the waiting one.
    EXPECT_EQ(pool->TryDispatch(fresh, Tag::Create(60), kNormal), -1);
    pool->QueueWork(fresh, Tag::Create(60), kNormal);
    EXPECT_EQ(pool->GetQueuedCount(), 2u);
    pool->Shutdown();
    EXPECT_EQ(fresh->runs.load(), 0);
    EXPECT_EQ(late->runs.load(), 0);
}

TEST_F(PoolWithStalledQueue, PoolOfSeveralThreadsRunsNewWorkOnAnIdleSlot) {
    Make(2);
    EXPECT_EQ(pool->TryDispatch(fresh, Tag::Create(60), kNormal), 0);
    pool->QueueWork(fresh, Tag::Create(61), kNormal);
    WaitUntil([&] { return fresh->finished.load() == 2; });
    const std::vector<int> log = fresh->Log();
    EXPECT_EQ(std::set<int>(log.begin(), log.end()), (std::set<int>{60, 61}));
    EXPECT_EQ(pool->GetQueuedCount(), 1u);
    EXPECT_EQ(late->runs.load(), 0);
}

TEST(ThreadPool, ShutdownWaitsForTheRunningItemAndDropsTheQueuedOnes) {
    RCPtr<LThreadPool> pool = LThreadPool::Create(1, kNormal);
    RCPtr<GateWorker> running = GateWorker::Create(false);
    RCPtr<GateWorker> queued = GateWorker::Create();
    pool->QueueWork(running, Tag::Create(1), kNormal);
    running->WaitStarted();
    pool->QueueWork(queued, Tag::Create(2), kNormal);
    pool->QueueWork(queued, Tag::Create(3), kNormal);
    std::atomic<int> finishedWhenShutdownReturned{-1};
    std::thread owner([&] {
        pool->Shutdown();
        finishedWhenShutdownReturned = running->finished.load();
    });
    // The queue empties only through the shutdown: the slot is held.
    WaitUntil([&] { return pool->GetQueuedCount() == 0; });
    running->gate.Set();
    owner.join();
    EXPECT_EQ(finishedWhenShutdownReturned.load(), 1);
    EXPECT_EQ(queued->runs.load(), 0);
    EXPECT_EQ(pool->GetQueuedCount(), 0u);
    // Work after the shutdown is dropped.
    pool->QueueWork(queued, Tag::Create(4), kNormal);
    EXPECT_EQ(pool->GetQueuedCount(), 0u);
    EXPECT_EQ(pool->TryDispatch(queued, Tag::Create(5), kNormal), -1);
    pool = nullptr;
    EXPECT_EQ(queued->runs.load(), 0);
    EXPECT_EQ(queued->GetRefCount(), 1);
}

TEST(ThreadPool, PoolWithoutThreadsDropsEveryItem) {
    RCPtr<LThreadPool> pool = LThreadPool::Create(0, kNormal);
    RCPtr<GateWorker> worker = GateWorker::Create();
    pool->QueueWork(worker, Tag::Create(1), kNormal);
    EXPECT_EQ(pool->TryDispatch(worker, Tag::Create(1), kNormal), -1);
    EXPECT_EQ(pool->GetQueuedCount(), 0u);
    pool = nullptr;
    EXPECT_EQ(worker->runs.load(), 0);
    EXPECT_EQ(worker->GetRefCount(), 1);
}

TEST(ThreadPool, ThreadCountsNoWaitCanCoverAreRefused) {
    for (int count : {-1, LThreadPool::kMaxThreads + 1}) {
        EXPECT_THROW(LThreadPool::Create(count, kNormal), Exception<std::invalid_argument>) << count;
    }
    RCPtr<LThreadPool> largest = LThreadPool::Create(LThreadPool::kMaxThreads, kNormal);
    RCPtr<GateWorker> worker = GateWorker::Create();
    for (int i = 0; i < 3 * LThreadPool::kMaxThreads; ++i) {
        largest->QueueWork(worker, Tag::Create(i), kNormal);
    }
    WaitUntil([&] { return worker->finished.load() == 3 * LThreadPool::kMaxThreads; });
}

// Shuts its pool down, or drops the last reference to it, from inside a run on the pool.
class PoolStopper : public LThreadWorker {
public:
    int DoWork(RCPtr<LRefCountedObject>&) override {
        if (shutDown) {
            pool->Shutdown();
        }
        pool = nullptr;
        after.Set();
        return 0;
    }
    RCPtr<LThreadPool> pool;
    bool shutDown = false;
    TrafficLight after;
};

TEST(ThreadPool, StoppedOrReleasedFromItsOwnSlotItNeverJoinsThatSlot) {
    StopLimit limit(5000);
    for (bool shutDown : {true, false}) {
        SCOPED_TRACE(shutDown ? "Shutdown" : "last release");
        const uint64_t mark = Platform::GetThreadsMadeCount();
        testing::internal::CaptureStderr();
        RCPtr<PoolStopper> stopper(new PoolStopper());
        stopper->shutDown = shutDown;
        stopper->pool = LThreadPool::Create(2, kNormal);
        stopper->pool->QueueWork(stopper, nullptr, kNormal);
        EXPECT_EQ(stopper->after.Wait(Event::INFINITE), Event::WAIT_OBJECT_0);
        WaitForThreadsToEnd(mark);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}

TEST(ThreadPool, ReleasedLastByItsQueueThreaderItEndsCleanly) {
    StopLimit limit(5000);
    const uint64_t mark = Platform::GetThreadsMadeCount();
    testing::internal::CaptureStderr();
    RCPtr<GateWorker> worker = GateWorker::Create(false);
    {
        RCPtr<LThreadPool> pool = LThreadPool::Create(1, kNormal);
        pool->QueueWork(worker, Tag::Create(1), kNormal);
        worker->WaitStarted();
        pool->QueueWork(worker, Tag::Create(2), kNormal);
    }
    // Only the queue threader's run holds the pool now; it releases it when the queue empties.
    worker->gate.Set();
    WaitForThreadsToEnd(mark);
    // The second item reached the slot just as the pool went away: it may or may not have run.
    EXPECT_EQ(worker->Log().at(0), 1);
    EXPECT_EQ(worker->GetRefCount(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Counts each run of its items and sometimes queues more work from inside a run.
class CountingWorker : public LThreadWorker {
public:
    int DoWork(RCPtr<LRefCountedObject>& params) override {
        const int id = Tag::IdOf(params);
        {
            std::lock_guard lock(mLock);
            ran.insert(id);
        }
        if (id % 10 == 0 && id < 1000000) {
            pool->QueueWork(RCPtr<LThreadWorker>(this), Tag::Create(id + 1000000), kNormal);
        }
        ++runs;
        return 0;
    }
    RCPtr<LThreadPool> pool;
    std::mutex mLock;
    std::set<int> ran;
    std::atomic<int> runs{0};
};

TEST(ThreadPool, SeveralProducersGetEveryItemRunOnce) {
    constexpr int kProducers = 4;
    constexpr int kItems = 400;
    for (int threads : {1, 3}) {
        SCOPED_TRACE(threads);
        RCPtr<LThreadPool> pool = LThreadPool::Create(threads, kNormal);
        RCPtr<CountingWorker> worker(new CountingWorker());
        worker->pool = pool;
        std::vector<std::thread> producers;
        for (int p = 0; p < kProducers; ++p) {
            producers.emplace_back([&, p] {
                std::mt19937 random(p);
                for (int i = 0; i < kItems; ++i) {
                    pool->QueueWork(worker, Tag::Create(p * kItems + i), static_cast<int>(random() % 3) - 1);
                }
            });
        }
        for (auto& producer : producers) {
            producer.join();
        }
        constexpr int kExpected = kProducers * kItems + kProducers * kItems / 10;
        WaitUntil([&] { return worker->runs.load() >= kExpected; });
        pool->Shutdown();
        worker->pool = nullptr;
        EXPECT_EQ(worker->runs.load(), kExpected);
        EXPECT_EQ(worker->ran.size(), static_cast<size_t>(kExpected));
    }
}

TEST(ThreadPool, OneThreadPoolRunsEqualPriorityItemsInQueueOrder) {
    RCPtr<LThreadPool> pool = LThreadPool::Create(1, kNormal);
    RCPtr<GateWorker> worker = GateWorker::Create();
    constexpr int kItems = 2000;
    for (int i = 0; i < kItems; ++i) {
        pool->QueueWork(worker, Tag::Create(i), kNormal);
    }
    WaitUntil([&] { return worker->finished.load() == kItems; });
    const std::vector<int> log = worker->Log();
    int outOfOrder = 0;
    for (size_t i = 0; i < log.size(); ++i) {
        outOfOrder += log[i] != static_cast<int>(i);
    }
    EXPECT_EQ(outOfOrder, 0);
}

}  // namespace
}  // namespace QV
