#include "Panel/Application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "RIZozivirod/ControlBase/KeyCode.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/Controls/MainMenu.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Controls/StatusBar.h"
#include "RIZozivirod/Controls/TabControl.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "UI/EditorTestSupport.h"
#include "UITestSupport/FakeWindowOSServices.h"
#include "UITestSupport/ScriptedDesktopShell.h"
#include "UITestSupport/ScriptedEventSource.h"
#include "UITestSupport/TestRootWindow.h"

namespace {

using QV::RCPtr;
using QV::WString;

// A settings store in memory: one user file, values by key; records what is asked of it.
class MemorySettingsStore : public QV::IIniFileManager {
public:
    int32_t Initialize(const WString&) override { return 0; }
    int32_t Uninitialize() override {
        uninitialized = true;
        return 0;
    }
    int32_t OpenIniFile(const WString&, const WString&, const WString&, int32_t& handle) override {
        handle = 1;
        return 0;
    }
    int32_t WriteIniFile(int32_t) override { return 0; }
    bool DoesNodeExist(int32_t, const WString& key) override { return ints.count(key) != 0; }
    int32_t CloseIniFile(int32_t, int32_t) override { return 0; }
    int32_t GetIniValueInt(int32_t, const WString& key, int32_t defaultValue, int32_t& value) override {
        value = ints.count(key) != 0 ? ints[key] : defaultValue;
        return 0;
    }
    int32_t SetIniValueInt(int32_t, const WString& key, int32_t value) override {
        ints[key] = value;
        return 0;
    }
    int32_t GetIniValueStr(int32_t, const WString&, const WString& defaultValue, WString& value) override {
        value = defaultValue;
        return 0;
    }
    int32_t SetIniValueStr(int32_t, const WString&, const WString&) override { return 0; }
    int32_t GetKeyCount(int32_t, const WString&, int32_t& count) override { return count = 0; }
    int32_t GetKeyNameAt(int32_t, const WString&, int32_t, WString&) override { return QV::E_FAIL; }
    int32_t GetArrayCount(int32_t, const WString&, int32_t& count) override { return count = 0; }
    int32_t SetArrayCount(int32_t, const WString&, int32_t) override { return 0; }
    int32_t GetArrayItemAt(int32_t, const WString&, int32_t, WString&) override { return QV::E_FAIL; }
    int32_t SetArrayItemAt(int32_t, const WString&, int32_t, const WString&) override { return 0; }
    int32_t RemoveArrayItemAt(int32_t, const WString&, int32_t) override { return 0; }

    std::map<WString, int32_t> ints;
    bool uninitialized = false;
};

// A host window that logs, under its name, the end of its window into a log shared by every
// window, and answers with its own handle.
class LoggingWindowOS : public QV::FakeWindowOSServices {
public:
    LoggingWindowOS(std::string name, std::vector<std::string>& log, intptr_t handle)
        : mName(std::move(name)), mLog(log), mHandle(handle) {
        active = false;
    }
    int32_t EndModal(int32_t result) override {
        mLog.push_back("closed " + mName);
        return FakeWindowOSServices::EndModal(result);
    }
    QV::WindowHandle GetHandle() override { return mHandle; }

private:
    std::string mName;
    std::vector<std::string>& mLog;
    intptr_t mHandle;
};

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        factory->SetResourceBasePath(u"::");
        ASSERT_EQ(factory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0409), QV::S_OK);
        ASSERT_EQ(factory->LoadSkins(u"::APP_SKINS"), QV::S_OK);
    }

    RCPtr<LApplication> MakeApplication() {
        RCPtr<LApplication> app = LApplication::Create(factory, factory->GetFrameworkStringTable(), "editor");
        app->SetSettingsStore(store);
        app->SetEventSource(&source);
        app->SetClock([this] { return source.nowMs.load(); });
        return app;
    }

    RCPtr<QV::LControlFactory> factory = QV::LControlFactory::Create(u"Skylet");
    RCPtr<MemorySettingsStore> store{new MemorySettingsStore()};
    QV::ScriptedEventSource source;
};

TEST_F(ApplicationTest, StartupKeepsTheStoredSkinIndexInsideTheListAndStoresTheOneSelected) {
    const int32_t last = static_cast<int32_t>(factory->GetSkinCount()) - 1;
    struct Case {
        bool stored;
        int32_t index;
        int32_t selected;
    };
    for (const Case& c :
         {Case{false, 0, 0}, Case{true, last, last}, Case{true, last + 5, last}, Case{true, -3, 0}}) {
        store->ints.clear();
        if (c.stored) {
            store->ints[u"CurrentSkinIndex"] = c.index;
        }
        RCPtr<LApplication> app = MakeApplication();
        ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK) << c.index;
        app->RunApplicationShutdown();
        EXPECT_EQ(factory->GetCurrentSkinIndex(), c.selected) << c.index;
        EXPECT_EQ(store->ints[u"CurrentSkinIndex"], c.selected) << c.index;
        EXPECT_TRUE(app->GetDefaultFont());
    }
}

