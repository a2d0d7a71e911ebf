#include "RIZozivirod/Controls/ComboBox.h"

#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

constexpr uint32_t kComboKeyDown = 0x20280000;
constexpr uint32_t kComboKeyEnter = 0x200D0000;
constexpr uint32_t kComboKeyEscape = 0x201B0000;
// Space kept free between the open list and the window's edge.
constexpr double kComboScreenMargin = 5.0;

}  // namespace

LComboBox::LComboBox(const RCPtr<LControl>& parent, const WString& name) : LDropDownControl(parent, name) {}

LComboBox::~LComboBox() = default;

void LComboBox::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                    const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mComboHandler && mComboHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    LDropDownControl::ReceiveNotification(sender, notification);
}

int32_t LComboBox::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                             const WChar* name) {
    if (mComboHandler) {
        mComboHandler->RemoveHandler(distributor, name);
    }
    return LDropDownControl::UnregisterForNotification(distributor, name);
}

int32_t LComboBox::ReadCreateParams() {
    const int32_t result = LDropDownControl::ReadCreateParams();
    mInitialSelectedIndex = 0;
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    const RCPtr<LStringTable> params = descriptor ? descriptor->GetCreateParams() : nullptr;
    WString text;
    if (params && params->GetString(u"INITIAL_SELECTED_INDEX", text)) {
        mInitialSelectedIndex = Text::ToInt(text.GetString());
    }
    return result;
}

int32_t LComboBox::Initialize() {
    if (LDropDownControl::Initialize() < 0) {
        return E_FAIL;
    }
    RCPtr<LControl> list = FindChild(WString(u"listBox"));
    mList = RCPtr<LListBox>(dynamic_cast<LListBox*>(list.Get()));
    if (!mList) {
        return E_FAIL;
    }
    mComboHandler = LNotificationHandler<LComboBox>::Create(this);
    const RCPtr<LNotificationDistributor> listSource(mList);
    mComboHandler->AddHandler(&LComboBox::OnListVisibilityChange, listSource,
                              u"NID_VISIBLITY_CONDITION_CHANGE", 0);
    mComboHandler->AddHandler(&LComboBox::OnItemActivated, listSource, u"NID_ITEM_ACTIVATED", 0);
    mTextBox = FindChild(WString(u"textBox"));
    if (mTextBox) {
        const RCPtr<LNotificationDistributor> textSource(mTextBox);
        mComboHandler->AddHandler(&LComboBox::OnTextBoxPassOn, textSource, u"NID_TEXTBOX_VALIDATING", 0);
        mComboHandler->AddHandler(&LComboBox::OnTextBoxValidated, textSource, u"NID_TEXTBOX_VALIDATED", 0);
        mComboHandler->AddHandler(&LComboBox::OnTextBoxPassOn, textSource, u"NID_TEXTBOX_TEXT_CHANGE", 0);
        mComboHandler->AddHandler(&LComboBox::OnTextBoxFocusChange, textSource,
                                  u"NID_HAS_FOCUS_CONDITION_CHANGE", 0);
    }
    mList->SetDropDownMode(true);
    mList->SetRowsMadeWhenShown(true);
    mList->SetVisible(false);
    if (RCPtr<LStringTable> table = GetStringTable()) {
        mList->LoadItemsFromStringTable(table);
        if (mInitialSelectedIndex >= 0 && mInitialSelectedIndex < mList->GetItemCount()) {
            mList->SelectRange(mInitialSelectedIndex, -1, true);
            // The box's own text only: no item matching, the text box part keeps its text.
            LControl::SetText(mList->GetItemText(mInitialSelectedIndex));
            mSelectedIndex = mInitialSelectedIndex;
        }
    }
    return S_OK;
}

int32_t LComboBox::PostInitialize() {
    const int32_t result = LDropDownControl::PostInitialize();
    if (mList) {
        mList->SetVisible(false);
        PrepareListSize();
    }
    UpdateLookState();
    return result;
}

void LComboBox::PrepareListSize() {
    const RCPtr<LControlDescriptor>& descriptor = mList->GetDescriptor();
    const RCPtr<LLayoutDescriptor> skin = descriptor ? descriptor->GetLayout() : nullptr;
    if (!skin) {
        return;
    }
    for (int32_t axis = 0; axis < 2; ++axis) {
        const LLayoutDescriptor::Limit& skinMinimum = axis == 0 ? skin->xMinimum : skin->yMinimum;
        const LLayoutDescriptor::Limit& skinMaximum = axis == 0 ? skin->xMaximum : skin->yMaximum;
        if (skinMinimum.offset != 0 && skinMaximum.offset != 0) {
            continue;
        }
        LLayoutDescriptor::Limit minimum;
        LLayoutDescriptor::Limit maximum;
        mList->GetSizeLimits(axis, minimum, maximum);
        if (skinMinimum.offset == 0) {
            if (axis == 0) {
                minimum.offset = std::trunc(GetFrame().width);
            } else {
                minimum.offset = mList->GetItemHeight();
                minimum.factor = 0;
            }
        }
        mList->SetSizeLimits(axis, minimum, maximum);
    }
    LLayoutDescriptor::Limit minimum;
    LLayoutDescriptor::Limit maximum;
    mList->GetSizeLimits(1, minimum, maximum);
    if (maximum.offset > 0) {
        mList->SnapHeightToRows();
    }
}

