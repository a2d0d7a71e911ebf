#include "RIZozivirod/Notification/NotificationCenter.h"

#include "RIZozivirod/System/Mutex.h"

namespace QV {

namespace {

// Guards the process-wide pointer only: threads may look the manager up while the
// user-interface thread makes it.
Mutex& InstanceLock() {
    static Mutex* const lock = new Mutex;
    return *lock;
}

RCPtr<LNotificationCenterManager>& Instance() {
    static RCPtr<LNotificationCenterManager>* const instance = new RCPtr<LNotificationCenterManager>;
    return *instance;
}

}  // namespace

// ---- centre ----

LNotificationCenter::LNotificationCenter(const WString& name) : mName(name) {}

LNotificationCenter::~LNotificationCenter() = default;

int32_t LNotificationCenter::ReleaseInternalReferences() {
    UnregisterAllClients();
    Close();
    if (mTargetsItself) {
        mTargetsItself = false;
        AddInternalReferences(-1);
    }
    return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
}

// ---- manager ----

LNotificationCenterManager::LNotificationCenterManager()
    : mLock("notification centres", LockLevel::kNotificationCentres) {}

LNotificationCenterManager::~LNotificationCenterManager() = default;

uint32_t LNotificationCenterManager::GetCentreCount() const {
    CAutoLock lock(mLock);
    return mCentres.GetCount();
}

RCPtr<LNotificationCenterManager> LNotificationCenterManager::GetInstance() {
    CAutoLock lock(InstanceLock());
    RCPtr<LNotificationCenterManager>& instance = Instance();
    if (!instance) {
        instance = RCPtr<LNotificationCenterManager>(new LNotificationCenterManager);
    }
    return instance;
}

void LNotificationCenterManager::ReleaseInstance() {
    RCPtr<LNotificationCenterManager> released;
    {
        CAutoLock lock(InstanceLock());
        released = Instance();
        Instance() = nullptr;
    }
    // The centres go with the manager, outside the lock.
}

RCPtr<LNotificationCenter> LNotificationCenterManager::FindNotificationCenter(const WString& name) const {
    CAutoLock lock(mLock);
    const uint32_t count = mCentres.GetCount();
    for (uint32_t i = 0; i < count; ++i) {
        const RCPtr<LNotificationCenter>& centre = mCentres.GetAt(i);
        if (centre->GetName().GetString() == name.GetString() || centre->GetName() == name) {
            return centre;
        }
    }
    return nullptr;
}

RCPtr<LNotificationCenter> LNotificationCenterManager::GetNotificationCenter(const WString& name) {
    if (name.IsEmpty()) {
        return nullptr;
    }
    // Looked up and made under one hold of the lock, so threads asking for a new name together
    // get one centre.
    CAutoLock lock(mLock);
    RCPtr<LNotificationCenter> centre = FindNotificationCenter(name);
    if (centre) {
        return centre;
    }
    centre = RCPtr<LNotificationCenter>(new LNotificationCenter(name));
    // The queue delivers through the centre itself.
    centre->SetTargetDistributor(RCPtr<LNotificationDistributor>(centre));
    centre->AddInternalReferences(1);
    centre->mTargetsItself = true;
    mCentres.Add(centre);
    return centre;
}

bool LNotificationCenterManager::ProcessNotifications(bool idle) {
    bool pending = false;
    for (uint32_t i = GetCentreCount(); i-- > 0;) {
        // Drained without the lock: deliveries may make centres.
        RCPtr<LNotificationCenter> centre;
        {
            CAutoLock lock(mLock);
            if (i >= mCentres.GetCount()) {
                continue;
            }
            centre = mCentres.GetAt(i);
        }
        if (centre->ProcessQueue(idle)) {
            pending = true;
        }
    }
    return pending;
}

bool LNotificationCenterManager::HasIdleClients() const {
    for (uint32_t i = GetCentreCount(); i-- > 0;) {
        RCPtr<LNotificationCenter> centre;
        {
            CAutoLock lock(mLock);
            if (i >= mCentres.GetCount()) {
                continue;
            }
            centre = mCentres.GetAt(i);
        }
        if (centre->HasIdleClients()) {
            return true;
        }
    }
    return false;
}

}  // namespace QV
