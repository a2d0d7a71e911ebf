#pragma once

#include <cstdint>
#include <memory>

namespace Platform {

// The pixel store of a bitmap: straight-alpha (not premultiplied) 0xAARRGGBB pixels in rows,
// the top row first, rows without padding. Its size is bounded, so no size read from data
// can ask for a giant block: a size past the limits makes no image.
class PixelImage {
public:
    static constexpr int32_t kMaxSide = 16384;
    static constexpr uint64_t kMaxBytes = uint64_t{256} << 20;

    // True for a positive size within both limits.
    static bool IsAllowedSize(int64_t width, int64_t height);
    // An image whose pixels are not set yet; null for a size that is not allowed, or when
    // memory is short.
    static std::unique_ptr<PixelImage> Create(int32_t width, int32_t height);
    // Every pixel set to argb; null as for Create.
    static std::unique_ptr<PixelImage> CreateFilled(int32_t width, int32_t height, uint32_t argb);

    PixelImage(const PixelImage&) = delete;
    PixelImage& operator=(const PixelImage&) = delete;

    // A new image holding a copy of the area; null when the area is empty or does not lie
    // inside this image.
    std::unique_ptr<PixelImage> CopyArea(int32_t x, int32_t y, int32_t width, int32_t height) const;

    int32_t GetWidth() const { return mWidth; }
    int32_t GetHeight() const { return mHeight; }
    // Bytes from one row to the next.
    int32_t GetPitch() const { return mWidth * 4; }
    uint32_t* GetRow(int32_t y) {
        return mPixels.get() + static_cast<size_t>(y) * static_cast<size_t>(mWidth);
    }
    const uint32_t* GetRow(int32_t y) const {
        return mPixels.get() + static_cast<size_t>(y) * static_cast<size_t>(mWidth);
    }

private:
    PixelImage(int32_t width, int32_t height, std::unique_ptr<uint32_t[]> pixels);

    int32_t mWidth;
    int32_t mHeight;
    std::unique_ptr<uint32_t[]> mPixels;
};

}  // namespace Platform
