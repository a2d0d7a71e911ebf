#include "RIZozivirod/Utilities/Storage/StringT.h"

#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/Utilities/Storage/StringArrayT.h"

namespace QV {
namespace {

std::string Utf8(const WString& text) {
    return std::string(NString(text).GetString());
}

WString Passed(WString text) {
    return text;
}

TEST(String, EmptyFormsShareTheProcessWideText) {
    WString a;
    WString b(u"abc");
    b.Empty();
    WString c;
    c.Assign(static_cast<const char16_t*>(nullptr), WString::kWholeText);
    WString d(u"x");
    d.Assign(u"abc", 0);
    for (const WString* s : {&b, &c, &d}) {
        EXPECT_EQ(s->GetString(), a.GetString());
        EXPECT_TRUE(*s == a);
    }
    WString zero(u'\0');
    EXPECT_EQ(zero.GetLength(), 0);
    EXPECT_NE(zero.GetString(), a.GetString());
    EXPECT_TRUE(zero == a);
}

TEST(String, CopiesShareUntilOneIsLocked) {
    WString a(u"hello");
    WString b(a);
    EXPECT_EQ(a.GetString(), b.GetString());
    char16_t* p = b.Lock(0);
    ASSERT_NE(p, nullptr);
    EXPECT_NE(p, a.GetString());
    p[0] = u'j';
    EXPECT_TRUE(a == u"hello");
    EXPECT_TRUE(b == u"jello");
    // A copy of a locked string is unlocked and exactly sized.
    WString c(b);
    EXPECT_FALSE(c.IsLocked());
    EXPECT_NE(c.GetString(), b.GetString());
    EXPECT_TRUE(c == u"jello");
    b.Unlock();
}

TEST(String, LockUnlockStateMachine) {
    WString abc(u"abc");
    char16_t* p = abc.Lock(0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::u16string(p), u"abc");
    EXPECT_EQ(abc.Lock(0), nullptr);  // already locked
    EXPECT_EQ(abc.Unlock(), 0);
    EXPECT_EQ(abc.Unlock(), 1);

    WString text(u"abcdef");
    p = text.Lock(3);
    EXPECT_EQ(std::u16string(p), u"ab");
    EXPECT_EQ(text.GetLength(), 2);
    EXPECT_EQ(text.Unlock(), 0);
    EXPECT_EQ(text.GetLength(), 2);
    EXPECT_TRUE(text == u"ab");

    // Locking an empty string and writing nothing returns it to the shared empty text.
    WString empty;
    p = empty.Lock(16);
    ASSERT_NE(p, nullptr);
    EXPECT_NE(p, WString::GetEmpty().GetString());
    empty.Unlock();
    EXPECT_EQ(empty.GetString(), WString::GetEmpty().GetString());

    // Writing through the lock, then unlocking to the exact length.
    WString written;
    p = written.Lock(10);
    p[0] = u'o';
    p[1] = u'k';
    p[2] = 0;
    written.Unlock();
    EXPECT_TRUE(written == u"ok");
    EXPECT_EQ(written.GetLength(), 2);
}

TEST(String, LockedStringGrowsForLongerTextsAndSelfAssignment) {
    WString s(u"ab");
    s.Lock(0);
    s.Assign(u"a much longer text than the buffer", WString::kWholeText);
    EXPECT_TRUE(s == u"a much longer text than the buffer");
    EXPECT_TRUE(s.IsLocked());
    s.Assign(s.GetString() + 2, WString::kWholeText);  // overlapping source
    EXPECT_TRUE(s == u"much longer text than the buffer");
    s.Insert(4, WString(u" MUCH"));
    EXPECT_TRUE(s == u"much MUCH longer text than the buffer");
    EXPECT_TRUE(s.IsLocked());
    s += WString(u"!");
    EXPECT_TRUE(s.IsLocked());
    EXPECT_EQ(s.Unlock(), 0);
    EXPECT_TRUE(s == u"much MUCH longer text than the buffer!");
}

TEST(String, Appending) {
    WString s(u"ab");
    s += WString(u"cd");
    EXPECT_TRUE(s == u"abcd");
    s += WString();
    EXPECT_TRUE(s == u"abcd");
    s += s;
    EXPECT_TRUE(s == u"abcdabcd");
    WString shared(s);
    s += shared;
    EXPECT_TRUE(s == u"abcdabcdabcdabcd");
    EXPECT_TRUE(shared == u"abcdabcd");
    WString c;
    c += 'A';
    c += static_cast<char>(0xE9);  // not UTF-8 on its own: appends nothing
    c += u'\u00E9';
    c += u'\0';
    EXPECT_TRUE(c == u"A\u00E9");
    EXPECT_TRUE(WString(u"x") + WString(u"y") == u"xy");
}

TEST(String, MidLeftRight) {
    const WString s(u"abcdef");
    const struct {
        WString result;
        const char16_t* expected;
    } cases[] = {
        {s.Mid(2, 2), u"cd"},     {s.Mid(-3), u"def"},         {s.Mid(4, 10), u"ef"},
        {s.Mid(6), u""},          {s.Mid(-8, 4), u"ab"},       {s.Mid(-10, 4), u""},
        {s.Mid(1, -1), u"bcdef"}, {s.Left(2), u"ab"},          {s.Right(2), u"ef"},
        {s.Mid(0, 0), u""},       {s.Mid(0x7fffffff, 1), u""}, {s.Mid(2, 0x7fffffff), u"cdef"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_TRUE(cases[i].result == cases[i].expected) << i << ": " << Utf8(cases[i].result);
    }
    // A start or count this far below zero must not overflow: the window covers the text.
    EXPECT_TRUE(s.Mid(INT32_MIN) == u"abcdef");
    EXPECT_TRUE(s.Right(INT32_MIN) == u"abcdef");
}

TEST(String, InsertAndDelete) {
    const struct {
        const char16_t* text;
        int32_t position;
        const char16_t* insert;
        int32_t count;
        int32_t result;
        const char16_t* expected;
    } inserts[] = {
        {u"ab", 1, u"xyz", 2, 0, u"axyb"},
        {u"ab", 2, u"c", -1, 0, u"abc"},
        {u"ab", 0, u"z", -1, 0, u"zab"},
        {u"ab", 3, u"c", -1, E_INVALIDARG, u"ab"},
        {u"ab", -1, u"c", -1, E_INVALIDARG, u"ab"},
        {u"ab", 1, u"xyz", 0, 0, u"ab"},
        {u"ab", 1, u"xyz", 99, 0, u"axyzb"},
    };
    for (const auto& c : inserts) {
        WString s(c.text);
        EXPECT_EQ(s.Insert(c.position, c.insert, c.count), c.result);
        EXPECT_TRUE(s == c.expected) << Utf8(s);
    }
    WString u(u"ab");
    EXPECT_EQ(u.Insert(1, "\xC3\xA9"), 0);
    EXPECT_TRUE(u == u"a\u00E9b");

    const struct {
        int32_t position;
        int32_t count;
        bool result;
        const char16_t* expected;
    } deletes[] = {
        {1, 2, true, u"ade"},   {5, 0, false, u"abcde"},          {3, 3, false, u"abcde"},
        {2, 0, true, u"abcde"}, {2, -1, false, u"abcde"},         {-1, 1, false, u"abcde"},
        {0, 5, true, u""},      {1, 0x7fffffff, false, u"abcde"},
    };
    for (const auto& c : deletes) {
        WString s(u"abcde");
        EXPECT_EQ(s.Delete(c.position, c.count), c.result) << c.position << " " << c.count;
        EXPECT_TRUE(s == c.expected) << Utf8(s);
    }
}

TEST(String, TrimFindCompare) {
    EXPECT_TRUE(WString(u"   ").TrimLeft() == u"   ");
    EXPECT_TRUE(WString(u"   ").Trim() == u"");
    EXPECT_TRUE(WString(u"abc \t").TrimRight() == u"abc");
    EXPECT_TRUE(WString(u" \r\nab c\n").Trim() == u"ab c");
    EXPECT_TRUE(WString(u"xxaxx").TrimLeft(WString(u"x")) == u"axx");

    EXPECT_EQ(WString(u"abcabc").Find(WString(u"ca")), 2);
    EXPECT_EQ(WString(u"abc").Find(WString(u"x")), -1);
    EXPECT_EQ(WString(u"abc").Find(WString()), 0);
    EXPECT_EQ(WString(u"a.b.c").ReverseFind('.'), 3);
    EXPECT_EQ(WString(u"abc").ReverseFind('.'), -1);
    EXPECT_EQ(NString("abcabc").Find(NString("abc"), 1), 3);

    EXPECT_TRUE(WString() == static_cast<const char16_t*>(nullptr));
    EXPECT_FALSE(WString(u"a") == static_cast<const char16_t*>(nullptr));
    EXPECT_FALSE(WString(u"abc") == u"ab");
    EXPECT_TRUE(WString(u"\u00E9") == "\xC3\xA9");
    EXPECT_TRUE(NString("\xC3\xA9") == u"\u00E9");
    EXPECT_TRUE(WString(u"B") < WString(u"a"));
    EXPECT_FALSE(WString(u"a") < WString(u"a"));
    EXPECT_TRUE(WString(u"ab") < WString(u"abc"));
    EXPECT_TRUE(WString(u"\u00E9") < WString(u"\uFFFF"));
    const WString same(u"q");
    EXPECT_FALSE(same < same);
}

TEST(String, CopyingUnlockedStringsAllocatesNothing) {
    const WString source(u"some text that is long enough");
    const auto before = GetSystemAllocator().GetStats();
    WString copy(source);
    WString assigned;
    assigned = copy;
    WString returned = Passed(assigned);
    NString narrowEmpty;
    WString wideEmpty;
    const auto after = GetSystemAllocator().GetStats();
    EXPECT_EQ(after.Allocations(), before.Allocations());
    EXPECT_EQ(after.frees, before.frees);
    EXPECT_EQ(returned.GetString(), source.GetString());
}

TEST(String, ToStringOfObjects) {
    EXPECT_TRUE(StringToString(WString(u"x")) == u"x");
}

}  // namespace
}  // namespace QV
