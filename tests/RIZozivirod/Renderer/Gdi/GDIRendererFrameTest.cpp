#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "RIZozivirod/Renderer/Gdi/GDIRendererTestSupport.h"
#include "RIZozivirod/Utilities/Graphics/ColorRectList.h"
#include "UITestSupport/RecordingPresenter.h"

namespace QV {
namespace {

using GDIRendererFrames = GDIRendererTest;

TEST_F(GDIRendererFrames, ShapesClipAndOriginReadBackExactly) {
    auto target = MakeTarget(40, 30, true);
    Frame(target, {{0, 0, 40, 30}}, [&] {
        renderer->FillRect({0, 0, 40, 30}, Color::FromARGB(kWhite), true);
        renderer->FrameRect({2, 2, 5, 4}, Color::FromARGB(kRed),
                            1.0f);  // outline columns 2 and 7, rows 2 and 6
        renderer->DrawLine({10, 1}, {14, 1}, Color::FromARGB(kBlue), 1.0f);  // both ends drawn
        renderer->PushState();
        // Origin (20, 10), clip (20, 10) .. (25, 13) on the target.
        renderer->PushClip({20, 10, 10, 10}, {20, 10, 5, 3}, nullptr, true);
        renderer->FillRect({-5, -5, 30, 30}, Color::FromARGB(kGreen), true);
        // Unblended fills ignore origin and clip: surface coordinates, cut to the surface.
        renderer->FillRect({36, 26, 100, 100}, Color::FromARGB(0x80FF0000), false);
        renderer->PopState();
        renderer->PushState();
        renderer->PushOrigin({30.4, 1.6});  // rounded to (30, 2)
        renderer->FillRect({0, 0, 2, 2}, Color::FromARGB(kBlue), true);
        renderer->PopState();
        renderer->PopState();
        // Coloured rectangles: scaled, moved by the offset, the first entry drawn last (on top).
        ColorRectListT<float> list;
        list.scaleX = 2.0f;
        list.scaleY = 1.0f;
        list.entries = {{{0.0f, 0.0f, 1.0f, 2.0f}, kRed}, {{0.0f, 0.0f, 2.0f, 2.0f}, kGreen}};
        renderer->DrawColorRectList(list, {2.0, 20.0});
    });
    struct Probe {
        int32_t x, y;
        uint32_t expected;
    };
    const Probe probes[] = {
        {2, 2, kRed},     {7, 2, kRed},         {2, 6, kRed},         {7, 6, kRed},     {3, 3, kWhite},
        {8, 2, kWhite},   {2, 7, kWhite},       {10, 1, kBlue},       {14, 1, kBlue},   {15, 1, kWhite},
        {9, 1, kWhite},   {20, 10, kGreen},     {24, 12, kGreen},     {25, 12, kWhite}, {24, 13, kWhite},
        {19, 10, kWhite}, {36, 26, 0x80800000}, {39, 29, 0x80800000}, {35, 26, kWhite}, {30, 2, kBlue},
        {31, 3, kBlue},   {32, 2, kWhite},      {2, 20, kRed},        {3, 21, kRed},    {4, 20, kGreen},
        {5, 21, kGreen},  {6, 20, kWhite},      {2, 22, kWhite},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(Pixel(target, p.x, p.y), p.expected) << "at " << p.x << ", " << p.y;
    }
    // Nothing is left pushed: the next frame draws at the target's own origin.
    Frame(target, {{0, 0, 1, 1}}, [&] { renderer->FillRect({0, 0, 1, 1}, Color::FromARGB(kBlue), true); });
    EXPECT_EQ(Pixel(target, 0, 0), kBlue);
}

TEST_F(GDIRendererFrames, FramesPresentOnlyTheirUpdateRectanglesLastToFirst) {
    auto target = MakeTarget(50, 20, false);
    RecordingPresenter window(50, 20);
    target->SetPresenter(&window);
    Frame(target, {{0, 0, 50, 20}}, [&] { renderer->FillRect({0, 0, 50, 20}, Color::FromARGB(kRed), true); });
    ASSERT_EQ(window.frames.size(), 1u);
    EXPECT_EQ(window.frames[0], (std::vector<RectT<int32_t>>{{0, 0, 50, 20}}));

    // A partial repaint draws over the retained picture and presents only its rectangles, in
    // the reverse of the region's order.
    target->GetUpdateRegion().Clear();
    target->GetUpdateRegion().AddRect(0, 0, 10, 10);
    target->GetUpdateRegion().AddRect(30, 5, 40, 15);
    Array<RectT<int32_t>> order;
    target->GetUpdateRegion().ForEachRect(order);
    renderer->RenderStart(target);
    renderer->FillRect({0, 0, 50, 20}, Color::FromARGB(kBlue), true);
    renderer->RenderFinish(target);
    ASSERT_EQ(window.frames.size(), 2u);
    ASSERT_EQ(window.frames[1].size(), 2u);
    EXPECT_EQ(window.frames[1][0], order.GetAt(1));
    EXPECT_EQ(window.frames[1][1], order.GetAt(0));
    EXPECT_EQ(window.At(5, 5), kBlue);
    EXPECT_EQ(window.At(35, 10), kBlue);
    EXPECT_EQ(window.At(20, 10), kRed);  // drawn on the surface, never presented
    EXPECT_EQ(Pixel(target, 20, 10), kBlue);

    // Two rectangles that together cover the viewport keep the picture; one that is the whole
    // viewport starts from a cleared one.
    Frame(target, {{0, 0, 25, 20}, {25, 0, 25, 20}}, [] {});
    EXPECT_EQ(Pixel(target, 20, 10), kBlue);
    Frame(target, {{0, 0, 50, 20}}, [] {});
    EXPECT_EQ(Pixel(target, 20, 10), kClear);

    // An offscreen target presents nothing.
    auto offscreen = MakeTarget(10, 10, true);
    offscreen->SetPresenter(&window);
    Frame(offscreen, {{0, 0, 10, 10}}, [] {});
    EXPECT_EQ(window.frames.size(), 4u);
}

// Stands in for a window whose pixels frames are drawn in: rows wider than the window, as a
// window surface's may be, and a switch to give none.
class PixelsPresenter : public Platform::IRenderPresenter {
public:
    PixelsPresenter(int32_t width, int32_t height)
        : width(width), height(height), pixels(static_cast<size_t>(kRowPixels) * height, 0) {}

