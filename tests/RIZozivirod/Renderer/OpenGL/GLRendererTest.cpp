#include "RIZozivirod/Renderer/OpenGL/GLRenderer.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "RIZozivirod/Utilities/Graphics/ColorRectList.h"
#include "UITestSupport/HeadlessGL.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/TestFonts.h"

namespace QV {
namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kClear = 0x00000000;

// An OpenGL renderer (type 0) on a headless surface of 48 x 40, test services and the bundled
// fonts; the window's frames are read back pixel by pixel.
class GLRendererTest : public ::testing::Test {
protected:
    static constexpr int32_t kWidth = 48;
    static constexpr int32_t kHeight = 40;

    void SetUp() override {
        TestSupport::UseTestFonts();
        renderer = LRenderer::Create(kRendererOpenGL, {0, 0, kWidth, kHeight}, 0);
        ASSERT_TRUE(renderer);
        gl = dynamic_cast<LGLRenderer*>(renderer.Get());
        ASSERT_NE(gl, nullptr);
        window = MakeTarget(kWidth, kHeight, false);
    }

    RCPtr<LRenderContextInfo> MakeTarget(int32_t width, int32_t height, bool offscreen) {
        RCPtr<LRenderContextInfo> target;
        EXPECT_EQ(renderer->InitRenderContextInfo({0, 0, width, height}, 0, offscreen, target), S_OK);
        return target;
    }

    void Frame(const RCPtr<LRenderContextInfo>& target, const std::function<void()>& paint) {
        renderer->RenderStart(target);
        paint();
        renderer->RenderFinish(target);
        pixels = TestSupport::ReadPixels(kWidth, kHeight);
    }

    uint32_t Pixel(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * kWidth + x]; }

    struct Probe {
        int32_t x, y;
        uint32_t expected;
    };
    void ExpectPixels(std::initializer_list<Probe> probes) const {
        for (const Probe& p : probes) {
            EXPECT_EQ(Pixel(p.x, p.y), p.expected) << std::hex << "at " << std::dec << p.x << ", " << p.y;
        }
    }

    TestSupport::ScopedHeadlessGL headlessGL;
    ScopedTestApplicationServices services;
    RCPtr<LRenderer> renderer;
    LGLRenderer* gl = nullptr;
    RCPtr<LRenderContextInfo> window;
    std::vector<uint32_t> pixels;
};

