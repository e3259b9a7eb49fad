#pragma once
// DOV_math1: the library's free routines on single numbers and their text forms.
//
//  - rounding, the 1-2-5 sequence and the tick layout of axis scales (CalcScalePars);
//  - logarithms, hyperbolic and tangent functions, polynomials, table interpolation,
//    factorials, primes, fractions, bit and byte routines;
//  - random numbers drawn from the run-time's process-wide generator (RtlRandom.h);
//  - the compensated summation component TKahanSum;
//  - number <-> text conversion: scanners that read from a 1-based position and advance it,
//    validity tests, fixed-digit, Roman and engineering formatters, bit patterns of floats.
//
// Texts are byte strings; positions count bytes from 1. The number scanners always take "."
// (and "," where asked) as decimal separator, never the C library's locale.
//
// DOV_math1_Init() is the unit's start-up. It draws from the process-wide generator, so it must
// run after the string unit's InitScramble(8053) and before anything else draws: InitLibrary
// runs it right after the seeding, so one call initialises the library.

#include <cmath>
#include <string_view>
#include <utility>

#include "DOV_sdlbase.h"
#include "System.h"

// ---- start-up ----------------------------------------------------------------------------
// Empties GRandom's spare deviate, seeds LongRand from three uniform draws (x 990000, rounded
// halves to even) and unsets MathFeedBackProc. InitLibrary runs it. Called again while the
// generator still stands where InitLibrary left it, it gives back the seeds InitLibrary made
// and draws nothing, so InitLibrary followed by DOV_math1_Init gives the same sequences as
// InitLibrary alone.
void DOV_math1_Init();

// ---- rounding ----------------------------------------------------------------------------
// Smallest integer not below x / largest integer not above x. Values beyond the 32-bit range
// saturate at its ends; NaN gives 0.
Integer IntPos(Double x);
Integer IntNeg(Double x);
// -1 for x < 0, otherwise 1 (0 included).
Integer Signum(Double x);
// x rounded to the nearest integer (halves to even), then raised to Low and lowered to High.
// NaN gives Low; infinities give the bound they run into.
Int64 RoundLimit(Double x, Int64 Low, Int64 High);
// Rounding onto the 1-2-5 sequence (1, 2, 5, 10, 20, 50 ...): nearest in the logarithmic
// sense, toward minus infinity, toward plus infinity.
Double Round125(Double x);
Double RoundNeg125(Double x);
Double RoundPos125(Double x);

// Tick layout of an axis from Low to High (either order) with about NrIntervals intervals
// (0: unit steps). Returns the first tick at or beyond Low in the direction of High, the signed
// tick distance and the number of sub-intervals between two ticks. All in 80-bit precision.
// A negative NrIntervals is taken by its magnitude.
void CalcScalePars(Integer NrIntervals, Extended Low, Extended High, Extended& FirstTick,
                   Extended& Distance, Word& SubIntervals);

// ---- elementary functions ----------------------------------------------------------------
// Decimal and binary logarithm; x <= 0 raises EMathError "logarithm: invalid argument".
Double lg(Double x);
Double ld(Double x);
// The C library owns ::sinh and ::cosh, so the library's own forms live in this namespace:
// (e - 1/e) / 2 and (e + 1/e) / 2 with e = exp(x).
namespace DOV_math1 {
Double sinh(Double x);
Double cosh(Double x);
}  // namespace DOV_math1
// Hyperbolic tangent 1 - 2 / (exp(2x) + 1).
Double tgh(Double x);
// sin x / cos x; cos x = 0 raises EMathError "tangens overflow".
Double tg(Double x);
// cos x / sin x; sin x = 0 raises EMathError "cotangens overflow".
Double cot(Double x);

// Sum of c[i] x^i for i = 0 .. Order; Order outside 0 .. the last index of c raises
// ESDLMath1Error "Polynomial: invalid order of polynomial".
Double Polynomial(const TDoubleArray& c, Integer Order, Double x);
// Sum of c[i] (b - a)^i for i = 0 .. Order; same error as Polynomial.
Double CenteredPolynomial(const TDoubleArray& c, Integer Order, Double a, Double b);

