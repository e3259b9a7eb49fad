// Number and text conversion, text helpers and files of the run-time.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "SysUtils.h"
#include "TestSupport.h"

namespace {

struct FmtCase {
  const char* pattern;
  long double value;
  const char* expected;
};

// Halves are decided by the exact decimal value of the binary number, rounded away from zero.
TEST(FormatFloat, PatternsRoundHalfAwayOnTheDecimalValue) {
  const FmtCase cases[] = {
      {"#0.00", 19.625, "19.63"},  // (5/2)^2 * 3.14 lands exactly on this tie
      {"#0.00", 0.125, "0.13"},    // exact binary tie
      {"#0.00", 2.675, "2.67"},    // the double is 2.67499999999999982...
      {"#0.00", 1.005, "1.00"},    // 1.00499999999999989...
      {"#0.00", -19.625, "-19.63"},
      {"0.00", -0.005, "-0.01"},  // -0.005000000000000000104...
      {"00.00", 5.5, "05.50"},
      {"00.0000", 3.14159265, "03.1416"},
      {"#0.0000", 52.52, "52.5200"},
      {"#00.0000", 7.25, "07.2500"},
      {"###0", 1234.5, "1235"},
      {"###0", 2.5, "3"},
      {"###0", -2.5, "-3"},
      {"###0", 0, "0"},
      {"##0", 0.4, "0"},
      {"##0.00", 123.456, "123.46"},
      {"###.00", 0.5, ".50"},
      {"##.00", 0.25, ".25"},
      {"#0.0", 0.05, "0.1"},  // 0.05000000000000000277
      {"#0.00000", 0.0000049, "0.00000"},
      {"###0.00000000", 1.123456785, "1.12345678"},  // 1.12345678499999990...
      {"###0.00000000", 1.123456786, "1.12345679"},
      {"00", 7, "07"},
      {"0", 0.5, "1"},
      {"0", -0.5, "-1"},
      // Just below a tie, closer to it than the 18th significant digit: one rounding on the
      // exact value, never 18 digits first (that would carry these up to the tie).
      {"0.000000", 1.4693425, "1.469342"},                     // 1.469342499999999999580779...
      {"0.000000", 0.2041375, "0.204137"},                     // 0.204137499999999999511501...
      {"00.0000", -3987663418196.444, "-3987663418196.4438"},  // -3987663418196.44384765625
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected) << c.pattern << " " << (double)c.value;
}

TEST(FormatFloat, OptionalDigitsAndZero) {
  const FmtCase cases[] = {
      {"#", 0, ""},  // all "#" on zero prints nothing
      {"#.##", 0, ""},
      {"##.##", 0, ""},
      {"#.##", 0.5, ".5"},  // no leading zero
      {"#.##", 3, "3"},     // no decimals left: no point either
      {"##.##", 12.346, "12.35"},
      {"##.##", 12.1, "12.1"},
      {"0.###", 2, "2"},
      {"0.###", 2.5, "2.5"},
      {"#.##", 0.001, ""},  // rounds to zero
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected) << c.pattern << " " << (double)c.value;
}

TEST(FormatFloat, NegativeValueRoundingToZeroHasNoSign) {
  EXPECT_EQ(FormatFloat("0.00", -0.001), "0.00");
  EXPECT_EQ(FormatFloat("#0.0", -0.04), "0.0");
  EXPECT_EQ(FormatFloat("###0", -0.4), "0");
  EXPECT_EQ(FormatFloat("0.00", -0.0), "0.00");
}

TEST(FormatFloat, ThousandsExponentSectionsAndLiterals) {
  const FmtCase cases[] = {
      {",0", 13.54, "14"},
      {",0", 1234567.4, "1,234,567"},
      {"#,##0.00", 1234.5, "1,234.50"},
      {"#,##0", -1234567, "-1,234,567"},
      {"0.00e+00", 12345, "1.23e+04"},
      {"0.00e+00", 0.000123456, "1.23e-04"},
      {"0.00e+00", 0, "0.00e+00"},
      {"0.00e+00", -999.99, "-1.00e+03"},
      {"0.00E+00", 9.995, "9.99E+00"},  // 9.99499999999999921840...
      {"0.00e+00", 9.9951, "1.00e+01"},
      {"0.00E-00", 1234, "1.23E03"},  // "-" writes only a minus
      {"0.00E+000", 1e-100, "1.00E-100"},
      {"00.0E+0", 12345, "12.3E+3"},
      {"0.00;(0.00)", -1.5, "(1.50)"},
      {"0.00;(0.00);'zero'", 0, "zero"},
      {"0.00;(0.00);'zero'", 0.001, "zero"},  // rounds to zero
      {"0.00;;'zero'", -1.5, "-1.50"},        // empty negative section: the first, with a minus
      {"'T='0.0", 2.25, "T=2.3"},
      {"0.0 \"dB\"", 3.14, "3.1 dB"},
      {"0.0 K", 3.14, "3.1 K"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected) << c.pattern << " " << (double)c.value;
}

TEST(FormatFloat, SpecialValuesAndHugeValues) {
  EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FormatFloat("0.00", -std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(FormatFloat("0.00", std::nan("")), "NAN");
  EXPECT_EQ(FormatFloat("0.00", 1e20), "1E20");  // beyond the fixed range: general text
  EXPECT_EQ(FormatFloat("", 2.5), "2.5");
}

TEST(FloatToStr, FifteenSignificantDigitsShortestText) {
  const std::pair<long double, const char*> cases[] = {
      {2460324.5, "2460324.5"},
      {2460324.5f, "2460324.5"},  // a 32-bit Julian day
      {1e-5, "1E-5"},
      {0.0001, "0.0001"},
      {1e15, "1E15"},
      {1e16, "1E16"},
      {1e14, "100000000000000"},
      {123456789012345.0, "123456789012345"},
      {0.1, "0.1"},
      {0.1f, "0.100000001490116"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {-1.5, "-1.5"},
      {0, "0"},
      {100, "100"},
      {1296, "1296"},
      {1.2345678e23, "1.2345678E23"},
      {-2.5e-7, "-2.5E-7"},
      {0.30000000000000004, "0.3"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.first), c.second) << (double)c.first;
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
}

TEST(FloatToStrF, Formats) {
  EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2), "1234.57");
  EXPECT_EQ(FloatToStrF(1234.5678, ffNumber, 15, 2), "1,234.57");
  EXPECT_EQ(FloatToStrF(1234.5678, ffExponent, 4, 2), "1.235E+03");
  EXPECT_EQ(FloatToStrF(0.000012345, ffGeneral, 15, 0), "1.2345E-5");
  EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), "0.00");
  EXPECT_EQ(FloatToStrF(2.5, ffFixed, 15, 0), "3");
  EXPECT_EQ(FloatToStrF(1.23456789, ffFixed, 4, 6), "1.235000");  // digits past Precision are zeros
  EXPECT_EQ(FloatToStrF(123456.0, ffFixed, 4, 1), "1.235E+005");  // too many integer digits
  // 0.12499999999999998612...: rounded once at the second decimal, not at 15 digits first.
  EXPECT_EQ(FloatToStrF(0.12499999999999999, ffFixed, 15, 2), "0.12");
}

