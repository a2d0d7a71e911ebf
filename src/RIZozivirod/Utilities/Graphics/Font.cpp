#include "RIZozivirod/Utilities/Graphics/Font.h"

#include <algorithm>
#include <vector>

#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Renderer/MeasurementRenderer.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {
namespace {

// Every font made so far; made on first use and never destroyed.
std::vector<RCPtr<LFont>>& FontList() {
    static auto& list = *new std::vector<RCPtr<LFont>>();
    return list;
}

int32_t gLastFontId = 0;

}  // namespace

LFont::LFont(const WString& face, float size, int32_t style, int32_t id)
    : mFace(face), mSize(size), mStyle(style), mId(id) {}

RCPtr<LFont> LFont::GetFont(const WString& face, float size, int32_t style) {
    std::vector<RCPtr<LFont>>& list = FontList();
    for (auto font = list.rbegin(); font != list.rend(); ++font) {
        if ((*font)->mSize == size && (*font)->mStyle == style &&
            Text::CompareNoCase((*font)->mFace.GetString(), face.GetString()) == 0) {
            return *font;
        }
    }
    RCPtr<LFont> font(new LFont(face, size, style, ++gLastFontId));
    list.push_back(font);
    return font;
}

bool LFont::Measure() const {
    RCPtr<LMeasurementRenderer> renderer = GetApplicationServices().GetMeasuringRenderer();
    if (!renderer) {
        return mMeasuredBy != 0;  // nothing to measure with: the last measurement stands
    }
    // Metrics depend on the renderer (its screen resolution, its way of measuring) and on the
    // face the font configuration resolves the name to: either changing measures again.
    const uintptr_t configuration = renderer->GetFontConfigurationStamp();
    if (mMeasuredBy == renderer->GetMeasurerSerial() && mMeasuredUnder == configuration) {
        return true;
    }
    mMeasuredBy = 0;
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    if (Failed(
            renderer->GetFontMetrics(ConstRCPtr<LFont>(const_cast<LFont*>(this)), height, ascent, descent)) ||
        height < 0) {
        return false;
    }
    mHeight = height;
    mAscent = ascent;
    mDescent = descent;
    mMeasuredBy = renderer->GetMeasurerSerial();
    mMeasuredUnder = configuration;
    return true;
}

int32_t LFont::GetHeight() const {
    return Measure() ? mHeight : 0;
}

int32_t LFont::GetAscent() const {
    return Measure() ? mAscent : 0;
}

int32_t LFont::GetDescent() const {
    return Measure() ? mDescent : 0;
}

bool LFont::operator!=(const LFont& other) const {
    return mFace != other.mFace || mSize != other.mSize || mStyle != other.mStyle;
}

int32_t LFont::ReleaseInternalReferences() {
    std::vector<RCPtr<LFont>>& list = FontList();
    auto found = std::find_if(list.begin(), list.end(),
                              [this](const RCPtr<LFont>& font) { return font.Get() == this; });
    if (found == list.end()) {
        return E_FAIL;
    }
    // The list's reference may be the last one: it goes after the removal.
    RCPtr<LFont> keep = *found;
    list.erase(found);
    return S_OK;
}

}  // namespace QV
