#include "Platform/ProfileStore.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "Platform/AtomicFileWrite.h"
#include "Platform/IniText.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace Platform {
namespace {

// A larger file is read up to this size.
constexpr std::streamsize kMaxFileSize = 16 << 20;
constexpr char kHexDigits[] = "0123456789ABCDEF";

using Sections = std::map<std::string, std::map<std::string, std::string>>;

// Empty when the name cannot be stored (see WriteProfileBinary).
std::string ToName(const QV::WString& name, bool isEntry) {
    std::string text = QV::NString(name).GetString();
    if (text.empty() || QV::WString(text.c_str()) != name ||
        text.find_first_of("[]=\r\n") != std::string::npos ||
        (isEntry && (text[0] == ';' || text[0] == '#'))) {
        return std::string();
    }
    return text;
}

Sections Read(const std::string& path) {
    Sections sections;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const std::streamoff length = file ? std::min<std::streamoff>(file.tellg(), kMaxFileSize) : 0;
    if (length <= 0) {
        return sections;
    }
    std::string text(static_cast<size_t>(length), '\0');
    file.seekg(0);
    file.read(text.data(), length);
    text.resize(static_cast<size_t>(file.gcount()));
    std::string section;
    // Entries before the first header belong to no section; a broken header is not one, so the
    // entries after it stay in the section before it.
    bool inSection = false;
    ReadIniText(text, [&](const IniLine& line) {
        if (line.kind == IniLine::Section) {
            inSection = true;
            section = line.name;
        } else if (line.kind == IniLine::Entry && inSection && !line.name.empty()) {
            sections[section][std::string(line.name)] = line.value;
        }
    });
    return sections;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

bool ProfileStore::GetProfileBinary(const QV::WString& section, const QV::WString& entry,
                                    std::vector<uint8_t>& bytes) const {
    const std::string sectionName = ToName(section, false);
    const std::string entryName = ToName(entry, true);
    if (sectionName.empty() || entryName.empty()) {
        return false;
    }
    const Sections sections = Read(QV::NString(mPath).GetString());
    const auto foundSection = sections.find(sectionName);
    if (foundSection == sections.end()) {
        return false;
    }
    const auto found = foundSection->second.find(entryName);
    if (found == foundSection->second.end() || found->second.size() % 2 != 0) {
        return false;
    }
    std::vector<uint8_t> decoded(found->second.size() / 2);
    for (size_t i = 0; i < decoded.size(); ++i) {
        const int high = HexValue(found->second[2 * i]);
        const int low = HexValue(found->second[2 * i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        decoded[i] = static_cast<uint8_t>(high * 16 + low);
    }
    bytes = std::move(decoded);
    return true;
}

int32_t ProfileStore::WriteProfileBinary(const QV::WString& section, const QV::WString& entry,
                                         const void* data, uint32_t size) {
    const std::string sectionName = ToName(section, false);
    const std::string entryName = ToName(entry, true);
    if (sectionName.empty() || entryName.empty() || (data == nullptr && size > 0)) {
        return QV::E_INVALIDARG;
    }
    const std::string path = QV::NString(mPath).GetString();
    if (path.empty()) {
        return QV::E_FAIL;
    }
    Sections sections = Read(path);
    std::string& value = sections[sectionName][entryName];
    value.clear();
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (uint32_t i = 0; i < size; ++i) {
        value += kHexDigits[bytes[i] >> 4];
        value += kHexDigits[bytes[i] & 0x0F];
    }
    std::string text;
    for (const auto& [name, entries] : sections) {
        text += '[' + name + "]\n";
        for (const auto& [key, hex] : entries) {
            text += key + '=' + hex + '\n';
        }
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return WriteFileAtomically(path, text) ? QV::S_OK : QV::E_FAIL;
}

}  // namespace Platform
