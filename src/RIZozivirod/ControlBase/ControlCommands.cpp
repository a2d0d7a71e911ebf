#include <stdexcept>
#include <vector>

#include "RIZozivirod/Application/Windows/RootWindow.h"
#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Controls/MenuDescriptor.h"
#include "RIZozivirod/Controls/PopupMenu.h"
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

void CollectMenuCommands(const LMenuDescriptor& menu, std::vector<WString>& commands) {
    for (uint32_t i = 0; i < menu.GetItemCount(); ++i) {
        RCPtr<LMenuItemDescriptor> item = menu.GetItem(i);
        if (!item) {
            continue;
        }
        if (item->GetItemCount() != 0) {
            CollectMenuCommands(*item, commands);
        } else if (!item->command.IsEmpty()) {
            commands.push_back(item->command);
        }
    }
}

// A context-menu command goes where its shortcut would have sent it: to the window's shortcuts
// when they bind it, else to the application's. 1 when it went, 0 when nothing binds it.
int32_t ForwardMenuCommand(LControl& control, const WString& command) {
    RCPtr<IRootWindow> window = control.GetRootWindow();
    auto* root = dynamic_cast<LRootWindow*>(window.Get());
    if (root != nullptr && root->GetHotKeys() && root->GetHotKeys()->GetTable().HasCommand(command)) {
        root->GetHotKeys()->HandleKey(root->GetHotKeys()->GetTable().GetKeys(command).GetAt(0));
        return 1;
    }
    IRootWindowList* list = GetRootWindowList();
    const LHotKeyTable* application = list != nullptr ? list->GetApplicationHotKeyTable() : nullptr;
    if (application != nullptr && application->HasCommand(command)) {
        list->HandleApplicationHotKey(application->GetKeys(command).GetAt(0));
        return 1;
    }
    return 0;
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
    // The menu's commands arrive here from the popup, with this control as their receiver.
    std::vector<WString> commands;
    if (const auto* old = dynamic_cast<const LMenuDescriptor*>(mContextMenu.Get())) {
        CollectMenuCommands(*old, commands);
    }
    if (mHandler) {
        for (const WString& command : commands) {
            mHandler->RemoveHandler(nullptr, command.GetString());
        }
    }
    mContextMenu = menu;
    commands.clear();
    if (const auto* descriptor = dynamic_cast<const LMenuDescriptor*>(menu.Get())) {
        CollectMenuCommands(*descriptor, commands);
    }
    if (mHandler) {
        for (const WString& command : commands) {
            mHandler->AddDirectHandler(
                [command](LControl& control, const RCPtr<LNotificationDistributor>&,
                          const RCPtr<LNotification>&) { return ForwardMenuCommand(control, command); },
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
    RCPtr<LPopupMenu> popup(dynamic_cast<LPopupMenu*>(made.Get()));
    RCPtr<LMenuDescriptor> descriptor(dynamic_cast<LMenuDescriptor*>(menu.Get()));
    if (!popup || !descriptor) {
        // Only a popup menu can show the items; anything else the skin made there would stay
        // behind as a stray child, so it goes again at once.
        if (made) {
            made->Close();
        }
        return S_OK;
    }
    popup->SetVisible(false);
    popup->SetMenuDescriptor(descriptor);
    PrepareContextMenu(RCPtr<LRefCountedObject>(popup.Get()));
    popup->ShowAtCursor();
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
