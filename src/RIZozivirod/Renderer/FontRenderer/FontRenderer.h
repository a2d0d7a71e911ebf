#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Renderer/FontRenderer/GlyphProcessor.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LFont;

// Turns a text in a font into positioned glyphs for a glyph processor. Holds two processors;
// the operations here use the second. User-interface thread only.
class LFontRenderer : public virtual LRefCountedObject {
public:
    LFontRenderer(const RCPtr<LGlyphProcessor>& first, const RCPtr<LGlyphProcessor>& second);

    // (left, top, width, height) of the text's ink and line: from the left of the ink to one
    // past its right, from the higher of the ink's top and the font's ascent to the lower of
    // the ink's bottom and the font's descent.
    virtual RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font);
    // Pixels; the ascent is negative. E_FAIL when the font has no face.
    virtual int32_t GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                   int32_t& descent) = 0;
    // Hands the text's glyphs to the processor with Begin (font, flags) and End; returns the
    // number of characters consumed. A positive width limit stops before the first glyph whose
    // advance would pass it.
    virtual int32_t ProcessGlyphs(const WString& text, const ConstRCPtr<LFont>& font,
                                  const RCPtr<LGlyphProcessor>& processor, int32_t startIndex,
                                  float widthLimit, int32_t flags) = 0;
    // The second processor's bounds; zero without one.
    virtual SGlyphBounds GetBounds();

    const RCPtr<LGlyphProcessor>& GetGlyphProcessor() const { return mSecond; }

protected:
    RCPtr<LGlyphProcessor> mFirst;
    RCPtr<LGlyphProcessor> mSecond;
};

}  // namespace QV
