#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Panel/ProductTreeFixture.h"
#include "RIZozivirod/ControlBase/PointerParams.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "UI/PadsPanel.h"

namespace {

using EditorTestSupport::Blob;
using QV::RCPtr;
using PadBytes = std::vector<uint8_t>;

// The editor's real control tree from the product skin and strings, attached to a window, over
// an engine that records what it is asked; paths name controls below the pads page.
class PadsPageTest : public EditorTestSupport::ProductTreeFixture {
protected:
    void SetUp() override {
        ProductTreeFixture::SetUp();
        mPads = RCPtr<LPadsPanel>(dynamic_cast<LPadsPanel*>(Page(u"pads").Get()));
        ASSERT_TRUE(mPads);
    }
    void TearDown() override {
        mPads = nullptr;
        ProductTreeFixture::TearDown();
    }

    void Attach() {
        ProductTreeFixture::Attach();
        mEngine.writes.clear();
    }
    void Click(const char16_t* arrow) {
        const RCPtr<QV::LMouseButtonParam> click(new QV::LMouseButtonParam(4, 4, 0, 0, 1, false, 0));
        mPads->FindChild(arrow)->NotifyLeftClick(click);
    }

    // The control at a path of child names below the pads page; "m/" stands for a pad's MIDI
    // page, "c/" for its colour page.
    RCPtr<QV::LControl> At(std::string path) const {
        for (const auto& [from, to] :
             {std::pair<std::string, std::string>{"/m/", "/tabControl/pageHolder/midiSettings/"},
              {"/c/", "/tabControl/pageHolder/colorSettings/"}}) {
            if (const size_t at = path.find(from); at != std::string::npos) {
                path.replace(at, from.size(), to);
            }
        }
        while (!path.empty() && path.back() == '/') {
            path.pop_back();
        }
        const RCPtr<QV::LControl> pads = Page(u"pads");
        return path.empty() ? pads : Below(pads, std::u16string(path.begin(), path.end()));
    }
    using ProductTreeFixture::Shown;
    std::string Shown(const std::string& path) const { return Shown(At(path)); }
    void Choose(const std::string& path, int32_t index) {
        dynamic_cast<QV::LComboBox&>(*At(path)).SetSelectedIndex(index);
    }
    std::vector<std::pair<int32_t, PadBytes>> Writes() const {
        std::vector<std::pair<int32_t, PadBytes>> writes;
        for (const QV::ParamValue& write : mEngine.writes) {
            writes.emplace_back(write.descriptor.paramID, BytesOf(write.value));
        }
        return writes;
    }

