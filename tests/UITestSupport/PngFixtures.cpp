#include "UITestSupport/PngFixtures.h"

#include <png.h>
#include <stdlib.h>

#include <csetjmp>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace QVTest {

namespace {

void WriteToVector(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

// Only plain data in this frame: libpng leaves it by a long jump on an error.
bool Write(png_structp png, png_infop info, const PngPicture& picture, png_bytep* rows) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 picture.bitDepth, picture.colorType,
                 picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!picture.palette.empty()) {
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(picture.palette.data()),
                     static_cast<int>(picture.palette.size() / 3));
    }
    if (!picture.paletteAlpha.empty()) {
        png_set_tRNS(png, info, picture.paletteAlpha.data(), static_cast<int>(picture.paletteAlpha.size()),
                     nullptr);
    }
    if (picture.transparentGray >= 0) {
        png_color_16 gray{};
        gray.gray = static_cast<png_uint_16>(picture.transparentGray);
        png_set_tRNS(png, info, nullptr, 0, &gray);
    }
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(const PngPicture& picture) {
    std::vector<uint8_t> bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &bytes, &WriteToVector, &Flush);
    const size_t stride = picture.rows.size() / static_cast<size_t>(picture.height);
    std::vector<png_bytep> rows;
    for (int y = 0; y < picture.height; ++y) {
        rows.push_back(const_cast<png_bytep>(picture.rows.data()) + static_cast<size_t>(y) * stride);
    }
    const bool written = Write(png, info, picture, rows.data());
    png_destroy_write_struct(&png, &info);
    if (!written) {
        throw std::runtime_error("the test picture could not be written");
    }
    return bytes;
}

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "SkyletUITests.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("no scratch folder");
    }
    mPath = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(mPath, ignored);
}

std::string ScratchFolder::Put(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string path = mPath + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace QVTest
