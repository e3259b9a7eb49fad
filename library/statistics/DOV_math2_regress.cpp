// TCurveFit's regressions: polynomials through the least-squares solver, the analysis of
// variance of a regression, the parabola, circle and Gaussian, and the models that become
// straight lines after transforming x and y.
//
// A fit that would divide by zero (all transformed x equal, degenerate Hoerl sums, no residual
// degrees of freedom) raises instead of handing back infinite or undefined coefficients, and
// so does an exponential coefficient beyond the double range.

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "DOV_math1.h"
#include "DOV_math2.h"
#include "DOV_math2_moments.h"
#include "DOV_matrix.h"
#include "DOV_statis.h"
#include "DOV_univconst.h"
#include "DOV_vector.h"

namespace {

constexpr double kNoValue = static_cast<double>(uc_MaxReal);

[[noreturn]] void Refuse(const char* routine, const char* reason) {
  throw ESDLMath2Error(String(routine) + ": " + reason);
}

// Two-sided significance of a coefficient from its t value, or 0 without residual spread.
double Significance(double coeff, double s, double dev, Integer dfres) {
  if (s == 0 || dev == 0) return 0;
  return 2 * (1 - tDistriIntegral(std::fabs(coeff / s / dev), dfres));
}

// Sums of squares and products of up to two predictors u, v and a response t about their means,
// over the data. The quality of a fit is taken from these: sums about 0 of data far from 0
// (y = 1e9 + small) would lose every digit of the spread to the offset.
struct TCentredSums2 {
  Extended Suu = 0, Svv = 0, Suv = 0, Sut = 0, Svt = 0, Stt = 0;
  Extended um = 0, vm = 0, tm = 0;  // the means
  bool UConstant = true;            // all u equal (their mean need not be exactly that value)
};

template <class U, class V, class T>
TCentredSums2 CentredSums2(const double* xs, const double* ys, Integer n, U u, V v, T t) {
  TCentredSums2 c;
  if (n < 1) return c;
  Extended um = 0, vm = 0, tm = 0;
  for (Integer i = 0; i < n; ++i) {
    um += u(xs[i]);
    vm += v(xs[i]);
    tm += t(ys[i]);
  }
  um /= n;
  vm /= n;
  tm /= n;
  c.um = um;
  c.vm = vm;
  c.tm = tm;
  const Extended u0 = u(xs[0]);
  for (Integer i = 0; i < n; ++i) {
    const Extended du = u(xs[i]) - um, dv = v(xs[i]) - vm, dt = t(ys[i]) - tm;
    if (u(xs[i]) != u0) c.UConstant = false;
    c.Suu += du * du;
    c.Svv += dv * dv;
    c.Suv += du * dv;
    c.Sut += du * dt;
    c.Svt += dv * dt;
    c.Stt += dt * dt;
  }
  return c;
}

// r^2 of the least-squares fit of t on u (and v, where it varies) from the centred sums: 1
// without spread in t (every fit is exact), 0 without spread in the predictors.
double CentredQuality(const TCentredSums2& c) {
  if (c.Stt == 0) return 1;
  Extended explained;
  const Extended det = c.Suu * c.Svv - c.Suv * c.Suv;
  if (c.Svv != 0 && det > 0) {
    const Extended bu = (c.Sut * c.Svv - c.Svt * c.Suv) / det;
    const Extended bv = (c.Svt * c.Suu - c.Sut * c.Suv) / det;
    explained = bu * c.Sut + bv * c.Svt;
  } else {
    if (c.Suu == 0) return 0;
    explained = c.Sut * c.Sut / c.Suu;
  }
  return static_cast<double>(std::clamp<Extended>(explained / c.Stt, 0, 1));
}

Extended Same(Extended v) { return v; }
Extended Reciprocal(Extended v) { return 1 / v; }
Extended Ln(Extended v) { return std::log(v); }
Extended Nothing(Extended) { return 0; }

// The centred sums of t(y) on u(x) over the points of a fit.
template <class U, class T>
TCentredSums2 CentredLine(const TMatrix& data, Integer n, U u, T t) {
  return CentredSums2(data.ColumnPtr(1), data.ColumnPtr(2), n, u, Nothing, t);
}

// Pearson's r squared of observed and fitted values by the fits' rules: 0 unless both have
// positive sums of squares and spread. About the means, so offset data keep their digits.
double SquaredCorrelation(const std::vector<double>& y, const std::vector<double>& f) {
  double sy2 = 0, sf2 = 0;
  for (std::size_t i = 0; i < y.size(); ++i) {
    sy2 += y[i] * y[i];
    sf2 += f[i] * f[i];
  }
  if (!(sy2 > 0 && sf2 > 0)) return 0;
  const TCentredSums2 c =
      CentredSums2(f.data(), y.data(), static_cast<Integer>(y.size()), Same, Nothing, Same);
  if (c.Stt == 0 || c.Suu == 0) return 0;
  return static_cast<double>(c.Sut * c.Sut / (c.Suu * c.Stt));
}

// Least squares of y on the columns u^1 .. u^order and a constant: coefficients C (constant
// last) and deviations D; false when the decomposition failed.
bool SolvePolynomial(const std::vector<double>& u, const std::vector<double>& y, Integer order,
                     TVector& C, TVector& D, bool& NearSingular) {
  const Integer n = static_cast<Integer>(u.size());
  TMatrix A(nullptr);
  A.Resize(order + 1, n);
  for (Integer i = 0; i < n; ++i) {
    double p = 1;
    for (Integer j = 1; j <= order; ++j) {
      p *= u[i];
      A.ColumnPtr(j)[i] = p;
    }
    A.ColumnPtr(order + 1)[i] = 1;
  }
  A.Changed();
  TVector Y(nullptr);
  Y.SetVecSize(n);
  std::copy(y.begin(), y.end(), Y.DataPtr());
  C.SetVecSize(order + 1);
  D.SetVecSize(order + 1);
  return MultiLinReg(&A, &Y, &C, &D, NearSingular);
}

std::vector<double> Fitted(const std::vector<double>& u, const TVector& C, Integer order) {
  std::vector<double> f(u.size());
  for (std::size_t i = 0; i < u.size(); ++i) {
    double v = C.GetVal(order + 1), p = 1;
    for (Integer j = 1; j <= order; ++j) {
      p *= u[i];
      v += C.GetVal(j) * p;
    }
    f[i] = v;
  }
  return f;
}

double ResidualDeviation(double rss, Integer dfres) {
  return dfres > 0 ? std::sqrt(rss / dfres) : 0;
}

void EnsureSize(TDoubleArray& a, Integer n) {
  if (static_cast<Integer>(a.size()) < n) a.resize(static_cast<std::size_t>(n), 0.0);
}

}  // namespace

