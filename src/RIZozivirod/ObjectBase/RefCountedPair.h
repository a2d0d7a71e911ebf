#pragma once

#include <concepts>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// Two values made reference-counted together; the pair's text is F applied to the first
// (the key of a hashed-list entry, the id of a changed parameter). Destroys second, then first.
template <class A, class B, auto F>
requires std::convertible_to<decltype(F(std::declval<const A&>())), WString>
class LPair : public virtual LRefCountedObject {
public:
    LPair(const A& a, const B& b) : first(a), second(b) {}
    LPair(const LPair&) = delete;
    LPair& operator=(const LPair&) = delete;
    ~LPair() override = default;

    static RCPtr<LPair> Create(const A& a, const B& b) { return RCPtr<LPair>(new LPair(a, b)); }

    WString ToString() const override { return F(first); }

    A first;
    B second;
};

// The descriptor's id as unsigned decimal text; the qualifier is not shown.
WString ParamDescriptorToString(const ParamDescriptor& descriptor);

}  // namespace QV
