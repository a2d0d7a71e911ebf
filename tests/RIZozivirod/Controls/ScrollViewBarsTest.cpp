#include <gtest/gtest.h>

#include <cmath>

#include "RIZozivirod/ControlBase/PointerParams.h"
#include "RIZozivirod/Controls/ScrollView.h"
#include "RIZozivirod/Controls/Scrollbar.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

// A 200 x 100 view with a 14-pixel corner and both bars, at (0, 0) in the window.
class ScrollViewBarsTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        const std::string docked = R"(XIsDocked="True" YIsDocked="True")";
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
          <SubControl Class="Framework.Panel" Name="View" XSizeAbs="200" YSizeAbs="100"><Skin Name="s" LookList="Solid"/>
            <SubControl Class="Test.Control" Name="corner" )" +
                 docked + R"( XPositionRel="1" XPlacementAnchor="1" YPositionRel="1" YPlacementAnchor="1"
                        XSizeAbs="14" YSizeAbs="14"><Skin Name="s" LookList="Solid"/></SubControl>)" +
                 TestSupport::VerticalBar("vBar",
                                          docked + R"( XPositionRel="1" XPlacementAnchor="1" XSizeAbs="14"
                                                  YSizeToControl="corner" YSizeRel="0" YSizeAbs="0")",
                                          14) +
                 TestSupport::HorizontalBar("hBar",
                                            docked + R"( YPositionRel="1" YPlacementAnchor="1" YSizeAbs="14"
                                                    XSizeToControl="corner" XSizeRel="0" XSizeAbs="0")",
                                            14) +
                 "</SubControl></SubControl></Skin>");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mView = RCPtr<LScrollView>(dynamic_cast<LScrollView*>(Find(mMain, u"View").Get()));
        ASSERT_TRUE(mView);
        ASSERT_TRUE(mView->GetVerticalBar());
        ASSERT_TRUE(mView->GetHorizontalBar());
    }
    void TearDown() override {
        mView = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    static bool Shown(const RCPtr<LScrollbar>& bar) {
        return bar->GetFrame().width > 0 && bar->GetFrame().height > 0;
    }

    RCPtr<LControl> mMain;
    RCPtr<LScrollView> mView;
};

TEST_F(ScrollViewBarsTest, BarsShowWhereTheContentDoesNotFitWithThumbAndStepsFromViewAndExtent) {
    const struct {
        double width;
        double height;
        bool h;
        bool v;
        double vThumb;  // thumb fraction of the vertical bar (1 when hidden)
        double vPage;
    } cases[] = {
        {100, 50, false, false, 1, 1},
        {150, 300, false, true, 100.0 / 300, 0.5},  // the 186 left beside the bar still hold 150
        {300, 50, true, false, 1, 1},
        {300, 95, true, true, 86.0 / 95, 1},  // the horizontal bar pushes the content under the other
        {195, 300, true, true, 86.0 / 300, 86.0 / 214},  // the vertical bar makes the view too narrow
        {210, 50, true, false, 1, 1},                    // overhangs by less than the corner: still a bar
        {100, 50, false, false, 1, 1},                   // and both go again
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        mView->SetClientExtent({c.width, c.height});
        EXPECT_EQ(Shown(mView->GetHorizontalBar()), c.h);
        EXPECT_EQ(Shown(mView->GetVerticalBar()), c.v);
        EXPECT_NEAR(mView->GetVerticalBar()->thumbFraction, c.vThumb, 1e-6);
        EXPECT_NEAR(mView->GetVerticalBar()->pageStep, c.vPage, 1e-6);
        EXPECT_NEAR(mView->GetVerticalBar()->lineStep, c.vPage / 10, 1e-6);
        RectT<double> view;
        mView->GetViewRect(view);
        EXPECT_EQ(view.width, c.v ? 186.0 : 200.0);
        EXPECT_EQ(view.height, c.h ? 86.0 : 100.0);
    }
}

TEST_F(ScrollViewBarsTest, OffsetAndBarsStayInStepWithoutEchoes) {
    mView->SetClientExtent({150, 1000});
    const RCPtr<LScrollbar>& bar = mView->GetVerticalBar();
    RCPtr<NotificationRecorder> barValues =
        NotificationRecorder::Create(RCPtr<LControl>(bar), {u"NID_VALUE_CHANGE"});
    RCPtr<NotificationRecorder> offsets =
        NotificationRecorder::Create(RCPtr<LControl>(mView), {u"NID_SCROLL_OFFSET_CHANGE"});
    bar->SetNormalizedValue(0.5);
    EXPECT_EQ(mView->GetScrollOffset().y, 450.0);  // half of 1000 - 100
    EXPECT_EQ(barValues->GetNames().size(), 1u);
    EXPECT_EQ(offsets->GetNames().size(), 1u);
    mView->SetScrollOffset({0, 225});
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.25);
    EXPECT_EQ(mView->GetScrollOffset().y, 225.0);
    EXPECT_EQ(offsets->GetNames().size(), 2u);
}

TEST_F(ScrollViewBarsTest, WheelStepsByLinesPagesAndAltTurnsItSideways) {
    mView->SetClientExtent({600, 1000});  // both bars
    InputDriver driver(mWindow);
    driver.MoveTo(50, 50);
    const RCPtr<LScrollbar>& v = mView->GetVerticalBar();
    const RCPtr<LScrollbar>& h = mView->GetHorizontalBar();
    // The content moves by whole pixels and the bar follows the content: 914 and 414 pixels of
    // range on the two axes.
    const double line = v->lineStep;
    EXPECT_EQ(driver.Wheel(0), 0);
    EXPECT_EQ(mView->GetScrollOffset().y, std::round(line * 914));
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), mView->GetScrollOffset().y / 914);
    driver.Wheel(1);
    EXPECT_EQ(mView->GetScrollOffset().y, 0.0);
    driver.Wheel(0, 0x8);  // Shift: a page
    EXPECT_EQ(mView->GetScrollOffset().y, std::round(v->pageStep * 914));
    driver.Wheel(0, 0x40);  // Alt: the horizontal bar
    EXPECT_EQ(mView->GetScrollOffset().x, std::round(h->lineStep * 414));
    driver.Wheel(3);  // sideways away: back
    EXPECT_EQ(mView->GetScrollOffset().x, 0.0);
    // Without bars the wheel is not taken.
    mView->SetClientExtent({10, 10});
    RCPtr<LMouseWheelParam> wheel(new LMouseWheelParam(50, 50, 0, 0));
    EXPECT_EQ(mView->HandleMouseWheel(wheel), 1);
}

}  // namespace
}  // namespace QV
