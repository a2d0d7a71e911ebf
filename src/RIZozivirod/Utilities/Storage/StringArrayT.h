#pragma once

#include <cstdint>

#include "RIZozivirod/Utilities/Storage/Array.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// An array of strings (each element shares its buffer with the string it was copied from),
// with lookups by text and by text address.
template <class C, class O>
class StringArrayT : public Array<StringT<C, O>> {
public:
    // Index of the first element equal to text, -1 when there is none. Without case
    // sensitivity ASCII letters match either case.
    int32_t Find(const StringT<C, O>& text, bool caseSensitive) const;
    // Index of the element whose text starts at p, searching from the last element: a lookup
    // by identity, not by content.
    int32_t FindByPointer(const C* p) const;
};

using WStringArray = StringArrayT<char16_t, char>;

extern template class StringArrayT<char16_t, char>;

}  // namespace QV
