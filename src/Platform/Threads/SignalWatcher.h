#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace Platform {

// Hears signals on behalf of a loop: a signal handler writes a byte to a pipe (NotifyFromSignal)
// that a small thread of the watcher reads, calling the watcher's function for each. Only the
// first watcher of the process hears the signals while it exists; one made beside it hears
// nothing. Without a pipe (the system refused one) the watcher hears nothing either.
class SignalWatcher {
public:
    // onSignal runs on the watcher's own thread.
    explicit SignalWatcher(std::function<void()> onSignal);
    // Stops the thread and closes the pipe.
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // Safe in a signal handler (errno is kept): the watcher of the process calls its function.
    static void NotifyFromSignal();

private:
    void Watch();

    std::function<void()> mOnSignal;
    int mPipe[2] = {-1, -1};
    std::atomic<bool> mStopping{false};
    std::thread mThread;
};

}  // namespace Platform
