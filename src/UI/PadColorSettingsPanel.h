#pragma once

#include <cstdint>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "UI/EditPanel.h"

// A pad's four colours, "padColor1" to "padColor4", each one of 14 named colours (0 LED off ..
// 13 white), one record byte each. User-interface thread.
class LPadColorSettingsPanel : public QV::LPanel, public IPadColors {
public:
    LPadColorSettingsPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // Finds the four combo boxes and binds them to the record; a missing one throws.
    int32_t Initialize() override;
    // Any colour's change sends the whole record. 1.
    int32_t OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>& source,
                             const QV::RCPtr<QV::LNotification>& notification);
    // Shows a record; E_FAIL, changing nothing, for one that is not 4 bytes long.
    int32_t SetParamValueLocal(const QV::ParamDescriptor& descriptor, const QV::Variant& value,
                               bool fromDevice) override;

    const QV::LEditRecord& GetRecord() const { return mRecord; }

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

protected:
    ~LPadColorSettingsPanel() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LPadColorSettingsPanel>> mHandler;
    QV::RCPtr<QV::LComboBox> mColors[4];
    QV::LEditRecord mRecord;
};
