// A list box of 1,000 to 100,000 items: loading them in one batch (time and heap bytes per item),
// scrolling through them a page at a time (time per page, which must not grow with the count),
// and how many row controls the list made (as many as its ten visible rows need).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>

#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Controls/Button.h"
#include "RIZozivirod/Controls/ListBox.h"
#include "RIZozivirod/Controls/Panel.h"
#include "RIZozivirod/Controls/Scrollbar.h"
#include "RIZozivirod/Notification/Notification.h"
#include "UITestSupport/StandardSkin.h"
#include "UITestSupport/TestApplicationServices.h"
#include "UITestSupport/TestRootWindow.h"

namespace {

using namespace QV;

constexpr int32_t kVisibleRows = 10;
constexpr int32_t kRowHeight = 22;

std::string ListBenchRowLooks() {
    std::string looks = R"(<LookLists><LookList Name="Row" NumLooks="14">)";
    for (int i = 0; i < 14; ++i) {
        looks += R"(<Look Name="Solid" Index=")" + std::to_string(i) + R"("/>)";
    }
    return looks + "</LookList></LookLists>";
}

// A 200-pixel-wide list showing ten rows of 22 pixels, with its vertical bar.
struct ListScene {
    ListScene() {
        LNotification::EnablePooling(true);
        factory = LControlFactory::Create(u"Bench");
        factory->RegisterControlClass(u"Framework.Panel", &CreateControlFunction<LPanel>);
        factory->RegisterControlClass(u"Framework.Button", &CreateControlFunction<LButton>);
        factory->RegisterControlClass(u"Framework.ScrollBar", &CreateControlFunction<LScrollbar>);
        factory->RegisterControlClass(u"Framework.ScrollChannel", &CreateControlFunction<LPanel>);
        factory->RegisterControlClass(u"Framework.ListBox", &CreateControlFunction<LListBox>);
        factory->RegisterControlClass(u"Framework.ListBoxItem", &CreateControlFunction<LListBoxItem>);
        previous = LControlFactory::SetCurrent(factory);
        const std::string xml =
            "<Velkor_Skin_Definitions>" + TestSupport::SolidLooks() + ListBenchRowLooks() +
            R"(<Skin Name="Default"><SubControl Class="Framework.Panel" Name="Main" XSizeAbs="400" YSizeAbs="300">
               <Skin Name="s" LookList="Solid"/>
               <SubControl Class="Framework.ListBox" Name="list" XSizeAbs="200" YSizeAbs=")" +
            std::to_string(kVisibleRows * kRowHeight) + R"("><Skin Name="s" LookList="Solid">)" +
            TestSupport::VerticalBar("vBar", R"(XIsDocked="True" YIsDocked="True" XPositionRel="1"
                                    XPlacementAnchor="1" XSizeAbs="14" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0")",
                                     14) +
            R"(<SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1"
                 XSizeAbs="-14" YSizeAbs=")" +
            std::to_string(kRowHeight) + R"("><Skin Name="r" LookList="Row"/></SubControl>
               </Skin></SubControl></SubControl></Skin></Velkor_Skin_Definitions>)";
        factory->ParseXml(xml.c_str(), static_cast<int32_t>(xml.size()));
        window = TestRootWindow::Create({0, 0, 400, 300});
        main = factory->CreateControl(factory->FindControlDescriptor(u"Main"), nullptr);
        window->SetRootControl(main);
        list = RCPtr<LListBox>(dynamic_cast<LListBox*>(main->FindChild(u"list").Get()));
    }
    ~ListScene() {
        window->Detach();
        list = nullptr;
        main = nullptr;
        window = nullptr;
        LControlFactory::SetCurrent(previous);
        LNotification::EnablePooling(false);
    }
    void Load(int32_t count) {
        list->SetBatchUpdate(true);
        list->SetItemCount(count);
        for (int32_t i = 0; i < count; ++i) {
            list->SetItemData(i, LListBox::CreateItemString(WString::Format(u"Item number %d", i)));
        }
        list->SetBatchUpdate(false);
        list->UpdateClientExtent();
        list->RecomputeMaxItemWidth();
    }

    ScopedTestApplicationServices services;
    RCPtr<LControlFactory> factory;
    RCPtr<LControlFactory> previous;
    RCPtr<TestRootWindow> window;
    RCPtr<LControl> main;
    RCPtr<LListBox> list;
};

void BM_ListBoxBatchLoad(benchmark::State& state) {
    const auto count = static_cast<int32_t>(state.range(0));
    double bytes = 0;
    int32_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            ListScene scene;
            const size_t before = mallinfo2().uordblks;
            state.ResumeTiming();
            scene.Load(count);
            state.PauseTiming();
            bytes += static_cast<double>(mallinfo2().uordblks - before);
            rows = scene.list->GetItemControlCount();
        }
        state.ResumeTiming();
    }
    state.counters["bytes_per_item"] = bytes / static_cast<double>(state.iterations()) / count;
    state.counters["row_controls"] = rows;
    state.counters["time_per_item"] =
        benchmark::Counter(static_cast<double>(count),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ListBoxBatchLoad)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// From the top to the last page, one page at a time.
void BM_ListBoxScrollPages(benchmark::State& state) {
    const auto count = static_cast<int32_t>(state.range(0));
    ListScene scene;
    scene.Load(count);
    const int32_t pages = count / kVisibleRows;
    for (auto _ : state) {
        for (int32_t page = 0; page < pages; ++page) {
            scene.list->SetScrollOffset({0, static_cast<double>(page) * kVisibleRows * kRowHeight});
        }
        scene.list->SetScrollOffset({0, 0});
    }
    state.counters["time_per_page"] =
        benchmark::Counter(static_cast<double>(pages),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["row_controls"] = scene.list->GetItemControlCount();
}
BENCHMARK(BM_ListBoxScrollPages)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
