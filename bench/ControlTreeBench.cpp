// A skinned tree of 200 controls in a 1200 x 600 window: 20 framed panels in a grid, each with
// 9 children of three looks, one of them with a transparent part. Measured: one layout pass of
// the whole tree after a change of the window's size, one hit test per pointer move along a
// path across it, and a full paint of the window through the Cairo renderer.
#include <benchmark/benchmark.h>

#include <climits>
#include <string>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Controls/Label.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"
#include "UITestSupport/TestFonts.h"
#include "UITestSupport/TestRootWindow.h"

namespace {

using namespace QV;

constexpr int32_t kWidth = 1200;
constexpr int32_t kHeight = 600;

std::string Skin() {
    std::string xml = R"(<Velkor_Skin_Definitions>
<Colorizers>
  <Colorizer Name="Panel" ColorType="SolidFill" Color="0xFF25282D"/>
  <Colorizer Name="Raised" ColorType="SolidFill" Color="0xFF2F333A"/>
  <Colorizer Name="Border" ColorType="SolidFill" Color="0xFF3C424A"/>
  <Colorizer Name="Accent" ColorType="SolidFill" Color="0xFF3FA7D6"/>
</Colorizers>
<Parts>
  <Part Name="Panel" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Panel"/>
  <Part Name="Raised" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Raised"/>
  <Part Name="Border" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Border"/>
  <Part Name="Accent" Width="4" Height="4" ResizeType="Stretch" ColorizerName="Accent"/>
</Parts>
<Looks>
  <Look Name="Group"><ClientPart Name="Panel" OffsetLeft="4" OffsetTop="20" OffsetRight="-4" OffsetBottom="-4"/>
    <NonClientParts><NonClientPart Name="Border" OffsetLeft="0" OffsetTop="0" OffsetRight="0" Height="20"/>
    </NonClientParts></Look>
  <Look Name="Box"><ClientPart Name="Raised" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Pressed"><ClientPart Name="Accent" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="Tick"><NonClientParts><NonClientPart Name="Accent" OffsetLeft="0" OffsetTop="0" OffsetBottom="0"
    Width="6"/></NonClientParts></Look>
</Looks>
<LookLists>
  <LookList Name="Group" NumLooks="1"><Look Name="Group" Index="0"/></LookList>
  <LookList Name="Box" NumLooks="2"><Look Name="Box" Index="0"/><Look Name="Pressed" Index="1"/></LookList>
  <LookList Name="Tick" NumLooks="1"><Look Name="Tick" Index="0"/></LookList>
</LookLists>
<Skin Name="Default">
  <SubControl Class="Framework.Panel" Name="Main" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
      YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="s"/>)";
    for (int group = 0; group < 20; ++group) {
        const int column = group % 5;
        const int row = group / 5;
        xml += "<SubControl Class=\"Framework.Panel\" Name=\"G" + std::to_string(group) +
               "\" XPositionRel=\"" + std::to_string(column * 0.2) + "\" YPositionRel=\"" +
               std::to_string(row * 0.25) +
               "\" XSizeToControl=\"Client\" XSizeRel=\"0.2\" XSizeAbs=\"-8\" YSizeToControl=\"Client\" "
               "YSizeRel=\"0.25\" YSizeAbs=\"-8\"><Skin Name=\"s\" LookList=\"Group\"/>";
        for (int item = 0; item < 9; ++item) {
            const char* look = item == 8 ? "Tick" : "Box";
            xml +=
                "<SubControl Class=\"" + std::string(item == 0 ? "Framework.Label" : "Test.Control") +
                "\" Name=\"C" + std::to_string(item) + "\" TabStop=\"" + std::to_string(item) +
                "\" XPositionRel=\"" + std::to_string((item % 3) / 3.0) +
                "\" XPositionAbs=\"4\" YPositionRel=\"" + std::to_string((item / 3) / 3.0) +
                "\" XSizeToControl=\"Client\" XSizeRel=\"0.333\" XSizeAbs=\"-8\" "
                "YSizeToControl=\"Client\" YSizeRel=\"0.333\" YSizeAbs=\"-6\"><Skin Name=\"s\" LookList=\"" +
                look + "\"/></SubControl>";
        }
        xml += "</SubControl>";
    }
    return xml + "</SubControl></Skin></Velkor_Skin_Definitions>";
}

// The tree in its window, and a Cairo renderer with an offscreen target of the window's size.
struct Scene {
    Scene() {
        TestSupport::UseTestFonts();
        factory = LControlFactory::Create(u"Bench");
        factory->RegisterControlClass(u"Framework.Panel", &CreateControlFunction<LPanel>);
        factory->RegisterControlClass(u"Framework.Label", &CreateControlFunction<LLabel>);
        factory->RegisterControlClass(u"Test.Control", &CreateControlFunction<LControl>);
        previous = LControlFactory::SetCurrent(factory);
        const std::string xml = Skin();
        factory->ParseXml(xml.c_str(), static_cast<int32_t>(xml.size()));
        window = TestRootWindow::Create({0, 0, kWidth, kHeight});
        root = factory->CreateControl(factory->FindControlDescriptor(u"Main"), nullptr);
        window->SetRootControl(root);
        renderer = RCPtr<LGDIRenderer>(new LGDIRenderer());
        renderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, 0, true, target);
    }
    ~Scene() {
        window->Detach();
        root = nullptr;
        window = nullptr;
        LControlFactory::SetCurrent(previous);
    }

    RCPtr<LControlFactory> factory;
    RCPtr<LControlFactory> previous;
    RCPtr<TestRootWindow> window;
    RCPtr<LControl> root;
    RCPtr<LGDIRenderer> renderer;
    RCPtr<LRenderContextInfo> target;
};

void BM_ControlTreeLayoutPass(benchmark::State& state) {
    Scene scene;
    int32_t width = kWidth;
    for (auto _ : state) {
        // Every control depends on the window's size: the whole tree is laid out again.
        width = width == kWidth ? kWidth - 40 : kWidth;
        scene.window->SetRect({0, 0, width, kHeight});
        scene.root->OnSizeChanged({width, kHeight});
        scene.window->ClearInvalidated();
    }
    state.SetLabel(std::to_string(LControl::GetLiveCount()) + " controls");
}
BENCHMARK(BM_ControlTreeLayoutPass)->Unit(benchmark::kMicrosecond);

void BM_ControlTreeHitTestPerMove(benchmark::State& state) {
    Scene scene;
    int32_t step = 0;
    for (auto _ : state) {
        // A diagonal path across the window, one pixel step per move.
        const int32_t x = (step * 7) % kWidth;
        const int32_t y = (step * 3) % kHeight;
        ++step;
        PointT<int32_t> local;
        benchmark::DoNotOptimize(scene.window->HitTest({x, y}, local, true));
    }
}
BENCHMARK(BM_ControlTreeHitTestPerMove);

void BM_ControlTreeFullPaint(benchmark::State& state) {
    Scene scene;
    RectRegion region;
    region.AddRect(0, 0, kWidth, kHeight);
    for (auto _ : state) {
        scene.target->GetUpdateRegion().Clear();
        scene.target->GetUpdateRegion().AddRect(0, 0, kWidth, kHeight);
        scene.renderer->RenderStart(scene.target);
        scene.window->Paint(scene.renderer, region);
        scene.renderer->RenderFinish(scene.target);
    }
}
BENCHMARK(BM_ControlTreeFullPaint)->Unit(benchmark::kMicrosecond);

}  // namespace
