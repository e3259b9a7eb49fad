// Singular value decomposition and least squares, checked by their defining properties and
// against GSL (used by this test only) on the same data.

#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_multifit.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>

#include "DOV_statis.h"

namespace {

// The decomposition runs on OpenBLAS, which the library opens at the first decomposition.
void SetOpenBlasThreads(int n) {
  void* lib = dlopen("libopenblas.so.0", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(lib, nullptr) << "the decomposition has not opened OpenBLAS";
  auto set = reinterpret_cast<void (*)(int)>(dlsym(lib, "openblas_set_num_threads"));
  ASSERT_NE(set, nullptr);
  set(n);
  dlclose(lib);
}

// The progress hooks are process-wide: each test starts from a clean state.
class SvdTest : public ::testing::Test {
protected:
  void SetUp() override { ResetHooks(); }
  void TearDown() override { ResetHooks(); }
  static void ResetHooks() {
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
    ProcStat = 0;
  }
};

// Values in [-0.5, 0.5) from a fixed small generator, independent of the library's.
double Draw(std::uint64_t& state) {
  state = state * 6364136223846793005ull + 1442695040888963407ull;
  return static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
}

std::unique_ptr<TMatrix> MakeMatrix(Integer cols, Integer rows, std::uint64_t seed) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(cols, rows);
  for (Integer c = 1; c <= cols; ++c)
    for (Integer r = 1; r <= rows; ++r) m->SetVal(c, r, Draw(seed));
  return m;
}

std::unique_ptr<TMatrix> Rows(const std::vector<std::vector<double>>& rows) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(static_cast<Integer>(rows[0].size()), static_cast<Integer>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c)
      m->SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), rows[r][c]);
  return m;
}

std::unique_ptr<TVector> Vec(const std::vector<double>& v) {
  auto x = std::make_unique<TVector>(nullptr);
  x->SetVecSize(static_cast<Integer>(v.size()));
  for (size_t i = 0; i < v.size(); ++i) x->SetVal(static_cast<Integer>(i + 1), v[i]);
  return x;
}

std::unique_ptr<TVector> Sized(Integer n) {
  auto x = std::make_unique<TVector>(nullptr);
  x->SetVecSize(n);
  return x;
}

gsl_matrix* ToGsl(const TMatrix& a) {
  gsl_matrix* g = gsl_matrix_alloc(a.NrOfRows(), a.NrOfColumns());
  for (Integer r = 1; r <= a.NrOfRows(); ++r)
    for (Integer c = 1; c <= a.NrOfColumns(); ++c) gsl_matrix_set(g, r - 1, c - 1, a.GetVal(c, r));
  return g;
}

gsl_vector* ToGsl(const TVector& v) {
  gsl_vector* g = gsl_vector_alloc(v.NrOfElem());
  for (Integer i = 1; i <= v.NrOfElem(); ++i) gsl_vector_set(g, i - 1, v.GetVal(i));
  return g;
}

// GSL's singular values of a (it needs rows >= columns: a wide matrix goes transposed).
std::vector<double> GslSingularValues(const TMatrix& a) {
  gsl_matrix* g = ToGsl(a);
  if (g->size1 < g->size2) {
    gsl_matrix* t = gsl_matrix_alloc(g->size2, g->size1);
    gsl_matrix_transpose_memcpy(t, g);
    gsl_matrix_free(g);
    g = t;
  }
  gsl_matrix* v = gsl_matrix_alloc(g->size2, g->size2);
  gsl_vector* s = gsl_vector_alloc(g->size2);
  gsl_vector* work = gsl_vector_alloc(g->size2);
  gsl_set_error_handler_off();
  EXPECT_EQ(gsl_linalg_SV_decomp(g, v, s, work), 0);
  std::vector<double> out(s->data, s->data + s->size);
  gsl_matrix_free(g);
  gsl_matrix_free(v);
  gsl_vector_free(s);
  gsl_vector_free(work);
  return out;
}

