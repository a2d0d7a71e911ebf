#pragma once

#include <cstdint>
#include <vector>

#include "DeviceControl/GeneratedCode/Engine/Inc/ModuleInterfaces.h"
#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Controls/TabControl.h"
#include "RIZozivirod/Notification/NotificationHandler.h"
#include "RIZozivirod/System/Desktop/FileDialog.h"

namespace QV {
class LPresetManager;
}  // namespace QV

// The status of the device view as others see it; nothing acts on it yet.
class LStatusView : public virtual QV::LRefCountedObject {};

// The main control's "viewDevice": the editor's pages (the preset name panel over a tab control
// of the keyboard's control groups), the device module of the view tree, whose children are the
// edit panels found by name in the pages, and the target of the File and Help commands. The
// commands come as notifications from the window (the menu) and, for the five with application
// shortcuts, from the application centre; each one is carried out once per press or choice.
// A page the tab controls below build after the start (see QV::LTabPageDeferral) gets the ids and
// the values it would have had, had it been built with the rest: until then the device's
// accessors answer what the empty page holds. User-interface thread.
class LDeviceView : public QV::LControl, public IDevice, public QV::ITabPageObserver {
public:
    LDeviceView(const QV::RCPtr<QV::LControl>& parent, const QV::WString& name);

    // Registers the command handlers with the tree's window and the application centre.
    int32_t AttachToRootWindow() override;
    // Every menu item keeps the state its menu gives it: 0.
    int32_t GetCommandState(const QV::WString& command, uint8_t& enabled) override;
    // The control, the file dialog in the last folder, "tabControl" (required), the status view
    // and the preset manager.
    int32_t Initialize() override;

    virtual QV::RCPtr<LStatusView> GetStatusView();
    // "kyp".
    virtual QV::WString GetPresetFileExtension();
    // The dialogs' filter: preset files, then all files.
    virtual QV::WString GetFileFilter(bool forOpen);
    // "*." and the extension.
    virtual QV::WString GetDefaultFilePattern();
    // The open dialog, then the load; a failed load says why and keeps the last folder. The
    // load's result, or the dialog's when it was cancelled.
    virtual int32_t LoadPresetFromFile();
    // The save dialog, then the save; a failed save says so and keeps the last folder.
    virtual int32_t SavePresetToFile();
    // 0 and the chosen path, or negative when the user cancelled.
    virtual int32_t ShowSaveDialog(QV::WString& path);
    virtual int32_t ShowOpenDialog(QV::WString& path);

    // The child modules: the panels of the pages, null where a panel is missing or of another
    // class.
    using IDevice::GetAccellerometer;
    using IDevice::GetFaders;
    using IDevice::GetKeybed;
    using IDevice::GetPads;
    using IDevice::GetPitchWheelSliderSustain;
    using IDevice::GetPresetName;
    using IDevice::GetProgramChange;
    using IDevice::GetRibbonControllers;
    QV::RCPtr<IPresetName> GetPresetName() override;
    QV::RCPtr<IProgramChange> GetProgramChange() override;
    QV::RCPtr<IKeybed> GetKeybed() override;
    QV::RCPtr<IPitchWheelSliderSustain> GetPitchWheelSliderSustain() override;
    QV::RCPtr<IRibbonControllers> GetRibbonControllers() override;
    QV::RCPtr<IAccellerometer> GetAccellerometer() override;
    QV::RCPtr<IFaders> GetFaders() override;
    QV::RCPtr<IPads> GetPads() override;

    // The commands. Each returns 1.
    int32_t OnNewPreset(const QV::RCPtr<QV::LNotificationDistributor>&, const QV::RCPtr<QV::LNotification>&);
    int32_t OnLoadPresetFromFile(const QV::RCPtr<QV::LNotificationDistributor>&,
                                 const QV::RCPtr<QV::LNotification>&);
    int32_t OnSavePresetToFile(const QV::RCPtr<QV::LNotificationDistributor>&,
                               const QV::RCPtr<QV::LNotification>&);
    int32_t OnExit(const QV::RCPtr<QV::LNotificationDistributor>&, const QV::RCPtr<QV::LNotification>&);
    int32_t OnOpenUserGuide(const QV::RCPtr<QV::LNotificationDistributor>&,
                            const QV::RCPtr<QV::LNotification>&);
    // The dialogs, created by name and run modal.
    int32_t OnSendPreset(const QV::RCPtr<QV::LNotificationDistributor>&, const QV::RCPtr<QV::LNotification>&);
    int32_t OnRetrievePreset(const QV::RCPtr<QV::LNotificationDistributor>&,
                             const QV::RCPtr<QV::LNotification>&);
    int32_t OnProgramSerial(const QV::RCPtr<QV::LNotificationDistributor>&,
                            const QV::RCPtr<QV::LNotification>&);
    int32_t OnAbout(const QV::RCPtr<QV::LNotificationDistributor>&, const QV::RCPtr<QV::LNotification>&);

    // "LastFolderPath" of the user's settings, the documents folder when there is none.
    static QV::WString GetLastFolderPath();
    // Stores the dialog's folder as "LastFolderPath".
    static void SetLastFolderPath(const QV::LFileDialog& dialog);

    // The user guide's name in the program's folder.
    static constexpr char16_t kUserGuideFileName[] = u"Skylet Editor - User Guide - v1.0.pdf";

    const QV::RCPtr<QV::LPresetManager>& GetPresetManager() const { return mPresetManager; }
    const QV::RCPtr<QV::LFileDialog>& GetFileDialog() const { return mFileDialog; }

    // The modules of the new pages take their ids from the main control at the top of the tree
    // (as its Initialize gives them to the whole tree), then show the values that came for them
    // while they were not built (LMainControl::ApplyHeldValues). Nothing outside a main
    // control's tree.
    void OnTabPagesCreated(QV::LTabControl& tabs, const std::vector<QV::RCPtr<QV::LControl>>& pages) override;

    void ReceiveNotification(const QV::RCPtr<QV::LNotificationDistributor>& sender,
                             const QV::RCPtr<QV::LNotification>& notification) override;
    int32_t UnregisterForNotification(const QV::RCPtr<QV::LNotificationDistributor>& distributor,
                                      const QV::WChar* name) override;

protected:
    ~LDeviceView() override;

private:
    // The tab page of that name; null without the tab control or the page.
    QV::RCPtr<QV::LControl> GetPage(const QV::WChar* name);
    // Creates the dialog of the skin's descriptor name and runs it modal.
    void RunDialog(const QV::WChar* name);

    QV::RCPtr<QV::LNotificationHandler<LDeviceView>> mHandler;
    QV::RCPtr<LStatusView> mStatusView;
    QV::RCPtr<QV::LPresetManager> mPresetManager;
    QV::RCPtr<QV::LFileDialog> mFileDialog;
    QV::RCPtr<QV::LTabControl> mTabControl;
};
