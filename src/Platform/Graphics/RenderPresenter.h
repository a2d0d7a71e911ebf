#pragma once

#include <vector>

#include "RIZozivirod/Utilities/Storage/Geometry.h"

typedef struct _cairo_surface cairo_surface_t;

namespace Platform {

// Where the frames of a window's target go: the window's own pixels. The platform's window layer
// implements it over its window surface; tests record what arrives. Called on the
// user-interface thread at the end of every frame of a target that is not offscreen.
class IRenderPresenter {
public:
    // Copies each rectangle (x, y, width, height) of the frame, an ARGB32 image of the window's
    // client size, to the same place in the window, in the order given, then shows them.
    virtual void Present(cairo_surface_t* frame, const std::vector<QV::RectT<int32_t>>& rects) = 0;

protected:
    ~IRenderPresenter() = default;
};

}  // namespace Platform
