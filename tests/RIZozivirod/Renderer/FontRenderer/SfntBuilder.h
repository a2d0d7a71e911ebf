#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Small TrueType/OpenType files made byte by byte: an offset table, a table directory and a
// naming table (other tables are directory entries only), and collections of such fonts.
namespace SfntBuilder {

struct NameRecord {
    uint16_t platform;
    uint16_t encoding;
    uint16_t language;
    uint16_t nameId;
    std::string bytes;  // the string as stored
};

inline void PutU16(std::string& out, uint32_t value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

inline void PutU32(std::string& out, uint32_t value) {
    PutU16(out, value >> 16);
    PutU16(out, value & 0xFFFF);
}

// A Macintosh record (language 0, Roman) of a name id.
inline NameRecord Mac(uint16_t nameId, const std::string& text) {
    return {1, 0, 0, nameId, text};
}

// A Windows record (Unicode BMP) of a name id and language, stored as UTF-16 big-endian.
inline NameRecord Win(uint16_t nameId, const std::u16string& text, uint16_t language = 0x0409) {
    std::string bytes;
    for (const char16_t unit : text) {
        PutU16(bytes, unit);
    }
    return {3, 1, language, nameId, bytes};
}

// A single font whose offset table lies at base in its file. The table directory has the tags
// given, in order; the tag "name" (any case) points at the naming table of the records.
inline std::string Font(const std::vector<NameRecord>& names, uint32_t base = 0,
                        const std::vector<std::string>& tags = {"cmap", "name"}) {
    const uint32_t directorySize = 12 + 16 * static_cast<uint32_t>(tags.size());
    std::string strings;
    std::string naming;
    PutU16(naming, 0);
    PutU16(naming, static_cast<uint32_t>(names.size()));
    PutU16(naming, 6 + 12 * static_cast<uint32_t>(names.size()));
    for (const NameRecord& record : names) {
        PutU16(naming, record.platform);
        PutU16(naming, record.encoding);
        PutU16(naming, record.language);
        PutU16(naming, record.nameId);
        PutU16(naming, static_cast<uint32_t>(record.bytes.size()));
        PutU16(naming, static_cast<uint32_t>(strings.size()));
        strings += record.bytes;
    }
    naming += strings;

    std::string out;
    PutU32(out, 0x00010000);
    PutU16(out, static_cast<uint32_t>(tags.size()));
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, 0);
    for (const std::string& tag : tags) {
        std::string padded = tag;
        padded.resize(4, '\0');
        out += padded;
        PutU32(out, 0);
        PutU32(out, base + directorySize);
        PutU32(out, static_cast<uint32_t>(naming.size()));
    }
    return out + naming;
}

// A family and subfamily in Windows records.
inline std::string Font(const std::u16string& family, const std::u16string& subfamily) {
    return Font({Win(1, family), Win(2, subfamily)});
}

// A collection ("ttcf", version 1) of fonts made by make(names, base) for each list of names.
inline std::string Collection(const std::vector<std::vector<NameRecord>>& fonts) {
    std::string header = "ttcf";
    PutU32(header, 0x00010000);
    PutU32(header, static_cast<uint32_t>(fonts.size()));
    uint32_t base = 12 + 4 * static_cast<uint32_t>(fonts.size());
    std::string body;
    for (const std::vector<NameRecord>& names : fonts) {
        PutU32(header, base + static_cast<uint32_t>(body.size()));
        body += Font(names, base + static_cast<uint32_t>(body.size()));
    }
    return header + body;
}

}  // namespace SfntBuilder
