#include "RIZozivirod/Controls/MultiColumnListBox.h"

#include <algorithm>
#include <utility>

#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/ListBox.h"
#include "RIZozivirod/Controls/ListBoxItem.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

WString TableColumnName(int32_t number) {
    return WString::Format(u"listboxNoScroll%d", number);
}

WString TableHeaderName(int32_t number) {
    return WString::Format(u"buttonColumnHeader%d", number);
}

}  // namespace

LMultiColumnListBox::LMultiColumnListBox(const RCPtr<LControl>& parent, const WString& name)
    : LPanel(parent, name) {}

LMultiColumnListBox::~LMultiColumnListBox() = default;

void LMultiColumnListBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                              const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mTableHandler && mTableHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    LPanel::ReceiveNotification(sender, notification);
}

int32_t LMultiColumnListBox::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                       const WChar* name) {
    if (mTableHandler) {
        mTableHandler->RemoveHandler(distributor, name);
    }
    return LPanel::UnregisterForNotification(distributor, name);
}

void LMultiColumnListBox::DockVertically(LControl& control) {
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    control.GetPlacement(1, placement, size);
    if (control.GetLayout()) {
        control.GetLayout()->yDocked = true;
    }
    control.SetPlacement(1, placement, size);
}

int32_t LMultiColumnListBox::Initialize() {
    const int32_t result = LPanel::Initialize();
    mTableHandler = LNotificationHandler<LMultiColumnListBox>::Create(this);
    mColumns.clear();
    mHeaderButtons.clear();
    for (int32_t n = 1;; ++n) {
        RCPtr<LListBox> column(dynamic_cast<LListBox*>(FindChild(TableColumnName(n)).Get()));
        if (!column) {
            break;
        }
        mColumns.push_back(column);
        RCPtr<LNotificationDistributor> source(column);
        mTableHandler->AddHandler(&LMultiColumnListBox::OnColumnItemHoverChange, source,
                                  u"NID_ITEM_HOVER_CONDITION_CHANGE", 0);
        mTableHandler->AddHandler(&LMultiColumnListBox::OnColumnSelectionChanged, source,
                                  u"NID_SELECTION_CHANGE", 0);
        mTableHandler->AddHandler(&LMultiColumnListBox::OnColumnItemActivated, source, u"NID_ITEM_ACTIVATED",
                                  0);
        mTableHandler->AddHandler(&LMultiColumnListBox::OnColumnItemDoubleClicked, source,
                                  u"NID_ITEM_DOUBLE_CLICKED", 0);
        if (n == 1) {
            mTableHandler->AddHandler(&LMultiColumnListBox::OnFirstColumnScrolled, source,
                                      u"NID_SCROLL_OFFSET_CHANGE", 0);
            mTableHandler->AddHandler(&LMultiColumnListBox::OnFirstColumnExtentChanged, source,
                                      u"NID_CLIENT_EXTENT_CHANGE", 0);
        }
        // The table scrolls the rows inside the columns; the columns themselves stay put.
        DockVertically(*column);
    }
    // A table without its first column is a broken skin.
    QV_CHECK_NULL(mColumns.empty() ? nullptr : mColumns.front().Get(), "Cannot find child listboxNoScroll1");
    for (int32_t n = 1;; ++n) {
        RCPtr<LButton> header(dynamic_cast<LButton*>(FindChild(TableHeaderName(n)).Get()));
        if (!header) {
            break;
        }
        mHeaderButtons.push_back(header);
        mTableHandler->AddHandler(&LMultiColumnListBox::OnHeaderClicked,
                                  RCPtr<LNotificationDistributor>(header), u"NID_LEFT_CLICK", 0);
        DockVertically(*header);
    }
    mSortAscending.assign(mColumns.size(), true);
    SetAutoClientExtent(0, 0, 0);
    SetLineMode(1, mColumns.front()->GetItemHeight());
    return result;
}

int32_t LMultiColumnListBox::PostInitialize() {
    LPanel::PostInitialize();
    for (size_t i = 1; i < mColumns.size(); ++i) {
        mColumns[i]->SetNotFocusable(true);
    }
    SetLineMode(1, mColumns.front()->GetItemHeight());
    ApplyColumnSizeLimits();
    UpdateExtent();
    return S_OK;
}

