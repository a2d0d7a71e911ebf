#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/Controls/CheckedListBox.h"

namespace QV {

// A row of a tree view ("Framework.TreeViewItem"): a checked list box row whose "checkBox" is
// the expand box, indented by the row's depth.
class LTreeViewItem : public LCheckedListBoxItem {
public:
    LTreeViewItem(const RCPtr<LControl>& parent, const WString& name);

    // Moves the row right by depth times the expand box's width.
    int32_t SetIndent(int32_t depth);

protected:
    ~LTreeViewItem() override;
};

// A tree shown as a flat list of rows ("Framework.TreeView"): every row knows the row of its
// parent (-1 at the top level), children follow their parent, and the rows under a collapsed
// item are hidden. An item's check flag means expanded; its expand box is enabled only when it
// has descendants. A click on the box expands or collapses the item, selects its row and reports
// "NID_ITEM_CHECK_CHANGE" (or "NID_ITEM_CHECKBOX_CLICKED" when the boxes do not toggle
// themselves). A tree is never sorted. Walks up the parents stop after as many steps as there
// are rows, so parents that point at each other cannot hang it.
class LTreeView : public LCheckedListBox {
public:
    struct NodeRecord {
        int32_t Parent = -1;
    };

    LTreeView(const RCPtr<LControl>& parent, const WString& name);

    void OnIdleTick() override;
    int32_t Initialize() override;
    int32_t GetItemCount() override;
    int32_t SetItemCount(int32_t count) override;
    int32_t RemoveItem(int32_t index) override;
    bool SortAll() override;
    int32_t CreateItemControl() override;
    int32_t BindItemControl(int32_t index, int32_t& slot) override;
    int32_t SwapItems(int32_t a, int32_t b) override;
    int32_t InsertItemRecord(int32_t index) override;
    int32_t RemoveItemRecord(int32_t index) override;
    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    // Puts the item under the new parent (a negative one: the top level); the item's new row.
    virtual int32_t MoveSubtree(int32_t item, int32_t newParent);
    virtual int32_t GetParentIndex(int32_t item);
    virtual int32_t GetDepth(int32_t item);
    virtual int32_t GetDescendantCount(int32_t item);
    // The tree part of a row; the index must be valid.
    virtual NodeRecord* GetNodeRecord(int32_t item);
    // Hides the rows of the item's subtree that have a collapsed ancestor and shows the rest.
    virtual void UpdateSubtreeVisibility(int32_t item);

    bool IsAncestorOf(int32_t ancestor, int32_t item);
    void ExpandItem(int32_t index);
    RCPtr<LTreeViewItem> GetItemControl(int32_t slot);

    int32_t OnTreeCheckBoxClicked(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);
    int32_t OnTreeCheckBoxValueChanged(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification);

protected:
    ~LTreeView() override;

private:
    int32_t ExpandBoxChanged(const RCPtr<LNotificationDistributor>& source, bool valueChange);

    RCPtr<LNotificationHandler<LTreeView>> mTreeHandler;
    std::vector<NodeRecord> mNodes;
    bool mBinding = false;
};

}  // namespace QV
