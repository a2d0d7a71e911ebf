#include "RIZozivirod/Notification/NotificationQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RIZozivirod/Notification/NotificationLocks.h"
#include "RIZozivirod/Notification/NotificationTestSupport.h"
#include "RIZozivirod/Utilities/Storage/CountedItem.h"

namespace {

using QV::E_FAIL;
using QV::E_INVALIDARG;
using QV::LNotification;
using QV::LNotificationClient;
using QV::LNotificationDistributor;
using QV::LNotificationQueue;
using QV::RCPtr;
using QV::S_OK;
using QVTest::CountedDistributor;
using QVTest::DeliveryLog;
using QVTest::RecordingClient;
using Log = std::vector<std::string>;

constexpr const char16_t* kValue = u"NID_VALUE_CHANGE";
constexpr const char16_t* kOther = u"NID_SELECTION_CHANGE";
constexpr const char16_t* kIdle = u"NID_IDLE";
constexpr const char16_t* kStatus = u"NID_SET_STATUS_TEXT";

// A distributor that is also a queue delivering through itself, breaking both cycles at its
// last outside release, as root windows do.
class QueueOwner : public CountedDistributor, public LNotificationQueue {
public:
    static RCPtr<QueueOwner> Create() {
        RCPtr<QueueOwner> owner(new QueueOwner);
        owner->SetTargetDistributor(RCPtr<LNotificationDistributor>(owner));
        owner->AddInternalReferences(1);
        return owner;
    }
    int32_t ReleaseInternalReferences() override {
        UnregisterAllClients();
        Close();
        if (mTargetsItself) {
            mTargetsItself = false;
            AddInternalReferences(-1);
        }
        return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
    }

private:
    bool mTargetsItself = true;
};

// A queue delivering through the distributor, with a client registered for kValue, kOther
// and "NID_IDLE".
class NotificationQueueDrain : public ::testing::Test {
protected:
    DeliveryLog log;
    RCPtr<CountedDistributor> target = CountedDistributor::Create();
    RCPtr<LNotificationQueue> queue{new LNotificationQueue};
    RCPtr<RecordingClient> client = RecordingClient::Create("R", &log);

    void SetUp() override {
        ASSERT_EQ(queue->SetTargetDistributor(target), S_OK);
        for (const char16_t* name : {kValue, kOther, kIdle}) {
            client->RegisterForNotification(target, name, 0);
        }
    }
    void TearDown() override { queue->Close(); }

    RCPtr<LNotification> Post(const char16_t* name) {
        RCPtr<LNotification> n = LNotification::Create(name);
        EXPECT_EQ(queue->PostNotification(n), S_OK);
        return n;
    }
    Log Drain(bool idle) {
        log.clear();
        queue->ProcessQueue(idle);
        return log;
    }
};

TEST_F(NotificationQueueDrain, DeliversInPostingOrderThenIdle) {
    const RCPtr<LNotification> a = Post(kValue);
    const RCPtr<LNotification> b = Post(kOther);
    EXPECT_TRUE(a->IsPosted());
    EXPECT_EQ(queue->GetPendingCount(), 2u);
    log.clear();
    EXPECT_FALSE(queue->ProcessQueue(true));
    EXPECT_EQ(log, (Log{"R:NID_VALUE_CHANGE", "R:NID_SELECTION_CHANGE", "R:NID_IDLE"}));
    EXPECT_FALSE(a->IsPosted());
    EXPECT_FALSE(b->IsPosted());
    EXPECT_EQ(a->GetRefCount(), 1) << "the queue keeps no reference";
}

TEST_F(NotificationQueueDrain, EmptyIdleDrainSendsExactlyOneIdle) {
    EXPECT_EQ(Drain(true), Log{"R:NID_IDLE"});
    EXPECT_FALSE(queue->ProcessQueue(true));
    EXPECT_TRUE(Drain(false).empty());
}

TEST_F(NotificationQueueDrain, PostRefusals) {
    const RCPtr<LNotification> n = Post(kValue);
    EXPECT_EQ(queue->PostNotification(n), E_INVALIDARG) << "posted already";
    EXPECT_EQ(queue->PostNotification(nullptr), E_INVALIDARG);
    EXPECT_EQ(queue->PostNotification(u"", nullptr), E_INVALIDARG);
    EXPECT_EQ(queue->PostNotification(nullptr, nullptr), E_INVALIDARG);

    // A notification waits in one queue at a time.
    const RCPtr<LNotificationQueue> other(new LNotificationQueue);
    other->SetTargetDistributor(target);
    EXPECT_EQ(other->PostNotification(n), E_INVALIDARG);
    other->Close();

    EXPECT_EQ(Drain(false), Log{"R:NID_VALUE_CHANGE"});
    EXPECT_EQ(queue->PostNotification(n), S_OK) << "free again once delivered";
}

TEST_F(NotificationQueueDrain, TargetIsSetOnce) {
    const RCPtr<LNotificationQueue> fresh(new LNotificationQueue);
    EXPECT_EQ(fresh->PostNotification(kValue, nullptr), E_FAIL);
    EXPECT_EQ(fresh->SetTargetDistributor(nullptr), S_OK);
    EXPECT_EQ(fresh->PostNotification(kValue, nullptr), E_FAIL) << "a null target is not stored";
    EXPECT_EQ(fresh->SetTargetDistributor(target), S_OK);
    EXPECT_EQ(fresh->PostNotification(kValue, nullptr), S_OK);
    EXPECT_EQ(fresh->SetTargetDistributor(target), E_FAIL);
    fresh->Close();
}

TEST_F(NotificationQueueDrain, ThreeHundredPostsComeOutInOrder) {
    std::vector<RCPtr<LNotification>> posted;
    for (int i = 0; i < 300; ++i) {
        posted.push_back(Post(i % 2 == 0 ? kValue : kOther));
    }
    std::vector<const LNotification*> delivered;
    client->OnReceive([&delivered](RecordingClient&, const RCPtr<LNotificationDistributor>&,
                                   const RCPtr<LNotification>& n) { delivered.push_back(n.Get()); });
    EXPECT_FALSE(queue->ProcessQueue(false));
    ASSERT_EQ(delivered.size(), 300u);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(delivered[i], posted[i].Get()) << i;
    }
}

