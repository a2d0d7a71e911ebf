#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "RIZozivirod/System/Event.h"
#include "RIZozivirod/System/Threader.h"

namespace QV::test {

// Shortens the stop handshakes' join limit for one test.
class StopLimit {
public:
    explicit StopLimit(uint32_t milliseconds) : mOld(GetStopJoinLimit()) { SetStopJoinLimit(milliseconds); }
    ~StopLimit() { SetStopJoinLimit(mOld); }

private:
    uint32_t mOld;
};

// A parameter object that says which item it is.
class Tag : public LRefCountedObject {
public:
    static RCPtr<LRefCountedObject> Create(int id) { return RCPtr<LRefCountedObject>(new Tag(id)); }
    static int IdOf(const RCPtr<LRefCountedObject>& params) {
        const auto* tag = dynamic_cast<const Tag*>(params.Get());
        return tag != nullptr ? tag->mId : -1;
    }

private:
    explicit Tag(int id) : mId(id) {}
    int mId;
};

// A worker that logs the id of each item it runs and, while its gate is red, holds every
// run until the gate turns green. `started` is signalled as each run begins.
class GateWorker : public LThreadWorker {
public:
    static RCPtr<GateWorker> Create(bool open = true) {
        RCPtr<GateWorker> worker(new GateWorker());
        if (open) {
            worker->gate.Set();
        }
        return worker;
    }

    int DoWork(RCPtr<LRefCountedObject>& params) override {
        {
            std::lock_guard lock(mLogLock);
            mLog.push_back(Tag::IdOf(params));
        }
        ++runs;
        started.Set();
        gate.Wait(Event::INFINITE);
        ++finished;
        return 0;
    }

    std::vector<int> Log() {
        std::lock_guard lock(mLogLock);
        return mLog;
    }

    // Waits until a run has begun.
    void WaitStarted() { started.Wait(Event::INFINITE); }

    TrafficLight gate;
    Event started{true};
    std::atomic<int> runs{0};
    std::atomic<int> finished{0};

private:
    GateWorker() = default;
    std::mutex mLogLock;
    std::vector<int> mLog;
};

}  // namespace QV::test
