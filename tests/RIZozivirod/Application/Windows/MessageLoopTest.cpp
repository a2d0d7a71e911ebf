#include "RIZozivirod/Application/Windows/MessageLoop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "UITestSupport/ScriptedEventSource.h"

namespace QV {
namespace {

constexpr uint32_t kKey = SDL_USEREVENT + 1;
constexpr uint32_t kQuitNow = SDL_USEREVENT + 2;
constexpr uint32_t kModal = SDL_USEREVENT + 3;
constexpr uint32_t kEndModal = SDL_USEREVENT + 4;

using Log = std::vector<std::string>;

// Records what the loop did, in order: "e<code>" events, "p" paints, "i<count>" idle passes,
// "t" ticks of the scripted clock (the loop slept).
class LoopTest : public ::testing::Test {
protected:
    LoopTest() {
        source.dispatch = [this](const SDL_Event& event) { OnEvent(event); };
        source.onTick = [this](int32_t tick) {
            log.push_back("t");
            if (onTick) {
                onTick(tick);
            }
        };
        loop.SetIdleHandler([this](int32_t count) {
            log.push_back("i" + std::to_string(count));
            // The application's rule: passes while work waits, at most three per idle period.
            return idleWantsMore && count < 2;
        });
        loop.SetPaintHandler([this] {
            if (!dirty) {
                return false;
            }
            dirty = false;
            log.push_back("p");
            return true;
        });
        loop.SetIdleWorkQuery([this] { return idleWork; });
    }

    void OnEvent(const SDL_Event& event) {
        log.push_back("e" + std::to_string(event.user.code));
        if (event.type == kQuitNow) {
            loop.Quit(event.user.code);
        } else if (event.type == kModal) {
            const bool ended = loop.RunUntil([this] { return endModal; });
            log.push_back(ended ? "modal-done" : "modal-quit");
        } else if (event.type == kEndModal) {
            endModal = true;
        }
    }

