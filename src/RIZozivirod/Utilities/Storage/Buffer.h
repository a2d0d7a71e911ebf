#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Allocator.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

// A growable block of bytes. Sizes, offsets and capacities are in bytes.
class IBuffer {
public:
    virtual ~IBuffer() = default;
    virtual uint32_t GetSize() const = 0;
    // Resizes without keeping the contents.
    virtual uint32_t Allocate(uint32_t bytes) = 0;
    // Resizes keeping the contents up to the smaller size.
    virtual uint32_t SetSize(uint32_t bytes) = 0;
    // A negative count means up to the end of the used size.
    virtual int32_t Fill(char value, uint32_t offset, int32_t count) = 0;
    virtual int32_t FillWords(uint16_t value, uint32_t offset, int32_t count) = 0;
    virtual uint32_t GetCapacity() const = 0;
    virtual void* GetBytes() const = 0;

    // The byte at offset, or null when offset is not below the size.
    char* GetDataAt(uint32_t offset) const {
        return offset < GetSize() ? static_cast<char*>(GetBytes()) + offset : nullptr;
    }
};

// The buffer behind every container: capacities are multiples of Granularity and a block is
// shrunk only when more than Slack bytes (Granularity - 1 when Slack is 0) would be spare.
// A failed allocation throws QV::Exception<std::bad_alloc> and leaves the buffer as it was.
template <uint32_t Granularity, uint32_t Slack, uint32_t Alignment, class TPointer, auto GetAllocator>
class BufferT : public virtual IBuffer {
    static_assert(Granularity != 0 && (Granularity & (Granularity - 1)) == 0,
                  "granularity is a power of two");
    static_assert(std::is_pointer_v<TPointer>);

public:
    static constexpr uint32_t kShrinkThreshold = Slack != 0 ? Slack : Granularity - 1;

    BufferT(uint32_t size = 0, uint32_t capacity = 0, bool zeroFill = false) {
        if (capacity > size) {
            mBlock = Allocator().Malloc(capacity);
            if (mBlock == nullptr) {
                throw Exception<std::bad_alloc>();
            }
            mCapacity = capacity;
            mData = static_cast<TPointer>(mBlock);
        }
        BufferT::SetSize(size);
        if (size != 0 && zeroFill) {
            std::memset(mBlock, 0, size);
        }
    }
    BufferT(const BufferT&) = delete;
    BufferT& operator=(const BufferT&) = delete;

    ~BufferT() override {
        if (mBlock != nullptr) {
            Allocator().Free(mBlock);
        }
        mData = nullptr;
        mBlock = nullptr;
        mSize = 0;
        mCapacity = 0;
    }

    uint32_t GetSize() const override { return mSize; }
    uint32_t GetCapacity() const override { return mCapacity; }
    void* GetBytes() const override { return mBlock; }
    TPointer GetTypedData() const { return mData; }

    uint32_t Allocate(uint32_t bytes) override {
        if (bytes == 0) {
            Release();
            return 0;
        }
        const uint32_t capacity = RoundUp(bytes);
        if (capacity != mCapacity) {
            void* block = Allocator().Malloc(capacity);
            if (block == nullptr) {
                throw Exception<std::bad_alloc>();
            }
            if (mBlock != nullptr) {
                Allocator().Free(mBlock);
            }
            mBlock = block;
            mData = static_cast<TPointer>(block);
            mCapacity = capacity;
        }
        mSize = bytes;
        return bytes;
    }

    uint32_t SetSize(uint32_t bytes) override {
        if (mCapacity == 0) {
            return Allocate(bytes);
        }
        if (mCapacity < bytes || mCapacity - bytes > kShrinkThreshold) {
            const uint32_t capacity = RoundUp(bytes);
            if (capacity == 0) {
                Release();
                return 0;
            }
            void* block = Allocator().Realloc(mBlock, capacity);
            if (block == nullptr) {
                throw Exception<std::bad_alloc>();
            }
            mBlock = block;
            mData = static_cast<TPointer>(block);
            mCapacity = capacity;
        }
        mSize = bytes;
        return bytes;
    }

