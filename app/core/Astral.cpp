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

Astral::Astral() : DegreesPerRadian(57.2957795130823), TwoPi(6.283185307179586), Pi(3.141592653589793) {}

void Astral::PrepareTime() {
  UtHours = (UtcTime.tm_sec / 60.0 + UtcTime.tm_min) / 60.0 + UtcTime.tm_hour;
  Year = UtcTime.tm_year + 1900;
  Month = UtcTime.tm_mon + 1;
  Day = UtcTime.tm_mday;
}

double Astral::DayNumber() const {
  // Integer arithmetic on purpose: every division truncates, as the calendar formula needs.
  const int n = 367 * Year - (7 * (Year + (Month + 9) / 12)) / 4 + (275 * Month) / 9 + Day - 730530;
  return n + UtHours / 24.0;
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

bool Astral::TrackObject(double RightAscensionHours, double DeclinationDeg) {
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
