// The row controls of a list box: cloned from the template as the visible area grows, bound to
// the items of the rows they show, and the list's scrolling by whole rows and its width fitting.
#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Controls/ListBox.h"
#include "RIZozivirod/Controls/Scrollbar.h"
#include "RIZozivirod/Renderer/MeasurementRenderer.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

double ListRoundHalfAway(double value) {
    return value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5);
}

}  // namespace

int32_t LListBox::Initialize() {
    const int32_t result = LScrollView::Initialize();
    if (result < 0) {
        return result;
    }
    mListHandler = LNotificationHandler<LListBox>::Create(this);
    SetAutoClientExtent(0, 0, 0);
    if (RCPtr<LControl> templateItem = FindChild(WString(u"templateItem"))) {
        TemplateDescriptor = templateItem->GetDescriptor();
        ComputeItemHeight(templateItem);
        // The template is only measured; it never shows.
        templateItem->Close();
        SetLineMode(1, ItemHeight);
        UpdateScrollBars();
        if (RCPtr<LStringTable> table = GetStringTable()) {
            LoadItemsFromStringTable(table);
        }
        return result;
    }
    // A list without template shows its fixed rows "item1", "item2", ... and their texts.
    for (int32_t k = 1;; ++k) {
        RCPtr<LControl> child = FindChild(WString::Format(u"item%d", k));
        auto* item = dynamic_cast<LListBoxItem*>(child.Get());
        if (item == nullptr) {
            break;
        }
        if (k == 1) {
            ComputeItemHeight(child);
        }
        ItemControlSlots.Add(static_cast<unsigned int>(FindChildIndex(item, kOrderCreation)));
        InsertItemRecord(k - 1);
        GetItemRecord(k - 1)->Data = CreateItemString(child->GetText());
        RegisterItemControl(RCPtr<LListBoxItem>(item));
    }
    if (ItemControlSlots.GetCount() != 0) {
        RebindFrom(0);
        if (DropDownMode) {
            FitHeightToContent(GetContentHeight());
        }
        UpdateClientExtent();
        if (KeepSorted) {
            SortAll();
        }
    }
    return result;
}

int32_t LListBox::AttachChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor) {
    if (child && descriptor) {
        // A fixed row "itemN" keeps its slot N - 1 when the skin is applied again.
        const WString& name = child->GetName();
        if (dynamic_cast<LListBoxItem*>(child.Get()) != nullptr && name.GetLength() > 4) {
            const int32_t n = Text::ToInt(name.GetString() + 4);
            if (n >= 1 && static_cast<uint32_t>(n) <= ItemControlSlots.GetCount()) {
                ItemControlSlots.GetAt(static_cast<uint32_t>(n - 1)) = GetChildren().GetCount();
            }
        }
        return LScrollView::AttachChild(child, descriptor);
    }
    if (child) {
        return S_OK;
    }
    if (descriptor && descriptor->GetName() == u"templateItem") {
        TemplateDescriptor = descriptor;
        if (RCPtr<LControlFactory> factory = LControlFactory::GetCurrent()) {
            if (RCPtr<LControl> made = factory->CreateControl(descriptor, RCPtr<LControl>(this))) {
                ComputeItemHeight(made);
                made->Close();
            }
        }
        return S_OK;
    }
    return E_FAIL;
}

int32_t LListBox::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) {
    if (!IsCreated()) {
        return LScrollView::ApplyDescriptor(descriptor);
    }
    RCPtr<LControl> hold(this);
    mApplying = true;
    TemplateDescriptor = nullptr;
    // The rows cloned from the old template are not part of the new skin: they go, and the new
    // template's rows replace them.
    RCPtrArray<LControl, 1, 0> oldRows;
    for (uint32_t k = 0; k < ItemControlSlots.GetCount(); ++k) {
        if (RCPtr<LListBoxItem> row = GetItemControl(static_cast<int32_t>(k))) {
            oldRows.Add(RCPtr<LControl>(row));
        }
    }
    ItemControlSlots.SetCount(0);
    for (uint32_t k = 0; k < oldRows.GetCount(); ++k) {
        oldRows.GetAt(k)->Close();
    }
    const int32_t result = LScrollView::ApplyDescriptor(descriptor);
    if (descriptor) {
        const LControlDescriptor::ChildList& children = descriptor->GetChildren();
        for (uint32_t i = 0; i < children.GetCount(); ++i) {
            if (children.GetAt(i)->GetName() == u"templateItem" && !FindChild(WString(u"templateItem"))) {
                AttachChild(nullptr, children.GetAt(i));
            } else if (RCPtr<LControl> made = FindChild(WString(u"templateItem"))) {
                TemplateDescriptor = made->GetDescriptor();
                ComputeItemHeight(made);
                made->Close();
            }
        }
    }
    mApplying = false;
    SetLineMode(1, ItemHeight);
    FillItemControls();
    RebindFrom(FirstShownRow);
    RecomputeMaxItemWidth();
    return result;
}

