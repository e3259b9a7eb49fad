// Observation planning without windows: the radio horizon and its file, the visibility test,
// the planned day and its local hours (also on the days daylight time starts and ends), the
// PLAN rows, the notes file and the drift-scan table.
#include "Planning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>

#include "TestSupport.h"
#include "support_planning.h"

using planningtest::PlanningTest;
using planningtest::Unix;

namespace {

THorizonProfile ProfileWithMinimum(int MinEl) {
  THorizonProfile p = THorizonProfile::Defaults();
  p.MinEl.fill(MinEl);
  return p;
}

}  // namespace

TEST(Horizon, VisibilityRoundsToWholeDegreesAndTestsEverySectorHalfOpen) {
  THorizonProfile stepped = THorizonProfile::Defaults();
  stepped.MinEl[0] = 10;  // 0..30
  stepped.MinEl[11] = 5;  // 330..360
  THorizonProfile unordered = THorizonProfile::Defaults();
  unordered.Az[1] = 100;   // sector 1 is 0..100, sector 2 100..60 holds nothing
  unordered.Az[12] = 350;  // nothing beyond 350
  struct Case {
    const char* what;
    const THorizonProfile& profile;
    double az, el;
    bool visible;
  } cases[] = {
      {"default, on the horizon", THorizonProfile::Defaults(), 120, 0.0, true},
      {"-0.4 rounds to 0", THorizonProfile::Defaults(), 120, -0.4, true},
      {"-0.5 rounds away from zero to -1", THorizonProfile::Defaults(), 120, -0.5, false},
      {"359.6 rounds to 360, due north: sector 1", THorizonProfile::Defaults(), 359.6, 40, true},
      {"359.5 rounds to 360: sector 1's minimum holds", stepped, 359.5, 9.5, true},
      {"359.7 below sector 1's minimum (not sector 12's)", stepped, 359.7, 9.4, false},
      {"359.4 is in sector 12", THorizonProfile::Defaults(), 359.4, 40, true},
      {"0.4 rounds to 0: sector 1", stepped, 0.4, 10, true},
      {"9.5 rounds to 10: equal to the minimum", stepped, 15, 9.5, true},
      {"9.4 below the minimum", stepped, 15, 9.4, false},
      {"29.5 rounds to 30: sector 2 (minimum 0)", stepped, 29.5, 1, true},
      {"sector 12 minimum", stepped, 340, 4.4, false},
      {"limits taken as stored", unordered, 90, 0, true},
      {"no sector where limits fall", unordered, 355, 45, false},
      {"not a number", THorizonProfile::Defaults(), std::nan(""), 10, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.profile.Visible(c.az, c.el), c.visible) << c.what;
}

TEST(Horizon, FileRoundTripAndExactText) {
  testsupport::TempDir dir;
  THorizonProfile p = THorizonProfile::Defaults();
  p.MinEl = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, -12};
  WriteHorizonFile(HorizonFileName, p);
  const std::string text = dir.read(HorizonFileName);
  EXPECT_EQ(text.substr(0, 8), "0\r\n30\r\n6");
  EXPECT_EQ(text.substr(text.size() - 9), "\r\n11\r\n-12");  // no line end after the last
  const THorizonRead back = ReadHorizonFile(HorizonFileName);
  EXPECT_TRUE(back.FromFile);
  EXPECT_TRUE(back.Problem.empty());
  EXPECT_EQ(back.Profile, p);
}

