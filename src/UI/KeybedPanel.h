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

// The keybed's panel: velocity curve (9 curves), split mode (0 split on, 1 split off) and split key
// (1..36, stored less one), over its two zones, "upperZone" (the keybed's id + 1) and "lowerZone"
// (id + 2). User-interface thread.
class LKeybedEditPanel : public QV::LPanel, public IKeybed {
public:
    LKeybedEditPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // Finds the controls and binds them to the record, and heads the zones; a missing control
    // throws.
    int32_t Initialize() override;
    // Any control's change sends the whole record. 1.
    int32_t OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>& source,
                             const QV::RCPtr<QV::LNotification>& notification);
    // Shows a record; E_FAIL, changing nothing, for one of the wrong length.
    int32_t SetParamValueLocal(const QV::ParamDescriptor& descriptor, const QV::Variant& value,
                               bool fromDevice) override;
    using IKeybed::GetKeybedZone;
    // 0 "upperZone", 1 "lowerZone"; null otherwise.
    QV::RCPtr<IKeybedZone> GetKeybedZone(int32_t zoneIndex) override;

    const QV::LEditRecord& GetRecord() const { return mRecord; }

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

protected:
    ~LKeybedEditPanel() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LKeybedEditPanel>> mHandler;
    QV::RCPtr<QV::LNumericUpDown> mSplitPoint;
    QV::RCPtr<QV::LComboBox> mSplitMode;
    QV::RCPtr<QV::LComboBox> mCurve;
    QV::LEditRecord mRecord;
};
