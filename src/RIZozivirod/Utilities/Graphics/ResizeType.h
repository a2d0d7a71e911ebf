#pragma once

#include <cstdint>

namespace QV {

// How a bitmap fills a larger or smaller destination. Values from skins are checked where they
// are drawn: any other number is refused there.
enum class ResizeType : int32_t {
    Stretch = 0,
    Tile = 1,
    Center = 2,
};

}  // namespace QV
