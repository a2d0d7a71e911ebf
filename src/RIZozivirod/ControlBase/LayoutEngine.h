#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/ControlDescriptor.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LLook;

// What the layout engine reads of a control. Frames lie in the parent's content space; the
// client rectangle is that of the control's current look (its whole size without one).
class ILayoutControl {
public:
    virtual RectT<double> GetLayoutFrame() const = 0;
    virtual PointT<double> GetLayoutScrollOffset() const = 0;
    virtual RectT<double> GetLayoutClientRect() const = 0;
    // Null for a control without layout.
    virtual const LLayoutDescriptor* GetLayoutDescriptor() const = 0;
    // Children in creation order.
    virtual uint32_t GetLayoutChildCount() const = 0;
    virtual const ILayoutControl* GetLayoutChild(uint32_t index) const = 0;
    // The child of that name, searched from the last child to the first; null when none.
    virtual const ILayoutControl* FindLayoutChild(const WString& name) const = 0;
    // The current look, or null.
    virtual LLook* GetLayoutLook() const = 0;

protected:
    ~ILayoutControl() = default;
};

// Places and sizes a control from its layout descriptor, one axis at a time (X, then Y). The
// control layout pass calls ComputeFrame, ApplyMinimumSize, ApplyMaximumSize, then SnapRect, so
// a maximum wins over a minimum. Free functions without state; user-interface thread only.
namespace LayoutEngine {

// Nearest whole number, halves away from zero.
double Near(double value);

// The frame of a control with that layout under the parent (null for a top-level control,
// which is measured against the screen rectangle, the window size and the base point), snapped
// to whole pixels. 0, or E_INVALIDARG without a layout (the frame is then left as it was).
int32_t ComputeFrame(const LLayoutDescriptor* layout, const ILayoutControl* parent,
                     const RectT<double>& screen, const PointT<double>& windowSize,
                     const PointT<double>& basePoint, RectT<double>& frame);

// Grows the control to its minimum: a fixed size, the size its label needs, a named child or the
// box of its children. 0 when nothing changed, 1 when the position or size did, E_FAIL when a
// named minimum cannot be reached with the control's anchor (position and size then kept).
int32_t ApplyMinimumSize(const ILayoutControl& control, PointT<double>& position, PointT<double>& size);

// Shrinks the control to its maximum. 0 or 1 as for the minimum.
int32_t ApplyMaximumSize(const ILayoutControl& control, PointT<double>& position, PointT<double>& size);

// Makes the edges whole: x' = near(x), width' = near(x + width) - x', likewise vertically.
void SnapRect(RectT<double>& rect);

}  // namespace LayoutEngine

}  // namespace QV
