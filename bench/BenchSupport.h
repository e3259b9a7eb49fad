#pragma once
// Start-up shared by the benchmark programs: the application object off screen (unless the
// caller chose a display), then the benchmarks the command line names.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>

#include "Forms.h"
#include "Unit1Program.h"

namespace bench_support {

// For benchmarks of toolkit controls: no program start-up; an unknown argument gives 1.
inline int RunToolkitBenchmarks(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize(argc, argv);
  ::benchmark::Initialize(&argc, argv);
  if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  ::benchmark::RunSpecifiedBenchmarks();
  ::benchmark::Shutdown();
  Application->DestroyComponents();
  return 0;
}

// For benchmarks of the program's windows: the program's own start-up first; AfterStart
// (when given) runs once the application object is up, before any benchmark.
inline int RunAppBenchmarks(int argc, char** argv, const std::function<void()>& AfterStart = {}) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  InitKestal();
  Application->Initialize(argc, argv);
  if (AfterStart) AfterStart();
  ::benchmark::Initialize(&argc, argv);
  ::benchmark::RunSpecifiedBenchmarks();
  ::benchmark::Shutdown();
  return 0;
}

}  // namespace bench_support
