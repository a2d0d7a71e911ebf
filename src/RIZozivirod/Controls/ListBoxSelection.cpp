// The selection of a list box: SelectRange as the one road by which items become selected,
// clicks and keys, the list's notifications, sorting by text, and the drop-down mode in which
// the list follows the pointer and a release chooses.
#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/ListBox.h"
#include "RIZozivirod/Controls/Scrollbar.h"
#include "RIZozivirod/ObjectBase/Holder.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

constexpr uint32_t kListKeyUp = 0x20260000;
constexpr uint32_t kListKeyShiftUp = 0x22260000;
constexpr uint32_t kListKeyDown = 0x20280000;
constexpr uint32_t kListKeyShiftDown = 0x22280000;
constexpr uint32_t kListKeyLeft = 0x20250000;
constexpr uint32_t kListKeyRight = 0x20270000;
constexpr uint32_t kListKeyPageUp = 0x20210000;
constexpr uint32_t kListKeyPageDown = 0x20220000;
constexpr uint32_t kListKeyHome = 0x20240000;
constexpr uint32_t kListKeyEnd = 0x20230000;
constexpr uint32_t kListKeyReturn = 0x200D0000;

constexpr uint32_t kListMouseCtrl = 0x1;
constexpr uint32_t kListMouseShift = 0x8;

bool ListItemTextMatches(const RCPtr<LTaggableObject>& data, const WString& text, bool caseSensitive) {
    if (!data) {
        return false;
    }
    const WString itemText = data->ToString();
    if (itemText.GetString() == text.GetString()) {
        return true;
    }
    return caseSensitive ? itemText == text
                         : Text::CompareNoCase(itemText.GetString(), text.GetString()) == 0;
}

}  // namespace

int32_t LListBox::SetItemValue(int32_t index, double value) {
    if (index < 0 || index >= ItemCount()) {
        return S_OK;
    }
    ItemRecord* record = GetItemRecord(index);
    const bool was = record->Value >= 0.5;
    const bool now = value >= 0.5;
    if (was != now) {
        SelectedCount += now ? 1 : -1;
    }
    record->Value = value;
    int32_t slot = -1;
    BindItemControl(index, slot);
    return S_OK;
}

double LListBox::GetItemValue(int32_t index) {
    return index >= 0 && index < ItemCount() ? GetItemRecord(index)->Value : 0.0;
}

bool LListBox::IsItemSelected(int32_t index) {
    return index >= 0 && index < ItemCount() && GetItemRecord(index)->Value >= 0.5;
}

const Array<unsigned int>& LListBox::GetSelectedIndices() {
    mSelectedIndices.SetCount(0);
    for (int32_t i = 0; i < ItemCount() && static_cast<int32_t>(mSelectedIndices.GetCount()) < SelectedCount;
         ++i) {
        if (GetItemRecord(i)->Value >= 0.5) {
            mSelectedIndices.Add(static_cast<unsigned int>(i));
        }
    }
    return mSelectedIndices;
}

void LListBox::NotifySelectionChange() {
    RCPtr<LControl> hold(this);
    OnSelectionChanged();
    // A drop-down list reports what the user chose by activation, not every row it passes.
    if (!DropDownMode) {
        LNotificationDistributor::Notify(LNotification::Create(u"NID_SELECTION_CHANGE"));
    }
}

