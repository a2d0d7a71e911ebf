#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Panel/Application.h"
#include "Platform/Desktop/SystemDesktopShell.h"
#include "RIZozivirod/Application/Windows/BusyState.h"
#include "RIZozivirod/Controls/Dialog.h"
#include "RIZozivirod/Controls/TabControl.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "RIZozivirod/System/Desktop/FileDialog.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "RIZozivirod/Utilities/Graphics/FontText.h"
#include "UITestSupport/ScriptedDesktopShell.h"
#include "UITestSupport/SdlOffscreen.h"
#include "UITestSupport/TestFonts.h"

namespace {

using QV::RCPtr;
using QV::WString;

// A main control and a dialog with an OK and a Cancel button, as a product skin has them.
const char* const kSkin = R"(<Velkor_Skin_Definitions>
<Colorizers><Colorizer Name="Gray" ColorType="SolidFill" Color="0xFF808080"/></Colorizers>
<Parts><Part Name="Gray" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Gray"/></Parts>
<Looks><Look Name="Gray"><ClientPart Name="Gray" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
<LookLists><LookList Name="Gray" NumLooks="1"><Look Name="Gray" Index="0"/></LookList></LookLists>
<Skin Name="Test">
  <SubControl Class="Framework.Panel" Name="mainControl" XSizeAbs="300" YSizeAbs="200"
      XMinSizeAbs="300" YMinSizeAbs="200" XMaxSizeAbs="300" YMaxSizeAbs="200"><Skin Name="s" LookList="Gray"/></SubControl>
  <SubControl Class="Test.Dialog" Name="dialogTest" XPositionAbs="-50" YPositionAbs="20" XSizeAbs="160" YSizeAbs="90">
    <Skin Name="s" LookList="Gray"/>
    <SubControl Class="Framework.Button" Name="buttonOK" XSizeAbs="40" YSizeAbs="20"/>
    <SubControl Class="Framework.Button" Name="buttonCancel" XPositionAbs="50" XSizeAbs="40" YSizeAbs="20"/>
  </SubControl>
</Skin></Velkor_Skin_Definitions>)";

// Ends or vetoes the open dialog when the main centre delivers "NID_TEST_END" (at an idle pass of
// the dialog's modal run), the way a click would.
class DialogDriver : public QV::LNotificationClient {
public:
    void ReceiveNotification(const RCPtr<QV::LNotificationDistributor>&,
                             const RCPtr<QV::LNotification>& notification) override {
        if (QV::GetNotificationName(notification->GetID()) == u"NID_TEST_END" && dialog) {
            QV::LDialog* target = dialog;
            for (int32_t code : codes) {
                if (code == kCloseBox) {
                    dynamic_cast<QV::LRootWindow&>(*target->GetRootWindow()).OnCloseRequest();
                } else {
                    target->EndDialog(code);
                }
            }
        } else if (QV::GetNotificationName(notification->GetID()) == u"NID_DIALOG_CLOSING") {
            ++closing;
            if (vetoes > 0) {
                --vetoes;
                static_cast<QV::LCancelArgs*>(notification->GetParam().Get())->cancel = true;
            }
        } else if (QV::GetNotificationName(notification->GetID()) == u"NID_DIALOG_CLOSED") {
            ++closed;
        }
    }
    // In codes: the window's close box instead of an end code.
    static constexpr int32_t kCloseBox = -1;

    QV::LDialog* dialog = nullptr;
    std::vector<int32_t> codes;
    int32_t vetoes = 0;
    int32_t closing = 0;
    int32_t closed = 0;
};

class ApplicationWindowsTest : public ::testing::Test {
protected:
    explicit ApplicationWindowsTest(const char* driver = "offscreen") : mSdl(driver) {}

