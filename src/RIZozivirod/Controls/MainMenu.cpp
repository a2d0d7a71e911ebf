#include "RIZozivirod/Controls/MainMenu.h"

#include <algorithm>
#include <map>
#include <vector>

#include "RIZozivirod/Application/Windows/RootWindow.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

// Menu titles above this number are not titles: a typing error must not make thousands.
constexpr int32_t kMainMenuMaxTitle = 64;

// The menus of a string table: the entries "CONTEXT_MENU" + n + "." grouped by their group name
// in ordinal order, each group read as one menu.
std::vector<RCPtr<LMenuDescriptor>> LoadMainMenuGroups(const RCPtr<LStringTable>& table) {
    std::vector<RCPtr<LMenuDescriptor>> menus;
    Array<LStringTable::Entry> entries;
    table->GetSortedEntries(entries);
    std::map<WString, Array<LStringTable::Entry>> groups;
    const WString prefix(u"CONTEXT_MENU");
    for (uint32_t i = 0; i < entries.GetCount(); ++i) {
        const WString& id = entries.GetAt(i).first;
        if (id.Left(prefix.GetLength()) != prefix) {
            continue;
        }
        const int32_t dot = id.Find(WString(u"."));
        if (dot <= prefix.GetLength()) {
            continue;
        }
        groups[id.Left(dot)].Add({id.Mid(dot + 1), entries.GetAt(i).second});
    }
    for (const auto& group : groups) {
        menus.push_back(LMenuDescriptor::CreateFromStrings(group.second));
    }
    return menus;
}

}  // namespace

LMainMenu::LMainMenu(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LMainMenu::~LMainMenu() = default;

int32_t LMainMenu::Initialize() {
    const int32_t result = LControl::Initialize();
    if (result < 0) {
        return result;
    }
    RCPtr<LControl> hold(this);
    SetNotFocusable(true);
    ChildControlList& children = GetChildren();
    for (uint32_t i = children.GetCount(); i-- > 0;) {
        RCPtr<LComboMenu> title(dynamic_cast<LComboMenu*>(children.GetAt(i, kOrderCreation).Get()));
        if (!title) {
            continue;
        }
        if (title->GetName() == u"templateMenu") {
            mTemplateDescriptor = title->GetDescriptor();
            title->Close();
            mTemplateFound = true;
        } else {
            title->SetFocusScopeRoot(true);
            SetTitleMenuItemUpdater(title, LControl::GetMenuItemUpdater());
            ++mStaticCount;
            if (!mTemplateDescriptor) {
                mTemplateDescriptor = title->GetDescriptor();
            }
        }
    }
    RCPtr<LStringTable> table = GetStringTable();
    if (!table) {
        return result;
    }
    Array<LStringTable::Entry> labels;
    table->GetEntriesWithPrefix(WString(u"MENU_LABEL."), labels);
    std::vector<WString> titles(labels.GetCount());
    for (uint32_t i = 0; i < labels.GetCount(); ++i) {
        const int32_t n = Text::ToInt(labels.GetAt(i).first.GetString() + 11);
        if (n < 0 || n >= kMainMenuMaxTitle) {
            continue;
        }
        if (static_cast<size_t>(n) >= titles.size()) {
            titles.resize(static_cast<size_t>(n) + 1);
        }
        titles[static_cast<size_t>(n)] = labels.GetAt(i).second;
    }
    const std::vector<RCPtr<LMenuDescriptor>> menus = LoadMainMenuGroups(table);
    if (menus.empty() || menus.size() != titles.size()) {
        return result;
    }
    for (size_t i = 0; i < menus.size(); ++i) {
        if (menus[i]) {
            InsertMenuAt(static_cast<int32_t>(i), titles[i], titles[i], menus[i]);
        }
    }
    return result;
}

int32_t LMainMenu::AttachChild(const RCPtr<LControl>& child, const RCPtr<LControlDescriptor>& descriptor) {
    if (!child) {
        if (descriptor && descriptor->GetName() == u"templateMenu") {
            mTemplateDescriptor = descriptor;
        }
        return S_OK;
    }
    const int32_t result = LControl::AttachChild(child, descriptor);
    if (!mTemplateDescriptor && dynamic_cast<LComboMenu*>(child.Get()) != nullptr) {
        mTemplateDescriptor = child->GetDescriptor();
    }
    return result;
}

int32_t LMainMenu::GetMenuCount() {
    int32_t count = 0;
    ChildControlList& children = GetChildren();
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        if (dynamic_cast<LComboMenu*>(children.GetAt(i, kOrderCreation).Get()) != nullptr) {
            ++count;
        }
    }
    return count;
}

