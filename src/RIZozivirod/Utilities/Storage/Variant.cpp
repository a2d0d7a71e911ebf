#include "RIZozivirod/Utilities/Storage/Variant.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>

#include "RIZozivirod/Utilities/Storage/Result.h"

// Scalars are stored in host order and written to records as they are stored.
static_assert(std::endian::native == std::endian::little);

namespace QV {

namespace {

constexpr uint32_t kHeaderSize = 12;
constexpr uint32_t kRecordVersion = 1;
constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;
// What x86 gives for a floating value that has no integer of the target width.
constexpr int32_t kIndefinite32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kIndefinite64 = std::numeric_limits<int64_t>::min();

bool IsOwned(int32_t kind) {
    return kind >= Variant::Blob && kind <= Variant::List;
}

bool IsFloating(int32_t kind) {
    return kind == Variant::Float || kind == Variant::Double;
}

uint32_t ScalarSize(int32_t kind) {
    switch (kind) {
        case Variant::Bool:
        case Variant::Int8:
        case Variant::UInt8:
            return 1;
        case Variant::Int16:
        case Variant::UInt16:
            return 2;
        case Variant::Int32:
        case Variant::UInt32:
        case Variant::Float:
            return 4;
        case Variant::Double:
        case Variant::Int64:
        case Variant::UInt64:
            return 8;
        default:
            return 0;
    }
}

uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void StoreU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

template <class T>
T Load(const Variant::Value& value) {
    T t;
    std::memcpy(&t, &value, sizeof(T));
    return t;
}

double FloatingValue(const Variant& v) {
    return v.kind == Variant::Float ? Load<float>(v.value) : Load<double>(v.value);
}

// Halves go away from zero; the sum is made in the precision of T.
template <class T>
T RoundedSum(T v) {
    return v < 0 ? v - T(0.5) : v + T(0.5);
}

int32_t TruncateToInt32(double r) {
    return r > -2147483649.0 && r < 2147483648.0 ? static_cast<int32_t>(r) : kIndefinite32;
}

int64_t TruncateToInt64(double r) {
    return r >= -kTwoTo63 && r < kTwoTo63 ? static_cast<int64_t>(r) : kIndefinite64;
}

// Values from 2^63 up land in the upper half; negative values keep their two's complement.
uint64_t TruncateToUInt64(double r) {
    if (r >= kTwoTo63 && r < kTwoTo64) {
        return static_cast<uint64_t>(r);
    }
    return static_cast<uint64_t>(TruncateToInt64(r));
}

// The record's payload: the bytes GetData reports, none when they have no address.
uint32_t Payload(const Variant& v, const void*& data) {
    uint32_t n = 0;
    data = v.GetData(n);
    return data == nullptr ? 0 : n;
}

void WriteRecord(uint8_t* out, int32_t kind, const void* data, uint32_t n) {
    StoreU32(out, n + kHeaderSize);
    StoreU32(out + 4, kRecordVersion);
    StoreU32(out + 8, static_cast<uint32_t>(kind));
    if (n != 0) {
        std::memcpy(out + kHeaderSize, data, n);
    }
}

// The bytes an order across kinds compares: the data of the pointer and owned kinds, the 8
// bytes of value for a scalar.
struct ByteView {
    const uint8_t* data;
    uint32_t size;
};

ByteView BytesOf(const Variant& v) {
    if (v.kind >= Variant::Pointer && v.kind <= Variant::List) {
        const uint8_t* data = static_cast<const uint8_t*>(v.value.pointer);
        return {data, data == nullptr ? 0 : v.length};
    }
    if (ScalarSize(v.kind) != 0) {
        return {reinterpret_cast<const uint8_t*>(&v.value), 8};
    }
    return {nullptr, 0};
}

// Shorter is less; equal lengths compare bytewise with Unit deciding the sign of a byte.
template <class Unit>
bool BytesLess(ByteView a, ByteView b) {
    if (a.size != b.size) {
        return a.size < b.size;
    }
    for (uint32_t i = 0; i < a.size; ++i) {
        if (a.data[i] != b.data[i]) {
            return static_cast<Unit>(a.data[i]) < static_cast<Unit>(b.data[i]);
        }
    }
    return false;
}

bool SameKindLess(const Variant& a, const Variant& b) {
    switch (a.kind) {
        case Variant::Bool:
        case Variant::UInt8:
            return Load<uint8_t>(a.value) < Load<uint8_t>(b.value);
        case Variant::Int8:
            return Load<int8_t>(a.value) < Load<int8_t>(b.value);
        case Variant::Int16:
            return Load<int16_t>(a.value) < Load<int16_t>(b.value);
        case Variant::UInt16:
            return Load<uint16_t>(a.value) < Load<uint16_t>(b.value);
        case Variant::Int32:
            return Load<int32_t>(a.value) < Load<int32_t>(b.value);
        case Variant::UInt32:
            return Load<uint32_t>(a.value) < Load<uint32_t>(b.value);
        case Variant::Float:
            return Load<float>(a.value) < Load<float>(b.value);
        case Variant::Double:
            return Load<double>(a.value) < Load<double>(b.value);
        case Variant::Int64:
            return Load<int64_t>(a.value) < Load<int64_t>(b.value);
        case Variant::UInt64:
            return Load<uint64_t>(a.value) < Load<uint64_t>(b.value);
        case Variant::Pointer:
        case Variant::ConstPointer:
            if (a.length != b.length) {
                return a.length < b.length;
            }
            return reinterpret_cast<uintptr_t>(a.value.pointer) <
                   reinterpret_cast<uintptr_t>(b.value.pointer);
        case Variant::Blob:
            return BytesLess<uint8_t>(BytesOf(a), BytesOf(b));
        case Variant::String:
            return BytesLess<int8_t>(BytesOf(a), BytesOf(b));
        case Variant::List: {
            const uint32_t count = std::min(a.GetListCount(), b.GetListCount());
            Variant x;
            Variant y;
            for (uint32_t i = 0; i < count; ++i) {
                a.GetListItem(i, x);
                b.GetListItem(i, y);
                if (!(x == y)) {
                    return x < y;
                }
            }
            return a.GetListCount() < b.GetListCount();
        }
        default:
            return false;
    }
}

// Both kinds are numbers and at least one is a 64-bit integer.
bool SixtyFourBitLess(const Variant& a, const Variant& b) {
    const bool aNegative = a.IsNegative();
    if (aNegative != b.IsNegative()) {
        return aNegative;
    }
    if (IsFloating(a.kind) || IsFloating(b.kind)) {
        // A floating value beyond the 64-bit range sorts outside every integer; a NaN sorts
        // neither before nor after anything.
        const bool aFloating = IsFloating(a.kind);
        const double d = aFloating ? a.ToDouble() : b.ToDouble();
        if (d < 0) {
            if (d < -kTwoTo63) {
                return aFloating;
            }
            return a.ToInt64() < b.ToInt64();
        }
        if (d >= 0) {
            if (d >= kTwoTo64) {
                return !aFloating;
            }
            return a.ToUInt64() < b.ToUInt64();
        }
        return false;
    }
    return a.ToDouble() < b.ToDouble();
}

}  // namespace

Variant::Variant() : value{}, length(0), kind(Empty) {}

Variant::Variant(const Variant& source) : Variant() {
    *this = source;
}

Variant::~Variant() {
    ReleaseStorage();
}

void Variant::ReleaseStorage() {
    if (IsOwned(kind)) {
        Free(value.pointer);
    }
    value.bits = 0;
    length = 0;
    kind = Empty;
}

void Variant::Adopt(Value newValue, uint32_t newLength, int32_t newKind) {
    ReleaseStorage();
    value = newValue;
    length = newLength;
    kind = newKind;
}

void* Variant::AllocateOrClear(uint32_t bytes) {
    try {
        return Allocate(bytes);
    } catch (...) {
        ReleaseStorage();
        throw;
    }
}

void Variant::Clear() {
    ReleaseStorage();
}

void* Variant::Allocate(uint32_t bytes) {
    return new uint8_t[bytes];
}

void Variant::Free(void* storage) {
    delete[] static_cast<uint8_t*>(storage);
}

int32_t Variant::operator=(const Variant& source) {
    if (&source == this) {
        return kind;
    }
    if (!IsOwned(source.kind)) {
        Adopt(source.value, source.length, source.kind);
        return kind;
    }
    Value copy{};
    copy.pointer = AllocateOrClear(source.length);
    if (source.length != 0) {
        std::memcpy(copy.pointer, source.value.pointer, source.length);
    }
    Adopt(copy, source.length, source.kind);
    return kind;
}

int32_t Variant::Set(uint32_t newKind, const void* data, uint32_t size) {
    if (newKind == Empty || newKind > List) {
        ReleaseStorage();
        return Empty;
    }
    const int32_t k = static_cast<int32_t>(newKind);
    const uint32_t scalar = ScalarSize(k);
    if (scalar != 0) {
        if (size != scalar) {
            ReleaseStorage();
            return Empty;
        }
        Value copy{};
        std::memcpy(&copy, data, size);
        Adopt(copy, 0, k);
        return k;
    }
    switch (k) {
        case String:
            return SetString(static_cast<const char*>(data));
        case List:
            SetBlob(data, size);
            kind = List;
            return List;
        default:
            // A borrowed pointer is never kept: the bytes become this Variant's own.
            SetBlob(data, size);
            return Blob;
    }
}

void Variant::SetBlob(const void* data, uint32_t size) {
    Value copy{};
    copy.pointer = AllocateOrClear(size);
    if (size != 0) {
        std::memcpy(copy.pointer, data, size);
    }
    Adopt(copy, size, Blob);
}

int32_t Variant::SetString(const char* text) {
    if (text == nullptr) {
        text = "";
    }
    SetBlob(text, static_cast<uint32_t>(std::strlen(text) + 1));
    kind = String;
    return String;
}

const void* Variant::GetData(uint32_t& size) const {
    const uint32_t scalar = ScalarSize(kind);
    if (scalar != 0) {
        size = scalar;
        return &value;
    }
    if (kind >= Pointer && kind <= List) {
        size = length;
        return value.pointer;
    }
    size = 0;
    return nullptr;
}

void* Variant::GetMutableData(uint32_t& size) {
    if (kind == ConstPointer || kind == List) {
        size = 0;
        return nullptr;
    }
    return const_cast<void*>(GetData(size));
}

const char* Variant::GetString() const {
    return kind == String ? static_cast<const char*>(value.pointer) : nullptr;
}

// The integer every kind but the floating ones converts to, widened to 64 bits. The data kinds
// read at most width bytes and never more than they hold, little-endian, zero-extended.
uint64_t Variant::Widened(uint32_t width) const {
    switch (kind) {
        case Bool:
        case UInt8:
            return Load<uint8_t>(value);
        case Int8:
            return static_cast<uint64_t>(static_cast<int64_t>(Load<int8_t>(value)));
        case Int16:
            return static_cast<uint64_t>(static_cast<int64_t>(Load<int16_t>(value)));
        case UInt16:
            return Load<uint16_t>(value);
        case Int32:
            return static_cast<uint64_t>(static_cast<int64_t>(Load<int32_t>(value)));
        case UInt32:
            return Load<uint32_t>(value);
        case Int64:
        case UInt64:
            return Load<uint64_t>(value);
        case Pointer:
        case ConstPointer:
        case Blob: {
            const uint8_t* data = static_cast<const uint8_t*>(value.pointer);
            const uint32_t count = data == nullptr ? 0 : std::min(width, length);
            uint64_t result = 0;
            for (uint32_t i = 0; i < count; ++i) {
                result |= static_cast<uint64_t>(data[i]) << (8 * i);
            }
            return result;
        }
        case String:
            return length == 0 ? 0 : length - 1;
        default:
            return 0;
    }
}

bool Variant::ToBool() const {
    switch (kind) {
        case Bool:
        case Int8:
        case UInt8:
            return Load<uint8_t>(value) != 0;
        case Int16:
        case UInt16:
            return Load<uint16_t>(value) != 0;
        case Int32:
        case UInt32:
            return Load<uint32_t>(value) != 0;
        case Float:
            return Load<float>(value) != 0.0f;
        case Double:
            return Load<double>(value) != 0.0;
        case Int64:
        case UInt64:
            return Load<uint64_t>(value) != 0;
        case Pointer:
        case ConstPointer:
            return value.pointer != nullptr;
        case Blob:
        case List:
            return length != 0;
        case String:
            return length > 1;
        default:
            return false;
    }
}

uint8_t Variant::ToUInt8() const {
    if (kind == Bool) {
        return Load<uint8_t>(value) != 0 ? 1 : 0;
    }
    if (IsFloating(kind)) {
        return static_cast<uint8_t>(TruncateToInt32(RoundedSum(FloatingValue(*this))));
    }
    return static_cast<uint8_t>(Widened(1));
}

int8_t Variant::ToInt8() const {
    return static_cast<int8_t>(Variant::ToUInt8());
}

uint16_t Variant::ToUInt16() const {
    if (IsFloating(kind)) {
        return static_cast<uint16_t>(TruncateToInt32(RoundedSum(FloatingValue(*this))));
    }
    return static_cast<uint16_t>(Widened(2));
}

int16_t Variant::ToInt16() const {
    return static_cast<int16_t>(Variant::ToUInt16());
}

int32_t Variant::ToInt32() const {
    if (IsFloating(kind)) {
        return TruncateToInt32(RoundedSum(FloatingValue(*this)));
    }
    return static_cast<int32_t>(static_cast<uint32_t>(Widened(4)));
}

uint32_t Variant::ToUInt32() const {
    if (IsFloating(kind)) {
        // The low 32 bits of the 64-bit integer.
        const double r = RoundedSum(FloatingValue(*this));
        return r >= -kTwoTo63 && r < kTwoTo63 ? static_cast<uint32_t>(static_cast<int64_t>(r))
                                              : static_cast<uint32_t>(kIndefinite32);
    }
    return static_cast<uint32_t>(Widened(4));
}

int64_t Variant::ToInt64() const {
    if (kind == Float) {
        return TruncateToInt64(RoundedSum(Load<float>(value)));
    }
    if (kind == Double) {
        return TruncateToInt64(RoundedSum(Load<double>(value)));
    }
    return static_cast<int64_t>(Widened(8));
}

uint64_t Variant::ToUInt64() const {
    if (kind == Float) {
        return TruncateToUInt64(RoundedSum(Load<float>(value)));
    }
    if (kind == Double) {
        return TruncateToUInt64(RoundedSum(Load<double>(value)));
    }
    return Widened(8);
}

float Variant::ToFloat() const {
    switch (kind) {
        case Float:
            return Load<float>(value);
        case Double:
            return static_cast<float>(Load<double>(value));
        case Int8:
        case Int16:
        case Int32:
        case Int64:
            return static_cast<float>(static_cast<int64_t>(Widened(8)));
        case Pointer:
        case ConstPointer:
        case Blob:
        case String:
            return static_cast<float>(Variant::ToInt32());
        default:
            return static_cast<float>(Widened(8));
    }
}

double Variant::ToDouble() const {
    switch (kind) {
        case Float:
            return Load<float>(value);
        case Double:
            return Load<double>(value);
        case Int8:
        case Int16:
        case Int32:
        case Int64:
            return static_cast<double>(static_cast<int64_t>(Widened(8)));
        case Pointer:
        case ConstPointer:
        case Blob:
        case String:
            return static_cast<double>(Variant::ToInt64());
        default:
            return static_cast<double>(Widened(8));
    }
}

bool Variant::operator==(const Variant& other) const {
    if (kind != other.kind) {
        return false;
    }
    switch (kind) {
        case Bool:
        case Int8:
        case UInt8:
            return Load<uint8_t>(value) == Load<uint8_t>(other.value);
        case Int16:
        case UInt16:
            return Load<uint16_t>(value) == Load<uint16_t>(other.value);
        case Int32:
        case UInt32:
            return Load<uint32_t>(value) == Load<uint32_t>(other.value);
        case Float:
            return Load<float>(value) == Load<float>(other.value);
        case Double:
            return Load<double>(value) == Load<double>(other.value);
        case Int64:
        case UInt64:
            return Load<uint64_t>(value) == Load<uint64_t>(other.value);
        case Pointer:
        case ConstPointer:
            return value.pointer == other.value.pointer && length == other.length;
        case Blob:
        case String:
        case List: {
            const ByteView a = BytesOf(*this);
            const ByteView b = BytesOf(other);
            return length == other.length && a.size == b.size &&
                   (a.size == 0 || std::memcmp(a.data, b.data, a.size) == 0);
        }
        default:
            return true;
    }
}

bool Variant::operator<(const Variant& other) const {
    if (kind == other.kind) {
        return SameKindLess(*this, other);
    }
    if (kind == Empty || other.kind == Empty) {
        return kind == Empty;
    }
    if (kind >= Bool && kind <= Double && other.kind >= Bool && other.kind <= Double) {
        return ToDouble() < other.ToDouble();
    }
    if (kind >= Pointer || other.kind >= Pointer) {
        return BytesLess<uint8_t>(BytesOf(*this), BytesOf(other));
    }
    return SixtyFourBitLess(*this, other);
}

bool Variant::IsNegative() const {
    switch (kind) {
        case Int8:
            return Load<int8_t>(value) < 0;
        case Int16:
            return Load<int16_t>(value) < 0;
        case Int32:
            return Load<int32_t>(value) < 0;
        case Int64:
            return Load<int64_t>(value) < 0;
        case Float:
            return Load<float>(value) < 0.0f;
        case Double:
            return Load<double>(value) < 0.0;
        default:
            return false;
    }
}

int32_t Variant::Serialize(const Variant& value, void* out, uint32_t outSize) {
    uint32_t n = 0;
    const void* data = value.GetData(n);
    if ((value.kind == Pointer || value.kind == ConstPointer) && n == 0) {
        return E_FAIL;
    }
    // Sizes are compared without wrapping, and the record's length has to be a positive result.
    if ((data == nullptr && n != 0) || out == nullptr ||
        static_cast<uint64_t>(outSize) < static_cast<uint64_t>(n) + kHeaderSize ||
        n > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) - kHeaderSize) {
        return E_FAIL;
    }
    WriteRecord(static_cast<uint8_t*>(out), value.kind, data, n);
    return static_cast<int32_t>(n + kHeaderSize);
}

