#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

// Every reader of outside Variant bytes run over one input: the input as a record, and as the
// content of a value, descriptor and range list. Returns false when a result breaks what the
// readers promise; crashes, hangs and bad reads are left to the sanitizers.
namespace QV::FuzzSupport {

// Enough items to reach every walk; more only repeats the same paths more slowly.
inline constexpr uint32_t kMaxItems = 64;

inline bool IsDecoderResult(int32_t result) {
    return result == 0 || result == -4 || result == -7;
}

// A record that was read back is written again and read again to the same bytes.
inline bool RoundTrips(const Variant& value) {
    uint32_t size = 0;
    const void* data = value.GetData(size);
    std::vector<uint8_t> buffer(static_cast<size_t>(size) + 12);
    const int32_t written = Variant::Serialize(value, buffer.data(), static_cast<uint32_t>(buffer.size()));
    if (written != static_cast<int32_t>(buffer.size())) {
        return false;
    }
    Variant again;
    if (Variant::Deserialize(again, buffer.data(), static_cast<uint32_t>(buffer.size())) != 0 ||
        again.kind != value.kind) {
        return false;
    }
    uint32_t againSize = 0;
    const void* againData = again.GetData(againSize);
    return againSize == size && (size == 0 || std::memcmp(againData, data, size) == 0);
}

inline bool WalkList(const Variant& list) {
    const uint32_t count = list.GetListCount();
    if (count > list.length) {
        return false;
    }
    Variant previous;
    for (uint32_t i = 0; i < count && i < kMaxItems; ++i) {
        Variant item;
        const int32_t result = list.GetListItem(i, item);
        if (result != 0 && result != -1) {
            return false;
        }
        if (result == 0 && !RoundTrips(item)) {
            return false;
        }
        // The order must never rank a pair both ways.
        if (item < previous && previous < item) {
            return false;
        }
        item.GetListCount();
        previous = item;
    }
    return list.GetListItem(count, previous) == -1 && previous.kind == Variant::Empty;
}

inline bool ExerciseVariantReaders(const uint8_t* data, size_t size) {
    const uint32_t available =
        size > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max() : uint32_t(size);

    Variant record;
    if (Variant::Deserialize(record, data, available) == 0) {
        if (!RoundTrips(record) || !WalkList(record)) {
            return false;
        }
    }

    ParamValues values;
    values.Set(Variant::List, data, available);
    ParamDescriptors descriptors;
    descriptors.Set(Variant::List, data, available);
    ParamRanges ranges;
    ranges.Set(Variant::List, data, available);
    if (!WalkList(values)) {
        return false;
    }

    const uint32_t count = values.GetListCount();
    for (uint32_t i = 0; i <= count && i < kMaxItems; ++i) {
        Variant value;
        Variant qualifier;
        int32_t id = 0;
        ParamRange range{};
        if (!IsDecoderResult(values.GetItem(i, value, id, qualifier)) ||
            !IsDecoderResult(descriptors.GetDescriptorAt(i, id, qualifier)) ||
            !IsDecoderResult(ranges.GetRangeAt(i, range))) {
            return false;
        }
    }

    if (count <= kMaxItems) {
        Variant found;
        const int32_t lookup = values.FindValue(ParamDescriptor(0), found);
        if (lookup != 1 && !IsDecoderResult(lookup)) {
            return false;
        }
        const uint8_t byte = 7;
        Variant blob;
        blob.SetBlob(&byte, 1);
        ParamValues updated(values);
        const int32_t update = updated.ToArray(ParamDescriptor(5), blob);
        if (update != 1 && !IsDecoderResult(update)) {
            return false;
        }
        // A refused update leaves the list as it was.
        if (update < 0 && !(updated == values)) {
            return false;
        }
    }
    return true;
}

}  // namespace QV::FuzzSupport
