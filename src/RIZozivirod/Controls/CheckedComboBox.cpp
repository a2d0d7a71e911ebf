#include "RIZozivirod/Controls/CheckedComboBox.h"

#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/CheckedListBox.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"

namespace QV {

LCheckedComboBox::LCheckedComboBox(const RCPtr<LControl>& parent, const WString& name)
    : LComboBox(parent, name) {}

LCheckedComboBox::~LCheckedComboBox() = default;

void LCheckedComboBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                           const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mCheckedComboHandler && mCheckedComboHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    LComboBox::ReceiveNotification(sender, notification);
}

int32_t LCheckedComboBox::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                    const WChar* name) {
    if (mCheckedComboHandler) {
        mCheckedComboHandler->RemoveHandler(distributor, name);
    }
    return LComboBox::UnregisterForNotification(distributor, name);
}

int32_t LCheckedComboBox::Initialize() {
    mCheckedList = RCPtr<LCheckedListBox>(dynamic_cast<LCheckedListBox*>(FindChild(u"listBox").Get()));
    if (LComboBox::Initialize() < 0) {
        return E_FAIL;
    }
    // The list is the box: a skin whose list has no check flags is broken.
    QV_CHECK_NULL(mCheckedList.Get(), "Cannot find child listBox as a checked list box");
    if (RCPtr<LControl> checkBox = FindChild(u"checkBox")) {
        checkBox->SetUseParentToolTip(true);
    }
    mCheckedList->SetDropDownMode(true);
    // Its rows hold the check boxes the box mirrors: all of them are made from the start.
    mCheckedList->SetRowsMadeWhenShown(false);
    if (!mCheckedList->GetIcons().empty()) {
        SetCheckBoxPassive(true);
    }
    mCheckedComboHandler = LNotificationHandler<LCheckedComboBox>::Create(this);
    mCheckedComboHandler->AddHandler(&LCheckedComboBox::OnItemCheckChange,
                                     RCPtr<LNotificationDistributor>(mCheckedList), u"NID_ITEM_CHECK_CHANGE",
                                     0);
    return S_OK;
}

void LCheckedComboBox::SetCheckBoxPassive(bool passive) {
    mCheckBoxPassive = passive;
    if (auto* checkBox = dynamic_cast<LButton*>(FindChild(u"checkBox").Get())) {
        checkBox->SetDisplayOnly(passive);
    }
}

void LCheckedComboBox::ShowIcon(const RCPtr<LBitmap>& icon) {
    RCPtr<LControl> checkBox = FindChild(u"checkBox");
    if (!checkBox) {
        return;
    }
    for (int32_t look = static_cast<int32_t>(checkBox->GetLookCount()) - 1; look >= 0; --look) {
        checkBox->SetLookImage(icon, 0, look, 0);
    }
}

int32_t LCheckedComboBox::PostInitialize() {
    const int32_t selected = GetSelectedIndex();
    ShowIcon(selected >= 0 && mCheckedList && selected < mCheckedList->GetItemCount()
                 ? mCheckedList->GetItemIcon(selected)
                 : nullptr);
    return LComboBox::PostInitialize();
}

int32_t LCheckedComboBox::SetSelectedIndex(int32_t index) {
    RCPtr<LControl> hold(this);
    if (RCPtr<LControl> checkBox = FindChild(u"checkBox")) {
        RCPtr<LBitmap> icon;
        if (mCheckedList && index >= 0 && index < mCheckedList->GetItemCount()) {
            checkBox->SetNormalizedValue(mCheckedList->IsItemChecked(index) ? 1.0 : 0.0);
            icon = mCheckedList->GetItemIcon(index);
        }
        ShowIcon(icon);
    }
    return LComboBox::SetSelectedIndex(index);
}

int32_t LCheckedComboBox::SetItemCount(int32_t count) {
    const int32_t result = LComboBox::SetItemCount(count);
    UpdateLookState();
    return result;
}

void LCheckedComboBox::UpdateLookState() {
    int32_t look = 0;
    if (!IsEnabled(true)) {
        look = 6;
    } else if (IsDroppedDown()) {
        look = IsHover() ? 5 : 4;
    } else {
        look = (HasFocus() || ContainsFocus() ? 1 : 0) + (IsHover() ? 2 : 0);
    }
    SelectLook(mCheckedList && mCheckedList->GetCheckedCount() > 0 ? look + 7 : look);
}

int32_t LCheckedComboBox::OnItemCheckChange(const RCPtr<LNotificationDistributor>&,
                                            const RCPtr<LNotification>& notification) {
    RCPtr<LControl> hold(this);
    const int32_t checked = mCheckedList ? mCheckedList->GetCheckedCount() : 0;
    if (checked == 0 || checked == 1) {
        UpdateLookState();
    }
    // The selected item's flag may be the one that changed.
    const int32_t selected = GetSelectedIndex();
    RCPtr<LControl> checkBox = FindChild(u"checkBox");
    if (checkBox && mCheckedList && selected >= 0 && selected < mCheckedList->GetItemCount()) {
        checkBox->SetNormalizedValue(mCheckedList->IsItemChecked(selected) ? 1.0 : 0.0);
    }
    LNotificationDistributor::Notify(
        LNotification::Create(u"NID_ITEM_CHECK_CHANGE", notification ? notification->GetParam() : nullptr));
    return 1;
}

}  // namespace QV