struct StrCase {
  long double x;
  int w, d;
  const char* expected;
};

TEST(Str, FixedAndExponentForms) {
  const StrCase cases[] = {
      {100, 12, -1, " 1.000E+0002"},
      {-12.3456789L, 25, -1, "-1.2345678900000000E+0001"},
      {1.5, 12, -1, " 1.500E+0000"},
      {0, 10, -1, " 0.0E+0000"},
      {0, 0, -1, " 0.0E+0000"},                         // width below 10 counts as 10
      {9.9999, 10, -1, " 1.0E+0001"},                   // rounding carries into the exponent
      {1.5, 30, -1, "     1.50000000000000000E+0000"},  // above 26: 18 digits, blanks in front
      {-1e-300L, 12, -1, "-1.000E-0300"},
      {1.5, 0, 1, "1.5"},
      {-1.5, 7, 1, "   -1.5"},
      {2.25, 0, 1, "2.3"},   // exact tie, away from zero
      {2.35L, 0, 1, "2.4"},  // 2.3499999999999999999 is 2.35000000000000000 in 18 digits
      {0.5, 0, 0, "1"},
      {-0.5, 0, 0, "-1"},
      {-0.001, 0, 2, "0.00"},
      {123.456, 10, 0, "       123"},
      {1.0 / 3.0, 0, 20, "0.33333333333333331500"},  // zeros beyond the 18th digit
      {1e36L, 0, 2, " 1.0E+0036"},                   // too large for the fixed form
      {1e-40L, 0, 2, " 1.0E-0040"},                  // exponent too small for the fixed form
      {1e35L, 0, 0, "100000000000000000000000000000000000"},
      {12.5, 3, 2, "12.50"},  // never cut
  };
  for (const auto& c : cases)
    EXPECT_EQ(Str(c.x, c.w, c.d), c.expected) << (double)c.x << ":" << c.w << ":" << c.d;
}

