// The renderer's two caches: bitmaps prepared at their destination size, and the shapes of
// polylines.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "Platform/Graphics/PixelImage.h"
#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"

namespace QV {
namespace {

// The area of a straight-alpha pixel store as a premultiplied Cairo image.
cairo_surface_t* PremultipliedCopy(const Platform::PixelImage& image, const RectT<int32_t>& area) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, area.width, area.height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        return surface;
    }
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int32_t y = 0; y < area.height; ++y) {
        const uint32_t* from = image.GetRow(area.y + y) + area.x;
        auto* to = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int32_t x = 0; x < area.width; ++x) {
            to[x] = LGDIRenderer::Premultiply(from[x]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

// Steps of tiles, each at most 2^23 pixels.
double TileStep(int32_t side) {
    return std::min<double>(side, 8388608.0);
}

}  // namespace

RCPtr<LGDIRenderer::LCachedBitmap> LGDIRenderer::PrepareBitmap(const LBitmap& bitmap, int32_t width,
                                                               int32_t height, ResizeType resize) {
    const RectT<int32_t>& area = bitmap.GetArea();
    const Platform::PixelImage* image = bitmap.GetGdiplusBitmap();
    const bool sameSize = area.width == width && area.height == height;
    if (!sameSize && resize != ResizeType::Stretch && resize != ResizeType::Tile &&
        resize != ResizeType::Center) {
        QV_THROW_IN(std::invalid_argument, "QV::LGDIRenderer::DrawBitmap",
                    "Invalid ResizeType passed to DrawBitmap.");
    }
    cairo_surface_t* picture =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(width, 0), std::max(height, 0));
    RCPtr<LCachedBitmap> cached(new LCachedBitmap(picture));
    if (image == nullptr || area.width <= 0 || area.height <= 0 || width <= 0 || height <= 0 ||
        cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS) {
        return cached;  // draws nothing
    }
    cairo_surface_t* source = PremultipliedCopy(*image, area);
    cairo_t* context = cairo_create(picture);
    const double sourceWidth = area.width;
    const double sourceHeight = area.height;
    auto drawSourceAt = [&](double x, double y) {
        cairo_set_source_surface(context, source, x, y);
        cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_BILINEAR);
        cairo_rectangle(context, x, y, sourceWidth, sourceHeight);
        cairo_fill(context);
    };
    if (sameSize) {
        drawSourceAt(0, 0);
    } else if (resize == ResizeType::Stretch) {
        cairo_scale(context, width / sourceWidth, height / sourceHeight);
        cairo_set_source_surface(context, source, 0, 0);
        // The edges repeat their own pixels rather than fading into transparency.
        cairo_pattern_set_extend(cairo_get_source(context), CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_BILINEAR);
        cairo_rectangle(context, 0, 0, sourceWidth, sourceHeight);
        cairo_fill(context);
    } else if (resize == ResizeType::Tile) {
        if (width / sourceWidth < 3 && height / sourceHeight < 3) {
            // Few repeats: the tiles one by one.
            for (double x = 0; x < width; x += TileStep(area.width)) {
                for (double y = 0; y < height; y += TileStep(area.height)) {
                    drawSourceAt(x, y);
                }
            }
        } else {
            // Many repeats: one fill with the source repeated from the origin.
            cairo_set_source_surface(context, source, 0, 0);
            cairo_pattern_set_extend(cairo_get_source(context), CAIRO_EXTEND_REPEAT);
            cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_NEAREST);
            cairo_rectangle(context, 0, 0, width, height);
            cairo_fill(context);
        }
    } else {
        // Centred without rounding: an odd difference falls between pixels.
        drawSourceAt((width - sourceWidth) * 0.5, (height - sourceHeight) * 0.5);
    }
    cairo_destroy(context);
    cairo_surface_destroy(source);
    cairo_surface_flush(picture);
    return cached;
}

int32_t LGDIRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& destination,
                                 ResizeType resize) {
    cairo_t* context = Graphics();
    if (context == nullptr) {
        QV_THROW_IN(std::runtime_error, "QV::LGDIRenderer::DrawBitmap");
    }
    if (!bitmap) {
        return E_INVALIDARG;
    }
    RCPtr<LCachedBitmap>* slot =
        mBitmapCache->GetEntry(BitmapKey{bitmap, destination.width, destination.height}, false);
    if (!*slot) {
        *slot = PrepareBitmap(*bitmap, destination.width, destination.height, resize);
    }
    cairo_surface_t* picture = (*slot)->GetPicture();
    if (destination.width <= 0 || destination.height <= 0 ||
        cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS) {
        return S_OK;
    }
    cairo_save(context);
    cairo_set_source_surface(context, picture, destination.x, destination.y);
    cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_NEAREST);
    cairo_rectangle(context, destination.x, destination.y, destination.width, destination.height);
    cairo_fill(context);
    cairo_restore(context);
    return S_OK;
}

