// The program's own skin and string tables, read as the program reads them: from its embedded
// resources.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/LookDescriptor.h"

namespace QV {
namespace {

// The control classes the program registers (the framework's, and the editor's that these
// documents name so far).
const std::set<std::u16string> kRegisteredClasses = {
    u"Framework.Button",
    u"Framework.OverlayButton",
    u"Framework.ListBox",
    u"Framework.listboxNoScroll",
    u"Framework.ListBoxItem",
    u"Framework.CheckedListBox",
    u"Framework.CheckedListBoxItem",
    u"Framework.ListBoxWithIcons",
    u"Framework.listbox2ColumnSortable",
    u"Framework.ScrollBar",
    u"Framework.ScrollChannel",
    u"Framework.ComboBox",
    u"Framework.ComboTextBox",
    u"Framework.CheckedComboBox",
    u"Framework.ComboBoxWithIcons",
    u"Framework.ComboSlider",
    u"Framework.ComboSlider.DropDownPanel",
    u"Framework.Slider",
    u"Framework.Knob",
    u"Framework.TabControl",
    u"Framework.Label",
    u"Framework.TextBox",
    u"Framework.NumericUpDown",
    u"Framework.Panel",
    u"Framework.ToolTip",
    u"Framework.PopupMenu",
    u"Framework.MenuItem",
    u"Framework.ComboMenu",
    u"Framework.MainMenu",
    u"Framework.FileDropper",
    u"Framework.StatusBar",
    u"Framework.SplitterH",
    u"Framework.SplitterV",
    u"Framework.LevelMeter",
    u"Framework.ProgressBar",
    u"Framework.TreeView",
    u"Framework.TreeViewItem",
    u"PresetEditor.MainControl",
    u"PresetEditor.MainControl.DeviceView",
    u"PresetEditor.MainControl.DeviceView.LogosPanel",
    u"PresetEditor.MainControl.DeviceView.TabControl",
    u"PresetEditor.MainControl.DeviceView.TabControl.ButtonHolder",
    u"PresetEditor.MainControl.DeviceView.TabControl.PageHolder",
    u"PresetEditor.KeybedProgramChangePanel",
    u"PresetEditor.KeybedPanel",
    u"PresetEditor.KeybedPanel.Settings",
    u"PresetEditor.KeybedPanel.ZoneEditPanel",
    u"PresetEditor.LabeledKeybedCurveCombobox",
    u"PresetEditor.LabeledSplitModeComboBox",
    u"PresetEditor.LabeledZoneMidiToDinComboBox",
    u"PresetEditor.LabeledMidiChannelComboBox",
    u"PresetEditor.LabeledNumberBox",
    u"PresetEditor.AbsoluteControllerPanel",
    u"PresetEditor.AbsoluteTypeComboBox",
    u"PresetEditor.AccellerometerPanel",
    u"PresetEditor.RibbonsPanel",
    u"PresetEditor.RibbonsPanel.SettingsPanel",
    u"PresetEditor.LabeledDefaultRibbonComboBox",
    u"PresetEditor.RibbonReturnModeComboBox",
    u"PresetEditor.SustainPitchVolumePanel",
    u"PresetEditor.SustainPitchVolumePanel.PitchWheel",
    u"PresetEditor.SustainPitchVolumePanel.SustainPanel",
    u"PresetEditor.LabeledPitchWheelDirectionComboBox",
    u"PresetEditor.Dialog.RetrievePresetFromHardware",
    u"PresetEditor.Dialog.SendPresetToHardware",
    u"PresetEditor.Control.PresetSlotCombobox",
    u"PresetEditor.DialogProgramSerialNumber",
    u"PresetEditor.DialogAbout",
    u"PresetEditor.PadsPanel",
    u"PresetEditor.PadsPanel.PadPanel",
    u"PresetEditor.PadPanel.TabControl",
    u"PresetEditor.PadPanel.TabControl.ButtonHolder",
    u"PresetEditor.PadPanel.TabControl.PageHolder",
    u"PresetEditor.PadsPanel.PadMidiSettings",
    u"PresetEditor.PadsPanel.ColorSettings",
    u"PresetEditor.LabeledPadTypeComboBox",
    u"PresetEditor.LabeledPadCurveComboBox",
    u"PresetEditor.LabeledPadColorComboBox",
    u"PresetEditor.FadersPanel",
    u"PresetEditor.PresetNamePanel",
    u"PresetEditor.KeybedPanel.ProgramChangePanel",
    u"PresetEditor.LabeledProgramChangeSendOnLoadComboBox",
};

void CollectClasses(const LControlDescriptor& descriptor, std::set<std::u16string>& classes) {
    for (uint32_t i = 0; i < descriptor.GetChildren().GetCount(); ++i) {
        const LControlDescriptor& child = *descriptor.GetChildren().GetAt(i);
        classes.insert(child.GetClass().GetString());
        CollectClasses(child, classes);
    }
}

class ProductDocumentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        factory->SetResourceBasePath(u"::");
        ASSERT_EQ(factory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0407), S_OK);
        ASSERT_EQ(factory->LoadSkins(u"::app skins"), S_OK);
    }

    RCPtr<LControlFactory> factory = LControlFactory::Create(u"Skylet");
};

