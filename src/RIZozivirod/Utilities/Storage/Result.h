#pragma once

#include <cstdint>

// Result codes of the framework: signed 32-bit, failure below zero.
namespace QV {

using QVRESULT = int32_t;

inline constexpr int32_t S_OK = 0;
inline constexpr int32_t S_FALSE = 1;
inline constexpr int32_t E_NOTIMPL = static_cast<int32_t>(0x80004001u);
inline constexpr int32_t E_FAIL = static_cast<int32_t>(0x80004005u);
inline constexpr int32_t E_INVALIDARG = static_cast<int32_t>(0x80070057u);
inline constexpr int32_t E_OUTOFMEMORY = static_cast<int32_t>(0x8007000Eu);
inline constexpr int32_t E_INSUFFICIENT_BUFFER = static_cast<int32_t>(0x8007007Au);

// Wait results and the unlimited time-out keep their classic values.
inline constexpr uint32_t WAIT_OBJECT_0 = 0;
inline constexpr uint32_t WAIT_TIMEOUT = 258;
inline constexpr uint32_t WAIT_FAILED = 0xFFFFFFFFu;
inline constexpr uint32_t INFINITE = 0xFFFFFFFFu;

inline constexpr bool Succeeded(int32_t result) {
    return result >= 0;
}
inline constexpr bool Failed(int32_t result) {
    return result < 0;
}

}  // namespace QV