// ---- polynomials -----------------------------------------------------------------------------

bool TCurveFit::CalcPolyFit(Integer nOrder, TDoubleArray& kArray, TDoubleArray& Alpha,
                            double& FitQual, bool& NearSingular) {
  const Integer n = FNumData;
  if (nOrder < 0 || n <= nOrder) return false;
  AbortMathProc = false;
  const std::vector<double> x(FData->ColumnPtr(1), FData->ColumnPtr(1) + n);
  const std::vector<double> y(FData->ColumnPtr(2), FData->ColumnPtr(2) + n);
  TVector C(nullptr), D(nullptr);
  bool near = false;
  if (!SolvePolynomial(x, y, nOrder, C, D, near)) return false;
  const std::vector<double> f = Fitted(x, C, nOrder);
  double rss = 0;
  for (Integer i = 0; i < n; ++i) rss += (f[i] - y[i]) * (f[i] - y[i]);
  const Integer dfres = n - nOrder - 1;
  const double s = ResidualDeviation(rss, dfres);
  NearSingular = near;
  FitQual = SquaredCorrelation(y, f);
  EnsureSize(kArray, nOrder + 1);
  Alpha.assign(static_cast<std::size_t>(nOrder) + 1, 0.0);
  for (Integer j = 1; j <= nOrder; ++j) {
    kArray[j] = C.GetVal(j);
    Alpha[j] = Significance(C.GetVal(j), s, D.GetVal(j), dfres);
  }
  kArray[0] = C.GetVal(nOrder + 1);
  Alpha[0] = Significance(C.GetVal(nOrder + 1), s, D.GetVal(nOrder + 1), dfres);
  return true;
}