    ScriptedEventSource source;
    MessageLoop loop{source};
    Log log;
    std::function<void(int32_t)> onTick;
    bool dirty = false;
    bool idleWantsMore = true;
    bool idleWork = false;
    bool endModal = false;
};

TEST_F(LoopTest, IdleCountsRestartAfterEveryEventAndEveryWakeUp) {
    source.PushUser(kKey, 7, 1);
    source.PushUser(kKey, 7, 2);
    onTick = [this](int32_t tick) {
        if (tick == 2) {
            source.PushUser(kQuitNow, 0, 5);
        }
    };
    EXPECT_EQ(loop.Run(), 5);
    // Two events, one idle period of three passes, a wake-up with another, then the quit.
    EXPECT_EQ(log, (Log{"e1", "e2", "i0", "i1", "i2", "t", "i0", "i1", "i2", "t", "e5"}));
    EXPECT_EQ(loop.GetWakeCount(), 2u);
}

TEST_F(LoopTest, WithoutIdleWorkTheLoopSleepsWithoutLimitAndWithItAtTheIdleRhythm) {
    idleWantsMore = false;
    onTick = [this](int32_t tick) {
        // A caret starts blinking at the second wake-up and stops at the fifth.
        idleWork = tick >= 2 && tick < 5;
        if (tick == 6) {
            source.PushUser(kQuitNow, 0, 0);
        }
    };
    loop.Run();
    EXPECT_EQ(source.sleeps, (std::vector<int32_t>{-1, -1, 33, 33, 33, -1}));
    EXPECT_EQ(source.nowMs.load(), 33u * 6);
}

TEST_F(LoopTest, AnEarlierTimerShortensTheSleepAndRunsOnceDue) {
    idleWantsMore = false;
    idleWork = true;
    int32_t fired = 0;
    loop.PostDelayed([&] { ++fired; }, 50);
    loop.PostDelayed(
        [&] {
            ++fired;
            loop.Quit(0);
        },
        10);
    loop.Run();
    // The 10 ms timer ends the loop before the tick and the 50 ms timer are due.
    EXPECT_EQ(source.sleeps, (std::vector<int32_t>{10}));
    EXPECT_EQ(fired, 1);
}

TEST_F(LoopTest, PaintComesAfterQueuedEventsAndDoesNotRestartTheIdleCount) {
    dirty = true;
    source.PushUser(kKey, 7, 1);
    source.PushUser(kKey, 7, 2);
    onTick = [this](int32_t) { source.PushUser(kQuitNow, 7, 0); };
    loop.Run();
    EXPECT_EQ(log, (Log{"e1", "e2", "p", "i0", "i1", "i2", "t", "e0"}));
}

TEST_F(LoopTest, AQuitEndsTheLoopOnlyOnceTheQueueIsEmptyAndPainted) {
    source.PushUser(kQuitNow, 7, 3);
    source.PushUser(kKey, 7, 1);
    source.PushUser(kKey, 7, 2);
    dirty = true;
    EXPECT_EQ(loop.Run(), 3);
    EXPECT_EQ(log, (Log{"e3", "e1", "e2", "p"}));
    EXPECT_FALSE(loop.IsQuitting());
}

TEST_F(LoopTest, ModalRunsNestAndAQuitAtAnyDepthEndsEveryLevel) {
    // A modal run pumps events and idles until its end; the outer loop goes on after it.
    source.PushUser(kModal, 7, 1);
    source.PushUser(kKey, 7, 2);
    source.PushUser(kEndModal, 7, 3);
    source.PushUser(kKey, 7, 4);
    onTick = [this](int32_t) { source.PushUser(kQuitNow, 7, 0); };
    loop.Run();
    EXPECT_EQ(log, (Log{"e1", "e2", "e3", "modal-done", "e4", "i0", "i1", "i2", "t", "e0"}));

    for (int32_t depth = 0; depth <= 3; ++depth) {
        log.clear();
        endModal = false;
        onTick = nullptr;
        for (int32_t level = 0; level < depth; ++level) {
            source.PushUser(kModal, 7, 1);
        }
        source.PushUser(kQuitNow, 7, 9);
        EXPECT_EQ(loop.Run(), 9) << depth;
        Log expected(static_cast<size_t>(depth), "e1");
        expected.push_back("e9");
        expected.insert(expected.end(), static_cast<size_t>(depth), "modal-quit");
        EXPECT_EQ(log, expected) << depth;
        EXPECT_EQ(loop.GetNestingDepth(), 0);
    }
}

TEST_F(LoopTest, ASignalDuringAModalRunGoesThroughTheQuitRequestAndEndsEveryLevel) {
    int32_t requests = 0;
    loop.SetQuitRequestHandler([&] {
        ++requests;
        log.push_back("quit-request");
        loop.Quit(4);
    });
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = [](int) { MessageLoop::RequestQuitFromSignal(); };
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(sigaction(SIGTERM, &action, &previous), 0);
    source.PushUser(kModal, 7, 1);
    source.PushUser(kModal, 7, 2);
    idleWantsMore = false;
    onTick = [&](int32_t tick) {
        if (tick == 1) {
            std::raise(SIGTERM);
        }
    };
    EXPECT_EQ(loop.Run(), 4);
    sigaction(SIGTERM, &previous, nullptr);
    EXPECT_EQ(requests, 1);
    // Heard at the pass right after the wake-up, before any idle pass.
    EXPECT_EQ(log, (Log{"e1", "e2", "i0", "t", "quit-request", "modal-quit", "modal-quit"}));
}

TEST_F(LoopTest, TasksPostedFromAnotherThreadWakeTheLoopAndRunOnItsThread) {
    idleWantsMore = false;
    std::thread::id ranOn;
    std::thread worker;
    onTick = [&](int32_t tick) {
        if (tick == 1) {
            worker = std::thread([&] {
                loop.Post([&] {
                    ranOn = std::this_thread::get_id();
                    loop.Quit(0);
                });
            });
            worker.join();
        }
    };
    loop.Run();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(source.ticks.load(), 1);
}

}  // namespace
}  // namespace QV
