#include "RIZozivirod/ControlBase/StringTable.h"

#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/DocumentFiles.h"

namespace QV {
namespace {

using Entries = Array<LStringTable::Entry>;
using Texts = std::initializer_list<std::pair<const char*, const char*>>;

std::string Ids(const Entries& entries) {
    std::string text;
    for (uint32_t i = 0; i < entries.GetCount(); ++i) {
        text += (i == 0 ? "" : ",") + std::string(entries.GetAt(i).first.ToUTF8().GetString());
    }
    return text;
}

TEST(StringTableTest, LookupIsExactAndSetReportsAddOrReplace) {
    RCPtr<LStringTable> table = LStringTable::Create({{u"ITEM.02 ", u"spaced"}, {u"Label", u"x"}});
    WString text(u"kept");
    EXPECT_FALSE(table->GetString(u"ITEM.02", text));
    EXPECT_FALSE(table->GetString(u"LABEL", text));
    EXPECT_EQ(text, u"kept");
    EXPECT_TRUE(table->GetString(u"ITEM.02 ", text));
    EXPECT_EQ(text, u"spaced");

    EXPECT_EQ(table->SetString(u"NEW", u"a"), S_OK);
    EXPECT_EQ(table->SetString(u"NEW", u"b"), S_FALSE);
    EXPECT_EQ(table->SetString(u"", u"c"), E_INVALIDARG);
    EXPECT_TRUE(table->GetString(u"NEW", text));
    EXPECT_EQ(text, u"b");
}

TEST(StringTableTest, SortedEntriesAndPrefixesFollowOrdinalOrder) {
    RCPtr<LStringTable> table = LStringTable::Create({{u"LHK.b", u"2"},
                                                      {u"lhk.c", u"3"},
                                                      {u"LABEL", u"l"},
                                                      {u"LHKX", u"4"},
                                                      {u"LHK.a", u"1"},
                                                      {u"LH", u"0"}});
    Entries entries;
    entries.Add({u"stale", u"stale"});
    EXPECT_EQ(table->GetSortedEntries(entries), S_OK);
    EXPECT_EQ(Ids(entries), "LABEL,LH,LHK.a,LHK.b,LHKX,lhk.c");
    EXPECT_EQ(table->GetEntriesWithPrefix(u"LHK", entries), S_OK);
    EXPECT_EQ(Ids(entries), "LHK.a,LHK.b,LHKX");
    EXPECT_EQ(entries.GetAt(0).second, u"1");

    EXPECT_EQ(LStringTable::Create()->GetSortedEntries(entries), S_OK);
    EXPECT_EQ(entries.GetCount(), 0u);
}

// One text in several languages, in a table of a string-table document.
std::string Document(const std::string& tableId, Texts texts) {
    std::string xml =
        "<Velkor_StringTable_Definitions><Application Name=\"PresetEditor\">"
        "<StringTable ID=\"" +
        tableId + "\"><String ID=\"TEXT\">";
    for (const auto& [lcid, text] : texts) {
        xml += std::string("<Locale LCID=\"") + lcid + "\">" + text + "</Locale>";
    }
    return xml + "</String></StringTable></Application></Velkor_StringTable_Definitions>";
}

WString Text(const RCPtr<LStringTable>& table) {
    WString text;
    if (table) {
        table->GetString(u"TEXT", text);
    }
    return text;
}

TEST(StringTableTest, LanguageChainOfTheApplicationDocument) {
    const struct {
        int32_t lcid;
        Texts texts;
        const char16_t* expected;
        int32_t effective;
    } cases[] = {
        {0x0407, {{"0x0009", "en"}, {"0x0007", "de"}, {"0x0407", "de-DE"}}, u"de-DE", 0x0407},
        {0x0C07, {{"0x0009", "en"}, {"0x0007", "de"}}, u"de", 0x0007},
        {0x0809, {{"0x0009", "en"}}, u"en", 0x0009},
        {0x0411, {{"0x0009", "en"}, {"0x0007", "de"}}, u"en", 0x0009},
        // Taiwan, Hong Kong and Macao read Chinese Traditional, then English.
        {0x0404, {{"0x0009", "en"}, {"0x7c04", "zh-Hant"}, {"0x0004", "zh"}}, u"zh-Hant", 0x7C04},
        {0x0C04, {{"0x0009", "en"}, {"0x7C04", "zh-Hant"}}, u"zh-Hant", 0x7C04},
        {0x1404, {{"0x0009", "en"}, {"31748", "zh-Hant"}}, u"zh-Hant", 0x7C04},
        {0x0404, {{"0x0009", "en"}, {"0x0004", "zh"}}, u"en", 0x0009},
        // Decimal and hexadecimal LCIDs name the same language.
        {0x0009, {{"9", "nine"}}, u"nine", 0x0009},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lcid);
        Testing::DocumentFiles files;
        const WString app = files.Write("app.xml", Document("|PresetEditor", c.texts));
        // The framework document has the same languages, so it keeps the language chosen.
        const WString framework = files.Write("fw.xml", Document("Framework", c.texts));
        RCPtr<LControlFactory> factory = LControlFactory::Create(u"Other");
        EXPECT_EQ(factory->LoadStringTables(app, framework, c.lcid), S_OK);
        EXPECT_EQ(factory->GetApplicationName(), u"PresetEditor");
        EXPECT_EQ(Text(factory->GetApplicationStringTable()), c.expected);
        EXPECT_EQ(factory->GetWantedLCID(), c.effective);
    }
}

TEST(StringTableTest, FrameworkDocumentFollowsTheApplicationsLanguage) {
    const struct {
        Texts app;
        Texts framework;
        const char16_t* expected;
    } cases[] = {
        // The application's English decides, even where the framework has the user's language.
        {{{"0x0009", "en"}}, {{"0x0009", "fw-en"}, {"0x0007", "fw-de"}}, u"fw-en"},
        {{{"0x0009", "en"}, {"0x0007", "de"}}, {{"0x0009", "fw-en"}, {"0x0007", "fw-de"}}, u"fw-de"},
        {{{"0x0009", "en"}, {"0x0007", "de"}}, {{"0x0009", "fw-en"}}, u"fw-en"},
    };
    for (const auto& c : cases) {
        Testing::DocumentFiles files;
        RCPtr<LControlFactory> factory = LControlFactory::Create(u"PresetEditor");
        EXPECT_EQ(
            factory->LoadStringTables(files.Write("app.xml", Document("|PresetEditor", c.app)),
                                      files.Write("fw.xml", Document("Framework", c.framework)), 0x0407),
            S_OK);
        EXPECT_EQ(Text(factory->GetFrameworkStringTable()), c.expected);
    }
}

TEST(StringTableTest, TableIdsAndCopiesHandedOut) {
    Testing::DocumentFiles files;
    const WString app =
        files.Write("app.xml",
                    "<Doc><Application Name=\"PresetEditor\">"
                    "<StringTable ID=\"PresetEditor.DialogAbout|labelProduct\"><String ID=\"LABEL\">"
                    "<Locale LCID=\"0x0009\">Product</Locale></String></StringTable>"
                    "<StringTable ID=\"PresetEditor|dialogAbout\"><String ID=\"LABEL\"><Locale "
                    "LCID=\"0x0009\">About</Locale>"
                    "</String></StringTable></Application></Doc>");
    const WString missing(u"::NO_SUCH_DOCUMENT");
    RCPtr<LControlFactory> factory = LControlFactory::Create(u"PresetEditor");
    ASSERT_EQ(factory->LoadStringTables(app, missing, 0x0009), S_OK);

    WString text;
    RCPtr<LStringTable> label = factory->GetControlStringTable(u"PresetEditor.DialogAbout", u"labelProduct");
    ASSERT_TRUE(label);
    EXPECT_TRUE(label->GetString(u"LABEL", text));
    EXPECT_EQ(text, u"Product");
    RCPtr<LStringTable> dialog = factory->GetControlStringTable(u"", u"dialogAbout");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->GetString(u"LABEL", text));
    EXPECT_EQ(text, u"About");
    EXPECT_FALSE(factory->GetControlStringTable(u"PresetEditor.Other", u"labelProduct"));
    EXPECT_FALSE(factory->GetFrameworkStringTable());

