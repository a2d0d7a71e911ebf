#include "Platform/ProfileStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "Platform/AtomicFileWrite.h"
#include "Platform/IniText.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace Platform {
namespace {

// A larger file is read up to this size.
constexpr size_t kMaxFileSize = 16 << 20;
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

// False, with the system's reason, when the file exists but cannot be read; a missing file is
// an empty one.
bool Read(const std::string& path, Sections& sections, std::string& error) {
    sections.clear();
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return true;
        }
        error = std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? std::strerror(EISDIR) : "not a regular file";
        ::close(descriptor);
        return false;
    }
    std::string text;
    char block[65536];
    while (text.size() < static_cast<size_t>(kMaxFileSize)) {
        const ssize_t count = ::read(descriptor, block,
                                     std::min(sizeof block, static_cast<size_t>(kMaxFileSize) - text.size()));
        if (count > 0) {
            text.append(block, static_cast<size_t>(count));
        } else if (count == 0) {
            break;
        } else if (errno != EINTR) {
            error = std::strerror(errno);
            ::close(descriptor);
            return false;
        }
    }
    ::close(descriptor);
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
    return true;
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
    mLastError.clear();
    mUnreadable = false;
    Sections sections;
    if (!Read(QV::NString(mPath).GetString(), sections, mLastError)) {
        mUnreadable = true;
        return false;
    }
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
    mLastError.clear();
    mUnreadable = false;
    const std::string path = QV::NString(mPath).GetString();
    if (path.empty()) {
        mLastError = "no folder for the file";
        return QV::E_FAIL;
    }
    Sections sections;
    if (!Read(path, sections, mLastError)) {
        mUnreadable = true;
        return QV::E_FAIL;
    }
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
    std::error_code folderError;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), folderError);
    if (WriteFileAtomically(path, text)) {
        return QV::S_OK;
    }
    // The folder's failure names the cause better than the write that followed it.
    mLastError = folderError ? folderError.message() : std::strerror(errno);
    return QV::E_FAIL;
}

}  // namespace Platform
