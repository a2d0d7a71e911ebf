#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/Look.h"
#include "RIZozivirod/ControlBase/VisualPart.h"
#include "RIZozivirod/Renderer/AutoClip.h"
#include "RIZozivirod/Renderer/RenderState.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"

namespace QV {

// The looks of a control, indexed like its skin's look list (an entry may be empty), and their
// weights. The current look (the first one present with a weight) is asked for on every layout
// and invalidation walk, so it is kept until a look or a weight changes.
struct LControl::LookSet {
    static constexpr int32_t kCurrentUnknown = -2;
    RCPtrArray<LLook, 1, 0> looks;
    Array<float> weights;
    int32_t current = kCurrentUnknown;
};

void LControl::LookSetDeleter::operator()(LookSet* looks) const {
    delete looks;
}

void LControl::RebuildLooks(const RCPtr<LControlDescriptor>& descriptor) {
    if (!mLooks) {
        mLooks.reset(new LookSet());
    }
    mLooks->looks.SetCount(0);
    mLooks->current = LookSet::kCurrentUnknown;
    const RCPtr<LSkinDescriptor>& skin = descriptor->GetSkin();
    if (!skin || !skin->lookList) {
        return;
    }
    const bool wrap = mLayout && mLayout->xTextOverflow == TextOverflow::kWrap;
    const LLookList& list = *skin->lookList;
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        const RCPtr<LLookDescriptor> lookDescriptor = list.GetAt(i);
        AddLook(lookDescriptor ? LLook::Create(lookDescriptor, wrap) : RCPtr<LLook>());
    }
    GiveLooksSize();
}

void LControl::GiveLooksSize() {
    if (!mLooks) {
        return;
    }
    const PointT<int32_t> size{RoundToInt32(mFrame.width), RoundToInt32(mFrame.height)};
    for (uint32_t i = 0; i < mLooks->looks.GetCount(); ++i) {
        if (const RCPtr<LLook>& look = mLooks->looks.GetAt(i)) {
            look->SetSize(size);
        }
    }
}

void LControl::GiveLooksText() {
    if (!mLooks) {
        return;
    }
    for (uint32_t i = mLooks->looks.GetCount(); i-- > 0;) {
        if (const RCPtr<LLook>& look = mLooks->looks.GetAt(i)) {
            look->SetText(mText);
        }
    }
}

void LControl::GiveLooksFont(const RCPtr<LFont>& font) {
    if (!mLooks || !font) {
        return;
    }
    for (uint32_t i = mLooks->looks.GetCount(); i-- > 0;) {
        if (const RCPtr<LLook>& look = mLooks->looks.GetAt(i)) {
            look->SetFont(font);
        }
    }
}

uint32_t LControl::GetLookCount() const {
    return mLooks ? mLooks->looks.GetCount() : 0;
}

LLook* LControl::GetLook(int32_t index) const {
    const uint32_t count = GetLookCount();
    if (index >= 0 && static_cast<uint32_t>(index) < count) {
        return mLooks->looks.GetAt(static_cast<uint32_t>(index)).Get();
    }
    const int32_t current = GetCurrentLookIndex();
    if (current >= 0) {
        return mLooks->looks.GetAt(static_cast<uint32_t>(current)).Get();
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (mLooks->looks.GetAt(i)) {
            return mLooks->looks.GetAt(i).Get();
        }
    }
    return nullptr;
}

float LControl::GetLookWeight(int32_t index) const {
    if (!mLooks || index < 0 || static_cast<uint32_t>(index) >= mLooks->weights.GetCount()) {
        return 0.0f;
    }
    return mLooks->weights.GetAt(static_cast<uint32_t>(index));
}

int32_t LControl::GetCurrentLookIndex() const {
    if (!mLooks) {
        return -1;
    }
    if (mLooks->current != LookSet::kCurrentUnknown) {
        return mLooks->current;
    }
    int32_t current = -1;
    const uint32_t count = mLooks->looks.GetCount();
    for (uint32_t i = 0; i < count; ++i) {
        if (mLooks->looks.GetAt(i) && GetLookWeight(static_cast<int32_t>(i)) > 0.0f) {
            current = static_cast<int32_t>(i);
            break;
        }
    }
    mLooks->current = current;
    return current;
}

