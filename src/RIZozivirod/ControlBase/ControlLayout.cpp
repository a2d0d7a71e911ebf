#include <algorithm>
#include <climits>
#include <cmath>

#include "RIZozivirod/ControlBase/Control.h"

#include "RIZozivirod/ControlBase/LayoutEngine.h"

namespace QV {

namespace {

constexpr double kLimit = 4503599627370496.0;  // 2^52

double Clamp52(double value) {
    return std::clamp(value, -kLimit, kLimit);
}

PointT<double> RoundPoint(const PointT<double>& point) {
    return {std::round(point.x), std::round(point.y)};
}

bool Same(const LLayoutDescriptor::Placement& a, const LLayoutDescriptor::Placement& b) {
    return a.anchor == b.anchor && a.reference == b.reference && a.referenceName == b.referenceName &&
           a.factor == b.factor && a.offset == b.offset;
}

bool Same(const LLayoutDescriptor::Size& a, const LLayoutDescriptor::Size& b) {
    return a.reference == b.reference && a.referenceName == b.referenceName && a.factor == b.factor &&
           a.offset == b.offset;
}

bool Same(const LLayoutDescriptor::Limit& a, const LLayoutDescriptor::Limit& b) {
    return a.reference == b.reference && a.referenceName == b.referenceName && a.factor == b.factor &&
           a.offset == b.offset;
}

bool IsDocked(const LControl& control) {
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    return layout && (layout->xDocked || layout->yDocked);
}

}  // namespace

int32_t LControl::UpdateLayout() {
    if (!mLayout) {
        return E_FAIL;
    }
    RectT<double> rect = mFrame;
    const int32_t computed = LayoutAgainstParent(rect);
    if (computed < 0) {
        return computed;
    }
    rect = rect.SnapToPixels();
    return SetRect({rect.x, rect.y}, {rect.width, rect.height});
}

int32_t LControl::LayoutAgainstParent(RectT<double>& rect) {
    RectT<double> screen;
    PointT<double> windowSize;
    PointT<double> basePoint;
    if (mParent == nullptr) {
        RCPtr<IRootWindow> window = mRootWindow;
        if (!window && mCreated) {
            return E_FAIL;
        }
        if (window) {
            IApplicationServices& services = GetApplicationServices();
            const RectT<int32_t> client = window->GetRect();
            const RectT<int32_t> work = services.GetWorkArea();
            const PointT<int32_t> mouse = services.GetMousePosition();
            screen = {-Int32ToDouble(client.x), -Int32ToDouble(client.y), Int32ToDouble(work.width),
                      Int32ToDouble(work.height)};
            windowSize = {Int32ToDouble(client.width), Int32ToDouble(client.height)};
            basePoint = {Int32ToDouble(mouse.x) - client.x, Int32ToDouble(mouse.y) - client.y};
        }
    }
    const int32_t result =
        LayoutEngine::ComputeFrame(mLayout.Get(), mParent, screen, windowSize, basePoint, rect);
    if (result < 0) {
        return result;
    }
    PointT<double> position{rect.x, rect.y};
    PointT<double> size{rect.width, rect.height};
    LayoutEngine::ApplyMinimumSize(*this, position, size);
    LayoutEngine::ApplyMaximumSize(*this, position, size);
    rect = {position.x, position.y, size.x, size.y};
    return S_OK;
}

RectT<double> LControl::GetLayoutClientRect() const {
    return const_cast<LControl*>(this)->GetClientRect(-1);
}

const ILayoutControl* LControl::GetLayoutChild(uint32_t index) const {
    return mChildren.GetAt(index, kOrderCreation).Get();
}

const ILayoutControl* LControl::FindLayoutChild(const WString& name) const {
    for (uint32_t i = mChildren.GetCount(); i-- > 0;) {
        const RCPtr<LControl>& child = mChildren.GetAt(i, kOrderCreation);
        if (child->mName == name) {
            return child.Get();
        }
    }
    return nullptr;
}

int32_t LControl::SetRect(const PointT<double>& position, const PointT<double>& size) {
    if (position.x == mFrame.x && position.y == mFrame.y && size.x == mFrame.width &&
        size.y == mFrame.height) {
        return 1;
    }
    RCPtr<LControl> hold = Self();
    UpdateClientRectCache();
    constexpr double kTolerance = 2.220446049250313e-15;
    const bool sizeChanged =
        !(std::fabs(size.x - mFrame.width) < kTolerance && std::fabs(size.y - mFrame.height) < kTolerance);
    const bool clip = mLayout ? mLayout->clipToParent : true;

    InvalidateRect({0, 0, mFrame.width, mFrame.height}, clip);
    if (mUnclippedDescendantCount > 0) {
        InvalidateUnclipped();
    }
    mFrame = {position.x, position.y, size.x, size.y};
    GiveLooksSize();

    if (sizeChanged && !mReapplying) {
        mReapplying = true;
        const PointT<int32_t> childSize{RoundToInt32(size.x), RoundToInt32(size.y)};
        for (uint32_t i = 0; i < mChildren.GetCount(); ++i) {
            RCPtr<LControl> child = mChildren.GetAt(i, kOrderCreation);
            child->OnSizeChanged(childSize);
        }
        UpdateLayout();
        mReapplying = false;
    }

    if (mParent != nullptr) {
        LControl* parent = mParent;
        const int32_t index = parent->FindChildIndex(this, kOrderCreation);
        if (index >= 0) {
            for (uint32_t i = static_cast<uint32_t>(index) + 1; i < parent->mChildren.GetCount(); ++i) {
                RCPtr<LControl> sibling = parent->mChildren.GetAt(i, kOrderCreation);
                if (sibling->UpdateLayout() != 1) {
                    break;
                }
            }
        }
        parent->OnChildRectChanged(this);
    } else if (mRootWindow) {
        const RectT<int32_t> client = mRootWindow->GetRect();
        mRootWindow->SetRect({client.x, client.y, RoundToInt32(size.x), RoundToInt32(size.y)});
    }

    if ((mFrame.width <= 0 || mFrame.height <= 0) && (mHasFocus || mContainsFocus) && mParent != nullptr) {
        mParent->SetFocus(true);
    }
    InvalidateRect({0, 0, mFrame.width, mFrame.height}, mLayout ? mLayout->clipToParent : true);
    if (mUnclippedDescendantCount > 0) {
        InvalidateUnclipped();
    }
    CheckClientSizeChange();
    return S_OK;
}

int32_t LControl::OnSizeChanged(const PointT<int32_t>&) {
    return UpdateLayout();
}

void LControl::OnChildRectChanged(LControl* child) {
    if (!mReapplying) {
        UpdateLayout();
    }
    InvalidateChildRect(child);
}

void LControl::OnParentScrolled(const PointT<double>&, const PointT<double>&) {
    if (IsDocked(*this)) {
        UpdateLayout();
    }
}

void LControl::UpdateClientRectCache() {
    mClientRectCache = GetClientRect(-1);
    mClientRectCacheValid = true;
}

void LControl::CheckClientSizeChange() {
    mClientRectCacheValid = false;
}

void LControl::UpdateVisibleRegion(const PointT<double>&, const PointT<double>&) {}

int32_t LControl::SetPlacement(int32_t axis, const LLayoutDescriptor::Placement& placement,
                               const LLayoutDescriptor::Size& size) {
    if (!mLayout) {
        mLayout = LLayoutDescriptor::Create();
    }
    if (axis != 0 && axis != 1) {
        UpdateLayout();
        return 1;
    }
    (axis == 0 ? mLayout->xPlacement : mLayout->yPlacement) = placement;
    (axis == 0 ? mLayout->xSize : mLayout->ySize) = size;
    UpdateLayout();
    // The pass may have changed the records (a control reacting to its own size).
    return Same(axis == 0 ? mLayout->xPlacement : mLayout->yPlacement, placement) &&
                   Same(axis == 0 ? mLayout->xSize : mLayout->ySize, size)
               ? S_OK
               : 1;
}

int32_t LControl::SetPlacements(const LLayoutDescriptor::Placement& xPlacement,
                                const LLayoutDescriptor::Size& xSize,
                                const LLayoutDescriptor::Placement& yPlacement,
                                const LLayoutDescriptor::Size& ySize) {
    if (!mLayout) {
        mLayout = LLayoutDescriptor::Create();
    }
    mLayout->xPlacement = xPlacement;
    mLayout->xSize = xSize;
    mLayout->yPlacement = yPlacement;
    mLayout->ySize = ySize;
    UpdateLayout();
    return S_OK;
}

int32_t LControl::GetPlacement(int32_t axis, LLayoutDescriptor::Placement& placement,
                               LLayoutDescriptor::Size& size) const {
    if ((axis != 0 && axis != 1) || !mLayout) {
        return E_INVALIDARG;
    }
    placement = axis == 0 ? mLayout->xPlacement : mLayout->yPlacement;
    size = axis == 0 ? mLayout->xSize : mLayout->ySize;
    return S_OK;
}

int32_t LControl::SetSizeLimits(int32_t axis, const LLayoutDescriptor::Limit& minimum,
                                const LLayoutDescriptor::Limit& maximum) {
    if (!mLayout) {
        mLayout = LLayoutDescriptor::Create();
    }
    if (axis != 0 && axis != 1) {
        UpdateLayout();
        return 1;
    }
    (axis == 0 ? mLayout->xMinimum : mLayout->yMinimum) = minimum;
    (axis == 0 ? mLayout->xMaximum : mLayout->yMaximum) = maximum;
    UpdateLayout();
    return Same(axis == 0 ? mLayout->xMinimum : mLayout->yMinimum, minimum) &&
                   Same(axis == 0 ? mLayout->xMaximum : mLayout->yMaximum, maximum)
               ? S_OK
               : 1;
}

int32_t LControl::GetSizeLimits(int32_t axis, LLayoutDescriptor::Limit& minimum,
                                LLayoutDescriptor::Limit& maximum) const {
    if ((axis != 0 && axis != 1) || !mLayout) {
        return E_INVALIDARG;
    }
    minimum = axis == 0 ? mLayout->xMinimum : mLayout->yMinimum;
    maximum = axis == 0 ? mLayout->xMaximum : mLayout->yMaximum;
    return S_OK;
}

int32_t LControl::MeasureMinimumSize(PointT<double>& size) {
    if (!mLayout) {
        return E_FAIL;
    }
    for (int32_t axis = 0; axis < 2; ++axis) {
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size saved;
        GetPlacement(axis, placement, saved);
        SetPlacement(axis, placement, LLayoutDescriptor::Size{SizeReference::kSelf, WString(), 0.0f, 0.0});
        (axis == 0 ? size.x : size.y) = axis == 0 ? mFrame.width : mFrame.height;
        SetPlacement(axis, placement, saved);
    }
    return S_OK;
}

int32_t LControl::GetMaximumSize(PointT<double>& size) {
    size = {};
    if (!mLayout) {
        return S_OK;
    }
    if (mLayout->xMaximum.reference == LimitReference::kSelf) {
        size.x = mLayout->xMaximum.offset;
    }
    if (mLayout->yMaximum.reference == LimitReference::kSelf) {
        size.y = mLayout->yMaximum.offset;
    }
    return S_OK;
}

PointT<double> LControl::GetPositionInParent() const {
    if (mParent == nullptr) {
        return {mFrame.x, mFrame.y};
    }
    const RectT<double> client = const_cast<LControl*>(mParent)->GetClientRect(-1);
    return {mFrame.x - mParent->mScrollOffset.x + client.x, mFrame.y - mParent->mScrollOffset.y + client.y};
}

PointT<double> LControl::GetRectInWindow() const {
    PointT<double> position{mFrame.x, mFrame.y};
    for (LControl* ancestor = mParent; ancestor != nullptr; ancestor = ancestor->mParent) {
        const RectT<double> client = ancestor->GetClientRect(-1);
        position.x += client.x - ancestor->mScrollOffset.x + ancestor->mFrame.x;
        position.y += client.y - ancestor->mScrollOffset.y + ancestor->mFrame.y;
    }
    return position;
}

PointT<double> LControl::MapPointFrom(const LControl* other, const PointT<double>& point) const {
    const PointT<double> from = other != nullptr ? other->GetRectInWindow() : PointT<double>{};
    const PointT<double> to = GetRectInWindow();
    return {point.x + Clamp52(from.x) - Clamp52(to.x), point.y + Clamp52(from.y) - Clamp52(to.y)};
}

int32_t LControl::GetViewRect(RectT<double>& rect) {
    const RectT<double> client = GetClientRect(-1);
    rect = {0, 0, client.width, client.height};
    return S_OK;
}

RectT<double> LControl::GetVisibleRect() {
    const RectT<double> client = GetClientRect(-1);
    return {mScrollOffset.x, mScrollOffset.y, client.width, client.height};
}

int32_t LControl::GetScrollRange(RectT<double>& range, const RCPtr<LControl>&) {
    range = {0, 0, kLimit, kLimit};
    return S_OK;
}

RectT<double> LControl::ChildrenBounds() {
    bool any = false;
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = 0;
    int64_t bottom = 0;
    for (uint32_t i = 0; i < mChildren.GetCount(); ++i) {
        const RCPtr<LControl>& child = mChildren.GetAt(i, kOrderCreation);
        if (IsDocked(*child)) {
            continue;
        }
        const RectT<int32_t> r = child->mFrame.Round();
        const int64_t childRight = int64_t{r.x} + r.width;
        const int64_t childBottom = int64_t{r.y} + r.height;
        if (!any) {
            left = r.x;
            top = r.y;
            right = childRight;
            bottom = childBottom;
            any = true;
        } else {
            left = std::min<int64_t>(left, r.x);
            top = std::min<int64_t>(top, r.y);
            right = std::max(right, childRight);
            bottom = std::max(bottom, childBottom);
        }
    }
    if (!any) {
        return {2147483647.0, 2147483647.0, 1.0, 1.0};
    }
    return {static_cast<double>(left), static_cast<double>(top), static_cast<double>(right - left),
            static_cast<double>(bottom - top)};
}

PointT<double> LControl::SetScrollOffset(const PointT<double>& offset) {
    RCPtr<LControl> hold = Self();
    mScrolling = true;
    const PointT<double> rounded = RoundPoint(offset);
    if (!(rounded == mScrollOffset)) {
        InvalidateUnclipped();
        const PointT<double> old = mScrollOffset;
        mScrollOffset = rounded;
        for (uint32_t i = 0; i < mChildren.GetCount(); ++i) {
            RCPtr<LControl> child = mChildren.GetAt(i, kOrderCreation);
            mScrolledChildDocked = IsDocked(*child);
            child->OnParentScrolled(old, rounded);
            mScrolledChildDocked = false;
        }
        InvalidateRect({0, 0, mFrame.width, mFrame.height}, mLayout ? mLayout->clipToParent : true);
        UpdateVisibleRegion(old, rounded);
        Notify(u"NID_SCROLL_OFFSET_CHANGE", nullptr);
        if (RCPtr<IRootWindow> window = GetRootWindow()) {
            const PointT<int32_t> pointer = window->GetCursorPos();
            const PointT<double> position = GetRectInWindow();
            const PointT<int32_t> local{pointer.x - RoundToInt32(position.x),
                                        pointer.y - RoundToInt32(position.y)};
            if (ContainsPoint(local)) {
                PointT<int32_t> hitPoint;
                window->HitTest(pointer, hitPoint, true);
            }
        }
    }
    mScrolling = false;
    return mScrollOffset;
}

}  // namespace QV
