#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/DropDownControl.h"
#include "RIZozivirod/Controls/ListBox.h"

namespace QV {

// A box showing the current choice over a drop-down list ("Framework.ComboBox"). Its "listBox"
// part opens below the box, or above it when there is more room there, as high as its rows or
// the room allows; its items come from the box's "ITEM.nn" strings. A press, Down or Enter opens
// it; a release over a row, a click or Return chooses; Escape, a second press and the focus
// leaving close it. "NID_SELECTION_CHANGE" tells owners the chosen index changed. An optional
// "textBox" part makes the box editable; its notifications are passed on as the box's own.
// Looks: 0 normal, 1 focused, 2 hovered, 3 hovered and focused, 4 open, 5 open and hovered,
// 6 disabled.
class LComboBox : public LDropDownControl {
public:
    LComboBox(const RCPtr<LControl>& parent, const WString& name);

    virtual int32_t SetItemCount(int32_t count);
    virtual int32_t SetSelectedIndex(int32_t index);
    virtual void UpdateLookState();

    int32_t SetText(const WString& text) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t HandleKeyDown(const RCPtr<LKeyParam>& param) override;
    void HandleUnprocessedKey(const RCPtr<LKeyParam>& param) override;
    int32_t Initialize() override;
    int32_t ReadCreateParams() override;
    int32_t PostInitialize() override;
    WString GetToolTipText() override;
    bool IsDroppedDown() override;
    int32_t ShowDropDown(bool show) override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    const RCPtr<LTaggableObject>& GetItemData(int32_t index);
    int32_t GetSelectedIndex() const { return mSelectedIndex; }
    const RCPtr<LListBox>& GetList() const { return mList; }
    const RCPtr<LControl>& GetTextBox() const { return mTextBox; }

    int32_t OnItemActivated(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    int32_t OnListVisibilityChange(const RCPtr<LNotificationDistributor>& source,
                                   const RCPtr<LNotification>& notification);
    int32_t OnTextBoxPassOn(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    int32_t OnTextBoxValidated(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);
    int32_t OnTextBoxFocusChange(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);

protected:
    ~LComboBox() override;

private:
    void PrepareListSize();
    void NotifyWithParam(const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LComboBox>> mComboHandler;
    RCPtr<LListBox> mList;
    RCPtr<LControl> mTextBox;
    int32_t mSelectedIndex = -1;
    int32_t mInitialSelectedIndex = 0;
    // Where the left button went down, in the box's own coordinates.
    PointT<double> mPressPoint;
};

}  // namespace QV
