#include "RIZozivirod/Controls/LevelMeter.h"

#include <cmath>

#include "RIZozivirod/Controls/Panel.h"

namespace QV {

LLevelMeter::LLevelMeter(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LLevelMeter::~LLevelMeter() = default;

void LLevelMeter::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                      const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mMeterHandler && mMeterHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    DeliverToControlHandler(sender, notification);
}

int32_t LLevelMeter::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                               const WChar* name) {
    if (mMeterHandler) {
        mMeterHandler->RemoveHandler(distributor, name);
    }
    return LControl::UnregisterForNotification(distributor, name);
}

int32_t LLevelMeter::Initialize() {
    const int32_t result = LControl::Initialize();
    mMeterHandler = LNotificationHandler<LLevelMeter>::Create(this);
    RCPtr<LControl> peak = FindChild(u"peakLo");
    mPeakMarker = RCPtr<LPanel>(dynamic_cast<LPanel*>(peak.Get()));
    if (mPeakMarker) {
        mPeakMarker->SetUseParentToolTip(true);
    }
    RCPtr<LControl> overlay = FindChild(u"activeOverlay");
    mOverlay = RCPtr<LPanel>(dynamic_cast<LPanel*>(overlay.Get()));
    // The bar is the meter: a skin without it is broken, and says so here rather than later.
    QV_CHECK_NULL(mOverlay.Get(), "Cannot find child activeOverlay");
    mOverlay->SetUseParentToolTip(true);
    mClipButton = FindChild(u"clipButton");
    return result;
}

int32_t LLevelMeter::PostInitialize() {
    const RectT<double>& frame = GetFrame();
    mOrientation = frame.height > frame.width ? 1 : 0;
    if (mPeakMarker) {
        mPeakMarker->SetVisible(false);
        mPeakMarker->SetNotFocusable(true);
        mLowMarker = {mPeakMarker->GetFrame().x, mPeakMarker->GetFrame().y};
        RCPtr<LControl> high = FindChild(u"peakHi");
        if (high) {
            high->SetVisible(false);
            high->SetNotFocusable(true);
            mHighMarker = {high->GetFrame().x, high->GetFrame().y};
        } else {
            mPeakMarker = nullptr;
        }
    }
    mOverlay->SetVisible(false);
    mOverlay->SetNotFocusable(true);
    if (mClipButton) {
        mClipButton->SetNotFocusable(true);
    }
    SetNotFocusable(true);
    OnValueChanged();
    return S_OK;
}

int32_t LLevelMeter::SetLevels(double level, double peak) {
    return SetLevels(level, peak, mClipCount);
}

int32_t LLevelMeter::SetLevels(double level, double peak, int32_t clipCount) {
    RCPtr<LControl> hold(this);
    if (mClipButton) {
        if (clipCount != mClipCount) {
            mClipButton->SetNormalizedValue(1.0);
        } else if (!mLatching) {
            mClipButton->SetNormalizedValue(0.0);
        }
    }
    mClipCount = clipCount;
    mUpdating = true;
    LControl::SetNormalizedValue(level);
    mUpdating = false;

    const bool vertical = mOrientation == 1;
    const double axisSize = vertical ? GetFrame().height : GetFrame().width;
    const double length = std::round(axisSize * (vertical ? 1.0 - level : level));
    if (length < 1.0) {
        mOverlay->SetVisible(false);
    } else {
        mOverlay->SetVisible(true);
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        mOverlay->GetPlacement(mOrientation, placement, size);
        size.reference = SizeReference::kSelf;
        size.offset = length;
        mOverlay->SetPlacement(mOrientation, placement, size);
    }

    if (mPeakMarker) {
        const double span = vertical ? mHighMarker.y - mLowMarker.y : mHighMarker.x - mLowMarker.x;
        const double offset = std::round(span * peak);
        if (offset == 0.0) {
            mPeakMarker->SetVisible(false);
        } else {
            mPeakMarker->SetVisible(true);
            LLayoutDescriptor::Placement placement;
            LLayoutDescriptor::Size size;
            mPeakMarker->GetPlacement(mOrientation, placement, size);
            placement.offset = offset;
            mPeakMarker->SetPlacement(mOrientation, placement, size);
        }
    }
    return S_OK;
}

void LLevelMeter::OnValueChanged() {
    if (mUpdating || !mOverlay) {
        return;
    }
    SetLevels(GetNormalizedValue(), 0.0, mClipCount);
}

int32_t LLevelMeter::SetClipLatching(bool on) {
    if (!mClipButton) {
        return E_FAIL;
    }
    mClipButton->SetNormalizedValue(0.0);
    if (on == mLatching) {
        return S_OK;
    }
    mLatching = on;
    RCPtr<LNotificationDistributor> button(mClipButton);
    if (on) {
        mMeterHandler->AddHandler(&LLevelMeter::OnClipButtonClick, button, u"NID_LEFT_CLICK", 0);
    } else {
        UnregisterForNotification(button, u"NID_LEFT_CLICK");
    }
    return S_OK;
}

bool LLevelMeter::IsClipLit() {
    return mClipButton && mClipButton->GetNormalizedValue() >= 0.5;
}

int32_t LLevelMeter::GetClipCount() {
    return mClipCount;
}

void LLevelMeter::SetClipCount(int32_t count) {
    mClipCount = count;
}

int32_t LLevelMeter::OnClipButtonClick(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    if (IsClipLit()) {
        mClipButton->SetNormalizedValue(0.0);
        LNotificationDistributor::Notify(LNotification::Create(u"NID_CLIPLIGHT_UNLATCHED", nullptr));
    }
    return 1;
}

}  // namespace QV
