#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Panel/Application.h"
#include "Platform/Sdl/SdlPresenter.h"
#include "RIZozivirod/Application/Windows/MFCFrameworkApp.h"
#include "RIZozivirod/Application/Windows/MessageLoop.h"

namespace {

// SDL falls back to drivers that show nothing when there is no display; only a caller who asks
// for one of them (tests) gets it.
bool HasDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) {
        return false;
    }
    const bool invisible = std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
    return !invisible || std::getenv("SDL_VIDEODRIVER") != nullptr;
}

}  // namespace

void OnTerminationSignal(int) {
    QV::MessageLoop::RequestQuitFromSignal();
}

int main(int argc, char** argv) {
    // Windows paint into plain software surfaces.
    Platform::SdlPresenter::SetSoftwareSurfaceHint();
    const bool started = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0;
    if (!started || !HasDisplay()) {
        std::fprintf(stderr,
                     "Skylet Preset Editor needs a display to show its window, and none was found.\n"
                     "Run it on a desktop, or under a virtual display such as Xvfb with DISPLAY set.\n");
        if (!started && *SDL_GetError() != '\0') {
            std::fprintf(stderr, "(%s)\n", SDL_GetError());
        }
        SDL_Quit();
        return 255;
    }
    // A termination signal ends the program like its window's close: settings and placement kept.
    struct sigaction action {};
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    QV::MFCFrameworkApp<LApplication> process(QV::MFCFrameworkApp<LApplication>::JoinCommandLine(argc, argv),
                                              {});
    const int32_t result = process.FrameworkWinMain(-1);
    SDL_Quit();
    return result;
}
