#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/LevelMeter.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

std::string MeterSkin(const std::string& name, const std::string& layout, const std::string& parts) {
    return R"(<SubControl Class="Framework.LevelMeter" Name=")" + name + "\" " + layout +
           R"(><Skin Name="m" LookList="Solid">)" + parts + "</Skin></SubControl>";
}

const std::string kOverlay =
    R"(<SubControl Class="Framework.Panel" Name="activeOverlay" XSizeAbs="1" YSizeAbs="1"><Skin Name="o" LookList="Solid"/></SubControl>)";
const std::string kClip =
    R"(<SubControl Class="Framework.Button" Name="clipButton" XPositionAbs="180" XSizeAbs="20" YSizeAbs="20"><Skin Name="c" LookList="Solid"/></SubControl>)";
const std::string kPeakLo =
    R"(<SubControl Class="Framework.Panel" Name="peakLo" XPositionAbs="10" XSizeAbs="2" YSizeAbs="20"><Skin Name="p" LookList="Solid"/></SubControl>)";
const std::string kPeakHi =
    R"(<SubControl Class="Framework.Panel" Name="peakHi" XPositionAbs="110" XSizeAbs="2" YSizeAbs="20"><Skin Name="p" LookList="Solid"/></SubControl>)";

class LevelMeterTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Framework.LevelMeter", &CreateControlFunction<LLevelMeter>);
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>)" +
                 MeterSkin("across", R"(XPositionAbs="10" YPositionAbs="10" XSizeAbs="200" YSizeAbs="20")",
                           kOverlay + kPeakLo + kPeakHi + kClip) +
                 MeterSkin("upright", R"(XPositionAbs="10" YPositionAbs="50" XSizeAbs="20" YSizeAbs="100")",
                           kOverlay) +
                 MeterSkin("lowOnly", R"(XPositionAbs="50" YPositionAbs="50" XSizeAbs="200" YSizeAbs="20")",
                           kOverlay + kPeakLo) +
                 "</SubControl>" + MeterSkin("bare", R"(XSizeAbs="200" YSizeAbs="20")", kClip) + "</Skin>");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mAcross = Meter(u"across");
    }
    void TearDown() override {
        mAcross = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    RCPtr<LLevelMeter> Meter(const std::u16string& name) {
        return RCPtr<LLevelMeter>(dynamic_cast<LLevelMeter*>(Find(mMain, name).Get()));
    }

    RCPtr<LControl> mMain;
    RCPtr<LLevelMeter> mAcross;
};

TEST_F(LevelMeterTest, OverlayLengthFollowsTheLevelAlongTheLongSide) {
    RCPtr<LLevelMeter> upright = Meter(u"upright");
    EXPECT_EQ(mAcross->GetOrientation(), 0);
    EXPECT_EQ(upright->GetOrientation(), 1);
    const struct {
        LLevelMeter* meter;
        double level;
        bool shown;
        double length;
    } cases[] = {
        {mAcross.Get(), 0.5, true, 100}, {mAcross.Get(), 0.0024, false, 0}, {mAcross.Get(), 0.0025, true, 1},
        {mAcross.Get(), 1.0, true, 200}, {upright.Get(), 0.25, true, 75},  // the unlit part from the top
        {upright.Get(), 1.0, false, 0},
    };
    for (const auto& c : cases) {
        c.meter->SetLevels(c.level, 0.0);
        RCPtr<LControl> overlay = c.meter->FindChild(u"activeOverlay");
        EXPECT_EQ(overlay->IsVisible(), c.shown) << c.level;
        if (c.shown) {
            const RectT<double>& frame = overlay->GetFrame();
            EXPECT_EQ(c.meter->GetOrientation() == 0 ? frame.width : frame.height, c.length) << c.level;
        }
        EXPECT_DOUBLE_EQ(c.meter->GetNormalizedValue(), c.level);
    }
    // A value set from outside redraws the bar too.
    mAcross->SetNormalizedValue(0.25);
    EXPECT_EQ(mAcross->FindChild(u"activeOverlay")->GetFrame().width, 50.0);
}

