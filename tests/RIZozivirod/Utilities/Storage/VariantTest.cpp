#include "RIZozivirod/Utilities/Storage/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "RIZozivirod/Utilities/Storage/VariantTestSupport.h"

namespace QV {
namespace {

using namespace TestSupport;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt64Min = std::numeric_limits<int64_t>::min();
constexpr uint64_t kUInt64Max = std::numeric_limits<uint64_t>::max();
constexpr uint64_t kUpperHalf = 0x8000000000000000ull;

const uint8_t kNineBytes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
const uint8_t kOneByte[] = {0xFE};

TEST(VariantTest, SetStoresAScalarOnlyWithItsExactSize) {
    const uint8_t bytes[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    struct Case {
        uint32_t kind;
        uint32_t size;
        int32_t result;
    };
    const Case cases[] = {
        {Variant::Bool, 1, Variant::Bool},
        {Variant::UInt8, 2, 0},
        {Variant::Int16, 2, Variant::Int16},
        {Variant::UInt16, 4, 0},
        {Variant::Int32, 4, Variant::Int32},
        {Variant::Int32, 2, 0},
        {Variant::Float, 4, Variant::Float},
        {Variant::Double, 4, 0},
        {Variant::UInt64, 8, Variant::UInt64},
        {Variant::Empty, 0, 0},
        {17, 4, 0},
        {0xFFFFFFFF, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " size " << c.size);
        Variant v = Text("previous");
        EXPECT_EQ(c.result, v.Set(c.kind, bytes, c.size));
        EXPECT_EQ(c.result, v.kind);
        EXPECT_EQ(0u, v.length);
        if (c.result == 0) {
            EXPECT_EQ(0u, v.value.bits);
        } else {
            // The bytes beyond the scalar stay zero: conversions read whole words.
            uint64_t expected = 0;
            std::memcpy(&expected, bytes, c.size);
            EXPECT_EQ(expected, v.value.bits);
        }
    }
}

TEST(VariantTest, SetTurnsBorrowedBytesIntoAnOwnedBlobAndTextsIntoStrings) {
    for (uint32_t kind : {Variant::Pointer, Variant::ConstPointer, Variant::Blob}) {
        Variant v;
        EXPECT_EQ(Variant::Blob, v.Set(kind, kNineBytes, 3));
        EXPECT_EQ(Variant::Blob, v.kind);
        EXPECT_NE(static_cast<const void*>(kNineBytes), v.value.pointer);
        EXPECT_EQ((Bytes{1, 2, 3}), DataOf(v));
    }
    Variant text;
    EXPECT_EQ(Variant::String, text.Set(Variant::String, "abc", 1));
    EXPECT_EQ(4u, text.length);
    EXPECT_STREQ("abc", text.GetString());

    Variant list;
    EXPECT_EQ(Variant::List, list.Set(Variant::List, kNineBytes, 5));
    EXPECT_EQ((Bytes{1, 2, 3, 4, 5}), DataOf(list));
}

TEST(VariantTest, DataAccessorsReportWhatEachKindHolds) {
    Variant i16 = Scalar<int16_t>(Variant::Int16, 7);
    uint32_t size = 99;
    EXPECT_EQ(static_cast<const void*>(&i16.value), i16.GetData(size));
    EXPECT_EQ(2u, size);
    EXPECT_EQ(static_cast<void*>(&i16.value), i16.GetMutableData(size));
    EXPECT_EQ(nullptr, i16.GetString());

    Variant empty;
    EXPECT_EQ(nullptr, empty.GetData(size));
    EXPECT_EQ(0u, size);

    Variant zeroBlob = Blob({});
    EXPECT_NE(nullptr, zeroBlob.GetData(size));
    EXPECT_EQ(0u, size);
    EXPECT_FALSE(zeroBlob.ToBool());

    Variant borrowed = Borrowed(Variant::Pointer, kNineBytes, 9);
    EXPECT_EQ(static_cast<const void*>(kNineBytes), borrowed.GetData(size));
    EXPECT_EQ(9u, size);
    EXPECT_EQ(static_cast<const void*>(kNineBytes), borrowed.GetMutableData(size));

    for (Variant readOnly : {Borrowed(Variant::ConstPointer, kNineBytes, 9), ListOf({Int32(1)})}) {
        size = 99;
        EXPECT_NE(nullptr, readOnly.GetData(size));
        EXPECT_EQ(nullptr, readOnly.GetMutableData(size));
        EXPECT_EQ(0u, size);
    }

    Variant text = Text("");
    EXPECT_EQ(1u, text.length);
    EXPECT_STREQ("", text.GetString());
}

// Every conversion of every kind. Data kinds read at most the bytes they hold; floating values
// round half away from zero, and NaN or values out of range give the x86 indefinite integer.
struct ConversionRow {
    const char* name;
    Variant value;
    bool toBool;
    uint8_t toUInt8;
    int8_t toInt8;
    uint16_t toUInt16;
    int16_t toInt16;
    int32_t toInt32;
    uint32_t toUInt32;
    int64_t toInt64;
    uint64_t toUInt64;
    float toFloat;
    double toDouble;
};

std::vector<ConversionRow> ConversionRows() {
    const double twoTo63 = 9223372036854775808.0;
    const int64_t nineBytes64 = 0x0807060504030201;
    return {
        {"Empty", Variant(), false, 0, 0, 0, 0, 0, 0, 0, 0, 0.0f, 0.0},
        {"Bool 2", Scalar<uint8_t>(Variant::Bool, 2), true, 1, 1, 2, 2, 2, 2, 2, 2, 2.0f, 2.0},
        {"Bool 0", Scalar<uint8_t>(Variant::Bool, 0), false, 0, 0, 0, 0, 0, 0, 0, 0, 0.0f, 0.0},
        {"Int8 -1", Scalar<int8_t>(Variant::Int8, -1), true, 0xFF, -1, 0xFFFF, -1, -1, 0xFFFFFFFF, -1,
         kUInt64Max, -1.0f, -1.0},
        {"UInt8 200", Scalar<uint8_t>(Variant::UInt8, 200), true, 200, -56, 200, 200, 200, 200, 200, 200,
         200.0f, 200.0},
        {"Int16 -2", Scalar<int16_t>(Variant::Int16, -2), true, 0xFE, -2, 0xFFFE, -2, -2, 0xFFFFFFFE, -2,
         kUInt64Max - 1, -2.0f, -2.0},
        {"UInt16 65535", Scalar<uint16_t>(Variant::UInt16, 65535), true, 0xFF, -1, 0xFFFF, -1, 65535, 65535,
         65535, 65535, 65535.0f, 65535.0},
        {"Int32 -5", Int32(-5), true, 0xFB, -5, 0xFFFB, -5, -5, 0xFFFFFFFB, -5, kUInt64Max - 4, -5.0f, -5.0},
        {"UInt32 max", Scalar<uint32_t>(Variant::UInt32, 0xFFFFFFFF), true, 0xFF, -1, 0xFFFF, -1, -1,
         0xFFFFFFFF, 0xFFFFFFFFll, 0xFFFFFFFFull, 4294967296.0f, 4294967295.0},
        {"Float 2.5", Scalar(Variant::Float, 2.5f), true, 3, 3, 3, 3, 3, 3, 3, 3, 2.5f, 2.5},
        {"Float -2.5", Scalar(Variant::Float, -2.5f), true, 0xFD, -3, 0xFFFD, -3, -3, 0xFFFFFFFD, -3,
         kUInt64Max - 2, -2.5f, -2.5},
        {"Float 300", Scalar(Variant::Float, 300.0f), true, 44, 44, 300, 300, 300, 300, 300, 300, 300.0f,
         300.0},
        {"Float -1", Scalar(Variant::Float, -1.0f), true, 0xFF, -1, 0xFFFF, -1, -1, 0xFFFFFFFF, -1,
         kUInt64Max, -1.0f, -1.0},
        // The 64-bit conversions of a Float round in single precision.
        {"Float 8388609", Scalar(Variant::Float, 8388609.0f), true, 1, 1, 1, 1, 8388609, 8388609, 8388610,
         8388610, 8388609.0f, 8388609.0},
        {"Float NaN", Scalar(Variant::Float, std::numeric_limits<float>::quiet_NaN()), true, 0, 0, 0, 0,
         kInt32Min, 0x80000000u, kInt64Min, kUpperHalf, std::numeric_limits<float>::quiet_NaN(), kNaN},
        {"Double 1e30", Scalar(Variant::Double, 1e30), true, 0, 0, 0, 0, kInt32Min, 0x80000000u, kInt64Min,
         kUpperHalf, 1e30f, 1e30},
        {"Double 5e9", Scalar(Variant::Double, 5e9), true, 0, 0, 0, 0, kInt32Min, 705032704u, 5000000000ll,
         5000000000ull, 5e9f, 5e9},
        {"Double 1.5*2^63", Scalar(Variant::Double, 1.5 * twoTo63), true, 0, 0, 0, 0, kInt32Min, 0x80000000u,
         kInt64Min, 0xC000000000000000ull, 1.5f * 9223372036854775808.0f, 1.5 * twoTo63},
        {"Double 2^64", Scalar(Variant::Double, 2 * twoTo63), true, 0, 0, 0, 0, kInt32Min, 0x80000000u,
         kInt64Min, kUpperHalf, 18446744073709551616.0f, 2 * twoTo63},
        // The lowest 64-bit integer is a value, not the indefinite one: its low 32 bits are 0.
        {"Double -2^63", Scalar(Variant::Double, -twoTo63), true, 0, 0, 0, 0, kInt32Min, 0, kInt64Min,
         kUpperHalf, -9223372036854775808.0f, -twoTo63},
        {"Double -0.5", Scalar(Variant::Double, -0.5), true, 0xFF, -1, 0xFFFF, -1, -1, 0xFFFFFFFF, -1,
         kUInt64Max, -0.5f, -0.5},
        {"Int64 -2^32-1", Scalar<int64_t>(Variant::Int64, -4294967297ll), true, 0xFF, -1, 0xFFFF, -1, -1,
         0xFFFFFFFF, -4294967297ll, 0xFFFFFFFEFFFFFFFFull, -4294967297.0f, -4294967297.0},
        {"UInt64 max", Scalar(Variant::UInt64, kUInt64Max), true, 0xFF, -1, 0xFFFF, -1, -1, 0xFFFFFFFF, -1,
         kUInt64Max, 18446744073709551616.0f, 18446744073709551616.0},
        {"Pointer 9 bytes", Borrowed(Variant::Pointer, kNineBytes, 9), true, 1, 1, 0x0201, 0x0201, 0x04030201,
         0x04030201, nineBytes64, static_cast<uint64_t>(nineBytes64), 67305985.0f,
         static_cast<double>(nineBytes64)},
        {"ConstPointer 1 byte", Borrowed(Variant::ConstPointer, kOneByte, 1), true, 0xFE, -2, 0xFE, 0xFE,
         0xFE, 0xFE, 0xFE, 0xFE, 254.0f, 254.0},
        {"Pointer null", Borrowed(Variant::Pointer, nullptr, 4), false, 0, 0, 0, 0, 0, 0, 0, 0, 0.0f, 0.0},
        {"Blob 01020304", Blob({1, 2, 3, 4}), true, 1, 1, 0x0201, 0x0201, 0x04030201, 0x04030201, 0x04030201,
         0x04030201, 67305985.0f, 67305985.0},
        {"Blob 80", Blob({0x80}), true, 0x80, -128, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 128.0f, 128.0},
        {"Blob empty", Blob({}), false, 0, 0, 0, 0, 0, 0, 0, 0, 0.0f, 0.0},
        {"String abc", Text("abc"), true, 3, 3, 3, 3, 3, 3, 3, 3, 3.0f, 3.0},
        {"String empty", Text(""), false, 0, 0, 0, 0, 0, 0, 0, 0, 0.0f, 0.0},
        {"List", ListOf({Int32(5)}), true, 0, 0, 0, 0, 0, 0, 0, 0, 0.0f, 0.0},
        {"List empty", ListOf({}), false, 0, 0, 0, 0, 0, 0, 0, 0, 0.0f, 0.0},
    };
}

void ExpectSameFloating(double expected, double actual) {
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual)) << actual;
    } else {
        EXPECT_EQ(expected, actual);
    }
}

