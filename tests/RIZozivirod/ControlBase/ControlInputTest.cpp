#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DocumentFiles.h"
#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/PointerParams.h"
#include "RIZozivirod/Controls/ScrollView.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"

namespace QV {
namespace {

constexpr uint32_t kTab = 0x09;
constexpr uint32_t kCtrl = 0x1;
constexpr uint32_t kShift = 0x8;

// An opaque look, so that hit tests find the controls.
const char* const kLooks =
    R"(<Colorizers><Colorizer Name="C" ColorType="SolidFill" Color="0xFF808080"/></Colorizers>
  <Parts><Part Name="Fill" Width="1" Height="1" ResizeType="Stretch" ColorizerName="C"/></Parts>
  <Looks><Look Name="Solid"><ClientPart Name="Fill" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists><LookList Name="Solid" NumLooks="1"><Look Name="Solid" Index="0"/></LookList></LookLists>)";

// Main holds two plain controls side by side and Box, a plain control with three focusable ones.
const char* const kSkin = R"(<Skin Name="Default">
  <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>
    <SubControl Class="Test.Control" Name="Pad" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="100"
                TabStop="1"><Skin Name="s" LookList="Solid"/></SubControl>
    <SubControl Class="Test.Control" Name="Other" XPositionAbs="200" YPositionAbs="10" XSizeAbs="100"
                YSizeAbs="100" TabStop="2"><Skin Name="s" LookList="Solid"/></SubControl>
    <SubControl Class="Test.Control" Name="Box" XPositionAbs="10" YPositionAbs="150" XSizeAbs="300"
                YSizeAbs="100" TabStop="3"><Skin Name="s" LookList="Solid"/>
      <SubControl Class="Test.Control" Name="a" XPositionAbs="0" XSizeAbs="50" YSizeAbs="20" TabStop="1"><Skin Name="s" LookList="Solid"/></SubControl>
      <SubControl Class="Test.Control" Name="b" XPositionAbs="60" XSizeAbs="50" YSizeAbs="20" TabStop="2"><Skin Name="s" LookList="Solid"/></SubControl>
      <SubControl Class="Test.Control" Name="c" XPositionAbs="120" XSizeAbs="50" YSizeAbs="20" TabStop="3"><Skin Name="s" LookList="Solid"/></SubControl>
    </SubControl>
  </SubControl>
  <SubControl Class="Test.Control" Name="contextMenu" XSizeAbs="100" YSizeAbs="20"><Skin Name="s"/></SubControl>
  <SubControl Class="Framework.Panel" Name="Keys" XSizeAbs="400" YSizeAbs="300"><Skin Name="s"/>
    <SubControl Class="Test.Control" Name="focus" XSizeAbs="50" YSizeAbs="20"><Skin Name="s"/></SubControl>
    <SubControl Class="Test.HotKeyOwner" Name="owner" XPositionAbs="60" XSizeAbs="50" YSizeAbs="20"><Skin Name="s"/></SubControl>
  </SubControl></Skin>)";

// A control with a local hot key bound to a command and a direct handler for that command.
class HotKeyOwner : public LControl {
public:
    using LControl::LControl;
    int32_t Initialize() override {
        const int32_t result = LControl::Initialize();
        GetHandler()->AddDirectHandler(
            [](LControl& control, const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
                ++static_cast<HotKeyOwner&>(control).commands;
                return 1;
            },
            u"NID_TEST_COMMAND");
        return result;
    }
    int32_t commands = 0;
};

class ControlInputTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Test.HotKeyOwner", &CreateControlFunction<HotKeyOwner>);
        LoadSkin(std::string(kLooks) + kSkin);
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
        mPad = Find(mMain, u"Pad");
        mDriver = std::make_unique<InputDriver>(mWindow);
    }
    void TearDown() override {
        mPad = nullptr;
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }

    RCPtr<LControl> mMain;
    RCPtr<LControl> mPad;
    std::unique_ptr<InputDriver> mDriver;
};

