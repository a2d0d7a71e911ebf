#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Platform/Desktop/DesktopWindow.h"
#include "Platform/Desktop/WheelAccumulator.h"
#include "RIZozivirod/Application/Windows/MessageLoop.h"
#include "RIZozivirod/Application/Windows/RootWindow.h"
#include "RIZozivirod/Application/Windows/WindowOSServices.h"
#include "RIZozivirod/System/Mutex.h"

namespace QV {

class LRenderContextInfo;
class LRenderer;
class OSWindow;

// What a host window needs of the application that owns it. The application implements it.
class IOSWindowOwner {
public:
    // The window's root window was made, or is going away: the application's list of windows.
    virtual void AddRootWindow(const RCPtr<LRootWindow>& window) = 0;
    virtual void RemoveRootWindow(const LRootWindow* window) = 0;
    // The main window is the application's first root window.
    virtual bool IsMainWindow(const LRootWindow* window) = 0;
    // One idle pass of the application (count 0 for the first of an idle period); true when it
    // wants another pass before waiting.
    virtual bool OnIdle(int32_t count) = 0;
    // The command line another copy of the program handed over.
    virtual void ProcessForwardedCommandLine(const std::string& commandLine) = 0;
    // A binary value of the application's profile.
    virtual void WriteProfileBinary(const WString& section, const WString& entry,
                                    const std::vector<uint8_t>& value) = 0;
    // The window is gone (closed, ended or destroyed): the owner may delete the object once the
    // current event has been handled.
    virtual void OnWindowDestroyed(OSWindow* window) = 0;
    // The loop that modal runs nest in; by default the thread's loop (null when none runs).
    virtual MessageLoop* GetModalLoop() { return MessageLoop::GetCurrent(); }

protected:
    ~IOSWindowOwner() = default;
};

// The operating-system window of a top-level window: a window of the desktop
// (Platform::IDesktopWindow) that its frames are presented to. It owns the window's renderer,
// render context and root window, turns the desktop's events into root-window calls (pointer, keys, text,
// focus, size, close), paints the root window's update region and presents only its rectangles, runs modal
// runs in the application's loop, and saves the main window's placement when it goes.
//
// Driving it: the loop's event source (CreateEventSource) takes the desktop's events and hands
// each to DispatchEvent, which finds the window by its id. Invalidations (from any thread) mark the
// window's paint as due and wake the loop, which paints (PaintOneDueWindow) when no event waits.
// User-interface thread only, except InvalidateRect and InvalidateAll.
class OSWindow : public IWindowOSServices {
public:
    static constexpr const char16_t* kMainWindowClassName = u"VelkorTolvanePresetEditorMainWindowClass";
    // More invalid rectangles than this are painted as their bounding box.
    static constexpr size_t kMaxInvalidRects = 16;
    // What a modal run returns when a quit ends it: the result of the close box (Cancel).
    static constexpr int32_t kModalCancelResult = 2;
    static constexpr uint32_t kCommandLineTag = 1125;

    // A hidden, resizable window whose client area is the rectangle; parent (may be null) is
    // the window a modal run disables. A popup is instead borderless, always on top and off the
    // taskbar (the desktop's popup-menu window). Failure: IsCreated is false.
    OSWindow(IOSWindowOwner* owner, const WString& title, const RectT<int32_t>& clientRect,
             OSWindow* parent = nullptr, bool popup = false);
    OSWindow(const OSWindow&) = delete;
    OSWindow& operator=(const OSWindow&) = delete;
    // Destroys the window without telling the owner (the owner is the one letting go).
    virtual ~OSWindow();

    bool IsCreated() const { return mWindow != nullptr; }
    // Makes the renderer of the type for the client area, starts the idle timer and attaches.
    int32_t Initialize(int32_t rendererType);
    // Keeps the renderer, makes the window's render context (presenting to this window) and
    // the root window, which the owner adds to its list.
    int32_t AttachRenderer(const RCPtr<LRenderer>& renderer);
    // Destroys the window (saving the main window's placement first); the owner is told.
    void DestroyWindow() { Destroy(true); }

    // Hands an event to the window it belongs to; false when it belongs to none.
    static bool DispatchEvent(const Platform::WindowEvent& event);
    static OSWindow* FromWindowId(uint32_t windowId);
    // The loop's source of the desktop's events: each goes to its window; the desktop's request
    // to end (kQuit) becomes the current loop's RequestQuit. While it exists, WakeUserInterface
    // wakes the loop from any thread. Video must be initialised.
    static std::unique_ptr<IEventSource> CreateEventSource();
    // Paints one window whose paint is due; false when none was.
    static bool PaintOneDueWindow();
    bool IsPaintDue() const { return mPaintPending.load(); }

    void HandleEvent(const Platform::WindowEvent& event);
    // The paint hand-off: the root window's region and the window's own invalid area drawn and
    // presented, rectangle by rectangle.
    void Paint();
    // A command line handed over by another copy: at most length bytes, up to the first zero,
    // go to the owner while the window is enabled.
    void OnForwardedCommandLine(const char* data, size_t length);
    void SetEnabled(bool enabled) { mEnabled = enabled; }
    bool IsEnabled() const { return mEnabled; }
    // The 44-byte placement record of the window (the main window's "WP" value).
    std::vector<uint8_t> GetPlacement() const;

