#include "RIZozivirod/Controls/ComboMenu.h"

#include <cmath>

namespace QV {

LComboMenu::LComboMenu(const RCPtr<LControl>& parent, const WString& name) : LDropDownControl(parent, name) {}

LComboMenu::~LComboMenu() {
    mComboMenuHandler = nullptr;
}

RCPtr<LPopupMenu> LComboMenu::GetPopupMenu() const {
    RCPtr<LControl> child = FindChild(WString(u"popupMenu"));
    return RCPtr<LPopupMenu>(dynamic_cast<LPopupMenu*>(child.Get()));
}

int32_t LComboMenu::Initialize() {
    if (LDropDownControl::Initialize() < 0) {
        return E_FAIL;
    }
    mComboMenuHandler = LNotificationHandler<LComboMenu>::Create(this);
    RCPtr<LPopupMenu> popup = GetPopupMenu();
    QV_CHECK_NULL(popup.Get(), "popupMenu");
    const RCPtr<LNotificationDistributor> source(popup);
    mComboMenuHandler->AddHandler(&LComboMenu::OnPopupVisibilityChange, source,
                                  u"NID_VISIBLITY_CONDITION_CHANGE", 0);
    mComboMenuHandler->AddHandler(&LComboMenu::OnPopupItemActivated, source, u"NID_ITEM_ACTIVATED", 0);
    // The title hides its popup; the popup never removes itself.
    popup->SetAutoDismiss(false);
    return S_OK;
}

int32_t LComboMenu::PostInitialize() {
    const int32_t result = LDropDownControl::PostInitialize();
    if (RCPtr<LPopupMenu> popup = GetPopupMenu()) {
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        popup->GetPlacement(0, placement, size);
        mPopupOffsetX = placement.offset;
    }
    SelectRestingLook();
    return result;
}

void LComboMenu::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                     const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mComboMenuHandler && mComboMenuHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    LDropDownControl::ReceiveNotification(sender, notification);
}

int32_t LComboMenu::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                              const WChar* name) {
    if (mComboMenuHandler) {
        mComboMenuHandler->RemoveHandler(distributor, name);
    }
    return LDropDownControl::UnregisterForNotification(distributor, name);
}

bool LComboMenu::IsDroppedDown() {
    RCPtr<LPopupMenu> popup = GetPopupMenu();
    return popup && popup->IsVisible(false) && popup->GetFrame().width > 0 && popup->GetFrame().height > 0;
}

void LComboMenu::SelectRestingLook() {
    if (!IsEnabled(true)) {
        SelectLook(3);
    } else {
        SelectLook(IsDroppedDown() ? 2 : (IsHover() ? 1 : 0));
    }
}

int32_t LComboMenu::ShowDropDown(bool show) {
    RCPtr<LPopupMenu> popup = GetPopupMenu();
    if (!popup) {
        return E_FAIL;
    }
    RCPtr<LControl> hold(this);
    if (show) {
        // Below the title, moved left where it would leave the popup area (the desktop where
        // popups have windows of their own, else the window).
        double x = mPopupOffsetX;
        if (RCPtr<IRootWindow> window = GetRootWindow()) {
            const RectT<double> area = LPopupMenu::GetPopupArea(*window);
            const double left = GetRectInWindow().x + x;
            const double right = area.x + area.width;
            if (popup->GetFrame().width + left > right) {
                x += std::max(right - popup->GetFrame().width, area.x) - left;
            }
        }
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        popup->GetPlacement(0, placement, size);
        if (placement.offset != x) {
            placement.offset = x;
            popup->SetPlacement(0, placement, size);
        }
    }
    const bool pressed = (GetConditions() & kLeftPressed) != 0;
    popup->SetVisible(show);
    if (show) {
        popup->SetFocus(true);
        SelectLook(2);
        if (pressed) {
            // The press goes on in the menu: a release on a row there chooses it.
            if (HasCapture()) {
                OnCaptureEnd();
            }
            const double px = std::round(mPressPoint.x);
            const double py = std::round(mPressPoint.y);
            popup->OnCaptureStart(1, static_cast<int32_t>(px), static_cast<int32_t>(py));
        }
    } else {
        SelectLook(IsHover() ? 1 : 0);
    }
    return S_OK;
}

RCPtr<LComboMenu> LComboMenu::FindOpenSibling() {
    LControl* parent = GetParent();
    if (parent == nullptr) {
        return IsDroppedDown() ? RCPtr<LComboMenu>(this) : nullptr;
    }
    ChildControlList& siblings = parent->GetChildren();
    for (uint32_t i = siblings.GetCount(); i-- > 0;) {
        auto* title = dynamic_cast<LComboMenu*>(siblings.GetAt(i, kOrderCreation).Get());
        if (title != nullptr && title->IsDroppedDown()) {
            return RCPtr<LComboMenu>(title);
        }
    }
    return nullptr;
}

void LComboMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    RCPtr<LControl> hold(this);
    if (IsEnabled(true)) {
        SelectLook(IsDroppedDown() ? 2 : (IsHover() ? 1 : 0));
        if (param && ((param->previous ^ param->current) & kHover) != 0 && (param->current & kHover) != 0) {
            RCPtr<LComboMenu> open = FindOpenSibling();
            if (open && open.Get() != this) {
                if (RCPtr<LPopupMenu> popup = open->GetPopupMenu()) {
                    popup->SetVisible(false);
                }
                open->SelectLook(open->IsHover() ? 1 : 0);
                ShowDropDown(true);
            }
        }
    } else {
        SelectLook(3);
    }
    if (param && (param->current & kLeftPressed) != 0 && (param->previous & kLeftPressed) == 0) {
        RCPtr<LPopupMenu> popup = GetPopupMenu();
        const PointT<double> origin =
            popup ? PointT<double>{popup->GetFrame().x, popup->GetFrame().y} : PointT<double>{0, 0};
        // The drag origin lies in the parent's space.
        mPressPoint = {param->origin.x - GetFrame().x - origin.x, param->origin.y - GetFrame().y - origin.y};
    }
    LDropDownControl::OnConditionsChanged(param);
}

int32_t LComboMenu::OnPopupVisibilityChange(const RCPtr<LNotificationDistributor>&,
                                            const RCPtr<LNotification>&) {
    RCPtr<LControl> hold(this);
    SelectRestingLook();
    // A hidden menu that still holds the focus (nothing had it before the bar, and the title
    // takes none) would keep every other control from taking it: the window's tree gets it.
    RCPtr<LPopupMenu> popup = GetPopupMenu();
    if (popup && !IsDroppedDown() && (popup->HasFocus() || popup->ContainsFocus())) {
        if (RCPtr<LControl> top = GetTopLevelControl()) {
            top->SetFocus(true);
        }
    }
    return S_OK;
}

int32_t LComboMenu::OnPopupItemActivated(const RCPtr<LNotificationDistributor>&,
                                         const RCPtr<LNotification>&) {
    if (RCPtr<LPopupMenu> popup = GetPopupMenu()) {
        popup->SetVisible(false);
    }
    SelectLook(IsHover() ? 1 : 0);
    return 1;
}

}  // namespace QV
