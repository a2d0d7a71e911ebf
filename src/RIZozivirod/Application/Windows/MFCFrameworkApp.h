#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "Platform/DebugOutput.h"
#include "Platform/Desktop/DesktopShell.h"
#include "Platform/Desktop/SingleInstance.h"
#include "Platform/Fonts/FontFace.h"
#include "RIZozivirod/Application/Windows/FrameworkApp.h"
#include "RIZozivirod/Application/Windows/OSWindow.h"
#include "RIZozivirod/Application/Windows/ResourceLoader.h"
#include "RIZozivirod/Application/Windows/SplashScreen.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/System/Version.h"
#include "RIZozivirod/Utilities/Graphics/Bitmap.h"
#include "RIZozivirod/Utilities/Storage/File.h"

namespace QV {

// The result codes with which the application's start-up ends quietly (the loop still runs
// until the application ends it).
inline bool IsQuietStartupFailure(int32_t result) {
    const uint32_t code = static_cast<uint32_t>(result);
    return code == 0x8000A000u || code == 0x8000A001u || code == 0x8000A002u || code == 0x8000A003u ||
           code == 0x8000A010u || code == 0x8000A020u;
}

// The text of a start-up error code: the current application's "EXCEPTION_ID" text with the
// code (empty when its table lacks the entry), else the built-in text with the code.
WString GetStartupErrorText(int32_t code);

// A Cairo renderer for a window (the renderer type kRendererGDI).
RCPtr<LRenderer> CreateCairoRenderer(const RectT<int32_t>& clientRect, WindowHandle window);

// The process's start-up object: loads the resources, decides whether this copy runs (a later
// copy hands its command line to the running one and ends), reads the debug option, runs the
// application T and cleans up. T provides Create (factory, framework strings, command line),
// SetRunningApplication, SetLocaleId, RunApplicationStartup, CreateMainWindow, ShowMainWindow, Run and the
// command-line hooks. Main thread only.
template <class T>
class MFCFrameworkApp {
public:
    struct Settings {
        // The single-instance lock's folder (empty: the default); tests use their own.
        std::string instanceFolder = Platform::SingleInstance::GetDefaultFolder();
        int32_t handOverWaitMs = Platform::SingleInstance::kDefaultHandOverWaitMs;
        // "::" for the embedded documents, else a folder of document files.
        WString resourceBase = u"::";
    };

    MFCFrameworkApp(std::string commandLine, Settings settings)
        : mCommandLine(std::move(commandLine)), mSettings(std::move(settings)) {}

    // The full command line of the process: every argument, those with blanks or empty ones in
    // double quotes, joined by one blank.
    static std::string JoinCommandLine(int argc, char** argv) {
        std::string line;
        for (int i = 0; i < argc; ++i) {
            const std::string argument = argv[i] != nullptr ? argv[i] : "";
            if (!line.empty() || i > 0) {
                line += ' ';
            }
            if (argument.empty() || argument.find_first_of(" \t") != std::string::npos) {
                line += '"' + argument + '"';
            } else {
                line += argument;
            }
        }
        return line;
    }

    // The process's exit code: 1 after a run, -1 for a copy that handed over its command line or
    // could not load its resources, and -1 after a failure that ended the run.
    int32_t FrameworkWinMain(int32_t localeId) {
        int32_t result = -1;
        mLocaleId = LocaleFrom(localeId);
        if (InitApplication()) {
            if (!InitInstance()) {
                result = 1;
            } else {
                try {
                    result = Run();
                } catch (...) {
                    // Reported like a failed start; the application was released on the way out.
                    ShowStartupErrorBox();
                    result = -1;
                }
            }
        }
        mControlFactory = nullptr;
        mFrameworkStrings = nullptr;
        mSingleInstance.reset();
        return result;
    }

    // Starts reading the documents on a thread of their own (LResourceLoader) for the locale
    // FrameworkWinMain will be given, and meanwhile loads fontconfig's configuration here, which
    // the window's first text would otherwise load; InitApplication takes the documents where it
    // would read them. A process that may run on one processor only reads them there instead. A
    // loader of another locale or base is left unused. The thread has ended before this object
    // has. Called after the display has opened: once the process has a second thread, stdio
    // locks each character, and opening X's input method reads its compose table that way.
    void StartLoadingResources(int32_t localeId) {
        const LResourceLoader::Reading reading = LResourceLoader::ReadingForThisProcess();
        mLoader = std::make_unique<LResourceLoader>(Version().GetStringValue(u"ProductName"),
                                                    mSettings.resourceBase, LocaleFrom(localeId), reading);
        if (reading == LResourceLoader::Reading::kOnThread) {
            Platform::FontFace::PrepareConfiguration();
        }
    }

