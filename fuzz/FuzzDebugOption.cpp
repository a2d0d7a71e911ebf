// The "-DEBUG_CONSOLE" option read from arbitrary command lines, then acted on by a debug
// output of its own. Acting on the option only records a target: the network functions below
// stand in for the C library's and stop the run if anything tries to send.
#include <netdb.h>
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Platform/DebugOutput.h"

extern "C" int socket(int, int, int) noexcept {
    __builtin_trap();
}

extern "C" ssize_t sendto(int, const void*, size_t, int, const struct sockaddr*, socklen_t) {
    __builtin_trap();
}

extern "C" int getaddrinfo(const char*, const char*, const struct addrinfo*, struct addrinfo**) {
    __builtin_trap();
}

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view commandLine(reinterpret_cast<const char*>(data), size);
    const DebugOption option = DebugOutput::ParseCommandLine(commandLine);

    const std::string upper = Upper(commandLine);
    using Kind = DebugOption::Kind;
    const bool named = upper.find("-DEBUG_CONSOLE") != std::string::npos;
    const bool withTarget = upper.find("-DEBUG_CONSOLE:") != std::string::npos;
    // With a colon the option sets a target or, when the port is too short, nothing at all.
    Check(option.kind == (!named ? Kind::kNone : !withTarget ? Kind::kConsole : option.kind));
    Check(option.kind != Kind::kConsole || !withTarget);
    if (option.kind != Kind::kRemote) {
        Check(option.port == 0 && option.host.empty());
    } else {
        // The host is upper-cased text of this argument after the port's colon.
        Check(option.host.find(' ') == std::string::npos);
        Check(option.host == Upper(option.host));
        Check(option.host.empty() || upper.find(":" + option.host) != std::string::npos);
    }

    DebugOutput output;
    Check(output.HandleCommandLine(commandLine).kind == option.kind);
    return 0;
}
