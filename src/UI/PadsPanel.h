#pragma once

#include <cstdint>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Notification/NotificationHandler.h"

// The "PADS" page: four pad panels, "pad1" to "pad4", that show pads 1-4 (page 0) or pads 5-8
// (page 1), and the arrow buttons "leftArrowButton" and "rightArrowButton" that switch between
// them. The page is not stored: it is the binding of the four pad panels, which answer only for
// the pad they are bound to. The page owns no parameter; it serves the sixteen ids of the pads
// from its own id. User-interface thread.
class LPadsPanel : public QV::LPanel, public IPads {
public:
    LPadsPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // Binds the arrow buttons; a missing one throws.
    int32_t Initialize() override;
    // The left arrow shows page 0, the right one page 1. 1.
    int32_t OnArrowClicked(const QV::RCPtr<QV::LNotificationDistributor>& source,
                           const QV::RCPtr<QV::LNotification>& notification);
    // Attaches the children, then shows page 0.
    int32_t AttachToRootWindow() override;
    // Commits the edit being typed on the page, binds the four pad panels to pads 1-4 (page 0) or
    // 5-8 (page 1) with their headers, and shows the stored values of the pads at once. Another page
    // changes no binding but still shows the stored values again.
    virtual void ShowPage(int32_t page);

    using IPads::GetPad;
    // Index 0..7: the pad panel "pad1".."pad4" of index % 4, only while it is bound to that index;
    // null otherwise.
    QV::RCPtr<IPad> GetPad(int32_t padIndex) override;

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

    static constexpr int32_t kPadCount = 8;
    static constexpr int32_t kPadsShown = 4;
    // Each pad has its MIDI settings and its colours.
    static constexpr int32_t kIdsPerPad = 2;

protected:
    ~LPadsPanel() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LPadsPanel>> mHandler;
    QV::RCPtr<QV::LControl> mLeftArrow;
    QV::RCPtr<QV::LControl> mRightArrow;
};
