#include "RIZozivirod/ControlBase/LayoutEngine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "RIZozivirod/ControlBase/Look.h"

namespace QV::LayoutEngine {

namespace {

// One axis of the rectangles and records the engine reads.
struct Axis {
    bool horizontal;

    double& Of(PointT<double>& point) const { return horizontal ? point.x : point.y; }
    double Of(const PointT<double>& point) const { return horizontal ? point.x : point.y; }
    double Position(const RectT<double>& rect) const { return horizontal ? rect.x : rect.y; }
    double Length(const RectT<double>& rect) const { return horizontal ? rect.width : rect.height; }
    bool Docked(const LLayoutDescriptor& layout) const {
        return horizontal ? layout.xDocked : layout.yDocked;
    }
    const LLayoutDescriptor::Placement& Placement(const LLayoutDescriptor& layout) const {
        return horizontal ? layout.xPlacement : layout.yPlacement;
    }
    const LLayoutDescriptor::Size& Size(const LLayoutDescriptor& layout) const {
        return horizontal ? layout.xSize : layout.ySize;
    }
    const LLayoutDescriptor::Limit& Minimum(const LLayoutDescriptor& layout) const {
        return horizontal ? layout.xMinimum : layout.yMinimum;
    }
    const LLayoutDescriptor::Limit& Maximum(const LLayoutDescriptor& layout) const {
        return horizontal ? layout.xMaximum : layout.yMaximum;
    }
};

constexpr Axis kAxes[] = {{true}, {false}};

// A reference on one axis: where it starts and how long it is.
struct Reference {
    double origin = 0.0;
    double length = 0.0;
};

bool IsDockedForLayout(const ILayoutControl& control, const Axis& axis) {
    const LLayoutDescriptor* layout = control.GetLayoutDescriptor();
    return layout != nullptr && axis.Docked(*layout);
}

// The reference frames of ComputeFrame on one axis.
struct Frames {
    Reference parent;
    Reference client;
    double scroll = 0.0;
};

Frames FramesOf(const ILayoutControl* parent, const Axis& axis, const RectT<double>& screen,
                const PointT<double>& windowSize) {
    Frames frames;
    if (parent != nullptr) {
        const RectT<double> client = parent->GetLayoutClientRect();
        frames.parent = {-axis.Position(client), axis.Length(parent->GetLayoutFrame())};
        frames.client = {0.0, axis.Length(client)};
        frames.scroll = axis.Of(parent->GetLayoutScrollOffset());
    } else {
        frames.parent = {axis.Position(screen), axis.Length(screen)};
        frames.client = {0.0, axis.Of(windowSize)};
    }
    return frames;
}

// A sibling by name: its place on the axis (less the parent's scroll when it is docked there) and
// its length. Top-level controls measure from the base point.
Reference Named(const ILayoutControl* parent, const WString& name, const Axis& axis,
                const PointT<double>& basePoint) {
    if (parent == nullptr) {
        return {axis.Of(basePoint), 0.0};
    }
    const ILayoutControl* sibling = parent->FindLayoutChild(name);
    if (sibling == nullptr) {
        return {};
    }
    const RectT<double> frame = sibling->GetLayoutFrame();
    double origin = axis.Position(frame);
    if (IsDockedForLayout(*sibling, axis)) {
        origin -= axis.Of(parent->GetLayoutScrollOffset());
    }
    return {origin, axis.Length(frame)};
}

// A child's place on the axis in the control's parent coordinates.
double ChildPosition(const ILayoutControl& control, const ILayoutControl& child, const Axis& axis,
                     double position, bool dockedAdjustment) {
    const double scroll = axis.Of(control.GetLayoutScrollOffset());
    double at = axis.Position(child.GetLayoutFrame()) - scroll +
                axis.Position(control.GetLayoutClientRect()) + position;
    if (dockedAdjustment && IsDockedForLayout(child, axis)) {
        at -= scroll;
    }
    return at;
}

// The reference of a named minimum or maximum: the child of that name, or with "Children" the
// box of the children. countAll: every child counts (maximum); otherwise only the first and
// those clipped to the control.
bool LimitReference(const ILayoutControl& control, const WString& name, const Axis& axis, double position,
                    double anchor, bool countAll, Reference& reference) {
    if (const ILayoutControl* child = control.FindLayoutChild(name)) {
        reference = {ChildPosition(control, *child, axis, position, true),
                     axis.Length(child->GetLayoutFrame())};
        return true;
    }
    if (name != u"Children" || control.GetLayoutChildCount() == 0) {
        return false;
    }
    const ILayoutControl* first = control.GetLayoutChild(0);
    if (first == nullptr) {
        return false;
    }
    if (countAll && IsDockedForLayout(*first, kAxes[0]) && IsDockedForLayout(*first, kAxes[1])) {
        return false;
    }
    double low = ChildPosition(control, *first, axis, position, countAll);
    double high = low + axis.Length(first->GetLayoutFrame());
    for (uint32_t i = 1; i < control.GetLayoutChildCount(); ++i) {
        const ILayoutControl* child = control.GetLayoutChild(i);
        if (child == nullptr) {
            continue;
        }
        const LLayoutDescriptor* layout = child->GetLayoutDescriptor();
        if (!countAll && (layout == nullptr || !layout->clipToParent)) {
            continue;
        }
        const double at = ChildPosition(control, *child, axis, position, true);
        low = std::min(low, at);
        high = std::max(high, at + axis.Length(child->GetLayoutFrame()));
    }
    const double extent = high - low;
    if (countAll && !(extent > 0.0)) {
        return false;
    }
    reference = {position - anchor * extent, extent};
    return true;
}

// The look's non-client margin on the axis, added to a size measured on the children.
double NonClientMargin(const ILayoutControl& control, const Axis& axis) {
    const LLook* look = control.GetLayoutLook();
    if (look == nullptr) {
        return 0.0;
    }
    const RectT<int32_t>& client = look->GetClientRect();
    return axis.Length(control.GetLayoutFrame()) - (axis.horizontal ? client.width : client.height);
}

double LimitText(double value) {
    return std::clamp(value, -8388608.0, 8388608.0);
}

int32_t TruncateToInt(double value) {
    if (!(value > -2147483648.0)) {
        return std::numeric_limits<int32_t>::min();
    }
    if (value >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

// The size the label text needs on the axis, at least m; the text block's wrapping follows the
// X maximum.
double TextMinimum(const ILayoutControl& control, const LLayoutDescriptor& layout, const Axis& axis, double m,
                   const PointT<double>& size) {
    const TextOverflow overflow = axis.horizontal ? layout.xTextOverflow : layout.yTextOverflow;
    LLook* look = control.GetLayoutLook();
    if (overflow == TextOverflow::kClip || look == nullptr || !look->GetTextBlock() ||
        !look->GetDescriptor()) {
        return m;
    }
    LFontText& text = *look->GetTextBlock();
    const LLookDescriptor& descriptor = *look->GetDescriptor();
    const RectT<double> raw = descriptor.GetTextRect(size.x, size.y);
    const RectT<double> textRect{LimitText(raw.x), LimitText(raw.y), LimitText(raw.width),
                                 LimitText(raw.height)};
    const double s = axis.Of(size);
    if (axis.horizontal) {
        if (overflow != TextOverflow::kExpand) {
            return m;
        }
        text.SetWrap(false);
        const double extra = std::ceil(text.GetNaturalWidth() - textRect.width);
        const double share = static_cast<double>(descriptor.text.rightFactor) - descriptor.text.leftFactor;
        // Equal factors: the text rectangle does not grow with the control, so growing cannot help.
        if (extra > 0.0 && share != 0.0) {
            m = std::max(m, s + TruncateToInt(std::ceil(extra / share)));
        }
        const LLayoutDescriptor::Limit& maximum = layout.xMaximum;
        if (maximum.reference == LimitReference::kSelf && maximum.offset > 0.0 && m > maximum.offset) {
            m = maximum.offset;
            text.SetWrap(true);
        }
        return m;
    }
    const double height = text.GetHeightForWidth(TruncateToInt(textRect.width));
    const double extra = std::ceil(height - textRect.height);
    const double share = static_cast<double>(descriptor.text.bottomFactor) - descriptor.text.topFactor;
    if (extra > 0.0 && share != 0.0) {
        m = std::max(m, s + TruncateToInt(std::ceil(extra / share)));
    }
    return m;
}

}  // namespace

double Near(double value) {
    return value < 0.0 ? std::trunc(value - 0.5) : std::trunc(value + 0.5);
}

void SnapRect(RectT<double>& rect) {
    const double x = Near(rect.x);
    const double y = Near(rect.y);
    rect.width = Near(rect.x + rect.width) - x;
    rect.height = Near(rect.y + rect.height) - y;
    rect.x = x;
    rect.y = y;
}

int32_t ComputeFrame(const LLayoutDescriptor* layout, const ILayoutControl* parent,
                     const RectT<double>& screen, const PointT<double>& windowSize,
                     const PointT<double>& basePoint, RectT<double>& frame) {
    if (layout == nullptr) {
        return E_INVALIDARG;
    }
    PointT<double> position;
    PointT<double> size;
    for (const Axis& axis : kAxes) {
        const Frames frames = FramesOf(parent, axis, screen, windowSize);
        const LLayoutDescriptor::Placement& placement = axis.Placement(*layout);
        const double factor = placement.factor;
        double p = 0.0;
        switch (placement.reference) {
            case PlacementReference::kParent:
                p = Near(factor * frames.parent.length) + placement.offset + frames.parent.origin;
                break;
            case PlacementReference::kClient:
                p = Near(factor * frames.client.length) + placement.offset;
                break;
            case PlacementReference::kNamed: {
                const Reference named = Named(parent, placement.referenceName, axis, basePoint);
                p = Near(factor * named.length) + named.origin + placement.offset;
                break;
            }
        }

        const LLayoutDescriptor::Size& sizing = axis.Size(*layout);
        const double a = placement.anchor;
        double s = 0.0;
        if (sizing.reference == SizeReference::kSelf) {
            s = std::max(sizing.offset, 0.0);
        } else {
            Reference reference;
            if (sizing.reference == SizeReference::kParent) {
                reference = frames.parent;
            } else if (sizing.reference == SizeReference::kClient) {
                reference = frames.client;
            } else {
                reference = Named(parent, sizing.referenceName, axis, basePoint);
            }
            const double e = Near(static_cast<double>(sizing.factor) * reference.length) + reference.origin +
                             sizing.offset;
            const double d = e - p;
            if (d > 0.0 && a >= 0.0 && a < 1.0) {
                s = d * static_cast<double>(1.0f / (1.0f - placement.anchor));
            } else if (d < 0.0 && a > 0.0 && a <= 1.0) {
                s = d * static_cast<double>(1.0f / -placement.anchor);
            }
        }
        p -= a * s;
        if (axis.Docked(*layout)) {
            p += frames.scroll;
        }
        axis.Of(position) = p;
        axis.Of(size) = s;
    }
    frame = {position.x, position.y, size.x, size.y};
    SnapRect(frame);
    return S_OK;
}

int32_t ApplyMinimumSize(const ILayoutControl& control, PointT<double>& position, PointT<double>& size) {
    const LLayoutDescriptor* layout = control.GetLayoutDescriptor();
    if (layout == nullptr) {
        return S_OK;
    }
    int32_t result = S_OK;
    for (const Axis& axis : kAxes) {
        const LLayoutDescriptor::Limit& minimum = axis.Minimum(*layout);
        const double a = axis.Placement(*layout).anchor;
        double& p = axis.Of(position);
        double& s = axis.Of(size);
        if (minimum.reference == LimitReference::kSelf) {
            const double m = TextMinimum(control, *layout, axis, minimum.offset, size);
            if (m > s) {
                const double d = m - s;
                s = m;
                p -= Near(a * d);
                result = S_FALSE;
            }
            continue;
        }
        if (control.GetLayoutChildCount() == 0) {
            continue;
        }
        Reference reference;
        if (LimitReference(control, minimum.referenceName, axis, p, a, false, reference) &&
            reference.length > 0.0) {
            const double edge =
                static_cast<double>(minimum.factor) * reference.length + reference.origin + minimum.offset;
            if (p > edge) {
                if (a > 0.0 && a <= 1.0) {
                    const double d = p - edge;
                    p = edge;
                    s += Near(d / a);
                    result = result == E_FAIL ? E_FAIL : S_FALSE;
                } else {
                    result = E_FAIL;
                }
            } else if (edge > p + s) {
                if (a >= 0.0 && a < 1.0) {
                    const double t = a * (edge - (p + s)) / (1.0 - a);
                    p -= Near(t);
                    s = Near(edge) - p;
                    result = result == E_FAIL ? E_FAIL : S_FALSE;
                } else {
                    result = E_FAIL;
                }
            }
        }
        if (minimum.referenceName == u"Children") {
            const double margin = NonClientMargin(control, axis);
            if (margin != 0.0) {
                s += margin;
                result = result == E_FAIL ? E_FAIL : S_FALSE;
            }
        }
    }
    return result;
}

int32_t ApplyMaximumSize(const ILayoutControl& control, PointT<double>& position, PointT<double>& size) {
    const LLayoutDescriptor* layout = control.GetLayoutDescriptor();
    if (layout == nullptr) {
        return S_OK;
    }
    int32_t result = S_OK;
    for (const Axis& axis : kAxes) {
        const LLayoutDescriptor::Limit& maximum = axis.Maximum(*layout);
        const double a = axis.Placement(*layout).anchor;
        double& p = axis.Of(position);
        double& s = axis.Of(size);
        if (maximum.reference == LimitReference::kSelf) {
            // An offset of 0 means no maximum.
            if (maximum.offset != 0.0 && s > maximum.offset) {
                const double d = maximum.offset - s;
                s = maximum.offset;
                p -= Near(a * d);
                result = S_FALSE;
            }
            continue;
        }
        if (control.GetLayoutChildCount() == 0) {
            continue;
        }
        Reference reference;
        if (LimitReference(control, maximum.referenceName, axis, p, a, true, reference)) {
            const double edge =
                static_cast<double>(maximum.factor) * reference.length + reference.origin + maximum.offset;
            if (edge > p && p + s > edge) {
                p -= Near(a * (edge - (p + s)));
                s = Near(edge) - p;
                result = S_FALSE;
            }
        }
        if (maximum.referenceName == u"Children") {
            const double margin = NonClientMargin(control, axis);
            if (margin != 0.0) {
                s += margin;
                result = S_FALSE;
            }
        }
    }
    return result;
}

}  // namespace QV::LayoutEngine
