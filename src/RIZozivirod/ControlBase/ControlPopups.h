#pragma once

#include <vector>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LControl;

// What every control does with context menus and tool tips, whose controls (the popup menu, the
// tool tip) come with the standard controls: the controls library installs its implementation
// when it loads. Without one, controls show no menus and no tips. User-interface thread only.
class IControlPopups {
public:
    // The commands of a menu (a menu descriptor), depth first; none for any other object.
    virtual void CollectMenuCommands(const LRefCountedObject* menu, std::vector<WString>& commands) = 0;
    // A command of a control's context menu goes where its shortcut would have sent it: to the
    // window's shortcuts when they bind it, else to the application's. 1 when it went, 0 when
    // nothing binds it.
    virtual int32_t ForwardMenuCommand(LControl& control, const WString& command) = 0;
    // Readies popup, made from the skin's "contextMenu" part, to show menu (still hidden); false
    // when popup is no popup menu or menu no menu.
    virtual bool SetUpContextMenu(LControl& popup, const RCPtr<LRefCountedObject>& menu) = 0;
    // Shows a readied context menu at the pointer.
    virtual void ShowContextMenu(LControl& popup) = 0;
    // Shows text in tip, made from the skin's "toolTip" part; false when tip is no tool tip.
    virtual bool ShowToolTip(LControl& tip, const WString& text) = 0;
    // Hides tip when it is a tool tip.
    virtual void HideToolTip(LControl& tip) = 0;
    // A press on pressed closes the open menus it is not part of.
    virtual void ClosePopupsOutside(LControl& pressed) = 0;

protected:
    ~IControlPopups() = default;
};

// The installed implementation; null before the controls library installed one.
IControlPopups* GetControlPopups();
// Installs popups (null: none) and returns the one installed before. It must outlive its
// installation.
IControlPopups* SetControlPopups(IControlPopups* popups);

}  // namespace QV
