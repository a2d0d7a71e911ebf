#pragma once

#include <string>
#include <vector>

#include "RIZozivirod/Renderer/Renderer.h"

namespace QV {

class RecordingRenderContextInfo : public LRenderContextInfo {
public:
    using LRenderContextInfo::LRenderContextInfo;
    PointT<int32_t> GetMaxSurfaceSize() const override { return {4096, 4096}; }
};

// A renderer that draws nothing and writes down every call, one line each ("FillRect 0,0,10,10
// blend", "Translate 10,21", ...), with the base class's state handling underneath. Reports
// type 1.
class RecordingRenderer : public LRenderer {
public:
    static RCPtr<RecordingRenderer> Create() { return RCPtr<RecordingRenderer>(new RecordingRenderer()); }

    // A window target of the given viewport.
    RCPtr<LRenderContextInfo> MakeTarget(const RectT<int32_t>& viewport = {0, 0, 640, 480},
                                         bool offscreen = false);

    int32_t GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                           int32_t& descent) override;
    RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) override;
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

    std::vector<std::string> calls;
    // RenderFinish records its call and then throws a Runtime Error.
    bool failRenderFinish = false;

private:
    void Record(std::string call) { calls.push_back(std::move(call)); }
};

}  // namespace QV
