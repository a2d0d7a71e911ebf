#include "RIZozivirod/Controls/TreeView.h"

#include <algorithm>

#include "RIZozivirod/Controls/Button.h"

namespace QV {

LTreeViewItem::LTreeViewItem(const RCPtr<LControl>& parent, const WString& name)
    : LCheckedListBoxItem(parent, name) {}

LTreeViewItem::~LTreeViewItem() = default;

int32_t LTreeViewItem::SetIndent(int32_t depth) {
    RCPtr<LControl> checkBox = FindChild(u"checkBox");
    if (!checkBox) {
        return E_FAIL;
    }
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    GetPlacement(0, placement, size);
    placement.offset = depth * checkBox->GetFrame().width;
    return SetPlacement(0, placement, size);
}

LTreeView::LTreeView(const RCPtr<LControl>& parent, const WString& name) : LCheckedListBox(parent, name) {}

LTreeView::~LTreeView() = default;

void LTreeView::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                    const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mTreeHandler && mTreeHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    LCheckedListBox::ReceiveNotification(sender, notification);
}

int32_t LTreeView::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                             const WChar* name) {
    if (mTreeHandler) {
        mTreeHandler->RemoveHandler(distributor, name);
    }
    return LCheckedListBox::UnregisterForNotification(distributor, name);
}

void LTreeView::OnIdleTick() {
    EndIdleWork();
}

int32_t LTreeView::Initialize() {
    const int32_t result = LCheckedListBox::Initialize();
    mTreeHandler = LNotificationHandler<LTreeView>::Create(this);
    // Rows made before the tree's own table existed get their expand boxes bound now.
    for (int32_t slot = 0; slot < GetItemControlCount(); ++slot) {
        RCPtr<LTreeViewItem> item = GetItemControl(slot);
        RCPtr<LButton> checkBox = item ? item->GetCheckBox() : nullptr;
        if (checkBox) {
            const RCPtr<LNotificationDistributor> source(checkBox);
            mTreeHandler->AddHandler(&LTreeView::OnTreeCheckBoxValueChanged, source, u"NID_VALUE_CHANGE", 0);
            mTreeHandler->AddHandler(&LTreeView::OnTreeCheckBoxClicked, source, u"NID_LEFT_CLICK", 0);
        }
    }
    return result;
}

int32_t LTreeView::GetItemCount() {
    return static_cast<int32_t>(mNodes.size());
}

int32_t LTreeView::SetItemCount(int32_t count) {
    const int32_t result = LCheckedListBox::SetItemCount(count);
    mNodes.resize(static_cast<size_t>(ItemCount()));
    return result;
}

LTreeView::NodeRecord* LTreeView::GetNodeRecord(int32_t item) {
    return &mNodes[static_cast<size_t>(item)];
}

int32_t LTreeView::InsertItemRecord(int32_t index) {
    LCheckedListBox::InsertItemRecord(index);
    // Rows below move down by one: their parents' rows with them.
    for (NodeRecord& node : mNodes) {
        if (node.Parent >= index) {
            ++node.Parent;
        }
    }
    mNodes.insert(mNodes.begin() + index, NodeRecord{});
    return S_OK;
}

int32_t LTreeView::RemoveItemRecord(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(mNodes.size())) {
        return E_INVALIDARG;
    }
    LCheckedListBox::RemoveItemRecord(index);
    mNodes.erase(mNodes.begin() + index);
    for (NodeRecord& node : mNodes) {
        if (node.Parent > index) {
            --node.Parent;
        } else if (node.Parent == index) {
            node.Parent = -1;
        }
    }
    return S_OK;
}

int32_t LTreeView::RemoveItem(int32_t index) {
    if (index < 0 || index >= GetItemCount()) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold(this);
    // The subtree goes with its root, the deepest rows first.
    for (int32_t row = index + GetDescendantCount(index); row > index; --row) {
        LCheckedListBox::RemoveItem(row);
    }
    return LCheckedListBox::RemoveItem(index);
}

bool LTreeView::SortAll() {
    return false;
}