const RCPtr<LTaggableObject>& LComboBox::GetItemData(int32_t index) {
    static const auto* const empty = new RCPtr<LTaggableObject>();
    return mList ? mList->GetItemData(index) : *empty;
}

int32_t LComboBox::SetSelectedIndex(int32_t index) {
    if (!mList) {
        mSelectedIndex = -1;
        return -1;
    }
    RCPtr<LControl> hold(this);
    if (index < 0) {
        mSelectedIndex = -1;
        mList->DeselectAll();
        return -1;
    }
    int32_t result = mList->SelectRange(index, -1, true);
    if (result < 0) {
        result = -1;
    }
    const bool changed = result != mSelectedIndex;
    mSelectedIndex = result;
    const WString text = mList->GetItemText(result);
    UpdateText(text, true);
    if (mTextBox) {
        mTextBox->SetText(text);
    }
    if (changed) {
        LNotificationDistributor::Notify(LNotification::Create(u"NID_SELECTION_CHANGE"));
    }
    return mSelectedIndex;
}

int32_t LComboBox::SetText(const WString& text) {
    if (!UpdateText(text, true)) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    SetSelectedIndex(mList ? mList->FindItemByText(text, false) : -1);
    return S_OK;
}

int32_t LComboBox::SetItemCount(int32_t count) {
    if (!mList) {
        return E_FAIL;
    }
    RCPtr<LControl> hold(this);
    const int32_t result = mList->SetItemCount(count);
    if (mSelectedIndex >= count) {
        SetSelectedIndex(-1);
    }
    if (IsDroppedDown()) {
        ShowDropDown(true);
    }
    return result;
}

bool LComboBox::IsDroppedDown() {
    return mList && mList->IsVisible(false) && mList->GetFrame().width > 0 && mList->GetFrame().height > 0;
}

int32_t LComboBox::ShowDropDown(bool show) {
    if (!mList) {
        return E_FAIL;
    }
    RCPtr<LControl> hold(this);
    RCPtr<LListBox> list = mList;
    if (show && GetParent() != nullptr) {
        LNotificationDistributor::Notify(LNotification::Create(u"NID_DROPDOWN_OPENING"));
        // Below the box, or above it when only there the list fits (or there is more room).
        const double boxHeight = GetFrame().height;
        const double top = GetRectInWindow().y;
        RCPtr<IRootWindow> window = GetRootWindow();
        const double windowHeight = window ? std::round(static_cast<double>(window->GetRect().height)) : 0.0;
        const double rows = static_cast<double>(list->GetItemCount()) * list->GetItemHeight();
        const double below = windowHeight - (top + boxHeight) - kComboScreenMargin;
        const double above = top - kComboScreenMargin;
        const RCPtr<LControlDescriptor>& descriptor = list->GetDescriptor();
        const double skinMaximum =
            descriptor && descriptor->GetLayout() ? descriptor->GetLayout()->yMaximum.offset : 0.0;
        LLayoutDescriptor::Limit minimum;
        LLayoutDescriptor::Limit maximum;
        list->GetSizeLimits(1, minimum, maximum);
        const double current = maximum.offset;
        bool downwards = true;
        if (current != 0 && skinMaximum > 0 && below >= skinMaximum) {
            downwards = true;
        } else if (current != 0 && skinMaximum > 0 && above >= skinMaximum) {
            downwards = false;
        } else {
            downwards = below >= rows || below >= above;
        }
        const double room = std::max(0.0, downwards ? below : above);
        double limit = 0.0;
        if (skinMaximum > 0) {
            limit = std::min(room, skinMaximum);
        } else {
            limit = rows <= room ? 0.0 : room;
        }
        maximum.reference = LimitReference::kSelf;
        maximum.referenceName = WString();
        maximum.factor = 0;
        maximum.offset = limit;
        list->SetSizeLimits(1, minimum, maximum);
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        list->GetPlacement(1, placement, size);
        placement.reference = PlacementReference::kParent;
        placement.referenceName = WString();
        placement.anchor = downwards ? 0.0f : 1.0f;
        placement.factor = downwards ? 1.0f : 0.0f;
        placement.offset = 0;
        size.offset = std::min(rows, room);
        list->SetPlacement(1, placement, size);
        list->SnapHeightToRows();
        // The row showing the box's text, the first of equal ones; else the first row.
        int32_t match = -1;
        for (int32_t i = list->GetItemCount() - 1; i >= 0; --i) {
            if (list->GetItemText(i) == GetText()) {
                match = i;
            }
        }
        if (match < 0 && list->GetItemCount() > 0) {
            match = 0;
        }
        if (match >= 0) {
            list->SelectRange(match, -1, true);
            list->EnsureItemVisible(match);
        }
    }
    const bool pressed = (GetConditions() & (kLeftPressed | kLeftDragging)) != 0;
    list->SetVisible(show);
    if (show) {
        if (list->IsDropDownMode() && pressed) {
            // The press goes on in the list: dragging onto a row and releasing there chooses it.
            const RectT<double> client = GetClientRect(-1);
            const PointT<int32_t> at =
                PointT<double>{mPressPoint.x - client.x + GetScrollOffset().x - list->GetFrame().x,
                               mPressPoint.y - client.y + GetScrollOffset().y - list->GetFrame().y}
                    .Round();
            if (HasCapture()) {
                OnCaptureEnd();
            }
            list->OnCaptureStart(1, at.x, at.y);
        }
        list->SetFocus(true);
    }
    return S_OK;
}

