#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Runs another program directly with an argument vector (never through a shell), so paths and
// titles reach it exactly as given.
namespace Platform {

// The full path of an executable file of that name in a folder of PATH, empty when there is
// none. A name with a "/" is taken as it stands.
std::string FindProgram(const std::string& name);

struct ProcessResult {
    bool started = false;  // false: the program could not be run
    bool exited = false;   // false: still running when the wait ended
    bool stopped = false;  // the wait was given up (the program is ending) and the child ended
    int exitCode = -1;     // when exited: the exit status, -1 after a signal
    std::string output;    // standard output, up to kMaxProcessOutput bytes
};

inline constexpr size_t kMaxProcessOutput = 1 << 20;

// What the calling thread does while a program it started runs: the program's own event loop,
// so that its windows keep painting and the work handed to it keeps running. The application
// installs one for its user-interface thread; without one the wait blocks the caller.
class IProcessWaiter {
public:
    virtual ~IProcessWaiter() = default;
    // Runs until ended answers true (asked again after every Wake); false when the wait is
    // given up because the program is ending.
    virtual bool WaitBeside(const std::function<bool()>& ended) = 0;
    // Any thread: ended may answer differently now.
    virtual void Wake() = 0;
};

// The installed waiter (null for none). Installed and used on the user-interface thread; the
// waiter must outlive its installation. Returns the waiter installed before.
IProcessWaiter* SetProcessWaiter(IProcessWaiter* waiter);
IProcessWaiter* GetProcessWaiter();

// How long a child that was asked to end (SIGTERM) may take before it is killed.
inline constexpr int32_t kProcessStopGraceMs = 1000;

// Runs program (a full path) with arguments (the first is its name) and the process's
// environment, standard input and error on /dev/null. Waits for it to end, at most timeoutMs
// milliseconds when timeoutMs is not negative; a program still running then is left to run and
// is reaped when it ends. Output past the limit is read and dropped.
// With a waiter the output is collected on a thread of its own while the waiter runs; when the
// waiter gives up, the child is asked to end (SIGTERM, SIGKILL after kProcessStopGraceMs) and
// the result says stopped.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         int32_t timeoutMs = -1, IProcessWaiter* waiter = nullptr);

}  // namespace Platform