    RCPtr<LPadsPanel> mPads;
};

// After attach and after every page switch, each pad id reaches the page placed for it and the
// other half of the pads answers null; the shown pages show the stored values at once, before
// any queued notice of the engine is delivered.
TEST_F(PadsPageTest, EveryPadIdReachesItsShownPageAndTheHiddenHalfNone) {
    mEngine.cache[29] = Blob({0x01, 0x40, 0x7F, 0x11, 0x02});  // pad 5: CC toggle
    mEngine.cache[36] = Blob({0x0D, 0x0C, 0x0B, 0x0A});        // pad 8's colours
    mEngine.cache[22] = Blob({0x04, 0x05, 0x06, 0x07});        // pad 1's colours
    Attach();
    auto expectPage = [&](int32_t page) {
        for (int32_t k = 0; k < 4; ++k) {
            const std::string pad = "pad" + std::to_string(k + 1);
            const int32_t shown = 21 + 8 * page + 2 * k, hidden = 21 + 8 * (1 - page) + 2 * k;
            EXPECT_EQ(dynamic_cast<QV::LControl*>(mMain->GetModule(shown).Get()), At(pad + "/m/").Get())
                << shown;
            EXPECT_EQ(dynamic_cast<QV::LControl*>(mMain->GetModule(shown + 1).Get()), At(pad + "/c/").Get())
                << shown + 1;
            EXPECT_FALSE(mMain->GetModule(hidden)) << hidden;
            EXPECT_FALSE(mMain->GetModule(hidden + 1)) << hidden + 1;
            EXPECT_EQ(Shown(pad + "/headerLabel"), "PAD " + std::to_string(4 * page + k + 1));
            // The model's default notes are 48 + the pad's index.
            if (!(page == 1 && k == 0)) {
                EXPECT_EQ(Shown(pad + "/m/data1Value/numericUpDown"), std::to_string(48 + 4 * page + k));
            }
        }
    };
    // Attached: the children too (the number boxes' text boxes got their edit menu), then page 0.
    EXPECT_TRUE(At("pad3/m/data2Value/numericUpDown/textBox")->GetContextMenu());
    expectPage(0);
    EXPECT_EQ(Shown("pad1/c/padColor2/comboBox"), "AZURE");

    Click(u"rightArrowButton");
    expectPage(1);
    EXPECT_EQ(Shown("pad1/m/type/comboBox"), "CC TOGGLE");
    EXPECT_EQ(Shown("pad1/m/data1Value/numericUpDown"), "64");
    EXPECT_EQ(Shown("pad1/m/data3Value/numericUpDown"), "17");
    EXPECT_EQ(Shown("pad1/m/midiChannel/comboBox"), "CHANNEL 3");
    EXPECT_EQ(Shown("pad4/c/padColor1/comboBox"), "WHITE");
    // A value of a pad not shown changes nothing.
    Apply(21, {0x00, 0x10, 0x00, 0x00, 0x00});
    EXPECT_EQ(Shown("pad1/m/data1Value/numericUpDown"), "64");
    Click(u"rightArrowButton");  // the page shown: the same ids again
    expectPage(1);

    Click(u"leftArrowButton");
    expectPage(0);
    EXPECT_EQ(Shown("pad1/m/type/comboBox"), "NOTE");
    // Showing is not editing.
    EXPECT_TRUE(mEngine.writes.empty());
}

// A page switch sends a number still being typed under the pad it was typed for; the edits after
// the switch go under the new pads' ids.
TEST_F(PadsPageTest, APageSwitchCommitsTheTypingFirstAndEditsGoUnderTheNewIds) {
    Attach();
    const RCPtr<QV::LControl> text = At("pad2/m/data2Value/numericUpDown/textBox");
    ASSERT_EQ(text->SetFocus(true), QV::S_OK);
    ASSERT_TRUE(text->HasFocus());
    text->SetText(u"99");
    Click(u"rightArrowButton");
    EXPECT_EQ(Writes(), (std::vector<std::pair<int32_t, PadBytes>>{{23, {0x00, 49, 99, 0x00, 0x00}}}));
    EXPECT_EQ(Shown("pad2/m/data2Value/numericUpDown"), "0");  // pad 6's stored velocity
    EXPECT_EQ(Narrow(dynamic_cast<QV::LTextBox&>(*text).GetText()), "0");

    mEngine.writes.clear();
    Choose("pad3/c/padColor3/comboBox", 13);
    EXPECT_EQ(Writes(), (std::vector<std::pair<int32_t, PadBytes>>{{34, {0x00, 0x01, 0x0D, 0x03}}}));
}

// Record -> controls of the MIDI page: the labels, what shows and where byte 3 goes follow the
// type the record shows.
TEST_F(PadsPageTest, PadMidiRecordsShowByType) {
    Attach();
    const std::string m = "pad1/m/";
    const std::vector<std::string> rows = {"data1Value", "data2Value", "data3Value", "padCurve",
                                           "midiChannel"};
    const struct {
        PadBytes record;
        std::vector<std::pair<std::string, std::string>> shown;
        std::vector<bool> visible;  // rows, in order
    } cases[] = {
        {{0x00, 0x24, 0x64, 0x05, 0x09},
         {{"type/comboBox", "NOTE"},
          {"data1Value/numericUpDown", "36"},
          {"data2Value/numericUpDown", "100"},
          {"padCurve/comboBox", "CURVE 6"},
          {"midiChannel/comboBox", "CHANNEL 10"},
          {"data1Value/controlNameLabel", "NOTE"},
          {"data2Value/controlNameLabel", "VELOCITY"}},
         {true, true, false, true, true}},
        {{0x01, 0x40, 0x7F, 0x00, 0x00},
         {{"type/comboBox", "CC TOGGLE"},
          {"data3Value/numericUpDown", "0"},
          {"padCurve/comboBox", "CURVE 6"},  // kept, hidden
          {"data1Value/controlNameLabel", "CC"},
          {"data2Value/controlNameLabel", "ON"},
          {"data3Value/controlNameLabel", "OFF"}},
         {true, true, true, false, true}},
        {{0x02, 0x01, 0x02, 0x90, 0x00},
         {{"data3Value/numericUpDown", "0"},  // 0x90 is negative: the least
          {"data2Value/controlNameLabel", "PRESS"},
          {"data3Value/controlNameLabel", "RELEASE"}},
         {true, true, true, false, true}},
        {{0x03, 0x05, 0x01, 0x02, 0x0F},
         {{"type/comboBox", "PROGRAM CHANGE"},
          {"data3Value/numericUpDown", "2"},
          {"midiChannel/comboBox", "CHANNEL 16"},
          {"data1Value/controlNameLabel", "PROGRAM"},
          {"data2Value/controlNameLabel", "LSB"},
          {"data3Value/controlNameLabel", "MSB"}},
         {true, true, true, false, true}},
        // Panic hides all but the type; the labels stay those of the type before.
        {{0x04, 0x06, 0x07, 0x08, 0x01},
         {{"type/comboBox", "PANIC"},
          {"data3Value/numericUpDown", "2"},
          {"data1Value/controlNameLabel", "PROGRAM"}},
         {false, false, false, false, false}},
        // A type without an item changes neither labels nor what shows.
        {{0x05, 0x06, 0x07, 0x08, 0x01}, {{"type/comboBox", ""}}, {false, false, false, false, false}},
    };
    for (const auto& c : cases) {
        Apply(21, c.record);
        for (const auto& [path, text] : c.shown) {
            EXPECT_EQ(Shown(m + path), text) << path << " of record type " << int(c.record[0]);
        }
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(At(m + rows[i])->IsVisible(), c.visible[i]) << rows[i] << " type " << int(c.record[0]);
        }
        EXPECT_TRUE(At(m + "type")->IsVisible());
    }
    EXPECT_TRUE(mEngine.writes.empty());
}

