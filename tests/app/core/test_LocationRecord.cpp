// Saved observer locations: the record as written, as listed and as read back.
#include "LocationRecord.h"

#include <gtest/gtest.h>

#include "DOV_utf8.h"

namespace {

TLocationRecord Dwingeloo() {
  TLocationRecord r;
  r.Name = "Dwingeloo";
  r.Latitude = 52.8125;
  r.Longitude = 6.39583;
  r.LatitudeDeg = 52;
  r.LatitudeMin = 48;
  r.LatitudeSec = 45;
  r.NorthSouth = "N";
  r.LongitudeDeg = 6;
  r.LongitudeMin = 23;
  r.LongitudeSec = 45;
  r.EastWest = "E";
  r.Locator = "JO32ET";
  return r;
}

std::vector<String> Concat(const std::vector<std::vector<String>>& Records) {
  std::vector<String> lines;
  for (const auto& r : Records) lines.insert(lines.end(), r.begin(), r.end());
  return lines;
}

}  // namespace

TEST(LocationRecord, TenLinesInTheFileForm) {
  const std::vector<String> lines = ComposeLocationRecord(Dwingeloo());
  const std::vector<String> expected = {"Dwingeloo            52.8125      6.3958",
                                        "52",
                                        "48",
                                        "45",
                                        "N",
                                        "6",
                                        "23",
                                        "45",
                                        "E",
                                        "JO32ET"};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(lines[0].size(), 40u);
}

TEST(LocationRecord, NumbersAreFixedWithPointAndRoundedToNearest) {
  TLocationRecord r = Dwingeloo();
  r.Latitude = -33.86885;  // a hair beyond the half in binary: rounds away
  r.Longitude = -151.20935;
  r.LatitudeSec = 36.6;
  r.LongitudeSec = 0.4;
  r.EastWest = "";
  const std::vector<String> lines = ComposeLocationRecord(r);
  EXPECT_EQ(lines[0], "Dwingeloo           -33.8689   -151.2094");
  EXPECT_EQ(lines[3], "37");
  EXPECT_EQ(lines[7], "0");
  EXPECT_EQ(lines[8], "");  // no east/west letter confirmed yet
}

// A 15-character name is padded to 16: 40 characters that read back with the same name and the
// position to 4 decimals.
TEST(LocationRecord, HeadLineRoundTrip) {
  struct Case {
    const char* name;
    double lat, lon;
  };
  const Case
      cases[] =
          {
              {"ABCDEFGHIJKLMNO", 51.4792, -1.2917},
              {"x", -89.9999, -179.9999},
              {"", 0.0, 0.0},
              {"Zürich ETH", 47.3769, 8.5417},      // letters, not bytes, fill the column
              {"Zürich Süd Öst", 47.3769, 8.5417},  // 14 letters in 17 bytes
              {"16 characters ok", 10.0, 100.0},
              {"caf\xE9 latin-1", 48.85, 2.35},  // not UTF-8: each odd byte one character
          };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TLocationRecord r = Dwingeloo();
    r.Name = c.name;
    r.Latitude = c.lat;
    r.Longitude = c.lon;
    ASSERT_TRUE(LocationNameFits(r.Name));
    const String head = ComposeLocationRecord(r)[0];
    EXPECT_EQ(utf8::CharCount(head), 40u);
    String name;
    double lat = 0;
    double lon = 0;
    ASSERT_TRUE(ReadLocationHeadLine(head, name, lat, lon));
    EXPECT_EQ(name, PaddedLocationName(c.name));
    EXPECT_EQ(utf8::CharCount(name), 16u);
    EXPECT_NEAR(lat, c.lat, 5e-5);
    EXPECT_NEAR(lon, c.lon, 5e-5);
  }
}

TEST(LocationRecord, NamesThatWouldBreakTheRecord) {
  EXPECT_TRUE(LocationNameFits(String(16, 'a')));
  EXPECT_FALSE(LocationNameFits(String(17, 'a')));
  EXPECT_FALSE(LocationNameFits(String(300, 'a')));
  String umlauts;
  for (int i = 0; i < 16; ++i) umlauts += "ü";
  EXPECT_TRUE(LocationNameFits(umlauts));  // 32 bytes, 16 letters
  EXPECT_FALSE(LocationNameFits(umlauts + "ü"));
  EXPECT_EQ(LocationNameLength("Zürich Süd Öst"), 14u);
  // A line break inside the name would split the record into eleven lines.
  EXPECT_EQ(PaddedLocationName("Top\nfloor\r"), "Top floor       ");
  TLocationRecord r = Dwingeloo();
  r.Name = "Top\nfloor";
  const std::vector<String> lines = ComposeLocationRecord(r);
  ASSERT_EQ(lines.size(), 10u);
  for (const String& l : lines) EXPECT_EQ(l.find('\n'), String::npos);
}

