#pragma once

#include <cstdint>

#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

// One key event, typed character or hot key. The code holds a UTF-16 character (bits 0 to 15,
// character codes) or a Windows virtual-key code (bits 16 to 23, key codes), the modifiers
// Ctrl, Shift, Alt, Cmd and the extra one (bits 24 to 28), bit 29 for key-down events and
// parsed hot keys; a code with bit 31 set is no key at all. The side bits tell left from right
// modifier keys; the value is 1 for a key that was already down before its event.
class KeyCode {
public:
    // Modifier flags, the input of the constructors. A side flag always comes with its general
    // flag (left Shift is kShift | kLeftShift).
    static constexpr uint32_t kCtrl = 0x1;
    static constexpr uint32_t kLeftCtrl = 0x2;
    static constexpr uint32_t kRightCtrl = 0x4;
    static constexpr uint32_t kShift = 0x8;
    static constexpr uint32_t kLeftShift = 0x10;
    static constexpr uint32_t kRightShift = 0x20;
    static constexpr uint32_t kAlt = 0x40;
    static constexpr uint32_t kLeftAlt = 0x80;
    static constexpr uint32_t kRightAlt = 0x100;
    static constexpr uint32_t kCmd = 0x200;
    static constexpr uint32_t kLeftCmd = 0x400;
    static constexpr uint32_t kRightCmd = 0x800;
    static constexpr uint32_t kExtra = 0x1000;

    // Bits of the code.
    static constexpr uint32_t kCharacterMask = 0x0000FFFF;
    static constexpr uint32_t kVirtualKeyMask = 0x00FF0000;
    static constexpr uint32_t kCtrlBit = 0x01000000;
    static constexpr uint32_t kShiftBit = 0x02000000;
    static constexpr uint32_t kAltBit = 0x04000000;
    static constexpr uint32_t kCmdBit = 0x08000000;
    static constexpr uint32_t kExtraBit = 0x10000000;
    static constexpr uint32_t kDownBit = 0x20000000;
    static constexpr uint32_t kNoKeyBit = 0x80000000;

    // No key (bit 31).
    KeyCode() = default;
    // A key event.
    KeyCode(uint32_t virtualKey, bool down, uint8_t value, uint32_t modifierFlags);
    // A typed character.
    KeyCode(WChar character, uint32_t modifierFlags);

    // A hot-key text such as "Ctrl+VKEY_C", "Alt+x" or "[65]". Texts that name no key (an empty
    // text, a character number outside UTF-16 units) give no key.
    static KeyCode Parse(const WString& text);
    // The side bits of modifier flags.
    static uint32_t GetSideBits(uint32_t modifierFlags);

    // Characters match whatever Ctrl and Shift say; every other code must be identical. Side
    // bits and value are not compared.
    bool operator==(const KeyCode& other) const;
    bool operator!=(const KeyCode& other) const { return !(*this == other); }

    bool IsValid() const { return (mCode & kNoKeyBit) == 0; }
    // A key-down or parsed code of a virtual key.
    bool IsVirtualKey() const;
    uint32_t GetCode() const { return mCode; }
    uint32_t GetSideBits() const { return mSideBits; }
    uint8_t GetValue() const { return mValue; }
    uint32_t GetVirtualKey() const { return (mCode & kVirtualKeyMask) >> 16; }
    WChar GetCharacter() const { return static_cast<WChar>(mCode & kCharacterMask); }

    // The display text: "Ctrl+", "Alt+", "Shift+", "Cmd+" as set, then the key's name.
    WString ToString() const;

private:
    static uint32_t ModifierBits(uint32_t modifierFlags);

    uint32_t mCode = kNoKeyBit;
    uint32_t mSideBits = 0;
    uint8_t mValue = 0;
};

// The virtual key of a "VKEY_" name (exact match), 0 for an unknown name.
uint32_t GetVirtualKeyFromName(const WString& name);
// The display text of a virtual key, empty when it has none.
WString GetVirtualKeyDisplayName(uint32_t virtualKey);

}  // namespace QV
