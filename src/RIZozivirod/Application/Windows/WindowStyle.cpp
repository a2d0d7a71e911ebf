#include "RIZozivirod/Application/Windows/WindowStyle.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace QV {

namespace {

bool IsNamed(const LLayoutDescriptor::Limit& limit) {
    return limit.reference == LimitReference::kNamed;
}

bool SameLimit(const LLayoutDescriptor::Limit& a, const LLayoutDescriptor::Limit& b) {
    return IsNamed(a) == IsNamed(b) && a.offset == b.offset && a.factor == b.factor;
}

int32_t ReadInt32(const std::vector<uint8_t>& bytes, size_t at) {
    int32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

}  // namespace

bool IsSizeable(const LLayoutDescriptor& layout) {
    const bool minimumIsZero = layout.xMinimum.offset == 0 && layout.xMinimum.factor == 0 &&
                               layout.yMinimum.offset == 0 && layout.yMinimum.factor == 0;
    const bool minimumIsMaximum =
        SameLimit(layout.xMinimum, layout.xMaximum) && SameLimit(layout.yMinimum, layout.yMaximum);
    const bool allReferenced = IsNamed(layout.xMinimum) && IsNamed(layout.yMinimum) &&
                               IsNamed(layout.xMaximum) && IsNamed(layout.yMaximum);
    return !((!minimumIsZero && minimumIsMaximum) || allReferenced);
}

bool HasNoMaximum(const LLayoutDescriptor& layout) {
    return layout.xMaximum.offset == 0 && layout.yMaximum.offset == 0 && !IsNamed(layout.xMaximum) &&
           !IsNamed(layout.yMaximum);
}

uint32_t GetMainWindowStyle(const LLayoutDescriptor& layout) {
    uint32_t style = kStyleCaption | kStyleSystemMenu | kStyleMinimizeBox;
    if (IsSizeable(layout)) {
        style |= kStyleSizingBorder;
        if (HasNoMaximum(layout)) {
            style |= kStyleMaximizeBox;
        }
    }
    return style;
}

uint32_t GetSecondaryWindowStyle(bool systemMenu, bool minimizeBox, bool maximizeBox, bool sizeable) {
    uint32_t style = kStylePopup | kStyleCaption;
    if (systemMenu || minimizeBox || maximizeBox) {
        style |= kStyleSystemMenu;
    }
    if (maximizeBox) {
        style |= kStyleMaximizeBox;
    }
    if (minimizeBox) {
        style |= kStyleMinimizeBox;
    }
    if (sizeable) {
        style |= kStyleSizingBorder;
    }
    return style;
}

RectT<int32_t> FitOnDesktop(RectT<int32_t> frame, const RectT<int32_t>& desktop) {
    frame.width = std::min(frame.width, desktop.width);
    frame.height = std::min(frame.height, desktop.height);
    return MoveIntoWorkArea(frame, desktop);
}

RectT<int32_t> MoveIntoWorkArea(RectT<int32_t> frame, const RectT<int32_t>& workArea) {
    // Edges are summed in 64 bits: a stored position near the integer limit must land on the
    // screen, not wrap around past it.
    const auto place = [](int32_t start, int32_t length, int32_t areaStart, int32_t areaLength) {
        int64_t at = std::max<int64_t>(start, areaStart);
        const int64_t areaEnd = int64_t{areaStart} + areaLength;
        if (at + length > areaEnd) {
            at = areaEnd - length;
        }
        return static_cast<int32_t>(std::clamp<int64_t>(at, INT32_MIN, INT32_MAX));
    };
    frame.x = place(frame.x, frame.width, workArea.x, workArea.width);
    frame.y = place(frame.y, frame.height, workArea.y, workArea.height);
    return frame;
}

bool ReadWindowPlacement(const std::vector<uint8_t>& record, WindowPlacement& placement) {
    if (record.size() != 44) {
        return false;
    }
    placement.showCommand = ReadInt32(record, 8);
    const int32_t left = ReadInt32(record, 28);
    const int32_t top = ReadInt32(record, 32);
    const int32_t right = ReadInt32(record, 36);
    const int32_t bottom = ReadInt32(record, 40);
    // A record whose right or bottom edge comes before its left or top edge has no size.
    const auto extent = [](int32_t from, int32_t to) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{to} - from, 0, INT32_MAX));
    };
    placement.frame = RectT<int32_t>{left, top, extent(left, right), extent(top, bottom)};
    return true;
}

}  // namespace QV
