#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "../fuzz/VariantReaders.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"
#include "RIZozivirod/Utilities/Storage/VariantTestSupport.h"

// The fuzzer's body over a fixed set of random inputs, so every run of the suite (and its
// sanitizer build) walks malformed records and lists too.
namespace QV {
namespace {

using namespace TestSupport;

class RandomVariants {
public:
    explicit RandomVariants(uint32_t seed) : mRandom(seed) {}

    uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(mRandom); }

    // Lists are drawn often, so most inputs nest.
    Variant Value(int depth) {
        const uint32_t kind = depth > 0 && Below(3) == 0 ? uint32_t{Variant::List} : Below(16);
        if (kind == Variant::List) {
            return List(depth - 1);
        }
        Bytes bytes(Below(10));
        for (uint8_t& byte : bytes) {
            byte = static_cast<uint8_t>(Below(256));
        }
        if (kind == Variant::String) {
            bytes.push_back(0);
        }
        const uint32_t scalar[] = {0, 1, 1, 1, 2, 2, 4, 4, 4, 8, 8, 8};
        if (kind < 12) {
            bytes.resize(scalar[kind]);
        }
        Variant v;
        v.Set(kind, bytes.data(), static_cast<uint32_t>(bytes.size()));
        return v;
    }

    Variant List(int depth) {
        std::vector<Variant> items(Below(5));
        for (Variant& item : items) {
            item = Value(depth);
        }
        Variant list;
        list.SetList(items.data(), static_cast<uint32_t>(items.size()));
        return list;
    }

    // A record or list content with some bytes, often a size field, damaged.
    Bytes Input() {
        Bytes input = Below(2) == 0 ? RecordOf(List(3)) : DataOf(List(3));
        if (Below(8) == 0) {
            input.resize(Below(64));
            for (uint8_t& byte : input) {
                byte = static_cast<uint8_t>(Below(256));
            }
            return input;
        }
        const uint32_t damages = Below(4);
        for (uint32_t d = 0; d < damages && !input.empty(); ++d) {
            const uint32_t at = Below(static_cast<uint32_t>(input.size()));
            if (Below(2) == 0 && at + 4 <= input.size()) {
                const uint32_t sizes[] = {
                    0,          1,          4,
                    11,         12,         0xFFFFFFFF,
                    0xFFFFFFF0, 0x80000000, static_cast<uint32_t>(input.size() - at + 1)};
                const uint32_t size = sizes[Below(9)];
                for (int i = 0; i < 4; ++i) {
                    input[at + i] = static_cast<uint8_t>(size >> (8 * i));
                }
            } else {
                input[at] = static_cast<uint8_t>(Below(256));
            }
        }
        if (Below(4) == 0 && !input.empty()) {
            input.resize(Below(static_cast<uint32_t>(input.size())));
        }
        return input;
    }

private:
    std::mt19937 mRandom;
};

TEST(VariantRandomInputTest, ReadersHoldTheirPromisesOnDamagedInput) {
    RandomVariants random(20240611);
    for (int i = 0; i < 3000; ++i) {
        const Bytes input = random.Input();
        // An exact-size copy: a read past the input shows under the address checker.
        const std::vector<uint8_t> exact(input);
        ASSERT_TRUE(FuzzSupport::ExerciseVariantReaders(exact.empty() ? nullptr : exact.data(), exact.size()))
            << "input " << i;
    }
}

}  // namespace
}  // namespace QV
