#include "RIZozivirod/Renderer/OpenGL/GLGlyphRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "RIZozivirod/Renderer/FontRenderer/FontFileInfo.h"
#include "RIZozivirod/Renderer/FontRenderer/FreetypeFontRenderer.h"
#include "RIZozivirod/Renderer/MeasurementRenderer.h"
#include "UITestSupport/HeadlessGL.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/TestFonts.h"

namespace QV {
namespace {

using Atlas = LGLGlyphRenderer::LCachedFont;

struct Cell {
    int32_t width;
    int32_t height;
    int32_t x;  // -1: not placed
    int32_t y;
    int32_t atlasHeight;
};

// Cells are placed left to right in rows with a one-pixel border; a cell that would reach the
// right edge starts a row below the tallest cell of the row before; the atlas grows to powers
// of two and never past its largest height.
TEST(GLGlyphAtlasTest, PacksRowsAndGrows) {
    const Cell cells[] = {
        {10, 10, 1, 1, 16},       // the first row; a 10-point font's atlas starts 16 high
        {498, 4, 1, 13, 32},      // 12 + 500 reaches 512: a new row under the first
        {20, 30, 1, 19, 64},      // no room right of 500: a row under the 6-high one
        {5, 5, 23, 19, 64},       // beside it, in the same row
        {100, 40, 30, 19, 64},    // taller than the row's first cell: the row grows to 42
        {379, 1, 1, 61, 64},      // 131 + 381 reaches 512 exactly: the next row
        {0, 0, 382, 61, 64},      // an empty glyph still takes its border
        {509, 1, 1, 64, 128},     // the widest cell there is
        {510, 1, -1, -1, 128},    // wider than any row
        {1, 16383, -1, -1, 128},  // taller than the largest atlas
    };
    const RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 10.0f, 0);
    Atlas atlas(font);
    for (const Cell& c : cells) {
        uint16_t x = 0;
        uint16_t y = 0;
        const bool placed = atlas.Place(c.width, c.height, false, x, y);
        EXPECT_EQ(placed, c.x >= 0) << c.width << "x" << c.height;
        if (placed) {
            EXPECT_EQ(x, c.x) << c.width << "x" << c.height;
            EXPECT_EQ(y, c.y) << c.width << "x" << c.height;
        }
        EXPECT_EQ(atlas.GetAtlasHeight(), c.atlasHeight) << c.width << "x" << c.height;
    }
}

TEST(GLGlyphAtlasTest, CellsNeverOverlapAndAFullAtlasStartsOver) {
    const RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 10.0f, 0);
    Atlas atlas(font);
    struct Placed {
        int32_t x, y, width, height;
    };
    std::vector<Placed> placed;
    uint32_t seed = 7;
    bool full = false;
    while (!full) {
        seed = seed * 1103515245u + 12345u;
        const int32_t width = static_cast<int32_t>(seed >> 8) % 120;
        const int32_t height = static_cast<int32_t>(seed >> 20) % 90;
        uint16_t x = 0;
        uint16_t y = 0;
        if (!atlas.Place(width, height, false, x, y)) {
            full = true;
            break;
        }
        ASSERT_LE(x + width + 1, LGLGlyphRenderer::kAtlasWidth);
        ASSERT_LE(y + height + 1, atlas.GetAtlasHeight());
        for (const Placed& other : placed) {
            const bool apart = x + width + 1 <= other.x - 1 || other.x + other.width + 1 <= x - 1 ||
                               y + height + 1 <= other.y - 1 || other.y + other.height + 1 <= y - 1;
            ASSERT_TRUE(apart) << x << "," << y << " against " << other.x << "," << other.y;
        }
        placed.push_back({x, y, width, height});
    }
    EXPECT_EQ(atlas.GetAtlasHeight(), LGLGlyphRenderer::kAtlasMaxHeight);
    EXPECT_GT(placed.size(), 100u);