    void SetUp() override {
        if (!mSdl.Ok()) {
            GTEST_SKIP() << "SDL's video driver is not available: " << SDL_GetError();
        }
        TestSupport::UseTestFonts();
        factory->SetResourceBasePath(u"::");
        ASSERT_EQ(factory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0409), QV::S_OK);
        if (mProductSkin) {
            ASSERT_EQ(factory->LoadSkins(u"::APP_SKINS"), QV::S_OK);
        } else {
            ASSERT_EQ(factory->ParseXml(kSkin, static_cast<int32_t>(std::string(kSkin).size())), QV::S_OK);
        }
        factory->RegisterControlClass(u"Test.Dialog", &QV::CreateControl<QV::LDialog>);
        // The profiles go to a folder of this test's own: ctest runs each test in a process of its
        // own beside the whole suite in another, so a fixed name in the shared temporary folder
        // would be written and removed by a twin at the same time.
        std::string pattern = std::filesystem::temp_directory_path().string() + "/skylet-windows-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        scratch = pattern;
        app = LApplication::Create(factory, factory->GetFrameworkStringTable(), "editor");
        app->SetProfilePath(WString((scratch / "Profile.ini").c_str()));
        ASSERT_EQ(app->RunApplicationStartup(), QV::S_OK);
        previous = QV::SetApplicationServices(app.Get());
    }
    void TearDown() override {
        if (app) {
            QV::SetApplicationServices(previous);
            app->RunApplicationShutdown();
            app = nullptr;
        }
        if (!scratch.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(scratch, ignored);
        }
    }

    int32_t RunDialog(DialogDriver& driver) {
        RCPtr<QV::LControl> control;
        EXPECT_EQ(app->CreateControl(u"dialogTest", control), QV::S_OK);
        RCPtr<QV::LDialog> dialog(dynamic_cast<QV::LDialog*>(control.Get()));
        EXPECT_TRUE(dialog);
        driver.dialog = dialog.Get();
        driver.RegisterForNotification(QV::GetMainNotificationCenter(), u"NID_TEST_END", 0);
        driver.RegisterForNotification(RCPtr<QV::LNotificationDistributor>(dialog.Get()),
                                       u"NID_DIALOG_CLOSING", 0);
        driver.RegisterForNotification(RCPtr<QV::LNotificationDistributor>(dialog.Get()),
                                       u"NID_DIALOG_CLOSED", 0);
        QV::GetMainNotificationCenter()->PostNotification(u"NID_TEST_END", nullptr);
        const int32_t result = dialog->DoModal();
        driver.UnregisterAll();
        EXPECT_EQ(dialog->GetEndCode(),
                  driver.codes.back() == DialogDriver::kCloseBox ? 2 : driver.codes.back());
        return result;
    }

    QV::ScopedSdlOffscreen mSdl;
    // The product's skin instead of the test's.
    bool mProductSkin = false;
    RCPtr<QV::LControlFactory> factory = QV::LControlFactory::Create(u"Skylet");
    RCPtr<LApplication> app;
    QV::IApplicationServices* previous = nullptr;
    std::filesystem::path scratch;
};

TEST_F(ApplicationWindowsTest, ModalDialogsReturnTheirEndCodeAndListenersCanVeto) {
    ASSERT_EQ(app->CreateMainWindow(1), QV::S_OK);
    ASSERT_EQ(app->CreateMainControl(), QV::S_OK);
    struct Case {
        std::vector<int32_t> codes;
        int32_t vetoes;
        int32_t result;
        int32_t closed;
    };
    // OK, Cancel, and a vetoed Cancel followed by Retry (the vetoed code stays stored until then);
    // the close box is a Cancel the listeners may veto as well.
    const int32_t box = DialogDriver::kCloseBox;
    for (const Case& c : {Case{{1}, 0, 1, 1}, Case{{2}, 0, 2, 1}, Case{{2, 4}, 1, 4, 1}, Case{{box}, 0, 2, 1},
                          Case{{box, 1}, 1, 1, 1}}) {
        // Clients register once they are held by a shared pointer.
        RCPtr<DialogDriver> driver(new DialogDriver());
        driver->codes = c.codes;
        driver->vetoes = c.vetoes;
        EXPECT_EQ(RunDialog(*driver), c.result);
        EXPECT_EQ(driver->closing, static_cast<int32_t>(c.codes.size()));
        EXPECT_EQ(driver->closed, c.closed);
        EXPECT_EQ(app->GetRootWindowCount(), 1);
    }
}

TEST_F(ApplicationWindowsTest, WithoutAnOwnerWindowNoDialogIsShownAndNothingIsLeftBehind) {
    RCPtr<QV::LControl> control;
    ASSERT_EQ(app->CreateControl(u"dialogTest", control), QV::S_OK);
    EXPECT_EQ(app->DoModal(control, true), QV::E_FAIL);
    EXPECT_EQ(app->GetRootWindowCount(), 0);
}

TEST_F(ApplicationWindowsTest, TheMainWindowTakesTheSkinsSizeAndItsTreeFillsIt) {
    ASSERT_EQ(app->CreateMainWindow(1), QV::S_OK);
    ASSERT_EQ(app->CreateMainControl(), QV::S_OK);
    app->ShowMainWindow();
    SDL_Window* window = SdlWindowOf(*app->GetMainWindow());
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 300);
    EXPECT_EQ(height, 200);
    EXPECT_EQ(app->GetRootWindow(0)->GetRootControl()->GetFrame(), (QV::RectT<double>{0, 0, 300, 200}));
}