// ---- interpolation -----------------------------------------------------------------------
// Table[0] holds ascending abscissas, Table[1] the ordinates. Linear interpolation inside,
// the line through the two end pivots outside. Fewer than 2 pivots raise ESDLMath1Error
// "InterpolXYTable: pivot array must contain at least 2 rows"; a table of other than 2 arrays
// "InterpolXYTable: pivot array must contain 2 columns". When one array is shorter than the
// other, only the pivots both hold are used.
Double InterpolXYTable(Double x, const TDouble2DArray& Table);
// Values taken as equally spaced samples from X0 (first) to X1 (last); X0 may exceed X1.
// Fewer than 2 values raise "InterpolTable: pivot array must contain at least 2 values",
// X0 = X1 "InterpolTable: specified range of pivot array is zero" (ESDLMath1Error).
Double InterpolTable(Double x, Double X0, Double X1, const TDoubleArray& Values);
Double InterpolTable(Double x, Double X0, Double X1, const TIntArray& Values);
// Bilinear interpolation in a rectangle with corner values z1 .. z4.
Double InterpolZofXYRect(Double z1, Double z2, Double z3, Double z4, Double t1, Double t2);
// Lower edge of the bin of width Width (bins anchored at Ref) that holds x; Offset := x - edge.
Double HistoBinRef(Double x, Double Ref, Double Width, Double& Offset);

// ---- integers ----------------------------------------------------------------------------
// n! in 80-bit precision; n < 0 raises "Factorial: negative argument", n > 1000
// "Factorial: argument too big" (ESDLMath1Error).
Extended Factorial(Integer n);
// The i-th prime (1-based) of the table of the first 4792 primes (2 ... 46337); 0 outside.
Integer ListOfPrimes(Integer i);
// False when some d in 2 .. trunc(sqrt(|n|)) divides n; so 0, 1 and -1 count as prime.
bool IsPrime(Integer n);
// Prime factors of n in ascending order with repetition (12 -> 2, 2, 3); empty for n <= 1.
TIntArray FindPrimeFactors(Integer n);
// Divides both by the greatest common divisor of their magnitudes; unchanged when either is 0.
void CancelFraction(Integer& Numerator, Integer& Denominator);

// ---- bits and bytes ----------------------------------------------------------------------
Byte BitReversal(Byte b);
Integer CountBits(Byte b);
// 2^n for 0 <= n <= 7 (DecodeBit) or 0 <= n <= 31 (DecodeLong, 2^31 as the 32-bit pattern),
// otherwise 0.
Integer DecodeBit(Integer n);
Integer DecodeLong(Integer n);
// Index of the lowest set bit of v; 31 for v = 0.
Integer EncodeLong(Integer v);
// (v and (v - 1)) = 0: true for 0 and every power of two.
bool CheckPowerOfTwo(Cardinal v);
Word GrayCode(Word w);
// The value with its bytes in reverse order.
Double ConvertEndian(Double x);
Single ConvertEndian(Single x);
Word ConvertEndian(Word x);
Integer ConvertEndian(Integer x);

// ---- random numbers ----------------------------------------------------------------------
// Each uniform draw is one RandomReal() of the process-wide generator; not thread-safe.
// p >= 1: true without a draw; otherwise one draw u and u < p.
bool BRandom(Double p);
// Cauchy deviate Location + Scale * tan(pi (u - 0.5)) from one draw.
Double CRandom(Double Location, Double Scale);
// Standard normal deviate by the polar method; every second call returns the stored spare.
Double GRandom();
// Combined multiplicative generator in [0, 1) with its own three seeds; a non-zero Seed
// reseeds it first, 0 continues the current sequence.
Double LongRand(Integer Seed);

// ---- compensated summation ---------------------------------------------------------------
class TKahanSum : public TComponent {
public:
  explicit TKahanSum(TComponent* AOwner);
  String ClassName() const override { return "TKahanSum"; }
  void Reset();
  void Add(Double ANumber);

  Double cps = 0;  // running compensation
  Double Sum = 0;  // the compensated sum
};

