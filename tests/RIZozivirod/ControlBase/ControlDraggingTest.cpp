#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Controls/ScrollView.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

// Takes up the given drag mode whenever the left button goes down on it.
template <class Base>
class Dragged : public Base {
public:
    Dragged(const RCPtr<LControl>& parent, const WString& name) : Base(parent, name) {}
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override {
        Base::OnConditionsChanged(param);
        if ((param->current & ~param->previous & LControl::kLeftPressed) != 0) {
            this->SetDragMode(mode, flags);
        }
    }
    int32_t mode = 0;
    uint32_t flags = 0;
};

class ControlDraggingTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Test.DraggedView", &CreateControlFunction<Dragged<LScrollView>>);
        mFactory->RegisterControlClass(u"Test.Dragged", &CreateControlFunction<Dragged<LControl>>);
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
            <SubControl Class="Test.DraggedView" Name="flick" XSizeAbs="200" YSizeAbs="100"><Skin Name="s" LookList="Solid"/></SubControl>
            <SubControl Class="Framework.Panel" Name="view" XPositionAbs="0" YPositionAbs="150" XSizeAbs="200" YSizeAbs="100">
              <Skin Name="s" LookList="Solid"/>
              <SubControl Class="Test.Dragged" Name="splitter" YPositionAbs="10" XSizeAbs="200" YSizeAbs="4">
                <Skin Name="s" LookList="Solid"/></SubControl>
            </SubControl>
          </SubControl></Skin>)");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mDriver = std::make_unique<InputDriver>(mWindow);
    }
    void TearDown() override {
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    void Step(uint32_t ms) {
        mServices->AdvanceMs(ms);
        mWindow->SendIdle();
    }
    // Drags the flick view's content up by 30 pixels every 10 ms (3000 pixels a second).
    void Flick(LScrollView& flick, uint32_t pauseBeforeRelease) {
        flick.SetClientExtent({200, 100000});
        mDriver->MoveTo(100, 90);
        mDriver->Press(1);
        for (int i = 1; i <= 2; ++i) {
            mServices->AdvanceMs(10);
            mDriver->MoveTo(100, 90 - 30 * i);
        }
        mServices->AdvanceMs(pauseBeforeRelease);
        mDriver->Release(1);
    }

    RCPtr<LControl> mMain;
    std::unique_ptr<InputDriver> mDriver;
};

TEST_F(ControlDraggingTest, FastReleaseKeepsTheContentMovingThenSlowsItDown) {
    auto* flick = dynamic_cast<Dragged<LScrollView>*>(Find(mMain, u"flick").Get());
    flick->mode = 6;
    flick->flags = 2;
    Flick(*flick, 0);
    const double released = flick->GetScrollOffset().y;
    EXPECT_EQ(released, 60.0);  // the content followed the pointer
    ASSERT_TRUE(flick->IsScrollAnimating(1));
    // Constant speed for a second after the release.
    double last = released;
    std::vector<double> steps;
    for (int i = 0; i < 100; ++i) {
        Step(10);
        steps.push_back(flick->GetScrollOffset().y - last);
        last = flick->GetScrollOffset().y;
    }
    EXPECT_GE(steps.front(), 10.0);
    EXPECT_EQ(steps.front(), steps.back());
    // Then it slows down and stops, giving back its idle work.
    for (int i = 0; i < 1000 && flick->IsScrollAnimating(1); ++i) {
        Step(10);
        EXPECT_LE(flick->GetScrollOffset().y - last, steps.back());
        last = flick->GetScrollOffset().y;
    }
    EXPECT_FALSE(flick->IsScrollAnimating(1));
    EXPECT_EQ(flick->GetIdleWorkCount(), 0);
    EXPECT_FALSE(flick->IsScrollAnimating(0));  // X was not in the flags
}

TEST_F(ControlDraggingTest, ReleaseAfterAPauseOrANewPressStopsKineticScrolling) {
    auto* flick = dynamic_cast<Dragged<LScrollView>*>(Find(mMain, u"flick").Get());
    flick->mode = 6;
    flick->flags = 2;
    Flick(*flick, 100);
    EXPECT_FALSE(flick->IsScrollAnimating(1));
    Flick(*flick, 0);
    ASSERT_TRUE(flick->IsScrollAnimating(1));
    mDriver->Press(1);
    EXPECT_FALSE(flick->IsScrollAnimating(1));
    mDriver->Release(1);
}

