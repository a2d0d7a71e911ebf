#include "UI/SustainEditPanel.h"

#include <new>

#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace EditPanel = QV::EditPanel;

namespace {}  // namespace

LSustainEditPanel::LSustainEditPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name), mRecord(QV::EditRecord::kSustain) {}

LSustainEditPanel::~LSustainEditPanel() = default;

int32_t LSustainEditPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LSustainEditPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return QV::E_FAIL;
    }
    QV::LEditBinder<LSustainEditPanel> bind(*this, mHandler, mRecord);
    mMidiChannel = bind.Choice(0, u"midiChannel");
    return result;
}

int32_t LSustainEditPanel::OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>&,
                                            const QV::RCPtr<QV::LNotification>&) {
    EditPanel::SendRecord(*this, *this, mRecord);
    return 1;
}

int32_t LSustainEditPanel::SetParamValueLocal(const QV::ParamDescriptor&, const QV::Variant& value, bool) {
    const QV::RCPtr<LSustainEditPanel> hold(this);
    return mRecord.Apply(value);
}

void LSustainEditPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                            const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LSustainEditPanel::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
