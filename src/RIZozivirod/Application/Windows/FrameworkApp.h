#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Platform/IniFileManager.h"
#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Application/Windows/RootWindow.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/HotKeyTable.h"
#include "RIZozivirod/ControlBase/StringTable.h"
#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "RIZozivirod/System/Desktop/Clipboard.h"
#include "RIZozivirod/System/Desktop/GlobalHotKeyManager.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"

namespace QV {

class MessageLoop;

// The framework's part of the application object: the root windows, the idle pass, the start-up
// of the framework's classes, key bindings and skin, and the exit request. The one instance is
// reachable as sCurrent from construction to destruction. User-interface thread only.
class LFrameworkApp : public LNotificationClient, public IApplicationServices, public IRootWindowList {
public:
    // The texts of the start-up error box, and the result codes that end the start-up quietly.
    static constexpr char16_t kStartupErrorText[] =
        u"The application encountered problems during startup and will now close.";
    static constexpr char16_t kStartupErrorCaption[] = u"Error";

    static LFrameworkApp* sCurrent;

    LFrameworkApp(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& frameworkStrings,
                  const std::string& commandLine);
    ~LFrameworkApp() override;

    // The exit request ("NID_APP_EXIT_REQ"): see OnExitRequest.
    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;

    virtual int32_t ProcessCommandLine(const WString& text);
    virtual int32_t ProcessCommandLineAfterStartup(const WString& text);
    // The command line a later copy of the program handed over.
    virtual int32_t ProcessForwardedCommandLine(const WString& text);
    // The loop with the idle passes before and after it; returns the loop's quit code.
    virtual int32_t Run();
    virtual bool IsExiting() const { return mExiting; }
    virtual WString GetCompanyName() = 0;
    virtual WString GetProductName() = 0;
    virtual WString GetProductVersion() = 0;
    virtual WString GetSettingsVersion() = 0;
    virtual WString GetApplicationName() = 0;
    virtual WString GetMainControlName() = 0;
    virtual uint32_t GetLocaleId() = 0;
    virtual WString GetFolder(int32_t id) = 0;
    virtual int32_t GetCurrentSkinIndex();
    // Selects skin index: fonts from the skin, the skin applied to every window, the index stored.
    virtual int32_t SetSkin(int32_t index);
    virtual void AddRootWindow(const RCPtr<LRootWindow>& window);
    virtual void RemoveRootWindow(const LRootWindow* window);
    virtual IIniFileManager* GetSettingsStore() { return GetIniFileManager(); }
    virtual IIniFileManager* GetIniFileManager() = 0;
    // The handle of a settings file (0 machine, 1 user); 0 when it could not be opened.
    virtual int32_t OpenSettings(int32_t kind) = 0;
    // One application idle pass: the notification centres (newest first), then the root windows'
    // queues from the last to the first. True when anything still waits.
    virtual bool OnIdle(bool firstPass);
    virtual int32_t RunApplicationStartup();
    virtual void OnBeforeMessageLoop() {}
    virtual int32_t RunMessageLoop() = 0;
    virtual int32_t RunApplicationShutdown();
    virtual bool CanExit() = 0;
    // Closes the main window as its frame's close would (the placement is saved).
    virtual void CloseMainWindow();
    // Ends the message loop once its queue is empty.
    virtual void PostQuit(int32_t code) = 0;

    // Whether any notification centre or root window has a listener for "NID_IDLE" (a caret
    // blinks, a scroll glides, a removal waits): the loop then keeps the idle rhythm.
    bool HasIdleWork() const;

    // The text of the first window's status bar, now or on the bar's next idle pass; the default
    // text is the bar's label's own. E_FAIL without a window or a status bar, as in this program.
    int32_t SetStatusText(const WString& text, bool immediately);
    int32_t RestoreStatusText(bool immediately);

    // The loop's idle hook: no pass once exiting; at most three passes (count 0, 1, 2) per idle
    // period, the first of them a first pass.
    bool OnIdleCount(int32_t count);

    // IApplicationServices parts that are the same on every platform.
    int32_t CreateControl(const WString& descriptorName, RCPtr<LControl>& control) override;

    // The last window whose operating-system window is active; null when none is.
    RCPtr<LRootWindow> GetActiveRootWindow() const;
    RCPtr<LRootWindow> GetRootWindow(uint32_t index) const;

    // IRootWindowList.
    int32_t GetRootWindowCount() override { return static_cast<int32_t>(mRootWindows.size()); }
    LRootWindow* GetRootWindowAt(int32_t index) override;
    int32_t IndexOfRootWindow(const LRootWindow* window) override;
    // A key no control and no window took: the application's bindings post their command to
    // the "application" centre. 0 when bound, 1 when not (or after shut-down).
    int32_t HandleApplicationHotKey(const KeyCode& key) override;
    const LHotKeyTable* GetApplicationHotKeyTable() override {
        return mHotKeys ? &mHotKeys->GetTable() : nullptr;
    }

    const RCPtr<LControlFactory>& GetControlFactory() const { return mControlFactory; }
    const RCPtr<LStringTable>& GetFrameworkStrings() const { return mFrameworkStrings; }
    const RCPtr<LStringTable>& GetApplicationStrings() const { return mApplicationStrings; }
    const RCPtr<LFont>& GetDefaultFont() const { return mDefaultFont; }
    LHotKeyTable& GetHotKeys() { return mHotKeys->GetTable(); }
    const RCPtr<LGlobalHotKeyManager>& GetHotKeyManager() const { return mHotKeys; }
    const RCPtr<LClipboard>& GetClipboard() const { return mClipboard; }
    const std::string& GetCommandLine() const { return mCommandLine; }

    // The start-up error texts of the framework string table, the built-in ones when the table
    // or the entry is missing.
    static WString GetStartupErrorText(const RCPtr<LStringTable>& strings);
    static WString GetStartupErrorCaption(const RCPtr<LStringTable>& strings);

protected:
    // The exit request: the exiting flag, every secondary window asked to close (the last first),
    // the main window closed and the loop told to end once its queue is empty.
    void OnExitRequest();

    RCPtr<LControlFactory> mControlFactory;
    std::string mCommandLine;
    std::vector<RCPtr<LRootWindow>> mRootWindows;
    RCPtr<LStringTable> mFrameworkStrings;
    RCPtr<LStringTable> mApplicationStrings;
    bool mExiting = false;
    RCPtr<LFont> mDefaultFont;
    RCPtr<LGlobalHotKeyManager> mHotKeys;
    RCPtr<LClipboard> mClipboard;
};

}  // namespace QV
