#include "RIZozivirod/Notification/NotificationDistributor.h"

#include <algorithm>
#include <utility>

#include "RIZozivirod/Notification/NotificationLocks.h"

namespace QV {

namespace {

using DistributorList = RCPtrArray<LNotificationDistributor, 1, 0>;

// One reference to every distributor that has registrations. Guarded by the registration lock,
// like the registrations themselves.
DistributorList& RegisteredDistributors() {
    static DistributorList* const list = new DistributorList;
    return *list;
}

int32_t FindRegisteredDistributor(const LNotificationDistributor* distributor) {
    DistributorList& list = RegisteredDistributors();
    for (uint32_t i = list.GetCount(); i-- > 0;) {
        if (list.GetAt(i).Get() == distributor) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

}  // namespace

// ---- client ----

LNotificationClient::~LNotificationClient() = default;

void LNotificationClient::ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                              const RCPtr<LNotification>&) {}

const WChar* LNotificationClient::RegisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                          const WChar* name, int32_t flags) {
    if (!distributor) {
        return nullptr;
    }
    const WChar* id = GetNotificationID(name);
    if (id == nullptr) {
        return nullptr;
    }
    RCPtr<LNotificationClient> self(this);
    RCPtr<LNotificationDistributor> held(distributor);
    const int32_t result = held->Register(self, id, flags);
    if (result == 0) {
        AddInternalReferences(1);
        ++mRegistrationCount;
    }
    if ((result == 0 || result == 1) && mDistributors.IndexOf(held.Get()) < 0) {
        mDistributors.Add(held.Get());
    }
    return id;
}

int32_t LNotificationClient::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                       const WChar* name) {
    if (mRegistrationCount == 0) {
        return S_FALSE;
    }
    if (!distributor || name == nullptr) {
        return E_INVALIDARG;
    }
    // The distributor too may lose its last references to the removal.
    RCPtr<LNotificationClient> self(this);
    RCPtr<LNotificationDistributor> held(distributor);
    const int32_t result = held->Unregister(self, name);
    if (result == 0) {
        AddInternalReferences(-1);
        --mRegistrationCount;
        if (!held->HasClient(self)) {
            const int32_t index = mDistributors.IndexOf(held.Get());
            if (index >= 0) {
                mDistributors.RemoveItems(static_cast<uint32_t>(index), 1);
            }
        }
    }
    return result;
}

int32_t LNotificationClient::UnregisterAll() {
    const int32_t registrations = mRegistrationCount;
    if (registrations < 1) {
        return 0;
    }
    // Dropped first, so the releases of the registrations below cannot find this client held
    // by internal references only and start its release of them again.
    AddInternalReferences(-registrations);
    RCPtr<LNotificationClient> self(this);
    int32_t total = 0;
    for (uint32_t i = mDistributors.GetCount(); i-- > 0;) {
        if (i >= mDistributors.GetCount()) {
            continue;
        }
        RCPtr<LNotificationDistributor> distributor(mDistributors.GetAt(i));
        const int32_t removed = distributor->UnregisterClientFromAll(self);
        if (removed > 0) {
            total += removed;
        }
        if (i < mDistributors.GetCount()) {
            mDistributors.RemoveItems(i, 1);
        }
    }
    mRegistrationCount = 0;
    return total;
}

int32_t LNotificationClient::ReleaseInternalReferences() {
    UnregisterAll();
    return GetInternalRefCount() == 0 && GetRefCount() == 1 ? S_OK : E_FAIL;
}

// ---- client pool ----

