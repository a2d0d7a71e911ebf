#pragma once

#include <cstdint>

#include "RIZozivirod/ControlBase/Control.h"

namespace QV {

class LScrollbar;

// A control whose content may be larger than its client area and is moved by the scroll offset.
// It keeps the content's size (the client extent), can follow the box of its children (the auto
// client extent, create parameters AUTO_CLIENT_EXTENT_X and _Y), and tells its listeners when the
// extent changes ("NID_CLIENT_EXTENT_CHANGE"). The "corner" child gives the space scroll bars
// take. Base of panels and dialogs.
class LScrollView : public LControl {
public:
    static constexpr uint32_t kAutoExtentX = 1;
    static constexpr uint32_t kAutoExtentY = 2;

    LScrollView(const RCPtr<LControl>& parent, const WString& name);

    // New slots, after LControl's.
    virtual int32_t OnClientExtentChanged();                  // 94
    virtual void OnViewRectChanged();                         // 95
    virtual void OnScrollBarVisibilityChanged(int32_t axis);  // 96

    void UpdateClientRectCache() override;
    void UpdateVisibleRegion(const PointT<double>& oldOffset, const PointT<double>& newOffset) override;
    int32_t HandleMouseWheel(const RCPtr<LMouseWheelParam>& param) override;
    int32_t HandleMouseHWheel(const RCPtr<LMouseWheelParam>& param) override;
    void CheckClientSizeChange() override;
    bool InvalidateChildRect(LControl* child) override;
    int32_t GetMaximumSize(PointT<double>& size) override;
    PointT<double> SetScrollOffset(const PointT<double>& offset) override;
    int32_t GetScrollRange(RectT<double>& range, const RCPtr<LControl>& forControl) override;
    int32_t GetViewRect(RectT<double>& rect) override;
    void OnChildrenChanged(LControl* child, int32_t index) override;
    int32_t ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    int32_t Initialize() override;
    int32_t ReadCreateParams() override;
    RectT<double> GetVisibleRect() override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    // 0 when the extent changed, 1 when it was (within 10 × the double epsilon) the same.
    int32_t SetClientExtent(const PointT<double>& extent);
    const PointT<double>& GetClientExtent() const { return mClientExtent; }
    int32_t SetAutoClientExtent(uint32_t flags, int32_t marginX, int32_t marginY);
    // 1 without auto flags, 0 for flags other than 1, 2 or 3, else SetClientExtent's result.
    int32_t UpdateAutoClientExtent();
    // 1 when already running, else 0.
    int32_t UpdateScrollBars();
    PointT<double> GetScrollBarThickness() const;
    // Line mode of an axis (0 horizontal, 1 vertical): the bar counts whole lines of lineSize
    // pixels, its range the content's lines less those the view shows in full, and the content
    // moves by whole lines. A lineSize of 0 goes back to pixels.
    void SetLineMode(int32_t axis, double lineSize);
    double GetLineSize(int32_t axis) const { return axis == 0 || axis == 1 ? mLineSize[axis] : 0.0; }
    // The largest right and bottom edges of the children not docked on that axis.
    PointT<int32_t> GetChildrenExtent();
    const RCPtr<LControl>& GetCorner() const { return mCorner; }
    const RCPtr<LScrollbar>& GetHorizontalBar() const { return mHBar; }
    const RCPtr<LScrollbar>& GetVerticalBar() const { return mVBar; }
    // Bound to "NID_VALUE_CHANGE" of both bars: the content follows the bar. Returns 1.
    int32_t OnScrollBarValueChanged(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);

protected:
    ~LScrollView() override;

    // Delivers to the scroll view's handler, then the control's; nonzero when consumed.
    int32_t DeliverToViewHandlers(const RCPtr<LNotificationDistributor>& sender,
                                  const RCPtr<LNotification>& notification);

private:
    int32_t ConnectScrollBars();
    void ShowScrollBar(const RCPtr<LScrollbar>& bar, bool show);
    void UpdateScrollBarRanges();
    bool IsBarShown(const RCPtr<LScrollbar>& bar) const;
    // The space the bars take on each axis: the corner's size, else the bars' own.
    PointT<double> BarSpace() const;
    int32_t Wheel(const RCPtr<LMouseWheelParam>& param, bool horizontalFirst);
    // The largest scroll offset of an axis for a view of that size.
    double ScrollLimit(int32_t axis, double viewSize) const;

    RCPtr<LNotificationHandler<LScrollView>> mViewHandler;
    bool mBarsGuard = false;
    bool mScrollGuard = false;
    bool mClientRectGuard = false;
    // Set while the bars are moved to follow the content.
    bool mFollowingContent = false;
    RCPtr<LControl> mCorner;
    RCPtr<LScrollbar> mHBar;
    RCPtr<LScrollbar> mVBar;
    PointT<double> mClientExtent;
    PointT<double> mBarThickness;
    uint32_t mAutoExtentFlags = 0;
    int32_t mAutoMarginX = 0;
    int32_t mAutoMarginY = 0;
    double mLineSize[2] = {0.0, 0.0};
};

}  // namespace QV
