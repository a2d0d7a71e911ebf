#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/CheckedListBox.h"
#include "RIZozivirod/Controls/MenuDescriptor.h"
#include "RIZozivirod/Controls/MenuListBoxItem.h"
#include "RIZozivirod/Notification/NotificationQueue.h"

namespace QV {

class LHotKeyTable;

// One level of a menu ("Framework.PopupMenu"): a checked list in drop-down mode whose rows show
// a copy of a menu descriptor (labels, check marks, key chords at the right, separators and
// submenu items). The row under the pointer is the selected one and a release or Return
// activates it: a leaf sends its command, a notification named by the command with an
// LMenuActivationParam, to the receiver (a window's queue, or else the nearest control above
// the popup that is no popup). Command states are asked of the item updater each time the
// popup shows. A submenu opens after the pointer rests 250 ms on its item (or on Right) and
// closes after it rests as long on a leaf (or on Left).
//
// A context menu dismisses itself (hidden, then removed from its owner on the next idle pass)
// after a command, on Escape and when the focus leaves it, and gives the focus back to its
// owner. A menu-bar title clears auto-dismiss: its popup is only hidden, by its title.
// User-interface thread only.
class LPopupMenu : public LCheckedListBox {
public:
    // Height of a separator row: a one-pixel line with four pixels above and below.
    static constexpr int32_t kSeparatorRowHeight = 9;
    // The pointer rests this long on an item before its submenu opens (or an open one closes).
    static constexpr uint32_t kSubmenuDelayMs = 250;

    LPopupMenu(const RCPtr<LControl>& parent, const WString& name);

    // LControl. Shown, the popup also has a window of its own where its window provides one,
    // so that it may reach past the window; hidden, that window goes.
    bool SetVisible(bool visible) override;
    int32_t SetFocus(bool forward) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    int32_t RequestFocus() override;
    int32_t HandleMouseMove(const RCPtr<LPointWithModifiersParam>& param) override;
    int32_t HandleKeyDown(const RCPtr<LKeyParam>& param) override;
    void OnIdleTick() override;
    int32_t Initialize() override;
    int32_t PostInitialize() override;
    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    // LListBox.
    void OnSelectionChanged() override;
    void OnItemActivated() override;
    int32_t CreateItemControl() override;
    int32_t BindItemControl(int32_t index, int32_t& slot) override;
    int32_t GetContentHeight() override;
    bool IsItemSelectable(int32_t index) override;
    int32_t SwapItems(int32_t a, int32_t b) override;

    // The width in pixels item index needs: its label, its key chord and the row's chrome.
    virtual int32_t LayoutHotKeyLabels(int32_t index);

    // Shows a deep copy of menu. E_INVALIDARG for null.
    int32_t SetMenuDescriptor(const RCPtr<LMenuDescriptor>& menu);
    const RCPtr<LMenuDescriptor>& GetMenuDescriptor() const { return mMenu; }
    // Commands go to the queue's posting receiver from now on. E_INVALIDARG for null, E_FAIL
    // when a receiver is set already (the first one stays).
    int32_t SetReceiver(const RCPtr<LNotificationQueue>& queue);
    RCPtr<LNotificationReceiver> GetReceiver();
    void SetMenuItemUpdater(const RCPtr<LMenuItemUpdater>& updater) { mItemUpdater = updater; }
    // The source of command states: the one set, else the receiver control's.
    RCPtr<LMenuItemUpdater> GetMenuItemUpdater();
    void SetAutoDismiss(bool autoDismiss) { mAutoDismiss = autoDismiss; }
    bool GetAutoDismiss() const { return mAutoDismiss; }
    bool IsDismissed() const { return mDismissed; }

    // A press on pressed: the open menu chain that holds the window's focus closes when the
    // press is neither in it nor on the control it belongs to (which handles its own press).
    static void ClosePopupsOutside(LControl& pressed);

    // The area a popup may take, in its window's client coordinates: the desktop's work area
    // where popups have windows of their own, else the client area.
    static RectT<double> GetPopupArea(IRootWindow& window);

    // Places the popup at the pointer, inside the popup area, and shows it with the focus.
    int32_t ShowAtCursor();
    int32_t OpenSubmenu(int32_t index);
    int32_t CloseSubmenu();
    int32_t Dismiss();
    int32_t UpdateItemStates();
    // 0 changed, 1 unchanged, E_INVALIDARG for an index past the items.
    int32_t SetItemState(int32_t index, const LMenuItemState& state);
    int32_t LoadMenuFromStringTable();
    int32_t SetMenuFromParentItem(int32_t index);
    int32_t FillHotKeyTexts(const RCPtr<LMenuDescriptor>& menu);
    int32_t RebuildItems();
    int32_t ResetSizeLimits();

    RCPtr<LPopupMenu> GetParentPopup() const;
    const RCPtr<LPopupMenu>& GetSubmenu() const { return mSubmenu; }
    bool IsInChain(const LPopupMenu* popup) const;
    RCPtr<LMenuListBoxItem> GetItemControl(int32_t slot);
    bool IsTimerArmed() const { return mTimerArmed; }

    int32_t OnItemHoverChanged(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);

protected:
    ~LPopupMenu() override;

private:
    RCPtr<LMenuItemDescriptor> MenuChild(int32_t index) const;
    void ArmTimer();
    void DisarmTimer();
    void SelectOpenItemInParent();
    int32_t SendCommand(const RCPtr<LMenuItemDescriptor>& item);
    void ReturnFocus();
    void FillLevel(LMenuDescriptor& level, LControl* control, const LHotKeyTable* windowTable,
                   const LHotKeyTable* applicationTable);

    RCPtr<LNotificationHandler<LPopupMenu>> mPopupHandler;
    RCPtr<LMenuDescriptor> mMenu;
    RCPtr<LPopupMenu> mSubmenu;
    RCPtr<LMenuItemDescriptor> mOpenItem;
    RCPtr<LNotificationReceiver> mReceiver;
    RCPtr<LMenuItemUpdater> mItemUpdater;
    bool mTimerArmed = false;
    uint32_t mTimerStart = 0;
    bool mFocusReturnGuard = false;
    bool mOpeningSubmenu = false;
    bool mAutoDismiss = true;
    bool mDismissed = false;
    bool mHasPopupWindow = false;
    int32_t mSeparatorHeight = kSeparatorRowHeight;
    int32_t mSeparatorCount = 0;
};

}  // namespace QV