int32_t LNotificationDistributor::LNotificationClientPool::FindClientLocked(
    const LNotificationClient* client) const {
    const RCPtrArray<LNotificationRegisteredClientInfo, 1, 0>& items = mClients->mItems;
    for (uint32_t i = items.GetCount(); i-- > 0;) {
        if (items.GetAt(i)->mClient.Get() == client) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t LNotificationDistributor::LNotificationClientPool::FindClient(
    const LNotificationClient* client) const {
    CAutoLock lock(GetRegistrationLock());
    return FindClientLocked(client);
}

RCPtrArray<LNotificationDistributor::LNotificationRegisteredClientInfo, 1, 0>&
LNotificationDistributor::LNotificationClientPool::ChangeClientsLocked() {
    // Walks take their reference under the lock held here, so a count of one means no walk
    // reads this list. The list given up stays with its walks; the registrations it shares with
    // the copy keep them alive, so nothing is destroyed here.
    if (mClients->GetRefCount() != 1) {
        RCPtr<LClientList> copy(new LClientList);
        copy->mItems.Assign(mClients->mItems);
        mClients = copy;
    }
    mVersion.fetch_add(1, std::memory_order_release);
    return mClients->mItems;
}

int32_t LNotificationDistributor::LNotificationClientPool::AddOrUpdateClient(
    const RCPtr<LNotificationClient>& client, int32_t flags) {
    if (!client) {
        return E_INVALIDARG;
    }
    CAutoLock lock(GetRegistrationLock());
    const int32_t index = FindClientLocked(client.Get());
    if (index < 0) {
        ChangeClientsLocked().Add(
            RCPtr<LNotificationRegisteredClientInfo>(new LNotificationRegisteredClientInfo(client, flags)));
        mFlags |= flags;
        return S_OK;
    }
    const RCPtrArray<LNotificationRegisteredClientInfo, 1, 0>& items = mClients->mItems;
    LNotificationRegisteredClientInfo& info = *items.GetAt(static_cast<uint32_t>(index));
    if (info.mFlags == flags) {
        return S_OK;
    }
    info.mFlags = flags;
    // The union is rebuilt from the registrations still here, the updated one included.
    int32_t united = 0;
    for (uint32_t i = items.GetCount(); i-- > 0;) {
        united |= items.GetAt(i)->mFlags;
    }
    mFlags = united;
    return S_OK;
}

int32_t LNotificationDistributor::LNotificationClientPool::RemoveClient(const LNotificationClient* client) {
    // Let go of after the lock: its client may go with it.
    RCPtr<LNotificationRegisteredClientInfo> removed;
    return RemoveClient(client, removed);
}

int32_t LNotificationDistributor::LNotificationClientPool::RemoveClient(
    const LNotificationClient* client, RCPtr<LNotificationRegisteredClientInfo>& removed) {
    CAutoLock lock(GetRegistrationLock());
    const int32_t index = FindClientLocked(client);
    if (index < 0) {
        return S_FALSE;
    }
    ChangeClientsLocked().RemoveItem(static_cast<uint32_t>(index), removed);
    if (static_cast<uint32_t>(index) < static_cast<uint32_t>(mDispatchIndex.load())) {
        mDispatchIndex.fetch_sub(1);
    }
    return S_OK;
}

uint32_t LNotificationDistributor::LNotificationClientPool::GetCount() const {
    CAutoLock lock(GetRegistrationLock());
    return mClients->mItems.GetCount();
}

RCPtr<LNotificationDistributor::LNotificationRegisteredClientInfo>
LNotificationDistributor::LNotificationClientPool::GetClientInfo(uint32_t index) const {
    CAutoLock lock(GetRegistrationLock());
    return mClients->mItems.GetAt(index);
}

int32_t LNotificationDistributor::LNotificationClientPool::GetFlags() const {
    CAutoLock lock(GetRegistrationLock());
    return mFlags;
}

void LNotificationDistributor::LNotificationClientPool::MarkLatest(
    const RCPtr<LNotification>& notification, RCPtrArray<LNotification, 1, 0>& replaced) {
    CAutoLock lock(GetRegistrationLock());
    if ((mFlags & kCoalesce) == 0) {
        return;
    }
    const RCPtrArray<LNotificationRegisteredClientInfo, 1, 0>& items = mClients->mItems;
    for (uint32_t i = items.GetCount(); i-- > 0;) {
        LNotificationRegisteredClientInfo& info = *items.GetAt(i);
        if ((info.mFlags & kCoalesce) != 0) {
            if (info.mLatest) {
                replaced.Add(std::move(info.mLatest));
            }
            info.mLatest = notification;
        }
    }
}

void LNotificationDistributor::LNotificationClientPool::BeginWalkLocked(Walk& walk) const {
    walk.list = mClients;
    walk.items = mClients->mItems.GetData();
    walk.count = mClients->mItems.GetCount();
    walk.version = mVersion.load(std::memory_order_relaxed);
}

int32_t LNotificationDistributor::LNotificationClientPool::Refresh(Walk& walk) const {
    Walk fresh;
    int32_t dispatchIndex = 0;
    {
        CAutoLock lock(GetRegistrationLock());
        BeginWalkLocked(fresh);
        dispatchIndex = mDispatchIndex.load(std::memory_order_relaxed);
    }
    walk = std::move(fresh);
    return dispatchIndex;
}

int32_t LNotificationDistributor::LNotificationClientPool::Dispatch(
    const RCPtr<LNotificationDistributor>& sender, const RCPtr<LNotification>& notification) {
    Walk walk;
    {
        CAutoLock lock(GetRegistrationLock());
        BeginWalkLocked(walk);
    }
    if (walk.count == 0) {
        return S_FALSE;
    }
    const RCPtr<LNotificationClientPool> self(this);
    WalkAll(walk, sender, notification);
    return S_OK;
}

void LNotificationDistributor::LNotificationClientPool::WalkAll(Walk& walk,
                                                                const RCPtr<LNotificationDistributor>& sender,
                                                                const RCPtr<LNotification>& notification) {
    for (int32_t i = static_cast<int32_t>(walk.count) - 1; i >= 0;) {
        i = Deliver(walk, sender, i, notification) - 1;
    }
}

int32_t LNotificationDistributor::LNotificationClientPool::NotifyClient(
    const RCPtr<LNotificationDistributor>& sender, int32_t index, const RCPtr<LNotification>& notification) {
    Walk walk;
    {
        CAutoLock lock(GetRegistrationLock());
        BeginWalkLocked(walk);
    }
    return Deliver(walk, sender, index, notification);
}

int32_t LNotificationDistributor::LNotificationClientPool::Translate(const Walk& from, int32_t index,
                                                                     const Walk& to) {
    for (int32_t k = std::min(index, static_cast<int32_t>(from.count) - 1); k >= 0; --k) {
        const LNotificationRegisteredClientInfo* wanted = from.items[k].Get();
        for (uint32_t p = to.count; p-- > 0;) {
            if (to.items[p].Get() == wanted) {
                return static_cast<int32_t>(p);
            }
        }
    }
    return -1;
}

bool LNotificationDistributor::LNotificationClientPool::TakeTurnLocked(
    Walk& walk, int32_t& index, const RCPtr<LNotification>& notification, RCPtr<LNotification>& consumed) {
    // The list as it is now; the walk's own is let go of after the lock.
    Walk fresh;
    bool served = false;
    {
        CAutoLock lock(GetRegistrationLock());
        if (mVersion.load(std::memory_order_relaxed) != walk.version) {
            BeginWalkLocked(fresh);
            index = Translate(walk, index, fresh);
        }
        const Walk& current = fresh.list ? fresh : walk;
        if (index >= 0 && static_cast<uint32_t>(index) < current.count) {
            LNotificationRegisteredClientInfo& registration = *current.items[index];
            served =
                (registration.mFlags & kCoalesce) == 0 || registration.mLatest.Get() == notification.Get();
            if (served) {
                if ((registration.mFlags & kCoalesce) != 0) {
                    consumed = std::move(registration.mLatest);
                }
                mDispatchIndex.store(index);
            }
        }
    }
    if (fresh.list) {
        walk = std::move(fresh);
    }
    return served;
}

int32_t LNotificationDistributor::LNotificationClientPool::Deliver(
    Walk& walk, const RCPtr<LNotificationDistributor>& sender, int32_t index,
    const RCPtr<LNotification>& notification) {
    if (mVersion.load(std::memory_order_acquire) != walk.version) {
        // Changed on another thread since the walk's list was taken: the walk goes on at the
        // registration it came to, or the first one below it still registered.
        const Walk before = walk;
        Refresh(walk);
        if (index >= 0 && static_cast<uint32_t>(index) < before.count) {
            index = Translate(before, index, walk);
        }
    }
    // A nested walk may leave the dispatch index above what removals left; such a place is
    // passed over like a skipped one.
    if (index < 0 || static_cast<uint32_t>(index) >= walk.count) {
        return index;
    }
    // Let go of after the lock.
    RCPtr<LNotification> consumed;
    if ((walk.items[index]->mFlags.load(std::memory_order_relaxed) & kCoalesce) != 0) {
        // Posting threads mark the latest notification under the lock: it is checked and taken
        // under it.
        if (!TakeTurnLocked(walk, index, notification, consumed)) {
            return index;
        }
    } else {
        mDispatchIndex.store(index, std::memory_order_relaxed);
    }
    // Marks the delivery as this walk's (a walk lives on its thread's stack, so no other walk
    // running meanwhile has its address).
    const uintptr_t mark = reinterpret_cast<uintptr_t>(&walk);
    mLastWalk.store(mark, std::memory_order_relaxed);
    // The walk's list holds the registration, and with it the client, for the delivery.
    const LNotificationRegisteredClientInfo* served = walk.items[index].Get();
    served->mClient->ReceiveNotification(sender, notification);
    if (mLastWalk.load(std::memory_order_relaxed) != mark) {
        // Another walk of this pool delivered meanwhile (a Notify nested in the receiver): this
        // walk goes on below the place where that one ended.
        if (mVersion.load(std::memory_order_acquire) == walk.version) {
            return mDispatchIndex.load(std::memory_order_relaxed);
        }
        return Refresh(walk);
    }
    if (mVersion.load(std::memory_order_acquire) == walk.version) {
        return index;
    }
    // The list changed during the delivery: the walk goes on below the registration served,
    // where it is now, or, when it is gone, at the first one below it still registered.
    const Walk before = walk;
    Refresh(walk);
    const int32_t place = Translate(before, index, walk);
    return place >= 0 && walk.items[place].Get() == served ? place : place + 1;
}

// ---- distributor ----

LNotificationDistributor::~LNotificationDistributor() = default;

int32_t LNotificationDistributor::Register(const RCPtr<LNotificationClient>& client, const WChar* name,
                                           int32_t flags) {
    if (!client) {
        return E_INVALIDARG;
    }
    const WChar* id = GetNotificationID(name);
    if (id == nullptr) {
        return S_FALSE;
    }
    RCPtr<LNotificationClientPool> pool;
    CAutoLock lock(GetRegistrationLock());
    pool = FindClientPool(id);
    const bool already = pool && pool->FindClient(client.Get()) >= 0;
    if (!already) {
        // The registration's reference to this distributor.
        AddRef();
        AddInternalReferences(1);
        if (++mRegistrationCount == 1) {
            RegisteredDistributors().Add(RCPtr<LNotificationDistributor>(this));
            AddInternalReferences(1);
        }
    }
    if (!pool) {
        pool = RCPtr<LNotificationClientPool>(new LNotificationClientPool(id));
        mPools.Add(pool);
    }
    pool->AddOrUpdateClient(client, flags);
    return already ? S_FALSE : S_OK;
}

int32_t LNotificationDistributor::Unregister(const RCPtr<LNotificationClient>& client, const WChar* name) {
    if (!client) {
        return E_INVALIDARG;
    }
    const WChar* id = GetNotificationID(name);
    if (id == nullptr) {
        return E_INVALIDARG;
    }
    const RCPtr<LNotificationClientPool> pool = FindClientPool(id);
    if (!pool) {
        return S_FALSE;
    }
    return UnregisterFromPool(*pool, client);
}

int32_t LNotificationDistributor::UnregisterFromPool(LNotificationClientPool& pool,
                                                     const RCPtr<LNotificationClient>& client) {
    // The references dropped below may be the last ones but this. They are let go of after the
    // lock, the registration (with its client) first.
    const RCPtr<LNotificationDistributor> self(this);
    RCPtr<LNotificationDistributor> listed;
    RCPtr<LNotificationRegisteredClientInfo> removed;
    {
        CAutoLock lock(GetRegistrationLock());
        if (pool.RemoveClient(client.Get(), removed) != S_OK) {
            return S_FALSE;
        }
        if (--mRegistrationCount == 0) {
            const int32_t index = FindRegisteredDistributor(this);
            if (index >= 0) {
                AddInternalReferences(-1);
                RegisteredDistributors().RemoveItem(static_cast<uint32_t>(index), listed);
            }
        }
        AddInternalReferences(-1);
    }
    Release();
    return S_OK;
}

int32_t LNotificationDistributor::UnregisterClientFromAll(const RCPtr<LNotificationClient>& client) {
    if (!client) {
        return E_INVALIDARG;
    }
    const RCPtr<LNotificationDistributor> self(this);
    int32_t removed = 0;
    for (uint32_t i = GetPoolCount(); i-- > 0;) {
        const RCPtr<LNotificationClientPool> pool = GetPool(i);
        if (pool->GetIdentifier() != nullptr && UnregisterFromPool(*pool, client) == S_OK) {
            ++removed;
        }
    }
    return removed;
}

int32_t LNotificationDistributor::UnregisterAllClients() {
    const RCPtr<LNotificationDistributor> self(this);
    for (uint32_t p = GetPoolCount(); p-- > 0;) {
        const RCPtr<LNotificationClientPool> pool = GetPool(p);
        // Counts are read again at every step: clients remove registrations as they go.
        for (int32_t j = static_cast<int32_t>(pool->GetCount()) - 1; j >= 0; --j) {
            const int32_t count = static_cast<int32_t>(pool->GetCount());
            if (j >= count) {
                j = count;
                continue;
            }
            const RCPtr<LNotificationClient> client(pool->GetClientInfo(static_cast<uint32_t>(j))->mClient);
            client->UnregisterForNotification(self, pool->GetIdentifier());
        }
    }
    return S_OK;
}

bool LNotificationDistributor::HasClient(const RCPtr<LNotificationClient>& client) const {
    if (!client) {
        return false;
    }
    CAutoLock lock(GetRegistrationLock());
    for (uint32_t i = mPools.GetCount(); i-- > 0;) {
        if (mPools.GetAt(i)->FindClient(client.Get()) >= 0) {
            return true;
        }
    }
    return false;
}

int32_t LNotificationDistributor::GetRegistrationFlags(const RCPtr<LNotificationClient>& client,
                                                       const WChar* name, int32_t& flags) const {
    const WChar* id = GetNotificationID(name);
    if (id == nullptr) {
        return E_FAIL;
    }
    CAutoLock lock(GetRegistrationLock());
    const RCPtr<LNotificationClientPool> pool = FindClientPool(id);
    if (!pool) {
        return E_FAIL;
    }
    const int32_t index = pool->FindClient(client.Get());
    if (index < 0) {
        return E_FAIL;
    }
    flags = pool->GetClientInfo(static_cast<uint32_t>(index))->mFlags;
    return S_OK;
}

RCPtr<LNotificationDistributor::LNotificationClientPool> LNotificationDistributor::FindClientPoolLocked(
    const WChar* identifier) const {
    for (uint32_t i = mPools.GetCount(); i-- > 0;) {
        const RCPtr<LNotificationClientPool>& pool = mPools.GetAt(i);
        if (pool->GetIdentifier() == identifier) {
            return pool;
        }
    }
    return nullptr;
}

RCPtr<LNotificationDistributor::LNotificationClientPool> LNotificationDistributor::FindClientPool(
    const WChar* identifier) const {
    CAutoLock lock(GetRegistrationLock());
    return FindClientPoolLocked(identifier);
}

uint32_t LNotificationDistributor::GetPoolCount() const {
    CAutoLock lock(GetRegistrationLock());
    return mPools.GetCount();
}

RCPtr<LNotificationDistributor::LNotificationClientPool> LNotificationDistributor::GetPool(
    uint32_t index) const {
    CAutoLock lock(GetRegistrationLock());
    return mPools.GetAt(index);
}

int32_t LNotificationDistributor::Notify(const RCPtr<LNotification>& notification) {
    if (!notification) {
        return E_INVALIDARG;
    }
    // The one lock of a delivery: the pool and the list of its registrations are taken together.
    RCPtr<LNotificationClientPool> pool;
    LNotificationClientPool::Walk walk;
    {
        CAutoLock lock(GetRegistrationLock());
        pool = FindClientPoolLocked(notification->GetID());
        if (!pool) {
            return S_FALSE;
        }
        pool->BeginWalkLocked(walk);
    }
    if (walk.count == 0) {
        return S_FALSE;
    }
    // A receiver may drop the last outside reference of this distributor while it is served.
    const RCPtr<LNotificationDistributor> self(this);
    pool->WalkAll(walk, self, notification);
    return S_OK;
}

}  // namespace QV
