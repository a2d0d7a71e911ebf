#include "RIZozivirod/Application/Windows/MessageLoop.h"

#include <algorithm>

namespace QV {

namespace {
thread_local MessageLoop* tCurrentLoop = nullptr;
// Set by a signal handler; the loop turns it into its quit request.
std::atomic<bool> sQuitSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);
}  // namespace

// The first loop made hears the signals: its watcher wakes it.
MessageLoop::MessageLoop(IEventSource& source)
    : mSource(source), mPrevious(tCurrentLoop), mSignalWatcher([this] { mSource.Wake(); }) {
    tCurrentLoop = this;
}

MessageLoop::~MessageLoop() {
    if (tCurrentLoop == this) {
        tCurrentLoop = mPrevious;
    }
}

MessageLoop* MessageLoop::GetCurrent() {
    return tCurrentLoop;
}

void MessageLoop::RequestQuitFromSignal() {
    sQuitSignalled.store(true);
    Platform::SignalWatcher::NotifyFromSignal();
}

void MessageLoop::RequestQuit() {
    if (mQuitRequest) {
        mQuitRequest();
    } else {
        Quit(0);
    }
}

void MessageLoop::Quit(int32_t code) {
    mQuitting = true;
    mQuitCode = code;
}

void MessageLoop::Post(Task task) {
    {
        std::lock_guard hold(mPostLock);
        mPosted.push_back(std::move(task));
    }
    mSource.Wake();
}

void MessageLoop::PostDelayed(Task task, uint32_t delayMs) {
    mTimers.push_back(Timer{mSource.GetTimeMs() + delayMs, std::move(task)});
}

bool MessageLoop::RunPostedTasks() {
    std::deque<Task> tasks;
    {
        std::lock_guard hold(mPostLock);
        tasks.swap(mPosted);
    }
    for (Task& task : tasks) {
        task();
    }
    return !tasks.empty();
}

bool MessageLoop::RunDueTimers() {
    const uint32_t now = mSource.GetTimeMs();
    std::vector<Task> due;
    for (auto it = mTimers.begin(); it != mTimers.end();) {
        if (static_cast<int32_t>(now - it->due) >= 0) {
            due.push_back(std::move(it->task));
            it = mTimers.erase(it);
        } else {
            ++it;
        }
    }
    for (Task& task : due) {
        task();
    }
    return !due.empty();
}

int32_t MessageLoop::TimeUntilNextWake(bool ticking, uint32_t nextTick) {
    const uint32_t now = mSource.GetTimeMs();
    int32_t timeout = -1;
    const auto consider = [&](uint32_t due) {
        const int32_t left = std::max<int32_t>(0, static_cast<int32_t>(due - now));
        timeout = timeout < 0 ? left : std::min(timeout, left);
    };
    if (ticking) {
        consider(nextTick);
    }
    for (const Timer& timer : mTimers) {
        consider(timer.due);
    }
    return timeout;
}

bool MessageLoop::RunLoop(const std::function<bool()>* done) {
    struct DepthGuard {
        int32_t& depth;
        explicit DepthGuard(int32_t& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(mDepth);

    bool idle = true;
    int32_t count = 0;
    uint32_t nextTick = mSource.GetTimeMs() + kIdleTickMs;
    for (;;) {
        if (sQuitSignalled.exchange(false)) {
            RequestQuit();
        }
        if (done != nullptr && (*done)()) {
            return true;
        }
        if (mSource.DispatchNext() || RunPostedTasks() || RunDueTimers()) {
            idle = true;
            count = 0;
            continue;
        }
        if (mPaint && mPaint()) {
            continue;
        }
        if (mQuitting) {
            return false;
        }
        if (idle) {
            if (!mIdle || !mIdle(count++)) {
                idle = false;
            }
            continue;
        }
        const bool ticking = mHasIdleWork && mHasIdleWork();
        if (!mSource.Wait(TimeUntilNextWake(ticking, nextTick))) {
            // Nothing can arrive any more: end as if asked to.
            Quit(mQuitCode);
            return false;
        }
        ++mWakeCount;
        idle = true;
        count = 0;
        const uint32_t now = mSource.GetTimeMs();
        if (static_cast<int32_t>(now - nextTick) >= 0) {
            nextTick = now + kIdleTickMs;
        }
    }
}

int32_t MessageLoop::Run() {
    RunLoop(nullptr);
    const int32_t code = mQuitCode;
    if (mDepth == 0) {
        mQuitting = false;
        mQuitCode = 0;
    }
    return code;
}

bool MessageLoop::RunUntil(const std::function<bool()>& done) {
    return RunLoop(&done);
}

}  // namespace QV