TEST(Str, SpecialValuesAndShortForms) {
  const long double inf = std::numeric_limits<long double>::infinity();
  EXPECT_EQ(Str(inf, 6, 2), "  +Inf");
  EXPECT_EQ(Str(-inf, 0, 2), "-Inf");
  EXPECT_EQ(Str(std::numeric_limits<long double>::quiet_NaN(), 5, -1), "  Nan");
  EXPECT_EQ(Str(12.5L), " 1.25000000000000E+0001");
  EXPECT_EQ(Str(12.5L, 12), " 1.250E+0001");
}

TEST(StrToFloat, AcceptsPointOnly) {
  const std::pair<const char*, long double> ok[] = {
      {"1.5", 1.5}, {" 1.5 ", 1.5}, {"-2", -2}, {"+3.25", 3.25}, {"1e3", 1000},  {"1.5E-2", 0.015L},
      {".5", 0.5},  {"5.", 5},      {"0", 0},   {"\t7\t", 7},    {"1e-5000", 0},
  };
  for (const auto& c : ok) {
    long double v = -99;
    EXPECT_TRUE(TryStrToFloat(c.first, v)) << c.first;
    EXPECT_EQ(v, c.second) << c.first;
    EXPECT_EQ(StrToFloat(c.first), c.second) << c.first;
  }
  const char* bad[] = {"",     " ",   "1,5", "1.2.3", "abc", "1e", "inf",   "nan",
                       "0x10", "1 2", "--1", "1.5x",  ".",   "e5", "1e5000"};
  for (const char* s : bad) {
    double v = 42;
    EXPECT_FALSE(TryStrToFloat(s, v)) << s;
    EXPECT_EQ(v, 42) << "a failed conversion leaves the value";
    EXPECT_THROW(StrToFloat(s), EConvertError) << s;
  }
  EXPECT_EQ(StrToFloatDef("x", 2.5), 2.5L);
}

TEST(StrToFloat, DoubleOverloadIsCorrectlyRounded) {
  double v;
  ASSERT_TRUE(TryStrToFloat("0.1", v));
  EXPECT_EQ(v, 0.1);
  ASSERT_TRUE(TryStrToFloat("2.675", v));
  EXPECT_EQ(v, 2.675);
  EXPECT_EQ(StrToFloat("0.1"), 0.1L);  // the extended value, not the double
  // TryStrToDouble takes what the extended conversion takes, rounded once; beyond the double
  // range it gives an infinity, beyond the extended range it fails.
  const std::pair<const char*, double> wide[] = {{"2.387155225747177e+174", 2.3871552257471772e174},
                                                 {"+9007199254740993.0000000001", 9007199254740994.0},
                                                 {" -1e400 ", -HUGE_VAL},
                                                 {"1e-400", 0}};
  for (const auto& [text, want] : wide) {
    v = 42;
    EXPECT_TRUE(TryStrToDouble(text, v)) << text;
    EXPECT_EQ(v, want) << text;
  }
  v = 42;
  EXPECT_FALSE(TryStrToDouble("1e5000", v));
  EXPECT_FALSE(TryStrToDouble("1,5", v));
  EXPECT_EQ(v, 42);
  EXPECT_EQ(NearestDoubleOfText(" -2.387155225747177e+174x"), -2.3871552257471772e174);
  EXPECT_EQ(NearestDoubleOfText("1e"), 1);
  EXPECT_EQ(NearestDoubleOfText("1e400"), HUGE_VAL);
  EXPECT_EQ(DecimalToNearestDouble(2387155225747177, 159), 2.3871552257471772e174);
  // 17 digits: beyond the one-operation shortcut, still the nearest double
  EXPECT_EQ(DecimalToNearestDouble(12345678901234567, -16), 1.2345678901234567);
  EXPECT_EQ(DecimalToNearestDouble(9007199254740993, 0), 9007199254740992.0);
}

