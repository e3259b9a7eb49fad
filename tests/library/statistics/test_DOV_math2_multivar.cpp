// Multivariate analysis on small cases worked out by hand: association matrices, Jacobi
// eigenvalues, principal components of data with a known covariance, neighbour searches and
// estimates, centres by merging (in memory), k-means from fixed starts, kernels, and vertex
// component analysis of a synthetic mixture.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <vector>

#include "DOV_math2_multivar.h"
#include "DOV_sdlbase.h"
#include "RtlRandom.h"
#include "TestSupport.h"

namespace {

// Process-wide state: progress, abort, feedback, the generator and the eigen store.
class MultivarTest : public ::testing::Test {
protected:
  void SetUp() override {
    ProcStat = 0;
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
    InitRandomGenerator(2024);
    RemoveEigenMatrix();
  }
  void TearDown() override {
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
    RemoveEigenMatrix();
  }
};

void Fill(TMatrix& m, const std::vector<std::vector<double>>& rows) {
  m.Resize(Integer(rows[0].size()), Integer(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      m.SetVal(Integer(c + 1), Integer(r + 1), rows[r][c]);
}

void Fill(TVector& v, const std::vector<double>& values) {
  v.Resize(Integer(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) v.SetVal(Integer(i + 1), values[i]);
}

}  // namespace

TEST_F(MultivarTest, CovarianceModes) {
  TMatrix in(nullptr), out(nullptr);
  Fill(in, {{1, 2, 1}, {2, 4, 0}, {3, 6, 1}, {4, 8, 0}});
  out.Resize(3, 3);
  const struct {
    Integer mode;
    double ab, aa, ac;
  } cases[] = {
      {0, (2 + 8 + 18 + 32) / 3.0, (1 + 4 + 9 + 16) / 3.0, (1 + 3) / 3.0},
      {1, 10.0 / 3, 5.0 / 3, -1.0 / 3},
      {2, 1, 1, (-1.0 / 3) / std::sqrt(5.0 / 3 * 1.0 / 3)},
      {3, 1, 1, 0.2},
      {4, (1 + 4 + 9 + 16) / 3.0, 0, (0 + 4 + 4 + 16) / 3.0},
      {7, 0, 0, 0},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(CalcCovar(&in, &out, 0, 0, 0, 0, c.mode)) << c.mode;
    EXPECT_NEAR(out.GetVal(1, 2), c.ab, 1e-12) << c.mode;
    EXPECT_NEAR(out.GetVal(2, 1), c.ab, 1e-12) << c.mode;
    EXPECT_NEAR(out.GetVal(1, 1), c.aa, 1e-12) << c.mode;
    EXPECT_NEAR(out.GetVal(3, 1), c.ac, 1e-12) << c.mode;
  }
  // Columns 1 .. 2 perfectly correlated: 1 everywhere.
  TMatrix two(nullptr);
  two.Resize(2, 2);
  ASSERT_TRUE(CalcCovar(&in, &two, 1, 2, 0, 0, 2));
  for (Integer i = 1; i <= 2; ++i)
    for (Integer j = 1; j <= 2; ++j) EXPECT_NEAR(two.GetVal(i, j), 1, 1e-12);
  // Rows 2 .. 3 only.
  ASSERT_TRUE(CalcCovar(&in, &two, 1, 2, 2, 3, 1));
  EXPECT_NEAR(two.GetVal(1, 1), 0.5, 1e-12);
  EXPECT_NEAR(two.GetVal(1, 2), 1, 1e-12);

  TMatrix small(nullptr);
  small.SetVal(1, 1, 42);
  EXPECT_FALSE(CalcCovar(&in, &small, 1, 2, 0, 0, 2));
  EXPECT_EQ(small.GetVal(1, 1), 42);
  EXPECT_FALSE(CalcCovar(&in, &two, 1, 2, 3, 3, 1));  // one row: no n - 1
  AbortMathProc = true;                               // cleared on entry
  EXPECT_TRUE(CalcCovar(&in, &two, 1, 2, 0, 0, 1));
}

TEST_F(MultivarTest, JacobiEigenvalues) {
  TMatrix diag(nullptr);
  Fill(diag, {{3, 0, 0}, {0, -1, 0}, {0, 0, 2}});
  ASSERT_TRUE(CalcEigVec(&diag));
  EXPECT_EQ(ProcStat.load(), 1);  // converged at the first check
  EXPECT_EQ(GetEigenSize(), 3);
  EXPECT_EQ(GetEigenResult(1, 0), 3);
  EXPECT_EQ(GetEigenResult(2, 0), -1);
  EXPECT_EQ(GetEigenResult(2, 2), 1);

  TMatrix m(nullptr);
  Fill(m, {{2, 1}, {1, 2}});
  ASSERT_TRUE(CalcEigVec(&m));
  std::multiset<double> values = {GetEigenResult(1, 0), GetEigenResult(2, 0)};
  EXPECT_NEAR(*values.begin(), 1, 1e-14);
  EXPECT_NEAR(*values.rbegin(), 3, 1e-14);
  EXPECT_EQ(m.GetVal(2, 1), 0);  // upper triangle (row 1, column 2) overwritten
  EXPECT_EQ(m.GetVal(1, 2), 1);  // lower triangle kept
  EXPECT_EQ(m.GetVal(1, 1), 2);

  // A 4 x 4 matrix: A v = lambda v and orthonormal vectors.
  const std::vector<std::vector<double>> a = {
      {4, 1, -2, 2}, {1, 2, 0, 1}, {-2, 0, 3, -2}, {2, 1, -2, -1}};
  TMatrix big(nullptr);
  Fill(big, a);
  ASSERT_TRUE(CalcEigVec(&big));
  for (Integer j = 1; j <= 4; ++j) {
    for (Integer r = 0; r < 4; ++r) {
      double av = 0;
      for (Integer c = 0; c < 4; ++c)
        av += a[std::size_t(r)][std::size_t(c)] * GetEigenResult(j, c + 1);
      EXPECT_NEAR(av, GetEigenResult(j, 0) * GetEigenResult(j, r + 1), 1e-12);
    }
    for (Integer k = 1; k <= 4; ++k) {
      double dot = 0;
      for (Integer c = 1; c <= 4; ++c) dot += GetEigenResult(j, c) * GetEigenResult(k, c);
      EXPECT_NEAR(dot, j == k ? 1 : 0, 1e-13);
    }
  }
  EXPECT_EQ(GetEigenResult(5, 0), 0);
  EXPECT_EQ(GetEigenResult(1, 5), 0);
  RemoveEigenMatrix();
  EXPECT_EQ(GetEigenResult(1, 0), 0);
  EXPECT_EQ(GetEigenSize(), 0);
}

TEST_F(MultivarTest, JacobiAbortAndTheFlagLeftSet) {
  TMatrix m(nullptr);
  Fill(m, {{2, 1}, {1, 2}});
  MathFeedBackProc = [](Double) { AbortMathProc = true; };
  EXPECT_FALSE(CalcEigVec(&m));
  MathFeedBackProc = nullptr;
  Fill(m, {{2, 1}, {1, 2}});
  EXPECT_TRUE(CalcEigVec(&m));  // cleared on entry, unlike the decomposition
}

TEST_F(MultivarTest, PrincipalComponentsOfDataWithAKnownCovariance) {
  // Covariance [[2, 1], [1, 2]]: rows +-1.5 (1, 1) and +-sqrt(0.75) (1, -1).
  const double t = std::sqrt(0.75);
  TMatrix data(nullptr);
  Fill(data, {{1.5, 1.5}, {-1.5, -1.5}, {t, -t}, {-t, t}});
  ASSERT_TRUE(CalcPrincComp(&data, 0, 0, 0, 0, 1, false));
  EXPECT_NEAR(GetEigenResult(1, 0), 3, 1e-13);
  EXPECT_NEAR(GetEigenResult(2, 0), 1, 1e-13);
  EXPECT_NEAR(std::fabs(GetEigenResult(1, 1)), std::sqrt(0.5), 1e-13);
  EXPECT_NEAR(GetEigenResult(1, 1), GetEigenResult(1, 2), 1e-13);
  ASSERT_TRUE(CalcPrincComp(&data, 0, 0, 0, 0, 1));
  EXPECT_NEAR(GetEigenResult(1, 0), 0.75, 1e-13);
  EXPECT_NEAR(GetEigenResult(2, 0), 0.25, 1e-13);
}

TEST_F(MultivarTest, Mahalanobis) {
  TVector x(nullptr), y(nullptr), z(nullptr);
  Fill(x, {1, 2, 3});
  Fill(y, {4, 6, 3});
  Fill(z, {1, 2});
  TMatrix id(nullptr), wide(nullptr), two(nullptr), neg(nullptr);
  Fill(id, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
  Fill(wide, {{1, 0, 0}, {0, 1, 0}});
  Fill(two, {{1, 0}, {0, 1}});
  Fill(neg, {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}});
  EXPECT_NEAR(MahalanobisDistance(&x, &y, &id), 5, 1e-15);
  const struct {
    const TVector* b;
    const TMatrix* m;
    const char* message;
  } cases[] = {
      {&z, &id, "MahalanobisDistance: dimensions of vectors do not match"},
      {&y, &wide, "MahalanobisDistance: inverse covariance matrix is not quadratric"},
      {&y, &two,
       "MahalanobisDistance: dimension of vectors and inverse covariance matrix do not match"},
      {&y, &neg,
       "MahalanobisDistance: the inverse covariance matrix must be symmetric and positive "
       "definite"},
  };
  for (const auto& c : cases) {
    try {
      MahalanobisDistance(&x, c.b, c.m);
      ADD_FAILURE() << c.message;
    } catch (const ESDLVectorError& e) {
      EXPECT_EQ(e.Message, c.message);
    }
  }
}

TEST_F(MultivarTest, NeighbourDistancesAndSearches) {
  TMatrix m(nullptr);
  Fill(m, {{0}, {1}, {3}, {7}});
  TVector dist(nullptr);
  dist.Resize(4);
  MeanDistanceKNN(&m, 1, 1, 4, &dist);
  for (Integer i = 1; i <= 4; ++i) EXPECT_EQ(dist.GetVal(i), 0);
  dist.Fill(-1);
  MeanDistanceKNN(&m, 2, 3, 1, &dist);  // reversed range: objects 1 .. 3
  EXPECT_EQ(dist.GetVal(1), 0.5);
  EXPECT_EQ(dist.GetVal(2), 0.5);
  EXPECT_EQ(dist.GetVal(3), 1);
  EXPECT_EQ(dist.GetVal(4), -1);

  TVector probe(nullptr);
  Fill(probe, {2.5});
  TMatrix list(nullptr);
  list.Resize(2, 3);
  FindNearestNeighbors(3, &m, 1, 4, &probe, &list);
  EXPECT_EQ(list.GetVal(1, 1), 3);
  EXPECT_EQ(list.GetVal(2, 1), 0.5);
  EXPECT_EQ(list.GetVal(1, 2), 2);
  EXPECT_EQ(list.GetVal(1, 3), 1);
  EXPECT_EQ(list.GetVal(2, 3), 2.5);
  FindNearestNeighbors(1, &m, 1, 4, &probe, &list, [](Integer i) { return i == 4 ? 0.0 : 1.0; });
  EXPECT_EQ(list.GetVal(1, 1), 4);
}

TEST_F(MultivarTest, EstimatesFromNeighbours) {
  // Targets of a quadratic in two variables on a 4 x 4 grid.
  auto f = [](double a, double b) { return 1 + 2 * a - b + 0.5 * a * a + 0.25 * b * b - a * b; };
  TMatrix data(nullptr);
  TVector target(nullptr), probe(nullptr);
  data.Resize(2, 16);
  target.Resize(16);
  for (Integer i = 0; i < 16; ++i) {
    data.SetVal(1, i + 1, i % 4);
    data.SetVal(2, i + 1, i / 4);
    target.SetVal(i + 1, f(i % 4, i / 4));
  }
  Fill(probe, {1.2, 2.1});
  double estimate, meanDist;
  EstimateByKNN(&data, &target, 1, kwmAverage, 0, &probe, estimate, meanDist);
  EXPECT_EQ(estimate, f(1, 2));
  EXPECT_NEAR(meanDist, std::sqrt(0.04 + 0.01), 1e-15);
  EstimateByKNN(&data, &target, 10, kwmBiQuad, 0, &probe, estimate, meanDist);
  EXPECT_NEAR(estimate, f(1.2, 2.1), 1e-10);
  // Three nearest: (1, 2), (1, 3) and (2, 2) at 0.2236, 0.9220, 0.8062.
  EstimateByKNN(&data, &target, 3, kwmMedian, 0, &probe, estimate, meanDist);
  std::vector<double> three = {f(1, 2), f(1, 3), f(2, 2)};
  std::sort(three.begin(), three.end());
  EXPECT_EQ(estimate, three[1]);
  EstimateByKNN(&data, &target, 3, kwmGauss, 1, &probe, estimate, meanDist);
  EXPECT_GT(estimate, three[0] - 1e-12);
  EXPECT_LT(estimate, three[2] + 1e-12);
  // Linear weights with Param so small that no weight is positive.
  EstimateByKNN(&data, &target, 3, kwmLinear, 1e-9, &probe, estimate, meanDist);
  EXPECT_EQ(estimate, 0);
}

TEST_F(MultivarTest, CentresByMergingWorkOnACopy) {
  testsupport::TempDir dir;
  TMatrix in(nullptr), centres(nullptr);
  Fill(in, {{0, 0}, {1, 0}, {10, 0}, {10.5, 0}, {30, 0}});
  const std::string before = in.CRCofData();
  centres.Resize(2, 5);
  double meanDist;
  FindCenters(&in, 1, 5, 5, &centres, meanDist);
  for (Integer r = 1; r <= 5; ++r) EXPECT_EQ(centres.GetVal(1, r), in.GetVal(1, r));
  FindCenters(&in, 1, 5, 3, &centres, meanDist);
  // (10, 10.5) merge first, then (0, 1); the last row moves into the freed place.
  EXPECT_EQ(centres.GetVal(1, 1), 0.5);
  EXPECT_EQ(centres.GetVal(1, 2), 30);
  EXPECT_EQ(centres.GetVal(1, 3), 10.25);
  EXPECT_NEAR(meanDist, (9.75 + 19.75 + 9.75) / 3, 1e-12);
  FindCenters(&in, 1, 5, 1, &centres, meanDist);
  EXPECT_NEAR(centres.GetVal(1, 1), 51.5 / 5, 1e-12);  // the weighted mean of all
  EXPECT_EQ(meanDist, 1e5);
  EXPECT_EQ(in.CRCofData(), before);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(MultivarTest, KMeansFromFixedStartsRenumbersBySize) {
  // Objects 1 .. 3 near 0, objects 4 .. 8 near 100; the initial centres are objects 1 and 2.
  TMatrix data(nullptr), centres(nullptr);
  Fill(data, {{0, 0}, {1, 0}, {0, 1}, {100, 100}, {101, 100}, {100, 101}, {99, 100}, {100, 99}});
  TIntVector classes(nullptr), sizes(nullptr);
  const double ss = kMeansClustering(&data, 0, 0, 2, 0, &centres, &classes, &sizes);
  EXPECT_EQ(sizes.GetVal(1), 5);
  EXPECT_EQ(sizes.GetVal(2), 3);
  for (Integer r = 1; r <= 8; ++r) EXPECT_EQ(classes.GetVal(r), r <= 3 ? 2 : 1) << r;
  EXPECT_NEAR(centres.GetVal(1, 1), 100, 1e-12);
  EXPECT_NEAR(centres.GetVal(1, 2), 1.0 / 3, 1e-12);
  EXPECT_NEAR(centres.GetVal(2, 2), 1.0 / 3, 1e-12);
  // Squared distances to the means: 2/9 + 5/9 + 5/9 in the small group, 0 + 4 x 1 in the large.
  double want = 0;
  for (Integer r = 1; r <= 8; ++r) {
    const Integer c = classes.GetVal(r);
    for (Integer v = 1; v <= 2; ++v) want += std::pow(data.GetVal(v, r) - centres.GetVal(v, c), 2);
  }
  EXPECT_NEAR(ss, want, 1e-12);
  EXPECT_NEAR(ss, 4.0 / 3 + 4, 1e-12);

  // A seed sets the process generator; the same seed gives the same clustering.
  TIntVector again(nullptr);
  kMeansClustering(&data, 0, 0, 2, 77, &centres, &classes, &sizes);
  const Cardinal after = RandSeed;
  kMeansClustering(&data, 0, 0, 2, 77, &centres, &again, &sizes);
  EXPECT_EQ(RandSeed, after);
  for (Integer r = 1; r <= 8; ++r) EXPECT_EQ(again.GetVal(r), classes.GetVal(r));

  try {
    kMeansClustering(&data, 0, 0, 9, &centres, &classes);
    ADD_FAILURE();
  } catch (const ESDLMath2Error& e) {
    EXPECT_EQ(e.Message, "kMeansClustering: number of clusters is greater than number of objects");
  }
}

TEST_F(MultivarTest, KMeansKeepsCentresWhenTheClassesAlreadyFit) {
  TMatrix data(nullptr), centres(nullptr);
  Fill(data, {{0}, {10}, {1}, {11}});
  TIntVector classes(nullptr), sizes(nullptr);
  classes.Resize(4);
  for (Integer r = 1; r <= 4; ++r) classes.SetVal(r, r % 2 == 1 ? 1 : 2);
  kMeansClustering(&data, 0, 0, 2, 0, &centres, &classes, &sizes);
  EXPECT_EQ(centres.GetVal(1, 1), 0);  // the initial centres (objects 1 and 2) stand
  EXPECT_EQ(centres.GetVal(1, 2), 10);
  EXPECT_EQ(sizes.GetVal(1), 2);
}

TEST_F(MultivarTest, EstimatedStepsWithoutOverflow) {
  EXPECT_EQ(kMeansEstimatedSteps(10, 10, 10), 20);
  const double a = 200000, b = 300000, c = 50000;
  const double want = std::nearbyint(0.18232 * std::sqrt(a * b) - 108 - 0.00092427 * a -
                                     0.00017557 * a * c + 0.38775 * std::sqrt(a * c));
  EXPECT_EQ(kMeansEstimatedSteps(200000, 300000, 50000), std::max(20.0, want));
  EXPECT_EQ(kMeansEstimatedSteps(200000, 300000, 0),
            Integer(std::nearbyint(0.18232 * std::sqrt(a * b) - 108 - 0.00092427 * a)));
  EXPECT_EQ(kMeansEstimatedSteps(-5, 100, 100), 20);
}

TEST_F(MultivarTest, GaussKernels) {
  TVector a(nullptr), b(nullptr);
  Fill(a, {1, 2, 3});
  Fill(b, {1, 2, 3});
  EXPECT_EQ(CalcGaussKernel(&a, &b, 2), 1);
  Fill(b, {1000, 2, 3});
  EXPECT_EQ(CalcGaussKernel(&a, &b, 2), std::exp(-20.0));
  Fill(b, {2, 2, 3});
  EXPECT_EQ(CalcGaussKernel(&a, &b, 2), std::exp(-0.25));
  TMatrix m(nullptr);
  Fill(m, {{0, 0, 0}, {2, 2, 3}});
  EXPECT_EQ(CalcGaussKernelMat(&a, &m, 2, 2), std::exp(-0.25));
}

TEST_F(MultivarTest, VertexComponentsFindThePurePixels) {
  // Three endmember spectra over four bands; 20 mixtures with abundances summing to 1, the
  // pure pixels at objects 5, 12 and 17.
  const std::vector<std::vector<double>> e = {
      {1, 0.2, 0.1, 0.3}, {0.1, 1, 0.3, 0.2}, {0.2, 0.1, 1, 0.6}};
  TMatrix data(nullptr);
  data.Resize(4, 20);
  for (Integer r = 1; r <= 20; ++r) {
    double w[3] = {0.2 + 0.1 * (r % 3), 0.3 + 0.05 * (r % 4), 0.2 + 0.07 * (r % 5)};
    if (r == 5) w[0] = 1, w[1] = w[2] = 0;
    if (r == 12) w[1] = 1, w[0] = w[2] = 0;
    if (r == 17) w[2] = 1, w[0] = w[1] = 0;
    const double s = w[0] + w[1] + w[2];
    for (Integer c = 0; c < 4; ++c) {
      double v = 0;
      for (int k = 0; k < 3; ++k) v += w[k] / s * e[std::size_t(k)][std::size_t(c)];
      data.SetVal(c + 1, r, v);
    }
  }
  for (bool pca : {false, true}) {
    TMatrix members(nullptr), proj(nullptr);
    TIntVector ix(nullptr);
    InitRandomGenerator(5);
    ASSERT_TRUE(VertexCompAnalysis(&data, 3, pca, &members, &ix, &proj)) << pca;
    std::set<Integer> found = {ix.GetVal(1), ix.GetVal(2), ix.GetVal(3)};
    EXPECT_EQ(found, (std::set<Integer>{5, 12, 17})) << pca;
    EXPECT_EQ(proj.NrOfColumns(), 20);
    EXPECT_EQ(proj.NrOfRows(), 4);
    // The data lie in a 3-dimensional subspace: the projection reproduces them.
    for (Integer r = 1; r <= 20; ++r)
      for (Integer c = 1; c <= 4; ++c) EXPECT_NEAR(proj.GetVal(r, c), data.GetVal(c, r), 1e-12);
    for (Integer i = 1; i <= 3; ++i)
      for (Integer c = 1; c <= 4; ++c)
        EXPECT_NEAR(members.GetVal(i, c), data.GetVal(c, ix.GetVal(i)), 1e-12);
  }
}
