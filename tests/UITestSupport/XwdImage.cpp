#include "UITestSupport/XwdImage.h"

#include <fstream>
#include <iterator>

namespace TestSupport {

bool ReadXwd(const std::string& path, XwdImage& image) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 100) {
        return false;
    }
    const auto field = [&](size_t index) {
        const uint8_t* p = bytes.data() + index * 4;
        return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
    };
    const uint32_t headerSize = field(0);
    const uint32_t byteOrder = field(7);
    const uint32_t bitsPerPixel = field(11);
    const uint32_t bytesPerLine = field(12);
    const uint32_t colors = field(19);
    image.width = static_cast<int32_t>(field(4));
    image.height = static_cast<int32_t>(field(5));
    const size_t start = headerSize + static_cast<size_t>(colors) * 12;
    const uint32_t stride = bitsPerPixel / 8;
    if ((stride != 3 && stride != 4) || bytesPerLine < static_cast<uint32_t>(image.width) * stride ||
        bytes.size() < start + static_cast<size_t>(bytesPerLine) * image.height) {
        return false;
    }
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            const uint8_t* p = bytes.data() + start + static_cast<size_t>(y) * bytesPerLine + x * stride;
            uint32_t value = 0;
            for (uint32_t i = 0; i < stride; ++i) {
                value |= uint32_t{p[byteOrder == 0 ? i : stride - 1 - i]} << (8 * i);
            }
            image.pixels[static_cast<size_t>(y) * image.width + x] = value | 0xFF000000u;
        }
    }
    return true;
}

}  // namespace TestSupport
