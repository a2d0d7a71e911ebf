#include "RIZozivirod/Application/Windows/WindowStyle.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>

namespace QV {
namespace {

LLayoutDescriptor::Limit Abs(double value) {
    return {LimitReference::kSelf, WString(), 0.0f, value};
}
LLayoutDescriptor::Limit Named(const char16_t* name) {
    return {LimitReference::kNamed, WString(name), 0.0f, 0.0};
}

TEST(WindowStyleTest, SizeableRuleAndMainWindowStyles) {
    struct Case {
        const char* what;
        LLayoutDescriptor::Limit minX, minY, maxX, maxY;
        uint32_t style;
    };
    const Case cases[] = {
        {"fixed: minimum equals maximum", Abs(1200), Abs(600), Abs(1200), Abs(600), 0xCA0000},
        {"sizeable with a maximum", Abs(100), Abs(50), Abs(800), Abs(600), 0xCE0000},
        {"sizeable without maximum", Abs(100), Abs(50), Abs(0), Abs(0), 0xCF0000},
        {"no limits at all is sizeable", Abs(0), Abs(0), Abs(0), Abs(0), 0xCF0000},
        {"all limits named: fixed", Named(u"a"), Named(u"b"), Named(u"c"), Named(u"d"), 0xCA0000},
        {"a named maximum gives no maximise box", Abs(10), Abs(10), Named(u"c"), Abs(0), 0xCE0000},
    };
    for (const Case& c : cases) {
        RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
        layout->xMinimum = c.minX;
        layout->yMinimum = c.minY;
        layout->xMaximum = c.maxX;
        layout->yMaximum = c.maxY;
        EXPECT_EQ(GetMainWindowStyle(*layout), c.style) << c.what;
        EXPECT_EQ(IsSizeable(*layout), (c.style & kStyleSizingBorder) != 0) << c.what;
    }
}

TEST(WindowStyleTest, SecondaryWindowStyles) {
    struct Case {
        bool systemMenu, minimize, maximize, sizeable;
        uint32_t style;
    };
    for (const Case& c :
         {Case{false, false, false, false, 0x80C00000}, Case{true, false, false, false, 0x80C80000},
          Case{false, false, true, false, 0x80C90000}, Case{false, true, false, false, 0x80CA0000},
          Case{true, true, true, true, 0x80CF0000}}) {
        EXPECT_EQ(GetSecondaryWindowStyle(c.systemMenu, c.minimize, c.maximize, c.sizeable), c.style)
            << std::hex << c.style;
    }
}

TEST(WindowStyleTest, PlacementIsCutToTheDesktopAndMovedOntoIt) {
    const RectT<int32_t> desktop{0, 0, 1280, 800};
    struct Case {
        RectT<int32_t> frame, placed;
    };
    for (const Case& c : {Case{{10, 20, 400, 300}, {10, 20, 400, 300}},       // inside: kept
                          Case{{-50, -10, 400, 300}, {0, 0, 400, 300}},       // moved right and down
                          Case{{1000, 700, 400, 300}, {880, 500, 400, 300}},  // moved left and up
                          Case{{100, 100, 2560, 1600}, {0, 0, 1280, 800}},    // saved on a larger screen
                          // Edges past the integer limit: still moved back onto the screen.
                          Case{{2147483000, 2147483000, 1200, 600}, {80, 200, 1200, 600}},
                          Case{{INT32_MIN, INT32_MIN, 400, 300}, {0, 0, 400, 300}}}) {
        EXPECT_EQ(FitOnDesktop(c.frame, desktop), c.placed);
    }
    // Secondary windows keep their size inside the work area.
    EXPECT_EQ(MoveIntoWorkArea({-30, 10, 200, 100}, {0, 0, 1280, 760}), (RectT<int32_t>{0, 10, 200, 100}));
    EXPECT_EQ(MoveIntoWorkArea({1200, 700, 200, 100}, {0, 0, 1280, 760}),
              (RectT<int32_t>{1080, 660, 200, 100}));
    EXPECT_EQ(MoveIntoWorkArea({INT32_MAX - 10, 5, 200, 100}, {0, 0, 1280, 760}),
              (RectT<int32_t>{1080, 5, 200, 100}));
}

TEST(WindowStyleTest, PlacementRecordsOfTheWrongSizeAreIgnored) {
    std::vector<uint8_t> record(44, 0);
    const int32_t values[11] = {44, 0, 2, -1, -1, -1, -1, 100, 50, 1300, 650};
    std::memcpy(record.data(), values, sizeof values);
    WindowPlacement placement;
    ASSERT_TRUE(ReadWindowPlacement(record, placement));
    EXPECT_EQ(placement.showCommand, 2);
    EXPECT_EQ(placement.frame, (RectT<int32_t>{100, 50, 1200, 600}));
    // Edges written near the integer limit, or the wrong way round, give no negative or wrapped
    // size.
    const int32_t nearLimit[4] = {2147483000, 2147483000, INT32_MIN + 552, INT32_MIN + 952};
    std::memcpy(record.data() + 28, nearLimit, sizeof nearLimit);
    ASSERT_TRUE(ReadWindowPlacement(record, placement));
    EXPECT_EQ(placement.frame, (RectT<int32_t>{2147483000, 2147483000, 0, 0}));
    const int32_t wide[4] = {INT32_MIN, 0, INT32_MAX, 10};
    std::memcpy(record.data() + 28, wide, sizeof wide);
    ASSERT_TRUE(ReadWindowPlacement(record, placement));
    EXPECT_EQ(placement.frame, (RectT<int32_t>{INT32_MIN, 0, INT32_MAX, 10}));
    record.push_back(0);
    EXPECT_FALSE(ReadWindowPlacement(record, placement));
    record.resize(40);
    EXPECT_FALSE(ReadWindowPlacement(record, placement));
}

}  // namespace
}  // namespace QV