bool TCurveFit::CalcPolyFit(Integer nOrder, TDoubleArray& kArray, double& FitQual,
                            bool& NearSingular) {
  TDoubleArray alpha;
  return CalcPolyFit(nOrder, kArray, alpha, FitQual, NearSingular);
}

// x and y enter as their deviations scaled by powers of two (ScaledDeviations), which the
// coefficients lose again at the end: data at 1e160, whose variance is beyond the double range,
// give the fit they give at a moderate scale. A coefficient beyond the double range makes the
// fit fail (false, no output touched).
bool TCurveFit::CalcCenteredPolyFit(Integer nOrder, TDoubleArray& kArray, TDoubleArray& alpha,
                                    double& XShift, double& FitQual, bool& NearSingular) {
  const Integer n = FNumData;
  if (nOrder < 0 || n <= nOrder) return false;
  AbortMathProc = false;
  double xmean, ymean;
  int ex, ey;
  std::vector<double> dx, yc;
  if (!ScaledDeviations(FData->ColumnPtr(1), n, xmean, ex, dx) ||
      !ScaledDeviations(FData->ColumnPtr(2), n, ymean, ey, yc))
    return false;
  const double shift = XShift == 0 ? xmean : XShift;
  // The deviation of x in the scaled units (the library's variance rule: 1, in the data's
  // units, below three values or without spread).
  double dm, dvar;
  MeanVarOf(
      [&](auto f) {
        for (double v : dx) f(v);
      },
      dm, dvar);
  double sx = n < 3 ? 0 : std::sqrt(dvar);
  if (sx == 0) sx = std::scalbn(1.0, ex);
  const double offset = std::scalbn(xmean - shift, ex);
  std::vector<double> u(static_cast<std::size_t>(n));
  for (Integer i = 0; i < n; ++i) u[i] = (dx[i] + offset) / sx;
  TVector C(nullptr), D(nullptr);
  bool near = false;
  if (!SolvePolynomial(u, yc, nOrder, C, D, near)) return false;
  // Powers of (x - shift) / sx in units of 2^-ey back to powers of x - shift in the data's.
  std::vector<double> k(static_cast<std::size_t>(nOrder) + 1);
  for (Integer j = 1; j <= nOrder; ++j) {
    double c = C.GetVal(j);
    for (Integer i = 0; i < j; ++i) c /= sx;
    k[j] = std::scalbn(c, j * ex - ey);
  }
  k[0] = std::scalbn(C.GetVal(nOrder + 1), -ey) + ymean;
  for (double v : k)
    if (!std::isfinite(v)) return false;
  const std::vector<double> f = Fitted(u, C, nOrder);
  double rss = 0;
  for (Integer i = 0; i < n; ++i) rss += (f[i] - yc[i]) * (f[i] - yc[i]);
  const Integer dfres = n - nOrder - 1;
  const double s = ResidualDeviation(rss, dfres);
  XShift = shift;
  NearSingular = near;
  FitQual = SquaredCorrelation(yc, f);
  EnsureSize(kArray, nOrder + 1);
  alpha.assign(static_cast<std::size_t>(nOrder) + 1, 0.0);
  for (Integer j = 1; j <= nOrder; ++j) {
    kArray[j] = k[j];
    alpha[j] = Significance(C.GetVal(j), s, D.GetVal(j), dfres);
  }
  kArray[0] = k[0];
  alpha[0] = Significance(C.GetVal(nOrder + 1), s, D.GetVal(nOrder + 1), dfres);
  return true;
}

