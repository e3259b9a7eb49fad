// Probability distributions and the special functions behind them.
//
// The arithmetic is the library's long-standing one (six-term Lanczos lnGamma, incomplete gamma
// and beta stopping at 1e-8), so the values stay what earlier releases gave. What is new is
// that every search ends: the bisections stop when the bracket no longer shrinks or after
// kMaxHalvings, the bracket widenings after kMaxWidenings, the series after kMaxSeriesTerms,
// and the normal quantile reads the lower tail of the normal distribution without the
// cancellation of 1 - P, so tiny probabilities converge instead of spinning.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "DOV_math1.h"
#include "DOV_statis.h"
#include "DOV_univconst.h"
#include "SysUtils.h"

namespace {

constexpr double kPi = 3.1415926535897932385;
constexpr double kGammaEps = 1e-8;
constexpr int kGammaCfTerms = 100;  // the counter runs from 1 while below 100
constexpr int kBetaCfTerms = 100;
constexpr long kMaxSeriesTerms = 10'000'000;
constexpr int kMaxHalvings = 200;
constexpr int kMaxWidenings = 2000;
constexpr double kQuantileTol = 1e-8;
constexpr int kMaxKSIterations = 1000;
constexpr double kKSTolerance = 1e-4;
constexpr double kKSScale = 1e140;
constexpr int kKSScaleExponent = 140;
constexpr Integer kMaxUSample = 300;

// Nearest integer, halves to even (the default rounding mode).
double RoundHalfEven(double x) { return std::nearbyint(x); }

// The regularised incomplete gamma function as both tails: P(a, x) exactly as the library
// computes it, and Q(a, x) = 1 - P(a, x) without cancellation where the continued fraction
// gives it directly. x > 0 and a > 0.
struct TGammaTails {
  double P, Q;
};

TGammaTails GammaTails(double x, double a) {
  const double f = std::exp(a * std::log(x) - x - LnGamma(a));
  if (x < a + 1) {
    double ap = a, term = 1.0 / a, sum = term;
    for (long i = 0; i < kMaxSeriesTerms; ++i) {
      ap += 1;
      term = term * x / ap;
      sum += term;
      // A term that is 0 or not finite can change nothing more (a beyond the double range).
      if (std::fabs(term) < kGammaEps * std::fabs(sum) || term == 0 || !std::isfinite(term)) break;
    }
    const double p = f * sum;
    return {p, 1 - p};
  }
  double a0 = 1, a1 = x, b0 = 0, b1 = 1, fac = 1, g = 0, gold = 0;
  for (int i = 1; i < kGammaCfTerms; ++i) {
    a0 = (a1 + a0 * (i - a)) * fac;
    b0 = (b1 + b0 * (i - a)) * fac;
    a1 = x * a0 + i * fac * a1;
    b1 = x * b0 + i * fac * b1;
    if (a1 != 0) {
      fac = 1.0 / a1;
      g = b1 * fac;
      if (std::fabs((g - gold) / g) < kGammaEps) break;
      gold = g;
    }
  }
  const double q = f * g;
  return {1 - q, q};
}

// The continued fraction of the incomplete beta function.
double BetaCf(double a, double b, double x) {
  double am = 1, bm = 1, az = 1;
  double bz = 1 - (a + b) * x / (a + 1);
  for (int m = 1; m <= kBetaCfTerms; ++m) {
    const double t = a + 2.0 * m;
    const double d = m * (b - m) * x / ((t - 1) * t);
    const double ap = az + d * am;
    const double bp = bz + d * bm;
    const double d2 = -(a + m) * (a + b + m) * x / (t * (t + 1));
    const double app = ap + d2 * az;
    const double bpp = bp + d2 * bz;
    const double aold = az;
    am = ap / bpp;
    bm = bp / bpp;
    az = app / bpp;
    bz = 1;
    if (std::fabs(az - aold) < kGammaEps * std::fabs(az)) break;
  }
  return az;
}

// The standard normal CDF with the lower tail taken from Q directly: what the quantile search
// compares with p (it equals nDistriIntegral but for rounding where that one cancels).
double NormalCdfForSearch(double z) {
  if (z > 0) return nDistriIntegral(z);
  if (z == 0) return 0.5;
  return GammaTails(z * z / 2, 0.5).Q / 2;
}

// Bisection on [lo, hi] for the x with cdf(x) = p: stops when the test holds, when the
// bracket no longer shrinks or after kMaxHalvings, and returns the midpoint.
template <class Cdf, class Done>
double Bisect(Cdf cdf, double p, double lo, double hi, Done done) {
  double mid = (lo + hi) / 2;
  for (int i = 0; i < kMaxHalvings; ++i) {
    mid = (lo + hi) / 2;
    const double c = cdf(mid);
    if (done(c) || !(c == c)) break;
    if (mid == lo || mid == hi) break;
    if (c < p)
      lo = mid;
    else
      hi = mid;
  }
  return mid;
}

// The widening of the t, chi-square and F searches, then the bisection to 1e-8 absolute.
template <class Cdf>
double WidenAndBisect(Cdf cdf, double p, double lo, double hi) {
  double oldLo = 0, oldHi = 0;
  for (int i = 0; i < kMaxWidenings && cdf(lo) >= p; ++i) {
    oldLo = lo;
    lo -= (hi - lo) / 2;
  }
  for (int i = 0; i < kMaxWidenings && cdf(hi) <= p; ++i) {
    oldHi = hi;
    hi += (hi - lo) / 2;
  }
  if (oldLo != 0) hi = oldLo;
  if (oldHi != 0) lo = oldHi;
  return Bisect(cdf, p, lo, hi, [p](double c) { return std::fabs(c - p) < kQuantileTol; });
}

// ln n! as the library forms it.
double LnFact(double j) { return LnGamma(j + 1); }

}  // namespace

