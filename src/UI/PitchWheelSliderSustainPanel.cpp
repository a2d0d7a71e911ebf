#include "UI/PitchWheelSliderSustainPanel.h"

#include "UI/EditPanel.h"

LPitchWheelSliderSustainPanel::LPitchWheelSliderSustainPanel(const QV::RCPtr<QV::LControl>& parent,
                                                             const QV::WString& name)
    : QV::LPanel(parent, name) {}

LPitchWheelSliderSustainPanel::~LPitchWheelSliderSustainPanel() = default;

int32_t LPitchWheelSliderSustainPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    if (const QV::RCPtr<IAbsoluteController> volume = GetVolumeSlider()) {
        auto* control = dynamic_cast<QV::LControl*>(volume.Get());
        if (control != nullptr) {
            QV::EditPanel::SetChildText(control, u"headerLabel", control->GetString(u"HEADER_LABEL_TEXT"));
        }
    }
    return 0;
}

QV::RCPtr<ISustain> LPitchWheelSliderSustainPanel::GetSustain() {
    return QV::EditPanel::FindChildAs<ISustain>(this, u"sustainPanel");
}

QV::RCPtr<IPitchWheel> LPitchWheelSliderSustainPanel::GetPitchWheel() {
    return QV::EditPanel::FindChildAs<IPitchWheel>(this, u"pitchWheel");
}

QV::RCPtr<IAbsoluteController> LPitchWheelSliderSustainPanel::GetVolumeSlider() {
    return QV::EditPanel::FindChildAs<IAbsoluteController>(this, u"volumePanel");
}
