#include "Platform/FileAccess.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace Platform {

int OpenFile(const char* path, bool write, bool create, bool exclusive) {
    int mode = O_CLOEXEC | (write ? O_RDWR : O_RDONLY);
    if (create) {
        mode |= O_CREAT;
        if (exclusive) {
            mode |= O_EXCL;
        }
    }
    int descriptor;
    do {
        descriptor = ::open(path, mode, S_IRUSR | S_IWUSR);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        return -1;
    }
    // A folder is not a file that can be read or written, even where open accepts it.
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

void CloseFile(int descriptor) {
    ::close(descriptor);
}

void RemoveFile(const char* path) {
    ::unlink(path);
}

int64_t SeekFile(int descriptor, int64_t offset, int origin) {
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
    const off_t position = ::lseek(descriptor, static_cast<off_t>(offset), whence);
    return position < 0 ? -1 : static_cast<int64_t>(position);
}

int64_t ReadFile(int descriptor, void* buffer, uint32_t length) {
    ssize_t count;
    do {
        count = ::read(descriptor, buffer, length);
    } while (count < 0 && errno == EINTR);
    return count < 0 ? -1 : static_cast<int64_t>(count);
}

int64_t WriteFile(int descriptor, const void* buffer, uint32_t length) {
    ssize_t count;
    do {
        count = ::write(descriptor, buffer, length);
    } while (count < 0 && errno == EINTR);
    return count < 0 ? -1 : static_cast<int64_t>(count);
}

int64_t GetFileLength(int descriptor) {
    struct stat status;
    if (::fstat(descriptor, &status) != 0) {
        return -1;
    }
    return static_cast<int64_t>(status.st_size);
}

PathKind GetPathKind(const char* path) {
    struct stat status;
    if (::stat(path, &status) != 0) {
        return PathKind::kMissing;
    }
    return S_ISDIR(status.st_mode) ? PathKind::kFolder : PathKind::kFile;
}

void MakeFolder(const char* path) {
    ::mkdir(path, 0777);
}

bool PathExists(const char* path) {
    return ::access(path, F_OK) == 0;
}

FolderListing ListFolderFiles(const char* path, const std::function<bool(const char* name)>& wanted,
                              std::vector<std::string>& names) {
    std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(path), &::closedir);
    if (!folder) {
        return FolderListing::kNotOpened;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(folder.get());
        if (entry == nullptr) {
            return errno != 0 ? FolderListing::kIncomplete : FolderListing::kComplete;
        }
        if (!wanted(entry->d_name)) {
            continue;
        }
        struct stat status;
        if (::fstatat(::dirfd(folder.get()), entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode)) {
            continue;
        }
        names.emplace_back(entry->d_name);
    }
}

}  // namespace Platform
