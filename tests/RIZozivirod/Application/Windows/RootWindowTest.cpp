#include "RIZozivirod/Application/Windows/RootWindow.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/FakeWindowOSServices.h"
#include "UITestSupport/TestFonts.h"

namespace QV {
namespace {

struct InputEvent {
    std::u16string control;
    std::string what;
    int32_t x = 0;
    int32_t y = 0;
    int32_t detail = 0;  // button, wheel direction or key code
    bool doubleClick = false;
    uint32_t modifiers = 0;

    bool operator==(const InputEvent&) const = default;
};

std::ostream& operator<<(std::ostream& out, const InputEvent& e) {
    return out << std::string(e.control.begin(), e.control.end()) << " " << e.what << " (" << e.x << ", "
               << e.y << ") " << e.detail << (e.doubleClick ? " double" : "") << " mod " << e.modifiers;
}

std::vector<InputEvent>& Log() {
    static std::vector<InputEvent> log;
    return log;
}

// Records the input it gets. A press takes the capture, the release of the last button ends
// it; the wheel is handled only by controls whose name starts with "W"; tool-tip texts are the
// controls' names after "Tip".
class RecordingControl : public LControl {
public:
    RecordingControl(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

    std::u16string Name() const { return GetName().GetString(); }
    void Add(const char* what, int32_t x, int32_t y, int32_t detail = 0, bool doubleClick = false,
             uint32_t modifiers = 0) {
        Log().push_back({Name(), what, x, y, detail, doubleClick, modifiers});
    }

    int32_t OnMouseDown(const RCPtr<LMouseButtonParam>& p) override {
        Add("down", p->x, p->y, p->button, p->doubleClick, p->modifiers);
        OnCaptureStart(p->button, p->x, p->y);
        return 0;
    }
    int32_t OnMouseUp(const RCPtr<LMouseButtonParam>& p) override {
        Add("up", p->x, p->y, p->button, p->doubleClick, p->modifiers);
        if (p->buttonsHeld == 0) {
            OnCaptureEnd();
        }
        return 0;
    }
    int32_t OnMouseMove(const RCPtr<LPointWithModifiersParam>& p) override {
        Add("move", p->x, p->y);
        return 0;
    }
    int32_t OnMouseEnter(const RCPtr<LPointWithModifiersParam>& p) override {
        Add("enter", p->x, p->y);
        return LControl::OnMouseEnter(p);
    }
    int32_t OnMouseLeave(const RCPtr<LPointWithModifiersParam>& p) override {
        Add("leave", p->x, p->y);
        return LControl::OnMouseLeave(p);
    }
    int32_t OnMouseWheel(const RCPtr<LMouseWheelParam>& p) override {
        Add("wheel", p->x, p->y, p->direction);
        return Name()[0] == u'W' ? 0 : 1;
    }
    int32_t OnMouseHWheel(const RCPtr<LMouseWheelParam>& p) override {
        Add("hwheel", p->x, p->y, p->direction);
        return Name()[0] == u'W' ? 0 : 1;
    }
    int32_t OnKey(const RCPtr<LKeyParam>& p) override {
        Add("key", 0, 0, static_cast<int32_t>(p->key.GetCode()));
        return 0;
    }
    WString GetToolTipText() override { return Name().rfind(u"Tip", 0) == 0 ? GetName() : WString(); }
    int32_t ShowToolTip(bool show) override {
        Add(show ? "tip on" : "tip off", 0, 0);
        return 0;
    }
};

// A 400 x 300 window whose tree the skin anchors at its centre (the window puts it at its corner):
// A and B side by side, Tip with a tool tip, Wheeler that takes the wheel,
// two unclipped controls at one place, the red one above by Z order though listed first, with
// an unclipped child of its own, and a third unclipped control elsewhere, painted last.
const char* const kSkin = R"(
<Colorizers>
  <Colorizer Name="Red" ColorType="SolidFill" Color="0xFFFF0000"/>
  <Colorizer Name="Blue" ColorType="SolidFill" Color="0xFF0000FF"/>
  <Colorizer Name="Gray" ColorType="SolidFill" Color="0xFF808080"/>
</Colorizers>
<Parts>
  <Part Name="Red" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Red"/>
  <Part Name="Blue" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Blue"/>
  <Part Name="Gray" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Gray"/>
</Parts>
<Looks>
  <Look Name="Red"><ClientPart Name="Red" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Blue"><ClientPart Name="Blue" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Gray"><ClientPart Name="Gray" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
</Looks>
<LookLists>
  <LookList Name="Red" NumLooks="1"><Look Name="Red" Index="0"/></LookList>
  <LookList Name="Blue" NumLooks="1"><Look Name="Blue" Index="0"/></LookList>
  <LookList Name="Gray" NumLooks="1"><Look Name="Gray" Index="0"/></LookList>
</LookLists>
<Skin Name="Default">
  <SubControl Class="Framework.Panel" Name="Main" XMinSizeAbs="200" YMaxSizeAbs="500"
      XPlacementAnchor="0.5" YPlacementAnchor="0.5">
    <Skin Name="s" LookList="Gray"/>
    <SubControl Class="Test.Recorder" Name="A" TabStop="1" XPositionAbs="10" YPositionAbs="10" XSizeAbs="50"
        YSizeAbs="20"><Skin Name="s" LookList="Red"/></SubControl>
    <SubControl Class="Test.Recorder" Name="B" TabStop="2" XPositionAbs="100" YPositionAbs="10" XSizeAbs="50"
        YSizeAbs="20"><Skin Name="s" LookList="Red"/></SubControl>
    <SubControl Class="Test.Recorder" Name="TipC" XPositionAbs="200" YPositionAbs="10" XSizeAbs="50"
        YSizeAbs="20"><Skin Name="s" LookList="Red"/></SubControl>
    <SubControl Class="Test.Recorder" Name="Wheeler" XPositionAbs="300" YPositionAbs="10" XSizeAbs="50"
        YSizeAbs="20"><Skin Name="s" LookList="Red"/></SubControl>
    <SubControl Class="Test.Recorder" Name="Above" ClipToParent="False" Z_Order="2" XPositionAbs="10"
        YPositionAbs="100" XSizeAbs="40" YSizeAbs="40"><Skin Name="s" LookList="Red"/>
      <SubControl Class="Test.Recorder" Name="Nested" ClipToParent="False" XSizeAbs="10" YSizeAbs="10">
        <Skin Name="s" LookList="Blue"/></SubControl>
    </SubControl>
    <SubControl Class="Test.Recorder" Name="Later" ClipToParent="False" Z_Order="3" XPositionAbs="100"
        YPositionAbs="100" XSizeAbs="20" YSizeAbs="20"><Skin Name="s" LookList="Red"/></SubControl>
    <SubControl Class="Test.Recorder" Name="Below" ClipToParent="False" Z_Order="1" XPositionAbs="30"
        YPositionAbs="100" XSizeAbs="40" YSizeAbs="40"><Skin Name="s" LookList="Blue"/></SubControl>
  </SubControl></Skin>)";

class RootWindowTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        TestSupport::UseTestFonts();
        Log().clear();
        mFactory->RegisterControlClass(u"Test.Recorder", &CreateControlFunction<RecordingControl>);
        LoadSkin(kSkin);
        mRenderer = RCPtr<LRenderer>(new LGDIRenderer());
        // The window does not have the keyboard focus yet: no control takes it.
        mOS.focused = false;
        mRoot = LRootWindow::Create(mRenderer, &mOS);
        mMain = Create(u"Main");
        ASSERT_TRUE(mMain);
        ASSERT_EQ(mRoot->SetRootControl(mMain), S_OK);
        Log().clear();
    }
    void TearDown() override {
        mMain = nullptr;
        mRoot = nullptr;
        mRenderer = nullptr;
        ControlTestFixture::TearDown();
    }

