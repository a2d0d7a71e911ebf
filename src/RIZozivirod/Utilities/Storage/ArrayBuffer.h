#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "RIZozivirod/Utilities/Storage/Allocator.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/Buffer.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

// Plain values kept contiguously in a buffer that grows by GrowCount elements and keeps at most
// ShrinkCount spare. Elements are moved and zeroed as bytes, so only trivially copyable types
// are stored. New elements are zero when ZeroFill is set.
template <class T, uint32_t GrowCount, uint32_t ShrinkCount, int ZeroFill, uint32_t Alignment,
          auto GetAllocator = GetSystemAllocator>
class ArrayBuffer
    : public IArray<T>,
      public BufferT<GrowCount* static_cast<uint32_t>(sizeof(T)),
                     ShrinkCount* static_cast<uint32_t>(sizeof(T)), Alignment, T*, GetAllocator> {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved and zeroed as bytes");

protected:
    using Storage = BufferT<GrowCount* static_cast<uint32_t>(sizeof(T)),
                            ShrinkCount* static_cast<uint32_t>(sizeof(T)), Alignment, T*, GetAllocator>;
    static constexpr uint32_t kSize = static_cast<uint32_t>(sizeof(T));

public:
    // The buffer's sizes are 32-bit byte counts.
    static constexpr uint32_t kMaxElements = std::min<uint32_t>(IArray<T>::kMaxCount, UINT32_MAX / kSize);

    using IArray<T>::GetData;

    ArrayBuffer() = default;

    uint32_t GetCount() const override { return this->GetSize() / kSize; }
    T* GetData() override { return this->GetTypedData(); }

    // Sets the number of elements without initialising new ones; the buffer's growth and
    // shrink rules apply.
    virtual int32_t SetStorageCount(uint32_t count) {
        if (count > kMaxElements) {
            return E_INVALIDARG;
        }
        return static_cast<int32_t>(this->SetSize(count * kSize) / kSize);
    }

    int32_t SetCount(uint32_t count) override {
        const uint32_t old = GetCount();
        const int32_t rc = SetStorageCount(count);
        if (rc >= 0 && count > old) {
            ZeroFrom(old);
        }
        return rc;
    }

    int32_t InsertItems(uint32_t index, uint32_t count) override {
        const uint32_t old = GetCount();
        if (count == 0) {
            return static_cast<int32_t>(old);
        }
        if (index > old || count > kMaxElements - old) {
            return E_INVALIDARG;
        }
        if (index == old) {
            return SetCount(old + count);
        }
        const int32_t rc = SetStorageCount(old + count);
        if (rc < 0) {
            return rc;
        }
        T* data = GetData();
        std::memmove(static_cast<void*>(data + index + count), data + index, (old - index) * kSize);
        if constexpr (ZeroFill != 0) {
            std::memset(static_cast<void*>(data + index), 0, count * kSize);
        }
        return rc;
    }

    int32_t RemoveItems(uint32_t index, uint32_t count) override {
        const uint32_t old = GetCount();
        if (count == 0) {
            return static_cast<int32_t>(old);
        }
        if (index > old || count > old - index) {
            return E_INVALIDARG;
        }
        T* data = GetData();
        std::memmove(static_cast<void*>(data + index), data + index + count, (old - index - count) * kSize);
        return SetStorageCount(old - count);
    }

protected:
    // Zeroes every byte from element first to the end, through the buffer's fills.
    void ZeroFrom(uint32_t first) {
        if constexpr (ZeroFill != 0) {
            // Byte fill for odd sizes too: word fills would leave their last byte.
            if constexpr (kSize % 2 != 0) {
                this->Fill(0, first * kSize, -1);
            } else {
                this->FillWords(0, first * kSize, -1);
            }
        }
    }
};

// An ArrayBuffer that keeps up to M elements inside the object and moves them to the heap buffer
// only when the count exceeds M. Either the inline count is 1..M and the heap buffer is empty,
// or the inline count is 0 and the heap buffer holds every element. The buffer operations
// GetSize, GetData, GetCapacity, Allocate and SetSize always describe the heap buffer; Fill and
// FillWords act on whichever storage holds the elements.
template <class T, uint32_t M, uint32_t GrowCount, uint32_t ShrinkCount, int ZeroFill, uint32_t Alignment,
          auto GetAllocator = GetSystemAllocator>
class ArrayBufferM : public ArrayBuffer<T, GrowCount, ShrinkCount, ZeroFill, Alignment, GetAllocator> {
    static_assert(M > 0);
    using Base = ArrayBuffer<T, GrowCount, ShrinkCount, ZeroFill, Alignment, GetAllocator>;
    using Base::kSize;

public:
    using Base::kMaxElements;
    using IArray<T>::GetData;

    ArrayBufferM() = default;

    uint32_t GetCount() const override { return mInlineCount != 0 ? mInlineCount : this->GetSize() / kSize; }

    T* GetData() override { return GetCount() <= M ? mInline : this->GetTypedData(); }

    int32_t SetStorageCount(uint32_t count) override {
        if (count > kMaxElements) {
            return E_INVALIDARG;
        }
        const uint32_t old = GetCount();
        if (old > M && count <= M) {
            if (count != 0) {
                std::memcpy(static_cast<void*>(mInline), this->GetTypedData(), count * kSize);
            }
            mInlineCount = count;
            this->Allocate(0);
        } else if (old > M) {
            this->SetSize(count * kSize);
        } else if (count > M) {
            this->Allocate(count * kSize);
            if (old != 0) {
                std::memcpy(static_cast<void*>(this->GetTypedData()), mInline, old * kSize);
            }
            mInlineCount = 0;
        } else {
            mInlineCount = count;
        }
        return static_cast<int32_t>(count);
    }

    int32_t Fill(char value, uint32_t offset, int32_t count) override {
        if (GetCount() > M) {
            return Base::Storage::Fill(value, offset, count);
        }
        const uint32_t size = InlineBytes();
        if (offset > size) {
            return E_INVALIDARG;
        }
        const uint64_t n = count < 0 ? size - offset : static_cast<uint64_t>(count);
        if (offset + n > size) {
            return E_INVALIDARG;
        }
        if (n != 0) {
            std::memset(reinterpret_cast<char*>(mInline) + offset, value, n);
        }
        return S_OK;
    }

    int32_t FillWords(uint16_t value, uint32_t offset, int32_t count) override {
        if (GetCount() > M) {
            return Base::Storage::FillWords(value, offset, count);
        }
        const uint32_t size = InlineBytes();
        if (offset > size) {
            return E_INVALIDARG;
        }
        const uint64_t n = count < 0 ? (size - offset) / 2 : static_cast<uint64_t>(count);
        if (offset + 2 * n > size) {
            return E_INVALIDARG;
        }
        char* start = reinterpret_cast<char*>(mInline) + offset;
        for (uint64_t i = 0; i < n; ++i) {
            std::memcpy(start + 2 * i, &value, 2);
        }
        return S_OK;
    }

private:
    // The inline elements' size in bytes (the element count stands for it only for one-byte
    // elements).
    uint32_t InlineBytes() const { return GetCount() * kSize; }

    uint32_t mInlineCount = 0;
    T mInline[M]{};
};

}  // namespace QV
