#include "UI/DeviceView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "RIZozivirod/Controls/Dialog.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "UI/DriverCommon/PresetManager.h"
#include "UI/EditorTreeFixture.h"
#include "UITestSupport/ScriptedDesktopShell.h"
#include "UITestSupport/TestRootWindow.h"

namespace {

using Platform::FileChooserRequest;
using QV::RCPtr;
using QV::WString;

class DeviceViewTest : public EditorTestSupport::EditorTreeFixture {
protected:
    // A menu choice: the menu bar posts its command into the window's queue, which delivers it.
    void ChooseFromMenu(const QV::WChar* command) { mWindow->Notify(QV::LNotification::Create(command)); }
    // An application shortcut: its command is posted to the application centre.
    static void PressShortcutOf(const QV::WChar* command) {
        QV::GetMainNotificationCenter()->PostNotification(command, nullptr);
        Drain();
    }
    std::string Native(const std::string& name) const { return mFolder + "/" + name; }
    WString LastFolder() { return mSettings->strings[WString(u"LastFolderPath")]; }
    static std::vector<uint8_t> Contents(const std::string& native) {
        std::ifstream in(native, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    TestSupport::ScriptedDesktopShell mShell;
};

// The file dialogs start in the documents folder, offer the preset files and all files, and a
// preset saved through them loads back; each time the chosen folder is kept for the next run.
TEST_F(DeviceViewTest, SaveAndLoadThroughTheDialogsKeepTheFolder) {
    EXPECT_TRUE(mView->GetFileFilter(true) == WString(u"Skylet Preset (*.kyp)|*.kyp|All Files (*.*)|*.*"));
    EXPECT_TRUE(mView->GetDefaultFilePattern() == WString(u"*.kyp"));

    std::filesystem::create_directories(Native("presets"));
    mShell.ScriptChooser({Native("presets/mine.kyp")});
    PressShortcutOf(u"NID_MENU_FILE_SAVE_PRESET_TO_FILE");
    ASSERT_EQ(mShell.chooserRequests.size(), 1u);
    const FileChooserRequest& save = mShell.chooserRequests[0];
    EXPECT_EQ(save.mode, FileChooserRequest::Mode::kSave);
    EXPECT_EQ(save.title, "Select Save Location");
    EXPECT_EQ(save.folder, Native("documents"));
    ASSERT_EQ(save.filters.size(), 2u);
    EXPECT_EQ(save.filters[0].description, "Skylet Preset (*.kyp)");
    EXPECT_EQ(save.filters[0].patterns, std::vector<std::string>{"*.kyp"});
    EXPECT_EQ(save.filters[1].patterns, std::vector<std::string>{"*.*"});
    EXPECT_EQ(Contents(Native("presets/mine.kyp")).size(), 1071u);
    EXPECT_TRUE(LastFolder() == WString(Native("presets").c_str()));
    EXPECT_TRUE(mServices->messageBoxes.empty());

    mShell.ScriptChooser({Native("presets/mine.kyp")});
    ChooseFromMenu(u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE");
    ASSERT_EQ(mShell.chooserRequests.size(), 2u);
    EXPECT_EQ(mShell.chooserRequests[1].mode, FileChooserRequest::Mode::kOpen);
    EXPECT_EQ(mShell.chooserRequests[1].title, "Select Preset File");
    EXPECT_EQ(mShell.chooserRequests[1].folder, Native("presets"));
    EXPECT_EQ(mEngine.writes.size(), 37u);
    EXPECT_TRUE(mServices->messageBoxes.empty());
}

// A cancelled dialog does nothing; a refused file or a failed save says so and keeps the folder
// as it was.
TEST_F(DeviceViewTest, CancelsAndFailuresKeepTheFolder) {
    mSettings->strings[WString(u"LastFolderPath")] = WString(mFolder.c_str());
    std::filesystem::create_directories(Native("folder.kyp"));
    std::ofstream(Native("newer.kyp"), std::ios::binary).write("\x02\0\0\0\0\0\0\0\0\0\0\0", 12);
    struct Case {
        const char* what;
        const QV::WChar* command;
        std::vector<std::string> chosen;
        const char16_t* caption;  // null: no message
        const char16_t* text;
    };
    const Case cases[] = {
        {"cancelled open", u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE", {}, nullptr, nullptr},
        {"cancelled save", u"NID_MENU_FILE_SAVE_PRESET_TO_FILE", {}, nullptr, nullptr},
        {"a newer file",
         u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE",
         {Native("newer.kyp")},
         u"Preset File Load",
         u"Preset file is not compatible with this version of the editor"},
        {"a missing file",
         u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE",
         {Native("gone/missing.kyp")},
         u"Preset File Load",
         u"Preset file is not compatible with this vesion of the preset editor"},
        {"a save into a missing folder",
         u"NID_MENU_FILE_SAVE_PRESET_TO_FILE",
         {Native("gone/new.kyp")},
         u"Preset File Save",
         nullptr},
        {"a save onto a folder",
         u"NID_MENU_FILE_SAVE_PRESET_TO_FILE",
         {Native("folder.kyp")},
         u"Preset File Save",
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mServices->messageBoxes.clear();
        mShell.ScriptChooser(c.chosen);
        ChooseFromMenu(c.command);
        EXPECT_TRUE(mEngine.writes.empty());
        EXPECT_TRUE(LastFolder() == WString(mFolder.c_str()));
        if (c.caption == nullptr) {
            EXPECT_TRUE(mServices->messageBoxes.empty());
            continue;
        }
        ASSERT_EQ(mServices->messageBoxes.size(), 1u);
        EXPECT_TRUE(mServices->messageBoxes[0].caption == WString(c.caption));
        EXPECT_EQ(mServices->messageBoxes[0].style, 0x10u);
        if (c.text != nullptr) {
            EXPECT_TRUE(mServices->messageBoxes[0].text == WString(c.text));
        } else {
            EXPECT_FALSE(mServices->messageBoxes[0].text.IsEmpty());
        }
    }
    EXPECT_FALSE(std::filesystem::exists(Native("gone")));
}

// New Preset asks first: Cancel keeps everything, OK writes the 37 defaults in id order.
TEST_F(DeviceViewTest, NewPresetAsksThenWritesEveryDefault) {
    mServices->messageBoxAnswers = {Platform::IDCANCEL, Platform::IDOK};
    PressShortcutOf(u"NID_MENU_FILE_NEW_PRESET");
    ASSERT_EQ(mServices->messageBoxes.size(), 1u);
    EXPECT_TRUE(mServices->messageBoxes[0].text ==
                WString(u"Are you sure you want create a new preset? You will lose all unsaved work."));
    EXPECT_TRUE(mServices->messageBoxes[0].caption == WString(u"New Preset"));
    EXPECT_EQ(mServices->messageBoxes[0].style, 1u);
    EXPECT_TRUE(mEngine.writes.empty());
    ChooseFromMenu(u"NID_MENU_FILE_NEW_PRESET");
    ASSERT_EQ(mEngine.writes.size(), 37u);
    for (int32_t id = 0; id < 37; ++id) {
        EXPECT_EQ(mEngine.writes[static_cast<size_t>(id)].descriptor.paramID, id);
        EXPECT_EQ(mEngine.writes[static_cast<size_t>(id)].value, mEngine.defaults[static_cast<size_t>(id)]);
    }
}

// Each command runs once per menu choice or shortcut, whichever way it came.
TEST_F(DeviceViewTest, EachCommandRunsOncePerChoiceOrShortcut) {
    mServices->defaultAnswer = Platform::IDCANCEL;
    for (const QV::WChar* command :
         {u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE", u"NID_MENU_FILE_SAVE_PRESET_TO_FILE"}) {
        const size_t before = mShell.chooserRequests.size();
        ChooseFromMenu(command);
        PressShortcutOf(command);
        EXPECT_EQ(mShell.chooserRequests.size(), before + 2);
    }
    ChooseFromMenu(u"NID_MENU_FILE_NEW_PRESET");
    PressShortcutOf(u"NID_MENU_FILE_NEW_PRESET");
    EXPECT_EQ(mServices->messageBoxes.size(), 2u);

    const RCPtr<QV::NotificationRecorder> exits = QV::NotificationRecorder::Create(
        RCPtr<QV::LNotificationDistributor>(QV::GetMainNotificationCenter()), {u"NID_APP_EXIT_REQ"});
    ChooseFromMenu(u"NID_MENU_FILE_EXIT_REQ");
    Drain();
    EXPECT_EQ(exits->GetNames().size(), 1u);
    exits->UnregisterAll();
}

// The user guide opens from the program's folder; without it the user is told.
TEST_F(DeviceViewTest, TheUserGuideOpensOrTheUserIsTold) {
    ChooseFromMenu(u"NID_MENU_HELP_OPEN_USERGUIDE_REQ");
    ASSERT_EQ(mShell.documents.size(), 1u);
    EXPECT_EQ(mShell.documents[0], Native("program/Skylet Editor - User Guide - v1.0.pdf"));
    ASSERT_EQ(mServices->messageBoxes.size(), 1u);
    EXPECT_TRUE(mServices->messageBoxes[0].text == WString(u"The user guide could not be opened."));
    EXPECT_TRUE(mServices->messageBoxes[0].caption == WString(u"Open User Guide Error"));
    EXPECT_EQ(mServices->messageBoxes[0].style, 0u);
    mShell.ScriptOpenDocument(true);
    ChooseFromMenu(u"NID_MENU_HELP_OPEN_USERGUIDE_REQ");
    EXPECT_EQ(mShell.documents.size(), 2u);
    EXPECT_EQ(mServices->messageBoxes.size(), 1u);
}

// The dialog commands create their dialogs by name and run each modal once.
TEST_F(DeviceViewTest, DialogCommandsRunTheirDialogsModal) {
    struct DialogServices : QV::TestApplicationServices {
        int32_t CreateControl(const WString& name, RCPtr<QV::LControl>& control) override {
            created.push_back(name);
            control = factory->CreateControl(factory->FindControlDescriptor(name), nullptr);
            return control ? QV::S_OK : QV::E_FAIL;
        }
        int32_t DoModal(const RCPtr<QV::LControl>& control, bool) override {
            run.push_back(control->GetName());
            return 1;
        }
        RCPtr<QV::LControlFactory> factory;
        std::vector<WString> created;
        std::vector<WString> run;
    } services;
    services.factory = mFactory;
    QV::IApplicationServices* previous = QV::SetApplicationServices(&services);
    ChooseFromMenu(u"NID_MENU_HELP_ABOUT_REQ");
    ChooseFromMenu(u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE");
    PressShortcutOf(u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE");
    ChooseFromMenu(u"NID_MENU_FILE_PROGRAM_SERIAL_REQ");       // not a dialog: not run
    ChooseFromMenu(u"NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE");  // no such dialog yet
    QV::SetApplicationServices(previous);
    EXPECT_EQ(services.created.size(), 5u);
    EXPECT_EQ(services.run, (std::vector<WString>{u"dialogAbout", u"dialogSendPreset", u"dialogSendPreset"}));
}

// Without its tab control the view cannot be built.
TEST_F(DeviceViewTest, AViewWithoutItsTabControlIsRefused) {
    try {
        Create(u"viewWithoutTabs");
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("Null Pointer : Cannot find child tabControl"),
                  std::string::npos);
        EXPECT_NE(std::string(error.what()).find("LDeviceView::Initialize"), std::string::npos);
    }
}

}  // namespace
