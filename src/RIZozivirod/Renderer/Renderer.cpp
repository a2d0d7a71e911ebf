#include "RIZozivirod/Renderer/Renderer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <stdexcept>

#include "RIZozivirod/Renderer/D3D9Renderer.h"
#include "RIZozivirod/System/Mutex.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

namespace {

// The creators by renderer type: made on first use (a backend's registration may come first),
// never destroyed.
struct CreatorRegistry {
    Mutex lock;
    std::map<int32_t, LRenderer::Creator> creators{{kRendererD3D9, &LD3D9Renderer::CreateForWindow}};
};

CreatorRegistry& RendererRegistry() {
    static CreatorRegistry* const registry = new CreatorRegistry();
    return *registry;
}

PointT<double> RoundToWhole(const PointT<double>& point) {
    return {std::round(point.x), std::round(point.y)};
}

// Larger left and top, smaller right and bottom; no area (width or height not above 2^-52)
// gives an empty rectangle.
RectT<double> IntersectRects(const RectT<double>& a, const RectT<double>& b) {
    const double left = std::max(a.x, b.x);
    const double top = std::max(a.y, b.y);
    const double right = std::min(a.x + a.width, b.x + b.width);
    const double bottom = std::min(a.y + a.height, b.y + b.height);
    constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
    if (!(right - left > kEpsilon) || !(bottom - top > kEpsilon)) {
        return {left, top, 0.0, 0.0};
    }
    return {left, top, right - left, bottom - top};
}

}  // namespace

RCPtr<LRenderer> LRenderer::Create(int32_t type, const RectT<int32_t>& clientRect, WindowHandle window) {
    Creator creator = nullptr;
    {
        CreatorRegistry& registry = RendererRegistry();
        CAutoLock guard(registry.lock);
        const auto found = registry.creators.find(type);
        if (found != registry.creators.end()) {
            creator = found->second;
        }
    }
    if (creator == nullptr) {
        QV_THROW(std::domain_error);
    }
    return creator(clientRect, window);
}

LRenderer::Creator LRenderer::RegisterCreator(int32_t type, Creator creator) {
    CreatorRegistry& registry = RendererRegistry();
    CAutoLock guard(registry.lock);
    Creator previous = nullptr;
    const auto found = registry.creators.find(type);
    if (found != registry.creators.end()) {
        previous = found->second;
        registry.creators.erase(found);
    }
    if (creator != nullptr) {
        registry.creators.emplace(type, creator);
    }
    return previous;
}

LRenderContextInfo* LRenderer::GetCurrentContext() const {
    return mContexts.empty() ? nullptr : mContexts.back().Get();
}

void LRenderer::AbandonRenderContext(const LRenderContextInfo* target) {
    for (size_t i = 0; i < mContexts.size(); ++i) {
        if (mContexts[i].Get() == target) {
            mContexts.resize(i);
            return;
        }
    }
}

int32_t LRenderer::SetViewport(const RectT<int32_t>& viewport) {
    LRenderContextInfo* context = GetCurrentContext();
    return context != nullptr ? context->SetViewport(viewport) : S_OK;
}

int32_t LRenderer::SetStencil(const ConstRCPtr<LStencil>& stencil) {
    LRenderContextInfo* context = GetCurrentContext();
    if (context != nullptr && !(context->GetState().stencil == stencil)) {
        context->GetState().stencil = stencil;
    }
    return S_OK;
}

int32_t LRenderer::RenderStart(const RCPtr<LRenderContextInfo>& target) {
    if (!target) {
        QV_THROW(std::runtime_error, "Render context is NULL");
    }
    for (const RCPtr<LRenderContextInfo>& context : mContexts) {
        if (context == target) {
            QV_THROW(std::runtime_error, "Render context reentered.");
        }
    }
    mContexts.push_back(target);
    return S_OK;
}

int32_t LRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& target) {
    if (mContexts.empty() || !(mContexts.back() == target)) {
        QV_THROW(std::runtime_error, "RenderFinish context does not match RenderStart context");
    }
    mContexts.pop_back();
    return S_OK;
}

int32_t LRenderer::DrawRect(const RectT<int32_t>& rect, const Color& fill, const Color& border,
                            float borderWidth) {
    int32_t result = S_OK;
    if (fill.alpha > 0.0f) {
        result = FillRect(rect, fill, true);
    }
    if (border.alpha > 0.0f) {
        const int32_t framed = FrameRect(rect, border, borderWidth);
        if (Succeeded(result)) {
            result = framed;
        }
    }
    return result;
}

