#include "RIZozivirod/Controls/ScrollView.h"

#include <algorithm>
#include <cmath>

#include "RIZozivirod/Controls/Scrollbar.h"

namespace QV {

namespace {

constexpr double kTolerance = 2.220446049250313e-15;
constexpr double kNoLimit = 4503599627370496.0;  // 2^52

bool IsTrueScrollViewText(const WString& text) {
    return text.ToLower().Trim() == u"true";
}

}  // namespace

LScrollView::LScrollView(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LScrollView::~LScrollView() = default;

int32_t LScrollView::OnClientExtentChanged() {
    return UpdateScrollBars();
}

void LScrollView::OnViewRectChanged() {}

void LScrollView::OnScrollBarVisibilityChanged(int32_t) {}

void LScrollView::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                      const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    DeliverToViewHandlers(sender, notification);
}

int32_t LScrollView::DeliverToViewHandlers(const RCPtr<LNotificationDistributor>& sender,
                                           const RCPtr<LNotification>& notification) {
    if (mViewHandler) {
        const int32_t result = mViewHandler->HandleNotification(sender, notification);
        if (result != 0) {
            return result;
        }
    }
    return DeliverToControlHandler(sender, notification);
}

int32_t LScrollView::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                               const WChar* name) {
    if (mViewHandler) {
        mViewHandler->RemoveHandler(distributor, name);
    }
    return LControl::UnregisterForNotification(distributor, name);
}

int32_t LScrollView::ReadCreateParams() {
    const int32_t result = LControl::ReadCreateParams();
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    const RCPtr<LStringTable> params = descriptor ? descriptor->GetCreateParams() : nullptr;
    if (params) {
        WString text;
        uint32_t flags = 0;
        if (params->GetString(u"AUTO_CLIENT_EXTENT_X", text) && IsTrueScrollViewText(text)) {
            flags |= kAutoExtentX;
        }
        text = WString();
        if (params->GetString(u"AUTO_CLIENT_EXTENT_Y", text) && IsTrueScrollViewText(text)) {
            flags |= kAutoExtentY;
        }
        mAutoExtentFlags = flags;
        mAutoMarginX = 0;
        mAutoMarginY = 0;
        UpdateAutoClientExtent();
    }
    return result;
}

int32_t LScrollView::Initialize() {
    const int32_t result = LControl::Initialize();
    if (result < 0) {
        return result;
    }
    mViewHandler = LNotificationHandler<LScrollView>::Create(this);
    mCorner = FindChild(WString(u"corner"));
    RCPtr<LControl> h = FindChild(WString(u"hBar"));
    RCPtr<LControl> v = FindChild(WString(u"vBar"));
    mHBar = RCPtr<LScrollbar>(dynamic_cast<LScrollbar*>(h.Get()));
    mVBar = RCPtr<LScrollbar>(dynamic_cast<LScrollbar*>(v.Get()));
    return ConnectScrollBars();
}

int32_t LScrollView::ConnectScrollBars() {
    mBarThickness = {};
    if (mCorner && mCorner->GetDescriptor() && mCorner->GetDescriptor()->GetLayout()) {
        const RCPtr<LLayoutDescriptor>& layout = mCorner->GetDescriptor()->GetLayout();
        mBarThickness = {layout->xSize.offset, layout->ySize.offset};
    }
    if (mHBar) {
        if (!IsCreated() && mViewHandler) {
            mViewHandler->AddHandler(&LScrollView::OnScrollBarValueChanged,
                                     RCPtr<LNotificationDistributor>(mHBar), u"NID_VALUE_CHANGE", 0);
        }
        if (mBarThickness.y == 0) {
            mBarThickness.y = mHBar->GetFrame().height;
        }
    }
    if (mVBar) {
        if (!IsCreated() && mViewHandler) {
            mViewHandler->AddHandler(&LScrollView::OnScrollBarValueChanged,
                                     RCPtr<LNotificationDistributor>(mVBar), u"NID_VALUE_CHANGE", 0);
        }
        if (mBarThickness.x == 0) {
            mBarThickness.x = mVBar->GetFrame().width;
        }
    }
    UpdateScrollBars();
    return S_OK;
}

