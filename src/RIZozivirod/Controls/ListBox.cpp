#include "RIZozivirod/Controls/ListBox.h"

#include <algorithm>

#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

// "ITEM." numbers above this are not list items: a string table typo must not make a list of
// millions of empty rows.
constexpr int32_t kListBoxMaxStringTableItem = 1024;

}  // namespace

LListBox::LListBox(const RCPtr<LControl>& parent, const WString& name) : LScrollView(parent, name) {}

LListBox::~LListBox() = default;

void LListBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                   const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mListHandler && mListHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    DeliverToViewHandlers(sender, notification);
}

int32_t LListBox::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                            const WChar* name) {
    if (mListHandler) {
        mListHandler->RemoveHandler(distributor, name);
    }
    return LScrollView::UnregisterForNotification(distributor, name);
}

RCPtr<LTaggableObject> LListBox::CreateItemString(const WString& text) {
    return RCPtr<LTaggableObject>(LItemString::Create(WString(text.GetString())).Get());
}

int32_t LListBox::GetItemCount() {
    return ItemCount();
}

LListBox::ItemRecord* LListBox::GetItemRecord(int32_t index) {
    return &mRecords[static_cast<size_t>(index)];
}

int32_t LListBox::InsertItemRecord(int32_t index) {
    mRecords.insert(mRecords.begin() + index, ItemRecord{});
    return S_OK;
}

int32_t LListBox::RemoveItemRecord(int32_t index) {
    mRecords.erase(mRecords.begin() + index);
    return S_OK;
}

int32_t LListBox::SwapItems(int32_t a, int32_t b) {
    std::swap(mRecords[static_cast<size_t>(a)], mRecords[static_cast<size_t>(b)]);
    return S_OK;
}

bool LListBox::IsItemSelectable(int32_t) {
    return true;
}

void LListBox::OnSelectionChanged() {}

void LListBox::OnItemActivated() {}

int32_t LListBox::GetContentHeight() {
    return CountShownItems(0, ItemCount()) * ItemHeight;
}

int32_t LListBox::CountShownItems(int32_t begin, int32_t end) const {
    int32_t count = 0;
    for (int32_t i = std::max(begin, 0); i < end; ++i) {
        if (IsShownItem(i)) {
            ++count;
        }
    }
    return count;
}

int32_t LListBox::SetItemCount(int32_t count) {
    const int32_t before = ItemCount();
    if (count == before) {
        return count;
    }
    count = std::max(count, 0);
    RCPtr<LControl> hold(this);
    const bool batch = BatchUpdate;
    BatchUpdate = true;
    if (count > before) {
        // Records alone: the rows are bound once below, not once per new item.
        mRecords.resize(static_cast<size_t>(count));
        FillItemControls();
        RebindFrom(std::max(before, FirstShownRow));
    } else {
        while (ItemCount() > count) {
            if (RemoveItem(ItemCount() - 1) < 0) {
                break;
            }
        }
    }
    BatchUpdate = batch;
    UpdateClientExtent();
    RecomputeMaxItemWidth();
    if (DropDownMode) {
        FitHeightToContent(GetContentHeight());
    }
    const int32_t reached = ItemCount();
    return reached == count ? count : -reached;
}

void LListBox::AdjustAfterRemoval(int32_t index) {
    if (CurrentIndex > index) {
        if (AnchorIndex > index) {
            --AnchorIndex;
            --CurrentIndex;
        } else {
            AnchorIndex = CurrentIndex = -1;
        }
    } else if (AnchorIndex > index) {
        AnchorIndex = CurrentIndex = -1;
    }
}

