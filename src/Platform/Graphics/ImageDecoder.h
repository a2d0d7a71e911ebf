#pragma once

#include <cstddef>
#include <memory>

#include "Platform/Graphics/PixelImage.h"

namespace Platform {

enum class ImageStatus {
    Ok,
    FileNotFound,
    // The bytes are not of a known image format.
    UnknownFormat,
    // The image is larger than a pixel store may be.
    TooLarge,
    // Truncated or damaged data.
    Corrupt,
    OutOfMemory,
};

// An image is present exactly when the status is Ok: a failure never leaves a partial picture.
struct DecodedImage {
    std::unique_ptr<PixelImage> image;
    ImageStatus status = ImageStatus::Corrupt;
};

// Decodes PNG bytes into straight 0xAARRGGBB pixels: palette and grey images become colour,
// 16-bit samples are scaled to 8 bits, transparency chunks become alpha, interlaced images are
// put together; gamma and colour profiles are ignored. Any byte sequence is safe to pass.
DecodedImage DecodeImage(const void* bytes, size_t length);
// The same from a file (path in UTF-8), read as it is decoded.
DecodedImage DecodeImageFile(const char* path);

}  // namespace Platform