void LMultiColumnListBox::ApplyColumnSizeLimits() {
    for (size_t i = mColumns.size(); i-- > 0;) {
        LListBox& column = *mColumns[i];
        const RCPtr<LControlDescriptor>& descriptor = column.GetDescriptor();
        const RCPtr<LLayoutDescriptor> skin = descriptor ? descriptor->GetLayout() : nullptr;
        if (!skin) {
            continue;
        }
        LLayoutDescriptor::Limit minimum;
        LLayoutDescriptor::Limit maximum;
        if (skin->xMaximum.offset == 0.0) {
            column.GetSizeLimits(0, minimum, maximum);
            column.SetSizeLimits(0, minimum, LLayoutDescriptor::Limit{});
        }
        if (skin->yMinimum.offset == 0.0 || skin->yMaximum.offset == 0.0) {
            column.GetSizeLimits(1, minimum, maximum);
            if (skin->yMinimum.offset == 0.0) {
                minimum = LLayoutDescriptor::Limit{};
                minimum.offset = column.GetItemHeight();
            }
            if (skin->yMaximum.offset == 0.0) {
                maximum = LLayoutDescriptor::Limit{};
            }
            column.SetSizeLimits(1, minimum, maximum);
        }
    }
}

int32_t LMultiColumnListBox::GetViewRect(RectT<double>& rect) {
    if (mColumns.empty()) {
        rect = {};
        return S_OK;
    }
    const LListBox& first = *mColumns.front();
    rect.x = first.GetFrame().x;
    rect.y = first.GetFrame().y;
    rect.width = std::max(0.0, GetClientRect(-1).width - GetScrollBarThickness().x);
    rect.height = mColumns.front()->GetClientRect(-1).height;
    return S_OK;
}

bool LMultiColumnListBox::InvalidateChildRect(LControl* child) {
    // Only the last column's frame decides the width of the row of columns.
    if (child != nullptr && !mColumns.empty() && child == mColumns.back().Get() &&
        child->GetName() == TableColumnName(static_cast<int32_t>(mColumns.size()))) {
        UpdateExtent();
    }
    return LControl::InvalidateChildRect(child);
}

void LMultiColumnListBox::UpdateVisibleRegion(const PointT<double>& oldOffset,
                                              const PointT<double>& newOffset) {
    if (!mColumns.empty() && mTableHandler) {
        RCPtr<LControl> hold(this);
        CAutoNotificationDisabler<LMultiColumnListBox> quiet(
            mTableHandler, RCPtr<LNotificationDistributor>(mColumns.front()), u"NID_SCROLL_OFFSET_CHANGE");
        for (const RCPtr<LListBox>& column : mColumns) {
            column->SetScrollOffset({column->GetScrollOffset().x, newOffset.y});
        }
    }
    LPanel::UpdateVisibleRegion(oldOffset, newOffset);
}

void LMultiColumnListBox::UpdateExtent() {
    if (mColumns.empty()) {
        return;
    }
    const RectT<double>& last = mColumns.back()->GetFrame();
    SetClientExtent({last.x + last.width, mColumns.front()->GetClientExtent().y});
}

int32_t LMultiColumnListBox::RowCount() const {
    return mColumns.empty() ? 0 : mColumns.front()->GetItemCount();
}

RCPtr<LListBox> LMultiColumnListBox::GetColumn(int32_t column) const {
    return column >= 0 && column < GetColumnCount() ? mColumns[column] : nullptr;
}

RCPtr<LButton> LMultiColumnListBox::GetHeaderButton(int32_t column) const {
    return column >= 0 && column < static_cast<int32_t>(mHeaderButtons.size()) ? mHeaderButtons[column]
                                                                               : nullptr;
}

bool LMultiColumnListBox::IsNextSortAscending(int32_t column) const {
    return column >= 0 && column < GetColumnCount() && mSortAscending[column];
}

WString LMultiColumnListBox::GetCellText(int32_t column, int32_t row) {
    if (column < 0 || column >= GetColumnCount() || row < 0 || row >= RowCount()) {
        return WString();
    }
    return mColumns[column]->GetItemText(row);
}

