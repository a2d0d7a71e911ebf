#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "RIZozivirod/Controls/Knob.h"
#include "RIZozivirod/ObjectBase/Holder.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

std::string FrameLooks(const std::string& name, int frames) {
    std::string list = R"(<LookList Name=")" + name + R"(" NumLooks=")" + std::to_string(frames) + "\">";
    for (int i = 0; i < frames; ++i) {
        list += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    return list + "</LookList>";
}

std::string Knob(const std::string& name, int x, const std::string& looks, const std::string& params) {
    return R"(<SubControl Class="Framework.Knob" Name=")" + name + R"(" XPositionAbs=")" + std::to_string(x) +
           R"(" YPositionAbs="100" XSizeAbs="40" YSizeAbs="40"><CreateParamList>)" + params +
           R"(</CreateParamList><Skin Name="k")" + (looks.empty() ? "" : " LookList=\"" + looks + "\"") +
           "/></SubControl>";
}

std::string Param(const std::string& id, const std::string& value) {
    return R"(<CreateParam ID=")" + id + "\">" + value + "</CreateParam>";
}

// Knobs of 40 x 40 pixels side by side at y = 100, 50 pixels apart from x = 10.
class KnobTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Framework.Knob", &CreateControlFunction<LKnob>);
        std::string solid = TestSupport::SolidLooks();
        solid.insert(solid.find("</LookLists>"), FrameLooks("F64", 64) + FrameLooks("F100", 100));
        LoadSkin(
            solid + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>)" +
            Knob("linear", 10, "F64", "") + Knob("hundred", 60, "F100", "") +
            Knob("radial", 110, "F64",
                 Param("RADIAL_GESTURE_START_ANGLE", "225") + Param("RADIAL_GESTURE_END_ANGLE", "-225")) +
            Knob("fine", 160, "F64", Param("FINE_ADJUST_MULTIPLIER", "0.5")) +
            Knob("onePixel", 210, "F64", Param("LINEAR_GESTURE_FULL_RANGE", "1")) +
            Knob("frameless", 260, "", "") + "</SubControl></Skin>");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
    }
    void TearDown() override {
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    RCPtr<LKnob> Get(const std::u16string& name) {
        return RCPtr<LKnob>(dynamic_cast<LKnob*>(Find(mMain, name).Get()));
    }
    // Presses at (x, y) of the knob, moves by the steps, and releases.
    void Drag(const RCPtr<LKnob>& knob, int32_t x, int32_t y, std::initializer_list<PointT<int32_t>> steps) {
        InputDriver driver(mWindow);
        const int32_t left = static_cast<int32_t>(knob->GetFrame().x);
        const int32_t top = static_cast<int32_t>(knob->GetFrame().y);
        driver.MoveTo(left + x, top + y);
        driver.Press();
        for (const PointT<int32_t>& step : steps) {
            x += step.x;
            y += step.y;
            driver.MoveTo(left + x, top + y);
        }
        driver.Release();
    }

    RCPtr<LControl> mMain;
};

TEST_F(KnobTest, CreateParamsAndTheLinearRangeFromTheFrames) {
    const struct {
        const char16_t* name;
        bool radial;
        int32_t fullRange;
        double fine;
        uint32_t frames;
    } cases[] = {
        {u"linear", false, 128, 0.25, 64}, {u"hundred", false, 100, 0.25, 100},
        {u"radial", true, 0, 0.25, 64},    {u"fine", false, 128, 0.5, 64},
        {u"onePixel", false, 1, 0.25, 64}, {u"frameless", false, 128, 0.25, 0},
    };
    for (const auto& c : cases) {
        RCPtr<LKnob> knob = Get(c.name);
        ASSERT_TRUE(knob);
        EXPECT_EQ(knob->IsRadial(), c.radial);
        EXPECT_EQ(knob->GetFullRange(), c.fullRange);
        EXPECT_EQ(knob->GetFineAdjustMultiplier(), c.fine);
        EXPECT_EQ(knob->GetFrameCount(), c.frames);
    }
    EXPECT_EQ(Get(u"radial")->GetEndAngle(), 135.0);  // angles taken into [0, 360)
    EXPECT_EQ(Get(u"linear")->GetValue(), 0.0);
    EXPECT_EQ(Get(u"linear")->NormalizedFromValue(127.0), 1.0);
}

