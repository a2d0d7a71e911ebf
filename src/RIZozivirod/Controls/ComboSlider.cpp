#include "RIZozivirod/Controls/ComboSlider.h"

#include <algorithm>

#include "RIZozivirod/ControlBase/ControlParams.h"
#include "RIZozivirod/Controls/Panel.h"

namespace QV {

LComboSlider::LComboSlider(const RCPtr<LControl>& parent, const WString& name)
    : LDropDownControl(parent, name) {}

LComboSlider::~LComboSlider() = default;

void LComboSlider::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                       const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mComboHandler && mComboHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    DeliverToControlHandler(sender, notification);
}

int32_t LComboSlider::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                const WChar* name) {
    if (mComboHandler) {
        mComboHandler->RemoveHandler(distributor, name);
    }
    return LDropDownControl::UnregisterForNotification(distributor, name);
}

int32_t LComboSlider::Initialize() {
    if (LDropDownControl::Initialize() < 0) {
        return E_FAIL;
    }
    mComboHandler = LNotificationHandler<LComboSlider>::Create(this);
    mPanel = RCPtr<LPanel>(dynamic_cast<LPanel*>(FindChild(u"dropDownPanel").Get()));
    if (mPanel) {
        mPanel->SetVisible(false);
        RCPtr<LControl> slider = mPanel->FindChild(u"slider");
        // A panel without its slider cannot edit the value: the skin is broken.
        QV_CHECK_NULL(slider.Get(), "Cannot find child slider");
        mComboHandler->AddHandler(&LComboSlider::OnSliderValueChange, RCPtr<LNotificationDistributor>(slider),
                                  u"NID_VALUE_CHANGE", 0);
    }
    return S_OK;
}

RCPtr<LControl> LComboSlider::GetSlider() const {
    return mPanel ? mPanel->FindChild(u"slider") : nullptr;
}

int32_t LComboSlider::OnSliderValueChange(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>&) {
    auto* slider = dynamic_cast<LControl*>(source.Get());
    if (slider != nullptr) {
        RCPtr<LControl> hold(this);
        LControl::SetNormalizedValue(slider->GetNormalizedValue());
    }
    return 1;
}

double LComboSlider::SetNormalizedValue(double value) {
    RCPtr<LControl> hold(this);
    if (RCPtr<LControl> slider = GetSlider()) {
        slider->SetNormalizedValue(value);
    }
    return LControl::SetNormalizedValue(value);
}

void LComboSlider::OnValueChanged() {
    RCPtr<LControl> hold(this);
    RCPtr<LControl> slider = GetSlider();
    if (slider && slider->GetNormalizedValue() != GetNormalizedValue()) {
        slider->SetNormalizedValue(GetNormalizedValue());
    }
    SetText(WString::Format(u"%0.0f", ValueFromNormalized(GetNormalizedValue())));
}

bool LComboSlider::IsDroppedDown() {
    return mPanel && mPanel->IsVisible() && mPanel->GetFrame().width > 0 && mPanel->GetFrame().height > 0;
}

int32_t LComboSlider::ShowDropDown(bool show) {
    if (!mPanel) {
        return E_FAIL;
    }
    RCPtr<LControl> hold(this);
    if (show) {
        const RCPtr<LControlDescriptor>& descriptor = mPanel->GetDescriptor();
        const RCPtr<LLayoutDescriptor> skin = descriptor ? descriptor->GetLayout() : nullptr;
        const double skinX = skin ? skin->xPlacement.offset : 0.0;
        RCPtr<LControl> top = GetTopLevelControl();
        double x = skinX;
        if (top && top.Get() != this) {
            const PointT<double> inTop = top->MapPointFrom(this, {skinX, 0.0});
            const double width = mPanel->GetFrame().width;
            const double topWidth = top->GetFrame().width;
            if (inTop.x + width > topWidth) {
                const double moved = std::max(0.0, topWidth - width);
                x = MapPointFrom(top.Get(), {moved, 0.0}).x;
            }
        }
        LLayoutDescriptor::Placement placement;
        LLayoutDescriptor::Size size;
        mPanel->GetPlacement(0, placement, size);
        if (placement.offset != x) {
            placement.offset = x;
            mPanel->SetPlacement(0, placement, size);
        }
    }
    mPanel->SetVisible(show);
    UpdateLookState();
    return S_OK;
}

void LComboSlider::OnConditionsChanged(const RCPtr<LConditionsParam>& param) {
    LDropDownControl::OnConditionsChanged(param);
    UpdateLookState();
}

void LComboSlider::UpdateLookState() {
    int32_t look = 0;
    if (!IsEnabled(true)) {
        look = 6;
    } else if (IsDroppedDown()) {
        look = IsHover() ? 5 : 4;
    } else {
        look = (HasFocus() || ContainsFocus() ? 1 : 0) + (IsHover() ? 2 : 0);
    }
    SelectLook(look);
}

}  // namespace QV
