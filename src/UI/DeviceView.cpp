#include "UI/DeviceView.h"

#include <new>

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceParameters.h"
#include "Platform/Desktop/DesktopShell.h"
#include "Platform/IniFileManager.h"
#include "RIZozivirod/Application/Services/ApplicationServices.h"
#include "RIZozivirod/Application/Windows/FrameworkApp.h"
#include "RIZozivirod/ControlBase/RootWindowInterface.h"
#include "RIZozivirod/Controls/Dialog.h"
#include "RIZozivirod/Controls/MainMenu.h"
#include "RIZozivirod/Controls/TabControl.h"
#include "RIZozivirod/Notification/MainNotificationCenter.h"
#include "RIZozivirod/Notification/NotificationCenter.h"
#include "RIZozivirod/Utilities/Storage/Exception.h"
#include "RIZozivirod/Utilities/Storage/File.h"
#include "UI/DriverCommon/EditorEngine.h"
#include "UI/DriverCommon/MainControl.h"
#include "UI/DriverCommon/PresetManager.h"

using QV::LNotification;
using QV::LNotificationDistributor;
using QV::RCPtr;
using QV::WString;

namespace {

constexpr char16_t kLastFolderPathKey[] = u"LastFolderPath";
// The user's settings file and the program's and documents folders of the application.
constexpr int32_t kUserSettings = 1;
constexpr int32_t kProgramFolder = 0;
constexpr int32_t kDocumentsFolder = 4;

template <class Module>
RCPtr<Module> ModuleOf(const RCPtr<QV::LControl>& panel) {
    return RCPtr<Module>(dynamic_cast<Module*>(panel.Get()));
}

}  // namespace

LDeviceView::LDeviceView(const RCPtr<QV::LControl>& parent, const WString& name)
    : QV::LControl(parent, name) {}

LDeviceView::~LDeviceView() = default;

int32_t LDeviceView::Initialize() {
    const int32_t result = QV::LControl::Initialize();
    if (result < 0) {
        return result;
    }
    try {
        mHandler = QV::LNotificationHandler<LDeviceView>::Create(this);
    } catch (const std::bad_alloc&) {
        QV_THROW(QV::FailedResultException, QV::ResultToString(QV::E_OUTOFMEMORY));
    }
    mFileDialog = RCPtr<QV::LFileDialog>(new QV::LFileDialog(GetLastFolderPath()));
    RCPtr<QV::LControl> tabs = FindChild(u"tabControl");
    mTabControl = RCPtr<QV::LTabControl>(dynamic_cast<QV::LTabControl*>(tabs.Get()));
    QV_CHECK_NULL(mTabControl.Get(), "Cannot find child tabControl");
    mStatusView = RCPtr<LStatusView>(new LStatusView());
    mPresetManager = QV::LPresetManager::Create();
    return result;
}

