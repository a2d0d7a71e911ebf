#include "RIZozivirod/Controls/Knob.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "RIZozivirod/ControlBase/ControlParams.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/Look.h"
#include "RIZozivirod/ObjectBase/Holder.h"

namespace QV {

namespace {

constexpr uint32_t kKnobKeyLeft = 0x20250000;
constexpr uint32_t kKnobKeyUp = 0x20260000;
constexpr uint32_t kKnobKeyRight = 0x20270000;
constexpr uint32_t kKnobKeyDown = 0x20280000;
constexpr double kDegreesPerRadian = 57.29577951308232;

double KnobRound(double value) {
    return value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5);
}

double KnobAngle(double degrees) {
    while (degrees < 0.0) {
        degrees += 360.0;
    }
    while (degrees >= 360.0) {
        degrees -= 360.0;
    }
    return degrees;
}

// A C decimal number from a create parameter; false when it is absent.
bool ReadKnobNumber(const RCPtr<LStringTable>& params, const WChar* key, double& value) {
    WString text;
    if (!params || !params->GetString(key, text)) {
        return false;
    }
    const NString narrow(text.GetString());
    const double parsed = std::strtod(narrow.GetString(), nullptr);
    value = std::isfinite(parsed) ? parsed : 0.0;
    return true;
}

}  // namespace

