#include "RIZozivirod/Utilities/Storage/Buffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace QV {
namespace {

// An allocator that counts its calls and can be told to fail.
struct CountingAllocator : IAllocator {
    void* Malloc(uint32_t bytes) override {
        ++mallocs;
        return fail ? nullptr : std::malloc(bytes);
    }
    void* Calloc(uint32_t count, uint32_t size) override { return std::calloc(count, size); }
    void* Realloc(void* block, uint32_t bytes) override {
        ++reallocs;
        return fail ? nullptr : std::realloc(block, bytes);
    }
    void Free(void* block) override {
        ++frees;
        std::free(block);
    }
    int mallocs = 0;
    int reallocs = 0;
    int frees = 0;
    bool fail = false;
};

CountingAllocator& Counting() {
    static CountingAllocator* const allocator = new CountingAllocator();
    return *allocator;
}

template <uint32_t G, uint32_t S>
using TestBuffer = BufferT<G, S, 8, char*, Counting>;

std::vector<uint8_t> BufferBytes(const IBuffer& buffer) {
    const auto* data = static_cast<const uint8_t*>(buffer.GetBytes());
    return std::vector<uint8_t>(data, data + buffer.GetSize());
}

TEST(Buffer, GrowthAndShrinkFollowGranularityAndSlack) {
    struct Step {
        uint32_t size;
        uint32_t capacity;
    };
    auto run = [](IBuffer& buffer, std::initializer_list<Step> steps) {
        for (const Step& step : steps) {
            EXPECT_EQ(buffer.SetSize(step.size), step.size);
            EXPECT_EQ(buffer.GetCapacity(), step.capacity) << "size " << step.size;
        }
    };
    TestBuffer<4, 0> words;
    run(words, {{8, 8}, {6, 8}, {4, 4}, {9, 12}, {0, 0}});
    EXPECT_EQ(words.GetBytes(), nullptr);

    TestBuffer<1, 128> text;
    run(text, {{300, 300}, {200, 300}, {100, 100}, {0, 100}});
    EXPECT_NE(text.GetBytes(), nullptr);

    TestBuffer<1024, 1024> ring;
    run(ring, {{4, 1024}, {512, 1024}, {1024, 1024}, {1025, 2048}});
}

TEST(Buffer, ConstructorGivesBackCapacityBeyondTheSlack) {
    TestBuffer<1, 128> buffer(10, 200, true);
    EXPECT_EQ(buffer.GetCapacity(), 10u);
    EXPECT_EQ(BufferBytes(buffer), std::vector<uint8_t>(10, 0));
    TestBuffer<1, 128> roomy(10, 100, false);
    EXPECT_EQ(roomy.GetCapacity(), 100u);
}

TEST(Buffer, AllocateKeepsTheBlockOnlyForTheSameRoundedCapacity) {
    TestBuffer<4, 0> buffer;
    buffer.Allocate(8);
    buffer.Fill(7, 0, -1);
    const int mallocs = Counting().mallocs;
    EXPECT_EQ(buffer.Allocate(7), 7u);
    EXPECT_EQ(Counting().mallocs, mallocs);
    EXPECT_EQ(BufferBytes(buffer), std::vector<uint8_t>(7, 7));
    buffer.Allocate(12);
    EXPECT_EQ(Counting().mallocs, mallocs + 1);
    EXPECT_EQ(buffer.GetCapacity(), 12u);
    EXPECT_EQ(buffer.Allocate(0), 0u);
    EXPECT_EQ(buffer.GetCapacity(), 0u);
}

TEST(Buffer, FillRangesAreCheckedWithoutWrapping) {
    TestBuffer<1, 0> buffer(6, 0, true);
    const struct {
        uint32_t offset;
        int32_t count;
        int32_t result;
    } cases[] = {
        {6, 0, S_OK},
        {6, -1, S_OK},
        {7, -1, E_INVALIDARG},
        {0, 7, E_INVALIDARG},
        {2, 4, S_OK},
        {0xFFFFFFFFu, 2, E_INVALIDARG},
        {0xFFFFFFF0u, 0x7FFFFFFF, E_INVALIDARG},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(buffer.Fill(1, c.offset, c.count), c.result) << c.offset << " " << c.count;
    }
    const struct {
        uint32_t offset;
        int32_t count;
        int32_t result;
    } wordCases[] = {
        {6, 0, S_OK},
        {6, -1, S_OK},
        {7, -1, E_INVALIDARG},
        {0, 3, S_OK},
        {0, 4, E_INVALIDARG},
        {5, 1, E_INVALIDARG},
        {0xFFFFFFFEu, 1, E_INVALIDARG},
        {2, 0x7FFFFFFF, E_INVALIDARG},
    };
    for (const auto& c : wordCases) {
        EXPECT_EQ(buffer.FillWords(1, c.offset, c.count), c.result) << c.offset << " " << c.count;
    }
}

TEST(Buffer, FillWordsWritesWholeUnitsOnly) {
    TestBuffer<1, 0> buffer(5, 0, true);
    EXPECT_EQ(buffer.FillWords(0xABCD, 0, -1), S_OK);
    EXPECT_EQ(BufferBytes(buffer), (std::vector<uint8_t>{0xCD, 0xAB, 0xCD, 0xAB, 0}));
    EXPECT_EQ(buffer.FillWords(0x1111, 1, 2), S_OK);  // odd offsets are allowed
    EXPECT_EQ(BufferBytes(buffer), (std::vector<uint8_t>{0xCD, 0x11, 0x11, 0x11, 0x11}));
}

TEST(Buffer, GetDataAtOnlyInsideTheSize) {
    TestBuffer<1, 0> empty;
    EXPECT_EQ(empty.GetDataAt(0), nullptr);
    TestBuffer<1, 0> buffer(4, 0, true);
    EXPECT_EQ(buffer.GetDataAt(3), static_cast<char*>(buffer.GetBytes()) + 3);
    EXPECT_EQ(buffer.GetDataAt(4), nullptr);
    EXPECT_EQ(buffer.GetDataAt(0xFFFFFFFFu), nullptr);
}

TEST(Buffer, FailedAllocationKeepsTheOldBlock) {
    TestBuffer<1, 0> buffer(4, 0, false);
    buffer.Fill(9, 0, -1);
    Counting().fail = true;
    EXPECT_THROW(buffer.SetSize(4096), std::bad_alloc);
    EXPECT_THROW(buffer.Allocate(4096), std::bad_alloc);
    Counting().fail = false;
    EXPECT_EQ(buffer.GetSize(), 4u);
    EXPECT_EQ(BufferBytes(buffer), std::vector<uint8_t>(4, 9));
}

TEST(SharedBuffer, ResizedCopiesAndCopies) {
    RCPtr<LIBuffer> buffer = LByteBuffer::Create(6, 0, false);
    for (int i = 0; i < 6; ++i) {
        static_cast<uint8_t*>(buffer->GetBytes())[i] = static_cast<uint8_t>(i + 1);
    }
    const struct {
        uint32_t size;
        uint32_t offset;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {4, 2, {3, 4, 5, 6}},
        {8, 2, {3, 4, 5, 6, 0, 0, 0, 0}},
        {3, 6, {0, 0, 0}},
        {2, 0xFFFFFFFFu, {0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BufferBytes(*buffer->CreateResizedCopy(c.size, c.offset)), c.bytes);
    }
    RCPtr<LIBuffer> copy(buffer->CreateCopy());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.Get(), buffer.Get());
    EXPECT_EQ(BufferBytes(*copy), BufferBytes(*buffer));
    EXPECT_EQ(copy->GetRefCount(), 1);

    RCPtr<LIBuffer> file = LFileBuffer::Create(10, 0, true);
    RCPtr<LIBuffer> fileCopy(file->CreateCopy());
    EXPECT_EQ(fileCopy->GetCapacity(), 512u);
}

}  // namespace
}  // namespace QV
