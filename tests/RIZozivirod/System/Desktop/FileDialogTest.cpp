#include "RIZozivirod/System/Desktop/FileDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UITestSupport/ScriptedDesktopShell.h"
#include "UITestSupport/TestApplicationServices.h"

namespace QV {
namespace {

using Platform::FileChooserRequest;

std::string FileDialogUtf8(const WString& text) {
    return text.ToUTF8().GetString();
}

std::vector<std::string> FileDialogUtf8(const Array<WString>& texts) {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < texts.GetCount(); ++i) {
        out.push_back(FileDialogUtf8(texts.GetAt(i)));
    }
    return out;
}

class FileDialogTest : public testing::Test {
protected:
    const WString kFilter = u"Skylet Preset (*.skp)|*.skp|All Files (*.*)|*.*|";

    TestSupport::ScriptedDesktopShell mShell;
    ScopedTestApplicationServices mServices;
    RCPtr<LFileDialog> mDialog{new LFileDialog(u"/home/ann/Presets", 0x1234)};
};

TEST_F(FileDialogTest, OpenAsksWithFiltersTitleAndFolderAndTheNextOpenStartsWhereTheChoiceWas) {
    mShell.ScriptChooser({"/home/ann/Bänke/Lead pad.skp"});
    ASSERT_EQ(mDialog->ShowOpenDialog(kFilter, u"skp", u"Select Preset File", false), S_OK);
    EXPECT_EQ(FileDialogUtf8(mDialog->GetFilePath()), "/home/ann/Bänke/Lead pad.skp");
    EXPECT_EQ(FileDialogUtf8(mDialog->GetFolderPath()), "/home/ann/Bänke");
    EXPECT_TRUE(mDialog->GetFilePaths().GetCount() == 0);

    ASSERT_EQ(mShell.chooserRequests.size(), 1u);
    const FileChooserRequest& request = mShell.chooserRequests[0];
    EXPECT_EQ(request.mode, FileChooserRequest::Mode::kOpen);
    EXPECT_EQ(request.owner, 0x1234);
    EXPECT_EQ(request.title, "Select Preset File");
    EXPECT_EQ(request.folder, "/home/ann/Presets");
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].description, "Skylet Preset (*.skp)");
    EXPECT_EQ(request.filters[0].patterns, std::vector<std::string>{"*.skp"});
    EXPECT_EQ(request.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(request.filters[1].patterns, std::vector<std::string>{"*.*"});

    // Cancelled: the folder stays where the last choice was.
    EXPECT_EQ(mDialog->ShowOpenDialog(u"Banks|*.skb;*.syx", u"", u"", false), E_FAIL);
    ASSERT_EQ(mShell.chooserRequests.size(), 2u);
    EXPECT_EQ(mShell.chooserRequests[1].folder, "/home/ann/Bänke");
    EXPECT_EQ(mShell.chooserRequests[1].title, "");
    ASSERT_EQ(mShell.chooserRequests[1].filters.size(), 1u);
    EXPECT_EQ(mShell.chooserRequests[1].filters[0].patterns, (std::vector<std::string>{"*.skb", "*.syx"}));
    EXPECT_EQ(FileDialogUtf8(mDialog->GetFolderPath()), "/home/ann/Bänke");
}