PointT<double> LScrollView::GetScrollBarThickness() const {
    if (mCorner) {
        return {mCorner->GetFrame().width, mCorner->GetFrame().height};
    }
    return {mVBar ? mVBar->GetFrame().width : 0.0, mHBar ? mHBar->GetFrame().height : 0.0};
}

PointT<double> LScrollView::BarSpace() const {
    if (mCorner) {
        return {mCorner->GetFrame().width, mCorner->GetFrame().height};
    }
    return {mVBar ? mVBar->GetFrame().width : 0.0, mHBar ? mHBar->GetFrame().height : 0.0};
}

bool LScrollView::IsBarShown(const RCPtr<LScrollbar>& bar) const {
    return bar && (!bar->GetLayout() || bar->GetLayout()->visible) && bar->GetFrame().width > 0 &&
           bar->GetFrame().height > 0;
}

void LScrollView::ShowScrollBar(const RCPtr<LScrollbar>& bar, bool show) {
    if (!bar || IsBarShown(bar) == show) {
        return;
    }
    // The bar shows by getting its thickness across and hides by getting none.
    const int32_t axis = bar.Get() == mVBar.Get() ? 0 : 1;
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    LLayoutDescriptor::Placement ignored;
    bar->GetPlacement(axis, ignored, size);
    if (mCorner) {
        LLayoutDescriptor::Size cornerSize;
        mCorner->GetPlacement(axis, placement, cornerSize);
    } else {
        placement = ignored;
    }
    size.reference = SizeReference::kSelf;
    size.referenceName = WString();
    size.factor = 0.0f;
    size.offset = show ? std::trunc(axis == 0 ? mBarThickness.x : mBarThickness.y) : 0.0;
    bar->SetPlacement(axis, placement, size);
}

void LScrollView::UpdateScrollBarRanges() {
    RectT<double> view;
    GetViewRect(view);
    for (int32_t axis = 0; axis < 2; ++axis) {
        const RCPtr<LScrollbar>& bar = axis == 0 ? mHBar : mVBar;
        if (!bar || bar->GetParent() == nullptr) {
            continue;
        }
        const double viewSize = axis == 0 ? view.width : view.height;
        const double extent = axis == 0 ? mClientExtent.x : mClientExtent.y;
        float thumb = 1.0f;
        float page = 1.0f;
        float lineStep = 0.1f;
        const double line = mLineSize[axis];
        const double limit = ScrollLimit(axis, viewSize);
        if (line > 0) {
            // Whole lines: a line step moves one line, a page the lines the view shows in full.
            const double shown = std::max(1.0, std::floor(viewSize / line));
            const double lines = std::ceil(extent / line - 1e-9);
            const double range = limit / line;
            if (range > 0) {
                thumb = static_cast<float>(std::min(1.0, shown / lines));
                page = static_cast<float>(std::min(1.0, shown / range));
                lineStep = static_cast<float>(1.0 / range);
            } else {
                lineStep = page / 10.0f;
            }
        } else {
            if (viewSize < extent) {
                thumb = static_cast<float>(viewSize / extent);
                page = std::clamp(static_cast<float>(viewSize / (extent - viewSize)), 0.0f, 1.0f);
            }
            lineStep = page / 10.0f;
        }
        bar->SetValueRange(0, line > 0 ? limit : extent - viewSize, 0);
        bar->thumbFraction = thumb;
        bar->UpdateThumbSize();
        bar->pageStep = page;
        bar->lineStep = lineStep;
        double position = std::max(0.0, std::round(limit * bar->GetNormalizedValue()));
        if (line > 0) {
            position = std::round(position / line) * line;
        }
        const PointT<double>& offset = GetScrollOffset();
        if ((axis == 0 ? offset.x : offset.y) != position) {
            SetScrollOffset(axis == 0 ? PointT<double>{position, offset.y}
                                      : PointT<double>{offset.x, position});
        }
    }
}

