#pragma once

#include <cstdint>

#include "RIZozivirod/Application/Windows/WindowOSServices.h"
#include "RIZozivirod/ControlBase/PointerParams.h"
#include "RIZozivirod/ControlBase/RootWindowInterface.h"
#include "RIZozivirod/Notification/NotificationQueue.h"
#include "RIZozivirod/System/Desktop/GlobalHotKeyManager.h"
#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/Utilities/Graphics/RectRegion.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"

namespace QV {

class LControl;
class LControlDescriptor;
class LKeyParam;
class LRenderer;
class LRootWindow;

// The application's top-level windows in order (the first is the main window): what Tab
// between windows walks. The application implements it; without one a window counts as the
// only one.
class IRootWindowList {
public:
    virtual int32_t GetRootWindowCount() = 0;
    virtual LRootWindow* GetRootWindowAt(int32_t index) = 0;
    // Searched from the end; -1 when absent.
    virtual int32_t IndexOfRootWindow(const LRootWindow* window) = 0;
    // A key that neither the tree nor its window took: the application's own shortcuts. 0 when
    // one is bound to it, 1 when none is.
    virtual int32_t HandleApplicationHotKey(const KeyCode&) { return 1; }
    // The application's shortcuts, for menus that show a command's key; null when none.
    virtual const LHotKeyTable* GetApplicationHotKeyTable() { return nullptr; }

protected:
    ~IRootWindowList() = default;
};

// The list installed (null: none); returns the one installed before.
IRootWindowList* SetRootWindowList(IRootWindowList* list);
IRootWindowList* GetRootWindowList();

// The window-level root of one control tree, one per top-level window, made by its host window.
// Every pointer and key event enters the tree here: the window decides which control gets it
// (the control under the pointer, or the one holding the capture), tracks focus, hover,
// capture and tool-tip controls, collects the update region controls invalidate and paints the
// tree, holds the window's shortcuts, and owns the window's notification queue, which delivers
// to the clients registered on the window when the application drains it at idle.
//
// Everything runs on the user-interface thread except Invalidate and TakeUpdateRegion, which
// share the update region under the window's lock: any thread may invalidate.
class LRootWindow : public IRootWindow, public LNotificationQueue {
public:
    // Mouse actions of OnMouseButton.
    static constexpr int32_t kPress = 0;
    static constexpr int32_t kRelease = 1;
    static constexpr int32_t kDoubleClick = 2;
    static constexpr int32_t kPointerCount = 10;

    // os may be null: a window without an operating-system window, which takes no input.
    static RCPtr<LRootWindow> Create(const RCPtr<LRenderer>& renderer, IWindowOSServices* os);

    // Installs a tree (null removes the current one): it fills the window, takes the focus when
    // the window has it, and its string table's "GHK" entries become the window's shortcuts.
    int32_t SetRootControl(const RCPtr<LControl>& control);
    // The tree of a descriptor made by the control factory; an empty name removes the tree.
    int32_t CreateRootControl(const RCPtr<LControlDescriptor>& descriptor);
    const RCPtr<LControl>& GetRootControl() const { return mRootControl; }

    int32_t ReleaseInternalReferences() override;

    // Input from the host window. Points are client coordinates.
    void OnMouseButton(int32_t action, int32_t button, uint32_t modifiers, const PointT<int32_t>& point,
                       int32_t pointerIndex);
    void OnMouseMove(const PointT<int32_t>& point, uint32_t modifiers, int32_t pointerIndex);
    void OnMouseWheel(const PointT<int32_t>& point, uint32_t modifiers, int32_t direction);
    void OnKey(const RCPtr<LKeyParam>& key);
    void OnSetFocus();
    void OnKillFocus();
    void OnCaptureChanged();
    void OnSizeChanged(const PointT<int32_t>& size);
    // The frame's close button of a window that is not the main window.
    void OnCloseRequest();
    // Adjusts a proposed client size to the tree's limits; true when it changed.
    bool ConstrainSize(PointT<int32_t>& size);
    // The two halves of a paint: the region collected since the last paint (moved out), then
    // the tree drawn inside a region.
    void TakeUpdateRegion(RectRegion& out);
    void Paint(RectRegion& region);
    void SetFullRepaint() { mFullRepaint = true; }
    // Delivers the window's queue; then a requested close takes effect. True while more waits.
    bool ProcessQueue(bool idle);

