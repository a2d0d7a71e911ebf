// Skin documents: what each element and attribute makes, their defaults, and malformed skins.
#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/LookDescriptor.h"
#include "RIZozivirod/Utilities/Graphics/Colorizer.h"

namespace QV {
namespace {

class SkinVocabularyTest : public ::testing::Test {
protected:
    int32_t Parse(const std::string& body) {
        const std::string xml = "<Velkor_Skin_Definitions>" + body + "</Velkor_Skin_Definitions>";
        return factory->ParseXml(xml.c_str(), static_cast<int32_t>(xml.size()));
    }
    // The top-level descriptor of a name in the first skin.
    RCPtr<LControlDescriptor> TopLevel(const char16_t* name) { return factory->FindControlDescriptor(name); }
    uint32_t Warnings() const { return factory->GetReaderWarnings().GetCount(); }

    RCPtr<LControlFactory> factory = LControlFactory::Create(u"PresetEditor");
};

const char* const kParts = R"(
<Colorizers>
  <Colorizer Name="White" ColorType="SolidFill" Color="0xFFFFFFFF"/>
  <Colorizer Name="White" ColorType="SolidFill" Color="0xFF000000"/>
  <Colorizer Name="Fade" ColorType="LinearGradient" Color="0xFF102030" GradientEndColor="0x80FFFFFF"
             GradientStartX="0" GradientStartY="0.5" GradientEndX="1" GradientEndY="0.5"/>
  <Colorizer Name="HalfFade" ColorType="RadialGradient" Color="0xFF102030" GradientEndColor="0x80FFFFFF"/>
</Colorizers>
<Parts>
  <Part Name="Solid" Width="64" Height="0x10" ResizeType="Tile" ColorizerName="White" ColorizerAlphaMod="0.5"/>
  <Part Name="Frame.tr" Width="8" Height="8" ResizeType="Center" ImageFile="CE.png" ImageLocX="162" ImageLocY="28"
        ColorizerName="Fade" ColorizerMaskFile="Mask.PNG" MaskLocX="1" MaskLocY="2"/>
  <Part Name="Nothing" Width="8" Height="8" ResizeType="Stretch" ColorizerName="Missing"/>
  <Part Name="NoLocation" Width="8" Height="8" ResizeType="Stretch" ImageFile="CE.png" ImageLocX="1"/>
  <Part Name="Odd" Width="8" Height="8" ResizeType="stretch" ColorizerName="White"/>
</Parts>
)";

TEST_F(SkinVocabularyTest, ColorizersAndParts) {
    factory->SetResourceBasePath(u"::");
    ASSERT_EQ(Parse(kParts), S_OK);

    RCPtr<LColorizer> white = factory->FindColorizer(u"White");
    ASSERT_TRUE(white);
    EXPECT_EQ(white->color.ToARGB(), 0xFFFFFFFFu);  // the first definition stays
    RCPtr<LColorizer> fade = factory->FindColorizer(u"Fade");
    EXPECT_EQ(fade->type, LColorizer::kLinearGradient);
    EXPECT_EQ(fade->endColor.ToARGB(), 0x80FFFFFFu);
    EXPECT_EQ(fade->startY, 0.5f);
    EXPECT_EQ(fade->endX, 1.0f);
    // A gradient without its end colour and points is a solid fill.
    RCPtr<LColorizer> halfFade = factory->FindColorizer(u"HalfFade");
    EXPECT_EQ(halfFade->type, LColorizer::kSolidFill);
    EXPECT_EQ(halfFade->endColor, Color());

    RCPtr<LVisualPartDescriptor> solid = factory->FindVisualPart(u"Solid");
    ASSERT_TRUE(solid);
    EXPECT_TRUE(solid->image.path.IsEmpty());
    EXPECT_EQ(solid->colorizer, white);
    EXPECT_EQ(solid->width, 64);
    EXPECT_EQ(solid->height, 16);
    EXPECT_EQ(solid->resizeType, 1);
    EXPECT_EQ(solid->alphaModifier, 0.5f);

    RCPtr<LVisualPartDescriptor> frame = factory->FindVisualPart(u"Frame.tr");
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->image.path, u"::ce.png");  // image names in lower case, masks as written
    EXPECT_EQ((RectT<int32_t>{frame->image.x, frame->image.y, frame->image.width, frame->image.height}),
              (RectT<int32_t>{162, 28, 8, 8}));
    EXPECT_EQ(frame->resizeType, 2);
    EXPECT_EQ(frame->alphaModifier, 1.0f);
    EXPECT_EQ(frame->mask.path, u"::Mask.PNG");
    EXPECT_EQ((RectT<int32_t>{frame->mask.x, frame->mask.y, frame->mask.width, frame->mask.height}),
              (RectT<int32_t>{1, 2, 8, 8}));
    EXPECT_EQ(factory->FindVisualPart(u"Odd")->resizeType, 0);

