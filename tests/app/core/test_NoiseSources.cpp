// Fluxes and Y-factors of the Moon and the six radio sources, against values worked out by hand
// from the formulas (a calculator, and for the sources between table points the monotone
// cubic's slopes and Hermite form in log frequency and log flux).
#include "NoiseSources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "DOV_math2.h"

namespace {

const TRadioSource& Source(const char* name) {
  for (const TRadioSource& s : RadioSources)
    if (String(s.Name) == name) return s;
  throw std::runtime_error(String("no source ") + name);
}

// A 10 m2 effective aperture and Tsys 100 K throughout.
constexpr double kAe = 10, kTsys = 100;

}  // namespace

TEST(NoiseSources, TablesInCalculationOrder) {
  const char* order[] = {"Cygnus A",      "Taurus A", "Cassiopeia A",
                         "Sagittarius A", "3C273",    "Virgo A"};
  const std::size_t sizes[] = {24, 24, 21, 8, 10, 24};
  for (std::size_t i = 0; i < RadioSources.size(); ++i) {
    EXPECT_STREQ(RadioSources[i].Name, order[i]);
    EXPECT_EQ(RadioSources[i].Points.size(), sizes[i]) << order[i];
  }
  EXPECT_EQ(Source("Cassiopeia A").Points[7].FrequencyMHz, 1420);
  EXPECT_EQ(Source("Cassiopeia A").Points[7].FluxJy, 1676);
  EXPECT_EQ(Source("3C273").Points[0].FluxJy, 451.4);
}

TEST(NoiseSources, YFactorFromFlux) {
  struct Case {
    double flux, antennaTemp, yDb;
  };
  // Ta = 10 / 2760 x S; Y = 10 log10((Ta + 100) / 100).
  const Case cases[] = {{1641, 5.945652173913044, 0.25083138719090003},
                        {896, 3.246376811594203, 0.13874820053950637},
                        {75, 0.2717391304347826, 0.011785474855427386},
                        {0, 0, 0}};
  for (const Case& c : cases) {
    const TNoiseYFactor y = NoiseYFactor(c.flux, kAe, kTsys);
    EXPECT_NEAR(y.AntennaTemp, c.antennaTemp, 1e-12) << c.flux;
    EXPECT_NEAR(y.YFactorDb, c.yDb, 1e-12) << c.flux;
  }
}

TEST(NoiseSources, SourceFluxAndYFactorAtTwoFrequencies) {
  struct Case {
    double frequency;
    const char* source;
    double flux, yDb;
  };
  const Case cases[] = {
      // Table points are met exactly.
      {1400, "Cygnus A", 1641, 0.25083138719090003},
      {1400, "Taurus A", 896, 0.13874820053950637},
      {1400, "Virgo A", 210, 0.032919067989418155},
      {5000, "Cygnus A", 375, 0.058610131351699006},
      {5000, "Taurus A", 654, 0.10170858761148345},
      {5000, "Cassiopeia A", 773, 0.11996175992302897},
      {5000, "Virgo A", 75, 0.011785474855427386},
      // Between table points: the monotone cubic in log frequency and log flux, worked out by
      // hand from its slopes (weighted harmonic means of the neighbouring secants, the
      // three-point estimate at the ends).
      {1400, "Cassiopeia A", 1871.1582358232727, 0.28488122177725556},
      {1400, "Sagittarius A", 555.0221351276048, 0.08646791048854614},
      {1400, "3C273", 41.84762409102449, 0.006579865258540997},
      {5000, "Sagittarius A", 793.82901669457, 0.12314880685750525},
      // Between 35 Jy (2000 MHz) and 31 Jy (8000 MHz); the natural spline gave 19.4 Jy.
      {5000, "3C273", 31.424500720543005, 0.004941928931040054},
      // Between 1676 Jy (1420 MHz) and 1485 Jy (1900 MHz); the natural spline gave 670 Jy.
      {1600, "Cassiopeia A", 1547.05920327813, 0.2368566103610149},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.source << " at " << c.frequency);
    const double flux = SourceFluxJy(Source(c.source), c.frequency);
    EXPECT_NEAR(flux, c.flux, 1e-9 * c.flux);
    EXPECT_NEAR(NoiseYFactor(flux, kAe, kTsys).YFactorDb, c.yDb, 1e-12);
  }
}

TEST(NoiseSources, OutsideATableTheFluxIsZero) {
  EXPECT_EQ(SourceFluxJy(Source("Cassiopeia A"), 1420), 1676);
  for (const char* name : {"Cassiopeia A", "Cygnus A", "Taurus A", "Virgo A", "Sagittarius A"})
    EXPECT_EQ(SourceFluxJy(Source(name), 245), 0) << name;
  EXPECT_GT(SourceFluxJy(Source("3C273"), 245), 0);
  EXPECT_EQ(SourceFluxJy(Source("3C273"), 9000), 0);
  EXPECT_EQ(SourceFluxJy(Source("Sagittarius A"), 21100), 1164);  // the last point
  EXPECT_EQ(SourceFluxJy(Source("Cygnus A"), 85001), 0);
  EXPECT_EQ(SourceFluxJy(Source("Cygnus A"), std::nan("")), 0);
  EXPECT_EQ(NoiseYFactor(0, kAe, kTsys).YFactorDb, 0);
}

