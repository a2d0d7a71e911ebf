#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/FixedWidthMeasurer.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

std::u16string NumericText(const RCPtr<LTextBox>& box) {
    return std::u16string(box->GetText().GetString(), static_cast<size_t>(box->GetText().GetLength()));
}

// A number box at (10, 10): a text box 104 wide, the step buttons at its right.
std::string NumberBox(bool withDown) {
    return R"(<SubControl Class="Framework.NumericUpDown" Name="num" TabStop="1" XPositionAbs="10" YPositionAbs="10"
            XSizeAbs="124" YSizeAbs="20"><Skin Name="n" LookList="Solid">
          <SubControl Class="Framework.TextBox" Name="textBox" TabStop="1" XSizeAbs="104" YSizeAbs="20">
            <Skin Name="t" LookList="TextBox"/></SubControl>
          <SubControl Class="Framework.Button" Name="buttonUp" XPositionAbs="104" XSizeAbs="20" YSizeAbs="10">
            <Skin Name="b" LookList="Solid"/></SubControl>)" +
           std::string(withDown ? R"(<SubControl Class="Framework.Button" Name="buttonDown" XPositionAbs="104"
              YPositionAbs="10" XSizeAbs="20" YSizeAbs="10"><Skin Name="b" LookList="Solid"/></SubControl>)"
                                : "") +
           "</Skin></SubControl>";
}

std::string NumberBoxSkin() {
    return TestSupport::TextBoxLooks() + TestSupport::SolidLooks() + R"(<Skin Name="Default">
      <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid">)" +
           NumberBox(true) + R"(</Skin></SubControl>
      <SubControl Class="Framework.Panel" Name="Broken" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid">)" +
           NumberBox(false) + "</Skin></SubControl></Skin>";
}

// A number box of range 0..127 at 64 whose text box is 104 wide.
class NumericUpDownTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mServices->measuringRenderer = RCPtr<LMeasurementRenderer>(new ::TestSupport::FixedWidthMeasurer());
        LoadSkin(NumberBoxSkin());
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mNumber = RCPtr<LNumericUpDown>(dynamic_cast<LNumericUpDown*>(Find(mMain, u"num").Get()));
        ASSERT_TRUE(mNumber);
        mBox = mNumber->GetTextBox();
        ASSERT_EQ(mNumber->SetValueRange(0, 127, 0), S_OK);
        mNumber->SetValue(64);
        mValues = NotificationRecorder::Create(RCPtr<LNotificationDistributor>(mNumber.Get()),
                                               {u"NID_VALUE_CHANGE"});
    }
    void TearDown() override {
        mValues = nullptr;
        mBox = nullptr;
        mNumber = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    // NumericText put in the box as a paste would, then Enter.
    void Enter(const char16_t* text) {
        mBox->SetText(text);
        mBox->HandleKeyDown(LKeyParam::Create(KeyCode(0x0D, true, 0, 0), true));
    }
    void Pass(uint32_t ms, uint32_t step = 10) {
        for (uint32_t t = 0; t < ms; t += step) {
            mServices->AdvanceMs(step);
            mWindow->SendIdle();
        }
    }

    RCPtr<LControl> mMain;
    RCPtr<LNumericUpDown> mNumber;
    RCPtr<LTextBox> mBox;
    RCPtr<NotificationRecorder> mValues;
};

TEST_F(NumericUpDownTest, TypedAndPastedTextIsCheckedAndClamped) {
    EXPECT_EQ(NumericText(mBox), u"64");
    EXPECT_EQ(std::u16string(mBox->GetCharacterFilter().GetString()), u"0123456789");
    const struct {
        double before;
        const char16_t* text;
        double value;
        const char16_t* shown;
    } cases[] = {
        {64, u"200", 127, u"127"},   {64, u"-5", 0, u"0"},     {64, u"100", 100, u"100"},
        {64, u"5-", 64, u"64"},      {64, u"-", 64, u"64"},    {64, u"1.2.3", 64, u"64"},
        {64, u"", 64, u"64"},        {64, u".", 64, u"64"},    {64, u"nan", 64, u"64"},
        {64, u"inf", 64, u"64"},     {64, u"0x1F", 64, u"64"}, {64, u"1e2", 64, u"64"},
        {64, u"12abc", 64, u"64"},   {64, u" 7", 64, u"64"},   {64, u"--3", 64, u"64"},
        {5, u"05", 5, u"05"},         // the value is already 5: the typed text stays
        {0, u"00", 0, u"0"},          // at the minimum the text is redone
        {127, u"0127", 127, u"127"},  // and at the maximum
        {64, u"7.6", 8, u"8"},        // the value follows the text it shows
    };
    for (const auto& c : cases) {
        mNumber->SetValue(c.before);
        Enter(c.text);
        EXPECT_DOUBLE_EQ(mNumber->GetValue(), c.value)
            << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
        EXPECT_EQ(NumericText(mBox), std::u16string(c.shown));
    }
}

