#pragma once

#include "RIZozivirod/System/Mutex.h"

namespace QV {

// The process-wide locks of the notification system. The notification lock guards the registry
// of names and the free pool of notifications; the queue lock guards the ring of every
// notification queue. A thread never holds both: debug builds assert it at every acquisition.
// The registration lock guards the registrations of every distributor (pools, their flags and
// latest notifications), the targets of the queues and the posting receivers' queues, so any
// thread may post while the user-interface thread registers and unregisters; posting holds it
// across its enqueue, so it is taken before the queue lock. Nothing calls out to a receiver or
// releases a reference that may run foreign code while holding it.
Mutex& GetNotificationLock();
Mutex& GetQueueLock();
Mutex& GetRegistrationLock();

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