    // Neither a usable image nor a known colorizer: no part.
    EXPECT_FALSE(factory->FindVisualPart(u"Nothing"));
    EXPECT_FALSE(factory->FindVisualPart(u"NoLocation"));
}

const char* const kLooks = R"(
<Looks>
  <Look Name="Button">
    <ClientPart Name="Solid" OffsetLeft="1" OffsetTop="1" OffsetRight="-5" OffsetBottom="0x0"/>
    <NonClientParts Name="ignored">
      <NonClientPart Name="Frame.tr" OffsetTop="0" OffsetRight="-2" Width="16"/>
      <NonClientPart Name="Solid" OffsetLeft="5" OffsetRight="-5" Height="-3"/>
      <NonClientPart Name="NotAPart" OffsetLeft="0"/>
    </NonClientParts>
    <TextProperties TextLeftRel="0" TextLeftAbs="22" TextRightRel="1" TextRightAbs="-8" TextHAlign="0.5"
        TextTopRel="0" TextTopAbs="2" TextBottomRel="1" TextBottomAbs="-2" TextVAlign="0.5" TextForegroundPart="Solid"/>
  </Look>
  <Look Name="Plain"/>
  <Look Name="Button"/>
</Looks>
<LookLists>
  <LookList Name="Buttons" NumLooks="3">
    <Look Name="Button" Index="0"/>
    <Look Name="Plain" Index="2"/>
  </LookList>
  <LookList Name="Buttons" NumLooks="1">
    <Look Name="Plain" Index="0"/>
  </LookList>
</LookLists>
)";

TEST_F(SkinVocabularyTest, LooksAndLookLists) {
    ASSERT_EQ(Parse(std::string(kParts) + kLooks), S_OK);
    RCPtr<LLookDescriptor> button = factory->FindLook(u"Button");
    ASSERT_TRUE(button);
    ASSERT_TRUE(button->clientPart);
    const LDockedPart::Placement& client = button->clientPart->placement;
    EXPECT_EQ(client.mask, 15u);
    EXPECT_EQ((RectT<int32_t>{client.left, client.top, client.right, client.bottom}),
              (RectT<int32_t>{1, 1, -5, 0}));
    EXPECT_EQ(button->clientPart->part, factory->FindVisualPart(u"Solid"));

    ASSERT_EQ(button->nonClientParts.GetCount(), 2u);  // the unknown part is left out
    const LDockedPart::Placement& corner = button->nonClientParts.GetAt(0)->placement;
    EXPECT_EQ(corner.mask, LDockedPart::kTop | LDockedPart::kRight);
    EXPECT_EQ(corner.right, -2);
    EXPECT_TRUE(corner.hasWidth);
    EXPECT_EQ(corner.width, 16);
    EXPECT_FALSE(corner.hasHeight);
    const LDockedPart::Placement& bar = button->nonClientParts.GetAt(1)->placement;
    EXPECT_EQ(bar.mask, LDockedPart::kLeft | LDockedPart::kRight);
    EXPECT_FALSE(bar.hasHeight);

    ASSERT_TRUE(button->hasTextProperties);
    EXPECT_EQ(button->textForegroundPart, factory->FindVisualPart(u"Solid"));
    const RectT<double> text = button->GetTextRect(200, 24);
    EXPECT_EQ(text, (RectT<double>{22, 2, 170, 20}));
    EXPECT_EQ(factory->FindLook(u"Plain")->GetTextRect(200, 24), RectT<double>{});

    // A second LookList of a known name changes nothing, and its entries are not read.
    ASSERT_EQ(Parse(R"(<Skins><Skin Name="Top"><SubControl Class="Framework.Button" Name="b">
        <Skin Name="ButtonSkin" LookList="Buttons"/></SubControl></Skin></Skins>)"),
              S_OK);
    const RCPtr<LLookList> list = TopLevel(u"b")->GetSkin()->lookList;
    ASSERT_TRUE(list);
    ASSERT_EQ(list->GetCount(), 3u);
    EXPECT_EQ(list->GetAt(0), button);
    EXPECT_FALSE(list->GetAt(1));
    EXPECT_EQ(list->GetAt(2), factory->FindLook(u"Plain"));
}

