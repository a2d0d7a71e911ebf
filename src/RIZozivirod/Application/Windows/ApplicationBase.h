#pragma once

#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Platform/Desktop/DesktopShell.h"
#include "Platform/IniFileManager.h"
#include "RIZozivirod/Application/ApplicationFolders.h"
#include "RIZozivirod/Application/ApplicationSettings.h"
#include "RIZozivirod/Application/Windows/FrameworkApp.h"
#include "RIZozivirod/Application/Windows/MessageLoop.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Renderer/MeasurementRenderer.h"
#include "RIZozivirod/System/Version.h"

namespace QV {

// The desktop part of the application object: clocks, folders, the version block, settings,
// the desktop's work area, pointer and keys, message boxes and the message loop on SDL's queue.
// T is the program's own application class. User-interface thread only.
template <class T>
class LApplicationBase : public LFrameworkApp {
public:
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
        if (mSettingsStore) {
            mSettingsStore->Uninitialize();
        }
        mSettings.reset();
        mSettingsStore = nullptr;
        mLoop.reset();
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
    MessageLoop& GetMessageLoop() {
        if (!mLoop) {
            IEventSource& source = mEventSource != nullptr ? *mEventSource : mSdlEvents;
            mLoop =
                std::make_unique<MessageLoop>(source, [this](int32_t count) { return OnIdleCount(count); });
        }
        return *mLoop;
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

    RCPtr<LMeasurementRenderer> GetMeasuringRenderer() override { return nullptr; }
    int32_t GetScreenDpi() override { return 96; }
    // The desktop's interface font: the generic sans-serif face at 9 points.
    int32_t GetSystemFont(WString& face, float& size, uint32_t& style) override {
        face = u"sans-serif";
        size = 9.0f;
        style = 0;
        return S_OK;
    }
    RectT<int32_t> GetWorkArea() override {
        SDL_Rect bounds;
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetDisplayUsableBounds(0, &bounds) == 0) {
            return RectT<int32_t>{bounds.x, bounds.y, bounds.w, bounds.h};
        }
        return DefaultApplicationServices().GetWorkArea();
    }
    PointT<int32_t> GetMousePosition() override {
        int x = 0;
        int y = 0;
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
            SDL_GetGlobalMouseState(&x, &y);
        }
        return PointT<int32_t>{x, y};
    }
    uint32_t GetMouseButtons() override {
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
            return 0;
        }
        const uint32_t state = SDL_GetGlobalMouseState(nullptr, nullptr);
        uint32_t buttons = 0;
        buttons |= (state & SDL_BUTTON_LMASK) != 0 ? kMouseButtonLeft : 0;
        buttons |= (state & SDL_BUTTON_MMASK) != 0 ? kMouseButtonMiddle : 0;
        buttons |= (state & SDL_BUTTON_RMASK) != 0 ? kMouseButtonRight : 0;
        return buttons;
    }
    int32_t GetKeyState(int32_t, bool& down, bool& toggled) override {
        down = false;
        toggled = false;
        return 0;
    }
    CursorHandle GetCursor(const WString&) override { return 0; }
    int32_t ShowCursor(bool show) override {
        mCursorCount += show ? 1 : -1;
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
            SDL_ShowCursor(mCursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
        }
        return mCursorCount;
    }
    int32_t SetCursorPos(int32_t x, int32_t y) override {
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
            return E_FAIL;
        }
        return SDL_WarpMouseGlobal(x, y) == 0 ? S_OK : E_FAIL;
    }
    int32_t DoModal(const RCPtr<LControl>&, bool) override { return E_FAIL; }

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
    void PostQuit(int32_t code) override { GetMessageLoop().PostQuit(code); }

    // The main window of the main control's descriptor; E_FAIL while it cannot be made.
    virtual int32_t CreateMainWindow(int32_t rendererType) {
        (void)rendererType;
        return E_FAIL;
    }
    // The main window's tree from the main control's descriptor.
    virtual int32_t CreateMainControl() {
        RCPtr<LRootWindow> main = GetRootWindow(0);
        if (!main || !mControlFactory) {
            return E_FAIL;
        }
        return main->CreateRootControl(mControlFactory->FindControlDescriptor(GetMainControlName()));
    }
    virtual void ShowMainWindow() {
        if (RCPtr<LRootWindow> main = GetRootWindow(0)) {
            if (main->GetOSServices() != nullptr) {
                main->GetOSServices()->Show(kShow);
                main->GetOSServices()->UpdateNow();
            }
        }
    }
    // A later copy's command line: the main window comes forward, then the application hook.
    void OnCommandLineHandedOver(const std::string& commandLine) {
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

protected:
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
    SdlEventSource mSdlEvents;
    IEventSource* mEventSource = nullptr;
    std::unique_ptr<MessageLoop> mLoop;
    int32_t mCursorCount = 0;
};

}  // namespace QV
