#pragma once

namespace QV {

// Two values carried together, copied and destroyed field by field (for example the
// (id, text) entries of a string table).
template <class A, class B>
struct Pair {
    A first{};
    B second{};
};

}  // namespace QV
