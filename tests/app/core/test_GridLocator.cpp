// Grid locators both ways.
#include "GridLocator.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(GridLocator, PositionToLocator) {
  struct Case {
    double lat, lon;
    const char* locator;
  };
  const Case cases[] = {
      {0.0, 0.0, "JJ00AA00"},
      {-90.0, -180.0, "AA00AA00"},
      {51.4792, -1.2917, "IO91IL45"},
      {52.8105, 6.3961, "JO32ET74"},
      {-33.8688, 151.2093, "QF56OD51"},
      // The pole and the date line lie on the grid's edge: they take its last square, not a
      // letter past R.
      {90.0, 0.0, "JR09AX09"},
      {90.0, 180.0, "RR99XX99"},
      {-90.0, 180.0, "RA90XA90"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.locator);
    EXPECT_EQ(LatLonToLocator(c.lat, c.lon), c.locator);
    double lat = 0, lon = 0;
    EXPECT_TRUE(LocatorToLatLon(c.locator, lat, lon));
  }
}

TEST(GridLocator, LocatorToCentreOfItsSquare) {
  struct Case {
    const char* locator;
    double lat, lon;
  };
  const Case cases[] = {
      {"IO91IL", 51.479167, -1.291667},
      {"IO91IL55", 51.48125, -1.2875},
      {"io91", 51.479167, -1.291667},  // upper-cased and completed with IL
      {"IO91", 51.479167, -1.291667},
      {"io91il55", 51.48125, -1.2875},
      {"AA00AA", -90.0 + 5 * 0.0041666666666667, -180.0 + 5 * 0.0083333333333333},
      {"RR99XX99", 89.997917, 179.995833},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.locator);
    double lat = 0;
    double lon = 0;
    ASSERT_TRUE(LocatorToLatLon(c.locator, lat, lon));
    EXPECT_NEAR(lat, c.lat, 5e-7);
    EXPECT_NEAR(lon, c.lon, 5e-7);
  }
}

TEST(GridLocator, InvalidLocatorsLeaveTheOutputsAlone) {
  for (const char* bad : {"", "IO9", "IO91I", "IO91IL5", "IO91IL555", "IS91IL", "SO91IL", "IOA1IL",
                          "IO91YL", "IO91IY", "IO91ILA5", "IO91IL5X", "IO 1IL",
                          "I\xC3\xA9"
                          "91"}) {
    SCOPED_TRACE(bad);
    double lat = 12.5;
    double lon = -7.25;
    EXPECT_FALSE(LocatorToLatLon(bad, lat, lon));
    EXPECT_EQ(lat, 12.5);
    EXPECT_EQ(lon, -7.25);
  }
}

// Any position maps to the centre of the extended square that holds it: at most half a square
// away in each direction, and the centre maps back to the same locator.
TEST(GridLocator, RoundTripGivesTheCentreOfTheExtendedSquare) {
  for (double lat = -89.9; lat < 90.0; lat += 7.31) {
    for (double lon = -179.9; lon < 180.0; lon += 11.17) {
      const String locator = LatLonToLocator(lat, lon);
      double clat = 0;
      double clon = 0;
      ASSERT_TRUE(LocatorToLatLon(locator, clat, clon)) << locator;
      EXPECT_LE(std::abs(clat - lat), 0.0041666666666667 / 2 + 1e-9) << locator;
      EXPECT_LE(std::abs(clon - lon), 0.0083333333333333 / 2 + 1e-9) << locator;
      EXPECT_EQ(LatLonToLocator(clat, clon), locator);
    }
  }
}
