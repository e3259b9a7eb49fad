// The curve fit's two cubic splines: the interpolating one (natural or clamped ends) and
// Reinsch's smoothing spline.
#include <cmath>

#include "DOV_math2.h"
#include "DOV_matrix.h"
#include "DOV_univconst.h"
#include "DOV_vector.h"

namespace {

// A bracketing interval shorter than this has no spline piece.
constexpr double kShortestInterval = 1e-100;
// Reinsch's iteration converges in a handful of passes; the cap only guards against data that
// make it wander (it never stops on its own for some non-finite input).
constexpr int kMaxSmoothingPasses = 1000;

// Work arrays of the smoothing spline, indexed n1 - 1 .. n2 + 1.
class TOffsetArray {
public:
  TOffsetArray(Integer First, Integer Last)
      : FFirst(First), FValues(static_cast<std::size_t>(Last - First + 1), 0.0) {}
  double& operator[](Integer i) { return FValues[static_cast<std::size_t>(i - FFirst)]; }

private:
  Integer FFirst;
  TDoubleArray FValues;
};

// A vector's values seen with the vector's own 1-based indexes.
template <class T>
class TOneBased {
public:
  explicit TOneBased(T* Data) : FData(Data) {}
  T& operator[](Integer i) const { return FData[i - 1]; }

private:
  T* FData;
};

std::unique_ptr<TVector> NewVector(Integer Size) {
  auto v = std::make_unique<TVector>(nullptr);
  v->Resize(Size);
  return v;
}

}  // namespace

// ---- sorted copies ---------------------------------------------------------------------------

void TCurveFit::ExchangeDuringSort(TObject* Sender, Byte ExchgWhat, Integer index1, Integer index2,
                                   Integer first, Integer last) {
  double* y = SplSortedY->DataPtr();
  std::swap(y[index1 - 1], y[index2 - 1]);
}

// Both splines start from fresh sorted copies, and a fresh (zero) Spl2Deriv, so neither cache
// may stay valid from here on, even when the preparation fails.
void TCurveFit::SortCopies() {
  FSplineValid = false;
  FPenSplineValid = false;
  const Integer n = FNumData;
  SplSortedX = NewVector(n);
  SplSortedY = NewVector(n);
  Spl2Deriv = NewVector(n);
  FData->CopyColToVec(SplSortedX.get(), 1, 1, n);
  FData->CopyColToVec(SplSortedY.get(), 2, 1, n);
  SplSortedX->OnSortExchange = [this](TObject* Sender, Byte What, Integer i1, Integer i2, Integer f,
                                      Integer l) {
    ExchangeDuringSort(Sender, What, i1, i2, f, l);
  };
  SplSortedX->SortElems(true, 1, n);
}

// ---- interpolating spline --------------------------------------------------------------------

void TCurveFit::PrepareSpline() {
  if (FNumData < 1) throw ESDLMath2Error("CubicSpline: no data points");
  SortCopies();
  const Integer n = FNumData;
  const TOneBased<const double> x(SplSortedX->DataPtr()), y(SplSortedY->DataPtr());
  const TOneBased<double> y2(Spl2Deriv->DataPtr());
  TOffsetArray u(0, n + 1);
  // Elements beyond the points read 0, as the vectors' own reads would.
  auto X = [&](Integer i) { return i >= 1 && i <= n ? x[i] : 0.0; };
  auto Y = [&](Integer i) { return i >= 1 && i <= n ? y[i] : 0.0; };

  for (Integer i = 1; i <= n - 1; ++i)
    if (x[i + 1] == x[i]) throw ESDLMath2Error("CubicSpline: two or more x-values are identical");

  if (FNatural1) {
    y2[1] = 0;
    u[1] = 0;
  } else {
    y2[1] = -0.5;
    u[1] = 3 / (X(2) - X(1)) * ((Y(2) - Y(1)) / (X(2) - X(1)) - FY1Dash);
  }
  for (Integer i = 2; i <= n - 1; ++i) {
    const double sig = (x[i] - x[i - 1]) / (x[i + 1] - x[i - 1]);
    const double p = sig * y2[i - 1] + 2;
    y2[i] = (sig - 1) / p;
    u[i] = (6 * ((y[i + 1] - y[i]) / (x[i + 1] - x[i]) - (y[i] - y[i - 1]) / (x[i] - x[i - 1])) /
                (x[i + 1] - x[i - 1]) -
            sig * u[i - 1]) /
           p;
    // Where the arithmetic overflows or is undefined the term is taken as the largest real,
    // and the spline is still built.
    if (!std::isfinite(u[i])) u[i] = static_cast<double>(uc_MaxReal);
  }
  double qn = 0, un = 0;
  if (!FNaturalN) {
    qn = 0.5;
    un = 3 / (X(n) - X(n - 1)) * (FYNDash - (Y(n) - Y(n - 1)) / (X(n) - X(n - 1)));
  }
  const double y2Before = n >= 2 ? y2[n - 1] : 0.0;
  y2[n] = (un - qn * u[n - 1]) / (qn * y2Before + 1);
  for (Integer k = n - 1; k >= 1; --k) y2[k] = y2[k] * y2[k + 1] + u[k];

  FPenSplineValid = false;
  FSplineValid = true;
}

