#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

class LLabel;
class LPanel;

// A progress bar ("Framework.ProgressBar"): its value (0 to 100) widens the part
// "activeOverlay" from where the skin anchors it, "percentCompleteLabel" shows the whole
// percentage, and once the estimate is on, "timeRemainingLabel" shows the time left at the rate
// of progress since the estimate began, in words of the "Framework" string table. The estimate
// looks at the value at most once a second of the application clock and stops at 100.
class LProgressBar : public LControl {
public:
    LProgressBar(const RCPtr<LControl>& parent, const WString& name);

    void OnValueChanged() override;
    int32_t Initialize() override;
    int32_t PostInitialize() override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    // Shows the time label with the time in hours, minutes and seconds; a count below 1 shows
    // no time left. The label's SetText result.
    virtual int32_t ShowTimeRemaining(int32_t seconds);
    virtual void EnableTimeEstimate(bool on);

    bool IsEstimating() const { return mEstimating; }

protected:
    ~LProgressBar() override;

private:
    enum Word { kHour, kHours, kMinute, kMinutes, kSecond, kSeconds, kRemaining, kWordCount };

    RCPtr<LNotificationHandler<LProgressBar>> mBarHandler;
    RCPtr<LPanel> mOverlay;
    RCPtr<LLabel> mTimeLabel;
    RCPtr<LLabel> mPercentLabel;
    WString mWords[kWordCount];
    double mStartTime = 0.0;
    double mStartValue = 0.0;
    double mSampleTime = 0.0;
    double mSampleValue = 0.0;
    bool mEstimating = false;
};

}  // namespace QV
