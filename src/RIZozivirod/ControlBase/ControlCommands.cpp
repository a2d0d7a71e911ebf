#include <stdexcept>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Controls/ToolTip.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

// Strings, local hot keys, command states, edit targets, context menus and tool tips of controls.

namespace QV {

namespace {

// A control made from the current skin's top-level descriptor of that name as a child of parent;
// null when the skin has no such descriptor.
RCPtr<LControl> CreateSkinPart(const WChar* name, const RCPtr<LControl>& parent) {
    RCPtr<LControlFactory> factory = LControlFactory::GetCurrent();
    if (!factory) {
        return nullptr;
    }
    RCPtr<LControlDescriptor> descriptor = factory->FindControlDescriptor(WString(name));
    if (!descriptor) {
        return nullptr;
    }
    return factory->CreateControl(descriptor, parent);
}

}  // namespace

RCPtr<LStringTable> LControl::GetStringTable() {
    return mStringTable;
}

WString LControl::GetString(const WChar* id) const {
    WString text;
    if (mStringTable) {
        mStringTable->GetString(id, text);
    }
    return text;
}

KeyCode LControl::GetHotKey(const WString& command) const {
    Array<KeyCode> keys = mLocalHotKeys.GetKeys(command);
    if (keys.GetCount() == 0) {
        return KeyCode();
    }
    return keys.GetAt(0);
}

bool LControl::HasHotKey(const WString& command) const {
    return mLocalHotKeys.GetKeys(command).GetCount() != 0;
}

bool LControl::IsEditTarget() {
    return false;
}

RCPtr<LControl> LControl::GetEditTarget() {
    if (IsEditTarget()) {
        return Self();
    }
    return mParent != nullptr ? mParent->GetEditTarget() : nullptr;
}

bool LControl::CanPerformEdit(int32_t) {
    return false;
}

int32_t LControl::PerformEdit(int32_t) {
    QV_THROW_IN(std::logic_error, "QV::LControl::PerformEdit", "LControl::PerformEdit must be overridden");
}

int32_t LControl::GetCommandState(const WString&, uint8_t&) {
    return 1;
}

const RCPtr<LRefCountedObject>& LControl::GetContextMenu() {
    return mContextMenu;
}

int32_t LControl::SetContextMenu(const RCPtr<LRefCountedObject>& menu) {
    mContextMenu = menu;
    return S_OK;
}

int32_t LControl::ShowContextMenu(const RCPtr<LRefCountedObject>&) {
    RCPtr<LControl> self = Self();
    RCPtr<LControl> popup = CreateSkinPart(u"contextMenu", self);
    if (popup) {
        // Only a popup menu can show the items; anything else the skin made there would stay
        // behind as a stray child, so it goes again at once.
        popup->Close();
    }
    return S_OK;
}

void LControl::PrepareContextMenu(const RCPtr<LRefCountedObject>&) {}

WString LControl::GetToolTipText() {
    return mToolTipText;
}

RCPtr<LControl> LControl::GetTooltipOwner() {
    if (GetToolTipText().IsEmpty() && mUseParentToolTip && mParent != nullptr) {
        return mParent->GetTooltipOwner();
    }
    return Self();
}

int32_t LControl::ShowToolTip(bool show) {
    RCPtr<LControl> self = Self();
    if (show) {
        const WString text = GetToolTipText();
        if (text.IsEmpty()) {
            return S_OK;
        }
        RCPtr<LControl> created = CreateSkinPart(u"toolTip", self);
        if (LToolTip* tip = dynamic_cast<LToolTip*>(created.Get())) {
            tip->SetText(text);
            tip->Show();
        } else if (created) {
            created->Close();
        }
        return S_OK;
    }
    RCPtr<LControl> child = FindChild(WString(u"toolTip"));
    if (LToolTip* tip = dynamic_cast<LToolTip*>(child.Get())) {
        tip->Hide();
    }
    return S_OK;
}

}  // namespace QV
