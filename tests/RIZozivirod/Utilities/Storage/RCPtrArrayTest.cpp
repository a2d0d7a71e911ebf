#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "RIZozivirod/Utilities/Storage/ConstRCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/CountedItem.h"

namespace {

using QV::ConstRCPtr;
using QV::RCPtr;
using QVTest::Item;

using Items = QV::RCPtrArray<Item, 1, 0>;

class RCPtrArrayTest : public ::testing::Test {
protected:
    void SetUp() override { Item::Destroyed().clear(); }
    void TearDown() override { EXPECT_EQ(0, Item::Live()); }

    static void Fill(Items& array, std::initializer_list<int> values) {
        for (int value : values) {
            array.Add(Item::Create(value));
        }
    }
};

TEST_F(RCPtrArrayTest, RemovalPastTheEndReleasesEachElementOnceInOrderThenThrows) {
    const std::string expected =
        "Out of Range : QV::ConstRCPtrArray<QVTest::Item, 1, 0>::RemoveItem : "
        "RIZozivirod/Utilities/Storage/ConstRCPtrArray.h : Line ";
    Items array;
    Fill(array, {1, 2, 3});
    try {
        array.RemoveItems(0, 4);
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with(expected)) << e.what();
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Item::Destroyed());
    EXPECT_EQ(0u, array.GetCount());
}

TEST_F(RCPtrArrayTest, EmptyingReleasesLowestIndexFirst) {
    const std::function<void(Items*&)> ways[] = {
        [](Items*& array) {
            delete array;
            array = nullptr;
        },
        [](Items*& array) { EXPECT_EQ(0, array->SetCount(0)); },
        [](Items*& array) { EXPECT_EQ(QV::S_OK, array->RemoveAll()); },
        [](Items*& array) { EXPECT_EQ(0, array->RemoveItems(0, 3)); },
    };
    for (const auto& empty : ways) {
        Item::Destroyed().clear();
        Items* array = new Items;
        Fill(*array, {1, 2, 3});
        empty(array);
        EXPECT_EQ((std::vector<int>{1, 2, 3}), Item::Destroyed());
        delete array;
    }
}

TEST_F(RCPtrArrayTest, BothInterfacesSeeTheSameSlots) {
    Items array;
    Fill(array, {1, 2});
    const QV::ConstRCPtrArray<Item, 1, 0>& base = array;
    const QV::IArray<ConstRCPtr<Item>>& constView = array;
    EXPECT_EQ(array.GetAt(1).Get(), base.GetAt(1).Get());
    EXPECT_EQ(array.GetAt(1).Get(), constView.GetAt(1).Get());
    EXPECT_EQ(static_cast<const void*>(array.GetData()), static_cast<const void*>(base.GetData()));

    // Changes through one interface show through the other.
    QV::IArray<ConstRCPtr<Item>>& asConst = array;
    EXPECT_EQ(2, asConst.Add(Item::Create(3)));
    EXPECT_EQ(3, array.GetAt(2)->Value());
    RCPtr<Item> out;
    EXPECT_EQ(2, array.RemoveItem(0, out));
    EXPECT_EQ(1, out->Value());
    EXPECT_EQ(1, out->GetRefCount());
    EXPECT_EQ(2, constView.GetAt(0).Get()->Value());
}

TEST_F(RCPtrArrayTest, ArraysAppendAndAssignEachOther) {
    Items array;
    Fill(array, {1, 2});
    Items other;
    EXPECT_EQ(2, other.Append(array));
    EXPECT_EQ(2, array.GetAt(0)->GetRefCount());
    Fill(other, {3});
    EXPECT_EQ(3, array.Assign(other));
    EXPECT_TRUE(array == other);
    EXPECT_EQ(2, array.GetAt(2)->GetRefCount());
}

