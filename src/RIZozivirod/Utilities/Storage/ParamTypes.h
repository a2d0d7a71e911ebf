#pragma once

#include <cstdint>

#include "RIZozivirod/Utilities/Storage/Variant.h"

// Parameter descriptors, values and ranges, and their list forms: List Variants whose items
// are themselves lists of fixed shape. These are what requests to and values from the device
// carry. The decoders return plain integers: 0 done, 1 not found or unchanged, -4 not a list,
// no such index or empty input, -7 an item of the wrong shape.
namespace QV {

struct ParamRange {
    int32_t firstParamID;
    int32_t count;
};

struct ParamDescriptor {
    ParamDescriptor() = default;
    explicit ParamDescriptor(int32_t id) : paramID(id) {}

    int32_t paramID = -1;
    // Selects one of several values held under one id; Empty names the parameter itself.
    Variant qualifier;
};

struct ParamValue {
    ParamValue() = default;
    ParamValue(int32_t id, const Variant& qualifier, const Variant& value);

    ParamDescriptor descriptor;
    Variant value;
};

class ParamValues;

// Items: [Int32 firstParamID, Int32 count].
class ParamRanges : public Variant {
public:
    ParamRanges() = default;
    ParamRanges(const ParamRanges& source) = default;
    ParamRanges& operator=(const ParamRanges& source) = default;
    ~ParamRanges() override;

    int32_t SetFromArray(const ParamRange* ranges, uint32_t count);
    // -4 gives {-1, 0}; -7 leaves range as it was.
    int32_t GetRangeAt(uint32_t index, ParamRange& range) const;
};

// Items: [Int32 paramID, qualifier].
class ParamDescriptors : public Variant {
public:
    ParamDescriptors() = default;
    ParamDescriptors(const ParamDescriptors& source) = default;
    ParamDescriptors& operator=(const ParamDescriptors& source) = default;
    // One descriptor with an Empty qualifier for each id of the range, ascending.
    explicit ParamDescriptors(const ParamRange& range);
    ~ParamDescriptors() override;

    int32_t SetFromArray(const ParamDescriptor* descriptors, uint32_t count);
    int32_t SetFromRanges(const ParamRanges& ranges);
    // Makes target the value list of the count values, in array order.
    static int32_t SetFromValues(ParamValues& target, const ParamValue* values, uint32_t count);
    // paramID becomes -1 and qualifier Empty before anything is read.
    int32_t GetDescriptorAt(uint32_t index, int32_t& paramID, Variant& qualifier) const;
};

// Items: [value, Int32 paramID, qualifier].
class ParamValues : public Variant {
public:
    ParamValues() = default;
    ParamValues(const ParamValues& source) = default;
    ParamValues& operator=(const ParamValues& source) = default;
    ~ParamValues() override;

    int32_t SetFromValue(const ParamDescriptor& descriptor, const Variant& value);
    // value becomes Empty and paramID -1 first; qualifier is written only on success.
    int32_t GetItem(uint32_t index, Variant& value, int32_t& paramID, Variant& qualifier) const;
    // 0 found, 1 not found (value Empty), or the negative code of GetItem.
    int32_t FindValue(const ParamDescriptor& descriptor, Variant& value) const;
    // Puts the value for the descriptor into the list, which is kept ordered by id (as unsigned)
    // and then qualifier. 0 changed, 1 the list already held an equal value, or the negative
    // code of GetItem with the list unchanged.
    int32_t ToArray(const ParamDescriptor& descriptor, const Variant& value);
};

static_assert(sizeof(ParamRanges) == sizeof(Variant));
static_assert(sizeof(ParamDescriptors) == sizeof(Variant));
static_assert(sizeof(ParamValues) == sizeof(Variant));

}  // namespace QV