bool TCurveFit::CalcCenteredPolyFit(Integer nOrder, TDoubleArray& kArray, double& XShift,
                                    double& FitQual, bool& NearSingular) {
  TDoubleArray alpha;
  return CalcCenteredPolyFit(nOrder, kArray, alpha, XShift, FitQual, NearSingular);
}

// ---- analysis of variance --------------------------------------------------------------------

void TCurveFit::CalcAnovaReg(Integer NumVars, bool IncludeConst, Integer& dfreg, Integer& dfres,
                             Integer& dftotal, double& SSE, double& SSR, double& SST, double& MSE,
                             double& MSR, double& F) const {
  const Integer n = FNumData;
  dfreg = NumVars;
  dftotal = IncludeConst ? n - 1 : n;
  dfres = dftotal - dfreg;
  if (n < 1) Refuse("CalcAnovaReg", "not enough data points");
  if (NumVars < 1) Refuse("CalcAnovaReg", "number of variables must be at least 1");
  if (dfres < 1) Refuse("CalcAnovaReg", "no residual degrees of freedom");
  // Sums of squares about m from the sums of the deviations: (centred sum) + n (mean - m)^2,
  // two terms that cannot cancel, so observations far from 0 keep their digits.
  const TCurveFitDeviations& v = FDev;
  const Extended meanx = v.x0 + v.dx / n, meany = v.y0 + v.dy / n;
  const Extended m = IncludeConst ? meanx : 0;
  SSE = static_cast<double>(FSums.SumDiffq);
  SSR = static_cast<double>(v.dyy - v.dy * v.dy / n + n * (meany - m) * (meany - m));
  SST = static_cast<double>(v.dxx - v.dx * v.dx / n + n * (meanx - m) * (meanx - m));
  MSE = SSE / dfres;
  MSR = SSR / dfreg;
  if (MSR == 0)
    F = 0;
  else if (MSE == 0)
    F = 1e10;
  else
    F = MSR / MSE;
}

// ---- parabola, circle, Gaussian -------------------------------------------------------------

// The parabola of the scaled deviations (ScaledMoments), brought back to the data's units by
// the exponents: data at 1e160 (fourth powers beyond the double range) or at 1e-100 (below it)
// give the parabola they give at a moderate scale.
void TCurveFit::CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual) const {
  k0 = k1 = k2 = FitQual = 0;
  const Integer n = FNumData;
  if (n < 3) Refuse("CalcParabolFit", "not enough data points");
  TScaledMoments m;
  if (!ScaledMoments(FData->ColumnPtr(1), FData->ColumnPtr(2), n, m))
    Refuse("CalcParabolFit", "values must be finite");
  const auto [C, e, f, g, h] = ParabolaTerms(m, n);
  const double a2 = f * f == C * h ? 0 : (C * e - f * g) / (C * h - f * f);
  const double a1 = C == 0 ? 0 : (g - f * a2) / C;
  const double a0 = (m.St - a1 * m.Su - a2 * m.Suu) / n;
  // y - ym = A0 + A1 (x - xm) + A2 (x - xm)^2, then expanded about 0.
  const double A2 = std::scalbn(a2, 2 * m.Eu - m.Et);
  const double A1 = std::scalbn(a1, m.Eu - m.Et);
  const double A0 = std::scalbn(a0, -m.Et);
  const double c2 = A2, c1 = A1 - 2 * (A2 * m.um), c0 = m.tm + A0 + m.um * (A2 * m.um - A1);
  if (!std::isfinite(c0) || !std::isfinite(c1) || !std::isfinite(c2))
    Refuse("CalcParabolFit", "result beyond the double range");
  k2 = c2;
  k1 = c1;
  k0 = c0;
  const double V = m.Stt - m.St * m.St / n;
  FitQual = V != 0 ? (m.St * a0 + a1 * m.Sut + a2 * m.Su2t - m.St * m.St / n) / V : 1;
}

