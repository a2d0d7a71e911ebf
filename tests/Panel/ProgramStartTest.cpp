#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Panel/Application.h"
#include "RIZozivirod/Application/Windows/MFCFrameworkApp.h"
#include "UITestSupport/ScriptedDesktopShell.h"

namespace {

using Process = QV::MFCFrameworkApp<LApplication>;

Process::Settings TestSettings(const std::string& folder) {
    Process::Settings settings;
    settings.instanceFolder = folder;
    settings.handOverWaitMs = 200;
    return settings;
}

std::string NewFolder(const char* name) {
    const std::string folder = ::testing::TempDir() + name + std::to_string(::getpid());
    std::string command = "mkdir -p '" + folder + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return folder;
}

TEST(ProgramStartTest, MissingResourcesShowTheBuiltInErrorAndEndWithMinusOne) {
    TestSupport::ScriptedDesktopShell shell;
    Process::Settings settings = TestSettings(NewFolder("ProgramStartMissing"));
    settings.resourceBase = u"/no/such/resource/folder";
    Process process("editor", settings);
    EXPECT_EQ(process.FrameworkWinMain(0x0409), -1);
    ASSERT_EQ(shell.messageBoxes.size(), 1u);
    EXPECT_EQ(shell.messageBoxes[0].text,
              "The application encountered problems during startup and will now close.");
    EXPECT_EQ(shell.messageBoxes[0].caption, "Error");
    EXPECT_EQ(shell.messageBoxes[0].style, 0x10u);
    EXPECT_EQ(shell.messageBoxes[0].owner, 0);
}

TEST(ProgramStartTest, ASecondCopyHandsOverItsCommandLineAndDoesNotStart) {
    TestSupport::ScriptedDesktopShell shell;
    const std::string folder = NewFolder("ProgramStartSecond");
    Process first("first", TestSettings(folder));
    ASSERT_TRUE(first.InitApplication());
    EXPECT_TRUE(first.IsFirstInstance());

    // The first copy takes the text at its next poll; the second has ended by then.
    Process second(
        "editor \"two words\" Gr\xC3\xBC\xC3\x9F"
        "e",
        TestSettings(folder));
    EXPECT_EQ(second.FrameworkWinMain(0x0409), -1);
    EXPECT_FALSE(second.IsFirstInstance());
    EXPECT_TRUE(shell.messageBoxes.empty());
}

TEST(ProgramStartTest, TheCommandLineQuotesArgumentsWithBlanks) {
    char program[] = "/opt/skylet/SkyletPresetEditor";
    char plain[] = "-DEBUG_CONSOLE";
    char blanks[] = "two words";
    char empty[] = "";
    char* argv[] = {program, plain, blanks, empty};
    EXPECT_EQ(Process::JoinCommandLine(4, argv),
              "/opt/skylet/SkyletPresetEditor -DEBUG_CONSOLE \"two words\" \"\"");
}

}  // namespace