int32_t LDeviceView::AttachToRootWindow() {
    // The menu bar asks this view whether its commands are available.
    if (QV::LControl* parent = QV::LControl::GetParent()) {
        QV::RCPtr<QV::LControl> bar = parent->FindChild(u"mainMenu");
        if (auto* menu = dynamic_cast<QV::LMainMenu*>(bar.Get())) {
            menu->SetEditTarget(GetMenuItemUpdater());
        }
    }
    if (mHandler) {
        if (RCPtr<QV::IRootWindow> window = GetRootWindow()) {
            const RCPtr<LNotificationDistributor> source(window);
            mHandler->AddHandler(&LDeviceView::OnLoadPresetFromFile, source,
                                 u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE", 0);
            mHandler->AddHandler(&LDeviceView::OnSavePresetToFile, source,
                                 u"NID_MENU_FILE_SAVE_PRESET_TO_FILE", 0);
            mHandler->AddHandler(&LDeviceView::OnExit, source, u"NID_MENU_FILE_EXIT_REQ", 0);
            mHandler->AddHandler(&LDeviceView::OnAbout, source, u"NID_MENU_HELP_ABOUT_REQ", 0);
            mHandler->AddHandler(&LDeviceView::OnProgramSerial, source, u"NID_MENU_FILE_PROGRAM_SERIAL_REQ",
                                 0);
            mHandler->AddHandler(&LDeviceView::OnNewPreset, source, u"NID_MENU_FILE_NEW_PRESET", 0);
            mHandler->AddHandler(&LDeviceView::OnOpenUserGuide, source, u"NID_MENU_HELP_OPEN_USERGUIDE_REQ",
                                 0);
            mHandler->AddHandler(&LDeviceView::OnRetrievePreset, source,
                                 u"NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE", 0);
            mHandler->AddHandler(&LDeviceView::OnSendPreset, source, u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE",
                                 0);
        }
        // The application's shortcuts post these to the application centre.
        const RCPtr<LNotificationDistributor> centre(QV::GetMainNotificationCenter());
        mHandler->AddHandler(&LDeviceView::OnLoadPresetFromFile, centre,
                             u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE", 0);
        mHandler->AddHandler(&LDeviceView::OnSendPreset, centre, u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE", 0);
        mHandler->AddHandler(&LDeviceView::OnRetrievePreset, centre, u"NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE",
                             0);
        mHandler->AddHandler(&LDeviceView::OnSavePresetToFile, centre, u"NID_MENU_FILE_SAVE_PRESET_TO_FILE",
                             0);
        mHandler->AddHandler(&LDeviceView::OnNewPreset, centre, u"NID_MENU_FILE_NEW_PRESET", 0);
    }
    return QV::LControl::AttachToRootWindow();
}

int32_t LDeviceView::GetCommandState(const WString&, uint8_t&) {
    return 0;
}

RCPtr<LStatusView> LDeviceView::GetStatusView() {
    return mStatusView;
}

WString LDeviceView::GetPresetFileExtension() {
    return WString(u"kyp");
}

WString LDeviceView::GetFileFilter(bool) {
    const WString extension = GetPresetFileExtension();
    return QV::GetEditorString(u"CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_1") + extension + WString(u")|*.") +
           extension + QV::GetEditorString(u"CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_2");
}

WString LDeviceView::GetDefaultFilePattern() {
    return WString(u"*.") + GetPresetFileExtension();
}

int32_t LDeviceView::ShowOpenDialog(WString& path) {
    const int32_t result =
        mFileDialog->ShowOpenDialog(GetFileFilter(true), GetDefaultFilePattern(),
                                    QV::GetEditorString(u"LOAD_PRESET_DIALOG_TITLE"), false);
    if (result >= 0) {
        path = mFileDialog->GetFilePath();
    }
    return result;
}

int32_t LDeviceView::ShowSaveDialog(WString& path) {
    const int32_t result = mFileDialog->ShowSaveDialog(GetFileFilter(false), GetDefaultFilePattern(),
                                                       QV::GetEditorString(u"SAVE_PRESET_DIALOG_TITLE"), -1);
    if (result >= 0) {
        path = mFileDialog->GetFilePath();
    }
    return result;
}

int32_t LDeviceView::LoadPresetFromFile() {
    const RCPtr<LDeviceView> hold(this);
    WString path;
    const int32_t chosen = ShowOpenDialog(path);
    if (chosen < 0 || !mPresetManager) {
        return chosen;
    }
    const int32_t result = mPresetManager->LoadPresetFile(path);
    if (result == 0) {
        SetLastFolderPath(*mFileDialog);
    } else {
        QV::LPresetManager::ShowLoadResultMessage(result);
    }
    return result;
}

int32_t LDeviceView::SavePresetToFile() {
    const RCPtr<LDeviceView> hold(this);
    WString path;
    const int32_t chosen = ShowSaveDialog(path);
    if (chosen < 0 || !mPresetManager) {
        return chosen;
    }
    const int32_t result = mPresetManager->SavePresetFile(path);
    if (result >= 0) {
        SetLastFolderPath(*mFileDialog);
    } else {
        QV::LPresetManager::ShowSaveFailedMessage();
    }
    return result;
}

WString LDeviceView::GetLastFolderPath() {
    QV::LFrameworkApp* app = QV::LFrameworkApp::sCurrent;
    if (app == nullptr) {
        return WString();
    }
    WString folder = app->GetFolder(kDocumentsFolder);
    if (QV::IIniFileManager* store = app->GetIniFileManager()) {
        WString stored;
        if (store->GetIniValueStr(app->OpenSettings(kUserSettings), WString(kLastFolderPathKey), folder,
                                  stored) >= 0) {
            folder = stored;
        }
    }
    return folder;
}

void LDeviceView::SetLastFolderPath(const QV::LFileDialog& dialog) {
    QV::LFrameworkApp* app = QV::LFrameworkApp::sCurrent;
    if (app == nullptr) {
        return;
    }
    if (QV::IIniFileManager* store = app->GetIniFileManager()) {
        store->SetIniValueStr(app->OpenSettings(kUserSettings), WString(kLastFolderPathKey),
                              dialog.GetFolderPath());
    }
}

RCPtr<QV::LControl> LDeviceView::GetPage(const QV::WChar* name) {
    RCPtr<QV::LControl> tabs = FindChild(u"tabControl");
    auto* tabControl = dynamic_cast<QV::LTabControl*>(tabs.Get());
    return tabControl != nullptr ? tabControl->GetPage(WString(name)) : nullptr;
}

RCPtr<IPresetName> LDeviceView::GetPresetName() {
    return ModuleOf<IPresetName>(FindChild(u"presetNamePanel"));
}

RCPtr<IProgramChange> LDeviceView::GetProgramChange() {
    const RCPtr<QV::LControl> page = GetPage(u"keybed");
    return page ? ModuleOf<IProgramChange>(page->FindChild(u"programChange")) : nullptr;
}

RCPtr<IKeybed> LDeviceView::GetKeybed() {
    const RCPtr<QV::LControl> page = GetPage(u"keybed");
    return page ? ModuleOf<IKeybed>(page->FindChild(u"keybedPanel")) : nullptr;
}

RCPtr<IPitchWheelSliderSustain> LDeviceView::GetPitchWheelSliderSustain() {
    return ModuleOf<IPitchWheelSliderSustain>(GetPage(u"sustainPitchVolume"));
}

RCPtr<IRibbonControllers> LDeviceView::GetRibbonControllers() {
    return ModuleOf<IRibbonControllers>(GetPage(u"ribbonControllers"));
}

RCPtr<IAccellerometer> LDeviceView::GetAccellerometer() {
    return ModuleOf<IAccellerometer>(GetPage(u"accellerometer"));
}

RCPtr<IFaders> LDeviceView::GetFaders() {
    return ModuleOf<IFaders>(GetPage(u"faders"));
}

RCPtr<IPads> LDeviceView::GetPads() {
    return ModuleOf<IPads>(GetPage(u"pads"));
}

int32_t LDeviceView::OnNewPreset(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    const int32_t answer = QV::GetApplicationServices().ShowMessageBox(
        u"Are you sure you want create a new preset? You will lose all unsaved work.", u"New Preset",
        Platform::MB_OKCANCEL);
    if (answer == Platform::IDCANCEL) {
        return 1;
    }
    QV::IEditorEngine& engine = QV::GetEditorEngine();
    QV::Array<QV::ParamValue> defaults;
    engine.GetParamValueDefaults(QV::ParamRange{GetFirstParamID(), kDeviceParameterCount}, defaults, -1);
    for (uint32_t i = 0; i < defaults.GetCount(); ++i) {
        engine.SetParamValue(defaults.GetAt(i).descriptor, defaults.GetAt(i).value);
    }
    return 1;
}

int32_t LDeviceView::OnLoadPresetFromFile(const RCPtr<LNotificationDistributor>&,
                                          const RCPtr<LNotification>&) {
    LoadPresetFromFile();
    return 1;
}

int32_t LDeviceView::OnSavePresetToFile(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    SavePresetToFile();
    return 1;
}

int32_t LDeviceView::OnExit(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    if (RCPtr<QV::LNotificationCenter> centre = QV::GetMainNotificationCenter()) {
        centre->PostNotification(LNotification::Create(u"NID_APP_EXIT_REQ"));
    }
    return 1;
}

int32_t LDeviceView::OnOpenUserGuide(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    const WString folder = QV::LFrameworkApp::sCurrent != nullptr
                               ? QV::LFrameworkApp::sCurrent->GetFolder(kProgramFolder)
                               : WString();
    const WString path = folder + WString(u"/") + WString(kUserGuideFileName);
    if (QV::LFileDialog::ShellOpen(path) < 0) {
        QV::GetApplicationServices().ShowMessageBox(
            QV::GetEditorString(u"LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_TEXT"),
            QV::GetEditorString(u"LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_CAPTION"), Platform::MB_OK);
    }
    return 1;
}

void LDeviceView::RunDialog(const QV::WChar* name) {
    const RCPtr<LDeviceView> hold(this);
    RCPtr<QV::LControl> control;
    if (QV::GetApplicationServices().CreateControl(WString(name), control) < 0) {
        return;
    }
    RCPtr<QV::LDialog> dialog(dynamic_cast<QV::LDialog*>(control.Get()));
    if (dialog) {
        QV::GetApplicationServices().DoModal(RCPtr<QV::LControl>(dialog), true);
    }
}

int32_t LDeviceView::OnSendPreset(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    RunDialog(u"dialogSendPreset");
    return 1;
}

int32_t LDeviceView::OnRetrievePreset(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    RunDialog(u"dialogRetrievePresetFromHardware");
    return 1;
}

int32_t LDeviceView::OnProgramSerial(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    RunDialog(u"dialogProgramSerialNumber");
    return 1;
}

int32_t LDeviceView::OnAbout(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) {
    RunDialog(u"dialogAbout");
    return 1;
}

void LDeviceView::OnTabPagesCreated(QV::LTabControl&, const std::vector<RCPtr<QV::LControl>>&) {
    const RCPtr<QV::LControl> top = GetTopLevelControl();
    const RCPtr<QV::LMainControl> main(dynamic_cast<QV::LMainControl*>(top.Get()));
    if (!main) {
        return;
    }
    IRootModule& root = *main;
    root.SetFirstParamID(nullptr, root.GetFirstParamID(), 0);
    main->ApplyHeldValues();
}

void LDeviceView::ReceiveNotification(const RCPtr<LNotificationDistributor>& sender,
                                      const RCPtr<LNotification>& notification) {
    if (mHandler && IsCreated() && mHandler->HandleNotification(sender, notification) != 0) {
        return;
    }
    QV::LControl::ReceiveNotification(sender, notification);
}

int32_t LDeviceView::UnregisterForNotification(const RCPtr<LNotificationDistributor>& distributor,
                                               const QV::WChar* name) {
    if (mHandler) {
        mHandler->RemoveHandler(distributor, name);
    }
    return QV::LControl::UnregisterForNotification(distributor, name);
}
