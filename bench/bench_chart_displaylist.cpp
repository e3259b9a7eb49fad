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

// Loading a plot through the drawing primitives, as a window does: a line through the points and
// a mark at each (two records per point), with the default growth step. Argument: points.
void LoadPoints(benchmark::State& State) {
  const int kPoints = static_cast<int>(State.range(0));
  for (auto _ : State) {
    State.PauseTiming();
    auto chart = std::make_unique<TCustomZOdoza>(nullptr);
    State.ResumeTiming();
    chart->MoveTo(0.0, 0.0);
    for (int i = 0; i < kPoints; ++i) {
      const Double x = i, y = (i * 7919) % 1000;
      chart->DrawTo(x, y);
      chart->MarkAt(x, y, static_cast<Byte>(10));
    }
    benchmark::DoNotOptimize(chart->NumItems());
    State.PauseTiming();
    chart.reset();
    State.ResumeTiming();
  }
  State.SetItemsProcessed(State.iterations() * kPoints);
}
BENCHMARK(LoadPoints)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunToolkitBenchmarks(argc, argv); }
