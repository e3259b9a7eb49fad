#pragma once
// Expected flux and noise Y-factor of the Moon and of six radio sources at the working
// frequency, for the Y-factor window. Plain functions over a curve fit the caller owns (the
// window's CurveFit1), so they are tested without a display.
//
// The source fluxes follow each source's table: the table's values at its frequencies, and
// between two of them a monotone cubic in log frequency and log flux, which stays between the
// two values (a natural cubic spline swings well outside them after a step such as Cassiopeia
// A's at 1420 MHz); 0 outside the table's frequencies. The Moon's flux comes from a
// brightness-temperature model driven by its age and distance, in single precision as the
// model was made.

#include <array>
#include <span>

#include "System.h"

class TCurveFit;

// One tabulated flux density.
struct TFluxPoint {
  double FrequencyMHz;
  double FluxJy;
};

struct TRadioSource {
  const char* Name;
  std::span<const TFluxPoint> Points;  // frequencies ascending, fluxes positive
};

// Cygnus A, Taurus A, Cassiopeia A, Sagittarius A, 3C273, Virgo A: the order of calculation.
extern const std::array<TRadioSource, 6> RadioSources;

// Antenna temperature and Y-factor of a flux S (Jy): Ta = Ae / 2760 x S (K),
// Y = 10 log10((Ta + Tsys) / Tsys) (dB).
struct TNoiseYFactor {
  double AntennaTemp = 0;  // K
  double YFactorDb = 0;    // dB
};
TNoiseYFactor NoiseYFactor(double FluxJy, double EffectiveApertureM2, double TsysK);

// The source's flux at the frequency (Jy): a table value at a table frequency, between two
// neighbours a value between theirs (monotone cubic through log frequency and log flux, its
// slopes the weighted harmonic means of the neighbouring secants); 0 outside the table.
double SourceFluxJy(const TRadioSource& Source, double FrequencyMHz);

// The Moon's relative brightening over the lunation: the natural spline through (0, 0),
// (14.75, 1), (29.5, 0) at the days since the third day after new moon; 0 outside.
inline constexpr std::array<TFluxPoint, 3> MoonPhaseCurve = {{{0, 0}, {14.75, 1}, {29.5, 0}}};

// Wavelengths below this (metres) take the short-wave Moon model.
inline constexpr double MoonModelWavelengthM = 0.03;
inline constexpr double MoonRadiusKm = 1730;

struct TMoonNoise {
  float PhaseFactor = 0;       // v, 0..1
  float SurfaceTemp = 0;       // K
  float Brightness = 0;        // Jy per steradian
  float SolidAngle = 0;        // sr
  float FluxJy = 0;            // Jy
  bool DistanceKnown = false;  // false: the distance is not a positive number, no flux
};

// Empties and refills Fit. MoonAge in days since new moon, MoonDistance in km, wavelength in m.
// Below 0.03 m T = 50 v + 190 K, from 0.03 m on T = 4.8 v + 237.6 K; B = T / lambda^2 x 2760;
// Omega = 3.14 (1730 / distance)^2; S = B x Omega. A distance that is not a positive finite
// number leaves brightness, solid angle and flux 0 (DistanceKnown false).
TMoonNoise ComputeMoonNoise(TCurveFit& Fit, float MoonAge, float MoonDistanceKm,
                            double WavelengthM);
