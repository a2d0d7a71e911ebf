#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

// A bar between panes that the user drags to share the room between them. The pane before it
// is the sibling its position refers to (its anchor); panes after it are laid out against it by
// name. Dragging changes the anchor's size, and the layout moves the bar and everything placed
// against it; every pane stays within its minimum and maximum size while dragging and when the
// parent is resized. Looks: 0 normal, 1 hover, 2 pressed, 3 to 5 the same with the focus,
// 6 disabled.
class LSplitterBase : public LControl {
public:
    static constexpr double kNoLimit = 4503599627370496.0;

    LSplitterBase(const RCPtr<LControl>& parent, const WString& name, int32_t orientation);

    int32_t BeginDrag() override;
    void OnDragMoved(const RCPtr<LPointWithModifiersParam>& param) override;
    int32_t EndDrag() override;
    void ConstrainDragRect(RectT<double>& rect) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t Initialize() override;
    int32_t OnSizeChanged(const PointT<int32_t>& size) override;

    void UpdateLookState();
    // 0: a horizontal bar, dragged up and down; 1: a vertical bar, dragged left and right.
    int32_t GetOrientation() const { return mOrientation; }
    // The range of the bar's position during the current drag, in drag coordinates.
    double GetMinPosition() const { return mMinPosition; }
    double GetMaxPosition() const { return mMaxPosition; }

protected:
    ~LSplitterBase() override;

private:
    // The drag axis: 1 (y) for a horizontal bar, 0 (x) for a vertical one.
    int32_t Axis() const { return mOrientation == 0 ? 1 : 0; }
    double Position() const;
    // The pane the bar's position refers to, or null.
    RCPtr<LControl> FindAnchor() const;
    // Narrows [lo, hi] so that the anchor and every dependent pane stay within their limits.
    // computed: measure the dependents by a fresh layout pass rather than their frames.
    void LimitRange(const RCPtr<LControl>& anchor, double position, bool computed, double& lo, double& hi);

    int32_t mOrientation;
    RCPtr<LControl> mAnchor;
    double mMinPosition = 0.0;
    double mMaxPosition = kNoLimit;
    float mSavedFactor = 0.0f;
    double mSavedOffset = 0.0;
    double mAnchorSizeAtStart = 0.0;
    double mPositionAtStart = 0.0;
    // Where the pointer went down, in the parent's content space.
    PointT<double> mDragOrigin;
};

// The horizontal bar ("Framework.SplitterH"), dragged up and down.
class LSplitterH : public LSplitterBase {
public:
    LSplitterH(const RCPtr<LControl>& parent, const WString& name) : LSplitterBase(parent, name, 0) {}

protected:
    ~LSplitterH() override = default;
};

// The vertical bar ("Framework.SplitterV"), dragged left and right.
class LSplitterV : public LSplitterBase {
public:
    LSplitterV(const RCPtr<LControl>& parent, const WString& name) : LSplitterBase(parent, name, 1) {}

protected:
    ~LSplitterV() override = default;
};

}  // namespace QV
