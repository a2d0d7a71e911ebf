#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Platform::IniFile {

// Lists are limited so that a damaged file cannot ask for unbounded memory.
constexpr size_t kMaxArrayItems = 65536;

// Turns a key into its stored form: "\" becomes "/", and every name between separators must
// be non-empty. The empty key (the root) is accepted only when allowRoot is set. False for a
// null or malformed key.
bool NormalizeKey(const char* key, bool allowRoot, std::string& normalized);

// The contents of one settings file: values and lists by key path.
//
// Text form: the values of one parent key are grouped under a "[parent/path]" line (values of
// top-level keys come first, without one); a value is "name=text", list items are
// "name[index]=text" in index order. In names "\ = [ ] ; #" and control bytes are written as
// "\xHH", in texts "\" and control bytes. Lines starting with ";" or "#" are comments.
// Reading keeps every line it understands and skips the others, so a damaged file gives what
// can be read of it.
struct IniDocument {
    std::map<std::string, std::string> values;
    std::map<std::string, std::vector<std::string>> arrays;

    void Parse(std::string_view text);
    // The header line is written as a comment on top.
    std::string Serialize(std::string_view header) const;

    // Names of the children of key ("" for the root), in ordinal order.
    std::vector<std::string> ChildNames(const std::string& key) const;
    bool HasNode(const std::string& key) const;
};

}  // namespace Platform::IniFile
