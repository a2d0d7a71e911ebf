#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

// The walking half of the array interface. A position is the address of an element in the
// storage; the first and end positions are null while the array is empty. Sequential readers
// take Begin, then read and advance once per counted element; they never compare with End.
template <class T>
class IIterable {
public:
    struct Iterator {
        IIterable* array;
        T* position;
    };
    struct ConstIterator {
        const IIterable* array;
        T* position;
    };

    virtual uint32_t GetCount() const = 0;
    virtual uint32_t GetMaxCount() const = 0;
    virtual ConstIterator Begin() const = 0;
    virtual Iterator Begin() = 0;
    virtual ConstIterator End() const = 0;
    virtual Iterator End() = 0;
    virtual const T& GetAtPosition(T* position) const = 0;
    virtual T& GetAtPosition(T* position) = 0;
    virtual T& GetAt(uint32_t index) = 0;
    virtual const T& GetAt(uint32_t index) const = 0;
    virtual T* MovePosition(T* position, int32_t delta) const = 0;
    virtual T* GetFirstPosition() const = 0;
    virtual T* GetEndPosition() const = 0;

protected:
    IIterable() = default;
    IIterable(const IIterable&) = default;
    IIterable& operator=(const IIterable&) = default;
    ~IIterable() = default;
};

// The one interface of every array. An implementation supplies the count, the storage address,
// SetCount, InsertItems and RemoveItems; everything else has a default built on those.
// Results are a count or index (zero or more) or a negative result code.
template <class T>
class IArray : public IIterable<T> {
public:
    using typename IIterable<T>::Iterator;
    using typename IIterable<T>::ConstIterator;
    using IIterable<T>::GetCount;

    static constexpr uint32_t kMaxCount = 0x7FFFFFFF;

    uint32_t GetMaxCount() const override { return kMaxCount; }
    ConstIterator Begin() const override { return {this, GetFirstPosition()}; }
    Iterator Begin() override { return {this, GetFirstPosition()}; }
    ConstIterator End() const override { return {this, GetEndPosition()}; }
    Iterator End() override { return {this, GetEndPosition()}; }
    const T& GetAtPosition(T* position) const override {
        return const_cast<IArray*>(this)->GetAtPosition(position);
    }
    T& GetAtPosition(T* position) override { return *position; }
    T& GetAt(uint32_t index) override { return GetData()[index]; }
    const T& GetAt(uint32_t index) const override { return GetData()[index]; }

    // Clamped to [first, end] by address; computed on integers so a far delta cannot form an
    // out-of-range pointer.
    T* MovePosition(T* position, int32_t delta) const override {
        const uintptr_t first = reinterpret_cast<uintptr_t>(GetFirstPosition());
        const uintptr_t end = reinterpret_cast<uintptr_t>(GetEndPosition());
        const uintptr_t moved =
            reinterpret_cast<uintptr_t>(position) +
            static_cast<uintptr_t>(static_cast<intptr_t>(delta) * static_cast<intptr_t>(sizeof(T)));
        if (moved < first) {
            return reinterpret_cast<T*>(first);
        }
        if (moved > end) {
            return reinterpret_cast<T*>(end);
        }
        return reinterpret_cast<T*>(moved);
    }
    T* GetFirstPosition() const override { return GetCount() == 0 ? nullptr : const_cast<T*>(GetData()); }
    T* GetEndPosition() const override {
        const uint32_t count = GetCount();
        return count == 0 ? nullptr : const_cast<T*>(GetData()) + count;
    }

    virtual int32_t SetCount(uint32_t count) = 0;
    virtual int32_t InsertItems(uint32_t index, uint32_t count) = 0;
    virtual int32_t RemoveItems(uint32_t index, uint32_t count) = 0;

    virtual int32_t RemoveAll() { return SetCount(0) == 0 ? S_OK : E_FAIL; }

