#include "RIZozivirod/Utilities/Graphics/Bitmap.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <utility>

#include "Platform/Graphics/ImageDecoder.h"
#include "Platform/Resources/ModuleResources.h"
#include "RIZozivirod/Utilities/Storage/File.h"

namespace QV {

namespace {

std::atomic<int32_t> sLiveCount{0};

// Made on first use and never destroyed; its entries are internal references of the bitmaps.
std::map<WString, RCPtr<LBitmap>>& GetNamedBitmaps() {
    static auto* map = new std::map<WString, RCPtr<LBitmap>>;
    return *map;
}

// One channel blended towards target: round((byte / 255 x keep + target) x 255), half up, cut
// to the byte range (a modifier above 1 makes keep negative and target large).
uint32_t TintChannel(uint32_t byte, float keep, float target) {
    const float value = (static_cast<float>(byte) / 255.0f * keep + target) * 255.0f + 0.5f;
    if (!(value > 0.0f)) {
        return 0;
    }
    return value >= 255.0f ? 255u : static_cast<uint32_t>(value);
}

}  // namespace

// ---- bitmap ----

LBitmap::LBitmap() {
    ++sLiveCount;
}

LBitmap::LBitmap(const WString& name, const WString& cacheKey) : mName(name), mCacheKey(cacheKey) {
    ++sLiveCount;
    Platform::DecodedImage decoded;
    if (Platform::IsResourceReference(name)) {
        const Platform::ModuleResource resource = Platform::FindModuleResource(
            WString(Platform::kImageResourceType), Platform::ResourceNameFromReference(name));
        if (resource) {
            decoded = Platform::DecodeImage(resource.bytes, resource.length);
        }
    } else {
        decoded = Platform::DecodeImageFile(name.ToUTF8().GetString());
    }
    if (decoded.image) {
        mImage = std::move(decoded.image);
        mArea = {0, 0, mImage->GetWidth(), mImage->GetHeight()};
    }
}

LBitmap::~LBitmap() {
    --sLiveCount;
}

int32_t LBitmap::GetLiveCount() {
    return sLiveCount.load();
}

RCPtr<LBitmap> LBitmap::GetBitmap(const WString& name) {
    // Resource names do not depend on letter case; file names do here.
    const WString key = Platform::IsResourceReference(name) ? name.ToUpper() : File::GetLongPath(name);
    auto& named = GetNamedBitmaps();
    const auto found = named.find(key);
    if (found != named.end()) {
        return found->second;
    }
    RCPtr<LBitmap> bitmap(new LBitmap(name, key));
    if (!bitmap->mImage && !bitmap->mParent) {
        return nullptr;
    }
    named.emplace(key, bitmap);
    bitmap->AddInternalReferences(1);
    return bitmap;
}

int32_t LBitmap::ReleaseInternalReferences() {
    if (!mCacheKey.IsEmpty()) {
        auto& named = GetNamedBitmaps();
        const auto found = named.find(mCacheKey);
        if (found != named.end() && found->second.Get() == this) {
            // Uncounted before the map lets go, so that release is not taken for the last
            // outside one.
            AddInternalReferences(-1);
            named.erase(found);
        }
    }
    return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
}

RCPtr<LBitmap> LBitmap::CreateSubBitmap(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) {
        x = 0;
        y = 0;
        width = mArea.width;
        height = mArea.height;
    }
    RCPtr<LBitmap> sub(new LBitmap());
    sub->mParent = mParent ? mParent : RCPtr<LBitmap>(this);
    // Skin data may name any area: keep the part that lies in the pixel store.
    const Platform::PixelImage* store = GetGdiplusBitmap();
    if (store != nullptr) {
        const int64_t left = std::max<int64_t>(int64_t{mArea.x} + x, 0);
        const int64_t top = std::max<int64_t>(int64_t{mArea.y} + y, 0);
        const int64_t right = std::min<int64_t>(int64_t{mArea.x} + x + width, store->GetWidth());
        const int64_t bottom = std::min<int64_t>(int64_t{mArea.y} + y + height, store->GetHeight());
        if (right > left && bottom > top) {
            sub->mArea = {static_cast<int32_t>(left), static_cast<int32_t>(top),
                          static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
        }
    }
    return sub;
}

RCPtr<LBitmap> LBitmap::Clone() const {
    RCPtr<LBitmap> clone(new LBitmap());
    const Platform::PixelImage* store = GetGdiplusBitmap();
    if (store != nullptr) {
        clone->mImage = store->CopyArea(mArea.x, mArea.y, mArea.width, mArea.height);
        if (clone->mImage) {
            clone->mArea = {0, 0, mArea.width, mArea.height};
        }
    }
    return clone;
}

Platform::PixelImage* LBitmap::GetGdiplusBitmap() const {
    return mImage ? mImage.get() : (mParent ? mParent->mImage.get() : nullptr);
}

Color LBitmap::GetPixel(int32_t x, int32_t y) const {
    const Platform::PixelImage* store = GetGdiplusBitmap();
    if (store == nullptr || x < 0 || y < 0 || x >= mArea.width || y >= mArea.height) {
        return Color();
    }
    return Color::FromARGB(store->GetRow(mArea.y + y)[mArea.x + x]);
}

RCPtr<LBitmapData> LBitmap::LockData() {
    if (mParent) {
        return mParent->LockData();
    }
    return RCPtr<LBitmapData>(new LBitmapData(RCPtr<LBitmap>(this), LBitmapData::kLockRead, nullptr));
}

void LBitmap::ApplyColorizer(const RCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                             float alphaModifier) {
    if (!bitmap || !colorizer) {
        QV_THROW(std::runtime_error);
    }
    if (!colorizer->IsSolid()) {
        // Gradient fills are not available: making the gradient layer raises the Domain Error
        // of CreateGradientFilledBitmap, and nothing is drawn over the pixels.
        CreateColorizedBitmap(colorizer, alphaModifier, {bitmap->mArea.width, bitmap->mArea.height});
        return;
    }
    const Color& color = colorizer->color;
    const float c = color.alpha * alphaModifier;
    const float keep = 1.0f - c;
    const float red = color.red * c;
    const float green = color.green * c;
    const float blue = color.blue * c;
    LBitmapData data(bitmap, LBitmapData::kLockReadWrite, nullptr);
    for (int32_t y = 0; y < data.GetHeight(); ++y) {
        uint32_t* pixel = data.GetPixelPointer(0, y);
        for (int32_t x = 0; x < data.GetWidth(); ++x, ++pixel) {
            const uint32_t argb = *pixel;
            *pixel = (argb & 0xFF000000u) | TintChannel((argb >> 16) & 0xFF, keep, red) << 16 |
                     TintChannel((argb >> 8) & 0xFF, keep, green) << 8 | TintChannel(argb & 0xFF, keep, blue);
        }
    }
}

RCPtr<LBitmap> LBitmap::CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                              const PointT<int32_t>& size) {
    if (size.x <= 0 || size.y <= 0 || !colorizer) {
        QV_THROW(std::runtime_error);
    }
    if (!colorizer->IsSolid()) {
        return CreateGradientFilledBitmap(size, colorizer->color, colorizer->endColor,
                                          colorizer->type == LColorizer::kRadialGradient);
    }
    Color fill = colorizer->color;
    fill.alpha *= alphaModifier;
    return CreateFilledBitmap(size, fill);
}

