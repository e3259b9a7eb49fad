#pragma once
// For benchmarks that run the library beside a yardstick: a console reporter that also keeps
// each run's real time by name (with --benchmark_repetitions also the median, as NAME_median),
// so main can print the ratios after the runs.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench_support {

class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs)
      if (r.run_type == Run::RT_Iteration || r.aggregate_name == "median")
        times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace bench_support