TEST(VariantTest, ConversionsOfEveryKind) {
    for (const ConversionRow& row : ConversionRows()) {
        SCOPED_TRACE(row.name);
        const Variant& v = row.value;
        EXPECT_EQ(row.toBool, v.ToBool());
        EXPECT_EQ(row.toUInt8, v.ToUInt8());
        EXPECT_EQ(row.toInt8, v.ToInt8());
        EXPECT_EQ(row.toUInt16, v.ToUInt16());
        EXPECT_EQ(row.toInt16, v.ToInt16());
        EXPECT_EQ(row.toInt32, v.ToInt32());
        EXPECT_EQ(row.toUInt32, v.ToUInt32());
        EXPECT_EQ(row.toInt64, v.ToInt64());
        EXPECT_EQ(row.toUInt64, v.ToUInt64());
        ExpectSameFloating(row.toFloat, v.ToFloat());
        ExpectSameFloating(row.toDouble, v.ToDouble());
    }
}

TEST(VariantTest, EqualityComparesKindThenContent) {
    const uint8_t bytes[4] = {1, 2, 3, 4};
    const uint8_t sameBytes[4] = {1, 2, 3, 4};
    Variant emptyList;
    emptyList.SetList(nullptr, 0);
    struct Case {
        const char* name;
        Variant a;
        Variant b;
        bool equal;
    };
    const Case cases[] = {
        {"Empty", Variant(), Variant(), true},
        {"Int32 and UInt32 5", Int32(5), Scalar<uint32_t>(Variant::UInt32, 5), false},
        {"Bool bytes 1 and 2", Scalar<uint8_t>(Variant::Bool, 1), Scalar<uint8_t>(Variant::Bool, 2), false},
        {"NaN", Scalar(Variant::Double, kNaN), Scalar(Variant::Double, kNaN), false},
        {"+0 and -0", Scalar(Variant::Double, 0.0), Scalar(Variant::Double, -0.0), true},
        {"Float", Scalar(Variant::Float, 1.5f), Scalar(Variant::Float, 1.5f), true},
        {"UInt64", Scalar(Variant::UInt64, kUInt64Max), Scalar(Variant::UInt64, kUInt64Max), true},
        {"same borrowed bytes", Borrowed(Variant::Pointer, bytes, 4), Borrowed(Variant::Pointer, bytes, 4),
         true},
        {"equal bytes elsewhere", Borrowed(Variant::Pointer, bytes, 4),
         Borrowed(Variant::Pointer, sameBytes, 4), false},
        {"borrowed lengths", Borrowed(Variant::ConstPointer, bytes, 4),
         Borrowed(Variant::ConstPointer, bytes, 3), false},
        {"Blob", Blob({1, 2}), Blob({1, 2}), true},
        {"Blob content", Blob({1, 2}), Blob({1, 3}), false},
        {"Blob length", Blob({1, 2}), Blob({1, 2, 0}), false},
        {"String and Blob", Text("ab"), Blob({'a', 'b', 0}), false},
        {"List", ListOf({Int32(5), Text("a")}), ListOf({Int32(5), Text("a")}), true},
        {"empty lists with and without storage", emptyList, Variant(emptyList), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.equal, c.a == c.b);
        EXPECT_EQ(c.equal, c.b == c.a);
    }
}

