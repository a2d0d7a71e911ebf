#include "RIZozivirod/Notification/NotificationDistributor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "RIZozivirod/Notification/NotificationTestSupport.h"

namespace {

using QV::E_FAIL;
using QV::E_INVALIDARG;
using QV::GetNotificationID;
using QV::LNotification;
using QV::LNotificationClient;
using QV::LNotificationDistributor;
using QV::RCPtr;
using QV::S_FALSE;
using QV::S_OK;
using QVTest::CountedDistributor;
using QVTest::DeliveryLog;
using QVTest::RecordingClient;
using Log = std::vector<std::string>;

constexpr const char16_t* kValue = u"NID_VALUE_CHANGE";
constexpr const char16_t* kOther = u"NID_SELECTION_CHANGE";
constexpr int32_t kCoalesce = LNotificationDistributor::kCoalesce;

// A distributor with clients A, B and C registered in that order for kValue.
struct Scene {
    DeliveryLog log;
    RCPtr<CountedDistributor> distributor = CountedDistributor::Create();
    std::map<std::string, RCPtr<RecordingClient>> clients;

    Scene() {
        for (const char* name : {"A", "B", "C"}) {
            Add(name, 0);
        }
    }

    RecordingClient& Add(const std::string& name, int32_t flags) {
        RCPtr<RecordingClient>& client = clients[name];
        client = RecordingClient::Create(name, &log);
        client->RegisterForNotification(distributor, kValue, flags);
        return *client;
    }

    RecordingClient& operator[](const std::string& name) { return *clients.at(name); }

