#include "Panel/Application.h"

#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Controls/TabControl.h"
#include "UI/AboutDlg.h"
#include "UI/AbsoluteControllerEditPanel.h"
#include "UI/AccellerometerPanel.h"
#include "UI/DeviceView.h"
#include "UI/DriverCommon/EditorMidi.h"
#include "UI/DriverCommon/MainControl.h"
#include "UI/FadersPanel.h"
#include "UI/KeybedPanel.h"
#include "UI/KeybedZoneEditPanel.h"
#include "UI/PadColorSettingsPanel.h"
#include "UI/PadMidiSettingsPanel.h"
#include "UI/PadPanel.h"
#include "UI/PadsPanel.h"
#include "UI/PitchWheelEditPanel.h"
#include "UI/PitchWheelSliderSustainPanel.h"
#include "UI/PresetEditorCommon/GetPresetFromMidiDeviceDlg.h"
#include "UI/PresetEditorCommon/NumberBoxTextSelector.h"
#include "UI/PresetEditorCommon/SendPresetToMidiDeviceDlg.h"
#include "UI/PresetNamePanel.h"
#include "UI/ProgramChangeEditPanel.h"
#include "UI/ProgramSerialNumberDialog.h"
#include "UI/RibbonControllersPanel.h"
#include "UI/SustainEditPanel.h"

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
    if (QV::GetEditorMidiManager() == mMidiManager) {
        QV::SetEditorMidiManager(nullptr);
    }
    mMidiManager = nullptr;
    if (GetRootModuleEngine() == mEngine) {
        SetRootModuleEngine(nullptr);
    }
    mEngine = nullptr;
}

void LApplication::SetRunningApplication(const QV::RCPtr<LApplication>& app) {
    gApplication = app;
}

QV::CursorHandle LApplication::GetCursor(const QV::WString& name) {
    for (const char16_t* none : {u"UI_CURSOR_SPLIT_V", u"UI_CURSOR_SPLIT_H", u"UI_CURSOR_ROTATE",
                                 u"UI_CURSOR_MAG", u"UI_CURSOR_MAG_PLUS", u"UI_CURSOR_MAG_MINUS"}) {
        if (name == none) {
            return 0;
        }
    }
    return LApplicationBase<LApplication>::GetCursor(name);
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
    QV::SetEditorMidiManager(mMidiManager);
    mEngine = LRootModuleEngine::Create();
    SetRootModuleEngine(mEngine);
    if (mEngine) {
        mEngine->Initialize(0);
    }
    return result;
}

int32_t LApplication::CreateMainControl() {
    const QV::LTabPageDeferral deferral;
    return LApplicationBase<LApplication>::CreateMainControl();
}

void LApplication::ShowMainWindow() {
    LApplicationBase<LApplication>::ShowMainWindow();
    // Built at once, the pages would take the processor from the display server while it shows
    // the first frame.
    GetMessageLoop().PostDelayed([this] { CreateHeldBackPages(); }, kHeldBackPagesDelayMs);
}

void LApplication::CreateHeldBackPages() {
    if (const QV::RCPtr<QV::LRootWindow> main = GetRootWindow(0)) {
        if (const QV::RCPtr<QV::LControl> root = main->GetRootControl()) {
            QV::LTabControl::CreateHeldBackPagesBelow(*root);
        }
    }
}

