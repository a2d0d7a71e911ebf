#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/Renderer/AutoClip.h"
#include "RIZozivirod/Renderer/Gdi/GDIRendererTestSupport.h"
#include "UITestSupport/ControlTestFixture.h"

namespace QV {
namespace {

constexpr uint32_t kGray = 0xFF808080;

// A 200 x 150 panel whose client part is inset by 10 pixels, holding a control with two looks
// and a child, an unclipped control reaching past the panel's client area, a child docked on
// both axes, a plain child beside it and a control whose only part is a 10-pixel strip.
const char* const kSkin = R"(
<Colorizers>
  <Colorizer Name="Red" ColorType="SolidFill" Color="0xFFFF0000"/>
  <Colorizer Name="Blue" ColorType="SolidFill" Color="0xFF0000FF"/>
  <Colorizer Name="Green" ColorType="SolidFill" Color="0xFF00FF00"/>
  <Colorizer Name="Gray" ColorType="SolidFill" Color="0xFF808080"/>
</Colorizers>
<Parts>
  <Part Name="Red" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Red"/>
  <Part Name="Blue" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Blue"/>
  <Part Name="Green" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Green"/>
  <Part Name="Gray" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Gray"/>
</Parts>
<Looks>
  <Look Name="Frame">
    <ClientPart Name="Green" OffsetLeft="10" OffsetTop="10" OffsetRight="-10" OffsetBottom="-10"/>
    <NonClientParts>
      <NonClientPart Name="Gray" OffsetLeft="0" OffsetTop="0" OffsetRight="0" Height="10"/>
      <NonClientPart Name="Gray" OffsetLeft="0" OffsetBottom="0" OffsetRight="0" Height="10"/>
      <NonClientPart Name="Gray" OffsetLeft="0" OffsetTop="0" OffsetBottom="0" Width="10"/>
      <NonClientPart Name="Gray" OffsetRight="0" OffsetTop="0" OffsetBottom="0" Width="10"/>
    </NonClientParts>
  </Look>
  <Look Name="Red"><ClientPart Name="Red" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Blue"><ClientPart Name="Blue" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Strip"><NonClientParts>
    <NonClientPart Name="Blue" OffsetLeft="0" OffsetTop="0" OffsetBottom="0" Width="10"/></NonClientParts></Look>
</Looks>
<LookLists>
  <LookList Name="Frame" NumLooks="1"><Look Name="Frame" Index="0"/></LookList>
  <LookList Name="Two" NumLooks="2"><Look Name="Red" Index="0"/><Look Name="Blue" Index="1"/></LookList>
  <LookList Name="Red" NumLooks="1"><Look Name="Red" Index="0"/></LookList>
  <LookList Name="Blue" NumLooks="1"><Look Name="Blue" Index="0"/></LookList>
  <LookList Name="Strip" NumLooks="1"><Look Name="Strip" Index="0"/></LookList>
</LookLists>
<Skin Name="Default">
  <SubControl Class="Framework.Panel" Name="Main" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
      YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="s" LookList="Frame"/>
    <SubControl Class="Test.Counter" Name="Weighted" XSizeAbs="40" YSizeAbs="40"><Skin Name="s" LookList="Two"/>
      <SubControl Class="Test.Counter" Name="Inner" XPositionAbs="5" YPositionAbs="5" XSizeAbs="10" YSizeAbs="10">
        <Skin Name="s" LookList="Blue"/></SubControl>
    </SubControl>
    <SubControl Class="Test.Control" Name="Floating" ClipToParent="False" Z_Order="1" XPositionAbs="150"
        YPositionAbs="0" XSizeAbs="40" YSizeAbs="20"><Skin Name="s" LookList="Red"/></SubControl>
    <SubControl Class="Test.Control" Name="Docked" XIsDocked="True" YIsDocked="True" XPositionAbs="0"
        YPositionAbs="100" XSizeAbs="20" YSizeAbs="20"><Skin Name="s" LookList="Blue"/></SubControl>
    <SubControl Class="Test.Control" Name="Plain" XPositionAbs="50" YPositionAbs="100" XSizeAbs="20" YSizeAbs="20">
      <Skin Name="s" LookList="Red"/></SubControl>
    <SubControl Class="Test.Control" Name="Striped" XPositionAbs="100" YPositionAbs="50" XSizeAbs="30" YSizeAbs="30">
      <Skin Name="s" LookList="Strip"/></SubControl>
  </SubControl></Skin>)";

// Counts the calls of its content hook.
class CountingControl : public LControl {
public:
    CountingControl(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}
    int32_t PaintContent(const RCPtr<LRenderer>&) override {
        ++contentCalls;
        return S_OK;
    }
    int32_t contentCalls = 0;
};

class ControlPaintingTest : public ControlTestFixture {
protected:
    void SetUp() override {
        ControlTestFixture::SetUp();
        TestSupport::UseTestFonts();
        mLiveBitmaps = LBitmap::GetLiveCount();
        mFactory->RegisterControlClass(u"Test.Counter", &CreateControlFunction<CountingControl>);
        mWindow->SetRect({0, 0, 200, 150});
        LoadSkin(kSkin);
        main = CreateInWindow(u"Main");
        ASSERT_TRUE(main);
        renderer = RCPtr<LGDIRenderer>(new LGDIRenderer());
        RCPtr<LRenderContextInfo> info;
        ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 200, 150}, 0, true, info), S_OK);
        target = RCPtr<LGDIRenderContextInfo>(dynamic_cast<LGDIRenderContextInfo*>(info.Get()));
    }
    void TearDown() override {
        main = nullptr;
        target = nullptr;
        renderer = nullptr;
        ControlTestFixture::TearDown();
        EXPECT_EQ(LBitmap::GetLiveCount(), mLiveBitmaps);
    }

    // A full repaint of the window.
    void PaintAll() {
        RectRegion region;
        region.AddRect(0, 0, 200, 150);
        target->GetUpdateRegion().Clear();
        target->GetUpdateRegion().AddRect(0, 0, 200, 150);
        renderer->RenderStart(target);
        renderer->FillRect({0, 0, 200, 150}, Color::FromARGB(kWhite), false);
        mWindow->Paint(renderer, region);
        renderer->RenderFinish(target);
    }
    uint32_t Pixel(int32_t x, int32_t y) {
        cairo_surface_t* surface = target->GetDrawingSurface()->GetBitmap();
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        return reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) *
                                                            cairo_image_surface_get_stride(surface))[x];
    }
    RCPtr<LControl> Hit(int32_t x, int32_t y) {
        PointT<int32_t> local;
        return mWindow->HitTest({x, y}, local, false);
    }
    RCPtr<LControl> At(const char16_t* path) { return Find(main, path); }

    RCPtr<LControl> main;
    RCPtr<LGDIRenderer> renderer;
    RCPtr<LGDIRenderContextInfo> target;
    int32_t mLiveBitmaps = 0;
};

