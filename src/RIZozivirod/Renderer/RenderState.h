#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

namespace QV {

// A stencil handed to PushClip: its size and bounds. Renderers only keep the current one.
class LStencil : public virtual LRefCountedObject {
public:
    static RCPtr<LStencil> Create(int32_t width, int32_t height);

    // The bounds start as (0, 0, width, height).
    LStencil(int32_t width, int32_t height);

    int32_t GetWidth() const { return mWidth; }
    int32_t GetHeight() const { return mHeight; }
    const RectT<int32_t>& GetBounds() const { return mBounds; }

private:
    int32_t mWidth;
    int32_t mHeight;
    RectT<int32_t> mBounds;
};

// What a target draws with: the origin of the current coordinates on the target, the clip
// rectangle in those coordinates, the opacity controls multiply their colours by, and the
// stencil. Saved and restored as a whole by PushState and PopState.
class RenderState {
public:
    // A clip that clips nothing: -5e15 to 5e15 on both axes, as single-precision values.
    static constexpr RectT<double> kNoClip{-5000000136282112.0, -5000000136282112.0, 10000000272564224.0,
                                           10000000272564224.0};

    RenderState() = default;
    RenderState(const RenderState&) = default;
    RenderState& operator=(const RenderState&) = default;
    virtual ~RenderState() = default;

    PointT<double> origin;
    RectT<double> clip = kNoClip;
    float opacity = 1.0f;
    // Set once PushClip has given this state a stencil.
    bool hasStencil = false;
    ConstRCPtr<LStencil> stencil;
};

}  // namespace QV