const std::vector<QV::ControlClassRegistration>& LApplication::GetEditorControlClasses() {
    static const auto* const table = new std::vector<QV::ControlClassRegistration>{
        {u"PresetEditor.MainControl.DeviceView.PresetView", &QV::CreateControl<QV::LLabel>, 0},
        {u"PresetEditor.MainControl", &QV::CreateControl<QV::LMainControl>, 0},
        {u"PresetEditor.DialogAbout", &QV::CreateControl<LAboutDlg>, 0},
        {u"PresetEditor.MainControl.DeviceView", &QV::CreateControl<LDeviceView>, 0},
        {u"PresetEditor.MainControl.DeviceView.TabControl", &QV::CreateControl<QV::LTabControl>, 0},
        {u"PresetEditor.MainControl.DeviceView.TabControl.PageHolder", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.MainControl.DeviceView.TabControl.ButtonHolder", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.FaderAndExpressionPanel", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledAbsoluteType", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledMidiChannelSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.MinMaxSelectors", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledMinSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledMaxSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledAbsoluteType", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledMidiChannelSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledCCSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.FootSwitches", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.CCSelector", &QV::CreateControl<LNumberBoxTextSelector>, 0},
        {u"PresetEditor.MainControl.DeviceView.ControllerBody", &QV::CreateControl<QV::LLabel>, 0},
        {u"PresetEditor.ProgramBankPanel", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledFootSwitchTypeSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.CCPanel", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.NotePanel", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.ProgramPanel", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.MSBLSBSelectors", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledMSBSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledLSBSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledMMCTypeSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledOctaveSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledTransposeSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledKeyZoneNoteSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledGlobalChannelMidiChannel", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledVelocityCurveSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.KeyZoneStartEndNoteSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledKeyZoneMidiChannelSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledNoteSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledButtonTypeSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.KeybedControls", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.OnOffSelectors", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledOnSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledOffSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.WheelsPanel", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.Control.LabeledProgramSelector", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.ProgramLatchIncDecPanel", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledNumberBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledMidiChannelComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.AbsoluteTypeComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledPitchWheelDirectionComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledProgramChangeSendOnLoadComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledKeybedCurveCombobox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledZoneMidiToDinComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.KeybedProgramChangePanel", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledMidiChannelComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.KeybedPanel", &QV::CreateControl<LKeybedEditPanel>, 0},
        {u"PresetEditor.SustainPitchVolumePanel", &QV::CreateControl<LPitchWheelSliderSustainPanel>, 0},
        {u"PresetEditor.AccellerometerPanel", &QV::CreateControl<LAccellerometerPanel>, 0},
        {u"PresetEditor.FadersPanel", &QV::CreateControl<LFadersPanel>, 0},
        {u"PresetEditor.AbsoluteControllerPanel", &QV::CreateControl<LAbsoluteControllerEditPanel>, 0},
        {u"PresetEditor.PadsPanel", &QV::CreateControl<LPadsPanel>, 0},
        {u"PresetEditor.PadsPanel.PadPanel", &QV::CreateControl<LPadPanel>, 0},
        {u"PresetEditor.PadPanel.TabControl", &QV::CreateControl<QV::LTabControl>, 0},
        {u"PresetEditor.PadPanel.TabControl.PageHolder", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.PadPanel.TabControl.ButtonHolder", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.PadsPanel.PadMidiSettings", &QV::CreateControl<LPadMidiSettingsPanel>, 0},
        {u"PresetEditor.PadsPanel.ColorSettings", &QV::CreateControl<LPadColorSettingsPanel>, 0},
        {u"PresetEditor.LabeledPadTypeComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.MainControl.DeviceView.LogosPanel", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledPadColorComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledPadTypeComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.RibbonsPanel", &QV::CreateControl<LRibbonControllersPanel>, 0},
        {u"PresetEditor.RibbonsPanel.SettingsPanel", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledDefaultRibbonComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.KeybedPanel.Settings", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledSplitModeComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.KeybedPanel.ZoneEditPanel", &QV::CreateControl<LKeybedZoneEditPanel>, 0},
        {u"PresetEditor.KeybedPanel.ProgramChangePanel", &QV::CreateControl<LProgramChangeEditPanel>, 0},
        {u"PresetEditor.RibbonReturnModeComboBox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.SustainPitchVolumePanel.PitchWheel", &QV::CreateControl<LPitchWheelEditPanel>, 0},
        {u"PresetEditor.SustainPitchVolumePanel.SustainPanel", &QV::CreateControl<LSustainEditPanel>, 0},
        {u"PresetEditor.Dialog.SendPresetToHardware", &QV::CreateControl<LSendPresetToMidiDeviceDlg>, 0},
        {u"PresetEditor.Dialog.RetrievePresetFromHardware", &QV::CreateControl<LGetPresetFromMidiDeviceDlg>,
         0},
        {u"PresetEditor.PresetNamePanel", &QV::CreateControl<LPresetNameEditPanel>, 0},
        {u"PresetEditor.DialogProgramSerialNumber", &QV::CreateControl<LProgramSerialNumberDialog>, 0},
        {u"PresetEditor.Control.PresetSlotCombobox", &QV::CreateControl<QV::LPanel>, 0},
        {u"PresetEditor.LabeledPadCurveComboBox", &QV::CreateControl<QV::LPanel>, 0},
    };
    return *table;
}
