#include "RIZozivirod/Controls/MenuListBoxItem.h"

namespace QV {

LMenuListBoxItem::LMenuListBoxItem(const RCPtr<LControl>& parent, const WString& name)
    : LCheckedListBoxItem(parent, name) {}

LMenuListBoxItem::~LMenuListBoxItem() = default;

bool LMenuListBoxItem::SetLookStateWithParts(int32_t look, int32_t spare) {
    const bool result = LCheckedListBoxItem::SetLookStateWithParts(look, spare);
    SelectHotKeyLook(look);
    return result;
}

int32_t LMenuListBoxItem::SelectLook(int32_t index) {
    const int32_t result = LCheckedListBoxItem::SelectLook(index);
    SelectHotKeyLook(index);
    return result;
}

void LMenuListBoxItem::SelectHotKeyLook(int32_t index) {
    RCPtr<LLabel> label = GetHotKeyLabel();
    if (label && index >= 0 && static_cast<uint32_t>(index) < label->GetLookCount()) {
        label->SelectLook(index);
    }
}

RCPtr<LLabel> LMenuListBoxItem::GetHotKeyLabel() const {
    RCPtr<LControl> child = FindChild(WString(u"hotKeyLabel"));
    return RCPtr<LLabel>(dynamic_cast<LLabel*>(child.Get()));
}

int32_t LMenuListBoxItem::SetHotKeyText(const WString& text) {
    if (RCPtr<LLabel> label = GetHotKeyLabel()) {
        if (label->GetText() != text) {
            label->SetText(text);
        }
    }
    return S_OK;
}

int32_t LMenuListBoxItem::SetHotKeyLook(const RCPtr<LLookDescriptor>& look) {
    RCPtr<LLabel> label = GetHotKeyLabel();
    if (!label) {
        return E_FAIL;
    }
    return label->SetLookDescriptor(look, label->GetCurrentLookIndex());
}

}  // namespace QV
