#include "RIZozivirod/Notification/NotificationQueue.h"

#include <utility>

#include "RIZozivirod/Notification/NotificationLocks.h"
#include "RIZozivirod/System/UserInterfaceWake.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"

namespace QV {

// ---- posting receiver ----

LNotificationQueue::LPostingReceiver::LPostingReceiver(LNotificationQueue* queue) : mQueue(queue) {}

LNotificationQueue::LPostingReceiver::~LPostingReceiver() = default;

void LNotificationQueue::LPostingReceiver::ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                                               const RCPtr<LNotification>& notification) {
    RCPtr<LNotificationQueue> queue;
    {
        CAutoLock lock(GetRegistrationLock());
        queue = mQueue;
    }
    if (!queue || !notification) {
        return;
    }
    // The received notification stays free to be posted elsewhere or delivered further.
    queue->PostNotification(LNotification::Create(notification->GetID(), notification->GetParam()));
}

int32_t LNotificationQueue::LPostingReceiver::UnregisterForNotification(
    const RCPtr<LNotificationDistributor>&, const WChar*) {
    return E_FAIL;
}

// ---- queue ----

LNotificationQueue::LNotificationQueue() : mRing(&GetQueueLock(), 256) {
    mPostingReceiver = RCPtr<LPostingReceiver>(new LPostingReceiver(this));
    AddInternalReferences(1);
    mIdleNotification = LNotification::Create(u"NID_IDLE");
}

LNotificationQueue::~LNotificationQueue() {
    DiscardPendingNotifications();
    mIdleNotification = nullptr;
    mPostingReceiver = nullptr;
    mTarget = nullptr;
}

int32_t LNotificationQueue::SetTargetDistributor(const RCPtr<LNotificationDistributor>& distributor) {
    CAutoLock lock(GetRegistrationLock());
    if (mTarget || !mPostingReceiver) {
        return E_FAIL;
    }
    if (distributor) {
        mTarget = distributor;
    }
    return S_OK;
}

int32_t LNotificationQueue::PostNotification(const RCPtr<LNotification>& notification) {
    if (!notification || notification->IsPosted()) {
        return E_INVALIDARG;
    }
    // The notifications no longer latest are let go of after the lock.
    RCPtrArray<LNotification, 1, 0> replaced;
    RCPtr<LNotificationDistributor::LNotificationClientPool> pool;
    const int32_t result = EnqueueMarked(notification, replaced, pool);
    if (result == S_OK) {
        // The user-interface thread drains the queue: it may be asleep.
        WakeUserInterface();
    }
    return result;
}

int32_t LNotificationQueue::EnqueueMarked(const RCPtr<LNotification>& notification,
                                          RCPtrArray<LNotification, 1, 0>& replaced,
                                          RCPtr<LNotificationDistributor::LNotificationClientPool>& pool) {
    // Held from the marks through the enqueue, so the latest notification of a coalescing
    // registration is also the last of its identifier in the ring, whichever threads post.
    CAutoLock lock(GetRegistrationLock());
    if (!mTarget) {
        return E_FAIL;
    }
    // Coalescing registrations are told which notification of their identifier came last.
    pool = mTarget->FindClientPool(notification->GetID());
    if (pool) {
        pool->MarkLatest(notification, replaced);
    }
    notification->SetPosted(true);
    int32_t result = S_OK;
    {
        QueueLockCheck check;
        result = mRing.Enqueue(notification);
    }
    if (result < 0) {
        // The ring could not grow: nothing was queued.
        notification->SetPosted(false);
        return result;
    }
    return S_OK;
}

int32_t LNotificationQueue::PostNotification(const WChar* name, const RCPtr<LRefCountedObject>& param) {
    return PostNotification(LNotification::Create(name, param));
}

bool LNotificationQueue::HasIdleClients() const {
    const RCPtr<LNotificationDistributor> target = GetTarget();
    if (!target || !mIdleNotification) {
        return false;
    }
    const RCPtr<LNotificationDistributor::LNotificationClientPool> pool =
        target->FindClientPool(mIdleNotification->GetID());
    return pool && pool->GetCount() > 0;
}

uint32_t LNotificationQueue::GetPendingCount() const {
    QueueLockCheck check;
    return mRing.GetQueuedCount();
}

RCPtr<LNotification> LNotificationQueue::Dequeue() {
    // The ring lets go of its reference under the queue lock; the one returned keeps the
    // notification from being recycled there.
    QueueLockCheck check;
    return mRing.Dequeue();
}

bool LNotificationQueue::ProcessQueue(bool idle) {
    // A receiver may let go of the queue's owner while it is served.
    const RCPtr<LNotificationQueue> self(this);
    if (!mProcessing) {
        mProcessing = true;
        struct Finish {
            LNotificationQueue& queue;
            RCPtr<LNotification> current;
            ~Finish() {
                if (current) {
                    current->SetPosted(false);
                }
                queue.mProcessing = false;
            }
        } finish{*this, nullptr};
        const uint32_t count = GetPendingCount();
        // A queue closed by one of its deliveries has nothing left to deliver.
        for (uint32_t i = 0; i < count && GetTarget(); ++i) {
            finish.current = Dequeue();
            const RCPtr<LNotificationDistributor> target = GetTarget();
            if (target) {
                target->Notify(finish.current);
            }
            finish.current->SetPosted(false);
            finish.current = nullptr;
        }
    }
    // A queue without a target has no one to tell it is idle.
    const RCPtr<LNotificationDistributor> target = idle ? GetTarget() : nullptr;
    if (target) {
        target->Notify(mIdleNotification);
    }
    return GetPendingCount() > 0;
}

bool LNotificationQueue::DiscardPendingNotifications() {
    const uint32_t count = GetPendingCount();
    for (uint32_t i = 0; i < count; ++i) {
        Dequeue()->SetPosted(false);
    }
    return GetPendingCount() > 0;
}

RCPtr<LNotificationDistributor> LNotificationQueue::GetTarget() const {
    CAutoLock lock(GetRegistrationLock());
    return mTarget;
}

RCPtr<LNotificationQueue::LPostingReceiver> LNotificationQueue::GetPostingReceiver() const {
    CAutoLock lock(GetRegistrationLock());
    return mPostingReceiver;
}

void LNotificationQueue::Close() {
    DiscardPendingNotifications();
    // Let go of after the lock, in this order: the target, the receiver's reference to this
    // queue, the receiver.
    RCPtr<LPostingReceiver> receiver;
    RCPtr<LNotificationQueue> receiversQueue;
    RCPtr<LNotificationDistributor> target;
    {
        CAutoLock lock(GetRegistrationLock());
        target = std::move(mTarget);
        receiver = std::move(mPostingReceiver);
        if (receiver) {
            // Uncounted before the receiver lets go, so that release cannot be mistaken for the
            // last outside one.
            AddInternalReferences(-1);
            receiversQueue = std::move(receiver->mQueue);
        }
    }
}

}  // namespace QV
