// The image decoder over libpng.

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include "Platform/Graphics/ImageDecoder.h"

namespace Platform {

namespace {

constexpr size_t kSignatureLength = 8;
// Ancillary chunks (text, profiles) are never used; this bounds what one may cost.
constexpr png_alloc_size_t kMaxChunkBytes = 1 << 20;

struct MemorySource {
    const png_byte* bytes;
    size_t length;
    size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (length > source->length - source->offset) {
        png_error(png, "truncated");
    }
    std::memcpy(out, source->bytes + source->offset, length);
    source->offset += length;
}

void ReadFromFile(png_structp png, png_bytep out, size_t length) {
    if (std::fread(out, 1, length, static_cast<std::FILE*>(png_get_io_ptr(png))) != length) {
        png_error(png, "truncated");
    }
}

// Errors leave the decoder silently; the status says what happened.
void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// What a decoding needs to clean up after itself, held outside the frame that libpng may
// leave by a long jump.
struct DecodeJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PixelImage* image = nullptr;
    png_bytep* rows = nullptr;
    ImageStatus status = ImageStatus::Corrupt;

    ~DecodeJob() {
        delete[] rows;
        delete image;
        png_destroy_read_struct(&png, &info, nullptr);
    }
};

void SetTransforms(png_structp png, png_infop info) {
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    const bool transparencyChunk = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (transparencyChunk) {
        png_set_tRNS_to_alpha(png);
    }
    if (bitDepth == 16) {
        png_set_scale_16(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    const bool hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || transparencyChunk;
    // Bytes in memory order of a 0xAARRGGBB word.
    if constexpr (std::endian::native == std::endian::little) {
        png_set_bgr(png);
        if (!hasAlpha) {
            png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        }
    } else {
        if (hasAlpha) {
            png_set_swap_alpha(png);
        } else {
            png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
        }
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Only plain data lives in this frame: libpng leaves it by a long jump on any error.
bool RunDecoder(DecodeJob& job) {
    if (setjmp(png_jmpbuf(job.png)) != 0) {
        return false;
    }
    png_read_info(job.png, job.info);
    const png_uint_32 width = png_get_image_width(job.png, job.info);
    const png_uint_32 height = png_get_image_height(job.png, job.info);
    if (!PixelImage::IsAllowedSize(width, height)) {
        job.status = ImageStatus::TooLarge;
        return false;
    }
    SetTransforms(job.png, job.info);
    if (png_get_rowbytes(job.png, job.info) != static_cast<size_t>(width) * 4) {
        return false;
    }
    job.image = PixelImage::Create(static_cast<int32_t>(width), static_cast<int32_t>(height)).release();
    job.rows = new (std::nothrow) png_bytep[height];
    if (job.image == nullptr || job.rows == nullptr) {
        job.status = ImageStatus::OutOfMemory;
        return false;
    }
    for (png_uint_32 y = 0; y < height; ++y) {
        job.rows[y] = reinterpret_cast<png_bytep>(job.image->GetRow(static_cast<int32_t>(y)));
    }
    png_read_image(job.png, job.rows);
    png_read_end(job.png, nullptr);
    job.status = ImageStatus::Ok;
    return true;
}

DecodedImage Decode(png_rw_ptr read, void* source) {
    DecodeJob job;
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &OnError, &OnWarning);
    if (job.png != nullptr) {
        job.info = png_create_info_struct(job.png);
    }
    if (job.info == nullptr) {
        return {nullptr, ImageStatus::OutOfMemory};
    }
    png_set_read_fn(job.png, source, read);
    png_set_sig_bytes(job.png, kSignatureLength);
    png_set_chunk_malloc_max(job.png, kMaxChunkBytes);
    png_set_keep_unknown_chunks(job.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    DecodedImage result;
    if (RunDecoder(job)) {
        result.image.reset(job.image);
        job.image = nullptr;
    }
    result.status = job.status;
    return result;
}

}  // namespace

DecodedImage DecodeImage(const void* bytes, size_t length) {
    if (bytes == nullptr || length < kSignatureLength ||
        png_sig_cmp(static_cast<png_const_bytep>(bytes), 0, kSignatureLength) != 0) {
        return {nullptr, ImageStatus::UnknownFormat};
    }
    MemorySource source{static_cast<const png_byte*>(bytes), length, kSignatureLength};
    return Decode(&ReadFromMemory, &source);
}

DecodedImage DecodeImageFile(const char* path) {
    std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) {
        return {nullptr, ImageStatus::FileNotFound};
    }
    png_byte signature[kSignatureLength];
    DecodedImage result;
    if (std::fread(signature, 1, kSignatureLength, file) != kSignatureLength ||
        png_sig_cmp(signature, 0, kSignatureLength) != 0) {
        result.status = ImageStatus::UnknownFormat;
    } else {
        result = Decode(&ReadFromFile, file);
    }
    std::fclose(file);
    return result;
}

}  // namespace Platform