// The user's locale (which the GUI library installs) must not change number text.
TEST(StrToFloat, IndependentOfTheCLocale) {
  if (testsupport::UseCommaDecimalLocale().empty())
    GTEST_SKIP() << "no comma-decimal locale can be made";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(StrToFloat("1.5"), 1.5L);
  EXPECT_THROW(StrToFloat("1,5"), EConvertError);
  EXPECT_EQ(FormatFloat("#0.00", 19.625), "19.63");
  EXPECT_EQ(FloatToStr(2.5), "2.5");
  EXPECT_EQ(Format("%12.4f", 52.5), "     52.5000");
  EXPECT_EQ(Str(1.5, 0, 1), "1.5");
  std::setlocale(LC_ALL, "C");
}

TEST(Integers, ParseAndFormat) {
  const std::pair<const char*, Integer> ok[] = {{"12", 12},
                                                {" 12", 12},
                                                {"-5", -5},
                                                {"+7", 7},
                                                {"$FF", 255},
                                                {"0x1f", 31},
                                                {"2147483647", 2147483647},
                                                {"-2147483648", INT32_MIN},
                                                {"$FFFFFFFF", -1}};
  for (const auto& c : ok) EXPECT_EQ(StrToInt(c.first), c.second) << c.first;
  const char* bad[] = {"", "12 ", "1.5", "2147483648", "abc", "$", "$FFFFFFFFF", "-", "1e3"};
  for (const char* s : bad) {
    Integer v = 9;
    EXPECT_FALSE(TryStrToInt(s, v)) << s;
    EXPECT_THROW(StrToInt(s), EConvertError) << s;
    EXPECT_EQ(StrToIntDef(s, -3), -3);
  }
  EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
  // Hexadecimal fills the type's unsigned width; a sign in front negates that bit pattern.
  EXPECT_EQ(StrToInt("-$10"), -16);
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64("-$8000000000000000"), INT64_MIN);
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(Int64{1} << 40), "1099511627776");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(Integer{-1}, 8), "FFFFFFFF");
  EXPECT_EQ(IntToHex(Int64{-1}, 8), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(0x12345678u, 6), "12345678");
}

TEST(Rounding, HalvesToEvenAndTruncation) {
  const std::pair<long double, Int64> round[] = {{0.5, 0},   {1.5, 2}, {2.5, 2}, {-2.5, -2},
                                                 {-3.5, -4}, {2.6, 3}, {-0.4, 0}};
  for (const auto& c : round) EXPECT_EQ(Round(c.first), c.second) << (double)c.first;
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_EQ(Trunc(2.7), 2);
  EXPECT_EQ(Frac(-2.75L), -0.75L);
  EXPECT_EQ(Int(-2.7L), -2.0L);
  EXPECT_THROW(Round(std::nan("")), EInvalidOp);
  EXPECT_THROW(Trunc(1e30), EInvalidOp);
}

