#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/Controls/ProgressBar.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

std::string ProgressParts(bool withTimeLabel) {
    std::string parts =
        R"(<SubControl Class="Framework.Panel" Name="activeOverlay" XSizeAbs="1" YSizeAbs="20"><Skin Name="o" LookList="Solid"/></SubControl>
           <SubControl Class="Framework.Label" Name="percentCompleteLabel" XSizeAbs="40" YSizeAbs="20"/>)";
    if (withTimeLabel) {
        parts +=
            R"(<SubControl Class="Framework.Label" Name="timeRemainingLabel" YPositionAbs="20" XSizeAbs="300" YSizeAbs="20"/>)";
    }
    return parts;
}

// A bar 300 wide, with the program's own framework texts.
class ProgressBarTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Framework.ProgressBar", &CreateControlFunction<LProgressBar>);
        mFactory->SetResourceBasePath(u"::");
        ASSERT_EQ(mFactory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0409), S_OK);
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.ProgressBar" Name="bar" XSizeAbs="300" YSizeAbs="40"><Skin Name="b" LookList="Solid">)" +
                 ProgressParts(true) + R"(</Skin></SubControl>
          <SubControl Class="Framework.ProgressBar" Name="noTime" XSizeAbs="300" YSizeAbs="40"><Skin Name="b" LookList="Solid">)" +
                 ProgressParts(false) + "</Skin></SubControl></Skin>");
        mBar = RCPtr<LProgressBar>(dynamic_cast<LProgressBar*>(CreateInWindow(u"bar").Get()));
        ASSERT_TRUE(mBar);
        mTime = mBar->FindChild(u"timeRemainingLabel");
    }
    void TearDown() override {
        mTime = nullptr;
        mBar = nullptr;
        ControlTestFixture::TearDown();
    }
    std::u16string TimeText() const { return mTime->GetText().GetString(); }
    std::u16string PercentText() const {
        return mBar->FindChild(u"percentCompleteLabel")->GetText().GetString();
    }

    RCPtr<LProgressBar> mBar;
    RCPtr<LControl> mTime;
};

TEST_F(ProgressBarTest, OverlayWidthAndWholePercentFollowTheValue) {
    EXPECT_EQ(PercentText(), u"0");
    const struct {
        double value;
        bool shown;
        double width;
        const char16_t* text;
    } cases[] = {{0.5, true, 150, u"50"},
                 {0.001, false, 0, u"0"},
                 {0.999, true, 300, u"100"},
                 {1.0, true, 300, u"100"}};
    for (const auto& c : cases) {
        mBar->SetNormalizedValue(c.value);
        RCPtr<LControl> overlay = mBar->FindChild(u"activeOverlay");
        EXPECT_EQ(overlay->IsVisible(), c.shown) << c.value;
        if (c.shown) {
            EXPECT_EQ(overlay->GetFrame().width, c.width) << c.value;
        }
        EXPECT_EQ(PercentText(), c.text) << c.value;
    }
    mBar->SetValue(25);  // the user range is 0 to 100
    EXPECT_EQ(PercentText(), u"25");
}

TEST_F(ProgressBarTest, TimeRemainingInWords) {
    EXPECT_FALSE(mTime->IsVisible());
    const struct {
        int32_t seconds;
        const char16_t* text;
    } cases[] = {
        {0, u"0 Seconds Remaining"},
        {1, u"1 Second Remaining"},
        {59, u"59 Seconds Remaining"},
        {61, u"1 Minute 1 Second Remaining"},
        {3600, u"1 Hour 0 Minutes 0 Seconds Remaining"},
        {7260, u"2 Hours 1 Minute 0 Seconds Remaining"},
        {-5, u"0 Seconds Remaining"},
    };
    for (const auto& c : cases) {
        mBar->ShowTimeRemaining(c.seconds);
        EXPECT_EQ(TimeText(), c.text) << c.seconds;
    }
    EXPECT_TRUE(mTime->IsVisible());
}

TEST_F(ProgressBarTest, EstimateFromTheRateSinceItBegan) {
    mServices->seconds = 10;
    mBar->SetNormalizedValue(0.2);
    mBar->EnableTimeEstimate(true);
    mServices->seconds = 20;
    mBar->SetNormalizedValue(0.4);
    EXPECT_EQ(TimeText(), u"30 Seconds Remaining");
    // No rise above the last sample: no new estimate.
    mServices->seconds = 40;
    mBar->SetNormalizedValue(0.3);
    EXPECT_EQ(TimeText(), u"30 Seconds Remaining");
    // Done: no time left, and the estimate ends.
    mServices->seconds = 50;
    mBar->SetNormalizedValue(1.0);
    EXPECT_EQ(TimeText(), u"0 Seconds Remaining");
    EXPECT_FALSE(mBar->IsEstimating());
    mBar->SetNormalizedValue(0.1);
    EXPECT_EQ(PercentText(), u"10");
    EXPECT_EQ(TimeText(), u"0 Seconds Remaining");

    // A crawl far slower than a count of seconds can hold shows the longest count, not garbage.
    mBar->EnableTimeEstimate(true);
    mServices->seconds = 1e12;
    mBar->SetNormalizedValue(0.1 + 1e-9);
    EXPECT_EQ(TimeText().substr(0, 6), u"596523")
        << std::string(NString(mTime->GetText().GetString()).GetString());
}

TEST_F(ProgressBarTest, ABarWithoutItsPartsIsASkinError) {
    try {
        Create(u"noTime");
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Runtime Error : Null Pointer : Cannot find child timeRemainingLabel : ", 0), 0u)
            << text;
        EXPECT_NE(text.find("LProgressBar::Initialize"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace QV