TEST_F(NotificationQueueDrain, PostsMadeDuringADrainWaitForTheNext) {
    Post(kValue);
    client->OnReceive(
        [this](RecordingClient& self, const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) {
            if (n->GetID() == QV::GetNotificationID(kValue)) {
                self.OnReceive(nullptr);
                queue->PostNotification(kOther, nullptr);
            }
        });
    log.clear();
    EXPECT_TRUE(queue->ProcessQueue(true));
    EXPECT_EQ(log, (Log{"R:NID_VALUE_CHANGE", "R:NID_IDLE"}));
    log.clear();
    EXPECT_FALSE(queue->ProcessQueue(false));
    EXPECT_EQ(log, Log{"R:NID_SELECTION_CHANGE"});
}

TEST_F(NotificationQueueDrain, DrainFromInsideADeliveryOnlySendsIdle) {
    Post(kValue);
    Post(kOther);
    Log inner;
    client->OnReceive([this, &inner](RecordingClient& self, const RCPtr<LNotificationDistributor>&,
                                     const RCPtr<LNotification>&) {
        self.OnReceive(nullptr);
        const size_t before = log.size();
        queue->ProcessQueue(true);
        inner.assign(log.begin() + static_cast<std::ptrdiff_t>(before), log.end());
    });
    EXPECT_EQ(Drain(false), (Log{"R:NID_VALUE_CHANGE", "R:NID_IDLE", "R:NID_SELECTION_CHANGE"}));
    EXPECT_EQ(inner, Log{"R:NID_IDLE"});
}

TEST_F(NotificationQueueDrain, CoalescingRegistrationGetsTheLastPostInItsPlace) {
    const RCPtr<RecordingClient> status = RecordingClient::Create("S", &log);
    status->RegisterForNotification(target, kStatus, LNotificationDistributor::kCoalesce);
    Post(kValue);
    const RCPtr<LNotification> first = Post(kStatus);
    Post(kOther);
    Post(kStatus);
    const RCPtr<LNotification> third = Post(kStatus);
    Post(kValue);
    EXPECT_EQ(Drain(false), (Log{"R:NID_VALUE_CHANGE", "R:NID_SELECTION_CHANGE", "S:NID_SET_STATUS_TEXT",
                                 "R:NID_VALUE_CHANGE"}));
    EXPECT_EQ(status->Received(), 1);
    EXPECT_EQ(status->Last().Get(), third.Get());
    EXPECT_FALSE(first->IsPosted());

    // Sent directly, never marked: not delivered.
    target->Notify(LNotification::Create(kStatus));
    EXPECT_EQ(status->Received(), 1);
}

TEST_F(NotificationQueueDrain, PostingReceiverQueuesACopyUntilClosed) {
    const RCPtr<QVTest::Item> param = QVTest::Item::Create(3);
    const RCPtr<LNotification> original = LNotification::Create(kValue, param);
    const RCPtr<LNotificationQueue::LPostingReceiver> receiver = queue->GetPostingReceiver();
    ASSERT_TRUE(receiver);
    EXPECT_EQ(receiver->UnregisterForNotification(target, kValue), E_FAIL);

    receiver->ReceiveNotification(CountedDistributor::Create(), original);
    EXPECT_FALSE(original->IsPosted());
    EXPECT_EQ(queue->GetPendingCount(), 1u);
    EXPECT_EQ(Drain(false), Log{"R:NID_VALUE_CHANGE"});
    EXPECT_NE(client->Last().Get(), original.Get());
    EXPECT_EQ(client->Last()->GetParam().Get(), param.Get());

    queue->Close();
    receiver->ReceiveNotification(target, original);
    EXPECT_EQ(queue->GetPendingCount(), 0u);
    EXPECT_FALSE(queue->GetPostingReceiver());
}

