#include "RIZozivirod/Renderer/OpenGL/GLRenderContextInfo.h"

#include <algorithm>

#include "RIZozivirod/Renderer/OpenGL/GLTexture.h"

namespace QV {

LGLRenderContextInfo::LGLRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window,
                                           bool offscreen, const PointT<int32_t>& maxViewport)
    : LRenderContextInfo(viewport, window, offscreen), mMaxViewport(maxViewport) {}

LGLRenderContextInfo::~LGLRenderContextInfo() {
    if (mPicture != 0 && glIsTexture(mPicture)) {
        glDeleteTextures(1, &mPicture);
    }
}

void LGLRenderContextInfo::TakePicture() {
    const RectT<int32_t>& viewport = GetViewport();
    if (viewport.width <= 0 || viewport.height <= 0) {
        return;
    }
    const int32_t width = std::max(GLPowerOfTwo(viewport.width), viewport.width);
    const int32_t height = std::max(GLPowerOfTwo(viewport.height), viewport.height);
    if (mPicture == 0 || !glIsTexture(mPicture)) {
        glGenTextures(1, &mPicture);
        mPictureWidth = 0;
    }
    glBindTexture(GL_TEXTURE_2D, mPicture);
    if (mPictureWidth != width || mPictureHeight != height) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        mPictureWidth = width;
        mPictureHeight = height;
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, viewport.width, viewport.height);
    DrainGLErrors();
}

}  // namespace QV
