#include "Platform/Desktop/Desktop.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include "Platform/Graphics/PixelImage.h"

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#endif

namespace Platform {

bool SetWindowIcon(intptr_t handle, PixelImage* image) {
    SDL_Window* window = reinterpret_cast<SDL_Window*>(handle);
    if (window == nullptr || image == nullptr || image->GetWidth() <= 0 || image->GetHeight() <= 0) {
        return false;
    }
    // The store's straight 0xAARRGGBB rows are SDL's ARGB8888 as they stand; SDL copies them.
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(image->GetRow(0), image->GetWidth(), image->GetHeight(), 32,
                                           image->GetPitch(), SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) {
        return false;
    }
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
    return true;
}

bool LetWindowManagerPlace(intptr_t handle) {
    SDL_Window* window = reinterpret_cast<SDL_Window*>(handle);
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
        info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    Display* display = info.info.x11.display;
    XSizeHints* hints = XAllocSizeHints();
    if (hints == nullptr) {
        return false;
    }
    long supplied = 0;
    bool changed = false;
    if (XGetWMNormalHints(display, info.info.x11.window, hints, &supplied) != 0 &&
        (hints->flags & (USPosition | PPosition)) != 0) {
        hints->flags &= ~(USPosition | PPosition);
        XSetWMNormalHints(display, info.info.x11.window, hints);
        XFlush(display);
        changed = true;
    }
    XFree(hints);
    return changed;
#else
    (void)window;
    return false;
#endif
}

uint64_t GetX11WindowId(intptr_t handle) {
    SDL_Window* window = reinterpret_cast<SDL_Window*>(handle);
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE &&
        info.subsystem == SDL_SYSWM_X11) {
        return static_cast<uint64_t>(info.info.x11.window);
    }
#else
    (void)window;
#endif
    return 0;
}

}  // namespace Platform
