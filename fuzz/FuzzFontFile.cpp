#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "RIZozivirod/Renderer/FontRenderer/FontFileNames.h"

// Any bytes as a font file: the names it gives are never empty and their subfamilies are
// lower-cased; bad reads are left to the sanitizers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QV::FontFileNames::Read(
        data, static_cast<uint32_t>(size), [](const std::u16string& family, const std::u16string& subfamily) {
            const bool upper = std::any_of(subfamily.begin(), subfamily.end(),
                                           [](char16_t unit) { return unit >= u'A' && unit <= u'Z'; });
            if (family.empty() || subfamily.empty() || upper) {
                __builtin_trap();
            }
        });
    return 0;
}