void LListBox::OnChildrenChanged(LControl* child, int32_t index) {
    if (dynamic_cast<LListBoxItem*>(child) != nullptr && ItemControlSlots.GetCount() != 0) {
        int32_t removedSlot = -1;
        for (uint32_t k = 0; k < ItemControlSlots.GetCount(); ++k) {
            unsigned int& slot = ItemControlSlots.GetAt(k);
            if (static_cast<int32_t>(slot) == index) {
                removedSlot = static_cast<int32_t>(k);
            } else if (static_cast<int32_t>(slot) > index) {
                --slot;
            }
        }
        if (removedSlot >= 0) {
            unsigned int dropped = 0;
            ItemControlSlots.RemoveItem(static_cast<uint32_t>(removedSlot), dropped);
        }
    }
    LScrollView::OnChildrenChanged(child, index);
}

int32_t LListBox::ComputeItemHeight(const RCPtr<LControl>& templateItem) {
    if (!templateItem) {
        return S_OK;
    }
    RCPtr<LControl> hold(this);
    const RectT<double> frameBefore = GetFrame();
    // Measured at the list's bare width: the template's chrome without any text.
    LLayoutDescriptor::Limit minimum;
    LLayoutDescriptor::Limit maximum;
    GetSizeLimits(0, minimum, maximum);
    SetSizeLimits(0, LLayoutDescriptor::Limit{}, maximum);
    FitWidthToContent(0);
    const WString saved = templateItem->GetText();
    templateItem->UpdateText(WString(), true);
    ItemChromeWidth = static_cast<int32_t>(ListRoundHalfAway(templateItem->GetFrame().width));
    templateItem->UpdateText(WString(u"{WXyg|}"), true);
    const double height = ListRoundHalfAway(templateItem->GetFrame().height);
    ItemHeight = height < 1 ? 14 : static_cast<int32_t>(height);
    templateItem->UpdateText(saved, true);
    LLayoutDescriptor::Limit restoredMinimum = minimum;
    const RCPtr<LLayoutDescriptor>& templateLayout = templateItem->GetLayout();
    if (templateLayout && templateLayout->xTextOverflow == TextOverflow::kExpand && minimum.offset == 0) {
        restoredMinimum.offset = frameBefore.width;
    }
    SetSizeLimits(0, restoredMinimum, maximum);
    const RCPtr<LControlDescriptor>& own = GetDescriptor();
    if (own && own->GetLayout()) {
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        GetPlacement(0, placement, size);
        SetPlacement(0, placement, own->GetLayout()->xSize);
    }
    if (DropDownMode) {
        FitHeightToContent(static_cast<double>(ItemHeight) * std::max(ItemCount(), 1));
    }
    mItemHeightKnown = true;
    return S_OK;
}

void LListBox::RegisterItemControl(const RCPtr<LListBoxItem>& item) {
    const RCPtr<LNotificationDistributor> source(item);
    mListHandler->AddHandler(&LListBox::OnItemMouseDown, source, u"NID_MOUSE_DOWN", 0);
    mListHandler->AddHandler(&LListBox::OnItemMouseUp, source, u"NID_MOUSE_UP", 0);
    mListHandler->AddHandler(&LListBox::OnItemLeftDragChange, source, u"NID_LEFT_DRAG_CONDITION_CHANGE", 0);
    mListHandler->AddHandler(&LListBox::OnItemHoverChange, source, u"NID_HOVER_CONDITION_CHANGE", 0);
    item->DropDownMode = DropDownMode;
    item->SetDragThreshold(ItemDragThreshold);
}

