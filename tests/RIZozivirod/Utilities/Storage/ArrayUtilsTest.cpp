#include "RIZozivirod/Utilities/Storage/ArrayUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/ArrayBuffer.h"
#include "RIZozivirod/Utilities/Storage/CountedItem.h"
#include "RIZozivirod/Utilities/Storage/Pair.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"

namespace {

using QVTest::Item;
using Indices = QV::ArrayBuffer<unsigned int, 1, 0, 1, 8>;

constexpr uint32_t kFar = 0xFFFFFFFFu;

template <class T>
std::vector<T> Contents(const QV::IArray<T>& array) {
    std::vector<T> values;
    for (uint32_t i = 0; i < array.GetCount(); ++i) {
        values.push_back(array.GetAt(i));
    }
    return values;
}

QV::Array<int> MakeArray(std::initializer_list<int> values) {
    QV::Array<int> array;
    for (int value : values) {
        array.Add(value);
    }
    return array;
}

// Runs f and returns the text of the "Out of Range" it throws, or "" when it throws nothing.
template <class F>
std::string OutOfRangeText(F f) {
    try {
        f();
    } catch (const QV::Exception<std::out_of_range>& e) {
        return e.what();
    }
    return "";
}

TEST(ArrayUtilsTest, SortChecksRangesOfTwoOrMore) {
    const std::string refused =
        "Out of Range : QV::ArrayUtils::Sort : RIZozivirod/Utilities/Storage/ArrayUtils.h : Line ";
    struct Case {
        uint32_t first;
        uint32_t count;
        bool throws;
        std::vector<int> after;
    };
    const Case cases[] = {
        {100, 1, false, {5, 4, 3}}, {kFar, 0, false, {5, 4, 3}}, {0, 3, false, {3, 4, 5}},
        {1, 2, false, {5, 3, 4}},   {1, 3, true, {5, 4, 3}},     {3, 2, true, {5, 4, 3}},
        {kFar, 2, true, {5, 4, 3}}, {2, kFar, true, {5, 4, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ", " << c.count);
        QV::Array<int> array = MakeArray({5, 4, 3});
        const std::string text =
            OutOfRangeText([&] { QV::ArrayUtils::Sort(array, c.first, c.count, std::less<int>()); });
        EXPECT_EQ(c.throws, text.starts_with(refused)) << text;
        EXPECT_EQ(c.throws, !text.empty());
        EXPECT_EQ(c.after, Contents<int>(array));
    }
}

TEST(ArrayUtilsTest, SortKeepsTheOrderOfEqualElements) {
    QV::Array<QV::Pair<int, char>> array;
    for (auto [key, tag] : {std::pair{2, 'a'}, {1, 'b'}, {2, 'c'}, {1, 'd'}, {0, 'e'}, {2, 'f'}}) {
        array.Add({key, tag});
    }
    QV::ArrayUtils::Sort(array, 0, array.GetCount(),
                         [](const auto& left, const auto& right) { return left.first < right.first; });
    std::string tags;
    for (const auto& entry : Contents<QV::Pair<int, char>>(array)) {
        tags += entry.second;
    }
    EXPECT_EQ("ebdacf", tags);
}

TEST(ArrayUtilsTest, SortIndeciesChecksEveryRange) {
    const std::string refused =
        "Out of Range : QV::ArrayUtils::SortIndecies : RIZozivirod/Utilities/Storage/ArrayUtils.h : Line ";
    struct Case {
        std::vector<int> source;
        uint32_t first;
        uint32_t count;
        bool throws;
        std::vector<unsigned int> indices;
    };
    const Case cases[] = {
        {{7}, 2, 0, true, {9, 9}},
        {{7}, 1, 0, false, {}},
        {{7}, 0, 1, false, {0}},
        {{50, 10, 40, 20, 30}, 2, 3, false, {3, 4, 2}},
        {{50, 10, 40, 20, 30}, 0, 5, false, {1, 3, 4, 2, 0}},
        {{50, 10, 40, 20, 30}, 3, 3, true, {9, 9}},
        {{50, 10, 40, 20, 30}, kFar, 2, true, {9, 9}},
        {{50, 10, 40, 20, 30}, 1, kFar, true, {9, 9}},
        // Ties go to the smaller index.
        {{7, 3, 7, 3, 7}, 0, 5, false, {1, 3, 0, 2, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ", " << c.count);
        QV::Array<int> source;
        for (int value : c.source) {
            source.Add(value);
        }
        Indices indices;
        indices.Add(9);
        indices.Add(9);
        const std::string text = OutOfRangeText([&] {
            QV::ArrayUtils::SortIndecies(
                indices, source, c.first, c.count,
                [&source](unsigned a, unsigned b) { return source.GetAt(a) < source.GetAt(b); });
        });
        EXPECT_EQ(c.throws, text.starts_with(refused)) << text;
        EXPECT_EQ(c.throws, !text.empty());
        EXPECT_EQ(c.indices, Contents<unsigned int>(indices));
        EXPECT_EQ(c.source, Contents<int>(source));
    }
}

TEST(ArrayUtilsTest, SortIndeciesRefusesAnIndexArrayTooSmall) {
    QV::Array<int> source = MakeArray({3, 2, 1});
    QV::SimpleFixedArray<unsigned int, 2> indices;
    EXPECT_FALSE(OutOfRangeText([&] {
                     QV::ArrayUtils::SortIndecies(indices, source, 0, 3,
                                                  [](unsigned, unsigned) { return false; });
                 }).empty());
    EXPECT_EQ(2u, indices.GetCount());
}

TEST(ArrayUtilsTest, SortingPointerArraysKeepsCountsAndReferences) {
    QV::RCPtrArray<Item, 1, 0> array;
    for (int value : {4, 1, 3, 2, 5}) {
        array.Add(Item::Create(value));
    }
    QV::ArrayUtils::Sort<QV::RCPtr<Item>>(
        array, 0, 5, [](const auto& a, const auto& b) { return a->Value() < b->Value(); });
    QV::IArray<QV::ConstRCPtr<Item>>& asConst = array;
    QV::ArrayUtils::Sort(asConst, 2, 3, [](const auto& a, const auto& b) { return a->Value() > b->Value(); });

    ASSERT_EQ(5u, array.GetCount());
    std::vector<int> values;
    for (uint32_t i = 0; i < array.GetCount(); ++i) {
        values.push_back(array.GetAt(i)->Value());
        EXPECT_EQ(1, array.GetAt(i)->GetRefCount());
    }
    EXPECT_EQ((std::vector<int>{1, 2, 5, 4, 3}), values);
    EXPECT_EQ(5, Item::Live());
}

}  // namespace
