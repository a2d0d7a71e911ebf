#include "OSMesaContext.h"

#include <GL/gl.h>
#include <GL/osmesa.h>

#include <algorithm>

namespace TestSupport {
namespace {

class MesaOffscreenContext : public Platform::GLContext {
public:
    MesaOffscreenContext(::OSMesaContext context, int32_t width, int32_t height)
        : mContext(context),
          mWidth(width),
          mHeight(height),
          mBuffer(static_cast<size_t>(width) * static_cast<size_t>(height)) {}
    ~MesaOffscreenContext() override { OSMesaDestroyContext(mContext); }

    bool MakeCurrent() override {
        if (!OSMesaMakeCurrent(mContext, mBuffer.data(), GL_UNSIGNED_BYTE, mWidth, mHeight)) {
            mError = "OSMesaMakeCurrent failed";
            return false;
        }
        return true;
    }
    void ReleaseCurrent() override {
        // OSMesa cannot leave no context current; rebinding it keeps its buffer.
    }
    void SwapBuffers() override {}
    bool IsDoubleBuffered() const override { return false; }
    bool SwapKeepsBackBuffer() const override { return false; }
    const std::string& GetError() const override { return mError; }

private:
    ::OSMesaContext mContext;
    int32_t mWidth;
    int32_t mHeight;
    std::vector<uint32_t> mBuffer;
    std::string mError;
};

}  // namespace

std::unique_ptr<Platform::GLContext> OSMesaContextProvider::CreateContext(void*, int32_t width,
                                                                          int32_t height,
                                                                          std::string& error) {
    ::OSMesaContext context = OSMesaCreateContextExt(OSMESA_BGRA, 0, 0, 0, nullptr);
    if (context == nullptr) {
        error = "OSMesaCreateContextExt failed";
        return nullptr;
    }
    return std::make_unique<MesaOffscreenContext>(context, std::max(width, 1), std::max(height, 1));
}

ScopedOSMesa::ScopedOSMesa() {
    Platform::SetGLContextProvider(&mProvider);
}

ScopedOSMesa::~ScopedOSMesa() {
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
    mContext = OSMesaContextProvider().CreateContext(nullptr, width, height, error);
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