int32_t LScrollView::OnScrollBarValueChanged(const RCPtr<LNotificationDistributor>& source,
                                             const RCPtr<LNotification>&) {
    if (mFollowingContent) {
        return 1;
    }
    const PointT<double>& offset = GetScrollOffset();
    const auto position = [this](int32_t axis, const RCPtr<LScrollbar>& bar) {
        const double value = bar->ValueFromNormalized(bar->GetNormalizedValue());
        const double line = mLineSize[axis];
        return line > 0 ? std::round(value / line) * line : std::round(value);
    };
    if (mHBar && source.Get() == static_cast<LNotificationDistributor*>(mHBar.Get())) {
        SetScrollOffset({position(0, mHBar), offset.y});
    } else if (mVBar && source.Get() == static_cast<LNotificationDistributor*>(mVBar.Get())) {
        SetScrollOffset({offset.x, position(1, mVBar)});
    }
    return 1;
}

void LScrollView::UpdateVisibleRegion(const PointT<double>& oldOffset, const PointT<double>& newOffset) {
    RectT<double> view;
    GetViewRect(view);
    for (int32_t axis = 0; axis < 2; ++axis) {
        const RCPtr<LScrollbar>& bar = axis == 0 ? mHBar : mVBar;
        if (!bar || !mViewHandler) {
            continue;
        }
        // The bar follows the content without moving the content back: the view does not listen
        // to the bar meanwhile (a guard rather than taking the binding off and on again, which
        // would cost two allocations on every scroll step).
        mFollowingContent = true;
        struct Clear {
            bool& flag;
            ~Clear() { flag = false; }
        } clear{mFollowingContent};
        const double largest = ScrollLimit(axis, axis == 0 ? view.width : view.height);
        const double offset = axis == 0 ? newOffset.x : newOffset.y;
        bar->SetNormalizedValue(largest == 0 ? 0.0 : offset / largest);
    }
    LControl::UpdateVisibleRegion(oldOffset, newOffset);
}

int32_t LScrollView::Wheel(const RCPtr<LMouseWheelParam>& param, bool horizontalWheel) {
    const bool h = IsBarShown(mHBar);
    const bool v = IsBarShown(mVBar);
    if (!param || (!h && !v)) {
        return 1;
    }
    LScrollbar* bar = nullptr;
    if (horizontalWheel) {
        bar = h ? mHBar.Get() : mVBar.Get();
    } else if (h && v) {
        bar = (param->modifiers & 0x40) != 0 ? mHBar.Get() : mVBar.Get();
    } else {
        bar = h ? mHBar.Get() : mVBar.Get();
    }
    double step = (param->modifiers & 0x8) != 0 ? bar->pageStep : bar->lineStep;
    if (param->direction != (horizontalWheel ? 2 : 0)) {
        step = -step;
    }
    RCPtr<LControl> hold(bar);
    bar->SetNormalizedValue(bar->GetNormalizedValue() + step);
    return S_OK;
}

int32_t LScrollView::HandleMouseWheel(const RCPtr<LMouseWheelParam>& param) {
    return Wheel(param, false);
}

int32_t LScrollView::HandleMouseHWheel(const RCPtr<LMouseWheelParam>& param) {
    return Wheel(param, true);
}

PointT<int32_t> LScrollView::GetChildrenExtent() {
    PointT<int32_t> extent;
    for (uint32_t i = 0; i < GetChildren().GetCount(); ++i) {
        const RCPtr<LControl>& child = GetChildren().GetAt(i, kOrderCreation);
        const RectT<int32_t> r = child->GetFrame().Round();
        const RCPtr<LLayoutDescriptor>& layout = child->GetLayout();
        if (!layout || !layout->xDocked) {
            extent.x = std::max(extent.x, r.x + r.width);
        }
        if (!layout || !layout->yDocked) {
            extent.y = std::max(extent.y, r.y + r.height);
        }
    }
    return extent;
}

