#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/System/Event.h"
#include "RIZozivirod/System/Thread.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// Work run by a threader on its thread. DoWork must not let an exception escape.
class LThreadWorker : public virtual LRefCountedObject {
public:
    virtual int DoWork(RCPtr<LRefCountedObject>& params) = 0;
};

// How long a stop handshake waits for its thread: 60000 ms. Tests shorten it.
uint32_t GetStopJoinLimit();
void SetStopJoinLimit(uint32_t milliseconds);

// A thread that sleeps until triggered, runs one piece of work, signals the optional done
// event and sleeps again. Trigger, IsBusy, Stop and the destructor run on the owner's thread;
// triggers from several threads are serialised by the owner. The work, its parameters and the
// done event are released on the threader's thread, so their destructors may run there.
//
// The state the thread uses is shared between the thread and this object: when a stop does
// not see the thread end in time, or runs on the thread itself (an object released by the run
// destroys its own threader), the thread keeps that state alive and ends on its own after
// its current run.
class RetriggerableThreader : public IStringable {
public:
    explicit RetriggerableThreader(const WString& name);
    RetriggerableThreader(const RetriggerableThreader&) = delete;
    RetriggerableThreader& operator=(const RetriggerableThreader&) = delete;
    virtual ~RetriggerableThreader();

    WString ToString() const override;
    void SetName(const WString& name);

    // S_OK, or E_FAIL when stopping, busy, without a running thread or when the wake-up
    // fails; nothing is stored in the first three cases. A null done event is the same as none.
    int32_t Trigger(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params,
                    const RCPtr<LEvent>& done, int priority);
    // Without a done event: one left from an earlier trigger is dropped.
    int32_t Trigger(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params, int priority);

    bool IsBusy();
    // Quit flag, wake-up and a bounded join; a run in progress finishes first. A second call
    // returns at once.
    void Stop();

    // The priority level the last trigger asked for.
    int GetPriority() const { return mThread.GetPriority(); }

private:
    struct State;
    static uint32_t Run(void* parameter);
    static void RunOnce(State& state);

    std::shared_ptr<State> mState;
    Thread mThread;
    bool mStarted = false;
    mutable std::mutex mNameLock;
    WString mName;
};

// A thread bound to a gate event, a worker and its parameters: every signal of the gate lets
// the worker run once more, and signals that arrive during a run count as one, so the worker
// drains everything pending each time. The gate may be signalled from any thread. Stopping
// (the destructor) follows the same rules as the retriggerable threader's.
class LEventGatedThreader : public virtual LRefCountedObject {
public:
    static RCPtr<LEventGatedThreader> Create(const RCPtr<LEvent>& gate, const RCPtr<LThreadWorker>& worker,
                                             const RCPtr<LRefCountedObject>& params, int priority);
    ~LEventGatedThreader() override;

    int GetPriority() const { return mThread.GetPriority(); }

private:
    struct State;
    static uint32_t Run(void* parameter);

    LEventGatedThreader(const RCPtr<LEvent>& gate, const RCPtr<LThreadWorker>& worker,
                        const RCPtr<LRefCountedObject>& params, int priority);

    std::shared_ptr<State> mState;
    Thread mThread;
    bool mStarted = false;
};

}  // namespace QV