int32_t LMultiColumnListBox::IndexOfColumn(const LNotificationDistributor* source) const {
    for (int32_t i = GetColumnCount() - 1; i >= 0; --i) {
        if (static_cast<const LNotificationDistributor*>(mColumns[i].Get()) == source) {
            return i;
        }
    }
    return -1;
}

int32_t LMultiColumnListBox::PerformSort(int32_t column) {
    if (column < 0 || column >= GetColumnCount()) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold(this);
    const int32_t rows = RowCount();
    std::vector<std::pair<int32_t, WString>> order;
    order.reserve(rows);
    std::vector<bool> alternate(rows);
    for (int32_t k = 0; k < rows; ++k) {
        order.emplace_back(k, GetCellText(column, k));
        alternate[k] = mColumns.front()->GetItemAlternateLook(k);
    }
    const Array<unsigned int>& indices = mColumns[column]->GetSelectedIndices();
    std::vector<bool> wasSelected(rows, false);
    for (uint32_t i = 0; i < indices.GetCount(); ++i) {
        if (static_cast<int32_t>(indices.GetAt(i)) < rows) {
            wasSelected[indices.GetAt(i)] = true;
        }
    }

    for (size_t i = mColumns.size(); i-- > 0;) {
        RCPtr<LNotificationDistributor> source(mColumns[i]);
        if (!mTableHandler->RemoveHandler(source, u"NID_SELECTION_CHANGE")) {
            QV_THROW(FailedResultException, ResultToString(E_FAIL));
        }
        LPanel::UnregisterForNotification(source, u"NID_SELECTION_CHANGE");
    }
    for (size_t i = mColumns.size(); i-- > 0;) {
        mColumns[i]->DeselectAll();
    }

    const bool ascending = mSortAscending[column];
    std::stable_sort(order.begin(), order.end(), [ascending](const auto& a, const auto& b) {
        if (a.second.GetString() == b.second.GetString()) {
            return false;
        }
        const int compared = Text::CompareNoCase(a.second.GetString(), b.second.GetString());
        return ascending ? compared < 0 : compared > 0;
    });
    mSortAscending[column] = !ascending;

    for (size_t i = mColumns.size(); i-- > 0;) {
        LListBox& list = *mColumns[i];
        const int32_t count = std::min(rows, list.GetItemCount());
        std::vector<RCPtr<LTaggableObject>> data(count);
        for (int32_t k = count - 1; k >= 0; --k) {
            data[k] = list.GetItemData(k);
        }
        for (int32_t k = count - 1; k >= 0; --k) {
            const int32_t from = order[k].first;
            list.SetItemData(k, from < count ? data[from] : nullptr);
        }
    }
    for (int32_t k = rows - 1; k >= 0; --k) {
        const int32_t from = order[k].first;
        for (size_t i = mColumns.size(); i-- > 0;) {
            if (mColumns[i]->SetItemAlternateLook(k, alternate[from]) < 0) {
                break;
            }
        }
        if (wasSelected[from]) {
            for (size_t i = mColumns.size(); i-- > 0;) {
                if (mColumns[i]->SelectRange(k, -1, false) < 0) {
                    break;
                }
            }
        }
    }

    for (size_t i = mColumns.size(); i-- > 0;) {
        if (mTableHandler->AddHandler(&LMultiColumnListBox::OnColumnSelectionChanged,
                                      RCPtr<LNotificationDistributor>(mColumns[i]), u"NID_SELECTION_CHANGE",
                                      0) < 0) {
            QV_THROW(FailedResultException, ResultToString(E_FAIL));
        }
    }
    return S_OK;
}

int32_t LMultiColumnListBox::OnHeaderClicked(const RCPtr<LNotificationDistributor>& source,
                                             const RCPtr<LNotification>&) {
    const int32_t headers = std::min(GetColumnCount(), static_cast<int32_t>(mHeaderButtons.size()));
    for (int32_t i = headers - 1; i >= 0; --i) {
        if (static_cast<LNotificationDistributor*>(mHeaderButtons[i].Get()) == source.Get()) {
            PerformSort(i);
            break;
        }
    }
    return 1;
}