TEST_F(ApplicationTest, StartupWithoutAnySkinFails) {
    RCPtr<QV::LControlFactory> empty = QV::LControlFactory::Create(u"Skylet");
    RCPtr<LApplication> app = LApplication::Create(empty, nullptr, "editor");
    app->SetSettingsStore(store);
    EXPECT_EQ(app->RunApplicationStartup(), QV::E_FAIL);
}

TEST_F(ApplicationTest, StartupBindsTheApplicationKeysAndStartsTheDeviceObjects) {
    RCPtr<LApplication> app = MakeApplication();
    ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK);
    struct Binding {
        const char16_t* key;
        const char16_t* command;
    };
    for (const Binding& b :
         {Binding{u"Ctrl+VKEY_C", u"NID_EDIT_COPY_REQ"}, Binding{u"VKEY_DELETE", u"NID_EDIT_DELETE_REQ"},
          Binding{u"Shift+Ctrl+VKEY_S", u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE"},
          Binding{u"Ctrl+VKEY_N", u"NID_MENU_FILE_NEW_PRESET"}}) {
        EXPECT_TRUE(app->GetHotKeys().FindCommand(QV::KeyCode::Parse(b.key)) == WString(b.command))
            << QV::NString(b.key).GetString();
    }
    // The engine starts without a device library and is the process's engine while the
    // application lives.
    EXPECT_TRUE(app->GetMidiManager());
    ASSERT_TRUE(app->GetEngine());
    EXPECT_EQ(GetRootModuleEngine(), app->GetEngine());
    EXPECT_EQ(QV::LFrameworkApp::sCurrent, app.Get());

    app->RunApplicationShutdown();
    app = nullptr;
    EXPECT_FALSE(GetRootModuleEngine());
    EXPECT_TRUE(store->uninitialized);
    EXPECT_EQ(QV::LFrameworkApp::sCurrent, nullptr);
}

// A control that takes the edit commands and records them.
class EditableControl : public QV::LControl {
public:
    EditableControl(const RCPtr<QV::LControl>& parent) : QV::LControl(parent, u"editable") {}
    bool IsEditTarget() override { return true; }
    bool CanPerformEdit(int32_t) override { return true; }
    int32_t PerformEdit(int32_t kind) override {
        edits.push_back(kind);
        return QV::S_OK;
    }
    std::vector<int32_t> edits;
};

TEST_F(ApplicationTest, AShortcutNoControlTakesPostsTheApplicationsCommandAndEditKeysReachTheFocusedControl) {
    RCPtr<LApplication> app = MakeApplication();
    ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK);
    QV::FakeWindowOSServices os;
    const RCPtr<QV::LRootWindow> window = QV::LRootWindow::Create(nullptr, &os);
    app->AddRootWindow(window);
    RCPtr<QV::LControl> top(new QV::LPanel(nullptr, u"top"));
    RCPtr<QV::LControl> middle(new QV::LPanel(top, u"middle"));
    RCPtr<EditableControl> field(new EditableControl(middle));
    for (QV::LControl* control : {top.Get(), middle.Get(), static_cast<QV::LControl*>(field.Get())}) {
        control->SetRect({0, 0}, {100, 20});
        control->SetNotFocusable(false);
    }
    window->SetRootControl(top);
    field->SetFocus(true);
    const RCPtr<QV::NotificationRecorder> recorder = QV::NotificationRecorder::Create(
        RCPtr<QV::LNotificationDistributor>(QV::GetMainNotificationCenter()), {u"NID_MENU_FILE_NEW_PRESET"});

    const auto press = [&](const char16_t* key) {
        field->OnKey(QV::LKeyParam::Create(QV::KeyCode::Parse(key), true));
        app->OnIdle(true);
    };
    press(u"Ctrl+VKEY_N");
    press(u"Ctrl+VKEY_C");
    press(u"VKEY_DELETE");
    press(u"Ctrl+VKEY_M");  // bound to nothing
    EXPECT_EQ(recorder->GetNames(), std::vector<std::u16string>{u"NID_MENU_FILE_NEW_PRESET"});
    EXPECT_EQ(field->edits, (std::vector<int32_t>{QV::LClipboard::kEditCopy, QV::LClipboard::kEditDelete}));

    // After shut-down the application binds nothing and the clipboard takes no more commands.
    app->RunApplicationShutdown();
    press(u"Ctrl+VKEY_N");
    QV::GetMainNotificationCenter()->PostNotification(u"NID_EDIT_COPY_REQ", nullptr);
    app->OnIdle(true);
    EXPECT_EQ(recorder->GetNames().size(), 1u);
    EXPECT_EQ(field->edits.size(), 2u);

    recorder->UnregisterAll();
    window->SetRootControl(nullptr);
    app->RemoveRootWindow(window.Get());
    top->Close();
}