TEST_F(LevelMeterTest, PeakMarkerMovesBetweenItsMarksAndNeedsBoth) {
    RCPtr<LControl> marker = mAcross->FindChild(u"peakLo");
    EXPECT_FALSE(marker->IsVisible());
    EXPECT_FALSE(mAcross->FindChild(u"peakHi")->IsVisible());
    mAcross->SetLevels(0.5, 0.5);
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    marker->GetPlacement(0, placement, size);
    EXPECT_EQ(placement.offset, 50.0);
    EXPECT_TRUE(marker->IsVisible());
    mAcross->SetLevels(0.5, 0.0);
    EXPECT_FALSE(marker->IsVisible());

    RCPtr<LLevelMeter> lowOnly = Meter(u"lowOnly");
    EXPECT_FALSE(lowOnly->HasPeakMarker());
    lowOnly->SetLevels(0.5, 1.0);
    EXPECT_FALSE(lowOnly->FindChild(u"peakLo")->IsVisible());
}

TEST_F(LevelMeterTest, ClipLightWithAndWithoutLatching) {
    const int32_t counts[] = {0, 1, 1, 1};
    const bool plain[] = {false, true, false, false};
    const bool latched[] = {false, true, true, true};
    for (int pass = 0; pass < 2; ++pass) {
        mAcross->SetClipCount(0);
        EXPECT_EQ(mAcross->SetClipLatching(pass == 1), S_OK);
        for (int i = 0; i < 4; ++i) {
            mAcross->SetLevels(0.5, 0.0, counts[i]);
            EXPECT_EQ(mAcross->IsClipLit(), pass == 1 ? latched[i] : plain[i]) << pass << " " << i;
        }
    }
    EXPECT_EQ(mAcross->GetClipCount(), 1);

    // Latched: the user's click on the lit light turns it off and says so; a second click does not.
    RCPtr<NotificationRecorder> recorder =
        NotificationRecorder::Create(mAcross, {u"NID_CLIPLIGHT_UNLATCHED"});
    InputDriver driver(mWindow);
    driver.Click(10 + 190, 10 + 10);
    EXPECT_FALSE(mAcross->IsClipLit());
    driver.Click(10 + 190, 10 + 10);
    EXPECT_EQ(recorder->GetNames().size(), 1u);

    // Setting the same latching again still turns the light off; off again, clicks are ignored.
    mAcross->SetLevels(0.5, 0.0, 2);
    EXPECT_TRUE(mAcross->IsClipLit());
    EXPECT_EQ(mAcross->SetClipLatching(true), S_OK);
    EXPECT_FALSE(mAcross->IsClipLit());
    EXPECT_EQ(mAcross->SetClipLatching(false), S_OK);
    mAcross->SetLevels(0.5, 0.0, 3);
    driver.Click(10 + 190, 10 + 10);
    EXPECT_EQ(recorder->GetNames().size(), 1u);
    recorder->UnregisterAll();

    EXPECT_EQ(Meter(u"upright")->SetClipLatching(true), E_FAIL);
    Meter(u"upright")->SetLevels(0.5, 0.0, 5);  // no light to light: the bar still follows
    EXPECT_FALSE(Meter(u"upright")->IsClipLit());
}

TEST_F(LevelMeterTest, AMeterWithoutItsBarIsASkinError) {
    try {
        Create(u"bare");
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Runtime Error : Null Pointer : Cannot find child activeOverlay : ", 0), 0u)
            << text;
        EXPECT_NE(text.find("QV::LLevelMeter::Initialize : RIZozivirod/Controls/LevelMeter.cpp : Line "),
                  std::string::npos)
            << text;
    }
}

}  // namespace
}  // namespace QV