LKnob::LKnob(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LKnob::~LKnob() = default;

int32_t LKnob::Initialize() {
    const int32_t result = LControl::Initialize();
    if (result < 0) {
        return result;
    }
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    const RCPtr<LStringTable> params = descriptor ? descriptor->GetCreateParams() : nullptr;
    double number = 0.0;
    if (ReadKnobNumber(params, u"LINEAR_GESTURE_FULL_RANGE", number)) {
        mFullRange = static_cast<int32_t>(std::clamp(number, -2147483648.0, 2147483647.0));
    }
    if (ReadKnobNumber(params, u"RADIAL_GESTURE_START_ANGLE", number)) {
        mStartAngle = number;
    }
    if (ReadKnobNumber(params, u"RADIAL_GESTURE_END_ANGLE", number)) {
        mEndAngle = number;
    }
    if (ReadKnobNumber(params, u"FINE_ADJUST_MULTIPLIER", number)) {
        mFineAdjust = number;
    }
    mRadial = mStartAngle != 0.0 || mEndAngle != 0.0;
    mStartAngle = KnobAngle(mStartAngle);
    mEndAngle = KnobAngle(mEndAngle);
    if (mFineAdjust == 0.0) {
        mFineAdjust = 0.25;
    }
    SetValueRange(0.0, 127.0, 0);
    return result;
}

bool LKnob::HasLookAt(int32_t index) const {
    return index >= 0 && static_cast<uint32_t>(index) < GetLookCount() && GetLook(index) != nullptr;
}

int32_t LKnob::PostInitialize() {
    const int32_t result = LControl::PostInitialize();
    mFrameCount = 0;
    while (HasLookAt(static_cast<int32_t>(mFrameCount))) {
        ++mFrameCount;
    }
    const int32_t frames = static_cast<int32_t>(mFrameCount);
    mFocusOverlayLook = HasLookAt(frames + 1) ? frames + 1 : -1;
    mDisabledOverlayLook = HasLookAt(frames + 2) ? frames + 2 : -1;
    if (mFocusOverlayLook >= 0 && HasFocus()) {
        ApplyOverlay(mFocusOverlayLook, true);
    }
    if (mDisabledOverlayLook >= 0 && !IsEnabled(true)) {
        ApplyOverlay(mDisabledOverlayLook, true);
    }
    if (!mRadial && mFullRange == 0) {
        // One pixel per user step, rounded to whole frames; a strip without frames still turns.
        mFullRange = mFrameCount == 0 ? 128 : static_cast<int32_t>(KnobRound(128.0 / mFrameCount)) * frames;
    }
    const LLook* look = GetLook(-1);
    if (look != nullptr) {
        const RectT<double> client = const_cast<LKnob*>(this)->GetClientRect(-1);
        mCentre = {static_cast<int32_t>(client.x + client.width / 2),
                   static_cast<int32_t>(client.y + client.height / 2)};
    } else {
        mCentre = {static_cast<int32_t>(GetFrame().width / 2), static_cast<int32_t>(GetFrame().height / 2)};
    }
    OnValueChanged();
    return result;
}

double LKnob::SetNormalizedValue(double value) {
    if ((GetConditions() & kLeftDragging) != 0) {
        mDeferredValue = value;
        return GetNormalizedValue();
    }
    return LControl::SetNormalizedValue(value);
}

void LKnob::OnValueChanged() {
    if (mFrameCount == 0) {
        return;
    }
    SelectLook(static_cast<int32_t>(KnobRound((mFrameCount - 1) * GetNormalizedValue())));
}

void LKnob::SendCapture(bool on) {
    RCPtr<LHolder<bool>> holder(new LHolder<bool>(on));
    LNotificationDistributor::Notify(
        LNotification::Create(u"NID_VALUE_CHANGE_CAPTURE", RCPtr<LRefCountedObject>(holder.Get())));
}

void LKnob::ApplyOverlay(int32_t overlayLook, bool on) {
    const LLook* overlay = GetLook(overlayLook);
    if (overlay == nullptr) {
        return;
    }
    const RCPtr<LVisualPart> image = on ? overlay->GetImagePart() : nullptr;
    for (int32_t frame = static_cast<int32_t>(mFrameCount) - 1; frame >= 0; --frame) {
        GetLook(frame)->SetImagePart(image);
    }
    InvalidateRect({0, 0, GetFrame().width, GetFrame().height}, ClipsToParent());
}

void LKnob::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LControl::OnConditionsChanged(param);
    if (!param) {
        return;
    }
    RCPtr<LControl> hold(this);
    const uint32_t on = param->current & ~param->previous;
    const uint32_t off = param->previous & ~param->current;
    if ((on & kLeftDragging) != 0) {
        const PointT<int32_t> press{static_cast<int32_t>(KnobRound(param->origin.x - GetFrame().x)),
                                    static_cast<int32_t>(KnobRound(param->origin.y - GetFrame().y))};
        mPrevious = press;
        mBeforePrevious = press;
        mDeferredValue = -1.0;
        if (mRadial) {
            RadialUpdate(press);
        }
        SendCapture(true);
    } else if ((off & kLeftDragging) != 0) {
        if (mDeferredValue >= 0.0 && mDeferredValue <= 1.0) {
            LControl::SetNormalizedValue(mDeferredValue);
        }
        mDeferredValue = -1.0;
        SendCapture(false);
    }
    if ((off & kHasFocus) != 0 && mKeyHeld) {
        mKeyHeld = false;
        LNotificationDistributor::Notify(LNotification::Create(u"NID_VALUE_CHANGE_KEY_UP", nullptr));
    }
    if (((on | off) & kHasFocus) != 0 && mFocusOverlayLook >= 0) {
        ApplyOverlay(mFocusOverlayLook, (on & kHasFocus) != 0);
    }
    if (((on | off) & kEnabled) != 0 && mDisabledOverlayLook >= 0) {
        ApplyOverlay(mDisabledOverlayLook, (off & kEnabled) != 0);
    }
}

int32_t LKnob::HandleMouseMove(const RCPtr<LPointWithModifiersParam>& param) {
    if (!param || (GetConditions() & kLeftDragging) == 0) {
        return S_OK;
    }
    RCPtr<LControl> hold(this);
    const PointT<int32_t> point{param->x, param->y};
    if (mRadial) {
        RadialUpdate(point);
    } else {
        LinearUpdate(point);
    }
    return S_OK;
}

