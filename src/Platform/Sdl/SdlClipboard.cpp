#include "Platform/Sdl/SdlClipboard.h"

#include <SDL.h>

namespace Platform {

void SdlClipboard::Refresh() {
    char* text = SDL_GetClipboardText();
    const std::string current = text != nullptr ? text : "";
    SDL_free(text);
    if (current != mSeen) {
        mSeen = current;
        mMarker = false;
        ++mChangeCount;
    }
}

uint32_t SdlClipboard::GetChangeCount() {
    Refresh();
    return mChangeCount;
}

bool SdlClipboard::HasText() {
    Refresh();
    return !mMarker && SDL_HasClipboardText() == SDL_TRUE;
}

bool SdlClipboard::HasMarker() {
    Refresh();
    return mMarker;
}

bool SdlClipboard::GetText(std::string& text) {
    char* value = SDL_GetClipboardText();
    if (value == nullptr) {
        return false;
    }
    text = value;
    SDL_free(value);
    return true;
}

bool SdlClipboard::SetText(const std::string& text) {
    if (SDL_SetClipboardText(text.c_str()) != 0) {
        return false;
    }
    mSeen = text;
    mMarker = false;
    ++mChangeCount;
    return true;
}

bool SdlClipboard::SetMarker() {
    if (SDL_SetClipboardText("") != 0) {
        return false;
    }
    mSeen.clear();
    mMarker = true;
    ++mChangeCount;
    return true;
}

std::shared_ptr<IClipboardBackend> CreateDesktopClipboard() {
    return std::make_shared<SdlClipboard>();
}

}  // namespace Platform
