#include "RIZozivirod/Utilities/Storage/File.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <stdexcept>
#include <vector>

#include "Platform/AtomicFileWrite.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

// The byte path the system calls take.
NString ToSystemPath(const WString& path) {
    return path.ToUTF8();
}

bool StatPath(const WString& path, struct stat& status) {
    return ::stat(ToSystemPath(path).GetString(), &status) == 0;
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

    int mode = O_CLOEXEC | ((flags & kWrite) != 0 ? O_RDWR : O_RDONLY);
    if ((flags & kCreate) != 0) {
        mode |= O_CREAT;
        if ((flags & kExclusive) != 0) {
            mode |= O_EXCL;
        }
    }
    int descriptor;
    do {
        descriptor = ::open(ToSystemPath(mPath).GetString(), mode, S_IRUSR | S_IWUSR);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        return E_FAIL;
    }
    // A directory is not a file that can be read or written, even where open accepts it.
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
        ::close(descriptor);
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
    ::close(Descriptor());
    if ((mFlags & kDeleteOnClose) != 0) {
        ::unlink(ToSystemPath(mPath).GetString());
    }
    mDescriptor = nullptr;
    return S_OK;
}

int32_t File::Read(void* buffer, uint32_t length, int32_t offset) {
    if (!mDescriptor) {
        QV_THROW(std::runtime_error, "read");
    }
    const int descriptor = Descriptor();
    if (offset != -1 && ::lseek(descriptor, offset, SEEK_SET) != offset) {
        QV_THROW(std::runtime_error, "lseek");
    }
    ssize_t count;
    do {
        count = ::read(descriptor, buffer, length);
    } while (count < 0 && errno == EINTR);
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
    if (offset != -1 && ::lseek(descriptor, offset, SEEK_SET) != offset) {
        QV_THROW(std::runtime_error, "lseek");
    }
    ssize_t count;
    do {
        count = ::write(descriptor, buffer, length);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        QV_THROW(std::runtime_error, "write");
    }
    return static_cast<int32_t>(count);
}

int32_t File::Seek(int32_t offset, int32_t origin) {
    if (!mDescriptor) {
        return -1;
    }
    int whence;
    switch (origin) {
        case 0:
            whence = SEEK_SET;
            break;
        case 1:
            whence = SEEK_CUR;
            break;
        case 2:
            whence = SEEK_END;
            break;
        default:
            return -1;
    }
    const off_t position = ::lseek(Descriptor(), offset, whence);
    // A position past 32 bits cannot be reported.
    if (position < 0 || position > INT32_MAX) {
        return -1;
    }
    return static_cast<int32_t>(position);
}

int32_t File::GetLength() {
    struct stat status;
    // A length past 32 bits would be reported wrongly, so it fails like an unreadable status.
    if (!mDescriptor || ::fstat(Descriptor(), &status) != 0 || status.st_size > INT32_MAX) {
        QV_THROW(std::runtime_error, "fstat");
    }
    return static_cast<int32_t>(status.st_size);
}

bool File::FileExists(const WString& path) {
    struct stat status;
    return StatPath(path, status) && !S_ISDIR(status.st_mode);
}

bool File::DirectoryExists(const WString& path) {
    WString tested = path;
    const int32_t length = path.GetLength();
    if (length > 1 && path.GetString()[length - 1] == kSeparator) {
        tested = path.Left(length - 1);
    }
    struct stat status;
    return StatPath(tested, status) && S_ISDIR(status.st_mode);
}

int32_t File::EnsureDirectory(const WString& path) {
    struct stat status;
    if (StatPath(path, status)) {
        return S_ISDIR(status.st_mode) ? S_FALSE : E_FAIL;
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
            ::mkdir(ToSystemPath(path.Left(i)).GetString(), 0777);
            last = i;
        }
    }
    if (!pathNamesFile) {
        ::mkdir(ToSystemPath(path).GetString(), 0777);
        return ::access(ToSystemPath(path).GetString(), F_OK) == 0;
    }
    if (last < 0) {
        return true;
    }
    return ::access(ToSystemPath(path.Left(last)).GetString(), F_OK) == 0;
}

WString File::GetLongPath(const WString& path) {
    return path;
}

int32_t File::ListDirectory(const WString& folder, const WString& pattern, WStringArray& files) {
    files.RemoveAll();
    if (!DirectoryExists(folder)) {
        return E_NOTIMPL;
    }
    std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(ToSystemPath(folder).GetString()), &::closedir);
    if (!directory) {
        return 0;
    }
    const WString prefix = folder + WString(kSeparator);
    std::vector<WString> names;
    int32_t result = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory.get());
        if (entry == nullptr) {
            if (errno != 0) {
                result = E_FAIL;
            }
            break;
        }
        // A name that is not UTF-8 has no wide form that would find the file again.
        RCPtr<LIBuffer> converted;
        WString name;
        if (WString::AssignUTF8(converted, entry->d_name, -1) != S_OK) {
            continue;
        }
        name.Assign(static_cast<const WChar*>(converted->GetData()));
        if (!MatchesPattern(name.GetString(), pattern.GetString())) {
            continue;
        }
        // Links count as what they point to; an entry whose status cannot be read is listed.
        struct stat status;
        if (::fstatat(::dirfd(directory.get()), entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode)) {
            continue;
        }
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
