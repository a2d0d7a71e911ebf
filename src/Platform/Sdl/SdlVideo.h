#pragma once

#include <string>

namespace Platform {

enum class VideoStart {
    kStarted,
    kNoDisplay,  // the environment names no display (neither DISPLAY nor WAYLAND_DISPLAY)
    kNotOpened,  // the display could not be opened
};

// Starts the desktop's video and timers for the program's windows, which paint into plain
// software surfaces. In an X session X is asked straight away, without a Wayland probe first that
// writes a line of its own to the terminal. Drivers that show nothing count as no display unless
// SDL_VIDEODRIVER asks for one (tests). display: the display tried ("X11 display :0", "Wayland
// display wayland-0", empty when the environment names none); reason: why it could not be opened.
VideoStart StartVideo(std::string& display, std::string& reason);
// Ends what StartVideo started.
void StopVideo();

}  // namespace Platform
