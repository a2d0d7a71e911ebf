#include "RIZozivirod/System/Thread.h"

#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

Thread::Thread(Entry entry, void* parameter) : mHandle(Platform::CreateSuspendedThread(entry, parameter)) {}

Thread::~Thread() {
    Platform::CloseThread(mHandle);
}

uint32_t Thread::Resume() {
    return Platform::ResumeThread(mHandle);
}

bool Thread::SetPriority(int priority) {
    return Platform::SetThreadPriority(mHandle, priority);
}

bool Thread::SetPriorityBoost(bool enable) {
    return Platform::SetThreadPriorityBoost(mHandle, enable);
}

bool Thread::IsFinished() {
    return Platform::WaitForThread(mHandle, 0) == WAIT_OBJECT_0;
}

bool Thread::Join(uint32_t milliseconds) {
    return Platform::WaitForThread(mHandle, milliseconds) == WAIT_OBJECT_0;
}

int Thread::GetPriority() const {
    return Platform::GetThreadPriority(mHandle);
}

bool Thread::IsPriorityBoostEnabled() const {
    return Platform::IsThreadPriorityBoostEnabled(mHandle);
}

bool Thread::IsCurrentThread() const {
    return Platform::IsCurrentThread(mHandle);
}

}  // namespace QV
