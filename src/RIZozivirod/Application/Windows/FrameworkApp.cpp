#include "RIZozivirod/Application/Windows/FrameworkApp.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "Platform/DebugOutput.h"
#include "RIZozivirod/Application/Windows/BusyState.h"
#include "RIZozivirod/Application/Windows/ControlClassRegistry.h"
#include "RIZozivirod/Application/Windows/MFCFrameworkApp.h"
#include "RIZozivirod/Controls/StatusBar.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/Notification.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"

namespace QV {

namespace {
constexpr char16_t kExitRequest[] = u"NID_APP_EXIT_REQ";
}  // namespace

LFrameworkApp* LFrameworkApp::sCurrent = nullptr;

LFrameworkApp::LFrameworkApp(const RCPtr<LControlFactory>& factory,
                             const RCPtr<LStringTable>& frameworkStrings, const std::string& commandLine)
    : mControlFactory(factory), mCommandLine(commandLine), mFrameworkStrings(frameworkStrings) {
    sCurrent = this;
    SetRootWindowList(this);
    // Root windows make their trees with the application's factory.
    LControlFactory::SetCurrent(mControlFactory);
    // The centre the application's key bindings and exit request go to exists from here on; a
    // bound key's command is posted to its queue, so it runs at the next idle pass.
    const RCPtr<LNotificationCenter> centre = GetMainNotificationCenter();
    mHotKeys = LGlobalHotKeyManager::Create(
        centre ? RCPtr<LNotificationReceiver>(centre->GetPostingReceiver()) : nullptr);
    mClipboard = LClipboard::Create();
    LClipboard::SetCurrent(mClipboard.Get());
    // The edit commands work on the focused control of the window the user works in.
    mClipboard->SetFocusControlSource([this]() -> RCPtr<LControl> {
        const RCPtr<LRootWindow> window = GetActiveRootWindow();
        return window ? window->GetFocusControl() : nullptr;
    });
    if (mControlFactory) {
        mApplicationStrings = mControlFactory->GetApplicationStringTable();
    }
}

LFrameworkApp::~LFrameworkApp() {
    UnregisterAll();
    LNotificationCenterManager::ReleaseInstance();
    LNotification::EnablePooling(false);
    if (sCurrent == this) {
        sCurrent = nullptr;
    }
    if (GetRootWindowList() == this) {
        SetRootWindowList(nullptr);
    }
    if (mClipboard) {
        mClipboard->UnregisterAll();
        if (LClipboard::GetCurrent().Get() == mClipboard.Get()) {
            LClipboard::SetCurrent(nullptr);
        }
    }
    mClipboard = nullptr;
    mHotKeys = nullptr;
    mDefaultFont = nullptr;
    mApplicationStrings = nullptr;
    mFrameworkStrings = nullptr;
    mRootWindows.clear();
    mCommandLine.clear();
    if (mControlFactory && LControlFactory::GetCurrent() == mControlFactory) {
        LControlFactory::SetCurrent(nullptr);
    }
    mControlFactory = nullptr;
}

void LFrameworkApp::ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                        const RCPtr<LNotification>& notification) {
    if (!notification) {
        return;
    }
    const WString name = GetNotificationName(notification->GetID());
    if (name == kExitRequest && CanExit()) {
        OnExitRequest();
    }
}

void LFrameworkApp::OnExitRequest() {
    mExiting = true;
    // Secondary windows close at their next queue drain, the last opened first.
    const std::vector<RCPtr<LRootWindow>> windows = mRootWindows;
    for (size_t i = windows.size(); i > 1; --i) {
        windows[i - 1]->RequestClose(0);
    }
    CloseMainWindow();
    PostQuit(0);
}

int32_t LFrameworkApp::ProcessCommandLine(const WString&) {
    return 0;
}

int32_t LFrameworkApp::ProcessCommandLineAfterStartup(const WString&) {
    return 0;
}

int32_t LFrameworkApp::ProcessForwardedCommandLine(const WString&) {
    return 0;
}

WString LFrameworkApp::GetStartupErrorText(const RCPtr<LStringTable>& strings) {
    WString text = kStartupErrorText;
    if (strings) {
        WString found;
        if (strings->GetString(u"STARTUP_ERROR", found)) {
            text = found;
        }
    }
    return text;
}

WString LFrameworkApp::GetStartupErrorCaption(const RCPtr<LStringTable>& strings) {
    WString caption = kStartupErrorCaption;
    if (strings) {
        WString found;
        if (strings->GetString(u"STARTUP_ERROR_CAPTION", found)) {
            caption = found;
        }
    }
    return caption;
}

