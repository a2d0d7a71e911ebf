#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/Utilities/Graphics/ObjectSerial.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

namespace QV {

// Points of a line drawing (segments, an open line or a polygon, as the renderer is asked), the
// line width, and a flag the owner sets whenever it changes the points, which tells renderers
// to build their cached shape again. Renderers cache shapes under the handle: a serial unique
// in the process, so a new polyline never finds the shape of one that is gone; a copy is a new
// polyline with a handle of its own.
template <class T>
class PolylineT {
public:
    PolylineT() = default;
    PolylineT(const PolylineT& other) : points(other.points), lineWidth(other.lineWidth), changed(true) {}
    PolylineT& operator=(const PolylineT& other) {
        points = other.points;
        lineWidth = other.lineWidth;
        changed = true;
        return *this;
    }

    int64_t GetHandle() const { return mHandle; }
    static int64_t GetHandleOf(const PolylineT& polyline) { return polyline.mHandle; }

    std::vector<PointT<T>> points;
    float lineWidth = 1.0f;
    bool changed = true;

private:
    int64_t mHandle = NextObjectSerial();
};

}  // namespace QV
