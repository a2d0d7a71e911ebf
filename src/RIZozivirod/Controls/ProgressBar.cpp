#include "RIZozivirod/Controls/ProgressBar.h"

#include <cmath>
#include <limits>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/Controls/Panel.h"

namespace QV {

namespace {

constexpr const WChar* kProgressWordIds[] = {u"HOURS_SINGULAR", u"HOURS_PLURAL",     u"MINUTES_SINGULAR",
                                             u"MINUTES_PLURAL", u"SECONDS_SINGULAR", u"SECONDS_PLURAL",
                                             u"REMAINING"};

template <class T>
RCPtr<T> FindProgressPart(LControl& owner, const WChar* name) {
    RCPtr<LControl> child = owner.FindChild(name);
    return RCPtr<T>(dynamic_cast<T*>(child.Get()));
}

}  // namespace

LProgressBar::LProgressBar(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LProgressBar::~LProgressBar() = default;

void LProgressBar::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                       const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mBarHandler && mBarHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    DeliverToControlHandler(sender, notification);
}

int32_t LProgressBar::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                const WChar* name) {
    if (mBarHandler) {
        mBarHandler->RemoveHandler(distributor, name);
    }
    return LControl::UnregisterForNotification(distributor, name);
}

int32_t LProgressBar::Initialize() {
    const int32_t result = LControl::Initialize();
    mBarHandler = LNotificationHandler<LProgressBar>::Create(this);
    // The three parts are the bar: a skin without one of them is refused here.
    mOverlay = FindProgressPart<LPanel>(*this, u"activeOverlay");
    QV_CHECK_NULL(mOverlay.Get(), "Cannot find child activeOverlay");
    mTimeLabel = FindProgressPart<LLabel>(*this, u"timeRemainingLabel");
    QV_CHECK_NULL(mTimeLabel.Get(), "Cannot find child timeRemainingLabel");
    mTimeLabel->SetVisible(false);
    mPercentLabel = FindProgressPart<LLabel>(*this, u"percentCompleteLabel");
    QV_CHECK_NULL(mPercentLabel.Get(), "Cannot find child percentCompleteLabel");
    const RCPtr<LControlFactory> factory = LControlFactory::GetCurrent();
    const RCPtr<LStringTable> strings = factory ? factory->GetFrameworkStringTable() : nullptr;
    for (int32_t i = 0; i < kWordCount; ++i) {
        if (strings) {
            strings->GetString(kProgressWordIds[i], mWords[i]);
        }
    }
    LControl::SetNormalizedValue(0.0);
    SetValueRange(0, 100, 0);
    return result;
}

int32_t LProgressBar::PostInitialize() {
    SetNotFocusable(true);
    OnValueChanged();
    return S_OK;
}

void LProgressBar::OnValueChanged() {
    if (!mOverlay || !mPercentLabel) {
        return;  // a value from the creation parameters, before the parts are known
    }
    RCPtr<LControl> hold(this);
    const double percent = GetNormalizedValue() * 100.0;
    const double length = std::round(GetFrame().width * percent / 100.0);
    if (length < 1.0) {
        mOverlay->SetVisible(false);
    } else {
        mOverlay->SetVisible(true);
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        mOverlay->GetPlacement(0, placement, size);
        size.reference = SizeReference::kSelf;
        size.offset = length;
        mOverlay->SetPlacement(0, placement, size);
    }
    mPercentLabel->SetText(WString::FromDouble(percent, 0));

    if (!mEstimating) {
        return;
    }
    const double now = GetApplicationServices().GetTime();
    const double value = GetNormalizedValue();
    if (value - mSampleValue > 0 && now - mSampleTime > 0) {
        const double rate = (value - mStartValue) / (now - mStartTime);
        if (now - mSampleTime > 1.0) {
            mSampleTime = now;
            mSampleValue = value;
        }
        // A crawl that would take longer than a count can hold shows the longest count.
        const double remaining = std::round((1.0 - value) / rate);
        const double longest = std::numeric_limits<int32_t>::max();
        ShowTimeRemaining(static_cast<int32_t>(remaining < longest ? remaining : longest));
    }
    if (value >= 1.0) {
        mEstimating = false;
    }
}

void LProgressBar::EnableTimeEstimate(bool on) {
    if (on == mEstimating) {
        return;
    }
    mEstimating = on;
    if (on) {
        mStartTime = mSampleTime = GetApplicationServices().GetTime();
        mStartValue = mSampleValue = GetNormalizedValue();
    }
}

int32_t LProgressBar::ShowTimeRemaining(int32_t seconds) {
    mTimeLabel->SetVisible(true);
    WString text;
    if (seconds <= 0) {
        text = WString(u"0 ") + mWords[kSeconds] + u" " + mWords[kRemaining];
    } else {
        const int32_t hours = seconds / 3600;
        const int32_t minutes = (seconds % 3600) / 60;
        const int32_t secs = seconds % 60;
        if (hours > 0) {
            text += WString::FromInt(hours) + u" " + mWords[hours == 1 ? kHour : kHours] + u" ";
            if (minutes == 0) {
                text += WString(u"0 ") + mWords[kMinutes] + u" ";
            }
        }
        if (minutes >= 1) {
            text += WString::FromInt(minutes) + u" " + mWords[minutes == 1 ? kMinute : kMinutes] + u" ";
        }
        text += WString::FromInt(secs) + u" " + mWords[secs == 1 ? kSecond : kSeconds] + u" " +
                mWords[kRemaining];
    }
    return mTimeLabel->SetText(text);
}

}  // namespace QV
