#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

namespace Platform {

// The one way every file the user cares about is saved (profile, settings, through
// QV::File::WriteAtomically the documents): replaces the file at path with bytes. A temporary
// file in the same folder is written, flushed to the disk and renamed over the target. On failure
// the temporary file is removed and the old file stays as it was. A replaced file keeps its
// permissions; a new one is readable by its owner only. On failure errno holds the cause (of the
// first step that failed). Header-only, because the settings
// library, which links no framework, saves through it too.
inline bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    // Only a regular file is ever replaced: renamed over a device (/dev/full, a terminal), a
    // pipe or a socket the new file would take its place instead of being written to it.
    struct stat target {};
    const bool exists = ::stat(path.c_str(), &target) == 0;
    if (exists && !S_ISREG(target.st_mode)) {
        errno = S_ISDIR(target.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    std::string temporary = path + ".XXXXXX";
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    int error = 0;
    const auto failed = [&error](int cause) {
        if (error == 0) {
            error = cause;
        }
        return false;
    };
    bool written = !exists || ::fchmod(descriptor, target.st_mode & 07777) == 0 || failed(errno);
    for (size_t done = 0; written && done < bytes.size();) {
        const ssize_t count = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (count > 0) {
            done += static_cast<size_t>(count);
        } else if (count == 0 || errno != EINTR) {
            written = failed(count == 0 ? EIO : errno);
        }
    }
    written = written && (::fsync(descriptor) == 0 || failed(errno));
    written = (::close(descriptor) == 0 || failed(errno)) && written;
    if (written && (::rename(temporary.c_str(), path.c_str()) == 0 || failed(errno))) {
        return true;
    }
    ::unlink(temporary.c_str());
    errno = error;
    return false;
}

}  // namespace Platform
