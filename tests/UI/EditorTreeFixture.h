#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Platform/IniFileManager.h"
#include "RIZozivirod/Application/Windows/ApplicationBase.h"
#include "RIZozivirod/Controls/Dialog.h"
#include "RIZozivirod/Controls/Panel.h"
#include "UI/DeviceView.h"
#include "UI/DriverCommon/MainControl.h"
#include "UI/EditorTestSupport.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/StandardSkin.h"

namespace EditorTestSupport {

// A settings store in memory: string values by key.
class MemorySettings : public QV::IIniFileManager {
public:
    using WString = QV::WString;
    int32_t Initialize(const WString&) override { return 0; }
    int32_t Uninitialize() override { return 0; }
    int32_t OpenIniFile(const WString&, const WString&, const WString&, int32_t& handle) override {
        handle = 1;
        return 0;
    }
    int32_t WriteIniFile(int32_t) override { return 0; }
    bool DoesNodeExist(int32_t, const WString& key) override { return strings.count(key) != 0; }
    int32_t CloseIniFile(int32_t, int32_t) override { return 0; }
    int32_t GetIniValueInt(int32_t, const WString&, int32_t defaultValue, int32_t& value) override {
        value = defaultValue;
        return 0;
    }
    int32_t SetIniValueInt(int32_t, const WString&, int32_t) override { return 0; }
    int32_t GetIniValueStr(int32_t, const WString& key, const WString& defaultValue,
                           WString& value) override {
        value = strings.count(key) != 0 ? strings[key] : defaultValue;
        return 0;
    }
    int32_t SetIniValueStr(int32_t, const WString& key, const WString& value) override {
        strings[key] = value;
        return 0;
    }
    int32_t GetKeyCount(int32_t, const WString&, int32_t& count) override { return count = 0; }
    int32_t GetKeyNameAt(int32_t, const WString&, int32_t, WString&) override { return QV::E_FAIL; }
    int32_t GetArrayCount(int32_t, const WString&, int32_t& count) override { return count = 0; }
    int32_t SetArrayCount(int32_t, const WString&, int32_t) override { return 0; }
    int32_t GetArrayItemAt(int32_t, const WString&, int32_t, WString&) override { return QV::E_FAIL; }
    int32_t SetArrayItemAt(int32_t, const WString&, int32_t, const WString&) override { return 0; }
    int32_t RemoveArrayItemAt(int32_t, const WString&, int32_t) override { return 0; }

    std::map<WString, WString> strings;
};

// The application the editor's controls find while they run: its settings in memory, its
// program and documents folders in a test folder.
class EditorTestApp : public QV::LApplicationBase<EditorTestApp> {
public:
    EditorTestApp(const QV::RCPtr<QV::LControlFactory>& factory, const std::string& folder)
        : LApplicationBase<EditorTestApp>(factory, factory->GetFrameworkStringTable(), "editor"),
          mFolder(folder) {}

    QV::WString GetSettingsVersion() override { return u"1_0_0"; }
    QV::WString GetMainControlName() override { return u"mainControl"; }
    uint32_t GetLocaleId() override { return 0x0409; }
    bool CanExit() override { return true; }
    QV::WString GetFolder(int32_t id) override {
        return QV::WString((mFolder + (id == 0 ? "/program" : "/documents")).c_str());
    }

private:
    std::string mFolder;
};

// A panel that stands for the module Module: it records every value applied to it with the
// descriptor being applied at that moment, and answers each with the edits of its script,
// reported to the main control as its controls would while they are being set.
struct AppliedValue {
    int32_t id;
    QV::Variant value;
    int32_t applyingId;  // the main control's applying id while it was applied
};

template <class Module>
class RecordingPanel : public QV::LPanel, public Module {
public:
    using Applied = AppliedValue;

    RecordingPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
        : QV::LPanel(parent, name) {}

    int32_t SetParamValueLocal(const QV::ParamDescriptor& descriptor, const QV::Variant& value,
                               bool) override {
        auto* main = dynamic_cast<QV::LMainControl*>(GetTopLevelControl().Get());
        applied.push_back(
            {descriptor.paramID, value, main != nullptr ? main->GetApplyingDescriptor().paramID : -99});
        for (const QV::ParamValue& edit : echoes) {
            if (main != nullptr) {
                main->NotifyParamChanged(edit.descriptor, edit.value);
            }
        }
        return 0;
    }

