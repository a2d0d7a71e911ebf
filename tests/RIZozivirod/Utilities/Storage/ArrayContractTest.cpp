// One case table of the array interface, run over every array type. Where the types are meant
// to differ (what InsertItem returns, how a removal past the end is refused), a row names the
// family and its own outcome.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/ArrayBuffer.h"
#include "RIZozivirod/Utilities/Storage/ConstRCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/CountedItem.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"

namespace {

using QV::E_FAIL;
using QV::E_INVALIDARG;
using QV::IArray;
using QV::S_OK;
using QVTest::Item;

// Families of array types, as bits so one row can name several.
enum Family : unsigned {
    kArray = 1,
    kFixed = 2,
    kBuffer = 4,
    kRCPtr = 8,       // an RCPtrArray through its RCPtr<T> interface
    kConstRCPtr = 16  // a pointer array through its ConstRCPtr<T> interface
};
constexpr unsigned kPointers = kRCPtr | kConstRCPtr;

// Value arrays: an element is its own value; a slot made without a value reads 0.
template <class A, class E, Family F>
struct ValueTraits {
    using ArrayType = A;
    using Element = E;
    static constexpr Family kFamily = F;
    static Element Make(int value) { return static_cast<Element>(value); }
    static int Value(const Element& element) { return static_cast<int>(element); }
    static IArray<Element>& View(ArrayType& array) { return array; }
    static void CheckReferences(const IArray<Element>&, const Element&) {}
};

// Pointer arrays: an element points to an Item of that value; a null slot reads 0. Every
// pointee must hold exactly one reference per slot or out element holding it, and no other
// Item may be alive.
template <class A, class E, Family F>
struct PointerTraits {
    using ArrayType = A;
    using Element = E;
    static constexpr Family kFamily = F;
    static Element Make(int value) { return Element(new Item(value)); }
    static int Value(const Element& element) { return element ? element.Get()->Value() : 0; }
    static IArray<Element>& View(ArrayType& array) { return array; }
    static void CheckReferences(const IArray<Element>& array, const Element& out) {
        std::map<const Item*, int> holders;
        for (uint32_t i = 0; i < array.GetCount(); ++i) {
            if (array.GetAt(i)) {
                ++holders[array.GetAt(i).Get()];
            }
        }
        if (out) {
            ++holders[out.Get()];
        }
        for (const auto& [item, count] : holders) {
            EXPECT_EQ(count, item->GetRefCount()) << "item " << item->Value();
        }
        EXPECT_EQ(static_cast<int>(holders.size()), Item::Live());
    }
};

using ArrayOfInt = ValueTraits<QV::Array<int>, int, kArray>;
using FixedOfChar = ValueTraits<QV::SimpleFixedArray<signed char, 8>, signed char, kFixed>;
using BufferOfInt = ValueTraits<QV::ArrayBuffer<int32_t, 1, 0, 1, 8>, int32_t, kBuffer>;
using InlineBufferOfChar = ValueTraits<QV::ArrayBufferM<signed char, 4, 1, 0, 1, 8>, signed char, kBuffer>;
using RCPtrsAsRCPtr = PointerTraits<QV::RCPtrArray<Item, 1, 0>, QV::RCPtr<Item>, kRCPtr>;
using RCPtrsAsConstRCPtr = PointerTraits<QV::RCPtrArray<Item, 1, 0>, QV::ConstRCPtr<Item>, kConstRCPtr>;
using SteppedConstRCPtrs =
    PointerTraits<QV::ConstRCPtrArray<Item, 16, 16>, QV::ConstRCPtr<Item>, kConstRCPtr>;

enum class Op {
    InsertItems,
    RemoveItems,
    InsertItem,
    InsertOwnItem,  // inserts at a the element found at b
    Add,
    RemoveItem,
    RemoveLast,
    Swap,
    AppendSelf,
    AssignSelf,
    SetCount,
    RemoveAll,
};

enum class Thrown { Nothing, VectorSubscript, ConstRCPtrArrayRemoveItem, RCPtrArrayRemoveItem };

constexpr int kOutBefore = 99;
constexpr uint32_t kFar = 0xFFFFFFFFu;

struct Outcome {
    int32_t result;
    std::vector<int> after;
    Thrown thrown = Thrown::Nothing;
    int out = kOutBefore;  // the out element of RemoveItem and RemoveLast
};

Outcome Returns(int32_t result, std::vector<int> after, int out = kOutBefore) {
    return {result, std::move(after), Thrown::Nothing, out};
}
Outcome Throws(Thrown thrown, std::vector<int> after) {
    return {0, std::move(after), thrown, kOutBefore};
}

struct Row {
    const char* name;
    std::vector<int> before;
    Op op;
    uint32_t a;
    uint32_t b;
    Outcome expected;
    std::vector<std::pair<unsigned, Outcome>> differing = {};  // families whose outcome differs

