#include "RIZozivirod/Controls/PopupMenu.h"

#include <algorithm>
#include <cmath>

#include "RIZozivirod/Application/Windows/RootWindow.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/ControlBase/Look.h"
#include "RIZozivirod/Controls/MainMenu.h"
#include "RIZozivirod/Renderer/MeasurementRenderer.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"

namespace QV {

namespace {

constexpr uint32_t kPopupKeyLeft = 0x20250000;
constexpr uint32_t kPopupKeyRight = 0x20270000;
constexpr uint32_t kPopupKeyEscape = 0x201B0000;

double PopupRoundHalfAway(double value) {
    return value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5);
}

}  // namespace

LPopupMenu::LPopupMenu(const RCPtr<LControl>& parent, const WString& name) : LCheckedListBox(parent, name) {}

LPopupMenu::~LPopupMenu() {
    mPopupHandler = nullptr;
}

int32_t LPopupMenu::Initialize() {
    if (LCheckedListBox::Initialize() < 0) {
        return E_FAIL;
    }
    mPopupHandler = LNotificationHandler<LPopupMenu>::Create(this);
    ResetSizeLimits();
    // A top popup takes the focus while it is open, whatever its owner allows; its rows and its
    // submenus never do, so the focus stays with the top of the chain.
    const bool submenu = dynamic_cast<LPopupMenu*>(GetParent()) != nullptr;
    SetNotFocusable(submenu);
    SetFocusScopeRoot(!submenu);
    SetDropDownMode(true);
    SetCheckBoxesPassive(true);
    // Closed, a menu keeps one row (its measure for the menu's size) and makes the others when
    // it opens; the check marks live in the item records.
    SetRowsMadeWhenShown(true);
    const int32_t loaded = LoadMenuFromStringTable();
    return loaded < 0 ? loaded : S_OK;
}

int32_t LPopupMenu::PostInitialize() {
    const int32_t result = LCheckedListBox::PostInitialize();
    if (result < 0) {
        return result;
    }
    SetClipToParent(false);
    SetVisible(false);
    ResetSizeLimits();
    return S_OK;
}

void LPopupMenu::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                     const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mPopupHandler && mPopupHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    LCheckedListBox::ReceiveNotification(sender, notification);
}

int32_t LPopupMenu::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                              const WChar* name) {
    if (mPopupHandler) {
        mPopupHandler->RemoveHandler(distributor, name);
    }
    return LCheckedListBox::UnregisterForNotification(distributor, name);
}

int32_t LPopupMenu::ResetSizeLimits() {
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    const RCPtr<LLayoutDescriptor> skin = descriptor ? descriptor->GetLayout() : nullptr;
    if (skin) {
        const LLayoutDescriptor::Limit* skinMinimum[2] = {&skin->xMinimum, &skin->yMinimum};
        const LLayoutDescriptor::Limit* skinMaximum[2] = {&skin->xMaximum, &skin->yMaximum};
        for (int32_t axis = 0; axis < 2; ++axis) {
            if (skinMinimum[axis]->offset != 0 && skinMaximum[axis]->offset != 0) {
                continue;
            }
            LLayoutDescriptor::Limit minimum;
            LLayoutDescriptor::Limit maximum;
            GetSizeLimits(axis, minimum, maximum);
            if (skinMinimum[axis]->offset == 0) {
                minimum.reference = LimitReference::kSelf;
                minimum.referenceName = WString();
                minimum.factor = 0;
                minimum.offset = axis == 0 ? std::trunc(GetFrame().width) : ItemHeight;
            }
            SetSizeLimits(axis, minimum, maximum);
        }
    }
    ItemChromeWidth = -1;
    return S_OK;
}

int32_t LPopupMenu::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) {
    const int32_t result = LCheckedListBox::ApplyDescriptor(descriptor);
    if (result >= 0 && mMenu) {
        DeselectAll();
        RebuildItems();
    }
    return result;
}

RCPtr<LMenuItemDescriptor> LPopupMenu::MenuChild(int32_t index) const {
    if (!mMenu || index < 0 || static_cast<uint32_t>(index) >= mMenu->GetItemCount()) {
        return nullptr;
    }
    return mMenu->GetItem(static_cast<uint32_t>(index));
}

