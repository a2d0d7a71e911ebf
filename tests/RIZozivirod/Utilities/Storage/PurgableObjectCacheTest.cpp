#include "RIZozivirod/Utilities/Storage/PurgableObjectCache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <stdexcept>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"

namespace QV {
namespace {

// Stand-ins for a drawing object and the shape it is made from; the shape's handle is its ID.
class Drawn : public LRefCountedObject {
public:
    explicit Drawn(intptr_t handle) : handle(handle) {}
    const intptr_t handle;
};

struct Shape {
    intptr_t handle;
};

intptr_t ShapeHandle(const Shape& shape) {
    return shape.handle;
}

using Cache = PurgableObjectCache<Drawn, Shape, intptr_t, &ShapeHandle, 8, &GetBits<8, 4, intptr_t>>;

// Opens the slots and the clock to the tests.
class TestCache : public Cache {
public:
    using Cache::Cache;

    Entry& Slot(int32_t i) { return mSlots[i]; }
    void SetClock(uint32_t clock) { mClock = clock; }
    bool Holds(intptr_t handle) { return mIndex.Find(handle, nullptr) != nullptr; }

    // Looks a shape up and fills its slot on a miss, as a renderer does; returns the slot
    // number and whether it was a miss.
    int32_t Use(intptr_t handle, bool* missed = nullptr, bool reset = false) {
        RCPtr<Drawn>* object = GetEntry(Shape{handle}, reset);
        if (missed != nullptr) {
            *missed = !*object;
        }
        if (!*object) {
            *object = RCPtr<Drawn>(new Drawn(handle));
        }
        for (int32_t i = 0; i < mCapacity; ++i) {
            if (&mSlots[i].object == object) {
                return i;
            }
        }
        ADD_FAILURE() << "address outside the slots";
        return -1;
    }
};

constexpr intptr_t A = 0x100, B = 0x200, C = 0x300, D = 0x400, E = 0x500, F = 0x600;

TEST(PurgableObjectCache, ANewKeyTakesTheLeastRecentlyUsedSlot) {
    TestCache cache(2);
    bool missed = false;
    EXPECT_EQ(cache.Use(A, &missed), 0);
    EXPECT_TRUE(missed);
    EXPECT_EQ(cache.Use(B), 1);
    RCPtr<Drawn> a = cache.Slot(0).object;
    EXPECT_EQ(cache.Use(A, &missed), 0);
    EXPECT_FALSE(missed);
    EXPECT_EQ(cache.Use(C, &missed), 1);  // B is older
    EXPECT_TRUE(missed);
    EXPECT_EQ(cache.Slot(0).object.Get(), a.Get());
    EXPECT_EQ(cache.Use(B, &missed), 0);  // A was used before C
    EXPECT_TRUE(missed);
    EXPECT_FALSE(cache.Holds(A));
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(cache.GetClock(), 5u);
}

TEST(PurgableObjectCache, EqualAgesGoToTheLeastUsedThenTheLowestSlot) {
    TestCache cache(3);
    cache.Use(A);
    cache.Use(B);
    cache.Use(C);
    // Same last use for every slot: only the use counts tell them apart.
    for (int32_t i = 0; i < 3; ++i) {
        cache.Slot(i).lastUse = cache.GetClock();
    }
    cache.Slot(0).useCount = 5;
    cache.Slot(1).useCount = 2;
    cache.Slot(2).useCount = 2;
    EXPECT_EQ(cache.Use(D), 1);
}

TEST(PurgableObjectCache, EmptiedSlotsAreRefilledLowestFirst) {
    for (const bool byPurge : {false, true}) {
        TestCache cache(4);
        cache.SetClock(0xFFFFFFF0u);
        for (intptr_t key : {A, B, C, D, A, C}) {
            cache.Use(key);
        }
        if (byPurge) {
            EXPECT_EQ(cache.Purge(cache.GetClock() - 1), 2);  // B and D
        } else {
            EXPECT_EQ(cache.Invalidate(D), S_OK);
            EXPECT_EQ(cache.Invalidate(B), S_OK);
        }
        // After the clock wraps, the emptied slots (last use 0) are younger than A and C,
        // yet they are taken first.
        cache.SetClock(2);
        EXPECT_EQ(cache.Use(E), 1) << byPurge;
        EXPECT_EQ(cache.Use(F), 3) << byPurge;
        EXPECT_FALSE(cache.Holds(B));
        EXPECT_FALSE(cache.Holds(D));
        EXPECT_TRUE(cache.Holds(A));
        EXPECT_TRUE(cache.Holds(C));
    }
}

TEST(PurgableObjectCache, PurgedKeysStayInTheirSlotsUntilTaken) {
    TestCache cache(3);
    for (intptr_t key : {A, A, A, B, C}) {
        cache.Use(key);
    }
    EXPECT_EQ(cache.Slot(0).useCount, 3u);
    EXPECT_EQ(cache.Purge(cache.GetClock() + 1), 3);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(cache.Slot(i).IsEmpty());
        EXPECT_EQ(cache.Slot(i).useCount, 0u);
        EXPECT_EQ(cache.Slot(i).lastUse, 0u);
    }
    bool missed = false;
    EXPECT_EQ(cache.Use(B, &missed), 1);
    EXPECT_TRUE(missed);
    EXPECT_EQ(cache.Use(D, &missed), 0);
    EXPECT_FALSE(cache.Holds(A));
    EXPECT_EQ(cache.Invalidate(A), S_FALSE);
    EXPECT_EQ(cache.Use(C, &missed), 2);
    EXPECT_TRUE(missed);
}

TEST(PurgableObjectCache, ResetAndInvalidateEmptyTheSlotInPlace) {
    TestCache cache(4);
    cache.Use(A);
    cache.Use(A);
    bool missed = false;
    EXPECT_EQ(cache.Use(A, &missed, true), 0);
    EXPECT_TRUE(missed);
    EXPECT_EQ(cache.Slot(0).useCount, 1u);
    EXPECT_EQ(cache.Slot(0).lastUse, 3u);

    cache.Use(B);
    const uint32_t clock = cache.GetClock();
    EXPECT_EQ(cache.Invalidate(C), S_FALSE);
    EXPECT_EQ(cache.GetClock(), clock);
    EXPECT_FALSE(cache.Slot(1).IsEmpty());
    EXPECT_EQ(cache.Invalidate(B), S_OK);
    EXPECT_TRUE(cache.Slot(1).IsEmpty());
    EXPECT_EQ(cache.Slot(1).lastUse, 0u);
    EXPECT_EQ(cache.Use(B, &missed), 1);
    EXPECT_TRUE(missed);
    EXPECT_EQ(cache.Use(C), 2);  // not full yet: the next unassigned slot
}

TEST(PurgableObjectCache, PurgeCountsSlotsOlderThanTheStamp) {
    TestCache cache(4);
    EXPECT_EQ(cache.Purge(0), 0);
    EXPECT_EQ(cache.Purge(1), 4);  // never assigned slots count too
    cache.Use(A);
    cache.Use(B);
    cache.Use(C);
    EXPECT_EQ(cache.Purge(0), 0);
    EXPECT_EQ(cache.Purge(3), 3);  // A, B and the unassigned slot 3
    EXPECT_FALSE(cache.Slot(2).IsEmpty());
    // The owner's schedule: purge with the mark, then move the mark.
    cache.SetPurgeMark(cache.GetClock());
    cache.Use(D);
    // Slots 0 and 1; C, used at the mark itself, and D stay.
    EXPECT_EQ(cache.Purge(cache.GetPurgeMark()), 2);
    EXPECT_FALSE(cache.Slot(2).IsEmpty());
    EXPECT_FALSE(cache.Slot(3).IsEmpty());
}

TEST(PurgableObjectCache, ClockWrapsAndUseCountsStop) {
    TestCache cache(2);
    cache.SetClock(0xFFFFFFFEu);
    cache.Use(A);  // last use 0xFFFFFFFF
    cache.Use(B);  // last use 0 after the wrap
    EXPECT_EQ(cache.Slot(1).lastUse, 0u);
    cache.Use(B);
    // A is older across the wrap, so it gives way.
    EXPECT_EQ(cache.Use(C), 0);
    // Compared by difference, a stamp before the wrap is earlier than every use after it.
    EXPECT_EQ(cache.Purge(0xFFFFFFF0u), 0);
    EXPECT_EQ(cache.Purge(cache.GetClock()), 1);  // B, used at 1

    cache.Slot(0).useCount = 0xFFFFFFFEu;
    cache.Use(C);
    cache.Use(C);
    EXPECT_EQ(cache.Slot(0).useCount, 0xFFFFFFFFu);
}

TEST(PurgableObjectCache, ServesEachKeyOnlyItsOwnObject) {
    std::mt19937 random(7);
    TestCache cache(5);
    std::set<intptr_t> everUsed;
    for (int step = 0; step < 3000; ++step) {
        const intptr_t key = 0x10 * static_cast<intptr_t>(random() % 12);
        switch (random() % 8) {
            case 0:
                cache.Invalidate(key);
                break;
            case 1:
                cache.Purge(cache.GetPurgeMark());
                cache.SetPurgeMark(cache.GetClock());
                break;
            default: {
                const int32_t slot = cache.Use(key, nullptr, random() % 16 == 0);
                ASSERT_EQ(cache.Slot(slot).id, key);
                everUsed.insert(key);
            }
        }
        std::set<intptr_t> ids;
        for (int32_t i = 0; i < 5; ++i) {
            Cache::Entry& slot = cache.Slot(i);
            if (!slot.IsEmpty()) {
                ASSERT_EQ(slot.object->handle, slot.id);
            }
            if (everUsed.size() >= 5 || i < static_cast<int32_t>(everUsed.size())) {
                ASSERT_TRUE(ids.insert(slot.id).second) << "two slots serve one key";
                ASSERT_TRUE(cache.Holds(slot.id));
            }
        }
    }
}

TEST(PurgableObjectCache, CapacityMustBePositiveAndDestructionReleases) {
    EXPECT_THROW(TestCache(0), std::invalid_argument);
    RCPtr<Drawn> kept;
    {
        TestCache cache(2);
        cache.Use(A);
        kept = cache.Slot(0).object;
        EXPECT_EQ(kept->GetRefCount(), 2);
    }
    EXPECT_EQ(kept->GetRefCount(), 1);
}

}  // namespace
}  // namespace QV
