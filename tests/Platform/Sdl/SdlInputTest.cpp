#include "Platform/Sdl/SdlInput.h"

#include <gtest/gtest.h>

namespace Platform {
namespace {

TEST(SdlInputTest, VirtualKeysComeFromTheLayoutForLettersAndDigitsAndFromThePositionOtherwise) {
    struct Case {
        SDL_Keycode keycode;
        SDL_Scancode scancode;
        uint32_t virtualKey;
    };
    const Case cases[] = {
        {SDLK_q, SDL_SCANCODE_A, 'Q'},  // a French layout's A key types "q"
        {SDLK_z, SDL_SCANCODE_Z, 'Z'},
        {SDLK_7, SDL_SCANCODE_7, '7'},
        {SDLK_AMPERSAND, SDL_SCANCODE_1, '1'},  // the French digit row
        {0x444, SDL_SCANCODE_A, 'A'},           // a Cyrillic letter
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0x08},
        {SDLK_TAB, SDL_SCANCODE_TAB, 0x09},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 0x0D},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0x0D},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0x1B},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 0x25},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, 0x2E},
        {SDLK_F5, SDL_SCANCODE_F5, 0x74},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 0x10},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, 0x11},
        {SDLK_KP_3, SDL_SCANCODE_KP_3, 0x63},
        {SDLK_MINUS, SDL_SCANCODE_MINUS, 0xBD},
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
        {SDLK_UNKNOWN, static_cast<SDL_Scancode>(SDL_NUM_SCANCODES + 5), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VirtualKeyFromSdl(c.keycode, c.scancode), c.virtualKey) << "keycode " << c.keycode;
    }
}

TEST(SdlInputTest, ModifierFlagsCarrySideBitsForKeysAndNoneForThePointer) {
    struct Case {
        uint16_t keymod;
        uint32_t keyFlags;
        uint32_t pointerFlags;
    };
    const Case cases[] = {
        {KMOD_NONE, 0, 0},
        {KMOD_LSHIFT, 0x18, 0x8},
        {KMOD_RSHIFT, 0x28, 0x8},
        {KMOD_LCTRL | KMOD_RCTRL, 0x7, 0x1},
        {KMOD_RALT, 0x140, 0x40},
        {KMOD_LCTRL | KMOD_LALT, 0xC3, 0x41},
        {KMOD_LGUI, 0x600, 0},
        {KMOD_RGUI, 0xA00, 0},
        {KMOD_NUM | KMOD_CAPS, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyModifierFlagsFromSdl(c.keymod), c.keyFlags) << "keymod " << c.keymod;
        EXPECT_EQ(PointerModifierFlagsFromSdl(c.keymod), c.pointerFlags) << "keymod " << c.keymod;
    }
}

TEST(SdlInputTest, KeyStatesOfModifiersBySideAndOfLockingKeys) {
    struct Case {
        int32_t virtualKey;
        uint16_t keymod;
        bool down;
        bool toggled;
    };
    const Case cases[] = {
        {16, KMOD_RSHIFT, true, false},  {17, KMOD_LCTRL, true, false},   {18, KMOD_RALT, true, false},
        {17, KMOD_LSHIFT, false, false}, {162, KMOD_RCTRL, false, false}, {163, KMOD_RCTRL, true, false},
        {20, KMOD_CAPS, false, true},    {144, KMOD_NUM, false, true},    {20, KMOD_NONE, false, false},
        {'A', KMOD_LCTRL, false, false},
    };
    for (const Case& c : cases) {
        bool down = !c.down;
        bool toggled = !c.toggled;
        KeyStateFromSdl(c.virtualKey, c.keymod, down, toggled);
        EXPECT_EQ(down, c.down) << "key " << c.virtualKey << " keymod " << c.keymod;
        EXPECT_EQ(toggled, c.toggled) << "key " << c.virtualKey << " keymod " << c.keymod;
    }
}