    // A glyph that no longer fits empties the atlas and takes its first cell.
    atlas.AddGlyph({'A', 36, 0, -10, 8, 0, 512, 0, 1, 1});
    uint16_t x = 0;
    uint16_t y = 0;
    ASSERT_TRUE(atlas.Place(100, 89, true, x, y));
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 1);
    EXPECT_EQ(atlas.FindGlyph('A'), nullptr);
}

// Reports every glyph the font renderer had to load, then hands it on.
class CountingProcessor : public LGlyphProcessor {
public:
    explicit CountingProcessor(const RCPtr<LGlyphProcessor>& inner) : inner(inner) {}
    void Begin(const ConstRCPtr<LFont>& font, int32_t flags) override { inner->Begin(font, flags); }
    void End() override { inner->End(); }
    uint32_t QueryGlyph(SGlyphRecord& record) override {
        const uint32_t need = inner->QueryGlyph(record);
        loads += need != 0;
        return need;
    }
    void ProcessGlyph(SGlyphRecord& record) override { inner->ProcessGlyph(record); }
    SGlyphBounds GetBounds() override { return inner->GetBounds(); }

    RCPtr<LGlyphProcessor> inner;
    int loads = 0;
};

// The application's measuring renderer over the font renderer, so fonts know their ascent.
class FontMeasurer : public LMeasurementRenderer {
public:
    explicit FontMeasurer(LFontRenderer* renderer) : renderer(renderer) {}
    int32_t GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                           int32_t& descent) override {
        return renderer->GetFontMetrics(font, height, ascent, descent);
    }
    RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override {
        return renderer->MeasureText(text, font);
    }
    LFontRenderer* renderer;
};

class FreetypeTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::UseTestFonts();
        glyphs = RCPtr<LGLGlyphRenderer>(new LGLGlyphRenderer());
        counter = RCPtr<CountingProcessor>(new CountingProcessor(glyphs));
        renderer = RCPtr<LFreetypeFontRenderer>(new LFreetypeFontRenderer(counter, counter));
        services->measuringRenderer = RCPtr<LMeasurementRenderer>(new FontMeasurer(renderer.Get()));
    }
    void TearDown() override { services->measuringRenderer = nullptr; }

    // Draws white text with its line's top-left at (x, y) and returns the ink's bounds as
    // left, top, right, bottom (one past), or all -1 without ink.
    static RectT<int32_t> DrawInk(LFontRenderer& renderer, const TestSupport::OffscreenGL& gl, int32_t size,
                                  const WString& text, const RCPtr<LFont>& font, float x, float y) {
        glClear(GL_COLOR_BUFFER_BIT);
        glColor4f(1, 1, 1, 1);
        glPushMatrix();
        glTranslatef(x, y, 0);
        renderer.ProcessGlyphs(text, font, renderer.GetGlyphProcessor(), 0, 0.0f, LGlyphProcessor::kRender);
        glPopMatrix();
        const std::vector<uint32_t> pixels = gl.Pixels();
        RectT<int32_t> ink{INT32_MAX, INT32_MAX, -1, -1};
        for (int32_t py = 0; py < size; ++py) {
            for (int32_t px = 0; px < size; ++px) {
                if ((pixels[static_cast<size_t>(py) * size + px] >> 24) != 0) {
                    ink = {std::min(ink.x, px), std::min(ink.y, py), std::max(ink.width, px + 1),
                           std::max(ink.height, py + 1)};
                }
            }
        }
        return ink.width < 0 ? RectT<int32_t>{-1, -1, -1, -1} : ink;
    }

    ScopedTestApplicationServices services;
    RCPtr<LGLGlyphRenderer> glyphs;
    RCPtr<CountingProcessor> counter;
    RCPtr<LFreetypeFontRenderer> renderer;
};

