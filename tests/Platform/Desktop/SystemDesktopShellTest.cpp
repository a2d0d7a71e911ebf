#include "Platform/Desktop/SystemDesktopShell.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Desktop/ChildProcess.h"
#include "Platform/DynamicLibrary.h"

namespace Platform {
namespace {

// A folder that is the whole PATH while the test runs, where the test writes stand-ins of the
// desktop's programs. Each stand-in records its arguments and answers as scripted (only
// programs named by their full path run inside the stand-ins).
class FakeProgramsTest : public testing::Test {
protected:
    FakeProgramsTest() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/skylet-programs-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        mFolder = pattern;
        if (const char* path = std::getenv("PATH")) {
            mSavedPath = path;
        }
        ::setenv("PATH", mFolder.c_str(), 1);
    }

    ~FakeProgramsTest() override {
        if (mSavedPath) {
            ::setenv("PATH", mSavedPath->c_str(), 1);
        } else {
            ::unsetenv("PATH");
        }
        std::error_code ignored;
        std::filesystem::remove_all(mFolder, ignored);
    }

    void WriteProgram(const std::string& name, const std::string& output, int exitCode) {
        const std::filesystem::path folder = mFolder;
        std::ofstream(folder / (name + ".out"), std::ios::binary) << output;
        const std::filesystem::path program = folder / name;
        std::ofstream(program) << "#!/bin/sh\n"
                               << "for a in \"${0##*/}\" \"$@\"; do printf '%s\\0' \"$a\"; done > '"
                               << (folder / name).string() << ".args'\n"
                               << "/bin/cat '" << (folder / name).string() << ".out'\n"
                               << "exit " << exitCode << "\n";
        ::chmod(program.c_str(), 0755);
    }

