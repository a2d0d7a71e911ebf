#include "RIZozivirod/ControlBase/HotKeyTable.h"

#include "RIZozivirod/ControlBase/StringTable.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace QV {
namespace {

std::string Utf8(const WString& text) {
    return text.ToUTF8().GetString();
}

Array<LHotKeyTable::Entry> Entries(
    std::initializer_list<std::pair<const char16_t*, const char16_t*>> entries) {
    Array<LHotKeyTable::Entry> out;
    for (const auto& [id, text] : entries) {
        out.Add({id, text});
    }
    return out;
}

TEST(HotKeyTableTest, AKeyIsBoundToOneCommandOnly) {
    LHotKeyTable table;
    const KeyCode ctrlC = KeyCode::Parse(u"Ctrl+VKEY_C");
    const KeyCode insert = KeyCode::Parse(u"Ctrl+VKEY_INSERT");
    EXPECT_EQ(table.AddBinding(ctrlC, u"NID_EDIT_COPY_REQ"), S_OK);
    EXPECT_EQ(table.AddBinding(insert, u"NID_EDIT_COPY_REQ"), S_OK);
    EXPECT_EQ(table.AddBinding(ctrlC, u"NID_OTHER_REQ"), E_INVALIDARG);
    EXPECT_EQ(table.AddBinding(ctrlC, u"NID_EDIT_COPY_REQ"), E_INVALIDARG);
    EXPECT_EQ(table.AddBinding(KeyCode::Parse(u"VKEY_F1"), u""), E_INVALIDARG);
    // A character matches whatever Ctrl says, so 'a' with Ctrl is already taken by 'a'.
    EXPECT_EQ(table.AddBinding(KeyCode(u'a', 0), u"NID_A"), S_OK);
    EXPECT_EQ(table.AddBinding(KeyCode(u'a', KeyCode::kCtrl), u"NID_OTHER_REQ"), E_INVALIDARG);

    EXPECT_EQ(Utf8(table.FindCommand(KeyCode(0x43, true, 0, KeyCode::kCtrl | KeyCode::kRightCtrl))),
              "NID_EDIT_COPY_REQ");
    EXPECT_EQ(Utf8(table.FindCommand(KeyCode(u'a', KeyCode::kShift))), "NID_A");
    EXPECT_TRUE(table.FindCommand(KeyCode(0x43, false, 1, KeyCode::kCtrl)).IsEmpty());
    EXPECT_TRUE(table.FindCommand(KeyCode()).IsEmpty());

    const Array<KeyCode> keys = table.GetKeys(u"NID_EDIT_COPY_REQ");
    ASSERT_EQ(keys.GetCount(), 2u);
    EXPECT_EQ(keys.GetAt(0).GetCode(), ctrlC.GetCode());
    EXPECT_EQ(keys.GetAt(1).GetCode(), insert.GetCode());
    EXPECT_EQ(table.GetKeys(u"NID_OTHER_REQ").GetCount(), 0u);
    EXPECT_EQ(table.GetKeys(u"").GetCount(), 0u);

    EXPECT_TRUE(table.HasCommand(u"NID_EDIT_COPY_REQ"));
    EXPECT_FALSE(table.HasCommand(u"NID_OTHER_REQ"));
    EXPECT_FALSE(table.HasCommand(u""));
}

TEST(HotKeyTableTest, LoadsTheEntriesOfItsPrefixFollowedByADot) {
    const Array<LHotKeyTable::Entry> entries = Entries({
        {u"GHK.NID_EDIT_COPY_REQ", u"Ctrl+VKEY_C"},
        {u"GHK.NID_EDIT_PASTE_REQ", u"Ctrl+VKEY_V"},
        {u"GHK.NID_EDIT_PASTE_REQ2", u"ctrl+vkey_v"},  // already bound: passed over
        {u"GHK.SUB.NID_HELP_REQ", u"VKEY_F1"},         // the command follows the last dot
        {u"GHK.NID_EMPTY_REQ", u""},                   // names no key
        {u"GHK.NID_BIG_REQ", u"[65601]"},              // names no character
        {u"GHK.", u"VKEY_F2"},                         // no command
        {u"GHK_WIN.NID_APP_EXIT_REQ", u"Alt+VKEY_F4"},
        {u"GHKX.NID_X_REQ", u"VKEY_F3"},
        {u"LHK.NID_LOCAL_REQ", u"VKEY_F5"},
    });
    struct Case {
        const char16_t* prefix;
        std::vector<std::pair<const char16_t*, const char*>> bound;  // key text, command
        std::vector<const char16_t*> commandsWithout;
    };
    const std::vector<Case> cases = {
        {u"GHK",
         {{u"Ctrl+VKEY_C", "NID_EDIT_COPY_REQ"},
          {u"Ctrl+VKEY_V", "NID_EDIT_PASTE_REQ"},
          {u"VKEY_F1", "NID_HELP_REQ"},
          {u"VKEY_F2", ""},
          {u"VKEY_F3", ""},
          {u"VKEY_F5", ""},
          {u"Alt+VKEY_F4", ""},
          {u"A", ""}},
         {u"NID_EDIT_PASTE_REQ2", u"NID_EMPTY_REQ", u"NID_BIG_REQ", u"NID_APP_EXIT_REQ"}},
        {u"GHK_WIN", {{u"Alt+VKEY_F4", "NID_APP_EXIT_REQ"}, {u"Ctrl+VKEY_C", ""}}, {u"NID_EDIT_COPY_REQ"}},
        {u"LHK", {{u"VKEY_F5", "NID_LOCAL_REQ"}}, {u"NID_X_REQ"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.prefix));
        LHotKeyTable table;
        EXPECT_EQ(table.LoadFromEntries(entries, c.prefix), S_OK);
        for (const auto& [key, command] : c.bound) {
            SCOPED_TRACE(Utf8(key));
            EXPECT_EQ(Utf8(table.FindCommand(KeyCode::Parse(key))), command);
        }
        for (const char16_t* command : c.commandsWithout) {
            EXPECT_FALSE(table.HasCommand(command)) << Utf8(command);
        }
    }
}

TEST(HotKeyTableTest, LoadsFromAStringTable) {
    LHotKeyTable table;
    EXPECT_EQ(table.LoadFromStringTable(nullptr, u"GHK"), E_INVALIDARG);
    const RCPtr<LStringTable> strings = LStringTable::Create({
        {u"GHK.NID_EDIT_COPY_REQ", u"Ctrl+VKEY_C"},
        {u"GHK_WIN.NID_APP_EXIT_REQ", u"Alt+VKEY_F4"},
        {u"GHK.NID_NOTHING_REQ", u""},
        {u"LABEL", u"Copy"},
    });
    EXPECT_EQ(table.LoadFromStringTable(strings, u"GHK"), S_OK);
    EXPECT_EQ(Utf8(table.FindCommand(KeyCode(0x43, true, 0, KeyCode::kCtrl))), "NID_EDIT_COPY_REQ");
    EXPECT_EQ(table.GetKeys(u"NID_EDIT_COPY_REQ").GetAt(0).GetCode(), 0x21430000u);
    EXPECT_FALSE(table.HasCommand(u"NID_APP_EXIT_REQ"));
    EXPECT_FALSE(table.HasCommand(u"NID_NOTHING_REQ"));
    EXPECT_EQ(table.LoadFromStringTable(strings, u"GHK_WIN"), S_OK);
    EXPECT_EQ(Utf8(table.FindCommand(KeyCode::Parse(u"Alt+VKEY_F4"))), "NID_APP_EXIT_REQ");
}

}  // namespace
}  // namespace QV
