#include "Platform/Sdl/X11ErrorHandler.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

namespace Platform {

#if defined(SDL_VIDEO_DRIVER_X11)
namespace {

XErrorHandler sPreviousX11Handler = nullptr;

int OnX11Error(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow) {
        std::fprintf(stderr, "X11: request %d named window 0x%lx, which no longer exists; ignored\n",
                     static_cast<int>(error->request_code), static_cast<unsigned long>(error->resourceid));
        return 0;
    }
    return sPreviousX11Handler != nullptr ? sPreviousX11Handler(display, error) : 0;
}

}  // namespace
#endif

void InstallX11ErrorHandler() {
#if defined(SDL_VIDEO_DRIVER_X11)
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) {
        return;
    }
    XErrorHandler previous = XSetErrorHandler(&OnX11Error);
    if (previous != &OnX11Error) {
        sPreviousX11Handler = previous;
    }
#endif
}

}  // namespace Platform
