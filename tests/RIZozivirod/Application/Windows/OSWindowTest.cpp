#include "RIZozivirod/Application/Windows/OSWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/PointerParams.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "RIZozivirod/System/UserInterfaceWake.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/ScriptedEventSource.h"
#include "UITestSupport/SdlOffscreen.h"
#include "UITestSupport/TestFonts.h"

namespace QV {
namespace {

// The application's side of the tests' windows.
class TestOwner : public IOSWindowOwner {
public:
    void AddRootWindow(const RCPtr<LRootWindow>& window) override { roots.push_back(window.Get()); }
    void RemoveRootWindow(const LRootWindow* window) override { std::erase(roots, window); }
    bool IsMainWindow(const LRootWindow* window) override {
        return !roots.empty() && roots.front() == window;
    }
    bool OnIdle(int32_t count) override {
        idleCounts.push_back(count);
        if (onIdle) {
            onIdle(count);
        }
        return count < 1;
    }
    void ProcessForwardedCommandLine(const std::string& commandLine) override {
        commandLines.push_back(commandLine);
    }
    void WriteProfileBinary(const WString& section, const WString& entry,
                            const std::vector<uint8_t>& value) override {
        profileSection = section;
        profileEntry = entry;
        profileValue = value;
    }
    void OnWindowDestroyed(OSWindow* window) override { destroyed.push_back(window); }
    MessageLoop* GetModalLoop() override { return &loop; }

    std::vector<const LRootWindow*> roots;
    std::vector<int32_t> idleCounts;
    std::function<void(int32_t)> onIdle;
    std::vector<std::string> commandLines;
    WString profileSection;
    WString profileEntry;
    std::vector<uint8_t> profileValue;
    std::vector<OSWindow*> destroyed;
    ScriptedEventSource source;
    MessageLoop loop{source};
    TestOwner() {
        loop.SetIdleHandler([this](int32_t count) { return OnIdle(count); });
        loop.SetPaintHandler(&OSWindow::PaintOneDueWindow);
    }
};

// Records pointer buttons, wheel turns and keys; a press takes the capture.
class InputRecorder : public LControl {
public:
    InputRecorder(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}
    int32_t OnMouseDown(const RCPtr<LMouseButtonParam>& p) override {
        events.push_back("down " + std::to_string(p->button) + " " + std::to_string(p->x) + "," +
                         std::to_string(p->y) + (p->doubleClick ? " double" : "") + " mod " +
                         std::to_string(p->modifiers));
        OnCaptureStart(p->button, p->x, p->y);
        return 0;
    }
    int32_t OnMouseUp(const RCPtr<LMouseButtonParam>& p) override {
        events.push_back("up " + std::to_string(p->button) + " " + std::to_string(p->x) + "," +
                         std::to_string(p->y));
        if (p->buttonsHeld == 0) {
            OnCaptureEnd();
        }
        return 0;
    }
    int32_t OnMouseWheel(const RCPtr<LMouseWheelParam>& p) override {
        events.push_back("wheel " + std::to_string(p->direction));
        return 0;
    }
    int32_t OnMouseHWheel(const RCPtr<LMouseWheelParam>& p) override {
        events.push_back("hwheel " + std::to_string(p->direction));
        return 0;
    }
    int32_t OnKey(const RCPtr<LKeyParam>& p) override {
        keys.push_back(p->key);
        return 0;
    }
    std::vector<std::string> events;
    std::vector<KeyCode> keys;
};

const char* const kSkin = R"(
<Colorizers>
  <Colorizer Name="Red" ColorType="SolidFill" Color="0xFFFF0000"/>
  <Colorizer Name="Gray" ColorType="SolidFill" Color="0xFF808080"/>
</Colorizers>
<Parts>
  <Part Name="Red" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Red"/>
  <Part Name="Gray" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Gray"/>
</Parts>
<Looks>
  <Look Name="Red"><ClientPart Name="Red" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Gray"><ClientPart Name="Gray" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
</Looks>
<LookLists>
  <LookList Name="Red" NumLooks="1"><Look Name="Red" Index="0"/></LookList>
  <LookList Name="Gray" NumLooks="1"><Look Name="Gray" Index="0"/></LookList>
</LookLists>
<Skin Name="Default">
  <SubControl Class="Framework.Panel" Name="Main" XMinSizeAbs="120" YMinSizeAbs="80">
    <Skin Name="s" LookList="Gray"/>
    <SubControl Class="Test.Input" Name="Target" TabStop="1" XPositionAbs="20" YPositionAbs="10" XSizeAbs="50"
        YSizeAbs="30"><Skin Name="s" LookList="Red"/></SubControl>
  </SubControl></Skin>)";

class OSWindowTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        if (!mSdl.Ok()) {
            GTEST_SKIP() << "SDL's offscreen video driver is not available: " << SDL_GetError();
        }
        TestSupport::UseTestFonts();
        mFactory->RegisterControlClass(u"Test.Input", &CreateControlFunction<InputRecorder>);
        LoadSkin(kSkin);
        mWindow = std::make_unique<OSWindow>(&mOwner, u"Test", RectT<int32_t>{0, 0, 200, 100});
        ASSERT_TRUE(mWindow->IsCreated()) << SDL_GetError();
        ASSERT_EQ(mWindow->Initialize(kRendererGDI), S_OK);
        mRoot = mWindow->GetRootWindow();
        mMain = Create(u"Main");
        ASSERT_TRUE(mMain);
        mRoot->SetRootControl(mMain);
        mTarget = RCPtr<InputRecorder>(dynamic_cast<InputRecorder*>(Find(mMain, u"Target").Get()));
        ASSERT_TRUE(mTarget);
        mWindow->Show(kShowNormal);
        Push(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
        Pump();
    }
    void TearDown() override {
        mTarget = nullptr;
        mMain = nullptr;
        mRoot = nullptr;
        mWindow.reset();
        ControlTestFixture::TearDown();
    }

