#include "RIZozivirod/ControlBase/LayoutEngine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/Look.h"
#include "UITestSupport/FixedWidthMeasurer.h"
#include "UITestSupport/TestApplicationServices.h"

namespace QV {
namespace {

using LayoutEngine::ApplyMaximumSize;
using LayoutEngine::ApplyMinimumSize;
using LayoutEngine::ComputeFrame;
using LayoutEngine::SnapRect;

// A control as the engine sees it: a frame, a scroll offset, a client rectangle, children and
// a look, all set by the test.
struct TestControl : ILayoutControl {
    WString name;
    RectT<double> frame;
    PointT<double> scroll;
    RectT<double> client{0, 0, -1, -1};  // the whole frame unless set
    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    std::vector<TestControl*> children;
    RCPtr<LLook> look;

    RectT<double> GetLayoutFrame() const override { return frame; }
    PointT<double> GetLayoutScrollOffset() const override { return scroll; }
    RectT<double> GetLayoutClientRect() const override {
        return client.width < 0 ? RectT<double>{0, 0, frame.width, frame.height} : client;
    }
    const LLayoutDescriptor* GetLayoutDescriptor() const override { return layout.Get(); }
    uint32_t GetLayoutChildCount() const override { return static_cast<uint32_t>(children.size()); }
    const ILayoutControl* GetLayoutChild(uint32_t index) const override { return children[index]; }
    const ILayoutControl* FindLayoutChild(const WString& childName) const override {
        for (auto at = children.rbegin(); at != children.rend(); ++at) {
            if ((*at)->name == childName) {
                return *at;
            }
        }
        return nullptr;
    }
    LLook* GetLayoutLook() const override { return look.Get(); }
};

RectT<double> Frame(const LLayoutDescriptor& layout, const ILayoutControl* parent) {
    RectT<double> frame{-1, -1, -1, -1};
    EXPECT_EQ(ComputeFrame(&layout, parent, {0, 0, 1920, 1080}, {800, 600}, {5, 7}, frame), S_OK);
    return frame;
}

TEST(LayoutEngineTest, NearAndSnapMakeEdgesWhole) {
    EXPECT_EQ(LayoutEngine::Near(2.5), 3.0);
    EXPECT_EQ(LayoutEngine::Near(-2.5), -3.0);
    EXPECT_EQ(LayoutEngine::Near(-2.4), -2.0);
    RectT<double> rect{10.4, -0.5, 10.4, 1.0};
    SnapRect(rect);
    EXPECT_EQ(rect, (RectT<double>{10, -1, 11, 2}));  // far edges 20.8 and 0.5 become 21 and 1
}

TEST(LayoutEngineTest, WorkedExamplesAnchorsAndReferences) {
    TestControl parent;
    parent.frame = {0, 0, 220, 100};
    parent.client = {10, 5, 200, 90};
    TestControl dec, inc;
    dec.name = u"dec";
    dec.frame = {0, 0, 18, 18};
    inc.name = u"inc";
    inc.frame = {182, 0, 18, 18};
    parent.children = {&dec, &inc};

    // A button at the client's right edge: anchor 1 puts its far edge on the position.
    const RCPtr<LLayoutDescriptor> held = LLayoutDescriptor::Create();
    LLayoutDescriptor& button = *held;
    button.xPlacement.factor = 1;
    button.xPlacement.anchor = 1;
    button.xSize.offset = 18;
    EXPECT_EQ(Frame(button, &parent).x, 182.0);
    EXPECT_EQ(Frame(button, &parent).width, 18.0);

    // A channel between the "dec" and "inc" buttons.
    RCPtr<LLayoutDescriptor> channel = LLayoutDescriptor::Create();
    channel->xPlacement.reference = PlacementReference::kNamed;
    channel->xPlacement.referenceName = u"dec";
    channel->xPlacement.factor = 1;
    channel->xSize.reference = SizeReference::kNamed;
    channel->xSize.referenceName = u"inc";
    channel->xSize.factor = 0;
    channel->xSize.offset = 0;
    EXPECT_EQ(Frame(*channel, &parent), (RectT<double>{18, 0, 164, 40}));

    const struct {
        const char* what;
        float anchor;
        SizeReference size;
        float sizeFactor;
        double sizeOffset;
        PlacementReference place;
        float placeFactor;
        double placeOffset;
        RectT<double> expected;  // x and width only
    } cases[] = {
        {"fresh layout", 0, SizeReference::kSelf, 0, 16, PlacementReference::kClient, 0, 0, {0, 0, 16, 0}},
        {"negative self size",
         0,
         SizeReference::kSelf,
         0,
         -5,
         PlacementReference::kClient,
         0,
         0,
         {0, 0, 0, 0}},
        {"parent frame starts before the client",
         0,
         SizeReference::kParent,
         1,
         0,
         PlacementReference::kParent,
         0,
         0,
         {-10, 0, 220, 0}},
        {"centred on the client",
         0.5f,
         SizeReference::kSelf,
         0,
         40,
         PlacementReference::kClient,
         0.5f,
         0,
         {80, 0, 40, 0}},
        {"anchor 1, far edge before the position",
         1,
         SizeReference::kClient,
         0,
         50,
         PlacementReference::kClient,
         0,
         150,
         {50, 0, 100, 0}},
        {"far edge on the position",
         0,
         SizeReference::kClient,
         0,
         30,
         PlacementReference::kClient,
         0,
         30,
         {30, 0, 0, 0}},
        {"far edge before the position with anchor 0",
         0,
         SizeReference::kClient,
         0,
         10,
         PlacementReference::kClient,
         0,
         30,
         {30, 0, 0, 0}},
        {"half anchored span",
         0.5f,
         SizeReference::kClient,
         1,
         0,
         PlacementReference::kClient,
         0,
         100,
         {0, 0, 200, 0}},
        {"missing name measures from 0",
         0,
         SizeReference::kNamed,
         1,
         0,
         PlacementReference::kClient,
         0,
         5,
         {5, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
        layout->xPlacement.anchor = c.anchor;
        layout->xPlacement.reference = c.place;
        layout->xPlacement.factor = c.placeFactor;
        layout->xPlacement.offset = c.placeOffset;
        layout->xSize.reference = c.size;
        layout->xSize.referenceName = u"nobody";
        layout->xSize.factor = c.sizeFactor;
        layout->xSize.offset = c.sizeOffset;
        const RectT<double> frame = Frame(*layout, &parent);
        EXPECT_EQ(frame.x, c.expected.x);
        EXPECT_EQ(frame.width, c.expected.width);
    }
    RectT<double> untouched{1, 2, 3, 4};
    EXPECT_EQ(ComputeFrame(nullptr, &parent, {}, {}, {}, untouched), E_INVALIDARG);
    EXPECT_EQ(untouched, (RectT<double>{1, 2, 3, 4}));
}

TEST(LayoutEngineTest, DockingScrollingAndTopLevelFrames) {
    TestControl parent;
    parent.frame = {0, 0, 200, 100};
    parent.scroll = {30, 12};
    TestControl docked;
    docked.name = u"bar";
    docked.frame = {150, 0, 20, 100};
    docked.layout->xDocked = true;
    parent.children = {&docked};

    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    layout->xPlacement.offset = 10;
    layout->yPlacement.offset = 10;
    EXPECT_EQ(Frame(*layout, &parent), (RectT<double>{10, 10, 16, 40}));
    layout->xDocked = true;
    EXPECT_EQ(Frame(*layout, &parent), (RectT<double>{40, 10, 16, 40}));  // stays in view

    // A docked sibling is measured where it shows, not where it lies.
    RCPtr<LLayoutDescriptor> beside = LLayoutDescriptor::Create();
    beside->xPlacement.reference = PlacementReference::kNamed;
    beside->xPlacement.referenceName = u"bar";
    EXPECT_EQ(Frame(*beside, &parent).x, 120.0);

    // A top-level window: the screen is the parent frame, the window the client, the base
    // point the named origin.
    RCPtr<LLayoutDescriptor> window = LLayoutDescriptor::Create();
    window->xPlacement.reference = PlacementReference::kParent;
    window->xPlacement.factor = 0.5f;
    window->xPlacement.anchor = 0.5f;
    window->xSize.offset = 1200;
    window->yPlacement.reference = PlacementReference::kNamed;
    window->yPlacement.referenceName = u"anything";
    window->ySize.reference = SizeReference::kClient;
    window->ySize.factor = 1;
    window->ySize.offset = 0;
    EXPECT_EQ(Frame(*window, nullptr), (RectT<double>{360, 7, 1200, 593}));
}

TEST(LayoutEngineTest, MinimumAndMaximumSizes) {
    TestControl control;
    control.frame = {0, 0, 100, 50};
    LLayoutDescriptor& layout = *control.layout;
    layout.xMinimum.offset = 120;
    layout.xPlacement.anchor = 0.5f;
    layout.yMaximum.offset = 30;
    layout.yPlacement.anchor = 1;
    PointT<double> p{10, 20};
    PointT<double> s{100, 50};
    EXPECT_EQ(ApplyMinimumSize(control, p, s), S_FALSE);
    EXPECT_EQ(p, (PointT<double>{0, 20}));  // the anchored centre stays
    EXPECT_EQ(s, (PointT<double>{120, 50}));
    EXPECT_EQ(ApplyMaximumSize(control, p, s), S_FALSE);
    EXPECT_EQ(p, (PointT<double>{0, 40}));  // the anchored bottom stays
    EXPECT_EQ(s, (PointT<double>{120, 30}));
    EXPECT_EQ(ApplyMinimumSize(control, p, s), S_OK);
    EXPECT_EQ(ApplyMaximumSize(control, p, s), S_OK);

    // A minimum named after a child reaches the child's far edge; "Children" covers them all
    // and adds the look's non-client margin.
    TestControl a, b;
    a.name = u"a";
    a.frame = {5, 0, 30, 10};
    b.name = u"b";
    b.frame = {50, 40, 70, 20};
    TestControl parent;
    parent.frame = {0, 0, 40, 40};
    parent.children = {&a, &b};
    parent.layout->xMinimum = {LimitReference::kNamed, u"b", 1.0f, 4};
    parent.layout->yMinimum = {LimitReference::kNamed, u"Children", 1.0f, 0};
    p = {100, 100};
    s = {40, 40};
    EXPECT_EQ(ApplyMinimumSize(parent, p, s), S_FALSE);
    EXPECT_EQ(p, (PointT<double>{100, 100}));
    EXPECT_EQ(s, (PointT<double>{124, 60}));  // 50 + 70 + 4; the box 0 .. 60

    // Without children nothing changes; an edge the anchor cannot reach is an error.
    TestControl lonely;
    lonely.layout->xMinimum = {LimitReference::kNamed, u"Children", 1.0f, 0};
    p = {0, 0};
    s = {10, 10};
    EXPECT_EQ(ApplyMinimumSize(lonely, p, s), S_OK);
    parent.layout->xMinimum = {LimitReference::kNamed, u"a", 0.0f, 0};
    parent.layout->yMinimum = {};
    p = {100, 100};
    s = {40, 40};
    EXPECT_EQ(ApplyMinimumSize(parent, p, s), S_OK);  // the edge (105) lies inside the control
    // An edge before the position cannot be reached with anchor 0.
    parent.layout->xMinimum = {LimitReference::kNamed, u"a", 0.0f, -200};
    p = {100, 100};
    EXPECT_EQ(ApplyMinimumSize(parent, p, s), E_FAIL);
    EXPECT_EQ(p, (PointT<double>{100, 100}));
    EXPECT_EQ(s, (PointT<double>{40, 40}));
}

TEST(LayoutEngineTest, LabelsGrowWithTheirText) {
    ScopedTestApplicationServices services;
    RCPtr<TestSupport::FixedWidthMeasurer> measurer{new TestSupport::FixedWidthMeasurer()};
    services->measuringRenderer = measurer;
    RCPtr<LControlFactory> factory = LControlFactory::Create(u"App");
    const std::string xml =
        R"(<D><Colorizers><Colorizer Name="T" ColorType="SolidFill" Color="0xFFFFFFFF"/></Colorizers>
      <Parts><Part Name="T" Width="1" Height="1" ResizeType="Stretch" ColorizerName="T"/></Parts>
      <Looks><Look Name="Label"><TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="0.5" TextRightAbs="0"
        TextHAlign="0" TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0"
        TextForegroundPart="T"/></Look>
      <Look Name="Fixed"><TextProperties TextLeftRel="0.5" TextLeftAbs="0" TextRightRel="0.5" TextRightAbs="40"
        TextHAlign="0" TextTopRel="0" TextTopAbs="0" TextBottomRel="0" TextBottomAbs="20" TextVAlign="0"
        TextForegroundPart="T"/></Look></Looks></D>)";
    ASSERT_EQ(factory->ParseXml(xml.c_str(), static_cast<int32_t>(xml.size())), S_OK);

    TestControl label;
    label.frame = {0, 0, 40, 20};
    label.look = LLook::Create(factory->FindLook(u"Label"), false);
    label.look->SetFont(LFont::GetFont(u"DejaVu Sans", 9.0f, 0));
    label.look->SetSize({40, 20});
    label.look->SetText(u"ABCD EFGH");  // 90 wide
    label.layout->xTextOverflow = TextOverflow::kExpand;
    label.layout->yTextOverflow = TextOverflow::kExpand;

    // The text rectangle is 16 wide at 40 and takes half of any growth: 74 / 0.5 more.
    PointT<double> p{0, 0};
    PointT<double> s{40, 20};
    EXPECT_EQ(ApplyMinimumSize(label, p, s), S_FALSE);
    EXPECT_EQ(s, (PointT<double>{188, 20}));
    EXPECT_FALSE(label.look->GetTextBlock()->GetWrap());

    // With a maximum of 120 it stops there and wraps: in 56 pixels the text takes two lines.
    label.layout->xMaximum.offset = 120;
    s = {40, 20};
    EXPECT_EQ(ApplyMinimumSize(label, p, s), S_FALSE);
    EXPECT_EQ(s, (PointT<double>{120, 40}));
    EXPECT_TRUE(label.look->GetTextBlock()->GetWrap());

    // A text rectangle that does not grow with the control cannot make room: no growth.
    TestControl fixed;
    fixed.look = LLook::Create(factory->FindLook(u"Fixed"), false);
    fixed.look->SetFont(LFont::GetFont(u"DejaVu Sans", 9.0f, 0));
    fixed.look->SetText(u"ABCDEFGH");
    fixed.layout->xTextOverflow = TextOverflow::kExpand;
    fixed.layout->yTextOverflow = TextOverflow::kExpand;
    s = {40, 10};
    EXPECT_EQ(ApplyMinimumSize(fixed, p, s), S_OK);
    EXPECT_EQ(s, (PointT<double>{40, 10}));
}

}  // namespace
}  // namespace QV
