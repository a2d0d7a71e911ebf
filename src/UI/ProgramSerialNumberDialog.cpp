#include "UI/ProgramSerialNumberDialog.h"

#include <new>

#include "Platform/Desktop/DesktopShell.h"
#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "UI/PresetEditorCommon/PresetTransfer.h"

namespace {

// The message's fixed head (start, the maker's three-byte id, the pairing command) and tail.
constexpr uint8_t kPairingHead[] = {0xF0, 0x00, 0x20, 0x2B, 0x68, 0x3C, 0x00};
constexpr int32_t kPairingPadding = 13;
constexpr uint8_t kSysExEnd = 0xF7;

}  // namespace

LProgramSerialNumberDialog::LProgramSerialNumberDialog(const QV::RCPtr<QV::LControl>& parent,
                                                       const QV::WString& name)
    : QV::LDialog(parent, name) {}

LProgramSerialNumberDialog::~LProgramSerialNumberDialog() = default;

int32_t LProgramSerialNumberDialog::Initialize() {
    const int32_t result = QV::LDialog::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LProgramSerialNumberDialog>::Create(this);
    } catch (const std::bad_alloc&) {
        return result;
    }
    const QV::RCPtr<QV::LControl> button = FindChild(QV::WString(u"buttonProgramSerialNumber"));
    auto* programButton = dynamic_cast<QV::LButton*>(button.Get());
    QV_CHECK_NULL(programButton, "Cannot find child buttonProgramSerialNumber");
    QV_CHECK_RESULT(mHandler->AddHandler(&LProgramSerialNumberDialog::OnProgramClicked,
                                         QV::RCPtr<QV::LNotificationDistributor>(programButton),
                                         u"NID_LEFT_CLICK", 0));
    const QV::RCPtr<QV::LControl> box = FindChild(QV::WString(u"serialNumberTextBox"));
    mSerialNumberBox = QV::RCPtr<QV::LTextBox>(dynamic_cast<QV::LTextBox*>(box.Get()));
    QV_CHECK_NULL(mSerialNumberBox.Get(), "Cannot find child serialNumberTextBox");
    mSerialNumberBox->SetMaxLength(kSerialDigits);
    mSerialNumberBox->SetCharacterFilter(QV::WString(u"0123456789"));
    return result;
}

bool LProgramSerialNumberDialog::IsSerialNumber(const QV::WString& text) {
    if (text.GetLength() != kSerialDigits) {
        return false;
    }
    const QV::WChar* units = text.GetString();
    for (int32_t i = 0; i < kSerialDigits; ++i) {
        const QV::WChar c = units[i];
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

QV::Array<uint8_t> LProgramSerialNumberDialog::BuildPairingMessage(const QV::WString& digits) {
    QV::Array<uint8_t> message;
    if (!IsSerialNumber(digits)) {
        return message;
    }
    for (const uint8_t byte : kPairingHead) {
        message.Add(byte);
    }
    const QV::WChar* units = digits.GetString();
    for (int32_t i = 0; i < kSerialDigits; ++i) {
        message.Add(static_cast<uint8_t>(units[i]));
    }
    for (int32_t i = 0; i < kPairingPadding; ++i) {
        message.Add(static_cast<uint8_t>(u'0'));
    }
    message.Add(kSysExEnd);
    return message;
}

int32_t LProgramSerialNumberDialog::OnProgramClicked(const QV::RCPtr<QV::LNotificationDistributor>&,
                                                     const QV::RCPtr<QV::LNotification>&) {
    const QV::RCPtr<LProgramSerialNumberDialog> hold(this);
    if (!mSerialNumberBox) {
        return 1;
    }
    const QV::WString text = mSerialNumberBox->GetText();
    if (text.GetLength() != kSerialDigits) {
        return 1;
    }
    QV::IApplicationServices& services = QV::GetApplicationServices();
    // Only typing is filtered: a pasted letter would otherwise pair the keyboard with a
    // receiver whose number the user never entered.
    if (!IsSerialNumber(text)) {
        services.ShowMessageBox(
            u"The serial number can only hold the digits 0 to 9. Enter the last 6 digits "
            u"of the serial number on your USB receiver.",
            u"Program USB Receiver", Platform::MB_OK);
        return 1;
    }
    // Only a confirmed OK pairs: a box that could not be shown answers no button.
    if (services.ShowMessageBox(u"Are you sure you want to pair Skylet to a new USB receiver?",
                                u"Program USB Receiver", Platform::MB_OKCANCEL) != Platform::IDOK) {
        return 1;
    }
    const QV::Array<uint8_t> message = BuildPairingMessage(text);
    const int32_t result = QV::PresetTransfer::CallMidiManager(
        [&message](QV::LMidiManager& manager) { return manager.SendRawSysEx(message); });
    if (result >= 0) {
        services.ShowMessageBox(
            u"Your Skylet is now paired with your new USB receiver. Power your Skylet off "
            u"and then on again to start using it.",
            u"Program Serial Success", Platform::MB_OK);
    } else {
        services.ShowMessageBox(
            u"We encountered a problem in the pairing process. Make sure your Skylet is "
            u"connected to your computer and try again.",
            u"Program Serial Error", Platform::MB_OK);
    }
    return 1;
}

void LProgramSerialNumberDialog::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                                     const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LDialog::ReceiveNotification(sender, notification);
}

int32_t LProgramSerialNumberDialog::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LDialog::UnregisterForNotification(distributor, name);
}
