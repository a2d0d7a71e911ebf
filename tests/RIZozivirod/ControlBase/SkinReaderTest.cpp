// The control factory's XML reader: value types, the string-table elements, failures.
#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/DocumentFiles.h"

namespace QV {
namespace {

TEST(SkinReaderTest, AttributeValueTypes) {
    const LControlFactory::AttributeList attributes{{u"A", u"True"}};
    bool flag = true;
    EXPECT_FALSE(LControlFactory::GetBoolAttribute(attributes, u"a", flag));
    EXPECT_TRUE(flag);  // absent: unchanged

    const struct {
        const char16_t* text;
        bool expected;
    } bools[] = {{u"True", true},   {u"true", false}, {u"TRUE", false},
                 {u"False", false}, {u"1", false},    {u"", false}};
    for (const auto& c : bools) {
        bool value = !c.expected;
        EXPECT_TRUE(LControlFactory::GetBoolAttribute({{u"B", c.text}}, u"B", value));
        EXPECT_EQ(value, c.expected) << WString(c.text).ToUTF8().GetString();
    }

    const struct {
        const char16_t* text;
        int32_t expected;
    } ints[] = {
        {u"0x7c04", 31748},
        {u"0x7C04", 31748},
        {u"0X10", 0},
        {u"0x12345", 0x1234},
        {u"0x0009", 9},
        {u"0x", 0},
        {u"0xg1", 0},
        {u"0x1g", 1},
        {u"9", 9},
        {u"  -12px", -12},
        {u"abc", 0},
        {u"99999999999", INT32_MAX},
        {u"-99999999999", INT32_MIN},
    };
    for (const auto& c : ints) {
        EXPECT_EQ(LControlFactory::ParseIntOrHex(c.text), c.expected) << WString(c.text).ToUTF8().GetString();
    }

    const struct {
        const char16_t* text;
        float expected;
    } floats[] = {
        {u"0.5", 0.5f}, {u"-1.25e1", -12.5f}, {u"1,5", 1.0f},      {u"abc", 0.0f},        {u"", 0.0f},
        {u"nan", 0.0f}, {u"-inf", 0.0f},      {u"1e999", FLT_MAX}, {u"-1e999", -FLT_MAX}, {u"1e300", FLT_MAX},
    };
    for (const auto& c : floats) {
        EXPECT_EQ(LControlFactory::ParseFloat(c.text), c.expected) << WString(c.text).ToUTF8().GetString();
    }
}

TEST(SkinReaderTest, AttributeNamesMatchWholeAndExactly) {
    // Values longer than the reader's on-stack conversion still arrive whole.
    const std::u16string longText = std::u16string(300, u'x') + u"\u00e9";
    const std::u16string longNumber = std::u16string(100, u' ') + u"-42";
    const LControlFactory::AttributeList attributes{
        {u"Width", u"1"},          {u"WidthX", u"2"},           {u"Gr\u00fc\u00dfe", u"\u00e4\U0001F600"},
        {u"\U0001F600", u"smile"}, {u"Long", longText.c_str()}, {u"Number", longNumber.c_str()},
        {u"Width", u"3"},
    };
    const struct {
        const char16_t* name;
        const char16_t* expected;  // null: absent
    } cases[] = {
        {u"Width", u"1"},  // the first of two equal names
        {u"WidthX", u"2"},
        {u"Widt", nullptr},
        {u"width", nullptr},
        {u"Gr\u00fc\u00dfe", u"\u00e4\U0001F600"},
        {u"Grusse", nullptr},
        {u"\U0001F600", u"smile"},
        {u"\xD83D", nullptr},  // half of the pair
        {u"Long", longText.c_str()},
        {u"", nullptr},
    };
    for (const auto& c : cases) {
        WString value(u"<unchanged>");
        EXPECT_EQ(LControlFactory::GetAttribute(attributes, c.name, value), c.expected != nullptr)
            << WString(c.name).ToUTF8().GetString();
        EXPECT_EQ(value, c.expected != nullptr ? c.expected : u"<unchanged>")
            << WString(c.name).ToUTF8().GetString();
    }
    int32_t number = 0;
    EXPECT_TRUE(LControlFactory::GetIntAttribute(attributes, u"Number", number));
    EXPECT_EQ(number, -42);
    EXPECT_TRUE(LControlFactory::GetDecimalAttribute(attributes, u"Width", number));
    EXPECT_EQ(number, 1);
    float factor = 0.0f;
    EXPECT_FALSE(LControlFactory::GetFloatAttribute(attributes, u"Factor", factor));
}

class StringDocumentTest : public ::testing::Test {
protected:
    // Reads one string-table document in English.
    void Load(const std::string& xml) {
        ASSERT_EQ(factory->LoadStringTables(files.Write("app.xml", xml), u"::NONE", 0x0009), S_OK);
    }
    WString Get(const char16_t* table, const char16_t* id) {
        WString text(u"<none>");
        RCPtr<LStringTable> found = factory->GetStringTable(table);
        if (found) {
            found->GetString(id, text);
        }
        return text;
    }

