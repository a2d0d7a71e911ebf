#include "RIZozivirod/Utilities/Storage/HashedList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"

namespace QV {
namespace {

std::string Utf8(const WString& text) {
    return std::string(NString(text).GetString());
}

// An item that carries its key, like a glyph record stored by value.
struct Record {
    intptr_t key = 0;
    int value = 0;
};

intptr_t RecordKey(const Record& record) {
    return record.key;
}

using AddressList = HashedList<Record, intptr_t, &RecordKey, 8, &GetBits<8, 4, intptr_t>>;

TEST(HashedList, GetBitsKeepsEightBitsFromTheShift) {
    const struct {
        intptr_t key;
        uint32_t byAddress;     // GetBits<8, 4, intptr_t>
        uint32_t byIdentifier;  // GetBits<8, 0, int32_t>
    } rows[] = {
        {0x00, 0x00, 0x00},   {0x0F, 0x00, 0x0F},  {0x10, 0x01, 0x10},
        {0x1010, 0x01, 0x10}, {0xFF0, 0xFF, 0xF0}, {0x1000, 0x00, 0x00},
        {-16, 0xFF, 0xF0},    {-1, 0xFF, 0xFF},    {-4096, 0x00, 0x00},
    };
    for (const auto& row : rows) {
        EXPECT_EQ((GetBits<8, 4, intptr_t>(row.key)), row.byAddress) << row.key;
        EXPECT_EQ((GetBits<8, 0, int32_t>(static_cast<int32_t>(row.key))), row.byIdentifier) << row.key;
    }
}

TEST(HashedList, AddingAPresentKeyReplacesTheValueInTheSamePair) {
    AddressList list;
    EXPECT_TRUE(list.Add({0x40, 1}));
    Record* first = list.Find(0x40, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(list.Add({0x40, 2}));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.Find(0x40, nullptr), first);
    EXPECT_EQ(first->value, 2);
}

TEST(HashedList, KeysSharingABucketStayApart) {
    // 0x10/0x1010 share bucket 1, 0x00 to 0x0F bucket 0, -16/0xFF0 bucket 0xFF.
    const std::vector<intptr_t> keys = {0x10, 0x1010, 0, 1, 7, 0x0F, -16, 0xFF0, INTPTR_MIN, INTPTR_MAX};
    AddressList list;
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_TRUE(list.Add({keys[i], static_cast<int>(i)}));
    }
    EXPECT_EQ(list.GetCount(), static_cast<int32_t>(keys.size()));
    for (size_t removed = 0; removed < keys.size(); ++removed) {
        for (size_t i = removed; i < keys.size(); ++i) {
            Record* found = list.Find(keys[i], nullptr);
            ASSERT_NE(found, nullptr) << keys[i];
            EXPECT_EQ(found->value, static_cast<int>(i));
        }
        EXPECT_TRUE(list.Remove(keys[removed]));
        EXPECT_EQ(list.Find(keys[removed], nullptr), nullptr);
        EXPECT_EQ(list.GetCount(), static_cast<int32_t>(keys.size() - removed - 1));
    }
}

TEST(HashedList, AbsentKeysGiveTheCallersPointerAndRemoveNothing) {
    AddressList list;
    list.Add({0x10, 1});
    Record sentinel;
    EXPECT_EQ(list.Find(0x1010, &sentinel), &sentinel);
    EXPECT_EQ(list.Find(0x20, &sentinel), &sentinel);
    EXPECT_EQ(list.Find(0x20, nullptr), nullptr);
    EXPECT_FALSE(list.Remove(0x1010));
    EXPECT_EQ(list.GetCount(), 1);
}

TEST(HashedList, RemoveAllEmptiesEveryBucket) {
    AddressList list;
    for (intptr_t key = 0; key < 0x3000; key += 0x18) {
        list.Add({key, 0});
    }
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    for (intptr_t key = 0; key < 0x3000; key += 0x18) {
        ASSERT_EQ(list.Find(key, nullptr), nullptr);
    }
    EXPECT_TRUE(list.Add({0x18, 3}));
    EXPECT_EQ(list.GetCount(), 1);
}

class Counted : public LRefCountedObject {
public:
    explicit Counted(int& destroyed) : mDestroyed(destroyed) {}
    ~Counted() override { ++mDestroyed; }

private:
    int& mDestroyed;
};

struct Held {
    int32_t key = 0;
    RCPtr<Counted> object;
};

int32_t HeldKey(const Held& held) {
    return held.key;
}

TEST(HashedList, PairsReleaseTheirItemsOnReplaceRemoveAndDestruction) {
    int destroyed = 0;
    RCPtr<Counted> a(new Counted(destroyed));
    RCPtr<Counted> b(new Counted(destroyed));
    RCPtr<Counted> c(new Counted(destroyed));
    {
        HashedList<Held, int32_t, &HeldKey, 8, &GetBits<8, 0, int32_t>> list;
        list.Add({1, a});
        list.Add({2, b});
        list.Add({258, c});
        EXPECT_EQ(a->GetRefCount(), 2);
        list.Add({1, b});  // replaces a
        EXPECT_EQ(a->GetRefCount(), 1);
        EXPECT_EQ(b->GetRefCount(), 3);
        list.Remove(2);
        EXPECT_EQ(b->GetRefCount(), 2);
        EXPECT_EQ(c->GetRefCount(), 2);
    }
    EXPECT_EQ(b->GetRefCount(), 1);
    EXPECT_EQ(c->GetRefCount(), 1);
    EXPECT_EQ(destroyed, 0);
}

// A key compared field by field whose bucket comes from the image behind an area, like the
// bitmap descriptors: areas of one image share a bucket and are still different keys.
class Image : public LRefCountedObject {
public:
    ConstRCPtr<Image> parent;
    const Image* Root() const { return parent ? parent->Root() : this; }
};

struct Area {
    ConstRCPtr<Image> image;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const Area& other) const {
        return image == other.image && width == other.width && height == other.height;
    }
    static uint32_t GetHashBits(const Area& area) {
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(area.image->Root()) >> 4) & 0xFF;
    }
};

