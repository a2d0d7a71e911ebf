#pragma once

#include <functional>
#include <string>
#include <vector>

#include "RIZozivirod/Notification/NotificationDistributor.h"

// Clients and distributors that log what reaches them and count their live instances, for the
// dispatch order and the reference accounting of the notification tests.
namespace QVTest {

using QV::LNotification;
using QV::LNotificationClient;
using QV::LNotificationDistributor;
using QV::RCPtr;

inline std::string Narrow(const char16_t* text) {
    return text == nullptr ? std::string() : QV::WString(text).ToUTF8().GetString();
}

// A log shared by the objects of one test: "A:NID_X" per delivery.
using DeliveryLog = std::vector<std::string>;

class RecordingClient : public LNotificationClient {
public:
    using Action = std::function<void(RecordingClient&, const RCPtr<LNotificationDistributor>&,
                                      const RCPtr<LNotification>&)>;

    RecordingClient(std::string name, DeliveryLog* log) : mName(std::move(name)), mLog(log) { ++Live(); }

    static RCPtr<RecordingClient> Create(std::string name, DeliveryLog* log) {
        return RCPtr<RecordingClient>(new RecordingClient(std::move(name), log));
    }

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override {
        ++mReceived;
        mLast = notification;
        if (mLog != nullptr) {
            mLog->push_back(mName + ":" + Narrow(notification->GetID()));
        }
        if (mOnReceive) {
            // The action may replace itself; the running one stays alive while it runs.
            const Action action = mOnReceive;
            action(*this, sender, notification);
        }
    }

    const std::string& Name() const { return mName; }
    int Received() const { return mReceived; }
    const RCPtr<LNotification>& Last() const { return mLast; }
    void OnReceive(Action action) { mOnReceive = std::move(action); }

    static int& Live() {
        static int live = 0;
        return live;
    }

protected:
    ~RecordingClient() override { --Live(); }

private:
    std::string mName;
    DeliveryLog* mLog;
    int mReceived = 0;
    RCPtr<LNotification> mLast;
    Action mOnReceive;
};

// A plain distributor that counts its live instances.
class CountedDistributor : public LNotificationDistributor {
public:
    CountedDistributor() { ++Live(); }
    static RCPtr<CountedDistributor> Create() { return RCPtr<CountedDistributor>(new CountedDistributor); }

    static int& Live() {
        static int live = 0;
        return live;
    }

protected:
    ~CountedDistributor() override { --Live(); }
};

}  // namespace QVTest