    virtual int32_t InsertItem(uint32_t index, const T& item) {
        // The item may live in this array and move while the slots are made.
        const T copy(item);
        const int32_t rc = InsertItems(index, 1);
        if (rc >= 0) {
            GetAt(index) = copy;
        }
        return rc;
    }

    virtual int32_t RemoveItem(uint32_t index, T& out) {
        if (index >= GetCount()) {
            return E_INVALIDARG;
        }
        out = GetAt(index);
        return RemoveItems(index, 1);
    }

    virtual int32_t Append(const IArray& source) {
        const uint32_t old = GetCount();
        const uint32_t added = source.GetCount();
        if (added == 0) {
            return static_cast<int32_t>(old);
        }
        if (added > kMaxCount - std::min(old, kMaxCount)) {
            return E_FAIL;
        }
        const uint32_t total = old + added;
        if (SetCount(total) != static_cast<int32_t>(total)) {
            return E_FAIL;
        }
        // Begin is taken after the growth, so appending an array to itself reads its old
        // elements and doubles it.
        ConstIterator from = source.Begin();
        for (uint32_t k = 0; k < added; ++k) {
            GetAt(old + k) = Next(from);
        }
        return static_cast<int32_t>(total);
    }

    virtual int32_t Add(const T& item) { return InsertItem(GetCount(), item); }

    virtual int32_t RemoveLast(T& out) { return RemoveItem(GetCount() - 1, out); }

    virtual int32_t Assign(const IArray& source) {
        if (&source == this) {
            return static_cast<int32_t>(GetCount());
        }
        SetCount(0);
        return Append(source);
    }

    virtual int32_t Swap(uint32_t i, uint32_t j) {
        const uint32_t count = GetCount();
        if (i >= count || j >= count) {
            return E_INVALIDARG;
        }
        const T held(GetAt(i));
        GetAt(i) = GetAt(j);
        GetAt(j) = held;
        return S_OK;
    }

    virtual const T* GetData() const { return const_cast<IArray*>(this)->GetData(); }
    virtual T* GetData() = 0;

    // Index of the first element equal to item, or -1.
    int32_t IndexOf(const T& item) const {
        const uint32_t count = GetCount();
        ConstIterator at = Begin();
        for (uint32_t i = 0; i < count; ++i) {
            if (Next(at) == item) {
                return static_cast<int32_t>(i);
            }
        }
        return -1;
    }

    bool operator==(const IArray& other) const {
        const uint32_t count = GetCount();
        if (count != other.GetCount()) {
            return false;
        }
        ConstIterator mine = Begin();
        ConstIterator theirs = other.Begin();
        for (uint32_t i = 0; i < count; ++i) {
            const T& left = Next(mine);
            if (!(left == Next(theirs))) {
                return false;
            }
        }
        return true;
    }

    // Copies bytes over existing elements from offset on, stopping at the end; the count never
    // changes. Returns the number of bytes copied.
    uint32_t SetItems(const void* source, uint32_t offset,
                      uint32_t count) requires std::is_same_v<T, signed char> {
        const uint32_t total = GetCount();
        if (offset >= total) {
            return 0;
        }
        const uint32_t copied = std::min(count, total - offset);
        if (copied != 0) {
            std::memcpy(GetData() + offset, source, copied);
        }
        return copied;
    }

protected:
    IArray() = default;
    IArray(const IArray&) = default;
    IArray& operator=(const IArray&) = default;
    ~IArray() = default;

    // Reads the element at the iterator and advances it by one.
    static const T& Next(ConstIterator& at) {
        T* const here = at.position;
        at.position = at.array->MovePosition(here, 1);
        return at.array->GetAtPosition(here);
    }
};

// Elements held by value in a standard vector, copied and destroyed by their own rules.
template <class T>
class Array : public IArray<T> {
public:
    using IArray<T>::kMaxCount;

    Array() = default;
    Array(const Array&) = default;
    Array(Array&&) = default;
    Array& operator=(const Array&) = default;
    Array& operator=(Array&&) = default;
    virtual ~Array() = default;