TEST(SdlInputTest, ControlCharactersThatSdlDoesNotTypeAreMadeFromTheKey) {
    struct Case {
        SDL_Keycode keycode;
        uint16_t keymod;
        char16_t character;
    };
    const Case cases[] = {
        {SDLK_BACKSPACE, KMOD_NONE, 0x08},
        {SDLK_TAB, KMOD_LSHIFT, 0x09},
        {SDLK_RETURN, KMOD_NONE, 0x0D},
        {SDLK_KP_ENTER, KMOD_NONE, 0x0D},
        {SDLK_ESCAPE, KMOD_NONE, 0x1B},
        {SDLK_a, KMOD_LCTRL, 0x01},
        {SDLK_z, KMOD_RCTRL, 0x1A},
        {SDLK_c, KMOD_LCTRL | KMOD_LSHIFT, 0x03},
        {SDLK_a, KMOD_NONE, 0},               // typed as text by SDL
        {SDLK_a, KMOD_LCTRL | KMOD_RALT, 0},  // AltGr types, or nothing
        {SDLK_1, KMOD_LCTRL, 0},
        {SDLK_BACKSPACE, KMOD_LGUI, 0},
        {SDLK_F1, KMOD_NONE, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ControlCharacterFromSdl(c.keycode, c.keymod), c.character) << "keycode " << c.keycode;
    }
}

TEST(SdlInputTest, TextInputBecomesUtf16UnitsAndStopsAtMalformedBytes) {
    EXPECT_EQ(Utf16FromTextInput("a"), u"a");
    EXPECT_EQ(Utf16FromTextInput("\xC3\xA9\xE2\x82\xAC"), u"\u00E9\u20AC");
    EXPECT_EQ(Utf16FromTextInput("\xF0\x9F\x98\x80"), u"\xD83D\xDE00");
    EXPECT_EQ(Utf16FromTextInput("ab\xFF"
                                 "cd"),
              u"ab");
    EXPECT_EQ(Utf16FromTextInput(""), u"");
    EXPECT_EQ(Utf16FromTextInput(nullptr), u"");
    // An event's buffer without a terminating zero is read to its size only.
    char full[SDL_TEXTINPUTEVENT_TEXT_SIZE + 8];
    SDL_memset(full, 'x', sizeof(full));
    EXPECT_EQ(Utf16FromTextInput(full).size(), static_cast<size_t>(SDL_TEXTINPUTEVENT_TEXT_SIZE));
}

TEST(SdlInputTest, WheelDeltasAddUpToNotchesPerAxis) {
    WheelAccumulator wheel;
    EXPECT_EQ(wheel.Add(0, 60), 0);
    EXPECT_EQ(wheel.Add(0, 60), 1);
    EXPECT_EQ(wheel.GetRemainder(0), 0);
    EXPECT_EQ(wheel.Add(0, 360), 3);
    EXPECT_EQ(wheel.Add(0, -150), -1);
    EXPECT_EQ(wheel.GetRemainder(0), -30);
    EXPECT_EQ(wheel.Add(1, 100), 0);
    EXPECT_EQ(wheel.GetRemainder(0), -30);
    EXPECT_EQ(wheel.Add(1, 20), 1);

    SDL_MouseWheelEvent event{};
    event.y = 1;
    event.x = -2;
    int32_t vertical = 0;
    int32_t horizontal = 0;
    WheelDeltasFromSdl(event, vertical, horizontal);
    EXPECT_EQ(vertical, 120);
    EXPECT_EQ(horizontal, -240);
    event.preciseY = 0.5f;
    event.direction = SDL_MOUSEWHEEL_FLIPPED;
    WheelDeltasFromSdl(event, vertical, horizontal);
    EXPECT_EQ(vertical, -60);
    event.preciseY = 1e30f;
    WheelDeltasFromSdl(event, vertical, horizontal);
    EXPECT_EQ(vertical, -100000000);
}

TEST(SdlInputTest, ButtonsMapToTheFrameworkBits) {
    EXPECT_EQ(ButtonBitFromSdl(SDL_BUTTON_LEFT), 1u);
    EXPECT_EQ(ButtonBitFromSdl(SDL_BUTTON_MIDDLE), 2u);
    EXPECT_EQ(ButtonBitFromSdl(SDL_BUTTON_RIGHT), 4u);
    EXPECT_EQ(ButtonBitFromSdl(SDL_BUTTON_X1), 0u);
    EXPECT_EQ(ButtonBitsFromSdlState(SDL_BUTTON_LMASK | SDL_BUTTON_RMASK | SDL_BUTTON_X1MASK), 5u);
}

}  // namespace
}  // namespace Platform