    SDL_Event WindowEvent(uint8_t kind, int32_t data1 = 0, int32_t data2 = 0) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = mWindow->GetWindowId();
        event.window.event = kind;
        event.window.data1 = data1;
        event.window.data2 = data2;
        return event;
    }
    SDL_Event Button(bool down, uint8_t button, int32_t x, int32_t y, uint8_t clicks = 1) {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = mWindow->GetWindowId();
        event.button.button = button;
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = clicks;
        event.button.x = x;
        event.button.y = y;
        return event;
    }
    SDL_Event Motion(int32_t x, int32_t y) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = mWindow->GetWindowId();
        event.motion.x = x;
        event.motion.y = y;
        return event;
    }
    SDL_Event Wheel(float y, float x = 0.0f) {
        SDL_Event event{};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = mWindow->GetWindowId();
        event.wheel.preciseY = y;
        event.wheel.preciseX = x;
        event.wheel.y = static_cast<int32_t>(y);
        event.wheel.x = static_cast<int32_t>(x);
        event.wheel.mouseX = 30;
        event.wheel.mouseY = 20;
        return event;
    }
    SDL_Event Key(bool down, SDL_Keycode sym, SDL_Scancode scancode, uint16_t mod, uint8_t repeat = 0) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = mWindow->GetWindowId();
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat;
        event.key.keysym.sym = sym;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        return event;
    }
    SDL_Event Text(const char* utf8) {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = mWindow->GetWindowId();
        SDL_strlcpy(event.text.text, utf8, sizeof(event.text.text));
        return event;
    }
    void Push(const SDL_Event& event) {
        SDL_Event copy = event;
        ASSERT_EQ(SDL_PushEvent(&copy), 1) << SDL_GetError();
    }
    // Hands every waiting event to its window, as the application's loop does.
    void Pump() {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
            DispatchSdlEvent(event);
        }
        while (OSWindow::PaintOneDueWindow()) {
        }
    }

    ScopedSdlOffscreen mSdl;
    TestOwner mOwner;
    std::unique_ptr<OSWindow> mWindow;
    RCPtr<LRootWindow> mRoot;
    RCPtr<LControl> mMain;
    RCPtr<InputRecorder> mTarget;
};

