#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "DOV_intmatrix.h"
#include "DOV_matrix.h"
#include "DOV_vector.h"
#include "RtlRandom.h"

namespace {

// A vector holding the values.
std::unique_ptr<TVector> Vector(const std::vector<double>& v) {
  auto x = std::make_unique<TVector>(nullptr);
  x->Resize(static_cast<Integer>(v.size()));
  for (size_t i = 0; i < v.size(); ++i) x->SetVal(static_cast<Integer>(i + 1), v[i]);
  return x;
}

// One column holding the values (n rows).
std::unique_ptr<TMatrix> Column(const std::vector<double>& v) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(1, static_cast<Integer>(v.size()));
  for (size_t i = 0; i < v.size(); ++i) m->SetVal(1, static_cast<Integer>(i + 1), v[i]);
  return m;
}

// Column-major from rows: Rows({{1, 2}, {3, 4}}) has (column 2, row 1) = 2.
std::unique_ptr<TMatrix> Rows(const std::vector<std::vector<double>>& rows) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(static_cast<Integer>(rows[0].size()), static_cast<Integer>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c)
      m->SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), rows[r][c]);
  return m;
}

std::vector<double> Values(const TVector& v) {
  std::vector<double> out;
  for (Integer i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

}  // namespace

TEST(MatrixStatistics, MeanVarSumMinMax) {
  struct Case {
    std::vector<double> v;
    double mean, var;
  };
  for (const auto& c : std::vector<Case>{
           {{1, 3}, 2, 1},
           {{1, 2, 3}, 2, 1},
           {{2, 4, 6}, 4, 4},
           // An offset common to all values costs no digits (Julian dates: the stored doubles'
           // own variance; seconds since 1970).
           {{2460000.1, 2460000.2, 2460000.3, 2460000.4, 2460000.5},
            2460000.3,
            0.024999999976716935},
           {{1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 4}, 1e9 + 2.5, 5.0 / 3},
           {{1420405750, 1420405760, 1420405770, 1420405780}, 1420405765, 500.0 / 3},
           // Squared deviations beyond the double range: an infinite variance.
           {{1e200, 2e200, 3e200}, 2e200, HUGE_VAL},
           // also where the deviations do not sum to 0 exactly
           {{3e300, 1e300, 1e300, 1e300, 3e300, 1e300, 1e300, 1e300, 3e300},
            1.666666666666667e300,
            HUGE_VAL},
       }) {
    double m, var;
    Column(c.v)->MeanVar(0, 0, 0, 0, m, var);
    EXPECT_EQ(m, c.mean);
    EXPECT_EQ(var, c.var);
    Vector(c.v)->MeanVar(0, 0, m, var);  // the vector's figures are the same
    EXPECT_EQ(m, c.mean);
    EXPECT_EQ(var, c.var);
  }
  auto a = Rows({{1, 2, 3}, {4, 5, 6}});
  EXPECT_EQ(a->Sum(0, 0, 0, 0), 21);
  EXPECT_EQ(a->Sum(2, 2, 3, 2), 11);
  EXPECT_EQ(a->Sum(3, 9, 2, 2), 11);  // clamped and exchanged
  double mn, mx;
  a->MinMax(0, 0, 0, 0, mn, mx);
  EXPECT_EQ(mn, 1);
  EXPECT_EQ(mx, 6);
  Column({1e39})->MinMax(0, 0, 0, 0, mn, mx);  // beyond the start value: not a minimum
  EXPECT_EQ(mn, 1.7e38);
  EXPECT_EQ(mx, 1e39);
  TMatrix empty(nullptr);
  empty.Resize(0, 3);
  empty.MeanVar(0, 0, 0, 0, mn, mx);
  EXPECT_EQ(mn, 0);
  EXPECT_EQ(empty.Sum(0, 0, 0, 0), 0);
  double q1, q2, q3;
  EXPECT_FALSE(empty.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(empty.Percentile(50, 0, 0, 0, 0), 0);
}

TEST(MatrixStatistics, MeansSkewAndKurtosis) {
  EXPECT_EQ(Column({0, 4})->GeometricMean(0, 0, 0, 0), 0);
  EXPECT_NEAR(Column({1, 4, 16})->GeometricMean(0, 0, 0, 0), 4, 1e-14);
  EXPECT_THROW(Column({-1, 4})->GeometricMean(0, 0, 0, 0), ESDLMatrixError);
  EXPECT_THROW(Column({0, -1})->GeometricMean(0, 0, 0, 0), ESDLMatrixError);
  EXPECT_EQ(Column({1, 4, 4})->HarmonicMean(0, 0, 0, 0), 2);
  auto m = Column({1, 0});
  m->SetName("M");
  try {
    m->HarmonicMean(0, 0, 0, 0);
    FAIL();
  } catch (const ESDLMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"M\": negative or zero argument passed to HarmonicMean");
  }
  double s, k;
  Column({1, 2, 3, 10})->SkewKurt(0, 0, 0, 0, s, k);
  const double sd = std::sqrt(50.0 / 3);
  EXPECT_NEAR(s, 45 / (sd * sd * sd), 1e-12);
  EXPECT_NEAR(k, 348.5 / (sd * sd * sd * sd) - 3, 1e-12);
  Column({1, 3})->SkewKurt(0, 0, 0, 0, s, k);  // two values are enough here
  EXPECT_EQ(s, 0);                             // symmetric
  EXPECT_NEAR(k, 0.25 - 3, 1e-15);             // (2 / 2) / sqrt(2)^4 - 3
  double ss, sk;
  Column({1, 2, 3})->SkewKurtSample(0, 0, 0, 0, ss, sk);
  EXPECT_EQ(ss, 0);
  EXPECT_EQ(sk, 0);
  // The same figures at every scale of the double range and at any offset from 0 (the figures
  // of the same spread at 0); none for data without spread. All four containers give the
  // same figures; the integer ones where the values are integers.
  struct Case {
    std::vector<double> v;
    double scale, skew, kurt, sampleSkew, sampleKurt;
    double offset = 0;
  };
  const std::vector<double> peaks{3, 1, 1, 1, 3, 1, 1, 1, 3};
  std::vector<double> tail;  // 0 ... 18, 50
  for (int i = 0; i <= 18; ++i) tail.push_back(i);
  tail.push_back(50);
  const double tailSkew = 2.2751441140205685, tailKurt = 6.0216863229418787,
               tailSampleSkew = 2.660987267860314, tailSampleKurt = 9.4952124376869248;
  for (const auto& c : std::vector<Case>{
           {peaks, 1, 16.0 / 27, 32.0 / 27 - 3, 6.0 / 7, -12.0 / 7},
           {peaks, 1e160, 16.0 / 27, 32.0 / 27 - 3, 6.0 / 7, -12.0 / 7},
           {peaks, 1e300, 16.0 / 27, 32.0 / 27 - 3, 6.0 / 7, -12.0 / 7},
           {peaks, 1e-300, 16.0 / 27, 32.0 / 27 - 3, 6.0 / 7, -12.0 / 7},
           {peaks, 1e-320, 16.0 / 27, 32.0 / 27 - 3, 6.0 / 7, -12.0 / 7},  // subnormal
           {std::vector<double>(10, 7.0), 1, 0, 0, 0, 0},
           {std::vector<double>(4, 7.0), 1, 0, 0, 0, 0},
           {std::vector<double>(10, 7.0), 1e300, 0, 0, 0, 0},
           {tail, 1, tailSkew, tailKurt, tailSampleSkew, tailSampleKurt, 1e15},
           {tail, 1, tailSkew, tailKurt, tailSampleSkew, tailSampleKurt, 1e12},
           {tail, 1, tailSkew, tailKurt, tailSampleSkew, tailSampleKurt, -1e12},
           {tail, 1, tailSkew, tailKurt, tailSampleSkew, tailSampleKurt, 2e9},
       }) {
    std::vector<double> scaled;
    bool integers = true;
    for (double x : c.v) {
      scaled.push_back(c.offset + x * c.scale);
      integers = integers && scaled.back() == std::trunc(scaled.back()) &&
                 std::fabs(scaled.back()) <= std::numeric_limits<Integer>::max();
    }
    auto m = Column(scaled);
    auto v = Vector(scaled);
    TIntVector iv(nullptr);
    TIntMatrix im(nullptr);
    iv.Resize(static_cast<Integer>(scaled.size()));
    im.Resize(1, static_cast<Integer>(scaled.size()));
    for (size_t i = 0; i < scaled.size() && integers; ++i) {
      iv.SetVal(static_cast<Integer>(i + 1), static_cast<Integer>(scaled[i]));
      im.SetVal(1, static_cast<Integer>(i + 1), static_cast<Integer>(scaled[i]));
    }
    for (int kind = 0; kind < (integers ? 4 : 2); ++kind) {
      SCOPED_TRACE(testing::Message() << c.offset << " + " << c.scale << " x, container " << kind);
      if (kind == 0) {
        m->SkewKurt(0, 0, 0, 0, s, k);
        m->SkewKurtSample(0, 0, 0, 0, ss, sk);
      } else if (kind == 1) {
        v->SkewKurt(0, 0, s, k);
        v->SkewKurtSample(0, 0, ss, sk);
      } else if (kind == 2) {
        iv.SkewKurt(0, 0, s, k);
        iv.SkewKurtSample(0, 0, ss, sk);
      } else {
        im.SkewKurt(0, 0, 0, 0, s, k);
        im.SkewKurtSample(0, 0, 0, 0, ss, sk);
      }
      EXPECT_NEAR(s, c.skew, 1e-14);
      EXPECT_NEAR(k, c.kurt, 1e-14);
      EXPECT_NEAR(ss, c.sampleSkew, 1e-14);
      EXPECT_NEAR(sk, c.sampleKurt, 1e-14);
    }
  }
}

TEST(MatrixStatistics, QuartilesAndPercentiles) {
  struct QCase {
    std::vector<double> v;
    double q1, q2, q3;
  };
  for (const auto& c :
       std::vector<QCase>{{{4, 3, 2, 1}, 1.25, 2.5, 3.75}, {{1, 2, 3}, 1, 2, 3}, {{8}, 8, 8, 8}}) {
    double q1, q2, q3;
    EXPECT_TRUE(Column(c.v)->Quartiles(0, 0, 0, 0, q1, q2, q3));
    EXPECT_EQ(q1, c.q1);
    EXPECT_EQ(q2, c.q2);
    EXPECT_EQ(q3, c.q3);
  }
  auto ten = Column({10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
  EXPECT_EQ(ten->Percentile(100, 0, 0, 0, 0), 10);
  EXPECT_EQ(ten->Percentile(50, 0, 0, 0, 0), 6);
  EXPECT_EQ(ten->Percentile(0, 0, 0, 0, 0), 1);
  EXPECT_EQ(ten->Percentile(25, 0, 0, 0, 0), 3);  // round(2.5) = 2, halves to even
  EXPECT_EQ(ten->Percentile(-5, 0, 0, 0, 0), 1);
  EXPECT_EQ(ten->GetVal(1, 1), 10);  // the matrix is not reordered
  // A sample at least as large as the window is the plain percentile.
  EXPECT_EQ(ten->Percentile(50, 0, 0, 0, 0, 10), 6);
  EXPECT_EQ(ten->Percentile(50, 0, 0, 0, 0, 0), 6);
  // Mostly zeros: a probability inside the zeros' share answers 0 at once.
  std::vector<double> zeros(1000, 0.0);
  zeros[0] = -1;
  zeros[999] = 1;
  EXPECT_EQ(Column(zeros)->Percentile(50, 0, 0, 0, 0, 100), 0);
  // A sampled percentile of a constant window is that constant.
  EXPECT_EQ(Column(std::vector<double>(500, 7.0))->Percentile(90, 0, 0, 0, 0, 50), 7);
}

TEST(MatrixStatistics, HistogramCorrelateAndSearches) {
  auto v = Column({10.5, 11, -0.1, 0, 3});
  TIntVector h(nullptr);
  Integer u, o, mc;
  EXPECT_FALSE(v->Histogram(0, 0, 0, 0, 0, 1000, 1, &h, u, o, mc));
  EXPECT_FALSE(v->Histogram(0, 0, 0, 0, 0, 10, 0, &h, u, o, mc));
  EXPECT_EQ(h.NrOfElem(), 1);
  ASSERT_TRUE(v->Histogram(0, 0, 0, 0, 0, 10, 1, &h, u, o, mc));
  EXPECT_EQ(h.NrOfElem(), 11);
  EXPECT_EQ(h.GetVal(11), 1);
  EXPECT_EQ(h.GetVal(1), 1);
  EXPECT_EQ(h.GetVal(4), 1);
  EXPECT_EQ(u, 1);
  EXPECT_EQ(o, 1);
  EXPECT_EQ(mc, 1);

  auto a = Rows({{1, 2}, {3, 4}});
  auto b = Rows({{2, 4}, {6, 8}});
  EXPECT_NEAR(a->Correlate(b.get()), 1, 1e-15);
  for (double f : {1.0, 1e200, 1e-200})  // the same at any scale
    EXPECT_NEAR(Column({f, 2 * f, 3 * f})->Correlate(Column({f, 4 * f, 9 * f}).get()),
                0.989743318610787, 1e-14)
        << f;
  EXPECT_THROW(a->Correlate(Column({1, 2}).get()), ESDLMatrixError);
  EXPECT_EQ(Rows({{1, 2}})->Correlate(Rows({{1, 2}}).get()), 0);  // n = 2

  Integer c, r;
  a->Find(0, 0, 0, 0, 2.5, c, r);  // 2 and 3 tie: the first in column order
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 2);
  auto sorted = Column({1, 3, 5, 7});
  struct Case {
    double value;
    Integer row;
  };
  for (auto k : std::vector<Case>{{3, 2}, {4, 3}, {100, 4}, {-1, 1}})
    EXPECT_EQ(sorted->FindInSortedColumn(1, true, k.value), k.row) << k.value;
  EXPECT_EQ(Column({7, 5, 3, 1})->FindInSortedColumn(1, false, 5), 2);
  EXPECT_EQ(sorted->FindInSortedColumn(2, true, 3), 0);

  TBool2DArray flags;
  EXPECT_EQ(a->Dichotomize(2, flags), 2);
  ASSERT_EQ(flags.size(), 2u);
  EXPECT_TRUE(flags[0][1]);   // (column 1, row 2) = 3
  EXPECT_FALSE(flags[1][0]);  // (column 2, row 1) = 2
}

TEST(MatrixTransformations, ColumnsAndRows) {
  auto a = Rows({{1, 10}, {2, 10}, {3, 10}});
  int changes = 0;
  a->OnChange = [&](TObject*) { ++changes; };
  TVector means(nullptr), sds(nullptr);
  means.Resize(2);
  sds.Resize(2);
  a->StandardizeColumns(&means, &sds);
  EXPECT_EQ(Values(means), (std::vector<double>{2, 10}));
  EXPECT_EQ(Values(sds), (std::vector<double>{1, 0}));
  EXPECT_EQ(a->GetVal(1, 1), -1);
  EXPECT_EQ(a->GetVal(2, 1), 10);  // no spread: left alone
  EXPECT_EQ(changes, 1);
  auto offset = Column({1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 4});  // the spread is seen
  offset->StandardizeColumns(nullptr, nullptr);
  EXPECT_NEAR(offset->GetVal(1, 1), -1.5 / std::sqrt(5.0 / 3), 1e-15);

  auto b = Rows({{1, 3}, {5, 7}});
  TVector m(nullptr);
  b->MeanCenterRows(&m);
  EXPECT_EQ(Values(m), (std::vector<double>{2, 6}));
  EXPECT_EQ(b->GetVal(2, 2), 1);
  b->MeanVec(dimX, &m);
  EXPECT_EQ(Values(m), (std::vector<double>{-1, 1}));

  auto q = Column({1, 2, 3, 4, 5});
  TVector med(nullptr), qd(nullptr);
  q->QNormalizeColumns(25, &med, &qd);
  EXPECT_EQ(med.GetVal(1), 3);
  EXPECT_EQ(qd.GetVal(1), 1);  // rank round(1.25) = 1: the value 2
  EXPECT_EQ(q->GetVal(1, 5), 2);

  auto e = Rows({{1, 4}, {2, 5}, {3, 6}});  // 2 columns x 3 rows
  TVector edge(nullptr);
  e->EdgeVector(orHoriz, eopMean, &edge);
  EXPECT_EQ(Values(edge), (std::vector<double>{2, 5}));
  e->EdgeVector(orVert, eopMax, &edge);
  EXPECT_EQ(Values(edge), (std::vector<double>{4, 5, 6}));
  e->EdgeVector(orVert, eopMin, &edge);
  EXPECT_EQ(Values(edge), (std::vector<double>{1, 2, 3}));
  e->EdgeVector(orHoriz, eopSum, &edge);
  EXPECT_EQ(Values(edge), (std::vector<double>{6, 15}));

  e->MirrorColumns();
  EXPECT_EQ(e->GetVal(1, 1), 4);
  e->MirrorRows();
  EXPECT_EQ(e->GetVal(1, 1), 6);
  e->ExchangeRows(1, 3);
  e->ExchangeColumns(1, 2);
  EXPECT_EQ(e->GetVal(1, 1), 1);
  e->ExchangeColumns(1, 9);  // outside: nothing
  e->ExchangeRows(0, 1);
  EXPECT_EQ(e->GetVal(1, 1), 1);
  e->FillDiag(0);
  EXPECT_EQ(e->GetVal(2, 2), 0);
  EXPECT_EQ(e->GetVal(1, 3), 3);
}

TEST(MatrixTransformations, RandomFillsAreReproducible) {
  TMatrix a(nullptr), b(nullptr);
  a.Resize(3, 4);
  b.Resize(3, 4);
  InitRandomGenerator(99);
  a.FillRandomUniform(2, 3);
  InitRandomGenerator(99);
  b.FillRandomUniform(2, 3);
  EXPECT_EQ(a.CRCofData(), b.CRCofData());
  InitRandomGenerator(99);
  const double first = 2 + static_cast<double>(RandomReal());
  EXPECT_EQ(a.GetVal(1, 1), first);
  InitRandomGenerator(99);
  RandomReal();
  EXPECT_EQ(a.GetVal(1, 2), 2 + static_cast<double>(RandomReal()));  // rows inner
  a.FillRandomGauss(5, 0);
  EXPECT_EQ(a.GetVal(3, 4), 5);
  // A span beyond the double range still gives values within it.
  a.FillRandomUniform(-1e308, 1e308);
  double mn, mx;
  a.MinMax(0, 0, 0, 0, mn, mx);
  EXPECT_GE(mn, -1e308);
  EXPECT_LE(mx, 1e308);
  EXPECT_LT(mn, 0);  // 12 draws, none infinite, not all on one side
  EXPECT_GT(mx, 0);
}

TEST(MatrixCopies, VectorsMatricesArrays) {
  auto a = Rows({{1, 2, 3}, {4, 5, 6}});
  TVector v(nullptr);
  v.Resize(2);
  a->CopyRowToVec(&v, 9, 0, 0);  // row clamped to 2, cut to the vector's length
  EXPECT_EQ(Values(v), (std::vector<double>{4, 5}));
  v.Resize(4);
  a->CopyColToVec(&v, 3, 0, 0);
  EXPECT_EQ(Values(v), (std::vector<double>{3, 6, 0, 0}));

  TMatrix d(nullptr);
  d.Resize(3, 3);
  int changes = 0;
  d.OnChange = [&](TObject*) { ++changes; };
  d.CopyFrom(a.get(), 0, 0, 2, 2, 2, 2);  // 0 means 1; targets beyond column 3 are dropped
  EXPECT_EQ(d.GetVal(2, 2), 1);
  EXPECT_EQ(d.GetVal(3, 3), 5);
  EXPECT_EQ(d.GetVal(1, 1), 0);
  EXPECT_EQ(changes, 4 + 1);
  a->CopyFrom(a.get(), 1, 1, 2, 1, 2, 1);  // overlapping copy within the matrix
  EXPECT_EQ(a->GetVal(2, 1), 1);
  EXPECT_EQ(a->GetVal(3, 1), 2);

  TVector src(nullptr);
  src.Resize(3);
  src.Fill(7);
  d.CopyFromVec(&src, 0, 0, 1, 2);  // down column 1 from row 2
  EXPECT_EQ(d.GetVal(1, 3), 7);
  d.CopyFromVec(dimX, &src, 2, 3, 2, 1);
  EXPECT_EQ(d.GetVal(3, 1), 7);

  TDouble2DArray arr;
  a->CopyToArray(arr, 2, 3, 1, 2);
  ASSERT_EQ(arr.size(), 2u);
  EXPECT_EQ(arr[1], (TDoubleArray{2, 6}));
  TMatrix e(nullptr);
  e.Resize(3, 3);
  e.CopyFromArray({{1, 2, 3}, {4}, {5, 6, 7}}, 1, 2);  // short second array: skipped places
  EXPECT_EQ(e.GetVal(1, 3), 2);
  EXPECT_EQ(e.GetVal(2, 2), 4);
  EXPECT_EQ(e.GetVal(2, 3), 0);
  EXPECT_EQ(e.GetVal(3, 3), 6);
}

// Arguments that are not numbers give a defined answer (no conversion of NaN to an index).
TEST(MatrixStatistics, NotANumberArguments) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto m = Column({3, 1, 2});
  EXPECT_EQ(m->Percentile(nan, 0, 0, 0, 0), 1);
  const double sampled = m->Percentile(nan, 0, 0, 0, 0, 2);  // two random draws of 1, 2, 3
  EXPECT_TRUE(sampled == 1 || sampled == 2 || sampled == 3);
  TIntVector h(nullptr);
  Integer u, o, c;
  EXPECT_FALSE(m->Histogram(0, 0, 0, 0, nan, 10, 1, &h, u, o, c));
  TVector v(nullptr);
  v.Resize(3);
  v.Fill(2);
  EXPECT_EQ(v.Percentile(nan, 0, 0), 2);
  EXPECT_EQ(v.Integrate(nan, 3, imTrapezoidal), 0);
}

// A value that is NaN has no place in an order: the percentiles are NaN and the quartiles
// refused (NaN), for the matrix and the vector alike.
TEST(MatrixStatistics, NotANumberValuesHaveNoOrder) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<double> data{1, 2, nan, 4, 5};
  auto m = Column(data);
  auto v = Vector(data);
  double q[6];
  EXPECT_FALSE(m->Quartiles(0, 0, 0, 0, q[0], q[1], q[2]));
  EXPECT_FALSE(v->Quartiles(0, 0, q[3], q[4], q[5]));
  for (double x : q) EXPECT_TRUE(std::isnan(x));
  for (double prob : {0.0, 50.0, 100.0}) {
    EXPECT_TRUE(std::isnan(m->Percentile(prob, 0, 0, 0, 0))) << prob;
    EXPECT_TRUE(std::isnan(Column({nan, nan, nan})->Percentile(prob, 0, 0, 0, 0, 2))) << prob;
    EXPECT_TRUE(std::isnan(v->Percentile(prob, 0, 0))) << prob;
  }
  // Windows without the NaN keep their order.
  EXPECT_EQ(m->Percentile(50, 1, 1, 1, 2), 2);
  EXPECT_EQ(v->Percentile(50, 4, 5), 4.5);
  EXPECT_TRUE(m->Quartiles(1, 4, 1, 5, q[0], q[1], q[2]));
  EXPECT_EQ(q[1], 4.5);
}