    FrameBuffer GetFrameBuffer() override {
        if (!giving) {
            return {};
        }
        return {reinterpret_cast<uint8_t*>(pixels.data()), width, height, kRowPixels * 4};
    }
    void Present(cairo_surface_t* frame, const std::vector<RectT<int32_t>>&) override {
        drawnInPlace.push_back(cairo_image_surface_get_data(frame) ==
                               reinterpret_cast<uint8_t*>(pixels.data()));
    }
    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * kRowPixels + x]; }

    static constexpr int32_t kRowPixels = 64;
    int32_t width;
    int32_t height;
    bool giving = true;
    std::vector<uint32_t> pixels;
    std::vector<bool> drawnInPlace;
};

TEST_F(GDIRendererFrames, AWindowsTargetDrawsInTheWindowsPixelsWhereItsPresenterGivesThem) {
    auto target = MakeTarget(50, 20, false);
    PixelsPresenter window(50, 20);
    window.giving = false;
    target->SetPresenter(&window);
    Frame(target, {{0, 0, 50, 20}}, [&] { renderer->FillRect({0, 0, 50, 20}, Color::FromARGB(kRed), true); });

    // From its own picture to the window's pixels in a partial frame: the pixels take the
    // previous picture over.
    window.giving = true;
    Frame(target, {{0, 0, 10, 10}}, [&] {
        renderer->FillRect({0, 0, 10, 10}, Color::FromARGB(kBlue), true);
    });
    EXPECT_EQ(window.At(5, 5), kBlue);
    EXPECT_EQ(window.At(20, 10), kRed);
    EXPECT_EQ(window.At(49, 19), kRed);
    EXPECT_EQ(window.At(50, 0), 0u) << "past the window's width the rows are not drawn";
    // Outside the update region the window's pixels keep the previous frame.
    Frame(target, {{30, 5, 10, 10}}, [&] {
        renderer->FillRect({30, 5, 10, 10}, Color::FromARGB(kGreen), true);
    });
    EXPECT_EQ(window.At(35, 10), kGreen);
    EXPECT_EQ(window.At(5, 5), kBlue);
    EXPECT_EQ(window.drawnInPlace, (std::vector<bool>{false, true, true}));

    // Without its presenter the target keeps a copy of the picture, not the window's pixels.
    target->SetPresenter(nullptr);
    std::fill(window.pixels.begin(), window.pixels.end(), 0u);
    EXPECT_EQ(Pixel(target, 5, 5), kBlue);
    EXPECT_EQ(Pixel(target, 35, 10), kGreen);

    // Pixels of another size than the viewport (a window being resized) or none: a picture of
    // its own again, presented as a copy.
    target->SetPresenter(&window);
    Frame(target, {{0, 0, 50, 20}}, [] {});
    renderer->RenderStart(target);
    renderer->SetViewport({0, 0, 40, 20});
    renderer->RenderFinish(target);
    Frame(target, {{0, 0, 40, 20}}, [&] { renderer->FillRect({0, 0, 40, 20}, Color::FromARGB(kRed), true); });
    EXPECT_EQ(target->GetDrawingSurface()->GetSize(), (PointT<int32_t>{40, 20}));
    EXPECT_EQ(Pixel(target, 39, 19), kRed);
    EXPECT_EQ(window.At(39, 19), kClear);
    window.width = 40;
    Frame(target, {{0, 0, 40, 20}}, [&] {
        renderer->FillRect({0, 0, 40, 20}, Color::FromARGB(kBlue), true);
    });
    EXPECT_EQ(window.At(39, 19), kBlue);
    window.giving = false;
    Frame(target, {{0, 0, 40, 20}}, [] {});
    EXPECT_EQ(window.drawnInPlace, (std::vector<bool>{false, true, true, true, true, false, true, false}));
}

