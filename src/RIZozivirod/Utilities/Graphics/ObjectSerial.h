#pragma once

#include <cstdint>

namespace QV {

// A number no other object of the process gets: the identity under which drawing caches keep
// what they made of an object. Unlike an address it is never reused after the object is gone.
// Starts at 1.
int64_t NextObjectSerial();

}  // namespace QV