TEST_F(OSWindowTest, AClickBecomesAPressAndAReleaseOnTheControlUnderThePointer) {
    Push(Motion(30, 20));
    Push(Button(true, SDL_BUTTON_LEFT, 30, 20));
    Push(Button(false, SDL_BUTTON_LEFT, 30, 20));
    // A press and release outside every control but over the window, then a double click.
    Push(Button(true, SDL_BUTTON_RIGHT, 190, 90));
    Push(Button(false, SDL_BUTTON_RIGHT, 190, 90));
    Push(Button(true, SDL_BUTTON_LEFT, 25, 15, 1));
    Push(Button(false, SDL_BUTTON_LEFT, 25, 15, 1));
    Push(Button(true, SDL_BUTTON_LEFT, 25, 15, 2));
    // Released outside the window: still the control that was pressed, and the capture ends.
    Push(Button(false, SDL_BUTTON_LEFT, 250, 150, 2));
    Pump();
    EXPECT_EQ(mTarget->events,
              (std::vector<std::string>{"down 1 10,10 mod 0", "up 1 10,10", "down 1 5,5 mod 0", "up 1 5,5",
                                        "down 1 5,5 double mod 0", "up 1 230,140"}));
    EXPECT_FALSE(mRoot->GetCaptureControl());
    EXPECT_FALSE(mWindow->HasOSCapture());
    EXPECT_EQ(mWindow->GetMouseButtons(), 0u);
}

TEST_F(OSWindowTest, APopupWindowShowsItsControlOnTopAndHandsItsPointerBackToTheOwner) {
    int32_t ownerX = 0;
    int32_t ownerY = 0;
    SDL_GetWindowPosition(SdlWindowOf(*mWindow), &ownerX, &ownerY);
    RectT<int32_t> area;
    ASSERT_TRUE(mWindow->GetPopupArea(area));
    const RectT<int32_t> work = GetApplicationServices().GetWorkArea();
    EXPECT_EQ(area, (RectT<int32_t>{work.x - ownerX, work.y - ownerY, work.width, work.height}));

    ASSERT_EQ(mWindow->ShowPopupWindow(RCPtr<LControl>(mTarget.Get()), {20, 10, 50, 30}), S_OK);
    OSWindow* popup = mWindow->FindPopupWindow(mTarget.Get());
    ASSERT_NE(popup, nullptr);
    const uint32_t flags = SDL_GetWindowFlags(SdlWindowOf(*popup));
    const uint32_t kind =
        SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALWAYS_ON_TOP;
    EXPECT_EQ(flags & kind, kind);
    EXPECT_EQ(flags & SDL_WINDOW_HIDDEN, 0u);
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    SDL_GetWindowPosition(SdlWindowOf(*popup), &x, &y);
    SDL_GetWindowSize(SdlWindowOf(*popup), &width, &height);
    EXPECT_EQ((RectT<int32_t>{x, y, width, height}), (RectT<int32_t>{ownerX + 20, ownerY + 10, 50, 30}));
    Pump();

    // A click in the popup window is the owner's, at the owner's coordinates.
    SDL_Event down = Button(true, SDL_BUTTON_LEFT, 5, 6);
    SDL_Event up = Button(false, SDL_BUTTON_LEFT, 5, 6);
    down.button.windowID = up.button.windowID = popup->GetWindowId();
    Push(down);
    Push(up);
    Pump();
    EXPECT_EQ(mTarget->events, (std::vector<std::string>{"down 1 5,6 mod 0", "up 1 5,6"}));
    EXPECT_EQ(mWindow->GetCursorPos(), (PointT<int32_t>{25, 16}));

    // The owner's invalidations that meet the popup paint it again.
    mRoot->Invalidate({150, 80, 10, 10});
    EXPECT_FALSE(popup->IsPaintDue());
    mRoot->Invalidate({60, 30, 100, 100});
    EXPECT_TRUE(popup->IsPaintDue());
    Pump();

    // Hidden, its window stays for the next popup and passes nothing on.
    mWindow->HidePopupWindow(mTarget.Get());
    EXPECT_EQ(mWindow->FindPopupWindow(mTarget.Get()), nullptr);
    EXPECT_NE(SDL_GetWindowFlags(SdlWindowOf(*popup)) & SDL_WINDOW_HIDDEN, 0u);
    Push(down);
    Pump();
    EXPECT_EQ(mTarget->events.size(), 2u);
    ASSERT_EQ(mWindow->ShowPopupWindow(RCPtr<LControl>(mMain.Get()), {0, 0, 200, 100}), S_OK);
    EXPECT_EQ(mWindow->FindPopupWindow(mMain.Get()), popup);
}

