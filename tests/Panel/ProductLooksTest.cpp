#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Controls/Slider.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"

namespace QV {
namespace {

// A text box, a number box and a slider placed as the editor's pages place them, in the product
// skin's looks.
const char* const kLooksSkin = R"(<Skin Name="Looks">
  <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="w" LookList="Window"/>
    <SubControl Class="Framework.TextBox" Name="text" TabStop="1" XSizeAbs="96" YSizeAbs="24">
      <Skin Name="t" LookList="TextBox"/></SubControl>
    <SubControl Class="Framework.NumericUpDown" Name="number" YPositionAbs="40" XSizeAbs="96" YSizeAbs="24">
      <Skin Name="n">
        <SubControl Class="Framework.TextBox" Name="textBox" TabStop="2" XSizeAbs="76" YSizeAbs="24"><Skin Name="t" LookList="TextBox"/></SubControl>
        <SubControl Class="Framework.Button" Name="buttonUp" XPositionAbs="76" XSizeAbs="20" YSizeAbs="12"><Skin Name="u" LookList="NumberBox.Up"/></SubControl>
        <SubControl Class="Framework.Button" Name="buttonDown" XPositionAbs="76" YPositionAbs="12" XSizeAbs="20" YSizeAbs="12"><Skin Name="d" LookList="NumberBox.Down"/></SubControl>
      </Skin></SubControl>
    <SubControl Class="Framework.Slider" Name="slider" TabStop="3" YPositionAbs="80" XSizeAbs="200" YSizeAbs="24">
      <Skin Name="s" LookList="Slider.Horizontal">
        <SubControl Class="Framework.Button" Name="thumbStart" TabStop="-1" YPositionAbs="4" XSizeAbs="10" YSizeAbs="16"><Skin Name="b" LookList="Slider.Thumb"/></SubControl>
        <SubControl Class="Framework.Button" Name="thumbEnd" TabStop="-1" XPositionAbs="190" YPositionAbs="4" XSizeAbs="10" YSizeAbs="16"><Skin Name="b" LookList="Slider.Thumb"/></SubControl>
      </Skin></SubControl>
    <SubControl Class="Framework.Panel" Name="combo" YPositionAbs="120" XSizeAbs="229" YSizeAbs="24"><Skin Name="c" LookList="PresetEditor.ComboBox"/></SubControl>
    <SubControl Class="Framework.Panel" Name="row" YPositionAbs="160" XSizeAbs="200" YSizeAbs="22"><Skin Name="r" LookList="MenuItem"/></SubControl>
    <SubControl Class="Framework.Panel" Name="check" XPositionAbs="8" YPositionAbs="165" XSizeAbs="12" YSizeAbs="12"><Skin Name="k" LookList="MenuCheck"/></SubControl>
  </SubControl></Skin>)";

class ProductLooksTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->SetResourceBasePath(u"::");
        ASSERT_EQ(mFactory->LoadSkins(u"::APP_SKINS"), S_OK);
        LoadSkin(kLooksSkin);
        mFactory->SetCurrentSkinIndex(static_cast<int32_t>(mFactory->GetSkinCount()) - 1);
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
    }
    void TearDown() override {
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    // The colour of the control's shown look at a point of the control, as 0xAARRGGBB.
    static uint32_t Shown(const RCPtr<LControl>& control, int32_t x, int32_t y) {
        return control->GetLookColorAt({x, y}, control->GetCurrentLookIndex());
    }

    RCPtr<LControl> mMain;
};

constexpr uint32_t kWindow = 0xFF1B1D21;
constexpr uint32_t kPanel = 0xFF25282D;
constexpr uint32_t kRaised = 0xFF2F333A;
constexpr uint32_t kRaisedHover = 0xFF383C44;
constexpr uint32_t kBorder = 0xFF3C424A;
constexpr uint32_t kBorderHover = 0xFF4B525B;
constexpr uint32_t kAccent = 0xFF3FA7D6;
constexpr uint32_t kSelection = 0xFF2D627B;
constexpr uint32_t kDisabledText = 0xFF5C626B;

