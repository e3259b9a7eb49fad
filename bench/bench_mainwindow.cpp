// Start-up of the main window with the real catalogue, and one CALCULATE with the pending
// sort by expected S/N (the slowest CALCULATE: it runs nested ones from the sort dialog).

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <fstream>

#include "DefaultSystem.h"
#include "Dialogs.h"
#include "BenchSupport.h"
#include "Forms.h"
#include "NetConfig.h"
#include "Unit1.h"
#include "Unit1Program.h"
#include "Unit30.h"
#include "Unit42.h"

namespace {

// The default receiving system at 1420 MHz.
std::string ConfigText() {
  std::string s = "KESTAL DEFAULTS 7 : \nHome\n52.1\n5.2\n52\n6\n0\nN\n5\n12\n0\nE\nJO22CC00\nDP\n";
  for (int i = 0; i < cfFieldCount; ++i)
    s += std::string(i == cfFrequency ? "1420" : DefaultFieldTexts[i]) + "\n";
  return s + DefaultReceiverBandwidthText + "\nKESTAL LOCATIONS :\n";
}

// The working folder of the benchmarks (empty until the first one needs it).
std::filesystem::path gFolder;

// A working folder with the real catalogue and a configuration.
void PrepareFolder() {
  static bool done = false;
  if (done) return;
  char pattern[] = "/tmp/kestal_bench_XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (dir == nullptr) std::abort();
  gFolder = dir;
  std::filesystem::current_path(dir);
  std::filesystem::copy_file(std::filesystem::path(KESTAL_TESTDATA) / "atnf" / "ATNF_v1.66.csv",
                             "ATNF.csv");
  std::ofstream(ConfigFileName) << ConfigText();
  SetDialogService(std::make_shared<TScriptedDialogService>());
  NetConfig().ProbeURL = "http://127.0.0.1:1/";
  done = true;
}

// The main window with the list window and the sort dialog, as CALCULATE needs them.
struct MainWindows {
  MainWindows() {
    PrepareFolder();
    Form1 = new TForm1(nullptr);
    Form30 = new TForm30(nullptr);
    Form42 = new TForm42(nullptr);
  }
  ~MainWindows() {
    delete Form42;
    delete Form30;
    delete Form1;
    Form42 = nullptr;
    Form30 = nullptr;
    Form1 = nullptr;
  }
};

void BM_StartUpWithTheRealCatalogue(benchmark::State& state) {
  PrepareFolder();
  for (auto _ : state) {
    Form1 = new TForm1(nullptr);
    benchmark::DoNotOptimize(Form1->Count1400);
    state.PauseTiming();
    delete Form1;
    Form1 = nullptr;
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUpWithTheRealCatalogue)->Unit(benchmark::kMillisecond);

void BM_CalculateWithPendingSort(benchmark::State& state) {
  MainWindows windows;
  Form1->Edit4->SetText(state.range(0) == 1 ? "1420" : "430");
  for (auto _ : state) {
    Form1->ResultsInvalidate();  // any input change leaves the sort pending
    Form1->Button1Click(Form1->Button1);
    benchmark::DoNotOptimize(Form1->ListBox1->Items()->Count());
  }
}
BENCHMARK(BM_CalculateWithPendingSort)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The full list of the 1400 MHz band (some 1900 rows of 13 cells).
void BM_FullList(benchmark::State& state) {
  MainWindows windows;
  Form1->Button1Click(Form1->Button1);
  for (auto _ : state) {
    Form1->Button28Click(Form1->Button28);
    benchmark::DoNotOptimize(Form30->ListView1->Items()->Count());
  }
}
BENCHMARK(BM_FullList)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const int rc = bench_support::RunAppBenchmarks(argc, argv);
  if (!gFolder.empty()) {
    std::error_code ignored;
    std::filesystem::current_path(gFolder.parent_path(), ignored);
    std::filesystem::remove_all(gFolder, ignored);
  }
  return rc;
}
