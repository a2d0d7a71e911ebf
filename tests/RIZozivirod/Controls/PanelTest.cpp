#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/TestFonts.h"

namespace QV {
namespace {

// Top: A, the nested panel Inner (C, D), B in tab order; a label; a scroll view whose extent
// follows its children.
const char* const kSkin = R"(
<Colorizers><Colorizer Name="Ink" ColorType="SolidFill" Color="0xFF000000"/></Colorizers>
<Parts><Part Name="Ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="Ink"/></Parts>
<Looks><Look Name="Text">
  <TextProperties TextLeftRel="0" TextLeftAbs="2" TextRightRel="1" TextRightAbs="-2" TextHAlign="0" TextTopRel="0"
      TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart="Ink"/></Look></Looks>
<LookLists><LookList Name="Text" NumLooks="1"><Look Name="Text" Index="0"/></LookList></LookLists>
<Skin Name="Default">
  <SubControl Class="Framework.Panel" Name="Top" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
      YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="s"/>
    <SubControl Class="Test.Control" Name="A" TabStop="1" XSizeAbs="20" YSizeAbs="20"><Skin Name="s"/></SubControl>
    <SubControl Class="Framework.Panel" Name="Inner" TabStop="2" YPositionAbs="30" XSizeAbs="100" YSizeAbs="40">
      <Skin Name="s"/>
      <SubControl Class="Test.Control" Name="C" TabStop="1" XSizeAbs="20" YSizeAbs="20"><Skin Name="s"/></SubControl>
      <SubControl Class="Test.Control" Name="D" TabStop="2" XPositionAbs="30" XSizeAbs="20" YSizeAbs="20">
        <Skin Name="s"/></SubControl>
    </SubControl>
    <SubControl Class="Test.Control" Name="B" TabStop="3" YPositionAbs="80" XSizeAbs="20" YSizeAbs="20"><Skin Name="s"/>
      </SubControl>
    <SubControl Class="Framework.Label" Name="Caption" TabStop="4" YPositionAbs="110" XSizeAbs="60" YSizeAbs="20">
      <Skin Name="s" LookList="Text"/></SubControl>
    <SubControl Class="Framework.Panel" Name="View" TabStop="-1" XPositionAbs="200" XSizeAbs="100" YSizeAbs="100">
      <CreateParamList><CreateParam ID="AUTO_CLIENT_EXTENT_X">True</CreateParam>
        <CreateParam ID="AUTO_CLIENT_EXTENT_Y"> true</CreateParam></CreateParamList>
      <Skin Name="s"/>
      <SubControl Class="Test.Control" Name="Far" XPositionAbs="150" YPositionAbs="250" XSizeAbs="20" YSizeAbs="30">
        <Skin Name="s"/></SubControl>
    </SubControl>
  </SubControl></Skin>)";

class PanelTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        TestSupport::UseTestFonts();
        mServices->measuringRenderer = RCPtr<LGDIRenderer>(new LGDIRenderer());
        LoadSkin(kSkin);
        top = CreateInWindow(u"Top");
        ASSERT_TRUE(top);
        ASSERT_EQ(ControlEventDriver(mWindow).FocusWindow(), S_OK);
    }
    void TearDown() override {
        top = nullptr;
        ControlTestFixture::TearDown();
    }
    // A Tab (Shift or Ctrl as given) left unused by the focused control, as the key road hands
    // it to the focused control's parent.
    void Tab(uint32_t modifiers) {
        RCPtr<LControl> focus = mWindow->GetFocusControl();
        ASSERT_TRUE(focus);
        RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode(9u, true, 0, modifiers), true);
        key->path.Add(focus);
        focus->GetParent()->HandleNavigationKey(key);
    }
    std::u16string Focused() {
        RCPtr<LControl> focus = mWindow->GetFocusControl();
        return focus ? focus->GetName().GetString() : u"";
    }

    RCPtr<LControl> top;
};

TEST_F(PanelTest, TabLeavesANestedPanelAtEitherEndAndCtrlTabGoesStraightUp) {
    EXPECT_EQ(Focused(), u"A");
    Tab(0);
    EXPECT_EQ(Focused(), u"C");
    Tab(0);
    EXPECT_EQ(Focused(), u"D");
    Tab(0);
    EXPECT_EQ(Focused(), u"B") << "past the nested panel's last child";
    Tab(KeyCode::kShift);
    EXPECT_EQ(Focused(), u"D");
    Tab(KeyCode::kShift);
    Tab(KeyCode::kShift);
    EXPECT_EQ(Focused(), u"A") << "before the nested panel's first child";
    Tab(0);
    Tab(KeyCode::kCtrl);
    EXPECT_EQ(Focused(), u"C") << "Ctrl+Tab never moves the focus inside a panel";
    // The top panel wraps.
    Tab(KeyCode::kShift);
    Tab(KeyCode::kShift);
    EXPECT_EQ(Focused(), u"B");
}