TEST_F(ApplicationTest, ControlClassTablesGiveEveryNameAClass) {
    EXPECT_EQ(QV::GetFrameworkControlClasses().size(), 37u);
    EXPECT_EQ(LApplication::GetEditorControlClasses().size(), 85u);
    // Every class a skin may name is made by a creator of its own.
    const std::vector<WString> framework = QV::GetMissingControlClasses(QV::GetFrameworkControlClasses());
    const std::vector<WString> editor = QV::GetMissingControlClasses(LApplication::GetEditorControlClasses());
    std::string names;
    for (const std::vector<WString>* list : {&framework, &editor}) {
        for (const WString& name : *list) {
            names += std::string(QV::NString(name.GetString()).GetString()) + " ";
        }
    }
    EXPECT_TRUE(names.empty()) << "without a class: " << names;
    // Only the editor's two repeated names appear twice.
    std::map<WString, int32_t> seen;
    for (const QV::ControlClassRegistration& entry : LApplication::GetEditorControlClasses()) {
        ++seen[entry.className];
    }
    EXPECT_EQ(seen.size(), 83u);
}

TEST_F(ApplicationTest, StatusTextsReachTheFirstWindowsStatusBar) {
    RCPtr<LApplication> app = MakeApplication();
    ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK);
    EXPECT_EQ(app->SetStatusText(u"no window", true), QV::E_FAIL);
    QV::FakeWindowOSServices os;
    const RCPtr<QV::LRootWindow> window = QV::LRootWindow::Create(nullptr, &os);
    app->AddRootWindow(window);
    // A window whose tree holds a status bar (this program's skin has none).
    RCPtr<QV::LControlFactory> own = QV::LControlFactory::Create(u"Skylet");
    own->RegisterControlClass(u"Framework.Panel", &QV::CreateControlFunction<QV::LPanel>);
    own->RegisterControlClass(u"Framework.Label", &QV::CreateControlFunction<QV::LLabel>);
    own->RegisterControlClass(u"Framework.StatusBar", &QV::CreateControlFunction<QV::LStatusBar>);
    const std::string skin = R"(<Velkor_Skin_Definitions><Skin Name="s">
      <SubControl Class="Framework.Panel" Name="top" XSizeAbs="200" YSizeAbs="100">
        <SubControl Class="Framework.StatusBar" Name="status" YPositionAbs="80" XSizeAbs="200" YSizeAbs="20">
          <SubControl Class="Framework.Label" Name="label1" XSizeAbs="200" YSizeAbs="20"/></SubControl>
      </SubControl></Skin></Velkor_Skin_Definitions>)";
    ASSERT_EQ(own->ParseXml(skin.c_str(), static_cast<int32_t>(skin.size())), QV::S_OK);
    RCPtr<QV::LControlFactory> previous = QV::LControlFactory::SetCurrent(own);
    RCPtr<QV::LControl> top = own->CreateControl(own->FindControlDescriptor(u"top"), nullptr);
    QV::LControlFactory::SetCurrent(previous);
    ASSERT_TRUE(top);
    EXPECT_EQ(app->SetStatusText(u"no status bar yet", true), QV::E_FAIL);
    window->SetRootControl(top);
    const RCPtr<QV::LControl> label = top->FindChild(u"status")->FindChild(u"label1");

    EXPECT_EQ(app->SetStatusText(u"Sending", true), QV::S_OK);
    EXPECT_EQ(label->GetText(), u"Sending");
    EXPECT_EQ(app->SetStatusText(u"Sent", false), QV::S_OK);
    EXPECT_EQ(label->GetText(), u"Sending");  // posted: shown on the bar's next idle pass
    window->ProcessQueue(true);
    app->OnIdle(true);
    EXPECT_EQ(label->GetText(), u"Sent");
    EXPECT_EQ(app->RestoreStatusText(true), QV::S_OK);
    EXPECT_EQ(label->GetText().GetLength(), 0);  // the label has no text of its own

    window->SetRootControl(nullptr);
    app->RemoveRootWindow(window.Get());
    top->Close();
    app->RunApplicationShutdown();
}

TEST_F(ApplicationTest, ControlsAreMadeByDescriptorNameFromTheCurrentSkin) {
    RCPtr<LApplication> app = MakeApplication();
    ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK);
    RCPtr<QV::LControl> control;
    ASSERT_EQ(app->CreateControl(u"mainControl", control), QV::S_OK);
    ASSERT_TRUE(control);
    EXPECT_TRUE(control->GetName() == WString(u"mainControl"));
    RCPtr<QV::LControl> none;
    EXPECT_EQ(app->CreateControl(u"noSuchControl", none), QV::E_FAIL);
    EXPECT_FALSE(none);
    control = nullptr;
    app->RunApplicationShutdown();
}

