// Convex hull of a million random points: uniform in a square (few corners) and uniform on a
// disc's rim band (many corners), and the point-in-hull test against the result.

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>

#include "DOV_math2_geom.h"

namespace {

TPDblArray Points(int n, bool rim) {
  std::mt19937_64 rng(99);
  std::uniform_real_distribution<double> u(0, 1);
  TPDblArray p(static_cast<std::size_t>(n));
  for (auto& q : p) {
    if (rim) {
      const double a = 2 * std::numbers::pi * u(rng), r = 1 - 1e-6 * u(rng);
      q = {r * std::cos(a), r * std::sin(a)};
    } else {
      q = {u(rng), u(rng)};
    }
  }
  return p;
}

void BM_Convex2DHull(benchmark::State& state) {
  const TPDblArray p = Points(static_cast<int>(state.range(0)), state.range(1) != 0);
  std::size_t corners = 0;
  for (auto _ : state) corners = Convex2DHull(p).size();
  state.counters["corners"] = static_cast<double>(corners);
}
BENCHMARK(BM_Convex2DHull)->Args({1000000, 0})->Args({1000000, 1})->Unit(benchmark::kMillisecond);

void BM_PointIsInsideConvexHull(benchmark::State& state) {
  const TPDblArray hull = Convex2DHull(Points(1000000, false));
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> u(-0.1, 1.1);
  for (auto _ : state) benchmark::DoNotOptimize(PointIsInsideConvexHull(u(rng), u(rng), hull));
  state.counters["corners"] = static_cast<double>(hull.size());
}
BENCHMARK(BM_PointIsInsideConvexHull);

}  // namespace

BENCHMARK_MAIN();