    // A table handed out is a copy: changing it, or loading more, leaves the other alone.
    label->SetString(u"LABEL", u"changed");
    ASSERT_EQ(factory->LoadStringTables(
                  files.Write("more.xml",
                              "<Doc><StringTable ID=\"PresetEditor.DialogAbout|labelProduct\">"
                              "<String ID=\"TOOLTIP\"><Locale LCID=\"9\">tip</Locale></String>"
                              "</StringTable></Doc>"),
                  missing, 0x0009),
              S_OK);
    EXPECT_FALSE(label->GetString(u"TOOLTIP", text));
    RCPtr<LStringTable> again = factory->GetControlStringTable(u"PresetEditor.DialogAbout", u"labelProduct");
    EXPECT_TRUE(again->GetString(u"LABEL", text));
    EXPECT_EQ(text, u"Product");
    EXPECT_TRUE(again->GetString(u"TOOLTIP", text));
}

TEST(StringTableTest, AControlsTableIdIsTheWholeJoinedId) {
    // Each table's one text is its own id.
    const char* const ids[] = {"P|a", "P|ab",  "P|",          "P|a|b",         "P",
                               "Q|a", "App|x", "P\xC3\xBF|a", "P|\xEF\xBF\xBD"};
    std::string document = "<Doc>";
    for (const char* id : ids) {
        document += std::string("<StringTable ID=\"") + id + "\"><String ID=\"N\"><Locale LCID=\"9\">" + id +
                    "</Locale></String></StringTable>";
    }
    document += "</Doc>";
    Testing::DocumentFiles files;
    RCPtr<LControlFactory> factory = LControlFactory::Create(u"App");
    ASSERT_EQ(factory->LoadStringTables(files.Write("app.xml", document), u"::NONE", 0x0009), S_OK);
    const struct {
        const char16_t* parentClass;
        const char16_t* name;
        const char16_t* expected;  // null: no table
    } cases[] = {
        {u"P", u"a", u"P|a"},
        {u"P", u"ab", u"P|ab"},
        {u"P", u"", u"P|"},
        {u"P|a", u"b", u"P|a|b"},
        {u"P", u"a|b", u"P|a|b"},
        {u"", u"x", u"App|x"},
        {u"P\u00FF", u"a", u"P\u00FF|a"},
        {u"P", u"\uFFFD", u"P|\uFFFD"},
        {u"P", u"abc", nullptr},
        {u"P", u"A", nullptr},
        {u"Q", u"", nullptr},
        {u"", u"", nullptr},
        {u"P|", u"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WString(c.parentClass).ToUTF8().GetString() + std::string(" / ") +
                     WString(c.name).ToUTF8().GetString());
        const RCPtr<LStringTable> table = factory->GetControlStringTable(c.parentClass, c.name);
        ASSERT_EQ(static_cast<bool>(table), c.expected != nullptr);
        if (table) {
            WString text;
            EXPECT_TRUE(table->GetString(u"N", text));
            EXPECT_EQ(text, c.expected);
        }
    }
}

TEST(StringTableTest, MissingDocumentFileRaisesAndMissingResourceAddsNothing) {
    RCPtr<LControlFactory> factory = LControlFactory::Create(u"PresetEditor");
    EXPECT_EQ(factory->LoadStringTables(u"::NONE", u"::NONE.XML", 0x0009), S_OK);
    EXPECT_FALSE(factory->GetApplicationStringTable());
    EXPECT_THROW(factory->LoadStringTables(u"/nonexistent/app.xml", u"::NONE", 0x0009), std::runtime_error);
}

}  // namespace
}  // namespace QV
