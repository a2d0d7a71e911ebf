#include "UITestSupport/RecordingRenderer.h"

#include <cstdio>
#include <stdexcept>

namespace QV {

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string Text(const RectT<int32_t>& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.width) + "," +
           std::to_string(r.height);
}

std::string Text(const Color& color) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", color.ToARGB());
    return text;
}

}  // namespace

RCPtr<LRenderContextInfo> RecordingRenderer::MakeTarget(const RectT<int32_t>& viewport, bool offscreen) {
    RCPtr<LRenderContextInfo> target;
    InitRenderContextInfo(viewport, 0, offscreen, target);
    return target;
}

int32_t RecordingRenderer::GetFontMetrics(const ConstRCPtr<LFont>&, int32_t& height, int32_t& ascent,
                                          int32_t& descent) {
    Record("GetFontMetrics");
    height = 16;
    ascent = -12;
    descent = 4;
    return S_OK;
}

RectT<float> RecordingRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>&) {
    Record("MeasureText " + std::string(text.ToUTF8().GetString()));
    return {0.0f, -12.0f, 8.0f * static_cast<float>(text.GetLength()), 16.0f};
}

int32_t RecordingRenderer::InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window,
                                                 bool offscreen, RCPtr<LRenderContextInfo>& target) {
    if (!LRenderContextInfo::IsViewportAllowed(viewport)) {
        return E_FAIL;
    }
    target = RCPtr<LRenderContextInfo>(new RecordingRenderContextInfo(viewport, window, offscreen));
    return S_OK;
}

int32_t RecordingRenderer::RenderStart(const RCPtr<LRenderContextInfo>& target) {
    LRenderer::RenderStart(target);
    Record("RenderStart");
    return S_OK;
}

int32_t RecordingRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& target) {
    Record("RenderFinish");
    if (failRenderFinish) {
        throw std::runtime_error("RenderFinish failed");
    }
    return LRenderer::RenderFinish(target);
}

int32_t RecordingRenderer::DrawText(const WString& text, const ConstRCPtr<LFont>&,
                                    const PointT<int32_t>& position, const Color& color) {
    Record("DrawText " + std::string(text.ToUTF8().GetString()) + " " + std::to_string(position.x) + "," +
           std::to_string(position.y) + " " + Text(color));
    return S_OK;
}

int32_t RecordingRenderer::FrameRect(const RectT<int32_t>& rect, const Color& color, float penWidth) {
    Record("FrameRect " + Text(rect) + " " + Text(color) + " " + Number(penWidth));
    return S_OK;
}

int32_t RecordingRenderer::FillRect(const RectT<int32_t>& rect, const Color& color, bool blend) {
    Record("FillRect " + Text(rect) + " " + Text(color) + (blend ? " blend" : " copy"));
    return S_OK;
}

int32_t RecordingRenderer::DrawColorRectList(ColorRectListT<float>&, const PointT<double>& offset) {
    Record("DrawColorRectList " + Number(offset.x) + "," + Number(offset.y));
    return S_OK;
}

int32_t RecordingRenderer::DrawLine(const PointT<int32_t>& from, const PointT<int32_t>& to,
                                    const Color& color, float width) {
    Record("DrawLine " + std::to_string(from.x) + "," + std::to_string(from.y) + " " + std::to_string(to.x) +
           "," + std::to_string(to.y) + " " + Text(color) + " " + Number(width));
    return S_OK;
}

int32_t RecordingRenderer::DrawLineSegments(PolylineT<float>&, const Color& color, const PointT<float>&,
                                            const PointT<float>&, bool) {
    Record("DrawLineSegments " + Text(color));
    return S_OK;
}

int32_t RecordingRenderer::DrawPolyline(PolylineT<float>&, const Color& color, const PointT<float>&,
                                        const PointT<float>&, bool) {
    Record("DrawPolyline " + Text(color));
    return S_OK;
}

int32_t RecordingRenderer::DrawPolygon(PolylineT<float>&, const Color& color, const PointT<float>&,
                                       const PointT<float>&, bool) {
    Record("DrawPolygon " + Text(color));
    return S_OK;
}

int32_t RecordingRenderer::FillPolygon(PolylineT<float>&, const Color& color, const PointT<float>&,
                                       const PointT<float>&, bool) {
    Record("FillPolygon " + Text(color));
    return S_OK;
}

int32_t RecordingRenderer::DrawBitmap(const ConstRCPtr<LBitmap>&, const RectT<int32_t>& destination,
                                      ResizeType resize) {
    Record("DrawBitmap " + Text(destination) + " " + std::to_string(static_cast<int32_t>(resize)));
    return S_OK;
}

int32_t RecordingRenderer::DrawRenderContext(const RCPtr<LRenderContextInfo>& source,
                                             const PointT<int32_t>& destination,
                                             const RectT<int32_t>& sourceRect) {
    Record("DrawRenderContext " + std::to_string(destination.x) + "," + std::to_string(destination.y) + " " +
           Text(sourceRect));
    return source && source->IsOffscreen() && GetCurrentContext() != nullptr ? S_OK : E_INVALIDARG;
}

int32_t RecordingRenderer::CopyRenderContext(const RCPtr<LRenderContextInfo>& target,
                                             const PointT<int32_t>& offset) {
    Record("CopyRenderContext " + std::to_string(offset.x) + "," + std::to_string(offset.y));
    return target && target->IsOffscreen() ? S_OK : E_INVALIDARG;
}

int32_t RecordingRenderer::SetClipRect(const RectT<double>& clip) {
    LRenderer::SetClipRect(clip);
    Record("SetClipRect " + Number(clip.x) + "," + Number(clip.y) + "," + Number(clip.width) + "," +
           Number(clip.height));
    return S_OK;
}

int32_t RecordingRenderer::Translate(const PointT<double>& delta) {
    LRenderer::Translate(delta);
    Record("Translate " + Number(delta.x) + "," + Number(delta.y));
    return S_OK;
}

}  // namespace QV
