#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Panel/Application.h"
#include "RIZozivirod/Application/Windows/MFCFrameworkApp.h"
#include "RIZozivirod/ControlBase/DocumentFiles.h"
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
    // Read in place, or beforehand on the loader's thread: the same box at the same step.
    for (const bool loadedBeforehand : {false, true}) {
        SCOPED_TRACE(loadedBeforehand);
        TestSupport::ScriptedDesktopShell shell;
        Process::Settings settings = TestSettings(NewFolder("ProgramStartMissing"));
        settings.resourceBase = u"/no/such/resource/folder";
        Process process("editor", settings);
        if (loadedBeforehand) {
            process.StartLoadingResources(-1);
            EXPECT_TRUE(shell.messageBoxes.empty());
        }
        EXPECT_EQ(process.FrameworkWinMain(0x0409), -1);
        ASSERT_EQ(shell.messageBoxes.size(), 1u);
        EXPECT_EQ(shell.messageBoxes[0].text,
                  "The application encountered problems during startup and will now close.");
        EXPECT_EQ(shell.messageBoxes[0].caption, "Error");
        EXPECT_EQ(shell.messageBoxes[0].style, 0x10u);
        EXPECT_EQ(shell.messageBoxes[0].owner, 0);
    }
}

TEST(ProgramStartTest, ResourcesLoadedBeforehandServeOnlyTheLocaleTheyWereLoadedFor) {
    QV::Testing::DocumentFiles files;
    files.Write(
        "StringTables.xml",
        R"(<Doc><StringTable ID="X"><String ID="A"><Locale LCID="9">a</Locale><Locale LCID="7">b</Locale>)"
        R"(</String></StringTable></Doc>)");
    files.Write("FrameworkStrings.xml",
                R"(<Doc><StringTable ID="Framework"><String ID="OK"><Locale LCID="9">OK</Locale>)"
                R"(<Locale LCID="7">Gut</Locale></String></StringTable></Doc>)");
    const QV::WString skins = files.Write("Skins.xml", "<Velkor_Skin_Definitions/>");
    const QV::WString folder = skins.Left(skins.GetLength() - 10);  // without "/Skins.xml"
    const struct {
        int32_t loadedFor;
        const char16_t* expected;
    } cases[] = {{-1, u"OK"}, {0x0409, u"OK"}, {0x0407, u"OK"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.loadedFor);
        TestSupport::ScriptedDesktopShell shell;
        Process::Settings settings = TestSettings(NewFolder("ProgramStartLocale"));
        settings.resourceBase = folder;
        Process process("editor", settings);
        process.StartLoadingResources(c.loadedFor);
        // Without FrameworkWinMain the start-up is in English: German documents stay unused.
        ASSERT_TRUE(process.InitApplication());
        QV::WString text;
        ASSERT_TRUE(process.GetFrameworkStrings());
        EXPECT_TRUE(process.GetFrameworkStrings()->GetString(u"OK", text));
        EXPECT_EQ(text, c.expected);
    }
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
