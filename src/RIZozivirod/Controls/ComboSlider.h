#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/DropDownControl.h"

namespace QV {

class LPanel;

// A box that shows a value as whole-number text and, when pressed, drops down its panel
// "dropDownPanel" holding the slider "slider" ("Framework.ComboSlider"). The box and the slider
// share one normalized value: moving the slider changes the box's value and text, setting the
// box's value moves the slider. The panel opens where its skin places it, moved left when it
// would pass the right edge of the top-level control. Looks as the combo box's: 0 normal,
// 1 focused, 2 hovered, 3 hovered and focused, 4 open, 5 open and hovered, 6 disabled.
class LComboSlider : public LDropDownControl {
public:
    LComboSlider(const RCPtr<LControl>& parent, const WString& name);

    double SetNormalizedValue(double value) override;
    void OnValueChanged() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    int32_t Initialize() override;
    bool IsDroppedDown() override;
    int32_t ShowDropDown(bool show) override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    const RCPtr<LPanel>& GetDropDownPanel() const { return mPanel; }
    RCPtr<LControl> GetSlider() const;

protected:
    ~LComboSlider() override;

private:
    int32_t OnSliderValueChange(const RCPtr<LNotificationDistributor>& source,
                                const RCPtr<LNotification>& notification);
    void UpdateLookState();

    RCPtr<LNotificationHandler<LComboSlider>> mComboHandler;
    RCPtr<LPanel> mPanel;
};

}  // namespace QV
