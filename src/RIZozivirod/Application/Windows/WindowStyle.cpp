#include "RIZozivirod/Application/Windows/WindowStyle.h"

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
    if (frame.x < desktop.x) {
        frame.x = desktop.x;
    }
    if (frame.y < desktop.y) {
        frame.y = desktop.y;
    }
    if (frame.x + frame.width > desktop.x + desktop.width) {
        frame.x = desktop.x + desktop.width - frame.width;
    }
    if (frame.y + frame.height > desktop.y + desktop.height) {
        frame.y = desktop.y + desktop.height - frame.height;
    }
    return frame;
}

RectT<int32_t> MoveIntoWorkArea(RectT<int32_t> frame, const RectT<int32_t>& workArea) {
    if (frame.x < workArea.x) {
        frame.x = workArea.x;
    }
    if (frame.y < workArea.y) {
        frame.y = workArea.y;
    }
    if (frame.x + frame.width > workArea.x + workArea.width) {
        frame.x = workArea.x + workArea.width - frame.width;
    }
    if (frame.y + frame.height > workArea.y + workArea.height) {
        frame.y = workArea.y + workArea.height - frame.height;
    }
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
    placement.frame = RectT<int32_t>{left, top, right - left, bottom - top};
    return true;
}

}  // namespace QV
