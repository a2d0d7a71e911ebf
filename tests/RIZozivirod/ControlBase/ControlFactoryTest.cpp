#include "RIZozivirod/ControlBase/ControlFactory.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace QV {
namespace {

RCPtr<LControl>& FirstCreator(RCPtr<LControl>& out, const RCPtr<LControl>&,
                              const RCPtr<LControlDescriptor>&) {
    return out;
}
RCPtr<LControl>& SecondCreator(RCPtr<LControl>& out, const RCPtr<LControl>&,
                               const RCPtr<LControlDescriptor>&) {
    return out;
}

int32_t Parse(LControlFactory& factory, const std::string& body) {
    const std::string xml = "<Velkor_Skin_Definitions>" + body + "</Velkor_Skin_Definitions>";
    return factory.ParseXml(xml.c_str(), static_cast<int32_t>(xml.size()));
}

TEST(ControlFactoryTest, ClassRegistryKeepsTheFirstCreatorAndRefusesUnknownNames) {
    RCPtr<LControlFactory> factory = LControlFactory::Create(u"PresetEditor");
    EXPECT_EQ(factory->RegisterControlClass(u"Framework.Button", &FirstCreator), S_OK);
    EXPECT_EQ(factory->RegisterControlClass(u"Framework.Button", &SecondCreator), S_OK);
    ControlCreateFunction creator = nullptr;
    EXPECT_EQ(factory->GetControlCreateFunction(u"Framework.Button", creator), S_OK);
    EXPECT_EQ(creator, &FirstCreator);

    for (const char16_t* name : {u"framework.button", u"Framework.Label", u""}) {
        try {
            factory->GetControlCreateFunction(name, creator);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& error) {
            EXPECT_TRUE(std::regex_match(
                error.what(), std::regex("Runtime Error : QV::LControlFactory::GetControlCreateFunction : "
                                         "RIZozivirod/ControlBase/ControlFactory\\.cpp : Line [0-9]+")))
                << error.what();
        }
    }
    EXPECT_EQ(creator, &FirstCreator);
}

TEST(ControlFactoryTest, TopLevelDescriptorsOfTheCurrentSkin) {
    RCPtr<LControlFactory> factory = LControlFactory::Create(u"PresetEditor");
    ASSERT_EQ(Parse(*factory, R"(<Skins>
        <Skin Name="One"><SubControl Class="A" Name="mainControl"/><SubControl Class="B" Name="toolTip"/>
          <SubControl Class="C" Name="mainControl"/></Skin>
        <Skin Name="Two"><SubControl Class="D" Name="mainControl"/></Skin></Skins>)"),
              S_OK);
    ASSERT_EQ(factory->GetSkinCount(), 2u);
    EXPECT_EQ(factory->GetCurrentSkinIndex(), 0);
    // The later of two definitions of a name hides the earlier one.
    EXPECT_EQ(factory->FindControlDescriptor(u"mainControl")->GetClass(), u"C");
    EXPECT_EQ(factory->FindControlDescriptor(u"toolTip")->GetClass(), u"B");
    EXPECT_FALSE(factory->FindControlDescriptor(u"MainControl"));
    factory->SetCurrentSkinIndex(1);
    EXPECT_EQ(factory->FindControlDescriptor(u"mainControl")->GetClass(), u"D");
    EXPECT_FALSE(factory->FindControlDescriptor(u"toolTip"));
    factory->SetCurrentSkinIndex(2);
    EXPECT_FALSE(factory->FindControlDescriptor(u"mainControl"));
    float size = 0;
    WString face;
    int32_t style = 0;
    EXPECT_EQ(factory->GetSkinFont(face, size, style), S_FALSE);
}

TEST(ControlFactoryTest, SkinFontGivesOnlyTheValuesTheSkinHas) {
    const struct {
        const char* attributes;
        int32_t result;
        const char16_t* face;
        float size;
        int32_t style;
    } cases[] = {
        {R"(FontName="DejaVu Sans" FontSize="9" FontStyle="1")", S_OK, u"DejaVu Sans", 9.0f, 1},
        {R"(FontSize="0.5")", S_FALSE, u"caller", 12.0f, 7},
        {R"(FontSize="1")", S_OK, u"caller", 1.0f, 7},
        {R"(FontStyle="0")", S_OK, u"caller", 12.0f, 0},
        {R"(FontStyle="-1" FontName="")", S_FALSE, u"caller", 12.0f, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        RCPtr<LControlFactory> factory = LControlFactory::Create(u"PresetEditor");
        ASSERT_EQ(Parse(*factory, std::string("<Skin Name=\"S\" ") + c.attributes + "/>"), S_OK);
        WString face(u"caller");
        float size = 12.0f;
        int32_t style = 7;
        EXPECT_EQ(factory->GetSkinFont(face, size, style), c.result);
        EXPECT_EQ(face, c.face);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(style, c.style);
    }
}

TEST(ControlFactoryTest, ClonesShareChildrenSkinAndParametersButNotTheirList) {
    RCPtr<LControlFactory> factory = LControlFactory::Create(u"PresetEditor");
    ASSERT_EQ(
        Parse(*factory, R"(<Skin Name="S"><SubControl Class="Framework.ListBoxItem" Name="item" XSizeAbs="30">
        <CreateParamList><CreateParam ID="P">v</CreateParam></CreateParamList><Skin Name="ItemSkin"/>
        <SubControl Class="Framework.Label" Name="text"/></SubControl></Skin>)"),
        S_OK);
    RCPtr<LControlDescriptor> item = factory->FindControlDescriptor(u"item");
    item->SetCreateFunction(&FirstCreator);

    RCPtr<LControlDescriptor> same = item->Clone(u"");
    EXPECT_EQ(same->GetName(), u"item");
    EXPECT_EQ(same->GetLayout(), item->GetLayout());  // one layout until a new one is given
    same->GetLayout()->xSize.offset = 44;
    EXPECT_EQ(item->GetLayout()->xSize.offset, 44.0);

    RCPtr<LLayoutDescriptor> layout = item->GetLayout()->Clone();
    layout->xSize.offset = 50;
    RCPtr<LControlDescriptor> copy = factory->CloneDescriptor(item, layout, u"item2");
    EXPECT_EQ(copy->GetClass(), u"Framework.ListBoxItem");
    EXPECT_EQ(copy->GetName(), u"item2");
    EXPECT_EQ(copy->GetParent(), item->GetParent());
    EXPECT_EQ(copy->GetSkin(), item->GetSkin());
    EXPECT_EQ(copy->GetCreateParams(), item->GetCreateParams());
    EXPECT_EQ(copy->GetCreateFunction(), &FirstCreator);
    EXPECT_EQ(item->GetLayout()->xSize.offset, 44.0);
    EXPECT_EQ(copy->GetLayout()->xSize.offset, 50.0);
    ASSERT_EQ(copy->GetChildren().GetCount(), 1u);
    EXPECT_EQ(copy->GetChildren().GetAt(0), item->GetChildren().GetAt(0));
    copy->AddChild(LControlDescriptor::Create(u"Framework.Label", u"extra", copy.Get()));
    EXPECT_EQ(item->GetChildren().GetCount(), 1u);
}

}  // namespace
}  // namespace QV
