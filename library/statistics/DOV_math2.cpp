#include "DOV_math2.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "DOV_math1.h"
#include "DOV_math2_moments.h"
#include "DOV_matrix.h"
#include "DOV_univconst.h"
#include "DOV_vector.h"

static_assert(std::numeric_limits<Extended>::digits == 64,
              "the curve fit's sums need the 80-bit extended type");

namespace {

constexpr Integer kRowsPerGrowth = 1000;
// Values within this distance of 0 have no usable reciprocal.
constexpr Extended kTinyValue = 1e-30L;
// What a reciprocal of (nearly) zero contributes instead.
constexpr Extended kNoReciprocal = uc_MaxReal;
constexpr double kLargestDouble = std::numeric_limits<double>::max();

}  // namespace

TCurveFit::TCurveFit(TComponent* AOwner) : TComponent(AOwner), FData(new TMatrix(nullptr)) {
  FData->Resize(2, kRowsPerGrowth);
  Init();
}

TCurveFit::~TCurveFit() = default;

void TCurveFit::Init() {
  FSums = TCurveFitSums{};
  FDev = TCurveFitDeviations{};
  FNumData = 0;
  FPSplineFQ = 0;
  FData->Fill(0);
  FMinX = FMinY = kLargestDouble;
  FMaxX = FMaxY = -kLargestDouble;
  FErrIndic.Clear();
  // A spline prepared before would still describe the points just dropped.
  MarkCachesStale();
}

void TCurveFit::MarkCachesStale() {
  FSplineValid = false;
  FKendallValid = false;
  FPenSplineValid = false;
}

Integer TCurveFit::EnterStatValue(double x, double y) {
  // The matrix grows first: when memory runs out the point is in neither representation.
  if (FData->NrOfRows() < FNumData + 1) FData->Resize(2, FData->NrOfRows() + kRowsPerGrowth);
  AdjustSums(x, y, +1);
  ++FNumData;
  FData->SetVal(1, FNumData, x);
  FData->SetVal(2, FNumData, y);
  MarkCachesStale();
  return FNumData;
}

// Removal must take away bit for bit what the addition put in, so both run through here: the
// same thresholds, the same substitutes, the same skipped terms, each term negated.
void TCurveFit::AdjustSums(double xd, double yd, int Sign) {
  const bool adding = Sign > 0;
  const Extended sg = Sign;
  const Extended x = xd, y = yd;
  const Extended M = kNoReciprocal;
  TCurveFitSums& s = FSums;
  auto flag = [&](TCurveFitError e) {
    if (adding) FErrIndic.Include(e);
  };
  auto add = [&](Extended& sum, Extended term) { sum += sg * term; };

  if (adding) {
    if (!(xd >= FMinX)) FMinX = xd;
    if (!(yd >= FMinY)) FMinY = yd;
    if (xd > FMaxX) FMaxX = xd;
    if (yd > FMaxY) FMaxY = yd;
    AddDeviations(xd, yd);
  }

  add(s.sumx, x);
  add(s.sumy, y);
  add(s.sumxq, x * x);
  add(s.sumyq, y * y);
  s.sumDiff = adding ? s.sumDiff + x - y : s.sumDiff - x + y;
  add(s.SumDiffq, (x - y) * (x - y));
  add(s.sumxy, x * y);
  add(s.sumx2y, x * x * y);
  add(s.sumxy2, y * y * x);
  add(s.sumx3, x * x * x);
  add(s.sumy3, y * y * y);
  add(s.sumx4, (x * x) * (x * x));
  add(s.sumy4, (y * y) * (y * y));

  const bool xUsable = std::fabs(x) > kTinyValue;
  if (std::fabs(y) > kTinyValue) {
    add(s.sum1byy, 1 / y);
    add(s.sum1byyq, 1 / (y * y));
    add(s.sumxbyy, x / y);
    if (xUsable) {
      add(s.sum1byxy, (1 / x) / y);
    } else {
      add(s.sum1byxy, M / y);
      flag(cfeXEQ0);
    }
  } else {
    flag(cfeYEQ0);
    add(s.sum1byy, M);
    add(s.sum1byyq, M * M);
    add(s.sumxbyy, M * x);
    if (xUsable) {
      add(s.sum1byxy, M / x);
    } else {
      add(s.sum1byxy, M);
      flag(cfeXEQ0);
    }
  }

  if (xUsable) {
    add(s.sum1byx, 1 / x);
    add(s.sum1byxq, 1 / (x * x));
    add(s.sumybyx, y / x);
  } else {
    flag(cfeXEQ0);
    add(s.sum1byx, M);
    add(s.sum1byxq, M * M);
    add(s.sumybyx, M * y);
  }

  if (x <= 0) {
    flag(cfeXLE0);
  } else {
    const Extended L = std::log(x);
    add(s.sumlnx, L);
    add(s.sumlnxq, L * L);
    add(s.sumylnx, y * L);
    add(s.sumxlnx, x * L);
    add(s.sumyqlnx, y * y * L);
    if (y == 0) {
      flag(cfeYEQ0);
    } else {
      add(s.sumlnxbyy, L / y);
    }
    if (y <= 0) {
      flag(cfeYLE0);
    } else {
      add(s.sumlnxlny, L * std::log(y));
    }
  }

  if (y <= 0) {
    flag(cfeYLE0);
  } else {
    const Extended K = std::log(y);
    add(s.sumlny, K);
    add(s.sumylny, y * K);
    add(s.sumlnyq, K * K);
    add(s.sumxlny, x * K);
    add(s.sumxqlny, x * x * K);
    if (x == 0) {
      flag(cfeXEQ0);
    } else {
      add(s.sumlnybyx, K / x);
    }
  }
}

