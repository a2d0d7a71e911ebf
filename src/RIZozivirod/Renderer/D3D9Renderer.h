#pragma once

#include "RIZozivirod/Renderer/Renderer.h"

namespace QV {

class LD3D9RenderContextInfo : public LRenderContextInfo {
public:
    using LRenderContextInfo::LRenderContextInfo;
    // No surface at all.
    PointT<int32_t> GetMaxSurfaceSize() const override { return {0, 0}; }
};

// Renderer type 2: a placeholder that makes targets and draws nothing. Frames push no target,
// so its state operations never find one either.
class LD3D9Renderer : public LRenderer {
public:
    static RCPtr<LRenderer> CreateForWindow(const RectT<int32_t>& clientRect, WindowHandle window);

    int32_t GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                           int32_t& descent) override;
    RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override;
    int32_t GetRendererType() override;
    int32_t InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreen,
                                  RCPtr<LRenderContextInfo>& target) override;
    int32_t RenderStart(const RCPtr<LRenderContextInfo>& target) override;
    int32_t RenderFinish(const RCPtr<LRenderContextInfo>& target) override;
    int32_t DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                     const Color& color) override;
    int32_t FrameRect(const RectT<int32_t>& rect, const Color& color, float penWidth) override;
    int32_t FillRect(const RectT<int32_t>& rect, const Color& color, bool blend) override;
    int32_t DrawRect(const RectT<int32_t>& rect, const Color& fill, const Color& border,
                     float borderWidth) override;
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
};

}  // namespace QV
