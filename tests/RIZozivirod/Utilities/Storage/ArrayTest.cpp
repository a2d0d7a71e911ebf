#include "RIZozivirod/Utilities/Storage/Array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Pair.h"

namespace {

using QV::E_FAIL;
using QV::E_INVALIDARG;

template <class T>
std::vector<T> Contents(const QV::IArray<T>& array) {
    std::vector<T> values;
    for (uint32_t i = 0; i < array.GetCount(); ++i) {
        values.push_back(array.GetAt(i));
    }
    return values;
}

// Counts how often elements are compared.
struct Counted {
    int value = 0;
    static inline int comparisons = 0;
    bool operator==(const Counted& other) const {
        ++comparisons;
        return value == other.value;
    }
};

TEST(ArrayTest, GetAtChecksTheIndexInBothForms) {
    QV::Array<std::string> array;
    array.Add("a");
    const QV::Array<std::string>& constant = array;
    EXPECT_EQ("a", constant.GetAt(0));
    for (uint32_t index : {1u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(index);
        try {
            array.GetAt(index);
            ADD_FAILURE() << "no exception";
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ("invalid vector<T> subscript", e.what());
        }
        EXPECT_THROW(constant.GetAt(index), std::out_of_range);
    }
}

TEST(ArrayTest, NewAndGrownElementsAreInTheirDefaultState) {
    QV::Array<QV::Pair<std::string, int>> array;
    EXPECT_EQ(nullptr, array.GetData());

    QV::Pair<std::string, int> entry{"id", 7};
    EXPECT_EQ(0, array.Add(entry));
    EXPECT_EQ(3, array.InsertItems(0, 2));
    EXPECT_EQ(5, array.SetCount(5));
    for (uint32_t i : {0u, 1u, 3u, 4u}) {
        EXPECT_EQ("", array.GetAt(i).first);
        EXPECT_EQ(0, array.GetAt(i).second);
    }
    EXPECT_EQ("id", array.GetAt(2).first);
    EXPECT_EQ(7, array.GetAt(2).second);
}

TEST(ArrayTest, AppendOfEmptySourceAllocatesNothing) {
    QV::Array<int> array;
    QV::Array<int> empty;
    EXPECT_EQ(0, array.Append(empty));
    EXPECT_EQ(nullptr, array.GetData());
}

TEST(ArrayTest, AssignReplacesTheContents) {
    QV::Array<std::string> array;
    array.Add("old");
    array.Add("older");
    QV::Array<std::string> source;
    source.Add("new");
    EXPECT_EQ(1, array.Assign(source));
    EXPECT_EQ(std::vector<std::string>{"new"}, Contents<std::string>(array));
    EXPECT_EQ(1, array.Assign(array));
    EXPECT_EQ(std::vector<std::string>{"new"}, Contents<std::string>(array));
}

TEST(ArrayTest, InsertingAnOwnElementSurvivesReallocation) {
    QV::Array<std::string> array;
    array.Add(std::string(40, 'x'));
    for (int i = 0; i < 6; ++i) {
        array.InsertItem(0, array.GetAt(array.GetCount() - 1));
    }
    EXPECT_EQ(std::vector<std::string>(7, std::string(40, 'x')), Contents<std::string>(array));
}

TEST(ArrayTest, EqualityStopsAtTheFirstDifference) {
    QV::Array<Counted> left;
    QV::Array<Counted> right;
    for (int value : {1, 2, 3}) {
        left.Add(Counted{value});
        right.Add(Counted{value == 2 ? 9 : value});
    }
    Counted::comparisons = 0;
    EXPECT_FALSE(left == right);
    EXPECT_EQ(2, Counted::comparisons);

    right.SetCount(2);
    Counted::comparisons = 0;
    EXPECT_FALSE(left == right);
    EXPECT_EQ(0, Counted::comparisons);
}

TEST(SimpleFixedArrayTest, HoldsAtMostEightElements) {
    QV::SimpleFixedArray<signed char, 8> array;
    EXPECT_EQ(8u, array.GetMaxCount());
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(i + 1, array.Add(static_cast<signed char>(i)));
    }
    EXPECT_EQ(E_INVALIDARG, array.Add(8));
    EXPECT_EQ(E_INVALIDARG, array.InsertItems(0, 1));
    EXPECT_EQ(8u, array.GetCount());
    EXPECT_EQ(7, array.GetAt(7));
    EXPECT_EQ(8, array.SetCount(20));
}

TEST(SimpleFixedArrayTest, AppendThatDoesNotFitFailsAfterGrowing) {
    QV::SimpleFixedArray<signed char, 8> array;
    for (signed char value : {10, 11, 12, 13, 14, 15, 16, 17}) {
        array.Add(value);
    }
    array.SetCount(6);
    QV::SimpleFixedArray<signed char, 8> five;
    five.SetCount(5);

    EXPECT_EQ(E_FAIL, array.Append(five));
    // The growth stays done and the two slots it added keep their old bytes.
    EXPECT_EQ((std::vector<signed char>{10, 11, 12, 13, 14, 15, 16, 17}), Contents<signed char>(array));
}

TEST(SimpleFixedArrayTest, IsFilledDirectlyOnTheStack) {
    QV::SimpleFixedArray<signed char, 8> request;
    const signed char bytes[] = {-16, 126, 127, 6, 1, -9};
    request.mCount = 6;
    for (int i = 0; i < 6; ++i) {
        request.mData[i] = bytes[i];
    }
    EXPECT_EQ(6u, request.GetCount());
    EXPECT_EQ(request.GetData(), request.GetFirstPosition());
    EXPECT_EQ(-9, request.GetAt(5));
}

TEST(SetItemsTest, CopiesIntoExistingElementsOnly) {
    const signed char source[] = {1, 2, 3, 4, 5, 6, 7, 8};
    struct Case {
        uint32_t offset;
        uint32_t count;
        uint32_t copied;
        std::vector<signed char> after;
    };
    const Case cases[] = {
        {0, 3, 3, {1, 2, 3, 0, 0, 0, 0, 0}},           {6, 4, 2, {0, 0, 0, 0, 0, 0, 1, 2}},
        {8, 4, 0, {0, 0, 0, 0, 0, 0, 0, 0}},           {2, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
        {1, 0xFFFFFFFFu, 7, {0, 1, 2, 3, 4, 5, 6, 7}}, {0xFFFFFFFFu, 4, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.offset << ", " << c.count);
        QV::SimpleFixedArray<signed char, 8> fixed;
        fixed.SetCount(8);
        QV::Array<signed char> array;
        array.SetCount(8);
        for (QV::IArray<signed char>* target :
             {static_cast<QV::IArray<signed char>*>(&fixed), static_cast<QV::IArray<signed char>*>(&array)}) {
            EXPECT_EQ(c.copied, target->SetItems(source, c.offset, c.count));
            EXPECT_EQ(8u, target->GetCount());
            EXPECT_EQ(c.after, Contents(*target));
        }
    }
}

}  // namespace