TEST(VariantTest, OrderWithinAndAcrossKinds) {
    const double twoTo63 = 9223372036854775808.0;
    const uint8_t two[2] = {0, 0};
    const int64_t int64Max = std::numeric_limits<int64_t>::max();
    struct Case {
        const char* name;
        Variant a;
        Variant b;
        bool aLess;
        bool bLess;
    };
    const Case cases[] = {
        {"Empty first", Variant(), Int32(kInt32Min), true, false},
        {"Empty and empty list", Variant(), ListOf({}), true, false},
        {"Empty and Empty", Variant(), Variant(), false, false},
        {"Bool bytes unsigned", Scalar<uint8_t>(Variant::Bool, 1), Scalar<uint8_t>(Variant::Bool, 2), true,
         false},
        {"Int8 signed", Scalar<int8_t>(Variant::Int8, -1), Scalar<int8_t>(Variant::Int8, 1), true, false},
        {"UInt8 unsigned", Scalar<uint8_t>(Variant::UInt8, 1), Scalar<uint8_t>(Variant::UInt8, 255), true,
         false},
        {"Int16 signed", Scalar<int16_t>(Variant::Int16, -300), Scalar<int16_t>(Variant::Int16, 2), true,
         false},
        {"UInt32 unsigned", Scalar<uint32_t>(Variant::UInt32, 2),
         Scalar<uint32_t>(Variant::UInt32, 0x80000000u), true, false},
        {"Int64 signed", Scalar<int64_t>(Variant::Int64, -1), Scalar<int64_t>(Variant::Int64, 0), true,
         false},
        {"UInt64 unsigned", Scalar<uint64_t>(Variant::UInt64, 1), Scalar(Variant::UInt64, kUInt64Max), true,
         false},
        {"NaN", Scalar(Variant::Double, kNaN), Scalar(Variant::Double, 1.0), false, false},
        {"Float NaN across kinds", Scalar(Variant::Float, std::numeric_limits<float>::quiet_NaN()), Int32(1),
         false, false},
        {"small kinds as doubles", Int32(5), Scalar<uint32_t>(Variant::UInt32, 5), false, false},
        {"Bool and Int8", Scalar<int8_t>(Variant::Int8, -1), Scalar<uint8_t>(Variant::Bool, 1), true, false},
        {"String length first", Text("b"), Text("aa"), true, false},
        {"String bytes signed", Text("\xC3x"), Text("Ax"), true, false},
        {"String equal", Text("ab"), Text("ab"), false, false},
        {"Blob bytes unsigned", Blob({0x41}), Blob({0xC3}), true, false},
        {"Blob equal", Blob({1, 2}), Blob({1, 2}), false, false},
        {"Pointer by address", Borrowed(Variant::Pointer, &two[0], 1), Borrowed(Variant::Pointer, &two[1], 1),
         true, false},
        {"Pointer by length", Borrowed(Variant::Pointer, &two[1], 1), Borrowed(Variant::Pointer, &two[0], 2),
         true, false},
        {"List first differing item", ListOf({Int32(1), Int32(9)}), ListOf({Int32(2)}), true, false},
        {"List prefix", ListOf({Int32(1)}), ListOf({Int32(1), Int32(0)}), true, false},
        {"List nested item order", ListOf({Int32(1), Text("b")}), ListOf({Int32(1), Text("aa")}), true,
         false},
        {"List equal", ListOf({Int32(1)}), ListOf({Int32(1)}), false, false},
        // Across kinds with bytes: length first, then the bytes (a scalar offers its 8 bytes).
        {"Double and 8-byte Blob", Scalar(Variant::Double, 1.0), Blob({0, 0, 0, 0, 0, 0, 0xF0, 0x40}), true,
         false},
        {"short Blob and Int32", Blob({0xFF, 0xFF, 0xFF, 0xFF}), Int32(0), true, false},
        {"Int64 -1 and UInt64 0", Scalar<int64_t>(Variant::Int64, -1), Scalar<uint64_t>(Variant::UInt64, 0),
         true, false},
        {"Float -1e30 and Int64 min", Scalar(Variant::Float, -1e30f), Scalar(Variant::Int64, kInt64Min), true,
         false},
        {"UInt64 max and Double 1e30", Scalar(Variant::UInt64, kUInt64Max), Scalar(Variant::Double, 1e30),
         true, false},
        // Exactly 2^64 has no unsigned 64-bit value: it lies above all of them.
        {"UInt64 max and Double 2^64", Scalar(Variant::UInt64, kUInt64Max),
         Scalar(Variant::Double, 2 * twoTo63), true, false},
        {"Double -2^63 and Int64 min", Scalar(Variant::Double, -twoTo63), Scalar(Variant::Int64, kInt64Min),
         false, false},
        {"Double -2^63 and Int64 min + 1", Scalar(Variant::Double, -twoTo63),
         Scalar(Variant::Int64, kInt64Min + 1), true, false},
        {"Int64 1 and Double 1.5 (rounded)", Scalar<int64_t>(Variant::Int64, 1), Scalar(Variant::Double, 1.5),
         true, false},
        {"Int64 max and Double 2^63", Scalar(Variant::Int64, int64Max), Scalar(Variant::Double, twoTo63),
         true, false},
        {"Int64 and UInt32 as doubles", Scalar<int64_t>(Variant::Int64, 2),
         Scalar<uint32_t>(Variant::UInt32, 3), true, false},
        {"NaN and Int64", Scalar(Variant::Double, kNaN), Scalar<int64_t>(Variant::Int64, 0), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.aLess, c.a < c.b);
        EXPECT_EQ(c.bLess, c.b < c.a);
    }
}

