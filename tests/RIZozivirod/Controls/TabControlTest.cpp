#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/Controls/TabControl.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

// Buttons a, b, c (in creation order) whose tab stops order them c, a, b; pages p0 to p2.
class TabControlTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        std::string buttons;
        const char* const names[] = {"a", "b", "c"};
        const int tabStops[] = {2, 3, 1};
        for (int i = 0; i < 3; ++i) {
            buttons += std::string(R"(<SubControl Class="Framework.Button" Name=")") + names[i] +
                       R"(" XPositionAbs=")" + std::to_string(i * 60) +
                       R"(" XSizeAbs="50" YSizeAbs="28" TabStop=")" + std::to_string(tabStops[i]) +
                       R"("><Skin Name="b" LookList="Solid"/></SubControl>)";
        }
        std::string pages;
        for (int i = 0; i < 3; ++i) {
            pages += R"(<SubControl Class="Framework.Panel" Name="p)" + std::to_string(i) +
                     R"(" XSizeAbs="300" YSizeAbs="100"><Skin Name="s" LookList="Solid"/></SubControl>)";
        }
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.TabControl" Name="Tabs" XSizeAbs="400" YSizeAbs="200"><Skin Name="s" LookList="Solid"/>
            <SubControl Class="Framework.Panel" Name="buttonHolder" XSizeAbs="400" YSizeAbs="28"><Skin Name="s" LookList="Solid"/>)" +
                 buttons + R"(</SubControl>
            <SubControl Class="Framework.Panel" Name="pageHolder" YPositionAbs="30" XSizeAbs="400" YSizeAbs="170">
              <Skin Name="s" LookList="Solid"/>)" +
                 pages + R"(</SubControl>
          </SubControl></Skin>)");
        mTabs = RCPtr<LTabControl>(dynamic_cast<LTabControl*>(CreateInWindow(u"Tabs").Get()));
        ASSERT_TRUE(mTabs);
    }
    void TearDown() override {
        mTabs = nullptr;
        ControlTestFixture::TearDown();
    }
    // Which of the pages are visible, as a string of 0 and 1.
    std::string Visible() {
        std::string out;
        for (int i = 0; i < 3; ++i) {
            out += mTabs->GetPageAt(i)->IsVisible() ? '1' : '0';
        }
        return out;
    }

    RCPtr<LTabControl> mTabs;
};

TEST_F(TabControlTest, FirstTabInTabOrderIsSelectedAndPagesPairByCreationOrder) {
    EXPECT_EQ(mTabs->GetSelectedName(), u"c");
    EXPECT_EQ(mTabs->GetSelectedIndex(), 2);
    EXPECT_EQ(Visible(), "001");
    EXPECT_EQ(mTabs->GetPage(u"a")->GetName(), u"p0");
    EXPECT_EQ(mTabs->GetTabButtonAt(1)->GetName(), u"b");
    EXPECT_FALSE(mTabs->GetPageAt(3));
    EXPECT_FALSE(mTabs->GetPageAt(-1));
}

TEST_F(TabControlTest, SelectionShowsOnePageAndAnnouncesIt) {
    RCPtr<NotificationRecorder> recorder =
        NotificationRecorder::Create(RCPtr<LControl>(mTabs), {u"NID_TAB_SELECTED"});
    EXPECT_EQ(mTabs->SelectTab(u"b"), S_OK);
    EXPECT_EQ(Visible(), "010");
    EXPECT_EQ(mTabs->GetSelectedIndex(), 1);
    ASSERT_EQ(recorder->GetParams().size(), 1u);
    EXPECT_EQ(recorder->GetParams()[0].Get(), static_cast<LRefCountedObject*>(mTabs->GetPageAt(1).Get()));

    EXPECT_EQ(mTabs->SelectTabAt(3), E_FAIL);
    EXPECT_EQ(mTabs->GetSelectedName(), u"b");
    EXPECT_EQ(mTabs->SelectTabAt(1), S_OK);  // second in tab order: a
    EXPECT_EQ(Visible(), "100");

    // A name no button has: every page hidden, the name kept, a null page announced.
    EXPECT_EQ(mTabs->SelectTab(u"zz"), S_OK);
    EXPECT_EQ(Visible(), "000");
    EXPECT_EQ(mTabs->GetSelectedName(), u"zz");
    EXPECT_EQ(mTabs->GetSelectedIndex(), -1);
    EXPECT_EQ(recorder->GetParams().back().Get(), nullptr);
}

TEST_F(TabControlTest, ClickingATabButtonSelectsItAndReapplyingTheSkinKeepsIt) {
    InputDriver driver(mWindow);
    driver.Click(70, 10);  // b
    EXPECT_EQ(mTabs->GetSelectedName(), u"b");
    EXPECT_EQ(Visible(), "010");
    ASSERT_EQ(mTabs->ApplyDescriptor(mFactory->FindControlDescriptor(u"Tabs")), S_OK);
    EXPECT_EQ(mTabs->GetSelectedName(), u"b");
    EXPECT_EQ(Visible(), "010");
    driver.Click(10, 10);  // a, still wired after the skin came again
    EXPECT_EQ(Visible(), "100");
}

}  // namespace
}  // namespace QV