    RCPtr<LControl> At(const char16_t* name) { return Find(mMain, name); }
    std::vector<InputEvent> Take() {
        std::vector<InputEvent> events = std::move(Log());
        Log().clear();
        return events;
    }
    void Press(int32_t x, int32_t y, int32_t button = 1, int32_t action = LRootWindow::kPress,
               int32_t index = 0) {
        mOS.buttons |= static_cast<uint32_t>(button);
        mOS.cursor = {x, y};
        mRoot->OnMouseButton(action, button, 0, {x, y}, index);
    }
    void Release(int32_t x, int32_t y, int32_t button = 1) {
        mOS.buttons &= ~static_cast<uint32_t>(button);
        mOS.cursor = {x, y};
        mRoot->OnMouseButton(LRootWindow::kRelease, button, 0, {x, y}, 0);
    }
    void Move(int32_t x, int32_t y) {
        mOS.cursor = {x, y};
        mRoot->OnMouseMove({x, y}, 0, 0);
    }

    FakeWindowOSServices mOS;
    RCPtr<LRenderer> mRenderer;
    RCPtr<LRootWindow> mRoot;
    RCPtr<LControl> mMain;
};

TEST_F(RootWindowTest, TheTreeFillsTheWindowAndTheSizeKeepsToItsLimits) {
    EXPECT_EQ(mMain->GetFrame(), (RectT<double>{0, 0, 400, 300}));
    EXPECT_EQ(mMain->GetRootWindow().Get(), static_cast<IRootWindow*>(mRoot.Get()));
    PointT<int32_t> size{100, 900};
    EXPECT_TRUE(mRoot->ConstrainSize(size));
    EXPECT_EQ(size, (PointT<int32_t>{200, 500}));
    size = {300, 200};
    EXPECT_FALSE(mRoot->ConstrainSize(size));
    // Without the keyboard focus the window asked for it.
    EXPECT_EQ(mOS.setFocusCount, 1);
    // An inactive window keeps its own pointer state (its own events), not the desktop's.
    mOS.active = false;
    mOS.cursor = {12, 34};
    mOS.buttons = 4;
    mServices->mousePosition = {150, 80};
    mServices->mouseButtons = 1;
    EXPECT_EQ(mRoot->GetCursorPos(), (PointT<int32_t>{12, 34}));
    EXPECT_EQ(mRoot->GetMouseButtons(), 4u);
    mServices->cursors[u"UI_CURSOR_ARROW"] = 77;
    mRoot->SetCursor(0);
    EXPECT_EQ(mOS.cursorHandle, 77);
}

