#include "UITestSupport/ScriptedDesktopShell.h"

namespace TestSupport {

ScriptedDesktopShell::ScriptedDesktopShell() : mPrevious(Platform::SetDesktopShell(this)) {}

ScriptedDesktopShell::~ScriptedDesktopShell() {
    Platform::SetDesktopShell(mPrevious);
}

void ScriptedDesktopShell::ScriptChooser(std::vector<std::string> paths) {
    mChooserAnswers.push_back(std::move(paths));
}

void ScriptedDesktopShell::ScriptMessageBox(int32_t answer) {
    mMessageBoxAnswers.push_back(answer);
}

void ScriptedDesktopShell::ScriptOpenDocument(bool opened) {
    mDocumentAnswers.push_back(opened);
}

int32_t ScriptedDesktopShell::ShowMessageBox(intptr_t owner, const std::string& text,
                                             const std::string& caption, uint32_t style) {
    messageBoxes.push_back({owner, text, caption, style});
    if (mMessageBoxAnswers.empty()) {
        return Platform::IDOK;
    }
    const int32_t answer = mMessageBoxAnswers.front();
    mMessageBoxAnswers.pop_front();
    return answer;
}

Platform::FileChooserAnswer ScriptedDesktopShell::ChooseFiles(const Platform::FileChooserRequest& request) {
    chooserRequests.push_back(request);
    Platform::FileChooserAnswer answer;
    if (!mChooserAnswers.empty()) {
        answer.paths = std::move(mChooserAnswers.front());
        mChooserAnswers.pop_front();
        answer.chosen = !answer.paths.empty();
    }
    return answer;
}

bool ScriptedDesktopShell::OpenDocument(const std::string& path) {
    documents.push_back(path);
    if (mDocumentAnswers.empty()) {
        return false;
    }
    const bool opened = mDocumentAnswers.front();
    mDocumentAnswers.pop_front();
    return opened;
}

}  // namespace TestSupport
