#include <benchmark/benchmark.h>

#include "RIZozivirod/ControlBase/ControlFactory.h"

// The start-up cost of the program's own documents: a new control factory reading the string
// tables (the application's, then the framework's, with the language fallback of a German
// user) and the skin from the embedded resources, as the program does before its first window.

namespace {

void BM_LoadStringTables(benchmark::State& state) {
    for (auto _ : state) {
        QV::RCPtr<QV::LControlFactory> factory = QV::LControlFactory::Create(u"PresetEditor");
        benchmark::DoNotOptimize(factory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0407));
    }
}
BENCHMARK(BM_LoadStringTables);

void BM_LoadSkins(benchmark::State& state) {
    for (auto _ : state) {
        QV::RCPtr<QV::LControlFactory> factory = QV::LControlFactory::Create(u"PresetEditor");
        factory->SetResourceBasePath(u"::");
        benchmark::DoNotOptimize(factory->LoadSkins(u"::APP_SKINS"));
    }
}
BENCHMARK(BM_LoadSkins);

void BM_LoadStringTablesAndSkins(benchmark::State& state) {
    for (auto _ : state) {
        QV::RCPtr<QV::LControlFactory> factory = QV::LControlFactory::Create(u"PresetEditor");
        factory->SetResourceBasePath(u"::");
        factory->LoadStringTables(u"::APP_STRINGS", u"::FRAMEWORK_STRINGS", 0x0407);
        benchmark::DoNotOptimize(factory->LoadSkins(u"::APP_SKINS"));
    }
}
BENCHMARK(BM_LoadStringTablesAndSkins);

}  // namespace
