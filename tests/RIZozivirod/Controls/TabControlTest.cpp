#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RIZozivirod/Controls/TabControl.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

// The tab control "Tabs": buttons a, b, c (in creation order) whose tab stops order them c, a, b,
// over a page holder of the given pages.
std::string TabsMarkup(const std::string& pages) {
    std::string buttons;
    const char* const names[] = {"a", "b", "c"};
    const int tabStops[] = {2, 3, 1};
    for (int i = 0; i < 3; ++i) {
        buttons += std::string(R"(<SubControl Class="Framework.Button" Name=")") + names[i] +
                   R"(" XPositionAbs=")" + std::to_string(i * 60) +
                   R"(" XSizeAbs="50" YSizeAbs="28" TabStop=")" + std::to_string(tabStops[i]) +
                   R"("><Skin Name="b" LookList="Solid"/></SubControl>)";
    }
    return R"(<SubControl Class="Framework.TabControl" Name="Tabs" XSizeAbs="400" YSizeAbs="200"><Skin Name="s" LookList="Solid"/>
            <SubControl Class="Framework.Panel" Name="buttonHolder" XSizeAbs="400" YSizeAbs="28"><Skin Name="s" LookList="Solid"/>)" +
           buttons + R"(</SubControl>
            <SubControl Class="Framework.Panel" Name="pageHolder" YPositionAbs="30" XSizeAbs="400" YSizeAbs="170">
              <Skin Name="s" LookList="Solid"/>)" +
           pages + R"(</SubControl></SubControl>)";
}

// The tabs of TabsMarkup with pages p0 to p2.
class TabControlTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        std::string pages;
        for (int i = 0; i < 3; ++i) {
            pages += R"(<SubControl Class="Framework.Panel" Name="p)" + std::to_string(i) +
                     R"(" XSizeAbs="300" YSizeAbs="100"><Skin Name="s" LookList="Solid"/></SubControl>)";
        }
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">)" + TabsMarkup(pages) + R"(</Skin>)");
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

// The nearest observer above a tab control; records the pages it hears of, with whether each was
// whole (created, its child there) when it heard.
class PageObserver : public LPanel, public ITabPageObserver {
public:
    using LPanel::LPanel;
    void OnTabPagesCreated(LTabControl&, const std::vector<RCPtr<LControl>>& pages) override {
        std::string call;
        for (const RCPtr<LControl>& page : pages) {
            call += NString(page->GetName().GetString()).GetString();
            call += page->IsCreated() && page->FindChild(u"l") ? "+" : "-";
        }
        heard.push_back(call);
    }
    std::vector<std::string> heard;
};

// The tabs of TabControlTest inside an observer, each page holding a label, made under a page
// deferral: only p2 (tab "c", first in tab order) is built at start.
class HeldBackPagesTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Test.Observer", &CreateControlFunction<PageObserver>);
        std::string pages;
        for (int i = 0; i < 3; ++i) {
            pages += R"(<SubControl Class="Framework.Panel" Name="p)" + std::to_string(i) +
                     R"(" XPositionAbs="5" XSizeAbs="300" YSizeAbs="100"><Skin Name="s" LookList="Solid">
                       <SubControl Class="Framework.Label" Name="l" XPositionRel="0.5" XPositionAbs="3" YPositionAbs=")" +
                     std::to_string(10 + i) +
                     R"(" XSizeAbs="40" YSizeAbs="20"><Skin Name="s" LookList="Solid"/></SubControl>
                     </Skin></SubControl>)";
        }
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Test.Observer" Name="Top" XSizeAbs="400" YSizeAbs="200"><Skin Name="s" LookList="Solid">)" +
                 TabsMarkup(pages) + R"(</Skin></SubControl></Skin>)");
        {
            const LTabPageDeferral deferral;
            mTop = RCPtr<PageObserver>(dynamic_cast<PageObserver*>(CreateInWindow(u"Top").Get()));
        }
        ASSERT_TRUE(mTop);
        mTabs = RCPtr<LTabControl>(dynamic_cast<LTabControl*>(mTop->FindChild(u"Tabs").Get()));
        ASSERT_TRUE(mTabs);
    }
    void TearDown() override {
        mTabs = nullptr;
        mTop = nullptr;
        ControlTestFixture::TearDown();
    }
    // Per page: "+" built whole, "-" held back (empty, not created).
    std::string Built() {
        std::string out;
        for (int i = 0; i < 3; ++i) {
            const RCPtr<LControl> page = mTabs->GetPageAt(i);
            const bool whole = page->IsCreated() && page->FindChild(u"l");
            EXPECT_EQ(whole, !mTabs->IsPageHeldBack(i));
            EXPECT_EQ(page->GetChildren().GetCount(), whole ? 1u : 0u);
            out += whole ? '+' : '-';
        }
        return out;
    }

    RCPtr<PageObserver> mTop;
    RCPtr<LTabControl> mTabs;
};

