#include "UITestSupport/InkBounds.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

namespace TestSupport {

InkBox FindInk(cairo_surface_t* surface, uint32_t background, uint32_t minAlpha) {
    InkBox ink;
    cairo_surface_flush(surface);
    ink.width = cairo_image_surface_get_width(surface);
    ink.height = cairo_image_surface_get_height(surface);
    ink.background = background;
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    ink.pixels.resize(static_cast<size_t>(ink.width) * ink.height);
    for (int y = 0; y < ink.height; ++y) {
        std::memcpy(&ink.pixels[static_cast<size_t>(y) * ink.width], data + static_cast<size_t>(y) * stride,
                    static_cast<size_t>(ink.width) * 4);
    }
    for (int y = 0; y < ink.height; ++y) {
        for (int x = 0; x < ink.width; ++x) {
            if (ink.At(x, y) == background || (ink.At(x, y) >> 24) < minAlpha) {
                continue;
            }
            if (ink.empty) {
                ink = InkBox{false,     x, y, x + 1, y + 1, ink.width, ink.height, std::move(ink.pixels),
                             background};
            } else {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x + 1);
                ink.bottom = y + 1;
            }
        }
    }
    return ink;
}

bool RowIsInked(const InkBox& ink, int y, int from, int to) {
    if (y < 0 || y >= ink.height || from < 0 || to >= ink.width || from > to) {
        return false;
    }
    for (int x = from; x <= to; ++x) {
        if (ink.At(x, y) == ink.background) {
            return false;
        }
    }
    return true;
}

}  // namespace TestSupport