    std::vector<Applied> applied;
    std::vector<QV::ParamValue> echoes;
};

using PresetNamePanel = RecordingPanel<IPresetName>;
using ProgramChangePanel = RecordingPanel<IProgramChange>;

// The editor's tree as the product skin has it, in small: the main control over the device view
// with the preset name panel and a tab control whose "keybed" page holds the program change
// panel, the product's string tables, a test application and an engine that records.
class EditorTreeFixture : public QV::ControlTestFixture {
protected:
    void SetUp() override {
        QV::ControlTestFixture::SetUp();
        char pattern[] = "/tmp/skylet-editor-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        mFolder = pattern;
        std::filesystem::create_directories(mFolder + "/program");
        std::filesystem::create_directories(mFolder + "/documents");
        mFactory->SetResourceBasePath(u"::");
        ASSERT_EQ(mFactory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0409), QV::S_OK);
        mFactory->RegisterControlClass(u"PresetEditor.MainControl",
                                       &QV::CreateControlFunction<QV::LMainControl>);
        mFactory->RegisterControlClass(u"PresetEditor.MainControl.DeviceView",
                                       &QV::CreateControlFunction<LDeviceView>);
        mFactory->RegisterControlClass(u"Framework.Dialog", &QV::CreateControlFunction<QV::LDialog>);
        mFactory->RegisterControlClass(u"Test.PresetNamePanel", &QV::CreateControlFunction<PresetNamePanel>);
        mFactory->RegisterControlClass(u"Test.ProgramChangePanel",
                                       &QV::CreateControlFunction<ProgramChangePanel>);
        mApp = QV::RCPtr<EditorTestApp>(new EditorTestApp(mFactory, mFolder));
        mApp->SetSettingsStore(mSettings);
        LoadSkin(QV::TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="PresetEditor.MainControl" Name="mainControl" XSizeAbs="400" YSizeAbs="300">
            <Skin Name="s" LookList="Solid">
            <SubControl Class="PresetEditor.MainControl.DeviceView" Name="viewDevice" XSizeAbs="400" YSizeAbs="300">
              <Skin Name="s" LookList="Solid">
              <SubControl Class="Test.PresetNamePanel" Name="presetNamePanel" XSizeAbs="100" YSizeAbs="20"/>
              <SubControl Class="Framework.TabControl" Name="tabControl" YPositionAbs="30" XSizeAbs="400" YSizeAbs="270">
                <Skin Name="s" LookList="Solid">
                <SubControl Class="Framework.Panel" Name="buttonHolder" XSizeAbs="400" YSizeAbs="28">
                  <Skin Name="s" LookList="Solid">
                  <SubControl Class="Framework.Button" Name="pads" XSizeAbs="50" YSizeAbs="28" TabStop="1"><Skin Name="b" LookList="Solid"/></SubControl>
                  <SubControl Class="Framework.Button" Name="keybed" XPositionAbs="60" XSizeAbs="50" YSizeAbs="28" TabStop="2"><Skin Name="b" LookList="Solid"/></SubControl>
                  </Skin>
                </SubControl>
                <SubControl Class="Framework.Panel" Name="pageHolder" YPositionAbs="30" XSizeAbs="400" YSizeAbs="240">
                  <Skin Name="s" LookList="Solid">
                  <SubControl Class="Framework.Panel" Name="pads" XSizeAbs="400" YSizeAbs="240"><Skin Name="s" LookList="Solid"/></SubControl>
                  <SubControl Class="Framework.Panel" Name="keybed" XSizeAbs="400" YSizeAbs="240"><Skin Name="s" LookList="Solid">
                    <SubControl Class="Test.ProgramChangePanel" Name="programChange" XSizeAbs="100" YSizeAbs="20"/>
                  </Skin></SubControl>
                  </Skin>
                </SubControl>
                </Skin>
              </SubControl>
              </Skin>
            </SubControl>
            </Skin>
          </SubControl>
          <SubControl Class="PresetEditor.MainControl" Name="mainWithoutView" XSizeAbs="400" YSizeAbs="300"/>
          <SubControl Class="PresetEditor.MainControl.DeviceView" Name="viewWithoutTabs" XSizeAbs="400" YSizeAbs="300"/>
          <SubControl Class="Framework.Dialog" Name="dialogAbout" XSizeAbs="200" YSizeAbs="100"/>
          <SubControl Class="Framework.Dialog" Name="dialogSendPreset" XSizeAbs="200" YSizeAbs="100"/>
          <SubControl Class="Framework.Panel" Name="dialogProgramSerialNumber" XSizeAbs="200" YSizeAbs="100"/>
        </Skin>)");
        mMain = QV::RCPtr<QV::LMainControl>(
            dynamic_cast<QV::LMainControl*>(CreateInWindow(u"mainControl").Get()));
        ASSERT_TRUE(mMain);
        mView = mMain->GetDeviceView();
        ASSERT_TRUE(mView);
        mPresetName = QV::RCPtr<PresetNamePanel>(
            dynamic_cast<PresetNamePanel*>(mView->FindChild(u"presetNamePanel").Get()));
        mProgramChange = QV::RCPtr<ProgramChangePanel>(dynamic_cast<ProgramChangePanel*>(
            Find(QV::RCPtr<QV::LControl>(mView), u"tabControl/pageHolder/keybed/programChange").Get()));
        ASSERT_TRUE(mPresetName && mProgramChange);
        mEngine.writes.clear();
    }

    void TearDown() override {
        mPresetName = nullptr;
        mProgramChange = nullptr;
        mView = nullptr;
        if (mMain) {
            mWindow->SetRootControl(nullptr);
            mMain->Close();
            mMain = nullptr;
        }
        // Whatever the tests left in the application centre's queue goes with them.
        QV::GetMainNotificationCenter()->ProcessQueue(false);
        const QV::RCPtr<QV::LControlFactory> factory = mFactory;
        mApp = nullptr;
        QV::LControlFactory::SetCurrent(factory);
        std::filesystem::remove_all(mFolder);
        QV::ControlTestFixture::TearDown();
    }

    // Delivers what waits in the application centre's queue.
    static void Drain() { QV::GetMainNotificationCenter()->ProcessQueue(false); }

    std::string mFolder;
    FakeEditorEngine mEngine;
    QV::RCPtr<MemorySettings> mSettings{new MemorySettings()};
    QV::RCPtr<EditorTestApp> mApp;
    QV::RCPtr<QV::LMainControl> mMain;
    QV::RCPtr<LDeviceView> mView;
    QV::RCPtr<PresetNamePanel> mPresetName;
    QV::RCPtr<ProgramChangePanel> mProgramChange;
};

}  // namespace EditorTestSupport
