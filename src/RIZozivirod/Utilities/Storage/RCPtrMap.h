#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/ObjectBase/RefCountedPair.h"
#include "RIZozivirod/Utilities/Storage/HashedList.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// The first member of a pair, the shared pointer a map of pairs keys on.
template <class Pair>
const auto& GetFirstRCPtr(const Pair& pair) {
    return pair.first;
}

template <class Pair, auto GetFirstRCPtr, uint32_t Bits>
struct RCPtrHalfMapHelper {
    // The identity of an object: the address of its reference-counted part (0 for null).
    template <class T>
    static intptr_t AddressOf(const ConstRCPtr<T>& pointer) {
        return reinterpret_cast<intptr_t>(static_cast<const LRefCountedObject*>(pointer.Get()));
    }

    // A null pair is kept under the null address.
    static intptr_t GetKey(const RCPtr<Pair>& pair) { return pair ? AddressOf(GetFirstRCPtr(*pair)) : 0; }
    static uint32_t GetHandleBits(const intptr_t& address) { return GetBits<Bits, 4, intptr_t>(address); }
};

// Shared pairs kept by the identity of the object their first member points to.
template <class Pair, auto GetFirstRCPtr, uint32_t Bits>
class RCPtrHalfMap
    : public HashedList<RCPtr<Pair>, intptr_t, &RCPtrHalfMapHelper<Pair, GetFirstRCPtr, Bits>::GetKey, Bits,
                        &RCPtrHalfMapHelper<Pair, GetFirstRCPtr, Bits>::GetHandleBits> {};

template <class K>
WString RCPtrMapKeyToString(const ConstRCPtr<K>& key) {
    return key ? key->ToString() : WString();
}

template <class K, class V>
using RCPtrMapPair = LPair<ConstRCPtr<K>, RCPtr<V>, RCPtrMapKeyToString<K>>;

// A map from the identity of a K object to a shared V. The addresses Lookup and FindPair give
// for a missing key are of process-wide null pointers, which are only read. Not locked.
template <class K, class V, uint32_t Bits>
class RCPtrMap : public RCPtrHalfMap<RCPtrMapPair<K, V>, &GetFirstRCPtr<RCPtrMapPair<K, V>>, Bits> {
    using Helper = RCPtrHalfMapHelper<RCPtrMapPair<K, V>, &GetFirstRCPtr<RCPtrMapPair<K, V>>, Bits>;

public:
    using Pair = RCPtrMapPair<K, V>;

    // The stored pointer to the pair of key, or a null pointer.
    virtual const RCPtr<Pair>* FindPair(const ConstRCPtr<LRefCountedObject>& key) {
        return FindPairAt(Helper::AddressOf(key));
    }

    virtual bool RemoveKey(const ConstRCPtr<LRefCountedObject>& key) {
        return this->Remove(Helper::AddressOf(key));
    }

    // The value mapped to key, or a null pointer. The key is not copied, so looking up an
    // object never makes a copy of it.
    virtual const RCPtr<V>* Lookup(const ConstRCPtr<K>& key) {
        const RCPtr<Pair>* pair = FindPairAt(Helper::AddressOf(key));
        return *pair ? &(*pair)->second : &Null<V>();
    }

    // True when key was new, false when its value was replaced.
    virtual bool SetAt(const ConstRCPtr<K>& key, const RCPtr<V>& value) {
        return this->Add(Pair::Create(key, value));
    }

private:
    const RCPtr<Pair>* FindPairAt(intptr_t address) { return this->Find(address, &Null<Pair>()); }

    // Made on first use and never destroyed.
    template <class T>
    static RCPtr<T>& Null() {
        static RCPtr<T>* const null = new RCPtr<T>();
        return *null;
    }
};

}  // namespace QV
