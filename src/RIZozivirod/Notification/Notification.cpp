#include "RIZozivirod/Notification/Notification.h"

#include <string_view>
#include <unordered_map>

#include "RIZozivirod/Notification/NotificationLocks.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"

namespace QV {

namespace {

// The free pool is used as a stack. Its storage keeps its capacity, so taking a notification
// from it and giving one back cost no heap call once it has grown to the peak.
using NotificationPool = RCPtrArray<LNotification, 64, (1u << 24)>;

NotificationPool& FreePool() {
    static NotificationPool* const pool = new NotificationPool;
    return *pool;
}

std::atomic<bool>& PoolingFlag() {
    static std::atomic<bool> pooling{false};
    return pooling;
}

// The registry looked up by identifier and by text: every control registers for and sends
// notifications by name, so a search through all names each time adds up. Follows the registry,
// which only grows (the names added since the last look are taken in).
struct RegistryIndex {
    std::unordered_map<const WChar*, uint32_t> byIdentifier;
    std::unordered_map<std::u16string_view, uint32_t> byText;
    uint32_t indexed = 0;
};

// Caller holds the notification lock.
RegistryIndex& IndexOf(const WStringArray& registry) {
    static RegistryIndex* const index = new RegistryIndex;
    const uint32_t count = registry.GetCount();
    if (index->indexed > count) {
        *index = RegistryIndex();
    }
    for (uint32_t i = index->indexed; i < count; ++i) {
        const WString& name = registry.GetAt(i);
        index->byIdentifier[name.GetString()] = i;
        // The first element with the text is its identifier.
        index->byText.emplace(std::u16string_view(name.GetString(), static_cast<size_t>(name.GetLength())),
                              i);
    }
    index->indexed = count;
    return *index;
}

// The registry element whose characters are at name; -1 when none. Caller holds the
// notification lock.
int32_t FindIdentifier(const WStringArray& registry, const WChar* name) {
    const RegistryIndex& index = IndexOf(registry);
    const auto found = index.byIdentifier.find(name);
    return found == index.byIdentifier.end() ? -1 : static_cast<int32_t>(found->second);
}

}  // namespace

WStringArray& GetNotificationNameRegistry() {
    static WStringArray* const registry = new WStringArray;
    return *registry;
}

const WChar* GetNotificationID(const WChar* name) {
    if (name == nullptr || name[0] == 0) {
        return nullptr;
    }
    NotificationLockScope lock;
    WStringArray& registry = GetNotificationNameRegistry();
    int32_t index = FindIdentifier(registry, name);
    if (index < 0) {
        // Compared as text in place; a copy is made only for a name seen for the first time.
        const RegistryIndex& byText = IndexOf(registry);
        const auto found = byText.byText.find(std::u16string_view(name));
        if (found != byText.byText.end()) {
            index = static_cast<int32_t>(found->second);
        } else {
            registry.Add(WString(name));
            index = static_cast<int32_t>(registry.GetCount()) - 1;
        }
    }
    return registry.GetAt(static_cast<uint32_t>(index)).GetString();
}

WString GetNotificationName(const WChar* identifier) {
    if (identifier == nullptr) {
        return WString();
    }
    NotificationLockScope lock;
    const WStringArray& registry = GetNotificationNameRegistry();
    const int32_t index = FindIdentifier(registry, identifier);
    return index < 0 ? WString() : registry.GetAt(static_cast<uint32_t>(index));
}

LNotification::LNotification(const WChar* id, const RCPtr<LRefCountedObject>& param)
    : mID(id), mParam(param) {}

LNotification::~LNotification() = default;

RCPtr<LNotification> LNotification::CreateNew(const WChar* id, const RCPtr<LRefCountedObject>& param) {
    return RCPtr<LNotification>(new LNotification(id, param));
}

RCPtr<LNotification> LNotification::Create(const WChar* name, const RCPtr<LRefCountedObject>& param) {
    const WChar* id = GetNotificationID(name);
    if (id == nullptr) {
        return nullptr;
    }
    if (!PoolingFlag().load()) {
        return CreateNew(id, param);
    }
    RCPtr<LNotification> result;
    {
        NotificationLockScope lock;
        NotificationPool& pool = FreePool();
        if (pool.GetCount() != 0) {
            pool.RemoveLast(result);
        }
    }
    if (!result) {
        return CreateNew(id, param);
    }
    // Recycled without a parameter; the reference taken here is the only one.
    result->mID = id;
    result->mParam = param;
    return result;
}

void LNotification::EnablePooling(bool enable) {
    PoolingFlag().store(enable);
    if (!enable) {
        // Pooled notifications are destroyed outside the lock: their last release recycles
        // nothing now that pooling is off.
        NotificationPool pooled;
        {
            NotificationLockScope lock;
            NotificationPool& pool = FreePool();
            pooled.Append(pool);
            pool.SetCount(0);
        }
    }
}

uint32_t LNotification::GetPooledCount() {
    NotificationLockScope lock;
    return FreePool().GetCount();
}

int32_t LNotification::Release() {
    // The count first: only the holder of the last reference may look at the recycling flag.
    if (GetRefCount() == 1 && !mRecycling) {
        mRecycling = true;
        Recycle();
        mRecycling = false;
    }
    return LRefCountedObject::Release();
}

void LNotification::Recycle() {
    mParam = nullptr;
    if (PoolingFlag().load()) {
        // The pool's reference keeps the notification alive through the release under way.
        RCPtr<LNotification> self(this);
        NotificationLockScope lock;
        FreePool().Add(self);
    }
}

}  // namespace QV
