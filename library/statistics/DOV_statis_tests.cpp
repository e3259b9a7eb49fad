// Statistical tests. The Dean-Dixon critical values live in DOV_statis_deandixon.cpp; the
// Wilcoxon table is counted here from its definition on first use.

#include "DOV_statis_tests.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "DOV_dstruct.h"
#include "DOV_math1.h"
#include "DOV_math2.h"
#include "DOV_univconst.h"

namespace {

double RoundHalfEven(double x) { return std::nearbyint(x); }

double Poly(const double* c, int count, double x) {
  double r = 0;
  for (int i = count - 1; i >= 0; --i) r = r * x + c[i];
  return r;
}

int Sign(Integer v) { return v < 0 ? -1 : 1; }

std::vector<double> Values(const TVector* v) {
  return std::vector<double>(v->DataPtr(), v->DataPtr() + v->NrOfElem());
}

[[noreturn]] void Fail(const String& Text) { throw ESDLStatisError(Text); }

// A test cannot judge NaN or infinite values: it refuses them with its own error.
void RequireFinite(const std::vector<double>& x, const String& Routine) {
  for (double v : x)
    if (!std::isfinite(v)) Fail(Routine + ": data contain a value that is not finite");
}

struct TSampleStats {
  Integer n = 0;
  long double mean = 0, dev = 0;
};

// Mean and sample deviation (n - 1) in extended precision, whose range holds the squares of any
// doubles, so data near 1e300 or 1e-300 keep their spread; dev 0 below two values.
TSampleStats SampleStats(const std::vector<double>& x) {
  TSampleStats s;
  s.n = static_cast<Integer>(x.size());
  if (s.n == 0) return s;
  long double sum = 0;
  for (double v : x) sum += v;
  s.mean = sum / s.n;
  long double ss = 0;
  for (double v : x) ss += (v - s.mean) * (v - s.mean);
  s.dev = s.n >= 2 ? std::sqrt(ss / (s.n - 1)) : 0;
  return s;
}

}  // namespace

// ---- outliers ------------------------------------------------------------------------------

Integer DeanDixonTest(const TVector* Data, TSignifLevelEx level, double& Q) {
  Q = 0;
  const Integer n = Data->NrOfElem();
  if (n <= 2) Fail("DeanDixonTest: number of data points is too low");
  if (n > 100) Fail("DeanDixonTest: number of data points is too high");
  std::vector<double> x = Values(Data);
  std::sort(x.begin(), x.end());
  auto at = [&](Integer i) { return x[static_cast<std::size_t>(i - 1)]; };
  auto ratio = [](double num, double den) { return den == 0 ? 0.0 : num / den; };
  double rL, rH;
  if (n <= 7) {
    rL = ratio(at(2) - at(1), at(n) - at(1));
    rH = ratio(at(n) - at(n - 1), at(n) - at(1));
  } else if (n <= 10) {
    rL = ratio(at(2) - at(1), at(n - 1) - at(1));
    rH = ratio(at(n) - at(n - 1), at(n) - at(2));
  } else if (n <= 13) {
    rL = ratio(at(3) - at(1), at(n - 1) - at(1));
    rH = ratio(at(n) - at(n - 2), at(n) - at(2));
  } else {
    rL = ratio(at(3) - at(1), at(n - 2) - at(1));
    rH = ratio(at(n) - at(n - 2), at(n) - at(3));
  }
  const double suspect = rH > rL ? at(n) : at(1);
  Q = rH > rL ? rH : rL;
  if (!(Q > DeanDixonCriticalValues(n, level))) return 0;
  for (Integer i = 1; i <= n; ++i)
    if (Data->GetVal(i) == suspect) return i;
  return 0;
}

double GrubbsCriticalValues(Integer n, double alpha, bool TwoSided) {
  if (!(alpha > 0 && alpha < 1) || n <= 2) return -1;
  const double t = tDistriQuantile(1 - alpha / ((TwoSided ? 2.0 : 1.0) * n), n - 2);
  return (n - 1) / std::sqrt(double(n)) * std::sqrt(t * t / (n - 2 + t * t));
}

