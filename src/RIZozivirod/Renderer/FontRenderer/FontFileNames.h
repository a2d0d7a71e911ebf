#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace QV {

// Reads the family and style names of the fonts in one TrueType/OpenType file or collection
// ("ttcf") from their naming tables, without a font library and without touching glyph data.
// Names are taken from Macintosh records in language 0 (UTF-8) and Windows records in
// language 0x0409 (UTF-16 big-endian), both up to their first zero unit. Depends on no other
// part of the framework than its text functions.
//
// The data comes from outside: every read is bounded by the file's size, a collection's font
// count is capped by what the file can hold and by kMaxFonts, and a file that ends before a
// structure the reader needs is dropped from that point on; the names found before stay.
class FontFileNames {
public:
    static constexpr uint32_t kMaxFonts = 1024;

    // Fills up to length bytes at offset and returns how many it filled; may throw.
    using ReadAt = std::function<uint32_t(uint32_t offset, void* buffer, uint32_t length)>;
    // A family and its subfamily (ASCII lower-cased), as UTF-16 text, as soon as a naming table
    // has given both; a table can give several pairs (for instance its Macintosh names, then
    // its Windows names).
    using Found = std::function<void(const std::u16string& family, const std::u16string& subfamily)>;

    // S_OK when every structure was read, E_FAIL when the data ended early or a read failed.
    static int32_t Read(uint32_t size, const ReadAt& read, const Found& found);
    static int32_t Read(const uint8_t* data, uint32_t size, const Found& found);
};

}  // namespace QV
