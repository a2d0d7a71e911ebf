#pragma once

#include <cstdint>

#include "RIZozivirod/Renderer/FontRenderer/FontRenderer.h"

namespace QV {

// The font renderer of the OpenGL path: FreeType loads and rasterises the glyphs of the font
// file the system font index gives for a font (the first face of a collection), at the
// screen's resolution. FreeType's library and cache manager (at most 8 faces, 16 sizes and
// 4 MiB) and the font index are shared by every renderer of the process: made with the first
// and released with the last. User-interface thread only.
class LFreetypeFontRenderer : public LFontRenderer {
public:
    LFreetypeFontRenderer(const RCPtr<LGlyphProcessor>& first, const RCPtr<LGlyphProcessor>& second);
    ~LFreetypeFontRenderer() override;

    int32_t GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                           int32_t& descent) override;
    int32_t ProcessGlyphs(const WString& text, const ConstRCPtr<LFont>& font,
                          const RCPtr<LGlyphProcessor>& processor, int32_t startIndex, float widthLimit,
                          int32_t flags) override;

    // Glyphs of fonts below this size (points) are rendered without antialiasing.
    static constexpr float kMonochromeBelow = 8.0f;
};

}  // namespace QV
