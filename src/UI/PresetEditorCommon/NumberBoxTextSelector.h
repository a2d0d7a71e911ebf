#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/Panel.h"

namespace QV {
class LLabel;
class LNumericUpDown;
}  // namespace QV

// A number box and a label ("PresetEditor.Control.CCSelector"): the label shows the text that
// the number box's value picks from the label's own string table, its entries sorted by id and
// counted from 0 ("LABEL" included). A value outside the table leaves the label as it is. Both
// children, "numericUpDown" and "label", are required.
class LNumberBoxTextSelector : public QV::LPanel {
public:
    LNumberBoxTextSelector(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    int32_t Initialize() override;
    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

    // Shows the text the number box's value selects.
    void UpdateLabel();
    const QV::RCPtr<QV::LLabel>& GetLabel() const { return mLabel; }
    const QV::RCPtr<QV::LNumericUpDown>& GetNumberBox() const { return mNumberBox; }

protected:
    ~LNumberBoxTextSelector() override;

private:
    int32_t OnValueChange(const QV::RCPtr<QV::LNotificationDistributor>& source,
                          const QV::RCPtr<QV::LNotification>& notification);

    QV::RCPtr<QV::LNotificationHandler<LNumberBoxTextSelector>> mSelectorHandler;
    QV::RCPtr<QV::LLabel> mLabel;
    QV::RCPtr<QV::LNumericUpDown> mNumberBox;
};