std::vector<double> Values(const TVector& v) {
  std::vector<double> out;
  for (Integer i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

struct Shape {
  const char* name;
  Integer rows, cols;
  std::function<void(TMatrix&)> shape;  // makes it special after the random fill
  Integer zeroValues;                   // singular values that must be 0
};

void MakeRankDeficient(TMatrix& a) {  // column 4 = column 1 + column 2, column 5 = 2 column 3
  for (Integer r = 1; r <= a.NrOfRows(); ++r) {
    a.SetVal(4, r, a.GetVal(1, r) + a.GetVal(2, r));
    a.SetVal(5, r, 2 * a.GetVal(3, r));
  }
}

// Rank 12: every column after the twelfth mixes two earlier ones.
void MakeRank12(TMatrix& a) {
  for (Integer c = 13; c <= a.NrOfColumns(); ++c)
    for (Integer r = 1; r <= a.NrOfRows(); ++r)
      a.SetVal(c, r, a.GetVal(c - 12, r) + 0.5 * a.GetVal(c - 11, r));
}

// The singular value decomposition's outputs for an m x n matrix.
struct Decomposition {
  TMatrix u{nullptr}, v{nullptr};
  TVector w{nullptr};
  bool ok = false;
  Decomposition(const TMatrix& a) {
    u.Clone(&a);
    v.Resize(a.NrOfColumns(), a.NrOfColumns());
    w.SetVecSize(a.NrOfColumns());
    ok = SingValDecomp(&u, &v, &w);
  }
};

}  // namespace

TEST_F(SvdTest, PropertiesOverATableOfShapes) {
  const Shape shapes[] = {
      {"tall 12 x 4", 12, 4, nullptr, 0},
      {"square 7 x 7", 7, 7, nullptr, 0},
      {"rank-deficient 9 x 5", 9, 5, MakeRankDeficient, 2},
      {"one column 6 x 1", 6, 1, nullptr, 0},
      {"one row 1 x 1", 1, 1, nullptr, 0},
      {"wide 3 x 6 (padded)", 3, 6, nullptr, 3},
      {"wide 1 x 4 (padded)", 1, 4, nullptr, 3},
      {"zero 4 x 3", 4, 3, [](TMatrix& a) { a.Fill(0); }, 3},
      {"large values 10 x 3", 10, 3, [](TMatrix& a) { a.SMult(1e120); }, 0},
      {"huge values 12 x 5", 12, 5, [](TMatrix& a) { a.SMult(1e200); }, 0},
      {"small values 6 x 4", 6, 4, [](TMatrix& a) { a.SMult(1e-140); }, 0},
      // From 26 columns on the bidiagonal form is split and merged (divide and conquer).
      {"square 40 x 40", 40, 40, nullptr, 0},
      {"tall 90 x 30", 90, 30, nullptr, 0},
      {"rank 12, 60 x 30", 60, 30, MakeRank12, 18},
      {"wide 20 x 45 (padded)", 20, 45, nullptr, 25},
      {"zero 30 x 30", 30, 30, [](TMatrix& a) { a.Fill(0); }, 30},
  };
  std::uint64_t seed = 17;
  for (const Shape& s : shapes) {
    SCOPED_TRACE(s.name);
    auto a = MakeMatrix(s.cols, s.rows, seed++);
    if (s.shape) s.shape(*a);
    TMatrix original(nullptr);
    original.Clone(a.get());
    const double scale = std::max(1e-300, original.Norm(ntFrobenius));
    TMatrix v(nullptr);
    v.Resize(s.cols, s.cols);
    TVector w(nullptr);
    w.SetVecSize(s.cols);
    ProcStat = 0;
    ASSERT_TRUE(SingValDecomp(a.get(), &v, &w));
    EXPECT_EQ(ProcStat.load(), 4.0 * s.cols);  // one step per column in each of four phases
    ASSERT_EQ(a->NrOfRows(), s.rows);          // U has the shape of A, also when padded
    ASSERT_EQ(a->NrOfColumns(), s.cols);
    const double tol = 1e-13 * std::max(1.0, static_cast<double>(s.rows));
    // Reconstruction A = U diag(W) V^T.
    for (Integer r = 1; r <= s.rows; ++r)
      for (Integer c = 1; c <= s.cols; ++c) {
        double x = 0;
        for (Integer j = 1; j <= s.cols; ++j) x += a->GetVal(j, r) * w.GetVal(j) * v.GetVal(j, c);
        EXPECT_NEAR(x / scale, original.GetVal(c, r) / scale, tol) << r << "," << c;
      }
    // V orthogonal; the columns of U that belong to non-zero values orthonormal.
    const std::vector<double> values = Values(w);
    const double wmax = *std::max_element(values.begin(), values.end());
    for (Integer i = 1; i <= s.cols; ++i)
      for (Integer j = 1; j <= s.cols; ++j) {
        double vv = 0, uu = 0;
        for (Integer k = 1; k <= s.cols; ++k) vv += v.GetVal(i, k) * v.GetVal(j, k);
        EXPECT_NEAR(vv, i == j ? 1 : 0, tol) << "V " << i << "," << j;
        if (w.GetVal(i) <= 1e-12 * wmax || w.GetVal(j) <= 1e-12 * wmax) continue;
        for (Integer k = 1; k <= s.rows; ++k) uu += a->GetVal(i, k) * a->GetVal(j, k);
        EXPECT_NEAR(uu, i == j ? 1 : 0, tol) << "U " << i << "," << j;
      }
    // Not negative; the same values as GSL's, which sorts them (ours stay unsorted).
    // GSL on the data scaled to norm 1 (it gives up on elements near 1e120).
    TMatrix scaled(nullptr);
    scaled.Clone(&original);
    scaled.SMult(1 / scale);
    std::vector<double> ours = Values(w), theirs = GslSingularValues(scaled);
    for (double x : ours) EXPECT_GE(x, 0);
    std::sort(ours.rbegin(), ours.rend());
    theirs.resize(ours.size(), 0.0);
    for (size_t i = 0; i < ours.size(); ++i)
      EXPECT_NEAR(ours[i] / scale, theirs[i], 1e-14 * s.rows) << i;
    Integer zeros = 0;
    for (double x : ours) zeros += x <= 1e-13 * std::max(wmax, 1e-300) ? 1 : 0;
    EXPECT_EQ(zeros, s.zeroValues);
    // The signs: the element of V's column with the largest magnitude is positive.
    for (Integer j = 1; j <= s.cols; ++j) {
      double lead = 0;
      for (Integer k = 1; k <= s.cols; ++k)
        if (std::fabs(v.GetVal(j, k)) > std::fabs(lead)) lead = v.GetVal(j, k);
      EXPECT_GT(lead, 0) << "V column " << j;
    }
  }
}

TEST_F(SvdTest, ValuesComeInTheOrderTheIterationLeavesThem) {
  // A diagonal matrix is its own bidiagonal form: the values keep their places, made positive.
  auto a = Rows({{1, 0, 0}, {0, -3, 0}, {0, 0, 2}});
  TMatrix v(nullptr);
  v.Resize(3, 3);
  TVector w(nullptr);
  w.SetVecSize(3);
  ASSERT_TRUE(SingValDecomp(a.get(), &v, &w));
  EXPECT_EQ(Values(w), (std::vector<double>{1, 3, 2}));
}

TEST_F(SvdTest, CoupledValuesTakeThePlacesTheSweepsGiveThem) {
  // Sorted they would be (10, 4.13, 0.97, 0.5) and (1.33, 1.12, 0.96, ...): the sweeps leave
  // the larger value of a coupled pair first, and a random matrix's values in their own order.
  struct Case {
    const char* name;
    std::unique_ptr<TMatrix> a;
    std::vector<double> w;
  };
  Case cases[] = {
      {"coupled pair, then singles",
       Rows({{4, 1, 0, 0}, {0, 1, 0, 0}, {0, 0, 10, 0}, {0, 0, 0, 0.5}}),
       {std::sqrt(9 + std::sqrt(65.0)), std::sqrt(9 - std::sqrt(65.0)), 10, 0.5}},
      {"random 8 x 8",
       MakeMatrix(8, 8, 8),
       {1.33146, 1.12125, 0.00710924, 0.22516, 0.400813, 0.958216, 0.784103, 0.793836}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Decomposition d(*c.a);
    ASSERT_TRUE(d.ok);
    for (size_t i = 0; i < c.w.size(); ++i)
      EXPECT_NEAR(d.w.GetVal(static_cast<Integer>(i + 1)), c.w[i], 1e-5 * c.w[i]) << i;
  }
}

TEST_F(SvdTest, SameBitsOnEveryRunWhateverTheThreadCount) {
  // Large enough for the products to be split between threads when they may be.
  auto a = MakeMatrix(160, 170, 13);
  Decomposition first(*a);
  ASSERT_TRUE(first.ok);
  SetOpenBlasThreads(4);
  Decomposition second(*a);
  SetOpenBlasThreads(1);
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(first.u.CRCofData(), second.u.CRCofData());
  EXPECT_EQ(first.v.CRCofData(), second.v.CRCofData());
  EXPECT_EQ(Values(first.w), Values(second.w));
}

TEST_F(SvdTest, CallerSizesVAndW) {
  // V and W are not resized: a smaller V takes its overlap, a longer W keeps its tail.
  auto a = MakeMatrix(3, 5, 3);
  TMatrix v(nullptr);
  v.Resize(2, 2);
  auto w = Vec({-7, -7, -7, -7});
  ASSERT_TRUE(SingValDecomp(a.get(), &v, w.get()));
  EXPECT_EQ(v.NrOfColumns(), 2);
  EXPECT_EQ(w->NrOfElem(), 4);
  EXPECT_GT(w->GetVal(3), 0);
  EXPECT_EQ(w->GetVal(4), -7);
}

TEST_F(SvdTest, NonFiniteDataEndsWithFalse) {
  for (double bad :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    auto a = MakeMatrix(4, 6, 5);
    a->SetVal(2, 3, bad);
    TMatrix v(nullptr);
    v.Resize(4, 4);
    TVector w(nullptr);
    w.SetVecSize(4);
    EXPECT_FALSE(SingValDecomp(a.get(), &v, &w));
  }
}

TEST_F(SvdTest, NonFiniteDataMakesEveryOutputNaN) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    Integer rows, cols;
    double bad;
  };
  for (const Case& c :
       {Case{6, 4, std::nan("")}, Case{6, 4, inf}, Case{3, 5, -inf}, Case{40, 30, std::nan("")}}) {
    SCOPED_TRACE(testing::Message() << c.rows << " x " << c.cols << " with " << c.bad);
    auto a = MakeMatrix(c.cols, c.rows, 5);
    a->SetVal(c.cols, c.rows, c.bad);
    ProcStat = 0;
    Decomposition d(*a);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(ProcStat.load(), 4.0 * c.cols);  // the progress of a whole decomposition
    for (Integer j = 1; j <= c.cols; ++j) {
      EXPECT_TRUE(std::isnan(d.w.GetVal(j)));
      EXPECT_TRUE(std::isnan(d.v.GetVal(j, 1)));
      EXPECT_TRUE(std::isnan(d.u.GetVal(j, c.rows)));
    }
  }
}