TEST_F(KnobTest, LinearDragsCoarseFineAndDiagonal) {
    RCPtr<LKnob> knob = Get(u"linear");
    RCPtr<NotificationRecorder> recorder = NotificationRecorder::Create(knob, {u"NID_VALUE_CHANGE_CAPTURE"});
    Drag(knob, 5, 20, {{127, 0}});
    EXPECT_EQ(knob->GetNormalizedValue(), 1.0);
    EXPECT_EQ(knob->GetCurrentLookIndex(), 63);
    ASSERT_EQ(recorder->GetParams().size(), 2u);
    EXPECT_TRUE(dynamic_cast<LHolder<bool>*>(recorder->GetParams()[0].Get())->GetValue());
    EXPECT_FALSE(dynamic_cast<LHolder<bool>*>(recorder->GetParams()[1].Get())->GetValue());
    recorder->UnregisterAll();

    // Upwards raises it too; a value set from outside during the drag waits for its end.
    knob->SetNormalizedValue(0.0);
    InputDriver driver(mWindow);
    driver.MoveTo(30, 130);
    driver.Press();
    driver.MoveTo(30, 130 - 10);
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), 10.0 / 127);
    EXPECT_DOUBLE_EQ(knob->SetNormalizedValue(0.5), 10.0 / 127);
    driver.Release();
    EXPECT_EQ(knob->GetNormalizedValue(), 0.5);
    EXPECT_EQ(knob->GetCurrentLookIndex(), 32);  // 31.5 rounds up

    // With Ctrl: a quarter as far, in steps of 1 / (4 x 128 - 1).
    knob->SetNormalizedValue(0.0);
    mServices->keyStates[17] = {true, false};
    Drag(knob, 5, 20, {{10, 0}});
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), std::round(511 * 2.5 / 127) / 511);
    mServices->keyStates.clear();

    // Mostly horizontal so far, then down-right: the vertical part of the step is ignored.
    knob->SetNormalizedValue(0.0);
    Drag(knob, 5, 5, {{4, 0}, {1, 3}});
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), 5.0 / 127);
}

TEST_F(KnobTest, RadialArcThroughTheTop) {
    RCPtr<LKnob> knob = Get(u"radial");
    const struct {
        double degrees;
        double value;
    } cases[] = {{0, 0.5}, {225, 0.0}, {135, 1.0}, {90, 5.0 / 6}, {170, 1.0}, {190, 0.0}, {180, 1.0}};
    for (const auto& c : cases) {
        knob->SetNormalizedValue(0.25);
        const double r = c.degrees / 57.29577951308232;
        // A press on the angle turns the knob there at once (the centre is at 20, 20).
        Drag(knob, 20 + static_cast<int32_t>(std::lround(15 * std::sin(r))),
             20 - static_cast<int32_t>(std::lround(15 * std::cos(r))), {{1, 0}});
        EXPECT_NEAR(knob->GetNormalizedValue(), c.value, 0.02) << c.degrees;
    }
    knob->SetNormalizedValue(0.25);
    knob->RadialUpdate({20, 20});  // the centre has no angle
    EXPECT_EQ(knob->GetNormalizedValue(), 0.25);
}

TEST_F(KnobTest, KeysAndWheelStepByOneUserUnit) {
    RCPtr<LKnob> knob = Get(u"linear");
    knob->SetValue(64);
    knob->SetFocus(true);
    RCPtr<NotificationRecorder> recorder =
        NotificationRecorder::Create(knob, {u"NID_VALUE_CHANGE_KEY_DOWN", u"NID_VALUE_CHANGE_KEY_UP"});
    InputDriver driver(mWindow);
    driver.Key(0x26);
    driver.Key(0x27);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 66);
    driver.Key(0x28);
    driver.Key(0x25);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 64);
    EXPECT_EQ(recorder->GetNames().size(), 1u);  // one key-down while a key is held
    Get(u"hundred")->SetFocus(true);             // losing the focus releases the key
    EXPECT_EQ(recorder->GetNames().back(), u"NID_VALUE_CHANGE_KEY_UP");
    driver.MoveTo(30, 120);
    driver.Wheel(1);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 65);
    driver.Wheel(2);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 64);
    recorder->UnregisterAll();
}

TEST_F(KnobTest, ARangeOfOnePixelOrNoFramesTurnsWithoutDividingByZero) {
    RCPtr<LKnob> one = Get(u"onePixel");
    Drag(one, 5, 20, {{1, 0}});
    EXPECT_EQ(one->GetNormalizedValue(), 1.0);
    Drag(one, 5, 20, {{-1, 0}});
    EXPECT_EQ(one->GetNormalizedValue(), 0.0);
    mServices->keyStates[17] = {true, false};
    Drag(one, 5, 20, {{1, 0}});
    EXPECT_DOUBLE_EQ(one->GetNormalizedValue(), 1.0 / 3);
    mServices->keyStates.clear();

    // Without frames there is no picture to pick, but the value still moves.
    RCPtr<LKnob> frameless = Get(u"frameless");
    frameless->SetFocus(true);
    InputDriver(mWindow).Key(0x26);
    EXPECT_DOUBLE_EQ(frameless->GetValue(), 1.0);
}

}  // namespace
}  // namespace QV
