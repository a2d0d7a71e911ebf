#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Panel/Application.h"
#include "Platform/Sdl/SdlPresenter.h"
#include "Platform/Sdl/X11ErrorHandler.h"
#include "RIZozivirod/Application/Windows/MFCFrameworkApp.h"
#include "RIZozivirod/Application/Windows/MessageLoop.h"

namespace {

const char* Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// SDL falls back to drivers that show nothing when there is no display; only a caller who asks
// for one of them (tests) gets it.
bool HasDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) {
        return false;
    }
    const bool invisible = std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
    return !invisible || Variable("SDL_VIDEODRIVER") != nullptr;
}

// The display the program is to open, for its message when that fails: "X11 display :0",
// "Wayland display wayland-0", or empty when the environment names none.
std::string ChooseDisplay() {
    const char* x11 = Variable("DISPLAY");
    const char* wayland = Variable("WAYLAND_DISPLAY");
    if (Variable("SDL_VIDEODRIVER") == nullptr && x11 != nullptr && wayland == nullptr) {
        // An X session: X is asked for it straight away, without a Wayland probe first that
        // writes a line of its own to the terminal.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    if (wayland != nullptr) {
        return std::string("Wayland display ") + wayland +
               (x11 != nullptr ? std::string(" or X11 display ") + x11 : "");
    }
    return x11 != nullptr ? std::string("X11 display ") + x11 : std::string();
}

}  // namespace

void OnTerminationSignal(int) {
    QV::MessageLoop::RequestQuitFromSignal();
}

int main(int argc, char** argv) {
    // Windows paint into plain software surfaces.
    Platform::SdlPresenter::SetSoftwareSurfaceHint();
    const std::string display = ChooseDisplay();
    if (display.empty() && Variable("SDL_VIDEODRIVER") == nullptr) {
        std::fprintf(stderr,
                     "Skylet Preset Editor needs a display to show its window, and none is set "
                     "(neither DISPLAY nor WAYLAND_DISPLAY).\n"
                     "Run it on a desktop, or under a virtual display such as Xvfb with DISPLAY set.\n");
        return 255;
    }
    const bool started = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0;
    if (!started || !HasDisplay()) {
        const std::string reason =
            !started && *SDL_GetError() != '\0' ? SDL_GetError() : "no usable video driver";
        std::fprintf(
            stderr,
            "Skylet Preset Editor needs a display to show its window, and could not open the %s (SDL: "
            "%s).\n"
            "Run it on a desktop, or under a virtual display such as Xvfb with DISPLAY set.\n",
            display.empty() ? "display SDL_VIDEODRIVER names" : display.c_str(), reason.c_str());
        SDL_Quit();
        return 255;
    }
    Platform::InstallX11ErrorHandler();
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