TEST_F(SkinVocabularyTest, SubControlLayoutAttributes) {
    ASSERT_EQ(Parse(R"(<Skins><Skin Name="Skin1" FontName="DejaVu Sans" FontSize="9" FontStyle="0x1">
  <SubControl Class="Framework.Panel" Name="window" IsVisible="False" TabStop="3" Z_Order="2">
    <SubControl Class="Framework.Button" Name="all" ClipToParent="False" Z_Order="-4" TabStop="7"
        LayoutOrder="0x10" IsVisible="False" XPlacementAnchor="0.5" YPlacementAnchor="1" XIsDocked="True"
        YIsDocked="true" XPositionToControl="dec" YPositionToControl="Screen" XPositionRel="1" YPositionRel="0.25"
        XPositionAbs="-3" YPositionAbs="0x10" XSizeToControl="Client" YSizeToControl="inc" XSizeRel="0.5"
        YSizeRel="2" XSizeAbs="18" YSizeAbs="-2" XMinSizeToControl="Children" XMinSizeRel="1" XMinSizeAbs="4"
        YMinSizeToControl="Self" YMinSizeAbs="22" XMaxSizeToControl="Self" XMaxSizeAbs="120"
        YMaxSizeToControl="label" YMaxSizeRel="0.5" TextDecoration="Underline" TextOverflowXType="Wrap"
        TextOverflowYType="Wrap"/>
    <SubControl Class="Framework.Label" Name="defaults"/>
  </SubControl>
</Skin></Skins>)"),
              S_OK);
    RCPtr<LControlDescriptor> window = TopLevel(u"window");
    ASSERT_TRUE(window);
    // Windows and popups take no visibility or tab stop from the skin.
    EXPECT_TRUE(window->GetLayout()->visible);
    EXPECT_EQ(window->GetLayout()->tabStop, 0);
    EXPECT_EQ(window->GetLayout()->zOrder, 2);

    ASSERT_EQ(window->GetChildren().GetCount(), 2u);
    const RCPtr<LControlDescriptor>& all = window->GetChildren().GetAt(1);  // LayoutOrder 16 sorts last
    EXPECT_EQ(all->GetName(), u"all");
    EXPECT_EQ(all->GetParent(), window.Get());
    const LLayoutDescriptor& l = *all->GetLayout();
    EXPECT_FALSE(l.clipToParent);
    EXPECT_EQ(l.zOrder, -4);
    EXPECT_EQ(l.tabStop, 7);
    EXPECT_EQ(l.layoutOrder, 16);
    EXPECT_FALSE(l.visible);
    EXPECT_TRUE(l.xDocked);
    EXPECT_FALSE(l.yDocked);  // only "True" is true
    EXPECT_EQ(l.xPlacement.anchor, 0.5f);
    EXPECT_EQ(l.xPlacement.reference, PlacementReference::kNamed);
    EXPECT_EQ(l.xPlacement.referenceName, u"dec");
    EXPECT_EQ(l.xPlacement.factor, 1.0f);
    EXPECT_EQ(l.xPlacement.offset, -3.0);
    EXPECT_EQ(l.yPlacement.reference, PlacementReference::kParent);
    EXPECT_EQ(l.yPlacement.offset, 0.0);  // a plain integer: "0x10" reads as 0
    EXPECT_EQ(l.xSize.reference, SizeReference::kClient);
    EXPECT_EQ(l.xSize.factor, 0.5f);
    EXPECT_EQ(l.xSize.offset, 18.0);
    EXPECT_EQ(l.ySize.reference, SizeReference::kNamed);
    EXPECT_EQ(l.ySize.referenceName, u"inc");
    EXPECT_EQ(l.ySize.offset, -2.0);
    EXPECT_EQ(l.xMinimum.reference, LimitReference::kNamed);
    EXPECT_EQ(l.xMinimum.referenceName, u"Children");
    EXPECT_EQ(l.xMinimum.offset, 4.0);
    EXPECT_EQ(l.yMinimum.reference, LimitReference::kSelf);
    EXPECT_EQ(l.yMinimum.offset, 22.0);
    EXPECT_EQ(l.xMaximum.offset, 120.0);
    EXPECT_EQ(l.yMaximum.reference, LimitReference::kNamed);
    EXPECT_EQ(l.yMaximum.factor, 0.5f);
    EXPECT_EQ(l.textDecoration, u"Underline");
    EXPECT_EQ(l.xTextOverflow, TextOverflow::kWrap);
    EXPECT_EQ(l.yTextOverflow, TextOverflow::kClip);  // Y cannot wrap

    // A fresh layout: visible, clipped, at the client origin, 16 x 40.
    const LLayoutDescriptor& d = *window->GetChildren().GetAt(0)->GetLayout();
    EXPECT_TRUE(d.clipToParent && d.visible && d.enabled);
    EXPECT_EQ(d.xPlacement.reference, PlacementReference::kClient);
    EXPECT_EQ(d.xSize.reference, SizeReference::kSelf);
    EXPECT_EQ(d.xSize.offset, 16.0);
    EXPECT_EQ(d.ySize.offset, 40.0);
    EXPECT_EQ(d.xMinimum.reference, LimitReference::kSelf);
    EXPECT_EQ(d.xTextOverflow, TextOverflow::kClip);

    const LSkinDescriptor& skin = *factory->GetSkin(0)->GetSkin();
    EXPECT_EQ(skin.name, u"Skin1");
    EXPECT_EQ(skin.fontName, u"DejaVu Sans");
    EXPECT_EQ(skin.fontSize, 9.0f);
    EXPECT_EQ(skin.fontStyle, 1);
    EXPECT_EQ(Warnings(), 0u);
}