RCPtr<LMenuListBoxItem> LPopupMenu::GetItemControl(int32_t slot) {
    RCPtr<LListBoxItem> item = LListBox::GetItemControl(slot);
    return RCPtr<LMenuListBoxItem>(dynamic_cast<LMenuListBoxItem*>(item.Get()));
}

// Menus.

int32_t LPopupMenu::SetMenuDescriptor(const RCPtr<LMenuDescriptor>& menu) {
    if (!menu) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold(this);
    CloseSubmenu();
    mMenu = menu->Clone();
    FillHotKeyTexts(mMenu);
    return RebuildItems();
}

int32_t LPopupMenu::SetMenuFromParentItem(int32_t index) {
    RCPtr<LPopupMenu> parent = GetParentPopup();
    RCPtr<LMenuItemDescriptor> child = parent ? parent->MenuChild(index) : nullptr;
    if (!child || index >= parent->GetItemCount() || child->GetItemCount() == 0) {
        return E_INVALIDARG;
    }
    CloseSubmenu();
    mMenu = RCPtr<LMenuDescriptor>(child.Get());
    FillHotKeyTexts(mMenu);
    return RebuildItems();
}

int32_t LPopupMenu::LoadMenuFromStringTable() {
    RCPtr<LStringTable> table = GetStringTable();
    if (!table) {
        return 1;
    }
    Array<LStringTable::Entry> entries;
    table->GetSortedEntries(entries);
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::CreateFromStrings(entries);
    if (!menu || menu->GetItemCount() == 0) {
        return 1;
    }
    return SetMenuDescriptor(menu);
}

int32_t LPopupMenu::SetReceiver(const RCPtr<LNotificationQueue>& queue) {
    if (!queue) {
        return E_INVALIDARG;
    }
    if (mReceiver) {
        return E_FAIL;
    }
    mReceiver = RCPtr<LNotificationReceiver>(queue->GetPostingReceiver().Get());
    if (mMenu) {
        FillHotKeyTexts(mMenu);
        RebuildItems();
    }
    return S_OK;
}

RCPtr<LNotificationReceiver> LPopupMenu::GetReceiver() {
    if (mReceiver) {
        return mReceiver;
    }
    for (LControl* control = GetParent(); control != nullptr; control = control->GetParent()) {
        if (dynamic_cast<LPopupMenu*>(control) == nullptr) {
            return RCPtr<LNotificationReceiver>(control);
        }
    }
    return nullptr;
}

RCPtr<LMenuItemUpdater> LPopupMenu::GetMenuItemUpdater() {
    if (!mItemUpdater) {
        RCPtr<LNotificationReceiver> receiver = GetReceiver();
        if (auto* control = dynamic_cast<LControl*>(receiver.Get())) {
            mItemUpdater = control->GetMenuItemUpdater();
        }
    }
    return mItemUpdater;
}

void LPopupMenu::FillLevel(LMenuDescriptor& level, LControl* control, const LHotKeyTable* windowTable,
                           const LHotKeyTable* applicationTable) {
    for (uint32_t i = 0; i < level.GetItemCount(); ++i) {
        RCPtr<LMenuItemDescriptor> child = level.GetItem(i);
        if (!child) {
            continue;
        }
        if (child->GetItemCount() != 0) {
            FillLevel(*child, control, windowTable, applicationTable);
            continue;
        }
        if (!child->hotKeyText.IsEmpty() || child->command.IsEmpty()) {
            continue;
        }
        KeyCode key;
        if (control != nullptr && control->HasHotKey(child->command)) {
            key = control->GetHotKey(child->command);
        } else if (windowTable != nullptr && windowTable->HasCommand(child->command)) {
            key = windowTable->GetKeys(child->command).GetAt(0);
        } else if (applicationTable != nullptr && applicationTable->HasCommand(child->command)) {
            key = applicationTable->GetKeys(child->command).GetAt(0);
        } else {
            continue;
        }
        child->hotKeyText = key.ToString();
    }
}

