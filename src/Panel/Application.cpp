#include "Panel/Application.h"

QV::RCPtr<LApplication> gApplication;

QV::RCPtr<LApplication> LApplication::Create(const QV::RCPtr<QV::LControlFactory>& factory,
                                             const QV::RCPtr<QV::LStringTable>& frameworkStrings,
                                             const std::string& commandLine) {
    return QV::RCPtr<LApplication>(new LApplication(factory, frameworkStrings, commandLine));
}

LApplication::LApplication(const QV::RCPtr<QV::LControlFactory>& factory,
                           const QV::RCPtr<QV::LStringTable>& frameworkStrings,
                           const std::string& commandLine)
    : LApplicationBase<LApplication>(factory, frameworkStrings, commandLine) {}

LApplication::~LApplication() {
    // The MIDI manager first: it still reaches the engine while it stops.
    mMidiManager = nullptr;
    if (GetRootModuleEngine() == mEngine) {
        SetRootModuleEngine(nullptr);
    }
    mEngine = nullptr;
}

QV::WString LApplication::GetFolder(int32_t id) {
    return LApplicationBase<LApplication>::GetFolder(id == 5 || id == 6 ? 4 : id);
}

int32_t LApplication::RunApplicationStartup() {
    const int32_t result = LApplicationBase<LApplication>::RunApplicationStartup();
    if (result < 0) {
        return result;
    }
    const int32_t bound = GetHotKeys().LoadFromStringTable(GetApplicationStrings(), u"GHK_WIN");
    if (bound < 0) {
        return bound;
    }
    if (GetControlFactory()) {
        QV::RegisterControlClasses(*GetControlFactory(), GetEditorControlClasses());
    }
    mMidiManager = QV::LMidiManager::Create();
    mEngine = LRootModuleEngine::Create();
    SetRootModuleEngine(mEngine);
    if (mEngine) {
        mEngine->Initialize(0);
    }
    return result;
}