Integer GrubbsTest(const TVector* Data, double alpha, double& G) {
  G = 0;
  if (!(alpha > 0 && alpha < 1)) Fail("GrubbsTest: invalid level of significance");
  const Integer n = Data->NrOfElem();
  if (n <= 3) Fail("GrubbsTest: number of data points is too low");
  const std::vector<double> x = Values(Data);
  RequireFinite(x, "GrubbsTest");
  const TSampleStats stats = SampleStats(x);
  if (!(stats.dev > 0)) return 0;
  Integer ix = 0;
  for (Integer i = 1; i <= n; ++i) {
    const double g = double(std::fabs(x[std::size_t(i - 1)] - stats.mean) / stats.dev);
    if (g > G) {
      G = g;
      ix = i;
    }
  }
  return G > GrubbsCriticalValues(n, alpha, true) ? ix : 0;
}

// ---- normality -----------------------------------------------------------------------------

namespace {

double KSStatistic(const TVector* Data) {
  const Integer n = Data->NrOfElem();
  double d = 0;
  for (Integer i = 1; i <= n; ++i) {
    const double f = nDistriIntegral(Data->GetVal(i));
    d = std::max({d, std::fabs(double(i) / n - f), std::fabs(double(i - 1) / n - f)});
  }
  return d;
}

}  // namespace

double PerformKSNormalityTest(TVector* Data, bool DataSorted) {
  if (!DataSorted) Data->SortElems(true, 0, 0);
  return KSStatistic(Data);
}

double PerformLillieforsTest(TVector* Data, bool DataSorted) {
  double mean, dev;
  Data->Standardize(mean, dev);
  if (!DataSorted) Data->SortElems(true, 0, 0);
  return KSStatistic(Data);
}

namespace {

// Royston's polynomials, constant term first.
const double kSwG[] = {-2.273, 0.459};
const double kSwC1[] = {0.0, 0.221157, -0.147981, -2.07119, 4.434685, -2.706056};
const double kSwC2[] = {0.0, 0.042981, -0.293762, -1.752461, 5.682633, -3.582633};
const double kSwC3[] = {0.544, -0.39978, 0.025054, -0.0006714};
const double kSwC4[] = {1.3822, -0.77857, 0.062767, -0.0020322};
const double kSwC5[] = {-1.5861, -0.31082, -0.083751, 0.0038915};
const double kSwC6[] = {-0.4803, -0.082676, 0.0030302};
const double kSwC7[] = {0.164, 0.533};
const double kSwC8[] = {0.1736, 0.315};
const double kSwC9[] = {0.256, -0.00635};
constexpr double kSwSmall = 1e-15;
constexpr double kSwSixByPi = 1.9098593171027440;
constexpr double kSwThirdPi = 1.047198;  // the library's value for pi / 3
constexpr Integer kSwMaxValues = 5000;

// The coefficients a[1 .. N div 2] (index 0 unused).
std::vector<double> ShapiroWilkCoefficients(Integer N) {
  const Integer h = N / 2;
  std::vector<double> a(static_cast<std::size_t>(h) + 1, 0.0);
  if (N == 3) {
    a[1] = std::sqrt(2.0) / 2;
    return a;
  }
  std::vector<double> m(a.size(), 0.0);
  double summ2 = 0;
  for (Integer i = 1; i <= h; ++i) {
    m[i] = nDistriQuantile((i - 0.375) / (N + 0.25));
    summ2 += m[i] * m[i];
  }
  summ2 *= 2;
  const double ssumm2 = std::sqrt(summ2);
  const double rsn = 1 / std::sqrt(double(N));
  const double a1 = Poly(kSwC1, 6, rsn) - m[1] / ssumm2;
  Integer first;
  double fac;
  if (N < 6) {
    fac = std::sqrt((summ2 - 2 * m[1] * m[1]) / (1 - 2 * a1 * a1));
    first = 2;
  } else {
    const double a2 = -m[2] / ssumm2 + Poly(kSwC2, 6, rsn);
    fac = std::sqrt((summ2 - 2 * m[1] * m[1] - 2 * m[2] * m[2]) / (1 - 2 * a1 * a1 - 2 * a2 * a2));
    a[2] = a2;
    first = 3;
  }
  a[1] = a1;
  for (Integer i = first; i <= h; ++i) a[i] = -m[i] / fac;
  return a;
}

// The p-value of W, computed as the upper tail itself: 1 - (1 - p) would round a p below
// 1e-16 to 0.
double ShapiroWilkPValue(double W, Integer n, Integer NCens) {
  const Integer N = n + NCens;
  if (N == 3) {
    // 1.047198 stands for pi / 3, which puts p a hair outside 0 .. 1 at the ends.
    const double p = kSwSixByPi * (std::asin(std::sqrt(std::clamp(W, 0.0, 1.0))) - kSwThirdPi);
    return std::clamp(p, 0.0, 1.0);
  }
  if (!(W < 1)) return 1;  // a perfect fit
  double y = std::log(1 - W), m, s;
  if (N <= 11) {
    const double gamma = Poly(kSwG, 2, N);
    if (y >= gamma) return kSwSmall;
    y = -std::log(gamma - y);
    m = Poly(kSwC3, 4, N);
    s = std::exp(Poly(kSwC4, 4, N));
  } else {
    const double ln = std::log(double(N));
    m = Poly(kSwC5, 4, ln);
    s = std::exp(Poly(kSwC6, 3, ln));
  }
  if (NCens > 0) {
    const double ld = -std::log(double(NCens) / N);
    const double xx = std::log(double(N));
    const double bf = 1 + 0.8378 * xx;
    const double z90 = 1.2816 + bf * std::pow(Poly(kSwC7, 2, std::pow(0.556, xx)), ld);
    const double z95 = 1.6449 + bf * std::pow(Poly(kSwC8, 2, std::pow(0.622, xx)), ld);
    const double z99 = 2.3263 + bf * std::pow(Poly(kSwC9, 2, xx), ld);
    const double zfm = (z90 + z95 + z99) / 3;
    const double zsd =
        (1.2816 * (z90 - zfm) + 1.6449 * (z95 - zfm) + 2.3263 * (z99 - zfm)) / 0.56268;
    m += s * (zfm - 1.7509 * zsd);
    s *= zsd;
  }
  return nDistriIntegral(-(y - m) / s);
}

}  // namespace

