#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

// Push, toggle and radio button ("Framework.Button"). The checked state is the normalized value
// (on from 0.5). Its skin gives 14 looks: normal, hover, pressed (+3 focused) off and on (+7),
// disabled at 6 and 13. Autorepeat sends "NID_BUTTON_AUTOREPEAT" at the press, after 0.3 s and
// then every 0.1 s while the pointer stays on the button; Return and "NID_SIMULATE_CLICK" show
// the pressed look for 0.15 s and then click. Times come from the application clock.
class LButton : public LControl {
public:
    LButton(const RCPtr<LControl>& parent, const WString& name);

    void OnValueChanged() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    void SetEnabled(bool enabled) override;
    int32_t HandleLeftClick(const RCPtr<LMouseButtonParam>& param) override;
    bool ContainsPoint(const PointT<int32_t>& point) override;
    int32_t HandleKeyDown(const RCPtr<LKeyParam>& param) override;
    void OnIdleTick() override;
    int32_t Initialize() override;
    WString GetToolTipText() override;

    virtual int32_t SetAutoValueSet(bool autoValueSet);
    virtual int32_t SetIsRadio(bool radio);
    virtual bool SetChecked(bool checked);
    virtual int32_t UpdateLookState();

    void SetAutoRepeat(bool autoRepeat);
    void SetKeepPressedLook(bool keep) { mKeepPressedLook = keep; }
    void SetDisplayOnly(bool displayOnly) { mDisplayOnly = displayOnly; }
    void SimulateClick();
    int32_t OnSimulateClick(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);

    bool IsChecked() const { return GetNormalizedValue() >= 0.5; }
    bool IsRadio() const { return mRadio; }
    bool IsRepeating() const { return mRepeating; }

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

protected:
    ~LButton() override;

private:
    void TakeIdleWork();
    void GiveBackIdleWork();
    void CompleteSimulatedClick();

    RCPtr<LNotificationHandler<LButton>> mButtonHandler;
    bool mAutoValueSet = false;
    bool mRadio = false;
    bool mAutoRepeat = false;
    bool mKeepPressedLook = false;
    bool mDisplayOnly = false;
    bool mRepeating = false;
    double mRepeatInterval = 0.1;
    double mRepeatDelay = 0.3;
    double mLastTick = 0.0;
    double mTimeToNext = 0.0;
    double mSimulatedHold = 0.15;
    double mSimulatedStart = 0.0;
    bool mSimulatedPending = false;
    bool mHoldsIdleWork = false;
};

}  // namespace QV