    // The desktop's window; null when none was made or it is destroyed.
    Platform::IDesktopWindow* GetDesktopWindow() const { return mWindow.get(); }
    uint32_t GetWindowId() const { return mWindowId; }
    const RCPtr<LRootWindow>& GetRootWindow() const { return mRootWindow; }
    const RCPtr<LRenderer>& GetRenderer() const { return mRenderer; }
    const RCPtr<LRenderContextInfo>& GetRenderContext() const { return mRenderContext; }
    bool HasOSCapture() const { return mHasCapture; }
    const Platform::WheelAccumulator& GetWheel() const { return mWheel; }

    // IWindowOSServices.
    int32_t SetTitle(const WString& title) override;
    int32_t InvalidateAll() override;
    int32_t InvalidateRect(const RectT<int32_t>& rect) override;
    int32_t GetClientRect(RectT<int32_t>& rect) override;
    int32_t ScreenToClient(PointT<int32_t>& point) override;
    int32_t ClientToScreen(PointT<int32_t>& point) override;
    int32_t SetWindowRect(const RectT<int32_t>& rect) override;
    bool Show(int32_t command) override;
    int32_t UpdateNow() override;
    int32_t BringToTop() override;
    int32_t SetTopMost(bool topMost) override;
    int32_t EndModal(int32_t result) override;
    int32_t RunModal() override;
    bool IsModal() override { return mModal; }
    bool IsActive() override { return mActive; }
    bool HasFocus() override { return mFocused; }
    int32_t SetFocus() override;
    CursorHandle SetCursor(CursorHandle cursor) override;
    PointT<int32_t> GetCursorPos() override { return mCursorPos; }
    uint32_t GetMouseButtons() override { return mButtons; }
    WindowHandle GetHandle() override { return mWindow != nullptr ? mWindow->GetHandle() : 0; }
    int32_t EnableTextInput(bool, bool) override { return 0; }
    // Popup windows: each shows one control of this window's tree and hands its pointer and
    // keys back to this window, at this window's client coordinates. Hidden ones are kept for
    // the next popup (an event of the popup's own window may be what hides it).
    bool GetPopupArea(RectT<int32_t>& area) override;
    int32_t ShowPopupWindow(const RCPtr<LControl>& control, const RectT<int32_t>& rect) override;
    void HidePopupWindow(const LControl* control) override;
    void InvalidatePopups(const RectT<int32_t>& rect) override;
    // The popup window showing control; null when none does.
    OSWindow* FindPopupWindow(const LControl* control) const;
    const RCPtr<LControl>& GetPopupControl() const { return mPopupControl; }
    // Whether the window of that id is one of this window's shown popup windows.
    bool IsOwnPopupWindow(uint32_t windowId) const;

private:
    void Destroy(bool tellOwner);
    void OnWindowEvent(const Platform::WindowEvent& event);
    void OnButton(const Platform::WindowEvent& event, bool down);
    void OnMotion(const Platform::WindowEvent& event);
    void OnWheel(const Platform::WindowEvent& event);
    void OnKey(const Platform::WindowEvent& event);
    void OnText(const Platform::WindowEvent& event);
    void OnSizeChanged(int32_t width, int32_t height);
    void OnMoved();
    void OnSystemClose();
    void ReleaseOSCapture();
    void SendKey(const KeyCode& key);
    // Adds to the window's own invalid area and queues one paint event.
    void RequestPaint(const RectT<int32_t>& rect);
    bool IsOverClient(const PointT<int32_t>& point) const;
    // A popup window: moved and sized to rect of the owner's client coordinates.
    void PlacePopup(const RectT<int32_t>& rect);
    void PaintPopup();
    void ForwardToPopupOwner(const Platform::WindowEvent& event);

    IOSWindowOwner* mOwner;
    OSWindow* mParent;
    std::unique_ptr<Platform::IDesktopWindow> mWindow;
    uint32_t mWindowId = 0;
    RCPtr<LRootWindow> mRootWindow;
    RCPtr<LRenderer> mRenderer;
    RCPtr<LRenderContextInfo> mRenderContext;
    PointT<int32_t> mCursorPos;
    uint32_t mButtons = 0;
    int32_t mPressCount = 0;
    bool mModal = false;
    int32_t mModalResult = 0;
    bool mHasCapture = false;
    bool mOutsideWorkArea = false;
    bool mActive = false;
    bool mFocused = false;
    bool mEnabled = true;
    bool mDestroyed = false;
    Platform::WheelAccumulator mWheel;
    // A popup window's owner and control (null while hidden); an owner's popup windows.
    OSWindow* mPopupOwner = nullptr;
    // The keyboard is with one of this window's popups, on this window's behalf.
    bool mFocusInPopup = false;
    RCPtr<LControl> mPopupControl;
    std::vector<std::unique_ptr<OSWindow>> mPopups;

    // Shared with invalidating threads.
    Mutex mPaintLock{"host window invalid area", LockLevel::kUnchecked};
    RectT<int32_t> mClientSize;
    std::vector<RegionRect> mInvalid;
    std::atomic<bool> mPaintPending{false};
    // A popup window's rectangle in its owner's client coordinates (empty while hidden), read
    // under the owner's lock.
    RectT<int32_t> mPopupRect;
};

}  // namespace QV