TEST_F(HeldBackPagesTest, OnlyThePageShownFirstIsBuiltTheOthersAreThereEmptyAndHidden) {
    EXPECT_EQ(Built(), "--+");
    EXPECT_EQ(mTabs->GetSelectedName(), u"c");
    for (int i = 0; i < 2; ++i) {
        const RCPtr<LControl> page = mTabs->GetPageAt(i);
        EXPECT_FALSE(page->IsVisible());
        EXPECT_EQ(page->GetFrame(), (RectT<double>{5, 0, 300, 100}));
    }
    EXPECT_TRUE(mTop->heard.empty());
    // Outside a deferral, tab controls build every page as before.
    const RCPtr<LControl> whole = Create(u"Top");
    auto* tabs = dynamic_cast<LTabControl*>(whole->FindChild(u"Tabs").Get());
    ASSERT_NE(tabs, nullptr);
    EXPECT_FALSE(tabs->IsPageHeldBack(0));
    EXPECT_TRUE(tabs->GetPageAt(0)->FindChild(u"l"));
    whole->Close();
}

TEST_F(HeldBackPagesTest, APageIsBuiltWhenFirstShownAsItWouldHaveBeenAtStart) {
    EXPECT_EQ(mTabs->SelectTab(u"a"), S_OK);
    EXPECT_EQ(Built(), "+-+");
    EXPECT_EQ(mTop->heard, std::vector<std::string>{"p0+"});
    const RCPtr<LControl> label = Find(RCPtr<LControl>(mTop), u"Tabs/pageHolder/p0/l");
    ASSERT_TRUE(label);
    EXPECT_TRUE(label->IsVisible());
    EXPECT_EQ(label->GetRootWindow().Get(), static_cast<IRootWindow*>(mWindow.Get()));
    // Laid out in its page as at start: half the page's width plus 3, 10 down.
    EXPECT_EQ(label->GetFrame(), (RectT<double>{153, 10, 40, 20}));
    EXPECT_EQ(label->GetRectInWindow(), (PointT<double>{158, 30 + 10}));
    // Shown again: built once.
    mTabs->SelectTab(u"c");
    mTabs->SelectTab(u"a");
    EXPECT_EQ(mTop->heard.size(), 1u);
}

TEST_F(HeldBackPagesTest, CreatingTheHeldBackPagesBuildsTheRestAtOnceInCreationOrder) {
    LTabControl::CreateHeldBackPagesBelow(*mTop);
    EXPECT_EQ(Built(), "+++");
    EXPECT_EQ(mTop->heard, std::vector<std::string>{"p0+p1+"});
    // The selection and the visibility are untouched; nothing is left to build.
    EXPECT_EQ(mTabs->GetSelectedName(), u"c");
    EXPECT_FALSE(mTabs->GetPageAt(0)->IsVisible());
    EXPECT_FALSE(mTabs->CreateHeldBackPages());
    mTabs->SelectTab(u"b");
    EXPECT_EQ(mTop->heard.size(), 1u);
}

}  // namespace
}  // namespace QV