// ---- special functions ---------------------------------------------------------------------

double LnGamma(double x) {
  if (x <= 0) return 0;
  static const double c[6] = {76.18009173,  -86.50532033,  24.01409822,
                              -1.231739516, 0.00120858003, -5.36382e-06};
  double ser = 1;
  for (int j = 1; j <= 6; ++j) ser += c[j - 1] / (x + j - 1);
  return (x - 0.5) * std::log(x + 4.5) - (x + 4.5) + std::log(2.5066282746310005 * ser);
}

double IncompleteGamma(double x, double a) {
  if (x <= 0 || a <= 0) return 0;
  return GammaTails(x, a).P;
}

double Erf(double x) {
  const double p = IncompleteGamma(x * x, 0.5);
  return x < 0 ? -p : p;
}

double ErfApprox(double x) {
  // The nested form t (c1 + t (c2 + ... + t c9)), evaluated from the inside out.
  static const double c[9] = {1.00002368,  0.37409196, 0.09678418,  -0.18628806, 0.27886807,
                              -1.13520398, 1.48851587, -0.82215223, 0.17087277};
  const double t = 1 / (1 + 0.5 * std::fabs(x));
  double poly = c[8];
  for (int i = 7; i >= 0; --i) poly = c[i] + t * poly;
  const double e = t * std::exp(-x * x - 1.26551223 + t * poly);
  return x >= 0 ? 1 - e : 1 - (2 - e);
}

double LnBeta(double a, double b) {
  if (a < 0 || b < 0) return 0;
  return LnGamma(a) + LnGamma(b) - LnGamma(a + b);
}

double IncompleteBeta(double x, double a, double b) {
  if (x < 0) return 0;
  if (x > 1) return 1;
  double bt = 0;
  if (x != 0 && x != 1)
    bt = std::exp(LnGamma(a + b) - LnGamma(a) - LnGamma(b) + a * std::log(x) + b * std::log(1 - x));
  if (x < (a + 1) / (a + b + 2)) return bt * BetaCf(a, b, x) / a;
  return 1 - bt * BetaCf(b, a, 1 - x) / b;
}

// Exact in integers (each partial product C(n - k + i, i) is an integer), which is the nearest
// integer to the exponential of the log form wherever that form is accurate enough.
Integer BinomCoeff(Integer n, Integer k) {
  if (n < 0 || k < 0 || n < k) return 0;
  const std::int64_t kk = std::min<std::int64_t>(k, static_cast<std::int64_t>(n) - k);
  unsigned __int128 c = 1;
  for (std::int64_t i = 1; i <= kk; ++i) {
    c = c * static_cast<unsigned __int128>(n - kk + i) / static_cast<unsigned __int128>(i);
    if (c > static_cast<unsigned __int128>(std::numeric_limits<Integer>::max()))
      throw ESDLStatisError("BinomCoeff: result exceeds the integer range");
  }
  return static_cast<Integer>(c);
}

double LnBinomCoeff(Integer n, Integer k) {
  if (n < 0 || k < 0 || n < k) return -1;
  return LnFact(n) - LnFact(k) - LnFact(static_cast<double>(n) - k);
}

