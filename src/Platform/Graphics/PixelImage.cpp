#include "Platform/Graphics/PixelImage.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Platform {

PixelImage::PixelImage(int32_t width, int32_t height, std::unique_ptr<uint32_t[]> pixels)
    : mWidth(width), mHeight(height), mPixels(std::move(pixels)) {}

bool PixelImage::IsAllowedSize(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4 <= kMaxBytes;
}

std::unique_ptr<PixelImage> PixelImage::Create(int32_t width, int32_t height) {
    if (!IsAllowedSize(width, height)) {
        return nullptr;
    }
    std::unique_ptr<uint32_t[]> pixels(
        new (std::nothrow) uint32_t[static_cast<size_t>(width) * static_cast<size_t>(height)]);
    if (!pixels) {
        return nullptr;
    }
    return std::unique_ptr<PixelImage>(new (std::nothrow) PixelImage(width, height, std::move(pixels)));
}

std::unique_ptr<PixelImage> PixelImage::CreateFilled(int32_t width, int32_t height, uint32_t argb) {
    std::unique_ptr<PixelImage> image = Create(width, height);
    if (image) {
        std::fill_n(image->mPixels.get(), static_cast<size_t>(width) * static_cast<size_t>(height), argb);
    }
    return image;
}

std::unique_ptr<PixelImage> PixelImage::CopyArea(int32_t x, int32_t y, int32_t width, int32_t height) const {
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || width > mWidth - x || height > mHeight - y) {
        return nullptr;
    }
    std::unique_ptr<PixelImage> copy = Create(width, height);
    if (copy) {
        for (int32_t row = 0; row < height; ++row) {
            std::memcpy(copy->GetRow(row), GetRow(y + row) + x, static_cast<size_t>(width) * 4);
        }
    }
    return copy;
}

}  // namespace Platform