int32_t LListBox::SelectRange(int32_t first, int32_t last, bool exclusive) {
    const int32_t count = ItemCount();
    if (last < 0) {
        last = first;
    }
    if (first < 0 || first >= count) {
        return E_INVALIDARG;
    }
    last = std::min(last, count - 1);
    RCPtr<LControl> hold(this);
    if (first == last && IsItemSelected(first) && (!exclusive || SelectedCount == 1)) {
        EnsureItemVisible(first);
        return first;
    }
    AnchorIndex = first;
    CurrentIndex = last;
    bool changed = false;
    const int32_t low = std::min(first, last);
    const int32_t high = std::max(first, last);
    if (exclusive) {
        // Selected items outside the range are few: stop looking once none is left.
        int32_t outside = SelectedCount;
        for (int32_t i = low; i <= high; ++i) {
            if (IsItemSelected(i)) {
                --outside;
            }
        }
        for (int32_t i = count - 1; i >= 0; --i) {
            const bool inside = i >= low && i <= high;
            if (!inside && outside <= 0) {
                if (i > high) {
                    i = high + 1;
                    continue;
                }
                if (i < low) {
                    break;
                }
            }
            const bool selected = IsItemSelected(i);
            if (!inside && selected) {
                SetItemValue(i, 0.0);
                --outside;
                changed = true;
            } else if (inside && !selected) {
                SetItemValue(i, 1.0);
                changed = true;
            }
        }
    } else {
        const int32_t step = last >= first ? 1 : -1;
        for (CurrentIndex = first; CurrentIndex != last; CurrentIndex += step) {
            if (!IsItemSelected(CurrentIndex)) {
                SetItemValue(CurrentIndex, 1.0);
                changed = true;
            }
        }
        if (!IsItemSelected(last)) {
            SetItemValue(last, 1.0);
            changed = true;
        }
    }
    EnsureItemVisible(CurrentIndex);
    if (changed) {
        NotifySelectionChange();
    }
    return first;
}

int32_t LListBox::DeselectItem(int32_t index) {
    if (!IsItemSelected(index)) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    SetItemValue(index, 0.0);
    if (SelectedCount == 0) {
        AnchorIndex = CurrentIndex = -1;
    } else if (index == CurrentIndex) {
        const bool anchorWasCurrent = AnchorIndex == CurrentIndex;
        if (IsItemSelected(index + 1)) {
            CurrentIndex = index + 1;
        } else if (IsItemSelected(index - 1)) {
            CurrentIndex = index - 1;
        } else {
            if (AnchorIndex < 0 || AnchorIndex >= ItemCount() || AnchorIndex == index) {
                int32_t highest = ItemCount() - 1;
                while (highest >= 0 && !IsItemSelected(highest)) {
                    --highest;
                }
                AnchorIndex = highest;
            }
            CurrentIndex = AnchorIndex;
        }
        if (anchorWasCurrent) {
            AnchorIndex = CurrentIndex;
        }
    } else if (index == AnchorIndex) {
        if (IsItemSelected(index + 1)) {
            AnchorIndex = index + 1;
        } else if (IsItemSelected(index - 1)) {
            AnchorIndex = index - 1;
        } else {
            AnchorIndex = -1;
        }
    }
    NotifySelectionChange();
    return S_OK;
}

int32_t LListBox::DeselectAll() {
    RCPtr<LControl> hold(this);
    bool any = false;
    for (int32_t i = ItemCount() - 1; i >= 0 && SelectedCount > 0; --i) {
        if (IsItemSelected(i)) {
            SetItemValue(i, 0.0);
            any = true;
        }
    }
    AnchorIndex = CurrentIndex = -1;
    if (any) {
        NotifySelectionChange();
    }
    return S_OK;
}

void LListBox::ActivateItem(int32_t index) {
    if (index < 0 || index >= ItemCount() || !IsItemSelectable(index)) {
        return;
    }
    RCPtr<LControl> hold(this);
    OnItemActivated();
    if (DropDownMode) {
        SetVisible(false);
    }
    if (GetParent() != nullptr) {
        LNotificationDistributor::Notify(LNotification::Create(u"NID_ITEM_ACTIVATED"));
    }
}

int32_t LListBox::SelectItemByText(const WString& text, int32_t start, bool caseSensitive) {
    const int32_t count = ItemCount();
    if (start < -1 || start >= count) {
        start = -1;
    }
    // After start first, then round from the top, ending with start itself.
    for (int32_t n = 1; n <= count; ++n) {
        const int32_t i = (start + n) % count;
        if (ListItemTextMatches(GetItemRecord(i)->Data, text, caseSensitive)) {
            return SelectRange(i, -1, true);
        }
    }
    return -1;
}

