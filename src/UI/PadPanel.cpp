#include "UI/PadPanel.h"

#include "RIZozivirod/Controls/TabControl.h"
#include "UI/EditPanel.h"

LPadPanel::LPadPanel(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name)
    : QV::LPanel(parent, name) {}

LPadPanel::~LPadPanel() = default;

int32_t LPadPanel::Initialize() {
    const int32_t result = QV::LPanel::Initialize();
    return result < 0 ? result : 0;
}

namespace {

template <class Module>
QV::RCPtr<Module> PadPanelPage(QV::LControl* pad, const QV::WChar* name) {
    const QV::RCPtr<QV::LTabControl> tabs = QV::EditPanel::FindChildAs<QV::LTabControl>(pad, u"tabControl");
    if (!tabs) {
        return nullptr;
    }
    const QV::RCPtr<QV::LControl> page = tabs->GetPage(QV::WString(name));
    return QV::RCPtr<Module>(dynamic_cast<Module*>(page.Get()));
}

}  // namespace

QV::RCPtr<IPadMidi> LPadPanel::GetPadMidi() {
    return PadPanelPage<IPadMidi>(this, u"midiSettings");
}

QV::RCPtr<IPadColors> LPadPanel::GetPadColors() {
    return PadPanelPage<IPadColors>(this, u"colorSettings");
}
