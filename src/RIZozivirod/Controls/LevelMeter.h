#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

class LPanel;

// A level meter ("Framework.LevelMeter"): the part "activeOverlay" is sized along the meter's
// long axis to show the level (the lit length in a horizontal meter, the unlit length from the
// top in a vertical one), "peakLo" is moved towards the mark "peakHi" to show the peak, and the
// optional "clipButton" lights when the caller reports a new clip. With latching on, the light
// stays until the user clicks it, which sends "NID_CLIPLIGHT_UNLATCHED". The meter's own
// normalized value is the level; setting it from outside redraws the bar without a peak.
class LLevelMeter : public LControl {
public:
    LLevelMeter(const RCPtr<LControl>& parent, const WString& name);

    void OnValueChanged() override;
    int32_t Initialize() override;
    int32_t PostInitialize() override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    virtual int32_t SetLevels(double level, double peak);
    virtual int32_t SetLevels(double level, double peak, int32_t clipCount);
    // E_FAIL without a clip button. Turns the light off whether or not the setting changes.
    virtual int32_t SetClipLatching(bool on);
    virtual bool IsClipLit();
    virtual int32_t GetClipCount();
    virtual void SetClipCount(int32_t count);

    // 0 horizontal, 1 vertical (the longer side), known once the meter is laid out.
    int32_t GetOrientation() const { return mOrientation; }
    bool HasPeakMarker() const { return static_cast<bool>(mPeakMarker); }

protected:
    ~LLevelMeter() override;

private:
    int32_t OnClipButtonClick(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LLevelMeter>> mMeterHandler;
    int32_t mClipCount = 0;
    bool mLatching = false;
    PointT<double> mLowMarker;
    PointT<double> mHighMarker;
    RCPtr<LPanel> mPeakMarker;
    RCPtr<LPanel> mOverlay;
    RCPtr<LControl> mClipButton;
    bool mUpdating = false;
    int32_t mOrientation = 0;
};

}  // namespace QV