int32_t LControl::AddLook(const RCPtr<LLook>& look) {
    if (!mLooks) {
        mLooks.reset(new LookSet());
    }
    const int32_t result = mLooks->looks.Add(look);
    if (mLooks->weights.GetCount() < mLooks->looks.GetCount()) {
        mLooks->weights.Add(0.0f);
    }
    mLooks->current = LookSet::kCurrentUnknown;
    if (look) {
        look->SetSize({RoundToInt32(mFrame.width), RoundToInt32(mFrame.height)});
        if (mFont) {
            look->SetFont(mFont);
        }
        look->SetText(mText);
    }
    return result;
}

int32_t LControl::SetLookWeight(int32_t index, float weight, bool exclusive) {
    if (!mLooks || index < 0 || static_cast<uint32_t>(index) >= mLooks->weights.GetCount()) {
        return E_INVALIDARG;
    }
    Array<float>& weights = mLooks->weights;
    bool changed = false;
    if (weight >= 0.0f && weight <= 1.0f && weights.GetAt(static_cast<uint32_t>(index)) != weight) {
        weights.GetAt(static_cast<uint32_t>(index)) = weight;
        changed = true;
    }
    if (exclusive) {
        for (uint32_t i = 0; i < weights.GetCount(); ++i) {
            if (i != static_cast<uint32_t>(index) && weights.GetAt(i) != 0.0f) {
                weights.GetAt(i) = 0.0f;
                changed = true;
            }
        }
    }
    if (changed) {
        mLooks->current = LookSet::kCurrentUnknown;
        InvalidateRect({0, 0, mFrame.width, mFrame.height}, ClipsToParent());
    }
    return S_OK;
}

int32_t LControl::SelectLook(int32_t index) {
    return SetLookWeight(index, 1.0f, true);
}

int32_t LControl::SetLookDescriptor(const RCPtr<LLookDescriptor>& descriptor, int32_t index) {
    if (!descriptor) {
        return E_INVALIDARG;
    }
    if (index < 0 || static_cast<uint32_t>(index) >= GetLookCount() ||
        !mLooks->looks.GetAt(static_cast<uint32_t>(index))) {
        return E_FAIL;
    }
    LLook& look = *mLooks->looks.GetAt(static_cast<uint32_t>(index));
    look.Init(descriptor, mLayout && mLayout->xTextOverflow == TextOverflow::kWrap);
    look.SetSize({RoundToInt32(mFrame.width), RoundToInt32(mFrame.height)});
    return S_OK;
}

int32_t LControl::SetLookImage(const RCPtr<LBitmap>& bitmap, int32_t resizeType, int32_t index,
                               uint8_t flag) {
    const bool exists = index >= 0 && static_cast<uint32_t>(index) < GetLookCount() &&
                        mLooks->looks.GetAt(static_cast<uint32_t>(index));
    int32_t result = E_FAIL;
    bool changed = false;
    if (exists) {
        LLook& look = *mLooks->looks.GetAt(static_cast<uint32_t>(index));
        if (bitmap) {
            look.SetImagePart(RCPtr<LVisualPart>(new LVisualPart(
                WString(), bitmap, {}, static_cast<ResizeType>(resizeType), nullptr, 1.0f, nullptr)));
            look.SetImageOnly(flag != 0);
            changed = true;
            result = S_OK;
        } else if (look.GetImagePart()) {
            look.SetImagePart(nullptr);
            changed = true;
            result = S_OK;
        } else {
            result = 1;
        }
    }
    if ((changed || !exists) && index == GetCurrentLookIndex()) {
        InvalidateRect({0, 0, mFrame.width, mFrame.height}, ClipsToParent());
    }
    return result;
}

int32_t LControl::SetLookRegion(int32_t index, const RectRegion& region) {
    if (index < 0 || static_cast<uint32_t>(index) >= GetLookCount() ||
        !mLooks->looks.GetAt(static_cast<uint32_t>(index))) {
        return E_INVALIDARG;
    }
    mLooks->looks.GetAt(static_cast<uint32_t>(index))->GetPaintRegion() = region;
    InvalidateRect({0, 0, mFrame.width, mFrame.height}, ClipsToParent());
    return S_OK;
}