double ShapiroWilkIntegral(double W, Integer n, Integer NCens) {
  return 1 - ShapiroWilkPValue(W, n, NCens);
}

Integer ShapiroWilkTest(TVector* Data, Integer NCens, double& PW, double& W) {
  PW = 1;
  if (W >= 0) W = 1;
  const Integer n = Data->NrOfElem();
  if (n <= 2) return 1;
  const Integer N = n + NCens;
  if (NCens < 0 || (NCens > 0 && N < 20)) return 4;
  if (double(NCens) / N > 0.8) return 5;
  RequireFinite(Values(Data), "Shapiro-Wilk test");
  const std::vector<double> a = ShapiroWilkCoefficients(N);
  auto coeff = [&](Integer i, Integer j) { return Sign(i - j) * a[std::min(i, j)]; };
  Data->SortElems(true, 0, 0);
  // The values scaled by a power of two to below 2 in magnitude: exact, so W is that of the
  // data as given, and "all equal" means equal to the last 1e-15 of their size, whatever it is.
  const double largest = std::max(std::fabs(Data->GetVal(1)), std::fabs(Data->GetVal(n)));
  if (largest == 0) return 6;
  const int scale = std::ilogb(largest);
  auto x = [&](Integer i) { return std::scalbn(Data->GetVal(i), -scale); };
  const double range = x(n) - x(1);
  if (!(range >= kSwSmall)) return 6;
  double xx = x(1) / range, sx = xx, sa = -a[1];
  for (Integer i = 2, j = N - 1; i <= n; ++i, --j) {
    const double xi = x(i) / range;
    if (xx - xi > kSwSmall) Fail("Shapiro-Wilk test: the data has to be sorted in ascending order");
    sx += xi;
    if (i != j) sa += coeff(i, j);
    xx = xi;
  }
  const Integer result = N > kSwMaxValues ? 2 : 0;
  sa /= n;
  sx /= n;
  double ssa = 0, ssx = 0, sax = 0;
  for (Integer i = 1, j = N; i <= n; ++i, --j) {
    const double asa = i == j ? -sa : coeff(i, j) - sa;
    const double xsx = x(i) / range - sx;
    ssa += asa * asa;
    ssx += xsx * xsx;
    sax += asa * xsx;
  }
  const double ssassx = std::sqrt(ssa * ssx);
  W = 1 - (ssassx - sax) * (ssassx + sax) / (ssa * ssx);
  PW = std::clamp(ShapiroWilkPValue(W, n, NCens), 0.0, 1.0);
  return result;
}

