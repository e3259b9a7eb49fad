#include "Astral.h"

#include <algorithm>
#include <cmath>

Astral::TUtcTime Astral::UtcTimeFrom(const std::tm& Broken) {
  TUtcTime t;
  t.tm_sec = Broken.tm_sec;
  t.tm_min = Broken.tm_min;
  t.tm_hour = Broken.tm_hour;
  t.tm_mday = Broken.tm_mday;
  t.tm_mon = Broken.tm_mon;
  t.tm_year = Broken.tm_year;
  return t;
}

Astral::Astral()
    : DegreesPerRadian(57.2957795130823), TwoPi(6.283185307179586), Pi(3.141592653589793) {}

void Astral::PrepareTime() {
  UtHours = (UtcTime.tm_sec / 60.0 + UtcTime.tm_min) / 60.0 + UtcTime.tm_hour;
  Year = UtcTime.tm_year + 1900;
  Month = UtcTime.tm_mon + 1;
  Day = UtcTime.tm_mday;
}

double Astral::DayNumber() const { return DayNumber(Month, Day, UtHours); }

double Astral::DayNumber(int MonthOfYear, int DayOfMonth, double UtHoursOfDay) const {
  // Integer arithmetic on purpose: every division truncates, as the calendar formula needs.
  const int m = MonthOfYear;
  const int n = 367 * Year - (7 * (Year + (m + 9) / 12)) / 4 + (275 * m) / 9 + DayOfMonth - 730530;
  return n + UtHoursOfDay / 24.0;
}

double Astral::LocalSiderealTime(double D) const {
  const double ms = std::fmod(356.047 + 0.9856002585 * D + 3600000.0, 360.0);
  const double ws = 282.9404 + 4.70935e-5 * D;
  const double ls = std::fmod(ms + ws + 720.0, 360.0);
  return std::fmod((ls + 180.0) / 15.0 + UtHours + Longitude / 15.0 + 48.0, 24.0);
}

void Astral::Geocentric(double GeodeticLatitude, double HeightMetres) {
  const double a = 6378140.0;
  const double f = 0.0033528131778969143;  // 1 / 298.257
  const double s = std::sin(GeodeticLatitude);
  const double c = 1.0 / std::sqrt(1.0 + (f - 2.0) * f * s * s);
  const double x = std::cos(GeodeticLatitude) * (a * c + HeightMetres);
  const double z = s * (a * (1.0 - f) * (1.0 - f) * c + HeightMetres);
  GeocentricLatitude = std::atan2(z, x);
  GeocentricRadius = std::sqrt(x * x + z * z) * 0.001;
}

void Astral::RotateCoordinates(double A0, double B0, double AP, double BP, double A1, double B1,
                               double& A2, double& B2) const {
  const double sb0 = std::sin(B0);
  const double cb0 = std::cos(B0);
  const double sbp = std::sin(BP);
  const double cbp = std::cos(BP);
  const double sb1 = std::sin(B1);
  const double cb1 = std::cos(B1);

  // Rounding can push the sine a hair past 1 for a point at the pole of the new system (an
  // object in the zenith); unclamped, the square root below would turn the elevation into NaN.
  const double sb2 = std::clamp(sbp * sb1 + cbp * cb1 * std::cos(AP - A1), -1.0, 1.0);
  const double cb2 = std::sqrt(1.0 - sb2 * sb2);
  B2 = std::atan(sb2 / cb2);

  const double saa = std::sin(AP - A1) * cb1 / cb2;
  const double caa = (sb1 - sb2 * sbp) / (cb2 * cbp);
  const double cbb = sb0 / cbp;
  const double sbb = std::sin(AP - A0) * cb0;
  const double sa2 = saa * cbb - caa * sbb;
  const double ca2 = caa * cbb + saa * sbb;

  // Half-angle form; at the pole the longitude is undefined (0/0) and is taken as 0.
  double t;
  if (std::isnan(ca2)) {
    t = 0.0;
  } else if (ca2 <= 0.0) {
    t = (1.0 - ca2) / sa2;
  } else {
    t = sa2 / (1.0 + ca2);
  }
  A2 = 2.0 * std::atan(t);
  if (A2 < 0.0) A2 += TwoPi;
}

void Astral::ToXyz(double Alpha, double Delta, double R, TVector3& Xyz) const {
  Xyz[0] = R * std::cos(Delta) * std::cos(Alpha);
  Xyz[1] = R * std::cos(Delta) * std::sin(Alpha);
  Xyz[2] = R * std::sin(Delta);
}

