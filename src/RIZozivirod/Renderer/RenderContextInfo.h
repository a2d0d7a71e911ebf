#pragma once

#include <cstdint>
#include <deque>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Renderer/RenderState.h"
#include "RIZozivirod/Utilities/Graphics/RectRegion.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

namespace QV {

// The native window a target belongs to, as the window layer hands it out; 0 is none.
using WindowHandle = intptr_t;

// A render target of one window (or an offscreen image): the update region to draw and present
// in the frame, the viewport, the current render state and the stack of saved states. Backends
// derive their own with the surface they draw into. User-interface thread only.
class LRenderContextInfo : public LRefCountedObject {
public:
    // Largest viewport any backend makes a surface for: 16384 pixels a side and 256 MiB of
    // 32-bit pixels, the limits of every image in the system.
    static constexpr int32_t kMaxViewportSide = 16384;
    static constexpr int64_t kMaxViewportBytes = int64_t{256} * 1024 * 1024;

    // Width and height not negative and within the limits above.
    static bool IsViewportAllowed(const RectT<int32_t>& viewport);

    // A viewport past the limits is kept as an empty one, so no surface is ever sized from it.
    LRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreen);
    ~LRenderContextInfo() override;

    // The largest surface the backend can draw, width and height.
    virtual PointT<int32_t> GetMaxSurfaceSize() const = 0;

    WindowHandle GetWindow() const { return mWindow; }
    // Only drawn into and copied from, never presented to its window.
    bool IsOffscreen() const { return mOffscreen; }

    RectRegion& GetUpdateRegion() { return mUpdateRegion; }
    const RectRegion& GetUpdateRegion() const { return mUpdateRegion; }

    const RectT<int32_t>& GetViewport() const { return mViewport; }
    // E_INVALIDARG, keeping the old viewport, for one past the limits.
    int32_t SetViewport(const RectT<int32_t>& viewport);

    RenderState& GetState() { return mState; }
    const RenderState& GetState() const { return mState; }
    // Saved states; the back is the last saved.
    std::deque<RenderState>& GetSavedStates() { return mSavedStates; }
    const std::deque<RenderState>& GetSavedStates() const { return mSavedStates; }

private:
    WindowHandle mWindow;
    bool mOffscreen;
    RectRegion mUpdateRegion;
    RectT<int32_t> mViewport;
    RenderState mState;
    std::deque<RenderState> mSavedStates;
};

}  // namespace QV
