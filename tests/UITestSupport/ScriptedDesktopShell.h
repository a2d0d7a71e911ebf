#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "Platform/Desktop/DesktopShell.h"

namespace TestSupport {

// Stands in for the desktop shell while it lives (and puts back the one before): records every message box,
// chooser request and document, and answers from its script in order. Unscripted, a chooser is cancelled, a
// message box answers IDOK and a document is not opened.
class ScriptedDesktopShell : public Platform::IDesktopShell {
public:
    struct MessageBoxCall {
        intptr_t owner;
        std::string text;
        std::string caption;
        uint32_t style;
    };

    ScriptedDesktopShell();
    ~ScriptedDesktopShell() override;
    ScriptedDesktopShell(const ScriptedDesktopShell&) = delete;
    ScriptedDesktopShell& operator=(const ScriptedDesktopShell&) = delete;

    // The next chooser answers with these paths; none: the user cancels.
    void ScriptChooser(std::vector<std::string> paths);
    void ScriptMessageBox(int32_t answer);
    void ScriptOpenDocument(bool opened);

    int32_t ShowMessageBox(intptr_t owner, const std::string& text, const std::string& caption,
                           uint32_t style) override;
    Platform::FileChooserAnswer ChooseFiles(const Platform::FileChooserRequest& request) override;
    bool OpenDocument(const std::string& path) override;

    std::vector<MessageBoxCall> messageBoxes;
    std::vector<Platform::FileChooserRequest> chooserRequests;
    std::vector<std::string> documents;

private:
    std::deque<std::vector<std::string>> mChooserAnswers;
    std::deque<int32_t> mMessageBoxAnswers;
    std::deque<bool> mDocumentAnswers;
    Platform::IDesktopShell* mPrevious;
};

}  // namespace TestSupport
