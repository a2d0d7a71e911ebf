#pragma once

#include <string>

#include "Platform/Desktop/DesktopShell.h"

namespace Platform {

// The desktop's own shell: message boxes (SDL's, shown by skylet-message-box), the file chooser
// of zenity (else kdialog) and xdg-open, each run as a program of its own with an argument
// vector. They are waited for beside the program's event loop (the installed process waiter),
// which keeps the windows painting while the application disables their input; a program that
// ends meanwhile ends the box or the chooser, which then count as cancelled. Without a chooser
// every file dialog counts as cancelled, and the debug output says so once. Diagnostics go to
// the debug output. User-interface thread.
class SystemDesktopShell : public IDesktopShell {
public:
    // How long OpenDocument waits for xdg-open's verdict before taking the hand-over as done.
    static constexpr int32_t kOpenDocumentWaitMs = 5000;
    static constexpr const char* kMessageBoxProgramName = "skylet-message-box";

    // messageBoxProgram: the program that shows message boxes; empty for skylet-message-box in
    // the running program's folder.
    explicit SystemDesktopShell(std::string messageBoxProgram = std::string());

    int32_t ShowMessageBox(intptr_t owner, const std::string& text, const std::string& caption,
                           uint32_t style) override;
    FileChooserAnswer ChooseFiles(const FileChooserRequest& request) override;
    bool OpenDocument(const std::string& path) override;

private:
    std::string mMessageBoxProgram;
    bool mToldNoChooser = false;
};

}  // namespace Platform
