// Visual parts and looks: layout for a size, drawing through the Cairo renderer, colour sampling.
#include "RIZozivirod/ControlBase/Look.h"

#include <gtest/gtest.h>

#include <string>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Renderer/Gdi/GDIRendererTestSupport.h"

namespace QV {
namespace {

// Colorizers and parts every look of these tests is made of.
const char* const kParts = R"(
<Colorizers>
  <Colorizer Name="Red" ColorType="SolidFill" Color="0xFFFF0000"/>
  <Colorizer Name="Blue" ColorType="SolidFill" Color="0xFF0000FF"/>
  <Colorizer Name="Text" ColorType="SolidFill" Color="0xFF20C040"/>
</Colorizers>
<Parts>
  <Part Name="Red" Width="8" Height="8" ResizeType="Stretch" ColorizerName="Red"/>
  <Part Name="Blue" Width="10" Height="10" ResizeType="Stretch" ColorizerName="Blue"/>
  <Part Name="Text" Width="1" Height="1" ResizeType="Stretch" ColorizerName="Text"/>
  <Part Name="Arrow" Width="9" Height="9" ResizeType="Center" ImageFile="SKIN.png" ImageLocX="0" ImageLocY="0"
        ColorizerName="Blue"/>
  <Part Name="Lost" Width="9" Height="9" ResizeType="Stretch" ImageFile="missing.png" ImageLocX="0" ImageLocY="0"
        ColorizerName="Red"/>
  <Part Name="LostPlain" Width="9" Height="9" ResizeType="Stretch" ImageFile="missing.png" ImageLocX="0"
        ImageLocY="0"/>
</Parts>
<Looks>
  <Look Name="Framed">
    <ClientPart Name="Red" OffsetLeft="1" OffsetTop="1" OffsetRight="-5" OffsetBottom="-6"/>
    <NonClientParts>
      <NonClientPart Name="Blue" OffsetLeft="5" OffsetRight="-5" Height="2"/>
      <NonClientPart Name="Blue" OffsetTop="0" OffsetRight="0" Width="16"/>
      <NonClientPart Name="Blue"/>
      <NonClientPart Name="Arrow" OffsetLeft="0" OffsetBottom="0"/>
    </NonClientParts>
  </Look>
  <Look Name="Label">
    <TextProperties TextLeftRel="0" TextLeftAbs="22" TextRightRel="1" TextRightAbs="-8" TextHAlign="0"
        TextTopRel="0" TextTopAbs="2" TextBottomRel="1" TextBottomAbs="-2" TextVAlign="0.5" TextForegroundPart="Text"/>
  </Look>
  <Look Name="Lost">
    <ClientPart Name="Lost" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
    <NonClientParts><NonClientPart Name="LostPlain"/></NonClientParts>
  </Look>
</Looks>
)";

class LookTest : public GDIRendererTest {
protected:
    void SetUp() override {
        GDIRendererTest::SetUp();
        factory->SetResourceBasePath(u"::");
        const std::string xml = std::string("<Doc>") + kParts + "</Doc>";
        ASSERT_EQ(factory->ParseXml(xml.c_str(), static_cast<int32_t>(xml.size())), S_OK);
    }
    RCPtr<LLook> MakeLook(const char16_t* name, int32_t width, int32_t height) {
        RCPtr<LLook> look = LLook::Create(factory->FindLook(name), false);
        look->SetSize({width, height});
        return look;
    }

