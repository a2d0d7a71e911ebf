#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "Platform/Threads/SignalWatcher.h"

namespace QV {

// Where the loop's events come from and how it sleeps: the desktop's event queue in the program
// (OSWindow::CreateEventSource, which also maps each event to its window), a script in tests.
class IEventSource {
public:
    virtual ~IEventSource() = default;
    // Hands the next waiting event to whoever it belongs to; false when none waits.
    virtual bool DispatchNext() = 0;
    // Sleeps until an event waits, Wake is called or timeoutMs have passed (negative: no limit).
    // False when nothing can ever arrive any more (the loop then ends as if asked to quit).
    virtual bool Wait(int32_t timeoutMs) = 0;
    // Any thread: ends the current Wait, or makes the next one return at once.
    virtual void Wake() = 0;
    // A millisecond counter that may wrap: the loop's timers run on it.
    virtual uint32_t GetTimeMs() = 0;
};

// The user-interface thread's one event loop. The application's main loop (Run) and every modal
// run (RunUntil: dialogs, popup menus, the file chooser) are this loop nested.
//
// One pass of the loop, highest priority first:
//   1. a signal seen since the last pass becomes RequestQuit;
//   2. one waiting event, handed to its window by the event source;
//   3. the tasks posted so far (Post), then the timers that are due (PostDelayed);
//   4. one window whose paint is due (the paint handler);
//   5. a standing quit ends this level (and, as each level returns, every level below it);
//   6. the idle handler, called with a count that restarts at 0 after every event or task and
//      after every wake-up, until it answers false;
//   7. sleep: until an event, a Post, a Wake, a signal or the earliest timer. While the idle work
//      query answers true (a caret blinks, a scroll glides) the loop also wakes every
//      kIdleTickMs for a new idle period; otherwise it sleeps as long as nothing happens.
//
// Threads: everything is for the user-interface thread (the one that made the loop), except Post
// and Wake (any thread, while the loop exists) and RequestQuitFromSignal (a signal handler).
class MessageLoop {
public:
    using IdleHandler = std::function<bool(int32_t count)>;
    using Task = std::function<void()>;
    static constexpr uint32_t kIdleTickMs = 33;

    explicit MessageLoop(IEventSource& source);
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    // The loop of this thread, null when none exists.
    static MessageLoop* GetCurrent();

    // count: 0 for the first call of an idle period. True asks for another call.
    void SetIdleHandler(IdleHandler handler) { mIdle = std::move(handler); }
    // Paints one window whose paint is due; true when it painted one.
    void SetPaintHandler(std::function<bool()> handler) { mPaint = std::move(handler); }
    // True while something wants idle passes at the idle rhythm without any event.
    void SetIdleWorkQuery(std::function<bool()> query) { mHasIdleWork = std::move(query); }
    // What a signal or the desktop's request to end does; without a handler, Quit (0).
    void SetQuitRequestHandler(Task handler) { mQuitRequest = std::move(handler); }

    // Runs until a quit; returns the quit code. The outermost level.
    int32_t Run();
    // A modal run: runs until done answers true (asked before every pass) or a quit ends it;
    // true when done ended it, false when a quit did (the caller then cancels whatever it ran
    // for; the quit goes on ending the levels below).
    bool RunUntil(const std::function<bool()>& done);
    // Ends every running level, the innermost first, once nothing waits to be dispatched or
    // painted. Run returns code.
    void Quit(int32_t code);
    bool IsQuitting() const { return mQuitting; }
    int32_t GetNestingDepth() const { return mDepth; }
    // The desktop asks the program to end (a signal, the session closing): the quit request
    // handler runs.
    void RequestQuit();
    // Safe in a signal handler: the loop of the process wakes and runs RequestQuit.
    static void RequestQuitFromSignal();

    // Any thread: task runs on the user-interface thread at the loop's next pass.
    void Post(Task task);
    // Any thread: the loop makes a new pass now.
    void Wake() { mSource.Wake(); }
    // Task runs on the user-interface thread once delayMs have passed.
    void PostDelayed(Task task, uint32_t delayMs);

    // How many times the loop came back from sleeping.
    uint64_t GetWakeCount() const { return mWakeCount; }
    IEventSource& GetSource() { return mSource; }

private:
    struct Timer {
        uint32_t due;
        Task task;
    };

    bool RunLoop(const std::function<bool()>* done);
    bool RunPostedTasks();
    bool RunDueTimers();
    // Milliseconds until the next timer or tick; -1 for none.
    int32_t TimeUntilNextWake(bool ticking, uint32_t nextTick);

    IEventSource& mSource;
    IdleHandler mIdle;
    std::function<bool()> mPaint;
    std::function<bool()> mHasIdleWork;
    Task mQuitRequest;
    bool mQuitting = false;
    int32_t mQuitCode = 0;
    int32_t mDepth = 0;
    uint64_t mWakeCount = 0;
    MessageLoop* mPrevious = nullptr;
    std::vector<Timer> mTimers;

    std::mutex mPostLock;
    std::deque<Task> mPosted;

    // Signals reach the loop through the watcher's thread, which wakes it. Last: it goes first.
    Platform::SignalWatcher mSignalWatcher;
};

}  // namespace QV
