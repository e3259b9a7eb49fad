// The astronomy engine against hand calculations and the textbook closed forms.
#include "Astral.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support_astral.h"

namespace {

using astraltest::Observer;
using astraltest::Utc;

// Local sidereal time the engine uses for an observer and instant.
double SiderealAt(double Lat, double Lon, const Astral::TUtcTime& When) {
  Astral a = Observer(Lat, Lon, When);
  a.TrackObject(0.0, 0.0);
  return a.SiderealTime;
}

}  // namespace

TEST(Astral, ConstructorSetsTheThreeConstants) {
  Astral a;
  EXPECT_EQ(a.DegreesPerRadian, 57.2957795130823);
  EXPECT_EQ(a.TwoPi, 6.283185307179586);
  EXPECT_EQ(a.Pi, 3.141592653589793);
}

TEST(Astral, UtcTimeCopiesTheFirstSixFieldsOfABrokenDownTime) {
  std::tm tm{};
  tm.tm_sec = 36;
  tm.tm_min = 30;
  tm.tm_hour = 6;
  tm.tm_mday = 15;
  tm.tm_mon = 0;
  tm.tm_year = 124;
  tm.tm_wday = 1;
  const Astral::TUtcTime t = Astral::UtcTimeFrom(tm);
  EXPECT_EQ(t.tm_sec, 36);
  EXPECT_EQ(t.tm_min, 30);
  EXPECT_EQ(t.tm_hour, 6);
  EXPECT_EQ(t.tm_mday, 15);
  EXPECT_EQ(t.tm_mon, 0);
  EXPECT_EQ(t.tm_year, 124);
}

// Day numbers count from 1999-12-31 0h UT; the expected values are calendar differences
// (2000 is a leap year: 1 + 31 + 29 = 61 for 1 March).
TEST(Astral, TimePreparationAndDayNumber) {
  struct Case {
    Astral::TUtcTime when;
    int year, month, day;
    double utHours, dayNumber;
  };
  const Case cases[] = {
      {Utc(2000, 1, 1, 0, 0, 0), 2000, 1, 1, 0.0, 1.0},
      {Utc(1999, 12, 31, 0, 0, 0), 1999, 12, 31, 0.0, 0.0},
      {Utc(2000, 3, 1, 0, 0, 0), 2000, 3, 1, 0.0, 61.0},
      {Utc(2024, 1, 15, 12, 30, 0), 2024, 1, 15, 12.5, 8781.0 + 12.5 / 24.0},
      {Utc(2024, 12, 31, 6, 30, 36), 2024, 12, 31, 6.51, 9132.0 + 6.51 / 24.0},
  };
  for (const Case& c : cases) {
    Astral a = Observer(52.0, 5.0, c.when);
    a.TrackObject(1.0, 10.0);
    SCOPED_TRACE(c.year * 10000 + c.month * 100 + c.day);
    EXPECT_EQ(a.Year, c.year);
    EXPECT_EQ(a.Month, c.month);
    EXPECT_EQ(a.Day, c.day);
    EXPECT_NEAR(a.UtHours, c.utHours, 1e-12);
    EXPECT_NEAR(a.DayNumber(), c.dayNumber, 1e-12);
  }
  Astral a = Observer(0, 0, Utc(2000, 1, 1, 0, 0, 0));
  a.PrepareTime();
  EXPECT_EQ(a.DayNumber(), 1.0);  // exactly
}

// Hand check at 2000-01-01 12:00 UT, Greenwich: d = 1.5,
// Ms = 356.047 + 0.9856002585 * 1.5 = 357.52540, ws = 282.94047,
// Ls = (357.52540 + 282.94047 + 720) mod 360 = 280.46587,
// LST = ((280.46587 + 180) / 15 + 12 + 0 + 48) mod 24 = 18.697725 h.
// The IAU value of Greenwich mean sidereal time at that instant is 18.697374558 h; the engine's
// approximation stays within about a second of it.
TEST(Astral, SiderealTimeAgreesWithTheIauValueAtJ2000) {
  const double lst = SiderealAt(52.0, 0.0, Utc(2000, 1, 1, 12, 0, 0));
  EXPECT_NEAR(lst, 18.697725, 1e-5);
  EXPECT_NEAR(lst, 18.697374558, 0.001);
}

