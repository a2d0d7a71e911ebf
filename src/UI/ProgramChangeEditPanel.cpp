#include "UI/ProgramChangeEditPanel.h"

#include <new>

#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace EditPanel = QV::EditPanel;

namespace {

// Byte 0 first, then the boxes in the order the panel shows them: program, LSB, MSB.
constexpr uint8_t kProgramChangeApplyOrder[] = {0, 3, 2, 1};

}  // namespace

LProgramChangeEditPanel::LProgramChangeEditPanel(const QV::RCPtr<QV::LControl>& parent,
                                                 const QV::WString& name)
    : QV::LPanel(parent, name), mRecord(QV::EditRecord::kProgramChange) {}

LProgramChangeEditPanel::~LProgramChangeEditPanel() = default;

int32_t LProgramChangeEditPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LProgramChangeEditPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return QV::E_FAIL;
    }
    QV::LEditBinder<LProgramChangeEditPanel> bind(*this, mHandler, mRecord);
    mSendOnLoad = bind.Choice(0, u"sendOnLoad");
    mProgram = bind.Number(3, u"programChange");
    bind.Label(u"programChange", u"PROGRAM #");
    mProgramLSB = bind.Number(2, u"programLSB");
    bind.Label(u"programLSB", u"PROGRAM LSB");
    mProgramMSB = bind.Number(1, u"programMSB");
    bind.Label(u"programMSB", u"PROGRAM MSB");
    return result;
}

int32_t LProgramChangeEditPanel::OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>&,
                                                  const QV::RCPtr<QV::LNotification>&) {
    EditPanel::SendRecord(*this, *this, mRecord);
    return 1;
}

int32_t LProgramChangeEditPanel::SetParamValueLocal(const QV::ParamDescriptor&, const QV::Variant& value,
                                                    bool) {
    const QV::RCPtr<LProgramChangeEditPanel> hold(this);
    return mRecord.Apply(value, kProgramChangeApplyOrder);
}

void LProgramChangeEditPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                                  const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LProgramChangeEditPanel::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
