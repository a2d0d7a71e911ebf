#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Platform/OpenGL/GLContext.h"

// Headless GL for the tests and benchmarks: Mesa's software rasteriser through EGL on the
// surfaceless platform, drawing into pbuffers (single-buffered, 8-bit RGBA) with the
// compatibility profile the OpenGL renderer draws with. The GL entry points are the system GL
// library's own; EGL makes them reach the context. The driver is loaded when the first context
// is made, so a process that never draws with GL does not pay for it at start-up.
namespace TestSupport {

class HeadlessGLContextProvider : public Platform::GLContextProvider {
public:
    // The window is ignored: every context draws into a pbuffer of the size.
    std::unique_ptr<Platform::GLContext> CreateContext(void* window, int32_t width, int32_t height,
                                                       std::string& error) override;
};

// Installs a headless provider as the process's GL-context provider for the scope.
class ScopedHeadlessGL {
public:
    ScopedHeadlessGL();
    ScopedHeadlessGL(const ScopedHeadlessGL&) = delete;
    ScopedHeadlessGL& operator=(const ScopedHeadlessGL&) = delete;
    ~ScopedHeadlessGL();

private:
    HeadlessGLContextProvider mProvider;
};

// The current context's colour buffer as 0xAARRGGBB pixels, top row first.
std::vector<uint32_t> ReadPixels(int32_t width, int32_t height);

// An offscreen headless context of a size, current while the object lives, set up for 2-D
// drawing in pixels (origin top-left, y down), cleared to transparent black, blending on.
class OffscreenGL {
public:
    OffscreenGL(int32_t width, int32_t height);
    OffscreenGL(const OffscreenGL&) = delete;
    OffscreenGL& operator=(const OffscreenGL&) = delete;

    bool IsReady() const { return mContext != nullptr; }
    std::vector<uint32_t> Pixels() const { return ReadPixels(mWidth, mHeight); }
    uint32_t Pixel(int32_t x, int32_t y) const;

private:
    int32_t mWidth;
    int32_t mHeight;
    std::unique_ptr<Platform::GLContext> mContext;
};

}  // namespace TestSupport
