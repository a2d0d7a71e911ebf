#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/HotKeyTable.h"
#include "RIZozivirod/ControlBase/KeyCode.h"
#include "RIZozivirod/Notification/NotificationDistributor.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"

namespace QV {

// Shortcuts of a window or of the whole application: a key that no control handled becomes the
// notification its table binds it to, handed to the receiver (a posting receiver, so the
// command arrives at the next drain of the window's or the application's queue). These are
// the program's own shortcuts, not the desktop's. User-interface thread only.
class LGlobalHotKeyManager : public LRefCountedObject {
public:
    // With an empty table.
    static RCPtr<LGlobalHotKeyManager> Create(const RCPtr<LNotificationReceiver>& receiver);

    // 0 when the key is bound: a notification named by its command, without payload and
    // without source, went to the receiver. 1 for a key without binding (or without receiver):
    // the caller offers the key elsewhere.
    int32_t HandleKey(const KeyCode& key);

    LHotKeyTable& GetTable() { return mTable; }
    // Drops every binding.
    void ClearTable() { mTable = LHotKeyTable(); }
    const RCPtr<LNotificationReceiver>& GetReceiver() const { return mReceiver; }

protected:
    explicit LGlobalHotKeyManager(const RCPtr<LNotificationReceiver>& receiver) : mReceiver(receiver) {}
    ~LGlobalHotKeyManager() override = default;

private:
    LHotKeyTable mTable;
    RCPtr<LNotificationReceiver> mReceiver;
};

}  // namespace QV