// Storing a further pointer to an unshareable pointee stores a copy of it (insertion, and Swap
// through the RCPtr interface); Swap through the base interface only exchanges the pointers.
TEST_F(RCPtrArrayTest, PointerCopyRuleOnStoringAndSwapping) {
    Items array;
    RCPtr<Item> kept = Item::Create(1);
    kept->SetUnshareable(true);
    array.Add(kept);
    EXPECT_NE(kept.Get(), array.GetAt(0).Get());
    EXPECT_EQ(1, array.GetAt(0)->Value());
    EXPECT_EQ(1, kept->GetRefCount());

    array.RemoveAll();
    kept = nullptr;
    Fill(array, {1, 2});
    Item* const first = array.GetAt(0).Get();
    first->SetUnshareable(true);
    Item::Destroyed().clear();

    QV::IArray<ConstRCPtr<Item>>& asConst = array;
    EXPECT_EQ(QV::S_OK, asConst.Swap(0, 1));
    EXPECT_EQ(first, array.GetAt(1).Get());
    EXPECT_EQ(1, first->GetRefCount());
    EXPECT_TRUE(Item::Destroyed().empty());

    EXPECT_EQ(QV::S_OK, array.Swap(0, 1));
    EXPECT_EQ((std::vector<int>{1}), Item::Destroyed());
    EXPECT_EQ(1, array.GetAt(0)->Value());
    EXPECT_EQ(2, array.GetAt(1)->Value());
    EXPECT_EQ(1, array.GetAt(0)->GetRefCount());
    EXPECT_EQ(1, array.GetAt(1)->GetRefCount());
    EXPECT_EQ(2, Item::Live());
}

TEST_F(RCPtrArrayTest, ConstructedSlotsAreNull) {
    QV::RCPtrArray<Item, 256, 256> ring(256, 256);
    EXPECT_EQ(256u, ring.GetCount());
    EXPECT_EQ(256 * sizeof(Item*), ring.GetCapacity());
    for (uint32_t i = 0; i < ring.GetCount(); ++i) {
        ASSERT_FALSE(ring.GetAt(i)) << i;
    }

    QV::ConstRCPtrArray<Item, 1, 0> looks(3, 0);
    EXPECT_EQ(3u, looks.GetCount());
    EXPECT_FALSE(looks.GetAt(2));

    Items empty;
    EXPECT_EQ(0u, empty.GetCapacity());
    EXPECT_EQ(nullptr, empty.GetData());
}

// Storage grows in steps of N pointers and keeps at most M spare; with N = 1, M = 0 it is
// always exactly the pointers in use. Shrinking removes one element at a time.
TEST_F(RCPtrArrayTest, StorageGrowsInStepsAndKeepsLimitedSpare) {
    const uint32_t p = sizeof(Item*);
    QV::ConstRCPtrArray<Item, 16, 16> stepped;
    QV::ConstRCPtrArray<Item, 1, 0> exact;
    struct Step {
        uint32_t count;
        uint32_t steppedCapacity;
    };
    const Step steps[] = {{1, 16}, {16, 16}, {17, 32}, {16, 32}, {15, 16}, {0, 16}, {40, 48}, {0, 16}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.count);
        stepped.SetCount(step.count);
        exact.SetCount(step.count);
        EXPECT_EQ(step.steppedCapacity * p, stepped.GetCapacity());
        EXPECT_EQ(step.count * p, exact.GetCapacity());
    }
}

TEST_F(RCPtrArrayTest, RemoveItemHandsOverTheReferenceAndReleasesWhatOutHeld) {
    Items array;
    Fill(array, {1, 2});
    RCPtr<Item> out = Item::Create(9);
    EXPECT_EQ(1, array.RemoveItem(1, out));
    EXPECT_EQ((std::vector<int>{9}), Item::Destroyed());
    EXPECT_EQ(2, out->Value());
    EXPECT_EQ(1, out->GetRefCount());

    try {
        array.RemoveItem(1, out);
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with(
            "Out of Range : QV::RCPtrArray<QVTest::Item, 1, 0>::RemoveItem : "
            "RIZozivirod/Utilities/Storage/RCPtrArray.h : Line "))
            << e.what();
    }
    EXPECT_EQ(2, out->Value());
    EXPECT_EQ(1u, array.GetCount());
}

}  // namespace
