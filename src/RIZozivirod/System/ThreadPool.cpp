#include "RIZozivirod/System/ThreadPool.h"

#include <stdexcept>

namespace QV {

// ---------------------------------------------------------------------------------------------

LThreadPool::LWorkerParams::LWorkerParams(const RCPtr<LThreadWorker>& worker,
                                          const RCPtr<LRefCountedObject>& params, int priority)
    : mWorker(worker), mParams(params), mPriority(priority) {}

LThreadPool::LWorkerParams::~LWorkerParams() = default;

RCPtr<LThreadPool::LWorkerParams> LThreadPool::LWorkerParams::Create(const RCPtr<LThreadWorker>& worker,
                                                                     const RCPtr<LRefCountedObject>& params,
                                                                     int priority) {
    return RCPtr<LWorkerParams>(new LWorkerParams(worker, params, priority));
}

ReuseAllocator<LThreadPool::LWorkerParams, 1>& LThreadPool::LWorkerParams::GetAllocator() {
    return GetReuseAllocator<LWorkerParams, 1, true>();
}

void* LThreadPool::LWorkerParams::operator new(size_t size) {
    return GetAllocator().Allocate(size);
}

void LThreadPool::LWorkerParams::operator delete(void* p) {
    GetAllocator().Free(p);
}

// ---------------------------------------------------------------------------------------------

RCPtr<LThreadPool> LThreadPool::Create(int threadCount, int priority) {
    if (threadCount < 0 || threadCount > kMaxThreads) {
        QV_THROW(std::invalid_argument, "thread count outside 0 to 64");
    }
    return RCPtr<LThreadPool>(new LThreadPool(threadCount, priority));
}

LThreadPool::LThreadPool(int threadCount, int priority)
    : mQueueThreader(WString()),
      mThreadCount(threadCount),
      mEventPool(std::make_unique<EventPool>(static_cast<uint32_t>(threadCount))),
      mPriority(priority) {
    mThreads.reserve(static_cast<size_t>(threadCount));
    for (int i = 0; i < threadCount; ++i) {
        mThreads.push_back(std::make_unique<RetriggerableThreader>(WString()));
    }
    mQueueDone = LEvent::Create(true);
    mQueueDone->Set();
    mQueueThreader.SetName(u"LThreadPool::mQueueThreader");
}

LThreadPool::~LThreadPool() {
    Shutdown();
}

void LThreadPool::NameAndTrigger(int slot, const RCPtr<LThreadWorker>& worker,
                                 const RCPtr<LRefCountedObject>& params, int priority, int32_t* result) {
    RetriggerableThreader& threader = *mThreads[static_cast<size_t>(slot)];
    threader.SetName(worker ? worker->ToString() : WString());
    const int32_t rc =
        threader.Trigger(worker, params, mEventPool->GetEvent(static_cast<uint32_t>(slot)), priority);
    if (result != nullptr) {
        *result = rc;
    }
}

int LThreadPool::TryDispatch(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params,
                             int priority) {
    for (int i = 0; i < mThreadCount.load(); ++i) {
        CAutoLock lock(mMutex);
        // Read again under the lock: a shutdown that has emptied the queue takes no more work.
        const int32_t count = mThreadCount.load();
        if (count <= 0) {
            return -1;
        }
        if (mQueue.GetCount() != 0 && count == 1) {
            return -1;
        }
        if (mThreads[static_cast<size_t>(i)]->IsBusy()) {
            continue;
        }
        int32_t rc = E_FAIL;
        NameAndTrigger(i, worker, params, priority, &rc);
        if (rc >= 0) {
            return i;
        }
    }
    return -1;
}

void LThreadPool::QueueWork(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params,
                            int priority) {
    if (TryDispatch(worker, params, priority) >= 0) {
        return;
    }
    if (mThreadCount.load() <= 0) {
        return;
    }
    RCPtr<LWorkerParams> item = LWorkerParams::Create(worker, params, priority);
    uint32_t queued = 0;
    {
        CAutoLock lock(mMutex);
        if (mThreadCount.load() <= 0) {
            return;
        }
        queued = mQueue.GetCount();
        uint32_t at = queued;
        for (uint32_t i = 0; i < queued; ++i) {
            if (mQueue.GetData()[i]->mPriority >= priority) {
                at = i;
                break;
            }
        }
        mQueue.InsertItem(at, item);
    }
    if (queued == 0) {
        // Only the caller that found the queue empty starts the queue threader, after its
        // previous run has ended.
        mQueueDone->Wait(Event::INFINITE);
        mQueueThreader.Trigger(RCPtr<LThreadWorker>(this), RCPtr<LRefCountedObject>(this), mQueueDone,
                               mPriority);
    }
}

int LThreadPool::DoWork(RCPtr<LRefCountedObject>& /*params*/) {
    for (;;) {
        if (mThreadCount.load() <= 0) {
            return 0;
        }
        const int slot = mEventPool->WaitAny(Event::INFINITE);
        if (slot < 0) {
            return 0;
        }
        CAutoLock lock(mMutex);
        if (mQueue.GetCount() == 0) {
            return 0;
        }
        if (mThreads[static_cast<size_t>(slot)]->IsBusy()) {
            continue;
        }
        RCPtr<LWorkerParams> item;
        mQueue.RemoveLast(item);
        NameAndTrigger(slot, item->mWorker, item->mParams, item->mPriority, nullptr);
        item = nullptr;
        if (mQueue.GetCount() == 0) {
            return 0;
        }
    }
}

void LThreadPool::Shutdown() {
    mThreadCount.exchange(0);
    {
        CAutoLock lock(mMutex);
        mQueue.SetCount(0);
    }
    // A queue threader waiting for a slot wakes, finds the queue empty and ends its run.
    for (uint32_t i = 0; i < mEventPool->GetCount(); ++i) {
        mEventPool->GetEvent(i)->Set();
    }
    mQueueThreader.Stop();
    for (uint32_t i = mEventPool->GetCount(); i-- > 0;) {
        mThreads[i]->Stop();
    }
}

uint32_t LThreadPool::GetQueuedCount() {
    CAutoLock lock(mMutex);
    return mQueue.GetCount();
}

WString LThreadPool::GetSlotName(int index) const {
    return mThreads.at(static_cast<size_t>(index))->ToString();
}

bool LThreadPool::IsSlotBusy(int index) const {
    return mThreads.at(static_cast<size_t>(index))->IsBusy();
}

}  // namespace QV
