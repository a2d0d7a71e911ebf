#include "RIZozivirod/Utilities/Graphics/FontText.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <string_view>
#include <vector>

#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"
#include "UITestSupport/FixedWidthMeasurer.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/TestFonts.h"

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

// The line breaking as it was when every break measured the rest of the paragraph and then each
// prefix at a space from the end back; the lines of today's breaking must be these.
int32_t BreakLineMeasuringBackwards(LMeasurementRenderer& measurer, const RCPtr<LFont>& font, int32_t width,
                                    const WString& text) {
    auto wide = [&](const WString& t) {
        const RectT<float> r = measurer.MeasureText(t, font);
        return r.x + r.width;
    };
    auto last = [](const WString& t, char16_t c, int32_t count) {
        for (int32_t i = std::min(count, t.GetLength()) - 1; i >= 0; --i) {
            if (t.GetString()[i] == c) {
                return i;
            }
        }
        return -1;
    };
    const float limit = static_cast<float>(width);
    if (wide(text) < limit) {
        return text.GetLength();
    }
    WString cur = text;
    for (;;) {
        const int32_t space = last(cur, u' ', cur.GetLength());
        if (space >= 1) {
            const WString prefix = cur.Left(space);
            if (wide(prefix) <= limit) {
                const int32_t h = 1 + last(cur, u'-', cur.GetLength());
                return h > space && wide(cur.Left(h)) <= limit ? h : space;
            }
            cur = prefix;
            continue;
        }
        const int32_t hyphen = last(cur, u'-', cur.GetLength() - 1);
        if (hyphen < 0) {
            return cur.GetLength();
        }
        if (wide(cur.Left(hyphen + 1)) <= limit) {
            return hyphen + 1;
        }
        cur = cur.Left(hyphen + 1);
    }
}

TEST_F(FontTextTest, BreaksAreThoseOfMeasuringEveryPrefixFromTheEndBack) {
    TestSupport::UseTestFonts();
    RCPtr<LGDIRenderer> renderer(new LGDIRenderer());
    const RCPtr<LFont> dejaVu = LFont::GetFont(u"DejaVu Sans", 9.0f, 0);
    WString long500;
    const char16_t* words[] = {u"filter ",    u"envelope ",   u"cut-off ",
                               u"resonance ", u"oscillator ", u"glide "};
    for (int i = 0; long500.GetLength() < 500; ++i) {
        long500 += WString(words[i % 6]);
    }
    long500 = long500.Left(500);
    const WString paragraphs[] = {
        long500,
        u"The quick brown fox jumps over the lazy dog near the riverbank at dawn.",
        u"well-known, self-contained, state-of-the-art pitch-bend re-mapping",
        u"Supercalifragilisticexpialidocious antidisestablishmentarianism",
        u"a  b   c    d     e      f",
        u" leading space, trailing spaces   ",
        u"ends with a hyphen- and x-",
        u"-dash- -first --double-- hyphens---",
        u"Pad 1 / Pad 2 / Pad 3 / Pad 4 / Fader 1 / Fader 2 / Ribbon / Tilt X / Tilt Y",
        u"",
    };
    struct Measurer {
        const char* name;
        LMeasurementRenderer* measurer;
        RCPtr<LFont> font;
    };
    const Measurer measurers[] = {{"DejaVu Sans 9", renderer.Get(), dejaVu},
                                  {"fixed width", measurer.Get(), font}};
    int checked = 0;
    for (const Measurer& m : measurers) {
        for (const WString& text : paragraphs) {
            for (int32_t width : {0, 5, 20, 37, 60, 90, 120, 160, 240, 333, 1000}) {
                SCOPED_TRACE(std::string(m.name) + " at " + std::to_string(width) + ": " +
                             text.ToUTF8().GetString());
                RCPtr<LFontText> block = LFontText::Create(text, m.font);
                std::vector<WString> lines;
                block->WrapLines(m.measurer, width, lines);
                // Today's lines, rebuilt from the old breaks over the same paragraph.
                std::vector<WString> expected;
                WString rest = text;
                int32_t n = BreakLineMeasuringBackwards(*m.measurer, m.font, width, rest);
                WString line = rest.Left(n);
                while (n < rest.GetLength()) {
                    int32_t start = n;
                    while (start < rest.GetLength() &&
                           std::u16string_view(u" \t\r\n").find(rest.GetString()[start]) !=
                               std::u16string_view::npos) {
                        ++start;
                    }
                    rest = rest.Mid(start);
                    if (rest.IsEmpty()) {
                        break;
                    }
                    expected.push_back(line);
                    n = BreakLineMeasuringBackwards(*m.measurer, m.font, width, rest);
                    line = rest.Left(n);
                }
                expected.push_back(line);
                EXPECT_EQ(Texts(lines), Texts(expected));
                for (const WString& piece : {text, text.Left(text.GetLength() / 2)}) {
                    EXPECT_EQ(block->BreakLine(m.measurer, width, piece),
                              BreakLineMeasuringBackwards(*m.measurer, m.font, width, piece));
                }
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 2 * 10 * 11);
}

TEST_F(FontTextTest, ALineMeasuresEachBreakCandidateOnce) {
    // "aaa bbb ccc ddd" at 75: "aaa" and "aaa bbb" fit, "aaa bbb ccc" does not; the rest of the
    // paragraph is never measured whole while a shorter candidate is already too wide.
    RCPtr<LFontText> block = Block(u"aaa bbb ccc ddd eee fff");
    measurer->measureCalls = 0;
    EXPECT_EQ(block->BreakLine(measurer.Get(), 75, block->GetText()), 7);
    EXPECT_EQ(measurer->measureCalls, 3);
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