    const Outcome& For(Family family) const {
        for (const auto& [families, outcome] : differing) {
            if ((families & family) != 0) {
                return outcome;
            }
        }
        return expected;
    }
};

const std::vector<Row>& Rows() {
    const Thrown kVector = Thrown::VectorSubscript;
    const Thrown kConstRemove = Thrown::ConstRCPtrArrayRemoveItem;
    const Thrown kRemove = Thrown::RCPtrArrayRemoveItem;
    // clang-format off
    static const std::vector<Row> rows = {
        {"InsertItems none at end", {1, 2, 3}, Op::InsertItems, 3, 0, Returns(3, {1, 2, 3})},
        {"InsertItems none past end", {1, 2, 3}, Op::InsertItems, 4, 0, Returns(3, {1, 2, 3}),
            {{kArray, Returns(E_INVALIDARG, {1, 2, 3})}}},
        {"InsertItems none far past end", {1, 2, 3}, Op::InsertItems, kFar, 0, Returns(3, {1, 2, 3}),
            {{kArray, Returns(E_INVALIDARG, {1, 2, 3})}}},
        {"InsertItems one past end", {1, 2, 3}, Op::InsertItems, 4, 1, Returns(E_INVALIDARG, {1, 2, 3})},
        {"InsertItems at end", {1, 2, 3}, Op::InsertItems, 3, 2, Returns(5, {1, 2, 3, 0, 0})},
        // The fixed array leaves the opened slots with the bytes they held.
        {"InsertItems in middle", {1, 2, 3}, Op::InsertItems, 1, 2, Returns(5, {1, 0, 0, 2, 3}),
            {{kFixed, Returns(5, {1, 2, 3, 2, 3})}}},
        {"InsertItems count near 2^32", {1, 2, 3}, Op::InsertItems, 1, kFar - 1, Returns(E_INVALIDARG, {1, 2, 3})},
        {"RemoveItems none at end", {1, 2, 3}, Op::RemoveItems, 3, 0, Returns(3, {1, 2, 3}),
            {{kArray, Returns(E_INVALIDARG, {1, 2, 3})}}},
        {"RemoveItems none far past end", {1, 2, 3}, Op::RemoveItems, kFar, 0, Returns(3, {1, 2, 3}),
            {{kArray, Returns(E_INVALIDARG, {1, 2, 3})}}},
        {"RemoveItems none from empty", {}, Op::RemoveItems, 0, 0, Returns(0, {}),
            {{kArray, Returns(E_INVALIDARG, {})}}},
        {"RemoveItems middle", {1, 2, 3}, Op::RemoveItems, 1, 1, Returns(2, {1, 3})},
        {"RemoveItems all", {1, 2, 3}, Op::RemoveItems, 0, 3, Returns(0, {})},
        // Pointer arrays remove up to the end, then refuse the first removal past it.
        {"RemoveItems range past end", {1, 2, 3}, Op::RemoveItems, 1, 3, Returns(E_INVALIDARG, {1, 2, 3}),
            {{kPointers, Throws(kConstRemove, {1})}}},
        {"RemoveItems range wrapping 2^32", {1, 2, 3}, Op::RemoveItems, 1, kFar, Returns(E_INVALIDARG, {1, 2, 3}),
            {{kPointers, Throws(kConstRemove, {1})}}},
        {"RemoveItems index wrapping 2^32", {1, 2, 3}, Op::RemoveItems, kFar, 2, Returns(E_INVALIDARG, {1, 2, 3}),
            {{kPointers, Throws(kConstRemove, {1, 2, 3})}}},
        {"InsertItem at end", {1, 2, 3}, Op::InsertItem, 3, 7, Returns(3, {1, 2, 3, 7}),
            {{kFixed | kBuffer, Returns(4, {1, 2, 3, 7})}}},
        {"InsertItem at front", {1, 2, 3}, Op::InsertItem, 0, 7, Returns(0, {7, 1, 2, 3}),
            {{kFixed | kBuffer, Returns(4, {7, 1, 2, 3})}}},
        {"InsertItem past end", {1, 2, 3}, Op::InsertItem, 4, 7, Returns(E_INVALIDARG, {1, 2, 3})},
        {"InsertItem of own element", {1, 2, 3}, Op::InsertOwnItem, 0, 2, Returns(0, {3, 1, 2, 3}),
            {{kFixed | kBuffer, Returns(4, {3, 1, 2, 3})}}},
        {"Add to empty", {}, Op::Add, 5, 0, Returns(0, {5}), {{kFixed | kBuffer, Returns(1, {5})}}},
        {"RemoveItem middle", {1, 2, 3}, Op::RemoveItem, 1, 0, Returns(2, {1, 3}, 2)},
        {"RemoveItem at count", {1, 2, 3}, Op::RemoveItem, 3, 0, Returns(E_INVALIDARG, {1, 2, 3}),
            {{kArray, Throws(kVector, {1, 2, 3})}, {kRCPtr, Throws(kRemove, {1, 2, 3})},
             {kConstRCPtr, Throws(kConstRemove, {1, 2, 3})}}},
        {"RemoveItem far past end", {1, 2, 3}, Op::RemoveItem, kFar, 0, Returns(E_INVALIDARG, {1, 2, 3}),
            {{kArray, Throws(kVector, {1, 2, 3})}, {kRCPtr, Throws(kRemove, {1, 2, 3})},
             {kConstRCPtr, Throws(kConstRemove, {1, 2, 3})}}},
        {"RemoveLast", {1, 2, 3}, Op::RemoveLast, 0, 0, Returns(2, {1, 2}, 3)},
        // Pointer arrays empty out even when there is nothing to take.
        {"RemoveLast of empty", {}, Op::RemoveLast, 0, 0, Returns(E_INVALIDARG, {}),
            {{kArray, Throws(kVector, {})}, {kPointers, Returns(E_FAIL, {}, 0)}}},
        {"Swap ends", {1, 2, 3}, Op::Swap, 0, 2, Returns(S_OK, {3, 2, 1})},
        {"Swap with itself", {1, 2, 3}, Op::Swap, 1, 1, Returns(S_OK, {1, 2, 3})},
        {"Swap index at count", {1, 2, 3}, Op::Swap, 0, 3, Returns(E_INVALIDARG, {1, 2, 3})},
        {"Swap index far past end", {1, 2, 3}, Op::Swap, kFar, 0, Returns(E_INVALIDARG, {1, 2, 3})},
        {"Append to itself", {1, 2, 3}, Op::AppendSelf, 0, 0, Returns(6, {1, 2, 3, 1, 2, 3})},
        {"Append empty to itself", {}, Op::AppendSelf, 0, 0, Returns(0, {})},
        {"Assign from itself", {1, 2, 3}, Op::AssignSelf, 0, 0, Returns(3, {1, 2, 3})},
        {"SetCount grow", {1, 2, 3}, Op::SetCount, 5, 0, Returns(5, {1, 2, 3, 0, 0})},
        {"SetCount shrink", {1, 2, 3}, Op::SetCount, 1, 0, Returns(1, {1})},
        {"SetCount past the largest count", {1, 2, 3}, Op::SetCount, 0x80000000u, 0, Returns(E_INVALIDARG, {1, 2, 3}),
            {{kFixed, Returns(8, {1, 2, 3, 0, 0, 0, 0, 0})}}},
        {"RemoveAll", {1, 2, 3}, Op::RemoveAll, 0, 0, Returns(S_OK, {})},
    };
    // clang-format on
    return rows;
}

// Which removal refused an index: the standard vector text, or the framework's "Out of Range"
// naming the interface's own RemoveItem.
Thrown Classify(const std::out_of_range& e) {
    const std::string text = e.what();
    if (dynamic_cast<const QV::ExceptionBase*>(&e) == nullptr) {
        EXPECT_EQ("invalid vector<T> subscript", text);
        return Thrown::VectorSubscript;
    }
    const std::string constPrefix =
        "Out of Range : QV::ConstRCPtrArray<QVTest::Item, 1, 0>::RemoveItem : "
        "RIZozivirod/Utilities/Storage/ConstRCPtrArray.h : Line ";
    const std::string steppedPrefix =
        "Out of Range : QV::ConstRCPtrArray<QVTest::Item, 16, 16>::RemoveItem : "
        "RIZozivirod/Utilities/Storage/ConstRCPtrArray.h : Line ";
    const std::string prefix =
        "Out of Range : QV::RCPtrArray<QVTest::Item, 1, 0>::RemoveItem : "
        "RIZozivirod/Utilities/Storage/RCPtrArray.h : Line ";
    if (text.starts_with(constPrefix) || text.starts_with(steppedPrefix)) {
        return Thrown::ConstRCPtrArrayRemoveItem;
    }
    EXPECT_TRUE(text.starts_with(prefix)) << text;
    return Thrown::RCPtrArrayRemoveItem;
}

template <class Traits>
class ArrayContract : public ::testing::Test {
protected:
    using Element = typename Traits::Element;

