#include "RIZozivirod/Utilities/Graphics/Color.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using QV::Color;

TEST(Color, ToARGBRoundsHalfAwayFromZeroAndClamps) {
    struct Case {
        Color color;
        uint32_t argb;
    };
    const Case cases[] = {
        {{1.2f, -0.1f, 0.5f, 1.0f}, 0xFFFF0080u},
        {{0.0f, 0.0f, 0.0f, 0.0f}, 0x00000000u},
        {{1.0f, 1.0f, 1.0f, 1.0f}, 0xFFFFFFFFu},
        // 0.5 / 255 is half a step: away from zero.
        {{0.5f / 255.0f, 0.49f / 255.0f, 254.5f / 255.0f, 0.999f}, 0xFF0100FFu},
        {{-1000.0f, 1000.0f, -0.001f, 1.0019f}, 0xFF00FF00u},
        {{__builtin_nanf(""), 0.0f, 0.0f, 1.0f}, 0xFF000000u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.color.ToARGB(), c.argb) << std::hex << c.argb;
    }
}

TEST(Color, EveryByteSurvivesSetARGBAndToARGB) {
    for (uint32_t byte = 0; byte < 256; ++byte) {
        const uint32_t argb = byte << 24 | (255 - byte) << 16 | (byte ^ 0x5A) << 8 | byte;
        const Color color = Color::FromARGB(argb);
        ASSERT_EQ(color.ToARGB(), argb) << byte;
        EXPECT_EQ(color.alpha, static_cast<float>(byte) * Color::kByteStep);
    }
}

TEST(Color, ParseHexSetsTheComponentsItsLengthNames) {
    const Color start(0.25f, 0.5f, 0.75f, 0.125f);
    struct Case {
        const char* text;
        Color expected;
    };
    const Case cases[] = {
        {"0x80", {0.25f, 0.5f, 0.75f, 128 * Color::kByteStep}},
        {"FF0000", {1.0f, 0.0f, 0.0f, 0.125f}},
        {"0XFFFFFFFF", {1.0f, 1.0f, 1.0f, 1.0f}},
        {"0x80402010", Color::FromARGB(0x80402010u)},
        {"0xabcdef",
         Color(0xAB * Color::kByteStep, 0xCD * Color::kByteStep, 0xEF * Color::kByteStep, 0.125f)},
        // Other lengths change nothing.
        {"12345", start},
        {"0x", start},
        {"", start},
        {"0x123456789", start},
        {nullptr, start},
        // Digits are read up to the first non-digit.
        {"12G456", Color(0.0f, 0.0f, 0x12 * Color::kByteStep, 0.125f)},
        {"GG", {0.25f, 0.5f, 0.75f, 0.0f}},
    };
    for (const Case& c : cases) {
        Color color = start;
        color.ParseHex(c.text);
        EXPECT_EQ(color, c.expected) << (c.text != nullptr ? c.text : "(null)");
    }
}

}  // namespace
