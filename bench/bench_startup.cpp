// The whole process, as a user starts it: kestal with the shipped catalogue in a fresh working
// folder, from exec to its exit after the main window was shown and closed, beside a bare Qt
// program that only shows and closes a main window. Wall time and peak memory of each child.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "DefaultSystem.h"
#include "SysUtils.h"
#include "Unit1Config.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct TChildRun {
  double Seconds = 0;
  long PeakKiB = 0;
  int Status = -1;
};

// Runs Program in Folder with the extra environment entries, waits for it and reads its
// resource use.
TChildRun RunChild(const std::string& Program, const fs::path& Folder,
                   const std::vector<std::string>& ExtraEnv) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  for (const std::string& e : ExtraEnv) env.push_back(e);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string prog = Program;
  char* argv[] = {prog.data(), nullptr};

  const fs::path before = fs::current_path();
  fs::current_path(Folder);
  TChildRun run;
  timespec t0{}, t1{};
  clock_gettime(CLOCK_MONOTONIC, &t0);
  pid_t pid = 0;
  if (posix_spawn(&pid, prog.c_str(), nullptr, nullptr, argv, envp.data()) == 0) {
    rusage usage{};
    wait4(pid, &run.Status, 0, &usage);
    run.PeakKiB = usage.ru_maxrss;
  }
  clock_gettime(CLOCK_MONOTONIC, &t1);
  fs::current_path(before);
  run.Seconds = double(t1.tv_sec - t0.tv_sec) + 1e-9 * double(t1.tv_nsec - t0.tv_nsec);
  return run;
}

const std::vector<std::string> kEnv = {"QT_QPA_PLATFORM=offscreen",
                                       "KESTAL_CLOSE_MAIN_AFTER_MS=1",
                                       "KESTAL_PROBE_URL=http://127.0.0.1:1/"};

fs::path KestalFolder() {
  static const fs::path folder = [] {
    fs::path f = fs::temp_directory_path() / ("kestal_bench_startup_" + std::to_string(getpid()));
    fs::create_directories(f);
    fs::copy_file(fs::path(KESTAL_DATA) / "ATNF.csv", f / "ATNF.csv",
                  fs::copy_options::overwrite_existing);
    // A configured folder: the first run would stop at its notice.
    TKestalConfig config;
    config.Location.Name = "Home";
    config.Location.Latitude = 52.1;
    config.Location.Longitude = 5.2;
    config.Location.NorthSouth = "N";
    config.Location.EastWest = "E";
    config.Location.Locator = "JO22MC";
    config.ModeCode = "DP";
    std::array<double, cfFieldCount> numbers{};
    for (size_t i = 0; i < numbers.size(); ++i) {
      config.Fields[i] = DefaultFieldTexts[i];
      numbers[i] = StrToFloat(DefaultFieldTexts[i]);
    }
    const String text = ComposeConfigText(config, numbers, DefaultReceiverBandwidthHz, {});
    WriteFileReplacing((f / "KestalDB.txt").string(), text);
    return f;
  }();
  return folder;
}

// Beside the mean: the fastest and the median run (a shared machine slows some runs down),
// and the largest peak memory of any run.
void Measure(benchmark::State& state, const std::string& Program) {
  long peak = 0;
  std::vector<double> times;
  for (auto _ : state) {
    const TChildRun run = RunChild(Program, KestalFolder(), kEnv);
    if (!WIFEXITED(run.Status) || WEXITSTATUS(run.Status) != 0) {
      state.SkipWithError("the program did not end with 0");
      break;
    }
    state.SetIterationTime(run.Seconds);
    times.push_back(run.Seconds);
    peak = std::max(peak, run.PeakKiB);
  }
  state.counters["peak_MiB"] = double(peak) / 1024.0;
  if (!times.empty()) {
    std::sort(times.begin(), times.end());
    state.counters["min_ms"] = 1000.0 * times.front();
    state.counters["median_ms"] = 1000.0 * times[times.size() / 2];
  }
}

void BM_KestalStartShowExit(benchmark::State& state) { Measure(state, KESTAL_PROGRAM); }
void BM_BareQtWindowStartShowExit(benchmark::State& state) { Measure(state, BARE_QT_PROGRAM); }

BENCHMARK(BM_BareQtWindowStartShowExit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_KestalStartShowExit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  // KESTAL_STARTUP_OTHER=/path/to/kestal measures another build in the same run (before/after).
  if (const char* other = std::getenv("KESTAL_STARTUP_OTHER"); other != nullptr && *other != 0) {
    const std::string program = other;
    benchmark::RegisterBenchmark("BM_OtherKestalStartShowExit",
                                 [program](benchmark::State& state) { Measure(state, program); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(KestalFolder(), ec);
  return 0;
}
