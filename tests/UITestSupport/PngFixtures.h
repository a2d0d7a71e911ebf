#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace QVTest {

// A PNG to write: rows of samples packed as the format stores them (16-bit samples
// big-endian), with an optional palette and transparency chunk.
struct PngPicture {
    PngPicture(int width, int height, int colorType, int bitDepth, std::vector<uint8_t> rows,
               bool interlaced = false)
        : width(width),
          height(height),
          colorType(colorType),
          bitDepth(bitDepth),
          interlaced(interlaced),
          rows(std::move(rows)) {}
    PngPicture&& WithPalette(std::vector<uint8_t> entries, std::vector<uint8_t> alpha) && {
        palette = std::move(entries);
        paletteAlpha = std::move(alpha);
        return std::move(*this);
    }
    PngPicture&& WithTransparentGray(int gray) && {
        transparentGray = gray;
        return std::move(*this);
    }

    int width = 0;
    int height = 0;
    int colorType = 0;  // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> rows;
    std::vector<uint8_t> palette;       // r, g, b per entry
    std::vector<uint8_t> paletteAlpha;  // tRNS of a palette image
    int transparentGray = -1;           // tRNS of a grey image
};

// The file's bytes, written with libpng.
std::vector<uint8_t> EncodePng(const PngPicture& picture);

// A folder of its own under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes the bytes to a file of the folder; its path.
    std::string Put(const std::string& name, const std::vector<uint8_t>& bytes) const;
    const std::string& GetPath() const { return mPath; }

private:
    std::string mPath;
};

}  // namespace QVTest
