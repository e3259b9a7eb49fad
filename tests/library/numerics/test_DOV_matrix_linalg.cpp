#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "DOV_math1.h"
#include "DOV_matrix.h"
#include "DOV_matrix_kernels.h"
#include "DOV_vector.h"
#include "RtlRandom.h"

namespace {

// Builds a matrix from its rows, as linear algebra writes it: Rows({{1, 2}, {3, 4}}) has
// A(1, 2) = 3 (column 1, row 2).
std::unique_ptr<TMatrix> Rows(const std::vector<std::vector<double>>& rows) {
  auto m = std::make_unique<TMatrix>(nullptr);
  const Integer R = static_cast<Integer>(rows.size());
  const Integer C = R == 0 ? 0 : static_cast<Integer>(rows[0].size());
  m->Resize(C, R);
  for (Integer r = 1; r <= R; ++r)
    for (Integer c = 1; c <= C; ++c) m->SetVal(c, r, rows[r - 1][c - 1]);
  return m;
}

std::vector<std::vector<double>> AsRows(const TMatrix& m) {
  std::vector<std::vector<double>> out(static_cast<size_t>(m.NrOfRows()));
  for (Integer r = 1; r <= m.NrOfRows(); ++r)
    for (Integer c = 1; c <= m.NrOfColumns(); ++c) out[r - 1].push_back(m.GetVal(c, r));
  return out;
}

std::unique_ptr<TMatrix> RandomMatrix(Integer cols, Integer rows, Cardinal seed) {
  InitRandomGenerator(seed);
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(cols, rows);
  for (Integer c = 1; c <= cols; ++c)
    for (Integer r = 1; r <= rows; ++r) m->SetVal(c, r, static_cast<double>(RandomReal()) - 0.5);
  return m;
}

// Largest |(A B - I)(c, r)|.
double IdentityError(TMatrix& a, const TMatrix& b) {
  TMatrix prod(nullptr);
  a.Multiply(&b, &prod);
  double worst = 0;
  for (Integer c = 1; c <= prod.NrOfColumns(); ++c)
    for (Integer r = 1; r <= prod.NrOfRows(); ++r)
      worst = std::max(worst, std::fabs(prod.GetVal(c, r) - (c == r ? 1.0 : 0.0)));
  return worst;
}

struct Progress {
  Progress() {
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
  }
  ~Progress() {
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
  }
};

}  // namespace

