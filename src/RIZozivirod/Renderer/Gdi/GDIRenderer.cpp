#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "Platform/Fonts/FontFace.h"
#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Utilities/Graphics/ColorRectList.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "RIZozivirod/Utilities/Storage/Array.h"

namespace QV {
namespace {

RCPtr<LRenderer> CreateGDIRenderer(const RectT<int32_t>&, WindowHandle) {
    return RCPtr<LRenderer>(new LGDIRenderer());
}

const LRenderer::CreatorRegistration kRegistration(kRendererGDI, &CreateGDIRenderer);

// Half away from zero, in single precision as the metric formulas are written.
int32_t RoundFloat(float value) {
    return RoundToInt32(static_cast<double>(std::round(value)));
}

// Device coordinates Cairo can hold: its fixed-point range ends near 2^23, far beyond any
// surface, and the clip that clips nothing reaches 5e15.
double ToDeviceRange(double value) {
    constexpr double kLimit = 4194304.0;  // 2^22
    return std::isnan(value) ? 0.0 : std::clamp(value, -kLimit, kLimit);
}

}  // namespace

std::shared_ptr<Platform::FontFace> ResolveFontFace(const LFont& font) {
    return Platform::FontFace::Resolve(NString(font.GetFace()).GetString(), font.GetStyle());
}

void LGDIRenderer::SetSourceColor(cairo_t* context, const Color& color) {
    const uint32_t argb = color.ToARGB();
    cairo_set_source_rgba(context, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, (argb >> 24) / 255.0);
}

uint32_t LGDIRenderer::Premultiply(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a == 255) {
        return argb;
    }
    auto channel = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (channel((argb >> 16) & 0xFF) << 16) | (channel((argb >> 8) & 0xFF) << 8) |
           channel(argb & 0xFF);
}

uintptr_t LGDIRenderer::GetFontConfigurationStamp() {
    return Platform::FontFace::GetConfigurationStamp();
}

const std::shared_ptr<Platform::FontFace>& LGDIRenderer::FaceOf(const LFont& font) {
    const uintptr_t stamp = Platform::FontFace::GetConfigurationStamp();
    if (stamp != mFacesStamp) {
        mFaces.clear();
        mFacesStamp = stamp;
    }
    auto found = mFaces.find(font.GetUniqueID());
    if (found == mFaces.end()) {
        found = mFaces.emplace(font.GetUniqueID(), ResolveFontFace(font)).first;
    }
    return found->second;
}

LGDIRenderer::LCachedBitmap::~LCachedBitmap() {
    cairo_surface_destroy(mPicture);
    --sLiveCount;
}

LGDIRenderer::LGraphicsPath::~LGraphicsPath() {
    cairo_path_destroy(mPath);
}

LGDIRenderer::LGDIRenderer()
    : mBitmapCache(new BitmapCache(kCacheCapacity)), mPathCache(new PathCache(kCacheCapacity)) {
    IApplicationServices& services = GetApplicationServices();
    const int32_t dpi = services.GetScreenDpi();
    mScreenDpi = dpi > 0 ? dpi : 96;
    mLastPurgeTime = services.GetTimeMs();
}

LGDIRenderer::~LGDIRenderer() = default;

int32_t LGDIRenderer::InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window,
                                            bool offscreen, RCPtr<LRenderContextInfo>& target) {
    target = RCPtr<LRenderContextInfo>(new LGDIRenderContextInfo(viewport, window, offscreen, mScreenDpi));
    return target ? S_OK : E_FAIL;
}

cairo_t* LGDIRenderer::CurrentContext() const {
    return mCurrentTarget ? mCurrentTarget->GetDrawingSurface()->GetGraphics() : nullptr;
}

cairo_t* LGDIRenderer::Graphics() {
    cairo_t* context = CurrentContext();
    if (context != nullptr && mClipPending) {
        mClipPending = false;
        PutClip(context, mPendingClip);
    }
    return context;
}

LGDIRenderer::DeviceClip LGDIRenderer::ToDeviceClip(const RectT<double>& clip, const PointT<double>& origin) {
    if (clip == RenderState::kNoClip) {
        return {};
    }
    const double left = ToDeviceRange(clip.x + origin.x);
    const double top = ToDeviceRange(clip.y + origin.y);
    const double right = ToDeviceRange(clip.x + clip.width + origin.x);
    const double bottom = ToDeviceRange(clip.y + clip.height + origin.y);
    return {false, left, top, std::max(0.0, right - left), std::max(0.0, bottom - top)};
}

