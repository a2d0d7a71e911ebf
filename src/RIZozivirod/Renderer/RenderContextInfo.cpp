#include "RIZozivirod/Renderer/RenderContextInfo.h"

#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

bool LRenderContextInfo::IsViewportAllowed(const RectT<int32_t>& viewport) {
    return viewport.width >= 0 && viewport.height >= 0 && viewport.width <= kMaxViewportSide &&
           viewport.height <= kMaxViewportSide &&
           int64_t{viewport.width} * viewport.height * 4 <= kMaxViewportBytes;
}

LRenderContextInfo::LRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreen)
    : mWindow(window),
      mOffscreen(offscreen),
      mViewport(IsViewportAllowed(viewport) ? viewport : RectT<int32_t>{viewport.x, viewport.y, 0, 0}) {}

LRenderContextInfo::~LRenderContextInfo() {
    mSavedStates.clear();
    mUpdateRegion.Clear();
}

int32_t LRenderContextInfo::SetViewport(const RectT<int32_t>& viewport) {
    if (!IsViewportAllowed(viewport)) {
        return E_INVALIDARG;
    }
    mViewport = viewport;
    return S_OK;
}

}  // namespace QV