int32_t LFrameworkApp::Run() {
    if (!mRootWindows.empty()) {
        mRootWindows.front()->Redraw();
    }
    OnBeforeMessageLoop();
    OnIdle(true);
    int32_t code = 0;
    try {
        code = RunMessageLoop();
    } catch (...) {
        // Reported as a start-up failure, then the program ends in the usual order.
        WString text;
        WString caption;
        if (mFrameworkStrings) {
            mFrameworkStrings->GetString(u"STARTUP_ERROR", text);
            mFrameworkStrings->GetString(u"STARTUP_ERROR_CAPTION", caption);
        }
        ShowMessageBox(text, caption, 0x10);
        if (RCPtr<LNotificationCenter> centre = GetMainNotificationCenter()) {
            centre->PostNotification(kExitRequest, nullptr);
        }
    }
    OnIdle(true);
    return code;
}

namespace {

// The status bar of the first window: its root control or the first of its descendants that is
// one; null when there is none.
RCPtr<LStatusBar> FindWindowStatusBar(const std::vector<RCPtr<LRootWindow>>& windows) {
    RCPtr<LControl> root = windows.empty() ? nullptr : windows.front()->GetRootControl();
    if (!root) {
        return nullptr;
    }
    if (auto* bar = dynamic_cast<LStatusBar*>(root.Get())) {
        return RCPtr<LStatusBar>(bar);
    }
    RCPtrArray<LControl, 1, 0> controls;
    root->CollectDescendants(controls);
    for (uint32_t i = 0; i < controls.GetCount(); ++i) {
        if (auto* bar = dynamic_cast<LStatusBar*>(controls.GetAt(i).Get())) {
            return RCPtr<LStatusBar>(bar);
        }
    }
    return nullptr;
}

}  // namespace

int32_t LFrameworkApp::SetStatusText(const WString& text, bool immediately) {
    RCPtr<LStatusBar> bar = FindWindowStatusBar(mRootWindows);
    if (!bar) {
        return E_FAIL;
    }
    return immediately ? bar->SetStatusTextNow(text) : bar->PostStatusText(text);
}

int32_t LFrameworkApp::RestoreStatusText(bool immediately) {
    RCPtr<LStatusBar> bar = FindWindowStatusBar(mRootWindows);
    if (!bar) {
        return E_FAIL;
    }
    return SetStatusText(bar->GetDefaultStatusText(), immediately);
}

int32_t LFrameworkApp::GetCurrentSkinIndex() {
    return 0;
}

bool LFrameworkApp::OnIdleCount(int32_t count) {
    if (IsExiting()) {
        return false;
    }
    const bool more = OnIdle(count == 0);
    return more && count < 2;
}

bool LFrameworkApp::OnIdle(bool firstPass) {
    bool more = false;
    if (RCPtr<LNotificationCenterManager> centres = LNotificationCenterManager::GetInstance()) {
        more = centres->ProcessNotifications(firstPass);
    }
    // A copy: a drained queue may close its window.
    const std::vector<RCPtr<LRootWindow>> windows = mRootWindows;
    for (size_t i = windows.size(); i > 0; --i) {
        more = windows[i - 1]->ProcessQueue(firstPass) || more;
    }
    return more;
}

bool LFrameworkApp::HasIdleWork() const {
    if (RCPtr<LNotificationCenterManager> centres = LNotificationCenterManager::GetInstance()) {
        if (centres->HasIdleClients()) {
            return true;
        }
    }
    return std::any_of(mRootWindows.begin(), mRootWindows.end(),
                       [](const RCPtr<LRootWindow>& window) { return window->HasIdleClients(); });
}

int32_t LFrameworkApp::RunApplicationStartup() {
    try {
        LNotification::EnablePooling(true);
        if (mControlFactory) {
            RegisterFrameworkControlClasses(*mControlFactory);
        }
        mHotKeys->GetTable().LoadFromStringTable(mApplicationStrings, u"GHK");
        mClipboard->Initialize();
        int32_t index = GetCurrentSkinIndex();
        const int32_t count = mControlFactory ? static_cast<int32_t>(mControlFactory->GetSkinCount()) : 0;
        if (count == 0) {
            // Nothing to show the program with.
            return E_FAIL;
        }
        // A hand-edited settings file may hold any number: stay inside the list.
        index = std::clamp(index, 0, count - 1);
        return SetSkin(index) < 0 ? E_FAIL : S_OK;
    } catch (const std::exception&) {
        return E_FAIL;
    }
}

