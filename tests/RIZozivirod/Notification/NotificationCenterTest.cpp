#include "RIZozivirod/Notification/NotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "RIZozivirod/Notification/NotificationTestSupport.h"
#include "RIZozivirod/ObjectBase/Holder.h"
#include "RIZozivirod/Utilities/Storage/CountedItem.h"

namespace {

using QV::LHolder;
using QV::LNotification;
using QV::LNotificationCenter;
using QV::LNotificationCenterManager;
using QV::LNotificationDistributor;
using QV::RCPtr;
using QV::S_OK;
using QV::WString;
using QVTest::DeliveryLog;
using QVTest::RecordingClient;
using Log = std::vector<std::string>;

constexpr const char16_t* kValue = u"NID_VALUE_CHANGE";
constexpr const char16_t* kIdle = u"NID_IDLE";
constexpr const char16_t* kStatus = u"NID_SET_STATUS_TEXT";

// Every test starts with a fresh manager and lets go of it at the end.
class NotificationCenters : public ::testing::Test {
protected:
    void SetUp() override {
        LNotificationCenterManager::ReleaseInstance();
        QVTest::Item::Live() = 0;
    }
    void TearDown() override {
        LNotificationCenterManager::ReleaseInstance();
        EXPECT_EQ(QVTest::Item::Live(), 0);
    }
};

TEST_F(NotificationCenters, OneCentrePerName) {
    const RCPtr<LNotificationCenterManager> manager = LNotificationCenterManager::GetInstance();
    EXPECT_EQ(LNotificationCenterManager::GetInstance().Get(), manager.Get());
    const RCPtr<LNotificationCenter> application = manager->GetNotificationCenter(WString(u"application"));
    ASSERT_TRUE(application);
    EXPECT_EQ(application->GetName(), WString(u"application"));
    EXPECT_EQ(manager->GetNotificationCenter(WString(u"application")).Get(), application.Get());
    EXPECT_EQ(manager->FindNotificationCenter(WString(u"application")).Get(), application.Get());
    EXPECT_FALSE(manager->FindNotificationCenter(WString(u"Application"))) << "names are case-sensitive";
    EXPECT_FALSE(manager->FindNotificationCenter(WString(u"engine")));
    EXPECT_FALSE(manager->GetNotificationCenter(WString()));
    EXPECT_FALSE(manager->FindNotificationCenter(WString()));
}

TEST_F(NotificationCenters, PostedNotificationsReachTheCentresClientsWhenDrained) {
    DeliveryLog log;
    const RCPtr<LNotificationCenterManager> manager = LNotificationCenterManager::GetInstance();
    const RCPtr<LNotificationCenter> first = manager->GetNotificationCenter(WString(u"application"));
    const RCPtr<LNotificationCenter> second = manager->GetNotificationCenter(WString(u"engine"));
    const RCPtr<RecordingClient> a = RecordingClient::Create("A", &log);
    const RCPtr<RecordingClient> b = RecordingClient::Create("B", &log);
    a->RegisterForNotification(first, kValue, 0);
    a->RegisterForNotification(first, kIdle, 0);
    b->RegisterForNotification(second, kValue, 0);
    b->RegisterForNotification(second, kIdle, 0);

    EXPECT_EQ(first->PostNotification(kValue, nullptr), S_OK);
    EXPECT_EQ(second->PostNotification(kValue, nullptr), S_OK);
    EXPECT_TRUE(log.empty()) << "nothing is delivered before the drain";
    EXPECT_FALSE(manager->ProcessNotifications(true));
    EXPECT_EQ(log, (Log{"B:NID_VALUE_CHANGE", "B:NID_IDLE", "A:NID_VALUE_CHANGE", "A:NID_IDLE"}));

    // A post made while draining is reported as waiting.
    log.clear();
    a->OnReceive(
        [&first](RecordingClient& self, const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
            self.OnReceive(nullptr);
            first->PostNotification(kValue, nullptr);
        });
    first->PostNotification(kValue, nullptr);
    EXPECT_TRUE(manager->ProcessNotifications(false));
    EXPECT_FALSE(manager->ProcessNotifications(false));
    EXPECT_EQ(log, (Log{"A:NID_VALUE_CHANGE", "A:NID_VALUE_CHANGE"}));
}

TEST_F(NotificationCenters, ReleasingInternalReferencesLeavesNothingBehind) {
    const RCPtr<LNotificationCenter> centre =
        LNotificationCenterManager::GetInstance()->GetNotificationCenter(WString(u"application"));
    const RCPtr<RecordingClient> a = RecordingClient::Create("A", nullptr);
    a->RegisterForNotification(centre, kValue, 0);
    centre->PostNotification(kValue, QVTest::Item::Create(1));
    EXPECT_EQ(centre->GetInternalRefCount(), 4);

    centre->ReleaseInternalReferences();
    EXPECT_EQ(centre->GetRegistrationCount(), 0);
    EXPECT_EQ(a->GetRegistrationCount(), 0);
    EXPECT_EQ(centre->GetPendingCount(), 0u);
    EXPECT_EQ(centre->GetInternalRefCount(), 0);
    EXPECT_EQ(QVTest::Item::Live(), 0);
    EXPECT_EQ(centre->GetRefCount(), 2) << "this test's and the manager's";
}

TEST_F(NotificationCenters, CentreWithClientsGoesWithTheManager) {
    const RCPtr<RecordingClient> a = RecordingClient::Create("A", nullptr);
    {
        const RCPtr<LNotificationCenter> centre =
            LNotificationCenterManager::GetInstance()->GetNotificationCenter(WString(u"application"));
        a->RegisterForNotification(centre, kValue, LNotificationDistributor::kCoalesce);
        a->RegisterForNotification(centre, kIdle, 0);
        centre->PostNotification(kValue, QVTest::Item::Create(1));
    }
    LNotificationCenterManager::ReleaseInstance();
    // The rest is LeakSanitizer's to check: the centre held only by itself would leak.
    EXPECT_EQ(a->GetRegistrationCount(), 0);
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(QVTest::Item::Live(), 0);
    EXPECT_FALSE(LNotificationCenterManager::GetInstance()->FindNotificationCenter(WString(u"application")));
}

// Several threads post into the "application" centre while this thread drains it: each
// notification arrives once, and each thread's arrive in the order it posted them.
TEST_F(NotificationCenters, CrossThreadPostsArriveOnceInPerThreadOrder) {
    constexpr int kThreads = 4;
    constexpr int kPosts = 500;
    LNotification::EnablePooling(true);
    const RCPtr<LNotificationCenter> centre =
        LNotificationCenterManager::GetInstance()->GetNotificationCenter(WString(u"application"));
    const RCPtr<RecordingClient> receiver = RecordingClient::Create("R", nullptr);
    std::vector<int> next(kThreads, 0);
    int received = 0;
    bool ordered = true;
    receiver->OnReceive(
        [&](RecordingClient&, const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) {
            const RCPtr<LHolder<int>> value(n->GetParam());
            ASSERT_TRUE(value);
            const int thread = value->GetValue() / kPosts;
            const int sequence = value->GetValue() % kPosts;
            ordered = ordered && sequence == next[thread];
            next[thread] = sequence + 1;
            ++received;
        });
    receiver->RegisterForNotification(centre, kValue, 0);

    std::atomic<int> refused{0};
    std::atomic<int> finished{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([t, &refused, &finished] {
            const RCPtr<LNotificationCenter> application =
                LNotificationCenterManager::GetInstance()->FindNotificationCenter(WString(u"application"));
            for (int i = 0; i < kPosts; ++i) {
                if (application->PostNotification(kValue, LHolder<int>::Create(t * kPosts + i)) != S_OK) {
                    ++refused;
                }
            }
            ++finished;
        });
    }
    const RCPtr<LNotificationCenterManager> manager = LNotificationCenterManager::GetInstance();
    while (finished.load() < kThreads) {
        manager->ProcessNotifications(false);
        std::this_thread::yield();
    }
    for (std::thread& poster : posters) {
        poster.join();
    }
    while (manager->ProcessNotifications(true)) {
    }

    EXPECT_EQ(refused.load(), 0);
    EXPECT_EQ(received, kThreads * kPosts);
    EXPECT_TRUE(ordered);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(next[t], kPosts) << t;
    }
    LNotification::EnablePooling(false);
}

