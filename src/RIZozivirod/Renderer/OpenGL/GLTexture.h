#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"

namespace QV {

// The power of two a texture side gets for a length: the smallest one not below it, at most
// 16384; 0 for 0.
int32_t GLPowerOfTwo(int32_t length);

// An image that feeds a texture: pixels in a GL format and type, rows pitch bytes apart.
// Owned data is freed when the record is cleared or destroyed; moving leaves the source
// empty.
struct GLImage {
    GLImage() = default;
    GLImage(GLenum format, GLenum type, const void* data, int32_t width, int32_t height, int32_t pitch,
            int32_t bytesPerPixel);
    GLImage(const GLImage&) = delete;
    GLImage& operator=(const GLImage&) = delete;
    GLImage(GLImage&& other) noexcept;
    GLImage& operator=(GLImage&& other) noexcept;
    ~GLImage() { Clear(); }

    void Clear();
    // Replaces the data by an owned copy of width x height, rows padded to 4 bytes, scaled by
    // GLU. False (nothing changed) when GLU refused.
    bool Scale(int32_t newWidth, int32_t newHeight);
    // Fills the bound texture (allocated at least as large) from (0, 0), or builds its mipmaps.
    void Upload(GLenum target, GLenum internalFormat, bool buildMipmaps) const;
    // Repeats the last column and row into the texture beside the image (a texture larger than
    // the image).
    void UploadEdges(GLenum target, int32_t textureWidth, int32_t textureHeight) const;

    GLenum format = 0;
    GLenum type = 0;
    bool ownsData = false;
    const void* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;
    int32_t bytesPerPixel = 0;

private:
    void SetUnpackLayout() const;
};

// A 2-D texture with power-of-two sides, fitted to what the driver accepts. The image sits in
// its top-left part unless it had to be scaled (repeating textures, textures the driver only
// takes smaller, images larger than the largest texture). Used with the renderer's GL context
// current; GL errors are drained, never reported.
class LGLTexture : public LRefCountedObject {
public:
    static constexpr uint32_t kNearest = 1;
    static constexpr uint32_t kRepeat = 2;
    static constexpr uint32_t kMipmaps = 4;
    static constexpr GLuint kNoTexture = 0xFFFFFFFFu;

    LGLTexture() = default;
    ~LGLTexture() override;

    // Builds the texture from the whole pixel store of a bitmap (a sub-bitmap's owner's); a
    // bitmap without pixels leaves the texture empty.
    void SetSource(const ConstRCPtr<LBitmap>& bitmap);
    // Builds the texture from an image (converted to coverage for GL_ALPHA4 and GL_ALPHA8).
    void Create(GLImage& image, GLenum internalFormat, uint32_t flags, float scale);
    // Halves the size until the driver accepts a texture of it; returns the factor (1 when
    // nothing was halved). An internal format the driver reports for an accepted size is taken
    // over.
    static int32_t FitToHardware(int32_t& width, int32_t& height, GLenum& internalFormat, GLenum format,
                                 GLenum type);
    // Draws the source part (in image pixels) into the destination edges, textured, with the
    // current colour.
    void DrawQuad(const RectT<float>& source, float left, float top, float right, float bottom) const;

    GLuint GetName() const { return mName; }
    float GetTextureWidth() const { return mTextureWidth; }
    float GetTextureHeight() const { return mTextureHeight; }
    float GetImageWidth() const { return mImageWidth; }
    float GetImageHeight() const { return mImageHeight; }

protected:
    GLenum mTarget = GL_TEXTURE_2D;
    GLuint mName = kNoTexture;
    float mTextureWidth = 0;
    float mTextureHeight = 0;
    float mImageWidth = 0;
    float mImageHeight = 0;
    float mScaledWidth = 0;
    float mScaledHeight = 0;
    ConstRCPtr<LBitmap> mSource;
};

// Reads and drops every pending GL error.
void DrainGLErrors();

}  // namespace QV