int32_t LPopupMenu::FillHotKeyTexts(const RCPtr<LMenuDescriptor>& menu) {
    RCPtr<LNotificationReceiver> receiver = GetReceiver();
    if (!menu || !receiver) {
        return E_FAIL;
    }
    LControl* control = nullptr;
    RCPtr<IRootWindow> window;
    if (mReceiver) {
        window = GetRootWindow();
        auto* root = dynamic_cast<LRootWindow*>(window.Get());
        if (root == nullptr || RCPtr<LNotificationReceiver>(root->GetPostingReceiver().Get()) != mReceiver) {
            window = nullptr;
        }
    } else {
        control = dynamic_cast<LControl*>(receiver.Get());
        window = control != nullptr ? control->GetRootWindow() : nullptr;
    }
    auto* root = dynamic_cast<LRootWindow*>(window.Get());
    const LHotKeyTable* windowTable =
        root != nullptr && root->GetHotKeys() ? &root->GetHotKeys()->GetTable() : nullptr;
    IRootWindowList* list = GetRootWindowList();
    const LHotKeyTable* applicationTable = list != nullptr ? list->GetApplicationHotKeyTable() : nullptr;
    FillLevel(*menu, control, windowTable, applicationTable);
    return S_OK;
}

int32_t LPopupMenu::RebuildItems() {
    if (!mMenu) {
        return S_OK;
    }
    RCPtr<LControl> hold(this);
    const int32_t count = static_cast<int32_t>(mMenu->GetItemCount());
    SetItemCount(count);
    RCPtr<LMenuListBoxItem> last = GetItemControl(GetItemControlCount() - 1);
    if (!last) {
        return 1;
    }
    if (ItemChromeWidth < 0) {
        RCPtr<LButton> box = last->GetCheckBox();
        RCPtr<LLabel> label = last->GetHotKeyLabel();
        const double boxRight = box ? box->GetFrame().x + box->GetFrame().width : 0.0;
        const double labelRight =
            label ? label->GetFrame().x + label->GetFrame().width : last->GetFrame().width;
        ItemChromeWidth = static_cast<int32_t>(std::trunc(boxRight)) + 20 +
                          static_cast<int32_t>(std::trunc(last->GetFrame().width - labelRight));
    }
    mSeparatorCount = 0;
    WidestItemWidth = 0;
    for (int32_t i = 0; i < count; ++i) {
        RCPtr<LMenuItemDescriptor> child = MenuChild(i);
        const bool separator = child && child->separator != 0;
        SetItem(i, RCPtr<LTaggableObject>(child.Get()), 0.0, child && child->GetItemCount() != 0, separator);
        SetItemChecked(i, child && child->checked != 0);
        SetItemSeparator(i, separator);
        if (separator) {
            ++mSeparatorCount;
        }
        WidestItemWidth = std::max(WidestItemWidth, LayoutHotKeyLabels(i));
    }
    FitWidthToContent(std::trunc(GetScrollBarThickness().x) + WidestItemWidth);
    FitHeightToContent(GetContentHeight());
    RebindFrom(0);
    return S_OK;
}

int32_t LPopupMenu::LayoutHotKeyLabels(int32_t index) {
    RCPtr<LMenuItemDescriptor> child = MenuChild(index);
    if (!child || index >= GetItemCount()) {
        return 0;
    }
    RCPtr<LMenuListBoxItem> last = GetItemControl(GetItemControlCount() - 1);
    RCPtr<LMeasurementRenderer> renderer = GetApplicationServices().GetMeasuringRenderer();
    double width = 0;
    if (last && renderer) {
        width += renderer->MeasureText(GetItemText(index), ConstRCPtr<LFont>(last->GetFont())).width;
        RCPtr<LLabel> label = last->GetHotKeyLabel();
        if (label && !child->hotKeyText.IsEmpty()) {
            width += renderer->MeasureText(child->hotKeyText, ConstRCPtr<LFont>(label->GetFont())).width;
        }
    }
    return static_cast<int32_t>(PopupRoundHalfAway(width)) + std::max(ItemChromeWidth, 0);
}

int32_t LPopupMenu::GetContentHeight() {
    const int32_t count = GetItemCount();
    return mSeparatorCount * mSeparatorHeight + (count - mSeparatorCount) * ItemHeight;
}

bool LPopupMenu::IsItemSelectable(int32_t index) {
    RCPtr<LMenuItemDescriptor> child = MenuChild(index);
    return child && child->enabled != 0 && child->separator == 0;
}

int32_t LPopupMenu::SwapItems(int32_t, int32_t) {
    return E_NOTIMPL;
}

