// A drag through a scroll view: 1,000 pointer moves of the left button held on a view that
// scrolls its own content (drag mode 6), each move scrolling the content, moving the view's bar
// and invalidating, on a clock that moves 5 ms per move. Time per move, and the heap allocations
// the moves make once the drag has been through the same path before (which should be none).
#include <benchmark/benchmark.h>

#include <string>

#include "RIZozivirod/ControlBase/Control.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/ControlParams.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Controls/Scrollbar.h"
#include "RIZozivirod/Notification/Notification.h"
#include "UITestSupport/StandardSkin.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/TestRootWindow.h"

int64_t SkyletBenchAllocationCount();

namespace {

using namespace QV;

constexpr int32_t kMoves = 1000;

// A panel that drags its own content whenever the left button goes down on it.
class DragView : public LPanel {
public:
    DragView(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override {
        LPanel::OnConditionsChanged(param);
        if ((param->current & ~param->previous & kLeftPressed) != 0) {
            SetDragMode(6, 2);
        }
    }
};

struct DragScene {
    DragScene() {
        // As in the program, notifications come from their pool.
        LNotification::EnablePooling(true);
        factory = LControlFactory::Create(u"Bench");
        factory->RegisterControlClass(u"Framework.Panel", &CreateControlFunction<LPanel>);
        factory->RegisterControlClass(u"Framework.Button", &CreateControlFunction<LButton>);
        factory->RegisterControlClass(u"Framework.ScrollBar", &CreateControlFunction<LScrollbar>);
        factory->RegisterControlClass(u"Framework.ScrollChannel", &CreateControlFunction<LPanel>);
        factory->RegisterControlClass(u"Bench.DragView", &CreateControlFunction<DragView>);
        previous = LControlFactory::SetCurrent(factory);
        std::string rows;
        for (int i = 0; i < 40; ++i) {
            rows += R"(<SubControl Class="Framework.Button" Name="row)" + std::to_string(i) +
                    R"(" XPositionAbs="8" YPositionAbs=")" + std::to_string(8 + 30 * i) +
                    R"(" XSizeAbs="200" YSizeAbs="22"><Skin Name="b" LookList="Solid"/></SubControl>)";
        }
        const std::string xml =
            "<Velkor_Skin_Definitions>" + TestSupport::SolidLooks() +
            R"(<Skin Name="Default"><SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400"
                                YSizeAbs="300"><Skin Name="s" LookList="Solid"/><SubControl Class="Bench.DragView"
                                Name="view" XSizeAbs="400" YSizeAbs="300"><Skin Name="s" LookList="Solid"/>)" +
            rows +
            TestSupport::VerticalBar("vBar", R"(XIsDocked="True" YIsDocked="True" XPositionRel="1"
                                    XPlacementAnchor="1" XSizeAbs="14" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0")",
                                     14) +
            "</SubControl></SubControl></Skin></Velkor_Skin_Definitions>";
        factory->ParseXml(xml.c_str(), static_cast<int32_t>(xml.size()));
        window = TestRootWindow::Create({0, 0, 400, 300});
        main = factory->CreateControl(factory->FindControlDescriptor(u"Main"), nullptr);
        window->SetRootControl(main);
        view = main->FindChild(u"view");
        dynamic_cast<LScrollView*>(view.Get())->SetClientExtent({400, 1000000});
        move = RCPtr<LPointWithModifiersParam>(new LPointWithModifiersParam(300, 150, 0, 0));
        press = RCPtr<LMouseButtonParam>(new LMouseButtonParam(300, 150, 0, 0, 1, false, 1));
        release = RCPtr<LMouseButtonParam>(new LMouseButtonParam(300, 150, 0, 0, 1, false, 0));
    }
    ~DragScene() {
        window->Detach();
        view = nullptr;
        main = nullptr;
        window = nullptr;
        LControlFactory::SetCurrent(previous);
        LNotification::EnablePooling(false);
    }

    // Presses, moves the pointer up and down by 1,000 moves of 3 pixels, releases.
    void Drag() {
        window->SetMouseButtonsForTest(1);
        window->SetCursorPosForTest({300, 150});
        PointT<int32_t> local;
        window->HitTest({300, 150}, local, true);
        view->OnMouseDown(press);
        for (int32_t i = 0; i < kMoves; ++i) {
            services->AdvanceMs(5);
            move->y = 150 - 3 * (i < kMoves / 2 ? i : kMoves - i);
            view->OnMouseMove(move);
            if (i == kMoves / 2) {
                deepest = view->GetScrollOffset().y;
            }
        }
        services->AdvanceMs(200);  // a pause: no kinetic scroll afterwards
        window->SetMouseButtonsForTest(0);
        view->OnMouseUp(release);
    }

    ScopedTestApplicationServices services;
    RCPtr<LControlFactory> factory;
    RCPtr<LControlFactory> previous;
    RCPtr<TestRootWindow> window;
    RCPtr<LControl> main;
    RCPtr<LControl> view;
    RCPtr<LPointWithModifiersParam> move;
    RCPtr<LMouseButtonParam> press;
    RCPtr<LMouseButtonParam> release;
    double deepest = 0;
};

void BM_ScrollViewDrag1000Moves(benchmark::State& state) {
    DragScene scene;
    scene.Drag();  // warm
    int64_t moveAllocations = 0;
    for (auto _ : state) {
        const int64_t before = SkyletBenchAllocationCount();
        scene.Drag();
        moveAllocations += SkyletBenchAllocationCount() - before;
    }
    state.counters["time_per_move"] =
        benchmark::Counter(static_cast<double>(kMoves),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["allocations_per_move"] = benchmark::Counter(
        static_cast<double>(moveAllocations) / static_cast<double>(state.iterations() * kMoves));
    state.counters["offset_half_way"] = scene.deepest;
}
BENCHMARK(BM_ScrollViewDrag1000Moves)->Unit(benchmark::kMicrosecond);

}  // namespace
