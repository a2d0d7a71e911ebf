#include "RIZozivirod/Controls/Slider.h"

#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/ControlParams.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/ObjectBase/Holder.h"

namespace QV {

namespace {

int32_t RoundToIntHalfAway(double value) {
    return static_cast<int32_t>(value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5));
}

PointT<int32_t> RoundedPosition(const LControl& control) {
    return {RoundToIntHalfAway(control.GetFrame().x), RoundToIntHalfAway(control.GetFrame().y)};
}

double TrackDistance(const PointT<int32_t>& a, const PointT<int32_t>& b) {
    return std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
}

constexpr uint32_t kSliderKeyLeft = 0x20250000;
constexpr uint32_t kSliderKeyUp = 0x20260000;
constexpr uint32_t kSliderKeyRight = 0x20270000;
constexpr uint32_t kSliderKeyDown = 0x20280000;

}  // namespace

// The slider itself holds the focus (its track shows it) when its thumb does not take it.
LSlider::LSlider(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {
    SetFocusContainer(false);
}

LSlider::~LSlider() = default;

// Creation.

RCPtr<LControlDescriptor> LSlider::MakeThumbDescriptor() const {
    const RCPtr<LControlFactory> factory = LControlFactory::GetCurrent();
    if (!factory || !mStart || !mStart->GetDescriptor()) {
        return nullptr;
    }
    const RCPtr<LLayoutDescriptor>& source =
        mStart->GetLayout() ? mStart->GetLayout() : mStart->GetDescriptor()->GetLayout();
    if (!source) {
        return nullptr;
    }
    // The thumb is placed by absolute positions alone.
    RCPtr<LLayoutDescriptor> layout = source->Clone();
    layout->tabStop = 0;
    layout->xDocked = false;
    layout->yDocked = false;
    layout->xPlacement.anchor = 0.0f;
    layout->yPlacement.anchor = 0.0f;
    layout->xPlacement.factor = 0.0f;
    layout->yPlacement.factor = 0.0f;
    return factory->CloneDescriptor(mStart->GetDescriptor(), layout, WString(u"thumb"));
}

void LSlider::BindThumb() {
    if (!mThumb || !mSliderHandler) {
        return;
    }
    RCPtr<LNotificationDistributor> thumb(mThumb);
    mSliderHandler->AddHandler(&LSlider::OnThumbMouseMove, thumb, u"NID_MOUSE_MOVE", 0);
    mSliderHandler->AddHandler(&LSlider::OnThumbDragCondition, thumb, u"NID_LEFT_DRAG_CONDITION_CHANGE", 0);
    mThumb->SetKeepPressedLook(true);
}

int32_t LSlider::Initialize() {
    if (LPanel::Initialize() < 0) {
        return E_FAIL;
    }
    mSliderHandler = LNotificationHandler<LSlider>::Create(this);
    mEnd = FindChild(WString(u"thumbEnd"));
    mStart = FindChild(WString(u"thumbStart"));
    if (mStart) {
        const RCPtr<LControlFactory> factory = LControlFactory::GetCurrent();
        const RCPtr<LControlDescriptor> descriptor = MakeThumbDescriptor();
        RCPtr<LControl> made = factory && descriptor
                                   ? factory->CreateControl(descriptor, RCPtr<LControl>(this))
                                   : RCPtr<LControl>();
        mThumb = RCPtr<LButton>(dynamic_cast<LButton*>(made.Get()));
        if (mThumb) {
            mThumb->SetVisible(true);
            BindThumb();
        }
    }
    CheckClientSizeChange();
    SetValueRange(0, 127, 0);
    SetDragThreshold(0);
    return S_OK;
}

int32_t LSlider::AttachChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor) {
    if (descriptor) {
        return LPanel::AttachChild(child, descriptor);
    }
    if (!child || !(child->GetName() == u"thumb")) {
        return E_FAIL;
    }
    const RCPtr<LControlDescriptor> made = MakeThumbDescriptor();
    if (!made) {
        return E_FAIL;
    }
    const int32_t result = LPanel::AttachChild(child, made);
    child->SetVisible(true);
    return result;
}