TEST_F(GDIRendererFrames, SurfacesFollowTheViewport) {
    auto target = MakeTarget(0, 0, true);
    Frame(target, {}, [] {});
    EXPECT_EQ(target->GetDrawingSurface()->GetSize(), (PointT<int32_t>{1, 1}));
    EXPECT_EQ(target->GetSpareSurface()->GetSize(), (PointT<int32_t>{1, 1}));
    renderer->RenderStart(target);
    renderer->SetViewport({0, 0, 30, 12});
    renderer->RenderFinish(target);
    Frame(target, {{0, 0, 5, 5}}, [] {});
    EXPECT_EQ(target->GetDrawingSurface()->GetSize(), (PointT<int32_t>{30, 12}));
    EXPECT_EQ(target->GetSpareSurface()->GetSize(), (PointT<int32_t>{30, 12}));
    EXPECT_EQ(target->GetMaxSurfaceSize(), (PointT<int32_t>{4096, 4096}));
}

// A whole-window frame starts from a clear picture in the same surfaces; only a new size makes
// new ones.
TEST_F(GDIRendererFrames, FramesOfOneSizeKeepTheirSurfaces) {
    auto target = MakeTarget(30, 20, true);
    Frame(target, {{0, 0, 30, 20}}, [&] { renderer->FillRect({0, 0, 30, 20}, Color::FromARGB(kRed), true); });
    // Held here, so that a surface made again could not take the old one's address.
    cairo_surface_t* drawing = cairo_surface_reference(target->GetDrawingSurface()->GetBitmap());
    cairo_surface_t* spare = cairo_surface_reference(target->GetSpareSurface()->GetBitmap());
    Frame(target, {{0, 0, 30, 20}}, [&] { renderer->FillRect({0, 0, 1, 1}, Color::FromARGB(kBlue), true); });
    EXPECT_EQ(target->GetDrawingSurface()->GetBitmap(), drawing);
    EXPECT_EQ(target->GetSpareSurface()->GetBitmap(), spare);
    cairo_surface_destroy(drawing);
    cairo_surface_destroy(spare);
    EXPECT_EQ(Pixel(target, 0, 0), kBlue);
    EXPECT_EQ(Pixel(target, 29, 19), kClear);

    renderer->RenderStart(target);
    renderer->SetViewport({0, 0, 40, 20});
    renderer->RenderFinish(target);
    Frame(target, {{0, 0, 40, 20}}, [] {});
    EXPECT_EQ(target->GetDrawingSurface()->GetSize(), (PointT<int32_t>{40, 20}));
    EXPECT_EQ(target->GetSpareSurface()->GetSize(), (PointT<int32_t>{40, 20}));
}

