#include "Platform/Sdl/SdlInput.h"

#include <cmath>
#include <cstring>

#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace Platform {
namespace {

struct ScancodeKey {
    SDL_Scancode scancode;
    uint8_t virtualKey;
};

// Keys by position. Letters and digits are here too: the fallback for layouts whose key codes
// are not ASCII (Cyrillic letters, the French digit row).
constexpr ScancodeKey kScancodeKeys[] = {
    {SDL_SCANCODE_BACKSPACE, 0x08},
    {SDL_SCANCODE_TAB, 0x09},
    {SDL_SCANCODE_CLEAR, 0x0C},
    {SDL_SCANCODE_RETURN, 0x0D},
    {SDL_SCANCODE_KP_ENTER, 0x0D},
    {SDL_SCANCODE_LSHIFT, 0x10},
    {SDL_SCANCODE_RSHIFT, 0x10},
    {SDL_SCANCODE_LCTRL, 0x11},
    {SDL_SCANCODE_RCTRL, 0x11},
    {SDL_SCANCODE_LALT, 0x12},
    {SDL_SCANCODE_RALT, 0x12},
    {SDL_SCANCODE_PAUSE, 0x13},
    {SDL_SCANCODE_CAPSLOCK, 0x14},
    {SDL_SCANCODE_ESCAPE, 0x1B},
    {SDL_SCANCODE_SPACE, 0x20},
    {SDL_SCANCODE_PAGEUP, 0x21},
    {SDL_SCANCODE_PAGEDOWN, 0x22},
    {SDL_SCANCODE_END, 0x23},
    {SDL_SCANCODE_HOME, 0x24},
    {SDL_SCANCODE_LEFT, 0x25},
    {SDL_SCANCODE_UP, 0x26},
    {SDL_SCANCODE_RIGHT, 0x27},
    {SDL_SCANCODE_DOWN, 0x28},
    {SDL_SCANCODE_PRINTSCREEN, 0x2C},
    {SDL_SCANCODE_INSERT, 0x2D},
    {SDL_SCANCODE_DELETE, 0x2E},
    {SDL_SCANCODE_HELP, 0x2F},
    {SDL_SCANCODE_0, 0x30},
    {SDL_SCANCODE_1, 0x31},
    {SDL_SCANCODE_2, 0x32},
    {SDL_SCANCODE_3, 0x33},
    {SDL_SCANCODE_4, 0x34},
    {SDL_SCANCODE_5, 0x35},
    {SDL_SCANCODE_6, 0x36},
    {SDL_SCANCODE_7, 0x37},
    {SDL_SCANCODE_8, 0x38},
    {SDL_SCANCODE_9, 0x39},
    {SDL_SCANCODE_LGUI, 0x5B},
    {SDL_SCANCODE_RGUI, 0x5C},
    {SDL_SCANCODE_APPLICATION, 0x5D},
    {SDL_SCANCODE_KP_0, 0x60},
    {SDL_SCANCODE_KP_1, 0x61},
    {SDL_SCANCODE_KP_2, 0x62},
    {SDL_SCANCODE_KP_3, 0x63},
    {SDL_SCANCODE_KP_4, 0x64},
    {SDL_SCANCODE_KP_5, 0x65},
    {SDL_SCANCODE_KP_6, 0x66},
    {SDL_SCANCODE_KP_7, 0x67},
    {SDL_SCANCODE_KP_8, 0x68},
    {SDL_SCANCODE_KP_9, 0x69},
    {SDL_SCANCODE_KP_MULTIPLY, 0x6A},
    {SDL_SCANCODE_KP_PLUS, 0x6B},
    {SDL_SCANCODE_KP_COMMA, 0x6C},
    {SDL_SCANCODE_KP_MINUS, 0x6D},
    {SDL_SCANCODE_KP_PERIOD, 0x6E},
    {SDL_SCANCODE_KP_DIVIDE, 0x6F},
    {SDL_SCANCODE_F1, 0x70},
    {SDL_SCANCODE_F2, 0x71},
    {SDL_SCANCODE_F3, 0x72},
    {SDL_SCANCODE_F4, 0x73},
    {SDL_SCANCODE_F5, 0x74},
    {SDL_SCANCODE_F6, 0x75},
    {SDL_SCANCODE_F7, 0x76},
    {SDL_SCANCODE_F8, 0x77},
    {SDL_SCANCODE_F9, 0x78},
    {SDL_SCANCODE_F10, 0x79},
    {SDL_SCANCODE_F11, 0x7A},
    {SDL_SCANCODE_F12, 0x7B},
    {SDL_SCANCODE_F13, 0x7C},
    {SDL_SCANCODE_F14, 0x7D},
    {SDL_SCANCODE_F15, 0x7E},
    {SDL_SCANCODE_F16, 0x7F},
    {SDL_SCANCODE_F17, 0x80},
    {SDL_SCANCODE_F18, 0x81},
    {SDL_SCANCODE_F19, 0x82},
    {SDL_SCANCODE_F20, 0x83},
    {SDL_SCANCODE_F21, 0x84},
    {SDL_SCANCODE_F22, 0x85},
    {SDL_SCANCODE_F23, 0x86},
    {SDL_SCANCODE_F24, 0x87},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x90},
    {SDL_SCANCODE_SCROLLLOCK, 0x91},
    {SDL_SCANCODE_SEMICOLON, 0xBA},
    {SDL_SCANCODE_EQUALS, 0xBB},
    {SDL_SCANCODE_COMMA, 0xBC},
    {SDL_SCANCODE_MINUS, 0xBD},
    {SDL_SCANCODE_PERIOD, 0xBE},
    {SDL_SCANCODE_SLASH, 0xBF},
    {SDL_SCANCODE_GRAVE, 0xC0},
    {SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {SDL_SCANCODE_BACKSLASH, 0xDC},
    {SDL_SCANCODE_RIGHTBRACKET, 0xDD},
    {SDL_SCANCODE_APOSTROPHE, 0xDE},
    {SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
};

struct ScancodeTable {
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    ScancodeTable() {
        for (const ScancodeKey& entry : kScancodeKeys) {
            keys[entry.scancode] = entry.virtualKey;
        }
        for (int32_t letter = 0; letter < 26; ++letter) {
            keys[SDL_SCANCODE_A + letter] = static_cast<uint8_t>('A' + letter);
        }
    }
};

const ScancodeTable& GetScancodeTable() {
    static const ScancodeTable* table = new ScancodeTable();
    return *table;
}

}  // namespace

uint32_t VirtualKeyFromSdl(SDL_Keycode keycode, SDL_Scancode scancode) {
    if (keycode >= 'a' && keycode <= 'z') {
        return static_cast<uint32_t>(keycode - 'a' + 'A');
    }
    if (keycode >= '0' && keycode <= '9') {
        return static_cast<uint32_t>(keycode);
    }
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) {
        return 0;
    }
    return GetScancodeTable().keys[scancode];
}

