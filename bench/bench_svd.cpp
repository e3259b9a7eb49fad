// The singular value decomposition beside Eigen's BDCSVD and OpenBLAS's dgesdd (one thread), thin
// U and V, the same outputs, as yardsticks; Eigen is seen only here and in bench_linalg.
// SingValDecomp itself runs on the same LAPACK (bidiagonal form, divide and conquer, the
// reflectors applied back) and adds the values' places, the sign convention, its own work
// memory (dgesdd's is allocated once, outside the timing) and the copies in and out.
// Aims: SingValDecomp of 1000 x 1000 within 1.5 times dgesdd's time and within three times
// Eigen's. The ratios are printed after the table.

#include <benchmark/benchmark.h>

#include <Eigen/SVD>
#include <cblas.h>
#include <lapack.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchEigen.h"
#include "BenchRatios.h"
#include "DOV_statis.h"
#include "RtlRandom.h"

namespace {

using bench_support::AsEigen;
using bench_support::RatioReporter;

std::unique_ptr<TMatrix> TestMatrix(int n) {
  InitRandomGenerator(4242);
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(n, n);
  for (int c = 1; c <= n; ++c) {
    double* col = m->ColumnPtr(c);
    for (int r = 0; r < n; ++r) col[r] = static_cast<double>(RandomReal()) - 0.5;
  }
  return m;
}

void BM_SingValDecomp(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto a = TestMatrix(n);
  TMatrix work(nullptr), v(nullptr);
  v.Resize(n, n);
  TVector w(nullptr);
  w.SetVecSize(n);
  for (auto _ : state) {
    state.PauseTiming();
    work.Assign(a.get());
    state.ResumeTiming();
    if (!SingValDecomp(&work, &v, &w)) state.SkipWithError("no convergence");
    benchmark::DoNotOptimize(w.DataPtr());
  }
}
BENCHMARK(BM_SingValDecomp)->Arg(200)->Arg(1000)->MinTime(3.0)->Unit(benchmark::kMillisecond);

void BM_EigenBDCSVD(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Eigen::MatrixXd a = AsEigen(*TestMatrix(n));
  for (auto _ : state) {
    Eigen::BDCSVD<Eigen::MatrixXd> svd(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
    benchmark::DoNotOptimize(svd.singularValues().data());
  }
}
BENCHMARK(BM_EigenBDCSVD)->Arg(200)->Arg(1000)->MinTime(3.0)->Unit(benchmark::kMillisecond);

// The copy of the input is not timed, as in BM_SingValDecomp.
void BM_OpenBlasDgesdd(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto m = TestMatrix(n);
  std::vector<double> a(static_cast<std::size_t>(n) * n), work(a.size()), s(n), u(a.size()),
      vt(a.size());
  for (int c = 1; c <= n; ++c) std::copy_n(m->ColumnPtr(c), n, a.begin() + (c - 1) * n);
  std::vector<lapack_int> iwork(static_cast<std::size_t>(8) * n);
  const char jobz = 'S';
  lapack_int info = 0, lwork = -1;
  double query = 0;
  LAPACK_dgesdd(&jobz, &n, &n, work.data(), &n, s.data(), u.data(), &n, vt.data(), &n, &query,
                &lwork, iwork.data(), &info);
  lwork = static_cast<lapack_int>(query);
  std::vector<double> scratch(static_cast<std::size_t>(lwork));
  for (auto _ : state) {
    state.PauseTiming();
    work = a;
    state.ResumeTiming();
    LAPACK_dgesdd(&jobz, &n, &n, work.data(), &n, s.data(), u.data(), &n, vt.data(), &n,
                  scratch.data(), &lwork, iwork.data(), &info);
    if (info != 0) state.SkipWithError("no convergence");
    benchmark::DoNotOptimize(s.data());
  }
}
BENCHMARK(BM_OpenBlasDgesdd)->Arg(200)->Arg(1000)->MinTime(3.0)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  openblas_set_num_threads(1);
  std::printf("OpenBLAS %s, kernels for %s, one thread\n", openblas_get_config(),
              openblas_get_corename());
  RatioReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  std::printf("\nRatios (library time / yardstick time):\n");
  // Run names carry the size and the minimum time ("BM_SingValDecomp/1000/min_time:3.000").
  auto timeOf = [&rep](const std::string& prefix) {
    for (const auto& [name, t] : rep.times)
      if (name.rfind(prefix, 0) == 0) return t;
    return 0.0;
  };
  for (const char* n : {"200", "1000"}) {
    const double a = timeOf(std::string("BM_SingValDecomp/") + n + "/");
    const double b = timeOf(std::string("BM_EigenBDCSVD/") + n + "/");
    const double c = timeOf(std::string("BM_OpenBlasDgesdd/") + n + "/");
    if (a > 0 && b > 0) std::printf("SingValDecomp %s x %s / BDCSVD %6.2f\n", n, n, a / b);
    if (a > 0 && c > 0) std::printf("SingValDecomp %s x %s / OpenBLAS dgesdd %6.2f\n", n, n, a / c);
  }
  benchmark::Shutdown();
  return 0;
}
