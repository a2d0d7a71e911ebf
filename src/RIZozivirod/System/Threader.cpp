#include "RIZozivirod/System/Threader.h"

#include <atomic>
#include <cstdio>

namespace QV {

namespace {

constexpr uint32_t kResumeFailed = 0xFFFFFFFFu;

std::atomic<uint32_t> gStopJoinLimit{60000};

// A stop that gave up on its thread says so; the thread keeps its own state alive.
void ReportOverrun(const char* what, const WString& name) {
    std::fprintf(stderr, "%s \"%s\": thread still running after %u ms; it ends on its own\n", what,
                 name.ToUTF8().GetString(), GetStopJoinLimit());
}

}  // namespace

uint32_t GetStopJoinLimit() {
    return gStopJoinLimit.load();
}

void SetStopJoinLimit(uint32_t milliseconds) {
    gStopJoinLimit.store(milliseconds);
}

// ---------------------------------------------------------------------------------------------

struct RetriggerableThreader::State {
    // The running thread's reference, taken over when it starts.
    std::shared_ptr<State> self;
    Event wake{true};
    // Hands the work over between Trigger, the run loop and Stop.
    std::mutex lock;
    RCPtr<LEvent> done;
    RCPtr<LThreadWorker> worker;
    RCPtr<LRefCountedObject> params;
    std::atomic<bool> busy{false};
    std::atomic<bool> quit{false};
};

RetriggerableThreader::RetriggerableThreader(const WString& name)
    : mState(std::make_shared<State>()), mThread(&RetriggerableThreader::Run, mState.get()), mName(name) {
    mThread.SetPriorityBoost(false);
    mState->self = mState;
    mStarted = mThread.Resume() != kResumeFailed;
    if (!mStarted) {
        mState->self.reset();
    }
}

RetriggerableThreader::~RetriggerableThreader() {
    Stop();
}

// One run: the work stored by the last trigger, unless the threader is stopping, then the
// hand-back. Idle and without a done event before the waiter wakes, so it may trigger at once.
void RetriggerableThreader::RunOnce(State& state) {
    RCPtr<LThreadWorker> worker;
    RCPtr<LRefCountedObject> params;
    {
        std::lock_guard lock(state.lock);
        worker = std::move(state.worker);
        params = std::move(state.params);
    }
    if (!state.quit.load() && worker) {
        worker->DoWork(params);
    }
    params = nullptr;
    worker = nullptr;
    RCPtr<LEvent> done;
    {
        std::lock_guard lock(state.lock);
        done = std::move(state.done);
        state.busy.store(false);
    }
    if (done) {
        done->Set();
    }
}

uint32_t RetriggerableThreader::Run(void* parameter) {
    const std::shared_ptr<State> state = std::move(static_cast<State*>(parameter)->self);
    while (!state->quit.load()) {
        state->wake.Wait(Event::INFINITE);
        RunOnce(*state);
    }
    // A trigger accepted just before the stop is handed back unrun: its references are
    // released and its done event signalled. No trigger is accepted after the stop.
    RunOnce(*state);
    return 0;
}

WString RetriggerableThreader::ToString() const {
    std::lock_guard lock(mNameLock);
    return mName;
}

void RetriggerableThreader::SetName(const WString& name) {
    std::lock_guard lock(mNameLock);
    mName = name;
}

int32_t RetriggerableThreader::Trigger(const RCPtr<LThreadWorker>& worker,
                                       const RCPtr<LRefCountedObject>& params, const RCPtr<LEvent>& done,
                                       int priority) {
    if (!done) {
        return Trigger(worker, params, priority);
    }
    // What the slots held before is released after the hand-over lock.
    RCPtr<LThreadWorker> oldWorker = worker;
    RCPtr<LRefCountedObject> oldParams = params;
    RCPtr<LEvent> oldDone = done;
    std::lock_guard lock(mState->lock);
    if (!mStarted || mState->quit.load() || IsBusy()) {
        return E_FAIL;
    }
    mThread.SetPriority(priority);
    std::swap(mState->worker, oldWorker);
    std::swap(mState->params, oldParams);
    std::swap(mState->done, oldDone);
    done->Reset();
    mState->busy.store(true);
    return mState->wake.Set() ? S_OK : E_FAIL;
}

int32_t RetriggerableThreader::Trigger(const RCPtr<LThreadWorker>& worker,
                                       const RCPtr<LRefCountedObject>& params, int priority) {
    RCPtr<LThreadWorker> oldWorker = worker;
    RCPtr<LRefCountedObject> oldParams = params;
    RCPtr<LEvent> oldDone;
    std::lock_guard lock(mState->lock);
    if (!mStarted || mState->quit.load() || IsBusy()) {
        return E_FAIL;
    }
    mThread.SetPriority(priority);
    std::swap(mState->worker, oldWorker);
    std::swap(mState->params, oldParams);
    std::swap(mState->done, oldDone);
    mState->busy.store(true);
    return mState->wake.Set() ? S_OK : E_FAIL;
}

bool RetriggerableThreader::IsBusy() {
    if (mState->busy.load() && mThread.IsFinished()) {
        mState->busy.store(false);
    }
    return mState->busy.load();
}

void RetriggerableThreader::Stop() {
    {
        std::lock_guard lock(mState->lock);
        if (mState->quit.exchange(true)) {
            return;
        }
    }
    mState->wake.Set();
    if (!mStarted || mThread.IsCurrentThread()) {
        return;
    }
    if (!mThread.Join(GetStopJoinLimit())) {
        ReportOverrun("QV::RetriggerableThreader::Stop", ToString());
    }
}

// ---------------------------------------------------------------------------------------------

struct LEventGatedThreader::State {
    std::shared_ptr<State> self;
    RCPtr<LEvent> gate;
    std::atomic<bool> stop{false};
    // Fixed while the thread runs.
    RCPtr<LThreadWorker> worker;
    RCPtr<LRefCountedObject> params;
    uint32_t waitTimeout = Event::INFINITE;
};

RCPtr<LEventGatedThreader> LEventGatedThreader::Create(const RCPtr<LEvent>& gate,
                                                       const RCPtr<LThreadWorker>& worker,
                                                       const RCPtr<LRefCountedObject>& params, int priority) {
    QV_CHECK_NULL(gate.Get(), "gate");
    return RCPtr<LEventGatedThreader>(new LEventGatedThreader(gate, worker, params, priority));
}

LEventGatedThreader::LEventGatedThreader(const RCPtr<LEvent>& gate, const RCPtr<LThreadWorker>& worker,
                                         const RCPtr<LRefCountedObject>& params, int priority)
    : mState(std::make_shared<State>()), mThread(&LEventGatedThreader::Run, mState.get()) {
    mState->gate = gate;
    mState->worker = worker;
    mState->params = params;
    mThread.SetPriority(priority);
    mThread.SetPriorityBoost(false);
    mState->self = mState;
    mStarted = mThread.Resume() != kResumeFailed;
    if (!mStarted) {
        mState->self.reset();
    }
}

uint32_t LEventGatedThreader::Run(void* parameter) {
    const std::shared_ptr<State> state = std::move(static_cast<State*>(parameter)->self);
    for (;;) {
        if (state->stop.load()) {
            return 0;
        }
        state->gate->Wait(state->waitTimeout);
        if (state->stop.load()) {
            return 0;
        }
        if (state->worker) {
            state->worker->DoWork(state->params);
        }
    }
}

LEventGatedThreader::~LEventGatedThreader() {
    mState->stop.store(true);
    mState->gate->Set();
    if (!mStarted || mThread.IsCurrentThread()) {
        return;
    }
    if (mThread.Join(GetStopJoinLimit())) {
        // The thread has ended: the worker and its parameters go with this object.
        mState->worker = nullptr;
    } else {
        ReportOverrun("QV::LEventGatedThreader::~LEventGatedThreader", ToString());
    }
}

}  // namespace QV
