// The sun-noise window's work: reading the day's flux list and one sun Y-factor, and loading a
// measurement database of 5000 records into the grid and the samples.

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Dialogs.h"
#include "BenchSupport.h"
#include "Forms.h"
#include "NoiseDatabase.h"
#include "SunFluxList.h"
#include "SysUtils.h"
#include "Unit1Program.h"
#include "Unit35.h"

namespace {

String RealList() {
  std::ifstream in(
      String(KESTAL_TESTDATA) + "/noaa_rstn/rad_txt_layout_assembled_2025-02-20_21.txt",
      std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void BM_ParseSunFluxList(benchmark::State& state) {
  const String text = RealList();
  for (auto _ : state) benchmark::DoNotOptimize(ParseSunFluxList(text).BestSet);
}
BENCHMARK(BM_ParseSunFluxList)->Unit(benchmark::kMicrosecond);

// The whole calculation of "Calculate": the list read, the spline fitted and evaluated.
void BM_SunYFactor(benchmark::State& state) {
  const String text = RealList();
  for (auto _ : state) {
    const TSunFluxList list = ParseSunFluxList(text);
    benchmark::DoNotOptimize(
        ComputeSunNoise(list.PointMHz, list.PointSfu, 1296, 10, 100).SunYFactor);
  }
}
BENCHMARK(BM_SunYFactor)->Unit(benchmark::kMicrosecond);

// A working folder of its own holding a database of Records records.
struct TDatabaseFolder {
  std::filesystem::path dir, previous = std::filesystem::current_path();
  explicit TDatabaseFolder(int Records) {
    char tmpl[] = "/tmp/kestal-bench-XXXXXX";
    dir = mkdtemp(tmpl);
    std::filesystem::current_path(dir);
    String text;
    for (int n = 1; n <= Records; ++n)
      for (const String& l : NewNoiseRecord(n, "2026-12-08", "10:15:00", 1296, 34.5678, 120,
                                            1234567, 12.345678, 10.2F, "clear sky, dish at 35 deg"))
        text += l + "\r\n";
    std::ofstream(kNoiseDatabaseFile, std::ios::binary) << text;
  }
  ~TDatabaseFolder() {
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
  }
};

void BM_ReadNoiseDatabase(benchmark::State& state) {
  TDatabaseFolder folder(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ReadNoiseDatabase().Records.size());
}
BENCHMARK(BM_ReadNoiseDatabase)->Arg(5000)->Unit(benchmark::kMillisecond);

// What every save, deletion and "Plot " does: the file read, the grid and the samples rebuilt.
void BM_LoadNoiseDatabaseIntoGrid(benchmark::State& state) {
  TDatabaseFolder folder(static_cast<int>(state.range(0)));
  TScopedDialogScript dialogs;
  Form35 = new TForm35(nullptr);
  Form35->Show();
  Application->ProcessMessages();
  for (auto _ : state) {
    Form35->LoadNoiseDatabase();
    Application->ProcessMessages();
    benchmark::DoNotOptimize(Form35->StringGrid2->Cells(10, 5001));
  }
  delete Form35;
  Form35 = nullptr;
}
BENCHMARK(BM_LoadNoiseDatabaseIntoGrid)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunAppBenchmarks(argc, argv); }
