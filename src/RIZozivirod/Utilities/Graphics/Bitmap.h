#pragma once

#include <cstdint>
#include <memory>

#include "Platform/Graphics/PixelImage.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Graphics/Color.h"
#include "RIZozivirod/Utilities/Graphics/Colorizer.h"
#include "RIZozivirod/Utilities/Graphics/PixelBuffer.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LBitmapData;

// A picture of a skin: an image loaded from a resource or a file, a made (filled) image, or an
// area of another bitmap's pixels (a sub-bitmap). Pixels are straight-alpha 0xAARRGGBB.
//
// Named bitmaps are shared through one process-wide map from key to bitmap, whose entries
// count as internal references: a named bitmap leaves the map, and goes, when its last outside
// reference does. A sub-bitmap keeps the bitmap that owns its pixels alive. Used on the
// user-interface thread only; the map has no lock.
class LBitmap : public virtual LRefCountedObject {
public:
    // The shared bitmap of a name ("::" names a resource of type "GDIPLUS", any other name a
    // file), loaded on first request; null when it cannot be loaded. Resource names of either
    // letter case share one bitmap; file paths are compared as they are.
    static RCPtr<LBitmap> GetBitmap(const WString& name);

    // Loads the image of the name; without one (missing or undecodable) the bitmap has no
    // pixels and an empty area.
    LBitmap(const WString& name, const WString& cacheKey);
    ~LBitmap() override;

    // A bitmap of the area (x, y, width, height) of this bitmap's area; a width or height of 0
    // or less means this whole area. The area is cut to the pixel store: what lies outside
    // it is left out, and a cut that leaves nothing gives a bitmap without pixels.
    RCPtr<LBitmap> CreateSubBitmap(int32_t x, int32_t y, int32_t width, int32_t height);
    // A new bitmap owning a copy of this bitmap's area.
    RCPtr<LBitmap> Clone() const;
    // The pixel store: this bitmap's own image, or that of the bitmap owning its pixels; null
    // without pixels.
    Platform::PixelImage* GetGdiplusBitmap() const;
    // The pixel (x, y) of this bitmap's area; all components 0 outside it.
    Color GetPixel(int32_t x, int32_t y) const;
    // The locked pixels of the bitmap owning the pixels (a sub-bitmap gives its owner's).
    RCPtr<LBitmapData> LockData();

    // Tints the bitmap's area in place. A solid colorizer blends each pixel's colour towards
    // its colour by its alpha times alphaModifier (alpha bytes kept, each channel clamped to
    // 0..255); a gradient raises the Domain Error of CreateGradientFilledBitmap. A null bitmap
    // or colorizer raises a Runtime Error.
    static void ApplyColorizer(const RCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                               float alphaModifier);
    // A new bitmap of the size filled by the colorizer (its colour with the alpha times
    // alphaModifier). A width or height of 0 or less, or a null colorizer, raises a Runtime
    // Error; a gradient the Domain Error of CreateGradientFilledBitmap.
    static RCPtr<LBitmap> CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                                const PointT<int32_t>& size);
    // A new bitmap of the size whose every pixel is the colour. A width or height of 0 or less
    // raises a Runtime Error; a size past the pixel store's limits gives a bitmap without pixels.
    static RCPtr<LBitmap> CreateFilledBitmap(const PointT<int32_t>& size, const Color& color);
    // Gradient fills are not available: always raises a Domain Error.
    static RCPtr<LBitmap> CreateGradientFilledBitmap(const PointT<int32_t>& size, const Color& color1,
                                                     const Color& color2, bool radial);
    // The pre-coloured bitmap of a visual part: a tinted copy of the bitmap, or else of the
    // mask, or else a colorized bitmap of the size. Both a bitmap and a mask raise a Domain
    // Error.
    static RCPtr<LBitmap> CreatePartBitmap(const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                           const PointT<int32_t>& size, const RCPtr<LBitmap>& bitmap,
                                           const RCPtr<LBitmap>& mask);

    // Leaves the named-bitmap map.
    int32_t ReleaseInternalReferences() override;

    // The part of the pixel store this bitmap shows.
    const RectT<int32_t>& GetArea() const { return mArea; }
    // The bitmap owning the pixels of a sub-bitmap; null for one that owns its own.
    const RCPtr<LBitmap>& GetParent() const { return mParent; }
    const WString& GetName() const { return mName; }
    const WString& GetCacheKey() const { return mCacheKey; }

    // The number of bitmaps alive in the process (leak checks).
    static int32_t GetLiveCount();

private:
    LBitmap();

    RectT<int32_t> mArea;
    RCPtr<LBitmap> mParent;
    WString mName;
    WString mCacheKey;
    std::unique_ptr<Platform::PixelImage> mImage;
};

// Pixels of a bitmap's area held for direct access; the bitmap stays alive while this exists.
// The pointers reach into the bitmap's pixel store itself, so writes show at once (a lock for
// reading only is not enforced).
class LBitmapData : public IPixelBuffer<uint32_t>, public virtual LRefCountedObject {
public:
    static constexpr int32_t kLockRead = 1;
    static constexpr int32_t kLockWrite = 2;
    static constexpr int32_t kLockReadWrite = 3;

    // Locks the bitmap's area of its pixel store. Another pixel buffer is not supported: a
    // non-null one raises a Domain Error.
    LBitmapData(const RCPtr<LBitmap>& bitmap, int32_t lockMode,
                const ConstRCPtr<LPixelBuffer<uint32_t>>& pixelBuffer);

    int32_t GetWidth() const override { return mWidth; }
    int32_t GetHeight() const override { return mHeight; }
    int32_t GetPitch() const override { return mPitch; }
    const uint32_t* GetPixelPointer(int32_t x, int32_t y) const override;
    uint32_t* GetPixelPointer(int32_t x, int32_t y) override;

    const RCPtr<LBitmap>& GetBitmap() const { return mBitmap; }
    int32_t GetLockMode() const { return mLockMode; }

private:
    RCPtr<LBitmap> mBitmap;
    int32_t mLockMode;
    int32_t mWidth = 0;
    int32_t mHeight = 0;
    int32_t mPitch = 0;
    // The area's top-left pixel; null for an empty area.
    uint32_t* mFirstPixel = nullptr;
};

}  // namespace QV
