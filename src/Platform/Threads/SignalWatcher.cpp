#include "Platform/Threads/SignalWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace Platform {

namespace {
// The write end of the pipe of the watcher that hears signals (the first one made).
std::atomic<int> sSignalWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);
}  // namespace

SignalWatcher::SignalWatcher(std::function<void()> onSignal) : mOnSignal(std::move(onSignal)) {
    if (::pipe2(mPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        mPipe[0] = mPipe[1] = -1;
        return;
    }
    // The reading end blocks in the watcher; the writing end never blocks a signal handler.
    ::fcntl(mPipe[0], F_SETFL, 0);
    int none = -1;
    sSignalWriteEnd.compare_exchange_strong(none, mPipe[1]);
    mThread = std::thread([this] { Watch(); });
}

SignalWatcher::~SignalWatcher() {
    int mine = mPipe[1];
    sSignalWriteEnd.compare_exchange_strong(mine, -1);
    if (mThread.joinable()) {
        mStopping = true;
        const char stop = 's';
        while (::write(mPipe[1], &stop, 1) < 0 && errno == EINTR) {
        }
        mThread.join();
    }
    for (int& end : mPipe) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

void SignalWatcher::Watch() {
    char byte = 0;
    for (;;) {
        const ssize_t count = ::read(mPipe[0], &byte, 1);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0 || mStopping) {
            return;
        }
        mOnSignal();
    }
}

void SignalWatcher::NotifyFromSignal() {
    const int savedErrno = errno;
    const int end = sSignalWriteEnd.load();
    if (end >= 0) {
        const char signalled = 'q';
        [[maybe_unused]] const ssize_t written = ::write(end, &signalled, 1);
    }
    errno = savedErrno;
}

}  // namespace Platform
