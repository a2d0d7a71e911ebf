#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <new>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Result.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"
#include "RIZozivirod/Utilities/Storage/VariantTestSupport.h"

namespace QV {
namespace {

using namespace TestSupport;

TEST(VariantRecordTest, SerializeWritesTheGoldenRecords) {
    struct Case {
        const char* name;
        Variant value;
        Bytes record;
    };
    const Case cases[] = {
        {"Empty", Variant(), {0x0C, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0}},
        {"Int32 258", Int32(258), {0x10, 0, 0, 0, 0x01, 0, 0, 0, 0x06, 0, 0, 0, 0x02, 0x01, 0, 0}},
        {"String abc", Text("abc"), {0x10, 0, 0, 0, 0x01, 0, 0, 0, 0x0F, 0, 0, 0, 0x61, 0x62, 0x63, 0}},
        {"empty list", ListOf({}), {0x0C, 0, 0, 0, 0x01, 0, 0, 0, 0x10, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.record, RecordOf(c.value));
    }
}

TEST(VariantRecordTest, AListIsTheConcatenationOfItsItemRecords) {
    const Variant list = ListOf({Int32(5), Text("a")});
    const Bytes content = {0x10, 0, 0, 0, 1, 0, 0, 0, 6,    0, 0, 0, 5,   0, 0, 0,  // Int32 5
                           0x0E, 0, 0, 0, 1, 0, 0, 0, 0x0F, 0, 0, 0, 'a', 0};       // String a
    EXPECT_EQ(30u, list.length);
    EXPECT_EQ(content, DataOf(list));
    EXPECT_EQ(2u, list.GetListCount());
    EXPECT_EQ(Concat({Record(42, 1, 16), content}), RecordOf(list));

    // Pointers to the items give the same bytes; the items are copied, never borrowed.
    Variant first = Int32(5);
    Variant second = Text("a");
    const Variant* items[2] = {&first, &second};
    Variant byAddress;
    EXPECT_EQ(Variant::List, SerializeVariantArray(byAddress, items, 2));
    second.SetString("changed");
    EXPECT_EQ(content, DataOf(byAddress));

    Variant item;
    EXPECT_EQ(0, list.GetListItem(1, item));
    EXPECT_STREQ("a", item.GetString());
}

TEST(VariantRecordTest, SerializeRefusesWhatItCannotWriteWholly) {
    const Variant value = Int32(258);
    Bytes out(16, 0xEE);
    EXPECT_EQ(16, Variant::Serialize(value, out.data(), 16));
    Bytes untouched(16, 0xEE);
    EXPECT_EQ(E_FAIL, Variant::Serialize(value, untouched.data(), 15));
    EXPECT_EQ(Bytes(16, 0xEE), untouched);
    EXPECT_EQ(E_FAIL, Variant::Serialize(value, nullptr, 100));

    const uint8_t bytes[3] = {7, 8, 9};
    EXPECT_EQ(E_FAIL, Variant::Serialize(Borrowed(Variant::Pointer, bytes, 0), out.data(), 16));
    EXPECT_EQ(E_FAIL, Variant::Serialize(Borrowed(Variant::ConstPointer, nullptr, 5), out.data(), 16));
    EXPECT_EQ(Concat({Record(15, 1, 13), {7, 8, 9}}), RecordOf(Borrowed(Variant::ConstPointer, bytes, 3)));

    // A length whose record size passes 2^32 must not wrap into a small size.
    EXPECT_EQ(E_FAIL,
              Variant::Serialize(Borrowed(Variant::Pointer, bytes, 0xFFFFFFF8u), out.data(), 0xFFFFFFFFu));
    EXPECT_EQ(E_FAIL,
              Variant::Serialize(Borrowed(Variant::Pointer, bytes, 0xFFFFFFF3u), out.data(), 0xFFFFFFFFu));
}

TEST(VariantRecordTest, EveryKindSurvivesARoundTrip) {
    const Variant values[] = {
        Variant(),
        Scalar<uint8_t>(Variant::Bool, 2),
        Scalar<int8_t>(Variant::Int8, -1),
        Scalar<uint8_t>(Variant::UInt8, 200),
        Scalar<int16_t>(Variant::Int16, -300),
        Scalar<uint16_t>(Variant::UInt16, 60000),
        Int32(-5),
        Scalar<uint32_t>(Variant::UInt32, 0xDEADBEEF),
        Scalar(Variant::Float, 2.5f),
        Scalar(Variant::Double, -1e300),
        Scalar<int64_t>(Variant::Int64, std::numeric_limits<int64_t>::min()),
        Scalar(Variant::UInt64, std::numeric_limits<uint64_t>::max()),
        Blob({0, 1, 0xFF}),
        Text("text"),
        ListOf({Int32(1), ListOf({Text("nested"), Variant()}), ListOf({})}),
        ListOf({}),
    };
    for (const Variant& value : values) {
        SCOPED_TRACE(value.kind);
        const Bytes record = RecordOf(value);
        ASSERT_FALSE(record.empty());
        Variant back = Text("previous");
        EXPECT_EQ(0, Variant::Deserialize(back, record.data(), static_cast<uint32_t>(record.size())));
        EXPECT_TRUE(back == value);
    }
}

TEST(VariantRecordTest, DeserializeRefusesBadHeadersAndLeavesTheOutputAlone) {
    struct Case {
        const char* name;
        Bytes record;
        uint32_t available;
    };
    const Case cases[] = {
        {"11 bytes available", Record(12, 1, 0), 11},
        {"size 11", Record(11, 1, 0), 12},
        {"size past what is available", Record(17, 1, 6, {1, 2, 3, 4, 5}), 16},
        {"version 2", Record(12, 2, 0), 12},
        {"version 0", Record(16, 0, 6, {1, 0, 0, 0}), 16},
        {"kind 17", Record(12, 1, 17), 12},
        {"kind 0xFFFFFFFF", Record(13, 1, 0xFFFFFFFF, {1}), 13},
        // The header is checked before the payload: a bad version wins over a bad size.
        {"version and scalar size both wrong", Record(15, 2, 6, {1, 2, 3}), 15},
        {"12-byte Blob (an empty blob's record)", Record(12, 1, 14), 12},
        {"12-byte scalar", Record(12, 1, 6), 12},
        {"12-byte String", Record(12, 1, 15), 12},
        {"Empty with a payload", Record(13, 1, 0, {0}), 13},
        {"String without its zero", Record(15, 1, 15, {'a', 'b', 'c'}), 15},
        {"String whose zero lies past the record", Record(15, 1, 15, {'a', 'b', 'c', 0}), 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // An exact-size copy, so reading past what is available shows under the address checker.
        const Bytes available(c.record.begin(), c.record.begin() + c.available);
        Variant out = Text("kept");
        EXPECT_EQ(E_FAIL, Variant::Deserialize(out, available.data(), c.available));
        EXPECT_STREQ("kept", out.GetString());
    }
    Variant out = Text("kept");
    EXPECT_EQ(E_FAIL, Variant::Deserialize(out, nullptr, 100));
    EXPECT_STREQ("kept", out.GetString());
}

TEST(VariantRecordTest, DeserializeTakesThePayloadBySetRules) {
    Variant out = Text("kept");
    const Bytes wrongScalar = Record(15, 1, 6, {1, 2, 3});
    EXPECT_EQ(E_FAIL, Variant::Deserialize(out, wrongScalar.data(), 15));
    EXPECT_EQ(Variant::Empty, out.kind);

    const Bytes int32 = Concat({Record(16, 1, 6, {0x2A, 0, 0, 0}), {0xAA, 0xBB}});
    EXPECT_EQ(0, Variant::Deserialize(out, int32.data(), 18));
    EXPECT_EQ(Variant::Int32, out.kind);
    EXPECT_EQ(42, out.ToInt32());

    const Bytes text = Record(16, 1, 15, {'a', 0, 'b', 0});
    EXPECT_EQ(0, Variant::Deserialize(out, text.data(), 16));
    EXPECT_STREQ("a", out.GetString());
    EXPECT_EQ(2u, out.length);

    // A borrowed pointer cannot be read back: its bytes arrive as a Blob, reported as a failure.
    const Bytes pointer = Record(14, 1, 12, {7, 8});
    EXPECT_EQ(E_FAIL, Variant::Deserialize(out, pointer.data(), 14));
    EXPECT_EQ(Variant::Blob, out.kind);
    EXPECT_EQ((Bytes{7, 8}), DataOf(out));

    const Bytes emptyList = Record(12, 1, 16);
    EXPECT_EQ(0, Variant::Deserialize(out, emptyList.data(), 12));
    EXPECT_EQ(Variant::List, out.kind);
    EXPECT_EQ(0u, out.length);
    EXPECT_EQ(0u, out.GetListCount());

    // A record read from the Variant's own bytes.
    out = Variant();
    const Bytes abc = RecordOf(Text("abc"));
    out.SetBlob(abc.data(), static_cast<uint32_t>(abc.size()));
    EXPECT_EQ(0, Variant::Deserialize(out, out.value.pointer, out.length));
    EXPECT_STREQ("abc", out.GetString());
}

TEST(VariantRecordTest, GetListItemRefusesMissingAndUnreadableItems) {
    const Variant list = ListOf({Int32(1), Borrowed(Variant::Pointer, "x", 0), Int32(3)});
    // The borrowed pointer without bytes keeps its 12-byte header, so the walk stays in step.
    EXPECT_EQ(3u, list.GetListCount());
    EXPECT_EQ(16u + 12u + 16u, list.length);

    Variant out = Text("previous");
    EXPECT_EQ(0, list.GetListItem(2, out));
    EXPECT_EQ(3, out.ToInt32());
    for (uint32_t index : {1u, 3u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(index);
        out = Text("previous");
        EXPECT_EQ(-1, list.GetListItem(index, out));
        EXPECT_EQ(Variant::Empty, out.kind);
    }
    for (const Variant& notAList : {Int32(5), Blob({16, 0, 0, 0, 1}), Variant()}) {
        EXPECT_EQ(0u, notAList.GetListCount());
        EXPECT_EQ(-1, notAList.GetListItem(0, out));
    }

    // Taking an item into the list itself replaces the list by the item.
    Variant self = ListOf({Text("first"), Int32(2)});
    EXPECT_EQ(0, self.GetListItem(0, self));
    EXPECT_STREQ("first", self.GetString());
}

// Lists whose size fields do not tile their content: every walk ends inside the content.
TEST(VariantRecordTest, MalformedListsAreWalkedWithinTheirLength) {
    const Bytes int32 = RecordOf(Int32(7));
    struct Case {
        const char* name;
        Bytes content;
        uint32_t count;
        std::vector<int32_t> items;  // GetListItem of 0, 1, ...
    };
    const Case cases[] = {
        {"4 bytes", {16, 0, 0, 0}, 0, {-1}},
        {"5 bytes with size 5", {5, 0, 0, 0, 0}, 1, {-1, -1}},
        {"last record runs past the end", Concat({int32, Record(100, 1, 6, {1, 2, 3, 4})}), 2, {0, -1, -1}},
        {"size 0 first", Bytes(16, 0), 1, {-1, -1}},
        {"size 0 after an item", Concat({int32, Bytes(12, 0)}), 2, {0, -1, -1}},
        {"size wrapping to the start",
         Concat({int32, Record(0xFFFFFFF0u, 1, 6, {1, 2, 3, 4})}),
         2,
         {0, -1, -1}},
        {"size wrapping past the start", Concat({int32, Record(0xFFFFFFFFu, 1, 6)}), 2, {0, -1, -1}},
        {"tiny sizes", {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, 2, {-1, -1, -1}},
        {"record larger than its item, last", Concat({Record(17, 1, 6, {1, 0, 0, 0, 0})}), 1, {-1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Variant list = RawList(c.content);
        EXPECT_EQ(c.count, list.GetListCount());
        for (uint32_t i = 0; i < c.items.size(); ++i) {
            Variant out;
            EXPECT_EQ(c.items[i], list.GetListItem(i, out)) << "item " << i;
        }
        // The order walks the items too.
        EXPECT_FALSE(list < list);
        EXPECT_FALSE(list < ListOf({}));
    }
}

TEST(VariantRecordTest, SetListWithCountZeroGivesTheEmptyList) {
    Variant list = Text("previous");
    EXPECT_EQ(Variant::List, list.SetList(nullptr, 0));
    EXPECT_EQ(Variant::List, list.kind);
    EXPECT_EQ(0u, list.length);
    EXPECT_EQ(nullptr, list.value.pointer);
    EXPECT_EQ(0u, list.GetListCount());
}

TEST(VariantRecordTest, SetListRefusesAListLongerThanALengthCanSay) {
    const uint8_t byte = 0;
    // Never read: the total is checked before anything is copied.
    const Variant items[2] = {Borrowed(Variant::Pointer, &byte, 0x80000000u),
                              Borrowed(Variant::Pointer, &byte, 0x80000000u)};
    Variant list = Text("previous");
    EXPECT_THROW(list.SetList(items, 2), std::bad_alloc);
    EXPECT_EQ(Variant::Empty, list.kind);
}

}  // namespace
}  // namespace QV
