#pragma once

#include <concepts>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// A value class made reference-counted by deriving from it: every operation of T applies to
// the wrapper directly (a value list that travels through queues and notifications).
template <class T, class B>
class LWrapper : public T, public virtual B {
public:
    LWrapper() = default;
    // A deep copy of the source.
    explicit LWrapper(const T& source) : T(source) {}
    LWrapper(const LWrapper&) = delete;
    LWrapper& operator=(const LWrapper&) = delete;
    ~LWrapper() override = default;

    static RCPtr<LWrapper> Create() { return RCPtr<LWrapper>(new LWrapper()); }
    static RCPtr<LWrapper> Create(const T& source) { return RCPtr<LWrapper>(new LWrapper(source)); }
};

// A string made reference-counted (and, with B = LTaggableObject, taggable); its text is F
// applied to the string.
template <class S, auto F, class B>
requires std::convertible_to<decltype(F(std::declval<const S&>())), WString>
class LWrapperStringable : public S, public virtual B {
public:
    // Shares the source's text.
    explicit LWrapperStringable(const S& source) : S(source) {}
    LWrapperStringable(const LWrapperStringable&) = delete;
    LWrapperStringable& operator=(const LWrapperStringable&) = delete;
    // Defined below, out of the class, so a header can declare an instance extern and keep the
    // destructor out of every unit that destroys plain strings (see LClipboardText).
    ~LWrapperStringable() override;

    static RCPtr<LWrapperStringable> Create(const S& source) {
        return RCPtr<LWrapperStringable>(new LWrapperStringable(source));
    }

    WString ToString() const override { return F(static_cast<const S&>(*this)); }
};

template <class S, auto F, class B>
requires std::convertible_to<decltype(F(std::declval<const S&>())), WString>
    LWrapperStringable<S, F, B>::~LWrapperStringable() = default;

}  // namespace QV
