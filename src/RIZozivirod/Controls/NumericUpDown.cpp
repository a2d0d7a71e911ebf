#include "RIZozivirod/Controls/NumericUpDown.h"

#include <algorithm>
#include <cmath>

#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/TextBox.h"

namespace QV {

namespace {

constexpr uint32_t kNumberKeyUp = 0x20260000;
constexpr uint32_t kNumberKeyDown = 0x20280000;

// The longest decimal number at the start of the text (blanks before it skipped): an optional
// "-", digits and at most one "."; 0 when there is none.
double ReadLeadingDecimal(const WString& text) {
    const WChar* p = text.GetString();
    int32_t i = 0;
    while (p[i] == u' ' || p[i] == u'\t') {
        ++i;
    }
    const int32_t start = i;
    if (p[i] == u'-') {
        ++i;
    }
    bool point = false;
    while ((p[i] >= u'0' && p[i] <= u'9') || (p[i] == u'.' && !point)) {
        point = point || p[i] == u'.';
        ++i;
    }
    double value = 0;
    return LTextBox::ParseDecimal(text.Mid(start, i - start), value) ? value : 0.0;
}

}  // namespace

LNumericUpDown::LNumericUpDown(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LNumericUpDown::~LNumericUpDown() = default;

int32_t LNumericUpDown::Initialize() {
    const int32_t result = LPanel::Initialize();
    RCPtr<LControl> textBox = FindChild(WString(u"textBox"));
    RCPtr<LControl> up = FindChild(WString(u"buttonUp"));
    RCPtr<LControl> down = FindChild(WString(u"buttonDown"));
    mTextBox = RCPtr<LTextBox>(dynamic_cast<LTextBox*>(textBox.Get()));
    mUp = RCPtr<LButton>(dynamic_cast<LButton*>(up.Get()));
    mDown = RCPtr<LButton>(dynamic_cast<LButton*>(down.Get()));
    QV_CHECK_NULL(mTextBox.Get(), "textBox");
    QV_CHECK_NULL(mUp.Get(), "buttonUp");
    QV_CHECK_NULL(mDown.Get(), "buttonDown");
    mUp->SetAutoRepeat(true);
    mDown->SetAutoRepeat(true);
    UpdateAllowedCharacters();
    mNumberHandler = LNotificationHandler<LNumericUpDown>::Create(this);
    if (!mNumberHandler) {
        return result;
    }
    mNumberHandler->AddHandler(&LNumericUpDown::OnTextValidating, RCPtr<LNotificationDistributor>(mTextBox),
                               u"NID_TEXTBOX_VALIDATING", 0);
    mNumberHandler->AddHandler(&LNumericUpDown::OnTextValidated, RCPtr<LNotificationDistributor>(mTextBox),
                               u"NID_TEXTBOX_VALIDATED", 0);
    mNumberHandler->AddHandler(&LNumericUpDown::OnStepButton, RCPtr<LNotificationDistributor>(mUp),
                               u"NID_BUTTON_AUTOREPEAT", 0);
    mNumberHandler->AddHandler(&LNumericUpDown::OnStepButton, RCPtr<LNotificationDistributor>(mDown),
                               u"NID_BUTTON_AUTOREPEAT", 0);
    return result;
}

int32_t LNumericUpDown::PostInitialize() {
    const int32_t result = LPanel::PostInitialize();
    SetNotFocusable(false);
    if (mUp) {
        mUp->SetNotFocusable(true);
    }
    if (mDown) {
        mDown->SetNotFocusable(true);
    }
    return result;
}

void LNumericUpDown::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                         const RCPtr<LNotification>& notification) {
    if (!IsCreated()) {
        return;
    }
    if (mNumberHandler && mNumberHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    LPanel::ReceiveNotification(sender, notification);
}

int32_t LNumericUpDown::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                                  const WChar* name) {
    if (mNumberHandler) {
        mNumberHandler->RemoveHandler(distributor, name);
    }
    return LPanel::UnregisterForNotification(distributor, name);
}

WString LNumericUpDown::FormatValue() const {
    const WString text = WString::Format(u"%0.0f", ValueFromNormalized(GetNormalizedValue()));
    // A value just below zero rounds to "-0", which is no number the box could be given.
    return text == u"-0" ? WString(u"0") : text;
}

void LNumericUpDown::UpdateAllowedCharacters() {
    if (mTextBox) {
        const double minimum = ValueFromNormalized(0.0) < ValueFromNormalized(1.0) ? ValueFromNormalized(0.0)
                                                                                   : ValueFromNormalized(1.0);
        mTextBox->SetCharacterFilter(minimum < 0 ? WString(u"0123456789-") : WString(u"0123456789"));
    }
}

int32_t LNumericUpDown::SetText(const WString& text) {
    LControl::SetNormalizedValue(NormalizedFromValue(ReadLeadingDecimal(text)));
    return S_OK;
}

void LNumericUpDown::OnValueChanged() {
    if (!mTextBox) {
        return;
    }
    RCPtr<LControl> hold(this);
    mTextBox->SetText(FormatValue());
    mTextBox->AcceptsInput();
}

int32_t LNumericUpDown::SetValueRange(double minimum, double maximum, int32_t taper) {
    if (!(taper == 0 || (taper == 1 && minimum > 0 && maximum > 0))) {
        return E_INVALIDARG;
    }
    LControl::SetValueRange(minimum, maximum, taper);
    UpdateAllowedCharacters();
    if (mTextBox) {
        mTextBox->SetText(FormatValue());
    }
    return S_OK;
}

void LNumericUpDown::HandleUnprocessedKey(const RCPtr<LKeyParam>& param) {
    if (param) {
        const uint32_t code = param->key.GetCode() & ~KeyCode::kExtraBit;
        LButton* button = code == kNumberKeyUp ? mUp.Get() : code == kNumberKeyDown ? mDown.Get() : nullptr;
        if (button != nullptr) {
            RCPtr<LControl> hold(this);
            button->ReceiveNotification(nullptr, LNotification::Create(u"NID_SIMULATE_CLICK", nullptr));
            return;
        }
    }
    LPanel::HandleUnprocessedKey(param);
}

int32_t LNumericUpDown::OnStepButton(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>&) {
    const LNotificationDistributor* from = source.Get();
    double value = GetValue();
    if (from == static_cast<LNotificationDistributor*>(mUp.Get())) {
        value += mStep;
    } else if (from == static_cast<LNotificationDistributor*>(mDown.Get())) {
        value -= mStep;
    } else {
        return 1;
    }
    RCPtr<LControl> hold(this);
    SetNormalizedValue(NormalizedFromValue(value));
    return 1;
}

int32_t LNumericUpDown::OnTextValidating(const RCPtr<LNotificationDistributor>&,
                                         const RCPtr<LNotification>& notification) {
    auto* params =
        notification ? dynamic_cast<LTextValidationParams*>(notification->GetParam().Get()) : nullptr;
    if (params == nullptr) {
        return 1;
    }
    RCPtr<LControl> hold(this);
    RCPtr<LRefCountedObject> shared(params);
    LNotificationDistributor::Notify(LNotification::Create(u"NID_TEXTBOX_VALIDATING", shared));
    if (!params->accepted) {
        return 1;
    }
    const double current = GetValue();
    const WString& text = params->text;
    double typed = current;
    // Only a plain decimal number counts. An empty text, a lone "-" or ".", a sign anywhere but
    // first, a second point, and pasted text such as "nan", "inf", "0x1F", "1e2" or "12abc" all
    // bring the current value back.
    if (!LTextBox::ParseDecimal(text, typed)) {
        params->text = FormatValue();
        params->accepted = true;
        typed = current;
    }
    const double low = std::min(ValueFromNormalized(0.0), ValueFromNormalized(1.0));
    const double high = std::max(ValueFromNormalized(0.0), ValueFromNormalized(1.0));
    if (low > typed) {
        typed = low;
    } else if (typed > high) {
        typed = high;
    }
    if (typed != current) {
        SetNormalizedValue(NormalizedFromValue(typed));
        params->text = FormatValue();
        params->accepted = true;
    } else if (current == low || current == high || typed == 0) {
        params->text = FormatValue();
        params->accepted = true;
    }
    return 1;
}

int32_t LNumericUpDown::OnTextValidated(const RCPtr<LNotificationDistributor>&,
                                        const RCPtr<LNotification>& notification) {
    RCPtr<LControl> hold(this);
    LNotificationDistributor::Notify(
        LNotification::Create(u"NID_TEXTBOX_VALIDATED", notification ? notification->GetParam() : nullptr));
    return 1;
}

}  // namespace QV
