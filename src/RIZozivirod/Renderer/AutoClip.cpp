#include "RIZozivirod/Renderer/AutoClip.h"

#include "RIZozivirod/Renderer/RenderContextInfo.h"

namespace QV {

CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer) : mRenderer(renderer) {
    mRenderer->PushState();
}

CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer, const RectT<double>& bounds, const RectT<double>& clip,
                     const ConstRCPtr<LStencil>& stencil, bool intersect)
    : mRenderer(renderer) {
    mRenderer->PushClip(bounds, clip, stencil, intersect);
}

CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer, const ClipRecord& record) {
    switch (record.flavor) {
        case 0:
            renderer->PushState();
            break;
        case 1:
            renderer->PushClip(record.bounds, record.clip, record.stencil, record.intersect);
            break;
        case 2:
            renderer->PushOrigin(record.origin);
            break;
        default:
            QV_THROW_IN(std::runtime_error, "QV::CAutoClip::CAutoClip", "Unknown PushClip flavor");
    }
    mRenderer = renderer;
}

CAutoClip::~CAutoClip() {
    mRenderer->PopState();
}

RenderState& CurrentRenderState(LRenderer& renderer) {
    LRenderContextInfo* context = renderer.GetCurrentContext();
    if (context == nullptr) {
        static RenderState* const none = new RenderState();
        *none = RenderState();
        return *none;
    }
    return context->GetState();
}

}  // namespace QV
