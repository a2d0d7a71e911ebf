#include "RIZozivirod/Controls/Splitter.h"

#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/ControlParams.h"

namespace QV {

namespace {

double SplitterAxisSize(const RectT<double>& rect, int32_t axis) {
    return axis == 0 ? rect.width : rect.height;
}

double SplitterAxisValue(const PointT<double>& point, int32_t axis) {
    return axis == 0 ? point.x : point.y;
}

}  // namespace

LSplitterBase::LSplitterBase(const RCPtr<LControl>& parent, const WString& name, int32_t orientation)
    : LControl(parent, name), mOrientation(orientation) {}

LSplitterBase::~LSplitterBase() = default;

int32_t LSplitterBase::Initialize() {
    const int32_t result = LControl::Initialize();
    SetCursor(static_cast<int32_t>(GetApplicationServices().GetCursor(
        WString(mOrientation == 1 ? u"UI_CURSOR_SIZE_WE" : u"UI_CURSOR_SIZE_NS"))));
    return result;
}

double LSplitterBase::Position() const {
    return Axis() == 0 ? GetFrame().x : GetFrame().y;
}

RCPtr<LControl> LSplitterBase::FindAnchor() const {
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    GetPlacement(Axis(), placement, size);
    LControl* parent = GetParent();
    if (placement.reference != PlacementReference::kNamed || parent == nullptr) {
        return nullptr;
    }
    RCPtr<LControl> anchor = parent->FindChild(placement.referenceName);
    return anchor.Get() == this ? nullptr : anchor;
}

void LSplitterBase::LimitRange(const RCPtr<LControl>& anchor, double position, bool computed, double& lo,
                               double& hi) {
    const int32_t axis = Axis();
    if (anchor) {
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        anchor->GetPlacement(axis, placement, size);
        PointT<double> minimum;
        PointT<double> maximum;
        anchor->MeasureMinimumSize(minimum);
        anchor->GetMaximumSize(maximum);
        const double s = size.offset;
        lo = std::max(lo, position - (s - SplitterAxisValue(minimum, axis)));
        if (SplitterAxisValue(maximum, axis) > 0) {
            hi = std::min(hi, position + (SplitterAxisValue(maximum, axis) - s));
        }
    }
    LControl* parent = GetParent();
    if (parent == nullptr) {
        return;
    }
    // The panes after the bar: each either ends at the bar (relative part 0) or starts from it.
    const int32_t own = parent->FindChildIndex(this, kOrderCreation);
    ChildControlList& siblings = parent->GetChildren();
    for (uint32_t i = static_cast<uint32_t>(own) + 1; own >= 0 && i < siblings.GetCount(); ++i) {
        RCPtr<LControl> pane = siblings.GetAt(i, kOrderCreation);
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        pane->GetPlacement(axis, placement, size);
        float factor = 0.0f;
        if (size.reference == SizeReference::kNamed && size.referenceName == GetName()) {
            factor = size.factor;
        } else if (placement.reference == PlacementReference::kNamed &&
                   placement.referenceName == GetName() && size.reference != SizeReference::kSelf) {
            factor = placement.factor;
        } else {
            continue;
        }
        PointT<double> minimum;
        PointT<double> maximum;
        pane->MeasureMinimumSize(minimum);
        pane->GetMaximumSize(maximum);
        const double m = SplitterAxisValue(minimum, axis);
        const double big = SplitterAxisValue(maximum, axis);
        double t = SplitterAxisSize(pane->GetFrame(), axis);
        if (computed) {
            RectT<double> frame = pane->GetFrame();
            LayoutEngine::ComputeFrame(pane->GetLayout().Get(), parent, {}, {}, {}, frame);
            PointT<double> at{frame.x, frame.y};
            PointT<double> extent{frame.width, frame.height};
            const double unlimited = SplitterAxisValue(extent, axis);
            LayoutEngine::ApplyMinimumSize(*pane, at, extent);
            LayoutEngine::ApplyMaximumSize(*pane, at, extent);
            if (std::fabs(unlimited - SplitterAxisValue(extent, axis)) < 2.220446049250313e-15) {
                continue;
            }
            t = unlimited;
        }
        if (factor == 0.0f) {
            lo = std::max(lo, position - (t - m));
            if (big > 0) {
                hi = std::min(hi, position + (big - t));
            }
        } else {
            hi = std::min(hi, position + (t - m));
            if (big > 0) {
                lo = std::max(lo, position - (big - t));
            }
        }
    }
}

int32_t LSplitterBase::BeginDrag() {
    RCPtr<LControl> hold(this);
    const int32_t axis = Axis();
    mMinPosition = 0.0;
    mMaxPosition = kNoLimit;
    const double pos = Position();
    mPositionAtStart = pos;
    mAnchor = FindAnchor();
    if (mAnchor) {
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        GetPlacement(axis, placement, size);
        mSavedFactor = placement.factor;
        mSavedOffset = placement.offset;
        // Free of the anchor while it moves; the anchor follows the bar instead.
        LLayoutDescriptor::Placement free = placement;
        free.reference = PlacementReference::kClient;
        free.factor = 0.0f;
        free.offset = pos;
        SetPlacement(axis, free, size);
        LLayoutDescriptor::Placement anchorPlacement;
        LLayoutDescriptor::Size anchorSize;
        mAnchor->GetPlacement(axis, anchorPlacement, anchorSize);
        mAnchorSizeAtStart = anchorSize.offset;
    }
    LimitRange(mAnchor, pos, false, mMinPosition, mMaxPosition);
    // Into the drag machinery's terms: where the pointer may go rather than the bar.
    const double origin = SplitterAxisValue(mDragOrigin, axis);
    mMinPosition += origin - pos;
    mMaxPosition += origin - pos;
    return LControl::BeginDrag();
}

void LSplitterBase::OnDragMoved(const RCPtr<LPointWithModifiersParam>& param) {
    LControl::OnDragMoved(param);
    if (!mAnchor) {
        return;
    }
    RCPtr<LControl> hold(this);
    const int32_t axis = Axis();
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    mAnchor->GetPlacement(axis, placement, size);
    size.offset = mAnchorSizeAtStart + (Position() - mPositionAtStart);
    mAnchor->SetPlacement(axis, placement, size);
}

int32_t LSplitterBase::EndDrag() {
    if (mAnchor) {
        RCPtr<LControl> hold(this);
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        GetPlacement(Axis(), placement, size);
        placement.reference = PlacementReference::kNamed;
        placement.factor = mSavedFactor;
        placement.offset = mSavedOffset;
        SetPlacement(Axis(), placement, size);
    }
    return LControl::EndDrag();
}

void LSplitterBase::ConstrainDragRect(RectT<double>& rect) {
    if (Axis() == 0) {
        rect.x = mMinPosition;
        rect.width = mMaxPosition - mMinPosition;
    } else {
        rect.y = mMinPosition;
        rect.height = mMaxPosition - mMinPosition;
    }
}

void LSplitterBase::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LControl::OnConditionsChanged(param);
    if (param) {
        const uint32_t on = param->current & ~param->previous;
        const uint32_t off = param->previous & ~param->current;
        if ((on & kLeftDragging) != 0) {
            mDragOrigin = param->origin;
            SetDragMode(3, mOrientation == 1 ? 1u : 2u);
        } else if ((off & kLeftDragging) != 0) {
            mAnchor = nullptr;
        }
    }
    UpdateLookState();
}

