// Smoothing, derivative and FIR/IIR filters on sample vectors.

#include "DOV_math2_filters.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>
#include <numbers>
#include <vector>

#include "DOV_matrix.h"
#include "DOV_vector.h"

const Integer GolayPoly[GolayRows][GolayCols] = {
    {35, 17, 12, -3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {21, 7, 6, 3, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {231, 59, 54, 39, 14, -21, 0, 0, 0, 0, 0, 0, 0, 0},
    {429, 89, 84, 69, 44, 9, -36, 0, 0, 0, 0, 0, 0, 0},
    {143, 25, 24, 21, 16, 9, 0, -11, 0, 0, 0, 0, 0, 0},
    {1105, 167, 162, 147, 122, 87, 42, -13, -78, 0, 0, 0, 0, 0},
    {323, 43, 42, 39, 34, 27, 18, 7, -6, -21, 0, 0, 0, 0},
    {2261, 269, 264, 249, 224, 189, 144, 89, 24, -51, -136, 0, 0, 0},
    {3059, 329, 324, 309, 284, 249, 204, 149, 84, 9, -76, -171, 0, 0},
    {805, 79, 78, 75, 70, 63, 54, 43, 30, 15, -2, -21, -42, 0},
    {5175, 467, 462, 447, 422, 387, 342, 287, 222, 147, 62, -33, -138, -253},
};

const Integer Golay2ndDeriv[GolayRows][GolayCols] = {
    {7, -2, -1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {42, -4, -3, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {462, -20, -17, -8, 7, 28, 0, 0, 0, 0, 0, 0, 0, 0},
    {429, -10, -9, -6, -1, 6, 15, 0, 0, 0, 0, 0, 0, 0},
    {1001, -14, -13, -10, -5, 2, 11, 22, 0, 0, 0, 0, 0, 0},
    {6188, -56, -53, -44, -29, -8, 19, 52, 91, 0, 0, 0, 0, 0},
    {3876, -24, -23, -20, -15, -8, 1, 12, 25, 40, 0, 0, 0, 0},
    {6783, -30, -29, -26, -21, -14, -5, 6, 19, 34, 51, 0, 0, 0},
    {33649, -110, -107, -98, -83, -62, -35, -2, 37, 82, 133, 190, 0, 0},
    {17710, -44, -43, -40, -35, -28, -19, -8, 5, 20, 37, 56, 77, 0},
    {26910, -52, -51, -48, -43, -36, -27, -16, -3, 12, 29, 48, 69, 92},
};

namespace {

// m(m + 1)(2m + 1) / 3 for m = 2..12: the sum of k^2 over -m..m.
constexpr Integer FirstDerivNorm[GolayRows] = {10,  28,  60,  110,  182, 280,
                                               408, 570, 770, 1012, 1300};

constexpr Integer GolayMinLeng = 5;
constexpr Integer GolayMaxLeng = 25;
constexpr Integer SmoothMinLeng = 3;
constexpr Integer NoMaxLeng = std::numeric_limits<Integer>::max();

// The messages of one moving-window routine.
struct TWindowTexts {
  const char* Missing;
  const char* Range;
  const char* OutOfRange;
  const char* Even;
};

constexpr TWindowTexts MovAvgTexts = {
    "MovingAverageSmooth: either SourceVec or DestVec is undefined",
    "MovingAverageSmooth: specified range for smoothing is smaller than the length of the "
    "smoothing windows",
    "MovingAverageSmooth: length of smoothing window is out of range",
    "MovingAverageSmooth: length of smoothing window must be odd"};
constexpr TWindowTexts MovMedTexts = {
    "MovingMedianSmooth: either SourceVec or DestVec is undefined",
    "MovingMedianSmooth: specified range for smoothing is smaller than the length of the "
    "smoothing windows",
    "MovingMedianSmooth: length of smoothing window is out of range",
    "MovingMedianSmooth: length of smoothing window must be odd"};
constexpr TWindowTexts WeightAvgTexts = {
    "WeightedAverageSmooth: either SourceVec or DestVec is undefined",
    "WeightedAverageSmooth: specified range for smoothing is smaller than the length of the "
    "smoothing windows",
    "WeightedAverageSmooth: length of smoothing window is out of range",
    "WeightedAverageSmooth: length of smoothing window must be odd"};
constexpr TWindowTexts PolyTexts = {
    "PolynomialSmooth: either SourceVec or DestVec is undefined",
    "PolynomialSmooth: specified range for smoothing is smaller than the length of the "
    "polynomial",
    "PolynomialSmooth: length of polynomial is out of range",
    "PolynomialSmooth: length of polynomial must be odd"};
constexpr TWindowTexts Deriv2Texts = {
    "SecondDeriv: either SourceVec or DestVec is undefined",
    "SecondDeriv: specified range for smoothing is smaller than the length of the polynomial",
    "SecondDeriv: length of polynomial is out of range",
    "SecondDeriv: length of polynomial must be odd"};
constexpr TWindowTexts Deriv1Texts = {
    "FirstDeriv: either SourceVec or DestVec is undefined",
    "FirstDeriv: specified range for calculation is smaller than the length of the polynomial",
    "FirstDeriv: length of polynomial is out of range",
    "FirstDeriv: length of polynomial must be odd"};

// Clamps both bounds into 1..n and puts them in order.
void ClampRange(const TVector* Vec, Integer& First, Integer& Last) {
  const Integer n = Vec->NrOfElem();
  First = std::clamp<Integer>(First, 1, n);
  Last = std::clamp<Integer>(Last, 1, n);
  if (Last < First) std::swap(First, Last);
}

// The checks every moving-window routine makes, in their order.
void CheckWindow(const TVector* Source, Integer& First, Integer& Last, const TVector* Dest,
                 Integer Leng, Integer MinLeng, Integer MaxLeng, const TWindowTexts& Texts) {
  if (Source == nullptr || Dest == nullptr) throw ESDLMath2Error(Texts.Missing);
  ClampRange(Source, First, Last);
  if (Last - First < Leng) throw ESDLMath2Error(Texts.Range);
  if (Leng < MinLeng || Leng > MaxLeng) throw ESDLMath2Error(Texts.OutOfRange);
  if (Leng % 2 == 0) throw ESDLMath2Error(Texts.Even);
}

std::vector<double> WorkBuffer(std::size_t n, const char* Routine) {
  try {
    return std::vector<double>(n);
  } catch (const std::bad_alloc&) {
    throw ESDLMath2Error(String(Routine) + ": not enough memory on heap");
  } catch (const std::length_error&) {
    throw ESDLMath2Error(String(Routine) + ": not enough memory on heap");
  }
}

// Runs the window over the checked range: Result(x, i) gives the value at centre i, where x
// points at the source's element 1 (x[i - 1] is element i). The edges repeat the first and last
// computed values, then the result goes to the destination's positions 1..count at once.
template <class F>
void RunWindow(const TVector* Source, Integer First, Integer Last, TVector* Dest, Integer Leng,
               const char* Routine, F Result) {
  const Integer h = Leng / 2;
  const Integer count = Last - First + 1;
  std::vector<double> out = WorkBuffer(static_cast<std::size_t>(count), Routine);
  const double* x = Source->DataPtr();
  for (Integer i = First + h; i <= Last - h; ++i) out[i - First] = Result(x, i);
  std::fill(out.begin(), out.begin() + h, out[h]);
  std::fill(out.end() - h, out.end(), out[count - h - 1]);
  const Integer n = std::min(count, Dest->NrOfElem());
  std::copy(out.begin(), out.begin() + n, Dest->DataPtr());
  Dest->SetIsEmpty(false);
  Dest->Changed();
}

// The centred weighted sum of a Savitzky-Golay row: (c_0 x[i] + sum c_k (x[i+k] + x[i-k])) / N.
double GolaySum(const Integer (&Row)[GolayCols], const double* x, Integer i, Integer h) {
  Extended s = static_cast<Extended>(Row[1]) * x[i - 1];
  for (Integer k = 1; k <= h; ++k)
    s += static_cast<Extended>(Row[k + 1]) * (static_cast<Extended>(x[i + k - 1]) + x[i - k - 1]);
  return static_cast<double>(s / Row[0]);
}

}  // namespace

// ---- moving windows --------------------------------------------------------------------------

void MovingAverageSmooth(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                         TVector* DestVec, Integer WinLeng) {
  CheckWindow(SourceVec, FirstElem, LastElem, DestVec, WinLeng, SmoothMinLeng, NoMaxLeng,
              MovAvgTexts);
  const Integer h = WinLeng / 2;
  RunWindow(SourceVec, FirstElem, LastElem, DestVec, WinLeng, "MovingAverageSmooth",
            [&](const double* x, Integer i) {
              Extended s = 0;
              for (Integer k = -h; k <= h; ++k) s += x[i + k - 1];
              return static_cast<double>(s / WinLeng);
            });
}

void MovingMedianSmooth(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                        TVector* DestVec, Integer WinLeng) {
  CheckWindow(SourceVec, FirstElem, LastElem, DestVec, WinLeng, SmoothMinLeng, NoMaxLeng,
              MovMedTexts);
  const Integer h = WinLeng / 2;
  std::vector<double> work = WorkBuffer(static_cast<std::size_t>(WinLeng), "MovingMedianSmooth");
  // For an odd count the vector's interpolated second quartile is the middle sorted value; a
  // partial selection finds it. Values that are not numbers go to the top, so the selection
  // always has an order to work with.
  const auto less = [](double a, double b) { return a < b || (!std::isnan(a) && std::isnan(b)); };
  RunWindow(SourceVec, FirstElem, LastElem, DestVec, WinLeng, "MovingMedianSmooth",
            [&](const double* x, Integer i) {
              std::copy(x + (i - h - 1), x + (i + h), work.begin());
              std::nth_element(work.begin(), work.begin() + h, work.end(), less);
              return work[h];
            });
}

void WeightedAverageSmooth(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                           TVector* DestVec, Integer WinLeng) {
  CheckWindow(SourceVec, FirstElem, LastElem, DestVec, WinLeng, SmoothMinLeng, NoMaxLeng,
              WeightAvgTexts);
  const Integer h = WinLeng / 2;
  const Extended norm = static_cast<Extended>(WinLeng + 1) * (WinLeng + 1);
  RunWindow(SourceVec, FirstElem, LastElem, DestVec, WinLeng, "WeightedAverageSmooth",
            [&](const double* x, Integer i) {
              Extended s = 0;
              for (Integer k = -h; k <= h; ++k)
                s += static_cast<Extended>(h + 1 - std::abs(k)) * x[i + k - 1];
              return static_cast<double>(4 * s / norm);
            });
}

void PolynomialSmooth(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                      TVector* DestVec, Integer PolyLeng) {
  CheckWindow(SourceVec, FirstElem, LastElem, DestVec, PolyLeng, GolayMinLeng, GolayMaxLeng,
              PolyTexts);
  const Integer h = PolyLeng / 2;
  const auto& row = GolayPoly[h - 2];
  RunWindow(SourceVec, FirstElem, LastElem, DestVec, PolyLeng, "PolynomialSmooth",
            [&](const double* x, Integer i) { return GolaySum(row, x, i, h); });
}

void SecondDeriv(const TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                 Integer PolyLeng) {
  CheckWindow(SourceVec, FirstElem, LastElem, DestVec, PolyLeng, GolayMinLeng, GolayMaxLeng,
              Deriv2Texts);
  const Integer h = PolyLeng / 2;
  const auto& row = Golay2ndDeriv[h - 2];
  RunWindow(SourceVec, FirstElem, LastElem, DestVec, PolyLeng, "SecondDeriv",
            [&](const double* x, Integer i) { return GolaySum(row, x, i, h); });
}

void FirstDeriv(const TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                Integer PolyLeng) {
  CheckWindow(SourceVec, FirstElem, LastElem, DestVec, PolyLeng, GolayMinLeng, GolayMaxLeng,
              Deriv1Texts);
  const Integer h = PolyLeng / 2;
  const Extended norm = FirstDerivNorm[h - 2];
  RunWindow(SourceVec, FirstElem, LastElem, DestVec, PolyLeng, "FirstDeriv",
            [&](const double* x, Integer i) {
              Extended s = 0;
              for (Integer k = -h; k <= h; ++k) s += static_cast<Extended>(k) * x[i + k - 1];
              return static_cast<double>(s / norm);
            });
}

// ---- windowed-sinc kernels -------------------------------------------------------------------

namespace {

constexpr Integer WindowHamming = 1;
constexpr Integer WindowBlackman = 2;

// The 0-based index of the centre tap.
std::size_t CentreTap(Integer NTaps) { return static_cast<std::size_t>(NTaps / 2); }

TDoubleArray LowPassTaps(Integer NTaps, double fc, Integer Window) {
  if (NTaps < 1) return {};
  constexpr double pi = std::numbers::pi;
  fc = std::clamp(fc, 0.0, 0.5);
  TDoubleArray k(static_cast<std::size_t>(NTaps));
  const Integer c = NTaps / 2 + 1;
  for (Integer t = 1; t <= NTaps; ++t) {
    double v = (t == c) ? 2 * pi * fc : std::sin(2 * pi * fc * (t - c)) / (t - c);
    const double phase = 2 * pi * t / (NTaps + 1);
    if (Window == WindowHamming)
      v *= 0.54 - 0.46 * std::cos(phase);
    else if (Window == WindowBlackman)
      v *= 0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2 * phase);
    k[t - 1] = v;
  }
  double sum = 0;
  for (double v : k) sum += v;
  if (sum != 0)
    for (double& v : k) v /= sum;
  return k;
}

// Spectral inversion: the negated kernel plus 1 at the centre tap.
void Invert(TDoubleArray& k) {
  if (k.empty()) return;
  for (double& v : k) v = -v;
  k[CentreTap(static_cast<Integer>(k.size()))] += 1;
}

TDoubleArray HighPassTaps(Integer NTaps, double fc, Integer Window) {
  TDoubleArray k = LowPassTaps(NTaps, fc, Window);
  Invert(k);
  return k;
}

TDoubleArray BandStopTaps(Integer NTaps, double f1, double f2, Integer Window) {
  TDoubleArray k = LowPassTaps(NTaps, std::min(f1, f2), Window);
  const TDoubleArray hp = HighPassTaps(NTaps, std::max(f1, f2), Window);
  for (std::size_t t = 0; t < k.size(); ++t) k[t] += hp[t];
  return k;
}

TDoubleArray BandPassTaps(Integer NTaps, double f1, double f2, Integer Window) {
  TDoubleArray k = BandStopTaps(NTaps, f1, f2, Window);
  Invert(k);
  return k;
}

void ToVector(const TDoubleArray& Taps, Integer NTaps, TVector* Kernel) {
  if (Kernel == nullptr || NTaps < 1) return;
  Kernel->Resize(NTaps);
  std::copy(Taps.begin(), Taps.end(), Kernel->DataPtr());
  Kernel->SetIsEmpty(false);
  Kernel->Changed();
}

}  // namespace

void CalcSincLPKernel(Integer NTaps, double fc, Integer Window, TDoubleArray& Kernel) {
  Kernel = LowPassTaps(NTaps, fc, Window);
}
void CalcSincLPKernel(Integer NTaps, double fc, Integer Window, TVector* Kernel) {
  ToVector(LowPassTaps(NTaps, fc, Window), NTaps, Kernel);
}
void CalcSincHPKernel(Integer NTaps, double fc, Integer Window, TDoubleArray& Kernel) {
  Kernel = HighPassTaps(NTaps, fc, Window);
}
void CalcSincHPKernel(Integer NTaps, double fc, Integer Window, TVector* Kernel) {
  ToVector(HighPassTaps(NTaps, fc, Window), NTaps, Kernel);
}
void CalcSincBSKernel(Integer NTaps, double f1, double f2, Integer Window, TDoubleArray& Kernel) {
  Kernel = BandStopTaps(NTaps, f1, f2, Window);
}
void CalcSincBSKernel(Integer NTaps, double f1, double f2, Integer Window, TVector* Kernel) {
  ToVector(BandStopTaps(NTaps, f1, f2, Window), NTaps, Kernel);
}
void CalcSincBPKernel(Integer NTaps, double f1, double f2, Integer Window, TDoubleArray& Kernel) {
  Kernel = BandPassTaps(NTaps, f1, f2, Window);
}
void CalcSincBPKernel(Integer NTaps, double f1, double f2, Integer Window, TVector* Kernel) {
  ToVector(BandPassTaps(NTaps, f1, f2, Window), NTaps, Kernel);
}

void MovingKernelFilter(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                        TVector* DestVec, const TVector* FilterKernel) {
  if (SourceVec == nullptr || DestVec == nullptr || FilterKernel == nullptr)
    throw ESDLMath2Error("MovingKernelfilter: SourceVec, DestVec and/or FilterKernel is undefined");
  ClampRange(SourceVec, FirstElem, LastElem);
  const Integer K = FilterKernel->NrOfElem();
  const Integer h = K / 2;
  if (LastElem - FirstElem < K)
    throw ESDLMath2Error(
        "MovingKernelfilter: specified range for smoothing is smaller than the length of the "
        "kernel");
  const Integer count = LastElem - FirstElem + 1;
  std::vector<double> out = WorkBuffer(static_cast<std::size_t>(count), "MovingKernelfilter");
  const double* x = SourceVec->DataPtr();
  const double* kern = FilterKernel->DataPtr();
  for (Integer i = FirstElem; i <= LastElem; ++i) {
    Extended s = 0;
    for (Integer j = 1; j <= K; ++j) {
      const Integer p = std::clamp<Integer>(i - h + j - 1, FirstElem, LastElem);
      s += static_cast<Extended>(kern[j - 1]) * x[p - 1];
    }
    out[i - FirstElem] = static_cast<double>(s);
  }
  // Resized only now: the source may be the destination.
  DestVec->Resize(SourceVec->NrOfElem());
  std::copy(out.begin(), out.begin() + std::min(count, DestVec->NrOfElem()), DestVec->DataPtr());
  DestVec->SetIsEmpty(false);
  DestVec->Changed();
}

// ---- recursive Chebyshev filters -------------------------------------------------------------

namespace {

constexpr Integer ChebMaxPoles = 20;
constexpr std::size_t ChebCascadeLen = ChebMaxPoles + 3;
constexpr double ChebMaxRipple = 29;

// The biquad of one pole pair, in the z-plane, transformed to the cutoff.
struct TBiquad {
  double a0, a1, a2, b1, b2;
};

TBiquad PolePairSection(Integer p, Integer NPoles, bool HighPass, double fc, double Ripple) {
  constexpr double pi = std::numbers::pi;
  const double angle = pi / (2.0 * NPoles) + (p - 1) * pi / NPoles;
  double rp = -std::cos(angle);
  double ip = std::sin(angle);
  if (Ripple != 0) {
    // Warp the circle of poles into an ellipse.
    const double es = std::sqrt(std::pow(100 / (100 - Ripple), 2) - 1);
    const double vx = std::log(1 / es + std::sqrt(1 / (es * es) + 1)) / NPoles;
    double kx = std::log(1 / es + std::sqrt(1 / (es * es) - 1)) / NPoles;
    kx = std::cosh(kx);
    rp = rp * std::sinh(vx) / kx;
    ip = ip * std::cosh(vx) / kx;
  }
  // s-plane to z-plane (bilinear transform).
  const double t = 2 * std::tan(0.5);
  const double m = rp * rp + ip * ip;
  double d = 4 - 4 * rp * t + m * t * t;
  const double x0 = t * t / d;
  const double x1 = 2 * t * t / d;
  const double x2 = x0;
  const double y1 = (8 - 2 * m * t * t) / d;
  const double y2 = (-4 - 4 * rp * t - m * t * t) / d;
  // Low-pass of cutoff 1/(2 pi) to the wanted low- or high-pass.
  const double w = 2 * pi * fc;
  const double k = HighPass ? -std::cos(w / 2 + 0.5) / std::cos(w / 2 - 0.5)
                            : std::sin(0.5 - w / 2) / std::sin(w / 2 + 0.5);
  d = 1 + y1 * k - y2 * k * k;
  TBiquad q;
  q.a0 = (x0 - x1 * k + x2 * k * k) / d;
  q.a1 = (-2 * x0 * k + x1 + x1 * k * k - 2 * x2 * k) / d;
  q.a2 = (x0 * k * k - x1 * k + x2) / d;
  q.b1 = (2 * k + y1 + y1 * k * k - 2 * y2 * k) / d;
  q.b2 = (-k * k - y1 * k + y2) / d;
  if (HighPass) {
    q.a1 = -q.a1;
    q.b1 = -q.b1;
  }
  return q;
}

}  // namespace

void CalcChebFilterCoeffs(Integer NPoles, bool HighPass, double fc, double Ripple, double& a0,
                          TMatrix* Coeffs) {
  if (NPoles % 2 != 0) throw ESDLMath2Error("CalcChebFilterCoeffs: NPoles must be even");
  // The cascade below holds the polynomials of at most 20 poles.
  if (NPoles < 2 || NPoles > ChebMaxPoles)
    throw ESDLMath2Error("CalcChebFilterCoeffs: NPoles must be in the range 2..20");
  if (!(Ripple >= 0 && Ripple <= ChebMaxRipple))
    throw ESDLMath2Error("CalcChebFilterCoeffs: invalid Ripple value");
  if (!(fc >= 0 && fc <= 0.5))
    throw ESDLMath2Error("CalcChebFilterCoeffs: invalid cutoff frequency");
  if (Coeffs == nullptr)
    throw ESDLMath2Error("CalcChebFilterCoeffs: coefficient matrix is undefined");

  // Numerator (A) and denominator (B) polynomials, shifted by two places so that the
  // cascade may read two places below each coefficient.
  double A[ChebCascadeLen] = {};
  double B[ChebCascadeLen] = {};
  A[2] = 1;
  B[2] = 1;
  for (Integer p = 1; p <= NPoles / 2; ++p) {
    const TBiquad q = PolePairSection(p, NPoles, HighPass, fc, Ripple);
    double TA[ChebCascadeLen], TB[ChebCascadeLen];
    std::copy(std::begin(A), std::end(A), TA);
    std::copy(std::begin(B), std::end(B), TB);
    for (std::size_t i = 2; i < ChebCascadeLen; ++i) {
      A[i] = q.a0 * TA[i] + q.a1 * TA[i - 1] + q.a2 * TA[i - 2];
      B[i] = TB[i] - q.b1 * TB[i - 1] - q.b2 * TB[i - 2];
    }
  }
  B[2] = 0;
  for (std::size_t i = 0; i + 2 < ChebCascadeLen; ++i) {
    A[i] = A[i + 2];
    B[i] = -B[i + 2];
  }
  // Unity gain at zero frequency (low-pass) or at the Nyquist frequency (high-pass).
  double sa = 0, sb = 0;
  for (std::size_t i = 0; i + 2 < ChebCascadeLen; ++i) {
    const double sign = (HighPass && i % 2 == 1) ? -1.0 : 1.0;
    sa += A[i] * sign;
    sb += B[i] * sign;
  }
  const double gain = sa / (1 - sb);
  for (std::size_t i = 0; i + 2 < ChebCascadeLen; ++i) A[i] /= gain;

  a0 = A[0];
  Coeffs->Resize(2, NPoles);
  for (Integer k = 1; k <= NPoles; ++k) {
    Coeffs->SetVal(1, k, A[k]);
    Coeffs->SetVal(2, k, B[k]);
  }
}

void ChebychevFilter(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                     TVector* DestVec, double a0, const TMatrix* Coeffs) {
  if (SourceVec == nullptr || DestVec == nullptr || Coeffs == nullptr || LastElem < 1) return;
  // A matrix without the second column holds no recursion to apply.
  if (Coeffs->NrOfColumns() < 2) return;
  const Integer p = Coeffs->NrOfRows();
  const Integer o = p + 1;
  const Integer n = SourceVec->NrOfElem();
  if (LastElem > std::numeric_limits<Integer>::max() - 2 * o)
    throw ESDLMath2Error("ChebychevFilter: not enough memory on heap");
  const Integer len = LastElem + 2 * o;
  const double* x = SourceVec->DataPtr();
  const double* A = Coeffs->ColumnPtr(1);
  const double* B = Coeffs->ColumnPtr(2);
  auto src = [&](Integer pos) { return (pos >= 1 && pos <= n) ? x[pos - 1] : 0.0; };
  // Positions 1..len, with p zeros of margin on both sides for the recursions' reach.
  std::vector<double> T1 = WorkBuffer(static_cast<std::size_t>(len) + 2 * p + 1, "ChebychevFilter");
  std::vector<double> T2 = WorkBuffer(T1.size(), "ChebychevFilter");
  auto at = [p](std::vector<double>& T, Integer pos) -> double& { return T[pos + p]; };
  for (Integer e = 1; e <= len; ++e) {
    double y = a0 * src(e - o);
    for (Integer k = 1; k <= p; ++k) y += A[k - 1] * src(e - k - o) + B[k - 1] * at(T1, e - k);
    at(T1, e) = y;
  }
  for (Integer e = len; e >= 1; --e) {
    double y = a0 * at(T1, e);
    for (Integer k = 1; k <= p; ++k) y += A[k - 1] * at(T1, e + k) + B[k - 1] * at(T2, e + k);
    at(T2, e) = y;
  }
  // Positions before 1 lie outside the destination.
  for (Integer i = std::max<Integer>(FirstElem, 1); i <= LastElem; ++i)
    DestVec->SetVal(i, at(T2, i + o));
}
