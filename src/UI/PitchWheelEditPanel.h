#pragma once

#include <cstdint>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "UI/EditPanel.h"

namespace QV {
class LComboBox;
}

// The pitch wheel's panel: its MIDI channel and direction (two bytes: channel less one, 0 normal
// or 1 reverse).
// User-interface thread.
class LPitchWheelEditPanel : public QV::LPanel, public IPitchWheel {
public:
    LPitchWheelEditPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

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
    ~LPitchWheelEditPanel() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LPitchWheelEditPanel>> mHandler;
    QV::RCPtr<QV::LComboBox> mMidiChannel;
    QV::RCPtr<QV::LComboBox> mDirection;
    QV::LEditRecord mRecord;
};
