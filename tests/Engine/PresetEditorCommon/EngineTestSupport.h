#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "Engine/PresetEditorCommon/DeviceCommunicationInterface.h"
#include "Engine/PresetEditorCommon/EngineClock.h"
#include "Engine/PresetEditorCommon/RootModuleEngine.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/ObjectBase/Holder.h"
#include "RIZozivirod/ObjectBase/RefCountedPair.h"
#include "RIZozivirod/ObjectBase/Wrapper.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

namespace EngineTestSupport {

// A library path that never exists: the interface then answers every library call with -1.
inline const QV::WString kMissingLibraryPath(u"/nonexistent/libDeviceControlClient.so");

using ParamChangePair = QV::LPair<QV::ParamDescriptor, QV::Variant, QV::ParamDescriptorToString>;
using ParamValuesWrapper = QV::LWrapper<QV::ParamValues, QV::LRefCountedObject>;

inline QV::Variant Blob(std::initializer_list<uint8_t> bytes) {
    const std::vector<uint8_t> data(bytes);
    QV::Variant value;
    value.SetBlob(data.data(), static_cast<uint32_t>(data.size()));
    return value;
}

inline QV::Variant Int64(int64_t number) {
    QV::Variant value;
    value.Set(QV::Variant::Int64, &number, sizeof(number));
    return value;
}

inline QV::Variant Bool(bool flag) {
    QV::Variant value;
    const uint8_t byte = flag ? 1 : 0;
    value.Set(QV::Variant::Bool, &byte, sizeof(byte));
    return value;
}

inline QV::ParamValues ValuesOf(const std::vector<QV::ParamValue>& values) {
    QV::ParamValues list;
    QV::ParamDescriptors::SetFromValues(list, values.data(), static_cast<uint32_t>(values.size()));
    return list;
}

// Polls until the condition holds; false after the time-out (a failure, never a pause the test
// relies on).
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A clock whose pauses take no real time. Pauses of one chosen length can be held: the thread
// that pauses then waits until the test lets it go or the pause is woken, so a test can stop the
// polling loop at a known point of its pass. Waits on events are real waits, so a stopping run is
// really awaited.
class FakeClock : public IEngineClock {
public:
    bool Pause(QV::LEvent& wake, uint32_t milliseconds) override {
        std::unique_lock hold(mutex);
        now += milliseconds;
        ++sleeps[milliseconds];
        changed.notify_all();
        if (milliseconds == heldLength && heldLength != 0) {
            ++heldNow;
            changed.notify_all();
            bool woken = false;
            while (heldLength == milliseconds && permits == 0 && !woken) {
                hold.unlock();
                woken = wake.Wait(1) == QV::WAIT_OBJECT_0;
                hold.lock();
            }
            if (!woken && heldLength == milliseconds) {
                --permits;
            }
            --heldNow;
            changed.notify_all();
            return woken;
        }
        hold.unlock();
        if (wake.Wait(0) == QV::WAIT_OBJECT_0) {
            return true;
        }
        // Keeps a loop that pauses on this clock from spinning flat out.
        std::this_thread::sleep_for(std::chrono::microseconds(100));
        return false;
    }

    uint32_t WaitForEvent(QV::LEvent& event, uint32_t milliseconds) override {
        {
            std::lock_guard hold(mutex);
            ++eventWaits;
        }
        return event.Wait(milliseconds);
    }

    uint64_t Now() override {
        std::lock_guard hold(mutex);
        return now;
    }

    // Pauses of this length wait for Allow (0: none is held).
    void Hold(uint32_t milliseconds) {
        std::lock_guard hold(mutex);
        heldLength = milliseconds;
        permits = 0;
        changed.notify_all();
    }
    void Allow(uint32_t count = 1) {
        std::lock_guard hold(mutex);
        permits += count;
        changed.notify_all();
    }
    void ReleaseAll() { Hold(0); }

    uint32_t GetSleeps(uint32_t milliseconds) {
        std::lock_guard hold(mutex);
        return sleeps[milliseconds];
    }
    uint32_t GetEventWaits() {
        std::lock_guard hold(mutex);
        return eventWaits;
    }
    // True once count pauses of that length have begun.
    bool WaitForSleeps(uint32_t milliseconds, uint32_t count) {
        std::unique_lock hold(mutex);
        return changed.wait_for(hold, std::chrono::seconds(20),
                                [&] { return sleeps[milliseconds] >= count; });
    }
    // True once a pause is held (a thread waits in it).
    bool WaitForHeldPause() {
        std::unique_lock hold(mutex);
        return changed.wait_for(hold, std::chrono::seconds(20), [&] { return heldNow > 0; });
    }
    uint32_t HeldPauses() {
        std::lock_guard hold(mutex);
        return heldNow;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    uint64_t now = 0;
    std::map<uint32_t, uint32_t> sleeps;
    uint32_t eventWaits = 0;
    uint32_t heldLength = 0;
    uint32_t permits = 0;
    uint32_t heldNow = 0;
};

// An engine whose communication interface and clock the test chooses.
class TestEngine : public LRootModuleEngine {
public:
    using Factory = std::function<QV::RCPtr<LDeviceCommunicationInterface>()>;

