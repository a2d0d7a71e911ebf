#include "UI/ProgramChangeEditPanel.h"

#include <new>
#include <string>

#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"

namespace EditPanel = QV::EditPanel;

namespace {

// Byte 0 first, then the boxes in the order the panel shows them: program, LSB, MSB.
constexpr uint8_t kProgramChangeApplyOrder[] = {0, 3, 2, 1};

std::string ProgramChangeNarrow(const QV::WChar* text) {
    return QV::NString(text).GetString();
}

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
    const QV::RCPtr<QV::LControl> sendOnLoad = EditPanel::FindChildAs<QV::LControl>(this, u"sendOnLoad");
    QV_CHECK_NULL(sendOnLoad.Get(), "Cannot find child sendOnLoad");
    mSendOnLoad = EditPanel::FindChildAs<QV::LComboBox>(sendOnLoad.Get(), u"comboBox");
    QV_CHECK_NULL(mSendOnLoad.Get(), "Cannot find child comboBox");
    QV_CHECK_RESULT(mHandler->AddHandler(&LProgramChangeEditPanel::OnControlChanged,
                                         QV::RCPtr<QV::LNotificationDistributor>(mSendOnLoad),
                                         u"NID_SELECTION_CHANGE", 0));
    mRecord.BindChoice(0, mSendOnLoad);
    mProgram = BindNumber(u"programChange", 3, u"PROGRAM #");
    mProgramLSB = BindNumber(u"programLSB", 2, u"PROGRAM LSB");
    mProgramMSB = BindNumber(u"programMSB", 1, u"PROGRAM MSB");
    return result;
}

QV::RCPtr<QV::LNumericUpDown> LProgramChangeEditPanel::BindNumber(const QV::WChar* name, size_t byte,
                                                                  const QV::WChar* label) {
    const QV::RCPtr<QV::LControl> composite = EditPanel::FindChildAs<QV::LControl>(this, name);
    QV_CHECK_NULL(composite.Get(), "Cannot find child " + ProgramChangeNarrow(name));
    const QV::RCPtr<QV::LNumericUpDown> number =
        EditPanel::FindChildAs<QV::LNumericUpDown>(composite.Get(), u"numericUpDown");
    QV_CHECK_NULL(number.Get(), "Cannot find child numericUpDown");
    QV_CHECK_RESULT(mHandler->AddHandler(&LProgramChangeEditPanel::OnControlChanged,
                                         QV::RCPtr<QV::LNotificationDistributor>(number), u"NID_VALUE_CHANGE",
                                         0));
    mRecord.BindNumber(byte, number);
    EditPanel::LimitNumberBoxText(number);
    const QV::RCPtr<QV::LControl> text =
        EditPanel::FindChildAs<QV::LControl>(composite.Get(), u"controlNameLabel");
    QV_CHECK_NULL(text.Get(), "Cannot find child controlNameLabel");
    text->SetText(QV::WString(label));
    return number;
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