TEST_F(RootWindowTest, AReleaseGoesToTheControlThatTookTheCaptureWherever) {
    Press(15, 15, 1);
    EXPECT_EQ(mRoot->GetCaptureControl().Get(), At(u"A").Get());
    EXPECT_EQ(mRoot->GetPressedButtons(0), 1u);
    // Over B during A's capture: A follows the pointer, nothing is hovered.
    Move(120, 15);
    Release(5, 200, 1);
    EXPECT_EQ(Take(), (std::vector<InputEvent>{{u"A", "enter", 5, 5},
                                               {u"A", "down", 5, 5, 1},
                                               {u"A", "leave", 110, 5},
                                               {u"A", "move", 110, 5},
                                               {u"A", "up", -5, 190, 1}}));
    EXPECT_FALSE(mRoot->GetCaptureControl());
    EXPECT_EQ(mRoot->GetPressedButtons(0), 0u);

    // A release without a capture reaches nobody but still clears the pressed bit.
    Press(390, 290, 4);
    EXPECT_EQ(mRoot->GetPressedButtons(0), 4u);
    Release(390, 290, 4);
    EXPECT_EQ(mRoot->GetPressedButtons(0), 0u);
    for (const InputEvent& e : Take()) {
        EXPECT_NE(e.what, "up") << e;
    }

    // A pointer index past the tracked ones is delivered but not tracked.
    Press(15, 15, 1, LRootWindow::kPress, 10);
    EXPECT_EQ(mRoot->GetPressedButtons(10), 0u);
    EXPECT_EQ(Take().back(), (InputEvent{u"A", "down", 5, 5, 1}));
    Release(15, 15, 1);
}

// The pointer reaches a window whatever its activation: hover over an inactive window, and the
// click that activates it, as on any desktop.
TEST_F(RootWindowTest, AnInactiveWindowTakesHoverAndTheActivatingClick) {
    mOS.active = false;
    Move(115, 15);
    Press(115, 15, 1);
    Release(115, 15, 1);
    mRoot->OnMouseWheel({115, 15}, 0, 1);
    std::vector<std::string> seen;
    for (const InputEvent& e : Take()) {
        EXPECT_EQ(e.control, u"B") << e;
        seen.push_back(e.what);
    }
    for (const char* what : {"enter", "move", "down", "up", "wheel"}) {
        EXPECT_NE(std::find(seen.begin(), seen.end(), what), seen.end()) << what;
    }
}

TEST_F(RootWindowTest, ADoubleClickMarksItsPressAndReleaseOnly) {
    Press(15, 15, 1, LRootWindow::kDoubleClick);
    Release(15, 15, 1);
    Press(15, 15, 1);
    Release(15, 15, 1);
    std::vector<bool> flags;
    for (const InputEvent& e : Take()) {
        if (e.what == "down" || e.what == "up") {
            flags.push_back(e.doubleClick);
        }
    }
    EXPECT_EQ(flags, (std::vector<bool>{true, true, false, false}));
}