    static QV::RCPtr<TestEngine> Create(std::shared_ptr<FakeClock> clock, Factory factory) {
        return QV::RCPtr<TestEngine>(new TestEngine(std::move(clock), std::move(factory)));
    }

    // The interface of a library at path (the engine makes it pause on its clock).
    static Factory LibraryAt(const QV::WString& path) {
        return [path] { return LDeviceCommunicationInterface::Create(path); };
    }

    using LRootModuleEngine::IsPollingRunActive;

protected:
    QV::RCPtr<LDeviceCommunicationInterface> CreateCommunicationInterface() override { return factory(); }

private:
    TestEngine(std::shared_ptr<FakeClock> clock, Factory makeInterface)
        : LRootModuleEngine(std::move(clock)), factory(std::move(makeInterface)) {}

    Factory factory;
};

// What the engine posted to the "application" centre, as the user-interface thread sees it when
// it drains the centre.
class PostedNotifications : public QV::LNotificationClient {
public:
    struct Posted {
        QV::WString name;
        QV::RCPtr<QV::LRefCountedObject> payload;
    };

    static QV::RCPtr<PostedNotifications> Create() {
        QV::RCPtr<PostedNotifications> recorder(new PostedNotifications());
        QV::RCPtr<QV::LNotificationCenter> centre = QV::GetMainNotificationCenter();
        // What earlier tests left in the queue is not this test's.
        centre->DiscardPendingNotifications();
        for (const QV::WChar* name : {u"NID_PARAM_MODULE_STATE_CHANGE", u"NID_DEVICE_CONNECTION_STATE_CHANGE",
                                      u"NID_REMOTE_DEVICE_LIST_CHANGE"}) {
            recorder->RegisterForNotification(centre, name, 0);
        }
        return recorder;
    }

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& /*sender*/,
                             const QV::RCPtr<QV::LNotification>& notification) override {
        posted.push_back({QV::GetNotificationName(notification->GetID()), notification->GetParam()});
    }

    // Delivers what is queued; the user-interface thread's part.
    void Drain() { QV::GetMainNotificationCenter()->ProcessQueue(false); }

    // Drains until the condition on what was delivered holds.
    bool DrainUntil(const std::function<bool()>& condition) {
        return WaitUntil([&] {
            Drain();
            return condition();
        });
    }

    std::vector<Posted> Take() {
        Drain();
        std::vector<Posted> taken;
        taken.swap(posted);
        return taken;
    }

    void Stop() { UnregisterAll(); }

    std::vector<Posted> posted;
};

// Every value change in a list of posts, in order, unpacked from pairs and value lists.
inline std::vector<QV::ParamValue> ValueChanges(const std::vector<PostedNotifications::Posted>& posts) {
    std::vector<QV::ParamValue> changes;
    for (const PostedNotifications::Posted& post : posts) {
        if (!(post.name == u"NID_PARAM_MODULE_STATE_CHANGE")) {
            continue;
        }
        QV::RCPtr<ParamChangePair> pair;
        pair = post.payload;
        if (pair) {
            changes.emplace_back(pair->first.paramID, pair->first.qualifier, pair->second);
            continue;
        }
        QV::RCPtr<ParamValuesWrapper> list;
        list = post.payload;
        if (list) {
            for (uint32_t item = 0; item < list->GetListCount(); ++item) {
                QV::ParamValue change;
                list->GetItem(item, change.value, change.descriptor.paramID, change.descriptor.qualifier);
                changes.push_back(change);
            }
        }
    }
    return changes;
}

inline std::vector<int32_t> States(const std::vector<PostedNotifications::Posted>& posts) {
    std::vector<int32_t> states;
    for (const PostedNotifications::Posted& post : posts) {
        QV::RCPtr<QV::LHolder<LRootModuleEngine::DeviceConnectionState>> holder;
        holder = post.payload;
        if (post.name == u"NID_DEVICE_CONNECTION_STATE_CHANGE" && holder) {
            states.push_back(holder->GetValue());
        }
    }
    return states;
}

inline std::vector<uint32_t> DeviceListCounts(const std::vector<PostedNotifications::Posted>& posts) {
    std::vector<uint32_t> counts;
    for (const PostedNotifications::Posted& post : posts) {
        QV::RCPtr<QV::LHolder<unsigned int>> holder;
        holder = post.payload;
        if (post.name == u"NID_REMOTE_DEVICE_LIST_CHANGE" && holder) {
            counts.push_back(holder->GetValue());
        }
    }
    return counts;
}

}  // namespace EngineTestSupport
