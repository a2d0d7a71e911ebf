#include "RIZozivirod/Controls/TabControl.h"

#include <algorithm>

#include "RIZozivirod/Controls/Button.h"

namespace QV {

LTabPageDeferral::LTabPageDeferral() : mPrevious(LControlCreation::SetHoldBack(this)) {}

LTabPageDeferral::~LTabPageDeferral() {
    LControlCreation::SetHoldBack(mPrevious);
}

bool LTabPageDeferral::HoldsBack(LControl& control) {
    LControl* holder = control.GetParent();
    if (holder == nullptr || holder->GetName() != u"pageHolder") {
        return false;
    }
    auto* tabs = dynamic_cast<LTabControl*>(holder->GetParent());
    return tabs != nullptr && tabs->HoldBackPage(control);
}

LTabControl::LTabControl(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LTabControl::~LTabControl() = default;

void LTabControl::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                      const RCPtr<LNotification>& notification) {
    if (mTabHandler && IsCreated() && mTabHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    LPanel::ReceiveNotification(sender, notification);
}

int32_t LTabControl::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                               const WChar* name) {
    if (mTabHandler) {
        mTabHandler->RemoveHandler(distributor, name);
    }
    return LPanel::UnregisterForNotification(distributor, name);
}

int32_t LTabControl::Initialize() {
    if (LPanel::Initialize() < 0) {
        return E_FAIL;
    }
    RCPtr<LControl> buttons = FindChild(u"buttonHolder");
    RCPtr<LControl> pages = FindChild(u"pageHolder");
    mButtonHolder = RCPtr<LPanel>(dynamic_cast<LPanel*>(buttons.Get()));
    mPageHolder = RCPtr<LPanel>(dynamic_cast<LPanel*>(pages.Get()));
    const int32_t result = SelectTabAt(0);
    if (result < 0) {
        return result;
    }
    mTabHandler = LNotificationHandler<LTabControl>::Create(this);
    ChildControlList& children = mButtonHolder->GetChildren();
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        const RCPtr<LControl>& child = children.GetAt(i, kOrderCreation);
        if (dynamic_cast<LButton*>(child.Get()) != nullptr) {
            mTabHandler->AddHandler(&LTabControl::OnTabButtonClicked, RCPtr<LNotificationDistributor>(child),
                                    u"NID_LEFT_CLICK", 0);
        }
    }
    return result;
}

bool LTabControl::HoldBackPage(LControl& page) {
    const RCPtr<LControl> buttons = FindChild(u"buttonHolder");
    LControl* pages = page.GetParent();
    if (!buttons || pages == nullptr || buttons->GetChildren().GetCount() == 0) {
        return false;
    }
    ChildControlList& tabs = buttons->GetChildren();
    // Initialize selects the first tab in tab order; without a button there, it shows no page.
    const RCPtr<LControl> first = tabs.GetAt(0, kOrderTab);
    if (dynamic_cast<LButton*>(first.Get()) == nullptr) {
        return false;
    }
    // Its page has the index of the later of the buttons of that name (as GetTabIndex finds it).
    uint32_t shownFirst = tabs.GetCount();
    for (uint32_t i = tabs.GetCount(); i-- > 0;) {
        if (tabs.GetAt(i, kOrderCreation)->GetName() == first->GetName()) {
            shownFirst = i;
            break;
        }
    }
    // The page being made is the last one in its holder so far. A page without a tab is never
    // selected: it is built now, as before.
    const uint32_t index = pages->GetChildren().GetCount() - 1;
    if (pages->GetChildren().GetAt(index, kOrderCreation).Get() != &page || index == shownFirst ||
        index >= tabs.GetCount()) {
        return false;
    }
    mHeldBackPages.push_back(RCPtr<LControl>(&page));
    return true;
}

bool LTabControl::IsPageHeldBack(int32_t index) {
    const RCPtr<LControl> page = GetPageAt(index);
    return page && std::find(mHeldBackPages.begin(), mHeldBackPages.end(), page) != mHeldBackPages.end();
}

void LTabControl::CreatePages(const std::vector<RCPtr<LControl>>& pages) {
    const RCPtr<LControl> hold(this);
    for (const RCPtr<LControl>& page : pages) {
        LControlCreation::Finish(*page);
    }
    for (LControl* above = GetParent(); above != nullptr; above = above->GetParent()) {
        if (auto* observer = dynamic_cast<ITabPageObserver*>(above)) {
            observer->OnTabPagesCreated(*this, pages);
            break;
        }
    }
}

bool LTabControl::CreateHeldBackPages() {
    if (mHeldBackPages.empty()) {
        return false;
    }
    std::vector<RCPtr<LControl>> pages;
    pages.swap(mHeldBackPages);
    CreatePages(pages);
    return true;
}