int32_t LControl::SetLookRegionExcluding(int32_t index, int32_t excluded) {
    const uint32_t count = GetLookCount();
    if (index < 0 || excluded < 0 || static_cast<uint32_t>(index) >= count ||
        static_cast<uint32_t>(excluded) >= count || !mLooks->looks.GetAt(static_cast<uint32_t>(index)) ||
        !mLooks->looks.GetAt(static_cast<uint32_t>(excluded))) {
        return E_INVALIDARG;
    }
    RectRegion region;
    region.AddRect(0, 0, static_cast<int32_t>(std::floor(mFrame.width + 0.5)),
                   static_cast<int32_t>(std::floor(mFrame.height + 0.5)));
    region.SubtractRegion(mLooks->looks.GetAt(static_cast<uint32_t>(excluded))->GetPaintRegion());
    mLooks->looks.GetAt(static_cast<uint32_t>(index))->GetPaintRegion() = region;
    InvalidateRect({0, 0, mFrame.width, mFrame.height}, ClipsToParent());
    return S_OK;
}

void LControl::ClearLookRegions() {
    for (uint32_t i = GetLookCount(); i-- > 0;) {
        ClearLookRegion(static_cast<int32_t>(i));
    }
}

void LControl::ClearLookRegion(int32_t index) {
    if (index >= 0 && static_cast<uint32_t>(index) < GetLookCount() &&
        mLooks->looks.GetAt(static_cast<uint32_t>(index))) {
        mLooks->looks.GetAt(static_cast<uint32_t>(index))->GetPaintRegion().Clear();
    }
}

uint32_t LControl::GetLookColorAt(const PointT<int32_t>& point, int32_t index) {
    LLook* look = GetLook(index);
    return look != nullptr ? look->GetPixelAt(point) : 0x00FFFFFFu;
}

bool LControl::IsTransparentAt(const PointT<int32_t>& point) {
    const uint32_t count = GetLookCount();
    for (uint32_t i = 0; i < count; ++i) {
        if (GetLookWeight(static_cast<int32_t>(i)) > 0.0f &&
            (GetLookColorAt(point, static_cast<int32_t>(i)) & 0xFF000000u) != 0) {
            return false;
        }
    }
    return true;
}

RectT<double> LControl::GetClientRect(int32_t lookIndex) {
    LLook* look = GetLook(lookIndex);
    if (look == nullptr) {
        return {0, 0, mFrame.width, mFrame.height};
    }
    constexpr double kLimit = 4503599627370496.0;
    const RectT<double> client = look->GetClientRect().ToDouble();
    return {std::clamp(client.x, -kLimit, kLimit), std::clamp(client.y, -kLimit, kLimit),
            std::clamp(client.width, -kLimit, kLimit), std::clamp(client.height, -kLimit, kLimit)};
}

bool LControl::IsTextClipped() const {
    LLook* look = GetLook(-1);
    if (look == nullptr) {
        return false;
    }
    double available = 0.0;
    const RCPtr<LLookDescriptor>& descriptor = look->GetDescriptor();
    if (descriptor && descriptor->hasTextProperties) {
        const LLookDescriptor::TextProperties& text = descriptor->text;
        available = (text.rightFactor * mFrame.width + text.rightOffset) -
                    (text.leftFactor * mFrame.width + text.leftOffset);
    }
    const RCPtr<LFontText>& block = look->GetTextBlock();
    if (!block) {
        return !mText.IsEmpty();
    }
    if (mText.IsEmpty()) {
        return false;
    }
    block->Layout();
    const double needed = block->GetLineRect(0).width;
    return available < needed;
}

void LControl::PaintLooks(const RCPtr<LRenderer>& renderer, const RectRegion& region, uint32_t lookCount,
                          int32_t phase, RCPtrArray<LControl, 1, 0>* unclipped) {
    for (uint32_t i = 0; i < lookCount; ++i) {
        const RCPtr<LLook>& look = mLooks->looks.GetAt(i);
        const float weight = GetLookWeight(static_cast<int32_t>(i));
        if (!look || !(weight > 0.0f)) {
            continue;
        }
        CAutoClip state(renderer);
        CurrentRenderState(*renderer).opacity *= weight;
        switch (phase) {
            case 0:
                look->DrawClientArea(*renderer, region);
                break;
            case 1:
                look->DrawNonClientParts(*renderer, region);
                break;
            default:
                look->DrawLabelText(*renderer, region, mTextFollowsScroll ? mScrollOffset : PointT<double>{});
                if (mChildren.GetCount() != 0 && unclipped != nullptr) {
                    PaintChildren(renderer, region, static_cast<int32_t>(i), *unclipped);
                }
                break;
        }
    }
}

