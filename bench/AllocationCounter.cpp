// Counts every allocation of the process, the libraries' included, for the benchmarks that
// report how many allocations their work makes. The replacement operators live in a unit of their
// own: inlined into code that also calls the standard operator new, the compiler takes the free
// below for a release of memory that operator new handed out.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

std::atomic<int64_t> gAllocations{0};

}  // namespace

// The process's allocations so far, for the other benchmarks of the executable.
int64_t SkyletBenchAllocationCount() {
    return gAllocations.load(std::memory_order_relaxed);
}

void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
