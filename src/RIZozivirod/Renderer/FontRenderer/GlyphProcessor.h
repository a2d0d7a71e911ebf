#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Graphics/PixelBuffer.h"

namespace QV {

class LFont;

// What a glyph processor keeps of a glyph: its code, FreeType glyph index, ink box in pixels
// relative to the glyph origin on the baseline (y down), advances in 1/64 pixel and its place
// in an atlas.
struct SCachedGlyph {
    uint32_t code = 0;
    uint32_t glyphIndex = 0;
    int16_t left = 0;
    int16_t top = 0;
    int16_t right = 0;
    int16_t bottom = 0;
    int32_t advanceX = 0;
    int32_t advanceY = 0;
    uint16_t atlasX = 0;
    uint16_t atlasY = 0;
};

// One glyph on its way from the font renderer to a processor: the cached part plus its position
// in the text, its pen position relative to the text origin and, for a new glyph, its coverage
// (8 bits a pixel, rows without padding; null when none was rendered).
struct SGlyphRecord : SCachedGlyph {
    int32_t index = 0;
    float penX = 0;
    float penY = 0;
    RCPtr<LPixelBuffer<uint8_t>> bitmap;
};

// Edges of an area in pixels, y down.
struct SGlyphBounds {
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
};

// Takes the glyphs of a text one by one between Begin and End: draws them, measures them, or
// both. User-interface thread only.
class LGlyphProcessor : public virtual LRefCountedObject {
public:
    // Flags of Begin.
    static constexpr int32_t kAccumulateBounds = 2;
    static constexpr int32_t kUpdateTexture = 4;
    static constexpr int32_t kDraw = 8;
    static constexpr int32_t kMeasure = 1 | kAccumulateBounds;
    static constexpr int32_t kRender = 1 | kAccumulateBounds | kUpdateTexture | kDraw;
    // What QueryGlyph asks the font renderer for.
    static constexpr uint32_t kNeedLoad = 1;
    static constexpr uint32_t kNeedBox = 2;
    static constexpr uint32_t kNeedBitmap = 4;

    virtual void Begin(const ConstRCPtr<LFont>& font, int32_t flags) = 0;
    virtual void End() = 0;
    // 0 with the record filled for a known glyph; otherwise the need bits.
    virtual uint32_t QueryGlyph(SGlyphRecord& record) = 0;
    virtual void ProcessGlyph(SGlyphRecord& record) = 0;
    // The union of the origin and the boxes of the glyphs processed since Begin, with bounds
    // accumulated: each glyph from its pen position over its advance, from its top to its
    // bottom.
    virtual SGlyphBounds GetBounds() = 0;
};

}  // namespace QV