int32_t LPopupMenu::CreateItemControl() {
    const int32_t result = LCheckedListBox::CreateItemControl();
    if (result < 0 || !mPopupHandler) {
        return result;
    }
    if (RCPtr<LListBoxItem> item = LListBox::GetItemControl(GetItemControlCount() - 1)) {
        mPopupHandler->AddHandler(&LPopupMenu::OnItemHoverChanged, RCPtr<LNotificationDistributor>(item),
                                  u"NID_HOVER_CONDITION_CHANGE", 0);
    }
    return result;
}

int32_t LPopupMenu::BindItemControl(int32_t index, int32_t& slot) {
    const int32_t result = LCheckedListBox::BindItemControl(index, slot);
    if (result < 0 || slot < 0) {
        return result;
    }
    RCPtr<LMenuListBoxItem> item = GetItemControl(slot);
    if (!item) {
        return result;
    }
    RCPtr<LMenuItemDescriptor> child = index < GetItemCount() ? MenuChild(index) : nullptr;
    bool separator = false;
    if (child) {
        separator = child->separator != 0;
        item->SetHotKeyText(child->hotKeyText);
        item->SetSeparator(separator);
        item->SetEnabled(child->enabled != 0);
        item->SelectCheckBoxLook(child->checked == 0 ? 0 : (item->IsHover() ? 8 : 7), 0);
    } else {
        item->SetHotKeyText(WString());
        item->SetEnabled(false);
        item->SetLookStateWithParts(0, 0);
        item->SelectCheckBoxLook(0, 0);
    }
    // A separator row is a thin line; every other row keeps the template's height.
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    item->GetPlacement(1, placement, size);
    const double height = separator ? mSeparatorHeight : ItemHeight;
    if (size.reference != SizeReference::kSelf || size.offset != height) {
        size.reference = SizeReference::kSelf;
        size.referenceName = WString();
        size.factor = 0;
        size.offset = height;
        item->SetPlacement(1, placement, size);
    }
    return result;
}

// Command states.

int32_t LPopupMenu::UpdateItemStates() {
    RCPtr<LMenuItemUpdater> updater = GetMenuItemUpdater();
    if (!updater || !mMenu) {
        return S_OK;
    }
    RCPtr<LControl> hold(this);
    DeselectAll();
    for (int32_t i = static_cast<int32_t>(mMenu->GetItemCount()) - 1; i >= 0; --i) {
        RCPtr<LMenuItemDescriptor> child = MenuChild(i);
        if (!child || child->GetItemCount() != 0 || child->separator != 0) {
            continue;
        }
        LMenuItemState state;
        mMenu->GetItemState(static_cast<uint32_t>(i), state);
        if (const RCPtr<LControl>& control = updater->GetControl()) {
            uint8_t enabled = state.enabled;
            control->GetCommandState(child->command, enabled);
            state.enabled = enabled;
        }
        SetItemState(i, state);
    }
    return S_OK;
}

int32_t LPopupMenu::SetItemState(int32_t index, const LMenuItemState& state) {
    RCPtr<LMenuItemDescriptor> child = MenuChild(index);
    if (!child || index >= GetItemCount()) {
        return E_INVALIDARG;
    }
    if (child->enabled == state.enabled && child->checked == state.checked && child->label == state.label) {
        return 1;
    }
    if (child->separator == 0) {
        child->enabled = state.enabled;
        if (child->GetItemCount() == 0) {
            child->checked = state.checked;
            SetItemChecked(index, state.checked != 0);
        }
    }
    if (child->label != state.label && child->separator == 0) {
        child->label = state.label;
        RebuildItems();
    }
    int32_t slot = -1;
    BindItemControl(index, slot);
    return S_OK;
}

// Pointer, keys and the submenu timer.

int32_t LPopupMenu::OnItemHoverChanged(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    // The program has no status bar for the items' descriptions; the list box follows the
    // pointer from here.
    return S_OK;
}

void LPopupMenu::ArmTimer() {
    mTimerStart = GetApplicationServices().GetTimeMs();
    if (!mTimerArmed) {
        mTimerArmed = true;
        BeginIdleWork();
    }
}

void LPopupMenu::DisarmTimer() {
    if (mTimerArmed) {
        mTimerArmed = false;
        EndIdleWork();
    }
}

