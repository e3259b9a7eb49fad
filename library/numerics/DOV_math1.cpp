// Scalar routines of DOV_math1: rounding, tick layout, elementary functions, interpolation,
// integers, bits, random numbers and TKahanSum.

#include "DOV_math1.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "RtlRandom.h"

// The tick layout, the factorial, the number scanner and the bit images of extended numbers
// are defined on the x87 80-bit format (64-bit mantissa); a wider or narrower long double
// would silently give other ticks and other images.
static_assert(std::numeric_limits<Extended>::digits == 64,
              "DOV_math1 needs long double to be the 80-bit extended format");

namespace {

// The unit's own generator state: LongRand's three seeds and GRandom's spare deviate.
Integer LRSeed1 = 0;
Integer LRSeed2 = 0;
Integer LRSeed3 = 0;
bool GRandSpareStored = false;
Double GRandSpare = 0;

// Clamps a floating-point integer value into the 32-bit range (NaN gives 0), so that
// conversions never meet undefined behaviour.
Integer SaturateToInteger(long double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0L) return std::numeric_limits<Integer>::max();
  if (v <= -2147483648.0L) return std::numeric_limits<Integer>::min();
  return static_cast<Integer>(v);
}

// The first 4792 primes (2 ... 46337), built once on first use.
const std::vector<Integer>& PrimeTable() {
  static const std::vector<Integer> table = [] {
    constexpr int limit = 46337;
    std::vector<bool> composite(limit + 1, false);
    std::vector<Integer> primes;
    primes.reserve(4792);
    for (int i = 2; i <= limit; ++i) {
      if (composite[static_cast<size_t>(i)]) continue;
      primes.push_back(i);
      for (long j = static_cast<long>(i) * i; j <= limit; j += i)
        composite[static_cast<size_t>(j)] = true;
    }
    return primes;
  }();
  return table;
}

template <class T>
T ReverseBytes(T x) {
  unsigned char b[sizeof(T)];
  std::memcpy(b, &x, sizeof(T));
  for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(b[i], b[sizeof(T) - 1 - i]);
  T r;
  std::memcpy(&r, b, sizeof(T));
  return r;
}

template <class V>
Double InterpolEquallySpaced(Double x, Double X0, Double X1, const V& Values) {
  if (Values.size() < 2)
    throw ESDLMath1Error("InterpolTable: pivot array must contain at least 2 values");
  if (X0 == X1) throw ESDLMath1Error("InterpolTable: specified range of pivot array is zero");
  const size_t n = Values.size();
  const Double last = static_cast<Double>(n - 1);
  // Position of x in sample units: 0 at X0, n-1 at X1.
  const Double t = (x - X0) / (X1 - X0) * last;
  if (std::isnan(t)) return t;
  auto v = [&](size_t i) { return static_cast<Double>(Values[i]); };
  if (t < 0) return v(0) + t * (v(1) - v(0));
  if (t > last) return v(n - 1) + (t - last) * (v(n - 1) - v(n - 2));
  const size_t i = static_cast<size_t>(std::floor(t));
  if (i >= n - 1) return v(n - 1);
  return v(i) + (t - static_cast<Double>(i)) * (v(i + 1) - v(i));
}

}  // namespace

// ---- start-up ----------------------------------------------------------------------------

namespace {

// What the library's start-up left: the generator position after its three draws and the
// seeds they gave. Programs written for the two-call start-up call DOV_math1_Init again right
// after InitLibrary; drawing again there would shift every later random sequence.
struct TLibraryStartState {
  bool Valid = false;
  Cardinal GeneratorAfter = 0;
  Integer Seeds[3] = {0, 0, 0};
};
TLibraryStartState LibraryStart;

void StartUpFromLibrary() {
  LibraryStart.Valid = false;
  DOV_math1_Init();
  LibraryStart = {true, RandSeed, {LRSeed1, LRSeed2, LRSeed3}};
}

[[maybe_unused]] const bool StartUpRegistered = AddLibraryStartUp(&StartUpFromLibrary);

}  // namespace