// ---- normal, t, chi-square, F --------------------------------------------------------------

double nDistriDensity(double x) {
  return std::exp(-x * x / 2) * static_cast<double>(uc_sqrt2pitom1);
}

double nDistriIntegral(double x) {
  const double p = IncompleteGamma(x * x / 2, 0.5);
  return x > 0 ? (1 + p) / 2 : (1 - p) / 2;
}

double nDistriQuantile(double p) {
  if (!(p > 0 && p < 1)) return 0;
  const double q = std::max(p, 1 - p);
  double tail = 1 - q;
  if (tail <= 0) tail = std::min(p, 1 - p);  // 1 - (1 - p) is 0 for p below 1e-17
  const double t = std::sqrt(-2 * std::log(tail));
  double z0 = t - (2.515517 + 0.802853 * t + 0.010328 * t * t) /
                      (1 + 1.432788 * t + 0.189269 * t * t + 0.001308 * t * t * t);
  if (p < 0.5) z0 = -z0;
  const double w = 0.1 * std::max(std::fabs(z0), 0.1);
  return Bisect(NormalCdfForSearch, p, z0 - w, z0 + w,
                [p](double c) { return std::fabs(c - p) / p < kQuantileTol; });
}

double tDistriDensity(double t, Integer df) {
  const double v = df;
  return std::exp(LnGamma((v + 1) / 2) - std::log(std::sqrt(v * kPi)) - LnGamma(v / 2) -
                  ((v + 1) / 2) * std::log(1 + t * t / v));
}

double tDistriIntegral(double t, Integer df) {
  const double v = df;
  const double i = IncompleteBeta(v / (v + t * t), v / 2, 0.5);
  return t <= 0 ? i / 2 : 1 - i / 2;
}

double tDistriQuantile(double p, Integer df) {
  if (!(p > 0 && p < 1) || df < 1) return 0;
  const double z = nDistriQuantile(std::max(p, 1 - p));
  const double v = df, v2 = v * v, v3 = v2 * v, v4 = v3 * v;
  const double z2 = z * z, z4 = z2 * z2, z6 = z4 * z2, z8 = z4 * z4;
  double t0 = z *
              (92160 * v4 + 23040 * v3 + 2880 * v2 - 3600 * v - 945 +
               z2 * (23040 * v3 + 15360 * v2 + 4080 * v - 1920) +
               z4 * (4800 * v2 + 4560 * v + 1482) + z6 * (720 * v + 776) + 79 * z8) /
              (92160 * v4);
  if (p < 0.5) t0 = -t0;
  const double w = 0.1 * std::max(std::fabs(t0), 0.1);
  return WidenAndBisect([df](double x) { return tDistriIntegral(x, df); }, p, t0 - w, t0 + w);
}

double Chi2DistriDensity(double x, Integer df) {
  if (x <= 0) return 0;
  const double h = df / 2.0;
  return std::exp((h - 1) * std::log(x) - x / 2 - h * std::log(2.0) - LnGamma(h));
}

double chi2DistriIntegral(double x, Integer df) { return IncompleteGamma(x / 2, df / 2.0); }

double chi2DistriQuantile(double p, Integer df) {
  if (!(p > 0 && p < 1) || df < 1) return 0;
  const double h = 2.0 / (9.0 * df);
  const double z = nDistriQuantile(p);
  const double base = 1 - h + z * std::sqrt(h);
  double x0 = df * base * base * base;
  if (x0 < 0) x0 = 0;
  const double w = 0.2 * std::max(std::fabs(x0), 0.1);
  return WidenAndBisect([df](double x) { return chi2DistriIntegral(x, df); }, p, x0 - w, x0 + w);
}

// At x = 0 the density's limit: 0 for df1 > 2, 1 for df1 = 2, infinite for df1 = 1.
double FDistriDensity(double x, Integer df1, Integer df2) {
  if (x < 0) return 0;
  if (x == 0) {
    if (df1 == 2) return 1;
    return df1 == 1 ? std::numeric_limits<double>::infinity() : 0;
  }
  const double a = df1, b = df2;
  return std::exp(LnGamma((a + b) / 2) - LnGamma(a / 2) - LnGamma(b / 2) +
                  (a / 2) * std::log(a / b) + (a / 2 - 1) * std::log(x) -
                  ((a + b) / 2) * std::log(1 + a * x / b));
}