TEST(Astral, SiderealTimeFollowsLongitudeAndStaysInADay) {
  const auto when = Utc(2000, 1, 1, 12, 0, 0);
  const double greenwich = SiderealAt(52.0, 0.0, when);
  EXPECT_NEAR(SiderealAt(52.0, 15.0, when), std::fmod(greenwich + 1.0, 24.0), 1e-9);
  EXPECT_NEAR(SiderealAt(52.0, 90.0, when), std::fmod(greenwich + 6.0, 24.0), 1e-9);  // wraps
  EXPECT_NEAR(SiderealAt(52.0, -120.0, when), std::fmod(greenwich - 8.0 + 24.0, 24.0), 1e-9);
  for (int hour = 0; hour < 24; ++hour) {
    for (double lon : {-179.9, -10.0, 0.0, 10.0, 179.9}) {
      const double lst = SiderealAt(40.0, lon, Utc(2026, 6, 30, hour, 59, 59));
      EXPECT_GE(lst, 0.0);
      EXPECT_LT(lst, 24.0);
    }
  }
}

// Hand check, 2000-01-01 12:00 UT, latitude 52 N, longitude 0, an object at RA 0 h, Dec 0:
// hour angle H = 18.6977 h * 15 = 280.466 deg (79.53 deg east of the meridian);
// sin(el) = sin 52 sin 0 + cos 52 cos 0 cos 280.466 = 0.61566 * 0.18163 = 0.11182, el = 6.42;
// azimuth from north through east: atan2(-cos d sin H, sin d cos phi - cos d cos H sin phi)
// = atan2(0.98337, -0.14313) = 98.28 (just south of east, as a rising equatorial object).
TEST(Astral, FixedObjectMatchesAHandCalculation) {
  Astral a = Observer(52.0, 0.0, Utc(2000, 1, 1, 12, 0, 0));
  EXPECT_TRUE(a.TrackObject(0.0, 0.0));
  EXPECT_NEAR(a.Elevation, 6.418, 0.01);
  EXPECT_NEAR(a.Azimuth, 98.278, 0.01);
}

// On the meridian (hour angle exactly 0: the right ascension is the sidereal time) an object
// south of the zenith stands at azimuth 180 and elevation 90 - latitude + declination.
TEST(Astral, ObjectOnTheMeridianSouthOfTheZenith) {
  struct Case {
    double lat, dec;
  };
  const Case cases[] = {{52.0, 20.0}, {52.0, -30.0}, {0.0, -10.0}, {-33.9, -60.0}, {70.0, 69.0}};
  const auto when = Utc(2026, 12, 10, 13, 18, 27);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lat);
    const double ra = SiderealAt(c.lat, 7.5, when);
    Astral a = Observer(c.lat, 7.5, when);
    a.TrackObject(ra, c.dec);
    EXPECT_NEAR(a.Azimuth, 180.0, 1e-6);
    EXPECT_NEAR(a.Elevation, 90.0 - c.lat + c.dec, 1e-6);
  }
}

// North of the zenith the azimuth is 0 - for a southern observer the rotation lands a hair
// below 0 and must come back just below 360, never negative.
TEST(Astral, ObjectOnTheMeridianNorthOfTheZenith) {
  const auto when = Utc(2026, 12, 10, 13, 18, 27);
  {
    const double ra = SiderealAt(-30.0, 0.0, when);
    Astral a = Observer(-30.0, 0.0, when);
    a.TrackObject(ra, -10.0);
    EXPECT_GT(a.Azimuth, 359.999999);
    EXPECT_LT(a.Azimuth, 360.0);
    EXPECT_NEAR(a.Elevation, 70.0, 1e-6);
  }
  {
    const double ra = SiderealAt(52.0, 0.0, when);
    Astral a = Observer(52.0, 0.0, when);
    a.TrackObject(ra, 80.0);
    EXPECT_GE(a.Azimuth, 0.0);
    EXPECT_LT(a.Azimuth, 1e-6);
    EXPECT_NEAR(a.Elevation, 62.0, 1e-6);
  }
}

