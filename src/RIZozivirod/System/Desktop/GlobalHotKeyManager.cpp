#include "RIZozivirod/System/Desktop/GlobalHotKeyManager.h"

namespace QV {

RCPtr<LGlobalHotKeyManager> LGlobalHotKeyManager::Create(const RCPtr<LNotificationReceiver>& receiver) {
    return RCPtr<LGlobalHotKeyManager>(new LGlobalHotKeyManager(receiver));
}

int32_t LGlobalHotKeyManager::HandleKey(const KeyCode& key) {
    const WString command = mTable.FindCommand(key);
    if (command.IsEmpty() || !mReceiver) {
        return S_FALSE;
    }
    const RCPtr<LNotification> notification = LNotification::Create(command.GetString());
    if (!notification) {
        return S_FALSE;
    }
    mReceiver->ReceiveNotification(nullptr, notification);
    return S_OK;
}

}  // namespace QV
