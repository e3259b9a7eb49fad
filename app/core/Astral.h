#pragma once
// The astronomy engine: where an object stands on the observer's sky (azimuth and elevation
// in degrees) for one observer and one UTC instant.
//
// An Astral is a plain value object: create it on the stack, set Latitude, Longitude (and
// Frequency for the Moon), set UtcTime, call one Track operation, read the results, drop it.
// It never reads the clock: the instant is whatever the caller puts into UtcTime. It keeps
// no state between computations, allocates nothing and does no input or output, so the
// tables and planners can call it thousands of times inside one handler.
//
// Fixed objects come in catalogue coordinates (J2000) and are precessed to the date (IAU 1976);
// nutation, aberration and refraction are left out. Positions stay within about 0.02 degrees of
// the apparent place, a small fraction of the beam of a dish of a few metres.

#include <array>
#include <cstdint>
#include <ctime>

class Astral {
public:
  // The instant as the C library breaks a time down: the first six fields of a struct tm,
  // 32-bit signed, in this order. Month counts from 0 (January), Year from 1900.
  struct TUtcTime {
    std::int32_t tm_sec = 0;
    std::int32_t tm_min = 0;
    std::int32_t tm_hour = 0;
    std::int32_t tm_mday = 1;
    std::int32_t tm_mon = 0;
    std::int32_t tm_year = 100;
  };
  // The first six fields of a broken-down UTC time (from gmtime and the like).
  static TUtcTime UtcTimeFrom(const std::tm& Broken);

  using TVector3 = std::array<double, 3>;

  Astral();

  // ---- inputs (set by the caller before a Track operation) -------------------------------
  double Latitude = 0;   // geodetic latitude, decimal degrees, north positive
  double Longitude = 0;  // decimal degrees, east positive
  double Frequency = 0;  // MHz; only the Moon's Doppler shift and degradation read it
  TUtcTime UtcTime;

  // ---- results ---------------------------------------------------------------------------
  double Elevation = 0;    // degrees above the horizon, negative below it
  double Azimuth = 0;      // degrees from north through east, 0 <= Azimuth < 360
  double Doppler = 0;      // Moon echo Doppler shift, Hz (0 for every other object)
  double Distance = 0;     // Earth-Moon distance, km (0 for every other object)
  double Degradation = 0;  // Moon path degradation, dB (0 for every other object)

  // ---- working values of the last Track operation ----------------------------------------
  int Year = 0;                   // four-digit year
  int Month = 0;                  // 1..12
  int Day = 0;                    // day of month
  double UtHours = 0;             // UT in decimal hours
  double SiderealTime = 0;        // local sidereal time, hours, 0 <= value < 24
  double GeocentricLatitude = 0;  // set by Geocentric, radians
  double GeocentricRadius = 0;    // set by Geocentric, km

  // ---- working values of the Moon computation (degrees unless noted) ----------------------
  double MoonRA = 0;         // geocentric right ascension, 0 <= value < 360
  double MoonDec = 0;        // geocentric declination
  double HourAngle = 0;      // of the Moon, -180 .. 180 after the computation
  double TopocentricRA = 0;  // as seen from the observer
  double TopocentricDec = 0;
  double GalacticLongitude = 0;  // of the geocentric position (B1950 galactic frame)
  double GalacticLatitude = 0;
  double RangeRate = 0;                    // km/s, positive when the Moon recedes from the observer
  using TVector6 = std::array<double, 6>;  // position (km), then velocity (km/s)
  TVector6 MoonFromEarth{};
  TVector6 ObserverFromEarth{};
  TVector6 MoonFromObserver{};

  // ---- constants, set by the constructor -------------------------------------------------
  double DegreesPerRadian;
  double TwoPi;
  double Pi;

  // Position of a fixed object given in J2000 coordinates (right ascension in hours,
  // declination in degrees), precessed to the prepared instant. Returns true when the object is
  // on or above the horizon (Elevation >= 0).
  bool TrackObject(double RightAscensionHours, double DeclinationDeg);
  // The same for a position already on the equator and equinox of the date.
  bool TrackPlaceOfDate(double RightAscensionHours, double DeclinationDeg);
  // The mean place of date, at day number D, of a J2000 position (IAU 1976 precession): right
  // ascension in hours (0 <= value < 24), declination in degrees.
  void PrecessFromJ2000(double D, double RightAscensionHours, double DeclinationDeg,
                        double& RaOfDateHours, double& DecOfDateDeg) const;

  // The Sun from its mean orbital elements (mean equinox of date). Also sets SiderealTime;
  // Doppler, Distance and Degradation become 0. True when Elevation >= 0.
  bool TrackSun();

  // The Moon seen from the observer, with its distance, the Doppler shift of an echo at
  // Frequency and the degradation of the Earth-Moon-Earth path relative to perigee.
  // True when Elevation >= 0.
  bool TrackMoon();
  // The Moon computation behind TrackMoon: position now and 100 s earlier, the range rate
  // between observer and Moon, and the Moon's galactic coordinates.
  void MoonDoppler();
  // The Moon's geocentric and topocentric place, azimuth and elevation for month (1..12),
  // day, UT hours and an observer (degrees); the year is Year.
  void MoonPosition(int MonthOfYear, int DayOfMonth, double UtHoursOfDay, double ObserverLongitude,
                    double ObserverLatitude);

  // The geocentric part of MoonPosition: MoonRA, MoonDec and Distance. Returns the distance
  // in Earth radii.
  double MoonGeocentricPlace(int MonthOfYear, int DayOfMonth, double UtHoursOfDay);

  // Observer on the reference ellipsoid: geodetic latitude in radians, height in metres.
  // Sets GeocentricLatitude (radians) and GeocentricRadius (km).
  void Geocentric(double GeodeticLatitude, double HeightMetres);

  // Spherical rotation of the point (A1, B1) into a system whose pole lies at (AP, BP) of
  // the old one; A0, B0 fix the origin of the new longitudes. Radians throughout; A2 comes
  // back in 0 .. 2 pi.
  void RotateCoordinates(double A0, double B0, double AP, double BP, double A1, double B1,
                         double& A2, double& B2) const;

  void ToXyz(double Alpha, double Delta, double R, TVector3& Xyz) const;
  void FromXyz(const TVector3& Xyz, double& Alpha, double& Delta, double& R) const;
  double Dot(const TVector3& A, const TVector3& B) const;

  // Days since 1999-12-31 0h UT of the prepared instant (valid after a Track operation, or
  // after PrepareTime).
  double DayNumber() const;
  // The same count for Year and the given month, day and UT hours.
  double DayNumber(int MonthOfYear, int DayOfMonth, double UtHoursOfDay) const;

  // The first step of every Track operation: Year, Month, Day and UtHours from UtcTime.
  void PrepareTime();
  // Local sidereal time in hours for day number D at the prepared instant and Longitude.
  double LocalSiderealTime(double D) const;
};

// Doppler shift in Hz of an echo off the Moon at FrequencyMHz when the observer-Moon distance
// changes at RangeRate km/s (an approaching Moon, negative range rate, shifts upwards).
double MoonEchoDoppler(double FrequencyMHz, double RangeRateKmPerSecond);
// Degradation in dB of the Earth-Moon-Earth path at FrequencyMHz and a Moon DistanceKm away,
// relative to 408 MHz and the perigee distance 356903 km.
double MoonPathDegradation(double FrequencyMHz, double DistanceKm);