TEST(Format, PrintfSubsetInTheCLocale) {
  EXPECT_EQ(Format("%-16s%12.4f%12.4f", "Home", 52.5, -1.25),
            "Home                 52.5000     -1.2500");
  EXPECT_EQ(Format("%-16s|", "AVeryLongLocationName"), "AVeryLongLocationName|");
  EXPECT_EQ(Format("%d items", 5), "5 items");
  EXPECT_EQ(Format("%5d|%-5d|", 42, 42), "   42|42   |");
  EXPECT_EQ(Format("%x %X %u", 255, 255, 7u), "ff FF 7");
  EXPECT_EQ(Format("%.2f", 2.675), "2.67");
  EXPECT_EQ(Format("%.1f", 0.25), "0.2");  // C rounds the binary value, ties to even
  EXPECT_EQ(Format("%.0f", 13.0), "13");
  EXPECT_EQ(Format("%e", 1234.5), "1.234500e+03");
  EXPECT_EQ(Format("%g %g %g", 0.0001, 1e-5, 123456789.0), "0.0001 1e-05 1.23457e+08");
  EXPECT_EQ(Format("%g", 1420.0), "1420");
  EXPECT_EQ(Format("%5.1f%%", 12.34), " 12.3%");
  EXPECT_EQ(Format("%s/%s", 42, 1.5), "42/1.5");
  EXPECT_EQ(Format("%05d %+d", -42, 5), "-0042 +5");
  EXPECT_EQ(Format("%*d", 4, 7), "   7");
  EXPECT_EQ(Format("%c%c", 'o', 'k'), "ok");
  EXPECT_EQ(Format("%.3s", "abcdef"), "abc");
  EXPECT_EQ(Format("%d-%d", {1, 2}), "1-2");
  EXPECT_THROW(Format("%d", "x"), EConvertError);
  EXPECT_THROW(Format("%d %d", 1), EConvertError);
  EXPECT_THROW(Format("%q", 1), EConvertError);
}

TEST(TextHelpers, PositionsCountFromOne) {
  EXPECT_EQ(Pos("lo", "hello"), 4);
  EXPECT_EQ(Pos("x", "hello"), 0);
  EXPECT_EQ(Pos("", "hello"), 0);
  EXPECT_EQ(PosEx("l", "hello", 4), 4);
  EXPECT_EQ(PosEx("l", "hello", 6), 0);
  EXPECT_EQ(Copy("hello", 0, 2), "he");
  EXPECT_EQ(Copy("hello", 4, 10), "lo");
  EXPECT_EQ(Copy("hello", 6, 1), "");
  EXPECT_EQ(Copy("hello", 2, -1), "");
  String s = "hello";
  Delete(s, 2, 2);
  EXPECT_EQ(s, "hlo");
  Delete(s, 9, 1);
  EXPECT_EQ(s, "hlo");
  Insert("el", s, 2);
  EXPECT_EQ(s, "hello");
  Insert("!", s, 99);
  EXPECT_EQ(s, "hello!");
  EXPECT_EQ(StringReplace("a.b.c", ".", ",", rfReplaceAll), "a,b,c");
  EXPECT_EQ(StringReplace("a.b.c", ".", ",", 0), "a,b.c");
  EXPECT_EQ(StringReplace("Ab ab AB", "ab", "x", rfReplaceAll | rfIgnoreCase), "x x x");
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(Trim("\t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(UpperCase("abc\xC3\xA4z"), "ABC\xC3\xA4Z");  // only ASCII letters change
  EXPECT_EQ(LowerCase("ABC"), "abc");
  EXPECT_EQ(LowerCase("@AZ[`az{\xC3\x84"), "@az[`az{\xC3\x84");  // the letters and only they
  EXPECT_TRUE(SameText("PSR", "psr"));
  EXPECT_FALSE(SameText("PSR", "psr2"));
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareStr("ABC", "abc"), 0);
  EXPECT_EQ(StringOfChar('*', 3), "***");
  EXPECT_EQ(StringOfChar('*', -1), "");
}

TEST(DateTime, EncodeDecode) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(2024, 1, 15), 45306.0);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_NO_THROW(EncodeDate(2024, 2, 29));
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  // Every day from 1890 to 2110 decodes to itself.
  for (double d = EncodeDate(1890, 1, 1); d <= EncodeDate(2110, 12, 31); d += 1) {
    Word y, m, dd;
    DecodeDate(d, y, m, dd);
    ASSERT_EQ(EncodeDate(y, m, dd), d);
  }
  Word y, m, d, h, n, s, ms;
  DecodeDateTime(EncodeDate(2024, 3, 5) + EncodeTime(23, 59, 59, 999), y, m, d, h, n, s, ms);
  EXPECT_EQ((std::vector<int>{y, m, d, h, n, s, ms}),
            (std::vector<int>{2024, 3, 5, 23, 59, 59, 999}));
  // Before 1899-12-30 the fraction still counts forward from midnight.
  TDateTime early = EncodeDateTime(1899, 12, 29, 6, 0, 0, 0);
  EXPECT_EQ(early, -1.25);
  DecodeDateTime(early, y, m, d, h, n, s, ms);
  EXPECT_EQ((std::vector<int>{y, m, d, h}), (std::vector<int>{1899, 12, 29, 6}));
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 15)), 2);  // Monday
  EXPECT_EQ(DayOfWeek(0), 7);                        // Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 14) + 0.9), 1);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(MonthDays[1][2], 29);
  EXPECT_EQ(MonthDays[0][2], 28);
}

