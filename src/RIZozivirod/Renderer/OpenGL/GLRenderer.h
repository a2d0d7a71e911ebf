#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Platform/OpenGL/GLContext.h"
#include "RIZozivirod/Renderer/FontRenderer/FontRenderer.h"
#include "RIZozivirod/Renderer/OpenGL/GLDisplayList.h"
#include "RIZozivirod/Renderer/OpenGL/GLRenderContextInfo.h"
#include "RIZozivirod/Renderer/OpenGL/GLTexture.h"
#include "RIZozivirod/Renderer/Renderer.h"
#include "RIZozivirod/Utilities/Storage/PurgableObjectCache.h"

namespace QV {

// The OpenGL renderer (type 0): fixed-function GL 1.1 in a GL context from the platform's
// provider (an SDL context on the window in the program, an offscreen one in tests). Bitmaps
// are drawn through textures (one per pixel store, 64 kept), polylines and polygons are kept as
// display lists (256 per shape kind) when asked, polygons are filled through the GLU
// tessellator, and text goes through the font renderer's glyph atlases. Lines and frames are
// antialiased; fills, clips (the scissor box) and 1:1 bitmaps are pixel-exact. The caches are
// purged every 300000 ms of the application's clock, at the end of a frame. The program selects
// the Cairo renderer; this one is complete but not selected. User-interface thread only.
class LGLRenderer : public LRenderer {
public:
    using ShapeCache = PurgableObjectCache<LGLDisplayList, PolylineT<float>, int64_t,
                                           &PolylineT<float>::GetHandleOf, 8, &GetBits<8, 0, int64_t>>;
    static intptr_t PixelStoreOf(const ConstRCPtr<LBitmap>& bitmap);
    using TextureCache = PurgableObjectCache<LGLTexture, ConstRCPtr<LBitmap>, intptr_t,
                                             &LGLRenderer::PixelStoreOf, 6, &GetBits<6, 4, intptr_t>>;

    static constexpr int32_t kShapeCacheCapacity = 256;
    static constexpr int32_t kTextureCacheCapacity = 64;
    static constexpr uint32_t kPurgeIntervalMs = 300000;

    // Makes the renderer's GL context for the window (null: an offscreen surface of the client
    // rectangle's size). A context that cannot be made is reported in a message box and raises
    // a runtime error.
    LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, WindowHandle window,
                const RectT<int32_t>& clientRect);
    ~LGLRenderer() override;

    int32_t GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                           int32_t& descent) override;
    RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override;
    uintptr_t GetFontConfigurationStamp() override;
    int32_t GetRendererType() override { return kRendererOpenGL; }
    int32_t InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreen,
                                  RCPtr<LRenderContextInfo>& target) override;
    int32_t SetViewport(const RectT<int32_t>& viewport) override;
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

    const RCPtr<LFontRenderer>& GetFontRenderer() const { return mFontRenderer; }
    // The shape caches of FillPolygon, DrawPolygon, DrawLineSegments and DrawPolyline.
    enum ShapeKind { kFill = 0, kOutline = 1, kSegments = 2, kOpenLine = 3 };
    ShapeCache& GetShapeCache(ShapeKind kind) { return *mShapes[kind]; }
    TextureCache& GetTextureCache() { return *mTextures; }
    // Lists compiled so far (cache checks).
    int64_t GetCompileCount() const { return mCompileCount; }

private:
    LGLRenderContextInfo* CurrentTarget() const;
    void ApplyFixedState();
    void ApplyScissor(const RectT<double>& rect);
    int32_t DrawShape(PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                      const PointT<float>& scale, bool keepCached, ShapeKind kind);
    void DrawShapeNow(const PolylineT<float>& polyline, const Color& color, const PointT<float>& offset,
                      const PointT<float>& scale, ShapeKind kind);
    void DrawPicture(const LGLRenderContextInfo& source, const RectT<int32_t>& sourceRect, float x, float y);
    void PurgeIfDue();

    RCPtr<LFontRenderer> mFontRenderer;
    WindowHandle mWindow;
    std::unique_ptr<Platform::GLContext> mContext;
    uint32_t mLastPurgeTime;
    std::unique_ptr<ShapeCache> mShapes[4];
    std::unique_ptr<TextureCache> mTextures;
    PointT<int32_t> mMaxViewport;
    // Framebuffer pixels an offscreen frame opened inside another frame covers, put back when it
    // ends: one texture (0 when none was saved) per open offscreen frame.
    std::vector<GLuint> mSavedUnderOffscreen;
    int64_t mCompileCount = 0;
};

}  // namespace QV
