#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/DropDownControl.h"
#include "RIZozivirod/Controls/PopupMenu.h"

namespace QV {

// One title of the menu bar ("Framework.ComboMenu"): a drop-down control whose text is the
// menu's title and whose drop-down is its "popupMenu" child (required). A press on the title
// opens the menu below it (moved left to stay inside the top-level control); while one title's
// menu is open, the pointer entering another title switches to that title's menu; a held press
// may be dragged from the title into the menu and released on an item. The popup is only ever
// hidden, never removed. Looks: 0 normal, 1 pointer over the title, 2 menu open, 3 disabled.
// User-interface thread only.
class LComboMenu : public LDropDownControl {
public:
    LComboMenu(const RCPtr<LControl>& parent, const WString& name);

    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t Initialize() override;
    int32_t PostInitialize() override;
    bool IsDroppedDown() override;
    int32_t ShowDropDown(bool show) override;
    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    RCPtr<LPopupMenu> GetPopupMenu() const;
    // The last title of the parent (this one included) whose menu is open; null when none.
    RCPtr<LComboMenu> FindOpenSibling();

    int32_t OnPopupVisibilityChange(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);
    int32_t OnPopupItemActivated(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);

protected:
    ~LComboMenu() override;

private:
    void SelectRestingLook();

    RCPtr<LNotificationHandler<LComboMenu>> mComboMenuHandler;
    double mPopupOffsetX = 0.0;
    PointT<double> mPressPoint{0.0, 0.0};
};

}  // namespace QV
