#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "Panel/Application.h"
#include "RIZozivirod/ControlBase/ControlFactory.h"
#include "RIZozivirod/Controls/ComboBox.h"
#include "RIZozivirod/Controls/NumericUpDown.h"
#include "UI/DriverCommon/MainControl.h"
#include "UI/EditorTestSupport.h"
#include "UI/PadsPanel.h"

// Switching the PADS page between pads 1-4 and pads 5-8: the four pad panels are bound to the
// other pads and show their stored values at once (sixteen values through the main control).

namespace {

// The state of every combo box and number box below a control, in tree order.
void CollectPadStates(QV::LControl& control, std::vector<double>& states) {
    if (auto* combo = dynamic_cast<QV::LComboBox*>(&control)) {
        states.push_back(combo->GetSelectedIndex());
    } else if (auto* number = dynamic_cast<QV::LNumericUpDown*>(&control)) {
        states.push_back(number->GetValue());
    }
    QV::LControl::ChildControlList& children = control.GetChildren();
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        CollectPadStates(*children.GetAt(i, 0), states);
    }
}

void BM_PadsPageSwitch(benchmark::State& state) {
    QV::RCPtr<QV::LControlFactory> factory = QV::LControlFactory::Create(u"Skylet");
    factory->SetResourceBasePath(u"::");
    factory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0409);
    factory->LoadSkins(u"::APP_SKINS");
    EditorTestSupport::FakeEditorEngine engine;
    // Pads 5-8 differ from pads 1-4 in every byte, so each switch changes every control shown.
    for (int32_t pad = 4; pad < 8; ++pad) {
        engine.cache[static_cast<size_t>(21 + 2 * pad)] =
            EditorTestSupport::Blob({0x01, 0x40, 0x7F, 0x11, 0x02});
        engine.cache[static_cast<size_t>(22 + 2 * pad)] = EditorTestSupport::Blob({0x0D, 0x0C, 0x0B, 0x0A});
    }
    QV::RCPtr<LApplication> app =
        LApplication::Create(factory, factory->GetFrameworkStringTable(), "pads-bench");
    app->RunApplicationStartup();
    {
        QV::RCPtr<QV::LControl> main;
        app->CreateControl(u"mainControl", main);
        main->AttachToRootWindow();
        QV::RCPtr<QV::LControl> page = main->FindChild(u"viewDevice")->FindChild(u"tabControl");
        page = page->FindChild(u"pageHolder")->FindChild(u"pads");
        auto* pads = dynamic_cast<LPadsPanel*>(page.Get());
        std::vector<double> before, after;
        CollectPadStates(*pads, before);
        pads->ShowPage(1);
        CollectPadStates(*pads, after);
        int64_t touched = 0;
        for (size_t i = 0; i < before.size(); ++i) {
            touched += before[i] != after[i] ? 1 : 0;
        }
        int32_t next = 0;
        for (auto _ : state) {
            pads->ShowPage(next);
            next = 1 - next;
        }
        state.counters["controls"] = static_cast<double>(before.size());
        state.counters["touched"] = static_cast<double>(touched);
        main->Close();
    }
    app->RunApplicationShutdown();
}
BENCHMARK(BM_PadsPageSwitch)->Unit(benchmark::kMicrosecond);

}  // namespace
