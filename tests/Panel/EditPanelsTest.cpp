#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Panel/ProductTreeFixture.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/ObjectBase/RefCountedPair.h"
#include "RIZozivirod/ObjectBase/Wrapper.h"
#include "UI/AbsoluteControllerEditPanel.h"
#include "UI/DeviceView.h"
#include "UI/KeybedPanel.h"

namespace {

using EditorTestSupport::Blob;
using QV::RCPtr;
using Bytes = std::vector<uint8_t>;

// The editor's real control tree, built from the product skin and strings with the editor's
// classes, over an engine that records what it is asked; paths name controls below the device
// view's pages.
class EditPanelsTest : public EditorTestSupport::ProductTreeFixture {
protected:
    RCPtr<QV::LControl> At(const std::string& path) const {
        return Page(std::u16string(path.begin(), path.end()));
    }
    using ProductTreeFixture::Shown;
    std::string Shown(const std::string& path) const { return Shown(At(path)); }
    // The record of the last write to the engine, and its id.
    Bytes LastWrite(int32_t& id) const {
        if (mEngine.writes.empty()) {
            id = -1;
            return {};
        }
        id = mEngine.writes.back().descriptor.paramID;
        return BytesOf(mEngine.writes.back().value);
    }
};

// Every id these pages serve reaches the panel placed for it, and the headers the pages set.
TEST_F(EditPanelsTest, EveryIdReachesItsPanelWithItsHeader) {
    const struct {
        int32_t id;
        const char* path;
        const char* header;
    } cases[] = {
        {2, "keybed/keybedPanel", nullptr},
        {3, "keybed/keybedPanel/upperZone", "UPPER ZONE"},
        {4, "keybed/keybedPanel/lowerZone", "LOWER ZONE"},
        {5, "sustainPitchVolume/sustainPanel", "SUSTAIN"},
        {6, "sustainPitchVolume/pitchWheel", "PITCH WHEEL"},
        {7, "sustainPitchVolume/volumePanel", "VOLUME SLIDER (S1)"},
        {8, "ribbonControllers", nullptr},
        {9, "ribbonControllers/ribbonController1", "BANK 1"},
        {10, "ribbonControllers/ribbonController2", "BANK 2"},
        {11, "ribbonControllers/ribbonController3", "BANK 3"},
        {12, "accellerometer/absoluteController", "TILT"},
    };
    for (const auto& c : cases) {
        const RCPtr<QV::LControl> panel = At(c.path);
        ASSERT_TRUE(panel) << c.path;
        const RCPtr<LParameterizedModule> module = mMain->GetModule(c.id);
        EXPECT_EQ(dynamic_cast<QV::LControl*>(module.Get()), panel.Get()) << c.path;
        if (c.header != nullptr) {
            EXPECT_EQ(Narrow(panel->FindChild(u"headerLabel")->GetText()), c.header) << c.path;
        }
    }
    EXPECT_EQ(Narrow(At("keybed/keybedPanel/settings/headerLabel")->GetText()), "SPLIT POINT");
    EXPECT_EQ(Narrow(At("ribbonControllers/settingsPanel/headerLabel")->GetText()), "TOUCH RIBBON SETTINGS");
    EXPECT_EQ(Narrow(At("keybed/keybedPanel/settings/splitPoint/controlNameLabel")->GetText()), "SPLIT KEY");
    EXPECT_EQ(Narrow(At("accellerometer/absoluteController/data1Value/controlNameLabel")->GetText()), "CC #");
    // Pages that show no type keep it hidden.
    EXPECT_FALSE(At("sustainPitchVolume/volumePanel/type")->IsVisible());
    EXPECT_TRUE(At("accellerometer/absoluteController/type")->IsVisible());
}

// Record -> what each control shows, for every panel: signed bytes, clamps and offsets.
TEST_F(EditPanelsTest, RecordsShowInTheirControls) {
    const std::string kb = "keybed/keybedPanel/", tilt = "accellerometer/absoluteController/";
    const struct {
        int32_t id;
        Bytes record;
        std::vector<std::pair<std::string, std::string>> shown;
    } cases[] = {
        {2,
         {0x00, 0x01, 0x00},
         {{kb + "settings/keybedCurve/comboBox", "CURVE 1"},
          {kb + "settings/splitMode/comboBox", "SPLIT OFF"},
          {kb + "settings/splitPoint/numericUpDown", "1"}}},
        {2,
         {0x08, 0x00, 0x23},
         {{kb + "settings/keybedCurve/comboBox", "CURVE 9"},
          {kb + "settings/splitMode/comboBox", "SPLIT ON"},
          {kb + "settings/splitPoint/numericUpDown", "36"}}},
        {2, {0x08, 0x00, 0xFF}, {{kb + "settings/splitPoint/numericUpDown", "1"}}},  // -1 + 1, clamped
        {3,
         {0x0C, 0x00, 0x00},
         {{kb + "upperZone/transpose/numericUpDown", "0"},
          {kb + "upperZone/midiToDin/comboBox", "ON"},
          {kb + "upperZone/midiChannel/comboBox", "CHANNEL 1"}}},
        {4,
         {0x00, 0x01, 0x0F},
         {{kb + "lowerZone/transpose/numericUpDown", "-12"},
          {kb + "lowerZone/midiToDin/comboBox", "OFF"},
          {kb + "lowerZone/midiChannel/comboBox", "CHANNEL 16"}}},
        {4, {30, 0x01, 0x0F}, {{kb + "lowerZone/transpose/numericUpDown", "12"}}},  // 18, clamped
        {5, {0x0F}, {{"sustainPitchVolume/sustainPanel/midiChannel/comboBox", "CHANNEL 16"}}},
        {6,
         {0x03, 0x01},
         {{"sustainPitchVolume/pitchWheel/midiChannel/comboBox", "CHANNEL 4"},
          {"sustainPitchVolume/pitchWheel/directionComboBox/comboBox", "REVERSE"}}},
        {8,
         {0x02, 0x01},
         {{"ribbonControllers/settingsPanel/defaultController/comboBox", "BANK 3"},
          {"ribbonControllers/settingsPanel/returnMode/comboBox", "LATCH"}}},
        {8, {0x03, 0x00}, {{"ribbonControllers/settingsPanel/defaultController/comboBox", ""}}},  // no item 3
        {12,
         {0x01, 0x00, 0x10, 0x70, 0x09},
         {{tilt + "type/comboBox", "PITCH BEND"},
          {tilt + "data1Value/numericUpDown", "0"},
          {tilt + "data2Value/numericUpDown", "16"},
          {tilt + "data3Value/numericUpDown", "112"},
          {tilt + "midiChannel/comboBox", "CHANNEL 10"}}},
        // 0x90 is -112: the least controller number; 0x80 no type at all; MIN above MAX as it is.
        {12,
         {0x80, 0x90, 0x64, 0x14, 0x00},
         {{tilt + "type/comboBox", ""},
          {tilt + "data1Value/numericUpDown", "0"},
          {tilt + "data2Value/numericUpDown", "100"},
          {tilt + "data3Value/numericUpDown", "20"}}},
    };
    for (const auto& c : cases) {
        Apply(c.id, c.record);
        for (const auto& [path, text] : c.shown) {
            EXPECT_EQ(Shown(path), text) << "id " << c.id << " " << path;
        }
    }
    // Applying is not editing: nothing of it goes back to the engine.
    EXPECT_TRUE(mEngine.writes.empty());
}

// Control change -> the whole record of the panel's id, with every other control as it is; a
// choice without an item sends back the byte it received, a number the value it shows.
TEST_F(EditPanelsTest, AnEditSendsTheWholeRecordOfItsPanel) {
    const std::string kb = "keybed/keybedPanel/", tilt = "accellerometer/absoluteController/";
    auto choose = [&](const std::string& path, int32_t index) {
        dynamic_cast<QV::LComboBox&>(*At(path)).SetSelectedIndex(index);
    };
    auto number = [&](const std::string& path, double value) { At(path)->SetValue(value); };
    const struct {
        int32_t id;
        Bytes applied;
        std::function<void()> edit;
        Bytes sent;
    } cases[] = {
        {2,
         {0x08, 0x00, 0x00},
         [&] { number(kb + "settings/splitPoint/numericUpDown", 36); },
         {0x08, 0x00, 35}},
        {3,
         {0x0C, 0x00, 0x00},
         [&] { choose(kb + "upperZone/midiChannel/comboBox", 4); },
         {0x0C, 0x00, 0x04}},
        {4, {30, 0x01, 0x0F}, [&] { choose(kb + "lowerZone/midiToDin/comboBox", 0); }, {24, 0x00, 0x0F}},
        {5, {0x00}, [&] { choose("sustainPitchVolume/sustainPanel/midiChannel/comboBox", 15); }, {0x0F}},
        {6,
         {0x03, 0x00},
         [&] { choose("sustainPitchVolume/pitchWheel/directionComboBox/comboBox", 1); },
         {0x03, 0x01}},
        // The volume slider shows no type: its byte goes back as received.
        {7,
         {0x01, 0x07, 0x00, 0x7F, 0x00},
         [&] { number("sustainPitchVolume/volumePanel/data2Value/numericUpDown", 5); },
         {0x01, 0x07, 0x05, 0x7F, 0x00}},
        // An unknown bank stays what it was instead of turning into 255.
        {8,
         {0x03, 0x00},
         [&] { choose("ribbonControllers/settingsPanel/returnMode/comboBox", 1); },
         {0x03, 0x01}},
        {10,
         {0x00, 0x07, 0x00, 0x7F, 0x00},
         [&] { number("ribbonControllers/ribbonController2/data2Value/numericUpDown", 9); },
         {0x00, 0x07, 0x09, 0x7F, 0x00}},
        {12,
         {0x00, 0x90, 0x64, 0x14, 0x00},
         [&] { choose(tilt + "midiChannel/comboBox", 9); },
         {0x00, 0x00, 0x64, 0x14, 0x09}},
        {12,
         {0x80, 0x07, 0x00, 0x7F, 0x00},
         [&] { number(tilt + "data1Value/numericUpDown", 8); },
         {0x80, 0x08, 0x00, 0x7F, 0x00}},
        // A value kept between two whole numbers goes as the one the box shows, not truncated.
        {12,
         {0x00, 0x07, 0x00, 0x7F, 0x00},
         [&] { number(tilt + "data3Value/numericUpDown", 99.5); },
         {0x00, 0x07, 0x00, 100, 0x00}},
    };
    for (const auto& c : cases) {
        Apply(c.id, c.applied);
        mEngine.writes.clear();
        c.edit();
        // Every record the edit made (a number box may settle in two steps) is the whole record.
        ASSERT_FALSE(mEngine.writes.empty()) << "id " << c.id;
        for (const QV::ParamValue& write : mEngine.writes) {
            uint32_t length = 0;
            const auto* data = static_cast<const uint8_t*>(write.value.GetData(length));
            EXPECT_EQ(Bytes(data, data + length), c.sent) << "id " << c.id;
            EXPECT_EQ(write.descriptor.paramID, c.id);
        }
    }
}

// A record of the wrong length changes nothing and is refused.
TEST_F(EditPanelsTest, ARecordOfTheWrongLengthIsRefusedAndChangesNothing) {
    Apply(2, {0x03, 0x01, 0x09});
    Apply(12, {0x01, 0x07, 0x00, 0x7F, 0x02});
    Apply(8, {0x01, 0x01});
    Apply(5, {0x04});
    const struct {
        int32_t id;
        std::vector<Bytes> wrong;
        std::string path;
        std::string shown;
    } cases[] = {
        {2,
         {{0x00, 0x00}, {0x00, 0x00, 0x00, 0x00}},
         "keybed/keybedPanel/settings/keybedCurve/comboBox",
         "CURVE 4"},
        {12,
         {{0x00, 0x00, 0x00, 0x00}, {0, 0, 0, 0, 0, 0}},
         "accellerometer/absoluteController/data1Value/numericUpDown",
         "7"},
        {8,
         {{0x00}, {0x00, 0x00, 0x00}},
         "ribbonControllers/settingsPanel/defaultController/comboBox",
         "BANK 2"},
        {5, {{}, {0x00, 0x00}}, "sustainPitchVolume/sustainPanel/midiChannel/comboBox", "CHANNEL 5"},
    };
    for (const auto& c : cases) {
        const RCPtr<LParameterizedModule> module = mMain->GetModule(c.id);
        ASSERT_TRUE(module);
        for (const Bytes& wrong : c.wrong) {
            EXPECT_EQ(module->SetParamValueLocal(QV::ParamDescriptor(c.id), Blob(wrong), true), QV::E_FAIL);
            EXPECT_EQ(Shown(c.path), c.shown) << c.id;
        }
    }
    EXPECT_TRUE(mEngine.writes.empty());
}

// The engine's values arrive queued; one pass over the queue shows a whole preset everywhere.
TEST_F(EditPanelsTest, AListOfValuesShowsInEveryPanelAfterOneIdlePass) {
    const std::vector<QV::ParamValue> list = {
        {3, QV::Variant(), Blob({0x0D, 0x01, 0x02})},
        {7, QV::Variant(), Blob({0x00, 0x0B, 0x01, 0x7E, 0x03})},
        {11, QV::Variant(), Blob({0x01, 0x00, 0x00, 0x7F, 0x05})},
        {12, QV::Variant(), Blob({0x00, 0x4A, 0x00, 0x7F, 0x0E})},
    };
    QV::ParamValues values;
    QV::ParamDescriptors::SetFromValues(values, list.data(), static_cast<uint32_t>(list.size()));
    QV::GetMainNotificationCenter()->PostNotification(
        u"NID_PARAM_MODULE_STATE_CHANGE",
        QV::LWrapper<QV::ParamValues, QV::LRefCountedObject>::Create(values));
    QV::GetMainNotificationCenter()->ProcessQueue(false);
    EXPECT_EQ(Shown("keybed/keybedPanel/upperZone/transpose/numericUpDown"), "1");
    EXPECT_EQ(Shown("keybed/keybedPanel/upperZone/midiChannel/comboBox"), "CHANNEL 3");
    EXPECT_EQ(Shown("sustainPitchVolume/volumePanel/data1Value/numericUpDown"), "11");
    EXPECT_EQ(Shown("ribbonControllers/ribbonController3/type/comboBox"), "PITCH BEND");
    EXPECT_EQ(Shown("accellerometer/absoluteController/data1Value/numericUpDown"), "74");
    EXPECT_EQ(Shown("accellerometer/absoluteController/midiChannel/comboBox"), "CHANNEL 15");
    EXPECT_TRUE(mEngine.writes.empty());
}

// A panel keeps the controls it found when it was made: a skin part that goes away later is not
// looked for again, so applying and editing never fail on the search.
TEST_F(EditPanelsTest, APanelUsesTheControlsItFoundWhenItWasMade) {
    const RCPtr<QV::LControl> panel = At("accellerometer/absoluteController");
    const RCPtr<QV::LControl> channel = At("accellerometer/absoluteController/midiChannel/comboBox");
    ASSERT_EQ(
        panel->GetChildren().RenameChild(At("accellerometer/absoluteController/midiChannel"), u"renamed"), 0);
    ASSERT_FALSE(panel->FindChild(u"midiChannel"));
    Apply(12, {0x00, 0x07, 0x00, 0x7F, 0x06});
    EXPECT_EQ(dynamic_cast<QV::LComboBox&>(*channel).GetSelectedIndex(), 6);
    dynamic_cast<QV::LComboBox&>(*channel).SetSelectedIndex(2);
    int32_t id = -1;
    EXPECT_EQ(LastWrite(id), (Bytes{0x00, 0x07, 0x00, 0x7F, 0x02}));
    EXPECT_EQ(id, 12);
}

}  // namespace
