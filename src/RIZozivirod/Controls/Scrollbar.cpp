#include "RIZozivirod/Controls/Scrollbar.h"

#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/ControlParams.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Utilities/Graphics/RectRegion.h"

namespace QV {

namespace {

double RoundScrollbarHalfAway(double value) {
    return value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5);
}

struct KeyRule {
    uint32_t code;
    uint8_t mask;
    int32_t orientation;  // 1 vertical, 0 horizontal, -1 either
    int32_t kind;         // -1/+1 line, -2/+2 page, 3 start, 4 end
};

constexpr KeyRule kKeyRules[] = {
    {0x20260000, 0x01, 1, -1}, {0x20280000, 0x02, 1, 1}, {0x20250000, 0x04, 0, -1}, {0x20270000, 0x08, 0, 1},
    {0x20210000, 0x10, 1, -2}, {0x20220000, 0x20, 1, 2}, {0x20240000, 0x40, -1, 3}, {0x20230000, 0x80, -1, 4},
};

}  // namespace

LScrollbar::LScrollbar(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {
    LControl::SetValueRange(0, 100, 0);
}

LScrollbar::~LScrollbar() = default;

void LScrollbar::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                     const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mBarHandler && mBarHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    DeliverToControlHandler(sender, notification);
}

int32_t LScrollbar::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                              const WChar* name) {
    if (mBarHandler) {
        mBarHandler->RemoveHandler(distributor, name);
    }
    return LControl::UnregisterForNotification(distributor, name);
}

int32_t LScrollbar::Initialize() {
    if (LControl::Initialize() < 0) {
        return E_FAIL;
    }
    mBarHandler = LNotificationHandler<LScrollbar>::Create(this);
    mChannel = FindChild(u"channel");
    if (mChannel) {
        RCPtr<LNotificationDistributor> channel(mChannel);
        mBarHandler->AddHandler(&LScrollbar::OnChannelPress, channel, u"NID_LEFT_DRAG_CONDITION_CHANGE", 0);
        mBarHandler->AddHandler(&LScrollbar::OnChannelHover, channel, u"NID_HOVER_CONDITION_CHANGE", 0);
        RCPtr<LControl> thumb = mChannel->FindChild(u"thumb");
        mThumb = RCPtr<LButton>(dynamic_cast<LButton*>(thumb.Get()));
        if (mThumb) {
            RCPtr<LNotificationDistributor> source(mThumb);
            mBarHandler->AddHandler(&LScrollbar::OnThumbMouseMove, source, u"NID_MOUSE_MOVE", 0);
            mBarHandler->AddHandler(&LScrollbar::OnThumbDragCondition, source,
                                    u"NID_LEFT_DRAG_CONDITION_CHANGE", 0);
            mThumb->SetKeepPressedLook(true);
        }
    }
    for (const WChar* name : {u"dec", u"inc"}) {
        RCPtr<LControl> child = FindChild(name);
        RCPtr<LButton> button(dynamic_cast<LButton*>(child.Get()));
        (name[0] == u'd' ? mDec : mInc) = button;
        if (button) {
            mBarHandler->AddHandler(&LScrollbar::OnStepButton, RCPtr<LNotificationDistributor>(button),
                                    u"NID_BUTTON_AUTOREPEAT", 0);
            button->SetAutoRepeat(true);
        }
    }
    if (mDec && mInc) {
        const RectT<double>& dec = mDec->GetFrame();
        const RectT<double>& inc = mInc->GetFrame();
        mVertical = (inc.x - dec.x) > (inc.y - dec.y) ? 0 : 1;
    }
    CheckClientSizeChange();
    SetKeyMask(255);
    return S_OK;
}

int32_t LScrollbar::PostInitialize() {
    const int32_t result = LControl::PostInitialize();
    SetNotFocusable(true);
    for (LControl* part : {static_cast<LControl*>(mDec.Get()), static_cast<LControl*>(mInc.Get()),
                           mChannel.Get(), static_cast<LControl*>(mThumb.Get())}) {
        if (part != nullptr) {
            part->SetNotFocusable(true);
        }
    }
    if (mThumb) {
        mMinimumThumbLength = mVertical ? mThumb->GetFrame().width : mThumb->GetFrame().height;
    }
    CheckClientSizeChange();
    return result;
}

double LScrollbar::SetNormalizedValue(double value) {
    if (mDragging) {
        mDeferredValue = value;
        return GetNormalizedValue();
    }
    const double clamped = std::clamp(value, 0.0, 1.0);
    LControl::SetNormalizedValue(clamped);
    PlaceThumb();
    return clamped;
}