int32_t LTreeView::SwapItems(int32_t a, int32_t b) {
    LCheckedListBox::SwapItems(a, b);
    std::swap(mNodes[static_cast<size_t>(a)], mNodes[static_cast<size_t>(b)]);
    return S_OK;
}

int32_t LTreeView::GetParentIndex(int32_t item) {
    return item >= 0 && item < GetItemCount() ? mNodes[static_cast<size_t>(item)].Parent : -1;
}

bool LTreeView::IsAncestorOf(int32_t ancestor, int32_t item) {
    const int32_t count = GetItemCount();
    if (ancestor < 0 || ancestor >= count || item < 0 || item >= count) {
        return false;
    }
    int32_t row = GetParentIndex(item);
    for (int32_t steps = 0; row >= 0 && steps < count; ++steps) {
        if (row == ancestor) {
            return true;
        }
        row = GetParentIndex(row);
    }
    return false;
}

int32_t LTreeView::GetDepth(int32_t item) {
    const int32_t count = GetItemCount();
    if (item < 0 || item >= count) {
        return 0;
    }
    int32_t depth = 0;
    for (int32_t row = GetParentIndex(item); row >= 0 && depth < count; row = GetParentIndex(row)) {
        ++depth;
    }
    return depth;
}

int32_t LTreeView::GetDescendantCount(int32_t item) {
    const int32_t count = GetItemCount();
    if (item < 0 || item >= count) {
        return 0;
    }
    const int32_t depth = GetDepth(item);
    int32_t row = item + 1;
    while (row < count && GetDepth(row) > depth) {
        ++row;
    }
    return row - item - 1;
}

void LTreeView::UpdateSubtreeVisibility(int32_t item) {
    const int32_t count = GetItemCount();
    for (int32_t row = item + 1; row < count && IsAncestorOf(item, row); ++row) {
        bool shown = true;
        int32_t up = GetParentIndex(row);
        for (int32_t steps = 0; up >= 0 && steps < count; ++steps) {
            if (!GetCheckRecord(up)->Checked) {
                shown = false;
                break;
            }
            up = GetParentIndex(up);
        }
        SetItemHidden(row, !shown);
    }
}

RCPtr<LTreeViewItem> LTreeView::GetItemControl(int32_t slot) {
    RCPtr<LCheckedListBoxItem> item = LCheckedListBox::GetItemControl(slot);
    return RCPtr<LTreeViewItem>(dynamic_cast<LTreeViewItem*>(item.Get()));
}

int32_t LTreeView::CreateItemControl() {
    const int32_t result = LCheckedListBox::CreateItemControl();
    if (result < 0 || !mTreeHandler) {
        return result;
    }
    RCPtr<LCheckedListBoxItem> item = LCheckedListBox::GetItemControl(GetItemControlCount() - 1);
    RCPtr<LButton> checkBox = item ? item->GetCheckBox() : nullptr;
    if (checkBox) {
        const RCPtr<LNotificationDistributor> source(checkBox);
        mTreeHandler->AddHandler(&LTreeView::OnTreeCheckBoxValueChanged, source, u"NID_VALUE_CHANGE", 0);
        mTreeHandler->AddHandler(&LTreeView::OnTreeCheckBoxClicked, source, u"NID_LEFT_CLICK", 0);
    }
    return result;
}

int32_t LTreeView::BindItemControl(int32_t index, int32_t& slot) {
    mBinding = true;
    const int32_t result = LCheckedListBox::BindItemControl(index, slot);
    if (result >= 0 && slot >= 0 && index >= 0 && index < GetItemCount() && IsShownItem(index)) {
        RCPtr<LTreeViewItem> item = GetItemControl(slot);
        RCPtr<LButton> checkBox = item ? item->GetCheckBox() : nullptr;
        if (checkBox) {
            checkBox->SetEnabled(GetDescendantCount(index) != 0);
            item->SetIndent(GetDepth(index));
        }
    }
    mBinding = false;
    return result;
}

