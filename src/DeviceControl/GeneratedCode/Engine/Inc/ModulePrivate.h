#pragma once

#include <cstddef>
#include <cstdint>

#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

class LParameterizedModule;

// The private part of a generated module class: what a module that owns a parameter does with
// special ids (-256..-129) written to it.
class LModulePrivate {
public:
    explicit LModulePrivate(LParameterizedModule* owner) : module(owner) {}
    LModulePrivate(const LModulePrivate&) = delete;
    LModulePrivate& operator=(const LModulePrivate&) = delete;

    // Hands a special value written by the user's side to the device: SetParamValue of the
    // communication interface of the tree's root. Skipped when the tree has no root module or
    // the root has no communication interface (a subtree on its own, a root not yet
    // initialised); the result is not used either way.
    void ForwardSpecialParam(const QV::ParamDescriptor& descriptor, const QV::Variant& value);

    // Maps a special value onto the module's own parameter. This system maps none: the local
    // descriptor becomes the id below the module's own, with an empty qualifier, and the result
    // is -1.
    int32_t TranslateSpecialParam(const QV::ParamDescriptor& descriptor, const QV::Variant& value,
                                  QV::ParamDescriptor& localDescriptor, QV::Variant& localValue);

private:
    LParameterizedModule* module;
};

// Whether offset is one of the offsets from the root at which a generated class may stand.
template <size_t N>
constexpr bool IsValidModuleOffset(uint32_t offset, const uint32_t (&validOffsets)[N]) {
    for (const uint32_t valid : validOffsets) {
        if (valid == offset) {
            return true;
        }
    }
    return false;
}