RCPtr<LComboMenu> LMainMenu::GetMenuAt(int32_t index) {
    ChildControlList& children = GetChildren();
    for (uint32_t i = 0; i < children.GetCount() && index >= 0; ++i) {
        auto* title = dynamic_cast<LComboMenu*>(children.GetAt(i, kOrderCreation).Get());
        if (title != nullptr && index-- == 0) {
            return RCPtr<LComboMenu>(title);
        }
    }
    return nullptr;
}

int32_t LMainMenu::FindMenu(const WString& name) {
    for (int32_t i = GetMenuCount() - 1; i >= 0; --i) {
        RCPtr<LComboMenu> title = GetMenuAt(i);
        if (title && title->GetName() == name) {
            return i;
        }
    }
    return -1;
}

int32_t LMainMenu::IndexOfMenu(const WString& name) {
    const int32_t index = FindMenu(name);
    return index >= mStaticCount ? index - mStaticCount : -1;
}

WString LMainMenu::GetMenuName(int32_t index) {
    RCPtr<LComboMenu> title = index >= 0 ? GetMenuAt(index + mStaticCount) : nullptr;
    return title ? title->GetName() : WString();
}

RCPtr<LMenuDescriptor> LMainMenu::GetTitleMenu(const RCPtr<LComboMenu>& title) {
    RCPtr<LPopupMenu> popup = title ? title->GetPopupMenu() : nullptr;
    return popup ? popup->GetMenuDescriptor() : nullptr;
}

int32_t LMainMenu::SetTitleMenuItemUpdater(const RCPtr<LComboMenu>& title,
                                           const RCPtr<LMenuItemUpdater>& updater) {
    if (RCPtr<LPopupMenu> popup = title ? title->GetPopupMenu() : nullptr) {
        popup->SetMenuItemUpdater(updater);
    }
    return S_OK;
}

bool LMainMenu::SetEditTarget(const RCPtr<LMenuItemUpdater>& target) {
    const bool same = mCommandTarget == target;
    mCommandTarget = target;
    return same;
}

int32_t LMainMenu::RenameTitle(const RCPtr<LControl>& title, const WString& name) {
    if (!title) {
        return E_INVALIDARG;
    }
    LControl* parent = title->GetParent();
    if (parent == nullptr) {
        return E_FAIL;
    }
    return parent->GetChildren().RenameChild(title, name);
}

int32_t LMainMenu::AddMenu(const WString& name) {
    if (FindChild(name)) {
        return E_INVALIDARG;
    }
    RCPtr<LControlFactory> factory = LControlFactory::GetCurrent();
    if (!mTemplateDescriptor || !factory) {
        return S_OK;
    }
    RCPtr<LControl> hold(this);
    const RCPtr<LLayoutDescriptor>& source = mTemplateDescriptor->GetLayout();
    RCPtr<LLayoutDescriptor> layout = source ? source->Clone() : LLayoutDescriptor::Create();
    const int32_t count = GetMenuCount();
    RCPtr<LComboMenu> last = GetMenuAt(count - 1);
    if ((count != mStaticCount || !mTemplateFound) && last) {
        // Each new title starts at the right edge of the one before.
        layout->xPlacement.anchor = 0;
        layout->xPlacement.reference = PlacementReference::kNamed;
        layout->xPlacement.referenceName = last->GetName();
        layout->xPlacement.factor = 1.0f;
        layout->xPlacement.offset = 0;
    }
    RCPtr<LControlDescriptor> descriptor = factory->CloneDescriptor(mTemplateDescriptor, layout, name);
    RCPtr<LControl> made = factory->CreateControl(descriptor, RCPtr<LControl>(this));
    RCPtr<LComboMenu> title(dynamic_cast<LComboMenu*>(made.Get()));
    if (!title) {
        if (made) {
            made->Close();
        }
        return E_FAIL;
    }
    title->SetFocusScopeRoot(true);
    SetTitleMenuItemUpdater(title, LControl::GetMenuItemUpdater());
    RCPtr<IRootWindow> window = GetRootWindow();
    if (auto* queue = dynamic_cast<LNotificationQueue*>(window.Get())) {
        if (RCPtr<LPopupMenu> popup = title->GetPopupMenu()) {
            popup->SetReceiver(RCPtr<LNotificationQueue>(queue));
        }
    }
    return S_OK;
}

