#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Platform/Graphics/RenderPresenter.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

// The desktop's top-level windows and their events, as the framework's windows see them. The
// platform's window layer (Platform/Sdl) implements it; nothing above it knows the toolkit.
// User-interface thread only, except WakeDesktopEvents.

namespace Platform {

// One event of the desktop in the framework's terms.
struct WindowEvent {
    enum Type : uint8_t {
        kNone,  // nothing a window takes (the queue's own wake-up, a kind no window handles)
        kQuit,  // the desktop asks the program to end
        // The window's state.
        kShown,
        kExposed,
        kFocusGained,
        kFocusLost,
        kSizeChanged,  // x, y: the new client width and height
        kMaximized,
        kRestored,
        kMoved,
        kPointerLeft,
        kCloseRequest,  // the frame's close box, Alt+F4
        // Input.
        kPointerMoved,
        kButtonDown,
        kButtonUp,
        kWheel,
        kKeyDown,
        kKeyUp,
        kText,
    };

    Type type = kNone;
    uint32_t windowId = 0;
    // Pointer events: the pointer in the window's client coordinates.
    int32_t x = 0;
    int32_t y = 0;
    // Buttons: the button's bit (1 left, 2 middle, 4 right; 0 any other button) and the number of
    // clicks of its series so far.
    uint32_t button = 0;
    int32_t clicks = 0;
    // Wheel: the turn in units of 120 a notch, vertical (positive away from the user) and
    // horizontal (positive to the right).
    int32_t wheelVertical = 0;
    int32_t wheelHorizontal = 0;
    // Pointer events, keys and text: Ctrl 0x1, Shift 0x8, Alt 0x40.
    uint32_t pointerModifiers = 0;
    // Keys: the Windows virtual key (0 for a key without one), auto-repeat, the modifier flags
    // with their side bits, and the control character a press types (Backspace, Tab, Enter,
    // Escape, Ctrl+letter; 0 for none).
    uint32_t virtualKey = 0;
    bool repeat = false;
    uint32_t keyModifiers = 0;
    char16_t controlCharacter = 0;
    // Text: the UTF-16 units typed (none while a system key is held).
    std::u16string text;
};

// A top-level window of the desktop: made hidden, its client area drawn by presenting frames
// (IRenderPresenter: the rectangles given are copied from the frame to the window).
class IDesktopWindow : public IRenderPresenter {
public:
    virtual ~IDesktopWindow() = default;

    // The id its events carry (never 0).
    virtual uint32_t GetId() const = 0;
    // What the renderers take as the window (the toolkit's window address).
    virtual intptr_t GetHandle() const = 0;

    virtual void SetTitle(const std::string& utf8) = 0;
    // The client area's position on the screen and its size.
    virtual QV::PointT<int32_t> GetPosition() const = 0;
    virtual QV::PointT<int32_t> GetSize() const = 0;
    virtual void SetPosition(int32_t x, int32_t y) = 0;
    virtual void SetSize(int32_t width, int32_t height) = 0;
    // The frame's widths around the client area; false (all zero) when the desktop does not say.
    virtual bool GetBorders(int32_t& top, int32_t& left, int32_t& bottom, int32_t& right) const = 0;

    virtual bool IsShown() const = 0;
    virtual bool IsMaximized() const = 0;
    virtual bool IsMinimized() const = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void Minimize() = 0;
    virtual void Maximize() = 0;
    // Brings the window to the front, which also asks for the keyboard.
    virtual void Raise() = 0;
    virtual void SetAlwaysOnTop(bool onTop) = 0;
    // The keyboard comes to the window without raising it.
    virtual void TakeKeyboard() = 0;

    // Pixels the last Present put on the screen, copied or drawn in place (what tests and
    // benchmarks look at).
    virtual int64_t GetLastCopiedPixels() const = 0;
};

// A hidden window whose client area is the rectangle (screen position and size, each at least
// 1). A popup is borderless, always on top and off the taskbar (a popup menu's window). Null
// when the desktop makes none.
std::unique_ptr<IDesktopWindow> CreateDesktopWindow(const std::string& titleUtf8,
                                                    const QV::RectT<int32_t>& rect, bool popup);

// The id of the window with the keyboard; 0 for none of this program's.
uint32_t GetKeyboardWindowId();
// The pointer's events keep coming to the window under it while captured, also outside it.
void CapturePointer(bool capture);
// Shows a cursor (a handle of the desktop's cursors); 0 changes nothing.
void SetPointerCursor(intptr_t cursor);

// The desktop's event queue, for the user-interface thread's loop. While one exists,
// WakeDesktopEvents makes its Wait return from any thread.
class IDesktopEvents {
public:
    virtual ~IDesktopEvents() = default;
    // Takes the next event; false when none waits. An event of a kind no window handles comes
    // out as kNone.
    virtual bool Poll(WindowEvent& event) = 0;
    // Sleeps until an event waits, a wake or timeoutMs have passed (negative: no limit).
    virtual void Wait(int32_t timeoutMs) = 0;
    // A millisecond counter that wraps.
    virtual uint32_t GetTimeMs() = 0;
};

// The queue of the desktop; video must be started.
std::unique_ptr<IDesktopEvents> CreateDesktopEvents();
// Any thread: the queue's Wait returns (once for any number of wakes before it is polled).
void WakeDesktopEvents();

}  // namespace Platform
