#pragma once

#include <cstddef>
#include <cstdint>

namespace QV {

// The tagged value of the framework: nothing, a truth value, an integer of 8 to 64 bits, a
// float or double, borrowed bytes, or owned bytes (a blob, a UTF-8 text with its zero, or a
// list of item records). Copies are deep for the owned kinds.
//
// The device-control library reads and fills Variants by address: the table of virtual
// operations comes first, then the fields below, and the order of the virtual operations is
// fixed. Code that fills the fields directly clears all 8 bytes of value first; owned storage
// comes from the object's own Allocate and goes back through its own Free.
//
// A Variant has no lock: one thread uses it at a time.
class Variant {
public:
    enum Kind : int32_t {
        Empty = 0,
        Bool = 1,
        Int8 = 2,
        UInt8 = 3,
        Int16 = 4,
        UInt16 = 5,
        Int32 = 6,
        UInt32 = 7,
        Float = 8,
        Double = 9,
        Int64 = 10,
        UInt64 = 11,
        Pointer = 12,
        ConstPointer = 13,
        Blob = 14,
        String = 15,
        List = 16,
    };

    union Value {
        uint64_t bits;
        uint8_t u8;
        int8_t i8;
        uint16_t u16;
        int16_t i16;
        uint32_t u32;
        int32_t i32;
        float f;
        double d;
        int64_t i64;
        uint64_t u64;
        void* pointer;
    };

    Variant();
    Variant(const Variant& source);
    virtual ~Variant();

    virtual bool ToBool() const;
    virtual uint8_t ToUInt8() const;
    virtual uint16_t ToUInt16() const;
    virtual int32_t ToInt32() const;
    virtual int64_t ToInt64() const;
    virtual int8_t ToInt8() const;
    virtual int16_t ToInt16() const;
    virtual uint32_t ToUInt32() const;
    virtual uint64_t ToUInt64() const;
    virtual float ToFloat() const;
    virtual double ToDouble() const;
    virtual const void* GetData(uint32_t& size) const;
    // As GetData, except that ConstPointer and List give nothing.
    virtual void* GetMutableData(uint32_t& size);
    virtual const char* GetString() const;
    virtual void* Allocate(uint32_t bytes);
    virtual void Free(void* storage);

    // Every store builds the new content before the old is released, so the source may live in
    // this Variant. Allocation failures leave the Variant Empty.
    int32_t operator=(const Variant& source);
    void Clear();
    // The stored kind, or 0 (Empty) for a size that does not fit a scalar kind or an unknown
    // kind. Pointer, ConstPointer and Blob store an owned Blob; String ignores size.
    int32_t Set(uint32_t kind, const void* data, uint32_t size);
    void SetBlob(const void* data, uint32_t size);
    int32_t SetString(const char* text);

    bool operator==(const Variant& other) const;
    bool operator!=(const Variant& other) const { return !(*this == other); }
    // The order in which Variants are kept sorted: Empty first, numbers by value, bytes by
    // length then content, lists item by item.
    bool operator<(const Variant& other) const;
    bool IsNegative() const;

    // The record: u32 size (12 + n), u32 version 1, u32 kind, then the n bytes of GetData,
    // little-endian and unaligned. Serialize returns the record's length or E_FAIL.
    static int32_t Serialize(const Variant& value, void* out, uint32_t outSize);
    // Reads at most available bytes; 0, or E_FAIL with out unchanged for a bad header.
    static int32_t Deserialize(Variant& out, const void* record, uint32_t available);

    // A List is the concatenation of its items' records. Returns 16.
    int32_t SetList(const Variant* items, uint32_t count);
    uint32_t GetListCount() const;
    // 0, or -1 when there is no such item or its record is refused.
    int32_t GetListItem(uint32_t index, Variant& out) const;

    Value value;
    uint32_t length;
    int32_t kind;

private:
    friend int32_t SerializeVariantArray(Variant& target, const Variant* const* items, uint32_t count);

    template <class GetItem>
    int32_t BuildList(uint32_t count, GetItem item);
    void Adopt(Value newValue, uint32_t newLength, int32_t newKind);
    void* AllocateOrClear(uint32_t bytes);
    void ReleaseStorage();
    uint64_t Widened(uint32_t width) const;
    bool ListItemOffset(uint32_t index, uint32_t& offset) const;
};

// SetList with the items given by address. Returns 16.
int32_t SerializeVariantArray(Variant& target, const Variant* const* items, uint32_t count);

// The device-control library reads these fields at fixed offsets behind the table pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(Variant, value) == 8);
static_assert(offsetof(Variant, length) == 16);
static_assert(offsetof(Variant, kind) == 20);
#pragma GCC diagnostic pop
static_assert(sizeof(Variant::Value) == 8 && alignof(Variant::Value) == 8);
static_assert(sizeof(Variant) == 24 && alignof(Variant) == 8);

}  // namespace QV
