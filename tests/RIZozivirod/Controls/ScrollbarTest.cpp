#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "RIZozivirod/ControlBase/ControlParams.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/Scrollbar.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

// A vertical bar 17 wide and 134 high in a window: dec 0-17, channel 17-117 (100 long), inc 117-134.
class ScrollbarTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>)" +
                 TestSupport::VerticalBar(
                     "bar", R"(XPositionAbs="10" YPositionAbs="10" XSizeAbs="17" YSizeAbs="134")", 17) +
                 "</SubControl></Skin>");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mBar = RCPtr<LScrollbar>(dynamic_cast<LScrollbar*>(Find(mMain, u"bar").Get()));
        ASSERT_TRUE(mBar);
        mDriver = std::make_unique<InputDriver>(mWindow);
    }
    void TearDown() override {
        mBar = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    double ThumbTop() { return Find(mMain, u"bar/channel/thumb")->GetFrame().y; }
    void Pass(uint32_t ms, uint32_t step = 10) {
        for (uint32_t t = 0; t < ms; t += step) {
            mServices->AdvanceMs(step);
            mWindow->SendIdle();
        }
    }

    RCPtr<LControl> mMain;
    RCPtr<LScrollbar> mBar;
    std::unique_ptr<InputDriver> mDriver;
};

TEST_F(ScrollbarTest, ThumbIsAtLeastAsLongAsItIsThickAndFollowsTheValue) {
    EXPECT_TRUE(mBar->IsVertical());
    EXPECT_EQ(mBar->GetChannelEnd(), 100.0);
    EXPECT_EQ(mBar->GetThumbLength(), 17.0);
    const struct {
        double value;
        double top;
    } cases[] = {{0, 0}, {0.5, 42}, {1, 83}, {1.5, 83}, {-1, 0}};
    for (const auto& c : cases) {
        mBar->SetNormalizedValue(c.value);
        EXPECT_EQ(ThumbTop(), c.top) << c.value;
    }
    mBar->SetNormalizedValue(1);
    mBar->thumbFraction = 0.5;
    mBar->UpdateThumbSize();
    EXPECT_EQ(mBar->GetThumbLength(), 50.0);
    EXPECT_EQ(ThumbTop(), 50.0);
}

TEST_F(ScrollbarTest, KeysByOrientationAndMask) {
    const struct {
        uint32_t code;
        double from;
        double to;
        bool handled;
    } cases[] = {
        {0x20280000, 0.5, 0.52, true},  // Down
        {0x20260000, 0.5, 0.48, true},  // Up
        {0x20220000, 0.5, 0.7, true},   // Page Down
        {0x20240000, 0.5, 0.0, true},   // Home
        {0x20230000, 0.5, 1.0, true},   // End
        {0x20280000, 0.99, 1.0, true},  // clamped
        {0x20250000, 0.5, 0.5, false},  // Left: not on a vertical bar
        {0x22280000, 0.5, 0.5, false},  // Shift+Down
    };
    for (const auto& c : cases) {
        mBar->SetNormalizedValue(c.from);
        RCPtr<LSiblingKeyParam> key = LSiblingKeyParam::Create(KeyCode(), nullptr);
        key->key = KeyCode(static_cast<uint32_t>((c.code >> 16) & 0xFF), true, 0,
                           (c.code & 0x02000000) != 0 ? KeyCode::kShift : 0);
        mBar->ReceiveNotification(nullptr, LNotification::Create(u"NID_SIBLING_KEY", key));
        EXPECT_NEAR(mBar->GetNormalizedValue(), c.to, 1e-12) << std::hex << c.code;
        EXPECT_EQ(key->result == 0, c.handled) << std::hex << c.code;
    }
    EXPECT_EQ(mBar->SetKeyMask(0x100), E_INVALIDARG);
}

TEST_F(ScrollbarTest, RangeChangeKeepsTheUserValue) {
    mBar->SetNormalizedValue(0.5);
    EXPECT_EQ(mBar->SetValueRange(0, 200, 0), S_OK);
    EXPECT_DOUBLE_EQ(mBar->GetNormalizedValue(), 0.25);
    EXPECT_EQ(mBar->SetValueRange(0, 50, 1), E_INVALIDARG);
    EXPECT_DOUBLE_EQ(mBar->GetValue(), 50.0);
}

