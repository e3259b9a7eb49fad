// One mouse move over the noise plot's chart (50,000 samples, a line and an open square at
// each): the move message goes through the chart's own handling into an OnMouseMoveInChart
// handler that puts cross hair 1 under the pointer, as the plot window's read-out does.
// Argument 0: AutoRedraw off (the cross hair alone is redrawn); 1: AutoRedraw on, as the plot
// window leaves it after a series button (the cross hair's change repaints the chart first);
// 2: AutoRedraw on, the handler turning it off around the cross hair as the plot window does.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "BenchSupport.h"
#include "Forms.h"
#include "chart_noise_scene.h"

namespace {

void MouseMoveWithCrossHair(benchmark::State& State) {
  TCustomZOdoza chart{nullptr};
  bench_scene::BuildChart(chart);
  chart.SetSuppressPaint(false);
  chart.SetAutoRedraw(State.range(0) != 0);
  const bool aside = State.range(0) == 2;
  chart.OnMouseMoveInChart = [&chart, aside](TObject*, bool InChart, TShiftState, Double x,
                                             Double y) {
    if (!InChart) return;
    const bool autoRedraw = chart.AutoRedraw();
    if (aside) chart.SetAutoRedraw(false);
    chart.CrossHairSetPos(1, x, y);
    chart.SetAutoRedraw(autoRedraw);
  };
  int x = 200;
  for (auto _ : State) {
    x = x == 200 ? 600 : 200;
    chart.WMMouseMoveInChart(0, x, 250);
  }
  benchmark::DoNotOptimize(chart.CrossHair(1)->PosX());
}
BENCHMARK(MouseMoveWithCrossHair)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunToolkitBenchmarks(argc, argv); }
