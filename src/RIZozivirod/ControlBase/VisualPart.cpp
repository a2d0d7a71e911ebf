#include "RIZozivirod/ControlBase/VisualPart.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "RIZozivirod/ControlBase/LookDescriptor.h"
#include "RIZozivirod/Renderer/Renderer.h"

namespace QV {

namespace {

constexpr float kPartLimit = 8388608.0f;  // 2^23: beyond it floats have no fraction left

float ClampPartValue(float value) {
    return std::isnan(value) ? 0.0f : std::clamp(value, -kPartLimit, kPartLimit);
}

// Half away from zero, saturating.
int32_t Round(float value) {
    return RoundToInt32(static_cast<double>(value));
}

// Rounded down, with a relative tolerance of 2^-23 so that a product that should be whole and
// came out a hair below still counts as that whole number.
double FloorWithTolerance(double value) {
    return std::floor(value + std::fabs(value) * (1.0 / 8388608.0));
}

}  // namespace

LVisualPart::LVisualPart(const WString& name, const RCPtr<LBitmap>& bitmap, const PointT<int32_t>& size,
                         ResizeType resizeType, const RCPtr<LColorizer>& colorizer, float alphaModifier,
                         const RCPtr<LBitmap>& mask)
    : mName(name),
      mBitmap(bitmap),
      mSize(size),
      mResizeType(resizeType),
      mColorizer(colorizer),
      mAlphaModifier(alphaModifier),
      mMask(mask) {
    if (mBitmap) {
        mSize = {mBitmap->GetArea().width, mBitmap->GetArea().height};
    }
    if (mColorizer && (mBitmap || mMask || mColorizer->type != LColorizer::kSolidFill)) {
        try {
            RCPtr<LBitmap> tinted =
                LBitmap::CreatePartBitmap(mColorizer, mAlphaModifier, mSize, mBitmap, mMask);
            if (tinted && tinted->GetGdiplusBitmap() != nullptr) {
                mBitmap = tinted;
            }
        } catch (const std::exception&) {
            // A colorizer that cannot be applied (a gradient, an image and a mask together, no
            // size): the part keeps its untinted picture, or is filled with the colorizer's colour.
        }
    }
}

LVisualPart::~LVisualPart() = default;

uint32_t LVisualPart::FillColor() const {
    Color color = mColorizer->color;
    color.alpha *= mAlphaModifier;
    return color.ToARGB();
}

int32_t LVisualPart::Draw(LRenderer& renderer, const PointT<float>& size) {
    const int32_t w = Round(size.x);
    const int32_t h = Round(size.y);
    if (mBitmap) {
        renderer.DrawBitmap(mBitmap, {0, 0, w, h}, mResizeType);
        return S_OK;
    }
    if (!mColorizer) {
        return S_FALSE;  // a picture that could not be loaded, and no colour to stand in for it
    }
    Color color = mColorizer->color;
    color.alpha *= mAlphaModifier;
    if (!(color.alpha > 0.0f)) {
        return S_OK;
    }
    RectT<int32_t> rect{0, 0, w, h};
    if (mResizeType == ResizeType::Center) {
        rect = {(w - mSize.x) / 2, (h - mSize.y) / 2, mSize.x, mSize.y};
    }
    renderer.FillRect(rect, color, true);
    return S_OK;
}

uint32_t LVisualPart::SampleColor(const PointT<int32_t>& point) const {
    if (point.x < 0 || point.y < 0 || point.x >= mSize.x || point.y >= mSize.y) {
        return kTransparent;
    }
    if (mBitmap) {
        return mBitmap->GetPixel(point.x, point.y).ToARGB();
    }
    if (!mColorizer) {
        return kTransparent;
    }
    if (mColorizer->type == LColorizer::kLinearGradient) {
        QV_THROW_IN(std::runtime_error, "QV::LVisualPart::GetColorAtPoint");
    }
    if (mColorizer->type != LColorizer::kSolidFill) {
        QV_THROW_IN(std::runtime_error, "QV::LVisualPart::GetColorAtPoint");
    }
    return FillColor();
}

uint32_t LVisualPart::GetColorAtPoint(const PointT<float>& point,
                                      const PointT<float>& destinationSize) const {
    const float width = ClampPartValue(static_cast<float>(mSize.x));
    const float height = ClampPartValue(static_cast<float>(mSize.y));
    constexpr float kEpsilon = 1.1920929e-6f;
    if (std::fabs(destinationSize.x - width) <= kEpsilon &&
        std::fabs(destinationSize.y - height) <= kEpsilon) {
        return SampleColor({Round(point.x), Round(point.y)});
    }
    if (!(point.x >= 0.0f && point.y >= 0.0f && point.x < destinationSize.x && point.y < destinationSize.y)) {
        return kTransparent;
    }
    switch (mResizeType) {
        case ResizeType::Tile: {
            const int64_t tileWidth = static_cast<int64_t>(width + 0.5f);
            const int64_t tileHeight = static_cast<int64_t>(height + 0.5f);
            // A part less than half a pixel wide or high has no tile to repeat.
            if (tileWidth <= 0 || tileHeight <= 0) {
                return kTransparent;
            }
            const int64_t x = static_cast<int64_t>(point.x + 0.5f) % tileWidth;
            const int64_t y = static_cast<int64_t>(point.y + 0.5f) % tileHeight;
            return SampleColor({static_cast<int32_t>(x), static_cast<int32_t>(y)});
        }
        case ResizeType::Center:
            return SampleColor({Round(point.x - (destinationSize.x - width) * 0.5f),
                                Round(point.y - (destinationSize.y - height) * 0.5f)});
        case ResizeType::Stretch: {
            const float u = width / destinationSize.x;
            const float v = height / destinationSize.y;
            if (destinationSize.x >= width && destinationSize.y >= height) {
                return SampleColor({static_cast<int32_t>(u * point.x), static_cast<int32_t>(v * point.y)});
            }
            // Reduced: the destination pixel covers a block of part pixels; the first one that is
            // not transparent, column by column, answers.
            const double left = static_cast<double>(u) * point.x;
            const double top = static_cast<double>(v) * point.y;
            double x0 = FloorWithTolerance(left);
            double x1 = FloorWithTolerance(left + std::max(u, 1.0f));
            double y0 = FloorWithTolerance(top);
            double y1 = FloorWithTolerance(top + std::max(v, 1.0f));
            if (x1 < x0) {
                std::swap(x0, x1);
            }
            if (y1 < y0) {
                std::swap(y0, y1);
            }
            // Only the block's pixels inside the part can answer anything but transparent.
            const int32_t first = static_cast<int32_t>(std::max(x0, 0.0));
            const int32_t last = static_cast<int32_t>(std::min(x1, static_cast<double>(mSize.x)));
            const int32_t firstRow = static_cast<int32_t>(std::max(y0, 0.0));
            const int32_t lastRow = static_cast<int32_t>(std::min(y1, static_cast<double>(mSize.y)));
            uint32_t sample = kTransparent;
            for (int32_t x = first; x < last; ++x) {
                for (int32_t y = firstRow; y < lastRow; ++y) {
                    sample = SampleColor({x, y});
                    if ((sample >> 24) != 0) {
                        return sample;
                    }
                }
            }
            return sample;
        }
    }
    QV_THROW_IN(std::runtime_error, "QV::LVisualPart::GetColorAtPoint");
}

void LVisualPart::SetOwner(LVisualPartDescriptor* owner) {
    if (mOwner == nullptr && owner != nullptr) {
        AddInternalReferences(1);
    }
    mOwner = owner;
}

int32_t LVisualPart::ReleaseInternalReferences() {
    if (GetInternalRefCount() == 0) {
        return S_FALSE;
    }
    if (mOwner == nullptr) {
        return S_OK;
    }
    LVisualPartDescriptor* owner = mOwner;
    mOwner = nullptr;
    // Uncounted before the cache lets go, so that release is not taken for the last outside one.
    AddInternalReferences(-1);
    owner->mCachedPart = nullptr;
    return S_OK;
}

RCPtr<LBitmap> LVisualPartDescriptor::LoadPartBitmap(const BitmapReference& reference) {
    RCPtr<LBitmap> bitmap = LBitmap::GetBitmap(reference.path);
    if (!bitmap) {
        return {};
    }
    return bitmap->CreateSubBitmap(reference.x, reference.y, reference.width, reference.height);
}

RCPtr<LVisualPart> LVisualPartDescriptor::GetVisualPart() {
    if (mCachedPart) {
        return mCachedPart;
    }
    RCPtr<LBitmap> maskBitmap;
    if (!mask.path.IsEmpty()) {
        maskBitmap = LoadPartBitmap(mask);
    }
    RCPtr<LBitmap> imageBitmap;
    if (!image.path.IsEmpty()) {
        imageBitmap = LoadPartBitmap(image);
    }
    if (!imageBitmap && !colorizer) {
        return {};
    }
    RCPtr<LVisualPart> part(new LVisualPart(name, imageBitmap, {width, height},
                                            static_cast<ResizeType>(resizeType), colorizer, alphaModifier,
                                            maskBitmap));
    mCachedPart = part;
    part->SetOwner(this);
    return part;
}

RCPtr<LVisualPart> LDockedPart::GetVisualPart() const {
    return part ? part->GetVisualPart() : RCPtr<LVisualPart>();
}

}  // namespace QV
