#include "UI/PadColorSettingsPanel.h"

#include <new>

#include "RIZozivirod/Controls/ComboBox.h"

namespace EditPanel = QV::EditPanel;

LPadColorSettingsPanel::LPadColorSettingsPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name), mRecord(QV::EditRecord::kPadColors) {}

LPadColorSettingsPanel::~LPadColorSettingsPanel() = default;

int32_t LPadColorSettingsPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LPadColorSettingsPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return QV::E_FAIL;
    }
    static constexpr const char16_t* kComposites[] = {u"padColor1", u"padColor2", u"padColor3", u"padColor4"};
    static constexpr const char16_t* kLabels[] = {u"Pad Color 1", u"Pad Color 2", u"Pad Color 3",
                                                  u"Pad Color 4"};
    QV::LEditBinder<LPadColorSettingsPanel> bind(*this, mHandler, mRecord);
    for (size_t k = 0; k < 4; ++k) {
        mColors[k] = bind.Choice(k, kComposites[k]);
        // The skin's label says "PAD 1" for every colour; each says which colour it is instead.
        EditPanel::SetChildText(EditPanel::FindChildAs<QV::LControl>(this, kComposites[k]).Get(),
                                u"controlNameLabel", kLabels[k]);
    }
    return result;
}

int32_t LPadColorSettingsPanel::OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>&,
                                                 const QV::RCPtr<QV::LNotification>&) {
    EditPanel::SendRecord(*this, *this, mRecord);
    return 1;
}

int32_t LPadColorSettingsPanel::SetParamValueLocal(const QV::ParamDescriptor&, const QV::Variant& value,
                                                   bool) {
    const QV::RCPtr<LPadColorSettingsPanel> hold(this);
    return mRecord.Apply(value);
}

void LPadColorSettingsPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                                 const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LPadColorSettingsPanel::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
