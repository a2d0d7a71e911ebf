#include "Platform/Fonts/FontFace.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace Platform {
namespace {

// The FreeType library of every face, made on first use and kept for the process.
FT_Library Library() {
    static FT_Library library = [] {
        FT_Library made = nullptr;
        if (FT_Init_FreeType(&made) != 0) {
            made = nullptr;
        }
        return made;
    }();
    return library;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string AsciiLowerCopy(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
    return lower;
}

// fontconfig's best match of the current configuration for a family and style, or null.
FcPattern* MatchFamily(const std::string& family, int32_t style) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return nullptr;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        (style & kFontStyleBold) != 0 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT,
                        (style & kFontStyleItalic) != 0 ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    return match;
}

bool HasFamily(FcPattern* match, std::string_view family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (EqualsIgnoringAsciiCase(reinterpret_cast<const char*>(name), family)) {
            return true;
        }
    }
    return false;
}

std::string FirstFamily(FcPattern* match) {
    FcChar8* name = nullptr;
    return FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch
               ? reinterpret_cast<const char*>(name)
               : std::string();
}

// Calls each(code point) for the text; an unpaired surrogate is U+FFFD.
template <class Each>
void ForEachCodePoint(std::u16string_view text, Each&& each) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        if (unit < 0xD800 || unit > 0xDFFF) {
            each(unit);
        } else if (unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            each(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            each(0xFFFD);
        }
    }
}

const cairo_user_data_key_t kFaceKey{};

void DoneFace(void* face) {
    FT_Done_Face(static_cast<FT_Face>(face));
}

}  // namespace

uintptr_t FontFace::GetConfigurationStamp() {
    return reinterpret_cast<uintptr_t>(FcConfigGetCurrent());
}

void FontFace::PrepareConfiguration() {
    FcConfigGetCurrent();
}

std::shared_ptr<FontFace> FontFace::Resolve(std::string_view family, int32_t style) {
    style &= kFontStyleBold | kFontStyleItalic;
    // Process-wide and never destroyed, so no face is let go under a late user.
    using ResolvedKey = std::tuple<FcConfig*, std::string, int32_t>;
    static auto& resolved = *new std::map<ResolvedKey, std::shared_ptr<FontFace>>();
    using LoadedKey = std::tuple<std::string, int, int32_t>;
    static auto& loaded = *new std::map<LoadedKey, std::shared_ptr<FontFace>>();

    FcConfig* config = FcConfigGetCurrent();
    ResolvedKey key{config, AsciiLowerCopy(family), style};
    if (auto found = resolved.find(key); found != resolved.end()) {
        return found->second;
    }

    FcPattern* match = MatchFamily(std::string(family), style);
    if (match == nullptr || !HasFamily(match, family)) {
        if (match != nullptr) {
            FcPatternDestroy(match);
        }
        match = MatchFamily("sans-serif", style);
    }
    std::shared_ptr<FontFace> face;
    FcChar8* file = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        int index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        // A family without the asked style gets it synthesised from the face it has.
        int weight = FC_WEIGHT_REGULAR;
        int slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        int32_t synthesis = 0;
        if ((style & kFontStyleBold) != 0 && weight < FC_WEIGHT_DEMIBOLD) {
            synthesis |= kFontStyleBold;
        }
        if ((style & kFontStyleItalic) != 0 && slant == FC_SLANT_ROMAN) {
            synthesis |= kFontStyleItalic;
        }
        const std::string path = reinterpret_cast<const char*>(file);
        LoadedKey loadedKey{path, index, synthesis};
        if (auto found = loaded.find(loadedKey); found != loaded.end()) {
            face = found->second;
        } else {
            face = Load(path, index, FirstFamily(match), synthesis);
            if (face) {
                loaded.emplace(loadedKey, face);
            }
        }
    }
    if (match != nullptr) {
        FcPatternDestroy(match);
    }
    resolved.emplace(std::move(key), face);
    return face;
}

std::shared_ptr<FontFace> FontFace::Load(const std::string& file, int index, std::string family,
                                         int32_t synthesis) {
    FT_Library library = Library();
    FT_Face ftFace = nullptr;
    if (library == nullptr || FT_New_Face(library, file.c_str(), index, &ftFace) != 0) {
        return nullptr;
    }
    // Every formula divides by the em height: a face without one cannot be used.
    if (ftFace->units_per_EM == 0) {
        FT_Done_Face(ftFace);
        return nullptr;
    }
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
    if (cairo_font_face_status(cairoFace) != CAIRO_STATUS_SUCCESS ||
        cairo_font_face_set_user_data(cairoFace, &kFaceKey, ftFace, &DoneFace) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(cairoFace);
        FT_Done_Face(ftFace);
        return nullptr;
    }
    unsigned int synthesize = 0;
    if ((synthesis & kFontStyleBold) != 0) {
        synthesize |= CAIRO_FT_SYNTHESIZE_BOLD;
    }
    if ((synthesis & kFontStyleItalic) != 0) {
        synthesize |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
    }
    if (synthesize != 0) {
        cairo_ft_font_face_set_synthesize(cairoFace, synthesize);
    }

    std::shared_ptr<FontFace> face(new FontFace());
    face->mFamilyName = std::move(family);
    face->mFilePath = file;
    face->mFace = ftFace;
    face->mCairoFace = cairoFace;

    FontDesignMetrics& m = face->mMetrics;
    m.unitsPerEm = ftFace->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_HHEA));
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        m.cellAscent = os2->usWinAscent;
        m.cellDescent = os2->usWinDescent;
    } else {
        m.cellAscent = ftFace->ascender;
        m.cellDescent = -ftFace->descender;
    }
    int32_t externalLeading = 0;
    if (hhea != nullptr) {
        externalLeading = std::max<int32_t>(
            0, hhea->Line_Gap - ((m.cellAscent + m.cellDescent) - (hhea->Ascender - hhea->Descender)));
    }
    m.lineSpacing = m.cellAscent + m.cellDescent + externalLeading;
    // FreeType gives the underline's centre; the framework draws from its top.
    m.underlineThickness = ftFace->underline_thickness > 0 ? ftFace->underline_thickness : m.unitsPerEm / 14;
    m.underlinePosition = ftFace->underline_thickness > 0
                              ? ftFace->underline_position + ftFace->underline_thickness / 2
                              : -m.unitsPerEm / 10;
    if (os2 != nullptr && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
        m.strikeoutPosition = os2->yStrikeoutPosition;
        m.strikeoutThickness = os2->yStrikeoutSize;
    } else {
        m.strikeoutThickness = m.underlineThickness;
        m.strikeoutPosition = m.unitsPerEm * 3 / 10 + m.strikeoutThickness / 2;
    }
    return face;
}

