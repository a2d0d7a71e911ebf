#include <algorithm>
#include <climits>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/KeyParam.h"

namespace QV {

bool LControl::IsNotFocusable(bool recursive) const {
    if (!recursive) {
        return mNotFocusable;
    }
    for (const LControl* control = this; control != nullptr; control = control->mParent) {
        if (control->mNotFocusable) {
            return true;
        }
        if (control->mFocusScopeRoot) {
            break;
        }
    }
    return false;
}

bool LControl::CanTakeFocus() {
    if (!IsVisible(true) || !IsEnabled(false)) {
        return false;
    }
    if (mParent != nullptr && !mParent->IsEnabled(true)) {
        return false;
    }
    if (HasFocusableDescendant() || mNotFocusable || mFocusContainer) {
        return false;
    }
    return mParent == nullptr || mFocusScopeRoot || !mParent->IsNotFocusable(true);
}

bool LControl::CanTakeFocusOrHasFocusableDescendant() {
    if (!IsVisible(true) || !IsEnabled(false) || (mParent != nullptr && !mParent->IsEnabled(true))) {
        return false;
    }
    if (HasFocusableDescendant()) {
        return true;
    }
    if (mNotFocusable || mFocusContainer) {
        return false;
    }
    return mParent == nullptr || mFocusScopeRoot || !mParent->IsNotFocusable(true);
}

bool LControl::HasFocusableDescendant() {
    if (!IsVisible(true) || !IsEnabled(false) || (mParent != nullptr && !mParent->IsEnabled(true)) ||
        mNotFocusable) {
        return false;
    }
    for (uint32_t i = mChildren.GetCount(); i-- > 0;) {
        RCPtr<LControl> child = mChildren.GetAt(i, kOrderCreation);
        if (child->CanTakeFocusOrHasFocusableDescendant()) {
            return true;
        }
    }
    return false;
}

void LControl::SetNotFocusable(bool notFocusable) {
    if (!mLayout) {
        mLayout = LLayoutDescriptor::Create();
    }
    const bool signAgrees = (mLayout->tabStop < 0) == notFocusable;
    if (mNotFocusable == notFocusable && signAgrees) {
        return;
    }
    RCPtr<LControl> hold = Self();
    mNotFocusable = notFocusable;
    if (!signAgrees) {
        mLayout->tabStop = mLayout->tabStop == 0 ? -1 : -mLayout->tabStop;
    }
    if (mParent != nullptr) {
        mParent->mChildren.MarkStale();
    }
    if (mParent != nullptr && mParent->mHasFocus && CanTakeFocusOrHasFocusableDescendant()) {
        SetFocus(true);
    } else if (notFocusable && mHasFocus && mParent != nullptr) {
        mParent->SetFocus(true);
    }
}

RCPtr<LControl> LControl::GetFocusChild() {
    for (uint32_t i = mChildren.GetCount(); i-- > 0;) {
        const RCPtr<LControl>& child = mChildren.GetAt(i, kOrderCreation);
        if (child->mHasFocus || child->mContainsFocus) {
            return child;
        }
    }
    return nullptr;
}

RCPtr<LControl> LControl::GetFirstFocusable() {
    if (mChildren.GetCount() == 0) {
        return nullptr;
    }
    const RCPtr<LControl> first = mChildren.GetAt(0, kOrderTab);
    RCPtr<LControl> candidate = first;
    while (candidate) {
        if (candidate->CanTakeFocusOrHasFocusableDescendant()) {
            return candidate;
        }
        candidate = GetNextTabStop(candidate, false);
        if (candidate.Get() == first.Get()) {
            return nullptr;
        }
    }
    return nullptr;
}

RCPtr<LControl> LControl::GetLastFocusable() {
    if (mChildren.GetCount() == 0) {
        return nullptr;
    }
    const RCPtr<LControl> last = mChildren.GetAt(mChildren.GetCount() - 1, kOrderTab);
    RCPtr<LControl> candidate = last;
    while (candidate) {
        if (candidate->CanTakeFocusOrHasFocusableDescendant()) {
            return candidate;
        }
        candidate = GetNextTabStop(candidate, true);
        if (candidate.Get() == last.Get()) {
            return nullptr;
        }
    }
    return nullptr;
}

RCPtr<LControl> LControl::GetNextTabStop(const RCPtr<LControl>& child, bool backward) {
    if (!child || child->mParent != this) {
        return nullptr;
    }
    const int32_t count = static_cast<int32_t>(mChildren.GetCount());
    const int32_t at = FindChildIndex(child.Get(), kOrderTab);
    if (at < 0) {
        return nullptr;
    }
    auto usable = [](LControl& control) { return control.IsVisible(true) && control.IsEnabled(true); };
    const int32_t step = backward ? count - 1 : 1;
    int32_t index = (at + step) % count;
    if (index == at) {
        return usable(*child) ? child : nullptr;
    }
    while (index != at) {
        const RCPtr<LControl>& candidate = mChildren.GetAt(static_cast<uint32_t>(index), kOrderTab);
        if (usable(*candidate)) {
            return candidate;
        }
        index = (index + step) % count;
    }
    return nullptr;
}

bool LControl::SetContainsFocus(LControl* child) {
    if (mContainsFocus) {
        for (uint32_t i = mChildren.GetCount(); i-- > 0;) {
            RCPtr<LControl> other = mChildren.GetAt(i, kOrderCreation);
            if (other.Get() != child && (other->mHasFocus || other->mContainsFocus)) {
                return other->OnFocusLost();
            }
        }
        return true;
    }
    mContainsFocus = true;
    if (mHasFocus) {
        mHasFocus = false;
        UpdateConditions();
        return true;
    }
    bool succeeded = true;
    if (mParent != nullptr) {
        succeeded = mParent->SetContainsFocus(this);
    }
    UpdateConditions();
    return succeeded;
}

int32_t LControl::SetFocus(bool forward) {
    RCPtr<LControl> hold = Self();
    RCPtr<IRootWindow> window = GetRootWindow();
    if (!mHasFocus && window) {
        RCPtr<LControl> holder = window->GetFocusControl();
        if (holder && !holder->AcceptsInput()) {
            return E_FAIL;
        }
    }
    const bool canTake = CanTakeFocus();
    if (mHasFocus && canTake) {
        return S_OK;
    }
    const bool focusableDescendant = HasFocusableDescendant();
    if (focusableDescendant) {
        if (mContainsFocus) {
            RCPtr<LControl> focusChild = GetFocusChild();
            if (!focusChild) {
                return E_FAIL;
            }
            if (focusChild->CanTakeFocusOrHasFocusableDescendant()) {
                return focusChild->SetFocus(forward);
            }
        }
        RCPtr<LControl> target = forward ? GetFirstFocusable() : GetLastFocusable();
        return target ? target->SetFocus(forward) : E_FAIL;
    }
    if (canTake) {
        int32_t result = S_OK;
        if (!mContainsFocus) {
            mHasFocus = true;
            if (mParent != nullptr) {
                result = mParent->SetContainsFocus(this) ? S_OK : E_FAIL;
            }
        } else {
            mHasFocus = true;
            mContainsFocus = false;
            RCPtr<LControl> focusChild = GetFocusChild();
            result = focusChild && focusChild->OnFocusLost() ? S_OK : E_FAIL;
        }
        if (window) {
            window->SetFocusControl(hold);
        }
        UpdateConditions();
        return result;
    }
    RCPtr<LControl> top = GetTopLevelControl();
    if (mHasFocus || !top) {
        return E_FAIL;
    }
    if (!top->mHasFocus && !top->mContainsFocus) {
        return 1;
    }
    if (top.Get() == this) {
        return E_FAIL;
    }
    return top->SetFocus(true);
}

bool LControl::OnFocusLost() {
    RCPtr<LControl> hold = Self();
    if (mHasFocus) {
        mHasFocus = false;
        UpdateConditions();
        if (RCPtr<IRootWindow> window = GetRootWindow()) {
            window->SaveFocus();
        }
        return true;
    }
    mContainsFocus = false;
    RCPtr<LControl> focusChild = GetFocusChild();
    const bool handled = focusChild && focusChild->OnFocusLost();
    UpdateConditions();
    return handled;
}

bool LControl::AcceptsInput() {
    return true;
}

int32_t LControl::SortByTabOrder(const RCPtr<LKeyParam>& param,
                                 const RCPtrArray<LNotificationClient, 1, 0>& registrations,
                                 Array<uint32_t>& out) {
    struct Entry {
        uint32_t index;
        int64_t key;
        bool focusable;
    };
    LControl* from = nullptr;
    if (param && param->path.GetCount() != 0) {
        from = param->path.GetAt(param->path.GetCount() - 1).Get();
    }
    int64_t counter = INT32_MIN;
    std::vector<Entry> entries;
    for (uint32_t i = 0; i < registrations.GetCount(); ++i) {
        Entry entry{i, 0, false};
        RCPtr<LControl> control = registrations.GetAt(i);
        if (control) {
            entry.focusable = !control->mNotFocusable;
            const int32_t position = control->mParent == this ? FindChildIndex(control.Get(), kOrderTab) : -1;
            entry.key = position >= 0 ? position : counter++;
        } else {
            entry.key = counter++;
        }
        entries.push_back(entry);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });
    size_t first = 0;
    while (first < entries.size() && !entries[first].focusable) {
        out.Add(entries[first].index);
        ++first;
    }
    const int32_t fromPosition =
        from != nullptr && from->mParent == this ? FindChildIndex(from, kOrderTab) : -1;
    size_t split = first;
    while (split < entries.size() && entries[split].key <= fromPosition) {
        ++split;
    }
    for (size_t i = split; i < entries.size(); ++i) {
        out.Add(entries[i].index);
    }
    for (size_t i = first; i < split; ++i) {
        out.Add(entries[i].index);
    }
    return S_OK;
}

