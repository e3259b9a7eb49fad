// Appending to a chart's display list: 50,000 (and 100,000) items, as the noise plot stores them (a
// line point and a mark per sample), with the default growth step and with the smallest one. The
// list grows in logical AllocSize steps while its storage grows geometrically, so the time per
// item must not depend on AllocSize.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "DOV_zodoza.h"
#include "BenchSupport.h"
#include "Forms.h"

namespace {

void AppendItems(benchmark::State& State) {
  const Integer allocSize = static_cast<Integer>(State.range(0));
  const int kItems = static_cast<int>(State.range(1));
  for (auto _ : State) {
    State.PauseTiming();
    auto chart = std::make_unique<TCustomZOdoza>(nullptr);
    chart->SetAllocSize(allocSize);
    TrcChartItem item;
    State.ResumeTiming();
    for (int i = 0; i < kItems; ++i) {
      item.ItemKind = (i % 2 == 0) ? tkLineto : tkMarkAt;
      item.x = i;
      item.y = i * 0.5;
      chart->AppendItem(item);
    }
    benchmark::DoNotOptimize(chart->NumItems());
    State.PauseTiming();
    chart.reset();
    State.ResumeTiming();
  }
  State.SetItemsProcessed(State.iterations() * kItems);
}
// Arguments: AllocSize, items. Twice the items must take about twice the time.
BENCHMARK(AppendItems)
    ->Args({1000, 50000})
    ->Args({1, 50000})
    ->Args({1000, 100000})
    ->Args({1, 100000})
    ->Args({1000, 200000})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunToolkitBenchmarks(argc, argv); }