TEST_F(GLRendererTest, RectanglesClipsAndOriginAreExact) {
    EXPECT_EQ(renderer->GetRendererType(), kRendererOpenGL);
    Frame(window, [&] {
        renderer->FillRect({0, 0, 48, 40}, Color::FromARGB(kWhite), true);
        renderer->PushState();
        // Origin (20, 10), clip (20, 10) .. (25, 13) on the target.
        renderer->PushClip({20, 10, 10, 10}, {20, 10, 5, 3}, nullptr, true);
        renderer->FillRect({-5, -5, 30, 30}, Color::FromARGB(kGreen), true);
        renderer->PopState();
        renderer->PushState();
        renderer->PushOrigin({30.4, 1.6});  // rounded to (30, 2)
        renderer->FillRect({0, 0, 2, 2}, Color::FromARGB(kBlue), true);
        renderer->PopState();
        // A clip wholly above and left of the target lets nothing through.
        renderer->PushState();
        renderer->PushClip({0, 0, 48, 40}, {-30, -30, 10, 10}, nullptr, false);
        renderer->FillRect({0, 0, 48, 40}, Color::FromARGB(kRed), true);
        renderer->PopState();
        renderer->PopState();
        // Unblended: the pixels become the colour, alpha included, whatever the clip.
        renderer->PushState();
        renderer->PushClip({0, 0, 48, 40}, {0, 0, 1, 1}, nullptr, true);
        renderer->FillRect({40, 30, 100, 100}, Color::FromARGB(0x80FF0000), false);
        renderer->PopState();
        // Coloured rectangles: scaled, moved by the offset, the first entry drawn last (on top).
        ColorRectListT<float> list;
        list.scaleX = 2.0f;
        list.scaleY = 1.0f;
        list.entries = {{{0.0f, 0.0f, 1.0f, 2.0f}, kRed}, {{0.0f, 0.0f, 2.0f, 2.0f}, kGreen}};
        renderer->DrawColorRectList(list, {2.0, 20.0});
        renderer->DrawRect({10, 30, 4, 4}, Color::FromARGB(kBlue), Color(), 1.0f);
    });
    ExpectPixels({{20, 10, kGreen},     {24, 12, kGreen}, {25, 12, kWhite}, {24, 13, kWhite},
                  {19, 10, kWhite},     {30, 2, kBlue},   {31, 3, kBlue},   {32, 2, kWhite},
                  {29, 2, kWhite},      {2, 20, kRed},    {3, 21, kRed},    {4, 20, kGreen},
                  {5, 21, kGreen},      {6, 20, kWhite},  {2, 22, kWhite},  {40, 30, 0x80FF0000},
                  {47, 39, 0x80FF0000}, {39, 30, kWhite}, {10, 30, kBlue},  {13, 33, kBlue},
                  {14, 33, kWhite},     {0, 0, kWhite}});
    // Nothing is left pushed: the next frame draws at the target's own origin, unclipped.
    Frame(window, [&] { renderer->FillRect({0, 0, 1, 1}, Color::FromARGB(kBlue), true); });
    ExpectPixels({{0, 0, kBlue}, {1, 0, kWhite}});
}

TEST_F(GLRendererTest, LinesAndFramesCoverTheirPixels) {
    Frame(window, [&] {
        renderer->FrameRect({2, 2, 5, 4}, Color::FromARGB(kRed), 1.0f);  // columns 2 and 7, rows 2 and 6
        renderer->DrawLine({10, 1}, {14, 1}, Color::FromARGB(kBlue), 1.0f);
    });
    // Lines are antialiased: the outline's pixels are strongly covered, their neighbours not.
    for (const Probe& p : {Probe{2, 4, kRed}, {7, 4, kRed}, {4, 2, kRed}, {4, 6, kRed}, {12, 1, kBlue}}) {
        EXPECT_GE(Pixel(p.x, p.y) >> 24, 0xC0u) << p.x << ", " << p.y;
        EXPECT_EQ(Pixel(p.x, p.y) & 0xFFFFFF, p.expected & 0xFFFFFF) << p.x << ", " << p.y;
    }
    for (const Probe& p : {Probe{4, 4, 0}, {4, 8, 0}, {9, 4, 0}, {12, 3, 0}}) {
        EXPECT_EQ(Pixel(p.x, p.y), kClear) << p.x << ", " << p.y;
    }
}

