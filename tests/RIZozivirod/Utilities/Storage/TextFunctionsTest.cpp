#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace QV;

// Plain encoders written straight from the encoding rules, to check the conversions against.
std::string EncodeUtf8(char32_t c) {
    if (c < 0x80)
        return {static_cast<char>(c)};
    if (c < 0x800)
        return {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    if (c < 0x10000) {
        return {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                static_cast<char>(0x80 | (c & 0x3F))};
    }
    return {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
            static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
}

std::u16string EncodeUtf16(char32_t c) {
    if (c < 0x10000)
        return {static_cast<char16_t>(c)};
    return {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
            static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
}

struct Utf8Case {
    std::string bytes;
    std::u16string units;
    bool complete;
};

TEST(TextFunctionsTest, Utf8ToUtf16KeepsTheWellFormedPrefix) {
    using namespace std::string_literals;
    const Utf8Case cases[] = {
        {""s, u"", true},
        {"A"s, u"A", true},
        {"a\0b"s, u"a\0b"s, true},
        {"\xC3\xA9"s, u"\u00E9", true},
        {"\xE0\xA0\x80"s, u"\u0800", true},
        {"\xED\x9F\xBF"s, u"\uD7FF", true},
        {"\xEE\x80\x80"s, u"\uE000", true},
        {"\xEF\xBF\xBF"s, u"\uFFFF", true},
        {"\xF0\x90\x80\x80"s, u"\U00010000", true},
        {"\xF0\x9F\x98\x80"s, u"\U0001F600", true},
        {"\xF4\x8F\xBF\xBF"s, u"\U0010FFFF", true},
        // Continuation byte or impossible lead byte in lead position.
        {"a\x80"s, u"a", false},
        {"a\xC0\x80"s, u"a", false},
        {"a\xC1\xBF"s, u"a", false},
        {"a\xF5\x80\x80\x80"s, u"a", false},
        {"a\xF8\x88\x80\x80\x80"s, u"a", false},
        {"a\xFF"s, u"a", false},
        // Overlong forms, encoded surrogates and code points above U+10FFFF.
        {"a\xE0\x9F\xBF"s, u"a", false},
        {"a\xF0\x8F\xBF\xBF"s, u"a", false},
        {"a\xED\xA0\x80"s, u"a", false},
        {"a\xED\xBF\xBF"s, u"a", false},
        {"a\xF4\x90\x80\x80"s, u"a", false},
        // A wrong continuation byte is not consumed.
        {"\xED\x41\x80"s, u"", false},
        {"\xC3\xA9\xC3\x28"s, u"\u00E9", false},
        // Cut by the terminating zero, or by the end of the range.
        {"a\xE2\0"s, u"a", false},
        {"\xF0\x9F\x98\0"s, u"", false},
        {"a\xE2"s, u"a", false},
        {"\xC2\xA9\xC2"s, u"\u00A9", false},
        {"a\xFC\x80"s, u"a", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        std::vector<char16_t> out(c.bytes.size() + 1, u'#');
        const auto result = Text::Utf8ToUtf16(c.bytes.data(), c.bytes.size(), out.data(), out.size());
        EXPECT_EQ(std::u16string(out.data(), result.written), c.units);
        EXPECT_EQ(result.complete, c.complete);
        EXPECT_EQ(out[result.written], u'#');
    }
}

TEST(TextFunctionsTest, ConversionsStopBeforeACharacterThatDoesNotFit) {
    char16_t units[4] = {u'#', u'#', u'#', u'#'};
    auto result = Text::Utf8ToUtf16("abc", 3, units, 2);
    EXPECT_EQ(result.written, 2u);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(units[2], u'#');
    // A surrogate pair is never split.
    units[1] = u'#';
    result = Text::Utf8ToUtf16("\xC3\xA9\xF0\x9F\x98\x80", 6, units, 2);
    EXPECT_EQ(result.written, 1u);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(units[1], u'#');

    char bytes[4] = {'#', '#', '#', '#'};
    auto narrow = Text::Utf16ToUtf8(u"a\u00E9", 2, bytes, 2);
    EXPECT_EQ(narrow.written, 1u);
    EXPECT_FALSE(narrow.complete);
    EXPECT_EQ(bytes[1], '#');
    narrow = Text::Utf16ToUtf8(u"\U0001F600", 2, bytes, 3);
    EXPECT_EQ(narrow.written, 0u);
    EXPECT_FALSE(narrow.complete);

    EXPECT_FALSE(Text::Utf8ToUtf16("a", 1, nullptr, 0).complete);
    EXPECT_TRUE(Text::Utf8ToUtf16(nullptr, 0, units, 4).complete);
    EXPECT_TRUE(Text::Utf16ToUtf8(u"", 0, bytes, 0).complete);
}

struct Utf16Case {
    std::u16string units;
    std::string bytes;
    bool complete;
};

TEST(TextFunctionsTest, Utf16ToUtf8EncodesUnpairedSurrogatesAlone) {
    using namespace std::string_literals;
    const Utf16Case cases[] = {
        {u"A", "A"s, true},
        {u"\0"s, "\0"s, true},
        {u"\u00E9", "\xC3\xA9"s, true},
        {u"\u20AC", "\xE2\x82\xAC"s, true},
        {u"\U0001F600", "\xF0\x9F\x98\x80"s, true},
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"s, true},
        {{0xD800, u'A'},
         "\xED\xA0\x80"s
         "A"s,
         true},
        {{0xD800, 0}, "\xED\xA0\x80\0"s, true},
        {{0xDC00}, "\xED\xB0\x80"s, true},
        {{0xDC00, 0xD800, 0xDC00}, "\xED\xB0\x80\xF0\x90\x80\x80"s, true},
        {{0xD800, 0xD800, 0xDC00}, "\xED\xA0\x80\xF0\x90\x80\x80"s, true},
        // A high surrogate at the end of the range stops the conversion.
        {{u'a', 0xDBFF}, "a"s, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.units));
        std::vector<char> out(4 * c.units.size() + 1, '#');
        const auto result = Text::Utf16ToUtf8(c.units.data(), c.units.size(), out.data(), out.size());
        EXPECT_EQ(std::string(out.data(), result.written), c.bytes);
        EXPECT_EQ(result.complete, c.complete);
        EXPECT_EQ(out[result.written], '#');
    }
    // Text made from a lone surrogate does not convert back.
    char16_t back[4];
    EXPECT_FALSE(Text::Utf8ToUtf16("\xED\xA0\x80", 3, back, 4).complete);
}

TEST(TextFunctionsTest, EveryScalarValueRoundTripsIntoExactlySizedBuffers) {
    int failures = 0;
    for (char32_t c = 1; c <= 0x10FFFF && failures < 5; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const std::string bytes = EncodeUtf8(c);
        const std::u16string units = EncodeUtf16(c);
        char16_t wide[2];
        char narrow[4];
        const auto toWide = Text::Utf8ToUtf16(bytes.data(), bytes.size(), wide, units.size());
        const auto toNarrow = Text::Utf16ToUtf8(units.data(), units.size(), narrow, bytes.size());
        const bool ok = toWide.complete && units == std::u16string(wide, toWide.written) &&
                        toNarrow.complete && bytes == std::string(narrow, toNarrow.written);
        if (!ok) {
            ADD_FAILURE() << "U+" << std::hex << static_cast<uint32_t>(c);
            ++failures;
        }
    }
}

TEST(TextFunctionsTest, LengthSpanAndCaseFoldAsciiOnly) {
    EXPECT_EQ(Text::Length(nullptr), 0u);
    EXPECT_EQ(Text::Length(u""), 0u);
    EXPECT_EQ(Text::Length(u"ab\0c"), 2u);

    EXPECT_EQ(Text::SpanExcluding(u"a.b c", u". "), 1u);
    EXPECT_EQ(Text::SpanExcluding(u".a", u"."), 0u);
    EXPECT_EQ(Text::SpanExcluding(u"abc", u""), 3u);
    EXPECT_EQ(Text::SpanExcluding(u"ab\u20AC", u"\u20AC"), 2u);
    EXPECT_EQ(Text::SpanExcluding(u"abc", nullptr), 3u);
    EXPECT_EQ(Text::SpanExcluding(nullptr, u"a"), 0u);

    const std::u16string mixed = u"az AZ @[`{ \u00E0\u00C0\u0101";
    std::u16string upper, lower;
    for (char16_t unit : mixed) {
        upper += Text::ToUpper(unit);
        lower += Text::ToLower(unit);
    }
    EXPECT_EQ(upper, u"AZ AZ @[`{ \u00E0\u00C0\u0101");
    EXPECT_EQ(lower, u"az az @[`{ \u00E0\u00C0\u0101");
    EXPECT_EQ(Text::ToUpper('q'), 'Q');
    EXPECT_EQ(Text::ToUpper('\xE9'), '\xE9');
    EXPECT_EQ(Text::ToUpper('{'), '{');
}

TEST(TextFunctionsTest, CompareNoCaseFoldsToLowerCase) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        int sign;
    };
    const Case cases[] = {
        {u"abc", u"ABC", 0},
        {u"Hello", u"hELLO", 0},
        {u"", u"", 0},
        {u"ab", u"abc", -1},
        {u"b", u"A", 1},
        // "_" lies between the upper- and lower-case letters: folding to lower puts it before them.
        {u"_", u"a", -1},
        {u"_", u"A", -1},
        {u"\u00E9", u"\u00C9", 1},
        {nullptr, nullptr, 0},
        {nullptr, u"", -1},
        {u"", nullptr, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.a) + " / " + testing::PrintToString(c.b));
        const int result = Text::CompareNoCase(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign);
    }
}

