#pragma once

#include <SDL.h>

#include <cstdint>

namespace QV {

class OSWindow;

// SDL's video on the "offscreen" driver with software window surfaces, for the scope of a
// fixture: windows exist but nothing shows and nothing has the focus unless a test says so.
// A test of what only a real display has (system cursors) names its driver ("x11").
// Ok() is false when SDL could not start (the test then skips).
class ScopedSdlOffscreen {
public:
    explicit ScopedSdlOffscreen(const char* driver = "offscreen");
    ScopedSdlOffscreen(const ScopedSdlOffscreen&) = delete;
    ScopedSdlOffscreen& operator=(const ScopedSdlOffscreen&) = delete;
    ~ScopedSdlOffscreen();

    bool Ok() const { return mOk; }

private:
    bool mOk = false;
};

// Hands an SDL event to its host window as the desktop's queue does (translated by the platform
// layer); false when it belongs to none.
bool DispatchSdlEvent(const SDL_Event& event);
// Hands an SDL event to the window, translated, whichever window it names.
void HandleSdlEvent(OSWindow& window, const SDL_Event& event);
// The SDL window of a host window; null when it has none.
SDL_Window* SdlWindowOf(const OSWindow& window);
// The colour of one pixel of a window surface as opaque ARGB, whatever the surface's format.
uint32_t SurfacePixel(SDL_Surface* surface, int32_t x, int32_t y);

}  // namespace QV
