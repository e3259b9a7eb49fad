// The captured time zone and the C clock functions on it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ctime>

#include "CRT.h"
#include "SysUtils.h"
#include "TestSupport.h"
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

// Every instant by the rule in force at that instant, against the C library reading the same
// zone: Chile's changes fall on the Saturday night after the first of the month (a rule taken
// from one year puts them a week off in others), Morocco's follow Ramadan, Dublin's database
// entry flags its winter time as daylight time, and bare POSIX rules. 2036-2039 crosses from the
// listed changes of a zone file to its rule for later years. Daylight time is the clock set
// forward: in force whenever the offset is above the zone's standard one.
TEST_F(TimeZoneTest, EveryInstantByTheRuleOfItsOwnYear) {
  if (!std::filesystem::exists("/usr/share/zoneinfo/America/Santiago"))
    GTEST_SKIP() << "no zone database";
  struct Case {
    const char* zone;
    long standardOffset;  // seconds east of UTC
  };
  const Case cases[] = {
      {"America/Santiago", -4 * 3600},
      {"Africa/Casablanca", 0},
      {"Europe/Berlin", 3600},
      {"Europe/Dublin", 0},
      {"Australia/Lord_Howe", 10 * 3600 + 1800},
      {"<-04>4<-03>,M9.1.6/24,M4.1.6/24", -4 * 3600},
      {"IST-1GMT0,M10.5.0,M3.5.0/1", 0},
      {"EST5EDT", -5 * 3600},  // no dates: the C library's default ones
      {"NZST-12NZDT,M9.5.0,M4.1.0/3", 12 * 3600},
      {"<+0530>-5:30", 5 * 3600 + 1800},
  };
  const std::time_t spans[][2] = {{1704067200, 1798761600},   // 2024 .. 2026
                                  {2082758400, 2208988800}};  // 2036 .. 2039
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    ASSERT_TRUE(SetTimeZoneForTesting(String(c.zone)));
    ::setenv("TZ", c.zone, 1);
    ::tzset();
    auto libcOffset = [](std::time_t t) {
      std::tm tm{};
      ::localtime_r(&t, &tm);
      return tm.tm_gmtoff;
    };
    auto expectSame = [&](std::time_t t) {
      std::tm want{};
      ::localtime_r(&t, &want);
      const std::tm got = *crt::localtime(&t);
      ASSERT_EQ(crt::AsctimeText(got), crt::AsctimeText(want)) << t;
      bool daylight = false;
      ASSERT_EQ(LocalOffsetMinutes(static_cast<double>(t), &daylight) * 60L, want.tm_gmtoff) << t;
      ASSERT_EQ(daylight, want.tm_gmtoff > c.standardOffset) << t;
      ASSERT_EQ(got.tm_isdst, daylight ? 1 : 0) << t;
      // Back from the local time: the same wall-clock time (the repeated hour has two instants).
      std::tm back = got;
      back.tm_isdst = -1;
      const std::time_t utc = crt::mktime(&back);
      ASSERT_EQ(crt::AsctimeText(*crt::localtime(&utc)), crt::AsctimeText(want)) << t;
    };
    int changes = 0;
    for (const auto& span : spans) {
      for (std::time_t t = span[0]; t < span[1]; t += 3600) {
        expectSame(t);
        if (libcOffset(t) == libcOffset(t + 3600)) continue;
        // A change within the hour: the seconds on both sides of it.
        std::time_t lo = t, hi = t + 3600;
        while (hi - lo > 1) {
          const std::time_t mid = lo + (hi - lo) / 2;
          (libcOffset(mid) == libcOffset(t) ? lo : hi) = mid;
        }
        expectSame(lo);
        expectSame(hi);
        ++changes;
      }
    }
    const bool fixedOffset = c.standardOffset == 5 * 3600 + 1800;
    EXPECT_EQ(changes == 0, fixedOffset);
  }
}

// Bits of zone files and TZ texts that are not a zone leave the zone as it was; a damaged rule
// after a file's listed changes leaves the last listed time in force after them.
TEST_F(TimeZoneTest, DamagedZoneFilesAndRulesAreRefused) {
  if (!std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin"))
    GTEST_SKIP() << "no zone database";
  const testsupport::TempDir dir;
  const std::string berlin = testsupport::ReadFileBytes("/usr/share/zoneinfo/Europe/Berlin");
  const size_t rule = berlin.rfind("\nCET");
  ASSERT_NE(rule, std::string::npos);
  // Read as a version 1 file, whose type of the first change is out of range.
  std::string badIndex = berlin;
  badIndex[4] = '\0';
  const size_t changes = static_cast<unsigned char>(berlin[32]) << 24 |
                         static_cast<unsigned char>(berlin[33]) << 16 |
                         static_cast<unsigned char>(berlin[34]) << 8 |
                         static_cast<unsigned char>(berlin[35]);
  badIndex[44 + 4 * changes] = '\x7f';
  struct Bad {
    const char* what;
    std::string text;  // a file's bytes, or a TZ text when file is false
    bool file;
  };
  const Bad cases[] = {
      {"empty file", "", true},
      {"header only", berlin.substr(0, 44), true},
      {"cut in the 64-bit data", berlin.substr(0, rule - 40), true},
      {"not a zone file", "TZif is not what this is\n" + std::string(100, 'x'), true},
      {"type index out of range", badIndex, true},
      {"no offset", "XYZ", false},
      {"name too short", "AB1", false},
      {"month 13", "CET-1CEST,M13.1.0,M10.5.0", false},
      {"one date only", "CET-1CEST,M3.5.0", false},
      {"offset beyond a day", "CET-25", false},
      {"change beyond a week", "CET-1CEST,M3.5.0,M10.5.0/168", false},
      {"trailing text", "CET-1CEST,M3.5.0,M10.5.0 x", false},
      {"unclosed name", "<-04", false},
      {"outside the zone folder", "../../../etc/passwd", false},
  };
  SetTimeZoneForTesting(CentralEuropeanTimeZone());
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.what);
    const String spec = c.file ? String(dir.write("zone", c.text)) : String(c.text);
    EXPECT_FALSE(SetTimeZoneForTesting(spec));
    TTimeZoneInformation z;
    EXPECT_EQ(GetTimeZoneInformation(z), TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(z, CentralEuropeanTimeZone());
  }
  constexpr double July2040 = 2224756800.0;
  ASSERT_TRUE(SetTimeZoneForTesting(String(dir.write("zone", berlin))));
  EXPECT_EQ(LocalOffsetMinutes(July2040), 120);
  ASSERT_TRUE(SetTimeZoneForTesting(String(dir.write("zone", berlin.substr(0, rule) + "\nXY\n"))));
  EXPECT_EQ(LocalOffsetMinutes(July2040), 60);
  EXPECT_EQ(LocalOffsetMinutes(kSummer), 120);  // the listed changes still hold
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