TEST_F(SvdTest, AbortStopsWithinOneStepInEveryPhase) {
  const Integer n = 6;
  for (Integer stopAt : {1, 2, n + 1, 2 * n + 3, 3 * n + 1, 4 * n}) {
    SCOPED_TRACE(stopAt);
    ProcStat = 0;
    AbortMathProc = false;
    static Integer target;
    target = stopAt;
    MathFeedBackProc = [](Double stat) {
      if (stat >= target) AbortMathProc = true;
    };
    auto a = MakeMatrix(n, 9, 11);
    TMatrix before(nullptr);
    before.Clone(a.get());
    TMatrix v(nullptr);
    v.Resize(n, n);
    TVector w(nullptr);
    w.SetVecSize(n);
    EXPECT_FALSE(SingValDecomp(a.get(), &v, &w));
    EXPECT_EQ(ProcStat.load(), stopAt);
    EXPECT_EQ(a->CRCofData(), before.CRCofData());  // an aborted run leaves A as it was
  }
}

TEST_F(SvdTest, AbortInsideASliceOfColumnsLeavesEverythingAsItWas) {
  // 40 columns reach V and U in slices of 10, each slice's steps taken before its work.
  const Integer n = 40;
  for (Integer stopAt : {n + 17, 2 * n + 1, 2 * n + 15, 3 * n + 25, 4 * n}) {
    SCOPED_TRACE(stopAt);
    ProcStat = 0;
    AbortMathProc = false;
    static Integer target;
    target = stopAt;
    MathFeedBackProc = [](Double stat) {
      if (stat >= target) AbortMathProc = true;
    };
    auto a = MakeMatrix(n, 50, 12);
    const std::string before = a->CRCofData();
    TMatrix v(nullptr);
    v.Resize(n, n);
    v.Fill(7);
    const std::string vBefore = v.CRCofData();
    TVector w(nullptr);
    w.SetVecSize(n);
    w.Fill(7);
    EXPECT_FALSE(SingValDecomp(a.get(), &v, &w));
    EXPECT_EQ(ProcStat.load(), stopAt);
    EXPECT_EQ(a->CRCofData(), before);
    EXPECT_EQ(v.CRCofData(), vBefore);
    EXPECT_EQ(w.GetVal(n), 7);
  }
}

