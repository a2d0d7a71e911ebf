#pragma once

#include "Platform/OpenGL/GLContext.h"

namespace Platform {

// GL contexts on SDL windows (the window must have been made with SDL_WINDOW_OPENGL): RGBA
// with 8 bits a channel, double-buffered, no depth, stencil or accumulation buffer. SDL does
// not tell whether a swap keeps the back buffer, so it is taken as not kept and the renderer
// copies its back buffer to the front. Offscreen surfaces are not made here.
class GLContextProviderSdl : public GLContextProvider {
public:
    std::unique_ptr<GLContext> CreateContext(void* window, int32_t width, int32_t height,
                                             std::string& error) override;
};

}  // namespace Platform