    bool InitApplication() {
        try {
            // Windows draw through the Cairo renderer unless a renderer of that type is there.
            const LRenderer::Creator previous =
                LRenderer::RegisterCreator(kRendererGDI, &CreateCairoRenderer);
            if (previous != nullptr) {
                LRenderer::RegisterCreator(kRendererGDI, previous);
            }
            ShowSplash();
            const std::unique_ptr<LResourceLoader> loader = std::move(mLoader);
            if (loader && loader->GetBase() == mSettings.resourceBase && loader->GetLocaleId() == mLocaleId) {
                int32_t loaded = E_FAIL;
                std::exception_ptr error;
                mControlFactory = loader->Take(loaded, error);
                if (error) {
                    std::rethrow_exception(error);
                }
                QV_CHECK_RESULT(loaded);
            } else {
                mControlFactory = LControlFactory::Create(Version().GetStringValue(u"ProductName"));
                QV_CHECK_RESULT(LoadResources(mSettings.resourceBase));
            }
            mFrameworkStrings = mControlFactory->GetFrameworkStringTable();
            mSingleInstance = std::make_unique<Platform::SingleInstance>(
                NString(OSWindow::kMainWindowClassName).GetString(), mSettings.instanceFolder);
            const Platform::SingleInstance::Role role =
                mSingleInstance->Start(mCommandLine, mSettings.handOverWaitMs);
            mFirstInstance = role != Platform::SingleInstance::Role::kAlreadyRunning;
            return mFirstInstance;
        } catch (...) {
            ShowStartupErrorBox();
            return false;
        }
    }

    // The string tables and the skins: embedded ("::") or document files in a folder.
    int32_t LoadResources(const WString& base) {
        return LResourceLoader::Load(*mControlFactory, base, mLocaleId);
    }

    bool InitInstance() {
        DebugOutput::Get().HandleCommandLine(mCommandLine);
        return true;
    }

    int32_t Run() {
        RCPtr<T> app = T::Create(mControlFactory, mFrameworkStrings, mCommandLine);
        mApplication = app;
        T::SetRunningApplication(app);
        app->SetLocaleId(mLocaleId);
        IApplicationServices* previousServices = SetApplicationServices(app.Get());
        struct Restore {
            IApplicationServices* services;
            ~Restore() { SetApplicationServices(services); }
        } restore{previousServices};
        // Later copies are read on the single-instance reader thread; each hand-over is then
        // delivered on this thread by the loop. The reader stops before the application goes.
        struct StopListening {
            Platform::SingleInstance* instance;
            ~StopListening() {
                if (instance != nullptr) {
                    instance->StopListening();
                }
            }
        } stopListening{mSingleInstance.get()};
        if (mSingleInstance) {
            MessageLoop* loop = &app->GetMessageLoop();
            T* raw = app.Get();
            mSingleInstance->StartListening([loop, raw](const std::string& line) {
                loop->Post([raw, line] { raw->OnCommandLineHandedOver(line); });
            });
        }
        const WString commandLine(mCommandLine.c_str());
        app->ProcessCommandLine(commandLine);
        const int32_t started = app->RunApplicationStartup();
        if (started < 0 && IsQuietStartupFailure(started)) {
            CloseSplash();
            app->RunMessageLoop();
        } else {
            QV_CHECK_RESULT(started);
            app->ProcessCommandLineAfterStartup(commandLine);
            QV_CHECK_RESULT(app->CreateMainWindow(app->GetRendererType()));
            QV_CHECK_RESULT(app->CreateMainControl());
            app->ShowMainWindow();
            CloseSplash();
            app->Run();
        }
        app->RunApplicationShutdown();
        T::SetRunningApplication(nullptr);
        mApplication = nullptr;
        app = nullptr;
        CloseSplash();
        return 1;
    }

    // The splash picture: "::" + "/Splash.png" when such a file exists (never for the embedded
    // resources), else empty.
    WString GetSplashPath() const {
        const WString path = WString(u"::") + u"/Splash.png";
        return File::FileExists(path) ? path : WString();
    }
    void ShowSplash() {
        const WString path = GetSplashPath();
        if (path.GetLength() == 0 || mSplash) {
            return;
        }
        // No splash window exists on this desktop: the model runs without showing anything.
        mSplash = std::make_unique<LSplashScreen>([] { return std::unique_ptr<ISplashWindow>(); });
        mSplash->SetImage(LBitmap::GetBitmap(path));
        mSplash->Start();
        mSplash->StartProgress(0, 100, 8);
    }
    void CloseSplash() {
        if (mSplash) {
            mSplash->SetProgress(100);
            mSplash->Stop();
            mSplash.reset();
        }
    }

    // The box of a failed start, owner-less: the framework table's texts when it has them.
    void ShowStartupErrorBox() {
        CloseSplash();
        Platform::GetDesktopShell().ShowMessageBox(
            0, NString(LFrameworkApp::GetStartupErrorText(mFrameworkStrings).GetString()).GetString(),
            NString(LFrameworkApp::GetStartupErrorCaption(mFrameworkStrings).GetString()).GetString(), 0x10);
    }

    const RCPtr<LControlFactory>& GetControlFactory() const { return mControlFactory; }
    const RCPtr<LStringTable>& GetFrameworkStrings() const { return mFrameworkStrings; }
    bool IsFirstInstance() const { return mFirstInstance; }
    uint32_t GetLocaleId() const { return mLocaleId; }

private:
    static uint32_t LocaleFrom(int32_t localeId) {
        return static_cast<uint32_t>(localeId == -1 ? 0x0409 : localeId) & 0xFFFF;
    }

    std::unique_ptr<LResourceLoader> mLoader;
    RCPtr<LControlFactory> mControlFactory;
    RCPtr<LStringTable> mFrameworkStrings;
    std::unique_ptr<LSplashScreen> mSplash;
    bool mFirstInstance = true;
    uint32_t mLocaleId = 0x0409;
    std::string mCommandLine;
    Settings mSettings;
    std::unique_ptr<Platform::SingleInstance> mSingleInstance;
    RCPtr<T> mApplication;
};

}  // namespace QV
