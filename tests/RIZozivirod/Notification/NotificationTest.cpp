#include "RIZozivirod/Notification/Notification.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "RIZozivirod/Utilities/Storage/CountedItem.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace {

using QV::GetNotificationID;
using QV::GetNotificationName;
using QV::GetNotificationNameRegistry;
using QV::LNotification;
using QV::RCPtr;
using QV::WString;

TEST(NotificationIdentifier, NullAndEmptyNamesHaveNoIdentifier) {
    GetNotificationID(u"NID_IDLE");
    const uint32_t before = GetNotificationNameRegistry().GetCount();
    const char16_t empty[] = {0};
    for (const char16_t* name : {static_cast<const char16_t*>(nullptr), empty}) {
        EXPECT_EQ(GetNotificationID(name), nullptr);
        EXPECT_FALSE(LNotification::Create(name));
    }
    EXPECT_EQ(GetNotificationNameRegistry().GetCount(), before);
}

TEST(NotificationIdentifier, OneIdentifierPerTextComparedCaseSensitively) {
    // Two buffers holding one text, built at run time so they cannot be merged.
    std::u16string first = u"NID_VALUE_CHANGE";
    std::u16string second = first;
    const char16_t* id = GetNotificationID(first.c_str());
    ASSERT_NE(id, nullptr);
    EXPECT_NE(id, first.c_str());
    EXPECT_EQ(GetNotificationID(second.c_str()), id);
    EXPECT_EQ(GetNotificationID(id), id);
    EXPECT_EQ(std::u16string(id), first);

    const char16_t* idle = GetNotificationID(u"NID_IDLE");
    const char16_t* lower = GetNotificationID(u"nid_idle");
    EXPECT_NE(idle, lower);
    EXPECT_EQ(GetNotificationName(idle), WString(u"NID_IDLE"));
    EXPECT_EQ(GetNotificationName(lower), WString(u"nid_idle"));
}

TEST(NotificationIdentifier, NameOfAnythingButAnIdentifierIsEmpty) {
    const char16_t* id = GetNotificationID(u"NID_SELECTION_CHANGE");
    const std::u16string copy = id;
    EXPECT_EQ(GetNotificationName(id), WString(u"NID_SELECTION_CHANGE"));
    EXPECT_TRUE(GetNotificationName(copy.c_str()).IsEmpty());
    EXPECT_TRUE(GetNotificationName(id + 1).IsEmpty());
    EXPECT_TRUE(GetNotificationName(nullptr).IsEmpty());
}

TEST(NotificationIdentifier, IdentifiersStayPutWhileTheRegistryGrows) {
    const char16_t* id = GetNotificationID(u"NID_SCROLL_OFFSET_CHANGE");
    std::vector<const char16_t*> added;
    for (int i = 0; i < 300; ++i) {
        added.push_back(GetNotificationID(WString::Format(u"NID_GROWTH_%d", i).GetString()));
    }
    EXPECT_EQ(std::u16string(id), u"NID_SCROLL_OFFSET_CHANGE");
    EXPECT_EQ(GetNotificationID(u"NID_SCROLL_OFFSET_CHANGE"), id);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(GetNotificationID(WString::Format(u"NID_GROWTH_%d", i).GetString()), added[i]);
    }
}

TEST(NotificationIdentifier, NamesAddedToTheRegistryDirectlyAreTheirIdentifiers) {
    GetNotificationID(u"NID_IDLE");
    // A name of its own each time the test runs: the registry lives as long as the process.
    static int runs = 0;
    const WString name = WString::Format(u"NID_ADDED_DIRECTLY_%d", ++runs);
    GetNotificationNameRegistry().Add(name);
    const char16_t* stored =
        GetNotificationNameRegistry().GetAt(GetNotificationNameRegistry().GetCount() - 1).GetString();
    EXPECT_EQ(GetNotificationID(name.GetString()), stored);
    EXPECT_EQ(GetNotificationName(stored), name);
}

