// The arithmetic behind one CALCULATE: the receiving-system figures, the expected S/N of a
// full band table and the above-horizon test of every candidate. The window work (list box,
// fields) comes on top; these must stay far below what a user notices.
#include <benchmark/benchmark.h>

#include "Astral.h"
#include "DefaultSystem.h"
#include "ReceiverFigures.h"

#include <vector>

namespace {

TReceiverInputs Inputs() { return DefaultReceiverInputs(); }

constexpr int kRows = 5000;  // a full band table

void BM_ReceiverFigures(benchmark::State& state) {
  const TReceiverInputs in = Inputs();
  for (auto _ : state) benchmark::DoNotOptimize(ComputeReceiverFigures(in));
}
BENCHMARK(BM_ReceiverFigures);

// Expected S/N and the list test for every row of a full table.
void BM_ExpectedSNOfAFullTable(benchmark::State& state) {
  const TReceiverInputs in = Inputs();
  const TReceiverFigures f = ComputeReceiverFigures(in);
  std::vector<double> flux(kRows), w50(kRows), p0(kRows);
  for (int i = 0; i < kRows; ++i) {
    flux[i] = 0.1 + (i % 97);
    w50[i] = 1.0 + (i % 13);
    p0[i] = 0.05 + 0.001 * (i % 1000);
  }
  for (auto _ : state) {
    int listed = 0;
    for (int i = 0; i < kRows; ++i) {
      const double sn = ExpectedSN(flux[i], w50[i], p0[i], in.IntegrationBandwidth,
                                   in.IntegrationTime, f.EffectiveAperture, f.Tsys);
      listed += IsDetectable(flux[i], w50[i], sn, f.MinimumDetectableSignal, 10.0);
    }
    benchmark::DoNotOptimize(listed);
  }
}
BENCHMARK(BM_ExpectedSNOfAFullTable);

// The above-horizon filter when every row is a candidate: one engine object per row.
void BM_HorizonFilterOfAFullTable(benchmark::State& state) {
  Astral::TUtcTime when;
  when.tm_year = 126;
  when.tm_mon = 11;
  when.tm_mday = 10;
  when.tm_hour = 13;
  for (auto _ : state) {
    int above = 0;
    for (int i = 0; i < kRows; ++i) {
      Astral a;
      a.Latitude = 52.0;
      a.Longitude = 6.6;
      a.UtcTime = when;
      above += a.TrackObject((i % 360) / 15.0, -80.0 + (i % 160));
    }
    benchmark::DoNotOptimize(above);
  }
}
BENCHMARK(BM_HorizonFilterOfAFullTable);

// The slowest list selection: no dispersion at the top of the band steps the edge to 2 f.
void BM_MaxIntegrationBandwidthWorstCase(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(MaxIntegrationBandwidth(1499.99, 0.0, 5.0));
}
BENCHMARK(BM_MaxIntegrationBandwidthWorstCase);

}  // namespace

BENCHMARK_MAIN();