ConstRCPtr<LStencil> LControl::LookStencil(int32_t lookIndex) const {
    LLook* look = GetLook(lookIndex);
    return look != nullptr ? look->GetStencil() : nullptr;
}

// Fonts.

namespace {

RCPtr<LFont> DefaultFont() {
    WString face;
    float size = 0.0f;
    uint32_t style = 0;
    if (GetApplicationServices().GetSystemFont(face, size, style) < 0 || face.IsEmpty() || size <= 0.0f) {
        return LFont::GetFont(WString(u"sans-serif"), 9.0f, 0);
    }
    return LFont::GetFont(face, size, static_cast<int32_t>(style));
}

}  // namespace

void LControl::ApplySkinFont(const RCPtr<LControlDescriptor>& descriptor) {
    const RCPtr<LSkinDescriptor>& skin = descriptor->GetSkin();
    mFontInheritsFromParent = skin && skin->fontInheritsFromParent;
    mSizeIsRelative = skin && skin->fontSizeIsRelative;
    if (skin) {
        ApplyFont(skin->fontName, skin->fontSize, skin->fontStyle, skin->fontSizeIsRelative);
    } else {
        ApplyFont(WString(), 0.0f, -1, false);
    }
}

int32_t LControl::ApplyFont(const WString& face, float size, int32_t style, bool relative) {
    RCPtr<LFont> base =
        mFontInheritsFromParent && mParent != nullptr && mParent->mFont ? mParent->mFont : DefaultFont();
    if (!base) {
        return E_FAIL;
    }
    const bool faceInherited = face.IsEmpty();
    const WString newFace = faceInherited ? base->GetFace() : face;
    const bool sizeInherited = size <= 0.0f || mSizeIsRelative;
    const float factor = relative && size > 0.0f ? size : 1.0f;
    const float newSize = sizeInherited ? base->GetSize() * factor : size;
    const bool styleInherited = style == -1;
    const int32_t newStyle = styleInherited ? base->GetStyle() : style;
    RCPtr<LFont> font = base;
    if (newFace != base->GetFace() || newSize != base->GetSize() || newStyle != base->GetStyle()) {
        font = LFont::GetFont(newFace, newSize, newStyle);
    }
    if (!font) {
        return E_FAIL;
    }
    const int32_t result = SetFont(font);
    if (result >= 0) {
        mFaceInherited = faceInherited;
        mSizeInherited = sizeInherited;
        mStyleInherited = styleInherited;
        mSizeIsRelative = relative;
        mSizeFactor = factor;
    }
    return result;
}

int32_t LControl::SetFont(const RCPtr<LFont>& font) {
    if (!font) {
        return E_INVALIDARG;
    }
    GiveLooksFont(font);
    if (mFont && !(*mFont != *font)) {
        return 1;
    }
    RCPtr<LControl> hold = Self();
    mFont = font;
    mFaceInherited = false;
    mSizeInherited = false;
    mStyleInherited = false;
    OnFontChanged();
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i) {
        RCPtr<LControl> child = mChildren.GetAt(i, kOrderCreation);
        child->UpdateFont();
    }
    if (!mFirstLayoutPending) {
        UpdateLayout();
        InvalidateRect({0, 0, mFrame.width, mFrame.height}, ClipsToParent());
    }
    return S_OK;
}

int32_t LControl::UpdateFont() {
    if (!mFontInheritsFromParent || !(mFaceInherited || mSizeInherited || mStyleInherited) || !mFont) {
        return S_OK;
    }
    const WString face = mFaceInherited ? WString() : mFont->GetFace();
    float size = mFont->GetSize();
    if (mSizeInherited) {
        size = mSizeIsRelative ? mSizeFactor : 0.0f;
    }
    const int32_t style = mStyleInherited ? -1 : mFont->GetStyle();
    const bool relative = mSizeInherited && mSizeIsRelative;
    ApplyFont(face, size, style, relative);
    return S_OK;
}

void LControl::OnFontChanged() {}

}  // namespace QV
