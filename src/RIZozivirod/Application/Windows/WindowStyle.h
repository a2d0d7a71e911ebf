#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/ControlBase/ControlDescriptor.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

namespace QV {

// Window style bits, with their classic values.
inline constexpr uint32_t kStyleSizingBorder = 0x40000;
inline constexpr uint32_t kStyleMinimizeBox = 0x20000;
inline constexpr uint32_t kStyleMaximizeBox = 0x10000;
inline constexpr uint32_t kStyleSystemMenu = 0x80000;
inline constexpr uint32_t kStyleCaption = 0xC00000;
inline constexpr uint32_t kStylePopup = 0x80000000;

// Whether a control's layout lets its window be resized: fixed when the minimum size is not zero
// and equals the maximum, or when all four limits name other controls.
bool IsSizeable(const LLayoutDescriptor& layout);
// Whether a sizeable main window also gets the maximise box: no maximum size at all.
bool HasNoMaximum(const LLayoutDescriptor& layout);

// The style of the main window of a control's layout.
uint32_t GetMainWindowStyle(const LLayoutDescriptor& layout);
// The style of a secondary window.
uint32_t GetSecondaryWindowStyle(bool systemMenu, bool minimizeBox, bool maximizeBox, bool sizeable);

// The window's frame rectangle after the placement rules: cut to the desktop's size, then moved
// so that it starts on the desktop and, where it fits, ends on it. Rectangles are x, y, width,
// height.
RectT<int32_t> FitOnDesktop(RectT<int32_t> frame, const RectT<int32_t>& desktop);
// The same for a secondary window inside the work area (moved only, the size kept).
RectT<int32_t> MoveIntoWorkArea(RectT<int32_t> frame, const RectT<int32_t>& workArea);

// The stored placement of a window (the 44-byte record): its show command and its frame in the
// normal state. False for a record of another size.
struct WindowPlacement {
    int32_t showCommand = 1;
    RectT<int32_t> frame;
};
bool ReadWindowPlacement(const std::vector<uint8_t>& record, WindowPlacement& placement);

}  // namespace QV
