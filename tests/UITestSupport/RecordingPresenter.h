#pragma once

#include <cstdint>
#include <vector>

#include "Platform/Graphics/RenderPresenter.h"

namespace QV {

// Stands in for a window: records every presented frame's rectangles, in the order they came,
// and keeps a copy of the window's pixels (0xAARRGGBB as drawn, premultiplied) made only from
// what was presented.
class RecordingPresenter : public Platform::IRenderPresenter {
public:
    RecordingPresenter(int32_t width, int32_t height)
        : width(width), height(height), pixels(static_cast<size_t>(width) * height, 0) {}

    void Present(cairo_surface_t* frame, const std::vector<RectT<int32_t>>& rects) override;

    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;
    std::vector<std::vector<RectT<int32_t>>> frames;
};

}  // namespace QV
