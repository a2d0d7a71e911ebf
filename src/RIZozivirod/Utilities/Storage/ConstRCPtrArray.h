#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Allocator.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/Buffer.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

// The pointer storage of the arrays of shared pointers: grows in steps of N pointers and keeps
// at most M spare.
template <class T, uint32_t N, uint32_t M>
using RCPtrSlotBuffer = BufferT<N* static_cast<uint32_t>(sizeof(T*)), M* static_cast<uint32_t>(sizeof(T*)), 8,
                                T**, GetSystemAllocator>;

// An array of shared pointers that holds one counted reference per non-null slot. The slots are
// raw pointers in the buffer, seen through the interface as ConstRCPtr<T> (one pointer wide).
// Slots made without a value are null. Removing hands the reference to the caller or releases
// it; nothing is released twice. Not locked: one thread at a time, or under the owner's lock.
template <class T, uint32_t N, uint32_t M>
class ConstRCPtrArray : public IArray<ConstRCPtr<T>>, public RCPtrSlotBuffer<T, N, M> {
    static_assert(sizeof(ConstRCPtr<T>) == sizeof(T*) && sizeof(RCPtr<T>) == sizeof(T*));
    static_assert(std::is_standard_layout_v<RCPtr<T>>);

    using Storage = RCPtrSlotBuffer<T, N, M>;
    using Interface = IArray<ConstRCPtr<T>>;

public:
    // The buffer's sizes are 32-bit byte counts.
    static constexpr uint32_t kMaxSlots = std::min<uint32_t>(Interface::kMaxCount, UINT32_MAX / sizeof(T*));

    using Interface::GetData;

    explicit ConstRCPtrArray(uint32_t count = 0, uint32_t capacity = 0)
        : Storage(ToBytes(count), ToBytes(capacity), true) {}

    ~ConstRCPtrArray() override { ConstRCPtrArray::SetCount(0); }

    uint32_t GetCount() const override { return this->GetSize() / static_cast<uint32_t>(sizeof(T*)); }

    ConstRCPtr<T>* GetData() override { return Slots(); }

    int32_t SetCount(uint32_t count) override {
        const uint32_t old = GetCount();
        if (count < old) {
            return ConstRCPtrArray::RemoveItems(count, old - count);
        }
        if (count == old) {
            return static_cast<int32_t>(count);
        }
        if (count > kMaxSlots) {
            return E_INVALIDARG;
        }
        this->SetSize(ToBytes(count));
        ClearSlots(old, count - old);
        return static_cast<int32_t>(count);
    }

    int32_t InsertItems(uint32_t index, uint32_t count) override {
        const uint32_t old = GetCount();
        if (count == 0) {
            return static_cast<int32_t>(old);
        }
        if (index > old || count > kMaxSlots - old) {
            return E_INVALIDARG;
        }
        if (index == old) {
            return ConstRCPtrArray::SetCount(old + count);
        }
        this->SetSize(ToBytes(old + count));
        T** raw = this->GetTypedData();
        std::memmove(raw + index + count, raw + index, (old - index) * sizeof(T*));
        ClearSlots(index, count);
        return static_cast<int32_t>(old + count);
    }

    // One removal at a time through this interface: the element removed last is released while
    // the next is removed, so releases run in ascending index order. A range past the end
    // removes up to the end and then throws as RemoveItem does.
    int32_t RemoveItems(uint32_t index, uint32_t count) override {
        ConstRCPtr<T> holder;
        for (uint32_t i = 0; i < count; ++i) {
            ConstRCPtrArray::RemoveItem(index, holder);
        }
        holder = nullptr;
        return static_cast<int32_t>(GetCount());
    }

    // Returns the index. The item may be a slot of this array, so it is taken before the slots
    // move.
    int32_t InsertItem(uint32_t index, const ConstRCPtr<T>& item) override {
        ConstRCPtr<T> held(item);
        const int32_t rc = ConstRCPtrArray::InsertItems(index, 1);
        if (rc < 0) {
            return rc;
        }
        Slots()[index] = std::move(held);
        return static_cast<int32_t>(index);
    }

    int32_t RemoveItem(uint32_t index, ConstRCPtr<T>& out) override {
        if (index >= GetCount()) {
            QV_THROW(std::out_of_range);
        }
        return TakeSlot(index, out);
    }

    int32_t RemoveLast(ConstRCPtr<T>& out) override { return TakeLast(out); }

    // Exchanges the stored pointers: no reference changes.
    int32_t Swap(uint32_t i, uint32_t j) override {
        const uint32_t count = GetCount();
        if (i >= count || j >= count) {
            return E_INVALIDARG;
        }
        T** raw = this->GetTypedData();
        std::swap(raw[i], raw[j]);
        return S_OK;
    }

protected:
    static uint32_t ToBytes(uint32_t count) {
        if (count > kMaxSlots) {
            throw Exception<std::bad_alloc>();
        }
        return count * static_cast<uint32_t>(sizeof(T*));
    }

    ConstRCPtr<T>* Slots() const { return reinterpret_cast<ConstRCPtr<T>*>(this->GetTypedData()); }

    void ClearSlots(uint32_t index, uint32_t count) {
        if (count != 0) {
            std::memset(static_cast<void*>(this->GetTypedData() + index), 0, count * sizeof(T*));
        }
    }

    // Moves the reference of slot index (below the count) into out, after releasing what out
    // held, and closes the gap.
    int32_t TakeSlot(uint32_t index, ConstRCPtr<T>& out) {
        out = nullptr;
        out = std::move(Slots()[index]);
        const uint32_t count = GetCount();
        T** raw = this->GetTypedData();
        std::memmove(raw + index, raw + index + 1, (count - index - 1) * sizeof(T*));
        // The vacated last slot is null before the block shrinks, so a failed shrink cannot
        // leave a pointer counted twice.
        raw[count - 1] = nullptr;
        this->SetSize(ToBytes(count - 1));
        return static_cast<int32_t>(GetCount());
    }

    // out is emptied even when there is nothing to take.
    int32_t TakeLast(ConstRCPtr<T>& out) {
        out = nullptr;
        const uint32_t count = GetCount();
        if (count == 0) {
            return E_FAIL;
        }
        out = std::move(Slots()[count - 1]);
        return ConstRCPtrArray::SetCount(count - 1);
    }
};

}  // namespace QV