// 0 for x <= 0: the beta argument would leave [0, 1] for negative x and give 1.
double FDistriIntegral(double x, Integer df1, Integer df2) {
  if (x <= 0) return 0;
  const double a = df1, b = df2;
  return 1 - IncompleteBeta(b / (b + a * x), b / 2, a / 2);
}

double FDistriQuantile(double p, Integer df1, Integer df2) {
  if (!(p > 0 && p < 1) || df1 < 1 || df2 < 1) return 0;
  const double z = nDistriQuantile(p);
  const double a = df1, b = df2;
  const double h = 2 / (1 / b + 1 / a);
  const double lambda = (z * z - 3) / 6;
  const double w =
      z * std::sqrt(h + lambda) / h - (1 / a - 1 / b) * (lambda + 5.0 / 6.0 - 2 / (3 * h));
  const double f0 = std::exp(2 * w);
  return WidenAndBisect([df1, df2](double x) { return FDistriIntegral(x, df1, df2); }, p,
                        std::max(0.9 * f0, 0.0), 1.1 * f0);
}

// ---- other distributions -------------------------------------------------------------------

double WeibullDensity(double x, double beta, double eta) {
  if (x <= 0 || eta <= 0) return 0;
  const double etaPow = std::exp(beta * std::log(eta));
  const double xPow = std::exp((beta - 1) * std::log(x));
  const double ratioPow = std::exp(beta * std::log(x / eta));
  return (beta / etaPow) * xPow * std::exp(-ratioPow);
}

double HyperGeoDistriDensity(double p, Integer npop, Integer nsample, Integer k) {
  if (p < 0 || p > 1)
    throw ESDLStatisError("HyperGeoDistriDensity: probability p must be between 0.0 and 1.0");
  if (npop <= 0) throw ESDLStatisError("HyperGeoDistriDensity: npop must be greater than 0");
  if (nsample > npop)
    throw ESDLStatisError("HyperGeoDistriDensity: nsample must not be greater than npop");
  if (nsample < 1) throw ESDLStatisError("HyperGeoDistriDensity: nsample must not be less than 1");
  const double M = RoundHalfEven(p * npop);
  const double N = npop, n = nsample, kk = k;
  if (kk < 0 || kk > M || kk > n || kk < n + M - N) return 0;
  return std::exp(LnFact(M) - LnFact(kk) - LnFact(M - kk) + LnFact(N - M) - LnFact(n - kk) -
                  LnFact(N - M - n + kk) - LnFact(N) + LnFact(n) + LnFact(N - n));
}

// ---- Mann-Whitney U ------------------------------------------------------------------------

namespace {

void CheckUSizes(Integer n1, Integer n2, const char* routine) {
  if (n1 <= 0 || n2 <= 0)
    throw ESDLStatisError(String(routine) + ": number of data points is too low");
  if (n1 > kMaxUSample || n2 > kMaxUSample)
    throw ESDLStatisError(String(routine) + ": number of data points is too high");
}

String URangeMessage(Integer top) {
  return "UDistriDensity: wrong U statistic (allowed range: 0..." + IntToStr(top) + ")";
}

// The normalised frequencies of U = 0 .. n1 n2 (algorithm AS 62), index u.
std::vector<double> UFrequencies(Integer n1, Integer n2) {
  const Integer mn = n1 * n2, mx = std::max(n1, n2), mi = std::min(n1, n2);
  std::vector<double> F(static_cast<std::size_t>(mn) + 2, 0.0);  // 1-based: F[j] is u = j - 1
  std::vector<double> W(static_cast<std::size_t>(mn) + static_cast<std::size_t>(mi) + 3, 0.0);
  for (Integer j = 1; j <= mx + 1; ++j) F[j] = 1;
  W[1] = 0;
  for (Integer i = 2; i <= mi; ++i) {
    W[i] = 0;
    const Integer in = i * mx;
    Integer q = in + 2;
    const Integer l = 1 + in / 2;
    Integer k = i;
    for (Integer j = 1; j <= l; ++j) {
      ++k;
      --q;
      const double sum = F[j] + W[j];
      F[j] = sum;
      W[k] = sum - F[q];
      F[q] = sum;
    }
  }
  double total = 0;
  for (Integer j = 1; j <= mn + 1; ++j) total += F[j];
  std::vector<double> freq(static_cast<std::size_t>(mn) + 1);
  for (Integer u = 0; u <= mn; ++u) freq[u] = F[u + 1] / total;
  return freq;
}

}  // namespace

