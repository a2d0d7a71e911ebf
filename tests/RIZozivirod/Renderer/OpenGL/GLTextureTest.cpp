#include "RIZozivirod/Renderer/OpenGL/GLTexture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "UITestSupport/HeadlessGL.h"

namespace QV {
namespace {

// A BGRA image whose pixels all differ (a pattern of the coordinates), opaque.
std::vector<uint32_t> Pattern(int32_t width, int32_t height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            pixels[static_cast<size_t>(y) * width + x] =
                0xFF000000u | (static_cast<uint32_t>(x & 0xFF) << 16) | (static_cast<uint32_t>(y * 8) << 8) |
                static_cast<uint32_t>(x >> 8);
        }
    }
    return pixels;
}

GLImage ImageOf(const std::vector<uint32_t>& pixels, int32_t width, int32_t height) {
    return GLImage(GL_BGRA, GL_UNSIGNED_BYTE, pixels.data(), width, height, width * 4, 4);
}

TEST(GLTextureTest, PowerOfTwoSides) {
    const struct {
        int32_t length;
        int32_t side;
    } cases[] = {{0, 0},     {1, 1},         {2, 2},         {3, 4},        {20, 32},
                 {300, 512}, {16384, 16384}, {16385, 16384}, {20000, 16384}};
    for (const auto& c : cases) {
        EXPECT_EQ(GLPowerOfTwo(c.length), c.side) << c.length;
    }
}