int32_t LListBox::CreateItemControl() {
    RCPtr<LControlFactory> factory = LControlFactory::GetCurrent();
    if (!TemplateDescriptor || !factory || !mListHandler) {
        return E_FAIL;
    }
    RCPtr<LControl> hold(this);
    const int32_t slots = static_cast<int32_t>(ItemControlSlots.GetCount());
    const RCPtr<LLayoutDescriptor>& source = TemplateDescriptor->GetLayout();
    RCPtr<LLayoutDescriptor> layout = source ? source->Clone() : LLayoutDescriptor::Create();
    // Rows stay in place in the view while the content scrolls, each below the one before.
    layout->yDocked = true;
    layout->yPlacement.anchor = 0;
    layout->yPlacement.offset = 0;
    layout->xTextOverflow = TextOverflow::kClip;
    RCPtr<LListBoxItem> last = GetItemControl(slots - 1);
    if (last) {
        layout->yPlacement.reference = PlacementReference::kNamed;
        layout->yPlacement.referenceName = last->GetName();
        layout->yPlacement.factor = 1;
    } else {
        layout->yPlacement.reference = PlacementReference::kClient;
        layout->yPlacement.referenceName = WString();
        layout->yPlacement.factor = 0;
    }
    RCPtr<LControlDescriptor> descriptor =
        factory->CloneDescriptor(TemplateDescriptor, layout, WString::Format(u"ItemControl%d", slots + 1));
    RCPtr<LControl> made = factory->CreateControl(descriptor, RCPtr<LControl>(this));
    auto* item = dynamic_cast<LListBoxItem*>(made.Get());
    if (item == nullptr) {
        if (made) {
            made->Close();
        }
        return E_FAIL;
    }
    RegisterItemControl(RCPtr<LListBoxItem>(item));
    item->SetUseParentToolTip(true);
    ItemControlSlots.Add(static_cast<unsigned int>(FindChildIndex(item, kOrderCreation)));
    if (TemplateIsSelfSized()) {
        UpdateClientExtent();
    }
    int32_t slot = -1;
    BindItemControl(StepShownItems(FirstShownRow, slots), slot);
    return S_OK;
}

int32_t LListBox::FillItemControls() {
    if (mFilling || mApplying) {
        return S_OK;
    }
    if (!mItemHeightKnown || !TemplateDescriptor) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    mFilling = true;
    const RectT<double> client = GetClientRect(-1);
    // Row frames lie in the content space, whose top is the client area's top.
    const double bottom = client.height + GetScrollOffset().y;
    double lastBottom = GetScrollOffset().y;
    if (RCPtr<LListBoxItem> last = GetItemControl(GetItemControlCount() - 1)) {
        lastBottom = last->GetFrame().y + last->GetFrame().height;
    }
    const bool oneRowWhileHidden = mRowsMadeWhenShown && !IsVisible(false);
    while (lastBottom < bottom) {
        if (oneRowWhileHidden && GetItemControlCount() >= 1) {
            break;
        }
        if (CreateItemControl() < 0) {
            break;
        }
        RCPtr<LListBoxItem> last = GetItemControl(GetItemControlCount() - 1);
        const double next = last ? last->GetFrame().y + last->GetFrame().height : lastBottom;
        // A row without height would never fill the area.
        if (next <= lastBottom) {
            break;
        }
        lastBottom = next;
    }
    mFilling = false;
    return S_OK;
}

RCPtr<LListBoxItem> LListBox::GetItemControl(int32_t slot) {
    if (slot < 0 || static_cast<uint32_t>(slot) >= ItemControlSlots.GetCount()) {
        return nullptr;
    }
    const unsigned int child = ItemControlSlots.GetAt(static_cast<uint32_t>(slot));
    if (child >= GetChildren().GetCount()) {
        return nullptr;
    }
    return RCPtr<LListBoxItem>(dynamic_cast<LListBoxItem*>(GetChildren().GetAt(child, kOrderCreation).Get()));
}

