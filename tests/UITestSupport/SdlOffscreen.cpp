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

}  // namespace QV