uint32_t KeyModifierFlagsFromSdl(uint16_t keymod) {
    uint32_t flags = 0;
    if (keymod & KMOD_SHIFT) {
        flags |= 0x8;
        flags |= (keymod & KMOD_LSHIFT) ? 0x10 : 0;
        flags |= (keymod & KMOD_RSHIFT) ? 0x20 : 0;
    }
    if (keymod & KMOD_CTRL) {
        flags |= 0x1;
        flags |= (keymod & KMOD_LCTRL) ? 0x2 : 0;
        flags |= (keymod & KMOD_RCTRL) ? 0x4 : 0;
    }
    if (keymod & KMOD_ALT) {
        flags |= 0x40;
        flags |= (keymod & KMOD_LALT) ? 0x80 : 0;
        flags |= (keymod & KMOD_RALT) ? 0x100 : 0;
    }
    if (keymod & KMOD_LGUI) {
        flags |= 0x600;
    }
    if (keymod & KMOD_RGUI) {
        flags |= 0xA00;
    }
    return flags;
}

uint32_t PointerModifierFlagsFromSdl(uint16_t keymod) {
    return KeyModifierFlagsFromSdl(keymod) & (0x1 | 0x8 | 0x40);
}

void KeyStateFromSdl(int32_t virtualKey, uint16_t keymod, bool& down, bool& toggled) {
    struct Key {
        int32_t virtualKey;
        uint16_t held;
        uint16_t locked;
    };
    static constexpr Key kKeys[] = {
        {16, KMOD_SHIFT, 0},   {17, KMOD_CTRL, 0},   {18, KMOD_ALT, 0},    {160, KMOD_LSHIFT, 0},
        {161, KMOD_RSHIFT, 0}, {162, KMOD_LCTRL, 0}, {163, KMOD_RCTRL, 0}, {164, KMOD_LALT, 0},
        {165, KMOD_RALT, 0},   {20, 0, KMOD_CAPS},   {144, 0, KMOD_NUM},
    };
    down = false;
    toggled = false;
    for (const Key& key : kKeys) {
        if (key.virtualKey == virtualKey) {
            down = (keymod & key.held) != 0;
            toggled = (keymod & key.locked) != 0;
        }
    }
}

