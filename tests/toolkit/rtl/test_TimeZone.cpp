// The captured time zone and the C clock functions on it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ctime>

#include "CRT.h"
#include "SysUtils.h"
#include "TimeZone.h"

namespace {

// 2024-07-01 12:00:00 UTC and 2024-01-15 12:00:00 UTC
constexpr double kSummer = 1719835200.0;
constexpr double kWinter = 1705320000.0;

// A zone rule and what capturing it must give.
struct ZoneCase {
  const char* tz;
  Integer bias, daylightBias;
  const char *stdName, *dstName;
  TSystemTime toDaylight, toStandard;
};

class TimeZoneTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    hadTZ_ = tz != nullptr;
    if (hadTZ_) oldTZ_ = tz;
    SetClockForTesting([] { return kSummer; });
  }
  void TearDown() override {
    if (hadTZ_)
      ::setenv("TZ", oldTZ_.c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
    SetClockForTesting(nullptr);
  }
  void CaptureFrom(const char* tz) {
    ::setenv("TZ", tz, 1);
    CaptureSystemTimeZone();
  }
  // Captures c's zone, checks every field and returns what GetTimeZoneInformation said.
  Cardinal ExpectCaptured(const ZoneCase& c) {
    CaptureFrom(c.tz);
    TTimeZoneInformation z;
    const Cardinal state = GetTimeZoneInformation(z);
    EXPECT_EQ(z.Bias, c.bias) << c.tz;
    EXPECT_EQ(z.DaylightBias, c.daylightBias) << c.tz;
    EXPECT_EQ(z.StandardBias, 0) << c.tz;
    EXPECT_EQ(z.StandardName, c.stdName) << c.tz;
    EXPECT_EQ(z.DaylightName, c.dstName) << c.tz;
    EXPECT_EQ(z.DaylightDate, c.toDaylight) << c.tz;
    EXPECT_EQ(z.StandardDate, c.toStandard) << c.tz;
    return state;
  }
  static TSystemTime Rule(Word month, Word week, Word weekday, Word hour) {
    return TSystemTime{0, month, weekday, week, hour, 0, 0, 0};
  }
  bool hadTZ_ = false;
  std::string oldTZ_;
};

