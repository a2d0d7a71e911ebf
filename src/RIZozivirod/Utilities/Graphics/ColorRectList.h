#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/Utilities/Graphics/ObjectSerial.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

namespace QV {

// Coloured rectangles drawn as one list (a level meter, a keyboard's keys): each rectangle with
// its 0xAARRGGBB colour, all scaled by the list's factors when drawn. Renderers that cache the
// list's drawing key it by the handle, a serial unique in the process (a copy gets its own).
template <class T>
class ColorRectListT {
public:
    struct Entry {
        RectT<T> rect;
        uint32_t argb = 0;
    };

    ColorRectListT() = default;
    ColorRectListT(const ColorRectListT& other)
        : entries(other.entries), scaleX(other.scaleX), scaleY(other.scaleY) {}
    ColorRectListT& operator=(const ColorRectListT& other) {
        entries = other.entries;
        scaleX = other.scaleX;
        scaleY = other.scaleY;
        return *this;
    }

    int64_t GetHandle() const { return mHandle; }
    static int64_t GetHandleOf(const ColorRectListT& list) { return list.mHandle; }

    std::vector<Entry> entries;
    T scaleX = 1;
    T scaleY = 1;

private:
    int64_t mHandle = NextObjectSerial();
};

}  // namespace QV