int32_t LListBox::RemoveItem(int32_t index) {
    if (index < 0 || index >= ItemCount()) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold(this);
    const int32_t width = BatchUpdate ? 0 : MeasureItemWidth(index);
    DeselectItem(index);
    if (GetItemRecord(index)->IsHidden != 0) {
        --mHiddenCount;
    }
    RemoveItemRecord(index);
    AdjustAfterRemoval(index);
    FillItemControls();
    RebindFrom(index);
    if (!BatchUpdate && width == WidestItemWidth) {
        RecomputeMaxItemWidth();
    }
    if (DropDownMode) {
        FitHeightToContent(GetContentHeight());
    }
    if (ItemCount() > 0) {
        EnsureItemVisible(std::min(FirstShownRow, ItemCount() - 1));
    }
    return ItemCount();
}

int32_t LListBox::RemoveAllItems() {
    if (ItemCount() == 0) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    int32_t result = S_OK;
    for (int32_t i = ItemCount() - 1; i >= 0; --i) {
        if (RemoveItem(i) < 0) {
            result = E_FAIL;
            break;
        }
    }
    AnchorIndex = CurrentIndex = -1;
    return result;
}

bool LListBox::SortAll() {
    return SortItems(0, ItemCount()) >= 0;
}

int32_t LListBox::SetItemHidden(int32_t index, bool hidden) {
    if (index < 0 || index >= ItemCount()) {
        return E_INVALIDARG;
    }
    ItemRecord* record = GetItemRecord(index);
    if ((record->IsHidden != 0) == hidden) {
        return 1;
    }
    record->IsHidden = hidden ? 1 : 0;
    mHiddenCount += hidden ? 1 : -1;
    if (hidden) {
        DeselectItem(index);
        if (index == FirstShownRow) {
            FirstShownRow = ItemCount();
            EnsureItemVisible(index);
        }
    }
    return S_OK;
}

int32_t LListBox::InsertItem(int32_t index, const RCPtr<LTaggableObject>& data) {
    RCPtr<LControl> hold(this);
    InsertItemRecord(index);
    GetItemRecord(index)->Data = data;
    // The selection follows its items down.
    if (AnchorIndex >= index) {
        ++AnchorIndex;
    }
    if (CurrentIndex >= index) {
        ++CurrentIndex;
    }
    FillItemControls();
    RebindFrom(index);
    UpdateClientExtent();
    if (!BatchUpdate) {
        const int32_t width = MeasureItemWidth(index);
        if (width > WidestItemWidth) {
            SetMaxItemWidth(width);
        }
    }
    if (DropDownMode) {
        FitHeightToContent(GetContentHeight());
    }
    if (KeepSorted) {
        SortAll();
    }
    return index;
}

int32_t LListBox::SetItemData(int32_t index, const RCPtr<LTaggableObject>& data) {
    if (index < 0 || index >= ItemCount()) {
        return S_OK;
    }
    const bool measure = !BatchUpdate;
    const int32_t oldWidth = measure ? MeasureItemWidth(index) : 0;
    GetItemRecord(index)->Data = data;
    RefreshItem(index);
    if (measure) {
        if (oldWidth == WidestItemWidth) {
            RecomputeMaxItemWidth();
        } else {
            const int32_t width = MeasureItemWidth(index);
            if (width > WidestItemWidth) {
                SetMaxItemWidth(width);
            }
        }
    }
    return S_OK;
}

const RCPtr<LTaggableObject>& LListBox::GetItemData(int32_t index) {
    static const auto* const empty = new RCPtr<LTaggableObject>();
    if (index < 0 || index >= ItemCount()) {
        return *empty;
    }
    return GetItemRecord(index)->Data;
}

WString LListBox::GetItemText(int32_t index) {
    if (index < 0 || index >= ItemCount()) {
        return WString();
    }
    const RCPtr<LTaggableObject>& data = GetItemRecord(index)->Data;
    return data ? data->ToString() : WString();
}

