#pragma once

#include <cstdint>

#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/ControlBase/KeyCode.h"
#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LControl;
class LKeyParam;

// What a control tree asks of the window it lives in. The window is a distributor: controls with
// idle work register with it for "NID_IDLE". Every control reaches it through its top-level
// control. User-interface thread only.
class IRootWindow : public virtual LNotificationDistributor {
public:
    // The deepest control under point (client coordinates) and the point in its coordinates;
    // with updateHover the window's hover control follows the answer.
    virtual RCPtr<LControl> HitTest(const PointT<int32_t>& point, PointT<int32_t>& localPoint,
                                    bool updateHover) = 0;

    virtual void SetFocusControl(const RCPtr<LControl>& control) = 0;
    virtual RCPtr<LControl> GetFocusControl() = 0;
    // The focused control lost the focus: the window keeps it as the previous focus.
    virtual void SaveFocus() = 0;
    // The control that had the focus until SaveFocus; null when none.
    virtual RCPtr<LControl> GetSavedFocus() { return nullptr; }
    // Tab past the last tab stop of the tree.
    virtual void CycleFocus(const RCPtr<LKeyParam>& key) = 0;
    // A key that no control of the tree took: the window's own hot keys. 0 when one of them is
    // bound to it (its command is on its way), 1 when none is.
    virtual int32_t HandleHotKey(const KeyCode&) { return 1; }

    // E_INVALIDARG for null, else 0.
    virtual int32_t SetCaptureControl(const RCPtr<LControl>& control) = 0;
    virtual int32_t ReleaseCaptureControl() = 0;
    virtual RCPtr<LControl> GetCaptureControl() = 0;
    virtual int32_t SetHoverControl(const RCPtr<LControl>& control) = 0;
    virtual RCPtr<LControl> GetHoverControl() = 0;

    // Adds a rectangle of client coordinates to the update region.
    virtual void Invalidate(const RectT<int32_t>& rect) = 0;

    // The pointer in client coordinates; the held buttons (kMouseButton bits); the modifiers
    // Ctrl 0x1, Shift 0x8, Alt 0x40.
    virtual PointT<int32_t> GetCursorPos() = 0;
    virtual uint32_t GetMouseButtons() = 0;
    virtual uint32_t GetKeyModifiers() = 0;
    // Returns the cursor it replaces; 0 selects the application's arrow.
    virtual CursorHandle SetCursor(CursorHandle cursor) = 0;
    virtual void SetTextInputFocus(bool gained, const RCPtr<LControl>& control, bool flag) = 0;

    // The client area's position on the screen and its size.
    virtual RectT<int32_t> GetRect() = 0;
    virtual int32_t SetRect(const RectT<int32_t>& rect) = 0;
    virtual void SetTitle(const WString& title) = 0;
    // E_FAIL without an operating-system window.
    virtual int32_t RequestClose(int32_t result) = 0;

    // Popups (open menus) in windows of their own, which may reach past this window. The part
    // of the desktop a popup may take, in client coordinates; false when popups stay inside the
    // client area.
    virtual bool GetPopupArea(RectT<int32_t>&) { return false; }
    // Shows (or moves) control's own window over rect, in client coordinates; E_NOTIMPL when
    // popups have no windows of their own here.
    virtual int32_t ShowPopupWindow(const RCPtr<LControl>&, const RectT<int32_t>&) { return E_NOTIMPL; }
    virtual void HidePopupWindow(const LControl*) {}
};

}  // namespace QV
