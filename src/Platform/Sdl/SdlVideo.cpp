#include "Platform/Sdl/SdlVideo.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "Platform/Sdl/SdlPresenter.h"

namespace Platform {

namespace {

const char* VideoVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// SDL falls back to drivers that show nothing when there is no display; only a caller who asks
// for one of them gets it.
bool HasVisibleDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) {
        return false;
    }
    const bool invisible = std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
    return !invisible || VideoVariable("SDL_VIDEODRIVER") != nullptr;
}

}  // namespace

VideoStart StartVideo(std::string& display, std::string& reason) {
    SdlPresenter::SetSoftwareSurfaceHint();
    const char* x11 = VideoVariable("DISPLAY");
    const char* wayland = VideoVariable("WAYLAND_DISPLAY");
    const bool driverNamed = VideoVariable("SDL_VIDEODRIVER") != nullptr;
    if (!driverNamed && x11 != nullptr && wayland == nullptr) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    if (wayland != nullptr) {
        display = std::string("Wayland display ") + wayland +
                  (x11 != nullptr ? std::string(" or X11 display ") + x11 : "");
    } else {
        display = x11 != nullptr ? std::string("X11 display ") + x11 : std::string();
    }
    reason.clear();
    if (display.empty() && !driverNamed) {
        return VideoStart::kNoDisplay;
    }
    // Video first: SDL's timer starts a thread, and X's input method, opened with the video, reads
    // its compose table a character at a time, taking stdio's lock per character once the process
    // has a second thread (a fifth more work in the video's start).
    const bool started = SDL_Init(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_TIMER) == 0;
    if (!started || !HasVisibleDisplay()) {
        reason = !started && *SDL_GetError() != '\0' ? SDL_GetError() : "no usable video driver";
        SDL_Quit();
        return VideoStart::kNotOpened;
    }
    return VideoStart::kStarted;
}

void StopVideo() {
    SDL_Quit();
}

}  // namespace Platform
