#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/Dialog.h"
#include "RIZozivirod/Notification/NotificationHandler.h"

// The retrieve dialog ("dialogRetrievePresetFromHardware"): the user picks one of the keyboard's
// 25 preset slots and presses "GET"; the preset the keyboard sends back replaces the editor's
// (the MIDI manager applies it through the engine, and the panels show it from the engine's
// change notifications). Every outcome is reported in a message box; the dialog stays open for
// another try until "CANCEL" or the close box. User-interface thread; a retrieval blocks it for
// up to the MIDI manager's reply time.
class LGetPresetFromMidiDeviceDlg : public QV::LDialog {
public:
    LGetPresetFromMidiDeviceDlg(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // The dialog and its standard buttons, then "getButton" (required) bound to OnGetClicked.
    int32_t Initialize() override;

    // "NID_LEFT_CLICK" of "getButton": retrieves the chosen slot. Returns 1.
    int32_t OnGetClicked(const QV::RCPtr<QV::LNotificationDistributor>& source,
                         const QV::RCPtr<QV::LNotification>& notification);

    // Retrieves slot 0..24 through the editor's MIDI manager and shows the outcome: success only
    // for a result of 0 or more, the firmware notice for -2, the MIDI error for every other
    // negative result. A slot outside 0..24 is never requested (E_INVALIDARG, shown as the MIDI
    // error). Returns the result.
    static int32_t GetPreset(int32_t slot);

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

protected:
    ~LGetPresetFromMidiDeviceDlg() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LGetPresetFromMidiDeviceDlg>> mHandler;
    QV::RCPtr<QV::LButton> mGetButton;
};
