#include "RIZozivirod/Utilities/Storage/ParamTypes.h"

#include <limits>
#include <memory>
#include <new>
#include <vector>

namespace QV {

namespace {

constexpr int32_t kDone = 0;
constexpr int32_t kUnchanged = 1;
constexpr int32_t kNotFound = 1;
constexpr int32_t kNoItem = -4;
constexpr int32_t kWrongShape = -7;

void SetInt32(Variant& target, int32_t id) {
    target.Set(Variant::Int32, &id, sizeof(id));
}

// The common front of the decoders: item index of list, which has to be a list of exactly
// itemCount items.
int32_t TakeItem(const Variant& list, uint32_t index, uint32_t itemCount, Variant& item) {
    if (index >= list.GetListCount()) {
        return kNoItem;
    }
    list.GetListItem(index, item);
    if (item.kind != Variant::List || item.GetListCount() != itemCount) {
        return kWrongShape;
    }
    return kDone;
}

int32_t ItemToInt32(const Variant& list, uint32_t index) {
    Variant item;
    list.GetListItem(index, item);
    return item.ToInt32();
}

// Value lists are kept by id as an unsigned number (special negative ids last), then by
// qualifier.
bool KeyLess(const ParamDescriptor& a, const ParamDescriptor& b) {
    const uint32_t idA = static_cast<uint32_t>(a.paramID);
    const uint32_t idB = static_cast<uint32_t>(b.paramID);
    return idA < idB || (idA == idB && a.qualifier < b.qualifier);
}

}  // namespace

ParamValue::ParamValue(int32_t id, const Variant& qualifier, const Variant& value)
    : descriptor(id), value(value) {
    descriptor.qualifier = qualifier;
}

ParamRanges::~ParamRanges() = default;
ParamDescriptors::~ParamDescriptors() = default;
ParamValues::~ParamValues() = default;

int32_t ParamRanges::SetFromArray(const ParamRange* ranges, uint32_t count) {
    if (ranges == nullptr || count == 0) {
        return kNoItem;
    }
    std::unique_ptr<Variant[]> items(new Variant[count]);
    Variant pair[2];
    for (uint32_t i = 0; i < count; ++i) {
        SetInt32(pair[0], ranges[i].firstParamID);
        SetInt32(pair[1], ranges[i].count);
        items[i].SetList(pair, 2);
    }
    SetList(items.get(), count);
    return kDone;
}

int32_t ParamRanges::GetRangeAt(uint32_t index, ParamRange& range) const {
    Variant item;
    const int32_t result = TakeItem(*this, index, 2, item);
    if (result == kNoItem) {
        range = {-1, 0};
    }
    if (result != kDone) {
        return result;
    }
    range.firstParamID = ItemToInt32(item, 0);
    range.count = ItemToInt32(item, 1);
    return kDone;
}

ParamDescriptors::ParamDescriptors(const ParamRange& range) {
    ParamRanges ranges;
    ranges.SetFromArray(&range, 1);
    SetFromRanges(ranges);
}

int32_t ParamDescriptors::SetFromArray(const ParamDescriptor* descriptors, uint32_t count) {
    if (descriptors == nullptr || count == 0) {
        return kNoItem;
    }
    std::unique_ptr<Variant[]> items(new Variant[count]);
    Variant id;
    for (uint32_t i = 0; i < count; ++i) {
        SetInt32(id, descriptors[i].paramID);
        const Variant* parts[2] = {&id, &descriptors[i].qualifier};
        SerializeVariantArray(items[i], parts, 2);
    }
    SetList(items.get(), count);
    return kDone;
}

int32_t ParamDescriptors::SetFromRanges(const ParamRanges& ranges) {
    // A range that cannot be read, or whose count is not positive, gives no ids.
    const uint32_t rangeCount = ranges.GetListCount();
    std::vector<ParamRange> runs(rangeCount, ParamRange{-1, 0});
    uint64_t total = 0;
    for (uint32_t i = 0; i < rangeCount; ++i) {
        ranges.GetRangeAt(i, runs[i]);
        if (runs[i].count > 0) {
            total += static_cast<uint32_t>(runs[i].count);
        }
    }
    if (total > std::numeric_limits<uint32_t>::max()) {
        throw std::bad_alloc();
    }
    std::unique_ptr<Variant[]> items(new Variant[total]);
    const Variant qualifier;
    Variant id;
    const Variant* parts[2] = {&id, &qualifier};
    uint32_t k = 0;
    for (const ParamRange& run : runs) {
        for (int32_t j = 0; j < run.count; ++j) {
            // Ids past the largest wrap around as 32-bit numbers.
            SetInt32(
                id, static_cast<int32_t>(static_cast<uint32_t>(run.firstParamID) + static_cast<uint32_t>(j)));
            SerializeVariantArray(items[k++], parts, 2);
        }
    }
    SetList(items.get(), k);
    return kDone;
}

int32_t ParamDescriptors::SetFromValues(ParamValues& target, const ParamValue* values, uint32_t count) {
    if (values == nullptr || count == 0) {
        return kNoItem;
    }
    std::unique_ptr<Variant[]> items(new Variant[count]);
    Variant id;
    for (uint32_t i = 0; i < count; ++i) {
        SetInt32(id, values[i].descriptor.paramID);
        const Variant* parts[3] = {&values[i].value, &id, &values[i].descriptor.qualifier};
        SerializeVariantArray(items[i], parts, 3);
    }
    target.SetList(items.get(), count);
    return kDone;
}

int32_t ParamDescriptors::GetDescriptorAt(uint32_t index, int32_t& paramID, Variant& qualifier) const {
    qualifier.Clear();
    paramID = -1;
    Variant item;
    const int32_t result = TakeItem(*this, index, 2, item);
    if (result != kDone) {
        return result;
    }
    paramID = ItemToInt32(item, 0);
    item.GetListItem(1, qualifier);
    return kDone;
}

int32_t ParamValues::SetFromValue(const ParamDescriptor& descriptor, const Variant& value) {
    Variant id;
    SetInt32(id, descriptor.paramID);
    const Variant* parts[3] = {&value, &id, &descriptor.qualifier};
    Variant item;
    SerializeVariantArray(item, parts, 3);
    SetList(&item, 1);
    return kDone;
}

int32_t ParamValues::GetItem(uint32_t index, Variant& value, int32_t& paramID, Variant& qualifier) const {
    value.Clear();
    paramID = -1;
    Variant item;
    const int32_t result = TakeItem(*this, index, 3, item);
    if (result != kDone) {
        return result;
    }
    item.GetListItem(0, value);
    paramID = ItemToInt32(item, 1);
    item.GetListItem(2, qualifier);
    return kDone;
}

int32_t ParamValues::FindValue(const ParamDescriptor& descriptor, Variant& value) const {
    const uint32_t count = GetListCount();
    int32_t id = -1;
    Variant qualifier;
    for (uint32_t k = 0; k < count; ++k) {
        const int32_t result = GetItem(k, value, id, qualifier);
        if (result < 0) {
            value.Clear();
            return result;
        }
        if (id == descriptor.paramID && qualifier == descriptor.qualifier) {
            return kDone;
        }
    }
    value.Clear();
    return kNotFound;
}

int32_t ParamValues::ToArray(const ParamDescriptor& descriptor, const Variant& value) {
    const uint32_t count = GetListCount();
    std::unique_ptr<ParamValue[]> slots(new ParamValue[static_cast<size_t>(count) + 1]);
    uint32_t w = 0;
    bool found = false;
    bool inserted = false;
    uint32_t foundSlot = 0;
    for (uint32_t k = 0; k < count; ++k) {
        ParamValue& slot = slots[w];
        const int32_t result = GetItem(k, slot.value, slot.descriptor.paramID, slot.descriptor.qualifier);
        if (result < 0) {
            return result;
        }
        if (slot.descriptor.paramID == descriptor.paramID &&
            slot.descriptor.qualifier == descriptor.qualifier) {
            if (slot.value == value) {
                return kUnchanged;
            }
            found = true;
            foundSlot = w;
            ++w;
        } else if (!found && !inserted && !KeyLess(slot.descriptor, descriptor)) {
            // The new entry goes before the first entry that does not sort before it.
            slots[w + 1] = slot;
            slots[w] = ParamValue(descriptor.paramID, descriptor.qualifier, value);
            inserted = true;
            w += 2;
        } else {
            ++w;
        }
    }
    if (found) {
        slots[foundSlot].value = value;
    } else if (!inserted) {
        slots[w] = ParamValue(descriptor.paramID, descriptor.qualifier, value);
        ++w;
    }
    ParamDescriptors::SetFromValues(*this, slots.get(), w);
    return kDone;
}

}  // namespace QV
