#include "RIZozivirod/Controls/CheckedListBox.h"

#include <string>
#include <typeinfo>

#include "RIZozivirod/ControlBase/Look.h"
#include "RIZozivirod/ControlBase/LookDescriptor.h"
#include "RIZozivirod/ControlBase/VisualPart.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"

namespace QV {

LCheckedListBox::LCheckedListBox(const RCPtr<LControl>& parent, const WString& name)
    : LListBox(parent, name) {}

LCheckedListBox::~LCheckedListBox() {
    Icons.clear();
    mCheckRecords.clear();
    mCheckedHandler = nullptr;
}

int32_t LCheckedListBox::Initialize() {
    // The list box may insert its fixed rows' records during its own set-up.
    mCheckedHandler = LNotificationHandler<LCheckedListBox>::Create(this);
    const int32_t result = LListBox::Initialize();
    if (result < 0) {
        return result;
    }
    // Only a plain checked list takes an icon strip: the popup menu and the tree view use their
    // fourth look for themselves.
    if (ClassName(typeid(*this)).find("LCheckedListBox") != std::string::npos && GetLookCount() >= 4 &&
        GetLook(3) != nullptr) {
        if (const RCPtr<LLookDescriptor>& look = GetLook(3)->GetDescriptor()) {
            for (uint32_t i = 0; i < look->nonClientParts.GetCount(); ++i) {
                const RCPtr<LDockedPart>& docked = look->nonClientParts.GetAt(i);
                RCPtr<LVisualPart> part = docked ? docked->GetVisualPart() : nullptr;
                if (part && part->GetBitmap()) {
                    Icons.push_back(part->GetBitmap());
                }
            }
        }
        SetCheckBoxesPassive(true);
        RebindFrom(FirstShownRow);
    }
    return result;
}

void LCheckedListBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                          const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mCheckedHandler && mCheckedHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    LListBox::ReceiveNotification(sender, notification);
}

int32_t LCheckedListBox::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                   const WChar* name) {
    if (mCheckedHandler) {
        mCheckedHandler->RemoveHandler(distributor, name);
    }
    return LListBox::UnregisterForNotification(distributor, name);
}

int32_t LCheckedListBox::SetItemCount(int32_t count) {
    // New records exist before the rows that show them are bound.
    if (count > ItemCount()) {
        mCheckRecords.resize(static_cast<size_t>(count));
    }
    const int32_t result = LListBox::SetItemCount(count);
    CountCheckedItems();
    return result;
}

LCheckedListBox::CheckRecord* LCheckedListBox::GetCheckRecord(int32_t index) {
    return &mCheckRecords[static_cast<size_t>(index)];
}

int32_t LCheckedListBox::InsertItemRecord(int32_t index) {
    LListBox::InsertItemRecord(index);
    mCheckRecords.insert(mCheckRecords.begin() + index, CheckRecord{});
    return S_OK;
}

int32_t LCheckedListBox::RemoveItemRecord(int32_t index) {
    if (mCheckRecords[static_cast<size_t>(index)].Checked) {
        --CheckedCount;
    }
    mCheckRecords.erase(mCheckRecords.begin() + index);
    return LListBox::RemoveItemRecord(index);
}

int32_t LCheckedListBox::SwapItems(int32_t a, int32_t b) {
    LListBox::SwapItems(a, b);
    std::swap(mCheckRecords[static_cast<size_t>(a)], mCheckRecords[static_cast<size_t>(b)]);
    return S_OK;
}

int32_t LCheckedListBox::CountCheckedItems() {
    int32_t count = 0;
    for (size_t i = mCheckRecords.size(); i-- > 0;) {
        if (mCheckRecords[i].Checked) {
            ++count;
        }
    }
    CheckedCount = count;
    return S_OK;
}

void LCheckedListBox::BindCheckBox(const RCPtr<LButton>& checkBox) {
    const RCPtr<LNotificationDistributor> source(checkBox);
    if (CheckBoxAutoValueSet) {
        mCheckedHandler->AddHandler(&LCheckedListBox::OnCheckBoxValueChanged, source, u"NID_VALUE_CHANGE", 0);
    } else {
        mCheckedHandler->AddHandler(&LCheckedListBox::OnCheckBoxClicked, source, u"NID_LEFT_CLICK", 0);
    }
}

int32_t LCheckedListBox::CreateItemControl() {
    const int32_t result = LListBox::CreateItemControl();
    if (result < 0) {
        return result;
    }
    RCPtr<LCheckedListBoxItem> item = GetItemControl(GetItemControlCount() - 1);
    RCPtr<LButton> checkBox = item ? item->GetCheckBox() : nullptr;
    if (checkBox && mCheckedHandler) {
        checkBox->SetDisplayOnly(CheckBoxesPassive);
        checkBox->SetAutoValueSet(CheckBoxAutoValueSet);
        BindCheckBox(checkBox);
    }
    return result;
}

void LCheckedListBox::SetCheckBoxValueQuietly(LCheckedListBoxItem& item, const RCPtr<LButton>& checkBox,
                                              bool checked) {
    LNotificationHandler<LCheckedListBox>::BoundOperation operation;
    int32_t flags = 0;
    const RCPtr<LNotificationDistributor> source(checkBox);
    if (CheckBoxAutoValueSet && mCheckedHandler &&
        mCheckedHandler->GetHandler(source, u"NID_VALUE_CHANGE", operation, flags) != E_FAIL) {
        CAutoNotificationDisabler<LCheckedListBox> quiet(mCheckedHandler, source, u"NID_VALUE_CHANGE");
        item.SetCheckBoxValue(checked);
    } else {
        item.SetCheckBoxValue(checked);
    }
}

