#pragma once
// For benchmarks that run the library beside a yardstick: a console reporter that also keeps
// each run's real time by name (with --benchmark_repetitions also the median, as NAME_median),
// so main can print the ratios after the runs; and the matrix
// in the yardstick's form.

#include <benchmark/benchmark.h>

#include <Eigen/Core>

#include <map>
#include <string>
#include <vector>

#include "DOV_matrix.h"

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

inline Eigen::MatrixXd AsEigen(const TMatrix& m) {
  Eigen::MatrixXd e(m.NrOfRows(), m.NrOfColumns());
  for (int c = 1; c <= m.NrOfColumns(); ++c)
    for (int r = 1; r <= m.NrOfRows(); ++r) e(r - 1, c - 1) = m.GetVal(c, r);
  return e;
}

}  // namespace bench_support
