// Agglomerative clustering of 2000 objects with 10 features (Euclidean distances), for the
// single-linkage and Ward updates: distance matrix, merges and the dendrogram positions.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "DOV_intmatrix.h"
#include "DOV_math2_cluster.h"
#include "DOV_vector.h"

namespace {

std::unique_ptr<TMatrix> Objects(int n, int features) {
  std::mt19937_64 rng(2026);
  std::normal_distribution<double> g(0, 1);
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(features, n);
  // Ten loose groups, so the merges have structure rather than pure noise.
  for (int r = 1; r <= n; ++r) {
    const double centre = (r % 10) * 3.0;
    for (int c = 1; c <= features; ++c) m->SetVal(c, r, centre + g(rng));
  }
  return m;
}

void BM_AgglomClustering(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto method = static_cast<TClusterMethod>(state.range(1));
  auto data = Objects(n, 10);
  TIntMatrix table(nullptr);
  TVector dist(nullptr), pos(nullptr);
  for (auto _ : state) {
    const Integer r = AgglomClustering(nullptr, data.get(), dmEuclid, method, 0.5, &table, &dist,
                                       &pos, nullptr, nullptr);
    benchmark::DoNotOptimize(r);
  }
  state.SetLabel(ClusterMethodID[method]);
}
BENCHMARK(BM_AgglomClustering)
    ->Args({2000, cmSingleLink})
    ->Args({2000, cmWard})
    ->Args({2000, cmAvgLink})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
