#include "Engine/PresetEditorCommon/ParamCache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

QV::Variant Blob(std::initializer_list<uint8_t> bytes) {
    const std::vector<uint8_t> data(bytes);
    QV::Variant value;
    value.SetBlob(data.data(), static_cast<uint32_t>(data.size()));
    return value;
}

QV::Variant Int32(int32_t number) {
    QV::Variant value;
    value.Set(QV::Variant::Int32, &number, sizeof(number));
    return value;
}

QV::ParamDescriptor Slot(int32_t index, const QV::Variant& qualifier = QV::Variant()) {
    QV::ParamDescriptor descriptor(index);
    descriptor.qualifier = qualifier;
    return descriptor;
}

// Counts the changes the cache reports to its own hook.
class CountingCache : public LParamCache {
public:
    static QV::RCPtr<CountingCache> Create(uint32_t count) {
        return QV::RCPtr<CountingCache>(new CountingCache(count));
    }

    int32_t OnValueChanged(uint32_t index, const QV::Variant& value) override {
        changes.push_back(index);
        lastValue = value;
        return QV::S_OK;
    }

    std::vector<uint32_t> changes;
    QV::Variant lastValue;

private:
    explicit CountingCache(uint32_t count) : LParamCache(count) {}
};

TEST(ParamCacheTest, StoresPlainValuesBySlot) {
    QV::RCPtr<CountingCache> cache = CountingCache::Create(37);
    QV::Variant out = Int32(9);
    EXPECT_EQ(cache->GetValue(Slot(36), out), 0);
    EXPECT_EQ(out.kind, QV::Variant::Empty);

    EXPECT_EQ(cache->SetValue(Slot(36), Blob({1, 2}), true), 0);
    EXPECT_EQ(cache->SetValue(Slot(36), Blob({1, 2}), true), 1);
    EXPECT_EQ(cache->SetValue(Slot(36), Blob({1, 3}), false), 0);
    EXPECT_EQ(cache->changes, (std::vector<uint32_t>{36}));
    EXPECT_EQ(cache->GetValue(Slot(36), out), 0);
    EXPECT_EQ(out, Blob({1, 3}));

    // Indexes are unsigned: -1 is far out of range, as is the count itself.
    for (const int32_t index : {37, -1, INT32_MIN}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(cache->SetValue(Slot(index), Blob({1}), true), -1);
        out = Int32(1);
        EXPECT_EQ(cache->GetValue(Slot(index), out), -1);
        EXPECT_EQ(out.kind, QV::Variant::Empty);
    }
    EXPECT_EQ(cache->changes.size(), 1u);
}

TEST(ParamCacheTest, KeepsQualifiedValuesAsAnOrderedList) {
    QV::RCPtr<CountingCache> cache = CountingCache::Create(37);
    // A plain value in the slot counts as no list: the first qualified value replaces it.
    cache->SetValue(Slot(4), Blob({7}), false);
    EXPECT_EQ(cache->SetValue(Slot(4, Int32(2)), Blob({0xB}), true), 0);
    EXPECT_EQ(cache->SetValue(Slot(4, Int32(1)), Blob({0xA}), true), 0);
    EXPECT_EQ(cache->SetValue(Slot(4, Int32(1)), Blob({0xA}), true), 1);
    EXPECT_EQ(cache->changes, (std::vector<uint32_t>{4, 4}));

    // The whole list is reported, ordered by qualifier.
    QV::ParamValues list;
    ASSERT_EQ(cache->GetValue(Slot(4), list), 0);
    EXPECT_EQ(list, cache->lastValue);
    ASSERT_EQ(list.GetListCount(), 2u);
    QV::Variant value;
    QV::Variant qualifier;
    int32_t id = -1;
    ASSERT_EQ(list.GetItem(0, value, id, qualifier), 0);
    EXPECT_EQ(id, 4);
    EXPECT_EQ(qualifier, Int32(1));
    EXPECT_EQ(value, Blob({0xA}));

    QV::Variant out;
    EXPECT_EQ(cache->GetValue(Slot(4, Int32(2)), out), 0);
    EXPECT_EQ(out, Blob({0xB}));
    EXPECT_EQ(cache->GetValue(Slot(4, Int32(3)), out), 1);
    EXPECT_EQ(out.kind, QV::Variant::Empty);
    EXPECT_EQ(cache->GetValue(Slot(5, Int32(1)), out), 1);
}

TEST(ParamCacheTest, RefusesQualifiedAccessToAnUndecodableList) {
    QV::RCPtr<CountingCache> cache = CountingCache::Create(37);
    QV::Variant broken;
    const QV::Variant item = Int32(5);
    broken.SetList(&item, 1);
    cache->SetValue(Slot(2), broken, false);

    EXPECT_EQ(cache->SetValue(Slot(2, Int32(1)), Blob({1}), true), -1);
    QV::Variant out = Int32(1);
    EXPECT_EQ(cache->GetValue(Slot(2, Int32(1)), out), -7);
    EXPECT_EQ(out.kind, QV::Variant::Empty);
    EXPECT_EQ(cache->GetValue(Slot(2), out), 0);
    EXPECT_EQ(out, broken);
    EXPECT_TRUE(cache->changes.empty());
}

}  // namespace
