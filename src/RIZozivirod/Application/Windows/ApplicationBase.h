#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Platform/DebugOutput.h"
#include "Platform/Desktop/ChildProcess.h"
#include "Platform/Desktop/Desktop.h"
#include "Platform/Desktop/DesktopShell.h"
#include "Platform/IniFileManager.h"
#include "Platform/ProfileStore.h"
#include "RIZozivirod/Application/ApplicationFolders.h"
#include "RIZozivirod/Application/ApplicationSettings.h"
#include "RIZozivirod/Application/Windows/FrameworkApp.h"
#include "RIZozivirod/Application/Windows/MessageLoop.h"
#include "RIZozivirod/Application/Windows/OSWindow.h"
#include "RIZozivirod/Application/Windows/WindowStyle.h"
#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Renderer/MeasurementRenderer.h"
#include "RIZozivirod/System/Version.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"

namespace QV {

// The desktop part of the application object: clocks, folders, the version block, settings,
// the desktop's work area, pointer and keys, message boxes and the message loop on SDL's queue.
// T is the program's own application class. User-interface thread only.
template <class T>
class LApplicationBase : public LFrameworkApp, public IOSWindowOwner, public Platform::IProcessWaiter {
public:
    using LFrameworkApp::OnIdle;
    using LFrameworkApp::ProcessForwardedCommandLine;
    using Clock = std::function<uint32_t()>;

    LApplicationBase(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& frameworkStrings,
                     const std::string& commandLine)
        : LFrameworkApp(factory, frameworkStrings, commandLine) {
        RCPtr<LIniFileManager> store = LIniFileManager::Create();
        if (store) {
            store->Initialize(WString());
        }
        mSettingsStore = store;
        mLastTime = GetTimeMs();
    }

    ~LApplicationBase() override {
        // Windows still open go before the services they use.
        while (!mWindows.empty()) {
            OSWindow* window = mWindows.back().get();
            window->DestroyWindow();
            if (!mWindows.empty() && mWindows.back().get() == window) {
                mDeadWindows.push_back(std::move(mWindows.back()));
                mWindows.pop_back();
            }
        }
        mDeadWindows.clear();
        mMainWindow = nullptr;
        if (mSettingsStore) {
            mSettingsStore->Uninitialize();
        }
        mSettings.reset();
        mSettingsStore = nullptr;
        if (Platform::GetProcessWaiter() == this) {
            Platform::SetProcessWaiter(nullptr);
        }
        mLoop.reset();
        mOwnEventSource.reset();
    }

    // Tests hand in a clock and an event source; the program uses the system's.
    void SetClock(Clock clock) {
        mClock = std::move(clock);
        mLastTime = GetTimeMs();
    }
    void SetEventSource(IEventSource* source) { mEventSource = source; }
    void SetSettingsStore(const RCPtr<IIniFileManager>& store) {
        mSettingsStore = store;
        mSettings.reset();
    }
    // The loop of the user-interface thread, made on first use: SDL's events (or the source a
    // test handed in), the application's idle passes, paints when nothing else waits, idle ticks
    // while a control or window has idle work, and the desktop's request to end.
    MessageLoop& GetMessageLoop() {
        if (!mLoop) {
            if (mEventSource == nullptr && !mOwnEventSource) {
                mOwnEventSource = OSWindow::CreateEventSource();
            }
            IEventSource& source = mEventSource != nullptr ? *mEventSource : *mOwnEventSource;
            mLoop = std::make_unique<MessageLoop>(source);
            mLoop->SetIdleHandler([this](int32_t count) { return OnIdle(count); });
            mLoop->SetPaintHandler(&OSWindow::PaintOneDueWindow);
            mLoop->SetIdleWorkQuery([this] { return HasIdleWork(); });
            mLoop->SetQuitRequestHandler([this] { OnDesktopQuitRequest(); });
            // Programs the application starts (the file chooser) are waited for in this loop.
            Platform::SetProcessWaiter(this);
        }
        return *mLoop;
    }

