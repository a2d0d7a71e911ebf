#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Renderer/RenderState.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"

namespace QV {

// The looks of a control and their weights. Looks are made from the skin's look descriptors
// once the look class is in the tree; until then a control has weights only.
struct LControl::LookSet {
    Array<float> weights;
};

void LControl::LookSetDeleter::operator()(LookSet* looks) const {
    delete looks;
}

void LControl::RebuildLooks(const RCPtr<LControlDescriptor>&) {
    if (!mLooks) {
        mLooks.reset(new LookSet());
    }
}

void LControl::PaintLooks(const RCPtr<LRenderer>&, const RectRegion&, uint32_t, int32_t,
                          RCPtrArray<LControl, 1, 0>*) {}

RCPtr<LStencil> LControl::LookStencil(int32_t) const {
    return nullptr;
}

void LControl::GiveLooksSize() {}
void LControl::GiveLooksText() {}
void LControl::GiveLooksFont() {}

LLook* LControl::GetLook(int32_t) const {
    return nullptr;
}

uint32_t LControl::GetLookCount() const {
    return 0;
}

float LControl::GetLookWeight(int32_t index) const {
    if (!mLooks || index < 0 || static_cast<uint32_t>(index) >= mLooks->weights.GetCount()) {
        return 0.0f;
    }
    return mLooks->weights.GetAt(static_cast<uint32_t>(index));
}

int32_t LControl::GetCurrentLookIndex() const {
    return -1;
}

int32_t LControl::AddLook(const RCPtr<LLook>&) {
    return E_NOTIMPL;
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
        InvalidateRect({0, 0, mFrame.width, mFrame.height}, !mLayout || mLayout->clipToParent);
    }
    return S_OK;
}

int32_t LControl::SelectLook(int32_t index) {
    return SetLookWeight(index, 1.0f, true);
}

int32_t LControl::SetLookDescriptor(const RCPtr<LLookDescriptor>& descriptor, int32_t) {
    return descriptor ? E_FAIL : E_INVALIDARG;
}

int32_t LControl::SetLookImage(const RCPtr<LBitmap>&, int32_t, int32_t, uint8_t) {
    return E_FAIL;
}

int32_t LControl::SetLookRegion(int32_t, const RectRegion&) {
    return E_INVALIDARG;
}

int32_t LControl::SetLookRegionExcluding(int32_t, int32_t) {
    return E_INVALIDARG;
}

void LControl::ClearLookRegions() {}

void LControl::ClearLookRegion(int32_t) {}

uint32_t LControl::GetLookColorAt(const PointT<int32_t>&, int32_t) {
    return 0x00FFFFFFu;
}

bool LControl::IsTransparentAt(const PointT<int32_t>& point) {
    const uint32_t count = mLooks ? mLooks->weights.GetCount() : 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (mLooks->weights.GetAt(i) > 0.0f &&
            (GetLookColorAt(point, static_cast<int32_t>(i)) & 0xFF000000u) != 0) {
            return false;
        }
    }
    return true;
}

bool LControl::IsTextClipped() const {
    return GetLook(-1) != nullptr && !mText.IsEmpty();
}

RectT<double> LControl::GetClientRect(int32_t) {
    return {0, 0, mFrame.width, mFrame.height};
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
    GiveLooksFont();
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
    UpdateLayout();
    InvalidateRect({0, 0, mFrame.width, mFrame.height}, !mLayout || mLayout->clipToParent);
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
