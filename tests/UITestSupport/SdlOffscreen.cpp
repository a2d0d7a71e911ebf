#include "UITestSupport/SdlOffscreen.h"

#include "Platform/Sdl/SdlDesktopWindow.h"
#include "Platform/Sdl/SdlPresenter.h"
#include "RIZozivirod/Application/Windows/OSWindow.h"

namespace QV {

ScopedSdlOffscreen::ScopedSdlOffscreen(const char* driver) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    Platform::SdlPresenter::SetSoftwareSurfaceHint();
    mOk = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) == 0;
    if (mOk) {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
}

ScopedSdlOffscreen::~ScopedSdlOffscreen() {
    if (mOk) {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
    }
}

bool DispatchSdlEvent(const SDL_Event& event) {
    Platform::WindowEvent translated;
    Platform::WindowEventFromSdl(event, translated);
    return OSWindow::DispatchEvent(translated);
}

void HandleSdlEvent(OSWindow& window, const SDL_Event& event) {
    Platform::WindowEvent translated;
    Platform::WindowEventFromSdl(event, translated);
    window.HandleEvent(translated);
}

SDL_Window* SdlWindowOf(const OSWindow& window) {
    const Platform::IDesktopWindow* desktop = window.GetDesktopWindow();
    return desktop != nullptr ? reinterpret_cast<SDL_Window*>(desktop->GetHandle()) : nullptr;
}

uint32_t SurfacePixel(SDL_Surface* surface, int32_t x, int32_t y) {
    uint32_t pixel = 0;
    SDL_ConvertPixels(
        1, 1, surface->format->format,
        static_cast<uint8_t*>(surface->pixels) + y * surface->pitch + x * surface->format->BytesPerPixel,
        surface->pitch, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    return pixel | 0xFF000000;
}

}  // namespace QV
