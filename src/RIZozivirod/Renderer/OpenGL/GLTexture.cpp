#include "RIZozivirod/Renderer/OpenGL/GLTexture.h"

#include <GL/glu.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace QV {
namespace {

constexpr int32_t kLargestSide = 16384;

int32_t PaddedPitch(int32_t width, int32_t bytesPerPixel) {
    return (width * bytesPerPixel + 3) & ~3;
}

// Coverage of a packed 0xAARRGGBB pixel for alpha textures: dark ink covers, white does not.
uint8_t Coverage(uint32_t pixel) {
    if (pixel == 0) {
        return 0;
    }
    const float r = static_cast<float>((pixel >> 16) & 0xFF);
    const float g = static_cast<float>((pixel >> 8) & 0xFF);
    const float b = static_cast<float>(pixel & 0xFF);
    return static_cast<uint8_t>(255.0f - (0.3f * r + 0.59f * g + 0.11f * b));
}

// The image as one coverage byte per pixel, rows padded to 4 bytes.
void ConvertToCoverage(GLImage& image) {
    const int32_t pitch = PaddedPitch(image.width, 1);
    uint8_t* out = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(pitch) * image.height, 1));
    if (out == nullptr) {
        return;
    }
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(image.data) + static_cast<size_t>(y) * image.pitch;
        for (int32_t x = 0; x < image.width; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, row + static_cast<size_t>(x) * 4, 4);
            out[static_cast<size_t>(y) * pitch + x] = Coverage(pixel);
        }
    }
    const int32_t width = image.width;
    const int32_t height = image.height;
    image = GLImage(GL_ALPHA, GL_UNSIGNED_BYTE, nullptr, width, height, pitch, 1);
    image.data = out;
    image.ownsData = true;
}

}  // namespace

void DrainGLErrors() {
    // Bounded: a lost context may report an error on every call.
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

int32_t GLPowerOfTwo(int32_t length) {
    int32_t result = 1;
    while (result < length && result < kLargestSide) {
        result *= 2;
    }
    if (2 * length < result) {
        result /= 2;
    }
    return result;
}

GLImage::GLImage(GLenum format, GLenum type, const void* data, int32_t width, int32_t height, int32_t pitch,
                 int32_t bytesPerPixel)
    : format(format),
      type(type),
      data(data),
      width(width),
      height(height),
      pitch(pitch),
      bytesPerPixel(bytesPerPixel) {}

GLImage::GLImage(GLImage&& other) noexcept {
    *this = std::move(other);
}

GLImage& GLImage::operator=(GLImage&& other) noexcept {
    if (this != &other) {
        Clear();
        format = std::exchange(other.format, 0);
        type = std::exchange(other.type, 0);
        ownsData = std::exchange(other.ownsData, false);
        data = std::exchange(other.data, nullptr);
        width = std::exchange(other.width, 0);
        height = std::exchange(other.height, 0);
        pitch = std::exchange(other.pitch, 0);
        bytesPerPixel = std::exchange(other.bytesPerPixel, 0);
    }
    return *this;
}

void GLImage::Clear() {
    if (ownsData) {
        std::free(const_cast<void*>(data));
    }
    format = 0;
    type = 0;
    ownsData = false;
    data = nullptr;
    width = height = pitch = bytesPerPixel = 0;
}

void GLImage::SetUnpackLayout() const {
    const int32_t remainder = bytesPerPixel > 0 ? pitch % bytesPerPixel : 0;
    int32_t alignment = 1;
    while (remainder != 0 && alignment <= remainder) {
        alignment *= 2;
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, bytesPerPixel > 0 ? pitch / bytesPerPixel : 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

bool GLImage::Scale(int32_t newWidth, int32_t newHeight) {
    if (data == nullptr || newWidth < 1 || newHeight < 1) {
        return false;
    }
    const int32_t newPitch = PaddedPitch(newWidth, bytesPerPixel);
    void* out = std::calloc(static_cast<size_t>(newPitch) * newHeight, 1);
    if (out == nullptr) {
        return false;
    }
    SetUnpackLayout();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    const GLint result = gluScaleImage(format, width, height, type, data, newWidth, newHeight, type, out);
    DrainGLErrors();
    if (result != 0) {
        std::free(out);
        return false;
    }
    if (ownsData) {
        std::free(const_cast<void*>(data));
    }
    data = out;
    ownsData = true;
    width = newWidth;
    height = newHeight;
    pitch = newPitch;
    return true;
}

void GLImage::UploadEdges(GLenum target, int32_t textureWidth, int32_t textureHeight) const {
    if (data == nullptr || width <= 0 || height <= 0) {
        return;
    }
    SetUnpackLayout();
    // The last column and row once more beside the image, so filtering at the image's right
    // and bottom edges reads its own colours rather than the unset rest of the texture.
    if (width < textureWidth) {
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, width - 1);
        glTexSubImage2D(target, 0, width, 0, 1, height, format, type, data);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    }
    if (height < textureHeight) {
        glPixelStorei(GL_UNPACK_SKIP_ROWS, height - 1);
        glTexSubImage2D(target, 0, 0, height, width, 1, format, type, data);
        if (width < textureWidth) {
            glPixelStorei(GL_UNPACK_SKIP_PIXELS, width - 1);
            glTexSubImage2D(target, 0, width, height, 1, 1, format, type, data);
            glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        }
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    }
    DrainGLErrors();
}

void GLImage::Upload(GLenum target, GLenum internalFormat, bool buildMipmaps) const {
    SetUnpackLayout();
    if (buildMipmaps) {
        gluBuild2DMipmaps(target, static_cast<GLint>(internalFormat), width, height, format, type, data);
    } else {
        glTexSubImage2D(target, 0, 0, 0, width, height, format, type, data);
    }
    DrainGLErrors();
}

LGLTexture::~LGLTexture() {
    if (mName != kNoTexture && glIsTexture(mName)) {
        glDeleteTextures(1, &mName);
    }
}

void LGLTexture::SetSource(const ConstRCPtr<LBitmap>& bitmap) {
    mSource = bitmap;
    if (!bitmap) {
        return;
    }
    // Locking only reads the pixels.
    const RCPtr<LBitmapData> data = const_cast<LBitmap*>(bitmap.Get())->LockData();
    const uint32_t* pixels = data ? data->GetPixelPointer(0, 0) : nullptr;
    if (pixels == nullptr) {
        return;
    }
    GLImage image(GL_BGRA, GL_UNSIGNED_BYTE, pixels, data->GetWidth(), data->GetHeight(), data->GetPitch(),
                  4);
    Create(image, GL_RGBA8, 0, 1.0f);
}

int32_t LGLTexture::FitToHardware(int32_t& width, int32_t& height, GLenum& internalFormat, GLenum format,
                                  GLenum type) {
    int32_t factor = 1;
    while (width > 1 && height > 1) {
        glTexImage2D(GL_PROXY_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), width, height, 0, format,
                     type, nullptr);
        // A refused proxy shows as a width and height of 0, with or without an error (Mesa
        // reports none), so the size read back decides.
        GLint proxyWidth = 0;
        GLint proxyHeight = 0;
        GLint proxyFormat = 0;
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &proxyHeight);
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &proxyFormat);
        DrainGLErrors();
        if (proxyWidth == width && proxyHeight == height) {
            if (proxyFormat != 0) {
                internalFormat = static_cast<GLenum>(proxyFormat);
            }
            break;
        }
        width /= 2;
        height /= 2;
        factor *= 2;
    }
    DrainGLErrors();
    return factor;
}

