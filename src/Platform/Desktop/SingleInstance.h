#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace Platform {

// One running copy of the program per user. The first copy holds a lock file, "<name>Prevent"
// (name: the main window's class name), for its whole life and listens on a local socket,
// "<name>Prevent.socket", beside it. A later copy finds the lock taken, connects, hands over its
// full command line and ends. The lock is an flock on an open file, so a copy that crashed or
// was killed leaves nothing that blocks the next start.
//
// Hand-over frame: tag 1125 (u32), byte count (u32, the UTF-8 text with its terminating zero),
// the bytes; the running copy answers one byte once it has taken the text. The running copy
// reads at most kMaxCommandLineBytes and gives up on a connection that stalls.
//
// Start, Poll and StartListening/StopListening are called by one thread (the user-interface
// thread). Poll takes waiting hand-overs on that thread; StartListening instead takes them on a
// reader thread of its own, so that a client that connects and stays silent stalls only that
// thread, never the caller's.
class SingleInstance {
public:
    static constexpr uint32_t kHandOverTag = 1125;
    // Above any command line a process can be given: Linux passes at most 6 MiB of arguments and
    // environment (three quarters of its 8 MiB stack limit), each argument costing its bytes, a
    // zero and a pointer, and the joined line adds at most a space and two quotes per argument.
    static constexpr uint32_t kMaxCommandLineBytes = 8 * 1024 * 1024;
    static constexpr int32_t kDefaultReadTimeoutMs = 500;
    static constexpr int32_t kDefaultHandOverWaitMs = 3000;

    enum class Role {
        kFirstInstance,   // holds the lock and listens for later copies
        kAlreadyRunning,  // another copy runs and was given the command line: end this one
        kRunAlongside,    // another copy holds the lock but could not be reached (or no lock
                          // could be made): start as a normal copy, without listening
    };

    using CommandLineHandler = std::function<void(const std::string& commandLine)>;

    // The per-user folder for the lock and the socket: $XDG_RUNTIME_DIR, else the user's state
    // folder (made when missing), else the private folder under $TMPDIR (or /tmp); empty when
    // there is none.
    static std::string GetDefaultFolder();
    // "<parent>/skylet-<uid>": made 0700 when missing, and used only while it is a real folder
    // (no link) of this user that no one else may enter; empty otherwise (said in the debug
    // output), since a folder someone else controls could hand this copy's start to theirs.
    static std::string GetPrivateFolder(const std::string& parent);

    SingleInstance(const std::string& name, const std::string& folder = GetDefaultFolder());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Decides this copy's role. A later copy hands commandLine (UTF-8) to the running one and
    // waits up to handOverWaitMs for it to be taken; when the running copy does not answer in
    // time the text still waits for it, and this copy is told to end all the same. A text over
    // kMaxCommandLineBytes (no process is given one) is not sent: the running copy is handed an
    // empty line instead, so it still comes forward and this copy ends.
    Role Start(const std::string& commandLine, int32_t handOverWaitMs = kDefaultHandOverWaitMs);

    // The listening socket of the first copy (-1 otherwise): readable when a later copy waits.
    int GetFileDescriptor() const { return mListener; }
    // Takes every waiting hand-over without blocking for new ones (each connection is read for
    // at most the read time-out) and gives each command line to handler, on this thread. A
    // text ends at its first zero or at the byte count it came with. Returns how many were
    // delivered.
    int32_t Poll(const CommandLineHandler& handler);
    void SetReadTimeout(int32_t milliseconds) { mReadTimeoutMs = milliseconds; }
    // Starts the reader thread: it sleeps until a later copy connects, reads it as Poll does and
    // gives each command line to handler, on the reader thread. False when this copy does not
    // listen or the thread could not start.
    bool StartListening(CommandLineHandler handler);
    // Ends the reader thread (waiting for a read in progress, at most the read time-out).
    void StopListening();

    const std::string& GetLockPath() const { return mLockPath; }
    const std::string& GetSocketPath() const { return mSocketPath; }

private:
    bool Listen();
    bool HandOver(const std::string& commandLine, int32_t waitMs);
    bool ReadHandOver(int connection, std::string& commandLine) const;

    std::string mLockPath;
    std::string mSocketPath;
    int mLock = -1;
    int mListener = -1;
    int32_t mReadTimeoutMs = kDefaultReadTimeoutMs;
    int mStopPipe[2] = {-1, -1};
    std::thread mReader;
};

}  // namespace Platform