double UDistriDensity(Integer U, Integer n1, Integer n2) {
  CheckUSizes(n1, n2, "UDistriDensity");
  if (U < 0 || U > n1 * n2) throw ESDLStatisError(URangeMessage(n1 * n2));
  return UFrequencies(n1, n2)[U];
}

double UDistriIntegral(Integer U, Integer n1, Integer n2) {
  CheckUSizes(n1, n2, "UDistriQuantil");
  if (U < 0 || U > n1 * n2 + 1) throw ESDLStatisError(URangeMessage(n1 * n2 + 1));
  const std::vector<double> freq = UFrequencies(n1, n2);
  double sum = 0;
  for (Integer u = 0; u < U; ++u) sum += freq[u];
  return sum;
}

Integer UDistriQuantile(Integer n1, Integer n2, double alpha) {
  CheckUSizes(n1, n2, "UDistriQuantil");
  if (alpha < 0 || alpha > 1) throw ESDLStatisError("UDistriQuantil: wrong level of significance");
  const std::vector<double> freq = UFrequencies(n1, n2);
  double cum = 0;
  for (Integer u = 0; u <= n1 * n2; ++u) {
    cum += freq[u];
    if (cum >= alpha) return u - 1;
  }
  return n1 * n2;
}

// ---- Kolmogorov-Smirnov and Lilliefors -----------------------------------------------------

namespace {

const double kKSAlpha[5] = {0.20, 0.15, 0.10, 0.05, 0.01};
const double kKSAsymptotic[5] = {1.073, 1.138, 1.224, 1.358, 1.628};
const double kKSTable[20][5] = {
    {0.900, 0.925, 0.950, 0.975, 0.995}, {0.684, 0.726, 0.776, 0.842, 0.929},
    {0.565, 0.597, 0.642, 0.708, 0.828}, {0.494, 0.525, 0.564, 0.624, 0.733},
    {0.446, 0.474, 0.510, 0.565, 0.669}, {0.410, 0.436, 0.470, 0.521, 0.618},
    {0.381, 0.405, 0.438, 0.486, 0.577}, {0.358, 0.381, 0.411, 0.457, 0.543},
    {0.339, 0.360, 0.388, 0.432, 0.514}, {0.322, 0.342, 0.368, 0.410, 0.490},
    {0.307, 0.326, 0.352, 0.391, 0.468}, {0.295, 0.313, 0.338, 0.375, 0.450},
    {0.284, 0.302, 0.325, 0.361, 0.433}, {0.274, 0.292, 0.314, 0.349, 0.418},
    {0.266, 0.283, 0.304, 0.338, 0.404}, {0.258, 0.274, 0.295, 0.328, 0.392},
    {0.250, 0.266, 0.286, 0.318, 0.381}, {0.244, 0.259, 0.278, 0.309, 0.371},
    {0.237, 0.252, 0.272, 0.301, 0.363}, {0.231, 0.246, 0.264, 0.294, 0.356}};

using TSquare = std::vector<double>;  // m x m, row-major here: (i, j) at i * m + j, 0-based

TSquare Product(const TSquare& A, const TSquare& B, int m) {
  TSquare C(static_cast<std::size_t>(m) * m, 0.0);
  for (int i = 0; i < m; ++i)
    for (int k = 0; k < m; ++k) {
      const double a = A[i * m + k];
      for (int j = 0; j < m; ++j) C[i * m + j] += a * B[k * m + j];
    }
  return C;
}

// H^n with a decimal exponent beside it, rescaled by 1e-140 whenever the element
// [m/2, m/2] (1-based) exceeds 1e140. The published method watches the 0-based centre
// element instead; this library has always used the 1-based one, which changes only when the
// rescaling happens, not the value beyond rounding.
void Power(const TSquare& H, int m, Integer n, TSquare& V, int& eV) {
  if (n == 1) {
    V = H;
    eV = 0;
    return;
  }
  Power(H, m, n / 2, V, eV);
  TSquare B = Product(V, V, m);
  const int eB = 2 * eV;
  if (n % 2 == 0) {
    V = std::move(B);
    eV = eB;
  } else {
    V = Product(H, B, m);
    eV = eB;
  }
  const int c = m / 2 - 1;
  if (c >= 0 && V[c * m + c] > kKSScale) {
    for (double& x : V) x *= 1 / kKSScale;
    eV += kKSScaleExponent;
  }
}

}  // namespace

