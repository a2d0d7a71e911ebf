#pragma once

#include <SDL.h>

#include <cstdint>
#include <map>
#include <string>

#include "Platform/Desktop/Desktop.h"

namespace Platform {

// The framework's cursors by name ("UI_CURSOR_ARROW", "UI_CURSOR_WAIT", ...) as SDL's system
// cursors, made on first use and freed with the set (before SDL's video subsystem ends).
// Handles are the SDL_Cursor addresses. User-interface thread only.
class SdlCursors final : public IDesktopCursors {
public:
    SdlCursors() = default;
    SdlCursors(const SdlCursors&) = delete;
    SdlCursors& operator=(const SdlCursors&) = delete;
    ~SdlCursors() override;

    // 0 for a name that is not a framework cursor, or when SDL cannot make the cursor.
    intptr_t Get(const std::u16string& name) override;
    // The system cursor a name stands for; false for an unknown name.
    static bool FindSystemCursor(const std::u16string& name, SDL_SystemCursor& cursor);
    // Whether a name is one of the framework's cursors.
    static bool IsCursorName(const std::u16string& name) {
        SDL_SystemCursor unused;
        return FindSystemCursor(name, unused);
    }

private:
    std::map<SDL_SystemCursor, SDL_Cursor*> mCursors;
};

}  // namespace Platform