TEST(MatrixProducts, SizesAndValues) {
  auto a = Rows({{1, 2, 3}, {4, 5, 6}});    // 3 columns x 2 rows
  auto b = Rows({{1, 0}, {0, 1}, {2, 2}});  // 2 columns x 3 rows
  TMatrix res(nullptr);
  int changes = 0;
  a->OnChange = [&](TObject*) { ++changes; };
  ASSERT_TRUE(a->Multiply(b.get(), &res));
  EXPECT_EQ(AsRows(res), (std::vector<std::vector<double>>{{7, 8}, {16, 17}}));
  EXPECT_EQ(changes, 1);
  ASSERT_TRUE(b->Multiply(a.get(), &res));
  EXPECT_EQ(res.NrOfColumns(), 3);
  EXPECT_EQ(res.NrOfRows(), 3);
  auto c2 = Rows({{1, 2}, {3, 4}});
  auto c3 = Rows({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  TMatrix untouched(nullptr);
  untouched.Resize(5, 5);
  EXPECT_FALSE(c2->Multiply(c3.get(), &untouched));
  EXPECT_FALSE(c2->Multiply(nullptr, &untouched));
  EXPECT_EQ(untouched.NrOfColumns(), 5);

  // A B^T and A^T B against the plain product of the transposes.
  ASSERT_TRUE(a->MultiplyTransposed(a.get(), &res));  // 2 x 2
  EXPECT_EQ(AsRows(res), (std::vector<std::vector<double>>{{14, 32}, {32, 77}}));
  ASSERT_TRUE(a->TransposeAndMultiply(a.get(), &res));  // 3 x 3
  EXPECT_EQ(AsRows(res)[0], (std::vector<double>{17, 22, 27}));

  // The result may be an operand.
  auto sq = Rows({{1, 1}, {0, 1}});
  ASSERT_TRUE(sq->Multiply(sq.get(), sq.get()));
  EXPECT_EQ(AsRows(*sq), (std::vector<std::vector<double>>{{1, 2}, {0, 1}}));

  TVector v(nullptr), out(nullptr);
  v.Resize(3);
  v.Fill(1);
  ASSERT_TRUE(a->Multiply(&v, &out));
  EXPECT_EQ(out.NrOfElem(), 2);
  EXPECT_EQ(out.GetVal(2), 15);
  v.Resize(2);
  ASSERT_TRUE(a->TransposeAndMultiply(&v, &out));
  EXPECT_EQ(out.NrOfElem(), 3);
  EXPECT_EQ(out.GetVal(3), 9);
  EXPECT_FALSE(a->Multiply(&v, &out));
}

// Runs the kernels' plain builds, whatever the processor offers, while it lives.
struct PlainBuilds {
  explicit PlainBuilds(bool Plain) { dov_kernels::UsePlainBuildsForTesting(Plain); }
  ~PlainBuilds() { dov_kernels::UsePlainBuildsForTesting(false); }
};

// The product's tiles, row blocks and depth passes leave partial edges; each size crosses some,
// in the build the processor takes and in the plain one.
TEST(MatrixProducts, LargeProductsAgainstPlainSums) {
  struct Case {
    Integer rows, inner, cols;
  };
  for (bool plain : {false, true})
    for (const Case& k :
         {Case{1, 1, 1}, Case{9, 7, 13}, Case{97, 300, 50}, Case{13, 257, 7}, Case{200, 3, 1}}) {
      PlainBuilds builds(plain);
      auto a = RandomMatrix(k.inner, k.rows, 31);
      auto b = RandomMatrix(k.cols, k.inner, 32);
      TMatrix res(nullptr);
      ASSERT_TRUE(a->Multiply(b.get(), &res));
      ASSERT_EQ(res.NrOfColumns(), k.cols);
      ASSERT_EQ(res.NrOfRows(), k.rows);
      double worst = 0;
      for (Integer c = 1; c <= k.cols; ++c)
        for (Integer r = 1; r <= k.rows; ++r) {
          double s = 0;
          for (Integer p = 1; p <= k.inner; ++p) s += a->GetVal(p, r) * b->GetVal(c, p);
          worst = std::max(worst, std::fabs(res.GetVal(c, r) - s));
        }
      EXPECT_LT(worst, 1e-13 * k.inner)
          << k.rows << " x " << k.inner << " x " << k.cols << (plain ? " (plain build)" : "");
    }
}

TEST(MatrixProducts, ElementAndScalarArithmetic) {
  auto a = Rows({{1, 2}, {3, 4}});
  auto b = Rows({{2, 2}, {2, 2}});
  TMatrix res(nullptr);
  ASSERT_TRUE(a->EMult(b.get(), &res));
  EXPECT_EQ(AsRows(res), (std::vector<std::vector<double>>{{2, 4}, {6, 8}}));
  ASSERT_TRUE(a->Add(b.get()));
  ASSERT_TRUE(a->Subtract(b.get()));
  a->SMult(2);
  a->SAdd(-1);
  EXPECT_EQ(AsRows(*a), (std::vector<std::vector<double>>{{1, 3}, {5, 7}}));
  auto c = Rows({{1, 2, 3}});
  EXPECT_FALSE(a->Add(c.get()));
  EXPECT_TRUE(c->Transpose());
  EXPECT_EQ(c->NrOfColumns(), 1);
  EXPECT_EQ(c->NrOfRows(), 3);
  EXPECT_EQ(c->GetVal(1, 3), 3);
  EXPECT_EQ(a->Trace(), 8);
  EXPECT_EQ(c->Trace(), 0);
}

TEST(MatrixDecompositions, DeterminantAndLU) {
  EXPECT_EQ(Rows({{2, 0}, {0, 3}})->Determinant(), 6);
  EXPECT_EQ(Rows({{1, 2}, {0, 0}})->Determinant(), 0);
  EXPECT_EQ(Rows({{1, 2, 3}})->Determinant(), 0);
  EXPECT_NEAR(Rows({{0, 1}, {1, 0}})->Determinant(), -1, 1e-15);

  auto a = Rows({{0, 2, 1}, {1, 1, 1}, {2, 1, 3}});
  TMatrix L(nullptr), U(nullptr);
  Integer perm = 0;
  ASSERT_TRUE(a->LUdecomposition(&L, &U, perm));
  EXPECT_TRUE(perm == 1 || perm == -1);
  // L U reproduces A up to the row exchanges: every row of L U is a row of A.
  TMatrix lu(nullptr);
  L.Multiply(&U, &lu);
  for (Integer r = 1; r <= 3; ++r) {
    EXPECT_EQ(L.GetVal(r, r), 1);
    bool found = false;
    for (Integer s = 1; s <= 3 && !found; ++s) {
      bool same = true;
      for (Integer c = 1; c <= 3; ++c)
        same = same && std::fabs(lu.GetVal(c, r) - a->GetVal(c, s)) < 1e-14;
      found = same;
    }
    EXPECT_TRUE(found) << r;
  }
  EXPECT_NEAR(a->Determinant(), -3, 1e-14);

  auto swap = Rows({{0, 1}, {1, 0}});
  ASSERT_TRUE(swap->LUdecomposition(&L, &U, perm));
  EXPECT_EQ(perm, -1);
  EXPECT_FALSE(Rows({{1, 2}, {0, 0}})->LUdecomposition(&L, &U, perm));
  EXPECT_FALSE(a->LUdecomposition(nullptr, &U, perm));
}

// A 2 x 2 block inside an identity, at places the decomposition reaches at different depths of
// its recursion. The first row of the block has the larger value in the block's first column
// but the smaller one relative to its own largest, so the scaled pivot takes the second row.
TEST(MatrixDecompositions, ScaledPivotAndSingularityInsideLargerMatrices) {
  const Integer n = 40;
  for (Integer at : {1, 16, 18, 39}) {
    TMatrix a(nullptr);
    a.ResizeAndClear(n, n);
    for (Integer i = 1; i <= n; ++i) a.SetVal(i, i, 1);
    a.SetVal(at, at, 2);
    a.SetVal(at + 1, at, 1e6);
    a.SetVal(at, at + 1, 1);
    a.SetVal(at + 1, at + 1, 1);
    TMatrix L(nullptr), U(nullptr);
    Integer perm = 0;
    ASSERT_TRUE(a.LUdecomposition(&L, &U, perm)) << at;
    EXPECT_EQ(perm, -1) << at;
    EXPECT_EQ(U.GetVal(at, at), 1) << at;  // the second row of the block leads
    EXPECT_NEAR(a.Determinant(), 2 - 1e6, 1e-9) << at;
    TMatrix lu(nullptr);
    L.Multiply(&U, &lu);
    EXPECT_EQ(lu.GetVal(at, at), 1) << at;
    EXPECT_EQ(lu.GetVal(at + 1, at + 1), 1e6) << at;
  }
  // A random matrix whose column 30 is the sum of two others: singular to working precision.
  auto dep = RandomMatrix(n, n, 5);
  for (Integer r = 1; r <= n; ++r) dep->SetVal(30, r, dep->GetVal(5, r) + dep->GetVal(7, r));
  EXPECT_EQ(dep->Determinant(), 0);
  TMatrix L(nullptr), U(nullptr);
  Integer perm = 0;
  EXPECT_FALSE(dep->LUdecomposition(&L, &U, perm));
  EXPECT_FALSE(dep->Invert());
}

TEST(MatrixDecompositions, InvertSmallCases) {
  auto a = Rows({{4, 7}, {2, 6}});
  int changes = 0;
  a->OnChange = [&](TObject*) { ++changes; };
  ASSERT_TRUE(a->Invert());
  const auto inv = AsRows(*a);
  const std::vector<std::vector<double>> expect = {{0.6, -0.7}, {-0.2, 0.4}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) EXPECT_NEAR(inv[r][c], expect[r][c], 1e-15);
  EXPECT_EQ(changes, 1);

  auto zeroRow = Rows({{1, 2}, {0, 0}});
  EXPECT_FALSE(zeroRow->Invert());
  EXPECT_EQ(AsRows(*zeroRow), (std::vector<std::vector<double>>{{1, 2}, {0, 0}}));
  EXPECT_FALSE(Rows({{1, 2}})->Invert());

  // Singular to working precision without a zero row: rounding leaves a pivot near 1e-16,
  // far above the absolute floor. Reported by all three, never inverted into huge values.
  const std::vector<std::vector<std::vector<double>>> singulars = {
      {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}},
      {{1, 2, 3}, {4, 5, 6}, {5, 7, 9}},
  };
  for (const auto& rows : singulars) {
    auto singular = Rows(rows);
    TMatrix L(nullptr), U(nullptr);
    Integer perm = 0;
    EXPECT_FALSE(singular->LUdecomposition(&L, &U, perm)) << rows[2][0];
    EXPECT_EQ(singular->Determinant(), 0) << rows[2][0];
    EXPECT_FALSE(singular->Invert()) << rows[2][0];
    for (Integer c = 1; c <= singular->NrOfColumns(); ++c)
      for (Integer r = 1; r <= singular->NrOfRows(); ++r)
        EXPECT_LT(std::fabs(singular->GetVal(c, r)), 1e6);
  }
}

// Inverse times matrix is the identity within a bound that grows with the condition number;
// the sizes cross the decomposition's panel and the solver's chunk boundaries.
TEST(MatrixDecompositions, InverseAgainstConditionNumber) {
  for (Integer n : {1, 3, 63, 64, 65, 130, 200}) {
    auto a = RandomMatrix(n, n, 1000 + n);
    TMatrix inv(nullptr);
    inv.Assign(a.get());
    ASSERT_TRUE(inv.Invert()) << n;
    const double cond = a->Norm(ntColwise) * inv.Norm(ntColwise);
    EXPECT_LT(IdentityError(*a, inv), 1e-15 * n * cond) << n;
    TMatrix back(nullptr);
    back.Assign(&inv);
    ASSERT_TRUE(back.Invert());
    for (Integer c = 1; c <= n; ++c) EXPECT_NEAR(back.GetVal(c, 1), a->GetVal(c, 1), 1e-13 * cond);
  }
  // A badly conditioned (Hilbert) matrix still inverts within its looser bound.
  const Integer n = 8;
  TMatrix h(nullptr), hi(nullptr);
  h.Resize(n, n);
  for (Integer c = 1; c <= n; ++c)
    for (Integer r = 1; r <= n; ++r) h.SetVal(c, r, 1.0 / (c + r - 1));
  hi.Assign(&h);
  ASSERT_TRUE(hi.Invert());
  const double cond = h.Norm(ntColwise) * hi.Norm(ntColwise);
  EXPECT_GT(cond, 1e9);
  EXPECT_LT(IdentityError(h, hi), 1e-15 * n * cond);
}

TEST(MatrixDecompositions, InvertProgressAndAbort) {
  Progress guard;
  auto a = RandomMatrix(70, 70, 7);
  const double before = ProcStat.load();
  ASSERT_TRUE(a->Invert());
  EXPECT_EQ(ProcStat.load() - before, 140);  // one step per column, twice

  static std::atomic<int> calls;
  calls = 0;
  MathFeedBackProc = [](Double) {
    if (++calls == 10) AbortMathProc = true;
  };
  auto b = RandomMatrix(70, 70, 7);
  int changes = 0;
  b->OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(b->Invert());
  EXPECT_EQ(calls, 10);
  EXPECT_EQ(changes, 1);
}

TEST(MatrixDecompositions, Cholesky) {
  auto a = Rows({{4, 2, 2}, {2, 5, 3}, {2, 3, 6}});
  TMatrix L(nullptr);
  int changes = 0;
  a->OnChange = [&](TObject*) { ++changes; };
  ASSERT_TRUE(a->CholeskyDecomp(&L));
  EXPECT_EQ(changes, 0);
  TMatrix Lt(nullptr), prod(nullptr);
  L.MultiplyTransposed(&L, &prod);
  for (Integer c = 1; c <= 3; ++c)
    for (Integer r = c; r <= 3; ++r) EXPECT_NEAR(prod.GetVal(c, r), a->GetVal(c, r), 1e-14);
  EXPECT_EQ(L.GetVal(1, 1), 2);
  EXPECT_EQ(a->GetVal(2, 1), 1);  // factor, transposed, in the strict upper triangle
  EXPECT_EQ(a->GetVal(1, 1), 4);  // diagonal kept

  auto notPd = Rows({{1, 2}, {2, 1}});
  EXPECT_FALSE(notPd->CholeskyDecomp(&L));
  for (Integer c = 1; c <= 2; ++c)
    for (Integer r = 1; r <= 2; ++r) EXPECT_TRUE(std::isfinite(L.GetVal(c, r)));
  auto zero = Rows({{0, 0}, {0, 1}});
  EXPECT_FALSE(zero->CholeskyDecomp(&L));
  EXPECT_TRUE(std::isfinite(zero->GetVal(2, 1)));
  EXPECT_FALSE(Rows({{1, 2}})->CholeskyDecomp(&L));
}

TEST(MatrixNorms, AllKinds) {
  auto a = Rows({{1, -2}, {3, 4}});
  EXPECT_EQ(a->Norm(ntColwise), 6);
  EXPECT_EQ(a->Norm(ntRowwise), 7);
  EXPECT_DOUBLE_EQ(a->Norm(ntFrobenius), std::sqrt(30.0));
  // Singular values of [[1,-2],[3,4]]: sqrt(15 +- sqrt(125)).
  EXPECT_NEAR(a->Norm(ntSpectral), std::sqrt(15 + std::sqrt(125.0)), 1e-13);
  EXPECT_NEAR(Rows({{3, 0, 0}, {0, -5, 0}})->Norm(ntSpectral), 5, 1e-14);  // wide
  EXPECT_NEAR(Rows({{1}, {2}, {2}})->Norm(ntSpectral), 3, 1e-14);          // tall
  EXPECT_EQ(a->Norm(static_cast<TNormType>(9)), 0);
  // Magnitudes at any scale give a representable norm (M = [[3, 1], [1, 3]]) and distance.
  for (double f : {1.0, 1e200, 1e-200, 1e300}) {
    auto m = Rows({{3 * f, f}, {f, 3 * f}});
    EXPECT_NEAR(m->Norm(ntSpectral) / f, 4, 1e-14) << f;
    EXPECT_NEAR(m->Norm(ntFrobenius) / f, std::sqrt(20.0), 1e-14) << f;
    EXPECT_NEAR(m->DistanceOfObjects(dmEuclid, 1, 2) / f, std::sqrt(8.0), 1e-14) << f;
  }
}

TEST(MatrixNorms, SpectralAbortRaises) {
  Progress guard;
  AbortMathProc = true;
  auto a = Rows({{1, 2}, {3, 4}});
  try {
    a->Norm(ntSpectral);
    FAIL();
  } catch (const ESDLMatrixError& e) {
    EXPECT_STREQ(e.what(), "near singular covariance matrix");
  }
  AbortMathProc = false;
  auto nan = Rows({{std::numeric_limits<double>::quiet_NaN(), 1}, {1, 1}});
  EXPECT_THROW(nan->Norm(ntSpectral), ESDLMatrixError);  // ends, does not hang
}

TEST(MatrixBalance, Cases) {
  EXPECT_FALSE(Rows({{1, 2}})->Balance());
  auto d = Rows({{2, 0}, {0, 3}});
  EXPECT_TRUE(d->Balance());
  EXPECT_EQ(AsRows(*d), (std::vector<std::vector<double>>{{2, 0}, {0, 3}}));
  auto a = Rows({{1, 100}, {0.01, 1}});
  EXPECT_TRUE(a->Balance());
  EXPECT_NEAR(a->GetVal(2, 1), a->GetVal(1, 2), 1e-9);
  EXPECT_NEAR(a->GetVal(2, 1) * a->GetVal(1, 2), 1, 1e-12);  // similarity keeps the product
  // Row off-diagonal sum 0 while the column's is not: left alone, no division by zero.
  auto z = Rows({{1, 0}, {5, 1}});
  EXPECT_TRUE(z->Balance());
  EXPECT_EQ(AsRows(*z), (std::vector<std::vector<double>>{{1, 0}, {5, 1}}));
}

TEST(MatrixDiffAndDistances, Cases) {
  auto col = Rows({{1}, {4}, {9}, {16}});
  col->Diff(11);
  EXPECT_EQ(col->NrOfRows(), 4);
  col->Diff(1);
  EXPECT_EQ(AsRows(*col), (std::vector<std::vector<double>>{{3}, {5}, {7}}));
  col->Diff(1);
  EXPECT_EQ(AsRows(*col), (std::vector<std::vector<double>>{{2}, {2}}));

  auto pts = Rows({{0, 0, 0}, {1, 2, 2}, {1, 0, 0}});
  EXPECT_EQ(pts->DistanceOfObjects(dmEuclid, 1, 2), 3);
  EXPECT_EQ(pts->DistanceOfObjects(dmEuclidSqr, 1, 2), 9);
  EXPECT_EQ(pts->DistanceOfObjects(dmManhattan, 2, 3), 4);
  EXPECT_EQ(pts->DistanceOfObjects(dmJaccard, 2, 3), 1.0 / (9 + 1 - 1));
  EXPECT_EQ(pts->DistanceOfObjects(dmDice, 2, 3), 2.0 / 10);
  EXPECT_EQ(pts->DistanceOfObjects(dmEuclid, 2, 9), 3);  // row 9 reads as zeros
  pts->OnCalcDistance = [](TObject*, Integer a, Integer b, double& d) { d = a * 10 + b; };
  EXPECT_EQ(pts->DistanceOfObjects(dmUserDef, 2, 3), 23);
  EXPECT_STREQ(DistModeId[dmEuclidSqr], "squared Euclidean");

  TMatrix dm(nullptr);
  dm.Resize(3, 4);
  EXPECT_EQ(pts->CalcDistMat(dmEuclid, &dm), -1);
  dm.Resize(4, 4);
  EXPECT_EQ(pts->CalcDistMat(dmEuclid, &dm), -2);
  dm.Resize(3, 3);
  dm.Fill(7);
  EXPECT_EQ(pts->CalcDistMat(dmEuclid, &dm), 0);
  EXPECT_EQ(AsRows(dm), (std::vector<std::vector<double>>{
                            {0, 3, 1}, {3, 0, std::sqrt(8.0)}, {1, std::sqrt(8.0), 0}}));
  EXPECT_EQ(pts->CalcDistMat(dmUserDef, &dm), 0);
  EXPECT_EQ(dm.GetVal(3, 2), 23);
  EXPECT_EQ(dm.GetVal(2, 3), 23);
}

TEST(MatrixSquare, ThreadCountsGiveIdenticalResults) {
  Progress guard;
  auto a = Rows({{1, 2, 3}, {4, 5, 6}});  // 3 columns x 2 rows
  TMatrix r1(nullptr);
  ASSERT_TRUE(a->Square(&r1, 1.0, 1));
  EXPECT_EQ(AsRows(r1),
            (std::vector<std::vector<double>>{{17, 22, 27}, {22, 29, 36}, {27, 36, 45}}));
  auto big = RandomMatrix(37, 301, 11);
  TMatrix one(nullptr);
  const double before = ProcStat.load();
  ASSERT_TRUE(big->Square(&one, 3.0, 1));
  EXPECT_EQ(ProcStat.load() - before, 37);
  for (Integer threads : {2, 8, 0, -3, 64}) {
    TMatrix many(nullptr);
    const double start = ProcStat.load();
    ASSERT_TRUE(big->Square(&many, 3.0, threads)) << threads;
    EXPECT_EQ(ProcStat.load() - start, 37) << threads;
    EXPECT_EQ(many.CRCofData(), one.CRCofData()) << threads;
  }
  {
    // The plain build gives the same bits as the wide one.
    PlainBuilds builds(true);
    TMatrix plain(nullptr);
    ASSERT_TRUE(big->Square(&plain, 3.0, 2));
    EXPECT_EQ(plain.CRCofData(), one.CRCofData());
  }
  // Every entry is the plain dot product of two columns, divided by the norm.
  TMatrix ref(nullptr);
  big->TransposeAndMultiply(big.get(), &ref);
  for (Integer c = 1; c <= 37; ++c)
    for (Integer r = 1; r <= 37; ++r) ASSERT_EQ(one.GetVal(c, r), ref.GetVal(c, r) / 3.0);
  EXPECT_FALSE(big->Square(nullptr, 1.0, 4));
  // Squaring into itself squares the original values.
  TMatrix self(nullptr);
  self.Assign(a.get());
  ASSERT_TRUE(self.Square(&self, 1.0, 2));
  EXPECT_EQ(AsRows(self), AsRows(r1));
}

TEST(MatrixSquare, AbortEndsWithNoWorkerLeft) {
  Progress guard;
  auto a = RandomMatrix(3, 2, 5);
  TMatrix res(nullptr);
  AbortMathProc = true;
  const double before = ProcStat.load();
  EXPECT_FALSE(a->Square(&res, 1.0, 1));
  EXPECT_EQ(ProcStat.load(), before);
  EXPECT_FALSE(a->Square(&res, 1.0, 4));
  AbortMathProc = false;

  // Abort from the feedback routine while workers run; the call returns only after them, so
  // releasing the matrices at once is safe (the address sanitizer would see a late write).
  auto big = RandomMatrix(400, 2000, 6);
  auto out = std::make_unique<TMatrix>(nullptr);
  MathFeedBackProc = [](Double) { AbortMathProc = true; };
  EXPECT_FALSE(big->Square(out.get(), 1.0, 8));
  big.reset();
  out.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  SUCCEED();
}
