// Linear algebra and vector statistics of the numerics library, with Eigen and OpenBLAS (its
// LAPACK called directly, pinned to one thread) doing the same work beside it as yardsticks.
// Aims: Invert, Determinant and Square (A^T A, one thread) of 1000 x 1000 within 1.5 times
// OpenBLAS's time (dgetrf + dgetri, dgetrf, dsyrk); Invert and LUdecomposition within three
// times Eigen's; Square of 4000 rows x 500 columns at least four times faster with 8 threads
// than with 1. The ratios are printed after the table.

#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <cblas.h>
#include <lapack.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DOV_matrix.h"
#include "BenchEigen.h"
#include "BenchRatios.h"
#include "DOV_vector.h"
#include "RtlRandom.h"

namespace {

using bench_support::AsEigen;
using bench_support::RatioReporter;

// A well-conditioned random matrix: uniform entries with a dominant diagonal.
std::unique_ptr<TMatrix> TestMatrix(int cols, int rows) {
  InitRandomGenerator(12345);
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(cols, rows);
  for (int c = 1; c <= cols; ++c) {
    double* col = m->ColumnPtr(c);
    for (int r = 0; r < rows; ++r) col[r] = static_cast<double>(RandomReal()) - 0.5;
    if (c <= rows) col[c - 1] += cols;
  }
  return m;
}

void BM_Invert(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto a = TestMatrix(n, n);
  TMatrix work(nullptr);
  for (auto _ : state) {
    work.Assign(a.get());
    if (!work.Invert()) state.SkipWithError("singular");
    benchmark::DoNotOptimize(work.ColumnPtr(1));
  }
}
BENCHMARK(BM_Invert)->Arg(100)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_EigenInverse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Eigen::MatrixXd a = AsEigen(*TestMatrix(n, n));
  Eigen::MatrixXd inv(n, n);
  for (auto _ : state) {
    inv = a.inverse();
    benchmark::DoNotOptimize(inv.data());
  }
}
BENCHMARK(BM_EigenInverse)->Arg(100)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LUdecomposition(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto a = TestMatrix(n, n);
  TMatrix L(nullptr), U(nullptr);
  Integer perm;
  for (auto _ : state) {
    if (!a->LUdecomposition(&L, &U, perm)) state.SkipWithError("singular");
    benchmark::DoNotOptimize(U.ColumnPtr(1));
  }
}
BENCHMARK(BM_LUdecomposition)->Arg(100)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_EigenLU(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const Eigen::MatrixXd a = AsEigen(*TestMatrix(n, n));
  for (auto _ : state) {
    Eigen::PartialPivLU<Eigen::MatrixXd> lu(a);
    benchmark::DoNotOptimize(lu.matrixLU().data());
  }
}
BENCHMARK(BM_EigenLU)->Arg(100)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

// The matrix as a plain column-major array, the layout LAPACK takes.
std::vector<double> AsArray(const TMatrix& m) {
  std::vector<double> a(static_cast<std::size_t>(m.NrOfRows()) * m.NrOfColumns());
  for (int c = 1; c <= m.NrOfColumns(); ++c)
    std::copy_n(m.ColumnPtr(c), m.NrOfRows(), a.begin() + (c - 1) * m.NrOfRows());
  return a;
}

void BM_Determinant(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto a = TestMatrix(n, n);
  for (auto _ : state) benchmark::DoNotOptimize(a->Determinant());
}
BENCHMARK(BM_Determinant)->Arg(1000)->Unit(benchmark::kMillisecond);

// dgetrf and the product of the diagonal; the copy is timed, as Determinant copies too.
void BM_OpenBlasDeterminant(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> a = AsArray(*TestMatrix(n, n));
  std::vector<double> lu;
  std::vector<lapack_int> ipiv(static_cast<std::size_t>(n));
  for (auto _ : state) {
    lu = a;
    lapack_int info = 0;
    LAPACK_dgetrf(&n, &n, lu.data(), &n, ipiv.data(), &info);
    double d = 1;
    for (int i = 0; i < n; ++i) d *= ipiv[i] != i + 1 ? -lu[i * (n + 1)] : lu[i * (n + 1)];
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_OpenBlasDeterminant)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_OpenBlasInverse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> a = AsArray(*TestMatrix(n, n));
  std::vector<double> inv;
  std::vector<lapack_int> ipiv(static_cast<std::size_t>(n));
  std::vector<double> work(static_cast<std::size_t>(n) * 64);
  const lapack_int lwork = static_cast<lapack_int>(work.size());
  for (auto _ : state) {
    inv = a;
    lapack_int info = 0;
    LAPACK_dgetrf(&n, &n, inv.data(), &n, ipiv.data(), &info);
    LAPACK_dgetri(&n, inv.data(), &n, ipiv.data(), work.data(), &lwork, &info);
    if (info != 0) state.SkipWithError("singular");
    benchmark::DoNotOptimize(inv.data());
  }
}
BENCHMARK(BM_OpenBlasInverse)->Arg(1000)->Unit(benchmark::kMillisecond);

