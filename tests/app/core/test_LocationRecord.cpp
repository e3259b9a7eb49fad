// Saved observer locations: the record as written, as listed and as read back.
#include "LocationRecord.h"

#include <gtest/gtest.h>

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
  const Case cases[] = {
      {"ABCDEFGHIJKLMNO", 51.4792, -1.2917}, {"x", -89.9999, -179.9999}, {"", 0.0, 0.0},
      {"Zürich ETH", 47.3769, 8.5417},  // bytes, not letters, fill the column
      {"16 characters ok", 10.0, 100.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TLocationRecord r = Dwingeloo();
    r.Name = c.name;
    r.Latitude = c.lat;
    r.Longitude = c.lon;
    ASSERT_TRUE(LocationNameFits(r.Name));
    const String head = ComposeLocationRecord(r)[0];
    EXPECT_EQ(head.size(), 40u);
    String name;
    double lat = 0;
    double lon = 0;
    ASSERT_TRUE(ReadLocationHeadLine(head, name, lat, lon));
    EXPECT_EQ(name, PaddedLocationName(c.name));
    EXPECT_EQ(name.size(), 16u);
    EXPECT_NEAR(lat, c.lat, 5e-5);
    EXPECT_NEAR(lon, c.lon, 5e-5);
  }
}

TEST(LocationRecord, NamesThatWouldBreakTheRecord) {
  EXPECT_TRUE(LocationNameFits(String(16, 'a')));
  EXPECT_FALSE(LocationNameFits(String(17, 'a')));
  EXPECT_FALSE(LocationNameFits(String(300, 'a')));
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
  const std::vector<String> entries = LocationListEntries(lines);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0], lines[0]);
  EXPECT_EQ(entries[1], lines[10]);
  EXPECT_EQ(entries[2], "");
  EXPECT_EQ(LocationListEntries({}), std::vector<String>{""});
  // An incomplete last record still shows its first line.
  std::vector<String> cut(lines.begin(), lines.begin() + 13);
  EXPECT_EQ(LocationListEntries(cut).size(), 3u);
}

TEST(LocationRecord, ReadingARecordBack) {
  TLocationRecord second = Dwingeloo();
  second.Name = "Home";
  second.Latitude = -45.5;
  second.NorthSouth = "S";
  second.LatitudeSec = 0;
  second.Locator = "io91";
  const auto lines = Concat({ComposeLocationRecord(Dwingeloo()), ComposeLocationRecord(second)});

  TLocationRecord r;
  ASSERT_TRUE(ReadLocationRecord(lines, 1, r));
  EXPECT_EQ(r.Name, "Home            ");
  EXPECT_EQ(r.Latitude, -45.5);
  EXPECT_NEAR(r.Longitude, 6.3958, 1e-12);
  EXPECT_EQ(r.LatitudeDeg, 52);
  EXPECT_EQ(r.LatitudeSec, 0);
  EXPECT_EQ(r.NorthSouth, "S");
  EXPECT_EQ(r.EastWest, "E");
  EXPECT_EQ(r.Locator, "io91");  // as stored

  // Out of range, incomplete or damaged records leave the target alone.
  TLocationRecord untouched = Dwingeloo();
  EXPECT_FALSE(ReadLocationRecord(lines, 2, untouched));
  EXPECT_FALSE(ReadLocationRecord(lines, -1, untouched));
  std::vector<String> damaged = lines;
  damaged[12] = "forty-eight";
  EXPECT_FALSE(ReadLocationRecord(damaged, 1, untouched));
  damaged = lines;
  damaged[10] = "Home        abc lat     lon";
  EXPECT_FALSE(ReadLocationRecord(damaged, 1, untouched));
  EXPECT_EQ(untouched.Name, "Dwingeloo");
}
