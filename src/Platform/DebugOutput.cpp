#include "Platform/DebugOutput.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace {

constexpr std::streamsize kMaxPending = 1023;

std::string ToUtf8(const std::string& text) {
    return text;
}

std::string ToUtf8(const std::u16string& text) {
    std::string utf8(text.size() * 3, '\0');
    const QV::Text::ConversionResult result =
        QV::Text::Utf16ToUtf8(text.data(), text.size(), utf8.data(), utf8.size());
    utf8.resize(result.written);
    return utf8;
}

// The first IPv4 address of host in dotted form, empty when it does not resolve.
std::string Resolve(const char* host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::string();
    }
    char dotted[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const bool ok = ::inet_ntop(AF_INET, &address->sin_addr, dotted, sizeof dotted) != nullptr;
    ::freeaddrinfo(found);
    return ok ? dotted : std::string();
}

// Like atoi, but saturating instead of overflowing.
int32_t ParsePort(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i++] == '-';
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT32_MAX} + 1);
    }
    value = negative ? -value : std::min<int64_t>(value, INT32_MAX);
    return static_cast<int32_t>(value);
}

}  // namespace

template <class C>
basic_debugbuf<C>::~basic_debugbuf() {
    if (Pending() > 0) {
        sync();
    }
}

template <class C>
std::streamsize basic_debugbuf<C>::xsputn(const C* text, std::streamsize count) {
    std::streamsize written = 0;
    while (written < count) {
        if (Pending() > kMaxPending - 1) {
            sync();
        }
        const std::streamsize piece = std::min(count - written, kMaxPending - Pending());
        const std::streamsize put = std::basic_stringbuf<C>::xsputn(text + written, piece);
        if (put <= 0) {
            break;
        }
        written += put;
    }
    return written;
}

template <class C>
int basic_debugbuf<C>::sync() {
    const std::basic_string<C> text = this->str();
    this->str(std::basic_string<C>());
    if (!text.empty()) {
        mOwner.Emit(ToUtf8(text));
    }
    return 0;
}

template <class C>
basic_dostream<C>::basic_dostream(DebugOutput& owner)
    : std::basic_ostream<C>(nullptr), mBuffer(std::make_unique<basic_debugbuf<C>>(owner)) {
    this->rdbuf(mBuffer.get());
}

template <class C>
basic_dostream<C>::~basic_dostream() {
    this->flush();
    this->rdbuf(nullptr);
}

template class basic_debugbuf<char>;
template class basic_debugbuf<char16_t>;
template class basic_dostream<char>;
template class basic_dostream<char16_t>;

DebugOutput& DebugOutput::Get() {
    static DebugOutput* const instance = [] {
        auto* output = new DebugOutput();
        std::atexit([] {
            Get().GetNarrowStream().flush();
            Get().GetWideStream().flush();
        });
        return output;
    }();
    return *instance;
}

DebugOutput::DebugOutput() : mNarrow(*this), mWide(*this) {}

DebugOutput::~DebugOutput() {
    // The buffers hand their text to this object: empty them while it is whole.
    mNarrow.flush();
    mWide.flush();
    if (mSocket >= 0) {
        ::close(mSocket);
    }
}

void DebugOutput::OpenConsole() {
    mNarrowStream = &std::cerr;
}

void DebugOutput::SetRemoteTarget(const char* host, int32_t port) {
    if (host != nullptr) {
        mUdpHost = host;
    }
    mUdpPort = port;
}

void DebugOutput::Emit(std::string_view utf8) {
    if (mUdpPort > 0 && mUdpPort <= 65535) {
        SendUdp(mUdpHost.empty() ? nullptr : mUdpHost.c_str(), mUdpPort, utf8);
    } else {
        std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    }
}

void DebugOutput::SendUdp(const char* host, int32_t port, std::string_view text) {
    if (mSocket < 0) {
        if (port <= 0 || port > 65535) {
            return;
        }
        std::string address = host != nullptr && host[0] != 0 ? Resolve(host) : std::string();
        if (address.empty()) {
            std::vector<char> name(HOST_NAME_MAX + 1, '\0');
            if (::gethostname(name.data(), name.size() - 1) == 0) {
                address = Resolve(name.data());
            }
        }
        in_addr binary{};
        if (address.empty() || ::inet_pton(AF_INET, address.c_str(), &binary) != 1) {
            address = "127.0.0.1";
            ::inet_pton(AF_INET, address.c_str(), &binary);
        }
        mSocket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (mSocket < 0) {
            return;
        }
        mTargetAddress = binary.s_addr;
        mTargetPort = htons(static_cast<uint16_t>(port));
        SendUdp(host, port, "*** APPLICATION Launched on ");
        SendUdp(host, port, address);
        SendUdp(host, port, "***\n");
    }
    if (text.empty()) {
        return;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = mTargetAddress;
    target.sin_port = mTargetPort;
    ::sendto(mSocket, text.data(), text.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&target),
             sizeof target);
}

DebugOption DebugOutput::ParseCommandLine(std::string_view commandLine) {
    std::string text(commandLine);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    DebugOption option;
    if (text.find("-DEBUG_CONSOLE") == std::string::npos) {
        return option;
    }
    const size_t at = text.find("-DEBUG_CONSOLE:");
    if (at == std::string::npos) {
        option.kind = DebugOption::Kind::kConsole;
        return option;
    }
    const size_t start = at + 15;
    const size_t end = std::min(text.find(' ', start), text.size());
    // A colon of a later argument is not part of the option.
    const size_t colon = std::min(text.find(':', start), end);
    if (colon > start + 1) {
        option.kind = DebugOption::Kind::kRemote;
        option.port = ParsePort(std::string_view(text).substr(start, colon - start));
        if (colon + 1 < end) {
            option.host = text.substr(colon + 1, end - colon - 1);
        }
    }
    return option;
}

DebugOption DebugOutput::HandleCommandLine(std::string_view commandLine) {
    const DebugOption option = ParseCommandLine(commandLine);
    if (option.kind == DebugOption::Kind::kConsole) {
        OpenConsole();
    } else if (option.kind == DebugOption::Kind::kRemote) {
        SetRemoteTarget(option.host.empty() ? nullptr : option.host.c_str(), option.port);
    }
    return option;
}
