#include "RIZozivirod/Utilities/Graphics/Color.h"

#include <cmath>
#include <cstring>

namespace QV {

namespace {

uint32_t ComponentToByte(float component) {
    const float scaled = std::round(component * 255.0f);
    if (!(scaled > 0.0f)) {
        return 0;
    }
    return scaled >= 255.0f ? 255u : static_cast<uint32_t>(scaled);
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

Color Color::FromARGB(uint32_t argb) {
    Color color;
    color.SetARGB(argb);
    return color;
}

void Color::SetARGB(uint32_t argb) {
    alpha = static_cast<float>((argb >> 24) & 0xFF) * kByteStep;
    red = static_cast<float>((argb >> 16) & 0xFF) * kByteStep;
    green = static_cast<float>((argb >> 8) & 0xFF) * kByteStep;
    blue = static_cast<float>(argb & 0xFF) * kByteStep;
}

uint32_t Color::ToARGB() const {
    return ComponentToByte(alpha) << 24 | ComponentToByte(red) << 16 | ComponentToByte(green) << 8 |
           ComponentToByte(blue);
}

void Color::ParseHex(const char* text) {
    if (text == nullptr) {
        return;
    }
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text += 2;
    }
    const size_t length = std::strlen(text);
    if (length != 2 && length != 6 && length != 8) {
        return;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0) {
            break;
        }
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    if (length == 2) {
        alpha = static_cast<float>(value & 0xFF) * kByteStep;
        return;
    }
    const float keptAlpha = alpha;
    SetARGB(value);
    if (length == 6) {
        alpha = keptAlpha;
    }
}

}  // namespace QV
