#pragma once

#include <cstdint>

namespace Platform {

// Directions of a wheel notch: 0 vertical toward the user, 1 vertical away, 2 horizontal left, 3
// horizontal right.
enum WheelDirection : int32_t {
    kWheelDown = 0,
    kWheelUp = 1,
    kWheelLeft = 2,
    kWheelRight = 3,
};

// Wheel deltas in units of 120 a notch, one remainder per axis, kept across events so that a
// smooth wheel's small steps add up to notches.
class WheelAccumulator {
public:
    static constexpr int32_t kNotch = 120;

    // Adds delta (positive: away from the user, or right) to the axis (0 vertical, 1
    // horizontal) and returns the whole notches it completes, negative for the negative
    // direction; the rest stays for the next event.
    int32_t Add(int32_t axis, int32_t delta) {
        int32_t& remainder = mRemainder[axis & 1];
        // Saturate rather than wrap on absurd deltas.
        const int64_t sum = static_cast<int64_t>(remainder) + delta;
        const int32_t notches = static_cast<int32_t>(sum / kNotch);
        remainder = static_cast<int32_t>(sum % kNotch);
        return notches;
    }
    int32_t GetRemainder(int32_t axis) const { return mRemainder[axis & 1]; }

private:
    int32_t mRemainder[2] = {0, 0};
};

}  // namespace Platform