void LGDIRenderer::PutClip(cairo_t* context, const DeviceClip& clip) {
    if (context == mClipContext && clip == mAppliedClip) {
        return;
    }
    cairo_reset_clip(context);
    if (!clip.none) {
        cairo_save(context);
        cairo_identity_matrix(context);
        cairo_rectangle(context, clip.left, clip.top, clip.width, clip.height);
        cairo_restore(context);
        cairo_clip(context);
    }
    mClipContext = context;
    mAppliedClip = clip;
}

// ---- Frames -------------------------------------------------------------------------------

void LGDIRenderer::BeginFrame(LGDIRenderContextInfo& target) {
    const RectT<int32_t>& viewport = target.GetViewport();
    // A repaint of the whole viewport needs nothing of the previous picture.
    bool wholeViewport = false;
    if (target.GetUpdateRegion().GetCount() == 1) {
        Array<RectT<int32_t>> rects;
        target.GetUpdateRegion().ForEachRect(rects);
        wholeViewport = rects.GetCount() == 1 && rects.GetAt(0) == viewport;
    }
    UseWindowPixels(target, wholeViewport);
    const PointT<int32_t> size = target.GetDrawingSurface()->GetSize();
    // Surfaces of the viewport's size are kept from frame to frame (cleared, not made again).
    if (size.x != std::max(viewport.width, 1) || size.y != std::max(viewport.height, 1) || wholeViewport) {
        target.GetDrawingSurface()->Reset({viewport.width, viewport.height});
        if (target.GetSpareSurface()) {
            target.GetSpareSurface()->Reset({viewport.width, viewport.height});
        }
    }
}

void LGDIRenderer::UseWindowPixels(LGDIRenderContextInfo& target, bool wholeViewport) {
    if (target.IsOffscreen() || target.GetPresenter() == nullptr) {
        return;
    }
    LGDIRendererOffscreenSurface& surface = *target.GetDrawingSurface();
    const Platform::IRenderPresenter::FrameBuffer pixels = target.GetPresenter()->GetFrameBuffer();
    const PointT<int32_t> size{std::max(target.GetViewport().width, 1),
                               std::max(target.GetViewport().height, 1)};
    if (pixels.pixels == nullptr || pixels.width != size.x || pixels.height != size.y) {
        // The window's pixels the target drew in may be gone: a picture of its own, cleared by
        // the size check or the whole repaint that follows a new size.
        if (surface.DrawsInForeignPixels()) {
            surface.Resize(size);
        }
        return;
    }
    if (surface.DrawsIn(pixels.pixels)) {
        return;
    }
    // A picture of its own of the same size is the previous frame: the window's pixels take it
    // over. Other window pixels the target drew in are gone with the old window size.
    cairo_surface_t* previous = nullptr;
    if (!wholeViewport && !surface.DrawsInForeignPixels() && surface.GetSize() == size) {
        previous = cairo_surface_reference(surface.GetBitmap());
    }
    surface.DrawIn(pixels.pixels, size, pixels.stride);
    if (previous != nullptr) {
        cairo_surface_flush(previous);
        const uint8_t* from = cairo_image_surface_get_data(previous);
        const int32_t fromStride = cairo_image_surface_get_stride(previous);
        for (int32_t row = 0; from != nullptr && row < size.y; ++row) {
            std::memcpy(pixels.pixels + static_cast<size_t>(row) * pixels.stride,
                        from + static_cast<size_t>(row) * fromStride, static_cast<size_t>(size.x) * 4);
        }
        cairo_surface_mark_dirty(surface.GetBitmap());
        cairo_surface_destroy(previous);
    }
}

void LGDIRenderer::ApplyState(LGDIRenderContextInfo& target) {
    cairo_t* context = target.GetDrawingSurface()->GetGraphics();
    const RenderState& state = target.GetState();
    cairo_identity_matrix(context);
    // Set whole, whatever the context held (it may be new).
    mClipContext = nullptr;
    PutClip(context, ToDeviceClip(state.clip, state.origin));
    if (&target != mCurrentTarget.Get()) {
        mClipContext = nullptr;
    } else {
        mClipPending = false;
    }
    cairo_translate(context, static_cast<float>(state.origin.x), static_cast<float>(state.origin.y));
}