void TCurveFit::AddDeviations(double x, double y) {
  TCurveFitDeviations& v = FDev;
  if (!v.HasRef) {
    v = TCurveFitDeviations{};
    v.HasRef = true;
    v.x0 = x;
    v.y0 = y;
  }
  const Extended dx = static_cast<Extended>(x) - v.x0, dy = static_cast<Extended>(y) - v.y0;
  const Extended dd = (static_cast<Extended>(x) - y) - (static_cast<Extended>(v.x0) - v.y0);
  v.dx += dx;
  v.dy += dy;
  v.dd += dd;
  v.dxx += dx * dx;
  v.dyy += dy * dy;
  v.dxy += dx * dy;
  v.ddd += dd * dd;
  v.dx3 += dx * dx * dx;
  v.dy3 += dy * dy * dy;
  v.dx2y += dx * dx * dy;
  v.dxy2 += dx * dy * dy;
}

// Subtracting a point's deviations would leave the reference where it was, possibly far from
// the points that stay (the first point of 0, 1e12 + 1, 1e12 + 2, ... removed), and the
// subtraction's rounding behind; the rows are moved anyway, so the sums are taken afresh.
void TCurveFit::RebuildDeviations() {
  FDev = TCurveFitDeviations{};
  const double* xs = FData->ColumnPtr(1);
  const double* ys = FData->ColumnPtr(2);
  for (Integer r = 0; r < FNumData; ++r) AddDeviations(xs[r], ys[r]);
}

void TCurveFit::RemoveStatValue(Integer ix) {
  if (ix >= 1 && ix <= FNumData) {
    AdjustSums(FData->GetVal(1, ix), FData->GetVal(2, ix), -1);
    for (Integer c = 1; c <= 2; ++c) {
      double* col = FData->ColumnPtr(c);
      for (Integer r = ix; r < FNumData; ++r) col[r - 1] = col[r];
    }
    --FNumData;
    FData->Changed();
    RebuildDeviations();
  }
  MarkCachesStale();
}

