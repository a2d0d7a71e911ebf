#include "RIZozivirod/ControlBase/ControlPopups.h"

#include "RIZozivirod/Application/Windows/RootWindow.h"
#include "RIZozivirod/Controls/MenuDescriptor.h"
#include "RIZozivirod/Controls/PopupMenu.h"
#include "RIZozivirod/Controls/ToolTip.h"

// The context menus and tool tips of every control, with the popup menu and the tool tip of the
// standard controls; installed when the library loads.

namespace QV {

namespace {

void CollectCommands(const LMenuDescriptor& menu, std::vector<WString>& commands) {
    for (uint32_t i = 0; i < menu.GetItemCount(); ++i) {
        RCPtr<LMenuItemDescriptor> item = menu.GetItem(i);
        if (!item) {
            continue;
        }
        if (item->GetItemCount() != 0) {
            CollectCommands(*item, commands);
        } else if (!item->command.IsEmpty()) {
            commands.push_back(item->command);
        }
    }
}

class StandardControlPopups final : public IControlPopups {
public:
    void CollectMenuCommands(const LRefCountedObject* menu, std::vector<WString>& commands) override {
        if (const auto* descriptor = dynamic_cast<const LMenuDescriptor*>(menu)) {
            CollectCommands(*descriptor, commands);
        }
    }
    int32_t ForwardMenuCommand(LControl& control, const WString& command) override {
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
    bool SetUpContextMenu(LControl& popup, const RCPtr<LRefCountedObject>& menu) override {
        auto* popupMenu = dynamic_cast<LPopupMenu*>(&popup);
        RCPtr<LMenuDescriptor> descriptor(dynamic_cast<LMenuDescriptor*>(menu.Get()));
        if (popupMenu == nullptr || !descriptor) {
            return false;
        }
        popupMenu->SetVisible(false);
        popupMenu->SetMenuDescriptor(descriptor);
        return true;
    }
    void ShowContextMenu(LControl& popup) override {
        if (auto* popupMenu = dynamic_cast<LPopupMenu*>(&popup)) {
            popupMenu->ShowAtCursor();
        }
    }
    bool ShowToolTip(LControl& tip, const WString& text) override {
        auto* toolTip = dynamic_cast<LToolTip*>(&tip);
        if (toolTip == nullptr) {
            return false;
        }
        toolTip->SetText(text);
        toolTip->Show();
        return true;
    }
    void HideToolTip(LControl& tip) override {
        if (auto* toolTip = dynamic_cast<LToolTip*>(&tip)) {
            toolTip->Hide();
        }
    }
    void ClosePopupsOutside(LControl& pressed) override { LPopupMenu::ClosePopupsOutside(pressed); }
};

StandardControlPopups sStandardPopups;
[[maybe_unused]] const bool sPopupsInstalled = (SetControlPopups(&sStandardPopups), true);

}  // namespace

}  // namespace QV
