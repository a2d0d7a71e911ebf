#pragma once

#include <cstdint>
#include <string>
#include <typeinfo>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/ObjectBase/RefCountedPair.h"
#include "RIZozivirod/Utilities/Storage/RCPtrArray.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// Bits Shift to Shift + Bits - 1 of a key (signed keys shift arithmetically): the bucket of an
// address (GetBits<8, 4, intptr_t>) or of a small identifier (GetBits<8, 0, int32_t>).
template <uint32_t Bits, uint32_t Shift, class Key>
uint32_t GetBits(const Key& key) {
    static_assert(Bits > 0 && Bits < 32);
    return static_cast<uint32_t>(key >> Shift) & ((1u << Bits) - 1);
}

// A keyed container: Add, Find and Remove by key.
template <class T, class Key>
class IHashedList {
public:
    virtual int32_t GetCount() const = 0;
    virtual void RemoveAll() = 0;
    // True when a new pair was made, false when the key was present and its value replaced.
    virtual bool Add(const T& item) = 0;
    // The value stored under key, or exactly notFound.
    virtual T* Find(const Key& key, T* notFound) = 0;
    virtual bool Remove(const Key& key) = 0;
    virtual ~IHashedList() = default;
};

// A fixed table of 2^Bits buckets, each a list of shared (key, item) pairs searched linearly
// from its newest pair; the table never grows, only the buckets do. Items carry their own key
// (GetKey); GetBits picks the bucket of a key. A key occurs at most once, and a pair stays in
// its place (so the address Find gives stays valid) until it is removed. Not locked.
template <class T, class Key, auto GetKey, uint32_t Bits, auto GetBits>
class HashedList : public IHashedList<T, Key> {
public:
    static constexpr uint32_t kBucketCount = 1u << Bits;

    // The pair's text: the name of the key's type, whatever the key's value.
    static WString KeyToString(const Key&) {
        static const std::string kPrefix = "class ";
        std::string name = ClassName(typeid(Key));
        if (name.compare(0, kPrefix.size(), kPrefix) == 0) {
            name.erase(0, kPrefix.size());
        }
        return WString(name.c_str());
    }

    using Pair = LPair<Key, T, KeyToString>;
    using Bucket = RCPtrArray<Pair, 1, 0>;

    HashedList() = default;
    HashedList(const HashedList&) = delete;
    HashedList& operator=(const HashedList&) = delete;
    ~HashedList() override = default;

    int32_t GetCount() const override { return mCount; }

    void RemoveAll() override {
        for (Bucket& bucket : mBuckets) {
            bucket.SetCount(0);
        }
        mCount = 0;
    }

    bool Add(const T& item) override {
        const Key key = GetKey(item);
        Bucket& bucket = BucketOf(key);
        if (Pair* pair = FindPair(bucket, key)) {
            pair->second = item;
            return false;
        }
        bucket.Add(Pair::Create(key, item));
        ++mCount;
        return true;
    }

    T* Find(const Key& key, T* notFound) override {
        Pair* pair = FindPair(BucketOf(key), key);
        return pair != nullptr ? &pair->second : notFound;
    }

    bool Remove(const Key& key) override {
        Bucket& bucket = BucketOf(key);
        for (uint32_t i = bucket.GetCount(); i-- > 0;) {
            if (bucket.GetAt(i)->first == key) {
                bucket.RemoveItems(i, 1);
                --mCount;
                return true;
            }
        }
        return false;
    }

private:
    // Masked, so a bucket function that strays cannot index past the table.
    Bucket& BucketOf(const Key& key) { return mBuckets[GetBits(key) & (kBucketCount - 1)]; }

    static Pair* FindPair(Bucket& bucket, const Key& key) {
        for (uint32_t i = bucket.GetCount(); i-- > 0;) {
            Pair* pair = bucket.GetAt(i).Get();
            if (pair->first == key) {
                return pair;
            }
        }
        return nullptr;
    }

    int32_t mCount = 0;
    Bucket mBuckets[kBucketCount];
};

}  // namespace QV