void LGLTexture::Create(GLImage& image, GLenum internalFormat, uint32_t flags, float scale) {
    if (mName == kNoTexture || !glIsTexture(mName)) {
        glGenTextures(1, &mName);
    }
    glBindTexture(mTarget, mName);

    if ((internalFormat == GL_ALPHA4 || internalFormat == GL_ALPHA8) && image.bytesPerPixel == 4) {
        ConvertToCoverage(image);
    }
    mImageWidth = static_cast<float>(image.width);
    mImageHeight = static_cast<float>(image.height);
    mScaledWidth = mImageWidth / scale;
    mScaledHeight = mImageHeight / scale;
    int32_t textureWidth = GLPowerOfTwo(image.width);
    int32_t textureHeight = GLPowerOfTwo(image.height);

    const bool nearest = (flags & kNearest) != 0;
    const bool mipmaps = (flags & kMipmaps) != 0;
    const bool repeat = (flags & kRepeat) != 0;
    const GLint minFilter = nearest ? (mipmaps ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST)
                                    : (mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(mTarget, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(mTarget, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
    // Clamped to the edge texels, never to a border colour, so scaled edges keep their colour.
    glTexParameteri(mTarget, GL_TEXTURE_WRAP_S, repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    glTexParameteri(mTarget, GL_TEXTURE_WRAP_T, repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);

    const int32_t factor =
        FitToHardware(textureWidth, textureHeight, internalFormat, image.format, image.type);
    // A repeating texture needs the image over all of it; a halved texture, or one smaller than
    // an image past the largest side, cannot hold the image at its size.
    const bool tooLarge = image.width > textureWidth || image.height > textureHeight;
    if ((repeat || factor > 1 || tooLarge) &&
        (image.width != textureWidth || image.height != textureHeight)) {
        if (image.Scale(textureWidth, textureHeight)) {
            mImageWidth = static_cast<float>(textureWidth);
            mImageHeight = static_cast<float>(textureHeight);
        }
    }
    mTextureWidth = static_cast<float>(textureWidth);
    mTextureHeight = static_cast<float>(textureHeight);

    glTexImage2D(mTarget, 0, static_cast<GLint>(internalFormat), textureWidth, textureHeight, 0, image.format,
                 image.type, nullptr);
    image.Upload(mTarget, internalFormat, mipmaps);
    if (!mipmaps) {
        image.UploadEdges(mTarget, textureWidth, textureHeight);
    }
}

void LGLTexture::DrawQuad(const RectT<float>& source, float left, float top, float right,
                          float bottom) const {
    if (mTextureWidth <= 0 || mTextureHeight <= 0 || mScaledWidth <= 0 || mScaledHeight <= 0) {
        return;
    }
    // Source pixels of the image as given to Create, through the part of the texture the
    // image fills (all of it once scaled).
    const float u = mImageWidth / (mScaledWidth * mTextureWidth);
    const float v = mImageHeight / (mScaledHeight * mTextureHeight);
    const float u0 = source.x * u;
    const float u1 = (source.x + source.width) * u;
    const float v0 = source.y * v;
    const float v1 = (source.y + source.height) * v;
    glEnable(mTarget);
    glBindTexture(mTarget, mName);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, v0);
    glVertex2f(left, top);
    glTexCoord2f(u0, v1);
    glVertex2f(left, bottom);
    glTexCoord2f(u1, v1);
    glVertex2f(right, bottom);
    glTexCoord2f(u1, v0);
    glVertex2f(right, top);
    glEnd();
    glDisable(mTarget);
}

}  // namespace QV