    int32_t Fill(char value, uint32_t offset, int32_t count) override {
        const uint32_t size = GetSize();
        if (offset > size) {
            return E_INVALIDARG;
        }
        const uint64_t n = count < 0 ? size - offset : static_cast<uint64_t>(count);
        if (offset + n > size) {
            return E_INVALIDARG;
        }
        if (n != 0) {
            std::memset(GetDataAt(offset), value, n);
        }
        return S_OK;
    }

    int32_t FillWords(uint16_t value, uint32_t offset, int32_t count) override {
        const uint32_t size = GetSize();
        if (offset > size) {
            return E_INVALIDARG;
        }
        const uint64_t n = count < 0 ? (size - offset) / 2 : static_cast<uint64_t>(count);
        if (offset + 2 * n > size) {
            return E_INVALIDARG;
        }
        char* start = offset + 2 <= size ? GetDataAt(offset) : nullptr;
        if (start != nullptr) {
            for (uint64_t i = 0; i < n; ++i) {
                std::memcpy(start + 2 * i, &value, 2);
            }
        }
        return S_OK;
    }

protected:
    static IAllocator& Allocator() { return GetAllocator(); }

    static uint32_t RoundUp(uint32_t n) {
        const uint64_t rounded =
            (static_cast<uint64_t>(n) + Granularity - 1) & ~static_cast<uint64_t>(Granularity - 1);
        if (rounded > std::numeric_limits<uint32_t>::max()) {
            throw Exception<std::bad_alloc>();
        }
        return static_cast<uint32_t>(rounded);
    }

    void Release() {
        mSize = 0;
        mData = nullptr;
        if (mBlock != nullptr) {
            Allocator().Free(mBlock);
        }
        mBlock = nullptr;
        mCapacity = 0;
    }

private:
    TPointer mData = nullptr;
    uint32_t mSize = 0;
    void* mBlock = nullptr;
    uint32_t mCapacity = 0;
};

// A shared buffer: the strings share one and copy it before writing.
class LIBuffer : public virtual IBuffer, public virtual LRefCountedObject {
public:
    // A new zero-filled buffer of newSize bytes holding this buffer's bytes from offset on.
    virtual RCPtr<LIBuffer> CreateResizedCopy(uint32_t newSize, uint32_t offset) const = 0;
    RCPtr<LRefCountedObject> CreateCopy() const override = 0;
};

template <uint32_t Granularity, uint32_t Slack, uint32_t Alignment, class TPointer, auto GetAllocator>
class LBufferT : public BufferT<Granularity, Slack, Alignment, TPointer, GetAllocator>, public LIBuffer {
    using Base = BufferT<Granularity, Slack, Alignment, TPointer, GetAllocator>;

public:
    static RCPtr<LIBuffer> Create(uint32_t size, uint32_t capacity, bool zeroFill) {
        return RCPtr<LIBuffer>(new LBufferT(size, capacity, zeroFill));
    }

    RCPtr<LIBuffer> CreateResizedCopy(uint32_t newSize, uint32_t offset) const override {
        RCPtr<LIBuffer> copy = Create(newSize, 0, true);
        const uint32_t size = this->GetSize();
        if (offset < size && newSize != 0) {
            const uint32_t n = std::min(newSize, size - offset);
            std::memcpy(copy->GetBytes(), this->GetDataAt(offset), n);
        }
        return copy;
    }

    RCPtr<LRefCountedObject> CreateCopy() const override {
        const uint32_t size = this->GetSize();
        RCPtr<LIBuffer> copy = Create(size, 0, true);
        if (size != 0) {
            std::memcpy(copy->GetBytes(), this->GetBytes(), size);
        }
        return RCPtr<LRefCountedObject>(copy);
    }

protected:
    LBufferT(uint32_t size, uint32_t capacity, bool zeroFill) : Base(size, capacity, zeroFill) {}
};

using LStringBuffer = LBufferT<1, 128, 8, char*, GetSystemAllocator>;
using LByteBuffer = LBufferT<1, 0, 8, char*, GetSystemAllocator>;
using LFileBuffer = LBufferT<512, 512, 8, char*, GetSystemAllocator>;

}  // namespace QV