TEST_F(TimeZoneTest, CapturedZoneSurvivesTheProgramsOwnTZ) {
  CaptureFrom("CET-1CEST,M3.5.0,M10.5.0/3");
  TTimeZoneInformation before;
  ASSERT_EQ(GetTimeZoneInformation(before), TIME_ZONE_ID_DAYLIGHT);
  // What the program does at start-up:
  crt::putenv("TZ=UTC");
  ::tzset();
  TTimeZoneInformation after;
  EXPECT_EQ(GetTimeZoneInformation(after), TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(after, before);
  EXPECT_EQ(after.Bias, -60);
  std::time_t t = static_cast<std::time_t>(kSummer);
  std::tm* lt = crt::localtime(&t);
  EXPECT_EQ(lt->tm_hour, 14);
  EXPECT_EQ(lt->tm_isdst, 1);
  EXPECT_EQ(crt::getenv("TZ"), "UTC");
}

TEST_F(TimeZoneTest, CaptureDerivesBiasNamesAndChangeDates) {
  const ZoneCase cases[] = {
      {"CET-1CEST,M3.5.0,M10.5.0/3", -60, -60, "CET", "CEST", Rule(3, 5, 0, 2), Rule(10, 5, 0, 3)},
      {"EST5EDT,M3.2.0,M11.1.0", 300, -60, "EST", "EDT", Rule(3, 2, 0, 2), Rule(11, 1, 0, 2)},
      {"AEST-10AEDT,M10.1.0,M4.1.0/3", -600, -60, "AEST", "AEDT", Rule(10, 1, 0, 2),
       Rule(4, 1, 0, 3)},
      {"<+0530>-5:30", -330, 0, "+0530", "+0530", TSystemTime{}, TSystemTime{}},
  };
  for (const auto& c : cases) {
    const Cardinal state = ExpectCaptured(c);
    if (c.toDaylight.wMonth == 0) {
      EXPECT_EQ(state, TIME_ZONE_ID_UNKNOWN) << c.tz;
    }
  }
}

// Zones from the system's zone database (skipped where it is not installed). Dublin flags its
// winter time as the daylight-saving one; daylight time is still the clock set forward.
TEST_F(TimeZoneTest, CaptureFromTheZoneDatabase) {
  if (!std::filesystem::exists("/usr/share/zoneinfo/Europe/Dublin"))
    GTEST_SKIP() << "no zone database";
  const ZoneCase cases[] = {
      {"Europe/Berlin", -60, -60, "CET", "CEST", Rule(3, 5, 0, 2), Rule(10, 5, 0, 3)},
      {"Europe/Dublin", 0, -60, "GMT", "IST", Rule(3, 5, 0, 1), Rule(10, 5, 0, 2)},
      {"Australia/Lord_Howe", -630, -30, "+1030", "+11", Rule(10, 1, 0, 2), Rule(4, 1, 0, 2)},
      {"Asia/Tokyo", -540, 0, "JST", "JST", TSystemTime{}, TSystemTime{}},
  };
  for (const auto& c : cases) ExpectCaptured(c);
}

TEST_F(TimeZoneTest, InjectedCentralEuropeanZone) {
  SetTimeZoneForTesting(CentralEuropeanTimeZone());
  TTimeZoneInformation z;
  EXPECT_EQ(GetTimeZoneInformation(z), TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(z.Bias, -60);
  EXPECT_EQ(z.DaylightBias, -60);
  SetClockForTesting([] { return kWinter; });
  EXPECT_EQ(GetTimeZoneInformation(z), TIME_ZONE_ID_STANDARD);

  struct Instant {
    double utc;
    const char* local;  // asctime of the local time
    int isdst;
  };
  const Instant cases[] = {
      {315623035.0, "Wed Jan  2 02:03:55 1980\n", 0},  // 1980-01-02 01:03:55 UTC
      {kSummer, "Mon Jul  1 14:00:00 2024\n", 1},
      {1711846799.0, "Sun Mar 31 01:59:59 2024\n", 0},  // one second before the change
      {1711846800.0, "Sun Mar 31 03:00:00 2024\n", 1},  // 01:00 UTC: clocks go forward
      {1729990799.0, "Sun Oct 27 02:59:59 2024\n", 1},
      {1729990800.0, "Sun Oct 27 02:00:00 2024\n", 0},  // 01:00 UTC: clocks go back
      {1735689599.0, "Wed Jan  1 00:59:59 2025\n", 0},  // the year rolls over locally
  };
  for (const auto& c : cases) {
    std::time_t t = static_cast<std::time_t>(c.utc);
    std::tm* lt = crt::localtime(&t);
    EXPECT_EQ(crt::AsctimeText(*lt), c.local) << (long)c.utc;
    EXPECT_STREQ(crt::asctime(lt), c.local);
    EXPECT_EQ(lt->tm_isdst, c.isdst) << (long)c.utc;
  }
  double toDst, toStd;
  ASSERT_TRUE(DaylightChangesOfYear(2024, toDst, toStd));
  EXPECT_EQ(toDst, 1711846800.0);
  EXPECT_EQ(toStd, 1729990800.0);
}

TEST_F(TimeZoneTest, SouthernHemisphereDaylightSpansTheNewYear) {
  TTimeZoneInformation z;
  z.Bias = -600;
  z.DaylightBias = -60;
  z.DaylightDate = Rule(10, 1, 0, 2);
  z.StandardDate = Rule(4, 1, 0, 3);
  SetTimeZoneForTesting(z);
  bool dst = false;
  EXPECT_EQ(LocalOffsetMinutes(kWinter, &dst), 660);  // January: summer there
  EXPECT_TRUE(dst);
  EXPECT_EQ(LocalOffsetMinutes(kSummer, &dst), 600);
  EXPECT_FALSE(dst);
}

TEST_F(TimeZoneTest, MktimeOnTheCapturedZone) {
  SetTimeZoneForTesting(CentralEuropeanTimeZone());
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  auto make = [](int y, int mon, int d, int h, int mi, int isdst) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mon;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_isdst = isdst;
    return t;
  };
  std::tm t = make(2024, 6, 1, 12, 0, -1);
  EXPECT_EQ(crt::mktime(&t), 1719828000);  // 10:00 UTC
  EXPECT_EQ(t.tm_isdst, 1);
  EXPECT_EQ(t.tm_wday, 1);
  EXPECT_EQ(t.tm_yday, 182);

  t = make(2023, 12, 1, 0, 0, -1);  // month 12 of 2023 is January 2024
  crt::mktime(&t);
  EXPECT_EQ(t.tm_year, 124);
  EXPECT_EQ(t.tm_mon, 0);
  EXPECT_EQ(t.tm_mday, 1);

  t = make(2024, 2, 0, 0, 0, -1);  // day 0 of March is the last of February
  crt::mktime(&t);
  EXPECT_EQ(t.tm_mon, 1);
  EXPECT_EQ(t.tm_mday, 29);

  t = make(2024, 0, 32, 0, 0, -1);  // day overflow into the next month
  crt::mktime(&t);
  EXPECT_EQ(t.tm_mon, 1);
  EXPECT_EQ(t.tm_mday, 1);

  t = make(2024, 2, 31, 2, 30, -1);        // in the skipped hour: taken as standard time
  EXPECT_EQ(crt::mktime(&t), 1711848600);  // 01:30 UTC, shown as 03:30 daylight time
  EXPECT_EQ(t.tm_hour, 3);
  EXPECT_EQ(t.tm_isdst, 1);

  t = make(2024, 9, 27, 2, 30, -1);        // the repeated hour: taken as daylight time
  EXPECT_EQ(crt::mktime(&t), 1729989000);  // 00:30 UTC

  t = make(2024, 9, 27, 2, 30, 0);  // forced standard time
  EXPECT_EQ(crt::mktime(&t), 1729992600);
}

TEST_F(TimeZoneTest, GmtimeTimeAndNow) {
  SetTimeZoneForTesting(CentralEuropeanTimeZone());
  std::time_t zero = 0;
  EXPECT_EQ(crt::AsctimeText(*crt::gmtime(&zero)), "Thu Jan  1 00:00:00 1970\n");
  std::time_t before1970 = -86400;
  EXPECT_EQ(crt::AsctimeText(*crt::gmtime(&before1970)), "Wed Dec 31 00:00:00 1969\n");
  std::time_t t = 0;
  EXPECT_EQ(crt::time(&t), static_cast<std::time_t>(kSummer));
  EXPECT_EQ(t, static_cast<std::time_t>(kSummer));
  EXPECT_EQ(Now(), EncodeDate(2024, 7, 1) + EncodeTime(14, 0, 0, 0));
  EXPECT_EQ(Date(), EncodeDate(2024, 7, 1));
  EXPECT_NEAR(Time(), EncodeTime(14, 0, 0, 0), 1e-9);
}

TEST_F(TimeZoneTest, PutenvSetsAndRemoves) {
  EXPECT_EQ(crt::putenv("KESTAL_TEST_VAR=abc"), 0);
  EXPECT_EQ(crt::getenv("KESTAL_TEST_VAR"), "abc");
  EXPECT_EQ(crt::putenv("KESTAL_TEST_VAR="), 0);
  EXPECT_EQ(crt::getenv("KESTAL_TEST_VAR"), "");
  EXPECT_EQ(crt::putenv("novalue"), -1);
}

}  // namespace