TEST(VariantTest, IsNegativeOnlyForSignedKindsBelowZero) {
    EXPECT_TRUE(Scalar<int8_t>(Variant::Int8, -1).IsNegative());
    EXPECT_TRUE(Scalar<int64_t>(Variant::Int64, -1).IsNegative());
    EXPECT_TRUE(Scalar(Variant::Float, -0.5f).IsNegative());
    EXPECT_FALSE(Scalar(Variant::Double, -0.0).IsNegative());
    EXPECT_FALSE(Scalar<uint8_t>(Variant::Bool, 0xFF).IsNegative());
    EXPECT_FALSE(Scalar<uint32_t>(Variant::UInt32, 0xFFFFFFFF).IsNegative());
    EXPECT_FALSE(Blob({0xFF}).IsNegative());
}

TEST(VariantTest, CopiesOwnTheirBytesAndShareBorrowedOnes) {
    Variant copy;
    {
        Variant source = Blob({1, 2, 3});
        copy = source;
        EXPECT_NE(source.value.pointer, copy.value.pointer);
        EXPECT_TRUE(copy == source);
    }
    EXPECT_EQ((Bytes{1, 2, 3}), DataOf(copy));

    Variant borrowed = Borrowed(Variant::ConstPointer, kNineBytes, 9);
    Variant alias(borrowed);
    EXPECT_EQ(borrowed.value.pointer, alias.value.pointer);
    EXPECT_EQ(9u, alias.length);

    Variant text = Text("abc");
    EXPECT_EQ(Variant::String, copy = text);
    EXPECT_STREQ("abc", copy.GetString());
    EXPECT_EQ(Variant::Empty, copy = Variant());
    EXPECT_EQ(0u, copy.length);
}

