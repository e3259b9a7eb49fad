// Smoothing windows, Savitzky-Golay tables, sinc kernels and Chebyshev filters.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <memory>
#include <numbers>
#include <numeric>
#include <vector>

#include "DOV_math2_filters.h"
#include "DOV_matrix.h"
#include "DOV_vector.h"

namespace {

using Vec = std::unique_ptr<TVector>;

Vec MakeVec(const std::vector<double>& v) {
  Vec r = std::make_unique<TVector>(nullptr);
  r->Resize(static_cast<Integer>(v.size()));
  for (std::size_t i = 0; i < v.size(); ++i) r->SetVal(static_cast<Integer>(i + 1), v[i]);
  return r;
}

Vec MakeVec(Integer n, const std::function<double(Integer)>& f) {
  Vec r = std::make_unique<TVector>(nullptr);
  r->Resize(n);
  for (Integer i = 1; i <= n; ++i) r->SetVal(i, f(i));
  return r;
}

std::vector<double> Values(const TVector& v) {
  return std::vector<double>(v.DataPtr(), v.DataPtr() + v.NrOfElem());
}

using WindowRoutine = void (*)(const TVector*, Integer, Integer, TVector*, Integer);

// ---- Savitzky-Golay tables -----------------------------------------------------------------

// The rows worked out from their definitions, each reduced by the gcd of all its entries.
std::vector<long> ReducedRow(long N, const std::vector<long>& c) {
  long g = std::abs(N);
  for (long v : c) g = std::gcd(g, std::abs(v));
  std::vector<long> row{N / g};
  for (long v : c) row.push_back(v / g);
  row.resize(GolayCols, 0);
  return row;
}

TEST(GolayTables, EveryRowFollowsItsDefinition) {
  for (long m = 2; m <= 12; ++m) {
    std::vector<long> smooth, deriv2;
    long n2 = 0;
    for (long k = 0; k <= m; ++k) {
      smooth.push_back(3 * m * m + 3 * m - 1 - 5 * k * k);
      deriv2.push_back(3 * k * k - m * (m + 1));
      n2 += (k == 0 ? 0 : 2) * k * k * deriv2.back();
    }
    const auto expectSmooth = ReducedRow((2 * m + 1) * (4 * m * m + 4 * m - 3) / 3, smooth);
    const auto expectDeriv = ReducedRow(n2 / 2, deriv2);
    for (Integer c = 0; c < GolayCols; ++c) {
      EXPECT_EQ(GolayPoly[m - 2][c], expectSmooth[c]) << "m=" << m << " col " << c;
      EXPECT_EQ(Golay2ndDeriv[m - 2][c], expectDeriv[c]) << "m=" << m << " col " << c;
    }
  }
}

TEST(GolayTables, RowsQuotedForFiveSevenAndTwentyFivePoints) {
  const std::vector<Integer> p5{35, 17, 12, -3}, p7{21, 7, 6, 3, -2};
  const std::vector<Integer> p25{5175, 467, 462, 447, 422, 387,  342,
                                 287,  222, 147, 62,  -33, -138, -253};
  const std::vector<Integer> d5{7, -2, -1, 2};
  const std::vector<Integer> d25{26910, -52, -51, -48, -43, -36, -27, -16, -3, 12, 29, 48, 69, 92};
  auto row = [](const Integer(&r)[GolayCols], std::size_t n) {
    return std::vector<Integer>(r, r + n);
  };
  EXPECT_EQ(row(GolayPoly[0], 4), p5);
  EXPECT_EQ(row(GolayPoly[1], 5), p7);
  EXPECT_EQ(row(GolayPoly[10], 14), p25);
  EXPECT_EQ(row(Golay2ndDeriv[0], 4), d5);
  EXPECT_EQ(row(Golay2ndDeriv[10], 14), d25);
}

// ---- moving windows ------------------------------------------------------------------------

TEST(MovingWindows, AverageOfARampRepeatsTheEndValues) {
  Vec src = MakeVec(10, [](Integer i) { return double(i); });
  Vec dst = MakeVec(std::vector<double>(10, -1));
  MovingAverageSmooth(src.get(), 1, 10, dst.get(), 3);
  EXPECT_EQ(Values(*dst), (std::vector<double>{2, 2, 3, 4, 5, 6, 7, 8, 9, 9}));
}

TEST(MovingWindows, BoundsAreClampedAndOrdered) {
  Vec src = MakeVec(10, [](Integer i) { return double(i * i % 7); });
  Vec ref = MakeVec(std::vector<double>(10, 0));
  Vec dst = MakeVec(std::vector<double>(10, 0));
  MovingAverageSmooth(src.get(), 1, 10, ref.get(), 3);
  MovingAverageSmooth(src.get(), 0, 100, dst.get(), 3);
  EXPECT_EQ(Values(*dst), Values(*ref));

  ref->Fill(0);
  MovingAverageSmooth(src.get(), 3, 8, ref.get(), 3);
  dst->Fill(0);
  MovingAverageSmooth(src.get(), 8, 3, dst.get(), 3);
  EXPECT_EQ(Values(*dst), Values(*ref));
  // Positions 1..6 hold the smoothed range 3..8: centres 4..7, then the edges.
  EXPECT_DOUBLE_EQ(dst->Elem(2), (src->Elem(3) + src->Elem(4) + src->Elem(5)) / 3);
}

TEST(MovingWindows, ArgumentErrorsRaiseInTheirOrderAndWriteNothing) {
  struct Case {
    WindowRoutine routine;
    Integer first, last, leng;
    bool missing;
    const char* message;
  };
  const Case cases[] = {
      {MovingAverageSmooth, 1, 10, 4, false,
       "MovingAverageSmooth: length of smoothing window must be odd"},
      {MovingAverageSmooth, 1, 10, 1, false,
       "MovingAverageSmooth: length of smoothing window is out of range"},
      {MovingAverageSmooth, 1, 5, 5, false,
       "MovingAverageSmooth: specified range for smoothing is smaller than the length of the "
       "smoothing windows"},
      {MovingAverageSmooth, 1, 10, 3, true,
       "MovingAverageSmooth: either SourceVec or DestVec is undefined"},
      {MovingMedianSmooth, 1, 10, 4, false,
       "MovingMedianSmooth: length of smoothing window must be odd"},
      {MovingMedianSmooth, 1, 10, -3, false,
       "MovingMedianSmooth: length of smoothing window is out of range"},
      {MovingMedianSmooth, 2, 4, 3, false,
       "MovingMedianSmooth: specified range for smoothing is smaller than the length of the "
       "smoothing windows"},
      {MovingMedianSmooth, 1, 10, 3, true,
       "MovingMedianSmooth: either SourceVec or DestVec is undefined"},
      {WeightedAverageSmooth, 1, 10, 6, false,
       "WeightedAverageSmooth: length of smoothing window must be odd"},
      {WeightedAverageSmooth, 1, 10, 0, false,
       "WeightedAverageSmooth: length of smoothing window is out of range"},
      {WeightedAverageSmooth, 10, 1, 11, false,
       "WeightedAverageSmooth: specified range for smoothing is smaller than the length of the "
       "smoothing windows"},
      {WeightedAverageSmooth, 1, 10, 3, true,
       "WeightedAverageSmooth: either SourceVec or DestVec is undefined"},
      // The range check comes before the length checks.
      {PolynomialSmooth, 1, 30, 27, false,
       "PolynomialSmooth: length of polynomial is out of range"},
      {PolynomialSmooth, 1, 30, 3, false, "PolynomialSmooth: length of polynomial is out of range"},
      {PolynomialSmooth, 1, 30, 6, false, "PolynomialSmooth: length of polynomial must be odd"},
      {PolynomialSmooth, 1, 4, 27, false,
       "PolynomialSmooth: specified range for smoothing is smaller than the length of the "
       "polynomial"},
      {PolynomialSmooth, 1, 30, 5, true,
       "PolynomialSmooth: either SourceVec or DestVec is undefined"},
      {SecondDeriv, 1, 30, 24, false, "SecondDeriv: length of polynomial must be odd"},
      {SecondDeriv, 1, 30, 27, false, "SecondDeriv: length of polynomial is out of range"},
      {SecondDeriv, 1, 5, 5, false,
       "SecondDeriv: specified range for smoothing is smaller than the length of the polynomial"},
      {SecondDeriv, 1, 30, 5, true, "SecondDeriv: either SourceVec or DestVec is undefined"},
      {FirstDeriv, 1, 30, 8, false, "FirstDeriv: length of polynomial must be odd"},
      {FirstDeriv, 1, 30, 1, false, "FirstDeriv: length of polynomial is out of range"},
      {FirstDeriv, 1, 5, 5, false,
       "FirstDeriv: specified range for calculation is smaller than the length of the "
       "polynomial"},
      {FirstDeriv, 1, 30, 5, true, "FirstDeriv: either SourceVec or DestVec is undefined"},
  };
  for (const Case& c : cases) {
    Vec src = MakeVec(30, [](Integer i) { return double(i); });
    Vec dst = MakeVec(std::vector<double>(30, -7));
    try {
      c.routine(c.missing ? nullptr : src.get(), c.first, c.last, dst.get(), c.leng);
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const ESDLMath2Error& e) {
      EXPECT_EQ(e.Message, c.message);
    }
    EXPECT_EQ(Values(*dst), std::vector<double>(30, -7)) << c.message;
    if (c.missing) {
      EXPECT_THROW(c.routine(src.get(), c.first, c.last, nullptr, c.leng), ESDLMath2Error);
    }
  }
}

TEST(MovingWindows, SavitzkyGolayIsExactOnPolynomialsForEveryLength) {
  // A cubic keeps its values, its slope and its curvature under every window length.
  auto cubic = [](double i) { return 0.01 * i * i * i - 0.5 * i * i + 3 * i - 7; };
  Vec src = MakeVec(60, [&](Integer i) { return cubic(i); });
  for (Integer L = 5; L <= 25; L += 2) {
    const Integer h = L / 2;
    Vec smooth = MakeVec(std::vector<double>(60, 0));
    Vec slope = MakeVec(std::vector<double>(60, 0));
    Vec curv = MakeVec(std::vector<double>(60, 0));
    PolynomialSmooth(src.get(), 1, 60, smooth.get(), L);
    SecondDeriv(src.get(), 1, 60, curv.get(), L);
    // The first derivative's weights are linear: exact on quadratics.
    Vec quad = MakeVec(60, [](Integer i) { return 0.25 * i * i - 4.0 * i; });
    FirstDeriv(quad.get(), 1, 60, slope.get(), L);
    for (Integer i = 1 + h; i <= 60 - h; ++i) {
      EXPECT_NEAR(smooth->Elem(i), cubic(i), 1e-9) << "L=" << L << " i=" << i;
      EXPECT_NEAR(curv->Elem(i), 0.06 * i - 1.0, 1e-9) << "L=" << L << " i=" << i;
      EXPECT_NEAR(slope->Elem(i), 0.5 * i - 4.0, 1e-9) << "L=" << L << " i=" << i;
    }
    // Edges repeat the first and last computed values.
    for (Integer i = 1; i <= h; ++i) {
      EXPECT_EQ(smooth->Elem(i), smooth->Elem(h + 1));
      EXPECT_EQ(smooth->Elem(61 - i), smooth->Elem(60 - h));
    }
  }
}

TEST(MovingWindows, FirstDerivOfAStraightLine) {
  Vec src = MakeVec(12, [](Integer i) { return 3.0 * i; });
  Vec dst = MakeVec(std::vector<double>(12, 0));
  FirstDeriv(src.get(), 1, 12, dst.get(), 5);
  EXPECT_EQ(Values(*dst), std::vector<double>(12, 3));
}

TEST(MovingWindows, MedianRemovesSpikesAndTrianglesWeighTheCentre) {
  Vec src = MakeVec({1, 1, 1, 100, 1, 1, -50, 1, 1, 1});
  Vec dst = MakeVec(std::vector<double>(10, 0));
  MovingMedianSmooth(src.get(), 1, 10, dst.get(), 3);
  EXPECT_EQ(Values(*dst), std::vector<double>(10, 1));
  Vec mixed = MakeVec({5, 3, 9, 1, 7, 2, 8});
  MovingMedianSmooth(mixed.get(), 1, 7, dst.get(), 5);
  // Centres 3..5: medians of 5 3 9 1 7, of 3 9 1 7 2 and of 9 1 7 2 8; the edges repeat.
  EXPECT_EQ(Values(*dst), (std::vector<double>{5, 5, 5, 3, 7, 7, 7, 1, 1, 1}));

  // Triangular weights 1 2 1 over 4 for L = 3, 1 2 3 2 1 over 9 for L = 5.
  Vec pulse = MakeVec({0, 0, 0, 0, 36, 0, 0, 0, 0});
  Vec w = MakeVec(std::vector<double>(9, 0));
  WeightedAverageSmooth(pulse.get(), 1, 9, w.get(), 3);
  EXPECT_EQ(Values(*w), (std::vector<double>{0, 0, 0, 9, 18, 9, 0, 0, 0}));
  WeightedAverageSmooth(pulse.get(), 1, 9, w.get(), 5);
  EXPECT_EQ(Values(*w), (std::vector<double>{4, 4, 4, 8, 12, 8, 4, 4, 4}));
}

TEST(MovingWindows, NotANumberInTheWindowKeepsTheMedianDefined) {
  Vec src = MakeVec({1, 2, NAN, 4, 5, 6, 7});
  Vec dst = MakeVec(std::vector<double>(7, 0));
  MovingMedianSmooth(src.get(), 1, 7, dst.get(), 3);
  EXPECT_EQ(dst->Elem(5), 5);  // a window without the gap
  EXPECT_EQ(dst->Elem(2), 2);  // 2, NaN, 4 sorts as 2, 4, NaN
}

TEST(MovingWindows, InPlaceAndShortDestinations) {
  Vec src = MakeVec(20, [](Integer i) { return std::sin(i * 0.7) * 10; });
  Vec ref = MakeVec(std::vector<double>(20, 0));
  PolynomialSmooth(src.get(), 1, 20, ref.get(), 7);
  Vec same = MakeVec(Values(*src));
  PolynomialSmooth(same.get(), 1, 20, same.get(), 7);
  EXPECT_EQ(Values(*same), Values(*ref));

  // A destination smaller than the range keeps its size; the values that fit are written.
  Vec shortDst = MakeVec(std::vector<double>(4, 0));
  int changes = 0;
  shortDst->OnChange = [&](TObject*) { ++changes; };
  PolynomialSmooth(src.get(), 1, 20, shortDst.get(), 7);
  EXPECT_EQ(shortDst->NrOfElem(), 4);
  EXPECT_EQ(Values(*shortDst), std::vector<double>(ref->DataPtr(), ref->DataPtr() + 4));
  EXPECT_EQ(changes, 1);
}

// ---- sinc kernels --------------------------------------------------------------------------

double Response(const TDoubleArray& k, double f) {
  std::complex<double> s = 0;
  for (std::size_t t = 0; t < k.size(); ++t)
    s += k[t] * std::polar(1.0, -2 * std::numbers::pi * f * double(t));
  return std::abs(s);
}

TEST(SincKernels, ZeroCutoffLeavesTheKernelZeroAndHighCutoffsActAsNyquist) {
  TDoubleArray k;
  CalcSincLPKernel(31, 0.0, 1, k);
  EXPECT_EQ(k, TDoubleArray(31, 0.0));
  TDoubleArray a, b;
  CalcSincLPKernel(31, 0.7, 2, a);
  CalcSincLPKernel(31, 0.5, 2, b);
  EXPECT_EQ(a, b);
  CalcSincLPKernel(0, 0.2, 1, k);
  EXPECT_TRUE(k.empty());
}

TEST(SincKernels, FrequencyResponsesOfTheFourShapes) {
  for (Integer window : {1, 2}) {
    TDoubleArray lp, hp, bs, bp;
    CalcSincLPKernel(101, 0.1, window, lp);
    CalcSincHPKernel(101, 0.1, window, hp);
    CalcSincBSKernel(101, 0.3, 0.15, window, bs);  // edges in either order
    CalcSincBPKernel(101, 0.15, 0.3, window, bp);
    EXPECT_NEAR(std::accumulate(lp.begin(), lp.end(), 0.0), 1.0, 1e-12);
    EXPECT_NEAR(Response(lp, 0.0), 1.0, 1e-12);
    constexpr double tol = 5e-3;  // the windows' side lobes
    EXPECT_LT(Response(lp, 0.2), tol);
    EXPECT_LT(Response(hp, 0.0), 1e-12);
    EXPECT_NEAR(Response(hp, 0.3), 1.0, tol);
    EXPECT_NEAR(Response(bs, 0.05), 1.0, tol);
    EXPECT_LT(Response(bs, 0.22), tol);
    EXPECT_NEAR(Response(bs, 0.45), 1.0, tol);
    EXPECT_LT(Response(bp, 0.05), tol);
    EXPECT_NEAR(Response(bp, 0.22), 1.0, tol);
    EXPECT_LT(Response(bp, 0.45), tol);
    for (std::size_t t = 0; t < lp.size(); ++t) {
      EXPECT_DOUBLE_EQ(hp[t], (t == 50 ? 1.0 : 0.0) - lp[t]);
      EXPECT_NEAR(bp[t], (t == 50 ? 1.0 : 0.0) - bs[t], 1e-15);
    }
  }
}

TEST(SincKernels, VectorFormEqualsArrayFormAndAnEvenCountCentresRight) {
  Vec v = MakeVec({9});
  TDoubleArray a;
  CalcSincBPKernel(40, 0.05, 0.2, 0, v.get());
  CalcSincBPKernel(40, 0.05, 0.2, 0, a);
  EXPECT_EQ(Values(*v), a);
  // A zero low-pass makes the high-pass a single 1 at the centre tap 40 div 2 + 1.
  CalcSincHPKernel(4, 0.0, 1, a);
  EXPECT_EQ(a, (TDoubleArray{0, 0, 1, 0}));
  CalcSincHPKernel(4, 0.0, 1, v.get());
  EXPECT_EQ(Values(*v), (std::vector<double>{0, 0, 1, 0}));
}

// ---- moving kernel -------------------------------------------------------------------------

TEST(MovingKernel, ConvolvesWithTheRangeEndsRepeated) {
  Vec src = MakeVec({1, 2, 3, 4, 5, 6, 7, 8});
  Vec dst = MakeVec({0});
  Vec shift = MakeVec({1, 0, 0});  // reads x[i - 1]
  MovingKernelFilter(src.get(), 2, 7, dst.get(), shift.get());
  EXPECT_EQ(dst->NrOfElem(), 8);
  EXPECT_EQ(Values(*dst), (std::vector<double>{2, 2, 3, 4, 5, 6, 0, 0}));

  Vec box = MakeVec({1, 1, 1, 1});  // even: h = 2, taps at i - 2 .. i + 1
  MovingKernelFilter(src.get(), 8, 1, dst.get(), box.get());
  EXPECT_EQ(Values(*dst), (std::vector<double>{5, 7, 10, 14, 18, 22, 26, 29}));

  // In place: the destination is the source.
  MovingKernelFilter(src.get(), 1, 8, src.get(), shift.get());
  EXPECT_EQ(Values(*src), (std::vector<double>{1, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(MovingKernel, Errors) {
  Vec src = MakeVec({1, 2, 3, 4, 5});
  Vec dst = MakeVec({0});
  Vec k5 = MakeVec({1, 1, 1, 1, 1});
  const char* missing = "MovingKernelfilter: SourceVec, DestVec and/or FilterKernel is undefined";
  for (auto args : {std::make_tuple(src.get(), dst.get(), static_cast<TVector*>(nullptr)),
                    std::make_tuple(static_cast<TVector*>(nullptr), dst.get(), k5.get()),
                    std::make_tuple(src.get(), static_cast<TVector*>(nullptr), k5.get())}) {
    try {
      MovingKernelFilter(std::get<0>(args), 1, 5, std::get<1>(args), std::get<2>(args));
      ADD_FAILURE();
    } catch (const ESDLMath2Error& e) {
      EXPECT_EQ(e.Message, missing);
    }
  }
  try {
    MovingKernelFilter(src.get(), 1, 5, dst.get(), k5.get());
    ADD_FAILURE();
  } catch (const ESDLMath2Error& e) {
    EXPECT_EQ(e.Message,
              "MovingKernelfilter: specified range for smoothing is smaller than the length of "
              "the kernel");
  }
  EXPECT_EQ(dst->NrOfElem(), 1);
}

// ---- Chebyshev filters ---------------------------------------------------------------------

struct TCheb {
  double a0 = 0;
  std::vector<double> A, B;  // A_1..A_p, B_1..B_p

  // |H| at frequency f (fraction of the sampling rate) of one forward pass.
  double Gain(double f) const {
    std::complex<double> num = a0, den = 1;
    for (std::size_t k = 0; k < A.size(); ++k) {
      const auto z = std::polar(1.0, -2 * std::numbers::pi * f * double(k + 1));
      num += A[k] * z;
      den -= B[k] * z;
    }
    return std::abs(num / den);
  }
};

TCheb Design(Integer poles, bool hp, double fc, double ripple) {
  TMatrix m(nullptr);
  TCheb c;
  CalcChebFilterCoeffs(poles, hp, fc, ripple, c.a0, &m);
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), poles);
  for (Integer k = 1; k <= poles; ++k) {
    c.A.push_back(m.GetVal(1, k));
    c.B.push_back(m.GetVal(2, k));
  }
  return c;
}

TEST(Chebyshev, UnityGainAtZeroFrequency) {
  const TCheb c = Design(4, false, 0.1, 0.5);
  const double sumA = c.a0 + std::accumulate(c.A.begin(), c.A.end(), 0.0);
  const double sumB = std::accumulate(c.B.begin(), c.B.end(), 0.0);
  EXPECT_NEAR(sumA, 1 - sumB, 1e-15);
}

TEST(Chebyshev, FrequencyResponses) {
  struct Case {
    Integer poles;
    bool hp;
    double fc, ripple;
  };
  const Case cases[] = {{2, false, 0.1, 0},    {4, false, 0.1, 0.5},   {6, false, 0.2, 5},
                        {8, false, 0.05, 0.5}, {20, false, 0.25, 0.5}, {2, true, 0.3, 0},
                        {4, true, 0.1, 0.5},   {6, true, 0.2, 10},     {10, true, 0.35, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.poles << " poles, hp " << c.hp << ", fc " << c.fc << ", ripple " << c.ripple);
    const TCheb f = Design(c.poles, c.hp, c.fc, c.ripple);
    // The ripple's peak over its troughs; an even order has a trough at the band's far end,
    // where the gain is normalised to 1.
    const double peak = 100 / (100 - c.ripple);
    EXPECT_NEAR(f.Gain(c.hp ? 0.5 : 0.0), 1.0, 1e-9);
    // The cutoff is the half-power point of the ripple's peak.
    EXPECT_NEAR(f.Gain(c.fc), peak * std::sqrt(0.5), 1e-6);
    // Inside the pass band the gain stays between that and the peak.
    double largest = 0;
    for (int i = 0; i < 200; ++i) {
      const double fr = c.hp ? c.fc + (0.5 - c.fc) * i / 200 : c.fc * i / 200;
      const double g = f.Gain(fr);
      EXPECT_GE(g, peak * std::sqrt(0.5) - 1e-6) << fr;
      EXPECT_LE(g, peak + 1e-6) << fr;
      largest = std::max(largest, g);
    }
    if (c.ripple > 0) {
      EXPECT_NEAR(largest, peak, 0.02 * (peak - 1)) << "ripple not reached";
    }
    // Beyond the cutoff it falls and keeps falling.
    double last = f.Gain(c.fc);
    for (int i = 1; i <= 20; ++i) {
      const double fr = c.hp ? c.fc * (1 - i / 20.0) : c.fc + (0.5 - c.fc) * i / 20;
      const double g = f.Gain(fr);
      EXPECT_LT(g, last + 1e-12) << fr;
      last = g;
    }
    EXPECT_LT(last, 1e-6);
  }
}

TEST(Chebyshev, DesignArgumentsOutsideTheSupportedRangeRaise) {
  struct Case {
    Integer poles;
    double fc, ripple;
    const char* message;
  };
  const Case cases[] = {
      {3, 0.1, 0.5, "CalcChebFilterCoeffs: NPoles must be even"},
      {21, 0.1, 0.5, "CalcChebFilterCoeffs: NPoles must be even"},
      {0, 0.1, 0.5, "CalcChebFilterCoeffs: NPoles must be in the range 2..20"},
      {-2, 0.1, 0.5, "CalcChebFilterCoeffs: NPoles must be in the range 2..20"},
      {22, 0.1, 0.5, "CalcChebFilterCoeffs: NPoles must be in the range 2..20"},
      {1000, 0.1, 0.5, "CalcChebFilterCoeffs: NPoles must be in the range 2..20"},
      {4, 0.1, -0.1, "CalcChebFilterCoeffs: invalid Ripple value"},
      {4, 0.1, 29.5, "CalcChebFilterCoeffs: invalid Ripple value"},
      {4, 0.1, NAN, "CalcChebFilterCoeffs: invalid Ripple value"},
      {4, -0.01, 0.5, "CalcChebFilterCoeffs: invalid cutoff frequency"},
      {4, 0.51, 0.5, "CalcChebFilterCoeffs: invalid cutoff frequency"},
      {4, NAN, 0.5, "CalcChebFilterCoeffs: invalid cutoff frequency"},
  };
  for (const Case& c : cases) {
    TMatrix m(nullptr);
    double a0 = 42;
    try {
      CalcChebFilterCoeffs(c.poles, false, c.fc, c.ripple, a0, &m);
      ADD_FAILURE() << c.message;
    } catch (const ESDLMath2Error& e) {
      EXPECT_EQ(e.Message, c.message);
    }
    EXPECT_EQ(a0, 42);
    EXPECT_EQ(m.NrOfRows(), 1);
  }
  double a0 = 0;
  EXPECT_THROW(CalcChebFilterCoeffs(4, false, 0.1, 0.5, a0, nullptr), ESDLMath2Error);
}

TEST(Chebyshev, ForwardBackwardFilteringIsZeroPhase) {
  TMatrix m(nullptr);
  double a0 = 0;
  CalcChebFilterCoeffs(4, false, 0.05, 0.5, a0, &m);
  // A slow sine plus a fast one: the slow one passes at full size and in phase, the fast one
  // is gone.
  const Integer n = 400;
  Vec src = MakeVec(n, [](Integer i) {
    constexpr double twoPi = 2 * std::numbers::pi;
    return std::sin(twoPi * 0.01 * i) + 0.5 * std::sin(twoPi * 0.3 * i);
  });
  Vec dst = MakeVec(std::vector<double>(n, 0));
  ChebychevFilter(src.get(), 1, n, dst.get(), a0, &m);
  TCheb f;
  f.a0 = a0;
  for (Integer k = 1; k <= 4; ++k) {
    f.A.push_back(m.GetVal(1, k));
    f.B.push_back(m.GetVal(2, k));
  }
  const double slowGain = f.Gain(0.01) * f.Gain(0.01);
  for (Integer i = 100; i <= 300; ++i)
    EXPECT_NEAR(dst->Elem(i), slowGain * std::sin(2 * std::numbers::pi * 0.01 * i), 1e-3) << i;

  // A symmetric pulse stays symmetric about its centre (a faster filter, whose response has
  // died out before the end of the signal cuts it).
  CalcChebFilterCoeffs(4, false, 0.2, 0.5, a0, &m);
  Vec pulse = MakeVec(401, [](Integer i) { return std::abs(i - 201) <= 3 ? 1.0 : 0.0; });
  Vec out = MakeVec(std::vector<double>(401, 0));
  ChebychevFilter(pulse.get(), 1, 401, out.get(), a0, &m);
  EXPECT_GT(out->Elem(201), 0.5);
  for (Integer d = 1; d <= 30; ++d) EXPECT_NEAR(out->Elem(201 - d), out->Elem(201 + d), 1e-12) << d;
}

TEST(Chebyshev, WritesOnlyTheRangeAndToleratesMissingArguments) {
  TMatrix m(nullptr);
  double a0 = 0;
  CalcChebFilterCoeffs(2, false, 0.2, 0, a0, &m);
  Vec src = MakeVec(50, [](Integer) { return 1.0; });
  Vec dst = MakeVec(std::vector<double>(50, -1));
  ChebychevFilter(src.get(), 10, 40, dst.get(), a0, &m);
  for (Integer i = 1; i <= 50; ++i) {
    if (i < 10 || i > 40) {
      EXPECT_EQ(dst->Elem(i), -1) << i;
    } else if (i > 15 && i < 35) {
      EXPECT_NEAR(dst->Elem(i), 1.0, 1e-3) << i;
    }
  }
  // The range may start before the first element or end beyond the destination.
  ChebychevFilter(src.get(), -5, 60, dst.get(), a0, &m);
  EXPECT_EQ(dst->NrOfElem(), 50);
  ChebychevFilter(nullptr, 1, 50, dst.get(), a0, &m);
  ChebychevFilter(src.get(), 1, 50, nullptr, a0, &m);
  ChebychevFilter(src.get(), 1, 50, dst.get(), a0, nullptr);
  TMatrix narrow(nullptr);  // 1 x 1: no column of B coefficients
  ChebychevFilter(src.get(), 1, 50, dst.get(), a0, &narrow);
}

}  // namespace
