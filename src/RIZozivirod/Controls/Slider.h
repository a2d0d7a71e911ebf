#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/Panel.h"

namespace QV {

class LButton;

// A slider ("Framework.Slider") whose thumb runs along a straight track in any direction. The
// skin places two markers, "thumbStart" and "thumbEnd": where the thumb's corner sits at value 0
// and at value 1. The slider makes its moving "thumb" as a copy of the start marker and hides
// both. The value is the normalized value over the user range 0 to 127. Dragging the thumb
// projects the pointer onto the track; a press on the track steps by a tenth towards the
// pointer, at once and then, held, after 0.3 s and every 0.1 s; the arrow keys and the wheel
// move the user value by one. A drag sends "NID_VALUE_CHANGE_CAPTURE" (true, then false after
// the values that arrived meanwhile are applied), arrow keys "NID_VALUE_CHANGE_KEY_DOWN" and
// "NID_VALUE_CHANGE_KEY_UP". Track looks: 0 normal, 1 focused, 2 disabled.
class LSlider : public LPanel {
public:
    static constexpr double kHoldDelay = 0.3;
    static constexpr double kHoldInterval = 0.1;

    LSlider(const RCPtr<LControl>& parent, const WString& name);

    // New slots, after LPanel's.
    virtual double SetValueAndThumb(double value);
    virtual void ValueFromThumb();
    virtual void ThumbPosFromValue();
    virtual PointT<int32_t> ProjectPoint(int32_t x, int32_t y);
    virtual double ValueAtPoint(int32_t x, int32_t y);
    double GetNormalizedValue() const { return LControl::GetNormalizedValue(); }

    double SetNormalizedValue(double value) override;
    void CheckClientSizeChange() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t HandleMouseWheel(const RCPtr<LMouseWheelParam>& param) override;
    int32_t HandleMouseHWheel(const RCPtr<LMouseWheelParam>& param) override;
    int32_t HandleLeftClick(const RCPtr<LMouseButtonParam>& param) override;
    void HandleUnprocessedKey(const RCPtr<LKeyParam>& param) override;
    void OnIdleTick() override;
    int32_t Initialize() override;
    int32_t AttachChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor) override;
    int32_t PostInitialize() override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    // A track step from the point (slider coordinates) towards it, never past it.
    void StepTowards(const PointT<int32_t>& point);

    const RCPtr<LButton>& GetThumb() const { return mThumb; }
    bool IsDraggingThumb() const { return mDragging; }
    bool IsHoldingTrack() const { return mTrackHold; }
    bool IsKeyHeld() const { return mKeyHeld; }
    void SetTrackStep(double step) { mTrackStep = step; }

    int32_t OnThumbMouseMove(const RCPtr<LNotificationDistributor>& source,
                             const RCPtr<LNotification>& notification);
    int32_t OnThumbDragCondition(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);

protected:
    ~LSlider() override;

private:
    PointT<int32_t> StartPos() const;
    PointT<int32_t> EndPos() const;
    PointT<int32_t> ThumbPos() const;
    void PlaceThumb(int32_t x, int32_t y);
    RCPtr<LControlDescriptor> MakeThumbDescriptor() const;
    void BindThumb();
    void StepUserValue(double delta);
    void SendCapture(bool on);

    RCPtr<LNotificationHandler<LSlider>> mSliderHandler;
    RCPtr<LButton> mThumb;
    RCPtr<LControl> mStart;
    RCPtr<LControl> mEnd;
    bool mDragging = false;
    PointT<int32_t> mGrabOffset;
    double mTrackStep = 0.1;
    bool mTrackHold = false;
    double mHoldLastTick = 0;
    double mHoldTimeToNext = 0;
    double mDeferredValue = -1;
    bool mKeyHeld = false;
    PointT<int32_t> mAnchorOffset;
};

}  // namespace QV