// Bitmaps: one texture per pixel store, 1:1 copies exact, whole tiles cut by the clip.
TEST_F(GLRendererTest, BitmapsDrawThroughOneTexturePerPixelStore) {
    RCPtr<LBitmap> pattern = LBitmap::CreateFilledBitmap({10, 6}, Color::FromARGB(kWhite));
    {
        RCPtr<LBitmapData> data = pattern->LockData();
        for (int32_t y = 0; y < 6; ++y) {
            for (int32_t x = 0; x < 10; ++x) {
                *data->GetPixelPointer(x, y) = 0xFF000080u | (static_cast<uint32_t>(x) << 16) | (y << 8);
            }
        }
    }
    const RCPtr<LBitmap> part = pattern->CreateSubBitmap(2, 1, 3, 2);
    const RCPtr<LBitmap> red = LBitmap::CreateFilledBitmap({3, 2}, Color::FromARGB(kRed));
    Frame(window, [&] {
        renderer->DrawBitmap(pattern, {1, 1, 10, 6}, ResizeType::Center);  // same size: a plain copy
        renderer->DrawBitmap(part, {20, 1, 3, 2}, ResizeType::Stretch);
        renderer->PushState();
        renderer->PushClip({0, 0, 48, 40}, {12, 10, 8, 5}, nullptr, false);
        renderer->DrawBitmap(part, {12, 10, 100, 100}, ResizeType::Tile);
        renderer->PopState();
        renderer->DrawBitmap(red, {30, 20, 8, 5}, ResizeType::Center);  // (30 + 2, 20 + 1)
        renderer->DrawBitmap(red, {30, 30, 12, 6}, ResizeType::Stretch);
    });
    for (int32_t y = 0; y < 6; ++y) {
        for (int32_t x = 0; x < 10; ++x) {
            ASSERT_EQ(Pixel(1 + x, 1 + y), 0xFF000080u | (static_cast<uint32_t>(x) << 16) | (y << 8))
                << x << "," << y;
        }
    }
    const auto patternAt = [](int32_t x, int32_t y) {
        return 0xFF000080u | (static_cast<uint32_t>(x) << 16) | (static_cast<uint32_t>(y) << 8);
    };
    ExpectPixels({{20, 1, patternAt(2, 1)},
                  {22, 2, patternAt(4, 2)},
                  {12, 10, patternAt(2, 1)},
                  {15, 12, patternAt(2, 1)},
                  {19, 14, patternAt(3, 1)},
                  {20, 10, kClear},
                  {12, 15, kClear},
                  {31, 21, kClear},
                  {32, 21, kRed},
                  {34, 22, kRed},
                  {35, 22, kClear},
                  {30, 30, kRed},
                  {41, 35, kRed}});
    // The pattern and its part share one texture.
    int entries = 0;
    for (const RCPtr<LBitmap>& bitmap : {pattern, part, red}) {
        entries += static_cast<bool>(*gl->GetTextureCache().GetEntry(bitmap, false));
    }
    EXPECT_EQ(entries, 3);
    EXPECT_EQ(gl->GetTextureCache().GetEntry(pattern, false)->Get(),
              gl->GetTextureCache().GetEntry(part, false)->Get());

    renderer->RenderStart(window);
    EXPECT_EQ(renderer->DrawBitmap(nullptr, {0, 0, 4, 4}, ResizeType::Stretch), E_INVALIDARG);
    EXPECT_THROW(renderer->DrawBitmap(red, {0, 0, 5, 4}, static_cast<ResizeType>(3)), std::logic_error);
    renderer->RenderFinish(window);
}

// Shapes drawn to be kept are compiled once, called afterwards and compiled again when changed;
// a concave polygon fills without its notch; a polygon's outline is closed.
TEST_F(GLRendererTest, ShapesAreCompiledOnceAndAgainWhenChanged) {
    PolylineT<float> shape;
    shape.points = {{0, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 20}, {0, 20}};
    Frame(window, [&] {
        renderer->FillPolygon(shape, Color::FromARGB(kBlue), {2, 2}, {1, 1}, true);
        renderer->FillPolygon(shape, Color::FromARGB(kRed), {24, 2}, {1, 1}, true);  // same list, elsewhere
    });
    EXPECT_EQ(gl->GetCompileCount(), 1);
    ExpectPixels(
        {{4, 4, kBlue}, {18, 8, kBlue}, {4, 18, kBlue}, {16, 16, kClear}, {26, 4, kRed}, {38, 16, kClear}});

    shape.points[2] = {20, 20};  // no notch any more
    shape.points.erase(shape.points.begin() + 3, shape.points.begin() + 5);
    shape.changed = true;
    Frame(window, [&] {
        renderer->FillPolygon(shape, Color::FromARGB(kGreen), {2, 2}, {1, 1}, true);
        renderer->FillPolygon(shape, Color::FromARGB(kGreen), {2, 2}, {1, 1}, true);
    });
    EXPECT_EQ(gl->GetCompileCount(), 2);
    ExpectPixels({{16, 16, kGreen}});

    PolylineT<float> square;
    square.points = {{0, 0}, {6, 0}, {6, 6}, {0, 6}};
    Frame(window, [&] {
        renderer->FillRect({0, 0, 48, 40}, Color(), false);
        renderer->DrawPolygon(square, Color::FromARGB(kRed), {30, 30}, {1, 1}, false);
        renderer->DrawPolyline(square, Color::FromARGB(kBlue), {40, 30}, {1, 0.5f}, false);
    });
    EXPECT_EQ(gl->GetCompileCount(), 2);
    EXPECT_FALSE(*gl->GetShapeCache(LGLRenderer::kOutline).GetEntry(square, false));
    EXPECT_GE(Pixel(30, 33) >> 24, 0xC0u);  // the closing edge
    EXPECT_LT(Pixel(40, 31) >> 24, 0x40u);  // an open line has none
    EXPECT_GE(Pixel(46, 31) >> 24, 0xC0u);
}