// ---- Wilcoxon ------------------------------------------------------------------------------

const double WilcoxonAlphas[5] = {0.1, 0.05, 0.02, 0.01, 0.001};

namespace {

constexpr Integer kWilcoxonFirstN = 6;
constexpr Integer kWilcoxonLastN = 100;
// The levels as 1 / denominator, so the comparison with the counts stays in integers.
constexpr int kWilcoxonAlphaDenominators[5] = {10, 20, 50, 100, 1000};

using TWilcoxonTable = std::array<std::array<Integer, 5>, kWilcoxonLastN + 1>;

// count[t] = number of sign patterns of ranks 1 .. n whose positive ranks sum to t. The counts
// reach 2^100, so they are 128-bit integers; P(T <= t) <= alpha / 2 is
// 2 * denominator * cumulative <= 2^n.
TWilcoxonTable CountWilcoxonTable() {
  __extension__ using TCount = unsigned __int128;
  TWilcoxonTable table{};
  const std::size_t maxSum = kWilcoxonLastN * (kWilcoxonLastN + 1) / 2;
  std::vector<TCount> count(maxSum + 1, 0);
  count[0] = 1;
  for (Integer n = 1; n <= kWilcoxonLastN; ++n) {
    for (std::size_t t = maxSum; t >= static_cast<std::size_t>(n); --t) count[t] += count[t - n];
    if (n < kWilcoxonFirstN) continue;
    const TCount patterns = TCount(1) << n;
    for (int c = 0; c < 5; ++c) {
      const TCount scale = 2 * TCount(kWilcoxonAlphaDenominators[c]);
      TCount cumulative = 0;
      Integer critical = 0;
      for (std::size_t t = 0; t <= maxSum; ++t) {
        cumulative += count[t];
        if (cumulative * scale > patterns) break;
        critical = static_cast<Integer>(t);
      }
      table[n][c] = critical;
    }
  }
  return table;
}

const TWilcoxonTable& WilcoxonTable() {
  static const TWilcoxonTable table = CountWilcoxonTable();
  return table;
}

}  // namespace

Integer WilcoxonSRTableValue(Integer n, Integer column) {
  if (n < kWilcoxonFirstN || n > kWilcoxonLastN || column < 1 || column > 5) return -1;
  return WilcoxonTable()[n][column - 1];
}

Integer WilcoxonSRQuantile(Integer n, double alpha, bool TwoSided) {
  if (n <= 7 || n > 1000000) return -1;
  if (!(alpha >= 0.000499999 && alpha <= 0.20000001)) return -1;
  if (n <= kWilcoxonLastN) {
    const int count = n == 8 ? 3 : n <= 10 ? 4 : 5;
    TCurveFit fit(nullptr);
    for (int c = 0; c < count; ++c)
      fit.EnterStatValue(std::log(WilcoxonAlphas[c]), WilcoxonTable()[n][c]);
    double k0, k1, k2, quality;
    fit.CalcParabolFit(k0, k1, k2, quality);
    const double L = std::log(TwoSided ? alpha : 2 * alpha);
    return static_cast<Integer>(std::max(0.0, RoundHalfEven(k0 + k1 * L + k2 * L * L)));
  }
  const double z = -nDistriQuantile(TwoSided ? alpha / 2 : alpha);
  const double nn = n;
  return static_cast<Integer>(
      RoundHalfEven(nn * (nn + 1) / 4 - z * std::sqrt(nn * (nn + 1) * (2 * nn + 1) / 24)));
}

// ---- analysis of variance ------------------------------------------------------------------