// ---- number text: scanners ---------------------------------------------------------------
// Reads a floating-point number from Instring at CurPos (1-based; below 1 counts as 1) and
// leaves CurPos on the character that ended it (length + 1 at the end of the text).
// DecPSep: 1 accepts ".", 2 accepts ",", 3 either, anything else no separator at all.
// Leading blanks are skipped; exponents ("e" or "E") only when AllowExp. The digits are
// read to the nearest double (NearestDoubleOfText: as strtod reads them, whatever the
// locale), then clamped to +-1.7e308. An invalid number gives 0 with CurPos on the offending
// character. An exponent text stops growing once its value exceeds 4200 (1e5000 reads as
// 1e500).
Double ScanFPNum(const String& Instring, bool AllowExp, Integer DecPSep, Integer& CurPos);
// The same reading without the clamp (1e309 gives infinity), for a caller that takes a number
// beyond the double range as infinite.
Double ScanFPNumUnclamped(const String& Instring, bool AllowExp, Integer DecPSep, Integer& CurPos);
// The same reading to the nearest long double, without the clamp (1e309 stays 1e309).
Extended ScanFPNumExtended(const String& Instring, bool AllowExp, Integer DecPSep, Integer& CurPos);
// True when a number, as ScanFPNum reads it from position 1, ends properly (anything may
// follow it: "12abc" is valid, "abc", "-", "E5", "1.2.3" are not). An exponent beyond 4200
// makes the text invalid. dsSystem takes the separator of FormatSettings.
bool IsValidDouble(const String& Instring, bool AllowExp, TDecPSep DecPSep);
// A whole field as a number: true when IsValidDouble(Field, true, dsSystem) holds, and then
// Value as ScanFPNum(Field, true, 3, ...) reads it, bit for bit. The table readers' one
// conversion: short plain numbers go from their digits straight to the nearest double
// (DecimalToNearestDouble), anything else through these two routines.
bool ReadNumberField(std::string_view Field, double& Value);
// The exact text of a double for the files the library writes and reads back: the shortest
// digits that read back as the same double ("0.1", "-0", "1e+300", "5e-324"), and "NAN",
// "INF" and "-INF" for the non-finite values; "." always.
String RoundTripFloatText(Double x);
// The text of a value in a table file (ASC): strff(x, Width, Decimals), the run-time's form,
// where that text reads back as a finite number; where it does not (rounded beyond the largest
// double, 1.7976931348623157e308 as "1.8E+0308", or an exponent of three digits in the
// two-digit form of Decimals = -2, which gives asterisks) the shortest exact digits
// (RoundTripFloatText), which read back as x. Empty for a value that is not finite, which no
// number of such a file holds.
String TableFloatText(Double x, Integer Width, Integer Decimals);
// Reads one value as the library's files write it: a number (read straight to the nearest
// double, so RoundTripFloatText's digits come back bit for bit, -0 included) or a non-finite
// spelling ("NAN", "INF", "+INF", "-INF", any case, as RoundTripFloatText and the run-time's
// Str write them). Blanks around it are allowed; false for any other text (Value unchanged).
bool ScanRoundTripFloat(const String& Text, long double& Value);
bool ScanRoundTripFloat(const String& Text, Double& Value);
// Strict test of the whole text: optional sign, digits, one separator; no blanks, no exponent.
// A lone sign, a lone separator, "12." and "-.5" count as valid.
bool IsValidFPNum(const String& Instring, TDecPSep DecPSep);

// Integer scanners: blanks skipped (not one in the last position), digits accumulated with
// 32-bit wrap-around until a character that is not a digit; CurPos left on it. An empty text
// leaves CurPos unchanged. ScanDecimal takes one "+" or "-"; ScanHex skips a "$" that is the
// first character of the whole text.
Integer ScanDecimal(const String& Instring, Integer& CurPos);
Integer ScanHex(const String& Instring, Integer& CurPos);
Integer ScanOctal(const String& Instring, Integer& CurPos);
Integer ScanBin(const String& Instring, Integer& CurPos);

