#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/System/Thread.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// The progress bar of the splash window: a position from 0 to 100, set directly or stepped by
// a timer. A timed progress from one position to another over some seconds takes four steps a
// second of (to - from) / (seconds x 4) each (integer division); a timed progress of no
// seconds goes to its end at once.
class LSplashProgress {
public:
    bool HasBar() const { return mHasBar; }
    int32_t GetPosition() const { return mPosition; }
    bool IsTimed() const { return mStepsLeft > 0; }

    // Ends a running timed progress, then sets the position (making the bar when needed).
    void SetPosition(int32_t position);
    void StartTimed(int32_t from, int32_t to, int32_t seconds);
    // One timer step; false when no timed progress runs.
    bool Step();

private:
    bool mHasBar = false;
    int32_t mPosition = 0;
    int32_t mStep = 0;
    int32_t mStepsLeft = 0;
};

// The window the splash thread shows: the picture, centred in the work area, with the progress
// bar. Made, used and destroyed on the splash thread only.
class ISplashWindow {
public:
    virtual ~ISplashWindow() = default;

    // Shows the picture without taking the focus; an empty title makes a window without a
    // taskbar entry. False when no window could be made.
    virtual bool Create(const RCPtr<LBitmap>& image, const WString& title) = 0;
    // Makes the bar when there is none yet, and shows the position.
    virtual void SetBarPosition(int32_t position) = 0;
};

// A splash picture with a progress bar on a thread of its own, so that it stays responsive
// while the user-interface thread loads the program. The user-interface thread calls every
// operation; it talks to the splash thread only through messages, and the splash thread alone
// touches the window. Messages sent while no splash thread runs are lost.
class LSplashScreen {
public:
    using WindowFactory = std::function<std::unique_ptr<ISplashWindow>()>;

    static constexpr uint32_t kStartWaitMs = 5000;
    static constexpr uint32_t kStopWaitMs = 1000;
    static constexpr uint32_t kTimerPeriodMs = 250;

    // windowFactory makes the window on the splash thread; timerPeriodMs is the period of the
    // timed progress.
    explicit LSplashScreen(WindowFactory windowFactory, uint32_t timerPeriodMs = kTimerPeriodMs);
    ~LSplashScreen();
    LSplashScreen(const LSplashScreen&) = delete;
    LSplashScreen& operator=(const LSplashScreen&) = delete;

    // Keeps a copy of the picture; only the first call (since the last Stop) counts.
    void SetImage(const RCPtr<LBitmap>& bitmap);
    // Unless the thread runs: starts it and waits up to kStartWaitMs for its window. A thread
    // that cannot show a window (no picture, no window) ends, and Start returns at once.
    void Start();
    void SetProgress(int32_t position);
    void StartProgress(int32_t from, int32_t to, int32_t seconds);
    // Ends the thread (waiting up to kStopWaitMs; it destroys its window), then lets go of the
    // picture. The window has no title, so it shows no taskbar entry.
    void Stop();

    bool IsRunning() const { return mThread != nullptr; }

private:
    struct State;

    static uint32_t Run(void* parameter);
    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam);

    WindowFactory mWindowFactory;
    uint32_t mTimerPeriodMs;
    RCPtr<LBitmap> mImage;
    std::unique_ptr<Thread> mThread;
    std::shared_ptr<State> mState;
};

}  // namespace QV
