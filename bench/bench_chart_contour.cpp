// Repainting a contour plot of 200 x 200 pivots over a data area of 800 x 600 pixels: the
// application is asked for every pivot again (a paraboloid), the field is drawn into the data
// area's pixels and the chart around it is painted. One benchmark per plot mode, one with a
// block of masked pivots (the overlay's three bitmaps), and a repaint that reuses the field.

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "DOV_contour.h"

namespace {

constexpr Integer kPivots = 200;

struct Scene {
  TContourPlot plot{nullptr};
  explicit Scene(TContourPlotMode Mode) {
    plot.SetBounds(0, 0, 800 + 70, 600 + 60);  // margins 50/20/20/40
    plot.SetNumPivotsX(kPivots);
    plot.SetNumPivotsY(kPivots);
    plot.SetPlotMode(Mode);
    plot.SetIsoParams(0, 50, 2);
    plot.OnEstimateZVal = [](TObject*, Double x, Double y, Integer, Integer, Double& z, Byte&) {
      z = x * x + y * y;
    };
    plot.SetSuppressPaint(false);
  }
};

void Repaint(benchmark::State& State) {
  Scene s(static_cast<TContourPlotMode>(State.range(0)));
  for (auto _ : State) s.plot.DrawPlot();
  State.SetItemsProcessed(State.iterations() * kPivots * kPivots);
}
BENCHMARK(Repaint)
    ->ArgName("mode")
    ->DenseRange(cpmDots, cpmColorSurfNoIpTransp)
    ->Unit(benchmark::kMillisecond);

void RepaintMasked(benchmark::State& State) {
  Scene s(cpmColorSurface);
  for (Integer ix = 40; ix <= 80; ++ix)
    for (Integer iy = 40; iy <= 80; ++iy) s.plot.SetMaskVal(ix, iy, ix < 60 ? 5 : 255);
  for (auto _ : State) s.plot.DrawPlot();
}
BENCHMARK(RepaintMasked)->Unit(benchmark::kMillisecond);

// The field stays valid: only the chart around it and the copy onto the control.
void RepaintKeepingTheField(benchmark::State& State) {
  Scene s(cpmColorSurface);
  for (auto _ : State) s.plot.Repaint();
}
BENCHMARK(RepaintKeepingTheField)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunToolkitBenchmarks(argc, argv); }