int32_t LScrollView::SetAutoClientExtent(uint32_t flags, int32_t marginX, int32_t marginY) {
    mAutoExtentFlags = flags;
    mAutoMarginX = marginX;
    mAutoMarginY = marginY;
    UpdateAutoClientExtent();
    return S_OK;
}

int32_t LScrollView::UpdateAutoClientExtent() {
    if (mAutoExtentFlags == 0) {
        return 1;
    }
    const PointT<int32_t> extent = GetChildrenExtent();
    const double w = static_cast<double>(extent.x) + mAutoMarginX;
    const double h = static_cast<double>(extent.y) + mAutoMarginY;
    switch (mAutoExtentFlags) {
        case kAutoExtentX:
            return SetClientExtent({w, mClientExtent.y});
        case kAutoExtentY:
            return SetClientExtent({mClientExtent.x, h});
        case kAutoExtentX | kAutoExtentY:
            return SetClientExtent({w, h});
        default:
            return S_OK;
    }
}

int32_t LScrollView::SetClientExtent(const PointT<double>& extent) {
    if (std::fabs(extent.x - mClientExtent.x) < kTolerance &&
        std::fabs(extent.y - mClientExtent.y) < kTolerance) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    mClientExtent = extent;
    OnClientExtentChanged();
    LNotificationDistributor::Notify(LNotification::Create(u"NID_CLIENT_EXTENT_CHANGE"));
    return S_OK;
}

int32_t LScrollView::GetViewRect(RectT<double>& rect) {
    rect = GetClientRect(-1);
    const PointT<double> space = BarSpace();
    if (IsBarShown(mVBar)) {
        rect.width -= space.x;
    }
    if (IsBarShown(mHBar)) {
        rect.height -= space.y;
    }
    rect.width = std::max(0.0, rect.width);
    rect.height = std::max(0.0, rect.height);
    return S_OK;
}

int32_t LScrollView::UpdateScrollBars() {
    if (mBarsGuard) {
        return 1;
    }
    mBarsGuard = true;
    RCPtr<LControl> hold(this);
    const PointT<double> space = BarSpace();
    // The space the bars take now. Only a shown bar takes any: counting the corner's size for a
    // hidden bar would take the view for wider than it is, and content that overhangs it by less
    // than the corner would get no bar and could never be reached.
    const double tv = IsBarShown(mVBar) ? space.x : 0.0;
    const double th = IsBarShown(mHBar) ? space.y : 0.0;
    RectT<double> before;
    GetViewRect(before);
    const double fullWidth = before.width + (tv > 0 ? mBarThickness.x : 0.0);
    const double fullHeight = before.height + (th > 0 ? mBarThickness.y : 0.0);
    UpdateAutoClientExtent();
    bool needV = fullHeight < mClientExtent.y;
    const bool needH = fullWidth - (needV ? mBarThickness.x : 0.0) < mClientExtent.x;
    if (needH && !needV) {
        needV = fullHeight - mBarThickness.y < mClientExtent.y;
    }
    ShowScrollBar(mVBar, needV);
    ShowScrollBar(mHBar, needH);
    UpdateScrollBarRanges();
    if (IsBarShown(mVBar) != (tv > 0)) {
        OnScrollBarVisibilityChanged(1);
    }
    if (IsBarShown(mHBar) != (th > 0)) {
        OnScrollBarVisibilityChanged(0);
    }
    RectT<double> after;
    GetViewRect(after);
    if (!(after == before)) {
        OnViewRectChanged();
    }
    UpdateAutoClientExtent();
    mBarsGuard = false;
    return S_OK;
}

