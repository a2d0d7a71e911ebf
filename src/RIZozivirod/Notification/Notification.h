#pragma once

#include <atomic>
#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/StringArrayT.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// A notification identifier is the address of the one stored copy of its name: identifiers are
// compared by address, and each is also a readable, NUL-terminated name. Null is no identifier.

// The identifier of name, interned on first use; null for a null or empty name. Any thread.
const WChar* GetNotificationID(const WChar* name);

// The name stored at identifier; the empty string when it is not an identifier.
WString GetNotificationName(const WChar* identifier);

// Every interned name, in order of first use. Only grows; its elements never change, so their
// characters stay where they are for the life of the process. Read it under the notification
// lock when other threads may intern.
WStringArray& GetNotificationNameRegistry();

class LNotificationQueue;

// A named notification with one optional parameter object, which receivers cast back to the
// sender's class. With pooling on, a released notification keeps its allocation in a
// process-wide free pool and is handed out again by the next Create.
class LNotification : public virtual LRefCountedObject {
public:
    // Null for a null or empty name. Any thread.
    static RCPtr<LNotification> Create(const WChar* name, const RCPtr<LRefCountedObject>& param = nullptr);

    // On at start-up before other threads create notifications, off at shutdown after they
    // stopped; off also destroys every pooled notification.
    static void EnablePooling(bool enable);
    // How many released notifications wait in the free pool.
    static uint32_t GetPooledCount();

    int32_t Release() override;

    const WChar* GetID() const { return mID; }
    const RCPtr<LRefCountedObject>& GetParam() const { return mParam; }
    // True while the notification waits in a queue or is being delivered from it.
    bool IsPosted() const { return mPosted.load(std::memory_order_acquire); }

protected:
    ~LNotification() override;

private:
    friend class LNotificationQueue;

    LNotification(const WChar* id, const RCPtr<LRefCountedObject>& param);
    static RCPtr<LNotification> CreateNew(const WChar* id, const RCPtr<LRefCountedObject>& param);
    void Recycle();
    void SetPosted(bool posted) { mPosted.store(posted, std::memory_order_release); }

    const WChar* mID;
    RCPtr<LRefCountedObject> mParam;
    // Set by the posting thread, cleared by the draining one.
    std::atomic<bool> mPosted{false};
    bool mRecycling = false;
};

}  // namespace QV
