#include "UI/KeybedZoneEditPanel.h"

#include <new>

#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace EditPanel = QV::EditPanel;

namespace {

constexpr uint8_t kKeybedZoneEditPanelApplyOrder[] = {0, 2, 1};

}  // namespace

LKeybedZoneEditPanel::LKeybedZoneEditPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name), mRecord(QV::EditRecord::kKeybedZone) {}

LKeybedZoneEditPanel::~LKeybedZoneEditPanel() = default;

int32_t LKeybedZoneEditPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LKeybedZoneEditPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return QV::E_FAIL;
    }
    QV::LEditBinder<LKeybedZoneEditPanel> bind(*this, mHandler, mRecord);
    mMidiChannel = bind.Choice(2, u"midiChannel");
    mMidiToDin = bind.Choice(1, u"midiToDin");
    mTranspose = bind.Number(0, u"transpose");
    bind.Label(u"transpose", u"TRANSPOSE");
    return result;
}

int32_t LKeybedZoneEditPanel::OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>&,
                                               const QV::RCPtr<QV::LNotification>&) {
    EditPanel::SendRecord(*this, *this, mRecord);
    return 1;
}

int32_t LKeybedZoneEditPanel::SetParamValueLocal(const QV::ParamDescriptor&, const QV::Variant& value, bool) {
    const QV::RCPtr<LKeybedZoneEditPanel> hold(this);
    return mRecord.Apply(value, kKeybedZoneEditPanelApplyOrder);
}

void LKeybedZoneEditPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                               const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LKeybedZoneEditPanel::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