int32_t LSlider::PostInitialize() {
    const int32_t result = LPanel::PostInitialize();
    if (mStart) {
        mStart->SetVisible(false);
        const double width = mStart->GetFrame().width;
        const double height = mStart->GetFrame().height;
        mAnchorOffset = {RoundToIntHalfAway(width / 2), RoundToIntHalfAway(height / 2)};
        if (const RCPtr<LLayoutDescriptor>& layout = mStart->GetLayout()) {
            if (layout->xPlacement.anchor != 0.0f) {
                mAnchorOffset.x = RoundToIntHalfAway(layout->xPlacement.anchor * width);
            }
            if (layout->yPlacement.anchor != 0.0f) {
                mAnchorOffset.y = RoundToIntHalfAway(layout->yPlacement.anchor * height);
            }
        }
    }
    if (mEnd) {
        mEnd->SetVisible(false);
    }
    CheckClientSizeChange();
    return result;
}

void LSlider::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                  const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mSliderHandler && mSliderHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    LPanel::ReceiveNotification(sender, notification);
}

int32_t LSlider::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                           const WChar* name) {
    if (mSliderHandler) {
        mSliderHandler->RemoveHandler(distributor, name);
    }
    return LPanel::UnregisterForNotification(distributor, name);
}

// Geometry.

PointT<int32_t> LSlider::StartPos() const {
    return mStart ? RoundedPosition(*mStart) : PointT<int32_t>{};
}

PointT<int32_t> LSlider::EndPos() const {
    return mEnd ? RoundedPosition(*mEnd) : StartPos();
}

PointT<int32_t> LSlider::ThumbPos() const {
    return mThumb ? RoundedPosition(*mThumb) : PointT<int32_t>{};
}

void LSlider::PlaceThumb(int32_t x, int32_t y) {
    if (!mThumb) {
        return;
    }
    LLayoutDescriptor::Placement xPlacement;
    LLayoutDescriptor::Size xSize;
    LLayoutDescriptor::Placement yPlacement;
    LLayoutDescriptor::Size ySize;
    mThumb->GetPlacement(0, xPlacement, xSize);
    mThumb->GetPlacement(1, yPlacement, ySize);
    xPlacement.offset = x;
    yPlacement.offset = y;
    mThumb->SetPlacements(xPlacement, xSize, yPlacement, ySize);
}

PointT<int32_t> LSlider::ProjectPoint(int32_t px, int32_t py) {
    const PointT<int32_t> s = StartPos();
    const PointT<int32_t> e = EndPos();
    const PointT<int32_t> t = ThumbPos();
    if (s.x == e.x && s.y == e.y) {
        return t;  // no track: the thumb stays
    }
    int32_t x = 0;
    int32_t y = 0;
    if (e.x != s.x && e.y != s.y) {
        // The foot of the perpendicular from the point to the track's line.
        const float k = static_cast<float>(e.y - s.y) / static_cast<float>(e.x - s.x);
        const float c = static_cast<float>(s.y) - static_cast<float>(s.x) * k;
        const float pointX = static_cast<float>(px - mGrabOffset.x);
        const float pointY = static_cast<float>(py - mGrabOffset.y);
        x = RoundToIntHalfAway((pointY - pointX * (-1.0f / k) - c) / (k + 1.0f / k));
        y = RoundToIntHalfAway(static_cast<float>(x) * k + c);
    } else if (e.y == s.y) {
        x = px - mGrabOffset.x;
        y = mThumb ? static_cast<int32_t>(mThumb->GetFrame().y) : s.y;
    } else {
        x = mThumb ? static_cast<int32_t>(mThumb->GetFrame().x) : s.x;
        y = py - mGrabOffset.y;
    }
    return {std::clamp(x, std::min(s.x, e.x), std::max(s.x, e.x)),
            std::clamp(y, std::min(s.y, e.y), std::max(s.y, e.y))};
}

double LSlider::ValueAtPoint(int32_t x, int32_t y) {
    const double length = TrackDistance(StartPos(), EndPos());
    if (length == 0) {
        return GetNormalizedValue();  // markers on one spot: no track to measure along
    }
    return TrackDistance(StartPos(), {x, y}) / length;
}

// Value and thumb.

