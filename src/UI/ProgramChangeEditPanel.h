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

// The program change the keyboard sends when the preset is loaded: whether it sends one
// ("sendOnLoad", 0 yes, 1 no) and the program number with its bank MSB and LSB (0..127). The
// record keeps them as send on load, MSB, LSB, program, although the panel shows them as program,
// LSB, MSB. User-interface thread.
class LProgramChangeEditPanel : public QV::LPanel, public IProgramChange {
public:
    LProgramChangeEditPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // Finds the controls and binds them to the record; a missing one throws.
    int32_t Initialize() override;
    // Any control's change sends the whole record. 1.
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
    ~LProgramChangeEditPanel() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LProgramChangeEditPanel>> mHandler;
    QV::RCPtr<QV::LComboBox> mSendOnLoad;
    QV::RCPtr<QV::LNumericUpDown> mProgram;
    QV::RCPtr<QV::LNumericUpDown> mProgramLSB;
    QV::RCPtr<QV::LNumericUpDown> mProgramMSB;
    QV::LEditRecord mRecord;
};
