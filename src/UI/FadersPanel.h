#pragma once

#include <cstdint>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Notification/NotificationHandler.h"

// The faders' page: the keyboard's eight faders (the page's id + 0..7), four at a time. The same
// four absolute controller panels, "fader1" to "fader4", show faders 1 to 4 or 5 to 8: the arrow
// buttons "leftArrowButton" and "rightArrowButton" re-bind them to the other four ids, head them
// "FADER n" and show those faders' stored values at once. A fader that is not shown has no panel
// in the view tree. The shown page is the panels' binding; nothing else keeps it.
// User-interface thread.
class LFadersPanel : public QV::LPanel, public IFaders {
public:
    LFadersPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // Binds the arrow buttons; a missing one throws.
    int32_t Initialize() override;
    // Page 0 (faders 1 to 4) or 1 (faders 5 to 8). An edit still waiting in a text box of the page
    // is sent first, under the fader it was typed for; then the panels are re-bound and headed
    // and show the engine's values of the faders. Any other page only shows the values again.
    virtual void ShowPage(int32_t page);
    // The left arrow shows page 0, the right one page 1. 1.
    int32_t OnArrowClicked(const QV::RCPtr<QV::LNotificationDistributor>& source,
                           const QV::RCPtr<QV::LNotification>& notification);
    // The children attach as usual; then page 0 is shown.
    int32_t AttachToRootWindow() override;
    using IFaders::GetFader;
    // The panel showing fader 0..7 now; null while that fader is on the other page.
    QV::RCPtr<IAbsoluteController> GetFader(int32_t faderIndex) override;

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

    static constexpr int32_t kFaderCount = 8;
    static constexpr int32_t kFadersPerPage = 4;

protected:
    ~LFadersPanel() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LFadersPanel>> mHandler;
};