void Astral::FromXyz(const TVector3& Xyz, double& Alpha, double& Delta, double& R) const {
  R = std::sqrt(Xyz[0] * Xyz[0] + Xyz[1] * Xyz[1] + Xyz[2] * Xyz[2]);
  Alpha = std::atan2(Xyz[1], Xyz[0]);
  if (Alpha < 0.0) Alpha += TwoPi;
  Delta = std::asin(Xyz[2] / R);
}

double Astral::Dot(const TVector3& A, const TVector3& B) const {
  return A[0] * B[0] + A[1] * B[1] + A[2] * B[2];
}

void Astral::PrecessFromJ2000(double D, double RightAscensionHours, double DeclinationDeg,
                              double& RaOfDateHours, double& DecOfDateDeg) const {
  // IAU 1976 precession from the fixed epoch J2000.0 (JD 2451545.0 = day number 1.5), in
  // Julian centuries; the angles in arc seconds.
  const double t = (D - 1.5) / 36525.0;
  const double arcsec = 1.0 / (3600.0 * DegreesPerRadian);
  const double zeta = ((0.017998 * t + 0.30188) * t + 2306.2181) * t * arcsec;
  const double z = ((0.018203 * t + 1.09468) * t + 2306.2181) * t * arcsec;
  const double theta = ((-0.041833 * t - 0.42665) * t + 2004.3109) * t * arcsec;

  const double ra = RightAscensionHours * 15.0 / DegreesPerRadian + zeta;
  const double dec = DeclinationDeg / DegreesPerRadian;
  const double a = std::cos(dec) * std::sin(ra);
  const double b = std::cos(theta) * std::cos(dec) * std::cos(ra) - std::sin(theta) * std::sin(dec);
  const double c = std::sin(theta) * std::cos(dec) * std::cos(ra) + std::cos(theta) * std::sin(dec);
  double raOfDate = std::fmod((std::atan2(a, b) + z) * DegreesPerRadian / 15.0, 24.0);
  if (raOfDate < 0.0) raOfDate += 24.0;
  RaOfDateHours = raOfDate;
  // The arc tangent form keeps full precision near the poles, where the arc sine of c would not.
  DecOfDateDeg = std::atan2(c, std::sqrt(a * a + b * b)) * DegreesPerRadian;
}

bool Astral::TrackObject(double RightAscensionHours, double DeclinationDeg) {
  PrepareTime();
  double ra = 0.0, dec = 0.0;
  PrecessFromJ2000(DayNumber(), RightAscensionHours, DeclinationDeg, ra, dec);
  return TrackPlaceOfDate(ra, dec);
}

bool Astral::TrackPlaceOfDate(double RightAscensionHours, double DeclinationDeg) {
  PrepareTime();
  SiderealTime = LocalSiderealTime(DayNumber());

  const double hourAngle = (SiderealTime - RightAscensionHours) * 15.0;  // degrees
  // The fixed-object rotation has always used this rounded pi; keep it, positions near the
  // meridian depend on it in the last digits.
  const double pi = 3.14159265;
  const double phi = Latitude / DegreesPerRadian;
  double a2 = 0.0;
  double b2 = 0.0;
  RotateCoordinates(pi, pi / 2.0 - phi, 0.0, phi, hourAngle * pi / 180.0,
                    DeclinationDeg / DegreesPerRadian, a2, b2);
  Azimuth = a2 * DegreesPerRadian;
  // A rotation result a hair below 2 pi can round up to a full circle on the way to degrees.
  if (Azimuth >= 360.0) Azimuth -= 360.0;
  Elevation = b2 * DegreesPerRadian;
  Doppler = 0.0;
  Distance = 0.0;
  Degradation = 0.0;
  return Elevation >= 0.0;
}

namespace {

// The Sun's mean elements at day number D (degrees): longitude of perihelion and mean anomaly.
double SunPerihelion(double D) { return 282.9404 + 4.70935e-5 * D; }

double Obliquity(double D) { return 23.4393 - 3.563e-7 * D; }

}  // namespace

