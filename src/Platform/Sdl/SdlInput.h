#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "Platform/Desktop/WheelAccumulator.h"

// How SDL's keyboard and pointer events read as the framework's input: Windows virtual-key
// numbers, modifier flags with side bits (the key code's flags: Ctrl 0x1, Shift 0x8, Alt 0x40,
// Cmd 0x200, each with its left and right bits), typed text as UTF-16 units, and wheel turns in
// notches of 120.
namespace Platform {

// The virtual key of a key: letters and digits from the layout-aware key code (so a French
// layout's "A" key is VK 'A'), every other key from its position (scan code). 0 for a key
// without one.
uint32_t VirtualKeyFromSdl(SDL_Keycode keycode, SDL_Scancode scancode);

// Modifier flags of a keyboard state, side bits included; the left Windows key is 0x600, the
// right one 0xA00.
uint32_t KeyModifierFlagsFromSdl(uint16_t keymod);
// The flags pointer events and typed characters carry: Ctrl 0x1, Shift 0x8, Alt 0x40 only.
uint32_t PointerModifierFlagsFromSdl(uint16_t keymod);

// Whether the key of a Windows virtual-key number is down in a keyboard state, and whether a
// locking key (Caps Lock 20, Num Lock 144) is on: Shift 16, Ctrl 17 and Alt 18 with their left
// and right keys (160 to 165). False for every other key.
void KeyStateFromSdl(int32_t virtualKey, uint16_t keymod, bool& down, bool& toggled);

// The control character a key press types that SDL does not send as text: Backspace 0x08, Tab
// 0x09, Enter 0x0D, Escape 0x1B, and Ctrl+letter 0x01 to 0x1A (not with Alt, which types
// nothing). 0 for any other key, and while a Windows key is down.
char16_t ControlCharacterFromSdl(SDL_Keycode keycode, uint16_t keymod);

// The UTF-16 units of SDL's UTF-8 text input (at most SDL_TEXTINPUTEVENT_TEXT_SIZE bytes, ending
// at the first zero); a malformed sequence ends the text.
std::u16string Utf16FromTextInput(const char* text);

// The deltas of an SDL wheel event, vertical and horizontal, in units of 120 a notch
// (WheelAccumulator): the precise amounts when SDL has them, flipped wheels turned back.
void WheelDeltasFromSdl(const SDL_MouseWheelEvent& wheel, int32_t& vertical, int32_t& horizontal);

// The framework's button bit (1 left, 2 middle, 4 right) of an SDL button; 0 for others.
uint32_t ButtonBitFromSdl(uint8_t button);
// The held buttons of an SDL button state mask.
uint32_t ButtonBitsFromSdlState(uint32_t state);

}  // namespace Platform
