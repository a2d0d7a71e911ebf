#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/Controls/ListBoxItem.h"
#include "RIZozivirod/Controls/ScrollView.h"
#include "RIZozivirod/ObjectBase/Wrapper.h"

namespace QV {

// The data object of an item given as text.
using LItemString = LWrapperStringable<WString, &StringToString, LTaggableObject>;

// The framework's list ("Framework.ListBox", also "Framework.listboxNoScroll"). It keeps one
// record per item but only as many row controls (LListBoxItem) as fit its visible area: they are
// cloned from its "templateItem" child as the area grows, stay where they are while the content
// scrolls by whole rows, and are bound again to the items of the rows they show. Selection runs
// through SelectRange; the list reports "NID_SELECTION_CHANGE", "NID_ITEM_ACTIVATED",
// "NID_ITEM_DOUBLE_CLICKED", "NID_ITEM_RIGHT_CLICK" and its rows' hover and press changes. In
// drop-down mode it is the pop-up list of a combo box: the row under the pointer is selected,
// a release activates it, and the list's height follows its rows.
class LListBox : public LScrollView {
public:
    struct ItemRecord {
        RCPtr<LTaggableObject> Data;
        double Value = 0.0;
        uint8_t AlternateLook = 0;
        uint8_t IsSeparator = 0;
        uint8_t IsHidden = 0;
    };

    LListBox(const RCPtr<LControl>& parent, const WString& name);

    // Items.
    virtual int32_t GetItemCount();
    virtual int32_t SetItemCount(int32_t count);
    virtual int32_t RemoveItem(int32_t index);
    virtual int32_t RemoveAllItems();
    virtual bool SortAll();
    virtual int32_t ComputeItemHeight(const RCPtr<LControl>& templateItem);
    virtual void OnSelectionChanged();
    virtual void OnItemActivated();
    virtual int32_t IndexOfItemControl(const LControl* control);
    virtual int32_t SetItemHidden(int32_t index, bool hidden);
    virtual int32_t CreateItemControl();
    virtual int32_t BindItemControl(int32_t index, int32_t& slot);
    virtual int32_t ControlSlotOfItem(int32_t index);
    virtual int32_t MeasureItemWidth(int32_t index);
    virtual int32_t GetContentHeight();
    virtual bool IsItemSelectable(int32_t index);
    virtual int32_t SwapItems(int32_t a, int32_t b);
    virtual int32_t SortItems(int32_t start, int32_t count);
    virtual ItemRecord* GetItemRecord(int32_t index);
    virtual int32_t InsertItemRecord(int32_t index);
    virtual int32_t RemoveItemRecord(int32_t index);

    // LControl and LScrollView.
    void CheckClientSizeChange() override;
    bool SetVisible(bool visible) override;
    void UpdateVisibleRegion(const PointT<double>& oldOffset, const PointT<double>& newOffset) override;
    bool InvalidateChildRect(LControl* child) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    void OnChildrenChanged(LControl* child, int32_t index) override;
    int32_t ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    int32_t HandleLeftButtonUp(const RCPtr<LMouseButtonParam>& param) override;
    int32_t HandleMouseMove(const RCPtr<LPointWithModifiersParam>& param) override;
    int32_t HandleKeyDown(const RCPtr<LKeyParam>& param) override;
    int32_t Initialize() override;
    int32_t AttachChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor) override;
    void OnScrollBarVisibilityChanged(int32_t axis) override;
    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    // Operations on items.
    int32_t InsertItem(int32_t index, const RCPtr<LTaggableObject>& data);
    int32_t SetItemData(int32_t index, const RCPtr<LTaggableObject>& data);
    const RCPtr<LTaggableObject>& GetItemData(int32_t index);
    WString GetItemText(int32_t index);
    int32_t SetItem(int32_t index, const RCPtr<LTaggableObject>& data, double value, bool alternate,
                    bool separator);
    int32_t SetItemSeparator(int32_t index, bool separator);
    int32_t SetItemAlternateLook(int32_t index, bool alternate);
    bool GetItemAlternateLook(int32_t index);
    int32_t RefreshItem(int32_t index);
    int32_t FindItemByText(const WString& text, bool caseSensitive);
    int32_t LoadItemsFromStringTable(const RCPtr<LStringTable>& table);
    static RCPtr<LTaggableObject> CreateItemString(const WString& text);

    // Selection.
    int32_t SelectRange(int32_t first, int32_t last, bool exclusive);
    int32_t DeselectItem(int32_t index);
    int32_t DeselectAll();
    int32_t SetItemValue(int32_t index, double value);
    double GetItemValue(int32_t index);
    bool IsItemSelected(int32_t index);
    const Array<unsigned int>& GetSelectedIndices();
    void NotifySelectionChange();
    void ActivateItem(int32_t index);
    int32_t SelectItemByText(const WString& text, int32_t start, bool caseSensitive);
    void HandleItemClick(LControl* item, const RCPtr<LMouseButtonParam>& param);
    void HandleItemRightClick(LControl* item, const RCPtr<LMouseButtonParam>& param);