FontFace::~FontFace() {
    for (auto& [size, font] : mScaledFonts) {
        cairo_scaled_font_destroy(font);
    }
    // The FreeType face goes with the Cairo face's last reference.
    cairo_font_face_destroy(mCairoFace);
}

const FontFace::Glyph& FontFace::GlyphOf(char32_t character) {
    // The characters of most labels, looked up without hashing.
    if (character < kDirectGlyphs) {
        Glyph& glyph = mDirectGlyphs[character];
        if (glyph.index == kUnknownGlyph) {
            const uint32_t index = FT_Get_Char_Index(mFace, character);
            glyph = Glyph{index, DesignAdvance(index)};
        }
        return glyph;
    }
    auto found = mGlyphs.find(character);
    if (found == mGlyphs.end()) {
        const uint32_t index = FT_Get_Char_Index(mFace, character);
        found = mGlyphs.emplace(character, Glyph{index, DesignAdvance(index)}).first;
    }
    return found->second;
}

int32_t FontFace::DesignAdvance(uint32_t glyph) {
    FT_Fixed advance = 0;
    if (FT_Get_Advance(mFace, glyph, FT_LOAD_NO_SCALE, &advance) != 0) {
        return 0;
    }
    return static_cast<int32_t>(advance);
}

double FontFace::MeasureAdvance(std::u16string_view text, double pixelsPerEm) {
    int64_t units = 0;
    ForEachCodePoint(text, [&](char32_t character) { units += GlyphOf(character).advance; });
    return static_cast<double>(units) * pixelsPerEm / mMetrics.unitsPerEm;
}

cairo_scaled_font_t* FontFace::ScaledFont(double pixelsPerEm) {
    if (auto found = mScaledFonts.find(pixelsPerEm); found != mScaledFonts.end()) {
        return found->second;
    }
    // Sizes in use are few; a face that has seen many lets its older ones go.
    if (mScaledFonts.size() >= 32) {
        for (auto& [size, font] : mScaledFonts) {
            cairo_scaled_font_destroy(font);
        }
        mScaledFonts.clear();
    }
    cairo_matrix_t fontMatrix;
    cairo_matrix_init_scale(&fontMatrix, pixelsPerEm, pixelsPerEm);
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_scaled_font_t* font = cairo_scaled_font_create(mCairoFace, &fontMatrix, &identity, options);
    cairo_font_options_destroy(options);
    mScaledFonts.emplace(pixelsPerEm, font);
    return font;
}

void FontFace::Draw(cairo_t* context, std::u16string_view text, double pixelsPerEm, double x,
                    double baselineY, int32_t style) {
    if (!(pixelsPerEm > 0)) {
        return;
    }
    const double scale = pixelsPerEm / mMetrics.unitsPerEm;
    std::vector<cairo_glyph_t> glyphs;
    glyphs.reserve(text.size());
    int64_t pen = 0;
    ForEachCodePoint(text, [&](char32_t character) {
        const Glyph& glyph = GlyphOf(character);
        glyphs.push_back({glyph.index, x + static_cast<double>(pen) * scale, baselineY});
        pen += glyph.advance;
    });
    cairo_scaled_font_t* font = ScaledFont(pixelsPerEm);
    if (cairo_scaled_font_status(font) == CAIRO_STATUS_SUCCESS && !glyphs.empty()) {
        cairo_set_scaled_font(context, font);
        cairo_show_glyphs(context, glyphs.data(), static_cast<int>(glyphs.size()));
    }
    // Cairo draws no decorations: they are filled rectangles on whole pixels.
    const double width = static_cast<double>(pen) * scale;
    auto line = [&](int32_t top, int32_t thickness) {
        const double height = std::max(1.0, std::round(thickness * scale));
        cairo_rectangle(context, x, std::round(baselineY - top * scale), width, height);
        cairo_fill(context);
    };
    if (width > 0 && (style & kFontStyleUnderline) != 0) {
        line(mMetrics.underlinePosition, mMetrics.underlineThickness);
    }
    if (width > 0 && (style & kFontStyleStrikeout) != 0) {
        line(mMetrics.strikeoutPosition, mMetrics.strikeoutThickness);
    }
}

}  // namespace Platform
