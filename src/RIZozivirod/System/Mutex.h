#pragma once

#include <cstdint>
#include <mutex>

namespace QV {

class Mutex;

// The order in which a thread may take the locks that have a level: from higher levels to lower
// ones, never two different locks of one level together. Taking again a lock the thread holds is
// always allowed (locks are re-entrant). Debug builds check every acquisition of such a lock
// before it waits, so an inversion is reported on the thread that makes it, the first time it
// makes it, instead of deadlocking when two threads happen to meet. Locks without a level are not
// checked.
namespace LockLevel {
constexpr int32_t kUnchecked = 0;
// The lowest: nothing is taken while they are held. The notification lock (names and pool) and
// the notification queues' lock share a level, so they are never held together.
constexpr int32_t kNotificationQueue = 100;
constexpr int32_t kNotificationNames = 100;
// Registrations of every distributor and the targets of the notification queues; posting takes
// it before the queue lock.
constexpr int32_t kNotificationRegistration = 200;
// The list of notification centres: a centre is made (and its queue given its target) under it.
constexpr int32_t kNotificationCentres = 300;
}  // namespace LockLevel

// Called with the lock being taken and a lock of the same or a lower level that the thread holds.
// The one in force by default writes both names to standard error and aborts.
using LockOrderViolationHandler = void (*)(const Mutex& taken, const Mutex& held);
// Returns the handler it replaces. Tests put one of their own in place to see a violation.
LockOrderViolationHandler SetLockOrderViolationHandler(LockOrderViolationHandler handler);

// The one lock type: recursive (the thread holding it may lock it again and must unlock it
// as often), without time-out or try-lock.
class Mutex {
public:
    Mutex();
    // A lock with a name and a level (see LockLevel), whose order debug builds check.
    Mutex(const char* name, int32_t level);
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    virtual ~Mutex();

    void Lock() {
#ifndef NDEBUG
        if (mLevel != LockLevel::kUnchecked) {
            BeforeLock();
        }
#endif
        mLock.lock();
#ifndef NDEBUG
        if (mLevel != LockLevel::kUnchecked) {
            AfterLock();
        }
#endif
    }
    void Unlock() {
#ifndef NDEBUG
        if (mLevel != LockLevel::kUnchecked) {
            BeforeUnlock();
        }
#endif
        mLock.unlock();
    }

    const char* GetName() const {
        return mName;
    }
    int32_t GetLevel() const {
        return mLevel;
    }

private:
    void BeforeLock();
    void AfterLock();
    void BeforeUnlock();

    std::recursive_mutex mLock;
    const char* mName = "";
    int32_t mLevel = LockLevel::kUnchecked;
};

// Holds a mutex for its scope, also when an exception leaves it.
class CAutoLock {
public:
    explicit CAutoLock(Mutex& mutex) : mMutex(&mutex) { mMutex->Lock(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;
    ~CAutoLock() { mMutex->Unlock(); }

private:
    Mutex* mMutex;
};

// Holds a mutex for its scope when there is one: for objects whose owner decides whether they
// are locked.
class COptionalAutoLock {
public:
    explicit COptionalAutoLock(Mutex* mutex) : mMutex(mutex) {
        if (mMutex != nullptr) {
            mMutex->Lock();
        }
    }
    COptionalAutoLock(const COptionalAutoLock&) = delete;
    COptionalAutoLock& operator=(const COptionalAutoLock&) = delete;
    ~COptionalAutoLock() {
        if (mMutex != nullptr) {
            mMutex->Unlock();
        }
    }

private:
    Mutex* mMutex;
};

}  // namespace QV
