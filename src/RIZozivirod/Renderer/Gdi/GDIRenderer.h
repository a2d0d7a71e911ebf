#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "RIZozivirod/Renderer/Gdi/GDIRenderContextInfo.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"
#include "RIZozivirod/Utilities/Graphics/Polyline.h"
#include "RIZozivirod/Utilities/Storage/PurgableObjectCache.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct cairo_path cairo_path_t;

namespace Platform {
class FontFace;
}

namespace QV {

// The renderer the program draws with (type 1), over Cairo image surfaces. Every frame is
// drawn into its target's retained drawing surface and only the update region's rectangles
// are presented. Shapes are aliased with pixel centres on whole coordinates, bitmaps are
// copied nearest-neighbour, everything composites source-over. Text is measured and drawn with
// the font backend's faces, with the metric formulas the text layout depends on; a renderer
// made without any window measures as well (the measuring renderer). Scaled bitmaps and line
// shapes are kept in two caches of 256 entries; scaled bitmaps not used for 300000 ms of the
// application's clock are dropped at the end of a frame. User-interface thread only.
class LGDIRenderer : public LRenderer {
public:
    // A bitmap at one destination size: the cache key of a prepared picture. Keeps its bitmap
    // alive while it is a key.
    template <uint32_t Bits>
    struct CashableBitmapDescriptor {
        ConstRCPtr<LBitmap> bitmap;
        int32_t width = 0;
        int32_t height = 0;

        bool operator==(const CashableBitmapDescriptor& other) const {
            return bitmap.Get() == other.bitmap.Get() && width == other.width && height == other.height;
        }
        static const CashableBitmapDescriptor& GetSelf(const CashableBitmapDescriptor& key) { return key; }
        // The bucket follows the pixel store's identity, so sub-bitmaps of one image share it.
        static uint32_t GetHashBits(const CashableBitmapDescriptor& key) {
            const auto identity =
                key.bitmap ? reinterpret_cast<uintptr_t>(key.bitmap->GetGdiplusBitmap()) : 0;
            return static_cast<uint32_t>(identity >> 4) & ((1u << Bits) - 1);
        }
    };
    using BitmapKey = CashableBitmapDescriptor<8>;

    // A bitmap prepared at its destination size: a premultiplied ARGB32 picture.
    class LCachedBitmap : public LRefCountedObject {
    public:
        explicit LCachedBitmap(cairo_surface_t* picture) : mPicture(picture) {
            ++sLiveCount;
            ++sPreparedCount;
        }
        ~LCachedBitmap() override;
        cairo_surface_t* GetPicture() const { return mPicture; }
        // Pictures alive in the process, and pictures prepared so far (memory and cache checks).
        static int32_t GetLiveCount() { return sLiveCount; }
        static int64_t GetPreparedCount() { return sPreparedCount; }

    private:
        cairo_surface_t* mPicture;
        static inline int32_t sLiveCount = 0;
        static inline int64_t sPreparedCount = 0;
    };

    // A polyline's shape as one of the four line operations builds it.
    class LGraphicsPath : public LRefCountedObject {
    public:
        enum class Kind { Segments, Open, Closed };
        LGraphicsPath(cairo_path_t* path, Kind kind) : mPath(path), mKind(kind) {}
        ~LGraphicsPath() override;
        cairo_path_t* GetPath() const { return mPath; }
        Kind GetKind() const { return mKind; }

    private:
        cairo_path_t* mPath;
        Kind mKind;
    };

    using BitmapCache = PurgableObjectCache<LCachedBitmap, BitmapKey, BitmapKey, &BitmapKey::GetSelf, 8,
                                            &BitmapKey::GetHashBits>;
    using PathCache = PurgableObjectCache<LGraphicsPath, PolylineT<float>, int64_t,
                                          &PolylineT<float>::GetHandleOf, 8, &GetBits<8, 0, int64_t>>;

    static constexpr int32_t kCacheCapacity = 256;
    static constexpr uint32_t kBitmapPurgeIntervalMs = 300000;

    // The screen's resolution and the clock come from the application's services.
    LGDIRenderer();
    ~LGDIRenderer() override;

