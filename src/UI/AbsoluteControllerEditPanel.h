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

// One continuous controller of the keyboard (volume slider, ribbon bank, tilt, fader): what it
// sends (0 control change, 1 pitch bend), its controller number, minimum and maximum (0..127) and
// its MIDI channel (less one). Where the skin hides the type, edits send back the type last
// received.
// User-interface thread.
class LAbsoluteControllerEditPanel : public QV::LPanel, public IAbsoluteController {
public:
    LAbsoluteControllerEditPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

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
    ~LAbsoluteControllerEditPanel() override;

private:
    QV::RCPtr<QV::LNotificationHandler<LAbsoluteControllerEditPanel>> mHandler;
    QV::RCPtr<QV::LComboBox> mMidiChannel;
    QV::RCPtr<QV::LComboBox> mType;
    QV::RCPtr<QV::LNumericUpDown> mData1;
    QV::RCPtr<QV::LNumericUpDown> mData2;
    QV::RCPtr<QV::LNumericUpDown> mData3;
    QV::LEditRecord mRecord;
};