    // Platform::IProcessWaiter: the loop runs nested while a program the application started
    // runs, as under a modal window: every window keeps painting, with its input disabled. A
    // quit meanwhile gives the wait up.
    bool WaitBeside(const std::function<bool()>& ended) override {
        MessageLoop& loop = GetMessageLoop();
        std::vector<OSWindow*> disabled;
        for (const std::unique_ptr<OSWindow>& window : mWindows) {
            if (window->IsEnabled()) {
                window->SetEnabled(false);
                disabled.push_back(window.get());
            }
        }
        const bool done = loop.RunUntil(ended);
        for (OSWindow* window : disabled) {
            // Only windows still open: one may have closed meanwhile.
            const auto open =
                std::find_if(mWindows.begin(), mWindows.end(),
                             [window](const std::unique_ptr<OSWindow>& w) { return w.get() == window; });
            if (open != mWindows.end()) {
                window->SetEnabled(true);
            }
        }
        return done;
    }
    // Any thread; the loop exists from the moment the waiter is installed.
    void Wake() override { mLoop->Wake(); }
    // A signal or the desktop's request to end: every running level of the loop ends (a modal
    // run with its cancel result), and the exit request then closes the windows as the main
    // window's close does, at the idle pass after the loop.
    void OnDesktopQuitRequest() {
        if (RCPtr<LNotificationCenter> centre = GetMainNotificationCenter()) {
            centre->PostNotification(u"NID_APP_EXIT_REQ", nullptr);
        }
        GetMessageLoop().Quit(0);
    }

    // The version block.
    WString GetCompanyName() override { return Version().GetStringValue(u"CompanyName"); }
    WString GetProductName() override { return Version().GetStringValue(u"ProductName"); }
    WString GetProductVersion() override { return Version().GetStringValue(u"ProductVersion"); }
    WString GetApplicationName() override { return GetProductName(); }
    WString GetFolder(int32_t id) override {
        return ApplicationFolders::GetFolder(id, GetCompanyName(), GetProductName());
    }

    IIniFileManager* GetIniFileManager() override { return mSettingsStore.Get(); }
    int32_t OpenSettings(int32_t kind) override { return Settings().OpenSettings(kind); }
    int32_t GetCurrentSkinIndex() override { return Settings().GetCurrentSkinIndex(); }