void LListBox::HandleItemClick(LControl* item, const RCPtr<LMouseButtonParam>& param) {
    const int32_t row = IndexOfItemControl(item);
    if (row < 0 || row >= ItemCount()) {
        return;
    }
    RCPtr<LControl> hold(this);
    const uint32_t modifiers = param ? param->modifiers : 0;
    if (!MultipleSelection || SelectionMode == 1) {
        const bool shift = MultipleSelection && (modifiers & kListMouseShift) != 0;
        const bool ctrl = MultipleSelection && (modifiers & kListMouseCtrl) != 0;
        if (shift && ctrl) {
            AnchorIndex = CurrentIndex = row;
            SelectRange(row, row, false);
        } else if (shift) {
            CurrentIndex = row;
            SelectRange(AnchorIndex >= 0 ? AnchorIndex : row, row, true);
        } else if (ctrl) {
            if (IsItemSelected(row)) {
                DeselectItem(row);
            } else {
                SelectRange(row, row, false);
            }
        } else {
            SelectRange(row, row, true);
        }
    } else if (IsItemSelected(row)) {
        DeselectItem(row);
    } else {
        SelectRange(row, row, false);
    }
    if (param && param->doubleClick) {
        LNotificationDistributor::Notify(LNotification::Create(u"NID_ITEM_DOUBLE_CLICKED"));
    }
}

void LListBox::HandleItemRightClick(LControl* item, const RCPtr<LMouseButtonParam>& param) {
    const int32_t row = IndexOfItemControl(item);
    if (row < 0 || row >= ItemCount() || (param && param->doubleClick)) {
        return;
    }
    LNotificationDistributor::Notify(
        LNotification::Create(u"NID_ITEM_RIGHT_CLICK", RCPtr<LRefCountedObject>(LHolder<int>::Create(row))));
}

int32_t LListBox::OnItemMouseDown(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) {
    auto* item = dynamic_cast<LListBoxItem*>(source.Get());
    auto* param = notification ? dynamic_cast<LMouseButtonParam*>(notification->GetParam().Get()) : nullptr;
    // In drop-down mode the list itself holds the press.
    if (DropDownMode || item == nullptr || param == nullptr) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    if (param->button == 1) {
        const PointT<int32_t> at =
            PointT<double>{item->GetFrame().x + param->x, item->GetFrame().y + param->y}.Round();
        RCPtr<LMouseButtonParam> converted(new LMouseButtonParam(
            at.x, at.y, param->modifiers, param->pointerIndex, 1, param->doubleClick, param->buttonsHeld));
        if (!MultipleSelection) {
            HandleItemClick(item, converted);
        } else {
            const int32_t row = IndexOfItemControl(item);
            if (!IsItemSelected(row)) {
                HandleItemClick(item, converted);
            }
            PendingClickIndex = row;
        }
    } else if (param->button == 4) {
        HandleItemRightClick(item, RCPtr<LMouseButtonParam>(param));
    }
    return 1;
}

int32_t LListBox::OnItemMouseUp(const RCPtr<LNotificationDistributor>& source,
                                const RCPtr<LNotification>& notification) {
    auto* item = dynamic_cast<LListBoxItem*>(source.Get());
    auto* param = notification ? dynamic_cast<LMouseButtonParam*>(notification->GetParam().Get()) : nullptr;
    if (DropDownMode || item == nullptr || param == nullptr || param->button != 1 || !MultipleSelection) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const int32_t row = IndexOfItemControl(item);
    if (IsItemSelected(row) && row != PendingClickIndex) {
        const PointT<int32_t> at =
            PointT<double>{item->GetFrame().x + param->x, item->GetFrame().y + param->y}.Round();
        HandleItemClick(item, RCPtr<LMouseButtonParam>(
                                  new LMouseButtonParam(at.x, at.y, param->modifiers, param->pointerIndex, 1,
                                                        param->doubleClick, param->buttonsHeld)));
    }
    PendingClickIndex = -1;
    return 1;
}