TEST(DateTime, FormatDateTime) {
  TDateTime t = EncodeDateTime(2024, 3, 5, 19, 8, 9, 45);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", t), "2024-03-05 19:08:09");
  EXPECT_EQ(FormatDateTime("yyyy-MM-dd hh:mm:ss", t),
            "2024-03-05 19:08:09");  // mm after hh: minutes
  EXPECT_EQ(FormatDateTime("d.m.yy", t), "5.3.24");
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy", t), "05-03-2024");  // "/" is the date separator
  EXPECT_EQ(FormatDateTime("dddd d mmmm, ddd mmm", t), "Tuesday 5 March, Tue Mar");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", t), "7:08 pm");
  EXPECT_EQ(FormatDateTime("'at' hh 'h'", t), "at 19 h");
  EXPECT_EQ(FormatDateTime("ss.zzz", t), "09.045");
  EXPECT_EQ(FormatDateTime("mmddyy", t), "030524");
  EXPECT_EQ(DateTimeToStr(t), "2024-03-05 19:08:09");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5)), "2024-03-05");
}

TEST(DateTime, InjectedClock) {
  SetClockForTesting([] { return 1719835200.25; });  // 2024-07-01 12:00:00.25 UTC
  EXPECT_EQ(CurrentUnixTime(), 1719835200.25);
  EXPECT_EQ(UnixToDateTime(1719835200.0), EncodeDate(2024, 7, 1) + 0.5);
  EXPECT_EQ(DateTimeToUnix(EncodeDate(2024, 7, 1) + 0.5), 1719835200.0);
  EXPECT_EQ(UnixToDateTime(-86400.0 * 25570 + 21600), -1.25);
  SetClockForTesting(nullptr);
  EXPECT_GT(CurrentUnixTime(), 1.7e9);
}

// ---- files ----
TEST(Files, RenameRefusesAnExistingTarget) {
  testsupport::TempDir dir;
  dir.write("old.txt", "old contents");
  dir.write("new.txt", "new contents");
  EXPECT_FALSE(RenameFile("new.txt", "old.txt"));
  EXPECT_EQ(dir.read("old.txt"), "old contents");
  EXPECT_EQ(dir.read("new.txt"), "new contents");
  EXPECT_TRUE(RenameFile("new.txt", "moved.txt"));
  EXPECT_FALSE(FileExists("new.txt"));
  EXPECT_EQ(dir.read("moved.txt"), "new contents");
  EXPECT_FALSE(RenameFile("missing.txt", "other.txt"));
}