TEST_F(SvdTest, EveryCallerReturnsFalseAfterAnAbort) {
  // The flag is not cleared on entry: a set flag fails each routine at its first step.
  AbortMathProc = true;
  auto a = MakeMatrix(3, 6, 2);
  auto y = Vec({1, 2, 3, 4, 5, 6});
  auto coeffs = Vec({9, 9, 9});
  bool near = true;
  EXPECT_FALSE(MultiLinReg(a.get(), y.get(), coeffs.get(), nullptr, near));
  EXPECT_EQ(Values(*coeffs), (std::vector<double>{9, 9, 9}));
  EXPECT_FALSE(near);
  TMatrix pinv(nullptr);
  EXPECT_FALSE(PseudoInverse(a.get(), &pinv, 0));
  auto rc = Sized(1), sd = Sized(1), mx = Sized(1), sx = Sized(1);
  EXPECT_FALSE(RidgeRegStd(a.get(), y.get(), 0.5, rc.get(), sd.get(), mx.get(), sx.get(), near));
  EXPECT_FALSE(RidgeReg(a.get(), y.get(), 0.5, rc.get(), sd.get(), near));
  EXPECT_EQ(ProcStat.load(), 4.0);
}

// ---- least squares -----------------------------------------------------------------------

TEST_F(SvdTest, MultiLinRegMatchesGslWithDeviations) {
  const Integer m = 15, n = 4;
  auto a = MakeMatrix(n, m, 23);
  std::uint64_t seed = 99;
  auto y = Sized(m);
  for (Integer r = 1; r <= m; ++r)
    y->SetVal(r, 2 * a->GetVal(1, r) - a->GetVal(2, r) + 0.5 * a->GetVal(4, r) + 0.01 * Draw(seed));
  gsl_matrix* X = ToGsl(*a);
  gsl_vector* Y = ToGsl(*y);
  gsl_vector* c = gsl_vector_alloc(n);
  gsl_matrix* cov = gsl_matrix_alloc(n, n);
  double chisq;
  gsl_multifit_linear_workspace* work = gsl_multifit_linear_alloc(m, n);
  gsl_multifit_linear(X, Y, c, cov, &chisq, work);

  TMatrix original(nullptr);
  original.Clone(a.get());
  auto coeffs = Sized(n), devs = Sized(n);
  bool near = true;
  ASSERT_TRUE(MultiLinReg(a.get(), y.get(), coeffs.get(), devs.get(), near));
  EXPECT_FALSE(near);
  const double sigma2 = chisq / (m - n);
  for (Integer j = 1; j <= n; ++j) {
    EXPECT_NEAR(coeffs->GetVal(j), gsl_vector_get(c, j - 1), 1e-13) << j;
    // Unit-variance deviations: scaled by the residual variance they are GSL's.
    EXPECT_NEAR(devs->GetVal(j) * devs->GetVal(j) * sigma2, gsl_matrix_get(cov, j - 1, j - 1),
                1e-15)
        << j;
  }
  // The data matrix holds U afterwards: orthonormal columns, not the data.
  double dot = 0, len = 0;
  for (Integer r = 1; r <= m; ++r) {
    dot += a->GetVal(1, r) * a->GetVal(2, r);
    len += a->GetVal(3, r) * a->GetVal(3, r);
  }
  EXPECT_NEAR(dot, 0, 1e-14);
  EXPECT_NEAR(len, 1, 1e-14);
  EXPECT_NE(a->CRCofData(), original.CRCofData());
  gsl_multifit_linear_free(work);
  gsl_matrix_free(X);
  gsl_matrix_free(cov);
  gsl_vector_free(Y);
  gsl_vector_free(c);
}

