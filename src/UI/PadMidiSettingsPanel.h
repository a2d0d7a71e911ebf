#pragma once

#include <cstdint>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "UI/EditPanel.h"

// What a pad sends: its type (0 note, 1 CC toggle, 2 CC momentary, 3 program change, 4 panic),
// up to three data values (0..127), a velocity curve for notes and its MIDI channel. Record: type,
// data 1, data 2, byte 3, channel; byte 3 is the curve (0..7) for a note and data 3 for the other
// types. The labels of the data boxes, and which controls show, follow the type of the record last
// shown; an edit packs byte 3 by the type chosen now. User-interface thread.
class LPadMidiSettingsPanel : public QV::LPanel, public IPadMidi {
public:
    LPadMidiSettingsPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // Finds the controls and binds them to the record; a missing one throws.
    int32_t Initialize() override;
    // Any control's change sends the whole record. 1.
    int32_t OnControlChanged(const QV::RCPtr<QV::LNotificationDistributor>& source,
                             const QV::RCPtr<QV::LNotification>& notification);
    // Shows a record, with the labels and controls of its type; E_FAIL, changing nothing, for one
    // that is not 5 bytes long.
    int32_t SetParamValueLocal(const QV::ParamDescriptor& descriptor, const QV::Variant& value,
                               bool fromDevice) override;

    // The record the controls make up now.
    QV::Variant PackRecord() const;

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

    static constexpr int32_t kTypeNote = 0;
    static constexpr int32_t kTypePanic = 4;

protected:
    ~LPadMidiSettingsPanel() override;

private:
    // Labels, visibility and byte 3 by the type the type combo shows.
    void ShowType(uint8_t byte3);

    QV::RCPtr<QV::LNotificationHandler<LPadMidiSettingsPanel>> mHandler;
    QV::RCPtr<QV::LComboBox> mMidiChannel;
    QV::RCPtr<QV::LComboBox> mType;
    QV::RCPtr<QV::LNumericUpDown> mData1;
    QV::RCPtr<QV::LNumericUpDown> mData2;
    QV::RCPtr<QV::LNumericUpDown> mData3;
    QV::RCPtr<QV::LComboBox> mCurve;
    QV::RCPtr<QV::LControl> mChannelLabel;
    QV::RCPtr<QV::LControl> mDataLabels[3];
    // The composites shown or hidden by type: data 1, data 2, data 3, curve, channel.
    QV::RCPtr<QV::LControl> mRows[5];
    QV::LEditRecord mRecord;
};
