// Allocate/free pairs of the reuse allocator, with and without its lock, side by side with the
// global new and delete, for an object the size of a thread-pool work item. The batch variants
// keep 32 objects alive at once before releasing them.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "RIZozivirod/Utilities/Storage/ReuseAllocator.h"

namespace {

struct Item {
    void* vtable;
    int32_t counts[4];
    void* worker;
    void* params;
    int32_t priority;
};

constexpr int kBatch = 32;

void Pair_ReuseAllocator(benchmark::State& state) {
    QV::ReuseAllocator<Item, 1> allocator(state.range(0) != 0);
    for (auto _ : state) {
        void* p = allocator.Allocate(sizeof(Item));
        benchmark::DoNotOptimize(p);
        allocator.Free(p);
    }
}
BENCHMARK(Pair_ReuseAllocator)->ArgName("locked")->Arg(0)->Arg(1);

void Pair_NewDelete(benchmark::State& state) {
    for (auto _ : state) {
        Item* p = new Item();
        benchmark::DoNotOptimize(p);
        delete p;
    }
}
BENCHMARK(Pair_NewDelete);

void Batch_ReuseAllocator(benchmark::State& state) {
    QV::ReuseAllocator<Item, 4> allocator(state.range(0) != 0);
    std::array<void*, kBatch> items{};
    for (auto _ : state) {
        for (void*& p : items) {
            p = allocator.Allocate(sizeof(Item));
        }
        benchmark::DoNotOptimize(items.data());
        for (void* p : items) {
            allocator.Free(p);
        }
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(Batch_ReuseAllocator)->ArgName("locked")->Arg(0)->Arg(1);

void Batch_NewDelete(benchmark::State& state) {
    std::array<Item*, kBatch> items{};
    for (auto _ : state) {
        for (Item*& p : items) {
            p = new Item();
        }
        benchmark::DoNotOptimize(items.data());
        for (Item* p : items) {
            delete p;
        }
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(Batch_NewDelete);

}  // namespace