TEST(TextFunctionsTest, ToIntReadsLikeWtoiAndSaturates) {
    struct Case {
        const char16_t* text;
        int32_t value;
    };
    const Case cases[] = {
        {u"42", 42},
        {u"  -17", -17},
        {u"\t\n\v\f\r+8", 8},
        {u"007", 7},
        {u"12abc", 12},
        {u"1 2", 1},
        {u"0x1A", 0},
        {u"", 0},
        {u"abc", 0},
        {u"-", 0},
        {u"+ 5", 0},
        {u"--5", 0},
        {u"\u00A05", 0},
        {u"\uFF15", 0},
        {u"2147483647", INT32_MAX},
        {u"2147483648", INT32_MAX},
        {u"-2147483648", INT32_MIN},
        {u"-2147483649", INT32_MIN},
        {u"99999999999999999999999", INT32_MAX},
        {u"-99999999999999999999999", INT32_MIN},
        {nullptr, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Text::ToInt(c.text), c.value) << testing::PrintToString(c.text);
    }
}

TEST(TextFunctionsTest, ToDoubleReadsTheLeadingNumber) {
    EXPECT_EQ(Text::ToDouble(u"3.5"), 3.5);
    EXPECT_EQ(Text::ToDouble(u" \t-2.25e2x"), -225.0);
    EXPECT_EQ(Text::ToDouble(u".5"), 0.5);
    EXPECT_EQ(Text::ToDouble(u"1,5"), 1.0);
    EXPECT_EQ(Text::ToDouble(u"3.5\u20AC"), 3.5);
    EXPECT_EQ(Text::ToDouble(u"abc"), 0.0);
    EXPECT_EQ(Text::ToDouble(nullptr), 0.0);
    EXPECT_TRUE(std::isinf(Text::ToDouble(u"1e400")));
    // Longer than any stack buffer.
    const std::u16string longNumber = u"0." + std::u16string(300, u'0') + u"1";
    EXPECT_DOUBLE_EQ(Text::ToDouble(longNumber.c_str()), 1e-301);
}

