#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/Controls/ComboSlider.h"
#include "RIZozivirod/Controls/Panel.h"
#include "UITestSupport/ControlTestFixture.h"
#include "UITestSupport/InputDriver.h"
#include "UITestSupport/StandardSkin.h"

namespace QV {
namespace {

std::string DropLooks() {
    std::string list = R"(<LookLists><LookList Name="Drop" NumLooks="7">)";
    for (int i = 0; i < 7; ++i) {
        list += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    return list + "</LookList></LookLists>";
}

// A box of 80 x 20 whose panel of the given width opens below it, holding a slider whose thumb
// runs 100 pixels.
std::string Box(const std::string& name, int x, int panelWidth, bool withPanel = true) {
    std::string box = R"(<SubControl Class="Framework.ComboSlider" Name=")" + name + R"(" XPositionAbs=")" +
                      std::to_string(x) +
                      R"(" YPositionAbs="10" XSizeAbs="80" YSizeAbs="20"><Skin Name="c" LookList="Drop">)";
    if (withPanel) {
        box +=
            R"(<SubControl Class="Framework.ComboSlider.DropDownPanel" Name="dropDownPanel" XPositionAbs="0"
                    YPositionAbs="20" XSizeAbs=")" +
            std::to_string(panelWidth) +
            R"(" YSizeAbs="20" ClipToParent="False"><Skin Name="p" LookList="Solid">
                <SubControl Class="Framework.Slider" Name="slider" XSizeAbs="120" YSizeAbs="20"><Skin Name="s" LookList="Channel">
                  <SubControl Class="Framework.Button" Name="thumbStart" XSizeAbs="10" YSizeAbs="10"><Skin Name="b" LookList="Solid"/></SubControl>
                  <SubControl Class="Test.Control" Name="thumbEnd" XPositionAbs="100" XSizeAbs="10" YSizeAbs="10"><Skin Name="b" LookList="Solid"/></SubControl>
                </Skin></SubControl></Skin></SubControl>)";
    }
    return box + "</Skin></SubControl>";
}

class ComboSliderTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        mFactory->RegisterControlClass(u"Framework.ComboSlider", &CreateControlFunction<LComboSlider>);
        mFactory->RegisterControlClass(u"Framework.ComboSlider.DropDownPanel",
                                       &CreateControlFunction<LPanel>);
        LoadSkin(TestSupport::SolidLooks() + DropLooks() + R"(<Skin Name="Default">
          <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>)" +
                 Box("fits", 10, 150) + Box("nearEdge", 300, 150) + Box("tooWide", 100, 500) +
                 Box("panelless", 190, 0, false) + "</SubControl></Skin>");
        mMain = CreateInWindow(u"Main");
        ASSERT_TRUE(mMain);
    }
    void TearDown() override {
        mMain = nullptr;
        ControlTestFixture::TearDown();
    }
    RCPtr<LComboSlider> Get(const std::u16string& name) {
        return RCPtr<LComboSlider>(dynamic_cast<LComboSlider*>(Find(mMain, name).Get()));
    }

    RCPtr<LControl> mMain;
};

TEST_F(ComboSliderTest, TheBoxAndItsSliderShareOneValue) {
    RCPtr<LComboSlider> box = Get(u"fits");
    box->SetValueRange(0, 100, 0);
    RCPtr<NotificationRecorder> recorder = NotificationRecorder::Create(box, {u"NID_VALUE_CHANGE"});
    box->GetSlider()->SetNormalizedValue(0.5);
    EXPECT_EQ(std::u16string(box->GetText().GetString()), u"50");
    EXPECT_EQ(box->GetNormalizedValue(), 0.5);
    EXPECT_EQ(recorder->GetNames().size(), 1u);
    box->SetNormalizedValue(0.254);
    EXPECT_EQ(box->GetSlider()->GetNormalizedValue(), 0.254);
    EXPECT_EQ(std::u16string(box->GetText().GetString()), u"25");
    EXPECT_EQ(recorder->GetNames().size(), 2u);
    recorder->UnregisterAll();

    // Without a panel the box never opens but still shows its value.
    RCPtr<LComboSlider> bare = Get(u"panelless");
    EXPECT_EQ(bare->ShowDropDown(true), E_FAIL);
    EXPECT_FALSE(bare->IsDroppedDown());
    bare->SetValueRange(0, 10, 0);
    bare->SetNormalizedValue(1.0);
    EXPECT_EQ(std::u16string(bare->GetText().GetString()), u"10");
}

TEST_F(ComboSliderTest, APressOpensThePanelInsideTheTopLevelControl) {
    const struct {
        const char16_t* name;
        double panelX;  // in the box's coordinates
    } cases[] = {{u"fits", 0}, {u"nearEdge", 400 - 150 - 300.0}, {u"tooWide", -100}};
    InputDriver driver(mWindow);
    for (const auto& c : cases) {
        RCPtr<LComboSlider> box = Get(c.name);
        EXPECT_FALSE(box->IsDroppedDown());
        const int32_t x = static_cast<int32_t>(box->GetFrame().x) + 40;
        driver.MoveTo(x, 20);
        driver.Press();
        driver.Release();
        EXPECT_TRUE(box->IsDroppedDown()) << NString(c.name).GetString();
        EXPECT_EQ(box->GetCurrentLookIndex(), 5) << NString(c.name).GetString();  // open and hovered
        EXPECT_EQ(box->GetDropDownPanel()->GetFrame().x, c.panelX) << NString(c.name).GetString();
        driver.MoveTo(x, 200);
        EXPECT_EQ(box->GetCurrentLookIndex(), 4) << NString(c.name).GetString();
        box->ShowDropDown(false);
        EXPECT_FALSE(box->IsDroppedDown());
    }
    RCPtr<LComboSlider> box = Get(u"fits");
    box->SetEnabled(false);
    EXPECT_EQ(box->GetCurrentLookIndex(), 6);
}

}  // namespace
}  // namespace QV
