#pragma once

#include <cstdint>

#include "RIZozivirod/Renderer/RenderState.h"
#include "RIZozivirod/Renderer/Renderer.h"

namespace QV {

// A render state to push: 0 a plain saved state, 1 a clip (bounds, clip rectangle, stencil,
// intersect flag), 2 an origin.
struct ClipRecord {
    int32_t flavor = 0;
    RectT<double> bounds;
    RectT<double> clip;
    RCPtr<LStencil> stencil;
    bool intersect = true;
    PointT<double> origin;
};

// Pushes a render state for its scope and pops it at the end, however the scope is left.
class CAutoClip {
public:
    explicit CAutoClip(const RCPtr<LRenderer>& renderer);
    CAutoClip(const RCPtr<LRenderer>& renderer, const RectT<double>& bounds, const RectT<double>& clip,
              const ConstRCPtr<LStencil>& stencil, bool intersect = true);
    // A flavour other than 0, 1 or 2 raises "Unknown PushClip flavor".
    CAutoClip(const RCPtr<LRenderer>& renderer, const ClipRecord& record);
    ~CAutoClip();
    CAutoClip(const CAutoClip&) = delete;
    CAutoClip& operator=(const CAutoClip&) = delete;

private:
    RCPtr<LRenderer> mRenderer;
};

// The renderer's current state; a state without clip when no frame is open.
RenderState& CurrentRenderState(LRenderer& renderer);

}  // namespace QV
