#include "Platform/IniText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What the reader hands over, one item per line: "[name]", "[!name" for a broken header,
// "name=value" for an entry, separated by "|".
std::string Visited(std::string_view text) {
    std::string visited;
    Platform::ReadIniText(text, [&](const Platform::IniLine& line) {
        visited += visited.empty() ? "" : "|";
        switch (line.kind) {
            case Platform::IniLine::Section:
                visited += "[" + std::string(line.name) + "]";
                break;
            case Platform::IniLine::BrokenSection:
                visited += "[!" + std::string(line.name);
                break;
            case Platform::IniLine::Entry:
                visited += std::string(line.name) + "=" + std::string(line.value);
                break;
        }
    });
    return visited;
}

TEST(IniText, LinesAreHandedOverAsTheyStand) {
    const struct {
        const char* text;
        const char* visited;
    } cases[] = {
        {"", ""},
        {"a=1\n[s]\nb=2", "a=1|[s]|b=2"},       // the last line needs no line break
        {"[s]\r\nb=2\r\n", "[s]|b=2"},          // CRLF
        {"; note\n# note\n\n  \nplain\n", ""},  // comments, blank and "=" -less lines
        {"[s\nb=2\n[]\n", "[!s|b=2|[]"},        // broken and empty headers
        {"=x\nk==a=b\nk=\n", "=x|k==a=b|k="},   // empty names and values, "=" in values
        {"[a]b]\n[x]=1\n", "[a]b]|[!x]=1"},     // a header is "[" ... "]" as a whole line
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Visited(c.text), c.visited) << c.text;
    }
    EXPECT_EQ(Visited(std::string_view("k=a\0b\n", 6)), std::string("k=a\0b", 5)) << "bytes pass as they are";
}

}  // namespace