// The circle through the points moved by the reference point of the sums of deviations: a
// circle moves with its points, and the sums about 0 of points far from it (a circle of radius
// 2 about (1e6, -1e6)) would lose every digit of its size to the offset.
void TCurveFit::CalcCircleFit(double& r, double& dx, double& dy) const {
  r = dx = dy = 0;
  const Integer n = FNumData;
  if (n < 3) Refuse("CalcCircleFit", "not enough data points");
  const TCurveFitDeviations& v = FDev;
  const Extended A = v.dy * v.dy - n * v.dyy;
  const Extended B = v.dx * v.dx - n * v.dxx;
  const Extended C = n * v.dxy - v.dx * v.dy;
  const Extended D = A * B - C * C;
  if (D == 0) Refuse("CalcCircleFit", "radius is infinite");
  const Extended E = (v.dxx + v.dyy) * v.dy - n * (v.dx2y + v.dy3);
  const Extended F = (v.dxx + v.dyy) * v.dx - n * (v.dxy2 + v.dx3);
  const Extended cx = (C * E + A * F) / 2 / D;
  const Extended cy = (C * F + B * E) / 2 / D;
  // Rounding can push the mean squared distance of nearly collinear points below 0.
  const Extended r2 = (v.dxx + v.dyy - 2 * (v.dx * cx + v.dy * cy) + (cx * cx + cy * cy) * n) / n;
  dx = static_cast<double>(cx + v.x0);
  dy = static_cast<double>(cy + v.y0);
  r = static_cast<double>(std::sqrt(std::max<Extended>(r2, 0)));
}

// The parabola of ln y on the scaled deviations of x (as CalcParabolFit), so x at any scale
// gives the peak it gives at a moderate one.
void TCurveFit::CalcGaussFit(double& k0, double& k1, double& k2, double& FitQual) const {
  k0 = k1 = FitQual = 0;
  k2 = kNoValue;
  const Integer n = FNumData;
  if (n < 3) Refuse("CalcGaussFit", "not enough data points");
  if (FErrIndic.Contains(cfeYLE0)) Refuse("CalcGaussFit", "y values must not be negative");
  std::vector<double> lny(static_cast<std::size_t>(n));
  for (Integer i = 0; i < n; ++i) lny[i] = std::log(FData->ColumnPtr(2)[i]);
  TScaledMoments m;
  if (!ScaledMoments(FData->ColumnPtr(1), lny.data(), n, m))
    Refuse("CalcGaussFit", "values must be finite");
  const auto [C, e, f, g, h] = ParabolaTerms(m, n);
  // Without a unique parabola the coefficient stands at 1.7e38 in the data's units.
  const bool noA2 = f * f == C * h, noA1 = C == 0;
  auto substitute = [](int e) {
    return std::min(std::scalbn(kNoValue, e), std::numeric_limits<double>::max());
  };
  const double a2 = noA2 ? substitute(m.Et - 2 * m.Eu) : (C * e - f * g) / (C * h - f * f);
  const double a1 = noA1 ? substitute(m.Et - m.Eu) : (g - f * a2) / C;
  const double a0 = (m.St - a1 * m.Su - a2 * m.Suu) / n;
  const double W = m.Stt - m.St * m.St / n;
  FitQual = W != 0 ? (m.St * a0 + a1 * m.Sut + a2 * m.Su2t - m.St * m.St / n) / W : 1;
  // ln y - tm = 2^-Et (a0 + a1 du + a2 du^2), du = (x - xm) 2^Eu. The peak's height, place and
  // width come from the scaled coefficients and only then go to the data's units, so the
  // coefficients of data far from 1 (x = 1e-170 u, or 1e250 + 1e240 u) neither under- nor
  // overflow on the way; a width beyond the double range is refused, not rounded to 0 or
  // infinity. The substitute stands in the data's units, where it is defined.
  if (noA2 || a2 != 0) {
    double c0, c1, c2;
    if (noA2) {
      const double A1 = noA1 ? kNoValue : std::scalbn(a1, m.Eu - m.Et);
      const double A0 = std::scalbn(a0, -m.Et) + m.tm;
      c0 = std::exp(A0 - A1 * (A1 / (4 * kNoValue)));
      c1 = -0.5 * (A1 / kNoValue) + m.um;
      c2 = -1 / kNoValue;
    } else {
      c0 = std::exp(m.tm + std::scalbn(a0 - a1 * (a1 / (4 * a2)), -m.Et));
      c1 = std::scalbn(-0.5 * (a1 / a2), -m.Eu) + m.um;
      c2 = std::scalbn(-1 / a2, m.Et - 2 * m.Eu);
    }
    const auto representable = [](double c) {
      return std::isfinite(c) && std::fabs(c) >= std::numeric_limits<double>::min();
    };
    if (!representable(c0) || !std::isfinite(c1) || !representable(c2))
      Refuse("CalcGaussFit", "result beyond the double range");
    k0 = c0;
    k1 = c1;
    k2 = c2;
  } else {
    k2 = -kNoValue;
    k1 = 0;
    k0 = 0;
  }
}

