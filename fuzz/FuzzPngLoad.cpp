#include <cstddef>
#include <cstdint>

#include "Platform/Graphics/ImageDecoder.h"

// Any bytes as a PNG image: either an image within the size limits whose every pixel can be
// read, and an Ok status, or no image and a failure status. Bad reads and leaks are left to the
// sanitizers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Platform::DecodedImage decoded = Platform::DecodeImage(data, size);
    if (static_cast<bool>(decoded.image) != (decoded.status == Platform::ImageStatus::Ok)) {
        __builtin_trap();
    }
    if (decoded.image) {
        const Platform::PixelImage& image = *decoded.image;
        if (!Platform::PixelImage::IsAllowedSize(image.GetWidth(), image.GetHeight())) {
            __builtin_trap();
        }
        uint32_t all = 0;
        for (int32_t y = 0; y < image.GetHeight(); ++y) {
            for (int32_t x = 0; x < image.GetWidth(); ++x) {
                all |= image.GetRow(y)[x];
            }
        }
        volatile uint32_t sink = all;
        (void)sink;
    }
    return 0;
}
