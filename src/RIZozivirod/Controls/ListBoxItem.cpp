#include "RIZozivirod/Controls/ListBoxItem.h"

namespace QV {

RCPtr<LItemConditionsParam> LItemConditionsParam::Create(int32_t itemIndex, int32_t lookIndex, bool hover,
                                                         uint32_t previousBits, uint32_t currentBits,
                                                         const PointT<double>& point) {
    RCPtr<LItemConditionsParam> param(new LItemConditionsParam());
    param->previous = previousBits;
    param->current = currentBits;
    param->origin = point;
    param->itemIndex = itemIndex;
    param->lookIndex = lookIndex;
    param->hover = hover ? 1 : 0;
    return param;
}

LListBoxItem::LListBoxItem(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LListBoxItem::~LListBoxItem() = default;

void LListBoxItem::OnValueChanged() {
    RefreshLook();
}

void LListBoxItem::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LControl::OnConditionsChanged(param);
    RefreshLook();
}

int32_t LListBoxItem::PostInitialize() {
    // The list box keeps the focus and moves through its rows with the keys.
    SetNotFocusable(true);
    return S_OK;
}

WString LListBoxItem::GetToolTipText() {
    return IsTextClipped() ? GetText() : LControl::GetToolTipText();
}

int32_t LListBoxItem::OnCaptureStart(int32_t button, int32_t x, int32_t y) {
    LControl* parent = GetParent();
    if (!DropDownMode || parent == nullptr) {
        return LControl::OnCaptureStart(button, x, y);
    }
    RCPtr<LControl> hold(parent);
    const PointT<int32_t> at = PointT<double>{x + GetFrame().x, y + GetFrame().y}.Round();
    return parent->OnCaptureStart(button, at.x, at.y);
}

int32_t LListBoxItem::ComputeLookState() {
    const bool selected = GetNormalizedValue() >= 0.5;
    if (IsSeparator) {
        return 13;
    }
    if (!IsEnabled(true)) {
        return selected ? 13 : 6;
    }
    const uint32_t conditions = GetConditions();
    const bool over = (conditions & kHoverOrHighlighted) != 0;
    const bool capture = (conditions & kCapture) != 0;
    const bool pressed = capture && (conditions & kLeftDragging) != 0;
    int32_t state = 0;  // normal
    if (pressed) {
        // A press dragged off the row shows it hovered.
        state = over ? 2 : 1;
    } else if (over && !capture) {
        state = 1;
    }
    return state + (AlternateLook ? 3 : 0) + (selected ? 7 : 0);
}

int32_t LListBoxItem::RefreshLook() {
    SelectLook(ComputeLookState());
    InvalidateRect({0, 0, GetFrame().width, GetFrame().height}, true);
    return S_OK;
}

bool LListBoxItem::SetSeparator(bool separator) {
    if (separator == IsSeparator) {
        return IsSeparator;
    }
    IsSeparator = separator;
    if (separator) {
        SetText(WString());
    }
    RefreshLook();
    return IsSeparator;
}

}  // namespace QV