TEST_F(SvdTest, MultiLinRegCollinearGivesTheMinimumNormSolution) {
  // Column 3 = column 1 - 2 column 2, so (1, -2, -1) spans the null space. The least-squares
  // solutions differ by multiples of it; the minimum-norm one is orthogonal to it.
  const Integer m = 8;
  auto a = MakeMatrix(3, m, 31);
  for (Integer r = 1; r <= m; ++r) a->SetVal(3, r, a->GetVal(1, r) - 2 * a->GetVal(2, r));
  auto y = Sized(m);
  std::uint64_t seed = 5;
  for (Integer r = 1; r <= m; ++r) y->SetVal(r, Draw(seed));
  // GSL's residual on the two independent columns is the least-squares minimum.
  gsl_matrix* X = gsl_matrix_alloc(m, 2);
  for (Integer r = 1; r <= m; ++r)
    for (Integer c = 1; c <= 2; ++c) gsl_matrix_set(X, r - 1, c - 1, a->GetVal(c, r));
  gsl_vector* Y = ToGsl(*y);
  gsl_vector* c = gsl_vector_alloc(2);
  gsl_matrix* cov = gsl_matrix_alloc(2, 2);
  double chisq;
  gsl_multifit_linear_workspace* work = gsl_multifit_linear_alloc(m, 2);
  gsl_multifit_linear(X, Y, c, cov, &chisq, work);
  TMatrix data(nullptr);
  data.Clone(a.get());
  auto coeffs = Sized(3);
  bool near = false;
  ASSERT_TRUE(MultiLinReg(a.get(), y.get(), coeffs.get(), nullptr, near));
  EXPECT_TRUE(near);
  double rss = 0;
  for (Integer r = 1; r <= m; ++r) {
    double fit = 0;
    for (Integer j = 1; j <= 3; ++j) fit += data.GetVal(j, r) * coeffs->GetVal(j);
    rss += (fit - y->GetVal(r)) * (fit - y->GetVal(r));
  }
  EXPECT_NEAR(rss, chisq, 1e-13);
  EXPECT_NEAR(coeffs->GetVal(1) - 2 * coeffs->GetVal(2) - coeffs->GetVal(3), 0, 1e-12);
  gsl_multifit_linear_free(work);
  gsl_matrix_free(X);
  gsl_matrix_free(cov);
  gsl_vector_free(Y);
  gsl_vector_free(c);
}

