#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Platform/OpenGL/GLContext.h"

// Headless GL for the tests and benchmarks: Mesa's offscreen contexts drawing into memory
// (single-buffered, 8-bit BGRA). The test executable links OSMesa itself, so its GL entry
// points come before those of the system's GL library.
namespace TestSupport {

class OSMesaContextProvider : public Platform::GLContextProvider {
public:
    // The window is ignored: every context draws into memory of the size.
    std::unique_ptr<Platform::GLContext> CreateContext(void* window, int32_t width, int32_t height,
                                                       std::string& error) override;
};

// Installs an OSMesa provider as the process's GL-context provider for the scope.
class ScopedOSMesa {
public:
    ScopedOSMesa();
    ScopedOSMesa(const ScopedOSMesa&) = delete;
    ScopedOSMesa& operator=(const ScopedOSMesa&) = delete;
    ~ScopedOSMesa();

private:
    OSMesaContextProvider mProvider;
};

// The current context's colour buffer as 0xAARRGGBB pixels, top row first.
std::vector<uint32_t> ReadPixels(int32_t width, int32_t height);

// An offscreen OSMesa context of a size, current while the object lives, set up for 2-D
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
