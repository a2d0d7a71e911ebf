#include "RIZozivirod/Notification/NotificationLocks.h"

#include <cassert>

namespace QV {

namespace {

#ifndef NDEBUG
// How deep this thread is inside each lock.
thread_local int tNotificationLockDepth = 0;
thread_local int tQueueLockDepth = 0;
#endif

}  // namespace

Mutex& GetNotificationLock() {
    static Mutex* const lock = new Mutex("notification names", LockLevel::kNotificationNames);
    return *lock;
}

Mutex& GetQueueLock() {
    static Mutex* const lock = new Mutex("notification queue", LockLevel::kNotificationQueue);
    return *lock;
}

Mutex& GetRegistrationLock() {
    static Mutex* const lock = new Mutex("notification registrations", LockLevel::kNotificationRegistration);
    return *lock;
}

NotificationLockScope::NotificationLockScope() {
#ifndef NDEBUG
    assert(tQueueLockDepth == 0 && "the notification lock is taken while the queue lock is held");
    ++tNotificationLockDepth;
#endif
    GetNotificationLock().Lock();
}

NotificationLockScope::~NotificationLockScope() {
    GetNotificationLock().Unlock();
#ifndef NDEBUG
    --tNotificationLockDepth;
#endif
}

QueueLockCheck::QueueLockCheck() {
#ifndef NDEBUG
    assert(tNotificationLockDepth == 0 && "the queue lock is taken while the notification lock is held");
    ++tQueueLockDepth;
#endif
}

QueueLockCheck::~QueueLockCheck() {
#ifndef NDEBUG
    --tQueueLockDepth;
#endif
}

}  // namespace QV
