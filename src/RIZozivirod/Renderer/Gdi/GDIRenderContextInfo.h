#pragma once

#include <cstdint>

#include "Platform/Graphics/RenderPresenter.h"
#include "RIZozivirod/Renderer/Gdi/GDIRendererOffscreenSurface.h"
#include "RIZozivirod/Renderer/RenderContextInfo.h"

namespace QV {

// The Cairo renderer's target: everything is drawn into the drawing surface, which keeps its
// picture from frame to frame, so a frame repaints only its update region and presents only
// that; the spare surface takes the shifted picture in CopyRenderContext. Only offscreen targets
// are copied that way, so only they have a spare surface (a window's target has none: null, which
// saves a second window-sized picture). The surfaces have the viewport's size (at least 1 x 1).
// A window's target presents to the presenter the window
// layer sets; without one (and for offscreen targets) nothing is presented. Where the presenter
// gives the window's pixels, a window's target draws in them instead of a picture of its own.
class LGDIRenderContextInfo : public LRenderContextInfo {
public:
    LGDIRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreen, int32_t dpi);

    PointT<int32_t> GetMaxSurfaceSize() const override { return {4096, 4096}; }

    const RCPtr<LGDIRendererOffscreenSurface>& GetDrawingSurface() const { return mDrawingSurface; }
    // Null for a target that is not offscreen.
    const RCPtr<LGDIRendererOffscreenSurface>& GetSpareSurface() const { return mSpareSurface; }
    // Only for an offscreen target (which has a spare surface).
    void ExchangeSurfaces();

    // Not owned: the window layer keeps it alive as long as the target, or sets null first. The
    // target leaves the pixels of the presenter it had, keeping a copy of their picture.
    void SetPresenter(Platform::IRenderPresenter* presenter);
    Platform::IRenderPresenter* GetPresenter() const { return mPresenter; }

private:
    RCPtr<LGDIRendererOffscreenSurface> mDrawingSurface;
    RCPtr<LGDIRendererOffscreenSurface> mSpareSurface;
    Platform::IRenderPresenter* mPresenter = nullptr;
};

}  // namespace QV
