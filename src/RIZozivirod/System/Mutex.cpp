#include "RIZozivirod/System/Mutex.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace QV {

namespace {

void AbortOnViolation(const Mutex& taken, const Mutex& held) {
    std::fprintf(stderr, "lock order violated: \"%s\" (level %d) taken while \"%s\" (level %d) is held\n",
                 taken.GetName(), static_cast<int>(taken.GetLevel()), held.GetName(),
                 static_cast<int>(held.GetLevel()));
    std::abort();
}

std::atomic<LockOrderViolationHandler> gViolationHandler{&AbortOnViolation};

#ifndef NDEBUG
// The checked locks this thread holds, one entry per acquisition, the latest last. Deeper nesting
// than this is not checked further.
constexpr int kMaxHeld = 32;
thread_local const Mutex* tHeld[kMaxHeld];
thread_local int tHeldCount = 0;
#endif

}  // namespace

LockOrderViolationHandler SetLockOrderViolationHandler(LockOrderViolationHandler handler) {
    return gViolationHandler.exchange(handler != nullptr ? handler : &AbortOnViolation);
}

Mutex::Mutex() = default;

Mutex::Mutex(const char* name, int32_t level) : mName(name != nullptr ? name : ""), mLevel(level) {}

Mutex::~Mutex() = default;

#ifndef NDEBUG
void Mutex::BeforeLock() {
    const int count = tHeldCount < kMaxHeld ? tHeldCount : kMaxHeld;
    for (int i = 0; i < count; ++i) {
        if (tHeld[i] == this) {
            return;
        }
    }
    for (int i = count; i-- > 0;) {
        if (tHeld[i]->GetLevel() <= mLevel) {
            gViolationHandler.load()(*this, *tHeld[i]);
            return;
        }
    }
}

void Mutex::AfterLock() {
    if (tHeldCount < kMaxHeld) {
        tHeld[tHeldCount] = this;
    }
    ++tHeldCount;
}

void Mutex::BeforeUnlock() {
    if (tHeldCount == 0) {
        return;
    }
    const int count = tHeldCount < kMaxHeld ? tHeldCount : kMaxHeld;
    if (tHeldCount > kMaxHeld) {
        --tHeldCount;
        return;
    }
    // Usually the latest; a lock released out of order is taken out where it is.
    for (int i = count; i-- > 0;) {
        if (tHeld[i] == this) {
            for (int j = i; j + 1 < count; ++j) {
                tHeld[j] = tHeld[j + 1];
            }
            --tHeldCount;
            return;
        }
    }
}
#else
void Mutex::BeforeLock() {}
void Mutex::AfterLock() {}
void Mutex::BeforeUnlock() {}
#endif

}  // namespace QV