    Log Walk(const char16_t* name = kValue) {
        log.clear();
        distributor->Notify(LNotification::Create(name));
        return log;
    }
};

void Once(RecordingClient& client, std::function<void(RecordingClient&)> action) {
    client.OnReceive(
        [action](RecordingClient& self, const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
            self.OnReceive(nullptr);
            action(self);
        });
}

TEST(NotificationDispatch, WalkSurvivesRegistrationChangesMadeByReceivers) {
    struct Case {
        const char* name;
        std::function<void(Scene&)> arrange;
        Log first;
        Log second;
    };
    const Log all = {"C:NID_VALUE_CHANGE", "B:NID_VALUE_CHANGE", "A:NID_VALUE_CHANGE"};
    const std::vector<Case> cases = {
        {"last registered first", [](Scene&) {}, all, all},
        {"B unregisters A while served",
         [](Scene& s) {
             Once(s["B"],
                  [&s](RecordingClient&) { s["A"].UnregisterForNotification(s.distributor, kValue); });
         },
         {"C:NID_VALUE_CHANGE", "B:NID_VALUE_CHANGE"},
         {"C:NID_VALUE_CHANGE", "B:NID_VALUE_CHANGE"}},
        {"C unregisters itself",
         [](Scene& s) {
             Once(s["C"],
                  [&s](RecordingClient& self) { self.UnregisterForNotification(s.distributor, kValue); });
         },
         all,
         {"B:NID_VALUE_CHANGE", "A:NID_VALUE_CHANGE"}},
        {"B unregisters itself and C, served already",
         [](Scene& s) {
             Once(s["B"], [&s](RecordingClient& self) {
                 s["C"].UnregisterForNotification(s.distributor, kValue);
                 self.UnregisterForNotification(s.distributor, kValue);
             });
         },
         all,
         {"A:NID_VALUE_CHANGE"}},
        {"A, served last, unregisters B and C",
         [](Scene& s) {
             Once(s["A"], [&s](RecordingClient&) {
                 s["B"].UnregisterForNotification(s.distributor, kValue);
                 s["C"].UnregisterForNotification(s.distributor, kValue);
             });
         },
         all,
         {"A:NID_VALUE_CHANGE"}},
        {"D registers during a delivery",
         [](Scene& s) { Once(s["C"], [&s](RecordingClient&) { s.Add("D", 0); }); },
         all,
         {"D:NID_VALUE_CHANGE", "C:NID_VALUE_CHANGE", "B:NID_VALUE_CHANGE", "A:NID_VALUE_CHANGE"}},
        {"a registration made again keeps its place",
         [](Scene& s) { s["A"].RegisterForNotification(s.distributor, kValue, 6); }, all, all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        c.arrange(scene);
        EXPECT_EQ(scene.Walk(), c.first);
        EXPECT_EQ(scene.Walk(), c.second);
    }
}

TEST(NotificationDispatch, NestedNotifyOfTheSameIdentifierEndsTheOuterWalkWhereItEnded) {
    Scene scene;
    Once(scene["B"],
         [&scene](RecordingClient&) { scene.distributor->Notify(LNotification::Create(kValue)); });
    EXPECT_EQ(scene.Walk(), (Log{"C:NID_VALUE_CHANGE", "B:NID_VALUE_CHANGE", "C:NID_VALUE_CHANGE",
                                 "B:NID_VALUE_CHANGE", "A:NID_VALUE_CHANGE"}));

    // Another identifier has a walk of its own.
    scene["A"].RegisterForNotification(scene.distributor, kOther, 0);
    Once(scene["B"],
         [&scene](RecordingClient&) { scene.distributor->Notify(LNotification::Create(kOther)); });
    EXPECT_EQ(scene.Walk(), (Log{"C:NID_VALUE_CHANGE", "B:NID_VALUE_CHANGE", "A:NID_SELECTION_CHANGE",
                                 "A:NID_VALUE_CHANGE"}));
}

TEST(NotificationDispatch, CoalescingRegistrationIsNeverServedByNotifyAlone) {
    Scene scene;
    scene["B"].RegisterForNotification(scene.distributor, kValue, kCoalesce);
    EXPECT_EQ(scene.Walk(), (Log{"C:NID_VALUE_CHANGE", "A:NID_VALUE_CHANGE"}));

    // Only coalescing registrations: nothing is delivered, and that is still a walk.
    Scene lone;
    lone.clients.clear();
    lone.Add("Q", kCoalesce);
    EXPECT_EQ(lone.distributor->Notify(LNotification::Create(kValue)), S_OK);
    EXPECT_EQ(lone["Q"].Received(), 0);
}

TEST(NotificationDispatch, NotifyResults) {
    Scene scene;
    EXPECT_EQ(scene.distributor->Notify(nullptr), E_INVALIDARG);
    EXPECT_EQ(scene.distributor->Notify(LNotification::Create(u"NID_NOBODY_LISTENS")), S_FALSE);
    EXPECT_EQ(scene.distributor->Notify(LNotification::Create(kValue)), S_OK);
    for (const char* name : {"A", "B", "C"}) {
        scene[name].UnregisterAll();
    }
    EXPECT_EQ(scene.distributor->Notify(LNotification::Create(kValue)), S_FALSE) << "the pool stays, empty";
}

TEST(NotificationDispatch, NotifyClientServesOneRegistrationForACallerWalkingItself) {
    Scene scene;
    const RCPtr<LNotificationDistributor::LNotificationClientPool> pool =
        scene.distributor->FindClientPool(GetNotificationID(kValue));
    ASSERT_TRUE(pool);
    const RCPtr<LNotificationDistributor> sender(scene.distributor);
    const RCPtr<LNotification> n = LNotification::Create(kValue);

    // C removes B (below it) while served: the walk goes on at A.
    Once(scene["C"],
         [&scene](RecordingClient&) { scene["B"].UnregisterForNotification(scene.distributor, kValue); });
    EXPECT_EQ(pool->NotifyClient(sender, 2, n), 1);
    EXPECT_EQ(pool->NotifyClient(sender, 0, n), 0);
    EXPECT_EQ(scene.log, (Log{"C:NID_VALUE_CHANGE", "A:NID_VALUE_CHANGE"}));

    // A coalescing registration that was not marked is passed over: the index comes back.
    scene["A"].RegisterForNotification(scene.distributor, kValue, kCoalesce);
    EXPECT_EQ(pool->NotifyClient(sender, 0, n), 0);
    EXPECT_EQ(scene["A"].Received(), 1);
}

// Notifies one distributor on this thread while another thread registers and unregisters
// clients of the same identifier: no notification reaches a client twice, and the client
// registered throughout receives every one.
TEST(NotificationDispatch, RegistrationsChangedOnAnotherThreadDuringWalks) {
    class SequenceClient : public LNotificationClient {
    public:
        void ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                 const RCPtr<LNotification>& n) override {
            twice = twice || last.exchange(n.Get()) == n.Get();
            received.fetch_add(1);
        }
        std::atomic<int64_t> received{0};
        std::atomic<const LNotification*> last{nullptr};
        std::atomic<bool> twice{false};
    };
    const RCPtr<CountedDistributor> distributor = CountedDistributor::Create();
    const RCPtr<SequenceClient> steady(new SequenceClient);
    steady->RegisterForNotification(distributor, kValue, 0);
    std::vector<RCPtr<SequenceClient>> churning;
    for (int i = 0; i < 6; ++i) {
        churning.emplace_back(new SequenceClient);
    }
    std::atomic<bool> stop{false};
    std::thread changer([&] {
        for (uint32_t round = 0; !stop; ++round) {
            SequenceClient& client = *churning[round % churning.size()];
            if (client.GetRegistrationCount() == 0) {
                client.RegisterForNotification(distributor, kValue, 0);
            } else {
                client.UnregisterForNotification(distributor, kValue);
            }
        }
    });
    // Every notification is kept, so each has an address of its own.
    constexpr int kNotifications = 20000;
    std::vector<RCPtr<LNotification>> sent;
    for (int i = 0; i < kNotifications; ++i) {
        sent.push_back(LNotification::Create(kValue));
        distributor->Notify(sent.back());
    }
    stop = true;
    changer.join();
    EXPECT_EQ(steady->received.load(), kNotifications);
    EXPECT_FALSE(steady->twice.load());
    for (const RCPtr<SequenceClient>& client : churning) {
        EXPECT_FALSE(client->twice.load());
        client->UnregisterAll();
    }
    steady->UnregisterAll();
}

TEST(NotificationRegistration, RegisteringTwiceReplacesTheFlagsAndCountsOnce) {
    DeliveryLog log;
    const RCPtr<CountedDistributor> d = CountedDistributor::Create();
    const RCPtr<RecordingClient> a = RecordingClient::Create("A", &log);
    const char16_t* id = GetNotificationID(kValue);
    EXPECT_EQ(a->RegisterForNotification(d, kValue, 2), id);
    EXPECT_EQ(d->Register(RCPtr<LNotificationClient>(a), kValue, 4), S_FALSE);
    EXPECT_EQ(a->RegisterForNotification(d, kValue, 8), id);
    EXPECT_EQ(a->GetRegistrationCount(), 1);
    EXPECT_EQ(a->GetInternalRefCount(), 1);
    EXPECT_EQ(d->GetRegistrationCount(), 1);
    int32_t flags = 0;
    EXPECT_EQ(d->GetRegistrationFlags(RCPtr<LNotificationClient>(a), kValue, flags), S_OK);
    EXPECT_EQ(flags, 8);
    EXPECT_EQ(d->FindClientPool(id)->GetFlags(), 8) << "the union is rebuilt when flags change";
    d->Notify(LNotification::Create(kValue));
    EXPECT_EQ(a->Received(), 1);
}

TEST(NotificationRegistration, ResultCodesOfRefusedAndEmptyRequests) {
    const RCPtr<CountedDistributor> d = CountedDistributor::Create();
    const RCPtr<RecordingClient> a = RecordingClient::Create("A", nullptr);
    const RCPtr<LNotificationClient> client(a);
    const RCPtr<LNotificationDistributor> none;

    // Nothing registered yet: 1 even for a null distributor.
    EXPECT_EQ(a->UnregisterForNotification(none, kValue), S_FALSE);
    EXPECT_EQ(a->RegisterForNotification(none, kValue, 0), nullptr);
    EXPECT_EQ(a->RegisterForNotification(d, u"", 0), nullptr);
    EXPECT_EQ(a->RegisterForNotification(d, nullptr, 0), nullptr);
    EXPECT_EQ(a->GetRegistrationCount(), 0);

    a->RegisterForNotification(d, kValue, 0);
    EXPECT_EQ(a->UnregisterForNotification(none, kValue), E_INVALIDARG);
    EXPECT_EQ(a->UnregisterForNotification(d, nullptr), E_INVALIDARG);
    EXPECT_EQ(a->UnregisterForNotification(d, u""), E_INVALIDARG);
    EXPECT_EQ(a->UnregisterForNotification(d, kOther), S_FALSE);

    EXPECT_EQ(d->Register(nullptr, kValue, 0), E_INVALIDARG);
    EXPECT_EQ(d->Register(client, u"", 0), S_FALSE);
    EXPECT_EQ(d->Unregister(nullptr, kValue), E_INVALIDARG);
    EXPECT_EQ(d->Unregister(client, u""), E_INVALIDARG);
    EXPECT_EQ(d->UnregisterClientFromAll(nullptr), E_INVALIDARG);

    int32_t flags = 42;
    EXPECT_EQ(d->GetRegistrationFlags(client, u"", flags), E_FAIL);
    EXPECT_EQ(d->GetRegistrationFlags(client, u"NID_NEVER_REGISTERED", flags), E_FAIL);
    EXPECT_EQ(d->GetRegistrationFlags(RCPtr<LNotificationClient>(RecordingClient::Create("B", nullptr)),
                                      kValue, flags),
              E_FAIL);
    EXPECT_EQ(flags, 42);

    EXPECT_EQ(a->UnregisterForNotification(d, kValue), S_OK);
    EXPECT_EQ(a->UnregisterForNotification(d, kValue), S_FALSE);
}

TEST(NotificationRegistration, ReferencesAreCountedWhileRegistered) {
    const RCPtr<CountedDistributor> d = CountedDistributor::Create();
    const RCPtr<RecordingClient> a = RecordingClient::Create("A", nullptr);
    a->RegisterForNotification(d, kValue, 0);
    a->RegisterForNotification(d, kOther, 0);
    // One per registration, and one for the list of distributors with registrations.
    EXPECT_EQ(d->GetRefCount(), 4);
    EXPECT_EQ(d->GetInternalRefCount(), 3);
    EXPECT_EQ(a->GetRefCount(), 3);
    EXPECT_EQ(a->GetInternalRefCount(), 2);

    a->UnregisterForNotification(d, kValue);
    EXPECT_TRUE(d->HasClient(RCPtr<LNotificationClient>(a)));
    a->UnregisterForNotification(d, kOther);
    EXPECT_FALSE(d->HasClient(RCPtr<LNotificationClient>(a)));
    EXPECT_EQ(d->GetRefCount(), 1);
    EXPECT_EQ(d->GetInternalRefCount(), 0);
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(a->GetInternalRefCount(), 0);
}

TEST(NotificationRegistration, UnregisterAllRemovesEveryRegistrationWithEveryDistributor) {
    const RCPtr<CountedDistributor> first = CountedDistributor::Create();
    const RCPtr<CountedDistributor> second = CountedDistributor::Create();
    const RCPtr<RecordingClient> a = RecordingClient::Create("A", nullptr);
    a->RegisterForNotification(first, kValue, 0);
    a->RegisterForNotification(first, kOther, 0);
    a->RegisterForNotification(second, kValue, 0);
    EXPECT_EQ(a->UnregisterAll(), 3);
    EXPECT_EQ(a->UnregisterAll(), 0);
    for (CountedDistributor* d : {first.Get(), second.Get()}) {
        EXPECT_FALSE(d->HasClient(RCPtr<LNotificationClient>(a)));
        EXPECT_EQ(d->GetInternalRefCount(), 0);
        EXPECT_EQ(d->GetRefCount(), 1);
    }
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(a->GetInternalRefCount(), 0);
}

TEST(NotificationRegistration, UnregisterAllClientsAsksEachClientToLeave) {
    Scene scene;
    scene["B"].RegisterForNotification(scene.distributor, kOther, 0);
    EXPECT_EQ(scene.distributor->UnregisterAllClients(), S_OK);
    for (const char* name : {"A", "B", "C"}) {
        EXPECT_EQ(scene[name].GetRegistrationCount(), 0) << name;
    }
    EXPECT_EQ(scene.distributor->GetRegistrationCount(), 0);
    EXPECT_EQ(scene.distributor->GetInternalRefCount(), 0);
    EXPECT_EQ(scene.distributor->GetRefCount(), 1);
}

// A distributor that breaks its cycles itself at its last outside release, as controls do.
class SelfReleasingDistributor : public CountedDistributor {
public:
    static RCPtr<SelfReleasingDistributor> Create() {
        return RCPtr<SelfReleasingDistributor>(new SelfReleasingDistributor);
    }
    int32_t ReleaseInternalReferences() override {
        UnregisterAllClients();
        return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
    }
};

class NotificationLifetime : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingClient::Live() = 0;
        CountedDistributor::Live() = 0;
    }
    void TearDown() override {
        EXPECT_EQ(RecordingClient::Live(), 0);
        EXPECT_EQ(CountedDistributor::Live(), 0);
    }
};