TEST_F(ApplicationTest, TheMainControlHoldsTheDeviceViewsTabsWithThePadsPageShownFirst) {
    RCPtr<LApplication> app = MakeApplication();
    ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK);
    RCPtr<QV::LControl> main;
    ASSERT_EQ(app->CreateControl(u"mainControl", main), QV::S_OK);
    // The main control's text is the main window's title.
    EXPECT_TRUE(main->GetText() == WString(u"Skylet Preset Editor"));
    RCPtr<QV::LControl> view = main->FindChild(u"viewDevice");
    ASSERT_TRUE(view);
    ASSERT_TRUE(view->FindChild(u"logosPanel"));
    RCPtr<QV::LControl> name = view->FindChild(u"logosPanel")->FindChild(u"productName");
    ASSERT_TRUE(name);
    EXPECT_TRUE(name->GetText() == WString(u"SKYLET PRESET EDITOR"));
    auto* tabs = dynamic_cast<QV::LTabControl*>(view->FindChild(u"tabControl").Get());
    ASSERT_NE(tabs, nullptr);
    // Tabs and pages pair by position; each tab's label comes from its own string table.
    const struct {
        const char16_t* name;
        const char16_t* label;
    } expected[] = {
        {u"pads", u"PADS"},
        {u"faders", u"FADERS"},
        {u"ribbonControllers", u"TOUCH RIBBON"},
        {u"accellerometer", u"TILT"},
        {u"sustainPitchVolume", u"PITCH WHEEL\nVOLUME\nSUSTAIN"},
        {u"keybed", u"PROGRAM CHANGE\nKEYBED"},
    };
    ASSERT_EQ(tabs->GetTabCount(), 6u);
    for (int32_t i = 0; i < 6; ++i) {
        const std::string what = QV::NString(expected[i].name).GetString();
        RCPtr<QV::LControl> button = tabs->GetTabButtonAt(i);
        RCPtr<QV::LControl> page = tabs->GetPageAt(i);
        ASSERT_TRUE(button && page) << what;
        EXPECT_TRUE(button->GetName() == WString(expected[i].name)) << what;
        EXPECT_TRUE(page->GetName() == WString(expected[i].name)) << what;
        EXPECT_TRUE(button->GetText() == WString(expected[i].label)) << what;
        // Only the selected tab is on and only its page is shown.
        EXPECT_EQ(dynamic_cast<QV::LButton&>(*button).IsChecked(), i == 0) << what;
        EXPECT_EQ(page->IsVisible(), i == 0) << what;
    }
    EXPECT_TRUE(tabs->GetSelectedName() == WString(u"pads"));
    main = nullptr;
    app->RunApplicationShutdown();
}

// The file shortcuts reach the editor's commands from wherever the key is pressed in the main
// window, each command running once per press: Ctrl+S asks where to save, Ctrl+O what to load,
// Ctrl+N whether to start anew (and, answered OK, writes the 37 defaults).
TEST_F(ApplicationTest, TheFileShortcutsRunTheEditorsCommandsOncePerPress) {
    TestSupport::ScriptedDesktopShell shell;
    EditorTestSupport::FakeEditorEngine engine;
    RCPtr<LApplication> app = MakeApplication();
    ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK);
    QV::IApplicationServices* previous = QV::SetApplicationServices(app.Get());
    QV::FakeWindowOSServices os;
    const RCPtr<QV::LRootWindow> window = QV::LRootWindow::Create(nullptr, &os);
    app->AddRootWindow(window);
    RCPtr<QV::LControl> main;
    ASSERT_EQ(app->CreateControl(u"mainControl", main), QV::S_OK);
    window->SetRootControl(main);
    RCPtr<QV::LControl> tab = main->FindChild(u"viewDevice")->FindChild(u"tabControl");
    const auto press = [&](const char16_t* key) {
        tab->OnKey(QV::LKeyParam::Create(QV::KeyCode::Parse(key), true));
        app->OnIdle(true);
    };
    press(u"Ctrl+VKEY_S");
    ASSERT_EQ(shell.chooserRequests.size(), 1u);
    EXPECT_EQ(shell.chooserRequests[0].mode, Platform::FileChooserRequest::Mode::kSave);
    press(u"Ctrl+VKEY_O");
    ASSERT_EQ(shell.chooserRequests.size(), 2u);
    EXPECT_EQ(shell.chooserRequests[1].mode, Platform::FileChooserRequest::Mode::kOpen);
    press(u"Ctrl+VKEY_N");
    ASSERT_EQ(shell.messageBoxes.size(), 1u);
    EXPECT_EQ(shell.messageBoxes[0].caption, "New Preset");
    EXPECT_EQ(engine.writes.size(), 37u);
    EXPECT_EQ(shell.chooserRequests.size(), 2u);

    QV::SetApplicationServices(previous);
    window->SetRootControl(nullptr);
    main->Close();
    main = nullptr;
    tab = nullptr;
    app->RemoveRootWindow(window.Get());
    app->RunApplicationShutdown();
}