TEST_F(SvdTest, MultiLinRegOnAZeroMatrix) {
  auto a = Rows({{0, 0}, {0, 0}, {0, 0}});
  auto y = Vec({1, 2, 3});
  auto coeffs = Vec({5, 5}), devs = Vec({5, 5});
  bool near = true;
  ASSERT_TRUE(MultiLinReg(a.get(), y.get(), coeffs.get(), devs.get(), near));
  EXPECT_FALSE(near);
  EXPECT_EQ(Values(*coeffs), (std::vector<double>{0, 0}));
  EXPECT_EQ(Values(*devs), (std::vector<double>{0, 0}));
}

TEST_F(SvdTest, MultiLinRegWithFewerRowsThanColumns) {
  // Two equations, three unknowns: an exact minimum-norm solution.
  auto a = Rows({{1, 2, 3}, {4, 5, 6}});
  auto y = Vec({6, 15});
  auto coeffs = Sized(3);
  bool near = false;
  ASSERT_TRUE(MultiLinReg(a.get(), y.get(), coeffs.get(), nullptr, near));
  auto check = Rows({{1, 2, 3}, {4, 5, 6}});
  for (Integer r = 1; r <= 2; ++r) {
    double s = 0;
    for (Integer c = 1; c <= 3; ++c) s += check->GetVal(c, r) * coeffs->GetVal(c);
    EXPECT_NEAR(s, y->GetVal(r), 1e-13);
  }
  // The minimum-norm solution of this system is (1, 1, 1).
  for (Integer c = 1; c <= 3; ++c) EXPECT_NEAR(coeffs->GetVal(c), 1, 1e-13);
}

// ---- ridge regression --------------------------------------------------------------------

namespace {

// GSL's ridge solution of the standardised problem: minimises |y - Z b|^2 + lambda |b|^2.
std::vector<double> GslRidge(const TMatrix& z, const TVector& y, double lambda) {
  gsl_matrix* X = ToGsl(z);
  gsl_vector* Y = ToGsl(y);
  gsl_vector* c = gsl_vector_alloc(z.NrOfColumns());
  gsl_multifit_linear_workspace* work = gsl_multifit_linear_alloc(z.NrOfRows(), z.NrOfColumns());
  gsl_multifit_linear_svd(X, work);
  double rnorm, snorm;
  gsl_multifit_linear_solve(std::sqrt(lambda), X, Y, c, &rnorm, &snorm, work);
  std::vector<double> out(c->data, c->data + c->size);
  gsl_multifit_linear_free(work);
  gsl_matrix_free(X);
  gsl_vector_free(Y);
  gsl_vector_free(c);
  return out;
}

}  // namespace

TEST_F(SvdTest, RidgeRegStdAgainstGsl) {
  const Integer m = 20, n = 3;
  auto x = MakeMatrix(n, m, 41);
  for (Integer r = 1; r <= m; ++r) x->SetVal(2, r, 10 + 5 * x->GetVal(2, r));
  std::uint64_t seed = 8;
  auto y = Sized(m);
  for (Integer r = 1; r <= m; ++r)
    y->SetVal(r, 3 + x->GetVal(1, r) - 0.2 * x->GetVal(2, r) + 0.1 * Draw(seed));
  TMatrix z(nullptr);
  z.Clone(x.get());
  TVector mz(nullptr), sz(nullptr);
  mz.SetVecSize(n);
  sz.SetVecSize(n);
  z.StandardizeColumns(&mz, &sz);
  const std::string before = x->CRCofData();
  for (double lambda : {0.0, 0.5, 10.0}) {
    SCOPED_TRACE(lambda);
    auto rc = Sized(1), sd = Sized(1), means = Sized(1), devs = Sized(1);
    bool near = true;
    ASSERT_TRUE(
        RidgeRegStd(x.get(), y.get(), lambda, rc.get(), sd.get(), means.get(), devs.get(), near));
    EXPECT_FALSE(near);
    ASSERT_EQ(rc->NrOfElem(), n + 1);
    ASSERT_EQ(sd->NrOfElem(), n);
    const std::vector<double> want = GslRidge(z, *y, lambda);
    for (Integer j = 1; j <= n; ++j) {
      EXPECT_NEAR(rc->GetVal(j), want[j - 1], 1e-12) << j;
      EXPECT_EQ(means->GetVal(j), mz.GetVal(j));
      EXPECT_EQ(devs->GetVal(j), sz.GetVal(j));
    }
    double mean, var;
    y->MeanVar(1, m, mean, var);
    EXPECT_EQ(rc->GetVal(n + 1), mean);
  }
  EXPECT_EQ(x->CRCofData(), before);  // X is unchanged
}