TEST_F(RootWindowTest, HoverAndToolTipFollowThePointer) {
    Move(15, 15);
    Move(215, 15);
    Move(120, 15);
    Move(5, 5);
    EXPECT_EQ(Take(), (std::vector<InputEvent>{{u"A", "enter", 5, 5},
                                               {u"A", "move", 5, 5},
                                               {u"TipC", "tip on", 0, 0},
                                               {u"A", "leave", 205, 5},
                                               {u"TipC", "enter", 15, 5},
                                               {u"TipC", "move", 15, 5},
                                               {u"TipC", "tip off", 0, 0},
                                               {u"TipC", "leave", -80, 5},
                                               {u"B", "enter", 20, 5},
                                               {u"B", "move", 20, 5},
                                               {u"B", "leave", -95, -5}}));
    EXPECT_EQ(mRoot->GetHoverControl().Get(), mMain.Get());
}

TEST_F(RootWindowTest, AnUnhandledWheelFallsBackToTheFocusControl) {
    mOS.cursor = {15, 15};
    mRoot->OnMouseWheel({15, 15}, 0x8, 1);  // no focus control: dropped after A
    mRoot->SetFocusControl(At(u"B"));
    mRoot->OnMouseWheel({15, 15}, 0, 0);
    mRoot->OnMouseWheel({15, 15}, 0, 3);
    mOS.cursor = {305, 15};
    mRoot->OnMouseWheel({305, 15}, 0, 1);  // handled where it is
    std::vector<InputEvent> wheels;
    for (const InputEvent& e : Take()) {
        if (e.what == "wheel" || e.what == "hwheel") {
            wheels.push_back(e);
        }
    }
    // The wheel's point stays in client coordinates.
    EXPECT_EQ(wheels, (std::vector<InputEvent>{{u"A", "wheel", 15, 15, 1},
                                               {u"A", "wheel", 15, 15, 0},
                                               {u"B", "wheel", 15, 15, 0},
                                               {u"A", "hwheel", 15, 15, 3},
                                               {u"B", "hwheel", 15, 15, 3},
                                               {u"Wheeler", "wheel", 305, 15, 1}}));
}

TEST_F(RootWindowTest, KeysGoToTheFocusControlAndTheFocusSurvivesTheWindowLosingIt) {
    const RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode('X', true, 0, 0), true);
    mRoot->OnKey(key);
    EXPECT_TRUE(Take().empty()) << "no focus control: the key is dropped";

    ASSERT_EQ(At(u"B")->SetFocus(true), S_OK);
    EXPECT_EQ(mRoot->GetFocusControl().Get(), At(u"B").Get());
    mRoot->OnKey(key);
    EXPECT_EQ(Take(),
              (std::vector<InputEvent>{{u"B", "key", 0, 0, static_cast<int32_t>(key->key.GetCode())}}));

    mRoot->OnKillFocus();
    EXPECT_FALSE(mRoot->GetFocusControl());
    EXPECT_EQ(mRoot->GetPreviousFocus().Get(), At(u"B").Get());
    mRoot->OnSetFocus();
    EXPECT_EQ(mRoot->GetFocusControl().Get(), At(u"B").Get());
}

// Two windows in the application's list.
class TwoWindows : public IRootWindowList {
public:
    int32_t GetRootWindowCount() override { return static_cast<int32_t>(windows.size()); }
    LRootWindow* GetRootWindowAt(int32_t index) override { return windows[static_cast<size_t>(index)]; }
    int32_t IndexOfRootWindow(const LRootWindow* window) override {
        for (size_t i = windows.size(); i-- > 0;) {
            if (windows[i] == window) {
                return static_cast<int32_t>(i);
            }
        }
        return -1;
    }
    std::vector<LRootWindow*> windows;
};