    void TearDown() override {
        EXPECT_EQ(QV::S_OK, Traits::View(mArray).RemoveAll());
        EXPECT_EQ(0, Item::Live());
    }

    IArray<Element>& Filled(std::initializer_list<int> values) {
        IArray<Element>& array = Traits::View(mArray);
        for (int value : values) {
            array.Add(Traits::Make(value));
        }
        return array;
    }

    static std::vector<int> Values(const IArray<Element>& array) {
        std::vector<int> values;
        for (uint32_t i = 0; i < array.GetCount(); ++i) {
            values.push_back(Traits::Value(array.GetAt(i)));
        }
        return values;
    }

    static int32_t Run(IArray<Element>& array, const Row& row, Element& out) {
        switch (row.op) {
            case Op::InsertItems:
                return array.InsertItems(row.a, row.b);
            case Op::RemoveItems:
                return array.RemoveItems(row.a, row.b);
            case Op::InsertItem:
                return array.InsertItem(row.a, Traits::Make(static_cast<int>(row.b)));
            case Op::InsertOwnItem:
                return array.InsertItem(row.a, array.GetAt(row.b));
            case Op::Add:
                return array.Add(Traits::Make(static_cast<int>(row.a)));
            case Op::RemoveItem:
                return array.RemoveItem(row.a, out);
            case Op::RemoveLast:
                return array.RemoveLast(out);
            case Op::Swap:
                return array.Swap(row.a, row.b);
            case Op::AppendSelf:
                return array.Append(array);
            case Op::AssignSelf:
                return array.Assign(array);
            case Op::SetCount:
                return array.SetCount(row.a);
            case Op::RemoveAll:
                return array.RemoveAll();
        }
        return 0;
    }

