#pragma once

#include <cstdint>

namespace QV {

// A colour as four single-precision components, each nominally 0 to 1. Packed forms are
// 0xAARRGGBB with straight (not premultiplied) alpha.
struct Color {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;

    // One step of a colour byte; every byte-to-component conversion multiplies by it.
    static constexpr float kByteStep = 0.003921569f;

    Color() = default;
    Color(float red, float green, float blue, float alpha)
        : red(red), green(green), blue(blue), alpha(alpha) {}
    static Color FromARGB(uint32_t argb);

    bool operator==(const Color&) const = default;

    void SetARGB(uint32_t argb);
    // Each component times 255, rounded half away from zero and clamped to 0..255 (NaN gives 0).
    uint32_t ToARGB() const;
    // Hexadecimal text, "0x" or "0X" first or not: two digits set alpha only, six set red, green
    // and blue, eight set all four (0xAARRGGBB); any other length, or null, changes nothing.
    // Digits are read up to the first character that is not one; none read counts as 0.
    void ParseHex(const char* text);
};

}  // namespace QV
