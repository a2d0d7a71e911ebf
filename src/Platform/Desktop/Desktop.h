#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "RIZozivirod/Utilities/Storage/Geometry.h"

// What the application asks of the desktop, answered by the platform's window layer
// (Platform/Sdl): the displays, the pointer, the keyboard, cursors, and the frame and icon of a
// window (a window's handle, as IDesktopWindow::GetHandle gives it). While video is not started
// every call answers nothing (false, zeros) and changes nothing. User-interface thread only.
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
// Whether the key of a Windows virtual-key number is down, and whether a locking key is on, as
// far as the keyboard's modifier state tells: Shift 16, Ctrl 17 and Alt 18 with their left and
// right keys (160 to 165), Caps Lock 20 and Num Lock 144. False for every other key.
void GetKeyState(int32_t virtualKey, bool& down, bool& toggled);
void SetWindowResizable(intptr_t window, bool resizable);
// The frame's widths around the client area; false (all zero) when the desktop does not say.
bool GetWindowBorders(intptr_t window, int32_t& top, int32_t& left, int32_t& bottom, int32_t& right);
// A minimised window comes back.
void RestoreMinimizedWindow(intptr_t window);

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

// The framework's cursors by name ("UI_CURSOR_ARROW", "UI_CURSOR_WAIT", ...) as the desktop's
// system cursors, made on first use and freed with the set (before video ends). Handles are what
// SetPointerCursor (DesktopWindow.h) shows.
class IDesktopCursors {
public:
    virtual ~IDesktopCursors() = default;
    // 0 for a name that is not a framework cursor, or when the desktop cannot make the cursor.
    virtual intptr_t Get(const std::u16string& name) = 0;
};
std::unique_ptr<IDesktopCursors> CreateDesktopCursors();
// Whether a name is one of the framework's cursors.
bool IsCursorName(const std::u16string& name);

}  // namespace Platform