TEST_F(ControlPaintingTest, LooksPaintByWeightAndEachWeightedLookPaintsTheChildren) {
    // Main's client area starts at (10, 10): the weighted control covers (10, 10) to (50, 50).
    PaintAll();
    EXPECT_EQ(Pixel(5, 5), kGray);
    EXPECT_EQ(Pixel(12, 12), kRed);
    EXPECT_EQ(Pixel(17, 17), kBlue) << "the child";
    EXPECT_EQ(Pixel(60, 60), kGreen);
    RCPtr<CountingControl> weighted = At(u"Weighted");
    RCPtr<CountingControl> inner = At(u"Weighted/Inner");
    EXPECT_EQ(weighted->contentCalls, 1);
    EXPECT_EQ(inner->contentCalls, 1);

    weighted->SetLookWeight(0, 0.5f, false);
    weighted->SetLookWeight(1, 0.5f, false);
    PaintAll();
    EXPECT_EQ(Pixel(12, 12), kBlue) << "the second look is drawn over the first";
    EXPECT_EQ(inner->contentCalls, 3);

    // A weight outside [0, 1] is not stored; exclusive still clears the others.
    EXPECT_EQ(weighted->SetLookWeight(0, 1.5f, true), S_OK);
    EXPECT_EQ(weighted->GetLookWeight(0), 0.5f);
    EXPECT_EQ(weighted->GetLookWeight(1), 0.0f);
    EXPECT_EQ(weighted->SetLookWeight(2, 1.0f, false), E_INVALIDARG);
    EXPECT_EQ(weighted->GetCurrentLookIndex(), 0);
}

