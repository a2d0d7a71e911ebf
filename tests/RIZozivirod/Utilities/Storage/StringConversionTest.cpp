#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RIZozivirod/Utilities/Storage/StringArrayT.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {
namespace {

std::u16string Units(const WString& s) {
    return std::u16string(s.GetString(), static_cast<size_t>(s.GetLength()));
}

TEST(StringConversion, Utf8ToUtf16KeepsTheWellFormedPrefix) {
    const struct {
        const char* utf8;
        std::u16string expected;
        int32_t result;
    } cases[] = {
        {"", u"", S_OK},
        {"\xC3\xA9", u"\u00E9", S_OK},
        {"\xF0\x9F\x98\x80", u"\U0001F600", S_OK},
        {"ab\x80"
         "cd",
         u"ab", E_FAIL},
        {"ab\xC0\x80", u"ab", E_FAIL},
        {"ab\xE2", u"ab", E_FAIL},
        {"ab\xED\xA0\x80", u"ab", E_FAIL},
        {"ab\xED\x41\x80", u"ab", E_FAIL},
        {"\xF4\x90\x80\x80", u"", E_FAIL},
        {"x\xF8\x88\x80\x80\x80", u"x", E_FAIL},
    };
    for (const auto& c : cases) {
        RCPtr<LIBuffer> out;
        EXPECT_EQ(WString::AssignUTF8(out, c.utf8, -1), c.result) << c.utf8;
        const auto* units = static_cast<const char16_t*>(out->GetBytes());
        EXPECT_EQ(std::u16string(units), c.expected) << c.utf8;
        EXPECT_EQ(out->GetSize(), (c.expected.size() + 1) * 2) << "exactly sized";
        EXPECT_EQ(Units(WString(c.utf8)), c.expected);
    }
    RCPtr<LIBuffer> empty;
    EXPECT_EQ(WString::AssignUTF8(empty, nullptr, -1), S_OK);
    EXPECT_EQ(empty.Get(), RCPtr<LIBuffer>(nullptr).Get() == nullptr ? empty.Get() : nullptr);
    EXPECT_EQ(static_cast<const char16_t*>(empty->GetBytes()), WString::GetEmpty().GetString());
}

TEST(StringConversion, ConversionOfNothingSharesTheEmptyText) {
    const struct {
        const char* utf8;
        int32_t byteCount;
    } cases[] = {
        {"\x80", 1},          // a lone continuation byte
        {"\xC3\xA9", 1},      // a lead byte cut by the count
        {"\xE2\x82\xAC", 2},  // a three-byte character cut after two
        {"\xED\xA0\x80"
         "abc",
         6},  // an encoded surrogate first
    };
    for (const auto& c : cases) {
        WString s(u"previous text");
        s.Assign(c.utf8, c.byteCount);
        EXPECT_EQ(s.GetString(), WString::GetEmpty().GetString()) << c.utf8;
        EXPECT_FALSE(s.IsLocked());
        EXPECT_EQ(WString(std::string(c.utf8, static_cast<size_t>(c.byteCount)).c_str()).GetString(),
                  WString::GetEmpty().GetString());
    }
    WString some;
    some.Assign("\xC3\xA9\x80", 3);
    EXPECT_EQ(Units(some), u"\u00E9");

    // A high surrogate that ends the counted units converts to nothing as well.
    const char16_t high[] = {0xD800, 0};
    RCPtr<LIBuffer> narrow;
    EXPECT_EQ(NString::AssignUTF16(narrow, high, 1), E_FAIL);
    EXPECT_EQ(static_cast<const char*>(narrow->GetBytes()), NString::GetEmpty().GetString());
}

TEST(StringConversion, Utf16ToUtf8IsLenientWithLoneSurrogates) {
    const struct {
        std::u16string utf16;
        std::string expected;
    } cases[] = {
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string{0xD800, u'A'},
         "\xED\xA0\x80"
         "A"},
        {std::u16string{u'x', 0xDC00}, "x\xED\xB0\x80"},
        {u"\u00E9\u20AC", "\xC3\xA9\xE2\x82\xAC"},
    };
    for (const auto& c : cases) {
        RCPtr<LIBuffer> out;
        EXPECT_EQ(NString::AssignUTF16(out, c.utf16.c_str(), -1), S_OK);
        EXPECT_EQ(std::string(static_cast<const char*>(out->GetBytes())), c.expected);
        EXPECT_EQ(out->GetSize(), c.expected.size() + 1);
    }
    // The narrow text of a lone surrogate is not UTF-8: converting it back stops there.
    const NString lone(std::u16string{u'a', 0xD800, u'b'}.c_str());
    EXPECT_EQ(Units(WString(lone)), u"a");
}

TEST(StringConversion, EveryScalarValueRoundTrips) {
    std::u16string all;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        if (c >= 0x10000) {
            all += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            all += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            all += static_cast<char16_t>(c);
        }
    }
    const WString wide(all.c_str());
    const NString narrow(wide);
    EXPECT_EQ(narrow.GetLength(), 0x7F + 2 * (0x7FF - 0x7F) + 3 * (0xFFFF - 0x7FF - 0x800) + 4 * 0x100000);
    EXPECT_EQ(Units(WString(narrow)), all);
}