// ---- linearised models -----------------------------------------------------------------------

namespace {

// The shared scheme: T = a + k1 U by least squares, from the sums of the transformed values
// about their means over the points (the running sums about 0 lose every digit of the spread
// for data far from 0, x = 1e9 + {1 .. 5}). Exponential: k0 = exp(a), refused when a lies
// outside the logarithms of the double range.
void FitLine(const char* routine, const TCentredSums2& c, bool Exponential, double& k0, double& k1,
             double& FitQual) {
  if (c.UConstant || c.Suu == 0) Refuse(routine, "slope is infinite");
  const Extended slope = c.Sut / c.Suu;
  const Extended a = c.tm - slope * c.um;
  k1 = static_cast<double>(slope);
  if (Exponential) {
    if (a < uc_lnMinDouble || a > uc_lnMaxDouble) Refuse(routine, "cannot fit function");
    k0 = static_cast<double>(std::exp(a));
  } else {
    k0 = static_cast<double>(a);
  }
  FitQual = CentredQuality(c);
}

}  // namespace

void TCurveFit::CalcReciLinFit(double& k0, double& k1, double& FitQual) const {
  k0 = k1 = FitQual = 0;
  if (FNumData < 3) Refuse("CalcReciLinFit", "not enough data points");
  if (FErrIndic.Contains(cfeYEQ0)) Refuse("CalcReciLinFit", "y values must not be zero");
  FitLine("CalcReciLinFit", CentredLine(*FData, FNumData, Same, Reciprocal), false, k0, k1,
          FitQual);
}

void TCurveFit::CalcHyperbolFit(double& k0, double& k1, double& FitQual) const {
  k0 = k1 = FitQual = 0;
  if (FNumData < 3) Refuse("CalcHyperbolFit", "not enough data points");
  if (FErrIndic.Contains(cfeXEQ0)) Refuse("CalcHyperbolFit", "x values must not be zero");
  FitLine("CalcHyperbolFit", CentredLine(*FData, FNumData, Reciprocal, Same), false, k0, k1,
          FitQual);
}

void TCurveFit::CalcReciHyperbolFit(double& k0, double& k1, double& FitQual) const {
  k0 = k1 = FitQual = 0;
  if (FNumData < 3) Refuse("CalcReciHyperbolFit", "not enough data points");
  if (FErrIndic.Contains(cfeYEQ0)) Refuse("CalcReciHyperbolFit", "y values must not be zero");
  if (FErrIndic.Contains(cfeXEQ0)) Refuse("CalcReciHyperbolFit", "x values must not be zero");
  FitLine("CalcReciHyperbolFit", CentredLine(*FData, FNumData, Reciprocal, Reciprocal), false, k0,
          k1, FitQual);
}

