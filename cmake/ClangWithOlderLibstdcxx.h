// Included ahead of every C++ unit that clang compiles. libstdc++ before 13 calls its own
// std::get_temporary_buffer, deprecated since C++17, inside std::stable_sort, and clang reports
// that call at the library's line wherever a stable sort is instantiated (GCC does not). libstdc++
// 13 silences it around that one header itself; this does the same for the older ones, so the
// deprecation warning stays on for every other name.
#pragma once
#if defined(__clang__) && __has_include(<bits/c++config.h>)
#include <bits/c++config.h>
#if defined(_GLIBCXX_RELEASE) && _GLIBCXX_RELEASE < 13
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdeprecated-declarations"
#include <bits/stl_tempbuf.h>
#pragma clang diagnostic pop
#endif
#endif
