#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/ComboBox.h"

namespace QV {

class LBitmap;
class LCheckedListBox;

// A combo box whose drop-down "listBox" is a checked list box ("Framework.CheckedComboBox",
// also "Framework.ComboBoxWithIcons"). An optional "checkBox" button on the box mirrors the
// chosen item: its check flag as the button's value and its icon in every look (display only
// when the list has an icon strip). While any item is checked the box shows its second set of
// seven looks (7 to 13, the same states as 0 to 6). The list's "NID_ITEM_CHECK_CHANGE" is passed
// on as the box's own with the same parameter.
class LCheckedComboBox : public LComboBox {
public:
    LCheckedComboBox(const RCPtr<LControl>& parent, const WString& name);

    int32_t Initialize() override;
    int32_t PostInitialize() override;
    int32_t SetItemCount(int32_t count) override;
    int32_t SetSelectedIndex(int32_t index) override;
    void UpdateLookState() override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    void SetCheckBoxPassive(bool passive);
    bool IsCheckBoxPassive() const { return mCheckBoxPassive; }
    const RCPtr<LCheckedListBox>& GetCheckedList() const { return mCheckedList; }

protected:
    ~LCheckedComboBox() override;

private:
    int32_t OnItemCheckChange(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    void ShowIcon(const RCPtr<LBitmap>& icon);

    RCPtr<LNotificationHandler<LCheckedComboBox>> mCheckedComboHandler;
    RCPtr<LCheckedListBox> mCheckedList;
    bool mCheckBoxPassive = false;
};

}  // namespace QV
