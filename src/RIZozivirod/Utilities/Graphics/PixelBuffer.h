#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"

namespace QV {

// Access to the pixels of a rectangular buffer: rows of pixels of type T, the pitch in bytes
// from one row to the next. GetPixelPointer gives null for a pixel outside the buffer.
template <class T>
class IPixelBuffer {
public:
    virtual int32_t GetWidth() const = 0;
    virtual int32_t GetHeight() const = 0;
    virtual int32_t GetPitch() const = 0;
    virtual const T* GetPixelPointer(int32_t x, int32_t y) const = 0;
    virtual T* GetPixelPointer(int32_t x, int32_t y) = 0;

protected:
    ~IPixelBuffer() = default;
};

// A pixel buffer that owns its pixels, rows without padding.
template <class T>
class LPixelBuffer : public IPixelBuffer<T>, public virtual LRefCountedObject {
public:
    LPixelBuffer(int32_t width, int32_t height)
        : mWidth(width > 0 && height > 0 ? width : 0),
          mHeight(width > 0 && height > 0 ? height : 0),
          mPixels(static_cast<size_t>(mWidth) * static_cast<size_t>(mHeight)) {}

    int32_t GetWidth() const override { return mWidth; }
    int32_t GetHeight() const override { return mHeight; }
    int32_t GetPitch() const override { return mWidth * static_cast<int32_t>(sizeof(T)); }
    const T* GetPixelPointer(int32_t x, int32_t y) const override {
        return Inside(x, y) ? &mPixels[static_cast<size_t>(y) * static_cast<size_t>(mWidth) + x] : nullptr;
    }
    T* GetPixelPointer(int32_t x, int32_t y) override {
        return Inside(x, y) ? &mPixels[static_cast<size_t>(y) * static_cast<size_t>(mWidth) + x] : nullptr;
    }

private:
    bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < mWidth && y < mHeight; }

    int32_t mWidth;
    int32_t mHeight;
    std::vector<T> mPixels;
};

}  // namespace QV
