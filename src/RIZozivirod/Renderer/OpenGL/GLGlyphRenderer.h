#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/Renderer/FontRenderer/GlyphProcessor.h"
#include "RIZozivirod/Renderer/OpenGL/GLTexture.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "RIZozivirod/Utilities/Storage/HashedList.h"
#include "RIZozivirod/Utilities/Storage/PurgableObjectCache.h"

namespace QV {

// The glyph processor of the OpenGL path: each font's glyphs are kept in a coverage atlas (one
// alpha texture, 512 pixels wide, growing in powers of two) and drawn as textured quads in the
// current colour, or only measured. A glyph too large for any atlas is drawn from a texture of
// its own and not kept; an atlas that cannot grow further starts over empty. Used with the
// renderer's GL context current, on the user-interface thread.
class LGLGlyphRenderer : public LGlyphProcessor {
public:
    static constexpr int32_t kAtlasWidth = 512;
    static constexpr int32_t kAtlasMaxHeight = 16384;

    // One font's atlas and glyphs.
    class LCachedFont : public LGLTexture {
    public:
        explicit LCachedFont(const ConstRCPtr<LFont>& font);

        // Finds the atlas cell of a glyph bitmap of w x h (plus a one-pixel border): false when
        // no atlas can hold it. With reset allowed, a full atlas starts over empty first.
        bool Place(int32_t width, int32_t height, bool allowReset, uint16_t& x, uint16_t& y);
        // Copies a glyph bitmap into the atlas at (x, y).
        void CopyIn(const LPixelBuffer<uint8_t>& bitmap, uint16_t x, uint16_t y);
        // Uploads what changed since the last upload.
        void UpdateTexture();

        SCachedGlyph* FindGlyph(uint32_t code);
        void AddGlyph(const SCachedGlyph& glyph);

        int32_t GetFontAscent() const { return mFont ? mFont->GetAscent() : 0; }
        int32_t GetAtlasHeight() const { return mAtlasHeight; }
        uint8_t GetCoverage(int32_t x, int32_t y) const;
        int32_t GetGlyphCount() const { return mGlyphs.GetCount(); }

    private:
        static uint32_t GlyphCode(const SCachedGlyph& glyph) { return glyph.code; }
        void Reset();
        void MarkDirty(int32_t x, int32_t y, int32_t width, int32_t height);

        ConstRCPtr<LFont> mFont;
        int32_t mPackX = 0;
        int32_t mPackY = 0;
        int32_t mRowHeight = 0;
        int32_t mAtlasHeight = 0;
        std::vector<uint8_t> mPixels;  // kAtlasWidth a row
        // Not yet in the texture: x, y, width, height.
        float mDirtyX = 0;
        float mDirtyY = 0;
        float mDirtyWidth = 0;
        float mDirtyHeight = 0;
        HashedList<SCachedGlyph, uint32_t, &GlyphCode, 8, &GetBits<8, 0, uint32_t>> mGlyphs;
    };

    static constexpr int32_t kCachedFonts = 16;

    LGLGlyphRenderer();

    void Begin(const ConstRCPtr<LFont>& font, int32_t flags) override;
    void End() override;
    uint32_t QueryGlyph(SGlyphRecord& record) override;
    void ProcessGlyph(SGlyphRecord& record) override;
    SGlyphBounds GetBounds() override { return mBounds; }

    // The atlas of a font, null when it has none yet.
    RCPtr<LCachedFont> GetCachedFont(const ConstRCPtr<LFont>& font);
    // Drops the atlases not used since the previous purge.
    void Purge();

private:
    static int32_t FontId(const ConstRCPtr<LFont>& font) { return font ? font->GetUniqueID() : 0; }
    using FontCache = PurgableObjectCache<LCachedFont, ConstRCPtr<LFont>, int32_t, &LGLGlyphRenderer::FontId,
                                          4, &GetBits<4, 0, int32_t>>;

    void DrawUncached(const SGlyphRecord& record, float left, float top);

    FontCache mFonts;
    RCPtr<LCachedFont> mCurrentFont;
    SCachedGlyph mCurrentGlyph;
    SGlyphBounds mBounds;
    int32_t mFlags = 0;
};

}  // namespace QV
