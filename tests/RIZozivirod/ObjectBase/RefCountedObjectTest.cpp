#include "RIZozivirod/ObjectBase/RefCountedObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {
namespace {

// Counts constructions and destructions of a plain shared object.
struct Tracked : LRefCountedObject {
    explicit Tracked(int* destroyed) : mDestroyed(destroyed) {}
    ~Tracked() override { ++*mDestroyed; }
    int* mDestroyed;
};

// Holds `registrations` references to itself, as a notification client does through the
// distributors it registered with; drops them when only they are left.
struct SelfReferencing : LRefCountedObject {
    SelfReferencing(int* destroyed, int* calls) : mDestroyed(destroyed), mCalls(calls) {}
    ~SelfReferencing() override { ++*mDestroyed; }

    void Register(int registrations) {
        for (int i = 0; i < registrations; ++i) {
            AddRef();
            AddInternalReferences(1);
        }
        mRegistrations = registrations;
    }

    int32_t ReleaseInternalReferences() override {
        ++*mCalls;
        while (mRegistrations > 0) {
            --mRegistrations;
            AddInternalReferences(-1);
            mNestedReleaseResults.push_back(Release());
        }
        return LRefCountedObject::ReleaseInternalReferences();
    }

    int* mDestroyed;
    int* mCalls;
    int mRegistrations = 0;
    std::vector<int32_t> mNestedReleaseResults;
};

// A copyable object; `failCopy` makes CreateCopy return null.
struct Copyable : LRefCountedObject {
    explicit Copyable(int value, bool failCopy = false) : mValue(value), mFailCopy(failCopy) {}
    RCPtr<LRefCountedObject> CreateCopy() const override {
        if (mFailCopy) {
            return nullptr;
        }
        return RCPtr<LRefCountedObject>(new Copyable(mValue + 100));
    }
    int mValue;
    bool mFailCopy;
};

struct Other : LRefCountedObject {};

TEST(RefCountedObject, CountsAndDestroysOnce) {
    int destroyed = 0;
    auto* object = new Tracked(&destroyed);
    EXPECT_EQ(object->GetRefCount(), 0);
    EXPECT_EQ(object->AddRef(), 1);
    EXPECT_EQ(object->AddRef(), 2);
    EXPECT_EQ(object->AddRef(), 3);
    EXPECT_EQ(object->Release(), 2);
    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountedObject, ReleaseWithInternalReferencesRunsTheOverrideOnce) {
    int destroyed = 0;
    int calls = 0;
    auto* object = new SelfReferencing(&destroyed, &calls);
    object->AddRef();     // the one outside reference
    object->Register(2);  // count 3, two of them internal
    ASSERT_EQ(object->GetRefCount(), 3);
    // The nested releases find the guard set and do not call the override again.
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountedObject, ReleaseWithoutInternalReferencesSkipsTheOverride) {
    int destroyed = 0;
    int calls = 0;
    auto* object = new SelfReferencing(&destroyed, &calls);
    object->AddRef();
    object->AddRef();
    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountedObject, BaseReleaseInternalReferencesIsACheck) {
    int destroyed = 0;
    RCPtr<Tracked> object(new Tracked(&destroyed));
    EXPECT_EQ(object->ReleaseInternalReferences(), S_OK);
    RCPtr<Tracked> second(object);
    EXPECT_EQ(object->ReleaseInternalReferences(), E_FAIL);
    second = nullptr;
    EXPECT_EQ(object->AddInternalReferences(1), 0);
    EXPECT_EQ(object->ReleaseInternalReferences(), E_FAIL);
    EXPECT_EQ(object->AddInternalReferences(-1), 1);
    EXPECT_EQ(object->GetInternalRefCount(), 0);
}

TEST(RefCountedObject, CopyConstructedObjectStartsFresh) {
    RCPtr<Copyable> original(new Copyable(1));
    RCPtr<Copyable> second(original);
    original->AddInternalReferences(1);
    Copyable copy(*original);
    EXPECT_EQ(copy.GetRefCount(), 0);
    EXPECT_EQ(copy.GetInternalRefCount(), 0);
    EXPECT_TRUE(copy.IsShareable());
    copy = *original;
    EXPECT_EQ(copy.GetRefCount(), 0);
    EXPECT_EQ(original->GetRefCount(), 2);
    original->AddInternalReferences(-1);
}

TEST(RefCountedObject, SetUnshareableIsRefusedWhileShared) {
    RCPtr<Copyable> object(new Copyable(1));
    object->SetUnshareable(true);
    EXPECT_FALSE(object->IsShareable());
    object->SetUnshareable(false);
    RCPtr<Copyable> second(object);
    try {
        object->SetUnshareable(true);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Runtime Error : QV::LRefCountedObject::SetUnshareable : "
                                              "RIZozivirod/ObjectBase/RefCountedObject.cpp : Line ",
                                              0),
                  0u)
            << e.what();
    }
    EXPECT_TRUE(object->IsShareable());
    object->SetUnshareable(false);
}

TEST(RefCountedObject, UndoAndCreateCopyThrowByDefault) {
    int destroyed = 0;
    RCPtr<Tracked> object(new Tracked(&destroyed));
    try {
        object->Undo();
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_EQ(
            std::string(e.what()).rfind(
                "Logic Error : Undo() not implemented for RefCountedObject : QV::LRefCountedObject::Undo : ",
                0),
            0u);
    }
    try {
        object->CreateCopy();
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_EQ(
            std::string(e.what()).rfind("Logic Error : CreateCopy() not implemented for RefCountedObject : "
                                        "QV::LRefCountedObject::CreateCopy : ",
                                        0),
            0u);
    }
}