double Anova1F(const TVector* Data, const TIntVector* Classes, double& SSBetween, double& SSWithin,
               double& SSTotal, Integer& DfBetween, Integer& DfWithin, Integer& DfTotal,
               double& F) {
  const Integer N = Data->NrOfElem();
  std::vector<Integer> labels;
  std::vector<long double> totals;
  std::vector<Integer> counts;
  long double sumsq = 0, total = 0;
  for (Integer i = 1; i <= N; ++i) {
    const Integer label = Classes->GetVal(i);
    const long double x = Data->GetVal(i);
    auto it = std::find(labels.begin(), labels.end(), label);
    std::size_t g = static_cast<std::size_t>(it - labels.begin());
    if (it == labels.end()) {
      labels.push_back(label);
      totals.push_back(0);
      counts.push_back(0);
    }
    totals[g] += x;
    counts[g] += 1;
    sumsq += x * x;
    total += x;
  }
  const Integer k = static_cast<Integer>(labels.size());
  if (k < 2) return -1;
  if (k >= N) return -2;
  long double between = 0;
  for (Integer g = 0; g < k; ++g) between += totals[g] * totals[g] / counts[g];
  const long double correction = total * total / N;
  SSTotal = double(sumsq - correction);
  SSBetween = double(between - correction);
  SSWithin = double(sumsq - between);
  DfBetween = k - 1;
  DfWithin = N - k;
  DfTotal = N - 1;
  const double msb = SSBetween / DfBetween, msw = SSWithin / DfWithin;
  if (msw != 0) {
    F = msb / msw;
    return 1 - FDistriIntegral(F, DfBetween, DfWithin);
  }
  if (msb != 0) {
    F = double(uc_MaxReal);
    return 0;
  }
  F = 0;
  return -3;
}

// ---- runs ----------------------------------------------------------------------------------

namespace {

double Binom(Integer n, Integer k) {
  if (n < 0 || k < 0 || n < k) return 0;
  return RoundHalfEven(std::exp(LnBinomCoeff(n, k)));
}

constexpr Integer kRunsExactLimit = 25;
constexpr double kRunsLevel = 0.05;

}  // namespace

double ExactRunsTest(Integer n1, Integer n2, Integer r) {
  const Integer a = std::min(n1, n2), b = std::max(n1, n2);
  double p = 0;
  for (Integer i = 2; i <= r; ++i) {
    const Integer k = i / 2;
    if (i % 2 == 0)
      p += 2 * Binom(a - 1, k - 1) * Binom(b - 1, k - 1);
    else
      p += Binom(a - 1, k) * Binom(b - 1, k - 1) + Binom(a - 1, k - 1) * Binom(b - 1, k);
  }
  return p / Binom(a + b, a);
}

bool RunsTest(const TBitFld* Bits, double& p) {
  Integer n1 = 0, n0 = 0, runs = 1;
  for (Integer i = 0; i <= Bits->Size(); ++i) {
    const bool bit = Bits->GetBit(i);
    (bit ? n1 : n0) += 1;
    if (i > 0 && bit != Bits->GetBit(i - 1)) ++runs;
  }
  if (n1 > kRunsExactLimit || n0 > kRunsExactLimit) {
    const double a = n1, b = n0;
    const double s = std::sqrt(2 * a * b * (2 * a * b - a - b) / ((a + b) * (a + b) * (a + b - 1)));
    if (s == 0) {
      p = 0;
      return true;
    }
    const double z = (runs - 2 * a * b / (a + b) - 1) / s;
    p = z <= 0 ? nDistriIntegral(z) : 1 - nDistriIntegral(z);
  } else {
    p = ExactRunsTest(n0, n1, runs);
  }
  return p < kRunsLevel;
}

bool RunsTestSerial(const TVector* Data, double& p) {
  p = -1;
  const Integer n = Data->NrOfElem();
  double q1, median, q3;
  if (n < 2 || !Data->Quartiles(0, 0, q1, median, q3)) return false;
  // Bits 0 .. n - 1: a field of size n - 1 holds exactly the n signs.
  TBitFld bits(nullptr);
  bits.SetSize(n - 1);
  for (Integer i = 1; i <= n; ++i) bits.SetBit(i - 1, Data->GetVal(i) > median);
  return RunsTest(&bits, p);
}

// ---- Mann-Whitney --------------------------------------------------------------------------