RCPtr<LBitmap> LBitmap::CreateFilledBitmap(const PointT<int32_t>& size, const Color& color) {
    if (size.x <= 0 || size.y <= 0) {
        QV_THROW(std::runtime_error);
    }
    RCPtr<LBitmap> bitmap(new LBitmap());
    bitmap->mImage = Platform::PixelImage::CreateFilled(size.x, size.y, color.ToARGB());
    if (bitmap->mImage) {
        bitmap->mArea = {0, 0, size.x, size.y};
    }
    return bitmap;
}

RCPtr<LBitmap> LBitmap::CreateGradientFilledBitmap(const PointT<int32_t>&, const Color&, const Color&, bool) {
    QV_THROW(std::domain_error);
}

RCPtr<LBitmap> LBitmap::CreatePartBitmap(const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                         const PointT<int32_t>& size, const RCPtr<LBitmap>& bitmap,
                                         const RCPtr<LBitmap>& mask) {
    if (bitmap && mask) {
        QV_THROW_IN(std::domain_error, "QV::LBitmap::ApplyColorizer");
    }
    if (bitmap || mask) {
        RCPtr<LBitmap> copy = (bitmap ? bitmap : mask)->Clone();
        ApplyColorizer(copy, colorizer, alphaModifier);
        return copy;
    }
    return CreateColorizedBitmap(colorizer, alphaModifier, size);
}

// ---- locked data ----

LBitmapData::LBitmapData(const RCPtr<LBitmap>& bitmap, int32_t lockMode,
                         const ConstRCPtr<LPixelBuffer<uint32_t>>& pixelBuffer)
    : mBitmap(bitmap), mLockMode(lockMode) {
    if (pixelBuffer) {
        QV_THROW(std::domain_error);
    }
    Platform::PixelImage* store = bitmap ? bitmap->GetGdiplusBitmap() : nullptr;
    if (store == nullptr) {
        return;
    }
    const RectT<int32_t>& area = bitmap->GetArea();
    // Areas are cut to the store when made; a lock never reaches past it either.
    if (area.x < 0 || area.y < 0 || area.width <= 0 || area.height <= 0 ||
        area.width > store->GetWidth() - area.x || area.height > store->GetHeight() - area.y) {
        return;
    }
    mWidth = area.width;
    mHeight = area.height;
    mPitch = store->GetPitch();
    mFirstPixel = store->GetRow(area.y) + area.x;
}

const uint32_t* LBitmapData::GetPixelPointer(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) {
        return nullptr;
    }
    return mFirstPixel + static_cast<ptrdiff_t>(y) * (mPitch / 4) + x;
}

uint32_t* LBitmapData::GetPixelPointer(int32_t x, int32_t y) {
    return const_cast<uint32_t*>(std::as_const(*this).GetPixelPointer(x, y));
}

}  // namespace QV
