#pragma once

#include <mutex>

namespace QV {

// The one lock type: recursive (the thread holding it may lock it again and must unlock it
// as often), without time-out or try-lock.
class Mutex {
public:
    Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    virtual ~Mutex();

    void Lock() { mLock.lock(); }
    void Unlock() { mLock.unlock(); }

private:
    std::recursive_mutex mLock;
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