    RCPtr<LControlFactory> factory = LControlFactory::Create(u"App");
};

TEST_F(LookTest, PartsAreDockedForTheSize) {
    RCPtr<LLook> look = MakeLook(u"Framed", 100, 50);
    EXPECT_EQ(look->GetClientRect(), (RectT<int32_t>{1, 1, 94, 43}));
    ASSERT_EQ(look->GetNonClientRects().size(), 4u);
    EXPECT_EQ(look->GetNonClientRects()[0], (RectT<int32_t>{5, 24, 90, 2}));    // left and right: stretched
    EXPECT_EQ(look->GetNonClientRects()[1], (RectT<int32_t>{84, 0, 16, 10}));   // right only: keeps its width
    EXPECT_EQ(look->GetNonClientRects()[2], (RectT<int32_t>{45, 20, 10, 10}));  // no side: centred
    EXPECT_EQ(look->GetNonClientRects()[3], (RectT<int32_t>{0, 41, 9, 9}));
    EXPECT_TRUE(look->SetSize({100, 50}));
    look->SetSize({25, 25});
    EXPECT_EQ(look->GetNonClientRects()[2], (RectT<int32_t>{7, 7, 10, 10}));
    // Offsets larger than the look leave an empty client rectangle inside it.
    look->SetSize({3, 4});
    EXPECT_EQ(look->GetClientRect(), (RectT<int32_t>{1, 1, 0, 0}));

    RCPtr<LLook> label = MakeLook(u"Label", 200, 24);
    ASSERT_TRUE(label->GetTextBlock());
    EXPECT_EQ(label->GetTextPosition(), (PointT<int32_t>{22, 2}));
    EXPECT_EQ(label->GetTextBlock()->GetBoxWidth(), 170);
    EXPECT_EQ(label->GetTextBlock()->GetBoxHeight(), 20);
    EXPECT_FALSE(look->GetTextBlock());
}

TEST_F(LookTest, WhateverReadsALookSeesItLaidOutForItsLastSize) {
    // A look resized twice without being read in between answers like one made at the last size.
    const auto resized = [&](const char16_t* name) {
        RCPtr<LLook> look = MakeLook(name, 20, 20);
        look->SetSize({60, 10});
        look->SetSize({100, 50});
        return look;
    };
    RCPtr<LLook> made = MakeLook(u"Framed", 100, 50);
    EXPECT_EQ(resized(u"Framed")->GetNonClientRects(), made->GetNonClientRects());
    EXPECT_EQ(resized(u"Framed")->GetClientRect(), made->GetClientRect());
    EXPECT_EQ(resized(u"Framed")->GetStencilRect(), made->GetStencilRect());
    EXPECT_EQ(resized(u"Framed")->GetPixelAt({90, 3}), made->GetPixelAt({90, 3}));
    RCPtr<LLook> label = MakeLook(u"Label", 100, 50);
    EXPECT_EQ(resized(u"Label")->GetTextPosition(), label->GetTextPosition());
    EXPECT_EQ(resized(u"Label")->GetTextBlock()->GetBoxWidth(), label->GetTextBlock()->GetBoxWidth());
    auto drawn = MakeTarget(100, 50, true);
    auto expected = MakeTarget(100, 50, true);
    for (const auto& [target, look] : {std::pair{drawn, resized(u"Framed")}, std::pair{expected, made}}) {
        Frame(target, {{0, 0, 100, 50}}, [&, look = look] {
            RectRegion dirty;
            dirty.AddRect(0, 0, 100, 50);
            look->DrawNonClientParts(*renderer, dirty);
            look->DrawClientArea(*renderer, dirty);
        });
    }
    for (int32_t y = 0; y < 50; y += 7) {
        for (int32_t x = 0; x < 100; x += 3) {
            ASSERT_EQ(Pixel(drawn, x, y), Pixel(expected, x, y)) << x << ", " << y;
        }
    }
    // Given another descriptor while a layout is due: laid out for the size with the new parts.
    RCPtr<LLook> changed = resized(u"Framed");
    changed->Init(factory->FindLook(u"Label"), false);
    EXPECT_EQ(changed->GetTextBlock()->GetBoxWidth(), label->GetTextBlock()->GetBoxWidth());
    EXPECT_TRUE(changed->GetNonClientRects().empty());
}

TEST_F(LookTest, DrawsDockedPartsAndClientAreaInsideTheDirtyRectangles) {
    RCPtr<LLook> look = MakeLook(u"Framed", 40, 30);
    auto target = MakeTarget(60, 40, true);
    Frame(target, {{0, 0, 60, 40}}, [&] {
        renderer->FillRect({0, 0, 60, 40}, Color::FromARGB(kWhite), true);
        RectRegion dirty;
        dirty.AddRect(0, 0, 60, 40);
        renderer->PushState();
        renderer->PushOrigin({10, 5});
        EXPECT_EQ(look->DrawClientArea(*renderer, dirty), S_OK);
        EXPECT_EQ(look->DrawNonClientParts(*renderer, dirty), S_OK);
        renderer->PopState();
        renderer->PopState();
    });
    const struct {
        int32_t x, y;
        uint32_t expected;
    } probes[] = {
        // The look's (0, 0) is the target's (10, 5).
        {10, 5, kWhite},                   // the client part starts one pixel in
        {11, 6, kRed},   {44, 6, kBlue},   // the right-docked part, 16 wide, over the client area
        {33, 5, kWhite}, {26, 16, kBlue},  // the centred part at (15, 10)
        {20, 19, kBlue},                   // the part stretched between the sides, centred vertically
        {9, 20, kWhite},                   // outside the look
        {14, 28, kBlue},                   // an opaque pixel of the arrow, tinted
        {11, 28, kRed},                    // a transparent pixel of the arrow shows the client part
    };
    for (const auto& p : probes) {
        EXPECT_EQ(Pixel(target, p.x, p.y), p.expected) << p.x << "," << p.y;
    }

    // Only the dirty rectangle is painted.
    auto partial = MakeTarget(60, 40, true);
    Frame(partial, {{0, 0, 60, 40}}, [&] {
        renderer->FillRect({0, 0, 60, 40}, Color::FromARGB(kWhite), true);
        RectRegion dirty;
        dirty.AddRect(0, 0, 13, 13);
        look->DrawClientArea(*renderer, dirty);
        look->DrawNonClientParts(*renderer, dirty);
    });
    EXPECT_EQ(Pixel(partial, 12, 12), kRed);
    EXPECT_EQ(Pixel(partial, 13, 13), kWhite);
    EXPECT_EQ(Pixel(partial, 20, 20), kWhite);

    // A paint region, in look coordinates, limits drawing further: moved with the origin.
    look->GetPaintRegion().AddRect(20, 20, 30, 22);
    auto limited = MakeTarget(60, 40, true);
    Frame(limited, {{0, 0, 60, 40}}, [&] {
        renderer->FillRect({0, 0, 60, 40}, Color::FromARGB(kWhite), true);
        RectRegion dirty;
        dirty.AddRect(0, 0, 60, 40);
        renderer->PushState();
        renderer->PushOrigin({10, 5});
        look->DrawClientArea(*renderer, dirty);
        renderer->PopState();
        renderer->PopState();
    });
    EXPECT_EQ(Pixel(limited, 30, 25), kRed);
    EXPECT_EQ(Pixel(limited, 39, 26), kRed);
    EXPECT_EQ(Pixel(limited, 29, 25), kWhite);
    EXPECT_EQ(Pixel(limited, 30, 27), kWhite);
}

TEST_F(LookTest, LabelTextTakesTheForegroundColourAndStaysInItsRectangle) {
    RCPtr<LLook> look = MakeLook(u"Label", 120, 30);
    look->SetFont(LFont::GetFont(u"DejaVu Sans", 12.0f, 0));
    look->SetText(u"HELLO");
    auto target = MakeTarget(120, 30, true);
    Frame(target, {{0, 0, 120, 30}}, [&] {
        RectRegion dirty;
        dirty.AddRect(0, 0, 120, 30);
        EXPECT_EQ(look->DrawLabelText(*renderer, dirty, {0, 0}), S_OK);
    });
    const TestSupport::InkBox ink = Ink(target);
    ASSERT_FALSE(ink.empty);
    EXPECT_GE(ink.left, 22);
    EXPECT_LE(ink.right, 112);
    EXPECT_GE(ink.top, 2);
    EXPECT_LE(ink.bottom, 28);
    bool solid = false;
    for (int32_t y = ink.top; y < ink.bottom; ++y) {
        for (int32_t x = ink.left; x < ink.right; ++x) {
            solid = solid || Pixel(target, x, y) == 0xFF20C040u;
        }
    }
    EXPECT_TRUE(solid);
    EXPECT_EQ(MakeLook(u"Framed", 10, 10)->DrawLabelText(*renderer, RectRegion(), {0, 0}), S_FALSE);
}

TEST_F(LookTest, APartWhoseImageIsMissingKeepsItsColourOrDrawsNothing) {
    RCPtr<LLook> look = MakeLook(u"Lost", 20, 20);
    auto target = MakeTarget(20, 20, true);
    Frame(target, {{0, 0, 20, 20}}, [&] {
        renderer->FillRect({0, 0, 20, 20}, Color::FromARGB(kWhite), true);
        RectRegion dirty;
        dirty.AddRect(0, 0, 20, 20);
        EXPECT_EQ(look->DrawClientArea(*renderer, dirty), S_OK);
        EXPECT_EQ(look->DrawNonClientParts(*renderer, dirty), S_FALSE);
    });
    EXPECT_EQ(Pixel(target, 10, 10), kRed);
    EXPECT_EQ(look->GetPixelAt({10, 10}), 0xFFFF0000u);
    EXPECT_FALSE(factory->FindVisualPart(u"LostPlain")->GetVisualPart());
}

// An 8 x 8 picture whose pixel (x, y) is 0xFF00xxyy, with (2, 2) transparent.
RCPtr<LBitmap> Numbered() {
    RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap({8, 8}, Color::FromARGB(0));
    RCPtr<LBitmapData> data = bitmap->LockData();
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) {
            *data->GetPixelPointer(x, y) = x == 2 && y == 2 ? 0u : 0xFF000000u | (x << 8) | y;
        }
    }
    return bitmap;
}

