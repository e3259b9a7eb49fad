// The astronomy engine, one call of each kind, and the one-month table filled into the table
// window, list included.

#include <benchmark/benchmark.h>

#include "Astral.h"
#include "Dialogs.h"
#include "BenchSupport.h"
#include "Forms.h"
#include "TimeZone.h"
#include "Unit13.h"
#include "Unit1Program.h"

#include <cstdlib>

namespace {

Astral Observer(int Minute) {
  Astral a;
  a.Latitude = 52.1;
  a.Longitude = 5.2;
  a.UtcTime.tm_year = 126;
  a.UtcTime.tm_mon = 6;
  a.UtcTime.tm_mday = 1;
  a.UtcTime.tm_hour = 12;
  a.UtcTime.tm_min = Minute % 60;
  return a;
}

void BM_TrackObject(benchmark::State& state) {
  int minute = 0;
  for (auto _ : state) {
    Astral a = Observer(++minute);
    benchmark::DoNotOptimize(a.TrackObject(3.55, 54.58));
    benchmark::DoNotOptimize(a.Azimuth);
  }
}
BENCHMARK(BM_TrackObject);

void BM_TrackSun(benchmark::State& state) {
  int minute = 0;
  for (auto _ : state) {
    Astral a = Observer(++minute);
    benchmark::DoNotOptimize(a.TrackSun());
    benchmark::DoNotOptimize(a.Azimuth);
  }
}
BENCHMARK(BM_TrackSun);

void BM_TrackMoon(benchmark::State& state) {
  int minute = 0;
  for (auto _ : state) {
    Astral a = Observer(++minute);
    a.Frequency = 1296.0;
    a.Elevation = 300.0;
    benchmark::DoNotOptimize(a.TrackMoon());
    benchmark::DoNotOptimize(a.Doppler);
  }
}
BENCHMARK(BM_TrackMoon);

// 720 hourly positions of B0329+54 computed, formatted and put into the list, replacing the
// table before (as a second click does).
void BM_MonthTableIntoTheWindow(benchmark::State& state) {
  SetTimeZoneForTesting(CentralEuropeanTimeZone());
  Form13 = new TForm13(nullptr);
  const TTableTarget target{52.1, 5.2, 53.247 / 15, 54.579};
  for (auto _ : state) {
    Form13->ShowTable(TTableKind::TrackingMonth, target, "J0332+5434", 1782907200);
    Application->ProcessMessages();  // the list painted with its rows
    benchmark::DoNotOptimize(Form13->ListView1->Items()->Count());
  }
  delete Form13;
  Form13 = nullptr;
}
BENCHMARK(BM_MonthTableIntoTheWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench_support::RunAppBenchmarks(
      argc, argv, [] { SetDialogService(std::make_shared<TScriptedDialogService>()); });
}