TEST(Files, CopyDeleteAndFolders) {
  testsupport::TempDir dir;
  String bytes("a\0b\r\n\x1a end", 10);
  dir.write("src.bin", bytes);
  EXPECT_TRUE(CopyFileBytes("src.bin", "dst.bin"));
  EXPECT_EQ(dir.read("dst.bin"), bytes);
  dir.write("dst.bin", "keep");
  EXPECT_FALSE(CopyFileBytes("src.bin", "dst.bin", true));
  EXPECT_EQ(dir.read("dst.bin"), "keep");
  EXPECT_FALSE(CopyFileBytes("missing.bin", "x.bin"));
  EXPECT_FALSE(FileExists("x.bin"));
  EXPECT_EQ(FileSizeOf("src.bin"), 10);
  EXPECT_EQ(FileSizeOf("missing.bin"), -1);
  EXPECT_TRUE(DeleteFile("src.bin"));
  EXPECT_FALSE(DeleteFile("src.bin"));
  EXPECT_TRUE(ForceDirectories("a/b/c"));
  EXPECT_TRUE(DirectoryExists("a/b/c"));
  EXPECT_FALSE(FileExists("a/b"));
  EXPECT_FALSE(CreateDir("a/b"));
  EXPECT_FALSE(RemoveDir("a"));  // not empty
  EXPECT_TRUE(RemoveDir("a/b/c"));
  EXPECT_EQ(GetCurrentDir(), dir.path().string());
  EXPECT_TRUE(SetCurrentDir("a"));
  EXPECT_EQ(ExtractFileName(GetCurrentDir()), "a");
  EXPECT_TRUE(SetCurrentDir(".."));
}

TEST(Files, WriteReplacingSwapsTheWholeFileOrNothing) {
  testsupport::TempDir dir;
  EXPECT_TRUE(WriteFileReplacing("conf.txt", "first\n"));
  EXPECT_EQ(dir.read("conf.txt"), "first\n");
  EXPECT_TRUE(WriteFileReplacing("conf.txt", String("second\0\n", 8)));
  EXPECT_EQ(dir.read("conf.txt"), String("second\0\n", 8));
  // A target that cannot be replaced keeps what it was, and no half-written file is left.
  ASSERT_TRUE(ForceDirectories("folder/inside"));
  EXPECT_FALSE(WriteFileReplacing("folder", "text"));
  EXPECT_TRUE(DirectoryExists("folder/inside"));
  EXPECT_FALSE(WriteFileReplacing("missing/conf.txt", "text"));
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"conf.txt", "folder"}));
}

// Names up to the file-name limit (255 bytes) are written and copied whole: the temporary
// file beside them, named after them, must not pass the limit itself.
TEST(Files, NamesUpToTheLimitKeepTheirTemporariesWithinIt) {
  testsupport::TempDir dir;
  const std::string e = "\xc3\xa9";  // two bytes of one character
  for (const size_t length : {size_t(200), size_t(236), size_t(244), size_t(255)}) {
    for (const bool wide : {false, true}) {
      std::string name;
      while (name.size() + (wide ? 2 : 1) <= length) name += wide ? e : "n";
      name.resize(length, 'n');
      SCOPED_TRACE(std::to_string(length) + (wide ? " bytes of two-byte characters" : " bytes"));
      EXPECT_TRUE(WriteFileReplacing(name, "new")) << "written";
      EXPECT_EQ(dir.read(name), "new");
      EXPECT_TRUE(WriteFileReplacing(name, "newer")) << "replaced";
      EXPECT_EQ(dir.read(name), "newer");
      ASSERT_TRUE(std::filesystem::remove(name));
      dir.write("short", "copied");
      EXPECT_TRUE(CopyFileBytes("short", name)) << "copied";
      EXPECT_EQ(dir.read(name), "copied");
      const String temp = TemporaryNameBeside("folder/" + name, ".kestal-write-4194304");
      EXPECT_EQ(temp.rfind("folder/", 0), 0u);
      EXPECT_LE(temp.size() - 7, 255u);
      // A cut name keeps whole characters.
      if (const size_t tilde = temp.find('~', 7); tilde != String::npos) {
        const String kept = temp.substr(7, tilde - 7);
        EXPECT_EQ(name.compare(0, kept.size(), kept), 0);
        if (wide) {
          EXPECT_EQ(kept.size() % 2, 0u) << kept.size();
        }
      } else {
        EXPECT_EQ(temp, "folder/" + name + ".kestal-write-4194304");
      }
      std::filesystem::remove(name);
      std::filesystem::remove("short");
    }
  }
  // Two long names that share their start get different temporaries; short ones keep theirs.
  const String a(250, 'a');
  EXPECT_NE(TemporaryNameBeside(a + "1", ".saving"), TemporaryNameBeside(a + "2", ".saving"));
  EXPECT_EQ(TemporaryNameBeside("dir/conf.txt", ".saving"), "dir/conf.txt.saving");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "no temporary left behind";
}

