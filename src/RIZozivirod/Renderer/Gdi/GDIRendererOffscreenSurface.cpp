#include "RIZozivirod/Renderer/Gdi/GDIRendererOffscreenSurface.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

namespace QV {

LGDIRendererOffscreenSurface::LGDIRendererOffscreenSurface(WindowHandle window, int32_t dpi)
    : mWindow(window), mDpi(dpi) {}

RCPtr<LGDIRendererOffscreenSurface> LGDIRendererOffscreenSurface::Create(const PointT<int32_t>& size,
                                                                         WindowHandle window, int32_t dpi) {
    RCPtr<LGDIRendererOffscreenSurface> surface(new LGDIRendererOffscreenSurface(window, dpi));
    surface->Resize(size);
    return surface;
}

LGDIRendererOffscreenSurface::~LGDIRendererOffscreenSurface() {
    Destroy();
}

void LGDIRendererOffscreenSurface::Destroy() {
    if (mGraphics != nullptr) {
        cairo_destroy(mGraphics);
        mGraphics = nullptr;
    }
    if (mBitmap != nullptr) {
        cairo_surface_destroy(mBitmap);
        mBitmap = nullptr;
    }
    mForeignPixels = nullptr;
}

void LGDIRendererOffscreenSurface::Resize(const PointT<int32_t>& size) {
    Destroy();
    mBitmap = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(size.x, 1), std::max(size.y, 1));
    mGraphics = cairo_create(mBitmap);
}

void LGDIRendererOffscreenSurface::DrawIn(uint8_t* pixels, const PointT<int32_t>& size, int32_t stride) {
    Destroy();
    mBitmap = cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, size.x, size.y, stride);
    mGraphics = cairo_create(mBitmap);
    if (cairo_surface_status(mBitmap) == CAIRO_STATUS_SUCCESS) {
        mForeignPixels = pixels;
    }
}

void LGDIRendererOffscreenSurface::TakeOwnPicture() {
    if (mForeignPixels == nullptr) {
        return;
    }
    cairo_surface_t* foreign = cairo_surface_reference(mBitmap);
    Resize(GetSize());
    cairo_surface_flush(foreign);
    cairo_surface_flush(mBitmap);
    const PointT<int32_t> size = GetSize();
    const int32_t fromStride = cairo_image_surface_get_stride(foreign);
    const int32_t toStride = cairo_image_surface_get_stride(mBitmap);
    const uint8_t* from = cairo_image_surface_get_data(foreign);
    uint8_t* to = cairo_image_surface_get_data(mBitmap);
    if (from != nullptr && to != nullptr &&
        size == PointT<int32_t>{cairo_image_surface_get_width(foreign),
                                cairo_image_surface_get_height(foreign)}) {
        for (int32_t row = 0; row < size.y; ++row) {
            std::memcpy(to + static_cast<size_t>(row) * toStride,
                        from + static_cast<size_t>(row) * fromStride, static_cast<size_t>(size.x) * 4);
        }
        cairo_surface_mark_dirty(mBitmap);
    }
    cairo_surface_destroy(foreign);
}

void LGDIRendererOffscreenSurface::Reset(const PointT<int32_t>& size) {
    if (mGraphics == nullptr || GetSize() != PointT<int32_t>{std::max(size.x, 1), std::max(size.y, 1)} ||
        cairo_status(mGraphics) != CAIRO_STATUS_SUCCESS) {
        Resize(size);
        return;
    }
    // The context keeps whatever state the frame gives it; the clear covers the whole picture.
    cairo_save(mGraphics);
    cairo_reset_clip(mGraphics);
    cairo_set_operator(mGraphics, CAIRO_OPERATOR_CLEAR);
    cairo_paint(mGraphics);
    cairo_restore(mGraphics);
}

PointT<int32_t> LGDIRendererOffscreenSurface::GetSize() const {
    if (mBitmap == nullptr || cairo_surface_status(mBitmap) != CAIRO_STATUS_SUCCESS) {
        return {0, 0};
    }
    return {cairo_image_surface_get_width(mBitmap), cairo_image_surface_get_height(mBitmap)};
}

bool LGDIRendererOffscreenSurface::DrawTo(cairo_t* context, const PointT<int32_t>& point,
                                          const RectT<int32_t>& source) const {
    if (mBitmap == nullptr || context == nullptr) {
        return false;
    }
    cairo_save(context);
    cairo_set_source_surface(context, mBitmap, static_cast<double>(point.x) - source.x,
                             static_cast<double>(point.y) - source.y);
    cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_NEAREST);
    cairo_rectangle(context, point.x, point.y, source.width, source.height);
    cairo_fill(context);
    cairo_restore(context);
    return cairo_status(context) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_status(mBitmap) == CAIRO_STATUS_SUCCESS;
}

}  // namespace QV
