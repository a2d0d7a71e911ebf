#include "RIZozivirod/ControlBase/Look.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "RIZozivirod/Renderer/Renderer.h"

namespace QV {

namespace {

int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int64_t Clamp(int64_t value, int64_t low, int64_t high) {
    return high < low ? low : std::clamp(value, low, high);
}

// The overlap of two rectangles; width or height 0 or less when they do not overlap.
RectT<double> Intersection(const RectT<double>& a, const RectT<double>& b) {
    const double left = std::max(a.x, b.x);
    const double top = std::max(a.y, b.y);
    const double right = std::min(a.x + a.width, b.x + b.width);
    const double bottom = std::min(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

bool Overlaps(const RectT<double>& a, const RectT<double>& b) {
    const RectT<double> both = Intersection(a, b);
    return both.width > 0.0 && both.height > 0.0;
}

constexpr double kTiny = 2.220446049250313e-16;  // 2^-52

float ClampSize(int32_t value) {
    return std::clamp(static_cast<float>(value), -8388608.0f, 8388608.0f);
}

const RenderState* CurrentState(const LRenderer& renderer) {
    const LRenderContextInfo* context = renderer.GetCurrentContext();
    return context != nullptr ? &context->GetState() : nullptr;
}

}  // namespace

RCPtr<LLook> LLook::Create(const RCPtr<LLookDescriptor>& descriptor, bool wrap) {
    RCPtr<LLook> look(new LLook());
    look->Init(descriptor, wrap);
    return look;
}

int32_t LLook::Init(const RCPtr<LLookDescriptor>& descriptor, bool wrap) {
    if (!descriptor) {
        return E_INVALIDARG;
    }
    // A layout still due is the one of the size taken before, with the old descriptor's parts.
    LayOut();
    mDescriptor = descriptor;
    mTextForegroundPart = descriptor->textForegroundPart ? descriptor->textForegroundPart->GetVisualPart()
                                                         : RCPtr<LVisualPart>();
    if (!descriptor->hasTextProperties) {
        mTextBlock = nullptr;
    } else {
        if (!mTextBlock) {
            mTextBlock = LFontText::Create(WString(), RCPtr<LFont>());
        }
        mTextBlock->SetWrap(wrap);
        mTextBlock->SetHorizontalAlignment(descriptor->text.hAlign);
        mTextBlock->SetVerticalAlignment(descriptor->text.vAlign);
    }
    mClientPart = descriptor->clientPart ? descriptor->clientPart->GetVisualPart() : RCPtr<LVisualPart>();
    const size_t count = descriptor->nonClientParts.GetCount();
    mNonClientRects.assign(count, RectT<int32_t>{});
    mNonClientParts.assign(count, ConstRCPtr<LVisualPart>());
    const PointT<int32_t> size = mSize;
    mSize = {0, 0};
    SetSize(size);
    return S_OK;
}

bool LLook::SetSize(const PointT<int32_t>& size) {
    if (size != mSize) {
        mSize = size;
        mLayoutDue = true;
    }
    return true;
}

void LLook::LayOutParts() const {
    mLayoutDue = false;
    const int64_t width = mSize.x;
    const int64_t height = mSize.y;

    LDockedPart::Placement client;
    if (mDescriptor && mDescriptor->clientPart) {
        client = mDescriptor->clientPart->placement;
    }
    const int64_t x = Clamp(client.left, 0, width);
    const int64_t y = Clamp(client.top, 0, height);
    mClientRect = {Saturate(x), Saturate(y), Saturate(Clamp(width + client.right - x, 0, width - x)),
                   Saturate(Clamp(height + client.bottom - y, 0, height - y))};

    if (mDescriptor) {
        for (uint32_t i = 0; i < mDescriptor->nonClientParts.GetCount() && i < mNonClientRects.size(); ++i) {
            const RCPtr<LDockedPart>& docked = mDescriptor->nonClientParts.GetAt(i);
            const LDockedPart::Placement& p = docked->placement;
            const int64_t pw = p.hasWidth ? p.width : (docked->part ? docked->part->width : 0);
            const int64_t ph = p.hasHeight ? p.height : (docked->part ? docked->part->height : 0);
            const bool dockLeft = (p.mask & LDockedPart::kLeft) != 0;
            const bool dockTop = (p.mask & LDockedPart::kTop) != 0;
            const bool dockRight = (p.mask & LDockedPart::kRight) != 0;
            const bool dockBottom = (p.mask & LDockedPart::kBottom) != 0;
            int64_t left = dockLeft ? p.left : 0;
            int64_t top = dockTop ? p.top : 0;
            int64_t right = dockRight ? width + p.right : width;
            int64_t bottom = dockBottom ? height + p.bottom : height;
            if (!dockLeft) {
                left = right - pw;
            }
            if (!dockTop) {
                top = bottom - ph;
            }
            if (!dockRight) {
                right = left + pw;
            }
            if (!dockBottom) {
                bottom = top + ph;
            }
            if (!dockLeft && !dockRight) {
                left = (width - pw) / 2;
                right = left + pw;
            }
            if (!dockTop && !dockBottom) {
                top = (height - ph) / 2;
                bottom = top + ph;
            }
            mNonClientRects[i] = {Saturate(left), Saturate(top), Saturate(right - left),
                                  Saturate(bottom - top)};
            mNonClientParts[i] = docked->GetVisualPart();
        }
    }

    if (mTextBlock) {
        const LLookDescriptor::TextProperties& t = mDescriptor->text;
        const float w = static_cast<float>(mSize.x);
        const float h = static_cast<float>(mSize.y);
        const float left = static_cast<float>(t.leftOffset) + t.leftFactor * w;
        const float right = static_cast<float>(t.rightOffset) + t.rightFactor * w;
        const float top = static_cast<float>(t.topOffset) + t.topFactor * h;
        const float bottom = static_cast<float>(t.bottomOffset) + t.bottomFactor * h;
        // A text rectangle turned inside out by the skin is an empty box.
        mTextBlock->SetBoxSize(std::max(RoundToInt32(right - left), 0),
                               std::max(RoundToInt32(bottom - top), 0));
        mTextPosition = {
            Saturate(static_cast<int64_t>(std::clamp(std::trunc(left), -2147483648.0f, 2147483520.0f))),
            Saturate(static_cast<int64_t>(std::clamp(std::trunc(top), -2147483648.0f, 2147483520.0f)))};
    }

    mStencilRect = mClientRect;
    mStencil = nullptr;
}

bool LLook::SetFont(const RCPtr<LFont>& font) {
    return mTextBlock ? mTextBlock->SetFont(font) : true;
}

bool LLook::SetText(const WString& text) {
    return mTextBlock ? mTextBlock->SetText(text) : true;
}

std::vector<RectT<int32_t>> LLook::DirtyRects(LRenderer& renderer, const RectRegion& dirty) const {
    const RenderState* state = CurrentState(renderer);
    const PointT<int32_t> origin = state != nullptr ? state->origin.Round() : PointT<int32_t>{};
    Array<RectT<int32_t>> rects;
    if (!mPaintRegion.IsEmpty()) {
        RectRegion region(mPaintRegion);
        region.Offset(origin.x, origin.y);
        region.Intersect(dirty);
        region.Normalize();
        region.ForEachRect(rects);
    } else {
        dirty.ForEachRect(rects);
    }
    std::vector<RectT<int32_t>> result;
    for (uint32_t i = 0; i < rects.GetCount(); ++i) {
        const RectT<int32_t>& r = rects.GetAt(i);
        result.push_back(
            {Saturate(int64_t{r.x} - origin.x), Saturate(int64_t{r.y} - origin.y), r.width, r.height});
    }
    return result;
}

int32_t LLook::DrawNonClientParts(LRenderer& renderer, const RectRegion& dirty) {
    LayOut();
    const RenderState* state = CurrentState(renderer);
    if (state == nullptr) {
        return S_OK;
    }
    int32_t result = S_OK;
    const std::vector<RectT<int32_t>> rects = DirtyRects(renderer, dirty);
    for (size_t i = 0; i < mNonClientParts.size(); ++i) {
        const RectT<double> bounds = mNonClientRects[i].ToDouble();
        for (const RectT<int32_t>& r : rects) {
            const RectT<double> clip = Intersection(bounds, r.ToDouble());
            if (!(clip.width > kTiny && clip.height > kTiny) ||
                !Overlaps(clip, CurrentState(renderer)->clip)) {
                continue;
            }
            const ConstRCPtr<LVisualPart>& part = mNonClientParts[i];
            if (!part) {
                result = S_FALSE;
                continue;
            }
            renderer.PushClip(bounds, clip, ConstRCPtr<LStencil>(), true);
            if (const_cast<LVisualPart*>(part.Get())
                    ->Draw(renderer, {ClampSize(mNonClientRects[i].width),
                                      ClampSize(mNonClientRects[i].height)}) != S_OK) {
                result = S_FALSE;
            }
            renderer.PopState();
        }
    }
    return result;
}

int32_t LLook::DrawClientArea(LRenderer& renderer, const RectRegion& dirty) {
    LayOut();
    if (CurrentState(renderer) == nullptr) {
        return S_OK;
    }
    int32_t result = S_OK;
    const RectT<double> bounds = mClientRect.ToDouble();
    const PointT<float> size{ClampSize(mClientRect.width), ClampSize(mClientRect.height)};
    for (const RectT<int32_t>& r : DirtyRects(renderer, dirty)) {
        const RectT<double> clip = Intersection(bounds, r.ToDouble());
        if (!(clip.width > 0.0 && clip.height > 0.0) || !Overlaps(clip, CurrentState(renderer)->clip)) {
            continue;
        }
        renderer.PushClip(bounds, clip, mStencil, true);
        if (mClientPart && !(mImagePart && mImageOnly) && mClientPart->Draw(renderer, size) != S_OK) {
            result = S_FALSE;
        }
        if (mImagePart && mImagePart->Draw(renderer, size) != S_OK) {
            result = S_FALSE;
        }
        renderer.PopState();
    }
    return result;
}

int32_t LLook::DrawLabelText(LRenderer& renderer, const RectRegion& dirty, const PointT<double>& offset) {
    LayOut();
    if (!mTextBlock) {
        return S_FALSE;
    }
    if (CurrentState(renderer) == nullptr) {
        return S_OK;
    }
    const RectT<double> textRect{static_cast<double>(mTextPosition.x), static_cast<double>(mTextPosition.y),
                                 static_cast<double>(mTextBlock->GetBoxWidth()),
                                 static_cast<double>(mTextBlock->GetBoxHeight())};
    const RectT<double> whole{0.0, 0.0, static_cast<double>(mSize.x), static_cast<double>(mSize.y)};
    for (const RectT<int32_t>& r : DirtyRects(renderer, dirty)) {
        const RectT<double> clip = Intersection(textRect, r.ToDouble());
        if (!(clip.width > 0.0 && clip.height > 0.0) || !Overlaps(clip, CurrentState(renderer)->clip)) {
            continue;
        }
        renderer.PushClip(whole, clip, mStencil, true);
        // Text is drawn in a solid colour only: a picture or a gradient as the text colour draws
        // no text rather than failing the frame.
        const LVisualPart* foreground = mTextForegroundPart.Get();
        if (foreground != nullptr && !foreground->GetBitmap() && foreground->GetColorizer() &&
            foreground->GetColorizer()->type == LColorizer::kSolidFill) {
            const Color color = Color::FromARGB(foreground->SampleColor({0, 0}));
            renderer.PushClip(textRect, textRect, ConstRCPtr<LStencil>(), true);
            const int32_t lines = mTextBlock->Layout();
            for (int32_t i = 0; i < lines; ++i) {
                const RectT<float> line = mTextBlock->GetLineRect(i);
                renderer.DrawText(mTextBlock->GetLine(i), mTextBlock->GetFont(),
                                  {RoundToInt32(line.x - offset.x), RoundToInt32(line.y - offset.y)}, color);
            }
            renderer.PopState();
        }
        renderer.PopState();
    }
    return S_OK;
}

uint32_t LLook::GetPixelAt(const PointT<int32_t>& point) const {
    LayOut();
    uint32_t result = LVisualPart::kTransparent;
    for (size_t i = 0; i < mNonClientParts.size() && (result >> 24) == 0; ++i) {
        if (!mNonClientParts[i]) {
            continue;
        }
        const RectT<int32_t>& r = mNonClientRects[i];
        result = mNonClientParts[i]->GetColorAtPoint(
            {static_cast<float>(int64_t{point.x} - r.x), static_cast<float>(int64_t{point.y} - r.y)},
            {static_cast<float>(r.width), static_cast<float>(r.height)});
    }
    const PointT<float> inClient{static_cast<float>(int64_t{point.x} - mClientRect.x),
                                 static_cast<float>(int64_t{point.y} - mClientRect.y)};
    const PointT<float> clientSize{static_cast<float>(mClientRect.width),
                                   static_cast<float>(mClientRect.height)};
    if ((result >> 24) == 0 && mImagePart) {
        result = mImagePart->GetColorAtPoint(inClient, clientSize);
    }
    if ((result >> 24) == 0 && mClientPart) {
        result = mClientPart->GetColorAtPoint(inClient, clientSize);
    }
    return result;
}

}  // namespace QV