TEST(NotificationIdentifier, ThreadsInterningOneNameShareOneIdentifier) {
    constexpr int kThreads = 4;
    std::vector<const char16_t*> ids(kThreads * 50);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &ids] {
            for (int i = 0; i < 50; ++i) {
                ids[t * 50 + i] = GetNotificationID(WString::Format(u"NID_RACE_%d", i).GetString());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 1; t < kThreads; ++t) {
        for (int i = 0; i < 50; ++i) {
            ASSERT_EQ(ids[t * 50 + i], ids[i]);
        }
    }
}

TEST(NotificationCreate, CarriesItsIdentifierAndParameter) {
    const RCPtr<QVTest::Item> param = QVTest::Item::Create(7);
    const RCPtr<LNotification> n = LNotification::Create(u"NID_VALUE_CHANGE", param);
    ASSERT_TRUE(n);
    EXPECT_EQ(n->GetID(), GetNotificationID(u"NID_VALUE_CHANGE"));
    EXPECT_EQ(n->GetParam().Get(), param.Get());
    EXPECT_FALSE(n->IsPosted());
    EXPECT_EQ(n->GetRefCount(), 1);
    EXPECT_EQ(param->GetRefCount(), 2);
}

class NotificationPool : public ::testing::Test {
protected:
    void SetUp() override { LNotification::EnablePooling(true); }
    void TearDown() override { LNotification::EnablePooling(false); }
};

TEST_F(NotificationPool, ReleasedNotificationIsHandedOutAgainWithoutItsOldParameter) {
    QVTest::Item::Live() = 0;
    RCPtr<LNotification> n = LNotification::Create(u"NID_MOUSE_MOVE", QVTest::Item::Create(1));
    LNotification* const address = n.Get();
    const uint32_t pooled = LNotification::GetPooledCount();
    n = nullptr;
    EXPECT_EQ(LNotification::GetPooledCount(), pooled + 1);
    EXPECT_EQ(QVTest::Item::Live(), 0) << "the parameter goes with the last release";

    // A refused name leaves the pool alone.
    EXPECT_FALSE(LNotification::Create(u""));
    EXPECT_EQ(LNotification::GetPooledCount(), pooled + 1);

    const RCPtr<QVTest::Item> param = QVTest::Item::Create(2);
    n = LNotification::Create(u"NID_MOUSE_UP", param);
    EXPECT_EQ(n.Get(), address);
    EXPECT_EQ(n->GetID(), GetNotificationID(u"NID_MOUSE_UP"));
    EXPECT_EQ(n->GetParam().Get(), param.Get());
    EXPECT_EQ(n->GetRefCount(), 1);
    EXPECT_EQ(LNotification::GetPooledCount(), pooled);
}

TEST_F(NotificationPool, GrowsToThePeakAndIsTakenLastInFirstOut) {
    LNotification::EnablePooling(false);
    LNotification::EnablePooling(true);
    std::vector<RCPtr<LNotification>> alive;
    std::vector<LNotification*> addresses;
    for (int i = 0; i < 5; ++i) {
        alive.push_back(LNotification::Create(u"NID_VALUE_CHANGE"));
        addresses.push_back(alive.back().Get());
    }
    for (RCPtr<LNotification>& n : alive) {
        n = nullptr;
    }
    EXPECT_EQ(LNotification::GetPooledCount(), 5u);

    // The one released last comes out first.
    for (int i = 4; i >= 2; --i) {
        alive[i] = LNotification::Create(u"NID_MOUSE_MOVE");
        EXPECT_EQ(alive[i].Get(), addresses[i]);
    }
    EXPECT_EQ(LNotification::GetPooledCount(), 2u);
    alive.clear();
    EXPECT_EQ(LNotification::GetPooledCount(), 5u);
}

TEST_F(NotificationPool, SwitchingPoolingOffEmptiesThePool) {
    RCPtr<LNotification> a = LNotification::Create(u"NID_IDLE");
    a = nullptr;
    EXPECT_GT(LNotification::GetPooledCount(), 0u);
    LNotification::EnablePooling(false);
    EXPECT_EQ(LNotification::GetPooledCount(), 0u);
    // Released directly from now on.
    a = LNotification::Create(u"NID_IDLE");
    a = nullptr;
    EXPECT_EQ(LNotification::GetPooledCount(), 0u);
}

}  // namespace
