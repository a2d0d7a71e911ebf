#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

class DebugOutput;

// A string buffer that hands its text to the debug output in pieces: xsputn keeps at most 1023
// characters pending, and sync hands them on (as UTF-8) and empties the buffer. Text still
// pending when the buffer is destroyed is handed on first.
template <class C>
class basic_debugbuf : public std::basic_stringbuf<C> {
public:
    explicit basic_debugbuf(DebugOutput& owner) : mOwner(owner) {}
    ~basic_debugbuf() override;

protected:
    std::streamsize xsputn(const C* text, std::streamsize count) override;
    int sync() override;

private:
    std::streamsize Pending() const { return this->pptr() - this->pbase(); }

    DebugOutput& mOwner;
};

// An output stream over its own basic_debugbuf.
template <class C>
class basic_dostream : public std::basic_ostream<C> {
public:
    explicit basic_dostream(DebugOutput& owner);
    ~basic_dostream() override;

private:
    std::unique_ptr<basic_debugbuf<C>> mBuffer;
};

// What the command-line option "-DEBUG_CONSOLE" asks for.
struct DebugOption {
    enum class Kind { kNone, kConsole, kRemote };
    Kind kind = Kind::kNone;
    std::string host;  // upper-cased like the rest of the command line; empty: no host given
    int32_t port = 0;
};

// The debug output: a narrow and a wide stream for diagnostics. Their text goes to standard
// error, or, once a UDP target is set, as one datagram per synchronised piece to a log
// receiver. The first datagram sent fixes the target for the life of the object and is
// preceded by three banner datagrams: "*** APPLICATION Launched on ", the target's address,
// "***\n". Send failures are ignored; a socket that cannot be made is tried again on the next
// send. Meant for one thread at a time.
class DebugOutput {
public:
    // The process's debug output: made on first use, never destroyed; its pending text is
    // handed on when the process exits.
    static DebugOutput& Get();

    DebugOutput();
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;
    ~DebugOutput();

    std::ostream& GetNarrowStream() { return *mNarrowStream; }
    std::basic_ostream<char16_t>& GetWideStream() { return *mWideStream; }

    // Narrow text goes straight to std::cerr; the wide stream writes to standard error already.
    void OpenConsole();
    // A null host keeps the stored one. Ports outside 1 to 65535 send nothing.
    void SetRemoteTarget(const char* host, int32_t port);
    // Sends text as one datagram (nothing for empty text), first fixing the target: host when
    // it resolves, else this machine's own name, else 127.0.0.1.
    void SendUdp(const char* host, int32_t port, std::string_view text);

    // Reads the option from the command line (UTF-8), in any letter case: "-DEBUG_CONSOLE"
    // opens the console, "-DEBUG_CONSOLE:port[:host]" sets a UDP target. The option ends at
    // the first blank; with fewer than two characters between its colon and the next colon
    // nothing is asked for.
    static DebugOption ParseCommandLine(std::string_view commandLine);
    // Parses and acts on the option.
    DebugOption HandleCommandLine(std::string_view commandLine);

private:
    template <class C>
    friend class basic_debugbuf;

    // One synchronised piece of text.
    void Emit(std::string_view utf8);

    basic_dostream<char> mNarrow;
    basic_dostream<char16_t> mWide;
    std::ostream* mNarrowStream = &mNarrow;
    std::basic_ostream<char16_t>* mWideStream = &mWide;
    std::string mUdpHost;
    int32_t mUdpPort = -1;
    int mSocket = -1;
    uint32_t mTargetAddress = 0;  // network byte order
    uint16_t mTargetPort = 0;     // network byte order
};

extern template class basic_debugbuf<char>;
extern template class basic_debugbuf<char16_t>;
extern template class basic_dostream<char>;
extern template class basic_dostream<char16_t>;