// Whole-text tests: non-empty and only digits of the base (IsValidDecInt: one leading sign
// allowed when more characters follow). No blanks, no "$".
bool IsValidDecInt(const String& Instring);
bool IsValidHex(const String& Instring);
bool IsValidOct(const String& Instring);
bool IsValidBin(const String& Instring);

// StrToInt of the text; Default when the text is empty or does not convert.
Integer StrToIntDefault(const String& Instring, Integer Default);

// ---- number text: formatters -------------------------------------------------------------
// Exactly NrDigits digits of the value as unsigned 32 bits, leading zeros, higher digits
// dropped; NrDigits clamped to 8 (Hex), 11 (Octal), 32 (Bin), 0 meaning 1.
String Hex(Cardinal Value, Byte NrDigits);
String Octal(Cardinal Value, Byte NrDigits);
String Bin(Cardinal Value, Byte NrDigits);
// The NrDigits lowest decimal digits of |Value| (0 meaning 1), "-" in front when negative:
// Decimal(-5, 3) = "-005", Decimal(67890, 3) = "890".
String Decimal(Integer Value, Byte NrDigits);
// Roman numeral; empty below 1 and from 30000 on.
String Roman(Integer Value);
// Engineering notation with a prefix letter (a f p n u m k M G T): EEngStr(4700, 2) = "4.7k",
// EEngStr(4700, -2) = "4k7" (the prefix in place of the point), EEngStr(0.000123, 3) = "123u".
String EEngStr(Double Value, Integer Digits);
// Str(Value : Width : Decimals); Decimals = -2 gives the exponent form in Width characters
// with a two-digit exponent (Width asterisks when the exponent needs more digits).
String strf(Double Value, Integer Width, Integer Decimals);
// Normalised exponent form " 0.dddE+xx" right-aligned in TotalWidth (8 .. 40), with
// MantDigits (2 .. 15) mantissa digits: MakeEFormat(1250, 12, 4) = "  0.1250E+04".
String MakeEFormat(Double Value, Integer TotalWidth, Integer MantDigits);

// ---- bit patterns of floating-point numbers ----------------------------------------------
// The memory image, most significant byte first, as upper-case hexadecimal: 16 digits for a
// Double, 20 for an Extended (sign-and-exponent word first), 8 for a Single.
String FPNumToHex(Double x);
String FPNumToHex(Extended x);
String FPNumToHex(Single x);
// The inverses: exactly 16, 20 or 8 hexadecimal digits of either case, else ESDLError
// 'HexToDouble: invalid hex string "..."' (HexToExtended, HexToSingle likewise).
Double HexToDouble(const String& HexStr);
Extended HexToExtended(const String& HexStr);
Single HexToSingle(const String& HexStr);

// ---- plane geometry (DOV_math1_geom.cpp)
// --------------------------------------------------------- Angles in radians unless the name says
// degrees. Stateless.
Double EuclideanDistance(TPointDouble P1, TPointDouble P2);
Double EuclideanDistance(Double x1, Double y1, Double x2, Double y2);
// The sign of (P2 - P1) x (P3 - P1): 1 counter-clockwise (Y upward), -1 clockwise, 0 collinear.
Integer CcwTriangle(TPointDouble P1, TPointDouble P2, TPointDouble P3);
// Touching and collinear segments count as intersecting (collinear ones even when apart).
bool SegmentsIntersect(TPointDouble A1, TPointDouble A2, TPointDouble B1, TPointDouble B2);
Double DistanceToSegment(TPointDouble P, TPointDouble A, TPointDouble B);
// 0 inside and on the edges; outside, the distance to the nearest edge or, beyond the corner
// lines, to the nearest corner (rounded half to even). A rectangle given with its corners in
// either order is normalised first.
Integer DistFromRect(TPoint P, TRect R);
// Distance from P to the axis-parallel ellipse with centre (Cx, Cy) and semi-axes Rx, Ry, and
// the nearest point of the ellipse. A semi-axis of 0 or less makes the ellipse a segment (or
// its centre), to which the distance is taken.
Double DistFromEllipse(TPointDouble P, Double Cx, Double Cy, Double Rx, Double Ry,
                       TPointDouble& Closest);