void LComboBox::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    if (param && (param->current & kLeftPressed) != 0 && (param->previous & kLeftPressed) == 0) {
        // The drag origin lies in the parent's space.
        mPressPoint = {param->origin.x - GetFrame().x, param->origin.y - GetFrame().y};
    }
    LDropDownControl::OnConditionsChanged(param);
    UpdateLookState();
}

void LComboBox::UpdateLookState() {
    int32_t look = 0;
    if (!IsEnabled(true)) {
        look = 6;
    } else if (IsDroppedDown()) {
        look = IsHover() ? 5 : 4;
    } else {
        const bool focused = HasFocus() || ContainsFocus();
        const bool hovered = IsHover();
        look = (focused ? 1 : 0) + (hovered ? 2 : 0);
    }
    SelectLook(look);
}

int32_t LComboBox::HandleKeyDown(const RCPtr<LKeyParam>& param) {
    if (!param) {
        return 1;
    }
    const uint32_t code = param->key.GetCode();
    if (!IsDroppedDown()) {
        if (code == kComboKeyDown || code == kComboKeyEnter) {
            ShowDropDown(true);
            return S_OK;
        }
    } else if (code == kComboKeyEscape) {
        ShowDropDown(false);
        return S_OK;
    }
    return 1;
}

void LComboBox::HandleUnprocessedKey(const RCPtr<LKeyParam>& param) {
    if (param && param->key.GetCode() == kComboKeyEscape) {
        RCPtr<LControl> hold(this);
        ShowDropDown(false);
        if (mList && !HasFocus() && !ContainsFocus()) {
            return;
        }
        SetFocus(true);
        return;
    }
    LDropDownControl::HandleUnprocessedKey(param);
}

WString LComboBox::GetToolTipText() {
    return IsTextClipped() ? GetText() : LDropDownControl::GetToolTipText();
}

int32_t LComboBox::OnItemActivated(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    if (mList) {
        const int32_t current = mList->GetCurrentIndex();
        SetSelectedIndex(current < mList->GetItemCount() ? current : -1);
    }
    return 1;
}

int32_t LComboBox::OnListVisibilityChange(const RCPtr<LNotificationDistributor>&,
                                          const RCPtr<LNotification>&) {
    UpdateLookState();
    return 1;
}

void LComboBox::NotifyWithParam(const RCPtr<LNotification>& notification) {
    LNotificationDistributor::Notify(LNotification::Create(notification->GetID(), notification->GetParam()));
}

int32_t LComboBox::OnTextBoxPassOn(const RCPtr<LNotificationDistributor>&,
                                   const RCPtr<LNotification>& notification) {
    if (notification) {
        NotifyWithParam(notification);
    }
    return 1;
}

int32_t LComboBox::OnTextBoxValidated(const RCPtr<LNotificationDistributor>&,
                                      const RCPtr<LNotification>& notification) {
    if (!notification) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    if (auto* params = dynamic_cast<LTextValidationParams*>(notification->GetParam().Get())) {
        // The typed text chooses the first item of that text, ignoring case, or none.
        SetSelectedIndex(mList ? mList->SelectItemByText(params->text, -1, false) : -1);
    }
    NotifyWithParam(notification);
    return 1;
}

int32_t LComboBox::OnTextBoxFocusChange(const RCPtr<LNotificationDistributor>&,
                                        const RCPtr<LNotification>& notification) {
    auto* param = notification ? dynamic_cast<LConditionsParam*>(notification->GetParam().Get()) : nullptr;
    if (param && (param->current & kHasFocus) != 0 && (param->previous & kHasFocus) == 0 && mList) {
        mList->SetVisible(false);
    }
    return 1;
}

}  // namespace QV
