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

}  // namespace QV