TEST(NoiseSources, TheFluxFollowsEveryTable) {
  // Every table point is met exactly; between two neighbours the flux stays between their values
  // and runs from one to the other without turning back.
  for (const TRadioSource& s : RadioSources) {
    for (std::size_t k = 0; k < s.Points.size(); ++k) {
      const TFluxPoint& p = s.Points[k];
      EXPECT_EQ(SourceFluxJy(s, p.FrequencyMHz), p.FluxJy) << s.Name << " at " << p.FrequencyMHz;
      if (k + 1 == s.Points.size()) break;
      const TFluxPoint& q = s.Points[k + 1];
      const double lo = std::min(p.FluxJy, q.FluxJy), hi = std::max(p.FluxJy, q.FluxJy);
      const double direction = q.FluxJy < p.FluxJy ? -1 : 1;
      double previous = p.FluxJy;
      constexpr int Steps = 64;
      for (int i = 1; i < Steps; ++i) {
        const double f = p.FrequencyMHz + (q.FrequencyMHz - p.FrequencyMHz) * i / Steps;
        const double flux = SourceFluxJy(s, f);
        EXPECT_GE(flux, lo) << s.Name << " at " << f;
        EXPECT_LE(flux, hi) << s.Name << " at " << f;
        EXPECT_GE(direction * (flux - previous), 0) << s.Name << " at " << f;
        previous = flux;
      }
      EXPECT_GE(direction * (q.FluxJy - previous), 0) << s.Name << " before " << q.FrequencyMHz;
    }
  }
}

TEST(NoiseSources, MoonPhaseAndTemperature) {
  struct Case {
    float age;
    double wavelength;
    float v, temperature;
  };
  const Case cases[] = {
      {17.75f, 0.015, 1, 240},  // full brightening, short waves (20 000 MHz)
      {17.75f, 300.0 / 1420, 1, 242.4f},
      {10.375f, 300.0 / 1420, 0.6875f, 240.9f},
      {10.375f, 0.015, 0.6875f, 224.375f},
      {2.5f, 0.015, 0, 190},  // before the curve starts
      {3, 300.0 / 1420, 0, 237.6f},
      {33, 0.015, 0, 190},  // beyond the curve
      // Exactly 0.03 m (10 000 MHz) takes the long-wave model.
      {17.75f, 300.0 / 10000, 1, 242.4f},
  };
  TCurveFit fit(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.age << " days, " << c.wavelength << " m");
    const TMoonNoise m = ComputeMoonNoise(fit, c.age, 384400, c.wavelength);
    EXPECT_NEAR(m.PhaseFactor, c.v, 1e-6);
    EXPECT_FLOAT_EQ(m.SurfaceTemp, c.temperature);
  }
  EXPECT_EQ(300.0 / 10000, MoonModelWavelengthM);
}

TEST(NoiseSources, MoonFluxAndYFactor) {
  struct Case {
    float age;
    double wavelength;
    float distance;
    double brightness, solidAngle, flux, yDb;
  };
  // B = T / lambda^2 x 2760, Omega = 3.14 (1730 / d)^2, S = B Omega, worked out by hand.
  const Case cases[] = {
      {17.75f, 0.015, 384400, 2944000000.0, 6.359970428393075e-05, 187237.52941189212,
       8.912010673683145},
      {10.375f, 300.0 / 1420, 384400, 14896356.64, 6.359970428393075e-05, 947.4038772119682,
       0.14657537239358065},
      {10.375f, 0.03, 363300, 738760000.0, 7.120181405895693e-05, 52601.05215419502,
       4.632709837471712},
  };
  TCurveFit fit(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.age << " days, " << c.wavelength << " m");
    const TMoonNoise m = ComputeMoonNoise(fit, c.age, c.distance, c.wavelength);
    ASSERT_TRUE(m.DistanceKnown);
    // Single precision: about 7 significant digits.
    EXPECT_NEAR(m.Brightness, c.brightness, 2e-7 * c.brightness);
    EXPECT_NEAR(m.SolidAngle, c.solidAngle, 2e-7 * c.solidAngle);
    EXPECT_NEAR(m.FluxJy, c.flux, 4e-7 * c.flux);
    EXPECT_NEAR(NoiseYFactor(m.FluxJy, kAe, kTsys).YFactorDb, c.yDb, 1e-6);
  }
}

TEST(NoiseSources, MoonWithoutADistanceHasNoFlux) {
  TCurveFit fit(nullptr);
  for (float d : {0.0f, -5.0f, std::nanf(""), INFINITY}) {
    const TMoonNoise m = ComputeMoonNoise(fit, 17.75f, d, 0.015);
    EXPECT_FALSE(m.DistanceKnown) << d;
    EXPECT_EQ(m.FluxJy, 0) << d;
    EXPECT_EQ(m.SurfaceTemp, 240) << d;  // the temperature does not need it
  }
}
