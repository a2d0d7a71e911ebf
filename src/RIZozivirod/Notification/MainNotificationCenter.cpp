#include "RIZozivirod/Notification/MainNotificationCenter.h"

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

namespace {

const WString& MainCentreName() {
    static const WString* const name = new WString(u"application");
    return *name;
}

}  // namespace

RCPtr<LNotificationCenter> GetMainNotificationCenter() {
    RCPtr<LNotificationCenterManager> manager = LNotificationCenterManager::GetInstance();
    return manager->GetNotificationCenter(MainCentreName());
}

}  // namespace QV