TEST_F(FileDialogTest, MultipleSelectionGivesFullPathsAndIsAskedOnlyWhenWanted) {
    struct Step {
        bool multiple;
        std::vector<std::string> answer;
        FileChooserRequest::Mode mode;
        std::string filePath;
        std::string folder;
        std::vector<std::string> paths;
    };
    const std::vector<Step> steps = {
        {true,
         {"/srv/banks/a.skp", "/srv/banks/b c.skp", "/srv/banks/ü.skp"},
         FileChooserRequest::Mode::kOpenMultiple,
         "/srv/banks",
         "/srv/banks",
         {"/srv/banks/a.skp", "/srv/banks/b c.skp", "/srv/banks/ü.skp"}},
        // One file picked in a multiple selection is that file, not an empty list.
        {true,
         {"/srv/other/only.skp"},
         FileChooserRequest::Mode::kOpenMultiple,
         "/srv/other/only.skp",
         "/srv/other",
         {"/srv/other/only.skp"}},
        // A single open after a multiple one asks for one file and gives no list.
        {false, {"/srv/x.skp"}, FileChooserRequest::Mode::kOpen, "/srv/x.skp", "/srv", {}},
        {false, {"/srv/y.skp", "/srv/z.skp"}, FileChooserRequest::Mode::kOpen, "/srv/y.skp", "/srv", {}},
        {true, {"/a.skp", "/b.skp"}, FileChooserRequest::Mode::kOpenMultiple, "/", "/", {"/a.skp", "/b.skp"}},
        {true,
         {"/srv/banks/a.skp", "/srv/b.skp"},
         FileChooserRequest::Mode::kOpenMultiple,
         "/srv",
         "/srv",
         {"/srv/banks/a.skp", "/srv/b.skp"}},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        const Step& step = steps[i];
        mShell.ScriptChooser(step.answer);
        ASSERT_EQ(mDialog->ShowOpenDialog(kFilter, u"skp", u"Load", step.multiple), S_OK);
        EXPECT_EQ(mShell.chooserRequests.back().mode, step.mode);
        EXPECT_EQ(FileDialogUtf8(mDialog->GetFilePath()), step.filePath);
        EXPECT_EQ(FileDialogUtf8(mDialog->GetFolderPath()), step.folder);
        EXPECT_EQ(FileDialogUtf8(mDialog->GetFilePaths()), step.paths);
    }
    mShell.ScriptChooser({});
    EXPECT_EQ(mDialog->ShowOpenDialog(kFilter, u"skp", u"Load", true), E_FAIL);
    EXPECT_TRUE(mDialog->GetFilePaths().GetCount() == 0);
}

TEST_F(FileDialogTest, AnswersMustFitTheFileBufferWithTheirZeros) {
    const std::string folder = "/" + std::string(2001, 'f');
    struct Case {
        std::vector<std::string> answer;
        bool multiple;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {{"/" + std::string(LFileDialog::kBufferLength - 2, 'n')}, false, S_OK},  // path and zero: 2600
        {{"/" + std::string(LFileDialog::kBufferLength - 1, 'n')}, false, E_FAIL},
        {{"/" + std::string(LFileDialog::kBufferLength - 3, 'n')}, true, S_OK},  // path, zero, end of list
        {{"/" + std::string(LFileDialog::kBufferLength - 2, 'n')}, true, E_FAIL},
        // folder (2002 + 1), two names (297 + 1 each) and the end of the list: 2600
        {{folder + "/" + std::string(297, 'a'), folder + "/" + std::string(297, 'b')}, true, S_OK},
        {{folder + "/" + std::string(297, 'a'), folder + "/" + std::string(298, 'b')}, true, E_FAIL},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        mShell.ScriptChooser(cases[i].answer);
        testing::internal::CaptureStderr();
        EXPECT_EQ(mDialog->ShowOpenDialog(kFilter, u"", u"", cases[i].multiple), cases[i].result);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(log.find("does not fit") != std::string::npos, cases[i].result != S_OK);
        if (cases[i].result == S_OK) {
            EXPECT_EQ(mDialog->GetFilePaths().GetCount(), cases[i].multiple ? cases[i].answer.size() : 0u);
        }
    }
}

