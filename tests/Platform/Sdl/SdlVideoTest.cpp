#include "Platform/Sdl/SdlVideo.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace Platform {
namespace {

// The video starts before SDL's timer (whose thread would make X's input method slower to open),
// and both are running when the start reports success; stopping ends both.
TEST(SdlVideoTest, AStartedVideoHasItsTimerAndAStopEndsBoth) {
    const char* before = std::getenv("SDL_VIDEODRIVER");
    const std::string saved = before != nullptr ? before : "";
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string display;
    std::string reason;
    const VideoStart started = StartVideo(display, reason);
    const Uint32 running = SDL_WasInit(SDL_INIT_VIDEO | SDL_INIT_TIMER);
    StopVideo();
    const Uint32 afterStop = SDL_WasInit(SDL_INIT_VIDEO | SDL_INIT_TIMER);
    if (before != nullptr) {
        setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
    } else {
        unsetenv("SDL_VIDEODRIVER");
    }
    ASSERT_EQ(started, VideoStart::kStarted) << reason;
    EXPECT_EQ(running, static_cast<Uint32>(SDL_INIT_VIDEO | SDL_INIT_TIMER));
    EXPECT_EQ(afterStop, 0u);
}

}  // namespace
}  // namespace Platform