TEST_F(RootWindowTest, TabPastTheTreeWrapsInsideOneWindowAndMovesBetweenWindows) {
    const RCPtr<LKeyParam> tab = LKeyParam::Create(KeyCode(0x09, true, 0, 0), true);
    const RCPtr<LKeyParam> shiftTab = LKeyParam::Create(KeyCode(0x09, true, 0, KeyCode::kShift), true);
    ASSERT_NE(mMain->GetFirstFocusable().Get(), mMain->GetLastFocusable().Get());
    mRoot->CycleFocus(tab);
    EXPECT_EQ(mRoot->GetFocusControl().Get(), mMain->GetFirstFocusable().Get());
    mRoot->CycleFocus(shiftTab);
    EXPECT_EQ(mRoot->GetFocusControl().Get(), mMain->GetLastFocusable().Get());

    FakeWindowOSServices otherOS;
    otherOS.active = false;
    const RCPtr<LRootWindow> other = LRootWindow::Create(mRenderer, &otherOS);
    TwoWindows list;
    list.windows = {mRoot.Get(), other.Get()};
    IRootWindowList* previous = SetRootWindowList(&list);
    mRoot->CycleFocus(shiftTab);  // from the first window backwards: the last one
    EXPECT_EQ(otherOS.setFocusCount, 1);
    otherOS.active = true;
    mRoot->CycleFocus(tab);  // already active: nothing to do
    EXPECT_EQ(otherOS.setFocusCount, 1);
    mOS.modal = true;
    otherOS.active = false;
    mRoot->CycleFocus(tab);  // a modal window keeps the focus
    EXPECT_EQ(otherOS.setFocusCount, 1);
    SetRootWindowList(previous);
}

TEST_F(RootWindowTest, OtherThreadsInvalidateWhileTheWindowTakesTheRegion) {
    constexpr int32_t kRects = 2000;
    RectRegion region;
    mRoot->TakeUpdateRegion(region);  // what installing the tree invalidated
    std::atomic<bool> done{false};
    std::thread painter([&] {
        for (int32_t i = 0; i < kRects; ++i) {
            mRoot->Invalidate({i % 390, (i / 390) % 290, 3, 3});
        }
        done = true;
    });
    // Everything invalidated is taken and nothing else, however the takes fall between the
    // invalidations (how many rectangles depends on how they were merged; the area does not).
    RectRegion taken;
    while (!done.load()) {
        mRoot->TakeUpdateRegion(region);
        taken.Append(region);
    }
    painter.join();
    mRoot->TakeUpdateRegion(region);
    taken.Append(region);
    RectRegion invalidated;
    for (int32_t i = 0; i < kRects; ++i) {
        const int32_t x = i % 390;
        const int32_t y = (i / 390) % 290;
        invalidated.AddRect(x, y, x + 3, y + 3);
    }
    RectRegion lost = invalidated;
    lost.SubtractRegion(taken);
    EXPECT_TRUE(lost.IsEmpty());
    RectRegion extra = taken;
    extra.SubtractRegion(invalidated);
    EXPECT_TRUE(extra.IsEmpty());

    // Outside the client area nothing is kept; across its edge the inside part is.
    mRoot->Invalidate({400, 0, 10, 10});
    mRoot->Invalidate({-5, 295, 10, 10});
    mRoot->TakeUpdateRegion(region);
    ASSERT_EQ(region.GetCount(), 1u);
    RegionRect bounds;
    region.GetBounds(bounds);
    EXPECT_EQ(bounds, (RegionRect{0, 295, 5, 300}));
}

TEST_F(RootWindowTest, UnclippedControlsPaintAfterTheTreeInZOrder) {
    RCPtr<LRenderContextInfo> target;
    ASSERT_EQ(mRenderer->InitRenderContextInfo({0, 0, 400, 300}, 0, true, target), S_OK);
    RectRegion region;
    mRoot->TakeUpdateRegion(region);
    ASSERT_FALSE(region.IsEmpty());
    mRenderer->RenderStart(target);
    mRoot->Paint(region);
    mRenderer->RenderFinish(target);
    const auto pixel = [&](int32_t x, int32_t y) {
        cairo_surface_t* surface =
            dynamic_cast<LGDIRenderContextInfo*>(target.Get())->GetDrawingSurface()->GetBitmap();
        cairo_surface_flush(surface);
        return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                                 y * cairo_image_surface_get_stride(surface))[x];
    };
    EXPECT_EQ(pixel(5, 110), 0xFF808080u);
    EXPECT_EQ(pixel(20, 110), 0xFFFF0000u);
    EXPECT_EQ(pixel(40, 110), 0xFFFF0000u) << "the higher Z order paints last";
    EXPECT_EQ(pixel(60, 110), 0xFF0000FFu);
    // An unclipped control's own unclipped child, and the controls listed after it, paint too.
    EXPECT_EQ(pixel(12, 102), 0xFF0000FFu);
    EXPECT_EQ(pixel(110, 110), 0xFFFF0000u);

    // A paint while the target is being painted already becomes a full invalidation.
    mRenderer->RenderStart(target);
    mRenderer->PushState();
    region.AddRect(0, 0, 10, 10);
    mRoot->Paint(region);
    EXPECT_EQ(mOS.invalidateAllCount, 1);
    mRenderer->PopState();
    mRenderer->RenderFinish(target);
}