const std::vector<QV::ControlClassRegistration>& LApplication::GetEditorControlClasses() {
    static const auto* const table = new std::vector<QV::ControlClassRegistration>{
        {u"PresetEditor.MainControl.DeviceView.PresetView", nullptr, 0},
        {u"PresetEditor.MainControl", nullptr, 0},
        {u"PresetEditor.DialogAbout", nullptr, 0},
        {u"PresetEditor.MainControl.DeviceView", nullptr, 0},
        {u"PresetEditor.MainControl.DeviceView.TabControl", nullptr, 0},
        {u"PresetEditor.MainControl.DeviceView.TabControl.PageHolder", nullptr, 0},
        {u"PresetEditor.MainControl.DeviceView.TabControl.ButtonHolder", nullptr, 0},
        {u"PresetEditor.FaderAndExpressionPanel", nullptr, 0},
        {u"PresetEditor.LabeledAbsoluteType", nullptr, 0},
        {u"PresetEditor.LabeledMidiChannelSelector", nullptr, 0},
        {u"PresetEditor.Control.MinMaxSelectors", nullptr, 0},
        {u"PresetEditor.Control.LabeledMinSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledMaxSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledAbsoluteType", nullptr, 0},
        {u"PresetEditor.Control.LabeledMidiChannelSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledCCSelector", nullptr, 0},
        {u"PresetEditor.FootSwitches", nullptr, 0},
        {u"PresetEditor.Control.CCSelector", nullptr, 0},
        {u"PresetEditor.MainControl.DeviceView.ControllerBody", nullptr, 0},
        {u"PresetEditor.ProgramBankPanel", nullptr, 0},
        {u"PresetEditor.Control.LabeledFootSwitchTypeSelector", nullptr, 0},
        {u"PresetEditor.CCPanel", nullptr, 0},
        {u"PresetEditor.NotePanel", nullptr, 0},
        {u"PresetEditor.ProgramPanel", nullptr, 0},
        {u"PresetEditor.Control.MSBLSBSelectors", nullptr, 0},
        {u"PresetEditor.Control.LabeledMSBSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledLSBSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledMMCTypeSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledOctaveSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledTransposeSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledKeyZoneNoteSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledGlobalChannelMidiChannel", nullptr, 0},
        {u"PresetEditor.Control.LabeledVelocityCurveSelector", nullptr, 0},
        {u"PresetEditor.Control.KeyZoneStartEndNoteSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledKeyZoneMidiChannelSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledNoteSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledButtonTypeSelector", nullptr, 0},
        {u"PresetEditor.KeybedControls", nullptr, 0},
        {u"PresetEditor.Control.OnOffSelectors", nullptr, 0},
        {u"PresetEditor.Control.LabeledOnSelector", nullptr, 0},
        {u"PresetEditor.Control.LabeledOffSelector", nullptr, 0},
        {u"PresetEditor.WheelsPanel", nullptr, 0},
        {u"PresetEditor.Control.LabeledProgramSelector", nullptr, 0},
        {u"PresetEditor.ProgramLatchIncDecPanel", nullptr, 0},
        {u"PresetEditor.LabeledNumberBox", nullptr, 0},
        {u"PresetEditor.LabeledMidiChannelComboBox", nullptr, 0},
        {u"PresetEditor.AbsoluteTypeComboBox", nullptr, 0},
        {u"PresetEditor.LabeledPitchWheelDirectionComboBox", nullptr, 0},
        {u"PresetEditor.LabeledProgramChangeSendOnLoadComboBox", nullptr, 0},
        {u"PresetEditor.LabeledKeybedCurveCombobox", nullptr, 0},
        {u"PresetEditor.LabeledZoneMidiToDinComboBox", nullptr, 0},
        {u"PresetEditor.KeybedProgramChangePanel", nullptr, 0},
        {u"PresetEditor.LabeledMidiChannelComboBox", nullptr, 0},
        {u"PresetEditor.KeybedPanel", nullptr, 0},
        {u"PresetEditor.SustainPitchVolumePanel", nullptr, 0},
        {u"PresetEditor.AccellerometerPanel", nullptr, 0},
        {u"PresetEditor.FadersPanel", nullptr, 0},
        {u"PresetEditor.AbsoluteControllerPanel", nullptr, 0},
        {u"PresetEditor.PadsPanel", nullptr, 0},
        {u"PresetEditor.PadsPanel.PadPanel", nullptr, 0},
        {u"PresetEditor.PadPanel.TabControl", nullptr, 0},
        {u"PresetEditor.PadPanel.TabControl.PageHolder", nullptr, 0},
        {u"PresetEditor.PadPanel.TabControl.ButtonHolder", nullptr, 0},
        {u"PresetEditor.PadsPanel.PadMidiSettings", nullptr, 0},
        {u"PresetEditor.PadsPanel.ColorSettings", nullptr, 0},
        {u"PresetEditor.LabeledPadTypeComboBox", nullptr, 0},
        {u"PresetEditor.MainControl.DeviceView.LogosPanel", nullptr, 0},
        {u"PresetEditor.LabeledPadColorComboBox", nullptr, 0},
        {u"PresetEditor.LabeledPadTypeComboBox", nullptr, 0},
        {u"PresetEditor.RibbonsPanel", nullptr, 0},
        {u"PresetEditor.RibbonsPanel.SettingsPanel", nullptr, 0},
        {u"PresetEditor.LabeledDefaultRibbonComboBox", nullptr, 0},
        {u"PresetEditor.KeybedPanel.Settings", nullptr, 0},
        {u"PresetEditor.LabeledSplitModeComboBox", nullptr, 0},
        {u"PresetEditor.KeybedPanel.ZoneEditPanel", nullptr, 0},
        {u"PresetEditor.KeybedPanel.ProgramChangePanel", nullptr, 0},
        {u"PresetEditor.RibbonReturnModeComboBox", nullptr, 0},
        {u"PresetEditor.SustainPitchVolumePanel.PitchWheel", nullptr, 0},
        {u"PresetEditor.SustainPitchVolumePanel.SustainPanel", nullptr, 0},
        {u"PresetEditor.Dialog.SendPresetToHardware", nullptr, 0},
        {u"PresetEditor.Dialog.RetrievePresetFromHardware", nullptr, 0},
        {u"PresetEditor.PresetNamePanel", nullptr, 0},
        {u"PresetEditor.DialogProgramSerialNumber", nullptr, 0},
        {u"PresetEditor.Control.PresetSlotCombobox", nullptr, 0},
        {u"PresetEditor.LabeledPadCurveComboBox", nullptr, 0},
    };
    return *table;
}
