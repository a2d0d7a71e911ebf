#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

// A rotary control drawn as a filmstrip ("Framework.Knob"): its leading looks are the frames of
// the picture and the value (user range 0 to 127) picks one. The user turns it by dragging,
// linearly (right or up raises it; LINEAR_GESTURE_FULL_RANGE pixels for the whole range) or,
// with RADIAL_GESTURE_START_ANGLE or _END_ANGLE, by the pointer's angle around the centre
// (0 degrees up, clockwise); Ctrl scales a linear drag by FINE_ADJUST_MULTIPLIER (0.25); arrow
// keys and the wheel move it by one. Values set from outside during a drag wait for its end.
// After the frames and one empty slot, optional looks overlay their image on every frame while
// the knob has the focus (frame count + 1) or is disabled (frame count + 2).
class LKnob : public LControl {
public:
    LKnob(const RCPtr<LControl>& parent, const WString& name);

    double SetNormalizedValue(double value) override;
    void OnValueChanged() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t HandleMouseMove(const RCPtr<LPointWithModifiersParam>& param) override;
    int32_t HandleMouseWheel(const RCPtr<LMouseWheelParam>& param) override;
    int32_t HandleMouseHWheel(const RCPtr<LMouseWheelParam>& param) override;
    int32_t HandleKeyDown(const RCPtr<LKeyParam>& param) override;
    int32_t Initialize() override;
    int32_t PostInitialize() override;

    // Sets the value from the pointer's angle around the centre (knob coordinates).
    void RadialUpdate(const PointT<int32_t>& point);

    bool IsRadial() const { return mRadial; }
    int32_t GetFullRange() const { return mFullRange; }
    double GetFineAdjustMultiplier() const { return mFineAdjust; }
    uint32_t GetFrameCount() const { return mFrameCount; }
    double GetStartAngle() const { return mStartAngle; }
    double GetEndAngle() const { return mEndAngle; }

protected:
    ~LKnob() override;

private:
    bool HasLookAt(int32_t index) const;
    void LinearUpdate(const PointT<int32_t>& point);
    void StepUserValue(int32_t step);
    void ApplyOverlay(int32_t overlayLook, bool on);
    void SendCapture(bool on);

    bool mRadial = false;
    int32_t mFullRange = 0;
    double mStartAngle = 0.0;
    double mEndAngle = 0.0;
    double mFineAdjust = 0.0;
    uint32_t mFrameCount = 0;
    PointT<int32_t> mPrevious;
    PointT<int32_t> mBeforePrevious;
    PointT<int32_t> mCentre;
    double mDeferredValue = -1.0;
    bool mKeyHeld = false;
    int32_t mFocusOverlayLook = -1;
    int32_t mDisabledOverlayLook = -1;
};

}  // namespace QV
