#include "RIZozivirod/System/Threader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "RIZozivirod/System/TestWorkers.h"

namespace QV {
namespace {

using test::GateWorker;
using test::StopLimit;
using test::Tag;

constexpr int kNormal = Thread::THREAD_PRIORITY_NORMAL;

TEST(RetriggerableThreader, RunsEachTriggerOnceAndCanBeRetriggeredFromTheWaiter) {
    RetriggerableThreader threader(u"poll");
    RCPtr<GateWorker> worker = GateWorker::Create();
    RCPtr<LEvent> done = LEvent::Create(true);
    EXPECT_EQ(threader.ToString(), u"poll");
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(threader.Trigger(worker, Tag::Create(i), done, Thread::THREAD_PRIORITY_ABOVE_NORMAL), S_OK);
        EXPECT_EQ(done->Wait(Event::INFINITE), Event::WAIT_OBJECT_0);
        // Signalled only once the threader is idle again.
        EXPECT_FALSE(threader.IsBusy());
    }
    EXPECT_EQ(worker->Log(), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(threader.GetPriority(), Thread::THREAD_PRIORITY_ABOVE_NORMAL);
}

TEST(RetriggerableThreader, TriggerWhileBusyIsRefusedAndLeavesTheRunningWorkAlone) {
    RetriggerableThreader threader(u"");
    RCPtr<GateWorker> running = GateWorker::Create(false);
    RCPtr<GateWorker> refused = GateWorker::Create();
    RCPtr<LEvent> done = LEvent::Create(true);
    RCPtr<LEvent> otherDone = LEvent::Create(true);
    ASSERT_EQ(threader.Trigger(running, Tag::Create(1), done, kNormal), S_OK);
    running->WaitStarted();
    otherDone->Set();
    EXPECT_TRUE(threader.IsBusy());
    EXPECT_EQ(threader.Trigger(refused, Tag::Create(2), otherDone, kNormal), E_FAIL);
    EXPECT_EQ(threader.Trigger(refused, Tag::Create(2), kNormal), E_FAIL);
    // The refused trigger neither cleared its own done event nor replaced the running one.
    EXPECT_EQ(otherDone->Wait(0), Event::WAIT_OBJECT_0);
    running->gate.Set();
    EXPECT_EQ(done->Wait(Event::INFINITE), Event::WAIT_OBJECT_0);
    EXPECT_EQ(otherDone->Wait(0), Event::WAIT_TIMEOUT);
    EXPECT_EQ(refused->runs.load(), 0);
    EXPECT_EQ(running->Log(), std::vector<int>{1});
}

TEST(RetriggerableThreader, NullWorkerRunsNothingButSignalsDone) {
    RetriggerableThreader threader(u"");
    RCPtr<LEvent> done = LEvent::Create(true);
    ASSERT_EQ(threader.Trigger(nullptr, Tag::Create(1), done, kNormal), S_OK);
    EXPECT_EQ(done->Wait(Event::INFINITE), Event::WAIT_OBJECT_0);
    EXPECT_FALSE(threader.IsBusy());
}

TEST(RetriggerableThreader, TriggerWithoutDoneEventDropsTheEarlierOne) {
    RetriggerableThreader threader(u"");
    RCPtr<GateWorker> worker = GateWorker::Create();
    RCPtr<LEvent> done = LEvent::Create(true);
    ASSERT_EQ(threader.Trigger(worker, nullptr, done, kNormal), S_OK);
    ASSERT_EQ(done->Wait(Event::INFINITE), Event::WAIT_OBJECT_0);
    // A null done event is the form without one.
    ASSERT_EQ(threader.Trigger(worker, nullptr, RCPtr<LEvent>(), kNormal), S_OK);
    while (worker->finished.load() < 2) {
        std::this_thread::yield();
    }
    threader.Stop();
    EXPECT_EQ(worker->finished.load(), 2);
    EXPECT_EQ(done->Wait(0), Event::WAIT_TIMEOUT);
}

TEST(RetriggerableThreader, StopWhileIdleEndsTheThreadAndRefusesLaterTriggers) {
    RCPtr<GateWorker> worker = GateWorker::Create();
    RetriggerableThreader threader(u"");
    threader.Stop();
    threader.Stop();
    EXPECT_EQ(threader.Trigger(worker, nullptr, kNormal), E_FAIL);
    EXPECT_EQ(threader.Trigger(worker, nullptr, LEvent::Create(true), kNormal), E_FAIL);
    EXPECT_FALSE(threader.IsBusy());
    EXPECT_EQ(worker->runs.load(), 0);
}

TEST(RetriggerableThreader, StopWhileBusyWaitsForTheRunAndItsDoneSignal) {
    auto threader = std::make_unique<RetriggerableThreader>(u"");
    RCPtr<GateWorker> worker = GateWorker::Create(false);
    RCPtr<LEvent> done = LEvent::Create(true);
    ASSERT_EQ(threader->Trigger(worker, nullptr, done, kNormal), S_OK);
    worker->WaitStarted();
    std::atomic<bool> destroyed{false};
    std::thread owner([&] {
        threader.reset();
        destroyed = true;
    });
    EXPECT_FALSE(destroyed.load());
    worker->gate.Set();
    owner.join();
    EXPECT_EQ(worker->finished.load(), 1);
    EXPECT_EQ(done->Wait(0), Event::WAIT_OBJECT_0);
    EXPECT_EQ(worker->GetRefCount(), 1);
}

TEST(RetriggerableThreader, WorkAcceptedJustBeforeAStopIsReleasedAndSignalled) {
    RCPtr<GateWorker> worker = GateWorker::Create();
    RCPtr<LRefCountedObject> params = Tag::Create(1);
    for (int i = 0; i < 50; ++i) {
        RCPtr<LEvent> done = LEvent::Create(true);
        {
            RetriggerableThreader threader(u"");
            ASSERT_EQ(threader.Trigger(worker, params, done, kNormal), S_OK);
            threader.Stop();
            // Stopped: whether it ran or not, the work is handed back.
            EXPECT_EQ(done->Wait(0), Event::WAIT_OBJECT_0);
            EXPECT_FALSE(threader.IsBusy());
        }
        EXPECT_EQ(worker->GetRefCount(), 1);
        EXPECT_EQ(params->GetRefCount(), 1);
    }
}

TEST(RetriggerableThreader, StopThatGivesUpLeavesTheThreadItsState) {
    StopLimit limit(1);
    RCPtr<GateWorker> worker = GateWorker::Create(false);
    RCPtr<LEvent> done = LEvent::Create(true);
    auto threader = std::make_unique<RetriggerableThreader>(u"slow");
    ASSERT_EQ(threader->Trigger(worker, Tag::Create(7), done, kNormal), S_OK);
    worker->WaitStarted();
    testing::internal::CaptureStderr();
    threader.reset();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("\"slow\""), std::string::npos) << log;
    // The run goes on after its threader is gone and still finishes its hand-back.
    worker->gate.Set();
    EXPECT_EQ(done->Wait(Event::INFINITE), Event::WAIT_OBJECT_0);
    EXPECT_EQ(worker->finished.load(), 1);
}

// Owns a threader and is released by that threader's own run.
class ThreaderOwner : public LRefCountedObject {
public:
    std::unique_ptr<RetriggerableThreader> threader = std::make_unique<RetriggerableThreader>(u"own");
};

TEST(RetriggerableThreader, DestroyedByItsOwnRunItEndsWithoutJoiningItself) {
    testing::internal::CaptureStderr();
    RCPtr<LEvent> done = LEvent::Create(true);
    {
        RCPtr<ThreaderOwner> owner(new ThreaderOwner());
        RetriggerableThreader* threader = owner->threader.get();
        ASSERT_EQ(threader->Trigger(GateWorker::Create(), RCPtr<LRefCountedObject>(owner), done, kNormal),
                  S_OK);
    }
    // The run releases the last reference to the owner and so destroys the threader on its
    // own thread, then still signals its done event.
    EXPECT_EQ(done->Wait(Event::INFINITE), Event::WAIT_OBJECT_0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(RetriggerableThreader, ThreaderWhoseThreadFailedRefusesWork) {
    Platform::FailThreadCreations(1);
    RetriggerableThreader threader(u"");
    RCPtr<GateWorker> worker = GateWorker::Create();
    EXPECT_EQ(threader.Trigger(worker, nullptr, LEvent::Create(true), kNormal), E_FAIL);
    EXPECT_EQ(threader.Trigger(worker, nullptr, kNormal), E_FAIL);
    EXPECT_FALSE(threader.IsBusy());
}

TEST(RetriggerableThreader, NameCanBeReplaced) {
    RetriggerableThreader threader(u"first");
    threader.SetName(u"second");
    EXPECT_EQ(threader.ToString(), u"second");
}

// ---------------------------------------------------------------------------------------------

TEST(EventGatedThreader, NeverRunsWithoutASignal) {
    RCPtr<GateWorker> worker = GateWorker::Create();
    {
        RCPtr<LEventGatedThreader> threader =
            LEventGatedThreader::Create(LEvent::Create(true), worker, nullptr, kNormal);
        EXPECT_EQ(threader->GetPriority(), kNormal);
    }
    EXPECT_EQ(worker->runs.load(), 0);
    EXPECT_EQ(worker->GetRefCount(), 1);
}

TEST(EventGatedThreader, SignalsDuringARunGiveOneMoreRun) {
    RCPtr<LEvent> gate = LEvent::Create(true);
    RCPtr<GateWorker> worker = GateWorker::Create(false);
    RCPtr<LEventGatedThreader> threader = LEventGatedThreader::Create(gate, worker, Tag::Create(3), kNormal);
    gate->Set();
    worker->WaitStarted();
    gate->Set();
    gate->Set();
    gate->Set();
    worker->gate.Set();
    worker->WaitStarted();
    while (worker->finished.load() < 2) {
        std::this_thread::yield();
    }
    threader = nullptr;
    EXPECT_EQ(worker->Log(), (std::vector<int>{3, 3}));
}

TEST(EventGatedThreader, StopWhileBusyWaitsForTheRun) {
    RCPtr<LEvent> gate = LEvent::Create(true);
    RCPtr<GateWorker> worker = GateWorker::Create(false);
    RCPtr<LEventGatedThreader> threader = LEventGatedThreader::Create(gate, worker, nullptr, kNormal);
    gate->Set();
    worker->WaitStarted();
    std::atomic<bool> destroyed{false};
    std::thread owner([&] {
        threader = nullptr;
        destroyed = true;
    });
    EXPECT_FALSE(destroyed.load());
    worker->gate.Set();
    owner.join();
    EXPECT_EQ(worker->finished.load(), 1);
    EXPECT_EQ(worker->runs.load(), 1);
    EXPECT_EQ(worker->GetRefCount(), 1);
}

TEST(EventGatedThreader, StopThatGivesUpLeavesTheThreadItsState) {
    StopLimit limit(1);
    RCPtr<LEvent> gate = LEvent::Create(true);
    RCPtr<GateWorker> worker = GateWorker::Create(false);
    RCPtr<LEventGatedThreader> threader = LEventGatedThreader::Create(gate, worker, Tag::Create(1), kNormal);
    gate->Set();
    worker->WaitStarted();
    testing::internal::CaptureStderr();
    threader = nullptr;
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    worker->gate.Set();
    // The thread ends on its own and then drops its references to the worker.
    while (worker->GetRefCount() > 1) {
        std::this_thread::yield();
    }
    EXPECT_EQ(worker->runs.load(), 1);
}

// Holds the only reference to its own threader and drops it from inside a run.
class SelfReleasingWorker : public LThreadWorker {
public:
    int DoWork(RCPtr<LRefCountedObject>&) override {
        threader = nullptr;
        after.Set();
        return 0;
    }
    RCPtr<LEventGatedThreader> threader;
    TrafficLight after;
};

TEST(EventGatedThreader, DestroyedByItsOwnRunItEndsWithoutJoiningItself) {
    testing::internal::CaptureStderr();
    RCPtr<LEvent> gate = LEvent::Create(true);
    RCPtr<SelfReleasingWorker> worker(new SelfReleasingWorker());
    worker->threader = LEventGatedThreader::Create(gate, worker, nullptr, kNormal);
    gate->Set();
    EXPECT_EQ(worker->after.Wait(Event::INFINITE), Event::WAIT_OBJECT_0);
    // The ended thread drops its reference to the worker.
    while (worker->GetRefCount() > 1) {
        std::this_thread::yield();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(EventGatedThreader, NullGateIsRefused) {
    EXPECT_THROW(LEventGatedThreader::Create(nullptr, GateWorker::Create(), nullptr, kNormal),
                 Exception<std::runtime_error>);
}

}  // namespace
}  // namespace QV