TEST_F(FileDialogTest, SaveProposesUntitledAsksBeforeOverwritingAndAddsTheDefaultExtension) {
    mShell.ScriptChooser({"/home/ann/Saved/bright"});
    ASSERT_EQ(mDialog->ShowSaveDialog(kFilter, u"skp", u"Select Save Location", -1), S_OK);
    EXPECT_EQ(FileDialogUtf8(mDialog->GetFilePath()), "/home/ann/Saved/bright.skp");
    EXPECT_EQ(FileDialogUtf8(mDialog->GetFolderPath()), "/home/ann/Saved");
    ASSERT_EQ(mShell.chooserRequests.size(), 1u);
    const FileChooserRequest& request = mShell.chooserRequests[0];
    EXPECT_EQ(request.mode, FileChooserRequest::Mode::kSave);
    EXPECT_EQ(request.fileName, "Untitled");
    EXPECT_EQ(request.folder, "/home/ann/Presets");
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(request.title, "Select Save Location");

    mShell.ScriptChooser({"/tmp/with.ext"});
    ASSERT_EQ(mDialog->ShowSaveDialog(kFilter, u"*.skp", u"", -1), S_OK);
    EXPECT_EQ(FileDialogUtf8(mDialog->GetFilePath()), "/tmp/with.ext");

    // A zero limit is refused before anything is shown.
    EXPECT_EQ(mDialog->ShowSaveDialog(kFilter, u"skp", u"", 0), E_INVALIDARG);
    EXPECT_EQ(mShell.chooserRequests.size(), 2u);
    mShell.ScriptChooser({});
    EXPECT_EQ(mDialog->ShowSaveDialog(kFilter, u"skp", u"", -1), E_FAIL);
    EXPECT_TRUE(mServices->messageBoxes.empty());
}

TEST_F(FileDialogTest, SaveRefusesANameOverTheLimitWithAnErrorBox) {
    struct Case {
        const char* chosen;
        int32_t limit;
        int32_t result;
    };
    const std::vector<Case> cases = {
        {"/d/twelve.skp", 10, S_OK},  // "twelve.skp" is 10 long
        {"/d/twelve1.skp", 10, E_FAIL},
        {"/d/ääääää.skp", 10, S_OK},  // counted in characters, not bytes
        {"/d/much longer name.skp", -1, S_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        mServices->messageBoxes.clear();
        const WString folderBefore = mDialog->GetFolderPath();
        mShell.ScriptChooser({c.chosen});
        EXPECT_EQ(mDialog->ShowSaveDialog(kFilter, u"skp", u"", c.limit), c.result);
        if (c.result == S_OK) {
            EXPECT_TRUE(mServices->messageBoxes.empty());
            EXPECT_EQ(FileDialogUtf8(mDialog->GetFolderPath()), "/d");
            continue;
        }
        ASSERT_EQ(mServices->messageBoxes.size(), 1u);
        EXPECT_EQ(FileDialogUtf8(mServices->messageBoxes[0].caption), "File Save Error");
        EXPECT_EQ(FileDialogUtf8(mServices->messageBoxes[0].text),
                  "The file length is larger than the maximum limit of 10 characters ");
        EXPECT_EQ(mServices->messageBoxes[0].style, 0x10u);
        EXPECT_EQ(mDialog->GetFolderPath(), folderBefore);
    }
}

TEST_F(FileDialogTest, ShellOpenHandsThePathToTheDesktop) {
    mShell.ScriptOpenDocument(true);
    mShell.ScriptOpenDocument(false);
    EXPECT_EQ(LFileDialog::ShellOpen(u"/opt/Skylet/Skylet Editor - User Guide - v1.0.pdf"), S_OK);
    EXPECT_EQ(LFileDialog::ShellOpen(u"/opt/Skylet/Guide ü.pdf"), E_FAIL);
    EXPECT_EQ(mShell.documents, (std::vector<std::string>{"/opt/Skylet/Skylet Editor - User Guide - v1.0.pdf",
                                                          "/opt/Skylet/Guide ü.pdf"}));
}

TEST(FileDialogShellOpenTest, AMissingFileIsAFailure) {
    EXPECT_EQ(LFileDialog::ShellOpen(u"/nonexistent-skylet-folder/User Guide.pdf"), E_FAIL);
    EXPECT_EQ(LFileDialog::ShellOpen(u""), E_FAIL);
}

}  // namespace
}  // namespace QV
