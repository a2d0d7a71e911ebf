#include "UI/PresetEditorCommon/PresetTransfer.h"

#include <exception>

#include "Platform/Desktop/DesktopShell.h"
#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "UI/DriverCommon/EditorMidi.h"
#include "UI/DriverCommon/PresetManager.h"

namespace QV::PresetTransfer {

int32_t SelectedSlot(const LControl& dialog) {
    const RCPtr<LControl> holder = dialog.FindChild(WString(u"presetSlot"));
    if (!holder) {
        return -1;
    }
    const RCPtr<LControl> child = holder->FindChild(WString(u"comboBox"));
    const auto* comboBox = dynamic_cast<const LComboBox*>(child.Get());
    return comboBox != nullptr ? comboBox->GetSelectedIndex() : -1;
}

int32_t CallMidiManager(const std::function<int32_t(LMidiManager&)>& operation) {
    const RCPtr<LMidiManager> manager = GetEditorMidiManager();
    if (!manager) {
        return -1;
    }
    try {
        return operation(*manager);
    } catch (const std::exception&) {
        return -1;
    }
}

void ShowOutcome(const WChar* captionId, const WChar* textId) {
    const WString text = GetEditorString(textId);
    if (text.IsEmpty()) {
        return;
    }
    GetApplicationServices().ShowMessageBox(text, GetEditorString(captionId), Platform::MB_OK);
}

}  // namespace QV::PresetTransfer