TEST_F(SkinVocabularyTest, ReferenceTextsOfPlacementAndSize) {
    const struct {
        const char* text;
        PlacementReference placement;
        SizeReference size;
    } cases[] = {
        {"Parent", PlacementReference::kParent, SizeReference::kParent},
        {"Screen", PlacementReference::kParent, SizeReference::kParent},
        {"Client", PlacementReference::kClient, SizeReference::kClient},
        {"Active Window", PlacementReference::kClient, SizeReference::kClient},
        {"Self", PlacementReference::kNamed, SizeReference::kSelf},
        {"parent", PlacementReference::kNamed, SizeReference::kNamed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        RCPtr<LControlFactory> fresh = LControlFactory::Create(u"App");
        const std::string xml =
            std::string("<D><Skin Name=\"S\"><SubControl Class=\"C\" Name=\"n\" XPositionToControl=\"") +
            c.text + "\" YSizeToControl=\"" + c.text + "\"/></Skin></D>";
        ASSERT_EQ(fresh->ParseXml(xml.c_str(), static_cast<int32_t>(xml.size())), S_OK);
        const LLayoutDescriptor& layout = *fresh->FindControlDescriptor(u"n")->GetLayout();
        EXPECT_EQ(layout.xPlacement.reference, c.placement);
        EXPECT_EQ(layout.ySize.reference, c.size);
    }
}

TEST_F(SkinVocabularyTest, ControlTreesFontsAndCreateParameters) {
    // Font translations apply to the language the string tables chose.
    ASSERT_EQ(factory->LoadStringTables(u"::NONE", u"::NONE", 0x0009), S_OK);
    ASSERT_EQ(Parse(std::string(kParts) + kLooks + R"(
<Skins>
  <Skin Name="Skin1" FontName="Sans">
    <FontLocale LCID="0x0011"/>
    <FontXLat Name="Sans" XLat="Japanese Sans"/>
    <FontLocale LCID="9"/>
    <FontXLat Name="Serif" XLat="DejaVu Serif"/>
    <SubControl Class="Framework.PopupMenu" Name="contextMenu" FontName="Serif" FontSize="9.5" FontStyle="1"
        FontSizeIsRelative="True" FontInheritsFromParent="True">
      <CreateParamList>
        <CreateParam ID="NOT_FOCUSABLE" Type="Boolean">True</CreateParam>
        <CreateParam ID="TEXT">a &amp; b</CreateParam>
        <CreateParam ID="TEXT">second</CreateParam>
        <CreateParam>no id</CreateParam>
      </CreateParamList>
      <Skin Name="CE.MainMenu" LookList="Buttons">
        <SubControl Class="Framework.ScrollBar" Name="vBar" LayoutOrder="2"/>
        <SubControl Class="Framework.ScrollBar" Name="hBar" LayoutOrder="1" FontSizeIsRelative="True"/>
        <SubControl Class="Framework.Panel" Name="first" LayoutOrder="-1"/>
      </Skin>
    </SubControl>
    <SubControl Class="Framework.ToolTip" Name="toolTip"/>
    <SubControl Class="Framework.Panel" Name="zeta"/>
    <SubControl Class="Framework.Panel" Name="alpha"/>
  </Skin>
</Skins>)"),
              S_OK);
    ASSERT_EQ(factory->GetSkinCount(), 1u);
    RCPtr<LControlDescriptor> root = factory->GetSkin(0);
    EXPECT_EQ(root->GetClass(), u"Application");
    EXPECT_EQ(root->GetName(), u"PresetEditor");
    EXPECT_FALSE(root->GetLayout());
    // Top-level controls keep document order.
    std::u16string names;
    for (uint32_t i = 0; i < root->GetChildren().GetCount(); ++i) {
        names += root->GetChildren().GetAt(i)->GetName().GetString() + std::u16string(u" ");
    }
    EXPECT_EQ(names, u"contextMenu toolTip zeta alpha ");

    RCPtr<LControlDescriptor> menu = TopLevel(u"contextMenu");
    const LLookList* list = menu->GetSkin()->lookList.Get();
    EXPECT_EQ(list, factory->GetSkin(0)->GetChildren().GetAt(0)->GetSkin()->lookList.Get());
    ASSERT_TRUE(list);
    const LSkinDescriptor& skin = *menu->GetSkin();
    EXPECT_EQ(skin.name, u"CE.MainMenu");
    EXPECT_EQ(skin.fontName, u"DejaVu Serif");  // translated for the reader's language only
    EXPECT_EQ(skin.fontSize, 9.5f);
    EXPECT_EQ(skin.fontStyle, 1);
    EXPECT_TRUE(skin.fontSizeIsRelative);
    EXPECT_TRUE(skin.fontInheritsFromParent);
    EXPECT_EQ(factory->GetSkin(0)->GetSkin()->fontName, u"Sans");
    EXPECT_EQ(factory->TranslateFontName(u"Serif"), u"DejaVu Serif");
    EXPECT_EQ(factory->TranslateFontName(u"Sans"), u"Sans");

    // Children sorted by layout order whatever their document order.
    const LControlDescriptor::ChildList& children = menu->GetChildren();
    ASSERT_EQ(children.GetCount(), 3u);
    EXPECT_EQ(children.GetAt(0)->GetName(), u"first");
    EXPECT_EQ(children.GetAt(1)->GetName(), u"hBar");
    EXPECT_EQ(children.GetAt(2)->GetName(), u"vBar");

    RCPtr<LStringTable> params = menu->GetCreateParams();
    ASSERT_TRUE(params);
    WString value;
    EXPECT_TRUE(params->GetString(u"NOT_FOCUSABLE", value));
    EXPECT_EQ(value, u"True");
    EXPECT_TRUE(params->GetString(u"TEXT", value));
    EXPECT_EQ(value, u"second");
    EXPECT_EQ(params->GetCount(), 2u);
    EXPECT_FALSE(TopLevel(u"toolTip")->GetCreateParams());
    EXPECT_FALSE(TopLevel(u"toolTip")->GetSkin());
}

TEST_F(SkinVocabularyTest, SubControlWithoutClassOrNameEndsTheParse) {
    for (const char* element : {R"(<SubControl Name="x"/>)", R"(<SubControl Class="Framework.Panel"/>)"}) {
        SCOPED_TRACE(element);
        factory = LControlFactory::Create(u"App");
        ASSERT_EQ(Parse("<a></b>"), E_FAIL);
        EXPECT_EQ(Parse(std::string(R"(<Skin Name="S"><SubControl Class="Framework.Panel" Name="kept"/>)") +
                        element + R"(<SubControl Class="Framework.Panel" Name="after"/></Skin>)"),
                  E_FAIL);
        EXPECT_EQ(factory->GetLastErrorText(), u"mismatched tag");  // not an XML error
        EXPECT_EQ(factory->GetLastErrorLine(), 1);
        const WString& warning =
            factory->GetReaderWarnings().GetAt(factory->GetReaderWarnings().GetCount() - 1);
        EXPECT_EQ(
            warning.Find(u"Runtime Error : Bad Subcontrol Element : QV::LControlFactory::XMLStartElement : "
                         u"RIZozivirod/ControlBase/ControlFactorySkinReader.cpp : Line "),
            0);
        // What came before stays.
        ASSERT_EQ(factory->GetSkinCount(), 1u);
        EXPECT_TRUE(TopLevel(u"kept"));
        EXPECT_FALSE(TopLevel(u"after"));
    }
}

TEST_F(SkinVocabularyTest, MalformedStructureIsSkippedWithAWarning) {
    const struct {
        const char* document;
        uint32_t warnings;
    } cases[] = {
        {R"(<SubControl Class="C" Name="orphan"><SubControl Class="C" Name="inner"/></SubControl>)", 2},
        {R"(<LookList Name="L" NumLooks="-1"/><LookList Name="M" NumLooks="1025"/>)", 2},
        {R"(<Looks><Look Name="A"/></Looks><LookList Name="L" NumLooks="2"><Look Name="A" Index="2"/>
            <Look Name="A" Index="-1"/><Look Name="A"/><Look Name="Nope" Index="0"/></LookList>)",
         4},
        {R"(<ClientPart Name="Solid" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
            <NonClientPart Name="Solid"/><TextProperties TextLeftRel="0" TextLeftAbs="0" TextRightRel="1"
            TextRightAbs="0" TextHAlign="0" TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0"
            TextVAlign="0" TextForegroundPart="Solid"/>)",
         3},
        {R"(<FontXLat Name="a" XLat="b"/><CreateParamList><CreateParam ID="X">x</CreateParam></CreateParamList>)",
         2},
        {R"(<Skin Name="S"><SubControl Class="C" Name="a"><CreateParamList>
              <CreateParam ID="A">a</CreateParam></CreateParamList>
            <CreateParam ID="B">b</CreateParam></SubControl></Skin>)",
         1},
        // LookLists clears the descriptor in the middle of a SubControl; its end still finds its parent.
        {R"(<Skin Name="S"><SubControl Class="C" Name="a"><LookLists/></SubControl><SubControl Class="C" Name="b"/>
            </Skin>)",
         0},
        {R"(<Skin><Colorizer Name="c"/><Part Name="p"/><Unknown/></Skin>)", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        factory = LControlFactory::Create(u"App");
        ASSERT_EQ(
            Parse(std::string(R"(<Colorizers><Colorizer Name="W" ColorType="SolidFill" Color="0xFFFFFFFF"/>
            </Colorizers><Parts><Part Name="Solid" Width="1" Height="1" ResizeType="Tile" ColorizerName="W"/></Parts>)") +
                  c.document),
            S_OK);
        EXPECT_EQ(Warnings(), c.warnings);
    }
    // The stray CreateParam did not write into the previous control's parameters.
    factory = LControlFactory::Create(u"App");
    ASSERT_EQ(Parse(cases[5].document), S_OK);
    WString value;
    EXPECT_FALSE(TopLevel(u"a")->GetCreateParams()->GetString(u"B", value));
    factory = LControlFactory::Create(u"App");
    ASSERT_EQ(Parse(cases[6].document), S_OK);
    EXPECT_TRUE(TopLevel(u"b"));
}

}  // namespace
}  // namespace QV
