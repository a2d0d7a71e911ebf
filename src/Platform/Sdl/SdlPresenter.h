#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "Platform/Graphics/RenderPresenter.h"

namespace Platform {

// Shows a window's frames in its SDL window through the software window surface: only the
// rectangles it is given are pushed to the screen, copied from the frame unless the frame was
// drawn in the surface itself (GetFrameBuffer gives it when it is XRGB or ARGB of 32 bits and
// needs no lock). Needs the
// framebuffer acceleration hint "0" before the window is made (SetSoftwareSurfaceHint). The
// window must outlive the presenter. User-interface thread only.
class SdlPresenter : public IRenderPresenter {
public:
    explicit SdlPresenter(SDL_Window* window) : mWindow(window) {}

    // Sets SDL's framebuffer acceleration hint to "0": windows made afterwards have a plain
    // software surface.
    static void SetSoftwareSurfaceHint();

    // Each rectangle, clipped to the frame and the window surface, is copied; the copied ones
    // are then updated on the screen in one call. Empty rectangles are passed over.
    void Present(cairo_surface_t* frame, const std::vector<QV::RectT<int32_t>>& rects) override;
    FrameBuffer GetFrameBuffer() override;

    SDL_Window* GetWindow() const { return mWindow; }
    // Pixels the last Present put on the screen, copied or drawn in place (what tests and
    // benchmarks look at).
    int64_t GetLastCopiedPixels() const { return mLastCopiedPixels; }

private:
    SDL_Window* mWindow;
    std::vector<SDL_Rect> mUpdated;
    // The surface GetFrameBuffer gave last: SDL may free it when the window's size changes, so
    // only its pixels' address is compared, never read, before GetFrameBuffer asks again.
    const void* mGivenPixels = nullptr;
    int64_t mLastCopiedPixels = 0;
};

}  // namespace Platform