int32_t LListBox::StepShownItems(int32_t from, int32_t steps) {
    if (mHiddenCount == 0) {
        return from + steps;
    }
    int32_t index = from;
    while (steps > 0) {
        ++index;
        if (IsShownItem(index)) {
            --steps;
        }
    }
    return index;
}

int32_t LListBox::ControlSlotOfItem(int32_t index) {
    if (index < FirstShownRow || (index < ItemCount() && !IsShownItem(index))) {
        return -1;
    }
    const int32_t n = mHiddenCount == 0 ? index - FirstShownRow : CountShownItems(FirstShownRow, index);
    return n < GetItemControlCount() ? n : -1;
}

int32_t LListBox::IndexOfItemControl(const LControl* control) {
    for (int32_t k = 0; k < GetItemControlCount(); ++k) {
        if (GetItemControl(k).Get() == control) {
            return StepShownItems(FirstShownRow, k);
        }
    }
    return -1;
}

int32_t LListBox::RowShownByControl(const LControl* control) {
    return IndexOfItemControl(control);
}

int32_t LListBox::BindItemControl(int32_t index, int32_t& slot) {
    slot = ControlSlotOfItem(index);
    if (slot < 0) {
        return 1;
    }
    RCPtr<LListBoxItem> item = GetItemControl(slot);
    if (!item) {
        return 1;
    }
    WString text;
    double value = 0.0;
    bool alternate = false;
    bool separator = false;
    bool enabled = false;
    if (index < ItemCount()) {
        const ItemRecord* record = GetItemRecord(index);
        if (record->Data) {
            text = record->Data->ToString();
        }
        value = record->Value;
        alternate = record->AlternateLook != 0;
        separator = record->IsSeparator != 0;
        enabled = true;
    }
    item->SetText(text);
    item->SetNormalizedValue(value);
    if (item->AlternateLook != alternate) {
        item->AlternateLook = alternate;
        item->RefreshLook();
    }
    item->SetEnabled(enabled);
    item->SetSeparator(separator);
    return S_OK;
}

int32_t LListBox::RebindFrom(int32_t index) {
    if (ItemControlSlots.GetCount() == 0) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const int32_t last = StepShownItems(FirstShownRow, GetItemControlCount() - 1);
    int32_t result = S_OK;
    for (int32_t i = std::max(index, FirstShownRow); i <= last; ++i) {
        int32_t slot = -1;
        result = BindItemControl(i, slot);
        if (result < 0) {
            break;
        }
    }
    return result;
}

void LListBox::SetRowsMadeWhenShown(bool whenShown) {
    if (mRowsMadeWhenShown == whenShown) {
        return;
    }
    mRowsMadeWhenShown = whenShown;
    if (!whenShown) {
        RCPtr<LControl> hold(this);
        FillItemControls();
        RebindFrom(FirstShownRow);
    }
}

bool LListBox::SetVisible(bool visible) {
    const bool result = LScrollView::SetVisible(visible);
    if (visible && mRowsMadeWhenShown) {
        RCPtr<LControl> hold(this);
        FillItemControls();
        RebindFrom(FirstShownRow);
    }
    return result;
}

void LListBox::CheckClientSizeChange() {
    LScrollView::CheckClientSizeChange();
    FillItemControls();
    if (ItemCount() > 0) {
        EnsureItemVisible(std::min(FirstShownRow, ItemCount() - 1));
    }
}

bool LListBox::InvalidateChildRect(LControl* child) {
    const bool result = LScrollView::InvalidateChildRect(child);
    FillItemControls();
    return result;
}

void LListBox::UpdateVisibleRegion(const PointT<double>& oldOffset, const PointT<double>& newOffset) {
    if (oldOffset.y != newOffset.y && ItemHeight > 0) {
        int32_t row = static_cast<int32_t>(std::trunc(newOffset.y / ItemHeight));
        const int32_t count = ItemCount();
        if (mHiddenCount != 0) {
            for (int32_t i = 0; i <= row && i < count; ++i) {
                if (!IsShownItem(i)) {
                    ++row;
                }
            }
        }
        if (row >= count) {
            row = count - 1;
            while (row > 0 && !IsShownItem(row)) {
                --row;
            }
        }
        row = std::max(row, 0);
        if (row != FirstShownRow) {
            RCPtr<LControl> hold(this);
            FirstShownRow = row;
            RebindFrom(row);
            // The row under the pointer now shows another item: its hover is taken again, so
            // that a drop-down list selects what the pointer is over.
            if (RCPtr<IRootWindow> window = GetRootWindow()) {
                RCPtr<LControl> hover = window->GetHoverControl();
                if (hover && hover->GetParent() == this && RowShownByControl(hover.Get()) >= 0) {
                    hover->SetVisible(false);
                    hover->SetVisible(true);
                }
            }
        }
    }
    LScrollView::UpdateVisibleRegion(oldOffset, newOffset);
}