double TCurveFit::CubicSpline(double x) {
  if (!FSplineValid) PrepareSpline();
  const Integer n = FNumData;
  const TOneBased<const double> X(SplSortedX->DataPtr()), Y(SplSortedY->DataPtr());
  const TOneBased<const double> y2(Spl2Deriv->DataPtr());
  Integer lo = 1, hi = n;
  while (hi - lo > 1) {
    const Integer k = (lo + hi) / 2;
    if (x < X[k])
      hi = k;
    else
      lo = k;
  }
  const double h = X[hi] - X[lo];
  if (h < kShortestInterval)
    throw ESDLMath2Error(ComponentErrorMessage(this, "the tabulated values are not distinct"));
  const double A = (X[hi] - x) / h;
  const double B = (x - X[lo]) / h;
  return A * Y[lo] + B * Y[hi] + ((A * A * A - A) * y2[lo] + (B * B * B - B) * y2[hi]) * h * h / 6;
}

// ---- smoothing spline ------------------------------------------------------------------------

void TCurveFit::PrepareSmoothedSpline() {
  const Integer n = FNumData;
  if (n >= 1) {
    SortCopies();
  } else {
    FSplineValid = false;
    FPenSplineValid = false;
  }
  double k, d, quality;
  CalcLinFit(k, d, quality);  // refuses fewer than two points and a set of equal x

  const auto size = static_cast<std::size_t>(n + 1);
  PSplA.assign(size, 0.0);
  PSplB.assign(size, 0.0);
  PSplC.assign(size, 0.0);
  PSplD.assign(size, 0.0);
  TDoubleArray x(size, 0.0), y(size, 0.0), w(size, 0.0);
  Extended rss = 0;
  for (Integer i = 1; i <= n; ++i) {
    x[i] = SplSortedX->GetVal(i);
    y[i] = SplSortedY->GetVal(i);
    w[i] = 1;
    const double r = y[i] - k * x[i] - d;
    rss += r * r;
  }
  // A negative (or undefined) factor has no root; it smooths as little as 0 does.
  const double factor = FPSplineSmooth >= 0 ? FPSplineSmooth : 0.0;
  const double s = static_cast<double>(rss) * std::sqrt(factor);
  PenalizedCubicSpline(1, n, s, x, y, w, PSplA, PSplB, PSplC, PSplD);

  const double ym = MeanY();
  double ssRes = 0, ssTot = 0;
  for (Integer i = 1; i <= n; ++i) {
    ssRes += (y[i] - PSplA[i]) * (y[i] - PSplA[i]);
    ssTot += (y[i] - ym) * (y[i] - ym);
  }
  FPSplineFQ = ssTot != 0 ? (ssTot - ssRes) / ssTot : ssRes;
  FPenSplineValid = true;
  FSplineValid = false;
}

double TCurveFit::SmoothedSpline(double x, double& FitQual, bool& valid) {
  if (!FPenSplineValid) PrepareSmoothedSpline();
  valid = false;
  double result = 0;
  const Integer n = FNumData;
  const TOneBased<const double> X(SplSortedX->DataPtr());
  if (X[1] <= x && x <= X[n]) {
    Integer i = n;
    while (i >= 1 && !(X[i] <= x)) --i;
    if (i >= 1) {
      valid = true;
      const double h = x - X[i];
      result = ((PSplD[i] * h + PSplC[i]) * h + PSplB[i]) * h + PSplA[i];
    }
  }
  FitQual = FPSplineFQ;
  return result;
}

// ---- Reinsch's procedure ---------------------------------------------------------------------

namespace {

double CheckedInterval(double Lower, double Upper) {
  const double h = Upper - Lower;
  if (h == 0) throw ESDLMath2Error("PenalizedCubicSpline: two or more x-values are identical");
  if (h < 0) throw ESDLMath2Error("PenalizedCubicSpline: x-values must be increasing");
  return h;
}

}  // namespace

