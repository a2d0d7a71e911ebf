#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/RootWindowInterface.h"
#include "RIZozivirod/Utilities/Graphics/RectRegion.h"

namespace QV {

class LRenderer;

// A window for control trees in tests: it keeps the update region, the focus, hover and capture
// controls, the title, a client rectangle and a pointer that tests set, and it paints and sends
// "NID_IDLE" when asked. Detach ends the tree (window and tree hold each other until then).
class TestRootWindow : public IRootWindow {
public:
    static RCPtr<TestRootWindow> Create(const RectT<int32_t>& clientRect = {0, 0, 1024, 768});

    // Installs the tree (SetRootWindow) and sizes it to the client area.
    void SetRootControl(const RCPtr<LControl>& control);
    const RCPtr<LControl>& GetRootControl() const { return mRootControl; }
    // Closes the tree and lets go of every control.
    void Detach();

    // Paints the update region (or the region given) as the window does: the tree clipped to
    // its parents, then its unclipped controls by Z order at their window positions.
    void Paint(const RCPtr<LRenderer>& renderer, const RectRegion& region);
    // Sends "NID_IDLE" to the controls registered for it; returns how many were registered.
    uint32_t SendIdle();
    // The number of "NID_IDLE" registrations.
    uint32_t GetIdleRegistrationCount() const;

    RectRegion& GetUpdateRegion() { return mUpdateRegion; }
    const std::vector<RectT<int32_t>>& GetInvalidated() const { return mInvalidated; }
    void ClearInvalidated();

    void SetCursorPosForTest(const PointT<int32_t>& point) { mCursorPos = point; }
    void SetMouseButtonsForTest(uint32_t buttons) { mButtons = buttons; }
    const WString& GetTitle() const { return mTitle; }
    CursorHandle GetCurrentCursor() const { return mCursor; }
    uint32_t GetSaveFocusCount() const { return mSaveFocusCount; }

    // IRootWindow.
    RCPtr<LControl> HitTest(const PointT<int32_t>& point, PointT<int32_t>& localPoint,
                            bool updateHover) override;
    void SetFocusControl(const RCPtr<LControl>& control) override;
    RCPtr<LControl> GetFocusControl() override { return mFocusControl; }
    void SaveFocus() override;
    RCPtr<LControl> GetSavedFocus() override { return mPreviousFocus; }
    void CycleFocus(const RCPtr<LKeyParam>& key) override;
    int32_t SetCaptureControl(const RCPtr<LControl>& control) override;
    int32_t ReleaseCaptureControl() override;
    RCPtr<LControl> GetCaptureControl() override { return mCaptureControl; }
    int32_t SetHoverControl(const RCPtr<LControl>& control) override;
    RCPtr<LControl> GetHoverControl() override { return mHoverControl; }
    void Invalidate(const RectT<int32_t>& rect) override;
    PointT<int32_t> GetCursorPos() override { return mCursorPos; }
    uint32_t GetMouseButtons() override { return mButtons; }
    uint32_t GetKeyModifiers() override { return 0; }
    CursorHandle SetCursor(CursorHandle cursor) override;
    void SetTextInputFocus(bool, const RCPtr<LControl>&, bool) override {}
    RectT<int32_t> GetRect() override { return mRect; }
    int32_t SetRect(const RectT<int32_t>& rect) override;
    void SetTitle(const WString& title) override { mTitle = title; }
    int32_t RequestClose(int32_t) override { return E_FAIL; }
    // Popup windows of their own, as a desktop host gives them, once a test sets their area.
    bool GetPopupArea(RectT<int32_t>& area) override {
        area = mPopupArea;
        return mHasPopupWindows;
    }
    int32_t ShowPopupWindow(const RCPtr<LControl>& control, const RectT<int32_t>& rect) override {
        if (!mHasPopupWindows) {
            return E_NOTIMPL;
        }
        mPopupWindows[control.Get()] = rect;
        return S_OK;
    }
    void HidePopupWindow(const LControl* control) override { mPopupWindows.erase(control); }
    void SetPopupAreaForTest(const RectT<int32_t>& area) {
        mHasPopupWindows = true;
        mPopupArea = area;
    }
    // The popup windows shown, by control, at their client rectangles.
    const std::map<const LControl*, RectT<int32_t>>& GetPopupWindows() const { return mPopupWindows; }

private:
    explicit TestRootWindow(const RectT<int32_t>& clientRect) : mRect(clientRect) {}

    RectT<int32_t> mRect;
    bool mHasPopupWindows = false;
    RectT<int32_t> mPopupArea;
    std::map<const LControl*, RectT<int32_t>> mPopupWindows;
    RCPtr<LControl> mRootControl;
    RCPtr<LControl> mFocusControl;
    RCPtr<LControl> mPreviousFocus;
    RCPtr<LControl> mHoverControl;
    RCPtr<LControl> mCaptureControl;
    RectRegion mUpdateRegion;
    std::vector<RectT<int32_t>> mInvalidated;
    PointT<int32_t> mCursorPos;
    uint32_t mButtons = 0;
    WString mTitle;
    CursorHandle mCursor = 0;
    uint32_t mSaveFocusCount = 0;
};

// Drives a tree through its window the way the window's input road does: pointer moves that
// follow the hover control, presses that start the capture of the control under the pointer,
// releases that end it, focus and idle passes.
class ControlEventDriver {
public:
    explicit ControlEventDriver(const RCPtr<TestRootWindow>& window) : mWindow(window) {}

    // Moves the pointer (client coordinates) and updates the hover control; the control hit.
    RCPtr<LControl> MoveTo(int32_t x, int32_t y);
    // Presses a button (1, 2, 4) at the pointer: the control hit takes the capture. The control
    // pressed, or null.
    RCPtr<LControl> Press(int32_t button);
    // Releases a button; the capture ends when no button is left.
    void Release(int32_t button);
    // Gives the window's tree the focus (the first tab stop).
    int32_t FocusWindow();
    uint32_t Idle() { return mWindow->SendIdle(); }

private:
    RCPtr<TestRootWindow> mWindow;
};

// Records the names of the notifications a distributor sends, in order. Registration holds the
// recorder; it lets go of its registrations when its last outside reference goes.
class NotificationRecorder : public LNotificationClient {
public:
    static RCPtr<NotificationRecorder> Create(const RCPtr<LNotificationDistributor>& source,
                                              std::initializer_list<const char16_t*> names);

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;

    const std::vector<std::u16string>& GetNames() const { return mNames; }
    const std::vector<RCPtr<LRefCountedObject>>& GetParams() const { return mParams; }
    void Clear();

    // Called with each notification after it is recorded: a test's stand-in for a listener
    // that changes the parameter.
    std::function<void(const std::u16string& name, LRefCountedObject* param)> onReceive;

private:
    NotificationRecorder() = default;

    std::vector<std::u16string> mNames;
    std::vector<RCPtr<LRefCountedObject>> mParams;
};

}  // namespace QV