// With A and B hidden, the nested panel holds the only stops: Tab past its last one comes round
// to its first, Shift+Tab past its first to its last.
TEST_F(PanelTest, TabWrapsInsideTheOnlyPanelLeftWithStops) {
    Find(top, u"A")->SetVisible(false);
    Find(top, u"B")->SetVisible(false);
    ASSERT_EQ(Find(top, u"Inner/D")->SetFocus(true), S_OK);
    Tab(0);
    EXPECT_EQ(Focused(), u"C");
    Tab(KeyCode::kShift);
    EXPECT_EQ(Focused(), u"D");
    Tab(KeyCode::kCtrl);
    EXPECT_EQ(Focused(), u"D") << "Ctrl+Tab still moves nothing";
}

TEST_F(PanelTest, APanelWithNothingElseToFocusPassesTabOn) {
    Tab(0);
    ASSERT_EQ(Focused(), u"C");
    Find(top, u"Inner/D")->SetVisible(false);
    Tab(0);
    EXPECT_EQ(Focused(), u"B");
    // With every child disabled or hidden the panel is no stop: it never holds the focus itself.
    Find(top, u"Inner/C")->SetEnabled(false);
    Tab(KeyCode::kShift);
    EXPECT_EQ(Focused(), u"A");
    Tab(0);
    EXPECT_EQ(Focused(), u"B");
    RCPtr<LPanel> inner = Find(top, u"Inner");
    EXPECT_TRUE(inner->HasPanelHandler());
    EXPECT_FALSE(RCPtr<LPanel>(top)->HasPanelHandler()) << "a top-level panel has no parent to listen to";
}

TEST_F(PanelTest, LabelsNeverTakeTheFocusAndShowCutTextAsTheirToolTip) {
    RCPtr<LControl> caption = Find(top, u"Caption");
    EXPECT_TRUE(caption->IsNotFocusable());
    EXPECT_FALSE(caption->CanTakeFocus());
    EXPECT_EQ(caption->GetToolTipText(), u"");
    caption->SetText(u"Cutoff");
    EXPECT_FALSE(caption->IsTextClipped());
    EXPECT_EQ(caption->GetToolTipText(), u"");
    const WString longText(u"Filter envelope release velocity");
    caption->SetText(longText);
    EXPECT_TRUE(caption->IsTextClipped());
    EXPECT_EQ(std::u16string(caption->GetToolTipText().GetString()), longText.GetString());
}

TEST_F(PanelTest, AutoClientExtentFollowsTheChildrenAndLimitsTheScrollRange) {
    RCPtr<LScrollView> view = Find(top, u"View");
    EXPECT_EQ(view->GetClientExtent(), (PointT<double>{170, 280}));
    RectT<double> range;
    view->GetScrollRange(range, nullptr);
    EXPECT_EQ(range, (RectT<double>{0, 0, 70, 180}));
    RCPtr<NotificationRecorder> extents = NotificationRecorder::Create(view, {u"NID_CLIENT_EXTENT_CHANGE"});
    EXPECT_EQ(view->SetClientExtent({170, 280}), 1);
    EXPECT_EQ(view->SetClientExtent({170 + 1e-15, 280}), 1);
    EXPECT_EQ(extents->GetNames().size(), 0u);
    // Moving the child grows the extent once.
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    RCPtr<LControl> far = Find(top, u"View/Far");
    far->GetPlacement(1, placement, size);
    placement.offset = 300;
    far->SetPlacement(1, placement, size);
    EXPECT_EQ(view->GetClientExtent(), (PointT<double>{170, 330}));
    EXPECT_EQ(extents->GetNames().size(), 1u);
    // A view without auto extent keeps (0, 0) and scrolls without limit.
    RCPtr<LScrollView> inner = Find(top, u"Inner");
    EXPECT_EQ(inner->GetClientExtent(), (PointT<double>{0, 0}));
    inner->GetScrollRange(range, nullptr);
    EXPECT_EQ(range.width, 4503599627370496.0);
}

}  // namespace
}  // namespace QV
