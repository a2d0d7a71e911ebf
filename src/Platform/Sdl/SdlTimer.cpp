#include "Platform/Sdl/SdlTimer.h"

namespace Platform {

uint32_t SdlTimer::GetEventType() {
    static const uint32_t type = [] {
        const uint32_t registered = SDL_RegisterEvents(1);
        return registered == static_cast<uint32_t>(-1) ? 0u : registered;
    }();
    return type;
}

bool SdlTimer::Start(uint32_t windowId, uint32_t periodMs) {
    Stop();
    if (GetEventType() == 0 || (SDL_WasInit(SDL_INIT_TIMER) == 0 && SDL_InitSubSystem(SDL_INIT_TIMER) != 0)) {
        return false;
    }
    mTimer =
        SDL_AddTimer(periodMs, &SdlTimer::OnTick, reinterpret_cast<void*>(static_cast<uintptr_t>(windowId)));
    return mTimer != 0;
}

void SdlTimer::Stop() {
    if (mTimer != 0) {
        SDL_RemoveTimer(mTimer);
        mTimer = 0;
    }
}

uint32_t SdlTimer::OnTick(uint32_t interval, void* windowId) {
    const uint32_t type = GetEventType();
    if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, type, type) <= 0) {
        SDL_Event event{};
        event.type = type;
        event.user.windowID = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(windowId));
        SDL_PushEvent(&event);
    }
    return interval;
}

}  // namespace Platform