// Rounding can put the rotated sine a hair above 1 for an object in the zenith; the elevation
// must still come out as 90, not NaN, and the flag true.
TEST(Astral, ObjectInTheZenithHasElevation90) {
  const auto when = Utc(2025, 3, 20, 21, 0, 0);
  for (int tenth = -899; tenth <= 899; tenth += 7) {
    const double lat = tenth / 10.0;
    const double ra = SiderealAt(lat, 12.0, when);
    Astral a = Observer(lat, 12.0, when);
    SCOPED_TRACE(lat);
    EXPECT_TRUE(a.TrackObject(ra, lat));
    EXPECT_NEAR(a.Elevation, 90.0, 1e-6);
    EXPECT_FALSE(std::isnan(a.Azimuth));
  }
}

// Near the horizon the returned flag is exactly "Elevation >= 0". Bisect the right ascension
// to the moment of rising, then look among the neighbouring representable right ascensions
// (over a few slightly different declinations) for an instant whose elevation computes as
// exactly zero: it still counts as above the horizon.
TEST(Astral, FlagIsTrueFromElevationZeroOnAndFalseBelow) {
  const auto when = Utc(2026, 12, 10, 0, 0, 0);
  const double lst = SiderealAt(48.0, 11.0, when);
  bool sawZero = false;
  for (int k = 0; k < 400 && !sawZero; ++k) {
    const double dec = 5.0 + k * 1e-9;
    auto elevation = [&](double ra, bool* flag) {
      Astral a = Observer(48.0, 11.0, when);
      const bool f = a.TrackObject(ra, dec);
      if (flag) *flag = f;
      return a.Elevation;
    };
    // Between lower culmination (hour angle 12 h, below the horizon for Dec 5 from 48 N)
    // and the meridian (above) the object rises once.
    double lo = lst + 12.0;
    double hi = lst;
    ASSERT_LT(elevation(lo, nullptr), 0.0);
    ASSERT_GT(elevation(hi, nullptr), 0.0);
    for (int i = 0; i < 200; ++i) {
      const double mid = 0.5 * (lo + hi);
      if (elevation(mid, nullptr) < 0.0)
        lo = mid;
      else
        hi = mid;
    }
    bool flag = true;
    ASSERT_LT(elevation(lo, &flag), 0.0);
    EXPECT_FALSE(flag);
    ASSERT_GE(elevation(hi, &flag), 0.0);
    EXPECT_TRUE(flag);

    // Walk the representable right ascensions on both sides of the crossing.
    for (double towards : {lst - 24.0, lst + 24.0}) {
      double ra = lo;
      for (int step = 0; step < 64; ++step) {
        ra = std::nextafter(ra, towards);
        const double e = elevation(ra, &flag);
        EXPECT_EQ(flag, e >= 0.0);
        if (e == 0.0) {
          sawZero = true;
          EXPECT_TRUE(flag);
        }
      }
    }
  }
  EXPECT_TRUE(sawZero) << "no instant with an elevation of exactly 0 was found";
}

TEST(Astral, FixedObjectClearsTheMoonResults) {
  Astral a = Observer(52.0, 5.0, Utc(2026, 1, 1, 0, 0, 0));
  a.Doppler = 1234.5;
  a.Distance = 384400.0;
  a.Degradation = -2.5;
  a.Elevation = 300.0;
  a.TrackObject(5.0, 20.0);
  EXPECT_EQ(a.Doppler, 0.0);
  EXPECT_EQ(a.Distance, 0.0);
  EXPECT_EQ(a.Degradation, 0.0);
  EXPECT_NE(a.Elevation, 300.0);
}

TEST(Astral, AzimuthStaysInAFullCircleAndElevationMatchesTheClosedForm) {
  Astral k;
  for (double lat : {-89.5, -45.0, -0.5, 0.0, 0.5, 30.0, 52.0, 89.5}) {
    for (double dec : {-80.0, -20.0, 0.0, 20.0, 80.0}) {
      for (int step = 0; step < 96; ++step) {
        const auto when = Utc(2026, 6, 1, step / 4, (step % 4) * 15, 0);
        Astral a = Observer(lat, -3.0, when);
        a.TrackObject(17.5, dec);
        EXPECT_GE(a.Azimuth, 0.0);
        EXPECT_LT(a.Azimuth, 360.0);
        // sin el = sin phi sin d + cos phi cos d cos H, with the engine's own sidereal time.
        const double h = (a.SiderealTime - 17.5) * 15.0 / k.DegreesPerRadian;
        const double p = lat / k.DegreesPerRadian, d = dec / k.DegreesPerRadian;
        const double el =
            std::asin(std::sin(p) * std::sin(d) + std::cos(p) * std::cos(d) * std::cos(h));
        ASSERT_NEAR(a.Elevation, el * k.DegreesPerRadian, 1e-5) << lat << " " << dec << " " << step;
      }
    }
  }
}

