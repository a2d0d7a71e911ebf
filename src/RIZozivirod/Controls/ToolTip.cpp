#include "RIZozivirod/Controls/ToolTip.h"

#include <cmath>

namespace QV {

namespace {

constexpr uint32_t kAppearDelayMs = 500;
constexpr uint32_t kShowTimeMs = 5000;
constexpr uint32_t kFollowOnMs = 50;

// When the last visible tip went away; shared by every tip so that moving from one tipped
// control to the next shows the next tip at once. Until a tip has been hidden there is no such
// time: a clock that starts near 0 must not make the first tip immediate.
struct HideRecord {
    bool any = false;
    uint32_t time = 0;
};

HideRecord& LastHide() {
    static HideRecord record;
    return record;
}

int32_t RoundToolTipValue(double value) {
    return static_cast<int32_t>(value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5));
}

}  // namespace

LToolTip::LToolTip(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

bool LToolTip::IsTransparentAt(const PointT<int32_t>&) {
    return false;
}

int32_t LToolTip::ReadCreateParams() {
    SetNotFocusable(true);
    return S_OK;
}

int32_t LToolTip::PostInitialize() {
    SetVisible(false);
    return S_OK;
}

void LToolTip::Show() {
    RCPtr<IRootWindow> window = GetRootWindow();
    if (window) {
        LLayoutDescriptor::Limit minimum;
        LLayoutDescriptor::Limit maximum;
        GetSizeLimits(0, minimum, maximum);
        maximum.reference = LimitReference::kSelf;
        maximum.referenceName = WString();
        maximum.factor = 0.0f;
        maximum.offset = static_cast<double>(window->GetRect().width) - 8.0;
        SetSizeLimits(0, minimum, maximum);
    }
    const uint32_t now = GetApplicationServices().GetTimeMs();
    mStateTime = now;
    if (LastHide().any && now - LastHide().time < kFollowOnMs) {
        Appear();
    } else {
        mState = kWaiting;
    }
    BeginIdleWork();
}

void LToolTip::Appear() {
    mState = kShown;
    Place();
    SetVisible(true);
}

void LToolTip::OnIdleTick() {
    const uint32_t now = GetApplicationServices().GetTimeMs();
    if (mState == kWaiting && now - mStateTime > kAppearDelayMs) {
        mStateTime = now;
        Appear();
    } else if (mState == kShown && now - mStateTime > kShowTimeMs) {
        Hide();
    }
}

int32_t LToolTip::Hide() {
    RCPtr<LControl> hold(this);
    if (mState != kHidden) {
        mState = kHidden;
        EndIdleWork();
    }
    const RCPtr<LLayoutDescriptor>& layout = GetLayout();
    if ((!layout || layout->visible) && GetFrame().width > 0 && GetFrame().height > 0) {
        LastHide() = {true, GetApplicationServices().GetTimeMs()};
    }
    if (LControl* parent = GetParent()) {
        parent->RemoveChildLater(hold);
    }
    return S_OK;
}

void LToolTip::Place() {
    RCPtr<IRootWindow> window = GetRootWindow();
    if (!window) {
        return;
    }
    const PointT<int32_t> pointer = window->GetCursorPos();
    const RectT<int32_t> client = window->GetRect();
    PointT<double> parentOrigin;
    if (LControl* parent = GetParent()) {
        parentOrigin = parent->GetRectInWindow();
        parentOrigin.x -= parent->GetScrollOffset().x;
        parentOrigin.y -= parent->GetScrollOffset().y;
    }
    for (int32_t axis = 0; axis < 2; ++axis) {
        int32_t p = axis == 0 ? pointer.x : pointer.y + 20;
        const int32_t size = RoundToolTipValue(axis == 0 ? GetFrame().width : GetFrame().height);
        const int32_t limit = axis == 0 ? client.width : client.height;
        if (int64_t{p} + size > limit) {
            p = limit - size;
        }
        if (p < 0) {
            p = 0;
        }
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size extent;
        GetPlacement(axis, placement, extent);
        placement.reference = PlacementReference::kParent;
        placement.referenceName = WString();
        placement.factor = 0.0f;
        placement.offset = p - RoundToolTipValue(axis == 0 ? parentOrigin.x : parentOrigin.y);
        SetPlacement(axis, placement, extent);
    }
}

}  // namespace QV