int32_t LListBox::EnsureItemVisible(int32_t index) {
    const int32_t count = ItemCount();
    if (index < 0 || index >= count) {
        return E_INVALIDARG;
    }
    if (!IsShownItem(index)) {
        int32_t found = -1;
        for (int32_t i = index - 1; i >= 0 && found < 0; --i) {
            if (IsShownItem(i)) {
                found = i;
            }
        }
        for (int32_t i = index + 1; i < count && found < 0; ++i) {
            if (IsShownItem(i)) {
                found = i;
            }
        }
        if (found < 0) {
            return 1;
        }
        index = found;
    }
    if (GetItemControlCount() == 0) {
        return 1;
    }
    // c: the last slot that shows its whole row.
    RectT<double> view;
    GetViewRect(view);
    const double top = GetScrollOffset().y;
    int32_t c = -1;
    if (mRowsMadeWhenShown && !IsVisible(false)) {
        // The rows not made yet would stack below the first one, each as high, as many as cover
        // the client area.
        RCPtr<LListBoxItem> first = GetItemControl(0);
        const double height = first ? first->GetFrame().height : 0.0;
        const double bottom = first ? first->GetFrame().y - top : 0.0;
        const double client = GetClientRect(-1).height;
        for (int32_t k = 0; height > 0 && bottom + k * height < client; ++k) {
            if (bottom + (k + 1) * height <= view.height) {
                c = k;
            }
        }
    } else {
        for (int32_t k = 0; k < GetItemControlCount(); ++k) {
            RCPtr<LListBoxItem> item = GetItemControl(k);
            if (item && item->GetFrame().y + item->GetFrame().height - top <= view.height) {
                c = k;
            }
        }
    }
    c = std::max(c, 0);
    // d: the first row of the last full page.
    int32_t d = count - 1;
    while (d > 0 && !IsShownItem(d)) {
        --d;
    }
    for (int32_t steps = c; steps > 0 && d > 0;) {
        --d;
        if (IsShownItem(d)) {
            --steps;
        }
    }
    while (d < count - 1 && !IsShownItem(d)) {
        ++d;
    }
    int32_t first = FirstShownRow;
    if (d >= index) {
        if (index < FirstShownRow) {
            first = index;
        } else if (StepShownItems(FirstShownRow, c) >= index) {
            return S_OK;
        } else {
            first = index;
            for (int32_t steps = c; steps > 0 && first > 0;) {
                --first;
                if (IsShownItem(first)) {
                    --steps;
                }
            }
            while (first < index && !IsShownItem(first)) {
                ++first;
            }
        }
    } else {
        first = d;
    }
    if (first == FirstShownRow) {
        return S_OK;
    }
    RCPtr<LControl> hold(this);
    SetScrollOffset({GetScrollOffset().x, static_cast<double>(CountShownItems(0, first)) * ItemHeight});
    return S_OK;
}

RectT<double> LListBox::GetItemRect(int32_t index) {
    if (index < 0 || index >= ItemCount()) {
        return {};
    }
    RCPtr<LListBoxItem> item = GetItemControl(ControlSlotOfItem(index));
    return item ? item->GetFrame() : RectT<double>{};
}

int32_t LListBox::SetItemHighlighted(int32_t index, bool highlighted) {
    RCPtr<LListBoxItem> item = GetItemControl(ControlSlotOfItem(index));
    if (!item) {
        return 1;
    }
    item->SetHighlighted(highlighted);
    return S_OK;
}

