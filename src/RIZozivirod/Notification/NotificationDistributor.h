#pragma once

#include <atomic>
#include <cstdint>

#include "RIZozivirod/Notification/Notification.h"
#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"

namespace QV {

class LNotificationDistributor;

// What a distributor delivers to.
class LNotificationReceiver : public virtual LRefCountedObject {
public:
    virtual void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                     const RCPtr<LNotification>& notification) = 0;
    virtual int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                              const WChar* name) = 0;
};

// The receiving side of registrations. Each registration is counted as an internal reference
// of the client, so a client whose outside owners have let go unregisters everywhere (and so
// frees itself) at its last outside release. Registration takes a reference to the client for
// its duration, so a client registers once it is held by a shared pointer, not from its
// constructor.
class LNotificationClient : public LNotificationReceiver {
public:
    LNotificationClient() = default;
    LNotificationClient(const LNotificationClient&) = delete;
    LNotificationClient& operator=(const LNotificationClient&) = delete;

    // Does nothing: receiving classes override it.
    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;

    // The identifier registered for; null (nothing registered) for a null distributor or a null
    // or empty name. Registering again replaces the flags.
    const WChar* RegisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                         const WChar* name, int32_t flags);
    // 0 removed; 1 nothing registered here; E_INVALIDARG for a null distributor or name.
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;
    // The number of registrations removed.
    int32_t UnregisterAll();

    int32_t ReleaseInternalReferences() override;

    int32_t GetRegistrationCount() const { return mRegistrationCount; }

protected:
    ~LNotificationClient() override;

private:
    int32_t mRegistrationCount = 0;
    // Each distributor with at least one registration of this client, in order of first
    // registration; owns nothing.
    Array<LNotificationDistributor*> mDistributors;
};

// The sending side: one pool of registrations per identifier. Notify delivers synchronously on
// the calling thread, the most recent registration first. Registrations may change on one thread
// while others read them (a queue posting into this distributor): the registration lock guards
// them. Each registration is counted as an
// internal reference of the distributor, and so is its place on the process-wide list of
// distributors with registrations, which keeps it alive while it has any.
class LNotificationDistributor : public virtual LRefCountedObject {
public:
    // Registration flag: deliver only the notification a queue marked last for this
    // registration, never one sent with Notify directly.
    static constexpr int32_t kCoalesce = 1;

    // One registration.
    class LNotificationRegisteredClientInfo : public LRefCountedObject {
    public:
        LNotificationRegisteredClientInfo(const RCPtr<LNotificationClient>& client, int32_t flags)
            : mClient(client), mFlags(flags) {}

        // Never changes.
        const RCPtr<LNotificationClient> mClient;
        // For a coalescing registration, the notification of the identifier posted last and not
        // yet delivered. Guarded by the registration lock.
        RCPtr<LNotification> mLatest;
        // Changed under the registration lock, read by deliveries without it.
        std::atomic<int32_t> mFlags;
    };

    // The registrations of one identifier, in registration order. Its state is guarded by the
    // registration lock, so any thread may read it and mark latest notifications while the
    // registering thread changes it; receivers are called without the lock.
    //
    // A Notify takes the lock once: the registrations are kept in a list that is never changed
    // while a walk holds it (a change made meanwhile goes to a copy), so the walk reads the list
    // it took without the lock. Every change counts a version; a walk that sees the version move
    // takes the current list under the lock and goes on there at the registration it came to, as
    // the rules of the walk require (a removed registration is not served, new ones are not
    // served, the others below are served once). Coalescing registrations are checked and their
    // latest notification taken under the lock.
    class LNotificationClientPool : public LRefCountedObject {
        friend class LNotificationDistributor;

    public:
        explicit LNotificationClientPool(const WChar* identifier) : mIdentifier(identifier) {}

        // Index of the client's registration, or -1.
        int32_t FindClient(const LNotificationClient* client) const;
        // Adds a registration, or replaces the flags of the existing one, which keeps its place.
        int32_t AddOrUpdateClient(const RCPtr<LNotificationClient>& client, int32_t flags);
        // 0 removed, 1 absent.
        int32_t RemoveClient(const LNotificationClient* client);
        // The same, handing the removed registration to the caller, who lets go of it after
        // whatever lock it holds.
        int32_t RemoveClient(const LNotificationClient* client,
                             RCPtr<LNotificationRegisteredClientInfo>& removed);
        // Delivers to every registration, the most recent first; 1 for an empty pool, else 0.
        int32_t Dispatch(const RCPtr<LNotificationDistributor>& sender,
                         const RCPtr<LNotification>& notification);
        // Delivers to the registration at index (below the count). Returns the dispatch index
        // after the delivery, so a caller walking the registrations itself continues at the
        // result minus one; index itself when the coalescing rule skipped the registration.
        int32_t NotifyClient(const RCPtr<LNotificationDistributor>& sender, int32_t index,
                             const RCPtr<LNotification>& notification);

