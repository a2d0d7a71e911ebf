#include "RIZozivirod/Application/Windows/MessageLoop.h"

#include <algorithm>
#include <atomic>

namespace QV {

namespace {
thread_local MessageLoop* tCurrentLoop = nullptr;
std::atomic<bool> sQuitRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
}  // namespace

void SdlEventSource::RequestQuit() {
    sQuitRequested.store(true);
}

bool SdlEventSource::PollEvent(SDL_Event& event) {
    return SDL_PollEvent(&event) == 1;
}

bool SdlEventSource::HasEvent() {
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

bool SdlEventSource::WaitEvent(SDL_Event& event) {
    // Woken at least every 50 ms: SDL turns a termination signal into its quit event only while
    // it pumps, and a wait inside the display connection may not see it.
    for (;;) {
        if (sQuitRequested.exchange(false)) {
            event = SDL_Event{};
            event.type = SDL_QUIT;
            return true;
        }
        if (SDL_WaitEventTimeout(&event, 50) == 1) {
            return true;
        }
    }
}

uint32_t GetEventWindowId(const SDL_Event& event) {
    switch (event.type) {
        case SDL_WINDOWEVENT:
            return event.window.windowID;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return event.key.windowID;
        case SDL_TEXTEDITING:
            return event.edit.windowID;
        case SDL_TEXTINPUT:
            return event.text.windowID;
        case SDL_MOUSEMOTION:
            return event.motion.windowID;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return event.button.windowID;
        case SDL_MOUSEWHEEL:
            return event.wheel.windowID;
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
        case SDL_DROPBEGIN:
        case SDL_DROPCOMPLETE:
            return event.drop.windowID;
        default:
            // Events the program registers (timer ticks, window messages) carry their window too.
            return event.type >= SDL_USEREVENT ? event.user.windowID : 0;
    }
}

MessageLoop::MessageLoop(IEventSource& source, IdleHandler idle)
    : mSource(source), mIdle(std::move(idle)), mPrevious(tCurrentLoop) {
    tCurrentLoop = this;
}

MessageLoop::~MessageLoop() {
    if (tCurrentLoop == this) {
        tCurrentLoop = mPrevious;
    }
}

MessageLoop* MessageLoop::GetCurrent() {
    return tCurrentLoop;
}

void MessageLoop::AddWindow(ILoopWindow* window) {
    if (window != nullptr && std::find(mWindows.begin(), mWindows.end(), window) == mWindows.end()) {
        mWindows.push_back(window);
    }
}

void MessageLoop::RemoveWindow(ILoopWindow* window) {
    mWindows.erase(std::remove(mWindows.begin(), mWindows.end(), window), mWindows.end());
}

ILoopWindow* MessageLoop::FindWindow(uint32_t windowId) const {
    if (windowId == 0) {
        return nullptr;
    }
    for (ILoopWindow* window : mWindows) {
        if (window->GetWindowId() == windowId) {
            return window;
        }
    }
    return nullptr;
}

void MessageLoop::Dispatch(const SDL_Event& event) {
    if (ILoopWindow* window = FindWindow(GetEventWindowId(event))) {
        window->HandleEvent(event);
    } else if (mUnclaimed) {
        mUnclaimed(event);
    }
}

bool MessageLoop::PaintOne() {
    // A copy: painting may open or close windows.
    const std::vector<ILoopWindow*> windows = mWindows;
    for (ILoopWindow* window : windows) {
        if (std::find(mWindows.begin(), mWindows.end(), window) != mWindows.end() && window->NeedsPaint()) {
            window->Paint();
            return true;
        }
    }
    return false;
}

MessageLoop::Step MessageLoop::TakeWaiting() {
    SDL_Event event;
    while (mSource.PollEvent(event)) {
        if (mPaintEventType == 0 || event.type != mPaintEventType) {
            Dispatch(event);
            return Step::kEvent;
        }
        const bool queued =
            std::any_of(mPendingPaints.begin(), mPendingPaints.end(),
                        [&](const SDL_Event& paint) { return paint.user.windowID == event.user.windowID; });
        if (!queued) {
            mPendingPaints.push_back(event);
        }
    }
    if (!mPendingPaints.empty()) {
        const SDL_Event paint = mPendingPaints.front();
        mPendingPaints.erase(mPendingPaints.begin());
        Dispatch(paint);
        return Step::kPaint;
    }
    if (PaintOne()) {
        return Step::kPaint;
    }
    if (mQuitPosted) {
        return Step::kQuit;
    }
    return Step::kNothing;
}

void MessageLoop::PostQuit(int32_t code) {
    mQuitPosted = true;
    mQuitCode = code;
}

bool MessageLoop::RunLoop(const std::function<bool()>* done) {
    struct DepthGuard {
        int32_t& depth;
        explicit DepthGuard(int32_t& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(mDepth);

    const auto isDone = [done] { return done != nullptr && (*done)(); };
    bool idle = true;
    int32_t count = 0;
    for (;;) {
        switch (TakeWaiting()) {
            case Step::kEvent:
                idle = true;
                count = 0;
                if (isDone()) {
                    return true;
                }
                continue;
            case Step::kPaint:
                if (isDone()) {
                    return true;
                }
                continue;
            case Step::kQuit:
                return false;
            case Step::kNothing:
                break;
        }
        if (idle) {
            if (!mIdle || !mIdle(count++)) {
                idle = false;
            }
            if (isDone()) {
                return true;
            }
            continue;
        }
        SDL_Event event;
        if (!mSource.WaitEvent(event)) {
            // Nothing can arrive any more: end as if asked to.
            PostQuit(mQuitPosted ? mQuitCode : 0);
            return false;
        }
        if (mPaintEventType != 0 && event.type == mPaintEventType) {
            // Painted on the next step, when nothing else waits.
            mPendingPaints.push_back(event);
            continue;
        }
        Dispatch(event);
        idle = true;
        count = 0;
        if (isDone()) {
            return true;
        }
    }
}

int32_t MessageLoop::Run() {
    RunLoop(nullptr);
    const int32_t code = mQuitCode;
    if (mDepth == 0) {
        mQuitPosted = false;
        mQuitCode = 0;
    }
    return code;
}

bool MessageLoop::RunUntil(const std::function<bool()>& done) {
    return RunLoop(&done);
}

}  // namespace QV
