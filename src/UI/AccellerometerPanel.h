#pragma once

#include <cstdint>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/Controls/Panel.h"

// The tilt sensor's page: one absolute controller, "absoluteController", headed "TILT", which
// edits the page's id. The page owns no parameter. User-interface thread.
class LAccellerometerPanel : public QV::LPanel, public IAccellerometer {
public:
    LAccellerometerPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    int32_t Initialize() override;
    using IAccellerometer::GetAbsoluteController;
    // "absoluteController"; null when missing or of another class.
    QV::RCPtr<IAbsoluteController> GetAbsoluteController() override;

protected:
    ~LAccellerometerPanel() override;
};
