// Observation planning: the tracking planner's largest table (a year at one-minute steps, 11
// objects) on all cores and on one, PLAN "Re-calculate" with the full 1400 MHz band of the real
// catalogue and 100 notes, and the 30 culminations of the Moon.

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchSupport.h"
#include "Culmination.h"
#include "DefaultSystem.h"
#include "Dialogs.h"
#include "Forms.h"
#include "NetConfig.h"
#include "SysUtils.h"
#include "TimeZone.h"
#include "TrackingPlan.h"
#include "Unit1.h"
#include "Unit1Program.h"
#include "Unit30.h"
#include "Unit38.h"
#include "Unit42.h"

namespace {

constexpr crt::time_t Noon8Dec2026 = 1796731200;

double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void CentralEuropeanZoneAt(crt::time_t Now) {
  SetTimeZoneForTesting(CentralEuropeanTimeZone());
  SetClockForTesting([Now] { return static_cast<double>(Now); });
}

// Argument: threads (0: the machine's cores).
void BM_TrackingPlanYearAtOneMinute(benchmark::State& state) {
  TTrackingRequest r;
  r.Observer = {52.1, 5.2};
  r.Start = {2026, 1, 1};
  r.Stop = {2026, 12, 31};
  r.IntervalMinutes = 1;
  CentralEuropeanZoneAt(Noon8Dec2026);
  TTrackingPlan plan;
  for (auto _ : state) {
    ComputeTrackingPlan(r, plan, nullptr, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(plan.RowCount());
  }
  state.counters["rows"] = plan.RowCount();
  state.counters["peak_RSS_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_TrackingPlanYearAtOneMinute)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

void BM_MoonCulminations(benchmark::State& state) {
  CentralEuropeanZoneAt(Noon8Dec2026);
  const crt::time_t start = CulminationStart(Noon8Dec2026);
  for (auto _ : state) {
    const TCulminationResult r =
        FindCulminations(CulminationObjects()[0], {52.1, 5.2}, start, 30);
    benchmark::DoNotOptimize(r.Rows.size());
  }
}
BENCHMARK(BM_MoonCulminations)->Unit(benchmark::kMillisecond);

// The default receiving system at 1420 MHz.
std::string ConfigText() {
  std::string s = "KESTAL DEFAULTS 7 : \nHome\n52.1\n5.2\n52\n6\n0\nN\n5\n12\n0\nE\nJO22CC00\nDP\n";
  for (int i = 0; i < cfFieldCount; ++i)
    s += std::string(i == cfFrequency ? "1420" : DefaultFieldTexts[i]) + "\n";
  return s + DefaultReceiverBandwidthText + "\nKESTAL LOCATIONS :\n";
}

// CALCULATE at 1420 MHz with the shipped catalogue, then "Re-calculate" of the plan with 100
// notes (for pulsars of the band and for names that match nothing).
void BM_PlanRecalculateFull1400Band(benchmark::State& state) {
  char pattern[] = "/tmp/kestal_bench_XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (dir == nullptr) std::abort();
  std::filesystem::current_path(dir);
  std::filesystem::copy_file(std::filesystem::path(KESTAL_DATA) / "ATNF.csv", "ATNF.csv");
  std::ofstream(ConfigFileName) << ConfigText();
  NetConfig().ProbeURL = "http://127.0.0.1:1/";
  CentralEuropeanZoneAt(Noon8Dec2026);
  Form1 = new TForm1(nullptr);
  Form30 = new TForm30(nullptr);
  Form42 = new TForm42(nullptr);
  Form38 = new TForm38(nullptr);
  Form1->Button1Click(Form1->Button1);
  {
    std::ofstream notes(NotesFileName, std::ios::binary);
    for (int i = 0; i < 100; ++i) {
      const String name =
          i % 2 ? Form1->PulsarNames[static_cast<size_t>(i * 7)] : "X" + IntToStr(i);
      notes << name << "\r\nnote " << i << "\r\n";
    }
  }
  for (auto _ : state) {
    Form38->Button1Click(Form38->Button1);
    benchmark::DoNotOptimize(Form38->StringGrid1->RowCount());
  }
  state.counters["rows"] = Form38->StringGrid1->RowCount();
  delete Form38;
  delete Form42;
  delete Form30;
  delete Form1;
  Form38 = nullptr;
  Form42 = nullptr;
  Form30 = nullptr;
  Form1 = nullptr;
  std::filesystem::current_path("/tmp");
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_PlanRecalculateFull1400Band)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench_support::RunAppBenchmarks(
      argc, argv, [] { SetDialogService(std::make_shared<TScriptedDialogService>()); });
}
