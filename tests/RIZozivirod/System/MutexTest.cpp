#include "RIZozivirod/System/Mutex.h"

#include <gtest/gtest.h>

#include <stdexcept>
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

}  // namespace
}  // namespace QV