// Formats into a buffer with room to spare and checks the terminating zero.
template <typename... Args>
std::u16string F(const char16_t* format, Args... args) {
    char16_t buffer[256];
    const size_t written = Text::Format(buffer, 256, format, args...);
    EXPECT_EQ(buffer[written], 0);
    return std::u16string(buffer, written);
}

TEST(TextFunctionsTest, FormatsNumbersLikeTheCLibrary) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {F(u"%d|%i", 42, -7), u"42|-7"},
        {F(u"%u", 4294967295u), u"4294967295"},
        {F(u"%x %X %o", 255, 255, 8), u"ff FF 10"},
        {F(u"%e|%E", 1234.5, 1234.5), u"1.234500e+03|1.234500E+03"},
        {F(u"%f|%F", 1.5, 1.5), u"1.500000|1.500000"},
        {F(u"%g|%G", 0.0001, 1e-10), u"0.0001|1E-10"},
        {F(u"%a|%A", 1.0, 1.0), u"0x1p+0|0X1P+0"},
        {F(u"100%%"), u"100%"},
        {F(u"%p", reinterpret_cast<void*>(0x12AB)), u"00000000000012AB"},
        {F(u"%p", static_cast<void*>(nullptr)), u"0000000000000000"},
        // Flags.
        {F(u"%-5d|", 42), u"42   |"},
        {F(u"%+d|% d|%+d", 5, 5, -5), u"+5| 5|-5"},
        {F(u"%#x|%#X|%#o", 255, 255, 8), u"0xff|0XFF|010"},
        {F(u"%05d|%05d", -42, 42), u"-0042|00042"},
        {F(u"%+06d", 42), u"+00042"},
        {F(u"%#08x", 255), u"0x0000ff"},
        {F(u"%08.3f", -1.5), u"-001.500"},
        {F(u"%-05d|", 7), u"7    |"},
        {F(u"%05.2d", 7), u"   07"},
        {F(u"%06f", std::numeric_limits<double>::infinity()), u"   inf"},
        {F(u"%010a", 1.0), u"0x00001p+0"},
        {F(u"%#.0f|%.0f", 3.0, 3.0), u"3.|3"},
        {F(u"%20p|", reinterpret_cast<void*>(1)), u"    0000000000000001|"},
        // Width and precision, given or taken from the arguments.
        {F(u"%5d|%.3d", 42, 7), u"   42|007"},
        {F(u"%*d|", 5, 42), u"   42|"},
        {F(u"%*d|", -5, 42), u"42   |"},
        {F(u"%.*f", 2, 3.14159), u"3.14"},
        {F(u"%.*f", -1, 1.5), u"1.500000"},
        {F(u"%*.*f|%d", 8, 2, 3.14159, 9), u"    3.14|9"},
        {F(u"%.0d|", 0), u"|"},
        // Length modifiers.
        {F(u"%hd|%hu|%hhd|%hhx", 65537, 65537, 255, 0x1FF), u"1|1|-1|ff"},
        {F(u"%ld|%lu|%lx", int32_t{-5}, UINT32_MAX, UINT32_MAX), u"-5|4294967295|ffffffff"},
        {F(u"%lld|%llu", INT64_MIN, UINT64_MAX), u"-9223372036854775808|18446744073709551615"},
        {F(u"%I64d|%I64X|%I32d", int64_t{1} << 40, int64_t{1} << 40, -3), u"1099511627776|10000000000|-3"},
        {F(u"%Id|%Iu", intptr_t{-1}, UINTPTR_MAX), u"-1|18446744073709551615"},
        {F(u"%d %lld %d", 1, int64_t{1} << 40, 3), u"1 1099511627776 3"},
        {F(u"%d %I64d %d", 1, int64_t{-1}, 3), u"1 -1 3"},
        {F(u"%lf|%Lf", 2.5, 2.5), u"2.500000|2.500000"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
    }
}