void DOV_math1_Init() {
  GRandSpareStored = false;
  GRandSpare = 0;
  MathFeedBackProc = nullptr;
  if (LibraryStart.Valid && RandSeed == LibraryStart.GeneratorAfter) {
    // Nothing drew since the library's start-up: give back the state it made, draw nothing.
    LRSeed1 = LibraryStart.Seeds[0];
    LRSeed2 = LibraryStart.Seeds[1];
    LRSeed3 = LibraryStart.Seeds[2];
    return;
  }
  LibraryStart.Valid = false;
  // Three successive draws, in this order: the seeds follow the generator's state at start-up.
  LRSeed1 = static_cast<Integer>(std::nearbyint(RandomReal() * 990000.0L));
  LRSeed2 = static_cast<Integer>(std::nearbyint(RandomReal() * 990000.0L));
  LRSeed3 = static_cast<Integer>(std::nearbyint(RandomReal() * 990000.0L));
}

// ---- rounding ----------------------------------------------------------------------------

Integer IntPos(Double x) { return SaturateToInteger(std::ceil(static_cast<long double>(x))); }

Integer IntNeg(Double x) { return SaturateToInteger(std::floor(static_cast<long double>(x))); }

Integer Signum(Double x) { return x < 0 ? -1 : 1; }

Int64 RoundLimit(Double x, Int64 Low, Int64 High) {
  if (std::isnan(x)) return Low;
  const Double r = std::nearbyint(x);
  Int64 v;
  // Values beyond the 64-bit range cannot be converted; they sit beyond either bound anyway.
  if (r >= 9223372036854775807.0)
    v = std::numeric_limits<Int64>::max();
  else if (r <= -9223372036854775808.0)
    v = std::numeric_limits<Int64>::min();
  else
    v = static_cast<Int64>(r);
  if (v < Low) v = Low;
  if (v > High) v = High;
  return v;
}

namespace {

// Splits |x| > 0 into mantissa m (1 <= m < 10) and decade e; a logarithm within 1e-14 of an
// integer is snapped to it so that exact powers of ten keep mantissa 1. The mantissa is
// |x| scaled by an exact power of ten rather than 10^(L - e): the latter gives 7.999... for 8
// and would put the class boundaries in the wrong place.
void Split125(Double x, Double& m, Double& e) {
  const Double a = std::fabs(x);
  Double L = std::log10(a);
  const Double nearest = std::nearbyint(L);
  if (std::fabs(L - nearest) < 1e-14) {
    e = nearest;
    m = 1;
    return;
  }
  e = std::floor(L);
  m = e >= 0 ? a / std::pow(10.0, e) : a * std::pow(10.0, -e);
  // Scaling can round across a decade boundary; the mantissa stays in [1, 10).
  if (m >= 10) {
    m /= 10;
    e += 1;
  } else if (m < 1) {
    m *= 10;
    e -= 1;
  }
}

// The 1-2-5 step of a mantissa 1 <= m < 10: the nearest one, the one at or below it, the
// one at or above it.
Double Nearest125(Double m) { return m < 1.5 ? 1 : m < 3 ? 2 : m < 8 ? 5 : 10; }
Double Below125(Double m) { return m < 2 ? 1 : m < 5 ? 2 : m < 10 ? 5 : 10; }
Double Above125(Double m) { return m > 5 ? 10 : m > 2 ? 5 : m > 1 ? 2 : 1; }

// x (not 0) with its mantissa replaced by Step's choice; the sign is kept.
Double Step125(Double x, Double (*Step)(Double)) {
  Double m, e;
  Split125(x, m, e);
  const Double f = Step(m);
  return (x < 0 ? -f : f) * std::pow(10.0, e);
}

}  // namespace

Double Round125(Double x) { return x == 0 ? 0 : Step125(x, Nearest125); }

// Towards minus infinity: positive values step down, negative ones up in magnitude.
Double RoundNeg125(Double x) { return x == 0 ? 0 : Step125(x, x > 0 ? Below125 : Above125); }

// Towards plus infinity: positive values step up, negative ones down in magnitude.
Double RoundPos125(Double x) { return x == 0 ? 0 : Step125(x, x > 0 ? Above125 : Below125); }

