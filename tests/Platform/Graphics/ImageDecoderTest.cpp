#include "Platform/Graphics/ImageDecoder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "UITestSupport/PngFixtures.h"

namespace {

using Platform::DecodedImage;
using Platform::DecodeImage;
using Platform::DecodeImageFile;
using Platform::ImageStatus;
using Platform::PixelImage;
using QVTest::EncodePng;
using QVTest::PngPicture;

std::vector<uint32_t> Pixels(const PixelImage& image) {
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < image.GetHeight(); ++y) {
        pixels.insert(pixels.end(), image.GetRow(y), image.GetRow(y) + image.GetWidth());
    }
    return pixels;
}

// An interlaced colour picture whose every pixel differs: (x * 40, y * 40, x + y).
PngPicture InterlacedPicture() {
    PngPicture picture(5, 5, PNG_COLOR_TYPE_RGB, 8, {}, true);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            picture.rows.insert(picture.rows.end(), {uint8_t(x * 40), uint8_t(y * 40), uint8_t(x + y)});
        }
    }
    return picture;
}

std::vector<uint32_t> InterlacedPixels() {
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < 5; ++y) {
        for (uint32_t x = 0; x < 5; ++x) {
            pixels.push_back(0xFF000000u | (x * 40) << 16 | (y * 40) << 8 | (x + y));
        }
    }
    return pixels;
}

// 16-bit grey, interlaced: multiples of 0x1111 scale to multiples of 0x11 exactly.
PngPicture DeepGreyPicture() {
    PngPicture picture(3, 3, PNG_COLOR_TYPE_GRAY, 16, {}, true);
    for (int i = 0; i < 9; ++i) {
        picture.rows.insert(picture.rows.end(), {uint8_t(i * 0x11), uint8_t(i * 0x11)});
    }
    return picture;
}

TEST(ImageDecoder, EveryFormatBecomesStraightARGB) {
    struct Case {
        const char* what;
        PngPicture picture;
        std::vector<uint32_t> pixels;
    };
    const Case cases[] = {
        {"rgb",
         PngPicture(2, 1, PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 200, 100, 50}),
         {0xFF0A141E, 0xFFC86432}},
        // Straight alpha: colour bytes are kept whatever the alpha, also under alpha 0.
        {"rgba",
         PngPicture(2, 1, PNG_COLOR_TYPE_RGBA, 8, {255, 0, 0, 128, 1, 2, 3, 0}),
         {0x80FF0000, 0x00010203}},
        {"palette, 4-bit, with alpha",
         PngPicture(3, 1, PNG_COLOR_TYPE_PALETTE, 4, {0x01, 0x20})
             .WithPalette({255, 0, 0, 0, 255, 0, 0, 0, 255}, {0, 128}),
         {0x00FF0000, 0x8000FF00, 0xFF0000FF}},
        {"grey, 1-bit",
         PngPicture(3, 1, PNG_COLOR_TYPE_GRAY, 1, {0xA0}),
         {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}},
        {"grey with a transparent value",
         PngPicture(2, 1, PNG_COLOR_TYPE_GRAY, 8, {7, 8}).WithTransparentGray(7),
         {0x00070707, 0xFF080808}},
        {"grey and alpha",
         PngPicture(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {100, 50, 255, 255}),
         {0x32646464, 0xFFFFFFFF}},
        // 16-bit samples scale to the nearest byte: 0x01FF is 1.99 steps, 0x4000 63.75.
        {"rgba, 16-bit",
         PngPicture(1, 2, PNG_COLOR_TYPE_RGBA, 16,
                    {0xFF, 0xFF, 0x01, 0xFF, 0x80, 0x80, 0x40, 0x00, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}),
         {0x40FF0280, 0xFF000000}},
        {"rgb, interlaced", InterlacedPicture(), InterlacedPixels()},
        {"grey, 16-bit, interlaced",
         DeepGreyPicture(),
         {0xFF000000, 0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444, 0xFF555555, 0xFF666666, 0xFF777777,
          0xFF888888}},
    };
    QVTest::ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> bytes = EncodePng(c.picture);
        const DecodedImage fromMemory = DecodeImage(bytes.data(), bytes.size());
        ASSERT_EQ(fromMemory.status, ImageStatus::Ok);
        ASSERT_TRUE(fromMemory.image);
        EXPECT_EQ(fromMemory.image->GetWidth(), c.picture.width);
        EXPECT_EQ(fromMemory.image->GetHeight(), c.picture.height);
        EXPECT_EQ(fromMemory.image->GetPitch(), c.picture.width * 4);
        EXPECT_EQ(Pixels(*fromMemory.image), c.pixels);

        const DecodedImage fromFile = DecodeImageFile(folder.Put("picture.png", bytes).c_str());
        ASSERT_TRUE(fromFile.image);
        EXPECT_EQ(Pixels(*fromFile.image), c.pixels);
    }
}

