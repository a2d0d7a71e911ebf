#pragma once

#include <cstdint>
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
    int exitCode = -1;     // when exited: the exit status, -1 after a signal
    std::string output;    // standard output, up to kMaxProcessOutput bytes
};

inline constexpr size_t kMaxProcessOutput = 1 << 20;

// Runs program (a full path) with arguments (the first is its name) and the process's
// environment, standard input and error on /dev/null. Waits for it to end, at most timeoutMs
// milliseconds when timeoutMs is not negative; a program still running then is left to run and
// is reaped when it ends. Output past the limit is read and dropped.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         int32_t timeoutMs = -1);

}  // namespace Platform
