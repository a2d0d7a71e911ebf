#include "RIZozivirod/Utilities/Storage/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using QV::PointT;
using QV::RectT;

TEST(GeometryTest, RoundsHalfAwayFromZeroAndSaturates) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        int32_t expected;
    };
    const Case cases[] = {
        {2.5, 3},
        {-2.5, -3},
        {0.5, 1},
        {-0.5, -1},
        {2.4, 2},
        {-2.4, -2},
        {2.6, 3},
        {-2.6, -3},
        {0.0, 0},
        {-0.0, 0},
        {0.49999999999999994, 0},
        {-0.49999999999999994, 0},
        {2147483647.0, INT32_MAX},
        {2147483647.4, INT32_MAX},
        {2147483647.5, INT32_MAX},
        {-2147483648.0, INT32_MIN},
        {-2147483648.4, INT32_MIN},
        {-2147483647.5, INT32_MIN},
        {3.0e9, INT32_MAX},
        {-3.0e9, INT32_MIN},
        {inf, INT32_MAX},
        {-inf, INT32_MIN},
        {nan, INT32_MIN},
        {-nan, INT32_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hexfloat << c.value);
        EXPECT_EQ(c.expected, QV::RoundToInt32(c.value));
        EXPECT_EQ(c.expected, (PointT<double>{c.value, 0.0}.Round().x));
    }
}

TEST(GeometryTest, RoundConvertsEachValueOnItsOwn) {
    EXPECT_EQ((RectT<int32_t>{1, -1, 10, 11}), (RectT<double>{0.5, -0.5, 10.49, 10.5}.Round()));
    EXPECT_EQ((RectT<int32_t>{INT32_MIN, 2, 3, 4}),
              (RectT<double>{std::numeric_limits<double>::quiet_NaN(), 2.2, 2.5, 4.4}.Round()));
    EXPECT_EQ((PointT<int32_t>{INT32_MAX, INT32_MIN}), (PointT<double>{3.0e9, -3.0e9}.Round()));
    EXPECT_EQ((PointT<int32_t>{INT32_MAX, 0}), (PointT<double>{2147483647.4, 0.0}.Round()));
}

TEST(GeometryTest, SnapToPixelsRoundsEachEdgeDown) {
    const double belowOne = std::nextafter(1.0, 0.0);
    const struct Case {
        RectT<double> rect;
        RectT<double> expected;
    } cases[] = {
        {{10.4, 20.6, 50.0, 50.0}, {10, 20, 50, 50}},
        {{1.5, 2.5, 3.0, 4.0}, {1, 2, 3, 4}},
        {{-0.5, -1.5, 1.0, 1.0}, {-1, -2, 1, 1}},
        {{10.0, 10.0, -4.5, -2.0}, {5, 8, 5, 2}},        // turned around first
        {{belowOne, 0.0, 2.0, belowOne}, {1, 0, 2, 1}},  // a hair below an integer is that integer
        {{0.99, 0.0, 2.0, 0.99}, {0, 0, 2, 0}},          // more than a hair is not
        {{20.0, 20.0, 0.0, 0.0}, {20, 20, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.rect.x << "," << c.rect.y << "," << c.rect.width << "," << c.rect.height);
        EXPECT_EQ(c.expected, c.rect.SnapToPixels());
    }
}

TEST(GeometryTest, ToDoubleIsExactAndRoundTrips) {
    const PointT<double> point = PointT<int32_t>{INT32_MIN, INT32_MAX}.ToDouble();
    EXPECT_EQ(-2147483648.0, point.x);
    EXPECT_EQ(2147483647.0, point.y);

    const RectT<int32_t> rects[] = {
        {0, 0, 0, 0},
        {-1, 1, 2, -2},
        {INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX},
        {123456789, -987654321, 1 << 30, -(1 << 30)},
    };
    for (const RectT<int32_t>& rect : rects) {
        EXPECT_EQ(rect, rect.ToDouble().Round());
    }
}

TEST(GeometryTest, DefaultValuesAreZero) {
    EXPECT_EQ((RectT<float>{0.0f, 0.0f, 0.0f, 0.0f}), RectT<float>{});
    EXPECT_EQ((PointT<int32_t>{0, 0}), PointT<int32_t>{});
}

}  // namespace