bool Astral::TrackSun() {
  PrepareTime();
  const double d = DayNumber();
  // The Sun keeps the shorter conversion factor it was tuned with.
  const double rad = 57.2957795;

  const double ecl = Obliquity(d);
  const double w = SunPerihelion(d);
  const double e = 0.016709 - 1.151e-9 * d;
  const double m = std::fmod(356.047 + 0.9856002585 * d + 360000.0, 360.0);
  const double l = std::fmod(w + m + 720.0, 360.0);

  // Kepler's equation: a good first guess and one Newton step suffice for the Earth's orbit.
  const double e0 = m + e * rad * std::sin(m / rad) * (1.0 + e * std::cos(m / rad));
  const double ea = e0 - (e0 - e * rad * std::sin(e0 / rad) - m) / (1.0 - e * std::cos(e0 / rad));

  double x = std::cos(ea / rad) - e;
  double y = std::sin(ea / rad) * std::sqrt(1.0 - e * e);
  const double v = std::atan2(y, x) * rad;
  const double r = std::sqrt(x * x + y * y);

  const double lambda = std::fmod(v + w + 720.0, 360.0);
  x = r * std::cos(lambda / rad);
  y = r * std::sin(lambda / rad);
  const double xe = x;
  const double ye = y * std::cos(ecl / rad);
  const double ze = y * std::sin(ecl / rad);
  const double alpha = std::atan2(ye, xe) * rad;  // -180 .. 180, left so on purpose
  const double delta = std::atan2(ze, std::sqrt(xe * xe + ye * ye)) * rad;

  SiderealTime = std::fmod((l + 180.0) / 15.0 + UtHours + Longitude / 15.0 + 48.0, 24.0);
  const double h = 15.0 * SiderealTime - alpha;

  x = std::cos(h / rad) * std::cos(delta / rad);
  y = std::sin(h / rad) * std::cos(delta / rad);
  const double z = std::sin(delta / rad);
  const double phi = Latitude / rad;
  const double xh = x * std::sin(phi) - z * std::cos(phi);
  const double yh = y;
  const double zh = x * std::cos(phi) + z * std::sin(phi);

  Azimuth = std::fmod(std::atan2(yh, xh) * rad + 180.0 + 360.0, 360.0);
  Elevation = std::asin(zh) * rad;
  Doppler = 0.0;
  Distance = 0.0;
  Degradation = 0.0;
  return Elevation >= 0.0;
}

