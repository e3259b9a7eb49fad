#include <gtest/gtest.h>

#include "DOV_math1.h"
#include "SysUtils.h"

namespace {

const String Deg = "\xC2\xB0";

TEST(DegreeToStr, FormsOfTheAngle) {
  const std::tuple<Double, TDegreeFormat, Integer, String> cases[] = {
      {12.5, dfDeg, 1, "12.5" + Deg},
      {12.5, dfDegMin, 0, "12" + Deg + "  30'"},
      {-0.5, dfDegMin, 2, "-0" + Deg + " 30.00'"},
      {10.25, dfDegMinSec, 0, "10" + Deg + " 15'   0\""},
      {-10.5083333333333, dfDegMinSec, 1, "-10" + Deg + " 30' 30.0\""},
      {1.0 / 3, dfDeg, 12, "0.33333333" + Deg},  // at most 8 decimals
      {2.999999, dfDegMin, 1, "3" + Deg + "  0.0'"},
      {12.5, dfNumeric, 2, "12.50"},
  };
  for (const auto& [angle, format, decimals, want] : cases)
    EXPECT_EQ(DegreeToStr(angle, format, decimals), want) << angle << " " << format;
}

TEST(ConvertDegrees, BetweenTheForms) {
  struct Case {
    Double d, m, s;
    TDegreeFormat in, out;
    Double wd, wm, ws;
  };
  const Case cases[] = {
      {10.5, 0, 0, dfDeg, dfDegMinSec, 10, 30, 0},
      {10, 30.5, 0, dfDegMin, dfDegMinSec, 10, 30, 30},
      {-10, 30, 0, dfDegMin, dfDeg, -9.5, 0, 0},
      {-10.5, 0, 0, dfDeg, dfDegMin, -10, 30, 0},
      {10, 30, 30, dfDegMinSec, dfDegMin, 10, 30.5, 0},
      {10, 30, 36, dfDegMinSec, dfDeg, 10.51, 0, 0},
      {1, 2, 3, dfNumeric, dfDeg, 1, 2, 3},
  };
  for (const Case& c : cases) {
    Double d = c.d, m = c.m, s = c.s;
    ConvertDegrees(d, m, s, c.in, c.out);
    EXPECT_NEAR(d, c.wd, 1e-12);
    EXPECT_NEAR(m, c.wm, 1e-12);
    EXPECT_NEAR(s, c.ws, 1e-9);
  }
  Double d = 10, m = 61, s = 0;
  EXPECT_THROW(ConvertDegrees(d, m, s, dfDegMin, dfDegMinSec), ESDLMath1Error);
  EXPECT_EQ(m, 61);
  m = 60;
  s = -1;
  EXPECT_THROW(ConvertDegrees(d, m, s, dfDegMin, dfDeg), ESDLMath1Error);
}

TEST(ScanDegrees, TextsAndErrorCodes) {
  struct Case {
    String text;
    bool letters;
    Double want;
    Integer err;
  };
  const Case cases[] = {
      {"12" + Deg + " 30' 15\"", false, 12 + 30 / 60.0 + 15 / 3600.0, 0},
      {"12.5" + Deg, false, 12.5, 0},
      {"12N", true, 12, 0},
      {"12S", true, -12, 0},
      {"-12N", true, 12, 0},
      {"12" + Deg + " 30' w", true, -12.5, 0},
      {"-12" + Deg + " 30'", false, -12.5, 0},
      {"12" + Deg, true, 0, -7},
      {"12", false, 0, -2},
      {"12" + Deg + " 75'", false, 0, -8},
      {"12" + Deg + " 30' 75\"", false, 0, -9},
      {"12.5" + Deg + " 30'", true, 0, -3},
      {"12.5" + Deg + " 30'", false, 12.5, 0},
      {"12" + Deg + " 30.5' 10\"", true, 0, -5},
      {"", false, 0, -1},
      {"x12" + Deg, false, 0, -1},
      {"12" + Deg + " 3x'", false, 0, -4},
      {"1-2" + Deg, false, 0, -2},
      {"12\xB0", false, 12, 0},  // the Latin-1 degree byte
  };
  for (const Case& c : cases) {
    Integer pos = 1, err = 99;
    const Double v = ScanDegrees(c.text, pos, c.letters, err);
    EXPECT_EQ(err, c.err) << c.text;
    EXPECT_NEAR(v, c.want, 1e-12) << c.text;
    EXPECT_LE(pos, static_cast<Integer>(c.text.size()) + 1) << c.text;
  }
  Integer pos = 1, err = 0;
  ScanDegrees("12.5" + Deg + " 30'", pos, false, err);
  EXPECT_EQ(pos, 9);  // behind the "3" that ended the scan
}

TEST(RoundDegrees, NiceSteps) {
  struct Case {
    Integer d, m, s;
    bool up;
    Integer wd, wm, ws;
  };
  const Case cases[] = {
      {7, 20, 0, true, 10, 0, 0},  {7, 20, 0, false, 5, 0, 0},   {0, 40, 10, true, 1, 0, 0},
      {0, 0, 25, false, 0, 0, 20}, {400, 0, 0, true, 360, 0, 0}, {0, 0, 50, true, 0, 1, 0},
      {0, 7, 0, false, 0, 5, 0},   {-1, 5, 5, true, 0, 0, 0},    {0, 0, 0, true, 0, 0, 0},
      {0, 99, 0, true, 1, 0, 0},
  };
  for (const Case& c : cases) {
    Integer d = c.d, m = c.m, s = c.s;
    RoundDegrees(d, m, s, c.up);
    EXPECT_EQ(std::make_tuple(d, m, s), std::make_tuple(c.wd, c.wm, c.ws))
        << c.d << " " << c.m << " " << c.s;
  }
}

// ---- dates ----

TEST(ScanDateTime, FormatsAndLanguages) {
  struct Case {
    String text, format;
    TLanguage lg;
    TDateTime want;
  };
  const Case cases[] = {
      {"2024-03-05 14:07:09", "yyyy-MM-dd HH:mm:ss", lgEnglish,
       EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0)},
      {"5 January 2024", "d MMMM yyyy", lgEnglish, EncodeDate(2024, 1, 5)},
      {"Monday, 05.02.2024", "dddd, dd.MM.yyyy", lgEnglish, EncodeDate(2024, 2, 5)},
      {"07:30 pm", "hh:mm tt", lgEnglish, EncodeTime(19, 30, 0, 0)},
      {"12:15 am", "hh:mm tt", lgEnglish, EncodeTime(0, 15, 0, 0)},
      {"12:15 pm", "hh:mm tt", lgEnglish, EncodeTime(12, 15, 0, 0)},
      {"14h05", "HH'h'mm", lgEnglish, EncodeTime(14, 5, 0, 0)},
      {"14h", "HH'h'", lgEnglish, EncodeTime(14, 0, 0, 0)},
      {"mars 2020", "MMMM yyyy", lgFrench, EncodeDate(2020, 3, 1) - 0},
      {"f\xC3\xA9vrier 2020", "MMMMyyyy", lgFrench, EncodeDate(2020, 2, 1)},
      {"3 M\xC3\xA4r 2021", "d MMM yyyy", lgGerman, EncodeDate(2021, 3, 3)},
      {"it's 9", "'it''s' H", lgEnglish, EncodeTime(9, 0, 0, 0)},
      {"7/4/1999", "M/d/yyyy", lgEnglish, EncodeDate(1999, 7, 4)},
  };
  for (const Case& c : cases) {
    Integer err = 99;
    const TDateTime v = ScanDateTime(c.text, c.format, c.lg, err);
    EXPECT_EQ(err, 0) << c.text;
    EXPECT_NEAR(v, c.want, 1e-9) << c.text;
  }
}