    // Drop-down mode.
    int32_t SetDropDownMode(bool dropDown);
    bool IsDropDownMode() const { return DropDownMode; }
    // While the list is hidden it keeps one row (its font and chrome measure the items) and makes
    // the others when it is shown: a combo box's closed list costs one row, not a screenful. It
    // scrolls as if it had them all. Turned off, the rows are made at once.
    void SetRowsMadeWhenShown(bool whenShown);
    bool IsMultipleSelection() const { return MultipleSelection; }
    int32_t ItemAtPoint(const PointT<int32_t>& point);
    int32_t SnapHeightToRows();
    // Whether the control owns drop-down lists whose release over it keeps them open.
    static bool IsDropDownOwner(LControl* control);

    // Row controls, sizes and scrolling.
    RCPtr<LListBoxItem> GetItemControl(int32_t slot);
    int32_t GetItemControlCount() const { return static_cast<int32_t>(ItemControlSlots.GetCount()); }
    int32_t RowShownByControl(const LControl* control);
    RectT<double> GetItemRect(int32_t index);
    int32_t SetItemHighlighted(int32_t index, bool highlighted);
    int32_t SelectItemControlLook(int32_t index, int32_t look);
    int32_t EnsureItemVisible(int32_t index);
    int32_t FillItemControls();
    int32_t RebindFrom(int32_t index);
    int32_t UpdateClientExtent();
    int32_t SetMaxItemWidth(int32_t width);
    int32_t RecomputeMaxItemWidth();
    int32_t FitWidthToContent(double width);
    int32_t FitHeightToContent(double height);

    int32_t GetItemHeight() const { return ItemHeight; }
    int32_t GetFirstShownRow() const { return FirstShownRow; }
    int32_t GetAnchorIndex() const { return AnchorIndex; }
    int32_t GetCurrentIndex() const { return CurrentIndex; }
    int32_t GetSelectedCount() const { return SelectedCount; }
    int32_t GetWidestItemWidth() const { return WidestItemWidth; }
    int32_t GetItemChromeWidth() const { return ItemChromeWidth; }
    const RCPtr<LControlDescriptor>& GetTemplateDescriptor() const { return TemplateDescriptor; }
    // Many items change at once: widths and heights are fitted once when it is turned off by
    // the caller (UpdateClientExtent, RecomputeMaxItemWidth).
    void SetBatchUpdate(bool batch) { BatchUpdate = batch; }
    bool IsBatchUpdate() const { return BatchUpdate; }

    // Handlers of the row controls' notifications.
    int32_t OnItemMouseDown(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    int32_t OnItemMouseUp(const RCPtr<LNotificationDistributor>& source,
                          const RCPtr<LNotification>& notification);
    int32_t OnItemLeftDragChange(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);
    int32_t OnItemHoverChange(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);

protected:
    ~LListBox() override;

    int32_t ItemCount() const { return static_cast<int32_t>(mRecords.size()); }
    bool IsShownItem(int32_t index) const { return index >= ItemCount() || mRecords[index].IsHidden == 0; }
    void RegisterItemControl(const RCPtr<LListBoxItem>& item);
    void AdjustAfterRemoval(int32_t index);
    int32_t NextSelectable(int32_t from, int32_t step);
    bool TemplateIsSelfSized() const;
    bool TemplateExpands() const;
    void PassKeyToBar(const RCPtr<LControl>& bar, const RCPtr<LKeyParam>& param);
    int32_t StepShownItems(int32_t from, int32_t steps);
    int32_t CountShownItems(int32_t begin, int32_t end) const;

    RCPtr<LNotificationHandler<LListBox>> mListHandler;
    int32_t ItemChromeWidth = 0;
    int32_t WidestItemWidth = 0;
    std::vector<ItemRecord> mRecords;
    Array<unsigned int> ItemControlSlots;
    RCPtr<LControlDescriptor> TemplateDescriptor;
    int32_t AnchorIndex = -1;
    int32_t CurrentIndex = -1;
    bool MultipleSelection = false;
    int32_t SelectionMode = 1;
    int32_t PendingClickIndex = -1;
    bool DropDownMode = false;
    bool KeepSorted = false;
    int32_t ItemHeight = 14;
    Array<unsigned int> mSelectedIndices;
    int32_t SelectedCount = 0;
    int32_t ItemDragThreshold = 1;
    int32_t FirstShownRow = 0;
    // Items with their hidden flag set: without any, rows and items are counted alike.
    int32_t mHiddenCount = 0;
    bool mFilling = false;
    bool mApplying = false;
    bool mItemHeightKnown = false;
    bool mRowsMadeWhenShown = false;
    bool BatchUpdate = false;
};

}  // namespace QV
