#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

class LButton;

// The scroll bar of scroll views ("Framework.ScrollBar"), made of the skin parts "dec" and "inc"
// (autorepeating step buttons), "channel" (pressing it pages, repeating while held) and the
// channel's "thumb", dragged along it. Its normalized value runs 0 to 1 over a user range of 0 to
// 100; every change sends "NID_VALUE_CHANGE". Steps and the thumb fraction are fractions of the
// range that the owner may set, then calling UpdateThumbSize. Values set while the user drags the
// thumb wait for the release.
class LScrollbar : public LControl {
public:
    LScrollbar(const RCPtr<LControl>& parent, const WString& name);

    double SetNormalizedValue(double value) override;
    int32_t SetValueRange(double minimum, double maximum, int32_t taper) override;
    void CheckClientSizeChange() override;
    void OnChildRectChanged(LControl* child) override;
    void OnIdleTick() override;
    int32_t Initialize() override;
    int32_t PostInitialize() override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    void UpdateThumbSize();
    void PlaceThumb();
    void ValueFromThumb();
    // 1 before the thumb, 2 after it, 0 on it (point in the channel's client coordinates).
    int32_t HitTestChannel(const PointT<int32_t>& point) const;
    int32_t SetKeyMask(uint32_t mask);

    bool IsVertical() const { return mVertical != 0; }
    bool IsDraggingThumb() const { return mDragging; }
    int32_t GetPagingDirection() const { return mPagingDirection; }
    double GetThumbLength() const { return mThumbLength; }
    double GetChannelEnd() const { return mChannelEnd; }

    double lineStep = 0.02;
    double pageStep = 0.2;
    double thumbFraction = 0.1;

protected:
    ~LScrollbar() override;

private:
    int32_t OnChannelPress(const RCPtr<LNotificationDistributor>& source,
                           const RCPtr<LNotification>& notification);
    int32_t OnChannelHover(const RCPtr<LNotificationDistributor>& source,
                           const RCPtr<LNotification>& notification);
    int32_t OnThumbMouseMove(const RCPtr<LNotificationDistributor>& source,
                             const RCPtr<LNotification>& notification);
    int32_t OnThumbDragCondition(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);
    int32_t OnStepButton(const RCPtr<LNotificationDistributor>& source,
                         const RCPtr<LNotification>& notification);
    int32_t OnSiblingKey(const RCPtr<LNotificationDistributor>& source,
                         const RCPtr<LNotification>& notification);
    void SetNormalizedValueNow(double value);
    void UpdateChannelMetrics();
    void UpdateChannelHighlight();
    void ResetChannelLooks();
    bool IsPointerInPagingZone();
    PointT<int32_t> PointerInChannel();
    double ThumbPosition() const;

    RCPtr<LNotificationHandler<LScrollbar>> mBarHandler;
    int32_t mVertical = 1;
    RCPtr<LControl> mChannel;
    RCPtr<LButton> mThumb;
    RCPtr<LButton> mDec;
    RCPtr<LButton> mInc;
    double mMinimumThumbLength = 10.0;
    double mThumbLength = 10.0;
    double mChannelStart = 0.0;
    double mChannelEnd = 0.0;
    double mChannelOffset = 0.0;
    bool mDragging = false;
    PointT<int32_t> mGrabOffset;
    int32_t mPagingDirection = 0;
    double mPagingInterval = 0.2;
    double mPagingDelay = 0.4;
    double mPagingLastTick = 0.0;
    double mPagingTimeToNext = 0.0;
    double mDeferredValue = -1.0;
    uint8_t mKeyMask = 0;
};

}  // namespace QV