double KSPValue(Integer n, double d) {
  if (std::isnan(d)) return d;
  if (n < 1 || d <= 0) return 1;
  const double s = d * d * n;
  if (s > 7.24 || (s > 3.76 && n >= 100))
    return 2 * std::exp(-(2.000071 + 0.331 / std::sqrt(static_cast<double>(n)) + 1.409 / n) * s);
  const int k = static_cast<int>(std::trunc(n * d)) + 1;
  const int m = 2 * k - 1;
  const double h = k - n * d;
  TSquare H(static_cast<std::size_t>(m) * m);
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < m; ++j) H[i * m + j] = (i - j + 1 >= 0) ? 1 : 0;
  for (int i = 1; i <= m; ++i) {
    H[(i - 1) * m] -= std::pow(h, i);
    H[(m - 1) * m + (i - 1)] -= std::pow(h, m - i + 1);
  }
  if (2 * h - 1 > 0) H[(m - 1) * m] += std::pow(2 * h - 1, m);
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < m; ++j)
      if (i - j + 1 > 0)
        for (int g = 1; g <= i - j + 1; ++g) H[i * m + j] /= g;
  TSquare Q;
  int eQ = 0;
  Power(H, m, n, Q, eQ);
  double v = Q[(k - 1) * m + (k - 1)];
  for (Integer i = 1; i <= n; ++i) {
    v = v * i / n;
    if (v < 1 / kKSScale) {
      v *= kKSScale;
      eQ -= kKSScaleExponent;
    }
  }
  return 1 - v * std::pow(10.0, eQ);
}

// Below one point the bound of a distance (1) stands in for the undefined c / sqrt(n).
double KolmogSmir1SampleTestStat(Integer n, TSignifLevel level) {
  if (n >= 1 && n <= 20) return kKSTable[n - 1][level];
  if (n < 1) return 1;
  return kKSAsymptotic[level] / std::sqrt(static_cast<double>(n));
}

double KSQuantile(Integer n, TSignifLevel level) {
  double d = KolmogSmir1SampleTestStat(n, level);
  for (int i = 0; i < kMaxKSIterations; ++i) {
    const double v = KSPValue(n, d) - kKSAlpha[level];
    if (!(std::fabs(v) > kKSTolerance)) break;
    d *= 1 + v;
  }
  return d;
}

double LillieforsPValue(Integer n, double d) {
  if (n < 6) return -1;
  double nn = n;
  if (n > 100) {
    d *= std::pow(nn / 100, 0.49);
    nn = 100;
  }
  const double r = nn + 2.78019;
  // 0.97498 is this library's constant; published forms of this approximation differ there and
  // switch to another formula above small p values. Kept as it always was.
  double g = -7.01256 * d * d * r + 2.99587 * d * std::sqrt(r) - 0.122119 +
             0.97498 / std::sqrt(nn) + 1.67997 / nn;
  if (g > 0) g = 0;
  return std::exp(g);
}

double LillieforsQuantile(Integer n, double alpha) {
  static const TDoubleArray p1 = {6.32207539843126,   -17.1398870006148, 38.42812675101057,
                                  -45.93241384693391, 7.88697700041829,  29.79317711037858,
                                  -18.48090137098585};
  static const TDoubleArray p2 = {12.940399038404,   -53.458334259532, 186.923866119699,
                                  -410.582178349305, 517.377862566267, -343.581476222384,
                                  92.123451358715};
  const double q = 1 - alpha;
  return 1 / std::sqrt(n * Polynomial(p1, 6, q) + Polynomial(p2, 6, q));
}

// ---- small helpers -------------------------------------------------------------------------

double FisherTransform(double r) {
  if (!(r > -1 && r < 1)) throw ESDLStatisError("FisherTransform: argument out of range");
  return 0.5 * std::log((1 + r) / (1 - r));
}

// Beyond |z| of about 355 the exponential overflows; the limit is then +-1.
double FisherTransformInv(double z) {
  const double e = std::exp(2 * z);
  if (std::isinf(e)) return 1;
  return (e - 1) / (e + 1);
}

double ConfidenceInterval(double alpha, double stddev, Integer n) {
  return nDistriQuantile(1 - alpha / 2) * stddev / std::sqrt(static_cast<double>(n));
}

double CalcFishQ(double m1, double m2, double s1, double s2) {
  double den = s1 * s1 + s2 * s2;
  if (den < 1e-6) den = 1e-6;
  return (m1 - m2) * (m1 - m2) / den;
}
