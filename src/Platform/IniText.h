#pragma once

#include <string_view>

namespace Platform {

// One line of an INI text that carries something.
struct IniLine {
    enum Kind {
        // "[name]".
        Section,
        // A line that starts with "[" and does not end with "]": what follows it up to the next
        // header belongs to no section a reader can name.
        BrokenSection,
        // "name=value": the name is what stands before the first "=" (possibly empty).
        Entry,
    };
    Kind kind;
    std::string_view name;
    std::string_view value;
};

// The one reader of INI text, shared by the profile store and the settings library (which links
// no framework, so this stays header-only). Lines end with LF or CRLF, the last one may end
// without; blank lines, comments (";" or "#" first) and lines that are neither a header nor hold
// "=" are skipped. Calls visit(const IniLine&) for every header and entry, in order. Escapes and
// the meaning of names are the caller's.
template <class Visit>
void ReadIniText(std::string_view text, Visit&& visit) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            if (line.size() >= 2 && line.back() == ']') {
                visit(IniLine{IniLine::Section, line.substr(1, line.size() - 2), {}});
            } else {
                visit(IniLine{IniLine::BrokenSection, line.substr(1), {}});
            }
            continue;
        }
        const size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            visit(IniLine{IniLine::Entry, line.substr(0, equals), line.substr(equals + 1)});
        }
    }
}

}  // namespace Platform
