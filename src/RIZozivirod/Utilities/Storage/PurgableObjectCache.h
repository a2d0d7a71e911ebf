#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/HashedList.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

// One slot of a cache: the ID it serves, the object (null while empty), the cache's clock at
// its last use and its uses since it was (re)assigned or reset.
template <class T, class ID>
class PurgableCacheEntry {
public:
    virtual bool IsEmpty() const { return !object; }

    ID id{};
    RCPtr<T> object;
    uint32_t lastUse = 0;
    uint32_t useCount = 0;
};

// A fixed number of slots holding expensive objects under a key. The cache never makes
// objects: GetEntry hands out the slot of a key and the caller fills it when it is empty. A new
// key in a full cache takes the first empty slot, else the least recently used one (of equally
// old ones, the one used fewer times). Time is the count of lookups (the clock, wrapping at
// 2^32); the owner purges on its own schedule: Purge(purge mark), then purge mark := clock
// drops the objects not used since the previous purge. Not locked: one thread.
template <class T, class Key, class ID, auto GetID, uint32_t Bits, auto GetBits>
class PurgableObjectCache {
public:
    using Entry = PurgableCacheEntry<T, ID>;

    static ID GetEntryID(Entry* const& entry) { return entry->id; }

    explicit PurgableObjectCache(int32_t capacity) : mCapacity(capacity) {
        if (capacity < 1) {
            QV_THROW(std::invalid_argument);
        }
        mSlots.reset(new Entry[capacity]);
    }
    PurgableObjectCache(const PurgableObjectCache&) = delete;
    PurgableObjectCache& operator=(const PurgableObjectCache&) = delete;
    virtual ~PurgableObjectCache() = default;

    // The address of the object pointer of key's slot: null for a miss, which the caller fills
    // through the address. Valid until the next call that may re-assign the slot. With reset
    // the slot of a present key is emptied first.
    RCPtr<T>* GetEntry(const Key& key, bool reset) {
        const ID id = GetID(key);
        Entry* notFound = nullptr;
        Entry** found = mIndex.Find(id, &notFound);
        Entry* slot;
        if (found != &notFound) {
            slot = *found;
            if (reset) {
                Clear(*slot);
            }
        } else if (mIndex.GetCount() < mCapacity) {
            slot = &mSlots[mIndex.GetCount()];
            Assign(*slot, id);
        } else {
            slot = &mSlots[ChooseVictim()];
            mIndex.Remove(slot->id);
            Assign(*slot, id);
        }
        if (slot->useCount != UINT32_MAX) {
            ++slot->useCount;
        }
        slot->lastUse = ++mClock;
        return &slot->object;
    }

    // S_OK with the slot of id emptied (its ID stays), S_FALSE when id is not in the cache.
    int32_t Invalidate(const ID& id) {
        Entry* notFound = nullptr;
        Entry** found = mIndex.Find(id, &notFound);
        if (found == &notFound) {
            return S_FALSE;
        }
        Clear(**found);
        return S_OK;
    }

    // Empties every slot last used before stamp (by wrapping difference) and returns how many;
    // slots that were empty or never assigned count too.
    int32_t Purge(uint32_t stamp) {
        int32_t cleared = 0;
        for (int32_t i = 0; i < mCapacity; ++i) {
            if (static_cast<int32_t>(mSlots[i].lastUse - stamp) < 0) {
                Clear(mSlots[i]);
                ++cleared;
            }
        }
        return cleared;
    }

    uint32_t GetClock() const { return mClock; }
    uint32_t GetPurgeMark() const { return mPurgeMark; }
    void SetPurgeMark(uint32_t mark) { mPurgeMark = mark; }

protected:
    static void Clear(Entry& slot) {
        slot.useCount = 0;
        slot.lastUse = 0;
        slot.object = nullptr;
    }

    void Assign(Entry& slot, const ID& id) {
        Clear(slot);
        slot.id = id;
        mIndex.Add(&slot);
    }

    // The first empty slot, else the oldest, of equal ages the least used, of full ties the
    // lowest.
    int32_t ChooseVictim() const {
        int32_t victim = 0;
        uint32_t victimAge = 0;
        uint32_t victimUses = UINT32_MAX;
        for (int32_t i = 0; i < mCapacity; ++i) {
            const Entry& slot = mSlots[i];
            if (slot.IsEmpty()) {
                return i;
            }
            const uint32_t age = mClock - slot.lastUse;
            if (age > victimAge || (age == victimAge && slot.useCount < victimUses)) {
                victim = i;
                victimAge = age;
                victimUses = slot.useCount;
            }
        }
        return victim;
    }

    const int32_t mCapacity;
    uint32_t mClock = 0;
    uint32_t mPurgeMark = 0;
    std::unique_ptr<Entry[]> mSlots;
    HashedList<Entry*, ID, &GetEntryID, Bits, GetBits> mIndex;
};

}  // namespace QV
