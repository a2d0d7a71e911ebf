#include "UITestSupport/SdlOffscreen.h"

#include "Platform/Sdl/SdlPresenter.h"

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

}  // namespace QV
