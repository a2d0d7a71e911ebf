#pragma once

#include <cstdint>

#include "RIZozivirod/Utilities/Storage/Geometry.h"

// What the application asks of the desktop, answered by SDL: the displays, the pointer, the
// keyboard's modifiers and the frame of a window (an SDL window's address, as a window's
// handle). While SDL's video is not started every call answers nothing (false, zeros) and changes
// nothing. User-interface thread only.
namespace Platform {

bool IsVideoStarted();
// The part of the first display that windows may use.
bool GetUsableDisplayBounds(QV::RectT<int32_t>& bounds);
// The whole display the window is on (the first when that is not known).
bool GetDisplayBoundsOfWindow(intptr_t window, QV::RectT<int32_t>& bounds);
// The pointer in screen coordinates; the buttons held as bits 1 left, 2 middle, 4 right.
QV::PointT<int32_t> GetPointerPosition();
uint32_t GetPointerButtons();
bool WarpPointer(int32_t x, int32_t y);
// The pointer is shown while visible.
void ShowPointer(bool visible);
// SDL's modifier bits (SDL_Keymod), as the key-state mapping of SdlInput.h takes them.
uint16_t GetModifierState();
void SetWindowResizable(intptr_t window, bool resizable);
// The frame's widths around the client area; false (all zero) when the desktop does not say.
bool GetWindowBorders(intptr_t window, int32_t& top, int32_t& left, int32_t& bottom, int32_t& right);
// A minimised window comes back.
void RestoreMinimizedWindow(intptr_t window);

}  // namespace Platform