TEST_F(ApplicationTest, TheExitRequestClosesSecondaryWindowsLastFirstThenTheMainWindowAndEndsTheLoop) {
    RCPtr<LApplication> app = MakeApplication();
    ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK);
    std::vector<std::string> log;
    LoggingWindowOS mainOS("main", log, 1), secondOS("second", log, 2), thirdOS("third", log, 3);
    RCPtr<QV::LRootWindow> main = QV::LRootWindow::Create(nullptr, &mainOS);
    RCPtr<QV::LRootWindow> second = QV::LRootWindow::Create(nullptr, &secondOS);
    RCPtr<QV::LRootWindow> third = QV::LRootWindow::Create(nullptr, &thirdOS);
    app->AddRootWindow(main);
    app->AddRootWindow(second);
    app->AddRootWindow(third);
    app->AddRootWindow(second);
    EXPECT_EQ(app->GetRootWindowCount(), 3);
    EXPECT_EQ(QV::GetRootWindowList(), app.Get());

    QV::GetMainNotificationCenter()->PostNotification(u"NID_APP_EXIT_REQ", nullptr);
    EXPECT_EQ(app->Run(), 0);
    EXPECT_TRUE(app->IsExiting());
    // Every window closes once, at the final idle pass, the last opened first and the main
    // window last; each with result 0.
    EXPECT_EQ(log, (std::vector<std::string>{"closed third", "closed second", "closed main"}));
    EXPECT_EQ(mainOS.endModalResults, std::vector<int32_t>{0});
    for (const RCPtr<QV::LRootWindow>& window : {main, second, third}) {
        app->RemoveRootWindow(window.Get());
    }
    app->RunApplicationShutdown();
}

TEST_F(ApplicationTest, ANotificationPostedFromAnotherThreadIsHandledWithinOneIdlePeriod) {
    RCPtr<LApplication> app = MakeApplication();
    ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK);

    class Client : public QV::LNotificationClient {
    public:
        void ReceiveNotification(const RCPtr<QV::LNotificationDistributor>&,
                                 const RCPtr<QV::LNotification>&) override {
            thread = std::this_thread::get_id();
            tick = ticks->load();
            QV::GetMainNotificationCenter()->PostNotification(u"NID_APP_EXIT_REQ", nullptr);
        }
        std::atomic<int32_t>* ticks = nullptr;
        std::thread::id thread;
        int32_t tick = -1;
    };
    RCPtr<Client> client(new Client());
    client->ticks = &source.ticks;
    client->RegisterForNotification(QV::GetMainNotificationCenter(), u"NID_TEST_EDIT", 0);

    // The worker posts while the loop waits for its third tick.
    std::thread worker;
    std::atomic<int32_t> postedAt{-1};
    source.onTick = [&](int32_t tick) {
        if (tick == 3) {
            worker = std::thread([&] {
                postedAt = source.ticks.load();
                QV::GetMainNotificationCenter()->PostNotification(u"NID_TEST_EDIT", nullptr);
            });
            worker.join();
        }
    };
    app->Run();
    client->UnregisterAll();
    EXPECT_EQ(client->thread, std::this_thread::get_id());
    EXPECT_EQ(postedAt.load(), 3);
    EXPECT_EQ(client->tick, 3);
    app->RunApplicationShutdown();
}

TEST_F(ApplicationTest, MessageBoxesGoThroughTheDesktopShellWithTheActiveWindowAsOwner) {
    TestSupport::ScriptedDesktopShell shell;
    shell.ScriptMessageBox(Platform::IDNO);
    RCPtr<LApplication> app = MakeApplication();
    EXPECT_EQ(app->ShowMessageBox(u"Text ü", u"Caption", 0x14), Platform::IDNO);

    std::vector<std::string> log;
    LoggingWindowOS mainOS("main", log, 11), dialogOS("dialog", log, 12);
    RCPtr<QV::LRootWindow> main = QV::LRootWindow::Create(nullptr, &mainOS);
    RCPtr<QV::LRootWindow> dialog = QV::LRootWindow::Create(nullptr, &dialogOS);
    app->AddRootWindow(main);
    app->AddRootWindow(dialog);
    app->ShowMessageBox(u"a", u"b", 0);
    dialogOS.active = true;
    app->ShowMessageBox(u"c", u"d", 0);
    app->RemoveRootWindow(main.Get());
    app->RemoveRootWindow(dialog.Get());

    ASSERT_EQ(shell.messageBoxes.size(), 3u);
    EXPECT_EQ(shell.messageBoxes[0].owner, 0);
    EXPECT_EQ(shell.messageBoxes[0].text, "Text \xC3\xBC");
    EXPECT_EQ(shell.messageBoxes[0].caption, "Caption");
    EXPECT_EQ(shell.messageBoxes[0].style, 0x14u);
    EXPECT_EQ(shell.messageBoxes[1].owner, 11);
    EXPECT_EQ(shell.messageBoxes[2].owner, 12);
}

