#include "Platform/Sdl/X11GoneWindowRequest.h"

#include <SDL_syswm.h>

#include <X11/Xlib.h>

namespace TestSupport {

bool SendToAWindowThatIsGone(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    Display* connection = info.info.x11.display;
    const Window gone = info.info.x11.window;
    SDL_DestroyWindow(window);
    XClientMessageEvent message{};
    message.type = ClientMessage;
    message.window = gone;
    message.format = 32;
    XSendEvent(connection, gone, False, NoEventMask, reinterpret_cast<XEvent*>(&message));
    XSync(connection, False);
    return true;
}

}  // namespace TestSupport