TEST_F(OSWindowTest, WheelDeltasCountInNotchesOfOneHundredTwentyWithOneCallPerEvent) {
    Push(Wheel(0.5f));
    Pump();
    EXPECT_TRUE(mTarget->events.empty());
    Push(Wheel(0.5f));
    Push(Wheel(3.0f));
    Push(Wheel(-1.0f));
    Push(Wheel(0.0f, 1.0f));
    Push(Wheel(0.0f, -2.0f));
    Pump();
    EXPECT_EQ(mTarget->events,
              (std::vector<std::string>{"wheel 1", "wheel 1", "wheel 0", "hwheel 3", "hwheel 2"}));
}

TEST_F(OSWindowTest, KeysAndTypedTextReachTheFocusControl) {
    ASSERT_EQ(mTarget->SetFocus(true), S_OK);
    Push(Key(true, SDLK_a, SDL_SCANCODE_A, KMOD_NONE));
    Push(Text("a"));
    Push(Key(false, SDLK_a, SDL_SCANCODE_A, KMOD_NONE));
    Push(Key(true, SDLK_7, SDL_SCANCODE_7, KMOD_RSHIFT, 1));
    Push(Text("/\xE2\x82\xAC"));
    Push(Key(true, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_NONE));
    Push(Key(true, SDLK_TAB, SDL_SCANCODE_TAB, KMOD_LSHIFT));
    Push(Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_NONE));
    Push(Key(true, SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL));
    Pump();
    const KeyCode expected[] = {
        KeyCode('A', true, 0, 0),
        KeyCode(u'a', 0),
        KeyCode('A', false, 1, 0),
        KeyCode('7', true, 1, KeyCode::kShift | KeyCode::kRightShift),
        KeyCode(u'/', 0),
        KeyCode(u'\u20AC', 0),
        KeyCode(0x08, true, 0, 0),
        KeyCode(u'\b', 0),
        KeyCode(0x09, true, 0, KeyCode::kShift | KeyCode::kLeftShift),
        KeyCode(u'\t', KeyCode::kShift),
        KeyCode(0x0D, true, 0, 0),
        KeyCode(u'\r', 0),
        KeyCode('C', true, 0, KeyCode::kCtrl | KeyCode::kLeftCtrl),
        KeyCode(char16_t{3}, KeyCode::kCtrl),
    };
    ASSERT_EQ(mTarget->keys.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(mTarget->keys[i].GetCode(), expected[i].GetCode()) << i;
        EXPECT_EQ(mTarget->keys[i].GetSideBits(), expected[i].GetSideBits()) << i;
        EXPECT_EQ(mTarget->keys[i].GetValue(), expected[i].GetValue()) << i;
    }
}

TEST_F(OSWindowTest, ThePresenterCopiesOnlyTheUpdateRectangles) {
    mWindow->Paint();
    EXPECT_EQ(mWindow->GetDesktopWindow()->GetLastCopiedPixels(), 200 * 100);
    SDL_Surface* surface = SDL_GetWindowSurface(SdlWindowOf(*mWindow));
    ASSERT_NE(surface, nullptr);
    const auto pixel = [&](int32_t x, int32_t y) { return SurfacePixel(surface, x, y); };
    EXPECT_EQ(pixel(30, 20), 0xFFFF0000);
    EXPECT_EQ(pixel(5, 5), 0xFF808080);

    // One control's rectangle invalidated (from any thread) paints and presents that alone.
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 255));
    mTarget->InvalidateRect({0, 0, 50, 30}, true);
    Pump();
    EXPECT_EQ(mWindow->GetDesktopWindow()->GetLastCopiedPixels(), 50 * 30);
    EXPECT_EQ(pixel(30, 20), 0xFFFF0000);
    EXPECT_EQ(pixel(5, 5), 0xFF0000FF) << "outside the update region the window keeps its pixels";

    // Two small changes in opposite corners: those two areas, not the box around them.
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 255));
    mRoot->Invalidate({0, 0, 8, 8});
    mRoot->Invalidate({192, 92, 8, 8});
    Pump();
    EXPECT_EQ(mWindow->GetDesktopWindow()->GetLastCopiedPixels(), 2 * 8 * 8);
    EXPECT_EQ(pixel(2, 2), 0xFF808080);
    EXPECT_EQ(pixel(196, 96), 0xFF808080);
    EXPECT_EQ(pixel(100, 50), 0xFF0000FF);
}