void LPopupMenu::SelectOpenItemInParent() {
    if (!mOpenItem || !mMenu) {
        return;
    }
    for (uint32_t i = 0; i < mMenu->GetItemCount(); ++i) {
        if (mMenu->GetItem(i) == mOpenItem) {
            if (GetCurrentIndex() != static_cast<int32_t>(i)) {
                SelectRange(static_cast<int32_t>(i), static_cast<int32_t>(i), true);
            }
            break;
        }
    }
    DisarmTimer();
}

void LPopupMenu::OnSelectionChanged() {
    RCPtr<LMenuItemDescriptor> child = MenuChild(GetCurrentIndex());
    if (!child) {
        return;
    }
    RCPtr<LControl> hold(this);
    if (RCPtr<LPopupMenu> parent = GetParentPopup()) {
        parent->SelectOpenItemInParent();
    }
    if (child->GetItemCount() != 0) {
        if (child != mOpenItem) {
            RCPtr<LMenuListBoxItem> row = GetItemControl(ControlSlotOfItem(GetCurrentIndex()));
            RCPtr<IRootWindow> window = GetRootWindow();
            if (row && window) {
                const PointT<int32_t> pointer = window->GetCursorPos();
                const PointT<double> origin = row->GetRectInWindow();
                const double x = pointer.x - origin.x;
                const double y = pointer.y - origin.y;
                if (x >= 0 && y >= 0 && x < row->GetFrame().width && y < row->GetFrame().height) {
                    ArmTimer();
                }
            }
        } else {
            DisarmTimer();
        }
    } else if (mSubmenu) {
        ArmTimer();
    }
}

void LPopupMenu::OnIdleTick() {
    LCheckedListBox::OnIdleTick();
    if (!mTimerArmed || GetApplicationServices().GetTimeMs() - mTimerStart <= kSubmenuDelayMs) {
        return;
    }
    RCPtr<LControl> hold(this);
    CloseSubmenu();
    RCPtr<LMenuItemDescriptor> child = MenuChild(GetCurrentIndex());
    if (child && child->GetItemCount() != 0) {
        OpenSubmenu(GetCurrentIndex());
    }
}

int32_t LPopupMenu::HandleMouseMove(const RCPtr<LPointWithModifiersParam>& param) {
    const int32_t result = LCheckedListBox::HandleMouseMove(param);
    if (!param || (GetConditions() & kLeftDragging) == 0) {
        return result;
    }
    RCPtr<IRootWindow> window = GetRootWindow();
    if (!window) {
        return result;
    }
    const PointT<int32_t> pointer = window->GetCursorPos();
    const PointT<double> origin = GetRectInWindow();
    const double x = pointer.x - origin.x;
    const double y = pointer.y - origin.y;
    if (x >= 0 && y >= 0 && x < GetFrame().width && y < GetFrame().height) {
        return result;
    }
    // The held press moves on to the level of this chain under the pointer.
    RCPtr<LControl> hold(this);
    PointT<int32_t> local;
    RCPtr<LControl> under = window->HitTest(pointer, local, false);
    for (LControl* control = under.Get(); control != nullptr; control = control->GetParent()) {
        auto* popup = dynamic_cast<LPopupMenu*>(control);
        if (popup != nullptr) {
            if (popup != this && IsInChain(popup)) {
                RCPtr<LControl> target(popup);
                if (HasCapture()) {
                    OnCaptureEnd();
                }
                target->OnCaptureStart(1, 0, 0);
            }
            break;
        }
    }
    return result;
}

int32_t LPopupMenu::HandleKeyDown(const RCPtr<LKeyParam>& param) {
    if (!param) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    switch (param->key.GetCode()) {
        case kPopupKeyLeft:
            if (RCPtr<LPopupMenu> parent = GetParentPopup()) {
                parent->CloseSubmenu();
            }
            return S_OK;
        case kPopupKeyRight: {
            RCPtr<LMenuItemDescriptor> child = MenuChild(GetCurrentIndex());
            if (child && child->GetItemCount() != 0 && OpenSubmenu(GetCurrentIndex()) >= 0 && mSubmenu) {
                mSubmenu->SelectRange(0, -1, true);
            }
            return S_OK;
        }
        case kPopupKeyEscape:
            if (mAutoDismiss && !mDismissed) {
                Dismiss();
            } else if (!mAutoDismiss) {
                // A title's menu closes too, and the focus goes back where it was.
                RCPtr<LPopupMenu> top(this);
                while (RCPtr<LPopupMenu> parent = top->GetParentPopup()) {
                    top = parent;
                }
                top->ReturnFocus();
                top->SetVisible(false);
            }
            return S_OK;
        default:
            return LCheckedListBox::HandleKeyDown(param);
    }
}