// Three threads post plain and coalescing notifications into a centre while this thread
// registers and unregisters clients on it, coalescing ones included, and drains it. Every plain
// notification reaches the client registered throughout once; every client sees each thread's
// notifications in the order they were posted; the coalescing client registered throughout ends
// with the notification posted last.
TEST_F(NotificationCenters, PostingWhileClientsComeAndGoKeepsEveryDeliveryAndItsOrder) {
    constexpr int kThreads = 3;
    constexpr int kPosts = 1500;
    LNotification::EnablePooling(true);
    const RCPtr<LNotificationCenterManager> manager = LNotificationCenterManager::GetInstance();
    const RCPtr<LNotificationCenter> centre = manager->GetNotificationCenter(WString(u"application"));

    // Per client and identifier: the next sequence expected of each thread.
    struct Order {
        std::vector<int> next = std::vector<int>(kThreads, 0);
        int received = 0;
        bool kept = true;
        int last = -1;
        void See(const RCPtr<LNotification>& n) {
            const RCPtr<LHolder<int>> value(n->GetParam());
            if (!value) {
                kept = false;
                return;
            }
            last = value->GetValue();
            if (last < 0) {
                return;
            }
            const int thread = last / kPosts;
            const int sequence = last % kPosts;
            kept = kept && sequence >= next[thread];
            next[thread] = sequence + 1;
            ++received;
        }
    };
    auto recordInto = [](Order& values, Order& statuses) {
        return [&values, &statuses](RecordingClient&, const RCPtr<LNotificationDistributor>&,
                                    const RCPtr<LNotification>& n) {
            (n->GetID() == QV::GetNotificationID(kStatus) ? statuses : values).See(n);
        };
    };
    Order steadyValues;
    Order steadyStatuses;
    const RCPtr<RecordingClient> steady = RecordingClient::Create("steady", nullptr);
    steady->OnReceive(recordInto(steadyValues, steadyStatuses));
    steady->RegisterForNotification(centre, kValue, 0);
    steady->RegisterForNotification(centre, kStatus, LNotificationDistributor::kCoalesce);

    std::atomic<int> refused{0};
    std::atomic<int> finished{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([t, &refused, &finished, centre] {
            for (int i = 0; i < kPosts; ++i) {
                for (const char16_t* name : {kValue, kStatus}) {
                    if (centre->PostNotification(name, LHolder<int>::Create(t * kPosts + i)) != S_OK) {
                        ++refused;
                    }
                }
            }
            ++finished;
        });
    }
    int churned = 0;
    bool churnOrdered = true;
    // At least one client comes and goes, however fast the posters are.
    do {
        Order values;
        Order statuses;
        RCPtr<RecordingClient> passing = RecordingClient::Create("passing", nullptr);
        passing->OnReceive(recordInto(values, statuses));
        passing->RegisterForNotification(centre, kStatus,
                                         churned % 2 == 0 ? LNotificationDistributor::kCoalesce : 0);
        passing->RegisterForNotification(centre, kValue, 0);
        manager->ProcessNotifications(false);
        passing->UnregisterForNotification(centre, kStatus);
        manager->ProcessNotifications(false);
        passing->UnregisterAll();
        churnOrdered = churnOrdered && values.kept && statuses.kept;
        ++churned;
    } while (finished.load() < kThreads);
    for (std::thread& poster : posters) {
        poster.join();
    }
    while (manager->ProcessNotifications(false)) {
    }
    centre->PostNotification(kStatus, LHolder<int>::Create(-1));
    manager->ProcessNotifications(false);

    EXPECT_EQ(refused.load(), 0);
    EXPECT_TRUE(churnOrdered);
    EXPECT_EQ(steadyValues.received, kThreads * kPosts);
    EXPECT_TRUE(steadyValues.kept);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(steadyValues.next[t], kPosts) << t;
    }
    EXPECT_TRUE(steadyStatuses.kept);
    EXPECT_GE(steadyStatuses.received, 1);
    EXPECT_LE(steadyStatuses.received, kThreads * kPosts);
    EXPECT_EQ(steadyStatuses.last, -1);
    steady->UnregisterAll();
    LNotification::EnablePooling(false);
}

}  // namespace