TEST_F(SvdTest, RidgeRegWithLambdaZeroIsOrdinaryLeastSquaresWithIntercept) {
  const Integer m = 12, n = 2;
  auto x = MakeMatrix(n, m, 51);
  for (Integer r = 1; r <= m; ++r) x->SetVal(1, r, 100 + 30 * x->GetVal(1, r));
  std::uint64_t seed = 3;
  auto y = Sized(m);
  for (Integer r = 1; r <= m; ++r)
    y->SetVal(r, 4 + 0.25 * x->GetVal(1, r) - 3 * x->GetVal(2, r) + 0.05 * Draw(seed));
  // GSL on [1, x1, x2].
  gsl_matrix* X = gsl_matrix_alloc(m, n + 1);
  for (Integer r = 1; r <= m; ++r) {
    gsl_matrix_set(X, r - 1, 0, 1);
    for (Integer c = 1; c <= n; ++c) gsl_matrix_set(X, r - 1, c, x->GetVal(c, r));
  }
  gsl_vector* Y = ToGsl(*y);
  gsl_vector* c = gsl_vector_alloc(n + 1);
  gsl_matrix* cov = gsl_matrix_alloc(n + 1, n + 1);
  double chisq;
  gsl_multifit_linear_workspace* work = gsl_multifit_linear_alloc(m, n + 1);
  gsl_multifit_linear(X, Y, c, cov, &chisq, work);
  auto rc = Sized(1), sd = Sized(1);
  bool near = true;
  ASSERT_TRUE(RidgeReg(x.get(), y.get(), 0, rc.get(), sd.get(), near));
  ASSERT_EQ(rc->NrOfElem(), n + 1);
  ASSERT_EQ(sd->NrOfElem(), n + 1);
  EXPECT_NEAR(rc->GetVal(1), gsl_vector_get(c, 1), 1e-12);
  EXPECT_NEAR(rc->GetVal(2), gsl_vector_get(c, 2), 1e-12);
  EXPECT_NEAR(rc->GetVal(3), gsl_vector_get(c, 0), 1e-10);
  EXPECT_EQ(sd->GetVal(3), 0);  // not written
  gsl_multifit_linear_free(work);
  gsl_matrix_free(X);
  gsl_matrix_free(cov);
  gsl_vector_free(Y);
  gsl_vector_free(c);
}

TEST_F(SvdTest, RidgeRefusals) {
  auto x = MakeMatrix(2, 6, 7);
  auto y = Vec({1, 2, 3, 4, 5, 6});
  auto rc = Vec({9}), sd = Vec({9}), mx = Vec({9}), sx = Vec({9});
  bool near = false;
  struct Case {
    std::function<void()> call;
    std::string text;
  };
  const Case cases[] = {
      {[&] { RidgeRegStd(x.get(), y.get(), -0.1, rc.get(), sd.get(), mx.get(), sx.get(), near); },
       "RidgeRegStd: Lambda must not be negative"},
      {[&] { RidgeReg(x.get(), y.get(), -1, rc.get(), sd.get(), near); },
       "RidgeReg: Lambda must not be negative"},
  };
  for (const Case& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.text;
    } catch (const ESDLMath2Error& e) {
      EXPECT_EQ(std::string(e.what()), c.text);
    }
    EXPECT_EQ(rc->NrOfElem(), 1);  // nothing changed
    EXPECT_EQ(rc->GetVal(1), 9);
  }
  // A constant predictor would be a division by its zero spread.
  for (Integer r = 1; r <= 6; ++r) x->SetVal(2, r, 4.5);
  try {
    RidgeReg(x.get(), y.get(), 0.5, rc.get(), sd.get(), near);
    ADD_FAILURE() << "no exception";
  } catch (const ESDLMath2Error& e) {
    EXPECT_STREQ(e.what(), "RidgeReg: predictor column 2 is constant");
  }
  EXPECT_EQ(rc->NrOfElem(), 1);
}

// ---- pseudo-inverse ----------------------------------------------------------------------

