#include <stdexcept>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/ControlPopups.h"
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

// The commands of a menu; none without the controls' popups.
std::vector<WString> MenuCommands(const LRefCountedObject* menu) {
    std::vector<WString> commands;
    if (IControlPopups* popups = GetControlPopups(); popups != nullptr && menu != nullptr) {
        popups->CollectMenuCommands(menu, commands);
    }
    return commands;
}

IControlPopups* gControlPopups = nullptr;

}  // namespace

IControlPopups* GetControlPopups() {
    return gControlPopups;
}

IControlPopups* SetControlPopups(IControlPopups* popups) {
    IControlPopups* const previous = gControlPopups;
    gControlPopups = popups;
    return previous;
}

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
    // The menu's commands arrive here from the popup, with this control as their receiver.
    std::vector<WString> commands = MenuCommands(mContextMenu.Get());
    if (mHandler) {
        for (const WString& command : commands) {
            mHandler->RemoveHandler(nullptr, command.GetString());
        }
    }
    mContextMenu = menu;
    commands = MenuCommands(menu.Get());
    if (mHandler) {
        for (const WString& command : commands) {
            mHandler->AddDirectHandler(
                [command](LControl& control, const RCPtr<LNotificationDistributor>&,
                          const RCPtr<LNotification>&) {
                    IControlPopups* popups = GetControlPopups();
                    return popups != nullptr ? popups->ForwardMenuCommand(control, command) : 0;
                },
                command.GetString());
        }
    }
    return S_OK;
}

int32_t LControl::ShowContextMenu(const RCPtr<LRefCountedObject>& menu) {
    RCPtr<LControl> self = Self();
    // A menu dismissed a moment ago may still wait for its removal under the same name.
    ProcessPendingRemovals();
    if (RCPtr<LControl> open = FindChild(WString(u"contextMenu"))) {
        open->Close();
    }
    RCPtr<LControl> made = CreateSkinPart(u"contextMenu", self);
    IControlPopups* popups = GetControlPopups();
    if (!made || popups == nullptr || !popups->SetUpContextMenu(*made, menu)) {
        // Only a popup menu can show the items; anything else the skin made there would stay
        // behind as a stray child, so it goes again at once.
        if (made) {
            made->Close();
        }
        return S_OK;
    }
    PrepareContextMenu(RCPtr<LRefCountedObject>(made.Get()));
    popups->ShowContextMenu(*made);
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
        IControlPopups* popups = GetControlPopups();
        if (created && (popups == nullptr || !popups->ShowToolTip(*created, text))) {
            created->Close();
        }
        return S_OK;
    }
    RCPtr<LControl> child = FindChild(WString(u"toolTip"));
    if (IControlPopups* popups = GetControlPopups(); popups != nullptr && child) {
        popups->HideToolTip(*child);
    }
    return S_OK;
}

}  // namespace QV