double PerformMannWhitneyUTest(const TVector* Data1, const TVector* Data2, bool OneSided,
                               double& U) {
  const Integer n1 = Data1->NrOfElem(), n2 = Data2->NrOfElem();
  // NaN has no rank (infinities have theirs).
  for (const TVector* data : {Data1, Data2})
    if (HasNaN(data->DataPtr(), data->NrOfElem()))
      Fail("PerformMannWhitneyUTest: data contain a value that is not a number");
  struct TItem {
    double value;
    int sample;
  };
  std::vector<TItem> all;
  for (Integer i = 1; i <= n1; ++i) all.push_back({Data1->GetVal(i), 1});
  for (Integer i = 1; i <= n2; ++i) all.push_back({Data2->GetVal(i), 2});
  std::stable_sort(all.begin(), all.end(),
                   [](const TItem& a, const TItem& b) { return a.value < b.value; });
  double r1 = 0, r2 = 0;
  for (std::size_t i = 0; i < all.size();) {
    std::size_t j = i + 1;
    while (j < all.size() && all[j].value == all[i].value) ++j;
    const double rank = (double(i + 1) + double(j)) / 2;  // mean of ranks i + 1 .. j
    for (std::size_t q = i; q < j; ++q) (all[q].sample == 1 ? r1 : r2) += rank;
    i = j;
  }
  const double u1 = double(n1) * n2 + double(n2) * (n2 + 1) / 2 - r2;
  const double u2 = double(n1) * n2 + double(n1) * (n1 + 1) / 2 - r1;
  U = std::min(u1, u2);
  // P(U' <= U): the observed U belongs to the tail (P(U' < U) would make complete
  // separation, U = 0, look impossible with p = 0).
  const double p = UDistriIntegral(static_cast<Integer>(RoundHalfEven(U)) + 1, n1, n2);
  return OneSided ? p : std::min(1.0, 2 * p);
}

// ---- t tests -------------------------------------------------------------------------------

namespace {

void RequireValues(Integer n) {
  if (n == 0) Fail("Perform2SampleTTest: number of data points is zero");
  if (n < 2) Fail("Perform2SampleTTest: number of data points is too low");
}

}  // namespace

double Perform2SampleTTest(const TVector* Data1, const TVector* Data2, TtTestVersion Version,
                           bool OneSided, double& Mean1, double& Mean2, double& Dev1, double& Dev2,
                           double& MeanDiff, double& DevDiff, double& t, Integer& df) {
  Mean1 = Mean2 = Dev1 = Dev2 = MeanDiff = DevDiff = t = 0;
  df = 0;
  const std::vector<double> x1 = Values(Data1), x2 = Values(Data2);
  if (Version == ttPaired && x1.size() != x2.size())
    Fail("Perform2SampleTTest: paired t-test requires equal number of data points");
  RequireValues(static_cast<Integer>(x1.size()));
  RequireValues(static_cast<Integer>(x2.size()));
  RequireFinite(x1, "Perform2SampleTTest");
  RequireFinite(x2, "Perform2SampleTTest");
  // The statistic is formed in extended precision throughout: the squared deviations of data
  // near 1e300 or 1e-300 leave the double range.
  const TSampleStats s1 = SampleStats(x1), s2 = SampleStats(x2);
  Mean1 = double(s1.mean);
  Mean2 = double(s2.mean);
  Dev1 = double(s1.dev);
  Dev2 = double(s2.dev);
  const long double n1 = s1.n, n2 = s2.n;
  if (Version == ttPaired) {
    std::vector<double> diff(x1.size());
    for (std::size_t i = 0; i < diff.size(); ++i) diff[i] = x1[i] - x2[i];
    RequireFinite(diff, "Perform2SampleTTest");
    const TSampleStats d = SampleStats(diff);
    MeanDiff = double(d.mean);
    DevDiff = double(d.dev);
    if (d.dev == 0) Fail("Perform2SampleTTest: standard deviation of paired is zero");
    t = double(std::sqrt(n1) * std::fabs(d.mean) / d.dev);
    df = s1.n - 1;
  } else if (Version == ttHomoScedastic) {
    const long double sp =
        std::sqrt(((n1 - 1) * s1.dev * s1.dev + (n2 - 1) * s2.dev * s2.dev) / (n1 + n2 - 2));
    if (sp == 0) Fail("Perform2SampleTTest: pooled standard deviation is zero");
    t = double((s1.mean - s2.mean) / (sp * std::sqrt(1 / n1 + 1 / n2)));
    df = s1.n + s2.n - 2;
  } else {
    const long double v1 = s1.dev * s1.dev / n1, v2 = s2.dev * s2.dev / n2, v = v1 + v2;
    if (v == 0) Fail("Perform2SampleTTest: pooled standard deviation is zero");
    t = double(std::fabs(s1.mean - s2.mean) / std::sqrt(v));
    // Welch's degrees of freedom lie between min(n1, n2) - 1 and n1 + n2 - 2.
    df = static_cast<Integer>(std::trunc(v * v / (v1 * v1 / (n1 - 1) + v2 * v2 / (n2 - 1))));
  }
  double p = tDistriIntegral(t, df);
  if (p > 0.5) p = 1 - p;
  return OneSided ? p : 2 * p;
}

