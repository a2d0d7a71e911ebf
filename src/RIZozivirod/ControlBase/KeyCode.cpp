#include "RIZozivirod/ControlBase/KeyCode.h"

#include <array>
#include <map>

#include "RIZozivirod/Utilities/Storage/TextFunctions.h"

namespace QV {

namespace {

// Characters are matched whatever Ctrl and Shift say.
constexpr uint32_t kCharacterCompareMask = ~(KeyCode::kCtrlBit | KeyCode::kShiftBit);

struct NamedKey {
    const char16_t* name;
    uint32_t virtualKey;
};

struct KeyDisplayName {
    uint32_t virtualKey;
    const char16_t* text;
};

// Names that are not the "VK_" name of a single key with "VKEY_" in its place, apart from the
// runs of digits, letters, number-pad keys and function keys added below.
constexpr NamedKey kNamedKeys[] = {
    {u"VKEY_BACK", 0x08},
    {u"VKEY_TAB", 0x09},
    {u"VKEY_CLEAR", 0x0C},
    {u"VKEY_RETURN", 0x0D},
    {u"VKEY_SHIFT", 0x10},
    {u"VKEY_CONTROL", 0x11},
    {u"VKEY_MENU", 0x12},
    {u"VKEY_PAUSE", 0x13},
    {u"VKEY_CAPITAL", 0x14},
    {u"VKEY_KANA", 0x15},
    {u"VKEY_HANGEUL", 0x15},
    {u"VKEY_HANGUL", 0x15},
    {u"VKEY_JUNJA", 0x17},
    {u"VKEY_FINAL", 0x18},
    {u"VKEY_HANJA", 0x19},
    {u"VKEY_KANJI", 0x19},
    {u"VKEY_ESCAPE", 0x1B},
    {u"VKEY_CONVERT", 0x1C},
    {u"VKEY_NONCONVERT", 0x1D},
    {u"VKEY_ACCEPT", 0x1E},
    {u"VKEY_MODECHANGE", 0x1F},
    {u"VKEY_SPACE", 0x20},
    {u"VKEY_PAGEUP", 0x21},
    {u"VKEY_PAGEDN", 0x22},
    {u"VKEY_END", 0x23},
    {u"VKEY_HOME", 0x24},
    {u"VKEY_LEFT", 0x25},
    {u"VKEY_UP", 0x26},
    {u"VKEY_RIGHT", 0x27},
    {u"VKEY_DOWN", 0x28},
    {u"VKEY_SELECT", 0x29},
    {u"VKEY_PRINT", 0x2A},
    {u"VKEY_EXECUTE", 0x2B},
    {u"VKEY_SNAPSHOT", 0x2C},
    {u"VKEY_INSERT", 0x2D},
    {u"VKEY_DELETE", 0x2E},
    {u"VKEY_HELP", 0x2F},
    {u"VKEY_LWIN", 0x5B},
    {u"VKEY_RWIN", 0x5C},
    {u"VKEY_APPS", 0x5D},
    {u"VKEY_SLEEP", 0x5F},
    {u"VKEY_MULTIPLY", 0x6A},
    {u"VKEY_ADD", 0x6B},
    {u"VKEY_SEPARATOR", 0x6C},
    {u"VKEY_SUBTRACT", 0x6D},
    {u"VKEY_DECIMAL", 0x6E},
    {u"VKEY_DIVIDE", 0x6F},
    {u"VKEY_NUMLOCK", 0x90},
    {u"VKEY_SCROLL", 0x91},
    {u"VKEY_OEM_NEC_EQUAL", 0x92},
    {u"VKEY_OEM_FJ_JISHO", 0x92},
    {u"VKEY_OEM_FJ_MASSHOU", 0x93},
    {u"VKEY_OEM_FJ_TOUROKU", 0x94},
    {u"VKEY_OEM_FJ_LOYA", 0x95},
    {u"VKEY_OEM_FJ_ROYA", 0x96},
    {u"VKEY_LSHIFT", 0xA0},
    {u"VKEY_RSHIFT", 0xA1},
    {u"VKEY_LCONTROL", 0xA2},
    {u"VKEY_RCONTROL", 0xA3},
    {u"VKEY_LMENU", 0xA4},
    {u"VKEY_RMENU", 0xA5},
    {u"VKEY_BROWSER_BACK", 0xA6},
    {u"VKEY_BROWSER_FORWARD", 0xA7},
    {u"VKEY_BROWSER_REFRESH", 0xA8},
    {u"VKEY_BROWSER_STOP", 0xA9},
    {u"VKEY_BROWSER_SEARCH", 0xAA},
    {u"VKEY_BROWSER_FAVORITES", 0xAB},
    {u"VKEY_BROWSER_HOME", 0xAC},
    {u"VKEY_VOLUME_MUTE", 0xAD},
    {u"VKEY_VOLUME_DOWN", 0xAE},
    {u"VKEY_VOLUME_UP", 0xAF},
    {u"VKEY_MEDIA_NEXT_TRACK", 0xB0},
    {u"VKEY_MEDIA_PREV_TRACK", 0xB1},
    {u"VKEY_MEDIA_STOP", 0xB2},
    {u"VKEY_MEDIA_PLAY_PAUSE", 0xB3},
    {u"VKEY_LAUNCH_MAIL", 0xB4},
    {u"VKEY_LAUNCH_MEDIA_SELECT", 0xB5},
    {u"VKEY_LAUNCH_APP1", 0xB6},
    {u"VKEY_LAUNCH_APP2", 0xB7},
};

// Backspace and Tab have none.
constexpr KeyDisplayName kDisplayNames[] = {
    {0x0C, u"Clear"},
    {0x0D, u"Return"},
    {0x10, u"Shift"},
    {0x11, u"Control"},
    {0x12, u"Menu"},
    {0x13, u"Pause"},
    {0x14, u"Capital"},
    {0x15, u"Kana"},
    {0x17, u"Junja"},
    {0x18, u"Final"},
    {0x19, u"Hanja"},
    {0x1B, u"Escape"},
    {0x1C, u"Convert"},
    {0x1D, u"Non-convert"},
    {0x1E, u"Accept"},
    {0x1F, u"Mode Change"},
    {0x20, u"Space"},
    {0x21, u"Page Up"},
    {0x22, u"Page Down"},
    {0x23, u"End"},
    {0x24, u"Home"},
    {0x25, u"Left Arrow"},
    {0x26, u"Up Arrow"},
    {0x27, u"Right Arrow"},
    {0x28, u"Down Arrow"},
    {0x29, u"Select"},
    {0x2A, u"Print"},
    {0x2B, u"Execute"},
    {0x2C, u"Snapshot"},
    {0x2D, u"Insert"},
    {0x2E, u"Del"},
    {0x2F, u"Help"},
    {0x5B, u"Left Win"},
    {0x5C, u"Right Win"},
    {0x5D, u"Apps"},
    {0x5F, u"Sleep"},
    {0x6A, u"*"},
    {0x6B, u"+"},
    {0x6C, u"Separator"},
    {0x6D, u"-"},
    {0x6E, u"."},
    {0x6F, u"/"},
    {0x90, u"Numlock"},
    {0x91, u"Scroll"},
    {0x92, u"NEC Equal"},
    {0x93, u"Masshou"},
    {0x94, u"Touroku"},
    {0x95, u"Loya"},
    {0x96, u"Roya"},
    {0xA0, u"Left Shift"},
    {0xA1, u"Right Shift"},
    {0xA2, u"Left Control"},
    {0xA3, u"Right Control"},
    {0xA4, u"Left Menu"},
    {0xA5, u"Right Menu"},
    {0xA6, u"Browser Back"},
    {0xA7, u"Browser Forward"},
    {0xA8, u"Browser Refresh"},
    {0xA9, u"Browser Stop"},
    {0xAA, u"Browser Search"},
    {0xAB, u"Browser Favorites"},
    {0xAC, u"Browser Home"},
    {0xAD, u"Volume Mute"},
    {0xAE, u"Volume Down"},
    {0xAF, u"Volume Up"},
    {0xB0, u"Media Next Track"},
    {0xB1, u"Media Prev Track"},
    {0xB2, u"Media Stop"},
    {0xB3, u"Media Play Pause"},
    {0xB4, u"Launch Mail"},
    {0xB5, u"Launch Media Select"},
    {0xB6, u"Launch App 1"},
    {0xB7, u"Launch App 2"},
};

struct KeyNameTables {
    std::map<WString, uint32_t> virtualKeys;
    std::array<WString, 256> displayNames;
};

KeyNameTables BuildTables() {
    KeyNameTables tables;
    for (const NamedKey& key : kNamedKeys) {
        tables.virtualKeys.emplace(WString(key.name), key.virtualKey);
    }
    for (const KeyDisplayName& key : kDisplayNames) {
        tables.displayNames[key.virtualKey] = WString(key.text);
    }
    const auto addRun = [&tables](const WString& prefix, WChar first, WChar last, uint32_t firstKey,
                                  const WString& displayPrefix) {
        for (WChar c = first; c <= last; ++c) {
            const uint32_t virtualKey = firstKey + (c - first);
            tables.virtualKeys.emplace(prefix + WString(c), virtualKey);
            tables.displayNames[virtualKey] = displayPrefix + WString(c);
        }
    };
    addRun(u"VKEY_", u'0', u'9', 0x30, u"");
    addRun(u"VKEY_", u'A', u'Z', 0x41, u"");
    addRun(u"VKEY_NUMPAD", u'0', u'9', 0x60, u"Numpad ");
    for (uint32_t n = 1; n <= 24; ++n) {
        const WString number = WString::FromUInt(n);
        tables.virtualKeys.emplace(WString(u"VKEY_F") + number, 0x6F + n);
        tables.displayNames[0x6F + n] = WString(u"F") + number;
    }
    return tables;
}

// Built on the first lookup of either kind; never destroyed.
const KeyNameTables& Tables() {
    static const KeyNameTables* tables = new KeyNameTables(BuildTables());
    return *tables;
}

}  // namespace

KeyCode::KeyCode(uint32_t virtualKey, bool down, uint8_t value, uint32_t modifierFlags)
    : mCode(((virtualKey & 0xFF) << 16) | (down ? kDownBit : 0) | ModifierBits(modifierFlags)),
      mSideBits(GetSideBits(modifierFlags)),
      mValue(value) {}

KeyCode::KeyCode(WChar character, uint32_t modifierFlags)
    : mCode(character | ModifierBits(modifierFlags)), mSideBits(GetSideBits(modifierFlags)) {}

uint32_t KeyCode::ModifierBits(uint32_t modifierFlags) {
    uint32_t bits = 0;
    if ((modifierFlags & kCtrl) != 0) {
        bits |= kCtrlBit;
    }
    if ((modifierFlags & kShift) != 0) {
        bits |= kShiftBit;
    }
    if ((modifierFlags & kAlt) != 0) {
        bits |= kAltBit;
    }
    if ((modifierFlags & kCmd) != 0) {
        bits |= kCmdBit;
    }
    if ((modifierFlags & kExtra) != 0) {
        bits |= kExtraBit;
    }
    return bits;
}

uint32_t KeyCode::GetSideBits(uint32_t modifierFlags) {
    struct Side {
        uint32_t flags;
        uint32_t bit;
    };
    static constexpr Side kSides[] = {
        {kShift | kLeftShift, 0x01}, {kShift | kRightShift, 0x02}, {kCtrl | kLeftCtrl, 0x04},
        {kCtrl | kRightCtrl, 0x08},  {kAlt | kLeftAlt, 0x10},      {kAlt | kRightAlt, 0x20},
        {kCmd | kLeftCmd, 0x40},     {kCmd | kRightCmd, 0x80},
    };
    uint32_t bits = 0;
    for (const Side& side : kSides) {
        if ((modifierFlags & side.flags) == side.flags) {
            bits |= side.bit;
        }
    }
    return bits;
}

KeyCode KeyCode::Parse(const WString& text) {
    // An empty text names no key: there is no last character to take.
    if (text.IsEmpty()) {
        return KeyCode();
    }
    const WString upper = text.ToUpper();
    uint32_t flags = 0;
    if (upper.Find(u"CTRL") >= 0) {
        flags |= kCtrl;
    }
    if (upper.Find(u"ALT") >= 0) {
        flags |= kAlt;
    }
    if (upper.Find(u"SHIFT") >= 0) {
        flags |= kShift;
    }
    if (upper.Find(u"COMMAND") >= 0) {
        flags |= kCmd;
    }

    KeyCode result;
    result.mCode = kDownBit;
    const int32_t name = upper.Find(u"VKEY_");
    if (name >= 0) {
        result.mCode |= (GetVirtualKeyFromName(upper.Mid(name)) << 16) | ModifierBits(flags);
        result.mSideBits = GetSideBits(flags);
        return result;
    }
    // Characters match whatever Ctrl and Shift say, so only Alt is kept.
    const uint32_t characterFlags = flags & kAlt;
    const int32_t open = upper.Find(u"[");
    if (open < 0) {
        return KeyCode(text.GetString()[text.GetLength() - 1], characterFlags);
    }
    const int32_t close = upper.Find(u"]", open + 1);
    if (close < 0) {
        return result;
    }
    const int32_t number = Text::ToInt(upper.Mid(open + 1, close - open - 1).GetString());
    // A number that is no UTF-16 unit names no character.
    if (number < 0 || number > 0xFFFF) {
        return KeyCode();
    }
    return KeyCode(static_cast<WChar>(number), characterFlags);
}

bool KeyCode::operator==(const KeyCode& other) const {
    if (((mCode | other.mCode) & (kVirtualKeyMask | kNoKeyBit)) == 0) {
        return (mCode & kCharacterCompareMask) == (other.mCode & kCharacterCompareMask);
    }
    return mCode == other.mCode;
}

bool KeyCode::IsVirtualKey() const {
    return GetVirtualKey() != 0 && IsValid() && (mCode & kDownBit) != 0;
}

WString KeyCode::ToString() const {
    WString text;
    if ((mCode & kCtrlBit) != 0) {
        text += u"Ctrl+";
    }
    if ((mCode & kAltBit) != 0) {
        text += u"Alt+";
    }
    if ((mCode & kShiftBit) != 0) {
        text += u"Shift+";
    }
    if ((mCode & kCmdBit) != 0) {
        text += u"Cmd+";
    }
    if (!IsValid()) {
        return text;
    }
    const uint32_t virtualKey = GetVirtualKey();
    if (virtualKey != 0) {
        text += GetVirtualKeyDisplayName(virtualKey);
        return text;
    }
    const WChar character = GetCharacter();
    if (character >= 1 && character <= 26) {
        text += u"Ctrl+";
        text += static_cast<WChar>(character + 64);
    } else if (character >= 33 && character <= 126) {
        text += character;
    }
    return text;
}

uint32_t GetVirtualKeyFromName(const WString& name) {
    const auto& names = Tables().virtualKeys;
    const auto found = names.find(name);
    return found == names.end() ? 0 : found->second;
}

WString GetVirtualKeyDisplayName(uint32_t virtualKey) {
    if (virtualKey > 0xFF) {
        return WString();
    }
    return Tables().displayNames[virtualKey];
}

}  // namespace QV