class CloseRequester : public LNotificationClient {
public:
    void ReceiveNotification(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override {
        window->RequestClose(3);
    }
    LRootWindow* window = nullptr;
};

TEST_F(RootWindowTest, ACloseRequestTakesEffectWhenTheQueueIsNextDrained) {
    const RCPtr<CloseRequester> requester(new CloseRequester());
    requester->window = mRoot.Get();
    requester->RegisterForNotification(RCPtr<LNotificationDistributor>(mRoot.Get()), u"NID_TEST_CLOSE", 0);
    mRoot->PostNotification(u"NID_TEST_CLOSE", nullptr);
    EXPECT_TRUE(mOS.endModalResults.empty());
    mRoot->ProcessQueue(true);
    EXPECT_EQ(mOS.endModalResults, (std::vector<int32_t>{3}));
    requester->UnregisterAll();

    // The frame's close button on a window that is not the main one.
    mRoot->OnCloseRequest();
    EXPECT_TRUE(mRoot->IsClosePending());
    mRoot->ProcessQueue(false);
    EXPECT_EQ(mOS.endModalResults, (std::vector<int32_t>{3, 0}));

    const RCPtr<LRootWindow> windowless = LRootWindow::Create(mRenderer, nullptr);
    EXPECT_EQ(windowless->RequestClose(1), E_FAIL);
}

// A tree whose string table binds window and application shortcuts.
class KeyedControl : public LControl {
public:
    KeyedControl() : LControl(nullptr, u"Keyed") {}
    RCPtr<LStringTable> GetStringTable() override {
        return LStringTable::Create({{u"GHK.NID_MENU_FILE_NEW_PRESET", u"Ctrl+VKEY_N"},
                                     {u"GHK_WIN.NID_WINDOW_ONLY", u"Ctrl+VKEY_W"}});
    }
};

class NameRecorder : public LNotificationClient {
public:
    void ReceiveNotification(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override {
        names.push_back(GetNotificationName(n->GetID()));
    }
    std::vector<WString> names;
};

TEST_F(RootWindowTest, TheTreesWindowShortcutsArePostedToTheWindowsQueue) {
    FakeWindowOSServices os;
    const RCPtr<LRootWindow> window = LRootWindow::Create(mRenderer, &os);
    window->SetRootControl(RCPtr<LControl>(new KeyedControl()));
    const RCPtr<NameRecorder> recorder(new NameRecorder());
    recorder->RegisterForNotification(RCPtr<LNotificationDistributor>(window.Get()),
                                      u"NID_MENU_FILE_NEW_PRESET", 0);

    EXPECT_EQ(window->GetHotKeys()->HandleKey(KeyCode('N', true, 0, KeyCode::kCtrl)), S_OK);
    EXPECT_EQ(window->GetHotKeys()->HandleKey(KeyCode('W', true, 0, KeyCode::kCtrl)), S_FALSE);
    EXPECT_TRUE(recorder->names.empty());
    window->ProcessQueue(false);
    EXPECT_EQ(recorder->names, (std::vector<WString>{u"NID_MENU_FILE_NEW_PRESET"}));

    // A key the window does not bind goes on to the application's shortcuts.
    struct ApplicationKeys : TwoWindows {
        int32_t HandleApplicationHotKey(const KeyCode& key) override {
            offered.push_back(key.GetCode());
            return key.GetVirtualKey() == 'W' ? S_OK : S_FALSE;
        }
        std::vector<uint32_t> offered;
    } application;
    IRootWindowList* previous = SetRootWindowList(&application);
    EXPECT_EQ(window->HandleHotKey(KeyCode('N', true, 0, KeyCode::kCtrl)), S_OK);
    EXPECT_EQ(window->HandleHotKey(KeyCode('W', true, 0, KeyCode::kCtrl)), S_OK);
    EXPECT_EQ(window->HandleHotKey(KeyCode('Q', true, 0, KeyCode::kCtrl)), S_FALSE);
    EXPECT_EQ(application.offered.size(), 2u);
    SetRootWindowList(previous);
    window->ProcessQueue(false);
    recorder->names.clear();

    // A new tree brings its own shortcuts only.
    window->SetRootControl(nullptr);
    EXPECT_EQ(window->GetHotKeys()->HandleKey(KeyCode('N', true, 0, KeyCode::kCtrl)), S_FALSE);
    recorder->UnregisterAll();
}

}  // namespace
}  // namespace QV
