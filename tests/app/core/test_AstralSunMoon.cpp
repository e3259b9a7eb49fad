// The Sun and the Moon of the astronomy engine: the stated properties of the computation, and a
// cross-check of the positions against a fuller, independent theory.
//
// Reference used below (written for this test from the published series of the standard
// textbook algorithms for the Sun and the Moon, not from the engine):
//  - Sun: the low-accuracy solar theory (mean longitude and anomaly with the equation of the
//    centre to the third harmonic, nutation and aberration), good to about 0.01 degree;
//  - Moon: the lunar series with its 30 largest terms in longitude and distance and 30 in
//    latitude plus the planetary additive terms, good to a few hundredths of a degree;
//  - sidereal time: the IAU 1982 polynomial for Greenwich mean sidereal time, plus the
//    equation of the equinoxes;
//  - topocentric place of the Moon: the rigorous parallax correction on the 1/298.257 ellipsoid.
// Neither side applies refraction. The engine works with mean elements and no nutation, so it
// is expected within a few hundredths of a degree for the Sun and a few tenths for the Moon.
#include "Astral.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support_astral.h"

namespace {

constexpr double Rad = 57.29577951308232;

double SinD(double x) { return std::sin(x / Rad); }
double CosD(double x) { return std::cos(x / Rad); }
double Norm360(double x) {
  x = std::fmod(x, 360.0);
  return x < 0 ? x + 360.0 : x;
}

using astraltest::Observer;
using astraltest::Utc;

// ---- the reference ---------------------------------------------------------------------------

double JulianDay(const Astral::TUtcTime& t) {
  int y = t.tm_year + 1900;
  int m = t.tm_mon + 1;
  const double d = t.tm_mday + (t.tm_hour + (t.tm_min + t.tm_sec / 60.0) / 60.0) / 24.0;
  if (m <= 2) {
    y -= 1;
    m += 12;
  }
  const int a = y / 100;
  const int b = 2 - a + a / 4;
  return std::floor(365.25 * (y + 4716)) + std::floor(30.6001 * (m + 1)) + d + b - 1524.5;
}

struct TSky {
  double Azimuth, Elevation, Distance;
};

struct TNutation {
  double Longitude, Obliquity;  // degrees
};

TNutation NutationAt(double T) {
  const double omega = 125.04452 - 1934.136261 * T;
  const double ls = 280.4665 + 36000.7698 * T;
  const double lm = 218.3165 + 481267.8813 * T;
  const double dpsi =
      (-17.20 * SinD(omega) - 1.32 * SinD(2 * ls) - 0.23 * SinD(2 * lm) + 0.21 * SinD(2 * omega)) /
      3600.0;
  const double deps =
      (9.20 * CosD(omega) + 0.57 * CosD(2 * ls) + 0.10 * CosD(2 * lm) - 0.09 * CosD(2 * omega)) /
      3600.0;
  return {dpsi, deps};
}

double MeanObliquity(double T) { return 23.4392911 - 0.0130042 * T; }

// Apparent local sidereal time in degrees.
double LocalSidereal(double JdUt, double T, double Lon, const TNutation& Nut, double Eps) {
  const double d = JdUt - 2451545.0;
  const double gmst =
      280.46061837 + 360.98564736629 * d + 0.000387933 * T * T - T * T * T / 38710000.0;
  return Norm360(gmst + Nut.Longitude * CosD(Eps) + Lon);
}

TSky Horizon(double HourAngle, double Dec, double Lat) {
  const double el = std::asin(SinD(Lat) * SinD(Dec) + CosD(Lat) * CosD(Dec) * CosD(HourAngle));
  const double az =
      std::atan2(SinD(HourAngle), CosD(HourAngle) * SinD(Lat) - std::tan(Dec / Rad) * CosD(Lat));
  return {Norm360(az * Rad + 180.0), el * Rad, 0.0};
}

// Terms of the lunar series: multiples of D, M, M', F and the coefficient (1e-6 degree for
// longitude and latitude, 1e-3 km for distance).
struct TLunarTerm {
  int D, M, Mp, F;
  double L, R;
};
const TLunarTerm LongitudeDistanceTerms[] = {
    {0, 0, 1, 0, 6288774, -20905355}, {2, 0, -1, 0, 1274027, -3699111},
    {2, 0, 0, 0, 658314, -2955968},   {0, 0, 2, 0, 213618, -569925},
    {0, 1, 0, 0, -185116, 48888},     {0, 0, 0, 2, -114332, -3149},
    {2, 0, -2, 0, 58793, 246158},     {2, -1, -1, 0, 57066, -152138},
    {2, 0, 1, 0, 53322, -170733},     {2, -1, 0, 0, 45758, -204586},
    {0, 1, -1, 0, -40923, -129620},   {1, 0, 0, 0, -34720, 108743},
    {0, 1, 1, 0, -30383, 104755},     {2, 0, 0, -2, 15327, 10321},
    {0, 0, 1, 2, -12528, 0},          {0, 0, 1, -2, 10980, 79661},
    {4, 0, -1, 0, 10675, -34782},     {0, 0, 3, 0, 10034, -23210},
    {4, 0, -2, 0, 8548, -21636},      {2, 1, -1, 0, -7888, 24208},
    {2, 1, 0, 0, -6766, 30824},       {1, 0, -1, 0, -5163, -8379},
    {1, 1, 0, 0, 4987, -16675},       {2, -1, 1, 0, 4036, -12831},
    {2, 0, 2, 0, 3994, -10445},       {4, 0, 0, 0, 3861, -11650},
    {2, 0, -3, 0, 3665, 14403},       {0, 1, -2, 0, -2689, -7003},
    {2, 0, -1, 2, -2602, 0},          {2, -1, -2, 0, 2390, 10056},
};
const TLunarTerm LatitudeTerms[] = {
    {0, 0, 0, 1, 5128122, 0}, {0, 0, 1, 1, 280602, 0},  {0, 0, 1, -1, 277693, 0},
    {2, 0, 0, -1, 173237, 0}, {2, 0, -1, 1, 55413, 0},  {2, 0, -1, -1, 46271, 0},
    {2, 0, 0, 1, 32573, 0},   {0, 0, 2, 1, 17198, 0},   {2, 0, 1, -1, 9266, 0},
    {0, 0, 2, -1, 8822, 0},   {2, -1, 0, -1, 8216, 0},  {2, 0, -2, -1, 4324, 0},
    {2, 0, 1, 1, 4200, 0},    {2, 1, 0, -1, -3359, 0},  {2, -1, -1, 1, 2463, 0},
    {2, -1, 0, 1, 2211, 0},   {2, -1, -1, -1, 2065, 0}, {0, 1, -1, -1, -1870, 0},
    {4, 0, -1, -1, 1828, 0},  {0, 1, 0, 1, -1794, 0},   {0, 0, 0, 3, -1749, 0},
    {0, 1, -1, 1, -1565, 0},  {1, 0, 0, 1, -1491, 0},   {0, 1, 1, 1, -1475, 0},
    {0, 1, 1, -1, -1410, 0},  {0, 1, 0, -1, -1344, 0},  {1, 0, 0, -1, -1335, 0},
    {0, 0, 3, 1, 1107, 0},    {4, 0, 0, -1, 1021, 0},   {4, 0, -1, 1, 833, 0},
};

constexpr double DeltaT = 69.0 / 86400.0;  // terrestrial minus universal time, days (2000s)

TSky ReferenceSun(double Lat, double Lon, const Astral::TUtcTime& When) {
  const double jd = JulianDay(When);
  const double T = (jd + DeltaT - 2451545.0) / 36525.0;
  const double l0 = 280.46646 + 36000.76983 * T + 0.0003032 * T * T;
  const double m = 357.52911 + 35999.05029 * T - 0.0001537 * T * T;
  const double c = (1.914602 - 0.004817 * T - 0.000014 * T * T) * SinD(m) +
                   (0.019993 - 0.000101 * T) * SinD(2 * m) + 0.000289 * SinD(3 * m);
  const double omega = 125.04 - 1934.136 * T;
  const double lambda = l0 + c - 0.00569 - 0.00478 * SinD(omega);
  const double eps = MeanObliquity(T) + 0.00256 * CosD(omega);
  const double ra = std::atan2(CosD(eps) * SinD(lambda), CosD(lambda)) * Rad;
  const double dec = std::asin(SinD(eps) * SinD(lambda)) * Rad;
  const TNutation nut = NutationAt(T);
  const double lst = LocalSidereal(jd, T, Lon, nut, eps);
  return Horizon(lst - ra, dec, Lat);
}

TSky ReferenceMoon(double Lat, double Lon, const Astral::TUtcTime& When) {
  const double jd = JulianDay(When);
  const double T = (jd + DeltaT - 2451545.0) / 36525.0;
  const double lp = 218.3164477 + 481267.88123421 * T - 0.0015786 * T * T;
  const double d = 297.8501921 + 445267.1114034 * T - 0.0018819 * T * T;
  const double m = 357.5291092 + 35999.0502909 * T - 0.0001536 * T * T;
  const double mp = 134.9633964 + 477198.8675055 * T + 0.0087414 * T * T;
  const double f = 93.2720950 + 483202.0175233 * T - 0.0036539 * T * T;
  const double a1 = 119.75 + 131.849 * T;
  const double a2 = 53.09 + 479264.290 * T;
  const double a3 = 313.45 + 481266.484 * T;
  const double e = 1.0 - 0.002516 * T - 0.0000074 * T * T;
  auto eccentricity = [e](int M) { return M == 0 ? 1.0 : (std::abs(M) == 1 ? e : e * e); };

  double sl = 0;
  double sr = 0;
  for (const TLunarTerm& t : LongitudeDistanceTerms) {
    const double arg = t.D * d + t.M * m + t.Mp * mp + t.F * f;
    sl += t.L * eccentricity(t.M) * SinD(arg);
    sr += t.R * eccentricity(t.M) * CosD(arg);
  }
  double sb = 0;
  for (const TLunarTerm& t : LatitudeTerms)
    sb += t.L * eccentricity(t.M) * SinD(t.D * d + t.M * m + t.Mp * mp + t.F * f);
  sl += 3958 * SinD(a1) + 1962 * SinD(lp - f) + 318 * SinD(a2);
  sb += -2235 * SinD(lp) + 382 * SinD(a3) + 175 * SinD(a1 - f) + 175 * SinD(a1 + f) +
        127 * SinD(lp - mp) - 115 * SinD(lp + mp);

  const TNutation nut = NutationAt(T);
  const double lambda = lp + sl / 1e6 + nut.Longitude;
  const double beta = sb / 1e6;
  const double distance = 385000.56 + sr / 1000.0;
  const double eps = MeanObliquity(T) + nut.Obliquity;

  const double ra =
      std::atan2(SinD(lambda) * CosD(eps) - std::tan(beta / Rad) * SinD(eps), CosD(lambda)) * Rad;
  const double dec =
      std::asin(SinD(beta) * CosD(eps) + CosD(beta) * SinD(eps) * SinD(lambda)) * Rad;

  // Topocentric place: observer at sea level on the ellipsoid.
  const double flat = 1.0 - 1.0 / 298.257;
  const double u = std::atan(flat * std::tan(Lat / Rad));
  const double rhoSin = flat * std::sin(u);
  const double rhoCos = std::cos(u);
  const double sinPar = 6378.14 / distance;
  const double h = LocalSidereal(jd, T, Lon, nut, eps) - ra;
  const double dAlpha =
      std::atan2(-rhoCos * sinPar * SinD(h), CosD(dec) - rhoCos * sinPar * CosD(h)) * Rad;
  const double topoDec = std::atan2((SinD(dec) - rhoSin * sinPar) * CosD(dAlpha),
                                    CosD(dec) - rhoCos * sinPar * CosD(h)) *
                         Rad;
  TSky sky = Horizon(h - dAlpha, topoDec, Lat);
  sky.Distance = distance;
  return sky;
}

double AzimuthGap(double A, double B) {
  const double d = std::fmod(std::abs(A - B), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

struct TSite {
  const char* name;
  double lat, lon;
  Astral::TUtcTime when;
};

// Years 1999 to 2035, both hemispheres, high and low latitudes, every quarter of the day.
const TSite Sites[] = {
    {"Dwingeloo 2000", 52.81, 6.40, Utc(2000, 1, 1, 12, 0, 0)},
    {"Sydney 1999", -33.87, 151.21, Utc(1999, 8, 11, 3, 15, 0)},
    {"Reykjavik 2012", 64.13, -21.90, Utc(2012, 9, 15, 18, 45, 30)},
    {"Mauna Kea 2019", 19.82, -155.47, Utc(2019, 3, 3, 3, 10, 0)},
    {"Madrid 2024", 40.42, -3.70, Utc(2024, 12, 24, 22, 0, 0)},
    {"Dunedin 2031", -45.87, 170.50, Utc(2031, 7, 4, 14, 20, 0)},
    {"Tromso 2026", 69.65, 18.96, Utc(2026, 6, 21, 9, 0, 0)},
    {"Quito 2035", -0.18, -78.47, Utc(2035, 2, 28, 16, 40, 0)},
    {"McMurdo 2017", -77.85, 166.67, Utc(2017, 12, 2, 23, 59, 59)},
};

}  // namespace

TEST(AstralSunMoon, SunAgreesWithTheFullerSolarTheory) {
  for (const TSite& s : Sites) {
    SCOPED_TRACE(s.name);
    Astral a = Observer(s.lat, s.lon, s.when);
    a.TrackSun();
    const TSky ref = ReferenceSun(s.lat, s.lon, s.when);
    EXPECT_NEAR(a.Elevation, ref.Elevation, 0.03);
    EXPECT_LE(AzimuthGap(a.Azimuth, ref.Azimuth) * CosD(ref.Elevation), 0.03);
  }
}

TEST(AstralSunMoon, MoonAgreesWithTheLunarSeries) {
  for (const TSite& s : Sites) {
    SCOPED_TRACE(s.name);
    Astral a = Observer(s.lat, s.lon, s.when);
    a.Frequency = 1296.0;
    a.Elevation = 300.0;
    a.TrackMoon();
    const TSky ref = ReferenceMoon(s.lat, s.lon, s.when);
    EXPECT_NEAR(a.Elevation, ref.Elevation, 0.3);
    EXPECT_LE(AzimuthGap(a.Azimuth, ref.Azimuth) * CosD(ref.Elevation), 0.3);
    EXPECT_NEAR(a.Distance, ref.Distance, 0.002 * ref.Distance);
  }
}

// Local noon at Greenwich on the June solstice: the Sun crosses the meridian at an elevation of
// 90 - latitude + declination, with a declination of about +23.44 (and -23.44 in December).
TEST(AstralSunMoon, SunAtTheSolsticesCrossesTheMeridianAtTheTropics) {
  struct Case {
    Astral::TUtcTime when;
    double declination;
  };
  const Case cases[] = {{Utc(2024, 6, 20, 12, 2, 0), 23.44},
                        {Utc(2024, 12, 21, 11, 58, 0), -23.44}};
  for (const Case& c : cases) {
    double highest = -90;
    for (int minute = -20; minute <= 20; ++minute) {
      Astral::TUtcTime t = c.when;
      t.tm_min += minute;
      if (t.tm_min < 0) {
        t.tm_min += 60;
        t.tm_hour -= 1;
      }
      if (t.tm_min >= 60) {
        t.tm_min -= 60;
        t.tm_hour += 1;
      }
      Astral a = Observer(51.48, 0.0, t);
      a.TrackSun();
      highest = std::max(highest, a.Elevation);
    }
    EXPECT_NEAR(highest, 90.0 - 51.48 + c.declination, 0.02);
  }
}

TEST(AstralSunMoon, SunAndFixedObjectsClearTheMoonResults) {
  Astral a = Observer(52.0, 5.0, Utc(2026, 12, 10, 12, 0, 0));
  a.Doppler = 1;
  a.Distance = 2;
  a.Degradation = 3;
  EXPECT_TRUE(a.TrackSun());  // a December noon at 52 N is above the horizon
  EXPECT_EQ(a.Doppler, 0.0);
  EXPECT_EQ(a.Distance, 0.0);
  EXPECT_EQ(a.Degradation, 0.0);
  EXPECT_GE(a.SiderealTime, 0.0);
  EXPECT_LT(a.SiderealTime, 24.0);

  Astral night = Observer(52.0, 5.0, Utc(2026, 12, 10, 0, 0, 0));
  EXPECT_FALSE(night.TrackSun());
  EXPECT_LT(night.Elevation, 0.0);
}

TEST(AstralSunMoon, DegradationAndDoppler) {
  struct Case {
    double frequency, distance, degradation;
  };
  const Case cases[] = {
      {1296.0, 356903.0, -10 * std::log10(83.0 / (13.0 * std::pow(408.0 / 1296.0, 2.6) + 80.0))},
      {1296.0, 356903.0, -0.125},  // sky term only, about
      {408.0, 356903.0, -10 * std::log10(83.0 / 93.0)},
      {408.0, 356903.0, 0.49},
      {408.0, 406000.0, 0.49 - 2.24},  // distance term, about
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frequency);
    EXPECT_NEAR(MoonPathDegradation(c.frequency, c.distance), c.degradation, 0.006);
  }
  EXPECT_NEAR(MoonEchoDoppler(1296.0, -0.1), 864.6, 0.05);  // approaching: shifted up
  EXPECT_NEAR(MoonEchoDoppler(1296.0, 0.1), -864.6, 0.05);
  EXPECT_EQ(MoonEchoDoppler(1296.0, 0.0), 0.0);
}

// TrackMoon puts the pieces together: the Doppler shift follows the range rate it computed, the
// degradation the distance; the range rate of the Moon is at most about 1.5 km/s.
TEST(AstralSunMoon, MoonResultsAreConsistent) {
  for (const TSite& s : Sites) {
    SCOPED_TRACE(s.name);
    Astral a = Observer(s.lat, s.lon, s.when);
    a.Frequency = 1296.0;
    a.Elevation = 300.0;
    const bool up = a.TrackMoon();
    EXPECT_EQ(up, a.Elevation >= 0.0);
    EXPECT_NE(a.Elevation, 300.0);
    EXPECT_DOUBLE_EQ(a.Doppler, MoonEchoDoppler(1296.0, a.RangeRate));
    EXPECT_DOUBLE_EQ(a.Degradation, MoonPathDegradation(1296.0, a.Distance));
    EXPECT_GT(a.Distance, 350000.0);
    EXPECT_LT(a.Distance, 410000.0);
    EXPECT_LT(std::abs(a.RangeRate), 1.5);
    EXPECT_GE(a.HourAngle, -180.0);
    EXPECT_LE(a.HourAngle, 180.0);
    EXPECT_GE(a.Azimuth, 0.0);
    EXPECT_LT(a.Azimuth, 360.0);
    EXPECT_GE(a.MoonRA, 0.0);
    EXPECT_LT(a.MoonRA, 360.0);
    // The Moon stays within about 5.3 degrees of the ecliptic, whose galactic latitude is never
    // above about 60.2 degrees.
    EXPECT_LE(std::abs(a.GalacticLatitude), 66.0);
    // The values left are those of the instant itself: the working vectors agree with them.
    EXPECT_NEAR(std::hypot(a.MoonFromEarth[0], a.MoonFromEarth[1], a.MoonFromEarth[2]), a.Distance,
                1e-6 * a.Distance);
  }
}

// The hour angle and azimuth stay in range over a whole lunar month, hour by hour.
TEST(AstralSunMoon, MoonHourAngleAndAzimuthStayInRange) {
  for (int hour = 0; hour < 30 * 24; hour += 7) {
    Astral a = Observer(-31.0, 116.0, Utc(2026, 1, 1 + hour / 24, hour % 24, 0, 0));
    a.Frequency = 1296.0;
    a.TrackMoon();
    ASSERT_GE(a.HourAngle, -180.0);
    ASSERT_LE(a.HourAngle, 180.0);
    ASSERT_GE(a.Azimuth, 0.0);
    ASSERT_LT(a.Azimuth, 360.0);
  }
}

// On the equator the topocentric correction divides 0 by 0; the engine gives the limit just
// beside it and leaves the caller's latitude as it was.
TEST(AstralSunMoon, MoonOnTheEquatorIsTheFiniteLimit) {
  const auto when = Utc(2026, 3, 14, 20, 0, 0);
  Astral exact = Observer(0.0, 30.0, when);
  exact.Frequency = 1296.0;
  exact.TrackMoon();
  Astral beside = Observer(1e-7, 30.0, when);
  beside.Frequency = 1296.0;
  beside.TrackMoon();
  EXPECT_EQ(exact.Latitude, 0.0);
  ASSERT_TRUE(std::isfinite(exact.Elevation));
  ASSERT_TRUE(std::isfinite(exact.Azimuth));
  EXPECT_NEAR(exact.Elevation, beside.Elevation, 1e-5);
  EXPECT_NEAR(exact.Azimuth, beside.Azimuth, 1e-5);
  EXPECT_NEAR(exact.TopocentricDec, beside.TopocentricDec, 1e-5);
}