bool WithinBounds(Double x, Double b1, Double b2);
bool WithinBounds(Double x, Double b1, Double b2, Double tolerance);
Double ConfineValue(Double x, Double b1, Double b2);
Single ConfineValue(Single x, Single b1, Single b2);
Integer ConfineValue(Integer x, Integer b1, Integer b2);
bool WithinRect(TPointDouble P, const TRectDouble& R);
// True when P had to be moved into R.
bool ConfinePointToRect(TPointDouble& P, const TRectDouble& R);
// The direction of (dx, dy) in [0, 2 pi); (0, 0) gives 3 pi / 2.
Double AngleToXAxis(Double dx, Double dy);
Double CanonicalAngleRadians(Double x);  // into [-pi, pi]
Double CanonicalAngleDegrees(Double x);  // into [-180, 180]

// ---- arrays: sorting, selection, exchange ------------------------------------------------
// Typed forms take the first element and the index of the last one (High; the count is
// High + 1; indexes 0-based). Untyped forms take a count and the element kind: rnum and dnum
// are doubles, snum floats, inum and lnum 32-bit integers; Bool and strg do nothing. Untyped
// positions are 1-based.

// Comb sort (gap / 1.3 in extended precision, not stable). Every pass adds 1 to ProcStat and
// calls MathFeedBackProc; fewer than two elements make no pass. Comparisons are strict both
// ways, so NaN values are left where they are and the sort always ends.
void SortArray(Double* Data, Integer High, bool Ascending);
void SortArray(Single* Data, Integer High, bool Ascending);
void SortArray(Integer* Data, Integer High, bool Ascending);
void SortArray(void* Data, Integer Count, TVarKind Kind, bool Ascending);

// Puts Value into a sorted array of fixed length: it goes before the first element not below
// it (ascending; not above it descending), the last element falls out. Returns the place
// (typed 0-based, untyped 1-based), or -1 / 0 when Value lies beyond the last element or
// equals the element found while duplicates are not allowed.
Integer SortIntoArray(Double* Data, Integer High, Double Value, bool Ascending,
                      bool AllowDuplicates);
Integer SortIntoArray(Single* Data, Integer High, Single Value, bool Ascending,
                      bool AllowDuplicates);
Integer SortIntoArray(Integer* Data, Integer High, Integer Value, bool Ascending,
                      bool AllowDuplicates);
Integer SortIntoArray(void* Data, Integer Count, TVarKind Kind, const void* Value, bool Ascending,
                      bool AllowDuplicates);

// Stores Value at position p, moving the elements from p on one place up (the last one falls
// out). A position outside the array changes nothing.
void InsertIntoArray(Double* Data, Integer High, Double Value, Integer p);
void InsertIntoArray(Single* Data, Integer High, Single Value, Integer p);
void InsertIntoArray(Integer* Data, Integer High, Integer Value, Integer p);
void InsertIntoArray(void* Data, Integer Count, TVarKind Kind, const void* Value, Integer p);

// The value that would stand at index k if Data[lo..hi] were sorted ascending; reorders that
// window. hi < lo gives 0. k = hi + 1 (and any k outside lo..hi) gives the value that stood at
// index lo when the call began.
Double QuickSelect(Double* Data, Integer k, Integer lo, Integer hi);

// Exchanges a and b unless (a < b) equals Ascending; true when exchanged.
bool SortSwap(Double& a, Double& b, bool Ascending);

// ---- percentiles: the one rule of the vectors, the matrices and the data table -----------
// prob is in percent: NaN counts as 0, the rest is clamped to 0 ... 100. A value that is NaN
// has no place in an order, so a set holding one has no percentile (NaN) and no quartiles.
Double ClampPercent(Double prob);
// 0-based rank of percentile prob among n >= 1 sorted values: round(n prob / 100), halves to
// even, at most n - 1.
Int64 PercentRank(Int64 n, Double prob);
bool HasNaN(const Double* Data, Int64 n);
// The value of rank PercentRank(n, prob), no interpolation, selected in place by QuickSelect
// (Data is reordered). 0 for n = 0; NaN when a value is NaN.
Double RankPercentile(Double* Data, Int64 n, Double prob);
// Interpolated at position prob (n - 1) / 100 of n sorted values (0-based); prob 100 gives the
// largest. 0 for n = 0; NaN when a value is NaN.
Double PercentileOfSorted(const Double* Sorted, Int64 n, Double prob);
// Quartiles of n sorted values, interpolated at the 1-based positions (n + 1) q: below 1 the
// smallest, at or beyond n the largest. False with all three 0 for n = 0, false with all three
// NaN when a value is NaN.
bool QuartilesOfSorted(const Double* Sorted, Int64 n, Double& Q1, Double& Q2, Double& Q3);

