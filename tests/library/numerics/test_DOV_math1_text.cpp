// Number text conversion of DOV_math1: scanners, validity tests, formatters and bit patterns.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <typeinfo>

#include "Classes.h"
#include "DOV_math1.h"
#include "DOV_streams.h"
#include "SysUtils.h"

namespace {

// ---- ScanFPNum ---------------------------------------------------------------------------

struct ScanCase {
  const char* text;
  bool allowExp;
  Integer mode;
  Integer start;
  double value;
  Integer end;
};

TEST(Math1ScanFPNum, ValuesAndEndPositions) {
  const ScanCase cases[] = {
      // the position rests on the character that ended the number
      {"  -12.5e3xyz", true, 1, 1, -12500, 10},
      {"1,5", true, 3, 1, 1.5, 4},
      {"1,5", true, 1, 1, 1, 2},
      {".5", true, 1, 1, 0.5, 3},
      {"5.", true, 1, 1, 5, 3},
      {"abc", true, 1, 1, 0, 1},
      {"12", true, 1, 1, 12, 3},
      {"1.5E3", false, 1, 1, 1.5, 4},
      {"1.5E3", true, 1, 1, 1500, 6},
      {"1e-3;", true, 1, 1, 0.001, 5},
      {"  7", true, 1, 1, 7, 4},
      {"ab3.25;x", true, 1, 3, 3.25, 7},
      {"0.1", true, 1, 1, 0.1, 4},
      {"-.5", true, 1, 1, -0.5, 4},
      {"+2", true, 1, 1, 2, 3},
      // separator modes: 0 (and anything else) accepts none, 2 only ","
      {"3.25", true, 0, 1, 3, 2},
      {"3.25", true, 7, 1, 3, 2},
      {"3,25", true, 2, 1, 3.25, 5},
      {"3.25", true, 2, 1, 3, 2},
      {"3.2,5", true, 3, 1, 0, 4},
      // errors give 0 with the position on the offending character
      {"+", true, 1, 1, 0, 2},
      {"- 5", true, 1, 1, 0, 2},
      {"1.2.3", true, 1, 1, 0, 4},
      {"", true, 1, 1, 0, 1},
      {"12", true, 1, 5, 0, 5},
      {"1e 5", true, 1, 1, 0, 3},
      // an exponent letter without digits is not part of the value
      {"1.5E", true, 1, 1, 1.5, 5},
      {"1.5e+;", true, 1, 1, 1.5, 6},
      // out of range: clamped, or gone below the smallest double
      {"1e5000", true, 1, 1, 1.7e308, 7},
      {"-1e5000", true, 1, 1, -1.7e308, 8},
      {"1e4200", true, 1, 1, 1.7e308, 7},
      {"1e-5000", true, 1, 1, 0, 8},
      {"2e308", true, 1, 1, 1.7e308, 6},
      {"1.6e308", true, 1, 1, 1.6e308, 8},
      // the nearest double to the digits (an extended value rounded again is one unit off)
      {"2.387155225747177e+174", true, 1, 1, 2.3871552257471772e174, 23},
      {"-0", true, 1, 1, -0.0, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.text << "\" mode " << c.mode);
    Integer pos = c.start;
    const double got = ScanFPNum(c.text, c.allowExp, c.mode, pos);
    EXPECT_EQ(got, c.value);
    EXPECT_EQ(std::signbit(got), std::signbit(c.value));
    EXPECT_EQ(pos, c.end);
  }
}

TEST(Math1ScanFPNum, ConvertsToTheNearestDouble) {
  Integer pos = 1;
  // 2^53 + 1 + 1e-10 lies above the midpoint 2^53 + 1, so the nearest double is 2^53 + 2 (in
  // 80 bits it would be 2^53 + 1, which then rounds to even: 2^53).
  EXPECT_EQ(ScanFPNum("9007199254740993.0000000001", true, 1, pos), 9007199254740994.0);
  pos = 1;
  EXPECT_EQ(ScanFPNumExtended("9007199254740993.0000000001", true, 1, pos), 9007199254740993.0L);
  pos = 1;
  EXPECT_EQ(ScanFPNumUnclamped("1e309", true, 1, pos), HUGE_VAL);
  pos = 1;
  EXPECT_EQ(ScanFPNum("123456789012345678901234567890", true, 1, pos), 1.2345678901234568e29);
  pos = 1;
  EXPECT_EQ(ScanFPNum("2.2250738585072014e-308", true, 1, pos), 2.2250738585072014e-308);
  // Long digit strings are converted whole, not cut.
  const String big = "1" + String(400, '0');
  pos = 1;
  EXPECT_EQ(ScanFPNum(big, true, 1, pos), 1.7e308);
  EXPECT_EQ(pos, 402);
  const String tiny = "0." + String(400, '0') + "1";
  pos = 1;
  EXPECT_EQ(ScanFPNum(tiny, true, 1, pos), 0);
  pos = 1;
  EXPECT_EQ(ScanFPNum("1e" + String(30, '9'), true, 1, pos), 1.7e308);
}

// Every double written with 17 significant digits, or with its shortest exact digits, reads
// back as itself through each of the number readers (ScanFPNum, the table field reader, the
// stream scanner). Random bit patterns cover the whole range; values between 1e-20 and 1e20
// take the field reader's shortcut for short plain numbers.
TEST(Math1ScanFPNum, DoublesWrittenExactlyReadBackAsThemselves) {
  std::mt19937_64 gen(2026);
  std::uniform_real_distribution<double> mantissa(1, 10);
  std::uniform_int_distribution<int> decade(-20, 20);
  int wrong = 0;
  for (int i = 0; i < 100000 && wrong < 10; ++i) {
    double x;
    if (i % 2 == 0) {
      do {
        const std::uint64_t bits = gen();
        std::memcpy(&x, &bits, sizeof x);
      } while (!(std::fabs(x) <= 1.7e308));
    } else {
      x = mantissa(gen) * std::pow(10.0, decade(gen));
    }
    char seventeen[40], shortest[40];
    std::snprintf(seventeen, sizeof seventeen, "%.16e", x);
    *std::to_chars(shortest, shortest + sizeof shortest - 1, x).ptr = 0;
    for (const char* text : {seventeen, shortest}) {
      Integer pos = 1;
      const double scanned = ScanFPNum(text, true, 1, pos);
      double field = 0;
      const bool isField = ReadNumberField(text, field);
      TStringStream stream(text);
      const double streamed = ScanStreamFPNum(stream, true, dsDot);
      EXPECT_TRUE(isField) << text;
      if (std::memcmp(&scanned, &x, sizeof x) != 0 || std::memcmp(&field, &x, sizeof x) != 0 ||
          std::memcmp(&streamed, &x, sizeof x) != 0) {
        ++wrong;
        ADD_FAILURE() << text << " read as " << scanned << ", " << field << ", " << streamed;
      }
    }
  }
}

TEST(Math1ScanFPNum, ReadsSuccessiveFieldsOfALine) {
  const String line = "1.5;-2e2; 3,25;x";
  Integer pos = 1;
  EXPECT_EQ(ScanFPNum(line, true, 3, pos), 1.5);
  EXPECT_EQ(line[static_cast<size_t>(pos - 1)], ';');
  ++pos;
  EXPECT_EQ(ScanFPNum(line, true, 3, pos), -200);
  ++pos;
  EXPECT_EQ(ScanFPNum(line, true, 3, pos), 3.25);
  ++pos;
  EXPECT_EQ(ScanFPNum(line, true, 3, pos), 0);
  EXPECT_EQ(pos, 16);
}

// ---- validity tests ----------------------------------------------------------------------

TEST(Math1Validity, IsValidDouble) {
  struct Case {
    const char* text;
    bool allowExp;
    TDecPSep sep;
    bool valid;
  };
  const Case cases[] = {
      {"12abc", true, dsDot, true},    {".", true, dsDot, true},
      {"12,5", true, dsDot, true},     {"", true, dsDot, false},
      {"3.5 x", true, dsDot, true},    {"abc", true, dsDot, false},
      {"-", true, dsDot, false},       {"E5", true, dsDot, false},
      {"1.2.3", true, dsDot, false},   {"1e5000", true, dsDot, false},
      {"1e4200", true, dsDot, true},   {"1e4201", true, dsDot, false},
      {"1e-4201", true, dsDot, false}, {"1.5E", true, dsDot, true},
      {"1e5", false, dsDot, true},     {" 12", true, dsDot, true},
      {",5", true, dsDot, false},      {",5", true, dsComma, true},
      {",5", true, dsBoth, true},      {".5", true, dsComma, false},
      {"1,5", true, dsComma, true},    {"  ", true, dsDot, false},
      {"1e+", true, dsDot, true},      {"1e 5", true, dsDot, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.text << "\" sep " << c.sep);
    EXPECT_EQ(IsValidDouble(c.text, c.allowExp, c.sep), c.valid);
  }
}

TEST(Math1Validity, SystemSeparatorFollowsFormatSettings) {
  const char saved = FormatSettings.DecimalSeparator;
  FormatSettings.DecimalSeparator = ',';
  EXPECT_TRUE(IsValidDouble(",5", true, dsSystem));
  EXPECT_FALSE(IsValidDouble(".5", true, dsSystem));
  EXPECT_TRUE(IsValidFPNum("1,5", dsSystem));
  EXPECT_FALSE(IsValidFPNum("1.5", dsSystem));
  FormatSettings.DecimalSeparator = '.';
  EXPECT_FALSE(IsValidDouble(",5", true, dsSystem));
  EXPECT_TRUE(IsValidDouble(".5", true, dsSystem));
  EXPECT_TRUE(IsValidFPNum("1.5", dsSystem));
  FormatSettings.DecimalSeparator = saved;
}

TEST(Math1Validity, IsValidFPNum) {
  struct Case {
    const char* text;
    TDecPSep sep;
    bool valid;
  };
  const Case cases[] = {
      {"+", dsDot, true},     {"1e5", dsDot, false},   {" 1", dsDot, false},
      {".", dsDot, true},     {"12.", dsDot, true},    {"-.5", dsDot, true},
      {"", dsDot, false},     {"1.2.3", dsDot, false}, {"1,5", dsDot, false},
      {"1,5", dsComma, true}, {"1.5", dsBoth, true},   {"--1", dsDot, false},
      {"12a", dsDot, false},  {"-12.75", dsDot, true}, {"1.", dsComma, false},
      {"1 ", dsDot, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.text << "\" sep " << c.sep);
    EXPECT_EQ(IsValidFPNum(c.text, c.sep), c.valid);
  }
}

TEST(Math1Validity, IntegerTexts) {
  struct Case {
    const char* text;
    bool dec, hex, oct, bin;
  };
  const Case cases[] = {
      {"", false, false, false, false},    {"5", true, true, true, false},
      {"-", false, false, false, false},   {"+5", true, false, false, false},
      {"-12", true, false, false, false},  {"1-2", false, false, false, false},
      {" 1", false, false, false, false},  {"aF09", false, true, false, false},
      {"$1F", false, false, false, false}, {"1G", false, false, false, false},
      {"0101", true, true, true, true},    {"8", true, true, false, false},
      {"2", true, true, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsValidDecInt(c.text), c.dec);
    EXPECT_EQ(IsValidHex(c.text), c.hex);
    EXPECT_EQ(IsValidOct(c.text), c.oct);
    EXPECT_EQ(IsValidBin(c.text), c.bin);
  }
}

// ---- integer scanners --------------------------------------------------------------------

TEST(Math1IntegerScanners, ScanDecimal) {
  struct Case {
    const char* text;
    Integer start, value, end;
  };
  const Case cases[] = {
      {"  -42;", 1, -42, 6},
      {"   ", 1, 0, 3},
      {"", 1, 0, 1},
      {"", 4, 0, 4},
      {"+7", 1, 7, 3},
      {"2147483648", 1, -2147483647 - 1, 11},
      {"4294967297", 1, 1, 11},
      {"x 5", 2, 5, 4},
      {"x12", 1, 0, 1},
      {"12 ", 1, 12, 3},
      {"  ", 1, 0, 2},
      {"- 3", 1, 0, 2},
      {"12", 0, 12, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.text << "\" from " << c.start);
    Integer pos = c.start;
    EXPECT_EQ(ScanDecimal(c.text, pos), c.value);
    EXPECT_EQ(pos, c.end);
  }
}

TEST(Math1IntegerScanners, HexOctalBinary) {
  struct Case {
    Integer (*scan)(const String&, Integer&);
    const char* text;
    Integer start, value, end;
  };
  const Case cases[] = {
      {ScanHex, "$1F", 1, 31, 4},      {ScanHex, " $1F", 1, 0, 2}, {ScanHex, "ff", 1, 255, 3},
      {ScanHex, "FFFFFFFF", 1, -1, 9}, {ScanHex, "1g", 1, 1, 2},   {ScanHex, "x$1F", 2, 0, 2},
      {ScanHex, "  aB;", 1, 171, 5},   {ScanHex, "", 1, 0, 1},     {ScanHex, "100000001", 1, 1, 10},
      {ScanOctal, "17", 1, 15, 3},     {ScanOctal, "18", 1, 1, 2}, {ScanOctal, " 777", 1, 511, 5},
      {ScanBin, "1011", 1, 11, 5},     {ScanBin, "102", 1, 2, 3},  {ScanBin, "  1", 1, 1, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.text << "\" from " << c.start);
    Integer pos = c.start;
    EXPECT_EQ(c.scan(c.text, pos), c.value);
    EXPECT_EQ(pos, c.end);
  }
}

TEST(Math1IntegerScanners, StrToIntDefault) {
  EXPECT_EQ(StrToIntDefault("", -7), -7);
  EXPECT_EQ(StrToIntDefault("12", -7), 12);
  EXPECT_EQ(StrToIntDefault("-12", -7), -12);
  EXPECT_EQ(StrToIntDefault("x", -7), -7);
  EXPECT_EQ(StrToIntDefault("1.5", -7), -7);
  EXPECT_EQ(StrToIntDefault("99999999999", -7), -7);
}

// ---- formatters --------------------------------------------------------------------------

TEST(Math1Formatters, FixedDigitTexts) {
  struct Case {
    String (*fmt)(Cardinal, Byte);
    Cardinal value;
    Byte digits;
    const char* text;
  };
  const Case cases[] = {
      {Hex, static_cast<Cardinal>(-1), 8, "FFFFFFFF"},
      {Hex, 255, 0, "F"},
      {Hex, 255, 12, "000000FF"},
      {Hex, 0x1234ABCD, 3, "BCD"},
      {Octal, 8, 3, "010"},
      {Octal, 0xFFFFFFFF, 11, "37777777777"},
      {Octal, 0xFFFFFFFF, 40, "37777777777"},
      {Bin, 5, 0, "1"},
      {Bin, 5, 6, "000101"},
      {Bin, 0x80000001, 40, "10000000000000000000000000000001"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.fmt(c.value, c.digits), c.text);
  }
  struct DecCase {
    Integer value;
    Byte digits;
    const char* text;
  };
  const DecCase decs[] = {
      {-5, 3, "-005"},   {67890, 3, "890"}, {0, 0, "0"},
      {7, 0, "7"},       {123, 0, "3"},     {-2147483647 - 1, 10, "-2147483648"},
      {42, 6, "000042"},
  };
  for (const auto& c : decs) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Decimal(c.value, c.digits), c.text);
  }
}

