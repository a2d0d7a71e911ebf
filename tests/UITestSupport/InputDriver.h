#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"
#include "UITestSupport/TestRootWindow.h"

namespace QV {

// Sends pointer, wheel and key events into a test window's tree the way the host window's input
// road does: moves go to the capture holder or the control under the pointer (which becomes the
// hover control), presses to the control under the pointer, releases to the capture holder,
// wheels to the control under the pointer in window coordinates, keys to the focus control.
class InputDriver {
public:
    explicit InputDriver(const RCPtr<TestRootWindow>& window) : mWindow(window) {}

    void MoveTo(int32_t x, int32_t y, uint32_t modifiers = 0);
    // The control that received the press, or null.
    RCPtr<LControl> Press(int32_t button = 1, uint32_t modifiers = 0);
    void Release(int32_t button = 1, uint32_t modifiers = 0);
    void Click(int32_t x, int32_t y, int32_t button = 1);
    // Direction 0 toward the user, 1 away, 2 left, 3 right; modifiers Ctrl 0x1, Shift 0x8, Alt 0x40.
    int32_t Wheel(int32_t direction, uint32_t modifiers = 0);
    // A key-down of a virtual key with modifier flags (KeyCode's), from the system (wrapping).
    void Key(uint32_t virtualKey, uint32_t modifiers = 0);

private:
    PointT<int32_t> LocalPoint(const RCPtr<LControl>& control) const;

    RCPtr<TestRootWindow> mWindow;
};

}  // namespace QV