void TCurveFit::FlipXY() {
  TCurveFitSums& s = FSums;
  ExChange(FMinX, FMinY);
  ExChange(FMaxX, FMaxY);
  ExChange(s.sumx, s.sumy);
  ExChange(s.sumxq, s.sumyq);
  ExChange(s.sumx2y, s.sumxy2);
  ExChange(s.sumx3, s.sumy3);
  ExChange(s.sumx4, s.sumy4);
  ExChange(s.sum1byy, s.sum1byx);
  ExChange(s.sum1byyq, s.sum1byxq);
  ExChange(s.sumxbyy, s.sumybyx);
  ExChange(s.sumlnx, s.sumlny);
  ExChange(s.sumlnxq, s.sumlnyq);
  ExChange(s.sumylnx, s.sumxlny);
  ExChange(s.sumxlnx, s.sumylny);
  ExChange(s.sumlnxbyy, s.sumlnybyx);
  ExChange(s.sumxqlny, s.sumyqlnx);
  s.sumDiff = -s.sumDiff;
  TCurveFitDeviations& v = FDev;
  std::swap(v.x0, v.y0);
  std::swap(v.dx, v.dy);
  std::swap(v.dxx, v.dyy);
  std::swap(v.dx3, v.dy3);
  std::swap(v.dx2y, v.dxy2);
  v.dd = -v.dd;  // dxy and ddd stay
  double* xs = FData->ColumnPtr(1);
  double* ys = FData->ColumnPtr(2);
  for (Integer r = 0; r < FData->NrOfRows(); ++r) ExChange(xs[r], ys[r]);
  FData->Changed();
  // The indicators are symmetric in x and y, so exchanging them gives what entering the
  // flipped points would; the prepared splines and rank counts describe the old axes.
  TCurveFitErrors flipped;
  const std::pair<TCurveFitError, TCurveFitError> pairs[] = {
      {cfeXLE0, cfeYLE0}, {cfeYLE0, cfeXLE0}, {cfeXEQ0, cfeYEQ0}, {cfeYEQ0, cfeXEQ0}};
  for (const auto& [from, to] : pairs)
    if (FErrIndic.Contains(from)) flipped.Include(to);
  FErrIndic = flipped;
  MarkCachesStale();
}

// ---- statistics ------------------------------------------------------------------------------

double TCurveFit::MeanX() const {
  return FNumData > 0 ? static_cast<double>(FSums.sumx / FNumData) : 0.0;
}
double TCurveFit::MeanY() const {
  return FNumData > 0 ? static_cast<double>(FSums.sumy / FNumData) : 0.0;
}
double TCurveFit::MeanDiff() const {
  return FNumData > 0 ? static_cast<double>(FSums.sumDiff / FNumData) : 0.0;
}

// Sum of squared deviations about the mean, from the sum of the deviations from the reference
// point and the sum of their squares: the reference is one of the points, so the square of the
// sum costs at most the digits of n.
static Extended CentredSquares(Extended SumSq, Extended Sum, Extended n) {
  return SumSq - Sum * Sum / n;
}

double TCurveFit::StdDev(Extended SumSq, Extended Sum) const {
  if (FNumData < 3) return 0;
  const Extended n = FNumData;
  return static_cast<double>(std::sqrt(std::fabs(CentredSquares(SumSq, Sum, n) / (n - 1))));
}

double TCurveFit::StdDevX() const { return StdDev(FDev.dxx, FDev.dx); }
double TCurveFit::StdDevY() const { return StdDev(FDev.dyy, FDev.dy); }
double TCurveFit::StdDevDiff() const { return StdDev(FDev.ddd, FDev.dd); }

// Extended precision holds the products of data anywhere in the double range (1e160 squared,
// or 1e-170), so r needs no scaling; the clamp keeps rounding from taking it a last bit beyond
// +-1 (exactly correlated points far from 0 gave 1.0000076 from the sums about 0).
double TCurveFit::CorrCoeff() const {
  if (FNumData < 3 || FSums.sumxq <= 0 || FSums.sumyq <= 0) return 0;
  const Extended n = FNumData;
  const Extended sxx = CentredSquares(FDev.dxx, FDev.dx, n);
  const Extended syy = CentredSquares(FDev.dyy, FDev.dy, n);
  if (!(sxx > 0 && syy > 0)) return 0;
  const Extended sxy = FDev.dxy - FDev.dx * FDev.dy / n;
  return static_cast<double>(std::clamp<Extended>(sxy / std::sqrt(sxx) / std::sqrt(syy), -1, 1));
}