int32_t LListBox::SelectItemControlLook(int32_t index, int32_t look) {
    RCPtr<LListBoxItem> item = GetItemControl(ControlSlotOfItem(index));
    if (!item || look < 0 || static_cast<uint32_t>(look) >= item->GetLookCount()) {
        return 1;
    }
    item->SelectLook(look);
    return S_OK;
}

bool LListBox::TemplateIsSelfSized() const {
    const RCPtr<LLayoutDescriptor> layout = TemplateDescriptor ? TemplateDescriptor->GetLayout() : nullptr;
    return !layout || layout->xSize.reference == SizeReference::kSelf;
}

bool LListBox::TemplateExpands() const {
    const RCPtr<LLayoutDescriptor> layout = TemplateDescriptor ? TemplateDescriptor->GetLayout() : nullptr;
    return layout && layout->xTextOverflow == TextOverflow::kExpand;
}

int32_t LListBox::MeasureItemWidth(int32_t index) {
    if (index < 0 || index >= ItemCount() || GetItemControlCount() == 0) {
        return 0;
    }
    RCPtr<LListBoxItem> first = GetItemControl(0);
    RCPtr<LMeasurementRenderer> renderer = GetApplicationServices().GetMeasuringRenderer();
    if (!first || !renderer) {
        return ItemChromeWidth;
    }
    const RectT<float> box = renderer->MeasureText(GetItemText(index), ConstRCPtr<LFont>(first->GetFont()));
    return static_cast<int32_t>(ItemChromeWidth + box.width + 0.5);
}

int32_t LListBox::UpdateClientExtent() {
    if (BatchUpdate) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    const bool selfSized = TemplateIsSelfSized();
    SetClientExtent(
        {selfSized ? static_cast<double>(WidestItemWidth) : 0.0, static_cast<double>(GetContentHeight())});
    if (selfSized && TemplateDescriptor) {
        for (int32_t k = 0; k < GetItemControlCount(); ++k) {
            RCPtr<LListBoxItem> item = GetItemControl(k);
            if (!item) {
                continue;
            }
            LLayoutDescriptor::Placement placement;
            LLayoutDescriptor::Size size;
            item->GetPlacement(0, placement, size);
            placement.anchor = 0.5f;
            placement.reference = PlacementReference::kClient;
            placement.referenceName = WString();
            placement.factor = 0.5f;
            placement.offset = 0;
            size.reference = SizeReference::kSelf;
            size.referenceName = WString();
            size.factor = 0;
            size.offset = WidestItemWidth;
            item->SetPlacement(0, placement, size);
        }
    }
    return S_OK;
}

int32_t LListBox::SetMaxItemWidth(int32_t width) {
    if (BatchUpdate || width == WidestItemWidth) {
        return 1;
    }
    WidestItemWidth = width;
    UpdateClientExtent();
    if (TemplateExpands()) {
        FitWidthToContent(GetScrollBarThickness().x + WidestItemWidth);
    }
    return S_OK;
}

int32_t LListBox::RecomputeMaxItemWidth() {
    if (BatchUpdate) {
        return 1;
    }
    int32_t widest = 0;
    for (int32_t i = 0; i < ItemCount(); ++i) {
        widest = std::max(widest, MeasureItemWidth(i));
    }
    return SetMaxItemWidth(widest);
}

void LListBox::OnScrollBarVisibilityChanged(int32_t axis) {
    if (axis == 1 && TemplateExpands()) {
        FitWidthToContent(GetScrollBarThickness().x + WidestItemWidth);
    }
}

int32_t LListBox::FitWidthToContent(double width) {
    const RectT<double> client = GetClientRect(-1);
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    GetPlacement(0, placement, size);
    size.reference = SizeReference::kSelf;
    size.referenceName = WString();
    size.factor = 0;
    size.offset = ListRoundHalfAway(GetFrame().width - client.width + width);
    return SetPlacement(0, placement, size);
}

int32_t LListBox::FitHeightToContent(double height) {
    if (BatchUpdate) {
        return 1;
    }
    const RectT<double> client = GetClientRect(-1);
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    GetPlacement(1, placement, size);
    size.reference = SizeReference::kSelf;
    size.referenceName = WString();
    size.factor = 0;
    size.offset = ListRoundHalfAway(GetFrame().height - client.height + height);
    return SetPlacement(1, placement, size);
}

}  // namespace QV
