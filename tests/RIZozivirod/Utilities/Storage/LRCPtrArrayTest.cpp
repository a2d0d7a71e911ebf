#include "RIZozivirod/Utilities/Storage/LRCPtrArray.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "RIZozivirod/Utilities/Storage/CountedItem.h"

namespace {

using QVTest::Item;
using Looks = QV::LRCPtrArray<Item, 1, 0>;

TEST(LRCPtrArrayTest, LastReleaseReleasesTheElementsInOrder) {
    Item::Destroyed().clear();
    QV::ConstRCPtr<Looks> shared = Looks::Create(3, 0);
    EXPECT_EQ(1, shared->GetRefCount());
    EXPECT_TRUE(shared->IsShareable());
    EXPECT_FALSE(shared->GetTag());
    EXPECT_EQ(3u, shared->GetCount());
    EXPECT_FALSE(shared->GetAt(0));

    {
        QV::RCPtr<Looks> writer(const_cast<Looks*>(shared.Get()));
        for (uint32_t i = 0; i < 3; ++i) {
            writer->GetAt(i) = Item::Create(static_cast<int>(i) + 1);
        }
        EXPECT_EQ(2, shared->GetRefCount());
    }
    EXPECT_EQ(1, shared->GetAt(2)->GetRefCount());
    shared = nullptr;
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Item::Destroyed());
    EXPECT_EQ(0, Item::Live());
}

TEST(LRCPtrArrayTest, CannotBeCopiedOnWrite) {
    QV::RCPtr<Looks> only = Looks::Create();
    only->Add(Item::Create(1));
    only->SetUnshareable(true);
    try {
        QV::RCPtr<Looks> second(only);
        ADD_FAILURE() << "copied";
    } catch (const std::logic_error& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with(
            "Logic Error : CreateCopy() not implemented for RefCountedObject"))
            << e.what();
    }
    EXPECT_EQ(1, only->GetRefCount());
    EXPECT_EQ(1u, only->GetCount());
}

}  // namespace
