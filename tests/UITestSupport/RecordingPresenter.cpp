#include "UITestSupport/RecordingPresenter.h"

#include <cairo.h>

#include <algorithm>
#include <cstddef>

namespace QV {

void RecordingPresenter::Present(cairo_surface_t* frame, const std::vector<RectT<int32_t>>& rects) {
    frames.push_back(rects);
    cairo_surface_flush(frame);
    const unsigned char* data = cairo_image_surface_get_data(frame);
    const int stride = cairo_image_surface_get_stride(frame);
    const int frameWidth = cairo_image_surface_get_width(frame);
    const int frameHeight = cairo_image_surface_get_height(frame);
    for (const RectT<int32_t>& r : rects) {
        for (int32_t y = std::max(r.y, 0); y < std::min({r.y + r.height, height, frameHeight}); ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
            for (int32_t x = std::max(r.x, 0); x < std::min({r.x + r.width, width, frameWidth}); ++x) {
                pixels[static_cast<size_t>(y) * width + x] = row[x];
            }
        }
    }
}

}  // namespace QV
