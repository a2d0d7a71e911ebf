#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/Utilities/Storage/ArrayBuffer.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace QV {

// Storage for the objects of one class that are made and released at a high rate: blocks of
// exactly sizeof(T) that are recycled last in, first out and never given back to the heap
// while the allocator lives. Requests of other sizes (derived classes) go to the C heap.
//
// Every allocation, pooled or not, has a header of its own holding the block's index, so
// Free tells its blocks from heap memory without reading outside an allocation; the header
// is as large as the alignment, so the storage handed out is aligned for T.
//
// With a lock, Allocate and Free of pooled blocks may be called from any thread; the lock is
// taken after the size test, so heap requests never wait for it, and no other lock is taken
// while it is held. Without one, a single thread uses the allocator.
template <class T, uint32_t N>
class ReuseAllocator {
    static constexpr size_t kAlign = std::max<size_t>(16, alignof(T));
    static constexpr uint32_t kForeign = 0xFFFFFFFFu;

public:
    struct Buf {
        alignas(kAlign) uint32_t mIndex;
        alignas(kAlign) unsigned char mStorage[sizeof(T)];
    };
    static_assert(offsetof(Buf, mStorage) == kAlign);

    explicit ReuseAllocator(bool threadSafe) {
        mBlocks.SetCount(1);
        mBlocks.SetCount(0);
        mFree.SetCount(1);
        mFree.SetCount(0);
        if (threadSafe) {
            mLock = std::make_unique<Mutex>();
        }
    }
    ReuseAllocator(const ReuseAllocator&) = delete;
    ReuseAllocator& operator=(const ReuseAllocator&) = delete;

    // Objects still alive lose their storage.
    virtual ~ReuseAllocator() {
        for (uint32_t i = mBlocks.GetCount(); i-- > 0;) {
            delete mBlocks.GetData()[i];
        }
        mBlocks.SetCount(0);
        mFree.SetCount(0);
    }

    // Throws QV::Exception<std::bad_alloc> when no memory is left; the pool is then unchanged.
    void* Allocate(size_t size) {
        if (size != sizeof(T)) {
            return AllocateForeign(size);
        }
        COptionalAutoLock guard(mLock.get());
        uint32_t index;
        const uint32_t free = mFree.GetCount();
        if (free != 0) {
            index = mFree.GetData()[free - 1];
            mFree.SetCount(free - 1);
        } else {
            index = mBlocks.GetCount();
            mBlocks.SetCount(index + 1);
            Buf* block = new (std::nothrow) Buf;
            if (block == nullptr) {
                mBlocks.SetCount(index);
                throw Exception<std::bad_alloc>();
            }
            block->mIndex = index;
            mBlocks.GetData()[index] = block;
        }
        return mBlocks.GetData()[index]->mStorage;
    }

    void Free(void* p) noexcept {
        if (p == nullptr) {
            return;
        }
        unsigned char* header = static_cast<unsigned char*>(p) - kAlign;
        uint32_t index;
        std::memcpy(&index, header, sizeof index);
        {
            COptionalAutoLock guard(mLock.get());
            if (index < mBlocks.GetCount() && static_cast<void*>(mBlocks.GetData()[index]) == header) {
                const uint32_t free = mFree.GetCount();
                try {
                    mFree.SetCount(free + 1);
                } catch (...) {
                    // No room to list it: the block stays out of use until the allocator ends.
                    return;
                }
                mFree.GetData()[free] = index;
                return;
            }
        }
        std::free(header);
    }

    // Every block ever made, in use or free.
    uint32_t GetBlockCount() const {
        COptionalAutoLock guard(mLock.get());
        return mBlocks.GetCount();
    }
    uint32_t GetFreeCount() const {
        COptionalAutoLock guard(mLock.get());
        return mFree.GetCount();
    }

private:
    static void* AllocateForeign(size_t size) {
        void* memory = kAlign <= alignof(std::max_align_t)
                           ? std::malloc(kAlign + size)
                           : std::aligned_alloc(kAlign, (kAlign + size + kAlign - 1) / kAlign * kAlign);
        if (memory == nullptr) {
            throw Exception<std::bad_alloc>();
        }
        std::memcpy(memory, &kForeign, sizeof kForeign);
        return static_cast<unsigned char*>(memory) + kAlign;
    }

    ArrayBuffer<Buf*, N, 1600, 1, 8> mBlocks;
    ArrayBuffer<uint32_t, N, 1600, 1, 8> mFree;
    std::unique_ptr<Mutex> mLock;
};

// The process-wide allocator of a pooled class: made on first use and never destroyed, so
// objects released during static destruction still find it.
template <class T, uint32_t N, bool ThreadSafe>
ReuseAllocator<T, N>& GetReuseAllocator() {
    static ReuseAllocator<T, N>* const allocator = new ReuseAllocator<T, N>(ThreadSafe);
    return *allocator;
}

}  // namespace QV
