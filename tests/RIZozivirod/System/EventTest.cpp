#include "RIZozivirod/System/Event.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RIZozivirod/System/EventPool.h"

namespace QV {
namespace {

// One event kind seen through a common face, so one table runs over all of them.
struct AnyEvent {
    std::function<bool()> set;
    std::function<bool()> reset;
    std::function<uint32_t(uint32_t)> wait;
};

AnyEvent Plain(std::shared_ptr<Event> e) {
    return {[e] { return e->Set(); }, [e] { return e->Reset(); }, [e](uint32_t ms) { return e->Wait(ms); }};
}

AnyEvent Light(std::shared_ptr<TrafficLight> e) {
    return {[e] { return e->Set() != 0; }, [e] { return e->Reset() != 0; },
            [e](uint32_t ms) { return e->Wait(ms); }};
}

AnyEvent Shared(RCPtr<LEvent> e) {
    return {[e] { return e->Set(); }, [e] { return e->Reset(); }, [e](uint32_t ms) { return e->Wait(ms); }};
}

// 'S' set, 'R' reset, 'o' a zero wait expecting WAIT_OBJECT_0, 't' one expecting WAIT_TIMEOUT.
void RunScript(const std::string& name, AnyEvent event, const std::string& script) {
    for (size_t i = 0; i < script.size(); ++i) {
        SCOPED_TRACE(name + " step " + std::to_string(i) + " '" + script[i] + "'");
        switch (script[i]) {
            case 'S':
                EXPECT_TRUE(event.set());
                break;
            case 'R':
                EXPECT_TRUE(event.reset());
                break;
            case 'o':
                EXPECT_EQ(event.wait(0), Event::WAIT_OBJECT_0);
                break;
            case 't':
                EXPECT_EQ(event.wait(0), Event::WAIT_TIMEOUT);
                break;
        }
    }
}

TEST(Event, AutoResetConsumesManualResetPersists) {
    const std::string consumes = "tSotSSotRtSRt";
    const std::string persists = "tSoooRtSSooRt";
    RunScript("auto Event", Plain(std::make_shared<Event>(true)), consumes);
    RunScript("manual Event", Plain(std::make_shared<Event>(false)), persists);
    RunScript("TrafficLight", Light(std::make_shared<TrafficLight>()), persists);
    RunScript("LEvent(true)", Shared(LEvent::Create(true)), consumes);
    // The flag is not consulted: a shared event is always auto-reset.
    RunScript("LEvent(false)", Shared(LEvent::Create(false)), consumes);
}

TEST(Event, TrafficLightPollingDoesNotChangeIt) {
    TrafficLight light;
    EXPECT_FALSE(light.IsSet());
    EXPECT_FALSE(light.IsSet());
    EXPECT_NE(light.Set(), 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(light.IsSet());
    }
    EXPECT_EQ(light.Wait(0), Event::WAIT_OBJECT_0);
    EXPECT_NE(light.Reset(), 0);
    EXPECT_FALSE(light.IsSet());
}

TEST(Event, WaitReturnsWhenAnotherThreadSets) {
    Event event(true);
    TrafficLight light;
    RCPtr<LEvent> shared = LEvent::Create(true);
    std::thread setter([&] {
        event.Set();
        light.Set();
        shared->Set();
    });
    EXPECT_EQ(event.Wait(Event::INFINITE), Event::WAIT_OBJECT_0);
    EXPECT_EQ(light.Wait(Event::INFINITE), Event::WAIT_OBJECT_0);
    EXPECT_EQ(shared->Wait(Event::INFINITE), Event::WAIT_OBJECT_0);
    setter.join();
    EXPECT_EQ(event.Wait(1), Event::WAIT_TIMEOUT);
}

TEST(Event, SharedEventLivesByItsReferences) {
    RCPtr<LEvent> event = LEvent::Create(true);
    EXPECT_EQ(event->GetRefCount(), 1);
    EXPECT_NE(event->GetHandle(), nullptr);
    RCPtr<LEvent> second = event;
    EXPECT_EQ(event->GetRefCount(), 2);
}

TEST(EventPool, WaitAnyTakesTheLowestSignalledIndexFirst) {
    EventPool pool(5);
    ASSERT_EQ(pool.GetCount(), 5u);
    EXPECT_EQ(pool.WaitAny(0), -1);
    pool.GetEvent(3)->Set();
    pool.GetEvent(1)->Set();
    EXPECT_EQ(pool.WaitAny(Event::INFINITE), 1);
    EXPECT_EQ(pool.WaitAny(0), 3);
    EXPECT_EQ(pool.WaitAny(0), -1);
    EXPECT_EQ(pool.WaitAny(2), -1);
}

TEST(EventPool, WaitAnyWakesForAnEventSetOnAnotherThread) {
    EventPool pool(3);
    std::thread setter([&] { pool.GetEvent(2)->Set(); });
    EXPECT_EQ(pool.WaitAny(Event::INFINITE), 2);
    setter.join();
}

TEST(EventPool, PoolsNoWaitCanCoverFailAtOnce) {
    for (uint32_t count : {0u, Event::MAXIMUM_WAIT_OBJECTS + 1}) {
        EventPool pool(count);
        for (uint32_t i = 0; i < count; ++i) {
            pool.GetEvent(i)->Set();
        }
        EXPECT_EQ(pool.WaitAny(Event::INFINITE), -1) << count;
    }
    EventPool largest(Event::MAXIMUM_WAIT_OBJECTS);
    largest.GetEvent(Event::MAXIMUM_WAIT_OBJECTS - 1)->Set();
    EXPECT_EQ(largest.WaitAny(0), static_cast<int>(Event::MAXIMUM_WAIT_OBJECTS - 1));
}

TEST(EventPool, EventsHandedOutOutliveThePool) {
    RCPtr<LEvent> kept;
    {
        EventPool pool(2);
        kept = pool.GetEvent(1);
        EXPECT_EQ(kept->GetRefCount(), 2);
    }
    EXPECT_EQ(kept->GetRefCount(), 1);
    EXPECT_TRUE(kept->Set());
    EXPECT_EQ(kept->Wait(0), Event::WAIT_OBJECT_0);
}

}  // namespace
}  // namespace QV
