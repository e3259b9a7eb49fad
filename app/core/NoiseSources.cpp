#include "NoiseSources.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "DOV_math2.h"

namespace {

// Ta = Ae S / 2k with S in Jy: 2k / 1e-26 W m^-2 Hz^-1 = 2760.
constexpr double kApertureToKelvinPerJy = 2760;
// Rayleigh-Jeans: B = 2k T / lambda^2, in Jy per steradian T / lambda^2 x 2760.
constexpr double kRayleighJeansJy = 2760;
// The model's value of pi.
constexpr double kModelPi = 3.14;
// Days after new moon at which the phase curve starts.
constexpr float kPhaseCurveStartDays = 3;

// Surface temperature of the two models (K): T = Slope x v + Base.
constexpr double kShortWaveSlope = 50, kShortWaveBase = 190;
constexpr double kLongWaveSlope = 4.8, kLongWaveBase = 237.6;

constexpr TFluxPoint kCygnusA[] = {
    {300, 6375},  {400, 4948},  {500, 4065},  {900, 2422},  {1000, 2207}, {1100, 2029},
    {1200, 1880}, {1300, 1752}, {1400, 1641}, {1900, 1187}, {2000, 1116}, {2500, 856},
    {5000, 375},  {5500, 335},  {6000, 302},  {9000, 186},  {9500, 175},  {10000, 164},
    {10500, 155}, {11000, 147}, {21000, 68},  {22000, 64},  {40000, 32},  {85000, 13}};
constexpr TFluxPoint kTaurusA[] = {
    {300, 1311},  {400, 1221},  {500, 1156},  {900, 1000},  {1000, 974},  {1100, 951},
    {1200, 931},  {1300, 913},  {1400, 896},  {1900, 831},  {2000, 821},  {2500, 777},
    {5000, 654},  {5500, 639},  {6000, 626},  {9000, 566},  {9500, 558},  {10000, 551},
    {10500, 545}, {11000, 539}, {21000, 459}, {22000, 454}, {40000, 392}, {85000, 325}};
constexpr TFluxPoint kCassiopeiaA[] = {
    {400, 3896},  {500, 3301},  {900, 2133},  {1100, 2197}, {1200, 2059}, {1300, 1941},
    {1405, 1863}, {1420, 1676}, {1900, 1485}, {2000, 1459}, {2500, 1237}, {5000, 773},
    {5500, 720},  {6000, 675},  {9000, 460},  {9500, 432},  {11000, 427}, {21000, 199},
    {22000, 188}, {40000, 93},  {85000, 39}};
constexpr TFluxPoint kSagittariusA[] = {{330, 330},  {620, 440},  {1010, 470},   {1600, 592},
                                        {3100, 702}, {9000, 932}, {14000, 1075}, {21100, 1164}};
constexpr TFluxPoint k3C273[] = {{15, 451.4}, {22, 316.1}, {40, 204.7},  {100, 138.2}, {200, 81.9},
                                 {400, 59.8}, {800, 48.9}, {1500, 40.8}, {2000, 35},   {8000, 31}};
constexpr TFluxPoint kVirgoA[] = {{300, 736},  {400, 583},  {500, 486},  {900, 301},  {1000, 276},
                                  {1100, 256}, {1200, 238}, {1300, 223}, {1400, 210}, {1900, 164},
                                  {2000, 157}, {2500, 131}, {5000, 75},  {5500, 69},  {6000, 64},
                                  {9000, 46},  {9500, 44},  {10000, 42}, {10500, 41}, {11000, 39},
                                  {21000, 23}, {22000, 22}, {40000, 14}, {85000, 7}};

// The natural cubic spline through the points at x; 0 outside them.
double NaturalSplineAt(TCurveFit& Fit, std::span<const TFluxPoint> Points, double x) {
  Fit.Init();
  Fit.SetSplineSmoothing(0.0);
  for (const TFluxPoint& p : Points) Fit.EnterStatValue(p.FrequencyMHz, p.FluxJy);
  double quality = 0;
  bool valid = false;
  const double v = Fit.SmoothedSpline(x, quality, valid);
  return valid ? v : 0.0;
}

// Slopes of the monotone cubic Hermite curve through (u, v) (at least two points, u strictly
// ascending): inside, the weighted harmonic mean of the two neighbouring secants, 0 where they
// differ in sign or one is flat; at the ends the three-point estimate, turned to 0 against the
// end secant's sign and limited to three times it where the data turn. Each slope is then at
// most three times either secant beside it, which keeps each piece monotone between its ends.
std::vector<double> MonotoneSlopes(const std::vector<double>& u, const std::vector<double>& v) {
  const size_t n = u.size();
  std::vector<double> h(n - 1), secant(n - 1), d(n, 0.0);
  for (size_t k = 0; k + 1 < n; ++k) {
    h[k] = u[k + 1] - u[k];
    secant[k] = (v[k + 1] - v[k]) / h[k];
  }
  if (n == 2) return {secant[0], secant[0]};
  for (size_t k = 1; k + 1 < n; ++k) {
    if (!(secant[k - 1] * secant[k] > 0)) continue;
    const double w1 = 2 * h[k] + h[k - 1], w2 = h[k] + 2 * h[k - 1];
    d[k] = (w1 + w2) / (w1 / secant[k - 1] + w2 / secant[k]);
  }
  const auto end = [](double h0, double h1, double s0, double s1) {
    const double e = ((2 * h0 + h1) * s0 - h0 * s1) / (h0 + h1);
    if (!(e * s0 > 0)) return 0.0;
    if (s0 * s1 < 0 && std::fabs(e) > 3 * std::fabs(s0)) return 3 * s0;
    return e;
  };
  d[0] = end(h[0], h[1], secant[0], secant[1]);
  d[n - 1] = end(h[n - 2], h[n - 3], secant[n - 2], secant[n - 3]);
  return d;
}

}  // namespace

