#include "RIZozivirod/Renderer/FontRenderer/FontFileNames.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

#include "RIZozivirod/Utilities/Storage/Result.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {
namespace {

constexpr uint32_t kCollectionHeaderSize = 12;
constexpr uint32_t kOffsetTableSize = 12;
constexpr uint32_t kTableRecordSize = 16;
constexpr uint32_t kNamingHeaderSize = 6;
constexpr uint32_t kNameRecordSize = 12;

constexpr uint16_t kPlatformMacintosh = 1;
constexpr uint16_t kPlatformWindows = 3;
constexpr uint16_t kLanguageMacEnglish = 0;
constexpr uint16_t kLanguageWindowsEnglishUS = 0x0409;
constexpr uint16_t kNameFamily = 1;
constexpr uint16_t kNameSubfamily = 2;

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

std::u16string ToLower(std::u16string text) {
    for (char16_t& unit : text) {
        unit = Text::ToLower(unit);
    }
    return text;
}

uint32_t U32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

// UTF-8 up to the first sequence that is not well-formed, like the framework's strings.
std::u16string FontNameFromUtf8(const char* text, size_t length) {
    std::u16string units(length, u'\0');
    units.resize(Text::Utf8ToUtf16(text, length, units.data(), length).written);
    return units;
}

// The file seen through bounded reads: a structure that does not lie wholly inside the file,
// or that the source does not deliver in full, ends the reading of the file.
class SfntReader {
public:
    SfntReader(uint32_t size, const FontFileNames::ReadAt& read, const FontFileNames::Found& found)
        : mSize(size), mRead(read), mFound(found) {}

    // False once the data ran out.
    bool ReadFile() {
        uint8_t header[kCollectionHeaderSize];
        if (!Fetch(0, header, 4)) {
            return false;
        }
        if (std::memcmp(header, "ttcf", 4) != 0) {
            return ReadFont(0);
        }
        if (!Fetch(0, header, kCollectionHeaderSize)) {
            return false;
        }
        // The header's count is only a claim: no more offsets than the file holds.
        const uint32_t claimed = U32(header + 8);
        const uint32_t fit = (mSize - kCollectionHeaderSize) / 4;
        const uint32_t count = std::min({claimed, fit, FontFileNames::kMaxFonts});
        std::vector<uint8_t> offsets(static_cast<size_t>(count) * 4);
        if (count > 0 && !Fetch(kCollectionHeaderSize, offsets.data(), count * 4)) {
            return false;
        }
        for (uint32_t i = 0; i < count; ++i) {
            if (!ReadFont(U32(&offsets[i * 4]))) {
                return false;
            }
        }
        return count == claimed;
    }

private:
    bool Fetch(uint64_t offset, void* buffer, uint32_t length) {
        if (offset > mSize || length > mSize - offset) {
            return false;
        }
        return length == 0 || mRead(static_cast<uint32_t>(offset), buffer, length) == length;
    }

    bool ReadFont(uint32_t offset) {
        uint8_t table[kOffsetTableSize];
        if (!Fetch(offset, table, kOffsetTableSize)) {
            return false;
        }
        const uint32_t claimed = U16(table + 4);
        const uint64_t first = static_cast<uint64_t>(offset) + kOffsetTableSize;
        const uint32_t fit = first >= mSize ? 0 : static_cast<uint32_t>((mSize - first) / kTableRecordSize);
        const uint32_t count = std::min(claimed, fit);
        std::vector<uint8_t> records(static_cast<size_t>(count) * kTableRecordSize);
        if (count > 0 && !Fetch(first, records.data(), count * kTableRecordSize)) {
            return false;
        }
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* record = &records[i * kTableRecordSize];
            // The tag as text: up to its first zero byte, any letter case.
            const size_t tagLength = strnlen(reinterpret_cast<const char*>(record), 4);
            if (tagLength == 0) {
                return true;
            }
            if (ToLower(FontNameFromUtf8(reinterpret_cast<const char*>(record), tagLength)) == u"name") {
                return ReadNamingTable(U32(record + 8));
            }
        }
        return count == claimed;
    }

    bool ReadNamingTable(uint32_t offset) {
        uint8_t header[kNamingHeaderSize];
        if (!Fetch(offset, header, kNamingHeaderSize)) {
            return false;
        }
        const uint32_t claimed = U16(header + 2);
        const uint64_t strings = static_cast<uint64_t>(offset) + U16(header + 4);
        const uint64_t first = static_cast<uint64_t>(offset) + kNamingHeaderSize;
        const uint32_t fit = first >= mSize ? 0 : static_cast<uint32_t>((mSize - first) / kNameRecordSize);
        const uint32_t count = std::min(claimed, fit);
        std::vector<uint8_t> records(static_cast<size_t>(count) * kNameRecordSize);
        if (count > 0 && !Fetch(first, records.data(), count * kNameRecordSize)) {
            return false;
        }
        std::u16string family;
        std::u16string subfamily;
        std::vector<uint8_t> bytes;
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* record = &records[i * kNameRecordSize];
            const uint16_t platform = U16(record);
            const uint16_t language = U16(record + 4);
            const uint16_t nameId = U16(record + 6);
            const bool macintosh = platform == kPlatformMacintosh && language == kLanguageMacEnglish;
            const bool windows = platform == kPlatformWindows && language == kLanguageWindowsEnglishUS;
            if ((!macintosh && !windows) || (nameId != kNameFamily && nameId != kNameSubfamily)) {
                continue;
            }
            const uint16_t length = U16(record + 8);
            bytes.resize(length);
            if (!Fetch(strings + U16(record + 10), bytes.data(), length)) {
                return false;
            }
            const std::u16string text = macintosh ? MacintoshText(bytes) : WindowsText(bytes);
            if (text.empty()) {
                continue;
            }
            if (nameId == kNameFamily) {
                if (family.empty()) {
                    family = text;
                }
            } else if (subfamily.empty()) {
                subfamily = ToLower(text);
            }
            if (!family.empty() && !subfamily.empty()) {
                mFound(family, subfamily);
                family.clear();
                subfamily.clear();
            }
        }
        return count == claimed;
    }

    static std::u16string MacintoshText(const std::vector<uint8_t>& bytes) {
        if (bytes.empty()) {
            return {};
        }
        const char* text = reinterpret_cast<const char*>(bytes.data());
        return FontNameFromUtf8(text, strnlen(text, bytes.size()));
    }

    static std::u16string WindowsText(const std::vector<uint8_t>& bytes) {
        std::u16string units;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const char16_t unit = U16(&bytes[i]);
            if (unit == 0) {
                break;
            }
            units += unit;
        }
        return units;
    }

    const uint32_t mSize;
    const FontFileNames::ReadAt& mRead;
    const FontFileNames::Found& mFound;
};

}  // namespace

int32_t FontFileNames::Read(uint32_t size, const ReadAt& read, const Found& found) {
    try {
        return SfntReader(size, read, found).ReadFile() ? S_OK : E_FAIL;
    } catch (const std::exception&) {
        // A read that failed ends the file like data that ran out.
        return E_FAIL;
    }
}

int32_t FontFileNames::Read(const uint8_t* data, uint32_t size, const Found& found) {
    return Read(
        size,
        [data](uint32_t offset, void* buffer, uint32_t length) {
            std::memcpy(buffer, data + offset, length);
            return length;
        },
        found);
}

}  // namespace QV
