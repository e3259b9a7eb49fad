// Our chart beside the comparison plot library on the noise plot's picture (a line and a 3 x 3
// square at each sample, 800 x 500 pixels) with 50,000 and with a million samples: a full paint
// and one pan step of each, run in one process, then the ratios. The comparison library is used
// here and nowhere else.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "Forms.h"
#include "../chart_noise_scene.h"
#include "qcp_scene.h"

namespace {

struct Ours {
  TCustomZOdoza chart{nullptr};
  explicit Ours(int Samples) {
    bench_scene::BuildChart(chart, Samples);
    chart.SetSuppressPaint(false);
  }
  void Pan(double Low, double High) {
    chart.SetSuppressPaint(true);
    chart.Scale1X()->SetRangeLow(Low);
    chart.Scale1X()->SetRangeHigh(High);
    chart.SetSuppressPaint(false);
  }
};

struct Theirs {
  qcp_scene::Plot* plot;
  Theirs(int Samples, bool Adaptive) {
    std::vector<double> x, y;
    bench_scene::Samples(Samples, x, y);
    plot = qcp_scene::Create(x.data(), y.data(), Samples, bench_scene::kWidth,
                             bench_scene::kHeight, bench_scene::kLowY, bench_scene::kHighY,
                             Adaptive);
    qcp_scene::Paint(plot);
  }
  ~Theirs() { qcp_scene::Destroy(plot); }
  Theirs(const Theirs&) = delete;
  Theirs& operator=(const Theirs&) = delete;
};

int SamplesOf(const benchmark::State& State, int Index) {
  return static_cast<int>(State.range(Index));
}

// Argument: the number of samples.
void OursFullPaint(benchmark::State& State) {
  Ours o(SamplesOf(State, 0));
  for (auto _ : State) o.chart.Repaint();
}
BENCHMARK(OursFullPaint)
    ->Arg(bench_scene::kSamples)
    ->Arg(bench_scene::kMillionSamples)
    ->Unit(benchmark::kMillisecond);

// Arguments: 1 with the comparison library's adaptive sampling (its default), 0 without; the
// number of samples.
void TheirsFullPaint(benchmark::State& State) {
  Theirs t(SamplesOf(State, 1), State.range(0) != 0);
  for (auto _ : State) qcp_scene::Paint(t.plot);
}
BENCHMARK(TheirsFullPaint)
    ->ArgsProduct({{1, 0}, {bench_scene::kSamples, bench_scene::kMillionSamples}})
    ->Unit(benchmark::kMillisecond);

void OursPanStep(benchmark::State& State) {
  Ours o(SamplesOf(State, 0));
  const double span = SamplesOf(State, 0) - 1;
  double shift = 0;
  for (auto _ : State) {
    shift = shift == 0 ? span / 100 : 0;
    o.Pan(shift, shift + span);
  }
}
BENCHMARK(OursPanStep)
    ->Arg(bench_scene::kSamples)
    ->Arg(bench_scene::kMillionSamples)
    ->Unit(benchmark::kMillisecond);

void TheirsPanStep(benchmark::State& State) {
  Theirs t(SamplesOf(State, 1), State.range(0) != 0);
  const double span = SamplesOf(State, 1) - 1;
  double shift = 0;
  for (auto _ : State) {
    shift = shift == 0 ? span / 100 : 0;
    qcp_scene::Pan(t.plot, shift, shift + span);
  }
}
BENCHMARK(TheirsPanStep)
    ->ArgsProduct({{1, 0}, {bench_scene::kSamples, bench_scene::kMillionSamples}})
    ->Unit(benchmark::kMillisecond);

void OursCrossHairOnly(benchmark::State& State) {
  Ours o(bench_scene::kSamples);
  o.chart.SetAutoRedraw(false);
  double x = 1000;
  for (auto _ : State) {
    x = x == 1000 ? 2000 : 1000;
    o.chart.CrossHairSetPos(1, x, 40);
  }
}
BENCHMARK(OursCrossHairOnly)->Unit(benchmark::kMicrosecond);

// Median of a few timed runs, for the ratio lines printed after the benchmarks.
double MedianMs(const std::function<void()>& Work) {
  std::vector<double> t;
  for (int i = 0; i < 9; ++i) {
    const auto a = std::chrono::steady_clock::now();
    Work();
    t.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - a).count());
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

void PrintRatios(int Samples) {
  Ours o(Samples);
  Theirs adaptive(Samples, true), full(Samples, false);
  const double span = Samples - 1;
  const double ours = MedianMs([&] { o.chart.Repaint(); });
  const double theirsA = MedianMs([&] { qcp_scene::Paint(adaptive.plot); });
  const double theirsF = MedianMs([&] { qcp_scene::Paint(full.plot); });
  double shift = 0;
  const double oursPan = MedianMs([&] {
    shift = shift == 0 ? span / 100 : 0;
    o.Pan(shift, shift + span);
  });
  const double theirsPanA = MedianMs([&] {
    shift = shift == 0 ? span / 100 : 0;
    qcp_scene::Pan(adaptive.plot, shift, shift + span);
  });
  const double theirsPanF = MedianMs([&] {
    shift = shift == 0 ? span / 100 : 0;
    qcp_scene::Pan(full.plot, shift, shift + span);
  });
  std::printf(
      "\n%d samples\nfull paint: ours %.2f ms, comparison %.2f ms (adaptive sampling) / %.2f ms "
      "(every point); ratio ours/comparison %.2f / %.2f\n",
      Samples, ours, theirsA, theirsF, ours / theirsA, ours / theirsF);
  std::printf("pan step:   ours %.2f ms, comparison %.2f ms / %.2f ms; ratio %.2f / %.2f\n",
              oursPan, theirsPanA, theirsPanF, oursPan / theirsPanA, oursPan / theirsPanF);
  const auto folder = std::filesystem::current_path() / "charting_pictures";
  std::filesystem::create_directories(folder);
  const std::string suffix = Samples == bench_scene::kSamples ? "" : "_" + std::to_string(Samples);
  SaveBitmapAsPNG(o.chart.ChartBmp(), (folder / ("bench_noise_ours" + suffix + ".png")).string());
  qcp_scene::SavePng(full.plot,
                     (folder / ("bench_noise_comparison" + suffix + ".png")).string().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Application->Initialize(argc, argv);
  ::benchmark::Initialize(&argc, argv);
  if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  ::benchmark::RunSpecifiedBenchmarks();
  PrintRatios(bench_scene::kSamples);
  PrintRatios(bench_scene::kMillionSamples);
  ::benchmark::Shutdown();
  Application->DestroyComponents();
  return 0;
}
