#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/Look.h"
#include "RIZozivirod/Utilities/Graphics/Font.h"
#include "UITestSupport/ControlTestFixture.h"

namespace QV {
namespace {

const char* const kSkin = R"(
<Colorizers><Colorizer Name="Red" ColorType="SolidFill" Color="0xFFFF0000"/></Colorizers>
<Parts><Part Name="Red" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Red"/></Parts>
<Looks><Look Name="Red"><ClientPart Name="Red" OffsetLeft="2" OffsetTop="3" OffsetRight="-2" OffsetBottom="-3"/>
  </Look></Looks>
<LookLists><LookList Name="Gap" NumLooks="3"><Look Name="Red" Index="0"/><Look Name="Red" Index="2"/></LookList>
</LookLists>
<Skin Name="Default">
  <SubControl Class="Framework.Panel" Name="Main" FontName="DejaVu Sans" FontSize="11" XSizeToControl="Client"
      XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="s"/>
    <SubControl Class="Test.Control" Name="Looks" XSizeAbs="40" YSizeAbs="30"><Skin Name="s" LookList="Gap"/>
      </SubControl>
    <SubControl Class="Framework.Panel" Name="Group" FontInheritsFromParent="True" FontStyle="1" YPositionAbs="40"
        XSizeAbs="100" YSizeAbs="100"><Skin Name="s"/>
      <SubControl Class="Test.Control" Name="Value" FontInheritsFromParent="True" FontSize="0.5"
          FontSizeIsRelative="True" XSizeAbs="40" YSizeAbs="20"><Skin Name="s"/></SubControl>
      <SubControl Class="Test.Control" Name="Own" FontName="DejaVu Serif" FontSize="8" XSizeAbs="40" YSizeAbs="20">
        <Skin Name="s"/></SubControl>
    </SubControl>
  </SubControl></Skin>)";

class ControlLooksTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        LoadSkin(kSkin);
        main = CreateInWindow(u"Main");
        ASSERT_TRUE(main);
    }
    void TearDown() override {
        main = nullptr;
        ControlTestFixture::TearDown();
    }
    static std::u16string FontOf(const RCPtr<LControl>& control) {
        const RCPtr<LFont>& font = control->GetFont();
        return std::u16string(font->GetFace().GetString()) + u" " +
               std::u16string(WString::Format(u"%g", static_cast<double>(font->GetSize())).GetString()) +
               u" " + std::u16string(WString::Format(u"%d", font->GetStyle()).GetString());
    }

    RCPtr<LControl> main;
};

