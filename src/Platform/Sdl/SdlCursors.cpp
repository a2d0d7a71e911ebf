#include "Platform/Sdl/SdlCursors.h"

namespace Platform {
namespace {

struct NamedCursor {
    const char16_t* name;
    SDL_SystemCursor cursor;
};

// SDL has no drop, help, magnifier or rotate shapes: those take the nearest one it has.
constexpr NamedCursor kNamedCursors[] = {
    {u"UI_CURSOR_ARROW", SDL_SYSTEM_CURSOR_ARROW},
    {u"UI_CURSOR_CROSS", SDL_SYSTEM_CURSOR_CROSSHAIR},
    {u"UI_CURSOR_DROP_COPY", SDL_SYSTEM_CURSOR_ARROW},
    {u"UI_CURSOR_DROP_MOVE", SDL_SYSTEM_CURSOR_ARROW},
    {u"UI_CURSOR_HAND", SDL_SYSTEM_CURSOR_HAND},
    {u"UI_CURSOR_HELP", SDL_SYSTEM_CURSOR_ARROW},
    {u"UI_CURSOR_IBEAM", SDL_SYSTEM_CURSOR_IBEAM},
    {u"UI_CURSOR_MAG", SDL_SYSTEM_CURSOR_CROSSHAIR},
    {u"UI_CURSOR_MAG_MINUS", SDL_SYSTEM_CURSOR_CROSSHAIR},
    {u"UI_CURSOR_MAG_PLUS", SDL_SYSTEM_CURSOR_CROSSHAIR},
    {u"UI_CURSOR_NO_DROP", SDL_SYSTEM_CURSOR_NO},
    {u"UI_CURSOR_ROTATE", SDL_SYSTEM_CURSOR_SIZEALL},
    {u"UI_CURSOR_SIZE_ALL", SDL_SYSTEM_CURSOR_SIZEALL},
    {u"UI_CURSOR_SIZE_NESW", SDL_SYSTEM_CURSOR_SIZENESW},
    {u"UI_CURSOR_SIZE_NS", SDL_SYSTEM_CURSOR_SIZENS},
    {u"UI_CURSOR_SIZE_NWSE", SDL_SYSTEM_CURSOR_SIZENWSE},
    {u"UI_CURSOR_SIZE_WE", SDL_SYSTEM_CURSOR_SIZEWE},
    {u"UI_CURSOR_SPLIT_H", SDL_SYSTEM_CURSOR_SIZEWE},
    {u"UI_CURSOR_SPLIT_V", SDL_SYSTEM_CURSOR_SIZENS},
    {u"UI_CURSOR_UP_ARROW", SDL_SYSTEM_CURSOR_ARROW},
    {u"UI_CURSOR_WAIT", SDL_SYSTEM_CURSOR_WAIT},
};

}  // namespace

SdlCursors::~SdlCursors() {
    for (auto& [shape, cursor] : mCursors) {
        SDL_FreeCursor(cursor);
    }
}

bool SdlCursors::FindSystemCursor(const std::u16string& name, SDL_SystemCursor& cursor) {
    for (const NamedCursor& entry : kNamedCursors) {
        if (name == entry.name) {
            cursor = entry.cursor;
            return true;
        }
    }
    return false;
}

intptr_t SdlCursors::Get(const std::u16string& name) {
    SDL_SystemCursor shape;
    if (!FindSystemCursor(name, shape)) {
        return 0;
    }
    const auto found = mCursors.find(shape);
    if (found != mCursors.end()) {
        return reinterpret_cast<intptr_t>(found->second);
    }
    SDL_Cursor* cursor = SDL_CreateSystemCursor(shape);
    if (cursor == nullptr) {
        return 0;
    }
    mCursors.emplace(shape, cursor);
    return reinterpret_cast<intptr_t>(cursor);
}

std::unique_ptr<IDesktopCursors> CreateDesktopCursors() {
    return std::make_unique<SdlCursors>();
}

bool IsCursorName(const std::u16string& name) {
    return SdlCursors::IsCursorName(name);
}

}  // namespace Platform