TEST(VariantTest, StoresMayTakeTheirSourceFromTheVariantItself) {
    Variant v = Blob({1, 2, 3, 4, 5, 6});
    const Variant& self = v;
    EXPECT_EQ(Variant::Blob, v = self);
    EXPECT_EQ((Bytes{1, 2, 3, 4, 5, 6}), DataOf(v));

    v.SetBlob(static_cast<const uint8_t*>(v.value.pointer) + 1, 3);
    EXPECT_EQ((Bytes{2, 3, 4}), DataOf(v));

    v.SetString("hello");
    v.SetString(v.GetString() + 2);
    EXPECT_STREQ("llo", v.GetString());

    EXPECT_EQ(Variant::List, v.Set(Variant::List, v.value.pointer, 2));
    EXPECT_EQ((Bytes{'l', 'l'}), DataOf(v));

    Variant scalar = Int32(7);
    EXPECT_EQ(Variant::Int32, scalar.Set(Variant::Int32, &scalar.value, 4));
    EXPECT_EQ(7, scalar.ToInt32());

    Variant item = Int32(5);
    EXPECT_EQ(Variant::List, item.SetList(&item, 1));
    EXPECT_EQ(RecordOf(Int32(5)), DataOf(item));
}

// Allocation fails after the given number of successful allocations.
class FailingVariant : public Variant {
public:
    void* Allocate(uint32_t bytes) override {
        if (mAllowed-- <= 0) {
            throw std::bad_alloc();
        }
        return Variant::Allocate(bytes);
    }
    int mAllowed = 0;
};