        uint32_t GetCount() const;
        RCPtr<LNotificationRegisteredClientInfo> GetClientInfo(uint32_t index) const;
        int32_t GetFlags() const;
        const WChar* GetIdentifier() const { return mIdentifier; }

        // Makes notification the latest of every coalescing registration, as a queue does when
        // it is posted; the notifications it replaces go to replaced, to be let go of by the
        // caller after its locks.
        void MarkLatest(const RCPtr<LNotification>& notification, RCPtrArray<LNotification, 1, 0>& replaced);

    private:
        // The registrations as one walk sees them.
        class LClientList : public LRefCountedObject {
        public:
            RCPtrArray<LNotificationRegisteredClientInfo, 1, 0> mItems;
        };

        // What a walk holds: the list it reads (and its registrations, which the list holds) and
        // the version of the pool that list belongs to.
        struct Walk {
            RCPtr<LClientList> list;
            const RCPtr<LNotificationRegisteredClientInfo>* items = nullptr;
            uint32_t count = 0;
            uint32_t version = 0;
        };

        // Under the registration lock.
        int32_t FindClientLocked(const LNotificationClient* client) const;
        void BeginWalkLocked(Walk& walk) const;
        // Takes the current list in place of the walk's; the list given up is let go of after the
        // lock. Returns the dispatch index as the lock saw it.
        int32_t Refresh(Walk& walk) const;
        // The list to change: a copy when a walk holds the current one.
        RCPtrArray<LNotificationRegisteredClientInfo, 1, 0>& ChangeClientsLocked();

        // Delivers to every registration of the walk, the most recent first.
        void WalkAll(Walk& walk, const RCPtr<LNotificationDistributor>& sender,
                     const RCPtr<LNotification>& notification);
        // Where a walk at index of from's list goes on in to's list: the place of
        // that registration, or of the first one below it still registered; -1 when none is.
        static int32_t Translate(const Walk& from, int32_t index, const Walk& to);
        // Under the lock, against the list as it is now (which the walk then holds, index moved
        // to its place in it): whether the registration at index is served, a coalescing one
        // taking its latest notification to consumed, and if so the dispatch index set to it.
        bool TakeTurnLocked(Walk& walk, int32_t& index, const RCPtr<LNotification>& notification,
                            RCPtr<LNotification>& consumed);
        // One step of the walk: delivers to the registration at index; returns the dispatch
        // index after it (index itself when the registration was passed over).
        int32_t Deliver(Walk& walk, const RCPtr<LNotificationDistributor>& sender, int32_t index,
                        const RCPtr<LNotification>& notification);

        // OR of the flags of the registrations added or updated; not recomputed on removal.
        int32_t mFlags = 0;
        const WChar* mIdentifier;
        RCPtr<LClientList> mClients{new LClientList};
        // Counts the changes of the list.
        std::atomic<uint32_t> mVersion{0};
        // The registration being delivered to; removals below it move it down with them.
        std::atomic<int32_t> mDispatchIndex{0};
        // The walk that delivered last, by its address.
        std::atomic<uintptr_t> mLastWalk{0};
    };

    LNotificationDistributor() = default;
    LNotificationDistributor(const LNotificationDistributor&) = delete;
    LNotificationDistributor& operator=(const LNotificationDistributor&) = delete;

    // Called by the client's registration operations only.
    int32_t Register(const RCPtr<LNotificationClient>& client, const WChar* name, int32_t flags);
    int32_t Unregister(const RCPtr<LNotificationClient>& client, const WChar* name);
    int32_t UnregisterClientFromAll(const RCPtr<LNotificationClient>& client);

    // Asks every registered client to unregister itself. For classes that break their
    // reference cycles as distributors.
    int32_t UnregisterAllClients();

    bool HasClient(const RCPtr<LNotificationClient>& client) const;
    // 0 and the flags; E_FAIL when the client is not registered for the name (flags untouched).
    int32_t GetRegistrationFlags(const RCPtr<LNotificationClient>& client, const WChar* name,
                                 int32_t& flags) const;
    RCPtr<LNotificationClientPool> FindClientPool(const WChar* identifier) const;

    // E_INVALIDARG for a null notification; 1 when nobody is registered for it; else 0. Holds a
    // reference to the distributor for the walk, so it is sent while the distributor is held by
    // a shared pointer (not from its constructor or destructor).
    int32_t Notify(const RCPtr<LNotification>& notification);

    int32_t GetRegistrationCount() const { return mRegistrationCount; }

protected:
    ~LNotificationDistributor() override;

private:
    RCPtr<LNotificationClientPool> FindClientPoolLocked(const WChar* identifier) const;
    uint32_t GetPoolCount() const;
    RCPtr<LNotificationClientPool> GetPool(uint32_t index) const;
    // Removes the client's registration from pool; the distributor's bookkeeping and the
    // registration's reference to it go with it. 0 removed, 1 absent.
    int32_t UnregisterFromPool(LNotificationClientPool& pool, const RCPtr<LNotificationClient>& client);

    RCPtrArray<LNotificationClientPool, 1, 0> mPools;
    int32_t mRegistrationCount = 0;
};

}  // namespace QV