int32_t LRenderer::PushOrigin(const PointT<double>& offset) {
    LRenderContextInfo* context = GetCurrentContext();
    if (context == nullptr || context->GetSavedStates().empty()) {
        return S_OK;
    }
    PushState();
    const PointT<double> rounded = RoundToWhole(offset);
    Translate(rounded);
    RectT<double>& clip = context->GetState().clip;
    clip.x -= rounded.x;
    clip.y -= rounded.y;
    return S_OK;
}

int32_t LRenderer::PushClip(const RectT<double>& bounds, const RectT<double>& clip,
                            const ConstRCPtr<LStencil>& stencil, bool intersect) {
    LRenderContextInfo* context = GetCurrentContext();
    if (context == nullptr) {
        return S_OK;
    }
    const PointT<double>& origin = context->GetState().origin;
    PointT<double> delta{bounds.x, bounds.y};
    if (!intersect) {
        delta = {bounds.x - origin.x, bounds.y - origin.y};
    }
    delta = RoundToWhole(delta);
    PushState();
    RectT<double> r = clip;
    if (intersect) {
        r = IntersectRects(r, bounds);
        r = IntersectRects(r, context->GetState().clip);
    }
    SetClipRect(r.SnapToPixels());
    Translate(delta);
    if (intersect) {
        RectT<double>& stored = context->GetState().clip;
        stored.x -= delta.x;
        stored.y -= delta.y;
    }
    if (stencil) {
        RenderState& state = context->GetState();
        if (!state.hasStencil) {
            SetStencil(stencil);
            state.hasStencil = true;
        } else {
            SetStencil(LStencil::Create(stencil->GetWidth(), stencil->GetHeight()));
        }
    }
    return S_OK;
}

int32_t LRenderer::PushState() {
    LRenderContextInfo* context = GetCurrentContext();
    if (context != nullptr) {
        context->GetSavedStates().push_back(context->GetState());
    }
    return S_OK;
}

int32_t LRenderer::PopState() {
    LRenderContextInfo* context = GetCurrentContext();
    if (context == nullptr || context->GetSavedStates().empty()) {
        return S_OK;
    }
    const RenderState saved = context->GetSavedStates().back();
    context->GetSavedStates().pop_back();
    RenderState& state = context->GetState();
    Translate({saved.origin.x - state.origin.x, saved.origin.y - state.origin.y});
    state.opacity = saved.opacity;
    SetClipRect(saved.clip);
    SetStencil(saved.stencil);
    state.hasStencil = saved.hasStencil;
    return S_OK;
}

int32_t LRenderer::SetClipRect(const RectT<double>& clip) {
    LRenderContextInfo* context = GetCurrentContext();
    if (context != nullptr) {
        context->GetState().clip = clip;
    }
    return S_OK;
}

int32_t LRenderer::Translate(const PointT<double>& delta) {
    LRenderContextInfo* context = GetCurrentContext();
    if (context != nullptr) {
        PointT<double>& origin = context->GetState().origin;
        origin.x += delta.x;
        origin.y += delta.y;
    }
    return S_OK;
}

CAutoRenderFrame::CAutoRenderFrame(LRenderer& renderer, const RCPtr<LRenderContextInfo>& target)
    : mRenderer(renderer), mTarget(target), mSavedStateCount(target ? target->GetSavedStates().size() : 0) {
    mRenderer.RenderStart(mTarget);
}

CAutoRenderFrame::~CAutoRenderFrame() {
    if (mFinished) {
        return;
    }
    try {
        // Only while the target is current: PopState works on the current target.
        while (mRenderer.GetCurrentContext() == mTarget.Get() &&
               mTarget->GetSavedStates().size() > mSavedStateCount) {
            const size_t before = mTarget->GetSavedStates().size();
            mRenderer.PopState();
            if (mTarget->GetSavedStates().size() >= before) {
                break;
            }
        }
    } catch (...) {
    }
    try {
        mRenderer.RenderFinish(mTarget);
    } catch (...) {
        mRenderer.AbandonRenderContext(mTarget.Get());
    }
}

int32_t CAutoRenderFrame::Finish() {
    mFinished = true;
    return mRenderer.RenderFinish(mTarget);
}

}  // namespace QV
