#include "Platform/Sdl/SdlPresenter.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include "Platform/Sdl/SdlCursors.h"
#include "UITestSupport/SdlOffscreen.h"

namespace Platform {
namespace {

class SdlPresenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!mSdl.Ok()) {
            GTEST_SKIP() << "SDL's offscreen video driver is not available: " << SDL_GetError();
        }
        mWindow = SDL_CreateWindow("presenter", 0, 0, 64, 48, SDL_WINDOW_HIDDEN);
        ASSERT_NE(mWindow, nullptr) << SDL_GetError();
    }
    void TearDown() override {
        if (mWindow != nullptr) {
            SDL_DestroyWindow(mWindow);
        }
    }

    uint32_t WindowPixel(int32_t x, int32_t y) {
        return QV::SurfacePixel(SDL_GetWindowSurface(mWindow), x, y);
    }

    QV::ScopedSdlOffscreen mSdl;
    SDL_Window* mWindow = nullptr;
};

TEST_F(SdlPresenterTest, OnlyTheUpdateRectanglesReachTheWindow) {
    SDL_Surface* surface = SDL_GetWindowSurface(mWindow);
    ASSERT_NE(surface, nullptr);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 255));

    cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 48);
    cairo_t* cr = cairo_create(frame);
    cairo_set_source_rgb(cr, 0, 1, 0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 30, 20, 4, 4);
    cairo_fill(cr);
    cairo_destroy(cr);

    SdlPresenter presenter(mWindow);
    // The second rectangle runs past the window; the third is empty.
    presenter.Present(frame, {{2, 3, 5, 4}, {60, 40, 10, 10}, {10, 10, 0, 3}, {30, 20, 4, 4}});
    EXPECT_EQ(presenter.GetLastCopiedPixels(), 5 * 4 + 4 * 8 + 4 * 4);

    struct Probe {
        int32_t x;
        int32_t y;
        uint32_t color;
    };
    const Probe probes[] = {
        {2, 3, 0xFF00FF00},   {6, 6, 0xFF00FF00},   {7, 3, 0xFF0000FF},   {2, 7, 0xFF0000FF},
        {1, 3, 0xFF0000FF},   {63, 47, 0xFF00FF00}, {60, 40, 0xFF00FF00}, {59, 40, 0xFF0000FF},
        {31, 21, 0xFFFF0000}, {29, 21, 0xFF0000FF}, {10, 10, 0xFF0000FF}, {0, 0, 0xFF0000FF},
    };
    for (const Probe& probe : probes) {
        EXPECT_EQ(WindowPixel(probe.x, probe.y), probe.color) << probe.x << ", " << probe.y;
    }
    cairo_surface_destroy(frame);
}

TEST_F(SdlPresenterTest, AFrameDrawnInTheWindowSurfaceIsShownWithoutACopy) {
    SdlPresenter presenter(mWindow);
    const IRenderPresenter::FrameBuffer pixels = presenter.GetFrameBuffer();
    SDL_Surface* surface = SDL_GetWindowSurface(mWindow);
    ASSERT_NE(surface, nullptr);
    if (pixels.pixels == nullptr) {
        GTEST_SKIP() << "the window surface is not 32-bit XRGB or ARGB here";
    }
    EXPECT_EQ(pixels.pixels, surface->pixels);
    EXPECT_EQ(pixels.width, 64);
    EXPECT_EQ(pixels.height, 48);
    EXPECT_EQ(pixels.stride, surface->pitch);

    cairo_surface_t* frame = cairo_image_surface_create_for_data(pixels.pixels, CAIRO_FORMAT_ARGB32,
                                                                 pixels.width, pixels.height, pixels.stride);
    cairo_t* cr = cairo_create(frame);
    cairo_set_source_rgb(cr, 0, 1, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    presenter.Present(frame, {{2, 3, 5, 4}, {60, 40, 10, 10}, {10, 10, 0, 3}});
    EXPECT_EQ(presenter.GetLastCopiedPixels(), 5 * 4 + 4 * 8);
    EXPECT_EQ(WindowPixel(2, 3), 0xFF00FF00u);
    EXPECT_EQ(WindowPixel(63, 47), 0xFF00FF00u);
    cairo_surface_destroy(frame);
}

TEST_F(SdlPresenterTest, AFrameOfAnotherFormatOrNoFrameIsNotShown) {
    SdlPresenter presenter(mWindow);
    cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_A8, 64, 48);
    presenter.Present(frame, {{0, 0, 64, 48}});
    EXPECT_EQ(presenter.GetLastCopiedPixels(), 0);
    presenter.Present(nullptr, {{0, 0, 64, 48}});
    EXPECT_EQ(presenter.GetLastCopiedPixels(), 0);
    cairo_surface_destroy(frame);
}

TEST_F(SdlPresenterTest, CursorsAreFoundByTheirFrameworkNames) {
    SdlCursors cursors;
    EXPECT_EQ(cursors.Get(u"UI_CURSOR_NOT_A_CURSOR"), 0);
    SDL_SystemCursor shape{};
    EXPECT_TRUE(SdlCursors::FindSystemCursor(u"UI_CURSOR_WAIT", shape));
    EXPECT_EQ(shape, SDL_SYSTEM_CURSOR_WAIT);
    EXPECT_FALSE(SdlCursors::FindSystemCursor(u"ui_cursor_wait", shape));
    // The offscreen driver may have no system cursors; where it has, one handle per shape.
    const intptr_t wait = cursors.Get(u"UI_CURSOR_WAIT");
    EXPECT_EQ(cursors.Get(u"UI_CURSOR_WAIT"), wait);
}

}  // namespace
}  // namespace Platform