class ProductWindowTest : public ApplicationWindowsTest {
protected:
    ProductWindowTest() { mProductSkin = true; }
};

TEST_F(ProductWindowTest, TheMainTreeHoldsBackThePagesItsFirstFrameDoesNotShowUntilTheLoopBuildsThemAfterIt) {
    ASSERT_EQ(app->CreateMainWindow(1), QV::S_OK);
    ASSERT_EQ(app->CreateMainControl(), QV::S_OK);
    const RCPtr<QV::LControl> view = app->GetRootWindow(0)->GetRootControl()->FindChild(u"viewDevice");
    ASSERT_TRUE(view);
    auto* tabs = dynamic_cast<QV::LTabControl*>(view->FindChild(u"tabControl").Get());
    ASSERT_NE(tabs, nullptr);
    const RCPtr<QV::LControl> pad = tabs->GetPageAt(0)->FindChild(u"pad1");
    ASSERT_TRUE(pad);
    auto* padTabs = dynamic_cast<QV::LTabControl*>(pad->FindChild(u"tabControl").Get());
    ASSERT_NE(padTabs, nullptr);
    const auto held = [&] {
        std::string out;
        for (QV::LTabControl* control : {tabs, padTabs}) {
            for (uint32_t i = 0; i < control->GetTabCount(); ++i) {
                out += control->IsPageHeldBack(static_cast<int32_t>(i)) ? '-' : '+';
            }
            out += ' ';
        }
        return out;
    };
    EXPECT_EQ(held(), "+----- +- ");
    app->ShowMainWindow();
    // The loop builds them once the first frame has had its time.
    EXPECT_EQ(held(), "+----- +- ");
    bool late = false;
    app->GetMessageLoop().PostDelayed([&late] { late = true; }, 5000);
    app->GetMessageLoop().RunUntil([&] { return late || held() == "++++++ ++ "; });
    EXPECT_FALSE(late);
    EXPECT_EQ(held(), "++++++ ++ ");
    EXPECT_EQ(tabs->GetSelectedName(), u"pads");
    EXPECT_FALSE(tabs->GetPageAt(1)->IsVisible());
}

TEST_F(ApplicationWindowsTest, TextIsMeasuredByTheMainWindowsRendererOnceThereIsOne) {
    EXPECT_FALSE(app->GetMeasuringRenderer());
    ASSERT_EQ(app->CreateMainWindow(1), QV::S_OK);
    RCPtr<QV::LMeasurementRenderer> measurer = app->GetMeasuringRenderer();
    ASSERT_TRUE(measurer);
    EXPECT_EQ(measurer.Get(),
              static_cast<QV::LMeasurementRenderer*>(app->GetRootWindow(0)->GetRenderer().Get()));
    // A centred line lies in the middle of its box, and two lines take twice the line height.
    RCPtr<QV::LFont> font = QV::LFont::GetFont(u"DejaVu Sans", 9.0f, 0);
    RCPtr<QV::LFontText> text = QV::LFontText::Create(u"PADS", font);
    text->SetBoxSize(200, 52);
    text->SetHorizontalAlignment(0.5f);
    text->SetVerticalAlignment(0.5f);
    ASSERT_EQ(text->Layout(), 1);
    const QV::RectT<float> line = text->GetLineRect(0);
    EXPECT_GT(line.width, 20.0f);
    EXPECT_NEAR(line.x + line.width / 2, 100.0f, 1.0f);
    EXPECT_GT(font->GetHeight(), 0);
    text->SetText(u"PROGRAM CHANGE\nKEYBED");
    ASSERT_EQ(text->Layout(), 2);
    EXPECT_EQ(text->GetLineRect(1).y - text->GetLineRect(0).y, static_cast<float>(font->GetHeight()));
}

