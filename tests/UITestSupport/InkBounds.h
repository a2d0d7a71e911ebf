#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

// Reading drawn pixels back: where a surface differs from its background. Text is checked by
// where its ink lies, never by its glyph pixels.
namespace TestSupport {

struct InkBox {
    bool empty = true;
    // Edges of the inked pixels; right and bottom exclusive.
    int left = 0, top = 0, right = 0, bottom = 0;
    // The surface's pixels as read (premultiplied 0xAARRGGBB), row by row, and what counts as
    // background.
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t background = 0;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Every pixel that is not exactly the background is ink; with minAlpha, only those whose alpha
// reaches it (leaving out the faint fringe antialiasing may put a pixel beyond an edge).
InkBox FindInk(cairo_surface_t* surface, uint32_t background = 0, uint32_t minAlpha = 0);

// True when every pixel of row y from column `from` to column `to` (inclusive) is ink.
bool RowIsInked(const InkBox& ink, int y, int from, int to);

}  // namespace TestSupport
