#pragma once

#include <atomic>
#include <cstdint>

namespace QV {

class IAllocator {
public:
    virtual void* Malloc(uint32_t bytes) = 0;
    virtual void* Calloc(uint32_t count, uint32_t elementSize) = 0;
    virtual void* Realloc(void* block, uint32_t bytes) = 0;
    virtual void Free(void* block) = 0;

protected:
    ~IAllocator() = default;
};

// The C heap. Keeps relaxed counters of its calls and of the bytes asked for, so tests and
// benchmarks can see heap traffic; they order nothing.
class SystemAllocator final : public IAllocator {
public:
    struct Stats {
        uint64_t mallocs = 0;
        uint64_t callocs = 0;
        uint64_t reallocs = 0;
        uint64_t frees = 0;
        uint64_t bytes = 0;

        uint64_t Allocations() const { return mallocs + callocs + reallocs; }
    };

    void* Malloc(uint32_t bytes) override;
    void* Calloc(uint32_t count, uint32_t elementSize) override;
    void* Realloc(void* block, uint32_t bytes) override;
    void Free(void* block) override;

    Stats GetStats() const;

private:
    std::atomic<uint64_t> mMallocs{0};
    std::atomic<uint64_t> mCallocs{0};
    std::atomic<uint64_t> mReallocs{0};
    std::atomic<uint64_t> mFrees{0};
    std::atomic<uint64_t> mBytes{0};
};

// The one process-wide system allocator: made on first use, never destroyed.
SystemAllocator& GetSystemAllocator();

}  // namespace QV
