#pragma once

#include <array>
#include <cstdint>
#include <deque>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Notification/NotificationHandler.h"

namespace QV {
class LTextBox;
}

// The preset's name over the pages ("presetNamePanel"): a text box of at most 16 characters of
// the keyboard's name set (letters, digits, space and - . / = [ \ ] '), which the keyboard shows in
// capitals. The record is the name's 16 bytes, upper-cased and padded with zero bytes. The text
// box keeps what was typed until the engine's upper-cased name comes back and replaces it; the
// engine's values reach the box queued, so while typing runs ahead of them the box keeps the
// newer text. User-interface thread.
class LPresetNameEditPanel : public QV::LPanel, public IPresetName {
public:
    static constexpr int32_t kNameLength = 16;
    // The characters a name may be typed with.
    static constexpr char16_t kCharacterSet[] =
        u" abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-./=[\\]'";

    LPresetNameEditPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // Finds the text box and sets its length, scrolling and character set; a missing one throws.
    int32_t Initialize() override;
    // The text's change sends the name's record. 1.
    int32_t OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>& source,
                             const QV::RCPtr<QV::LNotification>& notification);
    // Shows a record's characters (zero bytes skipped) without sending them back, the caret
    // where it was; E_FAIL, changing nothing, for another parameter's descriptor. The record of
    // an edit sent earlier, while later edits are still on their way, changes nothing: the box
    // already holds newer text. The box's own name in capitals keeps caret and selection.
    int32_t SetParamValueLocal(const QV::ParamDescriptor& descriptor, const QV::Variant& value,
                               bool fromDevice) override;

    // The record of a text: its characters upper-cased, those outside the name set dropped (a
    // pasted text may hold any character, and a byte of 0x80 or above must never reach the
    // keyboard's messages), the first 16 that remain, then zero bytes.
    static std::array<uint8_t, kNameLength> PackName(const QV::WString& text);

    const QV::RCPtr<QV::LTextBox>& GetTextBox() const { return mTextBox; }

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

protected:
    ~LPresetNameEditPanel() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LPresetNameEditPanel>> mHandler;
    QV::RCPtr<QV::LTextBox> mTextBox;
    // The records sent to the engine whose value has not come back yet, oldest first.
    std::deque<std::array<uint8_t, kNameLength>> mUnechoed;
};