void LTabControl::CreateHeldBackPagesBelow(LControl& root) {
    std::vector<RCPtr<LTabControl>> found;
    std::vector<RCPtr<LControl>> pending{RCPtr<LControl>(&root)};
    while (!pending.empty()) {
        const RCPtr<LControl> control = pending.back();
        pending.pop_back();
        if (auto* tabs = dynamic_cast<LTabControl*>(control.Get())) {
            found.push_back(RCPtr<LTabControl>(tabs));
        }
        ChildControlList& children = control->GetChildren();
        for (uint32_t i = children.GetCount(); i-- > 0;) {
            pending.push_back(children.GetAt(i, kOrderCreation));
        }
    }
    for (const RCPtr<LTabControl>& tabs : found) {
        tabs->CreateHeldBackPages();
    }
}

int32_t LTabControl::ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) {
    if (IsCreated()) {
        // The skin's new tree is applied to whole pages only.
        CreateHeldBackPages();
    }
    const int32_t result = LPanel::ApplyDescriptor(descriptor);
    if (IsCreated()) {
        // The new page tree shows the tab that was selected.
        SelectTab(WString(mSelectedName));
    }
    return result;
}

uint32_t LTabControl::GetTabCount() {
    return mButtonHolder ? mButtonHolder->GetChildren().GetCount() : 0;
}

int32_t LTabControl::GetTabIndex(const WString& name) {
    if (!mButtonHolder) {
        return -1;
    }
    ChildControlList& children = mButtonHolder->GetChildren();
    // From the last: of two buttons with one name, the later one is the tab.
    for (uint32_t i = children.GetCount(); i-- > 0;) {
        if (children.GetAt(i, kOrderCreation)->GetName() == name) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t LTabControl::GetSelectedIndex() {
    return GetTabIndex(mSelectedName);
}

const WString& LTabControl::GetSelectedName() {
    return mSelectedName;
}

RCPtr<LControl> LTabControl::ChildAt(const RCPtr<LPanel>& holder, int32_t index) {
    if (!holder || static_cast<uint32_t>(index) >= holder->GetChildren().GetCount()) {
        return nullptr;
    }
    return holder->GetChildren().GetAt(static_cast<uint32_t>(index), kOrderCreation);
}

RCPtr<LControl> LTabControl::GetSelectedPage() {
    return ChildAt(mPageHolder, GetSelectedIndex());
}

RCPtr<LControl> LTabControl::GetPageAt(int32_t index) {
    if (static_cast<uint32_t>(index) >= GetTabCount()) {
        return nullptr;
    }
    return ChildAt(mPageHolder, index);
}

RCPtr<LControl> LTabControl::GetTabButtonAt(int32_t index) {
    if (static_cast<uint32_t>(index) >= GetTabCount()) {
        return nullptr;
    }
    return ChildAt(mButtonHolder, index);
}

RCPtr<LControl> LTabControl::GetPage(const WString& name) {
    const int32_t index = GetTabIndex(name);
    return index < 0 ? nullptr : ChildAt(mPageHolder, index);
}

RCPtr<LControl> LTabControl::GetTabButton(const WString& name) {
    const int32_t index = GetTabIndex(name);
    return index < 0 ? nullptr : ChildAt(mButtonHolder, index);
}

int32_t LTabControl::SelectTab(const WString& name) {
    if (!mButtonHolder || !mPageHolder) {
        return E_FAIL;
    }
    RCPtr<LControl> hold(this);
    const int32_t index = GetTabIndex(name);
    for (int32_t p = static_cast<int32_t>(GetTabCount()) - 1; p >= 0; --p) {
        RCPtr<LControl> page = GetPageAt(p);
        if (page && p != index) {
            page->SetVisible(false);
        }
    }
    mSelectedName = name;
    OnTabSelected(index);
    if (RCPtr<LControl> page = GetPageAt(index)) {
        const auto held = std::find(mHeldBackPages.begin(), mHeldBackPages.end(), page);
        if (held != mHeldBackPages.end()) {
            mHeldBackPages.erase(held);
            CreatePages({page});
        }
        page->SetVisible(true);
    }
    RCPtr<LControl> selected = GetSelectedPage();
    LNotificationDistributor::Notify(
        LNotification::Create(u"NID_TAB_SELECTED", RCPtr<LRefCountedObject>(selected)));
    return S_OK;
}

int32_t LTabControl::SelectTabAt(int32_t index) {
    if (mButtonHolder && static_cast<uint32_t>(index) < mButtonHolder->GetChildren().GetCount()) {
        RCPtr<LControl> child = mButtonHolder->GetChildren().GetAt(static_cast<uint32_t>(index), kOrderTab);
        if (dynamic_cast<LButton*>(child.Get()) != nullptr) {
            return SelectTab(WString(child->GetName()));
        }
    }
    return E_FAIL;
}

void LTabControl::OnTabSelected(int32_t) {}

int32_t LTabControl::OnTabButtonClicked(const RCPtr<LNotificationDistributor>& source,
                                        const RCPtr<LNotification>&) {
    if (auto* control = dynamic_cast<LControl*>(source.Get())) {
        SelectTab(WString(control->GetName()));
    }
    return 1;
}

}  // namespace QV