TEST_F(NotificationLifetime, ClientGoesAtItsLastOutsideRelease) {
    const RCPtr<CountedDistributor> d = CountedDistributor::Create();
    RCPtr<RecordingClient> a = RecordingClient::Create("A", nullptr);
    a->RegisterForNotification(d, kValue, 0);
    a->RegisterForNotification(d, kOther, 0);
    a = nullptr;
    EXPECT_EQ(RecordingClient::Live(), 0);
    EXPECT_EQ(d->GetRefCount(), 1);
    EXPECT_EQ(d->Notify(LNotification::Create(kValue)), S_FALSE);
}

TEST_F(NotificationLifetime, PlainDistributorLivesUntilItsClientsLeave) {
    RCPtr<CountedDistributor> d = CountedDistributor::Create();
    RCPtr<RecordingClient> a = RecordingClient::Create("A", nullptr);
    RCPtr<RecordingClient> b = RecordingClient::Create("B", nullptr);
    a->RegisterForNotification(d, kValue, 0);
    b->RegisterForNotification(d, kValue, 0);
    CountedDistributor* const raw = d.Get();
    d = nullptr;
    EXPECT_EQ(CountedDistributor::Live(), 1);
    raw->Notify(LNotification::Create(kValue));
    EXPECT_EQ(a->Received(), 1);
    a = nullptr;
    EXPECT_EQ(CountedDistributor::Live(), 1);
    b = nullptr;
    EXPECT_EQ(CountedDistributor::Live(), 0);
}

