// Painting the noise plot's chart (a line and an open square at each sample): a full paint and
// one pan step (the range moves by 1 % and the chart paints once) with 50,000 and a million
// samples, and moving the cross hair alone (the cached data area is copied again, nothing is
// rebuilt).

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "BenchSupport.h"
#include "Forms.h"
#include "chart_noise_scene.h"

namespace {

struct Scene {
  TCustomZOdoza chart{nullptr};
  explicit Scene(int Samples = bench_scene::kSamples) {
    bench_scene::BuildChart(chart, Samples);
    chart.SetSuppressPaint(false);
  }
};

// Argument: the number of samples.
void FullPaint(benchmark::State& State) {
  Scene s(static_cast<int>(State.range(0)));
  for (auto _ : State) s.chart.Repaint();
  State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(FullPaint)
    ->Arg(bench_scene::kSamples)
    ->Arg(bench_scene::kMillionSamples)
    ->Unit(benchmark::kMillisecond);

void PanStep(benchmark::State& State) {
  Scene s(static_cast<int>(State.range(0)));
  const double span = static_cast<double>(State.range(0) - 1), step = span / 100;
  double shift = 0;
  for (auto _ : State) {
    shift = shift == 0 ? step : 0;
    s.chart.SetSuppressPaint(true);
    s.chart.Scale1X()->SetRangeLow(shift);
    s.chart.Scale1X()->SetRangeHigh(shift + span);
    s.chart.SetSuppressPaint(false);  // one paint
  }
}
BENCHMARK(PanStep)
    ->Arg(bench_scene::kSamples)
    ->Arg(bench_scene::kMillionSamples)
    ->Unit(benchmark::kMillisecond);

// Argument 0: AutoRedraw off, only the cross-hair refresh; 1: AutoRedraw on, the cross hair's
// own change repaints the whole chart first.
void CrossHairMove(benchmark::State& State) {
  Scene s;
  s.chart.SetAutoRedraw(State.range(0) != 0);
  double x = 1000;
  for (auto _ : State) {
    x = x == 1000 ? 2000 : 1000;
    s.chart.CrossHairSetPos(1, x, 40);
  }
}
BENCHMARK(CrossHairMove)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunToolkitBenchmarks(argc, argv); }