TEST_F(NotificationQueueDrain, ClosedQueueDropsWhatWaitsAndTakesNothing) {
    const RCPtr<LNotification> n = Post(kValue);
    queue->Close();
    EXPECT_FALSE(n->IsPosted());
    EXPECT_EQ(queue->GetPendingCount(), 0u);
    EXPECT_EQ(queue->PostNotification(kValue, nullptr), E_FAIL);
    EXPECT_EQ(queue->SetTargetDistributor(target), E_FAIL);
    EXPECT_TRUE(Drain(true).empty()) << "no target: not even the idle notification";
    EXPECT_EQ(queue->GetInternalRefCount(), 0);
    EXPECT_EQ(queue->GetRefCount(), 1);
}

TEST(NotificationQueueWithoutTarget, IdleDrainDeliversNothing) {
    const RCPtr<LNotificationQueue> queue(new LNotificationQueue);
    EXPECT_FALSE(queue->ProcessQueue(true));
    EXPECT_FALSE(queue->ProcessQueue(false));
    EXPECT_FALSE(queue->DiscardPendingNotifications());
    queue->Close();
}

TEST(NotificationLockOrder, LocksAreNeverHeldTogether) {
#ifdef NDEBUG
    GTEST_SKIP() << "checked in debug builds";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            QV::QueueLockCheck ring;
            QV::NotificationLockScope lock;
        },
        "notification lock is taken while the queue lock is held");
    EXPECT_DEATH(
        {
            QV::NotificationLockScope lock;
            QV::QueueLockCheck ring;
        },
        "queue lock is taken while the notification lock is held");
#endif
}

class NotificationQueueLifetime : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingClient::Live() = 0;
        CountedDistributor::Live() = 0;
        QVTest::Item::Live() = 0;
    }
    void TearDown() override {
        EXPECT_EQ(RecordingClient::Live(), 0);
        EXPECT_EQ(CountedDistributor::Live(), 0);
        EXPECT_EQ(QVTest::Item::Live(), 0);
    }
};

TEST_F(NotificationQueueLifetime, OwnerGoesAtItsLastOutsideReleaseWithWhatWaitsInIt) {
    RCPtr<QueueOwner> owner = QueueOwner::Create();
    const RCPtr<RecordingClient> client = RecordingClient::Create("R", nullptr);
    client->RegisterForNotification(owner, kValue, LNotificationDistributor::kCoalesce);
    owner->PostNotification(kValue, QVTest::Item::Create(1));
    owner = nullptr;
    EXPECT_EQ(CountedDistributor::Live(), 0);
    EXPECT_EQ(client->GetRegistrationCount(), 0);
}

TEST_F(NotificationQueueLifetime, OwnerReleasedDuringItsDrainLivesUntilTheDrainEnds) {
    RCPtr<QueueOwner> owner = QueueOwner::Create();
    const RCPtr<RecordingClient> client = RecordingClient::Create("R", nullptr);
    client->RegisterForNotification(owner, kValue, 0);
    client->RegisterForNotification(owner, kIdle, 0);
    owner->PostNotification(kValue, nullptr);
    owner->PostNotification(kValue, QVTest::Item::Create(2));
    client->OnReceive(
        [&owner](RecordingClient& self, const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
            self.OnReceive(nullptr);
            owner = nullptr;
        });
    QueueOwner* const raw = owner.Get();
    EXPECT_FALSE(raw->ProcessQueue(true));
    EXPECT_EQ(client->Received(), 3);
    EXPECT_EQ(CountedDistributor::Live(), 0);
    EXPECT_EQ(client->GetRegistrationCount(), 0);
}

TEST_F(NotificationQueueLifetime, QueueClosedByOneOfItsDeliveriesStopsDraining) {
    const RCPtr<QueueOwner> owner = QueueOwner::Create();
    const RCPtr<RecordingClient> client = RecordingClient::Create("R", nullptr);
    client->RegisterForNotification(owner, kValue, 0);
    client->RegisterForNotification(owner, kIdle, 0);
    const RCPtr<LNotification> second = LNotification::Create(kValue, QVTest::Item::Create(3));
    owner->PostNotification(kValue, nullptr);
    owner->PostNotification(second);
    client->OnReceive(
        [&owner](RecordingClient& self, const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
            self.OnReceive(nullptr);
            owner->Close();
        });
    EXPECT_FALSE(owner->ProcessQueue(true));
    EXPECT_EQ(client->Received(), 1);
    EXPECT_FALSE(second->IsPosted());
    owner->UnregisterAllClients();
}

}  // namespace