TEST_F(ControlDraggingTest, MoveNearTheParentsEdgeScrollsItFasterTheDeeperItGoes) {
    RCPtr<LControl> viewControl = Find(mMain, u"view");
    auto* view = dynamic_cast<LScrollView*>(viewControl.Get());
    auto* splitter = dynamic_cast<Dragged<LControl>*>(Find(mMain, u"view/splitter").Get());
    view->SetClientExtent({200, 1000});
    splitter->mode = 3;
    splitter->flags = 2;
    mDriver->MoveTo(100, 150 + 11);
    mDriver->Press(1);
    mDriver->MoveTo(100, 150 + 40);  // well inside: no scrolling
    EXPECT_FALSE(view->IsScrollAnimating(1));
    EXPECT_EQ(splitter->GetFrame().y, 39.0);
    mDriver->MoveTo(100, 150 + 90);  // inside the 30-pixel zone at the bottom
    ASSERT_TRUE(view->IsScrollAnimating(1));
    const double start = view->GetScrollOffset().y;
    for (int i = 0; i < 100; ++i) {
        Step(10);
    }
    const double slow = view->GetScrollOffset().y - start;
    EXPECT_GT(slow, 0.0);
    // The splitter keeps following the pointer while the view scrolls under it.
    EXPECT_NEAR(splitter->GetFrame().y - view->GetScrollOffset().y, 89.0, 1.0);
    mDriver->MoveTo(100, 150 + 99);  // deeper
    const double before = view->GetScrollOffset().y;
    for (int i = 0; i < 100; ++i) {
        Step(10);
    }
    EXPECT_GT(view->GetScrollOffset().y - before, slow);
    mDriver->Release(1);
    EXPECT_FALSE(view->IsScrollAnimating(1));
    EXPECT_EQ(view->GetIdleWorkCount(), 0);
}

}  // namespace
}  // namespace QV

namespace QV {
namespace {

// Takes drops and records what the dragged control did to it.
class DropTarget : public LControl {
public:
    using LControl::LControl;
    bool CanAcceptDrop(const RCPtr<LControl>&) override { return true; }
    void OnDragEnter(const RCPtr<LControl>&) override { events.push_back("enter"); }
    void OnDragOver(const RCPtr<LControl>&, const PointT<double>&) override {
        if (events.empty() || events.back() != "over") {
            events.push_back("over");
        }
    }
    void OnDragLeave(const RCPtr<LControl>&) override { events.push_back("leave"); }
    int32_t OnDrop(const RCPtr<LControl>&) override {
        events.push_back("drop");
        return S_OK;
    }
    std::vector<std::string> events;
};

class DragAndDropTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Test.Dragged", &CreateControlFunction<Dragged<LControl>>);
        mFactory->RegisterControlClass(u"Test.DropTarget", &CreateControlFunction<DropTarget>);
        LoadSkin(TestSupport::SolidLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
            <SubControl Class="Test.Dragged" Name="token" XPositionAbs="10" YPositionAbs="10" XSizeAbs="20" YSizeAbs="20">
              <Skin Name="s" LookList="Solid"/></SubControl>
            <SubControl Class="Test.DropTarget" Name="target" XPositionAbs="200" YPositionAbs="10" XSizeAbs="100" YSizeAbs="100">
              <Skin Name="s" LookList="Solid"/></SubControl>
            <SubControl Class="Test.Dragged" Name="edge" XPositionAbs="50" YPositionAbs="200" XSizeAbs="60" YSizeAbs="20">
              <Skin Name="s" LookList="Solid"/></SubControl>
          </SubControl></Skin>)");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mServices->cursors = {
            {u"UI_CURSOR_DROP_MOVE", 11}, {u"UI_CURSOR_NO_DROP", 12}, {u"UI_CURSOR_ARROW", 13}};
    }
    void TearDown() override {
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    RCPtr<LControl> mMain;
};

TEST_F(DragAndDropTest, CursorsAndTargetCallsFollowTheDraggedControl) {
    auto* token = dynamic_cast<Dragged<LControl>*>(Find(mMain, u"token").Get());
    auto* target = dynamic_cast<DropTarget*>(Find(mMain, u"target").Get());
    token->mode = 1;
    token->flags = 3;
    InputDriver driver(mWindow);
    driver.MoveTo(20, 20);
    driver.Press(1);
    driver.MoveTo(22, 20);
    EXPECT_EQ(mWindow->GetCurrentCursor(), 12);      // over no target
    EXPECT_FALSE(token->GetLayout()->clipToParent);  // drawn above everything while carried
    driver.MoveTo(250, 50);
    EXPECT_EQ(mWindow->GetCurrentCursor(), 11);
    EXPECT_EQ(token->GetFrame().x, 10.0 + 230);  // the token follows the pointer
    driver.MoveTo(150, 50);
    EXPECT_EQ(mWindow->GetCurrentCursor(), 12);
    driver.MoveTo(260, 60);
    driver.Release(1);
    EXPECT_EQ(mWindow->GetCurrentCursor(), 13);
    EXPECT_TRUE(token->GetLayout()->clipToParent);
    EXPECT_EQ(target->events,
              (std::vector<std::string>{"enter", "over", "leave", "enter", "over", "drop", "leave"}));
}

TEST_F(DragAndDropTest, ResizingByTheLeftEdgeKeepsAWidthOfOne) {
    auto* edge = dynamic_cast<Dragged<LControl>*>(Find(mMain, u"edge").Get());
    edge->mode = 4;
    edge->flags = 8;  // left edge
    InputDriver driver(mWindow);
    driver.MoveTo(52, 210);
    driver.Press(1);
    driver.MoveTo(40, 210);
    EXPECT_EQ(edge->GetFrame().x, 38.0);
    EXPECT_EQ(edge->GetFrame().width, 72.0);
    driver.MoveTo(390, 210);
    EXPECT_EQ(edge->GetFrame().width, 1.0);
    EXPECT_EQ(edge->GetFrame().x, 109.0);
    driver.Release(1);
}

}  // namespace
}  // namespace QV