void LSplitterBase::UpdateLookState() {
    if (!IsEnabled(true)) {
        SelectLook(6);
        return;
    }
    const uint32_t conditions = GetConditions();
    const bool captured = (conditions & kCapture) != 0;
    const bool dragging = (conditions & kLeftDragging) != 0;
    const bool hover = (conditions & kHover) != 0;
    int32_t look = 0;
    if (captured && dragging) {
        look = hover ? 2 : 1;
    } else if (hover && !captured) {
        look = 1;
    }
    SelectLook(HasFocus() ? look + 3 : look);
}

int32_t LSplitterBase::OnSizeChanged(const PointT<int32_t>& size) {
    const int32_t result = LControl::OnSizeChanged(size);
    RCPtr<LControl> hold(this);
    // The layout reports a squeezed pane as no size at all rather than a negative one, so one
    // step may not say how far the bar has to go: a few steps, each from where the last left it.
    for (int32_t step = 0; step < 8; ++step) {
        RCPtr<LControl> anchor = FindAnchor();
        if (!anchor) {
            break;
        }
        const double pos = Position();
        double lo = 0.0;
        double hi = kNoLimit;
        LimitRange(anchor, pos, true, lo, hi);
        if (lo > hi) {
            std::swap(lo, hi);
        }
        const double target = pos < lo ? lo : (pos > hi ? hi : pos);
        if (target == pos) {
            break;
        }
        const int32_t axis = Axis();
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size anchorSize;
        anchor->GetPlacement(axis, placement, anchorSize);
        anchorSize.offset += target - pos;
        anchor->SetPlacement(axis, placement, anchorSize);
        if (Position() == pos) {
            break;
        }
    }
    return result;
}

}  // namespace QV