int32_t Variant::Deserialize(Variant& out, const void* record, uint32_t available) {
    if (record == nullptr || available < kHeaderSize) {
        return E_FAIL;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(record);
    const uint32_t size = LoadU32(bytes);
    if (size > available || size < kHeaderSize) {
        return E_FAIL;
    }
    if (LoadU32(bytes + 4) != kRecordVersion) {
        return E_FAIL;
    }
    const uint32_t recordKind = LoadU32(bytes + 8);
    if (recordKind > List) {
        return E_FAIL;
    }
    const uint32_t n = size - kHeaderSize;
    const uint8_t* payload = bytes + kHeaderSize;
    if (n == 0) {
        if (recordKind == Empty) {
            out.Clear();
            return S_OK;
        }
        if (recordKind == List) {
            out.Clear();
            out.kind = List;
            return S_OK;
        }
        return E_FAIL;
    }
    if (recordKind == Empty) {
        return E_FAIL;
    }
    // A text is read up to its zero, which has to lie inside the record.
    if (recordKind == String && std::memchr(payload, 0, n) == nullptr) {
        return E_FAIL;
    }
    return out.Set(recordKind, payload, n) == static_cast<int32_t>(recordKind) ? S_OK : E_FAIL;
}

template <class GetItem>
int32_t Variant::BuildList(uint32_t count, GetItem item) {
    if (count == 0) {
        ReleaseStorage();
        kind = List;
        return List;
    }
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const void* data = nullptr;
        total += Payload(item(i), data) + uint64_t{kHeaderSize};
    }
    if (total > std::numeric_limits<uint32_t>::max()) {
        ReleaseStorage();
        throw std::bad_alloc();
    }
    Value list{};
    list.pointer = AllocateOrClear(static_cast<uint32_t>(total));
    uint8_t* at = static_cast<uint8_t*>(list.pointer);
    for (uint32_t i = 0; i < count; ++i) {
        // A borrowed pointer without bytes still gets its 12-byte header.
        const Variant& v = item(i);
        const void* data = nullptr;
        const uint32_t n = Payload(v, data);
        WriteRecord(at, v.kind, data, n);
        at += n + kHeaderSize;
    }
    Adopt(list, static_cast<uint32_t>(total), List);
    return List;
}