// A placement that cannot be kept is said in the debug output: a profile that cannot be read is
// left as it is and said once (not again at the save), a save that fails is said.
TEST_F(ApplicationWindowsTest, AProfileThatCannotBeReadIsKeptAndFailedSavesAreSaid) {
    namespace fs = std::filesystem;
    const fs::path folder = scratch / "Profiles";
    fs::create_directories(folder);
    const fs::path looped = folder / "Profile.ini";
    fs::create_symlink(looped.filename(), looped);  // a link to itself: cannot be read
    app->SetProfilePath(WString(looped.c_str()));
    testing::internal::CaptureStderr();
    ASSERT_EQ(app->CreateMainWindow(1), QV::S_OK);
    ASSERT_EQ(app->CreateMainControl(), QV::S_OK);
    app->ShowMainWindow();
    app->GetMainWindow()->DestroyWindow();
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "Window placement : " + looped.string() + " cannot be read (" + std::strerror(ELOOP) +
                        "); it is left as it is and the window's placement is not kept\n");
    EXPECT_TRUE(fs::is_symlink(looped)) << "the profile was replaced";

    const fs::path blocked = folder / "file" / "Profile.ini";
    std::ofstream(folder / "file") << "in the way";
    app->SetProfilePath(WString(blocked.c_str()));
    testing::internal::CaptureStderr();
    ASSERT_EQ(app->CreateMainWindow(1), QV::S_OK);
    app->GetMainWindow()->DestroyWindow();
    said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said,
              "Window placement : not saved in " + blocked.string() + " (" + std::strerror(ENOTDIR) + ")\n");
    fs::remove_all(folder);
}

// Delivers one notification name of the main centre to a function.
class NotificationProbe : public QV::LNotificationClient {
public:
    void ReceiveNotification(const RCPtr<QV::LNotificationDistributor>&,
                             const RCPtr<QV::LNotification>& notification) override {
        if (QV::GetNotificationName(notification->GetID()) == name && onReceive) {
            onReceive();
        }
    }
    WString name;
    std::function<void()> onReceive;
};

// The desktop's chooser for one test: a zenity of the test's own first on PATH that runs script.
class ChooserOnPath {
public:
    explicit ChooserOnPath(const std::string& script) {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/skylet-chooser-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        mFolder = pattern;
        const std::string program = mFolder + "/zenity";
        std::ofstream(program) << "#!/bin/sh\n" << script << "\n";
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        const char* path = std::getenv("PATH");
        mSavedPath = path != nullptr ? path : "";
        ::setenv("PATH", (mFolder + ":" + mSavedPath).c_str(), 1);
    }
    ~ChooserOnPath() {
        ::setenv("PATH", mSavedPath.c_str(), 1);
        std::error_code ignored;
        std::filesystem::remove_all(mFolder, ignored);
    }

private:
    std::string mFolder;
    std::string mSavedPath;
};

// The desktop's message boxes for one test: a program of the test's own that runs script stands in
// for the message box's program of the desktop's own shell.
class MessageBoxStandIn {
public:
    explicit MessageBoxStandIn(const std::string& script) {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/skylet-box-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        mFolder = pattern;
        const std::string program = mFolder + "/box";
        std::ofstream(program) << "#!/bin/sh\n" << script << "\n";
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        mShell = std::make_unique<Platform::SystemDesktopShell>(program);
        mPrevious = Platform::SetDesktopShell(mShell.get());
    }
    ~MessageBoxStandIn() {
        Platform::SetDesktopShell(mPrevious);
        std::error_code ignored;
        std::filesystem::remove_all(mFolder, ignored);
    }

private:
    std::string mFolder;
    std::unique_ptr<Platform::SystemDesktopShell> mShell;
    Platform::IDesktopShell* mPrevious = nullptr;
};

// What a test waits for beside the loop: the file chooser or a message box, each a program.
enum class Waited { kChooser, kMessageBox };

class ApplicationWaitTest : public ApplicationWindowsTest, public ::testing::WithParamInterface<Waited> {};