TEST_F(ControlLooksTest, LookIndicesFollowTheLookListAndFallBackToTheCurrentLook) {
    RCPtr<LControl> control = Find(main, u"Looks");
    ASSERT_EQ(control->GetLookCount(), 3u);
    EXPECT_EQ(control->GetLook(1), nullptr);
    EXPECT_EQ(control->GetLook(7), control->GetLook(0)) << "look 0 is selected at creation";
    EXPECT_EQ(control->SelectLook(2), S_OK);
    EXPECT_EQ(control->GetCurrentLookIndex(), 2);
    EXPECT_EQ(control->GetLook(-1), control->GetLook(2));
    EXPECT_EQ(control->GetClientRect(-1), (RectT<double>{2, 3, 36, 24}));
    EXPECT_EQ(control->GetLook(2)->GetSize(), (PointT<int32_t>{40, 30})) << "looks follow the frame";

    EXPECT_EQ(control->GetLookColorAt({1, 1}, 2), 0x00FFFFFFu);
    EXPECT_EQ(control->GetLookColorAt({5, 5}, 2), 0xFFFF0000u);
    EXPECT_TRUE(control->IsTransparentAt({1, 1}));
    EXPECT_FALSE(control->IsTransparentAt({5, 5}));
    control->SetLookWeight(2, 0.0f, false);
    EXPECT_TRUE(control->IsTransparentAt({5, 5})) << "no weighted look";

    mWindow->ClearInvalidated();
    EXPECT_EQ(control->SetLookImage(nullptr, 0, 0, 0), 1);
    EXPECT_EQ(control->SetLookImage(nullptr, 0, 1, 0), E_FAIL);
    EXPECT_TRUE(mWindow->GetInvalidated().empty());
    EXPECT_EQ(control->SetLookDescriptor(nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(control->SetLookRegionExcluding(0, 1), E_INVALIDARG);
}

TEST_F(ControlLooksTest, TheCurrentLookFollowsEveryChangeOfWeightsAndLooks) {
    RCPtr<LControl> control = Find(main, u"Looks");
    struct Step {
        int32_t look;
        float weight;
        bool exclusive;
        int32_t current;
    };
    const Step steps[] = {
        {2, 1.0f, true, 2},  {0, 0.5f, false, 0},  {1, 1.0f, false, 0},  // an empty entry never counts
        {0, 0.0f, false, 2}, {2, 0.0f, false, -1}, {0, 1.0f, true, 0},
    };
    for (const Step& step : steps) {
        control->SetLookWeight(step.look, step.weight, step.exclusive);
        EXPECT_EQ(control->GetCurrentLookIndex(), step.current) << step.look << " " << step.weight;
    }
    control->SetLookWeight(0, 0.0f, false);
    EXPECT_EQ(control->GetLook(-1), control->GetLook(0)) << "no current look: the first one there is";
    RCPtr<LLook> added = LLook::Create(control->GetLook(2)->GetDescriptor(), false);
    const int32_t index = control->AddLook(added);
    control->SetLookWeight(index, 1.0f, true);
    EXPECT_EQ(control->GetCurrentLookIndex(), index);
    EXPECT_EQ(control->GetLook(-1), added.Get());
    EXPECT_EQ(control->GetClientRect(-1), (RectT<double>{2, 3, 36, 24}));
}

TEST_F(ControlLooksTest, InheritedFontsFollowTheirParentDownTheTree) {
    RCPtr<LControl> group = Find(main, u"Group");
    RCPtr<LControl> value = Find(main, u"Group/Value");
    RCPtr<LControl> own = Find(main, u"Group/Own");
    EXPECT_EQ(FontOf(main), u"DejaVu Sans 11 0");
    EXPECT_EQ(FontOf(group), u"DejaVu Sans 11 1");
    EXPECT_EQ(FontOf(value), u"DejaVu Sans 5.5 1");
    EXPECT_EQ(FontOf(own), u"DejaVu Serif 8 0");

    EXPECT_EQ(main->SetFont(LFont::GetFont(u"DejaVu Sans", 14, 0)), S_OK);
    EXPECT_EQ(main->SetFont(LFont::GetFont(u"DejaVu Sans", 14, 0)), 1);
    EXPECT_EQ(main->SetFont(nullptr), E_INVALIDARG);
    EXPECT_EQ(FontOf(group), u"DejaVu Sans 14 1");
    EXPECT_EQ(FontOf(value), u"DejaVu Sans 7 1");
    EXPECT_EQ(FontOf(own), u"DejaVu Serif 8 0");
}

void ExpectLaidOut(const RCPtr<LControl>& control) {
    EXPECT_EQ(control->UpdateLayout(), 1)
        << "moved when laid out again: " << NString(control->GetName()).GetString();
    for (uint32_t i = 0; i < control->GetChildren().GetCount(); ++i) {
        ExpectLaidOut(control->GetChildren().GetAt(i, LControl::kOrderCreation));
    }
}

TEST_F(ControlLooksTest, FontsCountFromTheFirstLayoutOnAndRepaintWhenTheyChange) {
    // The fonts the skin gives while a control is made are laid out with it once: nothing in the
    // new tree moves when laid out again.
    ExpectLaidOut(main);
    RCPtr<LControl> own = Find(main, u"Group/Own");
    const PointT<double> at = own->GetRectInWindow();
    mWindow->ClearInvalidated();
    EXPECT_EQ(own->SetFont(LFont::GetFont(u"DejaVu Sans", 12, 0)), S_OK);
    EXPECT_EQ(
        mWindow->GetInvalidated(),
        (std::vector<RectT<int32_t>>{{static_cast<int32_t>(at.x), static_cast<int32_t>(at.y), 40, 20}}));
    ExpectLaidOut(main);
}

}  // namespace
}  // namespace QV
