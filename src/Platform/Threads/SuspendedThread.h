#pragma once

#include <cstdint>

// Threads that start suspended, Windows-style: the entry function runs only after
// ResumeThread, so the creator can finish setting up what the thread will read. A thread is
// never killed; closing the handle leaves a running thread running, and a thread that was
// never resumed then ends without running its entry.
namespace Platform {

struct ThreadObject;
using ThreadHandle = ThreadObject*;
using ThreadEntry = uint32_t (*)(void* parameter);

// Null when the system refuses a thread.
ThreadHandle CreateSuspendedThread(ThreadEntry entry, void* parameter);
void CloseThread(ThreadHandle thread);

// The previous suspend count (1 for a new thread, 0 once running); 0xFFFFFFFF for a null handle.
uint32_t ResumeThread(ThreadHandle thread);

// One of the Windows priority levels (-15, -2, -1, 0, 1, 2, 15). The level is recorded and
// applied as the nice value of the thread where the system allows it: an unprivileged
// thread cannot raise its priority, which is not a failure. False for a null handle or
// another level.
bool SetThreadPriority(ThreadHandle thread, int priority);
// The level last recorded; 0 for a null handle.
int GetThreadPriority(ThreadHandle thread);
// Linux has no dynamic priority boost; the wish is recorded.
bool SetThreadPriorityBoost(ThreadHandle thread, bool enable);
bool IsThreadPriorityBoostEnabled(ThreadHandle thread);

// WAIT_OBJECT_0 once the entry function has returned, WAIT_TIMEOUT, or WAIT_FAILED.
uint32_t WaitForThread(ThreadHandle thread, uint32_t milliseconds);
bool IsCurrentThread(ThreadHandle thread);

// Threads made here that have not ended yet, suspended ones included.
int GetLiveThreadCount();
// A mark for GetLiveThreadCountSince: how many threads have been made so far.
uint64_t GetThreadsMadeCount();
// Threads made after `mark` was taken that have not ended yet. Unlike a difference of live
// counts, threads made earlier that end meanwhile (a pool released on its own thread ends
// that thread by itself, later) do not hide threads made since.
int GetLiveThreadCountSince(uint64_t mark);

// Makes the next `count` thread creations fail as on a system out of threads (tests).
void FailThreadCreations(int count);

}  // namespace Platform