// Submenus.

int32_t LPopupMenu::OpenSubmenu(int32_t index) {
    RCPtr<LMenuItemDescriptor> child = MenuChild(index);
    if (!child || child->GetItemCount() == 0) {
        return E_INVALIDARG;
    }
    RCPtr<LControl> hold(this);
    CloseSubmenu();
    RCPtr<LControlFactory> factory = LControlFactory::GetCurrent();
    const RCPtr<LControlDescriptor>& own = GetDescriptor();
    if (!factory || !own) {
        return E_FAIL;
    }
    const RCPtr<LLayoutDescriptor> layout =
        own->GetLayout() ? own->GetLayout()->Clone() : LLayoutDescriptor::Create();
    RCPtr<LControlDescriptor> descriptor = factory->CloneDescriptor(own, layout, WString(u"submenu"));
    ProcessPendingRemovals();
    // While the new level sizes itself the focus may be handed back here: no dismissal for that.
    mOpeningSubmenu = true;
    RCPtr<LControl> made = factory->CreateControl(descriptor, RCPtr<LControl>(this));
    mOpeningSubmenu = false;
    mSubmenu = RCPtr<LPopupMenu>(dynamic_cast<LPopupMenu*>(made.Get()));
    if (!mSubmenu) {
        if (made) {
            made->Close();
        }
        return E_FAIL;
    }
    mOpenItem = child;
    mSubmenu->SetMenuFromParentItem(index);
    mSubmenu->mReceiver = mReceiver;
    mSubmenu->mAutoDismiss = mAutoDismiss;
    // Beside the item, inside the window: to the left when there is no room on the right.
    const RectT<double> item = GetItemRect(index);
    const PointT<double> at = GetRectInWindow();
    const double px = std::round(at.x);
    const double py = std::round(at.y);
    RCPtr<IRootWindow> window = GetRootWindow();
    const double W = window ? window->GetRect().width : 0;
    const double H = window ? window->GetRect().height : 0;
    const double sw = std::round(mSubmenu->GetFrame().width);
    const double sh = std::round(mSubmenu->GetFrame().height);
    double x = std::trunc(item.x + item.width);
    if (sw + x + px > W) {
        x = -sw;
        if (px + x < 0) {
            x = std::trunc(item.x + item.width);
        }
    }
    double y = std::trunc(item.y);
    if (sh + y + py > H) {
        y = H - py - sh;
        if (py + y < 0) {
            y = 0;
        }
    }
    const double positions[2] = {x, y};
    for (int32_t axis = 0; axis < 2; ++axis) {
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        mSubmenu->GetPlacement(axis, placement, size);
        placement.factor = 0;
        placement.offset = positions[axis];
        mSubmenu->SetPlacement(axis, placement, size);
    }
    mSubmenu->mItemUpdater = GetMenuItemUpdater();
    mSubmenu->SetVisible(true);
    return S_OK;
}

int32_t LPopupMenu::CloseSubmenu() {
    DisarmTimer();
    if (mSubmenu) {
        RCPtr<LPopupMenu> submenu = mSubmenu;
        mSubmenu = nullptr;
        mFocusReturnGuard = true;
        submenu->CloseSubmenu();
        submenu->SetVisible(false);
        RemoveChildLater(RCPtr<LControl>(submenu));
    }
    mOpenItem = nullptr;
    return S_OK;
}

RCPtr<LPopupMenu> LPopupMenu::GetParentPopup() const {
    return RCPtr<LPopupMenu>(dynamic_cast<LPopupMenu*>(GetParent()));
}

bool LPopupMenu::IsInChain(const LPopupMenu* popup) const {
    for (const LPopupMenu* below = mSubmenu.Get(); below != nullptr; below = below->mSubmenu.Get()) {
        if (below == popup) {
            return true;
        }
    }
    for (RCPtr<LPopupMenu> above = GetParentPopup(); above; above = above->GetParentPopup()) {
        if (above.Get() == popup) {
            return true;
        }
    }
    return false;
}