int32_t Variant::SetList(const Variant* items, uint32_t count) {
    return BuildList(count, [items](uint32_t i) -> const Variant& { return items[i]; });
}

int32_t SerializeVariantArray(Variant& target, const Variant* const* items, uint32_t count) {
    return target.BuildList(count, [items](uint32_t i) -> const Variant& { return *items[i]; });
}

// The walk over the size fields. It ends at a size of 0 and at a size that passes the end of the
// content, so malformed lists are counted without looping or reading outside the content.
bool Variant::ListItemOffset(uint32_t index, uint32_t& offset) const {
    const uint8_t* data = static_cast<const uint8_t*>(value.pointer);
    if (kind != List || length <= 4 || data == nullptr) {
        return false;
    }
    offset = 0;
    for (uint32_t i = 0;; ++i) {
        if (i == index) {
            return true;
        }
        const uint32_t size = LoadU32(data + offset);
        if (size == 0 || size > length - offset) {
            return false;
        }
        offset += size;
        if (length - offset <= 4) {
            return false;
        }
    }
}

uint32_t Variant::GetListCount() const {
    const uint8_t* data = static_cast<const uint8_t*>(value.pointer);
    if (kind != List || length <= 4 || data == nullptr) {
        return 0;
    }
    uint32_t count = 0;
    uint32_t offset = 0;
    for (;;) {
        const uint32_t size = LoadU32(data + offset);
        ++count;
        if (size == 0 || size > length - offset) {
            return count;
        }
        offset += size;
        if (length - offset <= 4) {
            return count;
        }
    }
}

int32_t Variant::GetListItem(uint32_t index, Variant& out) const {
    if (&out == this) {
        Variant item;
        const int32_t result = GetListItem(index, item);
        out = item;
        return result;
    }
    out.Clear();
    uint32_t offset = 0;
    if (!ListItemOffset(index, offset) || length - offset < kHeaderSize) {
        return -1;
    }
    const uint8_t* data = static_cast<const uint8_t*>(value.pointer);
    return Deserialize(out, data + offset, length - offset) == S_OK ? 0 : -1;
}

}  // namespace QV
