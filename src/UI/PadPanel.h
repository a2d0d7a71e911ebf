#pragma once

#include <cstdint>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/Controls/Panel.h"

// One shown pad of the pads page: a header ("headerLabel") and a tab control ("tabControl") with a
// "MIDI" page, "midiSettings" (its id), and a "COLORS" page, "colorSettings" (its id + 1). Both
// pages serve their ids whichever tab is selected. Owns no parameter. User-interface thread.
class LPadPanel : public QV::LPanel, public IPad {
public:
    LPadPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    int32_t Initialize() override;
    using IPad::GetPadColors;
    using IPad::GetPadMidi;
    // The tab control's page "midiSettings"; null without the tab control or the page.
    QV::RCPtr<IPadMidi> GetPadMidi() override;
    // The tab control's page "colorSettings"; null without the tab control or the page.
    QV::RCPtr<IPadColors> GetPadColors() override;

protected:
    ~LPadPanel() override;
};