TEST_F(NotificationLifetime, DistributorBreakingItsCyclesGoesWhileItsClientsStay) {
    RCPtr<SelfReleasingDistributor> d = SelfReleasingDistributor::Create();
    const RCPtr<RecordingClient> a = RecordingClient::Create("A", nullptr);
    a->RegisterForNotification(d, kValue, 0);
    a->RegisterForNotification(d, kOther, 0);
    d = nullptr;
    EXPECT_EQ(CountedDistributor::Live(), 0);
    EXPECT_EQ(a->GetRegistrationCount(), 0);
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(a->GetInternalRefCount(), 0);
}

TEST_F(NotificationLifetime, SenderAndClientDroppedDuringTheWalkLiveUntilItEnds) {
    Scene scene;
    RCPtr<SelfReleasingDistributor> sender = SelfReleasingDistributor::Create();
    for (auto& [name, client] : scene.clients) {
        client->RegisterForNotification(sender, kValue, 0);
    }
    // B lets go of the sender's last outside reference, and of its own.
    Once(scene["B"], [&scene, &sender](RecordingClient&) {
        sender = nullptr;
        scene.clients.erase("B");
    });
    SelfReleasingDistributor* const raw = sender.Get();
    EXPECT_EQ(raw->Notify(LNotification::Create(kValue)), S_OK);
    EXPECT_EQ(scene.log, (Log{"C:NID_VALUE_CHANGE", "B:NID_VALUE_CHANGE", "A:NID_VALUE_CHANGE"}));
    EXPECT_EQ(CountedDistributor::Live(), 1) << "only the scene's own distributor is left";
    EXPECT_EQ(RecordingClient::Live(), 2);
    EXPECT_EQ(scene["A"].GetRegistrationCount(), 1);
}

}  // namespace