TEST_F(ControlPaintingTest, WeightedLooksPaintAtTheirShareOfTheOpacity) {
    RCPtr<LControl> weighted = At(u"Weighted");
    weighted->SetLookWeight(0, 0.25f, false);
    weighted->SetLookWeight(1, 0.75f, false);
    std::vector<float> opacities;
    // The opacity the looks see is the renderer state's while they draw.
    struct Probe : LControl {
        Probe(const RCPtr<LControl>& parent, std::vector<float>* seen)
            : LControl(parent, u"Probe"), out(seen) {}
        int32_t PaintContent(const RCPtr<LRenderer>& r) override {
            out->push_back(CurrentRenderState(*r).opacity);
            return S_OK;
        }
        std::vector<float>* out;
    };
    weighted->SetOpacity(0.5f);
    RectRegion region;
    region.AddRect(0, 0, 200, 150);
    RCPtrArray<LControl, 1, 0> unclipped;
    RCPtr<LControl> probe(new Probe(At(u"Weighted/Inner"), &opacities));
    probe->SetRect({0, 0}, {4, 4});
    renderer->RenderStart(target);
    main->Paint(renderer, region, unclipped, false);
    renderer->RenderFinish(target);
    EXPECT_EQ(opacities, (std::vector<float>{0.125f, 0.375f}));
    probe->Close();
}

TEST_F(ControlPaintingTest, UnclippedControlsPaintInFullInTheSecondPass) {
    // Floating spans window x 160 to 200: past Main's client part, which ends at 190.
    PaintAll();
    EXPECT_EQ(Pixel(195, 15), kRed);
    EXPECT_EQ(Pixel(165, 15), kRed);
    RectRegion region;
    RCPtrArray<LControl, 1, 0> unclipped;
    EXPECT_EQ(At(u"Floating")->Paint(renderer, region, unclipped, false), E_INVALIDARG);

    At(u"Floating")->SetClipToParent(true);
    PaintAll();
    EXPECT_EQ(Pixel(195, 15), kGray) << "clipped to the client part";
    EXPECT_EQ(Pixel(165, 15), kRed);

    // Scrolled out of view, a clipped parent still lets its unclipped children paint.
    At(u"Floating")->SetClipToParent(false);
    main->SetScrollOffset({0, 1000});
    PaintAll();
    EXPECT_EQ(Pixel(165, 15), kGreen);
    EXPECT_EQ(At(u"Floating")->GetRectInWindow(), (PointT<double>{160, -990}));
}

TEST_F(ControlPaintingTest, DockedChildrenStayInPlaceUnderAScrollOffset) {
    RCPtr<NotificationRecorder> scrolls = NotificationRecorder::Create(main, {u"NID_SCROLL_OFFSET_CHANGE"});
    EXPECT_EQ(main->SetScrollOffset({10.5, 29.5}), (PointT<double>{11, 30}));
    EXPECT_EQ(main->SetScrollOffset({11, 30}), (PointT<double>{11, 30}));
    EXPECT_EQ(scrolls->GetNames().size(), 1u);
    PaintAll();
    // Docked at (0, 100) of the content: window (10, 110) whatever the offset.
    EXPECT_EQ(At(u"Docked")->GetRectInWindow(), (PointT<double>{10, 110}));
    EXPECT_EQ(Pixel(15, 115), kBlue);
    // Plain, at (50, 100), moves by the offset to window (49, 80).
    EXPECT_EQ(At(u"Plain")->GetRectInWindow(), (PointT<double>{49, 80}));
    EXPECT_EQ(Pixel(50, 81), kRed);
    EXPECT_EQ(Pixel(65, 115), kGreen);
}

