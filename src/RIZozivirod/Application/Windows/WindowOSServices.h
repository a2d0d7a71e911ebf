#pragma once

#include <cstdint>

#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Renderer/RenderContextInfo.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LControl;

// Show commands of Show.
inline constexpr int32_t kShowHide = 0;
inline constexpr int32_t kShowNormal = 1;
inline constexpr int32_t kShowMinimized = 2;
inline constexpr int32_t kShowMaximized = 3;
inline constexpr int32_t kShow = 5;

// What a root window asks of the operating-system window that hosts it. Results are 0 for
// success; E_FAIL where the window is gone. Coordinates are the window's client coordinates
// unless stated. User-interface thread only.
class IWindowOSServices {
public:
    virtual int32_t SetTitle(const WString& title) = 0;
    // The whole client area needs painting.
    virtual int32_t InvalidateAll() = 0;
    virtual int32_t InvalidateRect(const RectT<int32_t>& rect) = 0;
    // x, y, width, height of the client area.
    virtual int32_t GetClientRect(RectT<int32_t>& rect) = 0;
    virtual int32_t ScreenToClient(PointT<int32_t>& point) = 0;
    virtual int32_t ClientToScreen(PointT<int32_t>& point) = 0;
    // Places the window so that its client area covers the screen rectangle.
    virtual int32_t SetWindowRect(const RectT<int32_t>& rect) = 0;
    // Whether the window was visible before.
    virtual bool Show(int32_t command) = 0;
    // Paints what needs painting now.
    virtual int32_t UpdateNow() = 0;
    virtual int32_t BringToTop() = 0;
    virtual int32_t SetTopMost(bool topMost) = 0;
    // A modal window's loop ends with the result; a modeless window is destroyed.
    virtual int32_t EndModal(int32_t result) = 0;
    virtual int32_t RunModal() = 0;
    virtual bool IsModal() = 0;
    virtual bool IsActive() = 0;
    virtual bool HasFocus() = 0;
    virtual int32_t SetFocus() = 0;
    // Returns the cursor shown before.
    virtual CursorHandle SetCursor(CursorHandle cursor) = 0;
    virtual PointT<int32_t> GetCursorPos() = 0;
    // kMouseButton bits.
    virtual uint32_t GetMouseButtons() = 0;
    virtual WindowHandle GetHandle() = 0;
    virtual int32_t EnableTextInput(bool on, bool flag) = 0;

    // Popup windows: a control of this window's tree (an open menu) is also shown in a
    // borderless, always-on-top window of its own over the same place of the screen, so that it
    // may reach past this window. Its input comes back to this window's tree as pointer events
    // at client coordinates outside the client area; the keyboard stays with this window.
    //
    // The part of the desktop popups may take, in client coordinates; false when this window
    // has no popup windows and popups stay inside its client area.
    virtual bool GetPopupArea(RectT<int32_t>&) { return false; }
    // Shows (or moves) the popup window of control over rect, in client coordinates.
    // E_NOTIMPL when this window has no popup windows.
    virtual int32_t ShowPopupWindow(const RCPtr<LControl>&, const RectT<int32_t>&) { return E_NOTIMPL; }
    virtual void HidePopupWindow(const LControl*) {}
    // The root window invalidated rect, before clipping it to the client area: the popup
    // windows it meets are painted again. Any thread.
    virtual void InvalidatePopups(const RectT<int32_t>&) {}

protected:
    ~IWindowOSServices() = default;
};

}  // namespace QV