int32_t LMultiColumnListBox::OnColumnItemActivated(const RCPtr<LNotificationDistributor>&,
                                                   const RCPtr<LNotification>&) {
    RCPtr<LControl> hold(this);
    LNotificationDistributor::Notify(LNotification::Create(u"NID_ITEM_ACTIVATED", nullptr));
    return 1;
}

int32_t LMultiColumnListBox::OnColumnItemDoubleClicked(const RCPtr<LNotificationDistributor>&,
                                                       const RCPtr<LNotification>&) {
    RCPtr<LControl> hold(this);
    LNotificationDistributor::Notify(LNotification::Create(u"NID_ITEM_DOUBLE_CLICKED", nullptr));
    return 1;
}

int32_t LMultiColumnListBox::OnFirstColumnScrolled(const RCPtr<LNotificationDistributor>&,
                                                   const RCPtr<LNotification>&) {
    // The first column moved its rows itself (keys, wheel): the table and the other columns
    // follow it down; the table's own sideways position stays.
    SetScrollOffset({GetScrollOffset().x, mColumns.front()->GetScrollOffset().y});
    return 1;
}

int32_t LMultiColumnListBox::OnFirstColumnExtentChanged(const RCPtr<LNotificationDistributor>&,
                                                        const RCPtr<LNotification>&) {
    SetLineMode(1, mColumns.front()->GetLineSize(1) > 0.0 ? mColumns.front()->GetLineSize(1)
                                                          : mColumns.front()->GetItemHeight());
    UpdateExtent();
    return 1;
}

int32_t LMultiColumnListBox::OnColumnItemHoverChange(const RCPtr<LNotificationDistributor>& source,
                                                     const RCPtr<LNotification>& notification) {
    const int32_t from = IndexOfColumn(source.Get());
    auto* param =
        notification ? dynamic_cast<LItemConditionsParam*>(notification->GetParam().Get()) : nullptr;
    if (from < 0 || param == nullptr) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const bool wasOn = (param->previous & kHoverOrHighlighted) != 0;
    const bool isOn = (param->current & kHoverOrHighlighted) != 0;
    for (int32_t j = GetColumnCount() - 1; j >= 0; --j) {
        if (j == from) {
            continue;
        }
        if (isOn && !wasOn) {
            if (param->hover != 0) {
                mColumns[j]->SetItemHighlighted(param->itemIndex, true);
            }
        } else if (wasOn && !isOn) {
            mColumns[j]->SetItemHighlighted(param->itemIndex, false);
        } else {
            mColumns[j]->SelectItemControlLook(param->itemIndex, param->lookIndex);
        }
    }
    return 1;
}

int32_t LMultiColumnListBox::OnColumnSelectionChanged(const RCPtr<LNotificationDistributor>& source,
                                                      const RCPtr<LNotification>&) {
    if (dynamic_cast<LListBox*>(source.Get()) == nullptr) {
        return 1;
    }
    const int32_t from = IndexOfColumn(source.Get());
    if (from < 0) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    LListBox& reference = *mColumns[from];
    const bool exclusive = !mColumns.front()->IsMultipleSelection();
    const int32_t rows = RowCount();
    for (int32_t j = GetColumnCount() - 1; j >= 0; --j) {
        if (j == from) {
            continue;
        }
        LListBox& column = *mColumns[j];
        CAutoNotificationDisabler<LMultiColumnListBox> quiet(
            mTableHandler, RCPtr<LNotificationDistributor>(&column), u"NID_SELECTION_CHANGE");
        for (int32_t r = rows - 1; r >= 0; --r) {
            const bool selected = reference.GetItemValue(r) >= 0.5;
            if (selected == (column.GetItemValue(r) >= 0.5)) {
                continue;
            }
            if (selected) {
                column.SelectRange(r, -1, exclusive);
            } else {
                column.DeselectItem(r);
            }
        }
    }
    LNotificationDistributor::Notify(LNotification::Create(u"NID_SELECTION_CHANGE", nullptr));
    return 1;
}

}  // namespace QV