TEST_F(ApplicationTest, TimeFollowsTheMillisecondCounterAcrossItsWrap) {
    RCPtr<LApplication> app = MakeApplication();
    source.nowMs = 0xFFFFFC18u;  // 1 s before the wrap
    app->SetClock([this] { return source.nowMs.load(); });
    const double start = app->GetTime();
    source.nowMs = 1000;
    EXPECT_DOUBLE_EQ(app->GetTime() - start, 2.0);
    EXPECT_EQ(app->GetFolder(5), app->GetFolder(4));
}

// Tab moves through what the main window shows and wraps: the six tabs, then the shown page's
// controls, then the preset name, then the first tab again. Every stop is shown and enabled; Shift+Tab goes
// the same way back; a control on a page that is hidden never keeps the focus.
TEST_F(ApplicationTest, TabMovesThroughTheShownControlsOfTheMainWindowAndWraps) {
    RCPtr<LApplication> app = MakeApplication();
    ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK);
    QV::IApplicationServices* previous = QV::SetApplicationServices(app.Get());
    QV::FakeWindowOSServices os;
    const RCPtr<QV::LRootWindow> window = QV::LRootWindow::Create(nullptr, &os);
    app->AddRootWindow(window);
    RCPtr<QV::LControl> main;
    ASSERT_EQ(app->CreateControl(u"mainControl", main), QV::S_OK);
    window->SetRootControl(main);
    auto* tabs =
        dynamic_cast<QV::LTabControl*>(main->FindChild(u"viewDevice")->FindChild(u"tabControl").Get());
    ASSERT_NE(tabs, nullptr);

    // The names from the tab control down to the focused control; "" without one.
    const auto focused = [&]() {
        std::string path;
        for (QV::LControl* c = window->GetFocusControl().Get(); c != nullptr && c != tabs;
             c = c->GetParent()) {
            path = std::string(QV::NString(c->GetName().GetString()).GetString()) +
                   (path.empty() ? "" : "/") + path;
        }
        return path;
    };
    // Presses Tab (Shift+Tab) and checks that the focus lands on a control the user sees.
    const auto tab = [&](bool shift) {
        RCPtr<QV::LControl> focus = window->GetFocusControl();
        ASSERT_TRUE(focus);
        focus->OnKey(
            QV::LKeyParam::Create(QV::KeyCode::Parse(shift ? u"Shift+VKEY_TAB" : u"VKEY_TAB"), true));
        app->OnIdle(true);
        focus = window->GetFocusControl();
        ASSERT_TRUE(focus) << "the focus was lost";
        EXPECT_TRUE(focus->IsVisible(true) && focus->IsEnabled(true)) << focused();
    };
    const std::vector<std::string> tabStops = {"buttonHolder/pads",
                                               "buttonHolder/faders",
                                               "buttonHolder/ribbonControllers",
                                               "buttonHolder/accellerometer",
                                               "buttonHolder/sustainPitchVolume",
                                               "buttonHolder/keybed"};

    const std::string presetName = "mainControl/viewDevice/presetNamePanel/textBox";

    // One round of Tab from the first tab back to it: the six tabs, then the shown page's
    // controls, each once, then the preset name.
    const auto round = [&](const std::string& page) {
        std::vector<std::string> stops{focused()};
        for (int i = 0; i < 200; ++i) {
            tab(false);
            if (focused() == tabStops[0]) {
                break;
            }
            stops.push_back(focused());
        }
        EXPECT_EQ(focused(), tabStops[0]) << "Tab comes round to the first tab";
        EXPECT_EQ(
            std::vector<std::string>(stops.begin(), stops.begin() + std::min(stops.size(), tabStops.size())),
            tabStops);
        EXPECT_EQ(stops.back(), presetName) << "the preset name comes last";
        std::vector<std::string> pageStops;
        for (size_t i = tabStops.size(); i + 1 < stops.size(); ++i) {
            EXPECT_EQ(stops[i].rfind("pageHolder/" + page + "/", 0), 0u) << stops[i];
            pageStops.push_back(stops[i]);
        }
        EXPECT_EQ(std::set<std::string>(stops.begin(), stops.end()).size(), stops.size())
            << "each control once";
        return pageStops;
    };

    ASSERT_EQ(main->SetFocus(true), QV::S_OK);
    EXPECT_EQ(focused(), tabStops[0]) << "the window's first stop is the first tab";
    const std::vector<std::string> pads = round("pads");
    EXPECT_FALSE(pads.empty());
    tab(true);
    EXPECT_EQ(focused(), presetName) << "Shift+Tab goes back round";
    tab(true);
    EXPECT_EQ(focused(), pads.empty() ? tabStops.back() : pads.back());

    // TOUCH RIBBON: two settings and three banks of five rows, seventeen controls.
    ASSERT_EQ(tabs->SelectTab(u"ribbonControllers"), QV::S_OK);
    ASSERT_EQ(tabs->GetTabButtonAt(0)->SetFocus(true), QV::S_OK);
    const std::vector<std::string> page = round("ribbonControllers");
    EXPECT_EQ(page.size(), 17u);
    ASSERT_FALSE(page.empty());
    tab(true);
    EXPECT_EQ(focused(), presetName) << "Shift+Tab from the first tab goes to the preset name";
    tab(true);
    EXPECT_EQ(focused(), page.back()) << "then to the page's last control";
    tab(false);
    tab(false);
    EXPECT_EQ(focused(), tabStops[0]);
    tab(true);
    tab(true);
    tab(true);
    EXPECT_EQ(focused(), page[page.size() - 2]);
    // Another tab shown while the focus is on this page: the focus goes where it can be seen.
    ASSERT_EQ(tabs->SelectTab(u"accellerometer"), QV::S_OK);
    ASSERT_TRUE(window->GetFocusControl());
    EXPECT_TRUE(window->GetFocusControl()->IsVisible(true)) << focused();

    QV::SetApplicationServices(previous);
    window->SetRootControl(nullptr);
    main->Close();
    main = nullptr;
    app->RemoveRootWindow(window.Get());
    app->RunApplicationShutdown();
}