// While the chooser or a message box runs the program's loop goes on: a timer's repaint is painted
// and presented, a worker's notification is delivered, and the windows take no input until it has
// answered. The stand-ins answer once the test has seen all three (or after half a minute), so a
// slow machine only makes the test take longer.
TEST_P(ApplicationWaitTest, TheLoopKeepsPaintingAndDeliveringWhileTheChooserOrAMessageBoxRuns) {
    ASSERT_EQ(app->CreateMainWindow(1), QV::S_OK);
    ASSERT_EQ(app->CreateMainControl(), QV::S_OK);
    QV::OSWindow* main = app->GetMainWindow();
    while (QV::OSWindow::PaintOneDueWindow()) {
    }
    const std::string answer = (scratch / "answer").string();
    const std::string untilAnswered =
        "i=0; while [ ! -e '" + answer + "' ] && [ $i -lt 3000 ]; do /bin/sleep 0.01; i=$((i+1)); done; ";
    ChooserOnPath chooser(untilAnswered + "echo /presets/chosen.skp");
    MessageBoxStandIn box(untilAnswered + "exit 2");
    bool choosing = false;
    std::vector<std::string> seen;
    const auto saw = [&seen](const char* what) {
        return std::find(seen.begin(), seen.end(), what) != seen.end();
    };
    QV::MessageLoop& loop = app->GetMessageLoop();
    // A timer that repaints a part of the window, then looks again every 10 ms until it has seen
    // the part presented, the window disabled and the worker's notification delivered.
    bool invalidated = false;
    std::function<void()> look = [&] {
        if (!choosing) {
            return;
        }
        if (!invalidated) {
            // Once whatever else was due has been painted, so the part is presented alone.
            if (!main->IsPaintDue()) {
                main->InvalidateRect(QV::RectT<int32_t>{10, 10, 20, 10});
                invalidated = true;
            }
        } else if (!saw("painted") && !main->IsPaintDue() &&
                   main->GetDesktopWindow()->GetLastCopiedPixels() == 200) {
            seen.push_back("painted");
        }
        if (!saw("disabled") && !main->IsEnabled()) {
            seen.push_back("disabled");
        }
        if (saw("painted") && saw("disabled") && saw("delivered")) {
            std::ofstream created(answer);
        } else {
            loop.PostDelayed(look, 10);
        }
    };
    loop.PostDelayed(look, 0);
    RCPtr<NotificationProbe> probe(new NotificationProbe());
    probe->name = u"NID_TEST_FROM_WORKER";
    probe->onReceive = [&] { seen.push_back(choosing ? "delivered" : "late"); };
    probe->RegisterForNotification(QV::GetMainNotificationCenter(), u"NID_TEST_FROM_WORKER", 0);
    std::thread worker(
        [] { QV::GetMainNotificationCenter()->PostNotification(u"NID_TEST_FROM_WORKER", nullptr); });

    QV::LFileDialog dialog(u"/presets");
    choosing = true;
    const int32_t result =
        GetParam() == Waited::kChooser
            ? dialog.ShowOpenDialog(u"Presets (*.skp)|*.skp", u"skp", u"Open", false)
            : app->ShowMessageBox(u"Replace the preset?", u"Skylet", Platform::MB_OKCANCEL);
    choosing = false;
    worker.join();
    probe->UnregisterAll();
    if (GetParam() == Waited::kChooser) {
        EXPECT_EQ(result, QV::S_OK);
        EXPECT_EQ(dialog.GetFilePath(), u"/presets/chosen.skp");
    } else {
        EXPECT_EQ(result, Platform::IDCANCEL);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"delivered", "disabled", "painted"}));
    EXPECT_TRUE(main->IsEnabled());
}
INSTANTIATE_TEST_SUITE_P(ChooserAndMessageBox, ApplicationWaitTest,
                         ::testing::Values(Waited::kChooser, Waited::kMessageBox),
                         [](const ::testing::TestParamInfo<Waited>& info) {
                             return info.param == Waited::kChooser ? "Chooser" : "MessageBox";
                         });

void OnTerminationSignalInTest(int) {
    QV::MessageLoop::RequestQuitFromSignal();
}

// A modal run of the loop: a dialog of the program's own, the file chooser or a message box.
enum class Modal { kDialog, kChooser, kMessageBox };

class ApplicationSignalTest : public ApplicationWindowsTest, public ::testing::WithParamInterface<Modal> {};

