#include "RIZozivirod/Controls/ScrollView.h"

#include <algorithm>
#include <cmath>

namespace QV {

namespace {

constexpr double kTolerance = 2.220446049250313e-15;
constexpr double kNoLimit = 4503599627370496.0;  // 2^52

bool IsTrueText(const WString& text) {
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
        if (params->GetString(u"AUTO_CLIENT_EXTENT_X", text) && IsTrueText(text)) {
            flags |= kAutoExtentX;
        }
        text = WString();
        if (params->GetString(u"AUTO_CLIENT_EXTENT_Y", text) && IsTrueText(text)) {
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
    return ConnectScrollBars();
}

int32_t LScrollView::ConnectScrollBars() {
    mBarThickness = {};
    if (mCorner && mCorner->GetDescriptor() && mCorner->GetDescriptor()->GetLayout()) {
        const RCPtr<LLayoutDescriptor>& layout = mCorner->GetDescriptor()->GetLayout();
        mBarThickness = {layout->xSize.offset, layout->ySize.offset};
    }
    // The scroll bars themselves are the standard controls' and join here when they exist.
    UpdateScrollBars();
    return S_OK;
}

PointT<double> LScrollView::GetScrollBarThickness() const {
    if (mCorner) {
        return {mCorner->GetFrame().width, mCorner->GetFrame().height};
    }
    return {};
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
    rect.width = std::max(0.0, rect.width);
    rect.height = std::max(0.0, rect.height);
    return S_OK;
}

int32_t LScrollView::UpdateScrollBars() {
    if (mBarsGuard) {
        return 1;
    }
    mBarsGuard = true;
    RectT<double> before;
    GetViewRect(before);
    UpdateAutoClientExtent();
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
    range = {0, 0, mClientExtent.x <= 0 ? kNoLimit : std::max(0.0, mClientExtent.x - view.width),
             mClientExtent.y <= 0 ? kNoLimit : std::max(0.0, mClientExtent.y - view.height)};
    return S_OK;
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
        const RCPtr<LLayoutDescriptor>& layout = child->GetLayout();
        if (layout && layout->xDocked && layout->yDocked) {
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
