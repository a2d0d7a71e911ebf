#include "RIZozivirod/ControlBase/KeyCode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QV {
namespace {

std::string Utf8(const WString& text) {
    return text.ToUTF8().GetString();
}

TEST(KeyCodeTest, ConstructorsSetCodeSideBitsAndValue) {
    struct Case {
        KeyCode key;
        uint32_t code;
        uint32_t sideBits;
        uint8_t value;
    };
    const std::vector<Case> cases = {
        {KeyCode(0x43, true, 0, KeyCode::kCtrl | KeyCode::kLeftCtrl), 0x21430000, 0x04, 0},
        {KeyCode(0x43, false, 1, KeyCode::kCtrl), 0x01430000, 0, 1},
        {KeyCode(0x143, true, 1, 0), 0x20430000, 0, 1},  // only the low byte is a virtual key
        {KeyCode(0x41, true, 0, KeyCode::kShift | KeyCode::kRightShift | KeyCode::kAlt | KeyCode::kLeftAlt),
         0x26410000, 0x12, 0},
        {KeyCode(0x70, true, 0, KeyCode::kCmd | KeyCode::kRightCmd | KeyCode::kExtra | KeyCode::kRightCtrl),
         0x38700000, 0x80, 0},  // a side flag without its general flag is no side
        {KeyCode(u'a', KeyCode::kCtrl | KeyCode::kRightCtrl), 0x01000061, 0x08, 0},
        {KeyCode(u'\u00e9', KeyCode::kShift | KeyCode::kLeftShift | KeyCode::kCmd | KeyCode::kLeftCmd),
         0x0A0000E9, 0x41, 0},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].key.GetCode(), cases[i].code);
        EXPECT_EQ(cases[i].key.GetSideBits(), cases[i].sideBits);
        EXPECT_EQ(cases[i].key.GetValue(), cases[i].value);
        EXPECT_TRUE(cases[i].key.IsValid());
    }
    EXPECT_FALSE(KeyCode().IsValid());
}

TEST(KeyCodeTest, ParseHotKeyTexts) {
    struct Case {
        const char16_t* text;
        uint32_t code;
    };
    const std::vector<Case> cases = {
        {u"Ctrl+VKEY_C", 0x21430000},
        {u"ctrl-vkey_c", 0x21430000},
        {u"Shift+Ctrl+VKEY_S", 0x23530000},
        {u"Alt+Command+VKEY_F24", 0x2C870000},
        {u"VKEY_PAGEDN", 0x20220000},
        {u"Ctrl+VKEY_NOSUCHKEY", 0x21000000},  // unknown name: modifiers alone, still a key
        {u"Ctrl+VKEY_C ", 0x21000000},         // the name runs to the end of the text
        {u"x", 0x78},
        {u"Ctrl+Shift+x", 0x78},  // characters keep Alt only
        {u"Alt+x", 0x04000078},
        {u"Ctrl++", 0x2B},
        {u"[65]", 0x41},
        {u"Alt+[ 97]", 0x04000061},
        {u"[65", 0x20000000},  // no closing bracket: the starting code
        {u"[65535]", 0xFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.text));
        const KeyCode key = KeyCode::Parse(c.text);
        EXPECT_EQ(key.GetCode(), c.code);
        EXPECT_EQ(key.GetSideBits(), 0u);
        EXPECT_EQ(key.GetValue(), 0);
    }
    // Texts that name no key give no key, so nothing gets bound to them.
    for (const char16_t* text : {u"", u"[65536]", u"[65601]", u"[-1]", u"Alt+[99999999999]"}) {
        SCOPED_TRACE(Utf8(text));
        EXPECT_FALSE(KeyCode::Parse(text).IsValid());
    }
}

TEST(KeyCodeTest, EqualityIgnoresCtrlAndShiftOfCharactersOnly) {
    const KeyCode ctrlC = KeyCode::Parse(u"Ctrl+VKEY_C");
    struct Case {
        KeyCode a;
        KeyCode b;
        bool equal;
    };
    const std::vector<Case> cases = {
        {ctrlC, KeyCode(0x43, true, 1, KeyCode::kCtrl | KeyCode::kLeftCtrl), true},  // side, value ignored
        {ctrlC, KeyCode(0x43, false, 1, KeyCode::kCtrl), false},                     // key-up
        {ctrlC, KeyCode(0x43, true, 0, KeyCode::kCtrl | KeyCode::kShift), false},
        {ctrlC, KeyCode(0x43, true, 0, 0), false},
        {KeyCode(u'a', KeyCode::kCtrl), KeyCode(u'a', 0), true},
        {KeyCode(u'a', KeyCode::kShift), KeyCode::Parse(u"a"), true},
        {KeyCode(u'a', KeyCode::kAlt), KeyCode(u'a', 0), false},
        {KeyCode(u'a', KeyCode::kCmd), KeyCode(u'a', 0), false},
        {KeyCode(u'a', 0), KeyCode(u'b', 0), false},
        {KeyCode(), KeyCode(), true},
        {KeyCode(), KeyCode(u'\0', 0), false},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].a == cases[i].b, cases[i].equal);
        EXPECT_EQ(cases[i].b == cases[i].a, cases[i].equal);
        EXPECT_EQ(cases[i].a != cases[i].b, !cases[i].equal);
    }
}