// ---- figures of a set of values: one implementation for every class --------------------
// Each takes a visitor: ForEach(f) calls f(x) for every value (any order, the same each time)
// and is called more than once.

// The exponent of the power of two that brings the largest finite magnitude Big near 1, where
// Big lies outside 2^-Safe ... 2^Safe; 0 inside (and for 0 or values that are not finite), so
// data of moderate size take the plain arithmetic, bit for bit. Scaled values can be raised to
// the powers the caller needs without overflow or underflow, exactly while they stay normal.
inline int ScaleExponent(Double Big, int Safe) {
  if (!(Big > 0) || !std::isfinite(Big)) return 0;
  const int b = std::ilogb(Big);
  return b > -Safe && b < Safe ? 0 : -b;
}
inline Double Scaled(Double x, int e) { return e == 0 ? x : std::ldexp(x, e); }

// Mean (the sum over the count) and variance (denominator n - 1) in two passes: the mean,
// then the squared deviations from it, less the square of their sum over n, which takes out
// the rounding of the mean. An offset common to all values costs no digits (2460000.1 ...
// 2460000.5 give 0.025, 1e9 + 1 ... 1e9 + 4 give 1.6667). Magnitudes beyond 2^400 or below
// 2^-400 are first scaled by a power of two near the largest one, so the sums neither overflow
// nor lose digits and the figures are those of the same data at a moderate scale. Variance 0
// for fewer than two values; infinite when it lies beyond the double range; NaN with a NaN or
// an infinite value. Returns n.
template <class ForEach>
Int64 SampleMeanVar(ForEach forEach, Double& Mean, Double& Variance) {
  Double s = 0, big = 0;
  Int64 n = 0;
  forEach([&](Double x) {
    s += x;
    big = std::fmax(big, std::fabs(x));
    ++n;
  });
  Variance = 0;
  if (n == 0) {
    Mean = 0;
    return 0;
  }
  const int e = ScaleExponent(big, 400);  // squares of deviations, summed
  if (e != 0) {
    s = 0;
    forEach([&](Double x) { s += Scaled(x, e); });
  }
  const Double count = static_cast<Double>(n);
  const Double m = s / count;
  Mean = Scaled(m, -e);
  if (n < 2) return n;
  Double sd = 0, sdd = 0;
  forEach([&](Double x) {
    const Double d = Scaled(x, e) - m;
    sd += d;
    sdd += d * d;
  });
  Variance = Scaled((sdd - sd * sd / count) / (count - 1), -2 * e);
  if (Variance < 0) Variance = 0;
  return n;
}

// SampleMeanVar under the rule of the library's vectors, matrices and data table: fewer than
// three values report the variance 1.
template <class ForEach>
Int64 MeanVarOf(ForEach forEach, Double& Mean, Double& Variance) {
  const Int64 n = SampleMeanVar(forEach, Mean, Variance);
  if (n < 3) Variance = 1;
  return n;
}