    // IRootWindow.
    RCPtr<LControl> HitTest(const PointT<int32_t>& point, PointT<int32_t>& localPoint,
                            bool updateHover) override;
    void SetFocusControl(const RCPtr<LControl>& control) override { mFocusControl = control; }
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
    PointT<int32_t> GetCursorPos() override;
    uint32_t GetMouseButtons() override;
    uint32_t GetKeyModifiers() override;
    CursorHandle SetCursor(CursorHandle cursor) override;
    void SetTextInputFocus(bool gained, const RCPtr<LControl>& control, bool flag) override;
    RectT<int32_t> GetRect() override;
    int32_t SetRect(const RectT<int32_t>& rect) override;
    void SetTitle(const WString& title) override;
    int32_t RequestClose(int32_t result) override;
    bool GetPopupArea(RectT<int32_t>& area) override;
    int32_t ShowPopupWindow(const RCPtr<LControl>& control, const RectT<int32_t>& rect) override;
    void HidePopupWindow(const LControl* control) override;
    // Paints control, a popup of this tree, into the render frame of its own window, whose
    // origin is the point origin of this window's client area.
    void PaintPopup(const RCPtr<LControl>& control, const PointT<int32_t>& origin);

    PointT<int32_t> GetSize() { return {GetRect().width, GetRect().height}; }
    // The whole client area invalidated and painted at once.
    void Redraw();

    IWindowOSServices* GetOSServices() const { return mOSServices; }
    // The host window is going: from now on the root window reaches no window. Taken under the
    // update region's lock, so an invalidation from another thread either reaches the window
    // before it goes or finds no window.
    void DetachOSServices();
    const RCPtr<LRenderer>& GetRenderer() const { return mRenderer; }
    const RCPtr<LGlobalHotKeyManager>& GetHotKeys() const { return mHotKeys; }
    // The window's shortcuts, then the application's.
    int32_t HandleHotKey(const KeyCode& key) override;
    RCPtr<LControl> GetPreviousFocus() const { return mPreviousFocus; }
    RCPtr<LControl> GetToolTipControl() const { return mToolTipControl; }
    uint32_t GetPressedButtons(int32_t pointerIndex) const;
    bool IsClosePending() const { return mClosePending; }

protected:
    LRootWindow(const RCPtr<LRenderer>& renderer, IWindowOSServices* os);
    ~LRootWindow() override;

private:
    void HideToolTip();
    // The point made relative to a control: minus its position in the window, rounded.
    static PointT<int32_t> RelativeTo(const LControl& control, const PointT<int32_t>& point);
    // The target of a pointer event: the capture control, else the control under the point.
    RCPtr<LControl> PointerTarget(const PointT<int32_t>& point, PointT<int32_t>& local);
    void PaintControl(const RCPtr<LControl>& control, const RectRegion& region, bool deferred);
    // One control of a deferred pass, on a surface whose top left is origin in this window.
    void PaintDeferredControl(const RCPtr<LControl>& control, const RectRegion& region,
                              const PointT<int32_t>& origin);

    template <class P, class... Args>
    static RCPtr<P> Reuse(RCPtr<P>& slot, Args... args);

    RCPtr<LRenderer> mRenderer;
    IWindowOSServices* mOSServices;
    RectT<int32_t> mRect{0, 0, 1024, 768};
    RCPtr<LControl> mRootControl;
    RectRegion mUpdateRegion;
    Mutex mLock{"root window update region", LockLevel::kUnchecked};
    bool mFullRepaint = false;
    uint32_t mDoubleClickButtons = 0;
    RCPtr<LGlobalHotKeyManager> mHotKeys;
    RCPtr<LControl> mFocusControl;
    RCPtr<LControl> mPreviousFocus;
    RCPtr<LControl> mHoverControl;
    RCPtr<LControl> mToolTipControl;
    RCPtr<LControl> mCaptureControl;
    bool mClosePending = false;
    int32_t mCloseResult = 0;
    uint32_t mPressedButtons[kPointerCount] = {};
    bool mTargetsItself = false;
    bool mTreeReferenced = false;

    // Pointer parameters handed out again once nobody holds them: the pointer road allocates
    // nothing once warm.
    RCPtr<LPointWithModifiersParam> mMoveParam;
    RCPtr<LMouseButtonParam> mButtonParam;
    RCPtr<LMouseWheelParam> mWheelParam;
    RCPtr<LPointWithModifiersParam> mHoverParam;
};

}  // namespace QV
