#pragma once

#include <cstdint>

#include "RIZozivirod/Controls/Panel.h"

namespace QV {

class LButton;
class LTextBox;

// The number box ("Framework.NumericUpDown"): its value (the normalized value over the user
// range the owner sets) shown as a whole number in its "textBox" part, stepped by the
// "buttonUp" and "buttonDown" parts (autorepeat) or the Up and Down keys (a simulated click on
// the button). Typed or pasted text is checked when the text box validates: only a decimal
// number is read, clamped to the range; anything else brings the current value back. The box
// passes its text box's "NID_TEXTBOX_VALIDATING" and "NID_TEXTBOX_VALIDATED" on from itself
// with the same parameter, and sends "NID_VALUE_CHANGE" when the value changes. Other children
// of its skin are made as usual and left alone.
class LNumericUpDown : public LPanel {
public:
    LNumericUpDown(const RCPtr<LControl>& parent, const WString& name);

    // The value read from the text: its leading decimal number ("12abc" is 12, no number 0).
    int32_t SetText(const WString& text) override;
    void OnValueChanged() override;
    // E_INVALIDARG (and nothing changes) for a logarithmic range not above 0. Keeps the
    // normalized value and sends no value change.
    int32_t SetValueRange(double minimum, double maximum, int32_t taper) override;
    void HandleUnprocessedKey(const RCPtr<LKeyParam>& param) override;
    int32_t Initialize() override;
    int32_t PostInitialize() override;

    void ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                             const RCPtr<LNotification>& notification) override;
    int32_t UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                      const WChar* name) override;

    // The user value rounded to a whole number.
    WString FormatValue() const;
    void UpdateAllowedCharacters();
    void SetStep(double step) { mStep = step; }
    double GetStep() const { return mStep; }
    const RCPtr<LTextBox>& GetTextBox() const { return mTextBox; }

    int32_t OnTextValidating(const RCPtr<LNotificationDistributor>& source,
                             const RCPtr<LNotification>& notification);
    int32_t OnTextValidated(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    int32_t OnStepButton(const RCPtr<LNotificationDistributor>& source,
                         const RCPtr<LNotification>& notification);

protected:
    ~LNumericUpDown() override;

private:
    RCPtr<LNotificationHandler<LNumericUpDown>> mNumberHandler;
    RCPtr<LTextBox> mTextBox;
    RCPtr<LButton> mUp;
    RCPtr<LButton> mDown;
    double mStep = 1.0;
};

}  // namespace QV
