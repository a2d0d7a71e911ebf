#include "Platform/Threads/SuspendedThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <iterator>
#include <mutex>
#include <new>
#include <set>
#include <system_error>
#include <thread>

#include "Platform/Threads/WaitableEvent.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace Platform {

struct ThreadObject {
    ThreadEntry entry = nullptr;
    void* parameter = nullptr;
    // Signalled (manual reset) once the entry function has returned.
    EventHandle finished = nullptr;
    // The handle and the running thread.
    std::atomic<int> users{2};
    // Its place in the order threads were made, from 1.
    uint64_t serial = 0;

    std::mutex lock;
    std::condition_variable resumed;
    uint32_t suspendCount = 1;
    bool abandoned = false;
    std::thread::id id;
    // The system's id while the entry runs, 0 otherwise (an ended thread's id may be reused).
    pid_t tid = 0;
    int priority = 0;
    bool boostEnabled = true;
};

namespace {

std::atomic<int> gFailCreations{0};

// The serials of the threads made here that have not ended; guarded by LiveLock(). Never
// destroyed: a thread left to end on its own may end while the process exits.
std::mutex& LiveLock() {
    static auto* lock = new std::mutex();
    return *lock;
}
std::set<uint64_t>& LiveSerials() {
    static auto* serials = new std::set<uint64_t>();
    return *serials;
}
uint64_t gThreadsMade = 0;

uint64_t AddLive() {
    std::lock_guard lock(LiveLock());
    LiveSerials().insert(++gThreadsMade);
    return gThreadsMade;
}

void RemoveLive(uint64_t serial) {
    std::lock_guard lock(LiveLock());
    LiveSerials().erase(serial);
}

void DropUser(ThreadObject* thread) {
    if (thread->users.fetch_sub(1) == 1) {
        CloseEvent(thread->finished);
        delete thread;
    }
}

int NiceValue(int priority) {
    switch (priority) {
        case -15:
            return 19;
        case -2:
            return 10;
        case -1:
            return 5;
        case 1:
            return -5;
        case 2:
            return -10;
        case 15:
            return -20;
        default:
            return 0;
    }
}

// Called with the thread's lock held. Best effort: refusals are ignored.
void ApplyPriority(const ThreadObject& thread) {
    if (thread.tid != 0) {
        (void)setpriority(PRIO_PROCESS, static_cast<id_t>(thread.tid), NiceValue(thread.priority));
    }
}

void Run(ThreadObject* thread) {
    bool run = false;
    {
        std::unique_lock lock(thread->lock);
        thread->resumed.wait(lock, [thread] { return thread->suspendCount == 0 || thread->abandoned; });
        run = thread->suspendCount == 0;
        if (run) {
            thread->tid = static_cast<pid_t>(syscall(SYS_gettid));
            if (thread->priority != 0) {
                ApplyPriority(*thread);
            }
        }
    }
    if (run) {
        thread->entry(thread->parameter);
    }
    {
        std::lock_guard lock(thread->lock);
        thread->tid = 0;
        thread->id = std::thread::id();
    }
    const uint64_t serial = thread->serial;
    SetEvent(thread->finished);
    DropUser(thread);
    RemoveLive(serial);
}

}  // namespace

ThreadHandle CreateSuspendedThread(ThreadEntry entry, void* parameter) {
    int failures = gFailCreations.load();
    while (failures > 0) {
        if (gFailCreations.compare_exchange_weak(failures, failures - 1)) {
            return nullptr;
        }
    }
    auto* thread = new (std::nothrow) ThreadObject();
    if (thread == nullptr) {
        return nullptr;
    }
    thread->entry = entry;
    thread->parameter = parameter;
    thread->finished = CreateEvent(true, false);
    if (thread->finished == nullptr) {
        delete thread;
        return nullptr;
    }
    try {
        thread->serial = AddLive();
        std::thread system(Run, thread);
        std::lock_guard lock(thread->lock);
        thread->id = system.get_id();
        system.detach();
    } catch (const std::system_error&) {
        RemoveLive(thread->serial);
        CloseEvent(thread->finished);
        delete thread;
        return nullptr;
    }
    return thread;
}

void CloseThread(ThreadHandle thread) {
    if (thread == nullptr) {
        return;
    }
    {
        std::lock_guard lock(thread->lock);
        if (thread->suspendCount != 0) {
            thread->abandoned = true;
            thread->resumed.notify_one();
        }
    }
    DropUser(thread);
}

uint32_t ResumeThread(ThreadHandle thread) {
    if (thread == nullptr) {
        return 0xFFFFFFFFu;
    }
    std::lock_guard lock(thread->lock);
    const uint32_t previous = thread->suspendCount;
    if (previous != 0 && --thread->suspendCount == 0) {
        thread->resumed.notify_one();
    }
    return previous;
}

bool SetThreadPriority(ThreadHandle thread, int priority) {
    if (thread == nullptr) {
        return false;
    }
    switch (priority) {
        case -15:
        case -2:
        case -1:
        case 0:
        case 1:
        case 2:
        case 15:
            break;
        default:
            return false;
    }
    std::lock_guard lock(thread->lock);
    thread->priority = priority;
    ApplyPriority(*thread);
    return true;
}

int GetThreadPriority(ThreadHandle thread) {
    if (thread == nullptr) {
        return 0;
    }
    std::lock_guard lock(thread->lock);
    return thread->priority;
}

bool SetThreadPriorityBoost(ThreadHandle thread, bool enable) {
    if (thread == nullptr) {
        return false;
    }
    std::lock_guard lock(thread->lock);
    thread->boostEnabled = enable;
    return true;
}

bool IsThreadPriorityBoostEnabled(ThreadHandle thread) {
    if (thread == nullptr) {
        return false;
    }
    std::lock_guard lock(thread->lock);
    return thread->boostEnabled;
}

uint32_t WaitForThread(ThreadHandle thread, uint32_t milliseconds) {
    return thread == nullptr ? QV::WAIT_FAILED : WaitForEvent(thread->finished, milliseconds);
}

bool IsCurrentThread(ThreadHandle thread) {
    if (thread == nullptr) {
        return false;
    }
    std::lock_guard lock(thread->lock);
    return thread->id == std::this_thread::get_id();
}

int GetLiveThreadCount() {
    std::lock_guard lock(LiveLock());
    return static_cast<int>(LiveSerials().size());
}

uint64_t GetThreadsMadeCount() {
    std::lock_guard lock(LiveLock());
    return gThreadsMade;
}

int GetLiveThreadCountSince(uint64_t mark) {
    std::lock_guard lock(LiveLock());
    const auto& serials = LiveSerials();
    return static_cast<int>(std::distance(serials.upper_bound(mark), serials.end()));
}

void FailThreadCreations(int count) {
    gFailCreations.store(count);
}

}  // namespace Platform