    // The arguments the stand-in was run with; none when it was not run.
    std::optional<std::vector<std::string>> Arguments(const std::string& name) const {
        std::ifstream in(std::filesystem::path(mFolder) / (name + ".args"), std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        std::vector<std::string> arguments;
        std::string argument;
        while (std::getline(in, argument, '\0')) {
            arguments.push_back(argument);
        }
        return arguments;
    }

    std::string mFolder;
    std::optional<std::string> mSavedPath;
    SystemDesktopShell mShell;
};

FileChooserRequest OpenRequest(FileChooserRequest::Mode mode) {
    FileChooserRequest request;
    request.mode = mode;
    request.title = "Presets – \"Bänke\" $HOME";
    request.folder = "/home/ann/My Presets";
    request.filters = {{"Skylet Preset (*.skp)", {"*.skp"}}, {"Banks", {"*.skb", "*.syx"}}};
    return request;
}

TEST_F(FakeProgramsTest, ZenityGetsItsArgumentsAsTheyStandAndAnswersOnePathALine) {
    struct Case {
        FileChooserRequest request;
        std::string output;
        std::vector<std::string> arguments;
        std::vector<std::string> paths;
    };
    FileChooserRequest save = OpenRequest(FileChooserRequest::Mode::kSave);
    save.fileName = "Untitled";
    save.confirmOverwrite = true;
    const std::vector<Case> cases = {
        {OpenRequest(FileChooserRequest::Mode::kOpen),
         "/home/ann/My Presets/a b.skp\n",
         {"zenity", "--file-selection", "--title=Presets – \"Bänke\" $HOME",
          "--filename=/home/ann/My Presets/", "--file-filter=Skylet Preset (*.skp) | *.skp",
          "--file-filter=Banks | *.skb *.syx"},
         {"/home/ann/My Presets/a b.skp"}},
        {OpenRequest(FileChooserRequest::Mode::kOpenMultiple),
         "/p/a.skp\n/p/ü.skp\n",
         {"zenity", "--file-selection", "--title=Presets – \"Bänke\" $HOME", "--multiple", "--separator=\n",
          "--filename=/home/ann/My Presets/", "--file-filter=Skylet Preset (*.skp) | *.skp",
          "--file-filter=Banks | *.skb *.syx"},
         {"/p/a.skp", "/p/ü.skp"}},
        {save,
         "/home/ann/x.skp\n",
         {"zenity", "--file-selection", "--title=Presets – \"Bänke\" $HOME", "--save", "--confirm-overwrite",
          "--filename=/home/ann/My Presets/Untitled", "--file-filter=Skylet Preset (*.skp) | *.skp",
          "--file-filter=Banks | *.skb *.syx"},
         {"/home/ann/x.skp"}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        WriteProgram("zenity", cases[i].output, 0);
        WriteProgram("kdialog", "/never\n", 0);
        const FileChooserAnswer answer = mShell.ChooseFiles(cases[i].request);
        EXPECT_TRUE(answer.chosen);
        EXPECT_EQ(answer.paths, cases[i].paths);
        EXPECT_EQ(Arguments("zenity"), cases[i].arguments);
        EXPECT_FALSE(Arguments("kdialog").has_value());
    }
}

TEST_F(FakeProgramsTest, KdialogStandsInWhenThereIsNoZenity) {
    WriteProgram("kdialog", "/p/a.skp\n/p/b.skp\n", 0);
    const FileChooserAnswer answer = mShell.ChooseFiles(OpenRequest(FileChooserRequest::Mode::kOpenMultiple));
    EXPECT_TRUE(answer.chosen);
    EXPECT_EQ(answer.paths, (std::vector<std::string>{"/p/a.skp", "/p/b.skp"}));
    EXPECT_EQ(
        Arguments("kdialog"),
        (std::vector<std::string>{"kdialog", "--title", "Presets – \"Bänke\" $HOME", "--getopenfilename",
                                  "/home/ann/My Presets/", "*.skp|Skylet Preset (*.skp)\n*.skb *.syx|Banks",
                                  "--multiple", "--separate-output"}));
}

TEST_F(FakeProgramsTest, CancelAndFailureChooseNothingAndOnlyFailureIsLogged) {
    struct Case {
        std::string output;
        int exitCode;
        bool logged;
    };
    const std::vector<Case> cases = {
        {"", 1, false},       // the user cancelled
        {"/p/a\n", 5, true},  // the chooser failed
        {"", 0, false},       // nothing chosen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exitCode);
        WriteProgram("zenity", c.output, c.exitCode);
        testing::internal::CaptureStderr();
        const FileChooserAnswer answer = mShell.ChooseFiles(OpenRequest(FileChooserRequest::Mode::kOpen));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(answer.chosen);
        EXPECT_EQ(log.find("file chooser failed") != std::string::npos, c.logged) << log;
    }
}

TEST_F(FakeProgramsTest, WithoutAChooserDialogsAreCancelledAndTheDebugOutputSaysSoOnce) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(mShell.ChooseFiles(OpenRequest(FileChooserRequest::Mode::kOpen)).chosen);
    EXPECT_FALSE(mShell.ChooseFiles(OpenRequest(FileChooserRequest::Mode::kSave)).chosen);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "File dialogs are not available: neither zenity nor kdialog was found\n");
}

TEST_F(FakeProgramsTest, OpenDocumentRunsXdgOpenForExistingFilesOnly) {
    const std::string document = mFolder + "/User Guide ü.pdf";
    std::ofstream(document) << "%PDF";
    WriteProgram("xdg-open", "", 0);
    EXPECT_FALSE(mShell.OpenDocument(mFolder + "/missing.pdf"));
    EXPECT_FALSE(Arguments("xdg-open").has_value());
    EXPECT_TRUE(mShell.OpenDocument(document));
    EXPECT_EQ(Arguments("xdg-open"), (std::vector<std::string>{"xdg-open", document}));
    WriteProgram("xdg-open", "", 4);
    EXPECT_FALSE(mShell.OpenDocument(document));
    std::filesystem::remove(std::filesystem::path(mFolder) / "xdg-open");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(mShell.OpenDocument(document));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("xdg-open was not found"), std::string::npos);
}