int32_t LFrameworkApp::SetSkin(int32_t index) {
    WString face;
    float size = 0.0f;
    uint32_t style = 0;
    QV_CHECK_RESULT(GetSystemFont(face, size, style));
    if (mControlFactory) {
        mControlFactory->SetCurrentSkinIndex(index);
        int32_t skinStyle = static_cast<int32_t>(style);
        mControlFactory->GetSkinFont(face, size, skinStyle);
        style = static_cast<uint32_t>(skinStyle);
    }
    mDefaultFont = LFont::GetFont(face, size, static_cast<int32_t>(style));
    if (mControlFactory) {
        const std::vector<RCPtr<LRootWindow>> windows = mRootWindows;
        for (const RCPtr<LRootWindow>& window : windows) {
            LBusyState busy(u"Loading Skin...");
            IWindowOSServices* os = window->GetOSServices();
            const bool active = os != nullptr && os->IsActive();
            if (active) {
                window->OnKillFocus();
            }
            if (window->GetRootControl()) {
                mControlFactory->ApplySkin(window->GetRootControl());
            }
            window->Redraw();
            if (active) {
                window->OnSetFocus();
            }
        }
    }
    if (IIniFileManager* store = GetIniFileManager()) {
        const int32_t handle = OpenSettings(1);
        if (handle != 0) {
            errno = 0;
            if (store->SetIniValueInt(handle, u"CurrentSkinIndex", index) < 0) {
                const int cause = errno;
                DebugOutput::Get().GetNarrowStream()
                    << "Settings : UserSettings.ini could not be saved"
                    << (cause != 0 ? std::string(" (") + std::strerror(cause) + ")" : std::string())
                    << "; the skin chosen is kept until the program ends" << std::endl;
            }
        }
    }
    return S_OK;
}

void LFrameworkApp::AddRootWindow(const RCPtr<LRootWindow>& window) {
    if (window && IndexOfRootWindow(window.Get()) < 0) {
        mRootWindows.push_back(window);
    }
}

void LFrameworkApp::RemoveRootWindow(const LRootWindow* window) {
    const int32_t index = IndexOfRootWindow(window);
    if (index >= 0) {
        mRootWindows.erase(mRootWindows.begin() + index);
    }
}

int32_t LFrameworkApp::IndexOfRootWindow(const LRootWindow* window) {
    for (size_t i = mRootWindows.size(); i > 0; --i) {
        if (mRootWindows[i - 1].Get() == window) {
            return static_cast<int32_t>(i - 1);
        }
    }
    return -1;
}

RCPtr<LRootWindow> LFrameworkApp::GetRootWindow(uint32_t index) const {
    return index < mRootWindows.size() ? mRootWindows[index] : nullptr;
}

LRootWindow* LFrameworkApp::GetRootWindowAt(int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < mRootWindows.size() ? mRootWindows[index].Get()
                                                                          : nullptr;
}

void LFrameworkApp::CloseMainWindow() {
    // A modeless window ends by being destroyed, which saves the main window's placement.
    if (!mRootWindows.empty()) {
        mRootWindows.front()->RequestClose(0);
    }
}

RCPtr<LRootWindow> LFrameworkApp::GetActiveRootWindow() const {
    for (size_t i = mRootWindows.size(); i > 0; --i) {
        IWindowOSServices* os = mRootWindows[i - 1]->GetOSServices();
        if (os != nullptr && os->IsActive()) {
            return mRootWindows[i - 1];
        }
    }
    return nullptr;
}

int32_t LFrameworkApp::RunApplicationShutdown() {
    if (LControlFactory::GetCurrent() == mControlFactory) {
        LControlFactory::SetCurrent(nullptr);
    }
    mControlFactory = nullptr;
    // The key bindings go first, then the clipboard stops serving the edit commands.
    mHotKeys->ClearTable();
    mClipboard->UnregisterAll();
    return 0;
}

int32_t LFrameworkApp::HandleApplicationHotKey(const KeyCode& key) {
    return mHotKeys ? mHotKeys->HandleKey(key) : S_FALSE;
}

int32_t LFrameworkApp::CreateControl(const WString& descriptorName, RCPtr<LControl>& control) {
    return CreateControlByName(mControlFactory, descriptorName, control);
}

RCPtr<LRenderer> CreateCairoRenderer(const RectT<int32_t>&, WindowHandle) {
    return RCPtr<LRenderer>(new LGDIRenderer());
}

WString GetStartupErrorText(int32_t code) {
    char text[256];
    if (LFrameworkApp::sCurrent != nullptr && LFrameworkApp::sCurrent->GetFrameworkStrings()) {
        WString format;
        LFrameworkApp::sCurrent->GetFrameworkStrings()->GetString(u"EXCEPTION_ID", format);
        const std::string narrow = NString(format.GetString()).GetString();
        const size_t at = narrow.find("%d");
        std::string filled = narrow;
        if (at != std::string::npos) {
            filled = narrow.substr(0, at) + std::to_string(code) + narrow.substr(at + 2);
        }
        return WString(filled.c_str());
    }
    std::snprintf(
        text, sizeof text,
        "The application encountered problems during startup and will now close.  (Error code = %d)", code);
    return WString(text);
}

}  // namespace QV
