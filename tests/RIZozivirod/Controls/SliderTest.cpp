#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/Slider.h"
#include "RIZozivirod/ObjectBase/Holder.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

// A slider of 200 x 120 whose 10 x 10 thumb runs from the start marker to the end marker.
std::string SliderAt(const std::string& name, int x, int y, int sx, int sy, int ex, int ey) {
    auto at = [](int px, int py) {
        return "XPositionAbs=\"" + std::to_string(px) + "\" YPositionAbs=\"" + std::to_string(py) + "\"";
    };
    return R"(<SubControl Class="Framework.Slider" Name=")" + name + "\" " + at(x, y) +
           R"( XSizeAbs="200" YSizeAbs="120"><Skin Name="sl" LookList="Channel">
             <SubControl Class="Framework.Button" Name="thumbStart" )" +
           at(sx, sy) + R"( XSizeAbs="10" YSizeAbs="10"><Skin Name="b" LookList="Solid"/></SubControl>
             <SubControl Class="Test.Control" Name="thumbEnd" )" +
           at(ex, ey) + R"( XSizeAbs="10" YSizeAbs="10"><Skin Name="b" LookList="Solid"/></SubControl>
           </Skin></SubControl>)";
}

class SliderTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid">)" +
                 SliderAt("flat", 10, 10, 0, 0, 100, 0) + SliderAt("slanted", 10, 140, 0, 100, 100, 0) +
                 SliderAt("point", 220, 10, 50, 50, 50, 50) + "</Skin></SubControl></Skin>");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mDriver = std::make_unique<InputDriver>(mWindow);
    }
    void TearDown() override {
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    RCPtr<LSlider> Get(const char16_t* name) {
        return RCPtr<LSlider>(dynamic_cast<LSlider*>(Find(mMain, name).Get()));
    }
    static PointT<double> ThumbAt(const RCPtr<LSlider>& slider) {
        return {slider->GetThumb()->GetFrame().x, slider->GetThumb()->GetFrame().y};
    }
    void Pass(uint32_t ms, uint32_t step = 10) {
        for (uint32_t t = 0; t < ms; t += step) {
            mServices->AdvanceMs(step);
            mWindow->SendIdle();
        }
    }

    RCPtr<LControl> mMain;
    std::unique_ptr<InputDriver> mDriver;
};

TEST_F(SliderTest, ThumbIsACopyOfTheStartMarkerThatFollowsTheValue) {
    RCPtr<LSlider> slider = Get(u"flat");
    ASSERT_TRUE(slider);
    ASSERT_TRUE(slider->GetThumb());
    EXPECT_TRUE(slider->GetThumb()->IsVisible());
    EXPECT_FALSE(Find(slider, u"thumbStart")->IsVisible());
    EXPECT_FALSE(Find(slider, u"thumbEnd")->IsVisible());
    EXPECT_EQ(slider->GetThumb()->GetFrame().width, 10.0);
    slider->SetNormalizedValue(0.5);
    EXPECT_EQ(ThumbAt(slider).x, 50.0);
    EXPECT_EQ(ThumbAt(slider).y, 0.0);
    EXPECT_DOUBLE_EQ(slider->GetValue(), 63.5);
    RCPtr<LSlider> slanted = Get(u"slanted");
    slanted->SetNormalizedValue(0.25);
    EXPECT_EQ(ThumbAt(slanted).x, 25.0);
    EXPECT_EQ(ThumbAt(slanted).y, 75.0);
    // A child attached without a descriptor must be the thumb.
    RCPtr<LControl> stray(new LControl(nullptr, u"stray"));
    EXPECT_EQ(slider->AttachChild(stray, nullptr), E_FAIL);
}

TEST_F(SliderTest, PointsProjectOntoTheTrack) {
    RCPtr<LSlider> slanted = Get(u"slanted");
    const struct {
        int x, y;
        int px, py;
    } cases[] = {
        {100, 100, 50, 50},  // the foot of the perpendicular
        {0, 0, 50, 50},
        {300, -50, 100, 0},  // beyond the end marker: clamped to it
        {-40, 200, 0, 100},  // before the start marker
    };
    for (const auto& c : cases) {
        const PointT<int32_t> p = slanted->ProjectPoint(c.x, c.y);
        EXPECT_EQ(p.x, c.px) << c.x << "," << c.y;
        EXPECT_EQ(p.y, c.py) << c.x << "," << c.y;
    }
    EXPECT_NEAR(slanted->ValueAtPoint(50, 50), 0.5, 1e-12);
    // Markers on one spot: no track, nothing moves and no value is lost.
    RCPtr<LSlider> point = Get(u"point");
    point->SetNormalizedValue(0.4);
    const PointT<int32_t> p = point->ProjectPoint(150, 0);
    EXPECT_EQ(p.x, 50);
    EXPECT_EQ(p.y, 50);
    EXPECT_DOUBLE_EQ(point->ValueAtPoint(150, 0), 0.4);
    point->StepTowards({150, 0});
    EXPECT_DOUBLE_EQ(point->GetNormalizedValue(), 0.4);
}

