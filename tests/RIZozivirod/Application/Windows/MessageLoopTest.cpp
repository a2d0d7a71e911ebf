#include "RIZozivirod/Application/Windows/MessageLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UITestSupport/ScriptedEventSource.h"

namespace QV {
namespace {

constexpr uint32_t kKey = SDL_USEREVENT + 1;
constexpr uint32_t kQuitNow = SDL_USEREVENT + 2;
constexpr uint32_t kModal = SDL_USEREVENT + 3;
constexpr uint32_t kEndModal = SDL_USEREVENT + 4;

// Records what the loop did, in order: "e<type offset>", "p<window>", "i<count>".
class LoopTest : public ::testing::Test, public ILoopWindow {
protected:
    LoopTest() {
        loop.AddWindow(this);
        loop.SetUnclaimedEventHandler([this](const SDL_Event& event) { OnEvent(event); });
    }

    uint32_t GetWindowId() const override { return 7; }
    void HandleEvent(const SDL_Event& event) override { OnEvent(event); }
    bool NeedsPaint() override { return dirty; }
    void Paint() override {
        dirty = false;
        log.push_back("p");
    }

    void OnEvent(const SDL_Event& event) {
        if (event.type == ScriptedEventSource::kTickType) {
            log.push_back("t");
            return;
        }
        log.push_back("e" + std::to_string(event.user.code));
        if (event.type == kQuitNow) {
            loop.PostQuit(event.user.code);
        } else if (event.type == kModal) {
            modalEnded = loop.RunUntil([this] { return endModal; });
            log.push_back("modal-out");
        } else if (event.type == kEndModal) {
            endModal = true;
        }
    }

    // The application's rule: passes while work waits, at most three per idle period.
    bool Idle(int32_t count) {
        log.push_back("i" + std::to_string(count));
        return idleWantsMore && count < 2;
    }

    ScriptedEventSource source;
    MessageLoop loop{source, [this](int32_t count) { return Idle(count); }};
    std::vector<std::string> log;
    bool dirty = false;
    bool idleWantsMore = true;
    bool endModal = false;
    bool modalEnded = false;
};

using Log = std::vector<std::string>;

TEST_F(LoopTest, IdleCountsRestartAfterEveryEventAndTheTimerStartsNewIdlePeriods) {
    source.PushUser(kKey, 7, 1);
    source.PushUser(kKey, 7, 2);
    source.onTick = [this](int32_t tick) {
        if (tick == 2) {
            source.PushUser(kQuitNow, 0, 5);
        }
    };
    EXPECT_EQ(loop.Run(), 5);
    // Two events, one idle period of three passes, a tick with another period, then the quit.
    EXPECT_EQ(log, (Log{"e1", "e2", "i0", "i1", "i2", "t", "i0", "i1", "i2", "t", "e5"}));
    EXPECT_EQ(source.ticks.load(), 2);
    EXPECT_EQ(source.nowMs.load(), 66u);
}

TEST_F(LoopTest, AnIdlePassWithNothingLeftEndsThePeriod) {
    idleWantsMore = false;
    source.onTick = [this](int32_t tick) {
        if (tick == 1) {
            source.PushUser(kQuitNow, 0, 0);
        }
    };
    loop.Run();
    EXPECT_EQ(log, (Log{"i0", "t", "e0"}));
}

TEST_F(LoopTest, PaintComesAfterQueuedEventsAndDoesNotRestartTheIdleCount) {
    dirty = true;
    source.PushUser(kKey, 7, 1);
    source.PushUser(kKey, 7, 2);
    source.onTick = [this](int32_t) { source.PushUser(kQuitNow, 7, 0); };
    loop.Run();
    EXPECT_EQ(log, (Log{"e1", "e2", "p", "i0", "i1", "i2", "t", "e0"}));
}

TEST_F(LoopTest, PaintEventsWaitForTheOtherEventsAndComeOncePerWindow) {
    constexpr uint32_t kPaint = SDL_USEREVENT + 50;
    loop.SetPaintEventType(kPaint);
    source.PushUser(kPaint, 7, 10);
    source.PushUser(kKey, 7, 1);
    source.PushUser(kPaint, 7, 11);
    source.PushUser(kKey, 7, 2);
    source.PushUser(kPaint, 0, 12);
    source.onTick = [this](int32_t) { source.PushUser(kQuitNow, 7, 0); };
    loop.Run();
    EXPECT_EQ(log, (Log{"e1", "e2", "e10", "e12", "i0", "i1", "i2", "t", "e0"}));
}

TEST_F(LoopTest, AQuitRequestEndsTheLoopOnlyOnceTheQueueIsEmptyAndPainted) {
    source.PushUser(kQuitNow, 7, 3);
    source.PushUser(kKey, 7, 1);
    source.PushUser(kKey, 7, 2);
    dirty = true;
    EXPECT_EQ(loop.Run(), 3);
    EXPECT_EQ(log, (Log{"e3", "e1", "e2", "p"}));
    EXPECT_FALSE(loop.IsQuitPosted());
}

TEST_F(LoopTest, ModalLoopsNestAndLeaveAQuitForTheOuterLoop) {
    // A modal run pumps events and idles until its end; the outer loop goes on after it.
    source.PushUser(kModal, 7, 1);
    source.PushUser(kKey, 7, 2);
    source.PushUser(kEndModal, 7, 3);
    source.PushUser(kKey, 7, 4);
    source.onTick = [this](int32_t) { source.PushUser(kQuitNow, 7, 0); };
    loop.Run();
    EXPECT_TRUE(modalEnded);
    EXPECT_EQ(log, (Log{"e1", "e2", "e3", "modal-out", "e4", "i0", "i1", "i2", "t", "e0"}));

    // A quit inside the modal run ends it and then the outer loop.
    log.clear();
    endModal = false;
    source.PushUser(kModal, 7, 1);
    source.PushUser(kQuitNow, 7, 9);
    source.PushUser(kKey, 7, 2);
    EXPECT_EQ(loop.Run(), 9);
    EXPECT_FALSE(modalEnded);
    EXPECT_EQ(log, (Log{"e1", "e9", "e2", "modal-out"}));
}

TEST_F(LoopTest, EventsGoToTheirWindowAndTheRestToTheUnclaimedHandler) {
    int32_t windowEvents = 0;
    struct Other : ILoopWindow {
        int32_t& count;
        explicit Other(int32_t& c) : count(c) {}
        uint32_t GetWindowId() const override { return 9; }
        void HandleEvent(const SDL_Event&) override { ++count; }
        bool NeedsPaint() override { return false; }
        void Paint() override {}
    } other(windowEvents);
    loop.AddWindow(&other);
    source.PushUser(kKey, 9, 1);
    source.PushUser(kKey, 7, 2);
    source.PushUser(kQuitNow, 0, 0);
    loop.Run();
    loop.RemoveWindow(&other);
    EXPECT_EQ(windowEvents, 1);
    EXPECT_EQ(log, (Log{"e2", "e0"}));
}

}  // namespace
}  // namespace QV
