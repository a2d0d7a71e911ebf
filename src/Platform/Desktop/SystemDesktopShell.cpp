#include "Platform/Desktop/SystemDesktopShell.h"

#include <sys/stat.h>

#include <algorithm>
#include <ostream>
#include <utility>
#include <vector>

#include "Platform/DebugOutput.h"
#include "Platform/Desktop/ChildProcess.h"
#include "Platform/Desktop/Desktop.h"
#include "Platform/DynamicLibrary.h"

namespace Platform {

namespace {

std::string JoinPatterns(const FileFilter& filter) {
    std::string joined;
    for (const std::string& pattern : filter.patterns) {
        joined += (joined.empty() ? "" : " ") + pattern;
    }
    return joined;
}

// Where the chooser starts: inside the folder, on the proposed name of a save.
std::string StartPath(const FileChooserRequest& request) {
    if (request.mode != FileChooserRequest::Mode::kSave || request.fileName.empty()) {
        return request.folder.empty() ? std::string() : request.folder + "/";
    }
    if (request.fileName[0] == '/' || request.folder.empty()) {
        return request.fileName;
    }
    return request.folder + "/" + request.fileName;
}

std::vector<std::string> ZenityArguments(const FileChooserRequest& request) {
    std::vector<std::string> arguments = {"zenity", "--file-selection"};
    if (!request.title.empty()) {
        arguments.push_back("--title=" + request.title);
    }
    if (request.mode == FileChooserRequest::Mode::kSave) {
        arguments.push_back("--save");
        if (request.confirmOverwrite) {
            arguments.push_back("--confirm-overwrite");
        }
    }
    if (request.mode == FileChooserRequest::Mode::kOpenMultiple) {
        arguments.push_back("--multiple");
        arguments.push_back("--separator=\n");
    }
    const std::string start = StartPath(request);
    if (!start.empty()) {
        arguments.push_back("--filename=" + start);
    }
    for (const FileFilter& filter : request.filters) {
        arguments.push_back("--file-filter=" + filter.description + " | " + JoinPatterns(filter));
    }
    return arguments;
}

// kdialog asks before a save overwrites a file on its own.
std::vector<std::string> KdialogArguments(const FileChooserRequest& request) {
    std::vector<std::string> arguments = {"kdialog"};
    if (!request.title.empty()) {
        arguments.push_back("--title");
        arguments.push_back(request.title);
    }
    arguments.push_back(request.mode == FileChooserRequest::Mode::kSave ? "--getsavefilename"
                                                                        : "--getopenfilename");
    const std::string start = StartPath(request);
    arguments.push_back(start.empty() ? "." : start);
    std::string filters;
    for (const FileFilter& filter : request.filters) {
        filters += (filters.empty() ? "" : "\n") + JoinPatterns(filter) + "|" + filter.description;
    }
    arguments.push_back(filters);
    if (request.mode == FileChooserRequest::Mode::kOpenMultiple) {
        arguments.push_back("--multiple");
        arguments.push_back("--separate-output");
    }
    return arguments;
}

// One chosen path a line.
std::vector<std::string> OutputPaths(const std::string& output) {
    std::vector<std::string> paths;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) {
            end = output.size();
        }
        if (end > start) {
            paths.push_back(output.substr(start, end - start));
        }
        start = end + 1;
    }
    return paths;
}

struct ButtonSet {
    int count;
    int32_t ids[3];
    const char* texts[3];
};

ButtonSet ButtonsOf(uint32_t style) {
    switch (style & 0xF) {
        case MB_OKCANCEL:
            return {2, {IDOK, IDCANCEL}, {"OK", "Cancel"}};
        case MB_ABORTRETRYIGNORE:
            return {3, {IDABORT, IDRETRY, IDIGNORE}, {"Abort", "Retry", "Ignore"}};
        case MB_YESNOCANCEL:
            return {3, {IDYES, IDNO, IDCANCEL}, {"Yes", "No", "Cancel"}};
        case MB_YESNO:
            return {2, {IDYES, IDNO}, {"Yes", "No"}};
        case MB_RETRYCANCEL:
            return {2, {IDRETRY, IDCANCEL}, {"Retry", "Cancel"}};
        default:
            return {1, {IDOK}, {"OK"}};
    }
}

}  // namespace

SystemDesktopShell::SystemDesktopShell(std::string messageBoxProgram)
    : mMessageBoxProgram(std::move(messageBoxProgram)) {
    if (mMessageBoxProgram.empty()) {
        const std::string self = QV::NString(DynamicLibrary::GetProgramPath().GetString()).GetString();
        const size_t slash = self.rfind('/');
        // Where the running program is not known, it is looked for on PATH.
        mMessageBoxProgram = slash != std::string::npos ? self.substr(0, slash + 1) + kMessageBoxProgramName
                                                        : std::string(kMessageBoxProgramName);
    }
}