TEST_F(NumericUpDownTest, ValidationIsPassedOnAndListenersMayRefuseFirst) {
    RCPtr<NotificationRecorder> recorder =
        NotificationRecorder::Create(RCPtr<LNotificationDistributor>(mNumber.Get()),
                                     {u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_VALIDATED"});
    recorder->onReceive = [](const std::u16string& name, LRefCountedObject* param) {
        if (name == u"NID_TEXTBOX_VALIDATING") {
            dynamic_cast<LTextValidationParams*>(param)->accepted = false;
        }
    };
    Enter(u"99");
    EXPECT_EQ(mNumber->GetValue(), 64.0);
    EXPECT_EQ(recorder->GetNames(), std::vector<std::u16string>{u"NID_TEXTBOX_VALIDATING"});
    recorder->onReceive = nullptr;
    recorder->Clear();
    Enter(u"99");
    EXPECT_EQ(mNumber->GetValue(), 99.0);
    ASSERT_FALSE(recorder->GetNames().empty());
    EXPECT_EQ(recorder->GetNames().back(), u"NID_TEXTBOX_VALIDATED");
}

TEST_F(NumericUpDownTest, SetTextReadsTheLeadingNumberAndRangesAreSilent) {
    mNumber->SetText(u"12abc");
    EXPECT_EQ(mNumber->GetValue(), 12.0);
    EXPECT_EQ(NumericText(mBox), u"12");
    mNumber->SetText(u"nan");
    EXPECT_EQ(mNumber->GetValue(), 0.0);
    mNumber->SetText(u"1e2");
    EXPECT_EQ(mNumber->GetValue(), 1.0);
    mNumber->SetNormalizedValue(1.0);
    mValues->Clear();
    EXPECT_EQ(mNumber->SetValueRange(0, 63, 0), S_OK);
    EXPECT_EQ(NumericText(mBox), u"63");
    EXPECT_TRUE(mValues->GetNames().empty());
    EXPECT_EQ(mNumber->SetValueRange(0, 50, 1), E_INVALIDARG);
    EXPECT_EQ(NumericText(mBox), u"63");
    EXPECT_EQ(mNumber->SetValueRange(-10, 10, 0), S_OK);
    EXPECT_EQ(std::u16string(mBox->GetCharacterFilter().GetString()), u"0123456789-");
    mBox->SetText(u"");
    for (char16_t c : std::u16string(u"-7")) {
        mBox->HandleKeyDown(LKeyParam::Create(KeyCode(c, 0), true));
    }
    mBox->HandleKeyDown(LKeyParam::Create(KeyCode(0x0D, true, 0, 0), true));
    EXPECT_EQ(mNumber->GetValue(), -7.0);
}

TEST_F(NumericUpDownTest, UpAndDownKeysStepAfterTheSimulatedClick) {
    ASSERT_EQ(mBox->SetFocus(true), S_OK);
    auto key = [&](uint32_t virtualKey) {
        mBox->OnKey(LKeyParam::Create(KeyCode(virtualKey, true, 0, 0), true));
    };
    key(0x26);
    EXPECT_EQ(mNumber->GetValue(), 64.0);
    Pass(140);
    EXPECT_EQ(mNumber->GetValue(), 64.0);
    Pass(20);
    EXPECT_EQ(mNumber->GetValue(), 65.0);
    EXPECT_EQ(NumericText(mBox), u"65");
    key(0x28);
    Pass(200);
    EXPECT_EQ(mNumber->GetValue(), 64.0);
    mNumber->SetValue(127);
    mValues->Clear();
    key(0x26);
    Pass(200);
    EXPECT_EQ(mNumber->GetValue(), 127.0);
    EXPECT_TRUE(mValues->GetNames().empty());
    EXPECT_TRUE(mBox->HasFocus());
}

TEST_F(NumericUpDownTest, MissingPartIsASkinError) {
    try {
        Create(u"Broken");
        FAIL() << "no error";
    } catch (const std::exception& error) {
        EXPECT_NE(std::string(error.what()).find("Null Pointer : buttonDown"), std::string::npos)
            << error.what();
    }
}

}  // namespace
}  // namespace QV