    typename Traits::ArrayType mArray;
};

using ArrayTypes = ::testing::Types<ArrayOfInt, FixedOfChar, BufferOfInt, InlineBufferOfChar, RCPtrsAsRCPtr,
                                    RCPtrsAsConstRCPtr, SteppedConstRCPtrs>;
TYPED_TEST_SUITE(ArrayContract, ArrayTypes);

TYPED_TEST(ArrayContract, CaseTable) {
    using Traits = TypeParam;
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        const Outcome& expected = row.For(Traits::kFamily);
        typename Traits::ArrayType array;
        IArray<typename Traits::Element>& view = Traits::View(array);
        for (int value : row.before) {
            view.Add(Traits::Make(value));
        }
        typename Traits::Element out = Traits::Make(kOutBefore);

        Thrown thrown = Thrown::Nothing;
        int32_t result = 0;
        try {
            result = TestFixture::Run(view, row, out);
        } catch (const std::out_of_range& e) {
            thrown = Classify(e);
        }
        EXPECT_EQ(expected.thrown, thrown);
        if (expected.thrown == Thrown::Nothing) {
            EXPECT_EQ(expected.result, result);
        }
        EXPECT_EQ(expected.after, TestFixture::Values(view));
        EXPECT_EQ(expected.out, Traits::Value(out));
        Traits::CheckReferences(view, out);
    }
}

