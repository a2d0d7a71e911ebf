#pragma once

#include <cstdint>

// What the desktop shows of a top-level window beside its content. Windows are SDL windows'
// addresses (a window's handle). User-interface thread only.
namespace Platform {

class PixelImage;

// The window's icon (the window manager's big and small icon, scaled from this picture); a null
// image or one without pixels leaves the window without one. False when nothing was set.
bool SetWindowIcon(intptr_t window, PixelImage* icon);

// Drops the "position given by the user" hint a new window carries on X, so that the window
// manager places the window by its own rules (a window without a stored place). Takes effect
// when the window is first shown; nothing on other video drivers. False when nothing changed.
bool LetWindowManagerPlace(intptr_t window);

// The window's X window, for another program to keep a window of its own above it (a message
// box); 0 on other video drivers or for no window.
uint64_t GetX11WindowId(intptr_t window);

}  // namespace Platform
