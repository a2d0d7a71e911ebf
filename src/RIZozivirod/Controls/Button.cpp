#include "RIZozivirod/Controls/Button.h"

#include "RIZozivirod/ControlBase/KeyParam.h"

namespace QV {

namespace {

constexpr uint32_t kPlainReturn = 0x200D0000;

// AUTO_VALUE_SET and IS_RADIO: lower-cased and compared with "true" as written, blanks included.
bool ReadFlag(const RCPtr<LStringTable>& params, const WChar* key) {
    WString text;
    return params && params->GetString(key, text) && text.ToLower() == u"true";
}

}  // namespace

LButton::LButton(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LButton::~LButton() = default;

int32_t LButton::Initialize() {
    const int32_t result = LControl::Initialize();
    if (result < 0) {
        return result;
    }
    mButtonHandler = LNotificationHandler<LButton>::Create(this);
    mButtonHandler->AddDirectHandler(&LButton::OnSimulateClick, u"NID_SIMULATE_CLICK");
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    const RCPtr<LStringTable> params = descriptor ? descriptor->GetCreateParams() : nullptr;
    SetAutoValueSet(ReadFlag(params, u"AUTO_VALUE_SET"));
    SetIsRadio(ReadFlag(params, u"IS_RADIO"));
    return S_OK;
}

void LButton::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                  const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mButtonHandler && mButtonHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    DeliverToControlHandler(sender, notification);
}

int32_t LButton::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                           const WChar* name) {
    if (mButtonHandler) {
        mButtonHandler->RemoveHandler(distributor, name);
    }
    return LControl::UnregisterForNotification(distributor, name);
}

int32_t LButton::SetAutoValueSet(bool autoValueSet) {
    mAutoValueSet = autoValueSet;
    return S_OK;
}

int32_t LButton::SetIsRadio(bool radio) {
    mRadio = radio;
    return S_OK;
}

bool LButton::SetChecked(bool checked) {
    LControl::SetNormalizedValue(checked ? 1.0 : 0.0);
    return IsChecked();
}

void LButton::SetAutoRepeat(bool autoRepeat) {
    mAutoRepeat = autoRepeat;
    if (mRepeating) {
        mRepeating = false;
        if (!mSimulatedPending) {
            GiveBackIdleWork();
        }
    }
}

int32_t LButton::UpdateLookState() {
    if (mDisplayOnly || mSimulatedPending) {
        return S_OK;
    }
    const bool on = IsChecked();
    if (!IsEnabled(true)) {
        SelectLook(on ? 13 : 6);
        return S_OK;
    }
    const uint32_t conditions = GetConditions();
    const bool capture = (conditions & kCapture) != 0;
    const bool hover = (conditions & kHover) != 0;
    const bool leftDrag = (conditions & kLeftDragging) != 0;
    int32_t k = 0;
    if (capture && leftDrag) {
        k = hover || mKeepPressedLook ? 2 : 1;
    } else {
        k = hover && !capture ? 1 : 0;
    }
    SelectLook(k + (on ? 7 : 0) + (HasFocus() ? 3 : 0));
    return S_OK;
}

void LButton::OnValueChanged() {
    if (mRadio && IsChecked()) {
        if (LControl* parent = GetParent()) {
            RCPtr<LControl> hold(this);
            ChildControlList& siblings = parent->GetChildren();
            for (uint32_t i = siblings.GetCount(); i-- > 0;) {
                if (i >= siblings.GetCount()) {
                    continue;
                }
                RCPtr<LControl> sibling = siblings.GetAt(i, kOrderCreation);
                auto* button = dynamic_cast<LButton*>(sibling.Get());
                if (button != nullptr && button != this && button->mRadio) {
                    button->LControl::SetNormalizedValue(0.0);
                }
            }
        }
    }
    UpdateLookState();
}

