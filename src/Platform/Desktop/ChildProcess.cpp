#include "Platform/Desktop/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace Platform {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindProgram(const std::string& name) {
    if (name.empty()) {
        return {};
    }
    if (name.find('/') != std::string::npos) {
        return IsExecutableFile(name) ? name : std::string();
    }
    const char* path = std::getenv("PATH");
    const std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        const std::string folder = folders.substr(start, end - start);
        // An empty entry is the current folder, which is never searched for these programs.
        if (!folder.empty() && folder[0] == '/') {
            const std::string candidate = folder + "/" + name;
            if (IsExecutableFile(candidate)) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return {};
}

namespace {

IProcessWaiter* sProcessWaiter = nullptr;

// Milliseconds from now until then, at least 0.
int MillisecondsUntil(std::chrono::steady_clock::time_point then) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(then - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<int64_t>(0, left.count()));
}

// Reads the child's output until it ends (a program it starts may keep the pipe open), or until
// timeoutMs have passed. Once stop is set (and stopping written to) the child is asked to end,
// and killed after the grace time; it is then always waited for. The thread sleeps until the
// child writes or ends, stop is set or a time runs out; where the system gives no descriptor for
// the child's end it looks every kEndCheckMs.
void CollectProcess(pid_t pid, int reading, int32_t timeoutMs, const std::atomic<bool>* stop, int stopping,
                    ProcessResult& result) {
    using Clock = std::chrono::steady_clock;
    constexpr int kEndCheckMs = 20;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const int ending = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    Clock::time_point killAt{};
    bool asked = false;
    bool killed = false;
    char buffer[4096];
    for (;;) {
        if (stop != nullptr && stop->load() && !asked) {
            asked = true;
            result.stopped = true;
            ::kill(pid, SIGTERM);
            killAt = Clock::now() + std::chrono::milliseconds(kProcessStopGraceMs);
        }
        if (asked && !killed && Clock::now() >= killAt) {
            killed = true;
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        const bool done = ended == pid || (ended < 0 && errno != EINTR);
        if (ended == pid) {
            result.exited = true;
            result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        // What to sleep on, and for how long at most.
        pollfd waits[3];
        nfds_t count = 0;
        if (reading >= 0) {
            waits[count++] = {reading, POLLIN, 0};
        }
        if (ending >= 0) {
            waits[count++] = {ending, POLLIN, 0};
        }
        if (stopping >= 0 && !asked) {
            waits[count++] = {stopping, POLLIN, 0};
        }
        int sleepMs = ending >= 0 ? -1 : kEndCheckMs;
        if (asked && !killed) {
            sleepMs = sleepMs < 0 ? MillisecondsUntil(killAt) : std::min(sleepMs, MillisecondsUntil(killAt));
        } else if (!asked && timeoutMs >= 0) {
            sleepMs =
                sleepMs < 0 ? MillisecondsUntil(deadline) : std::min(sleepMs, MillisecondsUntil(deadline));
        }
        const int ready = ::poll(waits, count, done ? 0 : sleepMs);
        if (ready > 0 && reading >= 0 && waits[0].revents != 0) {
            const ssize_t got = ::read(reading, buffer, sizeof buffer);
            if (got > 0) {
                const size_t room = kMaxProcessOutput - result.output.size();
                result.output.append(buffer, std::min(room, static_cast<size_t>(got)));
                continue;
            }
            if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                ::close(reading);
                reading = -1;
            }
        }
        if (done) {
            break;
        }
        if (!asked && timeoutMs >= 0 && Clock::now() >= deadline) {
            std::thread([pid] {
                int ignored = 0;
                while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
                }
            }).detach();
            break;
        }
    }
    if (reading >= 0) {
        ::close(reading);
    }
    if (ending >= 0) {
        ::close(ending);
    }
}

}  // namespace

IProcessWaiter* SetProcessWaiter(IProcessWaiter* waiter) {
    IProcessWaiter* previous = sProcessWaiter;
    sProcessWaiter = waiter;
    return previous;
}

IProcessWaiter* GetProcessWaiter() {
    return sProcessWaiter;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         int32_t timeoutMs, IProcessWaiter* waiter) {
    ProcessResult result;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return result;
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // Nothing else of this process reaches the child: a descriptor it kept (a copy of the error
    // output, a socket) would stay open as long as the child and whatever it starts run.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    // The child starts with no signal blocked and every signal at its default, whatever the
    // calling thread has set up.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return result;
    }
    result.started = true;
    if (waiter == nullptr) {
        CollectProcess(pid, pipeEnds[0], timeoutMs, nullptr, -1, result);
        return result;
    }
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
    // Wakes the collecting thread when the wait is given up.
    const int stopping = ::eventfd(0, EFD_CLOEXEC);
    std::thread collector([&] {
        CollectProcess(pid, pipeEnds[0], timeoutMs, &stop, stopping, result);
        ended = true;
        waiter->Wake();
    });
    if (!waiter->WaitBeside([&] { return ended.load(); })) {
        stop = true;
        if (stopping >= 0) {
            const uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = ::write(stopping, &one, sizeof one);
        }
    }
    collector.join();
    if (stopping >= 0) {
        ::close(stopping);
    }
    return result;
}

}  // namespace Platform