void CalcScalePars(Integer NrIntervals, Extended Low, Extended High, Extended& FirstTick,
                   Extended& Distance, Word& SubIntervals) {
  if (Low == High) {
    FirstTick = Low;
    Distance = 0;
    SubIntervals = 1;
    return;
  }
  const Extended sign = Low < High ? 1.0L : -1.0L;
  // A negative count has no logarithm; the axis scale never passes one, so take its magnitude
  // rather than produce a meaningless layout.
  const Extended n = std::fabs(static_cast<Extended>(NrIntervals));
  if (n == 0) {
    Distance = 1;
    FirstTick = std::trunc(Low) - 1;
    SubIntervals = std::fabs(High - Low) <= 10 ? 5 : 1;
  } else {
    const Extended ln10 = std::log(10.0L);
    const Extended lg2 = std::log(2.0L) / ln10;
    const Extended lg5 = std::log(5.0L) / ln10;
    Extended g = std::log(std::fabs(High - Low) / n) / ln10;
    Extended f = g - std::trunc(g);
    if (std::fabs(f) < 1e-10L || std::fabs(f) > 0.9999999999L) {
      f = 0;
      g = std::nearbyint(g);
    }
    if (g < 0 && f != 0) g = g - 1;
    if (f < 0) f = f + 1;
    if (f < lg2 + 1e-10L) {
      g = std::trunc(g);
      SubIntervals = 5;
    } else if (f < lg5 + 1e-10L) {
      g = std::trunc(g) + lg2;
      SubIntervals = 4;
    } else {
      g = std::trunc(g) + lg5;
      SubIntervals = 5;
    }
    Distance = sign * std::exp(g * ln10);
    FirstTick = (std::trunc(Low / Distance) - 1) * Distance;
  }
  // Step to the first multiple of the distance at or beyond Low (a thousandth of the distance
  // tolerance). The loop also ends when the step no longer changes the value, which happens
  // only for distances below the resolution of Low.
  while (std::fabs(Distance) * 0.001L < (Low - FirstTick) * sign) {
    const Extended next = FirstTick + Distance;
    if (next == FirstTick) break;
    FirstTick = next;
  }
}

// ---- elementary functions ----------------------------------------------------------------

Double lg(Double x) {
  if (x <= 0) throw EMathError("logarithm: invalid argument");
  return static_cast<Double>(std::log(static_cast<Extended>(x)) / std::log(10.0L));
}

Double ld(Double x) {
  if (x <= 0) throw EMathError("logarithm: invalid argument");
  return static_cast<Double>(std::log(static_cast<Extended>(x)) / std::log(2.0L));
}

namespace DOV_math1 {

Double sinh(Double x) {
  const Extended e = std::exp(static_cast<Extended>(x));
  return static_cast<Double>((e - 1 / e) / 2);
}

Double cosh(Double x) {
  const Extended e = std::exp(static_cast<Extended>(x));
  return static_cast<Double>((e + 1 / e) / 2);
}

}  // namespace DOV_math1

Double tgh(Double x) {
  return static_cast<Double>(1 - 2 / (std::exp(2 * static_cast<Extended>(x)) + 1));
}

Double tg(Double x) {
  const Extended c = std::cos(static_cast<Extended>(x));
  if (c == 0) throw EMathError("tangens overflow");
  return static_cast<Double>(std::sin(static_cast<Extended>(x)) / c);
}

Double cot(Double x) {
  const Extended s = std::sin(static_cast<Extended>(x));
  if (s == 0) throw EMathError("cotangens overflow");
  return static_cast<Double>(std::cos(static_cast<Extended>(x)) / s);
}

Double Polynomial(const TDoubleArray& c, Integer Order, Double x) {
  if (Order < 0 || static_cast<size_t>(Order) >= c.size())
    throw ESDLMath1Error("Polynomial: invalid order of polynomial");
  Double sum = c[0];
  Double power = 1;
  for (Integer i = 1; i <= Order; ++i) {
    power = power * x;
    sum = sum + c[static_cast<size_t>(i)] * power;
  }
  return sum;
}

Double CenteredPolynomial(const TDoubleArray& c, Integer Order, Double a, Double b) {
  if (Order < 0 || static_cast<size_t>(Order) >= c.size())
    throw ESDLMath1Error("Polynomial: invalid order of polynomial");
  return Polynomial(c, Order, b - a);
}

// ---- interpolation -----------------------------------------------------------------------

