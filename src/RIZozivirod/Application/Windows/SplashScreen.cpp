#include "RIZozivirod/Application/Windows/SplashScreen.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <ostream>

#include "Platform/DebugOutput.h"
#include "Platform/Threads/WaitableEvent.h"

namespace QV {

namespace {

constexpr uint32_t kQuitMessage = 0x12;
constexpr uint32_t kSetProgressMessage = 0x402;
constexpr uint32_t kStartProgressMessage = 0x404;

int32_t BarPosition(int64_t position) {
    return static_cast<int32_t>(std::clamp<int64_t>(position, 0, 100));
}

}  // namespace

void LSplashProgress::SetPosition(int32_t position) {
    mStepsLeft = 0;
    mHasBar = true;
    mPosition = BarPosition(position);
}

void LSplashProgress::StartTimed(int32_t from, int32_t to, int32_t seconds) {
    mHasBar = true;
    // No time to spread the steps over: the bar goes to its end at once.
    if (seconds <= 0) {
        mStepsLeft = 0;
        mPosition = BarPosition(to);
        return;
    }
    const int32_t steps = std::min(seconds, INT32_MAX / 4) * 4;
    mPosition = BarPosition(from);
    mStep = (to - from) / steps;
    mStepsLeft = steps;
}

bool LSplashProgress::Step() {
    if (mStepsLeft <= 0) {
        return false;
    }
    mPosition = BarPosition(static_cast<int64_t>(mPosition) + mStep);
    --mStepsLeft;
    return true;
}

struct LSplashScreen::State {
    struct Message {
        uint32_t id;
        uintptr_t wParam;
        intptr_t lParam;
    };

    State(WindowFactory factory, RCPtr<LBitmap> image, WString title, uint32_t timerPeriodMs)
        : windowFactory(std::move(factory)),
          image(std::move(image)),
          title(std::move(title)),
          timerPeriodMs(timerPeriodMs) {}
    ~State() {
        Platform::CloseEvent(messageEvent);
        Platform::CloseEvent(startEvent);
        Platform::CloseEvent(endEvent);
    }

    const WindowFactory windowFactory;
    const RCPtr<LBitmap> image;
    const WString title;
    const uint32_t timerPeriodMs;
    Platform::EventHandle messageEvent = Platform::CreateEvent(false, false);
    Platform::EventHandle startEvent = Platform::CreateEvent(false, false);
    // Set when the thread ends, so a start that cannot show a window is not waited out.
    Platform::EventHandle endEvent = Platform::CreateEvent(true, false);
    std::mutex lock;
    std::deque<Message> messages;  // under lock
};

LSplashScreen::LSplashScreen(WindowFactory windowFactory, uint32_t timerPeriodMs)
    : mWindowFactory(std::move(windowFactory)), mTimerPeriodMs(timerPeriodMs) {}

LSplashScreen::~LSplashScreen() {
    Stop();
}

void LSplashScreen::SetImage(const RCPtr<LBitmap>& bitmap) {
    if (mImage || !bitmap) {
        return;
    }
    // A copy of its own: the splash thread never shares a bitmap with the user-interface thread.
    mImage = bitmap->Clone();
}

void LSplashScreen::Start() {
    if (mThread) {
        return;
    }
    const bool hasImage = mImage && mImage->GetGdiplusBitmap() != nullptr;
    auto state =
        std::make_shared<State>(mWindowFactory, hasImage ? mImage : nullptr, WString(), mTimerPeriodMs);
    auto* threadState = new std::shared_ptr<State>(state);
    auto thread = std::make_unique<Thread>(&LSplashScreen::Run, threadState);
    if (thread->Resume() == 0xFFFFFFFFu) {
        // The entry never runs, so its share of the state is given back here.
        delete threadState;
        DebugOutput::Get().GetNarrowStream() << "Error starting SplashThread\n" << std::flush;
        return;
    }
    mThread = std::move(thread);
    mState = std::move(state);
    const Platform::EventHandle events[] = {mState->startEvent, mState->endEvent};
    if (Platform::WaitForAnyEvent(2, events, kStartWaitMs) == WAIT_TIMEOUT) {
        DebugOutput::Get().GetNarrowStream() << "Error starting SplashThread\n" << std::flush;
    }
}

void LSplashScreen::SetProgress(int32_t position) {
    Post(kSetProgressMessage, static_cast<uintptr_t>(position), 0);
}

void LSplashScreen::StartProgress(int32_t from, int32_t to, int32_t seconds) {
    Post(kStartProgressMessage,
         (static_cast<uintptr_t>(to & 0xFFFF) << 16) | static_cast<uintptr_t>(from & 0xFFFF), seconds);
}

void LSplashScreen::Stop() {
    if (mThread) {
        Post(kQuitMessage, 0, 0);
        // A thread that does not end in time keeps its share of the state and ends on its own.
        mThread->Join(kStopWaitMs);
        mThread.reset();
        mState.reset();
    }
    mImage = nullptr;
}

void LSplashScreen::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!mState) {
        return;
    }
    {
        std::lock_guard<std::mutex> hold(mState->lock);
        mState->messages.push_back({message, wParam, lParam});
    }
    Platform::SetEvent(mState->messageEvent);
}

uint32_t LSplashScreen::Run(void* parameter) {
    const std::shared_ptr<State> state = std::move(*static_cast<std::shared_ptr<State>*>(parameter));
    delete static_cast<std::shared_ptr<State>*>(parameter);
    struct EndSignal {
        ~EndSignal() { Platform::SetEvent(event); }
        Platform::EventHandle event;
    } endSignal{state->endEvent};

    if (!state->image) {
        return 0;
    }
    std::unique_ptr<ISplashWindow> window = state->windowFactory ? state->windowFactory() : nullptr;
    if (!window || !window->Create(state->image, state->title)) {
        DebugOutput::Get().GetNarrowStream() << "Unable to create SplashWnd\n" << std::flush;
        return 0;
    }
    Platform::SetEvent(state->startEvent);

    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(state->timerPeriodMs);
    LSplashProgress progress;
    Clock::time_point nextStep{};
    for (;;) {
        uint32_t wait = INFINITE;
        if (progress.IsTimed()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(nextStep - Clock::now()).count();
            wait = static_cast<uint32_t>(std::max<int64_t>(left, 0));
        }
        Platform::WaitForEvent(state->messageEvent, wait);
        if (progress.IsTimed() && Clock::now() >= nextStep) {
            progress.Step();
            window->SetBarPosition(progress.GetPosition());
            nextStep += period;
        }
        std::deque<State::Message> messages;
        {
            std::lock_guard<std::mutex> hold(state->lock);
            messages.swap(state->messages);
        }
        for (const State::Message& message : messages) {
            switch (message.id) {
                case kQuitMessage:
                    window.reset();
                    return 0;
                case kSetProgressMessage:
                    progress.SetPosition(static_cast<int32_t>(message.wParam));
                    window->SetBarPosition(progress.GetPosition());
                    break;
                case kStartProgressMessage:
                    progress.StartTimed(static_cast<int16_t>(message.wParam & 0xFFFF),
                                        static_cast<int16_t>((message.wParam >> 16) & 0xFFFF),
                                        static_cast<int32_t>(message.lParam));
                    window->SetBarPosition(progress.GetPosition());
                    nextStep = Clock::now() + period;
                    break;
                default:
                    break;
            }
        }
    }
}

}  // namespace QV