TEST_F(LookTest, SamplingFollowsTheResizeType) {
    const RCPtr<LBitmap> picture = Numbered();
    const struct {
        ResizeType resize;
        PointT<float> point;
        PointT<float> size;
        uint32_t expected;
    } cases[] = {
        {ResizeType::Stretch, {3.4f, 5.0f}, {8, 8}, 0xFF000305},  // own size: the rounded point
        {ResizeType::Stretch, {-1.0f, 5.0f}, {8, 8}, 0x00FFFFFF},
        {ResizeType::Tile, {17.4f, 3.0f}, {40, 40}, 0xFF000103},  // 17 mod 8
        {ResizeType::Tile, {40.0f, 3.0f}, {40, 40}, 0x00FFFFFF},
        {ResizeType::Center, {6.0f, 7.0f}, {20, 20}, 0xFF000001},  // the part starts at (6, 6)
        {ResizeType::Center, {5.0f, 7.0f}, {20, 20}, 0x00FFFFFF},
        {ResizeType::Stretch, {5.0f, 7.0f}, {16, 16}, 0xFF000203},  // enlarged: scaled down point
        {ResizeType::Stretch, {1.0f, 1.0f}, {4, 4}, 0xFF000203},    // reduced: (2, 2) is clear, (2, 3) next
        {ResizeType::Stretch, {0.0f, 0.0f}, {4, 4}, 0xFF000000},
    };
    for (const auto& c : cases) {
        LVisualPart part(u"p", picture, {0, 0}, c.resize, nullptr, 1.0f, nullptr);
        EXPECT_EQ(part.GetColorAtPoint(c.point, c.size), c.expected)
            << static_cast<int>(c.resize) << " " << c.point.x << "," << c.point.y;
    }

    // A colour fill samples its colour with the alpha modifier applied; a tile narrower than half
    // a pixel answers transparent.
    RCPtr<LColorizer> blue = factory->FindColorizer(u"Blue");
    LVisualPart fill(u"f", nullptr, {8, 8}, ResizeType::Tile, blue, 0.5f, nullptr);
    EXPECT_EQ(fill.GetColorAtPoint({20, 3}, {40, 40}), 0x800000FFu);
    LVisualPart sliver(u"s", nullptr, {0, 8}, ResizeType::Tile, blue, 1.0f, nullptr);
    EXPECT_EQ(sliver.GetColorAtPoint({1, 1}, {10, 10}), 0x00FFFFFFu);
    LVisualPart nothing(u"n", nullptr, {8, 8}, ResizeType::Tile, nullptr, 1.0f, nullptr);
    EXPECT_EQ(nothing.GetColorAtPoint({1, 1}, {10, 10}), 0x00FFFFFFu);

    // A look answers with its non-client parts first, then its client part.
    RCPtr<LLook> look = MakeLook(u"Framed", 100, 50);
    EXPECT_EQ(look->GetPixelAt({90, 5}), 0xFF0000FFu);
    EXPECT_EQ(look->GetPixelAt({30, 10}), 0xFFFF0000u);
    EXPECT_EQ(look->GetPixelAt({99, 49}), 0x00FFFFFFu);
}

TEST_F(LookTest, VisualPartsAreSharedWhileHeld) {
    RCPtr<LVisualPartDescriptor> descriptor = factory->FindVisualPart(u"Red");
    RCPtr<LVisualPart> first = descriptor->GetVisualPart();
    EXPECT_EQ(descriptor->GetVisualPart(), first);
    EXPECT_EQ(first->GetRefCount(), 2);  // the holder and the descriptor's cache
    first = nullptr;                     // the last holder: the cache lets the part go too
    RCPtr<LVisualPart> second = descriptor->GetVisualPart();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->GetRefCount(), 2);
}

}  // namespace
}  // namespace QV