Double InterpolXYTable(Double x, const TDouble2DArray& Table) {
  if (Table.empty() || Table[0].size() < 2)
    throw ESDLMath1Error("InterpolXYTable: pivot array must contain at least 2 rows");
  if (Table.size() != 2)
    throw ESDLMath1Error("InterpolXYTable: pivot array must contain 2 columns");
  const TDoubleArray& X = Table[0];
  const TDoubleArray& Y = Table[1];
  // A short ordinate array must not be read beyond its end.
  const size_t n = std::min(X.size(), Y.size());
  if (n < 2) throw ESDLMath1Error("InterpolXYTable: pivot array must contain at least 2 rows");
  if (x < X[0]) return Y[0] + (x - X[0]) / (X[1] - X[0]) * (Y[1] - Y[0]);
  if (x > X[n - 1])
    return Y[n - 1] + (x - X[n - 1]) / (X[n - 1] - X[n - 2]) * (Y[n - 1] - Y[n - 2]);
  size_t i = 0;
  while (i < n && !(x <= X[i])) ++i;
  if (i >= n) return std::numeric_limits<Double>::quiet_NaN();  // x is NaN
  if (i == 0) return Y[0];
  return Y[i] + (x - X[i]) / (X[i] - X[i - 1]) * (Y[i] - Y[i - 1]);
}

Double InterpolTable(Double x, Double X0, Double X1, const TDoubleArray& Values) {
  return InterpolEquallySpaced(x, X0, X1, Values);
}

Double InterpolTable(Double x, Double X0, Double X1, const TIntArray& Values) {
  return InterpolEquallySpaced(x, X0, X1, Values);
}

Double InterpolZofXYRect(Double z1, Double z2, Double z3, Double z4, Double t1, Double t2) {
  const Double g = z1 + (z3 - z1) * t1;
  const Double h = z2 + (z4 - z2) * t1;
  return g + (h - g) * t2;
}

Double HistoBinRef(Double x, Double Ref, Double Width, Double& Offset) {
  const Integer k = SaturateToInteger(std::floor((x - Ref) / Width));
  const Double edge = Ref + Width * k;
  Offset = x - edge;
  return edge;
}

// ---- integers ----------------------------------------------------------------------------

Extended Factorial(Integer n) {
  if (n < 0) throw ESDLMath1Error("Factorial: negative argument");
  if (n > 1000) throw ESDLMath1Error("Factorial: argument too big");
  Extended f = 1;
  for (Integer i = 2; i <= n; ++i) f = f * i;
  return f;
}

Integer ListOfPrimes(Integer i) {
  const auto& primes = PrimeTable();
  if (i < 1 || static_cast<size_t>(i) > primes.size()) return 0;
  return primes[static_cast<size_t>(i - 1)];
}

bool IsPrime(Integer n) {
  const Int64 a = n < 0 ? -static_cast<Int64>(n) : n;
  const Int64 r = static_cast<Int64>(std::sqrt(static_cast<double>(a)));
  // A number with a divisor up to r has a prime divisor up to r, and the table reaches every
  // r a 32-bit value can have.
  for (Integer p : PrimeTable()) {
    if (p > r) break;
    if (a % p == 0) return false;
  }
  return true;
}

TIntArray FindPrimeFactors(Integer n) {
  TIntArray factors;
  if (n <= 1) return factors;
  const Integer r = static_cast<Integer>(std::sqrt(static_cast<double>(n)));
  for (Integer p : PrimeTable()) {
    if (p > r) break;
    while (n % p == 0) {
      factors.push_back(p);
      n /= p;
    }
  }
  if (n > 1) factors.push_back(n);
  return factors;
}

void CancelFraction(Integer& Numerator, Integer& Denominator) {
  if (Numerator == 0 || Denominator == 0) return;
  Int64 a = Numerator < 0 ? -static_cast<Int64>(Numerator) : Numerator;
  Int64 b = Denominator < 0 ? -static_cast<Int64>(Denominator) : Denominator;
  while (b != 0) {
    const Int64 t = a % b;
    a = b;
    b = t;
  }
  Numerator = static_cast<Integer>(Numerator / a);
  Denominator = static_cast<Integer>(Denominator / a);
}

// ---- bits and bytes ----------------------------------------------------------------------