double LSlider::SetValueAndThumb(double value) {
    LControl::SetNormalizedValue(value);
    ThumbPosFromValue();
    return GetNormalizedValue();
}

void LSlider::ValueFromThumb() {
    if (mThumb) {
        const PointT<int32_t> t = ThumbPos();
        SetValueAndThumb(ValueAtPoint(t.x, t.y));
    }
}

void LSlider::ThumbPosFromValue() {
    if (mDragging || !mThumb) {
        return;
    }
    const double v = GetNormalizedValue();
    const PointT<int32_t> s = StartPos();
    const PointT<int32_t> e = EndPos();
    const int32_t x = s.x + RoundToIntHalfAway((e.x - s.x) * v);
    const int32_t y = s.y + RoundToIntHalfAway((e.y - s.y) * v);
    const PointT<int32_t> t = ThumbPos();
    if (x != t.x || y != t.y) {
        PlaceThumb(x, y);
    }
}

double LSlider::SetNormalizedValue(double value) {
    if (mDragging) {
        mDeferredValue = value;
        return GetNormalizedValue();
    }
    return SetValueAndThumb(value);
}

void LSlider::CheckClientSizeChange() {
    LPanel::CheckClientSizeChange();
    if (!mThumb) {
        RCPtr<LControl> thumb = FindChild(WString(u"thumb"));
        mThumb = RCPtr<LButton>(dynamic_cast<LButton*>(thumb.Get()));
    }
    if (mThumb) {
        ThumbPosFromValue();
    }
}

// Thumb drag.

void LSlider::SendCapture(bool on) {
    RCPtr<LHolder<bool>> holder(new LHolder<bool>(on));
    LNotificationDistributor::Notify(
        LNotification::Create(u"NID_VALUE_CHANGE_CAPTURE", RCPtr<LRefCountedObject>(holder.Get())));
}

int32_t LSlider::OnThumbDragCondition(const RCPtr<LNotificationDistributor>&,
                                      const RCPtr<LNotification>& notification) {
    auto* param = notification ? dynamic_cast<LConditionsParam*>(notification->GetParam().Get()) : nullptr;
    if (param == nullptr || !mThumb) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const uint32_t on = param->current & ~param->previous;
    const uint32_t off = param->previous & ~param->current;
    if ((on & kLeftDragging) != 0) {
        mDragging = true;
        mGrabOffset = {RoundToIntHalfAway(param->origin.x - mThumb->GetFrame().x),
                       RoundToIntHalfAway(param->origin.y - mThumb->GetFrame().y)};
        mDeferredValue = -1;
        SendCapture(true);
    } else if ((off & kLeftDragging) != 0) {
        mDragging = false;
        if (mDeferredValue >= 0 && mDeferredValue <= 1) {
            SetValueAndThumb(mDeferredValue);
        }
        mDeferredValue = -1;
        SendCapture(false);
    }
    return 1;
}

int32_t LSlider::OnThumbMouseMove(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>& notification) {
    auto* param =
        notification ? dynamic_cast<LPointWithModifiersParam*>(notification->GetParam().Get()) : nullptr;
    if (param == nullptr || !mDragging || !mThumb) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const PointT<int32_t> t = ThumbPos();
    const PointT<int32_t> projected = ProjectPoint(t.x + param->x, t.y + param->y);
    if (projected.x != t.x || projected.y != t.y) {
        PlaceThumb(projected.x, projected.y);
        ValueFromThumb();
    }
    return 1;
}

// Track.

void LSlider::StepTowards(const PointT<int32_t>& point) {
    const PointT<int32_t> p{point.x - mAnchorOffset.x, point.y - mAnchorOffset.y};
    const double pointerValue = ValueAtPoint(p.x, p.y);
    const double v = GetNormalizedValue();
    const PointT<int32_t> s = StartPos();
    const double next = TrackDistance(s, p) < TrackDistance(s, ThumbPos())
                            ? std::max(v - mTrackStep, pointerValue)
                            : std::min(v + mTrackStep, pointerValue);
    SetValueAndThumb(next);
}

int32_t LSlider::HandleLeftClick(const RCPtr<LMouseButtonParam>& param) {
    if (param) {
        RCPtr<LControl> hold(this);
        StepTowards({param->x, param->y});
    }
    return S_OK;
}

