#pragma once

#include <cstdint>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/Controls/Panel.h"

// The page of the sustain input ("sustainPanel", the page's id), the pitch wheel ("pitchWheel",
// id + 1) and the volume slider ("volumePanel", an absolute controller, id + 2), whose header is
// the volume panel's own "HEADER_LABEL_TEXT". The page owns no parameter. User-interface thread.
class LPitchWheelSliderSustainPanel : public QV::LPanel, public IPitchWheelSliderSustain {
public:
    LPitchWheelSliderSustainPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    int32_t Initialize() override;
    using IPitchWheelSliderSustain::GetPitchWheel;
    using IPitchWheelSliderSustain::GetSustain;
    using IPitchWheelSliderSustain::GetVolumeSlider;
    // The children by name; null when missing or of another class.
    QV::RCPtr<ISustain> GetSustain() override;
    QV::RCPtr<IPitchWheel> GetPitchWheel() override;
    QV::RCPtr<IAbsoluteController> GetVolumeSlider() override;

protected:
    ~LPitchWheelSliderSustainPanel() override;
};
