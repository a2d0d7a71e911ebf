#include "Platform/Desktop/Desktop.h"
#include "Platform/Sdl/SdlInput.h"

#include <SDL.h>

#include <algorithm>

namespace Platform {

namespace {

SDL_Window* AsWindow(intptr_t window) {
    return reinterpret_cast<SDL_Window*>(window);
}

}  // namespace

bool IsVideoStarted() {
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

bool GetUsableDisplayBounds(QV::RectT<int32_t>& bounds) {
    SDL_Rect rect;
    if (!IsVideoStarted() || SDL_GetDisplayUsableBounds(0, &rect) != 0) {
        return false;
    }
    bounds = {rect.x, rect.y, rect.w, rect.h};
    return true;
}

bool GetDisplayBoundsOfWindow(intptr_t window, QV::RectT<int32_t>& bounds) {
    SDL_Rect rect;
    if (!IsVideoStarted() || window == 0 ||
        SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(AsWindow(window))), &rect) != 0) {
        return false;
    }
    bounds = {rect.x, rect.y, rect.w, rect.h};
    return true;
}

QV::PointT<int32_t> GetPointerPosition() {
    int x = 0;
    int y = 0;
    if (IsVideoStarted()) {
        SDL_GetGlobalMouseState(&x, &y);
    }
    return {x, y};
}

uint32_t GetPointerButtons() {
    if (!IsVideoStarted()) {
        return 0;
    }
    const uint32_t state = SDL_GetGlobalMouseState(nullptr, nullptr);
    uint32_t buttons = 0;
    buttons |= (state & SDL_BUTTON_LMASK) != 0 ? 1u : 0u;
    buttons |= (state & SDL_BUTTON_MMASK) != 0 ? 2u : 0u;
    buttons |= (state & SDL_BUTTON_RMASK) != 0 ? 4u : 0u;
    return buttons;
}

bool WarpPointer(int32_t x, int32_t y) {
    return IsVideoStarted() && SDL_WarpMouseGlobal(x, y) == 0;
}

void ShowPointer(bool visible) {
    if (IsVideoStarted()) {
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }
}

void GetKeyState(int32_t virtualKey, bool& down, bool& toggled) {
    KeyStateFromSdl(virtualKey, static_cast<uint16_t>(SDL_GetModState()), down, toggled);
}

void SetWindowResizable(intptr_t window, bool resizable) {
    if (window != 0) {
        SDL_SetWindowResizable(AsWindow(window), resizable ? SDL_TRUE : SDL_FALSE);
    }
}

bool GetWindowBorders(intptr_t window, int32_t& top, int32_t& left, int32_t& bottom, int32_t& right) {
    top = left = bottom = right = 0;
    if (window == 0 || SDL_GetWindowBordersSize(AsWindow(window), &top, &left, &bottom, &right) != 0) {
        top = left = bottom = right = 0;
        return false;
    }
    return true;
}

void RestoreMinimizedWindow(intptr_t window) {
    if (window != 0 && (SDL_GetWindowFlags(AsWindow(window)) & SDL_WINDOW_MINIMIZED) != 0) {
        SDL_RestoreWindow(AsWindow(window));
    }
}

}  // namespace Platform
