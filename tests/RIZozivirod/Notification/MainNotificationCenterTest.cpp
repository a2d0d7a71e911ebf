#include "RIZozivirod/Notification/MainNotificationCenter.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using QV::LNotificationCenter;
using QV::LNotificationCenterManager;
using QV::RCPtr;

class MainNotificationCenterThreadTest : public ::testing::Test {
protected:
    void SetUp() override { LNotificationCenterManager::ReleaseInstance(); }
    void TearDown() override { LNotificationCenterManager::ReleaseInstance(); }
};

// Threads that post look the centre up on first use: they all get the one "application" centre.
TEST_F(MainNotificationCenterThreadTest, FirstLookupsFromSeveralThreadsMakeOneCentre) {
    constexpr int kThreads = 8;
    std::vector<RCPtr<LNotificationCenter>> found(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&found, i] { found[i] = QV::GetMainNotificationCenter(); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const RCPtr<LNotificationCenter> centre =
        LNotificationCenterManager::GetInstance()->FindNotificationCenter(u"application");
    ASSERT_TRUE(centre);
    for (const RCPtr<LNotificationCenter>& each : found) {
        EXPECT_EQ(each, centre);
    }
    EXPECT_EQ(QV::GetMainNotificationCenter(), centre);
}

// A new manager (after the application let go of the old one) has a new main centre.
TEST_F(MainNotificationCenterThreadTest, FollowsTheCurrentManager) {
    const RCPtr<LNotificationCenter> first = QV::GetMainNotificationCenter();
    LNotificationCenterManager::ReleaseInstance();
    const RCPtr<LNotificationCenter> second = QV::GetMainNotificationCenter();
    ASSERT_TRUE(second);
    EXPECT_FALSE(second == first);
    EXPECT_EQ(second->GetName(), u"application");
}

}  // namespace