void TCurveFit::CalcStatistics(Integer& NumData, double& MeanX_, double& MeanY_, double& StdevX,
                               double& StdevY, double& MeanDiff_, double& StdevDiff,
                               double& rxy) const {
  MeanX_ = MeanY_ = StdevX = StdevY = MeanDiff_ = StdevDiff = rxy = 0;
  if (FNumData > 0) {
    MeanX_ = MeanX();
    MeanY_ = MeanY();
    MeanDiff_ = MeanDiff();
  }
  if (FNumData >= 3) {
    StdevX = StdDevX();
    StdevY = StdDevY();
    StdevDiff = StdDevDiff();
    rxy = CorrCoeff();
  }
  NumData = FNumData;
}

bool TCurveFit::QuartilesX(double& q1, double& q2, double& q3) const {
  q1 = q2 = q3 = 0;
  return FNumData >= 1 && FData->Quartiles(1, 1, 1, FNumData, q1, q2, q3);
}

bool TCurveFit::QuartilesY(double& q1, double& q2, double& q3) const {
  q1 = q2 = q3 = 0;
  return FNumData >= 1 && FData->Quartiles(2, 1, 2, FNumData, q1, q2, q3);
}

double TCurveFit::SkewnessX() const {
  double g = 0, k = 0;
  if (FNumData >= 1) FData->SkewKurtSample(1, 1, 1, FNumData, g, k);
  return g;
}
double TCurveFit::SkewnessY() const {
  double g = 0, k = 0;
  if (FNumData >= 1) FData->SkewKurtSample(2, 1, 2, FNumData, g, k);
  return g;
}
double TCurveFit::KurtosisX() const {
  double g = 0, k = 0;
  if (FNumData >= 1) FData->SkewKurtSample(1, 1, 1, FNumData, g, k);
  return k;
}
double TCurveFit::KurtosisY() const {
  double g = 0, k = 0;
  if (FNumData >= 1) FData->SkewKurtSample(2, 1, 2, FNumData, g, k);
  return k;
}

// atan2 instead of atan(S / C) with quadrant fix-ups: the same angle wherever C is not 0, and a
// defined one where it is (all angles 90 degrees, or no points at all).
double TCurveFit::CalcMeanDegrees(Integer Nc) const {
  const double* v = FData->ColumnPtr(Nc);
  double S = 0, C = 0;
  for (Integer r = 0; r < FNumData; ++r) {
    S += std::sin(v[r] * M_PI / 180);
    C += std::cos(v[r] * M_PI / 180);
  }
  double a = std::atan2(S, C) * 180 / M_PI;
  if (a < 0) a += 360;
  if (a >= 360) a -= 360;  // a tiny negative angle rounds up to 360
  return a;
}

double TCurveFit::MeanAngleX() const { return CalcMeanDegrees(1); }
double TCurveFit::MeanAngleY() const { return CalcMeanDegrees(2); }

// ---- least squares at any scale ----------------------------------------------------------

namespace {

// The mean of n finite values, in units of 2^-Pre: values beyond 2^990 (whose sum could
// overflow) are scaled near 1 first, the rest are taken as they are. Returns false when a value
// is not finite. The mean is the library's mean of a set of values.
bool ScaledMean(const double* v, Integer n, int& Pre, double& Mean) {
  double big = 0;
  for (Integer i = 0; i < n; ++i) {
    if (!std::isfinite(v[i])) return false;
    big = std::max(big, std::fabs(v[i]));
  }
  Pre = ScaleExponent(big, 990);
  double variance;
  SampleMeanVar(
      [&](auto f) {
        for (Integer i = 0; i < n; ++i) f(Scaled(v[i], Pre));
      },
      Mean, variance);
  return true;
}

}  // namespace

