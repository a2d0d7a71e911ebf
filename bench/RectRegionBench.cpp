// Update regions beside pixman's 32-bit regions on the same rectangles: 10,000 additions and
// subtractions of small rectangles in a window-sized area (the invalidations of busy frames),
// and bringing 50 or 200 rectangles to normal form (for pixman: building a region from them,
// which is how it normalises).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <random>
#include <vector>

#include "RIZozivirod/Utilities/Graphics/RectRegion.h"

namespace {

struct Step {
    QV::RegionRect rect;
    bool add;
};

// A fixed mix: three additions to one subtraction, 8 to 64 pixels a side, in 640 x 480.
std::vector<Step> UpdateSteps(int count) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> x(0, 639);
    std::uniform_int_distribution<int> y(0, 479);
    std::uniform_int_distribution<int> size(8, 64);
    std::uniform_int_distribution<int> kind(0, 3);
    std::vector<Step> steps;
    for (int i = 0; i < count; ++i) {
        const int left = x(random);
        const int top = y(random);
        steps.push_back({{left, top, left + size(random), top + size(random)}, kind(random) != 0});
    }
    return steps;
}

constexpr int kUpdateSteps = 10000;

void UpdateSet_RectRegion(benchmark::State& state) {
    const std::vector<Step> steps = UpdateSteps(kUpdateSteps);
    uint32_t count = 0;
    for (auto _ : state) {
        QV::RectRegion region;
        for (const Step& step : steps) {
            if (step.add) {
                region.AddRect(step.rect.left, step.rect.top, step.rect.right, step.rect.bottom);
            } else {
                region.SubtractRect(step.rect);
            }
        }
        count = region.GetCount();
        benchmark::DoNotOptimize(count);
    }
    state.counters["rects"] = count;
    state.SetItemsProcessed(state.iterations() * kUpdateSteps);
}
BENCHMARK(UpdateSet_RectRegion)->Unit(benchmark::kMillisecond);

void UpdateSet_Pixman(benchmark::State& state) {
    const std::vector<Step> steps = UpdateSteps(kUpdateSteps);
    int count = 0;
    for (auto _ : state) {
        pixman_region32_t region;
        pixman_region32_init(&region);
        for (const Step& step : steps) {
            const QV::RegionRect& r = step.rect;
            if (step.add) {
                pixman_region32_union_rect(&region, &region, r.left, r.top,
                                           static_cast<uint32_t>(r.right - r.left),
                                           static_cast<uint32_t>(r.bottom - r.top));
            } else {
                pixman_region32_t cut;
                pixman_region32_init_rect(&cut, r.left, r.top, static_cast<uint32_t>(r.right - r.left),
                                          static_cast<uint32_t>(r.bottom - r.top));
                pixman_region32_subtract(&region, &region, &cut);
                pixman_region32_fini(&cut);
            }
        }
        count = pixman_region32_n_rects(&region);
        benchmark::DoNotOptimize(count);
        pixman_region32_fini(&region);
    }
    state.counters["rects"] = count;
    state.SetItemsProcessed(state.iterations() * kUpdateSteps);
}
BENCHMARK(UpdateSet_Pixman)->Unit(benchmark::kMillisecond);

// A region of about n rectangles as additions leave it, before normalising.
QV::RectRegion UnnormalizedRegion(int n) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(0, 799);
    std::uniform_int_distribution<int> y(0, 599);
    std::uniform_int_distribution<int> size(4, 48);
    QV::RectRegion region;
    while (static_cast<int>(region.GetCount()) < n) {
        const int left = x(random);
        const int top = y(random);
        region.AddRect(left, top, left + size(random), top + size(random));
    }
    return region;
}

void Normalize_RectRegion(benchmark::State& state) {
    const QV::RectRegion source = UnnormalizedRegion(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QV::RectRegion region(source);
        region.Normalize();
        benchmark::DoNotOptimize(region.GetHead());
    }
    state.counters["input"] = source.GetCount();
}
BENCHMARK(Normalize_RectRegion)->Arg(50)->Arg(200);

void Normalize_Pixman(benchmark::State& state) {
    const QV::RectRegion source = UnnormalizedRegion(static_cast<int>(state.range(0)));
    std::vector<pixman_box32_t> boxes;
    for (const QV::RectRegionNode* node = source.GetHead(); node != nullptr; node = node->next) {
        boxes.push_back({node->left, node->top, node->right, node->bottom});
    }
    for (auto _ : state) {
        pixman_region32_t region;
        pixman_region32_init_rects(&region, boxes.data(), static_cast<int>(boxes.size()));
        benchmark::DoNotOptimize(pixman_region32_n_rects(&region));
        pixman_region32_fini(&region);
    }
    state.counters["input"] = static_cast<double>(boxes.size());
}
BENCHMARK(Normalize_Pixman)->Arg(50)->Arg(200);

}  // namespace
