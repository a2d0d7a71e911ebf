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
    QV::LEditBinder<LAbsoluteControllerEditPanel> bind(*this, mHandler, mRecord);
    mMidiChannel = bind.Choice(4, u"midiChannel");
    mType = bind.Choice(0, u"type");
    mData1 = bind.Number(1, u"data1Value", {.composite = "Cannot find child data1"});
    bind.Label(u"data1Value", u"CC #", {.composite = "Cannot find child data1"});
    mData2 = bind.Number(2, u"data2Value", {.composite = "Cannot find child data2"});
    bind.Label(u"data2Value", u"MIN", {.composite = "Cannot find child data2"});
    mData3 = bind.Number(3, u"data3Value", {.composite = "Cannot find child data3"});
    bind.Label(u"data3Value", u"MAX", {.composite = "Cannot find child data3"});
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
