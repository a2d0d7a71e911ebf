#include "RIZozivirod/Utilities/Storage/ReuseAllocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace QV {
namespace {

struct Small {
    int32_t a;
    int32_t b;
};

struct alignas(32) Wide {
    double values[4];
};

TEST(ReuseAllocator, ReleasedBlocksComeBackLastInFirstOut) {
    ReuseAllocator<Small, 4> allocator(false);
    void* a = allocator.Allocate(sizeof(Small));
    void* b = allocator.Allocate(sizeof(Small));
    ASSERT_NE(a, b);
    allocator.Free(a);
    EXPECT_EQ(allocator.Allocate(sizeof(Small)), a);
    EXPECT_EQ(allocator.GetBlockCount(), 2u);

    allocator.Free(a);
    allocator.Free(b);
    EXPECT_EQ(allocator.GetFreeCount(), 2u);
    EXPECT_EQ(allocator.Allocate(sizeof(Small)), b);
    EXPECT_EQ(allocator.Allocate(sizeof(Small)), a);
    EXPECT_EQ(allocator.GetBlockCount(), 2u);
    EXPECT_EQ(allocator.GetFreeCount(), 0u);
    allocator.Free(b);
    allocator.Free(a);
}

TEST(ReuseAllocator, OtherSizesGoToTheHeapAndLeaveThePoolAlone) {
    ReuseAllocator<Small, 4> allocator(true);
    void* pooled = allocator.Allocate(sizeof(Small));
    for (size_t size : {size_t{0}, size_t{1}, sizeof(Small) - 1, sizeof(Small) + 1, size_t{4096}}) {
        void* foreign = allocator.Allocate(size);
        ASSERT_NE(foreign, nullptr);
        std::memset(foreign, 0xAB, size);
        EXPECT_EQ(allocator.GetBlockCount(), 1u) << size;
        allocator.Free(foreign);
        EXPECT_EQ(allocator.GetFreeCount(), 0u) << size;
    }
    allocator.Free(pooled);
    EXPECT_EQ(allocator.GetFreeCount(), 1u);
}

// A pooled class as the system declares one: its own new and delete use the allocator.
struct Pooled {
    static ReuseAllocator<Pooled, 4>& Allocator() { return GetReuseAllocator<Pooled, 4, true>(); }
    static void* operator new(size_t size) { return Allocator().Allocate(size); }
    static void operator delete(void* p) { Allocator().Free(p); }
    virtual ~Pooled() = default;
    int64_t value = 1;
};

struct Derived : Pooled {
    char more[24] = {};
};

TEST(ReuseAllocator, PooledClassReusesItsBlocksAndPassesDerivedClassesThrough) {
    ReuseAllocator<Pooled, 4>& allocator = Pooled::Allocator();
    Pooled* first = new Pooled();
    delete first;
    const uint32_t blocks = allocator.GetBlockCount();
    Pooled* again = new Pooled();
    EXPECT_EQ(again, first);
    Pooled* derived = new Derived();
    EXPECT_EQ(allocator.GetBlockCount(), blocks);
    delete derived;
    delete again;
    EXPECT_EQ(allocator.GetBlockCount(), blocks);
}

template <class T>
void ExpectAligned(size_t alignment) {
    ReuseAllocator<T, 2> allocator(false);
    std::vector<void*> blocks;
    for (size_t size : {sizeof(T), sizeof(T), sizeof(T) + 3, sizeof(T), size_t{1}}) {
        void* p = allocator.Allocate(size);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignment, 0u) << size;
        blocks.push_back(p);
    }
    for (void* p : blocks) {
        allocator.Free(p);
    }
}

TEST(ReuseAllocator, StorageIsAlignedForItsType) {
    ExpectAligned<char>(16);
    ExpectAligned<Small>(16);
    ExpectAligned<long double>(alignof(long double));
    ExpectAligned<Wide>(32);
}

TEST(ReuseAllocator, AllocatorWithALockServesSeveralThreads) {
    ReuseAllocator<Small, 1> allocator(true);
    constexpr int kThreads = 4;
    constexpr int kLive = 16;
    std::vector<std::thread> threads;
    std::vector<int> corrupted(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::vector<Small*> live;
            for (int round = 0; round < 2000; ++round) {
                auto* s = static_cast<Small*>(allocator.Allocate(sizeof(Small)));
                s->a = t;
                s->b = round;
                live.push_back(s);
                if (live.size() == kLive || round % 7 == 0) {
                    for (Small* item : live) {
                        corrupted[t] += item->a != t;
                        allocator.Free(item);
                    }
                    live.clear();
                }
                if (round % 13 == 0) {
                    // Sizes of other classes are served alongside.
                    allocator.Free(allocator.Allocate(sizeof(Small) * 3));
                }
            }
            for (Small* item : live) {
                allocator.Free(item);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(corrupted[t], 0) << t;
    }
    EXPECT_LE(allocator.GetBlockCount(), static_cast<uint32_t>(kThreads * kLive));
    EXPECT_EQ(allocator.GetFreeCount(), allocator.GetBlockCount());
}

}  // namespace
}  // namespace QV