int32_t LCheckedListBox::BindItemControl(int32_t index, int32_t& slot) {
    const int32_t result = LListBox::BindItemControl(index, slot);
    if (result < 0 || slot < 0) {
        return result;
    }
    RCPtr<LCheckedListBoxItem> item = GetItemControl(slot);
    RCPtr<LButton> checkBox = item ? item->GetCheckBox() : nullptr;
    if (!checkBox) {
        return result;
    }
    if (index >= 0 && index < ItemCount() && static_cast<size_t>(index) < mCheckRecords.size()) {
        SetCheckBoxValueQuietly(*item, checkBox, GetCheckRecord(index)->Checked);
        item->SetCheckBoxImage(GetItemIcon(index));
        item->ShowCheckBox(true);
    } else {
        SetCheckBoxValueQuietly(*item, checkBox, false);
        item->SetCheckBoxImage(nullptr);
        item->ShowCheckBox(false);
    }
    return result;
}

void LCheckedListBox::SetItemChecked(int32_t index, bool checked) {
    if (index < 0 || index >= ItemCount() || GetCheckRecord(index)->Checked == checked) {
        return;
    }
    GetCheckRecord(index)->Checked = checked;
    CheckedCount += checked ? 1 : -1;
    int32_t slot = -1;
    BindItemControl(index, slot);
}

bool LCheckedListBox::IsItemChecked(int32_t index) {
    return index >= 0 && index < ItemCount() && GetCheckRecord(index)->Checked;
}

RCPtr<LBitmap> LCheckedListBox::GetItemIcon(int32_t index) {
    if (index < 0 || index >= ItemCount()) {
        return nullptr;
    }
    if (!Icons.empty()) {
        return Icons[static_cast<size_t>(index) % Icons.size()];
    }
    return GetCheckRecord(index)->Icon;
}

void LCheckedListBox::SetCheckBoxesPassive(bool passive) {
    CheckBoxesPassive = passive;
    for (int32_t k = GetItemControlCount() - 1; k >= 0; --k) {
        RCPtr<LCheckedListBoxItem> item = GetItemControl(k);
        if (RCPtr<LButton> checkBox = item ? item->GetCheckBox() : nullptr) {
            checkBox->SetDisplayOnly(passive);
        }
    }
}

RCPtr<LCheckedListBoxItem> LCheckedListBox::GetItemControl(int32_t slot) {
    RCPtr<LListBoxItem> item = LListBox::GetItemControl(slot);
    return RCPtr<LCheckedListBoxItem>(dynamic_cast<LCheckedListBoxItem*>(item.Get()));
}

int32_t LCheckedListBox::SetCheckBoxAutoValueSet(bool autoValueSet) {
    if (autoValueSet == CheckBoxAutoValueSet) {
        return S_OK;
    }
    CheckBoxAutoValueSet = autoValueSet;
    for (int32_t k = GetItemControlCount() - 1; k >= 0; --k) {
        RCPtr<LCheckedListBoxItem> item = GetItemControl(k);
        RCPtr<LButton> checkBox = item ? item->GetCheckBox() : nullptr;
        if (!checkBox) {
            continue;
        }
        checkBox->SetAutoValueSet(autoValueSet);
        const RCPtr<LNotificationDistributor> source(checkBox);
        UnregisterForNotification(source, autoValueSet ? u"NID_LEFT_CLICK" : u"NID_VALUE_CHANGE");
        BindCheckBox(checkBox);
    }
    return S_OK;
}

int32_t LCheckedListBox::ReportCheckBox(const RCPtr<LNotificationDistributor>& source, bool toggled) {
    auto* checkBox = dynamic_cast<LControl*>(source.Get());
    if (checkBox == nullptr) {
        return 1;
    }
    const int32_t index = IndexOfItemControl(checkBox->GetParent());
    if (index < 0 || index >= ItemCount()) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const double value = checkBox->GetNormalizedValue();
    RCPtr<LIndexedDataWithValueParam> param(new LIndexedDataWithValueParam(nullptr, index, value));
    CheckRecord* record = GetCheckRecord(index);
    const bool checked = value >= 0.5;
    // A check box that does not toggle itself still shows its item's flag, so then nothing
    // changes here; the count follows the flag either way.
    if (record->Checked != checked) {
        CheckedCount += checked ? 1 : -1;
    }
    record->Checked = checked;
    SelectRange(index, index, !MultipleSelection);
    LNotificationDistributor::Notify(LNotification::Create(
        toggled ? u"NID_ITEM_CHECK_CHANGE" : u"NID_ITEM_CHECKBOX_CLICKED", RCPtr<LRefCountedObject>(param)));
    return 1;
}

int32_t LCheckedListBox::OnCheckBoxValueChanged(const RCPtr<LNotificationDistributor>& source,
                                                const RCPtr<LNotification>&) {
    return ReportCheckBox(source, true);
}

int32_t LCheckedListBox::OnCheckBoxClicked(const RCPtr<LNotificationDistributor>& source,
                                           const RCPtr<LNotification>&) {
    return ReportCheckBox(source, false);
}

}  // namespace QV
