#include "UI/PadMidiSettingsPanel.h"

#include <new>
#include <vector>

#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"

namespace EditPanel = QV::EditPanel;

namespace {

// Channel and type first: the rest is shown by the type.
constexpr uint8_t kPadMidiApplyOrder[] = {4, 0, 1, 2};
constexpr size_t kPadMidiByte3 = 3;
// Past the record's end: the curve shares byte 3 with data 3 and is packed by the panel.
constexpr size_t kPadMidiCurveUnbound = 5;

// What each type shows: the data labels (null keeps the text shown) and which of data 1, data 2,
// data 3, curve and channel are visible.
struct PadTypeView {
    const char16_t* labels[3];
    bool visible[5];
};
constexpr PadTypeView kPadTypeViews[] = {
    {{u"NOTE", u"VELOCITY", nullptr}, {true, true, false, true, true}},
    {{u"CC", u"ON", u"OFF"}, {true, true, true, false, true}},
    {{u"CC", u"PRESS", u"RELEASE"}, {true, true, true, false, true}},
    {{u"PROGRAM", u"LSB", u"MSB"}, {true, true, true, false, true}},
    {{nullptr, nullptr, nullptr}, {false, false, false, false, false}},
};

}  // namespace

LPadMidiSettingsPanel::LPadMidiSettingsPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name), mRecord(QV::EditRecord::kPadMidi) {}

LPadMidiSettingsPanel::~LPadMidiSettingsPanel() = default;

int32_t LPadMidiSettingsPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LPadMidiSettingsPanel>::Create(this);
    } catch (const std::bad_alloc&) {
        return QV::E_FAIL;
    }
    QV::LEditBinder<LPadMidiSettingsPanel> bind(*this, mHandler, mRecord);
    mMidiChannel = bind.Choice(4, u"midiChannel");
    mChannelLabel = bind.Label(u"midiChannel");
    mType = bind.Choice(0, u"type");
    mData1 = bind.Number(1, u"data1Value", {.composite = "Cannot find child data1"});
    mDataLabels[0] = bind.Label(u"data1Value", nullptr, {.composite = "Cannot find child data1"});
    mData2 = bind.Number(2, u"data2Value", {.composite = "Cannot find child data2"});
    mDataLabels[1] = bind.Label(u"data2Value", nullptr, {.composite = "Cannot find child data2"});
    mData3 = bind.Number(kPadMidiByte3, u"data3Value", {.composite = "Cannot find child data3"});
    mDataLabels[2] = bind.Label(u"data3Value", nullptr, {.composite = "Cannot find child data3"});
    mCurve = bind.Choice(kPadMidiCurveUnbound, u"padCurve");
    mRows[0] = EditPanel::FindChildAs<QV::LControl>(this, u"data1Value");
    mRows[1] = EditPanel::FindChildAs<QV::LControl>(this, u"data2Value");
    mRows[2] = EditPanel::FindChildAs<QV::LControl>(this, u"data3Value");
    mRows[3] = EditPanel::FindChildAs<QV::LControl>(this, u"padCurve");
    mRows[4] = EditPanel::FindChildAs<QV::LControl>(this, u"midiChannel");
    return result;
}

QV::Variant LPadMidiSettingsPanel::PackRecord() const {
    std::vector<uint8_t> bytes = mRecord.PackBytes();
    // Byte 3 follows the type chosen now: the curve for a note, data 3 for the others. A type the
    // list does not have sends back what came with it.
    const int32_t type = mType->GetSelectedIndex();
    if (type == kTypeNote) {
        bytes[kPadMidiByte3] =
            QV::EditRecord::ByteOfChoice(mCurve->GetSelectedIndex(), mRecord.GetReceived(kPadMidiByte3));
    } else if (type < 0) {
        bytes[kPadMidiByte3] = mRecord.GetReceived(kPadMidiByte3);
    }
    QV::Variant value;
    value.SetBlob(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return value;
}

int32_t LPadMidiSettingsPanel::OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>&,
                                                const QV::RCPtr<QV::LNotification>&) {
    EditPanel::SendValue(*this, *this, PackRecord());
    return 1;
}

int32_t LPadMidiSettingsPanel::SetParamValueLocal(const QV::ParamDescriptor&, const QV::Variant& value,
                                                  bool) {
    const QV::RCPtr<LPadMidiSettingsPanel> hold(this);
    const int32_t result = mRecord.Apply(value, kPadMidiApplyOrder);
    if (result < 0) {
        return result;
    }
    ShowType(mRecord.GetReceived(kPadMidiByte3));
    return 0;
}

void LPadMidiSettingsPanel::ShowType(uint8_t byte3) {
    // The type the combo shows after applying, not the byte: a type it has no item for shows
    // nothing new.
    const int32_t type = mType->GetSelectedIndex();
    if (type < 0 || type > kTypePanic) {
        return;
    }
    const PadTypeView& view = kPadTypeViews[type];
    for (size_t i = 0; i < 3; ++i) {
        if (view.labels[i] != nullptr) {
            mDataLabels[i]->SetText(QV::WString(view.labels[i]));
        }
    }
    for (size_t i = 0; i < 5; ++i) {
        if (mRows[i]) {
            mRows[i]->SetVisible(view.visible[i]);
        }
    }
    if (type == kTypeNote) {
        mCurve->SetSelectedIndex(QV::EditRecord::ChoiceOfByte(byte3));
    } else if (type != kTypePanic) {
        mData3->SetValue(QV::EditRecord::NumberOfByte(QV::EditRecord::kPadMidi[kPadMidiByte3], byte3));
    }
}

void LPadMidiSettingsPanel::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                                const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LPanel::ReceiveNotification(sender, notification);
}

int32_t LPadMidiSettingsPanel::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LPanel::UnregisterForNotification(distributor, name);
}