TEST_F(SvdTest, PseudoInverseOfASquareMatrixIsItsInverse) {
  auto a = MakeMatrix(5, 5, 61);
  TMatrix pinv(nullptr);
  ASSERT_TRUE(PseudoInverse(a.get(), &pinv, 0));
  gsl_matrix* g = ToGsl(*a);
  gsl_permutation* p = gsl_permutation_alloc(5);
  gsl_matrix* inv = gsl_matrix_alloc(5, 5);
  int sign;
  gsl_linalg_LU_decomp(g, p, &sign);
  gsl_linalg_LU_invert(g, p, inv);
  for (Integer r = 1; r <= 5; ++r)
    for (Integer c = 1; c <= 5; ++c)
      EXPECT_NEAR(pinv.GetVal(c, r), gsl_matrix_get(inv, r - 1, c - 1), 1e-11);
  gsl_matrix_free(g);
  gsl_matrix_free(inv);
  gsl_permutation_free(p);
}

TEST_F(SvdTest, PseudoInversePenroseConditionsAndShape) {
  // Matrices without rows or columns have the empty inverse.
  for (auto [rows, cols] :
       std::vector<std::pair<Integer, Integer>>{{7, 3}, {3, 6}, {0, 0}, {1, 0}, {4, 0}, {0, 3}}) {
    auto a = MakeMatrix(cols, rows, 71);
    const std::string before = a->CRCofData();
    TMatrix pinv(nullptr);
    ASSERT_TRUE(PseudoInverse(a.get(), &pinv, 0));
    EXPECT_EQ(a->CRCofData(), before);
    ASSERT_EQ(pinv.NrOfColumns(), rows);
    ASSERT_EQ(pinv.NrOfRows(), cols);
    TMatrix apa(nullptr), ap(nullptr), pap(nullptr);
    a->Multiply(&pinv, &ap);
    ap.Multiply(a.get(), &apa);
    pinv.Multiply(&ap, &pap);  // pinv a pinv = pinv (a pinv)
    for (Integer r = 1; r <= rows; ++r)
      for (Integer c = 1; c <= cols; ++c) EXPECT_NEAR(apa.GetVal(c, r), a->GetVal(c, r), 1e-13);
    for (Integer r = 1; r <= cols; ++r)
      for (Integer c = 1; c <= rows; ++c) EXPECT_NEAR(pap.GetVal(c, r), pinv.GetVal(c, r), 1e-12);
  }
}

// A LAPACK routine that refuses an argument reaches the caller as the unit's error, the
// matrices as they were; a value that does not converge is the result false.
TEST_F(SvdTest, LapackResultsReachTheCaller) {
  struct Case {
    const char* routine;
    int info;
    bool raises;
  };
  for (const Case& c : {Case{"dgebrd", -4, true}, Case{"dormbr", -7, true},
                        Case{"dbdsdc", -3, true}, Case{"dbdsdc", 2, false}}) {
    auto a = MakeMatrix(3, 5, 81);
    const std::string before = a->CRCofData();
    TMatrix v(nullptr);
    v.Resize(3, 3);
    auto w = Sized(3);
    SetLapackInfoForTesting(c.routine, c.info);
    if (c.raises) {
      try {
        SingValDecomp(a.get(), &v, w.get());
        ADD_FAILURE() << c.routine << " did not raise";
      } catch (const ESDLMath2Error& e) {
        EXPECT_EQ(e.Message, String("SingValDecomp: LAPACK ") + c.routine + " refused argument " +
                                 std::to_string(-c.info));
      }
      EXPECT_EQ(a->CRCofData(), before) << c.routine;
      SetLapackInfoForTesting(c.routine, c.info);
      TMatrix pinv(nullptr);
      EXPECT_THROW(PseudoInverse(a.get(), &pinv, 0), ESDLMath2Error) << c.routine;
    } else {
      EXPECT_FALSE(SingValDecomp(a.get(), &v, w.get())) << c.routine;
    }
  }
  // The injected result is used once: the next decomposition succeeds.
  auto a = MakeMatrix(3, 5, 81);
  TMatrix v(nullptr);
  v.Resize(3, 3);
  auto w = Sized(3);
  EXPECT_TRUE(SingValDecomp(a.get(), &v, w.get()));
}

TEST_F(SvdTest, PseudoInverseThreshold) {
  // diag(4, 1e-3): a threshold between the two drops the small value; 0 keeps it.
  auto a = Rows({{4, 0}, {0, 1e-3}});
  TMatrix pinv(nullptr);
  ASSERT_TRUE(PseudoInverse(a.get(), &pinv, 0.01));
  EXPECT_DOUBLE_EQ(pinv.GetVal(1, 1), 0.25);
  EXPECT_EQ(pinv.GetVal(2, 2), 0);
  ASSERT_TRUE(PseudoInverse(a.get(), &pinv, 0));
  EXPECT_DOUBLE_EQ(pinv.GetVal(2, 2), 1000);
}