// The product that the decomposition and the inverse spend most of their time in.
void BM_Multiply(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto a = TestMatrix(n, n);
  TMatrix res(nullptr);
  for (auto _ : state) {
    a->Multiply(a.get(), &res);
    benchmark::DoNotOptimize(res.ColumnPtr(1));
  }
}
BENCHMARK(BM_Multiply)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_OpenBlasDgemm(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> a = AsArray(*TestMatrix(n, n));
  std::vector<double> c(a.size());
  for (auto _ : state) {
    cblas_dgemm(CblasColMajor, CblasNoTrans, CblasNoTrans, n, n, n, 1.0, a.data(), n, a.data(), n,
                0.0, c.data(), n);
    benchmark::DoNotOptimize(c.data());
  }
}
BENCHMARK(BM_OpenBlasDgemm)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_SquareOneThread(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto a = TestMatrix(n, n);
  TMatrix res(nullptr);
  for (auto _ : state) {
    a->Square(&res, 1.0, 1);
    benchmark::DoNotOptimize(res.ColumnPtr(1));
  }
}
BENCHMARK(BM_SquareOneThread)->Arg(1000)->Unit(benchmark::kMillisecond);

// One triangle of A^T A (Square fills both).
void BM_OpenBlasSyrk(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> a = AsArray(*TestMatrix(n, n));
  std::vector<double> c(a.size());
  for (auto _ : state) {
    cblas_dsyrk(CblasColMajor, CblasLower, CblasTrans, n, n, 1.0, a.data(), n, 0.0, c.data(), n);
    benchmark::DoNotOptimize(c.data());
  }
}
BENCHMARK(BM_OpenBlasSyrk)->Arg(1000)->Unit(benchmark::kMillisecond);

double ProcessCpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double WallSeconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// "cores" is the processor time of all threads over the wall time: on a machine busy with
// other work the eight workers get fewer than eight cores, and the speed-up shows it.
void BM_Square(benchmark::State& state) {
  auto a = TestMatrix(500, 4000);
  TMatrix res(nullptr);
  const double cpu0 = ProcessCpuSeconds(), wall0 = WallSeconds();
  for (auto _ : state) {
    a->Square(&res, 1.0, static_cast<Integer>(state.range(0)));
    benchmark::DoNotOptimize(res.ColumnPtr(1));
  }
  const double cpu = ProcessCpuSeconds() - cpu0, wall = WallSeconds() - wall0;
  state.counters["cores"] = cpu / wall;
  state.counters["cpu_ms_per_run"] = 1e3 * cpu / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Square)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

std::unique_ptr<TVector> MillionValues() {
  InitRandomGenerator(777);
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(1000000);
  v->FillRandomGauss(10, 3);
  return v;
}

void BM_VectorMeanVar(benchmark::State& state) {
  auto v = MillionValues();
  double mean, var;
  for (auto _ : state) {
    v->MeanVar(0, 0, mean, var);
    benchmark::DoNotOptimize(mean);
  }
}
BENCHMARK(BM_VectorMeanVar)->Unit(benchmark::kMillisecond);

void BM_VectorQuartiles(benchmark::State& state) {
  auto v = MillionValues();
  double q1, q2, q3;
  for (auto _ : state) {
    v->Quartiles(0, 0, q1, q2, q3);
    benchmark::DoNotOptimize(q2);
  }
}
BENCHMARK(BM_VectorQuartiles)->Unit(benchmark::kMillisecond);

// Keeps every run's time per iteration, so that the ratios can be printed after the table.
void PrintRatio(const RatioReporter& rep, const std::string& a, const std::string& b,
                const char* what) {
  // The medians where the runs were repeated: on a shared machine single runs scatter widely.
  const bool medians = rep.times.count(a + "_median") && rep.times.count(b + "_median");
  auto ia = rep.times.find(medians ? a + "_median" : a);
  auto ib = rep.times.find(medians ? b + "_median" : b);
  if (ia == rep.times.end() || ib == rep.times.end()) return;
  std::printf("%-48s %6.2f\n", what, ia->second / ib->second);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  openblas_set_num_threads(1);
  std::printf("OpenBLAS %s, kernels for %s, one thread\n", openblas_get_config(),
              openblas_get_corename());
  RatioReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  std::printf("\nRatios (library time / yardstick time):\n");
  for (const char* n : {"100", "500", "1000"}) {
    const std::string s(n);
    PrintRatio(rep, "BM_Invert/" + s, "BM_EigenInverse/" + s,
               ("Invert " + s + " x " + s + " / Eigen inverse").c_str());
    PrintRatio(rep, "BM_LUdecomposition/" + s, "BM_EigenLU/" + s,
               ("LUdecomposition " + s + " x " + s + " / Eigen LU").c_str());
  }
  PrintRatio(rep, "BM_Invert/1000", "BM_OpenBlasInverse/1000",
             "Invert 1000 x 1000 / OpenBLAS dgetrf + dgetri");
  PrintRatio(rep, "BM_Determinant/1000", "BM_OpenBlasDeterminant/1000",
             "Determinant 1000 x 1000 / OpenBLAS dgetrf");
  PrintRatio(rep, "BM_Multiply/1000", "BM_OpenBlasDgemm/1000",
             "Multiply 1000 x 1000 / OpenBLAS dgemm");
  PrintRatio(rep, "BM_SquareOneThread/1000", "BM_OpenBlasSyrk/1000",
             "Square 1000 x 1000, 1 thread / OpenBLAS dsyrk");
  PrintRatio(rep, "BM_Square/1/real_time", "BM_Square/8/real_time",
             "Square 4000 x 500: 1 thread / 8 threads");
  benchmark::Shutdown();
  return 0;
}