int32_t LMainMenu::InsertMenuAt(int32_t index, const WString& name, const WString& title,
                                const RCPtr<LMenuDescriptor>& menu) {
    const int32_t dynamicCount = GetMenuCount() - mStaticCount;
    if (index < 0 || index > dynamicCount) {
        return E_INVALIDARG;
    }
    return InsertMenu(index == dynamicCount ? WString() : GetMenuName(index), name, title, menu);
}

int32_t LMainMenu::InsertMenu(const WString& beforeName, const WString& name, const WString& title,
                              const RCPtr<LMenuDescriptor>& menu) {
    int32_t position = GetMenuCount();
    if (!beforeName.IsEmpty()) {
        const int32_t index = IndexOfMenu(beforeName);
        if (index < 0) {
            return E_INVALIDARG;
        }
        position = index + mStaticCount;
    }
    RCPtr<LControl> hold(this);
    const int32_t before = GetMenuCount();
    // A title of the same name is refused, and so is the whole insertion.
    if (AddMenu(name) < 0 || GetMenuCount() != before + 1) {
        return E_INVALIDARG;
    }
    // The contents move right, so titles stay in menu order whatever their placements name.
    for (int32_t b = GetMenuCount() - 1; b > position; --b) {
        RCPtr<LComboMenu> to = GetMenuAt(b);
        RCPtr<LComboMenu> from = GetMenuAt(b - 1);
        if (RCPtr<LPopupMenu> popup = to->GetPopupMenu()) {
            if (RCPtr<LMenuDescriptor> moved = GetTitleMenu(from)) {
                popup->SetMenuDescriptor(moved);
            }
        }
        to->SetText(from->GetText());
        const WString fromName = from->GetName();
        RenameTitle(RCPtr<LControl>(from), fromName + WString(u"_"));
        RenameTitle(RCPtr<LControl>(to), fromName);
    }
    RCPtr<LComboMenu> made = GetMenuAt(position);
    made->SetText(title);
    if (RCPtr<LPopupMenu> popup = made->GetPopupMenu()) {
        popup->SetMenuDescriptor(menu);
    }
    RenameTitle(RCPtr<LControl>(made), name);
    return position - mStaticCount;
}

int32_t LMainMenu::AttachToRootWindow() {
    RCPtr<IRootWindow> window = GetRootWindow();
    if (auto* queue = dynamic_cast<LNotificationQueue*>(window.Get())) {
        for (int32_t i = GetMenuCount() - 1; i >= 0; --i) {
            RCPtr<LComboMenu> title = GetMenuAt(i);
            if (RCPtr<LPopupMenu> popup = title ? title->GetPopupMenu() : nullptr) {
                popup->SetReceiver(RCPtr<LNotificationQueue>(queue));
            }
        }
    }
    return LControl::AttachToRootWindow();
}

void LMainMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LControl::OnConditionsChanged(param);
    if (param && (param->current & kContainsFocus) != 0 && (param->previous & kContainsFocus) == 0) {
        if (RCPtr<IRootWindow> window = GetRootWindow()) {
            mSavedFocus = window->GetSavedFocus();
        }
    }
}

int32_t LMainMenu::GetCommandState(const WString& command, uint8_t& enabled) {
    if (!mCommandTarget) {
        return 1;
    }
    const RCPtr<LControl>& control = mCommandTarget->GetControl();
    return control ? control->GetCommandState(command, enabled) : E_FAIL;
}

RCPtr<LControl> LMainMenu::GetEditTarget() {
    if (mSavedFocus && mSavedFocus->IsEditTarget()) {
        return mSavedFocus;
    }
    return GetParent() != nullptr ? GetParent()->GetEditTarget() : nullptr;
}

}  // namespace QV
