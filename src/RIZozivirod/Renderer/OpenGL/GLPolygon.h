#pragma once

#include <cstdint>

#include "RIZozivirod/Utilities/Storage/Geometry.h"

namespace QV {

// The scope of one polygon fill through the process-wide GLU tessellator (made on first use
// and kept for the process). The triangles go straight into the current frame or display list,
// in the current matrix and colour. The polygon's outline is taken as closed; a concave one
// fills without its notches. User-interface thread only.
class CGLPolygon {
public:
    CGLPolygon();
    CGLPolygon(const CGLPolygon&) = delete;
    CGLPolygon& operator=(const CGLPolygon&) = delete;

    // Fills the polygon of count points as one contour.
    void Fill(const PointT<float>* points, uint32_t count);
};

}  // namespace QV