// An offscreen target keeps its picture from frame to frame, is drawn into other targets, and
// shifts its own picture; a frame of it inside a window's frame leaves the window as it was.
TEST_F(GLRendererTest, OffscreenTargetsKeepTheirPicture) {
    RCPtr<LRenderContextInfo> picture = MakeTarget(16, 12, true);
    renderer->RenderStart(window);
    renderer->FillRect({0, 0, 48, 40}, Color::FromARGB(kWhite), true);
    renderer->RenderStart(picture);
    renderer->FillRect({0, 0, 4, 3}, Color::FromARGB(kRed), true);
    renderer->RenderFinish(picture);
    renderer->RenderFinish(window);
    pixels = TestSupport::ReadPixels(kWidth, kHeight);
    ExpectPixels({{0, 0, kWhite}, {2, 1, kWhite}, {47, 39, kWhite}});

    Frame(picture, [&] { renderer->FillRect({4, 0, 2, 2}, Color::FromARGB(kBlue), true); });
    Frame(window, [&] {
        renderer->FillRect({0, 0, 48, 40}, Color(), false);
        renderer->DrawRenderContext(picture, {20, 20}, {0, 0, 8, 6});
        renderer->DrawRenderContext(picture, {40, 0}, {3, 2, 2, 2});
    });
    ExpectPixels({{20, 20, kRed},
                  {23, 22, kRed},
                  {24, 20, kBlue},
                  {25, 21, kBlue},
                  {26, 20, kClear},
                  {24, 22, kClear},
                  {40, 0, kRed},
                  {41, 0, kClear}});

    EXPECT_EQ(renderer->CopyRenderContext(picture, {2, 1}), S_OK);
    Frame(window, [&] {
        renderer->FillRect({0, 0, 48, 40}, Color(), false);
        renderer->DrawRenderContext(picture, {0, 0}, {0, 0, 16, 12});
    });
    ExpectPixels({{0, 0, kClear}, {1, 1, kClear}, {2, 1, kRed}, {5, 3, kRed}, {6, 1, kBlue}, {6, 4, kClear}});

    EXPECT_EQ(renderer->CopyRenderContext(window, {1, 1}), E_INVALIDARG);
    renderer->RenderStart(window);
    EXPECT_EQ(renderer->DrawRenderContext(window, {0, 0}, {0, 0, 4, 4}), E_INVALIDARG);
    renderer->RenderFinish(window);
}

