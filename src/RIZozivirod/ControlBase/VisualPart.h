#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"
#include "RIZozivirod/Utilities/Graphics/Colorizer.h"
#include "RIZozivirod/Utilities/Graphics/ResizeType.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LRenderer;
class LVisualPartDescriptor;

// One drawable part of a skin: a bitmap (tinted when a colorizer applies), or a colour fill,
// with the way it fills a larger or smaller rectangle. Made and cached by its part descriptor;
// the cache's link counts as an internal reference, so a part nobody else holds goes. User-
// interface thread only.
//
// Skin data never makes drawing throw: a part left without pixels by a missing image or a
// colorizer that cannot be applied draws its colorizer's colour, or nothing.
class LVisualPart : public virtual LRefCountedObject {
public:
    static constexpr uint32_t kTransparent = 0x00FFFFFF;

    // With a bitmap the size is the bitmap's; a colorizer tints the bitmap (or the mask), or
    // fills a bitmap of the size unless it is a plain solid fill, which is filled when drawn.
    LVisualPart(const WString& name, const RCPtr<LBitmap>& bitmap, const PointT<int32_t>& size,
                ResizeType resizeType, const RCPtr<LColorizer>& colorizer, float alphaModifier,
                const RCPtr<LBitmap>& mask);
    ~LVisualPart() override;

    // Draws the part into (0, 0, size) at the renderer's origin. 0, or 1 when it has nothing to
    // draw with.
    virtual int32_t Draw(LRenderer& renderer, const PointT<float>& size);

    // 0xAARRGGBB under a point of the part drawn at destinationSize; 0x00FFFFFF outside it.
    uint32_t GetColorAtPoint(const PointT<float>& point, const PointT<float>& destinationSize) const;
    // 0xAARRGGBB at a point of the part's own size; 0x00FFFFFF outside it.
    uint32_t SampleColor(const PointT<int32_t>& point) const;

    // The descriptor whose cache holds this part: that link counts as an internal reference.
    void SetOwner(LVisualPartDescriptor* owner);
    // The owner is going: its cache no longer holds the part.
    void DetachOwner() {
        if (mOwner != nullptr) {
            mOwner = nullptr;
            AddInternalReferences(-1);
        }
    }
    // Drops the owner's cache once nothing else holds the part.
    int32_t ReleaseInternalReferences() override;

    const WString& GetName() const { return mName; }
    const RCPtr<LBitmap>& GetBitmap() const { return mBitmap; }
    const PointT<int32_t>& GetSize() const { return mSize; }
    ResizeType GetResizeType() const { return mResizeType; }
    const RCPtr<LColorizer>& GetColorizer() const { return mColorizer; }

private:
    uint32_t FillColor() const;

    WString mName;
    RCPtr<LBitmap> mBitmap;
    PointT<int32_t> mSize;
    ResizeType mResizeType;
    RCPtr<LColorizer> mColorizer;
    float mAlphaModifier;
    RCPtr<LBitmap> mMask;
    LVisualPartDescriptor* mOwner = nullptr;
};

}  // namespace QV