TEST(Horizon, MissingOrDamagedFilesGiveTheDefaults) {
  testsupport::TempDir dir;
  const THorizonRead missing = ReadHorizonFile(HorizonFileName);
  EXPECT_FALSE(missing.FromFile);
  EXPECT_EQ(missing.Problem, "");
  EXPECT_EQ(missing.Profile, THorizonProfile::Defaults());

  std::string good;
  for (int i = 0; i < 25; ++i) good += std::to_string(i < 13 ? i * 30 : 7) + "\n";
  dir.write("lf.txt", good);
  const THorizonRead lf = ReadHorizonFile("lf.txt");
  EXPECT_TRUE(lf.FromFile);
  EXPECT_EQ(lf.Profile.MinEl[11], 7);

  struct Case {
    const char* what;
    std::string bytes;
    const char* problem;
  } cases[] = {
      {"text in a number line", std::string(good).replace(good.find("60"), 2, "6x"),
       "bad.txt, line 3: '6x' is not a whole number"},
      {"24 lines", good.substr(0, good.rfind("7\n")), "bad.txt, line 25: missing"},
      {"empty file", "", "bad.txt, line 1: missing"},
      {"too large a number", "99999999999\n" + good, "bad.txt, line 1: '99999999999'"},
      {"a huge line", std::string(100000, '9') + "\n", "bad.txt, line 1: '9999"},
      {"a file larger than any the program reads", good + std::string(65 << 20, '\n'),
       "Cannot read bad.txt: it is larger than any file the program reads"},
  };
  for (const Case& c : cases) {
    dir.write("bad.txt", c.bytes);
    const THorizonRead r = ReadHorizonFile("bad.txt");
    EXPECT_FALSE(r.FromFile) << c.what;
    EXPECT_EQ(r.Profile, THorizonProfile::Defaults()) << c.what;
    EXPECT_EQ(r.Problem.rfind(c.problem, 0), 0u) << c.what << ": " << r.Problem;
    EXPECT_LT(r.Problem.size(), 200u) << c.what;
  }
  std::filesystem::create_directory("folder.txt");
  EXPECT_NE(ReadHorizonFile("folder.txt").Problem.find("folder"), String::npos);
  EXPECT_THROW(WriteHorizonFile("folder.txt", THorizonProfile::Defaults()), EInOutError);
}

TEST_F(PlanningTest, PlannedDateIsTheUtcDateMovedByTheOffset) {
  struct Case {
    crt::time_t now;
    int offset;
    const char* text;
  } cases[] = {
      {Unix(2026, 12, 8, 12), 0, "12/8/2026"},
      {Unix(2026, 12, 31, 12), 1, "1/1/2027"},
      {Unix(2026, 3, 1, 12), -1, "2/28/2026"},
      {Unix(2026, 12, 8, 23, 30), 0, "12/8/2026"},  // 00:30 on the 9th in the zone
      {Unix(2026, 12, 8, 12), -400, "11/3/2025"},
  };
  for (const Case& c : cases) {
    ClockAt(c.now);
    const TPlannedDay d = PlannedDayOf(c.now, c.offset);
    EXPECT_EQ(d.DateText, c.text);
    EXPECT_EQ(LocalWallTime(d.Midnight).tm_hour, 0);
    EXPECT_EQ(LocalWallTime(d.Midnight).tm_mday, d.Day);
  }
}

TEST_F(PlanningTest, HoursOfThePlannedDayFollowTheLocalDate) {
  struct Case {
    int month, day;
    size_t instants;
    int repeatedHour;  // -1: none
    int missingHour;
  } cases[] = {
      {12, 8, 24, -1, -1},
      {3, 29, 23, -1, 2},   // daylight time starts: 02:00 does not exist
      {10, 25, 25, 2, -1},  // daylight time ends: 02:00 comes twice
  };
  for (const Case& c : cases) {
    const crt::time_t now = Unix(2026, c.month, c.day, 12);
    ClockAt(now);
    const std::vector<TPlanHour> hours = PlanHoursOf(PlannedDayOf(now, 0));
    ASSERT_EQ(hours.size(), c.instants) << c.month;
    std::array<int, 24> seen{};
    for (const TPlanHour& h : hours) ++seen[static_cast<size_t>(h.LocalHour)];
    for (int h = 0; h < 24; ++h)
      EXPECT_EQ(seen[static_cast<size_t>(h)], h == c.repeatedHour ? 2 : h == c.missingHour ? 0 : 1);
    EXPECT_EQ(hours.back().LocalHour, 23);
  }
}

