#include "RIZozivirod/Utilities/Storage/File.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

#include "Platform/AtomicFileWrite.h"
#include "Platform/FileAccess.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

// The byte path the system calls take.
NString ToSystemPath(const WString& path) {
    return path.ToUTF8();
}

Platform::PathKind KindOf(const WString& path) {
    return Platform::GetPathKind(ToSystemPath(path).GetString());
}

bool IsSeparator(WChar c) {
    return c == u'/' || c == u'\\';
}

// "*" matches any run of units, "?" one unit; ASCII letters match either case.
bool MatchesPattern(const char16_t* name, const char16_t* pattern) {
    const char16_t* star = nullptr;
    const char16_t* resume = nullptr;
    while (*name != 0) {
        if (*pattern == u'*') {
            star = pattern++;
            resume = name;
        } else if (*pattern != 0 && (*pattern == u'?' || Text::ToLower(*pattern) == Text::ToLower(*name))) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == u'*') {
        ++pattern;
    }
    return *pattern == 0;
}

}  // namespace

File::File(const WString& pathOrFolder, const WString& name, uint32_t flags) {
    Open(pathOrFolder, name, flags);
}

File::~File() {
    File::Close();
}

int File::Descriptor() const {
    return mDescriptor->GetValue();
}

int32_t File::Open(const WString& pathOrFolder, const WString& name, uint32_t flags) {
    if (mDescriptor) {
        return S_FALSE;
    }
    if (!name.IsEmpty()) {
        mName = name;
        mPath = pathOrFolder + WString(kSeparator) + name;
    } else if (pathOrFolder.IsEmpty()) {
        QV_THROW(std::runtime_error, "invalid pathname");
    } else {
        mPath = pathOrFolder;
    }
    mFlags = flags;

    const int descriptor = Platform::OpenFile(ToSystemPath(mPath).GetString(), (flags & kWrite) != 0,
                                              (flags & kCreate) != 0, (flags & kExclusive) != 0);
    if (descriptor < 0) {
        return E_FAIL;
    }

    RCPtr<LHolder<int>> holder = LHolder<int>::Create();
    holder->SetValue(descriptor);
    mDescriptor = holder;
    return S_OK;
}

int32_t File::Close() {
    // A descriptor that other copies share stays open; this File keeps its reference until
    // its destructor.
    if (!mDescriptor || mDescriptor->GetRefCount() != 1) {
        return S_OK;
    }
    Platform::CloseFile(Descriptor());
    if ((mFlags & kDeleteOnClose) != 0) {
        Platform::RemoveFile(ToSystemPath(mPath).GetString());
    }
    mDescriptor = nullptr;
    return S_OK;
}

int32_t File::Read(void* buffer, uint32_t length, int32_t offset) {
    if (!mDescriptor) {
        QV_THROW(std::runtime_error, "read");
    }
    const int descriptor = Descriptor();
    if (offset != -1 && Platform::SeekFile(descriptor, offset, 0) != offset) {
        QV_THROW(std::runtime_error, "lseek");
    }
    const int64_t count = Platform::ReadFile(descriptor, buffer, length);
    if (count < 0) {
        QV_THROW(std::runtime_error, "read");
    }
    // The system moves at most 0x7ffff000 bytes per call, so the count fits.
    return static_cast<int32_t>(count);
}

int32_t File::Write(const void* buffer, uint32_t length, int32_t offset) {
    if ((mFlags & kWrite) == 0) {
        QV_THROW(std::runtime_error, "file is read only");
    }
    if (!mDescriptor) {
        QV_THROW(std::runtime_error, "write");
    }
    const int descriptor = Descriptor();
    if (offset != -1 && Platform::SeekFile(descriptor, offset, 0) != offset) {
        QV_THROW(std::runtime_error, "lseek");
    }
    const int64_t count = Platform::WriteFile(descriptor, buffer, length);
    if (count < 0) {
        QV_THROW(std::runtime_error, "write");
    }
    return static_cast<int32_t>(count);
}

int32_t File::Seek(int32_t offset, int32_t origin) {
    if (!mDescriptor) {
        return -1;
    }
    const int64_t position = Platform::SeekFile(Descriptor(), offset, origin);
    // A position past 32 bits cannot be reported.
    if (position < 0 || position > INT32_MAX) {
        return -1;
    }
    return static_cast<int32_t>(position);
}