TEST_F(ControlInputTest, ClickNeedsReleaseOverThePressedControlAndNoDragOperation) {
    struct Case {
        const char* what;
        int32_t threshold;
        int32_t dragMode;  // set once the press has reset it
        std::vector<PointT<int32_t>> moves;
        PointT<int32_t> release;
        bool click;
        bool dragged;
    };
    const std::vector<Case> cases = {
        {"release without a move", 1, 0, {}, {50, 50}, true, false},
        {"moved past the threshold, no drag mode", 1, 0, {{51, 50}}, {51, 50}, true, true},
        {"moved within a threshold of 3", 3, 0, {{52, 51}}, {52, 51}, true, false},
        {"moved with a drag mode", 1, 2, {{52, 50}}, {52, 50}, false, true},
        {"released over another control", 1, 0, {{250, 50}}, {250, 50}, false, true},
        {"threshold 0 drags at the press", 0, 0, {}, {50, 50}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(mPad->SetDragThreshold(c.threshold), S_OK);
        RCPtr<NotificationRecorder> recorder =
            NotificationRecorder::Create(mPad, {u"NID_MOUSE_DOWN", u"NID_MOUSE_UP", u"NID_LEFT_CLICK"});
        mDriver->MoveTo(50, 50);
        ASSERT_EQ(mDriver->Press(1).Get(), mPad.Get());
        EXPECT_TRUE(mPad->HasCapture());
        EXPECT_TRUE(mPad->HasFocus());
        mPad->SetDragMode(c.dragMode, 3);
        for (const PointT<int32_t>& p : c.moves) {
            mDriver->MoveTo(p.x, p.y);
        }
        mDriver->MoveTo(c.release.x, c.release.y);
        const bool dragged = (mPad->GetConditions() & LControl::kLeftDragging) != 0;
        mDriver->Release(1);
        EXPECT_FALSE(mPad->HasCapture());
        EXPECT_EQ(mWindow->GetCaptureControl().Get(), nullptr);
        const std::vector<std::u16string> names = recorder->GetNames();
        const bool clicked = std::find(names.begin(), names.end(), u"NID_LEFT_CLICK") != names.end();
        EXPECT_EQ(clicked, c.click);
        EXPECT_EQ(dragged, c.dragged);
        ASSERT_GE(names.size(), 2u);
        EXPECT_EQ(names.front(), u"NID_MOUSE_DOWN");
        if (clicked) {
            EXPECT_EQ(names.back(), u"NID_LEFT_CLICK");  // after the release
        }
        mPad->SetDragMode(0, 0);
    }
}

TEST_F(ControlInputTest, RightClickAnnouncesItselfAndLeavesNoStrayMenuControl) {
    // The skin's "contextMenu" here is no popup menu: nothing may be shown or left behind.
    ASSERT_EQ(mPad->SetContextMenu(RCPtr<LRefCountedObject>(LStringTable::Create())), S_OK);
    RCPtr<NotificationRecorder> recorder = NotificationRecorder::Create(mPad, {u"NID_RIGHT_CLICK"});
    mDriver->Click(50, 50, 4);
    EXPECT_EQ(recorder->GetNames(), std::vector<std::u16string>{u"NID_RIGHT_CLICK"});
    EXPECT_EQ(mPad->GetChildren().GetCount(), 0u);
    mPad->SetContextMenu(nullptr);
}

TEST_F(ControlInputTest, DragStartsWithAMoveAtThePressPoint) {
    std::vector<PointT<int32_t>> seen;
    class Recorder : public LNotificationClient {
    public:
        explicit Recorder(std::vector<PointT<int32_t>>* points) : mPoints(points) {}
        void ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                 const RCPtr<LNotification>& n) override {
            auto* p = dynamic_cast<LPointWithModifiersParam*>(n->GetParam().Get());
            mPoints->push_back({p->x, p->y});
        }
        std::vector<PointT<int32_t>>* mPoints;
    };
    RCPtr<Recorder> recorder(new Recorder(&seen));
    recorder->RegisterForNotification(mPad, u"NID_MOUSE_MOVE", 0);
    mDriver->MoveTo(20, 20);
    mDriver->Press(1);
    seen.clear();
    mDriver->MoveTo(30, 25);
    // The press point (10, 10 in the pad) comes first, then the move itself.
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].x, 10);
    EXPECT_EQ(seen[0].y, 10);
    EXPECT_EQ(seen[1].x, 20);
    EXPECT_EQ(seen[1].y, 15);
    mDriver->Release(1);
    recorder->UnregisterForNotification(mPad, u"NID_MOUSE_MOVE");
}

TEST_F(ControlInputTest, DisabledControlIgnoresPressesAndTheClickIsDroppedWhenDisabledMidway) {
    mPad->SetEnabled(false);
    mDriver->MoveTo(50, 50);
    EXPECT_EQ(mDriver->Press(1).Get(), nullptr);
    EXPECT_EQ(mPad->OnMouseDown(nullptr), E_INVALIDARG);
    mDriver->Release(1);

    mPad->SetEnabled(true);
    RCPtr<NotificationRecorder> recorder =
        NotificationRecorder::Create(mPad, {u"NID_LEFT_CLICK", u"NID_MOUSE_UP"});
    mDriver->Press(1);
    mPad->SetEnabled(false);
    mDriver->Release(1);
    EXPECT_EQ(recorder->GetNames(), std::vector<std::u16string>{u"NID_MOUSE_UP"});
    EXPECT_FALSE(mPad->HasCapture());
}

