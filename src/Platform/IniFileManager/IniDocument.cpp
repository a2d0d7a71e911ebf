#include "Platform/IniFileManager/IniDocument.h"

#include <algorithm>
#include <set>

#include "Platform/IniText.h"

namespace Platform::IniFile {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

bool MustEscapeInName(unsigned char byte) {
    return IsControl(byte) || byte == '\\' || byte == '=' || byte == '[' || byte == ']' || byte == ';' ||
           byte == '#';
}

bool MustEscapeInText(unsigned char byte) {
    return IsControl(byte) || byte == '\\';
}

void AppendEscaped(std::string& out, std::string_view text, bool (*mustEscape)(unsigned char)) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (mustEscape(byte)) {
            out += "\\x";
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0x0F];
        } else {
            out += c;
        }
    }
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

// A malformed escape is kept as it stands.
std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            const int high = HexValue(text[i + 2]);
            const int low = HexValue(text[i + 3]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// Splits "parent/name" at its last separator.
std::pair<std::string_view, std::string_view> SplitKey(std::string_view key) {
    const size_t slash = key.rfind('/');
    if (slash == std::string_view::npos) {
        return {std::string_view(), key};
    }
    return {key.substr(0, slash), key.substr(slash + 1)};
}

// Decimal digits only, below kMaxArrayItems.
bool ParseIndex(std::string_view text, size_t& index) {
    if (text.empty() || text.size() > 6) {
        return false;
    }
    index = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        index = index * 10 + static_cast<size_t>(c - '0');
    }
    return index < kMaxArrayItems;
}

}  // namespace

bool NormalizeKey(const char* key, bool allowRoot, std::string& normalized) {
    if (key == nullptr) {
        return false;
    }
    std::string text(key);
    std::replace(text.begin(), text.end(), '\\', '/');
    if (text.empty()) {
        normalized.clear();
        return allowRoot;
    }
    if (text.front() == '/' || text.back() == '/' || text.find("//") != std::string::npos) {
        return false;
    }
    normalized = std::move(text);
    return true;
}

void IniDocument::Parse(std::string_view text) {
    std::string section;
    bool sectionValid = true;
    ReadIniText(text, [&](const IniLine& line) {
        if (line.kind != IniLine::Entry) {
            // A broken header hides the values below it rather than filing them elsewhere.
            sectionValid =
                line.kind == IniLine::Section && NormalizeKey(Unescape(line.name).c_str(), true, section);
            return;
        }
        if (!sectionValid) {
            return;
        }
        std::string_view rawName = line.name;
        std::string item = Unescape(line.value);
        size_t index = 0;
        bool isArrayItem = false;
        if (!rawName.empty() && rawName.back() == ']') {
            const size_t open = rawName.rfind('[');
            if (open == std::string_view::npos ||
                !ParseIndex(rawName.substr(open + 1, rawName.size() - open - 2), index)) {
                return;
            }
            rawName = rawName.substr(0, open);
            isArrayItem = true;
        }
        const std::string name = Unescape(rawName);
        std::string key;
        if (!NormalizeKey((section.empty() ? name : section + "/" + name).c_str(), false, key)) {
            return;
        }
        if (!isArrayItem) {
            values[key] = std::move(item);
            return;
        }
        // Items come in index order; one beyond the end means lines were lost, and skipping it
        // keeps the list bounded by the size of the file.
        std::vector<std::string>& items = arrays[key];
        if (index < items.size()) {
            items[index] = std::move(item);
        } else if (index == items.size()) {
            items.push_back(std::move(item));
        }
        if (items.empty()) {
            arrays.erase(key);
        }
    });
}

std::string IniDocument::Serialize(std::string_view header) const {
    // Lines of each parent key; the root sorts first, so its lines need no header.
    std::map<std::string_view, std::string> sections;
    for (const auto& [key, text] : values) {
        const auto [parent, name] = SplitKey(key);
        std::string& lines = sections[parent];
        AppendEscaped(lines, name, MustEscapeInName);
        lines += '=';
        AppendEscaped(lines, text, MustEscapeInText);
        lines += '\n';
    }
    for (const auto& [key, items] : arrays) {
        const auto [parent, name] = SplitKey(key);
        std::string& lines = sections[parent];
        for (size_t index = 0; index < items.size(); ++index) {
            AppendEscaped(lines, name, MustEscapeInName);
            lines += '[' + std::to_string(index) + "]=";
            AppendEscaped(lines, items[index], MustEscapeInText);
            lines += '\n';
        }
    }
    std::string out = "; ";
    AppendEscaped(out, header, IsControl);
    out += '\n';
    for (const auto& [parent, lines] : sections) {
        if (!parent.empty()) {
            out += "\n[";
            size_t begin = 0;
            for (size_t slash = parent.find('/'); slash != std::string_view::npos;
                 slash = parent.find('/', begin)) {
                AppendEscaped(out, parent.substr(begin, slash - begin), MustEscapeInName);
                out += '/';
                begin = slash + 1;
            }
            AppendEscaped(out, parent.substr(begin), MustEscapeInName);
            out += "]\n";
        }
        out += lines;
    }
    return out;
}

std::vector<std::string> IniDocument::ChildNames(const std::string& key) const {
    const std::string prefix = key.empty() ? std::string() : key + "/";
    std::set<std::string> names;
    auto collect = [&](const std::string& path) {
        if (path.compare(0, prefix.size(), prefix) != 0 || path.size() == prefix.size()) {
            return;
        }
        const size_t end = path.find('/', prefix.size());
        names.insert(path.substr(prefix.size(), end == std::string::npos ? end : end - prefix.size()));
    };
    for (const auto& entry : values) {
        collect(entry.first);
    }
    for (const auto& entry : arrays) {
        collect(entry.first);
    }
    return {names.begin(), names.end()};
}

bool IniDocument::HasNode(const std::string& key) const {
    if (key.empty()) {
        return true;
    }
    if (values.count(key) != 0 || arrays.count(key) != 0) {
        return true;
    }
    const std::string prefix = key + "/";
    auto below = [&](const auto& map) {
        const auto next = map.lower_bound(prefix);
        return next != map.end() && next->first.compare(0, prefix.size(), prefix) == 0;
    };
    return below(values) || below(arrays);
}

}  // namespace Platform::IniFile