// Skewness and excess kurtosis: the third and fourth moments about the mean over n, divided by
// s^3 and s^4, s the standard deviation over n - 1. The values are first scaled by a power of
// two near the largest magnitude, so data anywhere in the double range give the figures they
// give at a moderate scale. The deviations are taken from the rounded mean less the mean of
// the deviations from it (the mean's rounding, which the mean itself cannot hold): data far
// from 0 (1e15 + 0 ... 18, 50) give the figures of the same spread at 0. Returns n when the
// figures were computed; 0, with both 0, for fewer than two values or none without spread.
// NaN values give NaN figures.
template <class ForEach>
Int64 SkewKurtOf(ForEach forEach, Double& Skewness, Double& Kurtosis) {
  Skewness = Kurtosis = 0;
  Double big = 0;
  Int64 n = 0;
  forEach([&](Double x) {
    big = std::fmax(big, std::fabs(x));
    ++n;
  });
  if (n < 2) return 0;
  const int e = ScaleExponent(big, 200);  // fourth powers of deviations
  const Double count = static_cast<Double>(n);
  Double s = 0;
  forEach([&](Double x) { s += Scaled(x, e); });
  const Double m = s / count;
  Double r = 0;
  forEach([&](Double x) { r += Scaled(x, e) - m; });
  r /= count;
  Double s1 = 0, s2 = 0, s3 = 0, s4 = 0;
  forEach([&](Double x) {
    const Double d = (Scaled(x, e) - m) - r;
    s1 += d;
    s2 += d * d;
    s3 += d * d * d;
    s4 += d * d * d * d;
  });
  const Double sd = std::sqrt((s2 - s1 * s1 / count) / (count - 1));
  if (sd == 0) return 0;
  Skewness = s3 / count / (sd * sd * sd);
  Kurtosis = s4 / count / (sd * sd * sd * sd) - 3;
  return n;
}

// The sample (bias-corrected) skewness and kurtosis from SkewKurtOf's figures; both 0 for
// fewer than four values or none without spread (as the population figures are then).
template <class ForEach>
void SampleSkewKurtOf(ForEach forEach, Double& Skewness, Double& Kurtosis) {
  Double g, k;
  const Int64 count = SkewKurtOf(forEach, g, k);
  Skewness = Kurtosis = 0;
  if (count < 4) return;
  const Double n = static_cast<Double>(count);
  Skewness = n / ((n - 1) * (n - 2)) * n * g;
  Kurtosis = n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * n * (k + 3) -
             3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
}

// The square root of the sum of squares, scaled as hypot scales: the values are divided by a
// power of two near the largest magnitude before they are squared, so a representable result
// is returned (the length of (3e200, 1e200) is 3.16e200, of (3e-200, 1e-200) 3.16e-200), and
// where no square over- or underflows the bits are those of the plain sum. NaN with a NaN
// value, otherwise infinite with an infinite one.
template <class ForEach>
Double RootSumSquares(ForEach forEach) {
  Double big = 0;
  bool nan = false;
  forEach([&](Double x) {
    if (std::isnan(x)) nan = true;
    big = std::fmax(big, std::fabs(x));
  });
  if (nan) return std::nan("");
  if (big == 0 || !std::isfinite(big)) return big;
  const int e = ScaleExponent(big, 400);  // squares, summed
  Double s = 0;
  forEach([&](Double x) {
    const Double y = Scaled(x, e);
    s += y * y;
  });
  return Scaled(std::sqrt(s), -e);
}

// Pearson's correlation of pairs: ForEachPair(f) calls f(x, y) for every pair. Two passes over
// values scaled by a power of two near each variable's largest magnitude: the means, then the
// sums of products of the deviations, so data at any scale and with any offset give the figure
// of the same data at a moderate scale. 0 for fewer than MinPairs pairs or a variable without
// spread; NaN with a NaN value.
template <class ForEachPair>
Double CorrelationOf(ForEachPair forEachPair, Int64 MinPairs) {
  Double bx = 0, by = 0;
  Int64 n = 0;
  bool nan = false;
  forEachPair([&](Double x, Double y) {
    if (std::isnan(x) || std::isnan(y)) nan = true;
    bx = std::fmax(bx, std::fabs(x));
    by = std::fmax(by, std::fabs(y));
    ++n;
  });
  if (n < MinPairs || n < 2) return 0;
  if (nan) return std::nan("");
  const int ex = ScaleExponent(bx, 400), ey = ScaleExponent(by, 400);  // squares, summed
  const Double count = static_cast<Double>(n);
  Double sx = 0, sy = 0;
  forEachPair([&](Double x, Double y) {
    sx += Scaled(x, ex);
    sy += Scaled(y, ey);
  });
  const Double mx = sx / count, my = sy / count;
  Double dx = 0, dy = 0, dxx = 0, dyy = 0, dxy = 0;
  forEachPair([&](Double x, Double y) {
    const Double u = Scaled(x, ex) - mx, v = Scaled(y, ey) - my;
    dx += u;
    dy += v;
    dxx += u * u;
    dyy += v * v;
    dxy += u * v;
  });
  const Double Sxx = dxx - dx * dx / count, Syy = dyy - dy * dy / count;
  if (Sxx == 0 || Syy == 0) return 0;
  return (dxy - dx * dy / count) / (std::sqrt(std::fabs(Sxx)) * std::sqrt(std::fabs(Syy)));
}

