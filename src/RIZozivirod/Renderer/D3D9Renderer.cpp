#include "RIZozivirod/Renderer/D3D9Renderer.h"

#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

RCPtr<LRenderer> LD3D9Renderer::CreateForWindow(const RectT<int32_t>&, WindowHandle) {
    return RCPtr<LRenderer>(new LD3D9Renderer());
}

int32_t LD3D9Renderer::GetFontMetrics(const ConstRCPtr<LFont>&, int32_t&, int32_t&, int32_t&) {
    return S_OK;
}

RectT<float> LD3D9Renderer::MeasureText(const WString&, const ConstRCPtr<LFont>&) {
    return {};
}

int32_t LD3D9Renderer::GetRendererType() {
    return kRendererD3D9;
}

int32_t LD3D9Renderer::InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window,
                                             bool offscreen, RCPtr<LRenderContextInfo>& target) {
    if (!LRenderContextInfo::IsViewportAllowed(viewport)) {
        return E_FAIL;
    }
    target = RCPtr<LRenderContextInfo>(new LD3D9RenderContextInfo(viewport, window, offscreen));
    return S_OK;
}

int32_t LD3D9Renderer::RenderStart(const RCPtr<LRenderContextInfo>&) {
    return S_OK;
}

int32_t LD3D9Renderer::RenderFinish(const RCPtr<LRenderContextInfo>&) {
    return S_OK;
}

int32_t LD3D9Renderer::DrawText(const WString&, const ConstRCPtr<LFont>&, const PointT<int32_t>&,
                                const Color&) {
    return S_OK;
}

int32_t LD3D9Renderer::FrameRect(const RectT<int32_t>&, const Color&, float) {
    return S_OK;
}

int32_t LD3D9Renderer::FillRect(const RectT<int32_t>&, const Color&, bool) {
    return S_OK;
}

int32_t LD3D9Renderer::DrawRect(const RectT<int32_t>&, const Color&, const Color&, float) {
    return S_OK;
}

int32_t LD3D9Renderer::DrawColorRectList(ColorRectListT<float>&, const PointT<double>&) {
    return S_OK;
}

int32_t LD3D9Renderer::DrawLine(const PointT<int32_t>&, const PointT<int32_t>&, const Color&, float) {
    return S_OK;
}

int32_t LD3D9Renderer::DrawLineSegments(PolylineT<float>&, const Color&, const PointT<float>&,
                                        const PointT<float>&, bool) {
    return S_OK;
}

int32_t LD3D9Renderer::DrawPolyline(PolylineT<float>&, const Color&, const PointT<float>&,
                                    const PointT<float>&, bool) {
    return S_OK;
}

int32_t LD3D9Renderer::DrawPolygon(PolylineT<float>&, const Color&, const PointT<float>&,
                                   const PointT<float>&, bool) {
    return S_OK;
}

int32_t LD3D9Renderer::FillPolygon(PolylineT<float>&, const Color&, const PointT<float>&,
                                   const PointT<float>&, bool) {
    return S_OK;
}

int32_t LD3D9Renderer::DrawBitmap(const ConstRCPtr<LBitmap>&, const RectT<int32_t>&, ResizeType) {
    return S_OK;
}

int32_t LD3D9Renderer::DrawRenderContext(const RCPtr<LRenderContextInfo>&, const PointT<int32_t>&,
                                         const RectT<int32_t>&) {
    return E_NOTIMPL;
}

int32_t LD3D9Renderer::CopyRenderContext(const RCPtr<LRenderContextInfo>&, const PointT<int32_t>&) {
    return E_NOTIMPL;
}

}  // namespace QV
