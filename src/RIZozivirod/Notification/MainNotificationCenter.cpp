#include "RIZozivirod/Notification/MainNotificationCenter.h"

#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

namespace {

// The manager's list of centres has no lock of its own: threads that post look the centre up one
// at a time, so the first lookups cannot make two "application" centres.
Mutex& LookupLock() {
    static Mutex* const lock = new Mutex;
    return *lock;
}

const WString& MainCentreName() {
    static const WString* const name = new WString(u"application");
    return *name;
}

}  // namespace

RCPtr<LNotificationCenter> GetMainNotificationCenter() {
    RCPtr<LNotificationCenterManager> manager = LNotificationCenterManager::GetInstance();
    CAutoLock hold(LookupLock());
    return manager->GetNotificationCenter(MainCentreName());
}

}  // namespace QV
