#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

// The pixels of an xwd dump of a 24-bit TrueColor window or screen, as 0xAARRGGBB.
struct XwdImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// False for a file that is not such a dump or is cut short.
bool ReadXwd(const std::string& path, XwdImage& image);

}  // namespace TestSupport
