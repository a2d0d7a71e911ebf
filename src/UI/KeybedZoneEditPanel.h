#pragma once

#include <cstdint>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "UI/EditPanel.h"

namespace QV {
class LComboBox;
class LNumericUpDown;
}  // namespace QV

// One zone of a split keybed: transpose (-12..12, stored plus 12), whether its notes go to the
// MIDI DIN output (0 on, 1 off) and its MIDI channel (less one).
// User-interface thread.
class LKeybedZoneEditPanel : public QV::LPanel, public IKeybedZone {
public:
    LKeybedZoneEditPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // Finds the controls and binds them to the record; a missing one throws.
    int32_t Initialize() override;
    // Any control's change sends the whole record. 1.
    int32_t OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>& source,
                             const QV::RCPtr<QV::LNotification>& notification);
    // Shows a record; E_FAIL, changing nothing, for one of the wrong length.
    int32_t SetParamValueLocal(const QV::ParamDescriptor& descriptor, const QV::Variant& value,
                               bool fromDevice) override;

    const QV::LEditRecord& GetRecord() const { return mRecord; }

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

protected:
    ~LKeybedZoneEditPanel() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LKeybedZoneEditPanel>> mHandler;
    QV::RCPtr<QV::LComboBox> mMidiChannel;
    QV::RCPtr<QV::LComboBox> mMidiToDin;
    QV::RCPtr<QV::LNumericUpDown> mTranspose;
    QV::LEditRecord mRecord;
};
