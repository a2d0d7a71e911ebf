#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <vector>

#include "Panel/Application.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "UI/DriverCommon/MainControl.h"
#include "UI/EditorTestSupport.h"
#include "UI/FadersPanel.h"

// The editor's own tree: building "mainControl" from the product skin with every edit panel (time,
// controls, heap bytes the tree holds), applying a whole preset (the engine's list of 37 values)
// to it, and switching the faders page (re-binding four panels and showing their values).

namespace {

class EditorTree {
public:
    EditorTree() {
        mFactory->SetResourceBasePath(u"::");
        mFactory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0409);
        mFactory->LoadSkins(u"::APP_SKINS");
        mApp = LApplication::Create(mFactory, mFactory->GetFrameworkStringTable(), "editor-bench");
        mApp->RunApplicationStartup();
    }
    ~EditorTree() { mApp->RunApplicationShutdown(); }

    QV::RCPtr<QV::LMainControl> Build() {
        QV::RCPtr<QV::LControl> main;
        mApp->CreateControl(u"mainControl", main);
        return QV::RCPtr<QV::LMainControl>(dynamic_cast<QV::LMainControl*>(main.Get()));
    }

private:
    QV::RCPtr<QV::LControlFactory> mFactory = QV::LControlFactory::Create(u"Skylet");
    EditorTestSupport::FakeEditorEngine mEngine;
    QV::RCPtr<LApplication> mApp;
};

int64_t CountControls(QV::LControl& control) {
    int64_t count = 1;
    QV::LControl::ChildControlList& children = control.GetChildren();
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        count += CountControls(*children.GetAt(i, 0));
    }
    return count;
}

void BM_BuildMainControlTree(benchmark::State& state) {
    EditorTree tree;
    int64_t controls = 0;
    double bytes = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        QV::RCPtr<QV::LMainControl> main = tree.Build();
        state.PauseTiming();
        bytes += static_cast<double>(mallinfo2().uordblks) - static_cast<double>(before);
        controls = main ? CountControls(*main) : 0;
        if (main) {
            main->Close();
        }
        main = nullptr;
        state.ResumeTiming();
    }
    state.counters["controls"] = static_cast<double>(controls);
    state.counters["heap_bytes"] = bytes / static_cast<double>(state.iterations());
}
BENCHMARK(BM_BuildMainControlTree)->Unit(benchmark::kMillisecond);

// The faders page's arrows in turn: each switch re-binds and re-heads the four panels and shows
// the other four faders' stored values, every control of the page changing.
void BM_FadersPageSwitch(benchmark::State& state) {
    EditorTree tree;
    QV::RCPtr<QV::LMainControl> main = tree.Build();
    QV::RCPtr<QV::LControl> page = main->FindChild(u"viewDevice");
    page = page ? page->FindChild(u"tabControl") : nullptr;
    page = page ? page->FindChild(u"pageHolder") : nullptr;
    page = page ? page->FindChild(u"faders") : nullptr;
    auto* faders = dynamic_cast<LFadersPanel*>(page.Get());
    if (faders == nullptr) {
        state.SkipWithError("no faders page");
        return;
    }
    int32_t shown = 0;
    for (auto _ : state) {
        shown = 1 - shown;
        faders->ShowPage(shown);
    }
    // The controls a switch reaches: the four panels and everything in them.
    int64_t touched = 0;
    for (const char16_t* name : {u"fader1", u"fader2", u"fader3", u"fader4"}) {
        if (const QV::RCPtr<QV::LControl> fader = faders->FindChild(name)) {
            touched += CountControls(*fader);
        }
    }
    state.counters["controls_touched"] = static_cast<double>(touched);
    main->Close();
}
BENCHMARK(BM_FadersPageSwitch)->Unit(benchmark::kMicrosecond);

// Two presets in turn, so every value changes the controls it reaches.
void BM_ApplyPresetToAllPanels(benchmark::State& state) {
    EditorTree tree;
    QV::RCPtr<QV::LMainControl> main = tree.Build();
    const std::vector<QV::Variant> defaults = EditorTestSupport::ModelDefaults();
    std::vector<QV::Variant> other;
    for (const QV::Variant& value : defaults) {
        uint32_t length = 0;
        const auto* data = static_cast<const uint8_t*>(value.GetData(length));
        std::vector<uint8_t> bytes(data, data + length);
        for (uint8_t& byte : bytes) {
            byte = static_cast<uint8_t>(byte == 0 ? 1 : byte - 1);
        }
        other.push_back(EditorTestSupport::Blob(bytes));
    }
    bool flip = false;
    for (auto _ : state) {
        const std::vector<QV::Variant>& preset = flip ? other : defaults;
        for (int32_t id = 0; id < static_cast<int32_t>(preset.size()); ++id) {
            main->ApplyParamValue(QV::ParamDescriptor(id), preset[static_cast<size_t>(id)]);
        }
        flip = !flip;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(defaults.size()));
    main->Close();
}
BENCHMARK(BM_ApplyPresetToAllPanels)->Unit(benchmark::kMicrosecond);

}  // namespace