int32_t LTreeView::OnTreeCheckBoxClicked(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>&) {
    // A box that toggles itself reports through its value change instead.
    return GetCheckBoxAutoValueSet() ? 1 : ExpandBoxChanged(source, false);
}

int32_t LTreeView::OnTreeCheckBoxValueChanged(const RCPtr<LNotificationDistributor>& source,
                                              const RCPtr<LNotification>&) {
    return GetCheckBoxAutoValueSet() ? ExpandBoxChanged(source, true) : 1;
}

int32_t LTreeView::ExpandBoxChanged(const RCPtr<LNotificationDistributor>& source, bool valueChange) {
    auto* checkBox = dynamic_cast<LControl*>(source.Get());
    if (mBinding || checkBox == nullptr) {
        return 1;
    }
    const int32_t row = IndexOfItemControl(checkBox->GetParent());
    if (row < 0 || row >= GetItemCount()) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const double value = checkBox->GetNormalizedValue();
    RCPtr<LIndexedDataWithValueParam> param(new LIndexedDataWithValueParam(nullptr, row, value));
    const bool expanded = value >= 0.5;
    if (GetCheckRecord(row)->Checked != expanded) {
        GetCheckRecord(row)->Checked = expanded;
        CheckedCount += expanded ? 1 : -1;
    }
    UpdateSubtreeVisibility(row);
    RebindFrom(row);
    UpdateClientExtent();
    SelectRange(row, row, !MultipleSelection);
    LNotificationDistributor::Notify(
        LNotification::Create(valueChange ? u"NID_ITEM_CHECK_CHANGE" : u"NID_ITEM_CHECKBOX_CLICKED",
                              RCPtr<LRefCountedObject>(param.Get())));
    return 1;
}

void LTreeView::ExpandItem(int32_t index) {
    if (index < 0 || index >= GetItemCount()) {
        return;
    }
    RCPtr<LControl> hold(this);
    const int32_t slot = IsShownItem(index) ? ControlSlotOfItem(index) : -1;
    RCPtr<LTreeViewItem> item = slot >= 0 ? GetItemControl(slot) : nullptr;
    RCPtr<LButton> checkBox = item ? item->GetCheckBox() : nullptr;
    if (checkBox && GetCheckBoxAutoValueSet()) {
        checkBox->SetNormalizedValue(1.0);
        return;
    }
    SetItemChecked(index, true);
    UpdateSubtreeVisibility(index);
    RebindFrom(index);
    UpdateClientExtent();
}

int32_t LTreeView::MoveSubtree(int32_t item, int32_t newParent) {
    const int32_t count = GetItemCount();
    if (newParent < 0) {
        newParent = -1;
    }
    if (item <= 0 || item >= count || item == newParent || GetParentIndex(item) == newParent ||
        newParent >= count) {
        return item;
    }
    RCPtr<LControl> hold(this);
    const int32_t original = item;
    // Down below the new parent; every walk here takes at most one step per row.
    for (int32_t steps = 0; newParent >= 0 && item < newParent && item + 1 < count && steps < count;
         ++steps) {
        SwapItems(item, item + 1);
        if (newParent == item + 1) {
            newParent = item;
        }
        ++item;
    }
    // Then up until the row before it lies in the new parent's subtree (the whole tree for the
    // top level).
    bool movedUp = false;
    for (int32_t steps = 0; newParent >= 0 && item > 0 && steps < count; ++steps) {
        const int32_t before = item - 1;
        if (before == newParent || IsAncestorOf(newParent, before)) {
            break;
        }
        SwapItems(before, item);
        if (newParent == before) {
            newParent = item;
        }
        --item;
        movedUp = true;
    }
    GetNodeRecord(item)->Parent = newParent;
    if (newParent >= 0) {
        if (GetDescendantCount(newParent) != 0) {
            ExpandItem(newParent);
        }
        UpdateSubtreeVisibility(newParent);
    } else if (GetItemRecord(item)->IsHidden != 0) {
        SetItemHidden(item, false);
    }
    RebindFrom(std::max(0, (movedUp ? item : original) - 1));
    UpdateClientExtent();
    return item;
}

}  // namespace QV
