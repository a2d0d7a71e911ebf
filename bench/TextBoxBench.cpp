// The text box at 16 and at 1,000 characters: one typed character (a character typed in the
// middle of the text and taken away again with Backspace, so every round starts from the same
// text; each round is two keystrokes) and one hit test of a point in the middle of the box,
// measured with the real text measurer and the tests' font. Time and heap allocations per
// keystroke and per hit test. A keystroke has to stay far below a frame (16 ms).
#include <benchmark/benchmark.h>

#include <string>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/ControlBase/KeyParam.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Controls/TextBox.h"
#include "RIZozivirod/Notification/Notification.h"
#include "RIZozivirod/Renderer/Gdi/GDIRenderer.h"
#include "UITestSupport/StandardSkin.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/TestFonts.h"
#include "UITestSupport/TestRootWindow.h"

int64_t SkyletBenchAllocationCount();

namespace {

using namespace QV;

struct TextBoxScene {
    explicit TextBoxScene(int32_t length) {
        LNotification::EnablePooling(true);
        ::TestSupport::UseTestFonts();
        services->measuringRenderer = RCPtr<LGDIRenderer>(new LGDIRenderer());
        factory = LControlFactory::Create(u"Bench");
        factory->RegisterControlClass(u"Framework.Panel", &CreateControlFunction<LPanel>);
        factory->RegisterControlClass(u"Framework.TextBox", &CreateControlFunction<LTextBox>);
        previous = LControlFactory::SetCurrent(factory);
        const std::string xml = "<Velkor_Skin_Definitions>" + QV::TestSupport::TextBoxLooks() + QV::TestSupport::SolidLooks() +
                                R"(<Skin Name="Default" FontName="DejaVu Sans" FontSize="9" FontStyle="0">
            <SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="100"><Skin Name="s" LookList="Solid">
              <SubControl Class="Framework.TextBox" Name="box" TabStop="1" XPositionAbs="10" YPositionAbs="10"
                  XSizeAbs="300" YSizeAbs="22"><Skin Name="t" LookList="TextBox"/></SubControl>
            </Skin></SubControl></Skin></Velkor_Skin_Definitions>)";
        factory->ParseXml(xml.c_str(), static_cast<int32_t>(xml.size()));
        window = TestRootWindow::Create({0, 0, 400, 100});
        main = factory->CreateControl(factory->FindControlDescriptor(u"Main"), nullptr);
        window->SetRootControl(main);
        box = RCPtr<LTextBox>(dynamic_cast<LTextBox*>(main->FindChild(u"box").Get()));
        box->SetAutoScroll(0, true);
        std::u16string text;
        for (int32_t i = 0; i < length; ++i) {
            text += static_cast<char16_t>(u'a' + i % 26);
        }
        box->SetText(WString(text.c_str()));
        box->SetFocus(true);
        box->SetCaretPosition(length / 2, false);
        typed = LKeyParam::Create(KeyCode(u'x', 0), true);
        backspace = LKeyParam::Create(KeyCode(0x08, true, 0, 0), true);
    }
    ~TextBoxScene() {
        window->Detach();
        box = nullptr;
        main = nullptr;
        window = nullptr;
        LControlFactory::SetCurrent(previous);
        LNotification::EnablePooling(false);
    }

    ScopedTestApplicationServices services;
    RCPtr<LControlFactory> factory;
    RCPtr<LControlFactory> previous;
    RCPtr<TestRootWindow> window;
    RCPtr<LControl> main;
    RCPtr<LTextBox> box;
    RCPtr<LKeyParam> typed;
    RCPtr<LKeyParam> backspace;
};

void BM_TextBoxKeystroke(benchmark::State& state) {
    TextBoxScene scene(static_cast<int32_t>(state.range(0)));
    scene.box->HandleKeyDown(scene.typed);
    scene.box->HandleKeyDown(scene.backspace);
    int64_t allocations = 0;
    for (auto _ : state) {
        const int64_t before = SkyletBenchAllocationCount();
        scene.box->HandleKeyDown(scene.typed);
        scene.box->HandleKeyDown(scene.backspace);
        allocations += SkyletBenchAllocationCount() - before;
    }
    state.counters["time_per_keystroke"] =
        benchmark::Counter(2.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["allocations_per_keystroke"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations() * 2));
    state.counters["length"] = static_cast<double>(scene.box->GetTextLength());
}
BENCHMARK(BM_TextBoxKeystroke)->Arg(16)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_TextBoxHitTest(benchmark::State& state) {
    TextBoxScene scene(static_cast<int32_t>(state.range(0)));
    int64_t allocations = 0;
    int32_t index = 0;
    for (auto _ : state) {
        const int64_t before = SkyletBenchAllocationCount();
        index = scene.box->HitTestCharacter({150.0, 10.0});
        allocations += SkyletBenchAllocationCount() - before;
        benchmark::DoNotOptimize(index);
    }
    state.counters["allocations_per_hit_test"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
    state.counters["index"] = static_cast<double>(index);
}
BENCHMARK(BM_TextBoxHitTest)->Arg(16)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