Byte BitReversal(Byte b) {
  Byte r = 0;
  for (int i = 0; i < 8; ++i) {
    r = static_cast<Byte>((r << 1) | (b & 1));
    b = static_cast<Byte>(b >> 1);
  }
  return r;
}

Integer CountBits(Byte b) {
  Integer n = 0;
  for (; b != 0; b = static_cast<Byte>(b >> 1)) n += b & 1;
  return n;
}

Integer DecodeBit(Integer n) { return (n >= 0 && n <= 7) ? (1 << n) : 0; }

Integer DecodeLong(Integer n) {
  return (n >= 0 && n <= 31) ? static_cast<Integer>(Cardinal{1} << n) : 0;
}

Integer EncodeLong(Integer v) {
  const Cardinal u = static_cast<Cardinal>(v);
  for (Integer i = 0; i < 31; ++i)
    if (u & (Cardinal{1} << i)) return i;
  return 31;
}

bool CheckPowerOfTwo(Cardinal v) { return (v & (v - 1)) == 0; }

Word GrayCode(Word w) { return static_cast<Word>(w ^ (w >> 1)); }

Double ConvertEndian(Double x) { return ReverseBytes(x); }
Single ConvertEndian(Single x) { return ReverseBytes(x); }
Word ConvertEndian(Word x) { return ReverseBytes(x); }
Integer ConvertEndian(Integer x) { return ReverseBytes(x); }

// ---- random numbers ----------------------------------------------------------------------

bool BRandom(Double p) {
  if (p >= 1) return true;
  return RandomReal() < p;
}

Double CRandom(Double Location, Double Scale) {
  const Extended u = RandomReal();
  const Extended pi = 3.14159265358979323846264338327950288L;
  return static_cast<Double>(Location + Scale * std::tan(pi * (u - 0.5L)));
}

Double GRandom() {
  if (GRandSpareStored) {
    GRandSpareStored = false;
    return GRandSpare;
  }
  Double u, v, s;
  // s = 0 (both draws exactly one half) has no logarithm; draw again as for s >= 1.
  do {
    u = 2 * static_cast<Double>(RandomReal()) - 1;
    v = 2 * static_cast<Double>(RandomReal()) - 1;
    s = u * u + v * v;
  } while (!(s < 1 && s > 0));
  const Double f = std::sqrt(-2 * std::log(s) / s);
  GRandSpare = u * f;
  GRandSpareStored = true;
  return v * f;
}

Double LongRand(Integer Seed) {
  if (Seed != 0) {
    const Integer a = Seed % 990923;
    // The shifts work on the 32-bit pattern, so bits shifted out are lost as in 32-bit code.
    const auto shl = [](Integer v, int k) {
      return static_cast<Integer>(static_cast<Cardinal>(v) << k);
    };
    const auto absval = [](Integer v) {
      return v < 0 ? -static_cast<Int64>(v) : static_cast<Int64>(v);
    };
    LRSeed1 = static_cast<Integer>(absval(a));
    LRSeed2 = static_cast<Integer>(absval(a ^ shl(a, 8)) % 990923);
    LRSeed3 = static_cast<Integer>(absval(a ^ shl(a, 16)) % 990923);
  }
  LRSeed1 = static_cast<Integer>((static_cast<Int64>(LRSeed1) * 1187) % 1001003);
  LRSeed2 = static_cast<Integer>((static_cast<Int64>(LRSeed2) * 983) % 990923);
  LRSeed3 = static_cast<Integer>((static_cast<Int64>(LRSeed3) * 1283) % 1400423);
  const Double r = LRSeed1 / 1001003.0 + LRSeed2 / 990923.0 + LRSeed3 / 1400423.0;
  return r - std::trunc(r);
}

// ---- TKahanSum ---------------------------------------------------------------------------

TKahanSum::TKahanSum(TComponent* AOwner) : TComponent(AOwner) { Reset(); }

void TKahanSum::Reset() {
  Sum = 0;
  cps = 0;
}

void TKahanSum::Add(Double ANumber) {
  // y and t are plain doubles: the compensation only works when each step is rounded.
  const Double y = ANumber - cps;
  const Double t = Sum + y;
  cps = (t - Sum) - y;
  Sum = t;
}
