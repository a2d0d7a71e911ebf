#pragma once

#include <SDL.h>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"

namespace QV {

class LBitmap;

// What the desktop shows of a top-level window beside its content.

// The window's icon (the window manager's big and small icon, scaled from this picture);
// a null bitmap or one without pixels leaves the window without one. False when nothing was set.
bool SetWindowIcon(SDL_Window* window, const RCPtr<LBitmap>& icon);

// Drops the "position given by the user" hint a new window carries on X, so that the window
// manager places the window by its own rules (a window without a stored place). Takes effect
// when the window is first shown; nothing on other video drivers. False when nothing changed.
bool LetWindowManagerPlace(SDL_Window* window);

}  // namespace QV
