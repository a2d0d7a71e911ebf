#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_font_face cairo_font_face_t;
typedef struct _cairo_scaled_font cairo_scaled_font_t;
typedef struct FT_FaceRec_* FT_Face;

// Faces for the framework's fonts: fontconfig finds the family, FreeType reads the face's
// tables and advances, Cairo draws the glyphs. A family counts as found only when fontconfig's
// match carries the asked name (ASCII case-insensitive); otherwise the generic "sans-serif" is
// used, so measuring and drawing always agree on the face. Drawing options are fixed (grey
// antialiasing, slight hinting, hint metrics off), so glyphs advance by the face's own design
// advances and measuring needs no Cairo at all. User-interface thread only: nothing is locked.
namespace Platform {

// The framework's style bits.
inline constexpr int32_t kFontStyleBold = 1;
inline constexpr int32_t kFontStyleItalic = 2;
inline constexpr int32_t kFontStyleUnderline = 4;
inline constexpr int32_t kFontStyleStrikeout = 8;

// A face's design metrics in font units, y upward.
struct FontDesignMetrics {
    int32_t unitsPerEm = 0;   // the em height
    int32_t cellAscent = 0;   // OS/2 win ascent
    int32_t cellDescent = 0;  // OS/2 win descent
    // The cell plus the external leading: the part of the horizontal header's line gap that
    // the cell does not already cover.
    int32_t lineSpacing = 0;
    int32_t underlinePosition = 0;  // top of the underline; negative below the baseline
    int32_t underlineThickness = 0;
    int32_t strikeoutPosition = 0;  // top of the strike-out line, above the baseline
    int32_t strikeoutThickness = 0;
};

class FontFace {
public:
    // The face for a family (UTF-8) and the framework's style bits (bold and italic choose the
    // face; a family without that style gets it synthesised). Null when no face can be made at
    // all (no fonts, or a file FreeType cannot read). Faces are kept for the process, one per
    // family, style and fontconfig configuration.
    static std::shared_ptr<FontFace> Resolve(std::string_view family, int32_t style);

    // Changes whenever another fontconfig configuration becomes current, so that faces
    // remembered elsewhere are resolved again.
    static uintptr_t GetConfigurationStamp();
    // Loads fontconfig's configuration and font list, which the first Resolve or stamp would
    // otherwise load. Any thread may call it (fontconfig makes its current configuration once,
    // atomically); it touches none of this class's caches.
    static void PrepareConfiguration();

    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;
    ~FontFace();

    const FontDesignMetrics& GetDesignMetrics() const { return mMetrics; }
    // The family name fontconfig gave the face.
    const std::string& GetFamilyName() const { return mFamilyName; }
    const std::string& GetFilePath() const { return mFilePath; }

    // The pen's advance after the text (UTF-16 units; unpaired surrogates count as U+FFFD) at
    // pixelsPerEm, in pixels: the sum of the glyphs' design advances, scaled.
    double MeasureAdvance(std::u16string_view text, double pixelsPerEm);

    // Draws the text with the pen starting at (x, baselineY) in the context's current source,
    // glyph positions exactly as MeasureAdvance counts them; underline and strike-out of the
    // style bits are drawn as lines of the face's own position and thickness.
    void Draw(cairo_t* context, std::u16string_view text, double pixelsPerEm, double x, double baselineY,
              int32_t style);

private:
    FontFace() = default;
    static std::shared_ptr<FontFace> Load(const std::string& file, int index, std::string family,
                                          int32_t style);
    static constexpr uint32_t kUnknownGlyph = 0xFFFFFFFF;
    static constexpr char32_t kDirectGlyphs = 0x250;
    struct Glyph {
        uint32_t index = kUnknownGlyph;
        int32_t advance = 0;  // design units
    };
    const Glyph& GlyphOf(char32_t character);
    int32_t DesignAdvance(uint32_t glyph);
    cairo_scaled_font_t* ScaledFont(double pixelsPerEm);

    std::string mFamilyName;
    std::string mFilePath;
    FT_Face mFace = nullptr;
    cairo_font_face_t* mCairoFace = nullptr;
    FontDesignMetrics mMetrics;
    // Every character asked for so far: Latin ones in a table, the rest in a map.
    std::vector<Glyph> mDirectGlyphs = std::vector<Glyph>(kDirectGlyphs);
    std::unordered_map<char32_t, Glyph> mGlyphs;
    std::unordered_map<double, cairo_scaled_font_t*> mScaledFonts;
};

}  // namespace Platform