// A configuration kept elsewhere (a synchronised folder, say) and linked into the working
// folder: the save replaces the file the link points to and keeps the link.
TEST(Files, WriteReplacingThroughASymbolicLinkReplacesItsTarget) {
  namespace fs = std::filesystem;
  struct Case {
    const char* Name;
    std::vector<std::pair<std::string, std::string>> Links;  // link -> target, in order made
    std::string WrittenFile;                                 // where the bytes must land
  } cases[] = {
      {"relative target in another folder", {{"conf.txt", "sync/conf.txt"}}, "sync/conf.txt"},
      {"absolute target", {{"conf.txt", "ABS:sync/conf.txt"}}, "sync/conf.txt"},
      {"chain of two links",
       {{"sync/link2", "conf.txt"}, {"conf.txt", "sync/link2"}},
       "sync/conf.txt"},
      {"link to a missing file", {{"conf.txt", "sync/new.txt"}}, "sync/new.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    testsupport::TempDir dir;
    ASSERT_TRUE(ForceDirectories("sync"));
    dir.write("sync/conf.txt", "old\n");
    for (const auto& [link, target] : c.Links) {
      const std::string t =
          target.rfind("ABS:", 0) == 0 ? (dir.path() / target.substr(4)).string() : target;
      fs::create_symlink(t, link);
    }
    EXPECT_TRUE(WriteFileReplacing("conf.txt", "new\n"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "conf.txt"));
    EXPECT_EQ(dir.read(c.WrittenFile), "new\n");
    EXPECT_EQ(dir.read("conf.txt"), "new\n");
    EXPECT_EQ(fs::weakly_canonical(SymbolicLinkTarget("conf.txt")),
              fs::weakly_canonical(dir.path() / c.WrittenFile));
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path() / "sync"))
      names.push_back(e.path().filename().string());
    for (const auto& n : names) EXPECT_EQ(n.find(".kestal-write-"), std::string::npos) << n;
  }
  // A loop of links is no file to replace.
  testsupport::TempDir dir;
  fs::create_symlink("b", "a");
  fs::create_symlink("a", "b");
  EXPECT_EQ(SymbolicLinkTarget("a"), "a");
  EXPECT_FALSE(WriteFileReplacing("a", "x"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "a"));
}

TEST(Memory, ObtainableMemoryIsWhatTheSystemCanGive) {
  const std::uint64_t bytes = ObtainableMemoryBytes();
  EXPECT_GT(bytes, std::uint64_t(64) << 20);
  EXPECT_LT(bytes, std::uint64_t(1) << 50);  // no machine of this century has a petabyte
}

TEST(Files, NameParts) {
  EXPECT_EQ(ExtractFileName("/data/ATNF.csv"), "ATNF.csv");
  EXPECT_EQ(ExtractFilePath("/data/ATNF.csv"), "/data/");
  EXPECT_EQ(ExtractFileDir("/data/ATNF.csv"), "/data");
  EXPECT_EQ(ExtractFileExt("/data/ATNF.csv"), ".csv");
  EXPECT_EQ(ExtractFileExt("/da.ta/ATNF"), "");
  EXPECT_EQ(ChangeFileExt("/data/ATNF.csv", ".bak"), "/data/ATNF.bak");
  EXPECT_EQ(ChangeFileExt("/da.ta/ATNF", ".bak"), "/da.ta/ATNF.bak");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/data"), "/data/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/data/"), "/data/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/data/"), "/data");
  EXPECT_EQ(ExpandFileName("/a/b/../c/./d.txt"), "/a/c/d.txt");
}

}  // namespace