TEST(RefCountedObject, ToStringGivesTheMostDerivedClassName) {
    RCPtr<LRefCountedObject> object(new Other());
    EXPECT_TRUE(object->ToString() == "class QV::(anonymous namespace)::Other")
        << object->ToString().ToUTF8().GetString();
}

// The copy-on-share matrix: (shareable, holders elsewhere) -> what a new pointer holds.
TEST(SharedPointer, CopyOnShareMatrix) {
    // Shareable: every copy shares.
    RCPtr<Copyable> shared(new Copyable(1));
    RCPtr<Copyable> sharedCopy(shared);
    EXPECT_EQ(sharedCopy.Get(), shared.Get());
    EXPECT_EQ(shared->GetRefCount(), 2);

    // Unshareable with no holder yet: the first pointer takes it, no copy.
    auto* lonely = new Copyable(2);
    lonely->SetUnshareable(true);
    RCPtr<Copyable> first(lonely);
    EXPECT_EQ(first.Get(), lonely);
    EXPECT_EQ(lonely->GetRefCount(), 1);

    // Unshareable and held: a copy gets its own object; the original keeps its one holder.
    RCPtr<Copyable> second(first);
    ASSERT_TRUE(second);
    EXPECT_NE(second.Get(), lonely);
    EXPECT_EQ(second->mValue, 102);
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_TRUE(second->IsShareable());
    EXPECT_EQ(lonely->GetRefCount(), 1);
    EXPECT_FALSE(lonely->IsShareable());

    // CreateCopy returning null: the new pointer is null, the reference it took is given back.
    RCPtr<Copyable> failing(new Copyable(3, true));
    failing->SetUnshareable(true);
    RCPtr<Copyable> target;
    try {
        target = failing;
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Logic Error : class QV::(anonymous namespace)::Copyable : "
                                              "QV::ConstRCPtr<QV::{anonymous}::Copyable>::Unshare : ",
                                              0),
                  0u)
            << e.what();
    }
    EXPECT_FALSE(target);
    EXPECT_EQ(failing->GetRefCount(), 1);
    EXPECT_THROW(RCPtr<Copyable> constructed(failing), std::logic_error);
    EXPECT_EQ(failing->GetRefCount(), 1);

    // A class that cannot be copied: CreateCopy's own exception passes through.
    int destroyed = 0;
    RCPtr<Tracked> plain(new Tracked(&destroyed));
    plain->SetUnshareable(true);
    EXPECT_THROW(RCPtr<Tracked> copy(plain), std::logic_error);
    EXPECT_EQ(plain->GetRefCount(), 1);
    plain->SetUnshareable(false);
}

TEST(SharedPointer, AssignmentAndCasts) {
    int destroyed = 0;
    RCPtr<Tracked> a(new Tracked(&destroyed));
    RCPtr<Tracked> b(a);
    b = a;
    RCPtr<Tracked>& self = a;
    a = self;
    EXPECT_EQ(a->GetRefCount(), 2);

    ConstRCPtr<LRefCountedObject> base(a);
    EXPECT_EQ(a->GetRefCount(), 3);
    ConstRCPtr<Tracked> back(base);
    EXPECT_EQ(back.Get(), a.Get());
    EXPECT_EQ(a->GetRefCount(), 4);
    ConstRCPtr<Other> wrong(base);
    EXPECT_FALSE(wrong);
    EXPECT_EQ(a->GetRefCount(), 4);

    ConstRCPtr<LRefCountedObject> null;
    ConstRCPtr<Tracked> nullCopy(null);
    EXPECT_FALSE(nullCopy);

    back = nullptr;
    base = nullptr;
    b = nullptr;
    EXPECT_EQ(destroyed, 0);
    a = nullptr;
    EXPECT_EQ(destroyed, 1);
}

// Assigning an unshareable object that cannot be copied still lets go of the old pointee.
TEST(SharedPointer, FailedCopyOnAssignmentReleasesTheOldPointee) {
    struct Case {
        const char* name;
        std::function<LRefCountedObject*()> make;
    };
    const Case cases[] = {
        {"CreateCopy throws", [] { return new Other(); }},
        {"CreateCopy returns null", [] { return new Copyable(1, true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RCPtr<LRefCountedObject> unshareable(c.make());
        unshareable->SetUnshareable(true);
        int destroyed = 0;
        RCPtr<LRefCountedObject> target(new Tracked(&destroyed));
        EXPECT_THROW(target = unshareable, std::logic_error);
        EXPECT_EQ(destroyed, 1);
        target = nullptr;
        EXPECT_EQ(unshareable->GetRefCount(), 1);
        unshareable->SetUnshareable(false);
    }
}

// Assigning from a pointer that only the old pointee keeps alive must not destroy the new one.
struct Node : LRefCountedObject {
    RCPtr<Node> next;
};

TEST(SharedPointer, AssignFromMemberOfOldPointee) {
    RCPtr<Node> head(new Node());
    head->next = RCPtr<Node>(new Node());
    Node* second = head->next.Get();
    head = head->next;
    EXPECT_EQ(head.Get(), second);
    EXPECT_EQ(head->GetRefCount(), 1);
}

}  // namespace
}  // namespace QV
