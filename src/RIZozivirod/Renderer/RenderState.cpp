#include "RIZozivirod/Renderer/RenderState.h"

namespace QV {

RCPtr<LStencil> LStencil::Create(int32_t width, int32_t height) {
    return RCPtr<LStencil>(new LStencil(width, height));
}

LStencil::LStencil(int32_t width, int32_t height)
    : mWidth(width), mHeight(height), mBounds{0, 0, width, height} {}

}  // namespace QV