TEST(VariantTest, AnExhaustedAllocatorLeavesTheVariantEmpty) {
    FailingVariant v;
    v.mAllowed = 1;
    v.SetString("held");
    EXPECT_THROW(v.SetBlob("xy", 2), std::bad_alloc);
    EXPECT_EQ(Variant::Empty, v.kind);
    EXPECT_EQ(nullptr, v.value.pointer);

    v.Set(Variant::Int32, "abcd", 4);
    const Variant items[1] = {Int32(1)};
    EXPECT_THROW(v.SetList(items, 1), std::bad_alloc);
    EXPECT_EQ(Variant::Empty, v.kind);
    EXPECT_THROW(static_cast<Variant&>(v) = Text("x"), std::bad_alloc);
    EXPECT_EQ(Variant::Empty, v.kind);
}

// Records which operation ran, so the order of the table of virtual operations can be checked
// the way the device library reaches them: by slot.
class SlotProbe : public Variant {
public:
    bool ToBool() const override { return Hit(1); }
    uint8_t ToUInt8() const override { return Hit(2); }
    uint16_t ToUInt16() const override { return Hit(3); }
    int32_t ToInt32() const override { return Hit(4); }
    int64_t ToInt64() const override { return Hit(5); }
    int8_t ToInt8() const override { return Hit(6); }
    int16_t ToInt16() const override { return Hit(7); }
    uint32_t ToUInt32() const override { return Hit(8); }
    uint64_t ToUInt64() const override { return Hit(9); }
    float ToFloat() const override { return Hit(10); }
    double ToDouble() const override { return Hit(11); }
    const void* GetData(uint32_t&) const override { return Pointer(12); }
    void* GetMutableData(uint32_t&) override { return Pointer(13); }
    const char* GetString() const override { return static_cast<const char*>(Pointer(14)); }
    void* Allocate(uint32_t) override { return Pointer(15); }
    void Free(void*) override { Hit(16); }

    mutable int last = 0;

private:
    bool Hit(int operation) const {
        last = operation;
        return true;
    }
    void* Pointer(int operation) const {
        Hit(operation);
        return nullptr;
    }
};

TEST(VariantTest, VirtualOperationsKeepTheirSlots) {
    SlotProbe probe;
    // The Itanium table holds two destructor entries, then the operations in declaration order.
    void* const* table = *reinterpret_cast<void* const* const*>(static_cast<Variant*>(&probe));
    using Operation = void (*)(Variant*, uint32_t&, uint32_t);
    for (int operation = 1; operation <= 16; ++operation) {
        SCOPED_TRACE(operation);
        probe.last = 0;
        uint32_t size = 0;
        reinterpret_cast<Operation>(table[1 + operation])(&probe, size, 0);
        EXPECT_EQ(operation, probe.last);
    }
}

}  // namespace
}  // namespace QV
