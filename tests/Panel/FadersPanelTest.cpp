#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Panel/ProductTreeFixture.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "UI/AbsoluteControllerEditPanel.h"
#include "UI/FadersPanel.h"

namespace {

using EditorTestSupport::Blob;
using QV::RCPtr;

class FadersPanelTest : public EditorTestSupport::ProductTreeFixture {
protected:
    void SetUp() override {
        ProductTreeFixture::SetUp();
        // Fader k (id 13 + k) stores controller 50 + k and MIDI channel k + 1.
        for (uint8_t k = 0; k < 8; ++k) {
            mEngine.cache[13 + k] = Blob({0x00, static_cast<uint8_t>(50 + k), 0x00, 0x7F, k});
        }
        mFaders = RCPtr<LFadersPanel>(dynamic_cast<LFadersPanel*>(Page(u"faders").Get()));
        ASSERT_TRUE(mFaders);
    }
    RCPtr<QV::LControl> Fader(int32_t place) const {
        return Page(u"faders/fader" + std::u16string(1, static_cast<char16_t>(u'1' + place)));
    }
    RCPtr<QV::LControl> Part(int32_t place, const std::u16string& path) const {
        return Below(Fader(place), path);
    }
    // The shown page's faders reach their panels, headed and showing their stored values; the
    // other page's ids reach nothing.
    void ExpectPage(int32_t page, const std::string& when) {
        for (int32_t fader = 0; fader < 8; ++fader) {
            const RCPtr<LParameterizedModule> module = mMain->GetModule(13 + fader);
            if (fader / 4 != page) {
                EXPECT_FALSE(module) << when << ": fader " << fader + 1;
                continue;
            }
            const int32_t place = fader % 4;
            EXPECT_EQ(dynamic_cast<QV::LControl*>(module.Get()), Fader(place).Get()) << when;
            EXPECT_EQ(Shown(Part(place, u"headerLabel")), "FADER " + std::to_string(fader + 1)) << when;
            const std::vector<uint8_t> stored = BytesOf(mEngine.cache[13 + fader]);
            EXPECT_EQ(Shown(Part(place, u"data1Value/numericUpDown")), std::to_string(stored[1])) << when;
            EXPECT_EQ(Shown(Part(place, u"midiChannel/comboBox")), "CHANNEL " + std::to_string(stored[4] + 1))
                << when;
        }
    }

    RCPtr<LFadersPanel> mFaders;
};

// Before the window: only the first panel answers (the view tree's binding gives each fader
// index 0 but the first); attaching shows faders 1 to 4; the arrows switch the four panels and
// their values show at once, before any queued report of the engine.
TEST_F(FadersPanelTest, ArrowsRebindTheFourPanelsAndShowTheirFadersAtOnce) {
    EXPECT_EQ(dynamic_cast<QV::LControl*>(mMain->GetModule(13).Get()), Fader(0).Get());
    EXPECT_FALSE(mMain->GetModule(14));
    Attach();
    SelectTab(u"faders");
    ExpectPage(0, "attached");
    Click(Page(u"faders/rightArrowButton"));
    ExpectPage(1, "right arrow");
    // A change of a hidden fader reaches no panel, and is shown once its page is.
    mEngine.cache[14] = Blob({0x00, 0x05, 0x00, 0x7F, 0x0C});
    Apply(14, BytesOf(mEngine.cache[14]));
    ExpectPage(1, "hidden fader changed");
    Click(Page(u"faders/leftArrowButton"));
    ExpectPage(0, "left arrow");
    Click(Page(u"faders/leftArrowButton"));
    ExpectPage(0, "left arrow again");
    // Showing the values is not editing them.
    EXPECT_TRUE(mEngine.writes.empty());
    // An unknown page changes no binding.
    mFaders->ShowPage(2);
    ExpectPage(0, "page 2");
}

// Attaching reaches the children: the number boxes' text boxes get their edit menu.
TEST_F(FadersPanelTest, AttachingReachesThePanelsBelow) {
    Attach();
    const RCPtr<QV::LControl> text = Part(2, u"data1Value/numericUpDown/textBox");
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->GetContextMenu());
}

// An edit after a switch is the shown fader's, carrying that fader's stored bytes.
TEST_F(FadersPanelTest, AnEditAfterASwitchGoesToTheShownFader) {
    Attach();
    SelectTab(u"faders");
    Click(Page(u"faders/rightArrowButton"));
    Part(1, u"data2Value/numericUpDown")->SetValue(9);
    ASSERT_EQ(mEngine.writes.size(), 1u);
    EXPECT_EQ(mEngine.writes[0].descriptor.paramID, 18);
    EXPECT_EQ(BytesOf(mEngine.writes[0].value), (std::vector<uint8_t>{0x00, 55, 9, 0x7F, 5}));
}

// A number typed and not confirmed when the page changes goes to the fader it was typed for,
// never to the one shown next in its place.
TEST_F(FadersPanelTest, ANumberTypedBeforeASwitchGoesToItsOwnFader) {
    Attach();
    SelectTab(u"faders");
    auto* text = dynamic_cast<QV::LTextBox*>(Part(0, u"data1Value/numericUpDown/textBox").Get());
    ASSERT_NE(text, nullptr);
    ASSERT_GE(text->SetFocus(true), 0);
    text->ChangeText(u"64", true);
    ASSERT_TRUE(mEngine.writes.empty());
    mFaders->ShowPage(1);
    ASSERT_EQ(mEngine.writes.size(), 1u);
    EXPECT_EQ(mEngine.writes[0].descriptor.paramID, 13);
    EXPECT_EQ(BytesOf(mEngine.writes[0].value), (std::vector<uint8_t>{0x00, 64, 0x00, 0x7F, 0}));
    ExpectPage(1, "after the switch");
}

}  // namespace
