#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace QV {

// Where the loop's events come from: SDL's queue in the program, a script in tests.
class IEventSource {
public:
    virtual ~IEventSource() = default;
    // The next event without waiting; false when none is queued.
    virtual bool PollEvent(SDL_Event& event) = 0;
    // Whether an event is queued, without taking it.
    virtual bool HasEvent() = 0;
    // Waits for the next event; false when waiting failed (the loop then ends).
    virtual bool WaitEvent(SDL_Event& event) = 0;
};

// SDL's own event queue. Video must be initialised.
class SdlEventSource : public IEventSource {
public:
    // Safe in a signal handler: the next wait answers with SDL_QUIT (a termination signal asks
    // the program to end the way its window's close does).
    static void RequestQuit();

    bool PollEvent(SDL_Event& event) override;
    bool HasEvent() override;
    bool WaitEvent(SDL_Event& event) override;
};

// A top-level window as the loop sees it: the events of its SDL window id, and painting of its
// invalid area, which comes only when no event waits.
class ILoopWindow {
public:
    virtual ~ILoopWindow() = default;
    virtual uint32_t GetWindowId() const = 0;
    virtual void HandleEvent(const SDL_Event& event) = 0;
    virtual bool NeedsPaint() = 0;
    virtual void Paint() = 0;
};

// The user-interface thread's loop. Events are taken first; when none waits, windows with an
// invalid area are painted; when nothing is left to paint a requested quit ends the loop;
// otherwise the idle handler is called with a count that starts at 0 and restarts at 0 after
// every event, until it answers false; then the loop waits. Painting does not restart the count.
// Loops nest: a modal run pumps the same queue until its window is done, and a quit request seen
// there is left standing for the loop outside. One loop per thread; user-interface thread only.
class MessageLoop {
public:
    // count: 0 for the first call of an idle period. True asks for another call.
    using IdleHandler = std::function<bool(int32_t count)>;
    using EventHandler = std::function<void(const SDL_Event& event)>;

    MessageLoop(IEventSource& source, IdleHandler idle);
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    // The loop of this thread, null when none exists.
    static MessageLoop* GetCurrent();

    void AddWindow(ILoopWindow* window);
    void RemoveWindow(ILoopWindow* window);
    // Events of this type ask a window (windowID) to paint: they wait until no other event is
    // queued, and several for one window are handled once.
    void SetPaintEventType(uint32_t type) { mPaintEventType = type; }
    // Events of no registered window (the application's own, SDL_QUIT, ...).
    void SetUnclaimedEventHandler(EventHandler handler) { mUnclaimed = std::move(handler); }

    // Runs until a quit request finds the queue empty; returns the quit code.
    int32_t Run();
    // Runs until done answers true (asked after each event, paint and idle pass) or a quit
    // request ends it; true when done ended it.
    bool RunUntil(const std::function<bool()>& done);

    // Ends the outermost running loop once the queue is empty.
    void PostQuit(int32_t code);
    bool IsQuitPosted() const { return mQuitPosted; }
    int32_t GetNestingDepth() const { return mDepth; }

private:
    // One step: an event, a paint, a standing quit, or nothing waiting.
    enum class Step { kEvent, kPaint, kQuit, kNothing };
    Step TakeWaiting();
    void Dispatch(const SDL_Event& event);
    ILoopWindow* FindWindow(uint32_t windowId) const;
    bool PaintOne();
    bool RunLoop(const std::function<bool()>* done);

    IEventSource& mSource;
    IdleHandler mIdle;
    EventHandler mUnclaimed;
    std::vector<ILoopWindow*> mWindows;
    uint32_t mPaintEventType = 0;
    std::vector<SDL_Event> mPendingPaints;
    bool mQuitPosted = false;
    int32_t mQuitCode = 0;
    int32_t mDepth = 0;
    MessageLoop* mPrevious = nullptr;
};

// The window id an SDL event belongs to, 0 when it belongs to none.
uint32_t GetEventWindowId(const SDL_Event& event);

}  // namespace QV