int32_t LGDIRenderer::RenderStart(const RCPtr<LRenderContextInfo>& target) {
    // The target drawn so far keeps its clip for when drawing comes back to it.
    Graphics();
    LRenderer::RenderStart(target);
    mCurrentTarget = RCPtr<LGDIRenderContextInfo>(dynamic_cast<LGDIRenderContextInfo*>(GetCurrentContext()));
    if (!mCurrentTarget) {
        return S_OK;
    }
    BeginFrame(*mCurrentTarget);
    const int32_t dpi = mCurrentTarget->GetDrawingSurface()->GetDpi();
    mDpiScale = 96.0f / static_cast<float>(dpi > 0 ? dpi : 96);
    cairo_t* context = Graphics();
    // Speed over smoothness: aliased shapes, source-over; bitmaps are copied nearest-neighbour
    // where they are drawn.
    cairo_set_antialias(context, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(context, CAIRO_OPERATOR_OVER);
    // The context may be new (resized surfaces, exchanged ones): it gets the state's origin
    // and clip, set rather than added to whatever it held.
    ApplyState(*mCurrentTarget);
    return S_OK;
}

void LGDIRenderer::Present(LGDIRenderContextInfo& target) {
    cairo_surface_t* frame = target.GetDrawingSurface()->GetBitmap();
    cairo_surface_flush(frame);
    if (target.IsOffscreen() || target.GetPresenter() == nullptr) {
        return;
    }
    Array<RectT<int32_t>> region;
    target.GetUpdateRegion().ForEachRect(region);
    // The region's rectangles from the last to the first.
    std::vector<RectT<int32_t>> rects;
    for (uint32_t i = region.GetCount(); i-- > 0;) {
        rects.push_back(region.GetAt(i));
    }
    target.GetPresenter()->Present(frame, rects);
}

void LGDIRenderer::PurgeIfDue() {
    const uint32_t now = GetApplicationServices().GetTimeMs();
    if (now - mLastPurgeTime > kBitmapPurgeIntervalMs) {
        mBitmapCache->Purge(mBitmapCache->GetPurgeMark());
        mBitmapCache->SetPurgeMark(mBitmapCache->GetClock());
        mLastPurgeTime = now;
    }
}

int32_t LGDIRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& target) {
    // The base refuses a target that is not the current one before anything is presented.
    RCPtr<LGDIRenderContextInfo> finished = mCurrentTarget;
    LRenderer::RenderFinish(target);
    // A clip not yet put on the finished target is of no use: its next frame sets its state
    // whole. The target drawing comes back to holds its own.
    mClipPending = false;
    mClipContext = nullptr;
    if (finished) {
        Present(*finished);
    }
    mCurrentTarget = RCPtr<LGDIRenderContextInfo>(dynamic_cast<LGDIRenderContextInfo*>(GetCurrentContext()));
    PurgeIfDue();
    return S_OK;
}

// ---- Text ---------------------------------------------------------------------------------

int32_t LGDIRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                     int32_t& descent) {
    height = 0;
    ascent = 0;
    descent = 0;
    if (!font || !(font->GetSize() > 0.0f)) {
        return E_FAIL;
    }
    // The face drawing uses, fallback included; none at all leaves the font unmeasured.
    const std::shared_ptr<Platform::FontFace> face = FaceOf(*font);
    if (!face) {
        return E_FAIL;
    }
    const Platform::FontDesignMetrics& m = face->GetDesignMetrics();
    const float emSize = font->GetSize();
    const float emHeight = static_cast<float>(m.unitsPerEm);
    // The font is made in pixels, so its line spacing at 72 dpi is the spacing at its size.
    const float heightAt72 = static_cast<float>(m.lineSpacing) * emSize / emHeight;
    height = RoundFloat(heightAt72 * 96.0f / 72.0f + 0.499f);
    ascent = RoundFloat(static_cast<float>(m.cellAscent) * emSize * -96.0f / (emHeight * 72.0f) - 0.499f);
    descent = RoundFloat(static_cast<float>(m.cellDescent) * emSize * 96.0f / (emHeight * 72.0f) + 0.499f);
    return S_OK;
}

float LGDIRenderer::MeasureRightEdge(const WString& text, const LFont& font) {
    const std::shared_ptr<Platform::FontFace> face = FaceOf(font);
    if (!face) {
        return 0.0f;
    }
    // Points on a surface of the screen's resolution.
    const double pixelsPerEm = static_cast<double>(font.GetSize()) * mScreenDpi / 72.0;
    return static_cast<float>(face->MeasureAdvance(
        std::u16string_view(text.GetString(), static_cast<size_t>(text.GetLength())), pixelsPerEm));
}