// A window's target is never shifted by CopyRenderContext, so it holds one window-sized picture,
// not two, through frames and new sizes.
TEST_F(GDIRendererFrames, AWindowsTargetHasNoSpareSurface) {
    auto target = MakeTarget(30, 20, false);
    Frame(target, {{0, 0, 30, 20}}, [&] { renderer->FillRect({0, 0, 30, 20}, Color::FromARGB(kRed), true); });
    renderer->RenderStart(target);
    renderer->SetViewport({0, 0, 40, 20});
    renderer->RenderFinish(target);
    Frame(target, {{0, 0, 40, 20}}, [&] { renderer->FillRect({0, 0, 1, 1}, Color::FromARGB(kBlue), true); });
    EXPECT_EQ(target->GetDrawingSurface()->GetSize(), (PointT<int32_t>{40, 20}));
    EXPECT_FALSE(target->GetSpareSurface());
    EXPECT_EQ(Pixel(target, 0, 0), kBlue);
    EXPECT_EQ(Pixel(target, 39, 19), kClear);
    EXPECT_EQ(renderer->CopyRenderContext(target, {1, 1}), E_INVALIDARG);
}

TEST_F(GDIRendererFrames, AFrameStartsAtTheTargetsOriginOnce) {
    auto target = MakeTarget(40, 40, true);
    // An origin left on the target's state by an earlier frame; partial repaints keep the
    // drawing context, which must not get the origin twice.
    Frame(target, {{0, 0, 1, 1}}, [&] { renderer->Translate({5, 5}); });
    Frame(target, {{0, 0, 1, 1}}, [&] { renderer->FillRect({0, 0, 2, 2}, Color::FromARGB(kRed), true); });
    EXPECT_EQ(Pixel(target, 5, 5), kRed);
    EXPECT_EQ(Pixel(target, 10, 10), kClear);

    // A nested frame on another target, then the outer frame's drawing goes on where it was.
    auto outer = MakeTarget(20, 20, true);
    renderer->RenderStart(outer);
    renderer->Translate({3, 3});
    Frame(target, {{0, 0, 1, 1}}, [&] { renderer->FillRect({10, 10, 1, 1}, Color::FromARGB(kBlue), true); });
    renderer->FillRect({0, 0, 1, 1}, Color::FromARGB(kGreen), true);
    renderer->RenderFinish(outer);
    EXPECT_EQ(Pixel(target, 15, 15), kBlue);
    EXPECT_EQ(Pixel(outer, 3, 3), kGreen);
    EXPECT_EQ(renderer->GetCurrentTarget(), nullptr);
}

TEST_F(GDIRendererFrames, DrawingMeetsTheClipSetLastWhateverCameBetween) {
    auto target = MakeTarget(40, 40, true);
    auto inner = MakeTarget(10, 10, true);
    const Color red = Color::FromARGB(kRed);
    const Color green = Color::FromARGB(kGreen);
    const Color blue = Color::FromARGB(kBlue);
    Frame(target, {{0, 0, 40, 40}}, [&] {
        // Clips replaced before anything is drawn count for nothing.
        renderer->SetClipRect({0, 0, 10, 10});
        renderer->SetClipRect({20, 0, 4, 4});
        renderer->FillRect({0, 0, 40, 40}, red, true);
        // Back to a clip the context held before, after another that was never drawn with.
        renderer->SetClipRect({0, 10, 4, 4});
        renderer->FillRect({0, 0, 40, 40}, green, true);
        renderer->SetClipRect({30, 30, 4, 4});
        renderer->SetClipRect({0, 10, 4, 4});
        renderer->FillRect({0, 0, 40, 40}, blue, true);
        // Set before the origin moves: it stays where it was set.
        renderer->SetClipRect({0, 20, 4, 4});
        renderer->Translate({10, 0});
        renderer->FillRect({-10, 0, 40, 40}, red, true);
        renderer->Translate({-10, 0});
        // A nested frame on another target neither takes the clip nor loses it for this one.
        renderer->SetClipRect({0, 30, 4, 4});
        Frame(inner, {{0, 0, 10, 10}}, [&] { renderer->FillRect({0, 0, 10, 10}, green, true); });
        renderer->FillRect({0, 0, 40, 40}, green, true);
    });
    struct Probe {
        int32_t x, y;
        uint32_t expected;
    };
    const Probe probes[] = {
        {20, 0, kRed},   {23, 3, kRed},    {5, 5, kClear},  {24, 0, kClear}, {0, 10, kBlue},
        {3, 13, kBlue},  {30, 30, kClear}, {0, 20, kRed},   {3, 23, kRed},   {10, 20, kClear},
        {0, 30, kGreen}, {3, 33, kGreen},  {4, 30, kClear}, {0, 29, kClear},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(Pixel(target, p.x, p.y), p.expected) << "at " << p.x << ", " << p.y;
    }
    EXPECT_EQ(Pixel(inner, 9, 9), kGreen);

    // The clip that clips nothing, set last.
    Frame(target, {{0, 0, 1, 1}}, [&] {
        renderer->SetClipRect({0, 0, 2, 2});
        renderer->SetClipRect(RenderState::kNoClip);
        renderer->FillRect({0, 0, 40, 40}, red, true);
    });
    EXPECT_EQ(Pixel(target, 39, 39), kRed);
}