// Control change -> the record: byte 3 by the type chosen now, whatever the other control holds.
TEST_F(PadsPageTest, PadMidiEditsPackByteThreeByTheTypeChosen) {
    Attach();
    const std::string m = "pad1/m/";
    const struct {
        std::vector<PadBytes> applied;
        std::function<void()> edit;
        PadBytes sent;
    } cases[] = {
        // Note -> CC toggle: data 3 as it was while hidden, not the curve.
        {{{0x01, 0x40, 0x7F, 0x11, 0x00}, {0x00, 0x24, 0x64, 0x05, 0x09}},
         [&] { Choose(m + "type/comboBox", 1); },
         {0x01, 0x24, 0x64, 0x11, 0x09}},
        // CC toggle -> note: the curve's index.
        {{{0x00, 0x24, 0x64, 0x05, 0x09}, {0x01, 0x40, 0x7F, 0x11, 0x00}},
         [&] { Choose(m + "type/comboBox", 0); },
         {0x00, 0x40, 0x7F, 0x05, 0x00}},
        {{{0x03, 0x05, 0x01, 0x02, 0x0F}},
         [&] { At(m + "data3Value/numericUpDown")->SetValue(127); },
         {0x03, 0x05, 0x01, 0x7F, 0x0F}},
        // A curve the list does not have goes back as it came.
        {{{0x00, 0x24, 0x64, 0x0A, 0x09}},
         [&] { At(m + "data1Value/numericUpDown")->SetValue(37); },
         {0x00, 37, 0x64, 0x0A, 0x09}},
    };
    for (const auto& c : cases) {
        for (const PadBytes& record : c.applied) {
            Apply(21, record);
        }
        mEngine.writes.clear();
        c.edit();
        ASSERT_FALSE(mEngine.writes.empty());
        for (const auto& [id, bytes] : Writes()) {
            EXPECT_EQ(id, 21);
            EXPECT_EQ(bytes, c.sent);
        }
    }
}

// Both ways for the colours: the items, the labels, an edit's whole record.
TEST_F(PadsPageTest, PadColourRecordsBothWays) {
    Attach();
    const std::string c = "pad2/c/";
    Apply(24, {0x00, 0x0D, 0x0A, 0x02});
    EXPECT_EQ(Shown(c + "padColor1/comboBox"), "LED OFF");
    EXPECT_EQ(Shown(c + "padColor2/comboBox"), "WHITE");
    EXPECT_EQ(Shown(c + "padColor3/comboBox"), "RED");
    EXPECT_EQ(Shown(c + "padColor4/comboBox"), "GREEN");
    EXPECT_EQ(Shown(c + "padColor3/controlNameLabel"), "Pad Color 3");
    Apply(24, {0x00, 0x0E, 0x0A, 0x02});  // no colour 14
    EXPECT_EQ(Shown(c + "padColor2/comboBox"), "");
    EXPECT_TRUE(mEngine.writes.empty());
    Choose(c + "padColor3/comboBox", 13);
    EXPECT_EQ(Writes(), (std::vector<std::pair<int32_t, PadBytes>>{{24, {0x00, 0x0E, 0x0D, 0x02}}}));
}

// A record of the wrong length is refused and changes nothing, on either page.
TEST_F(PadsPageTest, PadRecordsOfTheWrongLengthAreRefused) {
    Attach();
    Apply(21, {0x01, 0x40, 0x7F, 0x11, 0x02});
    Apply(22, {0x05, 0x06, 0x07, 0x08});
    const struct {
        int32_t id;
        PadBytes wrong;
    } cases[] = {{21, {0x00, 0x24, 0x64, 0x05}},
                 {21, {0x00, 0x24, 0x64, 0x05, 0x09, 0x00}},
                 {22, {0x00, 0x01, 0x02}},
                 {22, {0x00, 0x01, 0x02, 0x03, 0x04}}};
    for (const auto& c : cases) {
        EXPECT_EQ(mMain->GetModule(c.id)->SetParamValueLocal(QV::ParamDescriptor(c.id), Blob(c.wrong), true),
                  QV::E_FAIL);
        EXPECT_EQ(Shown("pad1/m/type/comboBox"), "CC TOGGLE");
        EXPECT_EQ(Shown("pad1/m/data3Value/numericUpDown"), "17");
        EXPECT_EQ(Shown("pad1/m/data3Value/controlNameLabel"), "OFF");
        EXPECT_EQ(Shown("pad1/c/padColor1/comboBox"), "AZURE");
    }
    EXPECT_TRUE(mEngine.writes.empty());
}

}  // namespace