void LScrollbar::SetNormalizedValueNow(double value) {
    LControl::SetNormalizedValue(std::clamp(value, 0.0, 1.0));
    PlaceThumb();
}

int32_t LScrollbar::SetValueRange(double minimum, double maximum, int32_t taper) {
    const double kept = GetValue();
    int32_t result = E_INVALIDARG;
    if (taper == 0 || (taper == 1 && minimum > 0 && maximum > 0)) {
        LControl::SetValueRange(minimum, maximum, taper);
        result = S_OK;
    }
    SetNormalizedValue(NormalizedFromValue(kept));
    PlaceThumb();
    return result;
}

void LScrollbar::UpdateChannelMetrics() {
    if (!mThumb || !mChannel) {
        return;
    }
    const RectT<double> client = mChannel->GetClientRect(-1);
    mChannelOffset = mVertical ? mChannel->GetFrame().y + client.y : mChannel->GetFrame().x + client.x;
    mChannelStart = 0;
    mChannelEnd = mVertical ? client.height : client.width;
}

void LScrollbar::CheckClientSizeChange() {
    LControl::CheckClientSizeChange();
    UpdateChannelMetrics();
    UpdateThumbSize();
    PlaceThumb();
}

void LScrollbar::OnChildRectChanged(LControl* child) {
    LControl::OnChildRectChanged(child);
    // The channel is laid out after the bar: its new length changes the thumb's.
    if (child != nullptr && child == mChannel.Get()) {
        const double end = mChannelEnd;
        UpdateChannelMetrics();
        if (end != mChannelEnd) {
            UpdateThumbSize();
        }
    }
}

void LScrollbar::UpdateThumbSize() {
    if (!mThumb) {
        return;
    }
    mThumbLength =
        std::floor(std::max(mMinimumThumbLength, (mChannelEnd - mChannelStart) * thumbFraction) + 0.5);
    const int32_t axis = mVertical ? 1 : 0;
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    if (mThumb->GetPlacement(axis, placement, size) == S_OK) {
        size.reference = SizeReference::kSelf;
        size.referenceName = WString();
        size.factor = 0.0f;
        size.offset = mThumbLength;
        mThumb->SetPlacement(axis, placement, size);
    }
    PlaceThumb();
}

double LScrollbar::ThumbPosition() const {
    return mVertical ? mThumb->GetFrame().y : mThumb->GetFrame().x;
}

void LScrollbar::PlaceThumb() {
    if (mDragging || !mThumb) {
        return;
    }
    const double position = RoundScrollbarHalfAway(
        (mChannelEnd - mChannelStart - mThumbLength) * GetNormalizedValue() + mChannelStart);
    if (position == ThumbPosition()) {
        return;
    }
    const int32_t axis = mVertical ? 1 : 0;
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    if (mThumb->GetPlacement(axis, placement, size) == S_OK) {
        placement.offset = position;
        mThumb->SetPlacement(axis, placement, size);
    }
}

void LScrollbar::ValueFromThumb() {
    const double span = mChannelEnd - mChannelStart - mThumbLength;
    const double value = span > 0 ? (ThumbPosition() - mChannelStart) / span : 0.0;
    LControl::SetNormalizedValue(std::clamp(value, 0.0, 1.0));
    PlaceThumb();
}

int32_t LScrollbar::HitTestChannel(const PointT<int32_t>& point) const {
    if (!mThumb) {
        return 0;
    }
    const double p = mVertical ? point.y : point.x;
    const double leading = ThumbPosition();
    const double trailing = leading + (mVertical ? mThumb->GetFrame().height : mThumb->GetFrame().width);
    if (mChannelStart <= p && p <= leading) {
        return 1;
    }
    if (trailing <= p && p <= mChannelEnd) {
        return 2;
    }
    return 0;
}

int32_t LScrollbar::SetKeyMask(uint32_t mask) {
    const bool first = mKeyMask == 0 && (mask & 0xFF) != 0;
    mKeyMask = static_cast<uint8_t>(mask & 0xFF);
    if (first && mBarHandler) {
        if (LControl* parent = GetParent()) {
            mBarHandler->AddHandler(&LScrollbar::OnSiblingKey, RCPtr<LNotificationDistributor>(parent),
                                    u"NID_SIBLING_KEY", 0);
        }
        mBarHandler->AddDirectHandler(&LScrollbar::OnSiblingKey, u"NID_SIBLING_KEY");
    }
    return mask > 0xFF ? E_INVALIDARG : S_OK;
}

