#include "RIZozivirod/Utilities/Storage/ParamTypes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "RIZozivirod/Utilities/Storage/VariantTestSupport.h"

namespace QV {
namespace {

using namespace TestSupport;

struct Entry {
    int32_t id;
    Variant qualifier;
    Variant value;
};

std::vector<Entry> EntriesOf(const ParamValues& list) {
    std::vector<Entry> entries(list.GetListCount());
    for (uint32_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(0, list.GetItem(i, entries[i].value, entries[i].id, entries[i].qualifier));
    }
    return entries;
}

std::vector<int32_t> IdsOf(const ParamValues& list) {
    std::vector<int32_t> ids;
    for (const Entry& entry : EntriesOf(list)) {
        ids.push_back(entry.id);
    }
    return ids;
}

ParamDescriptor Descriptor(int32_t id, const Variant& qualifier = Variant()) {
    ParamDescriptor descriptor(id);
    descriptor.qualifier = qualifier;
    return descriptor;
}

// The value list of id 5, an Empty qualifier and the blob 07.
const Bytes kOneValueList =
    Concat({Record(53, 1, 16), Record(13, 1, 14, {7}), Record(16, 1, 6, {5, 0, 0, 0}), Record(12, 1, 0)});

TEST(ParamTypesTest, DefaultsAndCopies) {
    const ParamDescriptor none;
    EXPECT_EQ(-1, none.paramID);
    EXPECT_EQ(Variant::Empty, none.qualifier.kind);
    const ParamValue value(4, Text("q"), Blob({1}));
    const ParamValue copy(value);
    EXPECT_EQ(4, copy.descriptor.paramID);
    EXPECT_NE(value.descriptor.qualifier.value.pointer, copy.descriptor.qualifier.value.pointer);
    EXPECT_TRUE(copy.descriptor.qualifier == Text("q"));
    EXPECT_TRUE(copy.value == Blob({1}));
    EXPECT_EQ(-1, ParamValue().descriptor.paramID);
}

TEST(ParamTypesTest, RangesKeepTheirPairs) {
    ParamRanges ranges;
    const ParamRange all{0, 37};
    EXPECT_EQ(0, ranges.SetFromArray(&all, 1));
    EXPECT_EQ(1u, ranges.GetListCount());
    EXPECT_EQ(Concat({Record(44, 1, 16), RecordOf(Int32(0)), RecordOf(Int32(37))}), DataOf(ranges));

    ParamRange range{9, 9};
    EXPECT_EQ(0, ranges.GetRangeAt(0, range));
    EXPECT_EQ(0, range.firstParamID);
    EXPECT_EQ(37, range.count);
    EXPECT_EQ(-4, ranges.GetRangeAt(1, range));
    EXPECT_EQ(-1, range.firstParamID);
    EXPECT_EQ(0, range.count);

    const Bytes before = DataOf(ranges);
    EXPECT_EQ(-4, ranges.SetFromArray(nullptr, 1));
    EXPECT_EQ(-4, ranges.SetFromArray(&all, 0));
    EXPECT_EQ(before, DataOf(ranges));
}

TEST(ParamTypesTest, DescriptorsFromRangesListEveryIdInOrder) {
    const int32_t max = std::numeric_limits<int32_t>::max();
    const int32_t min = std::numeric_limits<int32_t>::min();
    struct Case {
        const char* name;
        std::vector<ParamRange> ranges;
        std::vector<int32_t> ids;
    };
    const Case cases[] = {
        {"one range", {{13, 8}}, {13, 14, 15, 16, 17, 18, 19, 20}},
        {"count 0", {{13, 0}}, {}},
        {"ranges in order given", {{10, 1}, {1, 2}}, {10, 1, 2}},
        {"negative count gives nothing", {{5, -3}, {7, 1}}, {7}},
        {"ids wrap as 32-bit numbers", {{max, 2}}, {max, min}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParamRanges ranges;
        ranges.SetFromArray(c.ranges.data(), static_cast<uint32_t>(c.ranges.size()));
        ParamDescriptors descriptors;
        EXPECT_EQ(0, descriptors.SetFromRanges(ranges));
        EXPECT_EQ(Variant::List, descriptors.kind);
        ASSERT_EQ(c.ids.size(), descriptors.GetListCount());
        for (uint32_t i = 0; i < c.ids.size(); ++i) {
            int32_t id = 0;
            Variant qualifier = Int32(1);
            EXPECT_EQ(0, descriptors.GetDescriptorAt(i, id, qualifier));
            EXPECT_EQ(c.ids[i], id);
            EXPECT_EQ(Variant::Empty, qualifier.kind);
        }
    }
    const ParamDescriptors fromRange(ParamRange{13, 8});
    EXPECT_EQ(8u, fromRange.GetListCount());
    const ParamDescriptors none(ParamRange{13, 0});
    EXPECT_EQ(Variant::List, none.kind);
    EXPECT_EQ(0u, none.GetListCount());
}

TEST(ParamTypesTest, DescriptorsKeepIdAndQualifier) {
    const ParamDescriptor input[] = {Descriptor(3), Descriptor(4, Int32(2)), Descriptor(-8, Text("q"))};
    ParamDescriptors descriptors;
    EXPECT_EQ(0, descriptors.SetFromArray(input, 3));
    const Bytes content = DataOf(descriptors);
    EXPECT_EQ(Concat({Record(40, 1, 16), RecordOf(Int32(3)), RecordOf(Variant())}),
              Bytes(content.begin(), content.begin() + 40));
    for (uint32_t i = 0; i < 3; ++i) {
        int32_t id = 0;
        Variant qualifier;
        EXPECT_EQ(0, descriptors.GetDescriptorAt(i, id, qualifier));
        EXPECT_EQ(input[i].paramID, id);
        EXPECT_TRUE(qualifier == input[i].qualifier);
    }
    int32_t id = 0;
    Variant qualifier = Text("cleared");
    EXPECT_EQ(-4, descriptors.GetDescriptorAt(3, id, qualifier));
    EXPECT_EQ(-1, id);
    EXPECT_EQ(Variant::Empty, qualifier.kind);
    EXPECT_EQ(-4, descriptors.SetFromArray(nullptr, 3));
    EXPECT_EQ(3u, descriptors.GetListCount());
}

TEST(ParamTypesTest, AValueItemIsValueIdQualifier) {
    ParamValues values;
    EXPECT_EQ(0, values.SetFromValue(Descriptor(5), Blob({7})));
    EXPECT_EQ(53u, values.length);
    EXPECT_EQ(kOneValueList, DataOf(values));

    Variant value;
    int32_t id = 0;
    Variant qualifier = Text("previous");
    EXPECT_EQ(0, values.GetItem(0, value, id, qualifier));
    EXPECT_TRUE(value == Blob({7}));
    EXPECT_EQ(5, id);
    EXPECT_EQ(Variant::Empty, qualifier.kind);

    qualifier = Text("untouched");
    EXPECT_EQ(-4, values.GetItem(1, value, id, qualifier));
    EXPECT_EQ(Variant::Empty, value.kind);
    EXPECT_EQ(-1, id);
    EXPECT_STREQ("untouched", qualifier.GetString());
}

// Each decoder refuses lists that are not lists (-4) and items of the wrong shape (-7).
TEST(ParamTypesTest, DecodersReportMissingAndMisshapenItems) {
    const Variant twoItems = ListOf({ListOf({Int32(1), Variant()})});
    const Variant threeItems = ListOf({ListOf({Blob({1}), Int32(1), Variant()})});
    const Variant scalarItem = ListOf({Int32(1)});
    // An item record that runs past the end is counted but cannot be read.
    const Variant cutItem = RawList(Record(200, 1, 16, {0}));
    struct Case {
        const char* name;
        Variant list;
        int32_t item;        // GetItem
        int32_t descriptor;  // GetDescriptorAt
        int32_t range;       // GetRangeAt
    };
    const Case cases[] = {
        {"not a list", Int32(5), -4, -4, -4},     {"empty list", ListOf({}), -4, -4, -4},
        {"2-item items", twoItems, -7, 0, 0},     {"3-item items", threeItems, 0, -7, -7},
        {"scalar items", scalarItem, -7, -7, -7}, {"cut item", cutItem, -7, -7, -7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParamValues values;
        static_cast<Variant&>(values) = c.list;
        ParamDescriptors descriptors;
        static_cast<Variant&>(descriptors) = c.list;
        ParamRanges ranges;
        static_cast<Variant&>(ranges) = c.list;

        Variant value = Text("value");
        Variant qualifier = Text("qualifier");
        int32_t id = 99;
        EXPECT_EQ(c.item, values.GetItem(0, value, id, qualifier));
        if (c.item < 0) {
            EXPECT_EQ(Variant::Empty, value.kind);
            EXPECT_EQ(-1, id);
            EXPECT_STREQ("qualifier", qualifier.GetString());
        }

        qualifier = Text("qualifier");
        id = 99;
        EXPECT_EQ(c.descriptor, descriptors.GetDescriptorAt(0, id, qualifier));
        if (c.descriptor < 0) {
            EXPECT_EQ(-1, id);
            EXPECT_EQ(Variant::Empty, qualifier.kind);
        }

        ParamRange range{9, 9};
        EXPECT_EQ(c.range, ranges.GetRangeAt(0, range));
        if (c.range == -7) {
            EXPECT_EQ(9, range.firstParamID);
            EXPECT_EQ(9, range.count);
        }
    }
}

TEST(ParamTypesTest, FindValueSearchesByIdAndQualifier) {
    ParamValues values;
    const ParamValue input[] = {ParamValue(4, Int32(1), Blob({0xA})), ParamValue(4, Int32(2), Blob({0xB})),
                                ParamValue(5, Variant(), Blob({0xC}))};
    EXPECT_EQ(0, ParamDescriptors::SetFromValues(values, input, 3));

    struct Case {
        ParamDescriptor descriptor;
        int32_t result;
        Variant value;
    };
    const Case cases[] = {
        {Descriptor(4, Int32(2)), 0, Blob({0xB})},
        {Descriptor(5), 0, Blob({0xC})},
        {Descriptor(4), 1, Variant()},
        {Descriptor(4, Scalar<uint32_t>(Variant::UInt32, 1)), 1, Variant()},
        {Descriptor(6), 1, Variant()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.descriptor.paramID);
        Variant value = Text("previous");
        EXPECT_EQ(c.result, values.FindValue(c.descriptor, value));
        EXPECT_TRUE(value == c.value);
    }

    Variant value = Text("previous");
    EXPECT_EQ(1, ParamValues().FindValue(Descriptor(5), value));
    EXPECT_EQ(Variant::Empty, value.kind);

    ParamValues broken;
    static_cast<Variant&>(broken) = ListOf({ListOf({Int32(1)})});
    value = Text("previous");
    EXPECT_EQ(-7, broken.FindValue(Descriptor(5), value));
    EXPECT_EQ(Variant::Empty, value.kind);
}

TEST(ParamTypesTest, SetFromValuesRefusesAnEmptyArray) {
    ParamValues values;
    values.SetFromValue(Descriptor(1), Blob({1}));
    const ParamValue one(2, Variant(), Blob({2}));
    EXPECT_EQ(-4, ParamDescriptors::SetFromValues(values, nullptr, 1));
    EXPECT_EQ(-4, ParamDescriptors::SetFromValues(values, &one, 0));
    EXPECT_EQ((std::vector<int32_t>{1}), IdsOf(values));
}

TEST(ParamTypesTest, ToArrayPutsOneValueAndKeepsTheOrder) {
    ParamValues values;
    EXPECT_EQ(0, values.ToArray(Descriptor(5), Blob({7})));
    EXPECT_EQ(kOneValueList, DataOf(values));

    // An equal value changes nothing, not even the bytes.
    EXPECT_EQ(1, values.ToArray(Descriptor(5), Blob({7})));
    EXPECT_EQ(kOneValueList, DataOf(values));

    EXPECT_EQ(0, values.ToArray(Descriptor(5), Blob({8, 9})));
    std::vector<Entry> entries = EntriesOf(values);
    ASSERT_EQ(1u, entries.size());
    EXPECT_TRUE(entries[0].value == Blob({8, 9}));

    struct Step {
        int32_t id;
        Variant qualifier;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<int32_t> ids;
        std::vector<int32_t> qualifiers;  // ToInt32 of each item's qualifier
    };
    const Case cases[] = {
        {"ids as unsigned numbers", {{7, Variant()}, {3, Variant()}, {-8, Variant()}}, {3, 7, -8}, {0, 0, 0}},
        {"qualifiers in Variant order", {{4, Int32(2)}, {4, Int32(1)}}, {4, 4}, {1, 2}},
        {"Empty qualifier first", {{4, Int32(1)}, {4, Variant()}, {2, Int32(9)}}, {2, 4, 4}, {9, 0, 1}},
        {"into the middle", {{1, Variant()}, {9, Variant()}, {5, Variant()}}, {1, 5, 9}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParamValues list;
        int32_t n = 0;
        for (const Step& step : c.steps) {
            EXPECT_EQ(0, list.ToArray(Descriptor(step.id, step.qualifier), Int32(++n)));
        }
        entries = EntriesOf(list);
        ASSERT_EQ(c.ids.size(), entries.size());
        for (uint32_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(c.ids[i], entries[i].id);
            EXPECT_EQ(c.qualifiers[i], entries[i].qualifier.ToInt32());
        }
    }
}

TEST(ParamTypesTest, ToArrayUpdatesInPlaceAndLeavesOthersAlone) {
    ParamValues values;
    const ParamValue input[] = {ParamValue(1, Variant(), Blob({1})), ParamValue(4, Text("q"), Blob({4})),
                                ParamValue(9, Variant(), Blob({9}))};
    ParamDescriptors::SetFromValues(values, input, 3);
    EXPECT_EQ(0, values.ToArray(Descriptor(4, Text("q")), Blob({0x44})));
    const std::vector<Entry> entries = EntriesOf(values);
    ASSERT_EQ(3u, entries.size());
    EXPECT_TRUE(entries[0].value == Blob({1}));
    EXPECT_TRUE(entries[1].value == Blob({0x44}));
    EXPECT_TRUE(entries[1].qualifier == Text("q"));
    EXPECT_TRUE(entries[2].value == Blob({9}));
}

TEST(ParamTypesTest, ToArrayLeavesAMalformedListUnchanged) {
    ParamValues values;
    static_cast<Variant&>(values) = ListOf({ListOf({Blob({1}), Int32(1), Variant()}), ListOf({Int32(2)})});
    const Bytes before = DataOf(values);
    EXPECT_EQ(-7, values.ToArray(Descriptor(5), Blob({5})));
    EXPECT_EQ(before, DataOf(values));
}

}  // namespace
}  // namespace QV