TYPED_TEST(ArrayContract, EmptyArrayHasNullPositions) {
    auto& array = this->Filled({});
    EXPECT_EQ(0u, array.GetCount());
    EXPECT_EQ(nullptr, array.GetFirstPosition());
    EXPECT_EQ(nullptr, array.GetEndPosition());
    EXPECT_EQ(nullptr, array.Begin().position);
    EXPECT_EQ(nullptr, array.End().position);
    EXPECT_EQ(nullptr, array.MovePosition(nullptr, 1));
    EXPECT_EQ(nullptr, array.MovePosition(nullptr, -1));
}

TYPED_TEST(ArrayContract, MovePositionClampsToFirstAndEnd) {
    auto& array = this->Filled({1, 2, 3});
    auto* first = array.GetFirstPosition();
    auto* end = array.GetEndPosition();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first + 3, end);
    EXPECT_EQ(first, array.MovePosition(first, -5));
    EXPECT_EQ(first, array.MovePosition(end, INT32_MIN));
    EXPECT_EQ(first + 1, array.MovePosition(first, 1));
    EXPECT_EQ(end, array.MovePosition(first, 3));
    EXPECT_EQ(end, array.MovePosition(first, 100));
    EXPECT_EQ(end, array.MovePosition(first, INT32_MAX));
}

TYPED_TEST(ArrayContract, IteratorWalksEveryElement) {
    const auto& array = this->Filled({4, 5, 6});
    auto at = array.Begin();
    std::vector<int> seen;
    for (uint32_t i = 0; i < array.GetCount(); ++i) {
        seen.push_back(TypeParam::Value(at.array->GetAtPosition(at.position)));
        at.position = at.array->MovePosition(at.position, 1);
    }
    EXPECT_EQ((std::vector<int>{4, 5, 6}), seen);
    EXPECT_EQ(array.End().position, at.position);
}

// Pointer elements are equal when they are the same pointer, so the duplicate is a copy of an
// element, not a new one of the same value.
TYPED_TEST(ArrayContract, IndexOfFindsTheLowestEqualElement) {
    auto& array = this->Filled({});
    EXPECT_EQ(-1, array.IndexOf(TypeParam::Make(4)));
    this->Filled({4, 5});
    array.Add(typename TypeParam::Element(array.GetAt(0)));
    EXPECT_EQ(0, array.IndexOf(array.GetAt(2)));
    EXPECT_EQ(1, array.IndexOf(array.GetAt(1)));
    EXPECT_EQ(-1, array.IndexOf(TypeParam::Make(6)));
}

TYPED_TEST(ArrayContract, EqualityComparesCountsThenElementsInOrder) {
    typename TypeParam::ArrayType other;
    auto& array = this->Filled({});
    auto& copy = TypeParam::View(other);
    EXPECT_TRUE(array == copy);

    this->Filled({1, 2, 3});
    EXPECT_FALSE(array == copy);
    EXPECT_EQ(3, copy.Append(array));
    EXPECT_TRUE(array == copy);

    copy.GetAt(1) = TypeParam::Make(9);
    EXPECT_FALSE(array == copy);
    copy.GetAt(1) = array.GetAt(1);
    EXPECT_TRUE(array == copy);
    copy.SetCount(2);
    EXPECT_FALSE(array == copy);
}

}  // namespace