double Astral::MoonGeocentricPlace(int MonthOfYear, int DayOfMonth, double UtHoursOfDay) {
  const double rad = DegreesPerRadian;
  auto sind = [rad](double deg) { return std::sin(deg / rad); };
  auto cosd = [rad](double deg) { return std::cos(deg / rad); };

  const double d = DayNumber(MonthOfYear, DayOfMonth, UtHoursOfDay);
  const double ecl = Obliquity(d);

  // Mean orbital elements of the Moon (a in Earth radii).
  const double node = 125.1228 - 0.0529538083 * d;
  static const double cosIncl = std::cos(5.1454 / 57.2957795130823);
  static const double sinIncl = std::sin(5.1454 / 57.2957795130823);
  const double w = std::fmod(318.0634 + 0.1643573223 * d + 360000.0, 360.0);
  const double a = 60.2666;
  const double e = 0.0549;
  const double m = std::fmod(115.3654 + 13.0649929509 * d + 360000.0, 360.0);

  // Kepler's equation: the Moon's orbit needs two Newton steps.
  const double cosM = cosd(m);
  double ea = m + e * rad * sind(m) * (1.0 + e * cosM);
  for (int step = 0; step < 2; ++step)
    ea = ea - (ea - e * rad * sind(ea) - m) / (1.0 - e * cosd(ea));

  const double xv = a * (cosd(ea) - e);
  const double yv = a * std::sqrt(1.0 - e * e) * sind(ea);
  const double v = std::fmod(std::atan2(yv, xv) * rad + 720.0, 360.0);
  double r = std::sqrt(xv * xv + yv * yv);

  // Each sine and cosine once: the library calls cannot be merged by the compiler.
  const double cosNode = cosd(node);
  const double sinNode = sind(node);
  const double cosVw = cosd(v + w);
  const double sinVw = sind(v + w);
  double xg = r * (cosNode * cosVw - sinNode * sinVw * cosIncl);
  double yg = r * (sinNode * cosVw + cosNode * sinVw * cosIncl);
  double zg = r * sinVw * sinIncl;
  double lon = std::fmod(std::atan2(yg, xg) * rad + 720.0, 360.0);
  double lat = std::atan2(zg, std::sqrt(xg * xg + yg * yg)) * rad;

  // Arguments of the main perturbations.
  const double ms = std::fmod(356.047 + 0.9856002585 * d + 3600000.0, 360.0);
  const double ls = std::fmod(ms + SunPerihelion(d) + 720.0, 360.0);
  const double lm = std::fmod(m + w + node + 720.0, 360.0);
  const double dm = std::fmod(lm - ls + 360.0, 360.0);   // mean elongation
  const double f = std::fmod(lm - node + 360.0, 360.0);  // argument of latitude

  // Most arguments appear in a sine and a cosine; the library's combined routine gives exactly
  // the two values of the separate calls in one go.
  struct TSinCos {
    double s, c;
  };
  auto both = [rad](double deg) {
    TSinCos v;
    ::sincos(deg / rad, &v.s, &v.c);
    return v;
  };
  const TSinCos mMinus2D = both(m - 2 * dm);
  const TSinCos twoD = both(2 * dm);
  const TSinCos twoMMinus2D = both(2 * m - 2 * dm);
  const TSinCos mMinus2DPlusMs = both(m - 2 * dm + ms);
  const TSinCos mPlus2D = both(m + 2 * dm);
  const TSinCos twoDMinusMs = both(2 * dm - ms);
  const TSinCos mMinusMs = both(m - ms);
  const TSinCos oneD = both(dm);
  const TSinCos mPlusMs = both(m + ms);

  lon += -1.274 * mMinus2D.s + 0.658 * twoD.s - 0.186 * sind(ms) - 0.059 * twoMMinus2D.s -
         0.057 * mMinus2DPlusMs.s + 0.053 * mPlus2D.s + 0.046 * twoDMinusMs.s + 0.041 * mMinusMs.s -
         0.035 * oneD.s - 0.031 * mPlusMs.s - 0.015 * sind(2 * f - 2 * dm) +
         0.011 * sind(m - 4 * dm);
  lat += -0.173 * sind(f - 2 * dm) - 0.055 * sind(m - f - 2 * dm) - 0.046 * sind(m + f - 2 * dm) +
         0.033 * sind(f + 2 * dm) + 0.017 * sind(2 * m + f);
  r = 60.36298 - 3.27746 * cosM - 0.57994 * mMinus2D.c - 0.46357 * twoD.c - 0.08904 * cosd(2 * m) +
      0.03865 * twoMMinus2D.c - 0.03237 * twoDMinusMs.c - 0.02688 * mPlus2D.c -
      0.02358 * mMinus2DPlusMs.c - 0.0203 * mMinusMs.c + 0.01719 * oneD.c + 0.01671 * mPlusMs.c;
  Distance = r * 6378.14;

  const double cosLat = cosd(lat);
  const double cosEcl = cosd(ecl);
  const double sinEcl = sind(ecl);
  xg = r * cosd(lon) * cosLat;
  yg = r * sind(lon) * cosLat;
  zg = r * sind(lat);
  const double xe = xg;
  const double ye = yg * cosEcl - zg * sinEcl;
  const double ze = yg * sinEcl + zg * cosEcl;
  MoonRA = std::fmod(std::atan2(ye, xe) * rad + 360.0, 360.0);
  MoonDec = std::atan2(ze, std::sqrt(xe * xe + ye * ye)) * rad;
  return r;
}

