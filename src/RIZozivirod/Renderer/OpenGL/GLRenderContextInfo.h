#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "RIZozivirod/Renderer/RenderContextInfo.h"

namespace QV {

// A target of the OpenGL renderer. A window's target draws into the renderer's GL context. An
// offscreen target keeps its picture in a texture of its own: a frame draws it into the
// context's framebuffer at (0, 0) and takes it back at the end, so its picture lasts from frame
// to frame and can be drawn into other targets.
class LGLRenderContextInfo : public LRenderContextInfo {
public:
    LGLRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreen,
                         const PointT<int32_t>& maxViewport);
    ~LGLRenderContextInfo() override;

    // The largest viewport the context draws (GL_MAX_VIEWPORT_DIMS when the target was made).
    PointT<int32_t> GetMaxSurfaceSize() const override { return mMaxViewport; }

    // The offscreen picture's texture, 0 until a frame has ended; its sides are powers of two
    // at least the viewport's, the picture in its bottom-left part (GL's row order).
    GLuint GetPictureTexture() const { return mPicture; }
    int32_t GetPictureWidth() const { return mPictureWidth; }
    int32_t GetPictureHeight() const { return mPictureHeight; }
    // Takes the viewport's pixels of the framebuffer into the picture.
    void TakePicture();

private:
    PointT<int32_t> mMaxViewport;
    GLuint mPicture = 0;
    int32_t mPictureWidth = 0;
    int32_t mPictureHeight = 0;
};

}  // namespace QV