void PenalizedCubicSpline(Integer n1, Integer n2, double s, const TDoubleArray& xIn,
                          const TDoubleArray& yIn, const TDoubleArray& dyIn, TDoubleArray& a,
                          TDoubleArray& b, TDoubleArray& c, TDoubleArray& d) {
  if (n1 >= n2) throw ESDLMath2Error("PenalizedCubicSpline: n1 must not be greater than n2");
  const auto holds = [n2](const TDoubleArray& v) {
    return v.size() > static_cast<std::size_t>(n2);
  };
  if (n1 < 0 || !holds(xIn) || !holds(yIn) || !holds(dyIn) || !holds(a) || !holds(b) || !holds(c) ||
      !holds(d))
    throw ESDLMath2Error("PenalizedCubicSpline: the arrays do not hold the elements n1 .. n2");
  const TDoubleArray x = xIn, y = yIn, dy = dyIn;  // the outputs may be the inputs
  TOffsetArray r(n1 - 1, n2 + 1), r1(n1 - 1, n2 + 1), r2(n1 - 1, n2 + 1), t(n1 - 1, n2 + 1),
      t1(n1 - 1, n2 + 1), u(n1 - 1, n2 + 1), v(n1 - 1, n2 + 1);
  double p = 0;
  const Integer m1 = n1 + 1, m2 = n2 - 1;

  double h = CheckedInterval(x[n1], x[m1]);
  double f = (y[m1] - y[n1]) / h;
  double g = 0, e = 0;
  for (Integer i = m1; i <= m2; ++i) {
    g = h;
    h = CheckedInterval(x[i], x[i + 1]);
    e = f;
    f = (y[i + 1] - y[i]) / h;
    a[i] = f - e;
    t[i] = 2 * (g + h) / 3;
    t1[i] = h / 3;
    r2[i] = dy[i - 1] / g;
    r[i] = dy[i + 1] / h;
    r1[i] = -dy[i] / g - dy[i] / h;
  }
  for (Integer i = m1; i <= m2; ++i) {
    b[i] = r[i] * r[i] + r1[i] * r1[i] + r2[i] * r2[i];
    c[i] = r[i] * r1[i + 1] + r1[i] * r2[i + 1];
    d[i] = r[i] * r2[i + 2];
  }
  double f2 = -s;

  for (int pass = 0; pass < kMaxSmoothingPasses; ++pass) {
    for (Integer i = m1; i <= m2; ++i) {
      r1[i - 1] = f * r[i - 1];
      r2[i - 2] = g * r[i - 2];
      r[i] = 1 / (p * b[i] + t[i] - f * r1[i - 1] - g * r2[i - 2]);
      u[i] = a[i] - r1[i - 1] * u[i - 1] - r2[i - 2] * u[i - 2];
      f = p * c[i] + t1[i] - h * r1[i - 1];
      g = h;
      h = d[i] * p;
    }
    for (Integer i = m2; i >= m1; --i) u[i] = r[i] * u[i] - r1[i] * u[i + 1] - r2[i] * u[i + 2];
    e = 0;
    h = 0;
    for (Integer i = n1; i <= m2; ++i) {
      g = h;
      h = (u[i + 1] - u[i]) / (x[i + 1] - x[i]);
      v[i] = (h - g) * (dy[i] * dy[i]);
      e = e + v[i] * (h - g);
    }
    g = v[n2] = -h * (dy[n2] * dy[n2]);
    e = e - g * h;
    g = f2;
    f2 = e * p * p;
    // Written as "go on while" so that a value that is not a number ends the iteration too.
    if (!(f2 < s && f2 > g)) break;
    f = 0;
    h = (v[m1] - v[n1]) / (x[m1] - x[n1]);
    for (Integer i = m1; i <= m2; ++i) {
      g = h;
      h = (v[i + 1] - v[i]) / (x[i + 1] - x[i]);
      g = h - g - r1[i - 1] * r[i - 1] - r2[i - 2] * r[i - 2];
      f = f + g * r[i] * g;
      r[i] = g;
    }
    h = e - p * f;
    if (!(h > 0)) break;
    p = p + (s - f2) / ((std::sqrt(s / e) + p) * h);
  }

  for (Integer i = n1; i <= n2; ++i) {
    a[i] = y[i] - p * v[i];
    c[i] = u[i];
  }
  for (Integer i = n1; i <= m2; ++i) {
    h = x[i + 1] - x[i];
    d[i] = (c[i + 1] - c[i]) / (3 * h);
    b[i] = (a[i + 1] - a[i]) / h - (h * d[i] + c[i]) * h;
  }
}
