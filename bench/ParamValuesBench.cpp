#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "RIZozivirod/Utilities/Storage/ParamTypes.h"
#include "RIZozivirod/Utilities/Storage/Variant.h"

// A value list of the keyboard's 37 parameters (small blobs, Empty qualifiers) as the engine
// sends and receives it: building and serialising it, reading it back and decoding every item,
// and one ordered update. Times are per whole-list operation; items/s counts list items.

namespace {

constexpr uint32_t kParameters = 37;

std::vector<QV::ParamValue> KeyboardValues() {
    std::vector<QV::ParamValue> values;
    for (uint32_t id = 0; id < kParameters; ++id) {
        const uint8_t bytes[4] = {static_cast<uint8_t>(id), 0x40, 0x7F, static_cast<uint8_t>(id * 3)};
        QV::Variant blob;
        blob.SetBlob(bytes, 1 + id % 4);
        values.emplace_back(static_cast<int32_t>(id), QV::Variant(), blob);
    }
    return values;
}

QV::ParamValues KeyboardList() {
    const std::vector<QV::ParamValue> values = KeyboardValues();
    QV::ParamValues list;
    QV::ParamDescriptors::SetFromValues(list, values.data(), kParameters);
    return list;
}

void BM_ParamValuesSerialize(benchmark::State& state) {
    const std::vector<QV::ParamValue> values = KeyboardValues();
    std::vector<uint8_t> record(4096);
    for (auto _ : state) {
        QV::ParamValues list;
        QV::ParamDescriptors::SetFromValues(list, values.data(), kParameters);
        benchmark::DoNotOptimize(
            QV::Variant::Serialize(list, record.data(), static_cast<uint32_t>(record.size())));
    }
    state.SetItemsProcessed(state.iterations() * kParameters);
}
BENCHMARK(BM_ParamValuesSerialize);

void BM_ParamValuesDecode(benchmark::State& state) {
    const QV::ParamValues source = KeyboardList();
    std::vector<uint8_t> record(source.length + 12);
    QV::Variant::Serialize(source, record.data(), static_cast<uint32_t>(record.size()));
    for (auto _ : state) {
        QV::ParamValues list;
        QV::Variant::Deserialize(list, record.data(), static_cast<uint32_t>(record.size()));
        QV::Variant value;
        QV::Variant qualifier;
        int32_t id = 0;
        for (uint32_t i = 0; i < kParameters; ++i) {
            benchmark::DoNotOptimize(list.GetItem(i, value, id, qualifier));
        }
    }
    state.SetItemsProcessed(state.iterations() * kParameters);
}
BENCHMARK(BM_ParamValuesDecode);

void BM_ParamValuesFindLast(benchmark::State& state) {
    const QV::ParamValues list = KeyboardList();
    const QV::ParamDescriptor last(kParameters - 1);
    QV::Variant value;
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.FindValue(last, value));
    }
}
BENCHMARK(BM_ParamValuesFindLast);

void BM_ParamValuesToArray(benchmark::State& state) {
    QV::ParamValues list = KeyboardList();
    const QV::ParamDescriptor middle(kParameters / 2);
    QV::Variant values[2];
    const uint8_t a = 1;
    const uint8_t b = 2;
    values[0].SetBlob(&a, 1);
    values[1].SetBlob(&b, 1);
    uint32_t turn = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.ToArray(middle, values[++turn % 2]));
    }
    state.SetItemsProcessed(state.iterations() * kParameters);
}
BENCHMARK(BM_ParamValuesToArray);

}  // namespace