int32_t LListBox::OnItemHoverChange(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification) {
    auto* item = dynamic_cast<LListBoxItem*>(source.Get());
    auto* param = notification ? dynamic_cast<LConditionsParam*>(notification->GetParam().Get()) : nullptr;
    if (item == nullptr || param == nullptr || !item->IsEnabled(true)) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    // The parameter is the item's own and is refilled by its next change: keep the bits.
    const uint32_t previous = param->previous;
    const uint32_t current = param->current;
    const PointT<double> origin = param->origin;
    int32_t row = IndexOfItemControl(item);
    if (row >= ItemCount()) {
        row = -1;
    }
    if (DropDownMode && (current & kHoverOrHighlighted) != 0 && (previous & kHoverOrHighlighted) == 0 &&
        row >= 0) {
        SelectRange(row, -1, true);
    }
    LNotificationDistributor::Notify(
        LNotification::Create(u"NID_ITEM_HOVER_CONDITION_CHANGE",
                              LItemConditionsParam::Create(row, item->GetCurrentLookIndex(), item->IsHover(),
                                                           previous, current, origin)));
    return 1;
}

int32_t LListBox::OnItemLeftDragChange(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification) {
    auto* item = dynamic_cast<LListBoxItem*>(source.Get());
    auto* param = notification ? dynamic_cast<LConditionsParam*>(notification->GetParam().Get()) : nullptr;
    if (item == nullptr || param == nullptr || !item->IsEnabled(true)) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    int32_t row = IndexOfItemControl(item);
    if (row >= ItemCount()) {
        row = -1;
    }
    LNotificationDistributor::Notify(
        LNotification::Create(u"NID_ITEM_LEFT_DRAG_CONDITION_CHANGE",
                              LItemConditionsParam::Create(row, item->GetCurrentLookIndex(), item->IsHover(),
                                                           param->previous, param->current, param->origin)));
    return 1;
}

int32_t LListBox::NextSelectable(int32_t from, int32_t step) {
    for (int32_t i = from; i >= 0 && i < ItemCount(); i += step) {
        if (IsShownItem(i) && IsItemSelectable(i)) {
            return i;
        }
    }
    return -1;
}

void LListBox::PassKeyToBar(const RCPtr<LControl>& bar, const RCPtr<LKeyParam>& param) {
    if (!bar) {
        return;
    }
    RCPtr<LSiblingKeyParam> sibling = LSiblingKeyParam::Create(param->key, RCPtr<LControl>(this));
    bar->ReceiveNotification(nullptr, LNotification::Create(u"NID_SIBLING_KEY", sibling));
}

int32_t LListBox::HandleKeyDown(const RCPtr<LKeyParam>& param) {
    if (!param) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const uint32_t code = param->key.GetCode();
    switch (code) {
        case kListKeyUp:
        case kListKeyShiftUp:
        case kListKeyDown:
        case kListKeyShiftDown: {
            const bool up = code == kListKeyUp || code == kListKeyShiftUp;
            int32_t target = -1;
            if (up) {
                target = CurrentIndex > 0 ? NextSelectable(CurrentIndex - 1, -1) : -1;
            } else {
                target = NextSelectable(CurrentIndex < 0 ? 0 : CurrentIndex + 1, 1);
            }
            if (target >= 0) {
                const bool shift = code == kListKeyShiftUp || code == kListKeyShiftDown;
                if (shift && MultipleSelection) {
                    SelectRange(AnchorIndex >= 0 ? AnchorIndex : target, target, false);
                } else {
                    SelectRange(target, -1, true);
                }
            }
            return S_OK;
        }
        case kListKeyLeft:
        case kListKeyRight:
            PassKeyToBar(RCPtr<LControl>(GetHorizontalBar()), param);
            return S_OK;
        case kListKeyPageUp:
        case kListKeyPageDown:
            PassKeyToBar(RCPtr<LControl>(GetVerticalBar()), param);
            return S_OK;
        case kListKeyHome:
        case kListKeyEnd:
            PassKeyToBar(RCPtr<LControl>(GetHorizontalBar()), param);
            PassKeyToBar(RCPtr<LControl>(GetVerticalBar()), param);
            return S_OK;
        default:
            break;
    }
    if (param->key == KeyCode(0x0D, true, 0, 0) || code == kListKeyReturn) {
        if (CurrentIndex >= 0) {
            ActivateItem(CurrentIndex);
        }
        return S_OK;
    }
    return 1;
}

