#include <cstddef>
#include <cstdint>

#include "VariantReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!QV::FuzzSupport::ExerciseVariantReaders(data, size)) {
        __builtin_trap();
    }
    return 0;
}