RectT<float> LGDIRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font) {
    if (text.IsEmpty() || !font) {
        return {0.0f, 0.0f, 0.0f, 0.0f};
    }
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    GetFontMetrics(font, height, ascent, descent);
    const float right = MeasureRightEdge(text, *font);
    const float w = mScreenDpi == 96 ? right : 9600.0f / static_cast<float>(mScreenDpi) * right / 100.0f;
    float width = std::trunc(w + 0.9999f);
    if (width > 0.0f) {
        width += 3.0f;
    }
    return {0.0f, static_cast<float>(ascent), width, static_cast<float>(height)};
}

int32_t LGDIRenderer::DrawText(const WString& text, const ConstRCPtr<LFont>& font,
                               const PointT<int32_t>& position, const Color& color) {
    cairo_t* context = Graphics();
    if (context == nullptr || !font || text.IsEmpty()) {
        return S_OK;
    }
    const std::shared_ptr<Platform::FontFace> face = FaceOf(*font);
    if (!face) {
        return S_OK;
    }
    // Points times the dpi scale on a surface of the target's resolution: the same pixels at
    // any resolution.
    const int32_t dpi = mCurrentTarget->GetDrawingSurface()->GetDpi();
    const double pixelsPerEm = static_cast<double>(font->GetSize() * mDpiScale) * dpi / 72.0;
    const Platform::FontDesignMetrics& m = face->GetDesignMetrics();
    // The line's top one pixel above the position; the baseline on the whole pixel the
    // measured ascent gives (the cell ascent rounded up), so the glyphs stay inside the line
    // box whatever the hinting does with a fractional baseline.
    const double top = static_cast<double>(position.y) - 1.0;
    const double baseline =
        top + std::ceil(static_cast<double>(m.cellAscent) * pixelsPerEm / m.unitsPerEm - 1e-9);
    SetSourceColor(context, color);
    face->Draw(context, std::u16string_view(text.GetString(), static_cast<size_t>(text.GetLength())),
               pixelsPerEm, position.x, baseline, font->GetStyle());
    return S_OK;
}

// ---- Shapes -------------------------------------------------------------------------------

int32_t LGDIRenderer::FrameRect(const RectT<int32_t>& rect, const Color& color, float penWidth) {
    cairo_t* context = Graphics();
    if (context == nullptr) {
        return S_OK;
    }
    // Pixel centres lie on whole coordinates: the outline of x .. x + width covers both columns.
    cairo_rectangle(context, rect.x + 0.5, rect.y + 0.5, rect.width, rect.height);
    SetSourceColor(context, color);
    cairo_set_line_width(context, penWidth);
    cairo_set_line_join(context, CAIRO_LINE_JOIN_MITER);
    cairo_stroke(context);
    return S_OK;
}

