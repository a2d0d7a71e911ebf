#include "RIZozivirod/System/Desktop/FileDialog.h"

#include "Platform/Desktop/DesktopShell.h"
#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Utilities/Storage/File.h"

namespace QV {

namespace {

WString DialogFolderOf(const WString& path) {
    const int32_t slash = path.ReverseFind('/');
    if (slash < 0) {
        return WString();
    }
    return slash == 0 ? WString(File::kSeparator) : path.Left(slash);
}

WString DialogNameOf(const WString& path) {
    return path.Mid(path.ReverseFind('/') + 1);
}

// Every "|" becomes a zero, and one more zero ends the list.
std::u16string FilterList(const WString& filter) {
    std::u16string list(filter.GetString(), static_cast<size_t>(filter.GetLength()));
    for (char16_t& unit : list) {
        if (unit == u'|') {
            unit = 0;
        }
    }
    list.push_back(0);
    list.push_back(0);
    return list;
}

}  // namespace

LFileDialog::LFileDialog(const WString& initialFolder, intptr_t owner) : mFolder(initialFolder) {
    mRecord.owner = owner;
    mRecord.flags = Platform::OFN_EXPLORER | Platform::OFN_ENABLESIZING;
    mRecord.maxFile = kBufferLength;
    mRecord.maxFileTitle = kBufferLength;
}

void LFileDialog::BeginDialog(const WString& filter, const WString& defaultExtension, const WString& title) {
    mRecord.file = mFilePath.Lock(kBufferLength);
    mRecord.fileTitle = mFileTitle.Lock(kBufferLength);
    mFilter = FilterList(filter);
    mDefaultExtension = defaultExtension;
    mTitle = title;
    mRecord.filter = mFilter.c_str();
    mRecord.defaultExtension = mDefaultExtension.IsEmpty() ? nullptr : mDefaultExtension.GetString();
    mRecord.title = mTitle.IsEmpty() ? nullptr : mTitle.GetString();
    mRecord.initialFolder = mFolder.IsEmpty() ? nullptr : mFolder.GetString();
}

void LFileDialog::EndDialog() {
    mFilePath.Unlock();
    mFileTitle.Unlock();
    mRecord.file = nullptr;
    mRecord.fileTitle = nullptr;
    mRecord.filter = nullptr;
    mRecord.defaultExtension = nullptr;
    mRecord.title = nullptr;
    mRecord.initialFolder = nullptr;
}

int32_t LFileDialog::ShowOpenDialog(const WString& filter, const WString& defaultExtension,
                                    const WString& title, bool multiple) {
    mFilePaths.RemoveAll();
    BeginDialog(filter, defaultExtension, title);
    mRecord.file[0] = 0;
    mRecord.fileTitle[0] = 0;
    mRecord.flags |= Platform::OFN_READONLY | Platform::OFN_HIDEREADONLY | Platform::OFN_FILEMUSTEXIST;
    // Multiple selection only when asked for: a later single open must not get a list back.
    if (multiple) {
        mRecord.flags |= Platform::OFN_ALLOWMULTISELECT;
    } else {
        mRecord.flags &= ~Platform::OFN_ALLOWMULTISELECT;
    }
    const bool chosen = Platform::GetOpenFileName(mRecord);
    if (chosen && multiple) {
        TakeMultipleSelection(mRecord.file);
    }
    EndDialog();
    if (!chosen) {
        return E_FAIL;
    }
    if (!multiple) {
        mFolder = DialogFolderOf(mFilePath);
    }
    return S_OK;
}

void LFileDialog::TakeMultipleSelection(const WChar* buffer) {
    const WChar* end = buffer + kBufferLength;
    const WString first(buffer);
    const WChar* name = buffer + first.GetLength() + 1;
    // One file chosen: its path stands alone before the terminator.
    if (name >= end || *name == 0) {
        mFolder = DialogFolderOf(first);
        mFilePaths.Add(first);
        return;
    }
    mFolder = first;
    const bool rootFolder = first == WString(File::kSeparator);
    while (name < end && *name != 0) {
        WString file;
        file.Assign(name, static_cast<int32_t>(end - name));
        mFilePaths.Add(rootFolder ? first + file : first + WString(File::kSeparator) + file);
        name += file.GetLength() + 1;
    }
}

int32_t LFileDialog::ShowSaveDialog(const WString& filter, const WString& defaultExtension,
                                    const WString& title, int32_t maximumNameLength) {
    if (maximumNameLength == 0) {
        return E_INVALIDARG;
    }
    mFilePath = u"Untitled";
    mFileTitle = u"Untitled";
    BeginDialog(filter, defaultExtension, title);
    mRecord.flags = Platform::OFN_OVERWRITEPROMPT;
    const bool chosen = Platform::GetSaveFileName(mRecord);
    EndDialog();
    if (!chosen) {
        return E_FAIL;
    }
    if (maximumNameLength > 0 && DialogNameOf(mFilePath).GetLength() > maximumNameLength) {
        const WString text = WString::Format(
            u"The file length is larger than the maximum limit of %d characters ", maximumNameLength);
        GetApplicationServices().ShowMessageBox(text, u"File Save Error", Platform::MB_ICONERROR);
        return E_FAIL;
    }
    mFolder = DialogFolderOf(mFilePath);
    return S_OK;
}

int32_t LFileDialog::ShellOpen(const WString& path) {
    return Platform::GetDesktopShell().OpenDocument(path.ToUTF8().GetString()) ? S_OK : E_FAIL;
}

}  // namespace QV