void LListBox::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LScrollView::OnConditionsChanged(param);
    if (!param || ((param->previous ^ param->current) & (kEnabled | kHasFocus)) == 0) {
        return;
    }
    int32_t look = !IsEnabled(true) ? 1 : HasFocus() ? 2 : 0;
    if (static_cast<uint32_t>(look) >= GetLookCount()) {
        look = 0;
    }
    SelectLook(look);
}

namespace {

struct ListSortEntry {
    int32_t original;
    WString text;
};

int ListCompareItemTexts(const void* a, const void* b) {
    const auto* left = static_cast<const ListSortEntry*>(a);
    const auto* right = static_cast<const ListSortEntry*>(b);
    if (left->text.GetString() == right->text.GetString()) {
        return 0;
    }
    return Text::CompareNoCase(left->text.GetString(), right->text.GetString());
}

}  // namespace

int32_t LListBox::SortItems(int32_t start, int32_t count) {
    if (count == 0) {
        return 1;
    }
    if (start < 0 || count < 0 || static_cast<int64_t>(start) + count > ItemCount()) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold(this);
    std::vector<ListSortEntry> entries(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        entries[static_cast<size_t>(i)].original = start + i;
        const RCPtr<LTaggableObject>& data = GetItemRecord(start + i)->Data;
        if (data) {
            entries[static_cast<size_t>(i)].text = data->ToString();
        }
    }
    // A stable order: items of equal text keep their order, so sorting twice changes nothing.
    std::stable_sort(entries.begin(), entries.end(), [](const ListSortEntry& a, const ListSortEntry& b) {
        return ListCompareItemTexts(&a, &b) < 0;
    });
    // The anchor and the current item follow their items.
    std::vector<int32_t> newPosition(static_cast<size_t>(count));
    for (int32_t p = 0; p < count; ++p) {
        newPosition[static_cast<size_t>(entries[static_cast<size_t>(p)].original - start)] = start + p;
    }
    if (AnchorIndex >= start && AnchorIndex < start + count) {
        AnchorIndex = newPosition[static_cast<size_t>(AnchorIndex - start)];
    }
    if (CurrentIndex >= start && CurrentIndex < start + count) {
        CurrentIndex = newPosition[static_cast<size_t>(CurrentIndex - start)];
    }
    // Permute in place by swaps: where[i] is the position now holding original item i.
    std::vector<int32_t> where(static_cast<size_t>(count));
    std::vector<int32_t> holder(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        where[static_cast<size_t>(i)] = i;
        holder[static_cast<size_t>(i)] = i;
    }
    for (int32_t p = 0; p < count; ++p) {
        const int32_t wanted = entries[static_cast<size_t>(p)].original - start;
        const int32_t from = where[static_cast<size_t>(wanted)];
        if (from != p) {
            SwapItems(start + p, start + from);
            const int32_t displaced = holder[static_cast<size_t>(p)];
            holder[static_cast<size_t>(from)] = displaced;
            where[static_cast<size_t>(displaced)] = from;
            holder[static_cast<size_t>(p)] = wanted;
            where[static_cast<size_t>(wanted)] = p;
        }
    }
    RebindFrom(FirstShownRow);
    if (CurrentIndex >= 0) {
        EnsureItemVisible(CurrentIndex);
    }
    return S_OK;
}

int32_t LListBox::SetDropDownMode(bool dropDown) {
    for (int32_t k = GetItemControlCount() - 1; k >= 0; --k) {
        if (RCPtr<LListBoxItem> item = GetItemControl(k)) {
            item->DropDownMode = dropDown;
        }
    }
    DropDownMode = dropDown;
    return S_OK;
}

