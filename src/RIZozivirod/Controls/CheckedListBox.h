#pragma once

#include <cstdint>
#include <vector>

#include "RIZozivirod/Controls/CheckedListBoxItem.h"
#include "RIZozivirod/Controls/IndexedDataParam.h"
#include "RIZozivirod/Controls/ListBox.h"

namespace QV {

class LBitmap;

// A list box whose rows carry a check box ("Framework.CheckedListBox", also
// "Framework.ListBoxWithIcons"). Every item has a check flag and an icon beside its list-box
// record; the rows are LCheckedListBoxItem controls whose "checkBox" shows the flag. A click on
// a check box selects its row and then reports "NID_ITEM_CHECK_CHANGE" (the check box toggles
// itself) or "NID_ITEM_CHECKBOX_CLICKED" (the listener decides, through SetItemChecked) with an
// LIndexedDataWithValueParam. A plain checked list box whose skin has a fourth look takes the
// images of that look's docked parts as an icon strip: item i shows icon i mod count, and its
// check boxes become display-only icon holders. User-interface thread only.
class LCheckedListBox : public LListBox {
public:
    // What an item has beyond its list-box record, kept beside it in the same order.
    struct CheckRecord {
        bool Checked = false;
        RCPtr<LBitmap> Icon;
    };

    LCheckedListBox(const RCPtr<LControl>& parent, const WString& name);

    int32_t Initialize() override;
    int32_t SetItemCount(int32_t count) override;
    int32_t CreateItemControl() override;
    int32_t BindItemControl(int32_t index, int32_t& slot) override;
    int32_t SwapItems(int32_t a, int32_t b) override;
    int32_t InsertItemRecord(int32_t index) override;
    int32_t RemoveItemRecord(int32_t index) override;
    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    virtual int32_t SetCheckBoxAutoValueSet(bool autoValueSet);
    virtual int32_t CountCheckedItems();
    // The check part of item i; the index must be valid.
    virtual CheckRecord* GetCheckRecord(int32_t index);

    // Stores the flag and shows it; sends nothing. Nothing for an index past the items.
    void SetItemChecked(int32_t index, bool checked);
    bool IsItemChecked(int32_t index);
    // The strip's icon of the item's position, else the item's own icon.
    RCPtr<LBitmap> GetItemIcon(int32_t index);
    void SetCheckBoxesPassive(bool passive);
    RCPtr<LCheckedListBoxItem> GetItemControl(int32_t slot);

    bool GetCheckBoxesPassive() const { return CheckBoxesPassive; }
    bool GetCheckBoxAutoValueSet() const { return CheckBoxAutoValueSet; }
    int32_t GetCheckedCount() const { return CheckedCount; }
    const std::vector<RCPtr<LBitmap>>& GetIcons() const { return Icons; }

    int32_t OnCheckBoxValueChanged(const RCPtr<LNotificationDistributor>& source,
                                   const RCPtr<LNotification>& notification);
    int32_t OnCheckBoxClicked(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);

    int32_t CheckedCount = 0;

protected:
    ~LCheckedListBox() override;

private:
    int32_t ReportCheckBox(const RCPtr<LNotificationDistributor>& source, bool toggled);
    void BindCheckBox(const RCPtr<LButton>& checkBox);
    void SetCheckBoxValueQuietly(LCheckedListBoxItem& item, const RCPtr<LButton>& checkBox, bool checked);

    RCPtr<LNotificationHandler<LCheckedListBox>> mCheckedHandler;
    std::vector<CheckRecord> mCheckRecords;
    bool CheckBoxesPassive = false;
    bool CheckBoxAutoValueSet = true;
    std::vector<RCPtr<LBitmap>> Icons;
};

}  // namespace QV
