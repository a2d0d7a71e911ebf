#include <benchmark/benchmark.h>

#include <string>

#include "RIZozivirod/Utilities/Storage/StringT.h"

// Copying and assigning the framework's wide string (a shared, copy-on-write buffer) against
// std::u16string (a deep copy past the small-string limit).

namespace {

const char16_t* const kShort = u"Fader 1";
const char16_t* const kLong =
    u"PresetEditor.KeybedPanel: the keybed and both of its zones, with their MIDI channels";

void BM_WStringCopy(benchmark::State& state, const char16_t* text) {
    const QV::WString source(text);
    for (auto _ : state) {
        QV::WString copy(source);
        benchmark::DoNotOptimize(copy.GetString());
    }
}

void BM_U16StringCopy(benchmark::State& state, const char16_t* text) {
    const std::u16string source(text);
    for (auto _ : state) {
        std::u16string copy(source);
        benchmark::DoNotOptimize(copy.data());
    }
}

void BM_WStringAssign(benchmark::State& state, const char16_t* text) {
    const QV::WString a(text);
    const QV::WString b(u"other");
    QV::WString target;
    for (auto _ : state) {
        target = a;
        benchmark::DoNotOptimize(target.GetString());
        target = b;
        benchmark::DoNotOptimize(target.GetString());
    }
}

void BM_U16StringAssign(benchmark::State& state, const char16_t* text) {
    const std::u16string a(text);
    const std::u16string b(u"other");
    std::u16string target;
    for (auto _ : state) {
        target = a;
        benchmark::DoNotOptimize(target.data());
        target = b;
        benchmark::DoNotOptimize(target.data());
    }
}

}  // namespace

BENCHMARK_CAPTURE(BM_WStringCopy, short, kShort);
BENCHMARK_CAPTURE(BM_U16StringCopy, short, kShort);
BENCHMARK_CAPTURE(BM_WStringCopy, long, kLong);
BENCHMARK_CAPTURE(BM_U16StringCopy, long, kLong);
BENCHMARK_CAPTURE(BM_WStringAssign, long, kLong);
BENCHMARK_CAPTURE(BM_U16StringAssign, long, kLong);