// Every hour goes to the engine as its own UTC, whatever offset is in force when the plan is
// made: a plan for 1 July made in January has each local hour two hours after its UTC hour. The
// text after the date says which offset the hour columns use.
TEST_F(PlanningTest, EveryHourOfThePlannedDayHasItsOwnUtc) {
  struct Case {
    const char* what;
    const char* zone;  // "" the injected Central European rule
    crt::time_t now;
    int dayOffset;
    const char* date;
    size_t instants;
    int firstHour;
    size_t changeAt;  // index of the first hour with the second offset (instants: none)
    int offsetBefore, offsetAfter;  // minutes
    const char* text;
  };
  const Case cases[] = {
      {"July planned in January", "Europe/Berlin", Unix(2026, 1, 15, 12), 167, "7/1/2026", 24, 0,
       24, 120, 120, "local time (UTC+02:00, DST)"},
      {"December, injected rule", "", Unix(2026, 12, 8, 12), 0, "12/8/2026", 24, 0, 24, 60, 60,
       "local time (UTC+01:00)"},
      {"the change back planned a week ahead", "Europe/Berlin", Unix(2026, 10, 18, 12), 7,
       "10/25/2026", 25, 0, 3, 120, 60,
       "local time: UTC+02:00 (DST) up to 01:00, UTC+01:00 from 02:00 on"},
      {"Santiago repeats 23:00", "America/Santiago", Unix(2026, 4, 1, 12), 3, "4/4/2026", 25, 0, 24,
       -180, -240, "local time: UTC-03:00 (DST) up to 22:00, UTC-04:00 from 23:00 on"},
      {"Santiago skips midnight", "America/Santiago", Unix(2026, 9, 1, 12), 5, "9/6/2026", 23, 1,
       23, -180, -180, "local time (UTC-03:00, DST)"},
      // Half-hour changes: 02:00 becomes 02:30, and 02:00 turns back to 01:30; the columns
      // after them still show their own full hours.
      {"Lord Howe moves on half an hour", "Australia/Lord_Howe", Unix(2026, 10, 1, 12), 3,
       "10/4/2026", 23, 0, 2, 630, 660,
       "local time: UTC+10:30 up to 01:00, UTC+11:00 (DST) from 03:00 on"},
      {"Lord Howe turns back half an hour", "Australia/Lord_Howe", Unix(2026, 4, 1, 12), 4,
       "4/5/2026", 24, 0, 2, 660, 630,
       "local time: UTC+11:00 (DST) up to 01:00, UTC+10:30 from 02:00 on"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UseZone(c.zone);
    ClockAt(c.now);
    const TPlannedDay day = PlannedDayOf(c.now, c.dayOffset);
    EXPECT_EQ(day.DateText, c.date);
    const std::vector<TPlanHour> hours = PlanHoursOf(day);
    ASSERT_EQ(hours.size(), c.instants);
    EXPECT_EQ(hours.front().LocalHour, c.firstHour);
    for (size_t i = 0; i < hours.size(); ++i) {
      const int offset = i < c.changeAt ? c.offsetBefore : c.offsetAfter;
      const int utcMinute = hours[i].Utc.tm_hour * 60 + hours[i].Utc.tm_min;
      EXPECT_EQ((hours[i].LocalHour * 60 - utcMinute + 1440) % 1440, (offset + 1440) % 1440) << i;
    }
    EXPECT_EQ(PlanLocalTimeText(hours), c.text);
  }
}

namespace {

// Three pulsars of the 1400 MHz table: a usable one, one whose width is not below its period,
// one with a name index out of range. System: B 1000 kHz, t 100 s, Ae 27.6 m2, Tsys 10 K, so
// S/N = sqrt(1e8) x S x 1e-26 x 1e24 / (10 x sqrt(w / (P - w))) = 10 for 1 Jy and w = P / 2.
std::unique_ptr<TKestalState> StateWithPulsars(double Frequency) {
  auto s = std::make_unique<TKestalState>();
  s->Location.Latitude = 52.1;
  s->Location.Longitude = 5.2;
  s->Receiver.Frequency = Frequency;
  s->Receiver.IntegrationBandwidth = 1000;
  s->Receiver.IntegrationTime = 100;
  s->Figures.EffectiveAperture = 27.6;
  s->Figures.Tsys = 10;
  s->Count1400 = 3;
  s->Count400 = 1;
  auto row = [&](int r, double raDeg, double dec, double w50, double s400, double s1400, double p0,
                 int name) {
    double* v = &s->PulsarTable[static_cast<size_t>(r * BandColumnCount)];
    v[bcRaj - 1] = raDeg;
    v[bcDecj - 1] = dec;
    v[bcW50 - 1] = w50;
    v[bcS400 - 1] = s400;
    v[bcS1400 - 1] = s1400;
    v[bcP0 - 1] = p0;
    v[bcNameIndex - 1] = name;
  };
  row(0, 15 * 2.52, 75, 500, 2000, 1000, 1.0, 1);  // circumpolar at 52 N
  row(1, 15 * 2.0, 75, 1000, 2000, 1000, 1.0, 2);
  row(2, 15 * 2.0, -80, 500, 2000, 1000, 1.0, 99999);  // never rises at 52 N
  s->PulsarNames[0] = "J0001+75";
  s->PulsarNames[1] = "J0002+75";
  return s;
}

}  // namespace

TEST_F(PlanningTest, PlanRowsForTheBandOfTheWorkingFrequency) {
  const crt::time_t now = Unix(2026, 12, 8, 12);
  ClockAt(now);
  const TPlanResult plan =
      ComputePlan(*StateWithPulsars(1400), THorizonProfile::Defaults(), now, 0);
  EXPECT_EQ(plan.Day.DateText, "12/8/2026");
  EXPECT_EQ(plan.LocalTimeText, "local time (UTC+01:00)");
  ASSERT_EQ(plan.Rows.size(), 14u);
  EXPECT_EQ(plan.Rows[0].Name, "Moon");
  EXPECT_EQ(plan.Rows[4].Name, "Cassiopeia");
  EXPECT_EQ(plan.Rows[10].Name, "SGR 1935+2154");
  EXPECT_EQ(plan.Rows[0].SignalToNoise, "");
  EXPECT_EQ(plan.Rows[11].Name, "J0001+75");
  EXPECT_EQ(plan.Rows[11].SignalToNoise, "10");
  EXPECT_EQ(plan.Rows[12].SignalToNoise, "");  // width equal to the period: undefined
  EXPECT_EQ(plan.Rows[13].Name, "");           // name index out of range
  EXPECT_EQ(plan.Rows[13].SignalToNoise, "10");

  const std::regex cell("[0-9]{1,3}:-?[0-9]{1,2}");
  for (const String& h : plan.Rows[4].Hours) EXPECT_TRUE(std::regex_match(h, cell)) << h;
  for (const String& h : plan.Rows[11].Hours) EXPECT_TRUE(std::regex_match(h, cell)) << h;
  // At 10:00 it passes north below the pole (azimuth 359.63): shown, and as 0.
  EXPECT_EQ(plan.Rows[11].Hours[10], "0:37");
  for (const String& h : plan.Rows[13].Hours) EXPECT_EQ(h, "");
  for (const String& h : plan.Rows[5].Hours) EXPECT_TRUE(h.empty() || std::regex_match(h, cell));

  // 400 MHz band: its count and its flux (2 Jy: S/N 20); neither band: the eleven objects only.
  const TPlanResult at400 =
      ComputePlan(*StateWithPulsars(410), THorizonProfile::Defaults(), now, 0);
  ASSERT_EQ(at400.Rows.size(), 12u);
  EXPECT_EQ(at400.Rows[11].SignalToNoise, "20");
  for (double f : {390.0, 500.0, 1000.0, 1500.0, 800.0})
    EXPECT_EQ(ComputePlan(*StateWithPulsars(f), THorizonProfile::Defaults(), now, 0).Rows.size(),
              11u)
        << f;
  // A horizon nothing clears empties every hour but keeps names and S/N.
  const TPlanResult hidden = ComputePlan(*StateWithPulsars(1400), ProfileWithMinimum(91), now, 0);
  EXPECT_EQ(hidden.Rows[11].SignalToNoise, "10");
  for (const TPlanRow& r : hidden.Rows)
    for (const String& h : r.Hours) EXPECT_EQ(h, "");
}

TEST(Notes, TheLastNoteOfANameWinsAndLinesOfAnyLengthAreRead) {
  testsupport::TempDir dir;
  EXPECT_TRUE(ReadNotes(NotesFileName).empty());
  const std::string longName(300, 'N');
  dir.write(NotesFileName, "Sun\r\nfirst\r\nMoon\r\nSun\nCygnus-A\n\nTaurus-A\r\n");
  const TNoteMap notes = ReadNotes(NotesFileName);
  EXPECT_EQ(notes.at("Sun"), "first");
  EXPECT_EQ(notes.at("Moon"), "Sun");  // a note equal to a name is never taken for a name
  EXPECT_EQ(notes.at("Cygnus-A"), "");
  EXPECT_EQ(notes.count("Taurus-A"), 0u);  // a name without its note line
  EXPECT_EQ(notes.size(), 3u);

  dir.write(NotesFileName, "Sun\r\nfirst\r\nSun\r\nsecond\r\n" + longName + "\r\nlong note\r\n");
  const TNoteMap again = ReadNotes(NotesFileName);
  EXPECT_EQ(again.at("Sun"), "second");
  EXPECT_EQ(again.at(longName), "long note");  // a hand-edited long line does not stop the reader
}

TEST(Notes, AppendingKeepsEveryPairAndRefusesNothingSilently) {
  testsupport::TempDir dir;
  AppendNote(NotesFileName, "Sun", "seen");
  AppendNote(NotesFileName, "Sun", "two\r\nlines");
  EXPECT_EQ(dir.read(NotesFileName), "Sun\r\nseen\r\nSun\r\ntwo  lines\r\n");
  dir.write(NotesFileName, "Moon\r\nno line end");
  AppendNote(NotesFileName, "Moon", "");
  EXPECT_EQ(dir.read(NotesFileName), "Moon\r\nno line end\r\nMoon\r\n\r\n");
  EXPECT_EQ(ReadNotes(NotesFileName).at("Moon"), "");

  std::filesystem::create_directory("folder");
  EXPECT_THROW(AppendNote("folder", "Sun", "x"), EInOutError);
  EXPECT_THROW(ReadNotes("folder"), EInOutError);
}

TEST_F(PlanningTest, DriftScanReadsTheClockForEveryCell) {
  crt::time_t t = Unix(2026, 12, 8, 13, 25, 12);
  ClockAt(t);
  int reads = 0;
  auto now = [&] {
    ++reads;
    return t++;
  };
  const TDriftTable table = ComputeDriftScan({52.1, 5.2}, THorizonProfile::Defaults(), now);
  EXPECT_EQ(reads, 66);
  EXPECT_EQ(table[0][0], "Object");
  EXPECT_EQ(table[5][0], "Cassiopeia");
  // Local time 14:25:12 + 10 minutes; the header shows the column's eleventh cell (+10 s).
  EXPECT_EQ(table[0][1], "+10min.(14:35:22)");
  EXPECT_EQ(table[0][6], "+120min.(16:26:17)");
  const std::regex cell("[0-9]{3}\\.[0-9]{2} : -?[0-9]{2}\\.[0-9]{2}");
  for (size_t j = 1; j <= 6; ++j) EXPECT_TRUE(std::regex_match(table[5][j], cell)) << table[5][j];
  // Ten minutes later Cassiopeia stands at azimuth 359.9957 below the pole: due north, shown.
  const crt::time_t north = Unix(2026, 12, 8, 5, 45, 44);
  EXPECT_EQ(ComputeDriftScan({52.1, 5.2}, THorizonProfile::Defaults(), [&] { return north; })[5][1],
            "000.00 : 21.08");
  const TDriftTable hidden =
      ComputeDriftScan({52.1, 5.2}, ProfileWithMinimum(91), [&] { return t; });
  EXPECT_EQ(hidden[1][0], "Moon");
  for (size_t c = 1; c <= 11; ++c)
    for (size_t j = 1; j <= 6; ++j) EXPECT_EQ(hidden[c][j], "");
}

TEST_F(PlanningTest, OnTheDayDaylightTimeEndsEveryLocalHourHasItsCell) {
  const crt::time_t now = Unix(2026, 10, 25, 12);
  ClockAt(now);                        // standard time in force since 01:00 UTC
  auto state = StateWithPulsars(800);  // no band: the eleven objects
  const TPlanResult plan = ComputePlan(*state, THorizonProfile::Defaults(), now, 0);
  const TSkyObject& cassiopeia = PlanObjects()[4];
  // The hours before the change are daylight time, two hours ahead of UTC; 02:00 comes twice
  // and its column shows the second one, in standard time like the hours after it.
  auto cellAtWallHour = [&](int Hour) {
    const crt::time_t utc = Unix(2026, 10, 25, Hour) - (Hour < 2 ? 7200 : 3600);
    const TSkyPosition p =
        PositionOf(cassiopeia, {52.1, 5.2}, Astral::UtcTimeFrom(*crt::gmtime(&utc)));
    return IntToStr(WholeAzimuth(p.Azimuth)) + ":" + IntToStr(WholeDegrees(p.Elevation));
  };
  for (int h = 0; h < 24; ++h)
    EXPECT_EQ(plan.Rows[4].Hours[static_cast<size_t>(h)], cellAtWallHour(h)) << h;
}
