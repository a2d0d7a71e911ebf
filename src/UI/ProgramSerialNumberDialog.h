#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/Dialog.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "RIZozivirod/Utilities/Storage/Array.h"

// The receiver pairing dialog ("dialogProgramSerialNumber"): the user types the last six digits
// of a new USB receiver's serial number and presses "PROGRAM"; after a confirmation the keyboard
// is sent the 27-byte pairing message that carries them. No answer is read: a successful send
// only says the message left. The dialog stays open until "CLOSE" or the close box.
// User-interface thread.
class LProgramSerialNumberDialog : public QV::LDialog {
public:
    static constexpr int32_t kSerialDigits = 6;
    static constexpr int32_t kMessageLength = 27;

    LProgramSerialNumberDialog(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // The dialog and its standard buttons; "buttonProgramSerialNumber" (required) bound to
    // OnProgramClicked; "serialNumberTextBox" (required) limited to six characters, and typing
    // to the digits.
    int32_t Initialize() override;

    // "NID_LEFT_CLICK" of "buttonProgramSerialNumber". Fewer or more than six characters: nothing.
    // Six that are not all digits (pasted text passes the typing filter): nothing is sent and a
    // box says why. Otherwise the user confirms, the message goes out through the editor's MIDI
    // manager, and a box reports the outcome. Returns 1.
    int32_t OnProgramClicked(const QV::RCPtr<QV::LNotificationDistributor>& source,
                             const QV::RCPtr<QV::LNotification>& notification);

    // True for exactly six ASCII digits.
    static bool IsSerialNumber(const QV::WString& text);
    // The pairing message for six ASCII digits: F0 00 20 2B 68 3C 00, the digits' characters,
    // thirteen "0" characters (30) and F7. Empty for any other text.
    static QV::Array<uint8_t> BuildPairingMessage(const QV::WString& digits);

    const QV::RCPtr<QV::LTextBox>& GetSerialNumberBox() const { return mSerialNumberBox; }

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

protected:
    ~LProgramSerialNumberDialog() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LProgramSerialNumberDialog>> mHandler;
    QV::RCPtr<QV::LTextBox> mSerialNumberBox;
};