TEST(KeyCodeTest, IsVirtualKeyNeedsAKeyDownOrParsedVirtualKey) {
    EXPECT_TRUE(KeyCode::Parse(u"VKEY_DELETE").IsVirtualKey());
    EXPECT_TRUE(KeyCode(0x2E, true, 0, 0).IsVirtualKey());
    EXPECT_FALSE(KeyCode(0x2E, false, 1, 0).IsVirtualKey());
    EXPECT_FALSE(KeyCode::Parse(u"VKEY_NOSUCHKEY").IsVirtualKey());
    EXPECT_FALSE(KeyCode(u'x', 0).IsVirtualKey());
    EXPECT_FALSE(KeyCode().IsVirtualKey());
}

TEST(KeyCodeTest, DisplayTexts) {
    struct Case {
        KeyCode key;
        const char* text;
    };
    const std::vector<Case> cases = {
        {KeyCode::Parse(u"Shift+Ctrl+VKEY_S"), "Ctrl+Shift+S"},
        {KeyCode::Parse(u"Command+Shift+Alt+Ctrl+VKEY_F12"), "Ctrl+Alt+Shift+Cmd+F12"},
        {KeyCode::Parse(u"VKEY_DELETE"), "Del"},
        {KeyCode::Parse(u"Ctrl+VKEY_TAB"), "Ctrl+"},  // Tab has no display text
        {KeyCode::Parse(u"VKEY_NUMPAD7"), "Numpad 7"},
        {KeyCode::Parse(u"VKEY_7"), "7"},
        {KeyCode(u'\x03', 0), "Ctrl+C"},
        {KeyCode(u'\x1a', 0), "Ctrl+Z"},
        {KeyCode(u'~', KeyCode::kAlt), "Alt+~"},
        {KeyCode(u' ', 0), ""},
        {KeyCode(u'\u00e9', 0), ""},
        {KeyCode(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Utf8(c.key.ToString()), c.text);
    }
}

TEST(KeyCodeTest, NameTables) {
    struct Case {
        const char16_t* name;
        uint32_t virtualKey;
        const char* display;
    };
    const std::vector<Case> cases = {
        {u"VKEY_BACK", 0x08, ""},
        {u"VKEY_CLEAR", 0x0C, "Clear"},
        {u"VKEY_KANA", 0x15, "Kana"},
        {u"VKEY_HANGEUL", 0x15, "Kana"},
        {u"VKEY_HANGUL", 0x15, "Kana"},
        {u"VKEY_KANJI", 0x19, "Hanja"},
        {u"VKEY_NONCONVERT", 0x1D, "Non-convert"},
        {u"VKEY_PAGEUP", 0x21, "Page Up"},
        {u"VKEY_PAGEDN", 0x22, "Page Down"},
        {u"VKEY_0", 0x30, "0"},
        {u"VKEY_Z", 0x5A, "Z"},
        {u"VKEY_SLEEP", 0x5F, "Sleep"},
        {u"VKEY_NUMPAD9", 0x69, "Numpad 9"},
        {u"VKEY_DIVIDE", 0x6F, "/"},
        {u"VKEY_F1", 0x70, "F1"},
        {u"VKEY_F24", 0x87, "F24"},
        {u"VKEY_OEM_FJ_JISHO", 0x92, "NEC Equal"},
        {u"VKEY_OEM_FJ_ROYA", 0x96, "Roya"},
        {u"VKEY_RMENU", 0xA5, "Right Menu"},
        {u"VKEY_LAUNCH_APP2", 0xB7, "Launch App 2"},
        {u"VKEY_PRIOR", 0, ""},
        {u"VKEY_F25", 0, ""},
        {u"vkey_a", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.name));
        EXPECT_EQ(GetVirtualKeyFromName(c.name), c.virtualKey);
        if (c.virtualKey != 0) {
            EXPECT_EQ(Utf8(GetVirtualKeyDisplayName(c.virtualKey)), c.display);
        }
    }
    EXPECT_TRUE(GetVirtualKeyDisplayName(0x09).IsEmpty());
    EXPECT_TRUE(GetVirtualKeyDisplayName(0x100).IsEmpty());
}

}  // namespace
}  // namespace QV