TEST(ScanDateTime, ErrorCodes) {
  const std::tuple<String, String, TLanguage, Integer> cases[] = {
      {"2024-03-05 14:07:09", "yyyy-mm-dd hh:nn:ss", lgEnglish, -1},
      {"5 January 2024", "d MMMM yyyy", lgGerman, -3},
      {"f\xC3\xA9vrier 2020", "MMMM yyyy", lgFrench, -1},
      {"2024", "yyy", lgEnglish, -2},
      {"ab", "yyyy", lgEnglish, -3},
      {"x", "d", lgEnglish, -1},
      {"", "dd.MM.yyyy", lgEnglish, -3},
  };
  for (const auto& [text, format, lg, want] : cases) {
    Integer err = 0;
    EXPECT_EQ(ScanDateTime(text, format, lg, err), 0) << text;
    EXPECT_EQ(err, want) << text << " / " << format;
  }
}

TEST(ScanDateTime, ImpossibleDatesRaise) {
  const std::pair<String, String> cases[] = {
      {"05/03", "dd/MM"},
      {"2024-13-01", "yyyy-MM-dd"},
      {"25:00", "HH:mm"},
      // A number that wraps past 16 bits does not come back as a valid year.
      {"65539/1/2024", "M/d/yyyy"},
      // A month or day given as 0 is no missing field that reads as 1.
      {"2020-00-05", "yyyy-MM-dd"},
      {"2020-03-00", "yyyy-MM-dd"},
      {"0/5/2020", "M/d/yyyy"},
      {"5/0/2020", "M/d/yyyy"},
  };
  for (const auto& [text, format] : cases) {
    Integer err = 0;
    EXPECT_THROW(ScanDateTime(text, format, lgEnglish, err), EConvertError) << text;
  }
}

TEST(ScanDateTime, TwoDigitYearsFollowTheCenturyWindow) {
  SetClockForTesting([] { return 1.7e9; });  // late 2023
  Integer err = 0;
  EXPECT_NEAR(ScanDateTime("01.02.99", "dd.MM.yy", lgEnglish, err), EncodeDate(1999, 2, 1), 0);
  EXPECT_NEAR(ScanDateTime("01.02.24", "dd.MM.yy", lgEnglish, err), EncodeDate(2024, 2, 1), 0);
  SetClockForTesting(nullptr);
}

}  // namespace
