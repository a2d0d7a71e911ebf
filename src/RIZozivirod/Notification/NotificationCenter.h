#pragma once

#include <cstdint>

#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/Notification/NotificationQueue.h"
#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// A named distributor with a queue of its own: what is posted to it is delivered to its
// registered clients when it is drained. Its queue's target is the centre itself, a reference
// counted as an internal one.
class LNotificationCenter : public LNotificationDistributor, public LNotificationQueue {
public:
    const WString& GetName() const { return mName; }

    // Unregisters every client, closes the queue and drops the reference to itself.
    int32_t ReleaseInternalReferences() override;

protected:
    ~LNotificationCenter() override;

private:
    friend class LNotificationCenterManager;

    explicit LNotificationCenter(const WString& name);

    WString mName;
    bool mTargetsItself = false;
};

// The process's centres by name, in creation order; the main one is "application". Centres
// are never removed: they go with the manager. Any thread may look centres up or make them.
class LNotificationCenterManager : public virtual LRefCountedObject {
public:
    // Made on the first call.
    static RCPtr<LNotificationCenterManager> GetInstance();
    // Lets go of the process's manager (the application does so as it ends); a later
    // GetInstance makes a new, empty one.
    static void ReleaseInstance();

    // The first centre of that name (compared case-sensitively), or null.
    RCPtr<LNotificationCenter> FindNotificationCenter(const WString& name) const;
    // The centre of that name, made when there is none; null for an empty name.
    RCPtr<LNotificationCenter> GetNotificationCenter(const WString& name);

    // Drains every centre, the newest first. True when any has notifications waiting after.
    bool ProcessNotifications(bool idle);
    // Whether any centre has a listener for "NID_IDLE".
    bool HasIdleClients() const;

protected:
    ~LNotificationCenterManager() override;

private:
    LNotificationCenterManager();
    uint32_t GetCentreCount() const;

    // Guards the list: any thread looks centres up while the user-interface thread makes them.
    mutable Mutex mLock;
    RCPtrArray<LNotificationCenter, 1, 0> mCentres;
};

}  // namespace QV
