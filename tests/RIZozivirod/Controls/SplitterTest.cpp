#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/Controls/Splitter.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

std::string SevenLooks() {
    std::string list = R"(<LookLists><LookList Name="Bar" NumLooks="7">)";
    for (int i = 0; i < 7; ++i) {
        list += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    return list + "</LookList></LookLists>";
}

std::string Pane(const std::string& name, const std::string& layout) {
    return R"(<SubControl Class="Framework.Panel" Name=")" + name + "\" " + layout +
           R"(><Skin Name="p" LookList="Solid"/></SubControl>)";
}

// Side by side at the window's top left: a left pane of 200 (at least 100), a 4-pixel vertical
// bar and a right pane to the edge, 300 wide (at least 50); at x = 550, stacked: a top pane of
// 150 (at least 50), a 4-pixel horizontal bar and a bottom pane of 136 (at least 30).
class SplitterTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Framework.SplitterV", &CreateControlFunction<LSplitterV>);
        mFactory->RegisterControlClass(u"Framework.SplitterH", &CreateControlFunction<LSplitterH>);
        mServices->cursors[u"UI_CURSOR_SIZE_WE"] = 7;
        mServices->cursors[u"UI_CURSOR_SIZE_NS"] = 8;
        const std::string tall = R"(YSizeToControl="Client" YSizeRel="1" YSizeAbs="0")";
        const std::string wide = R"(XSizeToControl="Client" XSizeRel="1" XSizeAbs="0")";
        LoadSkin(
            TestSupport::SolidLooks() + SevenLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="700" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
            <SubControl Class="Framework.Panel" Name="Row" XSizeAbs="504" YSizeAbs="100"><Skin Name="s" LookList="Solid">)" +
            Pane("left", R"(XSizeAbs="200" XMinSizeAbs="100" )" + tall) +
            R"(<SubControl Class="Framework.SplitterV" Name="bar" XPositionToControl="left" XPositionRel="1"
                     XSizeAbs="4" )" +
            tall + R"(><Skin Name="b" LookList="Bar"/></SubControl>)" +
            Pane("right",
                 R"(XPositionToControl="bar" XPositionRel="1" XMinSizeAbs="50" )" + wide + " " + tall) +
            R"(</Skin></SubControl>
            <SubControl Class="Framework.Panel" Name="Column" XPositionAbs="550" XSizeAbs="100" YSizeAbs="290">
              <Skin Name="s" LookList="Solid">)" +
            Pane("top", R"(YSizeAbs="150" YMinSizeAbs="50" )" + wide) +
            R"(<SubControl Class="Framework.SplitterH" Name="bar" YPositionToControl="top" YPositionRel="1"
                     YSizeAbs="4" )" +
            wide + R"(><Skin Name="b" LookList="Bar"/></SubControl>)" +
            Pane("bottom",
                 R"(YPositionToControl="bar" YPositionRel="1" YMinSizeAbs="30" )" + wide + " " + tall) +
            "</Skin></SubControl></SubControl></Skin>");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
    }
    void TearDown() override {
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    void Drag(int32_t x, int32_t y, int32_t dx, int32_t dy) {
        InputDriver driver(mWindow);
        driver.MoveTo(x, y);
        driver.Press();
        driver.MoveTo(x + dx / 2, y + dy / 2);
        driver.MoveTo(x + dx, y + dy);
        driver.Release();
    }
    double Width(const std::u16string& path) { return Find(mMain, path)->GetFrame().width; }
    double Height(const std::u16string& path) { return Find(mMain, path)->GetFrame().height; }

    RCPtr<LControl> mMain;
};

TEST_F(SplitterTest, DragsStopAtThePanesLimits) {
    const struct {
        int32_t dx;
        double left;
    } cases[] = {{-150, 100}, {60, 160}, {400, 450}, {-20, 430}};
    for (const auto& c : cases) {
        const double x = Find(mMain, u"Row/bar")->GetFrame().x;
        Drag(static_cast<int32_t>(x) + 2, 50, c.dx, 7);
        EXPECT_EQ(Width(u"Row/left"), c.left) << c.dx;
        // The bar sits against the resized pane again, the right pane fills the rest.
        EXPECT_EQ(Find(mMain, u"Row/bar")->GetFrame().x, c.left) << c.dx;
        EXPECT_EQ(Find(mMain, u"Row/bar")->GetFrame().y, 0.0) << c.dx;
        EXPECT_EQ(Width(u"Row/right"), 504 - 4 - c.left) << c.dx;
    }
    // The horizontal bar moves up and down only.
    Drag(600, 152, 30, -200);
    EXPECT_EQ(Height(u"Column/top"), 50.0);
    EXPECT_EQ(Find(mMain, u"Column/bar")->GetFrame().x, 0.0);
    Drag(600, 52, -30, 500);
    EXPECT_EQ(Height(u"Column/top"), 290 - 4 - 30.0);
}

TEST_F(SplitterTest, ShrinkingTheParentMovesTheBarTowardsItsAnchor) {
    RCPtr<LControl> row = Find(mMain, u"Row");
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    row->GetPlacement(0, placement, size);
    const struct {
        double rowWidth;
        double left;
    } cases[] = {{300, 200}, {240, 186}, {100, 100}};  // the last: the left pane at its own minimum
    for (const auto& c : cases) {
        size.offset = c.rowWidth;
        row->SetPlacement(0, placement, size);
        EXPECT_EQ(Width(u"Row/left"), c.left) << c.rowWidth;
    }
}

TEST_F(SplitterTest, SizingCursorsAndLooks) {
    InputDriver driver(mWindow);
    driver.MoveTo(202, 50);
    EXPECT_EQ(mWindow->GetCurrentCursor(), 7u);
    RCPtr<LControl> bar = Find(mMain, u"Row/bar");
    driver.MoveTo(500, 250);
    driver.MoveTo(600, 152);
    EXPECT_EQ(mWindow->GetCurrentCursor(), 8u);
    EXPECT_EQ(bar->GetCurrentLookIndex(), 0);
    driver.MoveTo(202, 50);
    EXPECT_EQ(bar->GetCurrentLookIndex(), 1);
    bar->SetEnabled(false);
    EXPECT_EQ(bar->GetCurrentLookIndex(), 6);
}

}  // namespace
}  // namespace QV