int32_t File::GetLength() {
    // A length past 32 bits would be reported wrongly, so it fails like an unreadable status.
    const int64_t length = mDescriptor ? Platform::GetFileLength(Descriptor()) : -1;
    if (length < 0 || length > INT32_MAX) {
        QV_THROW(std::runtime_error, "fstat");
    }
    return static_cast<int32_t>(length);
}

bool File::FileExists(const WString& path) {
    return KindOf(path) == Platform::PathKind::kFile;
}

bool File::DirectoryExists(const WString& path) {
    WString tested = path;
    const int32_t length = path.GetLength();
    if (length > 1 && path.GetString()[length - 1] == kSeparator) {
        tested = path.Left(length - 1);
    }
    return KindOf(tested) == Platform::PathKind::kFolder;
}

int32_t File::EnsureDirectory(const WString& path) {
    const Platform::PathKind kind = KindOf(path);
    if (kind != Platform::PathKind::kMissing) {
        return kind == Platform::PathKind::kFolder ? S_FALSE : E_FAIL;
    }
    return CreateDirectories(path, false) ? S_OK : E_FAIL;
}

bool File::CreateDirectories(const WString& path, bool pathNamesFile) {
    const WChar* text = path.GetString();
    const int32_t length = path.GetLength();
    int32_t last = -1;
    // The first unit is never a split point, so a leading separator gives no empty level.
    for (int32_t i = 1; i < length; ++i) {
        if (IsSeparator(text[i])) {
            // Failures, such as a level that exists already, are found by the final test.
            Platform::MakeFolder(ToSystemPath(path.Left(i)).GetString());
            last = i;
        }
    }
    if (!pathNamesFile) {
        Platform::MakeFolder(ToSystemPath(path).GetString());
        return Platform::PathExists(ToSystemPath(path).GetString());
    }
    if (last < 0) {
        return true;
    }
    return Platform::PathExists(ToSystemPath(path.Left(last)).GetString());
}

WString File::GetLongPath(const WString& path) {
    return path;
}

int32_t File::ListDirectory(const WString& folder, const WString& pattern, WStringArray& files) {
    files.RemoveAll();
    if (!DirectoryExists(folder)) {
        return E_NOTIMPL;
    }
    // A name that is not UTF-8 has no wide form that would find the file again.
    const auto wide = [](const char* bytes, WString& name) {
        RCPtr<LIBuffer> converted;
        if (WString::AssignUTF8(converted, bytes, -1) != S_OK) {
            return false;
        }
        name.Assign(static_cast<const WChar*>(converted->GetBytes()));
        return true;
    };
    std::vector<std::string> found;
    const Platform::FolderListing listing = Platform::ListFolderFiles(
        ToSystemPath(folder).GetString(),
        [&](const char* bytes) {
            WString name;
            return wide(bytes, name) && MatchesPattern(name.GetString(), pattern.GetString());
        },
        found);
    if (listing == Platform::FolderListing::kNotOpened) {
        return 0;
    }
    const int32_t result = listing == Platform::FolderListing::kIncomplete ? E_FAIL : 0;
    const WString prefix = folder + WString(kSeparator);
    std::vector<WString> names;
    for (const std::string& bytes : found) {
        WString name;
        wide(bytes.c_str(), name);
        names.push_back(prefix + name);
    }
    std::sort(names.begin(), names.end());
    for (const WString& name : names) {
        files.Add(name);
    }
    return result < 0 ? result : static_cast<int32_t>(files.GetCount());
}

int32_t File::WriteAtomically(const WString& path, const void* data, uint32_t length) {
    if (path.IsEmpty() || (data == nullptr && length > 0)) {
        return E_FAIL;
    }
    const std::string_view bytes(static_cast<const char*>(data), data == nullptr ? 0 : length);
    return Platform::WriteFileAtomically(ToSystemPath(path).GetString(), bytes) ? S_OK : E_FAIL;
}

WString File::MakeValidFileName(const WString& text) {
    WString valid = text;
    valid.Replace(u"\\/:*?\"<>|&;,^()", u'_');
    return valid;
}

WString File::GetDirectoryName(const WString& path) {
    const WChar* text = path.GetString();
    for (int32_t i = path.GetLength() - 1; i >= 0; --i) {
        if (text[i] == kSeparator) {
            return path.Left(i);
        }
    }
    return path;
}

WString File::GetFileName(const WString& path) {
    const WChar* text = path.GetString();
    const int32_t length = path.GetLength();
    for (int32_t i = length - 1; i >= 0; --i) {
        if (IsSeparator(text[i])) {
            return i == length - 1 ? path : path.Mid(i + 1);
        }
    }
    return path;
}

}  // namespace QV