TEST(StringConversion, NumbersToText) {
    const struct {
        WString result;
        const char16_t* expected;
    } cases[] = {
        {WString::FromInt(1234, 2), u"12.34"},
        {WString::FromInt(5, 2), u".05"},
        {WString::FromInt(7, 0), u"7"},
        {WString::FromInt(7, -1), u"7"},
        {WString::FromInt(-42, 0), u"-42"},
        {WString::FromUInt(4294967295u, 0), u"4294967295"},
        {WString::FromUInt(100, 3), u".100"},
        {WString::FromDouble(3.14159, 2), u"3.14"},
        {WString::FromDouble(1.0, -1), u"1.000000"},
        {WString::FromDouble(2.5, 0), u"2"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_TRUE(cases[i].result == cases[i].expected)
            << i << ": " << NString(cases[i].result).GetString();
    }
}

TEST(StringConversion, TextToNumbers) {
    EXPECT_EQ(WString(u"  -123abc").ToInt(), -123);
    EXPECT_EQ(WString(u"abc").ToInt(), 0);
    EXPECT_EQ(WString(u"99999999999").ToInt(), 2147483647);
    EXPECT_DOUBLE_EQ(WString(u"2.5").ToDouble(), 2.5);
}

TEST(StringConversion, FormatWideRulesAndLimits) {
    EXPECT_TRUE(WString::Format(u"%s=%d %S %hs %c%%", u"id", -3, "utf8", "\xC3\xA9", u'x') ==
                u"id=-3 utf8 \u00E9 x%");
    EXPECT_TRUE(WString::Format(u"%04X|%-3u|%.2f|%lld", 0xAB, 7u, 1.005, -5LL) == u"00AB|7  |1.00|-5");
    std::u16string fill(16383, u'z');
    EXPECT_EQ(WString::Format(u"%s", fill.c_str()).GetLength(), 16383);
    std::u16string longer(20000, u'z');
    EXPECT_EQ(WString::Format(u"%s", longer.c_str()).GetLength(), 16383);
}

TEST(StringConversion, ReplaceAndCase) {
    WString s(u"a.b c");
    s.Replace(u". ", u'_');
    EXPECT_TRUE(s == u"a_b_c");
    s.Replace(u"_", 0);
    EXPECT_TRUE(s == u"a_b_c");
    s.Replace(u"", u'x');
    EXPECT_TRUE(s == u"a_b_c");
    EXPECT_TRUE(WString(u"abc\u00E9Z").ToUpper() == u"ABC\u00E9Z");
    EXPECT_TRUE(WString(u"ABC\u00C9z").ToLower() == u"abc\u00C9z");
    EXPECT_TRUE(WString().ToUpper() == u"");
    EXPECT_STREQ(NString("abc\xC3\xA9").ToUpper().GetString(), "ABC\xC3\xA9");
}

TEST(StringConversion, SplitKeepsEmptyPiecesButNoneAfterATrailingDelimiter) {
    const struct {
        const char16_t* text;
        const char16_t* delimiters;
        std::vector<std::u16string> pieces;
    } cases[] = {
        {u"a,,b", u",", {u"a", u"", u"b"}},
        {u",a", u",", {u"", u"a"}},
        {u"a,", u",", {u"a"}},
        {u",", u",", {u""}},
        {u"abc", u",", {u"abc"}},
        {u"", u",", {u""}},
        {u"a;b,c", u",;", {u"a", u"b", u"c"}},
    };
    for (const auto& c : cases) {
        WStringArray out;
        out.Add(WString(u"stale"));
        const int32_t count = WString(c.text).Split(out, WString(c.delimiters));
        ASSERT_EQ(count, static_cast<int32_t>(c.pieces.size())) << NString(c.text).GetString();
        ASSERT_EQ(out.GetCount(), c.pieces.size());
        for (size_t i = 0; i < c.pieces.size(); ++i) {
            EXPECT_EQ(Units(out.GetAt(static_cast<uint32_t>(i))), c.pieces[i]);
        }
    }
    const WString whole(u"nodelimiter");
    EXPECT_EQ(whole.Split(WString(u",")).GetAt(0).GetString(), whole.GetString());
}

TEST(StringConversion, StringArrayLookups) {
    WStringArray array;
    array.Add(WString(u"abc"));
    array.Add(WString(u"ABC"));
    EXPECT_EQ(array.Find(WString(u"ABC"), true), 1);
    EXPECT_EQ(array.Find(WString(u"ABC"), false), 0);
    EXPECT_EQ(array.Find(WString(u"abd"), false), -1);
    EXPECT_EQ(WStringArray().Find(WString(u"a"), true), -1);
    const WString other(u"abc");
    EXPECT_EQ(array.FindByPointer(other.GetString()), -1);
    EXPECT_EQ(array.FindByPointer(array.GetAt(1).GetString()), 1);
}

}  // namespace
}  // namespace QV