TEST_F(GDIRendererFrames, RenderContextsCopyAndShift) {
    auto source = MakeTarget(20, 20, true);
    Frame(source, {{0, 0, 20, 20}}, [&] {
        renderer->FillRect({0, 0, 20, 20}, Color::FromARGB(kRed), true);
        renderer->FillRect({4, 4, 2, 2}, Color::FromARGB(kBlue), true);
    });
    auto window = MakeTarget(30, 30, false);
    Frame(window, {{0, 0, 30, 30}}, [&] {
        renderer->PushState();
        renderer->PushOrigin({1, 1});
        EXPECT_EQ(renderer->DrawRenderContext(source, {10, 10}, {4, 4, 3, 3}), S_OK);
        renderer->PopState();
        EXPECT_EQ(renderer->DrawRenderContext(window, {0, 0}, {0, 0, 1, 1}), E_INVALIDARG);  // not offscreen
        EXPECT_EQ(renderer->DrawRenderContext(nullptr, {0, 0}, {0, 0, 1, 1}), E_INVALIDARG);
    });
    EXPECT_EQ(Pixel(window, 11, 11), kBlue);
    EXPECT_EQ(Pixel(window, 12, 12), kBlue);
    EXPECT_EQ(Pixel(window, 13, 13), kRed);
    EXPECT_EQ(Pixel(window, 14, 14), kClear);
    EXPECT_EQ(Pixel(window, 10, 10), kClear);
    EXPECT_EQ(renderer->DrawRenderContext(source, {0, 0}, {0, 0, 1, 1}), E_INVALIDARG);  // no frame open

    // An offscreen picture onto itself goes through a copy. (A partial repaint: one of the
    // whole viewport would start from a cleared picture.)
    Frame(source, {{5, 5, 2, 2}}, [&] { renderer->DrawRenderContext(source, {5, 5}, {4, 4, 2, 2}); });
    EXPECT_EQ(Pixel(source, 6, 6), kBlue);
    EXPECT_EQ(Pixel(source, 7, 7), kRed);

    // The shift: the picture moved by the offset onto a cleared surface, outside any frame.
    EXPECT_EQ(renderer->CopyRenderContext(source, {3, -2}), S_OK);
    EXPECT_EQ(Pixel(source, 7, 2), kBlue);
    EXPECT_EQ(Pixel(source, 2, 5), kClear);
    EXPECT_EQ(Pixel(source, 19, 17), kRed);
    EXPECT_EQ(Pixel(source, 19, 18), kClear);
    EXPECT_EQ(renderer->CopyRenderContext(window, {1, 1}), E_INVALIDARG);
    EXPECT_EQ(Pixel(window, 11, 11), kBlue);  // unchanged
    // Drawing goes on into the shifted picture.
    Frame(source, {{0, 0, 1, 1}}, [&] { renderer->FillRect({0, 0, 1, 1}, Color::FromARGB(kGreen), true); });
    EXPECT_EQ(Pixel(source, 0, 0), kGreen);
    EXPECT_EQ(Pixel(source, 7, 2), kBlue);
}

TEST_F(GDIRendererFrames, DrawingWithoutAFrameDoesNothing) {
    EXPECT_EQ(renderer->FillRect({0, 0, 5, 5}, Color::FromARGB(kRed), false), S_OK);
    EXPECT_EQ(renderer->FrameRect({0, 0, 5, 5}, Color::FromARGB(kRed), 1.0f), S_OK);
    EXPECT_EQ(renderer->DrawLine({0, 0}, {5, 5}, Color::FromARGB(kRed), 1.0f), S_OK);
    EXPECT_EQ(renderer->GetRendererType(), kRendererGDI);
    EXPECT_EQ(LRenderer::Create(kRendererGDI, {0, 0, 10, 10}, 0)->GetRendererType(), kRendererGDI);
}

}  // namespace
}  // namespace QV