double Perform2SampleTTest(const TVector* Data1, const TVector* Data2, TtTestVersion Version,
                           bool OneSided) {
  double m1, m2, d1, d2, md, dd, t;
  Integer df;
  return Perform2SampleTTest(Data1, Data2, Version, OneSided, m1, m2, d1, d2, md, dd, t, df);
}

// ---- percentile and density ----------------------------------------------------------------

Integer PercentileOfArray(TDoubleArray& Data, double prob, Integer First, Integer Last,
                          double& Value) {
  Value = 0;
  if (!(prob >= 0 && prob <= 100)) return -2;
  if (Last < First) return -3;
  const Integer high = static_cast<Integer>(Data.size()) - 1;
  if (First < 0 || Last < 0 || First > high || Last > high) return -1;
  // The percentile rule of the vectors and matrices; data holding NaN have none (NaN).
  Value = RankPercentile(Data.data() + First, Last - First + 1, prob);
  return 0;
}

void EstimateProbDensity(TVector* Data, TVector* Density, double XFrom, double XTo, double Factor,
                         double Radius, Integer NumSteps, Integer& MinIx, Integer& MaxIx,
                         TDensityProgressProc Progress) {
  NumSteps = std::clamp<Integer>(NumSteps, 10, 10000);
  if (!(Factor > 0)) Factor = 1;
  Data->SortElems(true, 0, 0);
  const Integer n = Data->NrOfElem();
  auto x = [&](Integer i) { return Data->GetVal(i); };
  std::vector<double> width(static_cast<std::size_t>(n) + 1, Radius);
  const double allSteps = NumSteps + n;
  for (Integer i = 1; i <= n; ++i) {
    double sum = 0;
    Integer c = 0;
    for (Integer j = i + 1; j >= 2 && j <= n && std::fabs(x(j) - x(i)) < Radius; --j) {
      sum += std::fabs(x(j) - x(j - 1));
      ++c;
    }
    for (Integer j = i - 1; j >= 1 && j <= n - 1 && std::fabs(x(j) - x(i)) < Radius; ++j) {
      sum += std::fabs(x(j) - x(j + 1));
      ++c;
    }
    if (c > 0) width[i] = sum != 0 ? sum / c : Radius / c;
    if (Progress) Progress(nullptr, i, i / allSteps * 100);
  }
  Density->Resize(NumSteps + 1);
  const double norm = 1 / std::sqrt(2 * 3.1415926535897932385) / n;
  double largest = 0, smallest = double(uc_MaxDouble);
  MinIx = MaxIx = 0;
  for (Integer k = 0; k <= NumSteps; ++k) {
    const double at = XFrom + k * (XTo - XFrom) / NumSteps;
    double sum = 0;
    for (Integer j = 1; j <= n; ++j) {
      double h = Factor * width[j];
      if (h == 0) h = Factor;
      const double z = (at - x(j)) / h;
      sum += std::exp(-0.5 * z * z) / h;
    }
    const double d = norm * sum;
    Density->SetVal(k + 1, d);
    if (d > largest) {
      largest = d;
      MaxIx = k + 1;
    }
    if (d < smallest) {
      smallest = d;
      MinIx = k + 1;
    }
    if (Progress) Progress(nullptr, n + k + 1, (n + k + 1) / allSteps * 100);
  }
}
