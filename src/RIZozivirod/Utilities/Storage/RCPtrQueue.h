#pragma once

#include <cstdint>
#include <stdexcept>
#include <utility>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"

namespace QV {

// A first-in, first-out ring of shared pointers that hands objects from any number of
// producer threads to one consumer. It never refuses an item: a full ring grows by one slot,
// inserted just before the read index so the items keep their order. One slot always stays
// empty, so s slots hold s - 1 items.
//
// The lock belongs to the owner, who keeps it alive longer than the queue; without one the
// queue is used by one thread. Only one thread may dequeue: Dequeue tests for an item before
// it takes the lock for the removal.
template <class T, uint32_t N>
class RCPtrQueue {
public:
    RCPtrQueue(Mutex* lock, uint32_t slots) : mRing(slots), mLock(lock) {}
    RCPtrQueue(const RCPtrQueue&) = delete;
    RCPtrQueue& operator=(const RCPtrQueue&) = delete;

    // Takes a reference to the item (null is queued as null); returns 0, or the ring's negative
    // result when it cannot grow, with the queue unchanged.
    int32_t Enqueue(const RCPtr<T>& item) {
        COptionalAutoLock lock(mLock);
        if (mRing.GetCount() == 0) {
            const int32_t rc = mRing.SetCount(2);
            if (rc < 0) {
                return rc;
            }
            mWrite = 0;
            mRead = 0;
        }
        if (GetQueuedCount() == mRing.GetCount() - 1) {
            const int32_t rc = mRing.InsertItem(mRead, RCPtr<T>());
            if (rc < 0) {
                return rc;
            }
            if (mWrite > mRead) {
                ++mWrite;
            }
            mRead = (mRead + 1) % mRing.GetCount();
        }
        mRing.GetData()[mWrite] = item;
        mWrite = (mWrite + 1) % mRing.GetCount();
        return 0;
    }

    // The oldest item, removed from the queue. Throws "Runtime Error" when the queue is empty,
    // leaving it as it was.
    RCPtr<T> Dequeue() {
        if (GetQueuedCount() == 0) {
            QV_THROW(std::runtime_error);
        }
        COptionalAutoLock lock(mLock);
        RCPtr<T> result = std::move(mRing.GetData()[mRead]);
        mRead = (mRead + 1) % mRing.GetCount();
        return result;
    }

    // Under the lock even for a ring without slots: a producer may be growing the ring.
    uint32_t GetQueuedCount() {
        COptionalAutoLock lock(mLock);
        if (mRing.GetCount() == 0) {
            return 0;
        }
        const int64_t queued = static_cast<int64_t>(mWrite) - static_cast<int64_t>(mRead);
        return static_cast<uint32_t>(queued < 0 ? queued + mRing.GetCount() : queued);
    }

    uint32_t GetSlotCount() {
        COptionalAutoLock lock(mLock);
        return mRing.GetCount();
    }

private:
    RCPtrArray<T, N, N> mRing;
    uint32_t mWrite = 0;
    uint32_t mRead = 0;
    Mutex* mLock;
};

}  // namespace QV
