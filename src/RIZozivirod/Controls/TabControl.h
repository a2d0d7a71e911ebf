#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/Panel.h"

namespace QV {

// One page out of several with a row of buttons that choose it ("Framework.TabControl"). The
// skin gives it the panels "buttonHolder" (one button per tab) and "pageHolder" (the pages);
// the i-th button and the i-th page, both in creation order, belong together, and a tab is named
// by its button. Only the selected page is visible; every selection sends "NID_TAB_SELECTED"
// with the selected page (null when the name names no tab).
class LTabControl : public LPanel {
public:
    LTabControl(const RCPtr<LControl>& parent, const WString& name);

    int32_t ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    int32_t Initialize() override;

    virtual uint32_t GetTabCount();                             // 97
    virtual int32_t GetTabIndex(const WString& name);           // 98
    virtual int32_t GetSelectedIndex();                         // 99
    virtual RCPtr<LControl> GetSelectedPage();                  // 100
    virtual const WString& GetSelectedName();                   // 101
    virtual RCPtr<LControl> GetPage(const WString& name);       // 102
    virtual RCPtr<LControl> GetPageAt(int32_t index);           // 103
    virtual RCPtr<LControl> GetTabButton(const WString& name);  // 104
    virtual RCPtr<LControl> GetTabButtonAt(int32_t index);      // 105
    virtual int32_t SelectTab(const WString& name);             // 106
    // The index counts in tab order.
    virtual int32_t SelectTabAt(int32_t index);  // 107
    virtual void OnTabSelected(int32_t index);   // 108

    // Bound to "NID_LEFT_CLICK" of every tab button. Returns 1.
    int32_t OnTabButtonClicked(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

protected:
    ~LTabControl() override;

private:
    static RCPtr<LControl> ChildAt(const RCPtr<LPanel>& holder, int32_t index);

    RCPtr<LNotificationHandler<LTabControl>> mTabHandler;
    RCPtr<LPanel> mButtonHolder;
    RCPtr<LPanel> mPageHolder;
    WString mSelectedName;
};

}  // namespace QV