TEST(GLTextureTest, FittingHalvesSizesTheDriverRefuses) {
    TestSupport::OffscreenGL gl(8, 8);
    ASSERT_TRUE(gl.IsReady());
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const struct {
        int32_t side;
        int32_t fitted;
        int32_t factor;
    } cases[] = {{256, 256, 1}, {largest * 2, largest, 2}, {largest * 4, largest, 4}};
    for (const auto& c : cases) {
        int32_t width = c.side;
        int32_t height = c.side;
        GLenum internalFormat = GL_RGBA8;
        EXPECT_EQ(LGLTexture::FitToHardware(width, height, internalFormat, GL_BGRA, GL_UNSIGNED_BYTE),
                  c.factor)
            << c.side;
        EXPECT_EQ(width, c.fitted) << c.side;
        EXPECT_EQ(height, c.fitted) << c.side;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// An image smaller than its texture fills the top-left part and draws 1:1 pixel for pixel.
TEST(GLTextureTest, ImageDrawsOneToOneFromTheTopLeftOfItsTexture) {
    TestSupport::OffscreenGL gl(320, 24);
    ASSERT_TRUE(gl.IsReady());
    const std::vector<uint32_t> pixels = Pattern(300, 20);
    GLImage image = ImageOf(pixels, 300, 20);
    RCPtr<LGLTexture> texture(new LGLTexture());
    texture->Create(image, GL_RGBA8, 0, 1.0f);
    EXPECT_EQ(texture->GetTextureWidth(), 512.0f);
    EXPECT_EQ(texture->GetTextureHeight(), 32.0f);

    texture->DrawQuad({0, 0, 300, 20}, 10, 2, 310, 22);
    const std::vector<uint32_t> drawn = gl.Pixels();
    int mismatches = 0;
    for (int32_t y = 0; y < 20; ++y) {
        for (int32_t x = 0; x < 300; ++x) {
            mismatches +=
                drawn[static_cast<size_t>(y + 2) * 320 + x + 10] != pixels[static_cast<size_t>(y) * 300 + x];
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(gl.Pixel(9, 2), 0u);
    EXPECT_EQ(gl.Pixel(310, 21), 0u);
    // A part of the image lands where the quad puts it.
    texture->DrawQuad({100, 5, 10, 10}, 0, 0, 10, 10);
    EXPECT_EQ(gl.Pixel(3, 4), pixels[static_cast<size_t>(9) * 300 + 103]);
}

// Images the texture cannot hold at their own size are scaled into all of it, and a quad of the
// whole image still shows the whole image.
TEST(GLTextureTest, ScaledImagesFillTheirTexture) {
    TestSupport::OffscreenGL gl(64, 40);
    ASSERT_TRUE(gl.IsReady());
    // Four solid quadrants.
    const uint32_t colours[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u};
    std::vector<uint32_t> quadrants(300 * 20);
    for (int32_t y = 0; y < 20; ++y) {
        for (int32_t x = 0; x < 300; ++x) {
            quadrants[static_cast<size_t>(y) * 300 + x] = colours[(y >= 10) * 2 + (x >= 150)];
        }
    }
    GLImage repeating = ImageOf(quadrants, 300, 20);
    RCPtr<LGLTexture> texture(new LGLTexture());
    texture->Create(repeating, GL_RGBA8, LGLTexture::kRepeat | LGLTexture::kNearest, 1.0f);
    EXPECT_EQ(texture->GetImageWidth(), 512.0f);
    texture->DrawQuad({0, 0, 300, 20}, 0, 0, 60, 40);
    EXPECT_EQ(gl.Pixel(5, 5), colours[0]);
    EXPECT_EQ(gl.Pixel(55, 5), colours[1]);
    EXPECT_EQ(gl.Pixel(5, 35), colours[2]);
    EXPECT_EQ(gl.Pixel(55, 35), colours[3]);

    // Wider than the largest texture: scaled down rather than lost in a refused upload.
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const int32_t wide = largest + 3616;
    std::vector<uint32_t> red(static_cast<size_t>(wide) * 2, 0xFFFF0000u);
    GLImage wideImage = ImageOf(red, wide, 2);
    RCPtr<LGLTexture> wideTexture(new LGLTexture());
    wideTexture->Create(wideImage, GL_RGBA8, 0, 1.0f);
    EXPECT_EQ(wideTexture->GetTextureWidth(), static_cast<float>(largest));
    glClear(GL_COLOR_BUFFER_BIT);
    wideTexture->DrawQuad({0, 0, static_cast<float>(wide), 2}, 0, 0, 64, 2);
    EXPECT_EQ(gl.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(gl.Pixel(63, 1), 0xFFFF0000u);
}

// A sub-bitmap's texture is its owner's whole pixel store; a bitmap without pixels gives none.
TEST(GLTextureTest, BitmapsBecomeTexturesOfTheirPixelStore) {
    TestSupport::OffscreenGL gl(8, 8);
    ASSERT_TRUE(gl.IsReady());
    const RCPtr<LBitmap> owner = LBitmap::CreateFilledBitmap({6, 3}, Color::FromARGB(0xFF00FF00u));
    const RCPtr<LBitmap> part = owner->CreateSubBitmap(2, 1, 2, 2);
    RCPtr<LGLTexture> texture(new LGLTexture());
    texture->SetSource(part);
    EXPECT_EQ(texture->GetImageWidth(), 6.0f);
    EXPECT_EQ(texture->GetTextureWidth(), 8.0f);
    texture->DrawQuad({2, 1, 2, 2}, 0, 0, 2, 2);
    EXPECT_EQ(gl.Pixel(1, 1), 0xFF00FF00u);
    EXPECT_EQ(gl.Pixel(2, 2), 0u);

    RCPtr<LGLTexture> empty(new LGLTexture());
    empty->SetSource(RCPtr<LBitmap>(new LBitmap(u"no such file.png", u"")));
    EXPECT_EQ(empty->GetTextureWidth(), 0.0f);
    empty->DrawQuad({0, 0, 4, 4}, 0, 0, 4, 4);
    EXPECT_EQ(gl.Pixel(3, 3), 0u);
}

TEST(GLTextureTest, AlphaTexturesHoldCoverage) {
    TestSupport::OffscreenGL gl(8, 8);
    ASSERT_TRUE(gl.IsReady());
    const struct {
        uint32_t pixel;
        uint8_t coverage;
    } cases[] = {
        {0x00000000u, 0},   {0xFFFFFFFFu, 0},   {0xFF000000u, 255}, {0x01000000u, 255},
        {0xFF808080u, 127}, {0xFFFF0000u, 178}, {0x00FFFFFFu, 0},   {0x000000FFu, 226},
    };
    std::vector<uint32_t> pixels;
    for (const auto& c : cases) {
        pixels.push_back(c.pixel);
    }
    for (const GLenum internalFormat : {GL_ALPHA8, GL_ALPHA4}) {
        GLImage image = ImageOf(pixels, static_cast<int32_t>(pixels.size()), 1);
        RCPtr<LGLTexture> texture(new LGLTexture());
        texture->Create(image, internalFormat, LGLTexture::kNearest, 1.0f);
        EXPECT_EQ(image.bytesPerPixel, 1);
        std::vector<uint8_t> stored(pixels.size());
        glBindTexture(GL_TEXTURE_2D, texture->GetName());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, stored.data());
        for (size_t i = 0; i < pixels.size(); ++i) {
            // Four bits may keep only the top of the coverage.
            const int tolerance = internalFormat == GL_ALPHA8 ? 0 : 17;
            EXPECT_NEAR(stored[i], cases[i].coverage, tolerance) << std::hex << cases[i].pixel;
        }
    }
}

}  // namespace
}  // namespace QV