void LSlider::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LPanel::OnConditionsChanged(param);
    if (!param) {
        return;
    }
    RCPtr<LControl> hold(this);
    const uint32_t on = param->current & ~param->previous;
    const uint32_t off = param->previous & ~param->current;
    if ((on & kLeftDragging) != 0) {
        if (IsEnabled(true) && !mTrackHold) {
            mTrackHold = true;
            BeginIdleWork();
            mHoldLastTick = GetApplicationServices().GetTime();
            mHoldTimeToNext = kHoldDelay;
        }
        return;
    }
    if ((off & kLeftDragging) != 0) {
        if (mTrackHold) {
            mTrackHold = false;
            EndIdleWork();
        }
        return;
    }
    if ((off & kContainsFocus) != 0) {
        if (mKeyHeld) {
            mKeyHeld = false;
            LNotificationDistributor::Notify(LNotification::Create(u"NID_VALUE_CHANGE_KEY_UP", nullptr));
        }
        SelectLook(IsEnabled(true) ? 0 : 2);
    } else if ((on & kContainsFocus) != 0) {
        SelectLook(1);
    }
    if (((on | off) & kEnabled) != 0) {
        SelectLook((param->current & kEnabled) == 0 ? 2 : ContainsFocus() ? 1 : 0);
    }
}

void LSlider::OnIdleTick() {
    LPanel::OnIdleTick();
    if (!mTrackHold || (GetConditions() & kHoverOrHighlighted) == 0 || !IsEnabled(true)) {
        return;
    }
    const double now = GetApplicationServices().GetTime();
    mHoldTimeToNext -= now - mHoldLastTick;
    mHoldLastTick = now;
    if (mHoldTimeToNext > 0) {
        return;
    }
    mHoldTimeToNext = kHoldInterval;
    RCPtr<IRootWindow> window = GetRootWindow();
    if (window) {
        RCPtr<LControl> hold(this);
        const PointT<int32_t> pointer = window->GetCursorPos();
        const PointT<double> origin = GetRectInWindow();
        StepTowards({pointer.x - RoundToIntHalfAway(origin.x), pointer.y - RoundToIntHalfAway(origin.y)});
    }
}

// Keys and wheel.

void LSlider::StepUserValue(double delta) {
    SetNormalizedValue(NormalizedFromValue(GetValue() + delta));
}

void LSlider::HandleUnprocessedKey(const RCPtr<LKeyParam>& param) {
    if (param) {
        const uint32_t code = param->key.GetCode() & ~KeyCode::kExtraBit;
        const uint32_t key = (code & KeyCode::kVirtualKeyMask) >> 16;
        RCPtr<LControl> hold(this);
        if ((code & KeyCode::kDownBit) == 0 && key >= 37 && key <= 40) {
            mKeyHeld = false;
            LNotificationDistributor::Notify(
                LNotification::Create(u"NID_VALUE_CHANGE_KEY_UP", RCPtr<LRefCountedObject>(param.Get())));
            return;
        }
        double delta = 0;
        if (code == kSliderKeyUp || code == kSliderKeyRight) {
            delta = 1;
        } else if (code == kSliderKeyLeft || code == kSliderKeyDown) {
            delta = -1;
        }
        if (delta != 0) {
            if (!mKeyHeld) {
                mKeyHeld = true;
                LNotificationDistributor::Notify(LNotification::Create(
                    u"NID_VALUE_CHANGE_KEY_DOWN", RCPtr<LRefCountedObject>(param.Get())));
            }
            StepUserValue(delta);
            return;
        }
    }
    LPanel::HandleUnprocessedKey(param);
}

int32_t LSlider::HandleMouseWheel(const RCPtr<LMouseWheelParam>& param) {
    if (param) {
        RCPtr<LControl> hold(this);
        StepUserValue(param->direction == 1 ? 1 : -1);
    }
    return S_OK;
}

int32_t LSlider::HandleMouseHWheel(const RCPtr<LMouseWheelParam>& param) {
    if (param) {
        RCPtr<LControl> hold(this);
        StepUserValue(param->direction == 3 ? 1 : -1);
    }
    return S_OK;
}

}  // namespace QV