int32_t LScrollbar::OnStepButton(const RCPtr<LNotificationDistributor>& source, const RCPtr<LNotification>&) {
    if (source.Get() == static_cast<LNotificationDistributor*>(mDec.Get())) {
        SetNormalizedValue(GetNormalizedValue() - lineStep);
    } else if (source.Get() == static_cast<LNotificationDistributor*>(mInc.Get())) {
        SetNormalizedValue(GetNormalizedValue() + lineStep);
    }
    return 1;
}

int32_t LScrollbar::OnThumbDragCondition(const RCPtr<LNotificationDistributor>&,
                                         const RCPtr<LNotification>& notification) {
    auto* param = dynamic_cast<LConditionsParam*>(notification->GetParam().Get());
    if (param == nullptr || !mThumb) {
        return 1;
    }
    const uint32_t on = param->current & ~param->previous;
    const uint32_t off = param->previous & ~param->current;
    if ((on & kLeftDragging) != 0) {
        mDragging = true;
        mGrabOffset = {static_cast<int32_t>(RoundScrollbarHalfAway(param->origin.x - mThumb->GetFrame().x)),
                       static_cast<int32_t>(RoundScrollbarHalfAway(param->origin.y - mThumb->GetFrame().y))};
        mDeferredValue = -1;
    } else if ((off & kLeftDragging) != 0) {
        mDragging = false;
        if (mDeferredValue >= 0 && mDeferredValue <= 1) {
            SetNormalizedValueNow(mDeferredValue);
        }
        mDeferredValue = -1;
    }
    return 1;
}

int32_t LScrollbar::OnThumbMouseMove(const RCPtr<LNotificationDistributor>&,
                                     const RCPtr<LNotification>& notification) {
    auto* param = dynamic_cast<LPointWithModifiersParam*>(notification->GetParam().Get());
    if (param == nullptr || !mDragging || !mThumb) {
        return 1;
    }
    // The pointer along the bar in the channel's content, less where the thumb was grabbed.
    const double inChannel = mVertical ? param->y + mThumb->GetFrame().y - mGrabOffset.y
                                       : param->x + mThumb->GetFrame().x - mGrabOffset.x;
    const double position =
        std::clamp(inChannel, mChannelStart, std::max(mChannelStart, mChannelEnd - mThumbLength));
    if (position != ThumbPosition()) {
        const int32_t axis = mVertical ? 1 : 0;
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        mThumb->GetPlacement(axis, placement, size);
        placement.offset = position;
        mThumb->SetPlacement(axis, placement, size);
        const double span = mChannelEnd - mChannelStart - mThumbLength;
        LControl::SetNormalizedValue(span > 0 ? std::clamp((position - mChannelStart) / span, 0.0, 1.0)
                                              : 0.0);
    }
    return 1;
}

int32_t LScrollbar::OnChannelPress(const RCPtr<LNotificationDistributor>&,
                                   const RCPtr<LNotification>& notification) {
    auto* param = dynamic_cast<LConditionsParam*>(notification->GetParam().Get());
    if (param == nullptr || !mChannel) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const uint32_t on = param->current & ~param->previous;
    const uint32_t off = param->previous & ~param->current;
    if ((on & kLeftPressed) != 0) {
        const RectT<double> client = mChannel->GetClientRect(-1);
        const PointT<int32_t> point{
            static_cast<int32_t>(RoundScrollbarHalfAway(param->origin.x - mChannel->GetFrame().x - client.x)),
            static_cast<int32_t>(
                RoundScrollbarHalfAway(param->origin.y - mChannel->GetFrame().y - client.y))};
        mPagingDirection = HitTestChannel(point);
        if (mPagingDirection != 0) {
            SetNormalizedValue(GetNormalizedValue() + (mPagingDirection == 1 ? -pageStep : pageStep));
            UpdateChannelHighlight();
            mPagingLastTick = GetApplicationServices().GetTime();
            mPagingTimeToNext = mPagingDelay;
            BeginIdleWork();
        }
    } else if ((off & kCapture) != 0 && mPagingDirection != 0) {
        mPagingDirection = 0;
        ResetChannelLooks();
        EndIdleWork();
    }
    if (mPagingDirection != 0) {
        UpdateChannelHighlight();
    }
    return 1;
}

