#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>

namespace QV {

// A double in pixels to a 32-bit integer: half away from zero, saturating at both ends; NaN
// gives the smallest value. The range tests come first, so the conversion always fits.
inline int32_t RoundToInt32(double value) {
    if (!(value >= -2147483648.0)) {
        return INT32_MIN;
    }
    if (value > 2147483647.0) {
        return INT32_MAX;
    }
    // std::round rather than adding 0.5 and truncating: the sum rounds the largest double
    // below 0.5 up to 1.
    return static_cast<int32_t>(std::round(value));
}

// Every 32-bit integer is exact in a double.
inline double Int32ToDouble(int32_t value) {
    return static_cast<double>(value);
}

template <class T>
struct PointT {
    T x{};
    T y{};

    bool operator==(const PointT&) const = default;

    PointT<int32_t> Round() const requires std::is_same_v<T, double> {
        return {RoundToInt32(x), RoundToInt32(y)};
    }

    PointT<double> ToDouble() const requires std::is_same_v<T, int32_t> {
        return {Int32ToDouble(x), Int32ToDouble(y)};
    }
};

// x and y are the left and top edges; the right edge is x + width, the bottom y + height.
template <class T>
struct RectT {
    T x{};
    T y{};
    T width{};
    T height{};

    bool operator==(const RectT&) const = default;

    // Each value on its own: the width is rounded as a number, not recomputed from edges.
    RectT<int32_t> Round() const requires std::is_same_v<T, double> {
        return {RoundToInt32(x), RoundToInt32(y), RoundToInt32(width), RoundToInt32(height)};
    }

    RectT<double> ToDouble() const requires std::is_same_v<T, int32_t> {
        return {Int32ToDouble(x), Int32ToDouble(y), Int32ToDouble(width), Int32ToDouble(height)};
    }

    // The whole pixels the rectangle starts in: a negative width or height is turned around,
    // then each edge is rounded down, an edge a hair (relative 2^-52) below an integer counting
    // as that integer; width and height follow from the rounded edges.
    RectT<double> SnapToPixels() const requires std::is_same_v<T, double> {
        double left = x;
        double top = y;
        double w = width;
        double h = height;
        if (w < 0) {
            left += w;
            w = -w;
        }
        if (h < 0) {
            top += h;
            h = -h;
        }
        const double snappedLeft = FloorWithTolerance(left);
        const double snappedTop = FloorWithTolerance(top);
        return {snappedLeft, snappedTop, FloorWithTolerance(left + w) - snappedLeft,
                FloorWithTolerance(top + h) - snappedTop};
    }

private:
    static double FloorWithTolerance(double value) {
        const double above = std::ceil(value);
        if (above - value <= std::fabs(above) * 0x1p-52) {
            return above;
        }
        return std::floor(value);
    }
};

}  // namespace QV
