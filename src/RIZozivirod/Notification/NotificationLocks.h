#pragma once

#include "RIZozivirod/System/Mutex.h"

namespace QV {

// The two process-wide locks of the notification system. The notification lock guards the
// registry of names and the free pool of notifications; the queue lock guards the ring of every
// notification queue. A thread never holds both: debug builds assert it at every acquisition.
Mutex& GetNotificationLock();
Mutex& GetQueueLock();

// Holds the notification lock for its scope.
class NotificationLockScope {
public:
    NotificationLockScope();
    NotificationLockScope(const NotificationLockScope&) = delete;
    NotificationLockScope& operator=(const NotificationLockScope&) = delete;
    ~NotificationLockScope();
};

// Marks the span of a ring operation (the ring takes the queue lock inside it) for the
// lock-order check of debug builds. Takes no lock itself.
class QueueLockCheck {
public:
    QueueLockCheck();
    QueueLockCheck(const QueueLockCheck&) = delete;
    QueueLockCheck& operator=(const QueueLockCheck&) = delete;
    ~QueueLockCheck();
};

}  // namespace QV
