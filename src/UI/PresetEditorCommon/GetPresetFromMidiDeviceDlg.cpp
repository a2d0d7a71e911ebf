#include "UI/PresetEditorCommon/GetPresetFromMidiDeviceDlg.h"

#include <new>

#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "UI/PresetEditorCommon/PresetTransfer.h"

namespace PresetTransfer = QV::PresetTransfer;

LGetPresetFromMidiDeviceDlg::LGetPresetFromMidiDeviceDlg(const QV::RCPtr<QV::LControl>& parent,
                                                         const QV::WString& name)
    : QV::LDialog(parent, name) {}

LGetPresetFromMidiDeviceDlg::~LGetPresetFromMidiDeviceDlg() = default;

int32_t LGetPresetFromMidiDeviceDlg::Initialize() {
    const int32_t result = QV::LDialog::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LGetPresetFromMidiDeviceDlg>::Create(this);
    } catch (const std::bad_alloc&) {
        QV_THROW(QV::FailedResultException, QV::ResultToString(QV::E_OUTOFMEMORY));
    }
    const QV::RCPtr<QV::LControl> button = FindChild(QV::WString(u"getButton"));
    mGetButton = QV::RCPtr<QV::LButton>(dynamic_cast<QV::LButton*>(button.Get()));
    QV_CHECK_NULL(mGetButton.Get(), "Cannot find child getButton");
    QV_CHECK_RESULT(mHandler->AddHandler(&LGetPresetFromMidiDeviceDlg::OnGetClicked,
                                         QV::RCPtr<QV::LNotificationDistributor>(mGetButton),
                                         u"NID_LEFT_CLICK", 0));
    return result;
}

int32_t LGetPresetFromMidiDeviceDlg::OnGetClicked(const QV::RCPtr<QV::LNotificationDistributor>&,
                                                  const QV::RCPtr<QV::LNotification>&) {
    const QV::RCPtr<LGetPresetFromMidiDeviceDlg> hold(this);
    GetPreset(PresetTransfer::SelectedSlot(*this));
    return 1;
}

int32_t LGetPresetFromMidiDeviceDlg::GetPreset(int32_t slot) {
    const int32_t result = PresetTransfer::IsSlot(slot)
                               ? PresetTransfer::CallMidiManager([slot](QV::LMidiManager& manager) {
                                     return manager.GetPresetFromMidiDevice(slot);
                                 })
                               : QV::E_INVALIDARG;
    if (result >= 0) {
        PresetTransfer::ShowOutcome(u"LABEL_GET_PRESET_SUCEESS_MSGBOX_CAPTION",
                                    u"LABEL_GET_PRESET_SUCEESS_MSGBOX_TEXT");
    } else if (result == -2) {
        PresetTransfer::ShowOutcome(u"LABEL_GET_PRESET_FAILED_MSGBOX_CAPTION",
                                    u"LABEL_GET_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT");
    } else {
        PresetTransfer::ShowOutcome(u"LABEL_GET_PRESET_FAILED_MSGBOX_CAPTION",
                                    u"LABEL_GET_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT");
    }
    return result;
}

void LGetPresetFromMidiDeviceDlg::ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                                                      const QV::RCPtr<QV::LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LDialog::ReceiveNotification(sender, notification);
}

int32_t LGetPresetFromMidiDeviceDlg::UnregisterForNotification(
    const QV::RCPtr<QV::LNotificationDistributor>& distributor, const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LDialog::UnregisterForNotification(distributor, name);
}
