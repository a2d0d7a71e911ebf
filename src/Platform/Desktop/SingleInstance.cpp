#include "Platform/Desktop/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <vector>

#include "Platform/DebugOutput.h"
#include "Platform/UserFolders.h"

namespace Platform {

namespace {

using Clock = std::chrono::steady_clock;

struct FrameHeader {
    uint32_t tag;
    uint32_t byteCount;
};

int32_t RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int32_t>(left) : 0;
}

// Waits until fd is ready for events or the deadline passes.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd wait{fd, events, 0};
        const int ready = ::poll(&wait, 1, RemainingMs(deadline));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

bool ReadExactly(int fd, void* data, size_t count, Clock::time_point deadline) {
    auto* bytes = static_cast<char*>(data);
    while (count > 0) {
        const ssize_t got = ::read(fd, bytes, count);
        if (got > 0) {
            bytes += got;
            count -= static_cast<size_t>(got);
        } else if (got == 0) {
            return false;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitFor(fd, POLLIN, deadline)) {
                return false;
            }
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool WriteExactly(int fd, const void* data, size_t count, Clock::time_point deadline) {
    const auto* bytes = static_cast<const char*>(data);
    while (count > 0) {
        const ssize_t sent = ::send(fd, bytes, count, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            bytes += sent;
            count -= static_cast<size_t>(sent);
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fd, POLLOUT, deadline)) {
                return false;
            }
        } else if (sent < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void ReportSingleInstance(const std::string& what) {
    DebugOutput::Get().GetNarrowStream() << "Single instance : " << what << std::endl;
}

}  // namespace

std::string SingleInstance::GetDefaultFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    if (runtime != nullptr && runtime[0] == '/' && std::filesystem::is_directory(runtime, error)) {
        std::string folder = runtime;
        while (folder.size() > 1 && folder.back() == '/') {
            folder.pop_back();
        }
        return folder;
    }
    const std::string state = QV::NString(GetUserStateFolder()).GetString();
    if (!state.empty()) {
        std::filesystem::create_directories(state, error);
        if (std::filesystem::is_directory(state, error)) {
            return state;
        }
    }
    const char* temporary = std::getenv("TMPDIR");
    return GetPrivateFolder(temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp");
}

std::string SingleInstance::GetPrivateFolder(const std::string& parent) {
    std::string folder = parent;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    folder += (folder == "/" ? "" : "/") + std::string("skylet-") + std::to_string(::geteuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        ReportSingleInstance("no private folder for the lock file : " + folder + " : " +
                             std::strerror(errno));
        return {};
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & 077) != 0) {
        ReportSingleInstance("the folder for the lock file is not a private folder of this user : " + folder);
        return {};
    }
    return folder;
}

SingleInstance::SingleInstance(const std::string& name, const std::string& folder) {
    if (!folder.empty()) {
        mLockPath = folder + "/" + name + "Prevent";
        mSocketPath = mLockPath + ".socket";
    }
}

SingleInstance::~SingleInstance() {
    StopListening();
    if (mListener >= 0) {
        ::close(mListener);
        // Still holding the lock, so the socket is ours to remove.
        ::unlink(mSocketPath.c_str());
    }
    if (mLock >= 0) {
        ::close(mLock);
    }
}

SingleInstance::Role SingleInstance::Start(const std::string& commandLine, int32_t handOverWaitMs) {
    if (mLock >= 0) {
        return Role::kFirstInstance;
    }
    if (mLockPath.empty()) {
        ReportSingleInstance("no folder for the lock file; starting without one");
        return Role::kRunAlongside;
    }
    mLock = ::open(mLockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (mLock < 0) {
        ReportSingleInstance("the lock file cannot be opened : " + mLockPath + " : " + std::strerror(errno));
        return Role::kRunAlongside;
    }
    int locked;
    while ((locked = ::flock(mLock, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked == 0) {
        if (!Listen()) {
            ReportSingleInstance("later copies cannot reach this one : " + mSocketPath + " : " +
                                 std::strerror(errno));
        }
        return Role::kFirstInstance;
    }
    const int lockError = errno;
    ::close(mLock);
    mLock = -1;
    if (lockError != EWOULDBLOCK) {
        ReportSingleInstance("the lock file cannot be locked : " + mLockPath + " : " +
                             std::strerror(lockError));
        return Role::kRunAlongside;
    }
    return HandOver(commandLine, handOverWaitMs) ? Role::kAlreadyRunning : Role::kRunAlongside;
}

bool SingleInstance::Listen() {
    sockaddr_un address;
    if (!FillAddress(mSocketPath, address)) {
        errno = ENAMETOOLONG;
        return false;
    }
    // A socket left by a copy that did not end cleanly; the lock says that copy is gone.
    ::unlink(mSocketPath.c_str());
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        return false;
    }
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(mSocketPath.c_str(), 0600) != 0 || ::listen(listener, 8) != 0) {
        const int error = errno;
        ::close(listener);
        errno = error;
        return false;
    }
    mListener = listener;
    return true;
}

bool SingleInstance::HandOver(const std::string& commandLine, int32_t waitMs) {
    size_t byteCount = std::strlen(commandLine.c_str()) + 1;
    if (byteCount > kMaxCommandLineBytes) {
        ReportSingleInstance(
            "the command line is too long to hand over; the running copy is called without it");
        byteCount = 1;
    }
    sockaddr_un address;
    if (!FillAddress(mSocketPath, address)) {
        return false;
    }
    const int connection = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (connection < 0) {
        return false;
    }
    // The running copy may not listen (yet), or not keep up: then this copy starts on its own.
    if (::connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(connection);
        return false;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs < 0 ? 0 : waitMs);
    const FrameHeader header{kHandOverTag, static_cast<uint32_t>(byteCount)};
    const bool sent =
        WriteExactly(connection, &header, sizeof header, deadline) &&
        WriteExactly(connection, byteCount == 1 ? "" : commandLine.c_str(), byteCount, deadline);
    if (sent) {
        char answer = 0;
        if (!ReadExactly(connection, &answer, 1, deadline)) {
            ReportSingleInstance("the running copy has not taken the command line yet");
        }
    }
    ::close(connection);
    return sent;
}

int32_t SingleInstance::Poll(const CommandLineHandler& handler) {
    int32_t delivered = 0;
    while (mListener >= 0) {
        const int connection = ::accept4(mListener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            break;
        }
        // Only copies run by the same user hand over.
        ucred peer{};
        socklen_t peerSize = sizeof peer;
        std::string commandLine;
        const bool taken = ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &peerSize) == 0 &&
                           peer.uid == ::geteuid() && ReadHandOver(connection, commandLine);
        if (taken) {
            const char answer = 1;
            ::send(connection, &answer, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        ::close(connection);
        if (taken) {
            ++delivered;
            if (handler) {
                handler(commandLine);
            }
        }
    }
    return delivered;
}

bool SingleInstance::StartListening(CommandLineHandler handler) {
    StopListening();
    if (mListener < 0 || ::pipe2(mStopPipe, O_CLOEXEC) != 0) {
        return false;
    }
    mReader = std::thread([this, handler = std::move(handler)] {
        for (;;) {
            pollfd waits[2] = {{mListener, POLLIN, 0}, {mStopPipe[0], POLLIN, 0}};
            const int ready = ::poll(waits, 2, -1);
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready < 0 || waits[1].revents != 0) {
                return;
            }
            Poll(handler);
        }
    });
    return true;
}

void SingleInstance::StopListening() {
    if (mReader.joinable()) {
        const char stop = 's';
        while (::write(mStopPipe[1], &stop, 1) < 0 && errno == EINTR) {
        }
        mReader.join();
    }
    for (int& end : mStopPipe) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

bool SingleInstance::ReadHandOver(int connection, std::string& commandLine) const {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(mReadTimeoutMs);
    FrameHeader header{};
    if (!ReadExactly(connection, &header, sizeof header, deadline) || header.tag != kHandOverTag ||
        header.byteCount == 0 || header.byteCount > kMaxCommandLineBytes) {
        return false;
    }
    std::vector<char> bytes(header.byteCount);
    if (!ReadExactly(connection, bytes.data(), bytes.size(), deadline)) {
        return false;
    }
    // The text ends at its first zero, or with the bytes that came.
    size_t length = 0;
    while (length < bytes.size() && bytes[length] != 0) {
        ++length;
    }
    commandLine.assign(bytes.data(), length);
    return true;
}

}  // namespace Platform