int32_t LListBox::ItemAtPoint(const PointT<int32_t>& point) {
    const RectT<double> client = GetClientRect(-1);
    const double x = point.x - client.x;
    const double y = point.y - client.y;
    if (x < 0 || y < 0 || x >= client.width || y >= client.height) {
        return -1;
    }
    // Row frames lie in the content space.
    const double cx = x + GetScrollOffset().x;
    const double cy = y + GetScrollOffset().y;
    for (int32_t k = GetItemControlCount() - 1; k >= 0; --k) {
        RCPtr<LListBoxItem> item = GetItemControl(k);
        if (!item) {
            continue;
        }
        const RectT<double>& f = item->GetFrame();
        if (f.x <= cx && cx < f.x + f.width && f.y <= cy && cy < f.y + f.height) {
            const int32_t row = StepShownItems(FirstShownRow, k);
            return row < ItemCount() ? row : -1;
        }
    }
    return -1;
}

int32_t LListBox::HandleMouseMove(const RCPtr<LPointWithModifiersParam>& param) {
    if (!DropDownMode || !param || !HasCapture() || (GetConditions() & kLeftDragging) == 0) {
        return LScrollView::HandleMouseMove(param);
    }
    RCPtr<LControl> hold(this);
    const int32_t row = ItemAtPoint({param->x, param->y});
    if (row < 0) {
        DeselectAll();
    } else if (IsItemSelectable(row)) {
        SelectRange(row, -1, true);
    }
    return S_OK;
}

bool LListBox::IsDropDownOwner(LControl* control) {
    return dynamic_cast<LDropDownControl*>(control) != nullptr;
}

int32_t LListBox::HandleLeftButtonUp(const RCPtr<LMouseButtonParam>& param) {
    if (!DropDownMode || !param || param->button != 1) {
        return LScrollView::HandleLeftButtonUp(param);
    }
    RCPtr<LControl> hold(this);
    const int32_t row = ItemAtPoint({param->x, param->y});
    if (row >= 0 && GetParent() != nullptr) {
        // A row that cannot be chosen (a separator) keeps the list open.
        ActivateItem(row);
        return S_OK;
    }
    LControl* owner = GetParent();
    if (owner == nullptr || !IsDropDownOwner(owner)) {
        return S_OK;
    }
    // A release over the box that opened the list belongs to the press that opened it.
    constexpr double kLimit = 4503599627370496.0;  // 2^52
    const RectT<double> ownerClient = owner->GetClientRect(-1);
    const PointT<double>& scroll = owner->GetScrollOffset();
    const double x =
        std::clamp(std::round(GetFrame().x - scroll.x + ownerClient.x + param->x), -kLimit, kLimit);
    const double y =
        std::clamp(std::round(GetFrame().y - scroll.y + ownerClient.y + param->y), -kLimit, kLimit);
    const RectT<double>& box = owner->GetFrame();
    if (x >= 0 && x < box.width && y >= 0 && y < box.height) {
        return S_OK;
    }
    SetVisible(false);
    return S_OK;
}

int32_t LListBox::SnapHeightToRows() {
    const RectT<double> client = GetClientRect(-1);
    const double margin = GetFrame().height - client.height;
    const double h = ItemHeight;
    if (h <= 0) {
        return 1;
    }
    const auto snap = [margin, h](double v) {
        return std::max(margin + h * std::trunc((v - margin) / h), margin + h);
    };
    LLayoutDescriptor::Limit minimum;
    LLayoutDescriptor::Limit maximum;
    GetSizeLimits(1, minimum, maximum);
    if (minimum.offset > margin) {
        minimum.offset = snap(minimum.offset);
    }
    if (maximum.offset > margin) {
        maximum.offset = snap(maximum.offset);
    }
    if (minimum.offset > 0 || maximum.offset > 0) {
        SetSizeLimits(1, minimum, maximum);
    }
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    GetPlacement(1, placement, size);
    if (size.offset > 0) {
        size.offset = snap(size.offset);
        SetPlacement(1, placement, size);
    }
    return S_OK;
}

}  // namespace QV
