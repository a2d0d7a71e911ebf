#include "UI/PitchWheelEditPanel.h"

#include <new>

#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace EditPanel = QV::EditPanel;

namespace {}  // namespace

LPitchWheelEditPanel::LPitchWheelEditPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name), mRecord(QV::EditRecord::kPitchWheel) {}

LPitchWheelEditPanel::~LPitchWheelEditPanel() = default;

int32_t LPitchWheelEditPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LPitchWheelEditPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return QV::E_FAIL;
    }
    {
        const QV::RCPtr<QV::LControl> composite = EditPanel::FindChildAs<QV::LControl>(this, u"midiChannel");
        QV_CHECK_NULL(composite.Get(), "Cannot find child midiChannel");
        mMidiChannel = EditPanel::FindChildAs<QV::LComboBox>(composite.Get(), u"comboBox");
        QV_CHECK_NULL(mMidiChannel.Get(), "Cannot find child comboBox");
        QV_CHECK_RESULT(mHandler->AddHandler(&LPitchWheelEditPanel::OnControlChanged,
                                             QV::RCPtr<QV::LNotificationDistributor>(mMidiChannel),
                                             u"NID_SELECTION_CHANGE", 0));
        mRecord.BindChoice(0, mMidiChannel);
    }
    {
        const QV::RCPtr<QV::LControl> composite =
            EditPanel::FindChildAs<QV::LControl>(this, u"directionComboBox");
        QV_CHECK_NULL(composite.Get(), "Cannot find child directionComboBox");
        mDirection = EditPanel::FindChildAs<QV::LComboBox>(composite.Get(), u"comboBox");
        QV_CHECK_NULL(mDirection.Get(), "Cannot find child comboBox");
        QV_CHECK_RESULT(mHandler->AddHandler(&LPitchWheelEditPanel::OnControlChanged,
                                             QV::RCPtr<QV::LNotificationDistributor>(mDirection),
                                             u"NID_SELECTION_CHANGE", 0));
        mRecord.BindChoice(1, mDirection);
    }
    return result;
}

int32_t LPitchWheelEditPanel::OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>&,
                                               const QV::RCPtr<QV::LNotification>&) {
    EditPanel::SendRecord(*this, *this, mRecord);
    return 1;
}

int32_t LPitchWheelEditPanel::SetParamValueLocal(const QV::ParamDescriptor&, const QV::Variant& value, bool) {
    const QV::RCPtr<LPitchWheelEditPanel> hold(this);
    return mRecord.Apply(value);
}

void LPitchWheelEditPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                               const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LPitchWheelEditPanel::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
