#pragma once

#include <cstdint>

#include "RIZozivirod/Notification/Notification.h"
#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/RCPtrQueue.h"

namespace QV {

// Notifications posted from any thread wait here and are delivered through the target
// distributor's Notify when the user-interface thread drains the queue. Posting marks the
// target's coalescing registrations and enqueues under the registration lock, so it is safe while
// the user-interface thread registers, unregisters or closes the queue. The queue's posting
// receiver holds a reference to it, counted as an internal one: the owner breaks that cycle
// with Close when it releases its internal references.
class LNotificationQueue : public virtual LRefCountedObject {
public:
    // Turns every delivery it is given into a post of a copy into its queue.
    class LPostingReceiver : public LNotificationReceiver {
    public:
        // Posts a new notification with the same identifier and parameter; nothing after Close.
        void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                 const RCPtr<LNotification>& notification) override;
        // Not a registration holder: E_FAIL.
        int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                          const WChar* name) override;

    protected:
        ~LPostingReceiver() override;

    private:
        friend class LNotificationQueue;
        explicit LPostingReceiver(LNotificationQueue* queue);

        RCPtr<LNotificationQueue> mQueue;
    };

    LNotificationQueue();
    LNotificationQueue(const LNotificationQueue&) = delete;
    LNotificationQueue& operator=(const LNotificationQueue&) = delete;

    // Set once; E_FAIL when a target is set already or the queue is closed.
    int32_t SetTargetDistributor(const RCPtr<LNotificationDistributor>& distributor);

    // E_INVALIDARG for a null notification or one posted already; E_FAIL without a target (so
    // after Close). Any thread.
    int32_t PostNotification(const RCPtr<LNotification>& notification);
    int32_t PostNotification(const WChar* name, const RCPtr<LRefCountedObject>& param);

    // Delivers, in posting order, the notifications queued when it starts, then "NID_IDLE" when
    // idle is set. True when notifications posted meanwhile are waiting. A drain started from
    // inside a delivery of this queue delivers nothing queued.
    bool ProcessQueue(bool idle);
    // Drops what was queued when it starts, undelivered. True when the queue is not empty after.
    bool DiscardPendingNotifications();
    // Drops pending notifications, the target and the posting receiver: from now on the queue
    // takes and delivers nothing.
    void Close();

    RCPtr<LPostingReceiver> GetPostingReceiver() const;
    uint32_t GetPendingCount() const;
    // Whether anyone listens for "NID_IDLE" on the queue's target: work that wants idle passes
    // at the idle rhythm even when nothing is queued.
    bool HasIdleClients() const;

protected:
    ~LNotificationQueue() override;

private:
    using Ring = RCPtrQueue<LNotification, 256>;

    RCPtr<LNotification> Dequeue();
    // Marks and enqueues under the registration lock; what it replaces is let go of by the caller.
    int32_t EnqueueMarked(const RCPtr<LNotification>& notification, RCPtrArray<LNotification, 1, 0>& replaced,
                          RCPtr<LNotificationDistributor::LNotificationClientPool>& pool);
    RCPtr<LNotificationDistributor> GetTarget() const;

    // Set while a drain of this queue runs; only the draining thread touches it.
    bool mProcessing = false;
    mutable Ring mRing;
    // Both guarded by the registration lock: posting threads read them while the draining
    // thread closes the queue.
    RCPtr<LNotificationDistributor> mTarget;
    RCPtr<LPostingReceiver> mPostingReceiver;
    RCPtr<LNotification> mIdleNotification;
};

}  // namespace QV