void Astral::MoonPosition(int MonthOfYear, int DayOfMonth, double UtHoursOfDay,
                          double ObserverLongitude, double ObserverLatitude) {
  const double rad = DegreesPerRadian;
  auto sind = [rad](double deg) { return std::sin(deg / rad); };
  auto cosd = [rad](double deg) { return std::cos(deg / rad); };

  // At exactly 0 the topocentric declination below is 0/0; the limit just off the equator is
  // the answer, and the caller's latitude stays as it is.
  const double lat0 = ObserverLatitude == 0.0 ? 1e-7 : ObserverLatitude;

  const double r = MoonGeocentricPlace(MonthOfYear, DayOfMonth, UtHoursOfDay);
  const double d = DayNumber(MonthOfYear, DayOfMonth, UtHoursOfDay);
  const double ms = std::fmod(356.047 + 0.9856002585 * d + 3600000.0, 360.0);
  const double ls = std::fmod(ms + SunPerihelion(d) + 720.0, 360.0);

  // From the Earth's centre to the observer: parallax on the flattened Earth.
  const double mpar = std::asin(1.0 / r) * rad;
  const double gclat = lat0 - 0.1924 * sind(2 * lat0);
  const double rho = 0.99883 + 0.00167 * cosd(2 * lat0);

  SiderealTime =
      std::fmod((ls + 180.0) / 15.0 + UtHoursOfDay + ObserverLongitude / 15.0 + 48.0, 24.0);
  HourAngle = 15.0 * SiderealTime - MoonRA;
  const double g = std::atan(std::tan(gclat / rad) / cosd(HourAngle)) * rad;
  TopocentricRA = MoonRA - mpar * rho * cosd(gclat) * sind(HourAngle) / cosd(MoonDec);
  TopocentricDec = MoonDec - mpar * rho * sind(gclat) * sind(g - MoonDec) / sind(g);

  HourAngle = 15.0 * SiderealTime - TopocentricRA;
  if (HourAngle > 180.0) HourAngle -= 360.0;
  if (HourAngle < -180.0) HourAngle += 360.0;

  const double phi = lat0 / rad;
  double a2 = 0.0;
  double b2 = 0.0;
  RotateCoordinates(Pi, Pi / 2.0 - phi, 0.0, phi, HourAngle * TwoPi / 360.0, TopocentricDec / rad,
                    a2, b2);
  Azimuth = a2 * rad;
  if (Azimuth >= 360.0) Azimuth -= 360.0;
  Elevation = b2 * rad;
}

void Astral::MoonDoppler() {
  const double rad = DegreesPerRadian;
  Geocentric(Latitude / rad, 600.0);
  const double dt = 100.0;  // seconds between the two positions that give the velocity

  // The earlier position only gives the velocity: its geocentric place is all that is used.
  TVector3 earlier{};
  MoonGeocentricPlace(Month, Day, UtHours - dt / 3600.0);
  ToXyz(MoonRA / rad, MoonDec / rad, Distance, earlier);

  TVector3 moon{};
  MoonPosition(Month, Day, UtHours, Longitude, Latitude);
  ToXyz(MoonRA / rad, MoonDec / rad, Distance, moon);

  TVector3 observer{};
  ToXyz(SiderealTime * TwoPi / 24.0, GeocentricLatitude, GeocentricRadius, observer);
  const double omega = TwoPi / 86164.0905609763;  // the Earth's rotation, rad/s
  const TVector3 observerVelocity = {-observer[1] * omega, observer[0] * omega, 0.0};

  TVector3 relative{};
  TVector3 relativeVelocity{};
  for (int i = 0; i < 3; ++i) {
    const double moonVelocity = (moon[i] - earlier[i]) / dt;
    relative[i] = moon[i] - observer[i];
    relativeVelocity[i] = moonVelocity - observerVelocity[i];
    MoonFromEarth[i] = moon[i];
    MoonFromEarth[i + 3] = moonVelocity;
    ObserverFromEarth[i] = observer[i];
    ObserverFromEarth[i + 3] = observerVelocity[i];
    MoonFromObserver[i] = relative[i];
    MoonFromObserver[i + 3] = relativeVelocity[i];
  }

  double alpha = 0.0;
  double delta = 0.0;
  double rho = 0.0;
  FromXyz(relative, alpha, delta, rho);
  RangeRate = Dot(relativeVelocity, relative) / rho;

  // Galactic frame of B1950: north pole at RA 192.25, Dec 27.4.
  double l = 0.0;
  double b = 0.0;
  RotateCoordinates(4.635594495, -0.504691042, 3.355395488, 0.478220215, MoonRA / rad,
                    MoonDec / rad, l, b);
  GalacticLongitude = l * rad;
  GalacticLatitude = b * rad;
}

double MoonEchoDoppler(double FrequencyMHz, double RangeRateKmPerSecond) {
  return -2.0 * FrequencyMHz * 1000.0 * RangeRateKmPerSecond / 299792.458 * 1000.0;
}

double MoonPathDegradation(double FrequencyMHz, double DistanceKm) {
  // Sky noise at the Moon's position relative to 408 MHz, and the path loss relative to the
  // distance at perigee.
  return -10.0 * std::log10(83.0 / (13.0 * std::pow(408.0 / FrequencyMHz, 2.6) + 80.0)) -
         40.0 * std::log10(DistanceKm / 356903.0);
}

bool Astral::TrackMoon() {
  PrepareTime();
  MoonDoppler();
  Doppler = MoonEchoDoppler(Frequency, RangeRate);
  Degradation = MoonPathDegradation(Frequency, Distance);
  return Elevation >= 0.0;
}