TEST(TextFunctionsTest, FormatsWideAndNarrowTextByTheWindowsRules) {
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    const std::pair<std::u16string, std::u16string> cases[] = {
        {F(u"%s|%ls|%ws", u"wide", u"l", u"w"), u"wide|l|w"},
        {F(u"%S|%hs|%hS", "narrow \xC3\xA9", "\xE6\x97\xA5", "h"), u"narrow \u00E9|\u65E5|h"},
        {F(u"%lS|%wS", u"wide", u"too"), u"wide|too"},
        {F(u"%S", "\xF0\x9F\x98\x80"), u"\U0001F600"},
        {F(u"%s|%S", static_cast<const char16_t*>(nullptr), static_cast<const char*>(nullptr)),
         u"(null)|(null)"},
        {F(u"%.3s", static_cast<const char16_t*>(nullptr)), u"(nu"},
        {F(u"%.2s|%5.1s|%-6s|", u"abc", u"abc", u"ab"), u"ab|    a|ab    |"},
        // Width counts UTF-16 units; precision counts the narrow bytes read.
        {F(u"%4S|%-3S|", "\xC3\xA9", "\xF0\x9F\x98\x80"), u"   \u00E9|\U0001F600 |"},
        {F(u"%.2S|%.1S|", "\xC3\xA9", "\xC3\xA9"), u"\u00E9||"},
        {F(u"%.4S", unterminated), u"abcd"},
        // Narrow text ends at its first byte sequence that is not UTF-8.
        {F(u"%S|",
           "a\xC0"
           "b"),
         u"a|"},
        {F(u"%c%c|%lc|%wc", u'\u00E9', 0x20AC, u'x', u'y'), u"\u00E9\u20AC|x|y"},
        {F(u"%C%hc|%C|", 'A', 'z', 0xE9), u"Az||"},
        {F(u"%3c|%-3c|", u'x', u'y'), u"  x|y  |"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
    }
    // A zero character is written like any other.
    EXPECT_EQ(F(u"a%cb", 0), std::u16string(u"a\0b", 3));
}

TEST(TextFunctionsTest, FormatStopsSafelyAtWhatItDoesNotSupport) {
    int target = 12345;
    EXPECT_EQ(F(u"a%nb%d", &target, 5), u"ab5");
    EXPECT_EQ(target, 12345);
    const std::pair<std::u16string, std::u16string> cases[] = {
        {F(u"ab%yc%d", 1), u"ab"},  {F(u"abc%"), u"abc"},
        {F(u"x%5"), u"x"},          {F(u"x%lld|%wd", int64_t{1}, 2), u"x1|"},
        {F(u"x%llsy", u"a"), u"x"}, {F(u"x%hhcy", 'a'), u"x"},
        {F(u"x%I64fy", 1.0), u"x"}, {F(u"x%lpy", static_cast<void*>(nullptr)), u"x"},
        {F(u"%5%|"), u"%|"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
    }
    char16_t buffer[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(Text::Format(buffer, 4, nullptr), 0u);
    EXPECT_EQ(buffer[0], 0);
}

TEST(TextFunctionsTest, FormatCutsOutputAtTheCapacity) {
    constexpr size_t kCapacity = 16384;
    const std::u16string longText(20000, u'x');
    const std::u16string fits(kCapacity - 1, u'y');
    std::vector<char16_t> buffer(kCapacity + 8);
    auto check = [&](size_t capacity, const std::u16string& expected, auto... args) {
        std::fill(buffer.begin(), buffer.end(), u'#');
        const size_t written = Text::Format(buffer.data(), capacity, args...);
        EXPECT_EQ(written, expected.size());
        EXPECT_EQ(std::u16string(buffer.data(), written), expected);
        EXPECT_EQ(buffer[written], 0);
        EXPECT_EQ(buffer[capacity], u'#');  // nothing past the capacity
    };
    check(kCapacity, longText.substr(0, kCapacity - 1), u"%s", longText.c_str());
    check(kCapacity, fits, u"%s", fits.c_str());
    check(kCapacity, u"a" + fits.substr(0, kCapacity - 2), u"a%s", fits.c_str());
    check(kCapacity, std::u16string(kCapacity - 1, u' '), u"%20000d", 5);
    check(kCapacity, u"1." + std::u16string(kCapacity - 3, u'0'), u"%.20000f", 1.0);
    check(kCapacity, u"-" + std::u16string(kCapacity - 2, u'0'), u"%020000d", -5);
    check(4, u"123", u"%d", 123456);
    check(4, u"abc", u"abcdef");
    check(4, u"  \u00E9", u"%3S", "\xC3\xA9");
    // The cut is made in units, so it may fall inside a surrogate pair.
    check(3, std::u16string{u'a', char16_t{0xD83D}}, u"a%S", "\xF0\x9F\x98\x80");
    check(1, u"", u"abc");

    buffer[0] = u'#';
    EXPECT_EQ(Text::Format(buffer.data(), 0, u"abc"), 0u);
    EXPECT_EQ(buffer[0], u'#');
}

// Number reading and formatting do not follow the process locale.
TEST(TextFunctionsTest, NumbersIgnoreTheProcessLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const char* found = nullptr;
    for (const char* name :
         {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.utf8", "fr_FR.utf8", "ru_RU.UTF-8", "de_DE"}) {
        if (std::setlocale(LC_ALL, name) != nullptr && std::localeconv()->decimal_point[0] == ',') {
            found = name;
            break;
        }
    }
    if (found == nullptr) {
        std::setlocale(LC_ALL, previous.c_str());
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    const double read = Text::ToDouble(u"2.75");
    const std::u16string written = F(u"%.2f|%g", 3.5, 0.25);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(read, 2.75);
    EXPECT_EQ(written, u"3.50|0.25");
}

}  // namespace