// Showing, activation and dismissal.

RectT<double> LPopupMenu::GetPopupArea(IRootWindow& window) {
    RectT<int32_t> area;
    if (!window.GetPopupArea(area)) {
        const RectT<int32_t> client = window.GetRect();
        area = {0, 0, client.width, client.height};
    }
    return {static_cast<double>(area.x), static_cast<double>(area.y), static_cast<double>(area.width),
            static_cast<double>(area.height)};
}

bool LPopupMenu::SetVisible(bool visible) {
    const bool result = LCheckedListBox::SetVisible(visible);
    RCPtr<IRootWindow> window = GetRootWindow();
    if (!window) {
        return result;
    }
    if (visible) {
        const PointT<double> at = GetRectInWindow();
        const RectT<int32_t> rect{static_cast<int32_t>(std::lround(at.x)),
                                  static_cast<int32_t>(std::lround(at.y)),
                                  static_cast<int32_t>(std::lround(GetFrame().width)),
                                  static_cast<int32_t>(std::lround(GetFrame().height))};
        mHasPopupWindow = window->ShowPopupWindow(RCPtr<LControl>(this), rect) >= 0;
    } else if (mHasPopupWindow) {
        window->HidePopupWindow(this);
        mHasPopupWindow = false;
    }
    return result;
}

int32_t LPopupMenu::ShowAtCursor() {
    RCPtr<IRootWindow> window = GetRootWindow();
    LControl* parent = GetParent();
    if (!window || parent == nullptr) {
        return S_OK;
    }
    RCPtr<LControl> hold(this);
    const PointT<int32_t> pointer = window->GetCursorPos();
    const RectT<double> area = GetPopupArea(*window);
    const double wanted[2] = {static_cast<double>(pointer.x), static_cast<double>(pointer.y)};
    const double start[2] = {area.x, area.y};
    const double end[2] = {area.x + area.width, area.y + area.height};
    const double own[2] = {std::round(GetFrame().width), std::round(GetFrame().height)};
    double target[2];
    for (int32_t axis = 0; axis < 2; ++axis) {
        double p = wanted[axis];
        if (p + own[axis] > end[axis]) {
            p = end[axis] - own[axis];
        }
        target[axis] = std::max(p, start[axis]);
    }
    if (const RCPtr<LLayoutDescriptor>& layout = GetLayout()) {
        // Still when the owner's content scrolls.
        layout->xDocked = true;
        layout->yDocked = true;
    }
    // Placed once against the owner's client area, then corrected by where it landed, so that
    // the owner's borders and scrolling need no separate account.
    for (int32_t pass = 0; pass < 2; ++pass) {
        const PointT<double> at = GetRectInWindow();
        for (int32_t axis = 0; axis < 2; ++axis) {
            LLayoutDescriptor::Placement placement;
            LLayoutDescriptor::Size size;
            GetPlacement(axis, placement, size);
            const double current = axis == 0 ? at.x : at.y;
            placement.anchor = 0;
            placement.reference = PlacementReference::kClient;
            placement.referenceName = WString();
            placement.factor = 0;
            placement.offset += target[axis] - current;
            SetPlacement(axis, placement, size);
        }
    }
    SetVisible(true);
    if (!HasFocus()) {
        SetFocus(true);
    }
    return S_OK;
}

void LPopupMenu::OnItemActivated() {
    const int32_t current = GetCurrentIndex();
    RCPtr<LMenuItemDescriptor> child = MenuChild(current);
    if (!child) {
        return;
    }
    RCPtr<LControl> hold(this);
    if (child->GetItemCount() != 0) {
        if (child != mOpenItem && OpenSubmenu(current) >= 0 && mSubmenu) {
            mSubmenu->SelectRange(0, -1, true);
        }
        return;
    }
    SendCommand(child);
}