bool ScaledDeviations(const double* v, Integer n, double& Mean, int& E, std::vector<double>& d) {
  int pre = 0;
  double m = 0;
  if (!ScaledMean(v, n, pre, m)) return false;
  d.resize(static_cast<std::size_t>(std::max<Integer>(n, 0)));
  double big = 0;
  for (Integer i = 0; i < n; ++i) {
    d[i] = Scaled(v[i], pre) - m;
    big = std::max(big, std::fabs(d[i]));
  }
  const int e = big > 0 ? -(std::ilogb(big) + 1) : 0;
  for (double& x : d) x = std::scalbn(x, e);
  Mean = Scaled(m, -pre);
  E = pre + e;
  return true;
}

bool ScaledMoments(const double* u, const double* t, Integer n, TScaledMoments& m) {
  m = TScaledMoments{};
  std::vector<double> du, dt;
  if (!ScaledDeviations(u, n, m.um, m.Eu, du) || !ScaledDeviations(t, n, m.tm, m.Et, dt))
    return false;
  for (Integer i = 0; i < n; ++i) {
    const double a = du[i], b = dt[i];
    m.Su += a;
    m.St += b;
    m.Suu += a * a;
    m.Stt += b * b;
    m.Sut += a * b;
    m.Su3 += a * a * a;
    m.Su4 += a * a * a * a;
    m.Su2t += a * a * b;
  }
  return true;
}

// The line is fitted to the scaled deviations (ScaledMoments), so data of any magnitude give
// it wherever it is representable; the scales come back in k and d only. A slope or intercept
// beyond the double range is refused, as are values that are not finite.
void TCurveFit::CalcLinFit(double& k, double& d, double& FitQual) const {
  k = d = FitQual = 0;
  const Integer n = FNumData;
  if (n < 2) throw ESDLMath2Error("CalcLinFit: not enough data points");
  TScaledMoments m;
  if (!ScaledMoments(FData->ColumnPtr(1), FData->ColumnPtr(2), n, m))
    throw ESDLMath2Error("CalcLinFit: values must be finite");
  const double D = n * m.Suu - m.Su * m.Su;
  if (D == 0) throw ESDLMath2Error("CalcLinFit: slope is infinite");
  const double ks = (n * m.Sut - m.Su * m.St) / D;  // the slope in scaled units
  const double kk = std::scalbn(ks, m.Eu - m.Et);
  const double dd = std::scalbn((m.Suu * m.St - m.Su * m.Sut) / D, -m.Et) - kk * m.um + m.tm;
  if (!std::isfinite(kk)) throw ESDLMath2Error("CalcLinFit: slope is infinite");
  if (!std::isfinite(dd)) throw ESDLMath2Error("CalcLinFit: result beyond the double range");
  // r^2 = k Sxy / Syy about the means, free of the scales. Su and St are the rounding left by
  // the means; taking them out keeps the centring exact. The intercept must stay out of it: for
  // data far from 0 it is huge, and St times it is no longer 0.
  const double V = m.Stt - m.St * m.St / n;
  k = kk;
  d = dd;
  FitQual = V != 0 ? std::clamp(ks * (m.Sut - m.Su * m.St / n) / V, 0.0, 1.0) : 1;
}

double TCurveFit::DataX(Integer ix) const {
  return ix >= 1 && ix <= FNumData ? FData->GetVal(1, ix) : 0.0;
}

double TCurveFit::DataY(Integer ix) const {
  return ix >= 1 && ix <= FNumData ? FData->GetVal(2, ix) : 0.0;
}

// ---- settings of the splines -----------------------------------------------------------------

void TCurveFit::SetSplineSmoothing(double Value) {
  FPSplineSmooth = Value;
  FPenSplineValid = false;
}
void TCurveFit::SetY1Dash(double Value) {
  FY1Dash = Value;
  FSplineValid = false;
}
void TCurveFit::SetYNDash(double Value) {
  FYNDash = Value;
  FSplineValid = false;
}
void TCurveFit::SetNatural1(bool Value) {
  FNatural1 = Value;
  FSplineValid = false;
}
void TCurveFit::SetNaturalN(bool Value) {
  FNaturalN = Value;
  FSplineValid = false;
}

void RegisterStatisticsClasses() {
  RegisterComponentClass("TCurveFit",
                         [](TComponent* o) -> TComponent* { return new TCurveFit(o); });
}
