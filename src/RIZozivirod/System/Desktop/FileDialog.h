#pragma once

#include <cstdint>
#include <string>

#include "Platform/Desktop/OpenFileName.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// The open and save dialogs of the program's file commands, and opening documents with the
// desktop. One object keeps its dialog record for its whole life, so the folder of the file
// chosen in one dialog is where the next one starts. The dialogs go through the desktop shell
// (Platform/Desktop/DesktopShell.h) and message boxes through the application's services, both
// of which tests replace. User-interface thread only; a dialog is modal to the owner window.
class LFileDialog : public virtual LRefCountedObject {
public:
    // Units of the file and file-title buffers, terminating zeros included.
    static constexpr uint32_t kBufferLength = 2600;

    // owner: the handle of the window the dialogs belong to, 0 for none.
    explicit LFileDialog(const WString& initialFolder, intptr_t owner = 0);

    // filter: description and pattern pairs separated by "|" ("Presets (*.skp)|*.skp|All
    // Files (*.*)|*.*"). 0 when the user chose, E_FAIL when they cancelled or the dialog
    // failed.
    int32_t ShowOpenDialog(const WString& filter, const WString& defaultExtension, const WString& title,
                           bool multiple);
    // A name longer than a positive maximumNameLength is refused with an error box (E_FAIL); a
    // negative one means no limit, 0 is E_INVALIDARG. 0 when the user chose, E_FAIL otherwise.
    int32_t ShowSaveDialog(const WString& filter, const WString& defaultExtension, const WString& title,
                           int32_t maximumNameLength);

    // The chosen path: the file of a single choice; after a multiple choice of several files
    // their folder. What a cancelled or failed dialog left is not to be used.
    const WString& GetFilePath() const { return mFilePath; }
    // The starting folder, then the folder of the last chosen file.
    const WString& GetFolderPath() const { return mFolder; }
    // The full paths chosen by the last multiple-selection open; empty after any other open.
    const Array<WString>& GetFilePaths() const { return mFilePaths; }

    // Opens an existing file with the desktop's application for it: 0, or E_FAIL.
    static int32_t ShellOpen(const WString& path);

private:
    void BeginDialog(const WString& filter, const WString& defaultExtension, const WString& title);
    void EndDialog();
    void TakeMultipleSelection(const WChar* buffer);

    Platform::OpenFileName mRecord;
    WString mFilePath;
    WString mFileTitle;
    WString mFolder;
    Array<WString> mFilePaths;
    // The converted texts the record points at while a dialog runs.
    std::u16string mFilter;
    WString mDefaultExtension;
    WString mTitle;
};

}  // namespace QV