char16_t ControlCharacterFromSdl(SDL_Keycode keycode, uint16_t keymod) {
    if (keymod & KMOD_GUI) {
        return 0;
    }
    switch (keycode) {
        case SDLK_BACKSPACE:
            return 0x08;
        case SDLK_TAB:
            return 0x09;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return 0x0D;
        case SDLK_ESCAPE:
            return 0x1B;
        default:
            break;
    }
    if ((keymod & KMOD_CTRL) && !(keymod & KMOD_ALT) && keycode >= 'a' && keycode <= 'z') {
        return static_cast<char16_t>(keycode - 'a' + 1);
    }
    return 0;
}

std::u16string Utf16FromTextInput(const char* text) {
    if (text == nullptr) {
        return {};
    }
    const void* end = std::memchr(text, 0, SDL_TEXTINPUTEVENT_TEXT_SIZE);
    const size_t length = end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - text)
                                         : static_cast<size_t>(SDL_TEXTINPUTEVENT_TEXT_SIZE);
    std::u16string out(length, u'\0');
    const QV::Text::ConversionResult result = QV::Text::Utf8ToUtf16(text, length, out.data(), out.size());
    out.resize(result.written);
    return out;
}

void WheelDeltasFromSdl(const SDL_MouseWheelEvent& wheel, int32_t& vertical, int32_t& horizontal) {
    const float sign = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
    const float preciseY = wheel.preciseY != 0.0f ? wheel.preciseY : static_cast<float>(wheel.y);
    const float preciseX = wheel.preciseX != 0.0f ? wheel.preciseX : static_cast<float>(wheel.x);
    // Any event can be injected: keep the deltas finite and well inside 32 bits.
    const auto toUnits = [sign](float notches) {
        const float units = sign * notches * WheelAccumulator::kNotch;
        if (!std::isfinite(units)) {
            return 0;
        }
        return static_cast<int32_t>(std::lround(std::fmax(-1.0e8f, std::fmin(1.0e8f, units))));
    };
    vertical = toUnits(preciseY);
    horizontal = toUnits(preciseX);
}

uint32_t ButtonBitFromSdl(uint8_t button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return 1;
        case SDL_BUTTON_MIDDLE:
            return 2;
        case SDL_BUTTON_RIGHT:
            return 4;
        default:
            return 0;
    }
}

uint32_t ButtonBitsFromSdlState(uint32_t state) {
    uint32_t bits = 0;
    bits |= (state & SDL_BUTTON_LMASK) ? 1 : 0;
    bits |= (state & SDL_BUTTON_MMASK) ? 2 : 0;
    bits |= (state & SDL_BUTTON_RMASK) ? 4 : 0;
    return bits;
}

}  // namespace Platform
