#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Geometry.h"

typedef struct _cairo_surface cairo_surface_t;

namespace Platform {

// Where the frames of a window's target go: the window's own pixels. The platform's window layer
// implements it over its window surface; tests record what arrives. Called on the
// user-interface thread at the end of every frame of a target that is not offscreen.
class IRenderPresenter {
public:
    // The window's own pixels, when a frame can be drawn straight into them: 32 bits a pixel,
    // the byte order of Cairo's ARGB32 (the alpha byte is not shown), rows `stride` bytes apart.
    struct FrameBuffer {
        uint8_t* pixels = nullptr;
        int32_t width = 0;
        int32_t height = 0;
        int32_t stride = 0;
    };

    // The pixels a frame may be drawn into in place, asked at the start of each frame; none
    // (null pixels) where frames are copied. They stay valid until the next call or until the
    // presenter goes. Pixels other than the last call's hold nothing of the previous frame;
    // they come with a new window size, after which the window repaints whole.
    virtual FrameBuffer GetFrameBuffer() { return {}; }

    // Copies each rectangle (x, y, width, height) of the frame, an ARGB32 image of the window's
    // client size, to the same place in the window, in the order given, then shows them. A frame
    // drawn in the pixels of GetFrameBuffer is shown without a copy.
    virtual void Present(cairo_surface_t* frame, const std::vector<QV::RectT<int32_t>>& rects) = 0;

protected:
    ~IRenderPresenter() = default;
};

}  // namespace Platform
