#include "RIZozivirod/Renderer/Gdi/GDIRenderContextInfo.h"

#include <utility>

namespace QV {

LGDIRenderContextInfo::LGDIRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window,
                                             bool offscreen, int32_t dpi)
    : LRenderContextInfo(viewport, window, offscreen) {
    const PointT<int32_t> size{GetViewport().width, GetViewport().height};
    mDrawingSurface = LGDIRendererOffscreenSurface::Create(size, window, dpi);
    if (offscreen) {
        mSpareSurface = LGDIRendererOffscreenSurface::Create(size, window, dpi);
    }
}

void LGDIRenderContextInfo::SetPresenter(Platform::IRenderPresenter* presenter) {
    if (presenter != mPresenter) {
        mDrawingSurface->TakeOwnPicture();
    }
    mPresenter = presenter;
}

void LGDIRenderContextInfo::ExchangeSurfaces() {
    std::swap(mDrawingSurface, mSpareSurface);
}

}  // namespace QV