TEST_F(ScrollbarTest, StepButtonsStepByLinesAndRepeatWhileHeld) {
    mDriver->Click(15, 130);  // inc
    EXPECT_NEAR(mBar->GetNormalizedValue(), 0.02, 1e-12);
    mDriver->MoveTo(15, 130);
    mDriver->Press(1);
    Pass(450);  // at the press, 0.3 s and 0.4 s
    mDriver->Release(1);
    EXPECT_NEAR(mBar->GetNormalizedValue(), 0.02 * 4, 1e-12);
    mDriver->Click(15, 12);  // dec
    EXPECT_NEAR(mBar->GetNormalizedValue(), 0.02 * 3, 1e-12);
}

TEST_F(ScrollbarTest, ChannelPagesAtOnceAfterTheDelayAndThenUntilTheThumbReachesThePointer) {
    RCPtr<LControl> channel = Find(mMain, u"bar/channel");
    // Below the thumb, near the end of the channel (channel y 90).
    mDriver->MoveTo(15, 10 + 17 + 90);
    ASSERT_EQ(mDriver->Press(1).Get(), channel.Get());
    EXPECT_EQ(mBar->GetPagingDirection(), 2);
    EXPECT_NEAR(mBar->GetNormalizedValue(), 0.2, 1e-12);
    EXPECT_EQ(channel->GetLookWeight(1), 1.0f);  // the paged part is highlighted
    Pass(390);
    EXPECT_NEAR(mBar->GetNormalizedValue(), 0.2, 1e-12);
    Pass(20);
    EXPECT_NEAR(mBar->GetNormalizedValue(), 0.4, 1e-12);
    // Off the channel the countdown stands still.
    mDriver->MoveTo(300, 200);
    Pass(1000);
    EXPECT_NEAR(mBar->GetNormalizedValue(), 0.4, 1e-12);
    mDriver->MoveTo(15, 10 + 17 + 90);
    Pass(2000);
    // The thumb (17 long) has reached the pointer at 90: paging stopped before going past it.
    EXPECT_GE(ThumbTop() + 17, 90.0);
    EXPECT_LE(ThumbTop(), 90.0);
    const double reached = mBar->GetNormalizedValue();
    Pass(1000);
    EXPECT_EQ(mBar->GetNormalizedValue(), reached);
    mDriver->Release(1);
    EXPECT_EQ(mBar->GetPagingDirection(), 0);
    EXPECT_EQ(channel->GetLookWeight(1), 0.0f);
    EXPECT_EQ(mBar->GetIdleWorkCount(), 0);
}

TEST_F(ScrollbarTest, ThumbDragSetsTheValueAndDefersValuesFromElsewhere) {
    RCPtr<NotificationRecorder> values =
        NotificationRecorder::Create(RCPtr<LControl>(mBar), {u"NID_VALUE_CHANGE"});
    mDriver->MoveTo(15, 10 + 17 + 5);  // on the thumb, 5 below its top
    mDriver->Press(1);
    mDriver->MoveTo(15, 10 + 17 + 5 + 1);
    mDriver->MoveTo(15, 10 + 17 + 5 + 40);
    EXPECT_TRUE(mBar->IsDraggingThumb());
    EXPECT_EQ(ThumbTop(), 40.0);
    EXPECT_NEAR(mBar->GetNormalizedValue(), 40.0 / 83.0, 1e-12);
    const double during = mBar->GetNormalizedValue();
    EXPECT_EQ(mBar->SetNormalizedValue(0.7), during);
    mDriver->MoveTo(15, 300);  // past the end: clamped
    EXPECT_EQ(ThumbTop(), 83.0);
    mDriver->Release(1);
    EXPECT_DOUBLE_EQ(mBar->GetNormalizedValue(), 0.7);
    EXPECT_EQ(ThumbTop(), std::round(83 * 0.7));
    EXPECT_FALSE(values->GetNames().empty());
}

TEST_F(ScrollbarTest, AThumbThatFillsTheChannelStaysAtTheStartWithoutDividingByZero) {
    mBar->thumbFraction = 1.0;
    mBar->UpdateThumbSize();
    ASSERT_EQ(mBar->GetThumbLength(), 100.0);
    mBar->SetNormalizedValue(0.5);
    EXPECT_EQ(ThumbTop(), 0.0);
    mDriver->MoveTo(15, 10 + 17 + 50);
    mDriver->Press(1);
    mDriver->MoveTo(15, 10 + 17 + 51);
    mDriver->MoveTo(15, 10 + 17 + 90);
    EXPECT_EQ(ThumbTop(), 0.0);
    const double dragged = mBar->GetNormalizedValue();
    EXPECT_TRUE(dragged >= 0.0 && dragged <= 1.0) << dragged;  // never NaN
    mDriver->Release(1);
    EXPECT_EQ(ThumbTop(), 0.0);
    EXPECT_FALSE(std::isnan(mBar->GetNormalizedValue()));
}

}  // namespace
}  // namespace QV