int32_t SystemDesktopShell::ShowMessageBox(intptr_t owner, const std::string& text,
                                           const std::string& caption, uint32_t style) {
    const ButtonSet set = ButtonsOf(style);
    // Escape answers Cancel where there is one, OK where it is the only button. Closing the box
    // answers the same, else the first button; so does a box ended because the program is ending.
    int32_t escapeId = set.count == 1 ? set.ids[0] : 0;
    for (int i = 0; i < set.count; ++i) {
        if (set.ids[i] == IDCANCEL) {
            escapeId = IDCANCEL;
        }
    }
    const int32_t closedId = escapeId != 0 ? escapeId : set.ids[0];
    const char* icon = "";
    switch (style & 0xF0) {
        case MB_ICONERROR:
            icon = "error";
            break;
        case MB_ICONWARNING:
            icon = "warning";
            break;
        case MB_ICONQUESTION:
        case MB_ICONINFORMATION:
            icon = "information";
            break;
        default:
            break;
    }
    std::vector<std::string> arguments = {kMessageBoxProgramName,
                                          icon,
                                          std::to_string(GetX11WindowId(owner)),
                                          caption,
                                          text,
                                          std::to_string(closedId),
                                          std::to_string(escapeId)};
    for (int i = 0; i < set.count; ++i) {
        arguments.push_back(std::to_string(set.ids[i]) + "=" + set.texts[i]);
    }
    const std::string program = FindProgram(mMessageBoxProgram);
    const ProcessResult run =
        program.empty() ? ProcessResult{} : RunProcess(program, arguments, -1, GetProcessWaiter());
    if (run.stopped) {
        return closedId;
    }
    const bool known = std::find(set.ids, set.ids + set.count, run.exitCode) != set.ids + set.count;
    if (!run.started || !run.exited || !known) {
        const std::string why = !run.started         ? mMessageBoxProgram + " could not be run"
                                : run.output.empty() ? "exit status " + std::to_string(run.exitCode)
                                                     : run.output;
        DebugOutput::Get().GetNarrowStream()
            << "Message box not shown (" << why << ") : " << caption << " : " << text << std::endl;
        return 0;
    }
    return run.exitCode;
}

FileChooserAnswer SystemDesktopShell::ChooseFiles(const FileChooserRequest& request) {
    FileChooserAnswer answer;
    std::vector<std::string> arguments;
    std::string program = FindProgram("zenity");
    if (!program.empty()) {
        arguments = ZenityArguments(request);
    } else if (!(program = FindProgram("kdialog")).empty()) {
        arguments = KdialogArguments(request);
    } else {
        if (!mToldNoChooser) {
            mToldNoChooser = true;
            DebugOutput::Get().GetNarrowStream()
                << "File dialogs are not available: neither zenity nor kdialog was found" << std::endl;
        }
        return answer;
    }
    const ProcessResult run = RunProcess(program, arguments, -1, GetProcessWaiter());
    if (!run.started) {
        DebugOutput::Get().GetNarrowStream()
            << "The file chooser could not be started : " << program << std::endl;
        return answer;
    }
    // Exit status 1 is the user's cancel; anything else but 0 is the chooser failing. A chooser
    // ended because the program is ending is a cancel.
    if (run.stopped || !run.exited || run.exitCode != 0) {
        if (!run.stopped && run.exitCode != 1) {
            DebugOutput::Get().GetNarrowStream()
                << "The file chooser failed : " << program << " : exit status " << run.exitCode << std::endl;
        }
        return answer;
    }
    answer.paths = OutputPaths(run.output);
    if (request.mode != FileChooserRequest::Mode::kOpenMultiple && answer.paths.size() > 1) {
        answer.paths.resize(1);
    }
    answer.chosen = !answer.paths.empty();
    return answer;
}

bool SystemDesktopShell::OpenDocument(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return false;
    }
    const std::string program = FindProgram("xdg-open");
    if (program.empty()) {
        DebugOutput::Get().GetNarrowStream()
            << "Documents cannot be opened: xdg-open was not found" << std::endl;
        return false;
    }
    const ProcessResult run =
        RunProcess(program, {"xdg-open", path}, kOpenDocumentWaitMs, GetProcessWaiter());
    // A program that is still busy after the wait has taken the document.
    return run.started && (!run.exited || run.exitCode == 0);
}

}  // namespace Platform
