#include "Platform/DebugOutput.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

namespace {

// A UDP socket of the test's own on 127.0.0.1 with a port the system picks.
class LoopbackReceiver {
public:
    LoopbackReceiver() {
        mSocket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (mSocket < 0 || ::bind(mSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::getsockname(mSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "no loopback socket";
            return;
        }
        mPort = ntohs(address.sin_port);
    }
    ~LoopbackReceiver() {
        if (mSocket >= 0) {
            ::close(mSocket);
        }
    }

    int32_t Port() const { return mPort; }

    // The next datagram; "<none>" when nothing came within a few seconds.
    std::string Receive() {
        pollfd wait{mSocket, POLLIN, 0};
        if (::poll(&wait, 1, 5000) != 1) {
            return "<none>";
        }
        std::vector<char> data(65536);
        const ssize_t count = ::recv(mSocket, data.data(), data.size(), 0);
        return count < 0 ? "<error>" : std::string(data.data(), static_cast<size_t>(count));
    }

    void ExpectBanner() {
        EXPECT_EQ(Receive(), "*** APPLICATION Launched on ");
        EXPECT_EQ(Receive(), "127.0.0.1");
        EXPECT_EQ(Receive(), "***\n");
    }

private:
    int mSocket = -1;
    int32_t mPort = 0;
};

TEST(DebugOutput, FirstSendAnnouncesTheTargetThenSendsEachPiece) {
    LoopbackReceiver receiver;
    DebugOutput output;
    output.SetRemoteTarget("127.0.0.1", receiver.Port());

    output.GetNarrowStream() << "hello" << std::flush;
    receiver.ExpectBanner();
    EXPECT_EQ(receiver.Receive(), "hello");

    // 3000 characters in one call: pieces of at most 1023, each handed on.
    output.GetNarrowStream().write(std::string(3000, 'x').data(), 3000);
    output.GetNarrowStream().flush();
    EXPECT_EQ(receiver.Receive(), std::string(1023, 'x'));
    EXPECT_EQ(receiver.Receive(), std::string(1023, 'x'));
    EXPECT_EQ(receiver.Receive(), std::string(954, 'x'));

    // An empty flush sends nothing: the next datagram is the next text.
    output.GetNarrowStream().flush();
    output.GetWideStream() << u"Grüße" << std::flush;
    EXPECT_EQ(receiver.Receive(), "Grüße") << "wide text travels as UTF-8";

    // The first target stays.
    LoopbackReceiver other;
    output.SetRemoteTarget("127.0.0.1", other.Port());
    output.GetNarrowStream() << "again" << std::flush;
    EXPECT_EQ(receiver.Receive(), "again");
}

TEST(DebugOutput, PendingTextIsSentWhenTheOutputEnds) {
    LoopbackReceiver receiver;
    {
        DebugOutput output;
        output.SetRemoteTarget("127.0.0.1", receiver.Port());
        output.GetNarrowStream() << "pending";
    }
    receiver.ExpectBanner();
    EXPECT_EQ(receiver.Receive(), "pending");
}

TEST(DebugOutput, WithoutATargetTextGoesToStandardError) {
    DebugOutput output;
    testing::internal::CaptureStderr();
    output.GetNarrowStream() << "narrow line\n" << std::flush;
    output.GetWideStream() << u"wide ü\n" << std::flush;
    output.SetRemoteTarget(nullptr, 70000);  // no such port: still standard error
    output.GetNarrowStream() << "out of range\n" << std::flush;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "narrow line\nwide ü\nout of range\n");

    output.OpenConsole();
    EXPECT_EQ(&output.GetNarrowStream(), &std::cerr);
}

TEST(DebugOutput, CommandLineOptionTable) {
    using Kind = DebugOption::Kind;
    struct Case {
        const char* commandLine;
        Kind kind;
        int32_t port;
        const char* host;
    };
    const Case cases[] = {
        {"/usr/bin/skylet", Kind::kNone, 0, ""},
        {"skylet -debug_console", Kind::kConsole, 0, ""},
        {"skylet -DEBUG_CONSOLEX", Kind::kConsole, 0, ""},
        {"skylet -DEBUG_CONSOLE:9000", Kind::kRemote, 9000, ""},
        {"skylet -DEBUG_CONSOLE:9000:127.0.0.1", Kind::kRemote, 9000, "127.0.0.1"},
        {"skylet -debug_console:9000:loghost file.kyp", Kind::kRemote, 9000, "LOGHOST"},
        {"skylet -DEBUG_CONSOLE:9000 -other:x", Kind::kRemote, 9000, ""},
        {"skylet -DEBUG_CONSOLE:90:", Kind::kRemote, 90, ""},
        {"skylet -DEBUG_CONSOLE:9", Kind::kNone, 0, ""},
        {"skylet -DEBUG_CONSOLE:9 -other:x", Kind::kNone, 0, ""},
        {"skylet -DEBUG_CONSOLE:", Kind::kNone, 0, ""},
        {"skylet -DEBUG_CONSOLE::host", Kind::kNone, 0, ""},
        {"skylet -DEBUG_CONSOLE:ab", Kind::kRemote, 0, ""},
        {"skylet -DEBUG_CONSOLE:99999999999", Kind::kRemote, INT32_MAX, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        const DebugOption option = DebugOutput::ParseCommandLine(c.commandLine);
        EXPECT_EQ(option.kind, c.kind);
        if (option.kind == Kind::kRemote) {
            EXPECT_EQ(option.port, c.port);
            EXPECT_EQ(option.host, c.host);
        }
    }
}

TEST(DebugOutput, HandlingTheOptionSetsTheTarget) {
    LoopbackReceiver receiver;
    DebugOutput output;
    const std::string commandLine = "skylet -DEBUG_CONSOLE:" + std::to_string(receiver.Port()) + ":127.0.0.1";
    EXPECT_EQ(output.HandleCommandLine(commandLine).kind, DebugOption::Kind::kRemote);
    output.GetNarrowStream() << "via option" << std::flush;
    receiver.ExpectBanner();
    EXPECT_EQ(receiver.Receive(), "via option");
}

}  // namespace
