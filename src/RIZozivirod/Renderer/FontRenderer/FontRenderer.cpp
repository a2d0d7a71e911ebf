#include "RIZozivirod/Renderer/FontRenderer/FontRenderer.h"

#include <algorithm>

#include "RIZozivirod/Utilities/Graphics/Font.h"

namespace QV {

LFontRenderer::LFontRenderer(const RCPtr<LGlyphProcessor>& first, const RCPtr<LGlyphProcessor>& second)
    : mFirst(first), mSecond(second) {}

RectT<float> LFontRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font) {
    ProcessGlyphs(text, font, mSecond, 0, 0.0f, LGlyphProcessor::kMeasure);
    const SGlyphBounds bounds = GetBounds();
    const float ascent = font ? static_cast<float>(font->GetAscent()) : 0.0f;
    const float descent = font ? static_cast<float>(font->GetDescent()) : 0.0f;
    const float top = std::min(bounds.top, ascent);
    return {bounds.left, top, bounds.right + 1.0f - bounds.left, std::max(bounds.bottom, descent) - top};
}

SGlyphBounds LFontRenderer::GetBounds() {
    return mSecond ? mSecond->GetBounds() : SGlyphBounds();
}

}  // namespace QV