    // Clocks: milliseconds of a counter that wraps, seconds since the application was made.
    uint32_t GetTimeMs() override {
        if (mClock) {
            return mClock();
        }
        using namespace std::chrono;
        return static_cast<uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    double GetTime() override {
        const uint32_t now = GetTimeMs();
        mElapsed += static_cast<int32_t>(now - mLastTime) / 1000.0;
        mLastTime = now;
        return mElapsed;
    }

    // Text is measured by the renderer of the first root window; before there is one nothing can
    // measure.
    RCPtr<LMeasurementRenderer> GetMeasuringRenderer() override {
        RCPtr<LRootWindow> first = GetRootWindow(0);
        if (!first || !first->GetRenderer()) {
            return nullptr;
        }
        return RCPtr<LMeasurementRenderer>(first->GetRenderer().Get());
    }
    int32_t GetScreenDpi() override { return 96; }
    // The desktop's interface font: the generic sans-serif face at 9 points.
    int32_t GetSystemFont(WString& face, float& size, uint32_t& style) override {
        face = u"sans-serif";
        size = 9.0f;
        style = 0;
        return S_OK;
    }
    RectT<int32_t> GetWorkArea() override {
        RectT<int32_t> bounds;
        return Platform::GetUsableDisplayBounds(bounds) ? bounds : DefaultApplicationServices().GetWorkArea();
    }
    PointT<int32_t> GetMousePosition() override { return Platform::GetPointerPosition(); }
    // The desktop's bits are the framework's kMouseButton values.
    uint32_t GetMouseButtons() override { return Platform::GetPointerButtons(); }
    // From SDL's keyboard state, which follows the key events of this program's windows.
    int32_t GetKeyState(int32_t virtualKey, bool& down, bool& toggled) override {
        Platform::GetKeyState(virtualKey, down, toggled);
        return 0;
    }
    // The system cursor of a framework cursor name; an unknown name gives the arrow.
    CursorHandle GetCursor(const WString& name) override {
        if (!Platform::IsVideoStarted()) {
            return 0;
        }
        const std::u16string text(name.GetString());
        return mCursors->Get(Platform::IsCursorName(text) ? text : u"UI_CURSOR_ARROW");
    }
    int32_t ShowCursor(bool show) override {
        mCursorCount += show ? 1 : -1;
        Platform::ShowPointer(mCursorCount >= 0);
        return mCursorCount;
    }
    int32_t SetCursorPos(int32_t x, int32_t y) override {
        return Platform::WarpPointer(x, y) ? S_OK : E_FAIL;
    }
    // Runs the control in a modal window of its own until it closes; its end code, or E_FAIL
    // when no window could be made.
    int32_t DoModal(const RCPtr<LControl>& control, bool systemMenu) override {
        const int32_t index = CreateRootWindow(control, false, systemMenu, false, false);
        if (index < 0) {
            return E_FAIL;
        }
        OSWindow* window = FindOSWindow(GetRootWindow(static_cast<uint32_t>(index)));
        if (window == nullptr) {
            return E_FAIL;
        }
        const int32_t result = window->RunModal();
        window->DestroyWindow();
        return result;
    }
    virtual int32_t OpenWindow(const RCPtr<LControl>& control, bool systemMenu, bool minimizeBox,
                               bool maximizeBox) {
        return CreateRootWindow(control, true, systemMenu, minimizeBox, maximizeBox);
    }

    // A window for a control, owned by the active window (else the first): its index in the list
    // of root windows, or E_FAIL. A modeless window is sizeable when the control's layout allows
    // it; a modal one never is.
    int32_t CreateRootWindow(const RCPtr<LControl>& control, bool modeless, bool systemMenu, bool minimizeBox,
                             bool maximizeBox) {
        if (!control) {
            return E_FAIL;
        }
        const int32_t count = GetRootWindowCount();
        bool sizeable = false;
        if (modeless) {
            const RCPtr<LControlDescriptor>& descriptor = control->GetDescriptor();
            if (!descriptor || !descriptor->GetLayout()) {
                QV_THROW_IN(std::runtime_error, "QV::LApplicationBase<class LApplication>::CreateRootWindow",
                            "Null Pointer : Control descriptor is null");
            }
            sizeable = IsSizeable(*descriptor->GetLayout());
        }
        const uint32_t style = GetSecondaryWindowStyle(systemMenu, minimizeBox, maximizeBox, sizeable);
        // The owner first: without one no window is made (and none is left behind).
        RCPtr<LRootWindow> owner = GetActiveRootWindow();
        if (!owner) {
            owner = GetRootWindow(0);
        }
        OSWindow* ownerWindow = FindOSWindow(owner);
        if (ownerWindow == nullptr) {
            return E_FAIL;
        }
        const RectT<double>& frame = control->GetFrame();
        PointT<int32_t> position{static_cast<int32_t>(std::lround(frame.x)),
                                 static_cast<int32_t>(std::lround(frame.y))};
        ownerWindow->ClientToScreen(position);
        RectT<int32_t> rect{position.x, position.y, static_cast<int32_t>(std::lround(frame.width)),
                            static_cast<int32_t>(std::lround(frame.height))};
        rect = MoveIntoWorkArea(rect, GetWorkArea());
        auto window =
            std::make_unique<OSWindow>(this, control->GetText(), rect, modeless ? nullptr : ownerWindow);
        if (!window->IsCreated()) {
            return E_FAIL;
        }
        Platform::SetWindowResizable(window->GetHandle(), (style & kStyleSizingBorder) != 0);
        SetIcon(window->GetHandle());
        OSWindow* raw = window.get();
        mWindows.push_back(std::move(window));
        if (raw->AttachRenderer(ownerWindow->GetRenderer()) < 0 || GetRootWindowCount() != count + 1) {
            raw->DestroyWindow();
            return E_FAIL;
        }
        GetRootWindow(static_cast<uint32_t>(count))->SetRootControl(control);
        LayOutToWindow(GetRootWindow(static_cast<uint32_t>(count)));
        return count;
    }

    // The message box goes to the desktop shell, owned by the active window, else the first one;
    // owner-less while there is no window.
    int32_t ShowMessageBox(const WString& text, const WString& caption, uint32_t style) override {
        intptr_t owner = 0;
        RCPtr<LRootWindow> window = GetActiveRootWindow();
        if (!window) {
            window = GetRootWindow(0);
        }
        if (window && window->GetOSServices() != nullptr) {
            owner = static_cast<intptr_t>(window->GetOSServices()->GetHandle());
        }
        return Platform::GetDesktopShell().ShowMessageBox(owner, NString(text.GetString()).GetString(),
                                                          NString(caption.GetString()).GetString(), style);
    }

    int32_t RunMessageLoop() override { return GetMessageLoop().Run(); }
    void PostQuit(int32_t code) override { GetMessageLoop().Quit(code); }

    // The main window of the main control's descriptor, titled with the company name: fixed or
    // sizeable as its layout says. The host window's result, or E_FAIL.
    virtual int32_t CreateMainWindow(int32_t rendererType) {
        const RCPtr<LControlDescriptor> descriptor =
            mControlFactory ? mControlFactory->FindControlDescriptor(GetMainControlName()) : nullptr;
        if (!descriptor || !descriptor->GetLayout()) {
            QV_THROW_IN(std::runtime_error, "QV::LApplicationBase<class LApplication>::CreateMainWindow",
                        "Null Pointer : Invalid Control Name");
        }
        const LLayoutDescriptor& layout = *descriptor->GetLayout();
        const uint32_t style = GetMainWindowStyle(layout);
        // The layout's own position and size, at least one pixel; the tree's limits and the
        // stored placement give the real ones.
        const RectT<int32_t> rect{static_cast<int32_t>(layout.xPlacement.offset),
                                  static_cast<int32_t>(layout.yPlacement.offset),
                                  std::max(1, static_cast<int32_t>(layout.xSize.offset)),
                                  std::max(1, static_cast<int32_t>(layout.ySize.offset))};
        auto window = std::make_unique<OSWindow>(this, GetCompanyName(), rect);
        if (!window->IsCreated()) {
            return E_FAIL;
        }
        Platform::SetWindowResizable(window->GetHandle(), (style & kStyleSizingBorder) != 0);
        SetIcon(window->GetHandle());
        mMainWindow = window.get();
        mWindows.push_back(std::move(window));
        return mMainWindow->Initialize(rendererType);
    }

    // The main window placed: the stored placement applied (a record of the wrong size is
    // ignored), un-minimised, its client size kept inside the tree's limits, cut to the desktop
    // and moved onto it.
    void RestoreWindowPlacement() {
        if (mMainWindow == nullptr || !mMainWindow->IsCreated()) {
            return;
        }
        const WindowHandle handle = mMainWindow->GetHandle();
        int32_t top = 0, left = 0, bottom = 0, right = 0;
        Platform::GetWindowBorders(handle, top, left, bottom, right);
        // The frame: the stored one, else the window's own.
        RectT<int32_t> client;
        mMainWindow->GetClientRect(client);
        PointT<int32_t> origin{0, 0};
        mMainWindow->ClientToScreen(origin);
        RectT<int32_t> frame{origin.x - left, origin.y - top, client.width + left + right,
                             client.height + top + bottom};
        std::vector<uint8_t> record;
        WindowPlacement placement;
        const Platform::ProfileStore store = GetProfileStore();
        const bool stored = store.GetProfileBinary(OSWindow::kMainWindowClassName,
                                                   Platform::ProfileStore::kWindowPlacementEntry, record) &&
                            ReadWindowPlacement(record, placement);
        if (stored) {
            frame = placement.frame;
        } else if (store.IsUnreadable()) {
            ReportProfileProblem(store);
        }
        Platform::RestoreMinimizedWindow(handle);
        PointT<int32_t> size{std::max(0, frame.width - left - right),
                             std::max(0, frame.height - top - bottom)};
        if (RCPtr<LRootWindow> main = GetRootWindow(0)) {
            main->ConstrainSize(size);
        }
        frame.width = size.x + left + right;
        frame.height = size.y + top + bottom;
        RectT<int32_t> desktop{0, 0, 0, 0};
        if (Platform::GetDisplayBoundsOfWindow(handle, desktop)) {
            if (!stored) {
                // Centred where no window manager places it.
                frame.x = desktop.x + (desktop.width - frame.width) / 2;
                frame.y = desktop.y + (desktop.height - frame.height) / 2;
            }
            frame = FitOnDesktop(frame, desktop);
        }
        mMainWindow->SetWindowRect(RectT<int32_t>{frame.x + left, frame.y + top, frame.width - left - right,
                                                  frame.height - top - bottom});
        if (!stored) {
            // Nothing the user chose: the window manager places the window by its own rules.
            Platform::LetWindowManagerPlace(handle);
        }
    }
    // The program's icon, shown by the desktop for each of its windows: the picture
    // "::app_icon.png" compiled into the program; null when it has none.
    virtual RCPtr<LBitmap> GetIcon() { return LBitmap::GetBitmap(u"::app_icon.png"); }
    // The window shows the program's icon.
    void SetIcon(WindowHandle window) {
        const RCPtr<LBitmap> icon = GetIcon();
        Platform::SetWindowIcon(window, icon ? icon->GetGdiplusBitmap() : nullptr);
    }
    // The main window's tree from the main control's descriptor.
    virtual int32_t CreateMainControl() {
        RCPtr<LRootWindow> main = GetRootWindow(0);
        if (!main || !mControlFactory) {
            return E_FAIL;
        }
        const int32_t result =
            main->CreateRootControl(mControlFactory->FindControlDescriptor(GetMainControlName()));
        LayOutToWindow(main);
        return result;
    }
    // A new tree takes the window's client size at once (the window is not resized for it).
    static void LayOutToWindow(const RCPtr<LRootWindow>& window) {
        if (window && window->GetRootControl()) {
            const RectT<int32_t> client = window->GetRect();
            window->OnSizeChanged(PointT<int32_t>{client.width, client.height});
        }
    }
    virtual void ShowMainWindow() {
        RestoreWindowPlacement();
        if (RCPtr<LRootWindow> main = GetRootWindow(0)) {
            if (main->GetOSServices() != nullptr) {
                main->GetOSServices()->Show(kShow);
                main->GetOSServices()->UpdateNow();
            }
        }
    }
    // A later copy's command line: the main window comes forward, then the application hook.
    void OnCommandLineHandedOver(const std::string& commandLine) {
        DebugOutput::Get().GetNarrowStream() << "Command line handed over: " << commandLine << std::endl;
        if (RCPtr<LRootWindow> main = GetRootWindow(0)) {
            if (main->GetOSServices() != nullptr) {
                main->GetOSServices()->Show(kShowNormal);
                main->GetOSServices()->BringToTop();
            }
        }
        ProcessForwardedCommandLine(WString(commandLine.c_str()));
    }

    int32_t RunApplicationStartup() override {
        if (LFrameworkApp::RunApplicationStartup() < 0) {
            return E_FAIL;
        }
        RegisterForNotification(GetMainNotificationCenter(), u"NID_APP_EXIT_REQ", 0);
        return S_OK;
    }

    // IOSWindowOwner.
    MessageLoop* GetModalLoop() override { return &GetMessageLoop(); }
    void AddRootWindow(const RCPtr<LRootWindow>& window) override { LFrameworkApp::AddRootWindow(window); }
    void RemoveRootWindow(const LRootWindow* window) override { LFrameworkApp::RemoveRootWindow(window); }
    bool IsMainWindow(const LRootWindow* window) override {
        return GetRootWindowCount() > 0 && GetRootWindowAt(0) == window;
    }
    bool OnIdle(int32_t count) override {
        mDeadWindows.clear();
        return OnIdleCount(count);
    }
    void ProcessForwardedCommandLine(const std::string& commandLine) override {
        OnCommandLineHandedOver(commandLine);
    }
    void WriteProfileBinary(const WString& section, const WString& entry,
                            const std::vector<uint8_t>& value) override {
        Platform::ProfileStore store = GetProfileStore();
        if (store.WriteProfileBinary(section, entry, value.data(), static_cast<uint32_t>(value.size())) < 0) {
            ReportProfileProblem(store);
        }
    }
    // Deleted at the next idle pass: the window may still be on the stack.
    void OnWindowDestroyed(OSWindow* window) override {
        if (window == mMainWindow) {
            mMainWindow = nullptr;
        }
        for (auto it = mWindows.begin(); it != mWindows.end(); ++it) {
            if (it->get() == window) {
                mDeadWindows.push_back(std::move(*it));
                mWindows.erase(it);
                return;
            }
        }
    }

    OSWindow* GetMainWindow() const { return mMainWindow; }
    // The profile of the main window's placement: per-user state, by company and product.
    Platform::ProfileStore GetProfileStore() {
        return Platform::ProfileStore(mProfilePath.GetLength() > 0 ? mProfilePath
                                                                   : ApplicationFolders::GetProfilePath(
                                                                         GetCompanyName(), GetProductName()));
    }
    void SetProfilePath(const WString& path) { mProfilePath = path; }
    // The debug output says why the profile failed: a file that cannot be read once (it is
    // kept as it is, so the start and the save at the end would say the same), a failed save
    // each time.
    void ReportProfileProblem(const Platform::ProfileStore& store) {
        if (store.IsUnreadable() && mUnreadableProfileReported) {
            return;
        }
        std::ostream& out = DebugOutput::Get().GetNarrowStream();
        const std::string path = NString(store.GetPath()).GetString();
        if (store.IsUnreadable()) {
            mUnreadableProfileReported = true;
            out << "Window placement : " << path << " cannot be read (" << store.GetLastError()
                << "); it is left as it is and the window's placement is not kept" << std::endl;
        } else if (path.empty()) {
            out << "Window placement : not saved, there is no folder for it (no home folder was found)"
                << std::endl;
        } else {
            out << "Window placement : not saved in " << path << " (" << store.GetLastError() << ")"
                << std::endl;
        }
    }

protected:
    OSWindow* FindOSWindow(const RCPtr<LRootWindow>& root) const {
        if (!root) {
            return nullptr;
        }
        for (const std::unique_ptr<OSWindow>& window : mWindows) {
            if (window->GetRootWindow().Get() == root.Get()) {
                return window.get();
            }
        }
        return nullptr;
    }

    ApplicationSettings& Settings() {
        if (!mSettings) {
            mSettings =
                std::make_unique<ApplicationSettings>(mSettingsStore, GetSettingsVersion(), GetProductName(),
                                                      [this](int32_t id) { return GetFolder(id); });
        }
        return *mSettings;
    }

    uint32_t mLastTime = 0;
    double mElapsed = 0.0;
    RCPtr<IIniFileManager> mSettingsStore;
    std::unique_ptr<ApplicationSettings> mSettings;
    Clock mClock;
    IEventSource* mEventSource = nullptr;
    std::unique_ptr<IEventSource> mOwnEventSource;
    std::unique_ptr<MessageLoop> mLoop;
    int32_t mCursorCount = 0;
    std::unique_ptr<Platform::IDesktopCursors> mCursors = Platform::CreateDesktopCursors();
    OSWindow* mMainWindow = nullptr;
    std::vector<std::unique_ptr<OSWindow>> mWindows;
    std::vector<std::unique_ptr<OSWindow>> mDeadWindows;
    WString mProfilePath;
    bool mUnreadableProfileReported = false;
};

}  // namespace QV
