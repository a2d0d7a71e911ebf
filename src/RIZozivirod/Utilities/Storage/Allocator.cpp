#include "RIZozivirod/Utilities/Storage/Allocator.h"

#include <cstdlib>

namespace QV {

void* SystemAllocator::Malloc(uint32_t bytes) {
    mMallocs.fetch_add(1, std::memory_order_relaxed);
    mBytes.fetch_add(bytes, std::memory_order_relaxed);
    return std::malloc(bytes);
}

void* SystemAllocator::Calloc(uint32_t count, uint32_t elementSize) {
    mCallocs.fetch_add(1, std::memory_order_relaxed);
    mBytes.fetch_add(static_cast<uint64_t>(count) * elementSize, std::memory_order_relaxed);
    return std::calloc(count, elementSize);
}

void* SystemAllocator::Realloc(void* block, uint32_t bytes) {
    mReallocs.fetch_add(1, std::memory_order_relaxed);
    mBytes.fetch_add(bytes, std::memory_order_relaxed);
    return std::realloc(block, bytes);
}

void SystemAllocator::Free(void* block) {
    mFrees.fetch_add(1, std::memory_order_relaxed);
    std::free(block);
}

SystemAllocator::Stats SystemAllocator::GetStats() const {
    Stats stats;
    stats.mallocs = mMallocs.load(std::memory_order_relaxed);
    stats.callocs = mCallocs.load(std::memory_order_relaxed);
    stats.reallocs = mReallocs.load(std::memory_order_relaxed);
    stats.frees = mFrees.load(std::memory_order_relaxed);
    stats.bytes = mBytes.load(std::memory_order_relaxed);
    return stats;
}

SystemAllocator& GetSystemAllocator() {
    static SystemAllocator* const allocator = new SystemAllocator();
    return *allocator;
}

}  // namespace QV