TEST(Math1Formatters, Roman) {
  EXPECT_EQ(Roman(0), "");
  EXPECT_EQ(Roman(-1), "");
  EXPECT_EQ(Roman(30000), "");
  EXPECT_EQ(Roman(1994), "MCMXCIV");
  EXPECT_EQ(Roman(4), "IV");
  EXPECT_EQ(Roman(3888), "MMMDCCCLXXXVIII");
  EXPECT_EQ(Roman(29999), String(29, 'M') + "CMXCIX");
}

TEST(Math1Formatters, EngineeringNotation) {
  struct Case {
    double value;
    Integer digits;
    const char* text;
  };
  const Case cases[] = {
      {4700, 2, "4.7k"},       {4700, -2, "4k7"},   {0.000123, 3, "123u"}, {-12, 2, "-12"},
      {-4700, -2, "-4k7"},     {0, 2, "0.0"},       {0, 1, "0"},           {1234.56, 4, "1.235k"},
      {1e15, 2, "1000T"},      {2.2e6, 3, "2.20M"}, {47e-9, 2, "47n"},     {1e-20, 2, "0.010a"},
      {330, 12, "330.000000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.value << " " << c.digits);
    EXPECT_EQ(EEngStr(c.value, c.digits), c.text);
  }
  EXPECT_EQ(EEngStr(INFINITY, 2), "+Inf");
  EXPECT_EQ(EEngStr(NAN, 2), "Nan");
}

TEST(Math1Formatters, strf) {
  struct Case {
    double value;
    Integer width, decimals;
    const char* text;
  };
  const Case cases[] = {
      {1.5, 10, -2, " 1.500E+00"},
      {1e150, 10, -2, "**********"},
      {-1.5e-7, 10, -2, "-1.500E-07"},
      {3.14159, 8, 2, "    3.14"},
      {-2.5, 0, 1, "-2.5"},
      {100, 12, -1, " 1.000E+0002"},
      {2.5, 1, 0, "3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(strf(c.value, c.width, c.decimals), c.text);
  }
  EXPECT_EQ(strf(INFINITY, 6, -2), "  +Inf");
}

TEST(Math1Formatters, MakeEFormat) {
  struct Case {
    double value;
    Integer width, digits;
    String text;
  };
  const Case cases[] = {
      {1250, 12, 4, "  0.1250E+04"},
      {0, 10, 3, " 0.000E+00"},
      {-0.5, 12, 3, "  -0.500E+00"},
      {9.9996, 10, 4, " 0.1000E+02"},
      {1250, 4, 4, " 0.1250E+04"},
      {0.00123, 8, 1, " 0.12E-02"},
      {1, 50, 2, String(31, ' ') + " 0.10E+01"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(MakeEFormat(c.value, c.width, c.digits), c.text);
  }
}

// ---- bit patterns ------------------------------------------------------------------------

TEST(Math1BitPatterns, MemoryImages) {
  EXPECT_EQ(FPNumToHex(1.0), "3FF0000000000000");
  EXPECT_EQ(FPNumToHex(-2.0), "C000000000000000");
  EXPECT_EQ(FPNumToHex(1.0L), "3FFF8000000000000000");
  EXPECT_EQ(FPNumToHex(1.0f), "3F800000");
  EXPECT_EQ(HexToDouble("3ff0000000000000"), 1.0);
  EXPECT_EQ(HexToExtended("3fff8000000000000000"), 1.0L);
  EXPECT_EQ(HexToSingle("3F800000"), 1.0f);
  for (double x : {0.1, -123.456e-300, 6.02214076e23, 5e-324}) {
    EXPECT_EQ(HexToDouble(FPNumToHex(x)), x);
  }
  for (long double x : {0.1L, -1e4000L, 3.0L}) {
    EXPECT_EQ(HexToExtended(FPNumToHex(x)), x);
  }
}

TEST(Math1BitPatterns, InvalidHexTextRaisesBaseError) {
  struct Case {
    int kind;  // 0 double, 1 extended, 2 single
    String text;
    const char* message;
  };
  const Case cases[] = {
      {0, "abc", "HexToDouble: invalid hex string \"abc\""},
      {0, "3FF000000000000G", "HexToDouble: invalid hex string \"3FF000000000000G\""},
      {1, "", "HexToExtended: invalid hex string \"\""},
      {1, "3FF0000000000000", "HexToExtended: invalid hex string \"3FF0000000000000\""},
      {2, "3F80000", "HexToSingle: invalid hex string \"3F80000\""},
      {2, " 3F80000", "HexToSingle: invalid hex string \" 3F80000\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      if (c.kind == 0) HexToDouble(c.text);
      if (c.kind == 1) HexToExtended(c.text);
      if (c.kind == 2) HexToSingle(c.text);
      ADD_FAILURE() << "no error";
    } catch (const ESDLError& e) {
      EXPECT_EQ(typeid(e), typeid(ESDLError));
      EXPECT_EQ(e.Message, c.message);
    }
  }
}

}  // namespace

TEST(RoundTripFloat, TextAndBackKeepTheDouble) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* text;
    bool ok;
    double value;
  };
  const Case reads[] = {
      {"NAN", true, nan},
      {"Nan", true, nan},
      {"+Inf", true, HUGE_VAL},
      {"-INF", true, -HUGE_VAL},
      {"-0", true, -0.0},
      {" 2.5 ", true, 2.5},
      {"0.30000000000000004", true, 0.1 + 0.2},
      {"5e-324", true, 4.9406564584124654e-324},
      {"abc", false, 7},
      {"", false, 7},
      {"1x", false, 7},
      {"\xFF", false, 7},
  };
  for (const Case& c : reads) {
    double v = 7;
    EXPECT_EQ(ScanRoundTripFloat(c.text, v), c.ok) << c.text;
    EXPECT_TRUE((std::isnan(v) && std::isnan(c.value)) ||
                (v == c.value && std::signbit(v) == std::signbit(c.value)))
        << c.text << " read as " << v;
  }
  for (double x :
       {0.1 + 0.2, -0.0, 1e300, -2.5e-300, 4.9406564584124654e-324, nan, HUGE_VAL, -HUGE_VAL}) {
    double back = 0;
    ASSERT_TRUE(ScanRoundTripFloat(RoundTripFloatText(x), back)) << RoundTripFloatText(x);
    EXPECT_TRUE((std::isnan(x) && std::isnan(back)) ||
                (x == back && std::signbit(x) == std::signbit(back)))
        << RoundTripFloatText(x);
  }
  EXPECT_EQ(RoundTripFloatText(-HUGE_VAL), "-INF");
  EXPECT_EQ(RoundTripFloatText(0.1), "0.1");
}
