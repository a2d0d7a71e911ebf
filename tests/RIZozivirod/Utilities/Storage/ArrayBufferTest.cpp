#include "RIZozivirod/Utilities/Storage/ArrayBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Allocator.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

namespace {

using QV::E_INVALIDARG;
using QV::S_OK;

using ArrayBufferBytes = QV::ArrayBufferM<signed char, 4, 1, 0, 1, 8>;

template <class T>
std::vector<T> Contents(const QV::IArray<T>& array) {
    std::vector<T> values;
    for (uint32_t i = 0; i < array.GetCount(); ++i) {
        values.push_back(array.GetAt(i));
    }
    return values;
}

uint64_t HeapCalls() {
    const auto stats = QV::GetSystemAllocator().GetStats();
    return stats.Allocations() + stats.frees;
}

TEST(ArrayBufferTest, GrowingBySetCountZeroesTheNewElements) {
    QV::ArrayBuffer<unsigned int, 1, 0, 1, 8> array;
    array.SetStorageCount(5);
    for (uint32_t i = 0; i < 5; ++i) {
        array.GetAt(i) = 0xDEADBEEF;
    }
    EXPECT_EQ(2, array.SetCount(2));
    EXPECT_EQ(5, array.SetCount(5));
    EXPECT_EQ((std::vector<unsigned int>{0xDEADBEEF, 0xDEADBEEF, 0, 0, 0}), Contents<unsigned int>(array));
}

TEST(ArrayBufferTest, ElementSizesSetTheBufferStepAndSpare) {
    QV::ArrayBuffer<unsigned int, 32, 1600, 1, 8> freeList;
    freeList.SetCount(1);
    EXPECT_EQ(128u, freeList.GetCapacity());
    freeList.SetCount(33);
    EXPECT_EQ(256u, freeList.GetCapacity());
    freeList.SetCount(0);
    EXPECT_EQ(256u, freeList.GetCapacity());

    QV::ArrayBuffer<QV::RectT<int32_t>, 1, 0, 1, 8> rects;
    rects.SetCount(3);
    EXPECT_EQ(48u, rects.GetCapacity());
}

TEST(ArrayBufferTest, HoldsRectanglesByValue) {
    QV::ArrayBuffer<QV::RectT<float>, 1, 0, 1, 8> rects;
    EXPECT_EQ(2, rects.SetCount(2));
    EXPECT_EQ(QV::RectT<float>{}, rects.GetAt(1));
    rects.GetAt(1) = {1.5f, 2.5f, 3.0f, 4.0f};
    EXPECT_EQ(1, rects.IndexOf(QV::RectT<float>{1.5f, 2.5f, 3.0f, 4.0f}));
}

TEST(ArrayBufferMTest, MovesBetweenInlineAndHeapStorage) {
    ArrayBufferBytes bytes;
    const uint64_t before = HeapCalls();
    for (signed char value : {1, 2, 3}) {
        bytes.Add(value);
    }
    EXPECT_EQ(before, HeapCalls());
    EXPECT_EQ(0u, bytes.GetSize());
    EXPECT_EQ(nullptr, static_cast<const QV::IBuffer&>(bytes).GetBytes());

    EXPECT_EQ(5, bytes.SetCount(5));
    EXPECT_EQ(5u, bytes.GetSize());
    EXPECT_EQ(static_cast<const QV::IBuffer&>(bytes).GetBytes(), bytes.GetData());
    EXPECT_EQ((std::vector<signed char>{1, 2, 3, 0, 0}), Contents<signed char>(bytes));

    EXPECT_EQ(2, bytes.SetCount(2));
    EXPECT_EQ(0u, bytes.GetCapacity());
    EXPECT_NE(static_cast<const void*>(bytes.GetData()), static_cast<const QV::IBuffer&>(bytes).GetBytes());
    EXPECT_EQ((std::vector<signed char>{1, 2}), Contents<signed char>(bytes));

    EXPECT_EQ(0, bytes.SetCount(0));
    EXPECT_EQ(0u, bytes.GetCount());
    EXPECT_EQ(0u, bytes.GetCapacity());
}

TEST(ArrayBufferMTest, FillActsOnTheInlineElements) {
    ArrayBufferBytes bytes;
    for (signed char value : {1, 2, 3}) {
        bytes.Add(value);
    }
    EXPECT_EQ(S_OK, bytes.Fill(0x55, 1, -1));
    EXPECT_EQ((std::vector<signed char>{1, 0x55, 0x55}), Contents<signed char>(bytes));
    EXPECT_EQ(S_OK, bytes.Fill(0x66, 3, -1));
    EXPECT_EQ(E_INVALIDARG, bytes.Fill(0x66, 4, -1));
    EXPECT_EQ(E_INVALIDARG, bytes.Fill(0x66, 2, 2));
    EXPECT_EQ(E_INVALIDARG, bytes.Fill(0x66, 0xFFFFFFFFu, 1));
    EXPECT_EQ((std::vector<signed char>{1, 0x55, 0x55}), Contents<signed char>(bytes));
}

// Inline elements wider than a byte are zeroed over their whole size.
TEST(ArrayBufferMTest, GrowingInlineWideElementsZeroesThem) {
    QV::ArrayBufferM<uint32_t, 4, 1, 0, 1, 8> words;
    words.SetCount(4);
    for (uint32_t i = 0; i < 4; ++i) {
        words.GetAt(i) = 0xFFFFFFFF;
    }
    words.SetCount(1);
    EXPECT_EQ(4, words.SetCount(4));
    EXPECT_EQ((std::vector<uint32_t>{0xFFFFFFFF, 0, 0, 0}), Contents<uint32_t>(words));
    EXPECT_EQ(6, words.InsertItems(1, 2));
    EXPECT_EQ((std::vector<uint32_t>{0xFFFFFFFF, 0, 0, 0, 0, 0}), Contents<uint32_t>(words));
}

}  // namespace
