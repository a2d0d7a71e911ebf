#include "RIZozivirod/Renderer/FontRenderer/FontFileNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "RIZozivirod/Renderer/FontRenderer/SfntBuilder.h"
#include "RIZozivirod/Utilities/Storage/Result.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {
namespace {

using namespace SfntBuilder;
using FontNames = std::vector<std::pair<std::string, std::string>>;

std::string FontNamesUtf8(const std::u16string& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(Text::Utf16ToUtf8(text.data(), text.size(), bytes.data(), bytes.size()).written);
    return bytes;
}

struct Outcome {
    int32_t result;
    FontNames names;
};

// Reads bytes through a source that fails the test for any read outside them.
Outcome ReadBytes(const std::string& bytes) {
    Outcome outcome{0, {}};
    outcome.result = FontFileNames::Read(
        static_cast<uint32_t>(bytes.size()),
        [&bytes](uint32_t offset, void* buffer, uint32_t length) -> uint32_t {
            EXPECT_LE(uint64_t{offset} + length, bytes.size());
            std::memcpy(buffer, bytes.data() + offset, length);
            return length;
        },
        [&outcome](const std::u16string& family, const std::u16string& subfamily) {
            outcome.names.emplace_back(FontNamesUtf8(family), FontNamesUtf8(subfamily));
        });
    return outcome;
}

TEST(FontFileNamesTest, NamesOfWellFormedFiles) {
    const struct {
        const char* what;
        std::string bytes;
        FontNames expected;
    } cases[] = {
        {"Macintosh names", Font({Mac(1, "Alpha"), Mac(2, "Regular")}), {{"Alpha", "regular"}}},
        {"Windows names, subfamily lower-cased",
         Font({Win(1, u"B\u00e9ta"), Win(2, u"Bold ITALIC")}),
         {{"B\xc3\xa9ta", "bold italic"}}},
        {"Macintosh then Windows names enter twice",
         Font({Mac(1, "Mac"), Mac(2, "Bold"), Win(1, u"Win"), Win(2, u"Italic")}),
         {{"Mac", "bold"}, {"Win", "italic"}}},
        {"the first family and subfamily of a pair win",
         Font({Win(1, u"First"), Win(1, u"Second"), Win(2, u"Bold"), Win(2, u"Italic")}),
         {{"First", "bold"}}},
        {"a family without a subfamily enters nothing",
         Font({Win(1, u"Lonely"), Win(4, u"Lonely Bold")}),
         {}},
        {"other languages and platforms are ignored",
         Font({Win(1, u"Deutsch", 0x0407),
               Win(2, u"Fett", 0x0407),
               {1, 0, 1, 1, "Fr"},
               {1, 0, 1, 2, "Gras"},
               {0, 3, 0, 1, std::string("\0U\0n", 4)},
               {0, 3, 0, 2, std::string("\0B", 2)}}),
         {}},
        {"empty strings are passed over, texts end at their first zero",
         Font({Win(1, u""), Mac(1, ""), Win(1, std::u16string(u"Cut\0Off", 7)),
               Mac(2, std::string("Bold\0x", 6))}),
         {{"Cut", "bold"}}},
        {"an odd last byte of a Windows string is dropped",
         Font({{3, 1, 0x0409, 1, std::string("\0O\0d\0d\0", 7)}, Win(2, u"Regular")}),
         {{"Odd", "regular"}}},
        {"the tag is found in any letter case",
         Font({Win(1, u"Upper"), Win(2, u"Bold")}, 0, {"glyf", "NAME"}),
         {{"Upper", "bold"}}},
        {"an empty tag ends the directory", Font({Win(1, u"Hidden"), Win(2, u"Bold")}, 0, {"", "name"}), {}},
        {"a collection enters each font",
         Collection({{Win(1, u"One"), Win(2, u"Regular")},
                     {Win(1, u"Two"), Win(2, u"Bold")},
                     {Win(1, u"Three"), Win(2, u"Oblique")}}),
         {{"One", "regular"}, {"Two", "bold"}, {"Three", "oblique"}}},
    };
    for (const auto& c : cases) {
        const Outcome outcome = ReadBytes(c.bytes);
        EXPECT_EQ(outcome.result, S_OK) << c.what;
        EXPECT_EQ(outcome.names, c.expected) << c.what;
    }
}

// Every prefix of a collection stays inside its data, reports the cut, and gives no name that
// the whole file does not give in the same place.
TEST(FontFileNamesTest, CutOffFilesGiveAPrefixOfTheirNames) {
    const std::string whole = Collection({{Mac(1, "One"), Mac(2, "Regular"), Win(1, u"One"), Win(2, u"Bold")},
                                          {Win(1, u"Two"), Win(2, u"Italic")}});
    const FontNames all = ReadBytes(whole).names;
    ASSERT_EQ(all.size(), 3u);
    for (size_t length = 0; length < whole.size(); ++length) {
        const Outcome outcome = ReadBytes(whole.substr(0, length));
        EXPECT_EQ(outcome.result, E_FAIL) << length;
        ASSERT_LE(outcome.names.size(), all.size()) << length;
        EXPECT_TRUE(std::equal(outcome.names.begin(), outcome.names.end(), all.begin())) << length;
    }
}

TEST(FontFileNamesTest, ClaimsBeyondTheFileAreBounded) {
    const std::string font = Font(u"Real", u"Regular");

    // A collection claiming four billion fonts holds two: both are read, the file counts as damaged.
    std::string collection = Collection({{Win(1, u"A"), Win(2, u"Bold")}, {Win(1, u"B"), Win(2, u"Bold")}});
    collection.replace(8, 4, std::string("\xff\xff\xff\xff", 4));
    const Outcome claimed = ReadBytes(collection);
    EXPECT_EQ(claimed.result, E_FAIL);
    EXPECT_EQ(claimed.names, (FontNames{{"A", "bold"}, {"B", "bold"}}));

    // Offsets near the end of the 32-bit range, for the font, the naming table and its strings.
    std::string farFont = collection;
    farFont.replace(12, 4, std::string("\xff\xff\xff\xf0", 4));
    std::string farTable = font;
    farTable.replace(12 + 16 + 8, 4, std::string("\xff\xff\xff\xff", 4));
    std::string farStrings = font;
    const size_t naming = 12 + 16 * 2;
    farStrings.replace(naming + 4, 2, std::string("\xff\xff", 2));
    // A directory claiming more tables than the file holds, with the naming table past them.
    std::string manyTables = font;
    manyTables.replace(4, 2, std::string("\xff\xff", 2));
    for (const std::string* bytes : {&farFont, &farTable, &farStrings}) {
        EXPECT_EQ(ReadBytes(*bytes).result, E_FAIL);
    }
    EXPECT_EQ(ReadBytes(manyTables).names, (FontNames{{"Real", "regular"}}));
}

TEST(FontFileNamesTest, AFailingReadEndsTheFile) {
    const std::string bytes = Collection({{Win(1, u"A"), Win(2, u"Bold")}, {Win(1, u"B"), Win(2, u"Bold")}});
    FontNames names;
    const int32_t result = FontFileNames::Read(
        static_cast<uint32_t>(bytes.size()),
        [&bytes](uint32_t offset, void* buffer, uint32_t length) -> uint32_t {
            if (offset > 40) {
                throw std::runtime_error("read");
            }
            std::memcpy(buffer, bytes.data() + offset, length);
            return length;
        },
        [&names](const std::u16string& family, const std::u16string& subfamily) {
            names.emplace_back(FontNamesUtf8(family), FontNamesUtf8(subfamily));
        });
    EXPECT_EQ(result, E_FAIL);
    EXPECT_TRUE(names.empty());
}

}  // namespace
}  // namespace QV