// A control that answers the wheel and counts the turns it took.
class WheelTaker : public LControl {
public:
    using LControl::LControl;
    int32_t HandleMouseWheel(const RCPtr<LMouseWheelParam>&) override {
        ++turns;
        return 0;
    }
    int32_t turns = 0;
};

TEST_F(ControlInputTest, WheelClimbsToTheFirstControlThatTakesIt) {
    RCPtr<WheelTaker> taker(new WheelTaker(mMain, u"Taker"));
    RCPtr<LControl> inner(new LControl(RCPtr<LControl>(taker), u"Inner"));
    taker->SetRect({0, 120}, {100, 20});
    inner->SetRect({0, 0}, {100, 20});
    RCPtr<LMouseWheelParam> wheel(new LMouseWheelParam(5, 125, 0, 0));
    EXPECT_EQ(inner->OnMouseWheel(wheel), 0);
    EXPECT_EQ(taker->turns, 1);
    // Nobody on the way takes it: not handled.
    EXPECT_EQ(mPad->OnMouseWheel(wheel), 1);
    EXPECT_EQ(mPad->OnMouseWheel(nullptr), -1);
    inner->Close();
    RCPtr<LControl>(taker)->Close();
}

// An unclipped popup over a clipped child of the same parent: each one's hit test finds the
// other, so a walk that forgot where it had been would hand the wheel back and forth for ever.
TEST_F(ControlInputTest, WheelWalkBetweenAnUnclippedPopupAndItsNeighbourEnds) {
    RCPtr<LControl> popup(new LControl(mPad, u"Popup"));
    RCPtr<LControl> child(new LControl(mPad, u"Child"));
    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    layout->clipToParent = false;
    layout->zOrder = 10;
    RCPtr<LControlDescriptor> descriptor = LControlDescriptor::Create(u"Test.Control", u"Popup", nullptr);
    descriptor->SetLayout(layout);
    popup->ApplyDescriptor(descriptor);
    popup->SetRect({0, 0}, {100, 100});
    child->SetRect({0, 0}, {100, 100});
    RCPtr<LMouseWheelParam> wheel(new LMouseWheelParam(50, 50, 0, 0));
    EXPECT_EQ(popup->OnMouseWheel(wheel), 1);
    EXPECT_FALSE(popup->IsHitTestExcluded());
    EXPECT_FALSE(child->IsHitTestExcluded());
    popup->Close();
    child->Close();
}

TEST_F(ControlInputTest, TabWrapsInsideAContainerAndCtrlTabLeavesIt) {
    RCPtr<LControl> a = Find(mMain, u"Box/a");
    RCPtr<LControl> b = Find(mMain, u"Box/b");
    RCPtr<LControl> c = Find(mMain, u"Box/c");
    ASSERT_EQ(a->SetFocus(true), S_OK);
    ASSERT_TRUE(a->HasFocus());
    mDriver->Key(kTab);
    EXPECT_TRUE(b->HasFocus());
    mDriver->Key(kTab, kShift);
    EXPECT_TRUE(a->HasFocus());
    c->SetFocus(true);
    mDriver->Key(kTab);  // from the last stop of the box, keys of the system wrap
    EXPECT_TRUE(a->HasFocus());
    mDriver->Key(kTab, kCtrl);  // leaves the box for the next stop of Main, which wraps to Pad
    EXPECT_TRUE(mPad->HasFocus());
    mDriver->Key(kTab);
    EXPECT_TRUE(Find(mMain, u"Other")->HasFocus());
}

TEST_F(ControlInputTest, SiblingWithALocalHotKeyConsumesAKeyTheFocusControlLeft) {
    Testing::DocumentFiles files;
    const WString strings =
        files.Write("strings.xml",
                    "<Velkor_StringTable_Definitions><Application Name=\"PresetEditor\">"
                    "<StringTable ID=\"Framework.Panel|owner\"><String ID=\"LHK.NID_TEST_COMMAND\">"
                    "<Locale LCID=\"0x0009\">Ctrl+VKEY_K</Locale></String></StringTable>"
                    "</Application></Velkor_StringTable_Definitions>");
    ASSERT_EQ(mFactory->LoadStringTables(strings, u"::NONE", 0x0009), S_OK);
    RCPtr<LControl> keys = CreateInWindow(u"Keys");
    ASSERT_TRUE(keys);
    RCPtr<LControl> focus = Find(keys, u"focus");
    auto* owner = dynamic_cast<HotKeyOwner*>(Find(keys, u"owner").Get());
    ASSERT_NE(owner, nullptr);
    ASSERT_TRUE(owner->HasHotKey(u"NID_TEST_COMMAND"));
    focus->SetFocus(true);
    mDriver->Key('K', kCtrl);
    EXPECT_EQ(owner->commands, 1);
    mDriver->Key('K');  // without Ctrl: not bound
    EXPECT_EQ(owner->commands, 1);
}

}  // namespace
}  // namespace QV
