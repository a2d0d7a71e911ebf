#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/PresetEditorCommon/MidiManager.h"
#include "Engine/PresetEditorCommon/RootModuleEngine.h"
#include "RIZozivirod/Application/Windows/ApplicationBase.h"
#include "RIZozivirod/Application/Windows/ControlClassRegistry.h"

// The preset editor's application object: its names, its control classes, and the device
// engine and MIDI manager it starts and releases.
class LApplication : public QV::LApplicationBase<LApplication> {
public:
    static QV::RCPtr<LApplication> Create(const QV::RCPtr<QV::LControlFactory>& factory,
                                          const QV::RCPtr<QV::LStringTable>& frameworkStrings,
                                          const std::string& commandLine);

    QV::WString GetSettingsVersion() override { return u"1_0_0"; }
    QV::WString GetMainControlName() override { return u"mainControl"; }
    uint32_t GetLocaleId() override { return mLocaleId; }
    QV::WString GetFolder(int32_t id) override;
    bool CanExit() override { return true; }
    int32_t GetRendererType() { return 1; }
    // The editor's own cursors: the splitter, rotation and magnifier names give none; the rest
    // are the framework's.
    QV::CursorHandle GetCursor(const QV::WString& name) override;

    // The framework's start-up, the "GHK_WIN" bindings, the editor's classes, the MIDI manager,
    // and the engine (whose result is not looked at: the editor works on its cache alone).
    int32_t RunApplicationStartup() override;
    // The main window's tree with only the pages its first frame shows: the other pages of its
    // tab controls are held back (QV::LTabPageDeferral).
    int32_t CreateMainControl() override;
    // Shows the window with its first frame; the loop builds the pages held back
    // kHeldBackPagesDelayMs later (CreateHeldBackPages). A page shown before then is built as it
    // is shown.
    void ShowMainWindow() override;
    // Builds every page the main window's tree holds back.
    void CreateHeldBackPages();
    // About a frame of the display's: the time it has to show the first frame undisturbed.
    static constexpr uint32_t kHeldBackPagesDelayMs = 20;

    QV::RCPtr<QV::LMidiManager> GetMidiManager() const { return mMidiManager; }
    QV::RCPtr<LRootModuleEngine> GetEngine() const { return mEngine; }
    void SetLocaleId(uint32_t localeId) { mLocaleId = localeId; }
    // gApplication while the program runs.
    static void SetRunningApplication(const QV::RCPtr<LApplication>& app);

    // The editor's classes in registration order.
    static const std::vector<QV::ControlClassRegistration>& GetEditorControlClasses();

protected:
    LApplication(const QV::RCPtr<QV::LControlFactory>& factory,
                 const QV::RCPtr<QV::LStringTable>& frameworkStrings, const std::string& commandLine);
    ~LApplication() override;

private:
    QV::RCPtr<LRootModuleEngine> mEngine;
    QV::RCPtr<QV::LMidiManager> mMidiManager;
    uint32_t mLocaleId = 0x0409;
};

// The application object while the program runs; null before and after.
extern QV::RCPtr<LApplication> gApplication;
