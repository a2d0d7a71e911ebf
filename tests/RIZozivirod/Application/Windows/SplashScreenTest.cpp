#include "RIZozivirod/Application/Windows/SplashScreen.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace QV {
namespace {

TEST(SplashProgressTest, TimedProgressStepsFourTimesASecond) {
    LSplashProgress progress;
    EXPECT_FALSE(progress.HasBar());
    progress.StartTimed(0, 100, 8);
    EXPECT_TRUE(progress.HasBar());
    EXPECT_EQ(progress.GetPosition(), 0);
    std::vector<int32_t> positions;
    while (progress.Step()) {
        positions.push_back(progress.GetPosition());
    }
    ASSERT_EQ(positions.size(), 32u);
    EXPECT_EQ(positions.front(), 3);
    EXPECT_EQ(positions.back(), 96);

    struct Case {
        int32_t from, to, seconds;
        int32_t start, end, steps;
    };
    const std::vector<Case> cases = {
        {0, 100, 0, 100, 100, 0},  // no seconds: the end at once
        {20, 60, -3, 60, 60, 0},  {50, 100, 1, 50, 98, 4},
        {80, 0, 2, 80, 0, 8},     {-20, 300, 1, 0, 100, 4},  // the bar's range holds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " " << c.to << " " << c.seconds);
        progress.StartTimed(c.from, c.to, c.seconds);
        EXPECT_EQ(progress.GetPosition(), c.start);
        int32_t steps = 0;
        while (progress.Step()) {
            ++steps;
        }
        EXPECT_EQ(steps, c.steps);
        EXPECT_EQ(progress.GetPosition(), c.end);
    }

    progress.StartTimed(0, 100, 8);
    progress.Step();
    progress.SetPosition(100);
    EXPECT_FALSE(progress.IsTimed());
    EXPECT_FALSE(progress.Step());
    EXPECT_EQ(progress.GetPosition(), 100);
}

// What the splash thread did to its window, seen from the test.
struct WindowLog {
    std::mutex lock;
    std::condition_variable changed;
    int created = 0;
    int destroyed = 0;
    bool failCreate = false;
    std::thread::id thread;
    std::vector<int32_t> positions;

    // Waits (a generous while) until the log satisfies done.
    template <class Done>
    bool WaitUntil(Done done) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, std::chrono::seconds(10), [&] { return done(*this); });
    }
};

class RecordingSplashWindow : public ISplashWindow {
public:
    explicit RecordingSplashWindow(WindowLog& log) : mLog(log) {}
    ~RecordingSplashWindow() override {
        std::lock_guard<std::mutex> hold(mLog.lock);
        ++mLog.destroyed;
        mLog.changed.notify_all();
    }
    bool Create(const RCPtr<LBitmap>& image, const WString&) override {
        std::lock_guard<std::mutex> hold(mLog.lock);
        mLog.thread = std::this_thread::get_id();
        if (mLog.failCreate || !image) {
            return false;
        }
        ++mLog.created;
        return true;
    }
    void SetBarPosition(int32_t position) override {
        std::lock_guard<std::mutex> hold(mLog.lock);
        mLog.positions.push_back(position);
        mLog.changed.notify_all();
    }

private:
    WindowLog& mLog;
};

class SplashScreenTest : public testing::Test {
protected:
    LSplashScreen::WindowFactory Factory() {
        return [this] { return std::make_unique<RecordingSplashWindow>(mLog); };
    }
    RCPtr<LBitmap> Picture() { return LBitmap::CreateFilledBitmap({40, 30}, Color(0.2f, 0.4f, 0.6f, 1.0f)); }

    WindowLog mLog;
};

TEST_F(SplashScreenTest, TheSplashThreadOwnsTheWindowAndStepsTheBar) {
    LSplashScreen splash(Factory(), 1);
    splash.SetImage(Picture());
    splash.Start();
    ASSERT_TRUE(splash.IsRunning());
    {
        std::lock_guard<std::mutex> hold(mLog.lock);
        EXPECT_EQ(mLog.created, 1);
        EXPECT_NE(mLog.thread, std::this_thread::get_id());
    }
    splash.Start();  // already running: nothing new

    splash.StartProgress(0, 100, 8);
    ASSERT_TRUE(mLog.WaitUntil([](WindowLog& log) { return log.positions.size() == 33; }));
    splash.SetProgress(100);
    ASSERT_TRUE(mLog.WaitUntil([](WindowLog& log) { return log.positions.size() == 34; }));
    {
        std::lock_guard<std::mutex> hold(mLog.lock);
        EXPECT_EQ(mLog.positions[0], 0);
        EXPECT_EQ(mLog.positions[1], 3);
        EXPECT_EQ(mLog.positions[32], 96);
        EXPECT_EQ(mLog.positions[33], 100);
    }

    splash.Stop();
    EXPECT_FALSE(splash.IsRunning());
    std::lock_guard<std::mutex> hold(mLog.lock);
    EXPECT_EQ(mLog.created, 1);
    EXPECT_EQ(mLog.destroyed, 1);
}

TEST_F(SplashScreenTest, ATimedProgressOfNoSecondsEndsAtOnce) {
    LSplashScreen splash(Factory(), 1);
    splash.SetImage(Picture());
    splash.Start();
    splash.StartProgress(0, 100, 0);
    splash.SetProgress(40);
    ASSERT_TRUE(mLog.WaitUntil([](WindowLog& log) { return log.positions.size() == 2; }));
    splash.Stop();
    EXPECT_EQ(mLog.positions, (std::vector<int32_t>{100, 40}));
}

TEST_F(SplashScreenTest, AStartThatCannotShowAWindowIsNotWaitedOut) {
    struct Case {
        bool withPicture;
        bool failCreate;
        const char* log;
    };
    for (const Case& c : {Case{false, false, ""}, Case{true, true, "Unable to create SplashWnd\n"}}) {
        SCOPED_TRACE(c.withPicture);
        mLog.failCreate = c.failCreate;
        LSplashScreen splash(Factory());
        if (c.withPicture) {
            splash.SetImage(Picture());
        }
        testing::internal::CaptureStderr();
        const auto start = std::chrono::steady_clock::now();
        splash.Start();
        EXPECT_LT(std::chrono::steady_clock::now() - start,
                  std::chrono::milliseconds(LSplashScreen::kStartWaitMs));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.log);
        splash.SetProgress(50);  // lost
        splash.Stop();
        EXPECT_TRUE(mLog.positions.empty());
    }
}

}  // namespace
}  // namespace QV