    int32_t GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                           int32_t& descent) override;
    RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override;
    uintptr_t GetFontConfigurationStamp() override;
    int32_t GetRendererType() override { return kRendererGDI; }
    int32_t InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreen,
                                  RCPtr<LRenderContextInfo>& target) override;
    int32_t RenderStart(const RCPtr<LRenderContextInfo>& target) override;
    int32_t RenderFinish(const RCPtr<LRenderContextInfo>& target) override;
    int32_t DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                     const Color& color) override;
    int32_t FrameRect(const RectT<int32_t>& rect, const Color& color, float penWidth) override;
    int32_t FillRect(const RectT<int32_t>& rect, const Color& color, bool blend) override;
    int32_t DrawColorRectList(ColorRectListT<float>& rects, const PointT<double>& offset) override;
    int32_t DrawLine(const PointT<int32_t>& from, const PointT<int32_t>& to, const Color& color,
                     float width) override;
    int32_t DrawLineSegments(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                             const PointT<float>& scale, bool keepCached) override;
    int32_t DrawPolyline(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                         const PointT<float>& scale, bool keepCached) override;
    int32_t DrawPolygon(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                        const PointT<float>& scale, bool keepCached) override;
    int32_t FillPolygon(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                        const PointT<float>& scale, bool keepCached) override;
    int32_t DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& destination,
                       ResizeType resize) override;
    int32_t DrawRenderContext(const RCPtr<LRenderContextInfo>& source, const PointT<int32_t>& destination,
                              const RectT<int32_t>& sourceRect) override;
    int32_t CopyRenderContext(const RCPtr<LRenderContextInfo>& target,
                              const PointT<int32_t>& offset) override;
    int32_t SetClipRect(const RectT<double>& clip) override;
    int32_t Translate(const PointT<double>& delta) override;

    // 96 divided by the current target's resolution; 1 before the first frame.
    float GetDpiScale() const { return mDpiScale; }
    int32_t GetScreenDpi() const { return mScreenDpi; }
    const RCPtr<LGDIRenderContextInfo>& GetCurrentTarget() const { return mCurrentTarget; }
    BitmapCache& GetBitmapCache() { return *mBitmapCache; }
    // A straight 0xAARRGGBB colour as Cairo stores it (premultiplied).
    static uint32_t Premultiply(uint32_t argb);
    PathCache& GetPathCache() { return *mPathCache; }

protected:
    // The right edge of the text set in the font on the measuring surface (the screen's
    // resolution), in pixels; what MeasureText turns into its width.
    virtual float MeasureRightEdge(const WString& text, const LFont& font);

private:
    // A clip rectangle in device pixels, as Cairo keeps it; `none` clips nothing.
    struct DeviceClip {
        bool none = true;
        double left = 0.0;
        double top = 0.0;
        double width = 0.0;
        double height = 0.0;
        bool operator==(const DeviceClip&) const = default;
    };
    static DeviceClip ToDeviceClip(const RectT<double>& clip, const PointT<double>& origin);

    static void SetSourceColor(cairo_t* context, const Color& color);
    // The current target's context for drawing, with the clip last set put on it. Clips come
    // and go around every control painted, most of them with nothing drawn in between: they
    // reach Cairo only when something is drawn, and not again while the context holds them.
    cairo_t* Graphics();
    // The current target's context as it is (no pending clip put on it).
    cairo_t* CurrentContext() const;
    void PutClip(cairo_t* context, const DeviceClip& clip);
    void BeginFrame(LGDIRenderContextInfo& target);
    // Puts the current state's origin and clip on the target's drawing context.
    void ApplyState(LGDIRenderContextInfo& target);
    void Present(LGDIRenderContextInfo& target);
    // A window's target draws in the window's pixels where its presenter gives them at the
    // viewport's size, else in a picture of its own.
    void UseWindowPixels(LGDIRenderContextInfo& target, bool wholeViewport);
    void PurgeIfDue();
    int32_t DrawPath(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                     const PointT<float>& scale, bool keepCached, LGraphicsPath::Kind kind, bool fill);
    RCPtr<LCachedBitmap> PrepareBitmap(const LBitmap& bitmap, int32_t width, int32_t height,
                                       ResizeType resize);

    // The face of a font, by the font's id, as resolved under the current font configuration.
    const std::shared_ptr<Platform::FontFace>& FaceOf(const LFont& font);

    std::unordered_map<int32_t, std::shared_ptr<Platform::FontFace>> mFaces;
    uintptr_t mFacesStamp = 0;
    float mDpiScale = 1.0f;
    int32_t mScreenDpi = 96;
    RCPtr<LGDIRenderContextInfo> mCurrentTarget;
    // The clip set last for the current target, not yet on its context.
    DeviceClip mPendingClip;
    bool mClipPending = false;
    // The clip the context mClipContext holds (as far as this renderer put it there).
    DeviceClip mAppliedClip;
    cairo_t* mClipContext = nullptr;
    std::unique_ptr<BitmapCache> mBitmapCache;
    std::unique_ptr<PathCache> mPathCache;
    uint32_t mLastPurgeTime = 0;
};

// The face the font backend gives a font: what measuring and drawing both use; null when no
// face can be made.
std::shared_ptr<Platform::FontFace> ResolveFontFace(const LFont& font);

}  // namespace QV
