// The chart's axis bookkeeping: building a chart (32 helper axes, the standard layout) and one
// change of an axis setting, which mirrors all 32 helpers, forces every layer's range and
// paints the chart once (what each step of a mouse pan costs besides the items).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "DOV_zodoza.h"
#include "BenchSupport.h"
#include "Forms.h"

namespace {

void CreateChart(benchmark::State& State) {
  for (auto _ : State) {
    TCustomZOdoza chart(nullptr);
    benchmark::DoNotOptimize(chart.NumItems());
  }
}
BENCHMARK(CreateChart)->Unit(benchmark::kMicrosecond);

void AxisSettingChange(benchmark::State& State) {
  TCustomZOdoza chart(nullptr);
  chart.SetBounds(0, 0, 640, 400);
  chart.SetSuppressPaint(State.range(0) == 0);
  Double high = 10;
  for (auto _ : State) {
    high = high == 10 ? 20 : 10;
    chart.Scale1X()->SetRangeHigh(high);
  }
}
// Argument: 1 with painting, 0 with painting suppressed.
BENCHMARK(AxisSettingChange)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunToolkitBenchmarks(argc, argv); }