// The editor's menu bar in the main window: its titles and items from the string table, the
// commands it posts run once each and give the focus back, and the pointer switches menus.
class MainMenuTest : public ApplicationTest {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        app = MakeApplication();
        ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK);
        previous = QV::SetApplicationServices(app.Get());
        window = QV::LRootWindow::Create(nullptr, &os);
        app->AddRootWindow(window);
        window->OnSizeChanged({1200, 600});
        ASSERT_EQ(app->CreateControl(u"mainControl", main), QV::S_OK);
        window->SetRootControl(main);
        window->OnSetFocus();
        bar = RCPtr<QV::LMainMenu>(dynamic_cast<QV::LMainMenu*>(main->FindChild(u"mainMenu").Get()));
        ASSERT_TRUE(bar);
        tab = main->FindChild(u"viewDevice")->FindChild(u"tabControl");
    }
    void TearDown() override {
        QV::SetApplicationServices(previous);
        window->SetRootControl(nullptr);
        main->Close();
        main = nullptr;
        bar = nullptr;
        tab = nullptr;
        app->RemoveRootWindow(window.Get());
        app->RunApplicationShutdown();
    }
    QV::PointT<int32_t> Centre(const RCPtr<QV::LControl>& control) {
        const QV::PointT<double> at = control->GetRectInWindow();
        return {static_cast<int32_t>(at.x + control->GetFrame().width / 2),
                static_cast<int32_t>(at.y + control->GetFrame().height / 2)};
    }
    void Click(const QV::PointT<int32_t>& point) {
        window->OnMouseMove(point, 0, 0);
        os.buttons = 1;
        window->OnMouseButton(QV::LRootWindow::kPress, 1, 0, point, 0);
        os.buttons = 0;
        window->OnMouseButton(QV::LRootWindow::kRelease, 1, 0, point, 0);
    }
    RCPtr<QV::LPopupMenu> Popup(int32_t title) { return bar->GetMenuAt(title)->GetPopupMenu(); }

    TestSupport::ScriptedDesktopShell shell;
    EditorTestSupport::FakeEditorEngine engine;
    RCPtr<LApplication> app;
    QV::IApplicationServices* previous = nullptr;
    QV::FakeWindowOSServices os;
    RCPtr<QV::LRootWindow> window;
    RCPtr<QV::LControl> main;
    RCPtr<QV::LMainMenu> bar;
    RCPtr<QV::LControl> tab;
};

TEST_F(MainMenuTest, TheBarHoldsTheFileAndHelpMenusOfTheEditorsTable) {
    ASSERT_EQ(bar->GetMenuCount(), 2);
    EXPECT_EQ(bar->GetMenuAt(0)->GetText(), u"File");
    EXPECT_EQ(bar->GetMenuAt(1)->GetText(), u"Help");
    EXPECT_EQ(bar->FindMenu(u"Help"), 1);
    // Left to right from the bar's left edge.
    EXPECT_EQ(bar->GetMenuAt(0)->GetFrame().x, 0);
    EXPECT_EQ(bar->GetMenuAt(1)->GetFrame().x, bar->GetMenuAt(0)->GetFrame().width);
    struct Row {
        const char16_t* label;
        const char16_t* keys;
        const char16_t* description;
    };
    const std::vector<std::vector<Row>> menus = {
        {{u"New Preset", u"Ctrl+N", u"New Preset"},
         {nullptr, u"", u""},
         {u"Send Preset", u"Ctrl+Shift+S", u"Send this preset to the controller."},
         {u"Retrieve Preset", u"Ctrl+Shift+R", u"Retreive a preset from the controller."},
         {nullptr, u"", u""},
         {u"Load Preset", u"Ctrl+O", u"Load Preset from disk."},
         {u"Save Preset", u"Ctrl+S", u"Save Preset to disk"},
         {nullptr, u"", u""},
         {u"Update USB Receiver Pairing", u"", u"Update USB Receiver Pairing"},
         {nullptr, u"", u""},
         {u"Exit", u"", u"Exit Tolvane Preset Editor"}},
        {{u"Open User Guide", u"", u""}, {u"About ", u"", u"About Tolvane Preset Editor"}},
    };
    for (size_t m = 0; m < menus.size(); ++m) {
        RCPtr<QV::LMenuDescriptor> menu = Popup(static_cast<int32_t>(m))->GetMenuDescriptor();
        ASSERT_TRUE(menu);
        ASSERT_EQ(menu->GetItemCount(), menus[m].size());
        for (size_t i = 0; i < menus[m].size(); ++i) {
            SCOPED_TRACE(testing::Message() << "menu " << m << " item " << i);
            RCPtr<QV::LMenuItemDescriptor> item = menu->GetItem(static_cast<uint32_t>(i));
            const Row& row = menus[m][i];
            EXPECT_EQ(item->separator != 0, row.label == nullptr);
            EXPECT_EQ(item->label, row.label != nullptr ? row.label : u"");
            EXPECT_EQ(item->hotKeyText, row.keys);
            EXPECT_EQ(item->description, row.description);
        }
    }
}