// B0329+54 (RAJD 53.2474, DECJD 54.5788) from 52 N never sets: it culminates below the pole
// at 54.58 + 52 - 90 = 16.58 deg and above it, north of the zenith, at 90 - (54.58 - 52) = 87.42
// deg.
TEST(Astral, B0329Plus54IsCircumpolarFrom52North) {
  double lowest = 1e9, highest = -1e9;
  for (int minute = 0; minute < 24 * 60; minute += 5) {
    Astral a = Observer(52.0, 6.6, Utc(2026, 12, 10, minute / 60, minute % 60, 0));
    EXPECT_TRUE(a.TrackObject(53.2474 / 15.0, 54.5788));
    lowest = std::min(lowest, a.Elevation);
    highest = std::max(highest, a.Elevation);
  }
  EXPECT_NEAR(lowest, 16.5788, 0.05);
  EXPECT_NEAR(highest, 87.4212, 0.05);
}

// Hand check of the ellipsoid: on the equator the radius is a + h = 6378140 + 600 m;
// at the pole it is a (1 - f) = 6356.755 km; with h = 0 the geocentric latitude satisfies
// tan psi = (1 - f)^2 tan phi, which at 45 deg gives 44.80757 deg.
TEST(Astral, GeocentricPositionOnTheEllipsoid) {
  Astral a;
  a.Geocentric(0.0, 600.0);
  EXPECT_EQ(a.GeocentricLatitude, 0.0);
  EXPECT_NEAR(a.GeocentricRadius, 6378.74, 1e-9);

  a.Geocentric(45.0 / a.DegreesPerRadian, 0.0);
  EXPECT_NEAR(a.GeocentricLatitude * a.DegreesPerRadian, 44.80757, 1e-5);

  a.Geocentric(a.Pi / 2.0, 0.0);
  EXPECT_NEAR(a.GeocentricRadius, 6356.755, 1e-3);
  EXPECT_NEAR(a.GeocentricLatitude, a.Pi / 2.0, 1e-12);
}

TEST(Astral, VectorHelpers) {
  Astral a;
  Astral::TVector3 v{};
  a.ToXyz(a.Pi / 2.0, 0.0, 2.0, v);
  EXPECT_NEAR(v[0], 0.0, 1e-15);
  EXPECT_NEAR(v[1], 2.0, 1e-15);
  EXPECT_NEAR(v[2], 0.0, 1e-15);

  // A negative longitude comes back in 0 .. 2 pi.
  double alpha = 0, delta = 0, r = 0;
  a.ToXyz(-0.5, 0.3, 384400.0, v);
  a.FromXyz(v, alpha, delta, r);
  EXPECT_NEAR(alpha, a.TwoPi - 0.5, 1e-12);
  EXPECT_NEAR(delta, 0.3, 1e-12);
  EXPECT_NEAR(r, 384400.0, 1e-6);

  EXPECT_EQ(a.Dot({1.0, 2.0, 3.0}, {4.0, -5.0, 6.0}), 12.0);
}

// A new pole on the old equator at longitude 0: a point at latitude 0.4 rad on the old
// prime meridian is 0.4 rad from that pole along a great circle, so its new latitude is
// pi/2 - 0.4 and sin(B2) = cos(0.4).
TEST(Astral, RotationToAPoleOnTheEquator) {
  Astral a;
  double a2 = 0, b2 = 0;
  a.RotateCoordinates(0.0, 0.0, 0.0, 0.0, 0.0, 0.4, a2, b2);
  EXPECT_NEAR(b2, a.Pi / 2.0 - 0.4, 1e-12);
  EXPECT_GE(a2, 0.0);
  EXPECT_LT(a2, a.TwoPi);
}
