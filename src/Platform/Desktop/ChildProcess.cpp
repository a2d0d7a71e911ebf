#include "Platform/Desktop/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
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

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         int32_t timeoutMs) {
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
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return result;
    }
    result.started = true;

    // Output is read until the program ends (a program it starts may keep the pipe open).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int reading = pipeEnds[0];
    char buffer[4096];
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        const bool done = ended == pid || (ended < 0 && errno != EINTR);
        if (ended == pid) {
            result.exited = true;
            result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (reading >= 0) {
            pollfd wait{reading, POLLIN, 0};
            const int ready = ::poll(&wait, 1, done ? 0 : 20);
            if (ready > 0) {
                const ssize_t count = ::read(reading, buffer, sizeof buffer);
                if (count > 0) {
                    const size_t room = kMaxProcessOutput - result.output.size();
                    result.output.append(buffer, std::min(room, static_cast<size_t>(count)));
                    continue;
                }
                if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
                    ::close(reading);
                    reading = -1;
                }
            }
        } else if (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (done) {
            break;
        }
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline) {
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
    return result;
}

}  // namespace Platform
