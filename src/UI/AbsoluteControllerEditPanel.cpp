#include "UI/AbsoluteControllerEditPanel.h"

#include <new>

#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace EditPanel = QV::EditPanel;

namespace {

constexpr uint8_t kAbsoluteControllerEditPanelApplyOrder[] = {4, 0, 1, 2, 3};

}  // namespace

LAbsoluteControllerEditPanel::LAbsoluteControllerEditPanel(const QV::RCPtr<QV::LControl>& parent,
                                                           const QV::WString& name)
    : QV::LPanel(parent, name), mRecord(QV::EditRecord::kAbsoluteController) {}

LAbsoluteControllerEditPanel::~LAbsoluteControllerEditPanel() = default;

int32_t LAbsoluteControllerEditPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LAbsoluteControllerEditPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return QV::E_FAIL;
    }
    {
        const QV::RCPtr<QV::LControl> composite = EditPanel::FindChildAs<QV::LControl>(this, u"midiChannel");
        QV_CHECK_NULL(composite.Get(), "Cannot find child midiChannel");
        mMidiChannel = EditPanel::FindChildAs<QV::LComboBox>(composite.Get(), u"comboBox");
        QV_CHECK_NULL(mMidiChannel.Get(), "Cannot find child comboBox");
        QV_CHECK_RESULT(mHandler->AddHandler(&LAbsoluteControllerEditPanel::OnControlChanged,
                                             QV::RCPtr<QV::LNotificationDistributor>(mMidiChannel),
                                             u"NID_SELECTION_CHANGE", 0));
        mRecord.BindChoice(4, mMidiChannel);
    }
    {
        const QV::RCPtr<QV::LControl> composite = EditPanel::FindChildAs<QV::LControl>(this, u"type");
        QV_CHECK_NULL(composite.Get(), "Cannot find child type");
        mType = EditPanel::FindChildAs<QV::LComboBox>(composite.Get(), u"comboBox");
        QV_CHECK_NULL(mType.Get(), "Cannot find child comboBox");
        QV_CHECK_RESULT(mHandler->AddHandler(&LAbsoluteControllerEditPanel::OnControlChanged,
                                             QV::RCPtr<QV::LNotificationDistributor>(mType),
                                             u"NID_SELECTION_CHANGE", 0));
        mRecord.BindChoice(0, mType);
    }
    {
        const QV::RCPtr<QV::LControl> composite = EditPanel::FindChildAs<QV::LControl>(this, u"data1Value");
        QV_CHECK_NULL(composite.Get(), "Cannot find child data1");
        mData1 = EditPanel::FindChildAs<QV::LNumericUpDown>(composite.Get(), u"numericUpDown");
        QV_CHECK_NULL(mData1.Get(), "Cannot find child numericUpDown");
        QV_CHECK_RESULT(mHandler->AddHandler(&LAbsoluteControllerEditPanel::OnControlChanged,
                                             QV::RCPtr<QV::LNotificationDistributor>(mData1),
                                             u"NID_VALUE_CHANGE", 0));
        mRecord.BindNumber(1, mData1);
        EditPanel::LimitNumberBoxText(mData1);
        const QV::RCPtr<QV::LControl> label =
            EditPanel::FindChildAs<QV::LControl>(composite.Get(), u"controlNameLabel");
        QV_CHECK_NULL(label.Get(), "Cannot find child controlNameLabel");
        label->SetText(QV::WString(u"CC #"));
    }
    {
        const QV::RCPtr<QV::LControl> composite = EditPanel::FindChildAs<QV::LControl>(this, u"data2Value");
        QV_CHECK_NULL(composite.Get(), "Cannot find child data2");
        mData2 = EditPanel::FindChildAs<QV::LNumericUpDown>(composite.Get(), u"numericUpDown");
        QV_CHECK_NULL(mData2.Get(), "Cannot find child numericUpDown");
        QV_CHECK_RESULT(mHandler->AddHandler(&LAbsoluteControllerEditPanel::OnControlChanged,
                                             QV::RCPtr<QV::LNotificationDistributor>(mData2),
                                             u"NID_VALUE_CHANGE", 0));
        mRecord.BindNumber(2, mData2);
        EditPanel::LimitNumberBoxText(mData2);
        const QV::RCPtr<QV::LControl> label =
            EditPanel::FindChildAs<QV::LControl>(composite.Get(), u"controlNameLabel");
        QV_CHECK_NULL(label.Get(), "Cannot find child controlNameLabel");
        label->SetText(QV::WString(u"MIN"));
    }
    {
        const QV::RCPtr<QV::LControl> composite = EditPanel::FindChildAs<QV::LControl>(this, u"data3Value");
        QV_CHECK_NULL(composite.Get(), "Cannot find child data3");
        mData3 = EditPanel::FindChildAs<QV::LNumericUpDown>(composite.Get(), u"numericUpDown");
        QV_CHECK_NULL(mData3.Get(), "Cannot find child numericUpDown");
        QV_CHECK_RESULT(mHandler->AddHandler(&LAbsoluteControllerEditPanel::OnControlChanged,
                                             QV::RCPtr<QV::LNotificationDistributor>(mData3),
                                             u"NID_VALUE_CHANGE", 0));
        mRecord.BindNumber(3, mData3);
        EditPanel::LimitNumberBoxText(mData3);
        const QV::RCPtr<QV::LControl> label =
            EditPanel::FindChildAs<QV::LControl>(composite.Get(), u"controlNameLabel");
        QV_CHECK_NULL(label.Get(), "Cannot find child controlNameLabel");
        label->SetText(QV::WString(u"MAX"));
    }
    return result;
}

int32_t LAbsoluteControllerEditPanel::OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>&,
                                                       const QV::RCPtr<QV::LNotification>&) {
    EditPanel::SendRecord(*this, *this, mRecord);
    return 1;
}

int32_t LAbsoluteControllerEditPanel::SetParamValueLocal(const QV::ParamDescriptor&, const QV::Variant& value,
                                                         bool) {
    const QV::RCPtr<LAbsoluteControllerEditPanel> hold(this);
    return mRecord.Apply(value, kAbsoluteControllerEditPanelApplyOrder);
}

void LAbsoluteControllerEditPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                                       const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LAbsoluteControllerEditPanel::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
