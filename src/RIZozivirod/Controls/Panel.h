#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/ScrollView.h"

namespace QV {

// The general container ("Framework.Panel"). Keys no control inside it handled climb from panel
// to panel; Tab moves through its children and, in a nested panel, leaves it at either end
// instead of wrapping; it listens to its parent's sibling-key offers and passes them on to the
// controls that listen on it. The focus goes to what a panel holds, never to the panel itself,
// so an empty panel, or one whose controls are all hidden or disabled, is no tab stop.
class LPanel : public LScrollView {
public:
    LPanel(const RCPtr<LControl>& parent, const WString& name);

    RCPtr<LControl> GetNextTabStop(const RCPtr<LControl>& child, bool backward) override;
    void HandleUnprocessedKey(const RCPtr<LKeyParam>& param) override;
    void HandleNavigationKey(const RCPtr<LKeyParam>& param) override;
    int32_t Initialize() override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    // Bound to the parent's "NID_SIBLING_KEY": offers the key to the controls listening on this
    // panel and answers in the parameter's result. Returns 1.
    int32_t OnSiblingKey(const RCPtr<LNotificationDistributor>& source,
                         const RCPtr<LNotification>& notification);

    bool HasPanelHandler() const { return static_cast<bool>(mPanelHandler); }

protected:
    ~LPanel() override;

private:
    RCPtr<LNotificationHandler<LPanel>> mPanelHandler;
};

}  // namespace QV
