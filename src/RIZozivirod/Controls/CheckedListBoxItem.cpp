#include "RIZozivirod/Controls/CheckedListBoxItem.h"

#include "RIZozivirod/Utilities/Graphics/Bitmap.h"

namespace QV {

LCheckedListBoxItem::LCheckedListBoxItem(const RCPtr<LControl>& parent, const WString& name)
    : LListBoxItem(parent, name) {}

LCheckedListBoxItem::~LCheckedListBoxItem() {
    mItemHandler = nullptr;
}

int32_t LCheckedListBoxItem::Initialize() {
    const int32_t result = LListBoxItem::Initialize();
    if (result < 0) {
        return result;
    }
    mItemHandler = LNotificationHandler<LCheckedListBoxItem>::Create(this);
    RCPtr<LButton> checkBox = GetCheckBox();
    QV_CHECK_NULL(checkBox.Get(), "checkBox");
    mItemHandler->AddHandler(&LCheckedListBoxItem::OnCheckBoxHoverChange,
                             RCPtr<LNotificationDistributor>(checkBox), u"NID_HOVER_CONDITION_CHANGE", 0);
    // The check box never takes the focus and shows the row's tool tip.
    checkBox->SetNotFocusable(true);
    checkBox->SetUseParentToolTip(true);
    return result;
}

void LCheckedListBoxItem::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                              const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mItemHandler && mItemHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    DeliverToControlHandler(sender, notification);
}

int32_t LCheckedListBoxItem::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                       const WChar* name) {
    if (mItemHandler) {
        mItemHandler->RemoveHandler(distributor, name);
    }
    return LListBoxItem::UnregisterForNotification(distributor, name);
}

bool LCheckedListBoxItem::SetLookStateWithParts(int32_t look, int32_t) {
    return SetLookWeight(look, 1.0f, true) >= 0;
}

RCPtr<LButton> LCheckedListBoxItem::GetCheckBox() const {
    RCPtr<LControl> child = FindChild(WString(u"checkBox"));
    return RCPtr<LButton>(dynamic_cast<LButton*>(child.Get()));
}

int32_t LCheckedListBoxItem::SelectCheckBoxLook(int32_t look, int32_t) {
    if (!IsCreated()) {
        return 1;
    }
    RCPtr<LButton> checkBox = GetCheckBox();
    return checkBox ? checkBox->SelectLook(look) : 1;
}

void LCheckedListBoxItem::ShowCheckBox(bool show) {
    if (RCPtr<LButton> checkBox = GetCheckBox()) {
        checkBox->SetVisible(show);
    }
}

int32_t LCheckedListBoxItem::SetCheckBoxImage(const RCPtr<LBitmap>& bitmap) {
    RCPtr<LButton> checkBox = GetCheckBox();
    if (!checkBox) {
        return S_OK;
    }
    for (int32_t look = static_cast<int32_t>(checkBox->GetLookCount()) - 1; look >= 0; --look) {
        checkBox->SetLookImage(bitmap, 0, look, 1);
    }
    return S_OK;
}

void LCheckedListBoxItem::SetCheckBoxValue(bool checked) {
    if (RCPtr<LButton> checkBox = GetCheckBox()) {
        checkBox->SetNormalizedValue(checked ? 1.0 : 0.0);
    }
}

int32_t LCheckedListBoxItem::OnCheckBoxHoverChange(const RCPtr<LNotificationDistributor>&,
                                                   const RCPtr<LNotification>& notification) {
    auto* param = notification ? dynamic_cast<LConditionsParam*>(notification->GetParam().Get()) : nullptr;
    if (param != nullptr) {
        SetHighlighted((param->current & kHover) != 0 && (param->previous & kHover) == 0);
    }
    return S_OK;
}

}  // namespace QV