int32_t LControl::SendSiblingKey(const RCPtr<LKeyParam>& param) {
    RCPtr<LNotificationClientPool> pool = FindClientPool(GetNotificationID(u"NID_SIBLING_KEY"));
    if (!pool || pool->GetCount() == 0 || !param) {
        return 1;
    }
    RCPtrArray<LNotificationClient, 1, 0> registrations;
    for (uint32_t i = 0; i < pool->GetCount(); ++i) {
        registrations.Add(pool->GetClientInfo(i)->mClient);
    }
    Array<uint32_t> order;
    SortByTabOrder(param, registrations, order);
    RCPtr<LControl> from;
    if (param->path.GetCount() != 0) {
        from = param->path.GetAt(param->path.GetCount() - 1);
    }
    RCPtr<LSiblingKeyParam> siblingParam = LSiblingKeyParam::Create(param->key, from);
    RCPtr<LNotification> notification = LNotification::Create(u"NID_SIBLING_KEY", siblingParam);
    RCPtr<LNotificationDistributor> self(static_cast<LNotificationDistributor*>(this));
    for (uint32_t i = order.GetCount(); i-- > 0;) {
        const RCPtr<LNotificationClient>& client = registrations.GetAt(order.GetAt(i));
        if (from && static_cast<LNotificationClient*>(from.Get()) == client.Get()) {
            continue;
        }
        client->ReceiveNotification(self, notification);
        if (siblingParam->result == 0) {
            return S_OK;
        }
    }
    return 1;
}

}  // namespace QV
