#include "RIZozivirod/System/Mutex.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace QV {
namespace {

TEST(MutexThreads, RecursiveLockingExcludesOtherThreads) {
    Mutex mutex;
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                CAutoLock outer(mutex);
                CAutoLock inner(mutex);
                ++counter;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counter, 8000);
}

TEST(MutexThreads, ScopedLockIsReleasedWhenAnExceptionLeaves) {
    Mutex mutex;
    EXPECT_THROW(
        {
            CAutoLock lock(mutex);
            throw std::runtime_error("leave");
        },
        std::runtime_error);
    bool locked = false;
    std::thread other([&] {
        CAutoLock lock(mutex);
        locked = true;
    });
    other.join();
    EXPECT_TRUE(locked);
}

// The lock-order check of debug builds, with a handler that records instead of aborting. Each
// case is a sequence of steps: a letter locks that lock, "-" and a letter unlocks it; the
// expected text lists the violations as "taken<held".
#ifndef NDEBUG
std::vector<std::string>& Violations() {
    static std::vector<std::string> violations;
    return violations;
}

void RecordViolation(const Mutex& taken, const Mutex& held) {
    Violations().push_back(std::string(taken.GetName()) + "<" + held.GetName());
}
#endif

TEST(MutexLockOrder, InversionsAreReportedBeforeTheLockIsTaken) {
#ifdef NDEBUG
    GTEST_SKIP() << "checked in debug builds";
#else
    struct Case {
        const char* steps;
        const char* expected;
    };
    const Case cases[] = {
        {"H L", ""},          // from higher to lower
        {"L H", "H<L"},       // inversion
        {"L M", "M<L"},       // two locks of one level
        {"H L L", ""},        // re-entering a held lock is always allowed
        {"H U L U", ""},      // unchecked locks take no part
        {"L -L H", ""},       // released before the higher one is taken
        {"H L -H M", "M<L"},  // what is still held counts
    };
    const LockOrderViolationHandler previous = SetLockOrderViolationHandler(&RecordViolation);
    std::vector<std::unique_ptr<Mutex>> locks;
    for (const Case& c : cases) {
        // Locks of each case's own, alive to the end, so the cases' orders never meet (a
        // ThreadSanitizer build would see a cycle in them).
        locks.push_back(std::make_unique<Mutex>("H", 20));
        locks.push_back(std::make_unique<Mutex>("L", 10));
        locks.push_back(std::make_unique<Mutex>("M", 10));
        locks.push_back(std::make_unique<Mutex>());
        const size_t first = locks.size() - 4;
        auto lockNamed = [&](char name) -> Mutex& {
            const size_t offset = name == 'H' ? 0 : name == 'L' ? 1 : name == 'M' ? 2 : 3;
            return *locks[first + offset];
        };
        Violations().clear();
        std::vector<Mutex*> held;
        const std::string steps = c.steps;
        for (size_t i = 0; i < steps.size(); ++i) {
            if (steps[i] == ' ') {
                continue;
            }
            if (steps[i] == '-') {
                Mutex& mutex = lockNamed(steps[++i]);
                mutex.Unlock();
                for (size_t j = held.size(); j-- > 0;) {
                    if (held[j] == &mutex) {
                        held.erase(held.begin() + static_cast<std::ptrdiff_t>(j));
                        break;
                    }
                }
                continue;
            }
            Mutex& mutex = lockNamed(steps[i]);
            mutex.Lock();
            held.push_back(&mutex);
        }
        for (size_t j = held.size(); j-- > 0;) {
            held[j]->Unlock();
        }
        std::string reported;
        for (const std::string& violation : Violations()) {
            reported += (reported.empty() ? "" : " ") + violation;
        }
        EXPECT_EQ(reported, c.expected) << c.steps;
    }
    SetLockOrderViolationHandler(previous);
#endif
}

}  // namespace
}  // namespace QV