TEST(LocationRecord, ListShowsHeadLinesAndEndsWithAnEmptyEntry) {
  TLocationRecord second = Dwingeloo();
  second.Name = "Home";
  second.Latitude = 45.510001;
  const auto lines = Concat({ComposeLocationRecord(Dwingeloo()), ComposeLocationRecord(second)});
  const std::vector<String> entries = LocationListEntries(ReadSavedLocations(lines));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0], lines[0]);
  EXPECT_EQ(entries[1], lines[10]);
  EXPECT_EQ(entries[2], "");
  EXPECT_EQ(LocationListEntries(ReadSavedLocations({})), std::vector<String>{""});
}

TEST(LocationRecord, ReadingARecordBack) {
  TLocationRecord second = Dwingeloo();
  second.Name = "Home";
  second.Latitude = -45.5;
  second.NorthSouth = "S";
  second.LatitudeSec = 0;
  second.Locator = "io91";
  const auto lines = Concat({ComposeLocationRecord(Dwingeloo()), ComposeLocationRecord(second)});

  const TSavedLocations saved = ReadSavedLocations(lines);
  ASSERT_EQ(saved.Records.size(), 2u);
  EXPECT_TRUE(saved.Problems.empty());
  const TLocationRecord& r = saved.Records[1];
  EXPECT_EQ(r.Name, "Home            ");
  EXPECT_EQ(r.Latitude, -45.5);
  EXPECT_NEAR(r.Longitude, 6.3958, 1e-12);
  EXPECT_EQ(r.LatitudeDeg, 52);
  EXPECT_EQ(r.LatitudeSec, 0);
  EXPECT_EQ(r.NorthSouth, "S");
  EXPECT_EQ(r.EastWest, "E");
  EXPECT_EQ(r.Locator, "io91");  // as stored
}

// A section that is no whole number of records: every record still found, every run of lines
// that is none named once (file line numbers, the section starting at line 31).
TEST(LocationRecord, DamagedSectionsKeepEveryRecord) {
  const auto a = ComposeLocationRecord(Dwingeloo());
  TLocationRecord home = Dwingeloo();
  home.Name = "Home";
  const auto b = ComposeLocationRecord(home);
  const auto cut = std::vector<String>(b.begin(), b.begin() + 6);
  auto badNumber = a;
  badNumber[2] = "forty-eight";
  auto longLocator = b;
  longLocator[9] = String(100000, 'J');
  auto longHead = a;
  longHead[0] = String(300, 'x');
  auto latin1 = b;
  latin1[0] = "Caf\xE9\xFF" + b[0].substr(5);
  struct Case {
    const char* what;
    std::vector<String> lines;
    std::vector<String> names;  // first characters of the names listed
    std::vector<String> problems;
  };
  const Case cases[] = {
      {"a blank line before the first", Concat({{""}, a, b}), {"Dwingeloo", "Home"}, {}},
      {"blank lines between and after", Concat({a, {"", " "}, b, {""}}), {"Dwingeloo", "Home"}, {}},
      {"a record cut short",
       Concat({a, cut, b}),
       {"Dwingeloo", "Home"},
       {"Lines 41-46: '" + b[0] + "'"}},
      {"cut short at the end", Concat({a, cut}), {"Dwingeloo"}, {"Lines 41-46: '" + b[0] + "'"}},
      {"cut short and one saved after it",
       Concat({a, std::vector<String>(b.begin(), b.begin() + 4), a}),
       {"Dwingeloo", "Dwingeloo"},
       {"Lines 41-44: '" + b[0] + "'"}},
      {"a number that is none", Concat({badNumber, b}), {"Home"}, {"Lines 31-40: '" + a[0] + "'"}},
      {"an overlong head line",
       Concat({longHead, b}),
       {"Home"},
       {"Lines 31-40: '" + String(40, 'x') + "...'"}},
      {"an overlong locator", Concat({a, longLocator}), {"Dwingeloo", "Home"}, {}},
      {"a name that is no UTF-8", Concat({a, latin1}), {"Dwingeloo", "Caf\xE9\xFF"}, {}},
      {"a stray line", Concat({a, {"hello"}, b}), {"Dwingeloo", "Home"}, {"Line 41: 'hello'"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TSavedLocations saved = ReadSavedLocations(c.lines, 31);
    ASSERT_EQ(saved.Records.size(), c.names.size());
    for (size_t i = 0; i < c.names.size(); ++i)
      EXPECT_EQ(saved.Records[i].Name.rfind(c.names[i], 0), 0u) << saved.Records[i].Name;
    EXPECT_EQ(saved.HeadLines.size(), saved.Records.size());
    EXPECT_EQ(saved.Problems, c.problems);
  }
}