// Invalidating wakes the loop every time: a wake that did not arrive leaves the paint due but
// the next invalidation wakes again.
TEST_F(OSWindowTest, EveryInvalidationWakesTheLoopUntilThePaint) {
    static std::atomic<int32_t> wakes{0};
    wakes = 0;
    const UserInterfaceWakeFunction previous = SetUserInterfaceWake([] { ++wakes; });
    mTarget->InvalidateRect({0, 0, 5, 5}, true);
    mTarget->InvalidateRect({10, 10, 5, 5}, true);
    EXPECT_EQ(wakes.load(), 2);
    EXPECT_TRUE(mWindow->IsPaintDue());
    Pump();
    EXPECT_FALSE(mWindow->IsPaintDue());
    SetUserInterfaceWake(previous);
}

// A root window outlives its host window in whoever holds it; invalidations from another thread
// meanwhile reach the window while it exists and nothing after it is gone.
TEST_F(OSWindowTest, ARootWindowLetsGoOfItsHostWindowWhenItIsDestroyed) {
    std::atomic<bool> stop{false};
    std::atomic<int32_t> rounds{0};
    std::thread worker([&] {
        while (!stop) {
            mRoot->Invalidate({0, 0, 10, 10});
            ++rounds;
        }
    });
    while (rounds < 100) {
        std::this_thread::yield();
    }
    mWindow.reset();
    const int32_t after = rounds + 100;
    while (rounds < after) {
        std::this_thread::yield();
    }
    stop = true;
    worker.join();
    EXPECT_EQ(mRoot->GetOSServices(), nullptr);
}

TEST_F(OSWindowTest, AfterANewSizeFramesAreDrawnInTheNewWindowSurface) {
    mWindow->Paint();
    SDL_SetWindowSize(SdlWindowOf(*mWindow), 260, 140);
    HandleSdlEvent(*mWindow, WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 260, 140));
    mWindow->Paint();
    EXPECT_EQ(mWindow->GetDesktopWindow()->GetLastCopiedPixels(), 260 * 140);
    SDL_Surface* surface = SDL_GetWindowSurface(SdlWindowOf(*mWindow));
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->w, 260);
    ASSERT_EQ(surface->h, 140);
    const auto pixel = [&](int32_t x, int32_t y) { return SurfacePixel(surface, x, y); };
    EXPECT_EQ(pixel(30, 20), 0xFFFF0000);
    EXPECT_EQ(pixel(259, 139), 0xFF808080);
}

TEST_F(OSWindowTest, TheSizeIsCorrectedToTheTreesMinimum) {
    SDL_SetWindowSize(SdlWindowOf(*mWindow), 60, 40);
    HandleSdlEvent(*mWindow, WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 60, 40));
    int32_t width = 0;
    int32_t height = 0;
    SDL_GetWindowSize(SdlWindowOf(*mWindow), &width, &height);
    EXPECT_EQ(width, 120);
    EXPECT_EQ(height, 80);
    HandleSdlEvent(*mWindow, WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 120, 80));
    EXPECT_EQ(mMain->GetFrame(), (RectT<double>{0, 0, 120, 80}));
}

