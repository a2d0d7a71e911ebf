#include "RIZozivirod/Utilities/Storage/StringArrayT.h"

#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

template <class C, class O>
int32_t StringArrayT<C, O>::Find(const StringT<C, O>& text, bool caseSensitive) const {
    const uint32_t count = this->GetCount();
    for (uint32_t i = 0; i < count; ++i) {
        const StringT<C, O>& element = this->GetAt(i);
        if (caseSensitive) {
            if (element == text) {
                return static_cast<int32_t>(i);
            }
        } else if (element.GetString() == text.GetString() ||
                   Text::CompareNoCase(element.GetString(), text.GetString()) == 0) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

template <class C, class O>
int32_t StringArrayT<C, O>::FindByPointer(const C* p) const {
    for (uint32_t i = this->GetCount(); i-- > 0;) {
        if (this->GetAt(i).GetString() == p) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

template class StringArrayT<char16_t, char>;

}  // namespace QV
