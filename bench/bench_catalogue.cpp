// The catalogue on its two ways in, with what a user keeps and a server sends at their
// largest: the main window's start with ATNF.csv, and the download's handling of a reply of
// the catalogue service (everything after the transfer: the table found and checked, the
// transfer files, the check the next start would make, the install). Beside the genuine
// catalogue, hostile inputs of about 32 MB, the size cap of a reply:
//   - a catalogue's three header lines and 32 MB of blank lines;
//   - the shipped catalogue followed by 10,500,000 lines "1;";
//   - a reply of the header and 10,500,000 lines "1;";
//   - a reply of the header and 32 MB of line ends.
// Each reports the peak resident memory of the process while it ran (peak_MiB) beside what
// the process held before (base_MiB): the inputs themselves are part of the base.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchSupport.h"
#include "CatalogueUpdate.h"
#include "DefaultSystem.h"
#include "Dialogs.h"
#include "NetConfig.h"
#include "SysUtils.h"
#include "Unit1.h"
#include "Unit1Config.h"

namespace {

namespace fs = std::filesystem;

// Resident memory of the process (VmRSS) and its peak (VmHWM), in MiB; the peak is reset
// through clear_refs.
double StatusMiB(const char* Field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(Field, 0) == 0) return std::atof(line.c_str() + std::strlen(Field)) / 1024.0;
  return 0;
}
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct TMemoryWatch {
  explicit TMemoryWatch(benchmark::State& State) : FState(State) {
    ResetPeakMemory();
    FBase = StatusMiB("VmRSS:");
  }
  ~TMemoryWatch() {
    FState.counters["base_MiB"] = FBase;
    FState.counters["peak_MiB"] = StatusMiB("VmHWM:");
  }
  benchmark::State& FState;
  double FBase = 0;
};

const String& Shipped() {
  static const String bytes = [] {
    String b;
    if (!ReadUserFile(String(KESTAL_DATA) + "/ATNF.csv", b)) std::abort();
    return b;
  }();
  return bytes;
}

String MillionsOfRows() {
  String s;
  s.reserve(3 * 10500000);
  for (int n = 0; n < 10500000; ++n) s += "1;\n";
  return s;
}

// The working folder of the benchmarks (empty until the first one needs it).
fs::path gFolder;

void EnterFolder() {
  if (!gFolder.empty()) return;
  char pattern[] = "/tmp/kestal_bench_catalogue_XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (dir == nullptr) std::abort();
  gFolder = dir;
  fs::current_path(gFolder);
  String config = "KESTAL DEFAULTS 7 : \nHome\n52.1\n5.2\n52\n6\n0\nN\n5\n12\n0\nE\nJO22CC00\nDP\n";
  for (int i = 0; i < cfFieldCount; ++i)
    config += String(i == cfFrequency ? "1420" : DefaultFieldTexts[i]) + "\n";
  config += String(DefaultReceiverBandwidthText) + "\nKESTAL LOCATIONS :\n";
  WriteFileReplacing(ConfigFileName, config);
  SetDialogService(std::make_shared<TScriptedDialogService>());
  NetConfig().ProbeURL = "http://127.0.0.1:1/";
}

// ---- start-up ----------------------------------------------------------------------------

String StartUpCatalogue(int Kind) {
  switch (Kind) {
    case 0: return Shipped();
    case 1: {
      const String& s = Shipped();
      String head;
      for (size_t i = 0, lines = 0; lines < 3; ++i) {
        head += s[i];
        lines += s[i] == '\n';
      }
      return head + String(32 << 20, '\n');
    }
    default: return Shipped() + MillionsOfRows();
  }
}

void BM_StartUpWithCatalogue(benchmark::State& state) {
  EnterFolder();
  WriteFileReplacing(CatalogueFileName, StartUpCatalogue(static_cast<int>(state.range(0))));
  int count1400 = -1;
  {
    TMemoryWatch memory(state);
    for (auto _ : state) {
      Form1 = new TForm1(nullptr);
      count1400 = Form1->Count1400;
      benchmark::DoNotOptimize(count1400);
      state.PauseTiming();
      delete Form1;
      Form1 = nullptr;
      state.ResumeTiming();
    }
  }
  state.counters["count1400"] = count1400;
  DeleteFile(CatalogueFileName);
}
BENCHMARK(BM_StartUpWithCatalogue)
    ->ArgName("shipped0_blanklines1_millionrows2")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond);

// ---- the download's handling of a reply ----------------------------------------------------

String Reply(int Kind) {
  const String& s = Shipped();
  const String table = s.substr(s.find('\n') + 1);  // the catalogue without its version line
  const String header = String(CatalogueUpdate::HeaderLine) + "\r\n";
  switch (Kind) {
    case 0: return "<html><body>\r\n<pre>\r\n" + table + "\r\n</pre>\r\n</body></html>\r\n";
    case 1: return "<pre>\n" + header + MillionsOfRows();
    default: {
      String r = "<pre>\n" + header;
      r.resize(32 * 1024 * 1024 - 16, '\n');
      return r;
    }
  }
}

void BM_CatalogueReply(benchmark::State& state) {
  EnterFolder();
  const String reply = Reply(static_cast<int>(state.range(0)));
  String outcome;
  {
    TMemoryWatch memory(state);
    for (auto _ : state) {
      // The genuine reply is installed: each time over a fresh old catalogue.
      state.PauseTiming();
      WriteFileReplacing(CatalogueFileName, Shipped());
      state.ResumeTiming();
      outcome = CatalogueUpdate::InstallReply(reply, "2.0", "1.66");
      benchmark::DoNotOptimize(outcome);
      state.PauseTiming();
      for (const char* f : {CatalogueUpdate::RawReplyFile, CatalogueUpdate::ReplyFromHeaderFile,
                            CatalogueUpdate::NewCatalogueFile, "ATNF1.66.csv"})
        DeleteFile(f);
      state.ResumeTiming();
    }
  }
  state.SetLabel(outcome.empty() ? "installed" : outcome.substr(0, 60));
  state.counters["reply_MiB"] = static_cast<double>(reply.size()) / (1 << 20);
  DeleteFile(CatalogueFileName);
}
BENCHMARK(BM_CatalogueReply)
    ->ArgName("genuine0_millionrows1_lineends2")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const int rc = bench_support::RunAppBenchmarks(argc, argv);
  if (!gFolder.empty()) {
    std::error_code ignored;
    fs::current_path(gFolder.parent_path(), ignored);
    fs::remove_all(gFolder, ignored);
  }
  return rc;
}
