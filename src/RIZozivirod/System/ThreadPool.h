#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/System/Event.h"
#include "RIZozivirod/System/EventPool.h"
#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/System/Threader.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/ReuseAllocator.h"

namespace QV {

// Runs work items on a fixed number of threader slots: straight on an idle slot when there
// is one, otherwise through a queue ordered by priority (highest first, oldest first within
// one priority) that the queue threader "LThreadPool::mQueueThreader" hands to slots as they
// fall idle. A pool of one thread never lets new work overtake waiting work.
//
// QueueWork may be called from any thread, also from inside a work item; it never waits for a
// slot. The pool's mutex guards the queue and every look at a slot; the item allocator's lock
// is only ever taken inside it. Shutdown (also from the destructor) drops queued items and
// waits for running ones. Stopping or releasing the pool on one of its own threads does not
// join that thread: it ends by itself after its current run.
class LThreadPool : public LThreadWorker {
public:
    // One queued work item; its storage comes from the class's own recycling allocator.
    class LWorkerParams : public LRefCountedObject {
    public:
        static RCPtr<LWorkerParams> Create(const RCPtr<LThreadWorker>& worker,
                                           const RCPtr<LRefCountedObject>& params, int priority);
        ~LWorkerParams() override;

        static void* operator new(size_t size);
        static void operator delete(void* p);
        static ReuseAllocator<LWorkerParams, 1>& GetAllocator();

        RCPtr<LThreadWorker> mWorker;
        RCPtr<LRefCountedObject> mParams;
        int mPriority;

    private:
        LWorkerParams(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params,
                      int priority);
    };

    // The most threads a pool can have: its queue threader waits on one event per slot.
    static constexpr int kMaxThreads = static_cast<int>(Event::MAXIMUM_WAIT_OBJECTS);

    // Throws QV::Exception<std::invalid_argument> for a thread count below 0 or above kMaxThreads.
    static RCPtr<LThreadPool> Create(int threadCount, int priority);
    ~LThreadPool() override;

    // Work given to a pool without threads, or shut down, is dropped.
    void QueueWork(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params, int priority);
    // Starts the work on the first idle slot and returns its index, or -1.
    int TryDispatch(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params, int priority);
    // The queue threader's body.
    int DoWork(RCPtr<LRefCountedObject>& params) override;
    void Shutdown();

    uint32_t GetQueuedCount();
    // The name of the last worker slot i was given; empty before any.
    WString GetSlotName(int index) const;
    bool IsSlotBusy(int index) const;
    WString GetQueueThreaderName() const { return mQueueThreader.ToString(); }

private:
    LThreadPool(int threadCount, int priority);
    void NameAndTrigger(int slot, const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params,
                        int priority, int32_t* result);

    RetriggerableThreader mQueueThreader;
    RCPtr<LEvent> mQueueDone;
    RCPtrArray<LWorkerParams, 16, 16> mQueue;
    Mutex mMutex;
    std::atomic<int32_t> mThreadCount;
    std::unique_ptr<EventPool> mEventPool;
    std::vector<std::unique_ptr<RetriggerableThreader>> mThreads;
    int mPriority;
};

}  // namespace QV