struct Cached {
    Area area;
    int value = 0;
};

Area CachedArea(const Cached& cached) {
    return cached.area;
}

TEST(HashedList, AreasOfOneImageShareABucketAndStayTwoKeys) {
    RCPtr<Image> image(new Image);
    RCPtr<Image> left(new Image);
    RCPtr<Image> right(new Image);
    left->parent = image;
    right->parent = image;
    const Area a{left, 16, 16};
    const Area b{right, 16, 16};
    ASSERT_EQ(Area::GetHashBits(a), Area::GetHashBits(b));

    HashedList<Cached, Area, &CachedArea, 8, &Area::GetHashBits> list;
    EXPECT_TRUE(list.Add({a, 1}));
    EXPECT_TRUE(list.Add({b, 2}));
    EXPECT_FALSE(list.Add({Area{left, 16, 16}, 3}));
    EXPECT_TRUE(list.Add({Area{left, 16, 17}, 4}));
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.Find(a, nullptr)->value, 3);
    EXPECT_EQ(list.Find(b, nullptr)->value, 2);
    EXPECT_TRUE(list.Remove(a));
    EXPECT_EQ(list.Find(b, nullptr)->value, 2);
}

TEST(HashedList, PairTextIsTheKeyTypeName) {
    using IdentifierList = HashedList<Held, int32_t, &HeldKey, 8, &GetBits<8, 0, int32_t>>;
    EXPECT_EQ(Utf8(IdentifierList::Pair::Create(5, Held{})->ToString()), "int");
    EXPECT_EQ(Utf8(AddressList::Pair::Create(5, Record{})->ToString()), "long");
}

}  // namespace
}  // namespace QV
