#include "UI/AccellerometerPanel.h"

#include "UI/EditPanel.h"

LAccellerometerPanel::LAccellerometerPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name) {}

LAccellerometerPanel::~LAccellerometerPanel() = default;

int32_t LAccellerometerPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    if (result < 0) {
        return result;
    }
    if (const QV::RCPtr<IAbsoluteController> controller = GetAbsoluteController()) {
        QV::EditPanel::SetChildText(dynamic_cast<QV::LControl*>(controller.Get()), u"headerLabel", u"TILT");
    }
    return 0;
}

QV::RCPtr<IAbsoluteController> LAccellerometerPanel::GetAbsoluteController() {
    return QV::EditPanel::FindChildAs<IAbsoluteController>(this, u"absoluteController");
}