void TCurveFit::CalcLogFit(double& k0, double& k1, double& FitQual) const {
  k0 = k1 = FitQual = 0;
  if (FNumData < 3) Refuse("CalcLogFit", "not enough data points");
  if (FErrIndic.Contains(cfeXLE0)) Refuse("CalcLogFit", "x values must not be negative or zero");
  FitLine("CalcLogFit", CentredLine(*FData, FNumData, Ln, Same), false, k0, k1, FitQual);
}

void TCurveFit::CalcReciLogFit(double& k0, double& k1, double& FitQual) const {
  k0 = k1 = FitQual = 0;
  if (FNumData < 3) Refuse("CalcReciLogFit", "not enough data points");
  if (FErrIndic.Contains(cfeYEQ0) || FErrIndic.Contains(cfeYLE0))
    Refuse("CalcReciLogFit", "y values must not be negative or zero");
  if (FErrIndic.Contains(cfeXLE0))
    Refuse("CalcReciLogFit", "x values must not be negative or zero");
  FitLine("CalcReciLogFit", CentredLine(*FData, FNumData, Ln, Reciprocal), false, k0, k1, FitQual);
}

void TCurveFit::CalcPowerFit(double& k0, double& k1, double& FitQual) const {
  k0 = k1 = FitQual = 0;
  if (FNumData < 3) Refuse("CalcPowerFit", "not enough data points");
  if (FErrIndic.Contains(cfeYLE0)) Refuse("CalcPowerFit", "y values must not be negative or zero");
  if (FErrIndic.Contains(cfeXLE0)) Refuse("CalcPowerFit", "x values must not be negative or zero");
  FitLine("CalcPowerFit", CentredLine(*FData, FNumData, Ln, Ln), true, k0, k1, FitQual);
}

void TCurveFit::CalcExponentialFit(double& k0, double& k1, double& FitQual) const {
  k0 = k1 = FitQual = 0;
  if (FNumData < 3) Refuse("CalcExponentialFit", "not enough data points");
  if (FErrIndic.Contains(cfeYLE0))
    Refuse("CalcExponentialFit", "y values must not be negative or zero");
  if (FErrIndic.Contains(cfeXLE0))
    Refuse("CalcExponentialFit", "x values must not be negative or zero");
  FitLine("CalcExponentialFit", CentredLine(*FData, FNumData, Same, Ln), true, k0, k1, FitQual);
}

void TCurveFit::CalcHoerlFit(double& k0, double& k1, double& k2, double& FitQual) const {
  k0 = k1 = k2 = FitQual = 0;
  const Integer n = FNumData;
  if (n < 3) Refuse("CalcHoerlFit", "not enough data points");
  if (FErrIndic.Contains(cfeYLE0)) Refuse("CalcHoerlFit", "y values must not be negative or zero");
  if (FErrIndic.Contains(cfeXLE0)) Refuse("CalcHoerlFit", "x values must not be negative or zero");
  // ln y = w + u x + k2 ln x by least squares, about the means (see FitLine).
  const TCentredSums2 c = CentredSums2(FData->ColumnPtr(1), FData->ColumnPtr(2), n, Same, Ln, Ln);
  const Extended den = c.Suu * c.Svv - c.Suv * c.Suv;
  // All x equal, or x and ln x carrying the same information: no unique fit.
  if (c.UConstant || c.Suu == 0 || !(den > 0)) Refuse("CalcHoerlFit", "slope is infinite");
  const Extended c2 = (c.Suu * c.Svt - c.Suv * c.Sut) / den;
  k2 = static_cast<double>(c2);
  const Extended u = (c.Sut - c.Suv * c2) / c.Suu;
  const Extended w = c.tm - c.um * u - c.vm * c2;
  if (w < uc_lnMinDouble || w > uc_lnMaxDouble || u > uc_lnMaxDouble)
    Refuse("CalcHoerlFit", "cannot fit function");
  k0 = static_cast<double>(std::exp(w));
  k1 = static_cast<double>(std::exp(u));
  FitQual = CentredQuality(c);
}