TEST_F(ProductDocumentsTest, ReadWithoutWarningsAndNameOnlyRegisteredClasses) {
    for (uint32_t i = 0; i < factory->GetReaderWarnings().GetCount(); ++i) {
        ADD_FAILURE() << factory->GetReaderWarnings().GetAt(i).ToUTF8().GetString();
    }
    ASSERT_EQ(factory->GetSkinCount(), 1u);
    std::set<std::u16string> classes;
    CollectClasses(*factory->GetSkin(0), classes);
    for (const std::u16string& name : classes) {
        EXPECT_TRUE(kRegisteredClasses.count(name)) << WString(name.c_str()).ToUTF8().GetString();
    }
}

TEST_F(ProductDocumentsTest, WhatTheApplicationLooksUp) {
    EXPECT_EQ(factory->GetApplicationName(), u"PresetEditor");
    EXPECT_EQ(factory->GetWantedLCID(), 0x0009);  // English only, whatever the user's language

    WString text;
    RCPtr<LStringTable> framework = factory->GetFrameworkStringTable();
    ASSERT_TRUE(framework);
    for (const char16_t* id :
         {u"STARTUP_ERROR", u"STARTUP_ERROR_CAPTION", u"EXCEPTION_ID", u"UNDO_IN_PROGRESS"}) {
        EXPECT_TRUE(framework->GetString(id, text)) << WString(id).ToUTF8().GetString();
    }
    EXPECT_TRUE(framework->GetString(u"UNDO_IN_PROGRESS", text));
    EXPECT_EQ(text, u"Undo in progress...");

    RCPtr<LStringTable> application = factory->GetApplicationStringTable();
    ASSERT_TRUE(application);
    Array<LStringTable::Entry> hotKeys;
    application->GetEntriesWithPrefix(u"GHK.", hotKeys);
    EXPECT_EQ(hotKeys.GetCount(), 10u);
    EXPECT_TRUE(application->GetString(u"GHK.NID_MENU_FILE_SEND_PRESET_TO_DEVICE", text));
    EXPECT_EQ(text, u"Shift+Ctrl+VKEY_S");

    for (const char16_t* name : {u"mainControl", u"contextMenu", u"toolTip"}) {
        EXPECT_TRUE(factory->FindControlDescriptor(name)) << WString(name).ToUTF8().GetString();
    }
    const LLayoutDescriptor& main = *factory->FindControlDescriptor(u"mainControl")->GetLayout();
    EXPECT_EQ(main.xSize.offset, 1200.0);
    EXPECT_EQ(main.ySize.offset, 600.0);
    EXPECT_EQ(main.xMinimum.offset, 1200.0);
    EXPECT_EQ(main.xMaximum.offset, 1200.0);
    EXPECT_EQ(main.yMaximum.offset, 600.0);

    WString face;
    float size = 0;
    int32_t style = -1;
    EXPECT_EQ(factory->GetSkinFont(face, size, style), S_OK);
    EXPECT_EQ(face, u"DejaVu Sans");
    EXPECT_EQ(size, 9.0f);
    EXPECT_EQ(style, 0);
}

}  // namespace
}  // namespace QV