    Testing::DocumentFiles files;
    RCPtr<LControlFactory> factory = LControlFactory::Create(u"App");
};

TEST_F(StringDocumentTest, TextsMergeAndRunOnAsTheDocumentSays) {
    Load(R"(<StringTable ID="root">
  <Unknown><StringTable ID="T"><String ID="A"><Locale LCID="0x0009"> one </Locale></String>
    <String><Locale LCID="9">+more</Locale><Locale LCID="0x0007">nicht</Locale></String>
    <String ID="B"><Locale LCID="0x0009">b1</Locale><Locale LCID="0x0009">b2</Locale></String>
  </StringTable></Unknown>
  <StringTable ID="T"><String ID="C"><Locale LCID="0x0009">c&amp;&#x263A;</Locale></String></StringTable>
</StringTable>)");
    // The document element is never read, whatever its name.
    EXPECT_FALSE(factory->GetStringTable(u"root"));
    // A String without ID continues the one before; repeated matches join; tables of one ID merge.
    EXPECT_EQ(Get(u"T", u"A"), u" one +more");
    EXPECT_EQ(Get(u"T", u"B"), u"b1b2");
    EXPECT_EQ(Get(u"T", u"C"), u"c&\u263A");
    EXPECT_EQ(factory->GetReaderWarnings().GetCount(), 1u);  // the unknown element
}

TEST_F(StringDocumentTest, MalformedDocumentsKeepWhatWasReadBeforeTheError) {
    Load(
        "<Doc>\n<StringTable ID=\"T\"><String ID=\"A\"><Locale LCID=\"9\">a</Locale></String>\n"
        "<String ID=\"B\"><Locale LCID=\"9\">b</Locale></Strin>\n</StringTable></Doc>");
    EXPECT_EQ(Get(u"T", u"A"), u"a");
    EXPECT_EQ(Get(u"T", u"B"), u"b");
    EXPECT_EQ(factory->GetLastErrorText(), u"mismatched tag");
    EXPECT_EQ(factory->GetLastErrorLine(), 3);

    const struct {
        const char* document;
        const char16_t* error;
    } cases[] = {
        {"", u"no element found"},
        {"   ", u"no element found"},
        {"<Doc><a></Doc>", u"mismatched tag"},
        {"<Doc>\xff</Doc>", u"not well-formed (invalid token)"},
    };
    for (const auto& c : cases) {
        RCPtr<LControlFactory> fresh = LControlFactory::Create(u"App");
        EXPECT_EQ(fresh->ParseXml(c.document, static_cast<int32_t>(std::string(c.document).size())), E_FAIL);
        EXPECT_EQ(fresh->GetLastErrorText(), c.error);
    }
    // An empty document file is a failed parse, not a text to count the length of.
    EXPECT_EQ(factory->LoadSkins(files.Write("empty.xml", "")), E_FAIL);
    EXPECT_EQ(factory->LoadSkins(u"/nonexistent/skins.xml"), E_FAIL);
}

}  // namespace
}  // namespace QV