    uint32_t GetCount() const override { return static_cast<uint32_t>(mItems.size()); }

    T& GetAt(uint32_t index) override {
        CheckIndex(index);
        return mItems[index];
    }
    const T& GetAt(uint32_t index) const override {
        CheckIndex(index);
        return mItems[index];
    }

    int32_t SetCount(uint32_t count) override {
        if (count > kMaxCount) {
            return E_INVALIDARG;
        }
        mItems.resize(count);
        return static_cast<int32_t>(GetCount());
    }

    int32_t InsertItems(uint32_t index, uint32_t count) override {
        const uint32_t size = GetCount();
        if (index > size || count > kMaxCount - size) {
            return E_INVALIDARG;
        }
        // Grown at the end and turned into place, for the same reason as InsertItem: no copy of
        // a value the vector would keep aside and destroy through the virtual destructor.
        mItems.resize(size + count);
        std::rotate(mItems.begin() + index, mItems.begin() + size, mItems.end());
        return static_cast<int32_t>(GetCount());
    }

    int32_t RemoveItems(uint32_t index, uint32_t count) override {
        const uint32_t size = GetCount();
        if (index >= size || count > size - index) {
            return E_INVALIDARG;
        }
        mItems.erase(mItems.begin() + index, mItems.begin() + index + count);
        return static_cast<int32_t>(GetCount());
    }

    // Returns the index, not the count. The item is copied first (it may live in this array)
    // and moved in: the vector's own copy for an item that may alias would be destroyed through
    // the item's virtual destructor, which an optimising build guesses to be that of any class
    // derived from T it has seen (a bigger object than the copy) and warns about.
    int32_t InsertItem(uint32_t index, const T& item) override {
        const uint32_t size = GetCount();
        if (index > size || size >= kMaxCount) {
            return E_INVALIDARG;
        }
        T copy(item);
        mItems.insert(mItems.begin() + index, std::move(copy));
        return static_cast<int32_t>(index);
    }

    int32_t RemoveItem(uint32_t index, T& out) override {
        out = GetAt(index);
        return RemoveItems(index, 1);
    }

    const T* GetData() const override { return mItems.empty() ? nullptr : mItems.data(); }
    T* GetData() override { return mItems.empty() ? nullptr : mItems.data(); }

private:
    void CheckIndex(uint32_t index) const {
        if (index >= mItems.size()) {
            throw std::out_of_range("invalid vector<T> subscript");
        }
    }

    std::vector<T> mItems;
};

// Up to N elements inside the object, never allocating. Code that builds short messages on the
// stack fills the count and the elements directly.
template <class T, uint32_t N>
class SimpleFixedArray : public IArray<T> {
public:
    uint32_t GetCount() const override { return mCount; }
    uint32_t GetMaxCount() const override { return N; }

    const T* GetData() const override { return mData; }
    T* GetData() override { return mData; }

    // Clamped to N; elements that come into the count keep what the storage held.
    int32_t SetCount(uint32_t count) override {
        mCount = std::min(count, N);
        return static_cast<int32_t>(mCount);
    }

    int32_t InsertItems(uint32_t index, uint32_t count) override {
        if (count == 0) {
            return static_cast<int32_t>(mCount);
        }
        if (index > mCount || mCount > N || count > N - mCount) {
            return E_INVALIDARG;
        }
        std::move_backward(mData + index, mData + mCount, mData + mCount + count);
        mCount += count;
        return static_cast<int32_t>(mCount);
    }

    int32_t RemoveItems(uint32_t index, uint32_t count) override {
        if (count == 0) {
            return static_cast<int32_t>(mCount);
        }
        if (index > mCount || count > mCount - index) {
            return E_INVALIDARG;
        }
        std::move(mData + index + count, mData + mCount, mData + index);
        mCount -= count;
        return static_cast<int32_t>(mCount);
    }

    uint32_t mCount = 0;
    T mData[N]{};
};

}  // namespace QV
