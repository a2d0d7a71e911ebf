#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>

#include "RIZozivirod/Renderer/Gdi/GDIRendererTestSupport.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"

namespace QV {
namespace {

// The bundled font's tables as the metric formulas use them, read straight from the file.
struct GdiTextFontTables {
    float unitsPerEm = 0, winAscent = 0, winDescent = 0, lineSpacing = 0;
    float advance = 0;  // design advance of the text asked for
};

GdiTextFontTables GdiTextReadTables(const std::string& path, const char16_t* text) {
    GdiTextFontTables t;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FT_Init_FreeType(&library);
    FT_New_Face(library, path.c_str(), 0, &face);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    t.unitsPerEm = face->units_per_EM;
    t.winAscent = os2->usWinAscent;
    t.winDescent = os2->usWinDescent;
    const float cell = t.winAscent + t.winDescent;
    t.lineSpacing = cell + std::max(0.0f, hhea->Line_Gap - (cell - (hhea->Ascender - hhea->Descender)));
    for (const char16_t* c = text; *c != 0; ++c) {
        FT_Load_Char(face, *c, FT_LOAD_NO_SCALE);
        t.advance += static_cast<float>(face->glyph->advance.x);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return t;
}

int32_t Round(float value) {
    return static_cast<int32_t>(std::round(value));
}

using GDIRendererText = GDIRendererTest;

TEST_F(GDIRendererText, MetricsFollowTheFormulasFromTheFontsTables) {
    struct Case {
        const char16_t* face;
        float size;
        int32_t style;
        std::string file;
    };
    const Case cases[] = {
        {u"DejaVu Sans", 9.0f, 0, TestSupport::TestFontPath()},
        {u"DejaVu Sans", 13.5f, LFont::kUnderline, TestSupport::TestFontPath()},
        {u"DejaVu Sans", 10.0f, LFont::kBold, TestSupport::TestBoldFontPath()},
        // Not installed: measured with the face drawing falls back to.
        {u"Tahoma", 8.0f, 0, TestSupport::TestFontPath()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const GdiTextFontTables t = GdiTextReadTables(c.file, u"");
        int32_t height = -1, ascent = -1, descent = -1;
        ASSERT_EQ(renderer->GetFontMetrics(LFont::GetFont(c.face, c.size, c.style), height, ascent, descent),
                  S_OK);
        EXPECT_EQ(height, Round(t.lineSpacing * c.size / t.unitsPerEm * 96.0f / 72.0f + 0.499f));
        EXPECT_EQ(ascent, Round(t.winAscent * c.size * -96.0f / (t.unitsPerEm * 72.0f) - 0.499f));
        EXPECT_EQ(descent, Round(t.winDescent * c.size * 96.0f / (t.unitsPerEm * 72.0f) + 0.499f));
        EXPECT_LT(ascent, 0);
    }
}

TEST_F(GDIRendererText, WithoutAnyFaceMetricsFailAndTheFontStaysUnmeasured) {
    services->measuringRenderer = renderer;
    RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 21.0f, 0);
    {
        TestSupport::ScopedNoFonts noFonts;
        int32_t height = -1, ascent = -1, descent = -1;
        EXPECT_EQ(renderer->GetFontMetrics(font, height, ascent, descent), E_FAIL);
        EXPECT_EQ(height, 0);
        EXPECT_EQ(ascent, 0);
        EXPECT_EQ(descent, 0);
        EXPECT_EQ(font->GetHeight(), 0);
        EXPECT_EQ(renderer->MeasureText(u"abc", font), (RectT<float>{0, 0, 0, 0}));
    }
    EXPECT_GT(font->GetHeight(), 0);  // measured once a face can be made
    int32_t height = -1, ascent = -1, descent = -1;
    EXPECT_EQ(renderer->GetFontMetrics(nullptr, height, ascent, descent), E_FAIL);
    EXPECT_EQ(renderer->GetFontMetrics(LFont::GetFont(u"DejaVu Sans", 0.0f, 0), height, ascent, descent),
              E_FAIL);
}

TEST_F(GDIRendererText, MeasureTextFollowsTheFormula) {
    RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 9.0f, 0);
    int32_t height = 0, ascent = 0, descent = 0;
    renderer->GetFontMetrics(font, height, ascent, descent);
    for (const char16_t* text : {u"Preset 12", u"W", u"  ", u"Wave, AV!"}) {
        const GdiTextFontTables t = GdiTextReadTables(TestSupport::TestFontPath(), text);
        const float right = t.advance * 9.0f * 96.0f / 72.0f / t.unitsPerEm;
        const RectT<float> measured = renderer->MeasureText(text, font);
        EXPECT_EQ(measured, (RectT<float>{0.0f, static_cast<float>(ascent),
                                          std::trunc(right + 0.9999f) + 3.0f, static_cast<float>(height)}));
    }
    EXPECT_EQ(renderer->MeasureText(u"", font), (RectT<float>{0, 0, 0, 0}));
    EXPECT_EQ(renderer->MeasureText(u"x", nullptr), (RectT<float>{0, 0, 0, 0}));
}

// A renderer whose text always ends at a given right edge on the measuring surface.
class FixedEdgeRenderer : public LGDIRenderer {
public:
    float edge = 50.0f;

protected:
    float MeasureRightEdge(const WString&, const LFont&) override { return edge; }
};

TEST_F(GDIRendererText, MeasuredWidthsAreGivenAt96Dpi) {
    struct Case {
        int32_t dpi;
        float edge;
        float width;
    };
    const Case cases[] = {{120, 50.0f, 43.0f}, {96, 50.0f, 53.0f}, {96, 0.2f, 4.0f}, {144, 0.0f, 0.0f}};
    RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 9.0f, 0);
    for (const Case& c : cases) {
        services->screenDpi = c.dpi;
        RCPtr<FixedEdgeRenderer> stub(new FixedEdgeRenderer());
        stub->edge = c.edge;
        EXPECT_EQ(stub->MeasureText(u"label", font).width, c.width) << c.dpi << " dpi, edge " << c.edge;
    }
    // A real text measures the same at any screen resolution, give or take the rounding.
    services->screenDpi = 120;
    RCPtr<LGDIRenderer> at120(new LGDIRenderer());
    EXPECT_NEAR(at120->MeasureText(u"Preset name", font).width,
                renderer->MeasureText(u"Preset name", font).width, 1.0f);
}

TEST_F(GDIRendererText, DrawnInkLiesInTheMeasuredBoxAndInsideTheClip) {
    auto target = MakeTarget(200, 60, true);
    for (int32_t style : {0, LFont::kBold, LFont::kItalic, LFont::kUnderline | LFont::kStrikeout}) {
        SCOPED_TRACE(style);
        RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 12.0f, style);
        const WString text = u"Bright jQ|";
        const RectT<float> box = renderer->MeasureText(text, font);
        const PointT<int32_t> position{20, 15};
        Frame(target, {{0, 0, 200, 60}},
              [&] { renderer->DrawText(text, font, position, Color::FromARGB(kBlue)); });
        // Hinting may leave a barely visible antialiasing fringe a pixel past the cell.
        const TestSupport::InkBox ink = Ink(target, 0, 0x20);
        ASSERT_FALSE(ink.empty);
        // The line's box starts one pixel above the position.
        EXPECT_GE(ink.left, position.x);
        EXPECT_LE(ink.right, position.x + box.width);
        EXPECT_GE(ink.top, position.y - 1);
        EXPECT_LE(ink.bottom, position.y - 1 + box.height);
        EXPECT_GT(ink.right - ink.left, box.width / 2);
    }
    // Clipped: not a pixel outside the clip.
    RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 12.0f, 0);
    Frame(target, {{0, 0, 200, 60}}, [&] {
        renderer->PushState();
        renderer->PushClip({30, 10, 20, 10}, {30, 10, 20, 10}, nullptr, true);
        renderer->DrawText(u"Clipped text", font, {-15, 2}, Color::FromARGB(kBlue));
        renderer->PopState();
    });
    const TestSupport::InkBox clipped = Ink(target);
    ASSERT_FALSE(clipped.empty);
    EXPECT_GE(clipped.left, 30);
    EXPECT_LE(clipped.right, 50);
    EXPECT_GE(clipped.top, 10);
    EXPECT_LE(clipped.bottom, 20);
}

}  // namespace
}  // namespace QV
