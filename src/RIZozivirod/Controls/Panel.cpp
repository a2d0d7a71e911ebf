#include "RIZozivirod/Controls/Panel.h"

#include "RIZozivirod/ControlBase/KeyParam.h"

namespace QV {

LPanel::LPanel(const RCPtr<LControl>& parent, const WString& name) : LScrollView(parent, name) {
    SetFocusContainer(true);
}

LPanel::~LPanel() = default;

int32_t LPanel::Initialize() {
    const int32_t result = LScrollView::Initialize();
    if (result < 0 || GetParent() == nullptr) {
        return result;
    }
    mPanelHandler = LNotificationHandler<LPanel>::Create(this);
    const int32_t registered = mPanelHandler->AddHandler(
        &LPanel::OnSiblingKey, RCPtr<LNotificationDistributor>(GetParent()), u"NID_SIBLING_KEY", 0);
    return registered < 0 ? E_FAIL : S_OK;
}

void LPanel::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                 const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mPanelHandler && mPanelHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    DeliverToViewHandlers(sender, notification);
}

int32_t LPanel::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                          const WChar* name) {
    if (mPanelHandler) {
        mPanelHandler->RemoveHandler(distributor, name);
    }
    return LScrollView::UnregisterForNotification(distributor, name);
}

int32_t LPanel::OnSiblingKey(const RCPtr<LNotificationDistributor>&,
                             const RCPtr<LNotification>& notification) {
    RCPtr<LSiblingKeyParam> payload = notification ? notification->GetParam() : nullptr;
    if (!payload) {
        return 1;
    }
    RCPtr<LKeyParam> key = LKeyParam::Create(payload->key, true);
    payload->result = SendSiblingKey(key);
    return 1;
}

void LPanel::HandleUnprocessedKey(const RCPtr<LKeyParam>& param) {
    if (!param || SendSiblingKey(param) != 1) {
        return;
    }
    if (LControl* parent = GetParent()) {
        param->path.Add(RCPtr<LControl>(this));
        parent->HandleUnprocessedKey(param);
        return;
    }
    // At the top of the tree the key is a shortcut or nothing: the window's and the
    // application's bindings.
    OfferToHotKeys(param);
}

void LPanel::HandleNavigationKey(const RCPtr<LKeyParam>& param) {
    if (!param) {
        return;
    }
    RCPtr<LControl> hold(this);
    if ((param->key.GetCode() & KeyCode::kCtrlBit) == 0) {
        const bool backward = (param->key.GetCode() & KeyCode::kShiftBit) != 0;
        RCPtr<LControl> origin;
        if (param->path.GetCount() != 0) {
            origin = param->path.GetAt(param->path.GetCount() - 1);
        }
        RCPtr<LControl> candidate = GetNextTabStop(origin, backward);
        while (candidate && candidate.Get() != origin.Get()) {
            if (candidate->CanTakeFocusOrHasFocusableDescendant()) {
                candidate->SetFocus(!backward);
                return;
            }
            if (!origin || !origin->IsVisible(true) || !origin->IsEnabled(true)) {
                origin = candidate;
            }
            candidate = GetNextTabStop(candidate, backward);
        }
    }
    param->path.Add(hold);
    if (LControl* parent = GetParent()) {
        parent->HandleNavigationKey(param);
        return;
    }
    // At the top the walk came round to the child the key left: Tab past its last stop wraps to
    // its first one (Shift+Tab past its first to its last).
    if ((param->key.GetCode() & KeyCode::kCtrlBit) == 0 && param->path.GetCount() >= 2) {
        const RCPtr<LControl> origin = param->path.GetAt(param->path.GetCount() - 2);
        if (origin && origin->GetParent() == this && origin->HasFocusableDescendant()) {
            origin->OnFocusLost();
            origin->SetFocus((param->key.GetCode() & KeyCode::kShiftBit) == 0);
        }
    }
}

RCPtr<LControl> LPanel::GetNextTabStop(const RCPtr<LControl>& child, bool backward) {
    RCPtr<LControl> next = LControl::GetNextTabStop(child, backward);
    if (GetParent() != nullptr && next) {
        const int32_t current = FindChildIndex(child.Get(), kOrderTab);
        const int32_t found = FindChildIndex(next.Get(), kOrderTab);
        if (!backward ? found <= current : current <= found) {
            return nullptr;
        }
    }
    return next;
}

}  // namespace QV
