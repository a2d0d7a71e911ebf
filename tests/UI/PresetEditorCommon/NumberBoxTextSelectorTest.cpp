#include "UI/PresetEditorCommon/NumberBoxTextSelector.h"

#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/DocumentFiles.h"
#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

std::string Selector(const std::string& name, bool withLabel, bool withNumberBox) {
    std::string xml = R"(<SubControl Class="PresetEditor.Control.CCSelector" Name=")" + name +
                      R"(" XSizeAbs="200" YSizeAbs="20"><Skin Name="c" LookList="Solid">)";
    if (withNumberBox) {
        xml +=
            R"(<SubControl Class="Framework.NumericUpDown" Name="numericUpDown" XSizeAbs="60" YSizeAbs="20">
          <Skin Name="n" LookList="Solid">
            <SubControl Class="Framework.TextBox" Name="textBox" XSizeAbs="40" YSizeAbs="20"><Skin Name="t" LookList="TextBox"/></SubControl>
            <SubControl Class="Framework.Button" Name="buttonUp" XPositionAbs="40" XSizeAbs="20" YSizeAbs="10"><Skin Name="b" LookList="Solid"/></SubControl>
            <SubControl Class="Framework.Button" Name="buttonDown" XPositionAbs="40" YPositionAbs="10" XSizeAbs="20" YSizeAbs="10"><Skin Name="b" LookList="Solid"/></SubControl>
          </Skin></SubControl>)";
    }
    if (withLabel) {
        xml +=
            R"(<SubControl Class="Framework.Label" Name="label" XPositionAbs="70" XSizeAbs="130" YSizeAbs="20"><Skin Name="l" LookList="Solid"/></SubControl>)";
    }
    return xml + "</Skin></SubControl>";
}

// The label's texts, defined out of id order: sorted they are B, C, LABEL, a.
std::string LabelTable() {
    std::string xml = R"(<Velkor_StringTable_Definitions><Application Name="PresetEditor">
      <StringTable ID="PresetEditor.Control.CCSelector|label">)";
    for (const auto& [id, text] : {std::pair<std::string, std::string>{"C", "gamma"},
                                   {"a", "alpha"},
                                   {"LABEL", "label"},
                                   {"B", "beta"}}) {
        xml += R"(<String ID=")" + id + R"("><Locale LCID="0x0009">)" + text + "</Locale></String>";
    }
    return xml + "</StringTable></Application></Velkor_StringTable_Definitions>";
}

class NumberBoxTextSelectorTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"PresetEditor.Control.CCSelector",
                                       &CreateControlFunction<LNumberBoxTextSelector>);
        ASSERT_EQ(
            mFactory->LoadStringTables(mFiles.Write("app.xml", LabelTable()), u"::NO_SUCH_DOCUMENT", 0x0009),
            S_OK);
        LoadSkin(TestSupport::TextBoxLooks() + TestSupport::SolidLooks() + R"(<Skin Name="Default">)" +
                 Selector("Selector", true, true) + Selector("NoLabel", false, true) +
                 Selector("NoNumberBox", true, false) + "</Skin>");
    }

    Testing::DocumentFiles mFiles;
};

TEST_F(NumberBoxTextSelectorTest, TheValuePicksAnEntryOfTheLabelsTableInIdOrder) {
    RCPtr<LControl> made = CreateInWindow(u"Selector");
    RCPtr<LNumberBoxTextSelector> selector(dynamic_cast<LNumberBoxTextSelector*>(made.Get()));
    ASSERT_TRUE(selector);
    RCPtr<LNumericUpDown> box = selector->GetNumberBox();
    const auto shown = [&] { return std::u16string(selector->GetLabel()->GetText().GetString()); };
    EXPECT_EQ(shown(), u"beta");  // value 0, set by the creation already
    box->SetValueRange(-5, 10, 0);
    const struct {
        double value;
        const char16_t* text;
    } cases[] = {{1, u"gamma"}, {2, u"label"}, {3, u"alpha"}, {4, u"alpha"}, {-1, u"alpha"}, {0, u"beta"}};
    for (const auto& c : cases) {
        box->SetValue(c.value);
        EXPECT_EQ(shown(), c.text) << c.value;
    }
    made->Close();
}

TEST_F(NumberBoxTextSelectorTest, BothPartsAreRequired) {
    const struct {
        const char16_t* name;
        const char* error;
    } cases[] = {{u"NoLabel", "Null Pointer : "}, {u"NoNumberBox", "Failed Result"}};
    for (const auto& c : cases) {
        try {
            Create(c.name);
            ADD_FAILURE() << "no exception";
        } catch (const std::exception& error) {
            EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace QV