TEST_F(ControlPaintingTest, InvalidationReachesTheWindowClippedToVisibleParents) {
    mWindow->ClearInvalidated();
    At(u"Plain")->SetVisible(false);
    EXPECT_EQ(mWindow->GetInvalidated(), (std::vector<RectT<int32_t>>{{60, 110, 20, 20}}));
    mWindow->ClearInvalidated();
    EXPECT_EQ(At(u"Plain")->InvalidateRect({0, 0, 5, 5}, true), 1) << "a hidden control is not on screen";
    EXPECT_TRUE(mWindow->GetInvalidated().empty());

    // A clipped child hanging out of its parent is invalidated within the parent only.
    RCPtr<LControl> inner = At(u"Weighted/Inner");
    EXPECT_EQ(inner->InvalidateRect({-20, -20, 100, 100}, true), S_OK);
    EXPECT_EQ(mWindow->GetInvalidated(), (std::vector<RectT<int32_t>>{{10, 10, 40, 40}}));
    // An unclipped one reaches past it.
    mWindow->ClearInvalidated();
    EXPECT_EQ(At(u"Floating")->InvalidateRect({0, 0, 40, 20}, true), S_OK);
    EXPECT_EQ(mWindow->GetInvalidated(), (std::vector<RectT<int32_t>>{{160, 10, 40, 20}}));

    // Moving a control repaints where it was and where it is.
    mWindow->ClearInvalidated();
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    At(u"Docked")->GetPlacement(0, placement, size);
    placement.offset = 30;
    At(u"Docked")->SetPlacement(0, placement, size);
    EXPECT_EQ(mWindow->GetInvalidated(), (std::vector<RectT<int32_t>>{{10, 110, 20, 20}, {40, 110, 20, 20}}));
}

TEST_F(ControlPaintingTest, ClipRecordsOfAnUnknownFlavourAreRefused) {
    ClipRecord record;
    record.flavor = 3;
    try {
        CAutoClip clip(renderer, record);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what())
                      .find("Runtime Error : Unknown PushClip flavor : QV::CAutoClip::CAutoClip"),
                  std::string::npos)
            << error.what();
    }
}

TEST_F(ControlPaintingTest, HitTestsFollowEdgesZOrderTransparencyAndTheClientPart) {
    EXPECT_EQ(Hit(60, 110).Get(), At(u"Plain").Get());
    EXPECT_EQ(Hit(79, 129).Get(), At(u"Plain").Get());
    EXPECT_EQ(Hit(80, 115).Get(), main.Get()) << "the right edge is outside";
    EXPECT_EQ(Hit(15, 15).Get(), At(u"Weighted/Inner").Get());
    // Through the transparent part of a look to what lies below.
    EXPECT_EQ(Hit(112, 65).Get(), At(u"Striped").Get());
    EXPECT_EQ(Hit(125, 65).Get(), main.Get());
    // The unclipped control past the client part is still found.
    EXPECT_EQ(Hit(195, 15).Get(), At(u"Floating").Get());
    // Of two overlapping unclipped controls the larger Z wins, whatever their order.
    At(u"Plain")->SetClipToParent(false);
    LLayoutDescriptor::Placement placement;
    LLayoutDescriptor::Size size;
    At(u"Plain")->GetPlacement(1, placement, size);
    placement.offset = 0;
    At(u"Plain")->SetPlacement(1, placement, size);
    At(u"Plain")->GetPlacement(0, placement, size);
    placement.offset = 160;
    At(u"Plain")->SetPlacement(0, placement, size);
    EXPECT_EQ(Hit(175, 15).Get(), At(u"Floating").Get());
    At(u"Plain")->GetLayout()->zOrder = 2;
    EXPECT_EQ(Hit(175, 15).Get(), At(u"Plain").Get());
    At(u"Plain")->GetLayout()->zOrder = 1;
    main->GetChildren().MarkStale();
    EXPECT_EQ(Hit(175, 15).Get(), At(u"Plain").Get()) << "equal Z: the later in paint order";
    // Scrolled under the frame, an undocked child is not hit there; a docked one is.
    At(u"Plain")->SetClipToParent(true);
    At(u"Plain")->GetPlacement(0, placement, size);
    placement.offset = 50;
    At(u"Plain")->SetPlacement(0, placement, size);
    At(u"Plain")->GetPlacement(1, placement, size);
    placement.offset = 100;
    At(u"Plain")->SetPlacement(1, placement, size);
    main->SetScrollOffset({0, 105});
    ASSERT_EQ(At(u"Plain")->GetRectInWindow(), (PointT<double>{60, 5}));
    EXPECT_EQ(Hit(65, 7).Get(), main.Get()) << "under the frame, outside the client part";
    EXPECT_EQ(Hit(65, 15).Get(), At(u"Plain").Get());
    EXPECT_EQ(At(u"Docked")->GetRectInWindow(), (PointT<double>{10, 110}));
    // A hidden control is never hit, nor are its children.
    main->SetScrollOffset({0, 0});
    At(u"Weighted")->SetVisible(false);
    EXPECT_EQ(Hit(15, 15).Get(), main.Get());
}

}  // namespace
}  // namespace QV
