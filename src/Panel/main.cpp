#include <csignal>
#include <cstdio>
#include <string>

#include "Panel/Application.h"
#include "Platform/Sdl/SdlVideo.h"
#include "Platform/Sdl/X11ErrorHandler.h"
#include "RIZozivirod/Application/Windows/MFCFrameworkApp.h"
#include "RIZozivirod/Application/Windows/MessageLoop.h"

void OnTerminationSignal(int) {
    QV::MessageLoop::RequestQuitFromSignal();
}

int main(int argc, char** argv) {
    QV::MFCFrameworkApp<LApplication> process(QV::MFCFrameworkApp<LApplication>::JoinCommandLine(argc, argv),
                                              {});
    std::string display;
    std::string reason;
    switch (Platform::StartVideo(display, reason)) {
        case Platform::VideoStart::kNoDisplay:
            std::fprintf(stderr,
                         "Skylet Preset Editor needs a display to show its window, and none is set "
                         "(neither DISPLAY nor WAYLAND_DISPLAY).\n"
                         "Run it on a desktop, or under a virtual display such as Xvfb with DISPLAY set.\n");
            return 255;
        case Platform::VideoStart::kNotOpened:
            std::fprintf(
                stderr,
                "Skylet Preset Editor needs a display to show its window, and could not open the %s (SDL: "
                "%s).\n"
                "Run it on a desktop, or under a virtual display such as Xvfb with DISPLAY set.\n",
                display.empty() ? "display SDL_VIDEODRIVER names" : display.c_str(), reason.c_str());
            return 255;
        case Platform::VideoStart::kStarted:
            break;
    }
    // The string tables and skins are read beside the rest of the start (with more than one
    // processor); the reading has ended by any return (the process object waits for it).
    process.StartLoadingResources(-1);
    Platform::InstallX11ErrorHandler();
    // A termination signal ends the program like its window's close: settings and placement kept.
    struct sigaction action {};
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    const int32_t result = process.FrameworkWinMain(-1);
    Platform::StopVideo();
    return result;
}