int32_t LScrollView::GetScrollRange(RectT<double>& range, const RCPtr<LControl>&) {
    RectT<double> view;
    GetViewRect(view);
    range = {0, 0, mClientExtent.x <= 0 ? kNoLimit : ScrollLimit(0, view.width),
             mClientExtent.y <= 0 ? kNoLimit : ScrollLimit(1, view.height)};
    return S_OK;
}

double LScrollView::ScrollLimit(int32_t axis, double viewSize) const {
    const double extent = axis == 0 ? mClientExtent.x : mClientExtent.y;
    const double line = mLineSize[axis];
    if (line <= 0) {
        return std::max(0.0, extent - viewSize);
    }
    const double lines = std::ceil(extent / line - 1e-9);
    const double shown = std::max(1.0, std::floor(viewSize / line));
    return std::max(0.0, lines - shown) * line;
}

void LScrollView::SetLineMode(int32_t axis, double lineSize) {
    if (axis != 0 && axis != 1) {
        return;
    }
    mLineSize[axis] = std::max(0.0, lineSize);
    UpdateScrollBars();
}

RectT<double> LScrollView::GetVisibleRect() {
    const RectT<double> client = GetClientRect(-1);
    const RectT<double> bounds = ChildrenBounds();
    const PointT<double>& offset = GetScrollOffset();
    return {std::max(0.0, offset.x), std::max(0.0, offset.y),
            std::max(1.0, std::min(client.width, bounds.x + bounds.width)),
            std::max(1.0, std::min(client.height, bounds.y + bounds.height))};
}

int32_t LScrollView::GetMaximumSize(PointT<double>& size) {
    LControl::GetMaximumSize(size);
    const RCPtr<LLayoutDescriptor>& layout = GetLayout();
    if (!layout) {
        return S_OK;
    }
    const bool xChildren =
        layout->xMaximum.reference == LimitReference::kNamed && layout->xMaximum.referenceName == u"Children";
    const bool yChildren =
        layout->yMaximum.reference == LimitReference::kNamed && layout->yMaximum.referenceName == u"Children";
    if (xChildren || yChildren) {
        const PointT<int32_t> extent = GetChildrenExtent();
        if (xChildren) {
            size.x = extent.x;
        }
        if (yChildren) {
            size.y = extent.y;
        }
    }
    return S_OK;
}

void LScrollView::UpdateClientRectCache() {
    mClientRectGuard = true;
    LControl::UpdateClientRectCache();
}

void LScrollView::CheckClientSizeChange() {
    LControl::CheckClientSizeChange();
    mClientRectGuard = false;
    UpdateAutoClientExtent();
    UpdateScrollBars();
}

bool LScrollView::InvalidateChildRect(LControl* child) {
    if (!mBarsGuard && !mScrollGuard && !mClientRectGuard && child != nullptr) {
        if (child->DockedAxes() == 2) {
            UpdateScrollBars();
        } else {
            UpdateAutoClientExtent();
        }
    }
    return LControl::InvalidateChildRect(child);
}

void LScrollView::OnChildrenChanged(LControl*, int32_t) {
    if (GetRootWindow()) {
        UpdateAutoClientExtent();
    }
}

PointT<double> LScrollView::SetScrollOffset(const PointT<double>& offset) {
    mScrollGuard = true;
    const PointT<double> result = LControl::SetScrollOffset(offset);
    mScrollGuard = false;
    return result;
}

int32_t LScrollView::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) {
    if (!IsCreated()) {
        return LControl::ApplyDescriptor(descriptor);
    }
    const uint32_t flags = mAutoExtentFlags;
    mAutoExtentFlags = 0;
    const int32_t result = LControl::ApplyDescriptor(descriptor);
    ConnectScrollBars();
    mAutoExtentFlags = flags;
    UpdateAutoClientExtent();
    UpdateScrollBars();
    CheckClientSizeChange();
    return result;
}

}  // namespace QV
