// Scalar routines of DOV_math1: rounding, tick layout, elementary functions, interpolation,
// integers, bits, random numbers and compensated summation.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "DOV_math1.h"
#include "DOV_stringl.h"
#include "RtlRandom.h"

namespace {

// ---- rounding ----------------------------------------------------------------------------

TEST(Math1Rounding, IntPosIntNegSignum) {
  struct Case {
    double x;
    Integer pos, neg, sign;
  };
  const Case cases[] = {
      {-2.5, -2, -3, -1},
      {3, 3, 3, 1},
      {0, 0, 0, 1},
      {-0.0, 0, 0, 1},
      {2.0000001, 3, 2, 1},
      {-1e-300, 0, -1, -1},
      {1e12, 2147483647, 2147483647, 1},
      {-1e12, -2147483647 - 1, -2147483647 - 1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(IntPos(c.x), c.pos);
    EXPECT_EQ(IntNeg(c.x), c.neg);
    EXPECT_EQ(Signum(c.x), c.sign);
  }
  EXPECT_EQ(IntPos(std::nan("")), 0);
}

TEST(Math1Rounding, RoundLimitRoundsHalvesToEvenThenClamps) {
  struct Case {
    double x;
    Int64 lo, hi, expected;
  };
  const Case cases[] = {
      {7.5, 0, 5, 5},    {2.5, 0, 5, 2},  {3.5, 0, 5, 4},      {-0.5, -5, 5, 0},
      {-1.5, -5, 5, -2}, {-9, -5, 5, -5}, {1e30, 0, 100, 100}, {-1e30, 0, 100, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(RoundLimit(c.x, c.lo, c.hi), c.expected);
  }
}

TEST(Math1Rounding, OneTwoFiveSequence) {
  struct Case {
    double x, nearest, down, up;
  };
  const Case cases[] = {
      {0.14, 0.1, 0.1, 0.2},    {2.9, 2, 2, 5},    {7.9, 5, 5, 10},
      {8, 10, 5, 10},           {-3, -5, -5, -2},  {3, 5, 2, 5},
      {1000, 1000, 1000, 1000}, {0, 0, 0, 0},      {1.5, 2, 1, 2},
      {-1, -1, -1, -1},         {-7, -5, -10, -5}, {0.001, 0.001, 0.001, 0.001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_DOUBLE_EQ(Round125(c.x), c.nearest);
    EXPECT_DOUBLE_EQ(RoundNeg125(c.x), c.down);
    EXPECT_DOUBLE_EQ(RoundPos125(c.x), c.up);
  }
}

// ---- tick layout -------------------------------------------------------------------------

TEST(Math1ScalePars, TickLayouts) {
  struct Case {
    Integer n;
    long double lo, hi;
    long double first, dist;
    Word sub;
  };
  const Case cases[] = {
      {5, 0, 7, 0, 1, 5},          {5, 0, 30, 0, 5, 5},          {5, 0, 12, 0, 2, 4},
      {4, 10, 0, 10, -2, 4},       {5, 0, 10, 0, 1, 5},          {5, 4, 4, 4, 0, 1},
      {0, 0.5L, 8, 1, 1, 5},       {0, 0, 50, 0, 1, 1},          {5, -0.33L, 0.77L, -0.2L, 0.2L, 4},
      {10, 0, 1e-6L, 0, 1e-7L, 5}, {3, 1250, 1300, 1250, 10, 5}, {3, 1245, 1345, 1260, 20, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.n << " " << static_cast<double>(c.lo) << " " << static_cast<double>(c.hi));
    Extended first = -99, dist = -99;
    Word sub = 99;
    CalcScalePars(c.n, c.lo, c.hi, first, dist, sub);
    EXPECT_NEAR(static_cast<double>(dist), static_cast<double>(c.dist),
                1e-12 * std::fabs(static_cast<double>(c.dist)));
    EXPECT_NEAR(static_cast<double>(first), static_cast<double>(c.first),
                1e-9 * std::fabs(static_cast<double>(c.dist)) + 1e-300);
    EXPECT_EQ(sub, c.sub);
  }
}

TEST(Math1ScalePars, NegativeCountAndTinyDistanceStayBounded) {
  Extended first, dist;
  Word sub;
  // A negative count is taken by its magnitude instead of a logarithm of a negative number.
  CalcScalePars(-5, 0, 30, first, dist, sub);
  EXPECT_EQ(dist, 5);
  EXPECT_EQ(first, 0);
  // A distance below the resolution of Low must not keep the first-tick loop running forever.
  const long double lo = 1e30L;
  const long double hi = std::nextafter(lo, 2e30L);
  CalcScalePars(1000, lo, hi, first, dist, sub);
  EXPECT_GT(dist, 0);
}

// ---- elementary functions ----------------------------------------------------------------

TEST(Math1Functions, LogarithmsAndTheirArgumentError) {
  EXPECT_DOUBLE_EQ(lg(1000), 3);
  EXPECT_DOUBLE_EQ(lg(0.01), -2);
  EXPECT_DOUBLE_EQ(ld(8), 3);
  EXPECT_DOUBLE_EQ(ld(0.25), -2);
  for (double bad : {0.0, -1.0}) {
    for (auto f : {&lg, &ld}) {
      try {
        f(bad);
        ADD_FAILURE() << "no error for " << bad;
      } catch (const EMathError& e) {
        EXPECT_EQ(e.Message, "logarithm: invalid argument");
      }
    }
  }
}

TEST(Math1Functions, HyperbolicAndTangent) {
  for (double x : {-3.0, -0.5, 0.25, 1.0, 2.0}) {
    SCOPED_TRACE(x);
    EXPECT_NEAR(DOV_math1::sinh(x), std::sinh(x), 1e-14 * std::cosh(x));
    EXPECT_NEAR(DOV_math1::cosh(x), std::cosh(x), 1e-14 * std::cosh(x));
    EXPECT_NEAR(tgh(x), std::tanh(x), 1e-15);
    EXPECT_NEAR(tg(x), std::tan(x), 1e-13 * (1 + std::fabs(std::tan(x))));
    EXPECT_NEAR(cot(x), 1 / std::tan(x), 1e-13 * (1 + std::fabs(1 / std::tan(x))));
  }
  EXPECT_EQ(tgh(1000), 1);
  EXPECT_EQ(tgh(-1000), -1);
  try {
    cot(0);
    ADD_FAILURE() << "cot(0) did not raise";
  } catch (const EMathError& e) {
    EXPECT_EQ(e.Message, "cotangens overflow");
  }
}

TEST(Math1Functions, Polynomials) {
  const TDoubleArray c = {1, 2, 3};
  EXPECT_EQ(Polynomial(c, 2, 2), 17);
  EXPECT_EQ(Polynomial(c, 1, 2), 5);
  EXPECT_EQ(Polynomial(c, 0, 2), 1);
  EXPECT_EQ(CenteredPolynomial(c, 2, 1, 3), 17);  // (b - a) = 2
  EXPECT_EQ(CenteredPolynomial(c, 2, 3, 1), 9);   // (b - a) = -2: 1 - 4 + 12
  for (Integer order : {3, -1}) {
    SCOPED_TRACE(order);
    try {
      Polynomial(c, order, 2);
      ADD_FAILURE();
    } catch (const ESDLMath1Error& e) {
      EXPECT_EQ(e.Message, "Polynomial: invalid order of polynomial");
    }
    try {
      CenteredPolynomial(c, order, 0, 2);
      ADD_FAILURE();
    } catch (const ESDLMath1Error& e) {
      EXPECT_EQ(e.Message, "Polynomial: invalid order of polynomial");
    }
  }
  EXPECT_THROW(Polynomial(TDoubleArray{}, 0, 1), ESDLMath1Error);
}

// ---- interpolation -----------------------------------------------------------------------

TEST(Math1Interpolation, XYTable) {
  const TDouble2DArray t = {{1, 2, 3}, {10, 20, 40}};
  struct Case {
    double x, y;
  };
  const Case cases[] = {{1, 10}, {2.5, 30}, {4, 60}, {0, 0}, {2, 20}, {1.5, 15}, {3, 40}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_DOUBLE_EQ(InterpolXYTable(c.x, t), c.y);
  }
  EXPECT_TRUE(std::isnan(InterpolXYTable(std::nan(""), t)));
}

TEST(Math1Interpolation, XYTableErrors) {
  struct Case {
    TDouble2DArray table;
    const char* message;
  };
  const Case cases[] = {
      {{}, "InterpolXYTable: pivot array must contain at least 2 rows"},
      {{{1}, {2}}, "InterpolXYTable: pivot array must contain at least 2 rows"},
      {{{1, 2}}, "InterpolXYTable: pivot array must contain 2 columns"},
      {{{1, 2}, {1, 2}, {1, 2}}, "InterpolXYTable: pivot array must contain 2 columns"},
      // fewer ordinates than abscissas: never read beyond the ordinates
      {{{1, 2, 3}, {5}}, "InterpolXYTable: pivot array must contain at least 2 rows"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      InterpolXYTable(1, c.table);
      ADD_FAILURE();
    } catch (const ESDLMath1Error& e) {
      EXPECT_EQ(e.Message, c.message);
    }
  }
  // With a short ordinate array only the pivots both arrays hold take part.
  EXPECT_DOUBLE_EQ(InterpolXYTable(4, {{1, 2, 3}, {10, 20}}), 40);
}

TEST(Math1Interpolation, EquallySpacedTable) {
  const TDoubleArray v = {0, 10, 20, 30};
  const TIntArray vi = {0, 10, 20, 30};
  struct Case {
    double x, x0, x1, y;
  };
  const Case cases[] = {
      {2.5, 0, 3, 25}, {4, 0, 3, 40},  {0.5, 3, 0, 25}, {0, 0, 3, 0},  {3, 0, 3, 30},
      {-1, 0, 3, -10}, {4, 3, 0, -10}, {1, 0, 6, 5},    {6, 0, 6, 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << " " << c.x0 << " " << c.x1);
    EXPECT_DOUBLE_EQ(InterpolTable(c.x, c.x0, c.x1, v), c.y);
    EXPECT_DOUBLE_EQ(InterpolTable(c.x, c.x0, c.x1, vi), c.y);
  }
  try {
    InterpolTable(1, 0, 1, TDoubleArray{5});
    ADD_FAILURE();
  } catch (const ESDLMath1Error& e) {
    EXPECT_EQ(e.Message, "InterpolTable: pivot array must contain at least 2 values");
  }
  try {
    InterpolTable(1, 2, 2, TIntArray{1, 2});
    ADD_FAILURE();
  } catch (const ESDLMath1Error& e) {
    EXPECT_EQ(e.Message, "InterpolTable: specified range of pivot array is zero");
  }
}

TEST(Math1Interpolation, RectangleAndHistogramBins) {
  EXPECT_DOUBLE_EQ(InterpolZofXYRect(0, 10, 20, 30, 0.5, 0.5), 15);
  EXPECT_DOUBLE_EQ(InterpolZofXYRect(1, 2, 3, 4, 0, 0), 1);
  EXPECT_DOUBLE_EQ(InterpolZofXYRect(1, 2, 3, 4, 1, 1), 4);
  struct Case {
    double x, ref, width, edge, offset;
  };
  const Case cases[] = {
      {7.5, 1, 2, 7, 0.5}, {-0.5, 0, 1, -1, 0.5}, {3, 3, 0.5, 3, 0},
      {10, 0, 2.5, 10, 0}, {5, 0, 0, 0, 5},  // zero width: no bin to count, the reference itself
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    double offset = -1;
    EXPECT_DOUBLE_EQ(HistoBinRef(c.x, c.ref, c.width, offset), c.edge);
    EXPECT_DOUBLE_EQ(offset, c.offset);
  }
}

// ---- integers ----------------------------------------------------------------------------

TEST(Math1Integers, Factorial) {
  EXPECT_EQ(Factorial(0), 1);
  EXPECT_EQ(Factorial(1), 1);
  EXPECT_EQ(Factorial(5), 120);
  EXPECT_EQ(Factorial(20), 2432902008176640000.0L);  // exact only with a 64-bit mantissa
  EXPECT_NEAR(static_cast<double>(std::log(Factorial(1000))), 5912.12817848816, 1e-9);
  try {
    Factorial(-1);
    ADD_FAILURE();
  } catch (const ESDLMath1Error& e) {
    EXPECT_EQ(e.Message, "Factorial: negative argument");
  }
  try {
    Factorial(1001);
    ADD_FAILURE();
  } catch (const ESDLMath1Error& e) {
    EXPECT_EQ(e.Message, "Factorial: argument too big");
  }
}

TEST(Math1Integers, PrimeTable) {
  EXPECT_EQ(ListOfPrimes(1), 2);
  EXPECT_EQ(ListOfPrimes(2), 3);
  EXPECT_EQ(ListOfPrimes(10), 29);
  EXPECT_EQ(ListOfPrimes(4792), 46337);
  EXPECT_EQ(ListOfPrimes(0), 0);
  EXPECT_EQ(ListOfPrimes(4793), 0);
  EXPECT_EQ(ListOfPrimes(-3), 0);
  struct Case {
    Integer n;
    bool prime;
  };
  const Case cases[] = {
      {0, true},
      {1, true},
      {-1, true},
      {2, true},
      {4, false},
      {97, true},
      {-97, true},
      {91, false},
      {46337, true},
      {2147483647, true},
      {2147483646, false},
      {46337 * 46337, false},
      {-2147483647 - 1, false},
      {25, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(IsPrime(c.n), c.prime);
  }
}

TEST(Math1Integers, PrimeFactors) {
  struct Case {
    Integer n;
    TIntArray factors;
  };
  const Case cases[] = {
      {1, {}},
      {0, {}},
      {-12, {}},
      {2, {2}},
      {12, {2, 2, 3}},
      {97, {97}},
      {2147483647, {2147483647}},
      {2147483646, {2, 3, 3, 7, 11, 31, 151, 331}},
      {46337 * 46337, {46337, 46337}},
      {1024, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(FindPrimeFactors(c.n), c.factors);
  }
}

TEST(Math1Integers, CancelFraction) {
  struct Case {
    Integer n, d, n2, d2;
  };
  const Case cases[] = {
      {6, -4, 3, -2},     {0, 5, 0, 5}, {5, 0, 5, 0},
      {-10, -15, -2, -3}, {7, 3, 7, 3}, {-2147483647 - 1, 2, -1073741824, 1},
      {12, 12, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.n << "/" << c.d);
    Integer n = c.n, d = c.d;
    CancelFraction(n, d);
    EXPECT_EQ(n, c.n2);
    EXPECT_EQ(d, c.d2);
  }
}

// ---- bits and bytes ----------------------------------------------------------------------

TEST(Math1Bits, BitRoutines) {
  EXPECT_EQ(EncodeLong(0), 31);
  EXPECT_EQ(EncodeLong(8), 3);
  EXPECT_EQ(EncodeLong(12), 2);
  EXPECT_EQ(EncodeLong(-2147483647 - 1), 31);
  EXPECT_EQ(EncodeLong(1), 0);
  EXPECT_EQ(DecodeBit(8), 0);
  EXPECT_EQ(DecodeBit(7), 128);
  EXPECT_EQ(DecodeBit(-1), 0);
  EXPECT_EQ(DecodeLong(0), 1);
  EXPECT_EQ(DecodeLong(30), 1073741824);
  EXPECT_EQ(DecodeLong(31), -2147483647 - 1);
  EXPECT_EQ(DecodeLong(32), 0);
  EXPECT_EQ(GrayCode(2), 3);
  EXPECT_EQ(GrayCode(0xFFFF), 0x8000);
  EXPECT_EQ(BitReversal(1), 128);
  EXPECT_EQ(BitReversal(0xC4), 0x23);
  EXPECT_EQ(CountBits(0), 0);
  EXPECT_EQ(CountBits(0xFF), 8);
  EXPECT_EQ(CountBits(0x52), 3);
  EXPECT_TRUE(CheckPowerOfTwo(0));
  EXPECT_TRUE(CheckPowerOfTwo(1));
  EXPECT_TRUE(CheckPowerOfTwo(0x80000000u));
  EXPECT_FALSE(CheckPowerOfTwo(6));
}

TEST(Math1Bits, ConvertEndianReversesBytes) {
  EXPECT_EQ(ConvertEndian(Word{0x1234}), 0x3412);
  EXPECT_EQ(ConvertEndian(Integer{0x01020304}), 0x04030201);
  EXPECT_EQ(ConvertEndian(Integer{-1}), -1);
  // 1.0 is 3FF0000000000000; reversed it is the pattern 000000000000F03F.
  const double d = ConvertEndian(1.0);
  std::uint64_t bits;
  std::memcpy(&bits, &d, 8);
  EXPECT_EQ(bits, 0xF03Full);
  EXPECT_EQ(ConvertEndian(ConvertEndian(123.456)), 123.456);
  const float f = ConvertEndian(1.0f);  // 3F800000
  std::uint32_t fb;
  std::memcpy(&fb, &f, 4);
  EXPECT_EQ(fb, 0x0000803Fu);
}

// ---- random numbers ----------------------------------------------------------------------

// The run-time generator's next uniform draw from a given seed.
double NextDraw(Cardinal& seed) {
  seed = seed * 134775813u + 1u;
  return seed / 4294967296.0;
}

TEST(Math1Random, StartUpSeedsLongRandFromThreeDraws) {
  InitRandomGenerator(4711);
  MathFeedBackProc = [](Double) {};
  DOV_math1_Init();
  EXPECT_EQ(MathFeedBackProc, nullptr);
  Cardinal seed = 4711;
  long long s[3];
  for (auto& v : s) v = std::llrint(NextDraw(seed) * 990000.0);
  EXPECT_EQ(RandSeed, seed);  // exactly three draws
  // LongRand(0) continues from the start-up seeds.
  const long long t1 = s[0] * 1187 % 1001003, t2 = s[1] * 983 % 990923, t3 = s[2] * 1283 % 1400423;
  const double r = t1 / 1001003.0 + t2 / 990923.0 + t3 / 1400423.0;
  EXPECT_DOUBLE_EQ(LongRand(0), r - std::trunc(r));
}

TEST(Math1Random, LibraryStartUpIsReproducible) {
  InitLibrary();
  DOV_math1_Init();
  const double l = LongRand(0);
  const double g = GRandom();
  InitLibrary();
  DOV_math1_Init();
  EXPECT_EQ(LongRand(0), l);
  EXPECT_EQ(GRandom(), g);
}

// One call starts the library: InitLibrary seeds LongRand as the explicit start-up does, and a
// program that still calls DOV_math1_Init after it keeps the very same sequences.
TEST(Math1Random, InitLibraryAloneSeedsLongRand) {
  auto sequence = [] {
    std::vector<double> v;
    for (int i = 0; i < 3; ++i) v.push_back(LongRand(0));
    v.push_back(GRandom());
    v.push_back(static_cast<double>(RandSeed));
    return v;
  };
  InitScramble(8053);  // what InitLibrary seeds, then the unit's own start-up
  MathFeedBackProc = [](Double) {};
  DOV_math1_Init();
  const std::vector<double> twoStep = sequence();
  EXPECT_NE(twoStep[0], 0.0);
  EXPECT_NE(twoStep[0], twoStep[1]);
  struct Case {
    const char* Name;
    std::function<void()> Start;
  } cases[] = {
      {"InitLibrary alone", [] { InitLibrary(); }},
      {"InitLibrary, then DOV_math1_Init",
       [] {
         InitLibrary();
         DOV_math1_Init();
       }},
      {"LongRand drawn between",
       [] {
         InitLibrary();
         LongRand(5);
         DOV_math1_Init();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    MathFeedBackProc = [](Double) {};
    c.Start();
    EXPECT_EQ(MathFeedBackProc, nullptr);
    EXPECT_EQ(sequence(), twoStep);
  }
  // A draw between the two calls: the unit's start-up draws again, as it always did.
  InitLibrary();
  const Cardinal afterLibrary = RandSeed;
  Random(10);
  DOV_math1_Init();
  Cardinal seed = afterLibrary;
  for (int i = 0; i < 4; ++i) NextDraw(seed);
  EXPECT_EQ(RandSeed, seed);
}

TEST(Math1Random, LongRandSequences) {
  // Hand-computed from the three multiplicative generators.
  EXPECT_DOUBLE_EQ(LongRand(12345), 0.9918772283555497);
  EXPECT_DOUBLE_EQ(LongRand(0), 0.7858948414495446);
  EXPECT_DOUBLE_EQ(LongRand(0), 0.2971496983237336);
  EXPECT_DOUBLE_EQ(LongRand(-777), 0.45186175426028696);
  // Reseeding repeats the sequence; the generator draws nothing from the run-time's.
  const Cardinal before = RandSeed;
  double first[20];
  first[0] = LongRand(99991);
  for (int i = 1; i < 20; ++i) first[i] = LongRand(0);
  EXPECT_EQ(LongRand(99991), first[0]);
  for (int i = 1; i < 20; ++i) {
    const double v = LongRand(0);
    EXPECT_EQ(v, first[i]);
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 1);
  }
  EXPECT_EQ(RandSeed, before);
  // Seeds at the ends of the 32-bit range.
  for (Integer seed : {2147483647, -2147483647 - 1, 990923, 1}) {
    const double v = LongRand(seed);
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 1);
  }
}

TEST(Math1Random, GRandomPolarMethodAndSpare) {
  InitRandomGenerator(2024);
  DOV_math1_Init();
  Cardinal seed = RandSeed;
  double u, v, s;
  do {
    u = 2 * NextDraw(seed) - 1;
    v = 2 * NextDraw(seed) - 1;
    s = u * u + v * v;
  } while (!(s < 1 && s > 0));
  const double f = std::sqrt(-2 * std::log(s) / s);
  EXPECT_DOUBLE_EQ(GRandom(), v * f);
  EXPECT_EQ(RandSeed, seed);
  EXPECT_DOUBLE_EQ(GRandom(), u * f);  // the spare, without a draw
  EXPECT_EQ(RandSeed, seed);
  // The start-up empties the spare.
  GRandom();
  DOV_math1_Init();
  const Cardinal afterInit = RandSeed;
  GRandom();
  EXPECT_NE(RandSeed, afterInit);
}

TEST(Math1Random, GRandomIsStandardNormal) {
  InitRandomGenerator(8053);
  double sum = 0, sq = 0;
  const int n = 200000;
  for (int i = 0; i < n; ++i) {
    const double g = GRandom();
    sum += g;
    sq += g * g;
  }
  EXPECT_NEAR(sum / n, 0, 0.01);
  EXPECT_NEAR(sq / n, 1, 0.02);
}

TEST(Math1Random, BRandomAndCRandomDraws) {
  InitRandomGenerator(77);
  EXPECT_TRUE(BRandom(1));
  EXPECT_TRUE(BRandom(5));
  EXPECT_EQ(RandSeed, 77u);  // no draw for p >= 1
  Cardinal seed = 77;
  const double d1 = NextDraw(seed);
  EXPECT_EQ(BRandom(0.5), d1 < 0.5);
  EXPECT_FALSE(BRandom(0));
  EXPECT_FALSE(BRandom(-1));
  NextDraw(seed);
  NextDraw(seed);
  EXPECT_EQ(RandSeed, seed);  // one draw per call below 1
  const double d4 = NextDraw(seed);
  EXPECT_NEAR(CRandom(3, 2), 3 + 2 * std::tan(M_PI * (d4 - 0.5)), 1e-9);
  EXPECT_EQ(RandSeed, seed);
}

// ---- TKahanSum ---------------------------------------------------------------------------

TEST(Math1KahanSum, CompensatesTinyAdditions) {
  TKahanSum k(nullptr);
  EXPECT_EQ(k.Sum, 0);
  EXPECT_EQ(k.cps, 0);
  k.Add(1.0);
  double plain = 1.0;
  for (int i = 0; i < 10000000; ++i) {
    k.Add(1e-16);
    plain += 1e-16;
  }
  EXPECT_EQ(plain, 1.0);
  EXPECT_GT(k.Sum, 1.0);
  EXPECT_NEAR(k.Sum, 1.000000001, 1e-14);
  k.Reset();
  EXPECT_EQ(k.Sum, 0);
  EXPECT_EQ(k.cps, 0);
}

TEST(Math1KahanSum, IsOwnedComponent) {
  TComponent owner(nullptr);
  auto* k = new TKahanSum(&owner);
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(k->ClassName(), "TKahanSum");
  k->Add(2.5);
  EXPECT_EQ(k->Sum, 2.5);
}  // the owner frees it

}  // namespace