void LKnob::LinearUpdate(const PointT<int32_t>& point) {
    double c = static_cast<double>(point.x) - mPrevious.x;
    double d = static_cast<double>(point.y) - mPrevious.y;
    const double e = (static_cast<double>(point.x) - mBeforePrevious.x) -
                     (static_cast<double>(point.y) - mBeforePrevious.y);
    // A diagonal step keeps only the direction the gesture has been following.
    if (c > 0 && d > 0) {
        if (e > 0 && d > c) {
            d = 0;
        } else if (e < 0 && c > d) {
            c = 0;
        }
    } else if (c < 0 && d < 0) {
        if (e > 0 && d > c) {
            c = 0;
        } else if (e < 0 && c > d) {
            d = 0;
        }
    }
    double steps = mFullRange - 1.0;
    bool down = false;
    bool toggled = false;
    GetApplicationServices().GetKeyState(17, down, toggled);
    if (down) {
        steps = mFullRange / mFineAdjust - 1.0;
    }
    // A full range of one pixel (or none) still moves the whole range per pixel rather than
    // dividing by zero.
    if (!(steps >= 1.0) || !std::isfinite(steps)) {
        steps = 1.0;
    }
    double move = (c - d) / (mFullRange - 1.0 >= 1.0 ? mFullRange - 1.0 : 1.0);
    if (down) {
        move *= mFineAdjust;
    }
    const double w = std::clamp(GetNormalizedValue() + move, 0.0, 1.0);
    LControl::SetNormalizedValue(KnobRound(steps * w) / steps);
    mBeforePrevious = mPrevious;
    mPrevious = point;
}

void LKnob::RadialUpdate(const PointT<int32_t>& point) {
    const double dx = static_cast<double>(point.x) - mCentre.x;
    const double dy = static_cast<double>(point.y) - mCentre.y;
    if (dx == 0.0 && dy == 0.0) {
        return;
    }
    double a = KnobAngle((std::atan2(dy, dx) + M_PI / 2) * kDegreesPerRadian);
    const double s = mStartAngle;
    double f = mEndAngle;
    if (s >= f) {
        f += 360.0;
    }
    if (s >= a) {
        a += 360.0;
    }
    double value = 0.0;
    if (s <= a && a <= f) {
        value = (a - s) / (f - s);
    } else {
        // Outside the arc: the nearer end of the gap.
        value = a <= f + (s + 360.0 - f) / 2 ? 1.0 : 0.0;
    }
    LControl::SetNormalizedValue(value);
}

void LKnob::StepUserValue(int32_t step) {
    SetNormalizedValue(NormalizedFromValue(GetValue() + step));
}

int32_t LKnob::HandleMouseWheel(const RCPtr<LMouseWheelParam>& param) {
    if (param) {
        RCPtr<LControl> hold(this);
        StepUserValue(param->direction == 1 ? 1 : -1);
    }
    return S_OK;
}

int32_t LKnob::HandleMouseHWheel(const RCPtr<LMouseWheelParam>& param) {
    if (param) {
        RCPtr<LControl> hold(this);
        StepUserValue(param->direction == 3 ? 1 : -1);
    }
    return S_OK;
}

int32_t LKnob::HandleKeyDown(const RCPtr<LKeyParam>& param) {
    if (!param) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const uint32_t code = param->key.GetCode();
    const uint32_t virtualKey = param->key.GetVirtualKey();
    if ((code & KeyCode::kDownBit) == 0 && virtualKey >= 37 && virtualKey <= 40) {
        mKeyHeld = false;
        LNotificationDistributor::Notify(
            LNotification::Create(u"NID_VALUE_CHANGE_KEY_UP", RCPtr<LRefCountedObject>(param.Get())));
        return S_OK;
    }
    int32_t step = 0;
    if (code == kKnobKeyUp || code == kKnobKeyRight) {
        step = 1;
    } else if (code == kKnobKeyLeft || code == kKnobKeyDown) {
        step = -1;
    } else {
        return 1;
    }
    if (!mKeyHeld) {
        mKeyHeld = true;
        LNotificationDistributor::Notify(
            LNotification::Create(u"NID_VALUE_CHANGE_KEY_DOWN", RCPtr<LRefCountedObject>(param.Get())));
    }
    StepUserValue(step);
    return S_OK;
}

}  // namespace QV
