#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/Controls/Panel.h"

namespace QV {

class LTabControl;

// Told, through the tree, when a tab control below it has created pages it held back (see
// LTabPageDeferral): the nearest ancestor of the tab control that implements it hears of it, once
// per call that created any, after the pages are initialised and attached.
class ITabPageObserver {
public:
    virtual void OnTabPagesCreated(LTabControl& tabs, const std::vector<RCPtr<LControl>>& pages) = 0;

protected:
    ~ITabPageObserver() = default;
};

// One page out of several with a row of buttons that choose it ("Framework.TabControl"). The
// skin gives it the panels "buttonHolder" (one button per tab) and "pageHolder" (the pages);
// the i-th button and the i-th page, both in creation order, belong together, and a tab is named
// by its button. Only the selected page is visible; every selection sends "NID_TAB_SELECTED"
// with the selected page (null when the name names no tab).
//
// Made under a LTabPageDeferral, the tab control builds only the page it shows first; its other
// pages are there (named, placed, hidden) but empty until the first selection of each, or until
// CreateHeldBackPages builds them all. A page built later is built exactly as it would have been
// at start, and the nearest ITabPageObserver above hears of it.
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

    // Builds the pages held back, in creation order; true when there were any.
    bool CreateHeldBackPages();
    // The same for every tab control in root's tree (root included).
    static void CreateHeldBackPagesBelow(LControl& root);
    // True while the page at that index is held back.
    bool IsPageHeldBack(int32_t index);
    // The hold-back's question: takes page (a page of this tab control, its descriptor applied)
    // as held back unless it is the one shown first.
    bool HoldBackPage(LControl& page);

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
    // Builds those pages, then tells the observer.
    void CreatePages(const std::vector<RCPtr<LControl>>& pages);

    RCPtr<LNotificationHandler<LTabControl>> mTabHandler;
    RCPtr<LPanel> mButtonHolder;
    RCPtr<LPanel> mPageHolder;
    WString mSelectedName;
    std::vector<RCPtr<LControl>> mHeldBackPages;
};

// While one lives on the user-interface thread, the tab controls made there hold back every page
// but the one they show first (a page is a child of the tab control's "pageHolder"). Scopes nest;
// the innermost one counts.
class LTabPageDeferral : private LControlCreation::IHoldBack {
public:
    LTabPageDeferral();
    ~LTabPageDeferral();
    LTabPageDeferral(const LTabPageDeferral&) = delete;
    LTabPageDeferral& operator=(const LTabPageDeferral&) = delete;

private:
    bool HoldsBack(LControl& control) override;

    LControlCreation::IHoldBack* mPrevious;
};

}  // namespace QV
