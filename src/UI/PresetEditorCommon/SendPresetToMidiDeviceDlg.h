#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/Dialog.h"
#include "RIZozivirod/Notification/NotificationHandler.h"

// The send dialog ("dialogSendPreset"): the user picks one of the keyboard's 25 preset slots
// and presses "SEND"; the editor's current preset is written into it. Every outcome is reported
// in a message box; the dialog stays open until "CANCEL" or the close box. User-interface
// thread.
class LSendPresetToMidiDeviceDlg : public QV::LDialog {
public:
    LSendPresetToMidiDeviceDlg(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // The dialog and its standard buttons, then "send" (required) bound to OnSendClicked.
    int32_t Initialize() override;

    // "NID_LEFT_CLICK" of "send": writes the chosen slot. Returns 1.
    int32_t OnSendClicked(const QV::RCPtr<QV::LNotificationDistributor>& source,
                          const QV::RCPtr<QV::LNotification>& notification);

    // Writes the current preset into slot 0..24 through the editor's MIDI manager and shows the
    // outcome: success only for a result of 0 or more, the firmware notice for -2, the MIDI
    // error for every other negative result. A slot outside 0..24 is never written
    // (E_INVALIDARG, shown as the MIDI error). Returns the result.
    static int32_t SendPreset(int32_t slot);

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

protected:
    ~LSendPresetToMidiDeviceDlg() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LSendPresetToMidiDeviceDlg>> mHandler;
    QV::RCPtr<QV::LButton> mSendButton;
};