TEST_F(SliderTest, DraggingTheThumbDefersOutsideValuesAndReportsTheCapture) {
    RCPtr<LSlider> slider = Get(u"flat");
    slider->SetNormalizedValue(0.5);
    RCPtr<NotificationRecorder> recorder = NotificationRecorder::Create(
        RCPtr<LNotificationDistributor>(slider.Get()), {u"NID_VALUE_CHANGE_CAPTURE", u"NID_VALUE_CHANGE"});
    mDriver->MoveTo(10 + 50, 10);  // the thumb's corner
    ASSERT_EQ(mDriver->Press(1).Get(), static_cast<LControl*>(slider->GetThumb().Get()));
    mDriver->MoveTo(10 + 51, 10);
    EXPECT_TRUE(slider->IsDraggingThumb());
    mDriver->MoveTo(10 + 75, 10 + 40);
    EXPECT_EQ(ThumbAt(slider).x, 75.0);
    EXPECT_EQ(ThumbAt(slider).y, 0.0);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.75);
    EXPECT_DOUBLE_EQ(slider->SetNormalizedValue(0.3), 0.75);
    mDriver->MoveTo(10 + 190, 10);  // past the end
    EXPECT_EQ(ThumbAt(slider).x, 100.0);
    mDriver->Release(1);
    EXPECT_FALSE(slider->IsDraggingThumb());
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.3);
    EXPECT_EQ(ThumbAt(slider).x, 30.0);
    const std::vector<std::u16string>& names = recorder->GetNames();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names.front(), u"NID_VALUE_CHANGE_CAPTURE");
    EXPECT_EQ(names.back(), u"NID_VALUE_CHANGE_CAPTURE");
    EXPECT_EQ(names[names.size() - 2], u"NID_VALUE_CHANGE");  // the deferred value comes first
    EXPECT_TRUE(dynamic_cast<LHolder<bool>*>(recorder->GetParams().front().Get())->GetValue());
    EXPECT_FALSE(dynamic_cast<LHolder<bool>*>(recorder->GetParams().back().Get())->GetValue());
}

TEST_F(SliderTest, TrackStepsTowardsThePointerAndRepeatsWhileHeld) {
    RCPtr<LSlider> slider = Get(u"flat");
    const struct {
        double from;
        int x;  // pointer on the track, slider coordinates (the thumb aims with its centre, 5 in)
        double to;
    } cases[] = {{0.2, 85, 0.3}, {0.5, 60, 0.55}, {0.5, 5, 0.4}, {0.05, 5, 0.0}};
    for (const auto& c : cases) {
        slider->SetNormalizedValue(c.from);
        RCPtr<LMouseButtonParam> click(new LMouseButtonParam(c.x, 5, 0, 0, 1, false, 0));
        slider->HandleLeftClick(click);
        EXPECT_NEAR(slider->GetNormalizedValue(), c.to, 1e-12) << c.from << " " << c.x;
    }
    // Held on the track beyond the thumb: nothing until 0.3 s, then every 0.1 s; the release
    // is a click and steps once more.
    slider->SetNormalizedValue(0.0);
    mDriver->MoveTo(10 + 105, 10 + 50);
    ASSERT_EQ(mDriver->Press(1).Get(), static_cast<LControl*>(slider.Get()));
    EXPECT_TRUE(slider->IsHoldingTrack());
    Pass(290);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.0);
    Pass(20);
    EXPECT_NEAR(slider->GetNormalizedValue(), 0.1, 1e-12);
    Pass(100);
    EXPECT_NEAR(slider->GetNormalizedValue(), 0.2, 1e-12);
    mDriver->Release(1);
    EXPECT_NEAR(slider->GetNormalizedValue(), 0.3, 1e-12);
    EXPECT_FALSE(slider->IsHoldingTrack());
    EXPECT_EQ(slider->GetIdleWorkCount(), 0);
}

TEST_F(SliderTest, KeysAndWheelMoveByOneUserUnit) {
    RCPtr<LSlider> slider = Get(u"flat");
    slider->SetValue(125);
    RCPtr<NotificationRecorder> keys =
        NotificationRecorder::Create(RCPtr<LNotificationDistributor>(slider.Get()),
                                     {u"NID_VALUE_CHANGE_KEY_DOWN", u"NID_VALUE_CHANGE_KEY_UP"});
    for (int i = 0; i < 4; ++i) {
        slider->HandleUnprocessedKey(LKeyParam::Create(KeyCode(0x27, true, i > 0 ? 1 : 0, 0), true));
    }
    EXPECT_EQ(slider->GetValue(), 127.0);  // 126, 127, then held at the end
    EXPECT_TRUE(slider->IsKeyHeld());
    slider->HandleUnprocessedKey(LKeyParam::Create(KeyCode(0x27, false, 0, 0), true));
    EXPECT_FALSE(slider->IsKeyHeld());
    EXPECT_EQ(keys->GetNames(),
              (std::vector<std::u16string>{u"NID_VALUE_CHANGE_KEY_DOWN", u"NID_VALUE_CHANGE_KEY_UP"}));
    slider->HandleUnprocessedKey(LKeyParam::Create(KeyCode(0x28, true, 0, 0), true));
    EXPECT_EQ(slider->GetValue(), 126.0);
    const struct {
        bool horizontal;
        int direction;
        double change;
    } wheels[] = {{false, 1, 1}, {false, 0, -1}, {true, 3, 1}, {true, 2, -1}};
    slider->SetValue(60);
    for (const auto& w : wheels) {
        const double before = slider->GetValue();
        RCPtr<LMouseWheelParam> wheel(new LMouseWheelParam(0, 0, 0, w.direction));
        EXPECT_EQ(w.horizontal ? slider->HandleMouseHWheel(wheel) : slider->HandleMouseWheel(wheel), S_OK);
        EXPECT_DOUBLE_EQ(slider->GetValue() - before, w.change) << w.direction;
    }
}

}  // namespace
}  // namespace QV