TEST_F(FakeProgramsTest, RunProcessCollectsOutputAndStopsWaitingAtItsTimeOut) {
    EXPECT_EQ(FindProgram("no-such-program"), "");
    WriteProgram("answer", "42", 3);
    EXPECT_EQ(FindProgram("answer"), mFolder + "/answer");
    const ProcessResult answer = RunProcess(FindProgram("answer"), {"answer"});
    EXPECT_TRUE(answer.started && answer.exited);
    EXPECT_EQ(answer.exitCode, 3);
    EXPECT_EQ(answer.output, "42");

    EXPECT_FALSE(RunProcess(mFolder + "/missing", {"missing"}).started);

    const ProcessResult big = RunProcess("/bin/sh", {"sh", "-c", "/usr/bin/head -c 3000000 /dev/zero"});
    EXPECT_TRUE(big.exited);
    EXPECT_EQ(big.output.size(), kMaxProcessOutput);

    const auto start = std::chrono::steady_clock::now();
    const ProcessResult slow = RunProcess("/bin/sh", {"sh", "-c", "/bin/sleep 12"}, 50);
    EXPECT_TRUE(slow.started);
    EXPECT_FALSE(slow.exited);
    // Not waited for to its end, however slow the machine.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// A descriptor the caller keeps open (here a copy of the error output) does not reach the child,
// which could keep it open long after the call.
TEST_F(FakeProgramsTest, TheChildGetsNoDescriptorButItsStandardOnes) {
    const int kept = ::fcntl(2, F_DUPFD, 100);
    ASSERT_GE(kept, 100);
    const ProcessResult listed = RunProcess("/bin/sh", {"sh", "-c", "exec /bin/ls /proc/self/fd"});
    ::close(kept);
    EXPECT_TRUE(listed.exited);
    EXPECT_NE(listed.output.find("2\n"), std::string::npos) << listed.output;
    EXPECT_EQ(listed.output.find(std::to_string(kept)), std::string::npos) << listed.output;
}

// Does the caller's own work (counting its passes) while the child runs; gives up after giveUpMs
// when that is not negative.
class CountingWaiter : public IProcessWaiter {
public:
    explicit CountingWaiter(int32_t giveUpMs = -1) : mGiveUpMs(giveUpMs) {}
    bool WaitBeside(const std::function<bool()>& ended) override {
        const auto start = std::chrono::steady_clock::now();
        while (!ended()) {
            ++passes;
            if (onPass) {
                onPass(passes);
            }
            if (mGiveUpMs >= 0 &&
                std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(mGiveUpMs)) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    void Wake() override { ++wakes; }

    int32_t passes = 0;
    std::atomic<int32_t> wakes{0};
    std::function<void(int32_t passes)> onPass;

private:
    int32_t mGiveUpMs;
};

TEST_F(FakeProgramsTest, WithAWaiterTheCallerWorksWhileTheChildRunsAndAGiveUpEndsTheChild) {
    // The child answers once the caller has made its eleventh pass (or after half a minute).
    const std::string answered = mFolder + "/answered";
    CountingWaiter patient;
    patient.onPass = [&](int32_t passes) {
        if (passes == 11) {
            std::ofstream created(answered);
        }
    };
    const ProcessResult answer =
        RunProcess("/bin/sh",
                   {"sh", "-c",
                    "i=0; while [ ! -e '" + answered +
                        "' ] && [ $i -lt 3000 ]; do /bin/sleep 0.01; i=$((i+1)); done; echo chosen"},
                   -1, &patient);
    EXPECT_TRUE(answer.exited && !answer.stopped);
    EXPECT_EQ(answer.output, "chosen\n");
    EXPECT_GT(patient.passes, 10);
    EXPECT_EQ(patient.wakes.load(), 1);

    // A child that ends when asked, and one that ignores the request and is killed after the grace
    // time; neither is waited for to its own end.
    for (const char* script : {"/bin/sleep 30", "trap '' TERM; /bin/sleep 30"}) {
        SCOPED_TRACE(script);
        CountingWaiter leaving(20);
        const auto start = std::chrono::steady_clock::now();
        const ProcessResult stopped = RunProcess("/bin/sh", {"sh", "-c", script}, -1, &leaving);
        EXPECT_TRUE(stopped.stopped && stopped.exited);
        EXPECT_EQ(stopped.exitCode, -1);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }
}

TEST_F(FakeProgramsTest, AChooserEndedBecauseTheProgramEndsIsACancelAndNoFailure) {
    const std::string slow = mFolder + "/zenity";
    std::ofstream(slow) << "#!/bin/sh\n/bin/sleep 30\necho /never\n";
    ::chmod(slow.c_str(), 0755);
    CountingWaiter leaving(20);
    IProcessWaiter* previous = SetProcessWaiter(&leaving);
    testing::internal::CaptureStderr();
    const FileChooserAnswer answer = mShell.ChooseFiles(OpenRequest(FileChooserRequest::Mode::kOpen));
    const std::string said = testing::internal::GetCapturedStderr();
    SetProcessWaiter(previous);
    EXPECT_FALSE(answer.chosen);
    EXPECT_TRUE(answer.paths.empty());
    EXPECT_EQ(said.find("failed"), std::string::npos) << said;
}

// The message box's program gets the box as arguments (icon, owner, caption, text, the answers of
// a close and of Escape, then the buttons) and answers with the pressed button's id.
TEST_F(FakeProgramsTest, AMessageBoxIsShownByItsProgramAndAnswersWithThePressedButton) {
    struct Case {
        uint32_t style;
        int exitCode;
        std::vector<std::string> arguments;  // from the icon on
    };
    const std::vector<Case> cases = {
        {MB_OK, IDOK, {"", "0", "Caption", "Text", "1", "1", "1=OK"}},
        {MB_OKCANCEL | MB_ICONWARNING,
         IDCANCEL,
         {"warning", "0", "Caption", "Text", "2", "2", "1=OK", "2=Cancel"}},
        {MB_YESNOCANCEL | MB_ICONQUESTION,
         IDNO,
         {"information", "0", "Caption", "Text", "2", "2", "6=Yes", "7=No", "2=Cancel"}},
        // No Cancel among several buttons: Escape does nothing and closing answers the first.
        {MB_YESNO | MB_ICONINFORMATION,
         IDYES,
         {"information", "0", "Caption", "Text", "6", "0", "6=Yes", "7=No"}},
        {MB_ABORTRETRYIGNORE | MB_ICONERROR,
         IDIGNORE,
         {"error", "0", "Caption", "Text", "3", "0", "3=Abort", "4=Retry", "5=Ignore"}},
        {MB_RETRYCANCEL, IDRETRY, {"", "0", "Caption", "Text", "2", "2", "4=Retry", "2=Cancel"}},
    };
    SystemDesktopShell shell(mFolder + "/box");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        WriteProgram("box", "", c.exitCode);
        EXPECT_EQ(shell.ShowMessageBox(0, "Text", "Caption", c.style), c.exitCode);
        std::vector<std::string> expected = {"box"};  // the stand-in records its own name
        expected.insert(expected.end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(Arguments("box"), expected);
    }
}

// A box that could not be shown answers 0 and the debug output says why; one ended because the
// program is ending answers as closing it would, and is no failure.
TEST_F(FakeProgramsTest, AMessageBoxNotShownAnswersZeroAndOneEndedByTheProgramsEndIsClosed) {
    struct Case {
        std::string output;
        int exitCode;
        std::string said;
    };
    const std::vector<Case> cases = {
        {"No available video device", 0, "Message box not shown (No available video device) : C : T\n"},
        {"", 9, "Message box not shown (exit status 9) : C : T\n"},  // no button of the box
    };
    SystemDesktopShell shell(mFolder + "/box");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exitCode);
        WriteProgram("box", c.output, c.exitCode);
        testing::internal::CaptureStderr();
        EXPECT_EQ(shell.ShowMessageBox(0, "T", "C", MB_OKCANCEL), 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.said);
    }
    SystemDesktopShell missing(mFolder + "/missing");
    testing::internal::CaptureStderr();
    EXPECT_EQ(missing.ShowMessageBox(0, "T", "C", MB_OK), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Message box not shown (" + mFolder + "/missing could not be run) : C : T\n");

    const std::string slow = mFolder + "/box";
    std::ofstream(slow) << "#!/bin/sh\nexec /bin/sleep 30\n";
    ::chmod(slow.c_str(), 0755);
    CountingWaiter leaving(20);
    IProcessWaiter* previous = SetProcessWaiter(&leaving);
    testing::internal::CaptureStderr();
    const int32_t yesNoCancel = shell.ShowMessageBox(0, "T", "C", MB_YESNOCANCEL);
    const int32_t ok = shell.ShowMessageBox(0, "T", "C", MB_OK);
    const std::string said = testing::internal::GetCapturedStderr();
    SetProcessWaiter(previous);
    EXPECT_EQ(yesNoCancel, IDCANCEL);
    EXPECT_EQ(ok, IDOK);
    EXPECT_EQ(said, "");
}

// The real program, found beside the running one: arguments it cannot take and a desktop without
// a display show nothing, and it says why.
TEST_F(FakeProgramsTest, TheMessageBoxProgramSaysWhyItShowedNothing) {
    const std::string self = QV::NString(DynamicLibrary::GetProgramPath().GetString()).GetString();
    const std::string program =
        self.substr(0, self.rfind('/') + 1) + SystemDesktopShell::kMessageBoxProgramName;
    const ProcessResult usage = RunProcess(program, {"skylet-message-box", "error", "0", "C", "T", "1", "1"});
    EXPECT_TRUE(usage.exited);
    EXPECT_EQ(usage.exitCode, 0);
    EXPECT_EQ(usage.output.rfind("usage: ", 0), 0u) << usage.output;
    const ProcessResult unnumbered =
        RunProcess(program, {"skylet-message-box", "error", "0", "C", "T", "1", "1", "OK"});
    EXPECT_EQ(unnumbered.exitCode, 0);
    EXPECT_EQ(unnumbered.output, "a button is not ID=LABEL: OK");

    const char* display = std::getenv("DISPLAY");
    const std::optional<std::string> savedDisplay =
        display != nullptr ? std::optional<std::string>(display) : std::nullopt;
    ::unsetenv("DISPLAY");
    testing::internal::CaptureStderr();
    EXPECT_EQ(mShell.ShowMessageBox(0, "T", "C", MB_OK), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    if (savedDisplay) {
        ::setenv("DISPLAY", savedDisplay->c_str(), 1);
    }
    EXPECT_EQ(said.rfind("Message box not shown (", 0), 0u) << said;
    EXPECT_EQ(said.find("could not be run"), std::string::npos) << said;
}

}  // namespace
}  // namespace Platform