TEST_F(GLRendererTest, TextDrawsInsideItsMeasure) {
    services->measuringRenderer = renderer;
    const RCPtr<LFont> font = LFont::GetFont(u"DejaVu Sans", 13.5f, 0);
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    ASSERT_EQ(renderer->GetFontMetrics(font, height, ascent, descent), S_OK);
    const RectT<float> measured = renderer->MeasureText(u"Tango", font);
    Frame(window, [&] { renderer->DrawText(u"Tango", font, {4, 6}, Color::FromARGB(kGreen)); });
    int32_t left = kWidth, top = kHeight, right = -1, bottom = -1;
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            if (Pixel(x, y) != kClear) {
                EXPECT_EQ(Pixel(x, y) & 0xFF00FF, 0u) << x << ", " << y;  // green ink only
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_GE(right, left);
    EXPECT_GE(left, 4 + static_cast<int32_t>(measured.x));
    EXPECT_LE(right, 4 + static_cast<int32_t>(measured.x + measured.width));
    EXPECT_GE(top, 6);
    EXPECT_LE(bottom, 6 + descent - ascent);
    services->measuringRenderer = nullptr;
}

// Every 300000 ms of the application's clock a frame's end drops what was not used since the
// purge before (the cache's marks count lookups, so the use at a mark lasts one period more).
TEST_F(GLRendererTest, CachesArePurgedOnTheApplicationClock) {
    PolylineT<float> line;
    line.points = {{0, 0}, {5, 5}};
    PolylineT<float> other = line;
    const RCPtr<LBitmap> red = LBitmap::CreateFilledBitmap({3, 2}, Color::FromARGB(kRed));
    const RCPtr<LBitmap> blue = LBitmap::CreateFilledBitmap({3, 2}, Color::FromARGB(kBlue));
    const auto draw = [&](PolylineT<float>& polyline, const RCPtr<LBitmap>& bitmap) {
        Frame(window, [&] {
            renderer->DrawPolyline(polyline, Color::FromARGB(kRed), {0, 0}, {1, 1}, true);
            renderer->DrawBitmap(bitmap, {0, 0, 3, 2}, ResizeType::Stretch);
        });
    };
    draw(line, red);
    services->AdvanceMs(LGLRenderer::kPurgeIntervalMs);
    Frame(window, [] {});  // not due yet
    services->AdvanceMs(1);
    Frame(window, [] {});  // due: marks what has been used so far
    for (int period = 0; period < 2; ++period) {
        draw(other, blue);
        services->AdvanceMs(LGLRenderer::kPurgeIntervalMs + 1);
        Frame(window, [] {});
    }
    EXPECT_FALSE(*gl->GetShapeCache(LGLRenderer::kOpenLine).GetEntry(line, false));
    EXPECT_FALSE(*gl->GetTextureCache().GetEntry(red, false));
    EXPECT_TRUE(*gl->GetShapeCache(LGLRenderer::kOpenLine).GetEntry(other, false));
    EXPECT_TRUE(*gl->GetTextureCache().GetEntry(blue, false));
}

// Without a GL context the renderer is not made: the user is told, and a runtime error raised.
TEST(GLRendererFailureTest, AContextThatCannotBeMadeIsReported) {
    struct NoContexts : Platform::GLContextProvider {
        std::unique_ptr<Platform::GLContext> CreateContext(void*, int32_t, int32_t,
                                                           std::string& error) override {
            error = "no GL here";
            return nullptr;
        }
    } provider;
    Platform::SetGLContextProvider(&provider);
    ScopedTestApplicationServices services;
    try {
        LRenderer::Create(kRendererOpenGL, {0, 0, 10, 10}, 0);
        ADD_FAILURE() << "made without a context";
    } catch (const std::runtime_error& e) {
        EXPECT_TRUE(std::regex_match(
            e.what(), std::regex("Runtime Error : no GL here : QV::LGLRenderer::LGLRenderer : "
                                 "RIZozivirod/Renderer/OpenGL/GLRenderer\\.cpp : Line [0-9]+")))
            << e.what();
    }
    Platform::SetGLContextProvider(nullptr);
    ASSERT_EQ(services->messageBoxes.size(), 1u);
    EXPECT_EQ(services->messageBoxes[0].caption, u"OpenGL Error");
    EXPECT_EQ(services->messageBoxes[0].text.Left(24), u"wglCreateContext failed.");
    EXPECT_EQ(services->messageBoxes[0].style, 0x30u);
}

}  // namespace
}  // namespace QV