int32_t LListBox::SetItem(int32_t index, const RCPtr<LTaggableObject>& data, double value, bool alternate,
                          bool separator) {
    if (index < 0 || index >= ItemCount()) {
        return S_OK;
    }
    ItemRecord* record = GetItemRecord(index);
    const bool was = record->Value >= 0.5;
    const bool now = value >= 0.5;
    if (was != now) {
        SelectedCount += now ? 1 : -1;
    }
    record->Data = data;
    record->Value = value;
    record->AlternateLook = alternate ? 1 : 0;
    record->IsSeparator = separator ? 1 : 0;
    RefreshItem(index);
    return S_OK;
}

int32_t LListBox::SetItemSeparator(int32_t index, bool separator) {
    if (index < 0 || index >= ItemCount()) {
        return S_OK;
    }
    GetItemRecord(index)->IsSeparator = separator ? 1 : 0;
    int32_t slot = -1;
    BindItemControl(index, slot);
    return 1;
}

int32_t LListBox::SetItemAlternateLook(int32_t index, bool alternate) {
    if (index < 0 || index >= ItemCount()) {
        return S_OK;
    }
    GetItemRecord(index)->AlternateLook = alternate ? 1 : 0;
    int32_t slot = -1;
    BindItemControl(index, slot);
    return 1;
}

bool LListBox::GetItemAlternateLook(int32_t index) {
    return index >= 0 && index < ItemCount() && GetItemRecord(index)->AlternateLook != 0;
}

int32_t LListBox::RefreshItem(int32_t index) {
    const int32_t slot = ControlSlotOfItem(index);
    if (slot >= 0) {
        if (RCPtr<LListBoxItem> item = GetItemControl(slot)) {
            item->SetText(GetItemText(index));
        }
        int32_t bound = -1;
        BindItemControl(index, bound);
    }
    if (DropDownMode) {
        UpdateClientExtent();
        FitHeightToContent(GetContentHeight());
    }
    return S_OK;
}

namespace {

bool ListBoxTextsMatch(const WString& itemText, const WString& text, bool caseSensitive) {
    if (itemText.GetString() == text.GetString()) {
        return true;
    }
    return caseSensitive ? itemText == text
                         : Text::CompareNoCase(itemText.GetString(), text.GetString()) == 0;
}

}  // namespace

int32_t LListBox::FindItemByText(const WString& text, bool caseSensitive) {
    for (int32_t i = ItemCount() - 1; i >= 0; --i) {
        const RCPtr<LTaggableObject>& data = GetItemRecord(i)->Data;
        if (data && ListBoxTextsMatch(data->ToString(), text, caseSensitive)) {
            return i;
        }
    }
    return -1;
}

int32_t LListBox::LoadItemsFromStringTable(const RCPtr<LStringTable>& table) {
    if (!table) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold(this);
    RemoveAllItems();
    Array<LStringTable::Entry> entries;
    table->GetEntriesWithPrefix(WString(u"ITEM."), entries);
    std::vector<WString> texts;
    for (uint32_t i = 0; i < entries.GetCount(); ++i) {
        const LStringTable::Entry& entry = entries.GetAt(i);
        const WString& id = entry.first;
        // A negative number, or one past the largest list a skin may fill from its table, is
        // no item: it would write before the list or allocate millions of empty rows.
        const int32_t number = Text::ToInt(id.GetString() + 5);
        if (number < 0 || number >= kListBoxMaxStringTableItem) {
            continue;
        }
        if (static_cast<size_t>(number) >= texts.size()) {
            texts.resize(static_cast<size_t>(number) + 1);
        }
        texts[static_cast<size_t>(number)] = entry.second;
    }
    const bool batch = BatchUpdate;
    BatchUpdate = true;
    SetItemCount(static_cast<int32_t>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) {
        SetItemData(static_cast<int32_t>(i), CreateItemString(texts[i]));
    }
    BatchUpdate = batch;
    UpdateClientExtent();
    RecomputeMaxItemWidth();
    if (DropDownMode) {
        FitHeightToContent(GetContentHeight());
    }
    return S_OK;
}

}  // namespace QV