void LPopupMenu::ReturnFocus() {
    // A menu of the menu bar gives the focus back to the control that had it before the bar.
    for (LControl* control = GetParent(); control != nullptr; control = control->GetParent()) {
        if (auto* bar = dynamic_cast<LMainMenu*>(control)) {
            RCPtr<LControl> saved = bar->GetSavedFocus();
            if (saved && saved->GetRootWindow()) {
                saved->SetFocus(true);
            }
            return;
        }
    }
    // Any other goes back to the control whose menu it is, so that what the command does (an
    // edit command acts on the focused control) reaches it.
    RCPtr<LPopupMenu> top(this);
    while (RCPtr<LPopupMenu> parent = top->GetParentPopup()) {
        top = parent;
    }
    if (!top->HasFocus() && !top->ContainsFocus()) {
        return;
    }
    if (LControl* owner = top->GetParent()) {
        RCPtr<LControl> hold(owner);
        owner->RequestFocus();
    }
}

int32_t LPopupMenu::SendCommand(const RCPtr<LMenuItemDescriptor>& item) {
    RCPtr<LControl> hold(this);
    ReturnFocus();
    if (mAutoDismiss && !mDismissed) {
        SetVisible(false);
    }
    RCPtr<LNotificationReceiver> receiver = GetReceiver();
    if (receiver && item) {
        int32_t index = GetCurrentIndex();
        if (index >= GetItemCount()) {
            index = -1;
        }
        LNotificationDistributor::Notify(LNotification::Create(u"NID_ITEM_ACTIVATED"));
        RCPtr<LMenuActivationParam> param(new LMenuActivationParam(mMenu, index));
        RCPtr<LNotification> command =
            LNotification::Create(item->command.GetString(), RCPtr<LRefCountedObject>(param.Get()));
        if (command) {
            receiver->ReceiveNotification(nullptr, command);
        }
    }
    if (mAutoDismiss && !mDismissed) {
        Dismiss();
    }
    return S_OK;
}

int32_t LPopupMenu::Dismiss() {
    mDismissed = true;
    RCPtr<LControl> hold(this);
    if (RCPtr<LPopupMenu> parent = GetParentPopup()) {
        return parent->Dismiss();
    }
    DisarmTimer();
    CloseSubmenu();
    LControl* owner = GetParent();
    if (owner == nullptr) {
        SetVisible(false);
        return S_OK;
    }
    return owner->RemoveChildLater(RCPtr<LControl>(this));
}

void LPopupMenu::ClosePopupsOutside(LControl& pressed) {
    RCPtr<IRootWindow> window = pressed.GetRootWindow();
    RCPtr<LControl> focus = window ? window->GetFocusControl() : nullptr;
    RCPtr<LPopupMenu> top;
    for (LControl* control = focus.Get(); control != nullptr; control = control->GetParent()) {
        if (auto* popup = dynamic_cast<LPopupMenu*>(control)) {
            top = RCPtr<LPopupMenu>(popup);
        }
    }
    LControl* owner = top ? top->GetParent() : nullptr;
    if (owner == nullptr || !top->IsVisible(false) || top->mDismissed) {
        return;
    }
    for (LControl* control = &pressed; control != nullptr; control = control->GetParent()) {
        if (control == owner) {
            return;
        }
    }
    if (top->mAutoDismiss) {
        top->Dismiss();
    } else {
        top->SetVisible(false);
    }
}

int32_t LPopupMenu::SetFocus(bool forward) {
    RCPtr<LControl> hold(this);
    if ((HasFocus() || ContainsFocus()) && !mFocusReturnGuard && !mOpeningSubmenu && mAutoDismiss &&
        !mDismissed) {
        Dismiss();
    }
    mFocusReturnGuard = false;
    return LControl::SetFocus(forward);
}

int32_t LPopupMenu::RequestFocus() {
    return S_OK;
}

void LPopupMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LCheckedListBox::OnConditionsChanged(param);
    if (!param) {
        return;
    }
    RCPtr<LControl> hold(this);
    const uint32_t changed = param->previous ^ param->current;
    const bool top = !GetParentPopup();
    if (top && (changed & (kHasFocus | kContainsFocus)) != 0 &&
        (param->current & (kHasFocus | kContainsFocus)) == 0 && IsVisible(false) && GetFrame().width > 0 &&
        GetFrame().height > 0 && mAutoDismiss && !mDismissed) {
        Dismiss();
    }
    if ((changed & kVisible) != 0) {
        if ((param->current & kVisible) != 0) {
            UpdateItemStates();
        } else if (top) {
            CloseSubmenu();
        }
    }
}

}  // namespace QV