int32_t LGDIRenderer::FillRect(const RectT<int32_t>& rect, const Color& color, bool blend) {
    cairo_t* context = Graphics();
    if (context == nullptr) {
        return S_OK;
    }
    if (blend) {
        cairo_rectangle(context, rect.x, rect.y, rect.width, rect.height);
        SetSourceColor(context, color);
        cairo_fill(context);
        return S_OK;
    }
    // Pixels overwritten in surface coordinates, without origin, clip or blending; only the
    // part inside the surface.
    cairo_surface_t* surface = mCurrentTarget->GetDrawingSurface()->GetBitmap();
    const PointT<int32_t> size = mCurrentTarget->GetDrawingSurface()->GetSize();
    const int64_t left = std::max<int64_t>(rect.x, 0);
    const int64_t top = std::max<int64_t>(rect.y, 0);
    const int64_t right = std::min<int64_t>(int64_t{rect.x} + rect.width, size.x);
    const int64_t bottom = std::min<int64_t>(int64_t{rect.y} + rect.height, size.y);
    if (left >= right || top >= bottom) {
        return S_OK;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const uint32_t pixel = Premultiply(color.ToARGB());
    for (int64_t y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        std::fill(row + left, row + right, pixel);
    }
    cairo_surface_mark_dirty_rectangle(surface, static_cast<int>(left), static_cast<int>(top),
                                       static_cast<int>(right - left), static_cast<int>(bottom - top));
    return S_OK;
}

int32_t LGDIRenderer::DrawLine(const PointT<int32_t>& from, const PointT<int32_t>& to, const Color& color,
                               float width) {
    cairo_t* context = Graphics();
    if (context == nullptr) {
        return S_OK;
    }
    // Square ends: both end points are part of the line.
    cairo_move_to(context, from.x + 0.5, from.y + 0.5);
    cairo_line_to(context, to.x + 0.5, to.y + 0.5);
    SetSourceColor(context, color);
    cairo_set_line_width(context, width);
    cairo_set_line_cap(context, CAIRO_LINE_CAP_SQUARE);
    cairo_stroke(context);
    cairo_set_line_cap(context, CAIRO_LINE_CAP_BUTT);
    return S_OK;
}

int32_t LGDIRenderer::DrawColorRectList(ColorRectListT<float>& rects, const PointT<double>& offset) {
    if (Graphics() == nullptr) {
        return S_OK;
    }
    Translate(offset);
    for (auto entry = rects.entries.rbegin(); entry != rects.entries.rend(); ++entry) {
        const RectT<double> scaled{static_cast<double>(entry->rect.x * rects.scaleX),
                                   static_cast<double>(entry->rect.y * rects.scaleY),
                                   static_cast<double>(entry->rect.width * rects.scaleX),
                                   static_cast<double>(entry->rect.height * rects.scaleY)};
        FillRect(scaled.Round(), Color::FromARGB(entry->argb), true);
    }
    Translate({-offset.x, -offset.y});
    return S_OK;
}

// ---- Clip, origin and copies --------------------------------------------------------------

int32_t LGDIRenderer::SetClipRect(const RectT<double>& clip) {
    LRenderer::SetClipRect(clip);
    if (CurrentContext() == nullptr) {
        return S_OK;
    }
    // Given in the coordinates current at the call; kept in device space, so later moves of
    // the origin leave it where it is. The next drawing puts it on the context.
    mPendingClip = ToDeviceClip(clip, mCurrentTarget->GetState().origin);
    mClipPending = true;
    return S_OK;
}

int32_t LGDIRenderer::Translate(const PointT<double>& delta) {
    LRenderer::Translate(delta);
    cairo_t* context = CurrentContext();
    if (context == nullptr) {
        return S_OK;
    }
    const PointT<double>& origin = mCurrentTarget->GetState().origin;
    cairo_identity_matrix(context);
    cairo_translate(context, static_cast<float>(origin.x), static_cast<float>(origin.y));
    return S_OK;
}

int32_t LGDIRenderer::DrawRenderContext(const RCPtr<LRenderContextInfo>& source,
                                        const PointT<int32_t>& destination,
                                        const RectT<int32_t>& sourceRect) {
    auto* from = dynamic_cast<LGDIRenderContextInfo*>(source.Get());
    cairo_t* context = Graphics();
    if (from == nullptr || !from->IsOffscreen() || context == nullptr) {
        return E_INVALIDARG;
    }
    if (from == mCurrentTarget.Get()) {
        // Drawing a picture onto itself goes through a copy of the area.
        cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(sourceRect.width, 1),
                                                           std::max(sourceRect.height, 1));
        cairo_t* copier = cairo_create(copy);
        const bool copied = from->GetDrawingSurface()->DrawTo(copier, {0, 0}, sourceRect);
        cairo_destroy(copier);
        cairo_save(context);
        cairo_set_source_surface(context, copy, destination.x, destination.y);
        cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_NEAREST);
        cairo_rectangle(context, destination.x, destination.y, sourceRect.width, sourceRect.height);
        cairo_fill(context);
        cairo_restore(context);
        cairo_surface_destroy(copy);
        return copied && cairo_status(context) == CAIRO_STATUS_SUCCESS ? S_OK : E_FAIL;
    }
    return from->GetDrawingSurface()->DrawTo(context, destination, sourceRect) ? S_OK : E_FAIL;
}

int32_t LGDIRenderer::CopyRenderContext(const RCPtr<LRenderContextInfo>& target,
                                        const PointT<int32_t>& offset) {
    auto* info = dynamic_cast<LGDIRenderContextInfo*>(target.Get());
    if (info == nullptr || !info->IsOffscreen()) {
        return E_INVALIDARG;
    }
    RCPtr<LGDIRendererOffscreenSurface> previous = info->GetDrawingSurface();
    info->ExchangeSurfaces();
    cairo_t* context = info->GetDrawingSurface()->GetGraphics();
    cairo_save(context);
    cairo_identity_matrix(context);
    cairo_reset_clip(context);
    cairo_set_operator(context, CAIRO_OPERATOR_CLEAR);
    cairo_paint(context);
    cairo_set_operator(context, CAIRO_OPERATOR_OVER);
    const PointT<int32_t> size = previous->GetSize();
    const bool drawn = previous->DrawTo(context, offset, {0, 0, size.x, size.y});
    cairo_restore(context);
    // The exchanged context takes over the frame's quality settings, origin and clip.
    cairo_set_antialias(context, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(context, CAIRO_OPERATOR_OVER);
    ApplyState(*info);
    return drawn ? S_OK : E_FAIL;
}

}  // namespace QV
