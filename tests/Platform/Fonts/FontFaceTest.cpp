#include "Platform/Fonts/FontFace.h"

#include <cairo.h>
#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

#include "UITestSupport/InkBounds.h"
#include "UITestSupport/TestFonts.h"

namespace Platform {
namespace {

// The bundled font's own tables, read straight from the file.
struct FontTables {
    int32_t unitsPerEm, winAscent, winDescent, hheaAscender, hheaDescender, lineGap;
    // Design advance of a character by loading its glyph unscaled.
    int32_t Advance(char32_t character) const {
        FT_Load_Char(face, character, FT_LOAD_NO_SCALE);
        return static_cast<int32_t>(face->glyph->advance.x);
    }
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

FontTables ReadTables(const std::string& path) {
    FontTables tables{};
    EXPECT_EQ(FT_Init_FreeType(&tables.library), 0);
    EXPECT_EQ(FT_New_Face(tables.library, path.c_str(), 0, &tables.face), 0);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(tables.face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(tables.face, FT_SFNT_HHEA));
    const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(tables.face, FT_SFNT_HEAD));
    tables.unitsPerEm = head->Units_Per_EM;
    tables.winAscent = os2->usWinAscent;
    tables.winDescent = os2->usWinDescent;
    tables.hheaAscender = hhea->Ascender;
    tables.hheaDescender = hhea->Descender;
    tables.lineGap = hhea->Line_Gap;
    return tables;
}

class FontFaceTest : public ::testing::Test {
protected:
    void SetUp() override { TestSupport::UseTestFonts(); }
};

TEST_F(FontFaceTest, FamiliesResolveByNameOrFallBackToSansSerif) {
    struct Case {
        const char* family;
        int32_t style;
        std::string file;
    };
    const Case cases[] = {
        {"DejaVu Sans", 0, TestSupport::TestFontPath()},
        {"dEJAVU sANS", kFontStyleUnderline, TestSupport::TestFontPath()},
        {"DejaVu Sans", kFontStyleBold, TestSupport::TestBoldFontPath()},
        {"Tahoma", 0, TestSupport::TestFontPath()},
        {"Arial", kFontStyleBold | kFontStyleStrikeout, TestSupport::TestBoldFontPath()},
        {"", 0, TestSupport::TestFontPath()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        auto face = FontFace::Resolve(c.family, c.style);
        ASSERT_TRUE(face);
        EXPECT_EQ(face->GetFilePath(), c.file);
        EXPECT_EQ(face->GetFamilyName(), "DejaVu Sans");
    }
    // One face per file and style, whatever name led to it; italic has a face of its own.
    EXPECT_EQ(FontFace::Resolve("Arial", 0), FontFace::Resolve("DejaVu Sans", 0));
    EXPECT_NE(FontFace::Resolve("DejaVu Sans", kFontStyleItalic), FontFace::Resolve("DejaVu Sans", 0));
}

TEST_F(FontFaceTest, NoFaceWithoutFonts) {
    TestSupport::ScopedNoFonts noFonts;
    EXPECT_FALSE(FontFace::Resolve("DejaVu Sans", 0));
    EXPECT_FALSE(FontFace::Resolve("sans-serif", kFontStyleBold));
}

TEST_F(FontFaceTest, DesignMetricsAreTheFontsOwnTables) {
    for (const auto& [path, style] : {std::pair{TestSupport::TestFontPath(), 0},
                                      std::pair{TestSupport::TestBoldFontPath(), kFontStyleBold}}) {
        SCOPED_TRACE(path);
        const FontTables tables = ReadTables(path);
        const FontDesignMetrics& m = FontFace::Resolve("DejaVu Sans", style)->GetDesignMetrics();
        EXPECT_EQ(m.unitsPerEm, tables.unitsPerEm);
        EXPECT_EQ(m.cellAscent, tables.winAscent);
        EXPECT_EQ(m.cellDescent, tables.winDescent);
        const int32_t cell = tables.winAscent + tables.winDescent;
        EXPECT_EQ(m.lineSpacing,
                  cell + std::max(0, tables.lineGap - (cell - (tables.hheaAscender - tables.hheaDescender))));
        FT_Done_Face(tables.face);
        FT_Done_FreeType(tables.library);
    }
}

TEST_F(FontFaceTest, AdvanceIsTheSumOfDesignAdvancesScaled) {
    const FontTables tables = ReadTables(TestSupport::TestFontPath());
    auto face = FontFace::Resolve("DejaVu Sans", 0);
    const double ppem = 16;
    int32_t units = 0;
    for (char32_t c : std::u32string(U"Wave, AV!")) {
        units += tables.Advance(c);
    }
    EXPECT_DOUBLE_EQ(face->MeasureAdvance(u"Wave, AV!", ppem), units * ppem / tables.unitsPerEm);
    EXPECT_EQ(face->MeasureAdvance(u"", ppem), 0.0);
    // A surrogate pair is one character; a lone surrogate is the replacement character.
    EXPECT_DOUBLE_EQ(face->MeasureAdvance(u"\xD800", ppem), face->MeasureAdvance(u"\xFFFD", ppem));
    EXPECT_DOUBLE_EQ(face->MeasureAdvance(u"\xD83D\xDE00", ppem),
                     tables.Advance(0x1F600) * ppem / tables.unitsPerEm);
    FT_Done_Face(tables.face);
    FT_Done_FreeType(tables.library);
}

TEST_F(FontFaceTest, DrawnInkAndDecorationsLieWhereTheMetricsSay) {
    auto face = FontFace::Resolve("DejaVu Sans", 0);
    const FontDesignMetrics& m = face->GetDesignMetrics();
    const double ppem = 20;
    const double scale = ppem / m.unitsPerEm;
    const double x = 10;
    const double baseline = 40;
    const double advance = face->MeasureAdvance(u"Hxg", ppem);
    auto inkOf = [&](int32_t style) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100, 60);
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0, 0, 1);
        face->Draw(cr, u"Hxg", ppem, x, baseline, style);
        cairo_destroy(cr);
        const TestSupport::InkBox ink = TestSupport::FindInk(surface);
        cairo_surface_destroy(surface);
        return ink;
    };
    const TestSupport::InkBox plain = inkOf(0);
    ASSERT_FALSE(plain.empty);
    EXPECT_GE(plain.left, x);
    EXPECT_LE(plain.right, x + advance + 1);
    EXPECT_GE(plain.top, baseline - m.cellAscent * scale);
    EXPECT_LE(plain.bottom, baseline + m.cellDescent * scale);
    // "g" reaches below the baseline, "H" up to the cap height.
    EXPECT_GT(plain.bottom, baseline + 2);
    EXPECT_LT(plain.top, baseline - 10);

    // Decorations run the whole advance, at the face's own positions.
    const TestSupport::InkBox underlined = inkOf(kFontStyleUnderline);
    EXPECT_EQ(underlined.left, static_cast<int>(x));
    EXPECT_EQ(underlined.right, static_cast<int>(std::ceil(x + advance)));
    const int underlineRow = static_cast<int>(std::round(baseline - m.underlinePosition * scale));
    EXPECT_TRUE(TestSupport::RowIsInked(underlined, underlineRow, static_cast<int>(x) + 1,
                                        static_cast<int>(x + advance) - 1));
    const TestSupport::InkBox struck = inkOf(kFontStyleStrikeout);
    const int strikeRow = static_cast<int>(std::round(baseline - m.strikeoutPosition * scale));
    EXPECT_TRUE(TestSupport::RowIsInked(struck, strikeRow, static_cast<int>(x) + 1,
                                        static_cast<int>(x + advance) - 1));
    EXPECT_FALSE(TestSupport::RowIsInked(plain, strikeRow, static_cast<int>(x) + 1,
                                         static_cast<int>(x + advance) - 1));
}

}  // namespace
}  // namespace Platform