int32_t LGDIRenderer::DrawPath(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                               const PointT<float>& scale, bool keepCached, LGraphicsPath::Kind kind,
                               bool fill) {
    cairo_t* context = Graphics();
    if (context == nullptr) {
        return S_OK;
    }
    RCPtr<LGraphicsPath>* slot = mPathCache->GetEntry(polyline, false);
    if (polyline.changed) {
        polyline.changed = false;
        *slot = nullptr;
    }
    // One polyline drawn by another of the four operations needs its shape built that way.
    if (*slot && (*slot)->GetKind() != kind) {
        *slot = nullptr;
    }
    if (!*slot) {
        cairo_save(context);
        cairo_identity_matrix(context);
        cairo_new_path(context);
        const auto& points = polyline.points;
        if (kind == LGraphicsPath::Kind::Segments) {
            for (size_t i = 0; i + 1 < points.size(); i += 2) {
                cairo_move_to(context, points[i].x, points[i].y);
                cairo_line_to(context, points[i + 1].x, points[i + 1].y);
            }
        } else if (!points.empty()) {
            cairo_move_to(context, points[0].x, points[0].y);
            for (size_t i = 1; i < points.size(); ++i) {
                cairo_line_to(context, points[i].x, points[i].y);
            }
            if (kind == LGraphicsPath::Kind::Closed) {
                cairo_close_path(context);
            }
        }
        *slot = RCPtr<LGraphicsPath>(new LGraphicsPath(cairo_copy_path(context), kind));
        cairo_new_path(context);
        cairo_restore(context);
    }
    const RCPtr<LGraphicsPath> path = *slot;

    constexpr double kLimit = 4503599627370496.0;  // 2^52
    const PointT<double> shift{std::clamp<double>(offset.x, -kLimit, kLimit),
                               std::clamp<double>(offset.y, -kLimit, kLimit)};
    Translate(shift);
    cairo_save(context);
    if (!fill) {
        // Pixel centres lie on whole coordinates.
        cairo_translate(context, 0.5, 0.5);
    }
    constexpr float kEpsilon = 1.1920929e-6f;
    if (std::fabs(scale.x - 1.0f) > kEpsilon || std::fabs(scale.y - 1.0f) > kEpsilon) {
        cairo_scale(context, scale.x, scale.y);
    }
    cairo_new_path(context);
    cairo_append_path(context, path->GetPath());
    // The pen is not scaled with the points.
    cairo_restore(context);
    SetSourceColor(context, color);
    if (fill) {
        cairo_set_fill_rule(context, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(context);
    } else {
        cairo_set_line_width(context, polyline.lineWidth);
        cairo_stroke(context);
    }
    Translate({-shift.x, -shift.y});
    if (!keepCached) {
        *slot = nullptr;
    }
    return S_OK;
}

int32_t LGDIRenderer::DrawLineSegments(PolylineT<float>& polyline, const Color& color,
                                       const PointT<float>& offset, const PointT<float>& scale,
                                       bool keepCached) {
    return DrawPath(polyline, color, offset, scale, keepCached, LGraphicsPath::Kind::Segments, false);
}

int32_t LGDIRenderer::DrawPolyline(PolylineT<float>& polyline, const Color& color,
                                   const PointT<float>& offset, const PointT<float>& scale, bool keepCached) {
    return DrawPath(polyline, color, offset, scale, keepCached, LGraphicsPath::Kind::Open, false);
}

int32_t LGDIRenderer::DrawPolygon(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                                  const PointT<float>& scale, bool keepCached) {
    return DrawPath(polyline, color, offset, scale, keepCached, LGraphicsPath::Kind::Closed, false);
}

int32_t LGDIRenderer::FillPolygon(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                                  const PointT<float>& scale, bool keepCached) {
    return DrawPath(polyline, color, offset, scale, keepCached, LGraphicsPath::Kind::Closed, true);
}

}  // namespace QV