// The contrast ratio of two opaque colours (0xAARRGGBB), from their relative luminance.
double ContrastRatio(uint32_t a, uint32_t b) {
    const auto luminance = [](uint32_t colour) {
        const auto channel = [](uint32_t value) {
            const double c = value / 255.0;
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel((colour >> 16) & 0xFF) + 0.7152 * channel((colour >> 8) & 0xFF) +
               0.0722 * channel(colour & 0xFF);
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A text box: a sunk field in a one-pixel border, lighter under the pointer, a two-pixel accent
// edge while focused, the selection in the accent at half strength, a flat panel-coloured field
// while disabled.
TEST_F(ProductLooksTest, TheTextBoxShowsHoverFocusSelectionAndDisabling) {
    RCPtr<LControl> text = Find(mMain, u"text");
    auto* box = dynamic_cast<LTextBox*>(text.Get());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Shown(text, 0, 0), kBorder);
    EXPECT_EQ(Shown(text, 1, 1), kWindow);
    InputDriver driver(mWindow);
    driver.MoveTo(40, 12);
    EXPECT_EQ(Shown(text, 0, 0), kBorderHover);
    driver.MoveTo(300, 250);
    ASSERT_EQ(text->SetFocus(true), S_OK);
    EXPECT_EQ(Shown(text, 0, 0), kAccent);
    EXPECT_EQ(Shown(text, 1, 1), kAccent);
    EXPECT_EQ(Shown(text, 2, 2), kWindow);
    box->SetText(WString(u"PRESET"));
    box->SelectRange(0, -1, true);
    EXPECT_EQ(text->GetLookColorAt({20, 12}, 10), kSelection);
    EXPECT_EQ(LTextBox::CaretColorFor(Shown(text, 20, 12)), 0xFFFFFFFFu) << "a white caret on the field";
    text->SetEnabled(false);
    EXPECT_EQ(Shown(text, 0, 0), kBorder);
    EXPECT_EQ(Shown(text, 2, 2), kPanel);
}

// A number box's arrows: raised, lighter under the pointer, the pressed colour while held, the
// panel colour while disabled; a border line over each.
TEST_F(ProductLooksTest, TheNumberBoxArrowsShowHoverPressAndDisabling) {
    RCPtr<LControl> up = Find(mMain, u"number/buttonUp");
    ASSERT_TRUE(up);
    EXPECT_EQ(Shown(up, 2, 6), kRaised);
    EXPECT_EQ(Shown(up, 10, 0), kBorder);
    EXPECT_EQ(Shown(up, 19, 6), kBorder);
    struct Case {
        int32_t look;
        uint32_t face;
    };
    for (const Case& c : {Case{1, kRaisedHover}, Case{2, 0xFF376D88u}, Case{6, kPanel}}) {
        EXPECT_EQ(up->GetLookColorAt({2, 6}, c.look), c.face) << c.look;
    }
    InputDriver driver(mWindow);
    driver.MoveTo(90, 45);
    EXPECT_EQ(Shown(up, 2, 6), kRaisedHover);
    driver.MoveTo(300, 250);
    Find(mMain, u"number")->SetEnabled(false);
    EXPECT_EQ(Shown(up, 2, 6), kPanel);
}

// A slider: a four-pixel track in the border colour along its middle, an accent edge while it
// has the focus, the track sunk and the thumb dimmed while disabled; an accent thumb.
TEST_F(ProductLooksTest, TheSliderShowsItsTrackThumbFocusAndDisabling) {
    RCPtr<LControl> slider = Find(mMain, u"slider");
    auto* control = dynamic_cast<LSlider*>(slider.Get());
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(control->GetThumb());
    const RCPtr<LControl> thumb(control->GetThumb().Get());
    EXPECT_EQ(Shown(slider, 100, 10), kBorder);
    EXPECT_EQ(Shown(slider, 100, 13), kBorder);
    EXPECT_EQ(Shown(slider, 100, 9) & 0xFF000000u, 0u) << "nothing above the track";
    EXPECT_EQ(Shown(thumb, 5, 8), kAccent);
    ASSERT_EQ(slider->SetFocus(true), S_OK);
    EXPECT_EQ(Shown(slider, 0, 0), kAccent);
    EXPECT_EQ(Shown(slider, 1, 12), kAccent);
    slider->SetFocus(false);
    Find(mMain, u"text")->SetFocus(true);
    slider->SetEnabled(false);
    EXPECT_EQ(Shown(slider, 100, 12), kRaised);
    EXPECT_EQ(Shown(thumb, 5, 8), kDisabledText);
}

// A combo box shows the focus, and its open list, with the same two-pixel accent outline as the
// other controls, its face inside it.
TEST_F(ProductLooksTest, TheComboBoxShowsFocusAndItsOpenListWithATwoPixelOutline) {
    const RCPtr<LControl> combo = Find(mMain, u"combo");
    for (const int32_t look : {1, 3, 4, 5}) {  // focused, hovered and focused, open, open and hovered
        for (const PointT<int32_t> edge : {PointT<int32_t>{0, 0}, {1, 1}, {100, 22}, {227, 12}}) {
            EXPECT_EQ(combo->GetLookColorAt(edge, look), kAccent) << "look " << look << " at " << edge.x;
        }
        EXPECT_NE(combo->GetLookColorAt({2, 2}, look), kAccent) << "look " << look;
    }
    EXPECT_EQ(combo->GetLookColorAt({0, 0}, 0), kBorder);
    EXPECT_EQ(combo->GetLookColorAt({1, 1}, 0), kRaised);
}

// A check mark shows on a highlighted (accent) menu or list row as well as on a plain or hovered
// one: the mark's edge or its middle keeps at least 3:1 against each row.
TEST_F(ProductLooksTest, ACheckMarkShowsOnPlainAndHighlightedRows) {
    const RCPtr<LControl> row = Find(mMain, u"row");
    const RCPtr<LControl> check = Find(mMain, u"check");
    std::vector<uint32_t> mark;
    for (const uint32_t colour : {check->GetLookColorAt({1, 6}, 7), check->GetLookColorAt({6, 6}, 7)}) {
        if ((colour >> 24) == 0xFF) {
            mark.push_back(colour);
        }
    }
    ASSERT_FALSE(mark.empty());
    for (const int32_t look : {0, 1, 7, 8}) {  // plain, hovered, highlighted, highlighted and hovered
        const uint32_t face = row->GetLookColorAt({100, 11}, look);
        double best = 0;
        for (const uint32_t colour : mark) {
            best = std::max(best, ContrastRatio(colour, face));
        }
        EXPECT_GE(best, 3.0) << "row look " << look << " (" << std::hex << face << ")";
    }
}

}  // namespace
}  // namespace QV
