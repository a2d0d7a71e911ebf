#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Platform {

// A GL context and the surface it draws into: a window's (double-buffered) or an offscreen
// one. The OpenGL renderer makes it current around each frame on the drawing thread.
class GLContext {
public:
    virtual ~GLContext() = default;

    // False when the system refused; GetError tells why.
    virtual bool MakeCurrent() = 0;
    // Leaves no context current on this thread.
    virtual void ReleaseCurrent() = 0;
    // Presents the back buffer (nothing for a single-buffered surface).
    virtual void SwapBuffers() = 0;
    virtual bool IsDoubleBuffered() const = 0;
    // True when presenting leaves the back buffer as it was, so a frame may redraw only part
    // of it; otherwise the renderer copies the back buffer to the front itself.
    virtual bool SwapKeepsBackBuffer() const = 0;
    virtual const std::string& GetError() const = 0;
};

// Makes GL contexts: for the program SDL's, for headless tests an offscreen one.
class GLContextProvider {
public:
    virtual ~GLContextProvider() = default;

    // A context for a native window, or for an offscreen surface of the size when the window
    // is null. Null on failure, with the reason in error.
    virtual std::unique_ptr<GLContext> CreateContext(void* window, int32_t width, int32_t height,
                                                     std::string& error) = 0;
};

// The process's provider: SDL's unless one was set. Setting null restores SDL's. The provider
// set must outlive its use.
GLContextProvider& GetGLContextProvider();
void SetGLContextProvider(GLContextProvider* provider);

}  // namespace Platform
