// Painting a chart zoomed deep into a million samples: what is visible is a few samples, so the
// paint should cost about what the unzoomed one costs, or less. A line through the samples, with
// or without an open square at each, at 800 x 600, unzoomed and zoomed to a millionth of the
// data; on a bitmap with the dense-run shortcuts (the screen) and without them (the plain path
// that printers and metafiles take).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "BenchSupport.h"
#include "DOV_zodoza.h"
#include "Forms.h"
#include "chart_noise_scene.h"

namespace {

constexpr int kPoints = bench_scene::kMillionSamples;

struct Scene {
  TCustomZOdoza chart{nullptr};
  Scene(bool Marks, bool Zoomed, bool Shortcuts) {
    chart.SetBounds(0, 0, 800, 600);
    chart.SetLRim(55);
    chart.SetRRim(5);
    chart.SetTRim(25);
    chart.SetBRim(25);
    chart.SetAllocSize(2 * kPoints);
    std::vector<double> x, y;
    bench_scene::Samples(kPoints, x, y);
    chart.SetDataCol(0x000080);
    chart.MoveTo(x[0], y[0]);
    for (size_t i = 0; i < x.size(); ++i) {
      if (i > 0) chart.DrawTo(x[i], y[i]);
      if (Marks) chart.MarkAt(x[i], y[i], static_cast<Byte>(bench_scene::kOpenSquareMark));
    }
    // A millionth of both ranges around the middle of the data.
    const double cx = kPoints / 2.0, cy = 50, wx = Zoomed ? kPoints * 1e-6 : kPoints - 1,
                 wy = Zoomed ? 100 * 1e-6 : 100;
    chart.ForceRange(1, cx - wx / 2, cy - wy / 2, cx + wx / 2, cy + wy / 2);
    chart.SetDrawShortcutsForTesting(Shortcuts);
    chart.SetSuppressPaint(false);
  }
};

// Arguments: marks (0/1), zoomed (0/1), shortcuts (0/1).
void ZoomedPaint(benchmark::State& State) {
  Scene s(State.range(0) != 0, State.range(1) != 0, State.range(2) != 0);
  for (auto _ : State) s.chart.Repaint();
  State.SetItemsProcessed(State.iterations() * kPoints);
}
BENCHMARK(ZoomedPaint)
    ->ArgNames({"marks", "zoomed", "shortcuts"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunToolkitBenchmarks(argc, argv); }