const std::array<TRadioSource, 6> RadioSources = {{{"Cygnus A", kCygnusA},
                                                   {"Taurus A", kTaurusA},
                                                   {"Cassiopeia A", kCassiopeiaA},
                                                   {"Sagittarius A", kSagittariusA},
                                                   {"3C273", k3C273},
                                                   {"Virgo A", kVirgoA}}};

TNoiseYFactor NoiseYFactor(double FluxJy, double EffectiveApertureM2, double TsysK) {
  TNoiseYFactor r;
  r.AntennaTemp = EffectiveApertureM2 / kApertureToKelvinPerJy * FluxJy;
  r.YFactorDb = 10 * std::log10((r.AntennaTemp + TsysK) / TsysK);
  return r;
}

double SourceFluxJy(const TRadioSource& Source, double FrequencyMHz) {
  const std::span<const TFluxPoint> p = Source.Points;
  if (p.empty() || !(FrequencyMHz >= p.front().FrequencyMHz) ||
      !(FrequencyMHz <= p.back().FrequencyMHz))
    return 0.0;
  // The first table point at or above the frequency; a table frequency gives its own value.
  const auto above =
      std::lower_bound(p.begin(), p.end(), FrequencyMHz,
                       [](const TFluxPoint& q, double f) { return q.FrequencyMHz < f; });
  if (above->FrequencyMHz == FrequencyMHz) return above->FluxJy;
  const size_t k = static_cast<size_t>(above - p.begin()) - 1;  // the piece from point k to k + 1

  std::vector<double> u(p.size()), v(p.size());
  for (size_t i = 0; i < p.size(); ++i) {
    u[i] = std::log(p[i].FrequencyMHz);
    v[i] = std::log(p[i].FluxJy);
  }
  const std::vector<double> d = MonotoneSlopes(u, v);
  const double h = u[k + 1] - u[k], t = (std::log(FrequencyMHz) - u[k]) / h;
  const double s = 1 - t;
  const double logFlux = (1 + 2 * t) * s * s * v[k] + t * t * (3 - 2 * t) * v[k + 1] +
                         h * t * s * (s * d[k] - t * d[k + 1]);
  // The curve lies between the two values; rounding in the logarithms must not step outside.
  const auto [lo, hi] = std::minmax(p[k].FluxJy, p[k + 1].FluxJy);
  return std::clamp(std::exp(logFlux), lo, hi);
}

TMoonNoise ComputeMoonNoise(TCurveFit& Fit, float MoonAge, float MoonDistanceKm,
                            double WavelengthM) {
  TMoonNoise m;
  const float a = MoonAge - kPhaseCurveStartDays;
  const double v = NaturalSplineAt(Fit, MoonPhaseCurve, a);
  m.PhaseFactor = static_cast<float>(v);
  // Exactly 0.03 m (10 000 MHz) belongs to the long-wave model, so every wavelength has one.
  m.SurfaceTemp = WavelengthM < MoonModelWavelengthM
                      ? static_cast<float>(v * kShortWaveSlope + kShortWaveBase)
                      : static_cast<float>(v * kLongWaveSlope + kLongWaveBase);
  // Without the distance (the Moon's tracking has not run yet) there is no solid angle.
  if (!(MoonDistanceKm > 0) || !std::isfinite(MoonDistanceKm)) return m;
  m.DistanceKnown = true;
  m.Brightness = static_cast<float>(m.SurfaceTemp / (WavelengthM * WavelengthM) * kRayleighJeansJy);
  const double ratio = MoonRadiusKm / MoonDistanceKm;
  m.SolidAngle = static_cast<float>(kModelPi * (ratio * ratio));
  m.FluxJy = m.Brightness * m.SolidAngle;
  return m;
}
