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
    {
        const QV::RCPtr<QV::LControl> composite = EditPanel::FindChildAs<QV::LControl>(this, u"midiChannel");
        QV_CHECK_NULL(composite.Get(), "Cannot find child midiChannel");
        mMidiChannel = EditPanel::FindChildAs<QV::LComboBox>(composite.Get(), u"comboBox");
        QV_CHECK_NULL(mMidiChannel.Get(), "Cannot find child comboBox");
        QV_CHECK_RESULT(mHandler->AddHandler(&LKeybedZoneEditPanel::OnControlChanged,
                                             QV::RCPtr<QV::LNotificationDistributor>(mMidiChannel),
                                             u"NID_SELECTION_CHANGE", 0));
        mRecord.BindChoice(2, mMidiChannel);
    }
    {
        const QV::RCPtr<QV::LControl> composite = EditPanel::FindChildAs<QV::LControl>(this, u"midiToDin");
        QV_CHECK_NULL(composite.Get(), "Cannot find child midiToDin");
        mMidiToDin = EditPanel::FindChildAs<QV::LComboBox>(composite.Get(), u"comboBox");
        QV_CHECK_NULL(mMidiToDin.Get(), "Cannot find child comboBox");
        QV_CHECK_RESULT(mHandler->AddHandler(&LKeybedZoneEditPanel::OnControlChanged,
                                             QV::RCPtr<QV::LNotificationDistributor>(mMidiToDin),
                                             u"NID_SELECTION_CHANGE", 0));
        mRecord.BindChoice(1, mMidiToDin);
    }
    {
        const QV::RCPtr<QV::LControl> composite = EditPanel::FindChildAs<QV::LControl>(this, u"transpose");
        QV_CHECK_NULL(composite.Get(), "Cannot find child transpose");
        mTranspose = EditPanel::FindChildAs<QV::LNumericUpDown>(composite.Get(), u"numericUpDown");
        QV_CHECK_NULL(mTranspose.Get(), "Cannot find child numericUpDown");
        QV_CHECK_RESULT(mHandler->AddHandler(&LKeybedZoneEditPanel::OnControlChanged,
                                             QV::RCPtr<QV::LNotificationDistributor>(mTranspose),
                                             u"NID_VALUE_CHANGE", 0));
        mRecord.BindNumber(0, mTranspose);
        EditPanel::LimitNumberBoxText(mTranspose);
        const QV::RCPtr<QV::LControl> label =
            EditPanel::FindChildAs<QV::LControl>(composite.Get(), u"controlNameLabel");
        QV_CHECK_NULL(label.Get(), "Cannot find child controlNameLabel");
        label->SetText(QV::WString(u"TRANSPOSE"));
    }
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