// Every cut of a good file, and damage inside it, gives no image: never a part of one.
TEST(ImageDecoder, TruncatedOrDamagedDataGivesNoImage) {
    const std::vector<uint8_t> good = EncodePng(InterlacedPicture());
    QVTest::ScratchFolder folder;
    for (size_t length = 0; length < good.size(); ++length) {
        const DecodedImage decoded = DecodeImage(good.data(), length);
        EXPECT_FALSE(decoded.image) << length;
        EXPECT_EQ(decoded.status, length < 8 ? ImageStatus::UnknownFormat : ImageStatus::Corrupt) << length;
        if (length % 16 == 0) {
            const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(length));
            EXPECT_FALSE(DecodeImageFile(folder.Put("cut.png", cut).c_str()).image) << length;
        }
    }
    // A damaged header, image data, and the end chunk (each caught by its checksum).
    for (const size_t offset : {size_t{20}, good.size() / 2, good.size() - 6}) {
        std::vector<uint8_t> damaged = good;
        damaged[offset] ^= 0x5A;
        const DecodedImage decoded = DecodeImage(damaged.data(), damaged.size());
        EXPECT_FALSE(decoded.image) << offset;
        EXPECT_EQ(decoded.status, ImageStatus::Corrupt) << offset;
    }
    const std::string text = "not a picture at all";
    EXPECT_EQ(DecodeImage(text.data(), text.size()).status, ImageStatus::UnknownFormat);
    EXPECT_EQ(DecodeImage(nullptr, 100).status, ImageStatus::UnknownFormat);
    EXPECT_EQ(DecodeImageFile((folder.GetPath() + "/missing.png").c_str()).status, ImageStatus::FileNotFound);
    EXPECT_FALSE(DecodeImageFile(folder.GetPath().c_str()).image) << "a folder";
    EXPECT_EQ(DecodeImageFile(nullptr).status, ImageStatus::FileNotFound);
}

// Sizes come from the file's header: past the limits nothing is allocated.
TEST(ImageDecoder, PicturesPastTheSizeLimitsGiveNoImage) {
    struct Case {
        int width;
        int height;
    };
    for (const Case c : {Case{20000, 1}, Case{1, 16385}, Case{8193, 8192}}) {
        const PngPicture picture(
            c.width, c.height, PNG_COLOR_TYPE_GRAY, 1,
            std::vector<uint8_t>(static_cast<size_t>((c.width + 7) / 8) * static_cast<size_t>(c.height)));
        const std::vector<uint8_t> bytes = EncodePng(picture);
        const DecodedImage decoded = DecodeImage(bytes.data(), bytes.size());
        EXPECT_FALSE(decoded.image) << c.width << " x " << c.height;
        EXPECT_EQ(decoded.status, ImageStatus::TooLarge) << c.width << " x " << c.height;
    }
}

TEST(PixelImage, SizesWithinTheLimitsOnly) {
    struct Case {
        int64_t width;
        int64_t height;
        bool allowed;
    };
    const Case cases[] = {
        {1, 1, true},      {16384, 4096, true},          {4096, 16384, true}, {16385, 1, false},
        {1, 16385, false}, {8193, 8192, false},          {0, 10, false},      {10, 0, false},
        {-1, -1, false},   {int64_t{1} << 32, 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PixelImage::IsAllowedSize(c.width, c.height), c.allowed) << c.width << " x " << c.height;
    }
    EXPECT_FALSE(PixelImage::Create(16385, 1));
    EXPECT_FALSE(PixelImage::CreateFilled(-5, 3, 0));
}

}  // namespace