int32_t LScrollbar::OnChannelHover(const RCPtr<LNotificationDistributor>&,
                                   const RCPtr<LNotification>& notification) {
    auto* param = dynamic_cast<LConditionsParam*>(notification->GetParam().Get());
    if (param != nullptr && ((param->current & ~param->previous) & kHoverOrHighlighted) != 0) {
        mPagingLastTick = GetApplicationServices().GetTime();
    }
    if (mPagingDirection != 0) {
        UpdateChannelHighlight();
    }
    return 1;
}

PointT<int32_t> LScrollbar::PointerInChannel() {
    RCPtr<IRootWindow> window = GetRootWindow();
    if (!window || !mChannel) {
        return {-1, -1};
    }
    const PointT<int32_t> cursor = window->GetCursorPos();
    const PointT<double> origin = mChannel->GetRectInWindow();
    const RectT<double> client = mChannel->GetClientRect(-1);
    return {static_cast<int32_t>(RoundScrollbarHalfAway(cursor.x - origin.x - client.x)),
            static_cast<int32_t>(RoundScrollbarHalfAway(cursor.y - origin.y - client.y))};
}

bool LScrollbar::IsPointerInPagingZone() {
    return mChannel && mChannel->IsHover() && HitTestChannel(PointerInChannel()) == mPagingDirection;
}

void LScrollbar::OnIdleTick() {
    if (mPagingDirection == 0 || !IsPointerInPagingZone()) {
        return;
    }
    const double now = GetApplicationServices().GetTime();
    mPagingTimeToNext -= now - mPagingLastTick;
    mPagingLastTick = now;
    if (mPagingTimeToNext <= 0) {
        mPagingTimeToNext = mPagingInterval;
        SetNormalizedValue(GetNormalizedValue() + (mPagingDirection == 1 ? -pageStep : pageStep));
        UpdateChannelHighlight();
    }
}

void LScrollbar::UpdateChannelHighlight() {
    if (!mChannel || !mThumb) {
        return;
    }
    if (!IsPointerInPagingZone()) {
        ResetChannelLooks();
        return;
    }
    const RectT<double> client = mChannel->GetClientRect(-1);
    const double leading = ThumbPosition();
    const double trailing = leading + (mVertical ? mThumb->GetFrame().height : mThumb->GetFrame().width);
    RectT<double> paged = client;
    if (mVertical) {
        paged.y = client.y + (mPagingDirection == 1 ? mChannelStart : trailing);
        paged.height = mPagingDirection == 1 ? leading - mChannelStart : mChannelEnd - trailing;
    } else {
        paged.x = client.x + (mPagingDirection == 1 ? mChannelStart : trailing);
        paged.width = mPagingDirection == 1 ? leading - mChannelStart : mChannelEnd - trailing;
    }
    const RectT<int32_t> r = paged.Round();
    RectRegion region;
    region.AddRect(r.x, r.y, r.x + r.width, r.y + r.height);
    mChannel->SetLookWeight(1, 1.0f, false);
    mChannel->SetLookRegion(1, region);
    mChannel->SetLookRegionExcluding(0, 1);
}

void LScrollbar::ResetChannelLooks() {
    if (!mChannel) {
        return;
    }
    mChannel->ClearLookRegions();
    mChannel->SetLookWeight(0, 1.0f, true);
}

int32_t LScrollbar::OnSiblingKey(const RCPtr<LNotificationDistributor>&,
                                 const RCPtr<LNotification>& notification) {
    auto* param = notification ? dynamic_cast<LSiblingKeyParam*>(notification->GetParam().Get()) : nullptr;
    if (param == nullptr || !IsVisible(true)) {
        return 0;
    }
    for (const KeyRule& rule : kKeyRules) {
        if (param->key.GetCode() != rule.code || (mKeyMask & rule.mask) == 0) {
            continue;
        }
        if (rule.orientation >= 0 && rule.orientation != mVertical) {
            continue;
        }
        const double value = GetNormalizedValue();
        switch (rule.kind) {
            case -1:
            case 1:
                SetNormalizedValue(value + rule.kind * lineStep);
                break;
            case -2:
            case 2:
                SetNormalizedValue(value + (rule.kind / 2) * pageStep);
                break;
            case 3:
                SetNormalizedValue(0.0);
                break;
            default:
                SetNormalizedValue(1.0);
                break;
        }
        param->result = 0;
        break;
    }
    return 0;
}

}  // namespace QV
