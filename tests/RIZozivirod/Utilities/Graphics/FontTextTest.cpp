#include "RIZozivirod/Utilities/Graphics/FontText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UITestSupport/FixedWidthMeasurer.h"
#include "UITestSupport/TestApplicationServices.h"

namespace QV {
namespace {

// Every character measures 10 wide and lines are 20 high.
class FontTextTest : public ::testing::Test {
protected:
    void SetUp() override { services->measuringRenderer = measurer; }

    RCPtr<LFontText> Block(const char16_t* text) { return LFontText::Create(text, font); }

    static std::vector<std::u16string> Texts(const std::vector<WString>& lines) {
        std::vector<std::u16string> texts;
        for (const WString& line : lines) {
            texts.emplace_back(line.GetString(), static_cast<size_t>(line.GetLength()));
        }
        return texts;
    }

    ScopedTestApplicationServices services;
    RCPtr<TestSupport::FixedWidthMeasurer> measurer{new TestSupport::FixedWidthMeasurer()};
    RCPtr<LFont> font = LFont::GetFont(u"FontTextTest Fixed", 10.0f, 0);
};

TEST_F(FontTextTest, BreakLine) {
    struct Case {
        const char16_t* text;
        int32_t width;
        int32_t expected;
    };
    const Case cases[] = {
        {u"abc", 40, 3},               // fits as a whole
        {u"abcd", 40, 4},              // as wide as the box: no whole fit, but no break either
        {u"abcd efgh", 40, 4},         // a prefix exactly as wide as the box fits
        {u"aa   bb", 40, 4},           // from the last space backwards: "aa  "
        {u"abcdefgh", 30, 8},          // one long word overflows
        {u"abcdef-", 30, 7},           // a hyphen that ends the word does not count
        {u"well-known words", 60, 5},  // "well-" ; no space leaves a short enough line
        {u"go well-known", 90, 8},     // "go well-": the hyphen carries the word's first part
        {u"go well-known", 70, 2},     // "go": "go well-" is too wide
        {u"ab-cd-efgh", 40, 3},        // "ab-": after the last hyphen that fits
        {u" abcdef", 30, 7},           // a leading space is no place to break
        {u"", 0, 0},
    };
    RCPtr<LFontText> block = Block(u"");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
        EXPECT_EQ(block->BreakLine(measurer.Get(), c.width, c.text), c.expected);
    }
}

TEST_F(FontTextTest, WrapLines) {
    struct Case {
        const char16_t* text;
        int32_t width;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {u"aaa bbb ccc", 75, {u"aaa bbb", u"ccc"}},
        {u"well-known words", 60, {u"well-", u"known", u"words"}},
        {u"aa   bb", 40, {u"aa  ", u"bb"}},   // the end keeps its spaces, the start not
        {u"a\n\nb", 100, {u"a", u"", u"b"}},  // empty paragraphs stay
        {u"abcdefgh ij", 30, {u"abcdefgh", u"ij"}},
        {u"abc\t  \r\n", 100, {u"abc\t  \r", u""}},
        // Only white space after a break: the paragraph ends there instead of looping on it.
        {u"abc      ", 40, {u"abc "}},
        {u"", 50, {u""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
        std::vector<WString> out{u"stale"};
        Block(c.text)->WrapLines(measurer.Get(), c.width, out);
        EXPECT_EQ(Texts(out), c.lines);
    }
}

TEST_F(FontTextTest, LinesArePlacedByTheAlignmentFactors) {
    struct Case {
        float horizontal, vertical;
        RectT<float> first, second;
    };
    // "ab" and "abcd" in a 100 x 100 box; the block is 40 high.
    const Case cases[] = {
        {0.0f, 0.0f, {0, 0, 20, 20}, {0, 20, 40, 20}},
        {0.5f, 0.5f, {40, 30, 20, 20}, {30, 50, 40, 20}},
        {1.0f, 1.0f, {80, 60, 20, 20}, {60, 80, 40, 20}},
        {2.0f, -1.0f, {160, -60, 20, 20}, {120, -40, 40, 20}},
    };
    RCPtr<LFontText> block = Block(u"ab\nabcd");
    block->SetBoxSize(100, 100);
    for (const Case& c : cases) {
        block->SetHorizontalAlignment(c.horizontal);
        block->SetVerticalAlignment(c.vertical);
        ASSERT_EQ(block->Layout(), 2);
        EXPECT_EQ(block->GetLineRect(0), c.first);
        EXPECT_EQ(block->GetLineRect(1), c.second);
    }
    EXPECT_EQ(block->GetLineRect(5), (RectT<float>{}));
    EXPECT_EQ(block->GetLine(1), WString(u"abcd"));

    // Centred text larger than its box starts left of and above it; the size still counts
    // from the box's origin.
    RCPtr<LFontText> large = Block(u"abcdefghijklmn\nx\ny");
    large->SetBoxSize(100, 20);
    large->SetHorizontalAlignment(0.5f);
    large->SetVerticalAlignment(0.5f);
    EXPECT_EQ(large->GetTextSize(), (PointT<int32_t>{140, 60}));
    EXPECT_EQ(large->GetLineRect(0), (RectT<float>{-20, -20, 140, 20}));
}

TEST_F(FontTextTest, AnEmptyBlockIsOneEmptyLine) {
    RCPtr<LFontText> block = Block(u"");
    block->SetBoxSize(50, 50);
    EXPECT_EQ(block->Layout(), 1);
    EXPECT_EQ(block->GetTextSize(), (PointT<int32_t>{0, 20}));
    EXPECT_EQ(block->GetHeightForWidth(50), 20);
}

TEST_F(FontTextTest, LayoutIsRedoneOnlyAsFarAsAChangeRequires) {
    RCPtr<LFontText> block = Block(u"aaa bbb ccc");
    block->SetWrap(true);
    block->SetBoxSize(75, 100);
    EXPECT_EQ(block->Layout(), 2);
    const int32_t calls = measurer->measureCalls;
    EXPECT_EQ(block->Layout(), 2);
    EXPECT_EQ(measurer->measureCalls, calls);

    // An alignment only places the lines again: one measurement per line.
    block->SetHorizontalAlignment(1.0f);
    EXPECT_EQ(block->Layout(), 2);
    EXPECT_EQ(measurer->measureCalls, calls + 2);
    EXPECT_EQ(block->GetLineRect(1), (RectT<float>{45, 20, 30, 20}));

    // The same text again changes nothing; another box breaks again.
    EXPECT_FALSE(block->SetText(WString(u"aaa bbb ccc")));
    EXPECT_EQ(block->Layout(), 2);
    block->SetBoxSize(200, 100);
    EXPECT_EQ(block->Layout(), 1);
    EXPECT_TRUE(block->SetText(u"aaa bbb ccc ddd eee fff ggg hhh iii jjj"));
    EXPECT_EQ(block->Layout(), 2);
    block->SetWrap(false);
    EXPECT_EQ(block->Layout(), 1);

    // A font of another description lays out again, the same font or an equal one does not.
    EXPECT_FALSE(block->SetFont(font));
    EXPECT_TRUE(block->SetFont(LFont::GetFont(u"FontTextTest Fixed", 11.0f, 0)));
    EXPECT_TRUE(block->SetFont(nullptr));
    EXPECT_FALSE(block->SetFont(nullptr));
    EXPECT_EQ(block->Layout(), 1);
    EXPECT_EQ(block->GetLineRect(0).y, 0.0f);  // no font, no line height
}

TEST_F(FontTextTest, NaturalWidthAndHeightForWidth) {
    measurer->widths[u"first"] = 40.2f;
    measurer->widths[u"second"] = 39.9f;
    RCPtr<LFontText> block = Block(u"first\nsecond");
    EXPECT_EQ(block->GetNaturalWidth(), 41);
    measurer->widths[u"first"] = 40.0f;
    EXPECT_EQ(block->GetNaturalWidth(), 40);

    RCPtr<LFontText> wrapped = Block(u"aaa bbb ccc\nd");
    EXPECT_EQ(wrapped->GetHeightForWidth(35), 40);  // unwrapped: two lines
    wrapped->SetWrap(true);
    EXPECT_EQ(wrapped->GetHeightForWidth(35), 80);
    EXPECT_EQ(wrapped->GetHeightForWidth(1000), 40);
    // Asking leaves the block's own lines alone.
    wrapped->SetBoxSize(35, 0);
    EXPECT_EQ(wrapped->Layout(), 4);
    EXPECT_EQ(wrapped->GetHeightForWidth(1000), 40);
    EXPECT_EQ(wrapped->Layout(), 4);
}

}  // namespace
}  // namespace QV