TEST_F(MainMenuTest, AChosenCommandRunsOnceAndTheFocusGoesBack) {
    tab->SetFocus(true);
    Click(Centre(bar->GetMenuAt(0)));
    RCPtr<QV::LPopupMenu> file = Popup(0);
    ASSERT_TRUE(file->IsVisible(true));
    // "New Preset", the first row, by a click.
    Click(Centre(RCPtr<QV::LControl>(file->GetItemControl(0))));
    EXPECT_FALSE(file->IsVisible(false));
    EXPECT_TRUE(shell.messageBoxes.empty());  // runs when the window's queue is drained
    app->OnIdle(true);
    ASSERT_EQ(shell.messageBoxes.size(), 1u);
    EXPECT_EQ(shell.messageBoxes[0].caption, "New Preset");
    EXPECT_EQ(engine.writes.size(), 37u);
    EXPECT_TRUE(tab->HasFocus() || tab->ContainsFocus());
    app->OnIdle(true);
    EXPECT_EQ(shell.messageBoxes.size(), 1u);
    // "Save Preset" by the keys: Down to row 6 over the separators, then Return.
    Click(Centre(bar->GetMenuAt(0)));
    ASSERT_TRUE(file->IsVisible(true));
    for (int k = 0; k < 5; ++k) {
        window->OnKey(QV::LKeyParam::Create(QV::KeyCode(0x28, true, 0, 0), true));
    }
    EXPECT_EQ(file->GetCurrentIndex(), 6);
    window->OnKey(QV::LKeyParam::Create(QV::KeyCode(0x0D, true, 0, 0), true));
    app->OnIdle(true);
    ASSERT_EQ(shell.chooserRequests.size(), 1u);
    EXPECT_EQ(shell.chooserRequests[0].mode, Platform::FileChooserRequest::Mode::kSave);
    EXPECT_TRUE(tab->HasFocus() || tab->ContainsFocus());
}

TEST_F(MainMenuTest, ThePointerSwitchesMenusAndEscapeAPressElsewhereOrFocusLossCloseThem) {
    tab->SetFocus(true);
    RCPtr<QV::LComboMenu> fileTitle = bar->GetMenuAt(0);
    RCPtr<QV::LComboMenu> helpTitle = bar->GetMenuAt(1);
    // Without an open menu the pointer only lights the titles.
    window->OnMouseMove(Centre(RCPtr<QV::LControl>(helpTitle)), 0, 0);
    EXPECT_EQ(helpTitle->GetCurrentLookIndex(), 1);
    EXPECT_FALSE(helpTitle->IsDroppedDown());
    Click(Centre(RCPtr<QV::LControl>(fileTitle)));
    EXPECT_TRUE(fileTitle->IsDroppedDown());
    EXPECT_EQ(fileTitle->GetCurrentLookIndex(), 2);
    window->OnMouseMove(Centre(RCPtr<QV::LControl>(helpTitle)), 0, 0);
    EXPECT_FALSE(fileTitle->IsDroppedDown());
    EXPECT_EQ(fileTitle->GetCurrentLookIndex(), 0);
    EXPECT_TRUE(helpTitle->IsDroppedDown());
    const struct {
        const char* name;
        std::function<void()> act;
    } ways[] = {
        {"Escape", [&] { window->OnKey(QV::LKeyParam::Create(QV::KeyCode(0x1B, true, 0, 0), true)); }},
        {"press on the page",
         [&] {
             Click({600, 560});
         }},
        {"the window loses the focus", [&] { window->OnKillFocus(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        if (!helpTitle->IsDroppedDown()) {
            window->OnSetFocus();
            Click(Centre(RCPtr<QV::LControl>(helpTitle)));
        }
        ASSERT_TRUE(helpTitle->IsDroppedDown());
        way.act();
        EXPECT_FALSE(helpTitle->IsDroppedDown());
        app->OnIdle(true);
        EXPECT_TRUE(shell.messageBoxes.empty());
    }
}

}  // namespace