// Low + u (High - Low) for a uniform draw u in [0, 1). A span beyond the double range (from
// -1e308 to 1e308) is taken in halves, so the value stays finite and within the bounds.
inline Double UniformBetween(Double Low, Double High, Double u) {
  const Double span = High - Low;
  if (std::isfinite(span) || !std::isfinite(Low) || !std::isfinite(High)) return Low + u * span;
  return 2 * (0.5 * Low + u * (0.5 * High - 0.5 * Low));
}

// Exchanges two values of one type (integers, floats, strings, Booleans, characters ...).
template <class T>
inline void ExChange(T& a, T& b) {
  T t = std::move(a);
  a = std::move(b);
  b = std::move(t);
}
// Exchanges Size bytes between two memory areas.
void ExChange(void* a, void* b, Word Size);

// ---- angles as text ----------------------------------------------------------------------
#include "SysUtils.h"

// The degree sign is U+00B0 (written as UTF-8; a lone Latin-1 byte B0 is read too), minutes
// are followed by "'" and seconds by '"'. In the split forms the degrees carry the sign.
// Decimals 0 ... 8; dfDegMin / dfDegMinSec round the angle half away from zero first.
String DegreeToStr(Double Angle, TDegreeFormat Format, Integer Decimals);
// Reads an angle from Position (1-based, left just behind the last character read). With
// AllowLetters a compass letter N, E, S, W ends the text and alone decides the sign. ErrCode:
// 0 read; -1 empty text or bad first character; -2 / -4 / -6 bad character in the degrees /
// minutes / seconds; -3 / -5 minutes (seconds) after a decimal point; -7 only a blank or a
// compass letter may follow; -8 / -9 minutes / seconds outside [0, 60). The result is 0
// unless ErrCode is 0.
Double ScanDegrees(const String& Instring, Integer& Position, bool AllowLetters, Integer& ErrCode);
// Converts between the forms in place; minutes or seconds outside 0 ... 60 raise
// ESDLMath1Error and change nothing. Pairs with dfNumeric change nothing.
void ConvertDegrees(Double& Degrees, Double& Minutes, Double& Seconds, TDegreeFormat InFormat,
                    TDegreeFormat OutFormat);
// Rounds the coarsest non-zero unit onto 1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360 (minutes
// and seconds: up to 60, which carries into the next unit) and clears the finer ones.
void RoundDegrees(Integer& Degrees, Integer& Minutes, Integer& Seconds, bool Upward);

// ---- dates and times from text -----------------------------------------------------------
// Reads a date and time by a format of letter runs (yyyy yy MMMM MMM MM M dddd ddd dd d HH H
// hh h mm m ss s t tt) and literals (quoted with "'" or plain text up to the next letter);
// names of months and weekdays come from the language's tables (A-Z folded). ErrCode: 0, -1 a
// literal not found, -2 an unknown letter run, -3 a number or name that does not convert; the
// result is then 0. With a year, a month or day the format lacks reads as 1 ("mars 2020" by
// "MMMM yyyy" is 1 March 2020); one the text gives as 0 stays 0. A date or time that cannot
// exist raises EConvertError ("2020-00-05", "2020-03-00").
TDateTime ScanDateTime(const String& Instring, const String& Format, TLanguage Language,
                       Integer& ErrCode);