// A termination signal while a modal dialog, the file chooser or a message box runs: the dialog
// ends with its cancel result, the chooser and the box are ended and count as cancelled, every
// level of the loop ends, and the program closes as the main window's close does (its placement
// saved) once they have gone.
TEST_P(ApplicationSignalTest, ATerminationSignalDuringAModalRunCancelsItAndEndsTheProgram) {
    ChooserOnPath chooser("/bin/sleep 30; echo /never.skp");
    MessageBoxStandIn box("exec /bin/sleep 30");
    const std::filesystem::path profile = scratch / "SignalProfile.ini";
    ASSERT_EQ(app->CreateMainWindow(1), QV::S_OK);
    ASSERT_EQ(app->CreateMainControl(), QV::S_OK);
    struct sigaction action {};
    struct sigaction previousTerm {};
    action.sa_handler = &OnTerminationSignalInTest;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(sigaction(SIGTERM, &action, &previousTerm), 0);

    const Modal modal = GetParam();
    std::vector<std::string> order;
    int32_t result = 0;
    RCPtr<NotificationProbe> probe(new NotificationProbe());
    probe->name = u"NID_TEST_OPEN";
    probe->onReceive = [&] {
        app->GetMessageLoop().PostDelayed(
            [&] {
                order.push_back("signal");
                std::raise(SIGTERM);
            },
            20);
        if (modal == Modal::kChooser) {
            QV::LFileDialog dialog(u"/presets");
            result = dialog.ShowOpenDialog(u"Presets (*.skp)|*.skp", u"skp", u"Open", false);
        } else if (modal == Modal::kMessageBox) {
            result = app->ShowMessageBox(u"Replace the preset?", u"Skylet", Platform::MB_OKCANCEL);
        } else {
            RCPtr<QV::LControl> control;
            app->CreateControl(u"dialogTest", control);
            result = app->DoModal(control, true);
        }
        order.push_back(app->GetMainWindow() != nullptr ? "cancelled" : "main window gone first");
    };
    probe->RegisterForNotification(QV::GetMainNotificationCenter(), u"NID_TEST_OPEN", 0);
    app->SetProfilePath(WString(profile.c_str()));
    QV::GetMainNotificationCenter()->PostNotification(u"NID_TEST_OPEN", nullptr);
    const auto start = std::chrono::steady_clock::now();
    app->Run();
    const auto took = std::chrono::steady_clock::now() - start;
    sigaction(SIGTERM, &previousTerm, nullptr);
    probe->UnregisterAll();

    EXPECT_EQ(result, modal == Modal::kChooser ? QV::E_FAIL : 2);
    EXPECT_EQ(order, (std::vector<std::string>{"signal", "cancelled"}));
    // The chooser or the box was ended, not waited for.
    EXPECT_LT(took, std::chrono::seconds(10));
    EXPECT_TRUE(app->IsExiting());
    EXPECT_EQ(app->GetMainWindow(), nullptr);
    EXPECT_EQ(app->GetRootWindowCount(), 0);
    std::ifstream saved(profile);
    const std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("WP=2C000000"), std::string::npos) << text;
}
std::string ModalName(const ::testing::TestParamInfo<Modal>& info) {
    switch (info.param) {
        case Modal::kDialog:
            return "Dialog";
        case Modal::kChooser:
            return "Chooser";
        case Modal::kMessageBox:
            return "MessageBox";
    }
    return "Unknown";
}
INSTANTIATE_TEST_SUITE_P(DialogChooserAndMessageBox, ApplicationSignalTest,
                         ::testing::Values(Modal::kDialog, Modal::kChooser, Modal::kMessageBox), &ModalName);

}  // namespace

namespace {

// System cursors exist on a real display only: on X when there is one (tests/run-under-xvfb.sh
// gives one), skipped otherwise.
class ApplicationCursorTest : public ApplicationWindowsTest {
protected:
    ApplicationCursorTest() : ApplicationWindowsTest(HasXDisplay() ? "x11" : "offscreen") {}

    static bool HasXDisplay() {
        const char* display = std::getenv("DISPLAY");
        return display != nullptr && *display != '\0';
    }
};

TEST_F(ApplicationCursorTest, CursorsByNameAndTheBusyStateShowingTheWaitCursor) {
    const QV::CursorHandle arrow = app->GetCursor(u"UI_CURSOR_ARROW");
    if (arrow == 0) {
        GTEST_SKIP() << "no system cursors without an X display";
    }
    EXPECT_NE(app->GetCursor(u"UI_CURSOR_HAND"), arrow);
    EXPECT_NE(app->GetCursor(u"UI_CURSOR_HAND"), 0);
    EXPECT_EQ(app->GetCursor(u"NO_SUCH_CURSOR"), arrow);
    EXPECT_EQ(app->GetCursor(u"UI_CURSOR_SPLIT_V"), 0);

    ASSERT_EQ(app->CreateMainWindow(1), QV::S_OK);
    ASSERT_EQ(app->CreateMainControl(), QV::S_OK);
    QV::IWindowOSServices* os = app->GetRootWindow(0)->GetOSServices();
    os->SetCursor(arrow);
    {
        QV::LBusyState busy(u"Loading Skin...");
        const QV::CursorHandle shown = os->SetCursor(arrow);
        EXPECT_EQ(shown, app->GetCursor(u"UI_CURSOR_WAIT"));
        os->SetCursor(shown);
    }
    EXPECT_EQ(os->SetCursor(arrow), arrow);
}

}  // namespace
