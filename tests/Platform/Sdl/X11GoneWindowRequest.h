#pragma once

#include <SDL.h>

namespace TestSupport {

// Destroys an SDL window on X11, then sends its X window an event and waits for the server's
// answer: the BadWindow error a request to a window that is gone draws. False when the window is
// not an X11 window. Kept apart from the tests because Xlib's macros clash with GoogleTest's names.
bool SendToAWindowThatIsGone(SDL_Window* window);

}  // namespace TestSupport