TEST_F(OSWindowTest, TheMainWindowsCloseButtonRequestsTheExitAndADialogsClosesIt) {
    struct ExitRecorder : LNotificationClient {
        void ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                 const RCPtr<LNotification>&) override {
            ++count;
        }
        int32_t count = 0;
    };
    const RCPtr<ExitRecorder> recorder(new ExitRecorder());
    const RCPtr<LNotificationCenter> centre = GetMainNotificationCenter();
    recorder->RegisterForNotification(RCPtr<LNotificationDistributor>(centre), u"NID_APP_EXIT_REQ", 0);
    Push(WindowEvent(SDL_WINDOWEVENT_CLOSE));
    Pump();
    centre->ProcessQueue(false);
    EXPECT_EQ(recorder->count, 1);
    EXPECT_TRUE(mWindow->IsCreated()) << "the system never closes a window by itself";
    recorder->UnregisterAll();

    OSWindow dialog(&mOwner, u"Dialog", {0, 0, 100, 60}, mWindow.get());
    ASSERT_EQ(dialog.Initialize(kRendererGDI), S_OK);
    HandleSdlEvent(dialog, [&] {
        SDL_Event event = WindowEvent(SDL_WINDOWEVENT_CLOSE);
        event.window.windowID = dialog.GetWindowId();
        return event;
    }());
    EXPECT_TRUE(dialog.IsCreated());
    dialog.GetRootWindow()->ProcessQueue(false);
    EXPECT_FALSE(dialog.IsCreated());
    EXPECT_EQ(mOwner.destroyed, (std::vector<OSWindow*>{&dialog}));
}

TEST_F(OSWindowTest, AModalRunDisablesItsOwnerAndShowsAtItsFirstIdleMoment) {
    OSWindow dialog(&mOwner, u"Dialog", {0, 0, 100, 60}, mWindow.get());
    ASSERT_EQ(dialog.Initialize(kRendererGDI), S_OK);
    bool ownerDisabled = false;
    bool shown = false;
    mOwner.onIdle = [&](int32_t count) {
        ownerDisabled = !mWindow->IsEnabled();
        shown = (SDL_GetWindowFlags(SdlWindowOf(dialog)) & SDL_WINDOW_SHOWN) != 0;
        if (count == 1) {
            dialog.GetRootWindow()->RequestClose(6);
            dialog.GetRootWindow()->ProcessQueue(false);
        }
    };
    EXPECT_EQ(dialog.RunModal(), 6);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(mWindow->IsEnabled());
    EXPECT_FALSE(dialog.IsCreated());
}

TEST_F(OSWindowTest, AHandedOverCommandLineIsReadToItsLengthOrFirstZero) {
    const char withZero[] = {'-', 'a', '\0', 'x', 'y'};
    mWindow->OnForwardedCommandLine(withZero, sizeof(withZero));
    // No terminating zero within the length: the length ends it, nothing past it is read.
    const char* unterminated = "-open file.skp and more";
    mWindow->OnForwardedCommandLine(unterminated, 5);
    mWindow->SetEnabled(false);
    mWindow->OnForwardedCommandLine(unterminated, 5);
    EXPECT_EQ(mOwner.commandLines, (std::vector<std::string>{"-a", "-open"}));
}

TEST_F(OSWindowTest, TheMainWindowsPlacementIsWrittenWhenItIsDestroyed) {
    SDL_SetWindowPosition(SdlWindowOf(*mWindow), 30, 40);
    mWindow->DestroyWindow();
    EXPECT_EQ(mOwner.profileSection, WString(OSWindow::kMainWindowClassName));
    EXPECT_EQ(mOwner.profileEntry, WString(u"WP"));
    ASSERT_EQ(mOwner.profileValue.size(), 44u);
    const auto at = [&](size_t index) {
        int32_t value = 0;
        std::memcpy(&value, mOwner.profileValue.data() + index * 4, 4);
        return value;
    };
    EXPECT_EQ(at(0), 44);
    EXPECT_EQ(at(2), kShowNormal);
    EXPECT_EQ(at(9) - at(7), 200);
    EXPECT_EQ(at(10) - at(8), 100);
    EXPECT_TRUE(mOwner.roots.empty());
}

}  // namespace
}  // namespace QV