TEST_F(FreetypeTextTest, MetricsAndMeasures) {
    const RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 20.5f, 0);
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    ASSERT_EQ(renderer->GetFontMetrics(font, height, ascent, descent), S_OK);
    EXPECT_LT(ascent, 0);
    EXPECT_GT(descent, 0);
    EXPECT_GE(height, descent - ascent);
    EXPECT_GE(height, 96 * 20.5 / 72 - 1);

    const RectT<float> measured = renderer->MeasureText(u"Hamburg", font);
    EXPECT_EQ(measured.x, 0.0f);
    EXPECT_LE(measured.y, static_cast<float>(ascent));
    EXPECT_GE(measured.height, static_cast<float>(descent - ascent));
    EXPECT_GT(measured.width, 60.0f);
    // A character the font has no glyph for takes no room; kerned pairs close up.
    EXPECT_EQ(renderer->MeasureText(u"A\uE000B", font).width, renderer->MeasureText(u"AB", font).width);
    EXPECT_LT(renderer->MeasureText(u"AV", font).width,
              renderer->MeasureText(u"A", font).width + renderer->MeasureText(u"V", font).width - 1.0f);
    // Measuring cached every glyph: measuring again loads nothing.
    counter->loads = 0;
    renderer->MeasureText(u"AVHamburg", font);
    EXPECT_EQ(counter->loads, 0);

    // Small sizes are rendered without antialiasing.
    for (const float size : {7.5f, 12.5f}) {
        const RCPtr<LFont> sized = LFont::GetFont(u"DejaVu Sans", size, 0);
        renderer->MeasureText(u"Sphinx of black quartz", sized);
        const RCPtr<Atlas> atlas = glyphs->GetCachedFont(sized);
        ASSERT_TRUE(atlas);
        int grey = 0;
        for (int32_t y = 0; y < atlas->GetAtlasHeight(); ++y) {
            for (int32_t x = 0; x < LGLGlyphRenderer::kAtlasWidth; ++x) {
                const uint8_t coverage = atlas->GetCoverage(x, y);
                grey += coverage != 0 && coverage != 255;
            }
        }
        EXPECT_EQ(grey == 0, size < LFreetypeFontRenderer::kMonochromeBelow) << size;
    }

    // A face the index cannot resolve at all draws and measures nothing, and does not throw.
    services->systemFontFace = u"No Such Face";
    LFontFileInfo::EmptyFontIndex();
    EXPECT_EQ(renderer->GetFontMetrics(LFont::GetFont(u"Nothing", 9, 0), height, ascent, descent), E_FAIL);
    EXPECT_EQ(renderer->ProcessGlyphs(u"x", LFont::GetFont(u"Nothing", 9, 0), glyphs, 0, 0, 3), 0);
    LFontFileInfo::BuildFontIndex();
}

TEST_F(FreetypeTextTest, DrawsFromTheAtlasInsideItsMeasure) {
    TestSupport::OffscreenGL gl(160, 160);
    ASSERT_TRUE(gl.IsReady());
    const RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 20.5f, 0);
    const RectT<float> measured = renderer->MeasureText(u"Jump", font);
    counter->loads = 0;
    const RectT<int32_t> ink = DrawInk(*renderer, gl, 160, u"Jump", font, 10, 20);
    EXPECT_EQ(counter->loads, 0);
    // The first glyph's ink starts at the origin although "J" reaches left of its pen.
    EXPECT_EQ(ink.x, 10);
    EXPECT_LE(ink.width, 10 + static_cast<int32_t>(measured.x + measured.width) + 1);
    EXPECT_GE(ink.y, 20);
    EXPECT_LE(ink.height, 20 + font->GetDescent() - font->GetAscent());
}

// A glyph no atlas row can hold is drawn from a texture of its own and not kept.
TEST_F(FreetypeTextTest, GlyphsTooLargeForTheAtlasAreDrawnUncached) {
    TestSupport::OffscreenGL gl(900, 900);
    ASSERT_TRUE(gl.IsReady());
    const RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 420.0f, 0);
    const RectT<int32_t> ink = DrawInk(*renderer, gl, 900, u"W", font, 0, 0);
    EXPECT_GT(ink.width - ink.x, 509);
    EXPECT_EQ(glyphs->GetCachedFont(font)->FindGlyph('W'), nullptr);
    counter->loads = 0;
    DrawInk(*renderer, gl, 900, u"W", font, 0, 0);
    EXPECT_EQ(counter->loads, 1);
}

}  // namespace
}  // namespace QV
