#include "UITestSupport/HeadlessGL.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace TestSupport {
namespace {

// The surfaceless display of the process, initialised on first use and kept (EGL_NO_DISPLAY when
// there is none), with the reason it could not be had.
struct HeadlessDisplay {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLConfig config = nullptr;
    std::string error;
};

const HeadlessDisplay& GetHeadlessDisplay() {
    static const HeadlessDisplay* shared = [] {
        auto* made = new HeadlessDisplay();
        const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
        if (extensions == nullptr || std::strstr(extensions, "EGL_MESA_platform_surfaceless") == nullptr) {
            made->error = "EGL has no surfaceless platform";
            return made;
        }
        EGLDisplay display =
            eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display == EGL_NO_DISPLAY || eglInitialize(display, nullptr, nullptr) != EGL_TRUE) {
            made->error = "eglInitialize failed on the surfaceless platform";
            return made;
        }
        const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                     EGL_PBUFFER_BIT,
                                     EGL_RED_SIZE,
                                     8,
                                     EGL_GREEN_SIZE,
                                     8,
                                     EGL_BLUE_SIZE,
                                     8,
                                     EGL_ALPHA_SIZE,
                                     8,
                                     EGL_RENDERABLE_TYPE,
                                     EGL_OPENGL_BIT,
                                     EGL_NONE};
        EGLint count = 0;
        if (eglChooseConfig(display, attributes, &made->config, 1, &count) != EGL_TRUE || count < 1) {
            made->error = "no EGL configuration for 8-bit RGBA pbuffers with OpenGL";
            return made;
        }
        made->display = display;
        return made;
    }();
    return *shared;
}

class HeadlessContext : public Platform::GLContext {
public:
    HeadlessContext(EGLDisplay display, EGLSurface surface, EGLContext context)
        : mDisplay(display), mSurface(surface), mContext(context) {}
    ~HeadlessContext() override {
        if (eglGetCurrentContext() == mContext) {
            eglMakeCurrent(mDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
        eglDestroyContext(mDisplay, mContext);
        eglDestroySurface(mDisplay, mSurface);
    }

    bool MakeCurrent() override {
        if (eglMakeCurrent(mDisplay, mSurface, mSurface, mContext) != EGL_TRUE) {
            mError = "eglMakeCurrent failed";
            return false;
        }
        if (!mCleared) {
            // A new pbuffer holds whatever its memory held; a new surface starts transparent
            // black, as memory of our own would. The fresh context's clear colour is exactly that.
            glClear(GL_COLOR_BUFFER_BIT);
            mCleared = true;
        }
        return true;
    }
    void ReleaseCurrent() override {
        // The context stays current so that a test can read what a frame drew after the
        // renderer let it go; the next MakeCurrent rebinds it.
    }
    void SwapBuffers() override {}
    bool IsDoubleBuffered() const override { return false; }
    bool SwapKeepsBackBuffer() const override { return false; }
    const std::string& GetError() const override { return mError; }

private:
    EGLDisplay mDisplay;
    EGLSurface mSurface;
    EGLContext mContext;
    bool mCleared = false;
    std::string mError;
};

}  // namespace

std::unique_ptr<Platform::GLContext> HeadlessGLContextProvider::CreateContext(void*, int32_t width,
                                                                              int32_t height,
                                                                              std::string& error) {
    const HeadlessDisplay& shared = GetHeadlessDisplay();
    if (shared.display == EGL_NO_DISPLAY) {
        error = shared.error;
        return nullptr;
    }
    const EGLint size[] = {EGL_WIDTH, std::max(width, 1), EGL_HEIGHT, std::max(height, 1), EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(shared.display, shared.config, size);
    if (surface == EGL_NO_SURFACE) {
        error = "eglCreatePbufferSurface failed";
        return nullptr;
    }
    EGLContext context = EGL_NO_CONTEXT;
    if (eglBindAPI(EGL_OPENGL_API) == EGL_TRUE) {
        context = eglCreateContext(shared.display, shared.config, EGL_NO_CONTEXT, nullptr);
    }
    if (context == EGL_NO_CONTEXT) {
        eglDestroySurface(shared.display, surface);
        error = "eglCreateContext failed";
        return nullptr;
    }
    return std::make_unique<HeadlessContext>(shared.display, surface, context);
}

ScopedHeadlessGL::ScopedHeadlessGL() {
    Platform::SetGLContextProvider(&mProvider);
}

ScopedHeadlessGL::~ScopedHeadlessGL() {
    Platform::SetGLContextProvider(nullptr);
}

std::vector<uint32_t> ReadPixels(int32_t width, int32_t height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    // GL's rows run bottom to top.
    for (int32_t y = 0; y < height / 2; ++y) {
        std::swap_ranges(pixels.begin() + y * width, pixels.begin() + (y + 1) * width,
                         pixels.begin() + (height - 1 - y) * width);
    }
    return pixels;
}

OffscreenGL::OffscreenGL(int32_t width, int32_t height) : mWidth(width), mHeight(height) {
    std::string error;
    mContext = HeadlessGLContextProvider().CreateContext(nullptr, width, height, error);
    if (mContext == nullptr || !mContext->MakeCurrent()) {
        mContext.reset();
        return;
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DITHER);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
}

uint32_t OffscreenGL::Pixel(int32_t x, int32_t y) const {
    uint32_t pixel = 0;
    glReadPixels(x, mHeight - 1 - y, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

}  // namespace TestSupport
