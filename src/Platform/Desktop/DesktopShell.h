#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the desktop does for the program outside its own windows: message boxes, the file
// chooser and opening documents. Everything above goes through the one process-wide shell, so
// tests replace it with a scripted one and no dialog or program ever shows up while they run.
// Texts and paths are UTF-8.
namespace Platform {

// Message-box styles and answers keep their Windows values.
inline constexpr uint32_t MB_OK = 0x0;
inline constexpr uint32_t MB_OKCANCEL = 0x1;
inline constexpr uint32_t MB_ABORTRETRYIGNORE = 0x2;
inline constexpr uint32_t MB_YESNOCANCEL = 0x3;
inline constexpr uint32_t MB_YESNO = 0x4;
inline constexpr uint32_t MB_RETRYCANCEL = 0x5;
inline constexpr uint32_t MB_ICONERROR = 0x10;
inline constexpr uint32_t MB_ICONQUESTION = 0x20;
inline constexpr uint32_t MB_ICONWARNING = 0x30;
inline constexpr uint32_t MB_ICONINFORMATION = 0x40;
inline constexpr int32_t IDOK = 1;
inline constexpr int32_t IDCANCEL = 2;
inline constexpr int32_t IDABORT = 3;
inline constexpr int32_t IDRETRY = 4;
inline constexpr int32_t IDIGNORE = 5;
inline constexpr int32_t IDYES = 6;
inline constexpr int32_t IDNO = 7;

struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;  // "*.skp"
};

struct FileChooserRequest {
    enum class Mode { kOpen, kOpenMultiple, kSave };

    Mode mode = Mode::kOpen;
    intptr_t owner = 0;  // the owner window's SDL window, or 0
    std::string title;   // empty: the chooser's own title
    std::vector<FileFilter> filters;
    std::string folder;    // where the chooser starts; empty: its own choice
    std::string fileName;  // the proposed name of a save
    bool confirmOverwrite = false;
};

struct FileChooserAnswer {
    bool chosen = false;             // false: cancelled, or the chooser failed
    std::vector<std::string> paths;  // absolute paths; one unless several were asked for
};

class IDesktopShell {
public:
    virtual ~IDesktopShell() = default;

    // Shows a modal message box (the application's message boxes end here once it has found
    // their owner); the pressed button's id, 0 when no box could be shown.
    virtual int32_t ShowMessageBox(intptr_t owner, const std::string& text, const std::string& caption,
                                   uint32_t style) = 0;
    // Runs the file chooser until the user is done with it.
    virtual FileChooserAnswer ChooseFiles(const FileChooserRequest& request) = 0;
    // Opens an existing file with the desktop's application for it. True when it was handed
    // over.
    virtual bool OpenDocument(const std::string& path) = 0;
};

// The process's shell: the desktop's own unless one was installed. User-interface thread.
IDesktopShell& GetDesktopShell();
// Installs shell (not owned) in place of the desktop's own, null puts the desktop's own back;
// returns the shell installed before (null for the desktop's own).
IDesktopShell* SetDesktopShell(IDesktopShell* shell);

}  // namespace Platform
