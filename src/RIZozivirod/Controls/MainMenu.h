#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/ComboMenu.h"
#include "RIZozivirod/Controls/MenuDescriptor.h"

namespace QV {

// The menu bar ("Framework.MainMenu"). At creation it reads its titles ("MENU_LABEL.nn") and
// menus ("CONTEXT_MENUn.") from its string table and makes one title per menu from its
// "templateMenu" child, left to right. Each title's popup posts its commands into the window's
// notification queue, so a command runs once, after the input event, when the queue is drained;
// command states are asked of the edit target (the control that owns the commands). The bar
// remembers the control that had the focus before a title took it, and the popup gives the
// focus back there after a command. No keyboard navigation between titles.
// User-interface thread only.
class LMainMenu : public LControl {
public:
    LMainMenu(const RCPtr<LControl>& parent, const WString& name);

    RCPtr<LControl> GetEditTarget() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t AttachToRootWindow() override;
    int32_t GetCommandState(const WString& command, uint8_t& enabled) override;
    int32_t Initialize() override;
    int32_t AttachChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor) override;

    // E_INVALIDARG when a child of that name exists, else 0 (nothing made without a template).
    int32_t AddMenu(const WString& name);
    // The menu index, or E_INVALIDARG past the dynamic titles.
    int32_t InsertMenuAt(int32_t index, const WString& name, const WString& title,
                         const RCPtr<LMenuDescriptor>& menu);
    int32_t InsertMenu(const WString& beforeName, const WString& name, const WString& title,
                       const RCPtr<LMenuDescriptor>& menu);
    WString GetMenuName(int32_t index);
    int32_t IndexOfMenu(const WString& name);
    int32_t FindMenu(const WString& name);
    RCPtr<LComboMenu> GetMenuAt(int32_t index);
    int32_t GetMenuCount();
    static RCPtr<LMenuDescriptor> GetTitleMenu(const RCPtr<LComboMenu>& title);
    static int32_t SetTitleMenuItemUpdater(const RCPtr<LComboMenu>& title,
                                           const RCPtr<LMenuItemUpdater>& updater);
    // True when the target was that one already.
    bool SetEditTarget(const RCPtr<LMenuItemUpdater>& target);
    static int32_t RenameTitle(const RCPtr<LControl>& title, const WString& name);

    // The control that had the focus when the focus entered the bar.
    const RCPtr<LControl>& GetSavedFocus() const { return mSavedFocus; }

protected:
    ~LMainMenu() override;

private:
    RCPtr<LControl> mSavedFocus;
    RCPtr<LControlDescriptor> mTemplateDescriptor;
    RCPtr<LMenuItemUpdater> mCommandTarget;
    int32_t mStaticCount = 0;
    bool mTemplateFound = false;
};

}  // namespace QV
