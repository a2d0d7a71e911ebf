#include <gtest/gtest.h>

#include "RIZozivirod/Controls/ToolTip.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

class Tipped : public LControl {
public:
    using LControl::LControl;
    WString GetToolTipText() override { return text; }
    WString text = u"tip";
};

class ToolTipTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Test.Tipped", &CreateControlFunction<Tipped>);
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
            <SubControl Class="Test.Tipped" Name="one" XSizeAbs="50" YSizeAbs="20"><Skin Name="s" LookList="Solid"/></SubControl>
            <SubControl Class="Test.Tipped" Name="two" XPositionAbs="100" XSizeAbs="50" YSizeAbs="20"><Skin Name="s" LookList="Solid"/></SubControl>
            <SubControl Class="Test.Control" Name="quiet" XPositionAbs="200" XSizeAbs="50" YSizeAbs="20">
              <CreateParamList><CreateParam ID="USE_PARENT_TOOLTIP">true</CreateParam></CreateParamList>
              <Skin Name="s" LookList="Solid"/></SubControl>
          </SubControl>
          <SubControl Class="Framework.ToolTip" Name="toolTip" XSizeAbs="60" YSizeAbs="22" ClipToParent="False" Z_Order="9999">
            <Skin Name="s" LookList="Solid"/></SubControl></Skin>)");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
    }
    void TearDown() override {
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    void Pass(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 10) {
            mServices->AdvanceMs(10);
            mWindow->SendIdle();
        }
    }
    LToolTip* Tip(const char16_t* owner) {
        return dynamic_cast<LToolTip*>(Find(mMain, std::u16string(owner) + u"/toolTip").Get());
    }

    RCPtr<LControl> mMain;
};

TEST_F(ToolTipTest, AppearsAfterHalfASecondBelowThePointerAndGoesAfterFive) {
    mWindow->SetCursorPosForTest({30, 10});
    RCPtr<LControl> one = Find(mMain, u"one");
    ASSERT_EQ(one->ShowToolTip(true), S_OK);
    LToolTip* tip = Tip(u"one");
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->GetText(), u"tip");
    Pass(500);
    EXPECT_FALSE(tip->IsVisible());
    Pass(10);
    EXPECT_TRUE(tip->IsVisible());
    EXPECT_EQ(tip->GetRectInWindow().x, 30.0);
    EXPECT_EQ(tip->GetRectInWindow().y, 30.0);
    Pass(5000);
    EXPECT_TRUE(tip->IsVisible());
    Pass(20);  // hidden, then taken out of the tree on the next idle pass
    EXPECT_EQ(Tip(u"one"), nullptr);
}

TEST_F(ToolTipTest, NextTipIsImmediateOnlyAfterAVisibleTipWasJustHidden) {
    RCPtr<LControl> one = Find(mMain, u"one");
    RCPtr<LControl> two = Find(mMain, u"two");
    one->ShowToolTip(true);
    Pass(100);
    one->ShowToolTip(false);  // hidden while still waiting
    two->ShowToolTip(true);
    EXPECT_FALSE(Tip(u"two")->IsVisible());
    Pass(600);
    ASSERT_TRUE(Tip(u"two")->IsVisible());
    two->ShowToolTip(false);
    Pass(40);
    one->ShowToolTip(true);
    EXPECT_TRUE(Tip(u"one")->IsVisible());
    one->ShowToolTip(false);
    Pass(20);
}

TEST_F(ToolTipTest, StaysInsideTheWindowAndOwnersFollowUseParentToolTip) {
    mWindow->SetCursorPosForTest({390, 290});
    RCPtr<LControl> one = Find(mMain, u"one");
    one->ShowToolTip(true);
    Pass(510);
    LToolTip* tip = Tip(u"one");
    ASSERT_TRUE(tip->IsVisible());
    EXPECT_EQ(tip->GetRectInWindow().x + tip->GetFrame().width, 400.0);
    EXPECT_EQ(tip->GetRectInWindow().y + tip->GetFrame().height, 300.0);
    one->ShowToolTip(false);
    Pass(20);

    // An owner with no text of its own: its parent's when it asks for it, else its own.
    RCPtr<LControl> quiet = Find(mMain, u"quiet");
    EXPECT_EQ(quiet->GetTooltipOwner().Get(), mMain.Get());
    EXPECT_EQ(Find(mMain, u"two")->GetTooltipOwner().Get(), Find(mMain, u"two").Get());
    quiet->ShowToolTip(true);  // no text: nothing made
    EXPECT_EQ(Tip(u"quiet"), nullptr);
}

}  // namespace
}  // namespace QV
