#pragma once

#include <cstdint>

#include "Platform/Threads/SuspendedThread.h"

namespace QV {

// A thread created suspended: its entry function runs only after Resume, so the owner can
// set up everything the thread reads first. Destroying the object neither waits for the
// thread nor stops it; the owner stops and joins it before. A thread that was never resumed
// ends without running its entry. Creation failure leaves a null handle: Resume returns
// 0xFFFFFFFF and every other operation false.
class Thread {
public:
    using Entry = uint32_t (*)(void* parameter);

    static constexpr int THREAD_PRIORITY_IDLE = -15;
    static constexpr int THREAD_PRIORITY_LOWEST = -2;
    static constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
    static constexpr int THREAD_PRIORITY_NORMAL = 0;
    static constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
    static constexpr int THREAD_PRIORITY_HIGHEST = 2;
    static constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

    Thread(Entry entry, void* parameter);
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    virtual ~Thread();

    // The previous suspend count, 0xFFFFFFFF on failure.
    uint32_t Resume();
    // Best effort: the level is recorded even where the system does not let it apply.
    bool SetPriority(int priority);
    bool SetPriorityBoost(bool enable);
    bool IsFinished();
    // True only when the thread ended within the time.
    bool Join(uint32_t milliseconds);

    // The recorded priority level.
    int GetPriority() const;
    bool IsPriorityBoostEnabled() const;
    // True on the thread itself, which must never join itself.
    bool IsCurrentThread() const;

private:
    Platform::ThreadHandle mHandle;
};

}  // namespace QV