void LButton::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LControl::OnConditionsChanged(param);
    if (mAutoRepeat && param) {
        const uint32_t turnedOn = param->current & ~param->previous;
        const uint32_t turnedOff = param->previous & ~param->current;
        if ((turnedOn & kHoverOrHighlighted) != 0) {
            mLastTick = GetApplicationServices().GetTime();
        } else if ((turnedOn & kLeftPressed) != 0) {
            if (IsEnabled(true) && !mRepeating) {
                mRepeating = true;
                TakeIdleWork();
                mLastTick = GetApplicationServices().GetTime();
                mTimeToNext = mRepeatDelay;
                RCPtr<LNotification> notification = LNotification::Create(u"NID_BUTTON_AUTOREPEAT", nullptr);
                LNotificationDistributor::Notify(notification);
            }
        } else if ((turnedOff & kCapture) != 0 && mRepeating) {
            mRepeating = false;
            if (!mSimulatedPending) {
                GiveBackIdleWork();
            }
        }
    }
    UpdateLookState();
}

void LButton::SetEnabled(bool enabled) {
    LControl::SetEnabled(enabled);
    UpdateLookState();
}

int32_t LButton::HandleLeftClick(const RCPtr<LMouseButtonParam>&) {
    if (mAutoValueSet) {
        if (mRadio) {
            LControl::SetNormalizedValue(1.0);
        } else {
            LControl::SetNormalizedValue(IsChecked() ? 0.0 : 1.0);
        }
    }
    return S_OK;
}

bool LButton::ContainsPoint(const PointT<int32_t>& point) {
    return !mDisplayOnly && LControl::ContainsPoint(point);
}

int32_t LButton::HandleKeyDown(const RCPtr<LKeyParam>& param) {
    if (param && param->key.GetCode() == kPlainReturn) {
        SimulateClick();
        return S_OK;
    }
    return 1;
}

WString LButton::GetToolTipText() {
    return IsTextClipped() ? GetText() : LControl::GetToolTipText();
}

void LButton::TakeIdleWork() {
    if (!mHoldsIdleWork) {
        mHoldsIdleWork = true;
        BeginIdleWork();
    }
}

void LButton::GiveBackIdleWork() {
    if (mHoldsIdleWork) {
        mHoldsIdleWork = false;
        EndIdleWork();
    }
}

void LButton::SimulateClick() {
    RCPtr<LControl> hold(this);
    if (mSimulatedPending) {
        CompleteSimulatedClick();
    }
    mSimulatedPending = true;
    SetFocus(true);
    TakeIdleWork();
    mSimulatedStart = GetApplicationServices().GetTime();
    SelectLook(IsChecked() ? 9 : 2);
    InvalidateRect({0, 0, GetFrame().width, GetFrame().height}, true);
}

void LButton::CompleteSimulatedClick() {
    mSimulatedPending = false;
    if (!mRepeating) {
        GiveBackIdleWork();
    }
    mSimulatedStart = 0;
    UpdateLookState();
    if (mAutoRepeat) {
        LNotificationDistributor::Notify(LNotification::Create(u"NID_BUTTON_AUTOREPEAT", nullptr));
    }
    RCPtr<IRootWindow> window = GetRootWindow();
    RCPtr<LMouseButtonParam> param(
        new LMouseButtonParam(0, 0, 0, 0, 1, false, window ? window->GetMouseButtons() : 0));
    NotifyLeftClick(param);
}

int32_t LButton::OnSimulateClick(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    if (IsEnabled(true)) {
        SimulateClick();
    }
    return 1;
}

void LButton::OnIdleTick() {
    RCPtr<LControl> hold(this);
    if (mSimulatedPending && GetApplicationServices().GetTime() - mSimulatedStart >= mSimulatedHold) {
        CompleteSimulatedClick();
    }
    if (mRepeating && IsHover() && IsEnabled(true)) {
        const double now = GetApplicationServices().GetTime();
        mTimeToNext -= now - mLastTick;
        mLastTick = now;
        if (mTimeToNext <= 0) {
            mTimeToNext = mRepeatInterval;
            LNotificationDistributor::Notify(LNotification::Create(u"NID_BUTTON_AUTOREPEAT", nullptr));
        }
    }
}

}  // namespace QV
